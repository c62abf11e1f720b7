#include "zt_lib32/list_box.h"

#include "list_entries.h"
#include "zt_lib32/library.h"
#include "zt_lib32/strings.h"

unsigned ztListEntryIndex(const ZTListEntry* entries, unsigned count, unsigned value) {
  for (unsigned i = 0; entries && i < count; ++i)
    if (entries[i].value == value) return i;
  return ZT_LIST_NONE;
}

unsigned ztListEntryText(const ZTListEntry* entries, unsigned count, const CZTLibrary* library, unsigned index,
                         char* buf, unsigned size) {
  if (buf && size) buf[0] = '\0';
  if (!entries || index >= count || !library) return 0;
  unsigned n = library->LoadResString(entries[index].stringId, buf, size);
  // Without a language library the list still shows something to choose from.
  if (n == 0) n = ztFormat(buf, size, "%u", entries[index].value);
  return n;
}

unsigned CZTListBox::IndexOfValue(unsigned value) const { return ztListEntryIndex(m_pEntries, m_uCount, value); }

unsigned CZTListBox::GetEntryText(unsigned index, char* buf, unsigned size) const {
  return ztListEntryText(m_pEntries, m_uCount, m_pLibrary, index, buf, size);
}
