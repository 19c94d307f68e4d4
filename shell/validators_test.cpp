#include "shell/validators.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <functional>

#include "shell/data_exchange.h"
#include "shell/message_catalogue.h"
#include "shell/shell_ui_recorder.h"
#include "platform/testing/qt_wait.h"
#include "shell/test_shots.h"

namespace {

class Validators : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { kav::testing::ensureApp(); }
  CShellUiRecorder ui;
  QWidget page;
};

// Each case runs one validator while saving; a failing case must show
// exactly its message with the exclamation icon and caption "KAV-7420".
TEST_F(Validators, MessagesOfFailingChecks) {
  using Run = std::function<bool(CDataExchange&)>;
  struct Case {
    const char* name;
    Run run;
    const char* text;  // nullptr: the check passes
    int helpContext;
  };
  const QString passphrase64(64, u'x');
  const Case cases[] = {
      {"blank", [](auto& dx) { return ValidateNotBlank(dx, "   ", 61446); }, "The filed can not be blank", 61446},
      {"not blank", [](auto& dx) { return ValidateNotBlank(dx, " a", 61446); }, nullptr, 0},
      {"passphrase too long",
       [&](auto& dx) { return ValidateLengthRange(dx, passphrase64, 8, 63, 61716); },
       "The length of the passphrase should be 8~63", 61716},
      {"passphrase fits", [](auto& dx) { return ValidateLengthRange(dx, "12345678", 8, 63, 61716); }, nullptr, 0},
      {"key length",
       [](auto& dx) { return ValidateExactLength(dx, "12345", 10, "hexadecimal", 61448); },
       "The Lenth of key must be 10 hexadecimal number ", 0},
      {"keys differ", [](auto& dx) { return ValidateMatch(dx, "abc", "abC", 61449); },
       "The Network Key and Confirm Key are not matched.", 61449},
      {"edge blank", [](auto& dx) { return ValidateNoEdgeBlank(dx, "ssid ", 61452); },
       "The first character and last character can't be blank.", 61452},
      {"eight-bit", [](auto& dx) { return ValidateSevenBit(dx, QString::fromUtf8("\xc3\xa9"), 61451); },
       "There are some invalid characters !", 61451},
      {"email chars", [](auto& dx) { return ValidateEmailChars(dx, "a b", 61451); },
       "There are some invalid characters !", 61451},
      {"email", [](auto& dx) { return ValidateEmail(dx, "name.example.com", 61450); }, "Wrong Email Address !", 61450},
      {"email ok", [](auto& dx) { return ValidateEmail(dx, "name@example.com", 61450); }, nullptr, 0},
      {"empty ip", [](auto& dx) { return ValidateIp(dx, "", 61719); }, "Invalid IP Address!", 61719},
      {"loopback ip", [](auto& dx) { return ValidateIp(dx, "127.0.0.1", 61719); }, "Invalid IP Address!", 61719},
      {"qos ip", [](auto& dx) { return ValidateIp(dx, "10.0.0.255", 61761); }, "Invalid IP Address!", 61761},
      {"zero gateway", [](auto& dx) { return ValidateGateway(dx, "0.0.0.0", 61721); }, "Invalid Gateway Address!", 61721},
      {"mask", [](auto& dx) { return ValidateMask(dx, "255.0.255.0", 61722); }, "Invalid Subnet Mask!", 61722},
      {"false", [](auto& dx) { return ValidateTrue(dx, false, 61756); }, "Please Select Day(s) !", 61756},
      {"fail", [](auto& dx) { return ValidateFail(dx, 61759); }, "Invalid Time Frame!", 61759},
      {"int range", [](auto& dx) { return ValidateIntRange(dx, 1000, 1, 999); },
       "Please enter an integer between 1 and 999.", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.ClearCalls();
    CDataExchange dx(&page, true);
    EXPECT_EQ(c.run(dx), c.text == nullptr);
    EXPECT_EQ(dx.Failed(), c.text != nullptr);
    if (!c.text) {
      EXPECT_TRUE(ui.Calls().empty());
      continue;
    }
    ASSERT_EQ(ui.Calls().size(), 1u);
    const auto& call = ui.Calls()[0];
    EXPECT_EQ(call.text, QString::fromLatin1(c.text));
    EXPECT_EQ(call.caption, "KAV-7420");
    EXPECT_EQ(call.icon, QMessageBox::Warning);
    EXPECT_EQ(call.helpContext, c.helpContext);
  }
}

TEST_F(Validators, LoadingNeverChecks) {
  CDataExchange dx(&page, false);
  EXPECT_TRUE(ValidateFail(dx, 61759));
  EXPECT_TRUE(ValidateIp(dx, "", 61719));
  EXPECT_FALSE(dx.Failed());
  EXPECT_TRUE(ui.Calls().empty());
}

// The first failure blames its control and silences the checks after it;
// Finish() puts the focus back on that control.
TEST_F(Validators, FirstFailureWinsAndIsFocused) {
  auto* ssid = new QLineEdit("  ", &page);
  auto* ip = new QLineEdit("1.2.3.4", &page);
  page.show();
  page.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
  CDataExchange dx(&page, true);
  QString ssidText, ipText;
  dx.Text(ssid, ssidText);
  ValidateNotBlank(dx, ssidText, 61446);
  ExchangeAddressText(dx, ip, ipText);
  ValidateIp(dx, "", 61719);
  EXPECT_EQ(ui.Calls().size(), 1u);
  EXPECT_EQ(dx.FailedControl(), ssid);
  EXPECT_TRUE(ipText.isEmpty());  // the exchange stopped at the failure
  EXPECT_FALSE(dx.Finish());
  EXPECT_EQ(QApplication::focusWidget(), ssid);
  EXPECT_EQ(ssid->selectedText(), "  ");
}

TEST_F(Validators, ExactLengthLimitsTheControl) {
  auto* key = new QLineEdit("0123456789", &page);
  CDataExchange dx(&page, true);
  QString value;
  dx.Text(key, value);
  EXPECT_TRUE(ValidateExactLength(dx, value, 10, "hexadecimal", 61448));
  EXPECT_EQ(key->maxLength(), 10);
}

TEST_F(Validators, IntegerExchange) {
  auto* box = new QLineEdit("12x", &page);
  CDataExchange dx(&page, true);
  int value = 5;
  dx.Int(box, value);
  EXPECT_TRUE(dx.Failed());
  EXPECT_EQ(value, 5);
  ASSERT_EQ(ui.Calls().size(), 1u);
  EXPECT_EQ(ui.Calls()[0].text, "Please enter an integer.");
}

TEST_F(Validators, IpMaskGatewayCombinations) {
  struct Case {
    const char* ip;
    const char* mask;
    const char* gateway;
    const char* message;  // nullptr: accepted
  };
  const char* allZero =
      "The combination of IP address and subnet mask is invalid.\nAll of the bits in the host "
      "address portion of the IP address are set to be 0.\nPlease enter a valid combination of IP "
      "address and subnet mask.";
  const char* allOne =
      "The combination of IP address and subnet mask is invalid.\nAll of the bits in the host "
      "address portion of the IP address are set to be 1.\nPlease enter a valid combination of IP "
      "address and subnet mask.";
  const Case cases[] = {
      {"192.168.0.50", "255.255.255.0", "0.0.0.0", nullptr},
      {"192.168.0.50", "255.255.255.0", "192.168.0.1", nullptr},
      {"192.168.0.50", "255.255.255.0", "192.168.1.1", "Invalid Gateway address!"},
      {"192.168.0.50", "255.255.255.0", "192.168.0.0", "Invalid Gateway address!"},
      {"192.168.0.50", "255.255.255.0", "192.168.0.255", "Invalid Gateway address!"},
      {"192.168.0.255", "255.255.255.0", "0.0.0.0", allOne},
      {"192.168.0.0", "255.255.255.0", "0.0.0.0", allZero},
      {"255.255.255.7", "255.255.255.0", "0.0.0.0", "Subnet number for the whole one, not legal."},
      {"0.0.0.9", "255.255.255.0", "0.0.0.0", "Subnet number is all zero, illegal."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ip + std::string(" ") + c.gateway);
    ui.ClearCalls();
    EXPECT_EQ(CheckIpMaskGateway(c.ip, c.mask, c.gateway, &page), c.message == nullptr);
    if (!c.message) {
      EXPECT_TRUE(ui.Calls().empty());
      continue;
    }
    ASSERT_EQ(ui.Calls().size(), 1u);
    EXPECT_EQ(ui.Calls()[0].text, QString::fromLatin1(c.message));
    EXPECT_EQ(ui.Calls()[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(ui.Calls()[0].caption, "KAV-7420");
  }
}

TEST(MessageCatalogue, TextsAndPlaceholders) {
  EXPECT_EQ(CatalogueText(61717), "The PassPhrase and Confirm PassPhrase are not matched ");
  EXPECT_EQ(CatalogueText(61736), "The range of  dynamic pool  should be %1~%2");
  EXPECT_EQ(CatalogueText(61753), "The PVID value range is 1~4094.");
  EXPECT_TRUE(CatalogueText(61723).isEmpty());
  EXPECT_EQ(FillMessageArgs("%1~%2", "%2", "b"), "%2~b");  // one pass
}

TEST(ShellUi, RecorderAnswersFromItsQueues) {
  CShellUiRecorder ui;
  EXPECT_EQ(CShellUi::Show(nullptr, "Do you want to delete this item ?", QMessageBox::NoIcon, 0,
                           QMessageBox::Ok | QMessageBox::Cancel),
            QMessageBox::Ok);
  ui.QueueButton(QMessageBox::Cancel);
  EXPECT_EQ(CShellUi::Show(nullptr, "again", QMessageBox::NoIcon, 0, QMessageBox::Ok | QMessageBox::Cancel),
            QMessageBox::Cancel);
  EXPECT_EQ(CShellUi::Show(nullptr, "yes?", QMessageBox::NoIcon, 0, QMessageBox::Yes | QMessageBox::No),
            QMessageBox::Yes);
  ui.QueuePath("/tmp/list.acl");
  const char* filter = "ACL File(*.acl)|*.acl|All Files(*.*)|*.*||";
  EXPECT_EQ(CShellUi::Current().FileOpen(nullptr, filter, {}), "/tmp/list.acl");
  EXPECT_EQ(CShellUi::Current().FileSave(nullptr, filter, {}), "");  // Cancel
  ASSERT_EQ(ui.Calls().size(), 5u);
  EXPECT_EQ(ui.Calls()[3].filter, filter);
}

}  // namespace

#include "shell/qt_shell_ui.h"

namespace {
TEST(ShellUi, FilterTextForQtDialogs) {
  EXPECT_EQ(CQtShellUi::QtFilter("ACL File(*.acl)|*.acl|All Files(*.*)|*.*||"),
            "ACL File(*.acl) (*.acl);;All Files(*.*) (*.*)");
  EXPECT_EQ(CQtShellUi::QtFilter("Images|*.png;*.bmp||"), "Images (*.png *.bmp)");
}
}  // namespace
