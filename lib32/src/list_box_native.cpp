#include "zt_lib32/list_box.h"

// There are no list-box controls natively.
int CZTListBox::Display(HWND, unsigned) { return 0; }
