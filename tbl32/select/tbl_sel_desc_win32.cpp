// The comparisons of a selection in a list view.
#include "select_ids.h"
#include "zt_lib32/list_view.h"
#include "zt_tbl32/tbl_sel_desc.h"

namespace {

const char* PrintedFunction(unsigned func) {
  static const char* const kNames[] = {"==", "!=", "==", "!=", ">", ">=", "<", "<="};
  return func < 8 ? kNames[func] : "??";
}

void SetSubItem(HWND listView, unsigned item, unsigned column, const char* text) {
  LVITEMA lv = {};
  lv.iSubItem = static_cast<int>(column);
  lv.pszText = const_cast<char*>(text);
  SendMessageA(listView, LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&lv));
}

// Rows for the comparisons from left to right; false when a row cannot be inserted.
bool ListLink(CZTListView* listView, const SZTDataCompLink* link, unsigned* row) {
  for (;;) {
    if (!link->fAlloc || !link->pOper) return true;
    if (link->pOper->idRec == ZT_SEL_EXPRESSION) {
      const SZTDataCompExpr* expr = static_cast<const SZTDataCompExpr*>(link->pOper);
      if (!listView->InsertItem(*row, *row, nullptr)) return false;
      SetSubItem(listView->m_hListView, *row, 0, expr->Column);
      SetSubItem(listView->m_hListView, *row, 1, PrintedFunction(expr->Func));
      SetSubItem(listView->m_hListView, *row, 2, expr->Value);
      ++*row;
      return true;
    }
    const SZTDataCompOper* op = static_cast<const SZTDataCompOper*>(link->pOper);
    if (!ListLink(listView, &op->Link[0], row)) return false;
    link = &op->Link[1];
  }
}

}  // namespace

int CZTTblSelDesc::disp(CZTListView* listView) const {
  if (!listView || !listView->m_hListView) return 0;
  SendMessageA(listView->m_hListView, LVM_DELETEALLITEMS, 0, 0);
  listView->m_uItemCount = 0;
  unsigned rows = 0;
  ListLink(listView, &m_Root, &rows);
  return rows ? 1 : 0;
}
