// The library object: one per library, combining log file, resource holder and
// error reporter.
#pragma once

#include "zt_lib32/error.h"
#include "zt_lib32/log_file.h"
#include "zt_lib32/resource.h"

class ZT_LIB32_API CZTLibrary : public virtual CZTLogFile, public virtual CZTResource, public virtual CZTError {
 public:
  char m_szBanner[128];
  char m_szDefaultLanguage[8];

  CZTLibrary(const char* moduleName, const char* resPattern, const char* defaultLanguage, const char* banner);
  ~CZTLibrary() override;

  // The library's entry point hands every call here. Attach: keeps the instance
  // and first own string id, loads the default language; detach: frees the
  // language library and closes the log.
  int DllMainCall(HINSTANCE instance, DWORD reason, unsigned firstStringId);
  // int: 1 when the language was set; 0 for an unknown language (the old stays).
  int SetLanguageId(const char* language);
  // Runs a modal dialog of the language resource library; its end code, or -1.
  INT_PTR DispDialogBoxParam(unsigned templateId, HWND parent, DLGPROC proc, LPARAM param);
};
