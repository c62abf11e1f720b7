// The grid's data model without a window: lines, cells, columns and the
// vertical geometry, at small and at the largest item counts.
#include "zt_tbl32/grid_model.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "grid_cell.h"
#include "model_test_support.h"

namespace {

std::string Text(const CGridModel& model, unsigned line, unsigned column) {
  char buffer[300];
  return model.GetItemText(line, column, buffer, sizeof(buffer)) ? buffer : "<none>";
}

TEST(GridModelLines, InsertKeepsLineNumbersFillersAndCounts) {
  CGridModel model;
  model.SetColumnCount(2);
  // On an empty grid the new line is line 0, whatever position is asked.
  EXPECT_EQ(model.InsertItem(7, 70), TRUE);
  EXPECT_EQ(model.LineCount(), 1u);
  EXPECT_EQ(model.GetItemData(0), 70u);
  EXPECT_EQ(model.InsertItem(1, 71), TRUE);
  // Line 5 on two lines: fillers 2 ... 4, then the new line.
  EXPECT_EQ(model.InsertItem(5, 75), TRUE);
  EXPECT_EQ(model.LineCount(), 6u);
  EXPECT_EQ(model.GetItemData(5), 75u);
  for (unsigned filler = 2; filler < 5; ++filler) {
    EXPECT_EQ(model.GetItemData(filler), 0u);
    EXPECT_EQ(model.Cell(filler, 0), nullptr);
    EXPECT_EQ(Text(model, filler, 0), "<none>");
  }
  // A filler gets its cells when one is written.
  EXPECT_EQ(model.SetItemText(3, 1, "drei"), TRUE);
  EXPECT_EQ(Text(model, 3, 1), "drei");
  EXPECT_EQ(model.InsertItem(0, 69), TRUE);
  EXPECT_EQ(model.GetItemData(0), 69u);
  EXPECT_EQ(model.GetItemData(1), 70u);
  EXPECT_EQ(Text(model, 4, 1), "drei");
  EXPECT_EQ(model.GetItemData(7), 0xFFFFFFFFu);

  EXPECT_EQ(model.DeleteItem(7), FALSE);
  EXPECT_EQ(model.DeleteItem(4), TRUE);
  EXPECT_EQ(model.LineCount(), 6u);
  EXPECT_EQ(model.GetItemData(5), 75u);
  // A line number the count cannot hold is refused and changes nothing.
  EXPECT_EQ(model.InsertItem(0xFFFFFFFFu, 1), FALSE);
  EXPECT_EQ(model.LineCount(), 6u);
  model.DeleteAllItems();
  EXPECT_EQ(model.LineCount(), 0u);
  EXPECT_EQ(model.DeleteItem(0), FALSE);
}

TEST(GridModelLines, RandomInsertsAndDeletesMatchAPlainList) {
  CGridModel model;
  model.SetColumnCount(1);
  std::vector<unsigned> reference;
  std::mt19937 random(1234);
  unsigned next = 1;
  for (int step = 0; step < 20000; ++step) {
    const unsigned count = unsigned(reference.size());
    const unsigned kind = random() % 10;
    if (kind < 6 || count == 0) {
      const unsigned at = count ? random() % (count + 1) : 0;
      ASSERT_EQ(model.InsertItem(at, next), TRUE);
      reference.insert(reference.begin() + at, next++);
    } else {
      const unsigned at = random() % count;
      ASSERT_EQ(model.DeleteItem(at), TRUE);
      reference.erase(reference.begin() + at);
    }
    if (step % 997 == 0) {
      ASSERT_EQ(model.LineCount(), reference.size());
      for (unsigned i = 0; i < reference.size(); ++i) ASSERT_EQ(model.GetItemData(i), reference[i]) << i;
    }
  }
}

TEST(GridModelCells, TextsReuseTheirBufferAndNumbersFreeIt) {
  CGridModel model;
  model.SetColumnCount(3);
  model.InsertItem(0, 0);
  ASSERT_EQ(model.SetItemTextW(0, 0, L"breiter Text"), TRUE);
  const SGridElt* cell = model.Cell(0, 0);
  const char* buffer = ztGridCellText(*cell);
  const WORD capacity = cell->capacity;
  // A shorter ANSI text fits the wide buffer: same buffer, type 8.
  ASSERT_EQ(model.SetItemText(0, 0, "kurz"), TRUE);
  EXPECT_EQ(ztGridCellText(*cell), buffer);
  EXPECT_EQ(cell->capacity, capacity);
  EXPECT_EQ(cell->type, GET_TEXT);
  EXPECT_EQ(Text(model, 0, 0), "kurz");
  const std::string longer(200, 'x');
  ASSERT_EQ(model.SetItemText(0, 0, longer.c_str()), TRUE);
  EXPECT_EQ(cell->capacity, 201);
  EXPECT_EQ(Text(model, 0, 0), longer);
  ASSERT_EQ(model.SetItemNumber(0, 0, GET_UINT, 42, 0), TRUE);
  EXPECT_EQ(cell->capacity, 0);
  EXPECT_EQ(ztGridCellUInt(cell), 42u);
  // A text longer than the 16-bit capacity is refused, the cell unchanged.
  const std::string huge(70000, 'y');
  EXPECT_EQ(model.SetItemText(0, 0, huge.c_str()), FALSE);
  EXPECT_EQ(cell->type, GET_UINT);
  EXPECT_EQ(model.SetItemText(0, 3, "x"), FALSE);
  EXPECT_EQ(model.SetItemText(1, 0, "x"), FALSE);
}

TEST(GridModelCells, ReadingTextsAndNumbers) {
  zt_test::LogCapture log("grid_model_test.log");
  CGridModel model;
  model.SetColumnCount(3);
  model.InsertItem(0, 0);
  model.SetItemText(0, 0, "  0012345abc");
  model.SetItemTextW(0, 1, L"98765432109");
  model.SetItemNumber(0, 2, GET_AMOUNT, uint32_t(-150), 0);
  EXPECT_EQ(ztGridCellUInt(model.Cell(0, 0)), 12345u);
  EXPECT_EQ(ztGridCellUInt64(model.Cell(0, 1)), 98765432109ull);
  char narrow[8];
  EXPECT_EQ(model.GetItemText(0, 0, narrow, sizeof(narrow)), TRUE);
  EXPECT_STREQ(narrow, "  00123");  // at most size - 1 characters
  wchar_t wide[4] = {1, 1, 1, 1};
  // Room for 2 characters and the terminator; an odd byte count never overruns.
  EXPECT_EQ(model.GetItemTextW(0, 1, wide, 3 * sizeof(wchar_t) + 1), TRUE);
  EXPECT_EQ(std::wstring(wide), L"98");
  EXPECT_EQ(model.GetItemTextW(0, 1, wide, sizeof(wide)), TRUE);
  EXPECT_EQ(std::wstring(wide), L"987");
  EXPECT_EQ(model.GetItemText(0, 1, narrow, sizeof(narrow)), FALSE);
  EXPECT_EQ(model.GetItemTextW(0, 0, wide, sizeof(wide)), FALSE);
  EXPECT_EQ(model.GetItemText(0, 2, narrow, sizeof(narrow)), FALSE);
  EXPECT_EQ(model.GetItemText(0, 3, narrow, sizeof(narrow)), FALSE);  // out of range: no message
  EXPECT_EQ(log.All(),
            "0 CGridView: Grid item (0,1): UNICODE text cannot be read as text\n"
            "0 CGridView: Grid item (0,0): ASCII text cannot be read as UNICODE\n"
            "0 CGridView: Grid item (0,2): Cannot read data of type 3 as text\n");
}

TEST(GridModelCells, DisplayTextByTypeAndThousandsFlag) {
  SGridElt cell = {};
  char text[64];
  ztGridCellSetNumber(cell, GET_UINT, 1234567, 0);
  EXPECT_EQ(ztGridCellFormat(&cell, 0, text, sizeof(text)), 7u);
  EXPECT_STREQ(text, "1234567");
  ztGridCellFormat(&cell, GCF_THOUSANDS, text, sizeof(text));
  EXPECT_STREQ(text, "1.234.567");
  ztGridCellSetNumber(cell, GET_INT, uint32_t(-1234), 0);
  ztGridCellFormat(&cell, GCF_THOUSANDS, text, sizeof(text));
  EXPECT_STREQ(text, "-1.234");
  ztGridCellSetNumber(cell, GET_AMOUNT, uint32_t(-123456789), 0);
  ztGridCellFormat(&cell, 0, text, sizeof(text));
  EXPECT_STREQ(text, "-1.234.567,89");
  ztGridCellSetNumber(cell, GET_AMOUNT, uint32_t(-2550), 0);
  ztGridCellFormat(&cell, 0, text, sizeof(text));
  EXPECT_STREQ(text, "-25,50");
  ztGridCellSetNumber(cell, GET_INT64, 0xFFFFFFFFu, 0xFFFFFFFFu);
  ztGridCellFormat(&cell, 0, text, sizeof(text));
  EXPECT_STREQ(text, "-1");
  ztGridCellSetNumber(cell, GET_UINT64, 0, 1);
  ztGridCellFormat(&cell, GCF_THOUSANDS, text, sizeof(text));
  EXPECT_STREQ(text, "4.294.967.296");
  ztGridCellSetTextW(cell, L"W\u00e4rme \u20ac");
  ztGridCellFormat(&cell, 0, text, sizeof(text));
  EXPECT_STREQ(text, "W\xe4rme ?");
  ztGridCellFormat(&cell, 0, text, 3);
  EXPECT_STREQ(text, "W\xe4");
  ztGridCellFree(cell);
  EXPECT_EQ(ztGridCellFormat(nullptr, 0, text, sizeof(text)), 0u);
  EXPECT_STREQ(text, "");
}

TEST(GridModelCells, TypedTextIsStoredByTypeAndEscapePutsTheOldValueBack) {
  SGridElt cell = {};
  ztGridCellSetNumber(cell, GET_AMOUNT, 100, 0);
  ASSERT_TRUE(ztGridCellSave(cell));
  ztGridCellParse(cell, "-12,34", 6);
  EXPECT_EQ(int32_t(cell.value), -1234);  // rounded, not cut towards zero
  ztGridCellParse(cell, "1.234,5", 7);
  EXPECT_EQ(int32_t(cell.value), 123450);
  ztGridCellEndEdit(cell, true);
  EXPECT_EQ(cell.value, 100u);
  EXPECT_EQ(cell.savedType, 0);

  ztGridCellSetText(cell, "alt");
  ASSERT_TRUE(ztGridCellSave(cell));
  const std::string typed(300, 'n');
  ztGridCellParse(cell, typed.c_str(), unsigned(typed.size()));
  EXPECT_EQ(std::string(ztGridCellText(cell)), std::string(256, 'n'));  // the first 256 characters
  ztGridCellEndEdit(cell, true);
  EXPECT_STREQ(ztGridCellText(cell), "alt");
  // The program replaced the text by a number during the edit: the text comes back.
  ASSERT_TRUE(ztGridCellSave(cell));
  ztGridCellSetNumber(cell, GET_UINT, 5, 0);
  ztGridCellEndEdit(cell, true);
  ASSERT_EQ(cell.type, GET_TEXT);
  EXPECT_STREQ(ztGridCellText(cell), "alt");
  ASSERT_TRUE(ztGridCellSave(cell));
  ztGridCellParse(cell, "neu", 3);
  ztGridCellEndEdit(cell, false);
  EXPECT_STREQ(ztGridCellText(cell), "neu");

  ztGridCellSetNumber(cell, GET_UINT64, 0, 0);
  ztGridCellParse(cell, "18446744073709551615", 20);
  EXPECT_EQ(cell.value, 0xFFFFFFFFu);
  EXPECT_EQ(cell.valueHigh, 0xFFFFFFFFu);
  ztGridCellSetNumber(cell, GCT_COLOR, 7, 0);
  ztGridCellParse(cell, "9", 1);  // other types stay as they are
  EXPECT_EQ(cell.value, 7u);
  ztGridCellFree(cell);
}

TEST(GridModelColumns, SharesHeadersSortFlagsAndLayout) {
  CGridModel model;
  model.m_uClientWidth = 301;
  ASSERT_EQ(model.SetColumnCount(3), TRUE);
  EXPECT_EQ(model.Column(0)->percent, 33u);
  EXPECT_EQ(model.Column(1)->percent, 34u);
  EXPECT_EQ(model.Column(2)->percent, 33u);
  EXPECT_EQ(model.Column(1)->left, 99u);  // (301 * 33 + 50) / 100
  EXPECT_EQ(model.m_uTotalWidth, 301u);
  EXPECT_EQ(model.Column(0)->valign, 1);
  const std::string long300(300, 'h');
  EXPECT_EQ(model.SetColumnHeader(2, 50, 2, long300.c_str()), TRUE);
  EXPECT_EQ(model.Column(2)->headerLength, 127u);
  EXPECT_EQ(model.SetColumnHeader(3, 50, 2, "x"), FALSE);
  EXPECT_EQ(model.SetColumnHeader(0, 10, 0, nullptr), TRUE);
  EXPECT_STREQ(model.Column(0)->header, "");

  EXPECT_EQ(model.SetSortColumn(1, TRUE), TRUE);
  EXPECT_EQ(model.Column(1)->flags, GCF_SORTUP);
  EXPECT_EQ(model.SetSortColumn(2, FALSE), TRUE);
  EXPECT_EQ(model.Column(1)->flags, GCF_SORTABLE);  // sortable, no marker
  EXPECT_EQ(model.Column(2)->flags, GCF_SORTDOWN);
  EXPECT_TRUE(model.IsSortColumn(1));
  model.ClearSortColumn();
  EXPECT_EQ(model.Column(2)->flags, GCF_SORTABLE);
  EXPECT_FALSE(model.IsSortColumn(0));
  EXPECT_EQ(model.GetColumnListSel(5), 0xFFFFFFFFu);

  EXPECT_EQ(model.SetColumnCount(0), TRUE);
  EXPECT_EQ(model.m_uColumnCount, 0u);
  EXPECT_EQ(model.ColumnAt(0), 0xFFFFFFFFu);
}

TEST(GridModelColumns, NarrowLinesGrowWhenColumnsAreAdded) {
  CGridModel model;
  model.SetColumnCount(1);
  model.InsertItem(0, 5);
  model.SetItemText(0, 0, "eins");
  model.SetColumnCount(4);
  EXPECT_EQ(model.Cell(0, 3), nullptr);
  EXPECT_EQ(model.SetItemText(0, 3, "vier"), TRUE);
  EXPECT_EQ(Text(model, 0, 0), "eins");
  EXPECT_EQ(Text(model, 0, 3), "vier");
  EXPECT_EQ(model.GetItemData(0), 5u);
}

TEST(GridModelColumns, DividerDragMovesOneEdgeAndPercentsFollow) {
  CGridModel model;
  model.m_uClientWidth = 400;
  model.SetColumnCount(2);  // 0..200, 200..400
  EXPECT_EQ(model.DividerAt(196), 1u);
  EXPECT_EQ(model.DividerAt(204), 1u);
  EXPECT_EQ(model.DividerAt(205), 0xFFFFFFFFu);
  EXPECT_EQ(model.DividerAt(399), 2u);
  int dragX = 200;
  model.DragDivider(1, dragX, 150);
  EXPECT_EQ(dragX, 150);
  EXPECT_EQ(model.Column(0)->width, 150u);
  EXPECT_EQ(model.Column(1)->left, 150u);
  EXPECT_EQ(model.Column(1)->width, 200u);  // keeps its width
  // Not left of the previous column's left edge.
  model.DragDivider(1, dragX, -500);
  EXPECT_EQ(model.Column(0)->width, 0u);
  dragX = 350;
  model.DragDivider(2, dragX, 500);
  EXPECT_EQ(model.Column(1)->width, 350u);
  model.RecomputePercents();
  EXPECT_EQ(model.Column(0)->percent, 0u);
  EXPECT_EQ(model.Column(1)->percent, 88u);  // (200 + 35000) / 400
  model.m_uClientWidth = 0;
  model.RecomputePercents();  // no division by zero
  EXPECT_EQ(model.Column(1)->percent, 88u);
}

TEST(GridModelGeometry, BarPageAndLinePositions) {
  CGridModel model;
  model.m_uClientHeight = 200;
  model.m_uHeaderHeight = 20;
  model.m_uLineHeight = 18;
  model.SetColumnCount(1);
  for (unsigned i = 0; i < 10; ++i) model.InsertItem(i, i);
  model.UpdateVBar();  // 10 * 18 + 20 = 200 fits
  EXPECT_EQ(model.m_bVBar, 0);
  EXPECT_EQ(model.TopLine(), 0u);
  EXPECT_FALSE(model.ScrollBy(1));
  EXPECT_FALSE(model.SetTopItem(3));
  EXPECT_EQ(model.Visibility(9), 0);
  EXPECT_EQ(model.Visibility(10), 1);
  model.InsertItem(10, 10);
  model.UpdateVBar();
  EXPECT_EQ(model.m_bVBar, 1);
  EXPECT_EQ(model.m_uPage, 9u);  // (200 - 20) / 18 - 1
  EXPECT_EQ(model.m_uTopMax, 1u);
  EXPECT_TRUE(model.ScrollBy(1));
  EXPECT_EQ(model.LineTop(1), 20);
  EXPECT_EQ(model.LineTop(3), 20 + 2 * 18);
  EXPECT_EQ(model.LineAt(20), 0xFFFFFFFFu);  // the header
  EXPECT_EQ(model.LineAt(21), 1u);
  EXPECT_EQ(model.Visibility(0), -1);
  EXPECT_EQ(model.Visibility(10), 0);
  EXPECT_FALSE(model.ScrollBy(-2));
  EXPECT_FALSE(model.ScrollBy(10));  // would reach the item count
  EXPECT_TRUE(model.SetTopItem(500));
  EXPECT_EQ(model.TopLine(), 11u);
  // A tiny window: the page never turns negative.
  model.m_uClientHeight = 10;
  model.UpdateVBar();
  EXPECT_EQ(model.m_uPage, 0u);
  EXPECT_EQ(model.TopLine(), 10u);  // the top line at the count came back to the maximum
  model.m_uLineHeight = 0;
  model.UpdateVBar();  // no division by zero
  EXPECT_EQ(model.LineAt(20), 0xFFFFFFFFu);
}

TEST(GridModelGeometry, OwnerDataAtTheLargestCountNeverOverflows) {
  zt_test::LogCapture log("grid_model_test.log");
  CGridModel model;
  EXPECT_EQ(model.SetItemCount(nullptr, 5, 0), FALSE);
  EXPECT_EQ(model.ItemCount(), 0u);
  model.m_uStyle = GS_OWNERDATA;
  model.m_uClientHeight = 20 + 40 * 18 + 5;
  model.m_uHeaderHeight = 20;
  model.m_uLineHeight = 18;
  const unsigned n = 2147483647u;
  ASSERT_EQ(model.SetItemCount(nullptr, n, 9), TRUE);
  model.UpdateVBar();
  EXPECT_EQ(model.m_uPage, 39u);
  EXPECT_EQ(model.m_uTopMax, n - 40);
  ASSERT_TRUE(model.SetTopItem(n - 40));
  EXPECT_EQ(model.LineTop(n - 1), 20 + 39 * 18);
  EXPECT_EQ(model.LineAt(20 + 39 * 18 + 1), n - 1);
  EXPECT_EQ(model.LineAt(20 + 40 * 18 + 1), 0xFFFFFFFFu);  // beyond the count
  EXPECT_EQ(model.Visibility(n - 1), 0);
  EXPECT_EQ(model.Visibility(5), -1);
  // Lines far below the top stay just below the client area.
  ASSERT_TRUE(model.SetTopItem(0));
  EXPECT_LE(model.LineTop(n - 1), int(model.m_uClientHeight + model.m_uLineHeight + 1));
  EXPECT_EQ(model.Visibility(n - 1), 1);
  EXPECT_TRUE(model.ScrollBy(int(n - 1)));
  EXPECT_FALSE(model.ScrollBy(1));
  // A smaller count pulls a top line beyond it back.
  model.SetItemCount(nullptr, 100, 9);
  model.UpdateVBar();
  EXPECT_EQ(model.TopLine(), 60u);
  EXPECT_EQ(log.All(), "0 CGridView: Call of SetItemCount but GS_OWNERDATA is clear\n");
}

}  // namespace
