#include "template/gzip_file.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace kav::tmpl {

CGzipFile::~CGzipFile() { Close(); }

bool CGzipFile::Open(const std::string& path, int32_t mode) {
  if (IsOpen()) return false;
  if (mode == kWrite) {
    handle_ = gzopen(path.c_str(), "wb");
  } else if (mode == kRead) {
    struct stat st {};
    if (access(path.c_str(), W_OK) != 0 || stat(path.c_str(), &st) != 0) return false;
    chunkSize_ = static_cast<int32_t>(std::min<off_t>(st.st_size, INT32_MAX));
    handle_ = gzopen(path.c_str(), "rb");
  } else {
    return false;
  }
  if (!handle_) return false;
  mode_ = mode;
  return true;
}

bool CGzipFile::Close() {
  if (!handle_) return false;
  int rc = gzclose(handle_);
  handle_ = nullptr;
  bool wasWriting = mode_ == kWrite;
  mode_ = kClosed;
  // Reading: gzclose also reports a stream that ended early, which
  // ReadAll has already refused; only a failed write matters here.
  return rc == Z_OK || (!wasWriting && rc == Z_BUF_ERROR);
}

bool CGzipFile::Write(const void* data, size_t length) {
  if (!handle_ || mode_ != kWrite) return false;
  const char* p = static_cast<const char*>(data);
  // gzwrite takes an unsigned count; feed large texts in pieces.
  while (length > 0) {
    unsigned piece = static_cast<unsigned>(std::min<size_t>(length, 1u << 30));
    int written = gzwrite(handle_, p, piece);
    if (written <= 0 || static_cast<unsigned>(written) != piece) return false;
    p += piece;
    length -= piece;
  }
  return true;
}

bool CGzipFile::WriteText(const std::string& text) { return Write(text.data(), text.size()); }

int CGzipFile::Read(void* buffer, unsigned length) {
  if (!handle_ || mode_ != kRead) return -1;
  return gzread(handle_, buffer, length);
}

bool CGzipFile::ReadAllRaw(std::string& out, size_t& total, size_t limit) {
  out.clear();
  total = 0;
  if (!handle_ || mode_ != kRead || chunkSize_ <= 0) return false;
  int last = 0;
  for (;;) {
    // One chunk of the compressed file's length, but never more than the
    // limit still allows (plus one byte to notice going past it).
    size_t room = std::min(limit - total, SIZE_MAX - 1) + 1;
    unsigned chunk = static_cast<unsigned>(std::min<size_t>(static_cast<size_t>(chunkSize_), room));
    out.resize(total + chunk);
    last = gzread(handle_, out.data() + total, chunk);
    if (last <= 0) break;
    total += static_cast<size_t>(last);
    if (total > limit) break;
  }
  out.resize(total);
  int err = Z_OK;
  gzerror(handle_, &err);
  // gzread reports a stream cut short (Z_BUF_ERROR) as a plain end of
  // file; treat it, like any other error, as a failed read.
  if (last < 0 || err != Z_OK || total > limit || total == 0) {
    out.clear();
    out.shrink_to_fit();
    total = 0;
    return false;
  }
  return true;
}

bool CGzipFile::ReadAll(std::string& out, size_t limit) {
  size_t total = 0;
  if (!ReadAllRaw(out, total, limit)) return false;
  out.push_back('\0');
  return true;
}

bool CGzipFile::SetParams() {
  if (!handle_ || mode_ != kWrite) return false;
  return gzsetparams(handle_, level_, strategy_) == Z_OK;
}

}  // namespace kav::tmpl
