// Whole-file reads and writes of the ztdesc tests.
#pragma once

#include <stdio.h>

#include <string>

#include <gtest/gtest.h>

// The file's bytes as they are (empty when it cannot be read).
inline std::string ReadBytes(const std::string& name) {
  std::string content;
  FILE* f = fopen(name.c_str(), "rb");
  if (!f) return content;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) content.append(buffer, n);
  fclose(f);
  return content;
}

// A text file with line ends as on Linux.
inline std::string ReadFile(const std::string& name) {
  std::string content = ReadBytes(name);
  std::string out;
  for (char c : content)
    if (c != '\r') out += c;
  return out;
}

inline void WriteFile(const std::string& name, const std::string& content) {
  FILE* f = fopen(name.c_str(), "wb");
  ASSERT_NE(f, nullptr) << name;
  fwrite(content.data(), 1, content.size(), f);
  fclose(f);
}
