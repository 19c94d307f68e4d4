#include "sim/server.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/large_fd_set.h>
#include <curl/curl.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>

#include "device/addresses.h"
#include "sim/agent.h"
#include "sim/device.h"
#include "sim/files.h"
#include "sim/scenario.h"

namespace kav::sim {
namespace {

volatile sig_atomic_t gStop = 0;
volatile sig_atomic_t gReload = 0;
volatile sig_atomic_t gStats = 0;
int gWake[2] = {-1, -1};

// Wakes the main loop: signals, and transfer workers that have finished.
void wakeMainLoop() {
  if (gWake[1] >= 0) {
    char c = 1;
    [[maybe_unused]] ssize_t n = ::write(gWake[1], &c, 1);
  }
}

void onSignal(int sig) {
  int saved = errno;
  if (sig == SIGTERM || sig == SIGINT) gStop = 1;
  if (sig == SIGHUP) gReload = 1;
  if (sig == SIGUSR1) gStats = 1;
  wakeMainLoop();
  errno = saved;
}

class Server;

// What a session's callbacks need to find their device.
struct Endpoint {
  Server* server;
  Device* device;
};

class Server {
 public:
  explicit Server(ServerOptions options) : opts_(std::move(options)) {}
  ~Server();
  int run();

  void handle(Endpoint& ep, netsnmp_session* session, netsnmp_pdu* request);

 private:
  struct Pending {
    netsnmp_session* session;
    netsnmp_pdu* pdu;
    Device* device;
  };

  bool loadScenario(std::string* error);
  DeviceSettings settingsFor(uint32_t address) const;
  void send(netsnmp_session* session, netsnmp_pdu* pdu, Device& device);
  void sendDue(Clock::time_point now);
  void reload();
  void tickDevices(Clock::time_point now);
  bool writeStats(std::string* error) const;

  ServerOptions opts_;
  std::optional<Scenario> scenario_;
  std::vector<std::unique_ptr<Device>> devices_;
  std::vector<std::unique_ptr<Endpoint>> endpoints_;
  std::vector<netsnmp_session*> sessions_;
  std::multimap<Clock::time_point, Pending> delayed_;  // equal times keep their order
  int maxFd_ = 0;
  Clock::time_point lastTick_{};
};

// ---- net-snmp session hooks ----

int preParse(netsnmp_session* sp, netsnmp_transport*, void*, int) {
  static_cast<Endpoint*>(sp->callback_magic)->device->stats.received++;
  return 1;
}

int postParse(netsnmp_session* sp, netsnmp_pdu*, int result) {
  if (result != SNMP_ERR_NOERROR) static_cast<Endpoint*>(sp->callback_magic)->device->stats.malformed++;
  return 1;
}

int onMessage(int op, netsnmp_session* sp, int, netsnmp_pdu* pdu, void* magic) {
  if (op == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && pdu) {
    auto* ep = static_cast<Endpoint*>(magic);
    ep->server->handle(*ep, sp, pdu);
  }
  return 1;
}

// ---- server ----

Server::~Server() {
  for (auto& [due, p] : delayed_) snmp_free_pdu(p.pdu);
  for (netsnmp_session* s : sessions_) snmp_close(s);
}

bool Server::loadScenario(std::string* error) {
  if (opts_.scenarioPath.empty()) {
    scenario_ = Scenario::parse("", error);
    return true;
  }
  auto s = Scenario::load(opts_.scenarioPath, error);
  if (!s) return false;
  scenario_ = std::move(s);
  return true;
}

DeviceSettings Server::settingsFor(uint32_t address) const {
  DeviceSettings s = scenario_->forDevice(address);
  if (s.ftpPort == 0) s.ftpPort = opts_.ftpPort;
  return s;
}

void Server::handle(Endpoint& ep, netsnmp_session* session, netsnmp_pdu* request) {
  Device& device = *ep.device;
  const auto now = Clock::now();
  device.tick(now);  // a poll sees a transfer that has just ended
  if (device.silent(now) || device.dropThisOne()) return;
  netsnmp_pdu* response = answerRequest(device, session, request);
  if (!response) return;
  const uint32_t delay = device.settings().delayMs;
  if (delay == 0) {
    send(session, response, device);
    return;
  }
  delayed_.emplace(now + std::chrono::milliseconds(delay), Pending{session, response, &device});
}

void Server::send(netsnmp_session* session, netsnmp_pdu* pdu, Device& device) {
  // snmp_send frees the PDU when it succeeds; its result is the request id,
  // which may legitimately be 0, so the session's error tells failure apart.
  session->s_snmp_errno = 0;
  int reqid = snmp_send(session, pdu);
  if (reqid == 0 && session->s_snmp_errno != 0) {
    if (opts_.verbose)
      std::fprintf(stderr, "%s: cannot send: %s\n", device.addressText().c_str(),
                   snmp_api_errstring(session->s_snmp_errno));
    snmp_free_pdu(pdu);
    return;
  }
  device.stats.answered++;
}

void Server::sendDue(Clock::time_point now) {
  while (!delayed_.empty() && delayed_.begin()->first <= now) {
    Pending p = delayed_.begin()->second;
    delayed_.erase(delayed_.begin());
    send(p.session, p.pdu, *p.device);
  }
}

void Server::reload() {
  std::string error;
  if (!loadScenario(&error)) {
    std::printf("reload failed: %s\n", error.c_str());
    std::fflush(stdout);
    return;
  }
  for (auto& d : devices_) d->applySettings(settingsFor(d->address()));
  std::printf("reloaded\n");
  std::fflush(stdout);
}

// Finished transfers and restarts that devices announced.  Cheap enough to
// run for the whole fleet when a worker wakes the loop and a few times a
// second.
void Server::tickDevices(Clock::time_point now) {
  lastTick_ = now;
  for (auto& d : devices_) d->tick(now);
}

bool Server::writeStats(std::string* error) const {
  std::string text;
  for (const auto& d : devices_)
    text += d->addressText() + ' ' + std::to_string(d->stats.received) + ' ' + std::to_string(d->stats.answered) +
            '\n';
  return writeFileAtomic(opts_.stateDir + "/stats.txt", text, error);
}

int Server::run() {
  std::string error;
  if (!loadScenario(&error)) {
    std::fprintf(stderr, "kav7420-sim: %s\n", error.c_str());
    return 2;
  }
  if (!makeDirs(opts_.stateDir, &error)) {
    std::fprintf(stderr, "kav7420-sim: %s\n", error.c_str());
    return 1;
  }
  // Every device needs a socket; a big fleet needs more than the usual 1024.
  struct rlimit rl{};
  if (getrlimit(RLIMIT_NOFILE, &rl) == 0 && rl.rlim_cur < rl.rlim_max) {
    rl.rlim_cur = rl.rlim_max;
    setrlimit(RLIMIT_NOFILE, &rl);
  }

  for (uint32_t address : opts_.addresses) {
    const std::string text = device::ipv4Text(address);
    auto reread = [this, address]() -> std::optional<DeviceSettings> {
      if (opts_.scenarioPath.empty()) return Scenario::parse("", nullptr)->forDevice(address);
      std::string why;
      auto s = Scenario::load(opts_.scenarioPath, &why);
      if (!s) {
        std::fprintf(stderr, "kav7420-sim: %s\n", why.c_str());
        return std::nullopt;
      }
      return s->forDevice(address);
    };
    auto device = std::make_unique<Device>(address, opts_.stateDir + "/" + text, reread);
    device->setWakeup(wakeMainLoop);
    if (!device->open(settingsFor(address), &error)) {
      std::fprintf(stderr, "kav7420-sim: %s: %s\n", text.c_str(), error.c_str());
      return 1;
    }
    auto ep = std::make_unique<Endpoint>(Endpoint{this, device.get()});
    const std::string endpointName = "udp:" + text + ":" + std::to_string(opts_.port);
    errno = 0;
    netsnmp_transport* transport = netsnmp_tdomain_transport(endpointName.c_str(), 1, "udp");
    if (!transport) {
      std::fprintf(stderr, "kav7420-sim: cannot listen on %s: %s\n", endpointName.c_str(),
                   errno ? std::strerror(errno) : "failed");
      return 1;
    }
    netsnmp_session templ;
    snmp_sess_init(&templ);
    templ.version = SNMP_DEFAULT_VERSION;
    templ.callback = onMessage;
    templ.callback_magic = ep.get();
    netsnmp_session* session =
        snmp_add_full(&templ, transport, preParse, parseRequest, postParse, nullptr, nullptr, nullptr, nullptr);
    if (!session) {
      std::fprintf(stderr, "kav7420-sim: cannot open a session on %s\n", endpointName.c_str());
      return 1;
    }
    // Answer whichever of the two versions the request uses.
    session->version = SNMP_DEFAULT_VERSION;
    maxFd_ = std::max(maxFd_, transport->sock);
    sessions_.push_back(session);
    endpoints_.push_back(std::move(ep));
    devices_.push_back(std::move(device));
  }

  if (::pipe2(gWake, O_CLOEXEC | O_NONBLOCK) != 0) {
    std::fprintf(stderr, "kav7420-sim: pipe: %s\n", std::strerror(errno));
    return 1;
  }
  struct sigaction sa{};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) sigaction(sig, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::printf("ready\n");
  std::fflush(stdout);

  const int setSize = std::max(maxFd_, gWake[0]) + 1;
  while (!gStop) {
    if (gReload) {
      gReload = 0;
      reload();
    }
    if (gStats) {
      gStats = 0;
      if (writeStats(&error))
        std::printf("stats\n");
      else
        std::printf("stats failed: %s\n", error.c_str());
      std::fflush(stdout);
    }
    netsnmp_large_fd_set fds;
    netsnmp_large_fd_set_init(&fds, std::max(setSize, FD_SETSIZE));
    int numfds = 0, block = 1;
    struct timeval tv{};
    snmp_select_info2(&numfds, &fds, &tv, &block);
    NETSNMP_LARGE_FD_SET(gWake[0], &fds);
    numfds = std::max(numfds, gWake[0] + 1);
    // Wake for the library's own timers, the next delayed answer, and at
    // least four times a second (for restarts that devices announced).
    auto now = Clock::now();
    auto wait = std::chrono::microseconds(250000);
    if (!block) wait = std::min(wait, std::chrono::microseconds(tv.tv_sec * 1000000L + tv.tv_usec));
    if (!delayed_.empty())
      wait = std::min(wait, std::max(std::chrono::microseconds(0), std::chrono::duration_cast<std::chrono::microseconds>(
                                                                       delayed_.begin()->first - now)));
    tv.tv_sec = static_cast<time_t>(wait.count() / 1000000);
    tv.tv_usec = static_cast<suseconds_t>(wait.count() % 1000000);
    int n = netsnmp_large_fd_set_select(numfds, &fds, nullptr, nullptr, &tv);
    bool woken = false;
    if (n > 0) {
      if (NETSNMP_LARGE_FD_ISSET(gWake[0], &fds)) {
        woken = true;
        char buf[64];
        while (::read(gWake[0], buf, sizeof buf) > 0) {
        }
      }
      snmp_read2(&fds);
    } else if (n == 0) {
      snmp_timeout();
    } else if (errno != EINTR) {
      std::fprintf(stderr, "kav7420-sim: select: %s\n", std::strerror(errno));
      netsnmp_large_fd_set_cleanup(&fds);
      return 1;
    }
    netsnmp_large_fd_set_cleanup(&fds);
    now = Clock::now();
    if (woken || now - lastTick_ >= std::chrono::milliseconds(250)) tickDevices(now);
    sendDue(now);
  }
  if (!writeStats(&error)) std::fprintf(stderr, "kav7420-sim: %s\n", error.c_str());
  return 0;
}

}  // namespace

int runServer(const ServerOptions& options) {
  // No configuration files, no persistent state and no MIB files: the
  // simulator is a device, not a net-snmp application of this machine.
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
  setenv("MIBS", "", 1);
  if (options.verbose)
    snmp_enable_stderrlog();
  else
    snmp_disable_log();
  init_snmp("kav7420-sim");
  // Before any transfer thread exists.
  curl_global_init(CURL_GLOBAL_DEFAULT);
  int rc;
  {
    Server server(options);
    rc = server.run();
  }
  curl_global_cleanup();
  return rc;
}

}  // namespace kav::sim
