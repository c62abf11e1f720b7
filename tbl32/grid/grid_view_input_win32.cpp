// What the grid does with the mouse, the keyboard and the scroll bar, and the
// current cell's selection and activation, with the notifications each sends.
#include "grid_codes.h"
#include "grid_view_call.h"
#include "zt_tbl32/grid_view.h"

UINT CGridView::ValidLine() const { return m_uCurLine < m_model.ItemCount() ? m_uCurLine : kZTNoLine; }

BOOL CGridView::SelectItem(UINT line, UINT column) {
  if (column != kZTNoColumn && column >= m_model.m_uColumnCount) return FALSE;
  if (line != kZTNoLine && line >= m_model.ItemCount()) return FALSE;
  SGridCall call(this);
  if (m_hWnd) SetFocus(m_hWnd);
  if (m_bDestroyPending) return TRUE;
  if (LineMode()) {
    if (line != m_uCurLine) {
      RedrawItem(m_uCurLine);
      m_uCurLine = line;
    }
    if (line == kZTNoLine) return TRUE;
    Notify(GN_LINESELECT, m_uCtrlId, line);
    if (!m_bDestroyPending) RedrawItem(line);
    return TRUE;
  }
  RedrawItem(m_uCurLine);
  m_uCurLine = line;
  if (line != kZTNoLine && column != kZTNoColumn) {
    Notify(GN_CELLSELECT, ColumnCommand(column), line);
    if (m_bDestroyPending) return TRUE;
    RedrawItem(line);
  } else {
    m_uCurLine = kZTNoLine;
  }
  m_uCurColumn = column;
  return TRUE;
}

BOOL CGridView::EditItem(UINT line, UINT column) {
  if (column >= m_model.m_uColumnCount || line >= m_model.ItemCount()) return FALSE;
  SGridCall call(this);
  if (m_hWnd) SetFocus(m_hWnd);
  if (m_bDestroyPending) return TRUE;
  if (line != m_uCurLine) RedrawItem(m_uCurLine);
  m_uCurLine = line;
  if (!LineMode() || (m_model.m_uStyle & GS_ACTIVATECELLS)) m_uCurColumn = column;
  Activate();
  if (!m_bDestroyPending) RedrawItem(line);
  return TRUE;
}

BOOL CGridView::Activate() {
  const UINT line = ValidLine();
  if (line == kZTNoLine) return FALSE;
  if (LineMode() && !(m_model.m_uStyle & GS_ACTIVATECELLS)) {
    Notify(GN_LINEACTIVATE, m_uCtrlId, line);
    return TRUE;
  }
  const SViewColumn* column = m_model.Column(m_uCurColumn);
  if (!column) {
    if (!LineMode()) return FALSE;
    Notify(GN_LINEACTIVATE, m_uCtrlId, line);
    return TRUE;
  }
  EnsureVisible(line);
  switch (column->type) {
    case GCT_PLAIN:
      return FALSE;
    case GCT_CHECK:
      Notify(GN_CHECKACTIVATE, column->commandId, line);
      break;
    case GCT_NOTIFY:
      Notify(GN_CELLACTIVATE, column->commandId, line);
      break;
    case GCT_EDIT:
      OpenEdit();
      break;
    case GCT_LIST:
      OpenList();
      break;
    default:
      Notify(GN_CELLSELECT, column->commandId, line);
      break;
  }
  return TRUE;
}

// ---- Keyboard ----

LRESULT CGridView::OnKeyDown(WPARAM key, LPARAM lParam) {
  const UINT n = m_model.ItemCount(), p = m_model.m_uPage, columns = m_model.m_uColumnCount;
  const bool bar = m_model.m_bVBar != 0;
  const UINT oldLine = ValidLine(), oldColumn = m_uCurColumn;
  UINT r = oldLine, k = oldColumn;
  switch (key) {
    case VK_RETURN:
      Activate();
      return 0;
    case VK_ESCAPE:
    case VK_F1:
    case VK_F2:
    case VK_F3:
    case VK_F4:
    case VK_F5:
    case VK_F6:
    case VK_F7:
    case VK_F8:
    case VK_F9:
    case VK_F10:
    case VK_F11:
    case VK_F12:
      return m_hParent ? SendMessageA(m_hParent, WM_KEYDOWN, key, lParam) : 0;
    case VK_PRIOR:
      if (bar) {
        const UINT t = m_model.m_uTopLine, d = p < t ? p : t;
        ScrollBy(-int(d));
        if (r != kZTNoLine) r = r > d ? r - d : 0;
      }
      break;
    case VK_NEXT:
      if (bar) {
        const int64_t t = m_model.m_uTopLine;
        int64_t d = p;
        if (2 * int64_t(p) + t >= n) d = int64_t(n) - p - t - 1;
        if (d > 0) ScrollBy(int(d));
        if (r != kZTNoLine && d > 0) r = int64_t(r) + d < n ? UINT(r + d) : n - 1;
      }
      break;
    case VK_END: {
      const UINT last = m_model.LastShown() < n ? m_model.LastShown() : n - 1;
      r = r != kZTNoLine && r < last ? last : n - 1;
      break;
    }
    case VK_HOME: {
      const UINT t = m_model.TopLine();
      r = t < r ? t : 0;
      if (n == 0) r = kZTNoLine;
      break;
    }
    case VK_LEFT:
      if (k != kZTNoColumn && k > 0) k = k - 1 < columns ? k - 1 : columns - 1;
      break;
    case VK_RIGHT:
      if (k + 1 < columns) k = k + 1;  // no column yet: the first
      break;
    case VK_UP:
      if (r != kZTNoLine && r > 0) --r;
      break;
    case VK_DOWN:
      if (r + 1 < n) ++r;  // no line yet: the first
      break;
    case VK_INSERT:
      if (!(m_model.m_uStyle & (GS_LINEMODE | GS_INSERTLINE)) && k < columns)
        Notify(GN_INSERTCELL, ColumnCommand(k), r);
      else
        Notify(GN_INSERTLINE, m_uCtrlId, r);
      return 0;
    case VK_DELETE:
      if (r != kZTNoLine) {
        if (m_model.m_uStyle & (GS_LINEMODE | GS_DELETELINE)) {
          Notify(GN_DELETELINE, m_uCtrlId, r);
          return 0;
        }
        if (k < columns) {
          Notify(GN_DELETECELL, ColumnCommand(k), r);
          return 0;
        }
      }
      break;
    default:
      return 0;
  }
  const bool changed = r != oldLine || k != oldColumn;
  if (changed) {
    RedrawItem(m_uCurLine);
    m_uCurLine = r;
    m_uCurColumn = k == kZTNoColumn ? 0 : k;
  }
  if (r != kZTNoLine) {
    const int visibility = m_model.Visibility(r);
    const int64_t top = m_model.m_uTopLine;
    if (visibility < 0)
      ScrollBy(int(int64_t(r) - top));
    else if (visibility > 0)
      ScrollBy(int(int64_t(r) - top - p));
    else
      RedrawItem(r);
    if (changed && (m_model.m_uStyle & GS_REPORTMOVES)) {
      if (!LineMode() && m_uCurColumn < columns)
        Notify(GN_MOVED, ColumnCommand(m_uCurColumn), r);
      else
        Notify(GN_MOVED, m_uCtrlId, r);
    }
  }
  return 0;
}

// ---- Scroll bar ----

void CGridView::OnVScroll(UINT code) {
  if (!m_model.m_bVBar) return;
  const UINT top = m_model.m_uTopLine, max = m_model.m_uTopMax, page = m_model.m_uPage;
  UINT next = top;
  switch (code) {
    case SB_LINEUP:
      next = top > 0 ? top - 1 : 0;
      break;
    case SB_LINEDOWN:
      if (top < max) next = top + 1;
      break;
    case SB_PAGEUP:
      next = page >= top ? 0 : top - page;
      break;
    case SB_PAGEDOWN:
      next = uint64_t(top) + page > max ? max : top + page;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      // The 32-bit tracking position: the message carries only 16 bits.
      SCROLLINFO info = {};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      if (!GetScrollInfo(m_hWnd, SB_VERT, &info)) return;
      next = info.nTrackPos < 0 ? 0 : UINT(info.nTrackPos) > max ? max : UINT(info.nTrackPos);
      break;
    }
    case SB_TOP:
      next = 0;
      break;
    case SB_BOTTOM:
      next = max;
      break;
    default:
      return;
  }
  if (next == top) return;
  m_model.m_uTopLine = next;
  SetBarPosition();
  if (m_hParent) PostMessageA(m_hParent, WM_COMMAND, MAKEWPARAM(m_uCtrlId & 0xFFFF, GN_SCROLLED), LPARAM(next));
  Invalidate();
}

// ---- Mouse ----

void CGridView::LeaveHover() {
  if (!m_bResizeHover) return;
  m_bResizeHover = 0;
  SetCursor(m_hSavedCursor);
  if (GetCapture() == m_hWnd) ReleaseCapture();
}

void CGridView::EndDrag(int x, bool atPoint) {
  if (m_bResizing) {
    if (atPoint) m_model.DragDivider(m_uDragDivider, m_iDragX, x);
    m_model.RecomputePercents();
    UpdateBars();
  }
  Invalidate();
  m_bResizing = 0;
  LeaveHover();
}

void CGridView::OnMouseMove(WPARAM keys, int x, int y) {
  if (m_hChild) return;
  if (m_bResizing) {
    if (keys & MK_LBUTTON) {
      m_model.DragDivider(m_uDragDivider, m_iDragX, x);
      Invalidate();
    } else {
      EndDrag(x, true);
    }
    return;
  }
  if (y >= 0 && y <= int(m_model.m_uHeaderHeight) && x >= 1 && m_model.DividerAt(x) != kZTNotFound) {
    if (!m_bResizeHover) {
      m_bResizeHover = 1;
      m_hSavedCursor = SetCursor(LoadCursorA(ztTbl32Lib.m_hInstance, MAKEINTRESOURCEA(ZT_CUR_DIVIDER)));
      SetCapture(m_hWnd);
      m_iDragX = x;
    }
  } else {
    LeaveHover();
  }
}

void CGridView::OnLButtonDown(LPARAM point, int x, int y) {
  if (m_hChild) SetFocus(m_hWnd);
  if (m_bDestroyPending) return;
  if (y > int(m_model.m_uHeaderHeight)) {
    CellClick(point, x, y);
    return;
  }
  if (m_bResizeHover) {
    const UINT divider = m_model.DividerAt(x);
    if (divider != kZTNotFound) {
      m_iDragX = x;
      m_uDragDivider = divider;
      m_bResizing = 1;
      return;
    }
    LeaveHover();
  }
  const UINT column = m_model.ColumnAt(x);
  if (column != kZTNoColumn)
    Notify(GN_HEADERCLICK, m_uCtrlId, column);
  else
    Notify(GN_CLICK, m_uCtrlId, point);
}

void CGridView::CellClick(LPARAM point, int x, int y) {
  const UINT column = m_model.ColumnAt(x), line = m_model.LineAt(y);
  if (column == kZTNoColumn || line == kZTNoLine) {
    const UINT old = m_uCurLine;
    m_uCurLine = kZTNoLine;
    m_uCurColumn = kZTNoColumn;
    RedrawItem(old);
    Notify(GN_CLICK, m_uCtrlId, point);
    return;
  }
  SetFocus(m_hWnd);
  if (m_bDestroyPending) return;
  const UINT oldLine = m_uCurLine, oldColumn = m_uCurColumn;
  if (!LineMode()) {
    if (line != oldLine) {
      RedrawItem(oldLine);
      m_uCurLine = line;
    }
    if (line != oldLine || column != oldColumn) {
      m_uCurColumn = column;
      if (m_model.Column(column)->flags & GCF_CLICKACTIVATES)
        Activate();
      else
        Notify(GN_CELLSELECT, ColumnCommand(column), line);
    } else {
      Activate();
    }
  } else {
    // With cells activated in line mode the clicked column is the one to activate.
    if (m_model.m_uStyle & GS_ACTIVATECELLS) m_uCurColumn = column;
    if (line != oldLine) {
      RedrawItem(oldLine);
      m_uCurLine = line;
      if (m_model.m_uColumnCount && (m_model.Column(0)->flags & GCF_CLICKACTIVATES))
        Activate();
      else
        Notify(GN_LINESELECT, m_uCtrlId, line);
    } else {
      Activate();
    }
  }
  if (!m_bDestroyPending) RedrawItem(m_uCurLine);
}

void CGridView::OnRButtonDown(LPARAM point, int x, int y) {
  if (m_hChild) SetFocus(m_hWnd);
  if (m_bDestroyPending) return;
  if (y > int(m_model.m_uHeaderHeight)) {
    const UINT line = m_model.LineAt(y);
    if (!(m_model.m_uStyle & GS_RCLICKPOINT) && line != kZTNoLine) {
      const UINT column = m_model.ColumnAt(x);
      if (!(m_model.m_uStyle & (GS_LINEMODE | GS_RCLICKCELL)) && column != kZTNoColumn) {
        Notify(GN_RCLICKCELL, ColumnCommand(column), line);
      } else {
        SGridRClick click = {line, column, uint32_t(x), uint32_t(y)};
        Notify(GN_RCLICKLINE, m_uCtrlId, reinterpret_cast<LPARAM>(&click));
      }
    } else {
      Notify(GN_RCLICK, m_uCtrlId, point);
    }
    return;
  }
  const UINT column = m_model.ColumnAt(x);
  if (column != kZTNoColumn)
    Notify(GN_HEADERRCLICK, m_uCtrlId, column);
  else
    Notify(GN_RCLICK, m_uCtrlId, point);
}

void CGridView::OnMButtonDown(LPARAM point, int x, int y) {
  if (m_hChild) SetFocus(m_hWnd);
  if (m_bDestroyPending || y > int(m_model.m_uHeaderHeight)) return;
  const UINT column = m_model.ColumnAt(x);
  if (column != kZTNoColumn)
    Notify(GN_HEADERMCLICK, m_uCtrlId, column);
  else
    Notify(GN_MCLICK, m_uCtrlId, point);
}
