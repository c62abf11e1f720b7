// The fields of a table record: a record table owned by its table description.
#pragma once

#include "zt_tbl32/field_desc.h"

class ZT_TBL32_API CZTFieldDescList {
 public:
  unsigned m_uReserved;  // stays 0
  unsigned m_uCount;     // records in use
  unsigned m_uAlloc;     // records allocated
  CZTFieldDesc* m_pFields;

  CZTFieldDescList();
  // Deep copies; they throw CZTTblErr when the records cannot be allocated.
  CZTFieldDescList(const CZTFieldDescList& other);
  CZTFieldDescList& operator=(const CZTFieldDescList& other);
  ~CZTFieldDescList();

  // Frees the array and zeroes the counts.
  void Free();
  // The data record size: the largest offset + length; 0 for an empty list.
  unsigned GetRecSize() const;
  // The sum of all display widths.
  unsigned GetDispWidth() const;
};
