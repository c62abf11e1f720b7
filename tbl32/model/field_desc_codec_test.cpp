#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "model_test_support.h"
#include "zt_tbl32/date_text.h"
#include "zt_tbl32/field_desc.h"

namespace {

CZTFieldDesc Field(unsigned offset, unsigned length, unsigned encoding, unsigned content, unsigned display) {
  CZTFieldDesc f;
  ztStrCopy(f.m_szName, "F", sizeof(f.m_szName));
  f.m_uOffset = offset;
  f.m_uLength = length;
  f.m_uEncodeType = encoding;
  f.m_uContentType = content;
  f.m_uDisplayType = display;
  return f;
}

// A record holding bytes at an offset (to catch offset mistakes), padded.
std::vector<unsigned char> Record(const void* bytes, unsigned length, unsigned offset = 3) {
  std::vector<unsigned char> record(offset + length + 16, 0xEE);
  memcpy(record.data() + offset, bytes, length);
  return record;
}

std::vector<unsigned char> TextRecord(const char* text, unsigned offset = 3) {
  return Record(text, unsigned(strlen(text)), offset);
}

std::string Format(const CZTFieldDesc& f, const std::vector<unsigned char>& record, unsigned size = 128,
                   int* result = nullptr) {
  std::vector<char> text(size + 8, 'Z');
  unsigned length = 999;
  const int r = f.FormatData(text.data(), size, &length, record.data(), unsigned(record.size()));
  if (result) *result = r;
  if (size == 0) return "<nothing>";
  // Terminated within the size, nothing written beyond it, the length reported.
  EXPECT_EQ(text[size], 'Z');
  EXPECT_LT(strlen(text.data()), size);
  EXPECT_EQ(length, strlen(text.data()));
  return text.data();
}

const unsigned kNum = ZT_KIND_NUMBER, kDate = ZT_KIND_DATETIME, kDec = ZT_KIND_DECIMAL;

TEST(FieldCodec, IntegersParseWithTheirSign) {
  const unsigned char ff[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  auto rec = Record(ff, 8);
  struct Case {
    unsigned encoding;
    bool isSigned;
    unsigned kind;
    uint64_t bits;
  };
  const Case cases[] = {
      {ite8INTEGER, true, ZT_VAL_INT32, 0xFFFFFFFF},  {ite8INTEGER, false, ZT_VAL_UINT32, 255},
      {ite16INTEGER, true, ZT_VAL_INT32, 0xFFFFFFFF}, {ite16INTEGER, false, ZT_VAL_UINT32, 65535},
      {ite32INTEGER, true, ZT_VAL_INT32, 0xFFFFFFFF}, {ite32INTEGER, false, ZT_VAL_UINT32, 0xFFFFFFFF},
      {ite64INTEGER, true, ZT_VAL_INT64, UINT64_MAX}, {ite64INTEGER, false, ZT_VAL_UINT64, UINT64_MAX}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.encoding * 10 + c.isSigned);
    auto f = Field(3, 0, c.encoding, c.isSigned ? unsigned(ZT_FMT_SIGNED) : 0u, 0);
    numVal v;
    v.u64 = 0;
    unsigned kind = 99;
    ASSERT_EQ(f.ParseData(&v, &kind, rec.data(), unsigned(rec.size())), 1);
    EXPECT_EQ(kind, c.kind);
    EXPECT_EQ(kind >= unsigned(ZT_VAL_UINT64) ? v.u64 : uint64_t(v.u32), c.bits);
  }
  EXPECT_EQ(Format(Field(3, 1, ite8INTEGER, ZT_FMT_SIGNED, kNum), rec), "-1");
  EXPECT_EQ(Format(Field(3, 1, ite8INTEGER, 0, kNum), rec), "255");
  EXPECT_EQ(Format(Field(3, 8, ite64INTEGER, ZT_FMT_SIGNED, kNum), rec), "-1");
  EXPECT_EQ(Format(Field(3, 8, ite64INTEGER, 0, kNum), rec), "18446744073709551615");
}

TEST(FieldCodec, FixedPointIntegers) {
  const int32_t plus = 1005, minus = -1005, small = -5;
  auto dec2 = ztMakeFmt(kNum, 0, 2);
  EXPECT_EQ(Format(Field(3, 4, ite32INTEGER, dec2, kNum), Record(&plus, 4)), "10,05");
  EXPECT_EQ(Format(Field(3, 4, ite32INTEGER, dec2 | ZT_FMT_SIGNED, kNum), Record(&minus, 4)), "-10,05");
  EXPECT_EQ(Format(Field(3, 4, ite32INTEGER, dec2 | ZT_FMT_SIGNED, kNum), Record(&small, 4)), "-0,05");
  const int64_t big = INT64_MIN;
  EXPECT_EQ(Format(Field(3, 8, ite64INTEGER, ztMakeFmt(kNum, ZT_FMT_SIGNED, 15), kNum), Record(&big, 8)),
            "-9223,372036854775808");
  // Shown as a decimal: thousands points over the fixed-point text.
  const int32_t amount = 123456789;
  EXPECT_EQ(Format(Field(3, 4, ite32INTEGER, dec2, kDec), Record(&amount, 4)), "1.234.567,89");
}

TEST(FieldCodec, FloatingValuesWithDisplayDecimals) {
  const double v = 2.5;
  auto rec = Record(&v, 8);
  EXPECT_EQ(Format(Field(3, 8, ite64FLOATING, 0, ztMakeFmt(kNum, 0, 0)), rec), "3");
  EXPECT_EQ(Format(Field(3, 8, ite64FLOATING, 0, ztMakeFmt(kNum, 0, 1)), rec), "2.5");
  // Four display decimals print four decimals.
  EXPECT_EQ(Format(Field(3, 8, ite64FLOATING, 0, ztMakeFmt(kNum, 0, 4)), rec), "2.5000");
  EXPECT_EQ(Format(Field(3, 8, ite64FLOATING, 0, ztMakeFmt(kNum, 0, 10)), rec), "2.5000000000");
  EXPECT_EQ(Format(Field(3, 8, ite64FLOATING, 0, ztMakeFmt(kNum, 0, 12)), rec), "2.500000");
  const double negative = -2.7;
  EXPECT_EQ(Format(Field(3, 8, ite64FLOATING, 0, kNum), Record(&negative, 8)), "-3");
  const float f = 0.25f;
  EXPECT_EQ(Format(Field(3, 4, ite32FLOATING, 0, ztMakeFmt(kNum, 0, 2)), Record(&f, 4)), "0.25");
  // Too long for the number area: a failure, not a cut number.
  const double huge = 1e40;
  zt_test::LogCapture log;
  int result = 1;
  EXPECT_EQ(Format(Field(3, 8, ite64FLOATING, 0, ztMakeFmt(kNum, 0, 2)), Record(&huge, 8), 128, &result), "");
  EXPECT_EQ(result, 0);
  EXPECT_NE(log.All().find("does not fit"), std::string::npos);
}

TEST(FieldCodec, NumericTextTrimsAndFillsZeros) {
  auto rec = TextRecord("  0042");
  EXPECT_EQ(Format(Field(3, 6, iteASCIITEXT, kNum, kNum), rec), "42");
  EXPECT_EQ(Format(Field(3, 6, iteASCIITEXT, kNum, kNum | ZT_FMT_ZERO_FILL), rec), "000042");
  // The fill never goes beyond the buffer.
  EXPECT_EQ(Format(Field(3, 6, iteASCIITEXT, kNum, kNum | ZT_FMT_ZERO_FILL), rec, 4), "000");
  // Zeros go behind a sign.
  const int16_t minus = -42;
  EXPECT_EQ(Format(Field(3, 6, ite16INTEGER, ZT_FMT_SIGNED, kNum | ZT_FMT_ZERO_FILL), Record(&minus, 2)), "-00042");
  EXPECT_EQ(Format(Field(3, 3, iteASCIITEXT, kNum, kNum), TextRecord("000")), "0");
  // Only zeros in front of a digit go: a fraction keeps its zero.
  const double half = 0.5;
  EXPECT_EQ(Format(Field(3, 8, ite64FLOATING, 0, ztMakeFmt(kNum, 0, 2)), Record(&half, 8)), "0.50");
  const uint32_t cents = 5;
  EXPECT_EQ(Format(Field(3, 4, ite32INTEGER, ztMakeFmt(kNum, 0, 2), kNum), Record(&cents, 4)), "0,05");
  numVal v;
  unsigned kind;
  auto f = Field(3, 6, iteASCIITEXT, kNum | ZT_FMT_SIGNED, 0);
  auto neg = TextRecord("  -1.5");
  ASSERT_EQ(f.ParseData(&v, &kind, neg.data(), 0), 1);
  EXPECT_EQ(kind, ZT_VAL_INT64);
  EXPECT_EQ(v.i64, -15);
  f.m_uContentType = ztMakeFmt(kNum, 0, 2);
  ASSERT_EQ(f.ParseData(&v, &kind, neg.data(), 0), 1);
  EXPECT_EQ(kind, ZT_VAL_DOUBLE);
  EXPECT_EQ(v.dbl, 0.0);  // no blanks skipped before the sign
}

TEST(FieldCodec, PlainTextIsCutAtTrailingBlanksAndZeroBytes) {
  EXPECT_EQ(Format(Field(3, 8, iteASCIITEXT, 0, 0), TextRecord("ab cd   ")), "ab cd");
  const char withZero[8] = {'a', 'b', 0, 'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(Format(Field(3, 8, iteASCIITEXT, 0, 0), Record(withZero, 8)), "ab");
  EXPECT_EQ(Format(Field(3, 8, iteASCIITEXT, 0, 4), TextRecord("ab cd   ")), "ab cd   ");
  EXPECT_EQ(Format(Field(3, 0, iteASCIITEXT, 0, 0), TextRecord("abc")), "");
}

TEST(FieldCodec, DatesAndTimes) {
  const unsigned content0 = ztMakeFmt(kDate, ZT_FMT_DATE, 0);
  auto rec = TextRecord("30.07.2009");
  EXPECT_EQ(Format(Field(3, 10, iteASCIITEXT, content0, ztMakeFmt(kDate, 0, 8)), rec), "20090730");
  EXPECT_EQ(Format(Field(3, 10, iteASCIITEXT, content0, ztMakeFmt(kDate, 0, 12)), rec), "79909269");
  int result = 0;
  EXPECT_EQ(Format(Field(3, 10, iteASCIITEXT, content0, kDate), TextRecord("          "), 128, &result), "");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Format(Field(3, 10, iteASCIITEXT, content0, kDate), TextRecord("00.00.0000"), 128, &result), "");
  EXPECT_EQ(result, 1);

  const unsigned contentDT = ztMakeFmt(kDate, ZT_FMT_DATE | ZT_FMT_TIME, 0, 0);
  auto dt = TextRecord("30.07.2009 14:05:00");
  EXPECT_EQ(Format(Field(3, 19, iteASCIITEXT, contentDT, ztMakeFmt(kDate, 0, 4, 2)), dt), "30.07.09 14:05");
  EXPECT_EQ(Format(Field(3, 19, iteASCIITEXT, contentDT, ztMakeFmt(kDate, 0, 8, 1)), dt), "20090730 140500");
  // Time alone.
  EXPECT_EQ(Format(Field(3, 4, iteASCIITEXT, ztMakeFmt(kDate, ZT_FMT_TIME, 0, 3), ztMakeFmt(kDate, 0, 0, 0)),
                   TextRecord("0930")),
            "09:30:00");
  // A date field shorter than its format reads blanks for the missing part.
  EXPECT_EQ(Format(Field(3, 6, iteASCIITEXT, content0, kDate), TextRecord("30.07.2009")), "30.07.0000");
  // Neither date nor time: empty.
  EXPECT_EQ(Format(Field(3, 10, iteASCIITEXT, kDate, kDate), rec), "");

  // Unknown time format: the date alone, and a log line.
  zt_test::LogCapture log;
  EXPECT_EQ(Format(Field(3, 19, iteASCIITEXT, contentDT, ztMakeFmt(kDate, 0, 4, 5)), dt, 128, &result), "30.07.09");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(log.All(), "0 CZTFieldDesc: Illegal time format 5 on FormatData\n");
  EXPECT_EQ(Format(Field(3, 8, iteASCIITEXT, ztMakeFmt(kDate, ZT_FMT_TIME, 0, 9), kDate), TextRecord("14:05:00")), "");

  // The day number of a date text.
  numVal v;
  unsigned kind;
  auto f = Field(3, 10, iteASCIITEXT, content0, 0);
  auto first = TextRecord("01.01.1583");
  ASSERT_EQ(f.ParseData(&v, &kind, first.data(), 0), 1);
  EXPECT_EQ(kind, ZT_VAL_UINT32);
  EXPECT_EQ(v.u32, 577813u);
  auto bad = TextRecord("29.02.1900");
  ASSERT_EQ(f.ParseData(&v, &kind, bad.data(), 0), 1);
  EXPECT_EQ(v.u32, ZT_INVALID_DAY);
  f.m_uContentType = ztMakeFmt(kDate, ZT_FMT_DATE, 13);
  EXPECT_EQ(f.ParseData(&v, &kind, first.data(), 0), 0);
}

TEST(FieldCodec, DecimalText) {
  const unsigned dec2 = ztMakeFmt(kDec, 0, 2);
  EXPECT_EQ(Format(Field(3, 10, iteASCIITEXT, dec2, kDec), TextRecord("  -1234,5 ")), "-123,45");
  EXPECT_EQ(Format(Field(3, 10, iteASCIITEXT, dec2, kDec), TextRecord("  -1234,50")), "-1.234,50");
  EXPECT_EQ(Format(Field(3, 10, iteASCIITEXT, dec2, kDec), TextRecord("1234567,89")), "1.234.567,89");
  numVal v;
  unsigned kind;
  auto f = Field(3, 5, iteASCIITEXT, dec2, 0);
  auto plus = TextRecord("12,34"), zero = TextRecord("0,00 "), minus = TextRecord("-1,00");
  ASSERT_EQ(f.ParseData(&v, &kind, plus.data(), 0), 1);
  EXPECT_EQ(kind, ZT_VAL_UINT64);
  EXPECT_EQ(v.u64, 1234u);
  ASSERT_EQ(f.ParseData(&v, &kind, zero.data(), 0), 1);
  EXPECT_EQ(kind, ZT_VAL_INT64);
  ASSERT_EQ(f.ParseData(&v, &kind, minus.data(), 0), 1);
  EXPECT_EQ(kind, ZT_VAL_INT64);
  EXPECT_EQ(v.i64, -100);
}

TEST(FieldCodec, FailuresAreReportedAndLogged) {
  zt_test::LogCapture log;
  numVal v;
  unsigned kind = 77;
  auto rec = TextRecord("0123456789abcdef");
  EXPECT_EQ(Field(3, 10, ite80FLOATING, 0, 0).ParseData(&v, &kind, rec.data(), 0), 0);
  EXPECT_EQ(Field(3, 4, iteUNICODETEXT, 0, 0).ParseData(&v, &kind, rec.data(), 0), 0);
  EXPECT_EQ(Field(3, 4, 9, 0, 0).ParseData(&v, &kind, rec.data(), 0), 0);
  EXPECT_EQ(Field(3, 4, iteASCIITEXT, 0, 0).ParseData(&v, &kind, rec.data(), 0), 0);
  EXPECT_EQ(Field(3, 4, iteASCIITEXT, 5, 0).ParseData(&v, &kind, rec.data(), 0), 0);
  EXPECT_EQ(kind, 77u);
  int result = 1;
  Format(Field(3, 10, ite80FLOATING, 0, 0), rec, 128, &result);
  EXPECT_EQ(result, 0);
  Format(Field(3, 4, iteUNICODETEXT, 0, 0), rec, 128, &result);
  EXPECT_EQ(result, 0);
  Format(Field(3, 4, 12, 0, 0), rec, 128, &result);
  EXPECT_EQ(result, 0);
  // A field outside the record size given.
  Format(Field(15, 8, iteASCIITEXT, 0, 0), rec, 128, &result);
  EXPECT_EQ(result, 1);
  auto f = Field(30, 8, iteASCIITEXT, 0, 0);
  char text[16];
  unsigned length;
  EXPECT_EQ(f.FormatData(text, sizeof(text), &length, rec.data(), unsigned(rec.size())), 0);
  EXPECT_EQ(Field(30, 1, ite64INTEGER, 0, 0).ParseData(&v, &kind, rec.data(), 35), 0);
  EXPECT_EQ(f.FormatData(text, 0, &length, rec.data(), 0), 0);
  EXPECT_EQ(f.FormatData(nullptr, 16, &length, rec.data(), 0), 0);
  EXPECT_EQ(log.All(),
            "0 CZTFieldDesc: Cannot process data type ite80FLOATING.\n"
            "0 CZTFieldDesc: Cannot process data type iteUNOCDETEXT.\n"
            "0 CZTFieldDesc: Unknown data encoding type 9 on ParseData\n"
            "0 CZTFieldDesc: Cannot parse text type 0\n"
            "0 CZTFieldDesc: Cannot parse text type 5\n"
            "0 CZTFieldDesc: Cannot process data type ite80FLOATING.\n"
            "0 CZTFieldDesc: Data type iteUNICODETEXT not yet supported.\n"
            "0 CZTFieldDesc: Unkown data encoding type 12 for field found.\n"
            "0 CZTFieldDesc: Field F (offset 30, 8 bytes) lies outside a record of 35 bytes\n"
            "0 CZTFieldDesc: Field F (offset 30, 8 bytes) lies outside a record of 35 bytes\n");
}

// Every encoding and display kind with buffers of size 1, the text length, and
// one less: always terminated, never overrun, the length reported.
TEST(FieldCodec, EveryKindRespectsTheBufferSize) {
  const int32_t i32 = -123456;
  const double d = 1234.5678;
  const float fl = 2.5f;
  const int64_t i64 = 9876543210;
  const char* texts[] = {"  0042", "30.07.2009 14:05:00", "1234,56", "hello world "};
  struct Source {
    unsigned encoding, length, content;
    std::vector<unsigned char> record;
  };
  std::vector<Source> sources = {
      {ite8INTEGER, 1, ZT_FMT_SIGNED, Record(&i32, 1)},
      {ite16INTEGER, 2, ZT_FMT_SIGNED, Record(&i32, 2)},
      {ite32INTEGER, 4, ztMakeFmt(kNum, ZT_FMT_SIGNED, 2), Record(&i32, 4)},
      {ite64INTEGER, 8, 0, Record(&i64, 8)},
      {ite32FLOATING, 4, 0, Record(&fl, 4)},
      {ite64FLOATING, 8, 0, Record(&d, 8)},
      {iteASCIITEXT, 6, kNum, TextRecord(texts[0])},
      {iteASCIITEXT, 19, ztMakeFmt(kDate, ZT_FMT_DATE | ZT_FMT_TIME, 0, 0), TextRecord(texts[1])},
      {iteASCIITEXT, 7, ztMakeFmt(kDec, 0, 2), TextRecord(texts[2])},
      {iteASCIITEXT, 12, 0, TextRecord(texts[3])},
  };
  const unsigned displays[] = {0,
                               ztMakeFmt(kNum, 0, 3),
                               ztMakeFmt(kNum, ZT_FMT_ZERO_FILL, 0),
                               ztMakeFmt(kDate, 0, 4, 2),
                               ztMakeFmt(kDec, 0, 2),
                               4,
                               5};
  for (const auto& s : sources) {
    for (unsigned display : displays) {
      SCOPED_TRACE(std::to_string(s.encoding) + "/" + std::to_string(display));
      const auto f = Field(3, s.length, s.encoding, s.content, display);
      int result = 0;
      const std::string full = Format(f, s.record, 128, &result);
      ASSERT_EQ(result, 1);
      const unsigned n = unsigned(full.size());
      EXPECT_EQ(Format(f, s.record, 1), "");
      EXPECT_EQ(Format(f, s.record, n + 1), full);
      if (n) {
        EXPECT_EQ(Format(f, s.record, n), full.substr(0, n - 1));
      }
      EXPECT_EQ(Format(f, s.record, n ? n : 1), full.substr(0, n ? n - 1 : 0));
    }
  }
}

TEST(FieldCodec, FillersForKeyRanges) {
  char buf[32];
  auto filler = [&](const CZTFieldDesc& f, unsigned highest, unsigned size = sizeof(buf)) {
    memset(buf, 'Z', sizeof(buf));
    const unsigned n = f.GetSMaskFiller(highest, buf, size);
    return std::string(buf, n);
  };
  EXPECT_EQ(filler(Field(0, 1, ite8INTEGER, 0, 0), 1), "\xFF");
  EXPECT_EQ(filler(Field(0, 2, ite16INTEGER, 0, 0), 0), std::string(2, '\0'));
  EXPECT_EQ(filler(Field(0, 4, ite32INTEGER, 0, 0), 1), std::string(4, '\xFF'));
  // Signed: most negative to most positive (little-endian).
  EXPECT_EQ(filler(Field(0, 1, ite8INTEGER, ZT_FMT_SIGNED, 0), 0), "\x80");
  EXPECT_EQ(filler(Field(0, 2, ite16INTEGER, ZT_FMT_SIGNED, 0), 1), std::string("\xFF\x7F", 2));
  EXPECT_EQ(filler(Field(0, 4, ite32INTEGER, ZT_FMT_SIGNED, 0), 0), std::string("\0\0\0\x80", 4));
  EXPECT_EQ(filler(Field(0, 5, iteASCIITEXT, kNum, 0), 1), "99999");
  EXPECT_EQ(filler(Field(0, 5, iteASCIITEXT, kNum, 0), 0), "00000");
  EXPECT_EQ(filler(Field(0, 3, iteASCIITEXT, 0, 0), 1), "\xFF\xFF\xFF");
  const unsigned dt = ztMakeFmt(kDate, ZT_FMT_DATE | ZT_FMT_TIME, 0, 0);
  EXPECT_EQ(filler(Field(0, 19, iteASCIITEXT, dt, 0), 1), "31.12.999923:59:59");
  EXPECT_EQ(filler(Field(0, 19, iteASCIITEXT, dt, 0), 0), "00.00.000000:00:00");
  EXPECT_EQ(filler(Field(0, 8, iteASCIITEXT, ztMakeFmt(kDate, ZT_FMT_DATE, 8), 0), 1), "99991231");
  EXPECT_EQ(filler(Field(0, 8, iteASCIITEXT, ztMakeFmt(kDate, ZT_FMT_DATE, 12), 0), 0), "00000000");
  EXPECT_EQ(filler(Field(0, 8, iteASCIITEXT, ztMakeFmt(kDate, ZT_FMT_DATE, 12), 0), 1), "99999999");
  EXPECT_EQ(filler(Field(0, 4, iteASCIITEXT, ztMakeFmt(kDate, ZT_FMT_TIME, 0, 3), 0), 1), "2359");

  zt_test::LogCapture log;
  EXPECT_EQ(filler(Field(0, 5, iteASCIITEXT, kNum, 0), 1, 4), "");
  EXPECT_EQ(buf[0], 'Z');  // nothing written into a buffer that is too small
  EXPECT_EQ(filler(Field(0, 19, iteASCIITEXT, dt, 0), 1, 17), "");
  EXPECT_EQ(filler(Field(0, 4, ite32INTEGER, 0, 0), 1, 3), "");
  EXPECT_EQ(buf[0], 'Z');
  EXPECT_EQ(filler(Field(0, 8, ite64INTEGER, 0, 0), 1), "");
  EXPECT_EQ(filler(Field(0, 5, iteASCIITEXT, kDec, kDec), 1), "");
  EXPECT_EQ(filler(Field(0, 5, iteASCIITEXT, 7, 0), 1), "");
  EXPECT_EQ(filler(Field(0, 4, iteUNICODETEXT, 0, 0), 1), "");
  EXPECT_EQ(filler(Field(0, 4, 9, 0, 0), 1), "");
  EXPECT_EQ(log.All(),
            "0 CZTFieldDesc: GetSMaskFiller: buffer of 4 bytes too small for 5 bytes\n"
            "0 CZTFieldDesc: GetSMaskFiller: buffer of 17 bytes too small for 18 bytes\n"
            "0 CZTFieldDesc: GetSMaskFiller: buffer of 3 bytes too small for 4 bytes\n"
            "1 CZTFieldDesc: GetSMaskFiller for numerical type not yet supported.\n"
            "1 CZTFieldDesc: GetSMaskFiller: Data presentation type 3 not yet supported.\n"
            "0 CZTFieldDesc: GetSMaskFiller for UNICODETEXT not yet supported.\n"
            "0 CZTFieldDesc: GetSMaskFiller for unkown data encoding type 9.\n");
}

TEST(FieldCodec, CompareData) {
  auto cmp = [](const CZTFieldDesc& f, const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    return f.CompareData(a.data(), b.data());
  };
  const int32_t m1 = -1, p1 = 1;
  EXPECT_EQ(cmp(Field(3, 4, ite32INTEGER, ZT_FMT_SIGNED, 0), Record(&m1, 4), Record(&p1, 4)), -1);
  EXPECT_EQ(cmp(Field(3, 4, ite32INTEGER, 0, 0), Record(&m1, 4), Record(&p1, 4)), 1);
  EXPECT_EQ(cmp(Field(3, 1, ite8INTEGER, ZT_FMT_SIGNED, 0), Record(&m1, 1), Record(&p1, 1)), -1);
  EXPECT_EQ(cmp(Field(3, 2, ite16INTEGER, 0, 0), Record(&m1, 2), Record(&m1, 2)), 0);
  const int64_t big = INT64_MIN, small = 5;
  EXPECT_EQ(cmp(Field(3, 8, ite64INTEGER, ZT_FMT_SIGNED, 0), Record(&big, 8), Record(&small, 8)), -1);
  EXPECT_EQ(cmp(Field(3, 8, ite64INTEGER, 0, 0), Record(&big, 8), Record(&small, 8)), 1);
  const double d1 = -0.5, d2 = 0.25;
  EXPECT_EQ(cmp(Field(3, 8, ite64FLOATING, 0, 0), Record(&d1, 8), Record(&d2, 8)), -1);
  const float f1 = 3.f, f2 = 3.f;
  EXPECT_EQ(cmp(Field(3, 4, ite32FLOATING, 0, 0), Record(&f1, 4), Record(&f2, 4)), 0);
  // Texts by content kind.
  EXPECT_EQ(cmp(Field(3, 3, iteASCIITEXT, kNum, 0), TextRecord("007"), TextRecord("010")), -1);
  EXPECT_EQ(cmp(Field(3, 4, iteASCIITEXT, ztMakeFmt(kNum, 0, 1), 0), TextRecord("9,50"), TextRecord("10,1")), -1);
  EXPECT_EQ(cmp(Field(3, 10, iteASCIITEXT, ztMakeFmt(kDate, ZT_FMT_DATE, 0), 0), TextRecord("31.12.2008"),
                TextRecord("01.01.2009")),
            -1);
  EXPECT_EQ(cmp(Field(3, 10, iteASCIITEXT, ztMakeFmt(kDate, ZT_FMT_DATE, 13), 0), TextRecord("31.12.2008"),
                TextRecord("01.01.2009")),
            0);
  // Negative amounts rank below positive ones.
  EXPECT_EQ(cmp(Field(3, 5, iteASCIITEXT, ztMakeFmt(kDec, 0, 2), 0), TextRecord("-1,00"), TextRecord(" 2,00")), -1);
  EXPECT_EQ(cmp(Field(3, 5, iteASCIITEXT, ztMakeFmt(kDec, 0, 2), 0), TextRecord(" 2,00"), TextRecord("-1,00")), 1);
  EXPECT_EQ(cmp(Field(3, 3, iteASCIITEXT, 0, 0), TextRecord("ab\xE4"), TextRecord("abc")), 1);  // unsigned bytes
  EXPECT_EQ(cmp(Field(3, 3, 9, 0, 0), TextRecord("abc"), TextRecord("abd")), 0);

  zt_test::BoxRecorder boxes;
  EXPECT_EQ(cmp(Field(3, 10, ite80FLOATING, 0, 0), TextRecord("0123456789"), TextRecord("1123456789")), 0);
  EXPECT_EQ(cmp(Field(3, 4, iteUNICODETEXT, 0, 0), TextRecord("abcd"), TextRecord("abce")), 0);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].text, "Cannot compare two 80-bit floating point fields.");
  EXPECT_EQ(boxes.boxes[0].style, 0x30u);
  EXPECT_EQ(boxes.boxes[1].text, "Cannot compare two unicode data fields.");
}

TEST(FieldCodec, FormatNumberDirectly) {
  char text[32];
  numVal v;
  v.u32 = 7;
  EXPECT_EQ(FormatNumber(text, sizeof(text), v, ZT_VAL_UINT32, ztMakeFmt(kNum, 0, 3), 0), 5u);
  EXPECT_STREQ(text, "0,007");
  EXPECT_EQ(FormatNumber(text, sizeof(text), v, 5, 0, 0), 0u);
  v.dbl = -0.5;
  EXPECT_EQ(FormatNumber(text, sizeof(text), v, ZT_VAL_DOUBLE, 0, 0), 2u);
  EXPECT_STREQ(text, "-1");
  v.dbl = 1e300;
  EXPECT_EQ(FormatNumber(text, sizeof(text), v, ZT_VAL_DOUBLE, 0, 0), 0u);
}

}  // namespace
