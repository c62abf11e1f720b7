// "Field:" lines written and read back through the description-file reader and writer.
#include <gtest/gtest.h>

#include <string>

#include "model_test_support.h"
#include "zt_tbl32/field_desc.h"

namespace {

std::string EditText(const CZTConfFile& conf) { return std::string(conf.m_pEditText, conf.m_uEditLength); }

TEST(FieldDescFile, FieldLinesWriteAndReadBackUnchanged) {
  CZTFieldDesc f;
  f.m_uOffset = 12;
  f.m_uLength = 10;
  f.m_uEncodeType = iteASCIITEXT;
  f.m_uContentType = ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE | ZT_FMT_TIME, 0, 2);
  f.m_uDataJust = ZT_JUST_CENTRE;
  f.m_uDisplayType = ztMakeFmt(ZT_KIND_DATETIME, 0, 8);
  f.m_uDispJust = ZT_JUST_RIGHT;
  f.m_uDispWidth = 5;
  ztStrCopy(f.m_szName, "Datum \"Eingang\"", sizeof(f.m_szName));

  CZTConfFile writer;
  ASSERT_EQ(writer.StartEdit(0x10000, 8, 32, 24, 80, 104), 1);
  EXPECT_EQ(f.WriteDef(writer), 1);
  const std::string text = EditText(writer);
  EXPECT_NE(text.find("Field:"), std::string::npos);
  EXPECT_NE(text.find("  12,  10, 7, 0x20302, 2, 0x8002, 1,  5, \"Datum \"\"Eingang\"\"\""), std::string::npos) << text;

  CZTConfFile reader;
  ASSERT_EQ(reader.ReadIt(text.data(), unsigned(text.size())), 1);
  CZTFieldDesc back;
  ASSERT_EQ(back.ReadDef(reader, "FIELD", 0), 1);
  EXPECT_EQ(memcmp(&back, &f, sizeof(f)), 0);

  // Writing what was read gives the same line.
  CZTConfFile again;
  again.StartEdit(0x10000, 8, 32, 24, 80, 104);
  back.WriteDef(again);
  EXPECT_EQ(EditText(again), text);
}

TEST(FieldDescFile, ShortLinesAndErrors) {
  const char text[] =
      "Field:  0, 4, 2, 0x0011, 0 ; five numbers\n"
      "Other: 1, 2, 3, \"\"\n"
      "Bad: 1, x2, \"Name\"\n";
  CZTConfFile reader;
  ASSERT_EQ(reader.ReadIt(text, sizeof(text) - 1), 1);
  CZTFieldDesc f;
  f.m_uDisplayType = 7;
  f.m_uDispJust = 2;
  f.m_uDispWidth = 9;
  // Five numbers and no name: the name is required.
  zt_test::BoxRecorder boxes;
  zt_test::LogCapture log;
  EXPECT_EQ(f.ReadDef(reader, "FIELD", 3), 0);
  EXPECT_EQ(f.ReadDef(reader, "OTHER", 1), 0);
  EXPECT_EQ(f.ReadDef(reader, "BAD", 2), 0);
  ASSERT_EQ(boxes.boxes.size(), 3u);
  EXPECT_EQ(boxes.boxes[0].code, 1300u);  // no name: the reader reports a missing value
  EXPECT_EQ(boxes.boxes[1].code, 1301u);
  EXPECT_EQ(boxes.boxes[2].code, 1300u);
  const std::string lines = log.All();
  EXPECT_NE(lines.find("0 CZTFieldDesc: Field name is empty in data field OTHER(1)"), std::string::npos) << lines;
  EXPECT_NE(lines.find("on reading field keyword BAD(2)"), std::string::npos) << lines;

  const char five[] = "Field:  0, 4, 2, 0x0011, 0, \"Kunde\"\n";
  CZTConfFile r2;
  ASSERT_EQ(r2.ReadIt(five, sizeof(five) - 1), 1);
  ASSERT_EQ(f.ReadDef(r2, "FIELD", 0), 1);
  EXPECT_EQ(f.m_uLength, 4u);
  EXPECT_EQ(f.m_uContentType, 0x11u);
  EXPECT_EQ(f.m_uDisplayType, 0u);
  EXPECT_EQ(f.m_uDispJust, 0u);
  EXPECT_EQ(f.m_uDispWidth, 0u);
  EXPECT_STREQ(f.m_szName, "Kunde");
}

}  // namespace
