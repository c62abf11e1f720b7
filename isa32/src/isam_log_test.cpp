// The write-ahead log read back: damage inside committed frames is reported
// with the number of transactions lost, a torn tail is not; files and folders
// that cannot be written are still read; readers keep the log from being copied.
#include <errno.h>

#include <algorithm>
#include <random>
#include <set>

#include "isam_memory_io.h"
#include "isam_test_util.h"

using namespace isamtest;

namespace {

const char* const kName = "log.isa";
const std::string kLog = std::string(kName) + "-wal";
constexpr int kCommits = 3;
constexpr int kPerCommit = 40;

struct Frame {
  size_t at;
  size_t size;
  uint32_t serial;
  uint32_t flags;
};

// The frames of a log image, in order, as far as their sizes lead.
std::vector<Frame> framesOf(const std::vector<uint8_t>& log) {
  std::vector<Frame> frames;
  size_t at = 32;
  while (at + 32 <= log.size()) {
    uint32_t serial, units, flags;
    memcpy(&serial, log.data() + at + 4, 4);
    memcpy(&units, log.data() + at + 12, 4);
    memcpy(&flags, log.data() + at + 16, 4);
    size_t size = 32 + size_t(units) * 64;
    if (units > 0x10000 || at + size > log.size()) break;
    frames.push_back(Frame{at, size, serial, flags});
    at += size;
  }
  return frames;
}

struct IsamLogTest : testing::Test {
  CIsamMemoryIo io;
  CIsamIo* previous = nullptr;
  std::vector<uint8_t> db, log;

  void SetUp() override { previous = ztIsamSetIo(&io); }
  void TearDown() override { ztIsamSetIo(previous); }

  // A file with kCommits committed transactions in its log. closed: the writer
  // closed while a reader held the log (it ends with the close frame); else the
  // writer was killed.
  void build(bool closed) {
    ISAMFILE f = nullptr, reader = nullptr;
    ISAMTABLE t = nullptr;
    createStandard(kName, &f, &t, 256);
    unsigned ext = 0;
    ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
    ASSERT_EQ(ISAM_OK, ISAMOpen(&f, kName, ISAM_OPEN_READWRITE, &ext));
    ASSERT_EQ(ISAM_OK, ISAMOpenTable(f, "T", &t));
    ASSERT_EQ(ISAM_OK, ISAMOpen(&reader, kName, ISAM_OPEN_READONLY, &ext));
    for (int c = 0; c < kCommits; ++c) {
      ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(f));
      for (int i = 0; i < kPerCommit; ++i) {
        Rec r = makeRec(c * kPerCommit + i, "import");
        ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, nullptr));
      }
      ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(f));
    }
    if (closed) {
      ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
    }
    db = io.files[kName]->current;
    log = io.files[kLog]->current;
    if (!closed) ISAMClose(f, &ext);
    ISAMClose(reader, &ext);
  }

  void install(const std::vector<uint8_t>& logImage) {
    io.files.clear();
    io.files[kName] = std::make_shared<CIsamMemoryIo::File>();
    io.files[kName]->current = io.files[kName]->durable = db;
    io.files[kLog] = std::make_shared<CIsamMemoryIo::File>();
    io.files[kLog]->current = io.files[kLog]->durable = logImage;
  }

  // The records of the file, or -error.
  int records(unsigned mode, std::string* checked = nullptr) {
    ISAMFILE f = nullptr;
    unsigned ext = 0;
    unsigned e = ISAMOpen(&f, kName, mode, &ext);
    if (e) return -int(e);
    if (checked) *checked = check(f);
    ISAMTABLE t = nullptr;
    unsigned count = 0;
    if (ISAMOpenTable(f, "T", &t) == ISAM_OK) count = unsigned(readAll(t, 1, ISAM_ITER_FORWARD).size());
    ISAMClose(f, &ext);
    return int(count);
  }
};

// Each frame of the log in turn damaged: every transaction from the damaged one
// on is lost, and opening says how many, unless the caller accepts the loss.
TEST_F(IsamLogTest, DamageAtEveryFrameIsReportedWithTheCommitsLost) {
  build(true);
  std::vector<Frame> frames = framesOf(log);
  ASSERT_EQ(2u, frames.back().flags);  // the close frame
  uint32_t firstSerial = frames.front().serial;
  for (size_t i = 0; i + 1 < frames.size(); ++i) {
    for (size_t offset : {size_t(5), frames[i].size - 1}) {
      std::vector<uint8_t> bad = log;
      bad[frames[i].at + offset] ^= 0x40;
      install(bad);
      unsigned lost = 0;
      for (const Frame& f : frames)
        if (f.flags == 1 && f.serial >= frames[i].serial) ++lost;
      unsigned kept = kCommits - lost;
      ISAMFILE f = nullptr;
      unsigned ext = 0;
      EXPECT_EQ(ISAM_ERR_LOG_DAMAGED, ISAMOpen(&f, kName, ISAM_OPEN_READONLY, &ext)) << "frame " << i;
      EXPECT_EQ(lost, ext) << "frame " << i << " of transaction " << frames[i].serial - firstSerial;
      EXPECT_EQ(ISAM_ERR_LOG_DAMAGED, ISAMOpen(&f, kName, ISAM_OPEN_READWRITE, &ext)) << "frame " << i;
      // Opened anyway: the commits before the damage, and the check says what is lost.
      std::string checked;
      EXPECT_EQ(int(kept * kPerCommit), records(ISAM_OPEN_READONLY | ISAM_OPEN_ACCEPT_LOG_LOSS, &checked));
      EXPECT_NE(std::string::npos, checked.find(std::to_string(lost) + " committed transactions cannot be replayed"))
          << checked;
    }
  }
}

// A writer that was killed leaves a log whose last transaction may be torn: its
// damage reads as that, damage before it is still loss.
TEST_F(IsamLogTest, TornLastTransactionOfAKilledWriterIsNoLoss) {
  build(false);
  std::vector<Frame> frames = framesOf(log);
  ASSERT_EQ(1u, frames.back().flags);
  uint32_t last = frames.back().serial;
  for (size_t i = 0; i < frames.size(); ++i) {
    std::vector<uint8_t> bad = log;
    bad[frames[i].at + frames[i].size / 2] ^= 0x01;
    install(bad);
    if (frames[i].serial == last) {
      EXPECT_EQ((kCommits - 1) * kPerCommit, records(ISAM_OPEN_READONLY)) << i;
    } else {
      EXPECT_EQ(-int(ISAM_ERR_LOG_DAMAGED), records(ISAM_OPEN_READONLY)) << i;
    }
  }
  // Cut anywhere: what is left is the commits before the cut, never an error.
  for (size_t i = 0; i < frames.size(); ++i) {
    install(std::vector<uint8_t>(log.begin(), log.begin() + long(frames[i].at + 7)));
    int got = records(ISAM_OPEN_READONLY);
    EXPECT_GE(got, 0) << i;
    EXPECT_EQ(0, got % kPerCommit) << i;
  }
}

TEST_F(IsamLogTest, DamagedHeaderLosesNothingUnreadableLogIsSaid) {
  build(true);
  for (size_t at : {size_t(0), size_t(9), size_t(17), size_t(28)}) {
    std::vector<uint8_t> bad = log;
    bad[at] ^= 0x10;
    install(bad);
    std::string checked;
    EXPECT_EQ(kCommits * kPerCommit, records(ISAM_OPEN_READONLY, &checked)) << at;
    EXPECT_EQ("ok", checked);
  }
  install(log);
  io.unreadable.insert(kLog);
  ISAMFILE f = nullptr;
  unsigned ext = 0;
  EXPECT_EQ(ISAM_ERR_LOG_UNREADABLE, ISAMOpen(&f, kName, ISAM_OPEN_READWRITE, &ext));
  EXPECT_EQ(unsigned(EACCES), ext);
  EXPECT_EQ(unsigned(EACCES), ISAMLastSystemError());
  std::string checked;
  EXPECT_EQ(0, records(ISAM_OPEN_READONLY | ISAM_OPEN_ACCEPT_LOG_LOSS, &checked));
  EXPECT_NE(std::string::npos, checked.find("cannot be read")) << checked;
}

// A writer that accepts the loss goes on after the last good commit; the lost
// transactions never come back, and the file is sound afterwards.
TEST_F(IsamLogTest, WriterAcceptingTheLossContinuesAfterIt) {
  build(true);
  std::vector<Frame> frames = framesOf(log);
  std::vector<uint8_t> bad = log;
  bad[frames[1].at + 40] ^= 0xFF;  // in the first transaction
  install(bad);
  ISAMFILE f = nullptr;
  ISAMTABLE t = nullptr;
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMOpen(&f, kName, ISAM_OPEN_READWRITE | ISAM_OPEN_ACCEPT_LOG_LOSS, &ext));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(f, "T", &t));
  Rec r = makeRec(4711, "after");
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, nullptr));
  EXPECT_EQ(std::vector<int>{4711}, readAll(t, 1, ISAM_ITER_FORWARD));
  ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
  std::string checked;
  EXPECT_EQ(1, records(ISAM_OPEN_READWRITE, &checked));
  EXPECT_EQ("ok", checked);
}

// A file that cannot be written, or whose folder takes no new file, is read by
// mode 4 as by mode 5; its first change fails with the system's reason and
// leaves nothing behind.
TEST_F(IsamLogTest, FilesThatCannotBeWrittenAreStillRead) {
  ISAMFILE f = nullptr;
  ISAMTABLE t = nullptr;
  createStandard(kName, &f, &t, 256);
  Rec r = makeRec(1, "one");
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, nullptr));
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
  ASSERT_FALSE(io.Exists(kLog.c_str()));
  std::vector<uint8_t> image = io.files[kName]->current;
  for (int folder = 0; folder < 2; ++folder) {
    io.readOnly.clear();
    io.noCreate.clear();
    (folder ? io.noCreate : io.readOnly).insert(folder ? kLog : kName);
    ASSERT_EQ(ISAM_OK, ISAMOpen(&f, kName, ISAM_OPEN_READWRITE, &ext)) << folder;
    ASSERT_EQ(ISAM_OK, ISAMOpenTable(f, "T", &t));
    EXPECT_EQ(std::vector<int>{1}, readAll(t, 1, ISAM_ITER_FORWARD));
    EXPECT_EQ("ok", check(f));
    EXPECT_EQ(ISAM_ERR_NOT_WRITABLE, ISAMInsertRecord(t, r.bytes, nullptr)) << folder;
    EXPECT_EQ(unsigned(EACCES), ISAMLastSystemError());
    EXPECT_EQ(ISAM_ERR_NOT_WRITABLE, ISAMBeginTransaction(f));
    EXPECT_EQ(std::vector<int>{1}, readAll(t, 1, ISAM_ITER_FORWARD));
    EXPECT_EQ(ISAM_OK, ISAMClose(f, &ext));
    EXPECT_FALSE(io.Exists(kLog.c_str()));
    EXPECT_EQ(image, io.files[kName]->current);
  }
}

// Reading needs no space on the disk: with every write failing as on a full
// disk, mode 4 still reads and leaves no log; the write then says why it failed.
TEST_F(IsamLogTest, FullDiskFailsTheWriteNotTheRead) {
  ISAMFILE f = nullptr;
  ISAMTABLE t = nullptr;
  createStandard(kName, &f, &t, 256);
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
  io.fullDisk = true;
  ASSERT_EQ(ISAM_OK, ISAMOpen(&f, kName, ISAM_OPEN_READWRITE, &ext));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(f, "T", &t));
  EXPECT_EQ(std::vector<int>{}, readAll(t, 0, ISAM_ITER_FORWARD));
  Rec r = makeRec(1, "one");
  unsigned e = ISAMInsertRecord(t, r.bytes, nullptr);
  EXPECT_TRUE(e == ISAM_ERR_WRITE || e == ISAM_ERR_FLUSH) << e;
  EXPECT_EQ(unsigned(ENOSPC), ISAMLastSystemError());
  ISAMClose(f, &ext);
  EXPECT_FALSE(io.Exists(kLog.c_str()));
}

// Open readers keep the writer from copying the log into the file (it grows);
// the first commit after the last reader closed copies it.
TEST_F(IsamLogTest, ReadersKeepTheLogUntilTheyClose) {
  uint64_t before = ztIsamSetCheckpointBytes(4096);
  ISAMFILE f = nullptr, reader = nullptr, lazy = nullptr;
  ISAMTABLE t = nullptr, rt = nullptr;
  createStandard(kName, &f, &t, 256);
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMOpen(&reader, kName, ISAM_OPEN_READONLY, &ext));
  ASSERT_EQ(ISAM_OK, ISAMOpen(&lazy, kName, ISAM_OPEN_READWRITE, &ext));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(reader, "T", &rt));
  size_t longest = 0;
  for (int i = 0; i < 60; ++i) {
    Rec r = makeRec(i, "n");
    ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, nullptr));
    longest = std::max(longest, io.files[kLog]->current.size());
  }
  EXPECT_GT(longest, 4096u * 4);
  EXPECT_EQ(std::vector<int>{}, readAll(rt, 1, ISAM_ITER_FORWARD));
  EXPECT_EQ(ISAM_OK, ISAMClose(reader, &ext));
  EXPECT_EQ(ISAM_OK, ISAMClose(lazy, &ext));
  Rec r = makeRec(60, "n");
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, nullptr));
  EXPECT_LT(io.files[kLog]->current.size(), longest / 2);
  EXPECT_EQ("ok", check(f));
  ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
  EXPECT_FALSE(io.Exists(kLog.c_str()));
  ztIsamSetCheckpointBytes(before);
}

// A load in transactions much larger than the cache, in scattered key order:
// blocks leave the cache again and again, yet the log holds each of them once
// per transaction and is copied into the file when the next one begins, so it
// never grows beyond what one transaction changed plus the length that asks for
// a copy. Its last transaction comes back from the log after a power loss.
TEST_F(IsamLogTest, LogOfLargeTransactionsStaysBounded) {
  constexpr uint64_t kCopyFrom = 64u << 10;
  constexpr int kTransactions = 6;
  constexpr int kInserts = 2000;
  uint64_t before = ztIsamSetCheckpointBytes(kCopyFrom);
  // Frames reach the log file soon, so that they are written over there.
  uint64_t buffer = ztIsamSetLogBufferBytes(16u << 10);
  ISAMFILE f = nullptr;
  ISAMTABLE t = nullptr;
  createStandard(kName, &f, &t, 256);
  ASSERT_EQ(ISAM_OK, ISAMSetCacheSize(f, 64u << 10));
  std::mt19937 rng(5);
  for (int tx = 0; tx < kTransactions; ++tx) {
    const size_t fileAtBegin = io.files[kName]->current.size();
    size_t longest = 0;
    ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(f));
    for (int i = 0; i < kInserts; ++i) {
      char name[9] = {};
      for (int k = 0; k < 8; ++k) name[k] = char('a' + rng() % 26);
      Rec r = makeRec(int(rng() >> 1), name);
      ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, nullptr));
      longest = std::max(longest, io.files[kLog]->current.size());
    }
    ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(f));
    // Only blocks that were there before the transaction go to the log, each
    // with a frame header of 32 bytes to at least 320 bytes of block.
    EXPECT_LE(longest, fileAtBegin * 11 / 10 + kCopyFrom) << "transaction " << tx;
  }
  EXPECT_EQ("ok", check(f));
  io.Crash();
  unsigned ext = 0;
  ISAMClose(f, &ext);  // its handles are gone: it only lets go of its memory
  std::string checked;
  EXPECT_EQ(kTransactions * kInserts, records(ISAM_OPEN_READONLY, &checked));
  EXPECT_EQ("ok", checked);
  ztIsamSetLogBufferBytes(buffer);
  ztIsamSetCheckpointBytes(before);
}

// A log that cannot be emptied after its copy into the file stays the log: the
// change that wanted the copy fails, and later commits are not written into a
// log that opening would no longer read.
TEST_F(IsamLogTest, LogThatCannotBeEmptiedStaysTheLog) {
  uint64_t before = ztIsamSetCheckpointBytes(4096);
  ISAMFILE f = nullptr;
  ISAMTABLE t = nullptr;
  createStandard(kName, &f, &t, 256);
  int number = 0;
  while (io.files[kLog]->current.size() <= 4096) {
    Rec r = makeRec(number++, "before");
    ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, nullptr));
  }
  io.truncateFails = true;
  Rec r = makeRec(number, "refused");
  EXPECT_EQ(ISAM_ERR_WRITE, ISAMInsertRecord(t, r.bytes, nullptr));
  EXPECT_EQ(unsigned(EIO), ISAMLastSystemError());
  io.truncateFails = false;
  r = makeRec(number++, "after");
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, nullptr));
  io.Crash();
  unsigned ext = 0;
  ISAMClose(f, &ext);  // its handles are gone: it only lets go of its memory
  std::string checked;
  EXPECT_EQ(number, records(ISAM_OPEN_READONLY, &checked));
  EXPECT_EQ("ok", checked);
  ztIsamSetCheckpointBytes(before);
}

}  // namespace
