// MAC address entry: an upper-case field that always holds the display
// form "XX:XX:XX:XX:XX:XX" (17 characters, separators at 2, 5, 8, 11, 14).
//
// Editing:
//   - an empty field that gets a click or a key becomes "00:00:00:00:00:00"
//     (and is sized 110 by 20);
//   - a hexadecimal digit typed before position 17 overwrites the character
//     at the caret (the one after it when the caret is on a separator), and
//     the caret moves past it and past a following separator; other
//     characters are ignored;
//   - Delete without a selection turns the character at the caret into "0"
//     (separators stay) and moves right; Backspace moves left and turns
//     that character into "0"; with a selection both turn every digit of the
//     selection into "0";
//   - Paste types the hexadecimal digits of the clipboard one by one, Cut
//     copies and then clears as Delete does, so the form always survives;
//   - every other key behaves as in a plain line edit.
#pragma once

#include <QLineEdit>

class CMacEdit : public QLineEdit {
  Q_OBJECT
 public:
  static constexpr int kLength = 17;

  explicit CMacEdit(QWidget* parent = nullptr);

  // "" shows "00:00:00:00:00:00"; the compact zero address "000000000000"
  // shows an empty field; a text without ":" gets one after every second
  // character; any other text is shown as it is (upper-cased).
  void SetMac(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void InitIfEmpty();
  void TypeDigit(QChar digit);
  void ZeroRange(int from, int to);  // [from, to)
  void DeleteKey(bool backspace);
  void Paste();
  void Cut();
};
