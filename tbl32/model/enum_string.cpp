#include "zt_tbl32/enum_string.h"

#include <string.h>

namespace {

SEnumEntry kCompOperators[] = {{0, "="}, {0, "=="}, {1, "!="}, {1, "<>"}, {6, "<"}, {7, "<="}, {4, ">"}, {5, ">="}};
SEnumEntry kLogicOperators[] = {{0, "ODER"}, {0, "OR"}, {0, "||"},  {2, "UND"},
                                {2, "AND"},  {2, "&&"}, {1, "XOR"}, {1, "^^"}};

// Byte order of the names (unsigned), over at most count bytes.
int CompareName(const char* a, const char* b, unsigned count) {
  for (unsigned i = 0; i < count; ++i) {
    const unsigned char ca = (unsigned char)a[i], cb = (unsigned char)b[i];
    if (ca != cb) return ca < cb ? -1 : 1;
    if (!ca) return 0;
  }
  return 0;
}

}  // namespace

CEnumString ztCompOperators = {sizeof(kCompOperators) / sizeof(kCompOperators[0]), kCompOperators};
CEnumString ztLogicOperators = {sizeof(kLogicOperators) / sizeof(kLogicOperators[0]), kLogicOperators};

unsigned CEnumString::FindUpper(const char* key, unsigned length) const {
  if (!key || !m_pEntries || m_uCount == 0) return kZTNotFound;
  if (length == 0) length = unsigned(strnlen(key, sizeof(SEnumEntry::name)));
  // A name holds at most 31 characters and its terminator.
  if (length == 0 || length >= sizeof(SEnumEntry::name)) return kZTNotFound;
  unsigned low = 0, high = m_uCount;
  while (low < high) {
    const unsigned mid = (low + high) / 2;
    const int r = CompareName(key, m_pEntries[mid].name, length + 1);
    if (r == 0) return m_pEntries[mid].value;
    if (r < 0)
      high = mid;
    else
      low = mid + 1;
  }
  return kZTNotFound;
}

unsigned CEnumString::FindLower(const char* key, unsigned length) const {
  if (!key) return kZTNotFound;
  char copy[33];
  const unsigned n = ztStrCopyN(copy, key, length ? length : 32, sizeof(copy));
  for (unsigned i = 0; i < n; ++i) copy[i] = (char)ztToLower((unsigned char)copy[i]);
  return FindUpper(copy, n);
}

unsigned CEnumString::FindString(const char* key, unsigned length) const {
  if (!key) return kZTNotFound;
  char copy[33];
  const unsigned n = ztStrCopyN(copy, key, length ? length : 32, sizeof(copy));
  for (unsigned i = 0; i < n; ++i) copy[i] = (char)ztToUpper((unsigned char)copy[i]);
  return FindUpper(copy, n);
}

const char* CEnumString::GetString(unsigned value) const {
  for (unsigned i = 0; m_pEntries && i < m_uCount; ++i)
    if (m_pEntries[i].value == value) return m_pEntries[i].name;
  return nullptr;
}

unsigned CEnumString::GetIndex(unsigned index) const {
  return m_pEntries && index < m_uCount ? m_pEntries[index].value : kZTNotFound;
}

void CEnumString::SortTable() {
  // Insertion sort: the tables are tiny and this allocates nothing.
  for (unsigned i = 1; m_pEntries && i < m_uCount; ++i) {
    const SEnumEntry entry = m_pEntries[i];
    unsigned j = i;
    for (; j > 0 && CompareName(entry.name, m_pEntries[j - 1].name, sizeof(entry.name)) < 0; --j)
      m_pEntries[j] = m_pEntries[j - 1];
    m_pEntries[j] = entry;
  }
}
