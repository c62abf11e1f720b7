#include "zt_lib32/print.h"

// There is no printing natively: the printer never opens.
int CZTPrint::OpenPrinterA(HWND, const char*, const char*) { return 0; }
int CZTPrint::ClosePrinter(int) { return 1; }
HFONT CZTPrint::CreateDefFont(const char*, unsigned, unsigned, unsigned, unsigned) { return nullptr; }
HFONT CZTPrint::CreateFontHeight(const char*, unsigned, unsigned, unsigned, unsigned, int* lineHeight) {
  if (lineHeight) *lineHeight = 0;
  return nullptr;
}
int CZTPrint::StartPage() { return 0; }
int CZTPrint::IncLine(int y, int height) { return y + height; }
int CZTPrint::KeepTogether(int y, int) { return y; }
int CZTPrint::LeftText(unsigned, int, const char*, unsigned) { return 0; }
int CZTPrint::RightText(unsigned, int, const char*, unsigned) { return 0; }
int CZTPrint::PrintHorLine(int y, unsigned, unsigned) { return y; }
int CZTPrint::PrintRectFrame(int, int, int, int) { return 0; }
