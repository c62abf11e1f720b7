// The IGridView operations on columns, lines, cells and the vertical position:
// the model does the work, the window is redrawn and its bars follow.
#include "grid_cell.h"
#include "grid_codes.h"
#include "zt_tbl32/grid_view.h"

HWND CGridView::GetHwnd() { return m_hWnd; }
HWND CGridView::GetChildHwnd() { return m_hChild; }
UINT CGridView::GetStyle() { return m_model.m_uStyle; }

UINT CGridView::SetStyle(UINT style) { return m_model.m_uStyle = style; }

UINT CGridView::AddStyle(UINT bits) {
  m_model.m_uStyle |= bits;
  return bits;
}

UINT CGridView::RemoveStyle(UINT bits) {
  m_model.m_uStyle &= ~bits;
  return ~bits;
}

UINT CGridView::GetCurColumn() { return m_uCurColumn; }
UINT CGridView::GetCurItem() { return m_uCurLine; }
UINT CGridView::GetItemCount() { return m_model.ItemCount(); }
UINT CGridView::GetColumnListSel(UINT column) { return m_model.GetColumnListSel(column); }
BOOL CGridView::IsSortColumn(UINT column) { return m_model.IsSortColumn(column); }

BOOL CGridView::ClearSortColumn() {
  m_model.ClearSortColumn();
  InvalidateHeader();
  return TRUE;
}

BOOL CGridView::SetColumnCount(UINT count, BOOL redraw) {
  const BOOL done = m_model.SetColumnCount(count);
  UpdateBars();
  if (redraw) Invalidate();
  return done;
}

BOOL CGridView::SetColumnType(UINT column, UINT type, UINT commandId, BYTE flags) {
  if (!m_model.SetColumnType(column, type, commandId, flags)) return FALSE;
  LoadPictures(type);
  return TRUE;
}

BOOL CGridView::SetColumnHeader(UINT column, UINT widthPercent, BYTE justification, const char* text, BOOL redraw) {
  if (!m_model.SetColumnHeader(column, widthPercent, justification, text)) return FALSE;
  UpdateBars();
  if (redraw) Invalidate();
  return TRUE;
}

BOOL CGridView::SetColumnColor(UINT column, COLORREF background, COLORREF text, BOOL redraw) {
  return SetColumnColors(column, background, background, text, text, redraw);
}

BOOL CGridView::SetColumnColors(UINT column, COLORREF backgroundEven, COLORREF backgroundOdd, COLORREF textEven,
                                COLORREF textOdd, BOOL redraw) {
  if (!m_model.SetColumnColors(column, backgroundEven, backgroundOdd, textEven, textOdd)) return FALSE;
  if (redraw) Invalidate();
  return TRUE;
}

BOOL CGridView::SetSortColumn(UINT column, BOOL up) {
  if (!m_model.SetSortColumn(column, up)) return FALSE;
  InvalidateHeader();
  return TRUE;
}

BOOL CGridView::SetItemCount(OwnerDataCallback callback, UINT count, UINT_PTR parameter, BOOL redraw) {
  if (!m_model.SetItemCount(callback, count, parameter)) return FALSE;
  UpdateBars();
  if (redraw) Invalidate();
  return TRUE;
}

BOOL CGridView::InsertItem(UINT line, UINT data, BOOL redraw) {
  if (!m_model.InsertItem(line, data)) return FALSE;
  UpdateBars();
  if (redraw) Invalidate();
  return TRUE;
}

BOOL CGridView::DeleteItem(UINT line, BOOL redraw) {
  if (!m_model.DeleteItem(line)) return FALSE;
  if (redraw) Invalidate();
  return TRUE;
}

void CGridView::DeleteAllItems(BOOL redraw) {
  m_model.DeleteAllItems();
  m_uCurLine = kZTNoLine;
  m_uCurColumn = kZTNoColumn;
  UpdateBars();
  if (redraw) Invalidate();
}

BOOL CGridView::SetItemUInt64(UINT line, UINT column, UINT low, UINT high) {
  return m_model.SetItemNumber(line, column, GET_UINT64, low, high);
}

BOOL CGridView::SetItemUInt(UINT line, UINT column, UINT value) {
  return m_model.SetItemNumber(line, column, GET_UINT, value, 0);
}

BOOL CGridView::SetItemInt64(UINT line, UINT column, UINT low, UINT high) {
  return m_model.SetItemNumber(line, column, GET_INT64, low, high);
}

BOOL CGridView::SetItemInt(UINT line, UINT column, int value) {
  return m_model.SetItemNumber(line, column, GET_INT, uint32_t(value), 0);
}

BOOL CGridView::SetItemAmount(UINT line, UINT column, int hundredths) {
  return m_model.SetItemNumber(line, column, GET_AMOUNT, uint32_t(hundredths), 0);
}

BOOL CGridView::SetItemTextW(UINT line, UINT column, const wchar_t* text) {
  return m_model.SetItemTextW(line, column, text);
}

BOOL CGridView::SetItemText(UINT line, UINT column, const char* text) {
  return m_model.SetItemText(line, column, text);
}

UINT CGridView::GetItemData(UINT line) { return m_model.GetItemData(line); }
UINT CGridView::GetItemUInt(UINT line, UINT column) { return ztGridCellUInt(m_model.Cell(line, column)); }

UINT CGridView::GetItemValue(UINT line, UINT column) {
  const SGridElt* cell = m_model.Cell(line, column);
  return cell ? cell->value : 0;
}

UINT CGridView::GetItemReserved(UINT, UINT) { return kZTNoItemData; }
uint64_t CGridView::GetItemUInt64(UINT line, UINT column) { return ztGridCellUInt64(m_model.Cell(line, column)); }

uint64_t CGridView::GetItemValue64(UINT line, UINT column) {
  const SGridElt* cell = m_model.Cell(line, column);
  return cell ? (uint64_t(cell->valueHigh) << 32) | cell->value : 0;
}

BOOL CGridView::GetItemTextW(UINT line, UINT column, wchar_t* buffer, UINT bufferBytes) {
  return m_model.GetItemTextW(line, column, buffer, bufferBytes);
}

BOOL CGridView::GetItemText(UINT line, UINT column, char* buffer, UINT bufferBytes) {
  return m_model.GetItemText(line, column, buffer, bufferBytes);
}

int CGridView::GetItemVisibility(UINT line) { return m_model.Visibility(line); }

int CGridView::EnsureVisible(UINT line) {
  if (!m_model.m_bVBar) return 0;
  const int visibility = m_model.Visibility(line);
  const int64_t top = m_model.m_uTopLine;
  if (visibility < 0) return ScrollBy(int(int64_t(line) - top));
  if (visibility > 0) return ScrollBy(int(int64_t(line) - m_model.m_uPage - top));
  return TRUE;
}

BOOL CGridView::RedrawItem(UINT line) {
  if (!m_hWnd || line == kZTNoLine || !m_model.IsShown(line)) return FALSE;
  const int top = m_model.LineTop(line) + 1;
  RECT strip = {0, top, LONG(m_model.m_uClientWidth), top + LONG(m_model.m_uLineHeight)};
  InvalidateRect(m_hWnd, &strip, TRUE);
  return TRUE;
}

BOOL CGridView::ScrollBy(int lines) {
  if (!m_model.ScrollBy(lines)) return FALSE;
  SetBarPosition();
  Invalidate();
  return TRUE;
}

BOOL CGridView::SetTopItem(UINT line) {
  if (!m_model.SetTopItem(line)) return FALSE;
  SetBarPosition();
  Invalidate();
  return TRUE;
}

UINT CGridView::GetTopItem() { return m_model.TopLine(); }
