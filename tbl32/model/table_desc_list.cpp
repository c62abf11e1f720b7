#include "zt_tbl32/table_desc_list.h"

CZTTableDescList::CZTTableDescList() : m_uReserved(0), m_uCount(0), m_uAlloc(0), m_pTables(nullptr) {}

CZTTableDescList::~CZTTableDescList() { Free(); }

void CZTTableDescList::Free() {
  delete[] m_pTables;
  m_uReserved = m_uCount = m_uAlloc = 0;
  m_pTables = nullptr;
}
