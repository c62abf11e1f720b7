// The frame of zt_tbl32: the library object, version and language exports, the
// exception classes and the shared record-table allocation.
#pragma once

#include <new>

#include "zt_lib32.h"

#if defined(_WIN32)
#if defined(ZT_TBL32_BUILD)
#define ZT_TBL32_API __declspec(dllexport)
#else
#define ZT_TBL32_API __declspec(dllimport)
#endif
#else
#define ZT_TBL32_API __attribute__((visibility("default")))
#endif

// Thrown by constructors, copy constructors and assignments that cannot allocate.
class ZT_TBL32_API CZTTblErr {};
class ZT_TBL32_API CZTTblFldErr {};

// The one library object: log, error boxes and language texts of zt_tbl32.
extern ZT_TBL32_API CZTLibrary ztTbl32Lib;

// Log levels.
enum : unsigned { ZT_LOG_FAILURE = 0, ZT_LOG_WARNING = 1, ZT_LOG_INFO = 4, ZT_LOG_TRACE = 5 };

// Version of the library: major in the high byte, minor in the low byte.
constexpr unsigned kTbl32Version = 0x0100;
constexpr unsigned kTbl32FirstStringId = 100;

// What lookups (of a table, field, key, entry or file) answer when nothing matches.
constexpr unsigned kZTNotFound = 0xFFFFFFFFu;
// A control id that stands for the window handed over: it is the control itself.
constexpr unsigned kZTSelfControl = 0xFFFFFFFFu;
// The error code of a record-table allocation whose caller reports the failure itself.
constexpr unsigned kZTNoErrorBox = 0xFFFFFFFFu;

extern "C" {
ZT_TBL32_API unsigned ztGetTbl32Version(void);
ZT_TBL32_API void ztDispTbl32Version(HWND dialog, unsigned releaseItemId, unsigned buildItemId);
ZT_TBL32_API int ztSetTbl32Language(const char* language);
// The application's log file for the library (append); int: 1 ok.
ZT_TBL32_API int ztOpenTbl32Log(const char* fileName);
ZT_TBL32_API void ztCloseTbl32Log(void);
ZT_TBL32_API extern char DllVersion[8];
ZT_TBL32_API extern char DllBuild[8];
ZT_TBL32_API extern CZTListBox lbFldTypes;
ZT_TBL32_API extern CZTListBox lbJustTypes;
}

// Registers and unregisters the library's window classes (the grid fills these in).
ZT_TBL32_API int ztRegisterTbl32Classes(HINSTANCE instance);
ZT_TBL32_API void ztUnregisterTbl32Classes(HINSTANCE instance);

// Allocates a record table of count records, constructing each. On failure logs
// under the source, shows error code + 1 with the count unless errorCode is
// kZTNoErrorBox, and returns null.
template <class T>
T* ztAllocRecords(unsigned count, unsigned errorCode, const char* source) {
  T* records = nullptr;
  try {
    records = new (std::nothrow) T[count ? count : 1];
  } catch (const CZTTblErr&) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, source, "Error on allocating %u records of a table", count);
    return nullptr;
  }
  if (!records) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, source, "Not enough free memory to allocate %u table records", count);
    if (errorCode != kZTNoErrorBox) ztTbl32Lib.DispError(errorCode + 1, count);
  }
  return records;
}
