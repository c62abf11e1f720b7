#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browse_test_support.h"

using namespace browse_test;
using zt_test::LogCapture;

namespace {

constexpr unsigned kItems = 3000;
constexpr unsigned kNone = 0xFFFFFFFFu;

class TableIsam : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new ScratchDir("table_isam");
    s_desc = new CZTFileDesc;
    MakeItemFile(*s_dir, *s_desc, kItems, 1,
                 ".\\img_#SN1%03u#.jpg\n#FName\\#_#SN0%05d#_#TNo#.tif\n#PPN#/x\n#FNope#\n50%#SN0%s%u%x#\n"
                 "a#b#Fx\n#FGrp##FGrp##FGrp##FGrp##FGrp#");
  }
  static void TearDownTestSuite() {
    delete s_desc;
    delete s_dir;
  }
  void SetUp() override {
    s_desc->m_uSelTable = 0;
    unsigned detail = 0;
    ASSERT_EQ(ISAMOpen(&m_file, s_desc->m_szFileName, ISAM_OPEN_READONLY, &detail), 0u);
    ASSERT_EQ(ISAMOpenTable(m_file, "Item", &m_table), 0u);
  }
  void TearDown() override {
    unsigned detail = 0;
    ISAMCloseTable(m_table);
    ISAMClose(m_file, &detail);
  }
  CZTTableDesc& Item() { return s_desc->m_Tables.m_pTables[0]; }
  std::vector<std::string> Line(CZTTableISAM& browser, unsigned line) {
    std::vector<std::string> cells;
    char text[512];
    for (unsigned c = 0; c < 4; ++c) {
      unsigned n = browser.GetDataField(line, c, text, sizeof(text));
      if (n == kNone) break;
      cells.push_back(std::string(text, n));
    }
    return cells;
  }
  void Select(CZTTblSelDesc& sel, const char* text) {
    ASSERT_EQ(sel.parse(text, unsigned(strlen(text))), 1);
    ASSERT_EQ(sel.resolve(&Item()), 1);
  }

  static ScratchDir* s_dir;
  static CZTFileDesc* s_desc;
  ISAMFILE m_file = nullptr;
  ISAMTABLE m_table = nullptr;
};
ScratchDir* TableIsam::s_dir = nullptr;
CZTFileDesc* TableIsam::s_desc = nullptr;

TEST_F(TableIsam, OpensTheSelectedTableAndLetsGoOfWhatItOpened) {
  BoxRecorder boxes;
  LogCapture log("table_isam_open.log");
  CZTTableISAM browser;
  s_desc->m_uSelTable = kNone;
  EXPECT_EQ(browser.InitISAMFile(nullptr, nullptr, s_desc, 0), FALSE);
  s_desc->m_uSelTable = 5;
  EXPECT_EQ(browser.InitISAMFile(nullptr, nullptr, s_desc, 0), FALSE);
  EXPECT_EQ(browser.InitISAMFile(nullptr, nullptr, nullptr, 0), FALSE);
  const std::string lines = log.All();
  EXPECT_NE(lines.find("0 CZTTableISAM: No table selected on InitISAMFile."), std::string::npos);
  EXPECT_NE(lines.find("0 CZTTableISAM: Cannot access table 5 on InitISAMFile."), std::string::npos);
  EXPECT_TRUE(boxes.boxes.empty());

  CZTFileDesc missing;
  missing.m_uSelTable = 0;
  unsigned position = 0;
  ASSERT_EQ(missing.InsertTable("Item", &position), 1);
  ztStrCopy(missing.m_szFileName, s_dir->File("missing.isa").c_str(), sizeof(missing.m_szFileName));
  EXPECT_EQ(browser.InitISAMFile(nullptr, nullptr, &missing, 0), FALSE);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].code, unsigned(ISAM_ERR_OPEN));
  EXPECT_EQ(boxes.boxes[0].kind, unsigned(ZT_BOX_ENGINE));
  EXPECT_NE(boxes.boxes[0].text.find("Funktion: ISAMOpen\n"), std::string::npos);
  EXPECT_NE(boxes.boxes[0].text.find("missing.isa"), std::string::npos);
  EXPECT_EQ(browser.m_hFile, nullptr);

  // A table the file does not hold: the file opened for it is closed again.
  missing.m_Tables.m_pTables[0].m_szName[0] = 'X';
  ztStrCopy(missing.m_szFileName, s_desc->m_szFileName, sizeof(missing.m_szFileName));
  EXPECT_EQ(browser.InitISAMFile(nullptr, nullptr, &missing, 1), FALSE);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].code, unsigned(ISAM_ERR_NO_TABLE));
  EXPECT_NE(boxes.boxes[1].text.find("Funktion: ISAMOpenTable\n"), std::string::npos);
  EXPECT_EQ(browser.m_hFile, nullptr);

  // Opened for writing twice: the second call lets go of the first file (a
  // writer left open would lock the second out).
  TearDown();
  s_desc->m_uSelTable = 0;
  ASSERT_EQ(browser.InitISAMFile(nullptr, nullptr, s_desc, 1), TRUE);
  ASSERT_EQ(browser.InitISAMFile(nullptr, nullptr, s_desc, 1), TRUE);
  EXPECT_EQ(browser.m_bFileOwned, 1u);
  EXPECT_EQ(browser.m_uRecordSize, unsigned(kRecordSize));
  EXPECT_EQ(browser.CloseTable(), TRUE);
  EXPECT_EQ(browser.m_pRecord, nullptr);
  EXPECT_EQ(browser.m_Cache.m_pBuffers, nullptr);
  ISAMFILE writer = nullptr;
  unsigned detail = 0;
  ASSERT_EQ(ISAMOpen(&writer, s_desc->m_szFileName, ISAM_OPEN_READWRITE, &detail), 0u);
  ISAMClose(writer, &detail);
  EXPECT_EQ(boxes.boxes.size(), 2u);
  SetUp();
}

TEST_F(TableIsam, HandlesItIsGivenStayOpen) {
  BoxRecorder boxes;
  {
    CZTTableISAM browser;
    ASSERT_EQ(browser.InitISAMFile(m_file, m_table, s_desc, 0), TRUE);
    EXPECT_EQ(browser.m_bFileOwned + browser.m_bTableOwned, 0u);
    ASSERT_EQ(browser.DisplayTable(kIndexNo, 0, 0), TRUE);
    EXPECT_EQ(Line(browser, 2)[0], "1002");
    EXPECT_EQ(browser.CloseTable(), TRUE);
  }
  unsigned count = 0;
  EXPECT_EQ(ISAMGetRecordCount(m_table, &count), 0u);
  EXPECT_EQ(count, kItems);
  {
    // Only the file given: the table is the browser's own.
    CZTTableISAM browser;
    ASSERT_EQ(browser.InitISAMFile(m_file, nullptr, s_desc, 0), TRUE);
    EXPECT_EQ(browser.m_bTableOwned, 1u);
    EXPECT_NE(browser.m_hTable, m_table);
  }
  EXPECT_EQ(ISAMGetTableCount(m_file, &count), 0u);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TableIsam, InitTableSetsUpTheGridForOwnerData) {
  BoxRecorder boxes;
  LogCapture log("table_isam_grid.log");
  CZTTableISAM browser;
  ASSERT_EQ(browser.InitISAMFile(m_file, m_table, s_desc, 0), TRUE);
  zt_test::RecordingGrid grid;
  ASSERT_EQ(browser.InitTableOn(&grid), TRUE);
  EXPECT_EQ(browser.m_pGrid, &grid);
  const std::vector<std::string> expected = {"DeleteAllItems(0)",
                                             "SetColumnCount(4,0)",
                                             "SetColumnHeader(0,10,1,No,0)",
                                             "SetColumnType(0,0,0,0x02)",
                                             "SetColumnHeader(1,50,0,Name,0)",
                                             "SetColumnType(1,0,1,0x02)",
                                             "SetColumnHeader(2,10,0,Grp,0)",
                                             "SetColumnType(2,0,2,0x02)",
                                             "SetColumnHeader(3,30,1,Amount,0)",
                                             "SetColumnType(3,0,3,0x00)",
                                             "AddStyle(0x8001)"};
  EXPECT_EQ(grid.calls, expected);
  EXPECT_EQ(grid.style, unsigned(GS_OWNERDATA | GS_GRIDLINES));

  ASSERT_EQ(browser.DisplayTable(kIndexNo, 0, 1), TRUE);
  EXPECT_EQ(grid.itemCount, kItems);
  EXPECT_EQ(grid.GetItemCount(), kItems);
  EXPECT_EQ(grid.parameter, reinterpret_cast<UINT_PTR>(&browser));
  EXPECT_EQ(grid.Row(0), (std::vector<std::string>{"3999", "Richter", "D0", "-6768"}));

  EXPECT_EQ(browser.InitTableOn(nullptr), FALSE);
  EXPECT_EQ(browser.m_pGrid, nullptr);
#ifndef _WIN32
  EXPECT_EQ(browser.InitTable(nullptr, 100), FALSE);  // no windows natively
#endif
  EXPECT_NE(log.All().find("0 CZTTableData: Error on displaying the grid column headers."), std::string::npos);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TableIsam, ShowsBothDirectionsAsAPlainWalkDoes) {
  BoxRecorder boxes;
  CZTTableISAM browser;
  zt_test::RecordingGrid grid;
  ASSERT_EQ(browser.InitISAMFile(m_file, m_table, s_desc, 0), TRUE);
  ASSERT_EQ(browser.InitTableOn(&grid), TRUE);
  for (unsigned direction : {0u, 1u}) {
    const std::vector<std::string> reference = PlainWalk(m_table, kIndexName, direction != 0, Item(), nullptr);
    grid.calls.clear();
    ASSERT_EQ(browser.DisplayTable(kIndexName, 0, direction), TRUE);
    EXPECT_EQ(grid.calls, (std::vector<std::string>{"DeleteAllItems(0)", "SetItemCount(3000,0)"}));
    for (unsigned row : {0u, 1u, 2u, 39u, 40u, 2990u, 2999u, 1500u, 7u})
      ASSERT_EQ(grid.Row(row), Cells(Item(), reference[row])) << "row " << row << " direction " << direction;
    EXPECT_TRUE(grid.Row(kItems).empty());
    // The same display again does nothing.
    grid.calls.clear();
    EXPECT_EQ(browser.DisplayTable(kIndexName, 99, direction), TRUE);
    EXPECT_TRUE(grid.calls.empty());
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TableIsam, AJumpReadsOneRecord) {
  CZTTableISAM browser;
  ASSERT_EQ(browser.InitISAMFile(m_file, m_table, s_desc, 0), TRUE);
  ASSERT_EQ(browser.DisplayTable(kIndexNo, 0, 0), TRUE);
  EXPECT_EQ(browser.m_uRecordReads, 1u);  // line 0
  // Far away: found by its number in the index; near: the entries in between
  // are passed over without their records.
  EXPECT_EQ(Line(browser, 2500)[0], "3500");
  EXPECT_EQ(browser.m_uRecordReads, 2u);
  EXPECT_EQ(Line(browser, 2495)[0], "3495");
  EXPECT_EQ(browser.m_uRecordReads, 3u);
  EXPECT_EQ(Line(browser, 2500)[0], "3500");  // still held
  EXPECT_EQ(Line(browser, 2496)[0], "3496");
  EXPECT_EQ(browser.m_uRecordReads, 4u);
}

TEST_F(TableIsam, LinesBeyondTheCacheAreFoundAgain) {
  CZTTableISAM browser;
  ASSERT_EQ(browser.InitISAMFile(nullptr, nullptr, s_desc, 0), TRUE);
  ASSERT_EQ(browser.DisplayTable(kIndexNo, 0, 1), TRUE);
  for (unsigned line = 0; line < 1500; ++line) ASSERT_EQ(Line(browser, line)[0], std::to_string(3999 - line));
  EXPECT_EQ(browser.m_uRecordReads, 1500u);  // one read per line scrolled
  EXPECT_EQ(browser.m_Cache.FindRecord(0), nullptr);
  ASSERT_NE(browser.m_Cache.FindRecord(1499 - 1023), nullptr);
  EXPECT_EQ(browser.m_Cache.FindRecord(1499 - 1023)->pData, nullptr);  // address only
  EXPECT_EQ(Line(browser, 0)[0], "3999");
  EXPECT_EQ(Line(browser, 480)[0], "3519");
  EXPECT_EQ(Line(browser, 1499)[0], "2500");
}

// A caller reading through the browser's m_hTable between two lines does not
// move the position the browser reads on from.
TEST_F(TableIsam, ReadsThroughItsHandleLeaveTheLinesRight) {
  CZTTableISAM browser;
  ASSERT_EQ(browser.InitISAMFile(nullptr, nullptr, s_desc, 0), TRUE);
  CZTTblSelDesc sel;
  Select(sel, "Grp = B*");
  for (CZTTblSelDesc* selection : {static_cast<CZTTblSelDesc*>(nullptr), &sel}) {
    const std::vector<std::string> reference = PlainWalk(m_table, kIndexName, false, Item(), selection);
    browser.SetSelection(selection);
    ASSERT_EQ(browser.DisplayTable(kIndexName, 0, 0), TRUE);
    BYTE record[kRecordSize];
    unsigned address = 0;
    for (unsigned line = 0; line < 200; ++line) {
      ASSERT_EQ(Line(browser, line), Cells(Item(), reference[line])) << "line " << line;
      // The caller's own walk over the same index, from its far end.
      ASSERT_EQ(ISAMSetupIterationLimits(browser.m_hTable, kIndexName, ISAM_ITER_BACKWARD, nullptr, nullptr), 0u);
      ASSERT_EQ(ISAMReadNextRecord(browser.m_hTable, kIndexName, record, &address, nullptr), 0u);
    }
    browser.SetSelection(nullptr);
  }
  EXPECT_EQ(browser.CloseTable(), TRUE);
}

TEST_F(TableIsam, EmptyTablesAndCellsOutsideTheTable) {
  BoxRecorder boxes;
  LogCapture log("table_isam_empty.log");
  CZTTableISAM browser;
  char text[64];
  s_desc->m_uSelTable = 1;
  ASSERT_EQ(browser.InitISAMFile(nullptr, nullptr, s_desc, 0), TRUE);
  EXPECT_EQ(browser.GetDataField(0, 0, text, sizeof(text)), kNone);  // nothing displayed yet
  zt_test::RecordingGrid grid;
  ASSERT_EQ(browser.InitTableOn(&grid), TRUE);
  ASSERT_EQ(browser.DisplayTable(kIndexGrp, 0, 0), TRUE);
  EXPECT_EQ(grid.itemCount, 0u);
  EXPECT_EQ(browser.GetDataField(0, 0, text, sizeof(text)), kNone);
  EXPECT_NE(log.All().find("1 CZTTableISAM: No isam data record in index tree 2"), std::string::npos);

  s_desc->m_uSelTable = 0;
  ASSERT_EQ(browser.InitISAMFile(nullptr, nullptr, s_desc, 0), TRUE);
  ASSERT_EQ(browser.DisplayTable(kIndexNo, 0, 0), TRUE);
  EXPECT_EQ(browser.GetDataField(3, 4, text, sizeof(text)), kNone);  // beyond the fields
  EXPECT_EQ(browser.GetDataField(kItems, 0, text, sizeof(text)), kNone);
  EXPECT_EQ(browser.GetDataField(3, 0, text, 3), 2u);  // cut to the buffer
  EXPECT_STREQ(text, "10");

  // An index the table does not have: the engine's box, and the same call again
  // tries again rather than claiming a display.
  EXPECT_EQ(browser.DisplayTable(7, 0, 0), FALSE);
  EXPECT_EQ(browser.DisplayTable(7, 0, 0), FALSE);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].code, unsigned(ISAM_ERR_INDEX));
  EXPECT_NE(boxes.boxes[0].text.find("Funktion: ISAMGetIndexDesc\n"), std::string::npos);
  EXPECT_NE(log.All().find("0 CZTTableISAM: Cannot inquire the number of records."), std::string::npos);
  EXPECT_EQ(browser.GetDataField(3, 0, text, sizeof(text)), kNone);
}

TEST_F(TableIsam, SelectionsThatPickNothingOneOrEveryRecord) {
  BoxRecorder boxes;
  LogCapture log("table_isam_select.log");
  CZTTableISAM browser;
  ASSERT_EQ(browser.InitISAMFile(m_file, m_table, s_desc, 0), TRUE);
  struct Case {
    const char* text;
    unsigned count;
  } cases[] = {{"No = 17", 0},
               {"No = 2345", 1},
               {"No >= 1000", kItems},
               {"Name = Mey* AND Amount > 0", kNone},
               {"Grp = B1 OR Grp = C2", kNone},
               {"Grp = B*", kNone},
               {"Name = Koch", kNone}};
  for (const Case& c : cases) {
    CZTTblSelDesc sel;
    Select(sel, c.text);
    const std::vector<std::string> all = PlainWalk(m_table, kIndexNo, false, Item(), &sel);
    if (c.count != kNone) {
      ASSERT_EQ(all.size(), c.count) << c.text;
    }
    EXPECT_EQ(browser.SetSelection(&sel), all.size()) << c.text;
    for (unsigned index : {kIndexNo, kIndexName, kIndexGrp}) {
      for (unsigned direction : {0u, 1u}) {
        const std::vector<std::string> reference = PlainWalk(m_table, index, direction != 0, Item(), &sel);
        ASSERT_EQ(browser.DisplayTable(index, 0, direction), TRUE);
        ASSERT_EQ(browser.m_uLineCount, reference.size());
        const unsigned n = unsigned(reference.size());
        for (unsigned line : {0u, 1u, n / 2, n - 1, n - 2, 5u, n / 3})
          if (line < n) {
            ASSERT_EQ(Line(browser, line), Cells(Item(), reference[line])) << c.text << " line " << line;
          }
        EXPECT_TRUE(Line(browser, n).empty());
      }
    }
    // A new selection always displays anew.
    EXPECT_EQ(browser.SetSelection(&sel), all.size());
    ASSERT_EQ(browser.DisplayTable(kIndexNo, 0, 0), TRUE);
    EXPECT_EQ(browser.m_uLineCount, all.size());
    browser.SetSelection(nullptr);
  }
  EXPECT_NE(log.All().find("1 CZTTableISAM: No isam data record in index tree 0"), std::string::npos);
  EXPECT_TRUE(boxes.boxes.empty());
}

// Deleted records leave gaps among the addresses, which the counts must not
// take for records; inserts after the deletes fill some of them again.
TEST(TableIsamGaps, SelectionsAndJumpsOverDeletedRecords) {
  ScratchDir dir("table_isam_gaps");
  BoxRecorder boxes;
  CZTFileDesc desc;
  MakeItemFile(dir, desc, 4000, 5);
  ISAMFILE file = nullptr;
  ISAMTABLE table = nullptr;
  unsigned detail = 0;
  ASSERT_EQ(ISAMOpen(&file, desc.m_szFileName, ISAM_OPEN_READWRITE, &detail), 0u);
  ASSERT_EQ(ISAMOpenTable(file, "Item", &table), 0u);
  ASSERT_EQ(ISAMSetupIterationLimits(table, kIndexNo, ISAM_ITER_FORWARD, nullptr, nullptr), 0u);
  std::vector<unsigned> addresses;
  std::string r(kRecordSize, '\0');
  unsigned address = 0;
  while (ISAMReadNextRecord(table, kIndexNo, &r[0], &address, nullptr) == 0) addresses.push_back(address);
  for (size_t i = 0; i < addresses.size(); i += 3) ASSERT_EQ(ISAMDeleteRecord(table, addresses[i]), 0u);
  for (unsigned i = 0; i < 200; ++i) {
    const std::string item = ItemRecord(5000 + i, 5);
    ASSERT_EQ(ISAMInsertRecord(table, item.data(), &address), 0u);
  }
  const CZTTableDesc& item = desc.m_Tables.m_pTables[0];
  CZTTableISAM browser;
  ASSERT_EQ(browser.InitISAMFile(file, table, &desc, 0), TRUE);
  for (const char* text :
       {(const char*)nullptr, "Name = Koch", "Grp = B1 OR Amount > 5000", "Name = W* AND Amount < 0"}) {
    CZTTblSelDesc sel;
    if (text) {
      ASSERT_EQ(sel.parse(text, unsigned(strlen(text))), 1);
      ASSERT_EQ(sel.resolve(&item), 1);
    }
    browser.SetSelection(text ? &sel : nullptr);
    for (unsigned index : {kIndexNo, kIndexName, kIndexGrp}) {
      const std::vector<std::string> reference = PlainWalk(table, index, true, item, text ? &sel : nullptr);
      ASSERT_EQ(browser.DisplayTable(index, 0, 1), TRUE);
      ASSERT_EQ(browser.m_uLineCount, reference.size()) << (text ? text : "all") << " index " << index;
      for (unsigned line = 0; line < reference.size(); line += 1 + line % 97) {
        char cell[512];
        const unsigned n = browser.GetDataField(line, 1, cell, sizeof(cell));
        ASSERT_EQ(std::string(cell, n == kNone ? 0 : n), Cells(item, reference[line])[1]) << line;
      }
    }
  }
  browser.CloseTable();
  ISAMCloseTable(table);
  ISAMClose(file, &detail);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TableIsam, FindRecordStopsAtTheLastLine) {
  CZTTableISAM browser;
  ASSERT_EQ(browser.InitISAMFile(m_file, m_table, s_desc, 0), TRUE);
  ASSERT_EQ(browser.DisplayTable(kIndexNo, 0, 0), TRUE);
  CZTTblSelDesc sel;
  Select(sel, "Name = Meyer AND Amount < 0");
  const std::vector<std::string> all = PlainWalk(m_table, kIndexNo, false, Item(), &sel);
  ASSERT_GE(all.size(), 2u);
  uint32_t first = 0, second = 0;
  memcpy(&first, &all[0][kNo], 4);
  memcpy(&second, &all[1][kNo], 4);
  EXPECT_EQ(browser.FindRecord(&sel, 0), first - 1000);
  EXPECT_EQ(browser.FindRecord(&sel, first - 1000), first - 1000);
  EXPECT_EQ(browser.FindRecord(&sel, first - 999), second - 1000);
  EXPECT_EQ(browser.FindRecord(nullptr, 17), 17u);
  CZTTblSelDesc none;
  Select(none, "No = 17");
  const unsigned reads = browser.m_uRecordReads;
  EXPECT_EQ(browser.FindRecord(&none, 100), kNone);
  EXPECT_LE(browser.m_uRecordReads - reads, kItems);
  EXPECT_EQ(browser.FindRecord(&none, kItems), kNone);
  EXPECT_EQ(browser.FindRecord(nullptr, kItems + 5), kNone);
}

TEST_F(TableIsam, ImageNamesFromThePatterns) {
  BoxRecorder boxes;
  LogCapture log("table_isam_image.log");
  CZTTableISAM browser;
  ASSERT_EQ(browser.InitISAMFile(m_file, m_table, s_desc, 0), TRUE);
  ASSERT_EQ(browser.DisplayTable(kIndexNo, 0, 0), TRUE);
  CICLName name;
  ASSERT_EQ(browser.GetImageName(&name, "C:\\Bilder\\", 6, 0), TRUE);
  EXPECT_STREQ(name.m_szFileName, "C:\\Bilder\\img_007.jpg");
  EXPECT_EQ(name.GetNumber(), 0u);
  // The field without its blanks and without the backslash before "#"; the
  // image number from a field.
  const std::string line6 = ItemRecord(6, 1);
  const std::string field = line6.substr(kName, line6.find(' ', kName) - kName);
  ASSERT_EQ(browser.GetImageName(&name, nullptr, 6, 1), TRUE);
  EXPECT_EQ(std::string(name.m_szFileName), field + "_00006_.tif");
  EXPECT_EQ(name.GetNumber(), 1006u);
  ASSERT_EQ(browser.GetImageName(&name, nullptr, 6, 2), TRUE);
  char program[MAX_PATH];
  ASSERT_EQ(ztModulePath(nullptr, program, sizeof(program)), 1);
  EXPECT_EQ(std::string(name.m_szFileName), std::string(program) + "/x");
  EXPECT_EQ(browser.GetImageName(&name, nullptr, 6, 3), FALSE);
  // A format from the file reads no argument that is not there.
  ASSERT_EQ(browser.GetImageName(&name, nullptr, 6, 4), TRUE);
  EXPECT_STREQ(name.m_szFileName, "50%%s6%x");
  // A "#" that starts no closed token stands for itself.
  ASSERT_EQ(browser.GetImageName(&name, nullptr, 6, 5), TRUE);
  EXPECT_STREQ(name.m_szFileName, "a#b#Fx");
  EXPECT_EQ(browser.GetImageName(&name, nullptr, 6, 7), FALSE);
  EXPECT_EQ(browser.GetImageName(&name, nullptr, kItems, 1), FALSE);  // no such line
  const std::string lines = log.All();
  EXPECT_NE(lines.find("0 CZTTableISAM: Field <Nope> not found in table record description."), std::string::npos);
  EXPECT_NE(lines.find("0 CZTTableISAM: GetImageName: No access to image 7 possible."), std::string::npos);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TableIsam, ImageNamesNeverPassTheirBuffer) {
  CZTTableISAM browser;
  ASSERT_EQ(browser.InitISAMFile(m_file, m_table, s_desc, 0), TRUE);
  ASSERT_EQ(browser.DisplayTable(kIndexNo, 0, 0), TRUE);
  CICLName name;
  // ".\" + "img_007.jpg" (11 characters): a base directory of 248 gives 259.
  const std::string base(248, 'b');
  ASSERT_EQ(browser.GetImageName(&name, base.c_str(), 6, 0), TRUE);
  EXPECT_EQ(strlen(name.m_szFileName), 259u);
  EXPECT_EQ(browser.GetImageName(&name, (base + "c").c_str(), 6, 0), FALSE);
  EXPECT_EQ(browser.GetImageName(&name, std::string(5000, 'd').c_str(), 6, 0), FALSE);
  EXPECT_EQ(strlen(name.m_szFileName), 259u);  // the name object keeps the last good name
  // Five field texts of 2 characters: short, never a fault.
  ASSERT_EQ(browser.GetImageName(&name, nullptr, 6, 6), TRUE);
  EXPECT_EQ(strlen(name.m_szFileName), 10u);
}

}  // namespace
