// Items of the data part of a description-file line, shared by the reader and
// the writer (which checks that what it writes reads back the same).
#pragma once

#include <string.h>

#include "zt_lib32/conf_file.h"

namespace zt_conf {

// Character classes, looked up instead of compared one by one in the scanning loops.
enum : unsigned char {
  kClassBlank = 1,      // blank or tab
  kClassSeparator = 2,  // between data items: blank, tab, comma
  kClassKeyEnd = 4,     // ends a keyword: blank, tab, colon, semicolon
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

// Takes plain numbers (decimal, or "0x" hexadecimal of up to eight digits) from
// *pos on for as long as they come, and moves *pos past them: each goes into
// values while fewer than maximum are there (*n counts them), one more sets
// *tooMany. Stops before the first item that is anything else or too large,
// which the caller then reads the slow way (it tells which fault it is). The
// byte at end must be neither a digit nor a separator (a line break or NUL), so
// that the scanning loops need no end test.
inline void TakeNumbers(const char* text, unsigned* pos, unsigned end, unsigned* values, unsigned maximum, unsigned* n,
                        bool* tooMany) {
  const char* s = text + *pos;
  const char* const e = text + end;
  unsigned taken = *n;
  bool over = false;
  for (;;) {
    const char* p = s;
    while (IsSeparator(*p)) ++p;
    unsigned d = static_cast<unsigned char>(*p) - '0';
    if (d > 9) break;
    unsigned long long v = 0;
    if (d == 0 && e - p > 2 && (p[1] == 'x' || p[1] == 'X')) {
      p += 2;
      const char* first = p;
      for (; p < e; ++p) {
        unsigned c = static_cast<unsigned char>(*p);
        if (c - '0' <= 9)
          d = c - '0';
        else if ((c | 0x20) - 'a' <= 'f' - 'a')
          d = (c | 0x20) - 'a' + 10;
        else
          break;
        v = v * 16 + d;
      }
      if (p == first || p - first > 8) break;
    } else {
      const char* first = p;
      for (; (d = static_cast<unsigned char>(*p) - '0') <= 9; ++p) v = v * 10 + d;
      if (p - first > 10 || v > 0xFFFFFFFFull) break;
    }
    if (p < e && !IsSeparator(*p) && *p != ';') break;
    if (taken < maximum)
      values[taken++] = static_cast<unsigned>(v);
    else
      over = true;
    s = p;
  }
  *pos = static_cast<unsigned>(s - text);
  *n = taken;
  if (over) *tooMany = true;
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
    if (c == '"' && i + 1 < to && text[i + 1] == '"') ++i;
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

}  // namespace zt_conf
