// The editable field table in real list views: its rows as items, and data
// lines with one column per row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit_codes.h"
#include "model_test_support.h"
#include "zt_lib32/list_view.h"
#include "zt_tbl32/tbl_fld_desc.h"

namespace {

const unsigned kListId = 4711;

const SZTTblFldDesc kRows[] = {
    {0, 6, ZT_COL_TEXT, 0, 'L', 60, 2000},
    {6, 6, ZT_COL_DATE_DMY2, 0, 'M', 60, 2001},
    {12, 4, ZT_COL_AMOUNT, 0, 'R', 30, 2002},
};

class TableListView : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(1, ztSetTbl32Language("D"));
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    dialog = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 500, 300, nullptr, nullptr, nullptr, nullptr);
    list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 404, 150, dialog,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kListId)), nullptr, nullptr);
    ASSERT_NE(list, nullptr);
  }
  void TearDown() override { DestroyWindow(dialog); }

  int ClientWidth() {
    RECT r;
    GetClientRect(list, &r);
    return r.right - r.left;
  }
  int ColumnWidth(int column) { return static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0)); }
  int Columns() {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  }
  std::string Cell(int item, int column) {
    char text[128] = "";
    LVITEMA lv = {};
    lv.iSubItem = column;
    lv.pszText = text;
    lv.cchTextMax = sizeof(text);
    SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&lv));
    return text;
  }

  zt_test::BoxRecorder boxes;
  HWND dialog = nullptr, list = nullptr;
  CZTTblFldDesc table{&ztTbl32Lib, kRows, sizeof(kRows)};
};

TEST_F(TableListView, RowsBecomeItemsWithTypeAndJustificationTexts) {
  const ZTListViewColumn columns[] = {{2000, 20, ZT_LV_LEFT}, {2001, 10, ZT_LV_RIGHT}, {2002, 10, ZT_LV_RIGHT},
                                      {2003, 30, ZT_LV_LEFT}, {2004, 10, ZT_LV_RIGHT}, {2005, 20, ZT_LV_LEFT}};
  CZTListView view(kListId, 6, columns, &ztTbl32Lib);
  ASSERT_EQ(1, view.DispHeader(dialog, 1));
  view.InsertItem(0, 0, "old");
  table.m_pFields[2].uJust = 5;
  ASSERT_EQ(1, table.FillDescLV(view));
  EXPECT_EQ(3u, view.GetItemCount());
  EXPECT_EQ(3u, view.m_uItemCount);
  const std::vector<std::string> second = {Cell(1, 0), Cell(1, 1), Cell(1, 2), Cell(1, 3), Cell(1, 4), Cell(1, 5)};
  EXPECT_EQ((std::vector<std::string>{"Position", "6", "6", "Datum TTMMJJ", "60", "zentriert"}), second);
  EXPECT_EQ("links", Cell(0, 5));
  EXPECT_EQ("unbekannt", Cell(2, 5));
  EXPECT_EQ("Betrag bin\xE4r in Hundertsteln", Cell(2, 3));
}

TEST_F(TableListView, DataHeaderHasOneColumnPerRowSizedByItsPercentOnce) {
  ASSERT_EQ(1, table.DispDataHeader(list));
  ASSERT_EQ(3, Columns());
  const int w = ClientWidth();
  ASSERT_GT(w, 300);
  EXPECT_EQ((60 * w + 50) / 100, ColumnWidth(0));
  EXPECT_EQ((30 * w + 50) / 100, ColumnWidth(2));
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  char text[64] = "";
  HDITEMA item = {};
  item.mask = HDI_TEXT | HDI_FORMAT;
  item.pszText = text;
  item.cchTextMax = sizeof(text);
  SendMessageA(header, HDM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ("Position", text);
  EXPECT_EQ(HDF_CENTER, item.fmt & HDF_JUSTIFYMASK);
  // A second call finds every column there.
  ASSERT_EQ(1, table.DispDataHeader(list));
  EXPECT_EQ(3, Columns());

  // Resizing: the percents, but no column beyond what the ones before leave.
  ASSERT_EQ(1, table.ResizeDataHeader(list));
  const int first = (60 * w + 50) / 100;
  EXPECT_EQ(first, ColumnWidth(0));
  EXPECT_EQ(w - first, ColumnWidth(1));
  EXPECT_EQ(0, ColumnWidth(2));
  // From a previous width the current widths are scaled.
  SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(w / 4, 0));
  SendMessageA(list, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(w / 4, 0));
  ASSERT_EQ(1, table.ResizeDataHeader(list, static_cast<unsigned>(w / 2), 0));
  EXPECT_EQ(w / 2, ColumnWidth(0));
  EXPECT_EQ(w / 2, ColumnWidth(1));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TableListView, DataLinesShowEachColumnOfTheRecord) {
  ASSERT_EQ(1, table.DispDataHeader(list));
  const unsigned amount = 123456;
  std::string record = "  abc 311299";
  record.append(reinterpret_cast<const char*>(&amount), 4);
  ASSERT_EQ(1, table.InsertDataLine(list, 0, 77, record.data(), static_cast<unsigned>(record.size())));
  EXPECT_EQ("abc ", Cell(0, 0));
  EXPECT_EQ("31.12.2099", Cell(0, 1));
  EXPECT_EQ("1.234,56", Cell(0, 2));
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = 0;
  SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(77, item.lParam);
  // A short record: the columns it does not reach stay empty.
  ASSERT_EQ(1, table.InsertDataLine(list, 1, 78, "xy", 2));
  EXPECT_EQ("xy", Cell(1, 0));
  EXPECT_EQ("", Cell(1, 1));
  EXPECT_EQ("", Cell(1, 2));
}

// The line one beyond a page brings the vertical scroll bar: the columns are
// laid out again for the client width then (and only then).
TEST_F(TableListView, TheLineOneBeyondAPageLaysTheColumnsOutAgain) {
  ShowWindow(dialog, SW_SHOWNOACTIVATE);
  ASSERT_EQ(1, table.DispDataHeader(list));
  const int wide = ClientWidth();
  int item = 0;
  for (; item < 100; ++item) {
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(5, 0));
    ASSERT_EQ(1, table.InsertDataLine(list, item, 0, "line  ", 6));
    const LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    if (count == SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0) + 1) break;
    EXPECT_EQ(5, ColumnWidth(0)) << "line " << item;
  }
  ASSERT_LT(item, 100);
  EXPECT_LT(ClientWidth(), wide);
  EXPECT_EQ((60 * ClientWidth() + 50) / 100, ColumnWidth(0));
  SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(5, 0));
  ASSERT_EQ(1, table.InsertDataLine(list, item + 1, 0, "line  ", 6));
  EXPECT_EQ(5, ColumnWidth(0));
}

}  // namespace
