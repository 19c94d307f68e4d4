#include "shell/test_shots.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

QString SaveShot(QWidget* widget, const QString& name) {
  const QString dir = QStringLiteral(KAV_BUILD_DIR "/test-shots");
  QDir().mkpath(dir);
  const QString path = dir + u'/' + name + QStringLiteral(".png");
  widget->grab().save(path);
  return path;
}
