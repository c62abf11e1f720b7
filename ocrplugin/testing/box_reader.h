// Reads every message box the current thread opens while an instance lives, and closes it with OK.
// A CBT hook sees the box when it is activated, before it waits for input.
#ifndef OCRPLUGIN_TESTING_BOX_READER_H
#define OCRPLUGIN_TESTING_BOX_READER_H

#include <windows.h>

#include <string>
#include <vector>

struct SBoxSeen {
  std::string caption;
  std::string text;
  HWND owner = nullptr;
  std::vector<int> buttons;  // control ids of the buttons
  HICON icon = nullptr;
};

class CBoxReader {
 public:
  CBoxReader();
  ~CBoxReader();
  CBoxReader(const CBoxReader&) = delete;
  CBoxReader& operator=(const CBoxReader&) = delete;

  const std::vector<SBoxSeen>& Boxes() const { return boxes_; }

 private:
  static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
  static BOOL CALLBACK ReadChild(HWND child, LPARAM lParam);

  static CBoxReader* active_;
  HHOOK hook_ = nullptr;
  std::vector<SBoxSeen> boxes_;
};

#endif
