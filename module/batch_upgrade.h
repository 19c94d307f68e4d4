// CFirmwareBatch: the firmware upgrade of the KAV-7420 rows the operator
// selected in the host's device list (PlugUpgradeFirmware), one queue of
// steps run on the host's thread while its events keep being processed.
//
// Per row the device fetches the image from the FTP server (one device at
// a time, each under a watch), then checks and writes it (all devices at
// once); when every write has answered, each device is told to restart,
// the batch waits for the restarts, and the rows still ready end "OK".
// Progress is written into the host's list; the final line of each device
// and the failures of the image fetch go to the host window as progress
// texts.
//
// Rows are known by their address as well as their number, so a host that
// sorts, inserts or removes rows while the batch runs neither gets texts in
// the wrong row nor loses the batch.  Answers that come after the batch has
// ended, or that belong to an earlier batch, change nothing.
#pragma once

#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QTableWidget;

namespace kav::module {

// Columns of the host's list, by number.
enum BatchColumn {
  kColAddress = 0,
  kColModel = 1,
  kColMac = 2,
  kColMask = 3,
  kColFirmware = 4,
  kColStep = 6,
  kColProgress = 7,
};

// Times of one batch, in milliseconds, as the host passes them.
struct BatchTimes {
  int32_t send = 0;    // image fetch: the request's and the transfer's time-out
  int32_t second = 0;  // image check and write
  int32_t extra = 0;   // added to the two above for the watches
  int32_t reset = 0;   // restart request; the batch then waits ten times as long
};

// Where the devices fetch the image from and with which account.
struct BatchServer {
  bool hostServer = true;  // this computer's server (chosen per row), else the remote one
  std::string remoteAddress, user, password;
};

class CFirmwareBatch {
 public:
  CFirmwareBatch(QTableWidget* list, BatchServer server, std::string firmwarePath, BatchTimes times);
  ~CFirmwareBatch();
  CFirmwareBatch(const CFirmwareBatch&) = delete;
  CFirmwareBatch& operator=(const CFirmwareBatch&) = delete;

  // The batch that is running, or null.
  static CFirmwareBatch* current();

  // Marks the selected rows of this model that no other operation holds
  // and queues their steps; false, with nothing written or queued, when
  // there is no such row.
  bool prepare();
  // Runs the queue to its end (or until aborted, or the list is gone).
  void run();
  // Lets a running step answer, drops the rest of the queue and marks every
  // handled row that has not ended "OK" "Aborted!".  Nothing when the queue
  // is empty or an abort is already under way.
  void abort();

 private:
  struct Step {
    int code = 0;
    int row = -1;
    std::string address;
    int64_t time = 0;       // time-out, or the wait of step 1 in 10-ms units
    int64_t watchTime = 0;  // steps 11 and 2
    std::vector<std::string> texts;
  };
  struct Request;  // the context of one library request

  static int onTransferDone(intptr_t, int status, const char* message, void* context, const char* address);
  void takeAnswer(const Request& r, int status, const char* message);
  void startTransfer(const Step& s, int kind, int64_t timeout, Request* request, const std::string& server = {},
                     const std::string& file = {});

  void runStep(const Step& s);
  void sendImage(const Step& s);
  void watchSelection(const Step& s);

  void startWatch(int row, const std::string& address, int64_t watchMs);
  void stopWatch();
  void watchExpired();
  bool watchPending();

  // Runs the thread's events for up to ms milliseconds in 10-ms steps,
  // less when until() holds.
  void pump(int64_t ms, const std::function<bool()>& until);

  // The row of address: the given row when it still holds the address,
  // else the first row that does; -1 when the address has left the list.
  int resolveRow(int row, const std::string& address) const;
  std::string cell(int row, int column) const;
  void setCell(int row, int column, const std::string& text);
  bool anyRunning() const;

  QPointer<QTableWidget> list_;
  BatchServer server_;
  std::string firmwarePath_;
  BatchTimes times_;
  uint64_t serial_;
  std::deque<Step> queue_;
  struct Handled {
    int row;
    std::string address;
  };
  std::vector<Handled> handled_;

  // The watch: one row (or -1, every handled row) that must answer in time.
  int watchRow_ = -1;
  std::string watchAddress_;
  bool watchActive_ = false;
  QTimer watchTimer_;

  bool aborting_ = false;
  bool aborted_ = false;
};

}  // namespace kav::module
