// Entry point and exports of ocr_quillo.dll. The ordinals come from ocr_quillo.def.
#include <windows.h>

#include "ocr_quillo.h"
#include "quillo_loader.h"

// The rest of each array is zero.
extern "C" const char DllVersion[8] = "0.83";
extern "C" const char DllBuild[8] = "0025";

namespace {
CQuilloLoader loader;
}

extern "C" int __cdecl GetPlugInInfo(char* version, char* description) {
  return loader.GetPlugInInfo(version, description);
}

extern "C" int __cdecl OCR_VuemoView(uint32_t first, uint32_t second, SOcrViewBlock block, uint32_t third,
                                     uint32_t fourth, double number) {
  return loader.View(first, second, block, third, fourth, CQuilloLoader::RawDouble(number));
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return loader.Attach(instance);
    case DLL_PROCESS_DETACH:
      // At process exit other modules may already be gone: no FreeLibrary then, the system unloads
      // the engine itself.
      if (!reserved) loader.Detach();
      return TRUE;
    default:
      return TRUE;
  }
}
