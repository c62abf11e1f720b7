#include "zt_tbl32/grid_desc.h"

#include <stdlib.h>

#include "grid_codes.h"

CGridDesc::CGridDesc(CZTLibrary* library, unsigned controlId, unsigned, unsigned style)
    : m_uReserved(0),
      m_hGrid(nullptr),
      m_uCtrlId(controlId),
      m_uStyle(style),
      m_uSort1(0),
      m_uSort2(0),
      m_pLib(library),
      m_pGrid(nullptr),
      m_uColReserved(0),
      m_uColCount(0),
      m_uColAlloc(0),
      m_pColumns(nullptr) {}

CGridDesc::~CGridDesc() { FreeDesc(); }

void CGridDesc::FreeDesc() {
  free(m_pColumns);
  m_pColumns = nullptr;
  m_uColReserved = m_uColCount = m_uColAlloc = 0;
}

int CGridDesc::DispColHeadersOn(IGridView* grid, int reset) {
  m_pGrid = grid;
  if (!grid) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "Cannot inquire the grid control instance pointer");
    ztTbl32Lib.DispError(ZT_ERR_GRIDDESC_NO_GRID);
    return FALSE;
  }
  if (reset) grid->DeleteAllItems(FALSE);
  grid->SetStyle(m_uStyle);
  grid->SetColumnCount(m_uColCount, FALSE);
  for (unsigned i = 0; m_pColumns && i < m_uColCount; ++i) {
    const SColumnDesc& column = m_pColumns[i];
    grid->SetColumnHeader(i, column.width, column.justification, column.szHeader, FALSE);
    grid->SetColumnType(i, column.type, column.commandId, column.flags);
    if (column.flags & kColourFlags)
      grid->SetColumnColors(i, column.backEven, column.backOdd, column.textEven, column.textOdd, FALSE);
  }
  return TRUE;
}

int CGridDesc::InsertItem(unsigned item, unsigned data) {
  if (!m_pGrid) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "InsertItem(%u): NULL-pointer in pGrid", item);
    ztTbl32Lib.DispError(ZT_ERR_GRIDDESC_INSERT, item);
    return FALSE;
  }
  return m_pGrid->InsertItem(item, data, FALSE);
}

int CGridDesc::SetItemRes(unsigned item, unsigned column, unsigned stringId) const {
  if (!m_pGrid || !m_pLib) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "SetItemRes(%u,%u): NULL-pointer in pGrid or pLib found", item,
                      column);
    ztTbl32Lib.DispError(ZT_ERR_GRIDDESC_ITEM_RES, item, column);
    return FALSE;
  }
  char text[256];
  if (!m_pLib->LoadResString(stringId, text, sizeof(text))) ztFormat(text, sizeof(text), "<%u>", stringId);
  return m_pGrid->SetItemText(item, column, text);
}
