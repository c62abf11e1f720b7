// The library's entry point and the exports that talk to windows.
#include "zt_tbl32/frame.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  ztTbl32Lib.DllMainCall(instance, reason, kTbl32FirstStringId);
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    ztRegisterTbl32Classes(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    ztUnregisterTbl32Classes(instance);
  }
  return TRUE;
}

void ztDispTbl32Version(HWND dialog, unsigned releaseItemId, unsigned buildItemId) {
  if (releaseItemId) SetDlgItemTextA(dialog, int(releaseItemId), "Release 1.00");
  if (buildItemId) SetDlgItemTextA(dialog, int(buildItemId), "Build 0087");
}
