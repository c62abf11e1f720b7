#include "zt_lib32/print.h"

#include <commdlg.h>
#include <string.h>

#include "zt_lib32/strings.h"

namespace {

// Metafile pages are A4 at the resolution of a common laser printer.
constexpr int kMetafileDpi = 600;
constexpr unsigned kA4Width = 2100;   // tenths of a millimetre
constexpr unsigned kA4Height = 2970;  // tenths of a millimetre
// The thin line that marks the page edges in a metafile with every page.
constexpr COLORREF kPageEdgeColour = RGB(192, 192, 192);

int DotsOf(int dpi, unsigned tenths) { return static_cast<int>((static_cast<long long>(dpi) * tenths + 127) / 254); }

}  // namespace

int CZTPrint::OpenPrinterA(HWND owner, const char* jobTitle, const char* printerName) {
  ClosePrinter(1);
  ztStrCopy(m_szJob, jobTitle ? jobTitle : "", sizeof(m_szJob));
  m_uOutput = ztGetPrintOutput();
  if (m_uOutput == ZT_PRINT_PRINTER) {
    HDC dc = nullptr;
    if (printerName) {
      dc = CreateDCA(nullptr, printerName, nullptr, nullptr);
    } else {
      PRINTDLGA pd = {};
      pd.lStructSize = sizeof(pd);
      pd.hwndOwner = owner;
      pd.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE;
      // Cancelled, or no printer to pick.
      if (!PrintDlgA(&pd)) return 0;
      m_hDevMode = pd.hDevMode;
      m_hDevNames = pd.hDevNames;
      dc = pd.hDC;
    }
    if (!dc) return 0;
    m_hDC = dc;
    DOCINFOA doc = {};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = m_szJob;
    if (StartDocA(dc, &doc) <= 0) return 0;
    m_bDocStarted = 1;
    m_iResX = GetDeviceCaps(dc, LOGPIXELSX);
    m_iResY = GetDeviceCaps(dc, LOGPIXELSY);
    m_iPageWidth = GetDeviceCaps(dc, PHYSICALWIDTH);
    m_iPageHeight = GetDeviceCaps(dc, PHYSICALHEIGHT);
    m_iOffsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
    m_iOffsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    // A driver without physical sizes: the printable area is the sheet.
    if (m_iPageWidth <= 0) m_iPageWidth = GetDeviceCaps(dc, HORZRES), m_iOffsetX = 0;
    if (m_iPageHeight <= 0) m_iPageHeight = GetDeviceCaps(dc, VERTRES), m_iOffsetY = 0;
  } else {
    m_iResX = m_iResY = kMetafileDpi;
    m_iPageWidth = DotsOf(kMetafileDpi, kA4Width);
    m_iPageHeight = DotsOf(kMetafileDpi, kA4Height);
    m_iOffsetX = m_iOffsetY = 0;
    if (!OpenMetafile(1)) return 0;
  }
  if (m_iResX <= 0 || m_iResY <= 0) return 0;
  m_iLeft = MmX(m_uMarginLeft) - m_iOffsetX;
  if (m_iLeft < 0) m_iLeft = 0;
  m_iRight = m_iPageWidth - MmX(m_uMarginRight) - m_iOffsetX;
  m_iTop = MmY(m_uMarginTop) - m_iOffsetY;
  if (m_iTop < 0) m_iTop = 0;
  m_iBottom = m_iPageHeight - MmY(m_uMarginBottom) - MmY(m_uFooterSpace) - m_iOffsetY;
  m_hOriginalFont = static_cast<HFONT>(GetCurrentObject(m_hDC, OBJ_FONT));
  m_uPage = 0;
  return 1;
}

int CZTPrint::OpenMetafile(unsigned page) {
  char path[MAX_PATH];
  if (!ztPrintPageFile(page, path, sizeof(path))) return 0;
  // Description: the creator and the job, each terminated, ending with two terminators.
  char description[160];
  const unsigned n = ztStrCopy(description, "zt_lib32", sizeof(description)) + 1;
  const unsigned m = ztStrCopy(description + n, m_szJob, sizeof(description) - n - 1);
  description[n + m + 1] = '\0';
  // A file of one page knows its sheet; a file of all pages takes the size of what is drawn.
  const RECT frame = {0, 0, static_cast<LONG>(kA4Width * 10), static_cast<LONG>(kA4Height * 10)};
  HDC dc = CreateEnhMetaFileA(nullptr, path, m_uOutput == ZT_PRINT_EMF_PAGES ? &frame : nullptr, description);
  if (!dc) return 0;
  // Logical units are dots at kMetafileDpi, mapped onto the reference device.
  const int refWidth = MulDiv(GetDeviceCaps(dc, HORZRES), kA4Width, GetDeviceCaps(dc, HORZSIZE) * 10);
  const int refHeight = MulDiv(GetDeviceCaps(dc, VERTRES), kA4Height, GetDeviceCaps(dc, VERTSIZE) * 10);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, m_iPageWidth, m_iPageHeight, nullptr);
  SetViewportExtEx(dc, refWidth, refHeight, nullptr);
  m_hDC = dc;
  m_bDocStarted = 1;
  return 1;
}

int CZTPrint::CloseMetafile() {
  if (!m_hDC) return 0;
  HENHMETAFILE metafile = CloseEnhMetaFile(m_hDC);
  m_hDC = nullptr;
  m_bDocStarted = 0;
  if (!metafile) return 0;
  DeleteEnhMetaFile(metafile);
  return 1;
}

void CZTPrint::SetupPage(unsigned page) {
  if (m_uOutput == ZT_PRINT_EMF_FILE) {
    // Each page below the one before, its top edge marked.
    SIZE viewport;
    GetViewportExtEx(m_hDC, &viewport);
    SetViewportOrgEx(m_hDC, 0, static_cast<int>(page - 1) * viewport.cy, nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, kPageEdgeColour);
    HGDIOBJ old = SelectObject(m_hDC, pen);
    MoveToEx(m_hDC, -m_iOffsetX, -m_iOffsetY, nullptr);
    LineTo(m_hDC, m_iPageWidth - m_iOffsetX, -m_iOffsetY);
    SelectObject(m_hDC, old);
    DeleteObject(pen);
  }
  SetBkMode(m_hDC, TRANSPARENT);
  SetTextColor(m_hDC, RGB(0, 0, 0));
}

int CZTPrint::ClosePrinter(int release) {
  int ok = 1;
  if (!release) {
    if (!m_hDC) return 0;
    if (m_hOriginalFont) SelectObject(m_hDC, m_hOriginalFont);
    if (m_uOutput == ZT_PRINT_PRINTER) {
      if (m_bDocStarted && EndDoc(m_hDC) <= 0) ok = 0;
      m_bDocStarted = 0;
    } else {
      if (m_uOutput == ZT_PRINT_EMF_FILE && m_uPage) {
        // The bottom edge of the last page.
        HPEN pen = CreatePen(PS_SOLID, 1, kPageEdgeColour);
        HGDIOBJ old = SelectObject(m_hDC, pen);
        MoveToEx(m_hDC, -m_iOffsetX, m_iPageHeight - m_iOffsetY - 1, nullptr);
        LineTo(m_hDC, m_iPageWidth - m_iOffsetX, m_iPageHeight - m_iOffsetY - 1);
        SelectObject(m_hDC, old);
        DeleteObject(pen);
      }
      ok = CloseMetafile();
    }
    return ok;
  }
  if (m_hDC) {
    if (m_hOriginalFont) SelectObject(m_hDC, m_hOriginalFont);
    if (m_uOutput == ZT_PRINT_PRINTER) {
      if (m_bDocStarted) AbortDoc(m_hDC);
      DeleteDC(m_hDC);
      m_hDC = nullptr;
    } else {
      CloseMetafile();
    }
  }
  if (m_hDevMode) GlobalFree(m_hDevMode);
  if (m_hDevNames) GlobalFree(m_hDevNames);
  m_hDevMode = m_hDevNames = nullptr;
  m_bDocStarted = 0;
  m_hOriginalFont = nullptr;
  m_uPage = 0;
  return ok;
}

HFONT CZTPrint::CreateFontHeight(const char* face, unsigned halfPoints, unsigned pitch, unsigned weight,
                                 unsigned italic, int* lineHeight) {
  if (lineHeight) *lineHeight = 0;
  if (!m_hDC) return nullptr;
  LOGFONTA lf = {};
  lf.lfHeight = -MulDiv(static_cast<int>(halfPoints), m_iResY, 144);
  lf.lfWeight = static_cast<LONG>(weight);
  lf.lfItalic = italic ? TRUE : FALSE;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfOutPrecision = OUT_TT_PRECIS;
  lf.lfQuality = PROOF_QUALITY;
  lf.lfPitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
  ztStrCopy(lf.lfFaceName, face, sizeof(lf.lfFaceName));
  HFONT font = CreateFontIndirectA(&lf);
  if (!font) return nullptr;
  if (lineHeight) {
    HGDIOBJ old = SelectObject(m_hDC, font);
    TEXTMETRICA tm = {};
    GetTextMetricsA(m_hDC, &tm);
    SelectObject(m_hDC, old);
    const int own = tm.tmHeight + tm.tmExternalLeading;
    const int least = static_cast<int>((static_cast<long long>(m_iResY) * pitch + 36) / 72);
    *lineHeight = own > least ? own : least;
  }
  return font;
}

HFONT CZTPrint::CreateDefFont(const char* face, unsigned halfPoints, unsigned pitch, unsigned weight, unsigned italic) {
  int height = 0;
  HFONT font = CreateFontHeight(face, halfPoints, pitch, weight, italic, &height);
  if (font) m_iLineHeight = height;
  return font;
}

int CZTPrint::StartPage() {
  if (!m_hDC) return 0;
  if (m_uOutput == ZT_PRINT_PRINTER && ::StartPage(m_hDC) <= 0) return 0;
  m_uPage = 1;
  SetupPage(m_uPage);
  if (m_pfnPageHeader) m_pfnPageHeader(*this, GetLine(ZT_PRINT_HEADER_LINE));
  return 1;
}

int CZTPrint::NextPage(int y) {
  if (m_pfnPageFooter) m_pfnPageFooter(*this, y);
  HGDIOBJ font = GetCurrentObject(m_hDC, OBJ_FONT);
  if (m_uOutput == ZT_PRINT_PRINTER) {
    ::EndPage(m_hDC);
    ::StartPage(m_hDC);
  } else if (m_uOutput == ZT_PRINT_EMF_PAGES) {
    if (m_hOriginalFont) SelectObject(m_hDC, m_hOriginalFont);
    CloseMetafile();
    if (!OpenMetafile(m_uPage + 1)) return GetLine(ZT_PRINT_BODY_LINE);
    m_hOriginalFont = static_cast<HFONT>(GetCurrentObject(m_hDC, OBJ_FONT));
  }
  SelectObject(m_hDC, font);
  ++m_uPage;
  SetupPage(m_uPage);
  if (m_pfnPageHeader) m_pfnPageHeader(*this, GetLine(ZT_PRINT_HEADER_LINE));
  y = GetLine(ZT_PRINT_BODY_LINE);
  if (m_pfnColumnHeader) y = m_pfnColumnHeader(*this, y);
  return y;
}

int CZTPrint::IncLine(int y, int height) {
  const int next = y + height;
  if (!m_hDC || next + height <= m_iBottom) return next;
  return NextPage(next);
}

int CZTPrint::KeepTogether(int y, int height) {
  // A block taller than a whole body would not fit on the next page either.
  if (!m_hDC || y + height <= m_iBottom || height > m_iBottom - GetLine(ZT_PRINT_BODY_LINE)) return y;
  return NextPage(y);
}

int CZTPrint::Text(unsigned x, int y, const char* text, unsigned length, unsigned align) {
  if (!m_hDC || !text) return 0;
  const unsigned n = length ? length : static_cast<unsigned>(strlen(text));
  if (!n) return 1;  // nothing to draw
  SetTextAlign(m_hDC, align | TA_TOP | TA_NOUPDATECP);
  return TextOutA(m_hDC, TabX(x), y, text, static_cast<int>(n)) ? 1 : 0;
}

int CZTPrint::LeftText(unsigned x, int y, const char* text, unsigned length) {
  return Text(x, y, text, length, TA_LEFT);
}

int CZTPrint::RightText(unsigned x, int y, const char* text, unsigned length) {
  return Text(x, y, text, length, TA_RIGHT);
}

int CZTPrint::PrintHorLine(int y, unsigned thickness, unsigned gap) {
  if (!m_hDC) return y;
  int height = MmY(thickness);
  if (height < 1) height = 1;
  HGDIOBJ oldBrush = SelectObject(m_hDC, GetStockObject(BLACK_BRUSH));
  HGDIOBJ oldPen = SelectObject(m_hDC, GetStockObject(NULL_PEN));
  // Without a pen the right and bottom edges are left out: one more on each.
  Rectangle(m_hDC, m_iLeft, y, m_iRight + 1, y + height + 1);
  SelectObject(m_hDC, oldPen);
  SelectObject(m_hDC, oldBrush);
  return y + height + MmY(gap);
}

int CZTPrint::PrintRectFrame(int x, int y, int width, int height) {
  if (!m_hDC) return 0;
  HGDIOBJ oldBrush = SelectObject(m_hDC, GetStockObject(NULL_BRUSH));
  HGDIOBJ oldPen = SelectObject(m_hDC, GetStockObject(BLACK_PEN));
  const BOOL ok = Rectangle(m_hDC, x, y, x + width, y + height);
  SelectObject(m_hDC, oldPen);
  SelectObject(m_hDC, oldBrush);
  return ok ? 1 : 0;
}
