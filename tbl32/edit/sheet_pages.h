// The pages of the table property sheet: what each keeps and the behaviour
// they share.
#pragma once

#include "zt_tbl32/grid_def.h"
#include "zt_tbl32/table_desc.h"

// A page's state (one sheet at a time): the table it edits, from the page's
// creation parameter, and the sheet, from its first activation.
struct SZTSheetPage {
  CZTTableDesc* table;
  HWND sheet;
};

// What makes one page: its state, its grid, and what it does on activation and
// on a command (a button or a grid notification).
struct SZTPageType {
  SZTSheetPage* state;
  CGridDef* grid;
  void (*activate)(HWND page);
  void (*command)(HWND page, WPARAM wParam, LPARAM lParam);
};
// The dialog procedure every page runs with its type.
INT_PTR ztSheetPageProc(const SZTPageType& type, HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// Fills a page's grid with count lines, show(line) filling each; an empty table is logged.
void ztSheetFillGrid(CGridDef& grid, unsigned count, void (*show)(unsigned line));

INT_PTR CALLBACK ztFieldsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ztKeysPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ztGalleryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// WM_INITDIALOG: keeps the table, shows the grid's column headers and centres
// the sheet on the screen.
void ztSheetPageInit(HWND page, LPARAM lParam, SZTSheetPage& state, CGridDef& grid);
// WM_NOTIFY of the sheet: activation (the sheet kept, the table's name shown,
// then activate(page)), leaving and applying. true when the notification was
// one of them; *result is the dialog procedure's result then.
bool ztSheetPageNotify(HWND page, LPARAM lParam, SZTSheetPage& state, void (*activate)(HWND page), INT_PTR* result);
// Tells the sheet that the page changed the table.
void ztSheetChanged(const SZTSheetPage& state, HWND page);
