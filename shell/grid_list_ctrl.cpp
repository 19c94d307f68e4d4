#include "shell/grid_list_ctrl.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

#include "platform/win/messages.h"
#include "shell/grid_cell_delegate.h"

namespace {
constexpr int kGroupRole = Qt::UserRole + 1;
const QColor kGridLine(233, 233, 200);
constexpr int kIconArea = 16;

int LineCount(const QString& text) { return int(text.count(u'\n')) + 1; }
}  // namespace

CGridListCtrl::CGridListCtrl(QWidget* parent) : QTableWidget(parent) {
  setItemDelegate(new CGridCellDelegate(this));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);  // grid lines follow the groups, drawn per cell
  setWordWrap(false);
  setMouseTracking(true);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(20);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setStretchLastSection(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(this, &QTableWidget::itemSelectionChanged, this, &CGridListCtrl::OnSelectionChanged);
}

int CGridListCtrl::InsertColumn(int column, const QString& heading, int width) {
  if (column < 0 || column > columnCount()) column = columnCount();
  insertColumn(column);
  setHorizontalHeaderItem(column, new QTableWidgetItem(heading));
  setColumnWidth(column, width);
  return column;
}

int CGridListCtrl::InsertRow(int row, const QString& text) {
  if (row < 0 || row > rowCount()) row = rowCount();
  insertRow(row);
  QTableWidgetItem* item = EnsureItem(row, 0);
  item->setText(text);
  item->setData(kGroupRole, LineCount(text));
  return row;
}

int CGridListCtrl::InsertRowWithImage(int row, const QString& text, const QIcon& image) {
  row = InsertRow(row, text);
  item(row, 0)->setIcon(image);
  return row;
}

void CGridListCtrl::SetCellText(int row, int column, const QString& text) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
  EnsureItem(row, column)->setText(text);
  // Only a row that starts a group grows: following rows keep their
  // (non-positive) link to the group's first row.
  const int value = GroupValue(row);
  if (value > 0 && LineCount(text) > value) SetGroupValue(row, LineCount(text));
}

QString CGridListCtrl::CellText(int row, int column) const {
  const QTableWidgetItem* it = item(row, column);
  return it ? it->text() : QString();
}

void CGridListCtrl::SetCellImage(int row, int column, const QIcon& image) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
  EnsureItem(row, column)->setIcon(image);
}

void CGridListCtrl::DeleteRow(int row) {
  if (row >= 0 && row < rowCount()) removeRow(row);
}

void CGridListCtrl::DeleteAllRows() { setRowCount(0); }

void CGridListCtrl::SetActionColumns(int first, int second) {
  actionColumns_[0] = first;
  actionColumns_[1] = second;
  viewport()->update();
}

bool CGridListCtrl::IsActionColumn(int column) const {
  return column >= 0 && (column == actionColumns_[0] || column == actionColumns_[1]);
}

int CGridListCtrl::GroupValue(int row) const {
  const QTableWidgetItem* it = item(row, 0);
  const QVariant v = it ? it->data(kGroupRole) : QVariant();
  return v.isValid() ? v.toInt() : 1;
}

void CGridListCtrl::SetGroupValue(int row, int value) {
  if (row < 0 || row >= rowCount()) return;
  EnsureItem(row, 0)->setData(kGroupRole, value);
  viewport()->update();
}

bool CGridListCtrl::EndsGroup(int row) const {
  return GroupValue(row) == 1 || row == rowCount() - 1 || GroupValue(row + 1) > 0;
}

bool CGridListCtrl::IsRowHighlighted(int row) const {
  const int s = selected_;
  if (s < 0 || row < 0 || row >= rowCount()) return false;
  if (row == s) return true;
  const int value = GroupValue(row);
  if (value >= 2 && row + 1 < rowCount() && GroupValue(row + 1) <= 0)
    return s > row && s < row + value;  // first row of the selected row's group
  if (value <= 0) {                     // following row: its group starts at row + value
    const int first = row + value;
    return first >= 0 && s >= first && s < first + GroupValue(first);
  }
  return false;
}

void CGridListCtrl::SetCheckBoxes(bool on) {
  checkBoxes_ = on;
  for (int row = 0; row < rowCount(); ++row) {
    QTableWidgetItem* it = EnsureItem(row, 0);
    it->setFlags(on ? it->flags() | Qt::ItemIsUserCheckable : it->flags() & ~Qt::ItemIsUserCheckable);
    if (on) it->setCheckState(Qt::Unchecked);
    else it->setData(Qt::CheckStateRole, QVariant());
  }
}

bool CGridListCtrl::IsChecked(int row) const {
  const QTableWidgetItem* it = item(row, 0);
  return it && it->checkState() == Qt::Checked;
}

void CGridListCtrl::SetChecked(int row, bool checked) {
  if (row >= 0 && row < rowCount()) EnsureItem(row, 0)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void CGridListCtrl::SetRowHeight(int pixels) { verticalHeader()->setDefaultSectionSize(pixels); }

QObject* CGridListCtrl::NotifyTarget() const {
  return target_ ? target_.data() : static_cast<QObject*>(parentWidget());
}

QTableWidgetItem* CGridListCtrl::EnsureItem(int row, int column) {
  QTableWidgetItem* it = item(row, column);
  if (!it) {
    it = new QTableWidgetItem;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (column == 0 && checkBoxes_) flags |= Qt::ItemIsUserCheckable;
    it->setFlags(flags);
    setItem(row, column, it);
    if (column == 0 && checkBoxes_) it->setCheckState(Qt::Unchecked);
  }
  return it;
}

void CGridListCtrl::OnSelectionChanged() {
  const QModelIndexList rows = selectionModel()->selectedRows();
  const int now = rows.isEmpty() ? -1 : rows.first().row();
  if (now == selected_) return;
  previous_ = selected_;
  selected_ = now;
  viewport()->update();  // highlighting spreads over whole groups
}

QRect CGridListCtrl::ActionHitRect(const QRect& cell) const {
  return QRect(cell.topLeft(), QSize(kIconArea, kIconArea));
}

bool CGridListCtrl::ShowsActionIcon(int row, int column) const {
  const QTableWidgetItem* it = item(row, column);
  return it && !it->icon().isNull();
}

void CGridListCtrl::PaintBackground(QPainter* painter, const QRect& rect, int row) const {
  painter->fillRect(rect, palette().color(IsRowHighlighted(row) ? QPalette::Highlight : QPalette::Base));
}

// The usual look of an action cell: its icon in the 16 by 16 area where a
// click counts, then its text.
void CGridListCtrl::PaintActionCell(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
  const QRect r = option.rect;
  const bool selected = index.row() == selected_;
  painter->fillRect(r, palette().color(selected ? QPalette::Highlight : QPalette::Base));
  const QTableWidgetItem* it = item(index.row(), index.column());
  if (!it) return;
  int textLeft = r.left() + 2;
  if (!it->icon().isNull()) {
    it->icon().paint(painter, ActionHitRect(r));
    textLeft = r.left() + kIconArea + 4;
  }
  painter->setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
  painter->drawText(QRect(textLeft, r.top(), r.right() - textLeft, r.height()),
                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, it->text());
}

void CGridListCtrl::PaintCell(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  const QRect r = option.rect;
  const int row = index.row(), column = index.column();
  painter->save();
  painter->setClipRect(r);
  PaintBackground(painter, r, row);
  painter->setPen(palette().color(IsRowHighlighted(row) ? QPalette::HighlightedText : QPalette::Text));
  painter->setFont(option.font);
  const QRect textRect = r.adjusted(column == 0 ? 2 : 6, 0, 0, 0);
  painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
  painter->setPen(kGridLine);
  if (column != 0) painter->drawLine(r.topLeft(), r.bottomLeft());
  if (EndsGroup(row)) painter->drawLine(r.bottomLeft(), r.bottomRight());
  painter->restore();
}

void CGridListCtrl::mousePressEvent(QMouseEvent* event) {
  QTableWidget::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QPoint pos = event->position().toPoint();
  const QModelIndex index = indexAt(pos);
  if (!index.isValid() || !IsActionColumn(index.column())) return;
  if (ActionHitRect(visualRect(index)).contains(pos))
    kav::win::sendMessage(NotifyTarget(), kMsgActionClick, index.column(), index.row());
}

void CGridListCtrl::mouseMoveEvent(QMouseEvent* event) {
  QTableWidget::mouseMoveEvent(event);
  const QModelIndex index = indexAt(event->position().toPoint());
  SetHandCursor(index.isValid() && IsActionColumn(index.column()) &&
                ShowsActionIcon(index.row(), index.column()));
}

void CGridListCtrl::leaveEvent(QEvent* event) {
  SetHandCursor(false);
  QTableWidget::leaveEvent(event);
}

void CGridListCtrl::SetHandCursor(bool on) {
  if (on == handCursor_) return;
  handCursor_ = on;
  if (on) viewport()->setCursor(Qt::PointingHandCursor);
  else viewport()->unsetCursor();
}
