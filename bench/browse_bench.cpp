// The record browser on the demo's Order table against SQLite browsed the way
// database browsers do it (SELECT count(*), then ORDER BY an indexed column
// LIMIT 40 OFFSET k for the page at line k), on the same rows in the same run.
//
//   build/native-release/bin/browse_bench [directory] [records ...] [--pages | --selections]
//
// The files (orders_N.isa, orders_N.sqlite) are made once and kept in the
// directory (default /tmp/zt_browse_bench) for later runs. Times are the CPU
// time of this thread (the files are in the system's cache after the first
// pass), the median of several runs.
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "field_encoder.h"
#include "model_test_support.h"
#include "sample_data.h"
#include "select_scan.h"
#include "zt_tbl32.h"

namespace {

constexpr unsigned kPage = 40;
constexpr unsigned kSqlitePagesAtRandom = 5;
constexpr unsigned kPagesAtRandom = 200;

double cpuNow() {
  struct timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

bool exists(const std::string& name) {
  struct stat st;
  return stat(name.c_str(), &st) == 0;
}

[[noreturn]] void die(const char* what, unsigned code) {
  fprintf(stderr, "%s failed: %u\n", what, code);
  exit(1);
}

void sq(sqlite3* db, const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    fprintf(stderr, "%s: %s\n", sql, err ? err : "?");
    exit(1);
  }
}

unsigned orderTable(const CZTFileDesc& desc) {
  for (unsigned t = 0; t < desc.m_Tables.m_uCount; ++t)
    if (!ztStrICmpAscii(desc.m_Tables.m_pTables[t].m_szName, "Order")) return t;
  die("the sample has no Order table", 0);
}

// Makes orders_N.isa (the whole sample description, N orders) and orders_N.sqlite
// (the same orders as the texts the cells show, an index on OrderNo).
void makeFiles(const std::string& dir, unsigned n, const std::string& isa, const std::string& db) {
  const std::string cfg = dir + "/sample.cfg";
  FILE* out = fopen(cfg.c_str(), "wb");
  if (!out || fputs(kZTSampleDesc, out) < 0 || fclose(out) != 0) die("writing sample.cfg", 0);
  CZTFileDesc desc;
  if (!desc.InitDescEdit(nullptr, cfg.c_str(), 0)) die("reading sample.cfg", 0);
  remove(isa.c_str());
  remove(db.c_str());
  if (!desc.CreateISAMFile(nullptr, isa.c_str())) die("CreateISAMFile", 0);
  const CZTTableDesc& table = desc.m_Tables.m_pTables[orderTable(desc)];
  std::vector<const CZTFieldDesc*> fields;
  for (unsigned f = 0; f < kZTSampleOrderFieldCount; ++f)
    for (unsigned k = 0; k < table.m_Fields.m_uCount; ++k)
      if (!ztStrICmpAscii(table.m_Fields.m_pFields[k].m_szName, kZTSampleOrderFields[f]))
        fields.push_back(&table.m_Fields.m_pFields[k]);
  if (fields.size() != kZTSampleOrderFieldCount) die("the Order table's fields", 0);

  ISAMFILE file = nullptr;
  ISAMTABLE handle = nullptr;
  unsigned e, detail = 0;
  if ((e = ISAMOpen(&file, isa.c_str(), ISAM_OPEN_READWRITE, &detail))) die("ISAMOpen", e);
  if ((e = ISAMOpenTable(file, "Order", &handle))) die("ISAMOpenTable", e);
  sqlite3* sql = nullptr;
  if (sqlite3_open(db.c_str(), &sql) != SQLITE_OK) die("sqlite3_open", 0);
  sq(sql, "PRAGMA journal_mode=OFF");
  sq(sql, "PRAGMA synchronous=OFF");
  sq(sql,
     "CREATE TABLE orders(OrderNo INTEGER, CustNo TEXT, OrderDate TEXT, Amount TEXT, Quantity TEXT, Weight TEXT, "
     "Article TEXT)");
  sqlite3_stmt* ins = nullptr;
  sqlite3_prepare_v2(sql, "INSERT INTO orders VALUES(?, ?, ?, ?, ?, ?, ?)", -1, &ins, nullptr);

  const unsigned recordSize = table.m_Fields.GetRecSize();
  std::vector<unsigned char> record(recordSize);
  std::vector<std::string> texts;
  char reason[160];
  constexpr unsigned kBatch = 500000;
  for (unsigned start = 0; start < n; start += kBatch) {
    if ((e = ISAMBeginTransaction(file))) die("ISAMBeginTransaction", e);
    sq(sql, "BEGIN");
    for (unsigned i = start; i < n && i < start + kBatch; ++i) {
      ztSampleOrder(i, texts);
      memset(record.data(), 0, recordSize);
      for (unsigned f = 0; f < fields.size(); ++f) {
        if (!ztEncodeField(*fields[f], texts[f].c_str(), record.data(), recordSize, reason, sizeof(reason))) {
          fprintf(stderr, "order %u field %u: %s\n", i, f, reason);
          exit(1);
        }
        // SQLite gets what the cell shows.
        char cell[512];
        unsigned length = 0;
        fields[f]->FormatData(cell, sizeof(cell), &length, record.data(), recordSize);
        if (f == 0)
          sqlite3_bind_int64(ins, 1, 500001 + i);
        else
          sqlite3_bind_text(ins, int(f + 1), cell, int(length), SQLITE_TRANSIENT);
      }
      unsigned address = 0;
      if ((e = ISAMInsertRecord(handle, record.data(), &address))) die("ISAMInsertRecord", e);
      if (sqlite3_step(ins) != SQLITE_DONE) die("sqlite insert", 0);
      sqlite3_reset(ins);
    }
    if ((e = ISAMCommitTransaction(file))) die("ISAMCommitTransaction", e);
    sq(sql, "COMMIT");
    fprintf(stderr, "\r%u of %u orders", start + kBatch < n ? start + kBatch : n, n);
  }
  fprintf(stderr, "\n");
  sq(sql, "CREATE INDEX orders_no ON orders(OrderNo)");
  sqlite3_finalize(ins);
  sqlite3_close(sql);
  ISAMCloseTable(handle);
  ISAMClose(file, &detail);
}

// The browser's cells of one page, pulled as the grid paints them.
unsigned paint(const zt_test::RecordingGrid& grid, unsigned top, unsigned count) {
  unsigned cells = 0;
  for (unsigned row = top; row < top + kPage && row < count; ++row) cells += unsigned(grid.Row(row).size());
  return cells;
}

struct Sqlite {
  sqlite3* db = nullptr;
  sqlite3_stmt* page = nullptr;
  unsigned count = 0;

  explicit Sqlite(const std::string& name) {
    if (sqlite3_open_v2(name.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) die("sqlite3_open", 0);
    sq(db, "PRAGMA cache_size=-65536");  // 64 MB, as the engine's page cache
    sqlite3_prepare_v2(db, "SELECT * FROM orders ORDER BY OrderNo LIMIT 40 OFFSET ?", -1, &page, nullptr);
  }
  ~Sqlite() {
    sqlite3_finalize(page);
    sqlite3_close(db);
  }
  double countRows() {
    const double t0 = cpuNow();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM orders", -1, &st, nullptr);
    if (sqlite3_step(st) != SQLITE_ROW) die("count(*)", 0);
    count = unsigned(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    return cpuNow() - t0;
  }
  double pageAt(unsigned line, unsigned* cells) {
    const double t0 = cpuNow();
    sqlite3_bind_int64(page, 1, line);
    unsigned n = 0;
    while (sqlite3_step(page) == SQLITE_ROW)
      for (int c = 0; c < 7; ++c) n += sqlite3_column_text(page, c) != nullptr;
    sqlite3_reset(page);
    *cells = n;
    return cpuNow() - t0;
  }
};

struct Browser {
  CZTFileDesc desc;
  CZTTableISAM table;
  zt_test::RecordingGrid grid;
  const CZTTableDesc* item = nullptr;

  explicit Browser(const std::string& isa) {
    if (!desc.InitDescEdit(nullptr, isa.c_str(), 0)) die("reading the descriptions", 0);
    desc.m_uSelTable = orderTable(desc);
    item = &desc.m_Tables.m_pTables[desc.m_uSelTable];
    if (!table.InitISAMFile(nullptr, nullptr, &desc, 0)) die("InitISAMFile", 0);
    if (!table.InitTableOn(&grid)) die("InitTableOn", 0);
  }
  // The display alone is timed (a new direction always displays anew).
  double display(unsigned index, unsigned direction, CZTTblSelDesc* sel) {
    if (sel != table.m_pSelection) table.SetSelection(sel);
    if (index == table.m_uIndex && direction == table.m_uDirection) table.DisplayTable(index, 0, !direction);
    const double t0 = cpuNow();
    if (!table.DisplayTable(index, 0, direction)) die("DisplayTable", 0);
    return cpuNow() - t0;
  }
  // A jump: the page at `top` painted after a page far away.
  double pageAt(unsigned top, unsigned* cells) {
    const double t0 = cpuNow();
    *cells = paint(grid, top, table.m_uLineCount);
    return cpuNow() - t0;
  }
};

const char* ms(double seconds, char* text, size_t size) {
  snprintf(text, size, seconds < 0.001 ? "%.3f" : seconds < 0.1 ? "%.2f" : "%.0f", seconds * 1000);
  return text;
}

bool g_pagesOnly = false;       // --pages: up to the pages after jumps (for profiling)
bool g_selectionsOnly = false;  // --selections: no scrolling through the whole table
const char* g_only = nullptr;   // --only=TEXT: the selections whose text holds TEXT (for profiling)

void runSize(const std::string& dir, unsigned n) {
  const std::string isa = dir + "/orders_" + std::to_string(n) + ".isa";
  const std::string db = dir + "/orders_" + std::to_string(n) + ".sqlite";
  if (!exists(isa) || !exists(db)) makeFiles(dir, n, isa, db);
  Browser b(isa);
  Sqlite s(db);
  char t1[32], t2[32];

  printf("\n### %u orders\n\n| measure | zt_tbl32 browser | SQLite | ratio | goal |\n|---|---|---|---|---|\n", n);
  // Warm the system's cache for both files.
  b.display(0, 0, nullptr);
  s.countRows();
  unsigned cells = 0, sqlCells = 0;
  s.pageAt(n / 2, &sqlCells);

  std::vector<double> times, sqlTimes;
  for (int r = 0; r < 7; ++r) {
    times.push_back(b.display(0, r % 2, nullptr));
    sqlTimes.push_back(s.countRows());
  }
  if (b.table.m_uLineCount != n || s.count != n) die("line count", b.table.m_uLineCount);
  const double display = median(times), count = median(sqlTimes);
  printf("| DisplayTable without a selection / SELECT count(*) (ms) | %s | %s | %.0f x faster | <= 5 ms |\n",
         ms(display, t1, sizeof(t1)), ms(count, t2, sizeof(t2)), count / display);

  // Pages after jumps; before each, a page far away is painted so that the
  // cache holds nothing near.
  b.display(0, 0, nullptr);
  std::mt19937 rng(17);
  const unsigned last = n - kPage;
  struct Jump {
    const char* name;
    unsigned line;
  } jumps[] = {{"first", 0}, {"middle", n / 2}, {"last", last}};
  for (const Jump& j : jumps) {
    times.clear();
    sqlTimes.clear();
    for (int r = 0; r < 7; ++r) {
      b.pageAt(j.line > n / 4 && j.line < 3 * (n / 4) ? 0 : n / 3, &cells);
      times.push_back(b.pageAt(j.line, &cells));
      if (cells != kPage * 7) die("page cells", cells);
      if (r < 3) sqlTimes.push_back(s.pageAt(j.line, &sqlCells));
    }
    const double ours = median(times), theirs = median(sqlTimes);
    printf(
        "| page of 40 lines x 7 columns after a jump to the %s line (ms) | %s | %s | %.0f x faster | <= 1 ms, >= 100 x "
        "|\n",
        j.name, ms(ours, t1, sizeof(t1)), ms(theirs, t2, sizeof(t2)), theirs / ours);
  }
  times.clear();
  sqlTimes.clear();
  for (unsigned r = 0; r < kPagesAtRandom; ++r) {
    const unsigned line = rng() % (last + 1);
    times.push_back(b.pageAt(line, &cells));
    if (r < kSqlitePagesAtRandom) sqlTimes.push_back(s.pageAt(line, &sqlCells));
  }
  {
    const double ours = median(times), theirs = median(sqlTimes);
    printf(
        "| page after a jump to a random line, median of %u (SQLite: %u) (ms) | %s | %s | %.0f x faster | <= 1 ms, >= "
        "100 x |\n",
        kPagesAtRandom, kSqlitePagesAtRandom, ms(ours, t1, sizeof(t1)), ms(theirs, t2, sizeof(t2)), theirs / ours);
  }
  if (g_pagesOnly) {
    for (unsigned r = 0; r < 20 * kPagesAtRandom; ++r) b.pageAt(rng() % (last + 1), &cells);
    return;
  }
  if (!g_selectionsOnly) {
    // Scrolling through the whole table: by line the grid paints the one new
    // line, by page the 40 new ones.
    for (int byPage = 0; byPage < 2; ++byPage) {
      for (unsigned direction = 0; direction < 2; ++direction) {
        b.display(0, direction, nullptr);
        const unsigned before = b.table.m_uRecordReads;
        const double t0 = cpuNow();
        unsigned shown = 0;
        if (byPage) {
          for (unsigned top = 0; top < n; top += kPage) shown += paint(b.grid, top, n) / 7;
        } else {
          shown += paint(b.grid, 0, n) / 7;
          for (unsigned row = kPage; row < n; ++row) shown += b.grid.Row(row).size() == 7;
        }
        const double took = cpuNow() - t0;
        printf("| scrolling %s by %s: engine record reads per line shown | %.3f (%.0f lines/s) | - | - | <= 1.1 |\n",
               direction ? "backwards" : "forwards", byPage ? "page" : "line",
               double(b.table.m_uRecordReads - before) / shown, shown / took);
      }
    }
  }

  // Selections: the display against ztdesc count --where on the same selection,
  // and pages after jumps.
  struct Selection {
    const char* text;
    unsigned index;
  } selections[] = {{"CustNo = 10042", 1},     {"CustNo = 10042", 0},
                    {"Article = Holzleim", 2}, {"Article = Holz* AND Quantity > 250", 2},
                    {"Amount > 2400,00", 0},   {"Amount > 2400,00", 2}};
  for (const Selection& sel : selections) {
    if (g_only && !strstr(sel.text, g_only)) continue;
    // ztdesc count --where: parsing, resolving, key ranges and the count.
    ZTSelectScan scan;
    unsigned e = 0, counted = 0;
    times.clear();
    sqlTimes.clear();
    // Operations of microseconds are timed over enough repetitions to lie well
    // above the clock's and the machine's noise.
    unsigned reps = 1, shown = 0;
    for (int r = 0; r < 5; ++r) {
      double counting = 0, displaying = 0;
      for (unsigned k = 0; k < reps; ++k) {
        ZTSelectScan command;
        double t0 = cpuNow();
        if (!command.Prepare(*b.item, sel.text, 0xFFFFFFFFu, false)) die("selection", 0);
        counted = command.Count(b.table.m_hTable, *b.item, &e);
        counting += cpuNow() - t0;
        if (r == 0 && !scan.Prepare(*b.item, sel.text, 0xFFFFFFFFu, false)) die("selection", 0);
        displaying += b.display(sel.index, shown++ % 2, &scan.m_Sel);
      }
      sqlTimes.push_back(counting / reps);
      times.push_back(displaying / reps);
      if (r == 0 && counting < 0.02) reps = unsigned(std::min(2000.0, 0.02 / std::max(counting, 1e-7)));
    }
    if (e || counted != b.table.m_uLineCount) die("selection count", counted);
    const double ours = median(times), theirs = median(sqlTimes);
    printf(
        "| DisplayTable with %s (%u lines, index %u) / ztdesc count --where (ms) | %s | %s (ztdesc) | %.2f x ztdesc's "
        "time | <= 1.2 x |\n",
        sel.text, counted, sel.index + 1, ms(ours, t1, sizeof(t1)), ms(theirs, t2, sizeof(t2)), ours / theirs);
    b.display(sel.index, 0, &scan.m_Sel);
    times.clear();
    double worst = 0;
    const unsigned lines = b.table.m_uLineCount;
    for (unsigned r = 0; lines && r < 100; ++r) {
      const unsigned line = r == 0 ? 0 : r == 1 ? lines - 1 : r == 2 ? lines / 2 : rng() % lines;
      const double t = b.pageAt(line, &cells);
      times.push_back(t);
      worst = std::max(worst, t);
    }
    printf("| page after a jump with %s: median / worst of 100 (ms) | %s / %s | - | - | <= 5 ms |\n", sel.text,
           ms(median(times), t1, sizeof(t1)), ms(worst, t2, sizeof(t2)));
    printf("| remembered positions of %s (bytes) | %u | - | - | <= 1 MB |\n", sel.text,
           unsigned(b.table.m_Marks.m_uAlloc * sizeof(SZTSelMark)));
  }
  b.table.SetSelection(nullptr);
  printf("| record cache (bytes): 64 buffers, 1,024 lines | %u + %u | - | - | as given |\n",
         b.table.m_Cache.m_uBufferBytes, unsigned(sizeof(b.table.m_Cache.m_Records)));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "/tmp/zt_browse_bench";
  std::vector<unsigned> sizes;
  for (int i = 2; i < argc; ++i) {
    if (!strcmp(argv[i], "--pages"))
      g_pagesOnly = true;
    else if (!strcmp(argv[i], "--selections"))
      g_selectionsOnly = true;
    else if (!strncmp(argv[i], "--only=", 7))
      g_only = argv[i] + 7;
    else
      sizes.push_back(unsigned(strtoul(argv[i], nullptr, 10)));
  }
  if (sizes.empty()) sizes = {1000000, 10000000};
  mkdir(dir.c_str(), 0755);
  printf("browse_bench: the demo's Order table; SQLite %s; CPU time of the thread, medians\n", sqlite3_libversion());
  for (unsigned n : sizes) runSize(dir, n);
  return 0;
}
