// Evenly spaced positions remembered while the records a selection picks are
// counted in index order, so that the n-th picked record is found again by
// reading a bounded number of index entries instead of counting from the start.
#pragma once

#include "zt_tbl32/frame.h"

// One position: an index entry's record address and how many picked records
// come before it in the index.
struct SZTSelMark {
  unsigned uAddress;
  unsigned uBefore;
};

class ZT_TBL32_API CZTSelMarks {
 public:
  // Marks are 8 bytes: at most 1 MB of them, whatever the size of the index.
  enum : unsigned { kMaxMarks = 131072 - 8, kMinSpacing = 16 };

  SZTSelMark* m_pMarks;
  unsigned m_uCount;
  unsigned m_uAlloc;
  unsigned m_uLimit;    // the most marks the index can need
  unsigned m_uSpacing;  // index entries between two marks
  unsigned m_uSince;    // entries seen since the last mark; 0: the next entry is marked
  unsigned m_uBase;     // picked records of the ranges counted before the current one

  CZTSelMarks();
  ~CZTSelMarks();
  CZTSelMarks(const CZTSelMarks&) = delete;
  CZTSelMarks& operator=(const CZTSelMarks&) = delete;

  // Empties the marks and spaces them for an index of `entries` entries so
  // that they stay within kMaxMarks. int: 0 when the memory is missing.
  int Init(unsigned entries);
  void Free();
  // A key range begins: its first entry is always marked (so that a search never
  // walks the entries between two ranges); `before` picked records precede it.
  void StartRange(unsigned before) {
    m_uBase = before;
    m_uSince = 0;
  }
  // Counts one entry read; true when it is to be marked.
  bool Due() {
    const bool due = m_uSince == 0;
    if (++m_uSince == m_uSpacing) m_uSince = 0;
    return due;
  }
  // Marks an entry; `before` counts the picked records of the current range before it.
  void Add(unsigned address, unsigned before) {
    if (m_uCount < m_uAlloc || Grow()) m_pMarks[m_uCount++] = SZTSelMark{address, m_uBase + before};
  }
  // The last mark with at most `rank` picked records before it; kZTNotFound when none.
  unsigned Find(unsigned rank) const;

 private:
  // Room for more marks (doubling up to the limit); false when there is none.
  bool Grow();
};
