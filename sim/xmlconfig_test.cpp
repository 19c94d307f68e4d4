#include "sim/xmlconfig.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "sim/files.h"

namespace {

using kav::sim::ConfigDoc;

TEST(ConfigDoc, PathsFindCreateAndClear) {
  ConfigDoc doc;
  std::string error;
  ASSERT_TRUE(doc.parse(R"(<KAV-7420><wlan><inf id="1"><ssid>one</ssid></inf><inf ID="x"><ssid>ex</ssid></inf>
    <inf id="2"><ssid>two</ssid><wepkey id="1">0000000000<keyformat>2</keyformat></wepkey></inf></wlan></KAV-7420>)",
                        &error))
      << error;
  EXPECT_EQ(doc.get("wlan/inf[id=1]/ssid"), "one");
  EXPECT_EQ(doc.get("wlan/inf[id=$]/ssid", 2), "two");
  EXPECT_EQ(doc.get("wlan/inf/ssid"), "one");             // no predicate: the first of that name
  EXPECT_EQ(doc.get("wlan/inf[id=X]/ssid"), std::nullopt);  // attribute names are exact...
  EXPECT_EQ(doc.get("wlan/inf[ID=X]/ssid"), "ex");          // ...values compare ignoring case
  EXPECT_EQ(doc.get("wlan/inf[id=3]/ssid"), std::nullopt);
  EXPECT_EQ(doc.get("wlan/inf[id=2]/wepkey[id=1]"), "0000000000");  // text before child elements

  EXPECT_TRUE(doc.set("wlan/inf[id=2]/ssid", "deux"));
  EXPECT_TRUE(doc.set("wlan/inf[id=3]/multi/index[id=1]/state", "1"));
  EXPECT_TRUE(doc.set("wlan/inf[id=2]/wepkey[id=1]", "1111111111"));
  EXPECT_EQ(doc.get("wlan/inf[id=2]/ssid"), "deux");
  EXPECT_EQ(doc.get("wlan/inf[id=3]/multi/index[id=1]/state"), "1");
  EXPECT_EQ(doc.get("wlan/inf[id=2]/wepkey[id=1]/keyformat"), "2");
  EXPECT_EQ(doc.get("wlan/inf[id=2]/wepkey[id=1]"), "1111111111");
  EXPECT_TRUE(doc.set("wlan/inf[id=1]/ssid", ""));
  EXPECT_EQ(doc.get("wlan/inf[id=1]/ssid"), "");

  // Text that XML must escape survives a round trip.
  EXPECT_TRUE(doc.set("sys/name", "a<b & \"c\" 'd'>"));
  ConfigDoc again;
  ASSERT_TRUE(again.parse(doc.text(), &error)) << error;
  EXPECT_EQ(again.get("sys/name"), "a<b & \"c\" 'd'>");
  EXPECT_EQ(again.get("wlan/inf[id=3]/multi/index[id=1]/state"), "1");

  for (const char* bad : {"", "/a", "a//b", "a[", "a[id]", "a[=1]", "a[id=]", "a b", "a[id=1]x"})
    EXPECT_FALSE(doc.set(bad, "x")) << bad;
}

TEST(ConfigDoc, ListsOfChildren) {
  ConfigDoc doc;
  ASSERT_TRUE(doc.parse(R"(<R><acl><mode>1</mode><mac id="2">b</mac><x/><mac id="1">a</mac><mac/></acl></R>)", nullptr));
  EXPECT_EQ(doc.childTexts("acl", "mac"), (std::vector<std::string>{"b", "a", ""}));  // document order
  EXPECT_TRUE(doc.childTexts("acl", "none").empty());
  EXPECT_TRUE(doc.childTexts("missing/path", "mac").empty());
  doc.removeChildren("acl", "mac");
  doc.removeChildren("missing/path", "mac");
  EXPECT_TRUE(doc.childTexts("acl", "mac").empty());
  EXPECT_EQ(doc.get("acl/mode"), "1");
  EXPECT_TRUE(doc.get("acl/x"));
}

TEST(ConfigDoc, DefaultsForEachHardware) {
  ConfigDoc single = ConfigDoc::defaults("KAV-7420", 1);
  EXPECT_EQ(single.rootName(), "KAV-7420");
  EXPECT_EQ(single.get("wlan/inf[id=1]/wlmode"), "6");
  EXPECT_EQ(single.get("wlan/inf[id=2]/wlmode"), std::nullopt);
  EXPECT_EQ(single.get("snmp/rocommunity"), "public");
  EXPECT_EQ(single.get("snmp/rwcommunity"), "private");

  ConfigDoc dual = ConfigDoc::defaults("KAV-7420b", 2);
  EXPECT_EQ(dual.rootName(), "KAV-7420b");
  EXPECT_EQ(dual.get("wlan/inf[id=2]/wlmode"), "9");
  EXPECT_EQ(dual.get("wlan/inf[id=2]/channel"), "36");
  EXPECT_EQ(dual.get("wlan/inf[id=2]/ssid"), dual.get("wlan/inf[id=1]/ssid"));
  EXPECT_EQ(dual.get("wlan/inf[id=2]/multi/index[id=7]/state"), "0");
  EXPECT_FALSE(dual.ensureRadios(2));  // already there

  const std::string text = dual.text();
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<KAV-7420b>", 0), 0u) << text.substr(0, 80);
  EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(ConfigDoc, SaveReplacesTheFileWhole) {
  char tmpl[] = "/tmp/kav-xmlconfig-XXXXXX";
  ASSERT_TRUE(mkdtemp(tmpl));
  const std::string dir = tmpl;
  const std::string path = dir + "/config.xml";
  ConfigDoc doc = ConfigDoc::defaults("KAV-7420", 1);
  std::string error;
  ASSERT_TRUE(doc.saveAtomic(path, &error)) << error;
  doc.set("sys/name", "second");
  ASSERT_TRUE(doc.saveAtomic(path, &error)) << error;
  ConfigDoc back;
  ASSERT_TRUE(back.load(path, &error)) << error;
  EXPECT_EQ(back.get("sys/name"), "second");
  EXPECT_EQ(back.text(), doc.text());
  size_t files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir)) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1u);  // no temporary left behind
  EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::others_read,
            std::filesystem::perms::others_read);

  // A folder that cannot take the file: an error, and the document stays usable.
  EXPECT_FALSE(doc.saveAtomic(dir + "/missing/config.xml", &error));
  EXPECT_NE(error.find("missing"), std::string::npos) << error;

  ASSERT_TRUE(kav::sim::writeFileAtomic(path, "<broken", &error));
  EXPECT_FALSE(back.load(path, &error));
  EXPECT_NE(error.find("config.xml"), std::string::npos) << error;
  std::filesystem::remove_all(dir);
}

}  // namespace
