// Test support of ztview: the demo's files made by ztdesc, a main window in a
// fixture with its boxes recorded, keys pressed as a person presses them, and
// the message loop run as the application runs it.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "box_recorder.h"
#include "test_files.h"
#include "view_frame.h"
#include "view_ids.h"

namespace zv_test {

// Two texts equal; when not, where they part (large texts would swamp the output).
inline void ExpectSameText(const std::string& expected, const std::string& actual) {
  if (expected == actual) return;
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  const size_t from = at > 80 ? at - 80 : 0;
  ADD_FAILURE() << "sizes " << expected.size() << " and " << actual.size() << ", first difference at " << at
                << "\nexpected: " << expected.substr(from, 160) << "\nactual:   " << actual.substr(from, 160);
}

// The folder of the test program, where ztdesc.exe lies too, ending in a backslash.
inline std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// Runs ztdesc with its standard output in a file; the exit code.
inline int RunZtdesc(const std::vector<std::string>& words, const std::string& out) {
  const std::string exe = ProgramFolder() + ZTDESC_EXE;
  // The words as the child's command line must hold them: quoted where they have blanks.
  std::vector<std::string> quoted;
  for (const std::string& w : words) quoted.push_back(w.find(' ') == std::string::npos ? w : '"' + w + '"');
  std::vector<const char*> argv = {exe.c_str()};
  for (const std::string& w : quoted) argv.push_back(w.c_str());
  argv.push_back(nullptr);
  fflush(stdout);
  // Text mode, as a command line redirection gives it: lines end in CR LF.
  const int outFd = _open(out.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_TEXT, _S_IREAD | _S_IWRITE);
  const int saved = _dup(1);
  _dup2(outFd, 1);
  const intptr_t code = _spawnv(_P_WAIT, exe.c_str(), argv.data());
  _dup2(saved, 1);
  _close(saved);
  _close(outFd);
  return static_cast<int>(code);
}

// A folder of the test's own (emptied first), as a full path without a trailing "\".
inline std::string TestFolder(const char* name) {
  const std::string full = ProgramFolder() + name;
  // Empties it: the files first, then the folder itself.
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((full + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do DeleteFileA((full + "\\" + found.cFileName).c_str());
    while (FindNextFileA(search, &found));
    FindClose(search);
  }
  CreateDirectoryA(full.c_str(), nullptr);
  return full;
}

// The demo's files (sample.cfg, sample.isa, ...), made once per test program.
inline const std::string& DemoFolder() {
  static std::string folder;
  if (folder.empty()) {
    folder = TestFolder("ztview_demo");
    const std::string log = folder + "\\..\\ztview_demo.log";
    EXPECT_EQ(0, RunZtdesc({"demo", folder}, log));
  }
  return folder;
}

// Delivers what is queued, as the application's loop does.
inline void Pump(CViewFrame& frame) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (frame.PreTranslate(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

enum : unsigned { kCtrl = 1, kShift = 2, kAlt = 4 };

// A key pressed and released on the window with the focus, with the modifiers held.
inline void PressKey(CViewFrame& frame, UINT key, unsigned modifiers = 0) {
  BYTE state[256];
  GetKeyboardState(state);
  BYTE held[256];
  memcpy(held, state, sizeof(held));
  if (modifiers & kCtrl) held[VK_CONTROL] = held[VK_LCONTROL] = 0x80;
  if (modifiers & kShift) held[VK_SHIFT] = held[VK_LSHIFT] = 0x80;
  if (modifiers & kAlt) held[VK_MENU] = held[VK_LMENU] = 0x80;
  SetKeyboardState(held);
  HWND target = GetFocus() ? GetFocus() : frame.m_hWnd;
  const UINT down = (modifiers & kAlt) ? WM_SYSKEYDOWN : WM_KEYDOWN;
  const UINT up = (modifiers & kAlt) ? WM_SYSKEYUP : WM_KEYUP;
  const LPARAM altBit = (modifiers & kAlt) ? (1 << 29) : 0;
  PostMessageA(target, down, key, 1 | altBit);
  PostMessageA(target, up, key, 1 | altBit | (3u << 30));
  Pump(frame);
  SetKeyboardState(state);
}

// The text on the clipboard (empty when there is none).
inline std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

// Answers the frame's file dialogs with a preset name (or a cancel).
struct FileDialogAnswer {
  static inline std::string name;
  static inline bool cancel = false;
  static inline unsigned asked = 0;
  static inline bool lastSave = false;
  static int Answer(HWND, bool save, const char*, char* buffer, unsigned size) {
    ++asked;
    lastSave = save;
    if (cancel) return 0;
    ztStrCopy(buffer, name.c_str(), size);
    return 1;
  }
};

// A main window in German with its settings in a file of the test's own.
class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    demo_ = DemoFolder();
    ASSERT_FALSE(demo_.empty());
    settings_ = demo_ + "\\..\\ztview_test_settings.cfg";
    DeleteFileA(settings_.c_str());
    FileDialogAnswer::name.clear();
    FileDialogAnswer::cancel = false;
    FileDialogAnswer::asked = 0;
    CViewFrame::s_pFileDialog = FileDialogAnswer::Answer;
    ztStrCopy(frame_.m_Settings.m_szFileName, settings_.c_str(), sizeof(frame_.m_Settings.m_szFileName));
    ASSERT_EQ(1, frame_.Create(GetModuleHandleA(nullptr), SW_SHOW));
    Pump(frame_);
  }
  void TearDown() override {
    if (frame_.m_hWnd) DestroyWindow(frame_.m_hWnd);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    ztSetTbl32Language("D");
  }
  std::string Demo(const char* name) const { return demo_ + "\\" + name; }
  IGridView* Grid(unsigned id) const {
    return reinterpret_cast<IGridView*>(SendDlgItemMessageA(frame_.m_hWnd, id, ZT_GRID_QUERY, 0, 0));
  }
  std::string Cell(unsigned id, unsigned line, unsigned column) const {
    char text[512] = "";
    Grid(id)->GetItemText(line, column, text, sizeof(text));
    return text;
  }
  std::string Status(unsigned part) const {
    char text[600] = "";
    SendDlgItemMessageA(frame_.m_hWnd, ZV_ID_STATUS, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    return text;
  }
  BoxRecorder boxes_;
  CViewFrame frame_;
  std::string demo_, settings_;
};

}  // namespace zv_test
