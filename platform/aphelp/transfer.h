// A transfer moves a feature handle's values from or to the device as a
// short series of requests:
//   - writes queued ahead of everything (a command, a scan trigger),
//   - one GET for all scalars and fixed rows the mask selects (split in
//     halves only when the device answers tooBig),
//   - one GETBULK walk per table of any length,
//   - or, for a write, one SET of every changed value the mask selects, so
//     that the device takes them all or none.
// Answers are checked before anything is stored: the right objects, the
// right types, and walks that move forward.
#pragma once

#include <cstdint>
#include <chrono>
#include <deque>
#include <utility>
#include <string>
#include <vector>

#include "device/model.h"
#include "platform/aphelp/local_copy.h"

struct snmp_pdu;

namespace kav::aphelp {

struct FeatureHandle;

class Transfer {
 public:
  enum class Kind { Get, Set };

  // A transfer of handle's values that mask selects among the objects of
  // feature (by default the handle's own).  The handle must outlive the
  // transfer (closing a handle cancels its transfers first).
  Transfer(FeatureHandle& handle, Kind kind, uint32_t mask);
  Transfer(FeatureHandle& handle, Kind kind, uint32_t mask, device::Feature feature);

  // Writes value before everything else, with its own time-out (0: the
  // target's).
  void writeFirst(const device::ObjectDef* def, uint32_t row, int64_t value, int timeoutMs = 0);

  // A file transfer the device runs: one write of its description and the
  // start, then, when wait is set, questions about its progress every
  // 200 ms until it has ended or timeoutMs have passed.
  struct FileTransfer {
    int kind = 0;
    std::string server, user, password, fileName;
    int timeoutMs = 0;
    bool wait = true;
  };
  void runFileTransfer(const FileTransfer& f);

  // How long to pause before the next request (used up by reading it).
  int takeDelay() { return std::exchange(delayMs_, 0); }
  // A message of the device's own for the completion, or empty.
  const std::string& message() const { return message_; }

  // The next request, or null when the transfer is complete.  *write tells
  // whether it needs the write community, *timeoutMs a time-out of its own.
  snmp_pdu* next(bool* write, int* timeoutMs);
  // Takes the answer to the request next() gave last: AP_OK to go on, or an
  // error code that ends the transfer.
  int take(const snmp_pdu* answer);

  Kind kind() const { return kind_; }

  // What this transfer read, kept apart from the handle until it succeeds:
  // several transfers of one handle may be on their way at once (a host
  // querying many devices through one handle), and each completion must see
  // its own device's values.
  const LocalCopy& result() const { return result_; }
  // Takes the values read into the handle's local copy.
  void commit();

 private:
  struct Step {
    enum Type { Write, Read, Walk, Poll } type;
    // Write: values to send (explicit, or the local copy's changes)
    std::vector<std::pair<LocalCopy::Key, Value>> writes;
    bool fromLocalCopy = false;
    int timeoutMs = 0;
    // Read: objects and rows to fetch
    std::vector<LocalCopy::Key> reads;
    // Walk: the columns of one table, where each stands, which are done
    std::vector<const device::ObjectDef*> columns;
    std::vector<std::vector<uint32_t>> cursor;
    std::vector<bool> done;
    bool started = false;
    // Poll: when it started asking, how long it may take
    std::chrono::steady_clock::time_point since{};
  };

  int takeRead(Step& step, const snmp_pdu* answer);
  int takeWalk(Step& step, const snmp_pdu* answer);
  int takeWrite(Step& step, const snmp_pdu* answer);
  int takePoll(Step& step, const snmp_pdu* answer, bool* finished);

  FeatureHandle& handle_;
  Kind kind_;
  std::deque<Step> steps_;
  LocalCopy result_;
  std::vector<const device::ObjectDef*> walkedColumns_;  // replaced as a whole on commit
  std::vector<LocalCopy::Key> absent_;                    // rows the device does not have
  int delayMs_ = 0;
  std::string message_;
};

}  // namespace kav::aphelp
