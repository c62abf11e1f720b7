// The window side of the browsers: the grid control found in a dialog.
#include "zt_tbl32/grid_view.h"
#include "zt_tbl32/table_data.h"
#include "zt_tbl32/table_desc.h"

int CZTTableData::InitTable(HWND dialog, unsigned controlId) {
  return BindGrid(m_pTableDesc ? m_pTableDesc->DispGridDataHeader(dialog, controlId) : nullptr);
}

void CZTTableData::RedrawGrid() {
  if (!m_pGrid) return;
  HWND window = m_pGrid->GetHwnd();
  if (window) InvalidateRect(window, nullptr, TRUE);
}
