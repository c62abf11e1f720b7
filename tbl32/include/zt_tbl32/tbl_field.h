// One column of an editable field table: a field at a fixed place of a flat
// data record, with its column type, list-view width and name; and the constant
// initialiser row an application builds such a table from.
#pragma once

#include "zt_tbl32/frame.h"

// Column types (list-box text: resource string 2020 + type). 7-9, 23-39 and
// above 44 are not column types.
enum : unsigned {
  ZT_COL_TEXT = 0,  // text without leading blanks and tabs
  ZT_COL_TEXT2 = 1,
  ZT_COL_DIGITS = 2,  // 2-5: digit text without leading blanks, tabs and zeros
  ZT_COL_DIGITS5 = 5,
  ZT_COL_AMOUNT_TEXT = 6,      // digit text in hundredths
  ZT_COL_DATE_DMY4_DOTS = 10,  // DD.MM.YYYY
  ZT_COL_DATE_MDY4_DOTS = 11,  // MM.DD.YYYY
  ZT_COL_DATE_DMY4 = 12,       // DDMMYYYY
  ZT_COL_DATE_MDY4 = 13,       // MMDDYYYY
  ZT_COL_DATE_DMY2_DOTS = 14,  // DD.MM.YY
  ZT_COL_DATE_MDY2_DOTS = 15,  // MM.DD.YY
  ZT_COL_DATE_DMY2 = 16,       // DDMMYY
  ZT_COL_DATE_MDY2 = 17,       // MMDDYY
  ZT_COL_DATE_YMD4 = 18,       // YYYYMMDD
  ZT_COL_DATE_YMD2 = 19,       // YYMMDD
  ZT_COL_TIME_COLONS = 20,     // hh:mm:ss
  ZT_COL_TIME_HMS = 21,        // hhmmss
  ZT_COL_TIME_HM = 22,         // hhmm
  ZT_COL_UNSIGNED = 40,        // binary integers of 1, 2, 4 or 8 bytes, little-endian
  ZT_COL_SIGNED = 41,
  ZT_COL_FLOAT = 42,   // 4 bytes
  ZT_COL_DOUBLE = 43,  // 8 bytes
  ZT_COL_AMOUNT = 44,  // unsigned binary integer in hundredths
};

// Row flags: strip leading zeros from a text column (types 0 and 1).
constexpr unsigned ZT_COL_NO_ZEROS = 0x8000;
// Justifications, the list view's column formats.
enum : unsigned { ZT_COL_LEFT = 0, ZT_COL_RIGHT = 1, ZT_COL_CENTRE = 2 };
// No justification: the answer for a letter that names none.
constexpr unsigned kZTNoJust = 0xFFFFFFFFu;
// The index data and tree of a row read from a file, which has none.
constexpr unsigned kZTNoIndexTree = 0xFFFFFFFFu;

constexpr unsigned kZTTblNameSize = 64;

// An initialiser row.
struct ZT_TBL32_API SZTTblFldDesc {
  unsigned uOffset;
  unsigned uLength;
  unsigned uType;
  unsigned uFlags;
  unsigned uJust;  // the letter 'L', 'M' or 'R' (either case)
  unsigned char uWidth;
  unsigned uNameId;  // resource string of the column name
};

struct ZT_TBL32_API SZTTblField {
  unsigned uOffset;
  unsigned uLength;
  unsigned uType;
  unsigned uFlags;       // ZT_COL_NO_ZEROS; other bits are kept
  unsigned uJust;        // ZT_COL_LEFT, ZT_COL_RIGHT, ZT_COL_CENTRE
  unsigned char uWidth;  // percent of the list view's client width
  unsigned char uReserved;
  unsigned uIndexData;  // given with SetIndexTree; kZTNoIndexTree when read from a file
  unsigned uIndexTree;
  unsigned uNameLength;  // at most 63
  char szName[kZTTblNameSize];
  char szUpperName[kZTTblNameSize];  // the name in capitals, for lookups

  // Takes everything but the name from an initialiser row ('L' left, 'R' right,
  // 'M' centred; any other letter left).
  SZTTblField& operator=(const SZTTblFldDesc& init);
  // The name from a resource string of the library's language library (empty
  // when there is none).
  void LoadHeader(CZTLibrary* library, unsigned stringId);
  // Stores at most 63 characters of the name, its length and the capitals.
  void SetName(const char* name);
};

// The justification of a letter 'L', 'R', 'M' (either case); kZTNoJust for any other.
ZT_TBL32_API unsigned ztTblJustOfLetter(unsigned letter);
// The resource string of a justification's name: 590 left, 591 centred, 592
// right, 593 for any other.
ZT_TBL32_API unsigned ztTblJustStringId(unsigned just);
// The column type is one of the 25 the table knows.
ZT_TBL32_API bool ztTblIsColumnType(unsigned type);
