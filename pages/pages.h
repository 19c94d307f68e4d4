// The pages of the configuration window: the factory the frame calls for
// each entry of the page table.  Built pages open their feature handles on
// the session given; the others are placeholders.
#pragma once

#include <QWidget>

#include "KAV7420apHelp.h"
#include "shell/page_table.h"

class CDevicePage;

namespace kav::pages {

CDevicePage* CreatePage(const PageInfo& info, AP_HANDLE session, QWidget* parent);

}  // namespace kav::pages
