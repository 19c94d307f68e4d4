#include "sim/testing/ftp_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kav::sim::testing {
namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error("FtpProcess: " + what); }

std::string jsonText(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      continue;
    }
    out += c;
  }
  return out + "\"";
}

void stopChild(pid_t pid) {
  ::kill(pid, SIGTERM);
  int status = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() >= deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

std::string ftpServerScript() { return std::string(KAV_BIN_DIR) + "/orvane-ftp-server.py"; }

FtpProcess::FtpProcess(std::string user, std::string password)
    : user_(std::move(user)), password_(std::move(password)) {
  const char* tmp = std::getenv("TMPDIR");
  std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/kavftp-XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data())) fail("mkdtemp: " + std::string(std::strerror(errno)));
  home_ = buf.data();

  // Debian's interpreter, where python3-pyftpdlib is installed.
  const std::string python = ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
  std::string script = ftpServerScript();
  std::vector<char*> argv = {const_cast<char*>(python.c_str()), script.data(), nullptr};
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) fail("pipe: " + std::string(std::strerror(errno)));
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid < 0) fail("fork: " + std::string(std::strerror(errno)));
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(in[0], STDIN_FILENO);
    ::dup2(out[1], STDOUT_FILENO);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  pid_ = pid;
  // The account travels on stdin, never on a command line.
  const std::string cfg = "{\"home\": " + jsonText(home_) + ", \"user\": " + jsonText(user_) +
                          ", \"password\": " + jsonText(password_) + ", \"address\": " + jsonText(address_) +
                          ", \"port\": 0}\n";
  const bool sent = ::write(in[1], cfg.data(), cfg.size()) == static_cast<ssize_t>(cfg.size());
  ::close(in[1]);
  std::string line;
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (sent && line.find('\n') == std::string::npos && Clock::now() < deadline) {
    pollfd p{out[0], POLLIN, 0};
    if (::poll(&p, 1, 200) <= 0) continue;
    char c[256];
    const ssize_t n = ::read(out[0], c, sizeof c);
    if (n <= 0) break;
    line.append(c, static_cast<size_t>(n));
  }
  ::close(out[0]);
  if (line.rfind("ready ", 0) == 0) port_ = static_cast<uint16_t>(std::atoi(line.c_str() + 6));
  if (port_ == 0) {
    stopChild(pid_);
    pid_ = -1;
    std::error_code ec;
    std::filesystem::remove_all(home_, ec);
    fail("the FTP server did not start (" + python + " " + script + ")");
  }
}

FtpProcess::~FtpProcess() {
  if (pid_ > 0) stopChild(pid_);
  std::error_code ec;
  std::filesystem::remove_all(home_, ec);
}

void FtpProcess::put(const std::string& name, const std::string& bytes) const {
  std::ofstream f(path(name), std::ios::binary | std::ios::trunc);
  f << bytes;
  if (!f) fail("cannot write " + path(name));
}

std::optional<std::string> FtpProcess::read(const std::string& name) const {
  std::ifstream f(path(name), std::ios::binary);
  if (!f) return std::nullopt;
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

}  // namespace kav::sim::testing
