#include "list_box_parent.h"

#include <new>

#include "grid_codes.h"

namespace {
bool IsListKey(WPARAM key) { return key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE; }

// Tab and Enter accept the list, Escape cancels it: either way the grid takes
// the focus back, and the list's focus loss closes it.
void EndList(CListBoxParent* list, WPARAM key) {
  if (list->m_pGrid) {
    list->m_pGrid->m_bCancelled = key == VK_ESCAPE ? 1 : 0;
    list->m_pGrid->m_bListEscaped = key == VK_ESCAPE ? 1 : 0;
  }
  SetFocus(list->m_hGrid);
}
}  // namespace

LRESULT CListBoxParent::OnCreate(HWND window, const CREATESTRUCTA* create) {
  CListBoxParent* self = new (std::nothrow) CListBoxParent;
  if (!self) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Not enough free memory to create instance of CListBoxParent");
    ztTbl32Lib.DispError(ZT_ERR_LISTPARENT_OBJECT);
    return -1;
  }
  self->m_hWnd = window;
  self->m_hGrid = static_cast<HWND>(create->lpCreateParams);
  IGridView* grid =
      self->m_hGrid ? reinterpret_cast<IGridView*>(SendMessageA(self->m_hGrid, ZT_GRID_QUERY, 0, 0)) : nullptr;
  self->m_pGrid = static_cast<CGridView*>(grid);
  if (self->m_pGrid) self->m_pGrid->m_bCancelled = 1;
  RECT client;
  GetClientRect(window, &client);
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", 0x50A00001, 0, 0, client.right, client.bottom, window,
                              nullptr, ztTbl32Lib.m_hInstance, nullptr);
  if (!list) {
    const unsigned error = unsigned(GetLastError());
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "CListBoxParentWndProc: Error %u on creating a listbox window",
                      error);
    ztTbl32Lib.DispError(ZT_ERR_LISTPARENT_LISTBOX, error);
    delete self;
    return -1;
  }
  self->m_hList = list;
  SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(self));
  SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  self->m_pfnSavedListProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
  RECT outer;
  GetWindowRect(list, &outer);
  SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetFocus(list);
  return 0;
}

LRESULT CALLBACK CListBoxParent::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) return OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
  CListBoxParent* self = reinterpret_cast<CListBoxParent*>(GetWindowLongPtrA(window, 0));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_SETFONT:
    case LB_INSERTSTRING:
    case LB_RESETCONTENT:
    case LB_SETCURSEL:
    case LB_GETCURSEL:
      return SendMessageA(self->m_hList, message, wParam, lParam);
    case WM_COMMAND:
      return SendMessageA(self->m_hGrid, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(window));
    case WM_DESTROY: {
      HWND list = self->m_hList;
      SetWindowLongPtrA(window, 0, 0);
      if (list) {
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->m_pfnSavedListProc));
        SetWindowLongPtrA(list, GWLP_USERDATA, 0);
        DestroyWindow(list);
      }
      delete self;
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK CListBoxParent::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CListBoxParent* self = reinterpret_cast<CListBoxParent*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "SubClassListWndProc: pParCtl is NULL");
    ztTbl32Lib.DispWarnText("SubClassListWndProc: GWL_USERDATA is NULL");
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == WM_KEYDOWN && IsListKey(wParam)) {
    EndList(self, wParam);
    return 0;
  }
  if (message == WM_GETDLGCODE) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg && msg->message == WM_KEYDOWN && IsListKey(msg->wParam)) {
      EndList(self, msg->wParam);
      return DLGC_WANTALLKEYS;
    }
  }
  return CallWindowProcA(self->m_pfnSavedListProc, window, message, wParam, lParam);
}
