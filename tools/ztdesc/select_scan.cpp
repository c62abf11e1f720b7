#include "select_scan.h"

#include <string.h>

namespace {

// An index leaves records out when it skips blank keys.
bool HoldsEveryRecord(const CZTKeyDesc& key) { return key.m_uOption[ISAM_OPT_SKIP_BLANK] == 0; }

unsigned KeyLength(const CZTTableDesc& table, unsigned index) {
  const CZTKeyDesc& key = table.m_Keys.m_pKeys[index];
  unsigned length = 0;
  for (unsigned p = 0; p < key.m_uPartCount && p < kZTMaxKeyParts; ++p) {
    for (unsigned f = 0; f < table.m_Fields.m_uCount; ++f)
      if (!ztStrICmpAscii(table.m_Fields.m_pFields[f].m_szName, key.m_Part[p].szFieldName))
        length += table.m_Fields.m_pFields[f].m_uLength;
  }
  return length;
}

void PrintKey(FILE* out, const std::vector<char>& key, unsigned length) {
  for (unsigned i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(key[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\')
      fputc(c, out);
    else
      fprintf(out, "\\x%02X", c);
  }
}

}  // namespace

int ZTSelectScan::Prepare(const CZTTableDesc& table, const char* where, unsigned preferredIndex, bool fullScan) {
  if (where && !m_Sel.parse(where, static_cast<unsigned>(strlen(where)))) return 0;
  if (!m_Sel.resolve(&table)) return 0;
  m_bRanged = false;
  // A key is at most four fields long.
  unsigned size = 1;
  for (unsigned f = 0; f < table.m_Fields.m_uCount; ++f) size += table.m_Fields.m_pFields[f].m_uLength;
  m_Low.assign(4 * size, 0);
  m_High.assign(4 * size, 0);
  unsigned index = 0;
  if (!fullScan && m_Sel.keyresolve(&table, &index, m_Low.data(), m_High.data())) {
    m_uIndex = index;
    m_bRanged = true;
    return 1;
  }
  m_uIndex = preferredIndex;
  if (m_uIndex == 0xFFFFFFFFu) {
    m_uIndex = 0;
    for (unsigned k = 0; k < table.m_Keys.m_uCount; ++k) {
      if (HoldsEveryRecord(table.m_Keys.m_pKeys[k])) {
        m_uIndex = k;
        break;
      }
    }
  }
  return 1;
}

unsigned ZTSelectScan::Start(ISAMTABLE table, unsigned flags) const {
  return ISAMSetupIterationLimits(table, m_uIndex, flags, m_bRanged ? m_Low.data() : nullptr,
                                  m_bRanged ? m_High.data() : nullptr);
}

void ZTSelectScan::Explain(FILE* out, const CZTTableDesc& table) const {
  char text[1024];
  m_Sel.edit(text, sizeof(text));
  fprintf(out, "selection: %s\n", text[0] ? text : "(every record)");
  if (!m_bRanged) {
    fprintf(out, "full scan of index %u\n", m_uIndex + 1);
    return;
  }
  const unsigned length = KeyLength(table, m_uIndex);
  fprintf(out, "key range of index %u (%s): low \"", m_uIndex + 1,
          table.m_Keys.m_pKeys[m_uIndex].m_Part[0].szFieldName);
  PrintKey(out, m_Low, length);
  fputs("\", high \"", out);
  PrintKey(out, m_High, length);
  fputs("\"\n", out);
}

unsigned ZTSelectScan::Count(ISAMTABLE handle, const CZTTableDesc& table, unsigned recordSize, unsigned* error) const {
  *error = Start(handle, ISAM_ITER_FORWARD);
  if (*error) return 0xFFFFFFFFu;
  std::vector<unsigned char> record(recordSize ? recordSize : 1);
  unsigned count = 0;
  for (;;) {
    unsigned address = 0;
    const unsigned e = ISAMReadNextRecord(handle, m_uIndex, record.data(), &address, nullptr);
    if (e == ISAM_END_OF_ITERATION) break;
    if (e) {
      *error = e;
      return 0xFFFFFFFFu;
    }
    if (Matches(table, record.data(), recordSize)) ++count;
  }
  return count;
}
