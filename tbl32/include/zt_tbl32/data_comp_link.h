// The tree of a parsed selection: links, comparison nodes and logical nodes.
#pragma once

#include <stdint.h>

#include "zt_tbl32/frame.h"
#include "zt_tbl32/str_cmp.h"

// The field of a comparison that names none (yet).
constexpr unsigned kZTSelNoField = 0xFFFFFFFFu;
// The date key of an invalid date, above every valid one, and of a comparison
// that has no date value.
constexpr uint32_t kZTSelNoDateKey = 0xFFFFFFFFu;

struct SZTDataCompNode;

// A link to one node of the tree; an empty link (no node) matches every record.
struct SZTDataCompLink {
  uint32_t fAlloc;  // 1 when the link owns a node
  SZTDataCompNode* pOper;
};

enum : uint8_t { ZT_SEL_EXPRESSION = 0, ZT_SEL_OPERATION = 1 };

// Logical operator codes: the lower the code, the looser it binds.
enum : uint8_t { ZT_SEL_OR = 0, ZT_SEL_XOR = 1, ZT_SEL_AND = 2 };

// Comparison function codes. Pattern forms (2, 3) are set by resolution only.
enum : uint8_t {
  ZT_SEL_EQ = 0,
  ZT_SEL_NE = 1,
  ZT_SEL_EQ_PATTERN = 2,
  ZT_SEL_NE_PATTERN = 3,
  ZT_SEL_GT = 4,
  ZT_SEL_GE = 5,
  ZT_SEL_LT = 6,
  ZT_SEL_LE = 7,
  // Resolution only (CompFunc): the value lies beyond every value the field can
  // hold, so the comparison holds for every record whose field can be read, or
  // for none.
  ZT_SEL_ALWAYS = 8,
  ZT_SEL_NEVER = 9,
};

enum : uint8_t { ZT_SEL_COMP_NUMERIC_TEXT = 5, ZT_SEL_COMP_DATE_KEY = 6, ZT_SEL_COMP_NONE = 0xFF };

struct SZTDataCompNode {
  uint8_t idRec;  // ZT_SEL_EXPRESSION or ZT_SEL_OPERATION
};

// A logical join of up to two operands; non-empty links are packed at the front.
struct SZTDataCompOper : SZTDataCompNode {
  uint8_t Oper;
  uint8_t cLinks;
  SZTDataCompLink Link[2];

  SZTDataCompOper(uint8_t oper) : Oper(oper), cLinks(0), Link{{0, nullptr}, {0, nullptr}} { idRec = ZT_SEL_OPERATION; }
};

// One comparison of a column with a value.
struct SZTDataCompExpr : SZTDataCompNode {
  enum : unsigned { kNameSize = 64 };
  uint8_t bReserved;
  uint8_t Func;
  uint8_t fCase;    // resolution: text compared without regard to case
  uint32_t uField;  // resolution: index of the field in the table description
  CZTStrCmp StrCmp;
  union {
    uint32_t u32;
    int32_t i32;
    uint64_t u64;
    int64_t i64;
    double dbl;
  } CompValue;             // resolution: the value in the form the field is compared in
  char Column[kNameSize];  // upper case
  char Value[kNameSize];   // as written, quotes removed
  // Resolution: the value kind (numVal) of CompValue; ZT_SEL_COMP_NUMERIC_TEXT
  // for an ordering on a text field (its text read as a signed number).
  uint8_t CompKind;
  // Resolution: the function applied to CompValue. Func, or ZT_SEL_ALWAYS or
  // ZT_SEL_NEVER where the value lies beyond the field's range or, for equality,
  // between two of its values (an integer field and 2,5).
  uint8_t CompFunc;
  // Resolution of a date text field: the date as an order-keeping key
  // (ZT_SEL_COMP_DATE_KEY), so records need no day number.
  uint32_t CompDateKey;

  SZTDataCompExpr()
      : bReserved(0),
        Func(0),
        fCase(0),
        uField(kZTSelNoField),
        StrCmp('?', '#', '*'),
        CompValue{0},
        CompKind(ZT_SEL_COMP_NONE),
        CompFunc(0),
        CompDateKey(kZTSelNoDateKey) {
    idRec = ZT_SEL_EXPRESSION;
    Column[0] = '\0';
    Value[0] = '\0';
  }
};
