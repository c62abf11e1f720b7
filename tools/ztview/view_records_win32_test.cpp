// The records of a table in the main window: index order both ways, the end,
// jumping to a line, filtering, finding, copying, the property sheet and printing.
#include <filesystem>

#include "emf_records.h"
#include "modal_test_support.h"
#include "select_ids.h"
#include "view_test_support.h"

namespace zv_test {
namespace {

using zt_test::ModalScript;

class ViewRecords : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    ASSERT_EQ(1, frame_.Open(Demo("sample.isa").c_str()));
    frame_.SelectTable(1);  // Order: 80,000 records
    ASSERT_TRUE(frame_.m_bBrowsing);
  }
  IGridView* Records() const { return Grid(ZV_ID_RECORDS); }
  // The text of a record cell, as the grid paints it.
  std::string Shown(unsigned line, unsigned column) {
    char text[512] = "";
    frame_.m_Browser.GetDataField(line, column, text, sizeof(text));
    return text;
  }
  // Lines of ztdesc's export of the same table (header row first).
  std::vector<std::string> Dumped(const std::vector<std::string>& options) {
    std::vector<std::string> words = {"dump", Demo("sample.isa"), "Order", "--csv"};
    words.insert(words.end(), options.begin(), options.end());
    const std::string out = Demo("dump.csv");
    EXPECT_EQ(0, RunZtdesc(words, out));
    std::vector<std::string> lines;
    const std::string text = ReadBytes(out);
    size_t at = 0;
    while (at < text.size()) {
      const size_t end = text.find("\r\n", at);
      lines.push_back(text.substr(at, end - at));
      at = end == std::string::npos ? text.size() : end + 2;
    }
    return lines;
  }
  std::string Row(unsigned line) {
    std::string row;
    for (unsigned c = 0; c < 7; ++c) row += (c ? ";" : "") + Shown(line, c);
    return row;
  }
};

TEST_F(ViewRecords, IndexOrderForwardsAndBackwardsToTheEnd) {
  IGridView* grid = Records();
  ASSERT_EQ(80000u, grid->GetItemCount());
  frame_.Command(ZV_CMD_INDEX_FIRST + 1);
  const std::vector<std::string> forwards = Dumped({"--index", "2"});
  ASSERT_EQ(80001u, forwards.size());
  EXPECT_EQ(forwards[1], Row(0));
  // End as the person presses it: first the page's last line, then the table's.
  SetFocus(frame_.m_hRecords);
  PressKey(frame_, VK_END);
  EXPECT_LT(grid->GetCurItem(), 100u);
  PressKey(frame_, VK_END);
  EXPECT_EQ(79999u, grid->GetCurItem());
  EXPECT_EQ(0, grid->GetItemVisibility(79999));
  EXPECT_EQ(forwards[80000], Row(79999));
  frame_.Command(ZV_CMD_BACKWARDS);
  EXPECT_EQ(forwards[80000], Row(0));
  EXPECT_EQ(forwards[1], Row(79999));
}

TEST_F(ViewRecords, JumpToALineFromTheDialog) {
  {
    ModalScript script({[](HWND dialog) {
      char label[100] = "";
      GetDlgItemTextA(dialog, ZV_ID_INPUT_LABEL, label, sizeof(label));
      EXPECT_STREQ("&Zeile (1 - 80000):", label);
      SetDlgItemTextA(dialog, ZV_ID_INPUT_EDIT, "54321");
      SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }});
    PressKey(frame_, 'G', kCtrl);
    EXPECT_TRUE(script.AllStepsRan());
  }
  EXPECT_EQ(54320u, Records()->GetCurItem());
  EXPECT_EQ(0, Records()->GetItemVisibility(54320));
  EXPECT_EQ(frame_.m_hRecords, GetFocus());
  const std::vector<std::string> dumped = Dumped({"--index", "1"});
  EXPECT_EQ(dumped[54321], Row(54320));
  // A line beyond the end: the box, and the line stays.
  {
    ModalScript script({[](HWND dialog) {
      SetDlgItemTextA(dialog, ZV_ID_INPUT_EDIT, "80001");
      SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }});
    frame_.Command(ZV_CMD_GOTO);
  }
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find("80000"));
  EXPECT_EQ(54320u, Records()->GetCurItem());
}

TEST_F(ViewRecords, ASelectionFiltersAndFindNextWalksTheMatches) {
  frame_.Command(ZV_CMD_INDEX_FIRST + 1);
  {
    ModalScript script({[](HWND dialog) {
      SetDlgItemTextA(dialog, ZT_SEL_DLG_EDIT, "Article = Holzleim");
      SendMessageA(GetDlgItem(dialog, ZT_SEL_DLG_OK), BM_CLICK, 0, 0);
    }});
    PressKey(frame_, 'L', kCtrl);
    EXPECT_TRUE(script.AllStepsRan());
  }
  const std::vector<std::string> filtered = Dumped({"--index", "2", "--where", "Article = Holzleim"});
  ASSERT_GT(filtered.size(), 100u);
  EXPECT_EQ(filtered.size() - 1, Records()->GetItemCount());
  EXPECT_EQ(filtered[1], Row(0));
  EXPECT_EQ(filtered.back(), Row(Records()->GetItemCount() - 1));
  char expected[100];
  ztFormat(expected, sizeof(expected), "%u von 80000 Datens\xe4tzen", unsigned(filtered.size() - 1));
  EXPECT_EQ(0u, Status(ZV_STATUS_RECORDS).find(expected)) << Status(ZV_STATUS_RECORDS);

  // Find: the lines of the filtered display whose quantity is above 495, one after the other.
  std::vector<unsigned> matches;
  for (unsigned line = 0; line < filtered.size() - 1; ++line) {
    const std::string& row = filtered[line + 1];
    size_t field = 0;
    for (int i = 0; i < 4; ++i) field = row.find(';', field) + 1;
    if (atoi(row.c_str() + field) > 495) matches.push_back(line);
  }
  ASSERT_GE(matches.size(), 2u);
  {
    ModalScript script({[](HWND dialog) {
      SetDlgItemTextA(dialog, ZT_SEL_DLG_EDIT, "Quantity > 495");
      SendMessageA(GetDlgItem(dialog, ZT_SEL_DLG_OK), BM_CLICK, 0, 0);
    }});
    SetFocus(frame_.m_hRecords);
    PressKey(frame_, 'F', kCtrl);
  }
  EXPECT_EQ(matches[0], Records()->GetCurItem());
  PressKey(frame_, VK_F3);
  EXPECT_EQ(matches[1], Records()->GetCurItem());
  // After the last match: the box, and the line stays.
  frame_.GoToLine(matches.back());
  boxes_.boxes.clear();
  PressKey(frame_, VK_F3);
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find("Kein weiterer"));
  EXPECT_EQ(matches.back(), Records()->GetCurItem());
}

TEST_F(ViewRecords, CtrlCCopiesTheCellAndCtrlShiftCTheLineTabSeparated) {
  frame_.GoToLine(10);
  Records()->SelectItem(10, 6);
  PressKey(frame_, 'C', kCtrl);
  EXPECT_EQ(Shown(10, 6), ClipboardText());
  EXPECT_FALSE(ClipboardText().empty());
  PressKey(frame_, 'C', kCtrl | kShift);
  std::string row = Row(10);
  for (char& c : row)
    if (c == ';') c = '\t';
  EXPECT_EQ(row, ClipboardText());
}

// In the property sheet's fields page: field `line` gets a new name, then OK or Cancel.
void RenameField(HWND sheet, unsigned line, const char* name, bool ok) {
  HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_INDEXTOHWND, 0, 0));
  HWND gridWindow = FindWindowExA(page, nullptr, kGridClassName, nullptr);
  IGridView* grid = reinterpret_cast<IGridView*>(SendMessageA(gridWindow, ZT_GRID_QUERY, 0, 0));
  grid->EditItem(line, 1);
  HWND edit = grid->GetChildHwnd();
  SetWindowTextA(edit, name);
  SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
  PostMessageA(sheet, PSM_PRESSBUTTON, ok ? PSBTN_OK : PSBTN_CANCEL, 0);
}

TEST_F(ViewRecords, PropertySheetCancelKeepsTheDescriptionAndOkAsksBeforeWriting) {
  const std::string file = Demo("edit.cfg");
  const std::string before = ReadBytes(Demo("sample.cfg"));
  WriteFile(file, before);
  ASSERT_EQ(1, frame_.Open(file.c_str()));
  frame_.SelectTable(0);
  // The name of the first field changed in the sheet, then Cancel.
  {
    ModalScript script({[](HWND sheet) { RenameField(sheet, 0, "Kundennummer", false); }});
    PressKey(frame_, VK_RETURN, kAlt);
    EXPECT_TRUE(script.AllStepsRan());
  }
  EXPECT_STREQ("CustNo", frame_.Table()->m_Fields.m_pFields[0].m_szName);
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(before, ReadBytes(file));

  // OK, and No to the question: changed in the window, not on disk.
  boxes_.answer = IDNO;
  {
    ModalScript script({[](HWND sheet) { RenameField(sheet, 0, "Kundennummer", true); }});
    frame_.Command(ZV_CMD_PROPERTIES);
  }
  EXPECT_STREQ("Kundennummer", frame_.Table()->m_Fields.m_pFields[0].m_szName);
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find("Customer"));
  EXPECT_EQ(before, ReadBytes(file));

  // OK with Yes: the description file has both new names.
  boxes_.answer = IDYES;
  boxes_.boxes.clear();
  {
    ModalScript script({[](HWND sheet) { RenameField(sheet, 1, "Kundenname", true); }});
    frame_.Command(ZV_CMD_PROPERTIES);
  }
  ASSERT_EQ(1u, boxes_.boxes.size());
  const std::string after = ReadBytes(file);
  EXPECT_NE(std::string::npos, after.find("\"Kundennummer\""));
  EXPECT_NE(std::string::npos, after.find("\"Kundenname\""));
  EXPECT_EQ(std::string::npos, after.find("\"CustNo\",")) << "Customer's first field renamed";
}

TEST_F(ViewRecords, AChangedDescriptionOfAnIsamFileGoesToANewDescriptionFile) {
  const std::string isam = ReadBytes(Demo("sample.isa"));
  frame_.SelectTable(0);
  FileDialogAnswer::name = Demo("changed.cfg");
  DeleteFileA(FileDialogAnswer::name.c_str());
  boxes_.answer = IDYES;
  {
    ModalScript script({[](HWND sheet) { RenameField(sheet, 0, "Kundennummer", true); }});
    frame_.Command(ZV_CMD_PROPERTIES);
  }
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_EQ(unsigned(MB_YESNO), boxes_.boxes[0].style & MB_TYPEMASK);
  EXPECT_TRUE(FileDialogAnswer::lastSave);
  const std::string written = ReadBytes(Demo("changed.cfg"));
  EXPECT_NE(std::string::npos, written.find("\"Kundennummer\""));
  EXPECT_NE(std::string::npos, written.find("\"Order\""));  // every table of the file
  EXPECT_TRUE(isam == ReadBytes(Demo("sample.isa"))) << "the ISAM file is left as it is";
  // The window shows the changed description on the records.
  EXPECT_STREQ("Kundennummer", frame_.Table()->m_Fields.m_pFields[0].m_szName);
  EXPECT_TRUE(frame_.m_bBrowsing);
}

TEST_F(ViewRecords, PrintsTheListsToMetafilesAndPreviewsThem) {
  const std::string pattern = Demo("print.emf");
  ASSERT_EQ(1, ztSetPrintOutput(ZT_PRINT_EMF_PAGES, pattern.c_str()));
  PressKey(frame_, 'P', kCtrl);
  const zt_test::EmfContent fields = zt_test::ReadEmf(Demo("print-1.emf"));
  ASSERT_TRUE(fields.ok);
  for (const char* name : {"OrderNo", "CustNo", "OrderDate", "Amount", "Quantity", "Weight", "Article"})
    EXPECT_NE(nullptr, fields.Find(name)) << name;
  frame_.Command(ZV_CMD_PRINT_KEYS);
  const zt_test::EmfContent keys = zt_test::ReadEmf(Demo("print-1.emf"));
  ASSERT_TRUE(keys.ok);
  EXPECT_NE(nullptr, keys.Find("Article"));
  ztSetPrintOutput(ZT_PRINT_PRINTER, nullptr);

  frame_.Command(ZV_CMD_PRINT_PREVIEW);
  ASSERT_NE(nullptr, frame_.m_Preview.m_hWnd);
  ASSERT_GE(frame_.m_Preview.m_Pages.size(), 2u);  // the field list, then the key list
  EXPECT_NE(nullptr, zt_test::ReadEmf(frame_.m_Preview.m_Pages[0]).Find("OrderDate"));
  EXPECT_NE(nullptr, zt_test::ReadEmf(frame_.m_Preview.m_Pages.back()).Find("Article"));
  // Page Down turns to the next page; Escape closes.
  SendMessageA(frame_.m_Preview.m_hWnd, WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(1u, frame_.m_Preview.m_uPage);
  // The page paints into a memory bitmap: a white sheet with dark text on it.
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  RECT client;
  GetClientRect(frame_.m_Preview.m_hWnd, &client);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageA(frame_.m_Preview.m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  // The sheet is white; the text on it is whatever is neither white nor the background around it.
  const COLORREF background = GetSysColor(COLOR_APPWORKSPACE);
  unsigned white = 0, ink = 0;
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      if (c == RGB(255, 255, 255))
        ++white;
      else if (c != background)
        ++ink;
    }
  EXPECT_GT(white, 1000u);
  EXPECT_GT(ink, 20u);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  SendMessageA(frame_.m_Preview.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(nullptr, frame_.m_Preview.m_hWnd);
  EXPECT_EQ(unsigned(ZT_PRINT_PRINTER), ztGetPrintOutput());
}

}  // namespace
}  // namespace zv_test
