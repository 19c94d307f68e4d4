// Compressed files through zlib's gzip file functions.  The body of a
// device configuration file is such a gzip stream; CGzipFile writes it when
// packing and reads it back when unpacking.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

typedef struct gzFile_s* gzFile;

namespace kav::tmpl {

// The operations every compressed file offers, in the order of its table
// of virtual functions.  Opening and reading the whole file are plain
// members of the implementation.
class CCompressedFile {
 public:
  enum Mode : int32_t { kClosed = 0, kWrite = 1, kRead = 2 };

  virtual ~CCompressedFile() = default;
  virtual void SetMode(int32_t mode) = 0;
  // False when the file was not open or when closing reported an error
  // (for a file being written: the data did not all reach the disk).
  virtual bool Close() = 0;
  virtual bool IsOpen() const = 0;
  // True when all bytes were written.
  virtual bool Write(const void* data, size_t length) = 0;
  virtual bool WriteText(const std::string& text) = 0;
  // gzread's result: bytes delivered, 0 at the end, -1 on error.
  virtual int Read(void* buffer, unsigned length) = 0;
  // Like ReadAll, without the terminating zero; the byte count goes to total.
  virtual bool ReadAllRaw(std::string& out, size_t& total, size_t limit) = 0;
  // gzsetparams with the helper's level and strategy; only while writing.
  virtual bool SetParams() = 0;
};

class CGzipFile final : public CCompressedFile {
 public:
  // Upper bound for ReadAll unless the caller gives another: a body that
  // inflates beyond it is refused rather than filling memory and disk.
  static constexpr size_t kDefaultReadLimit = size_t{64} << 20;

  CGzipFile() = default;
  ~CGzipFile() override;
  CGzipFile(const CGzipFile&) = delete;
  CGzipFile& operator=(const CGzipFile&) = delete;

  // Mode kWrite creates or truncates path; mode kRead needs an existing,
  // writable file and remembers its length as the read chunk size.
  // False when already open or when zlib gives no handle.
  bool Open(const std::string& path, int32_t mode);

  // Reads the whole file (decompressing when it is a gzip stream; zlib
  // hands other content over unchanged).  out receives the bytes followed
  // by one zero byte, so out.size() is the total plus one.  False when not
  // open for reading, on a decompression error, on a stream that ends
  // before its trailer, when the total would pass limit, or when there is
  // nothing to read.
  bool ReadAll(std::string& out, size_t limit = kDefaultReadLimit);

  void SetMode(int32_t mode) override { mode_ = mode; }
  bool Close() override;
  bool IsOpen() const override { return handle_ != nullptr; }
  bool Write(const void* data, size_t length) override;
  bool WriteText(const std::string& text) override;
  int Read(void* buffer, unsigned length) override;
  bool ReadAllRaw(std::string& out, size_t& total, size_t limit) override;
  bool SetParams() override;

  int32_t mode() const { return mode_; }
  int32_t chunkSize() const { return chunkSize_; }

 private:
  int32_t mode_ = kClosed;
  int32_t level_ = -1;    // zlib's default compression level
  int32_t strategy_ = 0;  // zlib's default strategy
  gzFile handle_ = nullptr;
  int32_t chunkSize_ = 0;  // reading: length of the compressed file
};

}  // namespace kav::tmpl
