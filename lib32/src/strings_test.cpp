#include "zt_lib32/strings.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

TEST(StrCopy, BoundedAndAlwaysTerminated) {
  char buf[4];
  memset(buf, 'x', sizeof(buf));
  EXPECT_EQ(3u, ztStrCopy(buf, "abcdef", sizeof(buf)));
  EXPECT_STREQ("abc", buf);
  EXPECT_EQ(0u, ztStrCopy(buf, nullptr, sizeof(buf)));
  EXPECT_EQ(0u, ztStrCopy(nullptr, "a", 4));
  buf[0] = 'q';
  EXPECT_EQ(0u, ztStrCopy(buf, "abc", 0));
  EXPECT_EQ('q', buf[0]);  // size 0 writes nothing
  EXPECT_EQ(2u, ztStrCopyN(buf, "abcdef", 2, sizeof(buf)));
  EXPECT_STREQ("ab", buf);
  EXPECT_EQ(3u, ztStrAppend(buf, "cdef", sizeof(buf)));
  EXPECT_STREQ("abc", buf);
}

TEST(CaseFolding, Windows1252Letters) {
  EXPECT_EQ('A', ztToUpper('a'));
  EXPECT_EQ(0xC4, ztToUpper(0xE4));  // ä
  EXPECT_EQ(0xDF, ztToUpper(0xDF));  // ß has no capital
  EXPECT_EQ(0xF7, ztToUpper(0xF7));  // division sign is no letter
  EXPECT_EQ(0x8A, ztToUpper(0x9A));  // š
  EXPECT_EQ(0x9F, ztToUpper(0xFF));  // ÿ
  EXPECT_EQ(0xFF, ztToLower(0x9F));
  EXPECT_EQ(0, ztStrICmp("M\xFC"
                         "ller",
                         "M\xDC"
                         "LLER"));
  EXPECT_LT(ztStrICmp("abc", "ABD"), 0);
  EXPECT_NE(0, ztStrICmpAscii("M\xFC", "M\xDC"));  // names fold ASCII letters only
  EXPECT_EQ(0, ztStrICmpAscii("Kunde", "KUNDE"));
  EXPECT_EQ(0, ztStrNICmp("ABCx", "abcy", 3));
}

namespace {
std::string fmt(const char* format, ...) {
  char buf[256];
  va_list args;
  va_start(args, format);
  unsigned failures = 0;
  ztFormatV(buf, sizeof(buf), format, args, "<!>", &failures);
  va_end(args);
  return std::string(buf) + (failures ? "#" + std::to_string(failures) : "");
}
}  // namespace

TEST(Format, ConversionsMatchTheWsprintfSubset) {
  EXPECT_EQ("7 -3 ff FF x abc %", fmt("%u %d %x %X %c %s %%", 7u, -3, 255u, 255u, 'x', "abc"));
  EXPECT_EQ("0042|  -5|ab   |abc", fmt("%04u|%4d|%-5s|%.3s", 42u, -5, "ab", "abcdef"));
  EXPECT_EQ("-007", fmt("%04d", -7));
  EXPECT_EQ("4294967295 18446744073709551615", fmt("%lu %llu", 0xFFFFFFFFu, 0xFFFFFFFFFFFFFFFFull));
  EXPECT_EQ("-2147483648", fmt("%d", int(0x80000000u)));
}

TEST(Format, UnsubstitutableArgumentsAreMarked) {
  EXPECT_EQ("a <!> b#1", fmt("a %s b", static_cast<const char*>(nullptr)));
  // An unknown conversion stops the substitution: the rest of the format is dropped.
  EXPECT_EQ("x <!>#1", fmt("x %q %s", "never read"));
  EXPECT_EQ("end <!>#1", fmt("end %"));
}

TEST(Format, NeverOverrunsTheBuffer) {
  char buf[6];
  memset(buf, 'z', sizeof(buf));
  EXPECT_EQ(4u, ztFormat(buf, 5, "%s-%u", "abcdef", 123u));
  EXPECT_STREQ("abcd", buf);
  EXPECT_EQ('z', buf[5]);
  EXPECT_EQ(0u, ztFormat(buf, 1, "%u", 5u));
  EXPECT_EQ('\0', buf[0]);
}

TEST(PathHelpers, FileNameAndDot) {
  EXPECT_EQ(0u, ztFileNameStart("a.cfg"));
  EXPECT_EQ(3u, ztFileNameStart("c:\\a.cfg"));
  EXPECT_EQ(4u, ztFileNameStart("x/y/a"));
  EXPECT_EQ(0xFFFFFFFFu, ztFileNameDot("dir.d/name"));
  EXPECT_EQ(9u, ztFileNameDot("dir.d/a.b.c"));
}
