// The log file of a library object.
//
// Line format (one line per call, CRLF on Windows, LF natively):
//   2026-12-07 23:15:02.123 L source: text
// with L the level digit (0 failure, 1 warning, 4 information, 5 trace).
#pragma once

#include <stdarg.h>

#include "zt_lib32/platform.h"

class ZT_LIB32_API CZTLogFile {
 public:
  // Non-zero exactly while a log file is open: callers test it before formatting.
  void* m_hLogFile;
  unsigned m_uLinesWritten;

  CZTLogFile();
  virtual ~CZTLogFile();
  CZTLogFile(const CZTLogFile&) = delete;
  CZTLogFile& operator=(const CZTLogFile&) = delete;

  // Opens (append = 1: appends to) the log file; closes an open one first. int: 1 ok.
  int OpenLog(const char* fileName, int append = 1);
  void CloseLog();
  int IsLogOpen() const { return m_hLogFile != nullptr; }

  void WriteLog(unsigned level, const char* source, const char* text);
  void PrtVALog(unsigned level, const char* source, const char* format, va_list args);

  // Formats only when a log is open, so no argument is touched otherwise.
  void PrtLog(unsigned level, const char* source, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 4, 5)))
#endif
  {
    if (!m_hLogFile) return;
    va_list args;
    va_start(args, format);
    PrtVALog(level, source, format, args);
    va_end(args);
  }
};
