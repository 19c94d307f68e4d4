#include "sim/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace kav::sim {

bool writeFileAtomic(const std::string& path, std::string_view data, std::string* error) {
  auto fail = [&](const std::string& what, int err) {
    if (error) *error = what + ": " + std::strerror(err);
    return false;
  };
  std::string tmpl = path + ".XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) return fail("cannot create a file beside " + path, errno);
  auto abandon = [&](const std::string& what) {
    int err = errno;
    ::close(fd);
    ::unlink(name.data());
    return fail(what, err);
  };
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return abandon("cannot write " + std::string(name.data()));
    done += static_cast<size_t>(n);
  }
  if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0) return abandon("cannot flush " + std::string(name.data()));
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(name.data());
    return fail("cannot close " + std::string(name.data()), err);
  }
  if (::rename(name.data(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(name.data());
    return fail("cannot replace " + path, err);
  }
  // The rename must reach the disk too.
  size_t slash = path.find_last_of('/');
  std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return ss.str();
}

bool makeDirs(const std::string& path, std::string* error) {
  std::string cur;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    cur = path.substr(0, slash);
    pos = slash + 1;
    if (cur.empty()) continue;
    if (::mkdir(cur.c_str(), 0755) != 0 && errno != EEXIST) {
      if (error) *error = "cannot create " + cur + ": " + std::strerror(errno);
      return false;
    }
  }
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    if (error) *error = path + " is not a folder";
    return false;
  }
  return true;
}

bool fileExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace kav::sim
