#include "zt_lib32/module.h"
#include "zt_lib32/strings.h"

void ztRegisterNativeModule(const ZTNativeModule*) {}
HINSTANCE ztNativeModuleHandle(const char*) { return nullptr; }
int ztNativeModuleLoadCount(const char*) { return 0; }

HINSTANCE ztLoadModule(const char* path) {
  if (!path || !*path) return nullptr;
  // A missing language library must not bring up the system's error dialog.
  UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HINSTANCE h = LoadLibraryA(path);
  SetErrorMode(old);
  return h;
}

void ztFreeModule(HINSTANCE module) {
  if (module) FreeLibrary(module);
}

int ztModulePath(HINSTANCE module, char* path, unsigned size) {
  if (!path || size == 0) return 0;
  DWORD n = GetModuleFileNameA(module, path, size);
  if (n == 0 || n >= size) {
    path[0] = '\0';
    return 0;
  }
  return 1;
}

unsigned ztLoadString(HINSTANCE module, unsigned id, char* buf, unsigned size) {
  if (!buf || size == 0) return 0;
  buf[0] = '\0';
  if (!module) return 0;
  int n = LoadStringA(module, id, buf, int(size));
  return n > 0 ? unsigned(n) : 0;
}
