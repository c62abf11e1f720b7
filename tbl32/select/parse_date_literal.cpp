#include "zt_tbl32/parse_date_literal.h"

#include <string.h>

#include "select_dates.h"
#include "zt_tbl32/date_text.h"

namespace {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned Digits(const char* p, unsigned n) {
  unsigned v = 0;
  for (unsigned i = 0; i < n; ++i) v = v * 10 + static_cast<unsigned>(p[i] - '0');
  return v;
}

// A run of digits ending at the first non-digit; false when empty or too long to
// be a day, a month or a year.
bool DigitRun(const char*& p, const char* end, unsigned& value) {
  const char* start = p;
  while (p < end && IsDigit(*p)) ++p;
  if (p == start || p - start > 4) return false;
  value = Digits(start, static_cast<unsigned>(p - start));
  return true;
}

}  // namespace

bool ztSelDateLiteralParts(const char* text, unsigned length, unsigned* dayOut, unsigned* monthOut, unsigned* yearOut) {
  if (!text) return false;
  if (length == 0) length = static_cast<unsigned>(strlen(text));
  if (length < 6) return false;
  bool allDigits = true;
  for (unsigned i = 0; i < length && allDigits; ++i) allDigits = IsDigit(text[i]);
  unsigned day, month, year;
  if (allDigits && length == 6) {
    day = Digits(text, 2);
    month = Digits(text + 2, 2);
    year = 2000 + Digits(text + 4, 2);
  } else if (allDigits && length == 8) {
    day = Digits(text, 2);
    month = Digits(text + 2, 2);
    year = Digits(text + 4, 4);
  } else {
    const char* p = text;
    const char* end = text + length;
    if (!DigitRun(p, end, day) || p == end || *p++ != '.') return false;
    if (!DigitRun(p, end, month) || p == end || *p++ != '.') return false;
    year = 2000;
    if (p < end) {
      if (!DigitRun(p, end, year) || p != end) return false;
      if (year < 100) year += 2000;
    }
  }
  *dayOut = day;
  *monthOut = month;
  *yearOut = year;
  return true;
}

unsigned ParseDateLiteral(const char* text, unsigned length) {
  unsigned day, month, year;
  if (!ztSelDateLiteralParts(text, length, &day, &month, &year)) return ZT_INVALID_DAY;
  return DateToDayNumber(day, month, year);
}
