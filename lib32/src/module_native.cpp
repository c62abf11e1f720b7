// Natively a module is a registered table of strings; loading counts references.
#include <string.h>
#include <unistd.h>

#include "zt_lib32/module.h"
#include "zt_lib32/strings.h"

namespace {

struct Slot {
  const ZTNativeModule* module;
  int loads;
};

constexpr unsigned kMaxModules = 32;
Slot g_modules[kMaxModules];
unsigned g_count = 0;

Slot* findByName(const char* path) {
  if (!path) return nullptr;
  const char* name = path + ztFileNameStart(path);
  for (unsigned i = 0; i < g_count; ++i)
    if (ztStrICmp(g_modules[i].module->fileName, name) == 0) return &g_modules[i];
  return nullptr;
}

Slot* findByHandle(HINSTANCE handle) {
  for (unsigned i = 0; i < g_count; ++i)
    if (reinterpret_cast<HINSTANCE>(&g_modules[i]) == handle) return &g_modules[i];
  return nullptr;
}

}  // namespace

void ztRegisterNativeModule(const ZTNativeModule* module) {
  if (!module || findByName(module->fileName) || g_count >= kMaxModules) return;
  g_modules[g_count++] = Slot{module, 0};
}

HINSTANCE ztNativeModuleHandle(const char* fileName) { return reinterpret_cast<HINSTANCE>(findByName(fileName)); }

int ztNativeModuleLoadCount(const char* fileName) {
  Slot* slot = findByName(fileName);
  return slot ? slot->loads : 0;
}

HINSTANCE ztLoadModule(const char* path) {
  Slot* slot = findByName(path);
  if (!slot) return nullptr;
  ++slot->loads;
  return reinterpret_cast<HINSTANCE>(slot);
}

void ztFreeModule(HINSTANCE module) {
  Slot* slot = findByHandle(module);
  if (slot && slot->loads > 0) --slot->loads;
}

int ztModulePath(HINSTANCE module, char* path, unsigned size) {
  if (!module) {
    // The program itself, as GetModuleFileName of no module gives it.
    if (!path || size == 0) return 0;
    path[0] = '\0';
    const ssize_t n = readlink("/proc/self/exe", path, size);
    if (n <= 0 || size_t(n) >= size) {
      path[0] = '\0';
      return 0;
    }
    path[n] = '\0';
    return 1;
  }
  Slot* slot = findByHandle(module);
  if (!slot) return 0;
  ztStrCopy(path, slot->module->fileName, size);
  return 1;
}

unsigned ztLoadString(HINSTANCE module, unsigned id, char* buf, unsigned size) {
  if (buf && size) buf[0] = '\0';
  Slot* slot = findByHandle(module);
  if (!slot || !buf || size == 0) return 0;
  const ZTStringEntry* s = slot->module->strings;
  unsigned lo = 0, hi = slot->module->count;
  while (lo < hi) {
    unsigned mid = (lo + hi) / 2;
    if (s[mid].id < id)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo == slot->module->count || s[lo].id != id) return 0;
  return ztStrCopy(buf, s[lo].text, size);
}
