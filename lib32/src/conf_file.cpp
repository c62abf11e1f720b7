// The reader half of CZTConfFile: the line index, blocks and getters.
//
// Loading indexes every line once: where its data starts, and the number of its
// keyword among the distinct keywords of the text (closing lines marked). Every
// search for lines of a keyword (getters, block ends, counts) then compares
// numbers; the getters read the data of the one line they find item by item.
#include "zt_lib32/conf_file.h"

#include <stdlib.h>
#include <string.h>

#include "conf_items.h"
#include "zt_lib32/strings.h"

using namespace zt_conf;

namespace {

constexpr unsigned kNone = ~0u;

inline unsigned char Upper(char c) { return ztToUpper(static_cast<unsigned char>(c)); }

// A hash of a keyword that ignores letter case.
unsigned KeyHash(const char* key, unsigned length) {
  unsigned hash = 2166136261u;
  for (unsigned i = 0; i < length; ++i) hash = (hash ^ Upper(key[i])) * 16777619u;
  return hash;
}

bool SameKey(const char* a, const char* b, unsigned length) {
  for (unsigned i = 0; i < length; ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

// The data from k to end is END (any letter case), nothing but blanks or a comment after it.
bool IsEndData(const char* text, unsigned k, unsigned end) {
  if (end - k < 3 || Upper(text[k]) != 'E' || Upper(text[k + 1]) != 'N' || Upper(text[k + 2]) != 'D') return false;
  unsigned r = k + 3;
  while (r < end && IsBlank(text[r])) ++r;
  return r == end || text[r] == ';';
}

// The slot of a keyword in the table: its own, or the free one where it belongs.
ConfKey& KeySlot(const SZTConfFileImpl& m, const char* text, const char* key, unsigned length, unsigned hash) {
  for (unsigned slot = hash & (m.keySlots - 1);; slot = (slot + 1) & (m.keySlots - 1)) {
    ConfKey& entry = m.keys[slot];
    if (entry.length == 0 || (entry.hash == hash && entry.length == length && SameKey(text + entry.start, key, length)))
      return entry;
  }
}

// The number of the keyword at start in the text, numbered anew if it is new; 0 for no memory.
unsigned AddKey(SZTConfFileImpl& m, const char* text, unsigned start, unsigned length) {
  if (2 * (m.keyCount + 1) > m.keySlots) {
    // Grown to twice the size, the keywords hashed in again.
    const unsigned slots = m.keySlots ? 2 * m.keySlots : 64;
    ConfKey* bigger = static_cast<ConfKey*>(calloc(slots, sizeof(ConfKey)));
    if (!bigger) return 0;
    ConfKey* old = m.keys;
    const unsigned oldSlots = m.keySlots;
    m.keys = bigger;
    m.keySlots = slots;
    for (unsigned i = 0; i < oldSlots; ++i)
      if (old[i].length) KeySlot(m, text, text + old[i].start, old[i].length, old[i].hash) = old[i];
    free(old);
  }
  const unsigned hash = KeyHash(text + start, length);
  ConfKey& entry = KeySlot(m, text, text + start, length, hash);
  if (entry.length == 0) entry = {hash, start, length, ++m.keyCount};
  return entry.number;
}

// Forgets the keywords of the last text.
void ClearKeys(SZTConfFileImpl& m) {
  if (m.keys) memset(m.keys, 0, sizeof(ConfKey) * m.keySlots);
  m.keyCount = 0;
  m.lastKeyLength = 0;
  m.lastKeyLine = 0;
  m.asked[0] = '\0';
}

// The first line from from to last (inclusive, cut to the text) with the keyword number key; kNone when none.
unsigned FindLine(const SZTConfFileImpl& m, unsigned lineCount, unsigned key, unsigned from, unsigned last) {
  if (key == kNoKeyword || !lineCount) return kNone;
  if (last >= lineCount) last = lineCount - 1;
  for (unsigned i = from; i <= last; ++i)
    if (m.lines[i].key == key) return i;
  return kNone;
}

// The last line of the block that starts at line first, within the enclosing
// block's last line: the line before the next line of its keyword, unless a
// closing line of it comes first, which ends the block itself.
unsigned BlockEnd(const SZTConfFileImpl& m, unsigned lineCount, unsigned first, unsigned enclosingLast) {
  if (enclosingLast >= lineCount) enclosingLast = lineCount - 1;
  const unsigned key = m.lines[first].key & ~kClosing;
  for (unsigned i = first + 1; i <= enclosingLast; ++i)
    if ((m.lines[i].key & ~kClosing) == key) return (m.lines[i].key & kClosing) ? i : i - 1;
  return enclosingLast;
}

void ResetLevels(CZTConfFile& conf) {
  memset(conf.m_uBlockFirst, 0, sizeof(conf.m_uBlockFirst));
  memset(conf.m_uBlockLast, 0, sizeof(conf.m_uBlockLast));
  conf.m_uBlockLast[0] = conf.GetLineCount() ? conf.GetLineCount() - 1 : 0;
  conf.m_uLevel = conf.m_uRangeFrom = conf.m_uRangeTo = 0;
  conf.m_bRange = 0;
}

// The number of the keyword a caller passes ("FIELD", "Field:": the blanks
// around it and the colon do not count); kNone for no keyword or no text.
unsigned LookupKey(const CZTConfFile& conf, SZTConfFileImpl& m, const char* keyword) {
  if (!keyword || !conf.GetTextData()) return kNone;
  // Callers mostly ask for one keyword many times in a row.
  unsigned i = 0;
  while (keyword[i] == m.asked[i] && keyword[i]) ++i;
  if (m.asked[0] && !keyword[i] && !m.asked[i]) return m.askedNumber;
  const char* key = keyword;
  while (IsBlank(*key)) ++key;
  unsigned n = static_cast<unsigned>(strlen(key));
  while (n && IsBlank(key[n - 1])) --n;
  if (n && key[n - 1] == ':') --n;
  while (n && IsBlank(key[n - 1])) --n;
  if (!n) return kNone;
  const unsigned number = m.keyCount ? KeySlot(m, conf.GetTextData(), key, n, KeyHash(key, n)).number : kNoKeyword;
  if (keyword[ztStrCopy(m.asked, keyword, sizeof(m.asked))]) m.asked[0] = '\0';  // too long to keep
  m.askedNumber = number;
  return number;
}

// Lines with the keyword number key in the current block.
unsigned CountLines(const CZTConfFile& conf, const SZTConfFileImpl& m, unsigned key) {
  const unsigned lineCount = conf.GetLineCount(), level = conf.m_uLevel;
  if (key == kNone || key == kNoKeyword || level >= ZT_CONF_MAX_LEVELS || !lineCount) return 0;
  const unsigned last = conf.m_uBlockLast[level] < lineCount ? conf.m_uBlockLast[level] : lineCount - 1;
  unsigned n = 0;
  for (unsigned i = conf.m_uBlockFirst[level]; i <= last; ++i) n += m.lines[i].key == key;
  return n;
}

// Finds the line for a getter (the next one in the range, or the first one in
// the current block) and reads its data.
unsigned ReadLine(CZTConfFile& conf, SZTConfFileImpl& m, const char* keyword, const LineRequest& request) {
  if (StartRequest(request)) return ZT_CONF_BAD_ARGUMENT;
  const unsigned key = LookupKey(conf, m, keyword);
  if (key == kNone || conf.m_uLevel >= ZT_CONF_MAX_LEVELS) return ZT_CONF_BAD_ARGUMENT;
  const unsigned line = conf.m_bRange ? FindLine(m, conf.GetLineCount(), key, conf.m_uRangeFrom, conf.m_uRangeTo)
                                      : FindLine(m, conf.GetLineCount(), key, conf.m_uBlockFirst[conf.m_uLevel],
                                                 conf.m_uBlockLast[conf.m_uLevel]);
  if (line == kNone) return ZT_CONF_NO_LINE;
  if (conf.m_bRange) conf.m_uRangeFrom = line + 1;  // also past a line that turns out malformed
  return ReadItems(conf.GetTextData(), m.lines[line].data, conf.GetLines()[line].end, request);
}

}  // namespace

CZTConfFile::CZTConfFile() : m_pImpl(new SZTConfFileImpl) {}

CZTConfFile::~CZTConfFile() {
  Free();
  delete m_pImpl;
}

void CZTConfFile::Free() {
  FreeText();
  free(m_pImpl->lines);
  free(m_pImpl->keys);
  free(m_pEditText);
  *m_pImpl = SZTConfFileImpl();
  m_pEditText = nullptr;
  m_uEditLength = 0;
  ResetLevels(*this);
}

int CZTConfFile::Read(const char* fileName, int, int) {
  if (Load(fileName)) return 1;
  ResetLevels(*this);
  return 0;
}

int CZTConfFile::ReadIt(const char* text, unsigned length) {
  m_szFileName[0] = '\0';
  if (SetText(text, length)) return 1;
  ResetLevels(*this);
  return 0;
}

// Indexes the lines of a new text.
int CZTConfFile::OnTextLoaded() {
  SZTConfFileImpl& m = *m_pImpl;
  ClearKeys(m);
  const unsigned count = GetLineCount();
  if (count > m.lineCapacity) {
    free(m.lines);
    const unsigned long long bytes = 1ull * sizeof(ConfLine) * count;
    m.lines =
        bytes == static_cast<size_t>(bytes) ? static_cast<ConfLine*>(malloc(static_cast<size_t>(bytes))) : nullptr;
    m.lineCapacity = m.lines ? count : 0;
    if (!m.lines) return 0;
  }
  const char* text = GetTextData();
  for (unsigned index = 0; index < count; ++index) {
    const unsigned start = GetLines()[index].start, end = GetLines()[index].end;
    ConfLine& line = m.lines[index];
    line.key = kNoKeyword;
    line.data = end;
    unsigned d;
    if (m.lastKeyLine && end - start >= m.lastKeyLine &&
        memcmp(text + start, text + m.lastKeyLineStart, m.lastKeyLine) == 0) {
      // It starts byte for byte as the last keyword line up to its data: it has
      // that line's keyword, which ends within, and its data starts after the
      // blanks (and a colon, if none came yet) that follow.
      for (d = start + m.lastKeyLine; d < end && IsBlank(text[d]);) ++d;
      if (!m.lastKeyLineColon && d < end && text[d] == ':')
        for (++d; d < end && IsBlank(text[d]);) ++d;
    } else {
      unsigned p = start, k;
      while (p < end && IsBlank(text[p])) ++p;
      if (p == end || text[p] == ';' || text[p] == '#' || (text[p] == '/' && p + 1 < end && text[p + 1] == '/'))
        continue;
      for (k = p; k < end && !IsKeyEnd(text[k]);) ++k;
      if (k == p) continue;
      for (d = k; d < end && IsBlank(text[d]);) ++d;
      const bool colon = d < end && text[d] == ':';
      if (colon) ++d;
      while (d < end && IsBlank(text[d])) ++d;
      if (k - p != m.lastKeyLength || memcmp(text + p, text + m.lastKeyStart, k - p) != 0) {
        m.lastKeyNumber = AddKey(m, text, p, k - p);
        if (!m.lastKeyNumber) return 0;
        m.lastKeyStart = p;
        m.lastKeyLength = k - p;
      }
      m.lastKeyLine = k < d ? d - start : 0;
      m.lastKeyLineColon = colon;
    }
    line.data = d;
    line.key = m.lastKeyNumber | (IsEndData(text, d, end) ? kClosing : 0);
    m.lastKeyLineStart = start;
  }
  ResetLevels(*this);
  return 1;
}

int CZTConfFile::GetBlockCount(const char* keyword, unsigned* count) {
  if (count) *count = 0;
  const unsigned key = LookupKey(*this, *m_pImpl, keyword);
  if (key == kNone) return 0;
  if (count) *count = CountLines(*this, *m_pImpl, key);
  return 1;
}

unsigned CZTConfFile::GetKeyCount(const char* keyword) {
  return CountLines(*this, *m_pImpl, LookupKey(*this, *m_pImpl, keyword));
}

int CZTConfFile::SelectBlock(const char* keyword) {
  const unsigned key = LookupKey(*this, *m_pImpl, keyword);
  if (key == kNone || m_uLevel >= ZT_CONF_MAX_LEVELS - 1) return 0;
  const unsigned lineCount = GetLineCount(), last = m_uBlockLast[m_uLevel];
  const unsigned first = FindLine(*m_pImpl, lineCount, key, m_uBlockFirst[m_uLevel], last);
  if (first == kNone) return 0;
  ++m_uLevel;
  m_uBlockFirst[m_uLevel] = first;
  m_uBlockLast[m_uLevel] = BlockEnd(*m_pImpl, lineCount, first, last);
  return 1;
}

int CZTConfFile::SelectNextBlock() {
  const unsigned lineCount = GetLineCount();
  if (!GetTextData() || m_uLevel == 0 || m_uLevel >= ZT_CONF_MAX_LEVELS) return 0;
  const unsigned current = m_uBlockFirst[m_uLevel], enclosingLast = m_uBlockLast[m_uLevel - 1];
  if (current >= lineCount) return 0;
  const unsigned key = m_pImpl->lines[current].key & ~kClosing;
  unsigned from = m_uBlockLast[m_uLevel] + 1;
  if (from <= current) from = current + 1;
  if (from > enclosingLast) return 0;
  const unsigned next = FindLine(*m_pImpl, lineCount, key, from, enclosingLast);
  if (next == kNone) return 0;
  m_uBlockFirst[m_uLevel] = next;
  m_uBlockLast[m_uLevel] = BlockEnd(*m_pImpl, lineCount, next, enclosingLast);
  return 1;
}

unsigned CZTConfFile::CheckBlocks(const char* keyword, unsigned* lineNumber) {
  if (lineNumber) *lineNumber = 0;
  const unsigned key = LookupKey(*this, *m_pImpl, keyword);
  if (key == kNone || m_uLevel >= ZT_CONF_MAX_LEVELS) return ZT_CONF_BAD_ARGUMENT;
  const unsigned lineCount = GetLineCount();
  if (key == kNoKeyword || !lineCount) return ZT_CONF_OK;
  const unsigned first = m_uBlockFirst[m_uLevel];
  const unsigned last = m_uBlockLast[m_uLevel] < lineCount ? m_uBlockLast[m_uLevel] : lineCount - 1;
  // The first fault, of those only when there is a closing line.
  const ConfLine* lines = m_pImpl->lines;
  unsigned open = kNone, fault = 0;
  bool closing = false;
  for (unsigned i = first; i <= last; ++i) {
    if ((lines[i].key & ~kClosing) != key) continue;
    const bool isEnd = (lines[i].key & kClosing) != 0;
    closing |= isEnd;
    if (!fault && isEnd == (open == kNone)) fault = i + 1;
    open = isEnd ? kNone : i;
  }
  if (!fault && open != kNone) fault = open + 1;
  if (!closing || !fault) return ZT_CONF_OK;
  if (lineNumber) *lineNumber = fault;
  return ZT_CONF_BAD_BLOCK;
}

unsigned CZTConfFile::GetWord(const char* keyword, unsigned* value) {
  unsigned v = 0, n = 0;
  const unsigned r = ReadLine(*this, *m_pImpl, keyword, {true, &v, 1, &n, 0, nullptr, nullptr, nullptr});
  if (n && value) *value = v;
  return r == ZT_CONF_OK && n == 0 ? ZT_CONF_MISSING_VALUE : r;
}

unsigned CZTConfFile::GetWords(const char* keyword, unsigned* values, unsigned maximum, unsigned* count) {
  return ReadLine(*this, *m_pImpl, keyword, {true, values, maximum, count, 0, nullptr, nullptr, nullptr});
}

unsigned CZTConfFile::GetText(const char* keyword, char* text, unsigned size, unsigned* length) {
  return ReadLine(*this, *m_pImpl, keyword, {false, nullptr, 0, nullptr, 1, &text, &size, &length});
}

unsigned CZTConfFile::Get2Text(const char* keyword, char* text1, unsigned size1, unsigned* length1, char* text2,
                               unsigned size2, unsigned* length2) {
  char* texts[] = {text1, text2};
  const unsigned sizes[] = {size1, size2};
  unsigned* lengths[] = {length1, length2};
  return ReadLine(*this, *m_pImpl, keyword, {false, nullptr, 0, nullptr, 2, texts, sizes, lengths});
}

unsigned CZTConfFile::GetWordsText(const char* keyword, unsigned* values, unsigned maximum, unsigned* count, char* text,
                                   unsigned size, unsigned* length) {
  return ReadLine(*this, *m_pImpl, keyword, {true, values, maximum, count, 1, &text, &size, &length});
}

unsigned CZTConfFile::GetWords2Text(const char* keyword, unsigned* values, unsigned maximum, unsigned* count,
                                    char* text1, unsigned size1, unsigned* length1, char* text2, unsigned size2,
                                    unsigned* length2) {
  char* texts[] = {text1, text2};
  const unsigned sizes[] = {size1, size2};
  unsigned* lengths[] = {length1, length2};
  return ReadLine(*this, *m_pImpl, keyword, {true, values, maximum, count, 2, texts, sizes, lengths});
}
