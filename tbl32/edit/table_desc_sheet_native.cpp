#include "zt_tbl32/table_desc.h"

// There are no property sheets natively.
int CZTTableDesc::PropertySheetA(HWND, unsigned, unsigned) { return 0; }
