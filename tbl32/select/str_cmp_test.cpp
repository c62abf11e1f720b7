#include "zt_tbl32/str_cmp.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Matches(const char* pattern, const char* text, bool ignoreCase = false, int trim = 1) {
  CZTStrCmp cmp;
  EXPECT_EQ(1, cmp.SetupString(pattern, 0, ignoreCase ? 1 : 0)) << pattern;
  return ignoreCase ? cmp.CompareiString(text, 0, trim) : cmp.CompareStringA(text, 0, trim);
}

TEST(StrCmp, SequenceJoker) {
  EXPECT_TRUE(Matches("Mey*", "Meyer"));
  EXPECT_TRUE(Matches("Mey*", "Meyx"));
  EXPECT_FALSE(Matches("Mey*", "Mey"));
  EXPECT_FALSE(Matches("Mey*", "Meier"));
  EXPECT_TRUE(Matches("Mey*er", "Meyer"));
  EXPECT_TRUE(Matches("Mey*er", "Meyerer"));
  EXPECT_FALSE(Matches("Mey*er", "Mey"));
  EXPECT_TRUE(Matches("*er", "er"));
  EXPECT_TRUE(Matches("*er", "Bauer"));
  EXPECT_FALSE(Matches("*er", "r"));
  EXPECT_TRUE(Matches("*", "x"));
  EXPECT_TRUE(Matches("a*b*c", "aXbYc"));
  EXPECT_TRUE(Matches("a*b*c", "abc"));
  EXPECT_FALSE(Matches("a*b*c", "ac"));
  EXPECT_FALSE(Matches("a*b*c", "acb"));
  // The first place of a middle segment that does not match is skipped.
  EXPECT_TRUE(Matches("*ab*", "xaxabx"));
  EXPECT_TRUE(Matches("*b?d*", "abxbcd1"));
  // Once a middle segment is placed, a trailing joker may match nothing.
  EXPECT_TRUE(Matches("*b?d*", "abcd"));
  EXPECT_FALSE(Matches("*b?d*", "abd"));
}

TEST(StrCmp, SingleAndDigitJokersNeedEqualLength) {
  EXPECT_TRUE(Matches("5####", "50667"));
  EXPECT_FALSE(Matches("5####", "5066A"));
  EXPECT_FALSE(Matches("5####", "506670"));
  EXPECT_TRUE(Matches("?eier", "Meier"));
  EXPECT_TRUE(Matches("?eier", "Geier"));
  EXPECT_FALSE(Matches("?eier", "eier"));
  EXPECT_TRUE(Matches("*#", "abc7"));
  EXPECT_FALSE(Matches("*#", "abcd"));
  EXPECT_TRUE(Matches("*#x*", "ab3x"));
}

TEST(StrCmp, EmptyBlankAndTrimmedTexts) {
  CZTStrCmp cmp;
  ASSERT_EQ(1, cmp.SetupString("*", 0, 0));
  EXPECT_EQ(0, cmp.CompareStringA(nullptr, 0, 1));
  EXPECT_EQ(0, cmp.CompareStringA("", 0, 1));
  EXPECT_EQ(0, cmp.CompareStringA(" \t ", 0, 1));
  ASSERT_EQ(1, cmp.SetupString("Meyer", 0, 0));
  EXPECT_EQ(1, cmp.CompareStringA("  Meyer   ", 0, 1));
  EXPECT_EQ(0, cmp.CompareStringA("  Meyer   ", 0, 0));
  // An explicit length ends the text there.
  EXPECT_EQ(1, cmp.CompareStringA("Meyerxyz", 5, 0));
}

TEST(StrCmp, CaseFolding) {
  EXPECT_TRUE(Matches("meyer", "MEYER", true));
  EXPECT_TRUE(Matches("m?y*", "MAYER", true));
  EXPECT_TRUE(Matches("*\xe4*", "K\xc4SE", true));  // Windows-1252 letters fold too
  EXPECT_FALSE(Matches("meyer", "MEYER", false));
  CZTStrCmp cmp;
  ASSERT_EQ(1, cmp.SetupString("*ER", 0, 1));
  EXPECT_EQ(1, cmp.CompareiString("bauer", 0, 1));
  EXPECT_EQ(0, cmp.CompareStringA("bauer", 0, 1));
}

TEST(StrCmp, SetupRefusesEmptyAndTooManySegments) {
  CZTStrCmp cmp;
  EXPECT_EQ(0, cmp.SetupString(nullptr, 0, 0));
  EXPECT_EQ(0, cmp.SetupString("", 0, 0));
  EXPECT_EQ(0, cmp.CompareStringA("x", 0, 1)) << "a failed setup matches nothing";
  std::string fifteen(15, '*');
  EXPECT_EQ(1, cmp.SetupString(fifteen.c_str(), 0, 0));
  EXPECT_EQ(16u, cmp.m_uSegCount);
  std::string sixteen = "a" + std::string(16, '*') + "b";
  EXPECT_EQ(0, cmp.SetupString(sixteen.c_str(), 0, 0));
  // Segments keep 63 characters.
  std::string longSeg(100, 'x');
  EXPECT_EQ(1, cmp.SetupString(longSeg.c_str(), 0, 0));
  EXPECT_EQ(63u, cmp.m_Seg[0].uLength);
}

TEST(StrCmp, OwnJokerCharacters) {
  CZTStrCmp cmp('_', '9', '%');
  ASSERT_EQ(1, cmp.SetupString("M_y%", 0, 0));
  EXPECT_EQ(1, cmp.CompareStringA("Meyer", 0, 1));
  EXPECT_EQ(0, cmp.CompareStringA("M?y", 0, 1));
  ASSERT_EQ(1, cmp.SetupString("a*9", 0, 0));
  EXPECT_EQ(1, cmp.CompareStringA("a*5", 0, 1));
}

}  // namespace
