// A small modal dialog that asks for one line of text (a line number, a
// folder): a label, an edit field, OK and Cancel, in the current language.
#pragma once

#include "zt_tbl32.h"

class CViewInputDialog {
 public:
  char m_szTitle[128];
  char m_szLabel[128];
  char m_szText[MAX_PATH];  // the text shown first, and the text entered after OK
  bool m_bNumber;           // the edit field takes digits only

  CViewInputDialog(const char* title, const char* label, const char* text, bool number);

  // 1 after OK, 0 after Cancel or when the dialog cannot be shown.
  int Run(HWND owner);

 private:
  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};
