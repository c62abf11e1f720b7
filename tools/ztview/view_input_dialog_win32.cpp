#include "view_input_dialog.h"

#include <string.h>

#include <vector>

#include "view_ids.h"
#include "view_texts.h"

namespace {

// Builds a dialog template in memory: the header, then each control, every part
// aligned to four bytes.
class TemplateWriter {
 public:
  void Word(WORD w) { m_words.push_back(w); }
  void Text(const char* text) {
    wchar_t wide[256];
    int n = MultiByteToWideChar(1252, 0, text, -1, wide, 256);
    if (n <= 0) n = 1, wide[0] = 0;
    for (int i = 0; i < n; ++i) Word(static_cast<WORD>(wide[i]));
  }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Align() {
    if (m_words.size() % 2) Word(0);
  }
  void Control(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, const char* text) {
    Align();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Word(static_cast<WORD>(x));
    Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF);
    Word(cls);
    Text(text);
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* Data() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

 private:
  std::vector<WORD> m_words;
};

enum : WORD { kButton = 0x0080, kEdit = 0x0081, kStatic = 0x0082 };

}  // namespace

CViewInputDialog::CViewInputDialog(const char* title, const char* label, const char* text, bool number)
    : m_bNumber(number) {
  ztStrCopy(m_szTitle, title, sizeof(m_szTitle));
  ztStrCopy(m_szLabel, label, sizeof(m_szLabel));
  ztStrCopy(m_szText, text ? text : "", sizeof(m_szText));
}

int CViewInputDialog::Run(HWND owner) {
  TemplateWriter t;
  t.Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  t.Dword(0);
  t.Word(4);  // controls
  t.Word(0);
  t.Word(0);
  t.Word(240);
  t.Word(62);
  t.Word(0);  // no menu
  t.Word(0);  // the dialog class
  t.Text(m_szTitle);
  t.Word(8);
  t.Text("MS Shell Dlg");
  t.Control(SS_LEFT, 7, 7, 226, 8, ZV_ID_INPUT_LABEL, kStatic, m_szLabel);
  t.Control(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | (m_bNumber ? ES_NUMBER : 0), 7, 18, 226, 14, ZV_ID_INPUT_EDIT,
            kEdit, "");
  t.Control(BS_DEFPUSHBUTTON | WS_TABSTOP, 129, 41, 50, 14, IDOK, kButton, ViewText(ZV_STR_OK));
  t.Control(BS_PUSHBUTTON | WS_TABSTOP, 183, 41, 50, 14, IDCANCEL, kButton, ViewText(ZV_STR_CANCEL));
  const INT_PTR result =
      DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Data(), owner, Proc, reinterpret_cast<LPARAM>(this));
  return result == IDOK ? 1 : 0;
}

INT_PTR CALLBACK CViewInputDialog::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CViewInputDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      self = reinterpret_cast<CViewInputDialog*>(lParam);
      SetDlgItemTextA(dialog, ZV_ID_INPUT_EDIT, self->m_szText);
      SendDlgItemMessageA(dialog, ZV_ID_INPUT_EDIT, EM_SETSEL, 0, -1);
      return TRUE;  // the edit field, first in the tab order, gets the focus
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        GetDlgItemTextA(dialog, ZV_ID_INPUT_EDIT, self->m_szText, sizeof(self->m_szText));
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}
