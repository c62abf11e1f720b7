// Small helpers shared by the subsystems: the local date and time as print
// headers show them, and centring a dialog on the screen.
#pragma once

#include "zt_tbl32/frame.h"

// The current local date as "DD.MM.YYYY" (10 characters) and time as
// "HH:MM:SS" (8 characters); the buffers hold at least 11 and 9 characters.
void ztLocalDateText(char* date, unsigned size);
void ztLocalTimeText(char* time, unsigned size);

// Moves a window to the middle of the screen when it fits there in both directions.
void ztCentreOnScreen(HWND window);
