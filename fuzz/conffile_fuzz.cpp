// Arbitrary bytes through the description-file reader: every getter, block
// selection and range reading; every text read back must survive a write and a
// second read unchanged.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "zt_lib32/conf_file.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// Writes the text as a keyword line and reads it back.
void RoundTrip(const char* text, unsigned length) {
  CZTConfFile conf;
  Check(conf.StartEdit(32, 8, 32, 24, 80, 104) == 1);
  Check(conf.EditTextLine("Text:", text, text) == 1);
  Check(conf.EditComment(text) == 1);
  CZTConfFile in;
  Check(in.ReadIt(conf.m_pEditText, conf.m_uEditLength) == 1);
  std::string back(length + 1, '\0');
  unsigned backLength = 0;
  Check(in.GetText("TEXT", &back[0], length + 1, &backLength) == ZT_CONF_OK);
  Check(backLength == length && memcmp(back.data(), text, length) == 0);
}

void Getters(CZTConfFile& conf, const char* keyword) {
  unsigned values[9] = {}, count = 0, l1 = 0, l2 = 0;
  char t1[34], t2[6];
  conf.GetWord(keyword, values);
  conf.GetWords(keyword, values, 9, &count);
  Check(count <= 9);
  if (conf.GetText(keyword, t1, sizeof(t1), &l1) == ZT_CONF_OK) RoundTrip(t1, l1);
  Check(strlen(t1) == l1 && l1 < sizeof(t1));
  conf.Get2Text(keyword, t1, sizeof(t1), &l1, t2, sizeof(t2), &l2);
  Check(strlen(t2) == l2 && l2 < sizeof(t2));
  conf.GetWordsText(keyword, values, 2, &count, t1, sizeof(t1), &l1);
  Check(count <= 2);
  conf.GetWords2Text(keyword, values, 9, &count, t1, sizeof(t1), &l1, t2, sizeof(t2), &l2);
  conf.GetKeyCount(keyword);
  unsigned line;
  conf.CheckBlocks(keyword, &line);
}

void Walk(CZTConfFile& conf, const char* const* keywords, unsigned keywordCount, unsigned depth) {
  for (unsigned k = 0; k < keywordCount; ++k) {
    const char* keyword = keywords[k];
    Getters(conf, keyword);
    unsigned count = 0;
    Check(conf.GetBlockCount(keyword, &count) == 1);
    conf.StartRange();
    for (unsigned i = 0; i <= count + 1; ++i) Getters(conf, keyword);
    conf.EndRange();
    if (depth == 0 || !conf.SelectBlock(keyword)) continue;
    unsigned level = conf.m_uLevel, blocks = 1;
    do {
      Check(conf.m_uBlockFirst[level] <= conf.m_uBlockLast[level]);
      Check(conf.m_uBlockLast[level] <= conf.m_uBlockLast[level - 1]);
      Walk(conf, keywords, keywordCount, depth - 1);
      Check(conf.m_uLevel == level);
    } while (conf.SelectNextBlock() && ++blocks < 64);
    Check(blocks <= count || blocks == 64);
    conf.LeaveBlock();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  CZTConfFile conf;
  Check(conf.ReadIt(reinterpret_cast<const char*>(data), static_cast<unsigned>(size)) == 1);
  // The fixed keywords of a description, and whatever the first line names.
  std::string own;
  size_t i = 0;
  while (i < size && (data[i] == ' ' || data[i] == '\t')) ++i;
  for (; i < size && own.size() < 16 && !strchr(" \t:\r\n", data[i]) && data[i] != '\0'; ++i)
    own += static_cast<char>(data[i]);
  if (own.empty()) own = "X";
  const char* keywords[] = {"TABLE", "KEY", "KEYPART", "FIELD", own.c_str()};
  Walk(conf, keywords, 5, 2);
  return 0;
}
