#include "frame_util.h"

#include <time.h>

namespace {
bool LocalNow(struct tm* local) {
  const time_t now = time(nullptr);
#if defined(_WIN32)
  return localtime_s(local, &now) == 0;
#else
  return localtime_r(&now, local) != nullptr;
#endif
}
}  // namespace

void ztLocalDateText(char* date, unsigned size) {
  struct tm local = {};
  LocalNow(&local);
  ztFormat(date, size, "%02u.%02u.%04u", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
}

void ztLocalTimeText(char* time, unsigned size) {
  struct tm local = {};
  LocalNow(&local);
  ztFormat(time, size, "%02u:%02u:%02u", local.tm_hour, local.tm_min, local.tm_sec);
}
