#include "zt_lib32/log_file.h"

#include <stdio.h>
#include <time.h>

#include <chrono>

#include "zt_lib32/strings.h"

CZTLogFile::CZTLogFile() : m_hLogFile(nullptr), m_uLinesWritten(0) {}

CZTLogFile::~CZTLogFile() { CloseLog(); }

int CZTLogFile::OpenLog(const char* fileName, int append) {
  CloseLog();
  if (!fileName || !*fileName) return 0;
  // Text mode: lines end in CRLF on Windows, LF natively.
  FILE* f = fopen(fileName, append ? "a" : "w");
  if (!f) return 0;
  m_hLogFile = f;
  return 1;
}

void CZTLogFile::CloseLog() {
  if (!m_hLogFile) return;
  fclose(static_cast<FILE*>(m_hLogFile));
  m_hLogFile = nullptr;
}

void CZTLogFile::WriteLog(unsigned level, const char* source, const char* text) {
  if (!m_hLogFile) return;
  using namespace std::chrono;
  auto now = system_clock::now();
  time_t secs = system_clock::to_time_t(now);
  unsigned millis = unsigned(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  struct tm local {};
#ifdef _WIN32
  localtime_s(&local, &secs);
#else
  localtime_r(&secs, &local);
#endif
  char stamp[32];
  ztFormat(stamp, sizeof(stamp), "%04u-%02u-%02u %02u:%02u:%02u.%03u", unsigned(local.tm_year + 1900),
           unsigned(local.tm_mon + 1), unsigned(local.tm_mday), unsigned(local.tm_hour), unsigned(local.tm_min),
           unsigned(local.tm_sec), millis);
  FILE* f = static_cast<FILE*>(m_hLogFile);
  fprintf(f, "%s %u %s: %s\n", stamp, level, source ? source : "", text ? text : "");
  fflush(f);
  ++m_uLinesWritten;
}

void CZTLogFile::PrtVALog(unsigned level, const char* source, const char* format, va_list args) {
  if (!m_hLogFile) return;
  char text[2048];
  ztFormatV(text, sizeof(text), format, args, "<?>");
  WriteLog(level, source, text);
}
