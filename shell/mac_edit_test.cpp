#include "shell/mac_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include "platform/testing/qt_wait.h"
#include "shell/test_shots.h"

namespace {

class MacEdit : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { kav::testing::ensureApp(); }
  CMacEdit edit;
};

TEST_F(MacEdit, SetMacForms) {
  struct { const char* in; const char* shown; } cases[] = {
      {"", "00:00:00:00:00:00"},
      {"000000000000", ""},
      {"00AABBCCDDEE", "00:AA:BB:CC:DD:EE"},
      {"00aabbccddee", "00:AA:BB:CC:DD:EE"},
      {"00:11:22:33:44:55", "00:11:22:33:44:55"},
      {"ABC", "AB:C"},
  };
  for (const auto& c : cases) {
    edit.SetMac(c.in);
    EXPECT_EQ(edit.text(), c.shown) << c.in;
  }
}

// Keys typed at a caret position (a selection when selectTo > 0).
TEST_F(MacEdit, TypingKeepsTheDisplayForm) {
  struct Case {
    int caret;
    int selectTo;
    const char* keys;  // characters; '<' Backspace, '>' Delete
    const char* text;
    int caretAfter;
  };
  const Case cases[] = {
      {2, 0, "1", "00:1A:BB:CC:DD:EE", 4},   // on a separator: the digit after it
      {0, 0, "f", "F0:AA:BB:CC:DD:EE", 1},
      {1, 0, "b", "0B:AA:BB:CC:DD:EE", 3},   // skips the following separator
      {16, 0, "9", "00:AA:BB:CC:DD:E9", 17},
      {17, 0, "1", "00:AA:BB:CC:DD:EE", 17}, // full: ignored
      {0, 0, "g:- ", "00:AA:BB:CC:DD:EE", 0},  // not hexadecimal: ignored
      {0, 0, "123456789abc", "12:34:56:78:9A:BC", 17},
      {3, 0, ">", "00:0A:BB:CC:DD:EE", 4},
      {2, 0, ">", "00:AA:BB:CC:DD:EE", 3},   // separators stay
      {4, 0, "<", "00:0A:BB:CC:DD:EE", 3},
      {3, 0, "<", "00:AA:BB:CC:DD:EE", 2},
      {0, 0, "<", "00:AA:BB:CC:DD:EE", 0},
      {3, 8, ">", "00:00:00:CC:DD:EE", 3},
      {3, 8, "<", "00:00:00:CC:DD:EE", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    edit.SetMac("00AABBCCDDEE");
    if (c.selectTo > 0) edit.setSelection(c.caret, c.selectTo - c.caret);
    else edit.setCursorPosition(c.caret);
    for (const char* k = c.keys; *k; ++k) {
      if (*k == '<') QTest::keyClick(&edit, Qt::Key_Backspace);
      else if (*k == '>') QTest::keyClick(&edit, Qt::Key_Delete);
      else QTest::keyClick(&edit, *k);
    }
    EXPECT_EQ(edit.text(), c.text);
    EXPECT_EQ(edit.cursorPosition(), c.caretAfter);
  }
}

TEST_F(MacEdit, EmptyFieldStartsFromZeros) {
  edit.SetMac("000000000000");
  ASSERT_TRUE(edit.text().isEmpty());
  QTest::keyClick(&edit, 'a');
  EXPECT_EQ(edit.text(), "A0:00:00:00:00:00");
  EXPECT_EQ(edit.size(), QSize(110, 20));
  edit.clear();
  QTest::mouseClick(&edit, Qt::LeftButton);
  EXPECT_EQ(edit.text(), "00:00:00:00:00:00");
}

TEST_F(MacEdit, PasteTypesOnlyHexDigits) {
  edit.SetMac("00AABBCCDDEE");
  edit.setCursorPosition(0);
  QApplication::clipboard()->setText("12-3x4");
  QTest::keySequence(&edit, QKeySequence::Paste);
  EXPECT_EQ(edit.text(), "12:34:BB:CC:DD:EE");
  EXPECT_EQ(edit.cursorPosition(), 6);
}

}  // namespace
