// The plain row arrays of the editable field and key tables: a count and an
// array of exactly as many rows (or more after a deletion), all bytes.
#pragma once

#include <string.h>

#include <new>
#include <utility>

#include "zt_tbl32/frame.h"

// count all-zero rows; null when there is no memory.
template <class T>
T* ztAllocZeroRows(unsigned count) {
  return new (std::nothrow) T[count ? count : 1]();
}

// Makes rows a copy of count source rows in an array from alloc (which reports a
// failure); throws CZTTblFldErr when there is no memory. An empty source leaves
// rows null.
template <class T, class Alloc>
void ztCopyRows(T*& rows, unsigned& count, const T* source, unsigned sourceCount, Alloc alloc) {
  rows = nullptr;
  count = 0;
  if (!source || !sourceCount) return;
  rows = alloc(sourceCount);
  if (!rows) throw CZTTblFldErr();
  memcpy(static_cast<void*>(rows), source, sourceCount * sizeof(T));
  count = sourceCount;
}

// Puts an all-zero row at position (at the end when beyond) into a new array one
// row longer. int: 1 ok, 0 no memory (nothing changed).
template <class T>
int ztInsertZeroRow(T*& rows, unsigned& count, unsigned position, T* grown) {
  if (!grown) return 0;
  if (position > count) position = count;
  if (rows) {
    memcpy(grown, rows, position * sizeof(T));
    memcpy(grown + position + 1, rows + position, (count - position) * sizeof(T));
  }
  delete[] rows;
  rows = grown;
  ++count;
  return 1;
}

// Removes the row at position; the rows after it move up and the freed slot is
// cleared. int: 0 no rows or position beyond them.
template <class T>
int ztDeleteRow(T* rows, unsigned& count, unsigned position) {
  if (!count || position >= count) return 0;
  memmove(rows + position, rows + position + 1, (count - position - 1) * sizeof(T));
  --count;
  memset(static_cast<void*>(rows + count), 0, sizeof(T));
  return 1;
}

// Exchanges the rows at from (the last row when beyond) and to. int: 0 no rows
// or to beyond them.
template <class T>
int ztExchangeRows(T* rows, unsigned count, unsigned from, unsigned to) {
  if (!count || to >= count) return 0;
  if (from >= count) from = count - 1;
  if (from != to) std::swap(rows[from], rows[to]);
  return 1;
}
