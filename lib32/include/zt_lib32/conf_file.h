// The description-file reader and writer (format: docs/description-file.md).
//
// Reading: Read or ReadIt loads a text. Keyword lines ("Keyword: data ; comment")
// are grouped into blocks: a block is a line with the keyword and the lines up to
// the next line with the same keyword; a keyword line whose data is END closes
// the block (it belongs to it) and is never a block of its own. Keywords match
// case-insensitively, with or without the colon, on both sides.
//
// Levels: level 0 is the whole text. SelectBlock enters the first block of a
// keyword within the current level's block one level deeper; SelectNextBlock
// moves to the next block of the same keyword within the enclosing level;
// LeaveBlock steps back (never below 0) and clears the range flag.
//
// Getters: outside range mode a getter reads the first line with the keyword in
// the current level's block, on every call the same. In range mode (StartRange,
// or the range members set by hand and m_bRange non-zero) each call reads the
// next line with the keyword within m_uRangeFrom..m_uRangeTo and moves
// m_uRangeFrom past it, also when that line is malformed; 1 means no further
// line. Closing lines (data END) are never read by a getter nor counted.
//
// Items of the data: numbers (decimal, "0x" hexadecimal, or 'c' giving the code
// of c) and texts (double-quoted, a doubled "" standing for one quote; a single
// word without blanks, commas, semicolons or quotes may stand unquoted),
// separated by blanks, tabs and commas. Getters read the leading numbers, then
// the texts they need; items beyond those are "too many". Text outputs are
// always terminated within their size (empty when not reached); numbers beyond
// the count are left untouched.
//
// Writing: StartEdit, header and body lines, then WriteEdit, or the edit text in
// m_pEditText / m_uEditLength (read them after the last edit call: the buffer
// moves as it grows). An edit call that refuses its input (a line break in a
// text, a malformed keyword or data) returns 0 and marks the edit failed:
// WriteEdit then writes nothing and gives 0, and GetEditError tells why.
#pragma once

#include "zt_lib32/file.h"

// The line index, keyword table and edit state (inside the library only).
struct SZTConfFileImpl;

// Getter results (also GetEditError and CheckBlocks).
enum : unsigned {
  ZT_CONF_OK = 0,
  ZT_CONF_NO_LINE = 1,        // no (further) line with the keyword
  ZT_CONF_BAD_NUMBER = 2,     // a number item is malformed or does not fit 32 bits
  ZT_CONF_UNTERMINATED = 3,   // a quoted text has no closing quote
  ZT_CONF_TOO_LONG = 4,       // a text is longer than its buffer (stored cut, terminated)
  ZT_CONF_TOO_MANY = 5,       // more numbers than the caller's maximum, or items after the last one read
  ZT_CONF_MISSING_VALUE = 6,  // the line lacks an item the getter needs
  ZT_CONF_BAD_ARGUMENT = 7,   // null keyword or buffer, size 0, no text loaded
  ZT_CONF_BAD_CHARACTER = 8,  // a text holds a NUL byte (reading) or a line break (writing)
  ZT_CONF_BAD_BLOCK = 9,      // CheckBlocks: END without an open block, or a block opened inside an open one
  ZT_CONF_NO_MEMORY = 10,     // the edit buffer cannot grow
  ZT_CONF_BAD_KEYWORD = 11,   // writing: empty keyword, or one holding blanks, quotes, colons or semicolons
  ZT_CONF_BAD_DATA = 12,      // writing: data that would not read back as written (stray quote, semicolon)
  ZT_CONF_NO_EDIT = 13,       // writing without StartEdit
};

constexpr unsigned ZT_CONF_MAX_LEVELS = 8;

class ZT_LIB32_API CZTConfFile : public CZTFile {
 public:
  // Block levels: level 0 is the whole text; per level the first and last line of
  // the current block (line indexes, last inclusive).
  unsigned m_uBlockFirst[ZT_CONF_MAX_LEVELS] = {};
  unsigned m_uBlockLast[ZT_CONF_MAX_LEVELS] = {};
  unsigned m_uLevel = 0;      // current level index
  unsigned m_uRangeFrom = 0;  // range reading: next line to look at
  unsigned m_uRangeTo = 0;    // range reading: last line (inclusive)
  int m_bRange = 0;           // range flag

  // The edited text (terminated, the terminator not counted) and its length in bytes.
  char* m_pEditText = nullptr;
  unsigned m_uEditLength = 0;

  CZTConfFile();
  ~CZTConfFile() override;

  // Reading. int: 1 ok, 0 failure (m_uLastError: system error code). The two
  // flags are kept for the callers, who pass 1, 1; they change nothing.
  int Read(const char* fileName, int, int);
  // A text held in memory (copied); the same results as a file of those bytes.
  int ReadIt(const char* text, unsigned length);
  // Blocks of the keyword within the current level's block. int: 1 ok, 0 no text
  // loaded or a null keyword.
  int GetBlockCount(const char* keyword, unsigned* count);
  // int: 1 entered, 0 no such block, no text or no further level (the level is unchanged).
  int SelectBlock(const char* keyword);
  // int: 1 moved, 0 no further block (the current block stays selected).
  int SelectNextBlock();
  void LeaveBlock() {
    if (m_uLevel) --m_uLevel;
    m_bRange = 0;
  }
  // Range reading over the current block.
  void StartRange() {
    unsigned level = m_uLevel < ZT_CONF_MAX_LEVELS ? m_uLevel : 0;
    m_uRangeFrom = m_uBlockFirst[level];
    m_uRangeTo = m_uBlockLast[level];
    m_bRange = 1;
  }
  void EndRange() { m_bRange = 0; }
  // Lines with the keyword in the current block (closing lines not counted).
  unsigned GetKeyCount(const char* keyword);
  // Checks that blocks of the keyword in the current level are closed properly:
  // when the level has any closing line of the keyword, every block must end with
  // one before the next block starts, and every closing line must close a block.
  // ZT_CONF_OK, or ZT_CONF_BAD_BLOCK with the line number (from 1) of the first fault.
  unsigned CheckBlocks(const char* keyword, unsigned* lineNumber);

  // Getters. GetWord reads exactly one number.
  unsigned GetWord(const char* keyword, unsigned* value);
  unsigned GetWords(const char* keyword, unsigned* values, unsigned maximum, unsigned* count);
  unsigned GetText(const char* keyword, char* text, unsigned size, unsigned* length);
  unsigned Get2Text(const char* keyword, char* text1, unsigned size1, unsigned* length1, char* text2, unsigned size2,
                    unsigned* length2);
  unsigned GetWordsText(const char* keyword, unsigned* values, unsigned maximum, unsigned* count, char* text,
                        unsigned size, unsigned* length);
  unsigned GetWords2Text(const char* keyword, unsigned* values, unsigned maximum, unsigned* count, char* text1,
                         unsigned size1, unsigned* length1, char* text2, unsigned size2, unsigned* length2);

  // Writing. Every caller passes StartEdit(0x10000, 8, 32, 24, 80, 104):
  // bufferSize  first size of the edit buffer in bytes (it grows as needed);
  // keywordColumn  column of the keyword in keyword lines, and of the text in
  //                comment and header lines (after the ';' in column 0);
  // dataColumn  column where the data of a keyword line starts (at least one
  //             blank after the keyword's colon);
  // labelWidth  width of the label of header parameter lines, so that their
  //             texts line up with the data column;
  // commentColumn  column of a trailing comment (one blank after longer data);
  // lineWidth  width of header lines (the delimiter line, the centred title).
  // int: 1 ok, 0 no memory. A running edit is discarded.
  int StartEdit(unsigned bufferSize, unsigned keywordColumn, unsigned dataColumn, unsigned labelWidth,
                unsigned commentColumn, unsigned lineWidth);
  // Header lines (comments to the reader). Parameter numbers: 0 title (centred),
  // 2 table name (labelled "Table:"), others the text at the keyword column;
  // a null text gives an empty header line.
  int EditHdDelLine();
  int EditHdEmptyLine();
  int EditHdParamLine(unsigned number, const char* text);
  // A comment line; null gives an empty line. Line breaks in comments become blanks.
  int EditComment(const char* text);
  // Keyword lines. The colon is added to the keyword when missing. Data is written
  // as given and must read back as written (no line break, no stray quote or
  // semicolon); null is empty data. Comments may be null.
  int EditDataLine(const char* keyword, const char* data, const char* comment);
  // The text is written quoted (quotes doubled); null is the empty text.
  int EditTextLine(const char* keyword, const char* text, const char* comment);
  int EditIntLine(const char* keyword, unsigned value, const char* comment);
  // Replaces the file atomically with the edit. flush non-zero (callers pass 1)
  // makes the new text durable before it replaces the old one. int: 1 ok, 0
  // failure: the old file is untouched; m_uLastError holds the system error, or
  // the edit's own error when the edit had failed.
  int WriteEdit(const char* fileName, int flush);
  // The first failure of the running edit (ZT_CONF_...), 0 when none.
  unsigned GetEditError() const;

  // Writes text quoted as EditTextLine does, for callers that build data lines
  // with texts in them. The length written, 0 when it does not fit (dest then
  // holds the empty text) or the text holds a line break.
  static unsigned QuoteText(char* dest, unsigned size, const char* text);

  // Releases the loaded text and the edit.
  void Free();

 protected:
  int OnTextLoaded() override;

 private:
  SZTConfFileImpl* m_pImpl;

  int EditReserve(unsigned more);
  void EditPut(const char* text, unsigned length);
  void EditPad(unsigned lineStart, unsigned column);
  int EditFail(unsigned error);
  int EditKeywordLine(const char* keyword, const char* data, unsigned dataLength, int quoted, const char* comment);
  void EditCommentText(const char* text);
};
