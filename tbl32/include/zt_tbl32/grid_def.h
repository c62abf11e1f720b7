// Column headers and rows of a grid from a column table compiled into the library.
#pragma once

#include "zt_tbl32/grid_view.h"

// One column of a static column table.
struct SColumnDef {
  BYTE type;              // grid column type
  BYTE flags;             // grid column flags
  BYTE justification;     // 0 left, 1 centre, 2 right
  BYTE fourth;            // 1 in every table; not passed to the grid
  unsigned commandId;     // low 16 bits name the column in notifications
  unsigned width;         // percent of the grid's client width
  unsigned headerString;  // resource string of the header text
};

// Set up statically, in member order:
//   {0, nullptr, controlId, style, &ztTbl32Lib, nullptr, count, columns}
// A control id of kZTSelfControl: the window given to DispColHeaders is the grid itself.
class ZT_TBL32_API CGridDef {
 public:
  unsigned m_uReserved;
  HWND m_hGrid;
  unsigned m_uCtrlId;
  unsigned m_uStyle;
  CZTLibrary* m_pLib;
  IGridView* m_pGrid;
  unsigned m_uColumns;
  const SColumnDef* m_pColumns;

  // Finds the grid (the window or its dialog item), asks it for its interface
  // and sets up the columns. int: TRUE ok.
  int DispColHeaders(HWND window, int reset);
  // Sets up the columns on an interface already obtained (the second half of
  // DispColHeaders).
  int DispColHeadersOn(IGridView* grid, int reset);
  int InsertItem(unsigned item, unsigned data);
  int DeleteItem(unsigned item, int redraw);
  // Cell text from a resource string ("<id>" when it has no text).
  int SetItemRes(unsigned item, unsigned column, unsigned stringId) const;
};
