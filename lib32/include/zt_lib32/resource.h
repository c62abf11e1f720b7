// The resource holder of a library object: its own instance handle, its first
// string id, and the language resource library of the current language.
#pragma once

#include "zt_lib32/platform.h"

class ZT_LIB32_API CZTResource {
 public:
  HINSTANCE m_hInstance;          // the library that owns the object (zt_tbl32)
  HINSTANCE m_hResInstance;       // the language resource library
  BOOL m_bResLoaded;              // a language resource library is loaded
  unsigned m_uFirstStringId;      // first of the five own strings (captions, fallbacks)
  char m_szLanguage[8];           // current language identifier ("D", "E")
  char m_szModuleName[MAX_PATH];  // file name of the owning library
  char m_szResPattern[MAX_PATH];  // "zt_tblrc$.dll": '$' stands for the language

  CZTResource();
  virtual ~CZTResource();
  CZTResource(const CZTResource&) = delete;
  CZTResource& operator=(const CZTResource&) = delete;

  // Loads the language resource library of a language, replacing the loaded one
  // only when the new one loaded. int: 1 ok, 0 unknown language (old one stays).
  virtual int LoadResDLL(const char* language);
  virtual void FreeResDLL();

  // The file the pattern names for a language, beside the owning library. int: 1 ok.
  int ResDLLPath(const char* language, char* path, unsigned size) const;
  // A text of the language resource library; its length, 0 when missing.
  unsigned LoadResString(unsigned id, char* buf, unsigned size) const;
  // One of the library's own strings (first string id + index); falls back to the
  // built-in German text when the module has none.
  unsigned LoadOwnString(unsigned index, char* buf, unsigned size) const;
};
