// System error texts from FormatMessageA.
#include <windows.h>

#include "zt_lib32/strings.h"
#include "zt_lib32/system_error.h"

const char* ztSystemErrorText(unsigned code, char* text, unsigned size) {
  if (!text || !size) return text;
  char buffer[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                           sizeof(buffer), nullptr);
  while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == ' ' || buffer[n - 1] == '.')) --n;
  if (n == 0) {
    ztFormat(text, size, "error %u", code);
    return text;
  }
  ztStrCopyN(text, buffer, n, size);
  return text;
}
