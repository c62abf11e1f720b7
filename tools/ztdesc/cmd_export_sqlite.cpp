// ztdesc export-sqlite: the tables of an ISAM file as a new SQLite database.
// The database is written under a temporary name beside the target and renamed
// when complete, so that a failure (or an interrupted run) leaves no database
// under the target's name.
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "commands.h"
#include "select_scan.h"
#include "sqlite_export.h"
#include "code_page.h"

namespace {

constexpr unsigned kBatchBytes = 256 * 1024;
constexpr unsigned kProgressStep = 16384;
const char kPartSuffix[] = ".part";

bool IsTerminal(FILE* file) {
#ifdef _WIN32
  return _isatty(_fileno(file)) != 0;
#else
  return isatty(fileno(file)) != 0;
#endif
}

// Creates the file, failing when it exists.
bool CreateNew(const char* name) {
#ifdef _WIN32
  int fd = _open(name, _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return false;
  _close(fd);
#else
  int fd = open(name, O_CREAT | O_EXCL | O_WRONLY, 0666);
  if (fd < 0) return false;
  close(fd);
#endif
  return true;
}

// The database is written without syncs (a failure removes it anyway); it
// reaches the disk once, before it gets its name.
bool SyncFile(const char* name) {
#ifdef _WIN32
  int fd = _open(name, _O_RDWR | _O_BINARY);
  if (fd < 0) return false;
  bool ok = _commit(fd) == 0;
  _close(fd);
#else
  int fd = open(name, O_RDWR);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0;
  close(fd);
#endif
  return ok;
}

struct TableCloser {
  ISAMTABLE table = nullptr;
  ~TableCloser() {
    if (table) ISAMCloseTable(table);
  }
};

struct Progress {
  bool on;
  const char* table;
  unsigned total;
  void Show(unsigned done) const {
    if (on) fprintf(stderr, "\r%s: %u of %u records", table, done, total);
  }
  void Indexing(unsigned done, unsigned keys) const {
    if (on && keys) fprintf(stderr, "\r%s: %u records, making %u indexes", table, done, keys);
  }
  void End(unsigned done) const {
    if (on) fprintf(stderr, "\r%s: %u of %u records        \n", table, done, total);
  }
};

// One table into the database: kExitOk, or kExitFailed with the message printed.
int ExportTable(ZTSqliteExport& db, ISAMFILE file, const char* fileName, const CZTTableDesc& table, const char* where,
                bool progress, unsigned* exported) {
  *exported = 0;
  const std::string name = ztdescToOutput(table.m_szName);
  TableCloser handle;
  unsigned e = ISAMOpenTable(file, table.m_szName, &handle.table);
  unsigned recordSize = 0, total = 0, descSize = 0, descLength = 0;
  if (e) {
    handle.table = nullptr;
  } else if (!(e = ISAMGetDataRecSize(handle.table, &recordSize)) && !(e = ISAMGetRecordCount(handle.table, &total))) {
    e = ISAMGetTableDescSize(handle.table, 0, &descSize);
  }
  if (e) return ztdescFail("%s: table %s: %s", fileName, name.c_str(), ztdescEngineError(e).c_str());
  if (table.m_Fields.GetRecSize() > recordSize)
    return ztdescFail("%s: table %s: the description needs %u bytes, the records have %u", fileName, name.c_str(),
                      table.m_Fields.GetRecSize(), recordSize);
  std::vector<char> description(descSize + 1, 0);
  if (descSize && (e = ISAMReadTableDesc(handle.table, 0, description.data(), descSize, &descLength)) != 0)
    return ztdescFail("%s: table %s: %s", fileName, name.c_str(), ztdescEngineError(e).c_str());
  description[descLength < descSize ? descLength : descSize] = 0;

  const Progress shown = {progress, name.c_str(), total};
  if (!db.BeginTable(table, description.data())) return ztdescFail("table %s: %s", name.c_str(), db.Error().c_str());
  unsigned done = 0;
  if (where) {
    if (!table.m_Keys.m_uCount) return ztdescFail("%s: table %s has no index", fileName, name.c_str());
    ZTSelectScan scan;
    if (!scan.Prepare(table, where, ZTSelectScan::kAnyIndex, false)) return kExitFailed;
    std::vector<unsigned char> record(recordSize);
    e = scan.Start(handle.table, ISAM_ITER_FORWARD);
    for (unsigned read = 1; !e; ++read) {
      unsigned address = 0;
      e = scan.ReadNext(handle.table, record.data(), &address);
      if (e) break;
      if (scan.Matches(table, record.data(), recordSize)) {
        if (!db.Insert(record.data())) return ztdescFail("table %s: %s", name.c_str(), db.Error().c_str());
        ++done;
      }
      if (read % kProgressStep == 0) shown.Show(read);
    }
  } else {
    // Every record, in the order they are stored: the quickest way through them.
    std::vector<unsigned char> batch(recordSize > kBatchBytes ? recordSize : kBatchBytes);
    unsigned address = 0, count = 0;
    while (!(e = ISAMReadRecords(handle.table, &address, batch.data(), (unsigned)batch.size(), &count))) {
      for (unsigned r = 0; r < count; ++r) {
        if (!db.Insert(batch.data() + size_t(r) * recordSize))
          return ztdescFail("table %s: %s", name.c_str(), db.Error().c_str());
        if (++done % kProgressStep == 0) shown.Show(done);
      }
    }
  }
  if (e != ISAM_END_OF_ITERATION)
    return ztdescFail("%s: table %s: %s", fileName, name.c_str(), ztdescEngineError(e).c_str());
  shown.Indexing(done, table.m_Keys.m_uCount);
  if (!db.EndTable()) return ztdescFail("table %s: %s", name.c_str(), db.Error().c_str());
  shown.End(where ? total : done);
  if (db.Approximated())
    fprintf(stderr, "ztdesc: table %s: %llu values above 9223372036854775807 stored as approximate REAL numbers\n",
            name.c_str(), db.Approximated());
  *exported = done;
  return kExitOk;
}

}  // namespace

int ztdescExportSqlite(int argc, char** argv) {
  if (ztdescWantsHelp("export-sqlite", argc, argv)) return kExitOk;
  std::vector<const char*> positional;
  const char* where = nullptr;
  for (int i = 0; i < argc; ++i) {
    const char* a = argv[i];
    if (!strcmp(a, "--where")) {
      if (i + 1 >= argc) return ztdescUsage("export-sqlite", "--where needs an expression");
      where = argv[++i];
    } else if (a[0] == '-' && a[1]) {
      return ztdescUsage("export-sqlite", "unknown option '%s'", a);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() < 2) return ztdescUsage("export-sqlite", "ISAMFILE and OUT.db are needed");
  std::string expression;
  if (where && !ztdescArgument(where, "--where", &expression)) return kExitFailed;
  const char* isamName = positional[0];
  const char* outName = positional[1];
  if (ztdescExists(outName)) return ztdescFail("%s exists already", outName);

  CZTFileDesc desc;
  if (!ztdescLoad(desc, isamName)) return kExitFailed;
  if (!desc.m_bIsamFile) return ztdescFail("%s is not an ISAM file", isamName);
  std::vector<unsigned> tables;
  for (size_t p = 2; p < positional.size(); ++p) {
    std::string name;
    if (!ztdescArgument(positional[p], "table name", &name)) return kExitFailed;
    unsigned index = desc.FindTableName(name.c_str());
    if (index == kZTNotFound) return ztdescFail("%s: no table %s", isamName, positional[p]);
    for (unsigned t : tables)
      if (t == index) return ztdescUsage("export-sqlite", "table %s named twice", positional[p]);
    tables.push_back(index);
  }
  if (positional.size() == 2)
    for (unsigned t = 0; t < desc.m_Tables.m_uCount; ++t) tables.push_back(t);
  if (tables.empty()) return ztdescFail("%s holds no tables", isamName);
  for (unsigned t : tables)
    if (!desc.m_Tables.m_pTables[t].m_Fields.m_uCount)
      return ztdescFail("%s: table %s has no stored description of its fields", isamName,
                        ztdescToOutput(desc.m_Tables.m_pTables[t].m_szName).c_str());

  char message[512];
  const ZTSqliteApi* api = ztSqliteApi(message, sizeof(message));
  if (!api) return ztdescFail("export-sqlite: %s", message);

  ISAMFILE file = nullptr;
  unsigned detail = 0;
  unsigned e = ISAMOpen(&file, isamName, ISAM_OPEN_READONLY, &detail);
  if (e) return ztdescFail("%s: %s", isamName, ztdescEngineError(e).c_str());

  const std::string part = std::string(outName) + kPartSuffix;
  if (!CreateNew(part.c_str())) {
    ISAMClose(file, &detail);
    if (ztdescExists(part.c_str()))
      return ztdescFail("%s exists: left by an interrupted export? Remove it first", part.c_str());
    return ztdescFail("%s cannot be created", part.c_str());
  }
#ifdef _WIN32
  const std::string dbName = ztCp1252ToUtf8(part);  // SQLite takes UTF-8 names
#else
  const std::string dbName = part;
#endif
  const bool progress = IsTerminal(stderr);
  std::vector<unsigned> counts;
  int result = kExitOk;
  {
    ZTSqliteExport db(*api);
    if (!db.Open(dbName.c_str())) result = ztdescFail("%s: %s", outName, db.Error().c_str());
    for (size_t t = 0; result == kExitOk && t < tables.size(); ++t) {
      unsigned count = 0;
      result = ExportTable(db, file, isamName, desc.m_Tables.m_pTables[tables[t]], where ? expression.c_str() : nullptr,
                           progress, &count);
      counts.push_back(count);
    }
    if (!db.Close() && result == kExitOk) result = ztdescFail("%s: %s", outName, db.Error().c_str());
  }
  ISAMClose(file, &detail);
  std::error_code ec;
  if (result == kExitOk && !SyncFile(part.c_str()))
    result = ztdescFail("%s cannot be written to the disk", part.c_str());
  // Checked again: the target may have appeared meanwhile, and rename would replace it.
  if (result == kExitOk && ztdescExists(outName)) result = ztdescFail("%s exists already", outName);
  if (result == kExitOk) {
    std::filesystem::rename(part, outName, ec);
    if (ec) result = ztdescFail("%s cannot be renamed to %s", part.c_str(), outName);
  }
  if (result != kExitOk) {
    std::filesystem::remove(part, ec);
    fprintf(stderr, "ztdesc: no database was written\n");
    return kExitFailed;
  }
  for (size_t t = 0; t < tables.size(); ++t)
    printf("%s: %u records exported into %s\n", outName, counts[t],
           ztdescToOutput(desc.m_Tables.m_pTables[tables[t]].m_szName).c_str());
  return kExitOk;
}
