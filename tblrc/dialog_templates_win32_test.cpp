// Every dialog template of both language libraries, looked at as a person
// working with the keyboard would: property pages of the standard size, every
// control inside its dialog and none on top of another, no text cut off, a
// mnemonic on every labelled control and no two alike in a dialog, each
// mnemonic leading to the control it labels, and the tab order following the
// layout in reading order.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace {

struct Control {
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  unsigned id = 0;
  std::string cls;   // "Button", "Edit", "Static", "ComboBox", ... or the class name
  std::string text;  // Windows-1252
};

struct Dialog {
  unsigned id = 0;
  DWORD style = 0;
  short cx = 0, cy = 0;
  std::vector<Control> controls;
};

// Reads the DIALOG and DIALOGEX layouts.
class TemplateReader {
 public:
  TemplateReader(const BYTE* data, size_t size) : p_(data), end_(data + size) {}

  bool Read(Dialog& dialog) {
    const bool ex = Word(0) == 1 && Word(2) == 0xFFFF;
    WORD count = 0;
    if (ex) {
      Skip(8);  // version, signature, help id
      Skip(4);  // extended style
      dialog.style = DWord();
    } else {
      dialog.style = DWord();
      Skip(4);
    }
    count = NextWord();
    Skip(4);  // x, y
    dialog.cx = static_cast<short>(NextWord());
    dialog.cy = static_cast<short>(NextWord());
    SkipSzOrOrd();  // menu
    SkipSzOrOrd();  // class
    String();       // title
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
      Skip(2);
      if (ex) Skip(4);
      String();
    }
    for (WORD i = 0; i < count && p_ < end_; ++i) {
      Align();
      Control c;
      if (ex) {
        Skip(8);  // help id, extended style
        c.style = DWord();
      } else {
        c.style = DWord();
        Skip(4);
      }
      c.x = static_cast<short>(NextWord());
      c.y = static_cast<short>(NextWord());
      c.cx = static_cast<short>(NextWord());
      c.cy = static_cast<short>(NextWord());
      c.id = ex ? DWord() : NextWord();
      c.cls = SzOrOrd(true);
      c.text = SzOrOrd(false);
      const WORD extra = NextWord();
      Skip(extra);
      dialog.controls.push_back(c);
    }
    return p_ <= end_;
  }

 private:
  WORD Word(size_t at) const { return p_ + at + 2 <= end_ ? static_cast<WORD>(p_[at] | (p_[at + 1] << 8)) : 0; }
  WORD NextWord() {
    const WORD w = Word(0);
    p_ += 2;
    return w;
  }
  DWORD DWord() {
    const DWORD lo = NextWord();
    return lo | (static_cast<DWORD>(NextWord()) << 16);
  }
  void Skip(size_t n) { p_ += n; }
  void Align() {
    while (reinterpret_cast<uintptr_t>(p_) & 3) ++p_;
  }
  std::string String() {
    std::wstring w;
    while (p_ < end_) {
      const WORD c = NextWord();
      if (!c) break;
      w += static_cast<wchar_t>(c);
    }
    std::string a(w.size(), '\0');
    if (!w.empty())
      WideCharToMultiByte(1252, 0, w.data(), static_cast<int>(w.size()), &a[0], static_cast<int>(a.size()), nullptr,
                          nullptr);
    return a;
  }
  void SkipSzOrOrd() { SzOrOrd(false); }
  std::string SzOrOrd(bool isClass) {
    if (Word(0) == 0xFFFF) {
      Skip(2);
      const WORD ord = NextWord();
      if (!isClass) return "";
      switch (ord) {
        case 0x80:
          return "Button";
        case 0x81:
          return "Edit";
        case 0x82:
          return "Static";
        case 0x83:
          return "ListBox";
        case 0x84:
          return "ScrollBar";
        case 0x85:
          return "ComboBox";
        default:
          return "#" + std::to_string(ord);
      }
    }
    return String();
  }

  const BYTE* p_;
  const BYTE* end_;
};

BOOL CALLBACK AddDialogId(HMODULE, LPCSTR, LPSTR name, LONG_PTR ids) {
  if (IS_INTRESOURCE(name))
    reinterpret_cast<std::vector<unsigned>*>(ids)->push_back(static_cast<unsigned>(reinterpret_cast<UINT_PTR>(name)));
  return TRUE;
}

std::vector<Dialog> ReadDialogs(HMODULE module) {
  std::vector<unsigned> ids;
  EnumResourceNamesA(module, reinterpret_cast<LPCSTR>(RT_DIALOG), AddDialogId, reinterpret_cast<LONG_PTR>(&ids));
  std::vector<Dialog> dialogs;
  for (unsigned id : ids) {
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
    Dialog dialog;
    dialog.id = id;
    TemplateReader(data, SizeofResource(module, res)).Read(dialog);
    dialogs.push_back(dialog);
  }
  return dialogs;
}

bool IsButton(const Control& c) { return c.cls == "Button"; }
unsigned ButtonKind(const Control& c) { return c.style & BS_TYPEMASK; }
bool IsGroupBox(const Control& c) { return IsButton(c) && ButtonKind(c) == BS_GROUPBOX; }
// A text static: shown text, of which a label (a mnemonic possible) when prefixes count.
bool IsTextStatic(const Control& c) { return c.cls == "Static" && (c.style & SS_TYPEMASK) <= SS_RIGHT; }
bool IsStaticText(const Control& c) { return IsTextStatic(c) && !(c.style & SS_NOPREFIX); }
bool IsInput(const Control& c) { return !IsButton(c) && c.cls != "Static" && (c.style & WS_TABSTOP); }
bool IsFocusable(const Control& c) { return (c.style & WS_TABSTOP) || (IsButton(c) && !IsGroupBox(c)); }
// OK and Cancel are reached with Enter and Escape and carry no mnemonic.
bool IsOkOrCancel(const Control& c) { return c.text == "OK" || c.text == "Cancel" || c.text == "Abbrechen"; }

// The letter after a single '&' in capitals; 0 when there is none.
char Mnemonic(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    char c[2] = {text[i + 1], 0};
    CharUpperA(c);
    return c[0];
  }
  return 0;
}

// The height a control takes in the layout (a drop-down's height includes its list).
int LayoutHeight(const Control& c) { return c.cls == "ComboBox" && c.cy > 14 ? 14 : c.cy; }

std::string Name(const std::string& language, const Dialog& d, const Control& c) {
  return "language " + language + ", dialog " + std::to_string(d.id) + ", control " + std::to_string(c.id) + " \"" +
         c.text + "\"";
}

void CheckLayout(const std::string& language, const Dialog& d) {
  if (d.style & WS_CHILD) {
    EXPECT_EQ(227, d.cx) << "property page " << d.id << " (" << language << ")";
    EXPECT_EQ(215, d.cy) << "property page " << d.id << " (" << language << ")";
  }
  std::vector<char> mnemonics;
  for (size_t i = 0; i < d.controls.size(); ++i) {
    const Control& c = d.controls[i];
    const std::string name = Name(language, d, c);
    // Inside the dialog.
    EXPECT_GE(c.x, 0) << name;
    EXPECT_GE(c.y, 0) << name;
    EXPECT_LE(c.x + c.cx, d.cx) << name;
    EXPECT_LE(c.y + LayoutHeight(c), d.cy) << name;
    // On top of no other control (a group box holds the ones inside it).
    for (size_t j = i + 1; j < d.controls.size(); ++j) {
      const Control& o = d.controls[j];
      if (IsGroupBox(c) || IsGroupBox(o)) continue;
      const bool apart =
          c.x + c.cx <= o.x || o.x + o.cx <= c.x || c.y + LayoutHeight(c) <= o.y || o.y + LayoutHeight(o) <= c.y;
      EXPECT_TRUE(apart) << name << " overlaps control " << o.id << " \"" << o.text << "\"";
    }
    // Mnemonics: unique; on every button and check box; a label's leads to the control after it.
    const char m = Mnemonic(c.text);
    if (m) {
      for (char other : mnemonics) EXPECT_NE(other, m) << name << ": mnemonic '" << m << "' twice";
      mnemonics.push_back(m);
    }
    if (IsButton(c) && !IsGroupBox(c) && !IsOkOrCancel(c)) {
      EXPECT_NE(0, m) << name << ": no mnemonic";
    }
    if (IsStaticText(c) && m) {
      ASSERT_LT(i + 1, d.controls.size()) << name << ": a mnemonic that leads nowhere";
      EXPECT_TRUE(IsFocusable(d.controls[i + 1])) << name << ": the mnemonic's control takes no focus";
    }
    if (IsInput(c) && i > 0 && IsStaticText(d.controls[i - 1])) {
      EXPECT_NE(0, Mnemonic(d.controls[i - 1].text)) << name << ": its label has no mnemonic";
    }
  }
  // Tab order: each stop on the row of the one before and right of it, or on a lower row.
  const Control* previous = nullptr;
  for (const Control& c : d.controls) {
    if (!IsFocusable(c)) continue;
    if (previous) {
      const bool sameRow = c.y < previous->y + LayoutHeight(*previous) && previous->y < c.y + LayoutHeight(c);
      if (sameRow)
        EXPECT_GT(c.x, previous->x) << Name(language, d, c) << " comes after " << previous->id
                                    << " but lies left of it";
      else
        EXPECT_GT(c.y, previous->y) << Name(language, d, c) << " comes after " << previous->id << " but lies above it";
    }
    previous = &c;
  }
}

// Measures each text against its control in the dialog as it is created.
INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

void CheckTextsFit(const std::string& language, HMODULE module, const Dialog& d, HWND parent) {
  HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(d.id), parent, QuietDialog, 0);
  ASSERT_NE(nullptr, dialog) << "dialog " << d.id << " (" << language << ") cannot be created";
  HDC dc = GetDC(dialog);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
  for (const Control& c : d.controls) {
    if (c.text.empty() || !(IsTextStatic(c) || IsButton(c))) continue;
    HWND window = GetDlgItem(dialog, static_cast<int>(c.id));
    if (!window || c.id == 0xFFFF || static_cast<int>(c.id) == -1) {
      // Labels share the id -1: find this one by its text.
      window = nullptr;
      for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[256] = "";
        GetWindowTextA(child, text, sizeof(text));
        if (c.text == text) window = child;
      }
    }
    ASSERT_NE(nullptr, window) << Name(language, d, c);
    RECT client;
    GetClientRect(window, &client);
    RECT need = {0, 0, 0, 0};
    DrawTextA(dc, c.text.c_str(), -1, &need,
              DT_CALCRECT | DT_SINGLELINE | ((c.style & SS_NOPREFIX) && !IsButton(c) ? DT_NOPREFIX : 0));
    int room = client.right - client.left;
    if (IsButton(c)) {
      const unsigned kind = ButtonKind(c);
      if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON)
        room -= 2 * GetSystemMetrics(SM_CXEDGE) + 4;
      else if (kind != BS_GROUPBOX)
        room -= GetSystemMetrics(SM_CXMENUCHECK) + 4;
    }
    EXPECT_LE(need.right - need.left, room) << Name(language, d, c) << ": the text is cut off";
  }
  SelectObject(dc, old);
  ReleaseDC(dialog, dc);
  DestroyWindow(dialog);
}

LRESULT CALLBACK StandInGrid(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class DialogTemplates : public ::testing::TestWithParam<const char*> {};

TEST_P(DialogTemplates, LaidOutForTheKeyboardAndTheEye) {
  const std::string language = GetParam();
  HMODULE module = LoadLibraryExA(("zt_tblrc" + language + ".dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, module);
  const std::vector<Dialog> dialogs = ReadDialogs(module);
  EXPECT_GE(dialogs.size(), 7u);
  // The grid window class is the library's; its templates only need some window of that name here.
  WNDCLASSA wc = {};
  if (!GetClassInfoA(nullptr, "CZTGridView32", &wc)) {
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = StandInGrid;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CZTGridView32";
    RegisterClassA(&wc);
  }
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
  for (const Dialog& d : dialogs) {
    CheckLayout(language, d);
    CheckTextsFit(language, module, d, parent);
  }
  DestroyWindow(parent);
  FreeLibrary(module);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, DialogTemplates, ::testing::Values("D", "E"));

// The checks themselves see faults: a template with each fault once.
TEST(DialogTemplateChecks, SeeOverlapsTwinMnemonicsAndATabOrderAgainstTheLayout) {
  Dialog d;
  d.id = 1;
  d.style = WS_POPUP;
  d.cx = 100;
  d.cy = 60;
  Control label{0, 5, 5, 40, 8, 0xFFFF, "Static", "&Name:"};
  Control edit{WS_TABSTOP, 50, 30, 40, 14, 10, "Edit", ""};
  Control button{WS_TABSTOP | BS_PUSHBUTTON, 50, 3, 40, 14, 11, "Button", "&Neu"};
  Control wide{WS_TABSTOP | BS_PUSHBUTTON, 80, 40, 40, 14, 12, "Button", "Weg"};
  d.controls = {label, edit, button, wide};
  ::testing::TestPartResultArray failures;
  {
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    CheckLayout("X", d);
  }
  std::string all;
  for (int i = 0; i < failures.size(); ++i) all += failures.GetTestPartResult(i).message() + std::string("\n");
  EXPECT_NE(std::string::npos, all.find("mnemonic 'N' twice")) << all;
  EXPECT_NE(std::string::npos, all.find("lies above it")) << all;
  EXPECT_NE(std::string::npos, all.find("overlaps")) << all;
  EXPECT_NE(std::string::npos, all.find("control 12 \"Weg\": no mnemonic")) << all;
  EXPECT_NE(std::string::npos, all.find("c.x + c.cx")) << all;  // the button beyond the right edge
}

}  // namespace
