// Random inserts, updates, deletes, transactions and iterations checked against
// an in-memory model, with the integrity check after every batch and after
// reopening the file.
#include <algorithm>
#include <map>
#include <random>

#include "isam_memory_io.h"
#include "isam_test_util.h"
#include "zt_lib32/strings.h"

using namespace isamtest;

namespace {

// Record: name[20] (text key, duplicates), number (INT32, unique), tag[4]
// (text ignoring case, blank tags left out), payload.
struct Model {
  std::map<unsigned, Rec> records;

  static int cmpKey(unsigned index, const Rec& a, const Rec& b) {
    if (index == 0) return memcmp(a.bytes, b.bytes, 20);
    if (index == 1) {
      int x = recNumber(a.bytes), y = recNumber(b.bytes);
      return x < y ? -1 : x > y ? 1 : 0;
    }
    for (int i = 24; i < 28; ++i) {
      int x = ztToLower(a.bytes[i]), y = ztToLower(b.bytes[i]);
      if (x != y) return x - y;
    }
    return 0;
  }
  static bool blankTag(const Rec& r) {
    for (int i = 24; i < 28; ++i)
      if (r.bytes[i] != ' ' && r.bytes[i] != 0) return false;
    return true;
  }
  // Addresses in index order between optional limit records (inclusive).
  std::vector<unsigned> ordered(unsigned index, bool backward, const Rec* low, const Rec* high) const {
    std::vector<std::pair<const Rec*, unsigned>> v;
    for (auto& kv : records) {
      if (index == 2 && blankTag(kv.second)) continue;
      if (low && cmpKey(index, kv.second, *low) < 0) continue;
      if (high && cmpKey(index, kv.second, *high) > 0) continue;
      v.emplace_back(&kv.second, kv.first);
    }
    std::sort(v.begin(), v.end(),
              [&](const std::pair<const Rec*, unsigned>& a, const std::pair<const Rec*, unsigned>& b) {
                int c = cmpKey(index, *a.first, *b.first);
                return c != 0 ? c < 0 : a.second < b.second;
              });
    std::vector<unsigned> out;
    for (auto& p : v) out.push_back(p.second);
    if (backward) std::reverse(out.begin(), out.end());
    return out;
  }
  bool numberTaken(int n, unsigned except) const {
    for (auto& kv : records)
      if (kv.first != except && recNumber(kv.second.bytes) == n) return true;
    return false;
  }
};

Rec randomRec(std::mt19937& rng) {
  static const char* names[] = {"Anna", "Bert", "Carla", "dora", "Emil", "Zoe", "anna"};
  static const char* tags[] = {"", "    ", "ab", "AB", "xyz", "Q"};
  Rec r = makeRec(int(rng() % 5000) - 2500, names[rng() % 7]);
  memset(r.bytes + 24, ' ', 4);
  const char* t = tags[rng() % 6];
  memcpy(r.bytes + 24, t, strlen(t));
  if (rng() % 10 == 0) memset(r.bytes + 24, 0, 4);
  for (int i = 28; i < 40; ++i) r.bytes[i] = uint8_t(rng());
  return r;
}

// The key bytes of a record as a limit for an index.
std::vector<unsigned char> limitOf(unsigned index, const Rec& r) {
  if (index == 0) return std::vector<unsigned char>(r.bytes, r.bytes + 20);
  if (index == 1) return std::vector<unsigned char>(r.bytes + 20, r.bytes + 24);
  return std::vector<unsigned char>(r.bytes + 24, r.bytes + 28);
}

// The model runs on the in-memory file system: thousands of commits need no disk.
void runModel(unsigned seed, int steps, unsigned nodeSize) {
  CIsamMemoryIo memory;
  CIsamIo* previous = ztIsamSetIo(&memory);
  std::string name = "model.isa";
  ISAMFILE file = nullptr;
  ISAMTABLE table = nullptr;
  unsigned ext = 0;
  ASSERT_EQ(ISAM_OK, ISAMCreate(&file, name.c_str(), &ext));
  ISAMIDT idt[3] = {keyPart(ISAM_KEY_TEXT, 0, 20), keyPart(ISAM_KEY_INT32, 20, 4, true),
                    keyPart(ISAM_KEY_ITEXT, 24, 4)};
  idt[2].options[ISAM_OPT_SKIP_BLANK] = 1;
  ASSERT_EQ(ISAM_OK, ISAMCreateTable(file, "T", idt, 3, kRecSize, nodeSize));
  ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "T", &table));
  ASSERT_EQ(ISAM_OK, ISAMSetCacheSize(file, 1u << 20));
  std::mt19937 rng(seed);
  Model model, saved;
  bool inTx = false;
  auto pick = [&]() {
    auto it = model.records.begin();
    std::advance(it, long(rng() % model.records.size()));
    return it->first;
  };
  for (int step = 1; step <= steps; ++step) {
    unsigned op = rng() % 100;
    if (op < 40 || model.records.size() < 5) {
      Rec r = randomRec(rng);
      unsigned a = 0;
      unsigned e = ISAMInsertRecord(table, r.bytes, &a);
      if (model.numberTaken(recNumber(r.bytes), 0)) {
        ASSERT_EQ(ISAM_ERR_DUPLICATE, e) << step;
      } else {
        ASSERT_EQ(ISAM_OK, e) << step;
        ASSERT_EQ(0u, model.records.count(a)) << step;
        model.records[a] = r;
      }
    } else if (op < 60) {
      unsigned a = pick();
      Rec r = randomRec(rng);
      if (rng() % 2) memcpy(r.bytes + 20, model.records[a].bytes + 20, 4);  // keep the number
      unsigned e = ISAMUpdateRecord(table, a, r.bytes);
      if (model.numberTaken(recNumber(r.bytes), a)) {
        ASSERT_EQ(ISAM_ERR_DUPLICATE, e) << step;
      } else {
        ASSERT_EQ(ISAM_OK, e) << step;
        model.records[a] = r;
      }
    } else if (op < 80) {
      unsigned a = pick();
      ASSERT_EQ(ISAM_OK, ISAMDeleteRecord(table, a)) << step;
      model.records.erase(a);
    } else if (op < 86) {
      // A position by its number: the entries from there on in either direction.
      unsigned index = rng() % 3;
      bool backward = rng() % 2;
      const std::vector<unsigned> all = model.ordered(index, false, nullptr, nullptr);
      const unsigned n = unsigned(rng() % (all.size() + 3));
      ASSERT_EQ(ISAM_OK, ISAMSetupIterationEntry(table, index, backward ? 16 : 0, n)) << step;
      std::vector<unsigned> want, got;
      for (unsigned k = 0; k < 6 && n < all.size() && (backward ? k <= n : n + k < all.size()); ++k)
        want.push_back(all[backward ? n - k : n + k]);
      unsigned a = 0, e = ISAM_OK;
      Rec r;
      while (got.size() < want.size() && (e = ISAMReadNextRecord(table, index, r.bytes, &a, nullptr)) == ISAM_OK)
        got.push_back(a);
      ASSERT_EQ(want, got) << "step " << step << " index " << index << " entry " << n;
      if (want.size() < 6) {
        ASSERT_EQ(unsigned(ISAM_END_OF_ITERATION), ISAMReadNextRecord(table, index, r.bytes, &a, nullptr)) << step;
      }
      // And the reverse: each record's number is its place in the index.
      for (unsigned k = 0; k < 6 && k < all.size(); ++k) {
        const unsigned place = unsigned(rng() % all.size());
        unsigned number = 0;
        ASSERT_EQ(ISAM_OK, ISAMGetEntryNumber(table, index, all[place], &number)) << step;
        ASSERT_EQ(place, number) << "step " << step << " index " << index;
      }
    } else if (op < 92) {
      unsigned index = rng() % 3;
      bool backward = rng() % 2;
      const Rec* low = nullptr;
      const Rec* high = nullptr;
      Rec lo, hi;
      if (rng() % 2) {
        lo = model.records[pick()];
        hi = model.records[pick()];
        if (Model::cmpKey(index, lo, hi) > 0) std::swap(lo, hi);
        low = &lo;
        high = &hi;
      }
      std::vector<unsigned char> lk = low ? limitOf(index, *low) : std::vector<unsigned char>();
      std::vector<unsigned char> hk = high ? limitOf(index, *high) : std::vector<unsigned char>();
      ASSERT_EQ(ISAM_OK, ISAMSetupIterationLimits(table, index, backward ? 16 : 0, low ? lk.data() : nullptr,
                                                  high ? hk.data() : nullptr));
      std::vector<unsigned> got;
      unsigned a = 0;
      Rec r;
      unsigned e;
      while ((e = ISAMReadNextRecord(table, index, r.bytes, &a, nullptr)) == ISAM_OK) {
        ASSERT_EQ(0, memcmp(r.bytes, model.records[a].bytes, kRecSize)) << step;
        got.push_back(a);
      }
      ASSERT_EQ(unsigned(ISAM_END_OF_ITERATION), e) << step;
      ASSERT_EQ(model.ordered(index, backward, low, high), got) << "step " << step << " index " << index;
    } else if (op < 96) {
      if (!inTx) {
        ASSERT_EQ(ISAM_OK, ISAMBeginTransaction(file));
        saved = model;
        inTx = true;
      } else {
        ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(file));
        inTx = false;
      }
    } else if (inTx) {
      ASSERT_EQ(ISAM_OK, ISAMRollbackTransaction(file));
      model = saved;
      inTx = false;
    }
    if (step % 500 == 0) {
      if (inTx) {
        ASSERT_EQ(ISAM_OK, ISAMCommitTransaction(file));
        inTx = false;
      }
      ASSERT_EQ("ok", check(file)) << step;
      unsigned count = 0;
      ASSERT_EQ(ISAM_OK, ISAMGetRecordCount(table, &count));
      ASSERT_EQ(model.records.size(), count);
      if (step % 1500 == 0) {
        ASSERT_EQ(ISAM_OK, ISAMClose(file, &ext));
        ASSERT_EQ(ISAM_OK, ISAMOpen(&file, name.c_str(), ISAM_OPEN_READWRITE, &ext));
        ASSERT_EQ(ISAM_OK, ISAMOpenTable(file, "T", &table));
        ASSERT_EQ(ISAM_OK, ISAMSetCacheSize(file, 1u << 20));
        ASSERT_EQ("ok", check(file)) << "after reopening at " << step;
        ASSERT_EQ(model.ordered(1, false, nullptr, nullptr), [&] {
          std::vector<unsigned> v;
          unsigned a = 0;
          ISAMSetupIterationLimits(table, 1, 0, nullptr, nullptr);
          while (ISAMReadNextRecord(table, 1, nullptr, &a, nullptr) == ISAM_OK) v.push_back(a);
          return v;
        }());
      }
    }
  }
  ASSERT_EQ(ISAM_OK, ISAMClose(file, &ext));
  ztIsamSetIo(previous);
}

TEST(IsamModel, SmallNodesManySplitsAndMerges) { runModel(1, 3000, 64); }
TEST(IsamModel, DefaultNodes) { runModel(2, 3000, 2048); }
TEST(IsamModel, TinyNodesAndLongRun) { runModel(3, 6000, 96); }

}  // namespace
