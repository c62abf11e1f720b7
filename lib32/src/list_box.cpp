#include "zt_lib32/list_box.h"

#include "zt_lib32/library.h"
#include "zt_lib32/strings.h"

unsigned CZTListBox::IndexOfValue(unsigned value) const {
  for (unsigned i = 0; i < m_uCount; ++i)
    if (m_pEntries[i].value == value) return i;
  return 0xFFFFFFFFu;
}

unsigned CZTListBox::GetEntryText(unsigned index, char* buf, unsigned size) const {
  if (buf && size) buf[0] = '\0';
  if (index >= m_uCount || !m_pLibrary) return 0;
  unsigned n = m_pLibrary->LoadResString(m_pEntries[index].stringId, buf, size);
  // Without a language library the list still shows something to choose from.
  if (n == 0) n = ztFormat(buf, size, "%u", m_pEntries[index].value);
  return n;
}
