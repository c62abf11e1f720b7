// The base of the record browsers: a table description shown in an owner-data
// grid, optionally filtered by a selection.
#pragma once

#include "zt_tbl32/frame.h"

class IGridView;
class CZTTableDesc;
class CZTTblSelDesc;

class ZT_TBL32_API CZTTableData {
 public:
  IGridView* m_pGrid;           // set by InitTable
  CZTTableDesc* m_pTableDesc;   // the described table
  CZTTblSelDesc* m_pSelection;  // filter; null for all records

  CZTTableData();
  virtual ~CZTTableData();
  CZTTableData(const CZTTableData&) = delete;
  CZTTableData& operator=(const CZTTableData&) = delete;

  // Sets the selection and counts the records it picks in index 0 (0 on failure).
  virtual unsigned SetSelection(CZTTblSelDesc* selection) = 0;
  // Shows the records in the order of an index (direction 0 forwards, else
  // backwards); the second argument is not used. int: 1 ok.
  virtual int DisplayTable(unsigned index, unsigned other, unsigned direction) = 0;
  // Closes what the browser opened. int: 1 ok.
  virtual int CloseTable() = 0;

  // Sets up the grid control of a dialog (controlId kZTSelfControl: the window is
  // the grid) with one column per field and switches it to owner data with grid
  // lines. int: 1 ok.
  int InitTable(HWND dialog, unsigned controlId);
  // The same on a grid's interface.
  int InitTableOn(IGridView* grid);

 protected:
  // Binds the grid whose columns are set up (null: the set-up failed).
  int BindGrid(IGridView* grid);
  // Has the grid window painted anew (Windows only).
  void RedrawGrid();
};
