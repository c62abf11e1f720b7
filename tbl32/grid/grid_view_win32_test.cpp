// The grid window's life and its programming interface: both ways of creation,
// the query messages, every IGridView operation in and out of range.
#include <gtest/gtest.h>

#include "grid_test_support.h"
#include "model_test_support.h"

namespace {

using zt_test::GridParent;

constexpr unsigned kId = 77;

TEST(GridWindow, ClassesAreRegisteredAndRegisteringAgainIsAccepted) {
  WNDCLASSA info = {};
  ASSERT_TRUE(GetClassInfoA(ztTbl32Lib.m_hInstance, kGridClassName, &info));
  EXPECT_EQ(info.cbWndExtra, int(sizeof(LONG_PTR)));
  EXPECT_EQ(info.style & CS_GLOBALCLASS, UINT(CS_GLOBALCLASS));
  EXPECT_TRUE(GetClassInfoA(ztTbl32Lib.m_hInstance, kListBoxParentClassName, &info));
  WNDCLASSW wide = {};
  EXPECT_TRUE(GetClassInfoW(ztTbl32Lib.m_hInstance, kGridClassNameW, &wide));

  zt_test::BoxRecorder boxes;
  zt_test::LogCapture log("grid_view_test.log");
  EXPECT_EQ(ztRegisterTbl32Classes(ztTbl32Lib.m_hInstance), 1);  // 1410: logged, accepted
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(log.All(), "0 CGridView: Error 1410 on registering the ASCII grid window class CZTGridView32\n");
}

TEST(GridWindow, ByClassNameTheWindowOwnsItsObject) {
  GridParent parent;
  HWND grid = parent.CreateGrid(kId, 300, 200);
  ASSERT_NE(grid, nullptr);
  CGridView* view = zt_test::GridViewOf(grid);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->m_bSelfOwned, 1);
  EXPECT_EQ(view->GetHwnd(), grid);
  EXPECT_EQ(view->m_hParent, parent.Window());
  EXPECT_EQ(view->m_uCtrlId, kId);
  EXPECT_EQ(view->GetCurItem(), 0xFFFFFFFFu);
  EXPECT_EQ(view->GetCurColumn(), 0u);
  EXPECT_GT(view->m_model.m_uHeaderHeight, 4u);
  EXPECT_EQ(view->m_model.m_uLineHeight, view->m_model.m_uHeaderHeight - 2);
  EXPECT_EQ(SendMessageA(grid, ZT_GRID_QUERY, 1, 0), 0);  // only with both parameters 0
  // The wide class has the same procedure and interface.
  HWND wide = CreateWindowExW(0, kGridClassNameW, L"", WS_CHILD, 0, 0, 100, 100, parent.Window(), nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(wide, nullptr);
  EXPECT_NE(zt_test::GridOf(wide), nullptr);
  DestroyWindow(wide);
  DestroyWindow(grid);  // frees the self-owned object (checked by the sanitizers natively, by the heap here)
  EXPECT_FALSE(IsWindow(grid));
}

TEST(GridWindow, CreateKeepsTheProgramsObject) {
  GridParent parent;
  zt_test::BoxRecorder boxes;
  CGridView* view = new CGridView;
  view->SetColumnCount(2, FALSE);  // columns set before the window exists are kept
  const RECT rect = {10, 20, 310, 220};
  ASSERT_EQ(view->Create(parent.Window(), kId, &rect, GS_GRIDLINES | GS_LINEMODE), TRUE);
  HWND grid = view->GetHwnd();
  EXPECT_EQ(zt_test::GridOf(grid), static_cast<IGridView*>(view));
  EXPECT_EQ(view->m_bSelfOwned, 0);
  EXPECT_EQ(view->GetStyle(), UINT(GS_GRIDLINES | GS_LINEMODE));
  EXPECT_EQ(GetWindowLongA(grid, GWL_STYLE) & 0x50810000, 0x50810000);
  EXPECT_EQ(GetWindowLongA(grid, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
  EXPECT_EQ(view->m_model.m_uColumnCount, 2u);
  EXPECT_GT(view->m_model.Column(1)->left, 0u);
  view->Destroy();
  EXPECT_FALSE(IsWindow(grid));
  EXPECT_EQ(view->GetHwnd(), nullptr);
  EXPECT_EQ(view->m_uCtrlId, 0xFFFFFFFFu);
  // The object can make a new window and is deleted by its program.
  ASSERT_EQ(view->Create(parent.Window(), kId + 1, &rect, 0), TRUE);
  grid = view->GetHwnd();
  delete view;
  EXPECT_FALSE(IsWindow(grid));
  // A parent that is not a window: no grid, error 1102.
  CGridView orphan;
  EXPECT_EQ(orphan.Create(reinterpret_cast<HWND>(0x1234), 5, &rect, 0), FALSE);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{1102});
}

TEST(GridWindow, ColumnOperationsInAndOutOfRange) {
  GridParent parent;
  HWND grid = parent.CreateGrid(kId, 400, 200);
  IGridView* g = zt_test::GridOf(grid);
  CGridView* view = zt_test::GridViewOf(grid);
  EXPECT_EQ(g->SetColumnCount(3, TRUE), TRUE);
  EXPECT_EQ(g->SetColumnType(0, GCT_CHECK, 0x10005, GCF_CLICKACTIVATES), TRUE);
  EXPECT_NE(view->m_hCheck[0], nullptr);  // pictures 5100-5102 from the library's resources
  EXPECT_NE(view->m_hCheck[2], nullptr);
  EXPECT_EQ(view->m_hYesNo[0], nullptr);
  EXPECT_EQ(g->SetColumnType(1, GCT_YESNO, 6, 0), TRUE);
  EXPECT_NE(view->m_hYesNo[0], nullptr);
  EXPECT_NE(view->m_hYesNo[1], nullptr);
  EXPECT_EQ(g->SetColumnType(3, GCT_EDIT, 6, 0), FALSE);
  EXPECT_EQ(g->SetColumnHeader(2, 50, 2, "Betrag", TRUE), TRUE);
  EXPECT_EQ(g->SetColumnHeader(3, 50, 2, "x", TRUE), FALSE);
  EXPECT_EQ(g->SetColumnColor(1, 0x00FFFF, 0x0000FF, FALSE), TRUE);
  EXPECT_EQ(view->m_model.Column(1)->backOdd, 0x00FFFFu);
  EXPECT_EQ(view->m_model.Column(1)->textOdd, 0x0000FFu);
  EXPECT_EQ(g->SetColumnColors(1, 1, 2, 3, 4, FALSE), TRUE);
  EXPECT_EQ(g->SetColumnColors(9, 1, 2, 3, 4, FALSE), FALSE);
  EXPECT_EQ(g->SetColumnColor(9, 1, 2, FALSE), FALSE);
  EXPECT_EQ(g->SetSortColumn(2, TRUE), TRUE);
  EXPECT_EQ(g->SetSortColumn(3, TRUE), FALSE);
  EXPECT_EQ(g->IsSortColumn(2), TRUE);
  EXPECT_EQ(g->IsSortColumn(5), FALSE);
  EXPECT_EQ(g->ClearSortColumn(), TRUE);
  EXPECT_EQ(view->m_model.Column(2)->flags & GCF_SORTUP, GCF_SORTABLE);
  EXPECT_EQ(g->GetColumnListSel(0), 0xFFFFFFFFu);
  EXPECT_EQ(g->GetColumnListSel(3), 0xFFFFFFFFu);
  EXPECT_EQ(g->SetColumnCount(0, TRUE), TRUE);
  EXPECT_EQ(view->m_model.m_uColumnCount, 0u);

  zt_test::BoxRecorder boxes;
  zt_test::LogCapture log("grid_view_test.log");
  EXPECT_EQ(g->SetColumnCount(0x7FFFFFFF, FALSE), FALSE);  // no memory for that many
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{1121});
  EXPECT_EQ(log.All(), "0 CGridView: Not enough free memory to create 2147483647 new columns\n");
  DestroyWindow(grid);
}

TEST(GridWindow, StylesColoursAndCellOperations) {
  GridParent parent;
  HWND grid = parent.CreateGrid(kId, 400, 200);
  IGridView* g = zt_test::GridOf(grid);
  CGridView* view = zt_test::GridViewOf(grid);
  EXPECT_EQ(g->SetStyle(0x19), 0x19u);
  EXPECT_EQ(g->AddStyle(GS_LINEMODE), UINT(GS_LINEMODE));
  EXPECT_EQ(g->GetStyle(), 0x1Bu);
  EXPECT_EQ(g->RemoveStyle(0x18), ~0x18u);
  EXPECT_EQ(g->GetStyle(), 0x03u);
  g->SetStyle(0);

  // Colour pairs: equal colours share one brush; stock brushes for black and white.
  EXPECT_EQ(g->SetColors(TRUE, 0xF0F0F0, 0x111111, 0x800000, 0x00FFFF), TRUE);
  EXPECT_EQ(view->m_lineBack.odd, 0xF0F0F0u);
  EXPECT_NE(view->m_lineBack.brushOdd, view->m_lineBack.brushEven);
  EXPECT_EQ(view->m_lineBack.brushEven, GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(view->m_crTextOdd, 0x111111u);
  EXPECT_EQ(view->m_crSelTextOdd, 0x00FFFFu);
  g->SetColors(TRUE, 0xFFFFFF, 0, 0x600000, 0xFFFFFF);
  EXPECT_EQ(view->m_lineBack.brushOdd, view->m_lineBack.brushEven);
  EXPECT_EQ(view->m_selBack.brushOdd, view->m_selBack.brushEven);

  g->SetColumnCount(3, FALSE);
  EXPECT_EQ(g->InsertItem(0, 100, TRUE), TRUE);
  EXPECT_EQ(g->InsertItem(5, 105, FALSE), TRUE);  // fillers 1 ... 4
  EXPECT_EQ(g->GetItemCount(), 6u);
  EXPECT_EQ(g->GetItemData(5), 105u);
  EXPECT_EQ(g->GetItemData(3), 0u);
  EXPECT_EQ(g->GetItemData(6), 0xFFFFFFFFu);
  EXPECT_EQ(g->SetItemUInt(0, 0, 4000000000u), TRUE);
  EXPECT_EQ(g->SetItemInt(0, 1, -5), TRUE);
  EXPECT_EQ(g->SetItemAmount(0, 2, -1234), TRUE);
  EXPECT_EQ(g->SetItemUInt64(1, 0, 1, 2), TRUE);
  EXPECT_EQ(g->SetItemInt64(1, 1, 0xFFFFFFFF, 0xFFFFFFFF), TRUE);
  EXPECT_EQ(g->SetItemText(1, 2, "  77 Zeichen"), TRUE);
  EXPECT_EQ(g->SetItemTextW(2, 0, L"123456789012"), TRUE);
  EXPECT_EQ(g->SetItemUInt(6, 0, 1), FALSE);
  EXPECT_EQ(g->SetItemText(0, 3, "x"), FALSE);
  EXPECT_EQ(g->SetItemTextW(9, 0, L"x"), FALSE);
  EXPECT_EQ(g->GetItemUInt(0, 0), 4000000000u);
  EXPECT_EQ(g->GetItemValue(0, 1), 0xFFFFFFFBu);
  EXPECT_EQ(g->GetItemValue(0, 2), UINT(-1234));
  EXPECT_EQ(g->GetItemUInt64(1, 0), 0x200000001ull);
  EXPECT_EQ(g->GetItemValue64(1, 1), 0xFFFFFFFFFFFFFFFFull);
  EXPECT_EQ(g->GetItemUInt(1, 2), 77u);
  EXPECT_EQ(g->GetItemUInt64(2, 0), 123456789012ull);
  EXPECT_EQ(g->GetItemUInt(3, 0), 0u);
  EXPECT_EQ(g->GetItemValue(7, 0), 0u);
  EXPECT_EQ(g->GetItemReserved(0, 0), 0xFFFFFFFFu);
  char text[16];
  wchar_t wide[16];
  EXPECT_EQ(g->GetItemText(1, 2, text, sizeof(text)), TRUE);
  EXPECT_STREQ(text, "  77 Zeichen");
  EXPECT_EQ(g->GetItemTextW(2, 0, wide, sizeof(wide)), TRUE);
  EXPECT_STREQ(wide, L"123456789012");
  EXPECT_EQ(g->GetItemText(0, 0, text, sizeof(text)), FALSE);
  EXPECT_EQ(g->GetItemTextW(1, 2, wide, sizeof(wide)), FALSE);
  EXPECT_EQ(g->GetItemText(8, 0, text, sizeof(text)), FALSE);

  EXPECT_EQ(g->DeleteItem(6, TRUE), FALSE);
  EXPECT_EQ(g->DeleteItem(0, TRUE), TRUE);
  EXPECT_EQ(g->GetItemCount(), 5u);
  EXPECT_EQ(g->GetItemUInt64(0, 0), 0x200000001ull);
  // SetItemCount needs GS_OWNERDATA; the line count stays the answer.
  EXPECT_EQ(g->SetItemCount(nullptr, 50, 0, TRUE), FALSE);
  EXPECT_EQ(g->GetItemCount(), 5u);
  g->SelectItem(2, 1);
  g->DeleteAllItems(TRUE);
  EXPECT_EQ(g->GetItemCount(), 0u);
  EXPECT_EQ(g->GetCurItem(), 0xFFFFFFFFu);
  EXPECT_EQ(g->GetCurColumn(), 0xFFFFFFFFu);
  DestroyWindow(grid);
}

TEST(GridWindow, VerticalPositionOperations) {
  GridParent parent;
  HWND grid = parent.CreateGrid(kId, 300, 200);
  IGridView* g = zt_test::GridOf(grid);
  CGridView* view = zt_test::GridViewOf(grid);
  g->SetColumnCount(1, FALSE);
  g->InsertItem(0, 0, FALSE);
  // Everything fits: no bar, top line 0, no scrolling.
  EXPECT_EQ(GetWindowLongA(grid, GWL_STYLE) & WS_VSCROLL, 0);
  EXPECT_EQ(g->GetTopItem(), 0u);
  EXPECT_EQ(g->ScrollBy(1), FALSE);
  EXPECT_EQ(g->SetTopItem(0), FALSE);
  EXPECT_EQ(g->EnsureVisible(0), 0);
  EXPECT_EQ(g->GetItemVisibility(0), 0);
  EXPECT_EQ(g->GetItemVisibility(1), 1);
  EXPECT_EQ(g->RedrawItem(0), TRUE);
  EXPECT_EQ(g->RedrawItem(1), FALSE);
  for (unsigned i = 1; i < 100; ++i) g->InsertItem(i, i, FALSE);
  EXPECT_NE(GetWindowLongA(grid, GWL_STYLE) & WS_VSCROLL, 0);
  const unsigned page = view->m_model.m_uPage;
  EXPECT_GT(page, 2u);
  EXPECT_EQ(view->m_model.m_uTopMax, 100 - page - 1);
  EXPECT_EQ(g->ScrollBy(10), TRUE);
  EXPECT_EQ(g->GetTopItem(), 10u);
  EXPECT_EQ(GetScrollPos(grid, SB_VERT), 10);
  EXPECT_EQ(g->ScrollBy(-11), FALSE);
  EXPECT_EQ(g->ScrollBy(90), FALSE);  // would reach the item count
  EXPECT_EQ(g->GetItemVisibility(9), -1);
  EXPECT_EQ(g->GetItemVisibility(10 + page), 0);
  EXPECT_EQ(g->GetItemVisibility(11 + page), 1);
  EXPECT_EQ(g->EnsureVisible(50), TRUE);
  EXPECT_EQ(g->GetTopItem(), 50 - page);
  EXPECT_EQ(g->EnsureVisible(3), TRUE);
  EXPECT_EQ(g->GetTopItem(), 3u);
  EXPECT_EQ(g->SetTopItem(500), TRUE);
  EXPECT_EQ(g->GetTopItem(), 100u);
  EXPECT_EQ(g->RedrawItem(2), FALSE);
  DestroyWindow(grid);
}

}  // namespace
