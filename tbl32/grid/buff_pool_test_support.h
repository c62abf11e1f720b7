// Test support: every buffer pool's heap calls failing from a given call on.
#pragma once

#include <stdlib.h>

#include "zt_tbl32/buff_pool.h"

namespace zt_test {

// While it exists the pools allocate through it; after the given number of
// calls every further call fails.
class FailingPoolHeap {
 public:
  explicit FailingPoolHeap(unsigned calls = ~0u) {
    s_left = calls;
    ztSetBuffPoolHeap(Allocate, nullptr);
  }
  ~FailingPoolHeap() { ztSetBuffPoolHeap(nullptr, nullptr); }
  FailingPoolHeap(const FailingPoolHeap&) = delete;
  FailingPoolHeap& operator=(const FailingPoolHeap&) = delete;

  void FailAfter(unsigned calls) { s_left = calls; }

 private:
  static void* Allocate(size_t count, size_t size) {
    if (s_left == 0) return nullptr;
    --s_left;
    return calloc(count, size);
  }
  static inline unsigned s_left = ~0u;
};

}  // namespace zt_test
