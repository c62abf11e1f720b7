#include "tbl_column_text.h"

#include <stdint.h>
#include <string.h>

#include "zt_tbl32/number_text.h"

namespace {

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }

// Copies n bytes into the text, cut to the size; the length.
unsigned Put(char* text, unsigned size, const char* bytes, unsigned n) {
  if (n > size - 1) n = size - 1;
  memcpy(text, bytes, n);
  text[n] = '\0';
  return n;
}

// Skips leading blanks and tabs (and zeros when asked, while more than one
// character is left).
void SkipLeading(const unsigned char*& data, unsigned& n, bool zeros) {
  while (n && IsBlank(*data)) ++data, --n;
  if (zeros)
    while (n > 1 && *data == '0') ++data, --n;
}

// Digits in hundredths as an amount: "123456" gives "1.234,56", "5" gives "0,05".
unsigned Amount(char* text, unsigned size, const unsigned char* data, unsigned n) {
  while (n > 1 && (IsBlank(*data) || *data == '0')) ++data, --n;
  unsigned digits = 0;
  while (digits < n && data[digits] >= '0' && data[digits] <= '9') ++digits;
  if (!digits) return Put(text, size, "", 0);
  char amount[320];
  unsigned length = 0;
  if (digits <= 2) {
    amount[length++] = '0';
  } else {
    const unsigned whole = digits - 2;
    for (unsigned i = 0; i < whole; ++i) {
      if (i && (whole - i) % 3 == 0) amount[length++] = '.';
      amount[length++] = static_cast<char>(data[i]);
      if (length > sizeof(amount) - 4) return Put(text, size, "", 0);
    }
  }
  amount[length++] = ',';
  amount[length++] = digits >= 2 ? static_cast<char>(data[digits - 2]) : '0';
  amount[length++] = static_cast<char>(data[digits - 1]);
  return Put(text, size, amount, length);
}

// Fixed-format dates and times: the characters needed and how each character of
// the shown text is made: a digit 0-9 names a character of the data, other
// characters are put in as they are.
struct FixedFormat {
  unsigned type;
  unsigned needed;
  const char* pattern;
};
// Patterns index the data with letters 'a'... = data[0]...
const FixedFormat kFixed[] = {
    {ZT_COL_DATE_DMY4_DOTS, 10, "abcdefghij"}, {ZT_COL_DATE_MDY4_DOTS, 10, "deFabFghij"},
    {ZT_COL_DATE_DMY4, 8, "ab.cd.efgh"},       {ZT_COL_DATE_MDY4, 8, "cd.ab.efgh"},
    {ZT_COL_DATE_DMY2_DOTS, 8, "abcdef20gh"},  {ZT_COL_DATE_MDY2_DOTS, 8, "deFabF20gh"},
    {ZT_COL_DATE_DMY2, 6, "ab.cd.20ef"},       {ZT_COL_DATE_MDY2, 6, "cd.ab.20ef"},
    {ZT_COL_DATE_YMD4, 8, "gh.ef.abcd"},       {ZT_COL_DATE_YMD2, 6, "ef.cd.20ab"},
    {ZT_COL_TIME_COLONS, 8, "abcdefgh"},       {ZT_COL_TIME_HMS, 6, "ab:cd:ef"},
    {ZT_COL_TIME_HM, 4, "ab:cd:00"},
};

unsigned Fixed(char* text, unsigned size, const FixedFormat& format, const unsigned char* data, unsigned n) {
  // A column shorter than its format (or cut by the record's end) shows nothing
  // rather than a date made of the bytes that follow.
  if (n < format.needed) return Put(text, size, "", 0);
  char shown[16];
  unsigned length = 0;
  for (const char* p = format.pattern; *p; ++p) {
    if (*p >= 'a' && *p <= 'j')
      shown[length++] = static_cast<char>(data[*p - 'a']);
    else if (*p == 'F')  // the separator of the swapped groups stays in its place
      shown[length++] = static_cast<char>(data[p - format.pattern]);
    else
      shown[length++] = *p;
  }
  return Put(text, size, shown, length);
}

uint64_t LoadUnsigned(const unsigned char* data, unsigned n) {
  uint64_t value = 0;
  for (unsigned i = n; i-- > 0;) value = (value << 8) | data[i];
  return value;
}

bool IntegerWidth(unsigned n) { return n == 1 || n == 2 || n == 4 || n == 8; }

}  // namespace

unsigned ztTblColumnText(const SZTTblField& row, const unsigned char* record, unsigned recordLength, char* text,
                         unsigned size) {
  if (!text || !size) return 0;
  text[0] = '\0';
  if (!record || row.uOffset >= recordLength) return 0;
  const unsigned char* data = record + row.uOffset;
  unsigned n = recordLength - row.uOffset;
  if (n > row.uLength) n = row.uLength;
  // The binary types need the whole column.
  const bool whole = n == row.uLength;
  char number[32];
  switch (row.uType) {
    case ZT_COL_TEXT:
    case ZT_COL_TEXT2:
      SkipLeading(data, n, false);
      if (row.uFlags & ZT_COL_NO_ZEROS) SkipLeading(data, n, true);
      return Put(text, size, reinterpret_cast<const char*>(data), n);
    case ZT_COL_DIGITS:
    case ZT_COL_DIGITS + 1:
    case ZT_COL_DIGITS + 2:
    case ZT_COL_DIGITS5:
      while (n > 1 && (IsBlank(*data) || *data == '0')) ++data, --n;
      return Put(text, size, reinterpret_cast<const char*>(data), n);
    case ZT_COL_AMOUNT_TEXT:
      return Amount(text, size, data, n);
    case ZT_COL_UNSIGNED:
    case ZT_COL_SIGNED:
    case ZT_COL_AMOUNT: {
      if (!whole || !IntegerWidth(n)) return 0;
      uint64_t value = LoadUnsigned(data, n);
      unsigned length;
      if (row.uType == ZT_COL_SIGNED) {
        // Sign-extend from the column's width.
        const unsigned shift = 64 - 8 * n;
        const int64_t signedValue = static_cast<int64_t>(value << shift) >> shift;
        length = FormatInt64(number, signedValue, sizeof(number));
      } else {
        length = FormatUInt64(number, value, sizeof(number));
      }
      if (row.uType == ZT_COL_AMOUNT) return Amount(text, size, reinterpret_cast<unsigned char*>(number), length);
      return Put(text, size, number, length);
    }
    case ZT_COL_FLOAT:
    case ZT_COL_DOUBLE: {
      const unsigned width = row.uType == ZT_COL_FLOAT ? 4 : 8;
      if (!whole || n != width) return 0;
      double value;
      if (width == 4) {
        float f;
        memcpy(&f, data, 4);
        value = f;
      } else {
        memcpy(&value, data, 8);
      }
      char shown[400];  // "%f" of the largest double has 316 digits before the point
      const unsigned length = FormatFixedDouble(shown, sizeof(shown), value, 6);
      return Put(text, size, shown, length);
    }
    default:
      for (const FixedFormat& format : kFixed)
        if (format.type == row.uType) return Fixed(text, size, format, data, n);
      return 0;
  }
}
