#include "zt_tbl32/grid_lines.h"

#include <stdlib.h>
#include <string.h>

#include "grid_cell.h"

SViewLine* CGridLines::NewLine(unsigned cells) {
  if (cells == 0) cells = 1;
  const size_t bytes = offsetof(SViewLine, elt) + size_t(cells) * sizeof(SGridElt);
  if ((bytes - offsetof(SViewLine, elt)) / sizeof(SGridElt) != cells) return nullptr;
  SViewLine* line = static_cast<SViewLine*>(calloc(1, bytes));
  if (line) line->cells = cells;
  return line;
}

void CGridLines::FreeLine(SViewLine* line) {
  if (!line) return;
  for (unsigned c = 0; c < line->cells; ++c) ztGridCellFree(line->elt[c]);
  free(line);
}

bool CGridLines::Reserve(size_t more) {
  // 64-bit arithmetic: on 32-bit builds a count near 2^32 must not wrap.
  const uint64_t needed = uint64_t(m_uCount) + more;
  if (needed <= m_uCapacity) return true;
  const uint64_t limit = SIZE_MAX / sizeof(SViewLine*) < UINT32_MAX ? SIZE_MAX / sizeof(SViewLine*) : UINT32_MAX;
  if (needed > limit) return false;
  uint64_t capacity = m_uCapacity < 16 ? 16 : uint64_t(m_uCapacity) * 2;
  if (capacity < needed) capacity = needed;
  if (capacity > limit) capacity = limit;
  SViewLine** lines = static_cast<SViewLine**>(malloc(size_t(capacity) * sizeof(SViewLine*)));
  if (!lines) return false;
  // The gap is moved to the end on the way: everything before it, then everything after.
  const unsigned after = m_uCount - m_uGap;
  if (m_uGap) memcpy(lines, m_ppLines, m_uGap * sizeof(SViewLine*));
  if (after) memcpy(lines + m_uGap, m_ppLines + (m_uCapacity - after), after * sizeof(SViewLine*));
  free(m_ppLines);
  m_ppLines = lines;
  m_uCapacity = unsigned(capacity);
  m_uGap = m_uCount;
  return true;
}

void CGridLines::MoveGap(unsigned to) {
  const unsigned gap = m_uCapacity - m_uCount;
  if (to < m_uGap) {
    memmove(m_ppLines + to + gap, m_ppLines + to, (m_uGap - to) * sizeof(SViewLine*));
  } else if (to > m_uGap) {
    memmove(m_ppLines + m_uGap, m_ppLines + m_uGap + gap, (to - m_uGap) * sizeof(SViewLine*));
  }
  m_uGap = to;
}

bool CGridLines::Insert(unsigned i, SViewLine* line, unsigned count) {
  if (i > m_uCount || !Reserve(count)) return false;
  MoveGap(i);
  for (unsigned k = 0; k < count; ++k) m_ppLines[m_uGap++] = line;
  m_uCount += count;
  return true;
}

SViewLine* CGridLines::Remove(unsigned i) {
  MoveGap(i + 1);
  SViewLine* line = m_ppLines[--m_uGap];
  --m_uCount;
  return line;
}

void CGridLines::Clear() {
  for (unsigned i = 0; i < m_uCount; ++i) FreeLine(At(i));
  free(m_ppLines);
  m_ppLines = nullptr;
  m_uCount = m_uCapacity = m_uGap = 0;
}
