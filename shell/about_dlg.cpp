#include "shell/about_dlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "shell/frame_icons.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("100"));
  setWindowTitle(QStringLiteral("About KAV-7420"));
  auto* icon = new QLabel(this);
  icon->setPixmap(FrameIcon(kIconModule).pixmap(32, 32));
  auto* name = new QLabel(QStringLiteral("KAV-7420 Management Module"), this);
  auto* version = new QLabel(QStringLiteral("Release Version:"), this);
  auto* number = new QLabel(QString::fromLatin1(kReleaseVersion), this);
  auto* legal = new QLabel(QStringLiteral("Copyright (C) 2011. All rights reserved."), this);
  name->setObjectName(QStringLiteral("name"));
  number->setObjectName(QStringLiteral("version"));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
  grid->addWidget(name, 0, 1, 1, 2);
  grid->addWidget(version, 1, 1);
  grid->addWidget(number, 1, 2);
  grid->addWidget(legal, 2, 1, 1, 2);
  grid->addWidget(ok, 0, 3, Qt::AlignTop);
  grid->setSizeConstraint(QLayout::SetFixedSize);
}
