// The browser in a real grid window: InitTable finds the grid of a dialog, and
// painting pulls the cells of the lines shown through the browser.
#include <gtest/gtest.h>

#include "browse_test_support.h"
#include "grid_test_support.h"

using namespace browse_test;
using zt_test::LogCapture;

namespace {

TEST(TableIsamWindow, TheGridOfADialogShowsTheRecords) {
  ScratchDir dir("table_isam_window");
  BoxRecorder boxes;
  LogCapture log("table_isam_window.log");
  CZTFileDesc desc;
  MakeItemFile(dir, desc, 2000, 4);
  const CZTTableDesc& item = desc.m_Tables.m_pTables[0];
  zt_test::GridParent parent;
  HWND hwnd = parent.CreateGrid(100, 600, 400);
  ASSERT_NE(hwnd, nullptr);
  CZTTableISAM browser;
  ASSERT_EQ(browser.InitISAMFile(nullptr, nullptr, &desc, 0), TRUE);

  EXPECT_EQ(browser.InitTable(parent.Window(), 101), FALSE);  // no such control
  ASSERT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_TBL_GRID_ITEM});
  EXPECT_NE(log.All().find("0 CZTTableData: Error on displaying the grid column headers."), std::string::npos);

  ASSERT_EQ(browser.InitTable(parent.Window(), 100), TRUE);
  CGridView* view = zt_test::GridViewOf(hwnd);
  ASSERT_EQ(browser.m_pGrid, static_cast<IGridView*>(view));
  EXPECT_EQ(view->GetStyle() & (GS_OWNERDATA | GS_GRIDLINES), unsigned(GS_OWNERDATA | GS_GRIDLINES));
  EXPECT_EQ(view->m_model.m_uColumnCount, 4u);

  // The reference walk uses the browser's handle before the display sets up its iteration.
  const std::vector<std::string> reference = PlainWalk(browser.m_hTable, kIndexName, true, item, nullptr);
  ASSERT_EQ(browser.DisplayTable(kIndexName, 0, 1), TRUE);
  EXPECT_EQ(view->GetItemCount(), 2000u);
  // Painting asks for the lines shown: afterwards their cells come from the
  // cache without a read, and are those of a plain walk.
  const auto paintedLinesAreTheWalks = [&](unsigned top, unsigned page) {
    { zt_test::GridPicture picture(hwnd); }
    const unsigned reads = browser.m_uRecordReads;
    for (unsigned line = top; line <= top + page; ++line) {
      ASSERT_NE(browser.m_Cache.FindRecord(line), nullptr) << line;
      const std::vector<std::string> cells = Cells(item, reference[line]);
      for (unsigned column = 0; column < cells.size(); ++column) {
        char text[512];
        const unsigned n = browser.GetDataField(line, column, text, sizeof(text));
        ASSERT_NE(n, 0xFFFFFFFFu) << line;
        EXPECT_EQ(std::string(text, n), cells[column]) << line << "," << column;
      }
    }
    EXPECT_EQ(browser.m_uRecordReads, reads);
  };
  const unsigned page = view->m_model.m_uPage;
  ASSERT_GT(page, 5u);
  paintedLinesAreTheWalks(0, page);
  // The thumb dragged to line 1500, then to the last page.
  zt_test::ThumbTrack(hwnd, 1500, SB_THUMBPOSITION);
  ASSERT_EQ(view->GetTopItem(), 1500u);
  paintedLinesAreTheWalks(1500, page);
  const unsigned last = view->m_model.m_uTopMax;
  ASSERT_EQ(last + page, 1999u);
  zt_test::ThumbTrack(hwnd, int(last), SB_THUMBPOSITION);
  ASSERT_EQ(view->GetTopItem(), last);
  paintedLinesAreTheWalks(last, page);
  EXPECT_EQ(boxes.boxes.size(), 1u);
  DestroyWindow(hwnd);
}

}  // namespace
