// A CGridListCtrl whose two action columns show icons instead of text, each
// centred in its cell: Edit (177) in the first action column, Delete (178)
// in the second.  A click counts inside the 32 by 32 area centred in the
// cell; the message is the same 1792 (wParam column, lParam row).
#pragma once

#include "shell/grid_list_ctrl.h"

class CIconListCtrl : public CGridListCtrl {
  Q_OBJECT
 public:
  explicit CIconListCtrl(QWidget* parent = nullptr);

 protected:
  QRect ActionHitRect(const QRect& cell) const override;
  bool ShowsActionIcon(int row, int column) const override;
  void PaintActionCell(QPainter* painter, const QStyleOptionViewItem& option,
                       const QModelIndex& index) const override;
};
