// A constant table of (value, resource-string id) pairs shown in list boxes.
#pragma once

#include "zt_lib32/platform.h"

class CZTLibrary;

// No entry or value: the value that selects nothing, and the index lookups give
// for a value not in the table.
constexpr unsigned ZT_LIST_NONE = 0xFFFFFFFFu;

struct ZTListEntry {
  unsigned value;
  unsigned stringId;
};

class ZT_LIB32_API CZTListBox {
 public:
  unsigned m_uSelIndex;  // 0
  unsigned m_uSelValue;  // ZT_LIST_NONE
  unsigned m_uCount;
  const ZTListEntry* m_pEntries;
  CZTLibrary* m_pLibrary;  // only its address is kept at construction

  constexpr CZTListBox(unsigned count, const ZTListEntry* entries, CZTLibrary* library)
      : m_uSelIndex(0), m_uSelValue(ZT_LIST_NONE), m_uCount(count), m_pEntries(entries), m_pLibrary(library) {}

  // Fills a list-box control with the entries' texts and selects the entry of the
  // value (ZT_LIST_NONE: none). int: 1 ok.
  int Display(HWND listBox, unsigned value);
  // Index of the entry with a value; ZT_LIST_NONE when none.
  unsigned IndexOfValue(unsigned value) const;
  // Text of entry index from the library's language resources; its length.
  unsigned GetEntryText(unsigned index, char* buf, unsigned size) const;
};
