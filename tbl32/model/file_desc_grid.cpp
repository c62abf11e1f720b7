// The table list of a file description in a grid.
#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/file_desc.h"
#include "zt_tbl32/grid_def.h"

namespace {
const char kSource[] = "CZTFileDesc";

const SColumnDef kTableColumns[] = {
    {4, 0, 0, 1, 5200, 40, ZT_STR_TABLES_NAME},     {2, 0, 2, 1, 5201, 15, ZT_STR_TABLES_FIELDS},
    {2, 0, 2, 1, 5202, 15, ZT_STR_TABLES_KEYS},     {2, 0, 2, 1, 5203, 15, ZT_STR_TABLES_RECSIZE},
    {4, 0, 2, 1, 5204, 15, ZT_STR_TABLES_NODESIZE},
};
}  // namespace

// Shared by all file descriptions; HeadTables switches its line-mode bit.
CGridDef ztTableListGrid = {0, nullptr, kZTSelfControl, 0x19, &ztTbl32Lib, nullptr, 5, kTableColumns};

int CZTFileDesc::ListTables() const { return ListTables(ztTableListGrid); }

int CZTFileDesc::ListTables(CGridDef& grid) const {
  if (grid.m_pGrid) {
    grid.m_pGrid->DeleteAllItems(FALSE);
    grid.m_pGrid->DeleteAllItems(TRUE);
  }
  if (!m_Tables.m_uCount || !m_Tables.m_pTables) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSource, "DispRecs: Table does not exist");
    return 0;
  }
  for (unsigned i = 0; i < m_Tables.m_uCount; ++i) {
    if (!grid.InsertItem(i, i)) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot insert item %u into the grid control", i);
      ztTbl32Lib.DispError(ZT_ERR_DESC_COUNT);
      return 0;
    }
    m_Tables.m_pTables[i].DispDef(grid, i);
  }
  return 1;
}

// Fills a grid through its interface: used by ListTables (window, id).
int ztListTablesOn(const CZTFileDesc& desc, IGridView* view) {
  view->DeleteAllItems(FALSE);
  view->DeleteAllItems(TRUE);
  for (unsigned i = 0; i < desc.m_Tables.m_uCount && desc.m_Tables.m_pTables; ++i) {
    if (!view->InsertItem(i, i, FALSE)) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot insert item %u into the grid control", i);
      ztTbl32Lib.DispError(ZT_ERR_DESC_COUNT);
      return 0;
    }
    desc.m_Tables.m_pTables[i].DispDef(view, i);
  }
  return 1;
}
