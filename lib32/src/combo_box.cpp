#include "zt_lib32/combo_box.h"

#include "list_entries.h"

unsigned CZTComboBox::IndexOfValue(unsigned value) const { return ztListEntryIndex(m_pEntries, m_uCount, value); }

unsigned CZTComboBox::GetEntryText(unsigned index, char* buf, unsigned size) const {
  return ztListEntryText(m_pEntries, m_uCount, m_pLibrary, index, buf, size);
}
