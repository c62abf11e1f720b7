// The printed field and key lists of a table description.
#include "edit_codes.h"
#include "frame_util.h"
#include "print_layout.h"
#include "model_codes.h"
#include "zt_lib32/print.h"
#include "zt_tbl32/table_desc.h"

namespace {

const char kFace[] = "Times New Roman";
const char kDefaultHeader[] = "Satzstruktur einer ISAM-Datei";
constexpr unsigned kBarThickness = 2;  // tenths of a millimetre

// Fonts and line heights of the list being printed; the page routines read them
// (one list prints at a time).
HFONT s_hDefFont = nullptr;
HFONT s_hBoldFont = nullptr;
int s_iDefHeight = 0;
int s_iBoldHeight = 0;

inline unsigned Tab(unsigned i) { return ZT_PRINT_TAB0 + i; }

// A text of the language library (empty when it has none).
void LoadText(unsigned id, char* text, unsigned size) {
  if (!ztTbl32Lib.LoadResString(id, text, size)) text[0] = '\0';
}

// The title line: string 1440 formatted with the title, left; date, time and
// page number right.
int PageHeader(CZTPrint& print, int y) {
  SelectObject(print.m_hDC, s_hDefFont);
  char format[256];
  if (!ztTbl32Lib.LoadResString(ZT_STR_PRINT_HEADER, format, sizeof(format)))
    ztStrCopy(format, kDefaultHeader, sizeof(format));
  char text[512];
  ztFormat(text, sizeof(text), format, print.m_pszTitle ? print.m_pszTitle : "");
  print.LeftText(print.m_iLeft, y, text, 0);
  char date[16], time[16];
  ztLocalDateText(date, sizeof(date));
  ztLocalTimeText(time, sizeof(time));
  ztFormat(text, sizeof(text), "%s   %s   Seite %u", date, time, print.m_uPage);
  print.RightText(print.m_iRight, y, text, 0);
  return y;
}

// Below the last line of a page: a thin line.
int PageFooter(CZTPrint& print, int y) {
  print.PrintHorLine(y + 4, kBarThickness, 10);
  return y + 16;
}

// The column headers in bold over a bar; the first body line below them.
int ColumnHeaderBar(CZTPrint& print, int y) {
  SelectObject(print.m_hDC, s_hDefFont);
  const int bar = y + s_iDefHeight + 1;
  const int thickness = print.MmY(kBarThickness);
  print.PrintRectFrame(print.m_iLeft, bar, print.m_iRight - print.m_iLeft, thickness);
  return bar + 2 * thickness;
}

int FieldColumns(CZTPrint& print, int y) {
  const int w = print.m_iRight - print.m_iLeft;
  int* t = print.m_iTab;
  t[0] = print.m_iLeft + w * 3 / 100;
  t[1] = t[0] + w / 100;
  t[2] = t[1] + w * 17 / 100;
  t[3] = t[1] + 2 * (w * 17 / 100);
  t[4] = t[3] + w * 7 / 100;
  t[5] = t[4] + w / 100;
  t[6] = t[5] + w * 9 / 100;
  t[7] = t[6] + w * 8 / 100;
  t[8] = t[6] + 2 * (w * 8 / 100);
  t[9] = t[8] + w * 9 / 100;
  t[10] = t[8] + 2 * (w * 9 / 100);
  t[11] = t[10] + w * 11 / 100;
  SelectObject(print.m_hDC, s_hBoldFont);
  print.RightText(Tab(0), y, "Nr", 0);
  print.LeftText(Tab(1), y, "Name", 0);
  print.LeftText(Tab(2), y, "Typ", 0);
  print.RightText(Tab(3), y, "Pos", 0);
  print.RightText(Tab(4), y, "Len", 0);
  print.LeftText(Tab(5), y, "Inhalt", 0);
  print.LeftText(Tab(6), y, "Format", 0);
  print.LeftText(Tab(7), y, "Just.", 0);
  print.LeftText(Tab(8), y, "Darst.", 0);
  print.LeftText(Tab(9), y, "Format", 0);
  print.LeftText(Tab(10), y, "Just.", 0);
  print.RightText(Tab(11), y, "Breite", 0);
  return ColumnHeaderBar(print, y);
}

int KeyColumns(CZTPrint& print, int y) {
  const int w = print.m_iRight - print.m_iLeft;
  int* t = print.m_iTab;
  t[0] = print.m_iLeft + w * 3 / 100;  // key number, right
  t[1] = t[0] + w / 100;               // option flags 1-5
  t[2] = t[1] + w * 22 / 100;          // number of parts, right
  t[3] = t[2] + w * 7 / 100;           // part number, right
  t[4] = t[3] + w / 100;               // key type
  t[5] = t[4] + w * 20 / 100;          // field
  t[6] = t[5] + w * 30 / 100;          // the field's position, right
  t[7] = t[6] + w * 8 / 100;           // the field's length, right
  SelectObject(print.m_hDC, s_hBoldFont);
  print.RightText(Tab(0), y, "Nr", 0);
  print.LeftText(Tab(1), y, "Optionen 1-5", 0);
  print.RightText(Tab(2), y, "Teile", 0);
  print.RightText(Tab(3), y, "Teil", 0);
  print.LeftText(Tab(4), y, "Schl\xFCsseltyp", 0);
  print.LeftText(Tab(5), y, "Feld", 0);
  print.RightText(Tab(6), y, "Pos", 0);
  print.RightText(Tab(7), y, "Len", 0);
  return ColumnHeaderBar(print, y);
}

// Opens the printer and prints the header block of a list: the page header,
// "ISAM-Datei:" and "Tabelle:" with the name, and the column headers. The first
// body line, or 0 when the printer could not be opened (the print object is
// then released).
int StartList(CZTPrint& print, HWND owner, const char* job, const char* title, const char* tableName,
              ZTPrintRoutine columns) {
  ztSetListLayout(print);
  if (!print.OpenPrinterA(owner, job, nullptr)) {
    print.ClosePrinter(1);
    return 0;
  }
  s_hDefFont = print.CreateDefFont(kFace, 18, 11, 400, 0);
  s_hBoldFont = print.CreateFontHeight(kFace, 18, 11, 700, 0, &s_iBoldHeight);
  s_iDefHeight = print.m_iLineHeight;
  print.m_pfnPageHeader = PageHeader;
  print.m_pszTitle = title;
  print.StartPage();
  SelectObject(print.m_hDC, s_hBoldFont);
  int y = print.GetLine(ZT_PRINT_BODY_LINE);
  print.LeftText(print.m_iLeft, y, "ISAM-Datei:", 0);
  y += 2 * s_iBoldHeight;
  print.LeftText(print.m_iLeft, y, "Tabelle:", 0);
  print.LeftText(print.m_iLeft + print.MmX(300), y, tableName, 0);
  y += 2 * s_iBoldHeight;
  y = columns(print, y);
  print.m_pfnPageFooter = PageFooter;
  print.m_pfnColumnHeader = columns;
  SelectObject(print.m_hDC, s_hDefFont);
  return y;
}

void EndList(CZTPrint& print) {
  EndPage(print.m_hDC);
  print.ClosePrinter(0);
  DeleteObject(s_hDefFont);
  DeleteObject(s_hBoldFont);
  s_hDefFont = s_hBoldFont = nullptr;
  print.ClosePrinter(1);
}

}  // namespace

int CZTFieldDesc::PrintDef(CZTPrint& print, int y, unsigned index) const {
  char text[128];
  print.RightDez(Tab(0), y, index + 1);
  print.LeftText(Tab(1), y, m_szName, 0);
  print.RightDez(Tab(3), y, m_uOffset);
  print.RightDez(Tab(4), y, m_uLength);
  print.RightDez(Tab(11), y, m_uDispWidth);
  LoadText(ZT_STR_ENCODING + m_uEncodeType, text, sizeof(text));
  print.LeftText(Tab(2), y, text, 0);
  LoadText(ZT_STR_KIND + ztFmtKind(m_uContentType), text, sizeof(text));
  print.LeftText(Tab(5), y, text, 0);
  LoadText(ZT_STR_JUSTIFY + m_uDataJust, text, sizeof(text));
  print.LeftText(Tab(7), y, text, 0);
  LoadText(ZT_STR_KIND + ztFmtKind(m_uDisplayType), text, sizeof(text));
  print.LeftText(Tab(8), y, text, 0);
  LoadText(ZT_STR_JUSTIFY + m_uDispJust, text, sizeof(text));
  print.LeftText(Tab(10), y, text, 0);
  return 1;
}

int CZTTableDesc::PrintFieldList(HWND owner) const {
  CZTPrint print;
  int y = StartList(print, owner, "ISAM Table Field List", "Feldliste", m_szName, FieldColumns);
  if (!y) return 0;
  if (!m_Fields.m_uCount || !m_Fields.m_pFields) {
    print.LeftText(print.m_iLeft, y, "Die Tabelle enth\xE4lt keine Felddefinitionen.", 0);
  } else {
    for (unsigned i = 0; i < m_Fields.m_uCount; ++i) {
      m_Fields.m_pFields[i].PrintDef(print, y, i);
      y = print.IncLine(y, s_iDefHeight);
    }
    y = PageFooter(print, y);
    char text[64];
    ztFormat(text, sizeof(text), "%u Felder", m_Fields.m_uCount);
    print.LeftText(print.m_iLeft, y, text, 0);
    print.RightDez(Tab(4), y, m_Fields.GetRecSize());
    print.LeftText(Tab(5), y, "Bytes", 0);
    print.RightDez(Tab(11), y, m_Fields.GetDispWidth());
  }
  EndList(print);
  return 1;
}

int CZTTableDesc::PrintKeyList(HWND owner) const {
  CZTPrint print;
  int y = StartList(print, owner, "ISAM Table Key List", "Schl\xFCsselliste", m_szName, KeyColumns);
  if (!y) return 0;
  if (!m_Keys.m_uCount || !m_Keys.m_pKeys) {
    print.LeftText(print.m_iLeft, y, "Die Tabelle enth\xE4lt keine Schl\xFCsseldefinitionen.", 0);
  } else {
    for (unsigned k = 0; k < m_Keys.m_uCount; ++k) {
      const CZTKeyDesc& key = m_Keys.m_pKeys[k];
      const unsigned parts = key.m_uPartCount < kZTMaxKeyParts ? key.m_uPartCount : kZTMaxKeyParts;
      // A key's lines stay on one page.
      y = print.KeepTogether(y, (parts ? parts : 1) * s_iDefHeight);
      char text[64];
      print.RightDez(Tab(0), y, k + 1);
      ztFormat(text, sizeof(text), "%u %u %u %u %u", key.m_uOption[0], key.m_uOption[1], key.m_uOption[2],
               key.m_uOption[3], key.m_uOption[4]);
      print.LeftText(Tab(1), y, text, 0);
      print.RightDez(Tab(2), y, key.m_uPartCount);
      for (unsigned p = 0; p < parts; ++p) {
        const SZTKeyPart& part = key.m_Part[p];
        print.RightDez(Tab(3), y, p + 1);
        if (part.uKeyType != kZTNoKeyType) {
          const char* type = ISAMKeyType(part.uKeyType);
          print.LeftText(Tab(4), y, type ? type : "???", 0);
        }
        print.LeftText(Tab(5), y, part.szFieldName, 0);
        const unsigned field = FindFieldToKeyIndex(k, p);
        if (field != kZTNotFound) {
          print.RightDez(Tab(6), y, m_Fields.m_pFields[field].m_uOffset);
          print.RightDez(Tab(7), y, m_Fields.m_pFields[field].m_uLength);
        }
        y = print.IncLine(y, s_iDefHeight);
      }
      if (!parts) y = print.IncLine(y, s_iDefHeight);
    }
    y = PageFooter(print, y);
    char text[64];
    ztFormat(text, sizeof(text), "%u Schl\xFCssel", m_Keys.m_uCount);
    print.LeftText(print.m_iLeft, y, text, 0);
  }
  EndList(print);
  return 1;
}
