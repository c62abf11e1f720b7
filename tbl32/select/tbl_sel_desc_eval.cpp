// Resolution of a selection against a table description or a callback, record
// tests and key ranges.
#include <math.h>
#include <stdint.h>
#include <string.h>
#include <time.h>

#include "select_dates.h"
#include "select_ids.h"
#include "zt_tbl32/date_text.h"
#include "zt_tbl32/exact_number.h"
#include "zt_tbl32/field_desc.h"
#include "zt_tbl32/number_text.h"
#include "zt_tbl32/parse_date_literal.h"
#include "zt_tbl32/table_desc.h"
#include "zt_tbl32/tbl_sel_desc.h"

namespace {

// How the comparison value of a node is held (CompKind of the node): the value
// kinds of numVal, and one for ordering comparisons on plain text fields, whose
// text is read as a signed number when the record is tested.
enum : uint8_t { kCompNumericText = ZT_SEL_COMP_NUMERIC_TEXT, kCompNone = ZT_SEL_COMP_NONE };

// The text area of a formatted field.
constexpr unsigned kFormatSize = 1024;

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool Present(const SZTDataCompLink& link) { return link.fAlloc && link.pOper; }

// Digits, optionally after a sign, with blanks around.
bool IsNumericText(const char* text, unsigned length, bool signAllowed) {
  const char* p = text;
  const char* end = text + length;
  while (p < end && IsBlank(*p)) ++p;
  while (end > p && IsBlank(end[-1])) --end;
  if (p < end && signAllowed && (*p == '-' || *p == '+')) ++p;
  if (p == end) return false;
  for (; p < end; ++p)
    if (!IsDigit(*p)) return false;
  return true;
}

bool HasJoker(const char* value) { return strpbrk(value, "#*?") != nullptr; }

const char* PrintedFunction(unsigned func) {
  static const char* const kNames[] = {"==", "!=", "==", "!=", ">", ">=", "<", "<="};
  return func < 8 ? kNames[func] : "??";
}

unsigned BaseFunction(unsigned func) {
  if (func == ZT_SEL_EQ_PATTERN) return ZT_SEL_EQ;
  if (func == ZT_SEL_NE_PATTERN) return ZT_SEL_NE;
  return func;
}

// What resolution needs to know of a column, from a field or from the callback.
struct ColumnInfo {
  unsigned kind;      // presentation kind of the content word
  unsigned content;   // content word (0 from the callback)
  unsigned encoding;  // encoding type
  bool ignoreCase;    // texts compared without regard to case
  bool isSigned;
  unsigned decimals;
  bool fromCallback;
  const char* text;  // the callback's text at resolution (may be null)
  unsigned textLength;
};

// The largest magnitudes of the negative and the positive values of an integer value kind.
void KindRange(unsigned kind, uint64_t* negative, uint64_t* positive) {
  switch (kind) {
    case ZT_VAL_UINT32:
      *negative = 0;
      *positive = UINT32_MAX;
      break;
    case ZT_VAL_INT32:
      *negative = uint64_t(1) << 31;
      *positive = INT32_MAX;
      break;
    case ZT_VAL_UINT64:
      *negative = 0;
      *positive = UINT64_MAX;
      break;
    default:
      *negative = uint64_t(1) << 63;
      *positive = INT64_MAX;
      break;
  }
}

void StoreInteger(SZTDataCompExpr* expr, bool negative, uint64_t magnitude, unsigned kind) {
  const uint64_t bits = negative ? uint64_t(0) - magnitude : magnitude;
  if (kind == ZT_VAL_UINT32 || kind == ZT_VAL_INT32)
    expr->CompValue.u32 = static_cast<uint32_t>(bits);
  else
    expr->CompValue.u64 = bits;
  expr->CompKind = static_cast<uint8_t>(kind);
}

// The comparison of a field that holds integers of the value kind (scaled by
// the decimals) with the exact value: the value × 10^decimals rounded so that
// comparing integers keeps the answer (F > 2,5 is F > 2, F >= 2,5 is F >= 3), or
// a constant answer where the value lies beyond the kind's range or, for
// equality, between two integers.
void SetIntegerValue(SZTDataCompExpr* expr, const CZTExactNumber& number, unsigned decimals, unsigned kind) {
  const unsigned func = expr->Func;
  const unsigned rounding = func == ZT_SEL_GE || func == ZT_SEL_LT ? ZT_ROUND_UP : ZT_ROUND_DOWN;
  bool negative, exact;
  uint64_t magnitude;
  const bool fits = number.Scaled(decimals, rounding, &negative, &magnitude, &exact) != 0;
  uint64_t maxNegative, maxPositive;
  KindRange(kind, &maxNegative, &maxPositive);
  int side = 0;  // -1 below every value of the kind, 1 above
  if (!fits || magnitude > (negative ? maxNegative : maxPositive)) side = negative ? -1 : 1;
  expr->CompValue.u64 = 0;
  expr->CompKind = static_cast<uint8_t>(kind);
  if ((func == ZT_SEL_EQ || func == ZT_SEL_NE) && !exact) {
    expr->CompFunc = func == ZT_SEL_EQ ? ZT_SEL_NEVER : ZT_SEL_ALWAYS;
  } else if (side) {
    const bool holds = func == ZT_SEL_NE ||
                       (side > 0 ? func == ZT_SEL_LT || func == ZT_SEL_LE : func == ZT_SEL_GT || func == ZT_SEL_GE);
    expr->CompFunc = holds ? ZT_SEL_ALWAYS : ZT_SEL_NEVER;
  } else {
    StoreInteger(expr, negative, magnitude, kind);
  }
}

// A callback's column: its values come in whatever value kind its item type
// gives, so the value is kept as it is: an integer of the preferred kind or a
// wider one, else the nearest double.
void SetCallbackValue(SZTDataCompExpr* expr, const CZTExactNumber& number, unsigned preferred) {
  bool negative, exact;
  uint64_t magnitude;
  if (preferred != ZT_VAL_DOUBLE && number.Scaled(0, ZT_ROUND_DOWN, &negative, &magnitude, &exact) && exact &&
      (!negative || magnitude <= uint64_t(1) << 63)) {
    if (preferred == ZT_VAL_UINT32 && !negative && magnitude <= UINT32_MAX)
      StoreInteger(expr, false, magnitude, ZT_VAL_UINT32);
    else if (preferred == ZT_VAL_INT64 && (negative || magnitude <= INT64_MAX))
      StoreInteger(expr, negative, magnitude, ZT_VAL_INT64);
    else
      StoreInteger(expr, negative, magnitude, negative ? ZT_VAL_INT64 : ZT_VAL_UINT64);
    return;
  }
  expr->CompValue.dbl = number.ToDouble();
  expr->CompKind = ZT_VAL_DOUBLE;
}

int NotAValue(const SZTDataCompExpr* expr, const char* what) {
  ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Value %s of %s is not %s", expr->Value, expr->Column, what);
  ztTbl32Lib.DispError(ZT_SEL_ERR_NOT_A_VALUE, expr->Value, expr->Column);
  return 0;
}

// Binds one comparison to its column; logs and shows the error otherwise.
int ResolveExpression(SZTDataCompExpr* expr, const ColumnInfo& col) {
  const unsigned func = BaseFunction(expr->Func);
  expr->Func = static_cast<uint8_t>(func);
  expr->CompFunc = static_cast<uint8_t>(func);
  expr->fCase = 0;
  expr->CompValue.u64 = 0;
  expr->CompKind = kCompNone;
  const bool joker = HasJoker(expr->Value);
  const unsigned kind = col.kind;
  const bool textual = ztSelTextKind(kind);

  if (func == ZT_SEL_EQ || func == ZT_SEL_NE) {
    if (textual || joker) {
      const bool ignoreCase = textual && col.ignoreCase;
      if (!expr->StrCmp.SetupString(expr->Value, 0, ignoreCase ? 1 : 0)) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Cannot setup the field string compare operation for %s",
                          expr->Column);
        ztTbl32Lib.DispError(ZT_SEL_ERR_PATTERN, expr->Column);
        return 0;
      }
      expr->Func = static_cast<uint8_t>(func + 2);
      expr->CompFunc = expr->Func;
      expr->fCase = ignoreCase ? 1 : 0;
      return 1;
    }
  } else {
    if (joker) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Cannot use function %s with jokers in %s", PrintedFunction(func),
                        expr->Value);
      ztTbl32Lib.DispError(ZT_SEL_ERR_JOKER_ORDER, PrintedFunction(func), expr->Value);
      return 0;
    }
    bool numericText = kind == ZT_KIND_TEXT;
    if (numericText) {
      const bool signAllowed = col.fromCallback || col.isSigned;
      numericText = IsNumericText(expr->Value, static_cast<unsigned>(strlen(expr->Value)), signAllowed);
      if (numericText && col.fromCallback && col.textLength && col.text)
        numericText = IsNumericText(col.text, col.textLength, true);
    }
    if (kind > ZT_KIND_DECIMAL || (kind == ZT_KIND_TEXT && !numericText)) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Cannot use function %s with text strings", PrintedFunction(func));
      ztTbl32Lib.DispError(ZT_SEL_ERR_TEXT_ORDER, PrintedFunction(func));
      return 0;
    }
    if (kind == ZT_KIND_TEXT) {
      // Ordering on a text field compares its text read as a signed number.
      CZTExactNumber number;
      number.Read(expr->Value, 0, ZT_NUM_GERMAN);  // digits only: checked above
      if (col.fromCallback) {
        SetCallbackValue(expr, number, ZT_VAL_INT64);
      } else {
        SetIntegerValue(expr, number, 0, ZT_VAL_INT64);
        expr->CompKind = kCompNumericText;
      }
      return 1;
    }
  }

  const char* value = expr->Value;
  const unsigned enc = col.encoding;
  if ((kind == ZT_KIND_DATETIME || kind == ZT_KIND_DECIMAL) && enc != iteASCIITEXT) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Cannot setup date/time-compare for data encoding type %u", enc);
    ztTbl32Lib.DispError(kind == ZT_KIND_DATETIME ? ZT_SEL_ERR_DATE_ENCODING : ZT_SEL_ERR_DECIMAL_ENCODING,
                         expr->Column, enc);
    return 0;
  }
  if (kind == ZT_KIND_DATETIME) {
    // An invalid date would compare as the largest day number.
    expr->CompValue.u32 = ParseDateLiteral(value, 0);
    if (expr->CompValue.u32 == ZT_INVALID_DAY) return NotAValue(expr, "a date");
    expr->CompKind = ZT_VAL_UINT32;
    unsigned d, m, y;
    if (!col.fromCallback && (col.content & ZT_FMT_DATE) && ztSelDateLiteralParts(value, 0, &d, &m, &y)) {
      expr->CompKind = ZT_SEL_COMP_DATE_KEY;
      expr->CompDateKey = ztSelDateKey(d, m, y);
    }
    return 1;
  }

  // Numbers: doubles take the notation of shown doubles as well; integers and
  // amounts German notation, compared by their exact value.
  const bool floating = kind == ZT_KIND_NUMBER && (enc == ite32FLOATING || enc == ite64FLOATING ||
                                                   enc == ite80FLOATING || (enc == iteASCIITEXT && col.decimals));
  CZTExactNumber number;
  if (!number.Read(value, 0, floating ? ZT_NUM_FLOATING : ZT_NUM_GERMAN)) return NotAValue(expr, "a number");
  if (floating || (col.fromCallback && enc > ite64INTEGER && enc != iteASCIITEXT)) {
    expr->CompValue.dbl = number.ToDouble();
    expr->CompKind = ZT_VAL_DOUBLE;
  } else if (col.fromCallback) {
    SetCallbackValue(expr, number, enc <= ite32INTEGER && kind == ZT_KIND_NUMBER ? ZT_VAL_UINT32 : ZT_VAL_UINT64);
  } else if (kind == ZT_KIND_DECIMAL) {
    // Decimal text is read as a signed 64-bit scaled amount.
    SetIntegerValue(expr, number, col.decimals, ZT_VAL_INT64);
  } else if (enc <= ite32INTEGER) {
    SetIntegerValue(expr, number, col.decimals, col.isSigned ? ZT_VAL_INT32 : ZT_VAL_UINT32);
  } else {
    // 64-bit integers and digit text.
    SetIntegerValue(expr, number, col.decimals, col.isSigned ? ZT_VAL_INT64 : ZT_VAL_UINT64);
  }
  return 1;
}

template <class T>
inline bool Apply(unsigned func, T a, T b) {
  switch (func) {
    case ZT_SEL_EQ:
      return a == b;
    case ZT_SEL_NE:
      return a != b;
    case ZT_SEL_GT:
      return a > b;
    case ZT_SEL_GE:
      return a >= b;
    case ZT_SEL_LT:
      return a < b;
    case ZT_SEL_LE:
      return a <= b;
    case ZT_SEL_ALWAYS:
      return true;
    default:
      return false;
  }
}

double ToDouble(const numVal& v, unsigned kind) {
  switch (kind) {
    case ZT_VAL_UINT32:
      return v.u32;
    case ZT_VAL_INT32:
      return v.i32;
    case ZT_VAL_UINT64:
      return static_cast<double>(v.u64);
    case ZT_VAL_INT64:
      return static_cast<double>(v.i64);
    default:
      return v.dbl;
  }
}

// An integer of any value kind as 64 bits and whether it is negative; values of
// equal sign then order as unsigned 64-bit numbers.
uint64_t Widen(const numVal& v, unsigned kind, bool* negative) {
  switch (kind) {
    case ZT_VAL_UINT32:
      *negative = false;
      return v.u32;
    case ZT_VAL_INT32:
      *negative = v.i32 < 0;
      return static_cast<uint64_t>(static_cast<int64_t>(v.i32));
    case ZT_VAL_UINT64:
      *negative = false;
      return v.u64;
    default:
      *negative = v.i64 < 0;
      return static_cast<uint64_t>(v.i64);
  }
}

// The field's value (of its own value kind) against the comparison value.
bool CompareNumbers(unsigned func, const numVal& a, unsigned aKind, const numVal& b, unsigned bKind) {
  if (aKind == bKind) {
    switch (aKind) {
      case ZT_VAL_UINT32:
        return Apply(func, a.u32, b.u32);
      case ZT_VAL_INT32:
        return Apply(func, a.i32, b.i32);
      case ZT_VAL_UINT64:
        return Apply(func, a.u64, b.u64);
      case ZT_VAL_INT64:
        return Apply(func, a.i64, b.i64);
      case ZT_VAL_DOUBLE:
        return Apply(func, a.dbl, b.dbl);
      default:
        return false;
    }
  }
  if (aKind > ZT_VAL_DOUBLE || bKind > ZT_VAL_DOUBLE) return false;
  if (aKind == ZT_VAL_DOUBLE || bKind == ZT_VAL_DOUBLE) return Apply(func, ToDouble(a, aKind), ToDouble(b, bKind));
  bool aNeg, bNeg;
  const uint64_t av = Widen(a, aKind, &aNeg);
  const uint64_t bv = Widen(b, bKind, &bNeg);
  const int order = aNeg != bNeg ? (aNeg ? -1 : 1) : (av < bv ? -1 : (av > bv ? 1 : 0));
  return Apply(func, order, 0);
}

// Visits every comparison from left to right until the visitor returns 0; the
// right sides of operations are followed in the loop.
template <class Visitor>
int VisitExpressions(const SZTDataCompLink* link, Visitor& visit) {
  for (;;) {
    if (!Present(*link)) return 1;
    if (link->pOper->idRec == ZT_SEL_EXPRESSION) return visit(static_cast<SZTDataCompExpr*>(link->pOper));
    SZTDataCompOper* op = static_cast<SZTDataCompOper*>(link->pOper);
    if (!VisitExpressions(&op->Link[0], visit)) return 0;
    link = &op->Link[1];
  }
}

// The value of the tree for one record; an empty link is true, AND and OR test
// their right side only when needed.
template <class Leaf>
bool TestLink(const SZTDataCompLink* link, const Leaf& leaf) {
  bool invert = false;
  for (;;) {
    if (!Present(*link)) return !invert;
    const SZTDataCompNode* node = link->pOper;
    if (node->idRec == ZT_SEL_EXPRESSION) return leaf(static_cast<const SZTDataCompExpr*>(node)) != invert;
    const SZTDataCompOper* op = static_cast<const SZTDataCompOper*>(node);
    const bool left = TestLink(&op->Link[0], leaf);
    switch (op->Oper) {
      case ZT_SEL_OR:
        if (left) return !invert;
        break;
      case ZT_SEL_AND:
        if (!left) return invert;
        break;
      case ZT_SEL_XOR:
        invert = invert != left;
        break;
      default:
        return false;
    }
    link = &op->Link[1];
  }
}

// The field a column names. Names compare with ASCII letter folding, while the
// parser keeps a column in upper case with Windows-1252 folding: the column
// "TITEL\xC4" of the text Titel\xE4 also names the field whose name is that in
// upper case.
const CZTFieldDesc* FindField(const CZTTableDesc* table, const char* column, unsigned* index) {
  const CZTFieldDescList& list = table->m_Fields;
  for (unsigned pass = 0; pass < 2; ++pass) {
    for (unsigned i = 0; i < list.m_uCount; ++i) {
      bool same;
      if (pass == 0) {
        same = CmpFieldName(column, &list.m_pFields[i]) == 0;
      } else {
        char upper[sizeof(list.m_pFields[i].m_szName)];
        ztStrCopy(upper, list.m_pFields[i].m_szName, sizeof(upper));
        ztStrUpper(upper);
        same = strcmp(upper, column) == 0;
      }
      if (same) {
        *index = i;
        return &list.m_pFields[i];
      }
    }
  }
  return nullptr;
}

ZTSelYearSource g_yearSource = nullptr;

unsigned CurrentYear() {
  if (g_yearSource) return g_yearSource();
  time_t now = time(nullptr);
  struct tm local;
#ifdef _WIN32
  if (localtime_s(&local, &now) != 0) return 2000;
#else
  if (!localtime_r(&now, &local)) return 2000;
#endif
  return static_cast<unsigned>(local.tm_year + 1900);
}

// Two digits at a position; false when either is not a digit.
bool TwoDigits(const char* text, unsigned pos, unsigned* value) {
  if (!IsDigit(text[pos]) || !IsDigit(text[pos + 1])) return false;
  *value = static_cast<unsigned>((text[pos] - '0') * 10 + (text[pos + 1] - '0'));
  return true;
}

// Date texts of the callback (item types 10-19): day number, or ZT_INVALID_DAY when a
// digit is missing. Two-digit years slide: 2000 + YY unless that is after the
// current year, then 1900 + YY.
unsigned CallbackDate(unsigned itemType, const char* text, unsigned length) {
  struct Layout {
    uint8_t day, month, year, yearDigits, length;
  };
  static const Layout kLayouts[10] = {{0, 3, 6, 4, 10}, {3, 0, 6, 4, 10}, {0, 2, 4, 4, 8}, {2, 0, 4, 4, 8},
                                      {0, 3, 6, 2, 8},  {3, 0, 6, 2, 8},  {0, 2, 4, 2, 6}, {2, 0, 4, 2, 6},
                                      {6, 4, 0, 4, 8},  {4, 2, 0, 2, 6}};
  const Layout& l = kLayouts[itemType - 10];
  if (length < l.length) return ZT_INVALID_DAY;
  unsigned day, month, year, low;
  if (!TwoDigits(text, l.day, &day) || !TwoDigits(text, l.month, &month)) return ZT_INVALID_DAY;
  if (l.yearDigits == 4) {
    unsigned high;
    if (!TwoDigits(text, l.year, &high) || !TwoDigits(text, l.year + 2u, &low)) return ZT_INVALID_DAY;
    year = high * 100 + low;
  } else {
    if (!TwoDigits(text, l.year, &low)) return ZT_INVALID_DAY;
    year = 2000 + low;
    if (year > CurrentYear()) year -= 100;
  }
  return DateToDayNumber(day, month, year);
}

// Time texts of the callback (item types 20-22): seconds since midnight, or
// kNoTime when a digit is missing.
constexpr unsigned kNoTime = 0xFFFFFFFFu;
unsigned CallbackTime(unsigned itemType, const char* text, unsigned length) {
  unsigned h, m, s = 0;
  const bool colons = itemType == 20;
  const unsigned need = itemType == 20 ? 8 : (itemType == 21 ? 6 : 4);
  if (length < need) return kNoTime;
  if (!TwoDigits(text, 0, &h) || !TwoDigits(text, colons ? 3 : 2, &m)) return kNoTime;
  if (itemType != 22 && !TwoDigits(text, colons ? 6 : 4, &s)) return kNoTime;
  return h * 3600 + m * 60 + s;
}

// The callback's value for a comparison, converted by its item type.
bool CallbackValue(unsigned itemType, const char* text, unsigned length, unsigned kind, const uint64_t& raw,
                   numVal* value, unsigned* valueKind) {
  value->u64 = 0;
  *valueKind = ZT_VAL_UINT32;
  switch (itemType) {
    case 0:
    case 1: {
      const char* p = text;
      const char* end = text + length;
      while (p < end && IsBlank(*p)) ++p;
      const unsigned n = static_cast<unsigned>(end - p);
      if (n && IsNumericText(p, n, false)) {
        value->u32 = ParseUInt32Text(p, n);
      } else if (n && IsNumericText(p, n, true)) {
        value->i32 = ParseInt32Text(p, n);
        *valueKind = ZT_VAL_INT32;
      }
      return true;
    }
    case 2:
      if (length) value->u32 = ParseUInt32Text(text, length);
      return true;
    case 3:
      *valueKind = ZT_VAL_INT32;
      if (length) value->i32 = ParseInt32Text(text, length);
      return true;
    case 4:
    case 5:
      *valueKind = ZT_VAL_DOUBLE;
      value->dbl = length ? ParseDoubleText(text, length) : 0.0;
      return true;
    case 20:
    case 21:
    case 22:
      value->u32 = CallbackTime(itemType, text, length);
      return true;
    case 40:
    case 41: {
      const bool sign = itemType == 41;
      if (length == 0) {
        *valueKind = sign ? ZT_VAL_INT32 : ZT_VAL_UINT32;
        return true;
      }
      if (length != 1 && length != 2 && length != 4 && length != 8) return false;
      uint64_t bits = 0;
      memcpy(&bits, text, length);  // little-endian, as the x86 stores it
      if (length == 8) {
        value->u64 = bits;
        *valueKind = sign ? ZT_VAL_INT64 : ZT_VAL_UINT64;
        return true;
      }
      if (sign) {
        const unsigned shift = 64 - 8 * length;
        value->i32 = static_cast<int32_t>(static_cast<int64_t>(bits << shift) >> shift);
        *valueKind = ZT_VAL_INT32;
      } else {
        value->u32 = static_cast<uint32_t>(bits);
      }
      return true;
    }
    case 42: {
      if (length != 4) return false;
      float f;
      memcpy(&f, text, 4);
      value->dbl = f;
      *valueKind = ZT_VAL_DOUBLE;
      return true;
    }
    case 43:
      if (length != 8) return false;
      memcpy(&value->dbl, text, 8);
      *valueKind = ZT_VAL_DOUBLE;
      return true;
    default:
      if (itemType >= 10 && itemType <= 19) {
        value->u32 = CallbackDate(itemType, text, length);
        return true;
      }
      if (kind > ZT_VAL_DOUBLE) return false;
      memcpy(value, &raw, sizeof(raw));
      *valueKind = kind;
      return true;
  }
}

// The length of a field's text: up to its first zero byte. Short fields make a
// library call cost more than the search, so eight bytes are tested at a time.
inline unsigned TextLength(const char* text, unsigned length) {
  unsigned i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word;
    memcpy(&word, text + i, 8);
    if ((word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull) break;
  }
  while (i < length && text[i]) ++i;
  return i;
}

// The value of a field as ParseData gives it; unsigned digit text, the most
// common key field, is read here directly.
inline bool ReadValue(const CZTFieldDesc& field, const unsigned char* record, unsigned recordSize, numVal* value,
                      unsigned* kind) {
  if (field.m_uEncodeType == iteASCIITEXT &&
      (field.m_uContentType & (ZT_FMT_KIND_MASK | ZT_FMT_SIGNED | 0xF000)) == ZT_KIND_NUMBER) {
    if (recordSize && (field.m_uOffset > recordSize || field.m_uLength > recordSize - field.m_uOffset)) return false;
    const char* text = reinterpret_cast<const char*>(record) + field.m_uOffset;
    uint64_t v = 0;
    for (unsigned i = 0; i < field.m_uLength; ++i)
      if (IsDigit(text[i])) v = v * 10 + static_cast<unsigned>(text[i] - '0');
    value->u64 = v;
    *kind = ZT_VAL_UINT64;
    return true;
  }
  return field.ParseData(value, kind, record, recordSize) != 0;
}

}  // namespace

void ztSetSelectionYearSource(ZTSelYearSource source) { g_yearSource = source; }

int CZTTblSelDesc::resolve(const CZTTableDesc* table) {
  auto bind = [table](SZTDataCompExpr* expr) -> int {
    unsigned index = 0;
    const CZTFieldDesc* field = table ? FindField(table, expr->Column, &index) : nullptr;
    if (!field) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Cannot resolve the field name %s", expr->Column);
      ztTbl32Lib.DispError(ZT_SEL_ERR_UNKNOWN_FIELD, expr->Column);
      return 0;
    }
    expr->uField = index;
    ColumnInfo col{};
    col.content = field->m_uContentType;
    col.kind = ztFmtKind(col.content);
    col.encoding = field->m_uEncodeType;
    col.ignoreCase = col.kind == ZT_KIND_TEXT && (col.content & ZT_FMT_NO_CASE) == ZT_FMT_NO_CASE;
    col.isSigned = (col.content & ZT_FMT_SIGNED) != 0;
    col.decimals = (col.kind == ZT_KIND_NUMBER || col.kind == ZT_KIND_DECIMAL) ? ztFmtDecimals(col.content) : 0;
    return ResolveExpression(expr, col);
  };
  return VisitExpressions(&m_Root, bind);
}

int CZTTblSelDesc::cbresolve(ZTSelCallback callback, long user) {
  auto bind = [callback, user](SZTDataCompExpr* expr) -> int {
    char text[256];
    text[0] = '\0';
    unsigned length = 0, kind = 0, encoding = 0, itemType = 0;
    if (!callback || !callback(expr->Column, text, sizeof(text), &length, &kind, &encoding, &itemType, user)) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Cannot resolve the field name %s", expr->Column);
      ztTbl32Lib.DispError(ZT_SEL_ERR_UNKNOWN_FIELD, expr->Column);
      return 0;
    }
    text[sizeof(text) - 1] = '\0';
    ColumnInfo col{};
    col.kind = kind;
    col.encoding = encoding;
    col.ignoreCase = length != 0;
    col.fromCallback = true;
    col.text = text;
    col.textLength = length < sizeof(text) ? length : sizeof(text) - 1;
    return ResolveExpression(expr, col);
  };
  return VisitExpressions(&m_Root, bind);
}

int CZTTblSelDesc::testdata(const CZTTableDesc* table, const char* record, unsigned recordSize) const {
  if (!Present(m_Root)) return 1;
  if (!table || !record) return 0;
  const CZTFieldDescList& fields = table->m_Fields;
  const unsigned char* rec = reinterpret_cast<const unsigned char*>(record);
  struct {
    unsigned field = kZTSelNoField;
    bool ok = false;
    numVal value;
    unsigned kind = 0;
  } cache;
  auto leaf = [&fields, rec, recordSize, &cache](const SZTDataCompExpr* expr) -> bool {
    if (expr->uField >= fields.m_uCount) return false;
    const CZTFieldDesc& field = fields.m_pFields[expr->uField];
    if (expr->Func == ZT_SEL_EQ_PATTERN || expr->Func == ZT_SEL_NE_PATTERN) {
      char area[kFormatSize];
      const char* text = area;
      unsigned length = 0;
      const unsigned display = ztFmtKind(field.m_uDisplayType);
      if (field.m_uEncodeType == iteASCIITEXT && ztSelTextKind(display)) {
        // The text as FormatData shows it is the field's bytes up to a zero byte:
        // compared in place (trailing blanks are trimmed by the comparison).
        if (recordSize && (field.m_uOffset > recordSize || field.m_uLength > recordSize - field.m_uOffset))
          return false;
        text = reinterpret_cast<const char*>(rec) + field.m_uOffset;
        length = field.m_uLength < kFormatSize ? field.m_uLength : kFormatSize - 1;
        length = TextLength(text, length);
      } else if (!field.FormatData(area, sizeof(area), &length, rec, recordSize)) {
        return false;
      }
      const bool match = length != 0 && (expr->fCase ? expr->StrCmp.CompareiString(text, length, 1) != 0
                                                     : expr->StrCmp.CompareStringA(text, length, 1) != 0);
      return expr->Func == ZT_SEL_EQ_PATTERN ? match : !match;
    }
    if (expr->CompKind == kCompNumericText) {
      if (recordSize && (field.m_uOffset > recordSize || field.m_uLength > recordSize - field.m_uOffset)) return false;
      const char* text = reinterpret_cast<const char*>(rec) + field.m_uOffset;
      if (!IsNumericText(text, field.m_uLength, true)) return false;
      return Apply(expr->CompFunc, ParseInt64Text(text, field.m_uLength), expr->CompValue.i64);
    }
    if (expr->CompKind == ZT_SEL_COMP_DATE_KEY) {
      if (recordSize && (field.m_uOffset > recordSize || field.m_uLength > recordSize - field.m_uOffset)) return false;
      char date[ZT_DATE_TEXT_SIZE];
      const unsigned n = field.m_uLength < sizeof(date) - 1 ? field.m_uLength : sizeof(date) - 1;
      memcpy(date, rec + field.m_uOffset, n);
      date[n] = '\0';
      unsigned d, m, y;
      if (!ParseDateText(&d, &m, &y, date, ztFmtDateFormat(field.m_uContentType))) return false;
      return Apply(expr->CompFunc, ztSelDateKey(d, m, y), expr->CompDateKey);
    }
    // Comparisons of one field in a row (a range) read it once.
    if (cache.field != expr->uField) {
      cache.field = expr->uField;
      cache.ok = ReadValue(field, rec, recordSize, &cache.value, &cache.kind);
    }
    if (!cache.ok) return false;
    numVal compare;
    memcpy(&compare, &expr->CompValue, sizeof(compare));
    return CompareNumbers(expr->CompFunc, cache.value, cache.kind, compare, expr->CompKind);
  };
  return TestLink(&m_Root, leaf) ? 1 : 0;
}

int CZTTblSelDesc::cbtestdata(ZTSelCallback callback, long user) const {
  if (!Present(m_Root)) return 1;
  if (!callback) return 0;
  auto leaf = [callback, user](const SZTDataCompExpr* expr) -> bool {
    char text[512];
    text[0] = '\0';
    uint64_t raw = 0;  // the 8 bytes the callback may write its own value into
    unsigned length = 0, kind = 0, itemType = 0;
    if (!callback(expr->Column, text, sizeof(text), &length, &kind, reinterpret_cast<unsigned*>(&raw), &itemType, user))
      return false;
    if (length >= sizeof(text)) length = sizeof(text) - 1;
    text[sizeof(text) - 1] = '\0';
    if (expr->Func == ZT_SEL_EQ_PATTERN || expr->Func == ZT_SEL_NE_PATTERN) {
      bool match;
      if (itemType == 0)
        match = expr->StrCmp.CompareStringA(text, length, 1) != 0;
      else if (itemType == 1)
        match = expr->StrCmp.CompareiString(text, length, 1) != 0;
      else
        return false;
      return expr->Func == ZT_SEL_EQ_PATTERN ? match : !match;
    }
    if (expr->CompKind > ZT_VAL_DOUBLE) return false;
    numVal value;
    unsigned valueKind;
    if (!CallbackValue(itemType, text, length, kind, raw, &value, &valueKind)) return false;
    numVal compare;
    memcpy(&compare, &expr->CompValue, sizeof(compare));
    return CompareNumbers(expr->CompFunc, value, valueKind, compare, expr->CompKind);
  };
  return TestLink(&m_Root, leaf) ? 1 : 0;
}
