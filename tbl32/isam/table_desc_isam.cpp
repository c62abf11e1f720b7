// Creating an ISAM table from a table description and reading a description
// back from the text stored in the table.
#include <stdint.h>
#include <stdlib.h>

#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/file_desc.h"

namespace {
const char kSource[] = "CZTTableDesc";
}

int CZTTableDesc::EditStoredDesc(CZTConfFile& conf) const {
  ztEditDescHeader(conf, "Data Table Description");
  return WriteDef(conf, "Table:");
}

int CZTTableDesc::CreateISAMTable(void* isamFile) const {
  ISAMFILE file = static_cast<ISAMFILE>(isamFile);
  // The engine's record size is a 32-bit value: a larger record is refused, not cut.
  const unsigned recordSize = m_Fields.GetRecSize();
  if (recordSize > ISAM_MAX_RECORD_SIZE) {
    for (unsigned i = 0; i < m_Fields.m_uCount; ++i) {
      const CZTFieldDesc& field = m_Fields.m_pFields[i];
      if (uint64_t(field.m_uOffset) + field.m_uLength <= ISAM_MAX_RECORD_SIZE) continue;
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource,
                        "Field %s of table %s does not fit an ISAM record (offset %u, length %u)", field.m_szName,
                        m_szName, field.m_uOffset, field.m_uLength);
      ztTbl32Lib.DispError(ZT_ERR_TBL_RECORD_LARGE, m_szName, field.m_szName, field.m_uOffset, field.m_uLength);
      break;
    }
    return 0;
  }
  ISAMIDT* idt = m_Keys.CreateIDT(m_Fields);
  if (!idt) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot create an IDT for table %s", m_szName);
    return 0;
  }
  CZTConfFile conf;
  if (!conf.StartEdit(0x10000, 8, 32, 24, 80, 104)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on start editing the table description.");
    CZTKeyDescList::FreeIDT(idt);
    return 0;
  }
  int result = 1;
  if (!EditStoredDesc(conf)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on editing the table description.");
    result = 0;
  }
  unsigned e = 0;
  if (result) {
    e = ISAMCreateTable(file, m_szName, idt, m_Keys.m_uCount, recordSize, m_uIndexNodeSize);
    if (e) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on creating table %s", e, m_szName);
      ISAMDispError(file, "ISAMCreateTable", e, 0);
      result = 0;
    }
  }
  ISAMTABLE table = nullptr;
  if (result) {
    e = ISAMOpenTable(file, m_szName, &table);
    if (e) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on opening isam table %s", e, m_szName);
      ISAMDispError(file, "ISAMOpenTable", e, 0);
      result = 0;
      table = nullptr;
    }
  }
  if (table) {
    e = ISAMWriteTableDesc(table, 0, conf.m_pEditText, conf.m_uEditLength);
    if (e) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on ISAMWriteTableDesc of %s", e, m_szName);
      ISAMDispError(file, "ISAMWriteTableDesc", e, 0);
      result = 0;
    }
    e = ISAMCloseTable(table);
    if (e) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on closing isam table %s", e, m_szName);
      ISAMDispError(file, "ISAMCloseTable", e, 0);
      result = 0;
    }
  }
  conf.Free();
  CZTKeyDescList::FreeIDT(idt);
  return result;
}

int CZTTableDesc::ReadDesc(void* isamFile, unsigned tableNumber) {
  ISAMFILE file = static_cast<ISAMFILE>(isamFile);
  unsigned e = ISAMGetTableName(file, tableNumber, m_szName, sizeof(m_szName));
  m_szName[sizeof(m_szName) - 1] = 0;
  if (e) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on ISAMGetTableName( %u )", e, tableNumber);
    ISAMDispError(file, "ISAMGetTableName", e, 0);
    return 0;
  }
  ISAMTABLE table = nullptr;
  e = ISAMOpenTable(file, m_szName, &table);
  if (e) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on ISAMOpenTable( %s )", e, m_szName);
    ISAMDispError(file, "ISAMOpenTable", e, 0);
    return 0;
  }

  int result = 1;
  char* buffer = nullptr;
  unsigned nodeSize = 0, size = 0;
  if ((e = ISAMGetIndexRecSize(table, &nodeSize)) != 0) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on ISAMGetIndexRecSize( %s )", e, m_szName);
    ISAMDispError(file, "ISAMGetIndexRecSize", e, 0);
    result = 0;
  } else if ((e = ISAMGetTableDescSize(table, 0, &size)) != 0) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on ISAMGetTableDescSize( %s )", e, m_szName);
    ISAMDispError(file, "ISAMGetTableDescSize", e, 0);
    result = 0;
  } else if (size == 0) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSource, "Table %s contains no record description.", m_szName);
    m_uIndexNodeSize = nodeSize;
  } else if (!(buffer = static_cast<char*>(malloc(size)))) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Not enough free memory for an isam table description.");
    ztTbl32Lib.DispError(ZT_ERR_TBL_DESC_ALLOC);
    result = 0;
  } else {
    unsigned length = 0;
    e = ISAMReadTableDesc(table, 0, buffer, size, &length);
    if (e) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on ISAMReadTableDesc( %s )", e, m_szName);
      ISAMDispError(file, "ISAMReadTableDesc", e, 0);
      result = 0;
    } else {
      CZTConfFile conf;
      char engineName[kZTNameSize];
      ztStrCopy(engineName, m_szName, sizeof(engineName));
      unsigned recordSize = 0;
      if (!conf.ReadIt(buffer, length < size ? length : size) || !ReadDef(conf, "TABLE", tableNumber)) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on reading the definition of table %s.", engineName);
        result = 0;
      } else if ((e = ISAMGetDataRecSize(table, &recordSize)) != 0 || m_Fields.GetRecSize() > recordSize) {
        // Whoever reads records by this description relies on its fields lying
        // inside the table's records, whatever the stored text says.
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource,
                          "The stored description of table %s needs %u bytes, the records have %u.", engineName,
                          m_Fields.GetRecSize(), recordSize);
        ztTbl32Lib.DispError(ZT_ERR_TBL_STORED_SIZE, engineName, m_Fields.GetRecSize(), recordSize);
        FreeTable();  // nobody gets to read records by it
        result = 0;
      } else {
        m_uIndexNodeSize = nodeSize;
      }
      conf.Free();
    }
  }
  free(buffer);
  e = ISAMCloseTable(table);
  if (e) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on ISAMCloseTable( %s )", e, m_szName);
    ISAMDispError(file, "ISAMCloseTable", e, 0);
    return 0;
  }
  return result;
}
