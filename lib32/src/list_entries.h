// Texts and lookups of (value, resource-string id) tables, shared by the list-box
// and combo-box helpers.
#pragma once

#include "zt_lib32/list_box.h"

// Index of the entry with a value; ZT_LIST_NONE when none.
unsigned ztListEntryIndex(const ZTListEntry* entries, unsigned count, unsigned value);
// Text of entry index from the library's language resources (its value in decimal
// when the language library has none); its length.
unsigned ztListEntryText(const ZTListEntry* entries, unsigned count, const CZTLibrary* library, unsigned index,
                         char* buf, unsigned size);
