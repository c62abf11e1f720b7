// A drop-down combo box of a dialog filled from a constant table of (value,
// resource-string id) pairs.
#pragma once

#include "zt_lib32/list_box.h"

class ZT_LIB32_API CZTComboBox {
 public:
  unsigned m_uControlId;  // the combo box in its dialog
  unsigned m_uCount;
  const ZTListEntry* m_pEntries;
  CZTLibrary* m_pLibrary;  // only its address is kept at construction

  constexpr CZTComboBox(unsigned controlId, unsigned count, const ZTListEntry* entries, CZTLibrary* library)
      : m_uControlId(controlId), m_uCount(count), m_pEntries(entries), m_pLibrary(library) {}

  // Fills the dialog's combo box with the entries' texts and selects the entry of
  // the value (ZT_LIST_NONE or a value not in the table: none). int: 1 ok, 0 when the
  // dialog has no such control or an entry could not be added.
  int Display(HWND dialog, unsigned value);
  // Takes the full wParam of a WM_COMMAND of the dialog: when it is this combo
  // box's selection change and the selected entry's value differs from *value, the
  // value is stored there and the result is 1; otherwise 0 and *value stays.
  int Select(HWND dialog, unsigned wParam, unsigned* value);
  // Index of the entry with a value; ZT_LIST_NONE when none.
  unsigned IndexOfValue(unsigned value) const;
  unsigned GetEntryText(unsigned index, char* buf, unsigned size) const;
};
