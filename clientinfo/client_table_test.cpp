// The client table against the simulated access point (kav7420-sim),
// and against a fake agent for answers the simulator never gives.
#include "clientinfo/client_table.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <map>
#include <set>
#include <tuple>

#include "clientinfo/qx_snmp_framework.h"
#include "clientinfo/testing/fake_agent.h"
#include "clientinfo/testing/qt_app.h"
#include "sim/testing/sim_process.h"

namespace kav::clientinfo {
namespace {

using sim::testing::SimProcess;

struct Row {
  std::string band, mac, auth;
  int rssi;
  std::string psm, ssid;
  bool operator<(const Row& o) const {
    return std::tie(mac, ssid, band, auth, rssi, psm) < std::tie(o.mac, o.ssid, o.band, o.auth, o.rssi, o.psm);
  }
  bool operator==(const Row& o) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& r) {
  return out << "{" << r.band << " " << r.mac << " " << r.auth << " " << r.rssi << " " << r.psm << " " << r.ssid
             << "}";
}

// What the host callback saw, copied while the texts are valid.
struct Answer {
  int status = -1;
  std::string message, address, model;
  int count = -1;
  bool arrayGiven = false;
  std::vector<Row> rows;
  void* context = nullptr;
};

std::vector<Answer> g_answers;

void HostCallback(ClientResult* result, int32_t count, ClientRow** rows, void* context) {
  Answer a;
  a.status = result->status;
  a.message = result->message;
  a.address = result->address;
  a.model = result->model;
  a.count = count;
  a.arrayGiven = rows != nullptr;
  a.context = context;
  for (int32_t i = 0; rows && i < count; ++i)
    a.rows.push_back({rows[i]->band, rows[i]->mac, rows[i]->authentication, rows[i]->rssi, rows[i]->powerSave,
                      rows[i]->ssidIndex});
  g_answers.push_back(a);
}

uint32_t NetworkOrder(const std::string& dotted) {
  in_addr a{};
  inet_pton(AF_INET, dotted.c_str(), &a);
  return a.s_addr;
}

class ClientTableTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing::EnsureCoreApp();
    s_temp = new QTemporaryDir;
    CQxSnmpFramework::Initialise(s_temp->path().toStdString(), "");
  }
  static void TearDownTestSuite() {
    CQxSnmpFramework::Release();
    delete s_temp;
  }
  void SetUp() override {
    g_answers.clear();
    m_table = std::make_unique<CClientTable>();
  }

  // Parameters as the host sets them, then one request; waits for its answer.
  Answer Ask(const std::string& address, uint16_t port, int timeoutMs = 2000, const char* write = "private") {
    m_table->SetSnmpParameter(NetworkOrder(address), "public", write, port, timeoutMs);
    size_t before = g_answers.size();
    int context = 0;
    m_table->GetClientInfo(address.c_str(), &HostCallback, &context);
    EXPECT_TRUE(testing::RunUntil([&] { return g_answers.size() > before; }, 20000));
    if (g_answers.size() <= before) return {};
    EXPECT_EQ(g_answers.back().context, &context);
    return g_answers.back();
  }

  static QTemporaryDir* s_temp;
  std::unique_ptr<CClientTable> m_table;
};
QTemporaryDir* ClientTableTest::s_temp = nullptr;

TEST_F(ClientTableTest, DeliversTheTableOnceWithDeviceBandAndValueTexts) {
  SimProcess sim(1,
                 "client = 00:11:22:33:44:01 0 6 -40 1 1\n"
                 "client = 001122334401 0 6 -40 1 1\n"        // the same client twice: listed once
                 "client = 000000000000 0 1 -90 0 1\n"        // all-zero MAC: skipped
                 "client = 00AABBCCDD02 1 4 -72 0 2\n"        // client band 5 GHz; the row shows the radio's
                 "client = 00AABBCCDD02 1 4 -72 0 3\n"        // same MAC on another SSID: its own row
                 "client = 00aabbccdd03 0 11 0 0 1\n"
                 "client = 00AABBCCDD04 0 12 -50 0 1\n");     // authentication without a text: its number
  Answer a = Ask(sim.address(), sim.port());
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(a.message, "(DeVIRU++) Ok!");
  EXPECT_EQ(a.address, sim.address());
  EXPECT_EQ(a.model, "KAV-7420");
  std::vector<Row> expected = {
      {"2.4GHz", "001122334401", "WPA2-Personal", -40, "On", "1"},
      {"2.4GHz", "00AABBCCDD02", "WPA-Personal", -72, "Off", "2"},
      {"2.4GHz", "00AABBCCDD02", "WPA-Personal", -72, "Off", "3"},
      {"2.4GHz", "00AABBCCDD03", "WEP", 0, "Off", "1"},
      {"2.4GHz", "00AABBCCDD04", "12", -50, "Off", "1"},
  };
  EXPECT_EQ(a.rows, expected);
  EXPECT_EQ(a.count, 5);
  EXPECT_EQ(m_table->PendingRows(sim.address()), 0u) << "delivered rows leave the pending list";

  // A second request walks afresh: the same rows, not twice as many.
  Answer again = Ask(sim.address(), sim.port());
  EXPECT_EQ(again.rows, expected);
}

TEST_F(ClientTableTest, EmptyTableDeliversSuccessWithoutRows) {
  SimProcess sim(1, "client = none\n");
  Answer a = Ask(sim.address(), sim.port());
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(a.message, "(DeVIRU++) Ok!");
  EXPECT_EQ(a.count, 0);
  EXPECT_FALSE(a.arrayGiven);
}

TEST_F(ClientTableTest, SessionWaitsHalfTheStoredTimeOutPerTry) {
  SimProcess sim(1, "client = none\n");
  Answer a = Ask(sim.address(), sim.port(), 5999);
  EXPECT_EQ(a.status, 0);
  const QxSessionSettings& s = m_table->Session().Settings();
  // 5999 ms halved is 2999 ms, in the session's hundredths of a second 300.
  EXPECT_EQ(s.timeout, 300);
  EXPECT_EQ(s.retries, 1);
  EXPECT_EQ(s.address, sim.address());
  EXPECT_EQ(s.port, sim.port());
  EXPECT_EQ(s.readCommunity, "public");
  EXPECT_EQ(s.writeCommunity, "private");
  EXPECT_EQ(s.version, 0);
}

TEST_F(ClientTableTest, FailuresBeforeTheWalkAnswerStatusOne) {
  SimProcess sim(2, "[*]\nclient = 001122334455 0 1 -40 0 1\n");
  sim.setScenario("[*]\nclient = 001122334455 0 1 -40 0 1\n[" + sim.address(1) + "]\nsilent = 1\n");
  struct Case {
    const char* what;
    std::string address;
    const char* write;
    int status;
    const char* message;
  } cases[] = {
      {"device never answers", sim.address(1), "private", 1, "(SNMPClass) SNMP request timed out!"},
      {"wrong write community", sim.address(0), "nope", 1, "(SNMPClass) SNMP request timed out!"},
      {"not an address", "300.1.2.3", "private", 1, "(DeVIRU++) Invalid IP Address or DNS name!"},
  };
  for (const Case& c : cases) {
    Answer a = Ask(c.address, sim.port(), 400, c.write);
    EXPECT_EQ(a.status, c.status) << c.what;
    EXPECT_EQ(a.message, c.message) << c.what;
    EXPECT_EQ(a.address, c.address) << c.what;
    EXPECT_EQ(a.count, 0) << c.what;
    EXPECT_FALSE(a.arrayGiven) << c.what;
  }
}

TEST_F(ClientTableTest, FailedWalkEndsSilentlyAndItsRowsJoinTheNextWalk) {
  std::string first;
  for (int i = 1; i <= 20; ++i) first += "client = 0000000000" + std::string(i < 10 ? "0" : "") + std::to_string(i) + " 0 1 -40 0 1\n";
  // Slow answers, so that the walk can be caught in the middle.
  SimProcess sim(1, first + "delay_ms = 15\n");
  m_table->SetSnmpParameter(NetworkOrder(sim.address()), "public", "private", sim.port(), 400);
  m_table->GetClientInfo(sim.address().c_str(), &HostCallback, nullptr);
  ASSERT_TRUE(testing::RunUntil([&] { return m_table->PendingRows(sim.address()) >= 3; }));
  sim.setScenario(first + "silent = 1\n");
  ASSERT_TRUE(testing::RunUntil([&] { return CQxSnmpFramework::Outstanding() == 0; }));
  testing::RunUntil([] { return false; }, 300);
  EXPECT_TRUE(g_answers.empty()) << "a failed step answers nothing";
  const size_t partial = m_table->PendingRows(sim.address());
  ASSERT_GE(partial, 3u);
  ASSERT_LT(partial, 15u);

  // The device now has client 1 again and three new ones.
  sim.setScenario(
      "client = 000000000001 0 1 -40 0 1\n"
      "client = 0000000000A1 0 1 -40 0 1\n"
      "client = 0000000000A2 0 1 -40 0 1\n"
      "client = 0000000000A3 0 1 -40 0 1\n");
  Answer a = Ask(sim.address(), sim.port(), 400);
  EXPECT_EQ(a.status, 0);
  ASSERT_EQ(a.rows.size(), partial + 3);
  std::multiset<std::string> macs;
  for (const Row& r : a.rows) macs.insert(r.mac);
  for (size_t i = 1; i <= partial; ++i) {
    char mac[13];
    snprintf(mac, sizeof mac, "0000000000%02zu", i);
    EXPECT_EQ(macs.count(mac), 1u) << mac;
  }
  for (const char* mac : {"0000000000A1", "0000000000A2", "0000000000A3"}) EXPECT_EQ(macs.count(mac), 1u) << mac;
  EXPECT_EQ(m_table->PendingRows(sim.address()), 0u);
}

TEST_F(ClientTableTest, SecondRequestTakesOverTheCallbackSlot) {
  SimProcess sim(1, "client = 001122334455 0 1 -40 0 1\n");
  m_table->SetSnmpParameter(NetworkOrder(sim.address()), "public", "private", sim.port(), 2000);
  static std::vector<int> firstCalls;
  firstCalls.clear();
  auto first = [](ClientResult*, int32_t, ClientRow**, void*) { firstCalls.push_back(1); };
  int context1 = 0, context2 = 0;
  m_table->GetClientInfo(sim.address().c_str(), first, &context1);
  m_table->GetClientInfo(sim.address().c_str(), &HostCallback, &context2);
  ASSERT_TRUE(testing::RunUntil([&] { return g_answers.size() >= 2; }));
  testing::RunUntil([] { return false; }, 200);
  EXPECT_TRUE(firstCalls.empty());
  ASSERT_EQ(g_answers.size(), 2u);
  EXPECT_EQ(g_answers[0].context, &context1) << "each answer keeps its own context";
  EXPECT_EQ(g_answers[1].context, &context2);
}

// An agent whose get-next never moves on: the walk still ends and answers.
TEST_F(ClientTableTest, AgentThatRepeatsItselfStillGetsAnAnswer) {
  const testing::Oid mac = testing::OidOf("1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1.2.1");
  testing::CFakeAgent agent([&](const testing::FakeRequest& request) {
    testing::FakeResponse response;
    if (request.command != 0xA1) {  // the refresh set and the band get
      response.bindings = request.bindings;
      if (request.command == 0xA0) response.bindings[0].value = testing::FakeValue::Int(1);
      return response;
    }
    for (size_t i = 0; i < request.bindings.size(); ++i) {
      testing::Oid name = mac;
      name[name.size() - 2] = static_cast<uint32_t>(2 + i);
      testing::FakeValue value = i == 0   ? testing::FakeValue::Octets({0, 1, 2, 3, 4, 5})
                                 : i == 5 ? testing::FakeValue::Str("1")
                                          : testing::FakeValue::Int(1);
      response.bindings.push_back({name, value});
    }
    return response;
  });
  Answer a = Ask(agent.Address(), agent.Port());
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(a.rows, (std::vector<Row>{{"5GHz", "000102030405", "OPEN", 1, "On", "1"}}));
  EXPECT_LE(agent.Requests(), 6) << "refresh, two get-next steps and their band reads";
}

}  // namespace
}  // namespace kav::clientinfo
