// Arbitrary bytes through the description-file reader: every getter, block
// selection and range reading; every text read back must survive a write and a
// second read unchanged.
//
// Each step runs on the reader and on the plain reference reader of the same
// bytes (lines read byte by byte, keywords compared as texts, data read item by
// item); both must give the same results, outputs and positions, byte for byte.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "conf_reference.h"
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

// What one getter call gave.
struct Outputs {
  unsigned result;
  unsigned values[20];
  unsigned count;
  char text1[40];
  unsigned length1;
  char text2[40];
  unsigned length2;
  Outputs() : result(0), count(0xEEEEEEEE), length1(0xEEEEEEEE), length2(0xEEEEEEEE) {
    for (unsigned i = 0; i < 20; ++i) values[i] = 0xA5A5A500u + i;
    memset(text1, 'Q', sizeof(text1));
    memset(text2, 'R', sizeof(text2));
  }
  bool operator==(const Outputs& o) const {
    return result == o.result && count == o.count && length1 == o.length1 && length2 == o.length2 &&
           memcmp(values, o.values, sizeof(values)) == 0 && memcmp(text1, o.text1, sizeof(text1)) == 0 &&
           memcmp(text2, o.text2, sizeof(text2)) == 0;
  }
};

// Getter limits taken from the input, so that buffer and count edges get tried.
struct Limits {
  unsigned maximum;  // up to 20
  unsigned size1;    // 1 to 40
  unsigned size2;
};

// The reader and the reference; every step runs on both and must agree.
struct Twin {
  CZTConfFile& reader;
  zt_conf_reference::Reader reference;
  Limits limits;
  unsigned budget = 1000;  // Getters calls of the walk, so that the work per input stays small

  explicit Twin(CZTConfFile& loaded) : reader(loaded), reference(loaded) {}

  void SameState() {
    Check(reader.m_uLevel == reference.m_uLevel && reader.m_bRange == reference.m_bRange &&
          reader.m_uRangeFrom == reference.m_uRangeFrom && reader.m_uRangeTo == reference.m_uRangeTo);
    Check(memcmp(reader.m_uBlockFirst, reference.m_uBlockFirst, sizeof(reader.m_uBlockFirst)) == 0);
    Check(memcmp(reader.m_uBlockLast, reference.m_uBlockLast, sizeof(reader.m_uBlockLast)) == 0);
  }

  // Runs getter number which on one reader.
  template <typename Reader>
  static Outputs Get(Reader& conf, unsigned which, const char* keyword, const Limits& l) {
    Outputs o;
    switch (which) {
      case 0:
        o.result = conf.GetWord(keyword, o.values);
        break;
      case 1:
        o.result = conf.GetWords(keyword, o.values, l.maximum, &o.count);
        break;
      case 2:
        o.result = conf.GetText(keyword, o.text1, l.size1, &o.length1);
        break;
      case 3:
        o.result = conf.Get2Text(keyword, o.text1, l.size1, &o.length1, o.text2, l.size2, &o.length2);
        break;
      case 4:
        o.result = conf.GetWordsText(keyword, o.values, l.maximum, &o.count, o.text1, l.size1, &o.length1);
        break;
      default:
        o.result = conf.GetWords2Text(keyword, o.values, l.maximum, &o.count, o.text1, l.size1, &o.length1, o.text2,
                                      l.size2, &o.length2);
        break;
    }
    return o;
  }

  void Getters(const char* keyword) {
    if (budget) --budget;
    for (unsigned which = 0; which < 6; ++which) {
      Outputs a = Get(reader, which, keyword, limits);
      Outputs b = Get(reference, which, keyword, limits);
      Check(a == b);
      SameState();
      if (which == 2 && a.result == ZT_CONF_OK) RoundTrip(a.text1, a.length1);
      if (a.result == ZT_CONF_OK || a.result == ZT_CONF_TOO_LONG || a.result == ZT_CONF_TOO_MANY) {
        if (which >= 2) Check(strlen(a.text1) == a.length1 && a.length1 < limits.size1);
        if (which == 3 || which == 5) Check(strlen(a.text2) == a.length2 && a.length2 < limits.size2);
      }
      if (which == 1 || which >= 4) Check(a.count <= limits.maximum);
    }
    Check(reader.GetKeyCount(keyword) == reference.GetKeyCount(keyword));
    unsigned lineA = 0, lineB = 0;
    Check(reader.CheckBlocks(keyword, &lineA) == reference.CheckBlocks(keyword, &lineB) && lineA == lineB);
  }

  unsigned BlockCount(const char* keyword) {
    unsigned a = 0, b = 0;
    Check(reader.GetBlockCount(keyword, &a) == 1 && reference.GetBlockCount(keyword, &b) == 1 && a == b);
    return a;
  }
  bool SelectBlock(const char* keyword) {
    int a = reader.SelectBlock(keyword), b = reference.SelectBlock(keyword);
    Check(a == b);
    SameState();
    return a != 0;
  }
  bool SelectNextBlock() {
    int a = reader.SelectNextBlock(), b = reference.SelectNextBlock();
    Check(a == b);
    SameState();
    return a != 0;
  }
  void StartRange() {
    reader.StartRange();
    reference.StartRange();
  }
  void EndRange() {
    reader.EndRange();
    reference.EndRange();
  }
  void LeaveBlock() {
    reader.LeaveBlock();
    reference.LeaveBlock();
  }
};

void Walk(Twin& twin, const char* const* keywords, unsigned keywordCount, unsigned depth) {
  for (unsigned k = 0; k < keywordCount && twin.budget; ++k) {
    const char* keyword = keywords[k];
    twin.Getters(keyword);
    unsigned count = twin.BlockCount(keyword);
    twin.StartRange();
    for (unsigned i = 0; i <= count + 1; ++i) twin.Getters(keyword);
    twin.EndRange();
    if (depth == 0 || !twin.SelectBlock(keyword)) continue;
    CZTConfFile& conf = twin.reader;
    unsigned level = conf.m_uLevel, blocks = 1;
    do {
      Check(conf.m_uBlockFirst[level] <= conf.m_uBlockLast[level]);
      Check(conf.m_uBlockLast[level] <= conf.m_uBlockLast[level - 1]);
      Walk(twin, keywords, keywordCount, depth - 1);
      Check(conf.m_uLevel == level);
    } while (twin.budget && twin.SelectNextBlock() && ++blocks < 64);
    Check(blocks <= count || blocks == 64);
    twin.LeaveBlock();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  CZTConfFile conf;
  const char* text = reinterpret_cast<const char*>(data);
  Check(conf.ReadIt(text, static_cast<unsigned>(size)) == 1);
  Twin twin(conf);
  // The limits come from the last bytes, so that the fuzzer can steer them.
  unsigned a = size > 0 ? data[size - 1] : 0, b = size > 1 ? data[size - 2] : 0;
  twin.limits.maximum = a % 21;
  twin.limits.size1 = 1 + (a / 21) % 40;
  twin.limits.size2 = 1 + b % 40;
  // Every line alone, through a range of one line, with its own keyword: the
  // line index (keyword, data start, closing lines) against the plain reading.
  const auto& lines = twin.reference.Lines();
  for (unsigned i = 0; i < lines.size() && i < 48; ++i) {
    if (lines[i].keyword.empty()) continue;
    twin.reader.m_uRangeFrom = twin.reference.m_uRangeFrom = i;
    twin.reader.m_uRangeTo = twin.reference.m_uRangeTo = i;
    twin.reader.m_bRange = twin.reference.m_bRange = 1;
    twin.Getters(lines[i].keyword.c_str());
    twin.EndRange();
  }
  // The fixed keywords of a description, and whatever the first line names.
  std::string own;
  size_t i = 0;
  while (i < size && (data[i] == ' ' || data[i] == '\t')) ++i;
  for (; i < size && own.size() < 16 && !strchr(" \t:\r\n", data[i]) && data[i] != '\0'; ++i)
    own += static_cast<char>(data[i]);
  if (own.empty()) own = "X";
  const char* keywords[] = {"TABLE", "KEY", "KEYPART", "FIELD", "IndexNodeSize:", own.c_str()};
  Walk(twin, keywords, 6, 2);
  // A range set by hand, beyond the text or reversed.
  for (unsigned to : {b * 3u, 0xFFFFFFFFu}) {
    twin.reader.m_uRangeFrom = twin.reference.m_uRangeFrom = a / 4;
    twin.reader.m_uRangeTo = twin.reference.m_uRangeTo = to;
    twin.reader.m_bRange = twin.reference.m_bRange = 1;
    for (unsigned k = 0; k < 3; ++k) twin.Getters(keywords[5]);
  }
  return 0;
}
