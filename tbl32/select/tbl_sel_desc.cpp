// Parsing, printing, dumping and freeing selection trees.
#include "zt_tbl32/tbl_sel_desc.h"

#include <stdint.h>
#include <string.h>

#include "select_ids.h"
#include "select_operators.h"

const char kSelSource[] = "CZTTblSelDesc";

namespace {

enum CharClass : uint8_t { kClassNone, kClassBlank, kClassQuote, kClassWord, kClassOperator };

struct ClassTable {
  uint8_t cls[256];
  constexpr ClassTable() : cls() {
    cls[0x20] = cls[0x09] = kClassBlank;  // space, tab
    cls[0x22] = cls[0x27] = kClassQuote;  // double and single quote
    for (int c = '0'; c <= '9'; ++c) cls[c] = kClassWord;
    for (int c = 'A'; c <= 'Z'; ++c) cls[c] = cls[c + 0x20] = kClassWord;
    const unsigned char german[] = {0xC4, 0xD6, 0xDC, 0xDF, 0xE4, 0xF6, 0xFC};
    for (unsigned char c : german) cls[c] = kClassWord;
    const char wordMarks[] = "%_,-:.#*?";
    for (const char* p = wordMarks; *p; ++p) cls[static_cast<unsigned char>(*p)] = kClassWord;
    const char operators[] = "!&<=>^|";
    for (const char* p = operators; *p; ++p) cls[static_cast<unsigned char>(*p)] = kClassOperator;
  }
};
constexpr ClassTable kClasses;

inline uint8_t ClassOf(char c) { return kClasses.cls[static_cast<unsigned char>(c)]; }
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

enum ReadResult { kReadOk, kReadEnd, kReadError };

// How one token of a comparison reports its absence (at the end of the text or
// after a token error) and a length over its limit.
struct TermToken {
  unsigned endCode;
  const char* endLog;
  unsigned errorCode;
  const char* errorLog;
  unsigned maxLength;
  unsigned longCode;
  const char* longLog;
};

struct Token {
  unsigned start;
  unsigned length;
};

// One term of a level: its text span (parentheses included) and the logical
// operator that follows it.
struct Term {
  unsigned start;
  unsigned end;
  uint8_t oper;
  uint8_t paren;
};

// The text of a level or part of it as shown in messages: at most 255
// characters, a longer text keeps 252 followed by "...".
void MessageText(char* out, const char* text, unsigned length) {
  const unsigned kMax = 255;
  if (length <= kMax) {
    ztStrCopyN(out, text, length, kMax + 1);
  } else {
    ztStrCopyN(out, text, kMax - 3, kMax + 1);
    ztStrAppend(out, "...", kMax + 1);
  }
}

void CopyToken(char* out, const char* text, const Token& tok, bool upper) {
  // The limits were checked while the level was read.
  memcpy(out, text + tok.start, tok.length);
  out[tok.length] = '\0';
  if (upper) ztStrUpper(out);
}

// Reads one level of a selection (the text between one pair of parentheses, or
// the whole text) into a link.
class LevelParser {
 public:
  LevelParser(const char* text, unsigned length, unsigned depth) : text_(text), length_(length), depth_(depth) {}

  // selection := [ term { logical-operator term } ]   (at most 128 terms)
  int Parse(SZTDataCompLink* link);

 private:
  // token := word-run | operator-run | quote any-text same-quote
  ReadResult ReadToken(unsigned& pos, Token& tok, bool quiet);
  // term := "(" selection ")" | comparison
  // comparison := token comparison-operator token
  ReadResult ReadTerm(unsigned& pos, Term& term);
  // Builds the tree of terms first..last: split at the loosest operator, the
  // first from the left among equals; the right side continues in the loop.
  int BuildRange(unsigned first, unsigned last, SZTDataCompLink* link);
  // One term: a parenthesised level or a comparison node.
  int BuildTerm(const Term& term, SZTDataCompLink* link);
  void SpanText(char* out, unsigned first, unsigned last) const {
    MessageText(out, text_ + terms_[first].start, terms_[last].end - terms_[first].start);
  }
  void SkipBlanks(unsigned& pos) const {
    while (pos < length_ && IsBlank(text_[pos])) ++pos;
  }

  const char* text_;
  unsigned length_;
  unsigned depth_;
  char message_[256];
  Term terms_[ZT_SEL_MAX_TERMS];
  unsigned termCount_ = 0;
};

ReadResult LevelParser::ReadToken(unsigned& pos, Token& tok, bool quiet) {
  SkipBlanks(pos);
  if (pos >= length_) return kReadEnd;
  const char c = text_[pos];
  const uint8_t cls = ClassOf(c);
  if (cls == kClassQuote) {
    unsigned close = pos + 1;
    while (close < length_ && text_[close] != c) ++close;
    if (close >= length_) {
      if (!quiet) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Missing %c in \"%s\"", c, message_);
        ztTbl32Lib.DispError(ZT_SEL_ERR_MISSING_QUOTE, c, message_);
      }
      return kReadError;
    }
    tok.start = pos + 1;
    tok.length = close - pos - 1;
    pos = close + 1;
    return kReadOk;
  }
  if (cls == kClassWord || cls == kClassOperator) {
    tok.start = pos;
    while (pos < length_ && ClassOf(text_[pos]) == cls) ++pos;
    tok.length = pos - tok.start;
    return kReadOk;
  }
  if (!quiet) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Syntax error in \"%s\"", message_);
    ztTbl32Lib.DispError(ZT_SEL_ERR_SYNTAX, message_);
  }
  return kReadError;
}

ReadResult LevelParser::ReadTerm(unsigned& pos, Term& term) {
  SkipBlanks(pos);
  // After a logical operator with nothing behind it: a failure without message.
  if (pos >= length_) return kReadEnd;
  term.start = pos;
  term.oper = 0xFF;
  if (text_[pos] == '(') {
    unsigned nesting = 1;
    unsigned p = pos + 1;
    for (; p < length_; ++p) {
      // A parenthesis inside a quoted value belongs to the value.
      if (ClassOf(text_[p]) == kClassQuote) {
        const char quote = text_[p];
        while (++p < length_ && text_[p] != quote) {
        }
        if (p >= length_) break;
        continue;
      }
      if (text_[p] == '(') {
        ++nesting;
      } else if (text_[p] == ')' && --nesting == 0) {
        break;
      }
    }
    if (p >= length_) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Missing ')' in \"%s\"", message_);
      ztTbl32Lib.DispError(ZT_SEL_ERR_MISSING_PAREN, message_);
      return kReadError;
    }
    term.paren = 1;
    term.end = p + 1;
    pos = p + 1;
    return kReadOk;
  }
  term.paren = 0;
  // Column, operator and value, each with what its absence or its length reports.
  static const TermToken kParts[] = {
      {ZT_SEL_ERR_MISSING_COLUMN, "Missing column name in \"%s\"", ZT_SEL_ERR_MISSING_COLUMN,
       "Missing column name in \"%s\"", ZT_SEL_MAX_NAME, ZT_SEL_ERR_COLUMN_TOO_LONG,
       "Column name longer than %u characters in \"%s\""},
      {ZT_SEL_ERR_NO_OPERATOR, "No operator in \"%s\"", ZT_SEL_ERR_MISSING_OPERATOR, "Missing operator name in \"%s\"",
       ZT_SEL_MAX_OPERATOR, ZT_SEL_ERR_OPERATOR_TOO_LONG, "Operator longer than %u characters in \"%s\""},
      {ZT_SEL_ERR_NO_VALUE, "No value spec in \"%s\"", ZT_SEL_ERR_MISSING_VALUE, "Missing value name in \"%s\"",
       ZT_SEL_MAX_NAME, ZT_SEL_ERR_VALUE_TOO_LONG, "Value longer than %u characters in \"%s\""},
  };
  for (const TermToken& part : kParts) {
    Token tok;
    ReadResult r = ReadToken(pos, tok, false);
    if (r != kReadOk) {
      const bool atEnd = r == kReadEnd;
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, atEnd ? part.endLog : part.errorLog, message_);
      ztTbl32Lib.DispError(atEnd ? part.endCode : part.errorCode, message_);
      return kReadError;
    }
    if (tok.length > part.maxLength) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, part.longLog, part.maxLength, message_);
      ztTbl32Lib.DispError(part.longCode, message_);
      return kReadError;
    }
  }
  term.end = pos;
  return kReadOk;
}

int LevelParser::Parse(SZTDataCompLink* link) {
  link->fAlloc = 0;
  link->pOper = nullptr;
  while (length_ && IsBlank(*text_)) {
    ++text_;
    --length_;
  }
  while (length_ && IsBlank(text_[length_ - 1])) --length_;
  if (length_ == 0) return 1;
  MessageText(message_, text_, length_);
  if (depth_ > ZT_SEL_MAX_DEPTH) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Parentheses nested deeper than %u levels in \"%s\"",
                      static_cast<unsigned>(ZT_SEL_MAX_DEPTH), message_);
    ztTbl32Lib.DispError(ZT_SEL_ERR_TOO_DEEP, message_);
    return 0;
  }

  unsigned pos = 0;
  for (;;) {
    if (termCount_ == ZT_SEL_MAX_TERMS) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "More than %u terms in \"%s\"",
                        static_cast<unsigned>(ZT_SEL_MAX_TERMS), message_);
      ztTbl32Lib.DispError(ZT_SEL_ERR_TOO_MANY_TERMS, message_);
      return 0;
    }
    Term& term = terms_[termCount_];
    if (ReadTerm(pos, term) != kReadOk) return 0;
    ++termCount_;
    SkipBlanks(pos);
    if (pos >= length_) break;
    Token tok;
    if (ReadToken(pos, tok, false) != kReadOk) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Logical operator missing in \"%s\"", message_);
      ztTbl32Lib.DispError(ZT_SEL_ERR_NO_LOGICAL, message_);
      return 0;
    }
    char word[ZT_SEL_MAX_OPERATOR + 1];
    if (tok.length > ZT_SEL_MAX_OPERATOR) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Operator longer than %u characters in \"%s\"",
                        static_cast<unsigned>(ZT_SEL_MAX_OPERATOR), message_);
      ztTbl32Lib.DispError(ZT_SEL_ERR_OPERATOR_TOO_LONG, message_);
      return 0;
    }
    CopyToken(word, text_, tok, true);
    unsigned oper = ztSelLogicalOperator(word);
    if (oper == kZTNotFound) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Illegal operator found in \"%s\"", message_);
      ztTbl32Lib.DispError(ZT_SEL_ERR_ILLEGAL_LOGICAL, word, message_);
      return 0;
    }
    term.oper = static_cast<uint8_t>(oper);
  }
  if (termCount_ == 0) return 1;
  return BuildRange(0, termCount_ - 1, link);
}

int LevelParser::BuildRange(unsigned first, unsigned last, SZTDataCompLink* link) {
  SZTDataCompLink* const top = link;
  // The operation nodes along the right side and the first term of each, for
  // their counts and for the messages when a part fails.
  SZTDataCompOper* chain[ZT_SEL_MAX_TERMS];
  unsigned chainFirst[ZT_SEL_MAX_TERMS];
  unsigned chainCount = 0;
  char span[256];
  bool leftFailed = false;

  for (;;) {
    if (first == last) {
      if (!BuildTerm(terms_[first], link)) goto failed;
      break;
    }
    unsigned split = first;
    for (unsigned i = first; i < last; ++i)
      if (terms_[i].oper < terms_[split].oper) split = i;

    SZTDataCompOper* node = new (std::nothrow) SZTDataCompOper(terms_[split].oper);
    if (!node) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Not enough free memory for a selection node");
      goto failed;
    }
    link->fAlloc = 1;
    link->pOper = node;
    chain[chainCount] = node;
    chainFirst[chainCount++] = first;
    if (!BuildRange(first, split, &node->Link[0])) {
      leftFailed = true;
      goto failed;
    }
    link = &node->Link[node->Link[0].fAlloc ? 1 : 0];
    first = split + 1;
  }
  for (unsigned i = 0; i < chainCount; ++i)
    chain[i]->cLinks = static_cast<uint8_t>((chain[i]->Link[0].fAlloc ? 1 : 0) + (chain[i]->Link[1].fAlloc ? 1 : 0));
  return 1;

failed:
  for (unsigned i = chainCount; i-- > 0;) {
    SpanText(span, chainFirst[i], last);
    if (leftFailed && i == chainCount - 1)
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Error in left substring of \"%s\"", span);
    else
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Error in right substring of \"%s\"", span);
  }
  CZTTblSelDesc::FreeLink(top);
  return 0;
}

int LevelParser::BuildTerm(const Term& term, SZTDataCompLink* link) {
  if (term.paren) {
    LevelParser inner(text_ + term.start + 1, term.end - term.start - 2, depth_ + 1);
    return inner.Parse(link);
  }
  char message[256];
  MessageText(message, text_ + term.start, term.end - term.start);
  Token column, oper, value;
  unsigned pos = term.start;
  ReadToken(pos, column, true);
  ReadToken(pos, oper, true);
  ReadToken(pos, value, true);
  char word[ZT_SEL_MAX_OPERATOR + 1];
  CopyToken(word, text_, oper, true);
  unsigned func = ztSelComparisonOperator(word);
  if (func == kZTNotFound) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Illegal comparison operator found in \"%s\"", message);
    ztTbl32Lib.DispError(ZT_SEL_ERR_ILLEGAL_COMPARISON, word, message);
    return 0;
  }
  SZTDataCompExpr* node = new (std::nothrow) SZTDataCompExpr();
  if (!node) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSelSource, "Not enough free memory for a selection node");
    return 0;
  }
  node->Func = static_cast<uint8_t>(func);
  CopyToken(node->Column, text_, column, true);
  CopyToken(node->Value, text_, value, false);
  link->fAlloc = 1;
  link->pOper = node;
  return 1;
}

// Bounded text output of edit.
class Writer {
 public:
  Writer(char* text, unsigned size) : text_(text), size_(size) {
    if (text_ && size_) text_[0] = '\0';
  }
  // A writer that only counts the characters.
  static Writer Counter() {
    Writer w(nullptr, 0);
    w.counting_ = true;
    return w;
  }
  void Put(const char* s) {
    while (*s) PutChar(*s++);
  }
  void PutChar(char c) {
    if (counting_) {
      ++length_;
      return;
    }
    if (!text_ || length_ + 1 >= size_) return;
    text_[length_++] = c;
    text_[length_] = '\0';
  }
  unsigned Length() const { return length_; }

 private:
  char* text_;
  unsigned size_;
  unsigned length_ = 0;
  bool counting_ = false;
};

const char* PrintedFunction(unsigned func) {
  static const char* const kNames[] = {"==", "!=", "==", "!=", ">", ">=", "<", "<="};
  return func < 8 ? kNames[func] : "??";
}

const char* PrintedOperator(unsigned oper) {
  static const char* const kNames[] = {"||", "^^", "&&"};
  return oper < 3 ? kNames[oper] : "??";
}

// A name or value between quotes that do not occur in it.
void PutQuoted(Writer& w, const char* text) {
  const char quote = strchr(text, '"') ? '\'' : '"';
  w.PutChar(quote);
  w.Put(text);
  w.PutChar(quote);
}

void PutExpression(Writer& w, const SZTDataCompExpr* expr) {
  // A column that would not read back as one word is quoted.
  bool plain = expr->Column[0] != '\0';
  for (const char* p = expr->Column; *p && plain; ++p) plain = ClassOf(*p) == kClassWord;
  if (plain)
    w.Put(expr->Column);
  else
    PutQuoted(w, expr->Column);
  w.PutChar(' ');
  w.Put(PrintedFunction(expr->Func));
  w.PutChar(' ');
  PutQuoted(w, expr->Value);
}

inline bool Present(const SZTDataCompLink& link) { return link.fAlloc && link.pOper; }

// Whether no operation lies more than `levels` operations deep (the root
// operation is one level). Left sides recurse, at most `levels` deep.
bool WithinDepth(const SZTDataCompLink* link, unsigned levels) {
  for (;;) {
    if (!Present(*link) || link->pOper->idRec == ZT_SEL_EXPRESSION) return true;
    if (levels == 0) return false;
    --levels;
    const SZTDataCompOper* op = static_cast<const SZTDataCompOper*>(link->pOper);
    if (!WithinDepth(&op->Link[0], levels)) return false;
    link = &op->Link[1];
  }
}

// The operands of an operation as printed: a lone operand is packed into
// Link[0] and prints on the right of "()".
void Operands(const SZTDataCompOper* op, const SZTDataCompLink** left, const SZTDataCompLink** right) {
  static const SZTDataCompLink kEmpty = {0, nullptr};
  const bool lone = !Present(op->Link[1]);
  *left = lone ? &kEmpty : &op->Link[0];
  *right = lone ? &op->Link[0] : &op->Link[1];
}

// Prints a link that holds no operation: an operand left empty by "()" prints
// as such, so the text reads back, and an expression. Else the operation.
const SZTDataCompOper* PutLeaf(Writer& w, const SZTDataCompLink* link) {
  if (!Present(*link)) {
    w.Put("()");
    return nullptr;
  }
  if (link->pOper->idRec == ZT_SEL_EXPRESSION) {
    PutExpression(w, static_cast<const SZTDataCompExpr*>(link->pOper));
    return nullptr;
  }
  return static_cast<const SZTDataCompOper*>(link->pOper);
}

// Prints a link with every operation below the top between "( " and " )", each
// operand followed by a blank. Recurses as deep as the tree: callers check the
// depth.
void PutNested(Writer& w, const SZTDataCompLink* link, unsigned depth) {
  const SZTDataCompOper* op = PutLeaf(w, link);
  if (!op) return;
  const SZTDataCompLink *left, *right;
  Operands(op, &left, &right);
  if (depth) w.Put("( ");
  PutNested(w, left, depth + 1);
  w.PutChar(' ');
  w.Put(PrintedOperator(op->Oper));
  w.PutChar(' ');
  PutNested(w, right, depth + 1);
  w.PutChar(' ');
  if (depth) w.PutChar(')');
}

// Prints a link with parentheses only where the tree differs from what the
// splitting rule makes of the plain text: around a left operation that binds no
// tighter than its parent and around a right one that binds looser. So a chain
// like a || b || c prints flat and the text nests no deeper than the one parsed:
// the form for trees too deep for the nested one. The right sides continue in
// the loop; only left sides recurse.
void PutChain(Writer& w, const SZTDataCompLink* link) {
  unsigned closes = 0;
  for (;;) {
    const SZTDataCompOper* op = PutLeaf(w, link);
    if (!op) break;
    // A chain of operations with lone operands stays flat on the right of "()".
    const SZTDataCompLink* left;
    Operands(op, &left, &link);
    const bool leftParen = Present(*left) && left->pOper->idRec == ZT_SEL_OPERATION &&
                           static_cast<const SZTDataCompOper*>(left->pOper)->Oper <= op->Oper;
    if (leftParen) w.Put("( ");
    PutChain(w, left);
    if (leftParen) w.Put(" )");
    w.PutChar(' ');
    w.Put(PrintedOperator(op->Oper));
    w.PutChar(' ');
    if (Present(*link) && link->pOper->idRec == ZT_SEL_OPERATION &&
        static_cast<const SZTDataCompOper*>(link->pOper)->Oper < op->Oper) {
      w.Put("( ");
      ++closes;
    }
  }
  while (closes--) w.Put(" )");
}

const char* ExprColumn(const SZTDataCompNode* n) { return static_cast<const SZTDataCompExpr*>(n)->Column; }

unsigned BaseFunction(unsigned func) {
  if (func == ZT_SEL_EQ_PATTERN) return ZT_SEL_EQ;
  if (func == ZT_SEL_NE_PATTERN) return ZT_SEL_NE;
  return func;
}

bool SameLink(const SZTDataCompLink* a, const SZTDataCompLink* b) {
  for (;;) {
    if (Present(*a) != Present(*b)) return false;
    if (!Present(*a)) return true;
    if (a->pOper->idRec != b->pOper->idRec) return false;
    if (a->pOper->idRec == ZT_SEL_EXPRESSION) {
      const SZTDataCompExpr* x = static_cast<const SZTDataCompExpr*>(a->pOper);
      const SZTDataCompExpr* y = static_cast<const SZTDataCompExpr*>(b->pOper);
      return BaseFunction(x->Func) == BaseFunction(y->Func) && strcmp(ExprColumn(x), ExprColumn(y)) == 0 &&
             strcmp(x->Value, y->Value) == 0;
    }
    const SZTDataCompOper* x = static_cast<const SZTDataCompOper*>(a->pOper);
    const SZTDataCompOper* y = static_cast<const SZTDataCompOper*>(b->pOper);
    if (x->Oper != y->Oper || x->cLinks != y->cLinks) return false;
    if (!SameLink(&x->Link[0], &y->Link[0])) return false;
    a = &x->Link[1];
    b = &y->Link[1];
  }
}

void DumpLink(const SZTDataCompLink* link) {
  for (;;) {
    const SZTDataCompNode* node = link->pOper;
    ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSelSource, "Dump Link: pLink = 0x%X, pOper = 0x%X, fAlloc = %u, idRec = %u",
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(link)),
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(node)), static_cast<unsigned>(link->fAlloc),
                      node ? static_cast<unsigned>(node->idRec) : 255u);
    if (!node) return;
    if (node->idRec == ZT_SEL_EXPRESSION) {
      const SZTDataCompExpr* expr = static_cast<const SZTDataCompExpr*>(node);
      ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSelSource, "Expression: Func = %u, Column = %s, Value = <%s>",
                        static_cast<unsigned>(expr->Func), expr->Column, expr->Value);
      return;
    }
    const SZTDataCompOper* op = static_cast<const SZTDataCompOper*>(node);
    ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSelSource, "Operation: Oper = %u, Link[0] = 0x%X, Link[1] = 0x%X",
                      static_cast<unsigned>(op->Oper),
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(op->Link[0].pOper)),
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(op->Link[1].pOper)));
    DumpLink(&op->Link[0]);
    link = &op->Link[1];
  }
}

}  // namespace

CZTTblSelDesc::CZTTblSelDesc() : m_Root{0, nullptr} {}

CZTTblSelDesc::~CZTTblSelDesc() { FreeLink(&m_Root); }

void CZTTblSelDesc::free(SZTDataCompLink* link) { FreeLink(link); }

void CZTTblSelDesc::FreeLink(SZTDataCompLink* link) {
  if (!link) return;
  SZTDataCompLink next = *link;
  link->fAlloc = 0;
  link->pOper = nullptr;
  // Left sides recurse, right sides loop: the depth stays small for long chains.
  while (next.fAlloc && next.pOper) {
    SZTDataCompNode* node = next.pOper;
    if (node->idRec == ZT_SEL_EXPRESSION) {
      delete static_cast<SZTDataCompExpr*>(node);
      return;
    }
    SZTDataCompOper* op = static_cast<SZTDataCompOper*>(node);
    SZTDataCompLink right = op->Link[1];
    FreeLink(&op->Link[0]);
    delete op;
    next = right;
  }
}

int CZTTblSelDesc::parse(const char* text, unsigned length) {
  FreeLink(&m_Root);
  if (!text) return 1;
  ztSelSortOperatorTables();
  SZTDataCompLink link;
  LevelParser level(text, length, 0);
  if (!level.Parse(&link)) return 0;
  m_Root = link;
  return 1;
}

unsigned CZTTblSelDesc::edit(char* text, unsigned size) const {
  Writer w(text, size);
  if (!Present(m_Root)) return 0;
  // Every operation below the top in parentheses, as long as the parser takes
  // that nesting and the text fits; else only the parentheses the tree needs.
  if (WithinDepth(&m_Root, ZT_SEL_MAX_DEPTH + 1)) {
    Writer measure = Writer::Counter();
    PutNested(measure, &m_Root, 0);
    if (measure.Length() < size) {
      PutNested(w, &m_Root, 0);
      return w.Length();
    }
  }
  PutChain(w, &m_Root);
  if (m_Root.pOper->idRec == ZT_SEL_OPERATION) w.PutChar(' ');
  return w.Length();
}

void CZTTblSelDesc::dump(const SZTDataCompLink* link) const {
  if (!ztTbl32Lib.IsLogOpen()) return;
  DumpLink(link ? link : &m_Root);
}

int CZTTblSelDesc::IsSameTree(const CZTTblSelDesc& other) const { return SameLink(&m_Root, &other.m_Root) ? 1 : 0; }
