#include "shell/placeholder_page.h"

#include <QLabel>

CPlaceholderPage::CPlaceholderPage(const PageInfo& info, QWidget* parent)
    : CDevicePage(QString::fromLatin1(info.title), parent) {
  auto* title = new QLabel(Title(), this);
  title->setObjectName(QStringLiteral("placeholderTitle"));
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  title->move(20, 20);
  title->adjustSize();
  auto* note = new QLabel(QStringLiteral("This page is not built yet."), this);
  note->setObjectName(QStringLiteral("placeholderNote"));
  note->move(20, 50);
  note->adjustSize();
}
