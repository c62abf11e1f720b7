#include "view_settings.h"

#include <stdlib.h>

namespace {
const char kLanguage[] = "Language";
const char kFolder[] = "Folder";
const char kRecent[] = "RecentFile";
}  // namespace

CViewSettings::CViewSettings() {
  m_szFileName[0] = 0;
  ztStrCopy(m_szLanguage, "D", sizeof(m_szLanguage));
  m_szFolder[0] = 0;
}

void CViewSettings::UseDefaultFile() {
  char folder[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("APPDATA", folder, sizeof(folder));
  if (n == 0 || n >= sizeof(folder)) {
    m_szFileName[0] = 0;
    return;
  }
  ztFormat(m_szFileName, sizeof(m_szFileName), "%s\\ztview.cfg", folder);
}

int CViewSettings::Load() {
  if (!m_szFileName[0] || GetFileAttributesA(m_szFileName) == INVALID_FILE_ATTRIBUTES) return 0;
  CZTConfFile conf;
  if (!conf.Read(m_szFileName, 1, 1)) return 0;
  char text[MAX_PATH];
  unsigned length = 0;
  if (conf.GetText(kLanguage, text, sizeof(text), &length) == ZT_CONF_OK && (!strcmp(text, "D") || !strcmp(text, "E")))
    ztStrCopy(m_szLanguage, text, sizeof(m_szLanguage));
  if (conf.GetText(kFolder, text, sizeof(text), &length) == ZT_CONF_OK) ztStrCopy(m_szFolder, text, sizeof(m_szFolder));
  m_Recent.ParseItems(conf, kRecent);
  return 1;
}

int CViewSettings::Save() const {
  if (!m_szFileName[0]) return 0;
  CZTConfFile conf;
  if (!conf.StartEdit(0x10000, 8, 32, 24, 80, 104)) return 0;
  conf.EditComment("ztview settings");
  conf.EditTextLine(kLanguage, m_szLanguage, nullptr);
  if (m_szFolder[0]) conf.EditTextLine(kFolder, m_szFolder, nullptr);
  m_Recent.WriteItems(conf, kRecent);
  return conf.WriteEdit(m_szFileName, 1);
}

void CViewSettings::Remember(const char* fileName) { m_Recent.InsertItem(fileName); }
