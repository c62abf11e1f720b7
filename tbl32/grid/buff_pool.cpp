#include "zt_tbl32/buff_pool.h"

#include <stdlib.h>
#include <string.h>

// alloc takes the first block in list order that has a free record, and freeRec
// finds a record's block by its address. Walking the list for either makes a
// scan of a large drive quadratic, so the pool keeps two small indexes beside
// the list: the blocks with free records in a heap ordered by their place in the
// list, and the blocks by address chunk in a hash table. The heap changes only
// when a block fills, gets a free record again, is made or is freed; the hash
// table only when a block is made or freed.
//
// Blocks are only ever appended to the list, so numbering them as they are made
// gives their list order; the numbers start again when the pool is empty and
// are renumbered in list order before they would run out.

namespace {

constexpr unsigned kRecsPerBlock = 64;
constexpr unsigned kMinChunkBits = 4;

void* (*g_allocate)(size_t, size_t) = calloc;
void (*g_release)(void*) = ::free;

inline unsigned long long UseMask(const SZTPoolBlock* block) {
  return (static_cast<unsigned long long>(block->dwUseHigh) << 32) | block->dwUseLow;
}
inline void SetUseMask(SZTPoolBlock* block, unsigned long long mask) {
  block->dwUseLow = static_cast<DWORD>(mask);
  block->dwUseHigh = static_cast<DWORD>(mask >> 32);
}

}  // namespace

void ztSetBuffPoolHeap(void* (*allocate)(size_t, size_t), void (*release)(void*)) {
  g_allocate = allocate ? allocate : calloc;
  g_release = release ? release : ::free;
}

CZTBuffPool::CZTBuffPool(unsigned recordSize)
    : m_pFirst(nullptr),
      m_pLast(nullptr),
      m_uRecSize(recordSize),
      m_uRecsPerBlock(kRecsPerBlock),
      m_uBlockSize(0),
      m_uReserved(0),
      m_ullFullMask(~0ull),
      m_uBlockCount(0),
      m_uNextOrder(0),
      m_pOpen(nullptr),
      m_uOpenCount(0),
      m_uOpenCapacity(0),
      m_pChunks(nullptr),
      m_uChunkCount(0),
      m_uChunkBits(0),
      m_uChunkShift(0),
      m_pCursor(nullptr),
      m_uCursorBlock(0),
      m_uOrderLimit(UINT32_MAX) {
  // Head, records and the slot word. A block that does not fit into 31 bits (or
  // a record size of 0) leaves the block size 0, and alloc fails.
  const unsigned long long size =
      sizeof(SZTPoolBlock) + static_cast<unsigned long long>(recordSize) * kRecsPerBlock + sizeof(unsigned);
  if (recordSize != 0 && size <= 0x7FFFFFFFull) m_uBlockSize = static_cast<unsigned>(size);
  while (m_uBlockSize && (1ull << m_uChunkShift) < m_uBlockSize) ++m_uChunkShift;
}

CZTBuffPool::~CZTBuffPool() {
  free();
  g_release(m_pOpen);
  g_release(m_pChunks);
}

inline unsigned& CZTBuffPool::SlotWord(SZTPoolBlock* block) const {
  return *reinterpret_cast<unsigned*>(reinterpret_cast<char*>(block + 1) +
                                      static_cast<size_t>(m_uRecSize) * kRecsPerBlock);
}

// ---- the heap of blocks with free records

inline void CZTBuffPool::OpenPlace(unsigned slot, const OpenEntry& entry) {
  m_pOpen[slot] = entry;
  SlotWord(entry.pBlock) = slot;
}

inline void CZTBuffPool::OpenPush(SZTPoolBlock* block, unsigned order) {
  OpenPlace(m_uOpenCount, OpenEntry{order, block});
  OpenSiftUp(m_uOpenCount++);
}

inline unsigned CZTBuffPool::OpenRemove(unsigned slot) {
  const unsigned order = m_pOpen[slot].uOrder;
  const unsigned last = --m_uOpenCount;
  if (slot != last) {
    OpenPlace(slot, m_pOpen[last]);
    if (slot > 0 && m_pOpen[(slot - 1) / 2].uOrder > m_pOpen[slot].uOrder)
      OpenSiftUp(slot);
    else
      OpenSiftDown(slot);
  }
  return order;
}

inline void CZTBuffPool::OpenSiftUp(unsigned slot) {
  const OpenEntry entry = m_pOpen[slot];
  while (slot > 0) {
    const unsigned parent = (slot - 1) / 2;
    if (m_pOpen[parent].uOrder <= entry.uOrder) break;
    OpenPlace(slot, m_pOpen[parent]);
    slot = parent;
  }
  OpenPlace(slot, entry);
}

inline void CZTBuffPool::OpenSiftDown(unsigned slot) {
  if (slot >= m_uOpenCount) return;
  const OpenEntry entry = m_pOpen[slot];
  for (;;) {
    unsigned child = 2 * slot + 1;
    if (child >= m_uOpenCount) break;
    if (child + 1 < m_uOpenCount && m_pOpen[child + 1].uOrder < m_pOpen[child].uOrder) ++child;
    if (entry.uOrder <= m_pOpen[child].uOrder) break;
    OpenPlace(slot, m_pOpen[child]);
    slot = child;
  }
  OpenPlace(slot, entry);
}

// ---- the address index: open addressing, linear probing, at most half full

inline unsigned CZTBuffPool::ChunkHome(uintptr_t chunk) const {
  const uintptr_t mixed = chunk * static_cast<uintptr_t>(0x9E3779B97F4A7C15ull);
  return static_cast<unsigned>(mixed >> (sizeof(uintptr_t) * 8 - m_uChunkBits));
}

int CZTBuffPool::ChunksReserve(unsigned entries) {
  if (m_pChunks && entries * 2 <= (1u << m_uChunkBits)) return 1;
  unsigned bits = m_uChunkBits ? m_uChunkBits + 1 : kMinChunkBits;
  while ((1u << bits) < entries * 2) ++bits;
  auto* grown = static_cast<ChunkEntry*>(g_allocate(static_cast<size_t>(1) << bits, sizeof(ChunkEntry)));
  if (!grown) return 0;
  ChunkEntry* old = m_pChunks;
  const unsigned oldSize = old ? 1u << m_uChunkBits : 0;
  m_pChunks = grown;
  m_uChunkBits = bits;
  m_uChunkCount = 0;
  for (unsigned i = 0; i < oldSize; ++i)
    if (old[i].pBlock) ChunkInsert(old[i].uChunk, old[i].pBlock);
  g_release(old);
  return 1;
}

void CZTBuffPool::ChunkInsert(uintptr_t chunk, SZTPoolBlock* block) {
  const unsigned mask = (1u << m_uChunkBits) - 1;
  unsigned i = ChunkHome(chunk);
  while (m_pChunks[i].pBlock) i = (i + 1) & mask;
  m_pChunks[i] = ChunkEntry{chunk, block};
  ++m_uChunkCount;
}

// Removes the entry and moves later entries of the probe run back into the gap,
// so that every entry stays reachable from its home slot.
void CZTBuffPool::ChunkErase(uintptr_t chunk, SZTPoolBlock* block) {
  const unsigned mask = (1u << m_uChunkBits) - 1;
  unsigned gap = ChunkHome(chunk);
  while (m_pChunks[gap].pBlock != block || m_pChunks[gap].uChunk != chunk) gap = (gap + 1) & mask;
  for (unsigned i = (gap + 1) & mask; m_pChunks[i].pBlock; i = (i + 1) & mask) {
    const unsigned home = ChunkHome(m_pChunks[i].uChunk);
    // The entry may fill the gap when its home is not inside (gap, i].
    if (((i - home) & mask) >= ((i - gap) & mask)) {
      m_pChunks[gap] = m_pChunks[i];
      gap = i;
    }
  }
  m_pChunks[gap] = ChunkEntry{0, nullptr};
  --m_uChunkCount;
}

// The block whose record area holds the address. A block is entered under the
// chunks of its first and last byte, and spans at most one chunk boundary, so
// the address's own chunk finds it.
inline SZTPoolBlock* CZTBuffPool::FindBlock(uintptr_t address) const {
  if (!m_uChunkCount) return nullptr;
  const uintptr_t chunk = address >> m_uChunkShift;
  const unsigned mask = (1u << m_uChunkBits) - 1;
  const uintptr_t area = static_cast<uintptr_t>(m_uRecSize) * kRecsPerBlock;
  for (unsigned i = ChunkHome(chunk); m_pChunks[i].pBlock; i = (i + 1) & mask) {
    if (m_pChunks[i].uChunk != chunk) continue;
    const uintptr_t records = reinterpret_cast<uintptr_t>(Record(m_pChunks[i].pBlock, 0));
    if (address >= records && address - records < area) return m_pChunks[i].pBlock;
  }
  return nullptr;
}

void* CZTBuffPool::alloc() {
  if (m_uOpenCount == 0) {
    SZTPoolBlock* block = NewBlock();
    if (!block) return nullptr;
    if (m_uNextOrder >= m_uOrderLimit) Renumber();
    block->pPrev = m_pLast;
    if (m_pLast)
      m_pLast->pNext = block;
    else
      m_pFirst = block;
    m_pLast = block;
    ++m_uBlockCount;
    OpenPush(block, m_uNextOrder++);
  }
  SZTPoolBlock* block = m_pOpen[0].pBlock;
  unsigned long long mask = UseMask(block);
  const unsigned index = static_cast<unsigned>(__builtin_ctzll(~mask));
  mask |= 1ull << index;
  SetUseMask(block, mask);
  if (mask == m_ullFullMask) SlotWord(block) = OpenRemove(0);
  return Record(block, index);
}

// A zeroed block entered in the address index, with room for it in the heap
// (so that a later freeRec never needs memory), or null, logged and shown.
SZTPoolBlock* CZTBuffPool::NewBlock() {
  SZTPoolBlock* block = nullptr;
  if (m_uBlockSize) block = static_cast<SZTPoolBlock*>(g_allocate(1, m_uBlockSize));
  if (block && m_uBlockCount + 1 > m_uOpenCapacity) {
    const unsigned capacity = m_uOpenCapacity ? m_uOpenCapacity * 2 : 16;
    auto* grown = static_cast<OpenEntry*>(g_allocate(capacity, sizeof(OpenEntry)));
    if (grown) {
      if (m_uOpenCount) memcpy(grown, m_pOpen, m_uOpenCount * sizeof(OpenEntry));
      g_release(m_pOpen);
      m_pOpen = grown;
      m_uOpenCapacity = capacity;
    } else {
      g_release(block);
      block = nullptr;
    }
  }
  if (block && !ChunksReserve(m_uChunkCount + 2)) {
    g_release(block);
    block = nullptr;
  }
  if (!block) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcBuffPool, "Not enough free memory to allocate a buffer pool record");
    ztTbl32Lib.DispError(ZT_ERR_POOL_NO_MEMORY);
    return nullptr;
  }
  const uintptr_t start = reinterpret_cast<uintptr_t>(block);
  const uintptr_t first = start >> m_uChunkShift, last = (start + m_uBlockSize - 1) >> m_uChunkShift;
  ChunkInsert(first, block);
  if (last != first) ChunkInsert(last, block);
  return block;
}

void CZTBuffPool::freeRec(void* record) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(record);
  SZTPoolBlock* block = FindBlock(address);
  if (!block) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcBuffPool, "Record 0x%X not found in buffer pool",
                      static_cast<unsigned>(address));
    ztTbl32Lib.DispError(ZT_ERR_POOL_NOT_FOUND, static_cast<unsigned>(address));
    return;
  }
  // Inside the record area, so the offset fits into 32 bits (a quicker division).
  const unsigned offset = static_cast<unsigned>(address - reinterpret_cast<uintptr_t>(Record(block, 0)));
  const unsigned index = offset / m_uRecSize;
  if (offset != index * m_uRecSize) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcBuffPool, "Record 0x%X no legal pool buffer", static_cast<unsigned>(address));
    ztTbl32Lib.DispError(ZT_ERR_POOL_NOT_RECORD, static_cast<unsigned>(address));
    return;
  }
  memset(record, 0, m_uRecSize);
  unsigned long long mask = UseMask(block);
  const bool wasFull = mask == m_ullFullMask;
  mask &= ~(1ull << index);
  SetUseMask(block, mask);
  if (mask == 0)
    ReleaseBlock(block);
  else if (wasFull)
    OpenPush(block, SlotWord(block));
}

// Unlinks an emptied block, takes it out of both indexes and frees it.
void CZTBuffPool::ReleaseBlock(SZTPoolBlock* block) {
  OpenRemove(SlotWord(block));
  const uintptr_t start = reinterpret_cast<uintptr_t>(block);
  const uintptr_t first = start >> m_uChunkShift, last = (start + m_uBlockSize - 1) >> m_uChunkShift;
  ChunkErase(first, block);
  if (last != first) ChunkErase(last, block);
  if (block->pPrev)
    block->pPrev->pNext = block->pNext;
  else
    m_pFirst = block->pNext;
  if (block->pNext)
    block->pNext->pPrev = block->pPrev;
  else
    m_pLast = block->pPrev;
  m_pCursor = nullptr;
  --m_uBlockCount;
  if (m_uBlockCount == 0) m_uNextOrder = 0;
  g_release(block);
}

void* CZTBuffPool::getRec(unsigned index) {
  const unsigned blockIndex = index / kRecsPerBlock;
  SZTPoolBlock* block = m_pFirst;
  unsigned at = 0;
  if (m_pCursor && m_uCursorBlock <= blockIndex) {
    block = m_pCursor;
    at = m_uCursorBlock;
  }
  for (; block && at < blockIndex; ++at) block = block->pNext;
  if (!block) return nullptr;
  m_pCursor = block;
  m_uCursorBlock = at;
  return Record(block, index % kRecsPerBlock);
}

void CZTBuffPool::copy(void* target, unsigned count) const {
  if (!target) return;
  char* out = static_cast<char*>(target);
  for (const SZTPoolBlock* block = m_pFirst; block && count; block = block->pNext) {
    const unsigned n = count < kRecsPerBlock ? count : kRecsPerBlock;
    memcpy(out, Record(block, 0), static_cast<size_t>(n) * m_uRecSize);
    out += static_cast<size_t>(n) * m_uRecSize;
    count -= n;
  }
}

void CZTBuffPool::free() {
  for (SZTPoolBlock* block = m_pFirst; block;) {
    SZTPoolBlock* next = block->pNext;
    g_release(block);
    block = next;
  }
  m_pFirst = m_pLast = nullptr;
  m_uBlockCount = 0;
  m_uNextOrder = 0;
  m_uOpenCount = 0;
  m_pCursor = nullptr;
  if (m_pChunks) memset(m_pChunks, 0, sizeof(ChunkEntry) << m_uChunkBits);
  m_uChunkCount = 0;
}

void CZTBuffPool::Renumber() {
  unsigned order = 0;
  for (SZTPoolBlock* block = m_pFirst; block; block = block->pNext, ++order) {
    if (UseMask(block) == m_ullFullMask)
      SlotWord(block) = order;
    else
      m_pOpen[SlotWord(block)].uOrder = order;
  }
  m_uNextOrder = order;
}
