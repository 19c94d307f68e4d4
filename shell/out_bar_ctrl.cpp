#include "shell/out_bar_ctrl.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/win/messages.h"

namespace {
constexpr int kItemHeight = 64;  // icon above a caption of up to two lines
constexpr int kDataRole = Qt::UserRole + 1;
constexpr int kImageRole = Qt::UserRole + 2;
constexpr int kSelectableRole = Qt::UserRole + 3;
}  // namespace

CXTOutBarCtrl::CXTOutBarCtrl(QWidget* parent) : QWidget(parent) {
  layout_ = new QVBoxLayout(this);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);
  layout_->addStretch(1);  // stays at the end while no folder is open
  setAutoFillBackground(true);
  ApplyColours();
}

void CXTOutBarCtrl::SetImageList(const QList<QIcon>& icons, bool large) {
  (large ? largeIcons_ : smallIcons_) = icons;
  for (int f = 0; f < GetFolderCount(); ++f)
    for (int i = 0; i < GetItemCount(f); ++i) RefreshItem(f, i);
}

int CXTOutBarCtrl::AddFolder(const QString& caption, int number) {
  const int index = GetFolderCount();
  auto* button = new QPushButton(caption, this);
  button->setObjectName(QStringLiteral("folder%1").arg(index));
  button->setFocusPolicy(Qt::NoFocus);
  auto* list = new QListWidget(this);
  list->setObjectName(QStringLiteral("items%1").arg(index));
  list->setViewMode(QListView::IconMode);
  list->setFlow(QListView::LeftToRight);  // wraps after each item: the grid is as wide as the bar
  list->setWrapping(true);
  list->setResizeMode(QListView::Adjust);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setMovement(QListView::Static);
  list->setIconSize(QSize(32, 32));
  list->setFrameShape(QFrame::NoFrame);
  list->setSelectionMode(QAbstractItemView::NoSelection);
  list->setFocusPolicy(Qt::NoFocus);
  list->setWordWrap(true);
  list->setGridSize(QSize(std::max(40, width() - 4), kItemHeight));
  list->hide();
  connect(button, &QPushButton::clicked, this, [this, index] { OnFolderClicked(index); });
  connect(list, &QListWidget::clicked, this,
          [this, index](const QModelIndex& item) { OnItemClicked(index, item.row()); });
  // Buttons and lists alternate in the layout, before the final stretch.
  layout_->insertWidget(layout_->count() - 1, button);
  layout_->insertWidget(layout_->count() - 1, list, 1);
  folders_.push_back({caption, number, button, list});
  ApplyColours();
  if (open_ < 0) SetSelFolder(index);
  return index;
}

int CXTOutBarCtrl::InsertItem(int folder, int position, const QString& caption, int image,
                              qintptr data) {
  if (folder < 0 || folder >= GetFolderCount()) return -1;
  QListWidget* list = folders_[folder].list;
  if (position < 0 || position > list->count()) position = list->count();
  auto* item = new QListWidgetItem(caption);
  item->setData(kDataRole, QVariant::fromValue<qlonglong>(data));
  item->setData(kImageRole, image);
  item->setData(kSelectableRole, true);
  item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
  list->insertItem(position, item);
  RefreshItem(folder, position);
  return position;
}

void CXTOutBarCtrl::SetSelFolder(int folder) {
  if (folder < 0 || folder >= GetFolderCount()) return;
  open_ = folder;
  for (int f = 0; f < GetFolderCount(); ++f) folders_[f].list->setVisible(f == folder);
  // With a folder open its list takes the spare height, not the stretch.
  layout_->setStretch(layout_->count() - 1, 0);
}

int CXTOutBarCtrl::GetFolderNumber(int folder) const {
  return folder >= 0 && folder < GetFolderCount() ? folders_[folder].number : -1;
}

int CXTOutBarCtrl::GetItemCount(int folder) const {
  return folder >= 0 && folder < GetFolderCount() ? folders_[folder].list->count() : 0;
}

bool CXTOutBarCtrl::Valid(int folder, int position) const {
  return position >= 0 && position < GetItemCount(folder);
}

QString CXTOutBarCtrl::GetItemText(int folder, int position) const {
  return Valid(folder, position) ? folders_[folder].list->item(position)->text() : QString();
}

qintptr CXTOutBarCtrl::GetItemData(int folder, int position) const {
  return Valid(folder, position)
             ? qintptr(folders_[folder].list->item(position)->data(kDataRole).toLongLong())
             : 0;
}

bool CXTOutBarCtrl::IsItemSelectable(int folder, int position) const {
  return Valid(folder, position) && folders_[folder].list->item(position)->data(kSelectableRole).toBool();
}

void CXTOutBarCtrl::SetItemSelectable(int folder, int position, bool selectable) {
  if (!Valid(folder, position)) return;
  folders_[folder].list->item(position)->setData(kSelectableRole, selectable);
  RefreshItem(folder, position);
}

void CXTOutBarCtrl::RefreshItem(int folder, int position) {
  QListWidgetItem* item = folders_[folder].list->item(position);
  const int image = item->data(kImageRole).toInt();
  item->setIcon(image >= 0 && image < largeIcons_.size() ? largeIcons_[image] : QIcon());
  // A disabled item shows greyed and cannot be clicked.
  const bool selectable = item->data(kSelectableRole).toBool();
  item->setFlags(selectable ? Qt::ItemIsEnabled : Qt::NoItemFlags);
}

void CXTOutBarCtrl::SetBackColor(const QColor& colour) {
  back_ = colour;
  ApplyColours();
}

void CXTOutBarCtrl::SetTextColor(const QColor& colour) {
  text_ = colour;
  ApplyColours();
}

void CXTOutBarCtrl::ApplyColours() {
  QPalette pal = palette();
  pal.setColor(QPalette::Window, back_);
  pal.setColor(QPalette::Base, back_);
  pal.setColor(QPalette::Text, text_);
  pal.setColor(QPalette::WindowText, text_);
  setPalette(pal);
  for (Folder& f : folders_) f.list->setPalette(pal);
}

// Items sit one per line, centred across the whole bar.
void CXTOutBarCtrl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  for (Folder& f : folders_) f.list->setGridSize(QSize(std::max(40, width() - 4), kItemHeight));
}

QObject* CXTOutBarCtrl::Owner() const {
  return owner_ ? owner_.data() : static_cast<QObject*>(parentWidget());
}

QRect CXTOutBarCtrl::FolderButtonRect(int folder) const {
  if (folder < 0 || folder >= GetFolderCount()) return {};
  return folders_[folder].button->geometry();
}

QRect CXTOutBarCtrl::ItemRect(int folder, int position) const {
  if (folder != open_ || !Valid(folder, position)) return {};
  QListWidget* list = folders_[folder].list;
  const QRect r = list->visualItemRect(list->item(position));
  return QRect(list->viewport()->mapTo(this, r.topLeft()), r.size());
}

void CXTOutBarCtrl::OnFolderClicked(int folder) {
  if (folder == open_) return;
  COutBarNotify notify{0, folder, -1, -1, folders_[folder].caption, 1};
  const intptr_t answer = kav::win::sendMessage(Owner(), kMsgNotify, kNotifyFolderChange,
                                                reinterpret_cast<intptr_t>(&notify));
  if (answer == 1) SetSelFolder(folder);
}

void CXTOutBarCtrl::OnItemClicked(int folder, int position) {
  if (!IsItemSelectable(folder, position)) return;
  COutBarNotify notify{open_, position, -1, -1, GetItemText(folder, position), 0};
  kav::win::sendMessage(Owner(), kMsgNotify, kNotifyItemClick, reinterpret_cast<intptr_t>(&notify));
}
