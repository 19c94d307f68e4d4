// The table control of the pages' lists: report-style rows and columns,
// full-row selection, rows grouped by a "group value", grid lines in
// RGB 233,233,200, and two optional action columns (Edit, Delete) whose
// icons are clickable.
//
// Group value (per row): for the first row of a group the number of rows in
// the group (1 for a row on its own); for each following row, minus its
// distance to the group's first row (0 or less).  InsertRow gives a row the
// line count of its text; SetCellText raises a positive value to the line
// count of the new text when that is larger; SetGroupValue sets it outright.
//
// Highlighting: the selected row, the first row of a group whose selected
// row lies within the group, and the following rows of the selected row's
// group.  A horizontal grid line closes each group; a vertical one starts
// every column but the first.
//
// Clicks: a left click inside the 16 by 16 area at the top-left of a cell
// in an action column sends window message 1792 to the notify target
// (default: the parent widget), wParam = column, lParam = row, after the
// selection has moved to that row.  Over an action cell that shows an icon
// the cursor is the pointing hand.
//
// Columns 0 of a check-box list and the action columns are drawn the usual
// way (check box, icon at the top-left, text); every other cell is drawn
// here: its text, possibly several lines, from the top, 6 pixels from the
// left edge (2 in column 0).
#pragma once

#include <QPointer>
#include <QTableWidget>

class QStyleOptionViewItem;

class CGridListCtrl : public QTableWidget {
  Q_OBJECT
 public:
  static constexpr int kMsgActionClick = 1792;

  explicit CGridListCtrl(QWidget* parent = nullptr);

  int InsertColumn(int column, const QString& heading, int width);
  // Inserts at `row` (appends when out of range) and returns the row.
  int InsertRow(int row, const QString& text);
  int InsertRowWithImage(int row, const QString& text, const QIcon& image);
  void SetCellText(int row, int column, const QString& text);
  QString CellText(int row, int column) const;
  void SetCellImage(int row, int column, const QIcon& image);
  void DeleteRow(int row);
  void DeleteAllRows();

  void SetActionColumns(int first, int second);  // -1: none
  bool IsActionColumn(int column) const;
  int ActionColumn(int which) const { return actionColumns_[which & 1]; }  // 0 first, 1 second

  int GroupValue(int row) const;  // 1 for a row that has none
  void SetGroupValue(int row, int value);
  bool EndsGroup(int row) const;
  bool IsRowHighlighted(int row) const;
  int SelectedRow() const { return selected_; }
  int PreviousSelectedRow() const { return previous_; }

  void SetCheckBoxes(bool on);
  bool HasCheckBoxes() const { return checkBoxes_; }
  bool IsChecked(int row) const;
  void SetChecked(int row, bool checked);
  void SetRowHeight(int pixels);

  void SetNotifyTarget(QObject* target) { target_ = target; }
  QObject* NotifyTarget() const;

 protected:
  friend class CGridCellDelegate;

  // Hooks for CIconListCtrl: where a click counts, whether a cell shows an
  // icon, and how an action cell is drawn.
  virtual QRect ActionHitRect(const QRect& cell) const;
  virtual bool ShowsActionIcon(int row, int column) const;
  virtual void PaintActionCell(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const;
  void PaintCell(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const;
  void PaintBackground(QPainter* painter, const QRect& rect, int row) const;

  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QTableWidgetItem* EnsureItem(int row, int column);
  void OnSelectionChanged();
  void SetHandCursor(bool on);

  int actionColumns_[2] = {-1, -1};
  int previous_ = -1;
  int selected_ = -1;
  bool handCursor_ = false;
  bool checkBoxes_ = false;
  QPointer<QObject> target_;
};
