#include "grid_codes.h"
#include "zt_tbl32/grid_def.h"

int CGridDef::DispColHeaders(HWND window, int reset) {
  m_hGrid = m_uCtrlId == kZTSelfControl ? window : GetDlgItem(window, int(m_uCtrlId));
  if (!m_hGrid) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDef, "Control id %d not found.", int(m_uCtrlId));
    ztTbl32Lib.DispError(ZT_ERR_GRIDDEF_NO_CONTROL, m_uCtrlId);
    return FALSE;
  }
  IGridView* grid = reinterpret_cast<IGridView*>(SendMessageA(m_hGrid, ZT_GRID_QUERY, 0, 0));
  if (!DispColHeadersOn(grid, reset)) return FALSE;
  InvalidateRect(m_hGrid, nullptr, TRUE);
  return TRUE;
}
