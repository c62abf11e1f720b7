#include "zt_tbl32/file_desc.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "record_table.h"
#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/grid_def.h"

namespace {
const char kSource[] = "CZTFileDesc";

// First bytes of an ISAM file: a 32-bit 0 at 0, 0xFFFF at 8, "ISAM" at 12. A
// file cut short inside them is an ISAM file too (a damaged one) once its four
// leading zero bytes are there: no description file starts so.
bool IsIsamSignature(const unsigned char* b, size_t got) {
  static const unsigned char kSignature[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 'I', 'S', 'A', 'M'};
  if (got < 4) return false;
  for (size_t i = 0; i < got && i < 16; ++i)
    if ((i < 4 || i == 8 || i == 9 || i >= 12) && b[i] != kSignature[i]) return false;
  return true;
}

bool HasCfgExtension(const char* name) {
  unsigned dot = ztFileNameDot(name);
  return dot != ZT_NO_DOT && ztStrNICmp(name + dot, ".CFG", 4) == 0;
}
}  // namespace

CZTFileDesc::CZTFileDesc() : m_bIsamFile(0), m_bReadOnly(0), m_bNewFile(0), m_uSelTable(kZTNoTable) {
  m_szFileName[0] = 0;
}

CZTFileDesc::CZTFileDesc(const CZTFileDesc& other) : CZTFileDesc() { *this = other; }

CZTFileDesc& CZTFileDesc::operator=(const CZTFileDesc& other) {
  if (this == &other) return *this;
  m_bIsamFile = other.m_bIsamFile;
  m_bReadOnly = other.m_bReadOnly;
  m_bNewFile = other.m_bNewFile;
  m_uSelTable = other.m_uSelTable;
  ztStrCopy(m_szFileName, other.m_szFileName, sizeof(m_szFileName));
  // Copies every description with CZTTableDesc::operator=; CZTTblErr on failure.
  ztCopyRecords(m_Tables.m_pTables, m_Tables.m_uCount, m_Tables.m_uAlloc, other.m_Tables.m_pTables,
                other.m_Tables.m_uCount, other.m_Tables.m_uAlloc);
  return *this;
}

void CZTFileDesc::Free() { m_Tables.Free(); }

unsigned CZTFileDesc::TestFileType(const char* fileName) {
  namespace fs = std::filesystem;
  m_bIsamFile = m_bReadOnly = m_bNewFile = 0;
  if (!fileName || !fileName[0]) return ZT_FILE_NONE;
  std::error_code ec;
  fs::file_status status = fs::status(fileName, ec);
  if (!fs::exists(status)) {
    if (HasCfgExtension(fileName)) {
      m_bNewFile = 1;
      return ZT_FILE_NEW_CFG;
    }
    return ZT_FILE_NONE;
  }
  if (fs::is_directory(status)) return ZT_FILE_NONE;
  FILE* file = fopen(fileName, "rb");
  if (!file) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on opening %s", (unsigned)errno, fileName);
    return ZT_FILE_NONE;
  }
  unsigned char head[16];
  size_t got = fread(head, 1, sizeof(head), file);
  int readError = ferror(file);
  fclose(file);
  if (readError) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error %u on reading %s", (unsigned)errno, fileName);
    return ZT_FILE_NONE;
  }
  if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) m_bReadOnly = 1;
  if (IsIsamSignature(head, got)) {
    m_bIsamFile = 1;
    return ZT_FILE_ISAM;
  }
  return ZT_FILE_DESC;
}

int CZTFileDesc::InitDescEdit(HWND, const char* fileName, int create) {
  Free();
  switch (TestFileType(fileName)) {
    case ZT_FILE_NEW_CFG:
      if (!create) {
        ztTbl32Lib.DispError(ZT_ERR_FILE_NOT_FOUND, fileName);
        return 0;
      }
      // Whatever the answer, the new name is taken.
      ztTbl32Lib.DispQuestion(ZT_ERR_FILE_CREATE_QUESTION, fileName);
      ztStrCopy(m_szFileName, fileName, sizeof(m_szFileName));
      return 1;
    case ZT_FILE_ISAM: {
      if (!ReadISAMDescs(fileName)) return 0;
      ztStrCopy(m_szFileName, fileName, sizeof(m_szFileName));
      return 1;
    }
    case ZT_FILE_DESC:
      break;
    default:
      return 0;
  }

  CZTConfFile conf;
  if (!conf.Read(fileName, 1, 1)) {
    m_bNewFile = 1;
  } else {
    unsigned count = 0;
    if (!conf.GetBlockCount("TABLE", &count)) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on GetBlockCount( %s )", "TABLE");
      ztTbl32Lib.DispError(ZT_ERR_DESC_COUNT, "TABLE");
    } else if (count) {
      m_Tables.m_pTables = ztAllocRecords<CZTTableDesc>(count, 0, kSource);
      if (!m_Tables.m_pTables) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "ReadLines: Cannot create a new record table");
      } else {
        m_Tables.m_uAlloc = m_Tables.m_uCount = count;
        if (!conf.SelectBlock("TABLE")) {
          ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on selecting the keyword %s - block", "TABLE");
          ztTbl32Lib.DispError(ZT_ERR_DESC_SELECT, "TABLE");
          Free();
        } else {
          for (unsigned i = 0; i < count; ++i) {
            if (!m_Tables.m_pTables[i].ReadDef(conf, "TABLE", i)) {
              Free();
              ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on reading an object definition");
              break;
            }
            if (i + 1 < count && !conf.SelectNextBlock()) break;
          }
          conf.LeaveBlock();
        }
      }
    }
  }
  conf.Free();
  ztStrCopy(m_szFileName, fileName, sizeof(m_szFileName));
  return 1;
}

void ztEditDescHeader(CZTConfFile& conf, const char* title) {
  conf.EditHdDelLine();
  conf.EditHdEmptyLine();
  conf.EditHdParamLine(0, title);
  conf.EditHdEmptyLine();
  conf.EditHdDelLine();
  conf.EditHdEmptyLine();
  conf.EditHdParamLine(3, "Generated file: edit with care, keep the block structure.");
  conf.EditHdParamLine(4, "zt_tbl32: data table description manager");
  conf.EditHdEmptyLine();
  conf.EditHdParamLine(5, nullptr);
  conf.EditHdParamLine(6, "");
  conf.EditHdEmptyLine();
  conf.EditHdDelLine();
  conf.EditComment(nullptr);
}

int CZTFileDesc::EditDesc(CZTConfFile& conf) const {
  ztEditDescHeader(conf, "Data File Description");
  for (unsigned i = 0; i < m_Tables.m_uCount && m_Tables.m_pTables; ++i)
    if (!m_Tables.m_pTables[i].WriteDef(conf, "Table:")) return 0;
  return 1;
}

int CZTFileDesc::WriteDesc() const {
  if (m_bIsamFile || m_bReadOnly) return 1;
  CZTConfFile conf;
  if (!conf.StartEdit(0x10000, 8, 32, 24, 80, 104)) return 0;
  int result = EditDesc(conf) ? conf.WriteEdit(m_szFileName, 1) : 0;
  conf.Free();
  return result;
}

int CZTFileDesc::VerifyDesc(unsigned* badTable) const {
  if (!m_Tables.m_uCount || !m_Tables.m_pTables) {
    ztTbl32Lib.DispError(ZT_ERR_FILE_NO_TABLES);
    if (badTable) *badTable = kZTNoTable;
    return 0;
  }
  for (unsigned i = 0; i < m_Tables.m_uCount; ++i) {
    if (!m_Tables.m_pTables[i].VerifyTable()) {
      if (badTable) *badTable = i;
      return 0;
    }
  }
  return VerifyTableNames(badTable);
}

// Two tables of one name cannot both go into an ISAM file.
int CZTFileDesc::VerifyTableNames(unsigned* badTable) const {
  std::vector<std::pair<std::string, unsigned>> names;
  names.reserve(m_Tables.m_uCount);
  for (unsigned i = 0; i < m_Tables.m_uCount && m_Tables.m_pTables; ++i) {
    std::string folded = m_Tables.m_pTables[i].m_szName;
    for (char& c : folded)
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    names.emplace_back(folded, i);
  }
  std::sort(names.begin(), names.end());
  for (size_t k = 1; k < names.size(); ++k) {
    if (names[k].first != names[k - 1].first) continue;
    const unsigned first = names[k - 1].second, second = names[k].second;
    ztTbl32Lib.DispError(ZT_ERR_FILE_TABLE_TWICE, m_Tables.m_pTables[second].m_szName, first + 1, second + 1);
    if (badTable) *badTable = second;
    return 0;
  }
  return 1;
}

int CZTFileDesc::OpenISAMFile(HWND, const char*) { return 0; }

unsigned CZTFileDesc::FindTableName(const char* name) const {
  for (unsigned i = 0; name && i < m_Tables.m_uCount && m_Tables.m_pTables; ++i)
    if (!CmpTableName(name, &m_Tables.m_pTables[i])) return i;
  return kZTNotFound;
}

CZTTableDesc* CZTFileDesc::GetTableItem(const char* name) {
  if (!m_Tables.m_uCount || !m_Tables.m_pTables) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "No tables exist on call of GetTableItem( %s )", name ? name : "");
    return nullptr;
  }
  unsigned i = FindTableName(name);
  if (i == kZTNotFound) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Table %s not found on call of GetTableItem.", name ? name : "");
    return nullptr;
  }
  return &m_Tables.m_pTables[i];
}

const CZTTableDesc* CZTFileDesc::GetCTableItem(const char* name) const {
  if (!m_Tables.m_uCount || !m_Tables.m_pTables) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "No tables exist on call of GetCTableItem( %s )", name ? name : "");
    return nullptr;
  }
  unsigned i = FindTableName(name);
  if (i == kZTNotFound) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Table %s not found on call of GetCTableItem.", name ? name : "");
    return nullptr;
  }
  return &m_Tables.m_pTables[i];
}

int CZTFileDesc::SetTableName(unsigned index, const char* name) {
  if (index >= m_Tables.m_uCount || !m_Tables.m_pTables) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot access table %u of %u", index, m_Tables.m_uCount);
    ztTbl32Lib.DispError(ZT_ERR_FILE_TABLE_INDEX);
    return 0;
  }
  ztStrCopy(m_Tables.m_pTables[index].m_szName, name, kZTNameSize);
  return 1;
}

int CZTFileDesc::MoveTable(unsigned from, unsigned to) {
  return ztMoveRecord(m_Tables.m_pTables, m_Tables.m_uCount, from, to);
}

int CZTFileDesc::InsertTable(const char* name, unsigned* position) {
  if (!position) return 0;
  unsigned count = m_Tables.m_uCount;
  try {
    CZTTableDesc table;
    ztStrCopy(table.m_szName, name, kZTNameSize);
    if (*position >= count) {
      if (!ztAppendRecord(m_Tables.m_pTables, m_Tables.m_uCount, m_Tables.m_uAlloc, table, 4, kSource)) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot append a new table item.");
        ztTbl32Lib.DispError(ZT_ERR_FILE_APPEND);
        return 0;
      }
      *position = count;
      return 1;
    }
    unsigned j = FindTableName(table.m_szName);
    if (j != kZTNotFound) {
      if (j != *position) MoveTable(j, *position);
      return 1;
    }
    if (ztAppendRecord(m_Tables.m_pTables, m_Tables.m_uCount, m_Tables.m_uAlloc, table, 1, kSource) &&
        MoveTable(count, *position))
      return 1;
  } catch (const CZTTblErr&) {
  }
  ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot insert new table item %u of %u", *position, count);
  ztTbl32Lib.DispError(ZT_ERR_FILE_INSERT, *position);
  return 0;
}

int CZTFileDesc::DeleteTable(unsigned index) {
  if (index >= m_Tables.m_uCount || !m_Tables.m_pTables) return 0;
  CZTTableDesc* tables = m_Tables.m_pTables;
  tables[index].FreeTable();
  tables[index].m_Gallery.FreeGallery();
  for (unsigned i = index; i + 1 < m_Tables.m_uCount; ++i) tables[i] = tables[i + 1];
  --m_Tables.m_uCount;
  tables[m_Tables.m_uCount] = CZTTableDesc();
  return 1;
}
