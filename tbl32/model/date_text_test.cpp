#include "zt_tbl32/date_text.h"

#include <gtest/gtest.h>

#include <string>

#include "model_test_support.h"

namespace {

// Days from 1970-01-01 of a civil date (an independent algorithm: eras of 400 years).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = unsigned(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::string FormatDate(unsigned d, unsigned m, unsigned y, unsigned format, int always = 0) {
  char text[ZT_DATE_TEXT_SIZE];
  unsigned n = FormatDateText(text, d, m, y, format, always);
  EXPECT_EQ(n, std::string(text).size());
  return text;
}

TEST(DateText, EveryDateFormatFormatsAndParsesBack) {
  struct Expect {
    unsigned format;
    const char* text;
  };
  // 30 July 2009
  const Expect cases[] = {{0, "30.07.2009"}, {1, "07.30.2009"}, {2, "30072009"}, {3, "07302009"}, {4, "30.07.09"},
                          {5, "07.30.09"},   {6, "300709"},     {7, "073009"},   {8, "20090730"}, {9, "090730"},
                          {10, "200907"},    {11, "0907"},      {12, "79909269"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(FormatDate(30, 7, 2009, c.format), c.text);
    unsigned d = 0, m = 0, y = 0;
    EXPECT_EQ(ParseDateText(&d, &m, &y, c.text, c.format), DateTextLength(c.format));
    EXPECT_EQ(DateTextLength(c.format), std::string(c.text).size());
    EXPECT_EQ(m, 7u);
    EXPECT_EQ(y, 2009u);
    EXPECT_EQ(d, c.format == 10 || c.format == 11 ? 1u : 30u);
  }
  // Round trip over many dates for every format.
  for (unsigned format = 0; format < ZT_DATE_FORMAT_COUNT; ++format) {
    for (unsigned y = 2000; y <= 2099; y += 7)
      for (unsigned m = 1; m <= 12; ++m) {
        const unsigned d = format == 10 || format == 11 ? 1 : (m * 7 + y) % 28 + 1;
        unsigned pd, pm, py;
        const std::string text = FormatDate(d, m, y, format, 1);
        ASSERT_EQ(ParseDateText(&pd, &pm, &py, text.c_str(), format), text.size()) << format << " " << text;
        EXPECT_EQ(pd * 100000000u + pm * 10000 + py, d * 100000000u + m * 10000 + y) << format << " " << text;
      }
  }
}

TEST(DateText, EveryTimeFormatFormatsAndParsesBack) {
  const char* expected[] = {"14:05:09", "140509", "14:05", "1405"};
  for (unsigned format = 0; format < ZT_TIME_FORMAT_COUNT; ++format) {
    char text[ZT_TIME_TEXT_SIZE];
    EXPECT_EQ(FormatTimeText(text, 14, 5, 9, format), std::string(expected[format]).size());
    EXPECT_STREQ(text, expected[format]);
    unsigned h = 99, m = 99, s = 99;
    EXPECT_EQ(ParseTimeText(&h, &m, &s, text, format), 1);
    EXPECT_EQ(h, 14u);
    EXPECT_EQ(m, 5u);
    EXPECT_EQ(s, format < 2 ? 9u : 0u);
  }
  char text[ZT_TIME_TEXT_SIZE] = "x";
  unsigned h, m, s;
  EXPECT_EQ(FormatTimeText(text, 1, 2, 3, 4), 0u);
  EXPECT_EQ(ParseTimeText(&h, &m, &s, "12:00:00", 4), 0);
}

TEST(DateText, ParsingTreatsBlanksAsLeadingZerosAndStopsAtTheEndOfTheText) {
  unsigned d, m, y;
  EXPECT_EQ(ParseDateText(&d, &m, &y, " 1. 2.  09", 0), 10u);
  EXPECT_EQ(d * 10000 + m * 100, 10200u);
  EXPECT_EQ(y, 9u);
  // A short text reads as if blanks followed; nothing past the terminator is read.
  EXPECT_EQ(ParseDateText(&d, &m, &y, "31", 0), 10u);
  EXPECT_EQ(d, 31u);
  EXPECT_EQ(m, 0u);
  EXPECT_EQ(y, 0u);
  EXPECT_EQ(ParseDateText(&d, &m, &y, nullptr, 8), 8u);
  EXPECT_EQ(y, 0u);
  // Inverted date with leading blanks.
  EXPECT_EQ(ParseDateText(&d, &m, &y, "  909269", 12), 8u);
  EXPECT_EQ(y * 10000 + m * 100 + d, 99999999u - 909269u);
}

TEST(DateText, UnknownDateFormatIsLogged) {
  zt_test::LogCapture log;
  unsigned d = 5, m = 5, y = 5;
  EXPECT_EQ(ParseDateText(&d, &m, &y, "30.07.2009", 13), 0u);
  EXPECT_EQ(d, 5u);
  EXPECT_EQ(log.All(), "0 CZTFieldDesc: Illegal date format 13 on ParseDate\n");
  char text[ZT_DATE_TEXT_SIZE] = "x";
  EXPECT_EQ(FormatDateText(text, 1, 1, 2000, 13, 1), 0u);
}

TEST(DateText, EmptyDatesAndBufferSizes) {
  char text[ZT_DATE_TEXT_SIZE] = "x";
  EXPECT_EQ(FormatDateText(text, 0, 0, 0, 0, 0), 0u);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(FormatDateText(text, 0, 0, 2000, 8, 0), 0u);
  EXPECT_EQ(FormatDate(0, 0, 2001, 0), "00.00.2001");
  EXPECT_EQ(FormatDate(0, 0, 0, 0, 1), "00.00.0000");
  // The text must fit with its terminator.
  EXPECT_EQ(FormatDateText(text, 30, 7, 2009, 0, 0, 10), 0u);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(FormatDateText(text, 30, 7, 2009, 0, 0, 11), 10u);
  // Wide values print all their digits ("%02u" sets a minimum only).
  char wide[32];
  EXPECT_EQ(FormatDateText(wide, 123, 7, 12345, 0, 0, sizeof(wide)), 12u);
  EXPECT_STREQ(wide, "123.07.12345");
}

TEST(DateText, DayNumbersAgreeWithAnIndependentCalendar) {
  const long long base = DaysFromCivil(1, 1, 1);
  static const unsigned kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (unsigned y = ZT_FIRST_YEAR; y <= ZT_LAST_YEAR; ++y) {
    ASSERT_EQ(DaysBeforeYear(y), unsigned(DaysFromCivil(y, 1, 1) - base)) << y;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    for (unsigned m = 1; m <= 12; ++m) {
      const unsigned last = m == 2 && !leap ? 28 : kDays[m - 1];
      ASSERT_EQ(DateToDayNumber(1, m, y), unsigned(DaysFromCivil(y, m, 1) - base)) << y << "-" << m;
      ASSERT_EQ(DateToDayNumber(last, m, y), unsigned(DaysFromCivil(y, m, last) - base)) << y << "-" << m;
      ASSERT_EQ(DateToDayNumber(last + 1, m, y), ZT_INVALID_DAY) << y << "-" << m;
    }
  }
}

TEST(DateText, DayNumberBounds) {
  EXPECT_EQ(DateToDayNumber(1, 1, 1583), 577813u);
  EXPECT_EQ(DateToDayNumber(31, 12, 1582), ZT_INVALID_DAY);
  EXPECT_EQ(DateToDayNumber(31, 12, 3200), DateToDayNumber(1, 1, 3200) + 365);  // 3200 is a leap year
  EXPECT_EQ(DateToDayNumber(1, 1, 3201), ZT_INVALID_DAY);
  EXPECT_EQ(DateToDayNumber(29, 2, 1900), ZT_INVALID_DAY);
  EXPECT_NE(DateToDayNumber(29, 2, 2000), ZT_INVALID_DAY);
  EXPECT_EQ(DateToDayNumber(0, 1, 2000), ZT_INVALID_DAY);
  EXPECT_EQ(DateToDayNumber(1, 0, 2000), ZT_INVALID_DAY);
  EXPECT_EQ(DateToDayNumber(1, 13, 2000), ZT_INVALID_DAY);
  EXPECT_EQ(DaysBeforeYear(1582), ZT_INVALID_DAY);
  EXPECT_EQ(DaysBeforeYear(0), ZT_INVALID_DAY);
}

}  // namespace
