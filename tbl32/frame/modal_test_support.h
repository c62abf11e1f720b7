// Test support: modal dialogs driven from a timer, as a person works in them.
//
// Each step runs once a dialog of the thread is shown and enabled, in the order
// given; a step may open a nested modal dialog (which disables its owner), and
// the next step then works in that one while the first waits. No step starts in
// a dialog whose step is still running. A dialog still open when the steps are
// used up is cancelled after a few seconds and counted, so that a test fails
// instead of hanging.
#pragma once

#include <windows.h>
#include <string.h>

#include <deque>
#include <functional>
#include <utility>
#include <vector>

namespace zt_test {

class ModalScript {
 public:
  using Step = std::function<void(HWND dialog)>;

  explicit ModalScript(std::vector<Step> steps) : m_steps(steps.begin(), steps.end()) {
    s_current = this;
    m_timer = SetTimer(nullptr, 0, 30, Tick);
  }
  ~ModalScript() {
    KillTimer(nullptr, m_timer);
    s_current = nullptr;
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  bool AllStepsRan() const { return m_steps.empty(); }
  unsigned Cancelled() const { return m_cancelled; }

  // The shown, enabled dialog of the thread (the innermost modal one); null when none.
  static HWND ActiveDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&found));
    return found;
  }

 private:
  static BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof(cls));
    if (strcmp(cls, "#32770") == 0 && IsWindowVisible(window) && IsWindowEnabled(window)) {
      *reinterpret_cast<HWND*>(found) = window;
      return FALSE;
    }
    return TRUE;
  }

  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalScript* self = s_current;
    if (!self) return;
    HWND dialog = ActiveDialog();
    if (!dialog) return;
    for (HWND busy : self->m_busy)
      if (busy == dialog) return;
    if (self->m_steps.empty()) {
      // About three seconds with nobody to work in the dialog: cancel it.
      if (++self->m_idleTicks > 100) {
        self->m_idleTicks = 0;
        ++self->m_cancelled;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      }
      return;
    }
    Step step = std::move(self->m_steps.front());
    self->m_steps.pop_front();
    self->m_busy.push_back(dialog);
    step(dialog);
    self->m_busy.pop_back();
  }

  static inline ModalScript* s_current = nullptr;
  std::deque<Step> m_steps;
  std::vector<HWND> m_busy;  // dialogs whose steps are running, outermost first
  UINT_PTR m_timer = 0;
  unsigned m_idleTicks = 0;
  unsigned m_cancelled = 0;
};

}  // namespace zt_test
