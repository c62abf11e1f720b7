#include "zt_tbl32/tbl_sel_desc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "select_ids.h"
#include "select_test_util.h"

namespace {

// The tree as a compact text: OR(A=1,AND(B=2,C=3)); functions by code.
std::string Shape(const SZTDataCompLink& link) {
  if (!link.fAlloc || !link.pOper) return "-";
  if (link.pOper->idRec == ZT_SEL_EXPRESSION) {
    const SZTDataCompExpr* e = static_cast<const SZTDataCompExpr*>(link.pOper);
    return std::string(e->Column) + "/" + std::to_string(e->Func) + "/" + e->Value;
  }
  const SZTDataCompOper* op = static_cast<const SZTDataCompOper*>(link.pOper);
  static const char* const kNames[] = {"OR", "XOR", "AND"};
  std::string s = std::string(kNames[op->Oper]) + std::to_string(op->cLinks) + "(" + Shape(op->Link[0]);
  if (op->cLinks > 1) s += "," + Shape(op->Link[1]);
  return s + ")";
}

std::string Parsed(const char* text) {
  CZTTblSelDesc sel;
  if (!sel.parse(text, static_cast<unsigned>(strlen(text)))) return "ERROR";
  return Shape(sel.m_Root);
}

std::string Edited(const char* text) {
  CZTTblSelDesc sel;
  EXPECT_EQ(1, sel.parse(text, static_cast<unsigned>(strlen(text)))) << text;
  char out[ZT_SEL_EDIT_SIZE];
  unsigned n = sel.edit(out, sizeof(out));
  EXPECT_EQ(strlen(out), n);
  return out;
}

struct Failure {
  int result;
  std::vector<unsigned> codes;
};

Failure Fails(const char* text) {
  BoxRecorder boxes;
  CZTTblSelDesc sel;
  int r = sel.parse(text, static_cast<unsigned>(strlen(text)));
  EXPECT_EQ(0u, sel.m_Root.fAlloc);
  EXPECT_EQ(nullptr, sel.m_Root.pOper);
  return {r, boxes.Codes()};
}

TEST(SelectionParse, EmptyTextsGiveAnEmptySelection) {
  CZTTblSelDesc sel;
  EXPECT_EQ(1, sel.parse(nullptr, 10));
  EXPECT_EQ(1, sel.parse("", 0));
  EXPECT_EQ(1, sel.parse(" \t  ", 4));
  EXPECT_EQ(0u, sel.m_Root.fAlloc);
  char out[8] = "x";
  EXPECT_EQ(0u, sel.edit(out, sizeof(out)));
  EXPECT_STREQ("", out);
  EXPECT_EQ("-", Parsed("()"));
}

TEST(SelectionParse, ComparisonKeepsValueAndUpperCasesColumn) {
  EXPECT_EQ("NAME/0/meier", Parsed("name = meier"));
  EXPECT_EQ("NAME == \"meier\"", Edited("name = meier"));
  EXPECT_EQ("LAND/1/D", Parsed("LAND <> 'D'"));
  EXPECT_EQ("LAND/1/D", Parsed("LAND != D"));
  EXPECT_EQ("A/5/1", Parsed("A>=1"));
  EXPECT_EQ("A/0/-5", Parsed("A=-5"));
  EXPECT_EQ("ORT/0/Bad Honnef \"x\"", Parsed("ort == 'Bad Honnef \"x\"'"));
  // Windows-1252 letters are word characters and fold to upper case.
  EXPECT_EQ(
      "STRA\xdf"
      "E\xc4/0/x",
      Parsed("stra\xdf"
             "e\xe4 = x"));
}

TEST(SelectionParse, PrecedenceAndSplitting) {
  EXPECT_EQ("OR2(A/0/1,AND2(B/0/2,C/0/3))", Parsed("a=1 oder b=2 und c=3"));
  EXPECT_EQ("AND2(A/0/1,AND2(B/0/2,C/0/3))", Parsed("a=1 AND b=2 AND c=3"));
  EXPECT_EQ("OR2(A/0/1,OR2(B/0/2,C/0/3))", Parsed("a=1 || b=2 OR c=3"));
  EXPECT_EQ("OR2(AND2(A/0/1,B/0/2),AND2(C/0/3,D/0/4))", Parsed("a=1 && b=2 || c=3 and d=4"));
  EXPECT_EQ("XOR2(AND2(A/0/1,B/0/2),C/0/3)", Parsed("a=1 && b=2 ^^ c=3"));
  EXPECT_EQ("A/0/1", Parsed("((a=1))"));
  EXPECT_EQ("AND2(OR2(A/0/1,B/0/2),C/0/3)", Parsed("( a=1 OR b=2 ) AND c=3"));
  EXPECT_EQ("AND1(A/0/1)", Parsed("() AND a=1"));
  EXPECT_EQ("AND1(A/0/1)", Parsed("a=1 AND ()"));
}

TEST(SelectionParse, EditPrintsTheDocumentedForm) {
  EXPECT_EQ("NAME == \"1\" && ( ORT == \"2\" || PLZ == \"3\" ) ", Edited("name=1 UND (ort=2 ODER plz=3)"));
  EXPECT_EQ("A == \"1\" || ( B == \"2\" && C == \"3\" ) ", Edited("a=1 oder b=2 und c=3"));
  EXPECT_EQ("A > \"1\" ^^ B <= \"2\" ", Edited("a > 1 XOR b <= 2"));
  // Every operation below the top between parentheses.
  EXPECT_EQ("A == \"1\" || ( B == \"2\" || C == \"3\" ) ", Edited("a=1 or b=2 or c=3"));
  EXPECT_EQ("( A == \"1\" && B == \"2\" ) ^^ C == \"3\" ", Edited("((a=1 and b=2)) xor c=3"));
  EXPECT_EQ("( A == \"1\" || B == \"2\" ) && C == \"3\" ", Edited("(a=1 or b=2) and c=3"));
  EXPECT_EQ("( ( A == \"1\" && B == \"2\" ) && C == \"3\" ) || D == \"4\" ", Edited("((a=1 and b=2) and c=3) or d=4"));
  EXPECT_EQ("() && A == \"1\" ", Edited("a=1 and ()"));
  EXPECT_EQ("() || ( () || () ) ", Edited("() or () or ()"));
}

// Trees nested deeper than the parser takes with a pair of parentheses for
// every operation, and texts that do not fit the size that way, print with only
// the parentheses the tree needs.
TEST(SelectionParse, EditFallsBackToFewerParentheses) {
  auto chain = [](unsigned terms) {
    std::string text = "a=0";
    for (unsigned i = 1; i < terms; ++i) text += " OR a=" + std::to_string(i);
    return text;
  };
  auto edited = [](const std::string& text) {
    CZTTblSelDesc sel, again;
    EXPECT_EQ(1, sel.parse(text.c_str(), static_cast<unsigned>(text.size())));
    std::vector<char> out(4096);
    const unsigned n = sel.edit(out.data(), static_cast<unsigned>(out.size()));
    EXPECT_EQ(1, again.parse(out.data(), n));
    EXPECT_EQ(1, sel.IsSameTree(again));
    return std::string(out.data(), n);
  };
  // 34 terms: the last operation 32 levels below the top, as deep as the parser goes.
  std::string nested = edited(chain(34));
  EXPECT_EQ(static_cast<long>(ZT_SEL_MAX_DEPTH), std::count(nested.begin(), nested.end(), '('));
  std::string flat = edited(chain(35));
  EXPECT_EQ(std::string::npos, flat.find('(')) << flat;
  EXPECT_EQ(0u, flat.find("A == \"0\" || A == \"1\" || A == \"2\""));
  CZTTblSelDesc sel;
  ASSERT_EQ(1, sel.parse("a=1 or b=2 or c=3", 17));
  char out[36];  // the nested form needs 37 characters and the zero byte
  EXPECT_EQ(33u, sel.edit(out, sizeof(out)));
  EXPECT_STREQ("A == \"1\" || B == \"2\" || C == \"3\" ", out);
}

// Every grammar form prints to a text that parses back to the same tree.
TEST(SelectionParse, EditParsesBackToTheSameTree) {
  const char* const texts[] = {
      "name = meier",
      "a=1 oder b=2 und c=3",
      "a=1 AND b=2 AND c=3 XOR d<4 || e>=5",
      "name=1 UND (ort=2 ODER plz=3)",
      "((a == 1) ^^ ((b != 2) && c <> 3)) OR d < 4",
      "LAND <> 'D' && ort = \"Bad Honnef\"",
      "v = 'say \"hi\"' and w = \"it's\"",
      "'my col' = 1 or '' = '' or '==' = x",
      "() and a=1",
      "a=1 and ()",
      "() || ()",
      "(() ^^ a=1) && (b=2 || ())",
      ("() OR () OR () OR () OR () OR () OR () OR () OR () OR () OR () OR () OR () OR () OR () OR () OR () OR () OR "
       "() OR () OR () OR () OR () OR () OR () OR () OR () OR () OR () OR () OR () OR () OR () OR ()"),
      "PLZ >= 50000 && PLZ < 60000",
      "a = '(' || (b = ')' && c = \"x) OR (y\") || d = \"'(\"",
      "D = 1.7.09 oder N = -5,25 und M = 5#### ^^ P = *er?",
  };
  for (const char* text : texts) {
    CZTTblSelDesc first, second;
    ASSERT_EQ(1, first.parse(text, static_cast<unsigned>(strlen(text)))) << text;
    char out[ZT_SEL_EDIT_SIZE];
    unsigned n = first.edit(out, sizeof(out));
    ASSERT_EQ(1, second.parse(out, n)) << out;
    EXPECT_EQ(1, first.IsSameTree(second)) << text << " -> " << out;
  }
}

TEST(SelectionParse, SyntaxErrorsShowTheirCodes) {
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_ILLEGAL_COMPARISON}), Fails("a => 1").codes);
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_MISSING_QUOTE, ZT_SEL_ERR_MISSING_VALUE}), Fails("a = \"meier").codes);
  Failure dangling = Fails("a = 1 AND");
  EXPECT_EQ(0, dangling.result);
  EXPECT_TRUE(dangling.codes.empty());
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_SYNTAX, ZT_SEL_ERR_NO_LOGICAL}), Fails("a = 1 + b = 2").codes);
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_MISSING_PAREN}), Fails("(a = 1 AND b = 2").codes);
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_SYNTAX, ZT_SEL_ERR_MISSING_COLUMN}), Fails("a = 1 AND )").codes);
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_NO_OPERATOR}), Fails("name").codes);
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_SYNTAX, ZT_SEL_ERR_MISSING_OPERATOR}), Fails("name $ 1").codes);
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_NO_VALUE}), Fails("name =").codes);
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_ILLEGAL_LOGICAL}), Fails("a = 1 NOT b = 2").codes);
  // The error inside a split part: the comparison of the right side.
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_ILLEGAL_COMPARISON}), Fails("a = 1 AND b => 2 OR c = 3").codes);
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_MISSING_PAREN}), Fails("a = 1 OR ((b = 2)").codes);
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_MISSING_PAREN}), Fails("(a = ')'").codes);
}

TEST(SelectionParse, ErrorBoxCarriesOperatorAndText) {
  BoxRecorder boxes;
  CZTTblSelDesc sel;
  ASSERT_EQ(0, sel.parse("a => 1", 6));
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ(1u, boxes.boxes[0].kind);
  EXPECT_NE(std::string::npos, boxes.boxes[0].text.find("=>")) << boxes.boxes[0].text;
  EXPECT_NE(std::string::npos, boxes.boxes[0].text.find("a => 1")) << boxes.boxes[0].text;
}

TEST(SelectionParse, SplitFailuresLogEachEnclosingPart) {
  BoxRecorder boxes;
  LogCapture log;
  CZTTblSelDesc sel;
  const char text[] = "x=0 OR a = 1 AND b => 2 OR c = 3";
  ASSERT_EQ(0, sel.parse(text, sizeof(text) - 1));
  std::string lines = log.Text();
  EXPECT_NE(std::string::npos, lines.find("Illegal comparison operator found in \"b => 2\""));
  EXPECT_NE(std::string::npos, lines.find("Error in right substring of \"a = 1 AND b => 2\""));
  EXPECT_NE(std::string::npos, lines.find("Error in left substring of \"a = 1 AND b => 2 OR c = 3\""));
  EXPECT_NE(std::string::npos, lines.find("Error in right substring of \"x=0 OR a = 1 AND b => 2 OR c = 3\""));
  EXPECT_LT(lines.find("Error in right substring of \"a = 1 AND"), lines.find("Error in left substring"));
}

// Overlong tokens, too many terms and deep nesting are refused, never cut.
// A chain of 128 terms inside 32 levels of parentheses prints to a text that
// the parser still accepts.
TEST(SelectionParse, EditOfTheDeepestTreeParsesBack) {
  std::string chain;
  for (int i = 0; i < 128; ++i) chain += (i ? (i % 3 ? " OR " : " XOR ") : "") + std::string("a=") + std::to_string(i);
  std::string text = chain;
  for (unsigned d = 0; d < ZT_SEL_MAX_DEPTH; ++d) text = "b=1 AND (" + text + ") ^^ c=2";
  CZTTblSelDesc first, second;
  ASSERT_EQ(1, first.parse(text.c_str(), static_cast<unsigned>(text.size())));
  std::vector<char> out(text.size() * 16);
  unsigned n = first.edit(out.data(), static_cast<unsigned>(out.size()));
  ASSERT_EQ(1, second.parse(out.data(), n));
  EXPECT_EQ(1, first.IsSameTree(second));
}

TEST(SelectionParse, LimitsGiveSyntaxErrors) {
  std::string col63(63, 'C'), col64(64, 'C');
  EXPECT_EQ(col63 + "/0/1", Parsed((col63 + " = 1").c_str()));
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_COLUMN_TOO_LONG}), Fails((col64 + " = 1").c_str()).codes);
  std::string val64 = "a = '" + std::string(64, 'v') + "'";
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_VALUE_TOO_LONG}), Fails(val64.c_str()).codes);
  std::string op32 = "a " + std::string(32, '=') + " 1";
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_OPERATOR_TOO_LONG}), Fails(op32.c_str()).codes);
  std::string logical = "a = 1 " + std::string(40, 'X') + " b = 2";
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_OPERATOR_TOO_LONG}), Fails(logical.c_str()).codes);

  std::string terms = "a=0";
  for (int i = 1; i < 128; ++i) terms += " OR a=" + std::to_string(i);
  EXPECT_NE("ERROR", Parsed(terms.c_str()));
  terms += " OR a=128";
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_TOO_MANY_TERMS}), Fails(terms.c_str()).codes);

  std::string nested = std::string(ZT_SEL_MAX_DEPTH, '(') + "a=1" + std::string(ZT_SEL_MAX_DEPTH, ')');
  EXPECT_EQ("A/0/1", Parsed(nested.c_str()));
  std::string deep = std::string(100000, '(') + "a=1" + std::string(100000, ')');
  EXPECT_EQ((std::vector<unsigned>{ZT_SEL_ERR_TOO_DEEP}), Fails(deep.c_str()).codes);
}

TEST(SelectionParse, ReparseReplacesTreeAndFailureEmptiesIt) {
  BoxRecorder boxes;
  CZTTblSelDesc sel;
  ASSERT_EQ(1, sel.parse("a=1 and b=2", 11));
  ASSERT_EQ(0, sel.parse("a=1 and b", 9));
  EXPECT_EQ(0u, sel.m_Root.fAlloc);
  // A length shorter than the text reads only that part.
  ASSERT_EQ(1, sel.parse("a=1 and b=2", 3));
  EXPECT_EQ("A/0/1", Shape(sel.m_Root));
  sel.free(&sel.m_Root);
  EXPECT_EQ(nullptr, sel.m_Root.pOper);
}

TEST(SelectionParse, DumpWritesEveryLink) {
  LogCapture log;
  CZTTblSelDesc sel;
  ASSERT_EQ(1, sel.parse("a=1 || b<>x", 11));
  sel.dump(nullptr);
  std::string lines = log.Text();
  EXPECT_NE(std::string::npos, lines.find("Operation: Oper = 0, Link[0] = 0x"));
  EXPECT_NE(std::string::npos, lines.find("Expression: Func = 0, Column = A, Value = <1>"));
  EXPECT_NE(std::string::npos, lines.find("Expression: Func = 1, Column = B, Value = <x>"));
  CZTTblSelDesc empty;
  empty.dump(nullptr);
  EXPECT_NE(std::string::npos, log.Text().find("fAlloc = 0, idRec = 255"));
}

}  // namespace
