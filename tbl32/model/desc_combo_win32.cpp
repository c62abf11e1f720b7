#include "desc_combo.h"

namespace {
HWND FindCombo(HWND window, unsigned controlId, const ZTComboTexts& texts) {
  HWND box = (controlId == 0 || controlId == kZTSelfControl) ? window : GetDlgItem(window, (int)controlId);
  if (!box || !IsWindow(box)) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, texts.source, texts.notFound, (int)controlId);
    return nullptr;
  }
  return box;
}
}  // namespace

int ztFillNameCombo(HWND window, unsigned controlId, const void* owner, unsigned count, ZTNameAt nameAt,
                    const char* select, const ZTComboTexts& texts) {
  HWND box = FindCombo(window, controlId, texts);
  if (!box) return 0;
  SendMessageA(box, CB_RESETCONTENT, 0, 0);
  if (!count) {
    ztTbl32Lib.PrtLog(ZT_LOG_TRACE, texts.source, "%s", texts.empty);
    return 1;
  }
  unsigned added = 0;
  for (unsigned i = 0; i < count; ++i) {
    const char* name = nameAt(owner, i);
    if (!name || !name[0]) continue;
    SendMessageA(box, CB_INSERTSTRING, added, reinterpret_cast<LPARAM>(name));
    if (select && !ztStrICmpAscii(select, name)) SendMessageA(box, CB_SETCURSEL, added, 0);
    ++added;
  }
  return 1;
}

int ztGetNameComboSel(HWND window, unsigned controlId, char* buffer, const ZTComboTexts& texts) {
  HWND box = FindCombo(window, controlId, texts);
  if (!box || !buffer) return 0;
  LRESULT selection = SendMessageA(box, CB_GETCURSEL, 0, 0);
  if (selection == CB_ERR) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, texts.source, "%s", texts.noSelection);
    return 0;
  }
  // The buffer holds a name of 32 characters; longer items are refused.
  LRESULT length = SendMessageA(box, CB_GETLBTEXTLEN, (WPARAM)selection, 0);
  if (length == CB_ERR || length >= 32 ||
      SendMessageA(box, CB_GETLBTEXT, (WPARAM)selection, reinterpret_cast<LPARAM>(buffer)) == CB_ERR) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, texts.source, texts.inquiry, (int)selection);
    return 0;
  }
  return 1;
}
