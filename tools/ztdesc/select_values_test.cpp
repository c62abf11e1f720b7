// count --where with the values people type, against a plain evaluation with
// exact arithmetic: numbers far beyond a field's range, between its values, in
// every notation, and texts that are no number or no date (which must fail
// instead of counting something). Random records and selections, fixed seeds.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "select_scan.h"
#include "select_test_table.h"
#include "select_test_util.h"

namespace {

using select_test::FieldSpec;
using select_test::KeySpec;

enum Column { kI8, kU16, kI32, kU32, kI64, kU64, kCent, kDig, kSDig, kAmt, kDbl, kDat, kColumns };

const unsigned kNumber = ZT_KIND_NUMBER, kSigned = ZT_KIND_NUMBER | ZT_FMT_SIGNED;
const FieldSpec kFields[kColumns] = {
    {"I8", 0, 1, ite8INTEGER, kSigned, kSigned},
    {"U16", 1, 2, ite16INTEGER, kNumber, kNumber},
    {"I32", 3, 4, ite32INTEGER, kSigned, kSigned},
    {"U32", 7, 4, ite32INTEGER, kNumber, kNumber},
    {"I64", 11, 8, ite64INTEGER, kSigned, kSigned},
    {"U64", 19, 8, ite64INTEGER, kNumber, kNumber},
    {"CENT", 27, 4, ite32INTEGER, kSigned | 0x2000, kSigned | 0x2000},  // two implied decimals
    {"DIG", 31, 12, iteASCIITEXT, kNumber | ZT_FMT_ZERO_FILL, kNumber},
    {"SDIG", 43, 12, iteASCIITEXT, kSigned, kSigned},
    {"AMT", 55, 16, iteASCIITEXT, ZT_KIND_DECIMAL | ZT_FMT_SIGNED | 0x2000, ZT_KIND_DECIMAL | 0x2000},
    {"DBL", 71, 8, ite64FLOATING, kNumber, kNumber | 0x2000},
    {"DAT", 79, 10, iteASCIITEXT, ZT_KIND_DATETIME | ZT_FMT_DATE, ZT_KIND_DATETIME | ZT_FMT_DATE},
};
constexpr unsigned kRecordSize = 89;

const KeySpec kKeys[] = {
    {1, {"I32"}, {ISAM_KEY_INT32}},  {1, {"U32"}, {ISAM_KEY_UINT32}},  {1, {"I64"}, {ISAM_KEY_INT64}},
    {1, {"U64"}, {ISAM_KEY_UINT64}}, {1, {"I8"}, {ISAM_KEY_INT8}},     {1, {"U16"}, {ISAM_KEY_UINT16}},
    {1, {"CENT"}, {ISAM_KEY_INT32}}, {1, {"DIG"}, {ISAM_KEY_NUMTEXT}}, {1, {"DIG"}, {ISAM_KEY_TEXT}},
    {1, {"DBL"}, {ISAM_KEY_DOUBLE}},
};

// An exact decimal number: sign, integer digits without leading zeros, fraction
// digits without trailing zeros.
struct Decimal {
  bool negative = false;
  std::string whole, fraction;

  static Decimal Of(bool negative, std::string whole, std::string fraction) {
    Decimal d;
    size_t lead = whole.find_first_not_of('0');
    d.whole = lead == std::string::npos ? "" : whole.substr(lead);
    size_t trail = fraction.find_last_not_of('0');
    d.fraction = trail == std::string::npos ? "" : fraction.substr(0, trail + 1);
    d.negative = negative && !(d.whole.empty() && d.fraction.empty());
    return d;
  }
  // An integer of the field scaled by 10^decimals.
  static Decimal Scaled(bool negative, unsigned long long magnitude, unsigned decimals) {
    std::string digits = std::to_string(magnitude);
    if (digits.size() <= decimals) digits.insert(0, decimals + 1 - digits.size(), '0');
    return Of(negative, digits.substr(0, digits.size() - decimals), digits.substr(digits.size() - decimals));
  }
  static Decimal Signed(long long v, unsigned decimals = 0) {
    return Scaled(v < 0, v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v),
                  decimals);
  }
};

int Compare(const Decimal& a, const Decimal& b) {
  if (a.negative != b.negative) return a.negative ? -1 : 1;
  int magnitude = 0;
  if (a.whole.size() != b.whole.size())
    magnitude = a.whole.size() < b.whole.size() ? -1 : 1;
  else if (a.whole != b.whole)
    magnitude = a.whole < b.whole ? -1 : 1;
  else if (a.fraction != b.fraction)
    magnitude = a.fraction < b.fraction ? -1 : 1;  // no trailing zeros: text order is number order
  return a.negative ? -magnitude : magnitude;
}

bool Holds(const std::string& op, int order) {
  if (op == "=") return order == 0;
  if (op == "<>") return order != 0;
  if (op == "<") return order < 0;
  if (op == "<=") return order <= 0;
  if (op == ">") return order > 0;
  return order >= 0;
}

// German notation: thousands points between groups of three, one comma.
bool ReadGerman(const std::string& text, Decimal* value) {
  static const std::regex german("([-+]?)((?:[0-9]{1,3}(?:\\.[0-9]{3})+)|[0-9]*)(?:,([0-9]*))?");
  std::smatch m;
  if (!std::regex_match(text, m, german) || m[2].length() + m[3].length() == 0) return false;
  std::string whole = m[2].str();
  whole.erase(std::remove(whole.begin(), whole.end(), '.'), whole.end());
  *value = Decimal::Of(m[1].str() == "-", whole, m[3].str());
  return true;
}

// Doubles: German notation, or one point as decimal point, with an exponent.
bool ReadFloating(const std::string& text, double* value) {
  static const std::regex exponent("(.*?)(?:[eE]([-+]?[0-9]+))?");
  static const std::regex point("([-+]?)([0-9]*)\\.([0-9]*)");
  std::smatch m, p;
  if (!std::regex_match(text, m, exponent)) return false;
  const std::string mantissa = m[1].str();
  Decimal d;
  if (std::regex_match(mantissa, p, point) && p[2].length() + p[3].length() > 0)
    d = Decimal::Of(p[1].str() == "-", p[2].str(), p[3].str());
  else if (!ReadGerman(mantissa, &d))
    return false;
  const std::string c = (d.negative ? "-" : "") + (d.whole.empty() ? "0" : d.whole) + "." + d.fraction + "0e" +
                        (m[2].matched ? m[2].str() : "0");
  *value = strtod(c.c_str(), nullptr);
  return true;
}

// A date literal of the form D.M.YYYY: its order, or false when it is no date.
bool ReadDate(const std::string& text, long* order) {
  static const std::regex date("([0-9]{1,2})\\.([0-9]{1,2})\\.([0-9]{4})");
  std::smatch m;
  if (!std::regex_match(text, m, date)) return false;
  const int d = std::stoi(m[1].str()), mo = std::stoi(m[2].str()), y = std::stoi(m[3].str());
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
  if (y < 1583 || y > 3200 || mo < 1 || mo > 12 || d < 1 || d > kDays[mo - 1] + (mo == 2 && leap)) return false;
  *order = (y * 100L + mo) * 100L + d;
  return true;
}

// One record's values as the plain evaluation sees them.
struct Row {
  Decimal exact[kColumns];
  double dbl;
  long date;  // a blank date is above every date
};

void Put(unsigned char* record, Column c, const void* bytes) {
  memcpy(record + kFields[c].offset, bytes, kFields[c].length);
}
void PutText(unsigned char* record, Column c, const std::string& text, char fill) {
  memset(record + kFields[c].offset, fill, kFields[c].length);
  memcpy(record + kFields[c].offset + kFields[c].length - text.size(), text.data(), text.size());
}

template <class T>
T Pick(std::mt19937_64& rng, std::initializer_list<T> extremes) {
  if (rng() % 3) return static_cast<T>(rng() % 2001) - static_cast<T>(rng() % 2 ? 1000 : 0);
  return *(extremes.begin() + rng() % extremes.size());
}

Row RandomRecord(std::mt19937_64& rng, unsigned char* record) {
  Row row;
  memset(record, ' ', kRecordSize);
  const int8_t i8 = Pick<int8_t>(rng, {INT8_MIN, INT8_MAX, -1, 0});
  const uint16_t u16 = Pick<uint16_t>(rng, {0, UINT16_MAX, 1});
  const int32_t i32 = Pick<int32_t>(rng, {INT32_MIN, INT32_MAX, -1});
  const uint32_t u32 = Pick<uint32_t>(rng, {0, UINT32_MAX, 0x80000000u});
  const int64_t i64 = Pick<int64_t>(rng, {INT64_MIN, INT64_MAX, INT32_MIN, int64_t(UINT32_MAX) + 1});
  const uint64_t u64 = Pick<uint64_t>(rng, {0, UINT64_MAX, uint64_t(INT64_MAX) + 1});
  const int32_t cent = Pick<int32_t>(rng, {INT32_MIN, INT32_MAX, 1005, -250});
  const uint64_t dig = rng() % 4 ? rng() % 100000 : rng() % 1000000000000ull;
  const int64_t sdig = static_cast<int64_t>(rng() % 200001) - 100000;
  const int64_t amt =
      rng() % 4 ? static_cast<int64_t>(rng() % 2000001) - 1000000 : static_cast<int64_t>(rng() % 99999999999ull);
  Put(record, kI8, &i8);
  Put(record, kU16, &u16);
  Put(record, kI32, &i32);
  Put(record, kU32, &u32);
  Put(record, kI64, &i64);
  Put(record, kU64, &u64);
  Put(record, kCent, &cent);
  char text[32];
  snprintf(text, sizeof(text), "%012llu", static_cast<unsigned long long>(dig));
  PutText(record, kDig, text, '0');
  snprintf(text, sizeof(text), "%lld", static_cast<long long>(sdig));
  PutText(record, kSDig, text, ' ');
  FormatDecimalText(text, sizeof(text), amt, 2);
  PutText(record, kAmt, text, ' ');
  static const double kDoubles[] = {
      0.0, 0.15, 1.5, 2.5, -2.5, 1e308, -1e308, 1.7976931348623157e308, 1e-300, 9007199254740993.0, 123456.789};
  row.dbl = rng() % 2 ? kDoubles[rng() % 11] : (static_cast<double>(rng() % 200001) - 100000) / 100;
  Put(record, kDbl, &row.dbl);
  if (rng() % 10 == 0) {
    row.date = 99999999;  // blank
  } else {
    const unsigned d = 1 + rng() % 28, m = 1 + rng() % 12, y = 1990 + rng() % 40;
    snprintf(text, sizeof(text), "%02u.%02u.%04u", d, m, y);
    memcpy(record + kFields[kDat].offset, text, 10);
    row.date = (y * 100L + m) * 100L + d;
  }
  row.exact[kI8] = Decimal::Signed(i8);
  row.exact[kU16] = Decimal::Signed(u16);
  row.exact[kI32] = Decimal::Signed(i32);
  row.exact[kU32] = Decimal::Signed(u32);
  row.exact[kI64] = Decimal::Signed(i64);
  row.exact[kU64] = Decimal::Scaled(false, u64, 0);
  row.exact[kCent] = Decimal::Signed(cent, 2);
  row.exact[kDig] = Decimal::Scaled(false, dig, 0);
  row.exact[kSDig] = Decimal::Signed(sdig);
  row.exact[kAmt] = Decimal::Signed(amt, 2);
  return row;
}

// A value as people type it for the column: record values, the limits of every
// integer width and beyond, fractions, notations, and texts that are no number.
std::string RandomValue(std::mt19937_64& rng, Column column, const Row& someRow) {
  static const char* const kLimits[] = {"127",
                                        "128",
                                        "-128",
                                        "-129",
                                        "255",
                                        "256",
                                        "65535",
                                        "65536",
                                        "2147483647",
                                        "2147483648",
                                        "-2147483648",
                                        "-2147483649",
                                        "4294967295",
                                        "4294967296",
                                        "9223372036854775807",
                                        "9223372036854775808",
                                        "-9223372036854775808",
                                        "-9223372036854775809",
                                        "18446744073709551615",
                                        "18446744073709551616",
                                        "-18446744073709551616",
                                        "99999999999",
                                        "99999999999999999999999",
                                        "-99999999999999999999999",
                                        "0",
                                        "-0",
                                        "21474836,47",
                                        "-21474836,48",
                                        "21474836,475",
                                        "92233720368547758,07",
                                        "1.000",
                                        "4.294.967.296",
                                        "-1.234,5"};
  static const char* const kMalformed[] = {"abc", "12a", "1.2.3,4", "1,2,3", "-",       "5-",    "",     "1e3",
                                           "1.5", ",",   "--1",     "0x10",  "1.234.5", "12.34", "1 000"};
  static const char* const kDoubles[] = {"1e308",
                                         "-1e308",
                                         "1e400",
                                         "-1e400",
                                         "1.5",
                                         "0.15",
                                         "2,5",
                                         "1.234,5",
                                         ".5",
                                         "5.",
                                         "1.7976931348623157e308",
                                         "9007199254740993",
                                         "1e-300",
                                         "123456.789",
                                         "-2.5E0",
                                         "12.50.1",
                                         "1,234.5",
                                         "1e",
                                         "e5",
                                         "1.5.5"};
  static const char* const kDates[] = {"01.07.2009", "31.02.2020", "morgen",     "1.13.2009", "01.01.1500",
                                       "29.02.2024", "1.1.2000",   "31.12.3200", "00.01.2000"};
  if (column == kDat) return kDates[rng() % (sizeof(kDates) / sizeof(kDates[0]))];
  if (column == kDbl) {
    if (rng() % 3 == 0) {
      char text[40];
      snprintf(text, sizeof(text), "%.17g", someRow.dbl);
      return text;
    }
    return kDoubles[rng() % (sizeof(kDoubles) / sizeof(kDoubles[0]))];
  }
  switch (rng() % 6) {
    case 0:
    case 1: {
      const Decimal& d = someRow.exact[column];
      std::string text = (d.negative ? "-" : "") + (d.whole.empty() ? "0" : d.whole);
      if (!d.fraction.empty()) text += "," + d.fraction;
      if (rng() % 3 == 0) text += rng() % 2 ? "5" : (d.fraction.empty() ? ",5" : "01");
      return text;
    }
    case 2:
    case 3:
      return kLimits[rng() % (sizeof(kLimits) / sizeof(kLimits[0]))];
    case 4:
      return std::to_string(static_cast<long>(rng() % 4001) - 2000) + (rng() % 2 ? ",5" : "");
    default:
      return kMalformed[rng() % (sizeof(kMalformed) / sizeof(kMalformed[0]))];
  }
}

struct Comparison {
  Column column;
  std::string op, value;
  // The value as the plain evaluation reads it; valid false when it does not
  // fit the column.
  bool valid = false;
  Decimal exact;
  double dbl = 0;
  long date = 0;

  void Read() {
    if (column == kDat)
      valid = ReadDate(value, &date);
    else if (column == kDbl)
      valid = ReadFloating(value, &dbl);
    else
      valid = ReadGerman(value, &exact);
  }
  bool Evaluate(const Row& row) const {
    if (column == kDat) return Holds(op, row.date < date ? -1 : (row.date > date ? 1 : 0));
    if (column == kDbl) return Holds(op, row.dbl < dbl ? -1 : (row.dbl > dbl ? 1 : 0));
    return Holds(op, Compare(row.exact[column], exact));
  }
};

class SelectValuesDifferential : public ::testing::TestWithParam<unsigned> {
 protected:
  select_test::BoxRecorder boxes_;  // keeps the boxes of refused values off the screen
};

TEST_P(SelectValuesDifferential, CountsWhatExactArithmeticCounts) {
  const unsigned seed = GetParam();
  std::mt19937_64 rng(seed);
  CZTTableDesc table;
  ztStrCopy(table.m_szName, "VALUES", sizeof(table.m_szName));
  select_test::AddFields(table, kFields, kColumns);
  select_test::AddKeys(table, kKeys, sizeof(kKeys) / sizeof(kKeys[0]));
  const std::string file = "select_values_" + std::to_string(seed) + ".isa";
  ISAMFILE isam = nullptr;
  ISAMTABLE handle = nullptr;
  ASSERT_EQ(0u, select_test::CreateIsamTable(table, file, "VALUES", kRecordSize, 1024, &isam, &handle));
  ASSERT_EQ(0u, ISAMBeginTransaction(isam));
  std::vector<Row> rows;
  unsigned char record[kRecordSize];
  for (unsigned i = 0; i < 500; ++i) {
    rows.push_back(RandomRecord(rng, record));
    unsigned address = 0;
    ASSERT_EQ(0u, ISAMInsertRecord(handle, record, &address));
  }
  ASSERT_EQ(0u, ISAMCommitTransaction(isam));

  static const char* const kOps[] = {"=", "<>", "<", "<=", ">", ">="};
  unsigned refused = 0, counted = 0, ranged = 0, nonEmpty = 0;
  for (unsigned n = 0; n < 1200; ++n) {
    std::vector<Comparison> terms(1 + rng() % 2);
    for (Comparison& c : terms) {
      c.column = static_cast<Column>(rng() % kColumns);
      c.op = kOps[rng() % 6];
      c.value = RandomValue(rng, c.column, rows[rng() % rows.size()]);
      c.Read();
    }
    const bool both = rng() % 2;  // AND, else OR
    std::string text;
    for (size_t i = 0; i < terms.size(); ++i)
      text += (i ? (both ? " UND " : " ODER ") : "") + std::string(kFields[terms[i].column].name) + " " + terms[i].op +
              " '" + terms[i].value + "'";
    bool valid = true;
    for (const Comparison& c : terms) valid = valid && c.valid;
    unsigned expected = 0;
    for (const Row& row : rows) {
      bool all = both, any = false;
      for (const Comparison& c : terms) {
        const bool holds = c.valid && c.Evaluate(row);
        all = all && holds;
        any = any || holds;
      }
      expected += (both ? all : any) ? 1 : 0;
    }
    for (const bool fullScan : {false, true}) {
      ZTSelectScan scan;
      const int prepared = scan.Prepare(table, text.c_str(), 0xFFFFFFFFu, fullScan);
      ASSERT_EQ(valid ? 1 : 0, prepared) << "seed " << seed << ": " << text;
      if (!prepared) continue;
      unsigned e = 0;
      EXPECT_EQ(expected, scan.Count(handle, table, &e))
          << "seed " << seed << ": " << text << (scan.m_bRanged ? " (key range)" : " (full scan)");
      ASSERT_EQ(0u, e);
      ranged += scan.m_bRanged;
    }
    valid ? ++counted : ++refused;
    nonEmpty += expected != 0;
  }
  // Both outcomes and key ranges are exercised.
  EXPECT_GT(refused, 100u);
  EXPECT_GT(counted, 600u);
  EXPECT_GT(ranged, 100u);
  EXPECT_GT(nonEmpty, 300u);
  ISAMCloseTable(handle);
  unsigned detail = 0;
  ISAMClose(isam, &detail);
  remove(file.c_str());
}

INSTANTIATE_TEST_SUITE_P(Seeds, SelectValuesDifferential, ::testing::Values(11u, 12u, 13u));

}  // namespace
