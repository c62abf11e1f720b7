// The side pane: a tree view over a chosen folder that shows its subfolders and
// only the description and ISAM files in them (CZTFileTree with CZTFileType).
#pragma once

#include "zt_tbl32.h"

class CViewSidePane {
 public:
  HWND m_hWnd;  // the tree view
  CZTFileTree m_Tree;

  CViewSidePane();
  CViewSidePane(const CViewSidePane&) = delete;
  CViewSidePane& operator=(const CViewSidePane&) = delete;

  int Create(HWND parent, unsigned id);
  // Scans the folder and shows it; an unreadable folder gives a box and leaves
  // the pane empty. int: 1 ok.
  int Fill(const char* folder);
  // The full path of the file an item stands for; false for a folder item.
  bool FileOf(HTREEITEM item, char* path, unsigned size) const;
  // The item of a file shown (by full path, case ignored); null when absent.
  HTREEITEM FindFile(const char* path) const;
  unsigned FileCount() const { return m_Tree.m_uAccepted; }

 private:
  SZTFileTypeEntry m_Types[2];
  CZTFileType m_Filter;
};
