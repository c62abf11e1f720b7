// Crash safety: a workload is cut at every write and flush in turn, the power
// goes (unflushed writes are dropped, or land in part and torn), and the
// reopened file must hold every committed transaction and nothing else.
#include <stdlib.h>

#include <map>
#include <random>

#include "isam_memory_io.h"
#include "isam_test_util.h"

using namespace isamtest;

namespace {

const char* const kFile = "crash.isa";
constexpr unsigned kBigSize = 1500;

struct State {
  std::map<unsigned, Rec> small;                       // table T
  std::map<unsigned, std::vector<unsigned char>> big;  // table Big
  std::string desc;
  // o is the expected state; its record at address 0 may stand at any address.
  bool Matches(const State& o) const {
    if (desc != o.desc || small.size() != o.small.size() || big != o.big) return false;
    for (auto& kv : small) {
      auto it = o.small.find(kv.first);
      if (it == o.small.end()) it = o.small.find(0);
      if (it == o.small.end() || memcmp(kv.second.bytes, it->second.bytes, kRecSize) != 0) return false;
    }
    return true;
  }
};

void setup(CIsamMemoryIo& io, State*) {
  ztIsamSetIo(&io);
  ISAMFILE f = nullptr;
  ISAMTABLE t = nullptr;
  createStandard(kFile, &f, &t, 64, true);
  ISAMIDT k = keyPart(ISAM_KEY_UINT32, 0, 4);
  ASSERT_EQ(ISAM_OK, ISAMCreateTable(f, "Big", &k, 1, kBigSize, 512));
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
}

// Runs the workload until a call fails. committed: the state of every commit
// that returned success; inFlight: that state plus the transaction whose commit
// failed, for the case that its commit reached the disk after all.
long workload(State* committed, State* inFlight) {
  ISAMFILE f = nullptr;
  unsigned ext = 0;
  if (ISAMOpen(&f, kFile, ISAM_OPEN_READWRITE, &ext)) return 0;
  ISAMSetCacheSize(f, 64u << 10);
  ISAMTABLE t = nullptr, big = nullptr;
  if (ISAMOpenTable(f, "T", &t) || ISAMOpenTable(f, "Big", &big)) {
    ISAMClose(f, &ext);
    return 0;
  }
  std::mt19937 rng(77);
  State work = *committed;
  int number = 0;
  bool failed = false;
  auto commitOk = [&](unsigned e) {
    if (e == ISAM_OK) {
      *committed = work;
      *inFlight = work;
      return true;
    }
    *inFlight = work;
    work = *committed;
    failed = true;
    if (getenv("ISAM_CRASH_DEBUG")) printf("commit error %u\n", e);
    return false;
  };
  for (int tx = 0; tx < 12 && !failed; ++tx) {
    int kind = tx % 6;
    if (kind == 0) {
      // A single write outside a transaction.
      Rec r = makeRec(number++, "auto");
      unsigned a = 0;
      unsigned e = ISAMInsertRecord(t, r.bytes, &a);
      // A failed write does not tell its address: 0 stands for "any".
      work.small[e == ISAM_OK ? a : 0] = r;
      commitOk(e);
      continue;
    }
    if (kind == 5) {
      std::string text(size_t(rng() % 6000), 'd');
      for (char& c : text) c = char('a' + rng() % 26);
      work.desc = text;
      commitOk(ISAMWriteTableDesc(t, 0, text.data(), unsigned(text.size())));
      continue;
    }
    if (ISAMBeginTransaction(f)) {
      failed = true;
      break;
    }
    int ops = kind == 4 ? 100 : 5 + int(rng() % 12);
    for (int i = 0; i < ops && !failed; ++i) {
      unsigned e = ISAM_OK;
      if (kind == 4) {
        // Larger than the cache: blocks leave it before the commit.
        std::vector<unsigned char> rec(kBigSize, (unsigned char)(i));
        uint32_t id = uint32_t(tx * 10000 + i);
        memcpy(rec.data(), &id, 4);
        unsigned a = 0;
        e = ISAMInsertRecord(big, rec.data(), &a);
        if (!e) work.big[a] = rec;
      } else if (work.small.empty() || rng() % 3 == 0) {
        Rec r = makeRec(number++, rng() % 2 ? "x" : "y");
        unsigned a = 0;
        e = ISAMInsertRecord(t, r.bytes, &a);
        if (!e) work.small[a] = r;
      } else {
        auto it = work.small.begin();
        std::advance(it, long(rng() % work.small.size()));
        if (rng() % 2) {
          Rec r = makeRec(number++, "upd");
          e = ISAMUpdateRecord(t, it->first, r.bytes);
          if (!e) it->second = r;
        } else {
          e = ISAMDeleteRecord(t, it->first);
          if (!e) work.small.erase(it);
        }
      }
      if (e) {
        failed = true;
        if (getenv("ISAM_CRASH_DEBUG")) printf("tx %d kind %d op %d error %u\n", tx, kind, i, e);
      }
    }
    if (failed) break;
    if (kind == 3) {
      if (ISAMRollbackTransaction(f)) failed = true;
      work = *committed;
    } else {
      commitOk(ISAMCommitTransaction(f));
    }
  }
  ISAMClose(f, &ext);
  return failed ? -1 : 1;
}

constexpr unsigned kFilled = 80;
constexpr unsigned kTwice = 16;
constexpr uint64_t kLogBuffer = 32u << 10;

std::vector<unsigned char> bigRecord(uint32_t id, unsigned char fill) {
  std::vector<unsigned char> rec(kBigSize, fill);
  memcpy(rec.data(), &id, 4);
  return rec;
}

// Table Big with records that fill the log's write buffer (made small) several
// times over, each in a block of its own.
void setupFilled(CIsamMemoryIo& io, State* state) {
  setup(io, state);
  ISAMFILE f = nullptr;
  ISAMTABLE big = nullptr;
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMOpen(&f, kFile, ISAM_OPEN_READWRITE, &ext));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(f, "Big", &big));
  ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(f));
  for (uint32_t i = 0; i < kFilled; ++i) {
    std::vector<unsigned char> rec = bigRecord(i, 0);
    unsigned a = 0;
    ASSERT_EQ(ISAM_OK, ISAMInsertRecord(big, rec.data(), &a));
    state->big[a] = rec;
  }
  ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(f));
  ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
}

// Transactions that change every record of Big and then some of them again:
// their blocks leave the small cache twice, the second time after their first
// frames have left the log's write buffer for the log file. A reader keeps the
// log from being copied into the file at close (the copy has cuts of its own).
long respill(State* committed, State* inFlight) {
  ISAMFILE f = nullptr, reader = nullptr;
  unsigned ext = 0;
  if (ISAMOpen(&f, kFile, ISAM_OPEN_READWRITE, &ext)) return 0;
  ISAMSetCacheSize(f, 64u << 10);
  ISAMTABLE big = nullptr;
  if (ISAMOpenTable(f, "Big", &big) || ISAMOpen(&reader, kFile, ISAM_OPEN_READONLY, &ext)) {
    ISAMClose(f, &ext);
    return 0;
  }
  std::vector<unsigned> addresses;
  for (auto& kv : committed->big) addresses.push_back(kv.first);
  bool failed = false;
  for (unsigned round = 0; round < 2 && !failed; ++round) {
    State work = *committed;
    failed = ISAMBeginTransaction(f) != ISAM_OK;
    for (unsigned i = 0; i < kFilled + kTwice && !failed; ++i) {
      unsigned a = addresses[i % kFilled];
      std::vector<unsigned char> rec = bigRecord(i % kFilled, (unsigned char)(round * 2 + 1 + i / kFilled));
      failed = ISAMUpdateRecord(big, a, rec.data()) != ISAM_OK;
      if (!failed) work.big[a] = rec;
    }
    if (failed) break;
    *inFlight = work;
    if (ISAMCommitTransaction(f) == ISAM_OK)
      *committed = work;
    else
      failed = true;
  }
  ISAMClose(f, &ext);
  ISAMClose(reader, &ext);
  return failed ? -1 : 1;
}

State readBack(std::string* problem) {
  State s;
  ISAMFILE f = nullptr;
  unsigned ext = 0;
  unsigned e = ISAMOpen(&f, kFile, ISAM_OPEN_READWRITE, &ext);
  if (e) {
    *problem = "open: " + std::to_string(e);
    return s;
  }
  std::string c = check(f);
  if (c != "ok") *problem = "check: " + c;
  ISAMTABLE t = nullptr, big = nullptr;
  if (ISAMOpenTable(f, "T", &t) || ISAMOpenTable(f, "Big", &big)) {
    *problem = "tables missing";
  } else {
    unsigned a = 0;
    Rec r;
    std::vector<unsigned> order;
    ISAMSetupIterationLimits(t, 1, 0, nullptr, nullptr);
    while (ISAMReadNextRecord(t, 1, r.bytes, &a, nullptr) == ISAM_OK) {
      s.small[a] = r;
      order.push_back(a);
    }
    // The entry counts of the recovered tree find every position.
    for (size_t n = 0; n <= order.size(); n += order.size() / 7 + 1) {
      unsigned e = ISAMSetupIterationEntry(t, 1, 0, unsigned(n));
      if (!e) e = ISAMReadNextRecord(t, 1, r.bytes, &a, nullptr);
      if (n < order.size() ? (e != ISAM_OK || a != order[n]) : e != ISAM_END_OF_ITERATION)
        *problem += " entry " + std::to_string(n) + " not found by its number";
    }
    std::vector<unsigned char> rec(kBigSize);
    ISAMSetupIterationLimits(big, 0, 0, nullptr, nullptr);
    while (ISAMReadNextRecord(big, 0, rec.data(), &a, nullptr) == ISAM_OK) s.big[a] = rec;
    unsigned size = 0;
    ISAMGetTableDescSize(t, 0, &size);
    s.desc.resize(size);
    unsigned got = 0;
    if (size) ISAMReadTableDesc(t, 0, &s.desc[0], size, &got);
    // The file goes on working.
    Rec more = makeRec(999999, "after");
    if (ISAMInsertRecord(t, more.bytes, nullptr) != ISAM_OK) *problem += " insert after recovery failed";
  }
  ISAMClose(f, &ext);
  return s;
}

struct Scenario {
  void (*setup)(CIsamMemoryIo& io, State* state);
  long (*workload)(State* committed, State* inFlight);
  long minPoints;  // writes and flushes it has at least
};
const Scenario kMixed = {setup, workload, 50};
const Scenario kRespill = {setupFilled, respill, 10};

// What the power loss after a cut does to the writes not flushed yet.
enum class Loss { kAll, kTorn, kAllButOne };

// The reopened file must hold what was committed, or, when unflushed writes
// may have landed, that and the transaction whose commit failed.
void expectRecovered(const State& committed, const State& inFlight, bool landed, const std::string& where) {
  std::string problem;
  State after = readBack(&problem);
  ASSERT_EQ("", problem) << where;
  bool asCommitted = after.Matches(committed);
  bool asInFlight = landed && after.Matches(inFlight);
  if (!asCommitted && !asInFlight) {
    for (auto& kv : after.small) {
      auto it = committed.small.find(kv.first);
      if (it == committed.small.end() || memcmp(it->second.bytes, kv.second.bytes, kRecSize))
        printf("extra/changed %u: %d\n", kv.first, recNumber(kv.second.bytes));
    }
    for (auto& kv : committed.small)
      if (!after.small.count(kv.first)) printf("missing %u: %d\n", kv.first, recNumber(kv.second.bytes));
  }
  ASSERT_TRUE(asCommitted || asInFlight) << where << ": " << after.small.size() << "/" << after.big.size() << "/"
                                         << after.desc.size() << " records, committed " << committed.small.size() << "/"
                                         << committed.big.size() << "/" << committed.desc.size() << ", in flight "
                                         << inFlight.small.size() << "/" << inFlight.big.size() << "/"
                                         << inFlight.desc.size();
}

void cutEverywhere(Loss loss, uint64_t checkpointBytes, const Scenario& scenario = kMixed) {
  CIsamIo* previous = ztIsamCurrentIo();
  uint64_t previousCheckpoint = ztIsamSetCheckpointBytes(checkpointBytes);
  // A full run tells how many write and flush points the workload has.
  long total = 0;
  {
    CIsamMemoryIo io;
    State committed;
    scenario.setup(io, &committed);
    State inFlight = committed;
    io.Arm(-1);
    io.points = 0;
    ASSERT_EQ(1, scenario.workload(&committed, &inFlight));
    total = io.points;
    ztIsamSetIo(previous);
  }
  ASSERT_GT(total, scenario.minPoints);
  testing::Test::RecordProperty("points", int(total));
  for (long cutAt = 0; cutAt < total; ++cutAt) {
    CIsamMemoryIo io;
    State committed;
    scenario.setup(io, &committed);
    State inFlight = committed;
    io.Arm(cutAt);
    scenario.workload(&committed, &inFlight);
    std::string where = "cut at " + std::to_string(cutAt) + " of " + std::to_string(total);
    if (loss != Loss::kAllButOne) {
      io.Crash(loss == Loss::kTorn ? unsigned(cutAt + 1) : 0);
      expectRecovered(committed, inFlight, loss == Loss::kTorn, where);
    } else {
      // Each unflushed write in turn is the one the disk did not get.
      const auto image = io.Snapshot();
      const size_t pending = io.PendingWrites();
      for (size_t lost = 0; lost < pending && !testing::Test::HasFatalFailure(); ++lost) {
        io.Restore(image);
        io.CrashLosing(lost);
        expectRecovered(committed, inFlight, true, where + ", write " + std::to_string(lost) + " lost");
      }
    }
    ztIsamSetIo(previous);
    if (testing::Test::HasFatalFailure()) break;
  }
  ztIsamSetCheckpointBytes(previousCheckpoint);
}

TEST(IsamCrash, CutAtEveryPointDropsUnflushedWrites) { cutEverywhere(Loss::kAll, 32u << 20); }
TEST(IsamCrash, CutAtEveryPointWithTornUnflushedWrites) { cutEverywhere(Loss::kTorn, 32u << 20); }
// A short log makes commits copy it into the file and start it anew.
TEST(IsamCrash, CutAtEveryPointWhileTheLogIsCopied) { cutEverywhere(Loss::kTorn, 16u << 10); }
// Blocks that leave the cache twice in a transaction have their frames written
// over in the log: a commit must never stand on an earlier version of one, in
// whatever order the disk takes the writes.
TEST(IsamCrash, CutAtEveryPointOfBlocksSpilledTwice) {
  uint64_t previous = ztIsamSetLogBufferBytes(kLogBuffer);
  cutEverywhere(Loss::kAllButOne, 32u << 20, kRespill);
  ztIsamSetLogBufferBytes(previous);
}

}  // namespace
