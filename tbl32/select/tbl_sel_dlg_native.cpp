#include "zt_tbl32/tbl_sel_dlg.h"

// There are no dialogs natively.
unsigned CZTTblSelDlg::Dialog(HWND) { return 0; }
