// The native stand-in for the library's entry point.
#include <stdlib.h>

#include "zt_tbl32/frame.h"

extern const ZTNativeModule ztTblrcModuleD;
extern const ZTNativeModule ztTblrcModuleE;
extern const ZTNativeModule ztTbl32OwnStrings;

namespace {
void nativeDetach() {
  ztTbl32Lib.DllMainCall(ztNativeModuleHandle("zt_tbl32.dll"), DLL_PROCESS_DETACH, kTbl32FirstStringId);
  ztUnregisterTbl32Classes(ztNativeModuleHandle("zt_tbl32.dll"));
}
}  // namespace

int ztTbl32NativeAttach() {
  ztRegisterNativeModule(&ztTbl32OwnStrings);
  ztRegisterNativeModule(&ztTblrcModuleD);
  ztRegisterNativeModule(&ztTblrcModuleE);
  HINSTANCE self = ztNativeModuleHandle("zt_tbl32.dll");
  ztTbl32Lib.DllMainCall(self, DLL_PROCESS_ATTACH, kTbl32FirstStringId);
  ztRegisterTbl32Classes(self);
  atexit(nativeDetach);
  return 1;
}

void ztDispTbl32Version(HWND, unsigned, unsigned) {}

int ztRegisterTbl32Classes(HINSTANCE) { return 1; }
void ztUnregisterTbl32Classes(HINSTANCE) {}
