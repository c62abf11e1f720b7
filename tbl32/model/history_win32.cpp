// The history's combo box.
#include "zt_tbl32/history.h"

void CZTHistory::ComboDelete(unsigned index) {
  if (m_hComboBox && IsWindow(m_hComboBox)) SendMessageA(m_hComboBox, CB_DELETESTRING, index, 0);
}

void CZTHistory::ComboInsertTop(const char* text) {
  if (!m_hComboBox || !IsWindow(m_hComboBox)) return;
  SendMessageA(m_hComboBox, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendMessageA(m_hComboBox, CB_SETCURSEL, 0, 0);
}

int CZTHistory::FillComboBox(HWND window, unsigned controlId, unsigned select) {
  HWND box = (controlId == 0 || controlId == kZTSelfControl) ? window : GetDlgItem(window, (int)controlId);
  if (!box || !IsWindow(box)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, "CZTHistory", "ComboBox %u not found in dialog window.", controlId);
    return 0;
  }
  m_hComboBox = box;
  SendMessageA(box, CB_RESETCONTENT, 0, 0);
  for (unsigned i = 0; i < m_uCount; ++i) SendMessageA(box, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(m_szItems[i]));
  if (select < m_uCount) SendMessageA(box, CB_SETCURSEL, select, 0);
  return 1;
}
