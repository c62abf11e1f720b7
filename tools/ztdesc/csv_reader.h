// Reads ';'-separated lines with optional double-quoted values ("" inside quotes
// is one quote), as ztdesc dump --csv writes them.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

class CsvReader {
 public:
  explicit CsvReader(FILE* file) : m_file(file) {}
  // The values of the next line; false at the end of the file. lineNumber()
  // is the number of the line read (from 1).
  bool Next(std::vector<std::string>& values);
  unsigned LineNumber() const { return m_line; }
  // Set when the last line had an unterminated quote.
  bool BadQuote() const { return m_badQuote; }
  // Whether the file began with a UTF-8 byte order mark (which is skipped).
  bool HadByteOrderMark() const { return m_byteOrderMark; }

 private:
  FILE* m_file;
  unsigned m_line = 0;
  bool m_badQuote = false;
  bool m_byteOrderMark = false;
};
