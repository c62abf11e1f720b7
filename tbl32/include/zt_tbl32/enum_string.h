// A table of (value, name) pairs searched by name: the operator words of the
// selection language.
#pragma once

#include "zt_tbl32/frame.h"

struct SEnumEntry {
  unsigned value;
  char name[32];
};

class ZT_TBL32_API CEnumString {
 public:
  unsigned m_uCount;
  SEnumEntry* m_pEntries;

  // Binary search for the name (SortTable first); its value, kZTNotFound if none.
  // Length 0: the key's string length. With a length, length + 1 bytes are
  // compared, so the byte after the key must end it.
  unsigned FindUpper(const char* key, unsigned length) const;
  // FindUpper of a lower- or upper-case copy of at most 32 characters of the key.
  unsigned FindLower(const char* key, unsigned length) const;
  unsigned FindString(const char* key, unsigned length) const;
  // The name of the first entry with the value; null if none.
  const char* GetString(unsigned value) const;
  // The value at an index; kZTNotFound if out of range.
  unsigned GetIndex(unsigned index) const;
  // Sorts the entries by name in the byte order FindUpper uses.
  void SortTable();
  // Fills a list-box control with the names and selects the entries of the value.
  void FillListBox(HWND listBox, unsigned value) const;
  // Stores the value of the selected entry when it differs: 1 then, else 0.
  unsigned GetListBoxSelection(HWND listBox, unsigned* value) const;
};

// The operator tables of the selection language.
extern ZT_TBL32_API CEnumString ztCompOperators;
extern ZT_TBL32_API CEnumString ztLogicOperators;
