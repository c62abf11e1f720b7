// Modules and their string resources, the same way in both builds.
//
// On Windows these are LoadLibraryA, FreeLibrary and LoadStringA. Natively a
// "module" is a table of strings compiled into the program and registered by
// file name; loading one counts a reference so that tests can see every load
// freed exactly once.
#pragma once

#include "zt_lib32/platform.h"

struct ZTStringEntry {
  unsigned id;
  const char* text;  // Windows-1252
};

struct ZTNativeModule {
  const char* fileName;          // "zt_tblrcD.dll"
  const ZTStringEntry* strings;  // sorted by id
  unsigned count;
};

// Natively: makes a module known by its file name (kept by pointer). No-op on Windows.
ZT_LIB32_API void ztRegisterNativeModule(const ZTNativeModule* module);
// Natively: the handle of a registered module without loading it (its own instance).
ZT_LIB32_API HINSTANCE ztNativeModuleHandle(const char* fileName);
// Natively: how many loads of the module are not freed yet.
ZT_LIB32_API int ztNativeModuleLoadCount(const char* fileName);

// Loads a module by path (natively only the file-name part counts); null when missing.
ZT_LIB32_API HINSTANCE ztLoadModule(const char* path);
ZT_LIB32_API void ztFreeModule(HINSTANCE module);
// The full path of a loaded module (Windows) or its file name (natively); a null
// module: the program's own file. int: 1 ok.
ZT_LIB32_API int ztModulePath(HINSTANCE module, char* path, unsigned size);
// The string resource id of a module into buf; the length, 0 when there is none.
ZT_LIB32_API unsigned ztLoadString(HINSTANCE module, unsigned id, char* buf, unsigned size);
