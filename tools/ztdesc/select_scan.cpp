#include "select_scan.h"

#include <string.h>

#include "commands.h"

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

// A key as text: printable bytes as they are, others as \xHH, a run of more
// than three equal ones once with its count ("\x00{17}").
void PrintKey(FILE* out, const char* key, unsigned length) {
  for (unsigned i = 0; i < length;) {
    const unsigned char c = static_cast<unsigned char>(key[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      fputc(c, out);
      ++i;
      continue;
    }
    unsigned run = 1;
    while (i + run < length && static_cast<unsigned char>(key[i + run]) == c) ++run;
    if (run > 3) {
      fprintf(out, "\\x%02X{%u}", c, run);
      i += run;
    } else {
      fprintf(out, "\\x%02X", c);
      ++i;
    }
  }
}

}  // namespace

int ZTSelectScan::Prepare(const CZTTableDesc& table, const char* where, unsigned preferredIndex, bool fullScan) {
  const unsigned boxes = ztdescBoxCount();
  if (where && !m_Sel.parse(where, static_cast<unsigned>(strlen(where)))) {
    // The library fails without a word only where a logical operator ends the
    // text or a parenthesis: the person still learns what is wrong.
    if (ztdescBoxCount() == boxes)
      ztdescFail("the selection \"%s\" cannot be read: a logical operator (UND, ODER, XOR, ...) has nothing after it",
                 ztdescToOutput(where).c_str());
    return 0;
  }
  if (!m_Sel.resolve(&table)) return 0;
  m_bRanged = false;
  m_uRanges = 0;
  // A key is at most four fields long.
  m_uKeySize = 1;
  for (unsigned f = 0; f < table.m_Fields.m_uCount; ++f) m_uKeySize += table.m_Fields.m_pFields[f].m_uLength;
  m_uKeySize *= kZTMaxKeyParts;
  m_Lows.assign(size_t(m_uKeySize) * kZTSelMaxRanges, 0);
  m_Highs.assign(size_t(m_uKeySize) * kZTSelMaxRanges, 0);
  unsigned index = 0;
  const int ranges = fullScan ? 0 : m_Sel.keyranges(&table, &index, m_Lows.data(), m_Highs.data(), m_uKeySize);
  if (ranges > 0) {
    m_uIndex = index;
    m_bRanged = true;
    m_uRanges = static_cast<unsigned>(ranges);
    return 1;
  }
  m_uIndex = preferredIndex;
  if (m_uIndex == kAnyIndex) {
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

unsigned ZTSelectScan::StartRange(ISAMTABLE table) const {
  // Backwards the ranges come last to first.
  const unsigned range = m_uFlags == ISAM_ITER_BACKWARD ? m_uRanges - 1 - m_uStep : m_uStep;
  return ISAMSetupIterationLimits(table, m_uIndex, m_uFlags, Low(range), High(range));
}

unsigned ZTSelectScan::Start(ISAMTABLE table, unsigned flags) {
  m_uFlags = flags;
  m_uStep = 0;
  if (!m_bRanged) return ISAMSetupIterationLimits(table, m_uIndex, flags, nullptr, nullptr);
  return StartRange(table);
}

unsigned ZTSelectScan::ReadNext(ISAMTABLE table, void* record, unsigned* address) {
  for (;;) {
    const unsigned e = ISAMReadNextRecord(table, m_uIndex, record, address, nullptr);
    if (e != ISAM_END_OF_ITERATION || !m_bRanged || m_uStep + 1 >= m_uRanges) return e;
    ++m_uStep;
    if (const unsigned s = StartRange(table)) return s;
  }
}

void ZTSelectScan::Explain(FILE* out, ISAMTABLE handle, const CZTTableDesc& table, bool counting) const {
  char text[1024];
  m_Sel.edit(text, sizeof(text));
  fprintf(out, "selection: %s\n", text[0] ? ztdescToOutput(text).c_str() : "(every record)");
  if (!m_bRanged) {
    if (counting)
      fputs("full scan of the records in stored order\n", out);
    else
      fprintf(out, "full scan of index %u\n", m_uIndex + 1);
    return;
  }
  const unsigned length = KeyLength(table, m_uIndex);
  const bool keysOnly = counting && m_Sel.keyonly(handle, &table, m_uIndex);
  for (unsigned r = 0; r < m_uRanges; ++r) {
    fprintf(out, "key range of index %u (%s): low \"", m_uIndex + 1,
            ztdescToOutput(table.m_Keys.m_pKeys[m_uIndex].m_Part[0].szFieldName).c_str());
    PrintKey(out, Low(r), length);
    fputs("\", high \"", out);
    PrintKey(out, High(r), length);
    fputs(keysOnly ? "\", keys only\n" : "\"\n", out);
  }
}

unsigned ZTSelectScan::Count(ISAMTABLE handle, const CZTTableDesc& table, unsigned* error) const {
  // A count needs no order: without a key range every record is read as stored.
  if (!m_bRanged) {
    unsigned count = 0;
    return m_Sel.countrange(handle, &table, kZTSelStoredOrder, nullptr, nullptr, &count, error) ? count : kCountFailed;
  }
  unsigned total = 0;
  for (unsigned r = 0; r < m_uRanges; ++r) {
    unsigned count = 0;
    if (!m_Sel.countrange(handle, &table, m_uIndex, Low(r), High(r), &count, error)) return kCountFailed;
    total += count;
  }
  return total;
}
