#include "zt_tbl32/str_cmp.h"

#include <stdint.h>
#include <string.h>

namespace {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

CZTStrCmp::CZTStrCmp(char single, char digit, char sequence)
    : m_cSingle(single), m_cDigit(digit), m_cSequence(sequence), m_uSegCount(0) {
  for (Segment& seg : m_Seg) {
    seg.uLength = 0;
    seg.szText[0] = '\0';
  }
}

int CZTStrCmp::SetupString(const char* pattern, unsigned length, int fCase) {
  m_uSegCount = 0;
  if (!pattern) return 0;
  if (length == 0) length = static_cast<unsigned>(strlen(pattern));
  if (length == 0) return 0;
  // The comparer has room for 16 segments: refuse rather than drop jokers.
  unsigned jokers = 0;
  for (unsigned i = 0; i < length; ++i)
    if (pattern[i] == m_cSequence) ++jokers;
  if (jokers >= kMaxSegments) return 0;

  unsigned count = 0;
  Segment* seg = &m_Seg[0];
  seg->uLength = 0;
  for (unsigned i = 0;; ++i) {
    if (i == length || pattern[i] == m_cSequence) {
      seg->szText[seg->uLength] = '\0';
      ++count;
      if (i == length) break;
      seg = &m_Seg[count];
      seg->uLength = 0;
      continue;
    }
    if (seg->uLength + 1 < kSegmentSize) {
      char c = pattern[i];
      if (fCase) c = static_cast<char>(ztToUpper(static_cast<unsigned char>(c)));
      seg->szText[seg->uLength++] = c;
    }
  }
  m_uSegCount = count;
  return 1;
}

template <bool kIgnoreCase>
int CZTStrCmp::Match(const char* text, unsigned length, int fTrim) const {
  if (!text || m_uSegCount == 0) return 0;
  if (length == 0) length = static_cast<unsigned>(strlen(text));
  const char* p = text;
  const char* end = text + length;
  if (fTrim) {
    while (p < end && IsBlank(*p)) ++p;
    // The usual "prefix*" pattern needs no trailing trim when the prefix ends in a
    // character that cannot match a blank: the text matches when the prefix does
    // and a non-blank follows it.
    if (m_uSegCount == 2 && m_Seg[1].uLength == 0 && m_Seg[0].uLength) {
      const Segment& prefix = m_Seg[0];
      const char last = prefix.szText[prefix.uLength - 1];
      if (!IsBlank(last) && last != m_cSingle && last != m_cSequence) {
        if (static_cast<unsigned>(end - p) <= prefix.uLength) return 0;
        for (unsigned i = 0; i < prefix.uLength; ++i) {
          const char sc = prefix.szText[i];
          const char tc = p[i];
          if (sc == m_cSingle) continue;
          if (sc == m_cDigit ? !IsDigit(tc)
                             : (kIgnoreCase ? ztToUpper(static_cast<unsigned char>(sc)) !=
                                                  ztToUpper(static_cast<unsigned char>(tc))
                                            : sc != tc))
            return 0;
        }
        for (const char* q = p + prefix.uLength; q < end; ++q)
          if (!IsBlank(*q)) return 1;
        return 0;
      }
    }
    // Fixed-length fields end in long runs of blanks: skip them eight at a time.
    static const uint64_t kBlanks = 0x2020202020202020ull;
    while (end - p >= 8) {
      uint64_t word;
      memcpy(&word, end - 8, 8);
      if (word != kBlanks) break;
      end -= 8;
    }
    while (end > p && IsBlank(end[-1])) --end;
  }
  if (p == end) return 0;

  auto fold = [](char c) -> char {
    return kIgnoreCase ? static_cast<char>(ztToUpper(static_cast<unsigned char>(c))) : c;
  };
  // One segment character against one text character.
  auto same = [&](char s, char t) -> bool {
    if (s == m_cSingle) return true;
    if (s == m_cDigit) return IsDigit(t);
    return fold(s) == fold(t);
  };
  auto matchAt = [&](const Segment& seg, const char* at) -> bool {
    for (unsigned i = 0; i < seg.uLength; ++i)
      if (!same(seg.szText[i], at[i])) return false;
    return true;
  };

  const Segment& prefix = m_Seg[0];
  if (static_cast<unsigned>(end - p) < prefix.uLength || !matchAt(prefix, p)) return 0;
  if (m_uSegCount == 1) return static_cast<unsigned>(end - p) == prefix.uLength;
  p += prefix.uLength;

  unsigned last = m_uSegCount - 1;  // the suffix
  const Segment& suffix = m_Seg[last];
  if (suffix.uLength) {
    if (static_cast<unsigned>(end - p) < suffix.uLength || !matchAt(suffix, end - suffix.uLength)) return 0;
    end -= suffix.uLength;
    --last;  // consumed: only middle segments remain
  }
  // Nothing between prefix and suffix: a remaining segment (a middle one, or the
  // empty suffix of a trailing joker) still wants at least its joker's place.
  if (p == end) return last == 0;

  for (unsigned s = 1; s < m_uSegCount - 1; ++s) {
    const Segment& seg = m_Seg[s];
    if (seg.uLength == 0) continue;
    const char first = seg.szText[0];
    const char* at = p;
    for (;; ++at) {
      if (static_cast<unsigned>(end - at) < seg.uLength) return 0;
      bool candidate = first == m_cSingle || (first == m_cDigit ? IsDigit(*at) : fold(first) == fold(*at));
      if (candidate && matchAt(seg, at)) break;
    }
    p = at + seg.uLength;
  }
  return 1;
}

int CZTStrCmp::CompareStringA(const char* text, unsigned length, int fTrim) const {
  return Match<false>(text, length, fTrim);
}

int CZTStrCmp::CompareiString(const char* text, unsigned length, int fTrim) const {
  return Match<true>(text, length, fTrim);
}
