#include "sim/testing/sim_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace kav::sim::testing {
namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error("SimProcess: " + what); }

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail("cannot read " + path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writeWhole(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) fail("cannot write " + path);
}

// A port the kernel considers free on this address right now.
uint16_t freePort(const std::string& address) {
  int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (s < 0) fail("socket: " + std::string(std::strerror(errno)));
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  ::inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
  socklen_t len = sizeof sa;
  if (::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
    int e = errno;
    ::close(s);
    fail("cannot bind a UDP socket on " + address + ": " + std::strerror(e));
  }
  ::close(s);
  return ntohs(sa.sin_port);
}

std::vector<std::string> pickAddresses(int count) {
  std::random_device rd;
  std::mt19937 gen(rd() ^ static_cast<unsigned>(::getpid()) ^
                   static_cast<unsigned>(Clock::now().time_since_epoch().count()));
  const uint32_t a = std::uniform_int_distribution<uint32_t>(16, 250)(gen);
  const uint32_t b = std::uniform_int_distribution<uint32_t>(0, 255)(gen);
  std::vector<std::string> out;
  uint32_t base = (127u << 24) | (a << 16) | (b << 8);
  for (uint32_t host = base + 1; static_cast<int>(out.size()) < count; ++host) {
    if ((host & 0xFF) == 0 || (host & 0xFF) == 255) continue;
    out.push_back(std::to_string(host >> 24) + '.' + std::to_string((host >> 16) & 255) + '.' +
                  std::to_string((host >> 8) & 255) + '.' + std::to_string(host & 255));
  }
  return out;
}

int decodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

std::string simulatorBinary() {
  if (const char* env = std::getenv("KAV_SIM_BINARY"); env && *env) return env;
  return std::string(KAV_BIN_DIR) + "/kav7420-sim";
}

namespace {
SimOptions optionsFor(int devices, std::string scenario) {
  SimOptions o;
  o.devices = devices;
  o.scenario = std::move(scenario);
  return o;
}
}  // namespace

SimProcess::SimProcess(int devices, std::string scenario) : SimProcess(optionsFor(devices, std::move(scenario))) {}

SimProcess::SimProcess(SimOptions options) : options_(std::move(options)) {
  if (options_.devices < 1 || options_.devices > 2000) fail("devices must be 1..2000");
  if (options_.binary.empty()) options_.binary = simulatorBinary();
  const char* tmp = std::getenv("TMPDIR");
  std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/kavsim-XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data())) fail("mkdtemp: " + std::string(std::strerror(errno)));
  tempDir_ = buf.data();
  stateDir_ = tempDir_ + "/state";
  scenarioPath_ = tempDir_ + "/scenario.ini";

  std::string why;
  for (int attempt = 0; attempt < 5; ++attempt) {
    addresses_ = pickAddresses(options_.devices);
    port_ = freePort(addresses_.front());
    writeWhole(scenarioPath_, expand(options_.scenario));
    if (launch(&why)) return;
  }
  std::error_code ec;
  std::filesystem::remove_all(tempDir_, ec);
  fail("kav7420-sim did not start: " + why);
}

SimProcess::~SimProcess() {
  try {
    stop();
  } catch (...) {
  }
  if (!std::getenv("KAV_KEEP_SIM_STATE")) {
    std::error_code ec;
    std::filesystem::remove_all(tempDir_, ec);
  }
}

std::string SimProcess::peer(size_t i) const { return "udp:" + address(i) + ":" + std::to_string(port_); }

std::string SimProcess::configPath(size_t i) const { return stateDir_ + "/" + address(i) + "/config.xml"; }

std::string SimProcess::configXml(size_t i) const { return readWhole(configPath(i)); }

bool SimProcess::launch(std::string* why) {
  std::string list;
  for (const auto& a : addresses_) list += (list.empty() ? "" : ",") + a;
  std::vector<std::string> args = {options_.binary, "--devices", list, "--port", std::to_string(port_),
                                   "--state", stateDir_, "--scenario", scenarioPath_};
  args.insert(args.end(), options_.extraArgs.begin(), options_.extraArgs.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) fail("pipe: " + std::string(std::strerror(errno)));
  const pid_t parent = ::getpid();
  pid_t pid = ::fork();
  if (pid < 0) fail("fork: " + std::string(std::strerror(errno)));
  if (pid == 0) {
    // The simulator must not outlive a test that crashed.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(out[1], STDOUT_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  pid_ = pid;
  stdoutFd_ = out[0];
  buffer_.clear();
  const auto deadline = Clock::now() + options_.startTimeout;
  while (true) {
    bool eof = false;
    std::string line = readLine(deadline, &eof);
    if (line == "ready") return true;
    if (eof || Clock::now() >= deadline) {
      int status = stop();
      *why = eof ? "exited with status " + std::to_string(status) + " before it was ready"
                 : "not ready within the time limit";
      return false;
    }
  }
}

std::string SimProcess::readLine(Clock::time_point deadline, bool* eof) {
  *eof = false;
  while (true) {
    size_t nl = buffer_.find('\n');
    if (nl != std::string::npos) {
      std::string line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      return line;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0 || stdoutFd_ < 0) return {};
    pollfd p{stdoutFd_, POLLIN, 0};
    int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) continue;
    char buf[4096];
    ssize_t got = ::read(stdoutFd_, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      *eof = true;
      return {};
    }
    buffer_.append(buf, static_cast<size_t>(got));
  }
}

std::string SimProcess::waitForLine(const std::string& prefix, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (true) {
    bool eof = false;
    std::string line = readLine(deadline, &eof);
    if (!line.empty() && line.rfind(prefix, 0) == 0) return line;
    if (eof) fail("kav7420-sim ended while waiting for '" + prefix + "'");
    if (Clock::now() >= deadline) fail("no '" + prefix + "' from kav7420-sim in time");
  }
}

bool SimProcess::running() {
  if (pid_ < 0) return false;
  int status = 0;
  pid_t r = ::waitpid(pid_, &status, WNOHANG);
  if (r == pid_) {
    lastStatus_ = decodeStatus(status);
    pid_ = -1;
    if (stdoutFd_ >= 0) ::close(stdoutFd_);
    stdoutFd_ = -1;
    return false;
  }
  return true;
}

void SimProcess::signal(int sig) {
  if (pid_ < 0) fail("kav7420-sim is not running");
  ::kill(pid_, sig);
}

std::string SimProcess::expand(const std::string& text) const {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "${") == 0) {
      size_t end = text.find('}', i + 2);
      if (end != std::string::npos) {
        std::string n = text.substr(i + 2, end - i - 2);
        if (!n.empty() && n.find_first_not_of("0123456789") == std::string::npos) {
          size_t index = std::stoul(n);
          if (index >= addresses_.size()) fail("scenario names device " + n + " of " + std::to_string(addresses_.size()));
          out += addresses_[index];
          i = end;
          continue;
        }
      }
    }
    out += text[i];
  }
  return out;
}

void SimProcess::writeScenario(const std::string& text) {
  options_.scenario = text;
  writeWhole(scenarioPath_, expand(text));
}

void SimProcess::setScenario(const std::string& text) {
  writeScenario(text);
  reload();
}

void SimProcess::reload() {
  signal(SIGHUP);
  std::string line = waitForLine("reload");
  if (line != "reloaded") fail(line);
}

std::map<std::string, DeviceStats> SimProcess::stats() {
  signal(SIGUSR1);
  std::string line = waitForLine("stats");
  if (line != "stats") fail(line);
  std::map<std::string, DeviceStats> out;
  std::istringstream in(readWhole(stateDir_ + "/stats.txt"));
  std::string address;
  DeviceStats s;
  while (in >> address >> s.received >> s.answered) out[address] = s;
  return out;
}

int SimProcess::stop() {
  if (pid_ < 0) return lastStatus_;
  ::kill(pid_, SIGTERM);
  int status = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  pid_t r = 0;
  while ((r = ::waitpid(pid_, &status, WNOHANG)) == 0 && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  if (r == 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
  }
  lastStatus_ = decodeStatus(status);
  pid_ = -1;
  if (stdoutFd_ >= 0) ::close(stdoutFd_);
  stdoutFd_ = -1;
  return lastStatus_;
}

void SimProcess::start() {
  if (pid_ >= 0) return;
  std::string why;
  if (!launch(&why)) fail("kav7420-sim did not start again: " + why);
}

CommandResult runCommand(const std::vector<std::string>& args, std::chrono::milliseconds timeout) {
  CommandResult result;
  if (args.empty()) return result;
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return result;
  if (::pipe2(err, O_CLOEXEC) != 0) {
    ::close(out[0]);
    ::close(out[1]);
    return result;
  }
  pid_t pid = ::fork();
  if (pid < 0) return result;
  if (pid == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    int devnull = ::open("/dev/null", O_RDONLY);
    if (devnull >= 0) ::dup2(devnull, STDIN_FILENO);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  const auto deadline = Clock::now() + timeout;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open = 2;
  bool killed = false;
  while (open > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0 && !killed) {
      ::kill(pid, SIGKILL);
      killed = true;
    }
    int n = ::poll(fds, 2, killed ? 1000 : static_cast<int>(std::min<long long>(left, 1000)));
    if (n < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buf[4096];
      ssize_t got = ::read(fds[i].fd, buf, sizeof buf);
      if (got > 0) {
        (i == 0 ? result.out : result.err).append(buf, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (auto& f : fds)
    if (f.fd >= 0) ::close(f.fd);
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.status = decodeStatus(status);
  return result;
}

}  // namespace kav::sim::testing
