#include "zt_tbl32/exact_number.h"

#include <stdlib.h>
#include <string.h>

#include "zt_tbl32/number_text.h"

namespace {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Beyond this the value is zero or infinite for every use; it keeps the
// arithmetic on exponents in range.
constexpr int kExponentLimit = 1000000;

bool AllDigits(const char* p, const char* end) {
  for (; p < end; ++p)
    if (!IsDigit(*p)) return false;
  return true;
}

// Digits with a point before every group of three counted from the right: the
// first group one to three digits, every further one exactly three.
bool ThousandsGroups(const char* p, const char* end) {
  const char* point = static_cast<const char*>(memchr(p, '.', static_cast<size_t>(end - p)));
  if (!point) return AllDigits(p, end);
  if (point == p || point - p > 3 || !AllDigits(p, point)) return false;
  for (p = point; p < end; p += 4)
    if (end - p < 4 || *p != '.' || !AllDigits(p + 1, p + 4)) return false;
  return true;
}

}  // namespace

int CZTExactNumber::Read(const char* text, unsigned length, unsigned notation) {
  m_bNegative = false;
  m_uDigits = 0;
  m_iExponent = 0;
  m_bMore = false;
  if (!text) return 0;
  const char* p = text;
  const char* end = text + (length ? length : strlen(text));
  while (p < end && IsBlank(*p)) ++p;
  while (end > p && IsBlank(end[-1])) --end;
  if (p < end && (*p == '-' || *p == '+')) m_bNegative = *p++ == '-';

  // The mantissa: digits, points and commas; then, for floating numbers, the exponent.
  const char* mantissa = p;
  while (p < end && (IsDigit(*p) || *p == '.' || *p == ',')) ++p;
  const char* mantissaEnd = p;
  int exponent = 0;
  if (p < end && notation == ZT_NUM_FLOATING && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negativeExponent = false;
    if (p < end && (*p == '-' || *p == '+')) negativeExponent = *p++ == '-';
    if (p == end) return 0;
    for (; p < end && IsDigit(*p); ++p)
      if (exponent < kExponentLimit) exponent = exponent * 10 + (*p - '0');
    if (negativeExponent) exponent = -exponent;
  }
  if (p != end) return 0;

  const char* comma = static_cast<const char*>(memchr(mantissa, ',', static_cast<size_t>(mantissaEnd - mantissa)));
  const char* intEnd = comma ? comma : mantissaEnd;
  const char* fraction = comma ? comma + 1 : mantissaEnd;
  if (!AllDigits(fraction, mantissaEnd)) return 0;  // a second comma, or a point after the comma
  const char* firstPoint = static_cast<const char*>(memchr(mantissa, '.', static_cast<size_t>(intEnd - mantissa)));
  if (firstPoint && notation == ZT_NUM_FLOATING && !comma &&
      !memchr(firstPoint + 1, '.', static_cast<size_t>(intEnd - firstPoint - 1))) {
    // One point and no comma: the decimal point of a shown double.
    if (!AllDigits(mantissa, firstPoint)) return 0;
    intEnd = firstPoint;
    fraction = firstPoint + 1;
  } else if (!ThousandsGroups(mantissa, intEnd)) {
    return 0;
  }

  // The digits of both parts, without leading and trailing zeros.
  int scale = -static_cast<int>(mantissaEnd - fraction);
  bool anyDigit = false;
  int dropped = 0;     // digits beyond kMaxDigits
  unsigned zeros = 0;  // zeros after the last kept digit
  auto take = [&](char c) {
    anyDigit = true;
    if (m_bMore) {
      ++dropped;
    } else if (c == '0') {
      if (m_uDigits) ++zeros;  // leading zeros do not count
    } else if (m_uDigits + zeros < kMaxDigits) {
      // A non-zero digit: the zeros before it are significant.
      for (; zeros; --zeros) m_Digits[m_uDigits++] = '0';
      m_Digits[m_uDigits++] = c;
    } else {
      dropped = static_cast<int>(zeros) + 1;
      zeros = 0;
      m_bMore = true;
    }
  };
  for (const char* q = mantissa; q < intEnd; ++q)
    if (*q != '.') take(*q);
  for (const char* q = fraction; q < mantissaEnd; ++q) take(*q);
  if (!anyDigit) return 0;
  if (m_uDigits == 0) {
    m_bNegative = false;
    return 1;
  }
  // The value is digits × 10^(zeros + dropped) × 10^(scale + exponent).
  m_iExponent = scale + exponent + static_cast<int>(zeros) + dropped;
  return 1;
}

int CZTExactNumber::Scaled(unsigned decimals, unsigned rounding, bool* negative, uint64_t* magnitude,
                           bool* exact) const {
  *negative = m_bNegative;
  *magnitude = 0;
  *exact = true;
  if (m_uDigits == 0) return 1;
  const int e = m_iExponent + static_cast<int>(decimals);
  const int intDigits = static_cast<int>(m_uDigits) + e;
  *exact = e >= 0 && !m_bMore;
  if (intDigits > 20) return 0;
  uint64_t value = 0;
  for (int i = 0; i < intDigits; ++i) {
    const unsigned digit = i < static_cast<int>(m_uDigits) ? static_cast<unsigned>(m_Digits[i] - '0') : 0u;
    if (value > (UINT64_MAX - digit) / 10) return 0;
    value = value * 10 + digit;
  }
  if (!*exact && (m_bNegative ? rounding == ZT_ROUND_DOWN : rounding == ZT_ROUND_UP)) {
    if (value == UINT64_MAX) return 0;
    ++value;
  }
  *magnitude = value;
  if (value == 0) *negative = false;
  return 1;
}

double CZTExactNumber::ToDouble() const {
  if (m_uDigits == 0) return 0.0;
  // Digits and an exponent without a decimal point, which no locale changes; a
  // dropped remainder stands as one more digit so that halfway cases round up.
  char text[kMaxDigits + 16];
  unsigned n = 0;
  if (m_bNegative) text[n++] = '-';
  memcpy(text + n, m_Digits, m_uDigits);
  n += m_uDigits;
  int exponent = m_iExponent;
  if (m_bMore) {
    text[n++] = '1';
    --exponent;
  }
  text[n++] = 'e';
  FormatInt32(text + n, exponent, static_cast<unsigned>(sizeof(text) - n));
  return strtod(text, nullptr);
}
