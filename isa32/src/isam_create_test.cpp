// Files that get their name only when complete: built under "<name>-new",
// named by ISAMClose, removed by ISAMDiscard; a cut anywhere leaves the name
// free or the whole file under it.
#include "isam_memory_io.h"
#include "isam_test_util.h"

using namespace isamtest;

namespace {

const char* const kName = "new.isa";
const std::string kTemp = std::string(kName) + "-new";
constexpr unsigned kTables = 5;

struct IsamCreateTest : testing::Test {
  CIsamMemoryIo io;
  CIsamIo* previous = nullptr;
  void SetUp() override { previous = ztIsamSetIo(&io); }
  void TearDown() override { ztIsamSetIo(previous); }

  // Creates kTables tables with descriptions in one transaction and closes.
  unsigned build() {
    ISAMFILE f = nullptr;
    unsigned ext = 0;
    unsigned e = ISAMCreateEx(&f, kName, ISAM_CREATE_NAMED_ON_CLOSE, &ext);
    if (e) return e;
    if ((e = ISAMBeginTransaction(f)) != 0) return ISAMDiscard(f, &ext), e;
    for (unsigned i = 0; i < kTables && !e; ++i) {
      std::string table = "T" + std::to_string(i);
      ISAMIDT k = keyPart(ISAM_KEY_TEXT, 0, 20);
      ISAMTABLE t = nullptr;
      e = ISAMCreateTable(f, table.c_str(), &k, 1, kRecSize, 256);
      if (!e) e = ISAMOpenTable(f, table.c_str(), &t);
      std::string desc(3000 + i * 1000, char('a' + i));
      if (!e) e = ISAMWriteTableDesc(t, 0, desc.data(), unsigned(desc.size()));
    }
    if (!e) e = ISAMCommitTransaction(f);
    if (e) {
      ISAMDiscard(f, &ext);
      return e;
    }
    return ISAMClose(f, &ext);
  }

  // "ok" for a complete file, "none" for no file under the name.
  std::string state() {
    if (!io.Exists(kName)) return "none";
    ISAMFILE f = nullptr;
    unsigned ext = 0;
    if (ISAMOpen(&f, kName, ISAM_OPEN_READONLY, &ext)) return "unreadable";
    std::string result = check(f);
    unsigned count = 0;
    ISAMGetTableCount(f, &count);
    if (result == "ok" && count != kTables) result = std::to_string(count) + " tables";
    for (unsigned i = 0; result == "ok" && i < kTables; ++i) {
      ISAMTABLE t = nullptr;
      unsigned size = 0;
      if (ISAMOpenTable(f, ("T" + std::to_string(i)).c_str(), &t) || ISAMGetTableDescSize(t, 0, &size) ||
          size != 3000 + i * 1000)
        result = "table " + std::to_string(i) + " incomplete";
    }
    ISAMClose(f, &ext);
    return result;
  }
};

TEST_F(IsamCreateTest, TheNameAppearsWhenTheFileIsComplete) {
  ISAMFILE f = nullptr;
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMCreateEx(&f, kName, ISAM_CREATE_NAMED_ON_CLOSE, &ext));
  EXPECT_FALSE(io.Exists(kName));
  EXPECT_TRUE(io.Exists(kTemp.c_str()));
  ISAMIDT k = keyPart(ISAM_KEY_TEXT, 0, 20);
  ASSERT_EQ(ISAM_OK, ISAMCreateTable(f, "T", &k, 1, kRecSize, 256));
  // A second creation of the same name meanwhile is refused; the first goes on.
  ISAMFILE other = nullptr;
  EXPECT_EQ(ISAM_ERR_LOCKED, ISAMCreateEx(&other, kName, ISAM_CREATE_NAMED_ON_CLOSE, &ext));
  ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
  EXPECT_TRUE(io.Exists(kName));
  EXPECT_FALSE(io.Exists(kTemp.c_str()));
  EXPECT_FALSE(io.Exists((kTemp + "-wal").c_str()));
  EXPECT_FALSE(io.Exists((std::string(kName) + "-wal").c_str()));
  EXPECT_EQ(ISAM_ERR_EXISTS, ISAMCreateEx(&other, kName, ISAM_CREATE_NAMED_ON_CLOSE, &ext));

  // Discarded: nothing is left.
  io.files.clear();
  ASSERT_EQ(ISAM_OK, ISAMCreateEx(&f, kName, ISAM_CREATE_NAMED_ON_CLOSE, &ext));
  ASSERT_EQ(ISAM_OK, ISAMCreateTable(f, "T", &k, 1, kRecSize, 256));
  ASSERT_EQ(ISAM_OK, ISAMDiscard(f, &ext));
  EXPECT_TRUE(io.files.empty());

  // A name taken while the file was built: the file is given up, the other stays.
  ASSERT_EQ(ISAM_OK, ISAMCreateEx(&f, kName, ISAM_CREATE_NAMED_ON_CLOSE, &ext));
  io.files[kName] = std::make_shared<CIsamMemoryIo::File>();
  io.files[kName]->current = {1, 2, 3};
  EXPECT_EQ(ISAM_ERR_EXISTS, ISAMClose(f, &ext));
  EXPECT_FALSE(io.Exists(kTemp.c_str()));
  EXPECT_EQ(std::vector<uint8_t>({1, 2, 3}), io.files[kName]->current);
}

// A program killed at any write, flush or rename, and the power gone: the name
// holds nothing or the whole file, and creating it again works (the remains of
// the killed attempt are cleared away).
TEST_F(IsamCreateTest, KilledAnywhereLeavesNothingOrTheWholeFile) {
  io.Arm(-1);
  ASSERT_EQ(ISAM_OK, build());
  const long total = io.points;
  ASSERT_EQ("ok", state());
  ASSERT_GT(total, 5);
  int complete = 0;
  for (long cut = 0; cut <= total; ++cut) {
    for (unsigned torn = 0; torn < 2; ++torn) {
      io.files.clear();
      io.Arm(cut);
      unsigned e = build();
      io.Crash(torn ? unsigned(cut + 1) : 0);
      std::string s = state();
      if (s == "ok") ++complete;
      ASSERT_TRUE(s == "none" || s == "ok") << "cut at " << cut << " of " << total << ": " << s;
      if (!e) {
        ASSERT_EQ("ok", s) << "cut at " << cut;
      }
      if (s == "none") {
        ASSERT_EQ(ISAM_OK, build()) << "cut at " << cut;
        ASSERT_EQ("ok", state()) << "cut at " << cut;
      }
    }
  }
  EXPECT_GT(complete, 0);
}

// A failure that is no crash (a full disk) leaves no file at all behind.
TEST_F(IsamCreateTest, FailuresLeaveNoFileBehind) {
  io.Arm(-1);
  ASSERT_EQ(ISAM_OK, build());
  const long total = io.points;
  for (long cut = 0; cut < total; ++cut) {
    io.files.clear();
    io.cutError = ENOSPC;
    io.Arm(cut);
    EXPECT_NE(ISAM_OK, build()) << cut;
    io.Disarm();
    EXPECT_TRUE(io.files.empty()) << "cut at " << cut << ": " << io.files.begin()->first;
  }
}

}  // namespace
