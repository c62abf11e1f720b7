// Counting through an ISAM table: stored order, an index's records, an index's
// keys alone; all agree with testdata over every record, and keys stand in for
// records only where they give back what the selection looks at.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "select_test_table.h"
#include "select_test_util.h"
#include "zt_isa32.h"
#include "zt_tbl32/tbl_sel_desc.h"

using namespace select_test;

namespace {

int SilentBox(const ZTBoxRequest*, void*) { return IDOK; }

class SelectionCount : public ::testing::Test {
 protected:
  void SetUp() override {
    ztSetBoxHandler(SilentBox, nullptr, &oldHandler_, &oldContext_);
    MakeCustomerTable(table_);
    const KeySpec keys[] = {
        {1, {"NAME"}, {ISAM_KEY_TEXT}},   {1, {"NAMEI"}, {ISAM_KEY_ITEXT}},
        {1, {"NAME"}, {ISAM_KEY_ITEXT}},  // case-free order of a field compared with case
        {1, {"PLZ"}, {ISAM_KEY_NUMTEXT}}, {2, {"NUM", "DBL"}, {ISAM_KEY_INT32, ISAM_KEY_DOUBLE}},
        {1, {"U8"}, {ISAM_KEY_UINT8}},
    };
    AddKeys(table_, keys, sizeof(keys) / sizeof(keys[0]));
    file_ = ::testing::TempDir() + "select_count_" + std::to_string(++counter_) + ".isa";
    ASSERT_EQ(0u, CreateIsamTable(table_, file_, "T", kRecordSize, 128, &isam_, &handle_));

    static const char* const kNames[] = {"Meyer",    "meyer",    "MEYER", "Mey", "M\xfcller", "m\xfcller",
                                         "\xc4rger", "\xe4rger", "Zoe",   "zoe", "",          "  Meyer"};
    ASSERT_EQ(0u, ISAMBeginTransaction(isam_));
    std::vector<unsigned> addresses;
    for (unsigned i = 0; i < 600; ++i) {
      Record r;
      const char* name = kNames[(i * 7) % 12];
      r.Text(kName, 20, name).Text(kNameI, 20, kNames[(i * 5) % 12]);
      char plz[8];
      snprintf(plz, sizeof(plz), "%05u", (i * 911) % 99999);
      r.Text(kPlz, 5, plz);
      r.Raw<int32_t>(kNum, static_cast<int32_t>(i % 41) - 20);
      r.Raw<uint8_t>(kU8, static_cast<uint8_t>(i * 13));
      r.Raw<double>(kDbl, (static_cast<int>(i % 9) - 4) * 1.25 + (i % 2 ? 0.0 : -0.0));
      unsigned address = 0;
      ASSERT_EQ(0u, ISAMInsertRecord(handle_, r.bytes, &address));
      addresses.push_back(address);
    }
    for (size_t i = 0; i < addresses.size(); i += 4) ASSERT_EQ(0u, ISAMDeleteRecord(handle_, addresses[i]));
    ASSERT_EQ(0u, ISAMCommitTransaction(isam_));
    // The records as they are, for the plain count.
    unsigned address = 0;
    char record[kRecordSize];
    ASSERT_EQ(0u, ISAMSetupIterationLimits(handle_, 0, ISAM_ITER_FORWARD, nullptr, nullptr));
    while (ISAMReadNextRecord(handle_, 0, record, &address, nullptr) == 0) records_.emplace_back(record, kRecordSize);
    ASSERT_EQ(450u, records_.size());
  }
  void TearDown() override {
    if (handle_) ISAMCloseTable(handle_);
    unsigned detail = 0;
    if (isam_) ISAMClose(isam_, &detail);
    remove(file_.c_str());
    ztSetBoxHandler(oldHandler_, oldContext_);
  }

  void Parse(const char* text) {
    ASSERT_EQ(1, sel_.parse(text, static_cast<unsigned>(strlen(text)))) << text;
    ASSERT_EQ(1, sel_.resolve(&table_)) << text;
  }
  unsigned Plain() const {
    unsigned n = 0;
    for (const std::string& r : records_) n += sel_.testdata(&table_, r.data(), kRecordSize);
    return n;
  }
  unsigned Count(unsigned index, const char* low = nullptr, const char* high = nullptr) {
    unsigned count = 0xDEAD, error = 0xDEAD;
    EXPECT_EQ(1, sel_.countrange(handle_, &table_, index, low, high, &count, &error));
    EXPECT_EQ(0u, error);
    return count;
  }

  CZTTableDesc table_;
  CZTTblSelDesc sel_;
  std::string file_;
  ISAMFILE isam_ = nullptr;
  ISAMTABLE handle_ = nullptr;
  std::vector<std::string> records_;
  ZTBoxHandler oldHandler_ = nullptr;
  void* oldContext_ = nullptr;
  static inline int counter_ = 0;
};

TEST_F(SelectionCount, KeysStandInForRecordsOnlyWhereTheyGiveBackWhatIsTested) {
  struct {
    const char* text;
    unsigned index;
    int keyOnly;
  } cases[] = {
      {"NAME = Mey*", 0, 1},
      {"NAME = Mey*", 2, 0},  // folded bytes cannot answer a comparison with case
      {"NAMEI = mEY*", 1, 1},
      {"NAMEI <> *LER", 1, 1},
      {"NAME = Mey*", 1, 0},  // a field the key does not hold
      {"PLZ >= 50000", 3, 0},
      {"NUM > 3 && DBL < 0", 4, 1},
      {"NUM > 3 && NAME = M*", 4, 0},
      {"U8 = 13 ODER U8 > 200", 5, 1},
      {"", 3, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " on index " + std::to_string(c.index));
    if (c.text[0])
      Parse(c.text);
    else
      sel_.parse(nullptr, 0);
    EXPECT_EQ(c.keyOnly, sel_.keyonly(handle_, &table_, c.index));
    EXPECT_EQ(Plain(), Count(c.index));
    EXPECT_EQ(Plain(), Count(kZTSelStoredOrder));
  }
  EXPECT_EQ(0, sel_.keyonly(handle_, &table_, kZTSelStoredOrder));
}

// Every way of counting agrees with testdata over every record, with and
// without the key range the selection gives.
TEST_F(SelectionCount, EveryWayGivesThePlainCount) {
  const char* const texts[] = {"NAME = Mey*",
                               "NAME = mey*",
                               "NAME = *er",
                               "NAMEI = M\xdcL*",
                               "NAMEI = \xe4*",
                               "PLZ >= 50000 && PLZ < 60000",
                               "NUM >= -3 && NUM <= 4",
                               "NUM = 0 && DBL < 0",
                               "DBL >= 0",
                               "U8 > 100 UND NUM < 0",
                               "NAME = Mey* ODER NUM = 7",
                               "NAMEI = Z* ^^ U8 < 128"};
  unsigned matched = 0, ranged = 0;
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    Parse(text);
    const unsigned plain = Plain();
    matched += plain != 0;
    EXPECT_EQ(plain, Count(kZTSelStoredOrder));
    for (unsigned k = 0; k < table_.m_Keys.m_uCount; ++k) EXPECT_EQ(plain, Count(k)) << "index " << k;
    // The ranges of the selection's key together, and each alone.
    char lows[kZTSelMaxRanges * 64], highs[kZTSelMaxRanges * 64];
    unsigned index = 0;
    const int ranges = sel_.keyranges(&table_, &index, lows, highs, 64);
    unsigned inRanges = 0;
    for (int i = 0; i < ranges; ++i) inRanges += Count(index, lows + i * 64, highs + i * 64);
    if (ranges) {
      EXPECT_EQ(plain, inRanges);
    }
    ranged += ranges != 0;
    unsigned count = 0, error = 0;
    EXPECT_EQ(1, sel_.countrecords(handle_, &table_, &count, &error));
    EXPECT_EQ(plain, count);
  }
  EXPECT_GT(matched, 10u);
  EXPECT_GT(ranged, 5u);
}

// Texts are compared without leading blanks: "  Meyer" is a Mey* as well, and
// its key lies before the tab, the blank and Mey in that order.
TEST_F(SelectionCount, RangesAddTheKeysThatBeginWithABlank) {
  Parse("NAME = Mey*");
  char lows[kZTSelMaxRanges * 32], highs[kZTSelMaxRanges * 32];
  unsigned index = 99;
  ASSERT_EQ(3, sel_.keyranges(&table_, &index, lows, highs, 32));
  EXPECT_EQ(0u, index);
  EXPECT_EQ('\t', lows[0]);
  EXPECT_EQ(std::string(1, ' ') + std::string(19, '\0'), std::string(lows + 32, 20));
  EXPECT_EQ(std::string(1, ' ') + std::string(19, '\xff'), std::string(highs + 32, 20));
  EXPECT_EQ(std::string("Mey") + std::string(17, '\0'), std::string(lows + 64, 20));
  EXPECT_EQ(0, highs[64 + 20]);
  EXPECT_EQ(0, sel_.keyranges(&table_, &index, lows, highs, 20));  // no room for the zero byte
  unsigned count = 0, error = 0;
  ASSERT_EQ(1, sel_.countrecords(handle_, &table_, &count, &error));
  EXPECT_EQ(Plain(), count);
  EXPECT_GT(count, 0u);
  // Digit text under a digit-text key needs no more.
  Parse("PLZ >= 50000 && PLZ < 60000");
  EXPECT_EQ(1, sel_.keyranges(&table_, &index, lows, highs, 32));
  EXPECT_EQ(3u, index);
}

TEST_F(SelectionCount, EngineErrorsAreReturned) {
  Parse("NUM > 0");
  unsigned count = 7, error = 0;
  EXPECT_EQ(0, sel_.countrange(handle_, &table_, 17, nullptr, nullptr, &count, &error));
  EXPECT_EQ(static_cast<unsigned>(ISAM_ERR_INDEX), error);
  EXPECT_EQ(0, sel_.countrange(nullptr, &table_, kZTSelStoredOrder, nullptr, nullptr, &count, &error));
  EXPECT_EQ(static_cast<unsigned>(ISAM_ERR_HANDLE), error);
  EXPECT_EQ(0, sel_.countrange(handle_, nullptr, 0, nullptr, nullptr, &count, &error));
  EXPECT_EQ(static_cast<unsigned>(ISAM_ERR_ARGUMENT), error);
}

}  // namespace
