// The data lines of an editable field table in a list view: one column per
// row, one item per record.
#include "edit_codes.h"
#include "tbl_column_text.h"
#include "zt_tbl32/tbl_fld_desc.h"

namespace {

unsigned ClientWidth(HWND listView) {
  RECT client = {};
  GetClientRect(listView, &client);
  return client.right > client.left ? static_cast<unsigned>(client.right - client.left) : 0;
}

// Sets the columns' widths, none wider than what the columns before it leave of
// the client width.
template <class Width>
void SetWidths(HWND listView, unsigned count, unsigned client, Width width) {
  unsigned used = 0;
  for (unsigned i = 0; i < count; ++i) {
    unsigned w = width(i);
    if (w > client - used) w = client - used;
    SendMessageA(listView, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(w, 0));
    used += w;
  }
}

}  // namespace

int CZTTblFldDesc::DispDataHeader(HWND listView) const {
  HWND header = reinterpret_cast<HWND>(SendMessageA(listView, LVM_GETHEADER, 0, 0));
  const int present = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  const unsigned have = present > 0 ? static_cast<unsigned>(present) : 0;
  if (have >= m_uCount) return 1;
  const unsigned client = ClientWidth(listView);
  // Only the columns the list lacks, so that a second call adds nothing twice.
  for (unsigned i = have; i < m_uCount; ++i) {
    const SZTTblField& row = m_pFields[i];
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = static_cast<int>(row.uJust);  // left 0, right 1, centred 2 as the list view counts them
    column.cx = static_cast<int>((row.uWidth * client + 50) / 100);
    column.pszText = const_cast<char*>(row.szName);
    column.iSubItem = static_cast<int>(i);
    if (SendMessageA(listView, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column)) < 0) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcTblFldDesc, "Error on ListView_InsertColumn %u", i);
      ztTbl32Lib.DispError(ZT_ERR_TBLFLD_COLUMN, i + 1);
      return 0;
    }
  }
  return 1;
}

int CZTTblFldDesc::ResizeDataHeader(HWND listView) const {
  const unsigned client = ClientWidth(listView);
  if (!client) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcTblFldDesc, "ResizeDataHeader: New table width is zero.");
    return 1;
  }
  SetWidths(listView, m_uCount, client, [&](unsigned i) { return (m_pFields[i].uWidth * client + 50) / 100; });
  return 1;
}

int CZTTblFldDesc::ResizeDataHeader(HWND listView, unsigned previousWidth, unsigned) const {
  if (!previousWidth) return ResizeDataHeader(listView);
  const unsigned client = ClientWidth(listView);
  SetWidths(listView, m_uCount, client, [&](unsigned i) {
    const unsigned current = static_cast<unsigned>(SendMessageA(listView, LVM_GETCOLUMNWIDTH, i, 0));
    return static_cast<unsigned>((static_cast<unsigned long long>(current) * client + previousWidth / 2) /
                                 previousWidth);
  });
  return 1;
}

int CZTTblFldDesc::InsertDataLine(HWND listView, unsigned item, LPARAM param, const void* record,
                                  unsigned recordLength) const {
  LVITEMA lv = {};
  lv.mask = LVIF_TEXT | LVIF_STATE | LVIF_PARAM;
  lv.iItem = static_cast<int>(item);
  lv.pszText = LPSTR_TEXTCALLBACKA;
  lv.lParam = param;
  const LRESULT index = SendMessageA(listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lv));
  if (index < 0) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcTblFldDesc, "Error on ListView_InsertItem %u", item);
    ztTbl32Lib.DispError(ZT_ERR_TBLFLD_ITEM, item + 1);
    return 0;
  }
  for (unsigned i = 0; i < m_uCount; ++i) {
    if (m_pFields[i].uOffset >= recordLength) continue;
    char text[256];
    ztTblColumnText(m_pFields[i], static_cast<const unsigned char*>(record), recordLength, text, sizeof(text));
    LVITEMA cell = {};
    cell.iSubItem = static_cast<int>(i);
    cell.pszText = text;
    SendMessageA(listView, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&cell));
  }
  // The item that needs a vertical scroll bar narrows the client area.
  const LRESULT count = SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0);
  if (count == SendMessageA(listView, LVM_GETCOUNTPERPAGE, 0, 0) + 1) ResizeDataHeader(listView);
  return 1;
}
