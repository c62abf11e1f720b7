#include <math.h>

#include <string>

#include <gtest/gtest.h>

#include "test_fields.h"
#include "value_reader.h"

namespace {

// The value of one field holding bytes: "null", "I:-5", "U:...", "R:exact text" or
// "R=" and the double, "T:text".
std::string Read(const CZTFieldDesc& field, const std::string& bytes) {
  ZTTestFields fields({field});
  fields.fields[0].m_uOffset = 1;
  std::string record = "#" + bytes + "#";
  ZTValueReader reader(fields.list);
  ZTValue v;
  reader.Read(0, reinterpret_cast<const unsigned char*>(record.data()), v);
  switch (v.type) {
    case ZTValueType::Integer:
      return "I:" + std::to_string(v.integer);
    case ZTValueType::Unsigned:
      return "U:" + std::to_string(v.big);
    case ZTValueType::Real:
      if (v.text) {
        EXPECT_EQ(v.real, strtod(std::string(v.text, v.length).c_str(), nullptr));
        return "R:" + std::string(v.text, v.length);
      }
      return "R=" + std::to_string(v.real);
    case ZTValueType::Text:
      return "T:" + std::string(v.text, v.length);
    default:
      return "null";
  }
}

std::string Bytes(std::initializer_list<unsigned> bytes) {
  std::string s;
  for (unsigned b : bytes) s += static_cast<char>(b);
  return s;
}

const unsigned kNumber = ZT_KIND_NUMBER, kSigned = ZT_FMT_SIGNED;

TEST(ValueReader, IntegersAndFixedPoint) {
  EXPECT_EQ(Read(ztTestField(ite8INTEGER, 1, kNumber | kSigned), "\xFF"), "I:-1");
  EXPECT_EQ(Read(ztTestField(ite8INTEGER, 1, kNumber), "\xFF"), "I:255");
  EXPECT_EQ(Read(ztTestField(ite16INTEGER, 2, kNumber | kSigned), Bytes({0x00, 0x80})), "I:-32768");
  EXPECT_EQ(Read(ztTestField(ite64INTEGER, 8, kNumber | kSigned), Bytes({0, 0, 0, 0, 0, 0, 0, 0x80})),
            "I:-9223372036854775808");
  EXPECT_EQ(Read(ztTestField(ite64INTEGER, 8, kNumber), std::string(8, '\xFF')), "U:18446744073709551615");
  // Implied decimals: exact digits, also for the smallest magnitudes.
  const unsigned cents = ztMakeFmt(ZT_KIND_NUMBER, ZT_FMT_SIGNED, 2);
  EXPECT_EQ(Read(ztTestField(ite32INTEGER, 4, cents), Bytes({0x13, 0xFC, 0xFF, 0xFF})), "R:-10.05");
  EXPECT_EQ(Read(ztTestField(ite32INTEGER, 4, cents), Bytes({5, 0, 0, 0})), "R:0.05");
  EXPECT_EQ(Read(ztTestField(ite32INTEGER, 4, cents), Bytes({0, 0, 0, 0})), "R:0.00");

  ZTTestFields fields({ztTestField(ite32INTEGER, 4, cents), ztTestField(ite32INTEGER, 4, kNumber),
                       ztTestField(ite64FLOATING, 8, kNumber), ztTestField(iteASCIITEXT, 9, ZT_KIND_DECIMAL),
                       ztTestField(iteASCIITEXT, 9, ztMakeFmt(ZT_KIND_DECIMAL, 0, 2)),
                       ztTestField(iteASCIITEXT, 9, ZT_KIND_DATETIME | ZT_FMT_DATE), ztTestField(iteASCIITEXT, 9, 0)});
  ZTValueReader reader(fields.list);
  const char* types[] = {"REAL", "INTEGER", "REAL", "INTEGER", "REAL", "TEXT", "TEXT"};
  for (unsigned f = 0; f < 7; ++f) EXPECT_STREQ(reader.ColumnType(f), types[f]) << f;
}

TEST(ValueReader, FloatingValues) {
  float single = 0.1f;
  std::string bytes(reinterpret_cast<const char*>(&single), 4);
  EXPECT_EQ(Read(ztTestField(ite32FLOATING, 4, kNumber), bytes), "R:0.1");  // not 0.100000001
  double d = -2.5;
  EXPECT_EQ(Read(ztTestField(ite64FLOATING, 8, kNumber), std::string(reinterpret_cast<const char*>(&d), 8)),
            "R=-2.500000");
  // x87 extended: 1.5 and -0.75, and infinity.
  EXPECT_EQ(Read(ztTestField(ite80FLOATING, 10, kNumber), Bytes({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F})),
            "R=1.500000");
  EXPECT_EQ(Read(ztTestField(ite80FLOATING, 10, kNumber), Bytes({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFE, 0xBF})),
            "R=-0.750000");
  EXPECT_EQ(Read(ztTestField(ite80FLOATING, 10, kNumber), Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F})), "R=inf");
}

TEST(ValueReader, NumberAndDecimalText) {
  const CZTFieldDesc number = ztTestField(iteASCIITEXT, 8, kNumber | ZT_FMT_ZERO_FILL);
  EXPECT_EQ(Read(number, "00000042"), "I:42");
  EXPECT_EQ(Read(number, "  -1.234"), "I:-1234");
  EXPECT_EQ(Read(number, "        "), "null");
  // What German notation does not read as a number stays the stored text.
  EXPECT_EQ(Read(number, "    12.5"), "T:12.5");
  EXPECT_EQ(Read(number, "12a     "), "T:12a");
  EXPECT_EQ(Read(number, "1.23.456"), "T:1.23.456");
  const CZTFieldDesc big = ztTestField(iteASCIITEXT, 20, kNumber);
  EXPECT_EQ(Read(big, "18446744073709551615"), "U:18446744073709551615");
  EXPECT_EQ(Read(big, "99999999999999999999"), "T:99999999999999999999");
  // Decimals: number text takes any fraction, decimal text exactly its own.
  EXPECT_EQ(Read(ztTestField(iteASCIITEXT, 8, ztMakeFmt(ZT_KIND_NUMBER, 0, 2)), "    12,5"), "R:12.50");
  const CZTFieldDesc amount = ztTestField(iteASCIITEXT, 12, ztMakeFmt(ZT_KIND_DECIMAL, ZT_FMT_SIGNED, 2));
  EXPECT_EQ(Read(amount, " -1.234,56  "), "R:-1234.56");
  EXPECT_EQ(Read(amount, "        0,05"), "R:0.05");
  EXPECT_EQ(Read(amount, "        12,5"), "T:12,5");
  EXPECT_EQ(Read(ztTestField(iteASCIITEXT, 6, ZT_KIND_DECIMAL), "  -123"), "I:-123");
}

TEST(ValueReader, DatesAndTimes) {
  auto date = [](unsigned format, unsigned length) {
    return ztTestField(iteASCIITEXT, length, ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE, format));
  };
  EXPECT_EQ(Read(date(ZT_DATE_DD_MM_YYYY, 10), "31.01.2024"), "T:2024-01-31");
  EXPECT_EQ(Read(date(ZT_DATE_DD_MM_YYYY, 10), " 1.02.1999"), "T:1999-02-01");
  EXPECT_EQ(Read(date(ZT_DATE_YYYYMMDD, 8), "20240229"), "T:2024-02-29");
  EXPECT_EQ(Read(date(ZT_DATE_DDMMYY, 6), "310124"), "T:2024-01-31");
  EXPECT_EQ(Read(date(ZT_DATE_YYYYMM, 6), "202401"), "T:2024-01-01");
  EXPECT_EQ(Read(date(ZT_DATE_INVERTED, 8), "79909269"), "T:2009-07-30");
  // Empty dates are null; dates the calendar lacks and other text stay text.
  EXPECT_EQ(Read(date(ZT_DATE_DD_MM_YYYY, 10), "          "), "null");
  EXPECT_EQ(Read(date(ZT_DATE_DD_MM_YYYY, 10), "00.00.0000"), "null");
  EXPECT_EQ(Read(date(ZT_DATE_DD_MM_YYYY, 10), "31.02.2024"), "T:31.02.2024");
  EXPECT_EQ(Read(date(ZT_DATE_DD_MM_YYYY, 10), "3a.01.2024"), "T:3a.01.2024");

  const CZTFieldDesc stamp = ztTestField(
      iteASCIITEXT, 16, ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE | ZT_FMT_TIME, ZT_DATE_YYYYMMDD, ZT_TIME_HHMMSS));
  EXPECT_EQ(Read(stamp, "20240131134500  "), "T:2024-01-31 13:45:00");
  EXPECT_EQ(Read(stamp, "20240131 134500 "), "T:2024-01-31 13:45:00");
  EXPECT_EQ(Read(stamp, "20240131254500  "), "T:20240131254500");
  const CZTFieldDesc time = ztTestField(iteASCIITEXT, 5, ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_TIME, 0, ZT_TIME_HH_MM));
  EXPECT_EQ(Read(time, "00:00"), "T:00:00:00");  // midnight is a time, not an empty one
  EXPECT_EQ(Read(time, "     "), "null");
}

TEST(ValueReader, Texts) {
  EXPECT_EQ(Read(ztTestField(iteASCIITEXT, 8, 0), "M\xFC\x80 x   "), "T:M\xC3\xBC\xE2\x82\xAC x");
  EXPECT_EQ(Read(ztTestField(iteASCIITEXT, 8, 0), std::string("ab\0cd   ", 8)), "T:ab");
  EXPECT_EQ(Read(ztTestField(iteASCIITEXT, 4, 0), "    "), "T:");
  // UTF-16: a pair of surrogates, trailing blanks and NULs cut, a lone surrogate replaced.
  EXPECT_EQ(Read(ztTestField(iteUNICODETEXT, 12, 0), Bytes({'A', 0, 0x3D, 0xD8, 0x00, 0xDE, ' ', 0, 0, 0, 'x', 0})),
            "T:A\xF0\x9F\x98\x80");
  EXPECT_EQ(Read(ztTestField(iteUNICODETEXT, 4, 0), Bytes({0x00, 0xDC, 'b', 0})),
            "T:\xEF\xBF\xBD"
            "b");
}

}  // namespace
