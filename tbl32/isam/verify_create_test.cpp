// VerifyDesc refuses every description that creating the ISAM file would
// refuse: on hand-made bad descriptions (each with the box that names the
// table, key or field) and on randomly changed ones.
#include <stdint.h>

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model_codes.h"
#include "test_support.h"
#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/file_desc.h"

namespace {

const char kBase[] =
    "Table: \"Customer\"\n"
    "IndexNodeSize: 1024\n"
    "Field:  0, 8, 3, 0x0011, 1, 0x0011, 1, 10, \"Id\"\n"
    "Field:  8, 30, 7, 0x0000, 0, 0x0000, 0, 40, \"Name\"\n"
    "Field: 38, 5, 7, 0x0021, 1, 0x0021, 1, 10, \"Zip\"\n"
    "Field: 43, 4, 2, 0x0011, 1, 0x0011, 1, 10, \"Rating\"\n"
    "Key: 1, 0, 1\n"
    "KeyPart: \"UINT64\", \"Id\"\n"
    "Key: 0\n"
    "KeyPart: \"ITEXT\", \"Name\"\n"
    "KeyPart: \"NUMTEXT\", \"Zip\"\n"
    "Table: END\n"
    "Table: \"Order\"\n"
    "IndexNodeSize: 256\n"
    "Field:  0, 4, 2, 0x0011, 1, 0x0011, 1, 10, \"Number\"\n"
    "Field:  4, 8, 3, 0x0011, 1, 0x0011, 1, 10, \"Customer\"\n"
    "Field: 12, 8, 5, 0x0003, 1, 0x0003, 1, 10, \"Amount\"\n"
    "Key: 1\n"
    "KeyPart: \"UINT32\", \"Number\"\n"
    "Key: 0\n"
    "KeyPart: \"UINT64\", \"Customer\"\n"
    "KeyPart: \"DOUBLE\", \"Amount\"\n"
    "Table: END\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

struct Outcome {
  int verified;
  std::vector<unsigned> boxes;
  int created;
};

// Verifies the description and creates an ISAM file from it in dir.
Outcome Try(const ScratchDir& dir, const std::string& text, unsigned round) {
  Outcome out{0, {}, 0};
  std::string desc = dir.File(("d" + std::to_string(round) + ".cfg").c_str());
  std::string isam = dir.File(("d" + std::to_string(round) + ".isa").c_str());
  EXPECT_TRUE(ztWriteTestFile(desc, text));
  BoxRecorder boxes;
  CZTFileDesc file;
  if (!file.InitDescEdit(nullptr, desc.c_str(), 0)) return out;
  unsigned bad = 0;
  out.verified = file.VerifyDesc(&bad);
  out.boxes = boxes.Codes();
  out.created = file.CreateISAMFile(nullptr, isam.c_str());
  remove(desc.c_str());
  remove(isam.c_str());
  return out;
}

TEST(VerifyAndCreate, HandMadeFaultsAreFoundByVerify) {
  ScratchDir dir("verify_create");
  const std::string base = kBase;
  Outcome good = Try(dir, base, 0);
  ASSERT_EQ(good.verified, 1);
  ASSERT_EQ(good.created, 1);

  std::string keys33 = "Key: 0\nKeyPart: \"UINT32\", \"Number\"\n";
  std::string many;
  for (int i = 0; i < 33; ++i) many += keys33;
  struct Case {
    std::string text;
    unsigned box;
    const char* named;  // a name the box text must hold
  };
  const Case cases[] = {
      {Replace(base, "KeyPart: \"NUMTEXT\", \"Zip\"", "KeyPart: \"NUMTEXT\", \"Zap\""), ZT_ERR_TBL_KEY_FIELD, "Zap"},
      {Replace(base, "Field: 43, 4,", "Field: 65533, 4,"), ZT_ERR_TBL_RECORD_LARGE, "Rating"},
      {Replace(base, "Field: 43, 4,", "Field: 4294967200, 4,"), ZT_ERR_TBL_RECORD_LARGE, "Rating"},
      {Replace(base, "KeyPart: \"UINT32\", \"Number\"", "KeyPart: \"INT16\", \"Number\""), ZT_ERR_TBL_KEY_TYPE,
       "Number"},
      {Replace(base, "KeyPart: \"UINT64\", \"Id\"", "KeyPart: \"EXTENDED\", \"Id\""), ZT_ERR_TBL_KEY_TYPE, "Id"},
      {Replace(base, "Key: 1\nKeyPart: \"UINT32\", \"Number\"\n", many), ZT_ERR_TBL_KEY_COUNT, "Order"},
      {Replace(base, "IndexNodeSize: 1024", "IndexNodeSize: 100"), ZT_ERR_TBL_KEY_LONG, "Customer"},
      {Replace(base, "Table: \"Order\"", "Table: \"CUSTOMER\""), ZT_ERR_FILE_TABLE_TWICE, "CUSTOMER"},
  };
  unsigned round = 1;
  for (const Case& c : cases) {
    Outcome out = Try(dir, c.text, round++);
    EXPECT_EQ(out.verified, 0) << c.box;
    EXPECT_EQ(out.created, 0) << c.box;
    ASSERT_FALSE(out.boxes.empty()) << c.box;
    EXPECT_EQ(out.boxes.back(), c.box);
  }
  // A field whose end wraps in 32 bits is refused by the reader itself.
  {
    std::string desc = dir.File("wrap.cfg");
    ASSERT_TRUE(ztWriteTestFile(desc, Replace(base, "Field: 43, 4,", "Field: 4294967295, 4,")));
    BoxRecorder boxes;
    CZTFileDesc file;
    file.InitDescEdit(nullptr, desc.c_str(), 0);
    EXPECT_EQ(file.m_Tables.m_uCount, 0u);
    EXPECT_EQ(boxes.Codes().front(), unsigned(ZT_ERR_FIELD_READ));
  }
  // The box texts name what is wrong.
  for (const Case& c : cases) {
    std::string desc = dir.File("named.cfg");
    ASSERT_TRUE(ztWriteTestFile(desc, c.text));
    BoxRecorder boxes;
    CZTFileDesc file;
    ASSERT_EQ(file.InitDescEdit(nullptr, desc.c_str(), 0), 1);
    EXPECT_EQ(file.VerifyDesc(nullptr), 0);
    ASSERT_FALSE(boxes.boxes.empty());
    EXPECT_NE(boxes.boxes.back().text.find(c.named), std::string::npos) << boxes.boxes.back().text;
  }
}

// Random changes of numbers, key types, key fields and names: whatever passes
// VerifyDesc can be created.
TEST(VerifyAndCreate, ChangedDescriptionsThatVerifyCanBeCreated) {
  ScratchDir dir("verify_mutants");
  std::vector<std::string> lines;
  for (size_t at = 0, next; at < sizeof(kBase) - 1; at = next + 1) {
    next = std::string(kBase).find('\n', at);
    lines.push_back(std::string(kBase).substr(at, next - at));
  }
  const unsigned kNumbers[] = {0, 1, 2, 3, 4, 5, 8, 10, 31, 32, 64, 100, 255, 65535, 65536, 0x7FFFFFFFu, 0xFFFFFFFFu};
  const char* const kTypes[] = {"TEXT",  "ITEXT",  "UINT8",    "INT16",   "UINT32", "INT64",
                                "FLOAT", "DOUBLE", "EXTENDED", "NUMTEXT", "UTEXT"};
  const char* const kNames[] = {"Id", "Name", "Zip", "Rating", "Number", "Customer", "Amount", "Nobody"};
  std::mt19937 rng(20240611);
  int verified = 0;
  const int rounds = 300;
  for (int round = 0; round < rounds; ++round) {
    std::vector<std::string> mutant = lines;
    for (int change = 0; change < 1 + round % 2; ++change) {
      std::string& line = mutant[rng() % mutant.size()];
      if (line.rfind("Field:", 0) == 0) {
        // One of the first two numbers (offset, length) or the encoding.
        size_t start = 6;
        for (unsigned n = rng() % 3; n > 0; --n) start = line.find(',', start) + 1;
        size_t end = line.find(',', start);
        line.replace(start, end - start, " " + std::to_string(kNumbers[rng() % 17]));
      } else if (line.rfind("IndexNodeSize:", 0) == 0) {
        line = "IndexNodeSize: " + std::to_string(kNumbers[rng() % 17]);
      } else if (line.rfind("KeyPart:", 0) == 0) {
        line = std::string("KeyPart: \"") + kTypes[rng() % 11] + "\", \"" + kNames[rng() % 8] + "\"";
      } else if (line.rfind("Key:", 0) == 0) {
        for (int copies = int(rng() % 40); copies > 0; --copies) line += "\nKey: 0\nKeyPart: \"TEXT\", \"Name\"";
      } else if (line.rfind("Table: \"", 0) == 0) {
        line = std::string("Table: \"") + (rng() % 2 ? "customer" : "Order") + "\"";
      }
    }
    std::string text;
    for (const std::string& line : mutant) text += line + "\n";
    Outcome out = Try(dir, text, unsigned(round));
    if (out.verified) {
      ++verified;
      EXPECT_EQ(out.created, 1) << "passed VerifyDesc but cannot be created:\n" << text;
    }
  }
  // Some pass, most do not: the changes reach both sides.
  EXPECT_GT(verified, rounds / 20);
  EXPECT_LT(verified, rounds - rounds / 20);
}

}  // namespace
