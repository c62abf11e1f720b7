// The combo-box helper against a real drop-down list in a window.
#include <gtest/gtest.h>

#include <string>

#include "zt_lib32/combo_box.h"
#include "zt_lib32/library.h"

namespace {

const unsigned kComboId = 5362;
const ZTListEntry kEntries[] = {{0, 64000}, {3, 64001}, {7, 64002}, {9, 64003}};

class ComboBox : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 200, 150, dialog,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kComboId)), nullptr, nullptr);
    ASSERT_NE(combo, nullptr);
  }
  void TearDown() override { DestroyWindow(dialog); }

  std::string Text(int index) {
    char text[64] = "";
    SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
  }
  int Selected() { return static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)); }

  // Without a language library every entry shows its value.
  CZTLibrary library{"lib32_tests.exe", "none$.dll", "", "test"};
  CZTComboBox box{kComboId, 4, kEntries, &library};
  HWND dialog = nullptr, combo = nullptr;
};

TEST_F(ComboBox, DisplayFillsTheListAndSelectsTheValue) {
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("old"));
  EXPECT_EQ(1, box.Display(dialog, 7));
  ASSERT_EQ(4, SendMessageA(combo, CB_GETCOUNT, 0, 0));
  EXPECT_EQ("0", Text(0));
  EXPECT_EQ("9", Text(3));
  EXPECT_EQ(2, Selected());
  // A value the table does not hold selects nothing.
  EXPECT_EQ(1, box.Display(dialog, 5));
  EXPECT_EQ(CB_ERR, Selected());
  box.Display(dialog, 0);
  EXPECT_EQ(1, box.Display(dialog, 0xFFFFFFFF));
  EXPECT_EQ(CB_ERR, Selected());
  EXPECT_EQ(0, CZTComboBox(999, 4, kEntries, &library).Display(dialog, 0));
}

TEST_F(ComboBox, SelectTakesOnlyItsOwnSelectionChangeToANewValue) {
  box.Display(dialog, 3);
  unsigned value = 3;
  SendMessageA(combo, CB_SETCURSEL, 3, 0);
  // Another notification or another control leaves the value alone.
  EXPECT_EQ(0, box.Select(dialog, MAKEWPARAM(kComboId, CBN_DROPDOWN), &value));
  EXPECT_EQ(0, box.Select(dialog, MAKEWPARAM(kComboId + 1, CBN_SELCHANGE), &value));
  EXPECT_EQ(3u, value);
  EXPECT_EQ(1, box.Select(dialog, MAKEWPARAM(kComboId, CBN_SELCHANGE), &value));
  EXPECT_EQ(9u, value);
  // The same value again is no change.
  EXPECT_EQ(0, box.Select(dialog, MAKEWPARAM(kComboId, CBN_SELCHANGE), &value));
  SendMessageA(combo, CB_SETCURSEL, WPARAM(-1), 0);
  EXPECT_EQ(0, box.Select(dialog, MAKEWPARAM(kComboId, CBN_SELCHANGE), &value));
  EXPECT_EQ(9u, value);
  EXPECT_EQ(0, box.Select(dialog, MAKEWPARAM(kComboId, CBN_SELCHANGE), nullptr));
}

}  // namespace
