// A report-style list-view control of a dialog: columns from a constant table
// (header text by resource-string id, width in percent, alignment), rows of texts.
#pragma once

#include "zt_lib32/platform.h"

class CZTLibrary;

// Column alignment codes.
enum : unsigned { ZT_LV_LEFT = 1, ZT_LV_RIGHT = 2, ZT_LV_CENTRE = 3 };

struct ZTListViewColumn {
  unsigned stringId;  // header text in the language resource library
  unsigned width;     // percent of the control's client width
  unsigned align;     // ZT_LV_...
};

class ZT_LIB32_API CZTListView {
 public:
  HWND m_hListView;       // the control, set by DispHeader
  unsigned m_uItemCount;  // rows inserted since the list was last emptied
  unsigned m_uControlId;
  unsigned m_uColumnCount;
  const ZTListViewColumn* m_pColumns;
  CZTLibrary* m_pLibrary;  // only its address is kept at construction

  CZTListView(unsigned controlId, unsigned columnCount, const ZTListViewColumn* columns, CZTLibrary* library);

  // Takes the control of the dialog and inserts the columns it does not have yet;
  // fFullRow selects whole rows. int: 1 ok.
  int DispHeader(HWND dialog, int fFullRow);
  // Inserts a row at index with an item parameter and the text of column 0 (null:
  // empty). int: 1 ok.
  int InsertItem(unsigned index, LPARAM param, const char* text);
  int SetItemText(unsigned item, unsigned column, const char* text);
  int SetItemInt(unsigned item, unsigned column, unsigned value);
  // Empties the list. int: 1 ok.
  int DeleteAllItems();
  unsigned GetItemCount() const;
  // The text of a cell; its length (0 for none).
  unsigned GetItemText(unsigned item, unsigned column, char* text, unsigned size) const;
};
