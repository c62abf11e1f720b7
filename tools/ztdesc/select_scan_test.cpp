// The records found through a selection's key range (reading records or keys
// only) and those a scan of the records as stored finds are exactly those every
// record of an index tested one by one gives: random tables and random
// selections with fixed seeds.
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "select_scan.h"
#include "select_test_table.h"
#include "select_test_util.h"

namespace {

struct FieldSpec {
  const char* name;
  unsigned offset, length, encoding, content;
};

// Text, case-free text, zero-filled digits, blank-padded digits, signed 32-bit,
// unsigned 16-bit.
const FieldSpec kFields[] = {
    {"TXT", 0, 8, iteASCIITEXT, 0},
    {"TXI", 8, 6, iteASCIITEXT, ZT_FMT_NO_CASE},
    {"DIG", 14, 4, iteASCIITEXT, ZT_KIND_NUMBER | ZT_FMT_ZERO_FILL},
    {"NUMT", 18, 4, iteASCIITEXT, ZT_KIND_NUMBER},
    {"I32", 22, 4, ite32INTEGER, ZT_KIND_NUMBER | ZT_FMT_SIGNED},
    {"U16", 26, 2, ite16INTEGER, ZT_KIND_NUMBER},
};
constexpr unsigned kRecordSize = 28;

struct KeySpec {
  unsigned parts;
  const char* names[2];
  unsigned types[2];
};

const KeySpec kKeys[] = {
    {2, {"TXT", "I32"}, {ISAM_KEY_TEXT, ISAM_KEY_INT32}},
    {1, {"TXI"}, {ISAM_KEY_ITEXT}},
    {1, {"DIG"}, {ISAM_KEY_TEXT}},
    {1, {"NUMT"}, {ISAM_KEY_NUMTEXT}},
    {1, {"I32"}, {ISAM_KEY_INT32}},
    {2, {"U16", "TXT"}, {ISAM_KEY_UINT16, ISAM_KEY_TEXT}},
    {1, {"TXT"}, {ISAM_KEY_ITEXT}},
};

void MakeTable(CZTTableDesc& table) {
  ztStrCopy(table.m_szName, "RANDOM", sizeof(table.m_szName));
  const unsigned fieldCount = sizeof(kFields) / sizeof(kFields[0]);
  table.m_Fields.m_pFields = new CZTFieldDesc[fieldCount];
  table.m_Fields.m_uCount = table.m_Fields.m_uAlloc = fieldCount;
  for (unsigned i = 0; i < fieldCount; ++i) {
    CZTFieldDesc& f = table.m_Fields.m_pFields[i];
    ztStrCopy(f.m_szName, kFields[i].name, sizeof(f.m_szName));
    f.m_uOffset = kFields[i].offset;
    f.m_uLength = kFields[i].length;
    f.m_uEncodeType = kFields[i].encoding;
    f.m_uContentType = f.m_uDisplayType = kFields[i].content;
  }
  const unsigned keyCount = sizeof(kKeys) / sizeof(kKeys[0]);
  table.m_Keys.m_pKeys = new CZTKeyDesc[keyCount];
  table.m_Keys.m_uCount = table.m_Keys.m_uAlloc = keyCount;
  for (unsigned k = 0; k < keyCount; ++k) {
    CZTKeyDesc& key = table.m_Keys.m_pKeys[k];
    key.m_uPartCount = kKeys[k].parts;
    for (unsigned p = 0; p < kKeys[k].parts; ++p) {
      key.m_Part[p].uKeyType = kKeys[k].types[p];
      ztStrCopy(key.m_Part[p].szFieldName, kKeys[k].names[p], sizeof(key.m_Part[p].szFieldName));
    }
  }
}

const char kLetters[] = "AaBbCc";

std::string RandomText(std::mt19937& rng, unsigned maxLength) {
  std::string s;
  const unsigned n = rng() % (maxLength + 1);
  for (unsigned i = 0; i < n; ++i) s += kLetters[rng() % 6];
  return s;
}

// Texts as people leave them: now and then after a blank or a tab.
std::string RandomFieldText(std::mt19937& rng, unsigned maxLength) {
  const unsigned lead = rng() % 8;
  std::string s = lead == 0 ? " " : (lead == 1 ? "\t" : "");
  return (s + RandomText(rng, maxLength)).substr(0, maxLength);
}

void RandomRecord(std::mt19937& rng, unsigned char* r) {
  memset(r, ' ', kRecordSize);
  std::string t = RandomFieldText(rng, 8);
  memcpy(r + 0, t.data(), t.size());
  t = RandomFieldText(rng, 6);
  memcpy(r + 8, t.data(), t.size());
  char digits[8];
  snprintf(digits, sizeof(digits), "%04u", static_cast<unsigned>(rng() % 10000));
  memcpy(r + 14, digits, 4);
  snprintf(digits, sizeof(digits), "%4u", static_cast<unsigned>(rng() % 3000));
  memcpy(r + 18, digits, 4);
  const int32_t i32 = static_cast<int32_t>(rng() % 101) - 50;
  memcpy(r + 22, &i32, 4);
  const uint16_t u16 = static_cast<uint16_t>(rng() % 1000);
  memcpy(r + 26, &u16, 2);
}

// A pattern or plain value for a text column.
std::string TextValue(std::mt19937& rng) {
  std::string v = RandomText(rng, 3);
  switch (rng() % 5) {
    case 0:
      return v + "*";
    case 1:
      return v + "?" + RandomText(rng, 1) + "*";
    case 2:
      return "*" + v;
    default:
      return v.empty() ? "A" : v;
  }
}

std::string RandomComparison(std::mt19937& rng) {
  static const char* const kOps[] = {"=", "<>", "<", "<=", ">", ">="};
  const unsigned column = rng() % 6;
  const char* op = kOps[rng() % 6];
  std::string value;
  switch (column) {
    case 0:
    case 1:
      op = rng() % 4 ? "=" : "<>";
      value = "'" + TextValue(rng) + "'";
      break;
    case 2:
      value = std::to_string(rng() % 11000);
      break;
    case 3:
      value = std::to_string(rng() % 3300);
      break;
    case 4:
      value = std::to_string(static_cast<int>(rng() % 121) - 60);
      break;
    default:
      value = std::to_string(rng() % 1100);
      break;
  }
  return std::string(kFields[column].name) + " " + op + " " + value;
}

std::string RandomSelection(std::mt19937& rng, unsigned depth = 0) {
  static const char* const kJoins[] = {" AND ", " && ", " UND ", " OR ", " ^^ "};
  const unsigned terms = 1 + rng() % 3;
  std::string s;
  for (unsigned i = 0; i < terms; ++i) {
    if (i) s += kJoins[rng() % 5];  // AND more often: key ranges need it
    if (depth < 2 && rng() % 4 == 0)
      s += "(" + RandomSelection(rng, depth + 1) + ")";
    else
      s += RandomComparison(rng);
  }
  return s;
}

class SelectScanDifferential : public ::testing::TestWithParam<unsigned> {
 protected:
  select_test::BoxRecorder boxes_;  // keeps the boxes of refused selections off the screen
};

TEST_P(SelectScanDifferential, KeyRangeFindsWhatAFullScanFinds) {
  const unsigned seed = GetParam();
  std::mt19937 rng(seed);
  CZTTableDesc table;
  MakeTable(table);
  const std::string file = "select_differential_" + std::to_string(seed) + ".isa";
  ISAMFILE isam = nullptr;
  ISAMTABLE handle = nullptr;
  ASSERT_EQ(0u, select_test::CreateIsamTable(table, file, "RANDOM", kRecordSize, 1024, &isam, &handle));
  ASSERT_EQ(0u, ISAMBeginTransaction(isam));
  unsigned char record[kRecordSize];
  for (unsigned i = 0; i < 1500; ++i) {
    RandomRecord(rng, record);
    unsigned address = 0;
    ASSERT_EQ(0u, ISAMInsertRecord(handle, record, &address));
  }
  ASSERT_EQ(0u, ISAMCommitTransaction(isam));

  unsigned ranged = 0, keyOnly = 0, tested = 0, matchedSomething = 0;
  for (unsigned n = 0; n < 400; ++n) {
    const std::string text = RandomSelection(rng);
    ZTSelectScan byKey, full;
    if (!byKey.Prepare(table, text.c_str(), 0xFFFFFFFFu, false)) continue;  // e.g. an ordering on a pattern
    ASSERT_TRUE(full.Prepare(table, text.c_str(), 0, true));
    unsigned e1 = 0, e2 = 0;
    const unsigned viaKey = byKey.Count(handle, table, &e1);
    const unsigned viaScan = full.Count(handle, table, &e2);
    ASSERT_EQ(0u, e1);
    ASSERT_EQ(0u, e2);
    // The plain way: every record of the first index through testdata.
    unsigned plain = 0, address = 0, e;
    ASSERT_EQ(0u, ISAMSetupIterationLimits(handle, 0, ISAM_ITER_FORWARD, nullptr, nullptr));
    while ((e = ISAMReadNextRecord(handle, 0, record, &address, nullptr)) == 0)
      plain += full.Matches(table, record, kRecordSize);
    ASSERT_EQ(ISAM_END_OF_ITERATION, e);
    const bool keysOnly = byKey.m_bRanged && byKey.m_Sel.keyonly(handle, &table, byKey.m_uIndex);
    EXPECT_EQ(plain, viaScan) << "seed " << seed << ": " << text << " (stored order)";
    EXPECT_EQ(plain, viaKey) << "seed " << seed << ": " << text << " (index " << byKey.m_uIndex + 1
                             << (keysOnly ? ", keys only)" : ")");
    if (byKey.m_bRanged) {
      // Listing through the ranges gives the matching records in index order, both ways.
      std::vector<unsigned> filtered, forward, backward;
      ASSERT_EQ(0u, ISAMSetupIterationLimits(handle, byKey.m_uIndex, ISAM_ITER_FORWARD, nullptr, nullptr));
      while (ISAMReadNextRecord(handle, byKey.m_uIndex, record, &address, nullptr) == 0)
        if (byKey.Matches(table, record, kRecordSize)) filtered.push_back(address);
      for (unsigned flags : {ISAM_ITER_FORWARD, ISAM_ITER_BACKWARD}) {
        std::vector<unsigned>& out = flags == ISAM_ITER_FORWARD ? forward : backward;
        ASSERT_EQ(0u, byKey.Start(handle, flags));
        while ((e = byKey.ReadNext(handle, record, &address)) == 0)
          if (byKey.Matches(table, record, kRecordSize)) out.push_back(address);
        ASSERT_EQ(ISAM_END_OF_ITERATION, e);
      }
      std::reverse(backward.begin(), backward.end());
      EXPECT_EQ(filtered, forward) << text;
      EXPECT_EQ(filtered, backward) << text;
    }
    ++tested;
    if (byKey.m_bRanged) ++ranged;
    if (keysOnly) ++keyOnly;
    if (viaScan) ++matchedSomething;
  }
  // The selections must exercise both ways.
  EXPECT_GT(tested, 300u);
  EXPECT_GT(ranged, tested / 5);
  EXPECT_GT(keyOnly, ranged / 5);
  EXPECT_GT(matchedSomething, tested / 5);
  ISAMCloseTable(handle);
  unsigned detail = 0;
  ISAMClose(isam, &detail);
  remove(file.c_str());
}

INSTANTIATE_TEST_SUITE_P(Seeds, SelectScanDifferential, ::testing::Values(1u, 2u, 3u, 4u));

}  // namespace
