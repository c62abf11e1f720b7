#include "zt_lib32/system_error.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

TEST(SystemErrorText, NamesTheErrorWithoutLineBreakOrFullStop) {
#ifdef _WIN32
  const unsigned diskFull = 112;  // ERROR_DISK_FULL
#else
  const unsigned diskFull = 28;  // ENOSPC
#endif
  char text[200];
  std::string full = ztSystemErrorText(diskFull, text, sizeof(text));
  ASSERT_FALSE(full.empty());
  EXPECT_NE(0, strncmp(full.c_str(), "error ", 6)) << full;
  EXPECT_NE('\n', full.back());
  EXPECT_NE('.', full.back());
  // Cut to the buffer, always terminated.
  char small[6];
  EXPECT_EQ(full.substr(0, 5), ztSystemErrorText(diskFull, small, sizeof(small)));
  EXPECT_STREQ("error 2147483632", ztSystemErrorText(0x7FFFFFF0u, text, sizeof(text)));
}
