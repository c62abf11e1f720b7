// Reading a large description file the way the file description reads it,
// against a baseline that only reads the file and splits it into lines.
//
//   build/native-release/bin/conffile_bench [repetitions]
//   cmake/wine-run.sh build/win32/bin/conffile_bench.exe [repetitions]   (the 32-bit DLL)
//
// For 500, 1,000 and 2,000 table blocks of 50 fields and 4 keys each it prints
// the best processor time of both out of the repetitions and their ratio.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <chrono>
#include <string>
#include <vector>

#include "zt_lib32/conf_file.h"
#include "zt_lib32/strings.h"

namespace {

constexpr unsigned kFields = 50;
constexpr unsigned kKeys = 4;
constexpr unsigned kKeyParts = 2;

// Writes the description file through the writer, as the file description does.
bool Generate(const char* fileName, unsigned tables) {
  CZTConfFile conf;
  if (!conf.StartEdit(0x10000, 8, 32, 24, 80, 104)) return false;
  conf.EditHdDelLine();
  conf.EditHdParamLine(0, "Data File Description");
  conf.EditHdDelLine();
  conf.EditComment(nullptr);
  char name[32], data[160];
  for (unsigned t = 0; t < tables; ++t) {
    ztFormat(name, sizeof(name), "TABLE_%05u", t);
    conf.EditTextLine("Table:", name, nullptr);
    conf.EditIntLine("IndexNodeSize:", 1024, nullptr);
    conf.EditComment(nullptr);
    for (unsigned f = 0; f < kFields; ++f) {
      ztFormat(data, sizeof(data), "%4u, %3u, %u, 0x%04X, %u, 0x%04X, %u, %2u, \"%s%u\"", f * 8, 8, 3, 0x0001, 0,
               0x0001, 1, 12, "FIELD_", f);
      conf.EditDataLine("Field:", data, nullptr);
    }
    for (unsigned k = 0; k < kKeys; ++k) {
      conf.EditComment(nullptr);
      ztFormat(data, sizeof(data), "%u, %u, %u, %u, %u", k == 0, 0, 0, 0, 0);
      conf.EditDataLine("Key:", data, nullptr);
      for (unsigned p = 0; p < kKeyParts; ++p) {
        ztFormat(data, sizeof(data), "\"%s\", \"FIELD_%u\"", "ULONG", k + p);
        conf.EditDataLine("KeyPart:", data, nullptr);
      }
    }
    conf.EditDataLine("Table:", "END", nullptr);
    conf.EditComment(nullptr);
  }
  return conf.GetEditError() == 0 && conf.WriteEdit(fileName, 0);
}

// The baseline: the file into memory and split into lines.
unsigned long long Baseline(const char* fileName) {
  FILE* f = fopen(fileName, "rb");
  if (!f) return 0;
  fseek(f, 0, SEEK_END);
  long size = ftell(f);
  fseek(f, 0, SEEK_SET);
  std::vector<char> text(static_cast<size_t>(size));
  size_t got = fread(text.data(), 1, text.size(), f);
  fclose(f);
  std::vector<unsigned> starts;
  starts.reserve(got / 32);
  unsigned long long sum = 0;
  size_t i = 0;
  while (i < got) {
    starts.push_back(static_cast<unsigned>(i));
    const void* lf = memchr(text.data() + i, '\n', got - i);
    size_t stop = lf ? static_cast<size_t>(static_cast<const char*>(lf) - text.data()) : got;
    const void* cr = memchr(text.data() + i, '\r', stop - i);
    if (cr) stop = static_cast<size_t>(static_cast<const char*>(cr) - text.data());
    sum += stop - i;
    i = stop;
    if (i < got && text[i] == '\r') ++i;
    if (i < got && text[i] == '\n') ++i;
  }
  return sum + starts.size();
}

// The reader, walked like the file, table, key and field descriptions walk it.
unsigned long long ReadDescription(const char* fileName, unsigned* tablesRead) {
  CZTConfFile conf;
  unsigned long long sum = 0;
  *tablesRead = 0;
  if (!conf.Read(fileName, 1, 1)) return 0;
  unsigned tables = 0;
  if (!conf.GetBlockCount("TABLE", &tables) || !tables || !conf.SelectBlock("TABLE")) return 0;
  for (unsigned t = 0; t < tables; ++t) {
    char name[32], type[32], field[32];
    unsigned length, value = 0, count = 0, values[8];
    if (conf.GetText("TABLE", name, sizeof(name), &length)) return 0;
    if (conf.GetWord("INDEXNODESIZE", &value)) value = 2048;
    sum += length + value;
    unsigned keys = 0;
    conf.GetBlockCount("KEY", &keys);
    if (keys && conf.SelectBlock("KEY")) {
      for (unsigned k = 0; k < keys; ++k) {
        if (conf.GetWords("KEY", values, 5, &count)) return 0;
        unsigned parts = conf.GetKeyCount("KEYPART");
        conf.StartRange();
        for (unsigned p = 0; p < parts; ++p) {
          unsigned l1, l2;
          if (conf.Get2Text("KEYPART", type, 32, &l1, field, 32, &l2)) return 0;
          sum += l1 + l2;
        }
        conf.EndRange();
        if (!conf.SelectNextBlock()) break;
      }
      conf.LeaveBlock();
    }
    unsigned fields = 0;
    conf.GetBlockCount("FIELD", &fields);
    if (fields && conf.SelectBlock("FIELD")) {
      for (unsigned f = 0; f < fields; ++f) {
        if (conf.GetWordsText("FIELD", values, 8, &count, name, sizeof(name), &length)) return 0;
        sum += values[0] + count + length;
        if (!conf.SelectNextBlock()) break;
      }
      conf.LeaveBlock();
    }
    // The gallery lines, absent here, are looked for all the same.
    unsigned size[2];
    conf.GetWord("GALLERYLAYOUT", &value);
    conf.GetWord("GALLERYDIAMODE", &value);
    conf.GetWords("GALLERYDIASIZE", size, 2, &count);
    sum += conf.GetKeyCount("IMAGEFILENAME");
    ++*tablesRead;
    if (t + 1 < tables && !conf.SelectNextBlock()) return 0;
  }
  conf.LeaveBlock();
  return sum;
}

// Only the reader's loading and line index, to show where the time goes.
unsigned long long LoadOnly(const char* fileName) {
  CZTConfFile conf;
  return conf.Read(fileName, 1, 1) ? conf.GetLineCount() : 0;
}

// Processor time of this process: on a shared machine the wall clock mostly
// measures the other processes. Windows' clock() is the wall clock in
// milliseconds, too coarse here: the steady clock, the best run of several
// taken as the time of the undisturbed one.
double Now() {
#ifdef _WIN32
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
#else
  return static_cast<double>(clock()) / CLOCKS_PER_SEC;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  unsigned repetitions = argc > 1 ? static_cast<unsigned>(atoi(argv[1])) : 7;
  if (repetitions == 0) repetitions = 1;
  printf("%8s %10s %12s %12s %12s %7s %14s\n", "tables", "bytes", "baseline ms", "load ms", "reader ms", "ratio",
         "reader us/tbl");
  for (unsigned tables : {500u, 1000u, 2000u}) {
    const char* fileName = "conffile_bench.cfg";
    if (!Generate(fileName, tables)) {
      fprintf(stderr, "cannot write %s\n", fileName);
      return 1;
    }
    double best = 1e9, bestReader = 1e9, bestLoad = 1e9;
    unsigned long long check = 0;
    unsigned tablesRead = 0;
    for (unsigned r = 0; r < repetitions; ++r) {
      double start = Now();
      check += Baseline(fileName);
      double s = Now() - start;
      if (s < best) best = s;
      start = Now();
      check += LoadOnly(fileName);
      s = Now() - start;
      if (s < bestLoad) bestLoad = s;
      start = Now();
      check += ReadDescription(fileName, &tablesRead);
      s = Now() - start;
      if (s < bestReader) bestReader = s;
    }
    if (tablesRead != tables) {
      fprintf(stderr, "read %u of %u tables\n", tablesRead, tables);
      return 1;
    }
    CZTConfFile probe;
    probe.Read(fileName, 1, 1);
    printf("%8u %10u %12.2f %12.2f %12.2f %7.2f %14.2f   (check %llu)\n", tables, probe.GetTextLength(), best * 1e3,
           bestLoad * 1e3, bestReader * 1e3, bestReader / best, bestReader * 1e6 / tables, check % 1000);
    remove(fileName);
  }
  return 0;
}
