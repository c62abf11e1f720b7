#include "zt_tbl32/number_text.h"

#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <random>
#include <string>

namespace {

std::string Decimal(int64_t value, unsigned decimals, unsigned size = 64) {
  char text[64];
  const unsigned n = FormatDecimalText(text, size, value, decimals);
  EXPECT_EQ(n, strlen(text));
  return text;
}

TEST(NumberText, DecimalTextReadsGermanNotation) {
  EXPECT_EQ(ParseDecimalText("-1.234,56", 0, 2), -123456);
  EXPECT_EQ(ParseDecimalText("12,5", 0, 2), 125);  // missing fraction digits are not made up
  EXPECT_EQ(ParseDecimalText("12", 0, 2), 12);
  EXPECT_EQ(ParseDecimalText("   +7,123", 0, 2), 712);  // a third decimal ends the number
  EXPECT_EQ(ParseDecimalText("1,2,3", 0, 5), 12);       // a second comma ends it
  EXPECT_EQ(ParseDecimalText("1,2.3", 0, 5), 12);       // a point after the comma ends it
  EXPECT_EQ(ParseDecimalText("5-3", 0, 0), 5);          // a sign after a digit ends it
  EXPECT_EQ(ParseDecimalText("--5", 0, 0), 0);
  EXPECT_EQ(ParseDecimalText("12345", 3, 0), 123);  // only the given length
  EXPECT_EQ(ParseDecimalText(nullptr, 0, 2), 0);
}

TEST(NumberText, DecimalTextWritesGroupsAndComma) {
  EXPECT_EQ(Decimal(123456, 2), "1.234,56");
  EXPECT_EQ(Decimal(123456789, 2), "1.234.567,89");
  EXPECT_EQ(Decimal(-5, 2), "-0,05");
  EXPECT_EQ(Decimal(0, 0), "0");
  EXPECT_EQ(Decimal(1000, 0), "1.000");
  EXPECT_EQ(Decimal(INT64_MIN, 0), "-9.223.372.036.854.775.808");
  // Sizes: the decimals need room for "0," and the terminator; the text must fit.
  EXPECT_EQ(Decimal(5, 2, 4), "");
  EXPECT_EQ(Decimal(5, 2, 5), "0,05");
  EXPECT_EQ(Decimal(123456, 2, 8), "");
  EXPECT_EQ(Decimal(123456, 2, 9), "1.234,56");
}

TEST(NumberText, IntegerParsers) {
  EXPECT_EQ(ParseUnsignedText(" 001.234x5", 0), 12345u);  // other characters are ignored
  EXPECT_EQ(ParseSignedText("  - 0012a3", 0), -123);
  EXPECT_EQ(ParseSignedText("-", 0), 0);
  EXPECT_EQ(ParseInt32Text(" -42x7", 0), -42);
  EXPECT_EQ(ParseInt32Text("4294967295", 0), -1);  // wraps like the 32-bit register it fills
  EXPECT_EQ(ParseInt64Text("\t-9223372036854775808", 0), INT64_MIN);
  EXPECT_EQ(ParseUInt64Text("18446744073709551615", 0), UINT64_MAX);
  unsigned rest = 0;
  EXPECT_EQ(ParseUInt32Text("  0042 Euro", 0, &rest), 42u);
  EXPECT_EQ(rest, 5u);
  EXPECT_EQ(ParseUInt32Text("123456", 3, &rest), 123u);
  EXPECT_EQ(rest, 0u);
  EXPECT_EQ(ParseUInt32Text(nullptr, 0, &rest), 0u);
}

TEST(NumberText, DoubleAndAmountParsers) {
  EXPECT_EQ(ParseDoubleText("-12,25", 0), -12.25);
  EXPECT_EQ(ParseDoubleText("12.25", 0), 12.25);
  EXPECT_EQ(ParseDoubleText(" 1", 0), 0.0);  // no blanks skipped
  EXPECT_EQ(ParseDoubleText("1,5,7", 0), 1.5);
  EXPECT_EQ(ParseDoubleText("2.675", 0), 2.675);  // the nearest double
  EXPECT_EQ(ParseDoubleText("0,1", 0), 0.1);
  EXPECT_EQ(ParseAmountText(" -1.234,5", 0), -1234.5);
  EXPECT_EQ(ParseAmountText("1,5.3", 0), 1.5);
  EXPECT_EQ(ParseAmountText("1.5", 0), 15.0);
}

TEST(NumberText, IntegerFormatters) {
  char text[24];
  EXPECT_EQ(FormatInt32(text, INT32_MIN, sizeof(text)), 11u);
  EXPECT_STREQ(text, "-2147483648");
  EXPECT_EQ(FormatUInt64(text, UINT64_MAX, sizeof(text)), 20u);
  EXPECT_STREQ(text, "18446744073709551615");
  EXPECT_EQ(FormatInt64(text, 0, sizeof(text)), 1u);
  EXPECT_STREQ(text, "0");
  EXPECT_EQ(FormatUInt32(text, 12345, 5), 0u);  // no room for the terminator
  EXPECT_STREQ(text, "");
  EXPECT_EQ(FormatUInt32(text, 12345, 6), 5u);
}

TEST(NumberText, AmountsAndThousandsPoints) {
  char text[40];
  EXPECT_EQ(FormatAmount(text, sizeof(text), 1234567.891), 12u);
  EXPECT_STREQ(text, "1.234.567,89");
  EXPECT_GT(FormatAmount(text, sizeof(text), -1234.565), 0u);
  EXPECT_STREQ(text, "-1.234,57");  // negative amounts keep their sign
  EXPECT_GT(FormatAmount(text, sizeof(text), 0.004), 0u);
  EXPECT_STREQ(text, "0,00");
  EXPECT_EQ(FormatAmount(text, 4, 1.0), 0u);
  EXPECT_EQ(FormatAmount(text, sizeof(text), NAN), 0u);
  EXPECT_EQ(FormatAmount(text, sizeof(text), 1e300), 0u);

  char digits[16] = "1234567";
  EXPECT_EQ(InsertThousandsPoints(digits, 7), 9u);
  EXPECT_STREQ(digits, "1.234.567");
  char neg[16] = "-123456";
  EXPECT_EQ(InsertThousandsPoints(neg, 7), 8u);
  EXPECT_STREQ(neg, "-123.456");
  char small[16] = "-123";
  EXPECT_EQ(InsertThousandsPoints(small, 4), 4u);
  EXPECT_STREQ(small, "-123");
  char tight[8] = "1234567";
  EXPECT_EQ(InsertThousandsPoints(tight, 7, sizeof(tight)), 7u);  // would not fit: unchanged
  EXPECT_STREQ(tight, "1234567");
}

TEST(NumberText, CompareDigitText) {
  EXPECT_EQ(CompareDigitText("007", 0, "10", 0), -1);
  EXPECT_EQ(CompareDigitText("12", 0, "0012", 0), 0);
  EXPECT_EQ(CompareDigitText("19", 0, "21", 0), -1);
  EXPECT_EQ(CompareDigitText("100", 0, "99", 0), 1);
  EXPECT_EQ(CompareDigitText("000", 0, "", 0), 0);
  EXPECT_EQ(CompareDigitText("123", 2, "12", 2), 0);
}

#ifndef _WIN32
// The C library's "%.Nf" (glibc rounds the exact binary value, ties to even) is the
// reference for the own fixed-point printer.
TEST(NumberText, FixedDoubleMatchesTheCLibrary) {
  std::mt19937_64 random(12345);
  char mine[400], theirs[400];
  auto check = [&](double v, unsigned decimals) {
    const unsigned n = FormatFixedDouble(mine, sizeof(mine), v, decimals);
    snprintf(theirs, sizeof(theirs), "%.*f", int(decimals), v);
    ASSERT_STREQ(mine, theirs) << v << " " << decimals;
    ASSERT_EQ(n, strlen(theirs));
  };
  const double special[] = {0.0,   -0.0,    0.5,      1.5,   2.5,
                            0.125, 0.375,   2.675,    1.005, 1e22,
                            1e23,  -1e-300, 5e-324,   1e308, 1.7976931348623157e308,
                            0.05,  0.15,    999.9995, 9.5,   -0.5};
  for (double v : special)
    for (unsigned d = 0; d <= 10; ++d) check(v, d);
  for (int i = 0; i < 20000; ++i) {
    uint64_t bits = random();
    double v;
    memcpy(&v, &bits, sizeof(v));
    if (!isfinite(v)) continue;
    check(v, unsigned(random() % 11));
    // Values of everyday size, and exact halves at the last printed digit.
    const double everyday = double(int64_t(random() % 2000000001) - 1000000000) / 1000.0;
    check(everyday, unsigned(random() % 11));
    const unsigned d = unsigned(random() % 4);
    check((double(random() % 100000) + 0.5) / pow(10.0, d), d);
  }
  EXPECT_EQ(FormatFixedDouble(mine, sizeof(mine), INFINITY, 2), 3u);
  EXPECT_STREQ(mine, "inf");
  EXPECT_EQ(FormatFixedDouble(mine, sizeof(mine), -INFINITY, 2), 4u);
  EXPECT_STREQ(mine, "-inf");
  EXPECT_EQ(FormatFixedDouble(mine, 4, 12.5, 1), 0u);
  EXPECT_STREQ(mine, "");
  EXPECT_EQ(FormatFixedDouble(mine, 5, 12.5, 1), 4u);
}
#endif

}  // namespace
