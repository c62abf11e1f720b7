// A text file loaded whole into memory and split into lines.
#pragma once

#include "zt_lib32/platform.h"

class ZT_LIB32_API CZTFile {
 public:
  char m_szFileName[MAX_PATH];  // name of the file read (used in messages)

  CZTFile();
  virtual ~CZTFile();
  CZTFile(const CZTFile&) = delete;
  CZTFile& operator=(const CZTFile&) = delete;
};
