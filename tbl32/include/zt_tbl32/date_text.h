// Dates and times as text and as day numbers.
//
// A day number counts the days since 1 January 0001 of the proleptic Gregorian
// calendar (that day is 0). Only the years 1583 to 3200 are valid; anything else
// gives ZT_INVALID_DAY. The helpers keep no state and never allocate.
#pragma once

#include "zt_tbl32/frame.h"

// Date format codes (bits 12-15 of a date/time word).
enum : unsigned {
  ZT_DATE_DD_MM_YYYY = 0,
  ZT_DATE_MM_DD_YYYY = 1,
  ZT_DATE_DDMMYYYY = 2,
  ZT_DATE_MMDDYYYY = 3,
  ZT_DATE_DD_MM_YY = 4,
  ZT_DATE_MM_DD_YY = 5,
  ZT_DATE_DDMMYY = 6,
  ZT_DATE_MMDDYY = 7,
  ZT_DATE_YYYYMMDD = 8,
  ZT_DATE_YYMMDD = 9,
  ZT_DATE_YYYYMM = 10,
  ZT_DATE_YYMM = 11,
  ZT_DATE_INVERTED = 12,
  ZT_DATE_FORMAT_COUNT = 13
};

// Time format codes (bits 16-19 of a date/time word).
enum : unsigned {
  ZT_TIME_HH_MM_SS = 0,
  ZT_TIME_HHMMSS = 1,
  ZT_TIME_HH_MM = 2,
  ZT_TIME_HHMM = 3,
  ZT_TIME_FORMAT_COUNT = 4
};

constexpr unsigned ZT_INVALID_DAY = 0xFFFFFFFFu;
constexpr unsigned ZT_FIRST_YEAR = 1583;
constexpr unsigned ZT_LAST_YEAR = 3200;
// Buffer sizes that hold any date or time text of the formats above.
constexpr unsigned ZT_DATE_TEXT_SIZE = 11;
constexpr unsigned ZT_TIME_TEXT_SIZE = 9;

// Reads a date at the fixed positions of the format; a blank stands for a leading
// zero. Reading stops at a zero byte (the rest counts as blanks). Day, month and
// year are not validated. Returns the characters the format occupies (10, 8, 6 or
// 4), 0 for an unknown format (with a log line).
ZT_TBL32_API unsigned ParseDateText(unsigned* day, unsigned* month, unsigned* year, const char* text, unsigned format);
// Reads a time; codes 2 and 3 give second 0. int: 1 ok, 0 unknown format.
ZT_TBL32_API int ParseTimeText(unsigned* hour, unsigned* minute, unsigned* second, const char* text, unsigned format);
// Writes a date in the format and terminates it. Without always, an empty date
// (all 0, or day and month 0 in the year 2000) writes nothing. Returns the
// length, 0 for an empty date, an unknown format or a text that does not fit.
ZT_TBL32_API unsigned FormatDateText(char* text, unsigned day, unsigned month, unsigned year, unsigned format,
                                     int always, unsigned size = ZT_DATE_TEXT_SIZE);
// Writes a time and terminates it; its length, 0 for an unknown format or no room.
ZT_TBL32_API unsigned FormatTimeText(char* text, unsigned hour, unsigned minute, unsigned second, unsigned format,
                                     unsigned size = ZT_TIME_TEXT_SIZE);
ZT_TBL32_API unsigned DateToDayNumber(unsigned day, unsigned month, unsigned year);
ZT_TBL32_API unsigned DaysBeforeYear(unsigned year);
// Length of the text of a date format (10, 8, 6 or 4); 0 for an unknown format.
ZT_TBL32_API unsigned DateTextLength(unsigned format);
