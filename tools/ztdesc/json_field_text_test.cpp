#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "json_field_text.h"
#include "test_fields.h"

namespace {

// The text handed to the encoder for a JSON value, or "!reason".
std::string Text(const CZTFieldDesc& field, ZTJsonType type, const std::string& value, CZTFieldDesc* as = nullptr) {
  ZTJsonMember member{"F", type, value};
  std::string text;
  CZTFieldDesc encodeAs;
  char reason[160] = "";
  if (!ztJsonFieldText(field, member, text, encodeAs, reason, sizeof(reason))) return std::string("!") + reason;
  if (as) *as = encodeAs;
  return text;
}

const ZTJsonType kNum = ZTJsonType::Number, kStr = ZTJsonType::String;

TEST(JsonFieldText, NumbersBecomeGermanNotation) {
  const CZTFieldDesc amount = ztTestField(iteASCIITEXT, 12, ztMakeFmt(ZT_KIND_DECIMAL, ZT_FMT_SIGNED, 2));
  EXPECT_EQ(Text(amount, kNum, "-1234.50"), "-1234,5");
  EXPECT_EQ(Text(amount, kNum, "1.5e3"), "1500");
  EXPECT_EQ(Text(amount, kNum, "25E-3"), "0,025");
  EXPECT_EQ(Text(amount, kNum, "-0.0"), "0");
  EXPECT_EQ(Text(amount, kStr, " 12.5 "), "12,5");  // numbers in strings, as scripts write them
  EXPECT_EQ(Text(amount, kStr, ""), "");
  EXPECT_EQ(Text(amount, kStr, "1.234,5"), "!not a number");  // never read as German: 1.234 is not 1234
  EXPECT_EQ(Text(amount, kNum, "1e999"), "!not a number");
  EXPECT_EQ(Text(amount, ZTJsonType::True, ""), "!a boolean cannot be stored in a field");
  EXPECT_EQ(Text(amount, ZTJsonType::Object, ""), "!an object cannot be stored in a field");
  EXPECT_EQ(Text(ztTestField(ite32INTEGER, 4, ZT_KIND_NUMBER), kNum, "7e2"), "700");
  EXPECT_EQ(Text(ztTestField(ite64FLOATING, 8, ZT_KIND_NUMBER), kNum, "2.5e-2"), "0,025");
}

TEST(JsonFieldText, DatesInTheStoredFormats) {
  // Shown as DD.MM.YYYY HH:MM, stored as YYYYMMDD and HH:MM:SS: the seconds are kept.
  CZTFieldDesc stamp = ztTestField(iteASCIITEXT, 16, ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE | ZT_FMT_TIME, 8, 0),
                                   ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE | ZT_FMT_TIME, 0, 2));
  CZTFieldDesc as;
  EXPECT_EQ(Text(stamp, kStr, "2024-01-31 13:45:30", &as), "20240131 13:45:30");
  EXPECT_EQ(as.m_uDisplayType, stamp.m_uContentType);
  EXPECT_EQ(Text(stamp, kStr, "2024-01-31T13:45"), "20240131 13:45:00");
  EXPECT_EQ(Text(stamp, ZTJsonType::Null, ""), "");
  EXPECT_EQ(Text(stamp, kStr, "2024-01-31"), "!not a date or time in the form YYYY-MM-DD HH:MM:SS");
  EXPECT_EQ(Text(stamp, kStr, "2023-02-29 10:00:00"), "!not a date or time in the form YYYY-MM-DD HH:MM:SS");
  EXPECT_EQ(Text(stamp, kNum, "20240131"), "!a date or time is written as a string");
  const CZTFieldDesc shortYear = ztTestField(iteASCIITEXT, 8, ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE, 4));
  EXPECT_EQ(Text(shortYear, kStr, "2024-01-31"), "31.01.24");
  EXPECT_EQ(Text(shortYear, kStr, "1999-01-31"), "!the field's date format cannot hold 1999-01-31");
  const CZTFieldDesc minutes = ztTestField(iteASCIITEXT, 5, ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_TIME, 0, 2));
  EXPECT_EQ(Text(minutes, kStr, "13:45"), "13:45");
  EXPECT_EQ(Text(minutes, kStr, "13:45:10"), "!the field's time format cannot hold 13:45:10");
}

// Texts stay UTF-8 until the import converts them, with every format's checks
// and messages; the message shows the value as the line writes it.
TEST(JsonFieldText, TextsThroughTheImport) {
  const CZTFieldDesc name = ztTestField(iteASCIITEXT, 6, 0);
  EXPECT_EQ(Text(name, kStr, "M\xC3\xBC\xE2\x82\xAC"), "M\xC3\xBC\xE2\x82\xAC");
  EXPECT_EQ(Text(name, kNum, "12"), "12");

  unsigned char record[8];
  memset(record, '#', sizeof(record));
  std::string message;
  const auto import = [&](const CZTFieldDesc& field, ZTJsonType type, const std::string& value) {
    message.clear();
    return ztJsonImportValue(field, ZTJsonMember{"F", type, value}, record, sizeof(record), "d.jsonl", 3, &message);
  };
  EXPECT_EQ(1, import(name, ZTJsonType::Null, ""));
  EXPECT_EQ(std::string(8, '#'), std::string(reinterpret_cast<char*>(record), 8)) << "null leaves the field alone";
  ASSERT_EQ(1, import(name, kStr, "M\xC3\xBC\xE2\x82\xAC")) << message;
  EXPECT_EQ("M\xFC\x80   ", std::string(reinterpret_cast<char*>(record), 6));
  EXPECT_EQ(0, import(name, kStr, std::string("a\0b", 3)));
  EXPECT_EQ("d.jsonl:3: field F: \"a b\": a NUL character (zero byte) cannot be stored", message);
  EXPECT_EQ(0, import(name, kStr, "\xE2\x98\x83"));
  EXPECT_EQ("d.jsonl:3: field F: \"\xE2\x98\x83\": U+2603 (\xE2\x98\x83) is not in Windows-1252", message);
  EXPECT_EQ(0, import(name, kStr, std::string(50, 'x')));
  EXPECT_EQ("d.jsonl:3: field F: \"" + std::string(40, 'x') + "...\": text longer than 6 characters", message);
  const CZTFieldDesc small = ztTestField(ite8INTEGER, 1, ZT_KIND_NUMBER);
  EXPECT_EQ(0, import(small, kNum, "3e2"));
  EXPECT_EQ("d.jsonl:3: field F: 3e2: value out of the range of a unsigned 8-bit integer", message);
  EXPECT_EQ(0, import(small, ZTJsonType::True, ""));
  EXPECT_EQ("d.jsonl:3: field F: true: a boolean cannot be stored in a field", message);
}

}  // namespace
