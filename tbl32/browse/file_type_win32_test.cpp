#include "zt_tbl32/file_type.h"

#include <gtest/gtest.h>

#include <string>

#include "browse_test_support.h"
#include "zt_tbl32/name.h"

namespace {

using zt_test::LogCapture;

// A filter as an application fills it: .CFG not wanted, .TXT and .CF wanted.
struct TestFilter {
  SZTFileTypeEntry entries[3] = {{0, 101, 0, 0, ".CFG"}, {0, 102, 1, 0, ".TXT"}, {0, 103, 1, 0, ".CF"}};
  CZTFileType filter = {3, entries};
};

TEST(FileType, SuffixDecidesTheState) {
  TestFilter t;
  const CZTFileType& f = t.filter;
  EXPECT_EQ(f.GetState("desc.CFG", 0), FILETYPE_NOT_SELECTED);
  EXPECT_EQ(f.GetState("desc.cfg", 0), FILETYPE_NOT_SELECTED);  // compared in upper case
  EXPECT_EQ(f.GetState("notes.txt", 0), FILETYPE_SELECTED);
  EXPECT_EQ(f.GetState("short.cf", 0), FILETYPE_SELECTED);
  EXPECT_EQ(f.GetState("long.CFGX", 0), FILETYPE_NONE);  // the whole suffix must match
  EXPECT_EQ(f.GetState("a.tx", 0), FILETYPE_NONE);
  EXPECT_EQ(f.GetState("archive.tar.txt", 0), FILETYPE_SELECTED);  // the last dot counts
  EXPECT_EQ(f.GetState("noext", 0), FILETYPE_NONE);
  EXPECT_EQ(f.GetState("C:\\dir.txt\\noext", 0), FILETYPE_NONE);  // a dot before the last separator
  EXPECT_EQ(f.GetState("C:/dir.cfg/x.txt", 0), FILETYPE_SELECTED);
  EXPECT_EQ(f.GetState("trailing.", 0), FILETYPE_NONE);
  EXPECT_EQ(f.GetState(static_cast<const char*>(nullptr), 0), FILETYPE_NONE);
  // A length cuts the name: "x.txt" of "x.txtfoo".
  EXPECT_EQ(f.GetState("x.txtfoo", 5), FILETYPE_SELECTED);
  EXPECT_EQ(f.GetState("x.cfgfoo", 4), FILETYPE_SELECTED);  // ".cf"
  CZTFileType empty = {2, nullptr};
  EXPECT_EQ(empty.GetState("x.txt", 0), FILETYPE_NONE);
}

TEST(FileType, OverlongSuffixesAreLoggedAndNotTested) {
  LogCapture log("file_type_test.log");
  TestFilter t;
  // 32 characters of suffix and the terminator: still tested (and in no entry).
  const std::string fits = "x." + std::string(31, 'a');
  EXPECT_EQ(t.filter.GetState(fits.c_str(), 0), FILETYPE_NONE);
  EXPECT_EQ(log.All(), "");
  const std::string tooLong = "x." + std::string(32, 'a');
  EXPECT_EQ(t.filter.GetState(tooLong.c_str(), 0), FILETYPE_NONE);
  EXPECT_EQ(log.All(), "1 CZTFileType: IsOfType: cbName = 34, cbSuffix = 34\n");
  // The name object allows 65 with the terminator.
  SZTFileTypeEntry entry = {0, 1, 1, 0, ".TXT"};
  CZTFileType filter = {1, &entry};
  CICLName name;
  const std::string objectName = "x." + std::string(63, 't');
  ASSERT_EQ(name.SetFileName(objectName.c_str(), static_cast<unsigned>(objectName.size())), 1);
  EXPECT_EQ(filter.GetState(&name), FILETYPE_NONE);
  EXPECT_EQ(log.Lines().size(), 1u);
  const std::string objectTooLong = "x." + std::string(64, 't');
  ASSERT_EQ(name.SetFileName(objectTooLong.c_str(), static_cast<unsigned>(objectTooLong.size())), 1);
  EXPECT_EQ(filter.GetState(&name), FILETYPE_NONE);
  EXPECT_EQ(log.Lines().back(), "1 CZTFileType: IsOfType: cbName = 66, cbSuffix = 66");
  ASSERT_EQ(name.SetFileName("IMAGE.txt", 9), 1);
  EXPECT_EQ(filter.GetState(&name), FILETYPE_SELECTED);
  EXPECT_EQ(filter.GetState(static_cast<const CICLName*>(nullptr)), FILETYPE_NONE);
}

TEST(FileType, CheckBoxesFollowTheEntries) {
  TestFilter t;
  HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  for (const auto& e : t.entries)
    CreateWindowA("BUTTON", e.szSuffix, WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 50, 20, parent,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(e.uControlId)), nullptr, nullptr);
  t.filter.CheckDlgCtls(parent);
  EXPECT_EQ(IsDlgButtonChecked(parent, 101), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(parent, 102), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(parent, 103), BST_CHECKED);
  EXPECT_EQ(t.filter.ToggleDlgCtl(parent, 101), TRUE);
  EXPECT_EQ(t.entries[0].bSelected, 1);
  EXPECT_EQ(IsDlgButtonChecked(parent, 101), BST_CHECKED);
  EXPECT_EQ(t.filter.GetState("a.cfg", 0), FILETYPE_SELECTED);
  EXPECT_EQ(t.filter.ToggleDlgCtl(parent, 102), TRUE);
  EXPECT_EQ(IsDlgButtonChecked(parent, 102), BST_UNCHECKED);
  EXPECT_EQ(t.filter.ToggleDlgCtl(parent, 999), FALSE);
  DestroyWindow(parent);
}

TEST(Name, KeepsSixtyThreeCharactersAndTheirUpperCase) {
  CZTName name;
  EXPECT_EQ(name.m_uLength, 0u);
  const std::string seventy =
      "stra\xdf"
      "e-" +
      std::string(62, 'a') + "\xe4";
  ASSERT_EQ(seventy.size(), 70u);
  name.set(seventy.c_str(), 0);
  EXPECT_EQ(name.m_uLength, 63u);
  EXPECT_EQ(std::string(name.m_szName), seventy.substr(0, 63));
  EXPECT_EQ(std::string(name.m_szUpper),
            "STRA\xdf"
            "E-" +
                std::string(56, 'A'));
  name.set("Gr\xfc\xdf Gott", 3);  // a length takes that many
  EXPECT_EQ(std::string(name.m_szName), "Gr\xfc");
  EXPECT_EQ(std::string(name.m_szUpper), "GR\xdc");
  EXPECT_EQ(name.m_uLength, 3u);
  name.set(nullptr, 5);
  EXPECT_EQ(name.m_uLength, 0u);
  EXPECT_EQ(name.m_szName[0], '\0');
  EXPECT_EQ(name.m_szUpper[0], '\0');
}

}  // namespace
