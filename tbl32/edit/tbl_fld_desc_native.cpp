#include "zt_tbl32/tbl_fld_desc.h"

// There are no list views and no printers natively.
int CZTTblFldDesc::DispDataHeader(HWND) const { return 0; }
int CZTTblFldDesc::ResizeDataHeader(HWND) const { return 0; }
int CZTTblFldDesc::ResizeDataHeader(HWND, unsigned, unsigned) const { return 0; }
int CZTTblFldDesc::InsertDataLine(HWND, unsigned, LPARAM, const void*, unsigned) const { return 0; }
int CZTTblFldDesc::PrintDesc(HWND) const { return 0; }
