// Saves widget->grab() as <build>/test-shots/<name>.png so a person can
// look at what a widget test drew; returns the path.
#pragma once

#include <QString>

class QWidget;

QString SaveShot(QWidget* widget, const QString& name);
