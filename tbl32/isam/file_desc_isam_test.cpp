#include <string.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"
#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/file_desc.h"

namespace {

std::string Part(unsigned type, const char* field) {
  return std::string("KeyPart: \"") + ISAMKeyType(type) + "\", \"" + field + "\"\n";
}

std::string Block(const char* name, unsigned nodeSize, bool keys = true) {
  std::string text = std::string("Table: \"") + name + "\"\nIndexNodeSize: " + std::to_string(nodeSize) +
                     "\n"
                     "Field:  0, 10, 7, 0x0000, 0, 0x0000, 0, 50, \"Name\"\n"
                     "Field: 10,  4, 2, 0x0011, 1, 0x0011, 1, 30, \"Count\"\n"
                     "Field: 14,  8, 7, 0x8102, 0, 0x0102, 0, 20, \"Day\"\n";
  if (keys)
    text += "Key: 1\n" + Part(ISAM_KEY_TEXT, "Name") + "Key: 0\n" + Part(ISAM_KEY_INT32, "count") +
            Part(ISAM_KEY_TEXT, "Day") + Part(ISAM_KEY_TEXT, "Name");
  return text + "Table: END\n";
}

// A description read from a file written in dir.
void LoadDesc(CZTFileDesc& desc, const ScratchDir& dir, const std::string& content) {
  std::string name = dir.File("desc.cfg");
  ASSERT_TRUE(ztWriteTestFile(name, content));
  ASSERT_EQ(desc.InitDescEdit(nullptr, name.c_str(), 0), 1);
}

std::string TableText(const CZTTableDesc& table) {
  CZTConfFile conf;
  EXPECT_TRUE(conf.StartEdit(0x10000, 8, 32, 24, 80, 104));
  EXPECT_EQ(table.WriteDef(conf, "Table:"), 1);
  return std::string(conf.m_pEditText, conf.m_uEditLength);
}

bool Exists(const std::string& name) {
  std::error_code ec;
  return std::filesystem::exists(name, ec);
}

// The save-file dialog answered by the test.
std::string s_dialogAnswer;
int AnswerDialog(HWND, char* name, unsigned size) {
  if (s_dialogAnswer.empty()) return 0;
  ztStrCopy(name, s_dialogAnswer.c_str(), size);
  return 1;
}

class SaveDialogAnswer {
 public:
  explicit SaveDialogAnswer(const std::string& answer) {
    s_dialogAnswer = answer;
    m_old = ztSetSaveFileDialog(AnswerDialog);
  }
  ~SaveDialogAnswer() { ztSetSaveFileDialog(m_old); }

 private:
  ZTSaveFileDialog m_old;
};

unsigned RecordCount(const std::string& name, const char* table) {
  ISAMFILE file = nullptr;
  unsigned detail = 0, count = 0xFFFFFFFFu;
  if (ISAMOpen(&file, name.c_str(), ISAM_OPEN_READONLY, &detail)) return count;
  ISAMTABLE handle = nullptr;
  if (!ISAMOpenTable(file, table, &handle)) {
    ISAMGetRecordCount(handle, &count);
    ISAMCloseTable(handle);
  }
  ISAMClose(file, &detail);
  return count;
}

TEST(IsamStructure, CreatesAFileAndReadsTheDescriptionsBack) {
  ScratchDir dir("isam_create");
  BoxRecorder boxes;
  CZTFileDesc desc;
  LoadDesc(desc, dir, Block("Article", 512) + Block("Supplier", 4096));
  ASSERT_EQ(desc.m_Tables.m_uCount, 2u);
  std::string isam = dir.File("made.isa");
  ASSERT_EQ(desc.CreateISAMFile(nullptr, isam.c_str()), 1);
  EXPECT_STRNE(desc.m_szFileName, isam.c_str());  // the description keeps its own name

  CZTFileDesc back;
  ASSERT_EQ(back.InitDescEdit(nullptr, isam.c_str(), 0), 1);
  EXPECT_EQ(back.m_bIsamFile, 1u);
  ASSERT_EQ(back.m_Tables.m_uCount, 2u);
  for (unsigned t = 0; t < 2; ++t)
    EXPECT_EQ(TableText(back.m_Tables.m_pTables[t]), TableText(desc.m_Tables.m_pTables[t]));
  EXPECT_TRUE(boxes.boxes.empty());

  // An ISAM file is never written as a description file.
  EXPECT_EQ(back.WriteDesc(), 1);
  CZTFileDesc still;
  EXPECT_EQ(still.InitDescEdit(nullptr, isam.c_str(), 0), 1);
  EXPECT_EQ(still.m_Tables.m_uCount, 2u);
}

TEST(IsamStructure, AFailingTableLeavesNoFile) {
  ScratchDir dir("isam_fail");
  BoxRecorder boxes;
  CZTFileDesc desc;
  LoadDesc(desc, dir, Block("First", 1024) + Block("NoKeys", 1024, false));
  std::string isam = dir.File("never.isa");
  EXPECT_EQ(desc.CreateISAMFile(nullptr, isam.c_str()), 0);
  EXPECT_FALSE(Exists(isam));
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_IDT_NO_KEYS});

  boxes.boxes.clear();
  std::string unknown = Block("Unknown", 1024);
  unknown.replace(unknown.rfind("\"Name\""), 6, "\"Street\"");
  CZTFileDesc bad;
  LoadDesc(bad, dir, unknown);
  EXPECT_EQ(bad.CreateISAMFile(nullptr, isam.c_str()), 0);
  EXPECT_FALSE(Exists(isam));
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_IDT_FIELD});
}

TEST(IsamStructure, TheSaveDialogAsksBeforeReplacingAFile) {
  ScratchDir dir("isam_dialog");
  CZTFileDesc desc;
  LoadDesc(desc, dir, Block("T", 1024));
  std::string existing = dir.File("existing.isa");
  ASSERT_TRUE(ztWriteTestFile(existing, "precious"));

  BoxRecorder boxes;
  {
    SaveDialogAnswer cancel("");
    EXPECT_EQ(desc.CreateISAMFile(nullptr, nullptr), 0);
    EXPECT_TRUE(boxes.boxes.empty());
  }
  SaveDialogAnswer answer(existing);
  boxes.answer = IDNO;
  EXPECT_EQ(desc.CreateISAMFile(nullptr, ""), 0);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_FILE_REPLACE_QUESTION});
  EXPECT_EQ(ztReadTestFile(existing), "precious");

  boxes.boxes.clear();
  boxes.answer = IDYES;
  EXPECT_EQ(desc.CreateISAMFile(nullptr, nullptr), 1);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_FILE_REPLACE_QUESTION});
  CZTFileDesc back;
  ASSERT_EQ(back.InitDescEdit(nullptr, existing.c_str(), 0), 1);
  EXPECT_EQ(back.m_Tables.m_uCount, 1u);

  // A name given by the caller goes to the engine without a question.
  boxes.boxes.clear();
  EXPECT_EQ(desc.CreateISAMFile(nullptr, existing.c_str()), 0);
  for (unsigned code : boxes.Codes()) EXPECT_NE(code, ZT_ERR_FILE_REPLACE_QUESTION);
}

TEST(IsamStructure, TablesWithoutOrWithAnOldStoredDescription) {
  ScratchDir dir("isam_foreign");
  std::string isam = dir.File("foreign.isa");
  ISAMFILE file = nullptr;
  unsigned detail = 0;
  ASSERT_EQ(ISAMCreate(&file, isam.c_str(), &detail), 0u);
  ISAMIDT idt = {};
  idt.partCount = 1;
  idt.parts[0].keyType = ISAM_KEY_TEXT;
  idt.parts[0].length = 10;
  ASSERT_EQ(ISAMCreateTable(file, "Bare", &idt, 1, 20, 512), 0u);
  ASSERT_EQ(ISAMCreateTable(file, "Stated", &idt, 1, 22, 256), 0u);
  // The stored text claims another node size than the engine's.
  std::string stored = Block("Stated", 8192);
  ISAMTABLE table = nullptr;
  ASSERT_EQ(ISAMOpenTable(file, "Stated", &table), 0u);
  ASSERT_EQ(ISAMWriteTableDesc(table, 0, stored.c_str(), (unsigned)stored.size()), 0u);
  ISAMCloseTable(table);
  ASSERT_EQ(ISAMClose(file, &detail), 0u);

  BoxRecorder boxes;
  zt_test::LogCapture log("isam_foreign.log");
  CZTFileDesc desc;
  ASSERT_EQ(desc.InitDescEdit(nullptr, isam.c_str(), 0), 1);
  ASSERT_EQ(desc.m_Tables.m_uCount, 2u);
  const CZTTableDesc& bare = desc.m_Tables.m_pTables[0];
  EXPECT_STREQ(bare.m_szName, "Bare");
  EXPECT_EQ(bare.m_uIndexNodeSize, 512u);
  EXPECT_EQ(bare.m_Fields.m_uCount, 0u);
  EXPECT_EQ(bare.m_Keys.m_uCount, 0u);
  EXPECT_NE(log.All().find("1 CZTTableDesc: Table Bare contains no record description."), std::string::npos)
      << log.All();
  const CZTTableDesc& stated = desc.m_Tables.m_pTables[1];
  EXPECT_EQ(stated.m_uIndexNodeSize, 256u);
  EXPECT_EQ(stated.m_Fields.m_uCount, 3u);
  EXPECT_EQ(stated.m_Keys.m_uCount, 2u);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST(IsamStructure, CopyGivesTheSameStructureWithoutRecords) {
  ScratchDir dir("isam_copy");
  CZTFileDesc desc;
  LoadDesc(desc, dir, Block("Article", 512) + Block("Supplier", 2048));
  std::string source = dir.File("source.isa");
  ASSERT_EQ(desc.CreateISAMFile(nullptr, source.c_str()), 1);
  {
    ISAMFILE file = nullptr;
    unsigned detail = 0, address = 0;
    ASSERT_EQ(ISAMOpen(&file, source.c_str(), ISAM_OPEN_READWRITE, &detail), 0u);
    ISAMTABLE table = nullptr;
    ASSERT_EQ(ISAMOpenTable(file, "Article", &table), 0u);
    char record[22];
    memcpy(record,
           "Screw     \1\0\0\0"
           "20240101",
           22);
    ASSERT_EQ(ISAMInsertRecord(table, record, &address), 0u);
    ISAMCloseTable(table);
    ASSERT_EQ(ISAMClose(file, &detail), 0u);
  }
  ASSERT_EQ(RecordCount(source, "Article"), 1u);

  BoxRecorder boxes;
  std::string copy = dir.File("copy.isa");
  CZTFileDesc copier;
  ASSERT_EQ(copier.CopyISAMStructure(source.c_str(), copy.c_str()), 1);
  EXPECT_EQ(copier.m_Tables.m_uCount, 2u);
  CZTFileDesc a, b;
  ASSERT_EQ(a.InitDescEdit(nullptr, source.c_str(), 0), 1);
  ASSERT_EQ(b.InitDescEdit(nullptr, copy.c_str(), 0), 1);
  ASSERT_EQ(b.m_Tables.m_uCount, 2u);
  for (unsigned t = 0; t < 2; ++t) EXPECT_EQ(TableText(b.m_Tables.m_pTables[t]), TableText(a.m_Tables.m_pTables[t]));
  EXPECT_EQ(RecordCount(copy, "Article"), 0u);
  EXPECT_EQ(RecordCount(copy, "Supplier"), 0u);
  EXPECT_TRUE(boxes.boxes.empty());

  // Onto an existing file: refused before the source is opened; neither file changes.
  std::string sourceBytes = ztReadTestFile(source), copyBytes = ztReadTestFile(copy);
  CZTFileDesc again;
  EXPECT_EQ(again.CopyISAMStructure(source.c_str(), copy.c_str()), 0);
  EXPECT_EQ(again.m_Tables.m_uCount, 0u);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_COPY_DEST_EXISTS});
  EXPECT_EQ(ztReadTestFile(source), sourceBytes);
  EXPECT_EQ(ztReadTestFile(copy), copyBytes);

  boxes.boxes.clear();
  EXPECT_EQ(again.CopyISAMStructure(nullptr, copy.c_str()), 0);
  EXPECT_EQ(again.CopyISAMStructure(dir.File("none.isa").c_str(), dir.File("x.isa").c_str()), 0);
  EXPECT_EQ(again.CopyISAMStructure(source.c_str(), ""), 0);
  EXPECT_EQ(boxes.Codes(),
            (std::vector<unsigned>{ZT_ERR_COPY_NO_SOURCE, ZT_ERR_COPY_SOURCE_MISSING, ZT_ERR_COPY_NO_DEST}));
  EXPECT_FALSE(Exists(dir.File("x.isa")));
}

}  // namespace
