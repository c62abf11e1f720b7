// What the reader and the writer of CZTConfFile share inside the library: the
// items of a line's data (the writer checks that what it writes reads back the
// same), the one loop that reads them for a getter, and the implementation
// object behind the class.
#pragma once

#include <stdint.h>
#include <string.h>

#include "zt_lib32/conf_file.h"

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#define ZT_CONF_SSE2 1
#include <emmintrin.h>
#endif

namespace zt_conf {

// The characters the format gives a meaning.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsSeparator(char c) { return IsBlank(c) || c == ','; }           // between data items
inline bool IsKeyEnd(char c) { return IsBlank(c) || c == ':' || c == ';'; }  // ends a keyword
inline bool IsItemEnd(char c) { return IsSeparator(c) || c == ';'; }         // ends a bare item

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
      if (j + 1 == end || IsItemEnd(text[j + 1])) {
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
  while (j < end && !IsItemEnd(text[j])) ++j;
  item->end = j;
  item->kind = kBare;
  *pos = j;
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
  unsigned result = ZT_CONF_OK, stored = 0;
  if (!item.doubled && to - from < size) {
    // It fits and needs no unescaping: only a NUL byte can stop it.
    for (; from + stored < to && text[from + stored]; ++stored) dest[stored] = text[from + stored];
    result = from + stored < to ? ZT_CONF_BAD_CHARACTER : ZT_CONF_OK;
    to = from;
  }
  for (unsigned i = from; i < to; ++i) {
    const char c = text[i];
    if (c == '"' && item.kind == kQuoted && i + 1 < to && text[i + 1] == '"') ++i;
    if (c == '\0' || stored + 1 == size) {
      result = c == '\0' ? ZT_CONF_BAD_CHARACTER : ZT_CONF_TOO_LONG;
      break;
    }
    dest[stored++] = c;
  }
  dest[stored] = '\0';
  if (length) *length = stored;
  return result;
}

// What a getter asks of its line: the leading numbers (when numbers is set; up
// to maximum of them into values), then textCount texts.
struct LineRequest {
  bool numbers;
  unsigned *values, maximum, *count;  // count may be null, as may each of lengths
  unsigned textCount;
  char* const* texts;
  const unsigned* sizes;
  unsigned* const* lengths;
};

// The value of a decimal or hexadecimal digit; 16 for any other character.
inline unsigned DigitValue(char c) {
  const unsigned digit = static_cast<unsigned char>(c) - '0', letter = (static_cast<unsigned char>(c) | 0x20) - 'a';
  return digit <= 9 ? digit : letter < 6 ? letter + 10 : 16;
}

// Empties a getter's outputs. ZT_CONF_BAD_ARGUMENT for a missing buffer.
inline unsigned StartRequest(const LineRequest& r) {
  if (r.count) *r.count = 0;
  for (unsigned t = 0; t < r.textCount; ++t) {
    if (r.lengths[t]) *r.lengths[t] = 0;
    if (!r.texts[t] || r.sizes[t] == 0) return ZT_CONF_BAD_ARGUMENT;
    r.texts[t][0] = '\0';
  }
  return !r.values && r.maximum ? ZT_CONF_BAD_ARGUMENT : ZT_CONF_OK;
}

// The texts of a getter, the first in item (next: what NextItem gave for it),
// then whether anything follows; result is the soft fault found so far.
inline unsigned ReadTexts(const char* text, unsigned pos, unsigned end, unsigned next, Item* item, const LineRequest& r,
                          unsigned result) {
  if (next == ZT_CONF_UNTERMINATED) return next;
  for (unsigned t = 0; t < r.textCount; ++t) {
    if (next != ZT_CONF_OK) return next == ZT_CONF_NO_LINE ? ZT_CONF_MISSING_VALUE : next;
    const unsigned copied = CopyText(text, *item, r.texts[t], r.sizes[t], r.lengths[t]);
    if (copied == ZT_CONF_BAD_CHARACTER) return copied;
    if (copied && !result) result = copied;
    next = NextItem(text, &pos, end, item);
  }
  if (next == ZT_CONF_UNTERMINATED) return next;
  return next == ZT_CONF_OK && !result ? ZT_CONF_TOO_MANY : result;
}

// Reads a bare item from *pos as a number: decimal, or hexadecimal after "0x".
// false for any other byte in it or a value that does not fit 32 bits.
inline bool ReadNumber(const char* text, unsigned* pos, unsigned end, unsigned* value) {
  unsigned i = *pos;
  const unsigned base =
      text[i] == '0' && i + 2 < end && (text[i + 1] | 0x20) == 'x' && !IsItemEnd(text[i + 2]) ? 16 : 10;
  unsigned long long v = 0;
  for (i += base == 16 ? 2 : 0; i < end && !IsItemEnd(text[i]); ++i) {
    const unsigned d = DigitValue(text[i]);
    if (d >= base || (v = v * base + d) > UINT32_MAX) return false;
  }
  *pos = i;
  *value = static_cast<unsigned>(v);
  return true;
}

#if defined(ZT_CONF_SSE2)
// TakeNumbers with the separators found sixteen bytes at a time in a window as
// wide as the machine word (unsigned long on both builds: 32 or 64 bytes); the
// loaded text is followed by 64 readable bytes.
__attribute__((target("sse2"))) inline unsigned TakeNumbersSse2(const char* text, unsigned* pos, unsigned end,
                                                                unsigned* values, unsigned room) {
  typedef unsigned long Bits;
  constexpr unsigned kWindow = 8 * sizeof(Bits);
  const char* p = text + *pos;
  const unsigned length = end - *pos;
  Bits separators = 0;
  for (unsigned k = 0; k < kWindow / 16 && 16 * k < length; ++k) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const __m128i separator =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(b, _mm_set1_epi8('\t'))),
                     _mm_cmpeq_epi8(b, _mm_set1_epi8(',')));
    separators |= static_cast<Bits>(static_cast<unsigned>(_mm_movemask_epi8(separator))) << (16 * k);
  }
  // Items are runs of other bytes; one that may run on past the window ends the scan.
  const Bits items = ~separators & (length < kWindow ? (Bits(1) << length) - 1 : ~Bits(0));
  Bits starts = items & ~(items << 1), ends = ~items & (items << 1);
  unsigned n = 0, at = 0;
  for (; n < room && starts && ends; starts &= starts - 1, ends &= ends - 1) {
    const unsigned first = static_cast<unsigned>(__builtin_ctzl(starts));
    const unsigned last = static_cast<unsigned>(__builtin_ctzl(ends));
    const char* digits = p + first;
    unsigned base = 10, size = last - first, value = 0, i = 0;
    if (size > 2 && digits[0] == '0' && (digits[1] | 0x20) == 'x') base = 16, digits += 2, size -= 2;
    if (size > 8) break;  // a value that may not fit: the plain loop reads it
    for (unsigned d; i < size && (d = DigitValue(digits[i])) < base; ++i) value = value * base + d;
    if (i < size) break;
    values[n++] = value;
    at = last;
  }
  *pos += at;
  return n;
}

inline bool HasSse2() {
  static const bool has = __builtin_cpu_supports("sse2");
  return has;
}
#endif

// The one place the reader uses processor features, chosen at run time so that
// the 32-bit DLL has it too: the plain numbers in the window of 32 or 64 bytes
// from pos on (decimal ones of up to eight digits, "0x" ones of one to eight,
// each a whole item between separators), up to room of them, stopping before any
// other item. Their count; pos moves past the last one taken.
inline unsigned TakeNumbers(const char* text, unsigned* pos, unsigned end, unsigned* values, unsigned room) {
#if defined(ZT_CONF_SSE2)
  if (HasSse2()) return TakeNumbersSse2(text, pos, end, values, room);
#endif
  return (void)text, (void)pos, (void)end, (void)values, (void)room, 0;
}

// Reads the data of a line (from pos up to end) for a getter: the leading
// numbers, each in one pass, then the texts item by item. The caller has checked
// the request and emptied its outputs. Faults 4 and 5 (too long, too many) let
// it go on, the first of them being the result; the others stop it.
inline unsigned ReadItems(const char* text, unsigned pos, unsigned end, const LineRequest& r) {
  unsigned result = ZT_CONF_OK;
  unsigned n = 0;
  while (r.numbers && n < r.maximum) {
    const unsigned taken = TakeNumbers(text, &pos, end, r.values + n, r.maximum - n);
    if (!taken) break;
    n += taken;
  }
  while (r.numbers) {
    while (pos < end && IsSeparator(text[pos])) ++pos;
    if (pos >= end || text[pos] == ';') break;
    const char c = text[pos];
    unsigned value;
    if (c == '\'' && pos + 2 < end && text[pos + 2] == '\'') {
      value = static_cast<unsigned char>(text[pos + 1]);
      pos += 3;
    } else if ((c >= '0' && c <= '9') || c == '+' || c == '-' || (r.textCount == 0 && c != '"')) {
      // Without texts to read every bare word is taken as a number.
      if (!ReadNumber(text, &pos, end, &value)) {
        if (r.count) *r.count = n;
        return ZT_CONF_BAD_NUMBER;
      }
    } else {
      break;
    }
    if (n < r.maximum) {
      r.values[n++] = value;
    } else if (!result) {
      result = ZT_CONF_TOO_MANY;
    }
  }
  if (r.count) *r.count = n;
  Item item = {0, 0, kBare, false};
  const unsigned next = NextItem(text, &pos, end, &item);
  return ReadTexts(text, pos, end, next, &item, r, result);
}

// One line of the loaded text as the reader sees it.
struct ConfLine {
  unsigned key;   // number of its keyword (kNoKeyword: none), kClosing added on closing lines
  unsigned data;  // offset of the data: after the keyword, its colon and the blanks
};
constexpr unsigned kNoKeyword = 0;
constexpr unsigned kClosing = 0x80000000u;

// One distinct keyword of the loaded text: where it first stands (length 0: a free slot), and its number.
struct ConfKey {
  unsigned hash, start, length, number;
};

}  // namespace zt_conf

// The reader's index of the loaded text and the writer's edit state.
struct SZTConfFileImpl {
  // Per line its keyword's number and data; keywords are numbered 1, 2, ... as
  // they first come (letter case aside), so that lines are found by number.
  zt_conf::ConfLine* lines = nullptr;
  unsigned lineCapacity = 0;
  zt_conf::ConfKey* keys = nullptr;  // open hash table, at most half full
  unsigned keySlots = 0;             // a power of two
  unsigned keyCount = 0;
  // While indexing, the last keyword line: lines of one keyword mostly come in
  // runs, and written alike. Its keyword and that keyword's number; its start,
  // the length up to its data (0: not to be taken over, the keyword running up to
  // the data) and whether a colon stands in that part.
  unsigned lastKeyStart = 0, lastKeyLength = 0, lastKeyNumber = 0;
  unsigned lastKeyLineStart = 0, lastKeyLine = 0;
  bool lastKeyLineColon = false;
  // The keyword a caller asked for last, as passed (empty: none), and its number.
  char asked[16] = {};
  unsigned askedNumber = 0;

  unsigned editCapacity = 0;
  unsigned editError = 0;
  unsigned keywordColumn = 8, dataColumn = 32, labelWidth = 24, commentColumn = 80, lineWidth = 104;
};
