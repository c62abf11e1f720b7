// System error texts from the C library.
#include <string.h>

#include "zt_lib32/strings.h"
#include "zt_lib32/system_error.h"

namespace {
// strerror_r comes in two shapes; both are handled by overload.
[[maybe_unused]] const char* pick(int result, const char* buffer) { return result == 0 ? buffer : nullptr; }
[[maybe_unused]] const char* pick(const char* result, const char*) { return result; }
}  // namespace

const char* ztSystemErrorText(unsigned code, char* text, unsigned size) {
  if (!text || !size) return text;
  char buffer[256] = "";
  const char* found = pick(strerror_r(static_cast<int>(code), buffer, sizeof(buffer)), buffer);
  if (!found || !*found || !strncmp(found, "Unknown error", 13))
    ztFormat(text, size, "error %u", code);
  else
    ztStrCopy(text, found, size);
  return text;
}
