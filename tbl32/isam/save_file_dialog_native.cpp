// Natively there is no save-file dialog: without a name given or a dialog
// installed, creation is cancelled.
#include "zt_tbl32/file_desc.h"

int ztDefaultSaveFileDialog(HWND, char* name, unsigned size) {
  if (name && size) name[0] = 0;
  return 0;
}
