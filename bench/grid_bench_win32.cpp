// grid_bench: the grid window's speed in the 32-bit build, under Wine, beside
// the system's list view in virtual mode (its peer) in the same run.
//
//   grid_bench.exe [repetitions]
//
// 1. Painting a full window of an owner-data grid, 40 lines x 20 columns, at
//    item counts 100, 1,000,000 and 2,147,483,647 (the window scrolled to the
//    middle of the items): time per paint, callback calls per paint (the
//    visible cells exactly) and heap allocations of zt_tbl32.dll per paint.
// 2. The same window painted by the list view (LVS_OWNERDATA, report view, the
//    same columns, font and texts through LVN_GETDISPINFO).
// 3. Filling a grid that stores its cells: 10,000 and 100,000 lines x 5
//    columns with InsertItem and SetItemText.
// Both windows paint with WM_PRINTCLIENT into the same 32-bit memory bitmap.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "zt_tbl32.h"

namespace {

constexpr int kLines = 40, kColumns = 20;
constexpr int kWidth = 1600;

// ---- Heap allocations made by zt_tbl32.dll, counted through its imports ----

long g_allocations = 0;
void* (*g_malloc)(size_t) = nullptr;
void* (*g_calloc)(size_t, size_t) = nullptr;
void* (*g_realloc)(void*, size_t) = nullptr;
void* CountingMalloc(size_t n) { return ++g_allocations, g_malloc(n); }
void* CountingCalloc(size_t n, size_t m) { return ++g_allocations, g_calloc(n, m); }
void* CountingRealloc(void* p, size_t n) { return ++g_allocations, g_realloc(p, n); }

bool HookImport(HMODULE module, const char* dll, const char* name, void* hook, void** original) {
  BYTE* base = reinterpret_cast<BYTE*>(module);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
    if (_stricmp(reinterpret_cast<char*>(base + imp->Name), dll) != 0) continue;
    auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
    for (; names->u1.AddressOfData; ++names, ++thunk) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (strcmp(reinterpret_cast<char*>(byName->Name), name) != 0) continue;
      DWORD old;
      VirtualProtect(&thunk->u1.Function, sizeof(thunk->u1.Function), PAGE_READWRITE, &old);
      *original = reinterpret_cast<void*>(thunk->u1.Function);
      thunk->u1.Function = reinterpret_cast<DWORD_PTR>(hook);
      VirtualProtect(&thunk->u1.Function, sizeof(thunk->u1.Function), old, &old);
      return true;
    }
  }
  return false;
}

// ---- Timing ----

double Now() {
  static LARGE_INTEGER frequency = {};
  if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) / double(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The same text for a cell in both windows, as long at every item count.
unsigned CellText(char* buffer, unsigned size, unsigned row, unsigned column) {
  return ztFormat(buffer, size, "%c %07u.%02u", column == 0 ? 'Z' : 'W', row % 10000000, column);
}

long g_callbacks = 0;
BOOL GridCells(UINT row, UINT column, char* buffer, UINT size, UINT* length, UINT) {
  ++g_callbacks;
  *length = CellText(buffer, size, row, column);
  return TRUE;
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    auto* info = reinterpret_cast<NMLVDISPINFOA*>(lParam);
    if (info->hdr.code == LVN_GETDISPINFOA && (info->item.mask & LVIF_TEXT)) {
      ++g_callbacks;
      CellText(info->item.pszText, unsigned(info->item.cchTextMax), unsigned(info->item.iItem),
               unsigned(info->item.iSubItem));
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A 32-bit memory bitmap both windows paint into.
struct SCanvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  SCanvas(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bitmap);
  }
  ~SCanvas() {
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
};

// Milliseconds per paint (median of the rounds), with callbacks and allocations per paint.
struct SPaint {
  double ms;
  double callbacks;
  double allocations;
};

SPaint TimePaint(HWND window, const SCanvas& canvas, int repetitions) {
  SendMessageA(window, WM_PRINTCLIENT, WPARAM(canvas.dc), PRF_CLIENT | PRF_ERASEBKGND);  // warm up
  std::vector<double> rounds;
  g_callbacks = g_allocations = 0;
  for (int r = 0; r < repetitions; ++r) {
    const double start = Now();
    SendMessageA(window, WM_PRINTCLIENT, WPARAM(canvas.dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    rounds.push_back((Now() - start) * 1000.0);
  }
  return {Median(rounds), double(g_callbacks) / repetitions, double(g_allocations) / repetitions};
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? atoi(argv[1]) : 60;
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  HMODULE tbl32 = GetModuleHandleA("zt_tbl32.dll");
  const bool hooked = HookImport(tbl32, "msvcrt.dll", "malloc", reinterpret_cast<void*>(CountingMalloc),
                                 reinterpret_cast<void**>(&g_malloc)) &&
                      HookImport(tbl32, "msvcrt.dll", "calloc", reinterpret_cast<void*>(CountingCalloc),
                                 reinterpret_cast<void**>(&g_calloc)) &&
                      HookImport(tbl32, "msvcrt.dll", "realloc", reinterpret_cast<void*>(CountingRealloc),
                                 reinterpret_cast<void**>(&g_realloc));

  WNDCLASSA wc = {};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ZTGridBench";
  RegisterClassA(&wc);
  HWND frame = CreateWindowExA(0, wc.lpszClassName, "grid_bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1700, 1000,
                               nullptr, nullptr, wc.hInstance, nullptr);

  // Our grid, owner data, sized so that exactly 40 full lines show.
  CGridView grid;
  RECT rect = {0, 0, kWidth, 800};
  grid.Create(frame, 1, &rect, GS_OWNERDATA | GS_GRIDLINES);
  HWND gridWindow = grid.GetHwnd();
  SetWindowLongA(gridWindow, GWL_EXSTYLE, 0);
  SetWindowLongA(gridWindow, GWL_STYLE, WS_CHILD | WS_VISIBLE);
  const int height = int(grid.m_model.m_uHeaderHeight + grid.m_model.m_uLineHeight * kLines) + 2;
  SetWindowPos(gridWindow, nullptr, 0, 0, kWidth + GetSystemMetrics(SM_CXVSCROLL), height,
               SWP_NOZORDER | SWP_FRAMECHANGED);
  grid.SetColumnCount(kColumns, FALSE);
  for (int c = 0; c < kColumns; ++c) grid.SetColumnHeader(c, 5, c ? 2 : 0, c ? "Wert" : "Zeile", FALSE);

  // The list view: report view, owner data, the grid's data font, 40 rows.
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0,
                              kWidth + GetSystemMetrics(SM_CXVSCROLL), 800, frame, nullptr, wc.hInstance, nullptr);
  SendMessageA(list, WM_SETFONT, WPARAM(grid.m_hDataFont), FALSE);
  for (int c = 0; c < kColumns; ++c) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = c ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = kWidth / kColumns;
    column.pszText = const_cast<char*>(c ? "Wert" : "Zeile");
    SendMessageA(list, LVM_INSERTCOLUMNA, c, LPARAM(&column));
  }
  SendMessageA(list, LVM_SETITEMCOUNT, 1000, 0);
  RECT item = {LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(list, LVM_GETITEMRECT, 0, LPARAM(&item));
  const int listHeight = int(item.top + (item.bottom - item.top) * kLines) + 4;
  SetWindowPos(list, nullptr, 0, 0, kWidth + GetSystemMetrics(SM_CXVSCROLL), listHeight, SWP_NOZORDER);

  SCanvas canvas(kWidth + 40, std::max(height, listHeight) + 10);
  printf("grid_bench: %d paints per case, median time per paint; allocations counted in zt_tbl32.dll%s\n", repetitions,
         hooked ? "" : " (import hook failed: not counted)");
  printf("grid: %u x %u cells shown (page %u), list view: %d rows per page\n\n", grid.m_model.m_uPage + 1,
         unsigned(kColumns), grid.m_model.m_uPage, int(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0)));
  printf(
      "| items | grid ms/paint | list view ms/paint | ratio grid/list view | grid callbacks/paint | list view "
      "callbacks/paint | grid allocations/paint |\n");
  printf("|---:|---:|---:|---:|---:|---:|---:|\n");
  const unsigned counts[] = {100, 1000000, 2147483647u};
  for (unsigned count : counts) {
    grid.SetItemCount(GridCells, count, 0, FALSE);
    const unsigned top = count > 100 ? count / 2 : 0;
    grid.SetTopItem(top);
    const SPaint ours = TimePaint(gridWindow, canvas, repetitions);
    SendMessageA(list, LVM_SETITEMCOUNT, WPARAM(count), LVSICF_NOSCROLL);
    SendMessageA(list, LVM_ENSUREVISIBLE, WPARAM(count - 1), FALSE);
    SendMessageA(list, LVM_ENSUREVISIBLE, WPARAM(top), FALSE);
    const SPaint theirs = TimePaint(list, canvas, repetitions);
    printf("| %u | %.3f | %.3f | %.2f | %.0f | %.0f | %.2f |\n", count, ours.ms, theirs.ms, ours.ms / theirs.ms,
           ours.callbacks, theirs.callbacks, ours.allocations);
  }

  // Filling a grid that stores its cells.
  printf("\n| lines x 5 columns | fill ms | ratio to 10,000 lines |\n|---:|---:|---:|\n");
  double base = 0;
  for (unsigned lines : {10000u, 100000u}) {
    std::vector<double> rounds;
    for (int r = 0; r < 3; ++r) {
      CGridView stored;
      RECT small = {0, 0, 600, 400};
      stored.Create(frame, 2, &small, GS_GRIDLINES);
      stored.SetColumnCount(5, FALSE);
      char text[64];
      const double start = Now();
      for (unsigned i = 0; i < lines; ++i) {
        stored.InsertItem(i, i, FALSE);
        for (unsigned c = 0; c < 5; ++c) {
          CellText(text, sizeof(text), i, c);
          stored.SetItemText(i, c, text);
        }
      }
      rounds.push_back((Now() - start) * 1000.0);
    }
    const double ms = Median(rounds);
    if (!base) base = ms;
    printf("| %u | %.1f | %.2f |\n", lines, ms, ms / base);
  }
  DestroyWindow(frame);
  return 0;
}
