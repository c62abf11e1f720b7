// Test helpers of the description and ISAM structure tests: the model's box
// recorder and recording grid, a scratch folder and whole-file reads and writes.
#pragma once

#include <stdio.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model_test_support.h"

using zt_test::BoxRecorder;
using zt_test::RecordingGrid;

// A fresh folder below the working directory, removed again at the end.
class ScratchDir {
 public:
  explicit ScratchDir(const char* name) : m_path(std::string("scratch_") + name) {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
    std::filesystem::create_directories(m_path, ec);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
    for (auto& entry : std::filesystem::recursive_directory_iterator(m_path, ec))
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(m_path, ec);
  }
  std::string File(const char* name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

inline bool ztWriteTestFile(const std::string& name, const std::string& content) {
  FILE* f = fopen(name.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(content.data(), 1, content.size(), f) == content.size();
  return fclose(f) == 0 && ok;
}

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
