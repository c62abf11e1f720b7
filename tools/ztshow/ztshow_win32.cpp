// ztshow: the library's windows on a sample description, for screenshots, and
// its printouts as metafiles and bitmaps.
//
//   ztshow sheet LANG FILE TABLE PAGE [SHOT]              the table property sheet (page 0-2)
//   ztshow format LANG number|decimal|datetime [SHOT]     a format dialog
//   ztshow print FILE TABLE fields|keys|editable OUT.emf  a list, every page in one metafile
//   ztshow render IN.emf DPI OUT.bmp                      a metafile drawn as a bitmap
//
// With SHOT the window's place on the screen is written to that file once it is
// shown ("x y width height"), and after five seconds more, time enough for a
// screenshot, it is closed.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bitmap_file_win32.h"
#include "format_dialogs.h"
#include "zt_tbl32.h"

namespace {

const char* g_shot = nullptr;
int g_shotResult = 1;

BOOL CALLBACK FindShownDialog(HWND window, LPARAM found) {
  char cls[16] = "";
  GetClassNameA(window, cls, sizeof(cls));
  if (strcmp(cls, "#32770") == 0 && IsWindowVisible(window) && IsWindowEnabled(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK CloseShown(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindShownDialog, reinterpret_cast<LPARAM>(&dialog));
  if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

// Once the dialog has been shown for a moment: its place for the screenshot.
void CALLBACK TellPlace(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindShownDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;
  KillTimer(nullptr, timer);
  RECT r;
  GetWindowRect(dialog, &r);
  FILE* f = fopen(g_shot, "w");
  if (f) {
    fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    g_shotResult = fclose(f) == 0 ? 0 : 1;
  }
  if (g_shotResult) fprintf(stderr, "ztshow: cannot write %s\n", g_shot);
  SetTimer(nullptr, 0, 5000, CloseShown);
}

void ArmShot(const char* shot) {
  g_shot = shot;
  if (shot) SetTimer(nullptr, 0, 1000, TellPlace);
}

int Usage() {
  fprintf(stderr,
          "usage: ztshow sheet LANG FILE TABLE PAGE [SHOT]\n"
          "       ztshow format LANG number|decimal|datetime [SHOT]\n"
          "       ztshow print FILE TABLE fields|keys|editable OUT.emf\n"
          "       ztshow render IN.emf DPI OUT.bmp\n");
  return 2;
}

// The table of the description file; a gallery is made up when it has none.
CZTTableDesc* LoadTable(CZTFileDesc& file, const char* path, const char* name) {
  if (!file.InitDescEdit(nullptr, path, 0)) return nullptr;
  CZTTableDesc* table = file.GetTableItem(name);
  if (!table) return nullptr;
  CZTGallDesc& gallery = table->m_Gallery;
  if (!gallery.m_bDefined) {
    gallery.FreeGallery();
    gallery.m_bDefined = 1;
    gallery.m_uLayout = 3;
    gallery.m_uDiaMode = 1;
    gallery.m_uDiaWidth = 120;
    gallery.m_uDiaHeight = 90;
    gallery.m_pImgNames = new CZTImgNameDesc[2];
    gallery.m_uImgAlloc = gallery.m_uImgCount = 2;
    const char* names[2] = {"images\\#PPN\\#SN0.jpg", "archive\\#F\\#T.tif"};
    for (unsigned i = 0; i < 2; ++i)
      gallery.m_pImgNames[i].m_uLength = ztStrCopy(gallery.m_pImgNames[i].m_szText, names[i], kZTImgNameSize);
  }
  return table;
}

int PrintEditable() {
  const SZTTblFldDesc rows[] = {{0, 8, ZT_COL_DIGITS, 0, 'R', 15, 0},
                                {8, 30, ZT_COL_TEXT, 0, 'L', 40, 0},
                                {38, 8, ZT_COL_DATE_DMY4, 0, 'M', 15, 0},
                                {46, 4, ZT_COL_AMOUNT, 0, 'R', 15, 0},
                                {50, 6, ZT_COL_TIME_HMS, 0, 'M', 15, 0}};
  CZTTblFldDesc table(&ztTbl32Lib, rows, sizeof(rows));
  const char* names[] = {"Kundennummer", "Name", "Datum", "Betrag", "Uhrzeit"};
  for (unsigned i = 0; i < table.m_uCount; ++i) table.SetFldName(i, names[i]);
  return table.PrintDesc(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const char* command = argv[1];
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  if (!strcmp(command, "sheet") && argc >= 6) {
    if (!ztSetTbl32Language(argv[2])) return 1;
    CZTFileDesc file;
    CZTTableDesc* table = LoadTable(file, argv[3], argv[4]);
    if (!table) return 1;
    ArmShot(argc > 6 ? argv[6] : nullptr);
    table->PropertySheetA(nullptr, ZT_SHEET_FIELDS | ZT_SHEET_KEYS | ZT_SHEET_GALLERY, atoi(argv[5]));
    return g_shot ? g_shotResult : 0;
  }
  if (!strcmp(command, "format") && argc >= 4) {
    if (!ztSetTbl32Language(argv[2])) return 1;
    unsigned word = 0;
    if (!strcmp(argv[3], "number"))
      word = ztMakeFmt(ZT_KIND_NUMBER, ZT_FMT_SIGNED | ZT_FMT_THOUSANDS | ZT_FMT_COMMA, 2);
    else if (!strcmp(argv[3], "decimal"))
      word = ztMakeFmt(ZT_KIND_DECIMAL, ZT_FMT_THOUSANDS | ZT_FMT_COMMA, 2);
    else if (!strcmp(argv[3], "datetime"))
      word = ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE | ZT_FMT_TIME, 0, 0);
    else
      return Usage();
    ArmShot(argc > 4 ? argv[4] : nullptr);
    ztEditFormatWord(nullptr, &word);
    return g_shot ? g_shotResult : 0;
  }
  if (!strcmp(command, "print") && argc >= 6) {
    if (!ztSetPrintOutput(ZT_PRINT_EMF_FILE, argv[5])) return 1;
    if (!strcmp(argv[4], "editable")) return PrintEditable() ? 0 : 1;
    CZTFileDesc file;
    CZTTableDesc* table = LoadTable(file, argv[2], argv[3]);
    if (!table) return 1;
    const int printed = !strcmp(argv[4], "keys") ? table->PrintKeyList(nullptr) : table->PrintFieldList(nullptr);
    return printed ? 0 : 1;
  }
  if (!strcmp(command, "render") && argc >= 5) return ztWriteMetafileBitmap(argv[2], atoi(argv[3]), argv[4]) ? 0 : 1;
  return Usage();
}
