// Image-name helper: the name of an image file built from a pattern and a number.
#pragma once

#include "zt_lib32/platform.h"

#if defined(_WIN32)
#if defined(ZT_ICL32_BUILD)
#define ZT_ICL32_API __declspec(dllexport)
#else
#define ZT_ICL32_API __declspec(dllimport)
#endif
#else
#define ZT_ICL32_API __attribute__((visibility("default")))
#endif

class ZT_ICL32_API CICLName {
 public:
  char m_szName[16];     // short form of the file-name part (bytes 0-15)
  DWORD m_dwNumberLow;   // image number, low word (byte offset 16)
  DWORD m_dwNumberHigh;  // image number, high word (byte offset 20)
  char m_szFileName[MAX_PATH];
  unsigned m_uFileNameLength;

  CICLName();
  // Sets the file-name part; int: 1 ok, 0 when the name does not fit.
  int SetFileName(const char* name, unsigned length);
  // The 64-bit image number stored in the two public words.
  unsigned long long GetNumber() const {
    return (static_cast<unsigned long long>(m_dwNumberHigh) << 32) | m_dwNumberLow;
  }
};
