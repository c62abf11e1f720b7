// A short name kept together with its upper-case form, for case-free lookups.
#pragma once

#include "zt_tbl32/frame.h"

constexpr unsigned kZTNameMax = 63;

class ZT_TBL32_API CZTName {
 public:
  unsigned m_uLength;  // at most 63
  char m_szName[kZTNameMax + 1];
  char m_szUpper[kZTNameMax + 1];  // the name in upper case (Windows-1252 letters)

  CZTName();
  // A null text clears the name; length 0 takes the text up to its zero byte;
  // longer names are cut to 63 characters.
  void set(const char* text, unsigned length);
};
