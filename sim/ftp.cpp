#include "sim/ftp.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace kav::sim::ftp {
namespace {

constexpr long kConnectSeconds = 5;
constexpr long kWholeTransferSeconds = 600;

struct EasyDeleter {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

std::string serverText(const Target& t) { return t.server + ":" + std::to_string(t.port); }

// ftp://SERVER:PORT/a/b.bin with every path segment escaped, so that no
// character of the name can change what the URL means.
std::string urlOf(const Target& t) {
  std::string url = "ftp://" + serverText(t);
  std::string_view name = t.fileName;
  while (true) {
    const size_t slash = name.find('/');
    const std::string_view seg = name.substr(0, slash);
    char* escaped = curl_easy_escape(nullptr, seg.data(), static_cast<int>(seg.size()));
    url += '/';
    url += escaped ? escaped : "";
    curl_free(escaped);
    if (slash == std::string_view::npos) break;
    name.remove_prefix(slash + 1);
  }
  return url;
}

int onProgress(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(cancel)->load() ? 1 : 0;
}

struct Sink {
  std::FILE* file = nullptr;
  uint64_t written = 0;
  uint64_t max = 0;
  bool tooLarge = false;
  bool failed = false;
};

size_t onWrite(char* data, size_t size, size_t count, void* p) {
  auto* sink = static_cast<Sink*>(p);
  const size_t n = size * count;
  if (sink->written + n > sink->max) {
    sink->tooLarge = true;
    return 0;  // curl ends the transfer with CURLE_WRITE_ERROR
  }
  if (std::fwrite(data, 1, n, sink->file) != n) {
    sink->failed = true;
    return 0;
  }
  sink->written += n;
  return n;
}

struct Source {
  std::string_view data;
  size_t at = 0;
};

size_t onRead(char* buffer, size_t size, size_t count, void* p) {
  auto* src = static_cast<Source*>(p);
  const size_t n = std::min(size * count, src->data.size() - src->at);
  std::copy_n(src->data.data() + src->at, n, buffer);
  src->at += n;
  return n;
}

// Options every transfer shares.
Easy open(const Target& t, const std::atomic<bool>& cancel, char* errorBuffer) {
  Easy h(curl_easy_init());
  if (!h) return h;
  CURL* c = h.get();
  const std::string url = urlOf(t);
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);  // threads: no SIGALRM for time-outs
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
  curl_easy_setopt(c, CURLOPT_TIMEOUT, kWholeTransferSeconds);
  curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(t.silenceSeconds));
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, static_cast<long>(t.silenceSeconds));
  if (!t.user.empty()) {
    curl_easy_setopt(c, CURLOPT_USERNAME, t.user.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, t.password.c_str());
  }
  if (!t.sourceAddress.empty()) {
    const std::string iface = "host!" + t.sourceAddress;
    curl_easy_setopt(c, CURLOPT_INTERFACE, iface.c_str());
  }
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, onProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(&cancel));
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
  return h;
}

// What went wrong, as the device says it.
std::string explain(CURLcode rc, CURL* c, const Target& t, bool storing, const char* errorBuffer) {
  curl_off_t connectTime = 0;
  curl_easy_getinfo(c, CURLINFO_CONNECT_TIME_T, &connectTime);
  switch (rc) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_INTERFACE_FAILED:
      return "cannot connect to FTP server " + serverText(t);
    case CURLE_OPERATION_TIMEDOUT:
      if (connectTime == 0) return "cannot connect to FTP server " + serverText(t);
      return "FTP server " + serverText(t) + " does not answer";
    case CURLE_LOGIN_DENIED:
      return "FTP login refused";
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_FTP_COULDNT_RETR_FILE:
      return "file not found on server: " + t.fileName;
    case CURLE_REMOTE_ACCESS_DENIED:  // a folder of the path is missing or closed
      return storing ? "server refused to store " + t.fileName : "file not found on server: " + t.fileName;
    case CURLE_UPLOAD_FAILED:
    case CURLE_REMOTE_DISK_FULL:
      return "server refused to store " + t.fileName;
    case CURLE_ABORTED_BY_CALLBACK:
      return "transfer interrupted";
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
    case CURLE_GOT_NOTHING:
      return "FTP server " + serverText(t) + " gave an unexpected answer";
    default:
      return std::string("FTP transfer failed: ") + (*errorBuffer ? errorBuffer : curl_easy_strerror(rc));
  }
}

}  // namespace

std::string fileNameProblem(std::string_view name) {
  if (name.empty()) return "no file name given";
  for (unsigned char c : name)
    if (c < 0x20 || c > 0x7E) return "bad file name";
  if (name.front() == '/' || name.back() == '/' || name.find("//") != std::string_view::npos)
    return "bad file name: " + std::string(name);
  return {};
}

Result fetch(const Target& target, const std::string& path, uint64_t maxBytes, const std::atomic<bool>& cancel) {
  char errorBuffer[CURL_ERROR_SIZE] = {};
  Easy h = open(target, cancel, errorBuffer);
  if (!h) return {false, "FTP client unavailable"};
  Sink sink;
  sink.max = maxBytes;
  sink.file = std::fopen(path.c_str(), "wb");
  if (!sink.file) return {false, "cannot store the file on the device"};
  curl_easy_setopt(h.get(), CURLOPT_WRITEFUNCTION, onWrite);
  curl_easy_setopt(h.get(), CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(h.get(), CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes));
  const CURLcode rc = curl_easy_perform(h.get());
  const bool closed = std::fclose(sink.file) == 0;
  if (sink.tooLarge || rc == CURLE_FILESIZE_EXCEEDED)
    return {false, "file too large: " + target.fileName + " is over " + std::to_string(maxBytes) + " bytes"};
  if (sink.failed || (rc == CURLE_OK && !closed)) return {false, "cannot store the file on the device"};
  if (rc != CURLE_OK) return {false, explain(rc, h.get(), target, false, errorBuffer)};
  return {true, {}};
}

Result store(const Target& target, std::string_view data, const std::atomic<bool>& cancel) {
  char errorBuffer[CURL_ERROR_SIZE] = {};
  Easy h = open(target, cancel, errorBuffer);
  if (!h) return {false, "FTP client unavailable"};
  Source src{data, 0};
  curl_easy_setopt(h.get(), CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(h.get(), CURLOPT_READFUNCTION, onRead);
  curl_easy_setopt(h.get(), CURLOPT_READDATA, &src);
  curl_easy_setopt(h.get(), CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(data.size()));
  const CURLcode rc = curl_easy_perform(h.get());
  if (rc != CURLE_OK) return {false, explain(rc, h.get(), target, true, errorBuffer)};
  return {true, {}};
}

}  // namespace kav::sim::ftp
