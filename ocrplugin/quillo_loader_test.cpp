// The attach and detach steps run directly on a loader object of the test's own, without the system's
// loader: own file names the system would never report, and the answers when no engine is loaded.
#include "quillo_loader.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "testing/box_reader.h"
#include "testing/engine_record.h"
#include "testing/plugin_folder.h"

namespace {

// "Error <code><rest>": the code, or 0 when the text is not of that form; rest receives the tail.
unsigned ErrorCode(const std::string& text, std::string* rest) {
  if (text.compare(0, 6, "Error ") != 0) return 0;
  char* end = nullptr;
  unsigned long code = strtoul(text.c_str() + 6, &end, 10);
  *rest = end;
  return static_cast<unsigned>(code);
}

class QuilloLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { startDirectory_ = CPluginFolder::CurrentDirectory(); }
  void TearDown() override { SetCurrentDirectoryA(startDirectory_.c_str()); }

  // Expects one failed attach for ownFileName with one box, leaving nothing loaded or changed.
  SBoxSeen FailedAttach(const std::string& ownFileName) {
    CQuilloLoader loader;
    CBoxReader boxes;
    EXPECT_FALSE(loader.AttachAs(ownFileName.c_str()));
    EXPECT_EQ(loader.Engine(), nullptr);
    EXPECT_STREQ(loader.SavedDirectory(), "");
    EXPECT_EQ(CPluginFolder::CurrentDirectory(), startDirectory_);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    for (const SBoxSeen& box : boxes.Boxes()) EXPECT_EQ(box.caption, "QuilloVuemo_Loader");
    return boxes.Boxes().empty() ? SBoxSeen() : boxes.Boxes()[0];
  }

  std::string startDirectory_;
};

TEST_F(QuilloLoaderTest, AnswersItselfWithoutAnEngine) {
  CQuilloLoader loader;
  char version[16];
  char description[48];
  memset(version, 'x', sizeof version);
  memset(description, 'x', sizeof description);
  EXPECT_EQ(loader.GetPlugInInfo(version, description), 0);
  EXPECT_EQ(memcmp(version, "0.83\0x", 6), 0) << "exactly 5 bytes written";
  EXPECT_EQ(memcmp(description, "Quillo OCR PlugIn for VuemoView\0x", 33), 0) << "exactly 32 bytes written";
  EXPECT_EQ(loader.GetPlugInInfo(nullptr, nullptr), 0);
  EXPECT_EQ(loader.View(1, 2, SOcrViewBlock{{3, 4, 5, 6}}, 7, 8, CQuilloLoader::RawDouble(9.5)), 0);
}

TEST_F(QuilloLoaderTest, OwnFileNameWithoutFolderFails) {
  EXPECT_EQ(FailedAttach("ocr_quillo.dll").text, "Filename of module contains no path name");
}

// The folder part (with its backslash) plus "OCR_QUILLO\QuilloVuemo.dll" and the terminating zero must
// fit into 260 characters. Folders that do not exist get past that check and fail on entering them.
TEST_F(QuilloLoaderTest, FolderOfAtMost233CharactersIsLookedInto) {
  std::string folder233 = "C:\\" + std::string(229, 'n') + "\\";
  ASSERT_EQ(folder233.size(), 233u);
  std::string rest;
  SBoxSeen box = FailedAttach(folder233 + "ocr_quillo.dll");
  unsigned code = ErrorCode(box.text, &rest);
  EXPECT_TRUE(code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) << box.text;
  EXPECT_EQ(rest, " on setting current dir = " + folder233 + "OCR_QUILLO\\");

  std::string folder234 = "C:\\" + std::string(230, 'n') + "\\";
  EXPECT_EQ(FailedAttach(folder234 + "ocr_quillo.dll").text, "Filename of QuilloVuemo.dll is too long");
  EXPECT_EQ(FailedAttach(folder234 + "x").text, "Filename of QuilloVuemo.dll is too long");
}

TEST_F(QuilloLoaderTest, EngineIsLookedForInTheSubfolderBesideTheOwnFile) {
  std::string rest;
  SBoxSeen box = FailedAttach("D:\\Viewer\\Plugins\\ocr_quillo.dll");
  EXPECT_NE(ErrorCode(box.text, &rest), 0u) << box.text;
  EXPECT_EQ(rest, " on setting current dir = D:\\Viewer\\Plugins\\OCR_QUILLO\\");

  CPluginFolder installed(EEngine::kNone);
  ASSERT_TRUE(installed.Ready());
  box = FailedAttach(installed.Directory() + "renamed_plugin.dll");
  EXPECT_EQ(box.text, "Error 126 on loading " + installed.EngineFile());

  // The module's own name comes from the system.
  CQuilloLoader loader;
  CBoxReader boxes;
  EXPECT_FALSE(loader.Attach(GetModuleHandleA(nullptr)));
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  ErrorCode(boxes.Boxes()[0].text, &rest);
  EXPECT_EQ(rest, " on setting current dir = " + CPluginFolder::BuildDirectory() + "OCR_QUILLO\\");
}

TEST_F(QuilloLoaderTest, DetachUnloadsTheEngineAndRestoresTheDirectory) {
  CPluginFolder folder(EEngine::kComplete);
  ASSERT_TRUE(folder.Ready());
  CBoxReader boxes;
  CQuilloLoader loader;
  ASSERT_TRUE(loader.AttachAs(folder.PluginFile().c_str()));
  EXPECT_NE(loader.Engine(), nullptr);
  EXPECT_EQ(loader.EngineFile(), folder.EngineFile());
  EXPECT_EQ(loader.SavedDirectory(), startDirectory_);

  char version[16] = {};
  char description[48] = {};
  EXPECT_EQ(loader.GetPlugInInfo(version, description), kEngineInfoResult);
  EXPECT_EQ(loader.View(1, 2, SOcrViewBlock{{3, 4, 5, 6}}, 7, 8, CQuilloLoader::RawDouble(9.5)), kEngineViewResult);

  loader.Detach();
  EXPECT_EQ(loader.Engine(), nullptr);
  EXPECT_EQ(GetModuleHandleA("QuilloVuemo.dll"), nullptr);
  EXPECT_STREQ(loader.SavedDirectory(), "");
  EXPECT_EQ(CPluginFolder::CurrentDirectory(), startDirectory_);
  // Nothing of the unloaded engine is called any more.
  EXPECT_EQ(loader.GetPlugInInfo(version, description), 0);
  EXPECT_STREQ(version, "0.83");
  EXPECT_EQ(loader.View(1, 2, SOcrViewBlock{{3, 4, 5, 6}}, 7, 8, CQuilloLoader::RawDouble(9.5)), 0);
  // A second detach has nothing left to do.
  loader.Detach();
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
