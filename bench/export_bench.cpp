// ztdesc's data out against SQLite: 1,000,000 records of the demo's order table.
//  - export-sqlite of the table, against SQLite itself inserting the same rows
//    (read into memory beforehand) with the same statements, settings and
//    indexes in one transaction: the ratio is what reading the ISAM file and
//    converting the values add;
//  - dump --json of the table to /dev/null, in records per second.
//
//   cmake --preset native-release && cmake --build --preset native-release --target export_bench
//   build/native-release/bin/export_bench [DIR] [--rebuild]
//
// The ISAM file is made once in DIR (default: the working directory) and kept.
#include <fcntl.h>
#include <sqlite3.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "commands.h"
#include "sample_data.h"
#include "sqlite_export.h"
#include "value_reader.h"

namespace {

constexpr unsigned kRecords = 1000000;
constexpr int kRuns = 3;

// The ISAM file: the sample description, then the orders through a ';' file and import.
bool MakeFile(const std::string& dir, const std::string& isam) {
  const std::string cfg = dir + "/export_bench.cfg", csv = dir + "/export_bench.csv";
  std::error_code ec;
  std::filesystem::remove(isam, ec);
  FILE* out = fopen(cfg.c_str(), "wb");
  if (!out) return false;
  fputs(kZTSampleDesc, out);
  fclose(out);
  out = fopen(csv.c_str(), "wb");
  if (!out) return false;
  std::vector<std::string> values;
  for (unsigned f = 0; f < kZTSampleOrderFieldCount; ++f) fprintf(out, "%s%s", f ? ";" : "", kZTSampleOrderFields[f]);
  fputc('\n', out);
  for (unsigned i = 0; i < kRecords; ++i) {
    ztSampleOrder(i, values);
    for (size_t v = 0; v < values.size(); ++v) fprintf(out, "%s%s", v ? ";" : "", values[v].c_str());
    fputc('\n', out);
  }
  fclose(out);
  bool ok = ztdescRun("create", {cfg, isam}) == kExitOk && ztdescRun("import", {isam, "Order", csv}) == kExitOk;
  std::filesystem::remove(cfg, ec);
  std::filesystem::remove(csv, ec);
  return ok;
}

struct Cell {
  ZTValueType type;
  long long integer;
  double real;
  std::string text;
};

// Wall-clock and processor seconds: on a shared machine the second is the steadier one.
struct Time {
  double wall, cpu;
  bool operator<(const Time& other) const { return wall < other.wall; }
};

template <typename Function>
Time Seconds(Function function) {
  auto start = std::chrono::steady_clock::now();
  std::clock_t cpu = std::clock();
  function();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC};
}

void Sync(const std::string& name) {
  int fd = open(name.c_str(), O_RDWR);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

// SQLite alone: the rows from memory, the export's statements and settings.
Time Peer(const CZTTableDesc& table, const ZTValueReader& values, const std::vector<Cell>& cells,
          const std::string& db) {
  std::error_code ec;
  std::filesystem::remove(db, ec);
  std::vector<std::string> indexes;
  std::string error;
  ZTSqliteExport::IndexSql(table, values, indexes, error);
  const std::string create = ZTSqliteExport::CreateTableSql(table, values), insert = ZTSqliteExport::InsertSql(table);
  const unsigned fields = table.m_Fields.m_uCount;
  return Seconds([&] {
    sqlite3* handle = nullptr;
    sqlite3_stmt* statement = nullptr;
    sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(handle, ZTSqliteExport::kBulkSettings, nullptr, nullptr, nullptr);
    sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_exec(handle, create.c_str(), nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(handle, insert.c_str(), -1, &statement, nullptr);
    for (size_t c = 0; c < cells.size(); c += fields) {
      for (unsigned f = 0; f < fields; ++f) {
        const Cell& cell = cells[c + f];
        if (cell.type == ZTValueType::Integer)
          sqlite3_bind_int64(statement, f + 1, cell.integer);
        else if (cell.type == ZTValueType::Real)
          sqlite3_bind_double(statement, f + 1, cell.real);
        else if (cell.type == ZTValueType::Text)
          sqlite3_bind_text(statement, f + 1, cell.text.data(), (int)cell.text.size(), SQLITE_STATIC);
        else
          sqlite3_bind_null(statement, f + 1);
      }
      if (sqlite3_step(statement) != SQLITE_DONE) fprintf(stderr, "insert: %s\n", sqlite3_errmsg(handle));
      sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    for (const std::string& sql : indexes) sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr);
    if (sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
      fprintf(stderr, "commit: %s\n", sqlite3_errmsg(handle));
    sqlite3_close(handle);
    Sync(db);
  });
}

// A command with its standard output sent to /dev/null.
Time Quiet(const char* command, std::vector<std::string> args, int* result) {
  fflush(stdout);
  int saved = dup(1), null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  Time seconds = Seconds([&] { *result = ztdescRun(command, args); });
  fflush(stdout);
  dup2(saved, 1);
  close(saved);
  close(null);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  ztSetBoxHandler(ztStderrBoxHandler, nullptr);
  std::string dir = ".";
  bool rebuild = false;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--rebuild"))
      rebuild = true;
    else
      dir = argv[i];
  }
  const std::string isam = dir + "/export_bench.isa", db = dir + "/export_bench.db", peerDb = dir + "/export_peer.db";
  if (rebuild || !std::filesystem::exists(isam)) {
    fprintf(stderr, "making %s (%u orders)...\n", isam.c_str(), kRecords);
    if (!MakeFile(dir, isam)) return 1;
  }

  // The rows for SQLite alone, as the export converts them.
  ZTOpenTable open;
  if (!ztdescOpenTable(open, isam.c_str(), "Order", ISAM_OPEN_READONLY)) return 1;
  const CZTTableDesc& table = *open.tableDesc;
  ZTValueReader values(table.m_Fields);
  std::vector<Cell> cells;
  std::vector<unsigned char> batch(256 * 1024);
  unsigned address = 0, count = 0;
  while (!ISAMReadRecords(open.table, &address, batch.data(), (unsigned)batch.size(), &count)) {
    for (unsigned r = 0; r < count; ++r) {
      for (unsigned f = 0; f < table.m_Fields.m_uCount; ++f) {
        ZTValue v;
        values.Read(f, batch.data() + size_t(r) * open.recordSize, v);
        cells.push_back({v.type, v.integer, v.real, v.text ? std::string(v.text, v.length) : std::string()});
      }
    }
  }
  const size_t records = cells.size() / table.m_Fields.m_uCount;
  if (records != kRecords) fprintf(stderr, "warning: %zu records in %s\n", records, isam.c_str());

  std::vector<Time> exportTimes, peerTimes, dumpTimes;
  for (int run = 0; run < kRuns; ++run) {
    std::error_code ec;
    std::filesystem::remove(db, ec);
    int result = 0;
    exportTimes.push_back(Quiet("export-sqlite", {isam, db, "Order"}, &result));
    if (result != kExitOk) return 1;
    peerTimes.push_back(Peer(table, values, cells, peerDb));
    dumpTimes.push_back(Quiet("dump", {isam, "Order", "--json"}, &result));
    if (result != kExitOk) return 1;
  }
  std::error_code ec;
  std::filesystem::remove(db, ec);
  std::filesystem::remove(peerDb, ec);
  const Time exportTime = *std::min_element(exportTimes.begin(), exportTimes.end());
  const Time peerTime = *std::min_element(peerTimes.begin(), peerTimes.end());
  const Time dumpTime = *std::min_element(dumpTimes.begin(), dumpTimes.end());
  printf("%zu Order records, best of %d runs (wall clock; processor time in brackets)\n\n", records, kRuns);
  printf("| what | seconds | records/s | ratio |\n|---|---|---|---|\n");
  printf("| export-sqlite Order | %.3f (%.3f) | %.0f (%.0f) | %.2f (%.2f) x SQLite alone |\n", exportTime.wall,
         exportTime.cpu, records / exportTime.wall, records / exportTime.cpu, exportTime.wall / peerTime.wall,
         exportTime.cpu / peerTime.cpu);
  printf(
      "| SQLite alone: same rows from memory, same statements and indexes, one transaction | %.3f (%.3f) | %.0f "
      "(%.0f) | 1.00 |\n",
      peerTime.wall, peerTime.cpu, records / peerTime.wall, records / peerTime.cpu);
  printf("| dump Order --json > /dev/null | %.3f (%.3f) | %.0f (%.0f) | |\n", dumpTime.wall, dumpTime.cpu,
         records / dumpTime.wall, records / dumpTime.cpu);
  return 0;
}
