// Items of the data part of a description-file line, shared by the reader and
// the writer (which checks that what it writes reads back the same).
#pragma once

#include "zt_lib32/conf_file.h"

namespace zt_conf {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
// Separators between data items.
inline bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ','; }

enum ItemKind { kQuoted, kChar, kBare };

struct Item {
  unsigned start;  // first byte (the opening quote of a quoted text)
  unsigned end;    // after the last byte (after the closing quote)
  ItemKind kind;
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
  if (text[i] == '"') {
    // A doubled quote stands for one; a quote followed by anything but a
    // separator, a comment or the end of the line is taken as it is.
    for (unsigned j = i + 1; j < end; ++j) {
      if (text[j] != '"') continue;
      if (j + 1 < end && text[j + 1] == '"') {
        ++j;
        continue;
      }
      if (j + 1 == end || IsSeparator(text[j + 1]) || text[j + 1] == ';') {
        item->end = j + 1;
        item->kind = kQuoted;
        *pos = j + 1;
        return ZT_CONF_OK;
      }
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

// A decimal or "0x" hexadecimal number at *pos, scanned and converted in one go.
// The byte at end must be neither a digit nor a separator (a line break or NUL).
// False when the item is anything else (or too large): the caller then takes
// the slow way, which tells which fault it is.
inline bool ScanNumber(const char* text, unsigned* pos, unsigned end, unsigned* value) {
  unsigned p = *pos;
  unsigned long long v = 0;
  if (text[p] == '0' && p + 2 < end && (text[p + 1] == 'x' || text[p + 1] == 'X')) {
    p += 2;
    unsigned digits = 0;
    for (; p < end; ++p, ++digits) {
      char c = text[p];
      unsigned d;
      if (c >= '0' && c <= '9')
        d = static_cast<unsigned>(c - '0');
      else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        d = static_cast<unsigned>((c | 0x20) - 'a' + 10);
      else
        break;
      v = v * 16 + d;
    }
    if (digits == 0 || digits > 8) return false;
  } else {
    unsigned digits = 0;
    for (; text[p] >= '0' && text[p] <= '9'; ++p, ++digits) v = v * 10 + static_cast<unsigned>(text[p] - '0');
    if (digits > 10 || v > 0xFFFFFFFFull) return false;
  }
  if (p < end && !IsSeparator(text[p]) && text[p] != ';') return false;
  *value = static_cast<unsigned>(v);
  *pos = p;
  return true;
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
