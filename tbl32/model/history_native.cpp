// Natively there are no combo boxes: the history keeps only its texts.
#include "zt_tbl32/history.h"

void CZTHistory::ComboDelete(unsigned) {}
void CZTHistory::ComboInsertTop(const char*) {}

int CZTHistory::FillComboBox(HWND, unsigned controlId, unsigned) {
  ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, "CZTHistory", "ComboBox %u not found in dialog window.", controlId);
  return 0;
}
