#include "view_frame.h"

#include <commctrl.h>
#include <commdlg.h>
#include <string.h>

#include "view_ids.h"
#include "view_texts.h"

namespace {
const char kClassName[] = "ZTViewFrame";
constexpr int kSideWidth = 230;
constexpr int kTablesHeight = 130;
constexpr int kGap = 4;

int DefaultFileDialog(HWND owner, bool save, const char* filter, char* name, unsigned size) {
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = name;
  ofn.nMaxFile = size;
  if (save) {
    // The extension of the filter's first pattern ("*.csv") is added to a name without one.
    const char* pattern = filter + strlen(filter) + 1;
    const char* dot = strchr(pattern, '.');
    char extension[8] = "";
    if (dot) ztStrCopyN(extension, dot + 1, static_cast<unsigned>(strcspn(dot + 1, ";")), sizeof(extension));
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = extension[0] ? extension : nullptr;
    return GetSaveFileNameA(&ofn) ? 1 : 0;
  }
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  return GetOpenFileNameA(&ofn) ? 1 : 0;
}

HWND CreateGrid(HWND parent, unsigned id) {
  return CreateWindowExA(WS_EX_CLIENTEDGE, kGridClassName, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10, parent,
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

IGridView* GridOf(HWND grid) { return reinterpret_cast<IGridView*>(SendMessageA(grid, ZT_GRID_QUERY, 0, 0)); }

const char* BaseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') base = p + 1;
  return base;
}
}  // namespace

ViewFileDialog CViewFrame::s_pFileDialog = DefaultFileDialog;

CViewFrame::CViewFrame()
    : m_hWnd(nullptr),
      m_hStatus(nullptr),
      m_hTables(nullptr),
      m_hRecords(nullptr),
      m_hMenu(nullptr),
      m_hAccel(nullptr),
      m_bOpen(false),
      m_uTable(kZTNoTable),
      m_uIndex(0),
      m_bBackwards(false),
      m_bSelection(false),
      m_bFind(false),
      m_bBrowsing(false),
      m_uSheetPage(0) {}

CViewFrame::~CViewFrame() {
  m_Preview.Close();
  m_Browser.CloseTable();
  if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
  if (m_hAccel) DestroyAcceleratorTable(m_hAccel);
}

int CViewFrame::Create(HINSTANCE instance, int show) {
  INITCOMMONCONTROLSEX init = {sizeof(init), ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&init);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);  // fails harmlessly when a second frame registers it again
  ztSetTbl32Language(m_Settings.m_szLanguage);
  m_hAccel = BuildAccelerators();
  m_hWnd = CreateWindowExA(0, kClassName, ViewText(ZV_STR_TITLE), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                           CW_USEDEFAULT, 980, 640, nullptr, nullptr, instance, this);
  if (!m_hWnd) return 0;
  BuildMenu();
  if (m_Settings.m_szFolder[0]) m_Side.Fill(m_Settings.m_szFolder);
  UpdateStatus();
  ShowWindow(m_hWnd, show);
  UpdateWindow(m_hWnd);
  return 1;
}

LRESULT CALLBACK CViewFrame::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CViewFrame* self = reinterpret_cast<CViewFrame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<CViewFrame*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->m_hWnd = window;
  }
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT CViewFrame::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      m_Side.Create(m_hWnd, ZV_ID_TREE);
      m_hTables = CreateGrid(m_hWnd, ZV_ID_TABLES);
      m_hRecords = CreateGrid(m_hWnd, ZV_ID_RECORDS);
      m_hStatus = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(ZV_ID_STATUS)),
                                  GetModuleHandleA(nullptr), nullptr);
      if (!m_Side.m_hWnd || !m_hTables || !m_hRecords || !m_hStatus) return -1;
      ShowTables();
      return 0;
    }
    case WM_SIZE:
      Layout();
      return 0;
    case WM_SETFOCUS:
      SetFocus(m_bOpen ? m_hTables : m_Side.m_hWnd);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) < ZV_CMD_FIRST) {  // a grid's notification: its control or column id
        const unsigned code = HIWORD(wParam), id = LOWORD(wParam);
        if (id != ZV_ID_TABLES && (id < ZV_TABLE_COLUMN_FIRST || id >= ZV_TABLE_COLUMN_FIRST + 5)) return 0;
        if (code == GN_LINESELECT || code == GN_CELLSELECT || code == GN_MOVED) {
          IGridView* grid = GridOf(m_hTables);
          if (grid && grid->GetCurItem() != m_uTable) SelectTable(grid->GetCurItem());
        } else if (code == GN_LINEACTIVATE) {
          Command(ZV_CMD_PROPERTIES);
        }
        return 0;
      }
      Command(LOWORD(wParam));
      return 0;
    case WM_KEYDOWN:  // function keys the grids pass on
      if (wParam == VK_F3) Command(ZV_CMD_FIND_NEXT);
      if (wParam == VK_F5) Command(ZV_CMD_REFRESH);
      if (wParam == VK_F6) NextPane(GetKeyState(VK_SHIFT) < 0);
      return 0;
    case WM_NOTIFY:
      OnNotify(reinterpret_cast<const NMHDR*>(lParam));
      return 0;
    case WM_INITMENUPOPUP:
      UpdateMenu();
      return 0;
    case WM_CLOSE:
      DestroyWindow(m_hWnd);
      return 0;
    case WM_DESTROY:
      m_Preview.Close();
      m_Browser.CloseTable();
      m_bBrowsing = false;
      m_Settings.Save();
      if (m_hMenu) {
        SetMenu(m_hWnd, nullptr);
        DestroyMenu(m_hMenu);
        m_hMenu = nullptr;
      }
      m_hWnd = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(m_hWnd, message, wParam, lParam);
}

void CViewFrame::OnNotify(const NMHDR* header) {
  if (header->idFrom != ZV_ID_TREE) return;
  bool open = header->code == NM_DBLCLK;
  if (header->code == TVN_KEYDOWN && reinterpret_cast<const NMTVKEYDOWN*>(header)->wVKey == VK_RETURN) open = true;
  if (!open) return;
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(m_Side.m_hWnd, TVM_GETNEXTITEM, TVGN_CARET, 0));
  char path[MAX_PATH];
  if (m_Side.FileOf(item, path, sizeof(path))) Open(path);
}

bool CViewFrame::PreTranslate(MSG* message) {
  if (!m_hWnd) return false;
  // Dialogs of the application are modal and run their own loops; here only
  // the main window's keys matter.
  if (message->hwnd != m_hWnd && !IsChild(m_hWnd, message->hwnd)) return false;
  if (m_hAccel && TranslateAcceleratorA(m_hWnd, m_hAccel, message)) return true;
  if (message->message == WM_KEYDOWN && message->wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
    NextPane(GetKeyState(VK_SHIFT) < 0);
    return true;
  }
  return false;
}

void CViewFrame::NextPane(bool back) {
  HWND panes[3] = {m_Side.m_hWnd, m_hTables, m_hRecords};
  HWND focus = GetFocus();
  int at = -1;
  for (int i = 0; i < 3; ++i)
    if (panes[i] == focus || IsChild(panes[i], focus)) at = i;
  const int next = at < 0 ? 0 : (at + (back ? 2 : 1)) % 3;
  SetFocus(panes[next]);
}

void CViewFrame::Layout() {
  if (!m_hStatus) return;
  SendMessageA(m_hStatus, WM_SIZE, 0, 0);
  RECT client, status;
  GetClientRect(m_hWnd, &client);
  GetWindowRect(m_hStatus, &status);
  const int statusHeight = status.bottom - status.top;
  const int width = client.right, height = client.bottom - statusHeight;
  const int parts[ZV_STATUS_PARTS] = {width * 3 / 10, width * 6 / 10, -1};
  SendMessageA(m_hStatus, SB_SETPARTS, ZV_STATUS_PARTS, reinterpret_cast<LPARAM>(parts));
  const int side = width > 3 * kSideWidth ? kSideWidth : width / 3;
  MoveWindow(m_Side.m_hWnd, 0, 0, side, height, TRUE);
  const int right = side + kGap, rightWidth = width - right > 0 ? width - right : 0;
  MoveWindow(m_hTables, right, 0, rightWidth, kTablesHeight, TRUE);
  const int recordsTop = kTablesHeight + kGap;
  MoveWindow(m_hRecords, right, recordsTop, rightWidth, height > recordsTop ? height - recordsTop : 0, TRUE);
}

int CViewFrame::Open(const char* fileName) {
  if (!fileName || !fileName[0]) return 0;
  if (GetFileAttributesA(fileName) == INVALID_FILE_ATTRIBUTES) {
    ztTbl32Lib.DispError(ZT_ERR_FILE_NOT_FOUND, fileName);
    return 0;
  }
  CZTFileDesc file;
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  const int ok = file.InitDescEdit(m_hWnd, fileName, 0);
  SetCursor(old);
  if (!ok) return 0;
  // A description with faults is still shown (to be mended); the library says
  // what is wrong. A file without a single table is nothing to show.
  unsigned bad = 0;
  if (!file.VerifyDesc(&bad) && !file.m_Tables.m_uCount) return 0;
  SelectTable(kZTNoTable);  // closes the records of the old file
  m_File = file;
  m_bOpen = true;
  char full[MAX_PATH];
  if (!GetFullPathNameA(fileName, sizeof(full), full, nullptr)) ztStrCopy(full, fileName, sizeof(full));
  m_Settings.Remember(full);
  m_Settings.Save();
  ShowTables();
  SelectTable(m_File.m_Tables.m_uCount ? 0 : kZTNoTable);
  UpdateTitle();
  return 1;
}

void CViewFrame::ShowTables() {
  m_File.HeadTables(m_hWnd, ZV_ID_TABLES, 1);
  // Moves of the current line choose the table; the list itself is not edited here.
  if (IGridView* grid = GridOf(m_hTables)) {
    grid->AddStyle(GS_REPORTMOVES);
    grid->RemoveStyle(GS_DELETELINE | GS_INSERTLINE);
  }
  if (m_bOpen && m_File.m_Tables.m_uCount) {
    m_File.ListTables(m_hWnd, ZV_ID_TABLES);
  } else if (IGridView* grid = GridOf(m_hTables)) {
    grid->DeleteAllItems(TRUE);
  }
}

const CZTTableDesc* CViewFrame::Table() const {
  if (!m_bOpen || m_uTable >= m_File.m_Tables.m_uCount) return nullptr;
  return &m_File.m_Tables.m_pTables[m_uTable];
}

void CViewFrame::SelectTable(unsigned table) {
  if (!m_bOpen || table >= m_File.m_Tables.m_uCount) table = kZTNoTable;
  const bool changed = table != m_uTable;
  m_uTable = table;
  m_File.m_uSelTable = table;
  if (changed) {
    m_uIndex = 0;
    m_bBackwards = false;
    m_Selection.parse(nullptr, 0);
    m_bSelection = false;
    m_Find.parse(nullptr, 0);
    m_bFind = false;
  }
  if (table != kZTNoTable) {
    IGridView* grid = GridOf(m_hTables);
    if (grid && grid->GetCurItem() != table) grid->SelectItem(table, 0);
  }
  ShowRecords();
  UpdateStatus();
  UpdateTitle();
}

void CViewFrame::ShowRecords() {
  // Setting the records up moves no focus: the person may be walking the table list.
  HWND focus = GetFocus();
  ShowRecordsOf(Table());
  if (focus && GetFocus() != focus && IsWindow(focus)) SetFocus(focus);
}

void CViewFrame::ShowRecordsOf(const CZTTableDesc* table) {
  m_Browser.CloseTable();
  m_bBrowsing = false;
  IGridView* grid = GridOf(m_hRecords);
  if (!grid) return;
  if (!table || !table->m_Fields.m_uCount) {
    grid->SetItemCount(nullptr, 0, 0, FALSE);
    grid->DeleteAllItems(FALSE);
    grid->SetColumnCount(0, TRUE);
    return;
  }
  // A description file has no records: its columns alone show the table's shape.
  if (!m_File.m_bIsamFile || !table->m_Keys.m_uCount) {
    grid->SetItemCount(nullptr, 0, 0, FALSE);
    grid->RemoveStyle(GS_OWNERDATA);
    table->DispGridDataHeader(m_hWnd, ZV_ID_RECORDS);
    return;
  }
  m_File.m_uSelTable = m_uTable;
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (m_Browser.InitISAMFile(nullptr, nullptr, &m_File, 0) && m_Browser.InitTable(m_hWnd, ZV_ID_RECORDS)) {
    m_bBrowsing = true;
    DisplayRecords();
  } else {
    m_Browser.CloseTable();
    grid->SetItemCount(nullptr, 0, 0, TRUE);
  }
  SetCursor(old);
}

void CViewFrame::DisplayRecords() {
  if (!m_bBrowsing) return;
  HWND focus = GetFocus();
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  m_Browser.SetSelection(m_bSelection ? &m_Selection : nullptr);
  if (!m_Browser.DisplayTable(m_uIndex, 0, m_bBackwards ? 1 : 0)) {
    if (IGridView* grid = GridOf(m_hRecords)) grid->SetItemCount(nullptr, 0, 0, TRUE);
  } else if (IGridView* grid = GridOf(m_hRecords)) {
    if (m_Browser.m_uLineCount) grid->SelectItem(0, 0);
  }
  SetCursor(old);
  if (focus && GetFocus() != focus && IsWindow(focus)) SetFocus(focus);
  UpdateStatus();
}

void CViewFrame::GoToLine(unsigned line) {
  IGridView* grid = GridOf(m_hRecords);
  if (!grid || line >= grid->GetItemCount()) return;
  unsigned column = grid->GetCurColumn();
  if (column == kZTNoColumn) column = 0;
  grid->SetTopItem(line);
  grid->SelectItem(line, column);
  grid->EnsureVisible(line);
  SetFocus(m_hRecords);
}

void CViewFrame::StatusText(unsigned part, char* text, unsigned size) const {
  text[0] = 0;
  const CZTTableDesc* table = Table();
  switch (part) {
    case ZV_STATUS_TABLE:
      if (!table)
        ztStrCopy(text, ViewText(ZV_STR_ST_NO_TABLE), size);
      else
        ztFormat(text, size, "%s: %s", BaseName(m_File.m_szFileName), table->m_szName);
      break;
    case ZV_STATUS_RECORDS:
      if (m_bBrowsing && m_Browser.m_uDirection != kZTNotDisplayed) {
        unsigned total = 0;
        if (m_bSelection && !ISAMGetRecordCount(m_Browser.m_hTable, &total))
          ViewFormat(text, size, ZV_STR_ST_RECORDS_OF, m_Browser.m_uLineCount, total);
        else
          ViewFormat(text, size, ZV_STR_ST_RECORDS, m_Browser.m_uLineCount);
        const unsigned at = static_cast<unsigned>(strlen(text));
        if (at + 2 < size) ztStrCopy(text + at, ", ", size - at);
      }
      if (table && m_uIndex < table->m_Keys.m_uCount) {
        const unsigned start = static_cast<unsigned>(strlen(text));
        text += start;
        size -= start;
        const CZTKeyDesc& key = table->m_Keys.m_pKeys[m_uIndex];
        char parts[160] = "";
        for (unsigned p = 0; p < key.m_uPartCount && p < kZTMaxKeyParts; ++p) {
          const unsigned at = static_cast<unsigned>(strlen(parts));
          ztFormat(parts + at, sizeof(parts) - at, p ? "+%s" : "%s", key.m_Part[p].szFieldName);
        }
        ViewFormat(text, size, ZV_STR_ST_INDEX, m_uIndex + 1, parts);
        if (m_bBackwards) {
          const unsigned at = static_cast<unsigned>(strlen(text));
          ztFormat(text + at, size - at, ", %s", ViewText(ZV_STR_ST_BACKWARDS));
        }
      }
      break;
    case ZV_STATUS_SELECTION:
      if (m_bSelection) {
        char selection[512];
        m_Selection.edit(selection, sizeof(selection));
        ViewFormat(text, size, ZV_STR_ST_SELECTION, selection);
      } else {
        ztStrCopy(text, ViewText(ZV_STR_ST_NO_SELECTION), size);
      }
      break;
  }
}

void CViewFrame::UpdateStatus() {
  if (!m_hStatus) return;
  for (unsigned part = 0; part < ZV_STATUS_PARTS; ++part) {
    char text[600];
    StatusText(part, text, sizeof(text));
    SendMessageA(m_hStatus, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text));
  }
}

void CViewFrame::UpdateTitle() {
  if (!m_hWnd) return;
  char title[MAX_PATH + 64];
  if (m_bOpen)
    ztFormat(title, sizeof(title), "%s - %s", BaseName(m_File.m_szFileName), ViewText(ZV_STR_TITLE));
  else
    ztStrCopy(title, ViewText(ZV_STR_TITLE), sizeof(title));
  SetWindowTextA(m_hWnd, title);
}

void CViewFrame::SetLanguage(const char* language) {
  if (!ztSetTbl32Language(language)) return;
  ztStrCopy(m_Settings.m_szLanguage, language, sizeof(m_Settings.m_szLanguage));
  m_Settings.Save();
  BuildMenu();
  const unsigned table = m_uTable;
  ShowTables();  // the column headers in the new language
  if (table != kZTNoTable) {
    IGridView* grid = GridOf(m_hTables);
    if (grid) grid->SelectItem(table, 0);
  }
  UpdateStatus();
  UpdateTitle();
}

int CViewFrame::ShowFolder(const char* folder) {
  if (!m_Side.Fill(folder)) return 0;
  ztStrCopy(m_Settings.m_szFolder, folder, sizeof(m_Settings.m_szFolder));
  m_Settings.Save();
  return 1;
}
