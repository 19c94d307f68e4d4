// The navigation bar of the frame: a column of folder buttons; the open
// folder shows its items (icon above caption) between its button and the
// buttons of the folders after it.
//
// Notifications go to the owner (default: the parent widget) as window
// message 2042, code in wParam, a pointer to a COutBarNotify in lParam,
// sent synchronously (the record lives only during the call):
//   code 1, an item was clicked (button released over the item it was
//           pressed on; items that are not selectable send nothing):
//           {open folder, item position, -1, -1, item caption, 0}
//   code 5, the operator asks to open another folder:
//           {0, new folder index, -1, -1, folder caption, 1}; the folder
//           opens only when the owner sets the event's result to 1.
// Opening a folder from code (SetSelFolder) sends nothing.
#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <vector>

class QListWidget;
class QPushButton;
class QVBoxLayout;

struct COutBarNotify {
  int folder;
  int item;
  int reserved1 = -1;
  int reserved2 = -1;
  QString caption;
  int flag = 0;
};

class CXTOutBarCtrl : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMsgNotify = 2042;
  static constexpr int kNotifyItemClick = 1;
  static constexpr int kNotifyFolderChange = 5;

  explicit CXTOutBarCtrl(QWidget* parent = nullptr);

  // Large icons (32 by 32) show beside items; the small list (16 by 16) is
  // kept for callers that want it.
  void SetImageList(const QList<QIcon>& icons, bool large);
  const QList<QIcon>& ImageList(bool large) const { return large ? largeIcons_ : smallIcons_; }

  // Returns the new folder's index.
  int AddFolder(const QString& caption, int number);
  // Inserts at `position` (appends when out of range); returns the position.
  int InsertItem(int folder, int position, const QString& caption, int image, qintptr data);

  void SetSelFolder(int folder);
  int GetSelFolder() const { return open_; }
  int GetFolderCount() const { return int(folders_.size()); }
  int GetFolderNumber(int folder) const;
  int GetItemCount(int folder) const;
  QString GetItemText(int folder, int position) const;
  qintptr GetItemData(int folder, int position) const;
  bool IsItemSelectable(int folder, int position) const;
  void SetItemSelectable(int folder, int position, bool selectable);

  void SetBackColor(const QColor& colour);
  void SetTextColor(const QColor& colour);

  void SetOwner(QObject* owner) { owner_ = owner; }
  QObject* Owner() const;

  // Where a folder's button and an item are, in this widget's coordinates
  // (for tests and tooltips); an empty rectangle when not shown.
  QRect FolderButtonRect(int folder) const;
  QRect ItemRect(int folder, int position) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Folder {
    QString caption;
    int number;
    QPushButton* button;
    QListWidget* list;
  };

  void OnFolderClicked(int folder);
  void OnItemClicked(int folder, int position);
  void ApplyColours();
  void RefreshItem(int folder, int position);
  bool Valid(int folder, int position) const;

  std::vector<Folder> folders_;
  QVBoxLayout* layout_;
  QList<QIcon> largeIcons_;
  QList<QIcon> smallIcons_;
  QColor back_{58, 110, 165};
  QColor text_{Qt::white};
  int open_ = -1;
  QPointer<QObject> owner_;
};
