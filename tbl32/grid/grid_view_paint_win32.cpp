// Painting: raised header cells with sort markers, the selection, grid lines
// and line bands, then the cells line by line (texts cut with "...", pictures,
// colour swatches). No heap allocation while painting.
#include <string.h>

#include "grid_cell.h"
#include "grid_codes.h"
#include "zt_tbl32/grid_view.h"

namespace {

const char kEllipsis[] = "...";

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
  SetDCBrushColor(dc, colour);
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

int AlignX(const RECT& rect, UINT justification, int width) {
  const int available = rect.right - rect.left;
  if (justification == 0 || width >= available) return rect.left + 3;
  if (justification == 2) return rect.right - width - 3;
  return (rect.left + rect.right - width) / 2;
}

int AlignY(const RECT& rect, UINT valign, int height) {
  const int available = rect.bottom - rect.top;
  if (valign == 0 || height >= available) return rect.top + 1;
  if (valign == 2) return rect.bottom - height - 1;
  return (rect.top + rect.bottom - height) / 2;
}

BYTE Brighter(BYTE channel) { return BYTE(channel * 12 / 10 > 255 ? 255 : channel * 12 / 10); }

}  // namespace

void CGridView::PaintTextColor(HDC dc, COLORREF colour) {
  if (colour == m_crPaintText) return;
  m_crPaintText = colour;
  SetTextColor(dc, colour);
}

void CGridView::Paint(HDC dc, const RECT& area) {
  const CGridModel& m = m_model;
  const int width = int(m.m_uClientWidth), height = int(m.m_uClientHeight);
  SetBkMode(dc, TRANSPARENT);
  m_crPaintText = GetTextColor(dc);
  HGDIOBJ oldFont = SelectObject(dc, m_hTitleFont);
  m_hPictureDC = CreateCompatibleDC(dc);

  if (area.top < int(m.m_uHeaderHeight))
    for (UINT i = 0; i < m.m_uColumnCount; ++i) PaintHeader(dc, i);
  const bool sameBack = m_lineBack.even == m_lineBack.odd;
  if (sameBack) {
    for (UINT i = 0; i < m.m_uColumnCount; ++i) {
      const SViewColumn& c = m.m_pColumns[i];
      if (!(c.flags & GCF_BACKCOLORS)) continue;
      const RECT below = {LONG(c.left), LONG(m.m_uHeaderHeight), LONG(c.left + c.width), height};
      FillColour(dc, below, c.backEven);
    }
  }

  const UINT current = ValidLine();
  if (current != kZTNoLine && m.IsShown(current)) {
    const SGridColorPair& pair = m_bFocused ? m_selBack : m_selBackNoFocus;
    const int top = m.LineTop(current) + 1;
    RECT selection = {1, top, width - 1, top + int(m.m_uLineHeight)};
    const SViewColumn* c = m.Column(m_uCurColumn);
    if (!LineMode() && c) {
      selection.left = LONG(c->left) + 1;
      selection.right = LONG(c->left + c->width);
    }
    if (LineMode() || c) FillRect(dc, &selection, (current & 1) ? pair.brushOdd : pair.brushEven);
  }

  if (m.m_uStyle & GS_GRIDLINES) PaintBands(dc, area);
  PaintLines(dc, area);

  DeleteDC(m_hPictureDC);
  m_hPictureDC = nullptr;
  SelectObject(dc, oldFont);
}

void CGridView::PaintHeader(HDC dc, UINT index) {
  const SViewColumn& c = m_model.m_pColumns[index];
  if (!c.width) return;
  RECT cell = {LONG(c.left), 0, LONG(c.left + c.width), LONG(m_model.m_uHeaderHeight)};
  DrawEdge(dc, &cell, EDGE_RAISED, 0x280F);
  RECT text = cell;
  const UINT sort = c.flags & GCF_SORTUP;
  if (sort == GCF_SORTDOWN || sort == GCF_SORTUP) {
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, c.header, int(c.headerLength), &extent);
    const int h = extent.cy > 6 ? extent.cy - 6 : extent.cy;
    const int markerWidth = h | 1, space = (h | 1) + 1;
    if (cell.right - cell.left >= space) {
      int x;
      if (c.justification == 2) {
        x = cell.left + 3;
        text.left = cell.left + space;
      } else {
        x = cell.right - space;
        text.right = x;
      }
      const int y = (cell.top + cell.bottom - h) / 2;
      const COLORREF under = GetPixel(dc, x, y);
      const COLORREF colour = RGB(Brighter(GetRValue(under)), Brighter(GetGValue(under)), Brighter(GetBValue(under)));
      for (int row = 0; row < h; ++row) {
        const int rowWidth = markerWidth - 2 * (row / 2);
        if (rowWidth <= 0) break;
        const int rowY = sort == GCF_SORTDOWN ? y + row : y + h - 1 - row;
        const RECT line = {x + row / 2, rowY, x + row / 2 + rowWidth, rowY + 1};
        FillColour(dc, line, colour);
      }
    }
  }
  PaintTextColor(dc, 0);
  DrawText(dc, text, c.justification, c.valign, c.header, c.headerLength, m_uTitleEllipsisWidth);
}

void CGridView::PaintBands(HDC dc, const RECT& area) {
  const CGridModel& m = m_model;
  const int width = int(m.m_uClientWidth), height = int(m.m_uClientHeight);
  const int lh = m.m_uLineHeight ? int(m.m_uLineHeight) : 1;
  const bool sameBack = m_lineBack.even == m_lineBack.odd;
  const UINT current = ValidLine();
  const SViewColumn* currentColumn = m.Column(m_uCurColumn);
  HGDIOBJ oldPen = SelectObject(dc, m_hGridPen);
  uint64_t line = m.TopLine();
  for (int top = int(m.m_uHeaderHeight); top < height; top += lh, ++line) {
    if (top + lh + 1 <= area.top) continue;
    if (top > area.bottom) break;
    if (sameBack) {
      MoveToEx(dc, 0, top, nullptr);
      LineTo(dc, width, top);
      continue;
    }
    const bool odd = (line & 1) != 0, isCurrent = line == current;
    const RECT strip = {0, top + 1, width, top + 1 + lh};
    HBRUSH band = odd ? m_lineBack.brushOdd : m_lineBack.brushEven;
    if (!isCurrent) {
      FillRect(dc, &strip, band);
      for (UINT i = 0; i < m.m_uColumnCount; ++i) {
        const SViewColumn& c = m.m_pColumns[i];
        if (!(c.flags & GCF_BACKCOLORS)) continue;
        const RECT cell = {LONG(c.left), strip.top, LONG(c.left + c.width), strip.bottom};
        FillColour(dc, cell, odd ? c.backOdd : c.backEven);
      }
    } else if (!LineMode()) {
      // The band leaves the selected cell as it is.
      RECT part = strip;
      if (currentColumn) part.right = LONG(currentColumn->left) + 1;
      FillRect(dc, &part, band);
      if (currentColumn) {
        part.left = LONG(currentColumn->left + currentColumn->width);
        part.right = width;
        FillRect(dc, &part, band);
      }
    }
  }
  if (m.m_uColumnCount > 1) {
    for (UINT i = 0; i < m.m_uColumnCount; ++i) {
      const int x = int(m.m_pColumns[i].left);
      if (x >= width) continue;
      MoveToEx(dc, x, int(m.m_uHeaderHeight), nullptr);
      LineTo(dc, x, height);
    }
  }
  SelectObject(dc, oldPen);
}

void CGridView::PaintLines(HDC dc, const RECT& area) {
  const CGridModel& m = m_model;
  const bool ownerData = (m.m_uStyle & GS_OWNERDATA) != 0;
  if (ownerData && !m.m_pfnOwnerData) return;
  SelectObject(dc, m_hDataFont);
  const UINT n = m.ItemCount(), current = ValidLine();
  const bool lineMode = LineMode();
  char buffer[512];
  for (UINT row = m.TopLine(); row < n && m.IsShown(row); ++row) {
    const int top = m.LineTop(row) + 1, bottom = top + int(m.m_uLineHeight);
    if (bottom <= area.top) continue;
    if (top >= area.bottom) break;
    const bool odd = (row & 1) != 0;
    const COLORREF selected =
        m_bFocused ? (odd ? m_crSelTextOdd : m_crSelTextEven) : (odd ? m_crSelTextOddNoFocus : m_crSelTextEvenNoFocus);
    const bool selectedLine = lineMode && row == current;
    const COLORREF base = selectedLine ? selected : (odd ? m_crTextOdd : m_crTextEven);
    for (UINT i = 0; i < m.m_uColumnCount; ++i) {
      const SViewColumn& c = m.m_pColumns[i];
      if (!c.width) continue;
      COLORREF colour = base;
      if (!lineMode && row == current && i == m_uCurColumn)
        colour = selected;
      else if (!selectedLine && (c.flags & GCF_TEXTCOLORS))
        colour = odd ? c.textOdd : c.textEven;
      PaintTextColor(dc, colour);
      const RECT cell = {LONG(c.left), top, LONG(c.left + c.width), bottom};
      if (ownerData) {
        UINT length = 0;
        buffer[0] = 0;
        if (!m.m_pfnOwnerData(row, i, buffer, sizeof(buffer), &length, m.m_uOwnerParam)) break;
        buffer[sizeof(buffer) - 1] = 0;
        if (length == 0 || length >= sizeof(buffer)) length = UINT(strnlen(buffer, sizeof(buffer) - 1));
        DrawText(dc, cell, c.justification, c.valign, buffer, length, m_uEllipsisWidth);
      } else {
        DrawCell(dc, cell, c, m.Cell(row, i));
      }
    }
  }
}

void CGridView::DrawCell(HDC dc, const RECT& cell, const SViewColumn& column, const SGridElt* elt) {
  const uint32_t value = elt ? elt->value : 0;
  switch (column.type) {
    case GCT_CHECK:
      if (value <= 2) DrawPicture(dc, cell, column, value == 0 ? m_hCheck[1] : value == 1 ? m_hCheck[0] : m_hCheck[2]);
      return;
    case GCT_YESNO:
      if (value <= 2) DrawPicture(dc, cell, column, value == 0 ? m_hYesNo[1] : value == 1 ? m_hYesNo[0] : m_hCheck[2]);
      return;
    case GCT_COLOR:
      if (elt && elt->type) FillColour(dc, cell, value);
      return;
    default:
      break;
  }
  if (!elt || !elt->type) return;
  if (elt->type == GET_TEXTW) {
    const wchar_t* text = reinterpret_cast<const wchar_t*>(ztGridCellText(*elt));
    const UINT length = UINT(wcsnlen(text, elt->capacity / sizeof(wchar_t)));
    SelectObject(dc, m_hDataFontW);
    DrawTextW(dc, cell, column.justification, column.valign, text, length);
    SelectObject(dc, m_hDataFont);
    return;
  }
  char text[512];
  const UINT length = ztGridCellFormat(elt, column.flags, text, sizeof(text));
  DrawText(dc, cell, column.justification, column.valign, text, length, m_uEllipsisWidth);
}

void CGridView::DrawText(HDC dc, const RECT& rect, UINT justification, UINT valign, const char* text, UINT length,
                         UINT ellipsisWidth) {
  if (!length) return;
  const int available = rect.right - rect.left > 6 ? rect.right - rect.left - 3 : 0;
  SIZE extent = {0, 0};
  GetTextExtentPoint32A(dc, text, int(length), &extent);
  const int y = AlignY(rect, valign, extent.cy);
  if (extent.cx <= available) {
    TextOutA(dc, AlignX(rect, justification, extent.cx), y, text, int(length));
    return;
  }
  // The longest start that leaves room for "...".
  int fit = 0;
  SIZE start = {0, 0};
  if (available > int(ellipsisWidth)) {
    GetTextExtentExPointA(dc, text, int(length), available - int(ellipsisWidth), &fit, nullptr, &start);
    GetTextExtentPoint32A(dc, text, fit, &start);
  }
  const int x = AlignX(rect, justification, int(start.cx + ellipsisWidth));
  if (fit) TextOutA(dc, x, y, text, fit);
  TextOutA(dc, x + start.cx, y, kEllipsis, 3);
}

void CGridView::DrawTextW(HDC dc, const RECT& rect, UINT justification, UINT valign, const wchar_t* text, UINT length) {
  if (!length) return;
  const int available = rect.right - rect.left > 6 ? rect.right - rect.left - 3 : 0;
  SIZE extent = {0, 0}, dots = {0, 0};
  GetTextExtentPoint32W(dc, text, int(length), &extent);
  const int y = AlignY(rect, valign, extent.cy);
  if (extent.cx <= available) {
    TextOutW(dc, AlignX(rect, justification, extent.cx), y, text, int(length));
    return;
  }
  GetTextExtentPoint32W(dc, L"...", 3, &dots);
  int fit = 0;
  SIZE start = {0, 0};
  if (available > dots.cx) {
    GetTextExtentExPointW(dc, text, int(length), available - dots.cx, &fit, nullptr, &start);
    GetTextExtentPoint32W(dc, text, fit, &start);
  }
  const int x = AlignX(rect, justification, int(start.cx + dots.cx));
  if (fit) TextOutW(dc, x, y, text, fit);
  TextOutW(dc, x + start.cx, y, L"...", 3);
}

void CGridView::DrawPicture(HDC dc, const RECT& rect, const SViewColumn& column, HBITMAP picture) {
  BITMAP info;
  if (!picture || !GetObjectA(picture, sizeof(info), &info)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcGridView, "Error %u on GetObject( bitmap )", unsigned(GetLastError()));
    return;
  }
  const int x = AlignX(rect, column.justification, info.bmWidth);
  const int y = AlignY(rect, column.valign, info.bmHeight);
  HGDIOBJ old = SelectObject(m_hPictureDC, picture);
  // A one-bit picture takes the text colour for black: keep it black on white.
  const COLORREF oldText = m_crPaintText;
  if (info.bmBitsPixel == 1) {
    PaintTextColor(dc, 0);
    SetBkColor(dc, 0xFFFFFF);
  }
  BitBlt(dc, x, y, info.bmWidth, info.bmHeight, m_hPictureDC, 0, 0, SRCCOPY);
  PaintTextColor(dc, oldText);
  SelectObject(m_hPictureDC, old);
}
