// "GridColumn:" and "SortColumn:" lines written and read back.
#include "zt_tbl32/grid_desc.h"

#include <gtest/gtest.h>

#include <stddef.h>
#include <string.h>

#include <string>

#include "model_test_support.h"

namespace {

std::string EditText(const CZTConfFile& conf) { return std::string(conf.m_pEditText, conf.m_uEditLength); }

const char kBlock[] =
    "List: \n"
    "SortColumn: 3, 1\n"
    "GridColumn: 4, 0x31, 2, 1, 25, 0x112233, 0x445566, 0xA0B0C0, 0x0A0B0C, \"Name*\", \"Kunde\"\n"
    "GridColumn: 0, 0x20, 0, 0,  5, 0x112233, 0x445566, 0xA0B0C0, 0x0A0B0C, \"Ort\", \"Ort \"\"alt\"\"\"\n"
    "GridColumn: \"Plz\", \"PLZ\"\n"
    "List: END\n";

TEST(GridDescFile, ColumnsReadWithTheirColoursAndDefaults) {
  CZTConfFile conf;
  ASSERT_EQ(conf.ReadIt(kBlock, sizeof(kBlock) - 1), 1);
  ASSERT_EQ(conf.SelectBlock("LIST"), 1);
  CGridDesc desc(&ztTbl32Lib, 0xFFFFFFFF, 0, 0x19);
  ASSERT_EQ(desc.ParseDesc(conf, nullptr), TRUE);
  EXPECT_EQ(desc.m_uSort1, 3u);
  EXPECT_EQ(desc.m_uSort2, 1u);
  ASSERT_EQ(desc.m_uColCount, 3u);
  const SColumnDesc& a = desc.m_pColumns[0];
  EXPECT_EQ(a.type, 4);
  EXPECT_EQ(a.flags, 0x31);
  EXPECT_EQ(a.justification, 2);
  EXPECT_EQ(a.fourth, 1);
  EXPECT_EQ(a.width, 25u);
  EXPECT_EQ(a.spare, 0xFFFFFFFFu);
  // 0xRRGGBB in the file, COLORREF (red lowest) in memory.
  EXPECT_EQ(a.backEven, 0x332211u);
  EXPECT_EQ(a.textEven, 0x665544u);
  EXPECT_EQ(a.backOdd, 0xC0B0A0u);
  EXPECT_EQ(a.textOdd, 0x0C0B0Au);
  EXPECT_STREQ(a.szJoker, "Name*");
  EXPECT_STREQ(a.szHeader, "Kunde");
  // Without flag 0x10 the backgrounds stay white whatever the line says.
  const SColumnDesc& b = desc.m_pColumns[1];
  EXPECT_EQ(b.backEven, 0xFFFFFFu);
  EXPECT_EQ(b.backOdd, 0xFFFFFFu);
  EXPECT_EQ(b.textEven, 0x665544u);
  EXPECT_STREQ(b.szHeader, "Ort \"alt\"");
  // Only the two texts: everything else defaults.
  const SColumnDesc& c = desc.m_pColumns[2];
  EXPECT_EQ(c.type, 0);
  EXPECT_EQ(c.flags, 0);
  EXPECT_EQ(c.width, 0u);
  EXPECT_EQ(c.backEven, 0xFFFFFFu);
  EXPECT_EQ(c.backOdd, 0xFFFFFFu);
  EXPECT_EQ(c.textEven, 0u);
  EXPECT_EQ(c.textOdd, 0u);
  EXPECT_EQ(c.commandId, 2u);
}

TEST(GridDescFile, BlockWritesAndReadsBackUnchanged) {
  CZTConfFile conf;
  ASSERT_EQ(conf.ReadIt(kBlock, sizeof(kBlock) - 1), 1);
  ASSERT_EQ(conf.SelectBlock("LIST"), 1);
  CGridDesc desc(&ztTbl32Lib, 0xFFFFFFFF, 0, 0x19);
  ASSERT_EQ(desc.ParseDesc(conf, nullptr), TRUE);

  CZTConfFile writer;
  writer.StartEdit(0x10000, 8, 32, 24, 80, 104);
  EXPECT_EQ(desc.EditDesc(writer, "List"), TRUE);
  const std::string text = EditText(writer);
  // Widths "%2u"; colours of clear flags as 0x000000.
  EXPECT_NE(text.find("4, 0x31, 2, 1, 25, 0x112233, 0x445566, 0xA0B0C0, 0x0A0B0C, \"Name*\", \"Kunde\""),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("0, 0x20, 0, 0,  5, 0x000000, 0x445566, 0x000000, 0x0A0B0C, \"Ort\", \"Ort \"\"alt\"\"\""),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("0, 0x00, 0, 0,  0, 0x000000, 0x000000, 0x000000, 0x000000, \"Plz\", \"PLZ\""), std::string::npos)
      << text;
  EXPECT_NE(text.find("3, 1"), std::string::npos);
  EXPECT_LT(text.find("SortColumn:"), text.find("GridColumn:"));
  EXPECT_NE(text.find("END"), std::string::npos);

  CZTConfFile reread;
  ASSERT_EQ(reread.ReadIt(text.data(), unsigned(text.size())), 1);
  ASSERT_EQ(reread.SelectBlock("LIST"), 1);
  CGridDesc back(&ztTbl32Lib, 0xFFFFFFFF, 0, 0x19);
  ASSERT_EQ(back.ParseDesc(reread, nullptr), TRUE);
  ASSERT_EQ(back.m_uColCount, 3u);
  EXPECT_EQ(back.m_uSort1, 3u);
  for (unsigned i = 0; i < 3; ++i) {
    const SColumnDesc &x = back.m_pColumns[i], &y = desc.m_pColumns[i];
    EXPECT_EQ(memcmp(&x, &y, offsetof(SColumnDesc, szHeader)), 0) << i;
    EXPECT_STREQ(x.szHeader, y.szHeader);
    EXPECT_STREQ(x.szJoker, y.szJoker);
  }
  CZTConfFile again;
  again.StartEdit(0x10000, 8, 32, 24, 80, 104);
  back.EditDesc(again, "List");
  EXPECT_EQ(EditText(again), text);
}

TEST(GridDescFile, MissingLinesAndBadColumns) {
  zt_test::BoxRecorder boxes;
  zt_test::LogCapture log;
  const char onlySort[] = "SortColumn: 4\n";
  CZTConfFile conf;
  ASSERT_EQ(conf.ReadIt(onlySort, sizeof(onlySort) - 1), 1);
  CGridDesc desc(&ztTbl32Lib, 0xFFFFFFFF, 0, 0);
  EXPECT_EQ(desc.ParseDesc(conf, nullptr), FALSE);
  EXPECT_EQ(desc.m_uSort1, 4u);
  EXPECT_EQ(desc.m_uSort2, 0u);
  EXPECT_EQ(desc.m_pColumns, nullptr);

  const char noSort[] = "GridColumn: 1, 0, 0, 0, 10, \"J\", \"H\"\n";
  CZTConfFile c2;
  ASSERT_EQ(c2.ReadIt(noSort, sizeof(noSort) - 1), 1);
  desc.m_uSort1 = desc.m_uSort2 = 9;
  EXPECT_EQ(desc.ParseDesc(c2, nullptr), TRUE);
  EXPECT_EQ(desc.m_uSort1, 0u);
  EXPECT_EQ(desc.m_uSort2, 0u);

  const char bad[] =
      "GridColumn: 1, 0, 0, 0, 10, \"J\", \"H\"\n"
      "GridColumn: 1, 0, 0, 0, 10, \"\", \"H\"\n";
  CZTConfFile c3;
  ASSERT_EQ(c3.ReadIt(bad, sizeof(bad) - 1), 1);
  EXPECT_EQ(desc.ParseDesc(c3, nullptr), FALSE);
  EXPECT_EQ(desc.m_pColumns, nullptr);
  EXPECT_EQ(desc.m_uColCount, 0u);
  EXPECT_EQ(c3.m_bRange, 0);  // sequential reading ended

  const char noHeader[] = "GridColumn: 1, \"J\", \"\"\n";
  CZTConfFile c4;
  ASSERT_EQ(c4.ReadIt(noHeader, sizeof(noHeader) - 1), 1);
  EXPECT_EQ(desc.ParseDesc(c4, nullptr), FALSE);
  const char malformed[] = "GridColumn: 1, 99999999999, \"J\", \"H\"\n";
  CZTConfFile c5;
  ASSERT_EQ(c5.ReadIt(malformed, sizeof(malformed) - 1), 1);
  EXPECT_EQ(desc.ParseDesc(c5, nullptr), FALSE);

  EXPECT_EQ(boxes.Codes(), (std::vector<unsigned>{1030, 1021, 1022, 1020}));
  const std::string lines = log.All();
  EXPECT_NE(lines.find("0 CGridDesc: No keywords \"GRIDCOLUMN\" found in configuration file"), std::string::npos);
  EXPECT_NE(lines.find("0 CGridDesc: Joker name ist empty in grid column GRIDCOLUMN(1)"), std::string::npos);
  EXPECT_NE(lines.find("0 CGridDesc: Header text is empty in grid column GRIDCOLUMN(0)"), std::string::npos);
  EXPECT_NE(lines.find("0 CGridDesc: Error on reading an object definition"), std::string::npos);

  // Without a block name and without columns: only the sort line.
  CGridDesc none(&ztTbl32Lib, 0xFFFFFFFF, 0, 0);
  none.m_uSort1 = 1;
  none.m_uSort2 = 2;
  CZTConfFile writer;
  writer.StartEdit(0x10000, 8, 32, 24, 80, 104);
  EXPECT_EQ(none.EditDesc(writer, ""), TRUE);
  const std::string text = EditText(writer);
  EXPECT_NE(text.find("SortColumn:"), std::string::npos);
  EXPECT_EQ(text.find("GridColumn:"), std::string::npos);
  EXPECT_EQ(text.find("END"), std::string::npos);
}

}  // namespace
