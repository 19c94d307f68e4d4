// The host's windows as the module expects to find them: a top-level window
// titled "Orvane2" and its parent, the window that takes the module's
// messages (FTP home folder exchange, progress texts).
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace kav::host {

class HostMessageWindow : public QWidget {
  Q_OBJECT
 public:
  HostMessageWindow();

  // Where progress texts go (the log pane, or standard output).
  std::function<void(const QString&)> onProgressText;
  // The host's FTP home folder: asked for by the module (1231), changed by
  // it (1232).
  std::function<QString()> homeFolder;
  std::function<void(const QString&)> moveHomeFolder;

 protected:
  bool event(QEvent* e) override;
};

// Makes the pair: the message window and, as its child top-level window,
// the one titled "Orvane2".  The caller owns the message window.
HostMessageWindow* createHostWindows(QWidget* mainWindow = nullptr);

}  // namespace kav::host
