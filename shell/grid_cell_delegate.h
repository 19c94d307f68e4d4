// Draws the cells of a CGridListCtrl: hands each cell to the list's own
// drawing, or to the standard drawing for the check-box column.
#pragma once

#include <QStyledItemDelegate>

class CGridListCtrl;

class CGridCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit CGridCellDelegate(CGridListCtrl* list);
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  CGridListCtrl* list_;
};
