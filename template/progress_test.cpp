// The engine's messages reach the host window as copy-data 3005 texts.
#include "template/progress.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "platform/win/messages.h"
#include "template/template_engine.h"
#include "template/testing/config_fixtures.h"

namespace kav::tmpl {
namespace {

class HostWindow : public QWidget {
 public:
  std::vector<std::pair<uint32_t, QByteArray>> received;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == kav::win::CopyDataEvent::eventType()) {
      auto* copy = static_cast<kav::win::CopyDataEvent*>(e);
      received.emplace_back(copy->word(), copy->data());
      return true;
    }
    return QWidget::event(e);
  }
};

TEST(Progress, MessagesGoToTheHostWindow) {
  // Without a host window the texts go nowhere, quietly.
  HostWindowSink()("nobody listens");

  int argc = 1;
  char name[] = "progress_test";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  HostWindowSink()("still nobody");

  HostWindow other;  // a top-level window with another title
  other.setWindowTitle("Something else");
  HostWindow host;
  host.setWindowTitle("Orvane2");

  // The default sink of the engine.
  fixture::ConfigBuilder device;
  device.Root("KAV-7420b").Set({"wlan", "inf:1", "wlmode"}, "4");
  fixture::TempDir dir;
  device.WriteXml(dir.File("dev.xml"));
  fixture::WriteFile(dir.File("t.tpl"), "AWS_80211g_DTIM=99\nSYS_Username=root\n");
  CTemplateEngine engine("10.0.0.7");
  ASSERT_TRUE(engine.ApplyTemplate(dir.File("dev.xml"), dir.File("t.tpl"), {}));

  const std::string text =
      "Device(10.0.0.7), Device's DTIM Interval range is 1~15, but current value of template is 99 in 2.4G, so "
      "program will skip this parameter.";
  ASSERT_EQ(host.received.size(), 1u);
  EXPECT_EQ(host.received[0].first, 3005u);
  EXPECT_EQ(host.received[0].second, QByteArray::fromStdString(text));  // the bytes, no terminator
  EXPECT_TRUE(other.received.empty());
}

}  // namespace
}  // namespace kav::tmpl
