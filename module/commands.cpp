// PlugCmdAPI and PlugSystemCmd: numbered commands the host runs against one
// device, answered through the host's callbacks.
#include <QCoreApplication>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "module/app.h"
#include "module/commands.h"
#include "module/local_address.h"
#include "shell/transfer_settings.h"

using namespace kav::module;

namespace {

char* copyText(const char* s) { return strdup(s ? s : ""); }

struct CommandContext {
  int command;
  void* hostContext;
};

CmdStatus* newStatus() { return static_cast<CmdStatus*>(calloc(1, sizeof(CmdStatus))); }

void freeStatus(CmdStatus* st) {
  free(st->message);
  free(st->address);
  free(st->model);
  free(st);
}

// Command 0: the access points the device detected.
int onNeighbours(intptr_t, int status, const char* message, void* context, const char* address) {
  auto* c = static_cast<CommandContext*>(context);
  PlugTableCallback callback = gSlots.neighbours;
  CmdStatus* st = newStatus();
  st->message = copyText(message);
  st->address = copyText(address);
  std::vector<AP_NEIGHBOUR_AP> records;
  if (status == 0) {
    AP_TABLE_PAIR pair{0, nullptr};
    apSysMonitorQueryInfor(CKAV7420App::get().monitorHandle, &pair);
    if (pair.count > 0) {
      // count records plus one zeroed byte, as the library expects
      std::vector<char> buffer(static_cast<size_t>(pair.count) * sizeof(AP_NEIGHBOUR_AP) + 1, 0);
      pair.buffer = buffer.data();
      apSysMonitorQueryInfor(CKAV7420App::get().monitorHandle, &pair);
      const auto* r = reinterpret_cast<const AP_NEIGHBOUR_AP*>(buffer.data());
      records.assign(r, r + pair.count);
    }
  }
  if (records.empty()) {
    if (callback) callback(0, st, 0, nullptr, c->hostContext);
  } else {
    auto** rows = static_cast<NeighbourRow**>(calloc(records.size(), sizeof(NeighbourRow*)));
    for (size_t i = 0; i < records.size(); ++i) rows[i] = makeNeighbourRow(records[i]);
    if (callback) callback(0, st, static_cast<int32_t>(records.size()), rows, c->hostContext);
    for (size_t i = 0; i < records.size(); ++i) freeNeighbourRow(rows[i]);
    free(rows);
  }
  freeStatus(st);
  delete c;
  return 0;
}

// Command 3: the device stored its configuration file.
int onBackup(intptr_t, int status, const char* message, void* context, const char* address) {
  auto* c = static_cast<CommandContext*>(context);
  PlugTableCallback callback = gSlots.backup;
  CmdStatus* st = newStatus();
  st->status = status == 0 ? 0 : 1;
  st->message = copyText(status == 0 ? "OK!" : message);
  st->address = copyText(address);
  if (callback) callback(0, st, 0, nullptr, c->hostContext);
  freeStatus(st);
  delete c;
  return 0;
}

// Commands 5 to 8: a status and a result text.
int onTextCommand(intptr_t first, int status, const char* message, void* context, const char* address) {
  auto* c = static_cast<CommandContext*>(context);
  PlugTextCallback callback = c->command == 5   ? gSlots.firmwareVersion
                              : c->command == 6 ? gSlots.upgrade
                              : c->command == 7 ? gSlots.writeImage
                                                : gSlots.restart;
  CmdStatus* st = newStatus();
  st->status = status == 0 ? 0 : 1;
  if (status != 0 && c->command != 8) st->message = copyText(message);
  st->address = copyText(address);
  if (c->command == 7) st->model = copyText(kModelName);
  std::string text;
  if (c->command == 5) {
    // The first argument is the version text; at most 39 characters of it.
    const char* version = reinterpret_cast<const char*>(first);
    if (version) text.assign(version, strnlen(version, 39));
  } else if (c->command == 6) {
    text = message ? message : "";
  }
  if (callback) callback(st, text.c_str(), c->hostContext);
  freeStatus(st);
  delete c;
  return 0;
}

// A request the library refused to start still answers the host, later and
// from the event loop like any other answer, with the library's text.
void answerLater(AP_CALLBACK completion, int rc, CommandContext* c, const char* address) {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [completion, rc, c, addr = std::string(address ? address : "")] {
        char message[256];
        apSnmpGetErrorMsg(rc, message);
        completion(0, rc, message, c, addr.c_str());
      },
      Qt::QueuedConnection);
}

}  // namespace

namespace kav::module {

FtpTarget prepareFtpTarget(int command, const std::string& device, const std::string& argument) {
  FtpTarget t;
  // The setting is read afresh: commands run without the configuration
  // window, whose opening is the other time it is read.
  shell::ReadFtpMethod();
  if (!shell::IsHostFtpServer()) return t;  // the device is given four empty texts
  const size_t bar = argument.find('|');
  std::string mask = argument.substr(0, bar);
  const std::string path = bar == std::string::npos ? std::string() : argument.substr(bar + 1);
  if (command == 6) {
    if (mask.empty() || mask == "0.0.0.0") mask = "255.255.255.0";
    PickLocalAddress(t.server, device, mask);
  }
  const std::string target = command == 3 ? path + device + ".dcf" : path;
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash);
  shell::ReadFtpAccount(t.user, t.password);
  if (shell::GetHostHomeFolder() != folder) shell::SetHostHomeFolder(folder);
  t.fileName = slash == std::string::npos ? target : target.substr(slash + 1);
  if (command == 3) PickLocalAddress(t.server, device, mask);
  return t;
}

NeighbourRow* makeNeighbourRow(const AP_NEIGHBOUR_AP& r) {
  auto* row = static_cast<NeighbourRow*>(calloc(1, sizeof(NeighbourRow)));
  std::string cls(r.className, strnlen(r.className, sizeof r.className));
  for (char& ch : cls) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  auto field = [](const char* f, size_t n) { return std::string(f, strnlen(f, n)); };
  row->text[0] = strdup(cls.c_str());
  row->text[1] = strdup(field(r.channel, sizeof r.channel).c_str());
  row->text[2] = strdup(field(r.bssid, sizeof r.bssid).c_str());
  row->text[3] = strdup("Not Suport");
  row->text[4] = strdup(field(r.bandText, sizeof r.bandText).c_str());
  row->text[5] = strdup(field(r.ssid, sizeof r.ssid).c_str());
  row->text[6] = strdup("(Not Suport) 0");
  return row;
}

void freeNeighbourRow(NeighbourRow* row) {
  if (!row) return;
  for (char* t : row->text) free(t);
  free(row);
}

}  // namespace kav::module

extern "C" {

int32_t PlugCmdAPI(int32_t command, const char* address, const char* argument, void* context, void* callback) {
  CKAV7420App& app = CKAV7420App::get();
  app.retarget(app.commandSession, address);
  switch (command) {
    case 0: {
      app.retarget(app.wirelessSession, address);
      gSlots.neighbours = reinterpret_cast<PlugTableCallback>(callback);
      auto* c = new CommandContext{command, context};
      int rc = apSysMonitorRefresh(app.monitorHandle, 1, onNeighbours, c, AP_MODE_ASYNC);
      if (rc != 0) answerLater(onNeighbours, rc, c, address);
      break;
    }
    case 5: {
      gSlots.firmwareVersion = reinterpret_cast<PlugTextCallback>(callback);
      auto* c = new CommandContext{command, context};
      int rc = apPlugGetFWVervion(app.commandHandle, onTextCommand, c, AP_MODE_ASYNC);
      if (rc != 0) answerLater(onTextCommand, rc, c, address);
      break;
    }
    case 3:
    case 6: {
      if (command == 3)
        gSlots.backup = reinterpret_cast<PlugTableCallback>(callback);
      else
        gSlots.upgrade = reinterpret_cast<PlugTextCallback>(callback);
      FtpTarget t = prepareFtpTarget(command, address ? address : "", argument ? argument : "");
      auto* c = new CommandContext{command, context};
      AP_CALLBACK done = command == 3 ? onBackup : onTextCommand;
      int rc = apPlugSysUpGradeFTPEx(app.commandHandle, command == 3 ? 3 : 7, t.server.c_str(), t.user.c_str(),
                                     t.password.c_str(), t.fileName.c_str(), 4000, done, c, AP_MODE_ASYNC);
      if (rc != 0) answerLater(done, rc, c, address);
      break;
    }
    case 7:
    case 8: {
      if (command == 7)
        gSlots.writeImage = reinterpret_cast<PlugTextCallback>(callback);
      else
        gSlots.restart = reinterpret_cast<PlugTextCallback>(callback);
      auto* c = new CommandContext{command, context};
      int rc = apPlugSysUpGradeFTPEx(app.commandHandle, command == 7 ? 8 : 9, "", "", "", "",
                                     command == 7 ? 240000 : 6000, onTextCommand, c, AP_MODE_ASYNC);
      if (rc != 0) answerLater(onTextCommand, rc, c, address);
      break;
    }
    default:
      // 1, 2, 4 and unknown commands answer nothing.
      break;
  }
  return 0;
}

int32_t PlugSystemCmd(const char* address, int32_t command) {
  CKAV7420App& app = CKAV7420App::get();
  constexpr int kCommandTimeout = 6000;
  app.retarget(app.commandSession, address, kCommandTimeout);
  if (command >= 1 && command <= 3) {
    // 1 restart, 2 factory defaults, 3 save and activate: device codes 0, 1, 2.
    apSysCommand(app.commandHandle, command - 1, kCommandTimeout);
    apSnmpSendGetRequest(app.commandHandle, nullptr, const_cast<char*>(address), AP_MODE_SYNC, 0);
  }
  return 0;
}

}  // extern "C"
