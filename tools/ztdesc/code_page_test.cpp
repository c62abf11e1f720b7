#include "code_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string ToCp1252(const std::string& utf8, ZTCodePageError* error = nullptr) {
  std::string out;
  ZTCodePageError e;
  if (!ztUtf8ToCp1252(utf8.data(), utf8.size(), &out, error ? error : &e)) return "!";
  return out;
}

TEST(CodePage, EveryByteGoesToUtf8AndBack) {
  std::string all;
  for (unsigned b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = ztCp1252ToUtf8(all);
  EXPECT_EQ(all, ToCp1252(utf8));
  // The characters Windows-1252 has beyond Latin-1.
  EXPECT_EQ("\xE2\x82\xAC", ztCp1252ToUtf8("\x80"));
  EXPECT_EQ("\xE2\x80\x9E\xE2\x80\x9C\xE2\x80\x94", ztCp1252ToUtf8("\x84\x93\x97"));
  EXPECT_EQ("\xC5\xB8", ztCp1252ToUtf8("\x9F"));
  EXPECT_EQ("\xC3\xA4\xC3\x9F", ztCp1252ToUtf8("\xE4\xDF"));
  // The buffer form writes the same bytes and stays within the room it is
  // promised, also when the last character is shorter than the longest.
  for (const std::string& text : {all, std::string("\x80\xE4"), std::string("\x80\x80"), std::string("\xE4")}) {
    std::vector<char> room(text.size() * kZTUtf8PerByte);
    const unsigned n = ztCp1252ToUtf8(text.data(), static_cast<unsigned>(text.size()), room.data());
    EXPECT_EQ(ztCp1252ToUtf8(text), std::string(room.data(), n));
  }
}

TEST(CodePage, CharactersItLacksAndBytesThatAreNoUtf8) {
  ZTCodePageError error;
  EXPECT_EQ("!", ToCp1252("ab\xE4\xB8\xAD", &error));  // U+4E2D
  EXPECT_EQ(2u, error.offset);
  EXPECT_EQ(0x4E2Du, error.codePoint);
  EXPECT_EQ("!", ToCp1252("\xC2\x80", &error)) << "U+0080 is not the euro sign's byte";
  EXPECT_EQ(0x80u, error.codePoint);
  const char* const notUtf8[] = {
      "\xE4", "a\xC3", "\x80", "\xC0\xA4", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"};
  for (const char* bytes : notUtf8) {
    EXPECT_EQ("!", ToCp1252(bytes, &error)) << bytes;
    EXPECT_EQ(0xFFFFFFFFu, error.codePoint) << bytes;
  }
  EXPECT_EQ("U+4E2D (\xE4\xB8\xAD) is not in Windows-1252", ztCodePageErrorText("\xE4\xB8\xAD", 3, {0, 0x4E2D}));
  EXPECT_EQ("U+0080 is not in Windows-1252", ztCodePageErrorText("\xC2\x80", 2, {0, 0x80}));
  EXPECT_EQ("byte 0xE4 is not UTF-8", ztCodePageErrorText("a\xE4", 2, {1, 0xFFFFFFFFu}));
}

}  // namespace
