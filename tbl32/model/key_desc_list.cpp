#include "zt_tbl32/key_desc_list.h"

#include <stdint.h>
#include <stdlib.h>

#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/field_desc_list.h"

namespace {
const char kSource[] = "CZTKeyDesc";
}

CZTKeyDescList::CZTKeyDescList() : m_uReserved(0), m_uCount(0), m_uAlloc(0), m_pKeys(nullptr) {}

CZTKeyDescList::~CZTKeyDescList() { Free(); }

void CZTKeyDescList::Free() {
  delete[] m_pKeys;
  m_uReserved = m_uCount = m_uAlloc = 0;
  m_pKeys = nullptr;
}

CZTKeyDescList::CZTKeyDescList(const CZTKeyDescList& other)
    : m_uReserved(0), m_uCount(0), m_uAlloc(0), m_pKeys(nullptr) {
  *this = other;
}

CZTKeyDescList& CZTKeyDescList::operator=(const CZTKeyDescList& other) {
  if (this == &other || m_pKeys == other.m_pKeys) return *this;
  CZTKeyDesc* keys = nullptr;
  if (other.m_pKeys && other.m_uAlloc) {
    keys = ztAllocRecords<CZTKeyDesc>(other.m_uAlloc, kZTNoErrorBox, "CZTTableDesc");
    if (!keys) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, "CZTTableDesc", "CopyOperator: Cannot allocate a new record table");
      throw CZTTblErr();
    }
    for (unsigned i = 0; i < other.m_uAlloc; ++i) keys[i] = other.m_pKeys[i];
  }
  Free();
  m_pKeys = keys;
  m_uAlloc = keys ? other.m_uAlloc : 0;
  m_uCount = keys ? other.m_uCount : 0;
  return *this;
}

ISAMIDT* CZTKeyDescList::CreateIDT(const CZTFieldDescList& fields) const {
  if (!m_uCount || !m_pKeys) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "No keys defined on call of CreateIDT.");
    ztTbl32Lib.DispError(ZT_ERR_IDT_NO_KEYS);
    return nullptr;
  }
  if (!fields.m_uCount || !fields.m_pFields) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "No fields defined on call of CreateIDT.");
    ztTbl32Lib.DispError(ZT_ERR_IDT_NO_FIELDS);
    return nullptr;
  }
  // Plain bytes: the slots of missing parts stay as they are, as the engine
  // looks only at the parts counted.
  ISAMIDT* idt = static_cast<ISAMIDT*>(malloc(sizeof(ISAMIDT) * m_uCount));
  if (!idt) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Not enough free memory for %d IDT items available.", (int)m_uCount);
    ztTbl32Lib.DispError(ZT_ERR_IDT_ALLOC, m_uCount);
    return nullptr;
  }
  for (unsigned k = 0; k < m_uCount; ++k) {
    const CZTKeyDesc& key = m_pKeys[k];
    ISAMIDT& entry = idt[k];
    for (unsigned o = 0; o < 5; ++o) entry.options[o] = static_cast<unsigned char>(key.m_uOption[o]);
    entry.partCount = static_cast<unsigned char>(key.m_uPartCount);
    for (unsigned i = 0; i < key.m_uPartCount && i < kZTMaxKeyParts; ++i) {
      const CZTFieldDesc* field = nullptr;
      for (unsigned f = 0; f < fields.m_uCount; ++f) {
        if (!ztStrICmpAscii(fields.m_pFields[f].m_szName, key.m_Part[i].szFieldName)) {
          field = &fields.m_pFields[f];
          break;
        }
      }
      if (!field) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Fieldname %s not found in field table.", key.m_Part[i].szFieldName);
        ztTbl32Lib.DispError(ZT_ERR_IDT_FIELD, key.m_Part[i].szFieldName, k, i);
        free(idt);
        return nullptr;
      }
      // The engine's parts are 16 bits wide: a field beyond them is refused, never cut.
      if (uint64_t(field->m_uOffset) + field->m_uLength > ISAM_MAX_RECORD_SIZE) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Field %s does not fit an ISAM record (offset %u, length %u).",
                          field->m_szName, field->m_uOffset, field->m_uLength);
        ztTbl32Lib.DispError(ZT_ERR_IDT_FIELD_RANGE, field->m_szName, field->m_uOffset, field->m_uLength);
        free(idt);
        return nullptr;
      }
      entry.parts[i].keyType = static_cast<unsigned short>(key.m_Part[i].uKeyType);
      entry.parts[i].offset = static_cast<unsigned short>(field->m_uOffset);
      entry.parts[i].length = static_cast<unsigned short>(field->m_uLength);
    }
  }
  return idt;
}

void CZTKeyDescList::FreeIDT(ISAMIDT* idt) { free(idt); }
