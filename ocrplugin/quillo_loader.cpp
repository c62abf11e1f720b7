#include "quillo_loader.h"

#include <stdarg.h>
#include <string.h>

#include "quillo_texts.h"

namespace {

// Shows one message owned by the window with the keyboard focus, and gives the focus back afterwards:
// the box would otherwise leave it on the owner's top-level window.
void ShowMessage(const char* text) {
  HWND focus = GetFocus();
  MessageBoxA(focus, text, quillo::kBoxCaption, quillo::kBoxStyle);
  if (focus) SetFocus(focus);
}

}  // namespace

void CQuilloLoader::Fail(const char* format, ...) {
  char text[1025];  // wvsprintfA writes at most 1024 characters
  va_list args;
  va_start(args, format);
  wvsprintfA(text, format, args);
  va_end(args);
  ShowMessage(text);
}

BOOL CQuilloLoader::Attach(HMODULE self) {
  self_ = self;
  DisableThreadLibraryCalls(self);
  if (!SaveCurrentDirectory()) return FALSE;
  char ownFileName[MAX_PATH];
  DWORD length = GetModuleFileNameA(self, ownFileName, MAX_PATH);
  // A name that fills the buffer has been cut off and would point at the wrong folder.
  if (length == 0 || length >= MAX_PATH) {
    if (length != 0) SetLastError(ERROR_INSUFFICIENT_BUFFER);
    Fail(quillo::kMsgNoOwnFileName, GetLastError());
    savedDirectory_[0] = '\0';
    return FALSE;
  }
  return LoadEngine(ownFileName);
}

BOOL CQuilloLoader::AttachAs(const char* ownFileName) {
  if (!SaveCurrentDirectory()) return FALSE;
  return LoadEngine(ownFileName ? ownFileName : "");
}

bool CQuilloLoader::SaveCurrentDirectory() {
  DWORD length = GetCurrentDirectoryA(MAX_PATH, savedDirectory_);
  // A longer directory is not written at all: the result is then the size it would need.
  if (length == 0 || length >= MAX_PATH) {
    if (length != 0) SetLastError(ERROR_FILENAME_EXCED_RANGE);
    Fail(quillo::kMsgNoCurrentDir, GetLastError());
    savedDirectory_[0] = '\0';
    return false;
  }
  return true;
}

bool CQuilloLoader::BuildEnginePaths(const char* ownFileName) {
  const char* lastSlash = strrchr(ownFileName, '\\');
  if (!lastSlash) {
    Fail(quillo::kMsgNoPath);
    return false;
  }
  size_t directoryLength = static_cast<size_t>(lastSlash - ownFileName) + 1;
  size_t subdirLength = sizeof(quillo::kEngineSubdir) - 1;
  size_t nameLength = sizeof(quillo::kEngineFileName) - 1;
  if (directoryLength + subdirLength + nameLength + 1 > MAX_PATH) {
    Fail(quillo::kMsgTooLong);
    return false;
  }
  memcpy(engineDirectory_, ownFileName, directoryLength);
  memcpy(engineDirectory_ + directoryLength, quillo::kEngineSubdir, subdirLength + 1);
  memcpy(engineFile_, engineDirectory_, directoryLength + subdirLength);
  memcpy(engineFile_ + directoryLength + subdirLength, quillo::kEngineFileName, nameLength + 1);
  return true;
}

BOOL CQuilloLoader::LoadEngine(const char* ownFileName) {
  if (!BuildEnginePaths(ownFileName)) {
    savedDirectory_[0] = '\0';
    return FALSE;
  }
  if (!SetCurrentDirectoryA(engineDirectory_)) {
    Fail(quillo::kMsgSetDirFailed, GetLastError(), engineDirectory_);
    savedDirectory_[0] = '\0';
    return FALSE;
  }
  engine_ = LoadLibraryA(engineFile_);
  if (!engine_) {
    Fail(quillo::kMsgLoadFailed, GetLastError(), engineFile_);
    RestoreDirectory();
    return FALSE;
  }
  view_ = reinterpret_cast<ViewFunction>(reinterpret_cast<void*>(GetProcAddress(engine_, quillo::kViewFunction)));
  if (!view_) {
    Fail(quillo::kMsgNoViewEntry);
    UnloadEngine();
    RestoreDirectory();
    return FALSE;
  }
  info_ = reinterpret_cast<InfoFunction>(reinterpret_cast<void*>(GetProcAddress(engine_, quillo::kInfoFunction)));
  if (!info_) {
    Fail(quillo::kMsgNoInfoEntry);
    UnloadEngine();
    RestoreDirectory();
    return FALSE;
  }
  return TRUE;
}

void CQuilloLoader::UnloadEngine() {
  view_ = nullptr;
  info_ = nullptr;
  if (engine_ && !FreeLibrary(engine_)) Fail(quillo::kMsgUnloadFailed, GetLastError(), engineFile_);
  engine_ = nullptr;
}

void CQuilloLoader::RestoreDirectory() {
  if (savedDirectory_[0] && !SetCurrentDirectoryA(savedDirectory_)) Fail(quillo::kMsgRestoreFailed, GetLastError());
  savedDirectory_[0] = '\0';
}

void CQuilloLoader::Detach() {
  UnloadEngine();
  RestoreDirectory();
}

int CQuilloLoader::GetPlugInInfo(char* version, char* description) const {
  if (engine_ && info_) return info_(version, description);
  if (version) memcpy(version, quillo::kFallbackVersion, sizeof(quillo::kFallbackVersion));
  if (description) memcpy(description, quillo::kFallbackDescription, sizeof(quillo::kFallbackDescription));
  return 0;
}

int CQuilloLoader::View(uint32_t first, uint32_t second, SOcrViewBlock block, uint32_t third, uint32_t fourth,
                        SOcrRawDouble number) const {
  if (!engine_ || !view_) return 0;
  return view_(first, second, block, third, fourth, number);
}
