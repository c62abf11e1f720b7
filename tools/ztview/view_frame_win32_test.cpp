// The main window driven as a person drives it: menus, keys, the side pane.
#include <string.h>

#include <algorithm>

#include "view_test_support.h"

namespace zv_test {
namespace {

using ViewFrame = FrameTest;

// Every item text of a popup and its submenus.
void MenuTexts(HMENU menu, std::vector<std::string>& texts, std::vector<unsigned>& ids) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[300] = "";
    GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
    if (HMENU sub = GetSubMenu(menu, i)) {
      texts.push_back(text);
      MenuTexts(sub, texts, ids);
    } else if (text[0]) {
      texts.push_back(text);
      ids.push_back(GetMenuItemID(menu, i));
    }
  }
}

TEST_F(ViewFrame, OpensTheDemoFilesThroughTheOpenDialogAndRemembersThem) {
  FileDialogAnswer::name = Demo("sample.isa");
  frame_.Command(ZV_CMD_OPEN);
  EXPECT_EQ(1u, FileDialogAnswer::asked);
  EXPECT_FALSE(FileDialogAnswer::lastSave);
  ASSERT_TRUE(frame_.m_bOpen);
  EXPECT_TRUE(boxes_.boxes.empty());
  ASSERT_EQ(2u, Grid(ZV_ID_TABLES)->GetItemCount());
  EXPECT_EQ("Customer", Cell(ZV_ID_TABLES, 0, 0));
  EXPECT_EQ("Order", Cell(ZV_ID_TABLES, 1, 0));
  EXPECT_EQ(0u, frame_.m_uTable);
  EXPECT_EQ("sample.isa: Customer", Status(ZV_STATUS_TABLE));
  EXPECT_EQ("20000 Datens\xe4tze, Index 1: CustNo", Status(ZV_STATUS_RECORDS));
  EXPECT_EQ("Keine Auswahl", Status(ZV_STATUS_SELECTION));
  char title[300];
  GetWindowTextA(frame_.m_hWnd, title, sizeof(title));
  EXPECT_STREQ("sample.isa - ZT View", title);

  // The description file next, then the first file again from the recent files.
  FileDialogAnswer::name = Demo("sample.cfg");
  PressKey(frame_, 'O', kCtrl);
  EXPECT_EQ(2u, FileDialogAnswer::asked);
  EXPECT_FALSE(frame_.m_File.m_bIsamFile);
  ASSERT_EQ(2u, frame_.m_Settings.m_Recent.m_uCount);
  EXPECT_EQ(Demo("sample.cfg"), frame_.m_Settings.m_Recent.m_szItems[0]);
  frame_.Command(ZV_CMD_RECENT_FIRST + 1);
  EXPECT_TRUE(frame_.m_File.m_bIsamFile);
  EXPECT_EQ(Demo("sample.isa"), frame_.m_Settings.m_Recent.m_szItems[0]);

  // A cancelled dialog changes nothing.
  FileDialogAnswer::cancel = true;
  frame_.Command(ZV_CMD_OPEN);
  EXPECT_TRUE(frame_.m_File.m_bIsamFile);

  // The next run of the application finds them in its settings.
  CViewSettings again;
  ztStrCopy(again.m_szFileName, settings_.c_str(), sizeof(again.m_szFileName));
  ASSERT_EQ(1, again.Load());
  ASSERT_EQ(2u, again.m_Recent.m_uCount);
  EXPECT_EQ(Demo("sample.isa"), again.m_Recent.m_szItems[0]);
  EXPECT_EQ(Demo("sample.cfg"), again.m_Recent.m_szItems[1]);
}

TEST_F(ViewFrame, ChoosingATableOrAnIndexFollowsInGridAndStatusBar) {
  ASSERT_EQ(1, frame_.Open(Demo("sample.isa").c_str()));
  SetFocus(frame_.m_hTables);
  PressKey(frame_, VK_DOWN);
  EXPECT_EQ(1u, frame_.m_uTable);
  EXPECT_EQ("sample.isa: Order", Status(ZV_STATUS_TABLE));
  frame_.Command(ZV_CMD_INDEX_FIRST + 2);
  EXPECT_EQ("80000 Datens\xe4tze, Index 3: Article+CustNo+OrderNo", Status(ZV_STATUS_RECORDS));
  PressKey(frame_, 'B', kCtrl);
  EXPECT_TRUE(frame_.m_bBackwards);
  EXPECT_EQ(
      "80000 Datens\xe4tze, Index 3: Article+CustNo+OrderNo, r\xfc"
      "ckw\xe4rts",
      Status(ZV_STATUS_RECORDS));
  // The record grid has a column per field of the table.
  const CZTTableDesc* table = frame_.Table();
  ASSERT_NE(table, nullptr);
  EXPECT_STREQ("Order", table->m_szName);
  // An index the table does not have is ignored.
  frame_.Command(ZV_CMD_INDEX_FIRST + 3);
  EXPECT_EQ(2u, frame_.m_uIndex);
  // Back to the first table: index and direction start again.
  PressKey(frame_, VK_UP);
  EXPECT_EQ(0u, frame_.m_uTable);
  EXPECT_EQ(0u, frame_.m_uIndex);
  EXPECT_FALSE(frame_.m_bBackwards);
}

TEST_F(ViewFrame, SidePaneShowsOnlyDescriptionAndIsamFilesAndOpensThemWithEnter) {
  // A folder of its own: the demo's files, a text, a subfolder with a description
  // in capitals and a subfolder with nothing of interest.
  const std::string pane = TestFolder("ztview_pane");
  WriteFile(pane + "\\sample.isa", ReadBytes(Demo("sample.isa")));
  WriteFile(pane + "\\sample.cfg", ReadBytes(Demo("sample.cfg")));
  WriteFile(pane + "\\notes.txt", "not shown");
  CreateDirectoryA((pane + "\\sub").c_str(), nullptr);
  CreateDirectoryA((pane + "\\empty").c_str(), nullptr);
  WriteFile(pane + "\\sub\\OTHER.CFG", ReadBytes(Demo("sample.cfg")));
  WriteFile(pane + "\\empty\\image.jpg", "not shown");
  ASSERT_EQ(1, frame_.ShowFolder(pane.c_str()));
  std::vector<std::string> shown;
  for (unsigned f = 0; f < frame_.m_Side.m_Tree.m_uAccepted; ++f)
    shown.push_back(frame_.m_Side.m_Tree.m_pFiles[f].szPath + frame_.m_Side.m_Tree.m_pFiles[f].uNameOffset);
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ((std::vector<std::string>{"OTHER.CFG", "sample.cfg", "sample.isa"}), shown);
  // The tree: the folder, its files, "sub" with its file; "empty" is left out.
  EXPECT_EQ(5, SendMessageA(frame_.m_Side.m_hWnd, TVM_GETCOUNT, 0, 0));
  HTREEITEM item = frame_.m_Side.FindFile((pane + "\\sample.isa").c_str());
  ASSERT_NE(item, nullptr);
  EXPECT_NE(nullptr, frame_.m_Side.FindFile((pane + "\\sub\\OTHER.CFG").c_str()));
  EXPECT_EQ(nullptr, frame_.m_Side.FindFile((pane + "\\notes.txt").c_str()));
  SendMessageA(frame_.m_Side.m_hWnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  SetFocus(frame_.m_Side.m_hWnd);
  PressKey(frame_, VK_RETURN);
  ASSERT_TRUE(frame_.m_bOpen);
  EXPECT_EQ(pane + "\\sample.isa", frame_.m_File.m_szFileName);
  // A folder that is not there: the box, and an empty pane.
  boxes_.boxes.clear();
  EXPECT_EQ(0, frame_.ShowFolder(Demo("missing").c_str()));
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find("missing"));
  EXPECT_EQ(0, SendMessageA(frame_.m_Side.m_hWnd, TVM_GETCOUNT, 0, 0));
}

TEST_F(ViewFrame, TabAndF6MoveThroughThePanes) {
  ASSERT_EQ(1, frame_.Open(Demo("sample.isa").c_str()));
  SetFocus(frame_.m_Side.m_hWnd);
  PressKey(frame_, VK_TAB);
  EXPECT_EQ(frame_.m_hTables, GetFocus());
  PressKey(frame_, VK_TAB);
  EXPECT_EQ(frame_.m_hRecords, GetFocus());
  PressKey(frame_, VK_F6);
  EXPECT_EQ(frame_.m_Side.m_hWnd, GetFocus());
  PressKey(frame_, VK_TAB, kShift);
  EXPECT_EQ(frame_.m_hRecords, GetFocus());
}

TEST_F(ViewFrame, EveryCommandHasAMenuItemWithItsOwnMnemonicInBothLanguages) {
  for (const char* language : {"D", "E"}) {
    frame_.SetLanguage(language);
    std::vector<std::string> texts;
    std::vector<unsigned> ids;
    MenuTexts(frame_.m_hMenu, texts, ids);
    for (unsigned id :
         {ZV_CMD_OPEN,       ZV_CMD_FOLDER,        ZV_CMD_EXPORT,       ZV_CMD_CHECK,      ZV_CMD_PRINT_FIELDS,
          ZV_CMD_PRINT_KEYS, ZV_CMD_PRINT_PREVIEW, ZV_CMD_EXIT,         ZV_CMD_PROPERTIES, ZV_CMD_BACKWARDS,
          ZV_CMD_GOTO,       ZV_CMD_SELECTION,     ZV_CMD_NO_SELECTION, ZV_CMD_FIND_NEXT,  ZV_CMD_COPY,
          ZV_CMD_COPY_LINE,  ZV_CMD_GERMAN,        ZV_CMD_ENGLISH,      ZV_CMD_NEXT_PANE,  ZV_CMD_REFRESH,
          ZV_CMD_ABOUT})
      EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end()) << language << " " << id;
    // Within each popup (the bar included) no two items share a mnemonic.
    std::vector<HMENU> menus = {frame_.m_hMenu};
    for (size_t m = 0; m < menus.size(); ++m) {
      std::string seen;
      for (int i = 0; i < GetMenuItemCount(menus[m]); ++i) {
        char text[300] = "";
        GetMenuStringA(menus[m], i, text, sizeof(text), MF_BYPOSITION);
        if (HMENU sub = GetSubMenu(menus[m], i)) menus.push_back(sub);
        const UINT id = GetMenuItemID(menus[m], i);
        const bool placeholder = (id == ZV_CMD_RECENT_FIRST || id == ZV_CMD_INDEX_FIRST) &&
                                 (GetMenuState(menus[m], i, MF_BYPOSITION) & MF_GRAYED);
        if (!text[0] || placeholder) continue;
        const char* amp = strchr(text, '&');
        ASSERT_NE(amp, nullptr) << language << ": " << text;
        const char letter = static_cast<char>(toupper(static_cast<unsigned char>(amp[1])));
        EXPECT_EQ(std::string::npos, seen.find(letter)) << language << ": " << text;
        seen += letter;
      }
    }
  }
}

TEST_F(ViewFrame, TheLanguageSwitchesWhileRunning) {
  ASSERT_EQ(1, frame_.Open(Demo("sample.isa").c_str()));
  char text[100];
  GetMenuStringA(frame_.m_hMenu, 0, text, sizeof(text), MF_BYPOSITION);
  EXPECT_STREQ("&Datei", text);
  EXPECT_EQ("Keine Auswahl", Status(ZV_STATUS_SELECTION));
  frame_.Command(ZV_CMD_ENGLISH);
  GetMenuStringA(frame_.m_hMenu, 0, text, sizeof(text), MF_BYPOSITION);
  EXPECT_STREQ("&File", text);
  EXPECT_EQ("No selection", Status(ZV_STATUS_SELECTION));
  EXPECT_EQ(0u, frame_.m_uTable);  // the table stays chosen
  EXPECT_EQ(MF_CHECKED, GetMenuState(frame_.m_hMenu, ZV_CMD_ENGLISH, MF_BYCOMMAND) & MF_CHECKED);
  // The library's texts follow too: its box for a missing file is English now.
  frame_.Open(Demo("missing.cfg").c_str());
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_EQ(std::string::npos, boxes_.boxes[0].text.find("Datei")) << boxes_.boxes[0].text;
  // The choice is kept for the next run.
  CViewSettings again;
  ztStrCopy(again.m_szFileName, settings_.c_str(), sizeof(again.m_szFileName));
  again.Load();
  EXPECT_STREQ("E", again.m_szLanguage);
  frame_.Command(ZV_CMD_GERMAN);
  GetMenuStringA(frame_.m_hMenu, 0, text, sizeof(text), MF_BYPOSITION);
  EXPECT_STREQ("&Datei", text);
}

TEST_F(ViewFrame, CopiesTheCurrentCellOrLineOfTheTableList) {
  ASSERT_EQ(1, frame_.Open(Demo("sample.isa").c_str()));
  SetFocus(frame_.m_hTables);
  PressKey(frame_, VK_DOWN);
  PressKey(frame_, 'C', kCtrl);
  EXPECT_EQ("Order", ClipboardText());
  PressKey(frame_, 'C', kCtrl | kShift);
  const std::string line = ClipboardText();
  EXPECT_EQ(0u, line.find("Order\t7\t3\t")) << line;
}

}  // namespace
}  // namespace zv_test
