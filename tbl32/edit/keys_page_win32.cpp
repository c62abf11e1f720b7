// The keys page of the table property sheet: one grid line per key part, with
// the key's number, option flags and part count on the lines of its parts.
#include <string.h>

#include "edit_codes.h"
#include "record_table.h"
#include "sheet_pages.h"

namespace {

enum : unsigned { kColOption1 = 1, kColParts = 6, kColKeyType = 7, kColField = 8 };

const SColumnDef kColumns[] = {
    {GCT_EDIT, 0, 0, 1, ZT_ID_KEY_NUMBER, 8, ZT_STR_KEYS_HEADER},
    {GCT_CHECK, 0, 0, 1, ZT_ID_KEY_OPTION1, 8, ZT_STR_KEYS_HEADER + 1},
    {GCT_CHECK, 0, 0, 1, ZT_ID_KEY_OPTION1 + 1, 8, ZT_STR_KEYS_HEADER + 2},
    {GCT_CHECK, 0, 0, 1, ZT_ID_KEY_OPTION1 + 2, 8, ZT_STR_KEYS_HEADER + 3},
    {GCT_CHECK, 0, 0, 1, ZT_ID_KEY_OPTION1 + 3, 8, ZT_STR_KEYS_HEADER + 4},
    {GCT_CHECK, 0, 0, 1, ZT_ID_KEY_OPTION5, 8, ZT_STR_KEYS_HEADER + 5},
    {GCT_EDIT, 0, 2, 1, ZT_ID_KEY_PARTS, 8, ZT_STR_KEYS_HEADER + 6},
    {GCT_LIST, 0, 0, 1, ZT_ID_KEY_TYPE, 16, ZT_STR_KEYS_HEADER + 7},
    {GCT_LIST, 0, 0, 1, ZT_ID_KEY_FIELD, 28, ZT_STR_KEYS_HEADER + 8},
};
CGridDef s_Grid = {0, nullptr, ZT_ID_KEYS_GRID, 25, &ztTbl32Lib, nullptr, 9, kColumns};

SZTSheetPage s_Page = {};

void Activate(HWND) { s_Page.table->ListKeys(s_Grid); }

void Changed(HWND page) {
  s_Page.table->ListKeys(s_Grid);
  ztSheetChanged(s_Page, page);
}

void AddKey(HWND page, unsigned key) {
  if (s_Page.table->InsertKey(&key)) Changed(page);
}

void DeleteKey(HWND page, unsigned key) {
  CZTKeyDescList& keys = s_Page.table->m_Keys;
  if (key >= keys.m_uCount) return;
  if (ztTbl32Lib.DispQuestion(ZT_ASK_DELETE_KEY, key) != IDYES) return;
  ztRemoveRecord(keys.m_pKeys, keys.m_uCount, key);
  Changed(page);
}

// The in-place list of the field column: a list box, or a combo box.
void FillFieldList(HWND list, unsigned select) {
  char cls[64] = "";
  GetClassNameA(list, cls, sizeof(cls));
  const bool listBox = ztStrICmp(cls, "ListBox") == 0 || strncmp(cls, "CZTListBoxParent", 16) == 0;
  SendMessageA(list, listBox ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
  const CZTFieldDescList& fields = s_Page.table->m_Fields;
  for (unsigned i = 0; i < fields.m_uCount && fields.m_pFields; ++i)
    SendMessageA(list, listBox ? LB_INSERTSTRING : CB_INSERTSTRING, i,
                 reinterpret_cast<LPARAM>(fields.m_pFields[i].m_szName));
  SendMessageA(list, listBox ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(static_cast<int>(select)), 0);
}

void OnGridColumn(HWND page, unsigned column, unsigned code, unsigned line) {
  CZTTableDesc* table = s_Page.table;
  IGridView* grid = s_Grid.m_pGrid;
  const unsigned k = table->KeyPartToIndex(line), p = table->KeyPartToPart(line);
  if (!grid || k == kZTNotFound) return;
  CZTKeyDesc& key = table->m_Keys.m_pKeys[k];
  if (column >= kColOption1 && column < kColOption1 + 5) {
    if (code != GN_CHECKACTIVATE) return;
    key.m_uOption[column - kColOption1] ^= 1;
    Changed(page);
  } else if (column == kColParts) {
    if (code != GN_EDITCLOSE) return;
    const unsigned parts = grid->GetItemUInt(line, column);
    // The description file holds keys of 1 to 4 parts; any other count would
    // make it unreadable: the key stays as it was.
    if (parts < 1 || parts > kZTMaxKeyParts) {
      ztTbl32Lib.DispError(ZT_ERR_SHEET_KEY_PARTS, parts, k + 1);
      table->ListKeys(s_Grid);
      return;
    }
    key.m_uPartCount = parts;
    Changed(page);
  } else if (column == kColKeyType) {
    if (code == GN_LISTOPEN) {
      ISAMLBKeyTypes.Display(grid->GetChildHwnd(), p < kZTMaxKeyParts ? key.m_Part[p].uKeyType : ZT_LIST_NONE);
    } else if (code == GN_LISTCLOSE) {
      const unsigned selection = grid->GetColumnListSel(column);
      if (selection >= ISAMLBKeyTypes.m_uCount || p >= kZTMaxKeyParts) return;
      key.m_Part[p].uKeyType = ISAMLBKeyTypes.m_pEntries[selection].value;
      Changed(page);
    }
  } else if (column == kColField) {
    if (code == GN_LISTOPEN) {
      FillFieldList(grid->GetChildHwnd(), table->FindFieldToKeyIndex(k, p));
    } else if (code == GN_LISTCLOSE) {
      const unsigned selection = grid->GetColumnListSel(column);
      if (selection == kZTNoListSel) return;
      table->SetKeyFieldIndex(k, p, selection);
      Changed(page);
    }
  }
}

void OnCommand(HWND page, WPARAM wParam, LPARAM lParam) {
  const unsigned id = LOWORD(wParam), code = HIWORD(wParam);
  const unsigned line = static_cast<unsigned>(lParam);
  CZTTableDesc* table = s_Page.table;
  IGridView* grid = s_Grid.m_pGrid;
  switch (id) {
    case ZT_ID_INSERT:
      if (code == BN_CLICKED) AddKey(page, grid ? table->KeyPartToIndex(grid->GetCurItem()) : kZTNotFound);
      return;
    case ZT_ID_DELETE:
      if (code == BN_CLICKED && grid) DeleteKey(page, table->KeyPartToIndex(grid->GetCurItem()));
      return;
    case ZT_ID_PRINT:
      if (code == BN_CLICKED) table->PrintKeyList(page);
      return;
    case ZT_ID_KEYS_GRID:
      // A click outside the cells carries the mouse point, not a line: append.
      if (code == GN_INSERTLINE)
        AddKey(page, table->KeyPartToIndex(line));
      else if (code == GN_CLICK)
        AddKey(page, table->m_Keys.m_uCount);
      else if (code == GN_DELETELINE)
        DeleteKey(page, table->KeyPartToIndex(line));
      return;
  }
  if (id > ZT_ID_KEY_NUMBER && id <= ZT_ID_KEY_FIELD) OnGridColumn(page, id - ZT_ID_KEY_NUMBER, code, line);
}

}  // namespace

INT_PTR CALLBACK ztKeysPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  static const SZTPageType kType = {&s_Page, &s_Grid, Activate, OnCommand};
  return ztSheetPageProc(kType, page, message, wParam, lParam);
}
