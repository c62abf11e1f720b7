#include <windows.h>

#include "sqlite_library.h"
#include "zt_tbl32.h"

namespace {

const char kDllName[] = "sqlite3.dll";

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function* function, char* message, unsigned size) {
  FARPROC address = GetProcAddress(module, name);
  if (!address) {
    ztFormat(message, size, "%s has no function %s: it is not a usable SQLite 3 library", kDllName, name);
    return false;
  }
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
  return true;
}

}  // namespace

const ZTSqliteApi* ztSqliteApi(char* message, unsigned size) {
  static ZTSqliteApi api;
  static bool loaded = false;
  if (loaded) return &api;
  // The usual search: beside ztdesc.exe first, then the system's folders and the PATH.
  HMODULE module = LoadLibraryA(kDllName);
  if (!module) {
    ztFormat(message, size,
             "this command needs the SQLite library %s (32-bit), beside ztdesc.exe or in a folder on the PATH; "
             "it was not found (error %u)",
             kDllName, (unsigned)GetLastError());
    return nullptr;
  }
  ZTSqliteApi found;
  if (!Resolve(module, "sqlite3_open_v2", &found.open_v2, message, size) ||
      !Resolve(module, "sqlite3_close", &found.close, message, size) ||
      !Resolve(module, "sqlite3_exec", &found.exec, message, size) ||
      !Resolve(module, "sqlite3_errmsg", &found.errmsg, message, size) ||
      !Resolve(module, "sqlite3_prepare_v2", &found.prepare_v2, message, size) ||
      !Resolve(module, "sqlite3_bind_int64", &found.bind_int64, message, size) ||
      !Resolve(module, "sqlite3_bind_double", &found.bind_double, message, size) ||
      !Resolve(module, "sqlite3_bind_text", &found.bind_text, message, size) ||
      !Resolve(module, "sqlite3_bind_null", &found.bind_null, message, size) ||
      !Resolve(module, "sqlite3_step", &found.step, message, size) ||
      !Resolve(module, "sqlite3_reset", &found.reset, message, size) ||
      !Resolve(module, "sqlite3_finalize", &found.finalize, message, size) ||
      !Resolve(module, "sqlite3_libversion", &found.libversion, message, size)) {
    FreeLibrary(module);
    return nullptr;
  }
  api = found;
  loaded = true;  // kept loaded for the rest of the run
  return &api;
}
