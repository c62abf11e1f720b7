// The window members of a file description: the table-list grid and the
// table-name combo box.
#include "desc_combo.h"
#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/file_desc.h"
#include "zt_tbl32/grid_def.h"

extern CGridDef ztTableListGrid;
int ztListTablesOn(const CZTFileDesc& desc, IGridView* view);

namespace {
const char kSource[] = "CZTFileDesc";

const ZTComboTexts kTableCombo = {kSource, "No table descriptions found to insert into the combo box.",
                                  "Combo box control (%d) not found in dialog.",
                                  "No item selected in data table combo box.", "Error on inquiry of combo box item %d"};

const char* TableNameAt(const void* owner, unsigned index) {
  return static_cast<const CZTFileDesc*>(owner)->m_Tables.m_pTables[index].m_szName;
}
}  // namespace

int CZTFileDesc::HeadTables(HWND dialog, unsigned controlId, int lineMode) const {
  HWND item = GetDlgItem(dialog, (int)controlId);
  if (!item) {
    DWORD error = GetLastError();
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "HeadTables: Error %u on searching control %d in dialog.",
                      (unsigned)error, (int)controlId);
    ztTbl32Lib.DispError(ZT_ERR_FILE_GRID_ITEM, controlId, (unsigned)error);
    return 0;
  }
  if (lineMode)
    ztTableListGrid.m_uStyle |= 0x02;
  else
    ztTableListGrid.m_uStyle &= ~0x02u;
  return ztTableListGrid.DispColHeaders(item, 1);
}

int CZTFileDesc::ListTables(HWND window, unsigned controlId) const {
  HWND grid = (controlId == 0 || controlId == kZTSelfControl) ? window : GetDlgItem(window, (int)controlId);
  if (!grid || !IsWindow(grid)) return 0;
  IGridView* view = reinterpret_cast<IGridView*>(SendMessageA(grid, WM_USER, 0, 0));
  if (!view) return 0;
  return ztListTablesOn(*this, view);
}

int CZTFileDesc::FillTablesCombo(HWND window, unsigned controlId, const char* select) const {
  return ztFillNameCombo(window, controlId, this, m_Tables.m_pTables ? m_Tables.m_uCount : 0, TableNameAt, select,
                         kTableCombo);
}

int CZTFileDesc::GetCurrSelCombo(HWND window, unsigned controlId, char* buffer) const {
  return ztGetNameComboSel(window, controlId, buffer, kTableCombo);
}
