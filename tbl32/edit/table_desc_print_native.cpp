#include "zt_lib32/print.h"
#include "zt_tbl32/table_desc.h"

// There is no printer natively: the lists are never printed.
int CZTFieldDesc::PrintDef(CZTPrint&, int, unsigned) const { return 1; }
int CZTTableDesc::PrintFieldList(HWND) const { return 0; }
int CZTTableDesc::PrintKeyList(HWND) const { return 0; }
