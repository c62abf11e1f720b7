// The getters' reading of a line's data (numbers taken by the processor's quick
// scan where it has one, the rest by the plain loop) against the item-by-item
// reference: the same results, outputs and untouched bytes, for every getter shape.
#include "conf_items.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conf_reference.h"

namespace {

using namespace zt_conf;

// A small fixed-seed generator: next(n) is a number below n.
struct Random {
  explicit Random(unsigned seed) : seed(seed) {}
  unsigned operator()(unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  }
  unsigned seed;
};

enum Reading { kItemByItem, kReader };

// What a getter takes from a line: numbers and texts, with its limits.
struct Shape {
  bool numbers;
  unsigned textCount;
  unsigned maximum;
  unsigned size1, size2;
};

struct Outcome {
  unsigned code = 0;
  unsigned values[20];
  unsigned count = 0xEEEEEEEE;
  char text1[40], text2[40];
  unsigned length1 = 0xEEEEEEEE, length2 = 0xEEEEEEEE;
};

bool SameOutputs(const Outcome& a, const Outcome& b) {
  return a.code == b.code && a.count == b.count && a.length1 == b.length1 && a.length2 == b.length2 &&
         memcmp(a.values, b.values, sizeof(a.values)) == 0 && memcmp(a.text1, b.text1, sizeof(a.text1)) == 0 &&
         memcmp(a.text2, b.text2, sizeof(a.text2)) == 0;
}

// Reads data as the reader holds a line: a line break after it, the text's tail after that.
Outcome Read(const std::string& data, const Shape& shape, Reading reading) {
  std::string text = data + "\r\n" + std::string(64, '\0');
  Outcome o;
  for (unsigned i = 0; i < 20; ++i) o.values[i] = 0xA5A5A500u + i;
  memset(o.text1, 'Q', sizeof(o.text1));
  memset(o.text2, 'R', sizeof(o.text2));
  // As the reader does before it reads a line.
  o.count = 0;
  o.text1[0] = o.text2[0] = '\0';
  o.length1 = o.length2 = 0;
  char* texts[2] = {o.text1, o.text2};
  unsigned sizes[2] = {shape.size1, shape.size2};
  unsigned* lengths[2] = {&o.length1, &o.length2};
  const LineRequest request = {shape.numbers,   o.values, shape.maximum, &o.count,
                               shape.textCount, texts,    sizes,         lengths};
  const unsigned end = static_cast<unsigned>(data.size());
  o.code = reading == kReader ? ReadItems(text.data(), 0, end, request)
                              : zt_conf_reference::ReadItemByItem(text.data(), 0, end, request);
  return o;
}

// Every getter shape, with limits around the values and texts of the lines tried.
std::vector<Shape> Shapes() {
  std::vector<Shape> shapes;
  for (unsigned maximum : {0u, 1u, 2u, 5u, 8u, 9u, 16u, 20u}) {
    shapes.push_back({true, 0, maximum, 1, 1});
    for (unsigned size : {1u, 3u, 8u, 40u}) {
      shapes.push_back({true, 1, maximum, size, 1});
      shapes.push_back({true, 2, maximum, 40, size});
    }
  }
  for (unsigned size : {1u, 2u, 5u, 9u, 40u}) {
    shapes.push_back({false, 1, 0, size, 1});
    shapes.push_back({false, 2, 0, size, 40});
    shapes.push_back({false, 2, 0, 40, size});
  }
  return shapes;
}

void ExpectAgreement(const std::string& data) {
  for (const Shape& shape : Shapes()) {
    Outcome reference = Read(data, shape, kItemByItem);
    Outcome reader = Read(data, shape, kReader);
    EXPECT_TRUE(SameOutputs(reference, reader))
        << "data [" << data << "] numbers " << shape.numbers << " texts " << shape.textCount << " maximum "
        << shape.maximum << " sizes " << shape.size1 << "/" << shape.size2 << ": code " << reference.code << " vs "
        << reader.code << ", count " << reference.count << " vs " << reader.count;
  }
}

TEST(ConfItems, ReadingAgreesWithTheReferenceAtItsEdges) {
  const std::string lines[] = {
      // Writer layout, and the same typed by hand.
      "0,   4, 2, 0x0001, 0, 0x0001, 1, 10, \"ID\"",
      "4,30,7,0x0000,0 , 0x0000 ,0,30,\"NAME\"   ; the name",
      "\t34\t8 3 0x1 0 \"BALANCE\"",
      "1, 0, 0, 0, 0",
      "\"ULONG\", \"FIELD_1\"",
      // Numbers at their limits: eight and nine digits, leading zeros, 0xFFFFFFFF.
      "99999999 999999999 4294967295 4294967296 00000000001",
      "0xFFFFFFFF 0x100000000 0X00000000 0x0 0x 0xg 0x1g 12x -1 +1",
      "0xabcdef 0XABCDEF 0xAbCd, 7",
      // Character numbers, touching other items.
      "'L' ';' ''' '\"' 'a'5 'a'\"t\" ''",
      // Quotes: doubled, inner, unterminated, empty, followed by a comment.
      "1, \"say \"\"hi\"\"\", \"\"",
      "2 \"a\"b\" \"x\"",
      "3 \"open ; not a comment",
      "4 \"x\";comment \"y\"",
      "5 \"\" \"\"",
      // Bare words, signs, comments after values, nothing at all.
      "Bare, 12 ; comment",
      "12; c",
      "'x",
      "",
      "   ",
      "; only a comment",
      // NUL bytes inside items.
      std::string("5, \"ab\0cd\"", 11),
      std::string("1\0002 \"x\"", 8),
      std::string("\"x\" b\0c", 7),
      // Too many values and items after the texts.
      "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 \"t\"",
      "1 \"t\" 2",
      "1, \"x\", \"y\", \"z\"",
      // One unusual item each, the rest plain.
      "123456789",
      "12345678",
      "1 123456789 2",
      "0x123456789",
      "0x12345678",
      "0x0000000001",
      "1 0x 2",
      "07 0x00",
      std::string("\"ab\0 cd\"", 8),
      std::string("\"ab\0\"", 5),
      std::string("ab\0 cd", 6),
      std::string("1 \"a\0\", \"b\"", 11),
      "1 \"a\"\"\" 2",
      "\"a\"x\" 3",
      "'a'b",
      "1 'a' \"t\"",
      "1 '' \"t\"",
      // Items around the 32- and 64-byte windows of the quick scan.
      std::string(58, ' ') + "123456 7",
      std::string(26, ' ') + "123456 7 0x1 2",
      "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0x12345678 \"t\"",
      std::string(29, ',') + "12345678 9",
      "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22 \"t\"",
      std::string(60, ',') + "0x1234567 8",
      std::string(62, '\t') + "12 3",
      "0x0001, 0x0001, 0x0001, 0x0001, 0x0001, 0x0001, 0x0001, 0x0001, 0x12345678 \"FIELD\"",
  };
  for (const std::string& line : lines) ExpectAgreement(line);
}

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
TEST(ConfItems, QuickScanTakesTheNumbersOfWriterLines) {
  // Every processor of the kind has the quick scan; it must take what the writer
  // produces, or the reader is slow for no visible reason.
  struct Case {
    const char* data;
    unsigned numbers;
  } cases[] = {
      {"   0,   4, 2, 0x0001, 0, 0x0001, 1, 10, \"ID\"", 8},
      {"392,   8, 3, 0x2003, 2, 0x2003, 2, 12, \"BALANCE\"", 8},
      {"1, 0, 0, 0, 0", 5},
      {"1024", 1},
      {"0, 0x30, 2, 1,  5, 0xFF0000, 0x000000, 0xFFFFFF, 0x00FF00, \"ZIP\", \"Zip code\"", 9},
      {"12345678, 0xABCDEF01, 0Xabcdef, 99999999", 4},
  };
  for (const Case& c : cases) {
    std::string text = std::string(c.data) + "\r\n" + std::string(64, '\0');
    unsigned values[16], pos = 0, taken = 0;
    const unsigned end = static_cast<unsigned>(strlen(c.data));
    for (unsigned n; (n = TakeNumbers(text.data(), &pos, end, values + taken, 16 - taken)) != 0;) taken += n;
    EXPECT_EQ(c.numbers, taken) << c.data;
  }
  std::string text = "392,   8, 3, 0x2003, 2, 0x2003, 2, 12, \"BALANCE\"\r\n" + std::string(64, '\0');
  unsigned values[8], pos = 0;
  unsigned taken = TakeNumbers(text.data(), &pos, 38, values, 8);
  taken += TakeNumbers(text.data(), &pos, 38, values + taken, 8 - taken);
  EXPECT_EQ((std::vector<unsigned>{392, 8, 3, 0x2003, 2, 0x2003, 2, 12}),
            std::vector<unsigned>(values, values + taken));
}
#endif

TEST(ConfItems, RandomLinesAgree) {
  // Lines shaped like getter input, numbers then texts, with now and then an
  // item that reads differently or a getter that does not quite fit, so that
  // both the quick scan's numbers and its stops before what it leaves to the loop are tried.
  const char* const numbers[] = {"0",    "7",      "12",         "4096", "99999999", "0x1",
                                 "0XfF", "0x0001", "0xFFFFFFFF", "00",   "'L'",      "' '"};
  const char* const texts[] = {"\"ID\"", "\"\"", "\"x y\"", "Bare", "A_1", "\"FIELD_12\""};
  const char* const odd[] = {"123456789",  "4294967295", "0x123456789", "0x",   "0x1g",  "''",  "'''",
                             "\"a\"\"b\"", "\"a\"b\"",   "\"x y",       "-1",   "+2",    "12x", ";c",
                             "\"",         "'",          "x\"y",        "'a'b", "\"a\";"};
  const char* const separators[] = {" ", ", ", ",", "\t", "   ", ""};
  Random next(12345);
  auto pick = [&next](const char* const* list, unsigned n) { return list[next(n)]; };
  const unsigned lines = 20000;
  for (unsigned line = 0; line < lines; ++line) {
    const unsigned numberCount = next(12), textCount = next(3), items = numberCount + textCount;
    const unsigned unusual = next(3) ? ~0u : next(items + 1);
    std::string data = next(8) ? "" : std::string(next(64), ' ');
    for (unsigned i = 0; i < items; ++i) {
      if (i == unusual)
        data += pick(odd, sizeof(odd) / sizeof(odd[0]));
      else if (i < numberCount)
        data += pick(numbers, sizeof(numbers) / sizeof(numbers[0]));
      else
        data += pick(texts, sizeof(texts) / sizeof(texts[0]));
      data += pick(separators, i + 1 < items ? 5 : 6);
    }
    if (next(4) == 0) data += "; comment";
    if (!data.empty() && next(40) == 0) data[next(static_cast<unsigned>(data.size()))] = '\0';
    Shape shape;
    shape.numbers = numberCount > 0 || next(2);
    shape.textCount = next(4) ? textCount : next(3);
    shape.maximum = next(4) ? numberCount + next(3) : next(21);
    if (shape.maximum > 20) shape.maximum = 20;
    shape.size1 = next(4) ? 40 : 1 + next(12);
    shape.size2 = next(4) ? 40 : 1 + next(12);
    Outcome reference = Read(data, shape, kItemByItem);
    Outcome reader = Read(data, shape, kReader);
    ASSERT_TRUE(SameOutputs(reference, reader))
        << "data [" << data << "] numbers " << shape.numbers << " texts " << shape.textCount << " maximum "
        << shape.maximum << " sizes " << shape.size1 << "/" << shape.size2;
  }
}

TEST(ConfItems, NumberSoupAroundTheScanWindowsAgrees) {
  // Byte soup dense in what the quick scan looks at: digits, hexadecimal letters,
  // x, separators, and now and then anything else; lines around its 32- and
  // 64-byte windows, read as numbers only.
  const char alphabet[] = "0000111789aAfFgxXx ,,\t  ;\"'+-";
  const char* const hex = "0123456789abcdefABCDEF";
  Random next(777);
  for (unsigned round = 0; round < 100000; ++round) {
    std::string line;
    if (round % 2) {
      const unsigned length = next(4) ? next(70) : 24 + next(48);
      for (unsigned i = 0; i < length; ++i)
        line += next(50) ? alphabet[next(sizeof(alphabet) - 1)] : static_cast<char>(next(256));
    } else {
      // Runs of numbers of every length, now and then a faulty digit.
      while (line.size() < 20 + next(60)) {
        const bool isHex = next(2);
        if (isHex) line += next(2) ? "0x" : "0X";
        for (unsigned d = next(4) ? 1 + next(4) : next(12); d; --d) line += isHex ? hex[next(22)] : hex[next(10)];
        if (next(30) == 0) line += alphabet[next(sizeof(alphabet) - 1)];
        line += next(3) ? ", " : next(2) ? " " : "\t";
      }
      line.resize(next(4) ? line.size() : next(static_cast<unsigned>(line.size()) + 1));
    }
    const Shape shape = {true, 0, next(3) ? 8 : next(21), 1, 1};
    Outcome reference = Read(line, shape, kItemByItem);
    Outcome reader = Read(line, shape, kReader);
    ASSERT_TRUE(SameOutputs(reference, reader)) << "[" << line << "] maximum " << shape.maximum;
  }
}

}  // namespace
