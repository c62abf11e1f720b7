// The description-file reader and writer.
//
// Reading: Read or ReadIt loads a text; keyword lines ("Keyword: data ; comment")
// are grouped into blocks: a block is a line with the keyword and the lines up to
// the next line with the same keyword (a keyword line whose data is END closes
// the block and is never a block of its own). SelectBlock enters the first block
// of a keyword one level deeper, SelectNextBlock moves to the next one,
// LeaveBlock steps back. Getters look in the current block; with the range flag
// set they deliver the next matching line of the range on each call.
//
// Writing: StartEdit, header and body lines, then WriteEdit or the edit text
// held in m_pEditText / m_uEditLength.
//
// Getter results: 0 ok, 1 no (further) line with the keyword, further codes below.
#pragma once

#include "zt_lib32/file.h"

enum : unsigned {
  ZT_CONF_OK = 0,
  ZT_CONF_NO_LINE = 1,        // no (further) line with the keyword
  ZT_CONF_BAD_NUMBER = 2,     // a number item is malformed or out of range
  ZT_CONF_UNTERMINATED = 3,   // a quoted text has no closing quote
  ZT_CONF_TOO_LONG = 4,       // a text is longer than its buffer (stored cut, terminated)
  ZT_CONF_TOO_MANY = 5,       // more numbers than the caller's maximum
  ZT_CONF_MISSING_VALUE = 6,  // the line lacks an item the getter needs
  ZT_CONF_BAD_ARGUMENT = 7,   // null buffer, size 0, no text loaded
};

constexpr unsigned ZT_CONF_MAX_LEVELS = 8;

class ZT_LIB32_API CZTConfFile : public CZTFile {
 public:
  // Block levels: level 0 is the whole text; per level the first and last line of
  // the current block (line indexes, last inclusive).
  unsigned m_uBlockFirst[ZT_CONF_MAX_LEVELS];
  unsigned m_uBlockLast[ZT_CONF_MAX_LEVELS];
  unsigned m_uLevel;      // current level index
  unsigned m_uRangeFrom;  // range reading: next line to look at
  unsigned m_uRangeTo;    // range reading: last line (inclusive)
  int m_bRange;           // range flag

  // The edited text (not terminated) and its length in bytes.
  char* m_pEditText;
  unsigned m_uEditLength;

  CZTConfFile();
  ~CZTConfFile() override;

  // Reading. int: 1 ok, 0 failure.
  int Read(const char* fileName, int, int);
  int ReadIt(const char* text, unsigned length);
  int GetBlockCount(const char* keyword, unsigned* count);
  int SelectBlock(const char* keyword);
  int SelectNextBlock();
  void LeaveBlock() {
    if (m_uLevel) --m_uLevel;
    m_bRange = 0;
  }
  // Range reading over the current block.
  void StartRange() {
    m_uRangeFrom = m_uBlockFirst[m_uLevel];
    m_uRangeTo = m_uBlockLast[m_uLevel];
    m_bRange = 1;
  }
  void EndRange() { m_bRange = 0; }
  // Lines with the keyword in the current block.
  unsigned GetKeyCount(const char* keyword);

  // Getters: numbers are unsigned decimal, "0x" hexadecimal, or 'c' (the code of c).
  unsigned GetWord(const char* keyword, unsigned* value);
  unsigned GetWords(const char* keyword, unsigned* values, unsigned maximum, unsigned* count);
  unsigned GetText(const char* keyword, char* text, unsigned size, unsigned* length);
  unsigned Get2Text(const char* keyword, char* text1, unsigned size1, unsigned* length1, char* text2, unsigned size2,
                    unsigned* length2);
  unsigned GetWordsText(const char* keyword, unsigned* values, unsigned maximum, unsigned* count, char* text,
                        unsigned size, unsigned* length);
  unsigned GetWords2Text(const char* keyword, unsigned* values, unsigned maximum, unsigned* count, char* text1,
                         unsigned size1, unsigned* length1, char* text2, unsigned size2, unsigned* length2);

  // Writing. Every caller passes StartEdit(0x10000, 8, 32, 24, 80, 104).
  int StartEdit(unsigned bufferSize, unsigned keywordColumn, unsigned dataColumn, unsigned dataWidth,
                unsigned commentColumn, unsigned lineWidth);
  void EditHdDelLine();
  void EditHdEmptyLine();
  void EditHdParamLine(unsigned number, const char* text);
  void EditComment(const char* text);
  void EditDataLine(const char* keyword, const char* data, const char* comment);
  void EditTextLine(const char* keyword, const char* text, const char* comment);
  void EditIntLine(const char* keyword, unsigned value, const char* comment);
  int WriteEdit(const char* fileName, int);

  // Releases the loaded text and the edit.
  void Free();
};
