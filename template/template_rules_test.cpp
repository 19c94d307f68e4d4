#include "template/template_rules.h"

#include <gtest/gtest.h>

#include "template/template_keys.h"

namespace kav::tmpl {
namespace {

using Lines = std::vector<std::string>;

Lines Apply(Lines lines, const Lines& rules) {
  ApplyRules(lines, rules);
  return lines;
}

TEST(TemplateRules, Evaluation) {
  struct Case {
    const char* what;
    Lines rules;
    Lines lines;
    Lines kept;
  } cases[] = {
      {"values match by containment",
       {"|auth_type=Open System|:|auth_type|"},
       {"auth_type=Open System / Shared Key", "key1=abc"},
       {"auth_type=Open System / Shared Key"}},
      {"names match by containment, case-sensitive",
       {"|type=WPA|:|auth_type|"},
       {"auth_type=WPA2", "Auth_Type=x"},
       {"auth_type=WPA2"}},
      {"the wildcard holds for any line",
       {"|*=*|:|Username|Password|"},
       {"Username=a", "Password=b", "Mask=c"},
       {"Username=a", "Password=b"}},
      {"every condition must hold",
       {"|a=1|b=2|:|a|b|"},
       {"a=1", "b=3", "c=4"},
       {"a=1", "b=3", "c=4"}},
      {"no rule applies: everything stays",
       {"|a=9|:|a|"},
       {"a=1", "b=2"},
       {"a=1", "b=2"}},
      {"condition tokens keep their own key",
       {"|DHCPclient=Enable|:|x|"},
       {"DHCPclient=Enable", "Mask=1"},
       {"DHCPclient=Enable"}},
      {"a key stays through a token that contains it",
       {"|s=1|:|SSID1_KeyIndex|key2|"},
       {"s=1", "SSID1_Key=k", "key2=x", "key3=y", "SSID2_Key=z"},
       {"s=1", "SSID1_Key=k", "key2=x"}},
      {"the keep sets of several rules add up",
       {"|a=1|:|x|", "|b=2|:|y|", "|c=3|:|z|"},
       {"a=1", "b=2", "x=0", "y=0", "z=0"},
       {"a=1", "b=2", "x=0", "y=0"}},
      {"an empty section stays empty", {"|*=*|:|a|"}, {}, {}},
      {"a line without = is all key",
       {"|a=1|:|a|"},
       {"a=1", "a", "b"},
       {"a=1", "a"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Apply(c.lines, c.rules), c.kept) << c.what;
}

TEST(TemplateRules, RuleLists) {
  EXPECT_EQ(keys::SystemRules().size(), 5u);
  EXPECT_EQ(keys::SecurityRules().size(), 16u);
  ASSERT_EQ(keys::FilterRules().size(), 3u);
  EXPECT_EQ(keys::MultiSsidRules().size(), 2u + 7u * 19u);
  EXPECT_EQ(keys::MultiSsidRules()[2],
            "|SSID1_Status=Enable|SSID1_Security=Open System|SSID1_Wep_Status=Enable|:|Multi_Status|SSID1_Status|"
            "SSID1_Ssid|SSID1_Visibility|SSID1_Wmm|SSID1_Security|SSID1_Wep_Status|SSID1_KeyIndex|SSID1_KeySize|"
            "SSID1_KeyType|SSID1_Key|");
  EXPECT_EQ(keys::MultiSsidRules()[2 + 7 * 19 - 1],
            "|SSID7_Status=Enable|SSID7_Security=802.1x|:|Multi_Status|SSID7_Status|SSID7_Ssid|SSID7_Visibility|"
            "SSID7_Wmm|SSID7_Security|SSID7_8021x_Update_Key|SSID7_Radius_Server|SSID7_Radius_Port|SSID7_Radius_Secret|");

  // Filter entries: the first 256 stay with a filter mode, the count goes.
  Lines filter = {"filter_mac_acl=Reject", "filter_mac_add1=a", "filter_mac_add256=b", "filter_mac_Items=2"};
  EXPECT_EQ(Apply(filter, keys::FilterRules()),
            (Lines{"filter_mac_acl=Reject", "filter_mac_add1=a", "filter_mac_add256=b"}));
}

}  // namespace
}  // namespace kav::tmpl
