#include "zt_tbl32/grid_model.h"

#include <stdlib.h>
#include <string.h>

#include <new>

#include "grid_cell.h"
#include "grid_codes.h"

namespace {
constexpr int64_t kMaxPixel = 0x7FFFFFFF;

// Why a cell could not be read as the text asked for (wide: GetItemTextW).
void LogUnreadableText(unsigned line, unsigned column, unsigned type, bool wide) {
  if (type == (wide ? GET_TEXT : GET_TEXTW))
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView,
                      wide ? "Grid item (%u,%u): ASCII text cannot be read as UNICODE"
                           : "Grid item (%u,%u): UNICODE text cannot be read as text",
                      line, column);
  else
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Grid item (%u,%u): Cannot read data of type %u as text", line,
                      column, type);
}
int64_t Clamp(int64_t v, int64_t low, int64_t high) { return v < low ? low : v > high ? high : v; }
}  // namespace

void CGridModel::FreeAll() {
  delete[] m_pColumns;
  m_pColumns = nullptr;
  m_uColumnCount = 0;
  m_uTotalWidth = 0;
  m_lines.Clear();
  m_uOwnerCount = 0;
  m_uTopLine = 0;
}

// ---- Columns ----

BOOL CGridModel::SetColumnCount(unsigned count) {
  delete[] m_pColumns;
  m_pColumns = nullptr;
  m_uColumnCount = 0;
  m_uTotalWidth = 0;
  if (count == 0) return TRUE;
  SViewColumn* columns = nullptr;
  try {
    columns = new (std::nothrow) SViewColumn[count];
  } catch (const std::bad_array_new_length&) {
    columns = nullptr;
  }
  if (!columns) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Not enough free memory to create %d new columns", int(count));
    ztTbl32Lib.DispError(ZT_ERR_GRID_COLUMNS, count);
    return FALSE;
  }
  // Equal shares that add up to 100: three columns get 33, 34, 33.
  uint64_t previous = 0;
  for (unsigned k = 0; k < count; ++k) {
    SViewColumn& c = columns[k];
    memset(&c, 0, sizeof(c));
    c.valign = 1;
    c.listSel = kZTNoListSel;
    c.backEven = c.backOdd = 0xFFFFFF;
    const uint64_t boundary = (count / 2 + 100ull * (k + 1)) / count;
    c.percent = uint32_t(boundary - previous);
    previous = boundary;
  }
  m_pColumns = columns;
  m_uColumnCount = count;
  LayoutColumns();
  return TRUE;
}

BOOL CGridModel::SetColumnType(unsigned column, unsigned type, unsigned commandId, BYTE flags) {
  if (column >= m_uColumnCount) return FALSE;
  m_pColumns[column].type = BYTE(type);
  m_pColumns[column].commandId = commandId;
  m_pColumns[column].flags = flags;
  return TRUE;
}

BOOL CGridModel::SetColumnHeader(unsigned column, unsigned percent, BYTE justification, const char* text) {
  if (column >= m_uColumnCount) return FALSE;
  SViewColumn& c = m_pColumns[column];
  c.percent = percent;
  c.justification = justification;
  LayoutColumns();
  c.headerLength = ztStrCopy(c.header, text ? text : "", sizeof(c.header));
  return TRUE;
}

BOOL CGridModel::SetColumnColors(unsigned column, COLORREF backEven, COLORREF backOdd, COLORREF textEven,
                                 COLORREF textOdd) {
  if (column >= m_uColumnCount) return FALSE;
  SViewColumn& c = m_pColumns[column];
  c.backEven = backEven;
  c.backOdd = backOdd;
  c.textEven = textEven;
  c.textOdd = textOdd;
  return TRUE;
}

void CGridModel::ClearSortColumn() {
  for (unsigned i = 0; i < m_uColumnCount; ++i) {
    BYTE& flags = m_pColumns[i].flags;
    if (flags & GCF_SORTUP) flags = BYTE((flags & ~GCF_SORTDOWN) | GCF_SORTABLE);
  }
}

BOOL CGridModel::SetSortColumn(unsigned column, BOOL up) {
  if (column >= m_uColumnCount) return FALSE;
  ClearSortColumn();
  BYTE& flags = m_pColumns[column].flags;
  flags = up ? BYTE(flags | GCF_SORTUP) : BYTE((flags & ~GCF_SORTABLE) | GCF_SORTDOWN);
  return TRUE;
}

BOOL CGridModel::IsSortColumn(unsigned column) const {
  return column < m_uColumnCount && (m_pColumns[column].flags & GCF_SORTUP) != 0;
}

unsigned CGridModel::GetColumnListSel(unsigned column) const {
  return column < m_uColumnCount ? m_pColumns[column].listSel : kZTNoListSel;
}

void CGridModel::LayoutColumns() {
  uint64_t sum = 0;
  int64_t left = 0;
  for (unsigned i = 0; i < m_uColumnCount; ++i) {
    sum += m_pColumns[i].percent;
    const int64_t right = Clamp(int64_t((uint64_t(m_uClientWidth) * sum + 50) / 100), left, kMaxPixel);
    m_pColumns[i].left = uint32_t(left);
    m_pColumns[i].width = uint32_t(right - left);
    left = right;
  }
  m_uTotalWidth = uint32_t(left);
}

unsigned CGridModel::ColumnAt(int x) const {
  if (x < 0) return kZTNoColumn;
  for (unsigned i = 0; i < m_uColumnCount; ++i) {
    const SViewColumn& c = m_pColumns[i];
    if (int64_t(c.left) <= x && x < int64_t(c.left) + c.width) return i;
  }
  return kZTNoColumn;
}

unsigned CGridModel::DividerAt(int x) const {
  for (unsigned i = 1; i <= m_uColumnCount; ++i) {
    const int64_t edge =
        i < m_uColumnCount ? int64_t(m_pColumns[i].left) : int64_t(m_pColumns[i - 1].left) + m_pColumns[i - 1].width;
    if (edge - 5 <= x && x < edge + 5) return i;
  }
  return kZTNotFound;
}

void CGridModel::DragDivider(unsigned d, int& dragX, int x) {
  if (d == 0 || d > m_uColumnCount) return;
  SViewColumn& before = m_pColumns[d - 1];
  const int64_t edge = d < m_uColumnCount ? int64_t(m_pColumns[d].left) : int64_t(before.left) + before.width;
  const int64_t moved = Clamp(edge - dragX + x, before.left, kMaxPixel);
  before.width = uint32_t(moved - before.left);
  if (d < m_uColumnCount) {
    m_pColumns[d].left = uint32_t(moved);
    for (unsigned j = d + 1; j < m_uColumnCount; ++j)
      m_pColumns[j].left = uint32_t(Clamp(int64_t(m_pColumns[j - 1].left) + m_pColumns[j - 1].width, 0, kMaxPixel));
  }
  const SViewColumn& last = m_pColumns[m_uColumnCount - 1];
  m_uTotalWidth = uint32_t(Clamp(int64_t(last.left) + last.width, 0, kMaxPixel));
  dragX = x;
}

void CGridModel::RecomputePercents() {
  if (m_uClientWidth == 0) return;  // nothing to measure against
  for (unsigned i = 0; i < m_uColumnCount; ++i)
    m_pColumns[i].percent = uint32_t((m_uClientWidth / 2 + uint64_t(m_pColumns[i].width) * 100) / m_uClientWidth);
}

// ---- Lines and cells ----

BOOL CGridModel::InsertItem(unsigned line, unsigned data) {
  SViewLine* added = CGridLines::NewLine(m_uColumnCount);
  if (!added) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Cannot allocate a new grid line record");
    ztTbl32Lib.DispError(ZT_ERR_GRID_LINE);
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Cannot allocate a new grid line");
    return FALSE;
  }
  added->data = data;
  const unsigned count = m_lines.Count();
  if (line == 0 || count == 0) line = 0;
  if (line <= count) {
    if (m_lines.Insert(line, added)) return TRUE;
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Cannot allocate a new grid line");
  } else {
    // Empty filler lines up to the one before, then the new line.
    const unsigned fillers = line - count;
    if (m_lines.Reserve(size_t(fillers) + 1)) {
      m_lines.Insert(count, nullptr, fillers);
      m_lines.Insert(line, added);
      return TRUE;
    }
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Cannot allocate a next grid line record");
  }
  CGridLines::FreeLine(added);
  return FALSE;
}

BOOL CGridModel::DeleteItem(unsigned line) {
  if (line >= m_lines.Count()) return FALSE;
  CGridLines::FreeLine(m_lines.Remove(line));
  return TRUE;
}

void CGridModel::DeleteAllItems() {
  m_lines.Clear();
  m_uTopLine = 0;
}

unsigned CGridModel::GetItemData(unsigned line) const {
  if (line >= m_lines.Count()) return kZTNoItemData;
  const SViewLine* l = m_lines.At(line);
  return l ? l->data : 0;
}

SGridElt* CGridModel::Cell(unsigned line, unsigned column) const {
  if (column >= m_uColumnCount || line >= m_lines.Count()) return nullptr;
  SViewLine* l = m_lines.At(line);
  return l && column < l->cells ? &l->elt[column] : nullptr;
}

SGridElt* CGridModel::CellForWrite(unsigned line, unsigned column) {
  if (column >= m_uColumnCount || line >= m_lines.Count()) return nullptr;
  SViewLine* l = m_lines.At(line);
  if (!l) {
    l = CGridLines::NewLine(m_uColumnCount);
    if (!l) return nullptr;
    m_lines.Put(line, l);
  } else if (column >= l->cells) {
    // The line was made when there were fewer columns.
    SViewLine* wider = CGridLines::NewLine(m_uColumnCount);
    if (!wider) return nullptr;
    memcpy(wider, l, offsetof(SViewLine, elt) + size_t(l->cells) * sizeof(SGridElt));
    wider->cells = m_uColumnCount;
    free(l);
    l = wider;
    m_lines.Put(line, l);
  }
  return &l->elt[column];
}

BOOL CGridModel::SetItemNumber(unsigned line, unsigned column, BYTE type, uint32_t low, uint32_t high) {
  SGridElt* cell = CellForWrite(line, column);
  if (!cell) return FALSE;
  ztGridCellSetNumber(*cell, type, low, high);
  return TRUE;
}

BOOL CGridModel::SetItemText(unsigned line, unsigned column, const char* text) {
  SGridElt* cell = CellForWrite(line, column);
  return cell && ztGridCellSetText(*cell, text) ? TRUE : FALSE;
}

BOOL CGridModel::SetItemTextW(unsigned line, unsigned column, const wchar_t* text) {
  SGridElt* cell = CellForWrite(line, column);
  return cell && ztGridCellSetTextW(*cell, text) ? TRUE : FALSE;
}

BOOL CGridModel::GetItemText(unsigned line, unsigned column, char* buffer, unsigned bufferBytes) const {
  if (!buffer || !bufferBytes || column >= m_uColumnCount || line >= m_lines.Count()) return FALSE;
  const SGridElt* cell = Cell(line, column);
  const unsigned type = cell ? cell->type : 0;
  if (type == GET_TEXT) {
    ztStrCopyN(buffer, ztGridCellText(*cell), cell->capacity, bufferBytes);
    return TRUE;
  }
  LogUnreadableText(line, column, type, false);
  return FALSE;
}

BOOL CGridModel::GetItemTextW(unsigned line, unsigned column, wchar_t* buffer, unsigned bufferBytes) const {
  if (!buffer || bufferBytes < sizeof(wchar_t) || column >= m_uColumnCount || line >= m_lines.Count()) return FALSE;
  const SGridElt* cell = Cell(line, column);
  const unsigned type = cell ? cell->type : 0;
  if (type == GET_TEXTW) {
    const wchar_t* text = reinterpret_cast<const wchar_t*>(ztGridCellText(*cell));
    const unsigned limit = bufferBytes / sizeof(wchar_t) - 1, chars = cell->capacity / sizeof(wchar_t);
    unsigned n = 0;
    while (n < limit && n < chars && text[n]) {
      buffer[n] = text[n];
      ++n;
    }
    buffer[n] = 0;
    return TRUE;
  }
  LogUnreadableText(line, column, type, true);
  return FALSE;
}

BOOL CGridModel::SetItemCount(OwnerDataCallback callback, unsigned count, UINT_PTR parameter) {
  if (!(m_uStyle & GS_OWNERDATA)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Call of SetItemCount but GS_OWNERDATA is clear");
    return FALSE;
  }
  m_pfnOwnerData = callback;
  m_uOwnerCount = count;
  m_uOwnerParam = parameter;
  m_uOwnerReserved = 0;
  return TRUE;
}

// ---- Vertical geometry ----

void CGridModel::UpdateVBar() {
  const unsigned n = ItemCount();
  const unsigned lh = m_uLineHeight ? m_uLineHeight : 1;
  const int64_t page = (int64_t(m_uClientHeight) - m_uHeaderHeight) / lh - 1;
  m_uPage = page > 0 ? unsigned(page) : 0;
  if (uint64_t(lh) * n + m_uHeaderHeight <= m_uClientHeight) {
    m_bVBar = 0;
    m_uTopLine = 0;
    m_uTopMax = 0;
    return;
  }
  if (!m_bVBar) m_uTopLine = 0;
  m_uTopMax = n > m_uPage + 1u ? n - m_uPage - 1 : 0;
  m_bVBar = 1;
  // A top line at or beyond the item count (a smaller count) would show nothing.
  if (m_uTopLine >= n) m_uTopLine = m_uTopMax;
}

unsigned CGridModel::LastShown() const {
  if (m_bVBar) {
    const uint64_t last = uint64_t(m_uTopLine) + m_uPage;
    return last > UINT32_MAX ? UINT32_MAX : unsigned(last);
  }
  return ItemCount() - 1;  // kZTNoLine for no lines
}

bool CGridModel::IsShown(unsigned line) const {
  if (m_bVBar) return line >= m_uTopLine && uint64_t(line) <= uint64_t(m_uTopLine) + m_uPage;
  return line < ItemCount();
}

int CGridModel::Visibility(unsigned line) const {
  if (m_bVBar) {
    if (line < m_uTopLine) return -1;
    return uint64_t(line) > uint64_t(m_uTopLine) + m_uPage ? 1 : 0;
  }
  return int64_t(line) > int64_t(ItemCount()) - 1 ? 1 : 0;
}

int CGridModel::LineTop(unsigned line) const {
  const unsigned top = TopLine();
  if (line <= top) return int(m_uHeaderHeight);
  const int64_t y = int64_t(m_uHeaderHeight) + int64_t(m_uLineHeight) * (line - top);
  return int(Clamp(y, 0, int64_t(m_uClientHeight) + m_uLineHeight + 1));
}

unsigned CGridModel::LineAt(int y) const {
  if (y <= int(m_uHeaderHeight)) return kZTNoLine;
  const unsigned lh = m_uLineHeight ? m_uLineHeight : 1;
  const uint64_t line = uint64_t((y - int(m_uHeaderHeight)) / int(lh)) + TopLine();
  return line < ItemCount() ? unsigned(line) : kZTNoLine;
}

bool CGridModel::ScrollBy(int lines) {
  if (!m_bVBar) return false;
  const int64_t top = int64_t(m_uTopLine) + lines;
  if (top < 0 || top >= int64_t(ItemCount())) return false;
  m_uTopLine = unsigned(top);
  return true;
}

bool CGridModel::SetTopItem(unsigned line) {
  if (!m_bVBar) return false;
  m_uTopLine = line < ItemCount() ? line : ItemCount();
  return true;
}
