#include "zt_tbl32/tbl_fld_desc.h"

#include <string.h>

#include <algorithm>

#include "edit_codes.h"
#include "row_array.h"
#include "tbl_column_text.h"
#include "zt_lib32/list_view.h"

namespace {

constexpr unsigned kInitRowSize = sizeof(SZTTblFldDesc);
static_assert(sizeof(SZTTblFldDesc) == 28, "an initialiser row is 28 bytes");

// All-zero rows; null (logged, shown) when there is no memory.
SZTTblField* AllocRows(unsigned count) {
  SZTTblField* rows = ztAllocZeroRows<SZTTblField>(count);
  if (!rows) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcTblFldDesc,
                      "Not enough free memory for %d field description records available.", (int)count);
    ztTbl32Lib.DispError(ZT_ERR_TBLFLD_ALLOC, count);
  }
  return rows;
}

char JustLetter(unsigned just) {
  switch (just) {
    case ZT_COL_LEFT:
      return 'L';
    case ZT_COL_RIGHT:
      return 'R';
    case ZT_COL_CENTRE:
      return 'M';
    default:
      return '?';
  }
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

CZTTblFldDesc::CZTTblFldDesc(CZTLibrary* library, const SZTTblFldDesc* rows, unsigned size)
    : m_uCount(0), m_pFields(nullptr) {
  const unsigned count = rows ? size / kInitRowSize : 0;
  if (!count) return;
  m_pFields = AllocRows(count);
  if (!m_pFields) throw CZTTblFldErr();
  m_uCount = count;
  for (unsigned i = 0; i < count; ++i) {
    m_pFields[i] = rows[i];
    m_pFields[i].LoadHeader(library, rows[i].uNameId);
  }
}

CZTTblFldDesc::CZTTblFldDesc(const CZTTblFldDesc& other) : m_uCount(0), m_pFields(nullptr) {
  ztCopyRows(m_pFields, m_uCount, other.m_pFields, other.m_uCount, AllocRows);
}

CZTTblFldDesc& CZTTblFldDesc::operator=(const CZTTblFldDesc& other) {
  if (m_pFields == other.m_pFields) return *this;
  Free();
  ztCopyRows(m_pFields, m_uCount, other.m_pFields, other.m_uCount, AllocRows);
  return *this;
}

CZTTblFldDesc::~CZTTblFldDesc() { Free(); }

void CZTTblFldDesc::Free() {
  delete[] m_pFields;
  m_pFields = nullptr;
  m_uCount = 0;
}

unsigned CZTTblFldDesc::GetRecordSize() const {
  unsigned size = 0;
  for (unsigned i = 0; i < m_uCount; ++i) size = std::max(size, m_pFields[i].uOffset + m_pFields[i].uLength);
  return size;
}

int CZTTblFldDesc::InsertField(unsigned position) {
  return ztInsertZeroRow(m_pFields, m_uCount, position, AllocRows(m_uCount + 1));
}

int CZTTblFldDesc::DeleteField(unsigned position) { return ztDeleteRow(m_pFields, m_uCount, position); }

int CZTTblFldDesc::MoveField(unsigned from, unsigned to) { return ztExchangeRows(m_pFields, m_uCount, from, to); }

int CZTTblFldDesc::SetFldName(unsigned position, const char* name) {
  if (!m_uCount || position >= m_uCount || !name || !*name) return 0;
  m_pFields[position].SetName(name);
  return 1;
}

unsigned CZTTblFldDesc::FindField(const char* name, unsigned length) const {
  if (!m_uCount || !name) return kZTNotFound;
  char upper[kZTTblNameSize];
  const unsigned n = length ? ztStrCopyN(upper, name, length, sizeof(upper)) : ztStrCopy(upper, name, sizeof(upper));
  if (!n) return kZTNotFound;
  char given[kZTTblNameSize];
  ztStrCopy(given, upper, sizeof(given));
  ztStrUpper(upper);
  for (unsigned i = 0; i < m_uCount; ++i)
    if (m_pFields[i].uNameLength == n && memcmp(m_pFields[i].szUpperName, upper, n) == 0) return i;
  ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcTblFldDesc, "Field %s not found in field description table.", given);
  return kZTNotFound;
}

void CZTTblFldDesc::SortFields(unsigned mode) {
  if (m_uCount < 2) return;
  if (mode == 0)
    std::stable_sort(m_pFields, m_pFields + m_uCount, [](const SZTTblField& a, const SZTTblField& b) {
      return strcmp(a.szUpperName, b.szUpperName) < 0;
    });
  else if (mode == 1)
    std::stable_sort(m_pFields, m_pFields + m_uCount,
                     [](const SZTTblField& a, const SZTTblField& b) { return a.uOffset < b.uOffset; });
}

int CZTTblFldDesc::IsPlausible(int allowEmpty) const {
  if (!m_uCount) {
    if (allowEmpty) return 1;
    ztTbl32Lib.DispError(ZT_ERR_TBLFLD_EMPTY);
    return 0;
  }
  for (unsigned i = 0; i < m_uCount; ++i) {
    const SZTTblField& row = m_pFields[i];
    if (!ztTblIsColumnType(row.uType)) {
      ztTbl32Lib.DispError(ZT_ERR_TBLFLD_TYPE, i + 1);
      return 0;
    }
    if (!row.uLength) {
      ztTbl32Lib.DispError(ZT_ERR_TBLFLD_LENGTH, i + 1);
      return 0;
    }
    if (!row.szName[0]) {
      ztTbl32Lib.DispError(ZT_ERR_TBLFLD_NAME, i + 1);
      return 0;
    }
  }
  return 1;
}

int CZTTblFldDesc::ParseDesc(CZTConfFile& conf, const char* keyword) {
  Free();
  const unsigned count = conf.GetKeyCount(keyword);
  if (!count) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcTblFldDesc, "Keyword %s not found in %s", keyword, conf.m_szFileName);
    ztTbl32Lib.DispError(ZT_ERR_TBLFLD_NO_KEYWORD, keyword, conf.m_szFileName);
    return 0;
  }
  SZTTblField* rows = AllocRows(count);
  if (!rows) return 0;
  m_pFields = rows;
  m_uCount = count;
  conf.StartRange();
  for (unsigned i = 0; i < count; ++i) {
    SZTTblField& row = rows[i];
    unsigned values[6] = {};
    unsigned numbers = 0, length = 0;
    const unsigned error = conf.GetWordsText(keyword, values, 6, &numbers, row.szName, sizeof(row.szName), &length);
    bool ok = false;
    if (error) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcTblFldDesc, "Error %u on call of CZTConfFile::GetWordsText.", error);
      ztTbl32Lib.DispError(ZT_ERR_TBLFLD_READ, error, conf.m_szFileName);
    } else if (numbers < 6) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcTblFldDesc, "Only %u numerical parameters found in definition %u", numbers,
                        i);
      ztTbl32Lib.DispError(ZT_ERR_TBLFLD_NUMBERS, i + 1);
    } else if (!row.szName[0]) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcTblFldDesc, "No field name found for field %u", i);
      ztTbl32Lib.DispError(ZT_ERR_TBLFLD_NO_NAME, i + 1);
    } else if (ztTblJustOfLetter(values[4]) == kZTNoJust) {
      ztTbl32Lib.DispError(ZT_ERR_TBLFLD_JUST, i + 1);
    } else {
      row.uOffset = values[0];
      row.uLength = values[1];
      row.uType = values[2];
      row.uWidth = static_cast<unsigned char>(values[3]);
      row.uJust = ztTblJustOfLetter(values[4]);
      row.uFlags = values[5];
      row.uIndexData = kZTNoIndexTree;
      row.uIndexTree = kZTNoIndexTree;
      row.SetName(row.szName);
      ok = true;
    }
    if (!ok) {
      conf.EndRange();
      Free();
      return 0;
    }
  }
  conf.EndRange();
  return 1;
}

int CZTTblFldDesc::EditDesc(CZTConfFile& conf, const char* keyword) const {
  if (!m_uCount) return 0;
  conf.EditComment(nullptr);
  conf.EditComment("Definition of the table data fields");
  conf.EditComment(nullptr);
  for (unsigned i = 0; i < m_uCount; ++i) {
    const SZTTblField& row = m_pFields[i];
    char line[200];
    const unsigned n = ztFormat(line, sizeof(line), "%3u, %2u, %2u, %2u, '%c', 0x%04X, ", row.uOffset, row.uLength,
                                row.uType, (unsigned)row.uWidth, JustLetter(row.uJust), row.uFlags);
    // The name quoted as texts are; a quote inside it is doubled so that it reads back.
    CZTConfFile::QuoteText(line + n, sizeof(line) - n, row.szName);
    conf.EditDataLine(keyword, line, "Table field definition");
  }
  conf.EditComment(nullptr);
  return conf.GetEditError() == ZT_CONF_OK ? 1 : 0;
}

void CZTTblFldDesc::SetIndexTree(unsigned tree, unsigned offset, unsigned length, unsigned data) {
  for (unsigned i = 0; i < m_uCount; ++i) {
    SZTTblField& row = m_pFields[i];
    if (row.uOffset == offset && row.uLength == length) {
      row.uIndexTree = tree;
      row.uIndexData = data;
      ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSrcTblFldDesc, "Set index tree %u to field %u (%s)", tree, i, row.szName);
      return;
    }
  }
  ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSrcTblFldDesc, "Index tree %u not assigned to any field.", tree);
}

// The row a data-field call reads, with the buffer emptied; null for a size
// below 2, a row beyond the table or a column that starts beyond the record.
const SZTTblField* CZTTblFldDesc::DataRow(unsigned row, const void* record, unsigned recordLength, char* buffer,
                                          unsigned size) const {
  if (!size || !buffer) return nullptr;
  buffer[0] = '\0';
  if (size == 1 || row >= m_uCount || !record || m_pFields[row].uOffset >= recordLength) return nullptr;
  return &m_pFields[row];
}

unsigned CZTTblFldDesc::GetDataField(unsigned row, const void* record, unsigned recordLength, char* buffer,
                                     unsigned size) const {
  const SZTTblField* field = DataRow(row, record, recordLength, buffer, size);
  if (!field) return 0;
  const char* data = static_cast<const char*>(record) + field->uOffset;
  unsigned n = std::min(field->uLength, recordLength - field->uOffset);
  while (n && IsBlank(*data)) ++data, --n;
  while (n && IsBlank(data[n - 1])) --n;
  return ztStrCopyN(buffer, data, n, size);
}

unsigned CZTTblFldDesc::EditDataField(unsigned row, const void* record, unsigned recordLength, char* buffer,
                                      unsigned size) const {
  const SZTTblField* field = DataRow(row, record, recordLength, buffer, size);
  if (!field) return 0;
  ztTblColumnText(*field, static_cast<const unsigned char*>(record), recordLength, buffer, size);
  return std::min(field->uLength, recordLength - field->uOffset);
}

int CZTTblFldDesc::FillDescLV(CZTListView& listView) const {
  listView.DeleteAllItems();
  listView.m_uItemCount = 0;
  for (unsigned i = 0; i < m_uCount; ++i) {
    const SZTTblField& row = m_pFields[i];
    if (!listView.InsertItem(i, i, nullptr)) return 0;
    char text[64];
    listView.SetItemText(i, 0, row.szName);
    listView.SetItemInt(i, 1, row.uOffset);
    listView.SetItemInt(i, 2, row.uLength);
    ztTbl32Lib.LoadResString(ZT_STR_COLUMN_TYPE + row.uType, text, sizeof(text));
    listView.SetItemText(i, 3, text);
    listView.SetItemInt(i, 4, row.uWidth);
    ztTbl32Lib.LoadResString(ztTblJustStringId(row.uJust), text, sizeof(text));
    listView.SetItemText(i, 5, text);
  }
  return 1;
}
