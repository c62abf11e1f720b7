// The table descriptions of a file description.
#pragma once

#include "zt_tbl32/table_desc.h"

class ZT_TBL32_API CZTTableDescList {
 public:
  unsigned m_uReserved;  // stays 0
  unsigned m_uCount;
  unsigned m_uAlloc;
  CZTTableDesc* m_pTables;

  CZTTableDescList();
  ~CZTTableDescList();
  CZTTableDescList(const CZTTableDescList&) = delete;
  CZTTableDescList& operator=(const CZTTableDescList&) = delete;

  void Free();
};
