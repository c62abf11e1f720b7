// ztview.exe: open description and ISAM files, look at their tables and records.
//
//   ztview.exe [/lang D|E] [/settings FILE] [/folder DIR] [/table NAME] [/do COMMAND] [/page N] [FILE]
//
// /do runs a command once the window shows (selection, properties, preview,
// goto, find, check, about), for scripts that take pictures of the windows;
// /page N is the property sheet's page shown first.
#include <stdlib.h>
#include <string.h>

#include "view_frame.h"
#include "view_ids.h"

namespace {
struct SNamedCommand {
  const char* name;
  unsigned id;
};
const SNamedCommand kCommands[] = {
    {"selection", ZV_CMD_SELECTION}, {"properties", ZV_CMD_PROPERTIES}, {"preview", ZV_CMD_PRINT_PREVIEW},
    {"goto", ZV_CMD_GOTO},           {"find", ZV_CMD_FIND_NEXT},        {"check", ZV_CMD_CHECK},
    {"about", ZV_CMD_ABOUT}};
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  CViewFrame frame;
  frame.m_Settings.UseDefaultFile();
  const char* language = nullptr;
  const char* folder = nullptr;
  const char* file = nullptr;
  const char* table = nullptr;
  unsigned command = 0;
  for (int i = 1; i < __argc; ++i) {
    const char* a = __argv[i];
    const bool hasValue = i + 1 < __argc;
    if (!_stricmp(a, "/lang") && hasValue)
      language = __argv[++i];
    else if (!_stricmp(a, "/settings") && hasValue)
      ztStrCopy(frame.m_Settings.m_szFileName, __argv[++i], sizeof(frame.m_Settings.m_szFileName));
    else if (!_stricmp(a, "/folder") && hasValue)
      folder = __argv[++i];
    else if (!_stricmp(a, "/page") && hasValue)
      frame.m_uSheetPage = static_cast<unsigned>(atoi(__argv[++i]));
    else if (!_stricmp(a, "/table") && hasValue)
      table = __argv[++i];
    else if (!_stricmp(a, "/do") && hasValue) {
      const char* name = __argv[++i];
      for (const SNamedCommand& c : kCommands)
        if (!_stricmp(name, c.name)) command = c.id;
    } else
      file = a;
  }
  frame.m_Settings.Load();
  if (language) ztStrCopy(frame.m_Settings.m_szLanguage, language, sizeof(frame.m_Settings.m_szLanguage));
  if (!frame.Create(instance, show)) return 1;
  if (folder) frame.ShowFolder(folder);
  if (file && frame.Open(file) && table) frame.SelectTable(frame.m_File.FindTableName(table));
  if (command) PostMessageA(frame.m_hWnd, WM_COMMAND, command, 0);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (frame.PreTranslate(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
