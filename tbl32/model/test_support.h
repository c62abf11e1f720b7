// Test helpers of the description and ISAM structure tests: the model's box
// recorder and recording grid, a scratch folder and whole-file reads and writes.
#pragma once

#include <stdio.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model_test_support.h"
#include "test_file_io.h"

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
