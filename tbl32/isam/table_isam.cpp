// Opening and closing the browsed table, selections and displays.
#include "zt_tbl32/table_isam.h"

#include <string.h>

#include <new>

#include "zt_tbl32/file_desc.h"
#include "zt_tbl32/grid_view.h"
#include "zt_tbl32/tbl_sel_desc.h"

namespace {
const char kSource[] = "CZTTableISAM";

unsigned Rd32(const unsigned char* p) {
  return unsigned(p[0]) | unsigned(p[1]) << 8 | unsigned(p[2]) << 16 | unsigned(p[3]) << 24;
}
}  // namespace

CZTTableISAM::CZTTableISAM()
    : m_hFile(nullptr),
      m_hTable(nullptr),
      m_bFileOwned(0),
      m_bTableOwned(0),
      m_uIndex(kZTNotDisplayed),
      m_uDirection(kZTNotDisplayed),
      m_uLoadedLine(kZTNoLine),
      m_uRecordSize(0),
      m_uRecordAddress(0),
      m_pRecord(nullptr),
      m_szFileName{},
      m_uLineCount(0),
      m_uRecordReads(0),
      m_uIterLine(kZTNoLine),
      m_bIterUp(1),
      m_uEntrySize(0),
      m_pSkipBuffer(nullptr),
      m_hIter(nullptr) {}

CZTTableISAM::~CZTTableISAM() { CloseTable(); }

bool CZTTableISAM::Selecting() const {
  return m_pSelection && m_pSelection->m_Root.fAlloc && m_pSelection->m_Root.pOper;
}

bool CZTTableISAM::Passes(const BYTE* record) const {
  return !Selecting() || m_pSelection->testdata(m_pTableDesc, reinterpret_cast<const char*>(record), m_uRecordSize);
}

void CZTTableISAM::ReportEngine(const char* call, unsigned error, bool byName, unsigned extError) const {
  ISAMDispError(byName ? static_cast<const void*>(m_szFileName) : static_cast<const void*>(m_hFile), call, error,
                extError);
}

void CZTTableISAM::ForgetDisplay() {
  m_uLineCount = 0;
  m_uEntrySize = 0;
  m_uLoadedLine = kZTNoLine;
  m_uIterLine = kZTNoLine;
  if (m_Cache.m_pBuffers) m_Cache.InvalidateCache();
  m_Marks.Free();
}

void CZTTableISAM::ReleaseRecord() {
  delete[] m_pRecord;
  m_pRecord = nullptr;
  m_uRecordSize = 0;
  delete[] m_pSkipBuffer;
  m_pSkipBuffer = nullptr;
}

int CZTTableISAM::InitISAMFile(void* file, void* table, CZTFileDesc* fileDesc, int flag) {
  // A second call on an open browser first lets go of what the first one opened.
  if (m_hFile || m_hTable || m_pRecord || m_Cache.m_pBuffers) CloseTable();
  m_hFile = nullptr;
  m_hTable = nullptr;
  m_bFileOwned = m_bTableOwned = 0;
  const unsigned selected = fileDesc ? fileDesc->m_uSelTable : kZTNoTable;
  if (selected == kZTNoTable) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "No table selected on InitISAMFile.");
    return FALSE;
  }
  if (!fileDesc->m_Tables.m_pTables || selected >= fileDesc->m_Tables.m_uCount) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot access table %d on InitISAMFile.", int(selected));
    return FALSE;
  }
  CZTTableDesc& desc = fileDesc->m_Tables.m_pTables[selected];
  ztStrCopy(m_szFileName, fileDesc->m_szFileName, sizeof(m_szFileName));

  if (file) {
    m_hFile = static_cast<ISAMFILE>(file);
    if (table) m_hTable = static_cast<ISAMTABLE>(table);
  } else {
    ISAMFILE opened = nullptr;
    unsigned extError = 0;
    const unsigned e = ISAMOpen(&opened, m_szFileName, flag ? ISAM_OPEN_READWRITE : ISAM_OPEN_READONLY, &extError);
    if (e) {
      ReportEngine("ISAMOpen", e, true, extError);
      m_szFileName[0] = '\0';
      return FALSE;
    }
    m_hFile = opened;
    m_bFileOwned = 1;
  }
  if (!m_hTable) {
    ISAMTABLE opened = nullptr;
    unsigned e = ISAMOpenTable(m_hFile, desc.m_szName, &opened);
    if (e) {
      ReportEngine("ISAMOpenTable", e);
      CloseTable();
      return FALSE;
    }
    m_hTable = opened;
    m_bTableOwned = 1;
    if ((e = ISAMOpenTable(m_hFile, desc.m_szName, &m_hIter)) != 0) {
      m_hIter = nullptr;
      ReportEngine("ISAMOpenTable", e);
      CloseTable();
      return FALSE;
    }
  }

  unsigned size = 0;
  const unsigned e = ISAMGetDataRecSize(m_hTable, &size);
  if (e) {
    ReportEngine("ISAMGetDataRecSize", e);
    CloseTable();
    return FALSE;
  }
  m_pRecord = new (std::nothrow) BYTE[size ? size : 1];
  m_pSkipBuffer = new (std::nothrow) BYTE[kSkipBytes];
  if (!m_pRecord || !m_pSkipBuffer) {
    ztTbl32Lib.DispWarnText("Not enough free memory available.");
    CloseTable();
    return FALSE;
  }
  m_uRecordSize = size;
  if (!m_Cache.InitCache(size)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Error on initializing the record cache.");
    CloseTable();
    return FALSE;
  }
  m_pTableDesc = &desc;
  m_pSelection = nullptr;
  m_uIndex = kZTNotDisplayed;
  m_uDirection = kZTNotDisplayed;
  m_uRecordReads = 0;
  ForgetDisplay();
  return TRUE;
}

int CZTTableISAM::CloseTable() {
  int result = TRUE;
  if (m_hIter) {
    const unsigned e = ISAMCloseTable(m_hIter);
    if (e) {
      ReportEngine("ISAMCloseTable", e);
      result = FALSE;
    }
    m_hIter = nullptr;
  }
  if (m_hTable) {
    if (m_bTableOwned) {
      const unsigned e = ISAMCloseTable(m_hTable);
      if (e) {
        ReportEngine("ISAMCloseTable", e);
        result = FALSE;
      }
    }
    m_hTable = nullptr;
  }
  if (m_hFile) {
    if (m_bFileOwned) {
      unsigned extError = 0;
      const unsigned e = ISAMClose(m_hFile, &extError);
      if (e) {
        ReportEngine("ISAMClose", e, true, extError);
        result = FALSE;
      }
    }
    m_hFile = nullptr;
  }
  m_bFileOwned = m_bTableOwned = 0;
  ForgetDisplay();
  m_Cache.FreeCache();
  ReleaseRecord();
  m_uIndex = m_uDirection = kZTNotDisplayed;
  m_szFileName[0] = '\0';
  return result;
}

int CZTTableISAM::CountLines(unsigned* count, bool marks) {
  *count = 0;
  m_uIterLine = kZTNoLine;
  m_Marks.Free();
  if (!m_hTable) return 0;
  unsigned char desc[ISAM_DESC_SIZE];
  unsigned e = ISAMGetIndexDesc(m_hTable, m_uIndex, desc);
  if (e) {
    ReportEngine("ISAMGetIndexDesc", e);
    return 0;
  }
  const unsigned entries = Rd32(desc + ISAM_DESC_ENTRIES);
  if (entries == 0) return 1;
  // Every entry is a line: the index knows how many there are.
  if (!Selecting()) {
    *count = entries;
    return 1;
  }
  const char* call = nullptr;
  int counted;
  if (!marks && !desc[ISAM_DESC_OPTIONS + ISAM_OPT_SKIP_BLANK]) {
    // Every record is in the index: the order does not matter, the quickest way counts.
    counted = m_pSelection->countrecords(m_hTable, m_pTableDesc, count, &e, &call);
  } else {
    // Without the memory for marks the lines are found by walking.
    CZTSelMarks* sink = marks && m_Marks.Init(entries) ? &m_Marks : nullptr;
    counted = m_pSelection->countindex(m_hTable, m_pTableDesc, m_uIndex, count, &e, sink, &call);
  }
  if (!counted) {
    ReportEngine(call ? call : "ISAMReadNextRecord", e);
    m_Marks.Free();
    *count = 0;
    return 0;
  }
  return 1;
}

unsigned CZTTableISAM::SetSelection(CZTTblSelDesc* selection) {
  m_uDirection = kZTNotDisplayed;
  m_uIndex = 0;
  m_pSelection = selection;
  // The lines shown so far belong to the old selection.
  ForgetDisplay();
  unsigned count = 0;
  return CountLines(&count, false) ? count : 0;
}

int CZTTableISAM::DisplayTable(unsigned index, unsigned, unsigned direction) {
  if (index == m_uIndex && direction == m_uDirection) return TRUE;
  ForgetDisplay();
  if (m_pGrid) m_pGrid->DeleteAllItems(FALSE);
  m_uDirection = direction;
  m_uIndex = index;
  unsigned count = 0;
  if (!CountLines(&count, true)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Cannot inquire the number of records.");
    // Nothing is displayed: the same call tries again.
    m_uDirection = kZTNotDisplayed;
    return FALSE;
  }
  m_uLineCount = count;
  if (m_pGrid) m_pGrid->SetItemCount(CellCallback, count, reinterpret_cast<UINT_PTR>(this), FALSE);
  if (count > 0) {
    if (!LoadFirstLine()) return FALSE;
  } else {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSource, "No isam data record in index tree %u", index);
  }
  RedrawGrid();
  return TRUE;
}
