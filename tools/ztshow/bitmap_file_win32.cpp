#include "bitmap_file_win32.h"

#include <stdio.h>

namespace {

// A 32-bit top-down bitmap of width x height to draw into.
struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  void* bits = nullptr;
  int width = 0, height = 0;

  Canvas(int w, int h) : width(w), height(h) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  int Write(const char* path) const {
    if (!bits) return 0;
    GdiFlush();
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = -height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    const DWORD size = static_cast<DWORD>(width) * height * 4;
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + size;
    FILE* f = fopen(path, "wb");
    if (!f) return 0;
    const bool ok = fwrite(&file, sizeof(file), 1, f) == 1 && fwrite(&info, sizeof(info), 1, f) == 1 &&
                    fwrite(bits, size, 1, f) == 1;
    return fclose(f) == 0 && ok ? 1 : 0;
  }
};

}  // namespace

int ztWriteMetafileBitmap(const char* metafile, unsigned dpi, const char* path) {
  HENHMETAFILE emf = GetEnhMetaFileA(metafile);
  if (!emf) return 0;
  ENHMETAHEADER header = {};
  GetEnhMetaFileHeader(emf, sizeof(header), &header);
  // The frame is in hundredths of a millimetre.
  const int width = MulDiv(header.rclFrame.right - header.rclFrame.left, static_cast<int>(dpi), 2540);
  const int height = MulDiv(header.rclFrame.bottom - header.rclFrame.top, static_cast<int>(dpi), 2540);
  int ok = 0;
  if (width > 0 && height > 0 && width < 20000 && height < 60000) {
    Canvas canvas(width, height);
    RECT all = {0, 0, width, height};
    FillRect(canvas.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetStretchBltMode(canvas.dc, HALFTONE);
    PlayEnhMetaFile(canvas.dc, emf, &all);
    ok = canvas.Write(path);
  }
  DeleteEnhMetaFile(emf);
  return ok;
}
