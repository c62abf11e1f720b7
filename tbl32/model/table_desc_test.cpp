#include <string>

#include <gtest/gtest.h>

#include "test_support.h"
#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/table_desc.h"

namespace {

std::string Part(unsigned type, const char* field) {
  return std::string("KeyPart: \"") + ISAMKeyType(type) + "\", \"" + field + "\"\n";
}

// Reads the one table block of text at the top level, as a stored description is read.
int ReadTable(const std::string& text, CZTTableDesc& table) {
  CZTConfFile conf;
  EXPECT_TRUE(conf.ReadIt(text.c_str(), static_cast<unsigned>(text.size())));
  return table.ReadDef(conf, "TABLE", 0);
}

std::string WriteTable(const CZTTableDesc& table) {
  CZTConfFile conf;
  EXPECT_TRUE(conf.StartEdit(0x10000, 8, 32, 24, 80, 104));
  EXPECT_EQ(table.WriteDef(conf, "Table:"), 1);
  return std::string(conf.m_pEditText, conf.m_uEditLength);
}

const char kFields[] =
    "Field: 20, 4, 2, 0x0011, 1, 0x0011, 1, 6, \"Count\"\n"
    "Field:  0, 10, 7, 0x0000, 0, 0x0000, 0, 40, \"Name\"\n"
    "Field: 10, 10, 7, 0x0021, 1, 0x0021, 1, 20, \"Number\"\n";

TEST(TableDesc, ReadsABlockSortsFieldsAndWritesItBack) {
  BoxRecorder boxes;
  std::string text = std::string("Table: \"Stock\"\nIndexNodeSize: 512\n") + kFields + "Key: 1\n" +
                     Part(ISAM_KEY_TEXT, "Number") + "Key: 0\n" + Part(ISAM_KEY_ITEXT, "Name") +
                     Part(ISAM_KEY_INT32, "count") +
                     "GalleryLayout: 2\nGalleryDiaSize: 120, 90\nImageFileName: \"#PPN.jpg\"\n"
                     "ImageFileName: \"#SN0\\#F.tif\"\nTable: END\n";
  CZTTableDesc table;
  ASSERT_EQ(ReadTable(text, table), 1);
  EXPECT_STREQ(table.m_szName, "Stock");
  EXPECT_EQ(table.m_uIndexNodeSize, 512u);
  ASSERT_EQ(table.m_Fields.m_uCount, 3u);
  EXPECT_EQ(table.m_Fields.m_pFields[0].m_uOffset, 0u);  // 20, 0, 10 come out as 0, 10, 20
  EXPECT_EQ(table.m_Fields.m_pFields[1].m_uOffset, 10u);
  EXPECT_EQ(table.m_Fields.m_pFields[2].m_uOffset, 20u);
  ASSERT_EQ(table.m_Keys.m_uCount, 2u);
  EXPECT_EQ(table.m_Keys.m_pKeys[1].m_uPartCount, 2u);
  EXPECT_EQ(table.m_Gallery.m_bDefined, 1u);
  EXPECT_EQ(table.m_Gallery.m_uLayout, 2u);
  EXPECT_EQ(table.m_Gallery.m_uDiaWidth, 120u);
  EXPECT_EQ(table.m_Gallery.m_uDiaHeight, 90u);
  ASSERT_EQ(table.m_Gallery.m_uImgCount, 2u);
  EXPECT_STREQ(table.m_Gallery.m_pImgNames[1].m_szText, "#SN0\\#F.tif");
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(table.VerifyTable(), 1);

  // Written and read again, the block gives the same text.
  std::string written = WriteTable(table);
  CZTTableDesc again;
  ASSERT_EQ(ReadTable(written, again), 1);
  EXPECT_EQ(WriteTable(again), written);
  EXPECT_NE(written.find("GalleryDiaSize:"), std::string::npos);
}

TEST(TableDesc, DefaultsOfMissingLines) {
  CZTTableDesc fresh;
  EXPECT_EQ(fresh.m_uIndexNodeSize, 1024u);

  BoxRecorder boxes;
  CZTTableDesc bare;
  ASSERT_EQ(ReadTable("Table: \"Bare\"\nGalleryDiaSize: 120\nTable: END\n", bare), 1);
  EXPECT_EQ(bare.m_uIndexNodeSize, 2048u);
  EXPECT_EQ(bare.m_Fields.m_uCount, 0u);
  EXPECT_EQ(bare.m_Keys.m_uCount, 0u);
  EXPECT_EQ(bare.m_Gallery.m_uDiaWidth, 120u);
  EXPECT_EQ(bare.m_Gallery.m_uDiaHeight, 80u);
  EXPECT_EQ(bare.m_Gallery.m_bDefined, 0u);
  std::string written = WriteTable(bare);
  EXPECT_EQ(written.find("Gallery"), std::string::npos);
  EXPECT_EQ(written.find("ImageFileName"), std::string::npos);

  EXPECT_EQ(bare.VerifyTable(), 0);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_TBL_NO_FIELDS});
  boxes.boxes.clear();
  CZTTableDesc noKeys;
  ASSERT_EQ(ReadTable(std::string("Table: \"T\"\n") + kFields + "Table: END\n", noKeys), 1);
  EXPECT_EQ(noKeys.VerifyTable(), 0);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_TBL_NO_KEYS});
}

TEST(TableDesc, ReadFailuresAreReported) {
  BoxRecorder boxes;
  CZTTableDesc badField;
  EXPECT_EQ(ReadTable("Table: \"T\"\nField: 0, 4, 2, 0, 0, 0, 0, 0, \"\"\nTable: END\n", badField), 0);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{1301});
  EXPECT_EQ(badField.m_Fields.m_uCount, 0u);

  boxes.boxes.clear();
  CZTTableDesc noName;
  EXPECT_EQ(ReadTable("IndexNodeSize: 64\n", noName), 0);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_TBL_READ});
}

TEST(TableDesc, VerifyTableChecksNodeSizeOverlapsAndGaps) {
  // A key of 4 bytes: small enough for the smallest node size.
  std::string keyed =
      std::string("Table: \"T\"\n") + kFields + "Key: 1\n" + Part(ISAM_KEY_INT32, "Count") + "Table: END\n";
  CZTTableDesc table;
  ASSERT_EQ(ReadTable(keyed, table), 1);
  BoxRecorder boxes;
  for (unsigned size : {32u, 65535u}) {
    table.m_uIndexNodeSize = size;
    EXPECT_EQ(table.VerifyTable(), 1) << size;
  }
  table.m_uIndexNodeSize = 31;
  EXPECT_EQ(table.VerifyTable(), 0);
  table.m_uIndexNodeSize = 65536;
  EXPECT_EQ(table.VerifyTable(), 0);
  EXPECT_EQ(boxes.Codes(), (std::vector<unsigned>{ZT_ERR_TBL_NODE_SMALL, ZT_ERR_TBL_NODE_LARGE}));
  table.m_uIndexNodeSize = 2048;

  boxes.boxes.clear();
  table.m_Fields.m_pFields[1].m_uOffset = 8;  // Number now overlaps Name at bytes 8 and 9
  EXPECT_EQ(table.VerifyTable(), 0);
  ASSERT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_TBL_OVERLAP});
  EXPECT_NE(boxes.boxes[0].text.find("Name"), std::string::npos);
  EXPECT_NE(boxes.boxes[0].text.find("Number"), std::string::npos);

  boxes.boxes.clear();
  table.m_Fields.m_pFields[1].m_uOffset = 12;
  table.m_Fields.m_pFields[1].m_uLength = 8;  // bytes 10 and 11 belong to nobody
  EXPECT_EQ(table.VerifyTable(), 1);
  ASSERT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_TBL_GAP});

  // A field beyond the largest ISAM record, also where offset and length wrap in 32 bits.
  for (unsigned offset : {65532u, 0x7FFFFFF0u, 0xFFFFFFFFu}) {
    boxes.boxes.clear();
    table.m_Fields.m_pFields[2].m_uOffset = offset;
    EXPECT_EQ(table.VerifyTable(), 0) << offset;
    ASSERT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_TBL_RECORD_LARGE}) << offset;
    EXPECT_NE(boxes.boxes[0].text.find("Count"), std::string::npos) << boxes.boxes[0].text;
  }
  table.m_Fields.m_pFields[2].m_uOffset = 20;

  boxes.boxes.clear();
  table.m_szName[0] = 0;
  EXPECT_EQ(table.VerifyTable(), 0);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_TBL_READ});
}

TEST(TableDesc, InsertFieldMovesAnExistingNameOrAppends) {
  BoxRecorder boxes;
  CZTTableDesc table;
  unsigned position = 5;
  for (const char* name : {"A", "B", "C"}) {
    position = 99;
    ASSERT_EQ(table.InsertField(name, &position), 1);
  }
  EXPECT_EQ(position, 2u);
  EXPECT_EQ(table.m_Fields.m_uAlloc, 4u);

  position = 0;
  ASSERT_EQ(table.InsertField("c", &position), 1);  // moves C to the front
  EXPECT_EQ(position, 0u);
  EXPECT_EQ(table.m_Fields.m_uCount, 3u);
  EXPECT_STREQ(table.m_Fields.m_pFields[0].m_szName, "C");
  EXPECT_STREQ(table.m_Fields.m_pFields[1].m_szName, "A");
  EXPECT_STREQ(table.m_Fields.m_pFields[2].m_szName, "B");

  position = 1;
  ASSERT_EQ(table.InsertField("D", &position), 1);  // new name inside: appended, then moved
  EXPECT_STREQ(table.m_Fields.m_pFields[1].m_szName, "D");
  EXPECT_EQ(table.m_Fields.m_uCount, 4u);

  position = 10;
  ASSERT_EQ(table.InsertField("A", &position), 1);  // past the end: a second A
  EXPECT_EQ(position, 4u);
  EXPECT_EQ(table.m_Fields.m_uCount, 5u);
  EXPECT_EQ(table.m_Fields.m_uAlloc, 8u);
  EXPECT_TRUE(boxes.boxes.empty());

  EXPECT_EQ(table.SetFieldName(1, "A-very-long-field-name-of-more-than-31-characters"), 1);
  EXPECT_EQ(std::string(table.m_Fields.m_pFields[1].m_szName).size(), 31u);
  EXPECT_EQ(table.SetFieldName(5, "X"), 0);
}

TEST(TableDesc, KeyRowsKeysAndFields) {
  CZTTableDesc table;
  unsigned position = 0;
  for (const char* name : {"A", "B", "C"}) {
    position = 99;
    table.InsertField(name, &position);
  }
  position = 99;
  table.InsertKey(&position);
  position = 99;
  table.InsertKey(&position);
  EXPECT_EQ(table.m_Keys.m_uCount, 2u);
  table.m_Keys.m_pKeys[0].m_uPartCount = 2;
  table.m_Keys.m_pKeys[1].m_uPartCount = 3;
  EXPECT_EQ(table.KeyPartToIndex(0), 0u);
  EXPECT_EQ(table.KeyPartToIndex(1), 0u);
  EXPECT_EQ(table.KeyPartToIndex(2), 1u);
  EXPECT_EQ(table.KeyPartToIndex(4), 1u);
  EXPECT_EQ(table.KeyPartToIndex(5), 0xFFFFFFFFu);
  EXPECT_EQ(table.KeyPartToPart(3), 1u);
  EXPECT_EQ(table.KeyPartToPart(5), 0xFFFFFFFFu);

  table.SetKeyFieldIndex(1, 0, 2);
  table.SetKeyFieldIndex(1, 4, 0);  // part 4 does not exist: nothing changes
  EXPECT_STREQ(table.m_Keys.m_pKeys[1].m_Part[0].szFieldName, "C");
  EXPECT_EQ(table.FindKeyToFieldIndex(2), 1u);
  EXPECT_EQ(table.FindKeyToFieldIndex(0), 0xFFFFFFFFu);
  EXPECT_EQ(table.FindKeyToFieldIndex(7), 0xFFFFFFFFu);
  EXPECT_EQ(table.FindFieldToKeyIndex(1, 0), 2u);
  EXPECT_EQ(table.FindFieldToKeyIndex(1, 4), 0xFFFFFFFFu);
  EXPECT_EQ(table.FindFieldToKeyIndex(2, 0), 0xFFFFFFFFu);

  // A new key inside the list is moved to its position.
  position = 0;
  ASSERT_EQ(table.InsertKey(&position), 1);
  EXPECT_EQ(position, 0u);
  EXPECT_EQ(table.m_Keys.m_pKeys[0].m_uPartCount, 1u);
  EXPECT_EQ(table.m_Keys.m_pKeys[2].m_uPartCount, 3u);
}

TEST(TableDesc, CopiesAreDeepAndFreeTableKeepsNameAndGallery) {
  std::string text = std::string("Table: \"T\"\nIndexNodeSize: 100\n") + kFields + "Key: 1\n" +
                     Part(ISAM_KEY_TEXT, "Name") + "GalleryDiaMode: 3\nImageFileName: \"x\"\nTable: END\n";
  CZTTableDesc table;
  ASSERT_EQ(ReadTable(text, table), 1);
  CZTTableDesc copy(table);
  EXPECT_NE(copy.m_Fields.m_pFields, table.m_Fields.m_pFields);
  EXPECT_NE(copy.m_Keys.m_pKeys, table.m_Keys.m_pKeys);
  EXPECT_NE(copy.m_Gallery.m_pImgNames, table.m_Gallery.m_pImgNames);
  EXPECT_EQ(WriteTable(copy), WriteTable(table));
  CZTTableDesc assigned;
  assigned = table;
  const CZTTableDesc& self = assigned;  // assignment to itself keeps the description
  assigned = self;
  EXPECT_EQ(WriteTable(assigned), WriteTable(table));

  table.FreeTable();
  EXPECT_EQ(table.m_Fields.m_uCount, 0u);
  EXPECT_EQ(table.m_Keys.m_uAlloc, 0u);
  EXPECT_STREQ(table.m_szName, "T");
  EXPECT_EQ(table.m_uIndexNodeSize, 100u);
  EXPECT_EQ(table.m_Gallery.m_uImgCount, 1u);
  EXPECT_EQ(CmpTableName("t", &table), 0);
  EXPECT_LT(CmpTableName("S", &table), 0);
}

}  // namespace

namespace {

TEST(TableDesc, ListKeysShowsOneRowPerPart) {
  CZTTableDesc table;
  unsigned position = 99;
  table.InsertKey(&position);
  position = 99;
  table.InsertKey(&position);
  position = 99;
  table.InsertKey(&position);
  CZTKeyDesc& first = table.m_Keys.m_pKeys[0];
  first.m_uOption[1] = 1;
  first.m_uPartCount = 2;
  first.m_Part[0].uKeyType = ISAM_KEY_ITEXT;
  ztStrCopy(first.m_Part[0].szFieldName, "Name", kZTNameSize);
  first.m_Part[1].uKeyType = 999;            // unknown to the engine
  table.m_Keys.m_pKeys[1].m_uPartCount = 0;  // shows nothing
  table.m_Keys.m_pKeys[2].m_uPartCount = 1;  // type not set

  RecordingGrid grid;
  CGridDef def = {0, nullptr, 0xFFFFFFFFu, 0x19, &ztTbl32Lib, &grid, 9, nullptr};
  ASSERT_EQ(table.ListKeys(def), 1);
  EXPECT_EQ(grid.calls.front(), "DeleteAllItems(1)");
  EXPECT_TRUE(grid.Has("InsertItem(2,2,0)"));
  EXPECT_FALSE(grid.Has("InsertItem(3,3,0)"));
  EXPECT_TRUE(grid.Has("SetItemUInt(0,0,1)"));
  EXPECT_TRUE(grid.Has("SetItemUInt(0,2,1)"));
  EXPECT_TRUE(grid.Has("SetItemUInt(0,6,2)"));
  EXPECT_TRUE(grid.Has(std::string("SetItemText(0,7,") + ISAMKeyType(ISAM_KEY_ITEXT) + ")"));
  EXPECT_TRUE(grid.Has("SetItemText(0,8,Name)"));
  EXPECT_TRUE(grid.Has("SetItemText(1,0,)"));
  EXPECT_TRUE(grid.Has("SetItemUInt(1,3,4294967295)"));
  EXPECT_TRUE(grid.Has("SetItemText(1,7,?\?\?)"));
  EXPECT_TRUE(grid.Has("SetItemUInt(2,0,3)"));  // the third key, on the row after the first's parts
  EXPECT_TRUE(grid.Has("SetItemText(2,7,)"));

  grid.calls.clear();
  RecordingGrid rows;
  EXPECT_EQ(table.DispDef(&rows, 4), 1);
  EXPECT_TRUE(rows.Has("SetItemUInt(4,2,3)"));  // key count
  EXPECT_TRUE(rows.Has("SetItemUInt(4,4,1024)"));
}

}  // namespace
