// Device-information records as the pages take them: any bytes, without a
// terminator in any text field, through the fill of the home, device
// information and LAN pages.  The record comes from the device by way of
// the device access library; the pages must never read past a field.
#include <QApplication>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "pages/network/lan_page.h"
#include "pages/status/device_info_page.h"
#include "pages/status/home_page.h"

namespace {

struct Pages {
  Pages() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "page_record_fuzz";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
    holder = new QWidget;
    home = new CHomePage(0, holder);  // no session: no handle, no traffic
    info = new CDeviceInfoPage(0, holder);
    lan = new CLanPage(0, holder);
  }
  QApplication* app;
  QWidget* holder;
  CHomePage* home;
  CDeviceInfoPage* info;
  CLanPage* lan;
};

}  // namespace

// Font lookup keeps its caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\nleak:libfreetype\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Pages pages;
  // Exactly the record's size on the heap, so a read past its end is caught.
  auto full = std::make_unique<AP_DEVICE_INFO>();
  std::memcpy(full.get(), data, std::min(size, sizeof(AP_DEVICE_INFO)));
  pages.home->Fill(*full);
  pages.info->Fill(*full);
  auto lan = std::make_unique<AP_LAN_INFO>();
  std::memcpy(lan.get(), data, std::min(size, sizeof(AP_LAN_INFO)));
  pages.lan->Fill(*lan);
  return 0;
}
