// The table property sheet: up to three pages (fields, keys, gallery) that
// edit one table description in place.
#include <stddef.h>

#include "edit_codes.h"
#include "frame_util.h"
#include "sheet_pages.h"

namespace {

struct PageSpec {
  unsigned bit;
  unsigned templateId;
  unsigned titleId;
  DLGPROC proc;
};
const PageSpec kPages[] = {
    {ZT_SHEET_FIELDS, ZT_DLG_FIELDS_PAGE, ZT_STR_PAGE_FIELDS, ztFieldsPageProc},
    {ZT_SHEET_KEYS, ZT_DLG_KEYS_PAGE, ZT_STR_PAGE_KEYS, ztKeysPageProc},
    {ZT_SHEET_GALLERY, ZT_DLG_GALLERY_PAGE, ZT_STR_PAGE_GALLERY, ztGalleryPageProc},
};

// The header up to its third union (the second version of the structure).
constexpr DWORD kHeaderSize = offsetof(PROPSHEETHEADERA, hbmHeader) + sizeof(HBITMAP);
static_assert(sizeof(void*) != 4 || (kHeaderSize == 52 && sizeof(PROPSHEETPAGEA_V2) == 48),
              "the sheet's header and pages have the sizes the system expects of them");

}  // namespace

namespace {

// WM_INITDIALOG: keeps the table, shows the grid's column headers and centres
// the sheet on the screen.
void InitPage(HWND page, LPARAM lParam, const SZTPageType& type) {
  SZTSheetPage& state = *type.state;
  state.table =
      lParam ? reinterpret_cast<CZTTableDesc*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam) : nullptr;
  state.sheet = nullptr;
  type.grid->DispColHeaders(page, 1);
  ztCentreOnScreen(GetParent(page));
}

// WM_NOTIFY of the sheet: activation (the sheet kept, the table's name shown,
// the page filled), leaving and applying. true when the notification was one
// of them; *result is the dialog procedure's result then.
bool Notify(HWND page, LPARAM lParam, const SZTPageType& type, INT_PTR* result) {
  SZTSheetPage& state = *type.state;
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
  switch (header->code) {
    case PSN_SETACTIVE:
      state.sheet = header->hwndFrom;
      SetDlgItemTextA(page, ZT_ID_TABLE_NAME, state.table ? state.table->m_szName : "");
      if (state.table) type.activate(page);
      *result = 0;
      return true;
    case PSN_KILLACTIVE:
      SetWindowLongPtrA(page, DWLP_MSGRESULT, FALSE);
      *result = TRUE;
      return true;
    case PSN_APPLY:
      SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
      *result = FALSE;
      return true;
    default:
      return false;
  }
}

}  // namespace

INT_PTR ztSheetPageProc(const SZTPageType& type, HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitPage(page, lParam, type);
      return FALSE;
    case WM_NOTIFY: {
      INT_PTR result = 0;
      if (Notify(page, lParam, type, &result)) return result;
      break;
    }
    case WM_COMMAND:
      if (type.state->table) type.command(page, wParam, lParam);
      return TRUE;
  }
  return FALSE;
}

void ztSheetFillGrid(CGridDef& grid, unsigned count, void (*show)(unsigned line)) {
  if (grid.m_pGrid) grid.m_pGrid->DeleteAllItems(TRUE);
  if (!count) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcTableDescDlg, "DispRecs: Table does not exist");
    return;
  }
  for (unsigned i = 0; i < count; ++i) {
    if (!grid.InsertItem(i, i)) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcTableDescDlg, "Cannot insert item %u into the grid control", i);
      ztTbl32Lib.DispError(0);
      return;
    }
    show(i);
  }
}

void ztSheetChanged(const SZTSheetPage& state, HWND page) {
  if (state.sheet) SendMessageA(state.sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
}

int CZTTableDesc::PropertySheetA(HWND parent, unsigned pages, unsigned startPage) {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  // The system walks the pages by the size each one gives.
  PROPSHEETPAGEA_V2 page[3] = {};
  unsigned count = 0;
  for (const PageSpec& spec : kPages) {
    if (!(pages & spec.bit)) continue;
    if (spec.bit == ZT_SHEET_GALLERY && !m_Gallery.m_bDefined) continue;
    PROPSHEETPAGEA_V2& p = page[count++];
    p.dwSize = sizeof(PROPSHEETPAGEA_V2);
    p.dwFlags = PSP_USETITLE | PSP_PREMATURE;
    p.hInstance = ztTbl32Lib.m_hResInstance;
    p.pszTemplate = MAKEINTRESOURCEA(spec.templateId);
    p.pszTitle = MAKEINTRESOURCEA(spec.titleId);
    p.pfnDlgProc = spec.proc;
    p.lParam = reinterpret_cast<LPARAM>(this);
  }
  PROPSHEETHEADERA header = {};
  header.dwSize = kHeaderSize;
  header.dwFlags = PSH_PROPSHEETPAGE;
  header.hwndParent = parent;
  header.hInstance = ztTbl32Lib.m_hResInstance;
  header.pszCaption = MAKEINTRESOURCEA(ZT_STR_SHEET_CAPTION);
  header.nPages = count;
  header.nStartPage = startPage;
  header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(page);
  const INT_PTR result = ::PropertySheetA(&header);
  if (result < 0) {
    const DWORD error = GetLastError();
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcTableDescDlg, "Error %d from PropertySheet.", static_cast<int>(result));
    ztTbl32Lib.DispError(ZT_ERR_SHEET, static_cast<unsigned>(error));
    return 0;
  }
  return static_cast<int>(result);
}
