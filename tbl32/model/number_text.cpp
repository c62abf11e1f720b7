#include "zt_tbl32/number_text.h"

#include <math.h>
#include <string.h>

#include "digits.h"

using zt_digits::IsDigit;
using zt_digits::PutDigitsBack;

namespace {

unsigned TextLength(const char* text, unsigned length) {
  if (!text) return 0;
  return length ? length : unsigned(strlen(text));
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Exact powers of ten as doubles (10^22 is the last one a double holds exactly).
const double kPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Collects decimal digits into a double: exactly (one rounding) while the digits
// fit 53 bits, else by accumulation.
struct DoubleAccumulator {
  uint64_t mantissa = 0;
  unsigned fractionDigits = 0;
  bool exact = true;
  double whole = 0, fraction = 0, scale = 0.1;

  void AddInteger(unsigned digit) {
    if (exact && mantissa <= (((uint64_t)1 << 53) - 10) / 10) {
      mantissa = mantissa * 10 + digit;
    } else {
      if (exact) SwitchToInexact();
      whole = whole * 10 + digit;
    }
  }
  void AddFraction(unsigned digit) {
    if (exact && fractionDigits < 18 && mantissa <= (((uint64_t)1 << 53) - 10) / 10) {
      mantissa = mantissa * 10 + digit;
      ++fractionDigits;
    } else {
      if (exact) SwitchToInexact();
      fraction += digit * scale;
      scale *= 0.1;
    }
  }
  void SwitchToInexact() {
    exact = false;
    const uint64_t p = (uint64_t)kPow10[fractionDigits];
    whole = (double)(mantissa / p);
    fraction = (double)(mantissa % p) / kPow10[fractionDigits];
    scale = 1.0 / kPow10[fractionDigits] * 0.1;
  }
  double Value() const { return exact ? (double)mantissa / kPow10[fractionDigits] : whole + fraction; }
};

unsigned CopyOut(char* text, unsigned size, const char* from, unsigned length) {
  if (!text || size == 0) return 0;
  if (length >= size) {
    text[0] = '\0';
    return 0;
  }
  memcpy(text, from, length);
  text[length] = '\0';
  return length;
}

// Builds "[-]int[,frac]" with thousands points backwards from end; returns the start.
char* PutGroupedBack(char* end, uint64_t magnitude, bool negative, unsigned decimals) {
  char* p = end;
  for (unsigned i = 0; i < decimals; ++i) {
    *--p = char('0' + magnitude % 10);
    magnitude /= 10;
  }
  if (decimals) *--p = ',';
  unsigned group = 0;
  do {
    if (group == 3) {
      *--p = '.';
      group = 0;
    }
    *--p = char('0' + magnitude % 10);
    magnitude /= 10;
    ++group;
  } while (magnitude);
  if (negative) *--p = '-';
  return p;
}

}  // namespace

int64_t ParseDecimalText(const char* text, unsigned length, unsigned decimals) {
  const unsigned n = TextLength(text, length);
  unsigned i = 0;
  while (i < n && text[i] == ' ') ++i;
  bool negative = false, signSeen = false, digitSeen = false, inFraction = false;
  unsigned fractionDigits = 0;
  uint64_t value = 0;
  for (; i < n; ++i) {
    const char c = text[i];
    if (c == '+' || c == '-') {
      if (signSeen || digitSeen) break;
      signSeen = true;
      negative = c == '-';
    } else if (c == ',') {
      if (inFraction) break;
      inFraction = true;
    } else if (c == '.') {
      if (inFraction) break;
    } else if (IsDigit(c)) {
      if (inFraction) {
        if (fractionDigits >= decimals) break;
        ++fractionDigits;
      }
      value = value * 10 + unsigned(c - '0');
      digitSeen = true;
    } else {
      break;
    }
  }
  return (int64_t)(negative ? 0 - value : value);
}

unsigned FormatDecimalText(char* text, unsigned size, int64_t value, unsigned decimals) {
  if (!text || size == 0) return 0;
  text[0] = '\0';
  if ((decimals && size < decimals + 3) || decimals > 32) return 0;
  char buf[80];
  const bool negative = value < 0;
  const uint64_t magnitude = negative ? 0 - (uint64_t)value : (uint64_t)value;
  char* end = buf + sizeof(buf);
  char* start = PutGroupedBack(end, magnitude, negative, decimals);
  return CopyOut(text, size, start, unsigned(end - start));
}

namespace {

// Leading blanks, tabs and zeros skipped, then every digit up to n.
uint64_t CollectDigits(const char* text, unsigned n) {
  unsigned i = 0;
  while (i < n && (IsBlank(text[i]) || text[i] == '0')) ++i;
  uint64_t value = 0;
  for (; i < n; ++i)
    if (IsDigit(text[i])) value = value * 10 + unsigned(text[i] - '0');
  return value;
}

}  // namespace

uint64_t ParseUnsignedText(const char* text, unsigned length) { return CollectDigits(text, TextLength(text, length)); }

int64_t ParseSignedText(const char* text, unsigned length) {
  const unsigned n = TextLength(text, length);
  unsigned i = 0;
  while (i < n && IsBlank(text[i])) ++i;
  const bool negative = i < n && text[i] == '-';
  if (negative) ++i;
  const uint64_t v = CollectDigits(text + i, n - i);
  return (int64_t)(negative ? 0 - v : v);
}

namespace {

// Digits after leading blanks and tabs, an optional '-', blanks, tabs and zeros;
// stops at the first other character.
uint64_t ParseStrict(const char* text, unsigned n, bool allowSign, bool* negative, unsigned* consumed) {
  unsigned i = 0;
  *negative = false;
  while (i < n && IsBlank(text[i])) ++i;
  if (allowSign && i < n && text[i] == '-') {
    *negative = true;
    ++i;
  }
  while (i < n && (IsBlank(text[i]) || text[i] == '0')) ++i;
  uint64_t value = 0;
  for (; i < n && IsDigit(text[i]); ++i) value = value * 10 + unsigned(text[i] - '0');
  *consumed = i;
  return value;
}

}  // namespace

int32_t ParseInt32Text(const char* text, unsigned length) {
  bool negative;
  unsigned consumed;
  const uint32_t v = (uint32_t)ParseStrict(text, TextLength(text, length), true, &negative, &consumed);
  return (int32_t)(negative ? 0 - v : v);
}

int64_t ParseInt64Text(const char* text, unsigned length) {
  bool negative;
  unsigned consumed;
  const uint64_t v = ParseStrict(text, TextLength(text, length), true, &negative, &consumed);
  return (int64_t)(negative ? 0 - v : v);
}

uint32_t ParseUInt32Text(const char* text, unsigned length, unsigned* remaining) {
  bool negative;
  unsigned consumed;
  const unsigned n = TextLength(text, length);
  const uint32_t v = (uint32_t)ParseStrict(text, n, false, &negative, &consumed);
  if (remaining) *remaining = n - consumed;
  return v;
}

uint64_t ParseUInt64Text(const char* text, unsigned length) {
  bool negative;
  unsigned consumed;
  return ParseStrict(text, TextLength(text, length), false, &negative, &consumed);
}

double ParseDoubleText(const char* text, unsigned length) {
  const unsigned n = TextLength(text, length);
  DoubleAccumulator acc;
  bool negative = false, signSeen = false, inFraction = false;
  for (unsigned i = 0; i < n; ++i) {
    const char c = text[i];
    if (c == '+' || c == '-') {
      if (signSeen) break;
      signSeen = true;
      negative = c == '-';
    } else if (c == ',' || c == '.') {
      if (inFraction) break;
      inFraction = true;
    } else if (IsDigit(c)) {
      if (inFraction)
        acc.AddFraction(unsigned(c - '0'));
      else
        acc.AddInteger(unsigned(c - '0'));
    } else {
      break;
    }
  }
  const double v = acc.Value();
  return negative ? -v : v;
}

double ParseAmountText(const char* text, unsigned length) {
  const unsigned n = TextLength(text, length);
  unsigned i = 0;
  while (i < n && text[i] == ' ') ++i;
  DoubleAccumulator acc;
  bool negative = false, signSeen = false, digitSeen = false, inFraction = false;
  for (; i < n; ++i) {
    const char c = text[i];
    if (c == '+' || c == '-') {
      if (signSeen || digitSeen) break;
      signSeen = true;
      negative = c == '-';
    } else if (c == ',') {
      if (inFraction) break;
      inFraction = true;
    } else if (c == '.') {
      if (inFraction) break;
    } else if (IsDigit(c)) {
      digitSeen = true;
      if (inFraction)
        acc.AddFraction(unsigned(c - '0'));
      else
        acc.AddInteger(unsigned(c - '0'));
    } else {
      break;
    }
  }
  const double v = acc.Value();
  return negative ? -v : v;
}

unsigned FormatUInt64(char* text, uint64_t value, unsigned size) {
  char buf[24];
  char* end = buf + sizeof(buf);
  char* start = PutDigitsBack(end, value);
  return CopyOut(text, size, start, unsigned(end - start));
}

unsigned FormatInt64(char* text, int64_t value, unsigned size) {
  char buf[24];
  char* end = buf + sizeof(buf);
  char* start = PutDigitsBack(end, value < 0 ? 0 - (uint64_t)value : (uint64_t)value);
  if (value < 0) *--start = '-';
  return CopyOut(text, size, start, unsigned(end - start));
}

unsigned FormatUInt32(char* text, uint32_t value, unsigned size) { return FormatUInt64(text, value, size); }

unsigned FormatInt32(char* text, int32_t value, unsigned size) { return FormatInt64(text, value, size); }

unsigned FormatAmount(char* text, unsigned size, double value) {
  if (!text || size == 0) return 0;
  text[0] = '\0';
  if (size < 5) return 0;
  const double hundredths = round(value * 100.0);
  if (!(fabs(hundredths) < 9.2e18)) return 0;
  const int64_t h = (int64_t)hundredths;
  char buf[40];
  char* end = buf + sizeof(buf);
  char* start = PutGroupedBack(end, h < 0 ? 0 - (uint64_t)h : (uint64_t)h, h < 0, 2);
  return CopyOut(text, size, start, unsigned(end - start));
}

unsigned InsertThousandsPoints(char* text, unsigned length, unsigned size) {
  if (!text) return 0;
  const unsigned signLength = (length && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  const unsigned digits = length - signLength;
  if (digits <= 3) return length;
  const unsigned newLength = length + (digits - 1) / 3;
  if (newLength >= size) return length;
  text[newLength] = '\0';
  unsigned from = length, to = newLength, group = 0;
  while (from > signLength) {
    if (group == 3) {
      text[--to] = '.';
      group = 0;
    }
    text[--to] = text[--from];
    ++group;
  }
  return newLength;
}

int CompareDigitText(const char* text1, unsigned length1, const char* text2, unsigned length2) {
  unsigned n1 = TextLength(text1, length1), n2 = TextLength(text2, length2);
  while (n1 && *text1 == '0') ++text1, --n1;
  while (n2 && *text2 == '0') ++text2, --n2;
  if (n1 != n2) return n1 < n2 ? -1 : 1;
  for (unsigned i = 0; i < n1; ++i) {
    const signed char a = (signed char)text1[i], b = (signed char)text2[i];
    if (a != b) return a < b ? -1 : 1;
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Exact fixed-point printing of doubles.

namespace {

// A non-negative finite double m * 2^e split exactly into its decimal integer
// digits and a binary fraction of 32-bit words (most significant first).
struct ExactDouble {
  uint64_t mantissa;
  int exponent;
};

ExactDouble Decompose(uint64_t bits) {
  const unsigned biased = unsigned((bits >> 52) & 0x7FF);
  uint64_t m = bits & (((uint64_t)1 << 52) - 1);
  int e;
  if (biased == 0) {
    e = -1074;
  } else {
    m |= (uint64_t)1 << 52;
    e = int(biased) - 1075;
  }
  if (m) {
    while ((m & 1) == 0) {
      m >>= 1;
      ++e;
    }
  }
  return {m, e};
}

// Decimal digits of m * 2^e (e > 0, too large for 64 bits) backwards before end.
char* PutBigIntegerBack(char* end, uint64_t m, int e) {
  uint32_t words[36] = {};  // little-endian, up to 1024 + 64 bits
  const unsigned shiftWords = unsigned(e) / 32, shiftBits = unsigned(e) % 32;
  unsigned count = shiftWords + 3;
  const uint64_t lowPart = (m << shiftBits);
  words[shiftWords] = uint32_t(lowPart);
  words[shiftWords + 1] = uint32_t(lowPart >> 32);
  words[shiftWords + 2] = shiftBits ? uint32_t(m >> (64 - shiftBits)) : 0;
  while (count && words[count - 1] == 0) --count;
  char* p = end;
  while (count) {
    uint64_t remainder = 0;
    for (unsigned i = count; i-- > 0;) {
      const uint64_t cur = (remainder << 32) | words[i];
      words[i] = uint32_t(cur / 1000000000u);
      remainder = cur % 1000000000u;
    }
    while (count && words[count - 1] == 0) --count;
    uint32_t chunk = uint32_t(remainder);
    for (int k = 0; k < 9; ++k) {
      *--p = char('0' + chunk % 10);
      chunk /= 10;
      if (!count && !chunk) break;
    }
  }
  return p;
}

}  // namespace

unsigned FormatFixedDouble(char* text, unsigned size, double value, unsigned decimals) {
  if (!text || size == 0) return 0;
  text[0] = '\0';
  if (decimals > 40) return 0;
  uint64_t bits;
  memcpy(&bits, &value, sizeof(bits));
  const bool negative = (bits >> 63) != 0;
  if (((bits >> 52) & 0x7FF) == 0x7FF) {
    const bool isNan = (bits & (((uint64_t)1 << 52) - 1)) != 0;
    const char* special = isNan ? (negative ? "-nan" : "nan") : (negative ? "-inf" : "inf");
    return CopyOut(text, size, special, unsigned(strlen(special)));
  }
  const ExactDouble x = Decompose(bits);

  // Integer digits, with room in front for a sign and a carry of the rounding.
  char buf[400];
  char* intEnd = buf + 340;
  char* intStart;
  uint32_t frac[40];  // binary fraction, most significant word first
  unsigned fracWords = 0;
  if (x.mantissa == 0) {
    intStart = PutDigitsBack(intEnd, 0);
  } else if (x.exponent >= 0) {
    intStart = x.exponent <= 11 ? PutDigitsBack(intEnd, x.mantissa << x.exponent)
                                : PutBigIntegerBack(intEnd, x.mantissa, x.exponent);
  } else {
    const unsigned k = unsigned(-x.exponent);  // fraction bits
    intStart = PutDigitsBack(intEnd, k < 64 ? x.mantissa >> k : 0);
    const uint64_t f = k < 64 ? x.mantissa & (((uint64_t)1 << k) - 1) : x.mantissa;
    // Align the k-bit fraction to a whole number of words: f << (32 * words - k).
    fracWords = (k + 31) / 32;
    for (unsigned i = 0; i < fracWords; ++i) frac[i] = 0;
    const unsigned shift = 32 * fracWords - k;  // 0..31
    // f has at most 53 bits; after the shift it spans the last three words.
    const uint64_t lo = f << shift;
    const uint32_t hi = shift ? uint32_t(f >> (64 - shift)) : 0;
    frac[fracWords - 1] = uint32_t(lo);
    if (fracWords >= 2) frac[fracWords - 2] = uint32_t(lo >> 32);
    if (fracWords >= 3) frac[fracWords - 3] = hi;
  }

  // Fraction digits: multiply the fraction by ten, the carry out is the digit.
  char* p = intEnd;
  if (decimals) *p++ = '.';
  for (unsigned d = 0; d < decimals; ++d) {
    uint32_t carry = 0;
    for (unsigned i = fracWords; i-- > 0;) {
      const uint64_t cur = (uint64_t)frac[i] * 10 + carry;
      frac[i] = uint32_t(cur);
      carry = uint32_t(cur >> 32);
    }
    *p++ = char('0' + carry);
  }
  char* end = p;

  // Round to nearest, ties to even, on what is left of the fraction.
  bool roundUp = false;
  if (fracWords && frac[0] >= 0x80000000u) {
    bool moreThanHalf = frac[0] > 0x80000000u;
    for (unsigned i = 1; i < fracWords && !moreThanHalf; ++i) moreThanHalf = frac[i] != 0;
    if (moreThanHalf) {
      roundUp = true;
    } else {
      const char last = decimals ? end[-1] : intEnd[-1];
      roundUp = ((last - '0') & 1) != 0;
    }
  }
  if (roundUp) {
    char* q = end;
    bool carry = true;
    while (carry && q > intStart) {
      --q;
      if (*q == '.') continue;
      if (*q == '9') {
        *q = '0';
      } else {
        ++*q;
        carry = false;
      }
    }
    if (carry) *--intStart = '1';
  }
  if (negative) *--intStart = '-';
  return CopyOut(text, size, intStart, unsigned(end - intStart));
}
