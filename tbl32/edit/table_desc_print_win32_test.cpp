// The printed field list, key list and editable table, read back from the
// metafiles the print object writes instead of printing.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "edit_codes.h"
#include "emf_records.h"
#include "modal_test_support.h"
#include "model_test_support.h"
#include "zt_tbl32/table_desc.h"
#include "zt_tbl32/tbl_fld_desc.h"

namespace {

using zt_test::EmfContent;
using zt_test::EmfText;
using zt_test::ReadEmf;

const char kDir[] = "print_lists_out";

// Positions of the A4 sheet at 600 dots per inch with the lists' margins.
constexpr int Mm(unsigned tenths) { return static_cast<int>((600LL * tenths + 127) / 254); }
constexpr int kLeft = Mm(200);
constexpr int kRight = Mm(2100) - Mm(150);
constexpr int kWidth = kRight - kLeft;
constexpr int kHeaderLine = Mm(150);
constexpr int kBottom = Mm(2970) - Mm(150) - Mm(60);

class PrintedLists : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(1, ztSetTbl32Language("D"));
    std::filesystem::remove_all(kDir);
    std::filesystem::create_directories(kDir);
    ASSERT_EQ(1, ztSetPrintOutput(ZT_PRINT_EMF_PAGES, (std::string(kDir) + "/list.emf").c_str()));
  }
  void TearDown() override {
    ztSetPrintOutput(ZT_PRINT_PRINTER, nullptr);
    std::filesystem::remove_all(kDir);
  }
  // Every page file written.
  static std::vector<EmfContent> Pages() {
    std::vector<EmfContent> pages;
    char name[MAX_PATH];
    for (unsigned page = 1; ztPrintPageFile(page, name, sizeof(name)) && std::filesystem::exists(name); ++page)
      pages.push_back(ReadEmf(name));
    return pages;
  }
  zt_test::BoxRecorder boxes;
};

CZTTableDesc ThreeFields() {
  CZTTableDesc table;
  ztStrCopy(table.m_szName, "Kunden", sizeof(table.m_szName));
  const struct {
    const char* name;
    unsigned offset, length, encoding, width;
  } fields[] = {
      {"Nummer", 0, 4, ite32INTEGER, 10}, {"Name", 4, 10, iteASCIITEXT, 60}, {"Land", 14, 2, iteASCIITEXT, 5}};
  for (const auto& f : fields) {
    unsigned position = 99;
    table.InsertField(f.name, &position);
    CZTFieldDesc& field = table.m_Fields.m_pFields[position];
    field.m_uOffset = f.offset;
    field.m_uLength = f.length;
    field.m_uEncodeType = f.encoding;
    field.m_uDispWidth = f.width;
    field.m_uContentType = f.encoding == ite32INTEGER ? ZT_KIND_NUMBER : ZT_KIND_TEXT;
    field.m_uDisplayType = field.m_uContentType;
    field.m_uDispJust = f.encoding == ite32INTEGER ? ZT_JUST_RIGHT : ZT_JUST_LEFT;
  }
  return table;
}

// The tab stops of the field list.
std::vector<int> FieldStops() {
  const int w = kWidth;
  std::vector<int> t(12);
  t[0] = kLeft + w * 3 / 100;
  t[1] = t[0] + w / 100;
  t[2] = t[1] + w * 17 / 100;
  t[3] = t[1] + 2 * (w * 17 / 100);
  t[4] = t[3] + w * 7 / 100;
  t[5] = t[4] + w / 100;
  t[6] = t[5] + w * 9 / 100;
  t[7] = t[6] + w * 8 / 100;
  t[8] = t[6] + 2 * (w * 8 / 100);
  t[9] = t[8] + w * 9 / 100;
  t[10] = t[8] + 2 * (w * 9 / 100);
  t[11] = t[10] + w * 11 / 100;
  return t;
}

struct Expect {
  std::string text;
  int x;
  unsigned align;
};

// The texts of one printed line (same y), from the first text equal to first on.
std::vector<EmfText> LineOf(const EmfContent& page, const std::string& first) {
  std::vector<EmfText> line;
  const EmfText* start = page.Find(first);
  if (!start) return line;
  for (const auto& t : page.texts)
    if (t.y == start->y) line.push_back(t);
  return line;
}

void ExpectLine(const std::vector<EmfText>& line, const std::vector<Expect>& expected, int weight) {
  ASSERT_EQ(expected.size(), line.size()) << (line.empty() ? std::string("no line") : line[0].text);
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i].text, line[i].text);
    EXPECT_EQ(expected[i].x, line[i].x) << expected[i].text;
    EXPECT_EQ(expected[i].align, line[i].align) << expected[i].text;
    EXPECT_EQ(weight, line[i].weight) << expected[i].text;
  }
}

const unsigned L = TA_LEFT, R = TA_RIGHT;

std::vector<Expect> FieldHeaders() {
  const auto t = FieldStops();
  return {{"Nr", t[0], R},     {"Name", t[1], L},   {"Typ", t[2], L},    {"Pos", t[3], R},
          {"Len", t[4], R},    {"Inhalt", t[5], L}, {"Format", t[6], L}, {"Just.", t[7], L},
          {"Darst.", t[8], L}, {"Format", t[9], L}, {"Just.", t[10], L}, {"Breite", t[11], R}};
}

void ExpectPageHeader(const EmfContent& page, unsigned number, const std::string& title) {
  ASSERT_GE(page.texts.size(), 2u);
  EXPECT_EQ("Satzstruktur einer ISAM-Datei: " + title, page.texts[0].text);
  EXPECT_EQ(kLeft, page.texts[0].x);
  EXPECT_EQ(kHeaderLine, page.texts[0].y);
  EXPECT_TRUE(
      std::regex_match(page.texts[1].text,
                       std::regex("\\d\\d\\.\\d\\d\\.\\d{4}   \\d\\d:\\d\\d:\\d\\d   Seite " + std::to_string(number))))
      << page.texts[1].text;
  EXPECT_EQ(kRight, page.texts[1].x);
  EXPECT_EQ(R, page.texts[1].align);
  EXPECT_EQ(kHeaderLine, page.texts[1].y);
}

TEST_F(PrintedLists, FieldListOfThreeFields) {
  const CZTTableDesc table = ThreeFields();
  ASSERT_EQ(1, table.PrintFieldList(nullptr));
  const auto pages = Pages();
  ASSERT_EQ(1u, pages.size());
  const EmfContent& page = pages[0];
  ExpectPageHeader(page, 1, "Feldliste");

  const EmfText* file = page.Find("ISAM-Datei:");
  const EmfText* tableLine = page.Find("Tabelle:");
  ASSERT_TRUE(file && tableLine);
  EXPECT_EQ(700, file->weight);
  const int bold = (tableLine->y - file->y) / 2;
  EXPECT_GE(bold, 92);  // at least the 11-point pitch
  ExpectLine(LineOf(page, "Tabelle:"), {{"Tabelle:", kLeft, L}, {"Kunden", kLeft + Mm(300), L}}, 700);
  const auto headers = LineOf(page, "Nr");
  ExpectLine(headers, FieldHeaders(), 700);
  EXPECT_EQ(tableLine->y + 2 * bold, headers[0].y);

  const auto t = FieldStops();
  const auto first = LineOf(page, "Nummer");
  ExpectLine(first,
             {{"1", t[0], R},
              {"Nummer", t[1], L},
              {"0", t[3], R},
              {"4", t[4], R},
              {"10", t[11], R},
              {"Ganzzahl 32 Bit", t[2], L},
              {"Zahl", t[5], L},
              {"links", t[7], L},
              {"Zahl", t[8], L},
              {"rechts", t[10], L}},
             400);
  const auto third = LineOf(page, "Land");
  ASSERT_FALSE(third.empty());
  const int line = (third[0].y - first[0].y) / 2;
  EXPECT_GE(line, 92);
  // The bar under the column headers, then the fields two bar heights below it.
  ASSERT_EQ(2u, page.rects.size());
  const int barTop = headers[0].y + line + 1;
  EXPECT_EQ(barTop, page.rects[0].top);
  EXPECT_EQ(kLeft, page.rects[0].left);
  EXPECT_EQ(kRight, page.rects[0].right);
  EXPECT_EQ(barTop + 2 * Mm(2), first[0].y);
  // The footer line below the last field and the summary under it.
  const int after = third[0].y + line;
  EXPECT_EQ(after + 4, page.rects[1].top);
  ExpectLine(LineOf(page, "3 Felder"), {{"3 Felder", kLeft, L}, {"16", t[4], R}, {"Bytes", t[5], L}, {"75", t[11], R}},
             400);
  EXPECT_EQ(after + 16, page.Find("3 Felder")->y);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PrintedLists, FieldListOfAnEmptyTable) {
  CZTTableDesc table;
  ztStrCopy(table.m_szName, "Leer", sizeof(table.m_szName));
  ASSERT_EQ(1, table.PrintFieldList(nullptr));
  const auto pages = Pages();
  ASSERT_EQ(1u, pages.size());
  const EmfContent& page = pages[0];
  ExpectPageHeader(page, 1, "Feldliste");
  ExpectLine(LineOf(page, "Nr"), FieldHeaders(), 700);
  const EmfText* none = page.Find("Die Tabelle enth\xE4lt keine Felddefinitionen.");
  ASSERT_NE(nullptr, none);
  EXPECT_EQ(kLeft, none->x);
  EXPECT_EQ(page.rects[0].top + 2 * Mm(2), none->y);  // the first body line
  // Header, date, two labels, the name, twelve headers and the line: no summary, no footer line.
  EXPECT_EQ(18u, page.texts.size());
  EXPECT_EQ(1u, page.rects.size());
}

TEST_F(PrintedLists, FieldListOverThreePagesRepeatsTheHeadersAndKeepsEachLineWhole) {
  CZTTableDesc table;
  ztStrCopy(table.m_szName, "Lang", sizeof(table.m_szName));
  const unsigned count = 160;
  for (unsigned i = 0; i < count; ++i) {
    char name[16];
    ztFormat(name, sizeof(name), "F%03u", i + 1);
    unsigned position = 9999;
    table.InsertField(name, &position);
    table.m_Fields.m_pFields[position].m_uOffset = 2 * i;
    table.m_Fields.m_pFields[position].m_uLength = 2;
    table.m_Fields.m_pFields[position].m_uEncodeType = ite16INTEGER;
  }
  ASSERT_EQ(1, table.PrintFieldList(nullptr));
  const auto pages = Pages();
  ASSERT_EQ(3u, pages.size());
  const auto t = FieldStops();
  unsigned next = 1;
  for (unsigned p = 0; p < pages.size(); ++p) {
    const EmfContent& page = pages[p];
    ExpectPageHeader(page, p + 1, "Feldliste");
    const auto headers = LineOf(page, "Nr");
    ExpectLine(headers, FieldHeaders(), 700);
    // Later pages start with the column headers at the body's top.
    if (p) {
      EXPECT_EQ(nullptr, page.Find("Tabelle:"));
    }
    int previous = headers[0].y;
    for (;; ++next) {
      char name[16];
      ztFormat(name, sizeof(name), "F%03u", next);
      const auto line = LineOf(page, name);
      if (line.empty()) break;
      // All ten texts of the field on this page, on one line, above the bottom.
      ASSERT_EQ(10u, line.size()) << name;
      EXPECT_EQ(std::to_string(next), line[0].text);
      EXPECT_EQ(t[0], line[0].x);
      EXPECT_GT(line[0].y, previous);
      EXPECT_LE(line[0].y + 92, kBottom);
      previous = line[0].y;
    }
    // Every page but the last ends with the footer line below its last field.
    if (p + 1 < pages.size()) {
      EXPECT_EQ(2u, page.rects.size());
      EXPECT_EQ(nullptr, page.Find("160 Felder"));
    }
  }
  EXPECT_EQ(count + 1, next);
  ASSERT_NE(nullptr, pages[2].Find("160 Felder"));
  EXPECT_NE(nullptr, pages[2].Find("320"));
}

TEST_F(PrintedLists, KeyListPrintsEachKeyWithItsOptionsAndParts) {
  CZTTableDesc table = ThreeFields();
  unsigned position = 0;
  ASSERT_EQ(1, table.InsertKey(&position));
  position = 1;
  ASSERT_EQ(1, table.InsertKey(&position));
  CZTKeyDesc& first = table.m_Keys.m_pKeys[0];
  first.m_uOption[0] = 1;
  first.m_uOption[3] = 1;
  first.m_uPartCount = 2;
  first.m_Part[0].uKeyType = ISAMGetKeyType("ITEXT");
  ztStrCopy(first.m_Part[0].szFieldName, "NAME", kZTNameSize);
  first.m_Part[1].uKeyType = ISAMGetKeyType("UINT32");
  ztStrCopy(first.m_Part[1].szFieldName, "Nummer", kZTNameSize);
  CZTKeyDesc& second = table.m_Keys.m_pKeys[1];
  second.m_Part[0].uKeyType = 0xFFFFFFFF;  // not set yet
  ztStrCopy(second.m_Part[0].szFieldName, "Fehlt", kZTNameSize);

  ASSERT_EQ(1, table.PrintKeyList(nullptr));
  const auto pages = Pages();
  ASSERT_EQ(1u, pages.size());
  const EmfContent& page = pages[0];
  ExpectPageHeader(page, 1, "Schl\xFCsselliste");
  ExpectLine(LineOf(page, "Tabelle:"), {{"Tabelle:", kLeft, L}, {"Kunden", kLeft + Mm(300), L}}, 700);
  const int w = kWidth;
  std::vector<int> s(8);
  s[0] = kLeft + w * 3 / 100;
  s[1] = s[0] + w / 100;
  s[2] = s[1] + w * 22 / 100;
  s[3] = s[2] + w * 7 / 100;
  s[4] = s[3] + w / 100;
  s[5] = s[4] + w * 20 / 100;
  s[6] = s[5] + w * 30 / 100;
  s[7] = s[6] + w * 8 / 100;
  ExpectLine(LineOf(page, "Nr"),
             {{"Nr", s[0], R},
              {"Optionen 1-5", s[1], L},
              {"Teile", s[2], R},
              {"Teil", s[3], R},
              {"Schl\xFCsseltyp", s[4], L},
              {"Feld", s[5], L},
              {"Pos", s[6], R},
              {"Len", s[7], R}},
             700);
  // Key 1: options, part count and its first part on one line, the second part below.
  const auto key1 = LineOf(page, "1 0 0 1 0");
  ExpectLine(key1,
             {{"1", s[0], R},
              {"1 0 0 1 0", s[1], L},
              {"2", s[2], R},
              {"1", s[3], R},
              {"ITEXT", s[4], L},
              {"NAME", s[5], L},
              {"4", s[6], R},
              {"10", s[7], R}},
             400);
  const auto part2 = LineOf(page, "Nummer");
  ExpectLine(part2, {{"2", s[3], R}, {"UINT32", s[4], L}, {"Nummer", s[5], L}, {"0", s[6], R}, {"4", s[7], R}}, 400);
  const int line = part2[0].y - key1[0].y;
  EXPECT_GE(line, 92);
  // Key 2: a part without a type and with a field the table lacks.
  const auto key2 = LineOf(page, "0 0 0 0 0");
  ExpectLine(key2, {{"2", s[0], R}, {"0 0 0 0 0", s[1], L}, {"1", s[2], R}, {"1", s[3], R}, {"Fehlt", s[5], L}}, 400);
  EXPECT_EQ(part2[0].y + line, key2[0].y);
  const EmfText* summary = page.Find("2 Schl\xFCssel");
  ASSERT_NE(nullptr, summary);
  EXPECT_EQ(key2[0].y + line + 16, summary->y);
  ASSERT_EQ(2u, page.rects.size());
  EXPECT_EQ(key2[0].y + line + 4, page.rects[1].top);
}

TEST_F(PrintedLists, KeyListOfATableWithoutKeys) {
  const CZTTableDesc table = ThreeFields();
  ASSERT_EQ(1, table.PrintKeyList(nullptr));
  const auto pages = Pages();
  ASSERT_EQ(1u, pages.size());
  EXPECT_NE(nullptr, pages[0].Find("Die Tabelle enth\xE4lt keine Schl\xFCsseldefinitionen."));
  EXPECT_EQ(nullptr, pages[0].Find("0 Schl\xFCssel"));
}

TEST_F(PrintedLists, APrinterThatDoesNotOpenPrintsNothing) {
  ASSERT_EQ(1, ztSetPrintOutput(ZT_PRINT_EMF_PAGES, (std::string(kDir) + "/missing/list.emf").c_str()));
  const CZTTableDesc table = ThreeFields();
  EXPECT_EQ(0, table.PrintFieldList(nullptr));
  EXPECT_EQ(0, table.PrintKeyList(nullptr));
  const SZTTblFldDesc rows[] = {{0, 4, ZT_COL_TEXT, 0, 'L', 50, 2000}};
  EXPECT_EQ(0, CZTTblFldDesc(&ztTbl32Lib, rows, sizeof(rows)).PrintDesc(nullptr));
  EXPECT_FALSE(std::filesystem::exists(std::string(kDir) + "/missing"));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PrintedLists, APersonWhoCancelsThePrintDialogGetsNothingPrinted) {
  ASSERT_EQ(1, ztSetPrintOutput(ZT_PRINT_PRINTER, nullptr));
  const CZTTableDesc table = ThreeFields();
  // Whatever the system shows (the print dialog, or a box that there is no printer) is cancelled.
  auto cancel = [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); };
  zt_test::ModalScript script({cancel, cancel, cancel, cancel});
  EXPECT_EQ(0, table.PrintKeyList(nullptr));
  EXPECT_EQ(0, table.PrintFieldList(nullptr));
  EXPECT_EQ(0u, script.Cancelled());
}

TEST_F(PrintedLists, EditableTable) {
  const SZTTblFldDesc rows[] = {{0, 20, ZT_COL_TEXT, 0, 'L', 30, 2000},
                                {20, 8, ZT_COL_DATE_DMY4, 0, 'R', 15, 2001},
                                {28, 4, 7, 0, 'M', 20, 2002}};
  CZTTblFldDesc table(&ztTbl32Lib, rows, sizeof(rows));
  table.m_pFields[2].uJust = 9;
  ASSERT_EQ(1, table.PrintDesc(nullptr));
  const auto pages = Pages();
  ASSERT_EQ(1u, pages.size());
  const EmfContent& page = pages[0];
  ASSERT_GE(page.texts.size(), 2u);
  EXPECT_EQ("zt_tbl32: Table Field Description", page.texts[0].text);
  EXPECT_EQ(kLeft, page.texts[0].x);
  EXPECT_TRUE(std::regex_match(page.texts[1].text, std::regex("\\d\\d\\.\\d\\d\\.\\d{4}  \\d\\d:\\d\\d:\\d\\d")));
  EXPECT_EQ(kRight, page.texts[1].x);
  const int w = kWidth - Mm(100);
  std::vector<int> s(6);
  s[0] = kLeft;
  s[1] = kLeft + (35 * w + 50) / 100;
  s[2] = s[1] + (10 * w + 50) / 100;
  s[3] = s[2] + Mm(50);
  s[4] = s[3] + (45 * w + 50) / 100;
  s[5] = s[4] + Mm(50);
  // The justification's column ends inside the printable area.
  EXPECT_LT(s[5] + Mm(150), kRight);
  const auto headers = LineOf(page, "Position");
  ExpectLine(headers,
             {{"Name", s[0], L},
              {"Position", s[1], R},
              {"L\xE4nge", s[2], R},
              {"Spaltentyp", s[3], L},
              {"Breite", s[4], R},
              {"Ausrichtung", s[5], L}},
             700);
  const auto date = LineOf(page, "Datum TTMMJJJJ");
  ExpectLine(date,
             {{"Position", s[0], L},
              {"20", s[1], R},
              {"8", s[2], R},
              {"Datum TTMMJJJJ", s[3], L},
              {"15", s[4], R},
              {"rechts", s[5], L}},
             400);
  // A type that is none and a justification that is none leave their columns empty.
  const auto third = LineOf(page, "28");
  ExpectLine(third, {{"L\xE4nge", s[0], L}, {"28", s[1], R}, {"4", s[2], R}, {"20", s[4], R}}, 400);
  // The rule under the headers, and the one after the last row.
  ASSERT_EQ(2u, page.rects.size());
  const int line = third[0].y - date[0].y;
  EXPECT_EQ(headers[0].y + line, page.rects[0].top);
  EXPECT_EQ(third[0].y + 2 * line, page.rects[1].top);
}

}  // namespace
