// Timing driver for the LAN page: switching the configuration window to the
// LAN page until the page is filled from the device, against one plain
// net-snmp GET of the same objects (the LAN group of the device model),
// alternating in one run against the same simulated device.
//
//   lan-page-bench ADDRESS PORT COUNT
//
// The clock stops when the page's OnGetDone has filled the controls, as the
// plain GET's stops when its answer is parsed; what the event loop does
// after that in the same pass is not timed.
// Between two switches the window goes to a page that reads nothing, so
// every switch reads the LAN page again and no page's busy timer is timed.
// Each switch is timed twice: as the user sees it (the page is repainted
// while its answer is on the way, and the offscreen raster painting of the
// whole page is the larger part), and with the view's painting held off,
// which leaves the page cycle itself: show, request, completion, fill.
// Prints one line per side, "<side> <count> <median us> <mean us>", then
// the ratios of the medians to the plain GET.
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include "KAV7420apHelp.h"
#include "bench/plain_snmp.h"
#include "device/model.h"
#include "pages/network/lan_page.h"
#include "pages/pages.h"
#include "shell/device_page.h"
#include "shell/kav7420_view.h"
#include "shell/main_frame.h"

namespace {

using kav::bench::openPlain;
using kav::device::Feature;

// The LAN page with a stopwatch: the moment it has filled its controls.
QElapsedTimer gClock;
qint64 gFilledAt = -1;

class TimedLanPage : public CLanPage {
 public:
  using CLanPage::CLanPage;
  void OnGetDone() override {
    CLanPage::OnGetDone();
    gFilledAt = gClock.nsecsElapsed();
  }
};

// The instances of the LAN group: the four scalars.
std::vector<std::vector<oid>> lanInstances() {
  return kav::bench::instancesOf(Feature::DeviceInfo, kav::device::group::kLan);
}

// Runs the event loop until pred() holds; false after 5 s.
template <typename Pred>
bool pumpUntil(Pred pred) {
  QElapsedTimer t;
  t.start();
  while (!pred()) {
    if (t.elapsed() > 5000) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  return true;
}

// Lets the window finish what it has queued (paints above all).
void settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
}

void report(const char* side, const std::vector<double>& us) {
  std::vector<double> sorted = us;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  const double mean = std::accumulate(us.begin(), us.end(), 0.0) / us.size();
  std::printf("%s %zu %.1f %.1f\n", side, us.size(), median, mean);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  setenv("MIBS", "", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: lan-page-bench ADDRESS PORT COUNT\n");
    return 2;
  }
  const std::string address = argv[1];
  const int port = std::atoi(argv[2]);
  const int count = std::max(1, std::atoi(argv[3]));
  netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
  init_snmp("lan-page-bench");

  apInitSnmpLibrary();
  AP_HANDLE session = apSnmpOpenSession(38, "rny0043");
  apSnmpSetSession(session, port, "public", "private", 2000, address.c_str(), 1);
  auto* frame = new CMainFrame(session, [](const PageInfo& info, AP_HANDLE s, QWidget* parent) -> CDevicePage* {
    if (info.id == kLanPageId) return new TimedLanPage(s, parent);
    return kav::pages::CreatePage(info, s, parent);
  });
  frame->show();
  CKAV7420View* view = frame->View();
  CDevicePage* home = view->Page(kHomePageId);
  CDevicePage* lan = view->Page(kLanPageId);
  // The home page's first read and its busy period are not timed.
  if (!pumpUntil([&] { return !home->IsBusy() && frame->isEnabled(); })) {
    std::fprintf(stderr, "the home page was not read\n");
    return 1;
  }

  const auto names = lanInstances();
  netsnmp_session* plain = openPlain(address, port);
  // One switch to the LAN page, timed until the page is filled; the window
  // is first settled on a page that reads nothing, so every switch reads
  // the LAN page again and nothing left over is painted in the interval.
  auto timedSwitch = [&](bool painted) -> double {
    frame->ShowPage(0, 0, QStringLiteral("Wireless"));
    view->setUpdatesEnabled(painted);
    settle();
    gFilledAt = -1;
    gClock.start();
    frame->ShowPage(0, 1, QStringLiteral("LAN"));
    if (!lan->IsBusy() || !pumpUntil([&] { return gFilledAt >= 0; }) ||
        frame->StatusText() != QLatin1String("Read from the device successfully."))
      return -1;
    const double us = gFilledAt / 1e3;
    view->setUpdatesEnabled(true);
    settle();
    return us;
  };
  std::vector<double> pageUs, unpaintedUs, plainUs;
  for (int i = 0; i < count; ++i) {
    const double painted = timedSwitch(true);
    const double unpainted = timedSwitch(false);
    if (painted < 0 || unpainted < 0) {
      std::fprintf(stderr, "the LAN page was not read\n");
      return 1;
    }
    pageUs.push_back(painted);
    unpaintedUs.push_back(unpainted);

    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
    for (const auto& n : names) snmp_add_null_var(pdu, n.data(), n.size());
    netsnmp_pdu* answer = nullptr;
    QElapsedTimer t;
    t.start();
    const int rc = snmp_synch_response(plain, pdu, &answer);
    plainUs.push_back(t.nsecsElapsed() / 1e3);
    if (rc != STAT_SUCCESS || !answer || answer->errstat != SNMP_ERR_NOERROR) {
      std::fprintf(stderr, "the plain GET failed\n");
      return 1;
    }
    snmp_free_pdu(answer);
  }
  report("lan-page", pageUs);
  report("lan-page-unpainted", unpaintedUs);
  report("plain-get", plainUs);
  std::printf("ratio %.2f\n", median(pageUs) / median(plainUs));
  std::printf("ratio-unpainted %.2f\n", median(unpaintedUs) / median(plainUs));
  snmp_close(plain);
  delete frame;
  apHandleClose(session);
  apUninitSnmpLibrary();
  return 0;
}
