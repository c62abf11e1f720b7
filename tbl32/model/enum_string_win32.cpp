#include "model_codes.h"
#include "zt_tbl32/enum_string.h"

void CEnumString::FillListBox(HWND listBox, unsigned value) const {
  if (!listBox || !IsWindow(listBox)) return;
  SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
  for (unsigned i = 0; m_pEntries && i < m_uCount; ++i)
    SendMessageA(listBox, LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(m_pEntries[i].name));
  for (unsigned i = 0; m_pEntries && i < m_uCount; ++i)
    if (m_pEntries[i].value == value) SendMessageA(listBox, LB_SETCURSEL, i, 0);
}

unsigned CEnumString::GetListBoxSelection(HWND listBox, unsigned* value) const {
  if (!listBox || !IsWindow(listBox) || !value) return 0;
  const LRESULT selected = SendMessageA(listBox, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcEnum, "Error on inquiry of the currently selected listbox item");
    return 0;
  }
  const unsigned index = unsigned(selected);
  if (index >= m_uCount) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcEnum, "Item %d of %d currently selected in the listbox", int(index),
                      int(m_uCount));
    return 0;
  }
  if (m_pEntries[index].value == *value) return 0;
  *value = m_pEntries[index].value;
  return 1;
}
