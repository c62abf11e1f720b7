// Grid columns described by an application in its description file:
// "GridColumn:" lines and one "SortColumn:" line inside a block.
#pragma once

#include "zt_tbl32/grid_view.h"

// One "GridColumn:" line. Colours are COLORREF (0x00BBGGRR) in memory and
// 0xRRGGBB in the file.
// The spare word of a column description as the reader sets it; not used otherwise.
constexpr unsigned kZTSpareWord = 0xFFFFFFFFu;

struct SColumnDesc {
  BYTE type;
  BYTE flags;  // 0x10: own background colours, 0x20: own text colours
  BYTE justification;
  BYTE fourth;         // kept and written back, not passed to the grid
  unsigned commandId;  // the column's index: the line has none
  unsigned width;      // percent
  unsigned spare;      // kZTSpareWord
  COLORREF backEven;
  COLORREF textEven;
  COLORREF backOdd;
  COLORREF textOdd;
  char szHeader[66];
  char szJoker[34];
};

// 0xRRGGBB <-> COLORREF: the same swap both ways.
inline COLORREF ztSwapRGB(unsigned v) { return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF); }

class ZT_TBL32_API CGridDesc {
 public:
  unsigned m_uReserved;
  HWND m_hGrid;
  unsigned m_uCtrlId;
  unsigned m_uStyle;
  unsigned m_uSort1;
  unsigned m_uSort2;
  CZTLibrary* m_pLib;
  IGridView* m_pGrid;
  // Column table: reserved, columns read, capacity, array.
  unsigned m_uColReserved;
  unsigned m_uColCount;
  unsigned m_uColAlloc;
  SColumnDesc* m_pColumns;

  // The second unsigned argument is not used.
  CGridDesc(CZTLibrary* library, unsigned controlId, unsigned other, unsigned style);
  ~CGridDesc();
  CGridDesc(const CGridDesc&) = delete;
  CGridDesc& operator=(const CGridDesc&) = delete;

  void FreeDesc();
  // Reads the sort values and the columns of the block conf has selected. int: TRUE ok.
  int ParseDesc(CZTConfFile& conf, const char* name);
  // Writes the block (block name line, "SortColumn:", columns, END). Always TRUE.
  int EditDesc(CZTConfFile& conf, const char* blockName) const;

  int DispColHeaders(HWND window, int reset);
  int DispColHeadersOn(IGridView* grid, int reset);
  int InsertItem(unsigned item, unsigned data);
  int SetItemRes(unsigned item, unsigned column, unsigned stringId) const;

 private:
  int ParseColumn(CZTConfFile& conf, SColumnDesc& column, const char* key, unsigned index);
};
