// The records of a table that a selection picks: parsed and resolved against the
// table, iterated over the key ranges keyranges derives (or a whole index), and
// tested one by one. Shared by "dump --where" and "count".
#pragma once

#include <stdio.h>

#include <vector>

#include "zt_tbl32.h"

class ZTSelectScan {
 public:
  // The preferred index of Prepare that leaves the choice to the scan.
  static constexpr unsigned kAnyIndex = 0xFFFFFFFFu;
  // The count of a failed Count.
  static constexpr unsigned kCountFailed = 0xFFFFFFFFu;

  CZTTblSelDesc m_Sel;
  unsigned m_uIndex = 0;   // the index iterated (from 0)
  bool m_bRanged = false;  // over the key ranges, else the whole index
  unsigned m_uKeySize = 0;
  std::vector<char> m_Lows, m_Highs;  // range i at i * m_uKeySize
  unsigned m_uRanges = 0;

  // Parses and resolves the text (null: every record) and chooses the index: the
  // key ranges of the selection unless fullScan, else preferredIndex (kAnyIndex:
  // the first index that holds every record). int: 1 ok (the library has shown
  // the error otherwise).
  int Prepare(const CZTTableDesc& table, const char* where, unsigned preferredIndex, bool fullScan);
  // Positions the iteration on the first range in the direction; the engine's error code.
  unsigned Start(ISAMTABLE table, unsigned flags);
  // The next record of the iteration (every record of the ranges or the index,
  // tested or not): 0, ISAM_END_OF_ITERATION after the last, or the engine's error.
  unsigned ReadNext(ISAMTABLE table, void* record, unsigned* address);
  bool Matches(const CZTTableDesc& table, const void* record, unsigned size) const {
    return m_Sel.testdata(&table, static_cast<const char*>(record), size) != 0;
  }
  // How the records are found: the key ranges (and whether a count reads only
  // keys) or a full scan (for a count: of the records as stored).
  void Explain(FILE* out, ISAMTABLE handle, const CZTTableDesc& table, bool counting) const;
  // The number of records the selection picks. kCountFailed and the engine's error
  // in *error on failure.
  unsigned Count(ISAMTABLE handle, const CZTTableDesc& table, unsigned* error) const;

 private:
  unsigned StartRange(ISAMTABLE table) const;
  const char* Low(unsigned range) const { return m_bRanged ? &m_Lows[size_t(range) * m_uKeySize] : nullptr; }
  const char* High(unsigned range) const { return m_bRanged ? &m_Highs[size_t(range) * m_uKeySize] : nullptr; }
  unsigned m_uFlags = ISAM_ITER_FORWARD;
  unsigned m_uStep = 0;  // ranges done in the current iteration
};
