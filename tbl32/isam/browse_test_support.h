// Test support of the record browser: an "Item" table with deterministic
// records in an ISAM file, and the lines a plain walk of an index gives, to
// compare the browser's cells with.
#pragma once

#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"
#include "zt_tbl32.h"

namespace browse_test {

// Record of the "Item" table.
enum : unsigned { kNo = 0, kName = 4, kGrp = 24, kAmount = 26, kRecordSize = 30 };
enum : unsigned { kIndexNo = 0, kIndexName = 1, kIndexGrp = 2 };

// The description file: "Item" (keys: No; Name; Grp and Amount) with two image
// name patterns, and "Empty" of the same layout without records.
inline std::string ItemDesc(const std::string& images = ".\\img_#SN1%03u#.jpg\n") {
  std::string table =
      "IndexNodeSize: 512\n"
      "Field:  0,  4, 2, 0x0001, 1, 0x0001, 1, 10, \"No\"\n"
      "Field:  4, 20, 7, 0x0000, 0, 0x0000, 0, 50, \"Name\"\n"
      "Field: 24,  2, 7, 0x0000, 0, 0x0000, 0, 10, \"Grp\"\n"
      "Field: 26,  4, 2, 0x0011, 1, 0x0011, 1, 30, \"Amount\"\n"
      "Key: 1\nKeyPart: \"UINT32\", \"No\"\n"
      "Key: 0\nKeyPart: \"TEXT\", \"Name\"\n"
      "Key: 0\nKeyPart: \"TEXT\", \"Grp\"\nKeyPart: \"INT32\", \"Amount\"\n";
  std::string text = "Table: \"Item\"\n" + table + "GalleryLayout: 1\n";
  size_t at = 0;
  while (at < images.size()) {
    size_t end = images.find('\n', at);
    if (end == std::string::npos) end = images.size();
    text += "ImageFileName: \"" + images.substr(at, end - at) + "\"\n";
    at = end + 1;
  }
  return text + "Table: END\nTable: \"Empty\"\n" + table + "Table: END\n";
}

inline const char* const kNames[] = {"Bauer",  "Becker", "Fischer", "Koch",  "Meyer",  "Meier",   "Richter",
                                     "Wolf",   "Weber",  "Wagner",  "Braun", "Schulz", "Schmidt", "Klein",
                                     "Krause", "Lange",  "Hahn",    "Vogel", "Frank",  "Berger"};

// A few random numbers that depend only on (seed, i), quickly.
struct ItemRandom {
  uint64_t state;
  ItemRandom(unsigned seed, unsigned i) : state(uint64_t(seed) << 32 | i) {}
  uint32_t operator()() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return uint32_t((z ^ (z >> 31)) >> 16);
  }
};

// Item i: number 1000 + i, a name of kNames, a group and an amount.
inline std::string ItemRecord(unsigned i, unsigned seed) {
  ItemRandom rng(seed, i);
  std::string r(kRecordSize, ' ');
  const uint32_t no = 1000 + i;
  memcpy(&r[kNo], &no, 4);
  const char* name = kNames[rng() % (sizeof(kNames) / sizeof(kNames[0]))];
  memcpy(&r[kName], name, strlen(name));
  r[kGrp] = char('A' + rng() % 6);
  r[kGrp + 1] = char('0' + rng() % 3);
  const int32_t amount = int32_t(rng() % 20001) - 10000;
  memcpy(&r[kAmount], &amount, 4);
  return r;
}

// Inserts `count` items in one transaction, in an order shuffled by the seed
// (or in the order of their numbers, which is quicker).
inline void InsertItems(ISAMFILE file, ISAMTABLE table, unsigned count, unsigned seed, bool shuffled = true) {
  std::vector<unsigned> order(count);
  for (unsigned i = 0; i < count; ++i) order[i] = i;
  if (shuffled) std::shuffle(order.begin(), order.end(), std::mt19937(seed));
  ASSERT_EQ(ISAMBeginTransaction(file), 0u);
  for (unsigned i : order) {
    const std::string r = ItemRecord(i, seed);
    unsigned address = 0;
    ASSERT_EQ(ISAMInsertRecord(table, r.data(), &address), 0u);
  }
  ASSERT_EQ(ISAMCommitTransaction(file), 0u);
}

// An ISAM file made from the description with `count` items; desc reads it back
// (its file name is the ISAM file) with "Item" selected.
inline void MakeItemFile(const ScratchDir& dir, CZTFileDesc& desc, unsigned count, unsigned seed,
                         const std::string& images = ".\\img_#SN1%03u#.jpg\n", bool shuffled = true) {
  const std::string cfg = dir.File("items.cfg"), isa = dir.File("items.isa");
  ASSERT_TRUE(ztWriteTestFile(cfg, ItemDesc(images)));
  CZTFileDesc made;
  ASSERT_EQ(made.InitDescEdit(nullptr, cfg.c_str(), 0), 1);
  ASSERT_EQ(made.CreateISAMFile(nullptr, isa.c_str()), 1);
  ISAMFILE file = nullptr;
  ISAMTABLE table = nullptr;
  unsigned detail = 0;
  ASSERT_EQ(ISAMOpen(&file, isa.c_str(), ISAM_OPEN_READWRITE, &detail), 0u);
  ASSERT_EQ(ISAMOpenTable(file, "Item", &table), 0u);
  InsertItems(file, table, count, seed, shuffled);
  ASSERT_EQ(ISAMCloseTable(table), 0u);
  ASSERT_EQ(ISAMClose(file, &detail), 0u);
  ASSERT_EQ(desc.InitDescEdit(nullptr, isa.c_str(), 0), 1);
  desc.m_uSelTable = 0;
}

// The records of an index in display order (backward: from the last), read by
// a plain walk from the start, that the selection (null: every record) picks.
inline std::vector<std::string> PlainWalk(ISAMTABLE table, unsigned index, bool backward, const CZTTableDesc& desc,
                                          const CZTTblSelDesc* selection) {
  std::vector<std::string> lines;
  EXPECT_EQ(ISAMSetupIterationLimits(table, index, ISAM_ITER_FORWARD, nullptr, nullptr), 0u);
  std::string r(kRecordSize, '\0');
  unsigned address = 0, e;
  while ((e = ISAMReadNextRecord(table, index, &r[0], &address, nullptr)) == 0)
    if (!selection || selection->testdata(&desc, r.data(), kRecordSize)) lines.push_back(r);
  EXPECT_EQ(e, unsigned(ISAM_END_OF_ITERATION));
  if (backward) std::reverse(lines.begin(), lines.end());
  return lines;
}

// The cells of a record as FormatData shows them.
inline std::vector<std::string> Cells(const CZTTableDesc& desc, const std::string& record) {
  std::vector<std::string> cells;
  for (unsigned c = 0; c < desc.m_Fields.m_uCount; ++c) {
    char text[512];
    unsigned length = 0;
    desc.m_Fields.m_pFields[c].FormatData(text, sizeof(text), &length,
                                          reinterpret_cast<const unsigned char*>(record.data()), kRecordSize);
    cells.push_back(std::string(text, length));
  }
  return cells;
}

}  // namespace browse_test
