#include <gtest/gtest.h>

#include <string>

#include "select_ids.h"
#include "select_test_table.h"
#include "select_test_util.h"
#include "zt_isa32.h"
#include "zt_tbl32/tbl_sel_desc.h"

using namespace select_test;

namespace {

class SelectionKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeCustomerTable(table_);
    const KeySpec keys[] = {
        {1, {"U8"}, {ISAM_KEY_UINT8}, 1},  // leaves blank keys out: never used
        {2, {"name", "CENT"}, {ISAM_KEY_TEXT, ISAM_KEY_UINT32}},
        {1, {"PLZ"}, {ISAM_KEY_NUMTEXT}},
        {2, {"NUM", "DBL"}, {ISAM_KEY_INT32, ISAM_KEY_DOUBLE}},
        {1, {"NAMEI"}, {ISAM_KEY_TEXT}},
    };
    AddKeys(table_, keys, sizeof(keys) / sizeof(keys[0]));
  }

  // The key index and both keys (up to the zero byte after them), or "" when none.
  std::string Keys(const char* text, unsigned keyLength) {
    EXPECT_EQ(1, sel_.parse(text, static_cast<unsigned>(strlen(text)))) << text;
    EXPECT_EQ(1, sel_.resolve(&table_)) << text;
    char low[128], high[128];
    memset(low, 0x55, sizeof(low));
    memset(high, 0x55, sizeof(high));
    unsigned key = 99;
    if (!sel_.keyresolve(&table_, &key, low, high)) return "";
    EXPECT_EQ(0, low[keyLength]);
    EXPECT_EQ(0, high[keyLength]);
    return std::to_string(key) + ":" + Hex(low, keyLength) + "-" + Hex(high, keyLength);
  }
  static std::string Hex(const char* p, unsigned n) {
    std::string s;
    char b[3];
    for (unsigned i = 0; i < n; ++i) {
      ztFormat(b, sizeof(b), "%02X", static_cast<unsigned char>(p[i]));
      s += b;
    }
    return s;
  }
  static std::string HexOf(const std::string& s) { return Hex(s.data(), static_cast<unsigned>(s.size())); }

  CZTTableDesc table_;
  CZTTblSelDesc sel_;
  BoxRecorder boxes_;
};

TEST_F(SelectionKeys, TextPrefixWithFillersOfFurtherParts) {
  const std::string low = HexOf("Mey" + std::string(17, '\0') + std::string(4, '\0'));
  const std::string high = HexOf("Mey" + std::string(17, '\xFF') + std::string(4, '\xFF'));
  EXPECT_EQ("1:" + low + "-" + high, Keys("NAME = Mey", 24));
  EXPECT_EQ("1:" + low + "-" + high, Keys("NAME = Mey*er", 24));
  EXPECT_EQ("1:" + low + "-" + high, Keys("U8 = 1 && NAME = Mey?r", 24)) << "the first usable comparison";
  EXPECT_EQ("", Keys("NAME = *er", 24));
  EXPECT_EQ("", Keys("NAME <> Meyer", 24));
  // A byte-ordered key cannot narrow a comparison that ignores case at a letter.
  EXPECT_EQ("", Keys("NAMEI = mey*", 20));
  EXPECT_EQ("4:" + HexOf("12" + std::string(18, '\0')) + "-" + HexOf("12" + std::string(18, '\xFF')),
            Keys("NAMEI = 12ab*", 20));
}

TEST_F(SelectionKeys, NumericRanges) {
  EXPECT_EQ("2:" + HexOf("50000") + "-" + HexOf("60000"), Keys("PLZ >= 50000 && PLZ < 60000", 5));
  EXPECT_EQ("2:" + HexOf("04109") + "-" + HexOf("04109"), Keys("PLZ = 4109", 5));
  EXPECT_EQ("2:" + HexOf("00000") + "-" + HexOf("00999"), Keys("PLZ <= 999", 5));
  // A double part after the first: the lowest and highest value in key order.
  EXPECT_EQ(
      "3:05000000"
      "FFFFFFFFFFFFFFFF"
      "-FFFFFF7F"
      "FFFFFFFFFFFFFF7F",
      Keys("NUM > 5", 12));
  EXPECT_EQ(
      "3:00000080"
      "FFFFFFFFFFFFFFFF"
      "-F6FFFFFF"
      "FFFFFFFFFFFFFF7F",
      Keys("NUM < -10", 12));
}

// Values between two integers narrow to the integers that can match; values
// beyond the field's range give no bound of their own.
TEST_F(SelectionKeys, RangesOfValuesBetweenAndBeyondTheFieldsValues) {
  const std::string doubles = "FFFFFFFFFFFFFFFF-", doublesHigh = "FFFFFFFFFFFFFF7F";
  EXPECT_EQ("3:03000000" + doubles + "FFFFFF7F" + doublesHigh, Keys("NUM >= 2,5", 12));
  EXPECT_EQ("3:02000000" + doubles + "FFFFFF7F" + doublesHigh, Keys("NUM > 2,5", 12));
  EXPECT_EQ("3:00000080" + doubles + "0A000000" + doublesHigh, Keys("NUM > 2147483648 && NUM <= 10", 12));
  EXPECT_EQ("", Keys("NUM > 4294967296", 12));
  EXPECT_EQ("", Keys("NUM < -99999999999999999999999", 12));
  EXPECT_EQ("", Keys("NUM = 2,5", 12));
  EXPECT_EQ("2:" + HexOf("00100") + "-" + HexOf("\xFF\xFF\xFF\xFF\xFF"), Keys("PLZ >= 99,5", 5));
  EXPECT_EQ("", Keys("PLZ < 99999999999999999999999", 5));
}

TEST_F(SelectionKeys, NoRangeWhereRecordsCouldEscapeIt) {
  EXPECT_EQ("", Keys("NAME = Mey* || NUM = 5", 0)) << "OR";
  EXPECT_EQ("", Keys("NAME = Mey* ^^ NUM = 5", 0)) << "XOR";
  EXPECT_EQ("", Keys("U8 = 5", 0)) << "only an index that leaves blank keys out";
  EXPECT_EQ("", Keys("DATUM >= 1.7.09", 0)) << "no key";
  EXPECT_EQ("", Keys("PLZ <> 50000", 0));
  CZTTblSelDesc empty;
  char low[8], high[8];
  unsigned key;
  EXPECT_EQ(0, empty.keyresolve(&table_, &key, low, high));
  LogCapture log;
  EXPECT_EQ("", Keys("() || ()", 0));
  EXPECT_NE(std::string::npos, log.Text().find("Comparison operation has two empty links."));
}

TEST_F(SelectionKeys, MissingPartFieldShowsAWarning) {
  const KeySpec keys[] = {{2, {"NAME", "GONE"}, {ISAM_KEY_TEXT, ISAM_KEY_TEXT}}};
  AddKeys(table_, keys, 1);
  EXPECT_EQ("", Keys("NAME = Mey", 0));
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_EQ(2u, boxes_.boxes[0].kind);
  EXPECT_EQ("Fieldname GONE of key part (0,1) not found in table record.", boxes_.boxes[0].text);
  table_.m_Keys.Free();
  LogCapture log;
  EXPECT_EQ("", Keys("NAME = Mey", 0));
  EXPECT_NE(std::string::npos, log.Text().find("Search table contains no index keys."));
}

}  // namespace
