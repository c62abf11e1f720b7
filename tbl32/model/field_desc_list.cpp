#include "zt_tbl32/field_desc_list.h"

#include <stdint.h>

namespace {
constexpr const char* kSrcTableDesc = "CZTTableDesc";

CZTFieldDesc* CopyRecords(const CZTFieldDescList& from) {
  if (!from.m_pFields || from.m_uAlloc == 0) return nullptr;
  CZTFieldDesc* records = ztAllocRecords<CZTFieldDesc>(from.m_uAlloc, kZTNoErrorBox, kSrcTableDesc);
  if (!records) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcTableDesc, "CopyOperator: Cannot allocate a new record table");
    throw CZTTblErr();
  }
  for (unsigned i = 0; i < from.m_uCount; ++i) records[i] = from.m_pFields[i];
  return records;
}
}  // namespace

CZTFieldDescList::CZTFieldDescList() : m_uReserved(0), m_uCount(0), m_uAlloc(0), m_pFields(nullptr) {}

CZTFieldDescList::CZTFieldDescList(const CZTFieldDescList& other)
    : m_uReserved(0), m_uCount(0), m_uAlloc(0), m_pFields(nullptr) {
  m_pFields = CopyRecords(other);
  if (m_pFields) {
    m_uCount = other.m_uCount;
    m_uAlloc = other.m_uAlloc;
  }
}

CZTFieldDescList& CZTFieldDescList::operator=(const CZTFieldDescList& other) {
  if (this == &other) return *this;
  CZTFieldDesc* records = CopyRecords(other);  // throws before anything changes
  delete[] m_pFields;
  m_pFields = records;
  m_uCount = records ? other.m_uCount : 0;
  m_uAlloc = records ? other.m_uAlloc : 0;
  return *this;
}

CZTFieldDescList::~CZTFieldDescList() { Free(); }

void CZTFieldDescList::Free() {
  delete[] m_pFields;
  m_pFields = nullptr;
  m_uReserved = m_uCount = m_uAlloc = 0;
}

unsigned CZTFieldDescList::GetRecSize() const {
  // Summed without wrapping: a field ending beyond 4 GB gives UINT32_MAX, which
  // no record has, rather than a small size that a buffer would be made for.
  uint64_t size = 0;
  for (unsigned i = 0; i < m_uCount; ++i) {
    const uint64_t end = uint64_t(m_pFields[i].m_uOffset) + m_pFields[i].m_uLength;
    if (end > size) size = end;
  }
  return size > UINT32_MAX ? UINT32_MAX : unsigned(size);
}

unsigned CZTFieldDescList::GetDispWidth() const {
  unsigned width = 0;
  for (unsigned i = 0; i < m_uCount; ++i) width += m_pFields[i].m_uDispWidth;
  return width;
}
