// A child process commits batches and reports each commit through a pipe; the
// parent kills it at a random moment. Every reported batch must be there after
// reopening, no batch only in part, and the integrity check must pass.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "isam_test_util.h"

using namespace isamtest;

namespace {

constexpr int kBatch = 25;

[[noreturn]] void childWriter(const std::string& name, int reportFd) {
  ISAMFILE f = nullptr;
  ISAMTABLE t = nullptr;
  unsigned ext = 0;
  if (ISAMOpen(&f, name.c_str(), ISAM_OPEN_READWRITE, &ext) || ISAMOpenTable(f, "T", &t)) _exit(2);
  unsigned count = 0;
  ISAMGetRecordCount(t, &count);
  for (int batch = int(count) / kBatch; batch < 1000000; ++batch) {
    if (ISAMBeginTransaction(f)) _exit(3);
    for (int i = 0; i < kBatch; ++i) {
      Rec r = makeRec(batch * kBatch + i, "batch");
      if (ISAMInsertRecord(t, r.bytes, nullptr)) _exit(4);
    }
    if (ISAMCommitTransaction(f)) _exit(5);
    if (write(reportFd, &batch, sizeof(batch)) != sizeof(batch)) _exit(6);
  }
  _exit(0);
}

TEST(IsamKill, KilledWriterLosesNoCommittedBatch) {
  std::string name = tempName("kill");
  {
    ISAMFILE f = nullptr;
    ISAMTABLE t = nullptr;
    createStandard(name, &f, &t, 512, true);
    unsigned ext = 0;
    ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
  }
  int rounds = 200;
  if (const char* env = getenv("ZT_ISAM_KILL_ROUNDS")) rounds = atoi(env);
  std::mt19937 rng(4711);
  int lastBatch = -1;
  for (int round = 0; round < rounds; ++round) {
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(fds[0]);
      childWriter(name, fds[1]);
    }
    close(fds[1]);
    usleep(useconds_t(500 + rng() % 12000));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    int batch = 0;
    while (read(fds[0], &batch, sizeof(batch)) == sizeof(batch)) lastBatch = batch;
    close(fds[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << ": the writer ended on its own, status " << status;

    ISAMFILE f = nullptr;
    ISAMTABLE t = nullptr;
    unsigned ext = 0;
    ASSERT_EQ(ISAM_OK, ISAMOpen(&f, name.c_str(), ISAM_OPEN_READWRITE, &ext)) << round;
    ASSERT_EQ("ok", check(f)) << round;
    ASSERT_EQ(ISAM_OK, ISAMOpenTable(f, "T", &t));
    std::vector<int> numbers = readAll(t, 1, ISAM_ITER_FORWARD);
    ASSERT_EQ(0u, numbers.size() % kBatch) << "round " << round << ": a batch was committed in part";
    // The last commit may have happened without being reported.
    int batches = int(numbers.size()) / kBatch;
    ASSERT_GE(batches, lastBatch + 1) << "round " << round << ": a reported commit is missing";
    ASSERT_LE(batches, lastBatch + 2) << round;
    for (size_t i = 0; i < numbers.size(); ++i) ASSERT_EQ(int(i), numbers[i]) << round;
    lastBatch = batches - 1;
    ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
  }
  removeFile(name);
}

}  // namespace
