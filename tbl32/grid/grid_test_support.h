// Test support for grid windows, shared by every test that drives a grid: a
// real parent window that records every notification (code, low word, lParam),
// the messages a user's mouse, keyboard and scroll bar produce, and the grid's
// picture painted into a memory bitmap with its pixels readable.
#pragma once

#include <stdio.h>
#include <windowsx.h>

#include <functional>
#include <string>
#include <vector>

#include "zt_tbl32/grid_view.h"

namespace zt_test {

struct GridNote {
  unsigned code;  // high word of wParam
  unsigned low;   // low word: control id or column command id
  LPARAM lParam;
  SGridRClick click;  // copied for GN_RCLICKLINE (its pointer is valid only during the call)
};

// A visible top-level window that records WM_COMMAND, WM_KEYDOWN and WM_CHAR.
// onNote runs inside the notification (a handler may fill a list pop-up,
// destroy the grid, ...).
class GridParent {
 public:
  explicit GridParent(int width = 640, int height = 480) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "ZTGridTestParent";
    RegisterClassA(&wc);
    m_hWnd = CreateWindowExA(0, wc.lpszClassName, "grid test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width, height,
                             nullptr, nullptr, wc.hInstance, this);
  }
  ~GridParent() {
    if (m_hWnd) DestroyWindow(m_hWnd);
  }
  GridParent(const GridParent&) = delete;
  GridParent& operator=(const GridParent&) = delete;

  HWND Window() const { return m_hWnd; }

  // A grid made from the class name alone (it owns its object), as a child.
  HWND CreateGrid(unsigned id, int width, int height, const char* className = kGridClassName) {
    return CreateWindowExA(WS_EX_CLIENTEDGE, className, "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, 0, 0, width,
                           height, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  }

  std::vector<unsigned> Codes() const {
    std::vector<unsigned> codes;
    for (const auto& n : notes) codes.push_back(n.code);
    return codes;
  }
  const GridNote* Last(unsigned code) const {
    for (auto it = notes.rbegin(); it != notes.rend(); ++it)
      if (it->code == code) return &*it;
    return nullptr;
  }
  bool Has(unsigned code) const { return Last(code) != nullptr; }
  void Clear() {
    notes.clear();
    keys.clear();
    chars.clear();
  }

  std::vector<GridNote> notes;
  std::vector<WPARAM> keys;   // WM_KEYDOWN passed on by the grid
  std::vector<WPARAM> chars;  // WM_CHAR passed on by the grid
  LRESULT keyResult = 0;      // what WM_KEYDOWN and WM_CHAR answer
  std::function<void(const GridNote&)> onNote;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
      SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<GridParent*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_COMMAND) {
      GridNote note = {HIWORD(wParam), LOWORD(wParam), lParam, {}};
      if (note.code == GN_RCLICKLINE && lParam) note.click = *reinterpret_cast<const SGridRClick*>(lParam);
      self->notes.push_back(note);
      if (self->onNote) self->onNote(note);
      return 0;
    }
    if (self && message == WM_KEYDOWN) {
      self->keys.push_back(wParam);
      return self->keyResult;
    }
    if (self && message == WM_CHAR) {
      self->chars.push_back(wParam);
      return self->keyResult;
    }
    if (self && message == WM_NCDESTROY) self->m_hWnd = nullptr;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  HWND m_hWnd = nullptr;
};

inline IGridView* GridOf(HWND grid) { return reinterpret_cast<IGridView*>(SendMessageA(grid, ZT_GRID_QUERY, 0, 0)); }
inline CGridView* GridViewOf(HWND grid) { return static_cast<CGridView*>(GridOf(grid)); }

// Runs the posted messages (the grid posts GN_SCROLLED).
inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

inline LPARAM Point(int x, int y) { return MAKELPARAM(x & 0xFFFF, y & 0xFFFF); }
inline void LButtonDown(HWND w, int x, int y) { SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y)); }
inline void LButtonUp(HWND w, int x, int y) { SendMessageA(w, WM_LBUTTONUP, 0, Point(x, y)); }
inline void Click(HWND w, int x, int y) {
  LButtonDown(w, x, y);
  LButtonUp(w, x, y);
}
inline void RightClick(HWND w, int x, int y) { SendMessageA(w, WM_RBUTTONDOWN, MK_RBUTTON, Point(x, y)); }
inline void MiddleClick(HWND w, int x, int y) { SendMessageA(w, WM_MBUTTONDOWN, MK_MBUTTON, Point(x, y)); }
inline void MouseMove(HWND w, int x, int y, WPARAM keys = 0) { SendMessageA(w, WM_MOUSEMOVE, keys, Point(x, y)); }
inline LRESULT Key(HWND w, WPARAM key) { return SendMessageA(w, WM_KEYDOWN, key, 1); }
inline LRESULT Char(HWND w, WPARAM ch) { return SendMessageA(w, WM_CHAR, ch, 1); }
inline void Scroll(HWND w, UINT code) { SendMessageA(w, WM_VSCROLL, MAKEWPARAM(code, 0), 0); }
// The thumb dragged to pos: the bar's tracking position is pos, the message
// carries only its low 16 bits (as the system sends it).
inline void ThumbTrack(HWND w, int pos, UINT code = SB_THUMBTRACK) {
  SetScrollPos(w, SB_VERT, pos, FALSE);
  SendMessageA(w, WM_VSCROLL, MAKEWPARAM(code, pos & 0xFFFF), 0);
}
// Types text into a window (an edit field) character by character.
inline void Type(HWND w, const char* text) {
  for (; *text; ++text) SendMessageA(w, WM_CHAR, WPARAM(static_cast<unsigned char>(*text)), 1);
}

// Middle of a cell and of a header cell in client coordinates.
inline POINT CellPoint(const CGridView& grid, unsigned line, unsigned column) {
  const SViewColumn* c = grid.m_model.Column(column);
  return {LONG(c->left + c->width / 2), LONG(grid.m_model.LineTop(line) + 1 + grid.m_model.m_uLineHeight / 2)};
}
inline POINT HeaderPoint(const CGridView& grid, unsigned column) {
  const SViewColumn* c = grid.m_model.Column(column);
  return {LONG(c->left + c->width / 2), LONG(grid.m_model.m_uHeaderHeight / 2)};
}
inline void ClickCell(HWND w, unsigned line, unsigned column) {
  const POINT p = CellPoint(*GridViewOf(w), line, column);
  Click(w, p.x, p.y);
}

// The grid's client area painted (background erased first) into a 32-bit
// memory bitmap; At gives a pixel as COLORREF.
class GridPicture {
 public:
  explicit GridPicture(HWND grid) {
    RECT client;
    GetClientRect(grid, &client);
    width = client.right;
    height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    m_hDC = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    m_hBitmap = CreateDIBSection(m_hDC, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pBits), nullptr, 0);
    m_hOld = SelectObject(m_hDC, m_hBitmap);
    SendMessageA(grid, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m_hDC), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
  }
  ~GridPicture() {
    SelectObject(m_hDC, m_hOld);
    DeleteObject(m_hBitmap);
    DeleteDC(m_hDC);
  }
  GridPicture(const GridPicture&) = delete;
  GridPicture& operator=(const GridPicture&) = delete;

  COLORREF At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    const DWORD p = m_pBits[y * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // Pixels of a colour inside [left, right) x [top, bottom).
  int Count(int left, int top, int right, int bottom, COLORREF colour) const {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += At(x, y) == colour;
    return n;
  }
  // Leftmost and rightmost x of pixels that are not the colour in a row band; -1 when none.
  std::pair<int, int> InkSpan(int left, int top, int right, int bottom, COLORREF background) const {
    int first = -1, last = -1;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if (At(x, y) != background) {
          if (first < 0 || x < first) first = x;
          if (x > last) last = x;
        }
    return {first, last};
  }

  // Writes the picture as a 24-bit BMP file (to look at a failing test).
  bool Save(const char* path) const {
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    const DWORD row = DWORD((width * 3 + 3) & ~3), bytes = row * DWORD(height);
    BITMAPFILEHEADER file = {0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) + bytes, 0, 0,
                             DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    fwrite(&file, sizeof(file), 1, f);
    fwrite(&info, sizeof(info), 1, f);
    std::vector<BYTE> line(row);
    for (int y = height - 1; y >= 0; --y) {
      for (int x = 0; x < width; ++x) {
        const DWORD p = m_pBits[y * width + x];
        line[x * 3] = BYTE(p), line[x * 3 + 1] = BYTE(p >> 8), line[x * 3 + 2] = BYTE(p >> 16);
      }
      fwrite(line.data(), 1, row, f);
    }
    return fclose(f) == 0;
  }

  int width = 0, height = 0;

 private:
  HDC m_hDC = nullptr;
  HBITMAP m_hBitmap = nullptr;
  HGDIOBJ m_hOld = nullptr;
  DWORD* m_pBits = nullptr;
};

}  // namespace zt_test
