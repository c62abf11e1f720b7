// Writes the records of a table, as the record grid shows them (in the order of
// an index, forwards or backwards, through a selection), as text separated by
// semicolons: a header row of the field names, then one row per record, every
// field formatted as the grid shows it; a value holding a semicolon, a quote or
// a line break is quoted with its quotes doubled. Lines end in CR LF.
#pragma once

#include <stdio.h>

#include "zt_tbl32.h"

class CViewExport {
 public:
  unsigned m_uRecords;  // rows written by the last Write
  unsigned m_uError;    // the engine's error of a failed Write; 0 for a write fault

  CViewExport() : m_uRecords(0), m_uError(0) {}

  // isamFile is opened for reading on its own, so the display is not disturbed.
  // selection may be null; when given it is resolved against table. Shows the
  // engine's box or the application's box on failure. int: 1 ok.
  int Write(const char* isamFile, const CZTTableDesc& table, unsigned index, bool backward, CZTTblSelDesc* selection,
            const char* outFile);

 private:
  // The rows to the open output. int: 1 ok.
  int WriteRows(ISAMTABLE handle, const CZTTableDesc& table, unsigned index, bool backward,
                const CZTTblSelDesc* selection, FILE* out);
};
