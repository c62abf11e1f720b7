// The grid driven as a user drives it: mouse, keyboard and scroll bar messages
// sent to a real grid in a real parent that records every notification.
#include <gtest/gtest.h>

#include "grid_test_support.h"
#include "model_test_support.h"

namespace {

using zt_test::GridNote;
using zt_test::GridParent;

constexpr unsigned kId = 41;
constexpr unsigned kNone = 0xFFFFFFFFu;

class GridInput : public ::testing::Test {
 protected:
  void SetUp() override {
    hwnd = parent.CreateGrid(kId, 400, 300);
    ASSERT_NE(hwnd, nullptr);
    grid = zt_test::GridOf(hwnd);
    view = zt_test::GridViewOf(hwnd);
    grid->SetColumnCount(3, FALSE);
    grid->SetColumnHeader(0, 30, 0, "Name", FALSE);
    grid->SetColumnHeader(1, 30, 2, "Wert", FALSE);
    grid->SetColumnHeader(2, 30, 1, "Farbe", FALSE);  // the last 10 % are no column
    for (unsigned c = 0; c < 3; ++c) grid->SetColumnType(c, GCT_SELECT, 100 + c, 0);
    for (unsigned i = 0; i < 40; ++i) {
      grid->InsertItem(i, i, FALSE);
      grid->SetItemUInt(i, 1, i * 10);
    }
    parent.Clear();
  }
  void TearDown() override {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  POINT Cell(unsigned line, unsigned column) const { return zt_test::CellPoint(*view, line, column); }
  POINT Header(unsigned column) const { return zt_test::HeaderPoint(*view, column); }
  std::vector<unsigned> Codes() const { return parent.Codes(); }

  GridParent parent;
  HWND hwnd = nullptr;
  IGridView* grid = nullptr;
  CGridView* view = nullptr;
};

TEST_F(GridInput, CellClicksSelectActivateAndClear) {
  POINT p = Cell(2, 1);
  zt_test::Click(hwnd, p.x, p.y);
  ASSERT_EQ(Codes(), std::vector<unsigned>{GN_CELLSELECT});
  EXPECT_EQ(parent.notes[0].low, 101u);  // the column's command id
  EXPECT_EQ(parent.notes[0].lParam, 2);
  EXPECT_EQ(grid->GetCurItem(), 2u);
  EXPECT_EQ(grid->GetCurColumn(), 1u);
  EXPECT_EQ(GetFocus(), hwnd);
  // The same cell again activates it: type 3 reports 0x0A, type 0 nothing.
  zt_test::Click(hwnd, p.x, p.y);
  EXPECT_EQ(parent.notes.size(), 2u);
  grid->SetColumnType(1, GCT_PLAIN, 101, 0);
  zt_test::Click(hwnd, p.x, p.y);
  EXPECT_EQ(parent.notes.size(), 2u);
  zt_test::Key(hwnd, VK_RETURN);  // Enter on a type 0 column: nothing
  EXPECT_EQ(parent.notes.size(), 2u);
  // A column with flag 0x01 activates on the first click: a check column reports 0x0E.
  grid->SetColumnType(0, GCT_CHECK, 0x20007, GCF_CLICKACTIVATES);
  p = Cell(5, 0);
  zt_test::Click(hwnd, p.x, p.y);
  ASSERT_EQ(parent.notes.size(), 3u);
  EXPECT_EQ(parent.notes[2].code, unsigned(GN_CHECKACTIVATE));
  EXPECT_EQ(parent.notes[2].low, 7u);  // low 16 bits of the command id
  grid->SetColumnType(0, GCT_NOTIFY, 100, 0);
  zt_test::Key(hwnd, VK_RETURN);
  EXPECT_EQ(parent.notes.back().code, unsigned(GN_CELLACTIVATE));

  // Below the last column: the current cell is cleared, 0x01 with the point.
  parent.Clear();
  zt_test::Click(hwnd, 390, p.y);
  ASSERT_EQ(Codes(), std::vector<unsigned>{GN_CLICK});
  EXPECT_EQ(parent.notes[0].low, kId);
  EXPECT_EQ(parent.notes[0].lParam, zt_test::Point(390, p.y));
  EXPECT_EQ(grid->GetCurItem(), kNone);
  EXPECT_EQ(grid->GetCurColumn(), kNone);
}

TEST_F(GridInput, ClickBelowTheLastLineAndHeaderClicks) {
  grid->DeleteAllItems(FALSE);
  grid->InsertItem(0, 0, FALSE);
  grid->SelectItem(0, 0);
  parent.Clear();
  const POINT below = Cell(3, 0);
  zt_test::Click(hwnd, below.x, below.y);
  ASSERT_EQ(Codes(), std::vector<unsigned>{GN_CLICK});
  EXPECT_EQ(parent.notes[0].lParam, zt_test::Point(below.x, below.y));
  EXPECT_EQ(grid->GetCurItem(), kNone);

  parent.Clear();
  const POINT h = Header(2);
  zt_test::Click(hwnd, h.x, h.y);
  zt_test::Click(hwnd, 395, h.y);
  zt_test::RightClick(hwnd, h.x, h.y);
  zt_test::RightClick(hwnd, 395, h.y);
  zt_test::MiddleClick(hwnd, h.x, h.y);
  zt_test::MiddleClick(hwnd, 395, h.y);
  zt_test::MiddleClick(hwnd, below.x, below.y);  // below the header: nothing
  EXPECT_EQ(Codes(),
            (std::vector<unsigned>{GN_HEADERCLICK, GN_CLICK, GN_HEADERRCLICK, GN_RCLICK, GN_HEADERMCLICK, GN_MCLICK}));
  EXPECT_EQ(parent.notes[0].lParam, 2);
  EXPECT_EQ(parent.notes[0].low, kId);
  EXPECT_EQ(parent.notes[1].lParam, zt_test::Point(395, h.y));
  EXPECT_EQ(parent.notes[4].lParam, 2);
}

TEST_F(GridInput, RightClicksOnLinesByStyle) {
  const POINT p = Cell(4, 2);
  zt_test::RightClick(hwnd, p.x, p.y);
  ASSERT_EQ(Codes(), std::vector<unsigned>{GN_RCLICKCELL});
  EXPECT_EQ(parent.notes[0].low, 102u);
  EXPECT_EQ(parent.notes[0].lParam, 4);
  // Line, column and point with style 0x0200, and outside the columns.
  grid->SetStyle(GS_RCLICKCELL);
  zt_test::RightClick(hwnd, p.x, p.y);
  zt_test::RightClick(hwnd, 395, p.y);
  ASSERT_EQ(parent.notes.size(), 3u);
  EXPECT_EQ(parent.notes[1].code, unsigned(GN_RCLICKLINE));
  EXPECT_EQ(parent.notes[1].low, kId);
  EXPECT_EQ(parent.notes[1].click.line, 4u);
  EXPECT_EQ(parent.notes[1].click.column, 2u);
  EXPECT_EQ(parent.notes[1].click.x, unsigned(p.x));
  EXPECT_EQ(parent.notes[1].click.y, unsigned(p.y));
  EXPECT_EQ(parent.notes[2].click.column, kNone);
  // Style 0x0040: only the point.
  grid->SetStyle(GS_RCLICKPOINT);
  zt_test::RightClick(hwnd, p.x, p.y);
  EXPECT_EQ(parent.notes.back().code, unsigned(GN_RCLICK));
  EXPECT_EQ(parent.notes.back().lParam, zt_test::Point(p.x, p.y));
}

TEST_F(GridInput, LineModeReportsLinesNotCells) {
  grid->SetStyle(GS_LINEMODE);
  POINT p = Cell(3, 2);
  zt_test::Click(hwnd, p.x, p.y);
  ASSERT_EQ(Codes(), std::vector<unsigned>{GN_LINESELECT});
  EXPECT_EQ(parent.notes[0].low, kId);
  EXPECT_EQ(parent.notes[0].lParam, 3);
  zt_test::Click(hwnd, p.x, p.y);  // the same line: activation
  zt_test::Key(hwnd, VK_RETURN);
  EXPECT_EQ(Codes(), (std::vector<unsigned>{GN_LINESELECT, GN_LINEACTIVATE, GN_LINEACTIVATE}));
  EXPECT_EQ(parent.notes[2].lParam, 3);
  // A right click in line mode names line and point.
  zt_test::RightClick(hwnd, p.x, p.y);
  EXPECT_EQ(parent.notes.back().code, unsigned(GN_RCLICKLINE));
  // SelectItem and EditItem in line mode.
  parent.Clear();
  EXPECT_EQ(grid->SelectItem(7, kNone), TRUE);
  EXPECT_EQ(grid->SelectItem(40, kNone), FALSE);
  EXPECT_EQ(grid->SelectItem(kNone, kNone), TRUE);
  EXPECT_EQ(grid->GetCurItem(), kNone);
  EXPECT_EQ(grid->EditItem(9, 2), TRUE);
  EXPECT_EQ(grid->GetCurItem(), 9u);
  EXPECT_EQ(grid->GetCurColumn(), 0u);  // line mode: only the line
  SendMessageA(hwnd, ZT_GRID_EDIT, 11, 1);
  EXPECT_EQ(grid->GetCurItem(), 11u);
  EXPECT_EQ(Codes(), (std::vector<unsigned>{GN_LINESELECT, GN_LINEACTIVATE, GN_LINEACTIVATE}));
  EXPECT_EQ(parent.notes[0].lParam, 7);
}

TEST_F(GridInput, SelectAndEditItemInCellMode) {
  EXPECT_EQ(grid->SelectItem(3, 2), TRUE);
  ASSERT_EQ(Codes(), std::vector<unsigned>{GN_CELLSELECT});
  EXPECT_EQ(parent.notes[0].low, 102u);
  EXPECT_EQ(grid->GetCurColumn(), 2u);
  EXPECT_EQ(grid->SelectItem(3, 3), FALSE);
  EXPECT_EQ(grid->SelectItem(40, 0), FALSE);
  EXPECT_EQ(grid->SelectItem(5, kNone), TRUE);  // no cell: the current cell is cleared
  EXPECT_EQ(grid->GetCurItem(), kNone);
  EXPECT_EQ(grid->EditItem(40, 0), FALSE);
  EXPECT_EQ(grid->EditItem(0, 3), FALSE);
  EXPECT_EQ(grid->EditItem(6, 1), TRUE);
  EXPECT_EQ(grid->GetCurItem(), 6u);
  EXPECT_EQ(grid->GetCurColumn(), 1u);
  EXPECT_EQ(parent.notes.back().code, unsigned(GN_CELLSELECT));  // type 3 activation
  EXPECT_EQ(parent.notes.size(), 2u);
}

TEST_F(GridInput, KeyboardMovesTheCurrentCell) {
  grid->SetStyle(GS_REPORTMOVES);
  grid->SelectItem(0, 0);
  parent.Clear();
  zt_test::Key(hwnd, VK_DOWN);
  zt_test::Key(hwnd, VK_RIGHT);
  EXPECT_EQ(grid->GetCurItem(), 1u);
  EXPECT_EQ(grid->GetCurColumn(), 1u);
  ASSERT_EQ(Codes(), (std::vector<unsigned>{GN_MOVED, GN_MOVED}));
  EXPECT_EQ(parent.notes[0].low, 100u);
  EXPECT_EQ(parent.notes[1].low, 101u);
  EXPECT_EQ(parent.notes[1].lParam, 1);
  zt_test::Key(hwnd, VK_RIGHT);
  zt_test::Key(hwnd, VK_RIGHT);  // the last column stays
  zt_test::Key(hwnd, VK_UP);
  zt_test::Key(hwnd, VK_UP);  // line 0 stays
  EXPECT_EQ(grid->GetCurColumn(), 2u);
  EXPECT_EQ(grid->GetCurItem(), 0u);
  EXPECT_EQ(parent.notes.size(), 4u);  // keys that moved nothing report nothing

  const unsigned page = view->m_model.m_uPage;
  zt_test::Key(hwnd, VK_END);  // the last line shown
  EXPECT_EQ(grid->GetCurItem(), page);
  zt_test::Key(hwnd, VK_END);  // then the last line
  EXPECT_EQ(grid->GetCurItem(), 39u);
  EXPECT_EQ(grid->GetTopItem(), 39 - page);
  EXPECT_EQ(grid->GetItemVisibility(39), 0);
  zt_test::Key(hwnd, VK_HOME);
  EXPECT_EQ(grid->GetCurItem(), 39 - page);
  zt_test::Key(hwnd, VK_HOME);
  EXPECT_EQ(grid->GetCurItem(), 0u);
  EXPECT_EQ(grid->GetTopItem(), 0u);
  zt_test::Key(hwnd, VK_NEXT);
  EXPECT_EQ(grid->GetTopItem(), page);
  EXPECT_EQ(grid->GetCurItem(), page);
  zt_test::Key(hwnd, VK_NEXT);  // near the end: only to the last page
  EXPECT_EQ(grid->GetTopItem(), 39 - page);
  zt_test::Key(hwnd, VK_PRIOR);
  EXPECT_EQ(grid->GetTopItem(), 39 - 2 * page);
  // Line mode reports moves with the control id.
  grid->SetStyle(GS_LINEMODE | GS_REPORTMOVES);
  zt_test::Key(hwnd, VK_DOWN);
  EXPECT_EQ(parent.notes.back().low, kId);
}

TEST_F(GridInput, InsertDeleteAndKeysForTheParent) {
  grid->SelectItem(4, 1);
  parent.Clear();
  zt_test::Key(hwnd, VK_INSERT);
  zt_test::Key(hwnd, VK_DELETE);
  grid->SetStyle(GS_INSERTLINE | GS_DELETELINE);
  zt_test::Key(hwnd, VK_INSERT);
  zt_test::Key(hwnd, VK_DELETE);
  ASSERT_EQ(Codes(), (std::vector<unsigned>{GN_INSERTCELL, GN_DELETECELL, GN_INSERTLINE, GN_DELETELINE}));
  EXPECT_EQ(parent.notes[0].low, 101u);
  EXPECT_EQ(parent.notes[1].low, 101u);
  EXPECT_EQ(parent.notes[2].low, kId);
  EXPECT_EQ(parent.notes[3].low, kId);
  for (const GridNote& n : parent.notes) EXPECT_EQ(n.lParam, 4);
  // Escape and the function keys go to the parent; its answer comes back.
  parent.keyResult = 1234;
  EXPECT_EQ(zt_test::Key(hwnd, VK_ESCAPE), 1234);
  EXPECT_EQ(zt_test::Key(hwnd, VK_F5), 1234);
  SendMessageA(hwnd, WM_SYSKEYDOWN, VK_F10, 0);
  EXPECT_EQ(parent.keys, (std::vector<WPARAM>{VK_ESCAPE, VK_F5, VK_F10}));
  EXPECT_EQ(zt_test::Char(hwnd, 'x'), 1234);
  EXPECT_EQ(parent.chars, std::vector<WPARAM>{'x'});
  // The dialog code: arrows, and every key for Enter on a line and for Insert.
  MSG enter = {hwnd, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  MSG letter = {hwnd, WM_KEYDOWN, 'A', 0, 0, {0, 0}};
  EXPECT_EQ(SendMessageA(hwnd, WM_GETDLGCODE, 0, LPARAM(&enter)), DLGC_WANTARROWS | DLGC_WANTALLKEYS);
  EXPECT_EQ(SendMessageA(hwnd, WM_GETDLGCODE, 0, LPARAM(&letter)), DLGC_WANTARROWS);
  grid->SelectItem(kNone, kNone);
  EXPECT_EQ(SendMessageA(hwnd, WM_GETDLGCODE, 0, LPARAM(&enter)), DLGC_WANTARROWS);
}

TEST_F(GridInput, ACurrentLineBeyondTheCountIsNeverReported) {
  grid->SetStyle(GS_REPORTMOVES);
  grid->SelectItem(39, 0);
  grid->DeleteItem(39, TRUE);
  EXPECT_EQ(grid->GetCurItem(), 39u);  // left as it was
  parent.Clear();
  zt_test::Key(hwnd, VK_RETURN);
  zt_test::Key(hwnd, VK_DELETE);
  zt_test::Key(hwnd, VK_INSERT);
  EXPECT_EQ(grid->EditItem(39, 0), FALSE);
  ASSERT_EQ(Codes(), std::vector<unsigned>{GN_INSERTCELL});
  EXPECT_EQ(parent.notes[0].lParam, LPARAM(kNone));  // no line
  zt_test::Key(hwnd, VK_DOWN);                       // from no line to the first
  EXPECT_EQ(grid->GetCurItem(), 0u);
}

TEST_F(GridInput, ScrollBarMovesTheTopLineAndPostsIt) {
  const unsigned page = view->m_model.m_uPage, max = 40 - page - 1;
  zt_test::Scroll(hwnd, SB_LINEDOWN);
  EXPECT_EQ(grid->GetTopItem(), 1u);
  EXPECT_TRUE(parent.notes.empty());  // posted, not sent
  zt_test::Pump();
  ASSERT_EQ(Codes(), std::vector<unsigned>{GN_SCROLLED});
  EXPECT_EQ(parent.notes[0].lParam, 1);
  EXPECT_EQ(parent.notes[0].low, kId);
  zt_test::Scroll(hwnd, SB_PAGEDOWN);
  EXPECT_EQ(grid->GetTopItem(), 1 + page);
  zt_test::Scroll(hwnd, SB_PAGEDOWN);
  EXPECT_EQ(grid->GetTopItem(), max);
  zt_test::Scroll(hwnd, SB_LINEDOWN);
  EXPECT_EQ(grid->GetTopItem(), max);
  zt_test::Scroll(hwnd, SB_PAGEUP);
  EXPECT_EQ(grid->GetTopItem(), max - page);
  zt_test::Scroll(hwnd, SB_TOP);
  zt_test::Scroll(hwnd, SB_LINEUP);
  EXPECT_EQ(grid->GetTopItem(), 0u);
  zt_test::Scroll(hwnd, SB_BOTTOM);
  EXPECT_EQ(grid->GetTopItem(), max);
  EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), int(max));
  zt_test::Pump();
  EXPECT_EQ(parent.notes.back().lParam, LPARAM(max));
  // While an edit field is open the bar is ignored.
  grid->SetColumnType(0, GCT_EDIT, 100, 0);
  grid->EditItem(max, 0);
  ASSERT_NE(grid->GetChildHwnd(), nullptr);
  zt_test::Scroll(hwnd, SB_TOP);
  EXPECT_EQ(grid->GetTopItem(), max);
}

BOOL CountingCells(UINT row, UINT column, char* buffer, UINT size, UINT* length, UINT parameter) {
  *length = ztFormat(buffer, size, "%u/%u", row, column);
  ++*reinterpret_cast<unsigned*>(parameter);
  return TRUE;
}

TEST_F(GridInput, ThumbTrackingReachesLinesBeyond65535) {
  unsigned calls = 0;
  grid->SetStyle(GS_OWNERDATA);
  ASSERT_EQ(grid->SetItemCount(CountingCells, 300000, UINT(reinterpret_cast<UINT_PTR>(&calls)), TRUE), TRUE);
  EXPECT_EQ(grid->GetItemCount(), 300000u);
  zt_test::ThumbTrack(hwnd, 200000);
  EXPECT_EQ(grid->GetTopItem(), 200000u);  // not 200000 & 0xFFFF
  zt_test::ThumbTrack(hwnd, 70000, SB_THUMBPOSITION);
  EXPECT_EQ(grid->GetTopItem(), 70000u);
  zt_test::Pump();
  ASSERT_EQ(parent.notes.size(), 2u);
  EXPECT_EQ(parent.notes[0].lParam, 200000);
  EXPECT_EQ(parent.notes[1].lParam, 70000);
  // The cells shown ask the callback for lines up there.
  zt_test::GridPicture picture(hwnd);
  EXPECT_GT(calls, 0u);
}

TEST_F(GridInput, OwnerDataAtTheLargestCountPagesAndJumps) {
  const unsigned n = 2147483647u;
  unsigned calls = 0;
  grid->SetStyle(GS_OWNERDATA | GS_REPORTMOVES);
  ASSERT_EQ(grid->SetItemCount(CountingCells, n, UINT(reinterpret_cast<UINT_PTR>(&calls)), TRUE), TRUE);
  const unsigned page = view->m_model.m_uPage;
  grid->SelectItem(0, 0);
  zt_test::Key(hwnd, VK_END);
  zt_test::Key(hwnd, VK_END);
  EXPECT_EQ(grid->GetCurItem(), n - 1);
  EXPECT_EQ(grid->GetTopItem(), n - 1 - page);
  EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), int(n - 1 - page));
  EXPECT_EQ(parent.notes.back().lParam, LPARAM(n - 1));
  zt_test::Key(hwnd, VK_PRIOR);
  EXPECT_EQ(grid->GetTopItem(), n - 1 - 2 * page);
  zt_test::Key(hwnd, VK_NEXT);
  EXPECT_EQ(grid->GetTopItem(), n - 1 - page);
  zt_test::Key(hwnd, VK_UP);
  EXPECT_EQ(grid->GetCurItem(), n - 2);
  // The last line answers a click and is painted.
  const POINT last = Cell(n - 1, 1);
  zt_test::Click(hwnd, last.x, last.y);
  EXPECT_EQ(grid->GetCurItem(), n - 1);
  calls = 0;
  zt_test::GridPicture picture(hwnd);
  EXPECT_EQ(calls, (page + 1) * 3);  // every visible cell once
  zt_test::Key(hwnd, VK_HOME);
  zt_test::Key(hwnd, VK_HOME);
  EXPECT_EQ(grid->GetCurItem(), 0u);
  EXPECT_EQ(grid->GetTopItem(), 0u);
}

TEST_F(GridInput, DraggingADividerResizesOneColumn) {
  const int header = int(view->m_model.m_uHeaderHeight) / 2;
  const int edge = int(view->m_model.Column(1)->left);
  const unsigned width0 = view->m_model.Column(0)->width, width1 = view->m_model.Column(1)->width;
  const unsigned client = view->m_model.m_uClientWidth;
  zt_test::MouseMove(hwnd, edge + 3, header);
  EXPECT_EQ(view->m_bResizeHover, 1);
  EXPECT_EQ(GetCapture(), hwnd);
  zt_test::LButtonDown(hwnd, edge + 3, header);
  EXPECT_EQ(view->m_bResizing, 1);
  zt_test::MouseMove(hwnd, edge + 23, header, MK_LBUTTON);
  EXPECT_EQ(view->m_model.Column(0)->width, width0 + 20);
  EXPECT_EQ(view->m_model.Column(1)->width, width1);  // keeps its width
  zt_test::LButtonUp(hwnd, edge + 43, header);
  EXPECT_EQ(view->m_bResizing, 0);
  EXPECT_EQ(view->m_bResizeHover, 0);
  EXPECT_NE(GetCapture(), hwnd);
  // The percents come from the pixel widths at the release (a horizontal bar
  // appearing lays the columns out again from them).
  EXPECT_EQ(view->m_model.Column(0)->percent, (client / 2 + (width0 + 40) * 100) / client);
  EXPECT_EQ(view->m_model.Column(1)->percent, (client / 2 + width1 * 100) / client);
  EXPECT_TRUE(parent.notes.empty());  // a divider grab is no header click

  // The right edge of the last column changes only that column.
  const int right = int(view->m_model.m_uTotalWidth);
  const unsigned last = view->m_model.Column(2)->width, first = view->m_model.Column(0)->width;
  zt_test::MouseMove(hwnd, right - 2, header);
  zt_test::LButtonDown(hwnd, right - 2, header);
  zt_test::MouseMove(hwnd, right + 20, header, MK_LBUTTON);
  SendMessageA(hwnd, WM_CANCELMODE, 0, 0);  // ends the drag where it is
  EXPECT_EQ(view->m_model.Column(2)->width, last + 22);
  EXPECT_EQ(view->m_model.Column(0)->width, first);
  EXPECT_EQ(view->m_bResizing, 0);
  // Moving away from a divider leaves the hover.
  zt_test::MouseMove(hwnd, edge + 60, header);
  EXPECT_EQ(view->m_bResizeHover, 0);
}

TEST_F(GridInput, AParentThatDestroysTheGridDuringANotification) {
  zt_test::LogCapture log("grid_input_test.log");
  parent.onNote = [this](const GridNote&) { DestroyWindow(hwnd); };
  const POINT p = Cell(1, 1);
  zt_test::Click(hwnd, p.x, p.y);  // 0x0A while handling the click
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(parent.notes.size(), 1u);
  EXPECT_NE(log.All().find("1 CGridView: WM_DESTROY received: Message send is currently active"), std::string::npos);

  // Enter (activation), a character, SelectItem: each survives as well.
  for (int way = 0; way < 3; ++way) {
    hwnd = parent.CreateGrid(kId, 300, 200);
    IGridView* g = zt_test::GridOf(hwnd);
    g->SetStyle(GS_LINEMODE);
    g->SetColumnCount(1, FALSE);
    g->InsertItem(0, 0, FALSE);
    parent.onNote = nullptr;
    g->SelectItem(0, 0);
    parent.onNote = [this](const GridNote&) { DestroyWindow(hwnd); };
    if (way == 0) zt_test::Key(hwnd, VK_RETURN);
    if (way == 1) g->SelectItem(0, kNone);
    if (way == 2) g->EditItem(0, 0);
    EXPECT_FALSE(IsWindow(hwnd)) << way;
  }
  // A program-owned object stays the program's, detached.
  CGridView own;
  const RECT rect = {0, 0, 200, 200};
  ASSERT_EQ(own.Create(parent.Window(), kId, &rect, GS_LINEMODE), TRUE);
  own.SetColumnCount(1, FALSE);
  own.InsertItem(0, 0, FALSE);
  hwnd = own.GetHwnd();
  parent.onNote = [this](const GridNote&) { DestroyWindow(hwnd); };
  own.SelectItem(0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(own.GetHwnd(), nullptr);
  EXPECT_EQ(own.GetItemCount(), 0u);
}

}  // namespace
