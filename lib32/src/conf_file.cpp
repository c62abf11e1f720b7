// The reader half of CZTConfFile: line index, blocks, getters.
#include "zt_lib32/conf_file.h"

#include <stdlib.h>
#include <string.h>

#include "conf_items.h"
#include "zt_lib32/strings.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using namespace zt_conf;

namespace {

constexpr unsigned kNone = ~0u;

// Keyword numbers in the per-line index: 1 to kMaxKeyIds for the distinct
// keywords of a text in the order they come, kManyKeys for the keywords after
// those (found by comparing them), kEndLine added on closing lines. 0 on lines
// without a keyword; kNoKey for a keyword no line has.
constexpr unsigned kMaxKeyIds = 126;
constexpr unsigned char kManyKeys = 127;
constexpr unsigned char kEndLine = 0x80;
constexpr unsigned kNoKey = 0;
constexpr unsigned kKeySlots = 256;  // open hash table, at most half full

inline unsigned KeySlot(unsigned long long tag, unsigned length) {
  return static_cast<unsigned>(((tag ^ length) * 0x9E3779B97F4A7C15ull) >> 56) & (kKeySlots - 1);
}

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

inline unsigned long long KeyTag(const char* key, unsigned length) {
  unsigned long long tag = 0;
  for (unsigned i = 0; i < 8 && i < length; ++i)
    tag |= static_cast<unsigned long long>(ztToUpper(static_cast<unsigned char>(key[i]))) << (8 * i);
  return tag;
}

// The scans of the line index read the loaded text sixteen bytes at a time
// where they can; the text is followed by readable bytes (CZTFile), and every
// line by a line break or NUL, which stops them.
#if defined(__SSE2__)
inline unsigned ByteMask(__m128i bytes, char c) {
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
}
#endif

// The first n bytes at a and at b are the same; both lie in the loaded text
// (lines of at least n bytes), so that whole blocks may be compared.
inline bool SamePrefix(const char* a, const char* b, unsigned n) {
#if defined(__SSE2__)
  unsigned i = 0;
  for (; i + 16 <= n; i += 16) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)) != 0xFFFF) return false;
  }
  if (i == n) return true;
  __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
  __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
  const unsigned wanted = (1u << (n - i)) - 1;
  return (static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y))) & wanted) == wanted;
#else
  return memcmp(a, b, n) == 0;
#endif
}

// Skips blanks and tabs from p on up to the end of the line.
inline unsigned SkipBlanks(const char* text, unsigned p, unsigned end) {
#if defined(__SSE2__)
  (void)end;
  for (;;) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + p));
    unsigned others = ~(ByteMask(bytes, ' ') | ByteMask(bytes, '\t')) & 0xFFFF;
    if (others) return p + static_cast<unsigned>(__builtin_ctz(others));
    p += 16;
  }
#else
  while (p < end && IsBlank(text[p])) ++p;
  return p;
#endif
}

// The end of a keyword that starts at p: a blank, tab, colon, semicolon or the end of the line.
inline unsigned KeywordEnd(const char* text, unsigned p, unsigned end) {
#if defined(__SSE2__)
  for (; p < end; p += 16) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + p));
    unsigned stops = ByteMask(bytes, ' ') | ByteMask(bytes, '\t') | ByteMask(bytes, ':') | ByteMask(bytes, ';');
    if (stops) {
      unsigned k = p + static_cast<unsigned>(__builtin_ctz(stops));
      return k < end ? k : end;
    }
  }
  return end;
#else
  while (p < end && !IsKeyEnd(text[p])) ++p;
  return p;
#endif
}

#if defined(__SSE2__)
// The start of a line read from bit masks of its first 48 bytes: 1 with the
// offsets of the keyword, of its end and of the data; 0 for a line without a
// keyword (blank, comment); -1 when the line needs the byte-wise scans.
inline int ScanLineStart(const char* line, unsigned length, unsigned* key, unsigned* keyEnd, unsigned* data) {
  constexpr unsigned kWindow = 48;
  unsigned long long blanks = 0, stops = 0;
  for (unsigned k = 0; k < kWindow / 16 && 16 * k < length; ++k) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + 16 * k));
    unsigned blank = ByteMask(bytes, ' ') | ByteMask(bytes, '\t');
    blanks |= static_cast<unsigned long long>(blank) << (16 * k);
    stops |= static_cast<unsigned long long>(blank | ByteMask(bytes, ':') | ByteMask(bytes, ';')) << (16 * k);
  }
  const bool whole = length <= kWindow;
  const unsigned long long window = (1ull << (whole ? length : kWindow)) - 1;
  const unsigned long long others = ~blanks & window;
  if (!others) return whole ? 0 : -1;
  const unsigned p = static_cast<unsigned>(__builtin_ctzll(others));
  const char c = line[p];
  if (c == ';' || c == '#' || (c == '/' && p + 1 < length && line[p + 1] == '/')) return 0;
  // The end of the line stops the keyword as a blank would.
  const unsigned k = static_cast<unsigned>(__builtin_ctzll((stops | ~window) & (~0ull << p)));
  if (k >= kWindow && !whole) return -1;
  if (k == p) return 0;
  unsigned long long rest = others & (~0ull << k);
  unsigned q = rest ? static_cast<unsigned>(__builtin_ctzll(rest)) : length;
  if (q < length && line[q] == ':') {
    rest = others & (~0ull << (q + 1));
    q = rest ? static_cast<unsigned>(__builtin_ctzll(rest)) : length;
  }
  if (!rest && !whole) return -1;
  *key = p;
  *keyEnd = k;
  *data = q;
  return 1;
}
#endif

// KeyTag of a keyword in the loaded text, the ASCII letters turned to capitals a word at a time.
inline unsigned long long TextKeyTag(const char* key, unsigned length) {
  unsigned long long x;
  memcpy(&x, key, sizeof(x));
  if (length < 8) x &= (1ull << (8 * length)) - 1;
  if (x & kHighs) return KeyTag(key, length);
  unsigned long long lower = (x + kOnes * (0x80 - 'a')) & ~(x + kOnes * (0x80 - 'z' - 1)) & kHighs;
  return x - (lower >> 2);
}

// The data from k to end is END (any letter case), nothing but blanks or a comment after it.
inline bool IsEndData(const char* text, unsigned k, unsigned end) {
  if (end - k < 3 || ztToUpper(static_cast<unsigned char>(text[k])) != 'E' ||
      ztToUpper(static_cast<unsigned char>(text[k + 1])) != 'N' ||
      ztToUpper(static_cast<unsigned char>(text[k + 2])) != 'D')
    return false;
  unsigned r = k + 3;
  while (r < end && IsBlank(text[r])) ++r;
  return r == end || text[r] == ';';
}

inline bool SameKey(const char* a, const char* b, unsigned length) {
  for (unsigned i = 0; i < length; ++i)
    if (ztToUpper(static_cast<unsigned char>(a[i])) != ztToUpper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The first line from from to last (inclusive) whose number is id; kNone when none.
inline unsigned FindId(const unsigned char* ids, unsigned id, unsigned from, unsigned last) {
  if (from > last) return kNone;
  // Mostly the line asked for is the first or the next one.
  if (ids[from] == id) return from;
  if (from == last) return kNone;
  if (ids[from + 1] == id) return from + 1;
  const void* hit = memchr(ids + from + 1, static_cast<int>(id), last - from);
  return hit ? static_cast<unsigned>(static_cast<const unsigned char*>(hit) - ids) : kNone;
}

// The last line of the block that starts at line first (number id) within the
// enclosing block's last line: the line before the next line of the keyword,
// unless a closing line of it comes first, which ends the block itself.
inline unsigned BlockEndId(const unsigned char* ids, unsigned id, unsigned first, unsigned enclosingLast) {
  if (first >= enclosingLast) return enclosingLast;
  if (ids[first + 1] == id) return first;
  const void* next = memchr(ids + first + 1, static_cast<int>(id), enclosingLast - first);
  unsigned stop = next ? static_cast<unsigned>(static_cast<const unsigned char*>(next) - ids) : enclosingLast + 1;
  const void* closing = memchr(ids + first + 1, static_cast<int>(id | kEndLine), stop - first - 1);
  if (closing) return static_cast<unsigned>(static_cast<const unsigned char*>(closing) - ids);
  return stop - 1;
}

// Lines from first to last (inclusive) whose number is id.
inline unsigned CountId(const unsigned char* ids, unsigned id, unsigned first, unsigned last) {
  unsigned n = 0, i = first;
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi8(static_cast<char>(id));
  while (last >= i && last - i >= 15) {
    // Up to 255 blocks of sixteen counted in bytes, then summed.
    __m128i sums = _mm_setzero_si128();
    for (unsigned k = 0; k < 255 && last >= i && last - i >= 15; ++k, i += 16) {
      __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ids + i));
      sums = _mm_sub_epi8(sums, _mm_cmpeq_epi8(bytes, wanted));
    }
    __m128i total = _mm_sad_epu8(sums, _mm_setzero_si128());
    n += static_cast<unsigned>(_mm_cvtsi128_si32(total)) + static_cast<unsigned>(_mm_extract_epi16(total, 4));
  }
#endif
  for (; i <= last; ++i) n += ids[i] == id;
  return n;
}

}  // namespace

// One distinct keyword of the loaded text.
struct SZTConfKey {
  unsigned long long tag;
  unsigned length;  // 0: free slot
  unsigned start;   // offset of the keyword in its first line
  unsigned id;
};

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
      m_pKeyIds(nullptr),
      m_pKeys(nullptr),
      m_uKeyCount(0),
      m_uPreviousKeyLine(0),
      m_linePrefix(),
      m_bPlain(0),
      m_keyMemos(),
      m_uEditCapacity(0),
      m_uEditError(0),
      m_uKeywordColumn(8),
      m_uDataColumn(32),
      m_uLabelWidth(24),
      m_uCommentColumn(80),
      m_uLineWidth(104) {}

CZTConfFile::~CZTConfFile() { Free(); }

void CZTConfFile::FreeLines() {
  free(m_pConfLines);
  free(m_pKeyIds);
  free(m_pKeys);
  m_pConfLines = nullptr;
  m_pKeyIds = nullptr;
  m_pKeys = nullptr;
  m_uConfCapacity = 0;
  m_uKeyCount = 0;
  m_uPreviousKeyLine = 0;
  m_linePrefix.length = 0;
  for (SZTKeyMemo& memo : m_keyMemos) memo.bytes[0] = '\0';
}

void CZTConfFile::Free() {
  FreeText();
  FreeLines();
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
  FreeLines();
  int ok = Load(fileName);
  if (!ok) {
    FreeLines();
    ResetLevels();
  }
  return ok;
}

int CZTConfFile::ReadIt(const char* text, unsigned length) {
  FreeLines();
  m_szFileName[0] = '\0';
  int ok = SetText(text, length);
  if (!ok) {
    FreeLines();
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
    unsigned char* ids = static_cast<unsigned char*>(realloc(m_pKeyIds, grown));
    if (!ids) return 0;
    m_pKeyIds = ids;
    m_uConfCapacity = grown;
  }
  const char* text = GetTextData();
  SZTConfLine& conf = m_pConfLines[index];
  m_pKeyIds[index] = 0;
  unsigned p = start;
  conf.keyStart = p;
  conf.keyLength = 0;
  conf.keyTag = 0;
  conf.dataStart = end;
  conf.flags = 0;
  // A line that starts byte for byte as the previous keyword line does, up to
  // that line's data, has its keyword (the keyword's end lies within); its data
  // starts where the blanks (and the colon, if not passed yet) after that end.
  const unsigned prefix = m_linePrefix.length;
  if (prefix && end - start >= prefix && SamePrefix(text + start, text + m_linePrefix.start, prefix)) {
    unsigned k = SkipBlanks(text, start + prefix, end);
    if (!m_linePrefix.colon && k < end && text[k] == ':') k = SkipBlanks(text, k + 1, end);
    const SZTConfLine& previous = m_pConfLines[m_uPreviousKeyLine];
    conf.keyStart = start + m_linePrefix.keyStart;
    conf.keyLength = previous.keyLength;
    conf.keyTag = previous.keyTag;
    conf.dataStart = k;
    const bool closing = IsEndData(text, k, end);
    if (closing) conf.flags = ZT_CONF_LINE_END;
    m_pKeyIds[index] =
        static_cast<unsigned char>((m_pKeyIds[m_uPreviousKeyLine] & ~kEndLine) | (closing ? kEndLine : 0));
    m_uPreviousKeyLine = index;
    m_linePrefix.start = start;
    return 1;
  }
  unsigned keyEnd = 0, k = 0;
  int shape = -1;
#if defined(__SSE2__)
  shape = ScanLineStart(text + start, end - start, &p, &keyEnd, &k);
  if (shape == 0) return 1;
  p += start;
  keyEnd += start;
  k += start;
#endif
  if (shape < 0) {
    p = SkipBlanks(text, start, end);
    if (p >= end) return 1;
    char c = text[p];
    if (c == ';' || c == '#' || (c == '/' && p + 1 < end && text[p + 1] == '/')) return 1;
    keyEnd = KeywordEnd(text, p, end);
    if (keyEnd == p) return 1;
    k = SkipBlanks(text, keyEnd, end);
    if (k < end && text[k] == ':') ++k;
    k = SkipBlanks(text, k, end);
  }
  conf.keyStart = p;
  conf.keyLength = keyEnd - p;
  conf.keyTag = TextKeyTag(text + p, keyEnd - p);
  conf.dataStart = k;
  if (IsEndData(text, k, end)) conf.flags |= ZT_CONF_LINE_END;
  // Reused by the next keyword line if it starts alike; the keyword must end within.
  m_linePrefix.start = start;
  m_linePrefix.length = keyEnd < k ? k - start : 0;
  m_linePrefix.keyStart = p - start;
  m_linePrefix.colon = memchr(text + keyEnd, ':', k - keyEnd) != nullptr;
  // The keyword's number: the same keywords (as LookupKey compares them) share one.
  if (!m_pKeys) {
    m_pKeys = static_cast<SZTConfKey*>(calloc(kKeySlots, sizeof(SZTConfKey)));
    if (!m_pKeys) return 0;
  }
  // Lines of one keyword mostly come in runs: the previous keyword line's number, if it is the same keyword.
  unsigned id = kManyKeys;
  const SZTConfLine& previous = m_pConfLines[m_uPreviousKeyLine];
  if (index && conf.keyLength <= 8 && previous.keyTag == conf.keyTag && previous.keyLength == conf.keyLength) {
    m_pKeyIds[index] = static_cast<unsigned char>((m_pKeyIds[m_uPreviousKeyLine] & ~kEndLine) |
                                                  ((conf.flags & ZT_CONF_LINE_END) ? kEndLine : 0));
    m_uPreviousKeyLine = index;
    return 1;
  }
  m_uPreviousKeyLine = index;
  for (unsigned slot = KeySlot(conf.keyTag, conf.keyLength);; slot = (slot + 1) & (kKeySlots - 1)) {
    SZTConfKey& key = m_pKeys[slot];
    if (key.length == 0) {
      if (m_uKeyCount < kMaxKeyIds) {
        key.tag = conf.keyTag;
        key.length = conf.keyLength;
        key.start = conf.keyStart;
        key.id = id = ++m_uKeyCount;
      }
      break;
    }
    if (key.tag == conf.keyTag && key.length == conf.keyLength &&
        (key.length <= 8 || memcmp(text + key.start, text + conf.keyStart, key.length) == 0 ||
         SameKey(text + key.start, text + conf.keyStart, key.length))) {
      id = key.id;
      break;
    }
  }
  m_pKeyIds[index] = static_cast<unsigned char>(id | ((conf.flags & ZT_CONF_LINE_END) ? kEndLine : 0));
  return 1;
}

int CZTConfFile::OnTextLoaded() {
  if (!m_pConfLines) {
    m_pConfLines = static_cast<SZTConfLine*>(malloc(sizeof(SZTConfLine)));
    m_pKeyIds = static_cast<unsigned char*>(malloc(1));
    if (!m_pConfLines || !m_pKeyIds) return 0;
    m_uConfCapacity = 1;
  }
  ResetLevels();
  return 1;
}

const char* CZTConfFile::LookupKeyId(const char* keyword, unsigned* keyLength, unsigned long long* keyTag,
                                     unsigned* id) {
  if (!keyword) return nullptr;
  // The remembered bytes end in a NUL within the array (or are empty), which
  // ends the comparison if nothing else does first.
  const size_t address = reinterpret_cast<size_t>(keyword);
  SZTKeyMemo& memo = m_keyMemos[(address ^ (address >> 4) ^ (address >> 8)) & 15];
  if (memo.bytes[0]) {
    unsigned i = 0;
    while (keyword[i] == memo.bytes[i]) {
      if (!keyword[i]) {
        *keyLength = memo.length;
        *keyTag = memo.tag;
        *id = m_bPlain ? static_cast<unsigned>(kManyKeys) : memo.id;
        return keyword + memo.offset;
      }
      ++i;
    }
  }
  return LookupNewKeyId(keyword, keyLength, keyTag, id, &memo);
}

const char* CZTConfFile::LookupNewKeyId(const char* keyword, unsigned* keyLength, unsigned long long* keyTag,
                                        unsigned* id, SZTKeyMemo* memo) {
  const unsigned plainId = kManyKeys;
  const char* key = LookupKey(keyword, keyLength, keyTag);
  if (!key) return nullptr;
  *id = KeyId(key, *keyLength, *keyTag);
  memo->bytes[0] = '\0';
  unsigned i = 0;
  while (i < sizeof(memo->bytes) && keyword[i]) ++i;
  if (i < sizeof(memo->bytes)) {
    memcpy(memo->bytes, keyword, i + 1);
    memo->offset = static_cast<unsigned>(key - keyword);
    memo->length = *keyLength;
    memo->tag = *keyTag;
    memo->id = *id;
  }
  if (m_bPlain) *id = plainId;
  return key;
}

unsigned CZTConfFile::KeyId(const char* key, unsigned keyLength, unsigned long long keyTag) const {
  if (!m_pKeys) return kNoKey;
  const char* text = GetTextData();
  for (unsigned slot = KeySlot(keyTag, keyLength);; slot = (slot + 1) & (kKeySlots - 1)) {
    const SZTConfKey& entry = m_pKeys[slot];
    if (entry.length == 0) return m_uKeyCount < kMaxKeyIds ? kNoKey : kManyKeys;
    if (entry.tag == keyTag && entry.length == keyLength &&
        (keyLength <= 8 || SameKey(text + entry.start, key, keyLength)))
      return entry.id;
  }
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

unsigned CZTConfFile::FindLine(unsigned id, const char* keyword, unsigned keyLength, unsigned long long keyTag,
                               unsigned from, unsigned last) const {
  if (m_bPlain || id == kManyKeys) return FindKeyLine(keyword, keyLength, keyTag, from, last);
  const unsigned count = GetLineCount();
  if (id == kNoKey || !m_pConfLines || !count) return kNone;
  return FindId(m_pKeyIds, id, from, last < count ? last : count - 1);
}

unsigned CZTConfFile::CountLines(unsigned id, const char* keyword, unsigned keyLength,
                                 unsigned long long keyTag) const {
  if (!m_pConfLines || m_uLevel >= ZT_CONF_MAX_LEVELS) return 0;
  const unsigned count = GetLineCount();
  unsigned first = m_uBlockFirst[m_uLevel], last = m_uBlockLast[m_uLevel];
  unsigned n = 0;
  if (id == kManyKeys) {
    for (unsigned i = FindKeyLine(keyword, keyLength, keyTag, first, last); i != kNone;
         i = i < last ? FindKeyLine(keyword, keyLength, keyTag, i + 1, last) : kNone)
      ++n;
    return n;
  }
  if (id == kNoKey || !count) return 0;
  if (last >= count) last = count - 1;
  return first <= last ? CountId(m_pKeyIds, id, first, last) : 0;
}

unsigned CZTConfFile::BlockEnd(unsigned first, unsigned enclosingLast) const {
  const unsigned count = GetLineCount();
  if (enclosingLast >= count) enclosingLast = count - 1;
  const unsigned id = m_pKeyIds[first] & ~kEndLine;
  if (!m_bPlain && id != kManyKeys) return BlockEndId(m_pKeyIds, id, first, enclosingLast);
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
  unsigned keyLength, id;
  unsigned long long tag;
  const char* key = LookupKeyId(keyword, &keyLength, &tag, &id);
  if (count) *count = 0;
  if (!key || !GetTextData()) return 0;
  if (count) *count = CountLines(id, key, keyLength, tag);
  return 1;
}

unsigned CZTConfFile::GetKeyCount(const char* keyword) {
  unsigned keyLength, id;
  unsigned long long tag;
  const char* key = LookupKeyId(keyword, &keyLength, &tag, &id);
  return key ? CountLines(id, key, keyLength, tag) : 0;
}

int CZTConfFile::SelectBlock(const char* keyword) {
  unsigned keyLength, id;
  unsigned long long tag;
  const char* key = LookupKeyId(keyword, &keyLength, &tag, &id);
  if (!key || !m_pConfLines || m_uLevel + 1 >= ZT_CONF_MAX_LEVELS) return 0;
  unsigned last = m_uBlockLast[m_uLevel];
  unsigned first = FindLine(id, key, keyLength, tag, m_uBlockFirst[m_uLevel], last);
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
  const unsigned id = m_pKeyIds[current] & ~kEndLine;
  if (!m_bPlain && id != kManyKeys) {
    // Numbered keywords, as nearly always: no calls.
    if (enclosingLast >= count) enclosingLast = count - 1;
    const unsigned next = FindId(m_pKeyIds, id, from, enclosingLast);
    if (next == kNone) return 0;
    m_uBlockFirst[m_uLevel] = next;
    m_uBlockLast[m_uLevel] = BlockEndId(m_pKeyIds, id, next, enclosingLast);
    return 1;
  }
  const SZTConfLine& opening = m_pConfLines[current];
  unsigned next = FindLine(m_pKeyIds[current] & ~kEndLine, GetTextData() + opening.keyStart, opening.keyLength,
                           opening.keyTag, from, enclosingLast);
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

ZT_CONF_INLINE unsigned CZTConfFile::ReadLine(const char* keyword, const LineRequest& request) {
  if (request.count) *request.count = 0;
  for (unsigned t = 0; t < request.textCount; ++t) {
    if (request.lengths[t]) *request.lengths[t] = 0;
    if (!request.texts[t] || request.sizes[t] == 0) return ZT_CONF_BAD_ARGUMENT;
    request.texts[t][0] = '\0';
  }
  if (!request.values && request.maximum) return ZT_CONF_BAD_ARGUMENT;
  unsigned keyLength, id;
  unsigned long long tag;
  const char* key = LookupKeyId(keyword, &keyLength, &tag, &id);
  if (!key || !m_pConfLines || m_uLevel >= ZT_CONF_MAX_LEVELS) return ZT_CONF_BAD_ARGUMENT;

  unsigned line;
  if (m_bRange) {
    line = FindLine(id, key, keyLength, tag, m_uRangeFrom, m_uRangeTo);
    if (line == kNone) return ZT_CONF_NO_LINE;
    m_uRangeFrom = line + 1;
  } else {
    line = FindLine(id, key, keyLength, tag, m_uBlockFirst[m_uLevel], m_uBlockLast[m_uLevel]);
    if (line == kNone) return ZT_CONF_NO_LINE;
  }

  const char* text = GetTextData();
  const unsigned from = m_pConfLines[line].dataStart, end = GetLines()[line].end;
  if (!m_bPlain) {
    unsigned result = ReadItemsQuick(text, from, end, request);
    if (result != kQuickUnsure) return result;
  }
  return ReadItems(text, from, end, request);
}

unsigned CZTConfFile::GetWord(const char* keyword, unsigned* value) {
  unsigned v = 0, n = 0;
  const LineRequest request = {true, &v, 1, &n, 0, nullptr, nullptr, nullptr};
  unsigned r = ReadLine(keyword, request);
  if (n && value) *value = v;
  if (r == ZT_CONF_OK && n == 0) return ZT_CONF_MISSING_VALUE;
  return r;
}

unsigned CZTConfFile::GetWords(const char* keyword, unsigned* values, unsigned maximum, unsigned* count) {
  const LineRequest request = {true, values, maximum, count, 0, nullptr, nullptr, nullptr};
  return ReadLine(keyword, request);
}

unsigned CZTConfFile::GetText(const char* keyword, char* text, unsigned size, unsigned* length) {
  char* texts[1] = {text};
  unsigned sizes[1] = {size};
  unsigned* lengths[1] = {length};
  const LineRequest request = {false, nullptr, 0, nullptr, 1, texts, sizes, lengths};
  return ReadLine(keyword, request);
}

unsigned CZTConfFile::Get2Text(const char* keyword, char* text1, unsigned size1, unsigned* length1, char* text2,
                               unsigned size2, unsigned* length2) {
  char* texts[2] = {text1, text2};
  unsigned sizes[2] = {size1, size2};
  unsigned* lengths[2] = {length1, length2};
  const LineRequest request = {false, nullptr, 0, nullptr, 2, texts, sizes, lengths};
  return ReadLine(keyword, request);
}

unsigned CZTConfFile::GetWordsText(const char* keyword, unsigned* values, unsigned maximum, unsigned* count, char* text,
                                   unsigned size, unsigned* length) {
  char* texts[1] = {text};
  unsigned sizes[1] = {size};
  unsigned* lengths[1] = {length};
  const LineRequest request = {true, values, maximum, count, 1, texts, sizes, lengths};
  return ReadLine(keyword, request);
}

unsigned CZTConfFile::GetWords2Text(const char* keyword, unsigned* values, unsigned maximum, unsigned* count,
                                    char* text1, unsigned size1, unsigned* length1, char* text2, unsigned size2,
                                    unsigned* length2) {
  char* texts[2] = {text1, text2};
  unsigned sizes[2] = {size1, size2};
  unsigned* lengths[2] = {length1, length2};
  const LineRequest request = {true, values, maximum, count, 2, texts, sizes, lengths};
  return ReadLine(keyword, request);
}
