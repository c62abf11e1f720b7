// The ISAM engine against SQLite on the same data in the same run:
// 1,000,000 records of 120 bytes with two keys (a 30-byte text, a 32-bit integer).
//
//   build/native-release/bin/isam_vs_sqlite [directory] [records] [cache MB for both engines]
//
// Figures: bulk insert in one transaction, full iteration in index order,
// random point lookups, single-record commits (with flushes per commit) and the
// file size after the bulk insert.
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "isam_io.h"
#include "zt_isa32.h"

namespace {

constexpr unsigned kRecSize = 120;
constexpr unsigned kTextLen = 30;
constexpr unsigned kLookups = 100000;
constexpr unsigned kCommits = 1000;
unsigned kCacheBytes = 64u << 20;

struct Record {
  unsigned char bytes[kRecSize];
};

double now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Reading phases touch no disk: they are timed in CPU time of this thread, so
// that other programs on the machine do not blur the comparison.
double cpuNow() {
  struct timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}
constexpr int kRepeats = 3;

uint64_t fileSize(const std::string& name) {
  struct stat st;
  return stat(name.c_str(), &st) == 0 ? uint64_t(st.st_size) : 0;
}

std::vector<Record> makeData(unsigned n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<Record> data(n);
  for (unsigned i = 0; i < n; ++i) {
    Record& r = data[i];
    memset(r.bytes, ' ', kTextLen);
    unsigned len = 8 + rng() % 20;
    for (unsigned k = 0; k < len; ++k) r.bytes[k] = (unsigned char)('a' + rng() % 26);
    int32_t num = int32_t(rng());
    memcpy(r.bytes + kTextLen, &num, 4);
    for (unsigned k = kTextLen + 4; k < kRecSize; ++k) r.bytes[k] = (unsigned char)(rng());
  }
  return data;
}

void die(const char* what, unsigned code) {
  fprintf(stderr, "%s failed: %u\n", what, code);
  exit(1);
}

struct Figures {
  double insertSec = 0, iterRowsPerSec = 0, lookupsPerSec = 0, commitsPerSec = 0;
  double flushesPerCommit = 0, maxFlushesPerCommit = 0;
  uint64_t fileBytes = 0;
  uint64_t rows = 0;
};

Figures runIsam(const std::string& dir, const std::vector<Record>& data, const std::vector<unsigned>& probes,
                const std::vector<Record>& extra) {
  Figures f;
  std::string name = dir + "/bench.isa";
  unlink(name.c_str());
  unlink((name + "-wal").c_str());
  ISAMFILE file = nullptr;
  unsigned ext = 0, e;
  if ((e = ISAMCreate(&file, name.c_str(), &ext))) die("ISAMCreate", e);
  ISAMSetCacheSize(file, kCacheBytes);
  ISAMIDT idt[2];
  memset(idt, 0, sizeof(idt));
  idt[0].partCount = 1;
  idt[0].parts[0] = {ISAM_KEY_TEXT, 0, kTextLen, 0};
  idt[1].partCount = 1;
  idt[1].parts[0] = {ISAM_KEY_INT32, kTextLen, 4, 0};
  if ((e = ISAMCreateTable(file, "Bench", idt, 2, kRecSize, 2048))) die("ISAMCreateTable", e);
  ISAMTABLE t = nullptr;
  if ((e = ISAMOpenTable(file, "Bench", &t))) die("ISAMOpenTable", e);

  double t0 = now();
  ISAMBeginTransaction(file);
  for (const Record& r : data)
    if ((e = ISAMInsertRecord(t, r.bytes, nullptr))) die("ISAMInsertRecord", e);
  if ((e = ISAMCommitTransaction(file))) die("ISAMCommitTransaction", e);
  f.insertSec = now() - t0;
  f.fileBytes = fileSize(name) + fileSize(name + "-wal");

  Record r;
  unsigned addr = 0;
  for (int rep = 0; rep < kRepeats; ++rep) {
    t0 = cpuNow();
    ISAMSetupIterationLimits(t, 0, ISAM_ITER_FORWARD, nullptr, nullptr);
    uint64_t rows = 0;
    while (ISAMReadNextRecord(t, 0, r.bytes, &addr, nullptr) == ISAM_OK) ++rows;
    f.iterRowsPerSec = std::max(f.iterRowsPerSec, double(rows) / (cpuNow() - t0));
    f.rows = rows;
  }

  for (int rep = 0; rep < kRepeats; ++rep) {
    t0 = cpuNow();
    for (unsigned p : probes) {
      const Record& want = data[p];
      if ((e = ISAMSetupIterationLimits(t, 0, ISAM_ITER_FORWARD, want.bytes, want.bytes))) die("limits", e);
      if ((e = ISAMReadNextRecord(t, 0, r.bytes, &addr, nullptr))) die("lookup", e);
    }
    f.lookupsPerSec = std::max(f.lookupsPerSec, double(probes.size()) / (cpuNow() - t0));
  }

  uint64_t flushes = ztIsamFlushCount();
  t0 = now();
  for (const Record& x : extra) {
    uint64_t before = ztIsamFlushCount();
    if ((e = ISAMInsertRecord(t, x.bytes, nullptr))) die("single insert", e);
    double n = double(ztIsamFlushCount() - before);
    if (n > f.maxFlushesPerCommit) f.maxFlushesPerCommit = n;
  }
  f.commitsPerSec = double(extra.size()) / (now() - t0);
  f.flushesPerCommit = double(ztIsamFlushCount() - flushes) / double(extra.size());
  ISAMClose(file, &ext);
  unlink(name.c_str());
  unlink((name + "-wal").c_str());
  return f;
}

void sq(sqlite3* db, const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    fprintf(stderr, "%s: %s\n", sql, err ? err : "?");
    exit(1);
  }
}

Figures runSqlite(const std::string& dir, const std::vector<Record>& data, const std::vector<unsigned>& probes,
                  const std::vector<Record>& extra) {
  Figures f;
  std::string name = dir + "/bench.sqlite";
  unlink(name.c_str());
  sqlite3* db = nullptr;
  if (sqlite3_open(name.c_str(), &db) != SQLITE_OK) die("sqlite3_open", 0);
  char pragma[64];
  snprintf(pragma, sizeof(pragma), "PRAGMA cache_size=-%u", kCacheBytes / 1024);
  sq(db, pragma);
  sq(db, "CREATE TABLE bench(name TEXT, num INTEGER, payload BLOB)");
  sq(db, "CREATE INDEX bench_name ON bench(name)");
  sq(db, "CREATE INDEX bench_num ON bench(num)");
  sqlite3_stmt* ins = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO bench(name, num, payload) VALUES(?, ?, ?)", -1, &ins, nullptr);
  auto bind = [&](const Record& r) {
    int32_t num;
    memcpy(&num, r.bytes + kTextLen, 4);
    sqlite3_bind_text(ins, 1, reinterpret_cast<const char*>(r.bytes), kTextLen, SQLITE_STATIC);
    sqlite3_bind_int(ins, 2, num);
    sqlite3_bind_blob(ins, 3, r.bytes + kTextLen + 4, kRecSize - kTextLen - 4, SQLITE_STATIC);
    if (sqlite3_step(ins) != SQLITE_DONE) die("sqlite insert", 0);
    sqlite3_reset(ins);
  };
  double t0 = now();
  sq(db, "BEGIN");
  for (const Record& r : data) bind(r);
  sq(db, "COMMIT");
  f.insertSec = now() - t0;
  f.fileBytes = fileSize(name);

  Record r;
  auto fetch = [&](sqlite3_stmt* st) {
    memcpy(r.bytes, sqlite3_column_text(st, 0), kTextLen);
    int32_t num = sqlite3_column_int(st, 1);
    memcpy(r.bytes + kTextLen, &num, 4);
    memcpy(r.bytes + kTextLen + 4, sqlite3_column_blob(st, 2), kRecSize - kTextLen - 4);
  };
  sqlite3_stmt* all = nullptr;
  sqlite3_prepare_v2(db, "SELECT name, num, payload FROM bench ORDER BY name", -1, &all, nullptr);
  for (int rep = 0; rep < kRepeats; ++rep) {
    t0 = cpuNow();
    uint64_t rows = 0;
    while (sqlite3_step(all) == SQLITE_ROW) {
      fetch(all);
      ++rows;
    }
    f.iterRowsPerSec = std::max(f.iterRowsPerSec, double(rows) / (cpuNow() - t0));
    f.rows = rows;
    sqlite3_reset(all);
  }
  sqlite3_finalize(all);

  sqlite3_stmt* one = nullptr;
  sqlite3_prepare_v2(db, "SELECT name, num, payload FROM bench WHERE name = ?", -1, &one, nullptr);
  for (int rep = 0; rep < kRepeats; ++rep) {
    t0 = cpuNow();
    for (unsigned p : probes) {
      sqlite3_bind_text(one, 1, reinterpret_cast<const char*>(data[p].bytes), kTextLen, SQLITE_STATIC);
      if (sqlite3_step(one) != SQLITE_ROW) die("sqlite lookup", p);
      fetch(one);
      sqlite3_reset(one);
    }
    f.lookupsPerSec = std::max(f.lookupsPerSec, double(probes.size()) / (cpuNow() - t0));
  }
  sqlite3_finalize(one);

  t0 = now();
  for (const Record& x : extra) bind(x);
  f.commitsPerSec = double(extra.size()) / (now() - t0);
  sqlite3_finalize(ins);
  sqlite3_close(db);
  unlink(name.c_str());
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : ".";
  unsigned n = argc > 2 ? unsigned(atoi(argv[2])) : 1000000u;
  if (argc > 3) kCacheBytes = unsigned(atoi(argv[3])) << 20;
  std::vector<Record> data = makeData(n, 1);
  std::vector<Record> extra = makeData(kCommits, 2);
  std::vector<unsigned> probes(kLookups);
  std::mt19937 rng(3);
  for (unsigned& p : probes) p = rng() % n;

  printf("%u records of %u bytes, keys: %u-byte text, 32-bit integer; page cache %u MB each; directory %s\n", n,
         kRecSize, kTextLen, kCacheBytes >> 20, dir.c_str());
  Figures a = runIsam(dir, data, probes, extra);
  Figures b = runSqlite(dir, data, probes, extra);
  double payload = double(n) * (kRecSize + kTextLen + 4);
  printf("\n| measure | zt_isa32 | SQLite %s | ratio | goal |\n", sqlite3_libversion());
  printf("|---|---|---|---|---|\n");
  printf("| bulk insert, one transaction (s) | %.2f | %.2f | %.2f x SQLite's time | <= 1.0 |\n", a.insertSec,
         b.insertSec, a.insertSec / b.insertSec);
  printf("| full iteration in index order (rows/s) | %.0f | %.0f | %.2f x | >= 3 |\n", a.iterRowsPerSec,
         b.iterRowsPerSec, a.iterRowsPerSec / b.iterRowsPerSec);
  printf("| %u random point lookups (lookups/s) | %.0f | %.0f | %.2f x | >= 1.5 |\n", kLookups, a.lookupsPerSec,
         b.lookupsPerSec, a.lookupsPerSec / b.lookupsPerSec);
  printf("| %u single-record commits (commits/s) | %.0f | %.0f | %.2f x | - |\n", kCommits, a.commitsPerSec,
         b.commitsPerSec, a.commitsPerSec / b.commitsPerSec);
  printf("| flushes per single-record commit (mean / max) | %.2f / %.0f | - | - | <= 2 |\n", a.flushesPerCommit,
         a.maxFlushesPerCommit);
  printf("| file size after bulk insert (MB) | %.1f | %.1f | %.2f x records+keys (%.1f MB) | <= 1.5 |\n",
         double(a.fileBytes) / 1e6, double(b.fileBytes) / 1e6, double(a.fileBytes) / payload, payload / 1e6);
  printf("| rows iterated | %llu | %llu | | |\n", (unsigned long long)a.rows, (unsigned long long)b.rows);
  printf(
      "\nInsert and commits: wall time (they wait for the disk). Iteration and lookups: CPU time of the\n"
      "thread, best of %d runs (no disk involved; other programs on the machine do not count).\n",
      kRepeats);
  return 0;
}
