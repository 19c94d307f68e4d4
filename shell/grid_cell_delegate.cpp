#include "shell/grid_cell_delegate.h"

#include "shell/grid_list_ctrl.h"

CGridCellDelegate::CGridCellDelegate(CGridListCtrl* list) : QStyledItemDelegate(list), list_(list) {}

void CGridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  if (list_->IsActionColumn(index.column())) {
    list_->PaintActionCell(painter, option, index);
  } else if (index.column() == 0 && list_->HasCheckBoxes()) {
    QStyledItemDelegate::paint(painter, option, index);
  } else {
    list_->PaintCell(painter, option, index);
  }
}
