#include "zt_lib32/combo_box.h"

int CZTComboBox::Display(HWND dialog, unsigned value) {
  HWND combo = dialog ? GetDlgItem(dialog, static_cast<int>(m_uControlId)) : nullptr;
  if (!combo) return 0;
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  char text[256];
  for (unsigned i = 0; i < m_uCount; ++i) {
    GetEntryText(i, text, sizeof(text));
    if (SendMessageA(combo, CB_INSERTSTRING, WPARAM(i), reinterpret_cast<LPARAM>(text)) < 0) return 0;
  }
  const unsigned index = IndexOfValue(value);
  SendMessageA(combo, CB_SETCURSEL, index == ZT_LIST_NONE ? WPARAM(-1) : WPARAM(index), 0);
  return 1;
}

int CZTComboBox::Select(HWND dialog, unsigned wParam, unsigned* value) {
  if (!value || LOWORD(wParam) != m_uControlId || HIWORD(wParam) != CBN_SELCHANGE) return 0;
  HWND combo = dialog ? GetDlgItem(dialog, static_cast<int>(m_uControlId)) : nullptr;
  if (!combo) return 0;
  const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (index < 0 || static_cast<unsigned>(index) >= m_uCount) return 0;
  const unsigned chosen = m_pEntries[index].value;
  if (chosen == *value) return 0;
  *value = chosen;
  return 1;
}
