// Dates of the selection comparisons, inside the library.
#pragma once

#include "zt_tbl32/data_comp_link.h"

// Day, month and year of a date literal as written (not validated); false when
// the text has no date form.
bool ztSelDateLiteralParts(const char* text, unsigned length, unsigned* day, unsigned* month, unsigned* year);

// An order-keeping key of a valid date, kZTSelNoDateKey (above every date) for an
// invalid one, as the day number is: comparing keys compares day numbers.
inline unsigned ztSelDateKey(unsigned day, unsigned month, unsigned year) {
  static const unsigned char kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || year < 1583 || year > 3200 || day < 1) return kZTSelNoDateKey;
  const bool leap = year % 4 == 0 && (year % 100 != 0 || (year / 100) % 4 == 0);
  if (day > kMonthDays[month - 1] + (month == 2 && leap ? 1u : 0u)) return kZTSelNoDateKey;
  return (year << 9) | (month << 5) | day;
}
