// Shows a filled grid in a window of its own: texts, numbers with thousands
// points, amounts, check and yes/no pictures, colour swatches, a sort marker,
// a selected line and an open edit field.
//
//   grid_show.exe [D|E] [seconds]     (language of the headers; closes itself after the seconds)
#include <stdlib.h>
#include <string.h>

#include "zt_tbl32.h"

namespace {

struct SRow {
  const char* name;
  const char* city;
  unsigned quantity;
  int cents;
  unsigned checked;  // 0, 1, 2
  unsigned paid;     // 0, 1
  COLORREF colour;
};

const SRow kRows[] = {
    {"Meier", "Bonn", 1250, 129950, 1, 1, RGB(200, 40, 40)},
    {"Schulz", "K\xf6ln", 87, 4599, 0, 0, RGB(40, 140, 60)},
    {"M\xfcller-L\xfc"
     "denscheidt",
     "Frankfurt am Main", 1234567, 100000000, 1, 1, RGB(40, 80, 200)},
    {"Becker", "M\xfcnchen", 4, -12575, 2, 0, RGB(230, 180, 20)},
    {"Hoffmann", "Hamburg", 98765, 12, 1, 1, RGB(120, 60, 160)},
    {"Wagner", "Stuttgart", 300, 99999, 0, 1, RGB(0, 160, 170)},
    {"Zimmermann", "Dresden", 15000, 1575025, 1, 0, RGB(240, 120, 0)},
    {"Kr\xfcger", "Leipzig", 42, 4200, 0, 1, RGB(90, 90, 90)},
    {"Schr\xf6"
     "der",
     "Hannover", 7, 70, 1, 1, RGB(255, 255, 255)},
    {"Neumann", "N\xfcrnberg", 550000, 3300000, 2, 0, RGB(0, 0, 0)},
};

struct SHeaders {
  const char* columns[7];
  const char* title;
};
const SHeaders kGerman = {{"Name", "Ort", "Menge", "Betrag",
                           "Gepr\xfc"
                           "ft",
                           "Bezahlt", "Farbe"},
                          "Kunden"};
const SHeaders kEnglish = {{"Name", "City", "Quantity", "Amount", "Checked", "Paid", "Colour"}, "Customers"};

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  if (message == WM_TIMER) DestroyWindow(window);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const bool english = commandLine && commandLine[0] == 'E';
  const char* rest = commandLine ? strchr(commandLine, ' ') : nullptr;
  const int seconds = rest ? atoi(rest + 1) : 0;
  ztSetTbl32Language(english ? "E" : "D");
  const SHeaders& h = english ? kEnglish : kGerman;

  WNDCLASSA wc = {};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = "ZTGridShow";
  RegisterClassA(&wc);
  HWND frame = CreateWindowExA(0, wc.lpszClassName, h.title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 760, 330,
                               nullptr, nullptr, instance, nullptr);
  RECT client;
  GetClientRect(frame, &client);
  InflateRect(&client, -8, -8);

  CGridView* grid = new CGridView;
  grid->Create(frame, 100, &client, GS_GRIDLINES | GS_LINEMODE | GS_ACTIVATECELLS);
  grid->SetColors(TRUE, RGB(244, 246, 250), 0, 0x600000, 0xFFFFFF);
  grid->SetColumnCount(7, FALSE);
  const unsigned widths[7] = {20, 18, 12, 15, 12, 11, 12};
  const BYTE justify[7] = {0, 0, 2, 2, 1, 1, 1};
  const unsigned types[7] = {GCT_EDIT, GCT_SELECT, GCT_EDIT, GCT_EDIT, GCT_CHECK, GCT_YESNO, GCT_COLOR};
  const BYTE flags[7] = {0, 0, GCF_THOUSANDS, 0, GCF_CLICKACTIVATES, GCF_CLICKACTIVATES, 0};
  for (unsigned c = 0; c < 7; ++c) {
    grid->SetColumnHeader(c, widths[c], justify[c], h.columns[c], FALSE);
    grid->SetColumnType(c, types[c], 200 + c, flags[c]);
  }
  grid->SetSortColumn(0, TRUE);
  for (unsigned i = 0; i < sizeof(kRows) / sizeof(kRows[0]); ++i) {
    const SRow& r = kRows[i];
    grid->InsertItem(i, i, FALSE);
    grid->SetItemText(i, 0, r.name);
    grid->SetItemText(i, 1, r.city);
    grid->SetItemUInt(i, 2, r.quantity);
    grid->SetItemAmount(i, 3, r.cents);
    grid->SetItemUInt(i, 4, r.checked);
    grid->SetItemUInt(i, 5, r.paid);
    grid->SetItemUInt(i, 6, r.colour);
  }
  grid->EditItem(4, 3);  // the current line, with an edit field open on its amount
  if (seconds > 0) SetTimer(frame, 1, UINT(seconds) * 1000, nullptr);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  delete grid;
  return 0;
}
