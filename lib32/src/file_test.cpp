#include "zt_lib32/file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Lines as the text's breaks give them: CRLF, LF or a lone CR ends a line; no
// empty line after a final break.
std::vector<std::pair<unsigned, unsigned>> Split(const std::string& text) {
  std::vector<std::pair<unsigned, unsigned>> lines;
  unsigned start = 0, i = 0;
  const unsigned n = static_cast<unsigned>(text.size());
  while (i < n) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.emplace_back(start, i);
      i += (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < n) lines.emplace_back(start, n);
  return lines;
}

TEST(File, LineBreaksAnywhereInTheText) {
  // Breaks of every kind at every place around the sixteen-byte blocks of the split.
  unsigned seed = 7;
  auto next = [&seed](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  const char* const breaks[] = {"\r\n", "\n", "\r", "\n\r", "\r\r\n"};
  for (unsigned round = 0; round < 2000; ++round) {
    std::string text;
    const unsigned length = next(80);
    while (text.size() < length) {
      if (next(4) == 0)
        text += breaks[next(5)];
      else
        text += static_cast<char>(next(3) ? 'a' + next(26) : next(256));
    }
    CZTFile file;
    ASSERT_EQ(1, file.SetText(text.data(), static_cast<unsigned>(text.size())));
    std::vector<std::pair<unsigned, unsigned>> expected = Split(text);
    ASSERT_EQ(expected.size(), file.GetLineCount()) << round;
    for (unsigned i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(expected[i].first, file.GetLines()[i].start) << round << " line " << i;
      EXPECT_EQ(expected[i].second, file.GetLines()[i].end) << round << " line " << i;
    }
  }
}

}  // namespace
