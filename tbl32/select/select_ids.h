// Error codes, string ids and control ids of the selection expressions.
#pragma once

#include "zt_tbl32/field_desc.h"

// Kinds a selection compares as text: the text kind, and kinds 4 and 5, which
// have no value form of their own.
inline bool ztSelTextKind(unsigned kind) { return kind == ZT_KIND_TEXT || kind == 4 || kind == 5; }

// Syntax errors of parse.
enum : unsigned {
  ZT_SEL_ERR_MISSING_QUOTE = 710,       // (quote character, text)
  ZT_SEL_ERR_SYNTAX = 711,              // (text)
  ZT_SEL_ERR_COLUMN_TOO_LONG = 712,     // (text)
  ZT_SEL_ERR_OPERATOR_TOO_LONG = 713,   // (text)
  ZT_SEL_ERR_VALUE_TOO_LONG = 714,      // (text)
  ZT_SEL_ERR_MISSING_PAREN = 720,       // (text)
  ZT_SEL_ERR_MISSING_COLUMN = 721,      // (text)
  ZT_SEL_ERR_NO_OPERATOR = 722,         // (text)
  ZT_SEL_ERR_MISSING_OPERATOR = 723,    // (text)
  ZT_SEL_ERR_NO_VALUE = 724,            // (text)
  ZT_SEL_ERR_MISSING_VALUE = 725,       // (text)
  ZT_SEL_ERR_TOO_MANY_TERMS = 726,      // (text)
  ZT_SEL_ERR_TOO_DEEP = 727,            // (text)
  ZT_SEL_ERR_NO_LOGICAL = 730,          // (text)
  ZT_SEL_ERR_ILLEGAL_LOGICAL = 731,     // (operator, text)
  ZT_SEL_ERR_ILLEGAL_COMPARISON = 732,  // (operator, text)
};

// Resolution errors.
enum : unsigned {
  ZT_SEL_ERR_UNKNOWN_FIELD = 740,     // (column)
  ZT_SEL_ERR_PATTERN = 741,           // (column)
  ZT_SEL_ERR_JOKER_ORDER = 742,       // (function, value)
  ZT_SEL_ERR_TEXT_ORDER = 743,        // (function)
  ZT_SEL_ERR_DATE_ENCODING = 745,     // (column, encoding)
  ZT_SEL_ERR_DECIMAL_ENCODING = 746,  // (column, encoding)
  ZT_SEL_ERR_NOT_A_VALUE = 747        // (value, column): not a number, or not a date
};

// List view header texts of the selection dialog.
enum : unsigned { ZT_SEL_STR_COLUMN = 800, ZT_SEL_STR_OPERATOR = 801, ZT_SEL_STR_VALUE = 802 };

// The selection dialog (template and controls).
enum : unsigned {
  ZT_SEL_DLG = 5000,
  ZT_SEL_DLG_LIST = 5001,
  ZT_SEL_DLG_EDIT = 5002,
  ZT_SEL_DLG_PARSE = 5003,
  ZT_SEL_DLG_OK = 5004,
  ZT_SEL_DLG_CANCEL = 5005,
};

// Limits of the language: node names, operator tokens, terms per level, nesting.
enum : unsigned {
  ZT_SEL_MAX_NAME = 63,
  ZT_SEL_MAX_OPERATOR = 31,
  ZT_SEL_MAX_TERMS = 128,
  ZT_SEL_MAX_DEPTH = 32,
  ZT_SEL_EDIT_SIZE = 512,
};

extern const char kSelSource[];  // "CZTTblSelDesc"
