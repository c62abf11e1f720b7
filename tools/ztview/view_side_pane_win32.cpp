#include "view_side_pane.h"

#include <commctrl.h>

#include <vector>

#include "view_ids.h"
#include "view_texts.h"

namespace {
// lParam of a file item; folder items carry their directory index.
constexpr LPARAM kFileFlag = 0x40000000;

HTREEITEM Insert(HWND tree, HTREEITEM parent, const char* text, LPARAM param) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(text);
  insert.item.lParam = param;
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}
}  // namespace

CViewSidePane::CViewSidePane() : m_hWnd(nullptr) {
  m_Types[0] = {0, 0, 1, 0, ".CFG"};
  m_Types[1] = {0, 0, 1, 0, ".ISA"};
  m_Filter.m_uCount = 2;
  m_Filter.m_pEntries = m_Types;
}

int CViewSidePane::Create(HWND parent, unsigned id) {
  m_hWnd = CreateWindowExA(
      WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS, 0, 0,
      10, 10, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (!m_hWnd) return 0;
  SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return 1;
}

int CViewSidePane::Fill(const char* folder) {
  SendMessageA(m_hWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  const DWORD attributes = GetFileAttributesA(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      !m_Tree.BrowseDrive(folder, &m_Filter)) {
    m_Tree.free();
    ViewWarn(ZV_STR_BAD_FOLDER, folder);
    return 0;
  }
  m_Tree.reorg();  // the counts then cover the accepted files only
  std::vector<HTREEITEM> items(m_Tree.m_uDirCount, nullptr);
  for (unsigned d = 0; d < m_Tree.m_uDirCount; ++d) {
    const SDirEntry& dir = m_Tree.m_pDirs[d];
    const bool root = dir.uParent >= m_Tree.m_uDirCount;
    if (!root && (!dir.uSubtreeFiles || !items[dir.uParent])) continue;  // nothing of interest below it
    char name[MAX_PATH];
    const unsigned start = root ? 0 : dir.uNameOffset;
    const unsigned end = dir.uPathLength > start + 1 && !root ? dir.uPathLength - 1 : dir.uPathLength;
    ztStrCopyN(name, dir.szPath + start, end - start, sizeof(name));
    items[d] = Insert(m_hWnd, root ? TVI_ROOT : items[dir.uParent], name, static_cast<LPARAM>(d));
  }
  for (unsigned f = 0; f < m_Tree.m_uAccepted; ++f) {
    const SFileEntry& file = m_Tree.m_pFiles[f];
    if (file.uDir < items.size() && items[file.uDir])
      Insert(m_hWnd, items[file.uDir], file.szPath + file.uNameOffset, kFileFlag | static_cast<LPARAM>(f));
  }
  for (HTREEITEM item : items)
    if (item) SendMessageA(m_hWnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  if (!items.empty() && items[0]) SendMessageA(m_hWnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[0]));
  return 1;
}

bool CViewSidePane::FileOf(HTREEITEM item, char* path, unsigned size) const {
  if (!item) return false;
  TVITEMA tv = {};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  if (!SendMessageA(m_hWnd, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return false;
  if (!(tv.lParam & kFileFlag)) return false;
  const unsigned f = static_cast<unsigned>(tv.lParam & ~kFileFlag);
  if (f >= m_Tree.m_uAccepted) return false;
  ztStrCopy(path, m_Tree.m_pFiles[f].szPath, size);
  return true;
}

HTREEITEM CViewSidePane::FindFile(const char* path) const {
  // Walks every item: the pane holds few.
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(m_hWnd, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  std::vector<HTREEITEM> stack;
  while (item || !stack.empty()) {
    if (!item) {
      item = stack.back();
      stack.pop_back();
      continue;
    }
    char file[MAX_PATH];
    if (FileOf(item, file, sizeof(file)) && !ztStrICmp(file, path)) return item;
    HTREEITEM child =
        reinterpret_cast<HTREEITEM>(SendMessageA(m_hWnd, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
    HTREEITEM next =
        reinterpret_cast<HTREEITEM>(SendMessageA(m_hWnd, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    if (child) {
      stack.push_back(next);
      item = child;
    } else {
      item = next;
    }
  }
  return nullptr;
}
