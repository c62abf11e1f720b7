// The state of the OCR plug-in loader: locating, loading and unloading the engine, and forwarding the
// host's two calls to it. The DLL holds one instance; tests create their own and run the attach and
// detach steps directly.
#ifndef OCRPLUGIN_QUILLO_LOADER_H
#define OCRPLUGIN_QUILLO_LOADER_H

#include <windows.h>
#include <string.h>

#include "ocr_quillo.h"

// A double's 8 bytes as the engine receives them. Passing them as integers keeps the bits exactly as the
// host sent them: a trip through the x87 unit would quieten a signalling NaN. On the stack it takes the
// same place as the double.
struct SOcrRawDouble {
  uint32_t low;
  uint32_t high;
};
static_assert(sizeof(SOcrRawDouble) == sizeof(double), "same stack slot as the double");

class CQuilloLoader {
 public:
  using InfoFunction = int(__cdecl*)(char*, char*);
  using ViewFunction = int(__cdecl*)(uint32_t, uint32_t, SOcrViewBlock, uint32_t, uint32_t, SOcrRawDouble);

  // Process attach for the module self: its own file name decides where the engine is looked for.
  // Returns FALSE after showing why the engine could not be loaded; nothing of it stays loaded then.
  BOOL Attach(HMODULE self);
  // The same sequence for a given own file name, without asking the system for it.
  BOOL AttachAs(const char* ownFileName);
  // Process detach: unloads the engine and makes the saved directory current again.
  void Detach();

  int GetPlugInInfo(char* version, char* description) const;
  // The double arrives as its bits: handing it on as a double between two functions may already move it
  // through the x87 unit.
  int View(uint32_t first, uint32_t second, SOcrViewBlock block, uint32_t third, uint32_t fourth,
           SOcrRawDouble number) const;
  static SOcrRawDouble RawDouble(const double& number) {
    SOcrRawDouble raw;
    memcpy(&raw, &number, sizeof raw);
    return raw;
  }

  HMODULE Engine() const { return engine_; }
  const char* SavedDirectory() const { return savedDirectory_; }
  const char* EngineDirectory() const { return engineDirectory_; }
  const char* EngineFile() const { return engineFile_; }

 private:
  bool SaveCurrentDirectory();
  bool BuildEnginePaths(const char* ownFileName);
  BOOL LoadEngine(const char* ownFileName);
  void UnloadEngine();
  // Back to the directory that was current before the engine directory was set; forgets it either way.
  void RestoreDirectory();
  void Fail(const char* format, ...);

  HMODULE self_ = nullptr;
  char savedDirectory_[MAX_PATH] = {};
  char engineDirectory_[MAX_PATH] = {};
  char engineFile_[MAX_PATH] = {};
  HMODULE engine_ = nullptr;
  ViewFunction view_ = nullptr;
  InfoFunction info_ = nullptr;
};

#endif
