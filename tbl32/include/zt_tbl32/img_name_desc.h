// One image file name definition of a table's gallery.
#pragma once

#include "zt_tbl32/frame.h"

constexpr unsigned kZTImgNameSize = 512;

class ZT_TBL32_API CZTImgNameDesc {
 public:
  unsigned m_uLength;  // characters delivered by the reader
  char m_szText[kZTImgNameSize];

  CZTImgNameDesc();
  // Reads the next line of the keyword; a reader error leaves the record empty.
  // Always 1.
  int ReadDef(CZTConfFile& conf, const char* keyword, unsigned number);
};
