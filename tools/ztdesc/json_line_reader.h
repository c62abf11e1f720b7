// Reads JSON lines: one object per line whose members are the values of one
// record. Nested arrays and objects are read (so that the line is checked
// whole) but only reported as such. Any bytes are safe input.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

enum class ZTJsonType : unsigned char { Null, True, False, Number, String, Array, Object };

struct ZTJsonMember {
  std::string key;   // UTF-8, escapes resolved
  ZTJsonType type;   //
  std::string text;  // String: UTF-8, escapes resolved; Number: the literal as written
};

class ZTJsonLineReader {
 public:
  explicit ZTJsonLineReader(FILE* file) : m_File(file) {}
  // The members of the next line that is not blank; false at the end of the file
  // or on a read error. Error() tells whether the line was one JSON object.
  bool Next(std::vector<ZTJsonMember>& members);
  unsigned LineNumber() const { return m_Line; }
  const std::string& Error() const { return m_Error; }

  // One line without its line end. false with "column N: reason" in error.
  static bool ParseLine(const char* text, size_t length, std::vector<ZTJsonMember>& members, std::string& error);

 private:
  bool ReadLine();
  FILE* m_File;
  std::string m_Text;
  std::vector<char> m_Buffer = std::vector<char>(1 << 16);
  size_t m_At = 0, m_End = 0;
  unsigned m_Line = 0;
  std::string m_Error;
};
