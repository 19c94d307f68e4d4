#include "shell/grid_list_ctrl.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>
#include <set>

#include "platform/win/messages.h"
#include "shell/action_icons.h"
#include "shell/icon_list_ctrl.h"
#include "platform/testing/qt_wait.h"
#include "shell/test_shots.h"

namespace {

// A page that notes the window messages it gets, and the list's selected
// row at that moment.
class Page : public QWidget {
 public:
  struct Got {
    int msg;
    intptr_t wParam, lParam;
    int selectedRow;
  };
  std::vector<Got> got;
  CGridListCtrl* list = nullptr;

 protected:
  bool event(QEvent* e) override {
    if (auto* m = dynamic_cast<kav::win::MessageEvent*>(e)) {
      got.push_back({m->message(), m->wParam(), m->lParam(), list ? list->SelectedRow() : -2});
      return true;
    }
    return QWidget::event(e);
  }
};

class GridList : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { kav::testing::ensureApp(); }

  // Index, SSID, Edit, Delete; action columns 2 and 3.
  template <typename List>
  List* MakeList(Page& page, int rowHeight) {
    auto* list = new List(&page);
    page.list = list;
    list->InsertColumn(0, "Index", 90);
    list->InsertColumn(1, "SSID", 80);
    list->InsertColumn(2, "Edit", 60);
    list->InsertColumn(3, "Delete", 60);
    list->SetActionColumns(2, 3);
    list->SetRowHeight(rowHeight);
    for (int r = 0; r < 3; ++r) {
      list->InsertRow(r, QStringLiteral("SSID%1").arg(r));
      list->SetCellText(r, 1, "name");
      list->SetCellImage(r, 2, ActionIcon(kIconEdit));
      list->SetCellImage(r, 3, ActionIcon(kIconDelete));
    }
    list->setGeometry(0, 0, 300, 200);
    page.resize(300, 200);
    page.show();
    return list;
  }

  static void Click(CGridListCtrl* list, int row, int column, QPoint offset) {
    const QRect cell = list->visualRect(list->model()->index(row, column));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.topLeft() + offset);
  }
};

TEST_F(GridList, GroupValueFollowsLineCounts) {
  CGridListCtrl list;
  list.InsertColumn(0, "A", 50);
  list.InsertColumn(1, "B", 50);
  EXPECT_EQ(list.GroupValue(list.InsertRow(0, "one\ntwo\nthree")), 3);
  list.SetCellText(0, 1, "single");
  EXPECT_EQ(list.GroupValue(0), 3);  // never lowered
  list.SetCellText(0, 1, "1\n2\n3\n4");
  EXPECT_EQ(list.GroupValue(0), 4);
  EXPECT_EQ(list.GroupValue(list.InsertRow(-1, "plain")), 1);
  list.SetGroupValue(1, -1);
  list.SetCellText(1, 1, "x\ny");
  EXPECT_EQ(list.GroupValue(1), -1);  // a following row stays linked to its group
}

TEST_F(GridList, HighlightsWholeGroupsAndClosesThemWithLines) {
  Page page;
  auto* list = new CGridListCtrl(&page);
  page.list = list;
  list->InsertColumn(0, "A", 60);
  list->InsertColumn(1, "B", 60);
  // Row 0 alone; rows 1-3 a group; rows 4-5 a group.
  const int values[] = {1, 3, -1, -2, 2, -1};
  for (int r = 0; r < 6; ++r) {
    list->InsertRow(r, QString::number(r));
    list->SetCellText(r, 1, "x");
    list->SetGroupValue(r, values[r]);
  }
  struct { int selected; std::set<int> lit; } cases[] = {
      {-1, {}}, {0, {0}}, {1, {1, 2, 3}}, {2, {1, 2, 3}}, {3, {1, 2, 3}}, {5, {4, 5}},
  };
  for (const auto& c : cases) {
    if (c.selected < 0) list->clearSelection();
    else list->selectRow(c.selected);
    std::set<int> lit;
    for (int r = 0; r < 6; ++r)
      if (list->IsRowHighlighted(r)) lit.insert(r);
    EXPECT_EQ(lit, c.lit) << "selected " << c.selected;
  }
  std::set<int> ends;
  for (int r = 0; r < 6; ++r)
    if (list->EndsGroup(r)) ends.insert(r);
  EXPECT_EQ(ends, (std::set<int>{0, 3, 5}));

  list->selectRow(2);
  list->setGeometry(0, 0, 200, 200);
  page.resize(200, 200);
  page.show();
  const QImage shot = list->viewport()->grab().toImage();
  SaveShot(list, "grid_list_groups");
  const auto cell = [&](int r, int c) { return list->visualRect(list->model()->index(r, c)); };
  const QColor highlight = list->palette().color(QPalette::Highlight);
  const QColor base = list->palette().color(QPalette::Base);
  const QColor grid(233, 233, 200);
  EXPECT_EQ(shot.pixelColor(cell(1, 1).center()), highlight);
  EXPECT_EQ(shot.pixelColor(cell(3, 1).center()), highlight);
  EXPECT_EQ(shot.pixelColor(cell(4, 1).center()), base);
  EXPECT_EQ(shot.pixelColor(cell(3, 1).left() + 30, cell(3, 1).bottom()), grid);  // group ends
  EXPECT_NE(shot.pixelColor(cell(2, 1).left() + 30, cell(2, 1).bottom()), grid);  // inside a group
  EXPECT_EQ(shot.pixelColor(cell(4, 1).left(), cell(4, 1).center().y()), grid);   // column edge
}

TEST_F(GridList, ActionIconClicksSendMessage1792) {
  Page page;
  CGridListCtrl* list = MakeList<CGridListCtrl>(page, 20);
  struct { int row, column; QPoint offset; bool sent; } cases[] = {
      {1, 2, {5, 5}, true},     // Edit icon
      {2, 3, {15, 15}, true},   // Delete icon, last pixel of the area
      {1, 2, {16, 5}, false},   // beside the icon
      {0, 3, {5, 17}, false},   // below it
      {1, 1, {5, 5}, false},    // not an action column
  };
  for (const auto& c : cases) {
    page.got.clear();
    Click(list, c.row, c.column, c.offset);
    if (!c.sent) {
      EXPECT_TRUE(page.got.empty()) << c.row << "," << c.column;
      continue;
    }
    ASSERT_EQ(page.got.size(), 1u);
    EXPECT_EQ(page.got[0].msg, 1792);
    EXPECT_EQ(page.got[0].wParam, c.column);
    EXPECT_EQ(page.got[0].lParam, c.row);
    EXPECT_EQ(page.got[0].selectedRow, c.row);  // the row was selected first
  }
}

TEST_F(GridList, IconListUsesTheCentredIconArea) {
  Page page;
  CIconListCtrl* list = MakeList<CIconListCtrl>(page, 70);
  const QRect cell = list->visualRect(list->model()->index(0, 3));
  struct { QPoint at; bool sent; } cases[] = {
      {cell.center(), true},
      {cell.center() + QPoint(15, 15), true},
      {cell.topLeft() + QPoint(3, 3), false},  // where the plain list's icon area would be
      {cell.center() + QPoint(0, 20), false},
  };
  for (const auto& c : cases) {
    page.got.clear();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, c.at);
    EXPECT_EQ(page.got.size(), c.sent ? 1u : 0u) << c.at.x() << "," << c.at.y();
    if (c.sent && !page.got.empty()) {
      EXPECT_EQ(page.got[0].wParam, 3);
    }
  }
  list->selectRow(1);
  SaveShot(list, "icon_list");
  // Edit's pencil in the first action column, Delete's red cross in the second.
  const QImage shot = list->viewport()->grab().toImage();
  const QRect del = list->visualRect(list->model()->index(0, 3));
  EXPECT_EQ(shot.pixelColor(del.center() + QPoint(-8, 0)), QColor(0xD8, 0x3A, 0x2E));
}

}  // namespace
