#include "zt_tbl32/enum_string.h"

// There are no list-box controls natively.
void CEnumString::FillListBox(HWND, unsigned) const {}

unsigned CEnumString::GetListBoxSelection(HWND, unsigned*) const { return 0; }
