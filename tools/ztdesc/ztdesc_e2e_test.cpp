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
#include "sample_data.h"

namespace {

const std::string kTestData = std::string(ZT_TEST_SOURCE_DIR) + "/testdata/";
const std::string kWork = "ztdesc_e2e";

std::string ReadFile(const std::string& name) {
  std::string content;
  FILE* f = fopen(name.c_str(), "rb");
  if (!f) return content;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) content.append(buffer, n);
  fclose(f);
  std::string out;  // line ends as on Linux
  for (char c : content)
    if (c != '\r') out += c;
  return out;
}

void WriteFile(const std::string& name, const std::string& content) {
  FILE* f = fopen(name.c_str(), "wb");
  ASSERT_NE(f, nullptr) << name;
  fwrite(content.data(), 1, content.size(), f);
  fclose(f);
}

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
// shell off an argument and are dropped).
Result RunZtdesc(const std::string& args) {
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
  return {static_cast<int>(exitCode), ToUtf8(ReadFile(out)), ToUtf8(ReadFile(err))};
#else
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
  for (const char* command : {"show", "verify", "create", "copy", "export-desc", "import", "dump", "check", "demo"}) {
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
}

}  // namespace
