// Items of the data part of a description-file line, shared by the reader and
// the writer (which checks that what it writes reads back the same).
#pragma once

#include <string.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
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

// Bits 0-15 for the bytes of b that are in the range lo to hi (both below 0x80).
inline unsigned long long BytesInRange(__m128i b, char lo, char hi) {
  __m128i shifted = _mm_add_epi8(b, _mm_set1_epi8(static_cast<char>(0x80 - lo)));
  __m128i in = _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>(0x80 + hi - lo + 1)));
  return static_cast<unsigned>(_mm_movemask_epi8(in));
}

// Hexadecimal digit values; 0xFF for the other bytes.
struct HexTable {
  unsigned char of[256];
};
constexpr HexTable MakeHexTable() {
  HexTable t{};
  for (unsigned c = 0; c < 256; ++c) t.of[c] = 0xFF;
  for (unsigned c = 0; c < 10; ++c) t.of['0' + c] = static_cast<unsigned char>(c);
  for (unsigned c = 0; c < 6; ++c) {
    t.of['a' + c] = static_cast<unsigned char>(10 + c);
    t.of['A' + c] = static_cast<unsigned char>(10 + c);
  }
  return t;
}
inline constexpr HexTable kHexDigits = MakeHexTable();

// Takes the plain numbers among the first 64 bytes from p on: decimal ones of up
// to eight digits and "0x" ones of one to eight digits, each a whole item between
// separators. Stops before any other item, the (maximum + 1)th number and an item
// that may run on past the 64 bytes; returns where the caller goes on.
inline const unsigned char* TakeNumbers(const unsigned char* p, const unsigned char* e, unsigned* values,
                                        unsigned maximum, unsigned* count) {
  // Bit masks of the bytes (bit i: byte p[i]). Only the blocks that hold bytes
  // of the line are read: the text's tail covers a block's overhang.
  const unsigned long long length = static_cast<unsigned long long>(e - p);
  unsigned long long separators = 0, digits = 0, exes = 0;
  for (unsigned k = 0; k < 4 && 16 * k < length; ++k) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const __m128i sep =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(b, _mm_set1_epi8('\t'))),
                     _mm_cmpeq_epi8(b, _mm_set1_epi8(',')));
    const __m128i x = _mm_cmpeq_epi8(_mm_or_si128(b, _mm_set1_epi8(0x20)), _mm_set1_epi8('x'));
    separators |= static_cast<unsigned long long>(static_cast<unsigned>(_mm_movemask_epi8(sep))) << (16 * k);
    digits |= BytesInRange(b, '0', '9') << (16 * k);
    exes |= static_cast<unsigned long long>(static_cast<unsigned>(_mm_movemask_epi8(x))) << (16 * k);
  }
  const unsigned long long valid = length >= 64 ? ~0ull : (1ull << length) - 1;
  const unsigned long long items = ~separators & valid;
  const unsigned long long gaps = ~items;  // separators and what lies beyond the line
  unsigned long long starts = items & ~(items << 1);
  // The byte after each item; none for an item that may go on past the 64 bytes.
  unsigned long long ends = gaps & (items << 1);
  // Adding a bit at the start of a run of digits carries through it: past its
  // end into a gap when the whole item is digits.
  const unsigned long long decimals = digits & items;
  const unsigned long long decimalEnds = (decimals + (starts & decimals)) & gaps;
  // Items that begin with a digit and an x: "0x" numbers if the rest is right.
  const unsigned long long hexStarts = starts & digits & (exes >> 1);
  unsigned n = *count;
  unsigned at = 0;
  for (; starts && ends; starts &= starts - 1, ends &= ends - 1) {
    const unsigned first = static_cast<unsigned>(__builtin_ctzll(starts));
    const unsigned last = static_cast<unsigned>(__builtin_ctzll(ends));
    const unsigned size = last - first;
    at = first;
    unsigned value;
    if (decimalEnds & ends & (0 - ends)) {
      if (size <= 4)
        value = Decimal4(static_cast<unsigned>(LoadWord(p + first)), size);
      else if (size <= 8)
        value = DecimalValue(LoadWord(p + first), size);
      else
        break;
    } else if ((hexStarts & starts & (0 - starts)) && p[first] == '0' && size >= 3 && size <= 10) {
      unsigned bad = 0;
      value = 0;
      for (unsigned i = first + 2; i < last; ++i) {
        const unsigned d = kHexDigits.of[p[i]];
        bad |= d;
        value = value * 16 + d;
      }
      if (bad & 0xF0) break;
    } else {
      break;
    }
    if (n == maximum) break;
    values[n++] = value;
    at = last;
  }
  *count = n;
  return p + at;
}
#endif

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ZT_CONF_WIDE_NUMBERS 1
// Processors with 512-bit byte compares, compression and permutes read a line's
// leading numbers all at once; checked once at start-up.
#define ZT_CONF_WIDE_TARGET __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2,bmi,bmi2,popcnt")))

inline bool DetectWideNumbers() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi") &&
         __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
}
inline const bool kWideNumbers = DetectWideNumbers();

// The constants of TakeNumbersWide, sixteen bytes each and broadcast from
// memory: made from immediates they would take the port the byte compares and
// permutes run on, which is what bounds the scan.
struct WideConstants {
  alignas(64) unsigned char iota[64];
  unsigned char spread[64];  // slot j of eight bytes: j
  signed char back[64];      // -8 to -1 in each slot
  alignas(16) unsigned char space[16], tab[16], comma[16], zero[16], nine[16], caseBit[16], a[16], five[16], x[16],
      eight[16], three[16], seven[16], two[16], lowBits[16], letterBit[16], quote[16];
  unsigned short decimalPairs[8], hexPairs[8];
  unsigned decimalQuads[4], hexQuads[4];
  unsigned long long decimalHalves[2], hexHalves[2];
};
constexpr WideConstants MakeWideConstants() {
  WideConstants c{};
  for (unsigned i = 0; i < 64; ++i) {
    c.iota[i] = static_cast<unsigned char>(i);
    c.spread[i] = static_cast<unsigned char>(i / 8);
    c.back[i] = static_cast<signed char>(static_cast<int>(i % 8) - 8);
  }
  for (unsigned i = 0; i < 16; ++i) {
    c.space[i] = ' ';
    c.tab[i] = '\t';
    c.comma[i] = ',';
    c.zero[i] = '0';
    c.nine[i] = 9;
    c.caseBit[i] = 0x20;
    c.a[i] = 'a';
    c.five[i] = 5;
    c.x[i] = 'x';
    c.eight[i] = 8;
    c.three[i] = 3;
    c.seven[i] = 7;
    c.two[i] = 2;
    c.lowBits[i] = 0x0F;
    c.letterBit[i] = 0x40;
    c.quote[i] = '"';
  }
  for (unsigned i = 0; i < 8; ++i) {
    c.decimalPairs[i] = 0x010A;  // the byte at the lower address is the higher digit
    c.hexPairs[i] = 0x0110;
  }
  for (unsigned i = 0; i < 4; ++i) {
    c.decimalQuads[i] = 0x00010064;
    c.hexQuads[i] = 0x00010100;
  }
  for (unsigned i = 0; i < 2; ++i) {
    c.decimalHalves[i] = 10000;
    c.hexHalves[i] = 65536;
  }
  return c;
}
inline constexpr WideConstants kWideConstants = MakeWideConstants();

ZT_CONF_WIDE_TARGET inline __m512i Splat16(const void* p) {
  return _mm512_maskz_broadcast_i32x4(0xFFFF, _mm_load_si128(static_cast<const __m128i*>(p)));
}

// The items of a line's data in the 64 bytes b from its start (valid: the bit
// mask of the bytes of the line among them).
struct WideItems {
  unsigned long long items;   // bytes of items: all but separators
  unsigned long long starts;  // first byte of each item
  unsigned long long ends;    // the byte after each item that ends within the 64
};

// The leading numbers of the data, as TakeNumbers takes them, up to eight and
// room: their values into values, their count returned.
ZT_CONF_WIDE_TARGET __attribute__((always_inline)) inline unsigned WideNumbers(__m512i b, unsigned long long valid,
                                                                               unsigned* values, unsigned room,
                                                                               WideItems* found) {
  // Through a pointer the compiler cannot see into, so that it reads the constants.
  const WideConstants* c = &kWideConstants;
  __asm__("" : "+r"(c));
  const __m512i lower = _mm512_or_si512(b, Splat16(c->caseBit));
  const __mmask64 separators = _mm512_cmpeq_epi8_mask(b, Splat16(c->space)) |
                               _mm512_cmpeq_epi8_mask(b, Splat16(c->tab)) |
                               _mm512_cmpeq_epi8_mask(b, Splat16(c->comma));
  const __m512i fromZero = _mm512_sub_epi8(b, Splat16(c->zero));
  const __mmask64 digits = _mm512_cmple_epu8_mask(fromZero, Splat16(c->nine));
  const __mmask64 zeros = _mm512_testn_epi8_mask(fromZero, fromZero);
  const __mmask64 letters = _mm512_cmple_epu8_mask(_mm512_sub_epi8(lower, Splat16(c->a)), Splat16(c->five));
  const __mmask64 exes = _mm512_cmpeq_epi8_mask(lower, Splat16(c->x));
  const unsigned long long items = ~separators & valid;
  const unsigned long long gaps = ~items;
  const unsigned long long starts = items & ~(items << 1);
  const unsigned long long ends = gaps & (items << 1);
  found->items = items;
  found->starts = starts;
  found->ends = ends;
  // A start bit added to a run carries past its end into a gap when the whole
  // item is of the run's kind: all digits, or "0x" and hexadecimal digits.
  const unsigned long long decimals = digits & items;
  const unsigned long long decimalEnds = (decimals + (starts & decimals)) & gaps;
  const unsigned long long hexStarts = starts & zeros & (exes >> 1);
  const unsigned long long hexBody = ((digits | letters) & items) | hexStarts | (hexStarts << 1);
  const unsigned long long hexEnds = (hexBody + hexStarts) & gaps;
  // Bit j of these: the jth item (counting those that end within the window).
  const unsigned decimalItems = static_cast<unsigned>(_pext_u64(decimalEnds, ends)) & 0xFF;
  const unsigned hexItems = static_cast<unsigned>(_pext_u64(hexEnds, ends)) & 0xFF;
  const __m512i iota = _mm512_load_si512(c->iota);
  const __m512i first = _mm512_maskz_compress_epi8(starts, iota);
  const __m512i last = _mm512_maskz_compress_epi8(ends, iota);
  const __m512i sizes = _mm512_sub_epi8(last, first);
  const unsigned decimalFits = static_cast<unsigned>(_mm512_cmple_epu8_mask(sizes, Splat16(c->eight)) & decimalItems);
  const unsigned hexFits = static_cast<unsigned>(
      _mm512_cmple_epu8_mask(_mm512_sub_epi8(sizes, Splat16(c->three)), Splat16(c->seven)) & hexItems);
  unsigned take = static_cast<unsigned>(__builtin_ctz(~(decimalFits | hexFits)));
  if (take > room) take = room;
  if (!take) return 0;
  // (The zero-masked forms: the plain ones start from an undefined value, which compilers warn of.)
  constexpr __mmask64 kAll = ~0ull;
  // Slot j: the bytes up to the end of item j, those before its first digit masked off.
  const __m512i spread = _mm512_load_si512(c->spread);
  const __m512i digitsFrom = _mm512_mask_add_epi8(first, hexItems, first, Splat16(c->two));
  const __m512i at = _mm512_add_epi8(_mm512_maskz_permutexvar_epi8(kAll, spread, last), _mm512_load_si512(c->back));
  const __mmask64 inside = _mm512_cmpge_epi8_mask(at, _mm512_maskz_permutexvar_epi8(kAll, spread, digitsFrom));
  const __m512i chars = _mm512_maskz_permutexvar_epi8(inside, at, b);
  // A digit's value: its low four bits, and nine more for a letter.
  __m512i v = _mm512_and_si512(chars, Splat16(c->lowBits));
  v = _mm512_mask_add_epi8(v, _mm512_test_epi8_mask(chars, Splat16(c->letterBit)), v, Splat16(c->nine));
  const __mmask8 hexSlots = static_cast<__mmask8>(hexItems);
  const __m512i pairs =
      _mm512_maddubs_epi16(v, _mm512_mask_blend_epi64(hexSlots, Splat16(c->decimalPairs), Splat16(c->hexPairs)));
  const __m512i quads =
      _mm512_madd_epi16(pairs, _mm512_mask_blend_epi64(hexSlots, Splat16(c->decimalQuads), Splat16(c->hexQuads)));
  const __m512i whole = _mm512_add_epi64(
      _mm512_maskz_mul_epu32(0xFF, quads,
                             _mm512_mask_blend_epi64(hexSlots, Splat16(c->decimalHalves), Splat16(c->hexHalves))),
      _mm512_maskz_srli_epi64(0xFF, quads, 32));
  _mm256_mask_storeu_epi32(values, static_cast<__mmask8>((1u << take) - 1), _mm512_maskz_cvtepi64_epi32(0xFF, whole));
  return take;
}

// TakeNumbers for up to eight numbers at once, with the same results: the items
// found by 64-bit masks, their digits gathered right-aligned into eight 8-byte
// slots and turned into values by multiply-adds (weights 10 or 16 per slot).
ZT_CONF_WIDE_TARGET inline const unsigned char* TakeNumbersWide(const unsigned char* p, const unsigned char* e,
                                                                unsigned* values, unsigned maximum, unsigned* count) {
  const unsigned long long length = static_cast<unsigned long long>(e - p);
  const __mmask64 valid = length >= 64 ? ~0ull : (1ull << length) - 1;
  WideItems found;
  const unsigned n = *count;
  // The text's tail covers the overhang of the 64 bytes.
  const unsigned take = WideNumbers(_mm512_loadu_si512(p), valid, values + n, maximum - n, &found);
  if (!take) return p;
  *count = n + take;
  return p + __builtin_ctzll(_pdep_u64(1ull << (take - 1), found.ends));
}

#endif

// Copies n bytes; short texts, the usual ones, without a library call.
inline void CopyShort(char* to, const unsigned char* from, unsigned n) {
  if (n >= 16) {
    memcpy(to, from, n);
  } else if (n >= 8) {
    unsigned long long head, tail;
    memcpy(&head, from, 8);
    memcpy(&tail, from + n - 8, 8);
    memcpy(to, &head, 8);
    memcpy(to + n - 8, &tail, 8);
  } else if (n >= 4) {
    unsigned head, tail;
    memcpy(&head, from, 4);
    memcpy(&tail, from + n - 4, 4);
    memcpy(to, &head, 4);
    memcpy(to + n - 4, &tail, 4);
  } else if (n) {
    to[0] = static_cast<char>(from[0]);
    to[n / 2] = static_cast<char>(from[n / 2]);
    to[n - 1] = static_cast<char>(from[n - 1]);
  }
}

// Built into each getter, so that the shape of its request is known there.
#if defined(__GNUC__) || defined(__clang__)
#define ZT_CONF_INLINE inline __attribute__((always_inline))
#else
#define ZT_CONF_INLINE inline
#endif

// ReadItemsQuick found something it leaves to ReadItems.
constexpr unsigned kQuickUnsure = ~0u;

#if defined(ZT_CONF_WIDE_NUMBERS)
// ReadItemsQuick for a getter of numbers and one text, on data of up to 63
// bytes (all within the wide scan's window) of the usual shape: numbers as
// TakeNumbers takes them, then a quoted text without inner quotes that fits, and
// nothing after it but a comment. Anything else gives kQuickUnsure, outputs as
// ReadItemsQuick may leave them then.
ZT_CONF_WIDE_TARGET inline unsigned ReadNumbersTextWide(const unsigned char* p, unsigned length, const LineRequest& r) {
  const unsigned long long valid = (1ull << length) - 1;
  const __m512i b = _mm512_loadu_si512(p);  // the text's tail covers the overhang
  WideItems found;
  const unsigned take = WideNumbers(b, valid, r.values, r.maximum, &found);
  // The item after the numbers opens the quote; the first quote or NUL after it must close it.
  const unsigned long long opening = _pdep_u64(1ull << take, found.starts);
  if (!opening) return kQuickUnsure;
  const unsigned from = static_cast<unsigned>(__builtin_ctzll(opening));
  if (p[from] != '"') return kQuickUnsure;
  const unsigned long long quotes = _mm512_cmpeq_epi8_mask(b, Splat16(kWideConstants.quote)) & valid;
  const unsigned long long stops = (quotes | (_mm512_testn_epi8_mask(b, b) & valid)) & (~0ull << 1 << from);
  if (!stops) return kQuickUnsure;
  const unsigned to = static_cast<unsigned>(__builtin_ctzll(stops));
  if (!((quotes >> to) & 1)) return kQuickUnsure;
  // After it: separators, then nothing or a comment.
  const unsigned long long after = found.items & (~0ull << 1 << to);
  if (after && p[__builtin_ctzll(after)] != ';') return kQuickUnsure;
  const unsigned size = to - from - 1;
  if (size >= r.sizes[0]) return kQuickUnsure;
  if (r.count) *r.count = take;
  CopyShort(r.texts[0], p + from + 1, size);
  r.texts[0][size] = '\0';
  if (r.lengths[0]) *r.lengths[0] = size;
  return ZT_CONF_OK;
}
#endif

// The shape nearly every line has, read in one pass: decimal numbers and "0x"
// ones of up to eight digits, character numbers, then quoted texts without
// doubled or inner quotes, or bare words, all of them fitting, and nothing after
// them but a comment. Anything else (every fault included) gives kQuickUnsure,
// and ReadItems reads the line; of the outputs only numbers may have been stored
// by then, the first ones, which ReadItems stores the same. Where it answers,
// the answer is the one ReadItems gives. The byte at end must be a line break
// or NUL, which ends every run of digits, separators or text.
ZT_CONF_INLINE unsigned ReadItemsQuick(const char* text, unsigned pos, unsigned end, const LineRequest& r,
                                       bool vector = true) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text) + pos;
  const unsigned char* const e = reinterpret_cast<const unsigned char*>(text) + end;
  unsigned* const values = r.values;
  unsigned n = 0;
#if defined(ZT_CONF_WIDE_NUMBERS)
  if (r.numbers && r.textCount == 1 && kWideNumbers && vector && e - p > 16 && e - p < 64) {
    const unsigned result = ReadNumbersTextWide(p, static_cast<unsigned>(e - p), r);
    if (result != kQuickUnsure) return result;
  }
#endif
  if (r.numbers) {
    const unsigned limit = r.maximum;
#if defined(__SSE2__)
    if (vector) {
#if defined(ZT_CONF_WIDE_NUMBERS)
      // (Short data, such as a single number, is quicker to read sixteen bytes at a time.)
      if (kWideNumbers && e - p > 16)
        p = TakeNumbersWide(p, e, values, limit, &n);
      else
#endif
        p = TakeNumbers(p, e, values, limit, &n);
    }
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
    CopyShort(r.texts[t], from[t], length[t]);
    r.texts[t][length[t]] = '\0';
    if (r.lengths[t]) *r.lengths[t] = length[t];
  }
  return ZT_CONF_OK;
}

}  // namespace zt_conf
