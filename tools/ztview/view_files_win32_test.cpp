// Files through the main window: export, check, selection, and files that are
// missing, damaged or faulty, after which the application still runs.
#include "modal_test_support.h"
#include "select_ids.h"
#include "view_input_dialog.h"
#include "view_test_support.h"
#include "zt_tbl32/desc_errors.h"

namespace zv_test {
namespace {

using ViewFiles = FrameTest;
using zt_test::ModalScript;

void Type(HWND dialog, unsigned id, const char* text) { SetDlgItemTextA(dialog, id, text); }
void Press(HWND dialog, unsigned id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// A copy of the demo's ISAM file with bytes overwritten in its second half.
std::string DamagedCopy(const std::string& demo, const char* name) {
  std::string bytes = ReadBytes(demo + "\\sample.isa");
  for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 4096 && i < bytes.size(); ++i) bytes[i] = '\x55';
  const std::string path = demo + "\\" + name;
  WriteFile(path, bytes);
  return path;
}

TEST_F(ViewFiles, ExportWritesWhatZtdescDumpCsvWrites) {
  ASSERT_EQ(1, frame_.Open(Demo("sample.isa").c_str()));
  frame_.SelectTable(1);
  frame_.Command(ZV_CMD_INDEX_FIRST + 1);
  frame_.Command(ZV_CMD_BACKWARDS);
  // The selection as a person enters it in the library's dialog.
  {
    ModalScript script({[](HWND dialog) {
      Type(dialog, ZT_SEL_DLG_EDIT, "Quantity >= 250 UND Article = B*");
      Press(dialog, ZT_SEL_DLG_OK);
    }});
    PressKey(frame_, 'L', kCtrl);
    EXPECT_TRUE(script.AllStepsRan());
  }
  ASSERT_TRUE(frame_.m_bSelection);
  EXPECT_EQ(0u, Status(ZV_STATUS_SELECTION).find("Auswahl: ")) << Status(ZV_STATUS_SELECTION);
  FileDialogAnswer::name = Demo("order.csv");
  PressKey(frame_, 'E', kCtrl);
  EXPECT_TRUE(FileDialogAnswer::lastSave);
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find("order.csv"));

  const std::string expected = Demo("order-ztdesc.csv");
  ASSERT_EQ(0, RunZtdesc({"dump", Demo("sample.isa"), "Order", "--index", "2", "--backward", "--where",
                          "Quantity >= 250 UND Article = B*", "--csv"},
                         expected));
  const std::string written = ReadBytes(Demo("order.csv"));
  EXPECT_GT(written.size(), 200u);
  ExpectSameText(ReadBytes(expected), written);

  // Without the selection, forwards: every record.
  frame_.Command(ZV_CMD_NO_SELECTION);
  frame_.Command(ZV_CMD_BACKWARDS);
  frame_.Command(ZV_CMD_EXPORT);
  ASSERT_EQ(0, RunZtdesc({"dump", Demo("sample.isa"), "Order", "--index", "2", "--csv"}, expected));
  ExpectSameText(ReadBytes(expected), ReadBytes(Demo("order.csv")));
}

TEST_F(ViewFiles, ExportToAFileThatCannotBeWrittenSaysSo) {
  ASSERT_EQ(1, frame_.Open(Demo("sample.isa").c_str()));
  FileDialogAnswer::name = Demo("no-such-folder\\out.csv");
  frame_.Command(ZV_CMD_EXPORT);
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find("kann nicht geschrieben werden"));
  EXPECT_TRUE(IsWindow(frame_.m_hWnd));
}

TEST_F(ViewFiles, CheckTellsASoundFileFromADamagedOne) {
  ASSERT_EQ(1, frame_.Open(Demo("sample.isa").c_str()));
  frame_.Command(ZV_CMD_CHECK);
  ASSERT_EQ(1u, boxes_.boxes.size());
  EXPECT_NE(std::string::npos, boxes_.boxes[0].text.find("ist in Ordnung (2 Tabellen)")) << boxes_.boxes[0].text;
  EXPECT_EQ(unsigned(MB_ICONINFORMATION), boxes_.boxes[0].style & MB_ICONMASK);

  // A damaged file, chosen for the check when no ISAM file is open.
  const std::string damaged = DamagedCopy(demo_, "damaged.isa");
  ASSERT_EQ(1, frame_.Open(Demo("sample.cfg").c_str()));
  boxes_.boxes.clear();
  FileDialogAnswer::name = damaged;
  frame_.Command(ZV_CMD_CHECK);
  EXPECT_EQ(1u, FileDialogAnswer::asked);
  ASSERT_FALSE(boxes_.boxes.empty());
  EXPECT_NE(std::string::npos, boxes_.boxes.back().text.find("damaged.isa")) << boxes_.boxes.back().text;
  EXPECT_EQ(unsigned(MB_ICONWARNING), boxes_.boxes.back().style & MB_ICONMASK);
  EXPECT_TRUE(IsWindow(frame_.m_hWnd));
}

TEST_F(ViewFiles, MissingDamagedAndFaultyFilesGiveTheLibrarysBoxesAndTheOpenFileStays) {
  ASSERT_EQ(1, frame_.Open(Demo("sample.isa").c_str()));
  // A missing file.
  EXPECT_EQ(0, frame_.Open(Demo("missing.isa").c_str()));
  EXPECT_EQ(std::vector<unsigned>{ZT_ERR_FILE_NOT_FOUND}, boxes_.Codes());
  EXPECT_EQ(Demo("sample.isa"), frame_.m_File.m_szFileName);
  // A file that is no ISAM file and no description.
  boxes_.boxes.clear();
  WriteFile(Demo("garbage.isa"), std::string(3000, '\x01'));
  EXPECT_EQ(0, frame_.Open(Demo("garbage.isa").c_str()));
  EXPECT_EQ(std::vector<unsigned>{ZT_ERR_FILE_NO_TABLES}, boxes_.Codes());
  EXPECT_EQ(Demo("sample.isa"), frame_.m_File.m_szFileName);
  // A damaged ISAM file: opened or refused, never a crash.
  boxes_.boxes.clear();
  const std::string damaged = DamagedCopy(demo_, "damaged2.isa");
  if (frame_.Open(damaged.c_str())) {
    frame_.Command(ZV_CMD_EXPORT);
  }
  EXPECT_TRUE(IsWindow(frame_.m_hWnd));
  // A description with faults: shown, with the library's boxes about them.
  boxes_.boxes.clear();
  std::string cfg = ReadBytes(Demo("sample.cfg"));
  const size_t at = cfg.find("\"CustNo\"");
  ASSERT_NE(std::string::npos, at);
  cfg.replace(at, 8, "\"Name\"");  // two fields of one name
  WriteFile(Demo("faulty.cfg"), cfg);
  EXPECT_EQ(1, frame_.Open(Demo("faulty.cfg").c_str()));
  EXPECT_FALSE(boxes_.boxes.empty());
  EXPECT_EQ(2u, Grid(ZV_ID_TABLES)->GetItemCount());
  EXPECT_TRUE(IsWindow(frame_.m_hWnd));
}

TEST_F(ViewFiles, TheFolderDialogFillsTheSidePane) {
  {
    ModalScript script({[this](HWND dialog) {
      char label[100] = "";
      GetDlgItemTextA(dialog, ZV_ID_INPUT_LABEL, label, sizeof(label));
      EXPECT_STREQ("&Ordner:", label);
      Type(dialog, ZV_ID_INPUT_EDIT, demo_.c_str());
      Press(dialog, IDOK);
    }});
    PressKey(frame_, 'D', kCtrl);
    EXPECT_TRUE(script.AllStepsRan());
  }
  EXPECT_STREQ(demo_.c_str(), frame_.m_Settings.m_szFolder);
  EXPECT_NE(nullptr, frame_.m_Side.FindFile(Demo("sample.cfg").c_str()));
  // Cancel leaves it.
  ModalScript cancel({[](HWND dialog) {
    Type(dialog, ZV_ID_INPUT_EDIT, "C:\\elsewhere");
    Press(dialog, IDCANCEL);
  }});
  frame_.Command(ZV_CMD_FOLDER);
  EXPECT_TRUE(cancel.AllStepsRan());
  EXPECT_STREQ(demo_.c_str(), frame_.m_Settings.m_szFolder);
}

}  // namespace
}  // namespace zv_test
