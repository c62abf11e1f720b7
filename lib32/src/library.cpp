#include "zt_lib32/library.h"

#include "zt_lib32/strings.h"

CZTLibrary::CZTLibrary(const char* moduleName, const char* resPattern, const char* defaultLanguage, const char* banner)
    : m_szBanner{}, m_szDefaultLanguage{} {
  ztStrCopy(m_szModuleName, moduleName, sizeof(m_szModuleName));
  ztStrCopy(m_szResPattern, resPattern, sizeof(m_szResPattern));
  ztStrCopy(m_szDefaultLanguage, defaultLanguage, sizeof(m_szDefaultLanguage));
  ztStrCopy(m_szBanner, banner, sizeof(m_szBanner));
  m_pResource = this;
}

CZTLibrary::~CZTLibrary() {}

int CZTLibrary::DllMainCall(HINSTANCE instance, DWORD reason, unsigned firstStringId) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      m_hInstance = instance;
      m_uFirstStringId = firstStringId;
      LoadOwnString(3, m_szCaption, sizeof(m_szCaption));
      if (!m_bResLoaded && m_szDefaultLanguage[0]) LoadResDLL(m_szDefaultLanguage);
      return 1;
    case DLL_PROCESS_DETACH:
      FreeResDLL();
      CloseLog();
      return 1;
    default:
      return 1;
  }
}

int CZTLibrary::SetLanguageId(const char* language) { return LoadResDLL(language); }
