// In-place editing through the real edit field and the real list pop-up.
#include <gtest/gtest.h>

#include <string>

#include "grid_test_support.h"
#include "model_test_support.h"

namespace {

using zt_test::GridNote;
using zt_test::GridParent;

constexpr unsigned kId = 52;

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof(name));
  return name;
}

std::string TextOf(HWND window) {
  char text[300] = "";
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

class GridEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    hwnd = parent.CreateGrid(kId, 400, 300);
    ASSERT_NE(hwnd, nullptr);
    grid = zt_test::GridOf(hwnd);
    grid->SetColumnCount(4, FALSE);
    grid->SetColumnType(0, GCT_EDIT, 200, 0);
    grid->SetColumnType(1, GCT_EDIT, 201, GCF_THOUSANDS);
    grid->SetColumnType(2, GCT_EDIT, 202, 0);
    grid->SetColumnType(3, GCT_LIST, 203, 0);
    for (unsigned i = 0; i < 5; ++i) {
      grid->InsertItem(i, i, FALSE);
      grid->SetItemText(i, 0, "Meier");
      grid->SetItemUInt(i, 1, 1234567);
      grid->SetItemAmount(i, 2, 100);
      grid->SetItemText(i, 3, "rot");
    }
    parent.Clear();
  }
  void TearDown() override {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  std::string Cell(unsigned line, unsigned column) {
    char text[300];
    return grid->GetItemText(line, column, text, sizeof(text)) ? text : "<none>";
  }

  GridParent parent;
  HWND hwnd = nullptr;
  IGridView* grid = nullptr;
};

TEST_F(GridEdit, TypingStoresAtOnceAndEscapePutsTheOldTextBack) {
  ASSERT_EQ(grid->EditItem(2, 0), TRUE);
  HWND edit = grid->GetChildHwnd();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(ClassOf(edit), "Edit");
  EXPECT_EQ(TextOf(edit), "Meier");
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(GetParent(edit), hwnd);
  ASSERT_EQ(parent.Codes(), std::vector<unsigned>{GN_EDITOPEN});
  EXPECT_EQ(parent.notes[0].low, 200u);
  EXPECT_EQ(parent.notes[0].lParam, 2);

  SendMessageA(edit, EM_SETSEL, 0, -1);
  zt_test::Type(edit, "Schulz");
  EXPECT_EQ(Cell(2, 0), "Schulz");  // stored with every change
  // While the field is open the grid ignores keys.
  zt_test::Key(hwnd, VK_DOWN);
  EXPECT_EQ(grid->GetCurItem(), 2u);
  zt_test::Key(edit, VK_ESCAPE);
  EXPECT_EQ(grid->GetChildHwnd(), nullptr);
  EXPECT_FALSE(IsWindow(edit));
  EXPECT_EQ(Cell(2, 0), "Meier");
  EXPECT_EQ(GetFocus(), hwnd);
  ASSERT_EQ(parent.Codes(), (std::vector<unsigned>{GN_EDITOPEN, GN_EDITCLOSE}));  // Escape still reports the close
  EXPECT_EQ(parent.notes[1].low, 200u);
  EXPECT_EQ(parent.notes[1].lParam, 2);

  // Enter keeps what was typed; a longer text than the old one grows the cell.
  grid->EditItem(2, 0);
  edit = grid->GetChildHwnd();
  SendMessageA(edit, EM_SETSEL, 0, -1);
  zt_test::Type(edit, "Mueller-Luedenscheidt");
  zt_test::Key(edit, VK_RETURN);
  EXPECT_EQ(grid->GetChildHwnd(), nullptr);
  EXPECT_EQ(Cell(2, 0), "Mueller-Luedenscheidt");
  EXPECT_EQ(parent.notes.back().code, unsigned(GN_EDITCLOSE));
}

TEST_F(GridEdit, NumbersAndAmountsAreReadBackByTheirType) {
  // The field shows the number without thousands points, so that it reads back.
  grid->EditItem(1, 1);
  HWND edit = grid->GetChildHwnd();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(TextOf(edit), "1234567");
  SendMessageA(edit, EM_SETSEL, 7, 7);
  zt_test::Type(edit, "8");
  EXPECT_EQ(grid->GetItemUInt(1, 1), 12345678u);
  zt_test::Key(edit, VK_TAB);
  EXPECT_EQ(grid->GetItemValue(1, 1), 12345678u);

  grid->EditItem(3, 2);
  edit = grid->GetChildHwnd();
  EXPECT_EQ(TextOf(edit), "1,00");
  SendMessageA(edit, EM_SETSEL, 0, -1);
  zt_test::Type(edit, "-12,34");
  EXPECT_EQ(int(grid->GetItemValue(3, 2)), -1234);
  zt_test::Key(edit, VK_ESCAPE);
  EXPECT_EQ(int(grid->GetItemValue(3, 2)), 100);

  // WM_USER + 1 opens the field too; losing the focus elsewhere accepts it.
  SendMessageA(hwnd, ZT_GRID_EDIT, 4, 2);
  edit = grid->GetChildHwnd();
  ASSERT_NE(edit, nullptr);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  zt_test::Type(edit, "7,5");
  SetFocus(parent.Window());
  EXPECT_EQ(grid->GetChildHwnd(), nullptr);
  EXPECT_EQ(int(grid->GetItemValue(4, 2)), 750);
}

TEST_F(GridEdit, TheListIsFilledByTheParentAndAcceptedByDoubleClick) {
  HWND popup = nullptr;
  parent.onNote = [&](const GridNote& note) {
    if (note.code != GN_LISTOPEN) return;
    popup = grid->GetChildHwnd();
    const char* entries[] = {"rot", "gr\xfcn", "blau"};
    for (int i = 0; i < 3; ++i) SendMessageA(popup, LB_INSERTSTRING, WPARAM(-1), LPARAM(entries[i]));
    SendMessageA(popup, LB_ADDSTRING, 0, LPARAM("not passed on"));
    SendMessageA(popup, LB_SETCURSEL, 1, 0);
  };
  ASSERT_EQ(grid->EditItem(1, 3), TRUE);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup, grid->GetChildHwnd());
  EXPECT_EQ(ClassOf(popup), "CZTListBoxParent");
  EXPECT_EQ(TextOf(popup), "rot");
  HWND list = GetWindow(popup, GW_CHILD);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);  // LB_ADDSTRING was not passed on
  EXPECT_EQ(grid->GetColumnListSel(3), 1u);             // read after the parent filled it
  EXPECT_EQ(GetFocus(), list);
  ASSERT_EQ(parent.Codes(), std::vector<unsigned>{GN_LISTOPEN});
  EXPECT_EQ(parent.notes[0].low, 203u);
  EXPECT_EQ(parent.notes[0].lParam, 1);

  // A click on the third entry, then a double click: accepted.
  RECT item;
  SendMessageA(list, LB_GETITEMRECT, 2, LPARAM(&item));
  const LPARAM at = zt_test::Point(item.left + 5, (item.top + item.bottom) / 2);
  SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(list, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(grid->GetColumnListSel(3), 2u);
  SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  EXPECT_EQ(grid->GetChildHwnd(), nullptr);
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(GetFocus(), hwnd);
  ASSERT_EQ(parent.Codes(), (std::vector<unsigned>{GN_LISTOPEN, GN_LISTCLOSE}));
  EXPECT_EQ(parent.notes[1].low, 203u);
  EXPECT_EQ(parent.notes[1].lParam, 1);
  EXPECT_EQ(grid->GetColumnListSel(3), 2u);
}

TEST_F(GridEdit, EnterAcceptsTheListAndEscapeDropsIt) {
  parent.onNote = [&](const GridNote& note) {
    if (note.code != GN_LISTOPEN) return;
    HWND popup = grid->GetChildHwnd();
    SendMessageA(popup, LB_RESETCONTENT, 0, 0);
    SendMessageA(popup, LB_INSERTSTRING, WPARAM(-1), LPARAM("eins"));
    SendMessageA(popup, LB_INSERTSTRING, WPARAM(-1), LPARAM("zwei"));
  };
  grid->EditItem(0, 3);
  HWND list = GetWindow(grid->GetChildHwnd(), GW_CHILD);
  zt_test::Key(list, VK_DOWN);  // the list box's own key: selects
  EXPECT_EQ(grid->GetColumnListSel(3), 0u);
  zt_test::Key(list, VK_RETURN);
  EXPECT_EQ(grid->GetChildHwnd(), nullptr);
  EXPECT_EQ(parent.Codes(), (std::vector<unsigned>{GN_LISTOPEN, GN_LISTCLOSE}));

  parent.Clear();
  grid->EditItem(0, 3);
  list = GetWindow(grid->GetChildHwnd(), GW_CHILD);
  zt_test::Key(list, VK_ESCAPE);
  EXPECT_EQ(grid->GetChildHwnd(), nullptr);
  EXPECT_EQ(parent.Codes(), std::vector<unsigned>{GN_LISTOPEN});  // not accepted
  EXPECT_EQ(GetFocus(), hwnd);

  // A click into the grid while the list is open closes it first (accepted).
  parent.Clear();
  grid->EditItem(0, 3);
  const POINT p = zt_test::CellPoint(*zt_test::GridViewOf(hwnd), 4, 0);
  zt_test::Click(hwnd, p.x, p.y);
  EXPECT_EQ(grid->GetChildHwnd(), nullptr);
  EXPECT_EQ(parent.Codes(), (std::vector<unsigned>{GN_LISTOPEN, GN_LISTCLOSE, GN_CELLSELECT}));
}

TEST_F(GridEdit, DisablingClosesTheChildAndTheParentMayDestroyTheGrid) {
  grid->EditItem(0, 0);
  ASSERT_NE(grid->GetChildHwnd(), nullptr);
  EnableWindow(hwnd, FALSE);
  EXPECT_EQ(grid->GetChildHwnd(), nullptr);
  EXPECT_EQ(zt_test::GridViewOf(hwnd)->m_bDisabled, 1);
  EnableWindow(hwnd, TRUE);

  zt_test::LogCapture log("grid_edit_test.log");
  parent.onNote = [&](const GridNote& note) {
    if (note.code == GN_EDITCLOSE) DestroyWindow(hwnd);
  };
  grid->EditItem(1, 0);
  HWND edit = grid->GetChildHwnd();
  zt_test::Type(edit, "x");
  zt_test::Key(edit, VK_RETURN);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(IsWindow(edit));
}

}  // namespace
