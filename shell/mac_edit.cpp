#include "shell/mac_edit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

#include "shell/text_checks.h"

namespace {

const QString kZeroMac = QStringLiteral("00:00:00:00:00:00");

bool IsSeparatorPos(int pos) { return pos % 3 == 2 && pos < CMacEdit::kLength; }

}  // namespace

CMacEdit::CMacEdit(QWidget* parent) : QLineEdit(parent) {
  setMaxLength(kLength);
  setAcceptDrops(false);  // a drop would insert text past the fixed form
  setAttribute(Qt::WA_InputMethodEnabled, false);
}

void CMacEdit::SetMac(const QString& text) {
  if (text.isEmpty()) return setText(kZeroMac);
  if (text == QLatin1String("000000000000")) return setText(QString());
  if (text.contains(u':')) return setText(text.toUpper());
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (i > 0 && i % 2 == 0) out += u':';
    out += text[i];
  }
  setText(out.toUpper());
}

void CMacEdit::InitIfEmpty() {
  if (!text().isEmpty()) return;
  setMaxLength(kLength);  // (before placing the caret: it re-sets the text)
  setText(kZeroMac);
  setCursorPosition(0);  // typing starts at the first digit
  resize(110, 20);
}

void CMacEdit::mousePressEvent(QMouseEvent* event) {
  InitIfEmpty();
  QLineEdit::mousePressEvent(event);
}

void CMacEdit::keyPressEvent(QKeyEvent* event) {
  InitIfEmpty();
  if (event == QKeySequence::Paste) return Paste();
  if (event == QKeySequence::Cut) return Cut();
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) return DeleteKey(false);
  if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) return DeleteKey(true);
  const QString typed = event->text();
  const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (!command && typed.size() == 1 && typed[0].isPrint()) {
    if (IsHexDigit(typed[0])) TypeDigit(typed[0]);
    return;  // other characters are ignored
  }
  QLineEdit::keyPressEvent(event);
}

void CMacEdit::TypeDigit(QChar digit) {
  int pos = hasSelectedText() ? selectionStart() : cursorPosition();
  if (pos >= kLength) return;
  if (IsSeparatorPos(pos)) ++pos;
  QString t = text();
  if (t.size() < kLength) t += kZeroMac.mid(t.size());  // a short text set by a page
  t[pos] = digit.toUpper();
  ++pos;
  if (IsSeparatorPos(pos)) ++pos;
  setText(t);
  setCursorPosition(pos);
}

void CMacEdit::ZeroRange(int from, int to) {
  QString t = text();
  for (int i = std::max(0, from); i < std::min<int>(to, t.size()); ++i)
    if (!IsSeparatorPos(i)) t[i] = u'0';
  setText(t);
}

void CMacEdit::DeleteKey(bool backspace) {
  if (hasSelectedText()) {
    const int from = selectionStart();
    ZeroRange(from, from + int(selectedText().size()));
    setCursorPosition(from);
    return;
  }
  int pos = cursorPosition();
  if (backspace) {
    if (pos == 0) return;
    --pos;
    ZeroRange(pos, pos + 1);
    setCursorPosition(pos);
  } else {
    if (pos >= text().size()) return;
    ZeroRange(pos, pos + 1);
    setCursorPosition(pos + 1);
  }
}

void CMacEdit::Paste() {
  const QString clip = QGuiApplication::clipboard()->text();
  for (QChar c : clip)
    if (IsHexDigit(c)) TypeDigit(c);
}

void CMacEdit::Cut() {
  if (!hasSelectedText()) return;
  copy();
  DeleteKey(false);
}

// The standard menu, less the entries that would break the fixed form.
void CMacEdit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  for (QAction* action : menu->actions()) {
    const QString name = action->objectName();
    if (name == QLatin1String("edit-cut")) {
      action->disconnect();
      connect(action, &QAction::triggered, this, &CMacEdit::Cut);
    } else if (name == QLatin1String("edit-paste")) {
      action->disconnect();
      connect(action, &QAction::triggered, this, &CMacEdit::Paste);
    } else if (name == QLatin1String("edit-delete")) {
      action->disconnect();
      connect(action, &QAction::triggered, this, [this] { DeleteKey(false); });
    }
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}
