// ocr_quillo.dll as a host uses it: loaded with LoadLibrary from a plug-in folder, called through its
// exports, unloaded again. Message boxes are read from the boxes themselves.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "ocr_quillo.h"
#include "testing/box_reader.h"
#include "testing/engine_record.h"
#include "testing/plugin_folder.h"

namespace {

using InfoFunction = int(__cdecl*)(char*, char*);
using ViewFunction = decltype(&OCR_VuemoView);

std::string WithoutTrailingSlash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

bool SamePath(const std::string& a, const std::string& b) {
  return lstrcmpiA(WithoutTrailingSlash(a).c_str(), WithoutTrailingSlash(b).c_str()) == 0;
}

const SEngineRecord* LoadedEngineRecord() {
  HMODULE engine = GetModuleHandleA("QuilloVuemo.dll");
  if (!engine) return nullptr;
  auto record =
      reinterpret_cast<EngineRecordFunction>(reinterpret_cast<void*>(GetProcAddress(engine, "QuilloEngineRecord")));
  return record ? record() : nullptr;
}

void ExpectLoaderBox(const SBoxSeen& box, const std::string& text) {
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.caption, "QuilloVuemo_Loader");
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
  EXPECT_NE(box.icon, nullptr);
  EXPECT_EQ(box.icon, LoadIconA(nullptr, IDI_EXCLAMATION));
}

class PluginHostTest : public ::testing::Test {
 protected:
  void SetUp() override { startDirectory_ = CPluginFolder::CurrentDirectory(); }
  void TearDown() override {
    SetCurrentDirectoryA(startDirectory_.c_str());
    EXPECT_EQ(GetModuleHandleA("ocr_quillo.dll"), nullptr) << "a test left the plug-in loaded";
    EXPECT_EQ(GetModuleHandleA("QuilloVuemo.dll"), nullptr) << "a test left the engine loaded";
  }

  std::string startDirectory_;
};

TEST_F(PluginHostTest, ExportsItsFunctionsAndDataByOrdinalAndName) {
  CPluginFolder folder(EEngine::kComplete);
  ASSERT_TRUE(folder.Ready());
  HMODULE plugin = LoadLibraryA(folder.PluginFile().c_str());
  ASSERT_NE(plugin, nullptr);
  const char* names[] = {"DllBuild", "DllVersion", "GetPlugInInfo", "OCR_VuemoView"};
  for (int ordinal = 1; ordinal <= 4; ++ordinal) {
    FARPROC byName = GetProcAddress(plugin, names[ordinal - 1]);
    EXPECT_NE(byName, nullptr) << names[ordinal - 1];
    EXPECT_EQ(GetProcAddress(plugin, MAKEINTRESOURCEA(ordinal)), byName) << names[ordinal - 1];
  }
  auto version = reinterpret_cast<const char*>(GetProcAddress(plugin, "DllVersion"));
  auto build = reinterpret_cast<const char*>(GetProcAddress(plugin, "DllBuild"));
  ASSERT_NE(version, nullptr);
  ASSERT_NE(build, nullptr);
  EXPECT_EQ(memcmp(version, "0.83\0\0\0\0", 8), 0);
  EXPECT_EQ(memcmp(build, "0025\0\0\0\0", 8), 0);
  EXPECT_TRUE(FreeLibrary(plugin));
}

TEST_F(PluginHostTest, ForwardsEveryArgumentByteAndKeepsTheEngineDirectoryCurrent) {
  CPluginFolder folder(EEngine::kComplete);
  ASSERT_TRUE(folder.Ready());
  ASSERT_TRUE(SetCurrentDirectoryA(folder.SpareDirectory().c_str()));
  CBoxReader boxes;

  HMODULE plugin = LoadLibraryA(folder.PluginFile().c_str());
  ASSERT_NE(plugin, nullptr);
  const SEngineRecord* record = LoadedEngineRecord();
  ASSERT_NE(record, nullptr);
  EXPECT_TRUE(SamePath(record->attachDirectory, folder.EngineDirectory())) << record->attachDirectory;
  EXPECT_TRUE(SamePath(CPluginFolder::CurrentDirectory(), folder.EngineDirectory()));

  auto view = reinterpret_cast<ViewFunction>(reinterpret_cast<void*>(GetProcAddress(plugin, "OCR_VuemoView")));
  auto info = reinterpret_cast<InfoFunction>(reinterpret_cast<void*>(GetProcAddress(plugin, "GetPlugInInfo")));
  ASSERT_NE(view, nullptr);
  ASSERT_NE(info, nullptr);

  // Each argument byte carries its own offset, so any shift or reordering shows.
  double number;
  const uint64_t numberBits = 0x2726252423222120ull;
  memcpy(&number, &numberBits, sizeof number);
  SOcrViewBlock block = {{0x0B0A0908u, 0x0F0E0D0Cu, 0x13121110u, 0x17161514u}};
  unsigned char expected[40];
  for (int i = 0; i < 40; ++i) expected[i] = static_cast<unsigned char>(i);
  EXPECT_EQ(view(0x03020100u, 0x07060504u, block, 0x1B1A1918u, 0x1F1E1D1Cu, number), kEngineViewResult);
  EXPECT_EQ(record->viewCalls, 1u);
  EXPECT_EQ(memcmp(record->viewArguments, expected, sizeof expected), 0);

  // A signalling NaN is quietened if it passes through the x87 unit on its way. The host pushes its
  // bits directly here, as the test's own compiler might otherwise alter them before the call.
  using RawViewFunction = int(__cdecl*)(uint32_t, uint32_t, SOcrViewBlock, uint32_t, uint32_t, uint64_t);
  const uint64_t signallingNaN = 0x7FF0000000000ABCull;
  auto rawView = reinterpret_cast<RawViewFunction>(reinterpret_cast<void*>(view));
  EXPECT_EQ(rawView(0x03020100u, 0x07060504u, block, 0x1B1A1918u, 0x1F1E1D1Cu, signallingNaN), kEngineViewResult);
  EXPECT_EQ(record->viewCalls, 2u);
  memcpy(expected + 32, &signallingNaN, sizeof signallingNaN);
  EXPECT_EQ(memcmp(record->viewArguments, expected, sizeof expected), 0);

  char version[16] = {};
  char description[64] = {};
  EXPECT_EQ(info(version, description), kEngineInfoResult);
  EXPECT_EQ(record->infoCalls, 1u);
  EXPECT_EQ(record->infoVersion, version);
  EXPECT_EQ(record->infoDescription, description);
  EXPECT_STREQ(version, kEngineVersion);
  EXPECT_STREQ(description, kEngineDescription);

  EXPECT_TRUE(FreeLibrary(plugin));
  EXPECT_EQ(GetModuleHandleA("QuilloVuemo.dll"), nullptr);
  EXPECT_TRUE(SamePath(CPluginFolder::CurrentDirectory(), folder.SpareDirectory()));
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PluginHostTest, MissingEngineFailsTheLoadNamingTheModuleError) {
  CPluginFolder folder(EEngine::kNone);
  ASSERT_TRUE(folder.Ready());
  ASSERT_TRUE(SetCurrentDirectoryA(folder.SpareDirectory().c_str()));
  CBoxReader boxes;
  EXPECT_EQ(LoadLibraryA(folder.PluginFile().c_str()), nullptr);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  ExpectLoaderBox(boxes.Boxes()[0], "Error 126 on loading " + folder.EngineFile());
  EXPECT_TRUE(SamePath(CPluginFolder::CurrentDirectory(), folder.SpareDirectory()));
}

TEST_F(PluginHostTest, MissingEntryPointUnloadsTheEngineAgain) {
  const struct {
    EEngine engine;
    const char* message;
  } cases[] = {{EEngine::kWithoutView, "Cannot find entry-point OCR_VuemoView"},
               {EEngine::kWithoutInfo, "Cannot find entry-point GetPlugInInfo"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    CPluginFolder folder(c.engine);
    ASSERT_TRUE(folder.Ready());
    ASSERT_TRUE(SetCurrentDirectoryA(folder.SpareDirectory().c_str()));
    CBoxReader boxes;
    EXPECT_EQ(LoadLibraryA(folder.PluginFile().c_str()), nullptr);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    ExpectLoaderBox(boxes.Boxes()[0], c.message);
    EXPECT_EQ(GetModuleHandleA("QuilloVuemo.dll"), nullptr);
    EXPECT_TRUE(SamePath(CPluginFolder::CurrentDirectory(), folder.SpareDirectory()));
    SetCurrentDirectoryA(startDirectory_.c_str());
  }
}

TEST_F(PluginHostTest, DirectoryPartOfAtMost233CharactersFits) {
  {
    CPluginFolder folder(EEngine::kComplete, 233);
    ASSERT_TRUE(folder.Ready());
    ASSERT_EQ(folder.EngineFile().size(), 259u);
    CBoxReader boxes;
    HMODULE plugin = LoadLibraryA(folder.PluginFile().c_str());
    EXPECT_NE(plugin, nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());
    if (plugin) FreeLibrary(plugin);
    SetCurrentDirectoryA(startDirectory_.c_str());
  }
  {
    CPluginFolder folder(EEngine::kComplete, 234);
    ASSERT_TRUE(folder.Ready());
    CBoxReader boxes;
    EXPECT_EQ(LoadLibraryA(folder.PluginFile().c_str()), nullptr);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    ExpectLoaderBox(boxes.Boxes()[0], "Filename of QuilloVuemo.dll is too long");
    EXPECT_TRUE(SamePath(CPluginFolder::CurrentDirectory(), startDirectory_));
  }
}

// The box belongs to the window with the keyboard focus, and the focus goes back to that window (here
// a child control) once the box is closed.
TEST_F(PluginHostTest, BoxIsOwnedByTheFocusWindowWhichGetsTheFocusBack) {
  HWND frame = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(frame, nullptr);
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 100, 20, frame, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(edit, nullptr);
  SetForegroundWindow(frame);
  SetFocus(edit);
  ASSERT_EQ(GetFocus(), edit);

  CPluginFolder folder(EEngine::kNone);
  ASSERT_TRUE(folder.Ready());
  {
    CBoxReader boxes;
    EXPECT_EQ(LoadLibraryA(folder.PluginFile().c_str()), nullptr);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    // A dialog's owner is always a top-level window.
    EXPECT_EQ(boxes.Boxes()[0].owner, frame);
  }
  EXPECT_EQ(GetFocus(), edit);
  DestroyWindow(frame);
}

TEST_F(PluginHostTest, UnloadReportsADirectoryThatCannotBeRestored) {
  CPluginFolder folder(EEngine::kComplete);
  ASSERT_TRUE(folder.Ready());
  ASSERT_TRUE(SetCurrentDirectoryA(folder.SpareDirectory().c_str()));
  HMODULE plugin = LoadLibraryA(folder.PluginFile().c_str());
  ASSERT_NE(plugin, nullptr);
  ASSERT_TRUE(RemoveDirectoryA(folder.SpareDirectory().c_str()));
  CBoxReader boxes;
  EXPECT_TRUE(FreeLibrary(plugin));
  EXPECT_EQ(GetModuleHandleA("QuilloVuemo.dll"), nullptr);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  const std::string& text = boxes.Boxes()[0].text;
  EXPECT_TRUE(text == "Error 2 on restoring current directory" || text == "Error 3 on restoring current directory")
      << text;
  EXPECT_EQ(boxes.Boxes()[0].caption, "QuilloVuemo_Loader");
}

}  // namespace
