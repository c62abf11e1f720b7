// Growing, moving and copying the record tables of the descriptions (count,
// capacity and array kept by their holder).
#pragma once

#include "zt_tbl32/frame.h"

// Appends record; a full (or missing) array grows by growth records, the
// existing records copied over. int: 1 ok, 0 no memory (logged under source).
template <class T>
int ztAppendRecord(T*& array, unsigned& count, unsigned& capacity, const T& record, unsigned growth,
                   const char* source) {
  if (!array || count >= capacity) {
    unsigned newCapacity = (array ? capacity : 0) + growth;
    T* grown = ztAllocRecords<T>(newCapacity, kZTNoErrorBox, source);
    if (!grown) return 0;
    for (unsigned i = 0; array && i < count; ++i) grown[i] = array[i];
    delete[] array;
    array = grown;
    capacity = newCapacity;
  }
  array[count++] = record;
  return 1;
}

// Moves the record at from to to; the records between shift by one towards
// from. int: 0 when an index is at or beyond the count.
template <class T>
int ztMoveRecord(T* array, unsigned count, unsigned from, unsigned to) {
  if (!array || from >= count || to >= count) return 0;
  if (from == to) return 1;
  T saved = array[from];
  if (from < to)
    for (unsigned i = from; i < to; ++i) array[i] = array[i + 1];
  else
    for (unsigned i = from; i > to; --i) array[i] = array[i - 1];
  array[to] = saved;
  return 1;
}

// Removes the record at index: the records after it move up, the count drops
// and the freed slot gets a new record. int: 0 when index is at or beyond the count.
template <class T>
int ztRemoveRecord(T* array, unsigned& count, unsigned index) {
  if (!array || index >= count) return 0;
  for (unsigned i = index; i + 1 < count; ++i) array[i] = array[i + 1];
  --count;
  array[count] = T();
  return 1;
}

// Deep copy of a record table with the source's capacity and count; throws
// CZTTblErr (after the log line) when the array cannot be allocated.
template <class T>
void ztCopyRecords(T*& array, unsigned& count, unsigned& capacity, const T* source, unsigned sourceCount,
                   unsigned sourceCapacity) {
  if (array == source) return;
  T* copy = nullptr;
  if (source && sourceCapacity) {
    copy = ztAllocRecords<T>(sourceCapacity, kZTNoErrorBox, "CZTTableDesc");
    if (!copy) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, "CZTTableDesc", "CopyOperator: Cannot allocate a new record table");
      throw CZTTblErr();
    }
    for (unsigned i = 0; i < sourceCapacity; ++i) copy[i] = source[i];
  }
  delete[] array;
  array = copy;
  capacity = copy ? sourceCapacity : 0;
  count = copy ? sourceCount : 0;
}
