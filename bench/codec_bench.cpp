// Nanoseconds per FormatData call against the C library doing the same job in
// the same run: snprintf of the same value, memcpy for a text.
//
//   cmake --preset native-release && cmake --build --preset native-release --target codec_bench
//   build/native-release/bin/codec_bench
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

#include "zt_tbl32.h"

namespace {

constexpr unsigned kRecords = 1024;
constexpr unsigned kRecordSize = 64;
volatile unsigned g_sink;

// Best of several runs, in nanoseconds per call.
double Measure(const std::function<unsigned(unsigned)>& body) {
  constexpr unsigned kCalls = 2000000;
  double best = 1e30;
  for (int run = 0; run < 7; ++run) {
    unsigned sink = 0;
    const auto start = std::chrono::steady_clock::now();
    for (unsigned i = 0; i < kCalls; ++i) sink += body(i & (kRecords - 1));
    const auto end = std::chrono::steady_clock::now();
    g_sink = sink;
    best = std::min(best, std::chrono::duration<double, std::nano>(end - start).count() / kCalls);
  }
  return best;
}

CZTFieldDesc Field(unsigned offset, unsigned length, unsigned encoding, unsigned content, unsigned display) {
  CZTFieldDesc f;
  f.m_uOffset = offset;
  f.m_uLength = length;
  f.m_uEncodeType = encoding;
  f.m_uContentType = content;
  f.m_uDisplayType = display;
  return f;
}

}  // namespace

int main() {
  // Records: int32 at 0, double at 4, fixed-point int32 at 12, date text at 16,
  // a 30-character text at 26. Values vary so that no branch is always the same.
  std::vector<unsigned char> records(kRecords * kRecordSize);
  std::vector<int32_t> ints(kRecords), cents(kRecords);
  std::vector<double> doubles(kRecords);
  std::vector<unsigned> days(kRecords), months(kRecords), years(kRecords);
  srand(7);
  for (unsigned r = 0; r < kRecords; ++r) {
    unsigned char* rec = &records[r * kRecordSize];
    ints[r] = rand() % 2000000 - 1000000;
    doubles[r] = (rand() % 20000000 - 10000000) / 1000.0;
    cents[r] = rand() % 10000000;
    days[r] = 1 + rand() % 28;
    months[r] = 1 + rand() % 12;
    years[r] = 1990 + rand() % 40;
    memcpy(rec, &ints[r], 4);
    memcpy(rec + 4, &doubles[r], 8);
    memcpy(rec + 12, &cents[r], 4);
    char date[16];
    FormatDateText(date, days[r], months[r], years[r], ZT_DATE_DD_MM_YYYY, 1, sizeof(date));
    memcpy(rec + 16, date, 10);
    for (unsigned i = 0; i < 30; ++i) rec[26 + i] = char('A' + (r + i) % 26);
  }
  const CZTFieldDesc fInt = Field(0, 4, ite32INTEGER, ZT_FMT_SIGNED, ZT_KIND_TEXT);
  const CZTFieldDesc fDouble = Field(4, 8, ite64FLOATING, 0, ztMakeFmt(ZT_KIND_TEXT, 0, 2));
  const CZTFieldDesc fAmount = Field(12, 4, ite32INTEGER, ztMakeFmt(ZT_KIND_NUMBER, 0, 2), ZT_KIND_TEXT);
  const CZTFieldDesc fDate = Field(16, 10, iteASCIITEXT, ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE, ZT_DATE_DD_MM_YYYY),
                                   ztMakeFmt(ZT_KIND_DATETIME, 0, ZT_DATE_YYYYMMDD));
  const CZTFieldDesc fText = Field(26, 30, iteASCIITEXT, 0, ZT_KIND_TEXT);

  char out[64];
  unsigned length;
  auto format = [&](const CZTFieldDesc& f) {
    return [&](unsigned r) {
      f.FormatData(out, sizeof(out), &length, &records[r * kRecordSize], kRecordSize);
      return length;
    };
  };
  struct Case {
    const char* name;
    std::function<unsigned(unsigned)> mine, baseline;
  };
  std::vector<Case> cases = {
      {"int32", format(fInt), [&](unsigned r) { return unsigned(snprintf(out, sizeof(out), "%d", ints[r])); }},
      {"double %.2f", format(fDouble),
       [&](unsigned r) { return unsigned(snprintf(out, sizeof(out), "%.2f", doubles[r])); }},
      {"fixed-point amount", format(fAmount),
       [&](unsigned r) { return unsigned(snprintf(out, sizeof(out), "%d,%02d", cents[r] / 100, cents[r] % 100)); }},
      {"date DD.MM.YYYY -> YYYYMMDD", format(fDate),
       [&](unsigned r) { return unsigned(snprintf(out, sizeof(out), "%04u%02u%02u", years[r], months[r], days[r])); }},
      {"text of 30 characters", format(fText),
       [&](unsigned r) {
         memcpy(out, &records[r * kRecordSize + 26], 30);
         out[30] = '\0';
         return unsigned(out[r & 31]);
       }},
  };
  // The same text both ways, once, so the comparison is between equal work.
  for (auto& c : cases) {
    char mine[64], theirs[64];
    for (unsigned r = 0; r < kRecords; ++r) {
      c.mine(r);
      memcpy(mine, out, sizeof(out));
      c.baseline(r);
      memcpy(theirs, out, sizeof(out));
      if (strcmp(mine, theirs) != 0) {
        printf("%s: record %u differs: \"%s\" against \"%s\"\n", c.name, r, mine, theirs);
        return 1;
      }
    }
  }
  printf("%-30s %12s %12s %8s\n", "FormatData case", "ns/call", "baseline", "ratio");
  int worse = 0;
  for (auto& c : cases) {
    const double mine = Measure(c.mine), base = Measure(c.baseline);
    printf("%-30s %12.2f %12.2f %8.2f\n", c.name, mine, base, mine / base);
    if (mine > 1.5 * base) ++worse;
  }
  printf("%d case(s) above 1.5 times the baseline\n", worse);
  // What a call into the library costs by itself, for reading the text case.
  const double call = Measure([](unsigned) { return ztGetTbl32Version(); });
  printf("%-30s %12.2f\n", "(empty library call)", call);
  return 0;
}
