// The number, decimal and date/time format dialogs that the fields page opens
// on a field's content or display word (exported for the tests only).
#pragma once

#include "zt_tbl32/frame.h"

// Opens the dialog for the word's kind (1 number, 2 date/time, 3 decimal) on a
// copy of the word and stores the copy when the dialog ends with 1 (a changed
// word). int: 1 when the word changed; 0 otherwise, and for other kinds, which
// have no dialog.
ZT_TBL32_API int ztEditFormatWord(HWND owner, unsigned* word);

// The dialog procedures (templates 5330, 5340, 5350); the parameter is the
// address of the word (null ends the dialog at once with 0). OK ends with 1 when
// the word built from its kind and the controls differs (and stores it), else
// with 0; Cancel, Escape and the close box end with 0.
ZT_TBL32_API INT_PTR CALLBACK ztNumberFormatProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
ZT_TBL32_API INT_PTR CALLBACK ztDecimalFormatProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
ZT_TBL32_API INT_PTR CALLBACK ztDateTimeFormatProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
