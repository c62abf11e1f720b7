// Pictures of windows and metafiles written as bitmap files.
#pragma once

#include <windows.h>

// The window as it is on the screen, frame and caption included. int: 1 written.
int ztWriteWindowBitmap(HWND window, const char* path);
// An enhanced metafile drawn at dpi dots per inch on white. int: 1 written.
int ztWriteMetafileBitmap(const char* metafile, unsigned dpi, const char* path);
