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

void ztSheetPageInit(HWND page, LPARAM lParam, SZTSheetPage& state, CGridDef& grid) {
  state.table =
      lParam ? reinterpret_cast<CZTTableDesc*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam) : nullptr;
  state.sheet = nullptr;
  grid.DispColHeaders(page, 1);
  ztCentreOnScreen(GetParent(page));
}

bool ztSheetPageNotify(HWND page, LPARAM lParam, SZTSheetPage& state, void (*activate)(HWND), INT_PTR* result) {
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
  switch (header->code) {
    case PSN_SETACTIVE:
      state.sheet = header->hwndFrom;
      SetDlgItemTextA(page, ZT_ID_TABLE_NAME, state.table ? state.table->m_szName : "");
      if (state.table) activate(page);
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

void ztSheetChanged(const SZTSheetPage& state, HWND page) {
  if (state.sheet) SendMessageA(state.sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
}

void ztSheetInsertFailed(unsigned line) {
  ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcTableDescDlg, "Cannot insert item %u into the grid control", line);
  ztTbl32Lib.DispError(0);
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
