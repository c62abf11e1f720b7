// The window members of table and file descriptions against real combo boxes
// and a window that answers WM_USER with an IGridView.
#include <string>

#include <gtest/gtest.h>

#include "test_support.h"
#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/file_desc.h"
#include "zt_tbl32/history.h"

namespace {

const UINT kComboId = 301;
const UINT kGridId = 302;

// A window that hands out the recording grid, as the grid window hands out its view.
LRESULT CALLBACK GridProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER && wParam == 0 && lParam == 0) return GetWindowLongPtrA(window, GWLP_USERDATA);
  return DefWindowProcA(window, message, wParam, lParam);
}

class DescWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = GridProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZTTestGridWindow";
    RegisterClassA(&wc);
    m_dialog = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
    m_combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 200, 200, m_dialog,
                              (HMENU)(UINT_PTR)kComboId, wc.hInstance, nullptr);
    m_grid = CreateWindowExA(0, "ZTTestGridWindow", "", WS_CHILD, 0, 0, 300, 200, m_dialog, (HMENU)(UINT_PTR)kGridId,
                             wc.hInstance, nullptr);
    SetWindowLongPtrA(m_grid, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<IGridView*>(&m_view)));
    ASSERT_NE(m_combo, nullptr);
    ASSERT_NE(m_grid, nullptr);
  }
  void TearDown() override { DestroyWindow(m_dialog); }

  std::string ComboText(int index) {
    char text[64] = "";
    SendMessageA(m_combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
  }
  int ComboCount() { return (int)SendMessageA(m_combo, CB_GETCOUNT, 0, 0); }

  HWND m_dialog = nullptr, m_combo = nullptr, m_grid = nullptr;
  RecordingGrid m_view;
};

CZTTableDesc MakeTable() {
  CZTTableDesc table;
  ztStrCopy(table.m_szName, "Stock", sizeof(table.m_szName));
  unsigned position = 0;
  for (const char* name : {"Name", "", "Count", "Price"}) {
    position = 99;
    table.InsertField(name, &position);
  }
  table.m_Fields.m_pFields[0].m_uDispWidth = 50;
  table.m_Fields.m_pFields[2].m_uDispWidth = 25;
  table.m_Fields.m_pFields[2].m_uDispJust = 1;
  table.m_Fields.m_pFields[3].m_uDispWidth = 0;
  position = 99;
  table.InsertKey(&position);
  ztStrCopy(table.m_Keys.m_pKeys[0].m_Part[0].szFieldName, "count", kZTNameSize);
  return table;
}

TEST_F(DescWindows, FieldNamesInAComboBox) {
  BoxRecorder boxes;
  CZTTableDesc table = MakeTable();
  ASSERT_EQ(table.FillFieldsCombo(m_dialog, kComboId, "PRICE"), 1);
  ASSERT_EQ(ComboCount(), 3);  // the empty name is left out, the rest close up
  EXPECT_EQ(ComboText(0), "Name");
  EXPECT_EQ(ComboText(1), "Count");
  EXPECT_EQ(ComboText(2), "Price");
  char selected[32] = "";
  ASSERT_EQ(table.GetCurrSelCombo(m_combo, 0, selected), 1);
  EXPECT_STREQ(selected, "Price");

  // Without a selection, and with a control that is not there.
  ASSERT_EQ(table.FillFieldsCombo(m_combo, 0xFFFFFFFFu, nullptr), 1);
  EXPECT_EQ(table.GetCurrSelCombo(m_dialog, kComboId, selected), 0);
  EXPECT_EQ(table.FillFieldsCombo(m_dialog, 999, nullptr), 0);
  CZTTableDesc empty;
  EXPECT_EQ(empty.FillFieldsCombo(m_combo, 0, nullptr), 1);
  EXPECT_EQ(ComboCount(), 0);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(DescWindows, TableNamesAndHistoryInAComboBox) {
  CZTFileDesc desc;
  unsigned position = 0;
  for (const char* name : {"Orders", "Customers"}) {
    position = 99;
    desc.InsertTable(name, &position);
  }
  ASSERT_EQ(desc.FillTablesCombo(m_dialog, kComboId, "customers"), 1);
  ASSERT_EQ(ComboCount(), 2);
  char selected[32] = "";
  ASSERT_EQ(desc.GetCurrSelCombo(m_dialog, kComboId, selected), 1);
  EXPECT_STREQ(selected, "Customers");

  CZTHistory history;
  history.InsertItem("first");
  history.InsertItem("second");
  ASSERT_EQ(history.FillComboBox(m_dialog, kComboId, 1), 1);
  ASSERT_EQ(ComboCount(), 2);
  EXPECT_EQ(ComboText(0), "second");
  EXPECT_EQ(SendMessageA(m_combo, CB_GETCURSEL, 0, 0), 1);
  history.InsertItem("FIRST");  // moves to the top, in the box as well
  ASSERT_EQ(ComboCount(), 2);
  EXPECT_EQ(ComboText(0), "FIRST");
  EXPECT_EQ(ComboText(1), "second");
  EXPECT_EQ(history.FillComboBox(m_dialog, 999, 0), 0);
}

TEST_F(DescWindows, RecordGridColumnsFromTheFields) {
  BoxRecorder boxes;
  CZTTableDesc table = MakeTable();
  IGridView* view = table.DispGridDataHeader(m_dialog, kGridId);
  ASSERT_EQ(view, static_cast<IGridView*>(&m_view));
  EXPECT_TRUE(m_view.Has("DeleteAllItems(0)"));
  EXPECT_TRUE(m_view.Has("SetColumnCount(4,0)"));
  EXPECT_TRUE(m_view.Has("SetColumnHeader(0,50,0,Name,0)"));
  EXPECT_TRUE(m_view.Has("SetColumnHeader(2,25,1,Count,0)"));
  EXPECT_TRUE(m_view.Has("SetColumnHeader(3,0,0,,0)"));  // width 0: no text
  EXPECT_TRUE(m_view.Has("SetColumnType(0,0,303,0x00)"));
  EXPECT_TRUE(m_view.Has("SetColumnType(2,0,305,0x02)"));  // starts a key: sortable

  m_view.calls.clear();
  ASSERT_NE(table.DispGridDataHeader(m_grid, 0xFFFFFFFFu), nullptr);
  EXPECT_TRUE(m_view.Has("SetColumnType(2,0,2,0x02)"));  // command id = column

  EXPECT_EQ(table.DispGridDataHeader(m_dialog, 999), nullptr);
  CZTTableDesc empty;
  EXPECT_EQ(empty.DispGridDataHeader(m_grid, 0xFFFFFFFFu), nullptr);
  EXPECT_EQ(table.DispGridDataHeader(m_combo, 0xFFFFFFFFu), nullptr);  // no view
  EXPECT_EQ(boxes.Codes(),
            (std::vector<unsigned>{ZT_ERR_TBL_GRID_ITEM, ZT_ERR_TBL_GRID_NO_FIELDS, ZT_ERR_TBL_GRID_VIEW}));
}

TEST_F(DescWindows, TableListInAGridWindow) {
  CZTFileDesc desc;
  unsigned position = 0;
  for (const char* name : {"Orders", "Customers"}) {
    position = 99;
    desc.InsertTable(name, &position);
  }
  ASSERT_EQ(desc.ListTables(m_dialog, kGridId), 1);
  EXPECT_TRUE(m_view.Has("DeleteAllItems(0)"));
  EXPECT_TRUE(m_view.Has("DeleteAllItems(1)"));
  EXPECT_TRUE(m_view.Has("InsertItem(1,1,0)"));
  EXPECT_TRUE(m_view.Has("SetItemText(1,0,Customers)"));
  EXPECT_TRUE(m_view.Has("SetItemUInt(0,4,1024)"));
  EXPECT_EQ(desc.ListTables(m_dialog, 999), 0);
  EXPECT_EQ(desc.ListTables(m_combo, 0), 0);

  // The shared table-list grid: headers through HeadTables, rows through ListTables().
  BoxRecorder boxes;
  m_view.calls.clear();
  ASSERT_EQ(desc.HeadTables(m_dialog, kGridId, 1), 1);
  EXPECT_TRUE(m_view.Has("SetStyle(27)"));  // 0x19 with the line-mode bit
  EXPECT_TRUE(m_view.Has("SetColumnCount(5,0)"));
  ASSERT_EQ(desc.ListTables(), 1);
  EXPECT_TRUE(m_view.Has("SetItemText(0,0,Orders)"));
  ASSERT_EQ(desc.HeadTables(m_dialog, kGridId, 0), 1);
  EXPECT_TRUE(m_view.Has("SetStyle(25)"));
  EXPECT_EQ(desc.HeadTables(m_dialog, 999, 0), 0);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_FILE_GRID_ITEM});
}

}  // namespace
