// The editable field and key tables: rows, names, description-file lines and
// the texts of data lines.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "edit_codes.h"
#include "model_test_support.h"
#include "zt_tbl32/tbl_fld_desc.h"
#include "zt_tbl32/tbl_key_desc.h"

namespace {

using zt_test::BoxRecorder;
using zt_test::LogCapture;

// Names from the library's own language library (the column headers 2000-2005).
const SZTTblFldDesc kRows[] = {
    {0, 20, ZT_COL_TEXT, 0, 'L', 30, 2000},
    {20, 8, ZT_COL_DATE_DMY4, 0x8001, 'r', 15, 2001},
    {28, 4, ZT_COL_AMOUNT, 0, 'M', 20, 2002},
    {32, 2, ZT_COL_DIGITS, 0, 'x', 10, 64999},
};

class EditableTable : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(1, ztSetTbl32Language("D")); }
  BoxRecorder boxes;
};

std::vector<std::string> Names(const CZTTblFldDesc& table) {
  std::vector<std::string> names;
  for (unsigned i = 0; i < table.m_uCount; ++i) names.push_back(table.m_pFields[i].szName);
  return names;
}

TEST_F(EditableTable, BuiltFromInitialiserRows) {
  CZTTblFldDesc table(&ztTbl32Lib, kRows, sizeof(kRows));
  ASSERT_EQ(4u, table.m_uCount);
  EXPECT_EQ((std::vector<std::string>{"Name", "Position", "L\xE4nge", ""}), Names(table));
  const SZTTblField& date = table.m_pFields[1];
  EXPECT_EQ(20u, date.uOffset);
  EXPECT_EQ(8u, date.uLength);
  EXPECT_EQ(unsigned(ZT_COL_DATE_DMY4), date.uType);
  EXPECT_EQ(0x8001u, date.uFlags);
  EXPECT_EQ(15u, date.uWidth);
  EXPECT_EQ("POSITION", std::string(date.szUpperName));
  EXPECT_EQ(8u, date.uNameLength);
  EXPECT_EQ(0u, date.uIndexTree);
  // 'L' left, 'r' right, 'M' centred; a letter it does not know is left.
  EXPECT_EQ((std::vector<unsigned>{0, 1, 2, 0}),
            (std::vector<unsigned>{table.m_pFields[0].uJust, date.uJust, table.m_pFields[2].uJust,
                                   table.m_pFields[3].uJust}));
  EXPECT_EQ(34u, table.GetRecordSize());
  // A size that holds no whole row gives an empty table.
  CZTTblFldDesc none(&ztTbl32Lib, kRows, 27);
  EXPECT_EQ(0u, none.m_uCount);
  EXPECT_EQ(0u, none.GetRecordSize());
}

TEST_F(EditableTable, RowsAreInsertedDeletedAndExchanged) {
  CZTTblFldDesc table(&ztTbl32Lib, kRows, 3 * sizeof(SZTTblFldDesc));
  // MoveField exchanges; a from beyond the rows is the last row.
  EXPECT_EQ(1, table.MoveField(5, 1));
  EXPECT_EQ((std::vector<std::string>{"Name", "L\xE4nge", "Position"}), Names(table));
  EXPECT_EQ(1, table.MoveField(1, 1));
  EXPECT_EQ(0, table.MoveField(0, 3));
  EXPECT_EQ(1, table.InsertField(1));
  EXPECT_EQ(1, table.InsertField(99));
  EXPECT_EQ((std::vector<std::string>{"Name", "", "L\xE4nge", "Position", ""}), Names(table));
  EXPECT_EQ(0u, table.m_pFields[1].uLength);
  EXPECT_EQ(1, table.DeleteField(0));
  EXPECT_EQ(0, table.DeleteField(4));
  EXPECT_EQ(4u, table.m_uCount);
  EXPECT_EQ((std::vector<std::string>{"", "L\xE4nge", "Position", ""}), Names(table));
  // The freed slot at the end is cleared.
  EXPECT_EQ(0u, table.m_pFields[4].uOffset + table.m_pFields[4].uLength + table.m_pFields[4].szName[0]);

  CZTTblFldDesc empty;
  EXPECT_EQ(0, empty.DeleteField(0));
  EXPECT_EQ(0, empty.MoveField(0, 0));
  EXPECT_EQ(0, empty.SetFldName(0, "x"));
}

TEST_F(EditableTable, NamesAreKeptTo63CharactersAndFoundInCapitals) {
  CZTTblFldDesc table(&ztTbl32Lib, kRows, 2 * sizeof(SZTTblFldDesc));
  const std::string longName(70, 'k');
  EXPECT_EQ(1, table.SetFldName(1, longName.c_str()));
  EXPECT_EQ(63u, table.m_pFields[1].uNameLength);
  EXPECT_EQ(std::string(63, 'K'), table.m_pFields[1].szUpperName);
  EXPECT_EQ(0, table.SetFldName(0, ""));
  EXPECT_EQ(0, table.SetFldName(0, nullptr));
  EXPECT_EQ(0, table.SetFldName(2, "x"));
  EXPECT_EQ(1, table.SetFldName(0,
                                "Stra\xDF"
                                "e"));

  LogCapture log("tbl_fld_desc_test.log");
  EXPECT_EQ(0xFFFFFFFFu, table.FindField("STRASSE", 0));
  EXPECT_EQ(0u, table.FindField("stra\xDF"
                                "e",
                                0));
  EXPECT_EQ(0u, table.FindField("STRA\xDF"
                                "Ex",
                                6));  // only the first 6 characters
  EXPECT_EQ(1u, table.FindField(longName.c_str(), 0));
  EXPECT_EQ(0xFFFFFFFFu, table.FindField("stra", 0));
  EXPECT_EQ(0xFFFFFFFFu, table.FindField("", 0));
  EXPECT_EQ(0xFFFFFFFFu, CZTTblFldDesc().FindField("x", 0));
  // Only the name that was looked for in vain is logged.
  const auto lines = log.Lines();
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ("1 CZTTblFldDesc: Field STRASSE not found in field description table.", lines[0]);
  EXPECT_EQ("1 CZTTblFldDesc: Field stra not found in field description table.", lines[1]);
}

TEST_F(EditableTable, SortedByNameOrByOffset) {
  CZTTblFldDesc table(&ztTbl32Lib, kRows, 3 * sizeof(SZTTblFldDesc));
  table.m_pFields[2].uOffset = 5;
  table.SortFields(0);
  EXPECT_EQ((std::vector<std::string>{"L\xE4nge", "Name", "Position"}), Names(table));
  table.SortFields(1);
  EXPECT_EQ((std::vector<std::string>{"Name", "L\xE4nge", "Position"}), Names(table));
  table.SortFields(2);
  EXPECT_EQ((std::vector<std::string>{"Name", "L\xE4nge", "Position"}), Names(table));
}

TEST_F(EditableTable, PlausibleRowsHaveATypeALengthAndAName) {
  CZTTblFldDesc table(&ztTbl32Lib, kRows, 3 * sizeof(SZTTblFldDesc));
  EXPECT_EQ(1, table.IsPlausible(0));
  table.m_pFields[1].uType = 7;
  EXPECT_EQ(0, table.IsPlausible(0));
  table.m_pFields[1].uType = 44;
  table.m_pFields[2].uLength = 0;
  EXPECT_EQ(0, table.IsPlausible(0));
  table.m_pFields[2].uLength = 1;
  table.m_pFields[0].szName[0] = '\0';
  EXPECT_EQ(0, table.IsPlausible(0));
  CZTTblFldDesc empty;
  EXPECT_EQ(1, empty.IsPlausible(1));
  EXPECT_EQ(0, empty.IsPlausible(0));
  ASSERT_EQ(4u, boxes.boxes.size());
  EXPECT_EQ((std::vector<unsigned>{551, 552, 553, 550}), boxes.Codes());
  EXPECT_NE(std::string::npos, boxes.boxes[0].text.find(" 2 "));
  EXPECT_NE(std::string::npos, boxes.boxes[1].text.find(" 3 "));
  EXPECT_NE(std::string::npos, boxes.boxes[2].text.find(" 1 "));
}

TEST_F(EditableTable, ColumnTypesAreTheTwentyFiveOfTheTypeList) {
  unsigned count = 0;
  for (unsigned type = 0; type < 100; ++type)
    if (ztTblIsColumnType(type)) {
      ++count;
      EXPECT_NE(lbFldTypes.IndexOfValue(type), 0xFFFFFFFFu) << type;
    }
  EXPECT_EQ(lbFldTypes.m_uCount, count);
}

// Description-file lines written with EditDesc and read back with ParseDesc.
std::string Edited(const CZTTblFldDesc& table) {
  CZTConfFile conf;
  conf.StartEdit(0x10000, 8, 32, 24, 80, 104);
  EXPECT_EQ(1, table.EditDesc(conf, "Column:"));
  return std::string(conf.m_pEditText, conf.m_uEditLength);
}

int Parsed(CZTTblFldDesc& table, const std::string& text) {
  CZTConfFile conf;
  conf.ReadIt(text.data(), static_cast<unsigned>(text.size()));
  return table.ParseDesc(conf, "COLUMN");
}

TEST_F(EditableTable, DescriptionLinesReadBackAsWritten) {
  CZTTblFldDesc table(&ztTbl32Lib, kRows, sizeof(kRows));
  table.SetFldName(3, "Say \"hi\"");
  table.m_pFields[3].uJust = 7;  // written as '?'
  const std::string text = Edited(table);
  EXPECT_NE(std::string::npos, text.find("Definition of the table data fields"));
  EXPECT_NE(std::string::npos, text.find(" 20,  8, 12, 15, 'R', 0x8001, \"Position\""));
  EXPECT_NE(std::string::npos, text.find(" 32,  2,  2, 10, '?', 0x0000, \"Say \"\"hi\"\"\""));
  EXPECT_NE(std::string::npos, text.find("Table field definition"));

  table.m_pFields[3].uJust = ZT_COL_CENTRE;
  CZTTblFldDesc back;
  ASSERT_EQ(1, Parsed(back, Edited(table)));
  ASSERT_EQ(4u, back.m_uCount);
  for (unsigned i = 0; i < 4; ++i) {
    const SZTTblField &a = table.m_pFields[i], &b = back.m_pFields[i];
    EXPECT_EQ(a.uOffset, b.uOffset);
    EXPECT_EQ(a.uLength, b.uLength);
    EXPECT_EQ(a.uType, b.uType);
    EXPECT_EQ(a.uFlags, b.uFlags);
    EXPECT_EQ(a.uJust, b.uJust);
    EXPECT_EQ(a.uWidth, b.uWidth);
    EXPECT_STREQ(a.szName, b.szName);
    EXPECT_STREQ(a.szUpperName, b.szUpperName);
    EXPECT_EQ(0xFFFFFFFFu, b.uIndexData);
    EXPECT_EQ(0xFFFFFFFFu, b.uIndexTree);
  }
  EXPECT_TRUE(boxes.boxes.empty());
  // Nothing is written for an empty table.
  CZTConfFile conf;
  conf.StartEdit(0x10000, 8, 32, 24, 80, 104);
  EXPECT_EQ(0, CZTTblFldDesc().EditDesc(conf, "Column:"));
  EXPECT_EQ(0u, conf.m_uEditLength);
}

TEST_F(EditableTable, FaultyLinesLeaveAnEmptyTable) {
  struct Case {
    const char* text;
    unsigned code;
  } cases[] = {
      {"Column: 0, 4, 0, 10, 'T', 0, \"Name\"\n", 513},
      {"Column: 0, 4, 0, 10, \"Name\"\n", 511},
      {"Column: 0, 4, 0, 10, 'L', 0, \"\"\n", 512},
      {"Column: 0, 4, 0, 10, 'L', 0, 7, \"Name\"\n", 510},
      {"Other: 1\n", 500},
  };
  for (const Case& c : cases) {
    CZTTblFldDesc table(&ztTbl32Lib, kRows, sizeof(kRows));
    boxes.boxes.clear();
    std::string text = std::string("Column: 0, 2, 0, 10, 'L', 0, \"First\"\n") + c.text;
    if (c.code == 500) text = c.text;
    EXPECT_EQ(0, Parsed(table, text)) << c.text;
    EXPECT_EQ(0u, table.m_uCount);
    EXPECT_EQ(nullptr, table.m_pFields);
    EXPECT_EQ(std::vector<unsigned>{c.code}, boxes.Codes()) << c.text;
    // The faulty row is named by its number from 1.
    if (c.code != 500 && c.code != 510) {
      EXPECT_NE(std::string::npos, boxes.boxes[0].text.find('2'));
    }
  }
}

TEST_F(EditableTable, IndexTreeGoesToTheFirstRowOfThatPlace) {
  CZTTblFldDesc table(&ztTbl32Lib, kRows, sizeof(kRows));
  LogCapture log("tbl_fld_desc_tree.log");
  table.SetIndexTree(3, 20, 8, 77);
  table.SetIndexTree(4, 20, 9, 78);
  EXPECT_EQ(3u, table.m_pFields[1].uIndexTree);
  EXPECT_EQ(77u, table.m_pFields[1].uIndexData);
  EXPECT_EQ((std::vector<std::string>{"5 CZTTblFldDesc: Set index tree 3 to field 1 (Position)",
                                      "5 CZTTblFldDesc: Index tree 4 not assigned to any field."}),
            log.Lines());
}

TEST_F(EditableTable, CopiesAreDeepAndAnEmptySourceEmpties) {
  CZTTblFldDesc table(&ztTbl32Lib, kRows, sizeof(kRows));
  CZTTblFldDesc copy(table);
  ASSERT_EQ(4u, copy.m_uCount);
  EXPECT_NE(copy.m_pFields, table.m_pFields);
  EXPECT_EQ(0, memcmp(copy.m_pFields, table.m_pFields, 4 * sizeof(SZTTblField)));
  CZTTblFldDesc assigned;
  assigned = table;
  assigned = assigned;
  EXPECT_EQ(Names(table), Names(assigned));
  assigned = CZTTblFldDesc();
  EXPECT_EQ(0u, assigned.m_uCount);
  EXPECT_EQ(nullptr, assigned.m_pFields);
}

TEST(EditableKeyTable, KeyRecordsAreCopiedWholeInsertedDeletedAndExchanged) {
  CZTTblKeyDesc keys;
  ASSERT_EQ(1, keys.InsertKey(0));
  ASSERT_EQ(1, keys.InsertKey(5));
  for (unsigned i = 0; i < kZTTblKeySize; ++i) {
    keys.m_pKeys[0].bytes[i] = static_cast<unsigned char>(i);
    keys.m_pKeys[1].bytes[i] = static_cast<unsigned char>(255 - i);
  }
  CZTTblKeyDesc copy(keys);
  ASSERT_EQ(2u, copy.m_uCount);
  EXPECT_EQ(592u, copy.m_uCount * sizeof(SZTTblKey));
  EXPECT_EQ(0, memcmp(copy.m_pKeys, keys.m_pKeys, 592));
  EXPECT_EQ(1, copy.InsertKey(1));
  EXPECT_EQ(0u, copy.m_pKeys[1].bytes[0] + copy.m_pKeys[1].bytes[295]);
  EXPECT_EQ(255u, copy.m_pKeys[2].bytes[0]);
  EXPECT_EQ(1, copy.MoveKey(9, 0));
  EXPECT_EQ(255u, copy.m_pKeys[0].bytes[0]);
  EXPECT_EQ(1, copy.DeleteKey(0));
  EXPECT_EQ(0, copy.DeleteKey(2));
  EXPECT_EQ(2u, copy.m_uCount);
  EXPECT_EQ(0u, copy.m_pKeys[0].bytes[1]);
  EXPECT_EQ(1u, copy.m_pKeys[1].bytes[1]);
  CZTTblKeyDesc assigned;
  assigned = keys;
  assigned = assigned;
  EXPECT_EQ(0, memcmp(assigned.m_pKeys, keys.m_pKeys, 592));
  assigned = CZTTblKeyDesc();
  EXPECT_EQ(0u, assigned.m_uCount);
  EXPECT_EQ(nullptr, assigned.m_pKeys);
}

// Data lines: one column of each type at its exact length, and with the record
// ending one byte before the column does.
struct DataCase {
  unsigned type;
  unsigned flags;
  std::string bytes;
  const char* shown;
  const char* shortShown;  // the record ending one byte early
};

std::string Le(unsigned long long value, unsigned n) {
  std::string bytes;
  for (unsigned i = 0; i < n; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

std::string FloatBytes(float f) { return std::string(reinterpret_cast<const char*>(&f), 4); }
std::string DoubleBytes(double d) { return std::string(reinterpret_cast<const char*>(&d), 8); }

const DataCase kDataCases[] = {
    {ZT_COL_TEXT, 0, "  0ab ", "0ab ", "0ab"},
    {ZT_COL_TEXT2, ZT_COL_NO_ZEROS, "\t 00ab", "ab", "a"},
    {ZT_COL_TEXT, ZT_COL_NO_ZEROS, "  000", "0", "0"},
    {ZT_COL_DIGITS, 0, "  0042", "42", "4"},
    {ZT_COL_DIGITS5, 0, "0000", "0", "0"},
    {ZT_COL_AMOUNT_TEXT, 0, "  123456", "1.234,56", "123,45"},
    {ZT_COL_AMOUNT_TEXT, 0, "0005", "0,05", "0,00"},
    {ZT_COL_AMOUNT_TEXT, 0, "12", "0,12", "0,01"},
    {ZT_COL_AMOUNT_TEXT, 0, "1234567890", "12.345.678,90", "1.234.567,89"},
    {ZT_COL_AMOUNT_TEXT, 0, "    ", "", ""},
    {ZT_COL_DATE_DMY4_DOTS, 0, "31.12.2009", "31.12.2009", ""},
    {ZT_COL_DATE_MDY4_DOTS, 0, "12.31.2009", "31.12.2009", ""},
    {ZT_COL_DATE_DMY4, 0, "31122009", "31.12.2009", ""},
    {ZT_COL_DATE_MDY4, 0, "12312009", "31.12.2009", ""},
    {ZT_COL_DATE_DMY2_DOTS, 0, "31.12.09", "31.12.2009", ""},
    {ZT_COL_DATE_MDY2_DOTS, 0, "12/31/09", "31/12/2009", ""},
    {ZT_COL_DATE_DMY2, 0, "311299", "31.12.2099", ""},
    {ZT_COL_DATE_MDY2, 0, "123109", "31.12.2009", ""},
    {ZT_COL_DATE_YMD4, 0, "20091231", "31.12.2009", ""},
    {ZT_COL_DATE_YMD2, 0, "091231", "31.12.2009", ""},
    {ZT_COL_TIME_COLONS, 0, "23:59:58", "23:59:58", ""},
    {ZT_COL_TIME_HMS, 0, "235958", "23:59:58", ""},
    {ZT_COL_TIME_HM, 0, "2359", "23:59:00", ""},
    {ZT_COL_UNSIGNED, 0, Le(255, 1), "255", ""},
    {ZT_COL_UNSIGNED, 0, Le(65535, 2), "65535", ""},
    {ZT_COL_UNSIGNED, 0, Le(4000000000u, 4), "4000000000", ""},
    {ZT_COL_UNSIGNED, 0, Le(~0ull, 8), "18446744073709551615", ""},
    {ZT_COL_SIGNED, 0, Le(0xFE, 1), "-2", ""},
    {ZT_COL_SIGNED, 0, Le(0xFFFE, 2), "-2", ""},
    {ZT_COL_SIGNED, 0, Le(0x7FFFFFFF, 4), "2147483647", ""},
    {ZT_COL_SIGNED, 0, Le(1ull << 63, 8), "-9223372036854775808", ""},
    {ZT_COL_FLOAT, 0, FloatBytes(1.5f), "1.500000", ""},
    {ZT_COL_DOUBLE, 0, DoubleBytes(-2.25), "-2.250000", ""},
    {ZT_COL_AMOUNT, 0, Le(123456, 4), "1.234,56", ""},
    {ZT_COL_AMOUNT, 0, Le(5, 1), "0,05", ""},
    {ZT_COL_AMOUNT, 0, Le(0, 8), "0,00", ""},
};

TEST_F(EditableTable, DataLinesOfEveryColumnTypeWholeAndOneByteShort) {
  for (const DataCase& c : kDataCases) {
    const unsigned n = static_cast<unsigned>(c.bytes.size());
    SZTTblFldDesc init = {3, n, c.type, c.flags, 'L', 10, 0};
    CZTTblFldDesc table(&ztTbl32Lib, &init, sizeof(init));
    const std::string record = "xyz" + c.bytes + "tail";
    char text[64];
    EXPECT_EQ(n, table.EditDataField(0, record.data(), static_cast<unsigned>(record.size()), text, sizeof(text)));
    EXPECT_STREQ(c.shown, text) << "type " << c.type;
    // The record ends one byte early: the text types show what there is, the
    // fixed and binary ones nothing rather than a value made of too few bytes.
    const unsigned shortLength = 3 + n - 1;
    EXPECT_EQ(n - 1, table.EditDataField(0, record.data(), shortLength, text, sizeof(text)));
    EXPECT_STREQ(c.shortShown, text) << "type " << c.type;
  }
}

TEST_F(EditableTable, DataFieldEdgeCases) {
  SZTTblFldDesc rows[] = {{0, 6, ZT_COL_TEXT, 0, 'L', 10, 0},
                          {6, 3, ZT_COL_AMOUNT, 0, 'L', 10, 0},
                          {9, 8, ZT_COL_FLOAT, 0, 'L', 10, 0},
                          {17, 2, 7, 0, 'L', 10, 0}};
  CZTTblFldDesc table(&ztTbl32Lib, rows, sizeof(rows));
  const char record[] = "  ab  123\x00\x00\xC0?\x00\x00\x00\x00zz";
  const unsigned length = sizeof(record) - 1;
  char text[16] = "untouched";
  // GetDataField: the raw bytes without blanks at either end.
  EXPECT_EQ(0u, table.GetDataField(0, record, length, text, 0));
  EXPECT_STREQ("untouched", text);
  EXPECT_EQ(2u, table.GetDataField(0, record, length, text, sizeof(text)));
  EXPECT_STREQ("ab", text);
  EXPECT_EQ(1u, table.GetDataField(0, record, length, text, 2));
  EXPECT_STREQ("a", text);
  EXPECT_EQ(0u, table.GetDataField(0, record, length, text, 1));
  EXPECT_STREQ("", text);
  EXPECT_EQ(0u, table.GetDataField(4, record, length, text, sizeof(text)));
  EXPECT_EQ(0u, table.GetDataField(1, record, 6, text, sizeof(text)));
  // EditDataField: the column text, but the column's length in the record.
  EXPECT_EQ(6u, table.EditDataField(0, record, length, text, sizeof(text)));
  EXPECT_STREQ("ab  ", text);
  EXPECT_EQ(6u, table.EditDataField(0, record, length, text, 3));
  EXPECT_STREQ("ab", text);
  // A binary amount of 3 bytes, a float column of 8 bytes, a type that is none: nothing.
  EXPECT_EQ(3u, table.EditDataField(1, record, length, text, sizeof(text)));
  EXPECT_STREQ("", text);
  EXPECT_EQ(8u, table.EditDataField(2, record, length, text, sizeof(text)));
  EXPECT_STREQ("", text);
  EXPECT_EQ(2u, table.EditDataField(3, record, length, text, sizeof(text)));
  EXPECT_STREQ("", text);
  EXPECT_EQ(0u, table.EditDataField(0, record, 0, text, sizeof(text)));
}

}  // namespace
