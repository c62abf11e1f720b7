// File types of interest: a list of file name suffixes, each tied to a check box
// of a dialog, that decides which files a file tree accepts.
#pragma once

#include "zt_tbl32/frame.h"

class CICLName;

// What GetState says about a file name.
enum FILETYPESTATE : unsigned {
  FILETYPE_NONE = 0,          // no suffix of the list (or the name cannot be tested)
  FILETYPE_NOT_SELECTED = 1,  // the suffix is in the list but not wanted
  FILETYPE_SELECTED = 2,      // the suffix is in the list and wanted
};

constexpr unsigned kZTSuffixSize = 10;

struct SZTFileTypeEntry {
  unsigned uUnused;
  unsigned uControlId;      // check box of the entry in the application's dialog
  unsigned char bSelected;  // 1: files with this suffix are wanted
  unsigned char bUnused;
  char szSuffix[kZTSuffixSize];  // upper case, beginning with "."
};

// Filled by the application: the library has no constructor for it.
class ZT_TBL32_API CZTFileType {
 public:
  unsigned m_uCount;
  SZTFileTypeEntry* m_pEntries;

  // The state of the name's suffix (the part from the last "." after the last
  // path separator); length 0: the name ends at its zero byte.
  FILETYPESTATE GetState(const char* name, unsigned length) const;
  FILETYPESTATE GetState(const CICLName* name) const;
  // Sets every entry's check box to its selected state.
  void CheckDlgCtls(HWND dialog) const;
  // Flips the entry of the check box and sets the box; FALSE when no entry has it.
  int ToggleDlgCtl(HWND dialog, unsigned controlId);

 private:
  FILETYPESTATE State(const char* name, unsigned length, unsigned maxSuffix) const;
};
