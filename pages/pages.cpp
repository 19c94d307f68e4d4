#include "pages/pages.h"

#include "pages/network/lan_page.h"
#include "pages/status/device_info_page.h"
#include "pages/status/home_page.h"
#include "shell/placeholder_page.h"

namespace kav::pages {

CDevicePage* CreatePage(const PageInfo& info, AP_HANDLE session, QWidget* parent) {
  switch (info.id) {
    case kHomePageId: return new CHomePage(session, parent);
    case kLanPageId: return new CLanPage(session, parent);
    case kDeviceInfoPageId: return new CDeviceInfoPage(session, parent);
    default: return new CPlaceholderPage(info, parent);
  }
}

}  // namespace kav::pages
