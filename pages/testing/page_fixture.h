// Page tests: the whole configuration window, built with the real pages,
// talking to simulated access points.
//
//   SimProcess sim(1, "...");
//   WindowFixture w(sim);          // library started, session on device 0
//   w.Show();                      // home page read
//   auto* lan = w.Open<CLanPage>(kLanPageId);   // switched to and read
//
// The fixture owns the frame (deleted with the fixture) and the session.
#pragma once

#include <QPointer>
#include <QString>
#include <ostream>

#include "KAV7420apHelp.h"
#include "shell/kav7420_view.h"
#include "shell/main_frame.h"
#include "sim/testing/sim_process.h"

// GoogleTest prints texts as texts.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace kav::pages::testing {

class WindowFixture {
 public:
  explicit WindowFixture(const kav::sim::testing::SimProcess& sim, size_t device = 0, int timeoutMs = 2000);
  ~WindowFixture();
  WindowFixture(const WindowFixture&) = delete;
  WindowFixture& operator=(const WindowFixture&) = delete;

  CMainFrame* frame() const { return frame_; }
  AP_HANDLE session() const { return session_; }

  // Shows the frame and waits until the home page has been read.
  void Show();
  // Switches to a page as a navigation click does and waits for its read.
  template <typename Page>
  Page* Open(int id) {
    return qobject_cast<Page*>(OpenPage(id));
  }
  CDevicePage* OpenPage(int id);
  // Runs the event loop until no page is busy and the frame is enabled.
  bool WaitIdle();

 private:
  AP_HANDLE session_ = 0;
  QPointer<CMainFrame> frame_;
};

}  // namespace kav::pages::testing
