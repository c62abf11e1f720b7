// Iteration over indexes: whole index, key limits, duplicates, continuing from
// an address in both directions, and the order each key type gives.
#include <stdint.h>

#include <algorithm>
#include <map>

#include "isam_test_util.h"

using namespace isamtest;

namespace {

unsigned entryAddress(const unsigned char* p) {
  return unsigned(p[0]) << 24 | unsigned(p[1]) << 16 | unsigned(p[2]) << 8 | p[3];
}

struct IsamIterationTest : testing::Test {
  std::string name;
  ISAMFILE file = nullptr;
  ISAMTABLE table = nullptr;
  void SetUp() override { name = tempName("iter"); }
  void TearDown() override {
    unsigned ext;
    if (file) ISAMClose(file, &ext);
    removeFile(name);
  }
};

TEST_F(IsamIterationTest, OneRecordTable) {
  createStandard(name, &file, &table);
  Rec r = makeRec(42, "only");
  unsigned a = 0;
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, r.bytes, &a));
  for (unsigned flags : {0u, 16u}) EXPECT_EQ(std::vector<int>{42}, readAll(table, 1, flags));
  Rec out;
  unsigned got = 0;
  ASSERT_EQ(ISAM_OK, ISAMSetupIterationAddress(table, 0, 12, a, nullptr));
  EXPECT_EQ(ISAM_END_OF_ITERATION, ISAMReadNextRecord(table, 0, out.bytes, &got, nullptr));
  EXPECT_EQ(ISAM_END_OF_ITERATION, ISAMReadNextRecord(table, 0, out.bytes, &got, nullptr));
  ASSERT_EQ(ISAM_OK, ISAMSetupIterationAddress(table, 0, 28, a, nullptr));
  EXPECT_EQ(ISAM_END_OF_ITERATION, ISAMReadNextRecord(table, 0, out.bytes, &got, nullptr));
  EXPECT_EQ(ISAM_ERR_ADDRESS, ISAMSetupIterationAddress(table, 0, 12, a + 1, nullptr));
  EXPECT_EQ(ISAM_ERR_FLAGS, ISAMSetupIterationAddress(table, 0, 0, a, nullptr));
}

// Duplicates run in address order; from every address the rest of the index
// follows in both directions.
TEST_F(IsamIterationTest, FromEveryAddressInBothDirections) {
  createStandard(name, &file, &table, 64);
  const int n = 300;
  std::vector<std::pair<std::string, unsigned>> expected;  // (name, address) in index order
  ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(file));
  for (int i = 0; i < n; ++i) {
    char nm[8];
    snprintf(nm, sizeof(nm), "k%02d", (i * 13) % 37);  // many duplicates
    Rec r = makeRec(i, nm);
    unsigned a = 0;
    ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, r.bytes, &a));
    expected.emplace_back(nm, a);
  }
  ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(file));
  std::sort(expected.begin(), expected.end());
  std::vector<unsigned> order;
  for (auto& e : expected) order.push_back(e.second);

  auto collect = [&](unsigned flags, unsigned from) {
    std::vector<unsigned> out;
    EXPECT_EQ(ISAM_OK, ISAMSetupIterationAddress(table, 0, flags, from, nullptr));
    unsigned a = 0;
    Rec r;
    while (ISAMReadNextRecord(table, 0, r.bytes, &a, nullptr) == ISAM_OK) out.push_back(a);
    return out;
  };
  std::vector<unsigned> all;
  {
    ASSERT_EQ(ISAM_OK, ISAMSetupIterationLimits(table, 0, 0, nullptr, nullptr));
    unsigned a = 0;
    while (ISAMReadNextRecord(table, 0, nullptr, &a, nullptr) == ISAM_OK) all.push_back(a);
  }
  ASSERT_EQ(order, all);
  for (size_t i = 0; i < order.size(); ++i) {
    std::vector<unsigned> fwd(order.begin() + long(i) + 1, order.end());
    std::vector<unsigned> bwd(order.begin(), order.begin() + long(i));
    std::reverse(bwd.begin(), bwd.end());
    ASSERT_EQ(fwd, collect(12, order[i])) << i;
    ASSERT_EQ(bwd, collect(28, order[i])) << i;
  }
}

TEST_F(IsamIterationTest, LimitsAreInclusiveCompleteKeys) {
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMCreate(&file, name.c_str(), &ext));
  // A two-part key: 20-byte text, then the 32-bit number.
  ISAMIDT k = keyPart(ISAM_KEY_TEXT, 0, 20);
  k.partCount = 2;
  k.parts[1].keyType = ISAM_KEY_UINT32;
  k.parts[1].offset = 20;
  k.parts[1].length = 4;
  ASSERT_EQ(ISAM_OK, ISAMCreateTable(file, "T", &k, 1, kRecSize, 128));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "T", &table));
  const char* names[] = {"Meier", "Mey", "Meyer", "Meyers", "Mez", "Ma"};
  int i = 0;
  for (const char* nm : names) {
    for (int j = 0; j < 3; ++j) {
      Rec r = makeRec(i * 10 + j, nm);
      ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, r.bytes, nullptr));
    }
    ++i;
  }
  // Every name beginning with "Mey": the text filled with zero bytes and 0xFF bytes.
  unsigned char low[24], high[24];
  memset(low, 0, sizeof(low));
  memset(high, 0xFF, sizeof(high));
  memcpy(low, "Mey", 3);
  memcpy(high, "Mey", 3);
  EXPECT_EQ((std::vector<int>{10, 11, 12, 20, 21, 22, 30, 31, 32}), readAll(table, 0, 0, low, high));
  EXPECT_EQ((std::vector<int>{32, 31, 30, 22, 21, 20, 12, 11, 10}), readAll(table, 0, 16, low, high));
  // Low = high = one complete key finds exactly that record.
  Rec probe = makeRec(21, "Meyer");
  EXPECT_EQ((std::vector<int>{21}), readAll(table, 0, 0, probe.bytes, probe.bytes));
  EXPECT_EQ((std::vector<int>{21}), readAll(table, 0, 16, probe.bytes, probe.bytes));
  Rec missing = makeRec(25, "Meyer");
  EXPECT_EQ((std::vector<int>{}), readAll(table, 0, 0, missing.bytes, missing.bytes));
  // One open end.
  EXPECT_EQ((std::vector<int>{40, 41, 42}), readAll(table, 0, 0, makeRec(0, "Mez").bytes, nullptr));
  EXPECT_EQ((std::vector<int>{52, 51, 50}), readAll(table, 0, 16, nullptr, makeRec(99, "Ma").bytes));
}

// A position by its number in the index: found again after splits and merges,
// in both directions, at the ends and beyond them.
TEST_F(IsamIterationTest, EntriesAreFoundByTheirNumber) {
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMCreate(&file, name.c_str(), &ext));
  ISAMIDT k[2] = {keyPart(ISAM_KEY_INT32, 20, 4), keyPart(ISAM_KEY_INT32, 20, 4)};
  k[1].options[ISAM_OPT_DESCENDING] = 1;
  ASSERT_EQ(ISAM_OK, ISAMCreateTable(file, "T", k, 2, kRecSize, 64));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "T", &table));
  Rec r;
  unsigned a = 0;
  ASSERT_EQ(ISAM_OK, ISAMSetupIterationEntry(table, 0, 0, 0));  // an empty index
  EXPECT_EQ(unsigned(ISAM_END_OF_ITERATION), ISAMReadNextRecord(table, 0, r.bytes, &a, nullptr));
  std::vector<unsigned> addresses(3000);
  for (int i = 0; i < 3000; ++i) {
    Rec x = makeRec((i * 7919) % 3000, "n");
    ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, x.bytes, &addresses[(i * 7919) % 3000]));
  }
  // Every second record deleted: leaves merge, inner nodes lose children.
  for (int v = 0; v < 3000; v += 2) ASSERT_EQ(ISAM_OK, ISAMDeleteRecord(table, addresses[v]));
  EXPECT_EQ("ok", check(file));
  for (unsigned n : {0u, 1u, 2u, 700u, 1498u, 1499u}) {
    ASSERT_EQ(ISAM_OK, ISAMSetupIterationEntry(table, 0, 0, n));
    ASSERT_EQ(ISAM_OK, ISAMReadNextRecord(table, 0, r.bytes, &a, nullptr));
    EXPECT_EQ(int(2 * n + 1), recNumber(r.bytes)) << n;
    ASSERT_EQ(ISAM_OK, ISAMSetupIterationEntry(table, 1, 0, n));  // descending
    ASSERT_EQ(ISAM_OK, ISAMReadNextRecord(table, 1, r.bytes, &a, nullptr));
    EXPECT_EQ(int(2999 - 2 * n), recNumber(r.bytes)) << n;
  }
  // Reading on crosses leaves in the direction asked for.
  ASSERT_EQ(ISAM_OK, ISAMSetupIterationEntry(table, 0, 16, 40));
  std::vector<int> back;
  while (ISAMReadNextRecord(table, 0, r.bytes, &a, nullptr) == ISAM_OK) back.push_back(recNumber(r.bytes));
  ASSERT_EQ(41u, back.size());
  EXPECT_EQ(81, back.front());
  EXPECT_EQ(1, back.back());
  ASSERT_EQ(ISAM_OK, ISAMSetupIterationEntry(table, 0, 0, 1490));
  std::vector<int> forth;
  while (ISAMReadNextRecord(table, 0, r.bytes, &a, nullptr) == ISAM_OK) forth.push_back(recNumber(r.bytes));
  EXPECT_EQ((std::vector<int>{2981, 2983, 2985, 2987, 2989, 2991, 2993, 2995, 2997, 2999}), forth);
  ASSERT_EQ(ISAM_OK, ISAMSetupIterationEntry(table, 0, 0, 1500));  // one past the last
  EXPECT_EQ(unsigned(ISAM_END_OF_ITERATION), ISAMReadNextRecord(table, 0, r.bytes, &a, nullptr));
  // The reverse, in both orders; a deleted record has no number.
  for (int v = 1; v < 3000; v += 2) {
    unsigned number = 0;
    ASSERT_EQ(ISAM_OK, ISAMGetEntryNumber(table, 0, addresses[v], &number));
    EXPECT_EQ(unsigned(v / 2), number);
    ASSERT_EQ(ISAM_OK, ISAMGetEntryNumber(table, 1, addresses[v], &number));
    EXPECT_EQ(unsigned(1499 - v / 2), number);
  }
  unsigned number = 0;
  EXPECT_NE(ISAM_OK, ISAMGetEntryNumber(table, 0, addresses[0], &number));
  EXPECT_EQ(ISAM_ERR_INDEX, ISAMGetEntryNumber(table, 2, addresses[1], &number));
  EXPECT_EQ(ISAM_ERR_ARGUMENT, ISAMGetEntryNumber(table, 0, addresses[1], nullptr));
  EXPECT_EQ(ISAM_ERR_FLAGS, ISAMSetupIterationEntry(table, 0, 12, 0));
  EXPECT_EQ(ISAM_ERR_INDEX, ISAMSetupIterationEntry(table, 2, 0, 0));
  EXPECT_EQ(ISAM_ERR_HANDLE, ISAMSetupIterationEntry(nullptr, 0, 0, 0));
}

// Each key type orders the values of its encoding naturally.
TEST_F(IsamIterationTest, KeyTypesGiveNaturalOrder) {
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMCreate(&file, name.c_str(), &ext));
  struct Case {
    unsigned type, length;
    std::vector<std::vector<uint8_t>> sortedValues;  // raw field bytes in expected order
  };
  auto le = [](int64_t v, unsigned n) {
    std::vector<uint8_t> b(n);
    for (unsigned i = 0; i < n; ++i) b[i] = uint8_t(uint64_t(v) >> (8 * i));
    return b;
  };
  auto flt = [](float f) {
    std::vector<uint8_t> b(4);
    memcpy(b.data(), &f, 4);
    return b;
  };
  auto dbl = [](double d) {
    std::vector<uint8_t> b(8);
    memcpy(b.data(), &d, 8);
    return b;
  };
  auto txt = [](const char* s, unsigned n) {
    std::vector<uint8_t> b(n, 0);
    memcpy(b.data(), s, strlen(s) < n ? strlen(s) : n);
    return b;
  };
  std::vector<Case> cases = {
      {ISAM_KEY_INT8, 1, {le(-128, 1), le(-1, 1), le(0, 1), le(1, 1), le(127, 1)}},
      {ISAM_KEY_INT16, 2, {le(-32768, 2), le(-2, 2), le(0, 2), le(300, 2)}},
      {ISAM_KEY_INT32, 4, {le(INT32_MIN, 4), le(-70000, 4), le(-1, 4), le(0, 4), le(65536, 4), le(INT32_MAX, 4)}},
      {ISAM_KEY_INT64, 8, {le(INT64_MIN, 8), le(-1, 8), le(0, 8), le(int64_t(1) << 40, 8), le(INT64_MAX, 8)}},
      {ISAM_KEY_UINT8, 1, {le(0, 1), le(127, 1), le(128, 1), le(255, 1)}},
      {ISAM_KEY_UINT16, 2, {le(1, 2), le(256, 2), le(65535, 2)}},
      {ISAM_KEY_UINT32, 4, {le(0, 4), le(255, 4), le(256, 4), le(0x80000000ll, 4), le(0xFFFFFFFFll, 4)}},
      {ISAM_KEY_UINT64, 8, {le(0, 8), le(1ll << 32, 8), le(-1, 8)}},
      {ISAM_KEY_FLOAT, 4, {flt(-1e30f), flt(-2.5f), flt(-0.0f), flt(0.0f), flt(1e-20f), flt(3.0f), flt(1e30f)}},
      {ISAM_KEY_DOUBLE, 8, {dbl(-1e300), dbl(-1.0), dbl(0.0), dbl(0.5), dbl(2.0), dbl(1e300)}},
      {ISAM_KEY_TEXT, 6, {txt("ABC", 6), txt("Abc", 6), txt("abc", 6), txt("abd", 6), txt("\xE4", 6)}},
      {ISAM_KEY_ITEXT, 6, {txt("a", 6), txt("ab", 6), txt("ABC", 6), txt("b", 6), txt("\xC4xx", 6)}},
      {ISAM_KEY_NUMTEXT,
       6,
       {txt("", 6), txt("  0007", 6), txt("12", 6), txt("0012,5", 6), txt("  99", 6), txt("100", 6), txt("123456", 6)}},
      // UTF-16 little-endian: U+0041, U+00FF, U+0100, U+0101 U+0041.
      {ISAM_KEY_UTEXT, 4, {{0x41, 0, 0, 0}, {0xFF, 0, 0, 0}, {0x00, 0x01, 0, 0}, {0x01, 0x01, 0x41, 0}}},
  };
  int tableNo = 0;
  for (const Case& c : cases) {
    std::string tn = "K" + std::to_string(tableNo++);
    ISAMIDT k = keyPart(c.type, 4, c.length);
    ASSERT_EQ(ISAM_OK, ISAMCreateTable(file, tn.c_str(), &k, 1, 4 + c.length, 64)) << tn;
    ISAMTABLE t = nullptr;
    ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, tn.c_str(), &t));
    // Insert in reverse so that address order cannot pass for key order.
    for (size_t i = c.sortedValues.size(); i-- > 0;) {
      std::vector<uint8_t> rec(4 + c.length);
      uint32_t id = uint32_t(i);
      memcpy(rec.data(), &id, 4);
      memcpy(rec.data() + 4, c.sortedValues[i].data(), c.length);
      ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, rec.data(), nullptr));
    }
    ASSERT_EQ(ISAM_OK, ISAMSetupIterationLimits(t, 0, 0, nullptr, nullptr));
    std::vector<uint32_t> ids;
    std::vector<uint8_t> rec(4 + c.length);
    while (ISAMReadNextRecord(t, 0, rec.data(), nullptr, nullptr) == ISAM_OK) {
      uint32_t id;
      memcpy(&id, rec.data(), 4);
      ids.push_back(id);
    }
    std::vector<uint32_t> want(c.sortedValues.size());
    for (size_t i = 0; i < want.size(); ++i) want[i] = uint32_t(i);
    EXPECT_EQ(want, ids) << ISAMKeyType(c.type);
  }
  // Text ignoring case: equal texts in any case are one key.
  ISAMIDT k = keyPart(ISAM_KEY_ITEXT, 0, 8, true);
  ASSERT_EQ(ISAM_OK, ISAMCreateTable(file, "Unique", &k, 1, 8, 64));
  ISAMTABLE t = nullptr;
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "Unique", &t));
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, "M\xFCller ", nullptr));
  EXPECT_EQ(ISAM_ERR_DUPLICATE, ISAMInsertRecord(t, "M\xDCLLER ", nullptr));
  // Numeric text: the range of a number right-aligned with zero bytes finds its text forms.
  ISAMIDT kn = keyPart(ISAM_KEY_NUMTEXT, 0, 6);
  ASSERT_EQ(ISAM_OK, ISAMCreateTable(file, "Num", &kn, 1, 6, 64));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "Num", &t));
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, "   123", nullptr));
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, "123   ", nullptr));
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(t, "000124", nullptr));
  const char key[6] = {0, 0, 0, '1', '2', '3'};
  ASSERT_EQ(ISAM_OK, ISAMSetupIterationLimits(t, 0, 0, key, key));
  int found = 0;
  char rec[6];
  while (ISAMReadNextRecord(t, 0, rec, nullptr, nullptr) == ISAM_OK) ++found;
  EXPECT_EQ(2, found);
  EXPECT_EQ("ok", check(file));
}

// Several handles on one table iterate independently, also while one writes.
TEST_F(IsamIterationTest, HandlesIterateIndependently) {
  createStandard(name, &file, &table);
  for (int i = 0; i < 100; ++i) {
    Rec r = makeRec(i, "x");
    ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, r.bytes, nullptr));
  }
  ISAMTABLE other = nullptr;
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "T", &other));
  ASSERT_EQ(ISAM_OK, ISAMSetupIterationLimits(table, 1, 0, nullptr, nullptr));
  ASSERT_EQ(ISAM_OK, ISAMSetupIterationLimits(other, 1, 16, nullptr, nullptr));
  ASSERT_EQ(ISAM_OK, ISAMSetupIterationLimits(table, 0, 16, nullptr, nullptr));
  Rec r;
  std::vector<int> a, b;
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(ISAM_OK, ISAMReadNextRecord(table, 1, r.bytes, nullptr, nullptr));
    a.push_back(recNumber(r.bytes));
    ASSERT_EQ(ISAM_OK, ISAMReadNextRecord(other, 1, r.bytes, nullptr, nullptr));
    b.push_back(recNumber(r.bytes));
  }
  // Inserting through the other handle: the iteration goes on after its last record.
  for (int i = 1000; i < 1100; ++i) {
    Rec x = makeRec(i, "y");
    ASSERT_EQ(ISAM_OK, ISAMInsertRecord(other, x.bytes, nullptr));
  }
  ASSERT_EQ(ISAM_OK, ISAMReadNextRecord(table, 1, r.bytes, nullptr, nullptr));
  EXPECT_EQ(50, recNumber(r.bytes));
  ASSERT_EQ(ISAM_OK, ISAMReadNextRecord(other, 1, r.bytes, nullptr, nullptr));
  EXPECT_EQ(49, recNumber(r.bytes));
  EXPECT_EQ(0, a.front());
  EXPECT_EQ(99, b.front());
}

// Entries read in batches of any size are those the record iteration gives, in
// the same order, under the same limits, in both directions, and a batch goes on
// where single reads stopped (and the other way round) even after the index changed.
TEST_F(IsamIterationTest, KeyBatchesFollowTheRecordIteration) {
  createStandard(name, &file, &table, 64);
  ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(file));
  std::vector<unsigned> addresses;
  for (int i = 0; i < 700; ++i) {
    char nm[8];
    snprintf(nm, sizeof(nm), "k%02d", (i * 7) % 53);
    Rec r = makeRec((i * 37) % 500 - 250, nm);
    unsigned a = 0;
    ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, r.bytes, &a));
    addresses.push_back(a);
  }
  for (size_t i = 0; i < addresses.size(); i += 5) ASSERT_EQ(ISAM_OK, ISAMDeleteRecord(table, addresses[i]));
  ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(file));

  unsigned entrySize[2] = {};
  ASSERT_EQ(ISAM_OK, ISAMKeyEntrySize(table, 0, &entrySize[0]));
  ASSERT_EQ(ISAM_OK, ISAMKeyEntrySize(table, 1, &entrySize[1]));
  EXPECT_EQ(24u, entrySize[0]);
  EXPECT_EQ(8u, entrySize[1]);

  auto byRecords = [&](unsigned index, unsigned flags, const void* low, const void* high) {
    std::vector<unsigned> out;
    EXPECT_EQ(ISAM_OK, ISAMSetupIterationLimits(table, index, flags, low, high));
    unsigned a = 0;
    Rec r;
    while (ISAMReadNextRecord(table, index, r.bytes, &a, nullptr) == ISAM_OK) out.push_back(a);
    return out;
  };
  auto byKeys = [&](unsigned index, unsigned flags, const void* low, const void* high, unsigned per) {
    std::vector<unsigned> out;
    EXPECT_EQ(ISAM_OK, ISAMSetupIterationLimits(table, index, flags, low, high));
    std::vector<unsigned char> buffer(per * entrySize[index] + entrySize[index] - 1);
    unsigned count = 0, e;
    while ((e = ISAMReadNextKeys(table, index, buffer.data(), unsigned(buffer.size()), &count)) == ISAM_OK) {
      EXPECT_GE(count, 1u);
      EXPECT_LE(count, per);
      for (unsigned i = 0; i < count; ++i) {
        const unsigned char* entry = &buffer[i * entrySize[index]];
        const unsigned a = entryAddress(entry + entrySize[index] - 4);
        out.push_back(a);
        Rec r;
        EXPECT_EQ(ISAM_OK, ISAMReadRecordByAddress(table, a, r.bytes, kRecSize, nullptr));
        if (index == 0) {
          EXPECT_EQ(0, memcmp(entry, r.bytes, 20));
        } else {
          // Big-endian with the sign flipped.
          const int n = recNumber(r.bytes);
          const uint32_t u = uint32_t(n) ^ 0x80000000u;
          const unsigned char be[4] = {uint8_t(u >> 24), uint8_t(u >> 16), uint8_t(u >> 8), uint8_t(u)};
          EXPECT_EQ(0, memcmp(entry, be, 4));
        }
      }
    }
    EXPECT_EQ(ISAM_END_OF_ITERATION, e);
    EXPECT_EQ(ISAM_END_OF_ITERATION, ISAMReadNextKeys(table, index, buffer.data(), unsigned(buffer.size()), &count));
    EXPECT_EQ(0u, count);
    return out;
  };
  Rec lowName = makeRec(0, "k10"), highName = makeRec(0, "k30");
  const int32_t lowNumber = -100, highNumber = 37, emptyLow = 5000, emptyHigh = 6000;
  struct Limits {
    unsigned index;
    const void *low, *high;
  } limits[] = {{0, nullptr, nullptr},     {0, lowName.bytes, highName.bytes}, {0, highName.bytes, nullptr},
                {1, nullptr, nullptr},     {1, &lowNumber, &highNumber},       {1, nullptr, &lowNumber},
                {1, &emptyLow, &emptyHigh}};
  for (const Limits& l : limits)
    for (unsigned flags : {0u, 16u})
      for (unsigned per : {1u, 3u, 64u, 1000u}) {
        SCOPED_TRACE(testing::Message() << "index " << l.index << " flags " << flags << " batch " << per);
        EXPECT_EQ(byRecords(l.index, flags, l.low, l.high), byKeys(l.index, flags, l.low, l.high, per));
      }

  // Mixed reads, with an insert and a delete in between.
  const std::vector<unsigned> all = byRecords(0, 0, nullptr, nullptr);
  ASSERT_EQ(ISAM_OK, ISAMSetupIterationLimits(table, 0, 0, nullptr, nullptr));
  std::vector<unsigned> mixed;
  unsigned a = 0, count = 0;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(ISAM_OK, ISAMReadNextRecord(table, 0, nullptr, &a, nullptr));
    mixed.push_back(a);
  }
  std::vector<unsigned char> buffer(10 * entrySize[0]);
  ASSERT_EQ(ISAM_OK, ISAMReadNextKeys(table, 0, buffer.data(), unsigned(buffer.size()), &count));
  ASSERT_EQ(10u, count);
  for (unsigned i = 0; i < count; ++i) mixed.push_back(entryAddress(&buffer[i * 24 + 20]));
  Rec late = makeRec(9999, "zz");  // after everything: must come last
  ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, late.bytes, &a));
  const unsigned lateAddress = a;
  const unsigned skipped = all[13];
  ASSERT_EQ(ISAM_OK, ISAMDeleteRecord(table, skipped));
  ASSERT_EQ(ISAM_OK, ISAMReadNextRecord(table, 0, nullptr, &a, nullptr));
  mixed.push_back(a);
  unsigned e;
  while ((e = ISAMReadNextKeys(table, 0, buffer.data(), unsigned(buffer.size()), &count)) == ISAM_OK)
    for (unsigned i = 0; i < count; ++i) mixed.push_back(entryAddress(&buffer[i * 24 + 20]));
  EXPECT_EQ(ISAM_END_OF_ITERATION, e);
  std::vector<unsigned> expected = all;
  expected.erase(expected.begin() + 13);
  expected.push_back(lateAddress);
  EXPECT_EQ(expected, mixed);

  EXPECT_EQ(ISAM_ERR_BUFFER, ISAMReadNextKeys(table, 0, buffer.data(), 23, &count));
  EXPECT_EQ(ISAM_ERR_INDEX, ISAMReadNextKeys(table, 2, buffer.data(), 240, &count));
  EXPECT_EQ(ISAM_ERR_ARGUMENT, ISAMReadNextKeys(table, 0, nullptr, 240, &count));
  ISAMTABLE fresh = nullptr;
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "T", &fresh));
  EXPECT_EQ(ISAM_ERR_NO_ITERATION, ISAMReadNextKeys(fresh, 0, buffer.data(), 240, &count));
  EXPECT_EQ("ok", check(file));
}

// Records in stored order: each used slot once, deleted ones left out, in
// batches of any size, the same records the index holds.
TEST_F(IsamIterationTest, StoredOrderReadsEveryRecordOnce) {
  createStandard(name, &file, &table, 64);
  Rec r;
  unsigned address = 0, count = 0;
  EXPECT_EQ(ISAM_END_OF_ITERATION, ISAMReadRecords(table, &address, r.bytes, kRecSize, &count));
  ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(file));
  std::vector<unsigned> addresses;
  for (int i = 0; i < 1500; ++i) {
    Rec x = makeRec(i, "n");
    unsigned a = 0;
    ASSERT_EQ(ISAM_OK, ISAMInsertRecord(table, x.bytes, &a));
    addresses.push_back(a);
  }
  std::vector<int> expected;
  for (int i = 0; i < 1500; ++i) {
    if (i % 3 == 0 || (i >= 200 && i < 400) || i == 1499)
      ASSERT_EQ(ISAM_OK, ISAMDeleteRecord(table, addresses[size_t(i)]));
    else
      expected.push_back(i);
  }
  ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(file));
  for (unsigned per : {1u, 2u, 77u, 5000u}) {
    SCOPED_TRACE(per);
    std::vector<unsigned char> buffer(per * kRecSize + kRecSize / 2);
    std::vector<int> seen;
    address = 0;
    unsigned e;
    while ((e = ISAMReadRecords(table, &address, buffer.data(), unsigned(buffer.size()), &count)) == ISAM_OK) {
      EXPECT_GE(count, 1u);
      EXPECT_LE(count, per);
      for (unsigned i = 0; i < count; ++i) seen.push_back(recNumber(&buffer[i * kRecSize]));
    }
    EXPECT_EQ(ISAM_END_OF_ITERATION, e);
    EXPECT_EQ(ISAM_END_OF_ITERATION, ISAMReadRecords(table, &address, buffer.data(), unsigned(buffer.size()), &count));
    EXPECT_EQ(expected, seen);  // inserted in this order into fresh slots
  }
  address = 0;
  EXPECT_EQ(ISAM_ERR_BUFFER, ISAMReadRecords(table, &address, r.bytes, kRecSize - 1, &count));
  EXPECT_EQ(ISAM_ERR_ARGUMENT, ISAMReadRecords(table, nullptr, r.bytes, kRecSize, &count));
  address = 0xFFFFFFF0u;
  EXPECT_EQ(ISAM_END_OF_ITERATION, ISAMReadRecords(table, &address, r.bytes, kRecSize, &count));
}

}  // namespace
