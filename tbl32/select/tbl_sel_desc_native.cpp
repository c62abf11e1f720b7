#include "zt_tbl32/tbl_sel_desc.h"

// There are no list views natively.
int CZTTblSelDesc::disp(CZTListView*) const { return 0; }
