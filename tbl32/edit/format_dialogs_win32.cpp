#include "format_dialogs.h"

#include "edit_codes.h"
#include "frame_util.h"
#include "zt_lib32/combo_box.h"
#include "zt_tbl32/field_desc.h"

namespace {

// Decimals take bits 12-15 of the word: more than 15 cannot be kept.
constexpr unsigned kMaxDecimals = 15;

const ZTListEntry kDateFormats[] = {{0, 2500}, {1, 2501}, {2, 2502}, {3, 2503},  {4, 2504},  {5, 2505}, {6, 2506},
                                    {7, 2507}, {8, 2508}, {9, 2509}, {10, 2510}, {11, 2511}, {12, 2512}};
const ZTListEntry kTimeFormats[] = {{0, 2600}, {1, 2601}, {2, 2602}, {3, 2603}};
CZTComboBox s_DateCombo(ZT_ID_DATE_FORMAT, 13, kDateFormats, &ztTbl32Lib);
CZTComboBox s_TimeCombo(ZT_ID_TIME_FORMAT, 4, kTimeFormats, &ztTbl32Lib);

// The dialog being shown (one at a time): the word and what the controls say.
struct FormatState {
  unsigned* word;
  unsigned flags;
  unsigned decimals;
  unsigned dateFormat;
  unsigned timeFormat;
};
FormatState s_state;

// The check boxes and the flag each stands for.
struct FlagBox {
  unsigned id;
  unsigned flag;
};
const FlagBox kFlagBoxes[] = {{ZT_ID_SIGNED, ZT_FMT_SIGNED},       {ZT_ID_LEADING_ZEROS, ZT_FMT_ZERO_FILL},
                              {ZT_ID_THOUSANDS, ZT_FMT_THOUSANDS}, {ZT_ID_DECIMAL_COMMA, ZT_FMT_COMMA},
                              {ZT_ID_DATE_PART, ZT_FMT_DATE},      {ZT_ID_TIME_PART, ZT_FMT_TIME}};

void ShowFlag(HWND dialog, unsigned id, unsigned flag) {
  CheckDlgButton(dialog, static_cast<int>(id), (s_state.flags & flag) ? BST_CHECKED : BST_UNCHECKED);
}

// Ends the dialog with 1 after storing a changed word, else with 0.
void Finish(HWND dialog, unsigned word) {
  if (word != *s_state.word) {
    *s_state.word = word;
    EndDialog(dialog, 1);
  } else {
    EndDialog(dialog, 0);
  }
}

// Starting a dialog: a null word ends it at once. false: ended.
bool Start(HWND dialog, LPARAM lParam, unsigned flagMask) {
  s_state = {};
  s_state.word = reinterpret_cast<unsigned*>(lParam);
  if (!s_state.word) {
    EndDialog(dialog, 0);
    return false;
  }
  const unsigned word = *s_state.word;
  s_state.flags = word & flagMask;
  s_state.decimals = ztFmtDecimals(word);
  s_state.dateFormat = ztFmtDateFormat(word);
  s_state.timeFormat = ztFmtTimeFormat(word);
  for (const FlagBox& box : kFlagBoxes)
    if (box.flag & flagMask) ShowFlag(dialog, box.id, box.flag);
  ztCentreOnScreen(dialog);
  return true;
}

// The buttons every format dialog ends with; true when the message was one of them.
bool Closing(HWND dialog, UINT message, WPARAM wParam) {
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    EndDialog(dialog, 0);
    return true;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == ZT_ID_FORMAT_CANCEL || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, 0);
    return true;
  }
  return false;
}

// A click on a check box of the mask inverts its flag. true when it was one.
bool ToggleFlag(HWND dialog, WPARAM wParam, unsigned flagMask) {
  if (HIWORD(wParam) != BN_CLICKED) return false;
  for (const FlagBox& box : kFlagBoxes) {
    if (box.id != LOWORD(wParam) || !(box.flag & flagMask)) continue;
    s_state.flags ^= box.flag;
    ShowFlag(dialog, box.id, box.flag);
    return true;
  }
  return false;
}

void ShowDecimals(HWND dialog) { SetDlgItemInt(dialog, ZT_ID_DECIMALS, s_state.decimals, FALSE); }

void InitDecimals(HWND dialog) {
  // Setting up the up-down control may write its own position into the edit.
  const unsigned decimals = s_state.decimals;
  HWND edit = GetDlgItem(dialog, ZT_ID_DECIMALS);
  SendDlgItemMessageA(dialog, ZT_ID_DECIMALS_SPIN, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
  SendDlgItemMessageA(dialog, ZT_ID_DECIMALS_SPIN, UDM_SETRANGE32, 0, kMaxDecimals);
  SendDlgItemMessageA(dialog, ZT_ID_DECIMALS_SPIN, UDM_SETPOS32, 0, decimals);
  SendMessageA(edit, EM_LIMITTEXT, 2, 0);
  s_state.decimals = decimals;
  ShowDecimals(dialog);
}

// A number typed into the decimals edit is taken (at most 15, shown as such).
void TakeDecimals(HWND dialog) {
  BOOL read = FALSE;
  UINT value = GetDlgItemInt(dialog, ZT_ID_DECIMALS, &read, FALSE);
  if (!read) return;
  if (value > kMaxDecimals) {
    s_state.decimals = kMaxDecimals;
    ShowDecimals(dialog);
    return;
  }
  s_state.decimals = value;
}

// The number and decimal dialogs differ only in the flags they edit.
INT_PTR NumberLikeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, unsigned flagMask) {
  if (Closing(dialog, message, wParam)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      if (Start(dialog, lParam, flagMask)) InitDecimals(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == ZT_ID_FORMAT_OK || LOWORD(wParam) == IDOK) {
        Finish(dialog, ztFmtKind(*s_state.word) | s_state.flags | ((s_state.decimals & 0xF) << 12));
        return TRUE;
      }
      if (LOWORD(wParam) == ZT_ID_DECIMALS && HIWORD(wParam) == EN_CHANGE) {
        TakeDecimals(dialog);
        return TRUE;
      }
      if (ToggleFlag(dialog, wParam, flagMask)) {
        if (LOWORD(wParam) == ZT_ID_DECIMAL_COMMA) ShowDecimals(dialog);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

void EnableFormats(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, ZT_ID_DATE_FORMAT), (s_state.flags & ZT_FMT_DATE) != 0);
  EnableWindow(GetDlgItem(dialog, ZT_ID_TIME_FORMAT), (s_state.flags & ZT_FMT_TIME) != 0);
}

}  // namespace

INT_PTR CALLBACK ztNumberFormatProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return NumberLikeProc(dialog, message, wParam, lParam,
                        ZT_FMT_SIGNED | ZT_FMT_ZERO_FILL | ZT_FMT_THOUSANDS | ZT_FMT_COMMA);
}

INT_PTR CALLBACK ztDecimalFormatProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return NumberLikeProc(dialog, message, wParam, lParam, ZT_FMT_THOUSANDS | ZT_FMT_COMMA);
}

INT_PTR CALLBACK ztDateTimeFormatProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const unsigned mask = ZT_FMT_DATE | ZT_FMT_TIME;
  if (Closing(dialog, message, wParam)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      if (Start(dialog, lParam, mask)) {
        s_DateCombo.Display(dialog, s_state.dateFormat);
        s_TimeCombo.Display(dialog, s_state.timeFormat);
        EnableFormats(dialog);
      }
      return TRUE;
    case WM_COMMAND: {
      const unsigned id = LOWORD(wParam);
      if (id == ZT_ID_FORMAT_OK || id == IDOK) {
        // A format is kept only with its part.
        unsigned word = ztFmtKind(*s_state.word);
        if (s_state.flags & ZT_FMT_DATE) word |= ZT_FMT_DATE | ((s_state.dateFormat & 0xF) << 12);
        if (s_state.flags & ZT_FMT_TIME) word |= ZT_FMT_TIME | ((s_state.timeFormat & 0xF) << 16);
        Finish(dialog, word);
        return TRUE;
      }
      if (ToggleFlag(dialog, wParam, mask)) {
        EnableFormats(dialog);
        return TRUE;
      }
      if (s_DateCombo.Select(dialog, static_cast<unsigned>(wParam), &s_state.dateFormat) ||
          s_TimeCombo.Select(dialog, static_cast<unsigned>(wParam), &s_state.timeFormat))
        return TRUE;
      break;
    }
  }
  return FALSE;
}

int ztEditFormatWord(HWND owner, unsigned* word) {
  if (!word) return 0;
  unsigned templateId;
  DLGPROC proc;
  switch (ztFmtKind(*word)) {
    case ZT_KIND_NUMBER:
      templateId = ZT_DLG_NUMBER_FORMAT;
      proc = ztNumberFormatProc;
      break;
    case ZT_KIND_DATETIME:
      templateId = ZT_DLG_DATETIME_FORMAT;
      proc = ztDateTimeFormatProc;
      break;
    case ZT_KIND_DECIMAL:
      templateId = ZT_DLG_DECIMAL_FORMAT;
      proc = ztDecimalFormatProc;
      break;
    default:
      return 0;
  }
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&icc);
  unsigned copy = *word;
  if (ztTbl32Lib.DispDialogBoxParam(templateId, owner, proc, reinterpret_cast<LPARAM>(&copy)) != 1) return 0;
  *word = copy;
  return 1;
}
