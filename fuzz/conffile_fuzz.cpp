// Arbitrary bytes through the description-file reader: every getter, block
// selection and range reading; every text read back must survive a write and a
// second read unchanged.
//
// Each step runs on two readers of the same bytes, one of them set to find
// lines by comparing keywords and to read every line item by item; both must
// give the same results, outputs and positions, byte for byte.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <map>
#include <string>

#include "zt_lib32/conf_file.h"
#include "zt_lib32/strings.h"

struct SZTConfFileProbe {
  static void SetPlain(CZTConfFile& conf) { conf.m_bPlain = 1; }

  // The line index against a byte-by-byte reading of every line: keyword,
  // data start, closing flag, and one number per keyword.
  static bool IndexIsRight(const CZTConfFile& conf) {
    const char* text = conf.GetTextData();
    std::map<std::string, unsigned> numberOf;
    std::map<unsigned, std::string> keywordOf;
    for (unsigned i = 0; i < conf.GetLineCount(); ++i) {
      const unsigned start = conf.GetLines()[i].start, end = conf.GetLines()[i].end;
      const SZTConfLine& line = conf.m_pConfLines[i];
      const unsigned id = conf.m_pKeyIds[i] & 0x7F;
      const bool closingBit = (conf.m_pKeyIds[i] & 0x80) != 0;
      auto blank = [&](unsigned k) { return text[k] == ' ' || text[k] == '\t'; };
      unsigned p = start;
      while (p < end && blank(p)) ++p;
      unsigned k = p;
      bool comment =
          p >= end || text[p] == ';' || text[p] == '#' || (text[p] == '/' && p + 1 < end && text[p + 1] == '/');
      if (!comment)
        while (k < end && !blank(k) && text[k] != ':' && text[k] != ';') ++k;
      if (comment || k == p) {
        if (line.keyLength != 0 || id != 0 || closingBit) return false;
        continue;
      }
      if (line.keyStart != p || line.keyLength != k - p || id == 0) return false;
      std::string keyword;
      unsigned long long tag = 0;
      for (unsigned j = p; j < k; ++j) {
        unsigned char upper = ztToUpper(static_cast<unsigned char>(text[j]));
        keyword += static_cast<char>(upper);
        if (j - p < 8) tag |= static_cast<unsigned long long>(upper) << (8 * (j - p));
      }
      if (line.keyTag != tag) return false;
      unsigned d = k;
      while (d < end && blank(d)) ++d;
      if (d < end && text[d] == ':') ++d;
      while (d < end && blank(d)) ++d;
      if (line.dataStart != d) return false;
      bool closing = false;
      if (end - d >= 3 && ztToUpper(static_cast<unsigned char>(text[d])) == 'E' &&
          ztToUpper(static_cast<unsigned char>(text[d + 1])) == 'N' &&
          ztToUpper(static_cast<unsigned char>(text[d + 2])) == 'D') {
        unsigned r = d + 3;
        while (r < end && blank(r)) ++r;
        closing = r == end || text[r] == ';';
      }
      if (closing != ((line.flags & ZT_CONF_LINE_END) != 0) || closing != closingBit) return false;
      if (id == 0x7F) continue;  // beyond the numbered keywords
      auto known = numberOf.find(keyword);
      if (known != numberOf.end() ? known->second != id : keywordOf.count(id) != 0) return false;
      numberOf[keyword] = id;
      keywordOf[id] = keyword;
    }
    return true;
  }
};

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

// The two readers; every step runs on both and must agree.
struct Twin {
  CZTConfFile quick, plain;
  Limits limits;

  void SameState() {
    Check(quick.m_uLevel == plain.m_uLevel && quick.m_bRange == plain.m_bRange &&
          quick.m_uRangeFrom == plain.m_uRangeFrom && quick.m_uRangeTo == plain.m_uRangeTo);
    Check(memcmp(quick.m_uBlockFirst, plain.m_uBlockFirst, sizeof(quick.m_uBlockFirst)) == 0);
    Check(memcmp(quick.m_uBlockLast, plain.m_uBlockLast, sizeof(quick.m_uBlockLast)) == 0);
  }

  // Runs getter number which on one reader.
  static Outputs Get(CZTConfFile& conf, unsigned which, const char* keyword, const Limits& l) {
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
    for (unsigned which = 0; which < 6; ++which) {
      Outputs a = Get(quick, which, keyword, limits);
      Outputs b = Get(plain, which, keyword, limits);
      Check(a == b);
      SameState();
      if (which == 2 && a.result == ZT_CONF_OK) RoundTrip(a.text1, a.length1);
      if (a.result == ZT_CONF_OK || a.result == ZT_CONF_TOO_LONG || a.result == ZT_CONF_TOO_MANY) {
        if (which >= 2) Check(strlen(a.text1) == a.length1 && a.length1 < limits.size1);
        if (which == 3 || which == 5) Check(strlen(a.text2) == a.length2 && a.length2 < limits.size2);
      }
      if (which == 1 || which >= 4) Check(a.count <= limits.maximum);
    }
    Check(quick.GetKeyCount(keyword) == plain.GetKeyCount(keyword));
    unsigned lineA = 0, lineB = 0;
    Check(quick.CheckBlocks(keyword, &lineA) == plain.CheckBlocks(keyword, &lineB) && lineA == lineB);
  }

  unsigned BlockCount(const char* keyword) {
    unsigned a = 0, b = 0;
    Check(quick.GetBlockCount(keyword, &a) == 1 && plain.GetBlockCount(keyword, &b) == 1 && a == b);
    return a;
  }
  bool SelectBlock(const char* keyword) {
    int a = quick.SelectBlock(keyword), b = plain.SelectBlock(keyword);
    Check(a == b);
    SameState();
    return a != 0;
  }
  bool SelectNextBlock() {
    int a = quick.SelectNextBlock(), b = plain.SelectNextBlock();
    Check(a == b);
    SameState();
    return a != 0;
  }
  void StartRange() {
    quick.StartRange();
    plain.StartRange();
  }
  void EndRange() {
    quick.EndRange();
    plain.EndRange();
  }
  void LeaveBlock() {
    quick.LeaveBlock();
    plain.LeaveBlock();
  }
};

void Walk(Twin& twin, const char* const* keywords, unsigned keywordCount, unsigned depth) {
  for (unsigned k = 0; k < keywordCount; ++k) {
    const char* keyword = keywords[k];
    twin.Getters(keyword);
    unsigned count = twin.BlockCount(keyword);
    twin.StartRange();
    for (unsigned i = 0; i <= count + 1; ++i) twin.Getters(keyword);
    twin.EndRange();
    if (depth == 0 || !twin.SelectBlock(keyword)) continue;
    CZTConfFile& conf = twin.quick;
    unsigned level = conf.m_uLevel, blocks = 1;
    do {
      Check(conf.m_uBlockFirst[level] <= conf.m_uBlockLast[level]);
      Check(conf.m_uBlockLast[level] <= conf.m_uBlockLast[level - 1]);
      Walk(twin, keywords, keywordCount, depth - 1);
      Check(conf.m_uLevel == level);
    } while (twin.SelectNextBlock() && ++blocks < 64);
    Check(blocks <= count || blocks == 64);
    twin.LeaveBlock();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  Twin twin;
  SZTConfFileProbe::SetPlain(twin.plain);
  const char* text = reinterpret_cast<const char*>(data);
  Check(twin.quick.ReadIt(text, static_cast<unsigned>(size)) == 1);
  Check(twin.plain.ReadIt(text, static_cast<unsigned>(size)) == 1);
  Check(SZTConfFileProbe::IndexIsRight(twin.quick));
  // The limits come from the last bytes, so that the fuzzer can steer them.
  unsigned a = size > 0 ? data[size - 1] : 0, b = size > 1 ? data[size - 2] : 0;
  twin.limits.maximum = a % 21;
  twin.limits.size1 = 1 + (a / 21) % 40;
  twin.limits.size2 = 1 + b % 40;
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
    twin.quick.m_uRangeFrom = twin.plain.m_uRangeFrom = a / 4;
    twin.quick.m_uRangeTo = twin.plain.m_uRangeTo = to;
    twin.quick.m_bRange = twin.plain.m_bRange = 1;
    for (unsigned k = 0; k < 3; ++k) twin.Getters(keywords[5]);
  }
  return 0;
}
