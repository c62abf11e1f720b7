#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "select_ids.h"
#include "select_test_table.h"
#include "select_test_util.h"
#include "zt_tbl32/date_text.h"
#include "zt_tbl32/parse_date_literal.h"
#include "zt_tbl32/tbl_sel_desc.h"

using namespace select_test;

namespace {

class SelectionEval : public ::testing::Test {
 protected:
  void SetUp() override { MakeCustomerTable(table_); }

  // Parses and resolves; the boxes shown on the way are kept.
  int Resolve(const char* text) {
    boxes_.Clear();
    if (!sel_.parse(text, static_cast<unsigned>(strlen(text)))) return -1;
    return sel_.resolve(&table_);
  }
  bool Test(const Record& r) { return sel_.testdata(&table_, r.bytes, kRecordSize) != 0; }
  bool Name(const char* text, const char* name) {
    EXPECT_EQ(1, Resolve(text)) << text;
    return Test(Record().Text(kName, 20, name));
  }

  CZTTableDesc table_;
  CZTTblSelDesc sel_;
  BoxRecorder boxes_;
};

TEST_F(SelectionEval, EmptySelectionMatchesEverything) {
  ASSERT_EQ(1, Resolve(""));
  EXPECT_TRUE(Test(Record()));
  EXPECT_EQ(1, sel_.cbtestdata(nullptr, 0));
  unsigned key = 99;
  char low[64], high[64];
  EXPECT_EQ(0, sel_.keyresolve(&table_, &key, low, high));
}

TEST_F(SelectionEval, TextPatterns) {
  EXPECT_TRUE(Name("NAME = Mey*", "Meyer"));
  EXPECT_TRUE(Name("NAME = Mey*", "Meyx"));
  EXPECT_FALSE(Name("NAME = Mey*", "Mey"));
  EXPECT_FALSE(Name("NAME = Mey*", "Meier"));
  EXPECT_TRUE(Name("NAME = Mey*er", "Meyerer"));
  EXPECT_TRUE(Name("name = 5####", "50667"));
  EXPECT_FALSE(Name("name = 5####", "5066A"));
  EXPECT_FALSE(Name("name = 5####", "506670"));
  EXPECT_TRUE(Name("NAME = ?eier", "Geier"));
  EXPECT_TRUE(Name("NAME = *er", "er"));
  EXPECT_TRUE(Name("NAME <> Mey*", "Meier"));
  EXPECT_FALSE(Name("NAME != Meyer", "Meyer"));
  EXPECT_TRUE(Name("NAME = 'Bad Honnef'", "  Bad Honnef"));
}

TEST_F(SelectionEval, CaseFollowsTheContentBits) {
  ASSERT_EQ(1, Resolve("NAMEI = meyer"));
  EXPECT_TRUE(Test(Record().Text(kNameI, 20, "MEYER")));
  EXPECT_EQ(1u, static_cast<SZTDataCompExpr*>(sel_.m_Root.pOper)->fCase);
  ASSERT_EQ(1, Resolve("NAME = meyer"));
  EXPECT_FALSE(Test(Record().Text(kName, 20, "MEYER")));
}

TEST_F(SelectionEval, ResolutionErrors) {
  EXPECT_EQ(0, Resolve("NAME > M*"));
  EXPECT_EQ(std::vector<unsigned>{ZT_SEL_ERR_JOKER_ORDER}, boxes_.Codes());
  EXPECT_EQ(0, Resolve("NAME > abc"));
  EXPECT_EQ(std::vector<unsigned>{ZT_SEL_ERR_TEXT_ORDER}, boxes_.Codes());
  EXPECT_EQ(0, Resolve("ORT = Bonn"));
  EXPECT_EQ(std::vector<unsigned>{ZT_SEL_ERR_UNKNOWN_FIELD}, boxes_.Codes());
  EXPECT_EQ(0, Resolve("DINT >= 1.7.09"));
  EXPECT_EQ(std::vector<unsigned>{ZT_SEL_ERR_DATE_ENCODING}, boxes_.Codes());
  EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find("DINT")) << boxes_.boxes[0].text;
  EXPECT_EQ(0, Resolve("DECBIN = 5"));
  EXPECT_EQ(std::vector<unsigned>{ZT_SEL_ERR_DECIMAL_ENCODING}, boxes_.Codes());
  EXPECT_EQ(0, Resolve("NAME = ''"));
  EXPECT_EQ(std::vector<unsigned>{ZT_SEL_ERR_PATTERN}, boxes_.Codes());
  // More jokers than the comparer has segments for.
  EXPECT_EQ(0, Resolve("NAME = a*b*c*d*e*f*g*h*i*j*k*l*m*n*o*p*q"));
  EXPECT_EQ(std::vector<unsigned>{ZT_SEL_ERR_PATTERN}, boxes_.Codes());
  // The first failure ends resolution: the second unknown column is not reported.
  EXPECT_EQ(0, Resolve("X = 1 OR Y = 2"));
  EXPECT_EQ(std::vector<unsigned>{ZT_SEL_ERR_UNKNOWN_FIELD}, boxes_.Codes());
}

TEST_F(SelectionEval, NumbersDatesAndAmounts) {
  ASSERT_EQ(1, Resolve("DATUM >= 1.7.09"));
  EXPECT_TRUE(Test(Record().Text(kDatum, 10, "01.07.2009")));
  EXPECT_FALSE(Test(Record().Text(kDatum, 10, "30.06.2009")));
  EXPECT_EQ(733588u, static_cast<SZTDataCompExpr*>(sel_.m_Root.pOper)->CompValue.u32);

  ASSERT_EQ(1, Resolve("NUM < -5 || NUM = 7"));
  EXPECT_TRUE(Test(Record().Raw<int32_t>(kNum, -6)));
  EXPECT_FALSE(Test(Record().Raw<int32_t>(kNum, -5)));
  EXPECT_TRUE(Test(Record().Raw<int32_t>(kNum, 7)));
  ASSERT_EQ(1, Resolve("U8 >= 200"));
  EXPECT_TRUE(Test(Record().Raw<uint8_t>(kU8, 255)));
  EXPECT_FALSE(Test(Record().Raw<uint8_t>(kU8, 199)));
  ASSERT_EQ(1, Resolve("PLZ >= 50000 && PLZ < 60000"));
  EXPECT_TRUE(Test(Record().Text(kPlz, 5, "50667")));
  EXPECT_FALSE(Test(Record().Text(kPlz, 5, "60000")));
  EXPECT_FALSE(Test(Record().Text(kPlz, 5, "04109")));
  ASSERT_EQ(1, Resolve("DBL > 2,5"));
  EXPECT_TRUE(Test(Record().Raw<double>(kDbl, 2.75)));
  EXPECT_FALSE(Test(Record().Raw<double>(kDbl, 2.5)));
  // Amounts compare with their sign, whichever value kind the field gives.
  ASSERT_EQ(1, Resolve("BETRAG > -5"));
  EXPECT_TRUE(Test(Record().Text(kBetrag, 12, "-1,00")));
  EXPECT_TRUE(Test(Record().Text(kBetrag, 12, "2,00")));
  EXPECT_FALSE(Test(Record().Text(kBetrag, 12, "-5,01")));
  // A value without all decimals means whole units: 2 is 2,00.
  ASSERT_EQ(1, Resolve("BETRAG = 2"));
  EXPECT_TRUE(Test(Record().Text(kBetrag, 12, "2,00")));
  ASSERT_EQ(1, Resolve("BETRAG = 2,5"));
  EXPECT_TRUE(Test(Record().Text(kBetrag, 12, "2,50")));
  // Implied decimals: 10,05 is the stored 1005.
  ASSERT_EQ(1, Resolve("CENT >= 10,05"));
  EXPECT_TRUE(Test(Record().Raw<uint32_t>(kCent, 1005)));
  EXPECT_FALSE(Test(Record().Raw<uint32_t>(kCent, 1004)));
  ASSERT_EQ(1, Resolve("CENT = 10"));
  EXPECT_TRUE(Test(Record().Raw<uint32_t>(kCent, 1000)));
  // An ordering on a text field reads its text as a number.
  ASSERT_EQ(1, Resolve("NAME > 100"));
  EXPECT_TRUE(Test(Record().Text(kName, 20, "  250")));
  EXPECT_FALSE(Test(Record().Text(kName, 20, "99")));
  EXPECT_FALSE(Test(Record().Text(kName, 20, "Meyer")));
}

// Values that are no number or no date are refused at resolution; numbers
// beyond a field's range or between its values compare by their true value.
TEST_F(SelectionEval, ValuesThatAreNoNumberOrDateAreRefused) {
  LogCapture log;
  for (const char* text : {"NUM > abc", "NUM = ''", "NUM > 1.5", "NUM < 1.2.3,4", "U8 >= 12a", "CENT > 1,2,3",
                           "BETRAG > 1.2.3,4", "DBL > 12.50.1", "DBL = 1,234.5", "PLZ = 5-", "DATUM < 31.02.2020",
                           "DATUM < morgen", "DATUM = 1.13.09", "DATUM >= 1.1.1500"}) {
    EXPECT_EQ(0, Resolve(text)) << text;
    EXPECT_EQ(std::vector<unsigned>{ZT_SEL_ERR_NOT_A_VALUE}, boxes_.Codes()) << text;
  }
  EXPECT_EQ(0, Resolve("NUM > abc"));
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find("\"abc\"")) << boxes_.boxes[0].text;
  EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find("\"NUM\"")) << boxes_.boxes[0].text;
  const std::string lines = log.Text();
  EXPECT_NE(std::string::npos, lines.find("Value abc of NUM is not a number")) << lines;
  EXPECT_NE(std::string::npos, lines.find("Value morgen of DATUM is not a date")) << lines;
  // German thousands points and the notation of shown doubles are numbers.
  EXPECT_EQ(1, Resolve("NUM < 1.234 && DBL > 1.500 && DBL < 1e308 && BETRAG = 1.234,56"));
}

TEST_F(SelectionEval, NumbersBeyondTheFieldCompareByTheirTrueValue) {
  struct Case {
    const char* text;
    bool onMax, onMin, onZero;  // NUM holding INT32_MAX, INT32_MIN, 0
  };
  const Case cases[] = {
      {"NUM > 2147483648", false, false, false},
      {"NUM < 2147483648", true, true, true},
      {"NUM >= 2147483647", true, false, false},
      {"NUM > 4294967296", false, false, false},
      {"NUM <> 4294967296", true, true, true},
      {"NUM = 4294967296", false, false, false},
      {"NUM > -2147483649", true, true, true},
      {"NUM <= -99999999999999999999999", false, false, false},
      {"NUM > -99999999999999999999999", true, true, true},
      {"NUM >= -2147483648", true, true, true},
      {"NUM < -2147483648", false, false, false},
      {"NUM > -0,5", true, false, true},
      {"NUM >= 0,5", true, false, false},
      {"NUM < 0,5", false, true, true},
      {"NUM <= -0,5", false, true, false},
      {"NUM = 0,5", false, false, false},
      {"NUM <> 0,5", true, true, true},
      {"NUM = 0,000", false, false, true},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(1, Resolve(c.text)) << c.text;
    EXPECT_EQ(c.onMax, Test(Record().Raw<int32_t>(kNum, INT32_MAX))) << c.text;
    EXPECT_EQ(c.onMin, Test(Record().Raw<int32_t>(kNum, INT32_MIN))) << c.text;
    EXPECT_EQ(c.onZero, Test(Record().Raw<int32_t>(kNum, 0))) << c.text;
  }
  // Unsigned fields, digit text, implied decimals, amounts and doubles alike.
  ASSERT_EQ(1, Resolve("U8 > -1 && U8 < 256 && U8 > 254,5"));
  EXPECT_TRUE(Test(Record().Raw<uint8_t>(kU8, 255)));
  EXPECT_FALSE(Test(Record().Raw<uint8_t>(kU8, 254)));
  ASSERT_EQ(1, Resolve("PLZ < 99999999999999999999999 && PLZ > 50.000"));
  EXPECT_TRUE(Test(Record().Text(kPlz, 5, "50001")));
  EXPECT_FALSE(Test(Record().Text(kPlz, 5, "50000")));
  ASSERT_EQ(1, Resolve("CENT = 10,055"));
  EXPECT_FALSE(Test(Record().Raw<uint32_t>(kCent, 1005)));
  ASSERT_EQ(1, Resolve("CENT > 10,055"));
  EXPECT_TRUE(Test(Record().Raw<uint32_t>(kCent, 1006)));
  EXPECT_FALSE(Test(Record().Raw<uint32_t>(kCent, 1005)));
  ASSERT_EQ(1, Resolve("CENT < 42949672,96"));
  EXPECT_TRUE(Test(Record().Raw<uint32_t>(kCent, UINT32_MAX)));
  ASSERT_EQ(1, Resolve("BETRAG >= 2,505"));
  EXPECT_FALSE(Test(Record().Text(kBetrag, 12, "2,50")));
  EXPECT_TRUE(Test(Record().Text(kBetrag, 12, "2,51")));
  ASSERT_EQ(1, Resolve("BETRAG > -99999999999999999999999"));
  EXPECT_TRUE(Test(Record().Text(kBetrag, 12, "-999.999,99")));
  ASSERT_EQ(1, Resolve("DBL > 1e308"));
  EXPECT_FALSE(Test(Record().Raw<double>(kDbl, 2.0)));
  EXPECT_TRUE(Test(Record().Raw<double>(kDbl, 1.7e308)));
  ASSERT_EQ(1, Resolve("DBL = 0.15"));
  EXPECT_TRUE(Test(Record().Raw<double>(kDbl, 0.15)));
  // A text field ordered by its number.
  ASSERT_EQ(1, Resolve("NAME < 99999999999999999999999"));
  EXPECT_TRUE(Test(Record().Text(kName, 20, "12")));
  EXPECT_FALSE(Test(Record().Text(kName, 20, "Meyer"))) << "text that is no number stays false";
  // The record that cannot be read stays false, whatever the value.
  ASSERT_EQ(1, Resolve("DBL < 1e400"));
  EXPECT_EQ(0, sel_.testdata(&table_, Record().Raw<double>(kDbl, 1.0).bytes, kDbl + 4));
  ASSERT_EQ(1, Resolve("NUM <> 0,5"));
  EXPECT_EQ(0, sel_.testdata(&table_, Record().bytes, kNum + 2));
}

TEST_F(SelectionEval, LogicalOperatorsAndShortRecords) {
  ASSERT_EQ(1, Resolve("NUM = 1 ^^ U8 = 1"));
  EXPECT_TRUE(Test(Record().Raw<int32_t>(kNum, 1).Raw<uint8_t>(kU8, 0)));
  EXPECT_FALSE(Test(Record().Raw<int32_t>(kNum, 1).Raw<uint8_t>(kU8, 1)));
  EXPECT_FALSE(Test(Record().Raw<int32_t>(kNum, 0).Raw<uint8_t>(kU8, 0)));
  ASSERT_EQ(1, Resolve("NUM = 1 ^^ ()"));  // XOR with "every record"
  EXPECT_FALSE(Test(Record().Raw<int32_t>(kNum, 1)));
  // A record too short for the field makes the comparison false, never a read beyond it.
  ASSERT_EQ(1, Resolve("DBL > 0"));
  Record r;
  r.Raw<double>(kDbl, 5.0);
  EXPECT_EQ(0, sel_.testdata(&table_, r.bytes, kDbl + 4));
}

TEST_F(SelectionEval, ResolvingAgainRebinds) {
  ASSERT_EQ(1, Resolve("NUM = 12"));
  CZTTableDesc other;
  const FieldSpec specs[] = {{"X", 0, 4, iteASCIITEXT, 0, 0}, {"NUM", 4, 10, iteASCIITEXT, 0, 0}};
  AddFields(other, specs, 2);
  ASSERT_EQ(1, sel_.resolve(&other));
  const SZTDataCompExpr* e = static_cast<SZTDataCompExpr*>(sel_.m_Root.pOper);
  EXPECT_EQ(1u, e->uField);
  EXPECT_EQ(ZT_SEL_EQ_PATTERN, e->Func);
  ASSERT_EQ(1, sel_.resolve(&table_));
  EXPECT_EQ(ZT_SEL_EQ, e->Func);
  EXPECT_TRUE(Test(Record().Raw<int32_t>(kNum, 12)));
}

TEST(ParseDateLiteral, Forms) {
  const unsigned july1 = DateToDayNumber(1, 7, 2009);
  EXPECT_EQ(733588u, july1);
  EXPECT_EQ(july1, ParseDateLiteral("1.7.09", 0));
  EXPECT_EQ(july1, ParseDateLiteral("010709", 0));
  EXPECT_EQ(july1, ParseDateLiteral("01072009", 0));
  EXPECT_EQ(july1, ParseDateLiteral("01.07.2009", 0));
  EXPECT_EQ(DateToDayNumber(1, 7, 2000), ParseDateLiteral("01.07.", 0));
  EXPECT_EQ(ZT_INVALID_DAY, ParseDateLiteral("1.7.", 0));  // fewer than 6 characters
  EXPECT_EQ(ZT_INVALID_DAY, ParseDateLiteral("32.1.09", 0));
  EXPECT_EQ(ZT_INVALID_DAY, ParseDateLiteral("29.2.2001", 0));
  EXPECT_EQ(DateToDayNumber(29, 2, 2000), ParseDateLiteral("29.2.2000", 0));
  EXPECT_EQ(ZT_INVALID_DAY, ParseDateLiteral("1.13.09", 0));
  EXPECT_EQ(ZT_INVALID_DAY, ParseDateLiteral("1.7.09x", 0));
  EXPECT_EQ(ZT_INVALID_DAY, ParseDateLiteral("1-7-2009", 0));
  EXPECT_EQ(ZT_INVALID_DAY, ParseDateLiteral("0107200", 0));
  EXPECT_EQ(ZT_INVALID_DAY, ParseDateLiteral(nullptr, 0));
  EXPECT_EQ(july1, ParseDateLiteral("1.7.09 trailing", 6));
}

// The values a test callback delivers per column.
struct CallbackColumn {
  unsigned kind, encoding;  // at resolution
  unsigned textLength;      // at resolution: non-zero ignores case
  std::string text;         // at testing
  unsigned itemType;
  unsigned valueKind = 0;
  uint64_t value = 0;
};

struct CallbackTable {
  std::map<std::string, CallbackColumn> columns;
  std::vector<std::string> calls;
};

int TestCallback(const char* column, char* buffer, unsigned size, unsigned* textLength, unsigned* kind, unsigned* value,
                 unsigned* itemType, long user) {
  CallbackTable* t = reinterpret_cast<CallbackTable*>(user);
  auto it = t->columns.find(column);
  if (it == t->columns.end()) return 0;
  const CallbackColumn& c = it->second;
  t->calls.push_back(column);
  if (size == 256) {  // resolution
    *textLength = c.textLength;
    *kind = c.kind;
    *value = c.encoding;
    return 1;
  }
  memcpy(buffer, c.text.data(), c.text.size() < size ? c.text.size() : size);
  if (c.text.size() < size) buffer[c.text.size()] = '\0';
  *textLength = static_cast<unsigned>(c.text.size());
  *kind = c.valueKind;
  memcpy(value, &c.value, 8);
  *itemType = c.itemType;
  return 1;
}

unsigned g_year = 2026;
unsigned TestYear() { return g_year; }

class SelectionCallback : public ::testing::Test {
 protected:
  void SetUp() override { ztSetSelectionYearSource(TestYear); }
  void TearDown() override { ztSetSelectionYearSource(nullptr); }

  // Resolves the text against one column and tests it with the column's value.
  int Eval(const char* text, const CallbackColumn& column) {
    table_.columns["C"] = column;
    table_.calls.clear();
    CZTTblSelDesc sel;
    EXPECT_EQ(1, sel.parse(text, static_cast<unsigned>(strlen(text)))) << text;
    if (!sel.cbresolve(TestCallback, reinterpret_cast<long>(&table_))) return -1;
    return sel.cbtestdata(TestCallback, reinterpret_cast<long>(&table_));
  }
  static CallbackColumn Item(unsigned itemType, std::string text, unsigned kind = ZT_KIND_NUMBER,
                             unsigned encoding = ite32INTEGER) {
    CallbackColumn c{kind, encoding, 0, std::move(text), itemType};
    return c;
  }
  template <class T>
  static CallbackColumn Raw(unsigned itemType, T v, unsigned kind = ZT_KIND_NUMBER, unsigned encoding = ite64FLOATING) {
    CallbackColumn c{kind, encoding, 0, std::string(reinterpret_cast<const char*>(&v), sizeof(v)), itemType};
    return c;
  }

  CallbackTable table_;
  BoxRecorder boxes_;
};

TEST_F(SelectionCallback, TextItemTypes) {
  CallbackColumn text{ZT_KIND_TEXT, iteASCIITEXT, 0, "Meyer", 0};
  EXPECT_EQ(1, Eval("C = Mey*", text));
  EXPECT_EQ(0, Eval("C = MEY*", text));
  CallbackColumn noCase = text;
  noCase.textLength = 1;
  noCase.itemType = 1;
  EXPECT_EQ(1, Eval("C = MEY*", noCase));
  CallbackColumn other = text;
  other.itemType = 2;
  EXPECT_EQ(0, Eval("C = Mey*", other)) << "patterns only on item types 0 and 1";
  EXPECT_EQ(1, Eval("C > 10", Item(0, " 12", ZT_KIND_TEXT, iteASCIITEXT)));
  EXPECT_EQ(1, Eval("C < 0", Item(1, "-3", ZT_KIND_TEXT, iteASCIITEXT)));
  EXPECT_EQ(1, Eval("C <= 0", Item(0, "abc", ZT_KIND_TEXT, iteASCIITEXT))) << "not numeric: 0";
  EXPECT_EQ(1, Eval("C >= 0", Item(0, "", ZT_KIND_TEXT, iteASCIITEXT)));
  EXPECT_EQ(0, Eval("C > 0", Item(0, "", ZT_KIND_TEXT, iteASCIITEXT)));
}

TEST_F(SelectionCallback, NumberItemTypes) {
  EXPECT_EQ(1, Eval("C = 4711", Item(2, "4711")));
  EXPECT_EQ(1, Eval("C = 0", Item(2, "")));
  EXPECT_EQ(1, Eval("C < 5", Item(3, "-12")));
  EXPECT_EQ(1, Eval("C > 2,5", Item(4, "2,75", ZT_KIND_NUMBER, ite64FLOATING)));
  EXPECT_EQ(1, Eval("C = 0", Item(5, "", ZT_KIND_NUMBER, ite64FLOATING)));
  // A double from the callback against a 32-bit comparison value compares numerically.
  EXPECT_EQ(1, Eval("C >= 3", Item(4, "3,5")));
  EXPECT_EQ(1, Eval("C = 300", Raw<uint16_t>(40, 300)));
  EXPECT_EQ(1, Eval("C = 5000000000", Raw<uint64_t>(40, 5000000000ull, ZT_KIND_NUMBER, ite64INTEGER)));
  EXPECT_EQ(1, Eval("C < 0", Raw<int8_t>(41, -2)));
  EXPECT_EQ(1, Eval("C < 0", Raw<int64_t>(41, -2, ZT_KIND_NUMBER, ite64INTEGER)));
  EXPECT_EQ(1, Eval("C > 1,25", Raw<float>(42, 1.5f)));
  EXPECT_EQ(1, Eval("C < 1,25", Raw<double>(43, 1.0)));
  EXPECT_EQ(0, Eval("C = 0", Raw<uint32_t>(43, 0))) << "a double needs 8 bytes";
  CallbackColumn own{ZT_KIND_NUMBER, ite32INTEGER, 0, "", 99, ZT_VAL_UINT32, 77};
  EXPECT_EQ(1, Eval("C = 77", own));
  own.valueKind = 7;
  EXPECT_EQ(0, Eval("C = 77", own)) << "value kind above 4";
}

// A callback's values come in any value kind: values keep their true value,
// never a constant answer from the column's encoding.
TEST_F(SelectionCallback, ValuesKeepTheirTrueValue) {
  EXPECT_EQ(1, Eval("C < -5", Item(3, "-12")));
  EXPECT_EQ(0, Eval("C < -5", Item(3, "-3")));
  EXPECT_EQ(1, Eval("C > 4294967296", Raw<uint64_t>(40, 5000000000ull, ZT_KIND_NUMBER, ite32INTEGER)));
  EXPECT_EQ(1, Eval("C = 2,5", Item(4, "2,5")));
  EXPECT_EQ(0, Eval("C = 2,5", Item(2, "2")));
  EXPECT_EQ(1, Eval("C < 1e30", Raw<double>(43, 1e29)));
  EXPECT_EQ(1, Eval("C > 1.000", Item(2, "1001")));
  EXPECT_EQ(-1, Eval("C > abc", Item(2, "1")));
  EXPECT_EQ(std::vector<unsigned>{ZT_SEL_ERR_NOT_A_VALUE}, boxes_.Codes());
  boxes_.Clear();
  EXPECT_EQ(-1, Eval("C = 31.02.2020", CallbackColumn{ZT_KIND_DATETIME, iteASCIITEXT, 0, "31.02.2020", 10}));
  EXPECT_EQ(std::vector<unsigned>{ZT_SEL_ERR_NOT_A_VALUE}, boxes_.Codes());
}

TEST_F(SelectionCallback, DateItemTypesWithSlidingCentury) {
  const CallbackColumn date{ZT_KIND_DATETIME, iteASCIITEXT, 0, "", 0};
  struct Case {
    unsigned itemType;
    const char* text;
  };
  // 30 July 2009 in every date item type.
  const Case cases[] = {{10, "30.07.2009"}, {11, "07.30.2009"}, {12, "30072009"}, {13, "07302009"}, {14, "30.07.09"},
                        {15, "07.30.09"},   {16, "300709"},     {17, "073009"},   {18, "20090730"}, {19, "090730"}};
  for (const Case& c : cases) {
    CallbackColumn col = date;
    col.itemType = c.itemType;
    col.text = c.text;
    EXPECT_EQ(1, Eval("C = 30.07.2009", col)) << c.itemType;
    col.text[1] = 'x';
    EXPECT_EQ(0, Eval("C = 30.07.2009", col)) << c.itemType << " with a non-digit";
  }
  CallbackColumn col = date;
  col.itemType = 14;
  col.text = "01.01.30";
  g_year = 2029;
  EXPECT_EQ(1, Eval("C = 01.01.1930", col));
  g_year = 2030;
  EXPECT_EQ(1, Eval("C = 01.01.2030", col));
  col.itemType = 19;
  col.text = "310101";
  g_year = 2026;
  EXPECT_EQ(1, Eval("C = 01.01.1931", col));
}

TEST_F(SelectionCallback, TimeItemTypes) {
  EXPECT_EQ(1, Eval("C = 52200", Item(22, "1430")));
  EXPECT_EQ(1, Eval("C = 52205", Item(21, "143005")));
  EXPECT_EQ(1, Eval("C = 52205", Item(20, "14:30:05")));
  EXPECT_EQ(0, Eval("C = 52200", Item(22, "14")));
}

TEST_F(SelectionCallback, UnknownColumnsAndShortCircuit) {
  EXPECT_EQ(-1, Eval("X = 1", Item(2, "1")));
  EXPECT_EQ(std::vector<unsigned>{ZT_SEL_ERR_UNKNOWN_FIELD}, boxes_.Codes());
  table_.columns["D"] = Item(2, "2");
  EXPECT_EQ(1, Eval("C = 1 OR D = 2", Item(2, "1")));
  // Resolution asked C and D; testing only C, since OR had its answer.
  EXPECT_EQ((std::vector<std::string>{"C", "D", "C"}), table_.calls);
  EXPECT_EQ(0, Eval("C = 2 AND D = 2", Item(2, "1")));
  EXPECT_EQ((std::vector<std::string>{"C", "D", "C"}), table_.calls);
  EXPECT_EQ(0, Eval("C = 1 XOR D = 2", Item(2, "1")));
  EXPECT_EQ((std::vector<std::string>{"C", "D", "C", "D"}), table_.calls);
  // Ordering on a text column needs numeric text from the callback too.
  CallbackColumn text{ZT_KIND_TEXT, iteASCIITEXT, 3, "abc", 0};
  EXPECT_EQ(-1, Eval("C > 5", text));
}

}  // namespace

namespace {

// The shortcuts of testdata (text compared in place, digit text and dates read
// directly, one read per field) give what the codec's FormatData and ParseData give.
TEST_F(SelectionEval, ShortcutsAgreeWithTheCodec) {
  uint32_t state = 12345;
  auto next = [&state]() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  const char alphabet[] = {'M', 'e', 'y', 'r', ' ', '\t', '\0', '0', '5', '9', '.', 'x', '\xe4'};
  const char* const selections[] = {"NAME = Mey*", "NAME = M?y*",     "NAMEI = mey*",       "NAME <> *er",
                                    "NAME = Mey",  "NAME = 'M *'",    "NAME = 'M?'",        "PLZ >= 500",
                                    "PLZ = 909",   "DATUM >= 1.7.09", "DATUM = 09.09.1999", "DATUM < 1.1.2000"};
  const char* const dates[] = {"01.07.2009", "30.02.2009", "09.09.1999", " 1. 1.2000", "xx.yy.zzzz", "31.12.3201"};
  for (const char* text : selections) {
    ASSERT_EQ(1, Resolve(text)) << text;
    const SZTDataCompExpr* e = static_cast<const SZTDataCompExpr*>(sel_.m_Root.pOper);
    for (int i = 0; i < 3000; ++i) {
      Record r;
      for (unsigned k = 0; k < 20; ++k) r.bytes[kName + k] = alphabet[next() % sizeof(alphabet)];
      memcpy(r.bytes + kNameI, r.bytes + kName, 20);
      for (unsigned k = 0; k < 5; ++k) r.bytes[kPlz + k] = alphabet[next() % sizeof(alphabet)];
      memcpy(r.bytes + kDatum, dates[next() % 6], 10);
      // The codec's answer for a single comparison.
      bool expected;
      if (e->idRec == ZT_SEL_OPERATION) break;
      const CZTFieldDesc& field = table_.m_Fields.m_pFields[e->uField];
      const unsigned char* rec = reinterpret_cast<const unsigned char*>(r.bytes);
      if (e->Func == ZT_SEL_EQ_PATTERN || e->Func == ZT_SEL_NE_PATTERN) {
        char shown[1024];
        unsigned length = 0;
        ASSERT_EQ(1, field.FormatData(shown, sizeof(shown), &length, rec, kRecordSize));
        bool match = length && (e->fCase ? e->StrCmp.CompareiString(shown, length, 1)
                                         : e->StrCmp.CompareStringA(shown, length, 1));
        expected = e->Func == ZT_SEL_EQ_PATTERN ? match : !match;
      } else {
        numVal v;
        unsigned kind;
        ASSERT_EQ(1, field.ParseData(&v, &kind, rec, kRecordSize));
        const uint64_t wide = kind == ZT_VAL_UINT32 ? v.u32 : v.u64;
        const uint64_t value = e->CompKind == ZT_SEL_COMP_DATE_KEY ? e->CompValue.u32 : e->CompValue.u64;
        switch (e->Func) {
          case ZT_SEL_EQ:
            expected = wide == value;
            break;
          case ZT_SEL_GE:
            expected = wide >= value;
            break;
          case ZT_SEL_LT:
            expected = wide < value;
            break;
          default:
            expected = false;
        }
      }
      ASSERT_EQ(expected, Test(r)) << text << " on record " << i;
    }
  }
}

}  // namespace
