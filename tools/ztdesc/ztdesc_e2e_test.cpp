// Runs the built ztdesc on the sample and compares its output with the expected
// texts in testdata/. With ZTDESC_UPDATE_EXPECTED=1 in the environment the
// expected files are written instead (review them before committing).
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <sys/wait.h>
#endif

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code_page.h"
#include "json_line_reader.h"
#include "sample_data.h"
#include "test_files.h"
#include "zt_tbl32.h"
#include "zt_tbl32/date_text.h"
#ifndef _WIN32
#include <math.h>
#include <sqlite3.h>
#endif

namespace {

const std::string kTestData = std::string(ZT_TEST_SOURCE_DIR) + "/testdata/";
const std::string kWork = "ztdesc_e2e";

// The output as the UTF-8 of the expected files: on Windows ztdesc prints
// Windows-1252 (its output is no console).
std::string ToUtf8(const std::string& text) {
#ifdef _WIN32
  return ztCp1252ToUtf8(text);
#else
  return text;
#endif
}

// An argument as ztdesc takes it: UTF-8 natively, Windows-1252 on Windows.
std::string Arg(const std::string& utf8) {
#ifdef _WIN32
  std::string out;
  ZTCodePageError error;
  EXPECT_TRUE(ztUtf8ToCp1252(utf8.data(), utf8.size(), &out, &error)) << utf8;
  return out;
#else
  return utf8;
#endif
}

struct Result {
  int exitCode;
  std::string out;
  std::string err;
};

// Runs ztdesc with the arguments (no blanks in them; single quotes keep the
// shell off an argument and are dropped). utf8: the output is UTF-8 in every
// build (JSON), not the Windows-1252 of the Windows build.
Result RunZtdesc(const std::string& args, bool utf8 = false) {
  // The captured output lies beside the work folder: no path separators for the shell.
  std::string out = kWork + "_stdout.txt", err = kWork + "_stderr.txt";
#ifdef _WIN32
  // Started directly with the two outputs redirected: no command shell between.
  std::vector<std::string> words;
  std::string word;
  for (char c : args + " ") {
    if (c == '\'') continue;
    if (c != ' ') {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  std::vector<const char*> argv = {ZTDESC_EXE};
  for (const std::string& w : words) argv.push_back(w.c_str());
  argv.push_back(nullptr);
  fflush(stdout);
  fflush(stderr);
  int outFd = _open(out.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  int errFd = _open(err.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  int savedOut = _dup(1), savedErr = _dup(2);
  _dup2(outFd, 1);
  _dup2(errFd, 2);
  intptr_t exitCode = _spawnv(_P_WAIT, ZTDESC_EXE, argv.data());
  _dup2(savedOut, 1);
  _dup2(savedErr, 2);
  _close(savedOut);
  _close(savedErr);
  _close(outFd);
  _close(errFd);
  return {static_cast<int>(exitCode), utf8 ? ReadFile(out) : ToUtf8(ReadFile(out)), ToUtf8(ReadFile(err))};
#else
  (void)utf8;  // natively every output is UTF-8
  std::string command = "./" + std::string(ZTDESC_EXE) + " " + args + " > " + out + " 2> " + err;
  int status = system(command.c_str());
  int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return {exitCode, ToUtf8(ReadFile(out)), ToUtf8(ReadFile(err))};
}

// Compares with testdata/name, or writes it when updating.
void Expect(const std::string& name, const std::string& actual) {
  const char* update = getenv("ZTDESC_UPDATE_EXPECTED");
  if (update && *update == '1') {
    WriteFile(kTestData + name, actual);
    return;
  }
  EXPECT_EQ(actual, ReadFile(kTestData + name)) << "output differs from testdata/" << name;
}

// The table blocks of a description file: everything from the first "Table:" line.
std::string TableBlocks(const std::string& text) {
  size_t at = text.find("Table:");
  if (at == std::string::npos) return std::string();
  size_t line = text.rfind('\n', at);
  return text.substr(line == std::string::npos ? 0 : line + 1);
}

// Splits one line of dump --csv.
std::vector<std::string> CsvValues(const std::string& line) {
  std::vector<std::string> values(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      values.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ';' && !quoted) {
      values.emplace_back();
    } else {
      values.back() += c;
    }
  }
  return values;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0, end;
  while ((end = text.find('\n', at)) != std::string::npos) {
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

#ifndef _WIN32
// One exported value: "null", "I:n", "R:x" or "T:text".
std::string SqliteValue(sqlite3_stmt* statement, int column) {
  char number[64];
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
      snprintf(number, sizeof(number), "I:%lld", (long long)sqlite3_column_int64(statement, column));
      return number;
    case SQLITE_FLOAT:
      snprintf(number, sizeof(number), "R:%.17g", sqlite3_column_double(statement, column));
      return number;
    case SQLITE_TEXT:
      return "T:" + std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                                sqlite3_column_bytes(statement, column));
    default:
      return "null";
  }
}

// Whether the exported value is what dump shows for the field, read back by the
// display word: numbers in German notation (floating values with a point and
// rounded to their display decimals), dates in their display formats.
bool SameAsShown(const CZTFieldDesc& field, const std::string& shown, const std::string& value, std::string* why) {
  *why = "dump shows \"" + shown + "\", the database holds " + value;
  if (shown == "?") return true;  // dump cannot show it (80-bit floats, Unicode)
  const unsigned kind = ztFmtKind(field.m_uContentType);
  const bool text = field.m_uEncodeType == iteASCIITEXT;
  if (text && kind == ZT_KIND_DATETIME) {
    if (shown.empty()) return value == "null";
    const unsigned display = field.m_uDisplayType;
    unsigned day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
    size_t at = 0;
    std::string iso;
    char part[32];
    if (display & ZT_FMT_DATE) {
      ParseDateText(&day, &month, &year, shown.c_str(), ztFmtDateFormat(display));
      snprintf(part, sizeof(part), "%04u-%02u-%02u", year, month, day);
      iso = part;
      at = DateTextLength(ztFmtDateFormat(display)) + 1;
    }
    if (display & ZT_FMT_TIME) {
      if (at > shown.size()) return false;
      ParseTimeText(&hour, &minute, &second, shown.c_str() + at, ztFmtTimeFormat(display));
      snprintf(part, sizeof(part), "%s%02u:%02u", iso.empty() ? "" : " ", hour, minute);
      iso += part;
      if (ztFmtTimeFormat(display) < 2) iso += ":" + std::to_string(100 + second).substr(1);
    }
    return value.compare(0, iso.size() + 2, "T:" + iso) == 0;
  }
  const bool floating = field.m_uEncodeType == ite32FLOATING || field.m_uEncodeType == ite64FLOATING;
  if (!text || kind == ZT_KIND_NUMBER || kind == ZT_KIND_DECIMAL) {
    if (shown.empty()) return value == "null";
    std::string number;
    for (char c : shown) {
      if (floating || c != '.') number += c == ',' ? '.' : c;
    }
    size_t point = number.find('.');
    if (point == std::string::npos && !floating && !ztFmtDecimals(field.m_uContentType))
      return value == "I:" + std::to_string(strtoll(number.c_str(), nullptr, 10));
    if (value.compare(0, 2, "R:")) return false;
    unsigned decimals = point == std::string::npos ? 0 : static_cast<unsigned>(number.size() - point - 1);
    return fabs(strtod(value.c_str() + 2, nullptr) - strtod(number.c_str(), nullptr)) <=
           0.5 * pow(10.0, -(int)decimals);
  }
  return value == "T:" + shown;
}

// A name in SQL: in double quotes (identifier) or single quotes (string).
std::string SqlQuoted(const std::string& name, char quote = '"') {
  std::string quoted(1, quote);
  for (char c : name) quoted += c == quote ? std::string(2, c) : std::string(1, c);
  return quoted + quote;
}

// Exports the tables (named in Windows-1252, as the description names them) and
// reads every value back with SQLite: each is what dump --csv shows (records
// compared in the order of key 1), and every key is an index on the same columns.
void ExpectExportedAsDumped(const std::string& isam, const std::vector<std::string>& tables) {
  const std::string db = kWork + "/export.db";
  std::filesystem::remove(db);
  Result r = RunZtdesc("export-sqlite " + isam + " " + db);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  CZTFileDesc desc;
  ASSERT_TRUE(desc.InitDescEdit(nullptr, isam.c_str(), 0));
  sqlite3* handle = nullptr;
  ASSERT_EQ(sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  for (const std::string& name1252 : tables) {
    const CZTTableDesc& table = desc.m_Tables.m_pTables[desc.FindTableName(name1252.c_str())];
    const std::string name = ztCp1252ToUtf8(name1252);  // as the database and the command line have it
    std::string order;
    const CZTKeyDesc& first = table.m_Keys.m_pKeys[0];
    for (unsigned p = 0; p < first.m_uPartCount; ++p)
      order += std::string(p ? ", " : "") + SqlQuoted(ztCp1252ToUtf8(first.m_Part[p].szFieldName));
    sqlite3_stmt* rows = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(handle, ("SELECT * FROM " + SqlQuoted(name) + " ORDER BY " + order).c_str(), -1, &rows,
                                 nullptr),
              SQLITE_OK);
    std::vector<std::string> dumped = Lines(RunZtdesc("dump " + isam + " '" + name + "' --csv").out);
    ASSERT_FALSE(dumped.empty());
    ASSERT_EQ(sqlite3_column_count(rows), (int)table.m_Fields.m_uCount);
    unsigned row = 1, mismatches = 0;
    for (; sqlite3_step(rows) == SQLITE_ROW; ++row) {
      ASSERT_LT(row, dumped.size()) << name << ": more rows than dump shows";
      std::vector<std::string> shown = CsvValues(dumped[row]);
      ASSERT_EQ(shown.size(), table.m_Fields.m_uCount) << dumped[row];
      for (unsigned f = 0; f < table.m_Fields.m_uCount; ++f) {
        std::string why;
        if (!SameAsShown(table.m_Fields.m_pFields[f], shown[f], SqliteValue(rows, (int)f), &why) && ++mismatches < 10)
          ADD_FAILURE() << name << " row " << row << " field " << ztCp1252ToUtf8(table.m_Fields.m_pFields[f].m_szName)
                        << ": " << why;
      }
    }
    EXPECT_EQ(row, dumped.size()) << name;
    sqlite3_finalize(rows);

    // The indexes: one per key, its columns in order, unique where the key is.
    for (unsigned k = 0; k < table.m_Keys.m_uCount; ++k) {
      const CZTKeyDesc& key = table.m_Keys.m_pKeys[k];
      const std::string index = name + "_key" + std::to_string(k + 1);
      sqlite3_stmt* info = nullptr;
      ASSERT_EQ(sqlite3_prepare_v2(handle,
                                   ("SELECT \"unique\" FROM pragma_index_list(" + SqlQuoted(name, '\'') +
                                    ") WHERE name = " + SqlQuoted(index, '\''))
                                       .c_str(),
                                   -1, &info, nullptr),
                SQLITE_OK);
      ASSERT_EQ(sqlite3_step(info), SQLITE_ROW) << index;
      EXPECT_EQ(sqlite3_column_int(info, 0), key.m_uOption[ISAM_OPT_UNIQUE] ? 1 : 0) << index;
      sqlite3_finalize(info);
      ASSERT_EQ(
          sqlite3_prepare_v2(
              handle, ("SELECT name FROM pragma_index_info(" + SqlQuoted(index, '\'') + ") ORDER BY seqno").c_str(), -1,
              &info, nullptr),
          SQLITE_OK);
      std::string columns, expected;
      while (sqlite3_step(info) == SQLITE_ROW)
        columns += std::string(reinterpret_cast<const char*>(sqlite3_column_text(info, 0))) + ",";
      for (unsigned p = 0; p < key.m_uPartCount; ++p) expected += ztCp1252ToUtf8(key.m_Part[p].szFieldName) + ",";
      EXPECT_EQ(columns, expected) << index;
      sqlite3_finalize(info);
    }
    // The stored description, from which the table could be made again.
    sqlite3_stmt* described = nullptr;
    ASSERT_EQ(
        sqlite3_prepare_v2(
            handle, ("SELECT description FROM zt_descriptions WHERE table_name = " + SqlQuoted(name, '\'')).c_str(), -1,
            &described, nullptr),
        SQLITE_OK);
    ASSERT_EQ(sqlite3_step(described), SQLITE_ROW) << name;
    EXPECT_NE(std::string(reinterpret_cast<const char*>(sqlite3_column_text(described, 0))).find("Table:"),
              std::string::npos);
    sqlite3_finalize(described);
  }
  sqlite3_close(handle);
}

long long SqliteCount(const std::string& db, const std::string& table) {
  sqlite3* handle = nullptr;
  long long count = -1;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(handle, ("SELECT count(*) FROM \"" + table + "\"").c_str(), -1, &statement, nullptr) ==
          SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW)
    count = sqlite3_column_int64(statement, 0);
  sqlite3_finalize(statement);
  sqlite3_close(handle);
  return count;
}
#else
void ExpectExportedAsDumped(const std::string& isam, const std::vector<std::string>&) {
  // Wine has no SQLite library: the command says what it needs and writes nothing.
  Result r = RunZtdesc("export-sqlite " + isam + " " + kWork + "/export.db");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("this command needs the SQLite library sqlite3.dll"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(kWork + "/export.db"));
  EXPECT_FALSE(std::filesystem::exists(kWork + "/export.db.part"));
}
#endif

class ZtdescEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    std::error_code ec;
    std::filesystem::remove_all(kWork, ec);
    std::filesystem::create_directories(kWork, ec);
    WriteFile(kWork + "/sample.cfg", kZTSampleDesc);
    for (const char* csv : {"customers.csv", "customers_bad.csv", "orders.csv"})
      WriteFile(kWork + "/" + csv, ReadFile(kTestData + csv));
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(kWork, ec);
  }
};

TEST_F(ZtdescEndToEnd, DescriptionFileCommands) {
  Result r = RunZtdesc("show " + kWork + "/sample.cfg");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Expect("show_cfg.txt", r.out);
  r = RunZtdesc("show " + kWork + "/sample.cfg --json");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Expect("show_cfg_json.txt", r.out);
  r = RunZtdesc("verify " + kWork + "/sample.cfg");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Expect("verify.txt", r.out);

  // A table with a gap and one without keys.
  WriteFile(kWork + "/faulty.cfg",
            "Table: \"Gap\"\nField: 0, 4, 2, 0x0001, 1, 0x0001, 1, 5, \"A\"\nField: 6, 2, 1, 0x0001, 1, 0x0001, 1, "
            "5, \"B\"\nKey: 1\nKeyPart: \"TEXT\", \"A\"\nTable: END\n"
            "Table: \"NoKeys\"\nField: 0, 4, 2, 0x0001, 1, 0x0001, 1, 5, \"A\"\nTable: END\n");
  r = RunZtdesc("verify " + kWork + "/faulty.cfg");
  EXPECT_EQ(r.exitCode, 1);
  Expect("verify_faulty.txt", r.out);
}

TEST_F(ZtdescEndToEnd, IsamFileCommands) {
  Result r = RunZtdesc("create " + kWork + "/sample.cfg " + kWork + "/sample.isa");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Expect("create.txt", r.out);
  r = RunZtdesc("create " + kWork + "/sample.cfg " + kWork + "/sample.isa");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("exists already"), std::string::npos) << r.err;

  r = RunZtdesc("show " + kWork + "/sample.isa");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Expect("show_isa.txt", r.out);

  r = RunZtdesc("import " + kWork + "/sample.isa Customer " + kWork + "/customers.csv");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Expect("import.txt", r.out);
  r = RunZtdesc("import " + kWork + "/sample.isa Order " + kWork + "/orders.csv");
  ASSERT_EQ(r.exitCode, 0) << r.err;

  r = RunZtdesc("dump " + kWork + "/sample.isa Customer");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Expect("dump_customer.txt", r.out);
  r = RunZtdesc("dump " + kWork + "/sample.isa customer --index 3 --backward --limit 4");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Expect("dump_customer_zip_back.txt", r.out);
  r = RunZtdesc("dump " + kWork + "/sample.isa Order --index 2 --csv");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Expect("dump_order_csv.txt", r.out);
  r = RunZtdesc("check " + kWork + "/sample.isa");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Expect("check.txt", r.out);
  // Selections: the key ranges a count reads (keys alone where they hold the
  // columns tested) and a listing walks backwards.
  r = RunZtdesc("count " + kWork + "/sample.isa Customer --where 'City=B*' --explain");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::string counts = r.out;
  r = RunZtdesc("count " + kWork + "/sample.isa Customer --where 'ZipCode>=10000&&ZipCode<30000' --explain");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Expect("count_where_explain.txt", counts + r.out);
  r = RunZtdesc("dump " + kWork + "/sample.isa Customer --where 'ZipCode>=10000&&ZipCode<30000' --backward");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Expect("dump_where_back.txt", r.out);

  // A malformed row stores nothing.
  std::string before = RunZtdesc("dump " + kWork + "/sample.isa Customer --csv").out;
  r = RunZtdesc("import " + kWork + "/sample.isa Customer " + kWork + "/customers_bad.csv");
  EXPECT_EQ(r.exitCode, 1);
  Expect("import_bad_stderr.txt", r.err);
  EXPECT_EQ(RunZtdesc("dump " + kWork + "/sample.isa Customer --csv").out, before);

  // What dump --csv writes, import reads: into an empty copy it gives the same records.
  WriteFile(kWork + "/customers_out.csv", before);
  r = RunZtdesc("copy " + kWork + "/sample.isa " + kWork + "/copy.isa");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Expect("copy.txt", r.out);
  std::string empty = RunZtdesc("dump " + kWork + "/copy.isa Customer").out;
  EXPECT_NE(empty.find("\n(0 records)\n"), std::string::npos) << empty;
  r = RunZtdesc("import " + kWork + "/copy.isa Customer " + kWork + "/customers_out.csv");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(RunZtdesc("dump " + kWork + "/copy.isa Customer --csv").out, before);

  // Description file -> create -> export-desc gives the same table blocks.
  r = RunZtdesc("export-desc " + kWork + "/sample.isa " + kWork + "/export.cfg");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Expect("export.txt", r.out);
  r = RunZtdesc("export-desc " + kWork + "/copy.isa " + kWork + "/export-copy.cfg");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::string exported = ReadFile(kWork + "/export.cfg");
  Expect("export_cfg.txt", TableBlocks(exported));
  EXPECT_EQ(TableBlocks(ReadFile(kWork + "/export-copy.cfg")), TableBlocks(exported));
  r = RunZtdesc("create " + kWork + "/export.cfg " + kWork + "/again.isa");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = RunZtdesc("export-desc " + kWork + "/again.isa " + kWork + "/again.cfg");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(TableBlocks(ReadFile(kWork + "/again.cfg")), TableBlocks(exported));
}

// A table whose names, field names and texts use every printable character of
// Windows-1252: dump --csv, then import into an empty copy, gives the same
// records; the table is named on the command line with its umlauts, and a
// selection names a field with its umlaut.
TEST_F(ZtdescEndToEnd, EveryWindows1252CharacterRoundTrips) {
  std::string printable;  // Windows-1252, the blank not first
  for (unsigned c = 0x21; c < 0x100; ++c) {
    if (c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) continue;
    printable += static_cast<char>(c);
    if (c == 0x25) printable += ' ';
  }
  ASSERT_EQ(218u, printable.size());
  // Eight text fields named with 28 characters each, and "Titelä".
  const unsigned kFields = 8, kNameLength = 28, kFieldLength = 40;
  std::vector<std::string> names;
  for (unsigned f = 0; f < kFields; ++f) names.push_back(printable.substr(f * kNameLength, kNameLength));
  names.push_back("Titel\xE4");
  std::string cfg =
      "Table: \"B\xFC"
      "cher\x80\"\n";
  for (unsigned f = 0; f < names.size(); ++f) {
    std::string quoted;
    for (char c : names[f]) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    cfg += "Field: " + std::to_string(f * kFieldLength) + ", " + std::to_string(kFieldLength) +
           ", 7, 0x0000, 0, 0x0000, 0, 10, \"" + quoted + "\"\n";
  }
  cfg += "Key: 0\nKeyPart: \"TEXT\", \"Titel\xE4\"\nTable: END\n";
  WriteFile(kWork + "/every.cfg", cfg);
  Result r = RunZtdesc("create " + kWork + "/every.cfg " + kWork + "/every.isa");
  ASSERT_EQ(r.exitCode, 0) << r.err;

  // The records: every character in the texts, forwards and backwards, with
  // leading blanks now and then.
  std::string csv = "\xEF\xBB\xBF";  // UTF-8, as the byte order mark tells Windows too
  for (unsigned f = 0; f < names.size(); ++f) {
    std::string name;
    for (char c : ztCp1252ToUtf8(names[f])) name += c == '"' ? std::string("\"\"") : std::string(1, c);
    csv += (f ? ";\"" : "\"") + name + "\"";
  }
  csv += "\n";
  std::vector<std::string> rows;
  for (unsigned row = 0; row < 4; ++row) {
    std::string line;
    for (unsigned f = 0; f < names.size(); ++f) {
      std::string text = printable.substr((row * 37 + f * 29) % 180, 38);
      if (row == 1) text = std::string(text.rbegin(), text.rend());
      if (row == 2) text = "  " + text.substr(0, 30);
      if (f + 1 == names.size()) text = std::to_string(row) + text.substr(1);  // a key in the order written
      while (!text.empty() && text.back() == ' ') text.pop_back();             // trailing blanks are padding
      std::string quoted;
      for (char c : ztCp1252ToUtf8(text)) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
      line += (f ? ";\"" : "\"") + quoted + "\"";
    }
    csv += line + "\n";
  }
  WriteFile(kWork + "/every.csv", csv);
  const std::string table =
      Arg("B\xC3\xBC"
          "cher\xE2\x82\xAC");
  r = RunZtdesc("import " + kWork + "/every.isa '" + table + "' " + kWork + "/every.csv");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(kWork +
                "/every.isa: 4 records imported into B\xC3\xBC"
                "cher\xE2\x82\xAC\n",
            r.out);

  r = RunZtdesc("dump " + kWork + "/every.isa '" + table + "' --csv");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string dumped = r.out;
  EXPECT_EQ(5, std::count(dumped.begin(), dumped.end(), '\n'));
  // Read back as written (Windows-1252 on Windows).
  WriteFile(kWork + "/dumped.csv", ReadFile(kWork + "_stdout.txt"));
  r = RunZtdesc("copy " + kWork + "/every.isa " + kWork + "/again.isa");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = RunZtdesc("import " + kWork + "/again.isa '" + table + "' " + kWork + "/dumped.csv");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = RunZtdesc("dump " + kWork + "/again.isa '" + table + "' --csv");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(dumped, r.out);
  // Every character came back in the texts, and in the header's names.
  for (unsigned char c : printable)
    EXPECT_NE(std::string::npos, dumped.find(ztCp1252ToUtf8(std::string(1, static_cast<char>(c)))))
        << static_cast<unsigned>(c);
  EXPECT_EQ(0u, dumped.find(std::string("\"") + "!\"\"#$% &'()*+,-./0123456789:"));

  r = RunZtdesc("count " + kWork + "/every.isa '" + table + "' --where '" + Arg("Titel\xC3\xA4") + "<>1*'");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ("3\n", r.out);

  // dump --json writes the names and texts dump shows, UTF-8 in every build;
  // import --json reads them back into an empty copy; export-sqlite stores them.
  r = RunZtdesc("dump " + kWork + "/every.isa '" + table + "' --json", true);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string json = r.out;
  const std::vector<std::string> csvLines = Lines(dumped), jsonLines = Lines(json);
  ASSERT_EQ(csvLines.size(), jsonLines.size() + 1);
  const std::vector<std::string> header = CsvValues(csvLines[0]);
  for (size_t row = 0; row < jsonLines.size(); ++row) {
    std::vector<ZTJsonMember> members;
    std::string error;
    ASSERT_TRUE(ZTJsonLineReader::ParseLine(jsonLines[row].data(), jsonLines[row].size(), members, error)) << error;
    const std::vector<std::string> shown = CsvValues(csvLines[row + 1]);
    ASSERT_EQ(members.size(), shown.size());
    for (size_t f = 0; f < shown.size(); ++f) {
      EXPECT_EQ(header[f], members[f].key);
      EXPECT_EQ(shown[f], members[f].text) << "record " << row << ", field " << f;
    }
  }
  WriteFile(kWork + "/every.jsonl", json);
  ASSERT_EQ(RunZtdesc("copy " + kWork + "/every.isa " + kWork + "/json.isa").exitCode, 0);
  r = RunZtdesc("import " + kWork + "/json.isa '" + table + "' --json " + kWork + "/every.jsonl");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(dumped, RunZtdesc("dump " + kWork + "/json.isa '" + table + "' --csv").out);
  ExpectExportedAsDumped(kWork + "/every.isa", {"B\xFC"
                                                "cher\x80"});
#ifndef _WIN32
  // The table named with its umlauts and the euro sign, as the other commands take it; --where too.
  const std::string where = kWork + "/where.db";
  r = RunZtdesc("export-sqlite " + kWork + "/every.isa " + where + " '" + table + "' --where '" + Arg("Titel\xC3\xA4") +
                "<>1*'");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(3, SqliteCount(where,
                           "B\xC3\xBC"
                           "cher\xE2\x82\xAC"));
#endif
}

// Mistakes people make typing selections and data: each gets its own message.
TEST_F(ZtdescEndToEnd, MistakesAreExplained) {
  ASSERT_EQ(0, RunZtdesc("create " + kWork + "/sample.cfg " + kWork + "/sample.isa").exitCode);
  ASSERT_EQ(0, RunZtdesc("import " + kWork + "/sample.isa Customer " + kWork + "/customers.csv").exitCode);
  Result r = RunZtdesc("count " + kWork + "/sample.isa Customer --where 'Rating>abc'");
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ(
      "zt_tbl32 Fehler (Fehlercode = 747): Der Wert \"abc\" passt nicht zur Spalte \"RATING\": sie erwartet eine "
      "Zahl bzw. ein g\xC3\xBCltiges Datum.\n",
      r.err);
  r = RunZtdesc("--language E count " + kWork + "/sample.isa Customer --where 'Since<31.02.2020'");
  EXPECT_EQ(1, r.exitCode);
  EXPECT_NE(std::string::npos, r.err.find("= 747): The value \"31.02.2020\" does not fit the column \"SINCE\""))
      << r.err;
  EXPECT_EQ("0\n", RunZtdesc("count " + kWork + "/sample.isa Customer --where 'Rating>2147483648'").out);
  const std::string all = RunZtdesc("count " + kWork + "/sample.isa Customer").out;
  EXPECT_EQ(all, RunZtdesc("count " + kWork + "/sample.isa Customer --where 'Rating<2147483648'").out);
  r = RunZtdesc("dump " + kWork + "/sample.isa Customer --where 'Rating>-99999999999999999999999' --csv");
  EXPECT_EQ(all, std::to_string(std::count(r.out.begin(), r.out.end(), '\n') - 1) + "\n");
  r = RunZtdesc("dump " + kWork + "/sample.isa Customer --where 'Rating>2147483648'");
  EXPECT_NE(std::string::npos, r.out.find("\n(0 records)\n")) << r.out;
  r = RunZtdesc("count " + kWork + "/sample.isa Customer --where 'Rating=1&&'");
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ(
      "ztdesc: the selection \"Rating=1&&\" cannot be read: a logical operator (UND, ODER, XOR, ...) has "
      "nothing after it\n",
      r.err);
  // Text the file holds that the table cannot: one message with line, field and reason.
  WriteFile(kWork + "/bad.csv",
            "\xEF\xBB\xBF"
            "CustNo;Name\n1;5 \xE2\x82\xAC Rabatt\n2;\xE2\x80\x9E"
            "Bonn\xE2\x80\x9C\n3;" +
                std::string(2000, 'x') + "\xE4\xB8\xAD\n");
  r = RunZtdesc("import " + kWork + "/sample.isa Customer " + kWork + "/bad.csv");
  EXPECT_EQ(1, r.exitCode);
  EXPECT_NE(std::string::npos, r.err.find("bad.csv:4: field Name: ")) << r.err;
  EXPECT_NE(std::string::npos, r.err.find("...\": U+4E2D")) << r.err;
#ifndef _WIN32
  EXPECT_EQ("ztdesc: " + kWork + "/bad.csv:4: field Name: \"" + std::string(40, 'x') +
                "...\": U+4E2D (\xE4\xB8\xAD) is not in Windows-1252\n",
            r.err);
#endif
}

TEST_F(ZtdescEndToEnd, UsageAndFailures) {
  for (const char* command :
       {"show", "verify", "create", "copy", "export-desc", "import", "dump", "check", "demo", "export-sqlite"}) {
    Result r = RunZtdesc(std::string(command) + " --help");
    EXPECT_EQ(r.exitCode, 0) << command;
    EXPECT_EQ(r.out.rfind(std::string("usage: ztdesc ") + command, 0), 0u) << r.out;
  }
  Result r = RunZtdesc("--help");
  EXPECT_EQ(r.exitCode, 0);
  Expect("help.txt", r.out);
  EXPECT_EQ(RunZtdesc("").exitCode, 2);
  EXPECT_EQ(RunZtdesc("frobnicate").exitCode, 2);
  EXPECT_EQ(RunZtdesc("show").exitCode, 2);
  EXPECT_EQ(RunZtdesc("dump " + kWork + "/sample.isa").exitCode, 2);
  EXPECT_EQ(RunZtdesc("dump a b --limit x").exitCode, 2);
  EXPECT_EQ(RunZtdesc("copy a").exitCode, 2);
  r = RunZtdesc("show " + kWork + "/missing.cfg");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "ztdesc: " + kWork + "/missing.cfg: no such file\n");
  r = RunZtdesc("copy " + kWork + "/missing.isa " + kWork + "/x.isa");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("1551"), std::string::npos) << r.err;
}

TEST_F(ZtdescEndToEnd, Demo) {
  Result r = RunZtdesc("demo " + kWork + "/demo");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Expect("demo.txt", r.out);
  EXPECT_EQ(ReadFile(kWork + "/demo/sample.cfg").empty(), false);
  ExpectExportedAsDumped(kWork + "/demo/sample.isa", {"Customer", "Order"});
#ifndef _WIN32
  // --where exports exactly what count counts.
  const std::string where = kWork + "/where.db";
  r = RunZtdesc("export-sqlite " + kWork + "/demo/sample.isa " + where + " Order Customer --where 'CustNo<10100'");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* table : {"Order", "Customer"}) {
    Result count = RunZtdesc("count " + kWork + "/demo/sample.isa " + table + " --where 'CustNo<10100'");
    EXPECT_EQ(std::to_string(SqliteCount(where, table)) + "\n", count.out) << table;
    EXPECT_NE(count.out, "0\n");
  }
#endif
}

}  // namespace

namespace {

// A table of every encoding and content kind that import can write, and one of
// those it cannot (80-bit floats, UTF-16 text).
const char kKindsCfg[] =
    "Table: \"Kinds\"\n"
    "Field: 0, 1, 0, 0x0011, 1, 0x0011, 1, 4, \"Small\"\n"
    "Field: 1, 2, 1, 0x0001, 1, 0x0001, 1, 4, \"Count\"\n"
    "Field: 3, 4, 2, 0x2011, 1, 0x0011, 1, 4, \"Cents\"\n"
    "Field: 7, 8, 3, 0x0001, 1, 0x0001, 1, 4, \"Big\"\n"
    "Field: 15, 4, 4, 0x0001, 1, 0x2001, 1, 4, \"Ratio\"\n"
    "Field: 19, 8, 5, 0x0001, 1, 0x3001, 1, 4, \"Weight\"\n"
    "Field: 27, 12, 7, 0x0000, 0, 0x0000, 0, 4, \"Name\"\n"
    "Field: 39, 8, 7, 0x0021, 1, 0x0021, 1, 4, \"Code\"\n"
    "Field: 47, 8, 7, 0x2011, 1, 0x2011, 1, 4, \"Rate\"\n"
    "Field: 55, 12, 7, 0x20D3, 1, 0x20C3, 1, 4, \"Amount\"\n"
    "Field: 67, 10, 7, 0x0102, 0, 0x8102, 0, 4, \"Day\"\n"
    "Field: 77, 16, 7, 0x8302, 0, 0x20302, 0, 4, \"Stamp\"\n"
    "Field: 93, 8, 7, 0x0202, 0, 0x0202, 0, 4, \"Clock\"\n"
    "Key: 1, 0, 0, 0, 0\nKeyPart: \"UINT16\", \"Count\"\n"
    "Key: 0, 0, 0, 0, 0\nKeyPart: \"ITEXT\", \"Name\"\nKeyPart: \"TEXT\", \"Day\"\n"
    "Key: 0, 0, 0, 1, 0\nKeyPart: \"NUMTEXT\", \"Code\"\n"
    "Table: END\n"
    "Table: \"Wide\"\n"
    "Field: 0, 2, 1, 0x0001, 1, 0x0001, 1, 4, \"Id\"\n"
    "Field: 2, 10, 6, 0x0001, 1, 0x0001, 1, 4, \"Extended\"\n"
    "Field: 12, 8, 8, 0x0000, 0, 0x0000, 0, 4, \"Wide\"\n"
    "Key: 1, 0, 0, 0, 0\nKeyPart: \"UINT16\", \"Id\"\n"
    "Table: END\n";

void Put(std::string& record, size_t offset, const void* bytes, size_t length) {
  record.replace(offset, length, static_cast<const char*>(bytes), length);
}

// Stores the raw records into a new table file made from the description.
void MakeKindsFile(const std::string& isam) {
  WriteFile(kWork + "/kinds.cfg", kKindsCfg);
  Result r = RunZtdesc("create " + kWork + "/kinds.cfg " + isam);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  struct Row {
    int8_t small;
    uint16_t count;
    int32_t cents;
    uint64_t big;
    float ratio;
    double weight;
    const char *name, *code, *rate, *amount, *day, *stamp, *clock;
  } rows[] = {
      {-1, 1, -1005, 9223372036854775807ull, 0.1f, 2.5, "M\xFCller", "00000042", "   12,50", "    -1234,56",
       "31.01.2024", "2024013113:45:30", "23:59:59"},
      {127, 2, 5, 0, -3.25f, 1e6, "A;B \"q\"", "00000007", "        ", "        0,00", "          ", "                ",
       "00:00:00"},
      {0, 3, 0, 1, 0, -0.125, "", "00000042", "   -1,00", "  1000000,00", "29.02.2000", "1999123123:59:59", "12:00:00"},
  };
  ISAMFILE file = nullptr;
  ISAMTABLE table = nullptr;
  unsigned detail = 0, address = 0;
  ASSERT_EQ(ISAMOpen(&file, isam.c_str(), ISAM_OPEN_READWRITE, &detail), 0u);
  ASSERT_EQ(ISAMOpenTable(file, "Kinds", &table), 0u);
  for (const Row& row : rows) {
    std::string record(101, ' ');
    Put(record, 0, &row.small, 1);
    Put(record, 1, &row.count, 2);
    Put(record, 3, &row.cents, 4);
    Put(record, 7, &row.big, 8);
    Put(record, 15, &row.ratio, 4);
    Put(record, 19, &row.weight, 8);
    Put(record, 27, row.name, strlen(row.name));
    Put(record, 39, row.code, 8);
    Put(record, 47, row.rate, 8);
    Put(record, 55, row.amount, 12);
    Put(record, 67, row.day, 10);
    Put(record, 77, row.stamp, 16);
    Put(record, 93, row.clock, 8);
    EXPECT_EQ(ISAMInsertRecord(table, record.data(), &address), 0u);
  }
  ISAMCloseTable(table);
  ASSERT_EQ(ISAMOpenTable(file, "Wide", &table), 0u);
  // Id 1: 1.5 and "Aé"; id 2: -0.75 and empty.
  const unsigned char wide[2][20] = {{1, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F, 'A', 0, 0xE9, 0, ' ', 0, 0, 0},
                                     {2, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFE, 0xBF, 0, 0, 0, 0, 0, 0, 0, 0}};
  for (const unsigned char* record : wide) EXPECT_EQ(ISAMInsertRecord(table, record, &address), 0u);
  ISAMCloseTable(table);
  EXPECT_EQ(ISAMClose(file, &detail), 0u);
}

}  // namespace

TEST_F(ZtdescEndToEnd, ExportSqlite) {
  const std::string kinds = kWork + "/kinds.isa", db = kWork + "/kinds.db";
  MakeKindsFile(kinds);
  ExpectExportedAsDumped(kinds, {"Kinds", "Wide"});
#ifndef _WIN32
  // What dump cannot show.
  sqlite3* handle = nullptr;
  ASSERT_EQ(sqlite3_open_v2((kWork + "/export.db").c_str(), &handle, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* rows = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(handle, "SELECT Extended, Wide FROM Wide ORDER BY Id", -1, &rows, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(rows), SQLITE_ROW);
  EXPECT_EQ(SqliteValue(rows, 0) + "|" + SqliteValue(rows, 1), "R:1.5|T:A\xC3\xA9");
  ASSERT_EQ(sqlite3_step(rows), SQLITE_ROW);
  EXPECT_EQ(SqliteValue(rows, 0) + "|" + SqliteValue(rows, 1), "R:-0.75|T:");
  sqlite3_finalize(rows);
  sqlite3_close(handle);

  // Only the tables named; an existing target is refused and left as it is.
  Result r = RunZtdesc("export-sqlite " + kinds + " " + db + " kinds");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, db + ": 3 records exported into Kinds\n");
  EXPECT_EQ(SqliteCount(db, "Wide"), -1);
  const std::string before = ReadFile(db);
  r = RunZtdesc("export-sqlite " + kinds + " " + db);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "ztdesc: " + db + " exists already\n");
  EXPECT_EQ(ReadFile(db), before);

  // --where: exactly the records count picks, in every table named.
  std::filesystem::remove(db);
  r = RunZtdesc("export-sqlite " + kinds + " " + db + " Kinds --where 'Code=42'");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(std::to_string(SqliteCount(db, "Kinds")) + "\n",
            RunZtdesc("count " + kinds + " Kinds --where 'Code=42'").out);
  EXPECT_EQ(SqliteCount(db, "Kinds"), 2);

  // A failure on the way (two numbers the text key tells apart, a unique index
  // cannot) leaves no database.
  WriteFile(kWork + "/dupes.cfg",
            "Table: \"Dupes\"\nField: 0, 4, 7, 0x0001, 1, 0x0001, 1, 4, \"N\"\n"
            "Key: 1, 0, 0, 0, 0\nKeyPart: \"TEXT\", \"N\"\nTable: END\n");
  ASSERT_EQ(RunZtdesc("create " + kWork + "/dupes.cfg " + kWork + "/dupes.isa").exitCode, 0);
  ISAMFILE file = nullptr;
  ISAMTABLE table = nullptr;
  unsigned detail = 0, address = 0;
  ASSERT_EQ(ISAMOpen(&file, (kWork + "/dupes.isa").c_str(), ISAM_OPEN_READWRITE, &detail), 0u);
  ASSERT_EQ(ISAMOpenTable(file, "Dupes", &table), 0u);
  EXPECT_EQ(ISAMInsertRecord(table, "0012", &address), 0u);
  EXPECT_EQ(ISAMInsertRecord(table, "  12", &address), 0u);
  ISAMCloseTable(table);
  EXPECT_EQ(ISAMClose(file, &detail), 0u);
  r = RunZtdesc("export-sqlite " + kWork + "/dupes.isa " + kWork + "/dupes.db");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("UNIQUE constraint failed"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("no database was written"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(kWork + "/dupes.db"));
  EXPECT_FALSE(std::filesystem::exists(kWork + "/dupes.db.part"));
#endif
  EXPECT_EQ(RunZtdesc("export-sqlite " + kinds).exitCode, 2);
  EXPECT_EQ(RunZtdesc("export-sqlite " + kinds + " " + db + " NoSuchTable").exitCode, 1);
}

TEST_F(ZtdescEndToEnd, JsonLinesOutAndIn) {
  const std::string isam = kWork + "/sample.isa", copy = kWork + "/copy.isa", kinds = kWork + "/kinds.isa";
  ASSERT_EQ(RunZtdesc("create " + kWork + "/sample.cfg " + isam).exitCode, 0);
  ASSERT_EQ(RunZtdesc("import " + isam + " Customer " + kWork + "/customers.csv").exitCode, 0);
  ASSERT_EQ(RunZtdesc("import " + isam + " Order " + kWork + "/orders.csv").exitCode, 0);
  MakeKindsFile(kinds);
  Result r = RunZtdesc("dump " + isam + " Order --json --limit 2", true);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Expect("dump_order_json.txt", r.out);
  r = RunZtdesc("dump " + kinds + " Kinds --json", true);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Expect("dump_kinds_json.txt", r.out);

  // What dump --json writes, import --json reads: into an empty copy, the same records.
  ASSERT_EQ(RunZtdesc("copy " + isam + " " + copy).exitCode, 0);
  ASSERT_EQ(RunZtdesc("copy " + kinds + " " + kWork + "/kinds-copy.isa").exitCode, 0);
  const std::pair<std::string, std::string> tables[] = {{isam, "Customer"}, {isam, "Order"}, {kinds, "Kinds"}};
  for (const auto& table : tables) {
    const std::string target = table.first == isam ? copy : kWork + "/kinds-copy.isa";
    WriteFile(kWork + "/out.jsonl", RunZtdesc("dump " + table.first + " " + table.second + " --json", true).out);
    r = RunZtdesc("import " + target + " " + table.second + " --json " + kWork + "/out.jsonl");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(RunZtdesc("dump " + target + " " + table.second + " --csv").out,
              RunZtdesc("dump " + table.first + " " + table.second + " --csv").out)
        << table.second;
  }

  // A bad line stops the import with line and field, and nothing is stored.
  const std::string before = RunZtdesc("dump " + copy + " Order --csv").out;
  struct {
    const char* line;
    const char* message;
  } bad[] = {
      {"{\"OrderNo\":9,\"Amount\":\"12,5\"}", "bad.jsonl:2: field Amount: \"12,5\": not a number\n"},
      {"{\"OrderNo\":9,\"OrderDate\":\"2021-01-05\"}",
       "bad.jsonl:2: field OrderDate: \"2021-01-05\": not a date or time in the form YYYY-MM-DD HH:MM:SS\n"},
      {"{\"OrderNo\":70000, \"Quantity\":70000}",
       "bad.jsonl:2: field Quantity: 70000: value out of the range of a unsigned 16-bit integer\n"},
      {"{\"OrderNo\":9,\"Colour\":\"red\"}", "bad.jsonl:2: no field \"Colour\" in table Order\n"},
      {"{\"OrderNo\":9,", "bad.jsonl:2: column 14: a name in double quotes expected\n"},
  };
  for (const auto& b : bad) {
    WriteFile(kWork + "/bad.jsonl", std::string("{\"OrderNo\":8}\n") + b.line + "\n");
    r = RunZtdesc("import " + copy + " Order --json " + kWork + "/bad.jsonl");
    EXPECT_EQ(r.exitCode, 1) << b.line;
    EXPECT_EQ(r.err, "ztdesc: " + kWork + "/" + b.message);
  }
  EXPECT_EQ(RunZtdesc("dump " + copy + " Order --csv").out, before);
  EXPECT_EQ(RunZtdesc("dump " + copy + " Order --csv --json").exitCode, 2);
}
