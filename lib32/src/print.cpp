#include "zt_lib32/print.h"

#include <string.h>

#include "zt_lib32/strings.h"

namespace {
unsigned g_output = ZT_PRINT_PRINTER;
char g_path[MAX_PATH] = "";
}  // namespace

int ztSetPrintOutput(unsigned output, const char* path) {
  if (output > ZT_PRINT_EMF_FILE) return 0;
  if (output != ZT_PRINT_PRINTER) {
    if (!path || !*path) return 0;
    if (strlen(path) >= sizeof(g_path)) return 0;
    ztStrCopy(g_path, path, sizeof(g_path));
  }
  g_output = output;
  return 1;
}

unsigned ztGetPrintOutput() { return g_output; }

unsigned ztPrintPageFile(unsigned page, char* path, unsigned size) {
  if (!path || size == 0) return 0;
  path[0] = '\0';
  if (g_output == ZT_PRINT_PRINTER) return 0;
  if (g_output == ZT_PRINT_EMF_FILE) {
    const unsigned n = ztStrCopy(path, g_path, size);
    if (g_path[n] != '\0') {
      path[0] = '\0';
      return 0;
    }
    return n;
  }
  // "name.ext" becomes "name-<page>.ext"; a name without extension gets the suffix at its end.
  const unsigned dot = ztFileNameDot(g_path);
  char stem[MAX_PATH];
  ztStrCopyN(stem, g_path, dot == ZT_NO_DOT ? MAX_PATH : dot, sizeof(stem));
  const char* extension = dot == ZT_NO_DOT ? "" : g_path + dot;
  char name[MAX_PATH + 16];
  const unsigned n = ztFormat(name, sizeof(name), "%s-%u%s", stem, page, extension);
  if (n + 1 > size || n + 1 > MAX_PATH) return 0;
  return ztStrCopy(path, name, size);
}

CZTPrint::CZTPrint()
    : m_uMarginLeft(200),
      m_uMarginRight(150),
      m_uMarginTop(150),
      m_uMarginBottom(150),
      m_uHeaderSpace(60),
      m_uFooterSpace(60),
      m_pfnPageHeader(nullptr),
      m_pfnPageFooter(nullptr),
      m_pfnColumnHeader(nullptr),
      m_pszTitle(nullptr),
      m_hDC(nullptr),
      m_iResX(0),
      m_iResY(0),
      m_iLeft(0),
      m_iRight(0),
      m_iTop(0),
      m_iBottom(0),
      m_iLineHeight(0),
      m_uPage(0),
      m_iTab{},
      m_uOutput(ZT_PRINT_PRINTER),
      m_bDocStarted(0),
      m_hOriginalFont(nullptr),
      m_hDevMode(nullptr),
      m_hDevNames(nullptr),
      m_iPageWidth(0),
      m_iPageHeight(0),
      m_iOffsetX(0),
      m_iOffsetY(0),
      m_szJob{} {}

CZTPrint::~CZTPrint() { ClosePrinter(1); }

int CZTPrint::MmX(unsigned tenths) const {
  return static_cast<int>((static_cast<long long>(m_iResX) * tenths + 127) / 254);
}
int CZTPrint::MmY(unsigned tenths) const {
  return static_cast<int>((static_cast<long long>(m_iResY) * tenths + 127) / 254);
}

int CZTPrint::TabX(unsigned x) const {
  if (x >= ZT_PRINT_TAB0) return m_iTab[x - ZT_PRINT_TAB0];
  return static_cast<int>(x);
}

int CZTPrint::GetLine(unsigned line) const {
  if (line == ZT_PRINT_HEADER_LINE) return m_iTop;
  const int body = m_iTop + m_iLineHeight + MmY(m_uHeaderSpace);
  if (line == ZT_PRINT_BODY_LINE) return body;
  return body + static_cast<int>(line) * m_iLineHeight;
}

int CZTPrint::RightDez(unsigned x, int y, unsigned value) {
  char text[16];
  const unsigned n = ztFormat(text, sizeof(text), "%u", value);
  return RightText(x, y, text, n);
}
