#include "zt_lib32/resource.h"

#include "zt_lib32/module.h"
#include "zt_lib32/strings.h"

namespace {

// Used when the library's own module has no such string (German, like the
// library's own string table).
const char* const kOwnFallback[5] = {
    "Fehler (Fehlercode = %u)",
    "Meldung (Meldungscode = %u)",
    "Der Text zu diesem Fehler oder dieser Meldung existiert nicht.",
    "Fehlermeldung",
    "<Substitutionsfehler>",
};

// A language identifier is a short name of letters and digits, never a path.
bool validLanguage(const char* language) {
  if (!language || !*language) return false;
  unsigned n = 0;
  for (; language[n]; ++n) {
    char c = language[n];
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok || n >= 7) return false;
  }
  return true;
}

}  // namespace

CZTResource::CZTResource()
    : m_hInstance(nullptr),
      m_hResInstance(nullptr),
      m_bResLoaded(FALSE),
      m_uFirstStringId(100),
      m_szLanguage{},
      m_szModuleName{},
      m_szResPattern{} {}

CZTResource::~CZTResource() { FreeResDLL(); }

int CZTResource::ResDLLPath(const char* language, char* path, unsigned size) const {
  if (!path || size == 0) return 0;
  path[0] = '\0';
  if (!validLanguage(language) || !m_szResPattern[0]) return 0;
  // The directory of the owning module, when it is known.
  char dir[MAX_PATH] = "";
  if (m_hInstance && ztModulePath(m_hInstance, dir, sizeof(dir))) dir[ztFileNameStart(dir)] = '\0';
  char name[MAX_PATH];
  unsigned n = 0;
  for (const char* p = m_szResPattern; *p && n + 1 < sizeof(name); ++p) {
    if (*p == '$') {
      for (const char* l = language; *l && n + 1 < sizeof(name); ++l) name[n++] = *l;
    } else {
      name[n++] = *p;
    }
  }
  name[n] = '\0';
  unsigned len = ztStrCopy(path, dir, size);
  unsigned total = len + ztStrCopy(path + len, name, size - len);
  return total == len + n ? 1 : 0;
}

int CZTResource::LoadResDLL(const char* language) {
  char path[MAX_PATH];
  if (!ResDLLPath(language, path, sizeof(path))) return 0;
  HINSTANCE h = ztLoadModule(path);
  if (!h) return 0;
  FreeResDLL();
  m_hResInstance = h;
  m_bResLoaded = TRUE;
  ztStrCopy(m_szLanguage, language, sizeof(m_szLanguage));
  return 1;
}

void CZTResource::FreeResDLL() {
  if (m_bResLoaded && m_hResInstance) ztFreeModule(m_hResInstance);
  m_hResInstance = nullptr;
  m_bResLoaded = FALSE;
}

unsigned CZTResource::LoadResString(unsigned id, char* buf, unsigned size) const {
  if (buf && size) buf[0] = '\0';
  if (!m_bResLoaded) return 0;
  return ztLoadString(m_hResInstance, id, buf, size);
}

unsigned CZTResource::LoadOwnString(unsigned index, char* buf, unsigned size) const {
  unsigned n = ztLoadString(m_hInstance, m_uFirstStringId + index, buf, size);
  if (n == 0 && index < 5) n = ztStrCopy(buf, kOwnFallback[index], size);
  return n;
}
