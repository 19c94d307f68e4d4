#include "shell/icon_list_ctrl.h"

#include <QPainter>
#include <QStyleOptionViewItem>

#include "shell/action_icons.h"

namespace {
constexpr int kIconArea = 32;
}  // namespace

CIconListCtrl::CIconListCtrl(QWidget* parent) : CGridListCtrl(parent) {}

QRect CIconListCtrl::ActionHitRect(const QRect& cell) const {
  QRect area(0, 0, kIconArea, kIconArea);
  area.moveCenter(cell.center());
  return area;
}

bool CIconListCtrl::ShowsActionIcon(int row, int column) const {
  return row >= 0 && row < rowCount() && IsActionColumn(column);
}

void CIconListCtrl::PaintActionCell(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  painter->save();
  painter->setClipRect(option.rect);
  PaintBackground(painter, option.rect, index.row());
  // The first declared action column is Edit, the second Delete.
  const int iconId = index.column() == ActionColumn(0) ? kIconEdit : kIconDelete;
  ActionIcon(iconId).paint(painter, ActionHitRect(option.rect));
  painter->restore();
}
