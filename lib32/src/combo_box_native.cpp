#include "zt_lib32/combo_box.h"

// There are no combo-box controls natively.
int CZTComboBox::Display(HWND, unsigned) { return 0; }
int CZTComboBox::Select(HWND, unsigned, unsigned*) { return 0; }
