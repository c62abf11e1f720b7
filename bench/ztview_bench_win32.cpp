// ztview_bench: the application's record window on a table of 10,000,000
// records, under Wine, driven through its window as a person drives it.
//
//   ztview_bench.exe [FOLDER] [RECORDS] [REPETITIONS]
//
// 1. Choosing the table in the table list until its first page is painted
//    (the browser opens the table, counts it, and the grid pulls the cells of
//    one window); the goal is 0.5 s.
// 2. A drag of the scroll bar's thumb to a line anywhere in the table until the
//    window is painted again there; the goal is 50 ms. The targets are spread
//    over the whole table in a fixed random order.
// Beside them, as a baseline in the same run: reading the same number of records
// of one window page by their index in a plain engine loop from the first and
// from the middle record.
// The table (a 32-bit number, its key, and a text) is made on the first run.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "view_frame.h"
#include "view_ids.h"

namespace {

double Now() {
  LARGE_INTEGER c, f;
  QueryPerformanceCounter(&c);
  QueryPerformanceFrequency(&f);
  return double(c.QuadPart) / double(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double Max(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

void Die(const char* what, unsigned e) {
  fprintf(stderr, "%s: %u %s\n", what, e, ISAMErrorText(e));
  exit(1);
}

const char kDescription[] =
    "Table: \"Big\"\n"
    "IndexNodeSize: 4096\n"
    "Field: 0, 4, 2, 0x0001, 1, 0x0001, 1, 10, \"No\"\n"
    "Field: 4, 28, 7, 0x0000, 0, 0x0000, 0, 28, \"Name\"\n"
    "Key: 1, 0, 0, 0, 0\n"
    "KeyPart: \"UINT32\", \"No\"\n"
    "Table: END\n";

void MakeTable(const std::string& cfg, const std::string& isa, unsigned records) {
  FILE* f = fopen(cfg.c_str(), "wb");
  if (!f) Die("fopen", 0);
  fputs(kDescription, f);
  fclose(f);
  CZTFileDesc desc;
  if (!desc.InitDescEdit(nullptr, cfg.c_str(), 0) || !desc.CreateISAMFile(nullptr, isa.c_str())) Die("create", 0);
  ISAMFILE file = nullptr;
  unsigned detail = 0, e = ISAMOpen(&file, isa.c_str(), ISAM_OPEN_READWRITE, &detail);
  if (e) Die("ISAMOpen", e);
  ISAMTABLE table = nullptr;
  if ((e = ISAMOpenTable(file, "Big", &table))) Die("ISAMOpenTable", e);
  unsigned char record[32];
  const char* names[] = {"Meier", "Schulz", "M\xfcller", "Becker", "Hoffmann", "Wagner", "Zimmermann"};
  // In key order: the engine's log then holds few pages per transaction (a scattered
  // order fills it with page images of the whole index before the file is closed).
  for (unsigned start = 0; start < records; start += 500000) {
    if ((e = ISAMBeginTransaction(file))) Die("ISAMBeginTransaction", e);
    for (unsigned i = start; i < records && i < start + 500000; ++i) {
      const unsigned no = i + 1;
      memset(record, ' ', sizeof(record));
      memcpy(record, &no, 4);
      char name[40];
      const int n = snprintf(name, sizeof(name), "%s %u", names[no % 7], no);
      memcpy(record + 4, name, size_t(n));
      unsigned address = 0;
      if ((e = ISAMInsertRecord(table, record, &address))) Die("ISAMInsertRecord", e);
    }
    if ((e = ISAMCommitTransaction(file))) Die("ISAMCommitTransaction", e);
    fprintf(stderr, "\r%u of %u records", start + 500000 < records ? start + 500000 : records, records);
  }
  fprintf(stderr, "\n");
  ISAMCloseTable(table);
  ISAMClose(file, &detail);
}

// The plain loop: the records of one page read in index order from a position.
double PlainPage(const std::string& isa, unsigned lines, unsigned fromNo) {
  ISAMFILE file = nullptr;
  unsigned detail = 0;
  ISAMOpen(&file, isa.c_str(), ISAM_OPEN_READONLY, &detail);
  ISAMTABLE table = nullptr;
  ISAMOpenTable(file, "Big", &table);
  const double t0 = Now();
  // The limit as the record holds the key's field.
  unsigned e = ISAMSetupIterationLimits(table, 0, ISAM_ITER_FORWARD, &fromNo, nullptr);
  unsigned char record[32];
  for (unsigned i = 0; i < lines && !e; ++i) {
    unsigned address = 0;
    e = ISAMReadNextRecord(table, 0, record, &address, nullptr);
  }
  const double t = Now() - t0;
  ISAMCloseTable(table);
  ISAMClose(file, &detail);
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : ".";
  const unsigned records = argc > 2 ? unsigned(strtoul(argv[2], nullptr, 10)) : 10000000u;
  const unsigned repetitions = argc > 3 ? unsigned(strtoul(argv[3], nullptr, 10)) : 20;
  const std::string cfg = folder + "\\ztview_bench.cfg";
  const std::string isa = folder + "\\ztview_bench_" + std::to_string(records) + ".isa";
  if (GetFileAttributesA(isa.c_str()) == INVALID_FILE_ATTRIBUTES) {
    const double t0 = Now();
    MakeTable(cfg, isa, records);
    printf("table of %u records made in %.1f s\n", records, Now() - t0);
  }
  ztSetBoxHandler(ztStderrBoxHandler, nullptr);

  CViewFrame frame;
  ztStrCopy(frame.m_Settings.m_szFileName, (folder + "\\ztview_bench_settings.cfg").c_str(),
            sizeof(frame.m_Settings.m_szFileName));
  if (!frame.Create(GetModuleHandleA(nullptr), SW_SHOW) || !frame.Open(isa.c_str())) Die("open", 0);
  HWND grid = frame.m_hRecords;
  IGridView* view = reinterpret_cast<IGridView*>(SendMessageA(grid, ZT_GRID_QUERY, 0, 0));

  // 1. Choosing the table until its first page is painted.
  std::vector<double> choose;
  for (unsigned r = 0; r < repetitions; ++r) {
    frame.SelectTable(0xFFFFFFFFu);
    UpdateWindow(grid);
    const double t0 = Now();
    frame.SelectTable(0);
    UpdateWindow(grid);
    choose.push_back(Now() - t0);
  }
  const unsigned lines = view->GetItemCount();
  RECT client;
  GetClientRect(grid, &client);
  // Lines of one window: those shown whole from the top.
  unsigned pageLines = 0;
  while (pageLines < lines && view->GetItemVisibility(view->GetTopItem() + pageLines) == 0) ++pageLines;

  // 2. Thumb drags to lines spread over the table.
  std::vector<double> drags;
  unsigned seed = 12345;
  unsigned wrong = 0;
  for (unsigned r = 0; r < repetitions * 5; ++r) {
    seed = seed * 1103515245u + 12345u;
    const unsigned target = unsigned((uint64_t(seed >> 8) * lines) >> 24) % (lines ? lines : 1);
    const double t0 = Now();
    SetScrollPos(grid, SB_VERT, int(target), FALSE);
    SendMessageA(grid, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, target & 0xFFFF), 0);
    UpdateWindow(grid);
    drags.push_back(Now() - t0);
    // The line painted at the top is the record with that number (key order of 1..N).
    char text[64] = "";
    frame.m_Browser.GetDataField(view->GetTopItem(), 0, text, sizeof(text));
    if (strtoul(text, nullptr, 10) != view->GetTopItem() + 1) ++wrong;
  }
  SendMessageA(grid, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);

  // Baseline: a plain engine loop over one window page (its lines).
  std::vector<double> plainStart, plainMiddle;
  for (unsigned r = 0; r < repetitions; ++r) {
    plainStart.push_back(PlainPage(isa, pageLines, 1));
    plainMiddle.push_back(PlainPage(isa, pageLines, lines / 2));
  }

  printf("ztview_bench: %u records, window %ld x %ld pixels, %u lines a page, %u repetitions (thumb drags: %u)\n",
         lines, client.right, client.bottom, pageLines, repetitions, repetitions * 5);
  printf("| measurement | median | max | goal |\n|---|---|---|---|\n");
  printf("| choose the table until its first page is painted | %.1f ms | %.1f ms | 500 ms |\n", Median(choose) * 1e3,
         Max(choose) * 1e3);
  printf("| thumb drag to a line anywhere, repainted | %.2f ms | %.2f ms | 50 ms |\n", Median(drags) * 1e3,
         Max(drags) * 1e3);
  printf("| baseline: plain engine loop, one page from the first record | %.2f ms | %.2f ms | - |\n",
         Median(plainStart) * 1e3, Max(plainStart) * 1e3);
  printf("| baseline: plain engine loop, one page from the middle record | %.2f ms | %.2f ms | - |\n",
         Median(plainMiddle) * 1e3, Max(plainMiddle) * 1e3);
  printf("lines painted at the wrong record after a drag: %u\n", wrong);
  DestroyWindow(frame.m_hWnd);
  return wrong ? 1 : 0;
}
