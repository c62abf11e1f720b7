#include "zt_lib32/conf_file.h"

#include <stdio.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conf_reference.h"

namespace {

// A table block the way the description file holds it, typed by hand: mixed
// letter case, with and without colons, tabs, extra blanks, comments.
const char kTwoTables[] =
    ";=====================\r\n"
    ";        Data File Description\r\n"
    ";=====================\r\n"
    "\r\n"
    "        Table:                  \"CUSTOMERS\"\r\n"
    "        IndexNodeSize:          1024\r\n"
    "\r\n"
    "        Field:                     0,   4, 2, 0x0001, 0, 0x0001, 1, 10, \"ID\"\r\n"
    "\tFIELD\t 4,30,7,0x0000,0 , 0x0000 ,0,30,\"NAME\"   ; the name\r\n"
    "        field 34 8 3 0x1 0 \"BALANCE\"\r\n"
    "\r\n"
    "        Key:                    1, 0, 0, 0, 0\r\n"
    "        KeyPart:                \"ULONG\", \"ID\"\r\n"
    "\r\n"
    "        KEY:  0,1,0\r\n"
    "        keypart \"STRING\" \"NAME\"\r\n"
    "        KeyPart: \"ULONG\", \"ID\"\r\n"
    "        GalleryDiaSize:         120, 90 ; Gallery dia display size\r\n"
    "        ImageFileName:          \"C:\\img\\#PPN.jpg\"\r\n"
    "        ImageFileName:          \"#SN0;#SN1.tif\" ; image filename definition\r\n"
    "        Table:                  END\r\n"
    "\r\n"
    "Table: \"ORDERS\"\r\n"
    "  Field: 0, 8, 3, 0x0001, 0, 0x0001, 0, 12, \"ORDERNO\"\r\n"
    "  Key: 1\r\n"
    "  KeyPart: \"ULONG\", \"ORDERNO\"\r\n"
    "table: end ; closes ORDERS\r\n";

class ConfFileRead : public ::testing::Test {
 protected:
  CZTConfFile conf;
  void Load(const std::string& text) { ASSERT_EQ(1, conf.ReadIt(text.data(), static_cast<unsigned>(text.size()))); }
};

TEST_F(ConfFileRead, WalksTablesKeysAndFieldsLikeTheTableReader) {
  Load(kTwoTables);
  unsigned count = 99;
  ASSERT_EQ(1, conf.GetBlockCount("TABLE", &count));
  EXPECT_EQ(2u, count);  // the END lines are no blocks
  ASSERT_EQ(1, conf.SelectBlock("TABLE"));
  EXPECT_EQ(1u, conf.m_uLevel);

  char name[32];
  unsigned length = 0;
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("TABLE", name, sizeof(name), &length));
  EXPECT_STREQ("CUSTOMERS", name);
  EXPECT_EQ(9u, length);
  unsigned nodeSize = 0;
  EXPECT_EQ(ZT_CONF_OK, conf.GetWord("INDEXNODESIZE", &nodeSize));
  EXPECT_EQ(1024u, nodeSize);

  // Keys: each block holds its own key parts, the last one up to the END line.
  ASSERT_EQ(1, conf.GetBlockCount("KEY", &count));
  EXPECT_EQ(2u, count);
  ASSERT_EQ(1, conf.SelectBlock("KEY"));
  unsigned flags[5] = {};
  EXPECT_EQ(ZT_CONF_OK, conf.GetWords("KEY", flags, 5, &count));
  EXPECT_EQ(5u, count);
  EXPECT_EQ(1u, flags[0]);
  EXPECT_EQ(1u, conf.GetKeyCount("KEYPART"));
  ASSERT_EQ(1, conf.SelectNextBlock());
  EXPECT_EQ(ZT_CONF_OK, conf.GetWords("KEY", flags, 5, &count));
  EXPECT_EQ(3u, count);
  EXPECT_EQ(1u, flags[1]);
  EXPECT_EQ(2u, conf.GetKeyCount("KEYPART"));
  conf.StartRange();
  char type[32], field[32];
  unsigned typeLength, fieldLength;
  EXPECT_EQ(ZT_CONF_OK, conf.Get2Text("KEYPART", type, 32, &typeLength, field, 32, &fieldLength));
  EXPECT_STREQ("STRING", type);
  EXPECT_STREQ("NAME", field);
  EXPECT_EQ(ZT_CONF_OK, conf.Get2Text("KEYPART", type, 32, &typeLength, field, 32, &fieldLength));
  EXPECT_STREQ("ID", field);
  EXPECT_EQ(ZT_CONF_NO_LINE, conf.Get2Text("KEYPART", type, 32, &typeLength, field, 32, &fieldLength));
  EXPECT_EQ(0, conf.SelectNextBlock());
  conf.LeaveBlock();
  EXPECT_EQ(1u, conf.m_uLevel);
  EXPECT_EQ(0, conf.m_bRange);

  // Fields: one-line blocks stepped with SelectNextBlock.
  ASSERT_EQ(1, conf.GetBlockCount("FIELD", &count));
  EXPECT_EQ(3u, count);
  ASSERT_EQ(1, conf.SelectBlock("FIELD"));
  std::vector<std::string> names;
  std::vector<unsigned> counts;
  do {
    unsigned values[8] = {};
    ASSERT_EQ(ZT_CONF_OK, conf.GetWordsText("FIELD", values, 8, &count, name, 32, &length));
    names.push_back(name);
    counts.push_back(count);
  } while (conf.SelectNextBlock());
  conf.LeaveBlock();
  EXPECT_EQ((std::vector<std::string>{"ID", "NAME", "BALANCE"}), names);
  EXPECT_EQ((std::vector<unsigned>{8, 8, 5}), counts);

  // Gallery lines are read over the whole table block.
  unsigned size[2];
  EXPECT_EQ(ZT_CONF_OK, conf.GetWords("GALLERYDIASIZE", size, 2, &count));
  EXPECT_EQ(90u, size[1]);
  EXPECT_EQ(ZT_CONF_NO_LINE, conf.GetWord("GALLERYLAYOUT", size));
  EXPECT_EQ(2u, conf.GetKeyCount("IMAGEFILENAME"));
  conf.StartRange();
  char image[512];
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("IMAGEFILENAME", image, sizeof(image), &length));
  EXPECT_STREQ("C:\\img\\#PPN.jpg", image);
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("IMAGEFILENAME", image, sizeof(image), &length));
  EXPECT_STREQ("#SN0;#SN1.tif", image);
  EXPECT_EQ(ZT_CONF_NO_LINE, conf.GetText("IMAGEFILENAME", image, sizeof(image), &length));
  conf.EndRange();

  ASSERT_EQ(1, conf.SelectNextBlock());
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("TABLE", name, sizeof(name), &length));
  EXPECT_STREQ("ORDERS", name);
  EXPECT_EQ(ZT_CONF_NO_LINE, conf.GetWord("INDEXNODESIZE", &nodeSize));  // not taken from the first table
  ASSERT_EQ(1, conf.GetBlockCount("key:", &count));
  EXPECT_EQ(1u, count);
  EXPECT_EQ(0, conf.SelectNextBlock());
  conf.LeaveBlock();
  conf.LeaveBlock();
  EXPECT_EQ(0u, conf.m_uLevel);
}

TEST_F(ConfFileRead, LineEndsByteOrderMarkAndFileAgreeWithMemory) {
  const std::string lf = "Table: \"A\"\nField: 1, 2, \"X\"\nTable: END\nTable: \"B\"\nTable: END\n";
  std::string cr = lf, crlf;
  for (char& c : cr)
    if (c == '\n') c = '\r';
  for (char c : lf) crlf += (c == '\n') ? std::string("\r\n") : std::string(1, c);
  for (const std::string& text : {lf, cr, crlf, "\xEF\xBB\xBF" + crlf, crlf.substr(0, crlf.size() - 2)}) {
    Load(text);
    unsigned count = 0;
    EXPECT_EQ(1, conf.GetBlockCount("TABLE", &count));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(5u, conf.GetLineCount());
    char name[8];
    EXPECT_EQ(ZT_CONF_OK, conf.GetText("TABLE", name, sizeof(name), nullptr));
    EXPECT_STREQ("A", name);
  }
}

TEST_F(ConfFileRead, HandTypedBlockReadsLikeTheWrittenOne) {
  const char* const texts[] = {
      "        Table:                  \"CUSTOMERS\"\r\n"
      "        Field:                     0,   4, 2, 0x0001, 0, 0x0001, 1, 10, \"ID\"\r\n"
      "        Key:                    1, 0, 0, 0, 0\r\n"
      "        KeyPart:                \"ULONG\", \"ID\"\r\n"
      "        Table:                  END\r\n",
      "table \"CUSTOMERS\"            ; keyword without colon\n"
      "\tFIELD:\t0,4,2,0x1,0,0x1,1,10,\"ID\"   ; tabs, no blanks\n"
      "KEY 1\n"
      "  KeyPart: \"ULONG\" \"ID\"\n"
      "table: end\n"};
  for (const char* text : texts) {
    Load(text);
    // Reading its own text again must not trip over the released copy.
    ASSERT_EQ(1, conf.ReadIt(conf.GetTextData(), conf.GetTextLength()));
    unsigned count = 0, values[8], length;
    char name[32], part[32];
    ASSERT_EQ(1, conf.GetBlockCount("TABLE", &count));
    ASSERT_EQ(1u, count);
    ASSERT_EQ(1, conf.SelectBlock("TABLE"));
    EXPECT_EQ(ZT_CONF_OK, conf.GetText("TABLE", name, sizeof(name), &length));
    EXPECT_STREQ("CUSTOMERS", name);
    ASSERT_EQ(1, conf.SelectBlock("FIELD"));
    EXPECT_EQ(ZT_CONF_OK, conf.GetWordsText("FIELD", values, 8, &count, name, sizeof(name), &length));
    EXPECT_EQ(8u, count);
    EXPECT_EQ(1u, values[3]);
    conf.LeaveBlock();
    ASSERT_EQ(1, conf.SelectBlock("KEY"));
    EXPECT_EQ(ZT_CONF_OK, conf.GetWords("KEY", values, 5, &count));
    EXPECT_EQ(1u, values[0]);
    EXPECT_EQ(ZT_CONF_OK, conf.Get2Text("KEYPART", name, sizeof(name), nullptr, part, sizeof(part), nullptr));
    EXPECT_STREQ("ID", part);
    EXPECT_EQ(2u, conf.m_uLevel);
  }
}

TEST_F(ConfFileRead, ItemsNumbersAndQuotedTexts) {
  Load(
      "A: 0x1F, 0XfFfFfFfF 4294967295 'L' ';' ''' '\"' 007\n"
      "B: \"say \"\"hi\"\"; ok\", \"\" ; comment \"with quotes\n"
      "C: \"a\"b\" \"x\"\n"
      "D: Bare, 12 ; comment\n"
      "E:\n"
      "F  \t  :   5\n"
      "G 6\n"
      "H: 1 \"t\" 2\n");
  unsigned v[16] = {}, count = 0;
  EXPECT_EQ(ZT_CONF_OK, conf.GetWords("a", v, 16, &count));
  EXPECT_EQ(8u, count);
  EXPECT_EQ((std::vector<unsigned>{31, 0xFFFFFFFF, 0xFFFFFFFF, 'L', ';', '\'', '"', 7}),
            std::vector<unsigned>(v, v + 8));

  char t1[32], t2[32];
  unsigned l1, l2;
  EXPECT_EQ(ZT_CONF_OK, conf.Get2Text("B", t1, 32, &l1, t2, 32, &l2));
  EXPECT_STREQ("say \"hi\"; ok", t1);
  EXPECT_STREQ("", t2);
  EXPECT_EQ(0u, l2);
  EXPECT_EQ(ZT_CONF_OK, conf.Get2Text("C", t1, 32, &l1, t2, 32, &l2));
  EXPECT_STREQ("a\"b", t1);  // a lone quote inside a text is kept
  EXPECT_STREQ("x", t2);
  EXPECT_EQ(ZT_CONF_OK, conf.Get2Text("D", t1, 32, &l1, t2, 32, &l2));
  EXPECT_STREQ("Bare", t1);
  EXPECT_STREQ("12", t2);

  EXPECT_EQ(ZT_CONF_OK, conf.GetWords("E", v, 4, &count));
  EXPECT_EQ(0u, count);
  EXPECT_EQ(ZT_CONF_MISSING_VALUE, conf.GetWord("E", v));
  EXPECT_EQ(ZT_CONF_MISSING_VALUE, conf.GetText("E", t1, 32, &l1));
  EXPECT_EQ(ZT_CONF_OK, conf.GetWord("F:", v));
  EXPECT_EQ(5u, v[0]);
  EXPECT_EQ(ZT_CONF_OK, conf.GetWord(" g ", v));
  EXPECT_EQ(6u, v[0]);
  // Numbers come first: a number after a text is an item too many.
  EXPECT_EQ(ZT_CONF_TOO_MANY, conf.GetWordsText("H", v, 4, &count, t1, 32, &l1));
  EXPECT_EQ(1u, count);
  EXPECT_STREQ("t", t1);
}

TEST_F(ConfFileRead, GetterErrorsNeverOverrunAndAlwaysTerminate) {
  Load(
      "N: 12x\nO: 0x100000000 4294967296\nP: -1\nQ: \"open ; not a comment\nR: 1 2 3\nS: \"ABCDEFGHIJ\"\n"
      "T: 1, \"x\", \"y\", \"z\"\nU: \"x\"\n");
  unsigned v[4] = {7, 7, 7, 7}, count = 9;
  EXPECT_EQ(ZT_CONF_BAD_NUMBER, conf.GetWords("N", v, 4, &count));
  EXPECT_EQ(0u, count);
  EXPECT_EQ(ZT_CONF_BAD_NUMBER, conf.GetWord("O", v));
  EXPECT_EQ(ZT_CONF_BAD_NUMBER, conf.GetWord("P", v));
  char text[8];
  unsigned length = 99;
  EXPECT_EQ(ZT_CONF_UNTERMINATED, conf.GetText("Q", text, sizeof(text), &length));
  EXPECT_STREQ("", text);
  EXPECT_EQ(ZT_CONF_TOO_MANY, conf.GetWords("R", v, 2, &count));
  EXPECT_EQ(2u, count);
  EXPECT_EQ(7u, v[2]);  // nothing past the maximum
  EXPECT_EQ(ZT_CONF_TOO_MANY, conf.GetWord("R", v));

  char small[5];
  memset(small, 'Z', sizeof(small));
  EXPECT_EQ(ZT_CONF_TOO_LONG, conf.GetText("S", small, sizeof(small), &length));
  EXPECT_STREQ("ABCD", small);
  EXPECT_EQ(4u, length);
  EXPECT_EQ(ZT_CONF_TOO_LONG, conf.GetText("S", small, 1, &length));
  EXPECT_STREQ("", small);

  char t2[8];
  EXPECT_EQ(ZT_CONF_TOO_MANY, conf.GetWords2Text("T", v, 4, &count, text, 8, &length, t2, 8, nullptr));
  EXPECT_STREQ("y", t2);
  EXPECT_EQ(ZT_CONF_MISSING_VALUE, conf.Get2Text("U", text, 8, &length, t2, 8, nullptr));
  EXPECT_STREQ("x", text);
  EXPECT_STREQ("", t2);

  EXPECT_EQ(ZT_CONF_BAD_ARGUMENT, conf.GetText("S", nullptr, 8, &length));
  EXPECT_EQ(ZT_CONF_BAD_ARGUMENT, conf.GetText("S", text, 0, &length));
  EXPECT_EQ(ZT_CONF_BAD_ARGUMENT, conf.GetWords("R", nullptr, 2, &count));
  EXPECT_EQ(ZT_CONF_BAD_ARGUMENT, conf.GetWord(nullptr, v));
  EXPECT_EQ(ZT_CONF_BAD_ARGUMENT, conf.GetWord(":", v));
  CZTConfFile empty;
  EXPECT_EQ(ZT_CONF_BAD_ARGUMENT, empty.GetWord("R", v));
  EXPECT_EQ(0, empty.GetBlockCount("R", &count));
  EXPECT_EQ(0, empty.SelectBlock("R"));
}

TEST_F(ConfFileRead, RangeReadingMovesPastEachLineEvenABadOne) {
  Load("Item: \"a\"\nItem: 12x\nOther: 1\nItem: \"c\"\nItem: END\nItem: \"d\"\n");
  conf.StartRange();
  char text[8];
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("ITEM", text, 8, nullptr));
  EXPECT_STREQ("a", text);
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("ITEM", text, 8, nullptr));
  EXPECT_STREQ("12x", text);  // a bare word is a text
  unsigned v;
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("ITEM", text, 8, nullptr));
  EXPECT_STREQ("c", text);  // the END line is skipped
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("ITEM", text, 8, nullptr));
  EXPECT_STREQ("d", text);
  EXPECT_EQ(ZT_CONF_NO_LINE, conf.GetText("ITEM", text, 8, nullptr));
  conf.EndRange();
  // Outside range mode the first line is read every time.
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("ITEM", text, 8, nullptr));
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("ITEM", text, 8, nullptr));
  EXPECT_STREQ("a", text);
  conf.StartRange();
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("ITEM", text, 8, nullptr));
  EXPECT_EQ(ZT_CONF_BAD_NUMBER, conf.GetWord("ITEM", &v));
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("ITEM", text, 8, nullptr));
  EXPECT_STREQ("c", text);
  EXPECT_EQ(4u, conf.GetKeyCount("item"));
}

TEST_F(ConfFileRead, GridColumnAndEditableFieldLines) {
  Load(
      "GRIDDESC:\n"
      "  SortColumn: 2, 1\n"
      "  ;\n"
      "  GridColumn: 0, 0x30, 2, 1,  5, 0xFF0000, 0x000000, 0xFFFFFF, 0x00FF00, \"ZIP\", \"Zip code\"\n"
      "  GridColumn: \"NAME\", \"Name\"\n"
      "GRIDDESC: END\n"
      "FieldDef: 0,  4,  3, 10, 'R', 0x0000, \"Nummer\" ; Table field definition\n"
      "FieldDef: 4, 30,  0, 30, 'l', 0x0001, \"Name\"\n");
  ASSERT_EQ(1, conf.SelectBlock("GRIDDESC"));
  unsigned v[9], count;
  EXPECT_EQ(ZT_CONF_OK, conf.GetWords("SORTCOLUMN", v, 2, &count));
  EXPECT_EQ(2u, count);
  EXPECT_EQ(2u, conf.GetKeyCount("GRIDCOLUMN"));
  conf.StartRange();
  char joker[34], header[66];
  unsigned jl, hl;
  EXPECT_EQ(ZT_CONF_OK, conf.GetWords2Text("GRIDCOLUMN", v, 9, &count, joker, 34, &jl, header, 66, &hl));
  EXPECT_EQ(9u, count);
  EXPECT_EQ(0x30u, v[1]);
  EXPECT_EQ(0xFF0000u, v[5]);
  EXPECT_STREQ("Zip code", header);
  EXPECT_EQ(ZT_CONF_OK, conf.GetWords2Text("GRIDCOLUMN", v, 9, &count, joker, 34, &jl, header, 66, &hl));
  EXPECT_EQ(0u, count);
  EXPECT_STREQ("NAME", joker);
  EXPECT_EQ(ZT_CONF_NO_LINE, conf.GetWords2Text("GRIDCOLUMN", v, 9, &count, joker, 34, &jl, header, 66, &hl));
  conf.LeaveBlock();

  conf.StartRange();
  char name[64];
  EXPECT_EQ(ZT_CONF_OK, conf.GetWordsText("FIELDDEF", v, 6, &count, name, 64, nullptr));
  EXPECT_EQ(6u, count);
  EXPECT_EQ(unsigned('R'), v[4]);
  EXPECT_EQ(ZT_CONF_OK, conf.GetWordsText("FIELDDEF", v, 6, &count, name, 64, nullptr));
  EXPECT_EQ(unsigned('l'), v[4]);
  EXPECT_STREQ("Name", name);
  conf.EndRange();
}

TEST_F(ConfFileRead, BlockStructureFaultsAreReportedAndTolerated) {
  // A second Table line before the first block's END, and an END with no block.
  Load("Table: END\nTable: \"A\"\nField: 1\nTable: \"B\"\nField: 2\nTable: END\nTable: END\n");
  unsigned count, line;
  ASSERT_EQ(1, conf.GetBlockCount("TABLE", &count));
  EXPECT_EQ(2u, count);
  EXPECT_EQ(ZT_CONF_BAD_BLOCK, conf.CheckBlocks("TABLE", &line));
  EXPECT_EQ(1u, line);
  ASSERT_EQ(1, conf.SelectBlock("TABLE"));
  EXPECT_EQ(1u, conf.m_uBlockFirst[1]);
  EXPECT_EQ(2u, conf.m_uBlockLast[1]);  // ends before the next Table line
  EXPECT_EQ(1u, conf.GetKeyCount("FIELD"));
  ASSERT_EQ(1, conf.SelectNextBlock());
  EXPECT_EQ(5u, conf.m_uBlockLast[1]);
  EXPECT_EQ(0, conf.SelectNextBlock());
  conf.LeaveBlock();

  Load("Table: \"A\"\nTable: \"B\"\nTable: END\n");
  EXPECT_EQ(ZT_CONF_BAD_BLOCK, conf.CheckBlocks("TABLE", &line));
  EXPECT_EQ(2u, line);
  Load("Table: \"A\"\nTable: END\nTable: \"B\"\n");
  EXPECT_EQ(ZT_CONF_BAD_BLOCK, conf.CheckBlocks("TABLE", &line));
  EXPECT_EQ(3u, line);
  Load("Table: \"A\"\nTable: END\nTable: \"B\"\ntable: end\n");
  EXPECT_EQ(ZT_CONF_OK, conf.CheckBlocks("TABLE", &line));
  Load("Table: \"A\"\nTable: \"B\"\n");  // blocks without END lines
  EXPECT_EQ(ZT_CONF_OK, conf.CheckBlocks("TABLE", &line));

  // Levels are bounded; leaving never goes below 0.
  Load("A: 1\n");
  for (unsigned i = 1; i < ZT_CONF_MAX_LEVELS; ++i) EXPECT_EQ(1, conf.SelectBlock("A"));
  EXPECT_EQ(0, conf.SelectBlock("A"));
  for (unsigned i = 0; i < ZT_CONF_MAX_LEVELS + 2; ++i) conf.LeaveBlock();
  EXPECT_EQ(0u, conf.m_uLevel);
  EXPECT_EQ(0, conf.SelectNextBlock());
}

TEST_F(ConfFileRead, TextsAtTheirBufferLimitAndLongNumbers) {
  std::string text(
      "Fit: \"ABC\"\nQuoted: \"A\"\"B\"\nNul: 5, \"ab\0cd\"\nLong: 00000000001, 12345678901, 0x00000001, 0x1FFFFFFFF\n"
      "Last: 7,\t0x10",
      111);
  Load(text);
  char t[8];
  unsigned length = 0;
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("FIT", t, 4, &length));
  EXPECT_STREQ("ABC", t);
  EXPECT_EQ(ZT_CONF_TOO_LONG, conf.GetText("FIT", t, 3, &length));
  EXPECT_STREQ("AB", t);
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("QUOTED", t, 4, &length));
  EXPECT_STREQ("A\"B", t);
  EXPECT_EQ(3u, length);
  EXPECT_EQ(ZT_CONF_TOO_LONG, conf.GetText("QUOTED", t, 3, &length));
  EXPECT_STREQ("A\"", t);

  unsigned v[4] = {}, count = 0;
  EXPECT_EQ(ZT_CONF_BAD_CHARACTER, conf.GetWordsText("NUL", v, 4, &count, t, sizeof(t), &length));
  EXPECT_EQ(1u, count);
  EXPECT_STREQ("ab", t);
  EXPECT_EQ(2u, length);

  // More than ten digits are still a number when the value fits.
  EXPECT_EQ(ZT_CONF_BAD_NUMBER, conf.GetWords("LONG", v, 4, &count));
  EXPECT_EQ(1u, count);
  EXPECT_EQ(1u, v[0]);
  EXPECT_EQ(ZT_CONF_OK, conf.GetWords("LAST", v, 4, &count));
  EXPECT_EQ((std::vector<unsigned>{7, 16}), std::vector<unsigned>(v, v + count));
}

TEST_F(ConfFileRead, HostileInputGivesCodesNotCrashes) {
  std::string longLine = "Long: \"" + std::string(65536, 'x') + "\"\n";
  std::string nul("Nul: \"a\0b\"\nNumNul: 1\0002\n", 24);
  std::string garbage;
  for (unsigned i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919u) >> 3);
  Load(longLine + nul + garbage);
  char text[32];
  unsigned length;
  EXPECT_EQ(ZT_CONF_TOO_LONG, conf.GetText("LONG", text, sizeof(text), &length));
  EXPECT_EQ(31u, length);
  std::string big(70000, '\0');
  EXPECT_EQ(ZT_CONF_OK, conf.GetText("LONG", &big[0], static_cast<unsigned>(big.size()), &length));
  EXPECT_EQ(65536u, length);
  EXPECT_EQ(ZT_CONF_BAD_CHARACTER, conf.GetText("NUL", text, sizeof(text), &length));
  unsigned v;
  EXPECT_EQ(ZT_CONF_BAD_NUMBER, conf.GetWord("NUMNUL", &v));
  unsigned count;
  EXPECT_EQ(1, conf.GetBlockCount("LONG", &count));
  EXPECT_EQ(1u, count);
}

TEST_F(ConfFileRead, LevelSetByHandBeyondTheLevelsIsRefused) {
  // The level is a public member; one beyond the levels must not index past them.
  Load("Table: \"A\"\nKey: 1\nTable: END\n");
  unsigned value = 0, count = 0, line = 0;
  for (unsigned level : {ZT_CONF_MAX_LEVELS, 0xFFFFFFFFu}) {
    conf.m_uLevel = level;
    EXPECT_EQ(0, conf.SelectBlock("TABLE"));
    EXPECT_EQ(0, conf.SelectNextBlock());
    EXPECT_EQ(ZT_CONF_BAD_ARGUMENT, conf.GetWord("KEY", &value));
    EXPECT_EQ(0u, conf.GetKeyCount("KEY"));
    EXPECT_EQ(1, conf.GetBlockCount("KEY", &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ(ZT_CONF_BAD_ARGUMENT, conf.CheckBlocks("TABLE", &line));
    EXPECT_EQ(level, conf.m_uLevel);
  }
  conf.m_uLevel = ZT_CONF_MAX_LEVELS - 1;  // the last level: no deeper one to enter
  EXPECT_EQ(0, conf.SelectBlock("TABLE"));
}

// The reader against the plain reference over the same text.
void ExpectSameWalk(const std::string& text, const std::vector<std::string>& keywords) {
  CZTConfFile quick;
  ASSERT_EQ(1, quick.ReadIt(text.data(), static_cast<unsigned>(text.size())));
  zt_conf_reference::Reader plain(quick);
  for (const std::string& keyword : keywords) {
    const char* k = keyword.c_str();
    unsigned a = 0, b = 0;
    EXPECT_EQ(quick.GetBlockCount(k, &a), plain.GetBlockCount(k, &b)) << k;
    EXPECT_EQ(a, b) << k;
    unsigned va[4] = {}, vb[4] = {}, ca = 0, cb = 0;
    EXPECT_EQ(quick.GetWords(k, va, 4, &ca), plain.GetWords(k, vb, 4, &cb)) << k;
    EXPECT_EQ(ca, cb) << k;
    EXPECT_EQ(0, memcmp(va, vb, sizeof(va))) << k;
    int sa = quick.SelectBlock(k), sb = plain.SelectBlock(k);
    EXPECT_EQ(sa, sb) << k;
    if (!sa) continue;
    do {
      EXPECT_EQ(quick.m_uBlockFirst[1], plain.m_uBlockFirst[1]) << k;
      EXPECT_EQ(quick.m_uBlockLast[1], plain.m_uBlockLast[1]) << k;
      for (const std::string& inner : keywords)
        EXPECT_EQ(quick.GetKeyCount(inner.c_str()), plain.GetKeyCount(inner.c_str()));
      sa = quick.SelectNextBlock();
      sb = plain.SelectNextBlock();
      EXPECT_EQ(sa, sb) << k;
    } while (sa && sb);
    quick.LeaveBlock();
    plain.LeaveBlock();
  }
}

TEST_F(ConfFileRead, ManyKeywordsAreFoundAlike) {
  // Many distinct keywords (the keyword table grows several times), long ones
  // sharing their first eight letters, mixed case, and blocks closed by END lines.
  std::string text;
  std::vector<std::string> keywords;
  for (unsigned i = 0; i < 300; ++i) {
    std::string keyword = (i % 3 == 0 ? "GalleryDia" : i % 3 == 1 ? "K" : "Key") + std::to_string(i);
    keywords.push_back(keyword);
    text += keyword + ": " + std::to_string(i) + "\n";
    text += (i % 2 ? "Block:" : "block") + std::string(" ") + std::to_string(i) + "\n";
    if (i % 7 == 0) text += "BLOCK: END\n";
    text += "  " + keywords[i / 2] + " " + std::to_string(i * 3) + "\n";
  }
  keywords.push_back("BLOCK");
  keywords.push_back("Missing");
  keywords.push_back("GALLERYDIA299");
  ExpectSameWalk(text, keywords);
}

TEST_F(ConfFileRead, BareWordCutToItsBufferIsItsBeginning) {
  Load("Word: a\"\"bc\n");
  char text[4];
  unsigned length = 0;
  EXPECT_EQ(ZT_CONF_TOO_LONG, conf.GetText("WORD", text, sizeof(text), &length));
  EXPECT_STREQ("a\"\"", text);  // no quote pairs are merged outside quoted texts
  EXPECT_EQ(3u, length);
}

TEST_F(ConfFileRead, KeywordBuffersReusedAndTextsReplacedAreLookedUpAfresh) {
  // Keywords are remembered by the address they come at; a buffer that comes
  // back with other bytes, or a new text, must not get the old answer.
  Load("Key: 1\nKeyPart: 2\nField: 3\n");
  char keyword[16];
  unsigned value = 0;
  const char* const names[] = {"KEY", "KEYPART", "FIELD", "Key:", "KEYPARTS", "KE", "FIELD "};
  const unsigned expected[] = {1, 2, 3, 1, 0, 0, 3};
  for (unsigned round = 0; round < 3; ++round) {
    for (unsigned i = 0; i < 7; ++i) {
      snprintf(keyword, sizeof(keyword), "%s", names[i]);
      value = 0;
      const unsigned result = conf.GetWord(keyword, &value);
      EXPECT_EQ(expected[i] ? ZT_CONF_OK : ZT_CONF_NO_LINE, result) << names[i];
      EXPECT_EQ(expected[i], value) << names[i];
    }
  }
  Load("Field: 7\nKey: 8\n");
  snprintf(keyword, sizeof(keyword), "%s", "FIELD");
  EXPECT_EQ(ZT_CONF_OK, conf.GetWord(keyword, &value));
  EXPECT_EQ(7u, value);
  EXPECT_EQ(ZT_CONF_NO_LINE, conf.GetWord("KEYPART", &value));
}

}  // namespace
