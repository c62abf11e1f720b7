// The print object on metafile files (read back record by record) and on the
// system's print dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "emf_records.h"
#include "zt_lib32/print.h"
#include "zt_lib32/strings.h"

namespace {

using zt_test::EmfContent;
using zt_test::ReadEmf;

const char kDir[] = "print_test_out";

std::vector<int> g_footerLines;

int PageHeader(CZTPrint& print, int y) {
  print.LeftText(print.m_iLeft, y, print.m_pszTitle, 0);
  char page[32];
  ztFormat(page, sizeof(page), "Seite %u", print.m_uPage);
  return print.RightText(print.m_iRight, y, page, 0);
}

int PageFooter(CZTPrint& print, int y) {
  g_footerLines.push_back(y);
  return print.PrintHorLine(y + 4, 2, 10);
}

int ColumnHeader(CZTPrint& print, int y) {
  print.LeftText(ZT_PRINT_TAB0 + 1, y, "Name", 0);
  print.RightText(ZT_PRINT_TAB0 + 2, y, "Nr", 0);
  return y + print.m_iLineHeight;
}

class PrintToMetafile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove_all(kDir);
    std::filesystem::create_directories(kDir);
    g_footerLines.clear();
  }
  void TearDown() override {
    ztSetPrintOutput(ZT_PRINT_PRINTER, nullptr);
    std::filesystem::remove_all(kDir);
  }
  static std::string Path(const char* name) { return std::string(kDir) + "/" + name; }

  // Prints a title, column headers and n numbered lines; the line height used.
  static int PrintLines(unsigned n) {
    CZTPrint print;
    if (!print.OpenPrinterA(nullptr, "Test job", nullptr)) return 0;
    HFONT font = print.CreateDefFont("Times New Roman", 18, 11, 400, 0);
    EXPECT_NE(font, nullptr);
    SelectObject(print.m_hDC, font);
    print.m_iTab[1] = print.m_iLeft + print.MmX(100);
    print.m_iTab[2] = print.m_iLeft + print.MmX(800);
    print.m_pfnPageHeader = PageHeader;
    print.m_pszTitle = "Liste";
    EXPECT_EQ(1, print.StartPage());
    int y = ColumnHeader(print, print.GetLine(ZT_PRINT_BODY_LINE));
    print.m_pfnPageFooter = PageFooter;
    print.m_pfnColumnHeader = ColumnHeader;
    for (unsigned i = 1; i <= n; ++i) {
      char text[32];
      ztFormat(text, sizeof(text), "Zeile %u", i);
      print.LeftText(ZT_PRINT_TAB0 + 1, y, text, 0);
      print.RightDez(ZT_PRINT_TAB0 + 2, y, i);
      y = print.IncLine(y, print.m_iLineHeight);
    }
    PageFooter(print, y);
    EndPage(print.m_hDC);
    const int lineHeight = print.m_iLineHeight;
    EXPECT_EQ(1, print.ClosePrinter(0));
    DeleteObject(font);
    print.ClosePrinter(1);
    return lineHeight;
  }
};

TEST_F(PrintToMetafile, AreaAndUnitsOfAnA4Sheet) {
  ASSERT_EQ(1, ztSetPrintOutput(ZT_PRINT_EMF_PAGES, Path("area.emf").c_str()));
  CZTPrint print;
  ASSERT_NE(0, print.OpenPrinterA(nullptr, "Area", nullptr));
  EXPECT_EQ(600, print.m_iResX);
  EXPECT_EQ(600, print.m_iResY);
  EXPECT_EQ(472, print.MmX(200));  // 20 mm
  EXPECT_EQ(print.MmX(200), print.m_iLeft);
  EXPECT_EQ(print.MmX(2100) - print.MmX(150), print.m_iRight);
  EXPECT_EQ(print.MmY(150), print.GetLine(ZT_PRINT_HEADER_LINE));
  HFONT font = print.CreateDefFont("Times New Roman", 18, 11, 400, 0);
  ASSERT_NE(font, nullptr);
  // At least the 11-point pitch, and the body starts a line and the header space below the header line.
  EXPECT_GE(print.m_iLineHeight, 92);
  EXPECT_EQ(print.GetLine(ZT_PRINT_HEADER_LINE) + print.m_iLineHeight + print.MmY(60),
            print.GetLine(ZT_PRINT_BODY_LINE));
  EXPECT_EQ(print.GetLine(ZT_PRINT_BODY_LINE) + 2 * print.m_iLineHeight, print.GetLine(2));
  int bold = 0;
  HFONT boldFont = print.CreateFontHeight("Times New Roman", 18, 11, 700, 0, &bold);
  EXPECT_GE(bold, 92);
  print.m_iTab[3] = 1234;
  EXPECT_EQ(1234, print.TabX(ZT_PRINT_TAB0 + 3));
  EXPECT_EQ(77, print.TabX(77));
  // A line 0.2 mm thick and 1 mm above the next position.
  EXPECT_EQ(1000 + print.MmY(2) + print.MmY(10), print.PrintHorLine(1000, 2, 10));
  print.ClosePrinter(0);
  DeleteObject(font);
  DeleteObject(boldFont);
  print.ClosePrinter(1);
}

TEST_F(PrintToMetafile, OneFilePerPageWithHeadersRepeatedAndNoLineBelowTheBody) {
  ASSERT_EQ(1, ztSetPrintOutput(ZT_PRINT_EMF_PAGES, Path("list.emf").c_str()));
  char name[MAX_PATH];
  ASSERT_GT(ztPrintPageFile(2, name, sizeof(name)), 0u);
  EXPECT_EQ(Path("list-2.emf"), name);
  const int lineHeight = PrintLines(130);
  ASSERT_GT(lineHeight, 0);

  std::vector<EmfContent> pages;
  for (unsigned page = 1; ztPrintPageFile(page, name, sizeof(name)) && std::filesystem::exists(name); ++page)
    pages.push_back(ReadEmf(name));
  ASSERT_EQ(3u, pages.size());
  // The automatic footers end pages 1 and 2, the last one is the caller's.
  EXPECT_EQ(3u, g_footerLines.size());

  CZTPrint probe;  // the same layout, for the positions
  probe.m_iResX = probe.m_iResY = 600;
  const int left = probe.MmX(200), right = probe.MmX(2100) - probe.MmX(150);
  const int headerLine = probe.MmY(150);
  const int body = headerLine + lineHeight + probe.MmY(60);
  const int bottom = probe.MmY(2970) - probe.MmY(150) - probe.MmY(60);
  unsigned next = 1;
  for (unsigned p = 0; p < pages.size(); ++p) {
    const EmfContent& page = pages[p];
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(21000, page.frame.right - page.frame.left);
    ASSERT_GE(page.texts.size(), 4u);
    // Title left and page number right on the header line, then the column headers.
    EXPECT_EQ("Liste", page.texts[0].text);
    EXPECT_EQ(left, page.texts[0].x);
    EXPECT_EQ(headerLine, page.texts[0].y);
    EXPECT_EQ("Seite " + std::to_string(p + 1), page.texts[1].text);
    EXPECT_EQ(unsigned(TA_RIGHT), page.texts[1].align);
    EXPECT_EQ(right, page.texts[1].x);
    EXPECT_EQ("Name", page.texts[2].text);
    EXPECT_EQ(body, page.texts[2].y);
    EXPECT_EQ(400, page.texts[2].weight);
    // The lines follow on, each whole on its page, a line height apart, all above the bottom.
    int y = body + lineHeight;
    for (size_t i = 4; i + 1 < page.texts.size(); i += 2) {
      EXPECT_EQ("Zeile " + std::to_string(next), page.texts[i].text);
      EXPECT_EQ(std::to_string(next), page.texts[i + 1].text);
      EXPECT_EQ(unsigned(TA_RIGHT), page.texts[i + 1].align);
      EXPECT_EQ(page.texts[i].y, page.texts[i + 1].y);
      EXPECT_EQ(y, page.texts[i].y);
      EXPECT_LE(page.texts[i].y + lineHeight, bottom);
      y += lineHeight;
      ++next;
    }
    // The footer line below the last line of the page.
    ASSERT_EQ(1u, page.rects.size());
    EXPECT_EQ(y + 4, page.rects[0].top);
    EXPECT_EQ(left, page.rects[0].left);
  }
  EXPECT_EQ(131u, next);
}

TEST_F(PrintToMetafile, ABlockKeptTogetherMovesWholeToTheNextPage) {
  ASSERT_EQ(1, ztSetPrintOutput(ZT_PRINT_EMF_PAGES, Path("block.emf").c_str()));
  CZTPrint print;
  ASSERT_NE(0, print.OpenPrinterA(nullptr, "Block", nullptr));
  HFONT font = print.CreateDefFont("Times New Roman", 18, 11, 400, 0);
  print.m_pfnPageFooter = PageFooter;
  print.m_pfnColumnHeader = ColumnHeader;
  ASSERT_EQ(1, print.StartPage());
  const int h = print.m_iLineHeight;
  const int y = print.GetLine(ZT_PRINT_BODY_LINE);
  EXPECT_EQ(y, print.KeepTogether(y, 4 * h));
  // Three lines left above the bottom: a block of three stays, a block of four moves on.
  const int low = print.m_iBottom - 3 * h;
  EXPECT_EQ(low, print.KeepTogether(low, 3 * h));
  EXPECT_EQ(1u, print.m_uPage);
  EXPECT_EQ(y + h, print.KeepTogether(low, 4 * h));
  EXPECT_EQ(2u, print.m_uPage);
  EXPECT_EQ(std::vector<int>{low}, g_footerLines);
  // Taller than a page: it stays where it is.
  EXPECT_EQ(y + h, print.KeepTogether(y + h, print.m_iBottom));
  EXPECT_EQ(2u, print.m_uPage);
  EndPage(print.m_hDC);
  print.ClosePrinter(0);
  DeleteObject(font);
}

TEST_F(PrintToMetafile, OneFileWithEveryPageBelowTheOther) {
  ASSERT_EQ(1, ztSetPrintOutput(ZT_PRINT_EMF_FILE, Path("all.emf").c_str()));
  char name[MAX_PATH];
  ASSERT_GT(ztPrintPageFile(3, name, sizeof(name)), 0u);
  EXPECT_EQ(Path("all.emf"), name);
  ASSERT_GT(PrintLines(130), 0);
  const EmfContent all = ReadEmf(Path("all.emf"));
  ASSERT_TRUE(all.ok);
  EXPECT_EQ(3u, all.Pages());
  for (unsigned page = 1; page <= 3; ++page) EXPECT_NE(nullptr, all.Find("Seite " + std::to_string(page), page));
  ASSERT_NE(nullptr, all.Find("Zeile 130"));
  EXPECT_EQ(3u, all.Find("Zeile 130")->page);
  // The file spans three sheets, page edge to page edge.
  const double sheets = (all.frame.bottom - all.frame.top) / 29700.0;
  EXPECT_NEAR(3.0, sheets, 0.02);
  EXPECT_NEAR(21000, all.frame.right - all.frame.left, 200);
}

TEST_F(PrintToMetafile, AnOutputThatCannotBeCreatedDoesNotOpen) {
  EXPECT_EQ(0, ztSetPrintOutput(ZT_PRINT_EMF_PAGES, ""));
  EXPECT_EQ(0, ztSetPrintOutput(7, "x.emf"));
  EXPECT_EQ(unsigned(ZT_PRINT_PRINTER), ztGetPrintOutput());
  ASSERT_EQ(1, ztSetPrintOutput(ZT_PRINT_EMF_FILE, Path("missing/folder.emf").c_str()));
  CZTPrint print;
  EXPECT_EQ(0, print.OpenPrinterA(nullptr, "Nothing", nullptr));
  EXPECT_EQ(nullptr, print.m_hDC);
  EXPECT_EQ(1, print.ClosePrinter(1));
  EXPECT_FALSE(std::filesystem::exists(Path("missing")));
}

// Presses Cancel in every dialog and message box of the thread.
BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
  char cls[32] = "";
  GetClassNameA(window, cls, sizeof(cls));
  if (strcmp(cls, "#32770") == 0) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}

void CALLBACK CancelDialogs(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0); }

TEST(PrintDialog, CancelledOrMissingPrinterGivesNoPrinter) {
  ASSERT_EQ(1, ztSetPrintOutput(ZT_PRINT_PRINTER, nullptr));
  UINT_PTR timer = SetTimer(nullptr, 0, 100, CancelDialogs);
  CZTPrint print;
  EXPECT_EQ(0, print.OpenPrinterA(nullptr, "Cancelled", nullptr));
  EXPECT_EQ(0, print.OpenPrinterA(nullptr, "Cancelled", "No such printer"));
  KillTimer(nullptr, timer);
  EXPECT_EQ(nullptr, print.m_hDC);
  EXPECT_EQ(1, print.ClosePrinter(1));
}

}  // namespace
