// The reader and writer locks with the system's LockFileEx: handles in one
// process, reader processes started from this test program, and a file with
// the read-only attribute.
#include <windows.h>

#include <stdlib.h>

#include "isam_test_util.h"

using namespace isamtest;

namespace {

constexpr int kBatch = 20;
constexpr int kBatches = 60;
const char kChildVariable[] = "ZT_ISAM_READER_CHILD";

uint64_t logSize(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA((name + "-wal").c_str(), GetFileExInfoStandard, &data)) return 0;
  return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Readers of both modes keep the writer from copying the log into the file and
// from nothing else; a second handle of mode 4 is refused only when it writes.
TEST(IsamLocks, ReadersHoldTheLogWritersExcludeEachOther) {
  std::string name = tempName("locks");
  uint64_t before = ztIsamSetCheckpointBytes(8192);
  ISAMFILE writer = nullptr, reader = nullptr, lazy = nullptr;
  ISAMTABLE t = nullptr, rt = nullptr, lt = nullptr;
  createStandard(name, &writer, &t, 256);
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMOpen(&reader, name.c_str(), ISAM_OPEN_READONLY, &ext));
  ASSERT_EQ(ISAM_OK, ISAMOpen(&lazy, name.c_str(), ISAM_OPEN_READWRITE, &ext));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(reader, "T", &rt));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(lazy, "T", &lt));
  for (int i = 0; i < 40; ++i) {
    Rec r = makeRec(i, "w");
    ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, nullptr));
  }
  uint64_t grown = logSize(name);
  EXPECT_GT(grown, 8192u * 4);
  Rec r = makeRec(99, "second");
  EXPECT_EQ(ISAM_ERR_LOCKED, ISAMInsertRecord(lt, r.bytes, nullptr));
  EXPECT_EQ(std::vector<int>{}, readAll(rt, 1, ISAM_ITER_FORWARD));
  EXPECT_EQ(std::vector<int>{}, readAll(lt, 1, ISAM_ITER_FORWARD));
  EXPECT_EQ("ok", check(reader));
  ASSERT_EQ(ISAM_OK, ISAMClose(reader, &ext));
  ASSERT_EQ(ISAM_OK, ISAMClose(lazy, &ext));
  Rec last = makeRec(40, "w");
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, last.bytes, nullptr));
  EXPECT_LT(logSize(name), grown / 2);
  ASSERT_EQ(ISAM_OK, ISAMClose(writer, &ext));
  EXPECT_EQ(0u, logSize(name));
  ztIsamSetCheckpointBytes(before);
  removeFile(name);
}

// Run as a child: reads the file over and over until it holds every batch.
TEST(IsamLocksChild, Reader) {
  const char* name = getenv(kChildVariable);
  if (!name) GTEST_SKIP() << "runs only as a child of ReaderProcessesWhileTheWriterCommits";
  int seen = 0;
  for (int round = 0; round < 100000; ++round) {
    ISAMFILE f = nullptr;
    ISAMTABLE t = nullptr;
    unsigned ext = 0;
    ASSERT_EQ(ISAM_OK, ISAMOpen(&f, name, round % 2 ? ISAM_OPEN_READWRITE : ISAM_OPEN_READONLY, &ext));
    ASSERT_EQ(ISAM_OK, ISAMOpenTable(f, "T", &t));
    std::vector<int> numbers = readAll(t, 1, ISAM_ITER_FORWARD);
    int n = int(numbers.size());
    ASSERT_EQ(0, n % kBatch);
    ASSERT_GE(n, seen);
    for (int i = 0; i < n; ++i) ASSERT_EQ(i, numbers[size_t(i)]);
    if (round % 4 == 0) {
      ASSERT_EQ("ok", check(f));
    }
    ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
    seen = n;
    if (seen == kBatch * kBatches) return;
    Sleep(DWORD(round % 7));
  }
  FAIL() << "the writer did not finish";
}

TEST(IsamLocks, ReaderProcessesWhileTheWriterCommits) {
  std::string name = tempName("children");
  {
    ISAMFILE f = nullptr;
    ISAMTABLE t = nullptr;
    createStandard(name, &f, &t, 256, true);
    unsigned ext = 0;
    ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
  }
  char self[MAX_PATH];
  ASSERT_NE(0u, GetModuleFileNameA(nullptr, self, sizeof(self)));
  std::string command = std::string("\"") + self + "\" --gtest_filter=IsamLocksChild.Reader";
  SetEnvironmentVariableA(kChildVariable, name.c_str());
  PROCESS_INFORMATION children[2] = {};
  for (PROCESS_INFORMATION& child : children) {
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &child));
  }
  SetEnvironmentVariableA(kChildVariable, nullptr);
  uint64_t before = ztIsamSetCheckpointBytes(16384);
  ISAMFILE f = nullptr;
  ISAMTABLE t = nullptr;
  unsigned ext = 0;
  for (int batch = 0; batch < kBatches; ++batch) {
    if (!f) {
      ASSERT_EQ(ISAM_OK, ISAMOpen(&f, name.c_str(), ISAM_OPEN_READWRITE, &ext));
      ASSERT_EQ(ISAM_OK, ISAMOpenTable(f, "T", &t));
    }
    ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(f));
    for (int i = 0; i < kBatch; ++i) {
      Rec r = makeRec(batch * kBatch + i, "batch");
      ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, nullptr));
    }
    ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(f));
    if (batch % 15 == 14) {
      ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
      f = nullptr;
    }
    Sleep(2);
  }
  if (f) {
    ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
  }
  ztIsamSetCheckpointBytes(before);
  for (PROCESS_INFORMATION& child : children) {
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.hProcess, 120000));
    DWORD code = 1;
    GetExitCodeProcess(child.hProcess, &code);
    EXPECT_EQ(0u, code) << "a reader process failed";
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
  }
  removeFile(name);
}

// A file with the read-only attribute is read by mode 4; its first change says
// that the file cannot be written, and no log is left beside it.
TEST(IsamLocks, ReadOnlyAttributeFileIsRead) {
  std::string name = tempName("readonly");
  ISAMFILE f = nullptr;
  ISAMTABLE t = nullptr;
  createStandard(name, &f, &t, 256);
  Rec r = makeRec(5, "five");
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, nullptr));
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMClose(f, &ext));
  ASSERT_TRUE(SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY));
  HANDLE probe = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    // Wine run by root maps the attribute to permissions that root ignores.
    CloseHandle(probe);
    SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    removeFile(name);
    GTEST_SKIP() << "this system writes read-only files";
  }
  ASSERT_EQ(ISAM_OK, ISAMOpen(&f, name.c_str(), ISAM_OPEN_READWRITE, &ext));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(f, "T", &t));
  EXPECT_EQ(std::vector<int>{5}, readAll(t, 1, ISAM_ITER_FORWARD));
  EXPECT_EQ(ISAM_ERR_NOT_WRITABLE, ISAMInsertRecord(t, r.bytes, nullptr));
  EXPECT_EQ(unsigned(ERROR_ACCESS_DENIED), ISAMLastSystemError());
  EXPECT_EQ(ISAM_OK, ISAMClose(f, &ext));
  EXPECT_EQ(0u, logSize(name));
  SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  removeFile(name);
}

}  // namespace
