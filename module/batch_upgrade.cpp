// PlugUpgradeFirmware and PlugUpFirCallBack: the batch firmware upgrade of
// the devices selected in the host's list.
#include "module/batch_upgrade.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTableWidget>
#include <QThread>
#include <algorithm>
#include <climits>
#include <memory>
#include <set>

#include "module/app.h"
#include "module/local_address.h"
#include "platform/win/messages.h"
#include "shell/transfer_settings.h"

namespace kav::module {
namespace {

CFirmwareBatch* gBatch = nullptr;
uint64_t gSerial = 0;  // tells the answers of one batch from those of another

// Step codes.
enum {
  kWait = 1,
  kWatchSelection = 2,
  kNormalise = 9,
  kSendImage = 11,
  kFinish = 12,
  kWriteImage = 13,
  kReset = 14,
};

// Transfer kinds of the device access library.
enum { kFetchImage = 7, kCheckAndWrite = 8, kRestart = 9 };

constexpr const char* kReady = ".....";
constexpr const char* kRunning = "..";
constexpr const char* kNoResponse = "No Response!";

int clampMs(int64_t ms) { return static_cast<int>(std::clamp<int64_t>(ms, 0, INT_MAX)); }

// The mask a row's local address is chosen with: the usual one when the
// host has not learnt the device's.
std::string maskOrDefault(const std::string& mask) {
  return mask.empty() || mask == "0.0.0.0" ? std::string("255.255.255.0") : mask;
}

}  // namespace

struct CFirmwareBatch::Request {
  uint64_t serial;
  int code;
  int row;
  std::string address;
};

CFirmwareBatch::CFirmwareBatch(QTableWidget* list, BatchServer server, std::string firmwarePath, BatchTimes times)
    : list_(list), server_(std::move(server)), firmwarePath_(std::move(firmwarePath)), times_(times),
      serial_(++gSerial) {
  gBatch = this;
  watchTimer_.setSingleShot(true);
  QObject::connect(&watchTimer_, &QTimer::timeout, [this] { watchExpired(); });
}

CFirmwareBatch::~CFirmwareBatch() {
  if (gBatch == this) gBatch = nullptr;
}

CFirmwareBatch* CFirmwareBatch::current() { return gBatch; }

bool CFirmwareBatch::prepare() {
  if (!list_) return false;
  std::set<int> rows;  // selected rows, in order
  for (const QModelIndex& i : list_->selectionModel()->selectedIndexes()) rows.insert(i.row());
  for (int row : rows) {
    if (!cell(row, kColStep).empty() || cell(row, kColModel) != kModelName) continue;
    const std::string address = cell(row, kColAddress);
    std::string server = server_.remoteAddress;
    if (server_.hostServer) {
      server.clear();
      PickLocalAddress(server, address, maskOrDefault(cell(row, kColMask)));
    }
    setCell(row, kColStep, "");
    setCell(row, kColProgress, kReady);
    queue_.push_back({.code = kSendImage, .row = row, .address = address, .time = times_.send,
                      .watchTime = int64_t{times_.send} + times_.extra,
                      .texts = {server, server_.user, server_.password, firmwarePath_}});
    queue_.push_back({.code = kWriteImage, .row = row, .address = address, .time = times_.second});
    handled_.push_back({row, address});
  }
  if (handled_.empty()) return false;
  queue_.push_back({.code = kWatchSelection, .watchTime = int64_t{times_.second} + times_.extra, .texts = {kRunning}});
  for (const Handled& h : handled_)
    queue_.push_back({.code = kReset, .row = h.row, .address = h.address, .time = times_.reset});
  queue_.push_back({.code = kWait, .time = times_.reset});
  for (const Handled& h : handled_)
    queue_.push_back({.code = kNormalise, .row = h.row, .address = h.address, .texts = {kRunning, kReady}});
  for (const Handled& h : handled_) queue_.push_back({.code = kFinish, .row = h.row, .address = h.address});
  return true;
}

void CFirmwareBatch::run() {
  while (!queue_.empty() && list_) {
    if (watchActive_) {
      pump(100, [this] { return !watchActive_; });
      continue;
    }
    // Taken off the queue before it runs: an abort during the step empties
    // the queue under it.
    Step s = std::move(queue_.front());
    queue_.pop_front();
    runStep(s);
  }
  stopWatch();
}

void CFirmwareBatch::runStep(const Step& s) {
  switch (s.code) {
    case kWait:
      pump(s.time * 10, [this] { return aborted_; });
      return;
    case kWatchSelection:
      watchSelection(s);
      return;
    case kNormalise: {
      const int row = resolveRow(s.row, s.address);
      if (row >= 0 && cell(row, kColProgress) == s.texts[0]) setCell(row, kColProgress, s.texts[1]);
      return;
    }
    default:
      break;
  }
  // The device steps run only for a row that is ready.
  const int row = resolveRow(s.row, s.address);
  if (row < 0 || cell(row, kColProgress) != kReady) return;
  switch (s.code) {
    case kSendImage:
      sendImage(s);
      break;
    case kWriteImage:
    case kReset:
      setCell(row, kColProgress, kRunning);
      setCell(row, kColStep, s.code == kWriteImage ? "Update F/W:2" : "Reset");
      CKAV7420App::get().retarget(CKAV7420App::get().commandSession, s.address.c_str(), clampMs(s.time));
      startTransfer(s, s.code == kWriteImage ? kCheckAndWrite : kRestart, s.time,
                    new Request{serial_, s.code, row, s.address});
      break;
    case kFinish: {
      const std::string text = cell(row, kColMac) + " Update F/W OK.";
      setCell(row, kColStep, "Update F/W");
      setCell(row, kColProgress, "OK");
      setCell(row, kColFirmware, "UpdatedFW");
      win::sendProgressText(QByteArray::fromStdString(text));
      break;
    }
    default:
      break;
  }
}

void CFirmwareBatch::sendImage(const Step& s) {
  int row = resolveRow(s.row, s.address);
  startWatch(row, s.address, s.watchTime);
  CKAV7420App& app = CKAV7420App::get();
  app.retarget(app.commandSession, s.address.c_str(), clampMs(s.time));
  const std::string& server = s.texts[0];
  if (server.empty()) {
    setCell(row, kColProgress, "Invalid IP!");
    stopWatch();
    return;
  }
  // The folder is what the host's FTP server serves, the name what the
  // device asks it for.  A path in the root folder splits as well.
  const std::string& path = s.texts[3];
  const size_t slash = path.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : slash == 0 ? std::string("/") : path.substr(0, slash);
  const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  shell::ReadFtpMethod();
  // Without a folder there is nothing to move the host's server to.
  if (shell::IsHostFtpServer() && !folder.empty()) shell::SetHostHomeFolder(folder);
  // The host may have changed its list while it took the new folder.
  row = resolveRow(row, s.address);
  if (row < 0) {
    stopWatch();
    return;
  }
  setCell(row, kColProgress, kRunning);
  setCell(row, kColStep, "Write Config:1");
  startTransfer(s, kFetchImage, s.time, new Request{serial_, s.code, row, s.address}, server, file);
}

void CFirmwareBatch::startTransfer(const Step& s, int kind, int64_t timeout, Request* request,
                                   const std::string& server, const std::string& file) {
  const bool withFile = kind == kFetchImage;
  const std::string user = withFile ? s.texts[1] : std::string();
  const std::string password = withFile ? s.texts[2] : std::string();
  int rc = apPlugSysUpGradeFTPEx(CKAV7420App::get().commandHandle, kind, server.c_str(), user.c_str(),
                                 password.c_str(), file.c_str(), clampMs(timeout), &CFirmwareBatch::onTransferDone,
                                 request, AP_MODE_ASYNC);
  if (rc != 0) {
    // A request the library refused never answers: its failure is the answer.
    std::unique_ptr<Request> own(request);
    char message[256] = {};
    apSnmpGetErrorMsg(rc, message);
    takeAnswer(*own, rc, message);
  }
}

int CFirmwareBatch::onTransferDone(intptr_t, int status, const char* message, void* context, const char*) {
  std::unique_ptr<Request> r(static_cast<Request*>(context));
  // An answer for a batch that has ended (or for an earlier one) is dropped.
  if (gBatch && gBatch->serial_ == r->serial) gBatch->takeAnswer(*r, status, message);
  return 0;
}

void CFirmwareBatch::takeAnswer(const Request& r, int status, const char* message) {
  std::string text = message ? message : "";
  const int row = resolveRow(r.row, r.address);
  if (status != 0) {
    const std::string prefix = "(SNMPClass) ";
    if (r.code == kSendImage && text.compare(0, prefix.size(), prefix) == 0) text.erase(0, prefix.size());
    // A device that did not answer in time is shown as the watch shows it.
    const std::string shown = status == AP_E_TIMEOUT ? std::string(kNoResponse) : text;
    if (row >= 0 && cell(row, kColProgress) == kRunning) setCell(row, kColProgress, shown);
    if (r.code == kSendImage)
      win::sendProgressText(QByteArray::fromStdString(r.address + " Snmp Ack: Firmware update " + text));
  } else if (row >= 0 && cell(row, kColProgress) == kRunning) {
    setCell(row, kColProgress, kReady);
  }
  // Only the answer the watch waits for ends it: a late answer of another
  // row, or one of the writes that the watch over the selection follows,
  // does not.
  if (watchActive_ && watchRow_ >= 0 && r.code == kSendImage && watchAddress_ == r.address) stopWatch();
}

void CFirmwareBatch::watchSelection(const Step& s) {
  const std::string& running = s.texts[0];
  auto anyStillRunning = [&] {
    for (const Handled& h : handled_) {
      const int row = resolveRow(h.row, h.address);
      if (row >= 0 && cell(row, kColProgress) == running) return true;
    }
    return false;
  };
  startWatch(-1, {}, s.watchTime);
  while (watchActive_ && !aborted_ && list_ && anyStillRunning())
    pump(200, [this] { return !watchActive_ || aborted_; });
  if (!watchActive_ && !aborted_) {
    // The watch ran out: whoever is still running did not answer.
    for (const Handled& h : handled_) {
      const int row = resolveRow(h.row, h.address);
      if (row >= 0 && cell(row, kColProgress) == running) setCell(row, kColProgress, kNoResponse);
    }
  }
  stopWatch();
}

void CFirmwareBatch::startWatch(int row, const std::string& address, int64_t watchMs) {
  watchRow_ = row;
  watchAddress_ = address;
  watchActive_ = true;
  watchTimer_.start(clampMs(watchMs));
}

void CFirmwareBatch::stopWatch() {
  watchTimer_.stop();
  watchActive_ = false;
}

void CFirmwareBatch::watchExpired() {
  if (watchRow_ >= 0) {
    const int row = resolveRow(watchRow_, watchAddress_);
    if (row >= 0 && cell(row, kColProgress) == kRunning) setCell(row, kColProgress, kNoResponse);
  }
  stopWatch();
}

bool CFirmwareBatch::watchPending() { return watchActive_ && (watchRow_ >= 0 || anyRunning()); }

void CFirmwareBatch::abort() {
  if (queue_.empty() || aborting_) return;
  aborting_ = true;
  // The step under way may answer first.
  while (watchPending() && list_) pump(2000, [this] { return !watchPending(); });
  queue_.clear();
  stopWatch();
  aborted_ = true;
  for (const Handled& h : handled_) {
    const int row = resolveRow(h.row, h.address);
    if (row >= 0 && cell(row, kColProgress) != "OK") setCell(row, kColProgress, "Aborted!");
  }
}

void CFirmwareBatch::pump(int64_t ms, const std::function<bool()>& until) {
  QElapsedTimer t;
  t.start();
  for (;;) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (!list_ || (until && until())) return;
    const int64_t left = ms - t.elapsed();
    if (left <= 0) return;
    QThread::msleep(static_cast<unsigned long>(std::min<int64_t>(10, left)));
  }
}

int CFirmwareBatch::resolveRow(int row, const std::string& address) const {
  if (!list_) return -1;
  if (row >= 0 && row < list_->rowCount() && cell(row, kColAddress) == address) return row;
  for (int r = 0; r < list_->rowCount(); ++r)
    if (cell(r, kColAddress) == address) return r;
  return -1;
}

std::string CFirmwareBatch::cell(int row, int column) const {
  if (!list_ || row < 0 || row >= list_->rowCount() || column >= list_->columnCount()) return {};
  const QTableWidgetItem* item = list_->item(row, column);
  return item ? item->text().toLocal8Bit().toStdString() : std::string();
}

void CFirmwareBatch::setCell(int row, int column, const std::string& text) {
  if (!list_ || row < 0 || row >= list_->rowCount() || column >= list_->columnCount()) return;
  QTableWidgetItem* item = list_->item(row, column);
  if (!item) list_->setItem(row, column, item = new QTableWidgetItem);
  item->setText(QString::fromLocal8Bit(text));
}

bool CFirmwareBatch::anyRunning() const {
  for (const Handled& h : handled_) {
    const int row = resolveRow(h.row, h.address);
    if (row >= 0 && cell(row, kColProgress) == kRunning) return true;
  }
  return false;
}

}  // namespace kav::module

using kav::module::BatchServer;
using kav::module::CFirmwareBatch;

extern "C" {

int32_t PlugUpgradeFirmware(const void* mode, PlugListControl* list, void*, const char* firmwarePath,
                            int32_t sendTimeout, int32_t secondTimeout, int32_t extraTime, int32_t resetTimeout) {
  // One batch at a time: a host that starts another while one runs (from
  // an event handled during its waits) is refused.
  if (CFirmwareBatch::current() || !list) return -1;
  kav::module::CKAV7420App::get();
  BatchServer server;
  server.hostServer = mode != nullptr;
  if (server.hostServer) {
    kav::shell::ReadFtpAccount(server.user, server.password);
  } else {
    QSettings s("Vorna", "Orvane");
    s.beginGroup("AdvanceSystem");
    auto text = [&s](const char* key) { return s.value(key).toString().toLocal8Bit().toStdString().substr(0, 255); };
    server.user = text("FtpUserName");
    server.password = text("FtpPassword");
    server.remoteAddress = text("RemoteFtpIpAddress");
  }
  CFirmwareBatch batch(list, std::move(server), firmwarePath ? firmwarePath : "",
                       {sendTimeout, secondTimeout, extraTime, resetTimeout});
  if (!batch.prepare()) return -1;
  batch.run();
  return 0;
}

void PlugUpFirCallBack(void) {
  if (CFirmwareBatch* batch = CFirmwareBatch::current()) batch->abort();
}

}  // extern "C"
