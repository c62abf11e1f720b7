// The selection dialog: an edit field with the selection text, a button that
// parses it, and the list of its comparisons.
#include <string.h>

#include "frame_util.h"
#include "select_ids.h"
#include "zt_lib32/list_view.h"
#include "zt_tbl32/tbl_sel_dlg.h"

namespace {

const char kDlgSource[] = "CZTTblSelDlg";

const ZTListViewColumn kColumns[] = {
    {ZT_SEL_STR_COLUMN, 40, ZT_LV_CENTRE},
    {ZT_SEL_STR_OPERATOR, 20, ZT_LV_CENTRE},
    {ZT_SEL_STR_VALUE, 40, ZT_LV_LEFT},
};

// One dialog at a time: its state lives here.
CZTTblSelDlg* s_pDlg = nullptr;
int s_fChanged = 0;
char s_szText[ZT_SEL_EDIT_SIZE + 1];
CZTListView s_ListView(ZT_SEL_DLG_LIST, 3, kColumns, &ztTbl32Lib);

// Parses the edit text and lists it; false after a syntax error (already shown).
bool ParseAndList(HWND dialog) {
  GetDlgItemTextA(dialog, ZT_SEL_DLG_EDIT, s_szText, sizeof(s_szText));
  CZTTblSelDesc* sel = s_pDlg->m_pSelDesc;
  const int ok = sel->parse(s_szText, static_cast<unsigned>(strlen(s_szText)));
  sel->disp(&s_ListView);
  if (!ok) SetFocus(GetDlgItem(dialog, ZT_SEL_DLG_EDIT));
  return ok != 0;
}

INT_PTR CALLBACK SelDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      s_pDlg = reinterpret_cast<CZTTblSelDlg*>(lParam);
      s_ListView.m_hListView = nullptr;
      s_ListView.DispHeader(dialog, 1);
      SendDlgItemMessageA(dialog, ZT_SEL_DLG_EDIT, EM_LIMITTEXT, ZT_SEL_EDIT_SIZE, 0);
      s_szText[0] = '\0';
      if (s_pDlg && s_pDlg->m_pSelDesc) {
        s_pDlg->m_pSelDesc->edit(s_szText, sizeof(s_szText));
        s_pDlg->m_pSelDesc->disp(&s_ListView);
      }
      SetDlgItemTextA(dialog, ZT_SEL_DLG_EDIT, s_szText);
      s_fChanged = 0;
      ztCentreOnScreen(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case ZT_SEL_DLG_EDIT:
          if (HIWORD(wParam) == EN_CHANGE) s_fChanged = 1;
          return TRUE;
        case ZT_SEL_DLG_PARSE:
          if (ParseAndList(dialog)) s_fChanged = 0;
          return TRUE;
        case IDOK:
        case ZT_SEL_DLG_OK:
          if (s_fChanged) {
            if (!ParseAndList(dialog)) return TRUE;
            s_fChanged = 0;
          }
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
        case ZT_SEL_DLG_CANCEL:
          ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kDlgSource, "Selection dialog cancelled");
          EndDialog(dialog, 0);
          return TRUE;
      }
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

unsigned CZTTblSelDlg::Dialog(HWND parent) {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  const INT_PTR result = ztTbl32Lib.DispDialogBoxParam(ZT_SEL_DLG, parent, SelDlgProc, reinterpret_cast<LPARAM>(this));
  if (result < 0) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kDlgSource, "Cannot show the selection dialog %u (error %u)",
                      static_cast<unsigned>(ZT_SEL_DLG), static_cast<unsigned>(GetLastError()));
    return 0;
  }
  return static_cast<unsigned>(result);
}
