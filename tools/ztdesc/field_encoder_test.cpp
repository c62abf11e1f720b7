#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code_page.h"
#include "commands.h"
#include "field_encoder.h"

namespace {

CZTFieldDesc Field(unsigned encoding, unsigned length, unsigned content, unsigned display, unsigned offset = 3) {
  CZTFieldDesc f;
  f.m_uOffset = offset;
  f.m_uLength = length;
  f.m_uEncodeType = encoding;
  f.m_uContentType = content;
  f.m_uDisplayType = display;
  ztStrCopy(f.m_szName, "F", sizeof(f.m_szName));
  return f;
}

// Encodes text and formats the bytes again; "!reason" when encoding fails.
std::string RoundTrip(const CZTFieldDesc& field, const char* text) {
  std::vector<unsigned char> record(field.m_uOffset + field.m_uLength + 2, 0xAB);
  char reason[160] = "";
  if (!ztEncodeField(field, text, record.data(), (unsigned)record.size(), reason, sizeof(reason)))
    return std::string("!") + reason;
  EXPECT_EQ(record[field.m_uOffset - 1], 0xAB);  // nothing outside the field
  EXPECT_EQ(record[field.m_uOffset + field.m_uLength], 0xAB);
  char shown[256];
  unsigned length = 0;
  if (!field.FormatData(shown, sizeof(shown), &length, record.data(), (unsigned)record.size())) return "?format";
  return std::string(shown, length);
}

TEST(FieldEncoder, IntegersOfEveryWidthAndSign) {
  const unsigned number = ZT_KIND_NUMBER, sign = ZT_FMT_SIGNED;
  EXPECT_EQ(RoundTrip(Field(ite8INTEGER, 1, number, number), "255"), "255");
  EXPECT_EQ(RoundTrip(Field(ite8INTEGER, 1, number | sign, number), "-128"), "-128");
  EXPECT_EQ(RoundTrip(Field(ite16INTEGER, 2, number, number), "65535"), "65535");
  EXPECT_EQ(RoundTrip(Field(ite32INTEGER, 4, number | sign, number), "-2147483648"), "-2147483648");
  EXPECT_EQ(RoundTrip(Field(ite64INTEGER, 8, number, number), "18446744073709551615"), "18446744073709551615");
  EXPECT_EQ(RoundTrip(Field(ite64INTEGER, 8, number | sign, number), "-9223372036854775808"), "-9223372036854775808");
  // Fixed point with the content decimals; thousands points are read too.
  unsigned cents = ztMakeFmt(ZT_KIND_NUMBER, ZT_FMT_SIGNED, 2);
  EXPECT_EQ(RoundTrip(Field(ite32INTEGER, 4, cents, ZT_KIND_NUMBER), "-10,05"), "-10,05");
  EXPECT_EQ(RoundTrip(Field(ite32INTEGER, 4, cents, ZT_KIND_NUMBER), "1.234,5"), "1234,50");

  EXPECT_EQ(RoundTrip(Field(ite8INTEGER, 1, number, number), "256"),
            "!value out of the range of a unsigned 8-bit integer");
  EXPECT_EQ(RoundTrip(Field(ite8INTEGER, 1, number | sign, number), "128")[0], '!');
  EXPECT_EQ(RoundTrip(Field(ite16INTEGER, 2, number, number), "-1"), "!negative value in an unsigned field");
  EXPECT_EQ(RoundTrip(Field(ite32INTEGER, 4, number, number), "12a"), "!not a number");
  EXPECT_EQ(RoundTrip(Field(ite32INTEGER, 4, number, number), ""), "!not a number");
  EXPECT_EQ(RoundTrip(Field(ite32INTEGER, 4, number, number), "1,5"), "!not a whole number");
  EXPECT_EQ(RoundTrip(Field(ite32INTEGER, 4, number, number), "1,0"), "1");
  // Thousands points only between groups of three digits.
  EXPECT_EQ(RoundTrip(Field(ite32INTEGER, 4, number, number), "1.234.567"), "1234567");
  EXPECT_EQ(RoundTrip(Field(ite32INTEGER, 4, number, number), "1.234.5"), "!not a number");
  EXPECT_EQ(RoundTrip(Field(ite32INTEGER, 4, number, number), "12.34"), "!not a number");
  EXPECT_EQ(RoundTrip(Field(ite32INTEGER, 4, cents, number), "1,2,3"), "!not a number");
  EXPECT_EQ(RoundTrip(Field(ite32INTEGER, 4, cents, number), "1,555"), "!more than 2 decimals");
  EXPECT_EQ(RoundTrip(Field(ite64INTEGER, 8, number, number), "99999999999999999999"), "!number too large");
}

TEST(FieldEncoder, FloatingPointFields) {
  unsigned two = ztMakeFmt(ZT_KIND_NUMBER, 0, 2), three = ztMakeFmt(ZT_KIND_NUMBER, 0, 3);
  EXPECT_EQ(RoundTrip(Field(ite64FLOATING, 8, ZT_KIND_NUMBER, two), "3.25"), "3.25");
  EXPECT_EQ(RoundTrip(Field(ite64FLOATING, 8, ZT_KIND_NUMBER, two), "-3,25"), "-3.25");
  EXPECT_EQ(RoundTrip(Field(ite32FLOATING, 4, ZT_KIND_NUMBER, three), "12.5"), "12.500");
  EXPECT_EQ(RoundTrip(Field(ite64FLOATING, 8, ZT_KIND_NUMBER, ZT_KIND_NUMBER), "2.5"), "3");
  EXPECT_EQ(RoundTrip(Field(ite64FLOATING, 8, ZT_KIND_NUMBER, two), "1.234,5"), "1234.50");
  EXPECT_EQ(RoundTrip(Field(ite64FLOATING, 8, ZT_KIND_NUMBER, two), "1e5"), "100000.00");
  EXPECT_EQ(RoundTrip(Field(ite64FLOATING, 8, ZT_KIND_NUMBER, two), "1.234.567"), "1234567.00");
  // One decimal separator: a point alone, or a comma after thousands points.
  EXPECT_EQ(RoundTrip(Field(ite64FLOATING, 8, ZT_KIND_NUMBER, two), "12.50.1"), "!not a number");
  EXPECT_EQ(RoundTrip(Field(ite64FLOATING, 8, ZT_KIND_NUMBER, two), "1,234.5"), "!not a number");
  EXPECT_EQ(RoundTrip(Field(ite64FLOATING, 8, ZT_KIND_NUMBER, two), "1.2,5"), "!not a number");
  EXPECT_EQ(RoundTrip(Field(ite64FLOATING, 8, ZT_KIND_NUMBER, two), "1e400"),
            "!value out of the range of a 64-bit float");
  EXPECT_EQ(RoundTrip(Field(ite32FLOATING, 4, ZT_KIND_NUMBER, two), "1000000000000000000000000000000000000000"),
            "!value out of the range of a 32-bit float");
  EXPECT_EQ(RoundTrip(Field(ite80FLOATING, 10, ZT_KIND_NUMBER, two), "1"),
            "!80-bit floating point fields cannot be imported");
  EXPECT_EQ(RoundTrip(Field(iteUNICODETEXT, 10, 0, 0), "a"), "!Unicode text fields cannot be imported");
}

TEST(FieldEncoder, TextDigitTextAndDecimalText) {
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 8, 0, 0), "  Zoe"), "  Zoe");
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 8, 0, 0), "Exactly8"), "Exactly8");
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 8, 0, 0), "Nine char"), "!text longer than 8 characters");

  unsigned digits = ZT_KIND_NUMBER | ZT_FMT_ZERO_FILL;
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 6, digits, digits), "42"), "000042");
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 6, digits, ZT_KIND_NUMBER), "000042"), "42");
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 6, digits | ZT_FMT_SIGNED, ZT_KIND_NUMBER), "-42"), "-42");
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 6, digits, digits), "-42"), "!negative value in an unsigned field");
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 4, digits, digits), "12345"), "!does not fit 4 characters");
  unsigned withDecimals = ztMakeFmt(ZT_KIND_NUMBER, 0, 2);
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 8, withDecimals, ZT_KIND_NUMBER), "12,5"), "12,50");
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 8, withDecimals, ZT_KIND_NUMBER), ",50"), "0,50");

  unsigned amount = ztMakeFmt(ZT_KIND_DECIMAL, ZT_FMT_COMMA | ZT_FMT_THOUSANDS, 2);
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 12, amount, amount), "1.234.567,89"), "1.234.567,89");
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 12, amount, amount), "-5"), "-5,00");
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 12, amount, amount), "0,07"), "0,07");
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 6, amount, amount), "12.345,00"), "!does not fit 6 characters");
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 12, amount, amount), "12;5"), "!not a number");
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 12, amount, amount), "1.2.3,4"), "!not a number");
  EXPECT_EQ(RoundTrip(Field(iteASCIITEXT, 12, amount, amount), "1,234"), "!more than 2 decimals");
}

TEST(FieldEncoder, DatesAndTimes) {
  // Stored as YYYYMMDD, shown as DD.MM.YYYY.
  CZTFieldDesc day = Field(iteASCIITEXT, 8, ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE, ZT_DATE_YYYYMMDD),
                           ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE, ZT_DATE_DD_MM_YYYY));
  EXPECT_EQ(RoundTrip(day, "30.07.2009"), "30.07.2009");
  EXPECT_EQ(RoundTrip(day, "29.02.2024"), "29.02.2024");
  EXPECT_EQ(RoundTrip(day, ""), "");
  EXPECT_EQ(RoundTrip(day, "29.02.2023"), "!not a valid date in the form DD.MM.YYYY");
  EXPECT_EQ(RoundTrip(day, "2009-07-30"), "!not a valid date in the form DD.MM.YYYY");
  EXPECT_EQ(RoundTrip(day, "1.7.2009"), "!not a valid date in the form DD.MM.YYYY");

  // Inverted dates sort newest first; two-digit years are 20YY.
  CZTFieldDesc inverted = Field(iteASCIITEXT, 8, ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE, ZT_DATE_INVERTED),
                                ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE, ZT_DATE_DD_MM_YY));
  EXPECT_EQ(RoundTrip(inverted, "30.07.09"), "30.07.09");

  CZTFieldDesc stamp = Field(iteASCIITEXT, 16,
                             ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE | ZT_FMT_TIME, ZT_DATE_YYYYMMDD, ZT_TIME_HH_MM_SS),
                             ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE | ZT_FMT_TIME, ZT_DATE_DD_MM_YYYY, ZT_TIME_HH_MM));
  EXPECT_EQ(RoundTrip(stamp, "30.07.2009 14:05"), "30.07.2009 14:05");
  EXPECT_EQ(RoundTrip(stamp, "30.07.2009 24:05"), "!not a valid time in the form HH:MM");
  EXPECT_EQ(RoundTrip(stamp, "30.07.2009"), "!the time is missing (form HH:MM)");
  CZTFieldDesc tooShort = stamp;
  tooShort.m_uLength = 12;
  EXPECT_EQ(RoundTrip(tooShort, "30.07.2009 14:05"), "!does not fit 12 characters");

  CZTFieldDesc time = Field(iteASCIITEXT, 6, ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_TIME, 0, ZT_TIME_HHMMSS),
                            ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_TIME, 0, ZT_TIME_HH_MM_SS));
  EXPECT_EQ(RoundTrip(time, "07:30:59"), "07:30:59");
}

// A UTF-8 text as ztdesc prints it (on Windows, with a console that is not
// UTF-8: in Windows-1252).
std::string Printed(const std::string& utf8) {
  std::string out;
  ZTCodePageError error;
  return ztdescPrintsUtf8() || !ztUtf8ToCp1252(utf8.data(), utf8.size(), &out, &error) ? utf8 : out;
}

// Values of an imported file: UTF-8 to the Windows-1252 bytes, characters it
// lacks and zero bytes refused, the message naming line and field and showing
// the reason whatever the value's length.
TEST(FieldEncoder, ImportedValues) {
  CZTFieldDesc text = Field(iteASCIITEXT, 12, 0, 0, 0);
  ztStrCopy(text.m_szName, "Titel\xE4", sizeof(text.m_szName));
  unsigned char record[12];
  std::string message;
  ASSERT_EQ(1, ztImportValue(text, "5 \xE2\x82\xAC Rabatt", true, record, sizeof(record), "d.csv", 7, &message));
  EXPECT_EQ(std::string("5 \x80 Rabatt  "), std::string(reinterpret_cast<char*>(record), 12));
  ASSERT_EQ(1, ztImportValue(text, "\xE2\x80\x9E\xE2\x80\x9C\xE2\x80\x94\xC3\xA4", true, record, sizeof(record),
                             "d.csv", 7, &message));
  EXPECT_EQ(std::string("\x84\x93\x97\xE4"), std::string(reinterpret_cast<char*>(record), 4));
  // Windows-1252 input is stored as it is.
  ASSERT_EQ(1, ztImportValue(text, "\x80\xE4", false, record, sizeof(record), "d.csv", 7, &message));
  EXPECT_EQ(std::string("\x80\xE4"), std::string(reinterpret_cast<char*>(record), 2));

  EXPECT_EQ(0, ztImportValue(text, "Tee \xE4\xB8\xAD", true, record, sizeof(record), "d.csv", 7, &message));
  EXPECT_EQ("d.csv:7: field " + Printed("Titel\xC3\xA4") +
                ": \"Tee \xE4\xB8\xAD\": U+4E2D (\xE4\xB8\xAD) is not in Windows-1252",
            message);
  EXPECT_EQ(0, ztImportValue(text, "Tee \xE4", true, record, sizeof(record), "d.csv", 7, &message));
  EXPECT_NE(std::string::npos, message.find("byte 0xE4 is not UTF-8")) << message;
  EXPECT_EQ(0, ztImportValue(text, std::string("ab\0cd", 5), true, record, sizeof(record), "d.csv", 8, &message));
  EXPECT_EQ("d.csv:8: field " + Printed("Titel\xC3\xA4") + ": \"ab cd\": a NUL character (zero byte) cannot be stored",
            message);
  EXPECT_EQ(
      0, ztImportValue(text, std::string(5000, '\xC3') + "\xA4", true, record, sizeof(record), "d.csv", 9, &message));
  EXPECT_NE(std::string::npos, message.find("byte 0xC3 is not UTF-8")) << message.substr(0, 200);
  EXPECT_LT(message.size(), 200u);
  EXPECT_EQ(0, ztImportValue(text, std::string(3000, 'x'), true, record, sizeof(record), "d.csv", 9, &message));
  EXPECT_EQ("d.csv:9: field " + Printed("Titel\xC3\xA4") + ": \"" + std::string(40, 'x') +
                "...\": text longer than 12 characters",
            message);
  // A cut UTF-8 value keeps whole characters.
  EXPECT_EQ(0, ztImportValue(text, std::string(60, 'x').insert(39, "\xC3\xA4"), true, record, sizeof(record), "d.csv",
                             9, &message));
  EXPECT_NE(std::string::npos, message.find(std::string(39, 'x') + Printed("\xC3\xA4") + "...")) << message;
}

TEST(FieldEncoder, FieldOutsideTheRecord) {
  CZTFieldDesc f = Field(iteASCIITEXT, 8, 0, 0, 0xFFFFFFFCu);
  unsigned char record[16];
  char reason[80];
  EXPECT_EQ(ztEncodeField(f, "x", record, sizeof(record), reason, sizeof(reason)), 0);
  EXPECT_STREQ(reason, "the field lies outside the record");
}

}  // namespace
