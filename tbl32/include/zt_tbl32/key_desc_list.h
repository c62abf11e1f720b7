// The keys of a table description, and the index definition table built from
// them for the engine.
#pragma once

#include "zt_isa32.h"
#include "zt_tbl32/key_desc.h"

class CZTFieldDescList;

class ZT_TBL32_API CZTKeyDescList {
 public:
  unsigned m_uReserved;  // stays 0
  unsigned m_uCount;     // keys in use
  unsigned m_uAlloc;     // keys allocated
  CZTKeyDesc* m_pKeys;

  CZTKeyDescList();
  ~CZTKeyDescList();
  // Deep copies; CZTTblErr when the array cannot be allocated.
  CZTKeyDescList(const CZTKeyDescList& other);
  CZTKeyDescList& operator=(const CZTKeyDescList& other);

  void Free();

  // One 58-byte entry per key with the offsets and lengths of the parts' fields;
  // null (after a box) when there are no keys or fields or a part names an
  // unknown field. Release it with FreeIDT.
  ISAMIDT* CreateIDT(const CZTFieldDescList& fields) const;
  static void FreeIDT(ISAMIDT* idt);
};
