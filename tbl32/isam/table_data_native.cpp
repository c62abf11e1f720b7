// There are no windows natively: no grid control answers a dialog, and there is
// nothing to paint.
#include "zt_tbl32/table_data.h"

int CZTTableData::InitTable(HWND, unsigned) { return BindGrid(nullptr); }

void CZTTableData::RedrawGrid() {}
