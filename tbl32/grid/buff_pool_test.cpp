#include "zt_tbl32/buff_pool.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "buff_pool_test_support.h"
#include "model_test_support.h"

namespace {

using zt_test::BoxRecorder;
using zt_test::LogCapture;

constexpr unsigned kRecSize = 24;

unsigned char* At(void* p, unsigned offset = 0) { return static_cast<unsigned char*>(p) + offset; }

bool IsZero(const void* p, unsigned size) {
  const auto* b = static_cast<const unsigned char*>(p);
  return std::all_of(b, b + size, [](unsigned char c) { return c == 0; });
}

// The pool with its renumbering point lowered, so that tests reach it.
class NumberedPool : public CZTBuffPool {
 public:
  NumberedPool(unsigned recordSize, unsigned orderLimit) : CZTBuffPool(recordSize) { m_uOrderLimit = orderLimit; }
};

// The pool as a list of blocks walked one by one: what alloc and freeRec must do.
struct ModelBlock {
  unsigned char* records;
  unsigned long long used;
};

class PoolModel {
 public:
  explicit PoolModel(unsigned recordSize) : m_size(recordSize) {}

  // The address alloc must give, or null when a new block is due.
  unsigned char* Next(unsigned* block, unsigned* index) const {
    for (unsigned b = 0; b < m_blocks.size(); ++b) {
      if (m_blocks[b].used == ~0ull) continue;
      *block = b;
      *index = static_cast<unsigned>(__builtin_ctzll(~m_blocks[b].used));
      return m_blocks[b].records + *index * m_size;
    }
    return nullptr;
  }
  void Take(unsigned block, unsigned index) { m_blocks[block].used |= 1ull << index; }
  void Append(unsigned char* records) { m_blocks.push_back({records, 1}); }
  void Free(unsigned char* record) {
    for (unsigned b = 0; b < m_blocks.size(); ++b) {
      const ptrdiff_t offset = record - m_blocks[b].records;
      if (offset < 0 || offset >= static_cast<ptrdiff_t>(64 * m_size)) continue;
      m_blocks[b].used &= ~(1ull << (offset / m_size));
      if (m_blocks[b].used == 0) m_blocks.erase(m_blocks.begin() + b);
      return;
    }
    FAIL() << "freed a record the model does not hold";
  }
  const std::vector<ModelBlock>& Blocks() const { return m_blocks; }

 private:
  unsigned m_size;
  std::vector<ModelBlock> m_blocks;
};

// The pool's list, bitmaps, getRec and copy against the model.
void ExpectSameAs(CZTBuffPool& pool, const PoolModel& model) {
  const auto& blocks = model.Blocks();
  ASSERT_EQ(pool.BlockCount(), blocks.size());
  const SZTPoolBlock* prev = nullptr;
  const SZTPoolBlock* block = pool.m_pFirst;
  for (unsigned b = 0; b < blocks.size(); ++b, prev = block, block = block->pNext) {
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(block->pPrev, prev);
    ASSERT_EQ(pool.Record(block, 0), blocks[b].records) << "block " << b;
    ASSERT_EQ(block->dwUseLow, static_cast<DWORD>(blocks[b].used)) << "block " << b;
    ASSERT_EQ(block->dwUseHigh, static_cast<DWORD>(blocks[b].used >> 32)) << "block " << b;
  }
  ASSERT_EQ(block, nullptr);
  ASSERT_EQ(pool.m_pLast, prev);
  if (!blocks.empty()) {
    const unsigned last = static_cast<unsigned>(blocks.size()) * 64 - 1;
    EXPECT_EQ(pool.getRec(last), blocks.back().records + 63 * pool.m_uRecSize);
    EXPECT_EQ(pool.getRec(last / 2), blocks[last / 2 / 64].records + (last / 2 % 64) * pool.m_uRecSize);
    EXPECT_EQ(pool.getRec(last + 1), nullptr);
  }
}

// Runs alloc and freeRec at random (the share of frees drifting between
// phases of growth and shrinking) and checks every address against the model.
void RandomRun(CZTBuffPool& pool, unsigned steps, unsigned seed) {
  PoolModel model(pool.m_uRecSize);
  std::mt19937 random(seed);
  std::vector<unsigned char*> live;
  for (unsigned step = 0; step < steps; ++step) {
    const unsigned phase = (step / 2000) % 3;  // grow, shrink, hover
    const unsigned freeShare = phase == 0 ? 25 : phase == 1 ? 75 : 50;
    if (!live.empty() && random() % 100 < freeShare) {
      const size_t pick = random() % live.size();
      unsigned char* record = live[pick];
      live[pick] = live.back();
      live.pop_back();
      pool.freeRec(record);
      model.Free(record);
    } else {
      unsigned block = 0, index = 0;
      unsigned char* expected = model.Next(&block, &index);
      auto* record = static_cast<unsigned char*>(pool.alloc());
      ASSERT_NE(record, nullptr);
      ASSERT_TRUE(IsZero(record, pool.m_uRecSize)) << "step " << step;
      if (expected) {
        ASSERT_EQ(record, expected) << "step " << step;
        model.Take(block, index);
      } else {
        model.Append(record);
      }
      memset(record, 0xA5, pool.m_uRecSize);  // caught if a later freeRec or alloc reuses it wrongly
      live.push_back(record);
    }
    if (step % 97 == 0) ExpectSameAs(pool, model);
    if (::testing::Test::HasFatalFailure()) return;
  }
  ExpectSameAs(pool, model);
  for (unsigned char* record : live) {
    ASSERT_EQ(record[0], 0xA5);
    pool.freeRec(record);
    model.Free(record);
  }
  ExpectSameAs(pool, model);
  EXPECT_EQ(pool.m_pFirst, nullptr);
}

TEST(BuffPool, NewBlocksAndReusedSlots) {
  CZTBuffPool pool(kRecSize);
  EXPECT_EQ(pool.m_uRecsPerBlock, 64u);
  EXPECT_EQ(pool.m_uBlockSize, sizeof(SZTPoolBlock) + 64 * kRecSize + 4);
  EXPECT_EQ(pool.m_ullFullMask, ~0ull);
  std::vector<void*> records;
  for (unsigned i = 0; i < 64; ++i) records.push_back(pool.alloc());
  EXPECT_EQ(pool.BlockCount(), 1u);
  for (unsigned i = 0; i < 64; ++i) EXPECT_EQ(records[i], pool.getRec(i));
  records.push_back(pool.alloc());  // the 65th starts a second block
  EXPECT_EQ(pool.BlockCount(), 2u);
  EXPECT_EQ(records[64], pool.getRec(64));
  EXPECT_EQ(pool.m_pLast->pPrev, pool.m_pFirst);

  // A freed slot of the first block is taken again before the second block's.
  memset(records[17], 0x5A, kRecSize);
  pool.freeRec(records[17]);
  EXPECT_TRUE(IsZero(records[17], kRecSize));
  EXPECT_EQ(pool.m_pFirst->dwUseLow, ~(1u << 17));
  void* again = pool.alloc();
  EXPECT_EQ(again, records[17]);
  EXPECT_TRUE(IsZero(again, kRecSize));
  // Two free slots: the lower one first, in the first block of the list.
  pool.freeRec(records[40]);
  pool.freeRec(records[3]);
  EXPECT_EQ(pool.alloc(), records[3]);
  EXPECT_EQ(pool.alloc(), records[40]);
  EXPECT_EQ(pool.alloc(), At(records[64], kRecSize));
}

TEST(BuffPool, EmptiedBlockIsFreedAndPositionsShift) {
  CZTBuffPool pool(kRecSize);
  std::vector<void*> records;
  for (unsigned i = 0; i < 3 * 64; ++i) records.push_back(pool.alloc());
  for (unsigned i = 0; i < 64; ++i) *At(records[128 + i]) = static_cast<unsigned char>(i + 1);
  // Empty the middle block: it leaves the list and the third block's records
  // move down to positions 64-127.
  for (unsigned i = 64; i < 128; ++i) pool.freeRec(records[i]);
  EXPECT_EQ(pool.BlockCount(), 2u);
  EXPECT_EQ(pool.m_pFirst->pNext, pool.m_pLast);
  EXPECT_EQ(pool.m_pLast->pPrev, pool.m_pFirst);
  EXPECT_EQ(pool.getRec(64), records[128]);
  EXPECT_EQ(pool.getRec(127), records[191]);
  EXPECT_EQ(pool.getRec(128), nullptr);
  // The first and last blocks emptied: the list ends are set again.
  for (unsigned i = 0; i < 64; ++i) pool.freeRec(records[i]);
  EXPECT_EQ(pool.m_pFirst, pool.m_pLast);
  EXPECT_EQ(pool.m_pFirst->pPrev, nullptr);
  for (unsigned i = 128; i < 192; ++i) pool.freeRec(records[i]);
  EXPECT_EQ(pool.m_pFirst, nullptr);
  EXPECT_EQ(pool.m_pLast, nullptr);
  EXPECT_EQ(pool.getRec(0), nullptr);
  EXPECT_NE(pool.alloc(), nullptr);  // and the pool starts over
}

TEST(BuffPool, CopyGoesBlockByBlockAndStopsAtTheEnd) {
  CZTBuffPool pool(4);
  std::vector<unsigned*> records;
  for (unsigned i = 0; i < 100; ++i) {
    records.push_back(static_cast<unsigned*>(pool.alloc()));
    *records.back() = i + 1;
  }
  pool.freeRec(records[10]);  // a hole is copied as it is: zero
  std::vector<unsigned> out(200, 0xEEEEEEEE);
  pool.copy(out.data(), 70);
  EXPECT_EQ(out[0], 1u);
  EXPECT_EQ(out[10], 0u);
  EXPECT_EQ(out[69], 70u);
  EXPECT_EQ(out[70], 0xEEEEEEEEu);
  // More than the pool holds: both blocks whole (the second one's unused tail zero).
  std::fill(out.begin(), out.end(), 0xEEEEEEEE);
  pool.copy(out.data(), 200);
  EXPECT_EQ(out[99], 100u);
  EXPECT_EQ(out[127], 0u);
  EXPECT_EQ(out[128], 0xEEEEEEEEu);
  pool.copy(nullptr, 5);
}

TEST(BuffPool, AddressesThatAreNoRecordsAreRefused) {
  LogCapture log("buff_pool_test.log");
  BoxRecorder boxes;
  CZTBuffPool pool(kRecSize);
  std::vector<void*> records;
  for (unsigned i = 0; i < 64; ++i) records.push_back(pool.alloc());  // one block
  const DWORD low = pool.m_pFirst->dwUseLow, high = pool.m_pFirst->dwUseHigh;

  // Between two records: 210; outside every record area: 211. None changes a bit.
  pool.freeRec(At(records[5], 1));
  pool.freeRec(At(records[63], kRecSize));           // just past the record area
  pool.freeRec(At(records[63], kRecSize + 4));       // a whole block size past it
  pool.freeRec(At(records[63], pool.m_uBlockSize));  // (the old bound let these through)
  pool.freeRec(At(records[0], 0) - 4);               // inside the block's head
  int local = 0;
  pool.freeRec(&local);
  pool.freeRec(nullptr);
  EXPECT_EQ(pool.m_pFirst->dwUseLow, low);
  EXPECT_EQ(pool.m_pFirst->dwUseHigh, high);
  EXPECT_EQ(pool.BlockCount(), 1u);
  const std::vector<unsigned> codes = {210, 211, 211, 211, 211, 211, 211};
  EXPECT_EQ(boxes.Codes(), codes);
  const std::string all = log.All();
  EXPECT_NE(all.find("0 CZTBPool: Record 0x"), std::string::npos);
  EXPECT_NE(all.find(" no legal pool buffer"), std::string::npos);
  EXPECT_NE(all.find(" not found in buffer pool"), std::string::npos);
}

TEST(BuffPool, RandomAllocAndFreeMatchTheListWalk) {
  for (unsigned recordSize : {1u, 24u, 300u}) {
    SCOPED_TRACE(recordSize);
    CZTBuffPool pool(recordSize);
    RandomRun(pool, 30000, 1234 + recordSize);
    if (HasFatalFailure()) return;
    // Reused after emptying, and after free() with records still out.
    for (unsigned i = 0; i < 1000; ++i) pool.alloc();
    pool.free();
    EXPECT_EQ(pool.BlockCount(), 0u);
    RandomRun(pool, 5000, 99);
  }
}

TEST(BuffPool, RenumberingKeepsTheListOrder) {
  // Blocks are renumbered each time 40 numbers have been given out.
  NumberedPool pool(16, 40);
  RandomRun(pool, 30000, 4321);
}

TEST(BuffPool, FailedAllocLeavesTheRecordsIntact) {
  LogCapture log("buff_pool_test.log");
  BoxRecorder boxes;
  auto heap = std::make_unique<zt_test::FailingPoolHeap>();
  CZTBuffPool pool(8);
  std::vector<unsigned char*> records;
  // Each new block is refused three times: at the block itself, at the next
  // heap call and at the one after (the heap grows at 17 and 33 blocks, the
  // address index at 5, 9, 17 and 33), then given.
  unsigned refused = 0;
  while (records.size() < 3000) {
    const bool newBlock = records.size() % 64 == 0;
    heap->FailAfter(newBlock && refused < 3 ? refused : ~0u);
    auto* record = static_cast<unsigned char*>(pool.alloc());
    if (!record) {
      ASSERT_TRUE(newBlock);
      ++refused;
      continue;
    }
    refused = 0;
    *record = static_cast<unsigned char>(records.size() + 1);
    records.push_back(record);
  }
  heap.reset();
  EXPECT_FALSE(boxes.boxes.empty());
  for (const auto& box : boxes.boxes) EXPECT_EQ(box.code, 200u);
  EXPECT_NE(log.All().find("0 CZTBPool: Not enough free memory to allocate a buffer pool record"), std::string::npos);
  for (unsigned i = 0; i < records.size(); ++i) ASSERT_EQ(*records[i], static_cast<unsigned char>(i + 1)) << i;
  for (unsigned i = 0; i < records.size(); ++i) ASSERT_EQ(pool.getRec(i), records[i]) << i;
  for (unsigned char* record : records) pool.freeRec(record);
  EXPECT_EQ(pool.BlockCount(), 0u);
}

TEST(BuffPool, RecordSizesWithoutBlocksFail) {
  BoxRecorder boxes;
  CZTBuffPool empty(0), huge(0x40000000u);
  EXPECT_EQ(empty.alloc(), nullptr);
  EXPECT_EQ(huge.alloc(), nullptr);
  EXPECT_EQ(boxes.Codes(), (std::vector<unsigned>{200, 200}));
  empty.freeRec(&boxes);  // no block: refused, never divided by the record size
  EXPECT_EQ(boxes.Codes().back(), 211u);
}

}  // namespace
