#include "zt_tbl32/grid_def.h"

#include "grid_codes.h"

int CGridDef::DispColHeadersOn(IGridView* grid, int reset) {
  m_pGrid = grid;
  if (!grid) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDef, "Cannot inquire the grid control instance pointer.");
    ztTbl32Lib.DispError(ZT_ERR_GRIDDEF_NO_GRID);
    return FALSE;
  }
  if (reset) grid->DeleteAllItems(FALSE);
  grid->SetStyle(m_uStyle);
  grid->SetColumnCount(m_uColumns, FALSE);
  for (unsigned i = 0; i < m_uColumns && m_pColumns; ++i) {
    const SColumnDef& column = m_pColumns[i];
    char header[128];
    if (!m_pLib || !m_pLib->LoadResString(column.headerString, header, sizeof(header)))
      ztFormat(header, sizeof(header), "<%u>", column.headerString);
    grid->SetColumnHeader(i, column.width, column.justification, header, FALSE);
    grid->SetColumnType(i, column.type, column.commandId, column.flags);
  }
  return TRUE;
}

int CGridDef::InsertItem(unsigned item, unsigned data) {
  if (!m_pGrid) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDef, "Cannot insert item %u into grid: pGrid = NULL.", item);
    ztTbl32Lib.DispError(ZT_ERR_GRIDDEF_INSERT, item);
    return FALSE;
  }
  return m_pGrid->InsertItem(item, data, FALSE);
}

int CGridDef::DeleteItem(unsigned item, int redraw) {
  if (!m_pGrid) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDef, "Cannot delete item %u in grid: pGrid = NULL.", item);
    ztTbl32Lib.DispError(ZT_ERR_GRIDDEF_DELETE, item);
    return FALSE;
  }
  return m_pGrid->DeleteItem(item, redraw);
}

int CGridDef::SetItemRes(unsigned item, unsigned column, unsigned stringId) const {
  if (!m_pGrid || !m_pLib) {
    ztTbl32Lib.DispError(ZT_ERR_GRIDDEF_ITEM_RES, item, column);
    return FALSE;
  }
  char text[256];
  if (!m_pLib->LoadResString(stringId, text, sizeof(text))) ztFormat(text, sizeof(text), "<%u>", stringId);
  return m_pGrid->SetItemText(item, column, text);
}
