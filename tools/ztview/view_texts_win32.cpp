#include "view_texts.h"

#include <stdarg.h>

#include "view_ids.h"
#include "zt_tbl32.h"

namespace {
constexpr unsigned kRing = 8;
constexpr unsigned kTextSize = 512;

int Box(unsigned id, unsigned style, va_list args) {
  char format[kTextSize];
  if (!ztTbl32Lib.LoadResString(id, format, sizeof(format))) ztFormat(format, sizeof(format), "<%u>", id);
  char caption[128];
  if (!ztTbl32Lib.LoadResString(ZV_STR_TITLE, caption, sizeof(caption))) ztStrCopy(caption, "ZT View", sizeof(caption));
  return ztTbl32Lib.DispBox(format, caption, style, args);
}
}  // namespace

const char* ViewText(unsigned id) {
  static char ring[kRing][kTextSize];
  static unsigned next = 0;
  char* text = ring[next++ % kRing];
  if (!ztTbl32Lib.LoadResString(id, text, kTextSize)) ztFormat(text, kTextSize, "<%u>", id);
  return text;
}

void ViewFormat(char* buffer, unsigned size, unsigned id, ...) {
  va_list args;
  va_start(args, id);
  ztFormatV(buffer, size, ViewText(id), args, "?");
  va_end(args);
}

void ViewWarn(unsigned id, ...) {
  va_list args;
  va_start(args, id);
  Box(id, MB_OK | MB_ICONWARNING, args);
  va_end(args);
}

void ViewInfo(unsigned id, ...) {
  va_list args;
  va_start(args, id);
  Box(id, MB_OK | MB_ICONINFORMATION, args);
  va_end(args);
}

int ViewAsk(unsigned id, ...) {
  va_list args;
  va_start(args, id);
  const int answer = Box(id, MB_YESNO | MB_ICONQUESTION, args);
  va_end(args);
  return answer == IDYES;
}
