// A plug-in folder of its own under the temp directory for one test: ocr_quillo.dll, the engine folder
// OCR_QUILLO\ and, unless kNone, a variant of the test engine in it as QuilloVuemo.dll. Removed again
// with everything in it.
#ifndef OCRPLUGIN_TESTING_PLUGIN_FOLDER_H
#define OCRPLUGIN_TESTING_PLUGIN_FOLDER_H

#include <stddef.h>

#include <string>

enum class EEngine { kNone, kComplete, kWithoutView, kWithoutInfo };

class CPluginFolder {
 public:
  // directoryLength, when not 0, is the exact length of Directory(): the folder is nested that deep.
  explicit CPluginFolder(EEngine engine, size_t directoryLength = 0);
  ~CPluginFolder();
  CPluginFolder(const CPluginFolder&) = delete;
  CPluginFolder& operator=(const CPluginFolder&) = delete;

  bool Ready() const { return ready_; }
  const std::string& Directory() const { return directory_; }  // ends with a backslash
  std::string PluginFile() const { return directory_ + "ocr_quillo.dll"; }
  std::string EngineDirectory() const { return directory_ + "OCR_QUILLO\\"; }
  std::string EngineFile() const { return EngineDirectory() + "QuilloVuemo.dll"; }
  // A folder beside the plug-in folder that tests may make current or remove.
  std::string SpareDirectory() const { return root_ + "spare"; }

  // The folder of the running test program, where the build puts every DLL.
  static std::string BuildDirectory();
  static std::string CurrentDirectory();

 private:
  std::string root_;
  std::string directory_;
  bool ready_ = false;
};

#endif
