// The list pop-up of the grid's in-place list: a pop-up window of class
// "CZTListBoxParent" that holds one list box, passes the parent's list messages
// on to it and sends the list box's notifications on to the grid.
#pragma once

#include "zt_tbl32/grid_view.h"

class CListBoxParent {
 public:
  HWND m_hWnd = nullptr;   // the pop-up
  HWND m_hGrid = nullptr;  // the grid that opened it
  HWND m_hList = nullptr;  // the list box
  CGridView* m_pGrid = nullptr;
  WNDPROC m_pfnSavedListProc = nullptr;

  static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT OnCreate(HWND window, const CREATESTRUCTA* create);
};
