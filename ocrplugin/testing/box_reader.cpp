#include "box_reader.h"

#include <string.h>

CBoxReader* CBoxReader::active_ = nullptr;

CBoxReader::CBoxReader() {
  active_ = this;
  hook_ = SetWindowsHookExA(WH_CBT, HookProc, nullptr, GetCurrentThreadId());
}

CBoxReader::~CBoxReader() {
  if (hook_) UnhookWindowsHookEx(hook_);
  active_ = nullptr;
}

BOOL CALLBACK CBoxReader::ReadChild(HWND child, LPARAM lParam) {
  SBoxSeen& box = *reinterpret_cast<SBoxSeen*>(lParam);
  char className[64] = {};
  GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Button") == 0) {
    box.buttons.push_back(GetDlgCtrlID(child));
  } else if (lstrcmpiA(className, "Static") == 0) {
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      box.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    } else {
      char text[1100] = {};
      GetWindowTextA(child, text, sizeof text);
      if (text[0]) box.text = text;
    }
  }
  return TRUE;
}

LRESULT CALLBACK CBoxReader::HookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && active_) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "#32770") == 0) {
      SBoxSeen box;
      char caption[256] = {};
      GetWindowTextA(window, caption, sizeof caption);
      box.caption = caption;
      box.owner = GetWindow(window, GW_OWNER);
      EnumChildWindows(window, ReadChild, reinterpret_cast<LPARAM>(&box));
      active_->boxes_.push_back(box);
      PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(active_ ? active_->hook_ : nullptr, code, wParam, lParam);
}
