#include "plugin_folder.h"

#include <windows.h>

#include <filesystem>
#include <system_error>

namespace {

const char* EngineVariantFile(EEngine engine) {
  switch (engine) {
    case EEngine::kComplete:
      return "QuilloVuemo.dll";
    case EEngine::kWithoutView:
      return "quillo_engine_noview.dll";
    case EEngine::kWithoutInfo:
      return "quillo_engine_noinfo.dll";
    case EEngine::kNone:
      break;
  }
  return nullptr;
}

// A new folder under the temp directory. Process ids repeat between runs, and a run that was cut off
// leaves its folders behind, so names already taken are skipped.
std::string UniqueRoot() {
  static unsigned counter = 0;
  char temp[MAX_PATH] = {};
  char longTemp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  if (!GetLongPathNameA(temp, longTemp, MAX_PATH)) lstrcpynA(longTemp, temp, MAX_PATH);
  std::string base = longTemp;
  if (base.empty() || base.back() != '\\') base += '\\';
  base += "ocrq_" + std::to_string(GetCurrentProcessId()) + "_";
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string root = base + std::to_string(++counter);
    if (CreateDirectoryA(root.c_str(), nullptr)) return root + "\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return base + "failed\\";
}

}  // namespace

std::string CPluginFolder::BuildDirectory() {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string path = exe;
  return path.substr(0, path.rfind('\\') + 1);
}

std::string CPluginFolder::CurrentDirectory() {
  char directory[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, directory);
  return directory;
}

CPluginFolder::CPluginFolder(EEngine engine, size_t directoryLength) {
  root_ = UniqueRoot();
  directory_ = root_ + "plugins\\";
  // Nested parts of at most 100 characters each, the last one at least 2 long (one letter and '\').
  if (directoryLength > directory_.size()) {
    size_t missing = directoryLength - directory_.size();
    while (missing > 0) {
      size_t part = missing > 100 ? 100 : missing;
      if (missing - part == 1) --part;
      directory_ += std::string(part - 1, 'd') + '\\';
      missing -= part;
    }
  }
  std::error_code error;
  std::filesystem::create_directories(directory_, error);
  std::filesystem::create_directories(SpareDirectory(), error);
  std::string build = BuildDirectory();
  ready_ = !error && CopyFileA((build + "ocr_quillo.dll").c_str(), PluginFile().c_str(), TRUE);
  ready_ = ready_ && CreateDirectoryA(EngineDirectory().c_str(), nullptr);
  if (const char* variant = EngineVariantFile(engine)) {
    ready_ = ready_ && CopyFileA((build + variant).c_str(), EngineFile().c_str(), TRUE);
  }
}

CPluginFolder::~CPluginFolder() {
  // A current directory cannot be removed: leave the folder first when a test is still inside it.
  std::string current = CurrentDirectory() + '\\';
  if (current.size() >= root_.size() && lstrcmpiA(current.substr(0, root_.size()).c_str(), root_.c_str()) == 0) {
    SetCurrentDirectoryA(BuildDirectory().c_str());
  }
  std::error_code error;
  std::filesystem::remove_all(root_, error);
}
