#include "zt_tbl32/sel_marks.h"

#include <new>

CZTSelMarks::CZTSelMarks()
    : m_pMarks(nullptr), m_uCount(0), m_uAlloc(0), m_uLimit(0), m_uSpacing(kMinSpacing), m_uSince(0), m_uBase(0) {}

CZTSelMarks::~CZTSelMarks() { Free(); }

void CZTSelMarks::Free() {
  delete[] m_pMarks;
  m_pMarks = nullptr;
  m_uCount = m_uAlloc = m_uLimit = 0;
  m_uSince = m_uBase = 0;
}

int CZTSelMarks::Init(unsigned entries) {
  Free();
  // Room for the marks of the key ranges' first entries besides the spaced ones.
  const unsigned usable = kMaxMarks - 8;
  const unsigned spacing = entries / usable + (entries % usable != 0);
  m_uSpacing = spacing < kMinSpacing ? kMinSpacing : spacing;
  m_uLimit = entries / m_uSpacing + 8;
  return Grow() ? 1 : 0;
}

bool CZTSelMarks::Grow() {
  if (m_uAlloc >= m_uLimit) return false;
  unsigned size = m_uAlloc ? 2 * m_uAlloc : 256;
  if (size > m_uLimit) size = m_uLimit;
  SZTSelMark* grown = new (std::nothrow) SZTSelMark[size];
  if (!grown) return false;
  for (unsigned i = 0; i < m_uCount; ++i) grown[i] = m_pMarks[i];
  delete[] m_pMarks;
  m_pMarks = grown;
  m_uAlloc = size;
  return true;
}

unsigned CZTSelMarks::Find(unsigned rank) const {
  unsigned lo = 0, hi = m_uCount;  // marks [0, lo) have uBefore <= rank
  while (lo < hi) {
    const unsigned mid = lo + (hi - lo) / 2;
    if (m_pMarks[mid].uBefore <= rank)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo ? lo - 1 : kZTNotFound;
}
