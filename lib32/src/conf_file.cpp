// The reader half of CZTConfFile: line index, blocks, getters.
#include "zt_lib32/conf_file.h"

#include <stdlib.h>
#include <string.h>

#include "conf_items.h"
#include "zt_lib32/strings.h"

using namespace zt_conf;

namespace {

constexpr unsigned kNone = ~0u;

// A keyword as callers pass it ("FIELD", "Field:"): without the colon and blanks
// around it. Null when nothing is left. *tag as KeyTag gives it, found in the
// same pass (getters look a keyword up on every call).
inline const char* LookupKey(const char* keyword, unsigned* length, unsigned long long* tag) {
  if (!keyword) return nullptr;
  while (IsBlank(*keyword)) ++keyword;
  unsigned n = 0;
  unsigned long long t = 0;
  for (; keyword[n]; ++n)
    if (n < 8) t |= static_cast<unsigned long long>(ztToUpper(static_cast<unsigned char>(keyword[n]))) << (8 * n);
  while (n && IsBlank(keyword[n - 1])) --n;
  if (n && keyword[n - 1] == ':') --n;
  while (n && IsBlank(keyword[n - 1])) --n;
  if (n < 8) t &= (1ull << (8 * n)) - 1;  // what the trimming took off
  *length = n;
  *tag = t;
  return n ? keyword : nullptr;
}

// Skips blanks and tabs, eight blanks at a time where the layout has long runs of them.
inline unsigned SkipBlanks(const char* text, unsigned p, unsigned end) {
  static const char kEight[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  while (end - p >= 8 && memcmp(text + p, kEight, 8) == 0) p += 8;
  while (p < end && IsBlank(text[p])) ++p;
  return p;
}

inline unsigned long long KeyTag(const char* key, unsigned length) {
  unsigned long long tag = 0;
  for (unsigned i = 0; i < 8 && i < length; ++i)
    tag |= static_cast<unsigned long long>(ztToUpper(static_cast<unsigned char>(key[i]))) << (8 * i);
  return tag;
}

inline bool SameKey(const char* a, const char* b, unsigned length) {
  for (unsigned i = 0; i < length; ++i)
    if (ztToUpper(static_cast<unsigned char>(a[i])) != ztToUpper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

CZTConfFile::CZTConfFile()
    : m_uBlockFirst(),
      m_uBlockLast(),
      m_uLevel(0),
      m_uRangeFrom(0),
      m_uRangeTo(0),
      m_bRange(0),
      m_pEditText(nullptr),
      m_uEditLength(0),
      m_pConfLines(nullptr),
      m_uConfCapacity(0),
      m_uEditCapacity(0),
      m_uEditError(0),
      m_uKeywordColumn(8),
      m_uDataColumn(32),
      m_uLabelWidth(24),
      m_uCommentColumn(80),
      m_uLineWidth(104) {}

CZTConfFile::~CZTConfFile() { Free(); }

void CZTConfFile::Free() {
  FreeText();
  free(m_pConfLines);
  m_pConfLines = nullptr;
  m_uConfCapacity = 0;
  free(m_pEditText);
  m_pEditText = nullptr;
  m_uEditLength = 0;
  m_uEditCapacity = 0;
  m_uEditError = 0;
  ResetLevels();
}

void CZTConfFile::ResetLevels() {
  for (unsigned i = 0; i < ZT_CONF_MAX_LEVELS; ++i) m_uBlockFirst[i] = m_uBlockLast[i] = 0;
  unsigned lines = GetLineCount();
  m_uBlockLast[0] = lines ? lines - 1 : 0;
  m_uLevel = 0;
  m_uRangeFrom = 0;
  m_uRangeTo = 0;
  m_bRange = 0;
}

int CZTConfFile::Read(const char* fileName, int, int) {
  free(m_pConfLines);
  m_pConfLines = nullptr;
  m_uConfCapacity = 0;
  int ok = Load(fileName);
  if (!ok) {
    free(m_pConfLines);
    m_pConfLines = nullptr;
    m_uConfCapacity = 0;
    ResetLevels();
  }
  return ok;
}

int CZTConfFile::ReadIt(const char* text, unsigned length) {
  free(m_pConfLines);
  m_pConfLines = nullptr;
  m_uConfCapacity = 0;
  m_szFileName[0] = '\0';
  int ok = SetText(text, length);
  if (!ok) {
    free(m_pConfLines);
    m_pConfLines = nullptr;
    m_uConfCapacity = 0;
    ResetLevels();
  }
  return ok;
}

// Called for each line while the text is split, so that the line is looked at
// while it is still in the cache.
int CZTConfFile::OnLine(unsigned index, unsigned start, unsigned end) {
  if (index >= m_uConfCapacity) {
    unsigned grown = m_uConfCapacity ? m_uConfCapacity * 2 : GetTextLength() / 48 + 16;
    if (grown <= index) grown = index + 1;
    SZTConfLine* bigger = static_cast<SZTConfLine*>(realloc(m_pConfLines, sizeof(SZTConfLine) * grown));
    if (!bigger) return 0;
    m_pConfLines = bigger;
    m_uConfCapacity = grown;
  }
  const char* text = GetTextData();
  SZTConfLine& conf = m_pConfLines[index];
  unsigned p = start;
  conf.keyStart = p;
  conf.keyLength = 0;
  conf.keyTag = 0;
  conf.dataStart = end;
  conf.flags = 0;
  p = SkipBlanks(text, p, end);
  if (p >= end) return 1;
  char c = text[p];
  if (c == ';' || c == '#' || (c == '/' && p + 1 < end && text[p + 1] == '/')) return 1;
  unsigned k = p;
  while (k < end && !IsKeyEnd(text[k])) ++k;
  if (k == p) return 1;
  conf.keyStart = p;
  conf.keyLength = k - p;
  conf.keyTag = KeyTag(text + p, k - p);
  k = SkipBlanks(text, k, end);
  if (k < end && text[k] == ':') ++k;
  k = SkipBlanks(text, k, end);
  conf.dataStart = k;
  if (end - k >= 3 && ztToUpper(static_cast<unsigned char>(text[k])) == 'E' &&
      ztToUpper(static_cast<unsigned char>(text[k + 1])) == 'N' &&
      ztToUpper(static_cast<unsigned char>(text[k + 2])) == 'D') {
    unsigned r = k + 3;
    while (r < end && IsBlank(text[r])) ++r;
    if (r == end || text[r] == ';') conf.flags |= ZT_CONF_LINE_END;
  }
  return 1;
}

int CZTConfFile::OnTextLoaded() {
  if (!m_pConfLines) {
    m_pConfLines = static_cast<SZTConfLine*>(malloc(sizeof(SZTConfLine)));
    if (!m_pConfLines) return 0;
    m_uConfCapacity = 1;
  }
  ResetLevels();
  return 1;
}

unsigned CZTConfFile::FindKeyLine(const char* keyword, unsigned keyLength, unsigned long long keyTag, unsigned from,
                                  unsigned last) const {
  const unsigned count = GetLineCount();
  if (!m_pConfLines || !count) return kNone;
  if (last >= count) last = count - 1;
  const char* text = GetTextData();
  for (unsigned i = from; i <= last; ++i) {
    const SZTConfLine& conf = m_pConfLines[i];
    if (conf.keyTag != keyTag || conf.keyLength != keyLength || (conf.flags & ZT_CONF_LINE_END)) continue;
    if (keyLength <= 8 || SameKey(text + conf.keyStart, keyword, keyLength)) return i;
  }
  return kNone;
}

unsigned CZTConfFile::BlockEnd(unsigned first, unsigned enclosingLast) const {
  const unsigned count = GetLineCount();
  if (enclosingLast >= count) enclosingLast = count - 1;
  const SZTConfLine& opening = m_pConfLines[first];
  const char* key = GetTextData() + opening.keyStart;
  for (unsigned i = first + 1; i <= enclosingLast; ++i) {
    const SZTConfLine& conf = m_pConfLines[i];
    if (conf.keyTag != opening.keyTag || conf.keyLength != opening.keyLength ||
        (conf.keyLength > 8 && !SameKey(GetTextData() + conf.keyStart, key, conf.keyLength)))
      continue;
    return (conf.flags & ZT_CONF_LINE_END) ? i : i - 1;
  }
  return enclosingLast;
}

int CZTConfFile::GetBlockCount(const char* keyword, unsigned* count) {
  unsigned keyLength;
  unsigned long long tag;
  const char* key = LookupKey(keyword, &keyLength, &tag);
  if (count) *count = 0;
  if (!key || !GetTextData()) return 0;
  if (count) *count = GetKeyCount(keyword);
  return 1;
}

unsigned CZTConfFile::GetKeyCount(const char* keyword) {
  unsigned keyLength;
  unsigned long long tag;
  const char* key = LookupKey(keyword, &keyLength, &tag);
  if (!key || !m_pConfLines || m_uLevel >= ZT_CONF_MAX_LEVELS) return 0;
  unsigned n = 0;
  unsigned last = m_uBlockLast[m_uLevel];
  for (unsigned i = FindKeyLine(key, keyLength, tag, m_uBlockFirst[m_uLevel], last); i != kNone;
       i = i < last ? FindKeyLine(key, keyLength, tag, i + 1, last) : kNone)
    ++n;
  return n;
}

int CZTConfFile::SelectBlock(const char* keyword) {
  unsigned keyLength;
  unsigned long long tag;
  const char* key = LookupKey(keyword, &keyLength, &tag);
  if (!key || !m_pConfLines || m_uLevel + 1 >= ZT_CONF_MAX_LEVELS) return 0;
  unsigned last = m_uBlockLast[m_uLevel];
  unsigned first = FindKeyLine(key, keyLength, tag, m_uBlockFirst[m_uLevel], last);
  if (first == kNone) return 0;
  ++m_uLevel;
  m_uBlockFirst[m_uLevel] = first;
  m_uBlockLast[m_uLevel] = BlockEnd(first, last);
  return 1;
}

int CZTConfFile::SelectNextBlock() {
  const unsigned count = GetLineCount();
  if (!m_pConfLines || m_uLevel == 0 || m_uLevel >= ZT_CONF_MAX_LEVELS) return 0;
  unsigned current = m_uBlockFirst[m_uLevel];
  unsigned enclosingLast = m_uBlockLast[m_uLevel - 1];
  if (current >= count || m_pConfLines[current].keyLength == 0) return 0;
  unsigned from = m_uBlockLast[m_uLevel] + 1;
  if (from <= current) from = current + 1;
  if (from > enclosingLast || from >= count) return 0;
  const SZTConfLine& opening = m_pConfLines[current];
  unsigned next = FindKeyLine(GetTextData() + opening.keyStart, opening.keyLength, opening.keyTag, from, enclosingLast);
  if (next == kNone) return 0;
  m_uBlockFirst[m_uLevel] = next;
  m_uBlockLast[m_uLevel] = BlockEnd(next, enclosingLast);
  return 1;
}

unsigned CZTConfFile::CheckBlocks(const char* keyword, unsigned* lineNumber) {
  if (lineNumber) *lineNumber = 0;
  unsigned keyLength;
  unsigned long long tag;
  const char* key = LookupKey(keyword, &keyLength, &tag);
  if (!key || !m_pConfLines || m_uLevel >= ZT_CONF_MAX_LEVELS) return ZT_CONF_BAD_ARGUMENT;
  const unsigned count = GetLineCount();
  if (!count) return ZT_CONF_OK;
  unsigned first = m_uBlockFirst[m_uLevel];
  unsigned last = m_uBlockLast[m_uLevel] < count ? m_uBlockLast[m_uLevel] : count - 1;
  const char* text = GetTextData();
  bool closing = false;
  for (unsigned i = first; i <= last && !closing; ++i) {
    const SZTConfLine& conf = m_pConfLines[i];
    closing =
        (conf.flags & ZT_CONF_LINE_END) && conf.keyLength == keyLength && SameKey(text + conf.keyStart, key, keyLength);
  }
  if (!closing) return ZT_CONF_OK;
  unsigned open = kNone;
  for (unsigned i = first; i <= last; ++i) {
    const SZTConfLine& conf = m_pConfLines[i];
    if (conf.keyLength != keyLength || !SameKey(text + conf.keyStart, key, keyLength)) continue;
    bool isEnd = (conf.flags & ZT_CONF_LINE_END) != 0;
    if (isEnd == (open == kNone)) {
      if (lineNumber) *lineNumber = i + 1;
      return ZT_CONF_BAD_BLOCK;
    }
    open = isEnd ? kNone : i;
  }
  if (open != kNone) {
    if (lineNumber) *lineNumber = open + 1;
    return ZT_CONF_BAD_BLOCK;
  }
  return ZT_CONF_OK;
}

unsigned CZTConfFile::ReadLine(const char* keyword, bool numbers, unsigned* values, unsigned maximum, unsigned* count,
                               unsigned textCount, char** texts, const unsigned* sizes, unsigned** lengths) {
  if (count) *count = 0;
  for (unsigned t = 0; t < textCount; ++t) {
    if (lengths[t]) *lengths[t] = 0;
    if (!texts[t] || sizes[t] == 0) return ZT_CONF_BAD_ARGUMENT;
    texts[t][0] = '\0';
  }
  if (!values && maximum) return ZT_CONF_BAD_ARGUMENT;
  unsigned keyLength;
  unsigned long long tag;
  const char* key = LookupKey(keyword, &keyLength, &tag);
  if (!key || !m_pConfLines || m_uLevel >= ZT_CONF_MAX_LEVELS) return ZT_CONF_BAD_ARGUMENT;

  unsigned line;
  if (m_bRange) {
    line = FindKeyLine(key, keyLength, tag, m_uRangeFrom, m_uRangeTo);
    if (line == kNone) return ZT_CONF_NO_LINE;
    m_uRangeFrom = line + 1;
  } else {
    line = FindKeyLine(key, keyLength, tag, m_uBlockFirst[m_uLevel], m_uBlockLast[m_uLevel]);
    if (line == kNone) return ZT_CONF_NO_LINE;
  }

  const char* text = GetTextData();
  unsigned pos = m_pConfLines[line].dataStart;
  const unsigned end = GetLines()[line].end;
  unsigned result = ZT_CONF_OK;  // the first soft fault (too long, too many)
  unsigned n = 0;
  Item item = {0, 0, kBare, false};
  unsigned next;
  // Leading numbers; plain decimal and hexadecimal ones are taken on the fly.
  for (;;) {
    unsigned value;
    if (numbers) {
      bool tooMany = false;
      TakeNumbers(text, &pos, end, values, maximum, &n, &tooMany);
      if (tooMany && !result) result = ZT_CONF_TOO_MANY;
    }
    next = NextItem(text, &pos, end, &item);
    if (!numbers || next != ZT_CONF_OK || !(IsNumberItem(text, item) || (textCount == 0 && item.kind == kBare))) break;
    if (ParseNumber(text, item, &value) != ZT_CONF_OK) {
      if (count) *count = n;
      return ZT_CONF_BAD_NUMBER;
    }
    if (n < maximum) {
      values[n++] = value;
    } else if (!result) {
      result = ZT_CONF_TOO_MANY;
    }
  }
  if (count) *count = n;
  if (next == ZT_CONF_UNTERMINATED) return next;
  // The texts.
  for (unsigned t = 0; t < textCount; ++t) {
    if (next != ZT_CONF_OK) return next == ZT_CONF_NO_LINE ? ZT_CONF_MISSING_VALUE : next;
    unsigned r = CopyText(text, item, texts[t], sizes[t], lengths[t]);
    if (r == ZT_CONF_BAD_CHARACTER) return r;
    if (r && !result) result = r;
    next = NextItem(text, &pos, end, &item);
  }
  if (next == ZT_CONF_UNTERMINATED) return next;
  if (next == ZT_CONF_OK && !result) result = ZT_CONF_TOO_MANY;
  return result;
}

unsigned CZTConfFile::GetWord(const char* keyword, unsigned* value) {
  unsigned v = 0, n = 0;
  unsigned r = ReadLine(keyword, true, &v, 1, &n, 0, nullptr, nullptr, nullptr);
  if (n && value) *value = v;
  if (r == ZT_CONF_OK && n == 0) return ZT_CONF_MISSING_VALUE;
  return r;
}

unsigned CZTConfFile::GetWords(const char* keyword, unsigned* values, unsigned maximum, unsigned* count) {
  return ReadLine(keyword, true, values, maximum, count, 0, nullptr, nullptr, nullptr);
}

unsigned CZTConfFile::GetText(const char* keyword, char* text, unsigned size, unsigned* length) {
  char* texts[1] = {text};
  unsigned sizes[1] = {size};
  unsigned* lengths[1] = {length};
  return ReadLine(keyword, false, nullptr, 0, nullptr, 1, texts, sizes, lengths);
}

unsigned CZTConfFile::Get2Text(const char* keyword, char* text1, unsigned size1, unsigned* length1, char* text2,
                               unsigned size2, unsigned* length2) {
  char* texts[2] = {text1, text2};
  unsigned sizes[2] = {size1, size2};
  unsigned* lengths[2] = {length1, length2};
  return ReadLine(keyword, false, nullptr, 0, nullptr, 2, texts, sizes, lengths);
}

unsigned CZTConfFile::GetWordsText(const char* keyword, unsigned* values, unsigned maximum, unsigned* count, char* text,
                                   unsigned size, unsigned* length) {
  char* texts[1] = {text};
  unsigned sizes[1] = {size};
  unsigned* lengths[1] = {length};
  return ReadLine(keyword, true, values, maximum, count, 1, texts, sizes, lengths);
}

unsigned CZTConfFile::GetWords2Text(const char* keyword, unsigned* values, unsigned maximum, unsigned* count,
                                    char* text1, unsigned size1, unsigned* length1, char* text2, unsigned size2,
                                    unsigned* length2) {
  char* texts[2] = {text1, text2};
  unsigned sizes[2] = {size1, size2};
  unsigned* lengths[2] = {length1, length2};
  return ReadLine(keyword, true, values, maximum, count, 2, texts, sizes, lengths);
}
