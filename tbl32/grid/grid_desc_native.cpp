#include "grid_codes.h"
#include "zt_tbl32/grid_desc.h"

// There are no windows natively: no grid answers, so the query gives no interface.
int CGridDesc::DispColHeaders(HWND window, int reset) {
  m_hGrid = m_uCtrlId == kZTSelfControl ? window : nullptr;
  if (!m_hGrid) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "Control id %d not found", int(m_uCtrlId));
    ztTbl32Lib.DispError(ZT_ERR_GRIDDESC_NO_CONTROL, m_uCtrlId);
    return FALSE;
  }
  return DispColHeadersOn(nullptr, reset);
}
