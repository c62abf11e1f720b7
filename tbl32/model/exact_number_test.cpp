#include "zt_tbl32/exact_number.h"

#include <math.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// "-digits e exponent" of a text read in the notation, "!" when it is no number.
std::string Read(const char* text, unsigned notation = ZT_NUM_GERMAN) {
  CZTExactNumber n;
  if (!n.Read(text, 0, notation)) return "!";
  return std::string(n.m_bNegative ? "-" : "") + (n.m_uDigits ? std::string(n.m_Digits, n.m_uDigits) : "0") + "e" +
         std::to_string(n.m_iExponent) + (n.m_bMore ? "+" : "");
}

// The scaled value as text with its rounding: "12", "-3~" (rounded), "beyond-".
std::string Scaled(const char* text, unsigned decimals, unsigned rounding) {
  CZTExactNumber n;
  EXPECT_EQ(1, n.Read(text, 0, ZT_NUM_FLOATING)) << text;
  bool negative, exact;
  uint64_t magnitude;
  if (!n.Scaled(decimals, rounding, &negative, &magnitude, &exact)) return negative ? "beyond-" : "beyond+";
  return (negative ? "-" : "") + std::to_string(magnitude) + (exact ? "" : "~");
}

TEST(ExactNumber, GermanNotation) {
  EXPECT_EQ("1234567e0", Read("1.234.567"));
  EXPECT_EQ("12345e-1", Read("-1.234,5").substr(1));
  EXPECT_EQ("-12345e-1", Read(" -1.234,5\t"));
  EXPECT_EQ("5e-1", Read(",5"));
  EXPECT_EQ("12e0", Read("+12,"));
  EXPECT_EQ("0e0", Read("-0,000"));
  EXPECT_EQ("1e3", Read("1000"));
  EXPECT_EQ("10001e-4", Read("1,0001"));
  // Thousands points only between groups of three digits, one comma.
  for (const char* bad : {"1.2.3,4", "1.234.5", "12.50.1", ".123", "1234.567", "1.234,5,6", "1,234.5", "1,2.3", "", "-",
                          ",", "1 000", "abc", "12a", "1e5", "--1", "0x10", "1.5"})
    EXPECT_EQ("!", Read(bad)) << bad;
}

TEST(ExactNumber, FloatingNotation) {
  EXPECT_EQ("15e-1", Read("1.5", ZT_NUM_FLOATING));  // as doubles are shown
  EXPECT_EQ("15e-1", Read("1,5", ZT_NUM_FLOATING));
  EXPECT_EQ("15e-1", Read("1.500", ZT_NUM_FLOATING));
  EXPECT_EQ("12345e-1", Read("1.234,5", ZT_NUM_FLOATING));
  EXPECT_EQ("1234567e0", Read("1.234.567", ZT_NUM_FLOATING));
  EXPECT_EQ("1e308", Read("1e308", ZT_NUM_FLOATING));
  EXPECT_EQ("-25e-4", Read("-2,5E-3", ZT_NUM_FLOATING));
  EXPECT_EQ("5e-1", Read(".5", ZT_NUM_FLOATING));
  for (const char* bad : {"12.50.1", "1,234.5", "1e", "1e+", "e5", "1.5.", "inf", "1e5e5"})
    EXPECT_EQ("!", Read(bad, ZT_NUM_FLOATING)) << bad;
}

TEST(ExactNumber, LongNumbersKeepWhatDecides) {
  const std::string many = "1" + std::string(200, '0') + "1";
  EXPECT_EQ("1e201+", Read(many.c_str()));
  const std::string digits = std::string(100, '7') + ",5";
  EXPECT_EQ(std::string(96, '7') + "e4+", Read(digits.c_str()));
  EXPECT_EQ("1e-200", Read(("0," + std::string(199, '0') + "1").c_str()));
  EXPECT_EQ("0e0", Read(("0," + std::string(300, '0')).c_str()));
}

TEST(ExactNumber, ScaledRoundsTowardTheAskedSide) {
  EXPECT_EQ("2~", Scaled("2,5", 0, ZT_ROUND_DOWN));
  EXPECT_EQ("3~", Scaled("2,5", 0, ZT_ROUND_UP));
  EXPECT_EQ("-3~", Scaled("-2,5", 0, ZT_ROUND_DOWN));
  EXPECT_EQ("-2~", Scaled("-2,5", 0, ZT_ROUND_UP));
  EXPECT_EQ("0~", Scaled("-0,5", 0, ZT_ROUND_UP));
  EXPECT_EQ("250", Scaled("2,5", 2, ZT_ROUND_DOWN));
  EXPECT_EQ("1005", Scaled("10,05", 2, ZT_ROUND_UP));
  EXPECT_EQ("1005~", Scaled("10,055", 2, ZT_ROUND_DOWN));
  EXPECT_EQ("1200", Scaled("1.2e3", 0, ZT_ROUND_DOWN));
  EXPECT_EQ("18446744073709551615", Scaled("18446744073709551615", 0, ZT_ROUND_DOWN));
  EXPECT_EQ("beyond+", Scaled("18446744073709551615,5", 0, ZT_ROUND_UP));
  EXPECT_EQ("beyond+", Scaled("18446744073709551616", 0, ZT_ROUND_DOWN));
  EXPECT_EQ("beyond-", Scaled("-99999999999999999999999", 0, ZT_ROUND_DOWN));
  EXPECT_EQ("beyond+", Scaled("1e400", 0, ZT_ROUND_DOWN));
  EXPECT_EQ("0~", Scaled("1e-400", 0, ZT_ROUND_DOWN));
  EXPECT_EQ("1~", Scaled("1e-400", 0, ZT_ROUND_UP));
}

TEST(ExactNumber, NearestDouble) {
  CZTExactNumber n;
  auto value = [&n](const char* text) {
    EXPECT_EQ(1, n.Read(text, 0, ZT_NUM_FLOATING)) << text;
    return n.ToDouble();
  };
  EXPECT_EQ(0.15, value("0.15"));
  EXPECT_EQ(-1234.5, value("-1.234,5"));
  EXPECT_EQ(1e308, value("1e308"));
  EXPECT_EQ(HUGE_VAL, value("1e400"));
  EXPECT_EQ(0.0, value("1e-400"));
  // Halfway between two doubles only in digits beyond what is kept: rounds up.
  const std::string halfway = "9007199254740993" + std::string(100, '0') + "1e-101";
  EXPECT_EQ(9007199254740994.0, value(halfway.c_str()));
}

}  // namespace
