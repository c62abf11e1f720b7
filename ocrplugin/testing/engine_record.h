// What the test engine QuilloVuemo.dll saw, read by the tests through its export QuilloEngineRecord.
#ifndef OCRPLUGIN_TESTING_ENGINE_RECORD_H
#define OCRPLUGIN_TESTING_ENGINE_RECORD_H

#include <stdint.h>

struct SEngineRecord {
  char attachDirectory[260];  // current directory while the engine was being loaded
  uint32_t viewCalls;
  unsigned char viewArguments[40];  // the argument bytes of the last OCR_VuemoView, as found on the stack
  uint32_t infoCalls;
  char* infoVersion;  // the buffers of the last GetPlugInInfo
  char* infoDescription;
};

using EngineRecordFunction = const SEngineRecord*(__cdecl*)();

// Answers of the test engine, distinct from anything the plug-in would answer itself.
constexpr int kEngineViewResult = 0x5EED0001;
constexpr int kEngineInfoResult = 0x5EED0002;
constexpr char kEngineVersion[] = "9.99";
constexpr char kEngineDescription[] = "Test engine";

#endif
