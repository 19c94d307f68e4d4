// File transfers of a simulated device: what it does when a manager sets
// transferStart = 1.  The device (device.h) takes the request on its SNMP
// thread and hands a TransferJob to its TransferWorker; the job talks to
// the FTP server on the worker thread and touches nothing of the device but
// a temporary download in the device's folder (and, for kind 11, reads the
// staged image).  Whatever changes the device - a file put in place, a new
// configuration, the written firmware version, a restart - comes back in
// the TransferOutcome and is committed by the device on its own thread, so
// that the agent never sees half a change and a failure changes nothing.
//
// Kinds (transferKind):
//    1  fetch a firmware image, check it and write it (10 and 11 in one);
//       the device restarts by itself a second after it reports done
//    2  fetch an SSL certificate (PEM) into ssl/cert.pem
//    3  fetch an SSL private key (PEM) into ssl/key.pem
//    4  fetch a configuration file (.dcf) and take it; restarts as kind 1
//    5  store the configuration file (.dcf)
//    6  fetch an ACL file and take it as the access control list of radio 1
//    7  store that list as an ACL file
//    8  fetch a language pack into langpack.bin
//   10  fetch a firmware image into staging.img (unchecked)
//   11  check the staged image and write it; it runs from the next restart
//   12  restart (with the written image, if any); answered by the device at
//       once, never by a worker
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/ftp.h"
#include "sim/xmlconfig.h"

namespace kav::sim {

// transferStatus
enum TransferStatus : long {
  kTransferIdle = 0,
  kTransferRunning = 1,
  kTransferDone = 2,
  kTransferFailed = 3,
  kTransferWrongImage = 500,  // not a firmware image for this device
};

// Files of a device folder that transfers fill.
inline constexpr const char* kStagingFile = "staging.img";
inline constexpr const char* kCertificateFile = "ssl/cert.pem";
inline constexpr const char* kKeyFile = "ssl/key.pem";
inline constexpr const char* kLanguagePackFile = "langpack.bin";
// Downloads land in "download.XXXXXX" first.
inline constexpr const char* kDownloadPrefix = "download.";

// Largest files a device fetches, by what they are.
inline constexpr uint64_t kMaxConfigFile = 4ull << 20;
inline constexpr size_t kMaxConfigXml = 16u << 20;
inline constexpr uint64_t kMaxPemFile = 1ull << 20;
inline constexpr uint64_t kMaxAclFile = 64ull << 10;
inline constexpr uint64_t kMaxLanguagePack = 16ull << 20;

// Everything a job needs, copied from the device when it starts.
struct TransferJob {
  long kind = 0;
  ftp::Target target;
  std::string stateDir;  // the device's folder
  std::string model;     // images must be for this model
  std::string rootName;  // configurations must have this root element
  int bandCount = 1;
  uint32_t flashMs = 300;  // how long writing an image takes
  std::string upload;      // kinds 5 and 7: the bytes to store
};

struct TransferOutcome {
  long status = kTransferFailed;
  std::string message;
  std::string download;  // a temporary file the job wrote; removed unless moved
  std::string moveTo;    // on success the download becomes this file
  std::optional<std::string> writtenVersion;  // an image was written to flash
  std::optional<ConfigDoc> config;            // a configuration to take
  std::optional<std::vector<uint64_t>> acl;   // an access control list to take
  bool restart = false;                       // restart once reported
};

// Runs one job on the calling thread.
TransferOutcome runTransfer(const TransferJob& job, const std::atomic<bool>& cancel);

// One transfer at a time, on its own thread.  All calls come from the
// device's thread; the worker thread only runs the job.
class TransferWorker {
 public:
  TransferWorker() = default;
  // Cancels a running job, waits for it and removes its download.
  ~TransferWorker();
  TransferWorker(const TransferWorker&) = delete;
  TransferWorker& operator=(const TransferWorker&) = delete;

  // From start() until take() has handed over the outcome.
  bool busy() const { return thread_.joinable(); }
  // Runs the job on a new thread; `finished` is called on that thread once
  // the outcome is ready (to wake the device's thread).
  void start(TransferJob job, std::function<void()> finished);
  // The outcome of a finished job (the thread is joined); std::nullopt while
  // it runs or when there is none.
  std::optional<TransferOutcome> take();
  // Asks a running job to stop soon (a download within about a second).
  // Its outcome becomes a failure with `reason`, whatever the job got done.
  void cancel(const std::string& reason);

 private:
  std::thread thread_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> finished_{false};
  std::string cancelReason_;
  TransferOutcome outcome_;  // written by the worker before finished_
};

}  // namespace kav::sim
