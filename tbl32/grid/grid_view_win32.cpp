// The grid object's life with its window: construction, creation by class name
// or by Create, attach and detach, colours, fonts and pictures, the window
// procedure's dispatch.
#include <windowsx.h>

#include <initializer_list>
#include <new>

#include "grid_cell.h"
#include "grid_codes.h"
#include "grid_view_call.h"
#include "zt_tbl32/grid_view.h"

namespace {

// Text that measures the tallest letters of the title font.
const char kSample[] =
    "A\xc4\xd6\xdc\xdf"
    "fgjpqrs0123456789()[]{}";
const char kEllipsis[] = "...";

HBRUSH MakeBrush(COLORREF colour) {
  if (colour == 0) return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  if (colour == 0xFFFFFF) return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  return CreateSolidBrush(colour);
}

void DropBrush(HBRUSH brush, COLORREF colour) {
  if (brush && colour != 0 && colour != 0xFFFFFF) DeleteObject(brush);
}

void ReleasePair(SGridColorPair& pair) {
  if (pair.brushOdd != pair.brushEven) DropBrush(pair.brushOdd, pair.odd);
  DropBrush(pair.brushEven, pair.even);
  pair.brushEven = pair.brushOdd = nullptr;
}

void CreatePair(SGridColorPair& pair) {
  if (!pair.brushEven) pair.brushEven = MakeBrush(pair.even);
  if (!pair.brushOdd) pair.brushOdd = pair.odd == pair.even ? pair.brushEven : MakeBrush(pair.odd);
}

void SetPairColor(SGridColorPair& pair, BOOL odd, COLORREF colour) {
  if ((odd ? pair.odd : pair.even) == colour && (odd ? pair.brushOdd : pair.brushEven)) return;
  ReleasePair(pair);
  (odd ? pair.odd : pair.even) = colour;
  CreatePair(pair);
}

HFONT MakeFont(HDC dc, int weight, bool wide) {
  const int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
  if (wide)
    return CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
  return CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH, "MS Sans Serif");
}

LRESULT DefProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return IsWindowUnicode(window) ? DefWindowProcW(window, message, wParam, lParam)
                                 : DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

CGridView::CGridView()
    : m_crGridLine(GetSysColor(COLOR_BTNFACE)),
      m_lineBack{0xFFFFFF, 0xFFFFFF, nullptr, nullptr},
      m_selBack{0x600000, 0x600000, nullptr, nullptr},
      m_selBackNoFocus{0xD0A0A0, 0xD0A0A0, nullptr, nullptr} {}

CGridView::~CGridView() {
  m_bSelfOwned = 0;  // being deleted now: the window's destruction must not delete again
  if (m_hChild) {
    HWND child = m_hChild;
    m_hChild = nullptr;
    DestroyWindow(child);
  }
  if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
  Detach();
}

BOOL CGridView::Create(HWND parent, UINT id, const RECT* rect, UINT style) {
  m_model.m_uStyle = style;
  const RECT none = {0, 0, 0, 0};
  if (!rect) rect = &none;
  HWND window = CreateWindowExA(WS_EX_CLIENTEDGE, kGridClassName, "", 0x50810000, rect->left, rect->top,
                                rect->right - rect->left, rect->bottom - rect->top, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ztTbl32Lib.m_hInstance, this);
  if (!window) {
    const DWORD error = GetLastError();
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Error %u on creating a grid control window", unsigned(error));
    ztTbl32Lib.DispError(ZT_ERR_GRID_CREATE, unsigned(error));
    return FALSE;
  }
  return TRUE;
}

void CGridView::Destroy() {
  if (m_hWnd) DestroyWindow(m_hWnd);
}

BOOL CGridView::Attach(HWND window) {
  m_hWnd = window;
  m_hParent = GetParent(window);
  m_hChild = nullptr;
  m_bFocused = m_bCancelled = m_bListEscaped = m_bDestroyPending = 0;
  m_bResizeHover = m_bResizing = 0;
  m_bDisabled = IsWindowEnabled(window) ? 0 : 1;
  m_uCurLine = kZTNoLine;
  m_uCurColumn = 0;
  m_uCtrlId = UINT(GetWindowLongPtrA(window, GWLP_ID));
  RECT client;
  GetClientRect(window, &client);
  m_model.m_uClientWidth = UINT(client.right);
  m_model.m_uClientHeight = UINT(client.bottom);
  m_hClassBrush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND));
  m_hDisabledBrush = GetSysColorBrush(COLOR_BTNFACE);
  CreatePair(m_lineBack);
  CreatePair(m_selBack);
  CreatePair(m_selBackNoFocus);
  if (!m_hGridPen) m_hGridPen = CreatePen(PS_SOLID, 1, m_crGridLine);

  HDC dc = GetDC(window);
  if (!m_hTitleFont) m_hTitleFont = MakeFont(dc, 600, false);
  if (!m_hTitleFontW) m_hTitleFontW = MakeFont(dc, 600, true);
  if (!m_hTitleFont || !m_hTitleFontW) {
    const unsigned error = unsigned(GetLastError());
    ReleaseDC(window, dc);
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Error %u on creating the title font", error);
    ztTbl32Lib.DispError(ZT_ERR_GRID_FONT, error);
    return FALSE;
  }
  if (!m_hDataFont) m_hDataFont = MakeFont(dc, 500, false);
  if (!m_hDataFontW) m_hDataFontW = MakeFont(dc, 500, true);
  if (!m_hDataFont || !m_hDataFontW) {
    const unsigned error = unsigned(GetLastError());
    ReleaseDC(window, dc);
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Error %u on creating the data font", error);
    ztTbl32Lib.DispError(ZT_ERR_GRID_FONT, error);
    return FALSE;
  }
  HGDIOBJ old = SelectObject(dc, m_hTitleFont);
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, kSample, int(sizeof(kSample) - 1), &size);
  m_model.m_uHeaderHeight = UINT(size.cy * 4 / 3);
  m_model.m_uLineHeight = m_model.m_uHeaderHeight > 3 ? m_model.m_uHeaderHeight - 2 : 1;
  GetTextExtentPoint32A(dc, kEllipsis, 3, &size);
  m_uTitleEllipsisWidth = UINT(size.cx);
  SelectObject(dc, m_hDataFont);
  GetTextExtentPoint32A(dc, kEllipsis, 3, &size);
  m_uEllipsisWidth = UINT(size.cx);
  SelectObject(dc, old);
  ReleaseDC(window, dc);

  m_model.LayoutColumns();
  UpdateBars();
  return TRUE;
}

void CGridView::Detach() {
  if (m_hChild) {
    HWND child = m_hChild;
    if (m_uChildKind == kChildEdit && m_pfnSavedEditProc)
      SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSavedEditProc));
    m_pfnSavedEditProc = nullptr;
    m_hChild = nullptr;
    DestroyWindow(child);
  }
  if (m_hWnd && IsWindow(m_hWnd)) SetWindowLongPtrA(m_hWnd, 0, 0);
  if (m_bResizeHover) {
    m_bResizeHover = m_bResizing = 0;
    if (GetCapture() == m_hWnd) ReleaseCapture();
  }
  for (HFONT* font : {&m_hTitleFont, &m_hTitleFontW, &m_hDataFont, &m_hDataFontW}) {
    if (*font) DeleteObject(*font);
    *font = nullptr;
  }
  ReleasePair(m_lineBack);
  ReleasePair(m_selBack);
  ReleasePair(m_selBackNoFocus);
  if (m_hGridPen) DeleteObject(m_hGridPen);
  m_hGridPen = nullptr;
  for (HBITMAP& bitmap : m_hCheck) {
    if (bitmap) DeleteObject(bitmap);
    bitmap = nullptr;
  }
  for (HBITMAP& bitmap : m_hYesNo) {
    if (bitmap) DeleteObject(bitmap);
    bitmap = nullptr;
  }
  m_model.FreeAll();
  m_model.m_bVBar = m_model.m_bHBar = 0;
  m_iBarMax = m_iBarPos = -1;
  m_uCtrlId = kZTNoControl;
  m_hWnd = m_hParent = nullptr;
}

void CGridView::LeaveCall() {
  if (--m_uSending || !m_bDestroyPending) return;
  m_bDestroyPending = 0;
  Detach();
  if (m_bSelfOwned) delete this;
}

LRESULT CGridView::Notify(UINT code, UINT lowWord, LPARAM lParam) {
  if (!m_hParent || m_bDestroyPending) return 0;
  return SendMessageA(m_hParent, WM_COMMAND, MAKEWPARAM(lowWord & 0xFFFF, code), lParam);
}

UINT CGridView::ColumnCommand(UINT column) const {
  const SViewColumn* c = m_model.Column(column);
  return c ? (c->commandId & 0xFFFF) : m_uCtrlId;
}

void CGridView::Invalidate() {
  if (m_hWnd) RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void CGridView::InvalidateHeader() {
  if (!m_hWnd) return;
  RECT header = {0, 0, LONG(m_model.m_uClientWidth), LONG(m_model.m_uHeaderHeight)};
  InvalidateRect(m_hWnd, &header, TRUE);
}

void CGridView::UpdateBars() {
  static bool updating = false;  // showing a bar resizes the window, which comes back here
  m_model.UpdateVBar();
  m_model.m_bHBar = m_model.m_uTotalWidth > m_model.m_uClientWidth ? 1 : 0;
  if (!m_hWnd || updating) return;
  updating = true;
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_POS;
  info.nMax = m_model.m_bVBar ? int(m_model.m_uTopMax > 0x7FFFFFFEu ? 0x7FFFFFFEu : m_model.m_uTopMax) : 0;
  info.nPos = m_model.m_bVBar ? int(m_model.m_uTopLine > UINT(info.nMax) ? UINT(info.nMax) : m_model.m_uTopLine) : 0;
  const DWORD style = DWORD(GetWindowLongPtrA(m_hWnd, GWL_STYLE));
  // Filling a grid line by line changes the range each time: the bar is told
  // only what changed, and drawn again with the window's next redraw.
  if (m_model.m_bVBar && (info.nMax != m_iBarMax || info.nPos != m_iBarPos)) {
    SetScrollInfo(m_hWnd, SB_VERT, &info, FALSE);
    m_iBarMax = info.nMax;
    m_iBarPos = info.nPos;
  }
  if (bool(style & WS_VSCROLL) != bool(m_model.m_bVBar)) ShowScrollBar(m_hWnd, SB_VERT, m_model.m_bVBar);
  if (bool(style & WS_HSCROLL) != bool(m_model.m_bHBar)) ShowScrollBar(m_hWnd, SB_HORZ, m_model.m_bHBar);
  updating = false;
}

void CGridView::SetBarPosition() {
  if (!m_hWnd || !m_model.m_bVBar) return;
  const UINT top = m_model.m_uTopLine;
  m_iBarPos = int(top > UINT(m_iBarMax) ? UINT(m_iBarMax) : top);
  SetScrollPos(m_hWnd, SB_VERT, m_iBarPos, TRUE);
}

void CGridView::LoadPictures(UINT type) {
  auto load = [](HBITMAP& bitmap, unsigned id) {
    if (!bitmap) bitmap = LoadBitmapA(ztTbl32Lib.m_hInstance, MAKEINTRESOURCEA(id));
  };
  if (type == GCT_CHECK) {
    load(m_hCheck[0], ZT_BMP_CHECK_ON);
    load(m_hCheck[1], ZT_BMP_CHECK_OFF);
    load(m_hCheck[2], ZT_BMP_CHECK_RING);
  } else if (type == GCT_YESNO) {
    load(m_hYesNo[0], ZT_BMP_YES);
    load(m_hYesNo[1], ZT_BMP_NO);
    load(m_hCheck[2], ZT_BMP_CHECK_RING);  // value 2 shows the ring here too
  }
}

BOOL CGridView::SetColors(BOOL odd, COLORREF lineBackground, COLORREF text, COLORREF selectionBackground,
                          COLORREF selectedText) {
  SetPairColor(m_lineBack, odd, lineBackground);
  (odd ? m_crTextOdd : m_crTextEven) = text;
  SetPairColor(m_selBack, odd, selectionBackground);
  (odd ? m_crSelTextOdd : m_crSelTextEven) = selectedText;
  Invalidate();
  return TRUE;
}

// ---- The window procedure ----

LRESULT CALLBACK CGridView::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CGridView* self = reinterpret_cast<CGridView*>(GetWindowLongPtrA(window, 0));
  if (message == WM_CREATE) {
    // CREATESTRUCTA and CREATESTRUCTW hold the creation parameter at the same place.
    CGridView* view = static_cast<CGridView*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    bool own = false;
    if (!view) {
      view = new (std::nothrow) CGridView;
      if (!view) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView,
                          "WM_CREATE: Not enough free memory for a CGridView instance available");
        ztTbl32Lib.DispError(ZT_ERR_GRID_OBJECT);
        return -1;
      }
      view->m_bSelfOwned = 1;
      own = true;
    }
    SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(view));
    if (!view->Attach(window)) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Error on call of CGridView::OnWMCreate");
      view->Detach();
      SetWindowLongPtrA(window, 0, 0);
      if (own) delete view;
      return -1;
    }
    return 0;
  }
  if (!self) return message == ZT_GRID_QUERY ? 0 : DefProc(window, message, wParam, lParam);

  SGridCall call(self);
  CGridModel& model = self->m_model;
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  switch (message) {
    case ZT_GRID_QUERY:
      return wParam == 0 && lParam == 0 ? reinterpret_cast<LRESULT>(static_cast<IGridView*>(self)) : 0;
    case ZT_GRID_EDIT:
      self->EditItem(UINT(wParam), UINT(lParam));
      return 0;
    case WM_DESTROY:
      if (self->m_uSending > 1)
        ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcGridView, "WM_DESTROY received: Message send is currently active");
      self->m_bDestroyPending = 1;  // the outermost call detaches
      return 0;
    case WM_SIZE:
      model.m_uClientWidth = LOWORD(lParam);
      model.m_uClientHeight = HIWORD(lParam);
      model.LayoutColumns();
      self->UpdateBars();
      if (model.m_bVBar && uint64_t(model.m_uTopLine) + model.m_uPage >= model.ItemCount()) {
        const int64_t by = int64_t(model.ItemCount()) - model.m_uPage - model.m_uTopLine - 1;
        if (by < 0 && by >= -int64_t(model.m_uTopLine)) self->ScrollBy(int(by));
      }
      self->Invalidate();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      self->Paint(dc, ps.rcPaint);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT all = {0, 0, LONG(model.m_uClientWidth), LONG(model.m_uClientHeight)};
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (lParam & PRF_ERASEBKGND) FillRect(dc, &all, self->m_bDisabled ? self->m_hDisabledBrush : self->m_hClassBrush);
      self->Paint(dc, all);
      return 0;
    }
    case WM_ERASEBKGND: {
      RECT all;
      GetClientRect(window, &all);
      FillRect(reinterpret_cast<HDC>(wParam), &all, self->m_bDisabled ? self->m_hDisabledBrush : self->m_hClassBrush);
      return 1;
    }
    case WM_SETFOCUS:
      self->m_bFocused = 1;
      self->RedrawItem(self->m_uCurLine);
      return 0;
    case WM_KILLFOCUS:
      self->m_bFocused = 0;
      if (!self->m_hChild) self->RedrawItem(self->m_uCurLine);
      return 0;
    case WM_ENABLE:
      if (self->m_hChild) self->CloseChild();
      self->m_bDisabled = wParam ? 0 : 1;
      InvalidateRect(window, nullptr, TRUE);
      UpdateWindow(window);
      return DefProc(window, message, wParam, lParam);
    case WM_CANCELMODE:
      if (self->m_bResizing || self->m_bResizeHover) self->EndDrag(0, false);
      return DefProc(window, message, wParam, lParam);
    case WM_GETDLGCODE: {
      const MSG* msg = reinterpret_cast<const MSG*>(lParam);
      if (msg && msg->message == WM_KEYDOWN &&
          ((msg->wParam == VK_RETURN && self->m_uCurLine < model.ItemCount()) ||
           (msg->wParam == VK_INSERT && !self->m_hChild)))
        return DLGC_WANTARROWS | DLGC_WANTALLKEYS;
      return DLGC_WANTARROWS;
    }
    case WM_KEYDOWN:
      if (self->m_hChild) return 0;
      return self->OnKeyDown(wParam, lParam);
    case WM_CHAR:
      if (self->m_hChild || !self->m_hParent) return 0;
      return IsWindowUnicode(window) ? SendMessageW(self->m_hParent, WM_CHAR, wParam, lParam)
                                     : SendMessageA(self->m_hParent, WM_CHAR, wParam, lParam);
    case WM_SYSKEYDOWN:
      if (wParam == VK_F10 && !self->m_hChild && self->m_hParent)
        return SendMessageA(self->m_hParent, WM_KEYDOWN, VK_F10, lParam);
      return DefProc(window, message, wParam, lParam);
    case WM_COMMAND:
      if (self->m_hChild && HWND(lParam) == self->m_hChild)
        self->OnChildCommand(HIWORD(wParam));
      else if (LOWORD(wParam) == 2)
        Beep(880, 500);
      return 0;
    case WM_VSCROLL:
      if (!self->m_hChild) self->OnVScroll(LOWORD(wParam));
      return 0;
    case WM_MOUSEMOVE:
      self->OnMouseMove(wParam, x, y);
      return 0;
    case WM_LBUTTONDOWN:
      self->OnLButtonDown(lParam, x, y);
      return 0;
    case WM_LBUTTONUP:
      if (self->m_bResizing) self->EndDrag(x, true);
      return 0;
    case WM_RBUTTONDOWN:
      self->OnRButtonDown(lParam, x, y);
      return 0;
    case WM_MBUTTONDOWN:
      self->OnMButtonDown(lParam, x, y);
      return 0;
    default:
      return DefProc(window, message, wParam, lParam);
  }
}
