// Files, tables, descriptions, records and errors through the C interface.
#include <stdint.h>

#include <algorithm>

#include "box_recorder.h"
#include "isam_test_util.h"
#include "zt_lib32/box_handler.h"
#include "zt_lib32/module.h"

using namespace isamtest;

namespace {

struct IsamFileTest : testing::Test {
  std::string name;
  ISAMFILE file = nullptr;
  ISAMTABLE table = nullptr;
  void SetUp() override { name = tempName("api"); }
  void TearDown() override {
    unsigned ext;
    if (file) ISAMClose(file, &ext);
    removeFile(name);
  }
  void reopen(unsigned mode = ISAM_OPEN_READWRITE) {
    unsigned ext = 0;
    ASSERT_EQ(ISAM_OK, ISAMClose(file, &ext));
    file = nullptr;
    ASSERT_EQ(ISAM_OK, ISAMOpen(&file, name.c_str(), mode, &ext));
    ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "T", &table));
  }
};

TEST_F(IsamFileTest, NewFileCarriesTheSignatureAndReopensEmpty) {
  createStandard(name, &file, &table);
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMClose(file, &ext));
  file = nullptr;
  FILE* f = fopen(name.c_str(), "rb");
  ASSERT_TRUE(f);
  unsigned char head[16];
  ASSERT_EQ(16u, fread(head, 1, 16, f));
  fclose(f);
  uint32_t zero, version;
  uint16_t marker;
  memcpy(&zero, head, 4);
  memcpy(&version, head + 4, 4);
  memcpy(&marker, head + 8, 2);
  EXPECT_EQ(0u, zero);
  EXPECT_EQ(2u, version);
  EXPECT_EQ(0xFFFF, marker);
  EXPECT_EQ(0, memcmp(head + 12, "ISAM", 4));

  ASSERT_EQ(ISAM_OK, ISAMOpen(&file, name.c_str(), ISAM_OPEN_READWRITE, &ext));
  unsigned count = 0;
  ASSERT_EQ(ISAM_OK, ISAMGetTableCount(file, &count));
  EXPECT_EQ(1u, count);
  char tname[32];
  ASSERT_EQ(ISAM_OK, ISAMGetTableName(file, 0, tname, 32));
  EXPECT_STREQ("T", tname);
  EXPECT_EQ(ISAM_ERR_NO_TABLE, ISAMGetTableName(file, 1, tname, 32));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "t", &table));  // names ignore case
  unsigned size = 0;
  ASSERT_EQ(ISAM_OK, ISAMGetDataRecSize(table, &size));
  EXPECT_EQ(kRecSize, size);
  ASSERT_EQ(ISAM_OK, ISAMGetIndexRecSize(table, &size));
  EXPECT_EQ(256u, size);
  unsigned char desc[60];
  ASSERT_EQ(ISAM_OK, ISAMGetIndexDesc(table, 1, desc));
  uint32_t entries = 1;
  memcpy(&entries, desc + 46, 4);
  EXPECT_EQ(0u, entries);
  EXPECT_EQ(ISAM_ERR_INDEX, ISAMGetIndexDesc(table, 2, desc));
  EXPECT_EQ(std::vector<int>{}, readAll(table, 0, ISAM_ITER_FORWARD));
  EXPECT_EQ(std::vector<int>{}, readAll(table, 1, ISAM_ITER_BACKWARD));
  EXPECT_EQ("ok", check(file));
}

TEST_F(IsamFileTest, CreateRefusesExistingFilesAndOpenRefusesForeignOnes) {
  createStandard(name, &file, &table);
  ISAMFILE other = nullptr;
  unsigned ext = 0;
  EXPECT_EQ(ISAM_ERR_EXISTS, ISAMCreate(&other, name.c_str(), &ext));
  EXPECT_EQ(ISAM_ERR_OPEN, ISAMOpen(&other, (name + ".missing").c_str(), ISAM_OPEN_READWRITE, &ext));
  EXPECT_NE(0u, ext);
  EXPECT_EQ(ISAM_ERR_MODE, ISAMOpen(&other, name.c_str(), 3, &ext));

  std::string foreign = tempName("foreign");
  FILE* f = fopen(foreign.c_str(), "wb");
  fputs("Field: 0, 4, 2, 0x0000, 0, 0x0000, 0, 10, \"Name\"\n", f);
  fclose(f);
  EXPECT_EQ(ISAM_ERR_NOT_ISAM, ISAMOpen(&other, foreign.c_str(), ISAM_OPEN_READWRITE, &ext));
  f = fopen(foreign.c_str(), "wb");
  fclose(f);
  EXPECT_EQ(ISAM_ERR_NOT_ISAM, ISAMOpen(&other, foreign.c_str(), ISAM_OPEN_READONLY, &ext));
  removeFile(foreign);
  EXPECT_EQ(nullptr, other);
}

// Mode 4 reads until its first change; only then does it need to be the one writer.
TEST_F(IsamFileTest, SecondWriterIsRefusedAtItsFirstChangeReadersAreNot) {
  createStandard(name, &file, &table);
  Rec r = makeRec(7, "seven");
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, r.bytes, nullptr));
  ISAMFILE second = nullptr, reader = nullptr;
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMOpen(&second, name.c_str(), ISAM_OPEN_READWRITE, &ext));
  ASSERT_EQ(ISAM_OK, ISAMOpen(&reader, name.c_str(), ISAM_OPEN_READONLY, &ext));
  ISAMTABLE t2 = nullptr, t3 = nullptr;
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(second, "T", &t2));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(reader, "T", &t3));
  EXPECT_EQ(std::vector<int>{7}, readAll(t2, 1, ISAM_ITER_FORWARD));
  EXPECT_EQ(std::vector<int>{7}, readAll(t3, 1, ISAM_ITER_FORWARD));
  EXPECT_EQ(ISAM_ERR_LOCKED, ISAMInsertRecord(t2, r.bytes, nullptr));
  EXPECT_EQ(ISAM_ERR_LOCKED, ISAMBeginTransaction(second));
  EXPECT_EQ(ISAM_ERR_READ_ONLY, ISAMInsertRecord(t3, r.bytes, nullptr));
  EXPECT_EQ(ISAM_ERR_READ_ONLY, ISAMBeginTransaction(reader));
  // The writer goes on; the readers keep the file as they opened it.
  Rec eight = makeRec(8, "eight");
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, eight.bytes, nullptr));
  EXPECT_EQ(std::vector<int>{7}, readAll(t2, 1, ISAM_ITER_FORWARD));
  EXPECT_EQ(std::vector<int>{7}, readAll(t3, 1, ISAM_ITER_FORWARD));
  // Closing the writer releases the file: the second handle's first change
  // makes it the writer, and it sees the newest state from then on.
  ASSERT_EQ(ISAM_OK, ISAMClose(file, &ext));
  file = nullptr;
  Rec nine = makeRec(9, "nine");
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t2, nine.bytes, nullptr));
  EXPECT_EQ((std::vector<int>{7, 8, 9}), readAll(t2, 1, ISAM_ITER_FORWARD));
  EXPECT_EQ(std::vector<int>{7}, readAll(t3, 1, ISAM_ITER_FORWARD));
  EXPECT_EQ("ok", check(second));
  EXPECT_EQ(ISAM_OK, ISAMClose(reader, &ext));
  EXPECT_EQ(ISAM_OK, ISAMClose(second, &ext));
}

TEST_F(IsamFileTest, CreateTableValidatesItsDefinition) {
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMCreate(&file, name.c_str(), &ext));
  ISAMIDT k = keyPart(ISAM_KEY_TEXT, 0, 10);
  EXPECT_EQ(ISAM_ERR_TABLE_NAME, ISAMCreateTable(file, "", &k, 1, 20, 1024));
  EXPECT_EQ(ISAM_ERR_TABLE_NAME, ISAMCreateTable(file, "A234567890123456789012345678901X", &k, 1, 20, 1024));
  EXPECT_EQ(ISAM_ERR_NODE_SIZE, ISAMCreateTable(file, "A", &k, 1, 20, 31));
  EXPECT_EQ(ISAM_ERR_NODE_SIZE, ISAMCreateTable(file, "A", &k, 1, 20, 65536));
  EXPECT_EQ(ISAM_ERR_RECORD_SIZE, ISAMCreateTable(file, "A", &k, 1, 0, 1024));
  EXPECT_EQ(ISAM_ERR_KEY_OUTSIDE, ISAMCreateTable(file, "A", &k, 1, 9, 1024));
  ISAMIDT bad = keyPart(ISAM_KEY_INT32, 0, 3);
  EXPECT_EQ(ISAM_ERR_KEY_DEF, ISAMCreateTable(file, "A", &bad, 1, 20, 1024));
  bad = keyPart(99, 0, 4);
  EXPECT_EQ(ISAM_ERR_KEY_DEF, ISAMCreateTable(file, "A", &bad, 1, 20, 1024));
  bad = keyPart(ISAM_KEY_TEXT, 0, 4);
  bad.partCount = 0;
  EXPECT_EQ(ISAM_ERR_KEY_DEF, ISAMCreateTable(file, "A", &bad, 1, 20, 1024));
  bad.partCount = 5;
  EXPECT_EQ(ISAM_ERR_KEY_DEF, ISAMCreateTable(file, "A", &bad, 1, 20, 1024));
  // Node size 32 (a 48-byte node in its one unit): a 7-byte key fits (two
  // separators with their counts per inner node), an 8-byte key does not.
  ISAMIDT five = keyPart(ISAM_KEY_TEXT, 0, 7);
  ISAMIDT six = keyPart(ISAM_KEY_TEXT, 0, 8);
  EXPECT_EQ(ISAM_ERR_KEY_TOO_LONG, ISAMCreateTable(file, "A", &six, 1, 20, 32));
  EXPECT_EQ(ISAM_OK, ISAMCreateTable(file, "A", &five, 1, 20, 32));
  EXPECT_EQ(ISAM_ERR_TABLE_EXISTS, ISAMCreateTable(file, "a", &five, 1, 20, 32));
  ISAMIDT big = keyPart(ISAM_KEY_TEXT, 0, 40000);
  EXPECT_EQ(ISAM_ERR_KEY_TOO_LONG, ISAMCreateTable(file, "B", &big, 1, 40000, 65535));
  big.parts[0].length = 30000;
  EXPECT_EQ(ISAM_OK, ISAMCreateTable(file, "B", &big, 1, 40000, 65535));
  EXPECT_EQ(ISAM_OK, ISAMCreateTable(file, "NoKeys", nullptr, 0, 8, 1024));
  EXPECT_EQ("ok", check(file));
}

// Node sizes 32, 1024 and 65535 each hold a few thousand records in order.
TEST_F(IsamFileTest, NodeSizesAreHonouredAtTheirLimits) {
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMCreate(&file, name.c_str(), &ext));
  const unsigned sizes[] = {32, 1024, 65535};
  for (unsigned ns : sizes) {
    std::string tn = "N" + std::to_string(ns);
    ISAMIDT k = keyPart(ISAM_KEY_INT32, 20, 4);
    ASSERT_EQ(ISAM_OK, ISAMCreateTable(file, tn.c_str(), &k, 1, kRecSize, ns));
    ISAMTABLE t = nullptr;
    ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, tn.c_str(), &t));
    unsigned got = 0;
    ASSERT_EQ(ISAM_OK, ISAMGetIndexRecSize(t, &got));
    EXPECT_EQ(ns, got);
    ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(file));
    for (int i = 0; i < 3000; ++i) {
      Rec r = makeRec((i * 7919) % 3000, "x");
      ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, r.bytes, nullptr));
    }
    ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(file));
    std::vector<int> got2 = readAll(t, 0, ISAM_ITER_FORWARD);
    ASSERT_EQ(3000u, got2.size());
    EXPECT_TRUE(std::is_sorted(got2.begin(), got2.end()));
    unsigned char desc[60];
    ASSERT_EQ(ISAM_OK, ISAMGetIndexDesc(t, 0, desc));
    uint32_t entries, height;
    memcpy(&entries, desc + ISAM_DESC_ENTRIES, 4);
    memcpy(&height, desc + ISAM_DESC_HEIGHT, 4);
    EXPECT_EQ(3000u, entries);
    if (ns == 32) {
      EXPECT_GT(height, 5u);
    } else if (ns == 65535) {
      EXPECT_EQ(1u, height);
    }
  }
  EXPECT_EQ("ok", check(file));
}

// Records too big to share a data block: past the first directory block's
// thousand or so data blocks the directory list grows a second block, and every
// record stays reachable by its address after reopening.
TEST_F(IsamFileTest, DataBlockDirectoriesChainBeyondOneBlock) {
  createStandard(name, &file, &table);
  const unsigned kBig = 2100, kCount = 1100;
  ASSERT_EQ(ISAM_OK, ISAMCreateTable(file, "B", nullptr, 0, kBig, 128));
  ISAMTABLE big = nullptr;
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "B", &big));
  std::vector<unsigned char> rec(kBig);
  std::vector<unsigned> addresses(kCount);
  ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(file));
  for (unsigned i = 0; i < kCount; ++i) {
    std::fill(rec.begin(), rec.end(), (unsigned char)(i * 13));
    memcpy(rec.data(), &i, 4);
    ASSERT_EQ(ISAM_OK, ISAMInsertRecord(big, rec.data(), &addresses[i]));
  }
  ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(file));
  reopen();
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "B", &big));
  for (unsigned i = 0; i < kCount; ++i) {
    ASSERT_EQ(ISAM_OK, ISAMReadRecordByAddress(big, addresses[i], rec.data(), kBig, nullptr)) << i;
    unsigned stored = 0;
    memcpy(&stored, rec.data(), 4);
    ASSERT_EQ(i, stored);
    ASSERT_EQ((unsigned char)(i * 13), rec[kBig - 1]);
  }
  EXPECT_EQ("ok", check(file));
}

TEST_F(IsamFileTest, DescriptionsOfAnyLengthComeBackUnchanged) {
  createStandard(name, &file, &table);
  unsigned size = 99;
  ASSERT_EQ(ISAM_OK, ISAMGetTableDescSize(table, 0, &size));
  EXPECT_EQ(0u, size);
  std::vector<char> big(1u << 20);
  for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 31 + (i >> 12));
  const std::vector<std::vector<char>> texts = {{}, {'X'}, big, {'a', 'b', 'c'}};
  for (const auto& text : texts) {
    ASSERT_EQ(ISAM_OK, ISAMWriteTableDesc(table, 0, text.data(), unsigned(text.size())));
    reopen();
    ASSERT_EQ(ISAM_OK, ISAMGetTableDescSize(table, 0, &size));
    ASSERT_EQ(text.size(), size);
    std::vector<char> back(size + 1, '#');
    unsigned length = 0;
    ASSERT_EQ(ISAM_OK, ISAMReadTableDesc(table, 0, back.data(), size, &length));
    EXPECT_EQ(size, length);
    EXPECT_TRUE(std::equal(text.begin(), text.end(), back.begin()));
    EXPECT_EQ('#', back[size]);
    EXPECT_EQ("ok", check(file));
  }
  char small[2];
  unsigned length = 0;
  EXPECT_EQ(ISAM_ERR_BUFFER, ISAMReadTableDesc(table, 0, small, 2, &length));
  EXPECT_EQ(2u, length);
  EXPECT_EQ(ISAM_ERR_SLOT, ISAMWriteTableDesc(table, ISAM_DESC_SLOTS, "x", 1));
  // Blocks of the replaced texts are reused rather than left behind.
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMClose(file, &ext));
  file = nullptr;
  FILE* f = fopen(name.c_str(), "rb");
  fseek(f, 0, SEEK_END);
  long bytes = ftell(f);
  fclose(f);
  EXPECT_LT(bytes, 1200L * 1024);
}

TEST_F(IsamFileTest, AThousandTablesInOneFile) {
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMCreate(&file, name.c_str(), &ext));
  ISAMIDT k = keyPart(ISAM_KEY_UINT32, 0, 4);
  ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(file));
  for (unsigned i = 0; i < 1000; ++i) {
    std::string tn = "Table" + std::to_string(i);
    ASSERT_EQ(ISAM_OK, ISAMCreateTable(file, tn.c_str(), &k, 1, 4 + i % 50, 32 + i));
  }
  ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(file));
  ASSERT_EQ(ISAM_OK, ISAMClose(file, &ext));
  ASSERT_EQ(ISAM_OK, ISAMOpen(&file, name.c_str(), ISAM_OPEN_READONLY, &ext));
  unsigned count = 0;
  ASSERT_EQ(ISAM_OK, ISAMGetTableCount(file, &count));
  ASSERT_EQ(1000u, count);
  char tn[32];
  ASSERT_EQ(ISAM_OK, ISAMGetTableName(file, 999, tn, 32));
  EXPECT_STREQ("Table999", tn);
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "Table517", &table));
  unsigned ns = 0;
  ASSERT_EQ(ISAM_OK, ISAMGetIndexRecSize(table, &ns));
  EXPECT_EQ(32u + 517, ns);
  EXPECT_EQ("ok", check(file));
}

TEST_F(IsamFileTest, InsertUpdateDeleteAndReadByAddress) {
  createStandard(name, &file, &table, 256, true);
  unsigned a1 = 0, a2 = 0, a3 = 0;
  Rec r1 = makeRec(1, "one"), r2 = makeRec(2, "two"), r3 = makeRec(3, "three");
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, r1.bytes, &a1));
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, r2.bytes, &a2));
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, r3.bytes, &a3));
  EXPECT_NE(a1, a2);
  Rec dup = makeRec(2, "other");
  EXPECT_EQ(ISAM_ERR_DUPLICATE, ISAMInsertRecord(table, dup.bytes, nullptr));
  EXPECT_EQ(ISAM_ERR_DUPLICATE, ISAMUpdateRecord(table, a1, dup.bytes));
  Rec back;
  ASSERT_EQ(ISAM_OK, ISAMReadRecordByAddress(table, a2, back.bytes, kRecSize, nullptr));
  EXPECT_EQ(0, memcmp(back.bytes, r2.bytes, kRecSize));
  Rec r2b = makeRec(20, "aaa");
  ASSERT_EQ(ISAM_OK, ISAMUpdateRecord(table, a2, r2b.bytes));
  EXPECT_EQ((std::vector<int>{20, 1, 3}), readAll(table, 0, ISAM_ITER_FORWARD));
  EXPECT_EQ((std::vector<int>{20, 3, 1}), readAll(table, 1, ISAM_ITER_BACKWARD));
  ASSERT_EQ(ISAM_OK, ISAMDeleteRecord(table, a1));
  EXPECT_EQ(ISAM_ERR_ADDRESS, ISAMDeleteRecord(table, a1));
  EXPECT_EQ(ISAM_ERR_ADDRESS, ISAMReadRecordByAddress(table, a1, back.bytes, kRecSize, nullptr));
  EXPECT_EQ(ISAM_ERR_ADDRESS, ISAMReadRecordByAddress(table, 0, back.bytes, kRecSize, nullptr));
  EXPECT_EQ(ISAM_ERR_ADDRESS, ISAMUpdateRecord(table, 12345, r1.bytes));
  EXPECT_EQ(ISAM_ERR_BUFFER, ISAMReadRecordByAddress(table, a2, back.bytes, 4, nullptr));
  // A freed address is handed out again.
  unsigned a4 = 0;
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, r1.bytes, &a4));
  EXPECT_EQ(a1, a4);
  unsigned count = 0;
  ASSERT_EQ(ISAM_OK, ISAMGetRecordCount(table, &count));
  EXPECT_EQ(3u, count);
  reopen();
  EXPECT_EQ((std::vector<int>{1, 3, 20}), readAll(table, 1, ISAM_ITER_FORWARD));
  EXPECT_EQ("ok", check(file));
}

TEST_F(IsamFileTest, TransactionsCommitAndRollBack) {
  createStandard(name, &file, &table);
  Rec r = makeRec(1, "kept");
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, r.bytes, nullptr));
  ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(file));
  EXPECT_EQ(ISAM_ERR_IN_TRANSACTION, ISAMBeginTransaction(file));
  for (int i = 2; i < 500; ++i) {
    Rec x = makeRec(i, "gone");
    ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, x.bytes, nullptr));
  }
  ISAMIDT k = keyPart(ISAM_KEY_TEXT, 0, 4);
  ASSERT_EQ(ISAM_OK, ISAMCreateTable(file, "Later", &k, 1, 8, 64));
  EXPECT_EQ(499u, readAll(table, 1, ISAM_ITER_FORWARD).size());
  ASSERT_EQ(ISAM_OK, ISAMRollbackTransaction(file));
  EXPECT_EQ(ISAM_ERR_NO_TRANSACTION, ISAMRollbackTransaction(file));
  EXPECT_EQ(ISAM_ERR_NO_TRANSACTION, ISAMCommitTransaction(file));
  EXPECT_EQ(std::vector<int>{1}, readAll(table, 1, ISAM_ITER_FORWARD));
  unsigned count = 0;
  ASSERT_EQ(ISAM_OK, ISAMGetTableCount(file, &count));
  EXPECT_EQ(1u, count);
  EXPECT_EQ("ok", check(file));
  ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(file));
  Rec y = makeRec(5, "five");
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, y.bytes, nullptr));
  ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(file));
  reopen();
  EXPECT_EQ((std::vector<int>{1, 5}), readAll(table, 1, ISAM_ITER_FORWARD));
}

TEST_F(IsamFileTest, KeyOptions) {
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMCreate(&file, name.c_str(), &ext));
  ISAMIDT idt[4] = {keyPart(ISAM_KEY_TEXT, 0, 20), keyPart(ISAM_KEY_INT32, 20, 4), keyPart(ISAM_KEY_INT32, 20, 4),
                    keyPart(ISAM_KEY_TEXT, 24, 4)};
  idt[0].options[ISAM_OPT_SKIP_BLANK] = 1;
  idt[1].options[ISAM_OPT_DESCENDING] = 1;
  idt[2].options[ISAM_OPT_FIXED] = 1;
  idt[3].options[ISAM_OPT_REQUIRED] = 1;
  ASSERT_EQ(ISAM_OK, ISAMCreateTable(file, "T", idt, 4, kRecSize, 128));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "T", &table));
  unsigned addr[4];
  const char* names[4] = {"b", "", "a", ""};
  for (int i = 0; i < 4; ++i) {
    Rec r = makeRec(i + 1, names[i]);
    if (i == 1) memset(r.bytes, 0, 20);  // zero bytes count as blank too
    ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, r.bytes, &addr[i]));
  }
  EXPECT_EQ((std::vector<int>{3, 1}), readAll(table, 0, ISAM_ITER_FORWARD));
  EXPECT_EQ((std::vector<int>{4, 3, 2, 1}), readAll(table, 1, ISAM_ITER_FORWARD));
  int lo = 2, hi = 3;
  EXPECT_EQ((std::vector<int>{3, 2}), readAll(table, 1, ISAM_ITER_FORWARD, &lo, &hi));
  EXPECT_EQ((std::vector<int>{2, 3}), readAll(table, 1, ISAM_ITER_BACKWARD, &lo, &hi));
  Rec changed = makeRec(9, "b");
  EXPECT_EQ(ISAM_ERR_KEY_FIXED, ISAMUpdateRecord(table, addr[0], changed.bytes));
  Rec blank = makeRec(1, "b");
  memset(blank.bytes + 24, ' ', 4);
  EXPECT_EQ(ISAM_ERR_BLANK_KEY, ISAMInsertRecord(table, blank.bytes, nullptr));
  // Blank names leave and join the index as records change.
  Rec named = makeRec(2, "c");
  ASSERT_EQ(ISAM_OK, ISAMUpdateRecord(table, addr[1], named.bytes));
  Rec unnamed = makeRec(3, "");
  ASSERT_EQ(ISAM_OK, ISAMUpdateRecord(table, addr[2], unnamed.bytes));
  EXPECT_EQ((std::vector<int>{1, 2}), readAll(table, 0, ISAM_ITER_FORWARD));
  // A record left out of an index has no number in it.
  unsigned number = 9;
  EXPECT_EQ(unsigned(ISAM_END_OF_ITERATION), ISAMGetEntryNumber(table, 0, addr[2], &number));
  ASSERT_EQ(ISAM_OK, ISAMGetEntryNumber(table, 0, addr[1], &number));
  EXPECT_EQ(1u, number);
  unsigned char desc[60];
  ASSERT_EQ(ISAM_OK, ISAMGetIndexDesc(table, 0, desc));
  EXPECT_EQ(1, desc[ISAM_DESC_OPTIONS + ISAM_OPT_SKIP_BLANK]);
  uint32_t entries;
  memcpy(&entries, desc + 46, 4);
  EXPECT_EQ(2u, entries);
  EXPECT_EQ("ok", check(file));
}

TEST_F(IsamFileTest, StaleAndForeignHandlesGetAnError) {
  createStandard(name, &file, &table);
  ISAMTABLE t2 = nullptr;
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "T", &t2));
  ASSERT_EQ(ISAM_OK, ISAMCloseTable(t2));
  Rec r = makeRec(1, "x");
  EXPECT_EQ(ISAM_ERR_HANDLE, ISAMInsertRecord(t2, r.bytes, nullptr));
  EXPECT_EQ(ISAM_ERR_HANDLE, ISAMCloseTable(t2));
  int junk = 0;
  EXPECT_EQ(ISAM_ERR_HANDLE, ISAMGetTableCount(reinterpret_cast<ISAMFILE>(&junk), nullptr));
  EXPECT_EQ(ISAM_ERR_NO_TABLE, ISAMOpenTable(file, "Nope", &t2));
  EXPECT_EQ(ISAM_ERR_NO_ITERATION, ISAMReadNextRecord(table, 0, r.bytes, nullptr, nullptr));
  EXPECT_EQ(ISAM_ERR_FLAGS, ISAMSetupIterationLimits(table, 0, 12, nullptr, nullptr));
  EXPECT_EQ(ISAM_ERR_INDEX, ISAMSetupIterationLimits(table, 2, 0, nullptr, nullptr));
  unsigned ext = 0;
  // Closing the file closes its tables.
  ASSERT_EQ(ISAM_OK, ISAMClose(file, &ext));
  EXPECT_EQ(ISAM_ERR_HANDLE, ISAMInsertRecord(table, r.bytes, nullptr));
  EXPECT_EQ(ISAM_ERR_HANDLE, ISAMClose(file, &ext));
  file = nullptr;
}

TEST_F(IsamFileTest, DispErrorNamesFileCallErrorAndDetail) {
  BoxRecorder boxes;
  auto last = [&boxes]() -> const RecordedBox& { return boxes.boxes.back(); };
  ISAMDispError("C:\\data\\kunden.isa", "ISAMOpen", ISAM_ERR_OPEN, 2);
  EXPECT_EQ(unsigned(ISAM_ERR_OPEN), last().code);
  EXPECT_EQ(3u, last().kind);
  EXPECT_NE(std::string::npos, last().text.find("C:\\data\\kunden.isa"));
  EXPECT_NE(std::string::npos, last().text.find("ISAMOpen"));
  EXPECT_NE(std::string::npos, last().text.find(ISAMErrorText(ISAM_ERR_OPEN)));
  // The system error comes with its text, also when the caller passes 0 for it.
  EXPECT_NE(std::string::npos, last().text.find("Detail: 2 ("));
  EXPECT_NE(std::string::npos, last().caption.find("1003"));
  ISAMFILE missing = nullptr;
  unsigned detail = 0;
  ASSERT_EQ(ISAM_ERR_OPEN, ISAMOpen(&missing, (name + ".missing").c_str(), ISAM_OPEN_READONLY, &detail));
  EXPECT_EQ(detail, ISAMLastSystemError());
  ISAMDispError(name.c_str(), "ISAMOpen", ISAM_ERR_OPEN, 0);
  EXPECT_NE(std::string::npos, last().text.find("Detail: " + std::to_string(detail) + " (")) << last().text;
  ISAMDispError(name.c_str(), "ISAMOpen", ISAM_ERR_NOT_ISAM, 0);
  EXPECT_EQ(last().text.size() - 9, last().text.rfind("Detail: 0")) << last().text;  // nothing to explain
  createStandard(name, &file, &table);
  ISAMDispError(file, "ISAMCloseTable", ISAM_ERR_HANDLE, 0);
  EXPECT_NE(std::string::npos, last().text.find(name));
  for (unsigned e = ISAM_FIRST_ERROR; e <= ISAM_LAST_ERROR; ++e) EXPECT_GT(strlen(ISAMErrorText(e)), 5u) << e;
  EXPECT_GT(strlen(ISAMErrorText(77)), 5u);
}

// The checks without a file give what creating the table gives.
TEST_F(IsamFileTest, CheckTableDefAgreesWithCreateTable) {
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMCreate(&file, name.c_str(), &ext));
  std::vector<ISAMIDT> keys(34, keyPart(ISAM_KEY_TEXT, 0, 4));
  keys[1] = keyPart(ISAM_KEY_NUMTEXT, 4, 12);
  keys[2] = keyPart(ISAM_KEY_INT32, 16, 4);
  struct Case {
    unsigned keyCount, recordSize, nodeSize, fault, key, part;
  };
  // NUMTEXT takes twice its length: 24 bytes do not fit a 48-byte node, 4 do.
  const Case cases[] = {{3, 20, 48, ISAM_ERR_KEY_TOO_LONG, 1, ISAM_NO_PART},
                        {3, 20, 128, ISAM_OK, ISAM_NO_KEY, ISAM_NO_PART},
                        {3, 19, 128, ISAM_ERR_KEY_OUTSIDE, 2, 0},
                        {33, 20, 128, ISAM_ERR_TOO_MANY_KEYS, ISAM_NO_KEY, ISAM_NO_PART},
                        {3, 65536, 128, ISAM_ERR_RECORD_SIZE, ISAM_NO_KEY, ISAM_NO_PART},
                        {3, 20, 31, ISAM_ERR_NODE_SIZE, ISAM_NO_KEY, ISAM_NO_PART}};
  for (const Case& c : cases) {
    unsigned key = 0, part = 0;
    EXPECT_EQ(c.fault, ISAMCheckTableDef(keys.data(), c.keyCount, c.recordSize, c.nodeSize, &key, &part));
    EXPECT_EQ(c.key, key);
    EXPECT_EQ(c.part, part);
    std::string table = "A" + std::to_string(&c - cases);
    EXPECT_EQ(c.fault, ISAMCreateTable(file, table.c_str(), keys.data(), c.keyCount, c.recordSize, c.nodeSize));
  }
  keys[2] = keyPart(ISAM_KEY_INT32, 16, 3);
  unsigned key = 0, part = 0;
  EXPECT_EQ(ISAM_ERR_KEY_DEF, ISAMCheckTableDef(keys.data(), 3, 20, 128, &key, &part));
  EXPECT_EQ(2u, key);
  EXPECT_EQ(0u, part);
}

TEST(IsamKeyTypes, NamesCodesAndListBox) {
  for (unsigned c = 0; c < ISAM_KEY_TYPE_COUNT; ++c) {
    ASSERT_NE(nullptr, ISAMKeyType(c));
    EXPECT_EQ(c, ISAMGetKeyType(ISAMKeyType(c)));
  }
  EXPECT_EQ(nullptr, ISAMKeyType(ISAM_KEY_TYPE_COUNT));
  EXPECT_EQ(unsigned(ISAM_KEY_ITEXT), ISAMGetKeyType("itext"));
  EXPECT_EQ(ISAM_UNKNOWN_KEY_TYPE, ISAMGetKeyType("TEXTX"));
  EXPECT_EQ(ISAM_UNKNOWN_KEY_TYPE, ISAMGetKeyType(nullptr));
  EXPECT_EQ(unsigned(ISAM_KEY_TYPE_COUNT), ISAMLBKeyTypes.m_uCount);
  char text[64];
  ASSERT_GT(ISAMLBKeyTypes.GetEntryText(ISAM_KEY_NUMTEXT, text, sizeof(text)), 0u);
  EXPECT_EQ(0, strncmp(text, "NUMTEXT (", 9));
}

}  // namespace
