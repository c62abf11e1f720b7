// The selection dialog driven as a user would: type, press the buttons, read the list.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "modal_test_support.h"
#include "select_ids.h"
#include "box_recorder.h"
#include "log_capture.h"
#include "zt_tbl32/tbl_sel_dlg.h"

namespace {

// The script runs from a timer inside the dialog's own message loop.
unsigned RunDialog(CZTTblSelDesc& sel, std::function<void(HWND)> script) {
  zt_test::ModalScript run({std::move(script)});
  CZTTblSelDlg dlg(&sel);
  const unsigned result = dlg.Dialog(nullptr);
  EXPECT_TRUE(run.AllStepsRan());
  EXPECT_EQ(0u, run.Cancelled());
  return result;
}

std::string EditText(HWND dialog) {
  char text[600];
  GetDlgItemTextA(dialog, ZT_SEL_DLG_EDIT, text, sizeof(text));
  return text;
}

// The rows of the list view as "column op value".
std::vector<std::string> Rows(HWND dialog) {
  HWND list = GetDlgItem(dialog, ZT_SEL_DLG_LIST);
  std::vector<std::string> rows;
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::string row;
    for (int column = 0; column < 3; ++column) {
      char text[128] = "";
      LVITEMA item = {};
      item.iSubItem = column;
      item.pszText = text;
      item.cchTextMax = sizeof(text);
      SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
      row += (column ? " " : "") + std::string(text);
    }
    rows.push_back(row);
  }
  return rows;
}

void Type(HWND dialog, const char* text) { SetDlgItemTextA(dialog, ZT_SEL_DLG_EDIT, text); }
void Press(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

class SelectionDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ztSetTbl32Language("D");
    ASSERT_TRUE(ztTbl32Lib.m_bResLoaded) << "the language library zt_tblrcD.dll is needed";
  }
  BoxRecorder boxes_;
};

TEST_F(SelectionDialog, ShowsParsesListsAndTakesTheNewText) {
  CZTTblSelDesc sel;
  ASSERT_EQ(1, sel.parse("name = meier", 12));
  std::string shown, header;
  std::vector<std::string> first, parsed;
  bool openAfterError = false;
  unsigned result = RunDialog(sel, [&](HWND dialog) {
    shown = EditText(dialog);
    first = Rows(dialog);
    HWND headerCtl = reinterpret_cast<HWND>(SendDlgItemMessageA(dialog, ZT_SEL_DLG_LIST, LVM_GETHEADER, 0, 0));
    char text[64] = "";
    HDITEMA hd = {};
    hd.mask = HDI_TEXT;
    hd.pszText = text;
    hd.cchTextMax = sizeof(text);
    SendMessageA(headerCtl, HDM_GETITEMA, 0, reinterpret_cast<LPARAM>(&hd));
    header = text;
    Type(dialog, "a=1 oder b<>2 und c >= 'x y'");
    Press(dialog, ZT_SEL_DLG_PARSE);
    parsed = Rows(dialog);
    Type(dialog, "a => 1");
    Press(dialog, ZT_SEL_DLG_OK);  // a syntax error keeps the dialog open
    openAfterError = IsWindow(dialog) && IsWindowVisible(dialog);
    Type(dialog, "plz < 60000");
    Press(dialog, ZT_SEL_DLG_OK);
  });
  EXPECT_EQ(1u, result);
  EXPECT_EQ("NAME == \"meier\"", shown);
  EXPECT_EQ(std::vector<std::string>{"NAME == meier"}, first);
  EXPECT_EQ("Spalte", header);
  EXPECT_EQ((std::vector<std::string>{"A == 1", "B != 2", "C >= x y"}), parsed);
  EXPECT_TRUE(openAfterError);
  EXPECT_EQ(std::vector<unsigned>{ZT_SEL_ERR_ILLEGAL_COMPARISON}, boxes_.Codes());
  char text[64];
  sel.edit(text, sizeof(text));
  EXPECT_STREQ("PLZ < \"60000\"", text);
}

TEST_F(SelectionDialog, CancelAndCloseKeepTheSelection) {
  CZTTblSelDesc sel;
  ASSERT_EQ(1, sel.parse("a = 1", 5));
  EXPECT_EQ(0u, RunDialog(sel, [](HWND dialog) {
              Type(dialog, "b = 2");
              Press(dialog, ZT_SEL_DLG_CANCEL);
            }));
  EXPECT_EQ(0u, RunDialog(sel, [](HWND dialog) {
              Type(dialog, "b = 2");
              SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            }));
  EXPECT_EQ(0u, RunDialog(sel, [](HWND dialog) {
              Type(dialog, "b = 2");
              SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            }));
  char text[64];
  sel.edit(text, sizeof(text));
  EXPECT_STREQ("A == \"1\"", text);
  // OK without a change takes the selection as it was.
  EXPECT_EQ(1u, RunDialog(sel, [](HWND dialog) { Press(dialog, ZT_SEL_DLG_OK); }));
  sel.edit(text, sizeof(text));
  EXPECT_STREQ("A == \"1\"", text);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(SelectionDialog, EnglishTemplateAndEmptySelection) {
  ASSERT_EQ(1, ztSetTbl32Language("E"));
  CZTTblSelDesc sel;
  std::string caption;
  size_t rows = 99;
  EXPECT_EQ(1u, RunDialog(sel, [&](HWND dialog) {
              char text[64];
              GetWindowTextA(dialog, text, sizeof(text));
              caption = text;
              rows = Rows(dialog).size();
              Type(dialog, "  ");
              Press(dialog, ZT_SEL_DLG_OK);
            }));
  EXPECT_EQ("Selection", caption);
  EXPECT_EQ(0u, rows);
  EXPECT_EQ(0u, sel.m_Root.fAlloc);
  ztSetTbl32Language("D");
}

}  // namespace
