#include "template/xml_config_doc.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "template/path_expression.h"
#include "template/testing/config_fixtures.h"

namespace kav::tmpl {
namespace {

using fixture::ConfigBuilder;
using fixture::ReadFile;
using fixture::RunShell;
using fixture::TempDir;

std::optional<std::string> Read(CXmlConfigDoc& doc, const std::string& expression, std::string* name = nullptr) {
  std::string n;
  std::optional<std::string> value;
  if (!doc.Get(expression, n, value)) return std::nullopt;
  if (name) *name = n;
  return value ? value : std::optional<std::string>("<no text>");
}

CXmlConfigDoc& Loaded(CXmlConfigDoc& doc, const std::string& xml) {
  EXPECT_TRUE(doc.LoadText(xml, "unused.xml"));
  return doc;
}

TEST(PathExpression, Tags) {
  struct Case {
    std::string expression, tag;
    std::optional<std::string> value;
  } cases[] = {
      {"e:[FFN=SYS_Mask]:[RRL=|0=x|]:<a>", "FFN", "SYS_Mask"},
      {"e:[FFN=SYS_Mask]:[RRL=|0=x|]:<a>", "RRL", "|0=x|"},
      {"e:[FFN=SYS_Mask]:[RRL=|0=x|]:<a>", "VAL", std::nullopt},
      {"m:[VAL=]:<a>", "VAL", ""},
      {"e:[FFN=A]", "FFN", std::nullopt},           // no path after it
      {"e:[FFN=A<b]:<a>", "FFN", std::nullopt},     // "<" before the "]"
      {"e:[MUL_80211g_Multi_Status]:<a>", "FFN", std::nullopt},
      {"e:[PRE=SYS_]:[FFN=X]:<a>", "PRE", "SYS_"},
      {"e:<a>:[FFN=X]", "FFN", std::nullopt},
  };
  for (const Case& c : cases) {
    auto got = FindTag(c.expression, c.tag);
    EXPECT_EQ(got ? std::optional<std::string>(*got) : std::nullopt, c.value) << c.expression << " " << c.tag;
  }
}

TEST(PathExpression, ValueTableWorksBothWays) {
  const std::string onOff = "|0=Disable|1=Enable|";
  const std::string rate = "|1 Mbps=0|2 Mbps=1|5.5 Mbps=2|Auto=31|";
  struct Case {
    std::string table, value;
    std::optional<std::string> result;
  } cases[] = {
      {onOff, "0", "Disable"},   {onOff, "Enable", "1"},   {onOff, "enable", "1"},
      {onOff, "2", std::nullopt}, {rate, "31", "Auto"},     {rate, "AUTO", "31"},
      {rate, "2 Mbps", "1"},     {"|1=Disable|0=Enable|", "Enable", "0"},
      {"|0=A|junk|1=B|", "1", std::nullopt},  // a pair without "=" ends the search
      {"|0=A|junk|1=B|", "0", "A"},
      {"0=A|1=B", "B", "1"},     {"", "x", std::nullopt},  {"||", "", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(TranslateRrl(c.table, c.value), c.result) << c.table << " " << c.value;
}

TEST(XmlConfigDoc, LookupMatchesNamesExactlyAndPredicatesIgnoringCase) {
  CXmlConfigDoc doc;
  Loaded(doc,
         "<R><wlan><inf id=\"AB\"><x>ab</x></inf><inf id=\"2\"><ssid>two</ssid></inf>"
         "<inf id=\"1\"><ssid>one</ssid></inf></wlan><inf id=\"1\"><ssid>top</ssid></inf></R>");
  struct Case {
    std::string expression;
    std::optional<std::string> value;
  } cases[] = {
      {"e:<wlan><inf[id=ab]><x>", "ab"},
      {"e:<wlan><inf[id=AB]><x>", "ab"},
      {"e:<wlan><inf[ID=ab]><x>", std::nullopt},  // attribute name is exact
      {"e:<wlan><INF[id=ab]><x>", std::nullopt},  // element name is exact
      {"e:<wlan><in[id=ab]><x>", std::nullopt},
      {"e:<wlan><inf><x>", "ab"},                 // no predicate: the first inf
      {"e:<wlan><inf><ssid>", std::nullopt},      // ... which has no ssid
      {"e:[FFN=AWS_80211g_SSID]:<wlan><inf[id=1]><ssid>", "one"},  // id 2 is passed over
      {"e:<inf[id=1]><ssid>", "top"},             // the first segment is a child of the root
      {"e:<R><wlan>", std::nullopt},
      {"e:<wlan><inf[id]><x>", std::nullopt},     // malformed expressions find nothing
      {"e:<wlan><inf[=1]><x>", std::nullopt},
      {"e:<>", std::nullopt},
      {"e:<wlan", std::nullopt},
      {"e:<wlan>junk", std::nullopt},
      {"e:<wlan><inf[id=1>", std::nullopt},
      {"e:wlan", std::nullopt},
      {"x:<wlan><inf><x>", std::nullopt},         // not a readable kind
      {"", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(doc, c.expression), c.value) << c.expression;
  std::string name;
  Read(doc, "e:[FFN=AWS_80211g_SSID]:<wlan><inf[id=1]><ssid>", &name);
  EXPECT_EQ(name, "ssid");
  EXPECT_EQ(doc.currentExpression(), "e:[FFN=AWS_80211g_SSID]:<wlan><inf[id=1]><ssid>");
}

TEST(XmlConfigDoc, Writes) {
  const std::string multiState = "<wlan><inf[id=1]><multi><state>";
  const std::string table = "[FFN=MUL_80211a_Multi_Status]:[RRL=|0=Disable|1=Enable|]:";
  struct Case {
    const char* what;
    std::string expression;
    bool create;
    bool result;
    std::string readBack;  // expression read after the write
    std::optional<std::string> value;
  } cases[] = {
      {"translated", "m:[VAL=Enable]:" + table + multiState, false, true, "e:" + multiState, "1"},
      {"translated back", "m:[VAL=Disable]:" + table + multiState, false, true, "e:" + multiState, "0"},
      {"no pair matches", "m:[VAL=Maybe]:" + table + multiState, false, true, "e:" + multiState, "Maybe"},
      {"no VAL: nothing changes", "m:" + table + multiState, false, true, "e:" + multiState, "0"},
      {"first child text of mixed content", "m:[VAL=1234567890]:<wlan><inf[id=1]><wepkey[id=2]>", false, true,
       "e:<wlan><inf[id=1]><wepkey[id=2]><keylength>", "64"},
      {"attribute", "n:[ARR=mode]:[VAL=7]:<wlan><inf[id=1]>", false, true, "a:[ARR=mode]:<wlan><inf[id=1]>", "7"},
      {"attribute without VAL", "n:[ARR=x]:<wlan><inf[id=1]>", false, true, "a:[ARR=x]:<wlan><inf[id=1]>",
       "<no text>"},
      {"missing element", "m:[VAL=1]:<wlan><inf[id=1]><nothere>", false, false, "e:<wlan><inf[id=1]><nothere>",
       std::nullopt},
      {"read kind", "e:[VAL=1]:" + multiState, true, false, "e:" + multiState, "0"},
      {"no kind", "[VAL=1]:" + multiState, true, false, "e:" + multiState, "0"},
  };
  for (const Case& c : cases) {
    CXmlConfigDoc doc;
    Loaded(doc, ConfigBuilder().Xml());
    EXPECT_EQ(doc.Set(c.expression, c.create), c.result) << c.what;
    EXPECT_EQ(Read(doc, c.readBack), c.value) << c.what;
  }
  CXmlConfigDoc doc;
  Loaded(doc, ConfigBuilder().Xml());
  ASSERT_TRUE(doc.Set("m:[VAL=1234567890]:<wlan><inf[id=1]><wepkey[id=2]>", false));
  EXPECT_EQ(Read(doc, "e:<wlan><inf[id=1]><wepkey[id=2]>"), "1234567890");
  EXPECT_EQ(Read(doc, "e:<wlan><inf[id=1]><wepkey[id=2]><keyformat>"), "2");
}

TEST(XmlConfigDoc, WriteWithCreationBuildsThePath) {
  CXmlConfigDoc doc;
  Loaded(doc, ConfigBuilder().Remove({"wlan", "inf:1", "multi"}).Xml());
  const std::string expression =
      "m:[VAL=Enable]:[FFN=MUL_80211g_SSID5_Status]:[RRL=|0=Disable|1=Enable|]:<wlan><inf[id=1]><multi><index[id=5]><state>";
  EXPECT_FALSE(doc.Set(expression, false));
  EXPECT_EQ(doc.Find("e:<wlan><inf[id=1]><multi>"), nullptr);
  ASSERT_TRUE(doc.Set(expression, true));
  TiXmlElement* multi = doc.Find("e:<wlan><inf[id=1]><multi>");
  ASSERT_NE(multi, nullptr);
  TiXmlElement* index = multi->FirstChildElement();
  ASSERT_NE(index, nullptr);
  EXPECT_STREQ(index->Value(), "index");
  EXPECT_STREQ(index->Attribute("id"), "5");
  EXPECT_EQ(index->NextSiblingElement(), nullptr);
  ASSERT_NE(index->FirstChildElement("state"), nullptr);
  EXPECT_STREQ(index->FirstChildElement("state")->GetText(), "1");
  // The new element is the last child of the radio.
  EXPECT_EQ(doc.Find("e:<wlan><inf[id=1]>")->LastChild(), multi);

  // Names that would not make XML are not created.
  EXPECT_FALSE(doc.Set("m:[VAL=1]:<wlan><bad name>", true));
  EXPECT_FALSE(doc.Set("m:[VAL=1]:<wlan><x[1a=2]>", true));
  EXPECT_FALSE(doc.Set("m:[VAL=1]:<wlan><:inf>", true));  // TinyXML could not read it back
  EXPECT_TRUE(doc.Set("m:[VAL=1]:<wlan><ns:inf_2.x-y>", true));
}

TEST(XmlConfigDoc, Utf8DocumentsTakeOnlyUtf8) {
  struct Case {
    std::string text;
    bool valid;
  } utf8[] = {
      {"plain", true},           {"caf\xc3\xa9", true},   {"\xe2\x82\xac", true},   {"\xf0\x9f\x98\x80", true},
      {"caf\xe9", false},        {"\xc3", false},          {"\xc0\xaf", false},        {"\xed\xa0\x80", false},
      {"\xf4\x90\x80\x80", false}, {"\xe2\x82", false},     {"\xff", false},
  };
  for (const Case& c : utf8) EXPECT_EQ(IsValidUtf8(c.text), c.valid) << ::testing::PrintToString(c.text);

  TempDir dir;
  CXmlConfigDoc doc;
  ASSERT_TRUE(doc.LoadText("<?xml version=\"1.0\" encoding=\"UTF-8\"?><R><a>x</a></R>", dir.File("u.xml")));
  EXPECT_TRUE(doc.IsUtf8());
  EXPECT_FALSE(doc.Set("m:[VAL=caf\xe9]:<a>", false));
  EXPECT_FALSE(doc.Set("m:[VAL=\xd4]:<new>", true));
  EXPECT_FALSE(doc.Set("m:[VAL=1]:<b[id=\xd4\xd4]>", true));
  EXPECT_FALSE(doc.Set("n:[ARR=k]:[VAL=\xd4\xd4]:<a>", false));
  EXPECT_EQ(doc.Find("e:<new>"), nullptr);
  EXPECT_EQ(doc.Find("e:<b>"), nullptr);
  EXPECT_TRUE(doc.Set("m:[VAL=caf\xc3\xa9]:<a>", false));
  ASSERT_TRUE(doc.Save());
  CXmlConfigDoc again;
  ASSERT_TRUE(again.Load(dir.File("u.xml")));
  EXPECT_EQ(Read(again, "e:<a>"), "caf\xc3\xa9");

  // Without a declaration TinyXML reads bytes as they are: any byte goes.
  CXmlConfigDoc legacy;
  ASSERT_TRUE(legacy.LoadText("<R><a>x</a></R>", dir.File("l.xml")));
  EXPECT_FALSE(legacy.IsUtf8());
  EXPECT_TRUE(legacy.Set("m:[VAL=caf\xe9]:<a>", false));
  ASSERT_TRUE(legacy.Save());
  ASSERT_TRUE(again.Load(dir.File("l.xml")));
  EXPECT_EQ(Read(again, "e:<a>"), "caf\xe9");
}

TEST(XmlConfigDoc, TextReplacesAnElementFirstChild) {
  CXmlConfigDoc doc;
  Loaded(doc, ConfigBuilder().Xml());
  ASSERT_TRUE(doc.Set("m:[VAL=plain]:<wlan><inf[id=1]><wpa>", false));
  EXPECT_EQ(Read(doc, "e:<wlan><inf[id=1]><wpa>"), "plain");
  EXPECT_EQ(Read(doc, "e:<wlan><inf[id=1]><wpa><wepmode>"), std::nullopt);  // the replaced child
  EXPECT_EQ(Read(doc, "e:<wlan><inf[id=1]><wpa><radiusport>"), "1812");     // its siblings stay
  ASSERT_TRUE(doc.Set("m:[VAL=x]:<wlan><inf[id=1]><acl><mode>", false));
  ASSERT_TRUE(doc.Set("m:[VAL=filled]:<sys><location>", false));  // had no child at all
  EXPECT_EQ(Read(doc, "e:<sys><location>"), "filled");
}

TEST(XmlConfigDoc, KeyListLines) {
  TempDir dir;
  CXmlConfigDoc doc;
  Loaded(doc, ConfigBuilder().Set({"wan", "rg", "inf:1", "mode"}, "2").Set({"wlan", "inf:1", "ssid"}, "a\nb").Xml());
  ASSERT_TRUE(doc.OpenKeyList(dir.File("keys")));
  struct Step {
    std::string expression;
    std::string name;  // passed to WriteSetting; empty: the element's name
    bool written;
  } steps[] = {
      {"e:[FFN=SYS_Username]:<sys><user[id=1]><name>", "", true},                      // FFN wins
      {"e:[PRE=SYS_]:<sys><name>", "", true},                                          // prefix + name
      {"e:[PRE=]:<sys><name>", "", true},                                              // empty prefix
      {"e:[FFN=SYS_Location]:<sys><location>", "", true},                              // no text
      {"e:[FFN=SYS_DHCPclient]:[RRL=|1=Disable|2=Enable|]:<wan><rg><inf[id=1]><mode>", "", true},
      {"e:[FFN=X]:[RRL=|7=Seven|]:<wlan><inf[id=1]><wlmode>", "", true},              // no pair matches
      {"e:<sys><consoleprotocol><protocol>", "SYS_Telnet_option", true},               // caller's name
      {"e:[FFN=AWS_80211g_SSID]:<wlan><inf[id=1]><ssid>", "", false},                  // would break the line
  };
  for (const Step& s : steps) {
    std::string name;
    std::optional<std::string> value;
    ASSERT_TRUE(doc.Get(s.expression, name, value)) << s.expression;
    EXPECT_EQ(doc.WriteSetting(s.name.empty() ? name : s.name, value), s.written) << s.expression;
  }
  ASSERT_TRUE(doc.CloseKeyList());
  EXPECT_EQ(ReadFile(dir.File("keys")),
            "SYS_Username=admin\r\nSYS_name=KAV-7420\r\nname=KAV-7420\r\nSYS_Location=\r\n"
            "SYS_DHCPclient=Enable\r\nX=6\r\nSYS_Telnet_option=1\r\n");
  EXPECT_FALSE(doc.WriteSetting("late", std::string("x")));  // closed
}

TEST(XmlConfigDoc, RemoveAllChildren) {
  CXmlConfigDoc doc;
  Loaded(doc, ConfigBuilder().MacFilter(5).Xml());
  ASSERT_NE(doc.Find("e:<wlan><inf[id=1]><acl><mac[id=3]>"), nullptr);
  doc.RemoveAllChildren("e:<wlan><inf[id=1]><acl>", "mac");
  EXPECT_EQ(doc.Find("e:<wlan><inf[id=1]><acl><mac>"), nullptr);
  EXPECT_EQ(Read(doc, "e:<wlan><inf[id=1]><acl><mode>"), "2");
  doc.RemoveAllChildren("e:<wlan><nothere>", "mac");  // nothing to do
}

TEST(XmlConfigDoc, LoadSaveAndPeers) {
  TempDir dir;
  ConfigBuilder().SecondRadio().MacFilter(2).WriteXml(dir.File("dev.xml"));
  CXmlConfigDoc doc;
  ASSERT_TRUE(doc.Load(dir.File("dev.xml")));
  EXPECT_EQ(doc.RootName(), "KAV-7420");
  EXPECT_EQ(Read(doc, "e:<wlan><inf[id=2]><ssid>"), "kav7420");
  ASSERT_TRUE(doc.Set("m:[VAL=a&b > \"d\" 'e']:<wlan><inf[id=2]><ssid>", false));
  ASSERT_TRUE(doc.Set("m:[VAL=x]:<new><deep[id=9]><leaf>", true));
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(RunShell("xmllint --noout '" + dir.File("dev.xml") + "'"), 0);

  CXmlConfigDoc again;
  ASSERT_TRUE(again.Load(dir.File("dev.xml")));
  EXPECT_EQ(Read(again, "e:<wlan><inf[id=2]><ssid>"), "a&b > \"d\" 'e'");
  EXPECT_EQ(Read(again, "e:<new><deep[id=9]><leaf>"), "x");
  EXPECT_EQ(Read(again, "e:<wlan><inf[id=1]><wepkey[id=1]>"), "0000000000");

  // A failed write is a failed save.
  std::filesystem::create_symlink("/dev/full", dir.File("full.xml"));
  CXmlConfigDoc full;
  ASSERT_TRUE(full.LoadText(ConfigBuilder().Xml(), dir.File("full.xml")));
  EXPECT_FALSE(full.Save());
  CXmlConfigDoc nowhere;
  ASSERT_TRUE(nowhere.LoadText("<a/>", dir.File("no/such/file.xml")));
  EXPECT_FALSE(nowhere.Save());
}

TEST(XmlConfigDoc, BadDocumentsLoadNothing) {
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"unclosed", "<R><wlan><inf id=\"1\"><ssid>x</ssid></inf>"},
      {"empty", ""},
      {"zero byte first", std::string("\0<R/>", 5)},
      {"cut-off UTF-8 at the end", "<?xml version=\"1.0\"?><R>\xc3"},
      {"cut-off UTF-8 before a blank", "<?xml version=\"1.0\"?><R \xef "},
  };
  for (const Case& c : cases) {
    CXmlConfigDoc doc;
    EXPECT_FALSE(doc.LoadText(c.text, "x.xml")) << c.what;
    EXPECT_EQ(doc.Find("e:<wlan><inf[id=1]><ssid>"), nullptr) << c.what;
    EXPECT_EQ(doc.RootName(), "") << c.what;
  }
  CXmlConfigDoc doc;
  EXPECT_FALSE(doc.Load("/nonexistent/dev.xml"));
  // Text after a zero byte is not part of the document; CR line ends are LF.
  EXPECT_TRUE(doc.LoadText(std::string("<R>\r<a>1</a>\r</R>\0garbage", 24), "x.xml"));
  EXPECT_EQ(Read(doc, "e:<a>"), "1");
}

TEST(XmlConfigDoc, DocumentsBeyondTheLimitsAreNotParsed) {
  auto opening = [](size_t depth) {
    std::string s;
    for (size_t i = 0; i < depth; ++i) s += "<a>";
    return s;
  };
  auto nested = [](size_t depth) {
    std::string s;
    for (size_t i = 0; i < depth; ++i) s += "<a>";
    for (size_t i = 0; i < depth; ++i) s += "</a>";
    return s;
  };
  auto attributes = [](size_t count) {
    std::string s = "<a";
    for (size_t i = 0; i < count; ++i) s += " x" + std::to_string(i) + "=\"1\"";
    return s + "/>";
  };
  auto siblings = [](size_t count, const std::string& item) {
    std::string s = "<r>";
    for (size_t i = 0; i < count; ++i) s += item;
    return s + "</r>";
  };
  struct Case {
    const char* what;
    std::string text;
    bool loads;
  } cases[] = {
      {"deepest allowed", nested(kMaxElementDepth), true},
      {"one level deeper", nested(kMaxElementDepth + 1), false},
      {"a million open elements", opening(1000000), false},
      {"empty elements do not nest", siblings(kMaxElementDepth * 4, "<a/>"), true},
      {"attributes allowed", attributes(kMaxAttributesPerElement), true},
      {"one attribute more", attributes(kMaxAttributesPerElement + 1), false},
      {"markup in values and comments does not count",
       "<r a=\"<b><b><b>\"><!-- <b><b> --><![CDATA[<b><b>]]>" + std::string(kMaxElementDepth - 1, 'x') + "</r>", true},
      {"too many elements", siblings(kMaxMarkupNodes, "<a/>"), false},
      {"too many comments", siblings(kMaxMarkupNodes, "<!---->"), false},
  };
  for (const Case& c : cases) {
    auto start = std::chrono::steady_clock::now();
    CXmlConfigDoc doc;
    EXPECT_EQ(doc.LoadText(c.text, "x.xml"), c.loads) << c.what;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.what;
  }
}

// Runs body in a child process; true when it exits normally with status 0
// within the time.  A hang or an abort in the child fails the case without
// taking the test run down.
bool FinishesInChild(const std::function<void()>& body, int seconds = 10) {
  pid_t pid = fork();
  if (pid == 0) {
    body();
    _exit(0);
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Inputs known to hang or abort TinyXML 2.6.2 as released: an 0xEF byte
// just before the end makes TiXmlParsingData::Stamp loop forever
// (CVE-2021-42260); a zero byte after white space in the XML declaration
// reaches an assertion (CVE-2023-34194).
const std::string kHostileInputs[] = {
    "<?xml version=\"1.0\"?><a \xef ",
    std::string("<?xml version=\"1.0\"?><a>\xef\0\0<b/></a>", 36),
    std::string("<?xml \0?><a/>", 13),
    std::string("<?xml version=\"1.0\" \0?><a/>", 27),
    std::string("<?xml  \0", 8),
};

TEST(XmlConfigDoc, HostileInputsNeitherHangNorAbort) {
  for (const std::string& input : kHostileInputs) {
    EXPECT_TRUE(FinishesInChild([&] {
      CXmlConfigDoc doc;
      doc.LoadText(input, "x.xml");
      doc.Find("e:<a>");
    })) << "through CXmlConfigDoc: " << ::testing::PrintToString(input);
  }
}

TEST(XmlConfigDoc, LinkedTinyXmlCarriesTheHangAndAssertionFixes) {
  // The library itself, without our guards, on the exact buffers: this
  // fails when the build picks up a TinyXML without the two fixes.
  for (const std::string& input : kHostileInputs) {
    EXPECT_TRUE(FinishesInChild([&] {
      std::string buffer = input + std::string(16, '\0');
      TiXmlDocument doc;
      doc.Parse(buffer.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    })) << "raw TinyXML: " << ::testing::PrintToString(input);
  }
}

}  // namespace
}  // namespace kav::tmpl
