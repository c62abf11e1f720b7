#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zt_tbl32.h"

namespace {

// An in-memory dialog template with two static items (ids 10 and 11).
class DialogTemplate {
 public:
  DialogTemplate() {
    DLGTEMPLATE dlg{};
    dlg.style = WS_POPUP | DS_SETFONT;
    dlg.cdit = 2;
    dlg.cx = 200;
    dlg.cy = 60;
    add(&dlg, sizeof(dlg));
    word(0);  // menu
    word(0);  // class
    word(0);  // title
    word(8);
    text(L"MS Shell Dlg");
    item(10, 10);
    item(11, 30);
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

 private:
  void add(const void* p, size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    data_.insert(data_.end(), b, b + n);
  }
  void word(WORD w) { add(&w, sizeof(w)); }
  void text(const wchar_t* s) {
    for (; *s; ++s) word(WORD(*s));
    word(0);
  }
  void align() {
    while (data_.size() % 4) data_.push_back(0);
  }
  void item(WORD id, short y) {
    align();
    DLGITEMTEMPLATE it{};
    it.style = WS_CHILD | WS_VISIBLE | SS_LEFT;
    it.x = 5;
    it.y = y;
    it.cx = 150;
    it.cy = 12;
    it.id = id;
    add(&it, sizeof(it));
    word(0xFFFF);
    word(0x0082);  // static
    text(L"unchanged");
    word(0);
  }
  std::vector<unsigned char> data_;
};

INT_PTR CALLBACK noopProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

std::string itemText(HWND dialog, int id) {
  char buf[64] = "";
  GetDlgItemTextA(dialog, id, buf, sizeof(buf));
  return buf;
}

}  // namespace

TEST(FrameWin32, DispTbl32VersionSetsOnlyTheItemsAskedFor) {
  DialogTemplate tmpl;
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), tmpl.get(), nullptr, noopProc, 0);
  ASSERT_NE(nullptr, dialog);
  ztDispTbl32Version(dialog, 0, 0);
  EXPECT_EQ("unchanged", itemText(dialog, 10));
  EXPECT_EQ("unchanged", itemText(dialog, 11));
  ztDispTbl32Version(dialog, 0, 11);
  EXPECT_EQ("unchanged", itemText(dialog, 10));
  EXPECT_EQ("Build 0087", itemText(dialog, 11));
  ztDispTbl32Version(dialog, 10, 0);
  EXPECT_EQ("Release 1.00", itemText(dialog, 10));
  DestroyWindow(dialog);
}

TEST(FrameWin32, ListBoxDisplayFillsAndSelects) {
  HWND list = CreateWindowA("LISTBOX", "", WS_POPUP | LBS_SORT, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, list);
  ASSERT_EQ(1, lbJustTypes.Display(list, 1));  // right
  EXPECT_EQ(3, SendMessageA(list, LB_GETCOUNT, 0, 0));
  EXPECT_EQ(2, SendMessageA(list, LB_GETCURSEL, 0, 0));
  char text[64];
  SendMessageA(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ("zentriert", text);  // table order is kept even in a sorted list
  EXPECT_EQ(2, SendMessageA(list, LB_GETITEMDATA, 1, 0));
  ASSERT_EQ(1, lbFldTypes.Display(list, 0xFFFFFFFFu));
  EXPECT_EQ(25, SendMessageA(list, LB_GETCOUNT, 0, 0));
  EXPECT_EQ(LB_ERR, SendMessageA(list, LB_GETCURSEL, 0, 0));
  EXPECT_EQ(0, lbFldTypes.Display(nullptr, 0));
  DestroyWindow(list);
}

TEST(FrameWin32, LanguageLibrariesLieBesideTheLibrary) {
  char own[MAX_PATH];
  ASSERT_TRUE(GetModuleFileNameA(GetModuleHandleA("zt_tbl32.dll"), own, sizeof(own)));
  char path[MAX_PATH];
  ASSERT_EQ(1, ztTbl32Lib.ResDLLPath("E", path, sizeof(path)));
  std::string expected(own);
  expected = expected.substr(0, expected.find_last_of('\\') + 1) + "zt_tblrcE.dll";
  EXPECT_STREQ(expected.c_str(), path);
}
