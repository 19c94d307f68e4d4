#include "template/config_file.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "template/gzip_file.h"
#include "template/xml_config_doc.h"
#include "template/file_util.h"

namespace kav::tmpl {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Removes the temporary file when unpacking leaves early.
class TempFile {
 public:
  explicit TempFile(std::string path) : path_(std::move(path)) {}
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

bool Unpack(const std::string& sourcePath, const std::string& targetPath) {
  File in(std::fopen(sourcePath.c_str(), "rb"));
  if (!in) return false;
  char head[kHeaderScan];
  size_t got = std::fread(head, 1, sizeof head, in.get());
  size_t body = FindBodyOffset(head, got);

  std::string tempName = UnpackTempName(targetPath);
  if (tempName.empty() || tempName == sourcePath || SameFile(tempName, sourcePath)) return false;

  TempFile temp(tempName);
  {
    File out(std::fopen(temp.path().c_str(), "wb"));
    if (!out) return false;
    if (std::fseek(in.get(), static_cast<long>(body), SEEK_SET) != 0) return false;
    // A compressed body cannot usefully be larger than the inflated text
    // it may yield; refuse to copy more than that to disk.
    const size_t maxCopy = kMaxConfigBody + (size_t{1} << 20);
    size_t copied = 0;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in.get())) > 0) {
      copied += n;
      if (copied > maxCopy) return false;
      if (std::fwrite(buf, 1, n, out.get()) != n) return false;
    }
    if (std::ferror(in.get())) return false;
    std::FILE* raw = out.release();
    bool flushed = std::fflush(raw) == 0 && !std::ferror(raw);
    if (std::fclose(raw) != 0 || !flushed) return false;
  }
  in.reset();

  std::string inflated;
  {
    CGzipFile gz;
    if (!gz.Open(temp.path(), CGzipFile::kRead)) return false;
    if (!gz.ReadAll(inflated, kMaxConfigBody)) return false;
    gz.Close();
  }

  // The body is a zero-terminated text; ReadAll added one zero byte.
  size_t length = std::strlen(inflated.c_str());
  if (length == 0) return false;
  std::string text;
  text.reserve(length + length / 16);
  for (size_t i = 0; i < length; ++i) {
    if (inflated[i] == '\n') text.push_back('\r');
    text.push_back(inflated[i]);
  }
  inflated.clear();
  inflated.shrink_to_fit();
  return WriteWholeFile(targetPath, text);
}

bool Pack(const std::string& xmlPath, const std::string& targetPath) {
  std::string root;
  {
    CXmlConfigDoc doc;
    if (!doc.Load(xmlPath)) return false;
    root = doc.RootName();
  }
  if (root.empty() || root.size() > kMaxHeader) return false;

  std::string raw;
  if (!ReadWholeFile(xmlPath, raw)) return false;
  std::string text;
  text.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    text.push_back(raw[i]);
  }
  raw.clear();

  {
    CGzipFile gz;
    if (!gz.Open(targetPath, CGzipFile::kWrite)) return false;
    bool written = gz.WriteText(text);
    // Close flushes the last block; its result is part of the write.
    if (!gz.Close() || !written) return false;
  }
  std::string stream;
  if (!ReadWholeFile(targetPath, stream)) return false;
  std::string file;
  file.reserve(root.size() + 1 + stream.size());
  file.append(root).push_back('0');
  file.append(stream);
  return WriteWholeFile(targetPath, file);
}

}  // namespace

size_t FindBodyOffset(const char* head, size_t length) {
  size_t separator = 0;
  for (size_t i = 0; i < length; ++i) {
    if (head[i] != '0') continue;
    separator = i;
    if (i + 1 < length && static_cast<unsigned char>(head[i + 1]) == 0x1F) break;
  }
  return separator + 1;
}

std::string UnpackTempName(const std::string& targetPath) {
  // Only a "." in the file name counts: one in a folder name would put the
  // temporary file (which is truncated and later deleted) outside the
  // target's folder.
  size_t slash = targetPath.rfind('/');
  size_t nameBegin = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = targetPath.rfind('.');
  if (dot == std::string::npos || dot < nameBegin) return {};
  std::string name = targetPath;
  name.replace(dot, 10, "__tmpFile.tmp");
  return name;
}

bool UnpackConfigFile(const std::string& sourcePath, const std::string& targetPath) {
  try {
    return Unpack(sourcePath, targetPath);
  } catch (...) {
    return false;
  }
}

bool PackConfigFile(const std::string& xmlPath, const std::string& targetPath) {
  try {
    return Pack(xmlPath, targetPath);
  } catch (...) {
    return false;
  }
}

}  // namespace kav::tmpl
