#include "zt_tbl32/file_type.h"

#include <string.h>

#include "browse_codes.h"
#include "zt_icl32.h"

namespace {

// Longest suffix, terminator included, of a plain name and of a name object.
constexpr unsigned kMaxSuffix = 33;
constexpr unsigned kMaxObjectSuffix = 65;

}  // namespace

FILETYPESTATE CZTFileType::GetState(const char* name, unsigned length) const {
  if (!name) return FILETYPE_NONE;
  return State(name, length ? length : static_cast<unsigned>(strlen(name)), kMaxSuffix);
}

FILETYPESTATE CZTFileType::GetState(const CICLName* name) const {
  if (!name) return FILETYPE_NONE;
  const unsigned length = static_cast<unsigned>(strnlen(name->m_szFileName, sizeof(name->m_szFileName)));
  return State(name->m_szFileName, length, kMaxObjectSuffix);
}

FILETYPESTATE CZTFileType::State(const char* name, unsigned length, unsigned maxSuffix) const {
  unsigned dot = length;
  for (unsigned i = length; i-- > 0;) {
    if (name[i] == '\\' || name[i] == '/') break;
    if (name[i] == '.') {
      dot = i;
      break;
    }
  }
  if (dot == length) return FILETYPE_NONE;
  const unsigned suffixSize = length - dot + 1;  // with the terminator
  if (suffixSize > maxSuffix) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcFileType, "IsOfType: cbName = %u, cbSuffix = %u", length, suffixSize);
    return FILETYPE_NONE;
  }
  // An entry's suffix fills at most its 10 bytes: a longer one is in no entry.
  if (suffixSize > kZTSuffixSize + 1 || !m_pEntries) return FILETYPE_NONE;
  char suffix[kZTSuffixSize + 1];
  for (unsigned i = 0; i + 1 < suffixSize; ++i)
    suffix[i] = static_cast<char>(ztToUpper(static_cast<unsigned char>(name[dot + i])));
  suffix[suffixSize - 1] = '\0';
  for (unsigned e = 0; e < m_uCount; ++e) {
    const char* entry = m_pEntries[e].szSuffix;
    // Equal up to the terminator, or over all 10 bytes of an entry without one.
    const unsigned n = suffixSize - 1;
    if (memcmp(entry, suffix, n) == 0 && (n == kZTSuffixSize || entry[n] == '\0'))
      return m_pEntries[e].bSelected ? FILETYPE_SELECTED : FILETYPE_NOT_SELECTED;
  }
  return FILETYPE_NONE;
}

void CZTFileType::CheckDlgCtls(HWND dialog) const {
  for (unsigned e = 0; m_pEntries && e < m_uCount; ++e)
    CheckDlgButton(dialog, m_pEntries[e].uControlId, m_pEntries[e].bSelected ? BST_CHECKED : BST_UNCHECKED);
}

int CZTFileType::ToggleDlgCtl(HWND dialog, unsigned controlId) {
  for (unsigned e = 0; m_pEntries && e < m_uCount; ++e) {
    SZTFileTypeEntry& entry = m_pEntries[e];
    if (entry.uControlId != controlId) continue;
    entry.bSelected = entry.bSelected ? 0 : 1;
    CheckDlgButton(dialog, controlId, entry.bSelected ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
  }
  return FALSE;
}
