// A stand-in OCR engine for the loader tests: records every argument byte it receives and answers with
// fixed values. QUILLO_ENGINE_WITHOUT_VIEW / QUILLO_ENGINE_WITHOUT_INFO leave one entry point out.
#include <windows.h>
#include <string.h>

#include "engine_record.h"

namespace {
SEngineRecord record;
}

// The 40 argument bytes taken as one structure passed by value: it covers exactly the stack area the
// caller filled, so the engine sees the raw layout rather than its own reading of the types.
struct SViewArguments {
  unsigned char bytes[40];
};

extern "C" {

__declspec(dllexport) const SEngineRecord* __cdecl QuilloEngineRecord() { return &record; }

#ifndef QUILLO_ENGINE_WITHOUT_VIEW
__declspec(dllexport) int __cdecl OCR_VuemoView(SViewArguments arguments) {
  ++record.viewCalls;
  memcpy(record.viewArguments, arguments.bytes, sizeof record.viewArguments);
  return kEngineViewResult;
}
#endif

#ifndef QUILLO_ENGINE_WITHOUT_INFO
__declspec(dllexport) int __cdecl GetPlugInInfo(char* version, char* description) {
  ++record.infoCalls;
  record.infoVersion = version;
  record.infoDescription = description;
  memcpy(version, kEngineVersion, sizeof kEngineVersion);
  memcpy(description, kEngineDescription, sizeof kEngineDescription);
  return kEngineInfoResult;
}
#endif

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) GetCurrentDirectoryA(sizeof record.attachDirectory, record.attachDirectory);
  return TRUE;
}
}
