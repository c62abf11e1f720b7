// The table description in the main window: the property sheet and printing.
#include "emf_records.h"
#include "modal_test_support.h"
#include "view_test_support.h"

namespace zv_test {
namespace {

using zt_test::ModalScript;

class ViewEditing : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    ASSERT_EQ(1, frame_.Open(Demo("sample.isa").c_str()));
    frame_.SelectTable(1);
  }
};

TEST_F(ViewEditing, PropertySheetCancelKeepsTheDescriptionAndOkAsksBeforeWriting) {
  ASSERT_EQ(1, frame_.Open(Demo("sample.cfg").c_str()));
  frame_.SelectTable(0);
  const std::string before = ReadBytes(Demo("sample.cfg"));
  // The name of the first field changed in the sheet, then Cancel.
  auto rename = [](HWND sheet, bool ok) {
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_INDEXTOHWND, 0, 0));
    HWND gridWindow = FindWindowExA(page, nullptr, kGridClassName, nullptr);
    IGridView* grid = reinterpret_cast<IGridView*>(SendMessageA(gridWindow, ZT_GRID_QUERY, 0, 0));
    grid->EditItem(0, 1);
    HWND edit = grid->GetChildHwnd();
    SetWindowTextA(edit, "Kundennummer");
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(sheet, PSM_PRESSBUTTON, ok ? PSBTN_OK : PSBTN_CANCEL, 0);
  };
  {
    ModalScript script({[&](HWND sheet) { rename(sheet, false); }});
    PressKey(frame_, VK_RETURN, kAlt);
    EXPECT_TRUE(script.AllStepsRan());
  }
  EXPECT_STREQ("CustNo", frame_.Table()->m_Fields.m_pFields[0].m_szName);
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(before, ReadBytes(Demo("sample.cfg")));

  // OK, and No to the question: changed in the window, not on disk.
  boxes_.answer = IDNO;
  {
    ModalScript script({[&](HWND sheet) { rename(sheet, true); }});
    frame_.Command(ZV_CMD_PROPERTIES);
  }
  EXPECT_STREQ("Kundennummer", frame_.Table()->m_Fields.m_pFields[0].m_szName);
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find("Customer"));
  EXPECT_EQ(before, ReadBytes(Demo("sample.cfg")));

  // OK with Yes: the description file has the new name.
  boxes_.answer = IDYES;
  boxes_.boxes.clear();
  {
    ModalScript script({[&](HWND sheet) {
      HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_INDEXTOHWND, 0, 0));
      HWND gridWindow = FindWindowExA(page, nullptr, kGridClassName, nullptr);
      IGridView* grid = reinterpret_cast<IGridView*>(SendMessageA(gridWindow, ZT_GRID_QUERY, 0, 0));
      grid->EditItem(1, 1);
      HWND edit = grid->GetChildHwnd();
      SetWindowTextA(edit, "Kundenname");
      SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
      PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    }});
    frame_.Command(ZV_CMD_PROPERTIES);
  }
  ASSERT_EQ(1u, boxes_.boxes.size());
  const std::string after = ReadBytes(Demo("sample.cfg"));
  EXPECT_NE(std::string::npos, after.find("\"Kundennummer\""));
  EXPECT_NE(std::string::npos, after.find("\"Kundenname\""));
  EXPECT_EQ(std::string::npos, after.find("\"CustNo\",")) << "Customer's first field renamed";
  WriteFile(Demo("sample.cfg"), before);
}

TEST_F(ViewEditing, PrintsTheListsToMetafilesAndPreviewsThem) {
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
