// Items of the data part of a description-file line, shared by the reader and
// the writer (which checks that what it writes reads back the same).
#pragma once

#include <string.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "zt_lib32/conf_file.h"

namespace zt_conf {

// Character classes, looked up instead of compared one by one in the scanning loops.
enum : unsigned char {
  kClassBlank = 1,      // blank or tab
  kClassSeparator = 2,  // between data items: blank, tab, comma
  kClassKeyEnd = 4,     // ends a keyword: blank, tab, colon, semicolon
  kClassWordEnd = 8,    // ends a bare word: separator, semicolon, line break or NUL
  kClassItemEnd = 16,   // may follow a number or a closing quote: separator, semicolon
};

struct ClassTable {
  unsigned char of[256];
};

constexpr ClassTable MakeClassTable() {
  ClassTable t{};
  t.of[static_cast<unsigned char>(' ')] = kClassBlank | kClassSeparator | kClassKeyEnd;
  t.of[static_cast<unsigned char>('\t')] = kClassBlank | kClassSeparator | kClassKeyEnd;
  t.of[static_cast<unsigned char>(',')] = kClassSeparator;
  t.of[static_cast<unsigned char>(':')] = kClassKeyEnd;
  t.of[static_cast<unsigned char>(';')] = kClassKeyEnd;
  t.of[static_cast<unsigned char>(' ')] |= kClassWordEnd;
  t.of[static_cast<unsigned char>('\t')] |= kClassWordEnd;
  t.of[static_cast<unsigned char>(',')] |= kClassWordEnd;
  t.of[static_cast<unsigned char>(';')] |= kClassWordEnd;
  t.of[static_cast<unsigned char>('\r')] |= kClassWordEnd;
  t.of[static_cast<unsigned char>('\n')] |= kClassWordEnd;
  t.of[0] |= kClassWordEnd;
  for (unsigned c = 0; c < 256; ++c) {
    if (t.of[c] & kClassSeparator) t.of[c] |= kClassItemEnd;
  }
  t.of[static_cast<unsigned char>(';')] |= kClassItemEnd;
  return t;
}

inline constexpr ClassTable kClasses = MakeClassTable();

inline bool IsBlank(char c) { return kClasses.of[static_cast<unsigned char>(c)] & kClassBlank; }
// Separators between data items.
inline bool IsSeparator(char c) { return kClasses.of[static_cast<unsigned char>(c)] & kClassSeparator; }
inline bool IsKeyEnd(char c) { return kClasses.of[static_cast<unsigned char>(c)] & kClassKeyEnd; }

enum ItemKind { kQuoted, kChar, kBare };

struct Item {
  unsigned start;  // first byte (the opening quote of a quoted text)
  unsigned end;    // after the last byte (after the closing quote)
  ItemKind kind;
  bool doubled;  // a quoted text holding a doubled quote
};

// The next item of the data from *pos up to end. ZT_CONF_OK with the item,
// ZT_CONF_NO_LINE when the data (or the part before a comment) is used up,
// ZT_CONF_UNTERMINATED for a quote without its end.
inline unsigned NextItem(const char* text, unsigned* pos, unsigned end, Item* item) {
  unsigned i = *pos;
  while (i < end && IsSeparator(text[i])) ++i;
  if (i >= end || text[i] == ';') {
    *pos = end;
    return ZT_CONF_NO_LINE;
  }
  item->start = i;
  item->doubled = false;
  if (text[i] == '"') {
    // A doubled quote stands for one; a quote followed by anything but a
    // separator, a comment or the end of the line is taken as it is.
    unsigned j = i + 1;
    while (const void* quote = memchr(text + j, '"', end - j)) {
      j = static_cast<unsigned>(static_cast<const char*>(quote) - text);
      if (j + 1 < end && text[j + 1] == '"') {
        item->doubled = true;
        j += 2;
        continue;
      }
      if (j + 1 == end || IsSeparator(text[j + 1]) || text[j + 1] == ';') {
        item->end = j + 1;
        item->kind = kQuoted;
        *pos = j + 1;
        return ZT_CONF_OK;
      }
      ++j;
    }
    *pos = end;
    return ZT_CONF_UNTERMINATED;
  }
  if (text[i] == '\'' && i + 2 < end && text[i + 2] == '\'') {
    item->end = i + 3;
    item->kind = kChar;
    *pos = i + 3;
    return ZT_CONF_OK;
  }
  unsigned j = i;
  while (j < end && !IsSeparator(text[j]) && text[j] != ';') ++j;
  item->end = j;
  item->kind = kBare;
  *pos = j;
  return ZT_CONF_OK;
}

inline bool IsNumberItem(const char* text, const Item& item) {
  if (item.kind == kChar) return true;
  if (item.kind != kBare) return false;
  char c = text[item.start];
  return (c >= '0' && c <= '9') || c == '+' || c == '-';
}

inline unsigned ParseNumber(const char* text, const Item& item, unsigned* value) {
  if (item.kind == kChar) {
    *value = static_cast<unsigned char>(text[item.start + 1]);
    return ZT_CONF_OK;
  }
  const char* p = text + item.start;
  unsigned n = item.end - item.start;
  unsigned long long v = 0;
  if (n > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    for (unsigned i = 2; i < n; ++i) {
      char c = p[i];
      unsigned d;
      if (c >= '0' && c <= '9')
        d = static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f')
        d = static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        d = static_cast<unsigned>(c - 'A' + 10);
      else
        return ZT_CONF_BAD_NUMBER;
      v = v * 16 + d;
      if (v > 0xFFFFFFFFull) return ZT_CONF_BAD_NUMBER;
    }
  } else {
    for (unsigned i = 0; i < n; ++i) {
      char c = p[i];
      if (c < '0' || c > '9') return ZT_CONF_BAD_NUMBER;
      v = v * 10 + static_cast<unsigned>(c - '0');
      if (v > 0xFFFFFFFFull) return ZT_CONF_BAD_NUMBER;
    }
  }
  *value = static_cast<unsigned>(v);
  return ZT_CONF_OK;
}

// Copies a text item into the buffer (size >= 1): a quoted text without its
// quotes and with doubled quotes made single, anything else as it stands.
inline unsigned CopyText(const char* text, const Item& item, char* dest, unsigned size, unsigned* length) {
  unsigned from = item.start, to = item.end;
  if (item.kind == kQuoted) {
    ++from;
    --to;
  }
  unsigned stored = 0;
  if (!item.doubled && to - from < size) {
    // It fits and needs no unescaping: only a NUL byte can stop it.
    const char* src = text + from;
    const unsigned n = to - from;
    while (stored < n && src[stored]) {
      dest[stored] = src[stored];
      ++stored;
    }
    dest[stored] = '\0';
    if (length) *length = stored;
    return stored < n ? ZT_CONF_BAD_CHARACTER : ZT_CONF_OK;
  }
  unsigned result = ZT_CONF_OK;
  for (unsigned i = from; i < to; ++i) {
    char c = text[i];
    if (c == '"' && item.kind == kQuoted && i + 1 < to && text[i + 1] == '"') ++i;
    if (c == '\0') {
      result = ZT_CONF_BAD_CHARACTER;
      break;
    }
    if (stored + 1 < size) {
      dest[stored++] = c;
    } else {
      result = ZT_CONF_TOO_LONG;
      break;
    }
  }
  dest[stored] = '\0';
  if (length) *length = stored;
  return result;
}

// What a getter asks of its line: the leading numbers (when numbers is set; up
// to maximum of them into values), then textCount texts.
struct LineRequest {
  bool numbers;
  unsigned* values;
  unsigned maximum;
  unsigned* count;  // may be null, as may each of lengths
  unsigned textCount;
  char* const* texts;
  const unsigned* sizes;
  unsigned* const* lengths;
};

// Reads the data of a line (from pos up to end) item by item for a getter. The
// caller has checked the request and emptied its outputs.
inline unsigned ReadItems(const char* text, unsigned pos, unsigned end, const LineRequest& r) {
  unsigned result = ZT_CONF_OK;  // the first soft fault (too long, too many)
  unsigned n = 0;
  Item item = {0, 0, kBare, false};
  unsigned next;
  for (;;) {
    next = NextItem(text, &pos, end, &item);
    if (!r.numbers || next != ZT_CONF_OK || !(IsNumberItem(text, item) || (r.textCount == 0 && item.kind == kBare)))
      break;
    unsigned value;
    if (ParseNumber(text, item, &value) != ZT_CONF_OK) {
      if (r.count) *r.count = n;
      return ZT_CONF_BAD_NUMBER;
    }
    if (n < r.maximum) {
      r.values[n++] = value;
    } else if (!result) {
      result = ZT_CONF_TOO_MANY;
    }
  }
  if (r.count) *r.count = n;
  if (next == ZT_CONF_UNTERMINATED) return next;
  for (unsigned t = 0; t < r.textCount; ++t) {
    if (next != ZT_CONF_OK) return next == ZT_CONF_NO_LINE ? ZT_CONF_MISSING_VALUE : next;
    unsigned copied = CopyText(text, item, r.texts[t], r.sizes[t], r.lengths[t]);
    if (copied == ZT_CONF_BAD_CHARACTER) return copied;
    if (copied && !result) result = copied;
    next = NextItem(text, &pos, end, &item);
  }
  if (next == ZT_CONF_UNTERMINATED) return next;
  if (next == ZT_CONF_OK && !result) result = ZT_CONF_TOO_MANY;
  return result;
}

// Eight bytes at a time: the byte at the lowest address in the lowest bits.
// Reading past a line is safe, the loaded text being followed by spare bytes
// (CZTFile), and harmless, a line ending in a byte of no class looked for here.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error the word-wise scanning assumes a little-endian machine
#endif
constexpr unsigned long long kOnes = 0x0101010101010101ull;
constexpr unsigned long long kHighs = 0x8080808080808080ull;

inline unsigned long long LoadWord(const unsigned char* p) {
  unsigned long long x;
  memcpy(&x, p, sizeof(x));
  return x;
}
// The top bit of each byte that equals c.
inline unsigned long long BytesEqual(unsigned long long x, unsigned char c) {
  unsigned long long t = x ^ (kOnes * c);
  return ~(((t & ~kHighs) + ~kHighs) | t) & kHighs;
}
// Bytes before the first one without its top bit set in mask (0 to 8).
inline unsigned LeadingRun(unsigned long long mask) {
  unsigned long long rest = ~mask & kHighs;
  return rest ? static_cast<unsigned>(__builtin_ctzll(rest)) >> 3 : 8;
}
// Skips blanks, tabs and commas.
inline const unsigned char* SkipSeparators(const unsigned char* p) {
  while (kClasses.of[*p] & kClassSeparator) ++p;
  return p;
}
#if defined(__SSE2__)
// The value of the decimal digits at the start of x (count: 1 to 4 of them).
inline unsigned Decimal4(unsigned x, unsigned count) {
  x = (x - 0x30303030u) << (8 * (4 - count));
  x = x * 10 + (x >> 8);  // bytes 0 and 2: two digits each
  return ((x & 0x00FF00FFu) * (1 + (100u << 16))) >> 16;
}

// The value of the decimal digits at the start of x (count: 1 to 8 of them).
inline unsigned DecimalValue(unsigned long long x, unsigned count) {
  unsigned long long d = (x - kOnes * '0') << (8 * (8 - count));
  d = d * 10 + (d >> 8);
  d = (((d & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
       (((d >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
      32;
  return static_cast<unsigned>(d);
}

// The value of the hexadecimal digits at the start of x (count: 1 to 8 of them).
inline unsigned HexValue(unsigned long long x, unsigned count) {
  unsigned long long n = ((x & (kOnes * 0x0F)) + ((x >> 6) & kOnes) * 9) << (8 * (8 - count));
  n = ((n << 4) | (n >> 8)) & 0x00FF00FF00FF00FFull;
  n = ((n << 8) | (n >> 16)) & 0x0000FFFF0000FFFFull;
  return static_cast<unsigned>((n << 16) | (n >> 32));
}

// Bits 0-15 for the bytes of b that are in the range lo to hi (both below 0x80).
inline unsigned long long BytesInRange(__m128i b, char lo, char hi) {
  __m128i shifted = _mm_add_epi8(b, _mm_set1_epi8(static_cast<char>(0x80 - lo)));
  __m128i in = _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(0x80 + hi - lo + 1)));
  return static_cast<unsigned>(_mm_movemask_epi8(in));
}

// Takes the plain numbers among the first 64 bytes from p on: decimal ones of up
// to eight digits and "0x" ones of one to eight digits, each a whole item between
// separators. Stops before any other item, the (maximum + 1)th number and an item
// that may run on past the 64 bytes; returns where the caller goes on.
inline const unsigned char* TakeNumbers(const unsigned char* p, const unsigned char* e, unsigned* values,
                                        unsigned maximum, unsigned* count) {
  // Bit masks of the bytes (bit i: byte p[i]). Only the blocks that hold bytes
  // of the line are read: the text's tail covers a block's overhang.
  const unsigned long long length = static_cast<unsigned long long>(e - p);
  unsigned long long separators = 0, digits = 0, hexDigits = 0, zeros = 0, exes = 0;
  for (unsigned k = 0; k < 4 && 16 * k < length; ++k) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const __m128i lower = _mm_or_si128(b, _mm_set1_epi8(0x20));
    const __m128i sep =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(b, _mm_set1_epi8('\t'))),
                     _mm_cmpeq_epi8(b, _mm_set1_epi8(',')));
    const unsigned long long digit = BytesInRange(b, '0', '9');
    separators |= static_cast<unsigned long long>(static_cast<unsigned>(_mm_movemask_epi8(sep))) << (16 * k);
    digits |= digit << (16 * k);
    hexDigits |= (digit | BytesInRange(lower, 'a', 'f')) << (16 * k);
    zeros |=
        static_cast<unsigned long long>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, _mm_set1_epi8('0')))))
        << (16 * k);
    exes |= static_cast<unsigned long long>(
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(lower, _mm_set1_epi8('x')))))
            << (16 * k);
  }
  const unsigned long long valid = length >= 64 ? ~0ull : (1ull << length) - 1;
  const unsigned long long items = ~separators & valid;
  const unsigned long long gaps = ~items;  // separators and what lies beyond the line
  const unsigned long long starts = items & ~(items << 1);
  // Adding a bit at the start of a run of digits carries through it: past its
  // end into a gap when the whole item is digits. So the gap after each
  // decimal item is marked, and likewise after the digits of each "0x" item.
  const unsigned long long decimalRuns = digits & items;
  const unsigned long long decimalEnds = (decimalRuns + (starts & decimalRuns)) & gaps;
  const unsigned long long hexRuns = hexDigits & items;
  const unsigned long long hexFirsts = ((((starts & zeros) << 1) & exes) << 1) & hexRuns;
  const unsigned long long hexEnds = (hexRuns + hexFirsts) & gaps;
  unsigned n = *count;
  unsigned at = 0;
  for (unsigned long long rest = starts; rest; rest &= rest - 1) {
    const unsigned first = static_cast<unsigned>(__builtin_ctzll(rest));
    at = first;
    const unsigned long long after = gaps >> first;
    if (!after) break;  // the item may go on past the 64 bytes
    const unsigned size = static_cast<unsigned>(__builtin_ctzll(after));
    const unsigned long long end = 1ull << (first + size);  // first + size < 64: a gap bit is there
    unsigned value;
    if ((decimalEnds & end) && size <= 4) {
      value = Decimal4(static_cast<unsigned>(LoadWord(p + first)), size);
    } else if ((decimalEnds & end) && size <= 8) {
      value = DecimalValue(LoadWord(p + first), size);
    } else if ((hexEnds & end) && size >= 3 && size <= 10) {
      value = HexValue(LoadWord(p + first + 2), size - 2);
    } else {
      break;
    }
    if (n == maximum) break;
    values[n++] = value;
    at = first + size;
  }
  *count = n;
  return p + at;
}
#endif

// ReadItemsQuick found something it leaves to ReadItems.
constexpr unsigned kQuickUnsure = ~0u;

// The shape nearly every line has, read in one pass: decimal numbers and "0x"
// ones of up to eight digits, character numbers, then quoted texts without
// doubled or inner quotes, or bare words, all of them fitting, and nothing after
// them but a comment. Anything else (every fault included) gives kQuickUnsure,
// and ReadItems reads the line; of the outputs only numbers may have been stored
// by then, the first ones, which ReadItems stores the same. Where it answers,
// the answer is the one ReadItems gives. The byte at end must be a line break
// or NUL, which ends every run of digits, separators or text.
inline unsigned ReadItemsQuick(const char* text, unsigned pos, unsigned end, const LineRequest& r, bool vector = true) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text) + pos;
  const unsigned char* const e = reinterpret_cast<const unsigned char*>(text) + end;
  unsigned* const values = r.values;
  unsigned n = 0;
  if (r.numbers) {
    const unsigned limit = r.maximum;
#if defined(__SSE2__)
    if (vector) p = TakeNumbers(p, e, values, limit, &n);
#else
    (void)vector;
#endif
    for (;; ++n) {
      p = SkipSeparators(p);
      unsigned value;
      unsigned d = *p - static_cast<unsigned>('0');
      if (d <= 9) {
        // Up to eight digits: no overflow to look out for.
        unsigned v = 0;
        const unsigned char* first;
        if (d == 0 && (p[1] | 0x20) == 'x') {
          p += 2;
          first = p;
          for (;; ++p) {
            unsigned c = *p;
            if (c - '0' <= 9)
              d = c - '0';
            else if ((c | 0x20) - 'a' <= 'f' - 'a')
              d = (c | 0x20) - 'a' + 10;
            else
              break;
            v = v * 16 + d;
          }
          if (p == first || p - first > 8) return kQuickUnsure;
        } else {
          first = p;
          for (; (d = *p - static_cast<unsigned>('0')) <= 9; ++p) v = v * 10 + d;
          if (p - first > 8) return kQuickUnsure;
        }
        value = v;
        if (p < e && !(kClasses.of[*p] & kClassItemEnd)) return kQuickUnsure;
      } else if (*p == '\'' && e - p > 2 && p[2] == '\'') {
        value = p[1];
        p += 3;
      } else {
        break;
      }
      if (n == limit) return kQuickUnsure;
      values[n] = value;
    }
  }
  const unsigned char* from[2];
  unsigned length[2];
  if (r.textCount > 2) return kQuickUnsure;
  for (unsigned t = 0; t < r.textCount; ++t) {
    p = SkipSeparators(p);
    if (p >= e) return kQuickUnsure;
    const unsigned char* to;
    if (*p == '"') {
      // The first quote or NUL after the opening quote must be a closing quote.
      from[t] = to = p + 1;
      for (;;) {
        unsigned long long x = LoadWord(to);
        unsigned run = LeadingRun(~(BytesEqual(x, '"') | BytesEqual(x, 0)));
        to += run;
        if (run < 8 || to >= e) break;
      }
      if (to >= e || *to == 0 || (to + 1 < e && !(kClasses.of[to[1]] & kClassItemEnd))) return kQuickUnsure;
      p = to + 1;
    } else {
      // Characters, signs and comments read differently at the start of an item.
      if (*p == ';' || *p == '\'' || *p == '+' || *p == '-') return kQuickUnsure;
      from[t] = p;
      while (!(kClasses.of[*p] & kClassWordEnd)) ++p;
      if (p < e && *p == '\0') return kQuickUnsure;
      to = p;
    }
    length[t] = static_cast<unsigned>(to - from[t]);
    if (length[t] >= r.sizes[t]) return kQuickUnsure;
  }
  p = SkipSeparators(p);
  if (p < e && *p != ';') return kQuickUnsure;

  if (r.count) *r.count = n;
  for (unsigned t = 0; t < r.textCount; ++t) {
    memcpy(r.texts[t], from[t], length[t]);
    r.texts[t][length[t]] = '\0';
    if (r.lengths[t]) *r.lengths[t] = length[t];
  }
  return ZT_CONF_OK;
}

}  // namespace zt_conf
