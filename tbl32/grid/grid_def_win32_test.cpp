// DispColHeaders with real windows: a small window class that answers WM_USER
// with a recording IGridView.
#include <gtest/gtest.h>

#include "model_test_support.h"
#include "zt_tbl32/enum_string.h"
#include "zt_tbl32/grid_def.h"
#include "zt_tbl32/grid_desc.h"

namespace {

const char kTestGridClass[] = "ZTTestGridWindow";
constexpr int kGridId = 1234;

LRESULT CALLBACK TestGridProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return 0;
  }
  if (message == ZT_GRID_QUERY && wParam == 0 && lParam == 0)
    return static_cast<LRESULT>(GetWindowLongPtrA(window, GWLP_USERDATA));
  return DefWindowProcA(window, message, wParam, lParam);
}

class GridWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = TestGridProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kTestGridClass;
    RegisterClassA(&wc);
    parent = CreateWindowExA(0, "STATIC", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    grid = CreateWindowExA(0, kTestGridClass, "", WS_CHILD, 0, 0, 300, 200, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kGridId)), GetModuleHandleA(nullptr),
                           static_cast<IGridView*>(&recorder));
    ASSERT_NE(grid, nullptr);
    silent =
        CreateWindowExA(0, kTestGridClass, "", WS_CHILD, 0, 0, 10, 10, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kGridId + 1)), GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(silent, nullptr);
  }
  void TearDown() override { DestroyWindow(parent); }

  zt_test::RecordingGrid recorder;
  HWND parent = nullptr, grid = nullptr, silent = nullptr;
};

const SColumnDef kColumns[] = {{0, 0, 0, 1, 7, 100, 64990}};

TEST_F(GridWindows, GridDefFindsTheGridByControlIdOrTakesTheWindow) {
  CGridDef def = {0, nullptr, kGridId, 25, &ztTbl32Lib, nullptr, 1, kColumns};
  EXPECT_EQ(def.DispColHeaders(parent, 0), TRUE);
  EXPECT_EQ(def.m_hGrid, grid);
  EXPECT_EQ(def.m_pGrid, static_cast<IGridView*>(&recorder));
  const std::vector<std::string> expected = {"SetStyle(25)", "SetColumnCount(1,0)",
                                             "SetColumnHeader(0,100,0,<64990>,0)", "SetColumnType(0,0,7,0x00)"};
  EXPECT_EQ(recorder.calls, expected);

  recorder.calls.clear();
  CGridDef direct = {0, nullptr, 0xFFFFFFFF, 1, &ztTbl32Lib, nullptr, 0, nullptr};
  EXPECT_EQ(direct.DispColHeaders(grid, 1), TRUE);
  EXPECT_EQ(direct.m_hGrid, grid);
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"DeleteAllItems(0)", "SetStyle(1)", "SetColumnCount(0,0)"}));
}

TEST_F(GridWindows, MissingControlOrInterfaceIsAnError) {
  zt_test::BoxRecorder boxes;
  zt_test::LogCapture log("grid_win32_test.log");
  CGridDef missing = {0, nullptr, 999, 25, &ztTbl32Lib, nullptr, 1, kColumns};
  EXPECT_EQ(missing.DispColHeaders(parent, 0), FALSE);
  CGridDef mute = {0, nullptr, kGridId + 1, 25, &ztTbl32Lib, nullptr, 1, kColumns};
  EXPECT_EQ(mute.DispColHeaders(parent, 0), FALSE);
  EXPECT_EQ(mute.m_pGrid, nullptr);
  CGridDesc desc(&ztTbl32Lib, 998, 0, 0);
  EXPECT_EQ(desc.DispColHeaders(parent, 0), FALSE);
  CGridDesc muteDesc(&ztTbl32Lib, 0xFFFFFFFF, 0, 0);
  EXPECT_EQ(muteDesc.DispColHeaders(silent, 0), FALSE);
  EXPECT_EQ(boxes.Codes(), (std::vector<unsigned>{900, 901, 1000, 1001}));
  EXPECT_EQ(log.All(),
            "0 CGridDef: Control id 999 not found.\n"
            "0 CGridDef: Cannot inquire the grid control instance pointer.\n"
            "0 CGridDesc: Control id 998 not found\n"
            "0 CGridDesc: Cannot inquire the grid control instance pointer\n");
  EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(GridWindows, GridDescSetsColumnsThroughTheWindow) {
  CGridDesc desc(&ztTbl32Lib, kGridId, 0, 3);
  desc.m_uColCount = desc.m_uColAlloc = 1;
  desc.m_pColumns = static_cast<SColumnDesc*>(calloc(1, sizeof(SColumnDesc)));
  desc.m_pColumns[0].flags = 0x20;
  desc.m_pColumns[0].width = 100;
  desc.m_pColumns[0].textEven = 0x0000FF;
  desc.m_pColumns[0].textOdd = 0x00FF00;
  desc.m_pColumns[0].backEven = desc.m_pColumns[0].backOdd = 0xFFFFFF;
  ztStrCopy(desc.m_pColumns[0].szHeader, "Kopf", sizeof(desc.m_pColumns[0].szHeader));
  EXPECT_EQ(desc.DispColHeaders(parent, 0), TRUE);
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"SetStyle(3)", "SetColumnCount(1,0)",
                                                      "SetColumnHeader(0,100,0,Kopf,0)", "SetColumnType(0,0,0,0x20)",
                                                      "SetColumnColors(0,FFFFFF,FFFFFF,0000FF,00FF00,0)"}));
}

TEST_F(GridWindows, EnumStringFillsAndReadsAListBox) {
  HWND list =
      CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 100, 100, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(list, nullptr);
  ztCompOperators.SortTable();
  ztCompOperators.FillListBox(list, 1);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), LRESULT(ztCompOperators.m_uCount));
  const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
  ASSERT_NE(selected, LB_ERR);
  EXPECT_EQ(ztCompOperators.m_pEntries[selected].value, 1u);
  // The last entry with the value stays selected.
  EXPECT_STREQ(ztCompOperators.m_pEntries[selected].name, "<>");
  unsigned value = 1;
  EXPECT_EQ(ztCompOperators.GetListBoxSelection(list, &value), 0u);  // unchanged
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  EXPECT_EQ(ztCompOperators.GetListBoxSelection(list, &value), 1u);
  EXPECT_EQ(value, ztCompOperators.m_pEntries[1].value);
  EXPECT_EQ(value, 6u);  // "<"

  SendMessageA(list, LB_SETCURSEL, WPARAM(-1), 0);
  EXPECT_EQ(ztCompOperators.GetListBoxSelection(list, &value), 0u);
  EXPECT_EQ(ztCompOperators.GetListBoxSelection(nullptr, &value), 0u);
}

}  // namespace
