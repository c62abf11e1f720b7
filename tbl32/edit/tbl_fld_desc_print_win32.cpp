// The printed editable field table.
#include "edit_codes.h"
#include "frame_util.h"
#include "print_layout.h"
#include "zt_lib32/print.h"
#include "zt_tbl32/tbl_fld_desc.h"

namespace {

const char kFace[] = "Times New Roman";
const char kTitle[] = "zt_tbl32: Table Field Description";

// Fonts of the table being printed; the page routines read them (one table
// prints at a time).
HFONT s_hDefFont = nullptr;
HFONT s_hBoldFont = nullptr;

inline unsigned Tab(unsigned i) { return ZT_PRINT_TAB0 + i; }

void LoadText(unsigned id, char* text, unsigned size) {
  if (!ztTbl32Lib.LoadResString(id, text, size)) text[0] = '\0';
}

int PageHeader(CZTPrint& print, int y) {
  SelectObject(print.m_hDC, s_hDefFont);
  print.LeftText(print.m_iLeft, y, print.m_pszTitle, 0);
  char date[16], time[16], text[40];
  ztLocalDateText(date, sizeof(date));
  ztLocalTimeText(time, sizeof(time));
  ztFormat(text, sizeof(text), "%s  %s", date, time);
  print.RightText(print.m_iRight, y, text, 0);
  return y;
}

int Rule(CZTPrint& print, int y) { return print.PrintHorLine(y + print.m_iLineHeight, 4, 10); }

int ColumnHeaders(CZTPrint& print, int y) {
  char text[64];
  SelectObject(print.m_hDC, s_hBoldFont);
  static const bool kRight[6] = {false, true, true, false, true, false};
  for (unsigned i = 0; i < 6; ++i) {
    LoadText(ZT_STR_TBLFLD_HEADER + i, text, sizeof(text));
    if (kRight[i])
      print.RightText(Tab(i), y, text, 0);
    else
      print.LeftText(Tab(i), y, text, 0);
  }
  SelectObject(print.m_hDC, s_hDefFont);
  return Rule(print, y);
}

}  // namespace

int CZTTblFldDesc::PrintDesc(HWND owner) const {
  HWND focus = GetFocus();
  CZTPrint print;
  ztSetListLayout(print);
  if (!print.OpenPrinterA(owner, kTitle, nullptr)) {
    if (focus) SetFocus(focus);
    print.ClosePrinter(1);
    return 0;
  }
  s_hDefFont = print.CreateDefFont(kFace, 18, 10, 400, 0);
  s_hBoldFont = print.CreateFontHeight(kFace, 18, 10, 700, 0, nullptr);
  print.m_pfnPageHeader = PageHeader;
  print.m_pszTitle = kTitle;
  print.StartPage();

  // The list view's shares of the width: name 25 (and offset 10 before its
  // right edge), length 10, column type 35 (and width 10), justification; the
  // width is the printable one less 10 mm.
  const int w = print.m_iRight - print.m_iLeft - print.MmX(100);
  int* t = print.m_iTab;
  t[0] = print.m_iLeft;
  t[1] = print.m_iLeft + ((25 + 10) * w + 50) / 100;
  t[2] = t[1] + (10 * w + 50) / 100;
  t[3] = t[2] + print.MmX(50);
  t[4] = t[3] + ((35 + 10) * w + 50) / 100;
  t[5] = t[4] + print.MmX(50);

  int y = ColumnHeaders(print, print.GetLine(ZT_PRINT_BODY_LINE));
  print.m_pfnPageFooter = Rule;
  print.m_pfnColumnHeader = ColumnHeaders;
  char text[64];
  for (unsigned i = 0; i < m_uCount; ++i) {
    const SZTTblField& row = m_pFields[i];
    print.LeftText(Tab(0), y, row.szName, row.uNameLength);
    print.RightDez(Tab(1), y, row.uOffset);
    print.RightDez(Tab(2), y, row.uLength);
    if (ztTblIsColumnType(row.uType)) {
      LoadText(ZT_STR_COLUMN_TYPE + row.uType, text, sizeof(text));
      print.LeftText(Tab(3), y, text, 0);
    }
    print.RightDez(Tab(4), y, row.uWidth);
    const unsigned just = ztTblJustStringId(row.uJust);
    if (just != ZT_STR_JUST_UNKNOWN) {
      LoadText(just, text, sizeof(text));
      print.LeftText(Tab(5), y, text, 0);
    }
    y = print.IncLine(y, print.m_iLineHeight);
  }
  Rule(print, y);
  EndPage(print.m_hDC);
  print.ClosePrinter(0);
  DeleteObject(s_hDefFont);
  DeleteObject(s_hBoldFont);
  s_hDefFont = s_hBoldFont = nullptr;
  if (owner) SetFocus(owner);
  print.ClosePrinter(1);
  return 1;
}
