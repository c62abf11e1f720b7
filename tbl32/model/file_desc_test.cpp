#include <string.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "test_support.h"
#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/file_desc.h"
#include "zt_tbl32/grid_def.h"
#include "zt_tbl32/history.h"

namespace {

std::string Part(unsigned type, const char* field) {
  return std::string("KeyPart: \"") + ISAMKeyType(type) + "\", \"" + field + "\"\n";
}

std::string TableBlock(const char* name, const std::string& extra = "") {
  return std::string("Table: \"") + name +
         "\"\nIndexNodeSize: 1024\n"
         "Field:  0, 10, 7, 0x0000, 0, 0x0000, 0, 50, \"Name\"\n"
         "Field: 10,  4, 2, 0x0011, 1, 0x0011, 1, 50, \"Count\"\n"
         "Key: 1, 0, 0, 0, 0\n" +
         Part(ISAM_KEY_TEXT, "Name") + "Key: 0\n" + Part(ISAM_KEY_INT32, "Count") + Part(ISAM_KEY_TEXT, "Name") +
         extra + "Table: END\n";
}

const char kHeader[] = "; a description file written by hand\n;\n";

TEST(FileDesc, ReadsWritesAndReadsBackADescriptionFile) {
  ScratchDir dir("file_desc_round");
  std::string name = dir.File("two.cfg");
  ASSERT_TRUE(ztWriteTestFile(name, kHeader + TableBlock("Article") + ";\n" +
                                        TableBlock("Supplier", "GalleryLayout: 1\nImageFileName: \"#T.jpg\"\n")));
  BoxRecorder boxes;
  CZTFileDesc desc;
  ASSERT_EQ(desc.InitDescEdit(nullptr, name.c_str(), 0), 1);
  EXPECT_EQ(desc.m_bIsamFile, 0u);
  EXPECT_EQ(desc.m_bNewFile, 0u);
  EXPECT_STREQ(desc.m_szFileName, name.c_str());
  ASSERT_EQ(desc.m_Tables.m_uCount, 2u);
  EXPECT_STREQ(desc.m_Tables.m_pTables[1].m_szName, "Supplier");
  EXPECT_EQ(desc.m_Tables.m_pTables[1].m_Gallery.m_uImgCount, 1u);
  unsigned bad = 77;
  EXPECT_EQ(desc.VerifyDesc(&bad), 1);
  EXPECT_EQ(bad, 77u);
  EXPECT_TRUE(boxes.boxes.empty());

  // Written by the library, read again and written again: the same bytes.
  ASSERT_EQ(desc.WriteDesc(), 1);
  std::string first = ztReadTestFile(name);
  EXPECT_NE(first.find("Data File Description"), std::string::npos);
  CZTFileDesc again;
  ASSERT_EQ(again.InitDescEdit(nullptr, name.c_str(), 0), 1);
  ASSERT_EQ(again.m_Tables.m_uCount, 2u);
  ASSERT_EQ(again.WriteDesc(), 1);
  EXPECT_EQ(ztReadTestFile(name), first);

  CZTFileDesc copy(again);
  EXPECT_NE(copy.m_Tables.m_pTables, again.m_Tables.m_pTables);
  EXPECT_EQ(copy.m_Tables.m_uCount, 2u);
  EXPECT_STREQ(copy.m_Tables.m_pTables[0].m_szName, "Article");
  EXPECT_EQ(copy.FindTableName("SUPPLIER"), 1u);
  EXPECT_EQ(copy.FindTableName("Customer"), 0xFFFFFFFFu);
  EXPECT_NE(copy.GetTableItem("article"), nullptr);
  EXPECT_EQ(copy.GetCTableItem("nothing"), nullptr);
}

TEST(FileDesc, AMalformedTableBlockLeavesNoTables) {
  ScratchDir dir("file_desc_malformed");
  std::string name = dir.File("bad.cfg");
  std::string second = TableBlock("Second");
  second.replace(second.find("\"Count\""), 7, "\"\"");  // a field without a name
  ASSERT_TRUE(ztWriteTestFile(name, kHeader + TableBlock("First") + second));
  BoxRecorder boxes;
  CZTFileDesc desc;
  EXPECT_EQ(desc.InitDescEdit(nullptr, name.c_str(), 0), 1);
  EXPECT_EQ(desc.m_Tables.m_uCount, 0u);
  EXPECT_EQ(desc.m_Tables.m_pTables, nullptr);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{1301});
  EXPECT_STREQ(desc.m_szFileName, name.c_str());

  boxes.boxes.clear();
  unsigned bad = 0;
  EXPECT_EQ(desc.VerifyDesc(&bad), 0);
  EXPECT_EQ(bad, 0xFFFFFFFFu);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_FILE_NO_TABLES});
}

TEST(FileDesc, FileKindsByNameAndFirstBytes) {
  ScratchDir dir("file_desc_kinds");
  BoxRecorder boxes;
  CZTFileDesc desc;
  std::string good = dir.File("good.cfg");
  ASSERT_TRUE(ztWriteTestFile(good, TableBlock("T")));
  ASSERT_EQ(desc.InitDescEdit(nullptr, good.c_str(), 0), 1);
  ASSERT_EQ(desc.m_Tables.m_uCount, 1u);

  // A missing .txt name is refused: the name stays, the tables are gone.
  EXPECT_EQ(desc.InitDescEdit(nullptr, dir.File("missing.txt").c_str(), 1), 0);
  EXPECT_STREQ(desc.m_szFileName, good.c_str());
  EXPECT_EQ(desc.m_Tables.m_uCount, 0u);

  // A missing .cfg name: taken with the create flag (after the question), refused without.
  std::string fresh = dir.File("fresh.CfG");
  EXPECT_EQ(desc.InitDescEdit(nullptr, fresh.c_str(), 0), 0);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_FILE_NOT_FOUND});
  boxes.boxes.clear();
  EXPECT_EQ(desc.InitDescEdit(nullptr, fresh.c_str(), 1), 1);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_FILE_CREATE_QUESTION});
  EXPECT_EQ(desc.m_bNewFile, 1u);
  EXPECT_EQ(desc.m_Tables.m_uCount, 0u);
  EXPECT_STREQ(desc.m_szFileName, fresh.c_str());
  EXPECT_EQ(desc.InitDescEdit(nullptr, dir.File("").c_str(), 1), 0);  // a directory

  // 00 00 00 00, four bytes, FF FF, two bytes, "ISAM" is an ISAM file (this one
  // cannot be opened); with the first byte 01 it is a description file.
  std::string head("\0\0\0\0abcd\xFF\xFFxyISAM and more", 25);
  std::string isam = dir.File("data.bin");
  ASSERT_TRUE(ztWriteTestFile(isam, head));
  boxes.boxes.clear();
  EXPECT_EQ(desc.InitDescEdit(nullptr, isam.c_str(), 0), 0);
  EXPECT_EQ(desc.m_bIsamFile, 1u);
  head[0] = 1;
  ASSERT_TRUE(ztWriteTestFile(isam, head));
  EXPECT_EQ(desc.InitDescEdit(nullptr, isam.c_str(), 0), 1);
  EXPECT_EQ(desc.m_bIsamFile, 0u);
  EXPECT_EQ(desc.m_Tables.m_uCount, 0u);
  ASSERT_TRUE(ztWriteTestFile(isam, head.substr(0, 15)));  // shorter than 16 bytes
  EXPECT_EQ(desc.InitDescEdit(nullptr, isam.c_str(), 0), 1);
  EXPECT_EQ(desc.m_bIsamFile, 0u);
}

TEST(FileDesc, AReadOnlyFileIsNeverWritten) {
  ScratchDir dir("file_desc_readonly");
  std::string name = dir.File("locked.cfg");
  std::string content = TableBlock("T");
  ASSERT_TRUE(ztWriteTestFile(name, content));
  std::filesystem::permissions(
      name,
      std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write,
      std::filesystem::perm_options::remove);
  CZTFileDesc desc;
  ASSERT_EQ(desc.InitDescEdit(nullptr, name.c_str(), 0), 1);
  EXPECT_EQ(desc.m_bReadOnly, 1u);
  ASSERT_EQ(desc.m_Tables.m_uCount, 1u);
  desc.SetTableName(0, "Changed");
  EXPECT_EQ(desc.WriteDesc(), 1);
  EXPECT_EQ(ztReadTestFile(name), content);
}

TEST(FileDesc, TableListEditing) {
  BoxRecorder boxes;
  CZTFileDesc desc;
  unsigned position = 0;
  for (const char* name : {"Alpha", "Beta", "GAMMA"}) {
    position = 100;
    ASSERT_EQ(desc.InsertTable(name, &position), 1);
  }
  EXPECT_EQ(position, 2u);
  EXPECT_EQ(desc.m_Tables.m_uAlloc, 4u);
  EXPECT_EQ(desc.m_Tables.m_pTables[2].m_uIndexNodeSize, 1024u);

  position = 0;
  ASSERT_EQ(desc.InsertTable("gamma", &position), 1);  // moved, not added
  EXPECT_EQ(desc.m_Tables.m_uCount, 3u);
  EXPECT_STREQ(desc.m_Tables.m_pTables[0].m_szName, "GAMMA");
  EXPECT_STREQ(desc.m_Tables.m_pTables[1].m_szName, "Alpha");
  EXPECT_STREQ(desc.m_Tables.m_pTables[2].m_szName, "Beta");

  position = 1;
  ASSERT_EQ(desc.InsertTable("Delta", &position), 1);
  EXPECT_STREQ(desc.m_Tables.m_pTables[1].m_szName, "Delta");
  EXPECT_EQ(desc.m_Tables.m_uCount, 4u);

  EXPECT_EQ(desc.DeleteTable(0), 1);
  EXPECT_EQ(desc.DeleteTable(3), 0);
  EXPECT_EQ(desc.m_Tables.m_uCount, 3u);
  EXPECT_STREQ(desc.m_Tables.m_pTables[0].m_szName, "Delta");
  EXPECT_EQ(desc.m_Tables.m_pTables[3].m_szName[0], 0);
  EXPECT_TRUE(boxes.boxes.empty());

  EXPECT_EQ(desc.SetTableName(5, "X"), 0);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_FILE_TABLE_INDEX});

  // The table list in a grid: one row per table.
  RecordingGrid grid;
  CGridDef def = {0, nullptr, 0xFFFFFFFFu, 0x19, &ztTbl32Lib, &grid, 0, nullptr};
  EXPECT_EQ(desc.ListTables(def), 1);
  EXPECT_TRUE(grid.Has("InsertItem(2,2,0)"));
  EXPECT_TRUE(grid.Has("SetItemText(1,0,Alpha)"));
  EXPECT_TRUE(grid.Has("SetItemUInt(1,4,1024)"));
  desc.Free();
  EXPECT_EQ(desc.ListTables(def), 0);
}

TEST(History, KeepsSixteenMostRecentEntries) {
  CZTHistory history;
  EXPECT_EQ(history.InsertItem(""), 0u);
  EXPECT_EQ(history.InsertItem(nullptr), 0u);
  char text[16];
  for (unsigned i = 0; i < 16; ++i) {
    ztFormat(text, sizeof(text), "item %u", i);
    EXPECT_EQ(history.InsertItem(text), i + 1);
  }
  EXPECT_EQ(history.InsertItem("newest"), 16u);
  EXPECT_STREQ(history.m_szItems[0], "newest");
  EXPECT_STREQ(history.m_szItems[15], "item 1");  // item 0 is gone

  EXPECT_EQ(history.InsertItem("ITEM 7"), 16u);
  EXPECT_STREQ(history.m_szItems[0], "ITEM 7");
  EXPECT_STREQ(history.m_szItems[1], "newest");
  for (unsigned i = 1; i < 16; ++i) EXPECT_STRNE(history.m_szItems[i], "item 7");

  // Written as text lines and read back within a block.
  CZTConfFile writer;
  ASSERT_TRUE(writer.StartEdit(0x10000, 8, 32, 24, 80, 104));
  EXPECT_EQ(history.WriteItems(writer, "Recent:"), 1);
  std::string text2(writer.m_pEditText, writer.m_uEditLength);
  CZTConfFile reader;
  ASSERT_TRUE(reader.ReadIt(text2.c_str(), static_cast<unsigned>(text2.size())));
  CZTHistory read;
  EXPECT_EQ(read.ParseItems(reader, "RECENT"), 1);
  ASSERT_EQ(read.m_uCount, 16u);
  EXPECT_STREQ(read.m_szItems[0], "ITEM 7");
  EXPECT_STREQ(read.m_szItems[15], history.m_szItems[15]);
}

}  // namespace
