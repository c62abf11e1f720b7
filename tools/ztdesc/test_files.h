// Whole-file reads and writes of the ztdesc tests.
#pragma once

#include <stdio.h>

#include <string>

#include <gtest/gtest.h>

#include "test_file_io.h"

// The file's bytes as they are (empty when it cannot be read).
inline std::string ReadBytes(const std::string& name) { return ztReadTestFile(name); }

// A text file with line ends as on Linux.
inline std::string ReadFile(const std::string& name) {
  std::string content = ReadBytes(name);
  std::string out;
  for (char c : content)
    if (c != '\r') out += c;
  return out;
}

inline void WriteFile(const std::string& name, const std::string& content) {
  ASSERT_TRUE(ztWriteTestFile(name, content)) << name;
}
