// The browser against a plain walk of the index over many random requests, and
// with the engine's reads failing or its blocks damaged.
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browse_test_support.h"
#include "isam_memory_io.h"

using namespace browse_test;

namespace {

constexpr unsigned kNone = 0xFFFFFFFFu;
constexpr unsigned kPage = 40;

// Moves through a display the way a person does: jumps, pages and lines in both
// directions; every cell of every line of the page shown is checked.
void BrowseRandomly(CZTTableISAM& browser, const zt_test::RecordingGrid& grid, const CZTTableDesc& desc,
                    const std::vector<std::string>& reference, unsigned moves, unsigned seed, const char* what) {
  const unsigned n = unsigned(reference.size());
  ASSERT_EQ(browser.m_uLineCount, n) << what;
  ASSERT_EQ(grid.itemCount, n) << what;
  if (n == 0) return;
  std::mt19937 rng(seed);
  unsigned top = 0;
  for (unsigned move = 0; move < moves; ++move) {
    const unsigned last = n > kPage ? n - kPage : 0;
    switch (rng() % 8) {
      case 0:
      case 1:
        top = rng() % n;  // the thumb dragged anywhere
        break;
      case 2:
        top = top + kPage <= last ? top + kPage : last;
        break;
      case 3:
        top = top >= kPage ? top - kPage : 0;
        break;
      case 4:
        top = top < last ? top + 1 : top;
        break;
      case 5:
        top = top ? top - 1 : 0;
        break;
      case 6:
        top = rng() % 2 ? 0 : last;
        break;
      default:
        top = top + 1 + rng() % 500 < n ? top + 1 + rng() % 500 : top;  // a short jump
        break;
    }
    for (unsigned row = top; row < top + kPage && row < n; ++row)
      ASSERT_EQ(grid.Row(row), Cells(desc, reference[row])) << what << ": move " << move << ", row " << row;
  }
}

TEST(TableIsamRandom, EveryCellAsAPlainWalkGivesIt) {
  ScratchDir dir("table_isam_random");
  BoxRecorder boxes;
  CZTFileDesc desc;
  MakeItemFile(dir, desc, 100000, 2, ".\\img.jpg\n", false);
  const CZTTableDesc& item = desc.m_Tables.m_pTables[0];
  CZTTableISAM browser;
  ASSERT_EQ(browser.InitISAMFile(nullptr, nullptr, &desc, 0), TRUE);
  zt_test::RecordingGrid grid;
  ASSERT_EQ(browser.InitTableOn(&grid), TRUE);

  struct Display {
    const char* selection;
    unsigned index, direction;
  } displays[] = {
      {nullptr, kIndexName, 0},
      {nullptr, kIndexNo, 1},
      {"Grp = B* AND Amount > 0", kIndexGrp, 1},          // key ranges, decided by the keys
      {"Name = Mey* AND Amount < 0", kIndexName, 0},      // key ranges, records read
      {"Name = Meyer OR Amount < -9000", kIndexName, 1},  // the whole index
      {"Amount > 9990", kIndexNo, 0},                     // few records far apart
      {"Grp = B1 AND Amount > 9900", kIndexName, 1},      // few, by key ranges of another index
      {"Grp = C* AND Amount > 5000", kIndexNo, 0},        // many, by key ranges of another index
  };
  unsigned seed = 7;
  for (const Display& d : displays) {
    CZTTblSelDesc sel;
    if (d.selection) {
      ASSERT_EQ(sel.parse(d.selection, unsigned(strlen(d.selection))), 1);
      ASSERT_EQ(sel.resolve(&item), 1);
      browser.SetSelection(&sel);
    }
    const std::vector<std::string> reference =
        PlainWalk(browser.m_hTable, d.index, d.direction != 0, item, d.selection ? &sel : nullptr);
    ASSERT_EQ(browser.DisplayTable(d.index, 0, d.direction), TRUE);
    BrowseRandomly(browser, grid, item, reference, 400, ++seed, d.selection ? d.selection : "all records");
    browser.SetSelection(nullptr);
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

// A file of items in the engine's in-memory file system.
class TableIsamFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    m_old = ztIsamSetIo(&m_io);
    ASSERT_TRUE(ztWriteTestFile(m_dir.File("items.cfg"), ItemDesc()));
    ASSERT_EQ(m_desc.InitDescEdit(nullptr, m_dir.File("items.cfg").c_str(), 0), 1);
    m_desc.m_uSelTable = 0;
    ztStrCopy(m_desc.m_szFileName, kName, sizeof(m_desc.m_szFileName));
    ISAMFILE file = nullptr;
    ISAMTABLE table = nullptr;
    unsigned detail = 0;
    ASSERT_EQ(ISAMCreate(&file, kName, &detail), 0u);
    ASSERT_EQ(Item().CreateISAMTable(file), 1);
    ASSERT_EQ(ISAMOpenTable(file, "Item", &table), 0u);
    InsertItems(file, table, 20000, 3);
    ISAMCloseTable(table);
    ASSERT_EQ(ISAMClose(file, &detail), 0u);
  }
  void TearDown() override { ztIsamSetIo(m_old); }
  CZTTableDesc& Item() { return m_desc.m_Tables.m_pTables[0]; }
  // Opens the file with a small page cache, so that browsing reads the file.
  void Open() {
    unsigned detail = 0;
    ASSERT_EQ(ISAMOpen(&m_file, kName, ISAM_OPEN_READONLY, &detail), 0u);
    ASSERT_EQ(ISAMSetCacheSize(m_file, 64 * 1024), 0u);
  }
  void Close() {
    unsigned detail = 0;
    if (m_file) ISAMClose(m_file, &detail);
    m_file = nullptr;
  }
  std::vector<std::string> Reference(unsigned index, bool backward, const CZTTblSelDesc* sel) {
    ISAMTABLE table = nullptr;
    EXPECT_EQ(ISAMOpenTable(m_file, "Item", &table), 0u);
    std::vector<std::string> lines = PlainWalk(table, index, backward, Item(), sel);
    ISAMCloseTable(table);
    return lines;
  }
  // Random lines: each cell is the right one or is refused, never another.
  unsigned Browse(CZTTableISAM& browser, const std::vector<std::string>& reference, unsigned seed) {
    std::mt19937 rng(seed);
    unsigned refused = 0;
    for (unsigned i = 0; i < 1500; ++i) {
      const unsigned line = rng() % 3 ? rng() % unsigned(reference.size()) : (i * 7) % unsigned(reference.size());
      const std::vector<std::string> want = Cells(Item(), reference[line]);
      for (unsigned c = 0; c < 4; ++c) {
        char text[512];
        const unsigned n = browser.GetDataField(line, c, text, sizeof(text));
        if (n == kNone) {
          ++refused;
          break;
        }
        EXPECT_EQ(std::string(text, n), want[c]) << "line " << line;
      }
    }
    return refused;
  }
  void ExpectEngineBoxes(const BoxRecorder& boxes, unsigned code) {
    for (const auto& box : boxes.boxes) {
      EXPECT_EQ(box.kind, unsigned(ZT_BOX_ENGINE));
      EXPECT_EQ(box.code, code);
      const bool known = box.text.find("Funktion: ISAMReadNextRecord\n") != std::string::npos ||
                         box.text.find("Funktion: ISAMReadRecordByAddress\n") != std::string::npos ||
                         box.text.find("Funktion: ISAMSetupIterationAddress\n") != std::string::npos ||
                         box.text.find("Funktion: ISAMReadNextKeys\n") != std::string::npos ||
                         box.text.find("Funktion: ISAMSetupIterationEntry\n") != std::string::npos ||
                         box.text.find("Funktion: ISAMGetEntryNumber\n") != std::string::npos ||
                         box.text.find("Funktion: ISAMSetupIterationLimits\n") != std::string::npos;
      EXPECT_TRUE(known) << box.text;
    }
  }

  static constexpr const char* kName = "mem:items.isa";
  CIsamMemoryIo m_io;
  CIsamIo* m_old = nullptr;
  ScratchDir m_dir{"table_isam_faults"};
  CZTFileDesc m_desc;
  ISAMFILE m_file = nullptr;
};

TEST_F(TableIsamFaults, FailingReadsGiveBoxesAndNoWrongCell) {
  Open();
  CZTTblSelDesc sel;
  const char* text = "Grp = C* OR Amount > 5000";
  ASSERT_EQ(sel.parse(text, unsigned(strlen(text))), 1);
  ASSERT_EQ(sel.resolve(&Item()), 1);
  for (CZTTblSelDesc* selection : {static_cast<CZTTblSelDesc*>(nullptr), &sel}) {
    const std::vector<std::string> reference = Reference(kIndexName, true, selection);
    CZTTableISAM browser;
    ASSERT_EQ(browser.InitISAMFile(m_file, nullptr, &m_desc, 0), TRUE);
    browser.SetSelection(selection);
    ASSERT_EQ(browser.DisplayTable(kIndexName, 0, 1), TRUE);
    BoxRecorder boxes;
    m_io.readFaultEvery = 7;
    const unsigned refused = Browse(browser, reference, 11);
    m_io.readFaultEvery = 0;
    EXPECT_GT(refused, 10u);
    EXPECT_EQ(boxes.boxes.size(), refused);  // one box for each line that could not be read
    ExpectEngineBoxes(boxes, ISAM_ERR_READ);
    // Once the file reads again, so does every line.
    EXPECT_EQ(Browse(browser, reference, 12), 0u);
    EXPECT_EQ(boxes.boxes.size(), refused);
  }
  Close();
}

// A few picked records placed by their numbers in the displayed index: a failed
// read fails the display with its box, and the next display shows every line.
TEST_F(TableIsamFaults, FailingReadsWhilePlacingFailTheDisplay) {
  Open();
  CZTTblSelDesc sel;
  const char* text = "Grp = B1 AND Amount > 9000";
  ASSERT_EQ(sel.parse(text, unsigned(strlen(text))), 1);
  ASSERT_EQ(sel.resolve(&Item()), 1);
  const std::vector<std::string> reference = Reference(kIndexName, false, &sel);
  ASSERT_GT(reference.size(), 10u);
  CZTTableISAM browser;
  ASSERT_EQ(browser.InitISAMFile(m_file, nullptr, &m_desc, 0), TRUE);
  browser.SetSelection(&sel);
  BoxRecorder boxes;
  m_io.readFaultEvery = 7;
  EXPECT_EQ(browser.DisplayTable(kIndexName, 0, 0), FALSE);
  m_io.readFaultEvery = 0;
  ASSERT_EQ(boxes.boxes.size(), 1u);
  ExpectEngineBoxes(boxes, ISAM_ERR_READ);
  EXPECT_EQ(boxes.boxes[0].text.find("Funktion: ISAMGetEntryNumber\n") != std::string::npos, true)
      << boxes.boxes[0].text;
  ASSERT_EQ(browser.DisplayTable(kIndexName, 0, 0), TRUE);
  EXPECT_EQ(browser.m_uLineCount, unsigned(reference.size()));
  EXPECT_EQ(Browse(browser, reference, 14), 0u);
  EXPECT_EQ(boxes.boxes.size(), 1u);
  browser.CloseTable();
  Close();
}

TEST_F(TableIsamFaults, DamagedBlocksGiveBoxesAndNoWrongCell) {
  Open();
  const std::vector<std::string> reference = Reference(kIndexGrp, false, nullptr);
  Close();
  // Damage a byte in every fifth data block and every tenth index leaf (block
  // kinds 5 and 6; the block header gives kind and size in units of 64 bytes,
  // the file header takes the first 8 units).
  std::vector<uint8_t>& bytes = m_io.files[kName]->current;
  unsigned data = 0, leaves = 0, damaged = 0;
  for (size_t at = 8 * 64; at + 16 <= bytes.size();) {
    const unsigned kind = bytes[at + 4] | bytes[at + 5] << 8;
    const size_t units = bytes[at + 8] | bytes[at + 9] << 8 | size_t(bytes[at + 10]) << 16;
    ASSERT_GT(units, 0u);
    if ((kind == 5 && ++data % 5 == 0) || (kind == 6 && ++leaves % 10 == 0)) {
      bytes[at + units * 32] ^= 0x5A;
      ++damaged;
    }
    at += units * 64;
  }
  ASSERT_GT(damaged, 20u);
  m_io.files[kName]->durable = bytes;
  Open();
  CZTTableISAM browser;
  ASSERT_EQ(browser.InitISAMFile(m_file, nullptr, &m_desc, 0), TRUE);
  BoxRecorder boxes;
  if (browser.DisplayTable(kIndexGrp, 0, 0)) {
    const unsigned refused = Browse(browser, reference, 13);
    EXPECT_GT(refused, 10u);
    EXPECT_LT(refused, 1400u);
    EXPECT_EQ(boxes.boxes.size(), refused);
    ExpectEngineBoxes(boxes, ISAM_ERR_CORRUPT);
  } else {
    ASSERT_FALSE(boxes.boxes.empty());
    EXPECT_EQ(boxes.boxes[0].code, unsigned(ISAM_ERR_CORRUPT));
  }
  browser.CloseTable();
  Close();
}

}  // namespace
