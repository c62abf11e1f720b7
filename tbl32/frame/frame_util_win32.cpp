#include "frame_util.h"

void ztCentreOnScreen(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r)) return;
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  if (w >= sw || h >= sh) return;
  SetWindowPos(window, nullptr, (sw - w) / 2, (sh - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}
