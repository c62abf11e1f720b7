// A description-file reader written for plainness, not speed, that the unit
// tests and the fuzz target compare CZTConfFile with: every line read byte by
// byte, keywords compared as texts, the data read item by item (numbers found
// first and parsed after; the texts, item by item in the reader too, as it reads them). It reads the lines of a loaded
// CZTConfFile, whose splitting into lines it shares, and offers the same calls and range members.
#pragma once

#include <string>
#include <vector>

#include "conf_items.h"
#include "zt_lib32/strings.h"

namespace zt_conf_reference {

using namespace zt_conf;

inline bool IsNumberItem(const char* text, const Item& item) {
  if (item.kind == kChar) return true;
  if (item.kind != kBare) return false;
  char c = text[item.start];
  return (c >= '0' && c <= '9') || c == '+' || c == '-';
}

inline unsigned ParseNumber(const char* text, const Item& item, unsigned* value) {
  if (item.kind == kChar) {
    *value = static_cast<unsigned char>(text[item.start + 1]);
    return ZT_CONF_OK;
  }
  const char* p = text + item.start;
  unsigned n = item.end - item.start;
  unsigned long long v = 0;
  if (n > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    for (unsigned i = 2; i < n; ++i) {
      const char c = p[i];
      unsigned d;
      if (c >= '0' && c <= '9')
        d = static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f')
        d = static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        d = static_cast<unsigned>(c - 'A' + 10);
      else
        return ZT_CONF_BAD_NUMBER;
      v = v * 16 + d;
      if (v > UINT32_MAX) return ZT_CONF_BAD_NUMBER;
    }
  } else {
    for (unsigned i = 0; i < n; ++i) {
      const char c = p[i];
      if (c < '0' || c > '9') return ZT_CONF_BAD_NUMBER;
      v = v * 10 + static_cast<unsigned>(c - '0');
      if (v > UINT32_MAX) return ZT_CONF_BAD_NUMBER;
    }
  }
  *value = static_cast<unsigned>(v);
  return ZT_CONF_OK;
}

// The data of a line read item by item for a getter (outputs emptied before).
inline unsigned ReadItemByItem(const char* text, unsigned pos, unsigned end, const LineRequest& r) {
  unsigned result = ZT_CONF_OK;
  unsigned n = 0;
  Item item = {0, 0, kBare, false};
  unsigned next;
  for (;;) {
    next = NextItem(text, &pos, end, &item);
    if (!r.numbers || next != ZT_CONF_OK || !(IsNumberItem(text, item) || (r.textCount == 0 && item.kind == kBare)))
      break;
    unsigned value;
    if (ParseNumber(text, item, &value) != ZT_CONF_OK) {
      if (r.count) *r.count = n;
      return ZT_CONF_BAD_NUMBER;
    }
    if (n < r.maximum) {
      r.values[n++] = value;
    } else if (!result) {
      result = ZT_CONF_TOO_MANY;
    }
  }
  if (r.count) *r.count = n;
  return ReadTexts(text, pos, end, next, &item, r, result);  // the texts as the reader reads them
}

// One line as the format describes it.
struct Line {
  std::string keyword;  // in capitals; empty for blank and comment lines
  unsigned data;        // offset of the data
  unsigned end;         // offset of the line's end
  bool closing;         // the data is END
};

inline std::string Upper(const char* text, unsigned length) {
  std::string upper;
  for (unsigned i = 0; i < length; ++i) upper += static_cast<char>(ztToUpper(static_cast<unsigned char>(text[i])));
  return upper;
}

inline Line ReadLineStart(const char* text, unsigned start, unsigned end) {
  Line line = {std::string(), end, end, false};
  auto blank = [&](unsigned k) { return text[k] == ' ' || text[k] == '\t'; };
  unsigned p = start;
  while (p < end && blank(p)) ++p;
  if (p >= end || text[p] == ';' || text[p] == '#' || (text[p] == '/' && p + 1 < end && text[p + 1] == '/'))
    return line;
  unsigned k = p;
  while (k < end && !blank(k) && text[k] != ':' && text[k] != ';') ++k;
  if (k == p) return line;
  line.keyword = Upper(text + p, k - p);
  unsigned d = k;
  while (d < end && blank(d)) ++d;
  if (d < end && text[d] == ':') ++d;
  while (d < end && blank(d)) ++d;
  line.data = d;
  if (Upper(text + d, end - d < 3 ? end - d : 3) == "END") {
    unsigned r = d + 3;
    while (r < end && blank(r)) ++r;
    line.closing = r == end || text[r] == ';';
  }
  return line;
}

class Reader {
 public:
  unsigned m_uBlockFirst[ZT_CONF_MAX_LEVELS] = {};
  unsigned m_uBlockLast[ZT_CONF_MAX_LEVELS] = {};
  unsigned m_uLevel = 0, m_uRangeFrom = 0, m_uRangeTo = 0;
  int m_bRange = 0;

  // The lines of the text the reader holds.
  explicit Reader(const CZTConfFile& loaded) : m_text(loaded.GetTextData()), m_loaded(loaded.GetTextData() != nullptr) {
    for (unsigned i = 0; i < loaded.GetLineCount(); ++i)
      m_lines.push_back(ReadLineStart(m_text, loaded.GetLines()[i].start, loaded.GetLines()[i].end));
    m_uBlockLast[0] = m_lines.empty() ? 0 : Count() - 1;
  }

  const std::vector<Line>& Lines() const { return m_lines; }

  int GetBlockCount(const char* keyword, unsigned* count) {
    if (count) *count = 0;
    if (Key(keyword).empty() || !m_loaded) return 0;
    if (count) *count = GetKeyCount(keyword);
    return 1;
  }
  unsigned GetKeyCount(const char* keyword) {
    const std::string key = Key(keyword);
    if (key.empty() || !m_loaded || m_uLevel >= ZT_CONF_MAX_LEVELS) return 0;
    unsigned n = 0;
    for (unsigned i = m_uBlockFirst[m_uLevel]; i <= m_uBlockLast[m_uLevel] && i < Count(); ++i) n += Has(i, key, false);
    return n;
  }
  int SelectBlock(const char* keyword) {
    const std::string key = Key(keyword);
    if (key.empty() || !m_loaded || m_uLevel >= ZT_CONF_MAX_LEVELS - 1) return 0;
    const unsigned last = m_uBlockLast[m_uLevel], first = Find(key, m_uBlockFirst[m_uLevel], last);
    if (first == kNone) return 0;
    ++m_uLevel;
    m_uBlockFirst[m_uLevel] = first;
    m_uBlockLast[m_uLevel] = BlockEnd(first, last);
    return 1;
  }
  int SelectNextBlock() {
    if (!m_loaded || m_uLevel == 0 || m_uLevel >= ZT_CONF_MAX_LEVELS) return 0;
    const unsigned current = m_uBlockFirst[m_uLevel], enclosingLast = m_uBlockLast[m_uLevel - 1];
    if (current >= Count() || m_lines[current].keyword.empty()) return 0;
    unsigned from = m_uBlockLast[m_uLevel] + 1;
    if (from <= current) from = current + 1;
    const unsigned next = Find(m_lines[current].keyword, from, enclosingLast);
    if (next == kNone) return 0;
    m_uBlockFirst[m_uLevel] = next;
    m_uBlockLast[m_uLevel] = BlockEnd(next, enclosingLast);
    return 1;
  }
  void LeaveBlock() {
    if (m_uLevel) --m_uLevel;
    m_bRange = 0;
  }
  void StartRange() {
    const unsigned level = m_uLevel < ZT_CONF_MAX_LEVELS ? m_uLevel : 0;
    m_uRangeFrom = m_uBlockFirst[level];
    m_uRangeTo = m_uBlockLast[level];
    m_bRange = 1;
  }
  void EndRange() { m_bRange = 0; }
  unsigned CheckBlocks(const char* keyword, unsigned* lineNumber) {
    if (lineNumber) *lineNumber = 0;
    const std::string key = Key(keyword);
    if (key.empty() || !m_loaded || m_uLevel >= ZT_CONF_MAX_LEVELS) return ZT_CONF_BAD_ARGUMENT;
    const unsigned first = m_uBlockFirst[m_uLevel];
    bool closing = false;
    for (unsigned i = first; i <= m_uBlockLast[m_uLevel] && i < Count(); ++i) closing |= Has(i, key, true);
    if (!closing) return ZT_CONF_OK;
    unsigned open = kNone;
    for (unsigned i = first; i <= m_uBlockLast[m_uLevel] && i < Count(); ++i) {
      if (m_lines[i].keyword != key) continue;
      if (m_lines[i].closing == (open == kNone)) {
        if (lineNumber) *lineNumber = i + 1;
        return ZT_CONF_BAD_BLOCK;
      }
      open = m_lines[i].closing ? kNone : i;
    }
    if (open == kNone) return ZT_CONF_OK;
    if (lineNumber) *lineNumber = open + 1;
    return ZT_CONF_BAD_BLOCK;
  }

  unsigned GetWord(const char* keyword, unsigned* value) {
    unsigned v = 0, n = 0;
    const unsigned r = Get(keyword, {true, &v, 1, &n, 0, nullptr, nullptr, nullptr});
    if (n && value) *value = v;
    return r == ZT_CONF_OK && n == 0 ? ZT_CONF_MISSING_VALUE : r;
  }
  unsigned GetWords(const char* keyword, unsigned* values, unsigned maximum, unsigned* count) {
    return Get(keyword, {true, values, maximum, count, 0, nullptr, nullptr, nullptr});
  }
  unsigned GetText(const char* keyword, char* text, unsigned size, unsigned* length) {
    char* texts[] = {text};
    unsigned sizes[] = {size};
    unsigned* lengths[] = {length};
    return Get(keyword, {false, nullptr, 0, nullptr, 1, texts, sizes, lengths});
  }
  unsigned Get2Text(const char* keyword, char* text1, unsigned size1, unsigned* length1, char* text2, unsigned size2,
                    unsigned* length2) {
    char* texts[] = {text1, text2};
    unsigned sizes[] = {size1, size2};
    unsigned* lengths[] = {length1, length2};
    return Get(keyword, {false, nullptr, 0, nullptr, 2, texts, sizes, lengths});
  }
  unsigned GetWordsText(const char* keyword, unsigned* values, unsigned maximum, unsigned* count, char* text,
                        unsigned size, unsigned* length) {
    char* texts[] = {text};
    unsigned sizes[] = {size};
    unsigned* lengths[] = {length};
    return Get(keyword, {true, values, maximum, count, 1, texts, sizes, lengths});
  }
  unsigned GetWords2Text(const char* keyword, unsigned* values, unsigned maximum, unsigned* count, char* text1,
                         unsigned size1, unsigned* length1, char* text2, unsigned size2, unsigned* length2) {
    char* texts[] = {text1, text2};
    unsigned sizes[] = {size1, size2};
    unsigned* lengths[] = {length1, length2};
    return Get(keyword, {true, values, maximum, count, 2, texts, sizes, lengths});
  }

 private:
  static constexpr unsigned kNone = ~0u;
  const char* m_text;
  bool m_loaded;
  std::vector<Line> m_lines;

  unsigned Count() const { return static_cast<unsigned>(m_lines.size()); }
  // A keyword as callers pass it: without the blanks around it and the colon, in capitals.
  static std::string Key(const char* keyword) {
    if (!keyword) return std::string();
    std::string key = Upper(keyword, static_cast<unsigned>(strlen(keyword)));
    auto trim = [&key]() {
      while (!key.empty() && (key.front() == ' ' || key.front() == '\t')) key.erase(0, 1);
      while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
    };
    trim();
    if (!key.empty() && key.back() == ':') key.pop_back();
    trim();
    return key;
  }
  bool Has(unsigned i, const std::string& key, bool closing) const {
    return m_lines[i].keyword == key && m_lines[i].closing == closing;
  }
  unsigned Find(const std::string& key, unsigned from, unsigned last) const {
    for (unsigned i = from; i <= last && i < Count(); ++i)
      if (Has(i, key, false)) return i;
    return kNone;
  }
  unsigned BlockEnd(unsigned first, unsigned enclosingLast) const {
    if (enclosingLast >= Count()) enclosingLast = Count() - 1;
    for (unsigned i = first + 1; i <= enclosingLast; ++i)
      if (m_lines[i].keyword == m_lines[first].keyword) return m_lines[i].closing ? i : i - 1;
    return enclosingLast;
  }
  unsigned Get(const char* keyword, const LineRequest& request) {
    if (StartRequest(request)) return ZT_CONF_BAD_ARGUMENT;
    const std::string key = Key(keyword);
    if (key.empty() || !m_loaded || m_uLevel >= ZT_CONF_MAX_LEVELS) return ZT_CONF_BAD_ARGUMENT;
    const unsigned line =
        m_bRange ? Find(key, m_uRangeFrom, m_uRangeTo) : Find(key, m_uBlockFirst[m_uLevel], m_uBlockLast[m_uLevel]);
    if (line == kNone) return ZT_CONF_NO_LINE;
    if (m_bRange) m_uRangeFrom = line + 1;
    return ReadItemByItem(m_text, m_lines[line].data, m_lines[line].end, request);
  }
};

}  // namespace zt_conf_reference
