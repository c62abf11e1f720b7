// Registration of the library's window classes: the ASCII grid, the list
// pop-up and the UNICODE grid, in that order; unregistered in reverse.
#include "grid_codes.h"
#include "list_box_parent.h"
#include "zt_tbl32/grid_view.h"

namespace {

// A failed registration: 1410 (the class exists) is accepted and ends the
// registration as a success; any other error is shown. int: 1 ok.
int RegistrationFailed(const char* format, const char* name, unsigned code) {
  const unsigned error = unsigned(GetLastError());
  ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, format, error, name);
  if (error == ERROR_CLASS_ALREADY_EXISTS) return 1;
  ztTbl32Lib.DispError(code, name, error);
  return 0;
}

}  // namespace

int ztRegisterTbl32Classes(HINSTANCE instance) {
  WNDCLASSA grid = {};
  grid.style = CS_GLOBALCLASS;
  grid.lpfnWndProc = CGridView::WndProc;
  grid.cbWndExtra = sizeof(LONG_PTR);
  grid.hInstance = instance;
  grid.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  grid.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  grid.lpszClassName = kGridClassName;
  if (!RegisterClassA(&grid))
    return RegistrationFailed("Error %u on registering the ASCII grid window class %s", kGridClassName,
                              ZT_ERR_GRID_REGISTER);

  WNDCLASSA list = grid;
  list.lpfnWndProc = CListBoxParent::WndProc;
  list.lpszClassName = kListBoxParentClassName;
  if (!RegisterClassA(&list))
    return RegistrationFailed("Error %u on register the listbox parent window class %s", kListBoxParentClassName,
                              ZT_ERR_LISTPARENT_REGISTER);

  WNDCLASSW wide = {};
  wide.style = CS_GLOBALCLASS;
  wide.lpfnWndProc = CGridView::WndProc;
  wide.cbWndExtra = sizeof(LONG_PTR);
  wide.hInstance = instance;
  wide.hCursor = grid.hCursor;
  wide.hbrBackground = grid.hbrBackground;
  wide.lpszClassName = kGridClassNameW;
  if (!RegisterClassW(&wide))
    return RegistrationFailed("Error %u on registering the UNICODE grid window class %s", "CZTGridView32W",
                              ZT_ERR_GRID_REGISTER);
  return 1;
}

void ztUnregisterTbl32Classes(HINSTANCE instance) {
  UnregisterClassA(kListBoxParentClassName, instance);
  UnregisterClassW(kGridClassNameW, instance);
  UnregisterClassA(kGridClassName, instance);
}
