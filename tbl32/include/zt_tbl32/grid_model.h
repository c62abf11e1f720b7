// What a grid window shows, without the window: columns and their layout,
// lines and cells (or the owner-data source), and the vertical geometry
// (header, line height, top line, page) by which lines map to pixels.
//
// Pixel positions of lines are computed relative to the top line, so that
// owner-data grids of up to 2,147,483,647 lines never overflow.
#pragma once

#include "zt_tbl32/grid_lines.h"

// One column.
struct SViewColumn {
  BYTE type;           // column type (GCT_...)
  BYTE flags;          // column flags (GCF_...)
  BYTE justification;  // 0 left, 1 centre, 2 right
  BYTE valign;         // 0 top, 1 centre, 2 bottom
  uint32_t commandId;  // low 16 bits name the column in notifications
  uint32_t left;       // x of the left edge in pixels
  uint32_t width;      // pixels
  uint32_t percent;    // share of the client width
  uint32_t listSel;    // last selection of the in-place list
  uint32_t headerLength;
  char header[128];
  COLORREF backEven, backOdd;  // with GCF_BACKCOLORS
  COLORREF textEven, textOdd;  // with GCF_TEXTCOLORS
};

class ZT_TBL32_API CGridModel {
 public:
  CGridModel() {}
  ~CGridModel() { FreeAll(); }
  CGridModel(const CGridModel&) = delete;
  CGridModel& operator=(const CGridModel&) = delete;

  // Owner-data item count under GS_OWNERDATA, else the line count.
  unsigned ItemCount() const { return (m_uStyle & GS_OWNERDATA) ? m_uOwnerCount : m_lines.Count(); }
  unsigned LineCount() const { return m_lines.Count(); }

  // Columns. SetColumnCount frees the old columns first (count 0 on failure).
  BOOL SetColumnCount(unsigned count);
  BOOL SetColumnType(unsigned column, unsigned type, unsigned commandId, BYTE flags);
  BOOL SetColumnHeader(unsigned column, unsigned percent, BYTE justification, const char* text);
  BOOL SetColumnColors(unsigned column, COLORREF backEven, COLORREF backOdd, COLORREF textEven, COLORREF textOdd);
  BOOL SetSortColumn(unsigned column, BOOL up);
  void ClearSortColumn();
  BOOL IsSortColumn(unsigned column) const;
  unsigned GetColumnListSel(unsigned column) const;
  const SViewColumn* Column(unsigned column) const { return column < m_uColumnCount ? &m_pColumns[column] : nullptr; }

  // Column layout from the percents and the client width.
  void LayoutColumns();
  // The column under x, or kZTNoColumn.
  unsigned ColumnAt(int x) const;
  // The divider under x (1 ... column count: the left edge of that column, the
  // column count itself: the right edge of the last), or kZTNotFound.
  unsigned DividerAt(int x) const;
  // Moves divider d by x - dragX; dragX becomes x.
  void DragDivider(unsigned d, int& dragX, int x);
  // Width percents again from the pixel widths (after a drag).
  void RecomputePercents();

  // Lines that store their cells.
  BOOL InsertItem(unsigned line, unsigned data);
  BOOL DeleteItem(unsigned line);
  void DeleteAllItems();
  unsigned GetItemData(unsigned line) const;
  // The cell if it exists (line and column in range, line written), else null.
  SGridElt* Cell(unsigned line, unsigned column) const;
  // The cell to write (allocating a filler line or growing an older, narrower
  // line); null out of range or without memory.
  SGridElt* CellForWrite(unsigned line, unsigned column);
  BOOL SetItemNumber(unsigned line, unsigned column, BYTE type, uint32_t low, uint32_t high);
  BOOL SetItemText(unsigned line, unsigned column, const char* text);
  BOOL SetItemTextW(unsigned line, unsigned column, const wchar_t* text);
  BOOL GetItemText(unsigned line, unsigned column, char* buffer, unsigned bufferBytes) const;
  BOOL GetItemTextW(unsigned line, unsigned column, wchar_t* buffer, unsigned bufferBytes) const;

  // Owner data: only under GS_OWNERDATA (else logged, FALSE).
  BOOL SetItemCount(OwnerDataCallback callback, unsigned count, UINT_PTR parameter);

  // Vertical geometry. UpdateVBar recomputes whether the bar is shown, the page,
  // the maximum and keeps the top line in range.
  void UpdateVBar();
  // Top line while the bar is shown, else 0.
  unsigned TopLine() const { return m_bVBar ? m_uTopLine : 0; }
  // The last line counted as shown (may lie beyond the item count).
  unsigned LastShown() const;
  bool IsShown(unsigned line) const;
  // -1 above the top line, 1 below the last line shown, 0 otherwise.
  int Visibility(unsigned line) const;
  // The top of a line's strip area (lines above the top line: the header height),
  // limited to just below the client area.
  int LineTop(unsigned line) const;
  // The line under y below the header, or kZTNoLine.
  unsigned LineAt(int y) const;
  // Moves the top line by lines; false when the bar is hidden or the new top
  // line would be below 0 or at or beyond the item count.
  bool ScrollBy(int lines);
  // Top line = min(line, item count); false when the bar is hidden.
  bool SetTopItem(unsigned line);

  void FreeAll();

  unsigned m_uStyle = 0;
  unsigned m_uColumnCount = 0;
  SViewColumn* m_pColumns = nullptr;
  unsigned m_uTotalWidth = 0;  // right edge of the last column
  CGridLines m_lines;

  OwnerDataCallback m_pfnOwnerData = nullptr;
  unsigned m_uOwnerCount = 0;
  unsigned m_uOwnerReserved = 0;
  UINT_PTR m_uOwnerParam = 0;

  unsigned m_uClientWidth = 0, m_uClientHeight = 0;
  unsigned m_uHeaderHeight = 0, m_uLineHeight = 1;
  BYTE m_bVBar = 0, m_bHBar = 0;
  unsigned m_uTopMax = 0;  // scroll range maximum
  unsigned m_uPage = 0;    // full lines below the header, minus 1
  unsigned m_uTopLine = 0;
};
