#include "zt_tbl32/table_data.h"

#include "zt_tbl32/grid_view.h"
#include "zt_tbl32/table_desc.h"

namespace {
const char kSource[] = "CZTTableData";
}

CZTTableData::CZTTableData() : m_pGrid(nullptr), m_pTableDesc(nullptr), m_pSelection(nullptr) {}

CZTTableData::~CZTTableData() {
  m_pGrid = nullptr;
  m_pTableDesc = nullptr;
  m_pSelection = nullptr;
}

int CZTTableData::BindGrid(IGridView* grid) {
  m_pGrid = grid;
  if (!grid) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on displaying the grid column headers.");
    return FALSE;
  }
  grid->AddStyle(GS_OWNERDATA | GS_GRIDLINES);
  return TRUE;
}

int CZTTableData::InitTableOn(IGridView* grid) {
  return BindGrid(grid && m_pTableDesc ? m_pTableDesc->DispGridDataHeaderOn(grid, kZTSelfControl) : nullptr);
}
