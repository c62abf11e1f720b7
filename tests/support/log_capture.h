// Test support: opens the library's log on a fresh file while it lives and reads
// it back (the log writes each line through at once).
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

#include "zt_tbl32/frame.h"

class LogCapture {
 public:
  explicit LogCapture(const char* name = "tbl32_test.log") : m_name(name) {
    remove(m_name.c_str());
    ztOpenTbl32Log(m_name.c_str());
  }
  ~LogCapture() {
    ztCloseTbl32Log();
    remove(m_name.c_str());
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // Each line as "level source: text", without its date and time stamp.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    FILE* f = fopen(m_name.c_str(), "r");
    if (!f) return lines;
    char line[4096];
    while (fgets(line, sizeof(line), f)) {
      std::string s(line);
      while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
      size_t p = s.find(' ');
      p = p == std::string::npos ? p : s.find(' ', p + 1);
      lines.push_back(p == std::string::npos ? s : s.substr(p + 1));
    }
    fclose(f);
    return lines;
  }
  std::string All() const {
    std::string all;
    for (const auto& l : Lines()) all += l + "\n";
    return all;
  }

 private:
  std::string m_name;
};
