// The print preview: the pages the print object wrote as enhanced metafiles,
// one at a time in a window of their own, scaled to fit; Page Down and Page Up
// turn the pages, Escape closes.
#pragma once

#include <string>
#include <vector>

#include "zt_tbl32.h"

class CViewPreview {
 public:
  HWND m_hWnd;
  std::vector<std::string> m_Pages;  // metafile of each page
  unsigned m_uPage;                  // the page shown, from 0

  CViewPreview();
  ~CViewPreview();
  CViewPreview(const CViewPreview&) = delete;
  CViewPreview& operator=(const CViewPreview&) = delete;

  // Prints the field list and the key list of the table into metafiles in the
  // temporary folder and shows them. int: 1 shown.
  int Show(HWND owner, const CZTTableDesc& table, const char* title);
  void Close();
  void Turn(int pages);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc, const RECT& area) const;
  // Prints one list into metafiles "<stem>-1.emf", ... and appends their names.
  bool PrintInto(const std::string& stem, bool keys, const CZTTableDesc& table, HWND owner);
};
