// Digit writers shared by the text helpers and the codec: arithmetic on the
// character codes, no library calls, no locale.
#pragma once

#include <stdint.h>

namespace zt_digits {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Writes the digits of value backwards so that they end just before end; returns
// the first digit. At least minDigits digits (leading zeros). The caller gives
// room for 20 digits (or minDigits, when more).
inline char* PutDigitsBack(char* end, uint64_t value, unsigned minDigits = 1) {
  char* p = end;
  // 32-bit steps where possible: 64-bit division is a library call on x86.
  while (value > UINT32_MAX) {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  uint32_t v = static_cast<uint32_t>(value);
  do {
    *--p = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v);
  while (static_cast<unsigned>(end - p) < minDigits) *--p = '0';
  return p;
}

// Appends the digits of value with at least minDigits digits; returns the new end.
inline char* PutDigits(char* out, uint32_t value, unsigned minDigits) {
  char tmp[12];
  char* end = tmp + sizeof(tmp);
  char* p = PutDigitsBack(end, value, minDigits);
  while (p < end) *out++ = *p++;
  return out;
}

}  // namespace zt_digits
