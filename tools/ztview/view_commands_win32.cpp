// The commands of the main window's menu and accelerators.
#include <stdlib.h>
#include <string.h>

#include <string>

#include "view_export.h"
#include "view_frame.h"
#include "view_ids.h"
#include "view_input_dialog.h"
#include "view_texts.h"

namespace {

IGridView* GridOf(HWND grid) { return reinterpret_cast<IGridView*>(SendMessageA(grid, ZT_GRID_QUERY, 0, 0)); }

// "text|*.ext|" with the bars turned into the zeros of a filter list.
std::string Filter(unsigned first, const char* firstPattern, unsigned second, const char* secondPattern) {
  std::string filter = std::string(ViewText(first)) + '\0' + firstPattern + '\0';
  if (second) filter += std::string(ViewText(second)) + '\0' + secondPattern + '\0';
  return filter + '\0';
}

// The library's table list: name, fields, keys, record size, node size.
constexpr unsigned kTableColumns = 5;

// A cell of the table list as it is shown: its text, or its number.
std::string CellText(IGridView* grid, unsigned row, unsigned column) {
  char text[512] = "";
  if (grid->GetItemText(row, column, text, sizeof(text)) && text[0]) return text;
  ztFormat(text, sizeof(text), "%u", grid->GetItemUInt(row, column));
  return text;
}

}  // namespace

int CViewFrame::Command(unsigned id) {
  if (id >= ZV_CMD_RECENT_FIRST && id < ZV_CMD_RECENT_FIRST + kZTHistoryMax) {
    const unsigned i = id - ZV_CMD_RECENT_FIRST;
    if (i < m_Settings.m_Recent.m_uCount) {
      char name[kZTHistoryTextSize];
      ztStrCopy(name, m_Settings.m_Recent.m_szItems[i], sizeof(name));
      Open(name);
    }
    return 1;
  }
  if (id >= ZV_CMD_INDEX_FIRST && id < ZV_CMD_INDEX_FIRST + 100) {
    OnIndex(id - ZV_CMD_INDEX_FIRST);
    return 1;
  }
  switch (id) {
    case ZV_CMD_OPEN:
      OnOpen();
      return 1;
    case ZV_CMD_FOLDER:
      OnFolder();
      return 1;
    case ZV_CMD_EXPORT:
      OnExport();
      return 1;
    case ZV_CMD_CHECK:
      OnCheck();
      return 1;
    case ZV_CMD_EXIT:
      PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
      return 1;
    case ZV_CMD_BACKWARDS:
      if (Table()) {
        m_bBackwards = !m_bBackwards;
        ShowRecords();
        UpdateStatus();
      }
      return 1;
    case ZV_CMD_SELECTION:
      OnSelection();
      return 1;
    case ZV_CMD_NO_SELECTION:
      m_Selection.parse(nullptr, 0);
      m_bSelection = false;
      ShowRecords();
      UpdateStatus();
      return 1;
    case ZV_CMD_COPY:
    case ZV_CMD_COPY_LINE:
      OnCopy(id == ZV_CMD_COPY_LINE);
      return 1;
    case ZV_CMD_GERMAN:
      SetLanguage("D");
      return 1;
    case ZV_CMD_ENGLISH:
      SetLanguage("E");
      return 1;
    case ZV_CMD_NEXT_PANE:
      NextPane(false);
      return 1;
    case ZV_CMD_REFRESH:
      if (m_bOpen) {
        char name[MAX_PATH];
        ztStrCopy(name, m_File.m_szFileName, sizeof(name));
        const unsigned table = m_uTable;
        if (Open(name)) SelectTable(table);
      }
      return 1;
    case ZV_CMD_ABOUT:
      OnAbout();
      return 1;
    case ZV_CMD_PROPERTIES:
    case ZV_CMD_GOTO:
    case ZV_CMD_FIND_NEXT:
    case ZV_CMD_PRINT_FIELDS:
    case ZV_CMD_PRINT_KEYS:
    case ZV_CMD_PRINT_PREVIEW:
      return 1;  // need the record browser and the property sheet
  }
  return 0;
}

void CViewFrame::OnOpen() {
  char name[MAX_PATH] = "";
  const std::string filter = Filter(ZV_STR_FILTER_FILES, "*.cfg;*.isa", ZV_STR_FILTER_ALL, "*.*");
  if (s_pFileDialog(m_hWnd, false, filter.c_str(), name, sizeof(name))) Open(name);
}

void CViewFrame::OnFolder() {
  CViewInputDialog dialog(ViewText(ZV_STR_FOLDER_TITLE), ViewText(ZV_STR_FOLDER_LABEL), m_Settings.m_szFolder, false);
  if (dialog.Run(m_hWnd) && dialog.m_szText[0]) ShowFolder(dialog.m_szText);
}

void CViewFrame::OnIndex(unsigned index) {
  const CZTTableDesc* table = Table();
  if (!table || index >= table->m_Keys.m_uCount) return;
  m_uIndex = index;
  ShowRecords();
  UpdateStatus();
}

void CViewFrame::OnExport() {
  const CZTTableDesc* table = Table();
  if (!table || !m_File.m_bIsamFile || !table->m_Keys.m_uCount) return;
  char name[MAX_PATH];
  ztFormat(name, sizeof(name), "%s.csv", table->m_szName);
  const std::string filter = Filter(ZV_STR_FILTER_CSV, "*.csv", ZV_STR_FILTER_ALL, "*.*");
  if (!s_pFileDialog(m_hWnd, true, filter.c_str(), name, sizeof(name))) return;
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  CViewExport exporter;
  const int ok =
      exporter.Write(m_File.m_szFileName, *table, m_uIndex, m_bBackwards, m_bSelection ? &m_Selection : nullptr, name);
  SetCursor(old);
  if (ok) ViewInfo(ZV_STR_EXPORTED, exporter.m_uRecords, name);
}

void CViewFrame::OnCheck() {
  // The open ISAM file, else one chosen now: a file too damaged to open is checked all the same.
  char name[MAX_PATH] = "";
  if (m_bOpen && m_File.m_bIsamFile) {
    ztStrCopy(name, m_File.m_szFileName, sizeof(name));
  } else {
    const std::string filter = Filter(ZV_STR_FILTER_FILES, "*.cfg;*.isa", ZV_STR_FILTER_ALL, "*.*");
    if (!s_pFileDialog(m_hWnd, false, filter.c_str(), name, sizeof(name))) return;
  }
  // Opened even with a damaged log, so that the check can say what it found.
  ISAMFILE file = nullptr;
  unsigned detail = 0;
  unsigned e = ISAMOpen(&file, name, ISAM_OPEN_READONLY | ISAM_OPEN_ACCEPT_LOG_LOSS, &detail);
  if (e) {
    ISAMDispError(name, "ISAMOpen", e, detail);
    return;
  }
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  char report[1024] = "";
  e = ISAMCheckFile(file, report, sizeof(report));
  SetCursor(old);
  unsigned tables = 0;
  ISAMGetTableCount(file, &tables);
  ISAMClose(file, &detail);
  if (e)
    ViewWarn(ZV_STR_CHECK_FAULT, name, ISAMErrorText(e), report);
  else
    ViewInfo(ZV_STR_CHECK_OK, name, tables);
}

void CViewFrame::OnSelection() {
  const CZTTableDesc* table = Table();
  if (!table) return;
  CZTTblSelDesc edited;
  char text[512] = "";
  if (m_bSelection) m_Selection.edit(text, sizeof(text));
  if (text[0]) edited.parse(text, static_cast<unsigned>(strlen(text)));
  CZTTblSelDlg dialog(&edited);
  if (!dialog.Dialog(m_hWnd)) return;
  char result[512] = "";
  edited.edit(result, sizeof(result));
  if (!result[0]) {
    Command(ZV_CMD_NO_SELECTION);
    return;
  }
  // Bound to the table's fields now, so that a selection naming an unknown
  // field is refused here with the library's box.
  if (!edited.resolve(table)) return;
  m_Selection.parse(result, static_cast<unsigned>(strlen(result)));
  m_Selection.resolve(table);
  m_bSelection = true;
  ShowRecords();
  UpdateStatus();
}

void CViewFrame::OnCopy(bool line) {
  HWND focus = GetFocus();
  if (focus != m_hTables && !IsChild(m_hTables, focus)) return;  // the records' grid: with the browser
  IGridView* grid = GridOf(m_hTables);
  if (!grid || grid->GetCurItem() >= grid->GetItemCount()) return;
  const unsigned row = grid->GetCurItem();
  std::string text;
  if (line) {
    for (unsigned c = 0; c < kTableColumns; ++c) text += (c ? "\t" : "") + CellText(grid, row, c);
  } else {
    unsigned column = grid->GetCurColumn();
    if (column == 0xFFFFFFFFu) column = 0;
    text = CellText(grid, row, column);
  }
  CopyText(text.c_str());
}

void CViewFrame::CopyText(const char* text) {
  if (!OpenClipboard(m_hWnd)) return;
  EmptyClipboard();
  const size_t length = strlen(text) + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, length);
  if (memory) {
    memcpy(GlobalLock(memory), text, length);
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
}

void CViewFrame::OnAbout() {
  const unsigned version = ztGetTbl32Version();
  ViewInfo(ZV_STR_ABOUT_TEXT, DllVersion, version >> 8, version & 0xFF, DllBuild);
}
