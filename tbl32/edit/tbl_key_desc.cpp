#include "zt_tbl32/tbl_key_desc.h"

#include <string.h>

#include "edit_codes.h"
#include "row_array.h"

namespace {

// All-zero key records; null (logged, shown) when there is no memory.
SZTTblKey* AllocKeys(unsigned count, const char* logText) {
  SZTTblKey* keys = ztAllocZeroRows<SZTTblKey>(count);
  if (!keys) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcTblKeyDesc, "%s", logText);
    ztTbl32Lib.DispError(ZT_ERR_TBLKEY_ALLOC, count);
  }
  return keys;
}

}  // namespace

CZTTblKeyDesc::CZTTblKeyDesc() : m_uCount(0), m_pKeys(nullptr) {}

CZTTblKeyDesc::CZTTblKeyDesc(const CZTTblKeyDesc& other) : m_uCount(0), m_pKeys(nullptr) {
  ztCopyRows(m_pKeys, m_uCount, other.m_pKeys, other.m_uCount,
             [](unsigned n) { return AllocKeys(n, "Not enough free memory to copy the key description table."); });
}

CZTTblKeyDesc& CZTTblKeyDesc::operator=(const CZTTblKeyDesc& other) {
  if (m_pKeys == other.m_pKeys) return *this;
  Free();
  ztCopyRows(m_pKeys, m_uCount, other.m_pKeys, other.m_uCount,
             [](unsigned n) { return AllocKeys(n, "Not enough free memory to copy the column description table."); });
  return *this;
}

CZTTblKeyDesc::~CZTTblKeyDesc() { Free(); }

void CZTTblKeyDesc::Free() {
  delete[] m_pKeys;
  m_pKeys = nullptr;
  m_uCount = 0;
}

int CZTTblKeyDesc::InsertKey(unsigned position) {
  return ztInsertZeroRow(m_pKeys, m_uCount, position,
                         AllocKeys(m_uCount + 1, "Not enough free memory to copy the key description table."));
}

int CZTTblKeyDesc::DeleteKey(unsigned position) { return ztDeleteRow(m_pKeys, m_uCount, position); }

int CZTTblKeyDesc::MoveKey(unsigned from, unsigned to) { return ztExchangeRows(m_pKeys, m_uCount, from, to); }
