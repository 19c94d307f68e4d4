// A page that a later piece of work builds: it shows its title and says it
// is not built yet.  It opens no handle, reads nothing and writes nothing.
#pragma once

#include "shell/device_page.h"
#include "shell/page_table.h"

class CPlaceholderPage : public CDevicePage {
  Q_OBJECT
 public:
  CPlaceholderPage(const PageInfo& info, QWidget* parent);
  bool ReadOnShow() override { return false; }
};
