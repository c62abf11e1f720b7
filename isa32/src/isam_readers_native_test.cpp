// Readers and a writer in separate processes, with the system's own locks: the
// writer commits batches (copying its log into the file often, and closing and
// opening again now and then) while readers of both modes open, read and check
// the file over and over. Nobody may fail, and every reader must see whole
// batches only, never fewer than it saw before.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "isam_test_util.h"

using namespace isamtest;

namespace {

constexpr int kBatch = 25;
constexpr int kBatches = 240;
constexpr int kReaders = 4;

// Exit codes of the children: 0 fine, otherwise where it failed.
[[noreturn]] void writer(const std::string& name) {
  ztIsamSetCheckpointBytes(16u << 10);
  ISAMFILE f = nullptr;
  ISAMTABLE t = nullptr;
  unsigned ext = 0;
  for (int batch = 0; batch < kBatches; ++batch) {
    if (!f && (ISAMOpen(&f, name.c_str(), ISAM_OPEN_READWRITE, &ext) || ISAMOpenTable(f, "T", &t))) _exit(10);
    if (ISAMBeginTransaction(f)) _exit(11);
    for (int i = 0; i < kBatch; ++i) {
      Rec r = makeRec(batch * kBatch + i, "batch");
      if (ISAMInsertRecord(t, r.bytes, nullptr)) _exit(12);
    }
    if (ISAMCommitTransaction(f)) _exit(13);
    if (batch % 40 == 39) {
      if (ISAMClose(f, &ext)) _exit(14);
      f = nullptr;
    }
  }
  if (f && ISAMClose(f, &ext)) _exit(15);
  _exit(0);
}

double seconds() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

[[noreturn]] void reader(const std::string& name, int number) {
  const double deadline = seconds() + 120;
  int seen = 0;
  for (int round = 0; seconds() < deadline; ++round) {
    unsigned mode = (round + number) % 2 ? ISAM_OPEN_READWRITE : ISAM_OPEN_READONLY;
    ISAMFILE f = nullptr;
    ISAMTABLE t = nullptr;
    unsigned ext = 0;
    if (ISAMOpen(&f, name.c_str(), mode, &ext)) _exit(20);
    if (ISAMOpenTable(f, "T", &t)) _exit(21);
    std::vector<int> numbers = readAll(t, 1, ISAM_ITER_FORWARD);
    int n = int(numbers.size());
    if (n % kBatch) _exit(22);
    if (n < seen) _exit(23);
    for (int i = 0; i < n; ++i)
      if (numbers[size_t(i)] != i) _exit(24);
    if (round % 8 == 0 && check(f) != "ok") _exit(25);
    if (ISAMClose(f, &ext)) _exit(26);
    seen = n;
    if (seen == kBatch * kBatches && round > 10) _exit(0);
    // Moments without readers let the writer copy its log into the file.
    usleep(useconds_t((round * 7919 + number * 104729) % 25000));
  }
  _exit(27);
}

TEST(IsamReaders, ManyReadersWhileOneWriterCommitsNoneFails) {
  std::string name = tempName("readers");
  {
    ISAMFILE f = nullptr;
    ISAMTABLE t = nullptr;
    createStandard(name, &f, &t, 256, true);
    unsigned ext = 0;
    ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
  }
  std::vector<pid_t> children;
  pid_t w = fork();
  ASSERT_GE(w, 0);
  if (w == 0) writer(name);
  children.push_back(w);
  for (int r = 0; r < kReaders; ++r) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) reader(name, r);
    children.push_back(pid);
  }
  for (size_t i = 0; i < children.size(); ++i) {
    int status = 0;
    waitpid(children[i], &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "process " << i;
    EXPECT_EQ(0, WEXITSTATUS(status)) << (i == 0 ? "the writer" : "a reader") << " failed";
  }
  ISAMFILE f = nullptr;
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMOpen(&f, name.c_str(), ISAM_OPEN_READONLY, &ext));
  EXPECT_EQ("ok", check(f));
  ISAMClose(f, &ext);
  removeFile(name);
}

}  // namespace
