#include "frame_util.h"

// There are no windows natively.
void ztCentreOnScreen(HWND) {}
