#include "zt_tbl32/table_desc.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "record_table.h"
#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/grid_def.h"

namespace {
const char kSource[] = "CZTTableDesc";
// The position the failure lines of an insertion name: the new record has none.
constexpr unsigned kNoPosition = 0xFFFFFFFFu;

// Reads the lines of keyword into the field table (error base b); an empty list
// is accepted when emptyAllowed is set. int: 1 ok.
int ReadFieldList(CZTFieldDescList& fields, CZTConfFile& conf, const char* keyword, unsigned b, int emptyAllowed) {
  fields.Free();
  unsigned count = 0;
  if (!conf.GetBlockCount(keyword, &count)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on GetBlockCount( %s )", keyword);
    ztTbl32Lib.DispError(b, keyword);
    return 0;
  }
  if (!count) {
    if (emptyAllowed) return 1;
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "No keywords %s found", keyword);
    ztTbl32Lib.DispError(b + 1, keyword);
    return 0;
  }
  CZTFieldDesc* records = ztAllocRecords<CZTFieldDesc>(count, b, kSource);
  if (!records) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "ReadLines: Cannot create a new record table");
    return 0;
  }
  fields.m_pFields = records;
  fields.m_uAlloc = count;
  if (!conf.SelectBlock(keyword)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on selecting the keyword %s - block", keyword);
    ztTbl32Lib.DispError(b + 2, keyword);
    fields.Free();
    return 0;
  }
  for (unsigned i = 0; i < count; ++i) {
    if (!records[i].ReadDef(conf, keyword, i)) {
      fields.Free();
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on reading an object definition");
      conf.LeaveBlock();
      return 0;
    }
    if (i + 1 < count && !conf.SelectNextBlock()) break;
  }
  conf.LeaveBlock();
  fields.m_uCount = count;
  return 1;
}

// The keys checked as the ISAM engine will check them when the table is made:
// how many, their parts, the fields the parts name, and (through the engine's
// own check) key types against field lengths and key lengths against the node
// size. The first fault shows its box. int: 1 usable.
int VerifyKeys(const CZTTableDesc& table, unsigned recordSize) {
  const char* name = table.m_szName;
  const CZTKeyDescList& keys = table.m_Keys;
  const CZTFieldDescList& fields = table.m_Fields;
  if (keys.m_uCount > ISAM_MAX_KEYS) {
    ztTbl32Lib.DispError(ZT_ERR_TBL_KEY_COUNT, name, keys.m_uCount, unsigned(ISAM_MAX_KEYS));
    return 0;
  }
  for (unsigned k = 0; k < keys.m_uCount; ++k) {
    const CZTKeyDesc& key = keys.m_pKeys[k];
    if (key.m_uPartCount < 1 || key.m_uPartCount > kZTMaxKeyParts) {
      ztTbl32Lib.DispError(ZT_ERR_TBL_KEY_PARTS, name, k + 1, key.m_uPartCount);
      return 0;
    }
    for (unsigned p = 0; p < key.m_uPartCount; ++p) {
      if (table.FindFieldToKeyIndex(k, p) == kZTNotFound) {
        ztTbl32Lib.DispError(ZT_ERR_TBL_KEY_FIELD, name, p + 1, k + 1, key.m_Part[p].szFieldName);
        return 0;
      }
    }
  }
  ISAMIDT* idt = keys.CreateIDT(fields);
  if (!idt) return 0;
  unsigned badKey = 0, badPart = 0;
  unsigned e = ISAMCheckTableDef(idt, keys.m_uCount, recordSize, table.m_uIndexNodeSize, &badKey, &badPart);
  CZTKeyDescList::FreeIDT(idt);
  if (!e) return 1;
  if (e == ISAM_ERR_KEY_DEF && badKey < keys.m_uCount && badPart < kZTMaxKeyParts) {
    const CZTKeyDesc& key = keys.m_pKeys[badKey];
    const char* typeName = ISAMKeyType(key.m_Part[badPart].uKeyType);
    const CZTFieldDesc& field = fields.m_pFields[table.FindFieldToKeyIndex(badKey, badPart)];
    ztTbl32Lib.DispError(ZT_ERR_TBL_KEY_TYPE, name, badPart + 1, badKey + 1, typeName ? typeName : "???",
                         field.m_szName, field.m_uLength);
  } else if (e == ISAM_ERR_KEY_TOO_LONG && badKey < keys.m_uCount) {
    ztTbl32Lib.DispError(ZT_ERR_TBL_KEY_LONG, name, badKey + 1, table.m_uIndexNodeSize);
  } else {
    ztTbl32Lib.DispError(ZT_ERR_TBL_KEY_REFUSED, name, badKey + 1, e, ISAMErrorText(e));
  }
  return 0;
}

int ReadKeyList(CZTKeyDescList& keys, CZTConfFile& conf) {
  keys.Free();
  unsigned count = 0;
  if (!conf.GetBlockCount("KEY", &count)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on GetBlockCount( %s )", "KEY");
    ztTbl32Lib.DispError(ZT_ERR_DESC_COUNT, "KEY");
    return 0;
  }
  if (!count) return 1;
  CZTKeyDesc* records = ztAllocRecords<CZTKeyDesc>(count, 0, kSource);
  if (!records) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "ReadLines: Cannot create a new record table");
    return 0;
  }
  keys.m_pKeys = records;
  keys.m_uAlloc = count;
  if (!conf.SelectBlock("KEY")) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on selecting the keyword %s - block", "KEY");
    ztTbl32Lib.DispError(ZT_ERR_DESC_SELECT, "KEY");
    keys.Free();
    return 0;
  }
  for (unsigned i = 0; i < count; ++i) {
    if (!records[i].ReadDef(conf, "KEY", i)) {
      keys.Free();
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on reading an object definition");
      conf.LeaveBlock();
      return 0;
    }
    if (i + 1 < count && !conf.SelectNextBlock()) break;
  }
  conf.LeaveBlock();
  keys.m_uCount = count;
  return 1;
}

}  // namespace

CZTTableDesc::CZTTableDesc() : m_uIndexNodeSize(kZTNewNodeSize) { m_szName[0] = 0; }

CZTTableDesc::~CZTTableDesc() {
  m_Gallery.FreeGallery();
  m_Fields.Free();
  m_Keys.Free();
}

CZTTableDesc::CZTTableDesc(const CZTTableDesc& other) : CZTTableDesc() { *this = other; }

CZTTableDesc& CZTTableDesc::operator=(const CZTTableDesc& other) {
  if (this == &other) return *this;
  m_uIndexNodeSize = other.m_uIndexNodeSize;
  ztStrCopy(m_szName, other.m_szName, sizeof(m_szName));
  m_Keys = other.m_Keys;
  ztCopyRecords(m_Fields.m_pFields, m_Fields.m_uCount, m_Fields.m_uAlloc, other.m_Fields.m_pFields,
                other.m_Fields.m_uCount, other.m_Fields.m_uAlloc);
  m_Gallery = other.m_Gallery;
  return *this;
}

int CmpTableName(const void* name, const CZTTableDesc* table) {
  return ztStrICmpAscii(static_cast<const char*>(name), table->m_szName);
}

void CZTTableDesc::FreeTable() {
  m_Fields.Free();
  m_Keys.Free();
}

int CZTTableDesc::ReadDef(CZTConfFile& conf, const char* keyword, unsigned blockNumber) {
  unsigned length = 0;
  unsigned e = conf.GetText(keyword, m_szName, sizeof(m_szName), &length);
  if (e) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on reading table keyword %s(%u)", e, keyword, blockNumber);
    ztTbl32Lib.DispError(ZT_ERR_TBL_READ, keyword, blockNumber);
    return 0;
  }
  if (conf.GetWord("INDEXNODESIZE", &m_uIndexNodeSize)) m_uIndexNodeSize = kZTDefaultNodeSize;

  if (!ReadKeyList(m_Keys, conf)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error reading key descs for table %s", m_szName);
    return 0;
  }
  if (!ReadFieldList(m_Fields, conf, "FIELD", 0, 1)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error reading field descs for table %s", m_szName);
    return 0;
  }
  if (!m_Gallery.ReadDef(conf)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error reading gallery desc for table %s", m_szName);
    return 0;
  }
  if (m_Fields.m_uCount >= 2) qsort(m_Fields.m_pFields, m_Fields.m_uCount, sizeof(CZTFieldDesc), CmpFieldPos);
  return 1;
}

int CZTTableDesc::WriteDef(CZTConfFile& conf, const char* keyword) const {
  conf.EditTextLine(keyword, m_szName, nullptr);
  conf.EditIntLine("IndexNodeSize:", m_uIndexNodeSize, nullptr);
  conf.EditComment(nullptr);
  for (unsigned i = 0; i < m_Fields.m_uCount; ++i)
    if (!m_Fields.m_pFields[i].WriteDef(conf)) return 0;
  for (unsigned i = 0; i < m_Keys.m_uCount; ++i)
    if (!m_Keys.m_pKeys[i].WriteDef(conf)) return 0;
  if (!m_Gallery.WriteDef(conf)) return 0;
  conf.EditDataLine(keyword, "END", nullptr);
  conf.EditComment(nullptr);
  // A line the writer refused (a name with a line break, say) fails the block.
  return conf.GetEditError() == ZT_CONF_OK ? 1 : 0;
}

int CZTTableDesc::DispDef(IGridView* view, unsigned row) const {
  if (!view) return 1;
  view->SetItemText(row, 0, m_szName);
  view->SetItemUInt(row, 1, m_Fields.m_uCount);
  view->SetItemUInt(row, 2, m_Keys.m_uCount);
  view->SetItemUInt(row, 3, m_Fields.GetRecSize());
  view->SetItemUInt(row, 4, m_uIndexNodeSize);
  return 1;
}

int CZTTableDesc::DispDef(CGridDef& grid, unsigned row) const { return DispDef(grid.m_pGrid, row); }

int CZTTableDesc::VerifyTable() const {
  if (!m_szName[0]) {
    ztTbl32Lib.DispError(ZT_ERR_TBL_READ);
    return 0;
  }
  if (m_uIndexNodeSize < kZTMinNodeSize) {
    ztTbl32Lib.DispError(ZT_ERR_TBL_NODE_SMALL, m_szName, m_uIndexNodeSize);
    return 0;
  }
  if (m_uIndexNodeSize > kZTMaxNodeSize) {
    ztTbl32Lib.DispError(ZT_ERR_TBL_NODE_LARGE, m_szName, m_uIndexNodeSize);
    return 0;
  }
  if (!m_Fields.m_uCount) {
    ztTbl32Lib.DispError(ZT_ERR_TBL_NO_FIELDS, m_szName);
    return 0;
  }
  unsigned recSize = m_Fields.GetRecSize();
  if (!recSize) {
    ztTbl32Lib.DispError(ZT_ERR_TBL_NO_RECSIZE, m_szName);
    return 0;
  }
  if (recSize > ISAM_MAX_RECORD_SIZE) {
    for (unsigned i = 0; i < m_Fields.m_uCount && m_Fields.m_pFields; ++i) {
      const CZTFieldDesc& field = m_Fields.m_pFields[i];
      if (uint64_t(field.m_uOffset) + field.m_uLength > ISAM_MAX_RECORD_SIZE) {
        ztTbl32Lib.DispError(ZT_ERR_TBL_RECORD_LARGE, m_szName, field.m_szName, field.m_uOffset, field.m_uLength);
        break;
      }
    }
    return 0;
  }
  if (!m_Keys.m_uCount) {
    ztTbl32Lib.DispError(ZT_ERR_TBL_NO_KEYS, m_szName);
    return 0;
  }
  // Which field owns each record byte (field index + 1; 0: nobody).
  unsigned* owner = static_cast<unsigned*>(calloc(recSize, sizeof(unsigned)));
  if (!owner) ztTbl32Lib.DispError(ZT_ERR_TBL_FIELD_ALLOC);
  for (unsigned i = 0; i < m_Fields.m_uCount; ++i) {
    if (!m_Fields.m_pFields) {
      ztTbl32Lib.DispError(ZT_ERR_TBL_FIELD_MISSING, m_szName, i, m_Fields.m_uCount);
      free(owner);
      return 0;
    }
    const CZTFieldDesc& field = m_Fields.m_pFields[i];
    if (!field.VerifyField()) {
      free(owner);
      return 0;
    }
    if (!owner) continue;
    uint64_t end = (uint64_t)field.m_uOffset + field.m_uLength;
    if (end > recSize) end = recSize;
    for (unsigned b = field.m_uOffset; b < end; ++b) {
      if (owner[b]) {
        unsigned j = owner[b] - 1;
        if (j < m_Fields.m_uCount)
          ztTbl32Lib.DispError(ZT_ERR_TBL_OVERLAP, m_szName, m_Fields.m_pFields[j].m_szName, field.m_szName, b);
        else
          ztTbl32Lib.DispError(ZT_ERR_TBL_OVERLAP_IDX, m_szName, field.m_szName, j, b);
        free(owner);
        return 0;
      }
      owner[b] = i + 1;
    }
  }
  if (!VerifyKeys(*this, recSize)) {
    free(owner);
    return 0;
  }
  if (owner) {
    unsigned gap = 0;
    for (unsigned b = 0; b < recSize; ++b)
      if (!owner[b]) ++gap;
    free(owner);
    if (gap) ztTbl32Lib.DispError(ZT_ERR_TBL_GAP, m_szName, gap);
  }
  return 1;
}

int CZTTableDesc::InsertField(const char* name, unsigned* position) {
  if (!position) return 0;
  CZTFieldDesc field;
  ztStrCopy(field.m_szName, name, sizeof(field.m_szName));
  unsigned count = m_Fields.m_uCount;
  if (*position >= count) {
    if (!ztAppendRecord(m_Fields.m_pFields, m_Fields.m_uCount, m_Fields.m_uAlloc, field, 4, kSource)) {
      ztTbl32Lib.DispError(ZT_ERR_TBL_FIELD_APPEND);
      return 0;
    }
    *position = count;
    return 1;
  }
  for (unsigned j = 0; j < count; ++j) {
    if (!ztStrICmpAscii(m_Fields.m_pFields[j].m_szName, field.m_szName)) {
      if (j != *position) ztMoveRecord(m_Fields.m_pFields, count, j, *position);
      return 1;
    }
  }
  if (!ztAppendRecord(m_Fields.m_pFields, m_Fields.m_uCount, m_Fields.m_uAlloc, field, 1, kSource) ||
      !ztMoveRecord(m_Fields.m_pFields, m_Fields.m_uCount, count, *position)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot insert data field %u of %u into the table.", kNoPosition,
                      m_Fields.m_uCount);
    ztTbl32Lib.DispError(ZT_ERR_TBL_FIELD_ALLOC);
    return 0;
  }
  return 1;
}

int CZTTableDesc::InsertKey(unsigned* position) {
  if (!position) return 0;
  CZTKeyDesc key;
  key.m_uPartCount = 1;
  unsigned count = m_Keys.m_uCount;
  if (*position >= count) {
    if (!ztAppendRecord(m_Keys.m_pKeys, m_Keys.m_uCount, m_Keys.m_uAlloc, key, 4, kSource)) {
      ztTbl32Lib.DispError(ZT_ERR_TBL_KEY_APPEND);
      return 0;
    }
    *position = count;
    return 1;
  }
  if (!ztAppendRecord(m_Keys.m_pKeys, m_Keys.m_uCount, m_Keys.m_uAlloc, key, 1, kSource) ||
      !ztMoveRecord(m_Keys.m_pKeys, m_Keys.m_uCount, count, *position)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot insert key field %u of %u into the table.", kNoPosition,
                      m_Keys.m_uCount);
    ztTbl32Lib.DispError(ZT_ERR_TBL_KEY_INSERT);
    return 0;
  }
  return 1;
}

int CZTTableDesc::SetFieldName(unsigned index, const char* name) {
  if (index >= m_Fields.m_uCount || !m_Fields.m_pFields) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Data field definition %d not found in table description.", (int)index);
    return 0;
  }
  ztStrCopy(m_Fields.m_pFields[index].m_szName, name, kZTNameSize);
  return 1;
}

int CZTTableDesc::DispFieldProperties(CGridDef& grid, unsigned index) {
  if (index >= m_Fields.m_uCount || !m_Fields.m_pFields) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Data field definition %d not found in table description.", (int)index);
    return 0;
  }
  return m_Fields.m_pFields[index].DispDef(grid, index);
}

int CZTTableDesc::ListKeys(CGridDef& grid) const {
  if (grid.m_pGrid) grid.m_pGrid->DeleteAllItems(TRUE);
  if (!m_Keys.m_uCount) return 1;
  if (!m_Keys.m_pKeys) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSource, "DispRecs: Table does not exist.");
    return 0;
  }
  unsigned row = 0;
  for (unsigned k = 0; k < m_Keys.m_uCount; ++k) {
    const CZTKeyDesc& key = m_Keys.m_pKeys[k];
    if (!key.m_uPartCount) continue;
    unsigned first = row;
    for (unsigned i = 0; i < key.m_uPartCount && i < kZTMaxKeyParts; ++i, ++row) {
      if (!grid.InsertItem(row, row)) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot insert item %u into the grid control.", k);
        ztTbl32Lib.DispError(ZT_ERR_TBL_GRID_INSERT, k);
        return 0;
      }
    }
    if (!key.DispDef(grid, k, first)) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot display item %u in the grid control.", k);
      ztTbl32Lib.DispError(ZT_ERR_TBL_GRID_DISPLAY, k);
      return 0;
    }
  }
  return 1;
}

unsigned CZTTableDesc::KeyPartToIndex(unsigned row) const {
  unsigned first = 0;
  for (unsigned k = 0; k < m_Keys.m_uCount && m_Keys.m_pKeys; ++k) {
    unsigned parts = m_Keys.m_pKeys[k].m_uPartCount;
    if (row < first + parts) return k;
    first += parts;
  }
  return kZTNotFound;
}

unsigned CZTTableDesc::KeyPartToPart(unsigned row) const {
  unsigned first = 0;
  for (unsigned k = 0; k < m_Keys.m_uCount && m_Keys.m_pKeys; ++k) {
    unsigned parts = m_Keys.m_pKeys[k].m_uPartCount;
    if (row < first + parts) return row - first;
    first += parts;
  }
  return kZTNotFound;
}

unsigned CZTTableDesc::FindKeyToFieldIndex(unsigned fieldIndex) const {
  if (fieldIndex >= m_Fields.m_uCount || !m_Fields.m_pFields) return kZTNotFound;
  const char* name = m_Fields.m_pFields[fieldIndex].m_szName;
  for (unsigned k = 0; k < m_Keys.m_uCount && m_Keys.m_pKeys; ++k)
    if (m_Keys.m_pKeys[k].m_uPartCount && !ztStrICmpAscii(m_Keys.m_pKeys[k].m_Part[0].szFieldName, name)) return k;
  return kZTNotFound;
}

unsigned CZTTableDesc::FindFieldToKeyIndex(unsigned keyIndex, unsigned part) const {
  if (keyIndex >= m_Keys.m_uCount || !m_Keys.m_pKeys || part >= kZTMaxKeyParts) return kZTNotFound;
  const char* name = m_Keys.m_pKeys[keyIndex].m_Part[part].szFieldName;
  for (unsigned i = 0; i < m_Fields.m_uCount && m_Fields.m_pFields; ++i)
    if (!ztStrICmpAscii(m_Fields.m_pFields[i].m_szName, name)) return i;
  return kZTNotFound;
}

void CZTTableDesc::SetKeyFieldIndex(unsigned keyIndex, unsigned part, unsigned fieldIndex) {
  if (keyIndex >= m_Keys.m_uCount || !m_Keys.m_pKeys || part >= kZTMaxKeyParts) return;
  if (fieldIndex >= m_Fields.m_uCount || !m_Fields.m_pFields) return;
  ztStrCopy(m_Keys.m_pKeys[keyIndex].m_Part[part].szFieldName, m_Fields.m_pFields[fieldIndex].m_szName, kZTNameSize);
}

IGridView* CZTTableDesc::DispGridDataHeaderOn(IGridView* view, unsigned commandBase) const {
  if (!view) return nullptr;
  if (!m_Fields.m_uCount || !m_Fields.m_pFields) {
    ztTbl32Lib.DispError(ZT_ERR_TBL_GRID_NO_FIELDS, m_szName);
    return nullptr;
  }
  view->DeleteAllItems(FALSE);
  view->SetColumnCount(m_Fields.m_uCount, FALSE);
  for (unsigned i = 0; i < m_Fields.m_uCount; ++i) {
    const CZTFieldDesc& field = m_Fields.m_pFields[i];
    bool sortable = FindKeyToFieldIndex(i) != kZTNotFound;
    if (field.m_uDispWidth)
      view->SetColumnHeader(i, field.m_uDispWidth, static_cast<BYTE>(field.m_uDispJust), field.m_szName, FALSE);
    else
      view->SetColumnHeader(i, 0, static_cast<BYTE>(field.m_uDispJust), "", FALSE);
    view->SetColumnType(i, 0, i + commandBase + 1, static_cast<BYTE>(sortable ? GCF_SORTABLE : 0u));
  }
  return view;
}
