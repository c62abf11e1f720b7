#include "zt_tbl32/date_text.h"

#include "digits.h"
#include "model_codes.h"

using zt_digits::IsDigit;
using zt_digits::PutDigits;

namespace {

// Where the parts of a date stand in the text of each format; -1: not present
// (the day is then 1). yearDigits 4 or 2 (2000 + YY).
struct DateLayout {
  signed char dayPos;
  signed char monthPos;
  signed char yearPos;
  unsigned char yearDigits;
  unsigned char length;
};

const DateLayout kDateLayouts[ZT_DATE_FORMAT_COUNT] = {
    {0, 3, 6, 4, 10},   // DD.MM.YYYY
    {3, 0, 6, 4, 10},   // MM.DD.YYYY
    {0, 2, 4, 4, 8},    // DDMMYYYY
    {2, 0, 4, 4, 8},    // MMDDYYYY
    {0, 3, 6, 2, 8},    // DD.MM.YY
    {3, 0, 6, 2, 8},    // MM.DD.YY
    {0, 2, 4, 2, 6},    // DDMMYY
    {2, 0, 4, 2, 6},    // MMDDYY
    {6, 4, 0, 4, 8},    // YYYYMMDD
    {4, 2, 0, 2, 6},    // YYMMDD
    {-1, 4, 0, 4, 6},   // YYYYMM
    {-1, 2, 0, 2, 4},   // YYMM
    {-1, -1, -1, 0, 8}  // inverted
};

const unsigned char kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// Days before the first of each month in a common year.
const unsigned short kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

bool IsLeapYear(unsigned year) { return year % 4 == 0 && (year % 100 != 0 || (year / 100) % 4 == 0); }

// Copies up to count characters, stopping at a zero byte; the rest becomes blanks.
void CopyPadded(char* dest, const char* text, unsigned count) {
  unsigned i = 0;
  if (text)
    for (; i < count && text[i]; ++i) dest[i] = text[i];
  for (; i < count; ++i) dest[i] = ' ';
}

// Two characters: both digits when the first is one, the second digit alone when
// only it is one, else 0 (a blank stands for a leading zero).
unsigned ReadPair(const char* p) {
  if (IsDigit(p[0])) return IsDigit(p[1]) ? unsigned(p[0] - '0') * 10 + unsigned(p[1] - '0') : unsigned(p[0] - '0');
  if (IsDigit(p[1])) return unsigned(p[1] - '0');
  return 0;
}

// Four characters: the digits from the first digit on, leading non-digits skipped.
unsigned ReadYear4(const char* p) {
  unsigned i = 0;
  while (i < 4 && !IsDigit(p[i])) ++i;
  unsigned value = 0;
  for (; i < 4 && IsDigit(p[i]); ++i) value = value * 10 + unsigned(p[i] - '0');
  return value;
}

}  // namespace

unsigned DateTextLength(unsigned format) { return format < ZT_DATE_FORMAT_COUNT ? kDateLayouts[format].length : 0; }

unsigned ParseDateText(unsigned* day, unsigned* month, unsigned* year, const char* text, unsigned format) {
  if (format >= ZT_DATE_FORMAT_COUNT) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFieldDesc, "Illegal date format %u on ParseDate", format);
    return 0;
  }
  char buf[10];
  CopyPadded(buf, text, sizeof(buf));
  unsigned d = 1, m = 1, y = 0;
  const DateLayout& layout = kDateLayouts[format];
  if (format == ZT_DATE_INVERTED) {
    unsigned i = 0;
    while (i < 8 && (buf[i] == ' ' || buf[i] == '\t' || buf[i] == '0')) ++i;
    unsigned n = 0;
    for (; i < 8 && IsDigit(buf[i]); ++i) n = n * 10 + unsigned(buf[i] - '0');
    n = 99999999u - n;
    y = n / 10000;
    m = (n / 100) % 100;
    d = n % 100;
  } else {
    if (layout.dayPos >= 0) d = ReadPair(buf + layout.dayPos);
    m = ReadPair(buf + layout.monthPos);
    y = layout.yearDigits == 4 ? ReadYear4(buf + layout.yearPos) : 2000 + ReadPair(buf + layout.yearPos);
  }
  if (day) *day = d;
  if (month) *month = m;
  if (year) *year = y;
  return layout.length;
}

int ParseTimeText(unsigned* hour, unsigned* minute, unsigned* second, const char* text, unsigned format) {
  static const unsigned char kPos[ZT_TIME_FORMAT_COUNT][3] = {{0, 3, 6}, {0, 2, 4}, {0, 3, 0}, {0, 2, 0}};
  if (format >= ZT_TIME_FORMAT_COUNT) return 0;
  char buf[8];
  CopyPadded(buf, text, sizeof(buf));
  if (hour) *hour = ReadPair(buf + kPos[format][0]);
  if (minute) *minute = ReadPair(buf + kPos[format][1]);
  if (second) *second = format < ZT_TIME_HH_MM ? ReadPair(buf + kPos[format][2]) : 0;
  return 1;
}

unsigned FormatDateText(char* text, unsigned day, unsigned month, unsigned year, unsigned format, int always,
                        unsigned size) {
  if (!text || size == 0 || format >= ZT_DATE_FORMAT_COUNT) return 0;
  if (!always && day == 0 && month == 0 && (year == 0 || year == 2000)) {
    text[0] = '\0';
    return 0;
  }
  char buf[40];
  char* p = buf;
  const unsigned yy = year % 100;
  switch (format) {
    case ZT_DATE_DD_MM_YYYY:
    case ZT_DATE_MM_DD_YYYY:
    case ZT_DATE_DD_MM_YY:
    case ZT_DATE_MM_DD_YY: {
      const bool dayFirst = format == ZT_DATE_DD_MM_YYYY || format == ZT_DATE_DD_MM_YY;
      p = PutDigits(p, dayFirst ? day : month, 2);
      *p++ = '.';
      p = PutDigits(p, dayFirst ? month : day, 2);
      *p++ = '.';
      p = format <= ZT_DATE_MM_DD_YYYY ? PutDigits(p, year, 4) : PutDigits(p, yy, 2);
      break;
    }
    case ZT_DATE_DDMMYYYY:
    case ZT_DATE_MMDDYYYY:
    case ZT_DATE_DDMMYY:
    case ZT_DATE_MMDDYY: {
      const bool dayFirst = format == ZT_DATE_DDMMYYYY || format == ZT_DATE_DDMMYY;
      p = PutDigits(p, dayFirst ? day : month, 2);
      p = PutDigits(p, dayFirst ? month : day, 2);
      p = format <= ZT_DATE_MMDDYYYY ? PutDigits(p, year, 4) : PutDigits(p, yy, 2);
      break;
    }
    case ZT_DATE_YYYYMMDD:
      p = PutDigits(PutDigits(PutDigits(p, year, 4), month, 2), day, 2);
      break;
    case ZT_DATE_YYMMDD:
      p = PutDigits(PutDigits(PutDigits(p, yy, 2), month, 2), day, 2);
      break;
    case ZT_DATE_YYYYMM:
      p = PutDigits(PutDigits(p, year, 4), month, 2);
      break;
    case ZT_DATE_YYMM:
      p = PutDigits(PutDigits(p, yy, 2), month, 2);
      break;
    default:  // inverted: unsigned arithmetic, as the stored keys are made
      p = PutDigits(p, 99999999u - (year * 10000u + month * 100u + day), 1);
      break;
  }
  const unsigned length = unsigned(p - buf);
  if (length >= size) {
    text[0] = '\0';
    return 0;
  }
  for (unsigned i = 0; i < length; ++i) text[i] = buf[i];
  text[length] = '\0';
  return length;
}

unsigned FormatTimeText(char* text, unsigned hour, unsigned minute, unsigned second, unsigned format, unsigned size) {
  if (!text || size == 0 || format >= ZT_TIME_FORMAT_COUNT) return 0;
  char buf[40];
  const bool colons = format == ZT_TIME_HH_MM_SS || format == ZT_TIME_HH_MM;
  char* p = PutDigits(buf, hour, 2);
  if (colons) *p++ = ':';
  p = PutDigits(p, minute, 2);
  if (format < ZT_TIME_HH_MM) {
    if (colons) *p++ = ':';
    p = PutDigits(p, second, 2);
  }
  const unsigned length = unsigned(p - buf);
  if (length >= size) {
    text[0] = '\0';
    return 0;
  }
  for (unsigned i = 0; i < length; ++i) text[i] = buf[i];
  text[length] = '\0';
  return length;
}

unsigned DaysBeforeYear(unsigned year) {
  if (year < ZT_FIRST_YEAR || year > ZT_LAST_YEAR) return ZT_INVALID_DAY;
  const unsigned n = year - 1;
  const unsigned r = (n % 400) % 100;
  return (n / 400) * 146097u + ((n % 400) / 100) * 36524u + r * 365u + r / 4;
}

unsigned DateToDayNumber(unsigned day, unsigned month, unsigned year) {
  if (month < 1 || month > 12) return ZT_INVALID_DAY;
  const unsigned before = DaysBeforeYear(year);
  if (before == ZT_INVALID_DAY) return ZT_INVALID_DAY;
  const bool leap = IsLeapYear(year);
  const unsigned length = kMonthDays[month - 1] + (month == 2 && leap ? 1 : 0);
  if (day < 1 || day > length) return ZT_INVALID_DAY;
  return before + kDaysBeforeMonth[month - 1] + (month > 2 && leap ? 1 : 0) + day - 1;
}
