// Test support: whole-file reads and writes.
#pragma once

#include <stdio.h>

#include <string>

// Writes the bytes as they are; false when the file cannot be written whole.
inline bool ztWriteTestFile(const std::string& name, const std::string& content) {
  FILE* f = fopen(name.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(content.data(), 1, content.size(), f) == content.size();
  return fclose(f) == 0 && ok;
}

// The file's bytes as they are (empty when it cannot be read).
inline std::string ztReadTestFile(const std::string& name) {
  std::string content;
  FILE* f = fopen(name.c_str(), "rb");
  if (!f) return content;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) content.append(buffer, n);
  fclose(f);
  return content;
}
