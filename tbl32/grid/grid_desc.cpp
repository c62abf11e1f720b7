#include "zt_tbl32/grid_desc.h"

#include <stdlib.h>

#include "grid_codes.h"

CGridDesc::CGridDesc(CZTLibrary* library, unsigned controlId, unsigned, unsigned style)
    : m_uReserved(0),
      m_hGrid(nullptr),
      m_uCtrlId(controlId),
      m_uStyle(style),
      m_uSort1(0),
      m_uSort2(0),
      m_pLib(library),
      m_pGrid(nullptr),
      m_uColReserved(0),
      m_uColCount(0),
      m_uColAlloc(0),
      m_pColumns(nullptr) {}

CGridDesc::~CGridDesc() { FreeDesc(); }

void CGridDesc::FreeDesc() {
  free(m_pColumns);
  m_pColumns = nullptr;
  m_uColReserved = m_uColCount = m_uColAlloc = 0;
}

int CGridDesc::DispColHeadersOn(IGridView* grid, int reset) {
  m_pGrid = grid;
  if (!grid) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "Cannot inquire the grid control instance pointer");
    ztTbl32Lib.DispError(ZT_ERR_GRIDDESC_NO_GRID);
    return FALSE;
  }
  if (reset) grid->DeleteAllItems(FALSE);
  grid->SetStyle(m_uStyle);
  grid->SetColumnCount(m_uColCount, FALSE);
  for (unsigned i = 0; m_pColumns && i < m_uColCount; ++i) {
    const SColumnDesc& column = m_pColumns[i];
    grid->SetColumnHeader(i, column.width, column.justification, column.szHeader, FALSE);
    grid->SetColumnType(i, column.type, column.commandId, column.flags);
    if (column.flags & kColourFlags)
      grid->SetColumnColors(i, column.backEven, column.backOdd, column.textEven, column.textOdd, FALSE);
  }
  return TRUE;
}

int CGridDesc::InsertItem(unsigned item, unsigned data) {
  if (!m_pGrid) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "InsertItem(%u): NULL-pointer in pGrid", item);
    ztTbl32Lib.DispError(ZT_ERR_GRIDDESC_INSERT, item);
    return FALSE;
  }
  return m_pGrid->InsertItem(item, data, FALSE);
}

int CGridDesc::SetItemRes(unsigned item, unsigned column, unsigned stringId) const {
  if (!m_pGrid || !m_pLib) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "SetItemRes(%u,%u): NULL-pointer in pGrid or pLib found", item,
                      column);
    ztTbl32Lib.DispError(ZT_ERR_GRIDDESC_ITEM_RES, item, column);
    return FALSE;
  }
  char text[256];
  if (!m_pLib->LoadResString(stringId, text, sizeof(text))) ztFormat(text, sizeof(text), "<%u>", stringId);
  return m_pGrid->SetItemText(item, column, text);
}

namespace {
constexpr const char* kSortKey = "SORTCOLUMN";
constexpr const char* kColumnKey = "GRIDCOLUMN";
constexpr unsigned kColumnValues = 9;
}  // namespace

int CGridDesc::ParseDesc(CZTConfFile& conf, const char*) {
  unsigned sort[2] = {0, 0};
  unsigned count = 0;
  if (conf.GetWords(kSortKey, sort, 2, &count)) {
    m_uSort1 = m_uSort2 = 0;
  } else {
    m_uSort1 = count >= 1 ? sort[0] : 0;
    m_uSort2 = count >= 2 ? sort[1] : 0;
  }
  FreeDesc();
  const unsigned n = conf.GetKeyCount(kColumnKey);
  if (n == 0) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "No keywords \"%s\" found in configuration file %s", kColumnKey,
                      conf.m_szFileName);
    ztTbl32Lib.DispError(ZT_ERR_GRIDDESC_NO_COLUMNS, kColumnKey);
    return FALSE;
  }
  // One heap block; the reader sets what the columns need.
  SColumnDesc* columns = static_cast<SColumnDesc*>(malloc(sizeof(SColumnDesc) * n));
  if (!columns) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "Not enough free memory to allocate %u table records", n);
    ztTbl32Lib.DispError(ZT_ERR_GRIDDESC_ALLOC, n);
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "ReadLines: Cannot create a new record table");
    return FALSE;
  }
  m_pColumns = columns;
  m_uColAlloc = n;
  m_uColCount = 0;
  conf.StartRange();
  for (unsigned i = 0; i < n; ++i) {
    if (!ParseColumn(conf, columns[i], kColumnKey, i)) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "Error on reading an object definition");
      conf.EndRange();
      FreeDesc();
      return FALSE;
    }
  }
  conf.EndRange();
  m_uColCount = n;
  return TRUE;
}

int CGridDesc::ParseColumn(CZTConfFile& conf, SColumnDesc& column, const char* key, unsigned index) {
  unsigned values[kColumnValues] = {};
  unsigned count = 0, jokerLength = 0, headerLength = 0;
  const unsigned error = conf.GetWords2Text(key, values, kColumnValues, &count, column.szJoker, sizeof(column.szJoker),
                                            &jokerLength, column.szHeader, sizeof(column.szHeader), &headerLength);
  if (error) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "Error %u on parsing keyword %s(%u)", error, key, index);
    ztTbl32Lib.DispError(ZT_ERR_GRIDDESC_READ, key, index);
    return FALSE;
  }
  if (jokerLength == 0) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "Joker name ist empty in grid column %s(%u)", key, index);
    ztTbl32Lib.DispError(ZT_ERR_GRIDDESC_NO_JOKER, key, index);
    return FALSE;
  }
  if (headerLength == 0) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "Header text is empty in grid column %s(%u)", key, index);
    ztTbl32Lib.DispError(ZT_ERR_GRIDDESC_NO_HEADER, key, index);
    return FALSE;
  }
  column.type = BYTE(count >= 1 ? values[0] : 0);
  column.flags = BYTE(count >= 2 ? values[1] : 0);
  column.justification = BYTE(count >= 3 ? values[2] : 0);
  column.fourth = BYTE(count >= 4 ? values[3] : 0);
  column.width = count >= 5 ? values[4] : 0;
  // The line names no command: the column's index names it in notifications.
  column.commandId = index;
  column.spare = kZTSpareWord;
  const bool ownBack = (column.flags & GCF_BACKCOLORS) != 0, ownText = (column.flags & GCF_TEXTCOLORS) != 0;
  column.backEven = ownBack && count >= 6 ? ztSwapRGB(values[5]) : 0xFFFFFF;
  column.textEven = ownText && count >= 7 ? ztSwapRGB(values[6]) : 0;
  column.backOdd = ownBack && count >= 8 ? ztSwapRGB(values[7]) : 0xFFFFFF;
  column.textOdd = ownText && count >= 9 ? ztSwapRGB(values[8]) : 0;
  return TRUE;
}

int CGridDesc::EditDesc(CZTConfFile& conf, const char* blockName) const {
  const bool block = blockName && blockName[0];
  if (block) conf.EditDataLine(blockName, "", nullptr);
  char line[256];
  ztFormat(line, sizeof(line), "%u, %u", m_uSort1, m_uSort2);
  conf.EditDataLine("SortColumn:", line, nullptr);
  if (m_pColumns && m_uColCount) {
    conf.EditComment("");
    for (unsigned i = 0; i < m_uColCount; ++i) {
      const SColumnDesc& c = m_pColumns[i];
      const bool ownBack = (c.flags & GCF_BACKCOLORS) != 0, ownText = (c.flags & GCF_TEXTCOLORS) != 0;
      unsigned n = ztFormat(line, sizeof(line), "%u, 0x%02X, %u, %u, %2u, 0x%06X, 0x%06X, 0x%06X, 0x%06X, ", c.type,
                            c.flags, c.justification, c.fourth, c.width, ownBack ? ztSwapRGB(c.backEven) : 0,
                            ownText ? ztSwapRGB(c.textEven) : 0, ownBack ? ztSwapRGB(c.backOdd) : 0,
                            ownText ? ztSwapRGB(c.textOdd) : 0);
      // Joker name first, header text second; quotes inside are doubled.
      unsigned q = CZTConfFile::QuoteText(line + n, sizeof(line) - n, c.szJoker);
      n += q;
      if (q) n += ztStrCopy(line + n, ", ", sizeof(line) - n);
      const unsigned h = q ? CZTConfFile::QuoteText(line + n, sizeof(line) - n, c.szHeader) : 0;
      if (!h || !conf.EditDataLine("GridColumn:", line, nullptr)) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridDesc, "Cannot write item %u in the listview", i);
        break;
      }
    }
  }
  if (block) conf.EditDataLine(blockName, "END", nullptr);
  return TRUE;
}
