#include "zt_tbl32/field_desc.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "model_test_support.h"
#include "zt_tbl32/enum_string.h"
#include "zt_tbl32/field_desc_list.h"
#include "zt_tbl32/grid_def.h"

namespace {

TEST(FieldDesc, DefaultsAndEncodingLengths) {
  CZTFieldDesc f;
  EXPECT_EQ(f.m_uEncodeType, ZT_NOT_SET);
  EXPECT_EQ(f.m_uLength, 0u);
  EXPECT_STREQ(f.m_szName, "");
  f.m_uLength = 3;
  f.SetEncodeType(ite8INTEGER);
  EXPECT_EQ(f.m_uLength, 3u);
  f.SetEncodeType(ite80FLOATING);
  EXPECT_EQ(f.m_uLength, 10u);
  f.SetEncodeType(ite16INTEGER);
  EXPECT_EQ(f.m_uLength, 2u);
  f.SetEncodeType(iteASCIITEXT);
  EXPECT_EQ(f.m_uLength, 2u);
  f.SetEncodeType(42);
  EXPECT_EQ(f.m_uEncodeType, 42u);
  EXPECT_EQ(f.m_uLength, 2u);
}

TEST(FieldDesc, ListIndexesSetValuesOrAreRejected) {
  CZTFieldDesc f;
  f.m_uContentType = 0x2031;
  EXPECT_EQ(f.SetContentTypeIdx(1), 1);
  EXPECT_EQ(f.m_uContentType, 0x0001u);  // the flags go with the old word
  EXPECT_EQ(f.SetContentTypeIdx(6), 0);
  EXPECT_EQ(f.SetContentTypeIdx(0xFFFFFFFF), 0);
  EXPECT_EQ(f.m_uContentType, 0x0001u);
  EXPECT_EQ(f.SetDisplayTypeIdx(5), 1);
  EXPECT_EQ(f.m_uDisplayType, 5u);
  EXPECT_EQ(f.SetEncodeTypeIdx(5), 1);
  EXPECT_EQ(f.m_uEncodeType, unsigned(ite64FLOATING));
  EXPECT_EQ(f.m_uLength, 8u);
  EXPECT_EQ(f.SetEncodeTypeIdx(9), 0);
  // Data justifications have two entries: left and centred.
  EXPECT_EQ(f.SetDataJustTypeIdx(1), 1);
  EXPECT_EQ(f.m_uDataJust, unsigned(ZT_JUST_CENTRE));
  EXPECT_EQ(f.SetDataJustTypeIdx(2), 0);
  EXPECT_EQ(f.SetDispJustTypeIdx(1), 1);
  EXPECT_EQ(f.m_uDispJust, unsigned(ZT_JUST_RIGHT));
  EXPECT_EQ(f.SetDispJustTypeIdx(3), 0);
}

TEST(FieldDesc, VerifyFieldChecksTheLengthOfEachEncoding) {
  struct Case {
    unsigned encoding, length;
    bool ok;
  };
  const Case cases[] = {{ZT_NOT_SET, 0, true},      {ite8INTEGER, 0, false},    {ite8INTEGER, 3, true},
                        {ite16INTEGER, 4, false},   {ite32INTEGER, 4, true},    {ite64INTEGER, 4, false},
                        {ite32FLOATING, 4, true},   {ite64FLOATING, 10, false}, {ite80FLOATING, 10, true},
                        {iteASCIITEXT, 0, false},   {iteASCIITEXT, 7, true},    {iteUNICODETEXT, 7, false},
                        {iteUNICODETEXT, 0, false}, {iteUNICODETEXT, 8, true},  {9, 0, true}};
  for (const auto& c : cases) {
    zt_test::BoxRecorder boxes;
    CZTFieldDesc f;
    f.m_uEncodeType = c.encoding;
    f.m_uLength = c.length;
    EXPECT_EQ(f.VerifyField(), c.ok ? 1 : 0) << c.encoding << "/" << c.length;
    if (c.ok)
      EXPECT_TRUE(boxes.boxes.empty());
    else
      EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{1310 + c.encoding});
  }
}

TEST(FieldDesc, ListSizesCopiesAndComparisons) {
  CZTFieldDescList list;
  EXPECT_EQ(list.GetRecSize(), 0u);
  list.m_pFields = new CZTFieldDesc[4];
  list.m_uAlloc = 4;
  list.m_uCount = 2;
  list.m_pFields[0].m_uOffset = 0;
  list.m_pFields[0].m_uLength = 4;
  list.m_pFields[0].m_uDispWidth = 30;
  ztStrCopy(list.m_pFields[0].m_szName, "Kunde", 32);
  list.m_pFields[1].m_uOffset = 2;
  list.m_pFields[1].m_uLength = 10;
  list.m_pFields[1].m_uDispWidth = 70;
  ztStrCopy(list.m_pFields[1].m_szName, "Name", 32);
  EXPECT_EQ(list.GetRecSize(), 12u);
  EXPECT_EQ(list.GetDispWidth(), 100u);

  CZTFieldDescList copy(list);
  EXPECT_NE(copy.m_pFields, list.m_pFields);
  EXPECT_EQ(copy.m_uCount, 2u);
  EXPECT_EQ(copy.m_uAlloc, 4u);
  EXPECT_STREQ(copy.m_pFields[1].m_szName, "Name");
  CZTFieldDescList assigned;
  assigned = copy;
  copy.Free();
  EXPECT_EQ(copy.m_pFields, nullptr);
  EXPECT_EQ(copy.m_uCount, 0u);
  EXPECT_EQ(assigned.GetRecSize(), 12u);

  EXPECT_EQ(CmpFieldName("kUNDE", &list.m_pFields[0]), 0);
  EXPECT_LT(CmpFieldName("Ab", &list.m_pFields[0]), 0);
  EXPECT_GT(CmpFieldName("zz", &list.m_pFields[0]), 0);
  EXPECT_EQ(CmpFieldPos(&list.m_pFields[0], &list.m_pFields[1]), -1);
  EXPECT_EQ(CmpFieldPos(&list.m_pFields[1], &list.m_pFields[0]), 1);
  EXPECT_EQ(CmpFieldPos(&list.m_pFields[1], &list.m_pFields[1]), 0);
  // Sorting by position with the C library.
  std::swap(list.m_pFields[0], list.m_pFields[1]);
  qsort(list.m_pFields, list.m_uCount, sizeof(CZTFieldDesc), CmpFieldPos);
  EXPECT_STREQ(list.m_pFields[0].m_szName, "Kunde");
}

TEST(FieldDesc, DispDefFillsOneRowOfAFieldGrid) {
  ASSERT_EQ(ztSetTbl32Language("D"), 1);
  zt_test::RecordingGrid grid;
  CGridDef def = {0, nullptr, 0xFFFFFFFF, 25, &ztTbl32Lib, nullptr, 0, nullptr};
  CZTFieldDesc f;
  ztStrCopy(f.m_szName, "Betrag", 32);
  f.m_uOffset = 12;
  f.m_uLength = 4;
  f.m_uEncodeType = ite32INTEGER;
  f.m_uContentType = ztMakeFmt(ZT_KIND_NUMBER, ZT_FMT_SIGNED | ZT_FMT_THOUSANDS | ZT_FMT_COMMA, 2);
  f.m_uDataJust = ZT_NOT_SET;
  f.m_uDisplayType = ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE | ZT_FMT_TIME, 4, 2);
  f.m_uDispJust = ZT_JUST_RIGHT;
  f.m_uDispWidth = 15;
  EXPECT_EQ(f.DispDef(def, 3), 1);  // no grid yet: nothing set
  EXPECT_TRUE(grid.calls.empty());
  def.m_pGrid = &grid;
  EXPECT_EQ(f.DispDef(def, 3), 1);
  const std::vector<std::string> expected = {"SetItemUInt(3,0,4)",
                                             "SetItemText(3,1,Betrag)",
                                             "SetItemText(3,2,Ganzzahl 32 Bit)",
                                             "SetItemUInt(3,3,12)",
                                             "SetItemUInt(3,4,4)",
                                             "SetItemText(3,5,Zahl)",
                                             "SetItemText(3,6,-.,2)",
                                             "SetItemText(3,7,)",
                                             "SetItemText(3,8,Datum/Zeit)",
                                             "SetItemText(3,9,TT.MM.JJ+hh:mm)",
                                             "SetItemText(3,10,rechts)",
                                             "SetItemUInt(3,11,15)"};
  EXPECT_EQ(grid.calls, expected);

  grid.calls.clear();
  f.m_uEncodeType = ZT_NOT_SET;
  f.m_uContentType = ZT_NOT_SET;
  f.m_uDisplayType = ztMakeFmt(ZT_KIND_DECIMAL, ZT_FMT_THOUSANDS, 3);
  EXPECT_EQ(f.DispDef(def, 0), 1);
  EXPECT_EQ(grid.calls[2], "SetItemText(0,2,)");
  EXPECT_EQ(grid.calls[5], "SetItemText(0,5,)");
  EXPECT_EQ(grid.calls[6], "SetItemText(0,6,)");
  EXPECT_EQ(grid.calls[8], "SetItemText(0,8,Dezimalzahl)");
  EXPECT_EQ(grid.calls[9], "SetItemText(0,9,.3)");
}

TEST(EnumString, OperatorTablesAfterSorting) {
  ztLogicOperators.SortTable();
  ztCompOperators.SortTable();
  for (unsigned i = 1; i < ztLogicOperators.m_uCount; ++i)
    EXPECT_LT(strcmp(ztLogicOperators.m_pEntries[i - 1].name, ztLogicOperators.m_pEntries[i].name), 0);
  EXPECT_EQ(ztLogicOperators.FindString("and", 0), 2u);
  EXPECT_EQ(ztLogicOperators.FindString("^^", 0), 1u);
  EXPECT_EQ(ztLogicOperators.FindString("NOT", 0), 0xFFFFFFFFu);
  EXPECT_EQ(ztLogicOperators.FindString("oder", 0), 0u);
  EXPECT_EQ(ztLogicOperators.FindUpper("and", 0), 0xFFFFFFFFu);  // exact bytes
  EXPECT_EQ(ztLogicOperators.FindUpper("", 0), 0xFFFFFFFFu);
  EXPECT_EQ(ztLogicOperators.FindUpper(nullptr, 0), 0xFFFFFFFFu);
  // With a length, the byte after the key must end it.
  EXPECT_EQ(ztLogicOperators.FindUpper("ORX", 2), 0xFFFFFFFFu);
  EXPECT_EQ(ztLogicOperators.FindString("orx", 2), 0u);  // the copy ends after two characters
  EXPECT_EQ(ztCompOperators.FindUpper("<=", 0), 7u);
  EXPECT_EQ(ztCompOperators.FindUpper("<", 0), 6u);
  EXPECT_EQ(ztCompOperators.FindUpper("<>", 0), 1u);
  EXPECT_EQ(ztCompOperators.FindLower(">=", 0), 5u);
  EXPECT_EQ(ztCompOperators.FindUpper("=====================================", 0), 0xFFFFFFFFu);
  EXPECT_STREQ(ztCompOperators.GetString(5), ">=");
  EXPECT_EQ(ztCompOperators.GetString(3), nullptr);
  EXPECT_EQ(ztCompOperators.GetIndex(ztCompOperators.m_uCount), 0xFFFFFFFFu);
  CEnumString empty = {0, nullptr};
  EXPECT_EQ(empty.FindString("AND", 0), 0xFFFFFFFFu);
  EXPECT_EQ(empty.GetIndex(0), 0xFFFFFFFFu);
}

}  // namespace
