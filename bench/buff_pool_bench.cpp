// Nanoseconds per CZTBuffPool::alloc and freeRec, against calloc and free of the
// same sizes in the same order (the peer), in one run, in CPU time:
//  1. 1,000,000 allocs, then frees of all of them in random order;
//  2. one free and one alloc in a pool of 10, 1,000 and 100,000 full blocks,
//     of a record of the last block (the far end of the list) and of a record
//     at a random place: the pool's own work must not grow with the block
//     count (at a random place the cache misses grow for calloc too).
//
//   cmake --preset native-release && cmake --build --preset native-release --target buff_pool_bench
//   build/native-release/bin/buff_pool_bench
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <random>
#include <vector>

#include "zt_tbl32.h"

namespace {

// CPU time of the process: the machine is shared, and time spent waiting for a
// processor is not the pool's.
struct Clock {
  using time_point = double;
  static double now() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e9 + t.tv_nsec;
  }
};

double NsSince(double start, double operations) { return (Clock::now() - start) / operations; }

// Case 1 for the pool: ns per operation over the allocs and the frees.
double PoolAllocThenFree(unsigned recordSize, unsigned count, const std::vector<unsigned>& order) {
  std::vector<void*> records(count);
  CZTBuffPool pool(recordSize);
  const auto start = Clock::now();
  for (unsigned i = 0; i < count; ++i) records[i] = pool.alloc();
  for (unsigned i : order) pool.freeRec(records[i]);
  const double ns = NsSince(start, 2.0 * count);
  if (pool.BlockCount() != 0) {
    printf("pool not empty after the frees\n");
    exit(1);
  }
  return ns;
}

double HeapAllocThenFree(unsigned recordSize, unsigned count, const std::vector<unsigned>& order) {
  std::vector<void*> records(count);
  const auto start = Clock::now();
  for (unsigned i = 0; i < count; ++i) records[i] = calloc(1, recordSize);
  for (unsigned i : order) free(records[i]);
  return NsSince(start, 2.0 * count);
}

// Case 2: a pool of full blocks; each step frees a record (the last block's
// when lastBlock is set, else a random one) and allocs again, which takes the
// freed slot back.
double PoolSteady(unsigned recordSize, unsigned blocks, unsigned steps, bool lastBlock) {
  CZTBuffPool pool(recordSize);
  std::vector<void*> records(static_cast<size_t>(blocks) * 64);
  for (auto& r : records) r = pool.alloc();
  std::mt19937 random(11);
  const auto start = Clock::now();
  for (unsigned s = 0; s < steps; ++s) {
    const size_t pick = lastBlock ? records.size() - 1 - (s & 63) : random() % records.size();
    pool.freeRec(records[pick]);
    records[pick] = pool.alloc();
  }
  return NsSince(start, 2.0 * steps);
}

double HeapSteady(unsigned recordSize, unsigned blocks, unsigned steps, bool lastBlock) {
  std::vector<void*> records(static_cast<size_t>(blocks) * 64);
  for (auto& r : records) r = calloc(1, recordSize);
  std::mt19937 random(11);
  const auto start = Clock::now();
  for (unsigned s = 0; s < steps; ++s) {
    const size_t pick = lastBlock ? records.size() - 1 - (s & 63) : random() % records.size();
    free(records[pick]);
    records[pick] = calloc(1, recordSize);
  }
  const double ns = NsSince(start, 2.0 * steps);
  for (void* r : records) free(r);
  return ns;
}

template <class F>
double Best(F run) {
  double best = 1e30;
  for (int i = 0; i < 5; ++i) best = std::min(best, run());
  return best;
}

}  // namespace

int main() {
  constexpr unsigned kCount = 1000000;
  std::vector<unsigned> order(kCount);
  for (unsigned i = 0; i < kCount; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(5));

  printf("1,000,000 allocs, then frees in random order (ns per operation, best of 5)\n");
  printf("%-12s %12s %12s %8s\n", "record size", "CZTBuffPool", "calloc/free", "ratio");
  for (unsigned size : {16u, 64u, 296u}) {
    const double pool = Best([&] { return PoolAllocThenFree(size, kCount, order); });
    const double heap = Best([&] { return HeapAllocThenFree(size, kCount, order); });
    printf("%-12u %12.1f %12.1f %8.2f\n", size, pool, heap, pool / heap);
  }

  printf("\nOne free and one alloc in a pool of full blocks, 16-byte records (ns per operation)\n");
  printf("%-12s %-12s %12s %12s %8s\n", "record", "blocks", "CZTBuffPool", "calloc/free", "ratio");
  for (bool lastBlock : {true, false}) {
    for (unsigned blocks : {10u, 1000u, 100000u}) {
      const double pool = Best([&] { return PoolSteady(16, blocks, 1000000, lastBlock); });
      const double heap = Best([&] { return HeapSteady(16, blocks, 1000000, lastBlock); });
      printf("%-12s %-12u %12.1f %12.1f %8.2f\n", lastBlock ? "last block" : "random", blocks, pool, heap, pool / heap);
    }
  }
  return 0;
}
