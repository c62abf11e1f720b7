// The save-file dialog that asks for the name of a new ISAM file.
#include "zt_tbl32/file_desc.h"

#include <commdlg.h>

int ztDefaultSaveFileDialog(HWND owner, char* name, unsigned size) {
  // Filter pairs, each part terminated, the list by an empty part.
  static const char kFilter[] = "ISAM-Dateien\0*.isa\0Alle Dateien\0*.*\0";
  char fileName[MAX_PATH] = "";
  char fileTitle[MAX_PATH] = "";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = kFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = fileName;
  ofn.nMaxFile = sizeof(fileName);
  ofn.lpstrFileTitle = fileTitle;
  ofn.nMaxFileTitle = sizeof(fileTitle);
  ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameA(&ofn)) return 0;
  ztStrCopy(name, fileName, size);
  return 1;
}
