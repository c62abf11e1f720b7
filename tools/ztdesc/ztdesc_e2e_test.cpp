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

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sample_data.h"
#include "test_files.h"

namespace {

const std::string kTestData = std::string(ZT_TEST_SOURCE_DIR) + "/testdata/";
const std::string kWork = "ztdesc_e2e";

#ifdef _WIN32
// Windows-1252 output as the UTF-8 of the expected files (Latin-1 range).
std::string ToUtf8(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}
#endif

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
  return {exitCode, ReadFile(out), ReadFile(err)};
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
