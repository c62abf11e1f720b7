#include <string.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "isam_memory_io.h"
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
  EXPECT_FALSE(Exists(isam + "-new"));  // nor under the name it is built as
  EXPECT_FALSE(Exists(isam + "-new-wal"));
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

// Tables made by another program through the engine: a text key on the first
// ten bytes, and the stored description given (none when empty).
void MakeForeignFile(const std::string& isam, const std::vector<std::pair<const char*, unsigned>>& tables,
                     const char* describedTable, const std::string& stored) {
  ISAMFILE file = nullptr;
  unsigned detail = 0;
  ASSERT_EQ(ISAMCreate(&file, isam.c_str(), &detail), 0u);
  ISAMIDT idt = {};
  idt.partCount = 1;
  idt.parts[0].keyType = ISAM_KEY_TEXT;
  idt.parts[0].length = 10;
  for (const auto& t : tables) ASSERT_EQ(ISAMCreateTable(file, t.first, &idt, 1, 22, t.second), 0u);
  ISAMTABLE table = nullptr;
  ASSERT_EQ(ISAMOpenTable(file, describedTable, &table), 0u);
  ASSERT_EQ(ISAMWriteTableDesc(table, 0, stored.c_str(), (unsigned)stored.size()), 0u);
  ASSERT_EQ(ISAMClose(file, &detail), 0u);
}

TEST(IsamStructure, TablesWithoutOrWithAnOldStoredDescription) {
  ScratchDir dir("isam_foreign");
  std::string isam = dir.File("foreign.isa");
  // The stored text claims another node size than the engine's.
  MakeForeignFile(isam, {{"Bare", 512}, {"Stated", 256}}, "Stated", Block("Stated", 8192));

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

// "ok" when the file holds the three tables of CutsLeaveNothingOrTheWholeFile
// with their descriptions, "none" when there is no file.
std::string Made(const std::string& name) {
  ISAMFILE file = nullptr;
  unsigned detail = 0, count = 0;
  unsigned e = ISAMOpen(&file, name.c_str(), ISAM_OPEN_READONLY, &detail);
  if (e == ISAM_ERR_OPEN) return "none";
  if (e) return "error " + std::to_string(e);
  char report[256];
  std::string result = ISAMCheckFile(file, report, sizeof(report)) ? report : "ok";
  ISAMGetTableCount(file, &count);
  if (result == "ok" && count != 3) result = std::to_string(count) + " tables";
  for (unsigned i = 0; result == "ok" && i < count; ++i) {
    char table[32];
    ISAMTABLE handle = nullptr;
    unsigned size = 0;
    if (ISAMGetTableName(file, i, table, 32) || ISAMOpenTable(file, table, &handle) ||
        ISAMGetTableDescSize(handle, 0, &size) || size == 0)
      result = std::string("table ") + table + " without its description";
  }
  ISAMClose(file, &detail);
  return result;
}

// Every write, flush and rename of making a file fails in turn. On a full disk
// CreateISAMFile and CopyISAMStructure give 0 with a box and leave no file at
// all; killed there (the power gone), the name holds nothing or the whole file.
TEST(IsamStructure, CutsLeaveNothingOrTheWholeFile) {
  ScratchDir dir("isam_cuts");
  CZTFileDesc desc;
  LoadDesc(desc, dir, Block("Article", 512) + Block("Supplier", 4096) + Block("Stock", 1024));
  std::string source = dir.File("source.isa");
  ASSERT_EQ(desc.CreateISAMFile(nullptr, source.c_str()), 1);
  const std::string sourceBytes = ztReadTestFile(source);
  const std::string target = dir.File("target.isa");
  CIsamMemoryIo io;
  CIsamIo* previous = ztIsamSetIo(&io);
  auto reset = [&]() {
    io.files.clear();
    auto file = std::make_shared<CIsamMemoryIo::File>();
    file->current.assign(sourceBytes.begin(), sourceBytes.end());
    file->durable = file->current;
    io.files[source] = file;
  };
  for (int copy = 0; copy < 2; ++copy) {
    auto make = [&]() {
      CZTFileDesc copier;
      return copy ? copier.CopyISAMStructure(source.c_str(), target.c_str())
                  : desc.CreateISAMFile(nullptr, target.c_str());
    };
    reset();
    io.Arm(-1);
    ASSERT_EQ(make(), 1);
    const long total = io.points;
    ASSERT_EQ(Made(target), "ok");
    ASSERT_GT(total, 3);
    for (long cut = 0; cut < total; ++cut) {
      for (int killed = 0; killed < 2; ++killed) {
        reset();
        io.cutError = killed ? EIO : ENOSPC;
        io.Arm(cut);
        BoxRecorder boxes;
        int made = make();
        if (killed) {
          io.Crash(unsigned(cut + 1));
          std::string state = Made(target);
          EXPECT_TRUE(state == "none" || state == "ok")
              << (copy ? "copy" : "create") << " cut at " << cut << ": " << state;
        } else {
          io.Disarm();
          EXPECT_EQ(made, 0) << cut;
          EXPECT_FALSE(boxes.boxes.empty()) << cut;
          EXPECT_EQ(io.files.size(), 1u) << (copy ? "copy" : "create") << " cut at " << cut << " left "
                                         << io.files.rbegin()->first;
        }
      }
    }
  }
  io.cutError = EIO;
  ztIsamSetIo(previous);
}

// What a killed creation or copy left under the name a file is built as is
// cleared away by the next one.
TEST(IsamStructure, RemainsOfAKilledCreationAreClearedAway) {
  ScratchDir dir("isam_remains");
  BoxRecorder boxes;
  std::string target = dir.File("target.isa");
  ASSERT_TRUE(ztWriteTestFile(target + "-new", std::string(1000, 'x')));
  CZTFileDesc good;
  LoadDesc(good, dir, Block("Good", 1024));
  ASSERT_EQ(good.CreateISAMFile(nullptr, target.c_str()), 1);
  EXPECT_FALSE(Exists(target + "-new"));
  std::string copy = dir.File("copy.isa");
  ASSERT_TRUE(ztWriteTestFile(copy + "-new", "remains"));
  CZTFileDesc copier;
  ASSERT_EQ(copier.CopyISAMStructure(target.c_str(), copy.c_str()), 1);
  EXPECT_FALSE(Exists(copy + "-new"));
  EXPECT_EQ(Made(copy), "1 tables");
}

// A file cut short inside the ISAM signature is a damaged ISAM file, not an
// empty description file.
TEST(IsamStructure, AFileCutShortInItsSignatureIsADamagedIsamFile) {
  ScratchDir dir("isam_short");
  CZTFileDesc desc;
  LoadDesc(desc, dir, Block("T", 1024));
  std::string isam = dir.File("whole.isa");
  ASSERT_EQ(desc.CreateISAMFile(nullptr, isam.c_str()), 1);
  std::string bytes = ztReadTestFile(isam);
  for (size_t length : {size_t(4), size_t(10), size_t(15), size_t(16), size_t(300)}) {
    std::string cut = dir.File("cut.isa");
    ASSERT_TRUE(ztWriteTestFile(cut, bytes.substr(0, length)));
    BoxRecorder boxes;
    CZTFileDesc back;
    EXPECT_EQ(back.InitDescEdit(nullptr, cut.c_str(), 0), 0) << length;
    EXPECT_EQ(back.m_bIsamFile, 1u) << length;
    EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{ISAM_ERR_CORRUPT}) << length;
  }
  // Three zero bytes are not yet a signature.
  std::string cut = dir.File("three.isa");
  ASSERT_TRUE(ztWriteTestFile(cut, bytes.substr(0, 3)));
  BoxRecorder boxes;
  CZTFileDesc back;
  back.InitDescEdit(nullptr, cut.c_str(), 0);
  EXPECT_EQ(back.m_bIsamFile, 0u);
}

// A stored description whose fields lie beyond the table's records, with every
// checksum right: reading refuses it, so that nobody reads records by it.
TEST(IsamStructure, StoredFieldsBeyondTheRecordsAreRefused) {
  ScratchDir dir("isam_stored_size");
  for (const char* field : {"Field: 100, 10, 7, 0x0000, 0, 0x0000, 0, 20, \"Far\"\n",
                            "Field: 4294967290, 10, 7, 0x0000, 0, 0x0000, 0, 20, \"Wraps\"\n",
                            "Field: 4294967295, 4294967295, 7, 0x0000, 0, 0x0000, 0, 20, \"Wraps\"\n"}) {
    std::string isam = dir.File("stored.isa");
    remove(isam.c_str());
    std::string stored = std::string("Table: \"Small\"\nIndexNodeSize: 512\n") +
                         "Field: 0, 10, 7, 0x0000, 0, 0x0000, 0, 20, \"Name\"\n" + field +
                         "Key: 1\nKeyPart: \"TEXT\", \"Name\"\nTable: END\n";
    MakeForeignFile(isam, {{"Small", 512}}, "Small", stored);

    BoxRecorder boxes;
    CZTFileDesc desc;
    EXPECT_EQ(desc.InitDescEdit(nullptr, isam.c_str(), 0), 0) << field;
    ASSERT_FALSE(boxes.boxes.empty()) << field;
    unsigned expected = strstr(field, "Far") ? ZT_ERR_TBL_STORED_SIZE : 1300u;  // the reader's own box
    EXPECT_EQ(boxes.Codes().front(), expected) << field;
    for (unsigned t = 0; t < desc.m_Tables.m_uCount; ++t) EXPECT_EQ(desc.m_Tables.m_pTables[t].m_Fields.m_uCount, 0u);
  }
}

}  // namespace
