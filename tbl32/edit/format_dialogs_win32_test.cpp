// The three format dialogs driven as a person would: check boxes clicked,
// decimals typed or spun, formats picked, and ended with OK, Cancel, Escape or
// the close box.
#include <gtest/gtest.h>

#include <string>

#include "edit_codes.h"
#include "format_dialogs.h"
#include "modal_test_support.h"
#include "model_test_support.h"
#include "zt_tbl32/field_desc.h"

namespace {

using zt_test::ModalScript;

void Click(HWND dialog, unsigned id) { SendMessageA(GetDlgItem(dialog, static_cast<int>(id)), BM_CLICK, 0, 0); }
bool Checked(HWND dialog, unsigned id) { return IsDlgButtonChecked(dialog, static_cast<int>(id)) == BST_CHECKED; }
std::string Text(HWND dialog, unsigned id) {
  char text[64] = "";
  GetDlgItemTextA(dialog, static_cast<int>(id), text, sizeof(text));
  return text;
}
int Selected(HWND dialog, unsigned id) {
  return static_cast<int>(SendDlgItemMessageA(dialog, static_cast<int>(id), CB_GETCURSEL, 0, 0));
}
// Picks an entry of a drop-down list as the mouse would: selection, then the notification.
void Pick(HWND dialog, unsigned id, int index) {
  SendDlgItemMessageA(dialog, static_cast<int>(id), CB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, static_cast<int>(id))));
}

class FormatDialogs : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(1, ztSetTbl32Language("D")); }

  // Runs the dialog for the word with one step of work in it.
  int Run(unsigned& word, ModalScript::Step step) {
    ModalScript script({std::move(step)});
    const int result = ztEditFormatWord(nullptr, &word);
    EXPECT_TRUE(script.AllStepsRan());
    EXPECT_EQ(0u, script.Cancelled());
    return result;
  }
  zt_test::BoxRecorder boxes;
};

TEST_F(FormatDialogs, NumberShowsTheWordAndOkStoresWhatWasChanged) {
  unsigned word = ztMakeFmt(ZT_KIND_NUMBER, ZT_FMT_SIGNED | ZT_FMT_THOUSANDS, 2);
  bool signedShown = false, zerosShown = true, thousandsShown = false, commaShown = true;
  std::string decimals;
  const int result = Run(word, [&](HWND dialog) {
    signedShown = Checked(dialog, ZT_ID_SIGNED);
    zerosShown = Checked(dialog, ZT_ID_LEADING_ZEROS);
    thousandsShown = Checked(dialog, ZT_ID_THOUSANDS);
    commaShown = Checked(dialog, ZT_ID_DECIMAL_COMMA);
    decimals = Text(dialog, ZT_ID_DECIMALS);
    Click(dialog, ZT_ID_SIGNED);
    Click(dialog, ZT_ID_LEADING_ZEROS);
    Click(dialog, ZT_ID_DECIMAL_COMMA);
    SetDlgItemTextA(dialog, ZT_ID_DECIMALS, "3");
    Click(dialog, ZT_ID_FORMAT_OK);
  });
  EXPECT_TRUE(signedShown);
  EXPECT_FALSE(zerosShown);
  EXPECT_TRUE(thousandsShown);
  EXPECT_FALSE(commaShown);
  EXPECT_EQ("2", decimals);
  EXPECT_EQ(1, result);
  EXPECT_EQ(ztMakeFmt(ZT_KIND_NUMBER, ZT_FMT_ZERO_FILL | ZT_FMT_THOUSANDS | ZT_FMT_COMMA, 3), word);
}

TEST_F(FormatDialogs, OkWithoutAChangeAndEveryWayOutLeaveTheWord) {
  const unsigned original = ztMakeFmt(ZT_KIND_NUMBER, ZT_FMT_COMMA, 4);
  unsigned word = original;
  EXPECT_EQ(0, Run(word, [](HWND dialog) { Click(dialog, ZT_ID_FORMAT_OK); }));
  EXPECT_EQ(original, word);
  EXPECT_EQ(0, Run(word, [](HWND dialog) {
              Click(dialog, ZT_ID_SIGNED);
              Click(dialog, ZT_ID_FORMAT_CANCEL);
            }));
  EXPECT_EQ(original, word);
  // Escape, as the dialog manager sends it.
  EXPECT_EQ(0, Run(word, [](HWND dialog) {
              Click(dialog, ZT_ID_SIGNED);
              SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            }));
  EXPECT_EQ(0, Run(word, [](HWND dialog) {
              Click(dialog, ZT_ID_THOUSANDS);
              SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            }));
  EXPECT_EQ(original, word);
  // Clicking a box twice is no change either.
  EXPECT_EQ(0, Run(word, [](HWND dialog) {
              Click(dialog, ZT_ID_THOUSANDS);
              Click(dialog, ZT_ID_THOUSANDS);
              Click(dialog, ZT_ID_FORMAT_OK);
            }));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(FormatDialogs, DecimalsAreSpunOrTypedUpToFifteen) {
  unsigned word = ztMakeFmt(ZT_KIND_NUMBER, 0, 14);
  std::string spun, typed;
  EXPECT_EQ(1, Run(word, [&](HWND dialog) {
              HWND spin = GetDlgItem(dialog, ZT_ID_DECIMALS_SPIN);
              SendMessageA(spin, WM_KEYDOWN, VK_UP, 0);
              SendMessageA(spin, WM_KEYDOWN, VK_UP, 0);  // stops at 15
              spun = Text(dialog, ZT_ID_DECIMALS);
              SetDlgItemTextA(dialog, ZT_ID_DECIMALS, "20");
              typed = Text(dialog, ZT_ID_DECIMALS);
              SetDlgItemTextA(dialog, ZT_ID_DECIMALS, "x");  // not a number: the 15 stays
              Click(dialog, ZT_ID_FORMAT_OK);
            }));
  EXPECT_EQ("15", spun);
  EXPECT_EQ("15", typed);
  EXPECT_EQ(ztMakeFmt(ZT_KIND_NUMBER, 0, 15), word);
}

TEST_F(FormatDialogs, DecimalKeepsOnlyItsFlagsAndDropsOthers) {
  unsigned word = ztMakeFmt(ZT_KIND_DECIMAL, ZT_FMT_SIGNED | ZT_FMT_ZERO_FILL | ZT_FMT_COMMA | ZT_FMT_NO_CASE, 2);
  bool commaShown = false;
  EXPECT_EQ(1, Run(word, [&](HWND dialog) {
              commaShown = Checked(dialog, ZT_ID_DECIMAL_COMMA);
              EXPECT_EQ(nullptr, GetDlgItem(dialog, ZT_ID_SIGNED));
              Click(dialog, ZT_ID_THOUSANDS);
              Click(dialog, ZT_ID_FORMAT_OK);
            }));
  EXPECT_TRUE(commaShown);
  EXPECT_EQ(ztMakeFmt(ZT_KIND_DECIMAL, ZT_FMT_THOUSANDS | ZT_FMT_COMMA, 2), word);
}

TEST_F(FormatDialogs, DateAndTimeFormatsGoWithTheirParts) {
  unsigned word = ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE | ZT_FMT_TIME, 4, 1);
  int date = -1, time = -1;
  bool dateEnabled = false, dateEnabledAfter = true;
  std::string dateText;
  EXPECT_EQ(1, Run(word, [&](HWND dialog) {
              date = Selected(dialog, ZT_ID_DATE_FORMAT);
              time = Selected(dialog, ZT_ID_TIME_FORMAT);
              char text[64] = "";
              SendDlgItemMessageA(dialog, ZT_ID_DATE_FORMAT, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(text));
              dateText = text;
              dateEnabled = IsWindowEnabled(GetDlgItem(dialog, ZT_ID_DATE_FORMAT));
              Click(dialog, ZT_ID_DATE_PART);
              dateEnabledAfter = IsWindowEnabled(GetDlgItem(dialog, ZT_ID_DATE_FORMAT));
              Pick(dialog, ZT_ID_TIME_FORMAT, 3);
              Click(dialog, ZT_ID_FORMAT_OK);
            }));
  EXPECT_EQ(4, date);
  EXPECT_EQ(1, time);
  EXPECT_EQ("TT.MM.JJ", dateText);
  EXPECT_TRUE(dateEnabled);
  EXPECT_FALSE(dateEnabledAfter);
  // The cleared date part takes its format with it.
  EXPECT_EQ(ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_TIME, 0, 3), word);

  // A part switched on takes the format picked for it; a format picked for a part that stays off is dropped.
  bool timeEnabled = true;
  EXPECT_EQ(1, Run(word, [&](HWND dialog) {
              Click(dialog, ZT_ID_TIME_PART);
              timeEnabled = IsWindowEnabled(GetDlgItem(dialog, ZT_ID_TIME_FORMAT));
              Click(dialog, ZT_ID_DATE_PART);
              Pick(dialog, ZT_ID_DATE_FORMAT, 8);
              Click(dialog, ZT_ID_FORMAT_OK);
            }));
  EXPECT_FALSE(timeEnabled);
  EXPECT_EQ(ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE, 8), word);
}

TEST_F(FormatDialogs, OtherKindsOpenNothingAndANullWordEndsAtOnce) {
  unsigned word = ztMakeFmt(ZT_KIND_TEXT, ZT_FMT_NO_CASE, 0);
  EXPECT_EQ(0, ztEditFormatWord(nullptr, &word));
  EXPECT_EQ(0, ztEditFormatWord(nullptr, nullptr));
  for (unsigned id : {ZT_DLG_NUMBER_FORMAT, ZT_DLG_DECIMAL_FORMAT})
    EXPECT_EQ(0, ztTbl32Lib.DispDialogBoxParam(id, nullptr, ztNumberFormatProc, 0));
  EXPECT_EQ(0, ztTbl32Lib.DispDialogBoxParam(ZT_DLG_DATETIME_FORMAT, nullptr, ztDateTimeFormatProc, 0));
}

TEST_F(FormatDialogs, EnglishTemplatesWorkTheSame) {
  ASSERT_EQ(1, ztSetTbl32Language("E"));
  unsigned word = ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE, 0);
  std::string caption;
  EXPECT_EQ(1, Run(word, [&](HWND dialog) {
              char text[64] = "";
              GetWindowTextA(dialog, text, sizeof(text));
              caption = text;
              Click(dialog, ZT_ID_TIME_PART);
              Click(dialog, ZT_ID_FORMAT_OK);
            }));
  EXPECT_EQ("Date and Time", caption);
  EXPECT_EQ(ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE | ZT_FMT_TIME, 0, 0), word);
  ztSetTbl32Language("D");
}

}  // namespace
