// A short most-recent-first list of texts kept in a description file and shown
// in a combo box.
#pragma once

#include "zt_tbl32/frame.h"

constexpr unsigned kZTHistoryMax = 16;
constexpr unsigned kZTHistoryTextSize = 260;

class ZT_TBL32_API CZTHistory {
 public:
  HWND m_hComboBox;  // the box last filled; may be null
  unsigned m_uCount;
  char m_szItems[kZTHistoryMax][kZTHistoryTextSize];  // entry 0 is the most recent

  CZTHistory();

  // Reads up to 16 lines of the keyword in the reader's current block. Always 1.
  int ParseItems(CZTConfFile& conf, const char* keyword);
  int WriteItems(CZTConfFile& conf, const char* keyword) const;
  // Puts the text on top (moving an equal entry there); the new count.
  unsigned InsertItem(const char* text);
  int FillComboBox(HWND window, unsigned controlId, unsigned select);

 private:
  // Keep the known combo box in step with the list (Windows only).
  void ComboDelete(unsigned index);
  void ComboInsertTop(const char* text);
};
