// A number as a person writes it, held exactly: a sign, its significant digits
// and a power of ten. Selection values and ztdesc's import read numbers with it,
// so that both accept the same notation and neither rounds nor cuts silently.
#pragma once

#include <stdint.h>

#include "zt_tbl32/frame.h"

// Notations of CZTExactNumber::Read.
enum : unsigned {
  // German: digits with thousands points between groups of three (1.234.567),
  // at most one decimal comma (1.234,5; ,5; 12,).
  ZT_NUM_GERMAN = 0,
  // Floating: the German forms, a single '.' as decimal point when there is no
  // comma (1.5, as doubles are shown), and an exponent (1e308, 2,5E-3).
  ZT_NUM_FLOATING = 1,
};

// Rounding of CZTExactNumber::Scaled.
enum : unsigned { ZT_ROUND_DOWN = 0, ZT_ROUND_UP = 1 };

class ZT_TBL32_API CZTExactNumber {
 public:
  enum : unsigned { kMaxDigits = 96 };

  bool m_bNegative = false;
  unsigned m_uDigits = 0;     // significant digits; 0 for zero
  int m_iExponent = 0;        // value = digits × 10^exponent
  bool m_bMore = false;       // non-zero digits beyond kMaxDigits were dropped
  char m_Digits[kMaxDigits];  // '1'-'9' first and last, no terminating zero

  // Reads the whole text in the notation; blanks and tabs around it are allowed,
  // a sign ('-' or '+') goes in front. int: 1 when the text is such a number.
  int Read(const char* text, unsigned length, unsigned notation);
  // The value × 10^decimals rounded down (toward minus infinity) or up, as a sign
  // and a magnitude. int: 1 when the magnitude fits 64 bits, 0 when it does not
  // (*negative still tells the side). *exact: no rounding was needed.
  int Scaled(unsigned decimals, unsigned rounding, bool* negative, uint64_t* magnitude, bool* exact) const;
  // The double nearest to the value (infinite beyond the range of doubles).
  double ToDouble() const;
};
