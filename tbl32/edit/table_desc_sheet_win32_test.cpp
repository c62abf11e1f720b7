// The table property sheet driven as a person would: clicks and keys into the
// real grids, typing into their edit fields, picking from their lists, the
// buttons, the format dialogs; afterwards the table description, written as
// description-file text, is what was entered.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "edit_codes.h"
#include "grid_test_support.h"
#include "modal_test_support.h"
#include "model_test_support.h"
#include "zt_tbl32/table_desc.h"

namespace {

using zt_test::ModalScript;

// The sheet's pages and the grid of each.
HWND PageOf(HWND sheet, int index) {
  return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
}
HWND GridWindow(HWND page, unsigned id) { return GetDlgItem(page, static_cast<int>(id)); }
IGridView* GridIn(HWND page, unsigned id) { return zt_test::GridOf(GridWindow(page, id)); }
bool ApplyEnabled(HWND sheet) { return IsWindowEnabled(GetDlgItem(sheet, 0x3021)) != FALSE; }
void Press(HWND page, unsigned id) { SendMessageA(GetDlgItem(page, static_cast<int>(id)), BM_CLICK, 0, 0); }
void PressOk(HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0); }

std::string TextOf(HWND window) {
  char text[600] = "";
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

std::string Cell(IGridView* grid, unsigned line, unsigned column) {
  char text[600] = "";
  if (!grid->GetItemText(line, column, text, sizeof(text))) return std::to_string(grid->GetItemUInt(line, column));
  return text;
}

// Types into the open edit field of a grid (replacing its text) and presses Enter.
void TypeIntoCell(IGridView* grid, const char* text) {
  HWND edit = grid->GetChildHwnd();
  ASSERT_NE(nullptr, edit);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  zt_test::Type(edit, text);
  zt_test::Key(edit, VK_RETURN);
}

// Picks entry index of the open list of a grid with the mouse: a click, then a double click.
void PickInList(IGridView* grid, int index) {
  HWND popup = grid->GetChildHwnd();
  ASSERT_NE(nullptr, popup);
  HWND list = GetWindow(popup, GW_CHILD);
  RECT item;
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  const LPARAM at = zt_test::Point(item.left + 5, (item.top + item.bottom) / 2);
  SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(list, WM_LBUTTONUP, 0, at);
  SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
}

// The entries of the open list of a grid.
std::vector<std::string> ListEntries(IGridView* grid) {
  std::vector<std::string> entries;
  HWND list = GetWindow(grid->GetChildHwnd(), GW_CHILD);
  const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char text[128] = "";
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}

// A click that makes the cell current (unless it is), then Enter: the cell is activated.
void OpenCell(HWND gridWindow, unsigned line, unsigned column) {
  IGridView* grid = zt_test::GridOf(gridWindow);
  if (grid->GetCurItem() != line || grid->GetCurColumn() != column) zt_test::ClickCell(gridWindow, line, column);
  zt_test::Key(gridWindow, VK_RETURN);
}

// Makes a line current by a click on its number.
void SelectLine(HWND gridWindow, unsigned line) { zt_test::ClickCell(gridWindow, line, 0); }

// The table's block as the description file holds it (comments left out, blanks single).
std::string Written(const CZTTableDesc& table) {
  CZTConfFile conf;
  conf.StartEdit(0x10000, 8, 32, 24, 80, 104);
  EXPECT_EQ(1, table.WriteDef(conf, "Table:"));
  std::string text(conf.m_pEditText, conf.m_uEditLength);
  std::string lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Without the trailing comment, blanks made single.
    const size_t comment = line.find(" ;");
    if (comment != std::string::npos) line.erase(comment);
    std::string plain;
    for (char c : line)
      if (c != ' ' || (!plain.empty() && plain.back() != ' ')) plain += c;
    while (!plain.empty() && plain.back() == ' ') plain.pop_back();
    if (!plain.empty() && plain[0] != ';') lines += plain + "\n";
    at = end + 1;
  }
  return lines;
}

class TableSheet : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(1, ztSetTbl32Language("D")); }

  int Run(CZTTableDesc& table, unsigned startPage, std::vector<ModalScript::Step> steps,
          unsigned pages = ZT_SHEET_FIELDS | ZT_SHEET_KEYS | ZT_SHEET_GALLERY) {
    ModalScript script(std::move(steps));
    const int result = table.PropertySheetA(nullptr, pages, startPage);
    EXPECT_TRUE(script.AllStepsRan());
    EXPECT_EQ(0u, script.Cancelled());
    return result;
  }

  zt_test::BoxRecorder boxes;
};

CZTTableDesc Customers() {
  CZTTableDesc table;
  CZTConfFile conf;
  const char text[] =
      "Table: \"Kunde\"\n"
      "IndexNodeSize: 1024\n"
      "Field: 0, 4, 2, 0x0011, 1, 0x0011, 1, 10, \"Nummer\"\n"
      "Field: 4, 30, 7, 0x0000, 0, 0x0000, 0, 40, \"Name\"\n"
      "Field: 34, 20, 7, 0x0000, 0, 0x0000, 0, 30, \"Ort\"\n"
      "Key: 1, 0, 0, 0, 0\n"
      "KeyPart: \"UINT32\", \"Nummer\"\n"
      "GalleryLayout: 2\n"
      "GalleryDiaMode: 1\n"
      "GalleryDiaSize: 120, 90\n"
      "ImageFileName: \"bilder\\#PPN.jpg\"\n"
      "ImageFileName: \"scan\\#SN0.tif\"\n"
      "Table: END\n";
  conf.ReadIt(text, sizeof(text) - 1);
  EXPECT_EQ(1, table.ReadDef(conf, "TABLE", 0));
  return table;
}

TEST_F(TableSheet, NewFieldsAreFilledInColumnByColumn) {
  CZTTableDesc table;
  ztStrCopy(table.m_szName, "Neu", sizeof(table.m_szName));
  std::vector<std::string> encodings;
  std::string offsetShown, titleShown;
  bool changedBefore = true, centred = false;
  const int result = Run(table, 0,
                         {[&](HWND sheet) {
                            HWND page = PageOf(sheet, 0);
                            IGridView* grid = GridIn(page, ZT_ID_FIELDS_GRID);
                            changedBefore = ApplyEnabled(sheet);
                            char title[64] = "";
                            GetDlgItemTextA(page, ZT_ID_TABLE_NAME, title, sizeof(title));
                            titleShown = title;
                            RECT r;
                            GetWindowRect(sheet, &r);
                            centred = std::abs((r.left + r.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2) <= 1;
                            // The first field: the editor moves on after each entry.
                            Press(page, ZT_ID_APPEND);
                            TypeIntoCell(grid, "Nummer");
                            zt_test::Pump();  // the encoding list opens
                            encodings = ListEntries(grid);
                            PickInList(grid, 2);  // 32-bit integer
                            zt_test::Pump();
                            TypeIntoCell(grid, "0");  // offset
                            zt_test::Pump();
                            TypeIntoCell(grid, "4");  // length
                            zt_test::Pump();
                            PickInList(grid, 1);  // content: number
                            zt_test::Pump();      // the number format dialog: the next step
                            PickInList(grid, 0);  // data justification: left
                            zt_test::Pump();
                            PickInList(grid, 1);  // display: number
                            zt_test::Pump();      // its format dialog: the step after
                            PickInList(grid, 1);  // display justification: right
                            zt_test::Pump();
                            TypeIntoCell(grid, "10");  // display width: the end
                            zt_test::Pump();
                            EXPECT_EQ(nullptr, grid->GetChildHwnd());
                            // The second field: its offset starts where the first one ends.
                            Press(page, ZT_ID_APPEND);
                            TypeIntoCell(grid, "Name");
                            zt_test::Pump();
                            PickInList(grid, 7);  // ASCII text
                            zt_test::Pump();
                            offsetShown = TextOf(grid->GetChildHwnd());
                            zt_test::Key(grid->GetChildHwnd(), VK_RETURN);
                            zt_test::Pump();
                            TypeIntoCell(grid, "30");
                            zt_test::Pump();
                            PickInList(grid, 0);  // content: text; no format dialog
                            zt_test::Pump();
                            PickInList(grid, 0);
                            zt_test::Pump();
                            PickInList(grid, 0);
                            zt_test::Pump();
                            PickInList(grid, 0);
                            zt_test::Pump();
                            TypeIntoCell(grid, "40");
                            zt_test::Pump();
                            EXPECT_EQ(34u, GetDlgItemInt(page, ZT_ID_RECORD_SIZE, nullptr, FALSE));
                            EXPECT_EQ(50u, GetDlgItemInt(page, ZT_ID_DISP_WIDTH_SUM, nullptr, FALSE));
                            EXPECT_EQ("2", Cell(grid, 1, 0));
                            EXPECT_EQ("Name", Cell(grid, 1, 1));
                            PressOk(sheet);
                          },
                          [](HWND dialog) {  // the content's number format: signed, two decimals
                            SendMessageA(GetDlgItem(dialog, ZT_ID_SIGNED), BM_CLICK, 0, 0);
                            SetDlgItemTextA(dialog, ZT_ID_DECIMALS, "2");
                            SendMessageA(GetDlgItem(dialog, ZT_ID_FORMAT_OK), BM_CLICK, 0, 0);
                          },
                          [](HWND dialog) {  // the display's: left as it is
                            SendMessageA(GetDlgItem(dialog, ZT_ID_FORMAT_OK), BM_CLICK, 0, 0);
                          }});
  EXPECT_GT(result, 0);
  EXPECT_FALSE(changedBefore);
  EXPECT_TRUE(centred);
  EXPECT_EQ("Neu", titleShown);
  ASSERT_EQ(9u, encodings.size());
  EXPECT_EQ("Ganzzahl 32 Bit", encodings[2]);
  EXPECT_EQ("4", offsetShown);
  EXPECT_EQ(
      "Table: \"Neu\"\n"
      "IndexNodeSize: 1024\n"
      "Field: 0, 4, 2, 0x2011, 0, 0x0001, 1, 10, \"Nummer\"\n"
      "Field: 4, 30, 7, 0x0000, 0, 0x0000, 0, 40, \"Name\"\n"
      "Table: END\n",
      Written(table));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(TableSheet, FieldsAreDeletedOnlyWithYes) {
  CZTTableDesc table = Customers();
  Run(table, 0, {[&](HWND sheet) {
        HWND page = PageOf(sheet, 0);
        HWND gridWindow = GridWindow(page, ZT_ID_FIELDS_GRID);
        IGridView* grid = zt_test::GridOf(gridWindow);
        SelectLine(gridWindow, 1);
        boxes.answer = IDNO;
        zt_test::Key(gridWindow, VK_DELETE);
        EXPECT_EQ(3u, grid->GetItemCount());
        EXPECT_FALSE(ApplyEnabled(sheet));
        boxes.answer = IDYES;
        SelectLine(gridWindow, 1);
        zt_test::Key(gridWindow, VK_DELETE);
        EXPECT_EQ(2u, grid->GetItemCount());
        EXPECT_EQ("Ort", Cell(grid, 1, 1));
        EXPECT_TRUE(ApplyEnabled(sheet));
        // The button deletes the current line.
        SelectLine(gridWindow, 0);
        Press(page, ZT_ID_DELETE);
        EXPECT_EQ(1u, grid->GetItemCount());
        PressOk(sheet);
      }});
  ASSERT_EQ(3u, boxes.boxes.size());
  EXPECT_EQ(unsigned(ZT_ASK_DELETE_FIELD), boxes.boxes[0].code);
  EXPECT_NE(std::string::npos, boxes.boxes[0].text.find("Name"));
  ASSERT_EQ(1u, table.m_Fields.m_uCount);
  EXPECT_STREQ("Ort", table.m_Fields.m_pFields[0].m_szName);
  // The freed slots are cleared.
  EXPECT_STREQ("", table.m_Fields.m_pFields[1].m_szName);
}

TEST_F(TableSheet, AClickOutsideTheCellsAppends) {
  CZTTableDesc table = Customers();
  Run(table, 0, {[&](HWND sheet) {
        HWND page = PageOf(sheet, 0);
        HWND gridWindow = GridWindow(page, ZT_ID_FIELDS_GRID);
        IGridView* grid = zt_test::GridOf(gridWindow);
        // Below the last line: the grid reports the mouse point.
        RECT client;
        GetClientRect(gridWindow, &client);
        zt_test::Click(gridWindow, 20, client.bottom - 4);
        TypeIntoCell(grid, "Telefon");
        zt_test::Pump();  // the encoding list, left alone
        zt_test::Key(GetWindow(grid->GetChildHwnd(), GW_CHILD), VK_ESCAPE);
        EXPECT_EQ(4u, grid->GetItemCount());
        // A point whose packed value is a line of the table appends as well.
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(ZT_ID_FIELDS_GRID, GN_CLICK), MAKELPARAM(1, 0));
        TypeIntoCell(grid, "Fax");
        zt_test::Pump();
        zt_test::Key(GetWindow(grid->GetChildHwnd(), GW_CHILD), VK_ESCAPE);
        EXPECT_EQ(5u, grid->GetItemCount());
        // Insert inserts at the current line.
        SelectLine(gridWindow, 1);
        zt_test::Key(gridWindow, VK_INSERT);
        TypeIntoCell(grid, "Vorname");
        zt_test::Pump();
        zt_test::Key(GetWindow(grid->GetChildHwnd(), GW_CHILD), VK_ESCAPE);
        PressOk(sheet);
      }});
  ASSERT_EQ(6u, table.m_Fields.m_uCount);
  EXPECT_STREQ("Nummer", table.m_Fields.m_pFields[0].m_szName);
  EXPECT_STREQ("Vorname", table.m_Fields.m_pFields[1].m_szName);
  EXPECT_STREQ("Name", table.m_Fields.m_pFields[2].m_szName);
  EXPECT_STREQ("Ort", table.m_Fields.m_pFields[3].m_szName);
  EXPECT_STREQ("Telefon", table.m_Fields.m_pFields[4].m_szName);
  EXPECT_STREQ("Fax", table.m_Fields.m_pFields[5].m_szName);
}

TEST_F(TableSheet, KeysAreEditedPartByPart) {
  CZTTableDesc table = Customers();
  std::vector<std::string> fieldNames;
  Run(table, 1, {[&](HWND sheet) {
        HWND page = PageOf(sheet, 1);
        HWND gridWindow = GridWindow(page, ZT_ID_KEYS_GRID);
        IGridView* grid = zt_test::GridOf(gridWindow);
        ASSERT_EQ(1u, grid->GetItemCount());
        EXPECT_EQ("UINT32", Cell(grid, 0, 7));
        // Two parts: a second line for the key.
        OpenCell(gridWindow, 0, 6);
        TypeIntoCell(grid, "2");
        EXPECT_EQ(2u, grid->GetItemCount());
        // The second part's field and key type from their lists.
        OpenCell(gridWindow, 1, 8);
        fieldNames = ListEntries(grid);
        PickInList(grid, 1);
        OpenCell(gridWindow, 1, 7);
        PickInList(grid, ISAM_KEY_ITEXT);
        EXPECT_EQ("Name", Cell(grid, 1, 8));
        EXPECT_EQ("ITEXT", Cell(grid, 1, 7));
        // Option flags 1 and 2 switched, flag 1 back again.
        OpenCell(gridWindow, 0, 2);
        OpenCell(gridWindow, 0, 1);
        EXPECT_EQ(0u, grid->GetItemUInt(0, 1));
        EXPECT_EQ(1u, grid->GetItemUInt(0, 2));
        // Five parts, and none, are refused: the key stays as it was.
        OpenCell(gridWindow, 0, 6);
        TypeIntoCell(grid, "5");
        OpenCell(gridWindow, 0, 6);
        TypeIntoCell(grid, "0");
        EXPECT_EQ(2u, grid->GetItemCount());
        EXPECT_EQ("2", Cell(grid, 0, 6));
        // A second key by the Insert key, a third by a click below the lines.
        SelectLine(gridWindow, 0);
        zt_test::Key(gridWindow, VK_INSERT);
        RECT client;
        GetClientRect(gridWindow, &client);
        zt_test::Click(gridWindow, 20, client.bottom - 4);
        EXPECT_EQ(4u, grid->GetItemCount());
        // Deleting the new first key: No keeps it, Yes removes it.
        SelectLine(gridWindow, 0);
        boxes.answer = IDNO;
        zt_test::Key(gridWindow, VK_DELETE);
        EXPECT_EQ(4u, grid->GetItemCount());
        boxes.answer = IDYES;
        Press(page, ZT_ID_DELETE);
        EXPECT_EQ(3u, grid->GetItemCount());
        PressOk(sheet);
      }});
  EXPECT_EQ((std::vector<std::string>{"Nummer", "Name", "Ort"}), fieldNames);
  std::vector<unsigned> codes = boxes.Codes();
  EXPECT_EQ(
      (std::vector<unsigned>{ZT_ERR_SHEET_KEY_PARTS, ZT_ERR_SHEET_KEY_PARTS, ZT_ASK_DELETE_KEY, ZT_ASK_DELETE_KEY}),
      codes);
  ASSERT_EQ(2u, table.m_Keys.m_uCount);
  EXPECT_EQ(
      "Table: \"Kunde\"\n"
      "IndexNodeSize: 1024\n"
      "Field: 0, 4, 2, 0x0011, 1, 0x0011, 1, 10, \"Nummer\"\n"
      "Field: 4, 30, 7, 0x0000, 0, 0x0000, 0, 40, \"Name\"\n"
      "Field: 34, 20, 7, 0x0000, 0, 0x0000, 0, 30, \"Ort\"\n"
      "Key: 0, 1, 0, 0, 0\n"
      "KeyPart: \"UINT32\", \"Nummer\"\n"
      "KeyPart: \"ITEXT\", \"Name\"\n"
      "Key: 0, 0, 0, 0, 0\n"
      "KeyPart: \"\", \"\"\n"
      "GalleryLayout: 2\n"
      "GalleryDiaMode: 1\n"
      "GalleryDiaSize: 120, 90\n"
      "ImageFileName: \"bilder\\#PPN.jpg\"\n"
      "ImageFileName: \"scan\\#SN0.tif\"\n"
      "Table: END\n",
      Written(table));
}

TEST_F(TableSheet, TheGalleryPage) {
  CZTTableDesc table = Customers();
  bool changedAtStart = true;
  std::string width;
  Run(table, 2, {[&](HWND sheet) {
        HWND page = PageOf(sheet, 2);
        HWND gridWindow = GridWindow(page, ZT_ID_IMAGES_GRID);
        IGridView* grid = zt_test::GridOf(gridWindow);
        changedAtStart = ApplyEnabled(sheet);
        char text[32] = "";
        GetDlgItemTextA(page, ZT_ID_DIA_WIDTH, text, sizeof(text));
        width = text;
        EXPECT_EQ(2, SendDlgItemMessageA(page, ZT_ID_GALLERY_LAYOUT, CB_GETCURSEL, 0, 0));
        // A layout and a dia mode picked, a dia height typed.
        SendDlgItemMessageA(page, ZT_ID_GALLERY_LAYOUT, CB_SETCURSEL, 7, 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(ZT_ID_GALLERY_LAYOUT, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, ZT_ID_GALLERY_LAYOUT)));
        SendDlgItemMessageA(page, ZT_ID_DIA_MODE, CB_SETCURSEL, 3, 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(ZT_ID_DIA_MODE, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, ZT_ID_DIA_MODE)));
        SetDlgItemTextA(page, ZT_ID_DIA_HEIGHT, "75");
        // A third image name, typed into its cell.
        Press(page, ZT_ID_INSERT);
        ASSERT_EQ(3u, grid->GetItemCount());
        OpenCell(gridWindow, 2, 0);
        TypeIntoCell(grid, "fotos\\#F_#T.png");
        // Deleting the first: No keeps it, Yes removes it.
        SelectLine(gridWindow, 0);
        boxes.answer = IDNO;
        Press(page, ZT_ID_DELETE);
        EXPECT_EQ(3u, grid->GetItemCount());
        boxes.answer = IDYES;
        zt_test::Key(gridWindow, VK_DELETE);
        EXPECT_EQ(2u, grid->GetItemCount());
        EXPECT_EQ("scan\\#SN0.tif", Cell(grid, 0, 0));
        PressOk(sheet);
      }});
  EXPECT_FALSE(changedAtStart);
  EXPECT_EQ("120", width);
  const CZTGallDesc& gallery = table.m_Gallery;
  EXPECT_EQ(7u, gallery.m_uLayout);
  EXPECT_EQ(3u, gallery.m_uDiaMode);
  EXPECT_EQ(120u, gallery.m_uDiaWidth);
  EXPECT_EQ(75u, gallery.m_uDiaHeight);
  ASSERT_EQ(2u, gallery.m_uImgCount);
  EXPECT_STREQ("fotos\\#F_#T.png", gallery.m_pImgNames[1].m_szText);
  EXPECT_EQ(15u, gallery.m_pImgNames[1].m_uLength);
  EXPECT_EQ((std::vector<unsigned>{ZT_ASK_DELETE_KEY, ZT_ASK_DELETE_KEY}), boxes.Codes());
}

TEST_F(TableSheet, FormatDialogsEndWithOkCancelOrTheCloseBox) {
  CZTTableDesc table = Customers();
  bool changedAfterPlainOk = true;
  Run(table, 0,
      {[&](HWND sheet) {
         HWND page = PageOf(sheet, 0);
         HWND gridWindow = GridWindow(page, ZT_ID_FIELDS_GRID);
         OpenCell(gridWindow, 0, 6);  // OK without a change
         changedAfterPlainOk = ApplyEnabled(sheet);
         OpenCell(gridWindow, 0, 6);  // Cancel
         OpenCell(gridWindow, 0, 9);  // the close box
         OpenCell(gridWindow, 0, 9);  // OK with a change
         EXPECT_TRUE(ApplyEnabled(sheet));
         EXPECT_EQ("-2", Cell(zt_test::GridOf(gridWindow), 0, 9));
         // A text field's format cell opens nothing.
         OpenCell(gridWindow, 1, 6);
         PressOk(sheet);
       },
       [](HWND dialog) { SendMessageA(GetDlgItem(dialog, ZT_ID_FORMAT_OK), BM_CLICK, 0, 0); },
       [](HWND dialog) {
         SendMessageA(GetDlgItem(dialog, ZT_ID_LEADING_ZEROS), BM_CLICK, 0, 0);
         SendMessageA(GetDlgItem(dialog, ZT_ID_FORMAT_CANCEL), BM_CLICK, 0, 0);
       },
       [](HWND dialog) {
         SendMessageA(GetDlgItem(dialog, ZT_ID_LEADING_ZEROS), BM_CLICK, 0, 0);
         SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
       },
       [](HWND dialog) {
         SetDlgItemTextA(dialog, ZT_ID_DECIMALS, "2");
         SendMessageA(GetDlgItem(dialog, ZT_ID_FORMAT_OK), BM_CLICK, 0, 0);
       }});
  EXPECT_FALSE(changedAfterPlainOk);
  EXPECT_EQ(0x0011u, table.m_Fields.m_pFields[0].m_uContentType);
  EXPECT_EQ(0x2011u, table.m_Fields.m_pFields[0].m_uDisplayType);
}

TEST_F(TableSheet, PrintButtonsPrintTheFieldAndKeyLists) {
  const std::string dir = "sheet_print_out";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  ASSERT_EQ(1, ztSetPrintOutput(ZT_PRINT_EMF_FILE, (dir + "/list.emf").c_str()));
  CZTTableDesc table = Customers();
  std::vector<bool> printed;
  Run(table, 0, {[&](HWND sheet) {
        for (int index = 0; index < 3; ++index) {
          SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
          std::filesystem::remove(dir + "/list.emf");
          Press(PageOf(sheet, index), ZT_ID_PRINT);
          printed.push_back(std::filesystem::exists(dir + "/list.emf"));
        }
        PressOk(sheet);
      }});
  ztSetPrintOutput(ZT_PRINT_PRINTER, nullptr);
  std::filesystem::remove_all(dir);
  EXPECT_EQ((std::vector<bool>{true, true, true}), printed);
}

TEST_F(TableSheet, PagesAsAskedAndTheGalleryOnlyWhenDefined) {
  CZTTableDesc table = Customers();
  int pages = 0;
  Run(table, 0, {[&](HWND sheet) {
        pages = static_cast<int>(SendMessageA(PropSheet_GetTabControl(sheet), TCM_GETITEMCOUNT, 0, 0));
        PressOk(sheet);
      }},
      ZT_SHEET_KEYS | ZT_SHEET_GALLERY);
  EXPECT_EQ(2, pages);
  table.m_Gallery.FreeGallery();
  Run(table, 0, {[&](HWND sheet) {
        pages = static_cast<int>(SendMessageA(PropSheet_GetTabControl(sheet), TCM_GETITEMCOUNT, 0, 0));
        PressOk(sheet);
      }});
  EXPECT_EQ(2, pages);
}

}  // namespace
