// A pool of fixed-size records handed out from blocks of 64, so that many small
// records (the directory and file entries of a drive scan) cost one heap block
// per 64 records, can be freed one by one and copied out in order.
#pragma once

#include <stddef.h>

#include "zt_tbl32/frame.h"

constexpr const char* kSrcBuffPool = "CZTBPool";

// Error codes of the pool (texts in the language library).
enum : unsigned {
  ZT_ERR_POOL_NO_MEMORY = 200,   // no block could be allocated
  ZT_ERR_POOL_NOT_RECORD = 210,  // (address) inside a block but not at a record
  ZT_ERR_POOL_NOT_FOUND = 211,   // (address) in no block of the pool
};

// Head of a block. The 64 records follow it, then one word: while the block has
// free records its slot in the pool's heap of such blocks, while it is full its
// place in the list (the number the heap orders it by).
struct SZTPoolBlock {
  SZTPoolBlock* pPrev;
  SZTPoolBlock* pNext;
  DWORD dwUseLow;   // bit i set: record i in use (records 0-31)
  DWORD dwUseHigh;  // records 32-63
};

class ZT_TBL32_API CZTBuffPool {
 public:
  SZTPoolBlock* m_pFirst;  // null when the pool is empty
  SZTPoolBlock* m_pLast;
  unsigned m_uRecSize;
  unsigned m_uRecsPerBlock;  // always 64
  unsigned m_uBlockSize;     // bytes of one block: head, records and its slot word; 0 when too large
  unsigned m_uReserved;
  unsigned long long m_ullFullMask;

  explicit CZTBuffPool(unsigned recordSize);
  ~CZTBuffPool();
  CZTBuffPool(const CZTBuffPool&) = delete;
  CZTBuffPool& operator=(const CZTBuffPool&) = delete;

  // A zero-filled record: the lowest free record of the first block (in list
  // order) that has one, or record 0 of a new last block; null without memory.
  void* alloc();
  // Gives a record back (zero-filled again); an emptied block is freed at once.
  // An address that is not a record of the pool is refused (210, 211).
  void freeRec(void* record);
  // The record at a position counted 64 to a block through the list, used or
  // not; null past the last block. Walking forwards costs one step per block.
  void* getRec(unsigned index);
  // Copies count records (64 from each block, in list order) into one array;
  // stops early at the end of the list.
  void copy(void* target, unsigned count) const;
  // Frees every block: the pool is empty afterwards.
  void free();

  unsigned BlockCount() const { return m_uBlockCount; }
  void* Record(const SZTPoolBlock* block, unsigned index) const {
    return const_cast<char*>(reinterpret_cast<const char*>(block + 1)) + static_cast<size_t>(index) * m_uRecSize;
  }

 private:
  // A block with free records and its place in the list (blocks are only ever
  // appended, so the order of creation is the list order).
  struct OpenEntry {
    unsigned uOrder;
    SZTPoolBlock* pBlock;
  };
  // One entry per address chunk a block touches (its first and its last byte).
  struct ChunkEntry {
    uintptr_t uChunk;
    SZTPoolBlock* pBlock;
  };

  SZTPoolBlock* NewBlock();
  SZTPoolBlock* FindBlock(uintptr_t address) const;
  void ReleaseBlock(SZTPoolBlock* block);
  unsigned& SlotWord(SZTPoolBlock* block) const;
  // The blocks with free records: a heap on the list order, first on top.
  void OpenPush(SZTPoolBlock* block, unsigned order);
  // Takes the block in the slot out of the heap; returns its order number.
  unsigned OpenRemove(unsigned slot);
  void OpenSiftUp(unsigned slot);
  void OpenSiftDown(unsigned slot);
  void OpenPlace(unsigned slot, const OpenEntry& entry);
  // The address index.
  int ChunksReserve(unsigned entries);
  void ChunkInsert(uintptr_t chunk, SZTPoolBlock* block);
  void ChunkErase(uintptr_t chunk, SZTPoolBlock* block);
  unsigned ChunkHome(uintptr_t chunk) const;

  // Gives the blocks the order numbers 0, 1, 2, ... again in list order.
  void Renumber();

  unsigned m_uBlockCount;
  unsigned m_uNextOrder;
  OpenEntry* m_pOpen;
  unsigned m_uOpenCount;
  unsigned m_uOpenCapacity;
  ChunkEntry* m_pChunks;
  unsigned m_uChunkCount;
  unsigned m_uChunkBits;   // the index has 2^bits slots
  unsigned m_uChunkShift;  // a chunk spans 2^shift bytes, at least a block
  // Where getRec stopped: the block holding records from 64 × m_uCursorBlock on.
  SZTPoolBlock* m_pCursor;
  unsigned m_uCursorBlock;

 protected:
  // Order numbers are renumbered when the next one would reach this (tests lower it).
  unsigned m_uOrderLimit;
};

// Replaces the heap calls of every pool (tests inject failures with it); null
// for both restores calloc and free.
ZT_TBL32_API void ztSetBuffPoolHeap(void* (*allocate)(size_t count, size_t size), void (*release)(void* block));
