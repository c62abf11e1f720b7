#include "zt_lib32/library.h"
#include "zt_lib32/list_view.h"
#include "zt_lib32/strings.h"

namespace {

int ColumnFormat(unsigned align) {
  switch (align) {
    case ZT_LV_RIGHT:
      return LVCFMT_RIGHT;
    case ZT_LV_CENTRE:
      return LVCFMT_CENTER;
    default:
      return LVCFMT_LEFT;
  }
}

}  // namespace

int CZTListView::DispHeader(HWND dialog, int fFullRow) {
  m_hListView = dialog ? GetDlgItem(dialog, static_cast<int>(m_uControlId)) : nullptr;
  if (!m_hListView) return 0;
  if (fFullRow) SendMessageA(m_hListView, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  HWND header = reinterpret_cast<HWND>(SendMessageA(m_hListView, LVM_GETHEADER, 0, 0));
  unsigned present = header ? static_cast<unsigned>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  RECT client;
  GetClientRect(m_hListView, &client);
  const int width = client.right - client.left;
  for (unsigned i = present; i < m_uColumnCount; ++i) {
    char text[128] = "";
    if (m_pLibrary) m_pLibrary->LoadResString(m_pColumns[i].stringId, text, sizeof(text));
    LVCOLUMNA col = {};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = ColumnFormat(m_pColumns[i].align);
    col.cx = (static_cast<int>(m_pColumns[i].width) * width + 50) / 100;
    col.pszText = text;
    col.iSubItem = static_cast<int>(i);
    if (SendMessageA(m_hListView, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col)) < 0) return 0;
  }
  return 1;
}

int CZTListView::InsertItem(unsigned index, LPARAM param, const char* text) {
  if (!m_hListView) return 0;
  char empty[1] = "";
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = static_cast<int>(index);
  item.pszText = text ? const_cast<char*>(text) : empty;
  item.lParam = param;
  if (SendMessageA(m_hListView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) < 0) return 0;
  ++m_uItemCount;
  return 1;
}

int CZTListView::SetItemText(unsigned item, unsigned column, const char* text) {
  if (!m_hListView) return 0;
  char empty[1] = "";
  LVITEMA lv = {};
  lv.iSubItem = static_cast<int>(column);
  lv.pszText = text ? const_cast<char*>(text) : empty;
  return SendMessageA(m_hListView, LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&lv)) ? 1 : 0;
}

int CZTListView::SetItemInt(unsigned item, unsigned column, unsigned value) {
  char text[16];
  ztFormat(text, sizeof(text), "%u", value);
  return SetItemText(item, column, text);
}

int CZTListView::DeleteAllItems() {
  if (!m_hListView) return 0;
  m_uItemCount = 0;
  return SendMessageA(m_hListView, LVM_DELETEALLITEMS, 0, 0) ? 1 : 0;
}

unsigned CZTListView::GetItemCount() const {
  return m_hListView ? static_cast<unsigned>(SendMessageA(m_hListView, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

unsigned CZTListView::GetItemText(unsigned item, unsigned column, char* text, unsigned size) const {
  if (!text || !size) return 0;
  text[0] = '\0';
  if (!m_hListView) return 0;
  LVITEMA lv = {};
  lv.iSubItem = static_cast<int>(column);
  lv.pszText = text;
  lv.cchTextMax = static_cast<int>(size);
  return static_cast<unsigned>(SendMessageA(m_hListView, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&lv)));
}
