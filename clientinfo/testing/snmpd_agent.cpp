#include "clientinfo/testing/snmpd_agent.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

namespace kav::clientinfo::testing {
namespace {

// True once the agent answers a get of sysDescr.0 (raw v1 request).
bool Answers(const std::string& address, uint16_t port) {
  static const uint8_t kGet[] = {0x30, 0x26, 0x02, 0x01, 0x00, 0x04, 0x06, 'p',  'u',  'b',  'l',  'i',  'c',
                                 0xa0, 0x19, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x0e,
                                 0x30, 0x0c, 0x06, 0x08, 0x2b, 0x06, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00, 0x05,
                                 0x00};
  int s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  inet_pton(AF_INET, address.c_str(), &a.sin_addr);
  timeval tv{0, 100000};
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  sendto(s, kGet, sizeof kGet, 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
  uint8_t buffer[1500];
  bool ok = recv(s, buffer, sizeof buffer, 0) > 0;
  close(s);
  return ok;
}

}  // namespace

uint16_t FreeUdpPort() {
  int s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t length = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
  close(s);
  return ntohs(a.sin_port);
}

CSnmpdAgent::CSnmpdAgent(const std::string& extraConfig) {
  char pattern[] = "/tmp/kav-snmpd-XXXXXX";
  if (!mkdtemp(pattern)) return;
  m_folder = pattern;
  const std::string conf = m_folder + "/snmpd.conf";
  {
    std::ofstream out(conf);
    out << "rocommunity public 127.0.0.1\n" << extraConfig << "\n";
  }
  for (int attempt = 0; attempt < 5 && m_pid < 0; ++attempt) {
    m_port = FreeUdpPort();
    const std::string endpoint = "udp:" + m_address + ":" + std::to_string(m_port);
    const std::string pidFile = m_folder + "/snmpd.pid";
    const std::string log = m_folder + "/snmpd.log";
    const std::string persistent = "--persistentDir=" + m_folder;
    pid_t pid = fork();
    if (pid == 0) {
      setenv("MIBS", "", 1);  // Debian ships no standard MIB files: no noise about them
      execlp("snmpd", "snmpd", "-f", "-Lf", log.c_str(), "-C", "-c", conf.c_str(), "-p", pidFile.c_str(),
             persistent.c_str(), endpoint.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 100; ++i) {
      if (waitpid(pid, nullptr, WNOHANG) == pid) break;  // exited: port taken, try another
      if (Answers(m_address, m_port)) {
        m_pid = pid;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (m_pid < 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
}

CSnmpdAgent::~CSnmpdAgent() {
  if (m_pid > 0) {
    kill(m_pid, SIGTERM);
    for (int i = 0; i < 50 && waitpid(m_pid, nullptr, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
  }
  if (!m_folder.empty()) std::system(("rm -rf '" + m_folder + "'").c_str());
}

}  // namespace kav::clientinfo::testing
