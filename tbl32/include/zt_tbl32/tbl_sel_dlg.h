// The selection dialog: edit a selection text, parse it, list its comparisons.
#pragma once

#include "zt_tbl32/frame.h"
#include "zt_tbl32/tbl_sel_desc.h"

class ZT_TBL32_API CZTTblSelDlg {
 public:
  CZTTblSelDesc* m_pSelDesc;  // the selection being edited

  explicit CZTTblSelDlg(CZTTblSelDesc* selDesc) : m_pSelDesc(selDesc) {}

  // Runs the dialog (template 5000); 1 after OK, 0 after Cancel or close.
  unsigned Dialog(HWND parent);
};
