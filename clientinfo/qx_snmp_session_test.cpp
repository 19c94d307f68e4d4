// The framework against net-snmp's own agent (snmpd) and against a fake
// agent that gives the answers a real agent would not.
#include "clientinfo/qx_snmp_session.h"

#include <gtest/gtest.h>
#include <net/if.h>
#include <sys/utsname.h>

#include <QTemporaryDir>

#include "clientinfo/qx_exception.h"
#include "clientinfo/qx_snmp_framework.h"
#include "clientinfo/testing/fake_agent.h"
#include "clientinfo/testing/qt_app.h"
#include "clientinfo/testing/snmpd_agent.h"

namespace kav::clientinfo {
namespace {

using testing::CFakeAgent;
using testing::FakeRequest;
using testing::FakeResponse;
using testing::FakeValue;
using testing::OidOf;
using Oid = testing::Oid;

struct Step {
  QxSnmpResult result;
  std::vector<std::string> values;
};

// Collects every completion of a walk and asks for the next step until
// the walk ends or a step fails.
struct WalkRecorder {
  CQxSnmpSession* session = nullptr;
  std::vector<Step> steps;
  bool finished = false;

  static void OnStep(const QxSnmpResult& result, const std::shared_ptr<CQxVarList>& list, void* context) {
    auto* self = static_cast<WalkRecorder*>(context);
    Step step{result, {}};
    for (const QxVariable& var : list->Variables()) step.values.push_back(var.value);
    self->steps.push_back(step);
    if (result.status != 0 || result.endOfWalk || self->steps.size() > 200) {
      self->finished = true;
      return;
    }
    self->session->SetList(list);
    self->session->WalkAsync(&WalkRecorder::OnStep, false, self);
  }
};

struct Completion {
  bool done = false;
  QxSnmpResult result;
  static void On(const QxSnmpResult& result, const std::shared_ptr<CQxVarList>&, void* context) {
    auto* self = static_cast<Completion*>(context);
    self->done = true;
    self->result = result;
  }
};

class FrameworkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing::EnsureCoreApp();
    s_temp = new QTemporaryDir;
    CQxSnmpFramework::Initialise(s_temp->path().toStdString(), "");
    s_agent = new testing::CSnmpdAgent(
        "rwcommunity private 127.0.0.1\nsyscontact Tester <t@example.org>\n"
        "createUser kavuser SHA \"kav-secret-1\" AES \"kav-secret-2\"\nrouser kavuser auth\n");
  }
  static void TearDownTestSuite() {
    delete s_agent;
    CQxSnmpFramework::Release();
    delete s_temp;
  }

  CQxSnmpSession AgentSession(const QxVarDesc* table, int32_t itemType, const char* community = "public") {
    CQxSnmpSession session;
    session.Settings().address = s_agent->Address();
    session.Settings().port = s_agent->Port();
    session.Settings().readCommunity = community;
    session.Settings().writeCommunity = "private";
    session.SetList(CQxVarList::BuildList(table, itemType));
    return session;
  }

  static QTemporaryDir* s_temp;
  static testing::CSnmpdAgent* s_agent;
};
QTemporaryDir* FrameworkTest::s_temp = nullptr;
testing::CSnmpdAgent* FrameworkTest::s_agent = nullptr;

const QxValuePair kIfTypes[] = {{6, "ethernetCsmacd"}, {24, "softwareLoopback"}, {0, nullptr}};

TEST_F(FrameworkTest, NewSessionsCopyTheFrameworkDefaults) {
  CQxSnmpSession session;
  const QxSessionSettings& s = session.Settings();
  EXPECT_EQ(s.address, "127.0.0.1");
  EXPECT_EQ(s.port, 161);
  EXPECT_EQ(s.version, 0);
  EXPECT_EQ(s.readCommunity, "gadfly");
  EXPECT_EQ(s.writeCommunity, "zephyrs");
  EXPECT_EQ(s.securityModel, 1);
  EXPECT_EQ(s.securityLevel, 1);
  EXPECT_EQ(s.authProtocol, 1);
  EXPECT_EQ(s.privProtocol, 1);
  EXPECT_EQ(s.securityName, "");
  EXPECT_EQ(s.timeout, 100);
  EXPECT_EQ(s.retries, 1);
  EXPECT_TRUE(session.Ready());
  EXPECT_TRUE(CQxSnmpFramework::EventProcessorRunning());
}

TEST_F(FrameworkTest, GetNowReadsScalarsAsValueTexts) {
  ASSERT_TRUE(s_agent->Running());
  static const QxVarDesc kSystem[] = {
      {"1.3.6.1.2.1.1.1.0", "sysDescr", kSynDisplayStr, kAccReadOnly, nullptr, {}},
      {"1.3.6.1.2.1.1.2.0", "sysObjectID", kSynObjectId, kAccReadOnly, nullptr, {}},
      {"1.3.6.1.2.1.1.3.0", "sysUpTime", kSynTimeTicks, kAccReadOnly, nullptr, {}},
      {"1.3.6.1.2.1.1.4.0", "sysContact", kSynDisplayStr, kAccReadOnly, nullptr, {}},
      {"1.3.6.1.2.1.2.1.0", "ifNumber", kSynInteger, kAccReadOnly, nullptr, {}},
      {},
  };
  CQxSnmpSession session = AgentSession(kSystem, MVT_SV);
  session.GetNow();
  const CQxVarList& list = *session.List();

  utsname u{};
  uname(&u);
  EXPECT_EQ(list[0].value, std::string(u.sysname) + " " + u.nodename + " " + u.release + " " + u.version + " " +
                               u.machine);
  EXPECT_EQ(list[1].value, "1.3.6.1.4.1.8072.3.2.10");  // net-snmp's Linux agent
  EXPECT_NE(list[2].value.find(':'), std::string::npos) << list[2].value;
  EXPECT_EQ(list[3].value, "Tester <t@example.org>");
  EXPECT_GT(std::stoi(list[4].value), 0);
  EXPECT_EQ(list[0].OidText(), "1.3.6.1.2.1.1.1.0");
}

TEST_F(FrameworkTest, WalkOfATableEndsWithNotDoneAndTheEndFlag) {
  static const QxVarDesc kIfColumns[] = {
      {"1.3.6.1.2.1.2.2.1.1", "ifIndex", kSynInteger, kAccReadOnly, nullptr, {}},
      {"1.3.6.1.2.1.2.2.1.2", "ifDescr", kSynDisplayStr, kAccReadOnly, nullptr, {}},
      {"1.3.6.1.2.1.2.2.1.3", "ifType", kSynInteger, kAccReadOnly, kIfTypes, {}},
      {"1.3.6.1.2.1.2.2.1.6", "ifPhysAddress", kSynMacAddress, kAccReadOnly, nullptr, {}},
      {},
  };
  CQxSnmpSession session = AgentSession(kIfColumns, MVT_UMV);
  WalkRecorder walk;
  walk.session = &session;
  session.WalkAsync(&WalkRecorder::OnStep, true, &walk);
  EXPECT_TRUE(walk.steps.empty()) << "completions never run inside the call";
  ASSERT_TRUE(testing::RunUntil([&] { return walk.finished; }));

  // One step per interface, then the step that left the table.
  std::vector<std::string> names;
  struct if_nameindex* interfaces = if_nameindex();
  for (struct if_nameindex* p = interfaces; p && p->if_index; ++p) names.push_back(p->if_name);
  if_freenameindex(interfaces);
  ASSERT_EQ(walk.steps.size(), names.size() + 1);
  for (size_t row = 0; row < names.size(); ++row) {
    const Step& step = walk.steps[row];
    EXPECT_EQ(step.result.status, 0);
    EXPECT_EQ(step.result.message, "(DeVIRU++) Ok!");
    EXPECT_FALSE(step.result.endOfWalk);
    EXPECT_EQ(step.values[1], names[row]);
  }
  // The loopback: its type through the value table, no physical address.
  EXPECT_EQ(walk.steps[0].values[0], "1");
  EXPECT_EQ(walk.steps[0].values[2], "softwareLoopback");
  EXPECT_EQ(walk.steps[0].values[3], "");
  const Step& last = walk.steps.back();
  EXPECT_EQ(last.result.status, 0);
  EXPECT_TRUE(last.result.endOfWalk);
  EXPECT_EQ(last.values, std::vector<std::string>(4, "(NOTDONE)"));
  EXPECT_EQ((*session.List())[0].OidText(), "1.3.6.1.2.1.2.2.1.1") << "keeps its base identifier";
}

TEST_F(FrameworkTest, SetAsyncWritesAndReportsTheAgentsRefusal) {
  static const QxVarDesc kLocation[] = {
      {"1.3.6.1.2.1.1.6.0", "sysLocation", kSynDisplayStr, kAccReadWrite, nullptr, {}}, {}};
  static const QxVarDesc kDescr[] = {{"1.3.6.1.2.1.1.1.0", "sysDescr", kSynDisplayStr, kAccReadWrite, nullptr, {}}, {}};
  struct Case {
    const QxVarDesc* table;
    const char* text;
    int status;
    const char* message;
  } cases[] = {
      {kLocation, "Lab 7", 0, "(DeVIRU++) Ok!"},
      // read-only object: a version 1 agent answers noSuchName
      {kDescr, "x", -102, "(SNMP) Variable does not exist!"},
  };
  for (const Case& c : cases) {
    CQxSnmpSession session = AgentSession(c.table, SVT_SV);
    (*session.List())[0].value = c.text;
    Completion done;
    session.SetAsync(&Completion::On, &done);
    ASSERT_TRUE(testing::RunUntil([&] { return done.done; }));
    EXPECT_EQ(done.result.status, c.status) << c.text;
    EXPECT_EQ(done.result.message, c.message);
    EXPECT_EQ(done.result.address, s_agent->Address());
  }
  CQxSnmpSession check = AgentSession(kLocation, SVT_SV);
  check.GetNow();
  EXPECT_EQ((*check.List())[0].value, "Lab 7");
}

TEST_F(FrameworkTest, SnmpV3UserTargets) {
  static const QxVarDesc kContact[] = {{"1.3.6.1.2.1.1.4.0", "sysContact", kSynDisplayStr, kAccReadOnly, nullptr, {}}, {}};
  struct Case {
    const char* what;
    int32_t level;
    const char* authPassword;
    int code;  // of GetNow, 0 when it reads the value
  } cases[] = {
      {"authNoPriv", 2, "kav-secret-1", 0},
      {"authPriv", 3, "kav-secret-1", 0},
      {"wrong password", 2, "not-the-secret", -308},
      {"right password again", 2, "kav-secret-1", 0},
  };
  for (const Case& c : cases) {
    CQxSnmpSession session = AgentSession(kContact, SVT_SV);
    QxSessionSettings& s = session.Settings();
    s.version = 3;
    s.securityName = "kavuser";
    s.securityLevel = c.level;
    s.authProtocol = 3;
    s.privProtocol = 3;
    s.authPassword = c.authPassword;
    s.privPassword = "kav-secret-2";
    s.timeout = 30;
    s.retries = 0;
    try {
      session.GetNow();
      EXPECT_EQ(c.code, 0) << c.what;
      EXPECT_EQ((*session.List())[0].value, "Tester <t@example.org>") << c.what;
    } catch (const CQXException& e) {
      EXPECT_EQ(e.Code(), c.code) << c.what << ": " << e.what();
    }
  }
}

TEST_F(FrameworkTest, WrongCommunityTimesOut) {
  static const QxVarDesc kDescr[] = {{"1.3.6.1.2.1.1.1.0", "sysDescr", kSynDisplayStr, kAccReadOnly, nullptr, {}}, {}};
  CQxSnmpSession session = AgentSession(kDescr, MVT_UMV, "wrong");
  session.Settings().timeout = 20;
  session.Settings().retries = 0;
  Completion done;
  session.WalkAsync(&Completion::On, true, &done);
  ASSERT_TRUE(testing::RunUntil([&] { return done.done; }));
  EXPECT_EQ(done.result.status, -405);
  EXPECT_EQ(done.result.message, "(SNMPClass) SNMP request timed out!");

  session.SetList(CQxVarList::BuildList(kDescr, SVT_SV));
  try {
    session.GetNow();
    FAIL() << "no error";
  } catch (const CQXException& e) {
    EXPECT_EQ(e.Code(), -405);
    EXPECT_STREQ(e.what(), "(SNMPClass) SNMP request timed out!");
  }
}

TEST_F(FrameworkTest, RequestsThatCannotBeBuiltRaiseFrameworkErrors) {
  static const QxVarDesc kDescr[] = {{"1.3.6.1.2.1.1.1.0", "sysDescr", kSynDisplayStr, kAccReadOnly, nullptr, {}}, {}};
  static const QxVarDesc kInt8[] = {{"1.3.6.1.2.1.2.1.0", "ifNumber", kSynInt8, kAccReadOnly, nullptr, {}}, {}};
  struct Case {
    const char* what;
    const QxVarDesc* table;
    int32_t itemType;
    const char* address;  // nullptr: the agent's
    bool portZero;
    int op;  // 0 GetNow, 1 WalkAsync, 2 SetAsync
    int code;
  } cases[] = {
      {"bad address", kDescr, SVT_SV, "999.1.1.1", false, 2, -509},
      {"empty address", kDescr, SVT_SV, "", false, 0, -509},
      {"port 0", kDescr, SVT_SV, nullptr, true, 2, -509},
      {"item type 4", kDescr, 4, nullptr, false, 0, -515},
      {"item type -1", kDescr, -1, nullptr, false, 1, -515},
      {"get-next of a single value", kDescr, SVT_SV, nullptr, false, 1, -510},
      {"syntax without a text form", kInt8, SVT_SV, nullptr, false, 0, -511},
      {"empty list", nullptr, SVT_SV, nullptr, false, 0, -514},
  };
  for (const Case& c : cases) {
    CQxSnmpSession session = AgentSession(c.table, c.itemType);
    if (c.address) session.Settings().address = c.address;
    if (c.portZero) session.Settings().port = 0;
    try {
      if (c.op == 0) session.GetNow();
      if (c.op == 1) session.WalkAsync(&Completion::On, true, nullptr);
      if (c.op == 2) session.SetAsync(&Completion::On, nullptr);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const CQXException& e) {
      EXPECT_EQ(e.Code(), c.code) << c.what;
      EXPECT_STREQ(e.what(), CQXException::Text(c.code)) << c.what;
    }
  }
}

TEST_F(FrameworkTest, SessionThatIsNotReadySendsNothing) {
  static const QxVarDesc kDescr[] = {{"1.3.6.1.2.1.1.1.0", "sysDescr", kSynDisplayStr, kAccReadOnly, nullptr, {}}, {}};
  CQxSnmpSession session = AgentSession(kDescr, SVT_SV);
  session.SetReady(false);
  Completion done;
  session.SetAsync(&Completion::On, &done);
  session.GetNow();
  EXPECT_EQ(session.RequestsSent(), 0u);
  EXPECT_EQ((*session.List())[0].value, "");
}

// ---- answers no real agent gives ----

const Oid kColumnA = OidOf("1.3.6.1.4.1.99.1.1.2");
const Oid kColumnB = OidOf("1.3.6.1.4.1.99.1.1.3");

// Rows 1 and 2 answer normally; what comes after row 2 is the case's.
using Misbehaviour = std::function<void(const Oid& asked, FakeResponse&)>;

TEST_F(FrameworkTest, WalkEndsOnAnswersThatLeaveRepeatOrGoBack) {
  static const QxVarDesc kColumns[] = {
      {"1.3.6.1.4.1.99.1.1.2", "a", kSynInteger, kAccReadOnly, nullptr, {}},
      {"1.3.6.1.4.1.99.1.1.3", "b", kSynDisplayStr, kAccReadOnly, nullptr, {}},
      {},
  };
  struct Case {
    const char* what;
    Misbehaviour after;  // how the agent answers once row 2 was asked for
    int status;
  } cases[] = {
      {"leaves the table",
       [](const Oid&, FakeResponse& r) {
         r.bindings = {{OidOf("1.3.6.1.4.1.99.2.1"), FakeValue::Int(1)}, {OidOf("1.3.6.1.4.1.99.2.2"), FakeValue::Int(2)}};
       },
       0},
      {"repeats the asked identifier",
       [](const Oid& asked, FakeResponse& r) {
         r.bindings = {{asked, FakeValue::Int(7)}, {Oid(kColumnB.begin(), kColumnB.end()), FakeValue::Str("x")}};
         r.bindings[1].name.push_back(2);
       },
       0},
      {"goes back to row 1",
       [](const Oid&, FakeResponse& r) {
         Oid a = kColumnA, b = kColumnB;
         a.push_back(1);
         b.push_back(1);
         r.bindings = {{a, FakeValue::Int(1)}, {b, FakeValue::Str("one")}};
       },
       0},
      {"end of the view (v2c exception)",
       [](const Oid& asked, FakeResponse& r) {
         r.bindings = {{asked, FakeValue{0x82, {}}}, {asked, FakeValue{0x82, {}}}};
       },
       0},
      {"noSuchName (v1 end of the view)", [](const Oid&, FakeResponse& r) { r.errorStatus = 2; r.errorIndex = 1; }, 0},
      {"genErr", [](const Oid&, FakeResponse& r) { r.errorStatus = 5; r.errorIndex = 1; }, -105},
  };
  for (const Case& c : cases) {
    CFakeAgent agent([&](const FakeRequest& request) {
      FakeResponse response;
      const Oid& asked = request.bindings[0].name;
      if (asked.size() == kColumnA.size() || asked.back() < 2) {
        uint32_t row = asked.size() == kColumnA.size() ? 1 : asked.back() + 1;
        Oid a = kColumnA, b = kColumnB;
        a.push_back(row);
        b.push_back(row);
        response.bindings = {{a, FakeValue::Int(static_cast<long>(row))}, {b, FakeValue::Str("row" + std::to_string(row))}};
      } else {
        response.bindings = request.bindings;
        c.after(asked, response);
      }
      return response;
    });
    CQxSnmpSession session;
    session.Settings().address = agent.Address();
    session.Settings().port = agent.Port();
    session.SetList(CQxVarList::BuildList(kColumns, MVT_UMV));
    WalkRecorder walk;
    walk.session = &session;
    session.WalkAsync(&WalkRecorder::OnStep, true, &walk);
    ASSERT_TRUE(testing::RunUntil([&] { return walk.finished; })) << c.what;
    ASSERT_EQ(walk.steps.size(), 3u) << c.what;
    EXPECT_EQ(walk.steps[1].values, (std::vector<std::string>{"2", "row2"})) << c.what;
    const Step& last = walk.steps[2];
    EXPECT_EQ(last.result.status, c.status) << c.what;
    if (c.status == 0) {
      EXPECT_TRUE(last.result.endOfWalk) << c.what;
      EXPECT_EQ(last.values, (std::vector<std::string>{"(NOTDONE)", "(NOTDONE)"})) << c.what;
    } else {
      EXPECT_FALSE(last.result.endOfWalk) << c.what;
    }
  }
}

TEST_F(FrameworkTest, ColumnThatEndsEarlyIsNotAskedAgain) {
  static const QxVarDesc kColumns[] = {
      {"1.3.6.1.4.1.99.1.1.2", "a", kSynInteger, kAccReadOnly, nullptr, {}},
      {"1.3.6.1.4.1.99.1.1.3", "b", kSynInteger, kAccReadOnly, nullptr, {}},
      {},
  };
  testing::CFakeMib mib;
  for (uint32_t row = 1; row <= 3; ++row) {
    Oid a = kColumnA;
    a.push_back(row);
    mib.Set(a, FakeValue::Int(row));
  }
  Oid b = kColumnB;
  b.push_back(1);
  mib.Set(b, FakeValue::Int(10));
  mib.Set(OidOf("1.3.6.1.4.1.99.2"), FakeValue::Int(0));
  CFakeAgent agent([&](const FakeRequest& request) { return mib.Answer(request); });
  CQxSnmpSession session;
  session.Settings().address = agent.Address();
  session.Settings().port = agent.Port();
  session.SetList(CQxVarList::BuildList(kColumns, MVT_UMV));
  WalkRecorder walk;
  walk.session = &session;
  session.WalkAsync(&WalkRecorder::OnStep, true, &walk);
  ASSERT_TRUE(testing::RunUntil([&] { return walk.finished; }));
  std::vector<std::vector<std::string>> values;
  for (const Step& step : walk.steps) values.push_back(step.values);
  EXPECT_EQ(values, (std::vector<std::vector<std::string>>{
                        {"1", "10"}, {"2", "(NOTDONE)"}, {"3", "(NOTDONE)"}, {"(NOTDONE)", "(NOTDONE)"}}));
  for (const FakeRequest& request : agent.Log()) EXPECT_LE(request.bindings.size(), 2u);
  EXPECT_EQ(agent.Log().back().bindings.size(), 1u) << "the ended column is left out";
}

TEST_F(FrameworkTest, SilentAgentTimesOutAfterTheRetries) {
  static const QxVarDesc kDescr[] = {{"1.3.6.1.2.1.1.1.0", "sysDescr", kSynDisplayStr, kAccReadOnly, nullptr, {}}, {}};
  CFakeAgent agent([](const FakeRequest&) { FakeResponse silent;
    silent.silent = true;
    return silent;
  });
  CQxSnmpSession session;
  session.Settings().address = agent.Address();
  session.Settings().port = agent.Port();
  session.Settings().timeout = 10;
  session.Settings().retries = 2;
  session.SetList(CQxVarList::BuildList(kDescr, MVT_SV));
  Completion done;
  session.WalkAsync(&Completion::On, true, &done);
  ASSERT_TRUE(testing::RunUntil([&] { return done.done; }));
  EXPECT_EQ(done.result.status, -405);
  EXPECT_EQ(agent.Requests(), 3);
  EXPECT_EQ(CQxSnmpFramework::Outstanding(), 0u);
}

}  // namespace
}  // namespace kav::clientinfo
