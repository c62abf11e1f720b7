#include <gtest/gtest.h>
#include <stdio.h>

#include <fstream>
#include <sstream>
#include <string>

#include "box_recorder.h"
#include "zt_tbl32.h"

namespace {

std::string resText(const CZTLibrary& lib, unsigned id) {
  char buf[256];
  lib.LoadResString(id, buf, sizeof(buf));
  return buf;
}

// Restores the default language after a test that switches it.
struct LanguageGuard {
  ~LanguageGuard() { ztSetTbl32Language("D"); }
};

}  // namespace

TEST(Frame, VersionAndVersionData) {
  EXPECT_EQ(256u, ztGetTbl32Version());
  EXPECT_STREQ("1.00", DllVersion);
  EXPECT_STREQ("0087", DllBuild);
  EXPECT_STREQ("zt_tbl32 (Release 1.00, Build 0087)", ztTbl32Lib.m_szBanner);
  EXPECT_TRUE(ztTbl32Lib.m_bResLoaded);
  EXPECT_STREQ("D", ztTbl32Lib.m_szLanguage);
}

TEST(Frame, LanguageSwitchChangesTextsAndKeepsTheOldOneOnUnknownLanguages) {
  LanguageGuard guard;
  EXPECT_EQ("links", resText(ztTbl32Lib, 590));
  EXPECT_NE(0, ztSetTbl32Language("E"));
  EXPECT_EQ("left", resText(ztTbl32Lib, 590));
  EXPECT_EQ(0, ztSetTbl32Language("X"));
  EXPECT_EQ(0, ztSetTbl32Language(""));
  EXPECT_EQ(0, ztSetTbl32Language(nullptr));
  EXPECT_EQ(0, ztSetTbl32Language("..\\D"));
  EXPECT_STREQ("E", ztTbl32Lib.m_szLanguage);
  EXPECT_EQ("left", resText(ztTbl32Lib, 590));
  EXPECT_NE(0, ztSetTbl32Language("D"));
  EXPECT_EQ("links", resText(ztTbl32Lib, 590));
}

TEST(Frame, ExportedListBoxesHoldTheirTables) {
  EXPECT_EQ(25u, lbFldTypes.m_uCount);
  EXPECT_EQ(0u, lbFldTypes.m_uSelIndex);
  EXPECT_EQ(0xFFFFFFFFu, lbFldTypes.m_uSelValue);
  EXPECT_EQ(&ztTbl32Lib, lbFldTypes.m_pLibrary);
  EXPECT_EQ(2064u, lbFldTypes.m_pEntries[24].stringId);
  EXPECT_EQ(44u, lbFldTypes.m_pEntries[24].value);
  EXPECT_EQ(1u, lbJustTypes.IndexOfValue(2));
  char text[64];
  lbJustTypes.GetEntryText(2, text, sizeof(text));
  EXPECT_STREQ("rechts", text);
  EXPECT_EQ(0xFFFFFFFFu, lbFldTypes.IndexOfValue(7));
}

TEST(ErrorBoxes, ByCodeCarryKindStyleCaptionAndSubstitutedText) {
  BoxRecorder boxes;
  // 590 has a text without placeholders; a code without text shows string 102.
  ztTbl32Lib.DispError(590);
  ztTbl32Lib.DispError(9999, "unused");
  ASSERT_EQ(2u, boxes.boxes.size());
  EXPECT_EQ(590u, boxes.boxes[0].code);
  EXPECT_EQ(1u, boxes.boxes[0].kind);
  EXPECT_EQ(0x30u, boxes.boxes[0].style);
  EXPECT_EQ("zt_tbl32 Fehler (Fehlercode = 590)", boxes.boxes[0].caption);
  EXPECT_EQ("links", boxes.boxes[0].text);
  EXPECT_EQ("Der Text zu diesem Fehler oder dieser Meldung existiert nicht.", boxes.boxes[1].text);
}

TEST(ErrorBoxes, QuestionsReturnTheButtonPressed) {
  BoxRecorder boxes;
  boxes.answer = IDYES;
  EXPECT_EQ(6, ztTbl32Lib.DispQuestion(591));
  boxes.answer = IDNO;
  EXPECT_EQ(7, ztTbl32Lib.DispQuestion(591));
  ASSERT_EQ(2u, boxes.boxes.size());
  EXPECT_EQ(0u, boxes.boxes[0].kind);
  EXPECT_EQ(0x44u, boxes.boxes[0].style);
  EXPECT_EQ("zt_tbl32 Meldung (Meldungscode = 591)", boxes.boxes[0].caption);
}

TEST(ErrorBoxes, PlainTextBoxesUseTheReporterCaption) {
  BoxRecorder boxes;
  ztTbl32Lib.DispWarnText("Table %s has %u fields", "KUNDE", 12u);
  ztTbl32Lib.DispInfoText("missing %s", static_cast<const char*>(nullptr));
  ASSERT_EQ(2u, boxes.boxes.size());
  EXPECT_EQ(0x30u, boxes.boxes[0].style);
  EXPECT_EQ("zt_tbl32 Fehlermeldung", boxes.boxes[0].caption);
  EXPECT_EQ("Table KUNDE has 12 fields", boxes.boxes[0].text);
  EXPECT_EQ(0x40u, boxes.boxes[1].style);
  EXPECT_EQ("missing <Substitutionsfehler>", boxes.boxes[1].text);
}

TEST(ErrorBoxes, MissingLanguageLibraryStillShowsFallbackTexts) {
  BoxRecorder boxes;
  CZTLibrary lib("zt_tbl32.dll", "zt_nolang$.dll", "D", "test");
  lib.DllMainCall(ztTbl32Lib.m_hInstance, DLL_PROCESS_ATTACH, 100);
  EXPECT_FALSE(lib.m_bResLoaded);
  EXPECT_EQ(0, lib.SetLanguageId("E"));
  lib.DispError(1301, "NAME");
  ASSERT_EQ(1u, boxes.boxes.size());
  EXPECT_EQ("zt_tbl32 Fehler (Fehlercode = 1301)", boxes.boxes[0].caption);
  EXPECT_EQ("Der Text zu diesem Fehler oder dieser Meldung existiert nicht.", boxes.boxes[0].text);
  char text[64];
  lbJustTypes.GetEntryText(0, text, sizeof(text));  // the real library still has its language
  EXPECT_STREQ("links", text);
  lib.DllMainCall(ztTbl32Lib.m_hInstance, DLL_PROCESS_DETACH, 100);
}

namespace {
struct Throwing {
  static int constructed;
  Throwing() {
    if (++constructed == 3) throw CZTTblErr();
  }
};
int Throwing::constructed = 0;
}  // namespace

TEST(RecordTables, AllocationFailureIsLoggedAndReported) {
  const char* name = "tbl32_alloc_test.log";
  remove(name);
  ASSERT_EQ(1, ztOpenTbl32Log(name));
  BoxRecorder boxes;
  Throwing::constructed = 0;
  EXPECT_EQ(nullptr, ztAllocRecords<Throwing>(5, 1400, "CZTTableDesc"));
  int* ok = ztAllocRecords<int>(4, 1400, "CZTTableDesc");
  EXPECT_NE(nullptr, ok);
  delete[] ok;
  ztCloseTbl32Log();
  std::ifstream in(name);
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_NE(std::string::npos, s.str().find("0 CZTTableDesc: Error on allocating 5 records of a table"));
  EXPECT_TRUE(boxes.boxes.empty());
  remove(name);
}

TEST(Frame, NoLogLineIsFormattedWithoutALog) {
  ztCloseTbl32Log();
  const char* bad = reinterpret_cast<const char*>(static_cast<uintptr_t>(1));
  unsigned before = ztTbl32Lib.m_uLinesWritten;
  ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, "zt_tbl32", "%s", bad);
  EXPECT_EQ(before, ztTbl32Lib.m_uLinesWritten);
}
