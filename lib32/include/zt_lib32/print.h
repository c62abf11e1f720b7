// The print object: one print job with pages, fonts, tab stops and text output,
// on the printer the person picks in the system's print dialog, or on enhanced
// metafile files when the application asks for them (ztSetPrintOutput), so that
// printouts can be checked and previewed.
//
// Coordinates are device units (dots) of the printable area; y grows downwards
// and a text's y is the top of its line. The layout settings are tenths of a
// millimetre and are set before OpenPrinterA.
//
// Page handling: StartPage begins page 1 and runs the page-header routine.
// IncLine gives the next line position; when a line of the given height would
// no longer fit above the body's bottom, it runs the page-footer routine at the
// position below the last line, ends the page, starts the next one, runs the
// page-header routine and then the column-header routine at the body's top,
// whose result is the position returned.
#pragma once

#include "zt_lib32/platform.h"

// Where print objects send their pages (a process-wide setting).
enum : unsigned {
  ZT_PRINT_PRINTER = 0,    // the printer picked in the system's print dialog
  ZT_PRINT_EMF_PAGES = 1,  // one enhanced metafile per page: "out.emf" gives out-1.emf, out-2.emf, ...
  ZT_PRINT_EMF_FILE = 2,   // one enhanced metafile with every page, each below the one before
};

// Chooses the output of print objects opened afterwards; path names the
// metafile (ignored for the printer). int: 1 ok, 0 an unknown output or a
// missing or too long path (the setting stays).
ZT_LIB32_API int ztSetPrintOutput(unsigned output, const char* path);
ZT_LIB32_API unsigned ztGetPrintOutput();
// The file that page n (from 1) goes to under the current setting; its length,
// 0 when the output is the printer or the name does not fit.
ZT_LIB32_API unsigned ztPrintPageFile(unsigned page, char* path, unsigned size);

class CZTPrint;
// A page routine gets the print object and a line position and gives the next one.
typedef int (*ZTPrintRoutine)(CZTPrint& print, int y);

// Tab stop i as an x position of the text operations.
constexpr unsigned ZT_PRINT_TAB0 = 0xFFFFFFF0u;
constexpr unsigned ZT_PRINT_TABS = 16;
// GetLine arguments.
constexpr unsigned ZT_PRINT_BODY_LINE = 0xFFFFFFFEu;    // the first line of the page body
constexpr unsigned ZT_PRINT_HEADER_LINE = 0xFFFFFFFFu;  // the page-header line

class ZT_LIB32_API CZTPrint {
 public:
  // Layout in tenths of a millimetre (defaults 200, 150, 150, 150, 60, 60).
  unsigned m_uMarginLeft;
  unsigned m_uMarginRight;
  unsigned m_uMarginTop;     // page top to the page-header line
  unsigned m_uMarginBottom;  // page bottom to the footer's end
  unsigned m_uHeaderSpace;   // below the page-header line, above the body
  unsigned m_uFooterSpace;   // below the body, kept for the page footer

  // Page routines (null: none) and the title the page-header routine prints.
  ZTPrintRoutine m_pfnPageHeader;
  ZTPrintRoutine m_pfnPageFooter;
  ZTPrintRoutine m_pfnColumnHeader;
  const char* m_pszTitle;

  // Valid while the printer is open.
  HDC m_hDC;
  int m_iResX, m_iResY;   // dots per inch
  int m_iLeft, m_iRight;  // printable area between the side margins
  int m_iTop, m_iBottom;  // the page-header line and the bottom of the body
  int m_iLineHeight;      // a line of the default font (CreateDefFont)
  unsigned m_uPage;       // the current page, from 1; 0 before StartPage
  int m_iTab[ZT_PRINT_TABS];

  CZTPrint();
  ~CZTPrint();
  CZTPrint(const CZTPrint&) = delete;
  CZTPrint& operator=(const CZTPrint&) = delete;

  // Opens the output and starts the document. The printer is the named one, or
  // with a null name the one the person picks in the print dialog (owned by
  // owner). int: non-zero when ready; 0 when it could not be opened or the
  // person cancelled (release the object with ClosePrinter(1) then too).
  int OpenPrinterA(HWND owner, const char* jobTitle, const char* printerName);
  // 0: ends the document (the last page must have been ended); 1: releases
  // everything. int: 1 ok, 0 an output that failed to finish.
  int ClosePrinter(int release);

  // A font of the face, size (in half points: 18 is a 9-point font) and weight,
  // and the height of its lines: the font's own line height, but at least pitch
  // points. The caller deletes the font. CreateDefFont also makes its line
  // height the default.
  HFONT CreateDefFont(const char* face, unsigned halfPoints, unsigned pitch, unsigned weight, unsigned italic);
  HFONT CreateFontHeight(const char* face, unsigned halfPoints, unsigned pitch, unsigned weight, unsigned italic,
                         int* lineHeight);

  // Begins page 1 and runs the page-header routine. int: 1 ok.
  int StartPage();
  // ZT_PRINT_BODY_LINE, ZT_PRINT_HEADER_LINE, or line n of the body in default lines.
  int GetLine(unsigned line) const;
  // The position below a line of height at y, on the next page when it would not fit.
  int IncLine(int y, int height);
  // y when a block of height still fits above the body's bottom; else (as IncLine
  // does at a page break) the first free position of the next page.
  int KeepTogether(int y, int height);

  // Text at x (a position or ZT_PRINT_TAB0 + i), its top at y; length 0: up to
  // the terminator. int: 1 ok.
  int LeftText(unsigned x, int y, const char* text, unsigned length);
  int RightText(unsigned x, int y, const char* text, unsigned length);
  // An unsigned number in decimal, aligned right at x.
  int RightDez(unsigned x, int y, unsigned value);
  // A line across the printable width at y, thickness tenths of a millimetre
  // thick; the position gap tenths of a millimetre below it.
  int PrintHorLine(int y, unsigned thickness, unsigned gap);
  // A frame of width by height dots (a bar when it is thin).
  int PrintRectFrame(int x, int y, int width, int height);

  // Tenths of a millimetre in horizontal and vertical device units.
  int MmX(unsigned tenths) const;
  int MmY(unsigned tenths) const;
  // A text operation's x: tab stop i for ZT_PRINT_TAB0 + i, else x itself.
  int TabX(unsigned x) const;

 private:
  unsigned m_uOutput;      // ZT_PRINT_... chosen at open
  unsigned m_bDocStarted;  // a printer document or a metafile is open
  HFONT m_hOriginalFont;   // the DC's font at open, selected again before the fonts go
  HANDLE m_hDevMode;       // from the print dialog, freed at release
  HANDLE m_hDevNames;
  int m_iPageWidth, m_iPageHeight;  // the whole sheet in dots
  int m_iOffsetX, m_iOffsetY;       // unprintable edge of the sheet
  char m_szJob[128];                // the job title (metafile descriptions)

  int OpenMetafile(unsigned page);
  int CloseMetafile();
  void SetupPage(unsigned page);
  int NextPage(int y);
  int Text(unsigned x, int y, const char* text, unsigned length, unsigned align);
};
