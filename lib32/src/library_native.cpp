#include "zt_lib32/library.h"

// There are no dialogs natively.
INT_PTR CZTLibrary::DispDialogBoxParam(unsigned, HWND, DLGPROC, LPARAM) { return -1; }
