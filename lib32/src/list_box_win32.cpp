#include "zt_lib32/list_box.h"

int CZTListBox::Display(HWND listBox, unsigned value) {
  if (!listBox) return 0;
  SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
  char text[256];
  for (unsigned i = 0; i < m_uCount; ++i) {
    GetEntryText(i, text, sizeof(text));
    LRESULT pos = SendMessageA(listBox, LB_INSERTSTRING, WPARAM(i), reinterpret_cast<LPARAM>(text));
    if (pos < 0) return 0;
    SendMessageA(listBox, LB_SETITEMDATA, WPARAM(pos), LPARAM(m_pEntries[i].value));
  }
  unsigned index = value == ZT_LIST_NONE ? ZT_LIST_NONE : IndexOfValue(value);
  SendMessageA(listBox, LB_SETCURSEL, index == ZT_LIST_NONE ? WPARAM(-1) : WPARAM(index), 0);
  return 1;
}
