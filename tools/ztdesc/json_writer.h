// Records as JSON lines: one object per record, the field names as keys and the
// values typed by ZTValueReader, UTF-8. Written through a buffer of its own.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

#include "value_reader.h"

class ZTJsonWriter {
 public:
  ZTJsonWriter(FILE* out, const CZTFieldDescList& fields);
  ~ZTJsonWriter() { Flush(); }
  void Write(ZTValueReader& values, const unsigned char* record);
  // Writes what is buffered. false once a write has failed.
  bool Flush();

  // A JSON string of UTF-8 text with its quotes, at out (room for 6 * length + 2); the bytes written.
  static unsigned PutString(char* out, const char* text, unsigned length);
  // The shortest text that reads back as the (finite) value, as std::to_chars
  // writes it, at out (room for 40 bytes); the bytes written.
  static unsigned PutDouble(char* out, double value);

 private:
  char* Room(size_t bytes);
  FILE* m_Out;
  std::vector<std::string> m_Keys;  // "{\"Name\":" and ",\"Name\":"
  std::vector<char> m_Buffer;
  size_t m_RecordRoom = 0;  // the most one record can need
  size_t m_Used = 0;
  bool m_Failed = false;
};
