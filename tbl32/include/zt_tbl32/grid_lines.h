// The lines of a grid that stores its cells.
//
// Lines are kept in one array of pointers with a gap at the last place of
// change, so that any line is found in constant time and inserting or deleting
// where the previous change happened (appending, filling from the top) moves
// nothing. Filler lines that InsertItem adds below the end are null pointers
// until a cell of theirs is written.
#pragma once

#include "zt_tbl32/igrid_view.h"

// One line: its data word, the cells it has room for, then the cells.
struct SViewLine {
  uint32_t reserved[2];
  uint32_t data;   // data word given to InsertItem
  uint32_t cells;  // cells allocated below (the column count when it was made)
  SGridElt elt[1];
};

class ZT_TBL32_API CGridLines {
 public:
  CGridLines() {}
  ~CGridLines() { Clear(); }
  CGridLines(const CGridLines&) = delete;
  CGridLines& operator=(const CGridLines&) = delete;

  unsigned Count() const { return m_uCount; }
  // The line at index i (below Count()); null for a filler line never written.
  SViewLine* At(unsigned i) const { return m_ppLines[i < m_uGap ? i : i + (m_uCapacity - m_uCount)]; }
  // Replaces the pointer at index i (below Count()).
  void Put(unsigned i, SViewLine* line) { m_ppLines[i < m_uGap ? i : i + (m_uCapacity - m_uCount)] = line; }
  // Inserts count copies of line (null for fillers) at index i (at most Count()).
  // False when the array cannot grow; nothing changes then.
  bool Insert(unsigned i, SViewLine* line, unsigned count = 1);
  // Takes the line at index i (below Count()) out of the array and returns it.
  SViewLine* Remove(unsigned i);
  // Frees every line and its texts.
  void Clear();
  // Makes room for more lines, so that inserting them cannot fail.
  bool Reserve(size_t more);

  // A zeroed line with room for cells cells (at least one); null without memory.
  static SViewLine* NewLine(unsigned cells);
  // Frees a line's texts and the line.
  static void FreeLine(SViewLine* line);

 private:
  void MoveGap(unsigned to);

  SViewLine** m_ppLines = nullptr;
  unsigned m_uCount = 0;     // lines held
  unsigned m_uCapacity = 0;  // pointers allocated (lines + gap)
  unsigned m_uGap = 0;       // index where the gap starts
};
