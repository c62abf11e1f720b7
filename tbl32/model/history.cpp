#include "zt_tbl32/history.h"

#include <string.h>

namespace {
const char kSource[] = "CZTHistory";
}

CZTHistory::CZTHistory() : m_hComboBox(nullptr), m_uCount(0) {
  for (auto& item : m_szItems) item[0] = 0;
}

int CZTHistory::ParseItems(CZTConfFile& conf, const char* keyword) {
  conf.StartRange();
  m_uCount = 0;
  char buffer[512];
  unsigned length = 0;
  while (m_uCount < kZTHistoryMax && conf.GetText(keyword, buffer, sizeof(buffer), &length) == 0)
    ztStrCopy(m_szItems[m_uCount++], buffer, kZTHistoryTextSize);
  conf.EndRange();
  return 1;
}

int CZTHistory::WriteItems(CZTConfFile& conf, const char* keyword) const {
  for (unsigned i = 0; i < m_uCount; ++i) conf.EditTextLine(keyword, m_szItems[i], nullptr);
  if (m_uCount) conf.EditComment("");
  return 1;
}

unsigned CZTHistory::InsertItem(const char* text) {
  if (!text || !text[0]) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSource, "Cannot insert empty item text.");
    return m_uCount;
  }
  char item[kZTHistoryTextSize];
  ztStrCopy(item, text, sizeof(item));
  unsigned found = m_uCount;
  for (unsigned j = 0; j < m_uCount; ++j)
    if (!ztStrICmp(m_szItems[j], item)) {
      found = j;
      break;
    }
  unsigned shift;  // entries 0..shift-1 move down by one
  if (found < m_uCount) {
    shift = found;
    ComboDelete(found);
  } else {
    if (m_uCount == kZTHistoryMax) ComboDelete(kZTHistoryMax - 1);
    shift = m_uCount < kZTHistoryMax ? m_uCount : kZTHistoryMax - 1;
    if (m_uCount < kZTHistoryMax) ++m_uCount;
  }
  if (shift) memmove(m_szItems[1], m_szItems[0], shift * kZTHistoryTextSize);
  ztStrCopy(m_szItems[0], item, kZTHistoryTextSize);
  ComboInsertTop(item);
  return m_uCount;
}
