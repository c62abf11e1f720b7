// A small window over a file tree, the way an application uses CZTFileTree and
// CZTFileType: the folders in a tree view with their file counts, the accepted
// files of the chosen folder in a list, and a check box per file type that
// scans again with the new filter. Used for the screenshots of the browsing.
//
//   browse_demo.exe D|E ROOT      the window, texts in German or English
//   browse_demo.exe D|E box       a box of the library: the network library missing
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include <initializer_list>

#include "browse_platform.h"
#include "zt_tbl32.h"

namespace {

enum : unsigned { kTreeId = 100, kListId = 101, kStatusId = 102, kFirstTypeId = 200 };

// The demo's own texts in both languages.
struct Texts {
  const char* title;
  const char* name;
  const char* size;
  const char* written;
  const char* status;  // folders, files, accepted
};
const Texts kGerman = {"Dateien und Ordner", "Name",
                       "Gr\xf6\xdf"
                       "e",
                       "Ge\xe4ndert", "%u Ordner, %u Dateien, davon %u ausgew\xe4hlt"};
const Texts kEnglish = {"Files and folders", "Name", "Size", "Modified", "%u folders, %u files, %u of them accepted"};
const Texts* g_texts = &kGerman;

SZTFileTypeEntry g_types[] = {{0, kFirstTypeId, 1, 0, ".TXT"},
                              {0, kFirstTypeId + 1, 1, 0, ".CFG"},
                              {0, kFirstTypeId + 2, 0, 0, ".DAT"},
                              {0, kFirstTypeId + 3, 1, 0, ".JPG"}};
CZTFileType g_filter = {4, g_types};
CZTFileTree g_tree;
const char* g_root = nullptr;
HWND g_treeView, g_list, g_status;

void ShowFiles(unsigned dir) {
  SendMessageA(g_list, LVM_DELETEALLITEMS, 0, 0);
  unsigned row = 0;
  for (unsigned i = g_tree.getFirstDirFile(dir, 0); i < g_tree.m_uAccepted && g_tree.m_pFiles[i].uDir == dir; ++i) {
    const SFileEntry& f = g_tree.m_pFiles[i];
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(row);
    item.pszText = const_cast<char*>(f.szPath + f.uNameOffset);
    SendMessageA(g_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    char text[64];
    ztFormat(text, sizeof(text), "%u", static_cast<unsigned>(f.ullSize));
    item.iSubItem = 1;
    item.pszText = text;
    SendMessageA(g_list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    FILETIME local;
    SYSTEMTIME t;
    FileTimeToLocalFileTime(&f.ftLastWrite, &local);
    FileTimeToSystemTime(&local, &t);
    ztFormat(text, sizeof(text), "%02u.%02u.%04u %02u:%02u", t.wDay, t.wMonth, t.wYear, t.wHour, t.wMinute);
    item.iSubItem = 2;
    SendMessageA(g_list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    ++row;
  }
}

// Scans with the filter and fills the tree view; the tree keeps each folder's item.
void Scan() {
  SendMessageA(g_treeView, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  if (!g_tree.BrowseDrive(g_root, &g_filter)) return;
  g_tree.reorg();  // the counts of the accepted files
  unsigned firstWithFiles = 0;
  for (unsigned d = 0; d < g_tree.m_uDirCount; ++d) {
    const SDirEntry& dir = g_tree.m_pDirs[d];
    // The folder's own name without its "\\" (the root's whole path), and its files.
    char name[MAX_PATH], text[MAX_PATH + 32];
    const unsigned start = d == 0 ? 0 : dir.uNameOffset;
    ztStrCopyN(name, dir.szPath + start, dir.uPathLength - start - (d == 0 ? 0 : 1), sizeof(name));
    ztFormat(text, sizeof(text), "%s (%u)", name, dir.uSubtreeFiles);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = dir.uParent < g_tree.m_uDirCount ? g_tree.m_pDirs[dir.uParent].hItem : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = text;
    insert.item.lParam = d;
    auto item =
        reinterpret_cast<HTREEITEM>(SendMessageA(g_treeView, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    g_tree.setHTVItem(d, item);
    if (!firstWithFiles && d && dir.uFiles > 2) firstWithFiles = d;
  }
  for (unsigned d = 0; d < g_tree.m_uDirCount; ++d)
    if (g_tree.m_pDirs[d].uPathLength < 80)
      SendMessageA(g_treeView, TVM_EXPAND, TVE_EXPAND, (LPARAM)g_tree.m_pDirs[d].hItem);
  SendMessageA(g_treeView, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(g_tree.m_pDirs[firstWithFiles].hItem));
  char status[200];
  ztFormat(status, sizeof(status), g_texts->status, g_tree.m_uDirCount, g_tree.m_uFileCount, g_tree.m_uAccepted);
  SetWindowTextA(g_status, status);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      HINSTANCE instance = GetModuleHandleA(nullptr);
      HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
      g_treeView =
          CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                          WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                          8, 8, 300, 380, window, reinterpret_cast<HMENU>(kTreeId), instance, nullptr);
      g_list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 316, 8, 420, 380,
                               window, reinterpret_cast<HMENU>(kListId), instance, nullptr);
      const char* headers[] = {g_texts->name, g_texts->size, g_texts->written};
      const int widths[] = {180, 80, 130};
      for (int c = 0; c < 3; ++c) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = c == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = widths[c];
        column.pszText = const_cast<char*>(headers[c]);
        SendMessageA(g_list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
      }
      for (unsigned t = 0; t < g_filter.m_uCount; ++t) {
        HWND box = CreateWindowA(
            "BUTTON", g_types[t].szSuffix, WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP, 8 + 80 * t, 398, 72,
            20, window, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(g_types[t].uControlId)), instance, nullptr);
        SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
      }
      g_status = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 340, 400, 396, 20, window,
                               reinterpret_cast<HMENU>(kStatusId), instance, nullptr);
      for (HWND w : {g_treeView, g_list, g_status}) SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
      g_filter.CheckDlgCtls(window);
      Scan();
      SetFocus(g_treeView);
      return 0;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && g_filter.ToggleDlgCtl(window, LOWORD(wParam))) {
        g_filter.CheckDlgCtls(window);
        Scan();
      }
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == kTreeId && header->code == TVN_SELCHANGEDA) {
        const auto* change = reinterpret_cast<const NMTREEVIEWA*>(lParam);
        const unsigned dir = g_tree.getDirItem(change->itemNew.hItem);
        if (dir != 0xFFFFFFFFu) ShowFiles(dir);
      }
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: browse_demo D|E ROOT|box\n");
    return 2;
  }
  ztSetTbl32Language(argv[1]);
  g_texts = strcmp(argv[1], "E") == 0 ? &kEnglish : &kGerman;
  if (strcmp(argv[2], "box") == 0) {
    // The box the library shows when the network library cannot be loaded.
    ztSetNetworkLibraryName("zt_no_network_library.dll");
    CZTNetwork network;
    return network.Browse();
  }
  g_root = argv[2];
  INITCOMMONCONTROLSEX init = {sizeof(init), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&init);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "ZTBrowseDemo";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowA("ZTBrowseDemo", g_texts->title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 760, 470,
                              nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return 1;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
