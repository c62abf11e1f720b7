// Painting checked pixel by pixel: the grid paints into a memory bitmap.
#include <gtest/gtest.h>

#include <string>

#include "grid_test_support.h"

namespace {

using zt_test::GridParent;
using zt_test::GridPicture;

constexpr COLORREF kWhite = 0xFFFFFF, kBlack = 0;
constexpr COLORREF kFocusedSelection = 0x600000, kUnfocusedSelection = 0xD0A0A0;

// Pixels in the patterns of the pictures (scripts/make_grid_pictures.py).
constexpr int kCheckPixels = 37, kCrossPixels = 64, kCirclePixels = 32, kRingPixels = 68;

class GridPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    hwnd = parent.CreateGrid(9, 400, 300);
    ASSERT_NE(hwnd, nullptr);
    grid = zt_test::GridOf(hwnd);
    view = zt_test::GridViewOf(hwnd);
    grid->SetColumnCount(3, FALSE);
    for (unsigned i = 0; i < 5; ++i) grid->InsertItem(i, i, FALSE);
  }
  void TearDown() override {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  // The strip of a line: [top, bottom).
  int Top(unsigned line) const { return view->m_model.LineTop(line) + 1; }
  int Bottom(unsigned line) const { return Top(line) + int(view->m_model.m_uLineHeight); }
  int Left(unsigned column) const { return int(view->m_model.Column(column)->left); }
  int Right(unsigned column) const { return Left(column) + int(view->m_model.Column(column)->width); }
  int Middle(unsigned line) const { return (Top(line) + Bottom(line)) / 2; }

  GridParent parent;
  HWND hwnd = nullptr;
  IGridView* grid = nullptr;
  CGridView* view = nullptr;
};

TEST_F(GridPaint, SelectionColoursFollowTheFocus) {
  grid->SelectItem(1, 1);
  ASSERT_EQ(GetFocus(), hwnd);
  {
    GridPicture picture(hwnd);
    EXPECT_EQ(picture.At(Left(1) + 2, Middle(1)), kFocusedSelection);
    EXPECT_EQ(picture.At(Right(1) - 1, Middle(1)), kFocusedSelection);
    EXPECT_EQ(picture.At(Left(1) - 2, Middle(1)), kWhite);  // only the current cell
    EXPECT_EQ(picture.At(Left(1) + 2, Middle(2)), kWhite);
  }
  SetFocus(parent.Window());
  {
    GridPicture picture(hwnd);
    EXPECT_EQ(picture.At(Left(1) + 2, Middle(1)), kUnfocusedSelection);
  }
  // Line mode: the whole line but the outermost pixels.
  grid->SetStyle(GS_LINEMODE);
  {
    GridPicture picture(hwnd);
    EXPECT_EQ(picture.At(1, Middle(1)), kUnfocusedSelection);
    EXPECT_EQ(picture.At(picture.width - 2, Middle(1)), kUnfocusedSelection);
    EXPECT_EQ(picture.At(0, Middle(1)), kWhite);
  }
  // A current line that no longer exists is not painted.
  grid->DeleteItem(4, FALSE);
  grid->DeleteItem(3, FALSE);
  grid->DeleteItem(2, FALSE);
  grid->DeleteItem(1, FALSE);
  EXPECT_EQ(grid->GetCurItem(), 1u);
  GridPicture picture(hwnd);
  EXPECT_EQ(picture.Count(0, 0, picture.width, picture.height, kUnfocusedSelection), 0);
}

TEST_F(GridPaint, GridLinesAndBands) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  {
    GridPicture plain(hwnd);
    EXPECT_EQ(plain.At(Left(0) + 20, Top(2) - 1), kWhite);
    EXPECT_EQ(plain.At(Left(1), Middle(2)), kWhite);
  }
  grid->SetStyle(GS_GRIDLINES);
  {
    GridPicture lines(hwnd);
    // A line at the top of every strip down to the bottom, and at each column's left edge.
    EXPECT_EQ(lines.At(Left(0) + 20, Top(2) - 1), face);
    EXPECT_EQ(lines.At(Left(2) + 20, Top(9) - 1), face);
    EXPECT_EQ(lines.At(Left(1), Middle(2)), face);
    EXPECT_EQ(lines.At(Left(2), Middle(12)), face);
    EXPECT_EQ(lines.At(Left(1) + 5, Middle(2)), kWhite);
  }
  // Different backgrounds for odd lines: bands instead of lines.
  grid->SetColors(TRUE, 0xE0F0F0, kBlack, kFocusedSelection, kWhite);
  GridPicture bands(hwnd);
  EXPECT_EQ(bands.At(Left(0) + 20, Middle(1)), 0xE0F0F0u);
  EXPECT_EQ(bands.At(Left(0) + 20, Middle(2)), kWhite);
  EXPECT_EQ(bands.At(Left(0) + 20, Middle(7)), 0xE0F0F0u);  // beyond the last line too
  EXPECT_EQ(bands.At(Left(1), Middle(3)), face);
  grid->SetStyle(0);  // no bands without the style
  GridPicture none(hwnd);
  EXPECT_EQ(none.At(Left(0) + 20, Middle(1)), kWhite);
}

TEST_F(GridPaint, AColumnWithItsOwnBackground) {
  grid->SetColumnType(1, GCT_PLAIN, 1, GCF_BACKCOLORS);
  grid->SetColumnColors(1, 0x80FFFF, 0xFFC0C0, kBlack, kBlack, FALSE);
  {
    // Equal line backgrounds: the whole column below the header, even without grid lines.
    GridPicture picture(hwnd);
    EXPECT_EQ(picture.At(Left(1) + 10, Middle(1)), 0x80FFFFu);
    EXPECT_EQ(picture.At(Left(1) + 10, picture.height - 2), 0x80FFFFu);
    EXPECT_EQ(picture.At(Left(0) + 10, Middle(1)), kWhite);
    EXPECT_NE(picture.At(Left(1) + 10, 2), 0x80FFFFu);  // the header
  }
  // With bands, each line's cell in the column's even or odd colour.
  grid->SetStyle(GS_GRIDLINES);
  grid->SetColors(TRUE, 0xF0F0F0, kBlack, kFocusedSelection, kWhite);
  GridPicture picture(hwnd);
  EXPECT_EQ(picture.At(Left(1) + 10, Middle(0)), 0x80FFFFu);
  EXPECT_EQ(picture.At(Left(1) + 10, Middle(1)), 0xFFC0C0u);
}

TEST_F(GridPaint, SortMarkerPointsByDirection) {
  grid->SetColumnHeader(0, 33, 0, "Name", FALSE);
  const int header = int(view->m_model.m_uHeaderHeight);
  GridPicture plain(hwnd);
  // Per row of the header cell: how many pixels the marker changed, and where.
  auto rows = [&](const GridPicture& picture, int& left) {
    std::vector<int> widths;
    left = 1 << 30;
    for (int y = 0; y < header; ++y) {
      int n = 0;
      for (int x = Left(0); x < Right(0); ++x)
        if (picture.At(x, y) != plain.At(x, y)) {
          ++n;
          if (x < left) left = x;
        }
      if (n) widths.push_back(n);
    }
    return widths;
  };
  int left = 0;
  grid->SetSortColumn(0, FALSE);
  {
    GridPicture picture(hwnd);
    const std::vector<int> widths = rows(picture, left);
    ASSERT_GE(widths.size(), 3u);
    EXPECT_GT(widths.front(), widths.back());  // down: widest at the top
    for (size_t i = 1; i < widths.size(); ++i) EXPECT_LE(widths[i], widths[i - 1]);
    EXPECT_GT(left, Right(0) - 20);  // at the right of a left-justified header
  }
  grid->SetSortColumn(0, TRUE);
  {
    GridPicture picture(hwnd);
    const std::vector<int> widths = rows(picture, left);
    ASSERT_GE(widths.size(), 3u);
    EXPECT_LT(widths.front(), widths.back());  // up: widest at the bottom
  }
  grid->ClearSortColumn();
  {
    GridPicture picture(hwnd);
    EXPECT_TRUE(rows(picture, left).empty());  // sortable, no marker
  }
}

TEST_F(GridPaint, PicturesAndColourSwatches) {
  grid->SetColumnType(0, GCT_CHECK, 1, 0);
  grid->SetColumnType(1, GCT_YESNO, 2, 0);
  grid->SetColumnType(2, GCT_COLOR, 3, 0);
  grid->SetColumnHeader(0, 33, 1, "Ok", FALSE);
  grid->SetColumnHeader(1, 33, 1, "Ja", FALSE);
  for (unsigned value = 0; value < 3; ++value) {
    grid->SetItemUInt(value, 0, value);
    grid->SetItemUInt(value, 1, value);
  }
  grid->SetItemUInt(0, 2, 0x0080FF);
  GridPicture picture(hwnd);
  const COLORREF red = RGB(208, 0, 0), green = RGB(0, 144, 0);
  // The picture's place in a cell: centred across, centred down when it fits
  // the line, else from the line's top (the next line's picture may cover its
  // lower rows, which are empty in every pattern).
  auto pictureTop = [&](unsigned line) {
    return 16 >= Bottom(line) - Top(line) ? Top(line) + 1 : (Top(line) + Bottom(line) - 16) / 2;
  };
  auto count = [&](unsigned line, unsigned column, COLORREF colour) {
    const int x = (Left(column) + Right(column) - 16) / 2, y = pictureTop(line);
    const int end = y + 16 < pictureTop(line + 1) ? y + 16 : pictureTop(line + 1);
    return picture.Count(x, y, x + 16, end, colour);
  };
  EXPECT_EQ(count(1, 0, kBlack), kCheckPixels);
  EXPECT_EQ(count(0, 0, kBlack), kCirclePixels);
  EXPECT_EQ(count(2, 0, kBlack), kRingPixels);
  EXPECT_EQ(count(1, 1, green), kCheckPixels);
  EXPECT_EQ(count(0, 1, red), kCrossPixels);
  EXPECT_EQ(count(2, 1, kBlack), kRingPixels);  // the ring without a check column too
  // Centred: the check's first column of ink is 2 pixels into the 16-pixel picture.
  const auto span = picture.InkSpan(Left(0), Top(1), Right(0), Bottom(1), kWhite);
  EXPECT_EQ(span.first, (Left(0) + Right(0) - 16) / 2 + 2);
  EXPECT_EQ(picture.At(Left(2) + 5, Middle(0)), 0x0080FFu);
  EXPECT_EQ(picture.At(Left(2) + 5, Middle(1)), kWhite);  // no value, no swatch
}

TEST_F(GridPaint, TextsThatDoNotFitEndWithAnEllipsis) {
  const char* text = "Ein sehr langer Text, der nicht in die Spalte passt";
  grid->SetItemText(0, 0, text);
  grid->SetItemText(1, 0, "kurz");
  grid->SetColumnHeader(2, 33, 2, "Zahl", FALSE);
  grid->SetColumnType(2, GCT_PLAIN, 3, GCF_THOUSANDS);
  grid->SetItemUInt(0, 2, 1234567);
  GridPicture picture(hwnd);
  // What should fit: the longest start that leaves room for "...".
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, view->m_hDataFont);
  const int available = Right(0) - Left(0) - 3;
  int fit = 0;
  SIZE start;
  GetTextExtentExPointA(dc, text, int(strlen(text)), available - int(view->m_uEllipsisWidth), &fit, nullptr, &start);
  GetTextExtentPoint32A(dc, text, fit, &start);
  SIZE number;
  GetTextExtentPoint32A(dc, "1.234.567", 9, &number);
  SelectObject(dc, old);
  DeleteDC(dc);
  ASSERT_GT(fit, 3);
  ASSERT_LT(fit, int(strlen(text)));
  const int end = Left(0) + 3 + start.cx + int(view->m_uEllipsisWidth);
  const auto ink = picture.InkSpan(Left(0), Top(0), Right(0) + 20, Bottom(0), kWhite);
  EXPECT_GE(ink.first, Left(0) + 3);
  EXPECT_LT(ink.second, end);
  EXPECT_GE(ink.second, end - 4);
  EXPECT_LT(ink.second, Right(0));
  // The dots: ink in the last ellipsis width, after a gap from the text.
  EXPECT_GE(picture.InkSpan(end - int(view->m_uEllipsisWidth), Top(0), end, Bottom(0), kWhite).first, 0);
  // A right-justified number with thousands points ends 3 pixels before the edge.
  const auto digits = picture.InkSpan(Left(2), Top(0), Right(2), Bottom(0), kWhite);
  EXPECT_LE(digits.second, Right(2) - 4);
  EXPECT_GE(digits.first, Right(2) - 3 - number.cx);
}

}  // namespace
