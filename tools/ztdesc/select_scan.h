// The records of a table that a selection picks: parsed and resolved against the
// table, iterated over the key range keyresolve derives (or a whole index), and
// tested one by one. Shared by "dump --where" and "count".
#pragma once

#include <stdio.h>

#include <vector>

#include "zt_tbl32.h"

class ZTSelectScan {
 public:
  CZTTblSelDesc m_Sel;
  unsigned m_uIndex = 0;   // the index iterated (from 0)
  bool m_bRanged = false;  // between m_Low and m_High, else the whole index
  std::vector<char> m_Low, m_High;

  // Parses and resolves the text (null: every record) and chooses the index: the
  // key range of the selection unless fullScan, else preferredIndex (0xFFFFFFFF:
  // the first index that holds every record). int: 1 ok (the library has shown
  // the error otherwise).
  int Prepare(const CZTTableDesc& table, const char* where, unsigned preferredIndex, bool fullScan);
  // Positions the iteration; the engine's error code.
  unsigned Start(ISAMTABLE table, unsigned flags) const;
  bool Matches(const CZTTableDesc& table, const void* record, unsigned size) const {
    return m_Sel.testdata(&table, static_cast<const char*>(record), size) != 0;
  }
  // One line on how the records are found: the key range or a full scan.
  void Explain(FILE* out, const CZTTableDesc& table) const;
  // The number of records the selection picks (iteration and tests). 0xFFFFFFFF
  // and the engine's error in *error on failure.
  unsigned Count(ISAMTABLE handle, const CZTTableDesc& table, unsigned recordSize, unsigned* error) const;
};
