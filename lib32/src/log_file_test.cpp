#include "zt_lib32/log_file.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {
std::string readFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
const char* const kBadPointer = reinterpret_cast<const char*>(static_cast<uintptr_t>(1));
}  // namespace

TEST(LogFile, NothingIsFormattedWhileNoLogIsOpen) {
  CZTLogFile log;
  EXPECT_EQ(nullptr, log.m_hLogFile);
  // Formatting this would read through an invalid pointer.
  log.PrtLog(0, "Test", "%s %s", kBadPointer, kBadPointer);
  log.WriteLog(0, "Test", "dropped");
  EXPECT_EQ(0u, log.m_uLinesWritten);
}

TEST(LogFile, LineCarriesTimeLevelSourceAndText) {
  const std::string name = "lib32_log_test.log";
  remove(name.c_str());
  CZTLogFile log;
  ASSERT_EQ(1, log.OpenLog(name.c_str(), 0));
  EXPECT_NE(nullptr, log.m_hLogFile);
  log.PrtLog(1, "CZTFieldDesc", "Field %s not found (%u)", "NAME", 7u);
  log.WriteLog(5, "zt_tbl32", "plain");
  log.CloseLog();
  EXPECT_EQ(nullptr, log.m_hLogFile);
  std::string text = readFile(name);
  std::istringstream lines(text);
  std::string first, second;
  std::getline(lines, first);
  std::getline(lines, second);
  if (!first.empty() && first.back() == '\r') first.pop_back();
  // "YYYY-MM-DD HH:MM:SS.mmm L source: text"
  ASSERT_GE(first.size(), 24u);
  EXPECT_EQ('-', first[4]);
  EXPECT_EQ(':', first[13]);
  EXPECT_EQ('.', first[19]);
  EXPECT_EQ(" 1 CZTFieldDesc: Field NAME not found (7)", first.substr(23));
  EXPECT_NE(std::string::npos, second.find(" 5 zt_tbl32: plain"));
  remove(name.c_str());
}

TEST(LogFile, OpenFailureLeavesNoLogOpen) {
  CZTLogFile log;
  EXPECT_EQ(0, log.OpenLog("no-such-folder/x/y.log"));
  EXPECT_EQ(0, log.OpenLog(nullptr));
  EXPECT_EQ(nullptr, log.m_hLogFile);
}
