// The host's per-device queries and system commands on the command line:
// each device's answer is copied out of the module's callback, and the
// answers are printed together once every device answered or the time ran out.
#include <arpa/inet.h>

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QTimer>
#include <deque>

#include "platform/host/cli_commands.h"
#include "platform/host/module_api.h"

namespace kav::host {
namespace {

// What one device answered; texts are copied out of the callbacks.
struct DeviceAnswer {
  QString address;
  bool answered = false;
  bool done = false;
  QJsonObject data;
};

// The devices of one command and the loop that waits for their answers.
struct Run {
  std::deque<DeviceAnswer> devices;  // stable addresses: contexts point here
  int outstanding = 0;
  QEventLoop loop;

  void finish(DeviceAnswer* a, bool answered) {
    if (a->done) return;
    a->done = true;
    a->answered = answered;
    if (--outstanding == 0) loop.quit();
  }
};
Run* gRun = nullptr;

QString text(const char* s) { return s ? QString::fromLocal8Bit(s) : QString(); }
QJsonValue textOrNull(const char* s) { return s ? QJsonValue(text(s)) : QJsonValue(QJsonValue::Null); }

void onBasicConfig(QueryStatus* st, int32_t hasData, void** records, void* context) {
  auto* a = static_cast<DeviceAnswer*>(context);
  if (hasData == 1 && records && records[0]) {
    const auto* b = static_cast<const BasicConfig*>(records[0]);
    a->data = QJsonObject{{"name", text(st->tag)},
                          {"band", b->band},
                          {"bandText", textOrNull(b->bandText)},
                          {"authentication", b->authentication},
                          {"authenticationText", textOrNull(b->authenticationText)},
                          {"opMode", b->opMode},
                          {"opModeText", textOrNull(b->opModeText)},
                          {"ssid", text(b->ssid)},
                          {"channel", text(b->channel)},
                          {"full", textOrNull(b->full)},
                          {"fullFlag", b->fullFlag}};
    gRun->finish(a, true);
  } else {
    a->data = QJsonObject{{"tag", text(st ? st->tag : nullptr)}};
    gRun->finish(a, false);
  }
}

void onTraffic(QueryStatus* st, int32_t hasData, void** records, void* context) {
  auto* a = static_cast<DeviceAnswer*>(context);
  if (hasData != 1 || !records || !records[0]) return;
  const auto* t = static_cast<const TrafficDigest*>(records[0]);
  (void)st;  // its text is the digest's address again
  a->data = QJsonObject{{"band", text(t->bandText)}, {"ipAddress", text(t->address)}, {"wlanMac", text(t->wlanMac)},
                        {"clients", text(t->clients)}, {"txPackets", text(t->txPackets)},
                        {"rxPackets", text(t->rxPackets)}};
  gRun->finish(a, true);
}

void onClients(ClientResult* result, int32_t count, ClientRow** rows, void* context) {
  auto* a = static_cast<DeviceAnswer*>(context);
  QJsonArray list;
  for (int32_t i = 0; i < count && rows; ++i) {
    const ClientRow* r = rows[i];
    list.append(QJsonObject{{"band", text(r->band)}, {"mac", text(r->mac)},
                            {"authentication", text(r->authentication)}, {"rssi", r->rssi},
                            {"powerSave", text(r->powerSave)}, {"ssidIndex", text(r->ssidIndex)}});
  }
  a->data = QJsonObject{{"status", result->status}, {"message", text(result->message)}, {"clients", list}};
  gRun->finish(a, result->status == 0);
}

void onNeighbours(intptr_t, CmdStatus* st, int32_t count, NeighbourRow** rows, void* context) {
  auto* a = static_cast<DeviceAnswer*>(context);
  static const char* const kKeys[] = {"class", "channel", "bssid", "support", "band", "ssid", "signal"};
  QJsonArray list;
  for (int32_t i = 0; i < count && rows; ++i) {
    QJsonObject o;
    for (int k = 0; k < 7; ++k) o[kKeys[k]] = text(rows[i]->text[k]);
    list.append(o);
  }
  a->data = QJsonObject{{"message", text(st->message)}, {"neighbours", list}};
  // Command 0 reports no failure flag: a failed refresh comes with no rows
  // and the library's error text.
  gRun->finish(a, count > 0 || QString(text(st->message)).contains("successfully"));
}

void onFirmwareVersion(CmdStatus* st, const char* version, void* context) {
  auto* a = static_cast<DeviceAnswer*>(context);
  a->data = QJsonObject{{"version", text(version)}, {"message", textOrNull(st->message)}};
  gRun->finish(a, st->status == 0);
}

void printText(QTextStream& out, const DeviceAnswer& a, const QString& command) {
  if (!a.answered) {
    QString why = a.data.value("message").toString();
    out << a.address << ": no answer" << (why.isEmpty() ? "" : " (" + why + ")") << "\n";
    return;
  }
  out << a.address << ":\n";
  if (command == "clients") {
    const QJsonArray list = a.data.value("clients").toArray();
    out << "  " << list.size() << " client(s)\n";
    for (const auto& v : list) {
      QJsonObject c = v.toObject();
      out << "  " << c["mac"].toString() << "  " << c["band"].toString() << "  SSID " << c["ssidIndex"].toString()
          << "  " << c["authentication"].toString() << "  RSSI " << c["rssi"].toInt() << "  power save "
          << c["powerSave"].toString() << "\n";
    }
    return;
  }
  if (command == "neighbours") {
    const QJsonArray list = a.data.value("neighbours").toArray();
    out << "  " << list.size() << " access point(s)\n";
    for (const auto& v : list) {
      QJsonObject n = v.toObject();
      out << "  " << n["bssid"].toString() << "  ch " << n["channel"].toString() << "  " << n["band"].toString()
          << "  " << n["ssid"].toString() << "  (" << n["class"].toString() << ")\n";
    }
    return;
  }
  for (auto it = a.data.begin(); it != a.data.end(); ++it) {
    QString v = it.value().isNull() ? "-" : it.value().isDouble() ? QString::number(it.value().toInt())
                                                                  : it.value().toString();
    out << "  " << it.key() << ": " << v << "\n";
  }
}

}  // namespace

int runQueries(ModuleApi& api, const QueryOptions& o, const QStringList& addresses) {
  Run run;
  gRun = &run;
  for (const QString& addr : addresses) run.devices.push_back(DeviceAnswer{addr});
  run.outstanding = static_cast<int>(run.devices.size());
  const QString& cmd = o.command;
  for (DeviceAnswer& a : run.devices) {
    QByteArray addr = a.address.toLatin1();
    if (cmd == "system-info") {
      uint32_t mask = 0;
      api.getSystemInfo(addr.constData(), nullptr, nullptr, &mask);
      in_addr in{};
      in.s_addr = mask;
      a.data = QJsonObject{{"netmask", QString::fromLatin1(inet_ntoa(in))}, {"value", static_cast<qint64>(mask)}};
      run.finish(&a, mask != 0xFFFFFFFFu);
    } else if (cmd == "basic-config") {
      if (api.getBasicConfigInfor(addr.constData(), onBasicConfig, addr.constData(), &a) != 0) run.finish(&a, false);
    } else if (cmd == "traffic") {
      if (api.getTrafficInfor(addr.constData(), onTraffic, nullptr, &a) != 0) run.finish(&a, false);
    } else if (cmd == "clients") {
      api.getClinetInfor(addr.constData(), onClients, nullptr, &a);
    } else if (cmd == "neighbours") {
      api.cmdApi(0, addr.constData(), "", &a, reinterpret_cast<void*>(&onNeighbours));
    } else if (cmd == "fw-version") {
      api.cmdApi(5, addr.constData(), "", &a, reinterpret_cast<void*>(&onFirmwareVersion));
    } else {
      int code = cmd == "restart" ? 1 : cmd == "factory-reset" ? 2 : 3;
      api.systemCmd(addr.constData(), code);
      a.data = QJsonObject{{"sent", cmd}};
      run.finish(&a, true);
    }
  }
  if (run.outstanding > 0) {
    // The traffic query gives no answer at all when a device is silent, so
    // the wait ends on a deadline; client walks get longer.
    int deadline = o.timeoutMs + 2000;
    if (cmd == "clients" || cmd == "neighbours") deadline = o.timeoutMs * 3 + 10000;
    QTimer::singleShot(deadline, &run.loop, &QEventLoop::quit);
    run.loop.exec();
  }
  gRun = nullptr;

  QTextStream out(stdout);
  bool all = true;
  QJsonArray json;
  for (DeviceAnswer& a : run.devices) {
    all = all && a.answered;
    if (o.json) {
      QJsonObject obj = a.data;
      obj["address"] = a.address;
      obj["answered"] = a.answered;
      json.append(obj);
    } else {
      printText(out, a, cmd);
    }
  }
  if (o.json) out << QJsonDocument(json).toJson(QJsonDocument::Indented);
  out.flush();
  return all ? 0 : 1;
}


}  // namespace kav::host
