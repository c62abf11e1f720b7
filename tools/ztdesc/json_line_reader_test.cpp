#include <stdio.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "json_line_reader.h"

namespace {

// The members as "key=type:text" joined by '|', or "!error".
std::string Parse(const std::string& line) {
  std::vector<ZTJsonMember> members;
  std::string error;
  if (!ZTJsonLineReader::ParseLine(line.data(), line.size(), members, error)) return "!" + error;
  std::string out;
  for (const ZTJsonMember& m : members) {
    static const char* const kTypes[] = {"null", "true", "false", "n", "s", "array", "object"};
    out += (out.empty() ? "" : "|") + m.key + "=" + kTypes[static_cast<int>(m.type)];
    if (m.type == ZTJsonType::Number || m.type == ZTJsonType::String) out += ":" + m.text;
  }
  return out;
}

TEST(JsonLineReader, ValuesAndEscapes) {
  EXPECT_EQ(Parse("{}"), "");
  EXPECT_EQ(Parse(" { \"a\" : -1.5e+3 , \"b\":0,\"c\":null,\"d\":true,\"e\":false } \r"),
            "a=n:-1.5e+3|b=n:0|c=null|d=true|e=false");
  EXPECT_EQ(Parse("{\"s\":\"q\\\"b\\\\s\\/n\\nt\\tu\\u00fc\\u20AC\\ud83d\\ude00\"}"),
            "s=s:q\"b\\s/n\nt\tu\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(Parse("{\"k\\u00e4y\":\"\xC3\xA4\"}"), "k\xC3\xA4y=s:\xC3\xA4");
  EXPECT_EQ(Parse("{\"a\":[1,{\"x\":[]}],\"o\":{\"p\":\"]\"}}"), "a=array|o=object");
}

TEST(JsonLineReader, ErrorsNameTheColumn) {
  EXPECT_EQ(Parse("[1]"), "!column 1: a line must hold one JSON object");
  EXPECT_EQ(Parse("{\"a\":1,}"), "!column 8: a name in double quotes expected");
  EXPECT_EQ(Parse("{\"a\" 1}"), "!column 6: ':' expected after the name");
  EXPECT_EQ(Parse("{\"a\":1 \"b\":2}"), "!column 8: ',' or '}' expected");
  EXPECT_EQ(Parse("{\"a\":01}"), "!column 7: ',' or '}' expected");
  EXPECT_EQ(Parse("{\"a\":1.}"), "!column 8: digits expected after the decimal point");
  EXPECT_EQ(Parse("{\"a\":+1}"), "!column 6: not a JSON value");
  EXPECT_EQ(Parse("{\"a\":tru}"), "!column 6: not a JSON value");
  EXPECT_EQ(Parse("{\"a\":\"x"), "!column 8: the string is not closed");
  EXPECT_EQ(Parse("{\"a\":\"\t\"}"), "!column 7: a control character in a string (write it as an escape)");
  EXPECT_EQ(Parse("{\"a\":\"\\x\"}"), "!column 8: an unknown escape");
  EXPECT_EQ(Parse("{\"a\":\"\\ud800\"}"), "!column 13: a lone high surrogate in \\u");
  EXPECT_EQ(Parse("{\"a\":\"\\u12g4\"}"), "!column 9: \\u needs four hexadecimal digits");
  EXPECT_EQ(Parse("{\"a\":1} x"), "!column 9: text after the object");
  EXPECT_EQ(Parse(""), "!column 1: a line must hold one JSON object");
  std::string deep = "{\"a\":" + std::string(100, '[') + std::string(100, ']') + "}";
  EXPECT_EQ(Parse(deep), "!column 70: values nested too deeply");
}

TEST(JsonLineReader, LinesOfAFile) {
  FILE* file = tmpfile();
  ASSERT_NE(file, nullptr);
  std::string long_value(100000, 'x');
  std::string text = "\xEF\xBB\xBF{\"a\":1}\r\n\n   \n{\"b\":\"" + long_value + "\"}\n{bad\n{\"c\":2}";
  fwrite(text.data(), 1, text.size(), file);
  rewind(file);
  ZTJsonLineReader reader(file);
  std::vector<ZTJsonMember> members;
  ASSERT_TRUE(reader.Next(members));
  EXPECT_EQ(reader.LineNumber(), 1u);
  EXPECT_EQ(reader.Error(), "");
  ASSERT_EQ(members.size(), 1u);
  ASSERT_TRUE(reader.Next(members));  // blank lines skipped, a line longer than the buffer
  EXPECT_EQ(reader.LineNumber(), 4u);
  ASSERT_EQ(members.size(), 1u);
  EXPECT_EQ(members[0].text, long_value);
  ASSERT_TRUE(reader.Next(members));
  EXPECT_EQ(reader.LineNumber(), 5u);
  EXPECT_EQ(reader.Error(), "column 2: a name in double quotes expected");
  ASSERT_TRUE(reader.Next(members));  // the last line needs no line end
  EXPECT_EQ(members[0].key, "c");
  EXPECT_FALSE(reader.Next(members));
  fclose(file);
}

}  // namespace
