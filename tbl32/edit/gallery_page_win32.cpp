// The gallery page of the table property sheet: layout, dia mode and size, and
// the grid of image file names.
#include "edit_codes.h"
#include "record_table.h"
#include "sheet_pages.h"
#include "zt_lib32/combo_box.h"

namespace {

const SColumnDef kColumns[] = {{GCT_EDIT, 0, 0, 1, ZT_ID_IMAGE_NAME, 100, ZT_STR_IMAGES_HEADER}};
CGridDef s_Grid = {0, nullptr, ZT_ID_IMAGES_GRID, 25, &ztTbl32Lib, nullptr, 1, kColumns};

const ZTListEntry kLayouts[] = {{0, 2800}, {1, 2801}, {2, 2802}, {3, 2803}, {4, 2804},
                                {5, 2805}, {6, 2806}, {7, 2807}, {8, 2808}};
const ZTListEntry kDiaModes[] = {{0, 2900}, {1, 2901}, {2, 2902}, {3, 2903}};
CZTComboBox s_LayoutCombo(ZT_ID_GALLERY_LAYOUT, 9, kLayouts, &ztTbl32Lib);
CZTComboBox s_DiaModeCombo(ZT_ID_DIA_MODE, 4, kDiaModes, &ztTbl32Lib);

SZTSheetPage s_Page = {};
// Set while the page shows the table, so that the edits' own change
// notifications are not taken for the person's.
bool s_bShowing = false;

void Fill() {
  const CZTGallDesc& gallery = s_Page.table->m_Gallery;
  ztSheetFillGrid(s_Grid, gallery.m_pImgNames ? gallery.m_uImgCount : 0, [](unsigned line) {
    if (s_Grid.m_pGrid) s_Grid.m_pGrid->SetItemText(line, 0, s_Page.table->m_Gallery.m_pImgNames[line].m_szText);
  });
}

void Activate(HWND page) {
  const CZTGallDesc& gallery = s_Page.table->m_Gallery;
  s_bShowing = true;
  s_DiaModeCombo.Display(page, gallery.m_uDiaMode);
  s_LayoutCombo.Display(page, gallery.m_uLayout);
  SetDlgItemInt(page, ZT_ID_DIA_WIDTH, gallery.m_uDiaWidth, FALSE);
  SetDlgItemInt(page, ZT_ID_DIA_HEIGHT, gallery.m_uDiaHeight, FALSE);
  s_bShowing = false;
  Fill();
}

void AddImageName(HWND page) {
  CZTGallDesc& gallery = s_Page.table->m_Gallery;
  if (!ztAppendRecord(gallery.m_pImgNames, gallery.m_uImgCount, gallery.m_uImgAlloc, CZTImgNameDesc(), 1,
                      "CZTGallDesc"))
    return;
  Fill();
  ztSheetChanged(s_Page, page);
}

void DeleteImageName(HWND page, unsigned line) {
  CZTGallDesc& gallery = s_Page.table->m_Gallery;
  if (line >= gallery.m_uImgCount) return;
  if (ztTbl32Lib.DispQuestion(ZT_ASK_DELETE_KEY, line) != IDYES) return;
  ztRemoveRecord(gallery.m_pImgNames, gallery.m_uImgCount, line);
  Fill();
  ztSheetChanged(s_Page, page);
}

void OnCommand(HWND page, WPARAM wParam, LPARAM lParam) {
  const unsigned id = LOWORD(wParam), code = HIWORD(wParam);
  const unsigned line = static_cast<unsigned>(lParam);
  CZTTableDesc* table = s_Page.table;
  IGridView* grid = s_Grid.m_pGrid;
  CZTGallDesc& gallery = table->m_Gallery;
  switch (id) {
    case ZT_ID_INSERT:
      if (code == BN_CLICKED) AddImageName(page);
      break;
    case ZT_ID_DELETE:
      if (code == BN_CLICKED && grid) DeleteImageName(page, grid->GetCurItem());
      break;
    case ZT_ID_PRINT:
      if (code == BN_CLICKED) table->PrintKeyList(page);
      break;
    case ZT_ID_IMAGES_GRID:
      if (code == GN_INSERTLINE || code == GN_CLICK)
        AddImageName(page);
      else if (code == GN_DELETELINE)
        DeleteImageName(page, line);
      break;
    case ZT_ID_IMAGE_NAME:
      if (code == GN_EDITCLOSE && grid && line < gallery.m_uImgCount) {
        CZTImgNameDesc& name = gallery.m_pImgNames[line];
        char text[kZTImgNameSize] = "";
        grid->GetItemText(line, 0, text, sizeof(text));
        name.m_uLength = ztStrCopy(name.m_szText, text, sizeof(name.m_szText));
      }
      break;
    case ZT_ID_DIA_WIDTH:
    case ZT_ID_DIA_HEIGHT:
      if (code == EN_CHANGE && !s_bShowing) {
        BOOL read = FALSE;
        const UINT value = GetDlgItemInt(page, static_cast<int>(id), &read, FALSE);
        if (!read) break;
        (id == ZT_ID_DIA_WIDTH ? gallery.m_uDiaWidth : gallery.m_uDiaHeight) = value;
        ztSheetChanged(s_Page, page);
      }
      break;
    case ZT_ID_GALLERY_LAYOUT:
      if (s_LayoutCombo.Select(page, static_cast<unsigned>(wParam), &gallery.m_uLayout)) ztSheetChanged(s_Page, page);
      break;
    case ZT_ID_DIA_MODE:
      if (s_DiaModeCombo.Select(page, static_cast<unsigned>(wParam), &gallery.m_uDiaMode)) ztSheetChanged(s_Page, page);
      break;
  }
}

}  // namespace

INT_PTR CALLBACK ztGalleryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  static const SZTPageType kType = {&s_Page, &s_Grid, Activate, OnCommand};
  return ztSheetPageProc(kType, page, message, wParam, lParam);
}
