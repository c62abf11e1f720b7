#include "view_preview.h"

#include "view_texts.h"

namespace {
const char kClassName[] = "ZTViewPreview";
constexpr int kMargin = 12;

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }
}  // namespace

CViewPreview::CViewPreview() : m_hWnd(nullptr), m_uPage(0) {}

CViewPreview::~CViewPreview() { Close(); }

void CViewPreview::Close() {
  if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
  m_hWnd = nullptr;
}

bool CViewPreview::PrintInto(const std::string& stem, bool keys, const CZTTableDesc& table, HWND owner) {
  const std::string pattern = stem + ".emf";
  // Pages of an earlier preview must not pass for this one's.
  char page[MAX_PATH];
  if (!ztSetPrintOutput(ZT_PRINT_EMF_PAGES, pattern.c_str())) return false;
  for (unsigned n = 1; ztPrintPageFile(n, page, sizeof(page)) && Exists(page); ++n) DeleteFileA(page);
  const int printed = keys ? table.PrintKeyList(owner) : table.PrintFieldList(owner);
  for (unsigned n = 1; printed && ztPrintPageFile(n, page, sizeof(page)) && Exists(page); ++n) m_Pages.push_back(page);
  return printed != 0;
}

int CViewPreview::Show(HWND owner, const CZTTableDesc& table, const char* title) {
  Close();
  m_Pages.clear();
  m_uPage = 0;
  char folder[MAX_PATH];
  const DWORD n = GetTempPathA(sizeof(folder), folder);
  if (n == 0 || n >= sizeof(folder)) return 0;
  const unsigned output = ztGetPrintOutput();
  const std::string stem = std::string(folder) + "ztview-preview-";
  PrintInto(stem + "fields", false, table, owner);
  if (table.m_Keys.m_uCount) PrintInto(stem + "keys", true, table, owner);
  // The preview's own output goes; an application setting other than the printer stays the preview's.
  if (output == ZT_PRINT_PRINTER) ztSetPrintOutput(ZT_PRINT_PRINTER, nullptr);
  if (m_Pages.empty()) return 0;

  WNDCLASSA wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);
  // Over the owner, as tall as it is, on the screen's work area.
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT owned = area;
  if (owner) GetWindowRect(owner, &owned);
  const int top = owned.top + 20 > area.top ? owned.top + 20 : area.top;
  int height = owned.bottom - owned.top - 40;
  if (height < 300) height = 300;
  if (top + height > area.bottom) height = area.bottom - top;
  const int width = height * 7 / 8;
  m_hWnd = CreateWindowExA(0, kClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, owned.left + 40, top, width, height,
                           owner, nullptr, wc.hInstance, this);
  if (!m_hWnd) return 0;
  SetFocus(m_hWnd);
  return 1;
}

void CViewPreview::Turn(int pages) {
  const int page = static_cast<int>(m_uPage) + pages;
  if (page < 0 || page >= static_cast<int>(m_Pages.size())) return;
  m_uPage = static_cast<unsigned>(page);
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CViewPreview::Paint(HDC dc, const RECT& area) const {
  if (m_uPage >= m_Pages.size()) return;
  HENHMETAFILE emf = GetEnhMetaFileA(m_Pages[m_uPage].c_str());
  if (!emf) return;
  ENHMETAHEADER header = {};
  GetEnhMetaFileHeader(emf, sizeof(header), &header);
  // The sheet's shape (its frame in hundredths of a millimetre), as large as the window allows.
  const double sheetW = header.rclFrame.right - header.rclFrame.left;
  const double sheetH = header.rclFrame.bottom - header.rclFrame.top;
  const int width = area.right - area.left - 2 * kMargin, height = area.bottom - area.top - 2 * kMargin;
  if (sheetW > 0 && sheetH > 0 && width > 0 && height > 0) {
    double scale = width / sheetW;
    if (sheetH * scale > height) scale = height / sheetH;
    const int w = static_cast<int>(sheetW * scale), h = static_cast<int>(sheetH * scale);
    RECT sheet = {area.left + (area.right - area.left - w) / 2, area.top + kMargin, 0, 0};
    sheet.right = sheet.left + w;
    sheet.bottom = sheet.top + h;
    FillRect(dc, &sheet, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    PlayEnhMetaFile(dc, emf, &sheet);
  }
  DeleteEnhMetaFile(emf);
}

LRESULT CALLBACK CViewPreview::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CViewPreview*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
      break;
    case WM_PAINT:
      if (self) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT area;
        GetClientRect(window, &area);
        self->Paint(dc, area);
        EndPaint(window, &ps);
        return 0;
      }
      break;
    case WM_PRINTCLIENT:
      if (self) {
        RECT area;
        GetClientRect(window, &area);
        FillRect(reinterpret_cast<HDC>(wParam), &area, GetSysColorBrush(COLOR_APPWORKSPACE));
        self->Paint(reinterpret_cast<HDC>(wParam), area);
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (!self) break;
      if (wParam == VK_NEXT || wParam == VK_DOWN || wParam == VK_SPACE) self->Turn(1);
      if (wParam == VK_PRIOR || wParam == VK_UP) self->Turn(-1);
      if (wParam == VK_HOME) self->Turn(-static_cast<int>(self->m_uPage));
      if (wParam == VK_ESCAPE) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      if (self) self->m_hWnd = nullptr;
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
