#include <string.h>

#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"
#include "zt_tbl32/desc_errors.h"
#include "zt_tbl32/rec_cache.h"

using zt_test::LogCapture;

namespace {

// The replacement rules of the cache, kept as plainly as they can be written.
struct CacheModel {
  struct Rec {
    unsigned lastUse = 0, line = kZTCacheNone, address = 0;
    int buffer = -1;  // slot holding the data
  };
  std::vector<Rec> recs = std::vector<Rec>(kZTCacheRecords);
  std::vector<int> owners = std::vector<int>(kZTCacheBuffers, -1);
  unsigned counter = 0;

  int Find(unsigned line) {
    for (unsigned i = 0; i < recs.size(); ++i)
      if (recs[i].line == line) {
        recs[i].lastUse = counter++;
        return int(i);
      }
    return -1;
  }
  int FreeRecord() const {
    int oldest = 0;
    for (unsigned i = 0; i < recs.size(); ++i) {
      if (recs[i].line == kZTCacheNone) return int(i);
      if (recs[i].lastUse < recs[oldest].lastUse) oldest = int(i);
    }
    return oldest;
  }
  int FreeBuffer(int record) {
    int slot = -1;
    for (unsigned k = 0; k < owners.size() && slot < 0; ++k)
      if (owners[k] < 0) slot = int(k);
    if (slot < 0) {
      slot = 0;
      for (unsigned k = 1; k < owners.size(); ++k)
        if (recs[owners[k]].lastUse < recs[owners[slot]].lastUse) slot = int(k);
      recs[owners[slot]].buffer = -1;
    }
    owners[slot] = record;
    return slot;
  }
  void Save(unsigned line, unsigned address) {
    int i = Find(line);
    if (i < 0) i = FreeRecord();
    if (recs[i].buffer < 0) recs[i].buffer = FreeBuffer(i);
    recs[i].line = line;
    recs[i].lastUse = counter++;
    recs[i].address = address;
  }
  // The nearest line: the smallest distance, the first record on ties.
  int Nearest(unsigned line) const {
    int best = -1;
    unsigned bestDistance = 0;
    for (unsigned i = 0; i < recs.size(); ++i) {
      if (recs[i].line == kZTCacheNone) continue;
      const unsigned d = recs[i].line > line ? recs[i].line - line : line - recs[i].line;
      if (best < 0 || d < bestDistance) {
        best = int(i);
        bestDistance = d;
      }
    }
    return best;
  }
  // A hit on a line whose data was given away takes a buffer again.
  void Hit(unsigned line) {
    int i = Find(line);
    if (i >= 0 && recs[i].buffer < 0) recs[i].buffer = FreeBuffer(i);
  }
};

// The cache after a hit, as the browser uses it: data given back when missing.
void CacheHit(CZTRecCache& cache, unsigned line) {
  unsigned i = cache.FindLine(line);
  if (i == kZTCacheNone || cache.GetRecord(i)->pData) return;
  BYTE* buffer = cache.FindFreeBuffer(i);
  ASSERT_NE(buffer, nullptr);
  memcpy(buffer, &line, sizeof(line));
  cache.GetRecord(i)->pData = buffer;
}

void ExpectSame(const CZTRecCache& cache, const CacheModel& model, int step) {
  for (unsigned i = 0; i < kZTCacheRecords; ++i) {
    const SCacheRecord& r = cache.m_Records[i];
    const CacheModel::Rec& m = model.recs[i];
    ASSERT_EQ(r.uLine, m.line) << "record " << i << " step " << step;
    if (m.line == kZTCacheNone) continue;
    ASSERT_EQ(r.uLastUse, m.lastUse) << "record " << i << " step " << step;
    ASSERT_EQ(r.uAddress, m.address) << "record " << i << " step " << step;
    ASSERT_EQ(r.pData != nullptr, m.buffer >= 0) << "record " << i << " step " << step;
    if (r.pData) {
      ASSERT_EQ(r.pData, cache.m_pBuffers + m.buffer * sizeof(unsigned)) << "record " << i << " step " << step;
      unsigned held = 0;
      memcpy(&held, r.pData, sizeof(held));
      ASSERT_EQ(held, r.uLine) << "record " << i << " step " << step;  // a buffer holds its own line's data
    }
  }
}

TEST(RecCache, ReplacesLikeTheModelOverRandomLines) {
  CZTRecCache cache;
  ASSERT_EQ(cache.InitCache(sizeof(unsigned)), 1);
  CacheModel model;
  std::mt19937 rng(20240517);
  for (int step = 0; step < 12000; ++step) {
    // Lines cluster like scrolling does, with jumps now and then.
    static unsigned at = 0;
    at = rng() % 8 == 0 ? rng() % 3000 : (at + rng() % 7) % 3000;
    if (rng() % 3) {
      const unsigned address = at * 16 + 1;
      ASSERT_EQ(cache.SaveRecord(reinterpret_cast<const BYTE*>(&at), address, at), 1);
      model.Save(at, address);
    } else {
      CacheHit(cache, at);
      model.Hit(at);
    }
    const unsigned probe = rng() % 3100;
    unsigned nearest = 0, record = 0;
    const int want = model.Nearest(probe);
    ASSERT_EQ(cache.FindNearestLine(probe, &nearest, &record), want >= 0 ? 1 : 0);
    if (want >= 0) {
      ASSERT_EQ(record, unsigned(want)) << "step " << step << " line " << probe;
    }
    if (step % 97 == 0) ExpectSame(cache, model, step);
  }
  ExpectSame(cache, model, -1);
  EXPECT_EQ(cache.m_uUseCounter, model.counter);
}

TEST(RecCache, LookupsAtTheEdges) {
  CZTRecCache cache;
  EXPECT_EQ(cache.FindFreeBuffer(0), nullptr);  // not initialised
  ASSERT_EQ(cache.InitCache(4), 1);
  unsigned nearest = 0, record = 0;
  EXPECT_EQ(cache.FindNearestLine(5, &nearest, &record), 0);
  EXPECT_EQ(cache.GetRecord(kZTCacheRecords), nullptr);
  EXPECT_EQ(cache.FindRecord(3), nullptr);
  const BYTE data[4] = {1, 2, 3, 4};
  ASSERT_EQ(cache.SaveRecord(data, 77, 10), 1);
  ASSERT_EQ(cache.SaveRecord(data, 88, 20), 1);
  // Equally far from 10 and 20: the first in record order.
  ASSERT_EQ(cache.FindNearestLine(15, &nearest, &record), 1);
  EXPECT_EQ(nearest, 10u);
  EXPECT_EQ(record, 0u);
  ASSERT_EQ(cache.FindNearestLine(16, &nearest, &record), 1);
  EXPECT_EQ(nearest, 20u);
  ASSERT_NE(cache.FindRecord(20), nullptr);
  EXPECT_EQ(cache.FindRecord(20)->uAddress, 88u);
  cache.InvalidateCache();
  EXPECT_EQ(cache.FindNearestLine(15, &nearest, &record), 0);
  EXPECT_EQ(cache.m_uBufferBytes, 4 * kZTCacheBuffers);
}

TEST(RecCache, TheUseCounterRunningOverKeepsTheOrder) {
  CZTRecCache cache;
  ASSERT_EQ(cache.InitCache(sizeof(unsigned)), 1);
  for (unsigned line = 0; line < kZTCacheRecords; ++line)
    ASSERT_EQ(cache.SaveRecord(reinterpret_cast<const BYTE*>(&line), line, line), 1);
  // The counter near its end: lines used from now on run over it.
  cache.m_uUseCounter = 0xFFFFFFF0u;
  for (unsigned line = 0; line < 40; ++line) {
    if (line != 5) {
      ASSERT_NE(cache.FindLine(line), kZTCacheNone);
    }
  }
  EXPECT_LT(cache.m_uUseCounter, 0x10000u);
  // Line 5 and those after 40 were not used since: 5 is the oldest.
  EXPECT_EQ(cache.FindFreeRecord(), 5u);
  const unsigned line = 5000;
  ASSERT_EQ(cache.SaveRecord(reinterpret_cast<const BYTE*>(&line), 1, line), 1);
  EXPECT_EQ(cache.m_Records[5].uLine, line);
  EXPECT_EQ(cache.FindRecord(5), nullptr);
  EXPECT_EQ(cache.FindFreeRecord(), 40u);
  unsigned nearest = 0, record = 0;
  ASSERT_EQ(cache.FindNearestLine(5, &nearest, &record), 1);  // 4 and 6: the first in record order
  EXPECT_EQ(nearest, 4u);
}

TEST(RecCache, MissingMemoryIsReported) {
  BoxRecorder boxes;
  LogCapture log("rec_cache_test.log");
  CZTRecCache cache;
  EXPECT_EQ(cache.InitCache(0x7FFFFFFFu), 0);
  EXPECT_EQ(cache.m_uBufferBytes, 0u);
  ASSERT_EQ(boxes.Codes(), std::vector<unsigned>{ZT_ERR_CACHE_MEMORY});
  EXPECT_NE(log.All().find("0 CZTRecCache: Not enough free memory for 64 cache recs a 2147483647 bytes"),
            std::string::npos);
  const BYTE data[1] = {0};
  EXPECT_EQ(cache.SaveRecord(data, 1, 0), 0);
}

}  // namespace
