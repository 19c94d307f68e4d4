#include "pages/testing/page_fixture.h"

#include <gtest/gtest.h>

#include "pages/pages.h"
#include "platform/testing/qt_wait.h"
#include "shell/device_page.h"

namespace kav::pages::testing {

WindowFixture::WindowFixture(const kav::sim::testing::SimProcess& sim, size_t device, int timeoutMs) {
  kav::testing::ensureApp();
  static const bool started = apInitSnmpLibrary() == AP_OK;
  EXPECT_TRUE(started);
  session_ = apSnmpOpenSession(38, "rny0043");
  apSnmpSetSession(session_, sim.port(), "public", "private", timeoutMs, sim.address(device).c_str(), 1);
  frame_ = new CMainFrame(session_, &kav::pages::CreatePage);
}

WindowFixture::~WindowFixture() {
  delete frame_.data();
  apHandleClose(session_);
}

void WindowFixture::Show() {
  frame_->show();
  EXPECT_TRUE(WaitIdle());
}

CDevicePage* WindowFixture::OpenPage(int id) {
  const PageInfo* info = FindPage(id);
  if (!info) return nullptr;
  frame_->ShowPage(info->folder, info->item, QString::fromLatin1(info->itemText));
  EXPECT_EQ(frame_->View()->CurrentPageId(), id);
  EXPECT_TRUE(WaitIdle());
  return frame_->View()->Page(id);
}

bool WindowFixture::WaitIdle() {
  return kav::testing::waitUntil([this] {
    if (!frame_ || !frame_->isEnabled()) return false;
    for (CDevicePage* page : frame_->View()->Pages())
      if (page->IsBusy()) return false;
    return true;
  });
}

}  // namespace kav::pages::testing
