// The window members of a table description: the record grid's columns and the
// field-name combo box.
#include "desc_combo.h"
#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/grid_view.h"
#include "zt_tbl32/table_desc.h"

namespace {
const char kSource[] = "CZTTableDesc";

const ZTComboTexts kFieldCombo = {kSource, "No Field descriptions found to insert into the combo box.",
                                  "Combo box control (%d) not found in dialog.",
                                  "No item selected in data table combo box.", "Error on inquiry of combo box item %d"};

const char* FieldNameAt(const void* owner, unsigned index) {
  return static_cast<const CZTTableDesc*>(owner)->m_Fields.m_pFields[index].m_szName;
}
}  // namespace

IGridView* CZTTableDesc::DispGridDataHeader(HWND window, unsigned controlId) const {
  HWND grid = window;
  if (controlId == kZTSelfControl) {
    if (!IsWindow(window)) {
      DWORD error = GetLastError();
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on IsWindow( 0x%X )", (unsigned)error,
                        (unsigned)(UINT_PTR)window);
      ztTbl32Lib.DispError(ZT_ERR_TBL_GRID_WINDOW, (unsigned)error);
      return nullptr;
    }
  } else {
    grid = GetDlgItem(window, (int)controlId);
    if (!grid) {
      DWORD error = GetLastError();
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on IsWindow( 0x%X )", (unsigned)error,
                        (unsigned)(UINT_PTR)window);
      ztTbl32Lib.DispError(ZT_ERR_TBL_GRID_ITEM, controlId, (unsigned)error);
      return nullptr;
    }
  }
  IGridView* view = reinterpret_cast<IGridView*>(SendMessageA(grid, WM_USER, 0, 0));
  if (!view) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot inquire the grid class instance.");
    ztTbl32Lib.DispError(ZT_ERR_TBL_GRID_VIEW);
    return nullptr;
  }
  if (!DispGridDataHeaderOn(view, controlId)) return nullptr;
  InvalidateRect(grid, nullptr, TRUE);
  return view;
}

int CZTTableDesc::FillFieldsCombo(HWND window, unsigned controlId, const char* select) const {
  return ztFillNameCombo(window, controlId, this, m_Fields.m_pFields ? m_Fields.m_uCount : 0, FieldNameAt, select,
                         kFieldCombo);
}

int CZTTableDesc::GetCurrSelCombo(HWND window, unsigned controlId, char* buffer) const {
  return ztGetNameComboSel(window, controlId, buffer, kFieldCombo);
}
