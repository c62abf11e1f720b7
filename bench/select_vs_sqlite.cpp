// Selections against SQLite: 1,000,000 customer records (the layout of the
// demo's customer table) in both engines, counted by the same four selections,
// as full scans and, for two of them, through an index.
//
//   cmake --preset native-release && cmake --build --preset native-release --target select_vs_sqlite
//   build/native-release/bin/select_vs_sqlite [DIR] [--rebuild]
//
// The data files are made once in DIR (default: the working directory) and kept.
#include <sqlite3.h>
#include <stdio.h>
#include <string.h>

#include <chrono>
#include <string>
#include <vector>

#include "zt_tbl32.h"

namespace {

constexpr unsigned kRecords = 1000000;
constexpr unsigned kRecordSize = 95;
constexpr int kRuns = 5;

// The demo's customer table, with a key on Name and one on ZipCode for the index runs.
struct FieldSpec {
  const char* name;
  unsigned offset, length, encoding, content, display;
};
const FieldSpec kFields[] = {
    {"CustNo", 0, 8, iteASCIITEXT, 0x0021, 0x0021},  {"Name", 8, 30, iteASCIITEXT, 0x0C00, 0x0000},
    {"City", 38, 20, iteASCIITEXT, 0x0000, 0x0000},  {"ZipCode", 58, 5, iteASCIITEXT, 0x0021, 0x0021},
    {"Since", 63, 8, iteASCIITEXT, 0x8102, 0x0102},  {"Credit", 71, 12, iteASCIITEXT, 0x20D3, 0x20C3},
    {"Rating", 83, 4, ite32INTEGER, 0x0011, 0x0011}, {"Discount", 87, 8, ite64FLOATING, 0x0001, 0x2001},
};

void MakeTable(CZTTableDesc& table) {
  ztStrCopy(table.m_szName, "Customer", sizeof(table.m_szName));
  const unsigned n = sizeof(kFields) / sizeof(kFields[0]);
  table.m_Fields.m_pFields = new CZTFieldDesc[n];
  table.m_Fields.m_uCount = table.m_Fields.m_uAlloc = n;
  for (unsigned i = 0; i < n; ++i) {
    CZTFieldDesc& f = table.m_Fields.m_pFields[i];
    ztStrCopy(f.m_szName, kFields[i].name, sizeof(f.m_szName));
    f.m_uOffset = kFields[i].offset;
    f.m_uLength = kFields[i].length;
    f.m_uEncodeType = kFields[i].encoding;
    f.m_uContentType = kFields[i].content;
    f.m_uDisplayType = kFields[i].display;
    f.m_uDataJust = (kFields[i].content & 0xF) == 1 || (kFields[i].content & 0xF) == 3 ? 1 : 0;
  }
  struct {
    const char* field;
    unsigned type, unique;
  } keys[] = {{"CustNo", ISAM_KEY_TEXT, 1}, {"Name", ISAM_KEY_ITEXT, 0}, {"ZipCode", ISAM_KEY_TEXT, 0}};
  table.m_Keys.m_pKeys = new CZTKeyDesc[3];
  table.m_Keys.m_uCount = table.m_Keys.m_uAlloc = 3;
  for (unsigned k = 0; k < 3; ++k) {
    CZTKeyDesc& key = table.m_Keys.m_pKeys[k];
    key.m_uOption[0] = keys[k].unique;
    key.m_uPartCount = 1;
    key.m_Part[0].uKeyType = keys[k].type;
    ztStrCopy(key.m_Part[0].szFieldName, keys[k].field, sizeof(key.m_Part[0].szFieldName));
  }
}

// Deterministic values (xorshift).
struct Random {
  uint32_t state;
  explicit Random(uint32_t seed) : state(seed * 2654435761u + 1) {}
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  uint32_t Below(uint32_t n) { return Next() % n; }
};

const char* const kLastNames[] = {"Meyer",
                                  "Meier",
                                  "Mayer",
                                  "Meyerhoff",
                                  "Mey",
                                  "M\xfcller",
                                  "Schmidt",
                                  "Schneider",
                                  "Fischer",
                                  "Weber",
                                  "Wagner",
                                  "Becker",
                                  "Schulz",
                                  "Hoffmann",
                                  "Sch\xe4"
                                  "fer",
                                  "Koch",
                                  "Bauer",
                                  "Richter",
                                  "Klein",
                                  "Wolf",
                                  "Neumann",
                                  "Schwarz",
                                  "Zimmermann",
                                  "Braun",
                                  "Kr\xfcger",
                                  "Hofmann",
                                  "Hartmann",
                                  "Lange"};
const char* const kFirstNames[] = {"Anna", "Bernd", "Clara", "Felix", "Hans", "Ida", "Jonas", "Lukas", "Nils", "Olga"};
const char* const kCities[] = {"Aachen",   "Berlin",  "Bonn",  "Essen",      "Hamburg",
                               "Hannover", "K\xf6ln", "Mainz", "M\xfcnchen", "Stuttgart"};
template <class T, unsigned N>
constexpr unsigned Count(T (&)[N]) {
  return N;
}

struct Customer {
  char custNo[9], name[31], city[21], zip[6], since[9], credit[13];
  int32_t rating;
  double discount;
};

void MakeCustomer(unsigned i, Customer& c) {
  Random r(i + 1);
  snprintf(c.custNo, sizeof(c.custNo), "%08u", 10001 + i);
  snprintf(c.name, sizeof(c.name), "%s, %s", kLastNames[r.Below(Count(kLastNames))],
           kFirstNames[r.Below(Count(kFirstNames))]);
  snprintf(c.city, sizeof(c.city), "%s", kCities[r.Below(Count(kCities))]);
  snprintf(c.zip, sizeof(c.zip), "%05u", 1067 + r.Below(98000));
  snprintf(c.since, sizeof(c.since), "%04u%02u%02u", 1990 + r.Below(35), 1 + r.Below(12), 1 + r.Below(28));
  const int cents = static_cast<int>(r.Below(5000000)) - 500000;
  snprintf(c.credit, sizeof(c.credit), "%9d,%02d", cents / 100, (cents < 0 ? -cents : cents) % 100);
  c.rating = static_cast<int32_t>(r.Below(13)) - 2;
  c.discount = r.Below(3000) / 100.0;
}

void Put(unsigned char* record, unsigned offset, unsigned length, const char* text) {
  memset(record + offset, ' ', length);
  memcpy(record + offset, text, strnlen(text, length));
}

void Encode(const Customer& c, unsigned char* r) {
  Put(r, 0, 8, c.custNo);
  Put(r, 8, 30, c.name);
  Put(r, 38, 20, c.city);
  Put(r, 58, 5, c.zip);
  Put(r, 63, 8, c.since);
  Put(r, 71, 12, c.credit);
  memcpy(r + 83, &c.rating, 4);
  memcpy(r + 87, &c.discount, 8);
}

bool Check(unsigned e, const char* what) {
  if (e) fprintf(stderr, "%s: %s (error %u)\n", what, ISAMErrorText(e), e);
  return e == 0;
}

bool BuildIsam(const std::string& file, const CZTTableDesc& table) {
  remove(file.c_str());
  ISAMFILE isam = nullptr;
  unsigned detail = 0;
  if (!Check(ISAMCreate(&isam, file.c_str(), &detail), "ISAMCreate")) return false;
  ISAMSetCacheSize(isam, 512u << 20);
  ISAMIDT* idt = table.m_Keys.CreateIDT(table.m_Fields);
  bool ok = idt && Check(ISAMCreateTable(isam, "Customer", idt, 3, kRecordSize, 4096), "ISAMCreateTable");
  CZTKeyDescList::FreeIDT(idt);
  ISAMTABLE handle = nullptr;
  ok = ok && Check(ISAMOpenTable(isam, "Customer", &handle), "ISAMOpenTable");
  unsigned char record[kRecordSize];
  Customer c;
  for (unsigned i = 0; ok && i < kRecords; ++i) {
    if (i % 100000 == 0) ok = Check(ISAMBeginTransaction(isam), "ISAMBeginTransaction");
    MakeCustomer(i, c);
    Encode(c, record);
    unsigned address = 0;
    ok = ok && Check(ISAMInsertRecord(handle, record, &address), "ISAMInsertRecord");
    if (ok && (i % 100000 == 99999 || i + 1 == kRecords)) ok = Check(ISAMCommitTransaction(isam), "ISAMCommit");
  }
  if (handle) ISAMCloseTable(handle);
  ISAMClose(isam, &detail);
  return ok;
}

bool Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    fprintf(stderr, "sqlite: %s: %s\n", sql, error ? error : "?");
    sqlite3_free(error);
    return false;
  }
  return true;
}

bool BuildSqlite(const std::string& file) {
  remove(file.c_str());
  sqlite3* db = nullptr;
  if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) return false;
  bool ok = Exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;") &&
            Exec(db,
                 "CREATE TABLE customer(custno TEXT PRIMARY KEY, name TEXT, city TEXT, zip TEXT, since TEXT, "
                 "credit TEXT, rating INTEGER, discount REAL)") &&
            Exec(db, "BEGIN");
  sqlite3_stmt* insert = nullptr;
  ok = ok && sqlite3_prepare_v2(db, "INSERT INTO customer VALUES(?,?,?,?,?,?,?,?)", -1, &insert, nullptr) == SQLITE_OK;
  Customer c;
  for (unsigned i = 0; ok && i < kRecords; ++i) {
    MakeCustomer(i, c);
    const char* texts[] = {c.custNo, c.name, c.city, c.zip, c.since, c.credit};
    for (int t = 0; t < 6; ++t) sqlite3_bind_text(insert, t + 1, texts[t], -1, SQLITE_STATIC);
    sqlite3_bind_int(insert, 7, c.rating);
    sqlite3_bind_double(insert, 8, c.discount);
    ok = sqlite3_step(insert) == SQLITE_DONE;
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  ok = ok && Exec(db, "COMMIT") && Exec(db, "CREATE INDEX customer_name ON customer(name)") &&
       Exec(db, "CREATE INDEX customer_zip ON customer(zip)") && Exec(db, "ANALYZE");
  sqlite3_close(db);
  return ok;
}

struct Query {
  const char* label;
  const char* selection;
  const char* sqlScan;   // forced full scan (NOT INDEXED)
  const char* sqlIndex;  // null: no index run
  const char* sqlRows;   // the index run reading each row as zt_tbl32 does
};

const Query kQueries[] = {
    {"(a) Name = Mey*", "Name = Mey*", "SELECT count(*) FROM customer NOT INDEXED WHERE name GLOB 'Mey*'",
     "SELECT count(*) FROM customer WHERE name GLOB 'Mey*'", "SELECT count(city) FROM customer WHERE name GLOB 'Mey*'"},
    {"(b) ZipCode range", "ZipCode >= 50000 && ZipCode < 60000",
     "SELECT count(*) FROM customer NOT INDEXED WHERE zip >= '50000' AND zip < '60000'",
     "SELECT count(*) FROM customer WHERE zip >= '50000' AND zip < '60000'",
     "SELECT count(city) FROM customer WHERE zip >= '50000' AND zip < '60000'"},
    {"(c) Since >= 1.7.09", "Since >= 1.7.09", "SELECT count(*) FROM customer NOT INDEXED WHERE since >= '20090701'",
     nullptr, nullptr},
    {"(d) (a) ODER Rating = 7", "Name = Mey* ODER Rating = 7",
     "SELECT count(*) FROM customer NOT INDEXED WHERE name GLOB 'Mey*' OR rating = 7", nullptr, nullptr},
};

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

enum class Access { kStored, kKeys, kRecords };

// Best time of kRuns of a count through the selection: every record as stored
// (kStored), the key ranges as a count takes them, reading keys alone where they
// hold what the selection tests (kKeys), or the records of the ranges one by one
// as a listing reads them (kRecords).
double TimeIsam(ISAMTABLE handle, const CZTTableDesc& table, const char* text, Access access, unsigned* count,
                bool* ranged, bool* keysOnly) {
  CZTTblSelDesc sel;
  if (!sel.parse(text, static_cast<unsigned>(strlen(text))) || !sel.resolve(&table)) return -1;
  char lows[kZTSelMaxRanges * 256], highs[kZTSelMaxRanges * 256];
  unsigned index = 0;
  const int ranges = access == Access::kStored ? 0 : sel.keyranges(&table, &index, lows, highs, 256);
  *ranged = ranges > 0;
  *keysOnly = ranges > 0 && sel.keyonly(handle, &table, index);
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    auto start = std::chrono::steady_clock::now();
    unsigned n = 0, e = 0;
    if (access == Access::kStored) {
      if (!sel.countrange(handle, &table, kZTSelStoredOrder, nullptr, nullptr, &n, &e)) return -1;
    } else if (access == Access::kKeys) {
      if (!sel.countrecords(handle, &table, &n, &e)) return -1;
    } else {
      unsigned char record[kRecordSize];
      for (int r = 0; r < ranges; ++r) {
        unsigned address = 0;
        if (ISAMSetupIterationLimits(handle, index, ISAM_ITER_FORWARD, lows + r * 256, highs + r * 256)) return -1;
        while ((e = ISAMReadNextRecord(handle, index, record, &address, nullptr)) == 0)
          n += sel.testdata(&table, reinterpret_cast<const char*>(record), kRecordSize);
        if (e != ISAM_END_OF_ITERATION) return -1;
      }
    }
    const double s = Seconds(start);
    if (s < best) best = s;
    *count = n;
  }
  return best;
}

// testdata alone over records already in memory: the share of the selection.
double TimeTestdata(const CZTTableDesc& table, const char* text, const std::vector<unsigned char>& records) {
  CZTTblSelDesc sel;
  if (!sel.parse(text, static_cast<unsigned>(strlen(text))) || !sel.resolve(&table)) return -1;
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    auto start = std::chrono::steady_clock::now();
    unsigned n = 0;
    for (size_t off = 0; off < records.size(); off += kRecordSize)
      n += sel.testdata(&table, reinterpret_cast<const char*>(records.data() + off), kRecordSize);
    const double s = Seconds(start);
    if (s < best) best = s;
    if (n == 0xFFFFFFFFu) puts("");  // keeps the loop
  }
  return best;
}

double TimeSqlite(sqlite3* db, const char* sql, unsigned* count, std::string* plan) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) return -1;
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    auto start = std::chrono::steady_clock::now();
    if (sqlite3_step(stmt) != SQLITE_ROW) return -1;
    *count = static_cast<unsigned>(sqlite3_column_int64(stmt, 0));
    sqlite3_reset(stmt);
    const double s = Seconds(start);
    if (s < best) best = s;
  }
  sqlite3_finalize(stmt);
  std::string explain = std::string("EXPLAIN QUERY PLAN ") + sql;
  if (sqlite3_prepare_v2(db, explain.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      const unsigned char* detail = sqlite3_column_text(stmt, 3);
      if (detail) *plan += reinterpret_cast<const char*>(detail);
    }
    sqlite3_finalize(stmt);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = ".";
  bool rebuild = false;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--rebuild"))
      rebuild = true;
    else
      dir = argv[i];
  }
  ztSetBoxHandler(ztStderrBoxHandler, nullptr);
  CZTTableDesc table;
  MakeTable(table);
  const std::string isaFile = dir + "/select_bench.isa";
  const std::string dbFile = dir + "/select_bench.sqlite";

  FILE* probe = fopen(isaFile.c_str(), "rb");
  const bool haveIsam = probe != nullptr;
  if (probe) fclose(probe);
  probe = fopen(dbFile.c_str(), "rb");
  const bool haveDb = probe != nullptr;
  if (probe) fclose(probe);
  if (rebuild || !haveIsam) {
    auto start = std::chrono::steady_clock::now();
    if (!BuildIsam(isaFile, table)) return 1;
    printf("ISAM file built: %u records in %.1f s\n", kRecords, Seconds(start));
  }
  if (rebuild || !haveDb) {
    auto start = std::chrono::steady_clock::now();
    if (!BuildSqlite(dbFile)) return 1;
    printf("SQLite file built: %u records in %.1f s\n", kRecords, Seconds(start));
  }

  ISAMFILE isam = nullptr;
  ISAMTABLE handle = nullptr;
  unsigned detail = 0;
  if (!Check(ISAMOpen(&isam, isaFile.c_str(), ISAM_OPEN_READONLY, &detail), "ISAMOpen")) return 1;
  ISAMSetCacheSize(isam, 512u << 20);
  if (!Check(ISAMOpenTable(isam, "Customer", &handle), "ISAMOpenTable")) return 1;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(dbFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return 1;
  Exec(db, "PRAGMA cache_size=-524288");  // 512 MB, as the engine's cache

  // The records in memory, in index order, for the testdata-only figures.
  std::vector<unsigned char> records;
  records.reserve(size_t(kRecords) * kRecordSize);
  {
    unsigned char record[kRecordSize];
    unsigned address = 0;
    ISAMSetupIterationLimits(handle, 0, ISAM_ITER_FORWARD, nullptr, nullptr);
    while (ISAMReadNextRecord(handle, 0, record, &address, nullptr) == 0)
      records.insert(records.end(), record, record + kRecordSize);
  }

  printf("\n%u records, best of %d runs; rates in million records per second of the table\n\n", kRecords, kRuns);
  printf("%-26s %-10s %9s %9s %9s %7s %9s %s\n", "selection", "access", "zt count", "zt Mrec/s", "sq Mrec/s", "ratio",
         "testdata", "");
  bool countsAgree = true;
  for (const Query& q : kQueries) {
    // Full scan; then the key ranges against SQLite's covering index, and the
    // records of the ranges read one by one against SQLite reading the rows.
    for (int pass = 0; pass < 3; ++pass) {
      const char* sql = pass == 0 ? q.sqlScan : (pass == 1 ? q.sqlIndex : q.sqlRows);
      if (!sql) continue;
      unsigned ztCount = 0, sqCount = 0;
      bool ranged = false, keysOnly = false;
      const Access access = pass == 0 ? Access::kStored : (pass == 1 ? Access::kKeys : Access::kRecords);
      const double zt = TimeIsam(handle, table, q.selection, access, &ztCount, &ranged, &keysOnly);
      std::string plan;
      const double sq = TimeSqlite(db, sql, &sqCount, &plan);
      const double td = pass == 0 ? TimeTestdata(table, q.selection, records) : 0;
      if (zt < 0 || sq < 0) {
        fprintf(stderr, "%s: query failed\n", q.label);
        return 1;
      }
      if (ztCount != sqCount) countsAgree = false;
      const char* how = pass == 0 ? "stored" : (!ranged ? "NO RANGE" : (pass == 1 && keysOnly ? "keys" : "records"));
      printf("%-26s %-10s %9u %9.1f %9.1f %6.2fx", q.label, how, ztCount, kRecords / zt / 1e6, kRecords / sq / 1e6,
             sq / zt);
      if (pass == 0)
        printf(" %8.1f", kRecords / td / 1e6);
      else
        printf(" %8s", "-");
      printf("  sqlite: %s\n", plan.c_str());
    }
  }
  {
    // The floor of every full scan: the engine's reading with nothing tested.
    unsigned n = 0;
    bool ranged = false, keysOnly = false;
    const double it = TimeIsam(handle, table, "", Access::kStored, &n, &ranged, &keysOnly);
    unsigned sqAll = 0;
    std::string plan;
    const double sq = TimeSqlite(db, "SELECT count(rating) FROM customer NOT INDEXED", &sqAll, &plan);
    printf("%-26s %-10s %9u %9.1f %9.1f %6.2fx\n", "(every record)", "stored", n, kRecords / it / 1e6,
           kRecords / sq / 1e6, sq / it);
  }
  printf(
      "\nratio = SQLite's time / zt_tbl32's time (above 1: zt_tbl32 faster); testdata = the selection test\n"
      "alone over the records in memory (million records per second)\n");
  printf("counts %s\n", countsAgree ? "agree" : "DIFFER");
  ISAMCloseTable(handle);
  ISAMClose(isam, &detail);
  sqlite3_close(db);
  return countsAgree ? 0 : 1;
}
