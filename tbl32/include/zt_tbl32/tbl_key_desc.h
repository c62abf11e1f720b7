// The companion key table of an editable field table: key records whose
// content the application defines; the library only copies, inserts, deletes
// and moves them.
#pragma once

#include "zt_tbl32/frame.h"

constexpr unsigned kZTTblKeySize = 296;

struct SZTTblKey {
  unsigned char bytes[kZTTblKeySize];
};

class ZT_TBL32_API CZTTblKeyDesc {
 public:
  unsigned m_uCount;
  SZTTblKey* m_pKeys;

  CZTTblKeyDesc();
  // Copies every key record whole; CZTTblFldErr when they cannot be allocated.
  CZTTblKeyDesc(const CZTTblKeyDesc& other);
  CZTTblKeyDesc& operator=(const CZTTblKeyDesc& other);
  ~CZTTblKeyDesc();

  void Free();
  // An all-zero record at position (at the end when beyond). int: 1 ok, 0 no
  // memory (the table stays).
  int InsertKey(unsigned position);
  int DeleteKey(unsigned position);
  int MoveKey(unsigned from, unsigned to);
};
