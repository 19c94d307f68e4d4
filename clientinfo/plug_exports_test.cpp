// The library as the configuration module sees it: linked at load time,
// its two exports, its records and their ownership.  The library is loaded
// before main(), with no Qt application yet: its event processor starts
// with the first request.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <set>
#include <sstream>
#include <string>

#include "clientinfo/include/kav7420_clientinfo.h"
#include "clientinfo/testing/qt_app.h"
#include "sim/testing/sim_process.h"

namespace {

using kav::sim::testing::runCommand;
using kav::sim::testing::SimProcess;

struct Seen {
  int calls = 0;
  int status = -1;
  std::string message, address, model;
  std::vector<std::string> rows;
};

void Callback(ClientResult* result, int32_t count, ClientRow** rows, void* context) {
  auto* seen = static_cast<Seen*>(context);
  ++seen->calls;
  seen->status = result->status;
  seen->message = result->message;
  seen->address = result->address;
  seen->model = result->model;
  for (int32_t i = 0; i < count; ++i) {
    std::ostringstream row;
    row << rows[i]->band << "|" << rows[i]->mac << "|" << rows[i]->authentication << "|" << rows[i]->rssi << "|"
        << rows[i]->powerSave << "|" << rows[i]->ssidIndex;
    seen->rows.push_back(row.str());
  }
}

TEST(PlugExports, OnlyTheTwoExportsAreVisible) {
  auto nm = runCommand({"nm", "-D", "--defined-only", std::string(KAV_BIN_DIR) + "/libKAV7420PlugClientInfo.so"});
  ASSERT_EQ(nm.status, 0) << nm.err;
  std::set<std::string> functions;
  std::istringstream lines(nm.out);
  for (std::string address, kind, name; lines >> address >> kind >> name;)
    if (kind == "T" || kind == "W" || kind == "D" || kind == "B" || kind == "V" || kind == "u")
      if (name != "__bss_start" && name != "_edata" && name != "_end") functions.insert(name);
  EXPECT_EQ(functions, (std::set<std::string>{"KAV7420PlugGetClinetInfor", "KAV7420PlugSetSnmpParameter"}));
}

TEST(PlugExports, AnswersThroughTheHostCallback) {
  kav::clientinfo::testing::EnsureCoreApp();  // after the library was loaded
  SimProcess sim(1, "client = 02AABBCCDD01 0 7 -61 0 2\nclient = 02AABBCCDD02 0 1 -30 1 1\n");
  in_addr a{};
  inet_pton(AF_INET, sim.address().c_str(), &a);
  KAV7420PlugSetSnmpParameter(a.s_addr, "public", "private", sim.port(), 2000);
  Seen seen;
  KAV7420PlugGetClinetInfor(sim.address().c_str(), &Callback, nullptr, &seen);
  EXPECT_EQ(seen.calls, 0) << "the answer comes later, from the event loop";
  ASSERT_TRUE(kav::clientinfo::testing::RunUntil([&] { return seen.calls > 0; }));
  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.status, 0);
  EXPECT_EQ(seen.message, "(DeVIRU++) Ok!");
  EXPECT_EQ(seen.address, sim.address());
  EXPECT_EQ(seen.model, "KAV-7420");
  EXPECT_EQ(seen.rows, (std::vector<std::string>{"2.4GHz|02AABBCCDD01|WPA2-Enterprise|-61|Off|2",
                                                  "2.4GHz|02AABBCCDD02|OPEN|-30|On|1"}));
}

TEST(PlugExports, QueryBeforeAnyParametersFailsWithTheAddressText) {
  // Port 0 from the host: no device can be reached there.
  KAV7420PlugSetSnmpParameter(0, nullptr, nullptr, 0, 0);
  Seen seen;
  KAV7420PlugGetClinetInfor("127.0.0.1", &Callback, nullptr, &seen);
  ASSERT_TRUE(kav::clientinfo::testing::RunUntil([&] { return seen.calls > 0; }));
  EXPECT_EQ(seen.status, 1);
  EXPECT_EQ(seen.message, "(DeVIRU++) Invalid IP Address or DNS name!");
  EXPECT_EQ(seen.address, "127.0.0.1");
  EXPECT_TRUE(seen.rows.empty());
  KAV7420PlugGetClinetInfor(nullptr, nullptr, nullptr, nullptr);  // nothing to answer to: ignored
}

}  // namespace
