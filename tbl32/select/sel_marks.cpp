#include "zt_tbl32/sel_marks.h"

#include <new>

CZTSelMarks::CZTSelMarks()
    : m_pMarks(nullptr), m_uCount(0), m_uAlloc(0), m_uSpacing(kMinSpacing), m_uSince(0), m_uBase(0) {}

CZTSelMarks::~CZTSelMarks() { Free(); }

void CZTSelMarks::Free() {
  delete[] m_pMarks;
  m_pMarks = nullptr;
  m_uCount = m_uAlloc = 0;
  m_uSince = m_uBase = 0;
}

int CZTSelMarks::Init(unsigned entries) {
  Free();
  // Room for the forced marks of the key ranges besides the spaced ones.
  const unsigned usable = kMaxMarks - 8;
  unsigned spacing = entries / usable + (entries % usable != 0);
  m_uSpacing = spacing < kMinSpacing ? kMinSpacing : spacing;
  const unsigned wanted = entries / m_uSpacing + 8;
  m_pMarks = new (std::nothrow) SZTSelMark[wanted];
  if (!m_pMarks) return 0;
  m_uAlloc = wanted;
  return 1;
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
  return lo ? lo - 1 : 0xFFFFFFFFu;
}
