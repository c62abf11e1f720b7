#include "zt_lib32/list_view.h"

// There are no list-view controls natively.
int CZTListView::DispHeader(HWND, int) { return 0; }
int CZTListView::InsertItem(unsigned, LPARAM, const char*) { return 0; }
int CZTListView::SetItemText(unsigned, unsigned, const char*) { return 0; }
int CZTListView::SetItemInt(unsigned, unsigned, unsigned) { return 0; }
int CZTListView::DeleteAllItems() { return 0; }
unsigned CZTListView::GetItemCount() const { return 0; }
unsigned CZTListView::GetItemText(unsigned, unsigned, char* text, unsigned size) const {
  if (text && size) text[0] = '\0';
  return 0;
}
