#include "sim/transfer.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "sim/aclfile.h"
#include "sim/dcf.h"
#include "sim/files.h"
#include "sim/fwimage.h"

namespace kav::sim {
namespace {

TransferOutcome failed(std::string message, long status = kTransferFailed) {
  TransferOutcome o;
  o.status = status;
  o.message = std::move(message);
  return o;
}

TransferOutcome done(std::string message) {
  TransferOutcome o;
  o.status = kTransferDone;
  o.message = std::move(message);
  return o;
}

// A fresh temporary file in the device's folder for a download.
std::optional<std::string> newDownload(const std::string& dir) {
  std::string tmpl = dir + "/" + kDownloadPrefix + "XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return std::nullopt;
  ::close(fd);
  return std::string(name.data());
}

// Fetches the job's file into a temporary download.  On failure the
// download is gone and the outcome says why.
std::optional<std::string> fetchToDownload(const TransferJob& job, uint64_t maxBytes, const std::atomic<bool>& cancel,
                                           TransferOutcome* failure) {
  auto path = newDownload(job.stateDir);
  if (!path) {
    *failure = failed("cannot store the file on the device");
    return std::nullopt;
  }
  ftp::Result r = ftp::fetch(job.target, *path, maxBytes, cancel);
  if (!r.ok) {
    ::unlink(path->c_str());
    *failure = failed(std::move(r.message));
    return std::nullopt;
  }
  return path;
}

// Writing an image takes a while; a cancel cuts it short.
bool flash(uint32_t ms, const std::atomic<bool>& cancel) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    if (cancel) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return !cancel;
}

// Checks an image and writes it; the outcome carries the written version.
TransferOutcome writeImage(const TransferJob& job, const std::string& path, const std::atomic<bool>& cancel) {
  const fw::Check c = fw::checkImageFile(path, job.model);
  if (c.verdict == fw::Verdict::Unreadable) return failed(c.message);
  if (c.verdict == fw::Verdict::Unusable) return failed(c.message, kTransferWrongImage);
  if (!flash(job.flashMs, cancel)) return failed("transfer interrupted");
  TransferOutcome o = done("image " + c.header.version + " written");
  o.writtenVersion = c.header.version;
  return o;
}

TransferOutcome fetchFile(const TransferJob& job, uint64_t maxBytes, const char* target, const char* what,
                          const std::atomic<bool>& cancel) {
  TransferOutcome o;
  auto path = fetchToDownload(job, maxBytes, cancel, &o);
  if (!path) return o;
  o = done(std::string(what) + " stored");
  o.download = *path;
  o.moveTo = job.stateDir + "/" + target;
  return o;
}

// A PEM file: the text must hold the block it is named for.
TransferOutcome fetchPem(const TransferJob& job, bool key, const std::atomic<bool>& cancel) {
  TransferOutcome o = fetchFile(job, kMaxPemFile, key ? kKeyFile : kCertificateFile,
                                key ? "SSL key" : "SSL certificate", cancel);
  if (o.status != kTransferDone) return o;
  const std::string text = readFile(o.download).value_or("");
  const bool looks = key ? text.find("-----BEGIN ") != std::string::npos &&
                               text.find("PRIVATE KEY-----") != std::string::npos
                         : text.find("-----BEGIN CERTIFICATE-----") != std::string::npos;
  if (!looks) {
    TransferOutcome f = failed(key ? "not a PEM private key" : "not a PEM certificate");
    f.download = o.download;
    return f;
  }
  return o;
}

TransferOutcome fetchConfig(const TransferJob& job, const std::atomic<bool>& cancel) {
  TransferOutcome o;
  auto path = fetchToDownload(job, kMaxConfigFile, cancel, &o);
  if (!path) return o;
  const std::string bytes = readFile(*path).value_or("");
  ::unlink(path->c_str());
  std::string why;
  auto content = readDcf(bytes, kMaxConfigXml, &why);
  if (!content) return failed(why);
  ConfigDoc doc;
  if (!doc.parse(content->xml, &why)) return failed("configuration file damaged");
  if (content->root != job.rootName || doc.rootName() != job.rootName)
    return failed("configuration file is for " + (content->root != job.rootName ? content->root : doc.rootName()));
  doc.ensureRadios(job.bandCount);
  o = done("configuration taken");
  o.config = std::move(doc);
  o.restart = true;
  return o;
}

TransferOutcome fetchAcl(const TransferJob& job, const std::atomic<bool>& cancel) {
  TransferOutcome o;
  auto path = fetchToDownload(job, kMaxAclFile, cancel, &o);
  if (!path) return o;
  const std::string text = readFile(*path).value_or("");
  ::unlink(path->c_str());
  std::string why;
  auto macs = parseAclFile(text, &why);
  if (!macs) return failed(why);
  o = done("access control list of " + std::to_string(macs->size()) + " addresses taken");
  o.acl = std::move(*macs);
  return o;
}

TransferOutcome storeFile(const TransferJob& job, const char* what, const std::atomic<bool>& cancel) {
  ftp::Result r = ftp::store(job.target, job.upload, cancel);
  if (!r.ok) return failed(std::move(r.message));
  return done(std::string(what) + " stored as " + job.target.fileName);
}

}  // namespace

TransferOutcome runTransfer(const TransferJob& job, const std::atomic<bool>& cancel) {
  switch (job.kind) {
    case 1: {
      TransferOutcome o;
      auto path = fetchToDownload(job, fw::kMaxImageSize, cancel, &o);
      if (!path) return o;
      o = writeImage(job, *path, cancel);
      o.download = *path;
      if (o.status == kTransferDone) {
        o.moveTo = job.stateDir + "/" + kStagingFile;
        o.message += ", restarting";
        o.restart = true;
      }
      return o;
    }
    case 2: return fetchPem(job, false, cancel);
    case 3: return fetchPem(job, true, cancel);
    case 4: return fetchConfig(job, cancel);
    case 5: return storeFile(job, "configuration", cancel);
    case 6: return fetchAcl(job, cancel);
    case 7: return storeFile(job, "access control list", cancel);
    case 8: return fetchFile(job, kMaxLanguagePack, kLanguagePackFile, "language pack", cancel);
    case 10: return fetchFile(job, fw::kMaxImageSize, kStagingFile, "image", cancel);
    case 11: {
      const std::string staged = job.stateDir + "/" + kStagingFile;
      if (!fileExists(staged)) return failed("no staged image");
      return writeImage(job, staged, cancel);
    }
    default: return failed("unsupported transfer kind " + std::to_string(job.kind));
  }
}

// ---- worker ----

TransferWorker::~TransferWorker() {
  if (!busy()) return;
  cancel("shutting down");
  thread_.join();
  if (!outcome_.download.empty()) ::unlink(outcome_.download.c_str());
}

void TransferWorker::start(TransferJob job, std::function<void()> finished) {
  cancel_ = false;
  finished_ = false;
  cancelReason_.clear();
  thread_ = std::thread([this, job = std::move(job), finished = std::move(finished)] {
    outcome_ = runTransfer(job, cancel_);
    finished_ = true;
    if (finished) finished();
  });
}

std::optional<TransferOutcome> TransferWorker::take() {
  if (!busy() || !finished_) return std::nullopt;
  thread_.join();
  TransferOutcome o = std::move(outcome_);
  outcome_ = TransferOutcome{};
  if (cancel_) {
    // Whatever the job got done is not taken.
    TransferOutcome f;
    f.message = cancelReason_;
    f.download = std::move(o.download);
    return f;
  }
  return o;
}

void TransferWorker::cancel(const std::string& reason) {
  if (!busy() || cancel_) return;
  cancelReason_ = reason;
  cancel_ = true;
}

}  // namespace kav::sim
