#include "zt_tbl32/grid_def.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "model_test_support.h"
#include "zt_tbl32/grid_desc.h"

namespace {

const SColumnDef kColumns[] = {{0, 0x02, 2, 1, 101, 10, 2400},    // header text from the language library
                               {4, 0x01, 0, 1, 102, 90, 64999}};  // no such string: "<64999>"

TEST(GridDef, ColumnsComeFromTheStaticTable) {
  ASSERT_EQ(ztSetTbl32Language("E"), 1);
  zt_test::RecordingGrid grid;
  CGridDef def = {0, nullptr, 0xFFFFFFFF, 25, &ztTbl32Lib, nullptr, 2, kColumns};
  EXPECT_EQ(def.DispColHeadersOn(&grid, 1), TRUE);
  EXPECT_EQ(def.m_pGrid, &grid);
  const std::vector<std::string> expected = {"DeleteAllItems(0)",           "SetStyle(25)",
                                             "SetColumnCount(2,0)",         "SetColumnHeader(0,10,2,left,0)",
                                             "SetColumnType(0,0,101,0x02)", "SetColumnHeader(1,90,0,<64999>,0)",
                                             "SetColumnType(1,4,102,0x01)"};
  EXPECT_EQ(grid.calls, expected);
  ztSetTbl32Language("D");

  grid.calls.clear();
  EXPECT_EQ(def.InsertItem(4, 77), 1);
  EXPECT_EQ(def.DeleteItem(4, 1), 1);
  EXPECT_EQ(def.SetItemRes(4, 1, 2402), 1);
  EXPECT_EQ(def.SetItemRes(4, 1, 64998), 1);
  const std::vector<std::string> rows = {"InsertItem(4,77,0)", "DeleteItem(4,1)", "SetItemText(4,1,zentriert)",
                                         "SetItemText(4,1,<64998>)"};
  EXPECT_EQ(grid.calls, rows);
}

TEST(GridDef, WithoutAGridEveryOperationFails) {
  zt_test::BoxRecorder boxes;
  zt_test::LogCapture log;
  CGridDef def = {0, nullptr, 0xFFFFFFFF, 25, &ztTbl32Lib, nullptr, 2, kColumns};
  EXPECT_EQ(def.DispColHeadersOn(nullptr, 0), FALSE);
  EXPECT_EQ(def.InsertItem(3, 0), FALSE);
  EXPECT_EQ(def.DeleteItem(5, 0), FALSE);
  EXPECT_EQ(def.SetItemRes(1, 2, 2400), FALSE);
  EXPECT_EQ(boxes.Codes(), (std::vector<unsigned>{901, 910, 911, 920}));
  EXPECT_EQ(log.All(),
            "0 CGridDef: Cannot inquire the grid control instance pointer.\n"
            "0 CGridDef: Cannot insert item 3 into grid: pGrid = NULL.\n"
            "0 CGridDef: Cannot delete item 5 in grid: pGrid = NULL.\n");
}

TEST(GridDesc, ColumnsWithColoursAndFailures) {
  CGridDesc desc(&ztTbl32Lib, 0xFFFFFFFF, 0, 0x19);
  desc.m_uColCount = desc.m_uColAlloc = 2;
  desc.m_pColumns = static_cast<SColumnDesc*>(calloc(2, sizeof(SColumnDesc)));
  SColumnDesc& a = desc.m_pColumns[0];
  a.type = 4;
  a.flags = 0x10;
  a.justification = 1;
  a.width = 40;
  a.commandId = 0;
  a.backEven = 0x0000FF;
  a.backOdd = 0x00FF00;
  a.textEven = a.textOdd = 0;
  ztStrCopy(a.szHeader, "Name", sizeof(a.szHeader));
  SColumnDesc& b = desc.m_pColumns[1];
  b.width = 60;
  b.commandId = 1;
  ztStrCopy(b.szHeader, "Ort", sizeof(b.szHeader));
  zt_test::RecordingGrid grid;
  EXPECT_EQ(desc.DispColHeadersOn(&grid, 0), TRUE);
  const std::vector<std::string> expected = {"SetStyle(25)",
                                             "SetColumnCount(2,0)",
                                             "SetColumnHeader(0,40,1,Name,0)",
                                             "SetColumnType(0,4,0,0x10)",
                                             "SetColumnColors(0,0000FF,00FF00,000000,000000,0)",
                                             "SetColumnHeader(1,60,0,Ort,0)",
                                             "SetColumnType(1,0,1,0x00)"};
  EXPECT_EQ(grid.calls, expected);
  desc.FreeDesc();
  EXPECT_EQ(desc.m_pColumns, nullptr);
  EXPECT_EQ(desc.m_uColCount, 0u);

  zt_test::BoxRecorder boxes;
  zt_test::LogCapture log;
  CGridDesc empty(nullptr, 7, 0, 0);
  EXPECT_EQ(empty.DispColHeadersOn(nullptr, 0), FALSE);
  EXPECT_EQ(empty.InsertItem(2, 0), FALSE);
  empty.m_pGrid = &grid;
  EXPECT_EQ(empty.SetItemRes(1, 2, 2400), FALSE);  // no library
  EXPECT_EQ(boxes.Codes(), (std::vector<unsigned>{1001, 1010, 1011}));
  EXPECT_EQ(log.All(),
            "0 CGridDesc: Cannot inquire the grid control instance pointer\n"
            "0 CGridDesc: InsertItem(2): NULL-pointer in pGrid\n"
            "0 CGridDesc: SetItemRes(1,2): NULL-pointer in pGrid or pLib found\n");
}

}  // namespace
