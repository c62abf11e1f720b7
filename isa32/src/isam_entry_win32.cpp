// The engine's entry point.
#include "isam_library.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    ztIsa32Attach(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    ztIsa32Detach();
  }
  return TRUE;
}
