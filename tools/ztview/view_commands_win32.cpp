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
        DisplayRecords();
        UpdateStatus();
      }
      return 1;
    case ZV_CMD_SELECTION:
      OnSelection();
      return 1;
    case ZV_CMD_NO_SELECTION:
      m_Selection.parse(nullptr, 0);
      m_bSelection = false;
      DisplayRecords();
      UpdateStatus();
      return 1;
    case ZV_CMD_FIND:
      OnFind();
      return 1;
    case ZV_CMD_FIND_NEXT:
      OnFindNext();
      return 1;
    case ZV_CMD_GOTO:
      OnGoTo();
      return 1;
    case ZV_CMD_PROPERTIES:
      OnProperties();
      return 1;
    case ZV_CMD_PRINT_FIELDS:
      OnPrint(false);
      return 1;
    case ZV_CMD_PRINT_KEYS:
      OnPrint(true);
      return 1;
    case ZV_CMD_PRINT_PREVIEW:
      OnPreview();
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
  DisplayRecords();
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

int CViewFrame::AskSelection(const CZTTblSelDesc* current, CZTTblSelDesc& result, bool* empty) {
  const CZTTableDesc* table = Table();
  if (!table) return 0;
  char text[512] = "";
  if (current) current->edit(text, sizeof(text));
  if (text[0]) result.parse(text, static_cast<unsigned>(strlen(text)));
  CZTTblSelDlg dialog(&result);
  if (!dialog.Dialog(m_hWnd)) return 0;
  result.edit(text, sizeof(text));
  *empty = !text[0];
  // Bound to the table's fields now, so that a selection naming an unknown
  // field is refused here with the library's box.
  return *empty || result.resolve(table) ? 1 : 0;
}

void CViewFrame::OnSelection() {
  CZTTblSelDesc edited;
  bool empty = false;
  if (!AskSelection(m_bSelection ? &m_Selection : nullptr, edited, &empty)) return;
  if (empty) {
    Command(ZV_CMD_NO_SELECTION);
    return;
  }
  char text[512];
  edited.edit(text, sizeof(text));
  m_Selection.parse(text, static_cast<unsigned>(strlen(text)));
  m_Selection.resolve(Table());
  m_bSelection = true;
  DisplayRecords();
  UpdateStatus();
}

void CViewFrame::OnFind() {
  CZTTblSelDesc edited;
  bool empty = false;
  if (!AskSelection(m_bFind ? &m_Find : nullptr, edited, &empty)) return;
  m_bFind = !empty;
  if (empty) {
    m_Find.parse(nullptr, 0);
    return;
  }
  char text[512];
  edited.edit(text, sizeof(text));
  m_Find.parse(text, static_cast<unsigned>(strlen(text)));
  m_Find.resolve(Table());
  OnFindNext();
}

void CViewFrame::OnFindNext() {
  if (!m_bBrowsing) return;
  if (!m_bFind) {
    OnFind();
    return;
  }
  IGridView* grid = GridOf(m_hRecords);
  if (!grid) return;
  const unsigned current = grid->GetCurItem();
  const unsigned start = current < grid->GetItemCount() ? current + 1 : 0;
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  const unsigned found = start < m_Browser.m_uLineCount ? m_Browser.FindRecord(&m_Find, start) : kZTNoLine;
  SetCursor(old);
  if (found == kZTNoLine)
    ViewInfo(ZV_STR_NOT_FOUND);
  else
    GoToLine(found);
}

void CViewFrame::OnGoTo() {
  if (!m_bBrowsing || !m_Browser.m_uLineCount) return;
  char label[128], text[16] = "";
  ViewFormat(label, sizeof(label), ZV_STR_GOTO_LABEL, m_Browser.m_uLineCount);
  IGridView* grid = GridOf(m_hRecords);
  if (grid && grid->GetCurItem() < m_Browser.m_uLineCount) ztFormat(text, sizeof(text), "%u", grid->GetCurItem() + 1);
  CViewInputDialog dialog(ViewText(ZV_STR_GOTO_TITLE), label, text, true);
  if (!dialog.Run(m_hWnd)) return;
  char* end = nullptr;
  const unsigned long line = strtoul(dialog.m_szText, &end, 10);
  if (!dialog.m_szText[0] || *end || line < 1 || line > m_Browser.m_uLineCount) {
    ViewWarn(ZV_STR_BAD_LINE, m_Browser.m_uLineCount);
    return;
  }
  GoToLine(static_cast<unsigned>(line - 1));
}

void CViewFrame::OnPrint(bool keys) {
  const CZTTableDesc* table = Table();
  if (!table) return;
  if (keys)
    table->PrintKeyList(m_hWnd);
  else
    table->PrintFieldList(m_hWnd);
}

void CViewFrame::OnPreview() {
  const CZTTableDesc* table = Table();
  if (!table) return;
  char title[200];
  ViewFormat(title, sizeof(title), ZV_STR_PREVIEW_TITLE, table->m_szName);
  m_Preview.Show(m_hWnd, *table, title);
}

void CViewFrame::OnCopy(bool line) {
  HWND focus = GetFocus();
  const bool records = focus == m_hRecords || IsChild(m_hRecords, focus);
  if (!records && focus != m_hTables && !IsChild(m_hTables, focus)) return;
  IGridView* grid = GridOf(records ? m_hRecords : m_hTables);
  if (!grid || grid->GetCurItem() >= grid->GetItemCount()) return;
  if (records && !m_bBrowsing) return;
  const unsigned row = grid->GetCurItem();
  const unsigned columns = records ? Table()->m_Fields.m_uCount : kTableColumns;
  unsigned column = grid->GetCurColumn();
  if (column >= columns) column = 0;
  std::string text;
  for (unsigned c = line ? 0 : column; c < (line ? columns : column + 1); ++c) {
    if (c != (line ? 0 : column)) text += '\t';
    if (records) {
      char cell[512] = "";
      if (m_Browser.GetDataField(row, c, cell, sizeof(cell)) != kZTNoCellText) text += cell;
    } else {
      text += CellText(grid, row, c);
    }
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

namespace {
// The table's block as the description file holds it: to tell whether the sheet changed it.
std::string BlockText(const CZTTableDesc& table) {
  CZTConfFile conf;
  if (!conf.StartEdit(0x10000, 8, 32, 24, 80, 104) || !table.WriteDef(conf, "Table:")) return std::string();
  return std::string(conf.m_pEditText, conf.m_uEditLength);
}
}  // namespace

void CViewFrame::OnProperties() {
  if (!Table()) return;
  const unsigned index = m_uTable;
  CZTTableDesc& table = m_File.m_Tables.m_pTables[index];
  // The sheet changes the description as the person types; Cancel must leave it as it was.
  CZTTableDesc saved;
  try {
    saved = table;
  } catch (const CZTTblErr&) {
    return;  // not enough memory for the copy: the sheet is not opened
  }
  const int result = table.PropertySheetA(m_hWnd, ZT_SHEET_FIELDS | ZT_SHEET_KEYS | ZT_SHEET_GALLERY, m_uSheetPage);
  if (result <= 0) {
    table = saved;
    return;
  }
  if (BlockText(table) == BlockText(saved)) return;
  ShowTables();
  m_uTable = kZTNoTable;  // the records are opened again with the new columns
  SelectTable(index);
  if (!m_File.m_bIsamFile) {
    if (ViewAsk(ZV_STR_ASK_WRITE, table.m_szName, m_File.m_szFileName) && !m_File.WriteDesc())
      ViewWarn(ZV_STR_CANNOT_WRITE, m_File.m_szFileName);
    return;
  }
  // An ISAM file keeps its stored structure: the changed description goes to a description file.
  if (!ViewAsk(ZV_STR_ASK_WRITE_CFG, table.m_szName)) return;
  char name[MAX_PATH] = "";
  const std::string filter = Filter(ZV_STR_FILTER_FILES, "*.cfg", ZV_STR_FILTER_ALL, "*.*");
  if (!s_pFileDialog(m_hWnd, true, filter.c_str(), name, sizeof(name))) return;
  CZTFileDesc copy;
  try {
    copy = m_File;
  } catch (const CZTTblErr&) {
    return;
  }
  copy.m_bIsamFile = 0;
  copy.m_bReadOnly = 0;
  ztStrCopy(copy.m_szFileName, name, sizeof(copy.m_szFileName));
  if (!copy.WriteDesc()) ViewWarn(ZV_STR_CANNOT_WRITE, name);
}
