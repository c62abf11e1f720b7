// In-place editing: the sub-classed edit field over a cell, the list pop-up
// below it, what their notifications store, and closing them.
#include "grid_cell.h"
#include "grid_codes.h"
#include "grid_view_call.h"
#include "zt_tbl32/grid_view.h"

namespace {
bool IsEditKey(WPARAM key) {
  return key == VK_TAB || key == VK_RETURN || key == VK_UP || key == VK_DOWN || key == VK_ESCAPE;
}

// Enter, Tab and the up and down arrows accept the field, Escape cancels it:
// the grid takes the focus and the field's focus loss closes it.
void EndEdit(CGridView* grid, WPARAM key) {
  grid->m_bCancelled = key == VK_ESCAPE ? 1 : 0;
  SetFocus(grid->m_hWnd);
}
}  // namespace

void CGridView::OpenEdit() {
  const UINT line = ValidLine(), column = m_uCurColumn;
  const SViewColumn* c = m_model.Column(column);
  SGridElt* cell = m_model.CellForWrite(line, column);
  if (!c || !cell || !m_hWnd) return;
  // The field shows the value as it reads back: without thousands points.
  char text[256];
  ztGridCellFormat(cell, BYTE(c->flags & ~GCF_THOUSANDS), text, sizeof(text));
  const int top = m_model.LineTop(line);
  // Scrolling sideways (ES_AUTOHSCROLL), so that a text wider than the column can be typed.
  HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", text, 0x50800000 | ES_AUTOHSCROLL, int(c->left) - 3, top - 3,
                              int(c->width) + 6, int(m_model.m_uLineHeight) + 6, m_hWnd,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(c->commandId & 0xFFFF)),
                              ztTbl32Lib.m_hInstance, nullptr);
  if (!edit) {
    const unsigned error = unsigned(GetLastError());
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Error %u on created edit field (%u,%u)", error, column, line);
    ztTbl32Lib.DispError(ZT_ERR_GRID_EDIT_FIELD, error);
    return;
  }
  if (!ztGridCellSave(*cell)) {
    DestroyWindow(edit);
    return;
  }
  SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(m_hDataFont), FALSE);
  m_bCancelled = 0;
  m_uChildKind = kChildEdit;
  SetWindowLongPtrA(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_pfnSavedEditProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
  m_hChild = edit;
  Notify(GN_EDITOPEN, c->commandId, line);
  if (!m_bDestroyPending && m_hChild == edit) SetFocus(edit);
}

void CGridView::OpenList() {
  const UINT line = ValidLine(), column = m_uCurColumn;
  const SViewColumn* c = m_model.Column(column);
  SGridElt* cell = m_model.CellForWrite(line, column);
  if (!c || !cell || !m_hWnd) return;
  char text[256];
  ztGridCellFormat(cell, c->flags, text, sizeof(text));
  POINT at = {LONG(c->left) - 3, m_model.LineTop(line) - 3};
  ClientToScreen(m_hWnd, &at);
  HWND popup = CreateWindowExA(0, kListBoxParentClassName, text, 0x90000000, at.x, at.y, int(c->width) + 6,
                               int(m_model.m_uLineHeight) * 12 + 6, m_hWnd, nullptr, ztTbl32Lib.m_hInstance, m_hWnd);
  if (!popup) {
    const unsigned error = unsigned(GetLastError());
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Error %u on create listbox field (%u,%u)", error, column, line);
    ztTbl32Lib.DispError(ZT_ERR_GRID_LIST_FIELD, error);
    return;
  }
  SendMessageA(popup, WM_SETFONT, reinterpret_cast<WPARAM>(m_hDataFont), FALSE);
  m_uChildKind = kChildList;
  m_bListEscaped = 0;
  m_hChild = popup;
  Notify(GN_LISTOPEN, c->commandId, line);
  if (m_bDestroyPending || m_hChild != popup) return;
  m_model.m_pColumns[column].listSel = UINT(SendMessageA(popup, LB_GETCURSEL, 0, 0));
}

void CGridView::OnChildCommand(UINT code) {
  if (m_uChildKind == kChildEdit) {
    if (code == EN_CHANGE) {
      char text[258];
      *reinterpret_cast<WORD*>(text) = 256;
      const LRESULT n = SendMessageA(m_hChild, EM_GETLINE, 0, reinterpret_cast<LPARAM>(text));
      const unsigned length = n > 0 && n <= 256 ? unsigned(n) : 0;
      text[length] = 0;
      if (SGridElt* cell = m_model.Cell(ValidLine(), m_uCurColumn)) ztGridCellParse(*cell, text, length);
    } else if (code == EN_KILLFOCUS) {
      CloseChild();
    }
    return;
  }
  if (m_uChildKind != kChildList) return;
  if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
    const LRESULT selection = SendMessageA(m_hChild, LB_GETCURSEL, 0, 0);
    if (selection != LB_ERR && m_uCurColumn < m_model.m_uColumnCount)
      m_model.m_pColumns[m_uCurColumn].listSel = UINT(selection);
    if (code == LBN_DBLCLK) {
      m_bCancelled = 0;
      CloseChild();
    }
  } else if (code == LBN_KILLFOCUS) {
    // Losing the focus accepts the list, unless Escape ended it.
    m_bCancelled = m_bListEscaped;
    CloseChild();
  }
}

void CGridView::CloseChild() {
  HWND child = m_hChild;
  if (!child) return;
  SGridCall call(this);
  const UINT kind = m_uChildKind;
  ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSrcGridView, "OnChildKillFocus: pSubClassEd = 0x%X, itChildCtl = %u",
                    unsigned(reinterpret_cast<UINT_PTR>(m_pfnSavedEditProc)), kind);
  if (kind == kChildEdit && m_pfnSavedEditProc)
    SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSavedEditProc));
  m_pfnSavedEditProc = nullptr;
  // Forgotten before it goes: its destruction sends further notifications.
  m_hChild = nullptr;
  m_uChildKind = kChildNone;
  const UINT line = m_uCurLine, column = m_uCurColumn;
  const bool inRange = column < m_model.m_uColumnCount && line < m_model.ItemCount();
  if (kind == kChildEdit) {
    if (SGridElt* cell = m_model.Cell(line, column)) ztGridCellEndEdit(*cell, m_bCancelled != 0);
    if (inRange) Notify(GN_EDITCLOSE, ColumnCommand(column), line);
  } else if (kind == kChildList && !m_bCancelled && inRange) {
    Notify(GN_LISTCLOSE, ColumnCommand(column), line);
  }
  DestroyWindow(child);
  if (m_bDestroyPending) return;
  SetFocus(m_hWnd);
  RedrawItem(line);
}

LRESULT CALLBACK CGridView::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CGridView* self = reinterpret_cast<CGridView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self || !self->m_pfnSavedEditProc) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "SubClassEdWndProc: pGridCtl is NULL");
    ztTbl32Lib.DispWarnText("SubClassEdWndProc: GWL_USERDATA is NULL");
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == WM_KEYDOWN && IsEditKey(wParam)) {
    EndEdit(self, wParam);
    return 0;
  }
  if (message == WM_GETDLGCODE) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg && msg->message == WM_KEYDOWN && IsEditKey(msg->wParam)) {
      EndEdit(self, msg->wParam);
      return DLGC_WANTALLKEYS;
    }
  }
  return CallWindowProcA(self->m_pfnSavedEditProc, window, message, wParam, lParam);
}
