// One field of a table record: where it lies, how its bytes are encoded, what it
// holds and how it is shown; and the codec that turns its bytes into text.
#pragma once

#include <stdint.h>

#include "zt_tbl32/frame.h"

class CGridDef;
class CZTPrint;

// Encoding types: the raw form of a field's bytes (little-endian).
enum : unsigned {
  ite8INTEGER = 0,
  ite16INTEGER = 1,
  ite32INTEGER = 2,
  ite64INTEGER = 3,
  ite32FLOATING = 4,
  ite64FLOATING = 5,
  ite80FLOATING = 6,
  iteASCIITEXT = 7,
  iteUNICODETEXT = 8,
  ZT_ENCODE_COUNT = 9
};

// A word (encoding, justification, content or display) that is not set.
constexpr unsigned ZT_NOT_SET = 0xFFFFFFFFu;

// Content and display words: presentation kind in bits 0-3, flags, decimals or
// date format in bits 12-15, time format in bits 16-19.
enum : unsigned {
  ZT_KIND_TEXT = 0,
  ZT_KIND_NUMBER = 1,
  ZT_KIND_DATETIME = 2,
  ZT_KIND_DECIMAL = 3,
  ZT_KIND_COUNT = 6,  // kinds 4 and 5 have no treatment of their own

  ZT_FMT_KIND_MASK = 0x000F,
  ZT_FMT_SIGNED = 0x0010,
  ZT_FMT_ZERO_FILL = 0x0020,
  ZT_FMT_COMMA = 0x0040,
  ZT_FMT_THOUSANDS = 0x0080,
  ZT_FMT_DATE = 0x0100,
  ZT_FMT_TIME = 0x0200,
  ZT_FMT_NO_CASE = 0x0C00,  // both bits on a text: selections ignore case
};

// Justification codes.
enum : unsigned { ZT_JUST_LEFT = 0, ZT_JUST_RIGHT = 1, ZT_JUST_CENTRE = 2 };

inline unsigned ztFmtKind(unsigned word) { return word & ZT_FMT_KIND_MASK; }
// Decimals of a number or decimal, or the date format of a date/time.
inline unsigned ztFmtDecimals(unsigned word) { return (word >> 12) & 0xF; }
inline unsigned ztFmtDateFormat(unsigned word) { return (word >> 12) & 0xF; }
inline unsigned ztFmtTimeFormat(unsigned word) { return (word >> 16) & 0xF; }
inline unsigned ztMakeFmt(unsigned kind, unsigned flags, unsigned decimalsOrDate, unsigned time = 0) {
  return kind | flags | ((decimalsOrDate & 0xF) << 12) | ((time & 0xF) << 16);
}

// One parsed field value; the value kind says which member is valid.
union numVal {
  uint32_t u32;
  int32_t i32;
  uint64_t u64;
  int64_t i64;
  double dbl;
};

enum : unsigned { ZT_VAL_UINT32 = 0, ZT_VAL_INT32 = 1, ZT_VAL_UINT64 = 2, ZT_VAL_INT64 = 3, ZT_VAL_DOUBLE = 4 };

class ZT_TBL32_API CZTFieldDesc {
 public:
  unsigned m_uOffset;       // byte offset in the data record
  unsigned m_uLength;       // bytes
  unsigned m_uDispWidth;    // column width in percent of a data grid
  unsigned m_uEncodeType;   // ite...; ZT_NOT_SET
  unsigned m_uContentType;  // content word
  unsigned m_uDisplayType;  // display word
  unsigned m_uDataJust;     // justification of the stored value
  unsigned m_uDispJust;     // justification for display
  char m_szName[32];

  CZTFieldDesc();

  // Stores the code; codes 1-6 also set the length their encoding needs.
  void SetEncodeType(unsigned code);
  // Take the value of an entry of the matching list; 0 for an index out of range.
  int SetEncodeTypeIdx(unsigned index);
  int SetContentTypeIdx(unsigned index);
  int SetDisplayTypeIdx(unsigned index);
  int SetDataJustTypeIdx(unsigned index);
  int SetDispJustTypeIdx(unsigned index);
  // Fill a list-box control and select the current value.
  int DispEncodeTypeLB(HWND listBox) const;
  int DispContentTypeLB(HWND listBox) const;
  int DispDisplayTypeLB(HWND listBox) const;
  int DispDataJustTypeLB(HWND listBox) const;
  int DispDispJustTypeLB(HWND listBox) const;

  // The "Field:" line of a description file.
  int ReadDef(CZTConfFile& conf, const char* keyword, unsigned index);
  int WriteDef(CZTConfFile& conf) const;
  // Checks the length against the encoding; shows 1310 + encoding when it does not suit.
  int VerifyField() const;
  // One row of a field grid.
  int DispDef(CGridDef& gridDef, unsigned row) const;
  // One line of a printed field list at y (the field list's tab stops set). 1.
  int PrintDef(CZTPrint& print, int y, unsigned index) const;

  // Display text of the field, cut to size - 1 characters and terminated. int: 1 ok.
  // A non-zero record size is checked against the field.
  int FormatData(char* text, unsigned size, unsigned* length, const unsigned char* record, unsigned recordSize) const;
  // The field's value and its value kind (ZT_VAL_...). int: 1 ok.
  int ParseData(numVal* value, unsigned* valueKind, const unsigned char* record, unsigned recordSize) const;
  // Lowest (highest = 0) or highest raw value of the field, for key ranges; the
  // bytes written (no terminator), 0 when the type has none or size is too small.
  unsigned GetSMaskFiller(unsigned highest, char* buffer, unsigned size) const;
  // The field in two records: -1, 0 (also on every failure), 1.
  int CompareData(const void* record1, const void* record2) const;

 private:
  void DispDataType(CGridDef& gridDef, unsigned row, unsigned column, unsigned word) const;
};

// A number as text: doubles with the display decimals (a '.' as separator),
// integers with the content decimals as fixed point (a ',' as separator).
// Returns the length, 0 for an unknown value kind or a text that does not fit.
ZT_TBL32_API unsigned FormatNumber(char* text, unsigned size, const numVal& value, unsigned valueKind,
                                   unsigned contentType, unsigned displayType);

// Comparison functions for sorting and searching arrays of fields.
ZT_TBL32_API int CmpFieldName(const void* key, const void* field);
ZT_TBL32_API int CmpFieldPos(const void* a, const void* b);
