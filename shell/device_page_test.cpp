// The page cycle against simulated access points: asynchronous and
// synchronous reads and writes, failures in the status line, the busy flag,
// completions after the page is gone, long operations, the option byte.
#include "shell/device_page.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <memory>

#include "platform/testing/qt_wait.h"
#include "platform/win/messages.h"
#include "shell/kav7420_view.h"
#include "shell/main_frame.h"
#include "shell/wait_dlg.h"
#include "sim/testing/sim_process.h"

namespace {

using kav::sim::testing::SimProcess;
using kav::testing::waitUntil;

constexpr int kPageId = kLanPageId;  // where the test page sits in the window

int gGetDoneTotal = 0;  // across all pages, dead ones included

class SimPage : public CDevicePage {
 public:
  SimPage(AP_HANDLE session, QWidget* parent, bool open = true) : CDevicePage(QStringLiteral("Test"), parent) {
    if (open) SetHandle(apSysDeviceInforOpen(session, 0));
    edit = new QLineEdit(this);
    label = new QLabel(QStringLiteral("label"), this);
  }
  bool ReadOnShow() override { return readOnShow; }
  void OnGetDone() override {
    ++getDone;
    ++gGetDoneTotal;
  }
  void OnSetDone(intptr_t lParam) override {
    ++setDone;
    lastLParam = lParam;
  }
  void OnLongOperationEnd() override { ++longEnds; }

  using CDevicePage::BeginLongOperation;
  using CDevicePage::SetStatusText;
  using CDevicePage::ShowWaitDialog;
  using CDevicePage::WaitDialog;

  bool readOnShow = true;
  int getDone = 0, setDone = 0, longEnds = 0;
  intptr_t lastLParam = -1;
  QLineEdit* edit;
  QLabel* label;
};

class Page : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kav::testing::ensureApp();
    ASSERT_EQ(apInitSnmpLibrary(), AP_OK);
    // Device 0 answers, device 1 is silent, device 2 answers slowly.
    sim_ = new SimProcess(3, "[${1}]\nsilent = 1\n[${2}]\ndelay_ms = 400\n");
  }
  static void TearDownTestSuite() {
    delete sim_;
    apUninitSnmpLibrary();
  }
  void TearDown() override {
    delete frame.data();
    if (session) apHandleClose(session);
  }

  // A window whose LAN entry is a SimPage talking to device `device`.
  SimPage* OpenWindow(int device, int timeoutMs = 2000, bool readOnShow = true) {
    session = apSnmpOpenSession(38, "rny0043");
    apSnmpSetSession(session, sim_->port(), "public", "private", timeoutMs, sim_->address(device).c_str(), 1);
    frame = new CMainFrame(session, [readOnShow](const PageInfo& info, AP_HANDLE s, QWidget* parent) -> CDevicePage* {
      if (info.id != kPageId) return nullptr;
      auto* page = new SimPage(s, parent);
      page->readOnShow = readOnShow;
      return page;
    });
    frame->show();
    return static_cast<SimPage*>(frame->View()->Page(kPageId));
  }
  void ShowTestPage() { frame->RunCommand(32802); }
  static intptr_t BusyAnswer(CDevicePage* page) { return kav::win::sendMessage(page, kMsgBusyQuery); }

  static SimProcess* sim_;
  AP_HANDLE session = 0;
  QPointer<CMainFrame> frame;
};
SimProcess* Page::sim_ = nullptr;

TEST_F(Page, AsynchronousAndSynchronousReadAndWrite) {
  SimPage* page = OpenWindow(0);
  ShowTestPage();
  EXPECT_EQ(frame->StatusText(), "Reading Config from... ...");
  EXPECT_TRUE(page->IsBusy());
  EXPECT_EQ(BusyAnswer(page), 1);
  ASSERT_TRUE(waitUntil([&] { return page->getDone == 1; }));
  EXPECT_EQ(frame->StatusText(), "Read from the device successfully.");
  EXPECT_EQ(page->StatusText(), "Read from the device successfully.");
  EXPECT_FALSE(page->IsBusy());
  EXPECT_EQ(BusyAnswer(page), 0);

  // Write back what was read of the LAN group.
  apStyleModify(page->Handle(), 2, 1);
  EXPECT_EQ(page->WriteToDevice(true), AP_OK);
  EXPECT_FALSE(page->IsBusy());  // a write does not make the page busy
  ASSERT_TRUE(waitUntil([&] { return page->setDone == 1; }));
  EXPECT_EQ(page->lastLParam, 0);
  EXPECT_EQ(frame->StatusText(), "Written to the device successfully.");

  // Synchronous: done when the call returns, no completion, no messages.
  frame->SetStatusText("before");
  EXPECT_EQ(page->ReadFromDevice(false), AP_OK);
  EXPECT_EQ(frame->StatusText(), "Reading Config from... ...");
  EXPECT_EQ(page->WriteToDevice(false), AP_OK);
  kav::testing::spin(std::chrono::milliseconds(100));
  EXPECT_EQ(page->getDone, 1);
  EXPECT_EQ(page->setDone, 1);
  EXPECT_FALSE(page->IsBusy());
}

TEST_F(Page, FailuresShowTheLibrarysTextAndEndTheBusyState) {
  // No answer: the completion brings the error; OnGetDone does not run.
  SimPage* silent = OpenWindow(1, 300);
  ShowTestPage();
  EXPECT_TRUE(silent->IsBusy());
  ASSERT_TRUE(waitUntil([&] { return !silent->IsBusy(); }));
  EXPECT_EQ(frame->StatusText(), "No answer from the device: it is unreachable, silent, or the community is wrong.");
  EXPECT_EQ(silent->StatusText(), frame->StatusText());
  EXPECT_EQ(silent->getDone, 0);
  EXPECT_EQ(BusyAnswer(silent), 0);

  // A request the library refuses at once: its text, not busy, nothing pending.
  apHandleClose(silent->Handle());
  EXPECT_EQ(silent->ReadFromDevice(true), AP_E_HANDLE);
  EXPECT_EQ(frame->StatusText(), "Invalid handle.");
  EXPECT_FALSE(silent->IsBusy());
  EXPECT_EQ(silent->PendingContext(), nullptr);
  EXPECT_EQ(silent->WriteToDevice(true), AP_E_HANDLE);

  // No handle at all: -600 for reads and writes, nothing else changes.
  SimPage orphan(0, frame->View(), false);
  frame->SetStatusText("unchanged");
  for (bool async : {true, false}) {
    EXPECT_EQ(orphan.ReadFromDevice(async), -600);
    EXPECT_EQ(orphan.WriteToDevice(async), -600);
  }
  EXPECT_EQ(frame->StatusText(), "unchanged");
  EXPECT_FALSE(orphan.IsBusy());
}

// The library drops a closed handle's completions; the page's own table of
// requests makes a completion that comes anyway harmless.
TEST_F(Page, CompletionAfterThePageIsGoneDoesNothing) {
  const int before = gGetDoneTotal;
  SimPage* page = OpenWindow(2);
  ShowTestPage();
  ASSERT_TRUE(page->IsBusy());
  void* context = page->PendingContext();
  ASSERT_NE(context, nullptr);
  const AP_HANDLE handle = page->Handle();
  delete frame.data();  // every page goes, the read still on the wire
  kav::testing::spin(std::chrono::milliseconds(900));
  EXPECT_EQ(CDevicePage::Completion(handle, AP_OK, "late", context, "127.0.0.1"), 0);
  EXPECT_EQ(gGetDoneTotal, before);
  // The page closed its handle.
  auto record = std::make_unique<AP_DEVICE_INFO>();
  EXPECT_EQ(apSysDeviceGetInfor(handle, record.get()), AP_E_HANDLE);

  // A page deleted on its own, outside any window.
  QWidget holder;
  apHandleClose(session);
  session = apSnmpOpenSession(38, "rny0043");
  apSnmpSetSession(session, sim_->port(), "public", "private", 2000, sim_->address(2).c_str(), 1);
  auto* alone = new SimPage(session, &holder);
  ASSERT_EQ(alone->ReadFromDevice(true), AP_OK);
  context = alone->PendingContext();
  delete alone;
  EXPECT_EQ(CDevicePage::Completion(0, AP_OK, "late", context, "127.0.0.1"), 0);
  kav::testing::spin(std::chrono::milliseconds(900));
  EXPECT_EQ(gGetDoneTotal, before);
}

TEST_F(Page, LongOperationHoldsTheFrameThenGivesItBack) {
  SimPage* page = OpenWindow(0, 2000, false);
  ShowTestPage();
  page->SetStatusText("Device is ready.");
  page->BeginLongOperation(150);
  QPointer<CWaitDlg> wait = page->ShowWaitDialog("Refresh gettings, Please wait...");
  EXPECT_FALSE(frame->isEnabled());
  EXPECT_TRUE(frame->IsBusy());
  EXPECT_EQ(frame->cursor().shape(), Qt::WaitCursor);
  ASSERT_TRUE(wait);
  EXPECT_TRUE(wait->isVisible());
  EXPECT_EQ(wait->Text(), "Refresh gettings, Please wait...");
  EXPECT_EQ(wait->windowTitle(), "Please wait...");
  ASSERT_TRUE(waitUntil([&] { return page->longEnds == 1; }));
  EXPECT_TRUE(frame->isEnabled());
  EXPECT_FALSE(frame->IsBusy());
  EXPECT_EQ(frame->StatusText(), "Device is ready.");
  EXPECT_TRUE(waitUntil([&] { return wait.isNull(); }));
  kav::testing::spin(std::chrono::milliseconds(300));
  EXPECT_EQ(page->longEnds, 1);  // one shot
}

TEST_F(Page, OptionByteDecidesWhetherChildrenFollowThePage) {
  const struct {
    uint8_t options;
    bool childDisabledBefore;
    bool forcedAfterDisable;  // the child itself disabled while the page is
    bool enabledAfterEnable;
  } cases[] = {
      {0, false, false, true},  // Qt's own rule: children follow anyway
      {0, true, true, false},
      {CDevicePage::kDisableChildren, false, true, false},
      {CDevicePage::kEnableChildren | CDevicePage::kDisableChildren, false, true, true},
      {CDevicePage::kEnableChildren, true, true, true},
  };
  kav::testing::ensureApp();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    QWidget holder;
    SimPage page(0, &holder, false);
    page.SetOptions(c.options);
    page.edit->setEnabled(!c.childDisabledBefore);
    page.label->setEnabled(false);
    page.setEnabled(false);
    EXPECT_EQ(page.edit->testAttribute(Qt::WA_ForceDisabled), c.forcedAfterDisable);
    page.setEnabled(true);
    EXPECT_EQ(page.edit->isEnabled(), c.enabledAfterEnable);
    EXPECT_FALSE(page.label->isEnabled());  // labels are left alone

    // A disabled ancestor is not the page's own state.
    page.edit->setEnabled(true);
    holder.setEnabled(false);
    EXPECT_FALSE(page.edit->testAttribute(Qt::WA_ForceDisabled));
    holder.setEnabled(true);
  }
}

}  // namespace
