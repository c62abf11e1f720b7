// ztview.exe: open description and ISAM files, look at their tables and records.
//
//   ztview.exe [/lang D|E] [/settings FILE] [/folder DIR] [FILE]
#include <stdlib.h>
#include <string.h>

#include "view_frame.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  CViewFrame frame;
  frame.m_Settings.UseDefaultFile();
  const char* language = nullptr;
  const char* folder = nullptr;
  const char* file = nullptr;
  for (int i = 1; i < __argc; ++i) {
    const char* a = __argv[i];
    const bool hasValue = i + 1 < __argc;
    if (!_stricmp(a, "/lang") && hasValue)
      language = __argv[++i];
    else if (!_stricmp(a, "/settings") && hasValue)
      ztStrCopy(frame.m_Settings.m_szFileName, __argv[++i], sizeof(frame.m_Settings.m_szFileName));
    else if (!_stricmp(a, "/folder") && hasValue)
      folder = __argv[++i];
    else
      file = a;
  }
  frame.m_Settings.Load();
  if (language) ztStrCopy(frame.m_Settings.m_szLanguage, language, sizeof(frame.m_Settings.m_szLanguage));
  if (!frame.Create(instance, show)) return 1;
  if (folder) frame.ShowFolder(folder);
  if (file) frame.Open(file);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (frame.PreTranslate(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
