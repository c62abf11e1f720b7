// The accessors every call of CIsamFile runs through, per record in iterations
// and lookups: inline, so that the files the class is split into keep them as
// fast as calls within one file.
#pragma once

#include "isam_file.h"

namespace isam {

// After a rollback the catalogue and the tables are read again.
inline unsigned CIsamFile::sync() {
  if (!open_) return ISAM_ERR_HANDLE;
  if (pager_.Failed()) return ISAM_ERR_FAILED;
  if (generation_ == pager_.Generation()) return ISAM_OK;
  generation_ = pager_.Generation();
  unsigned e = loadCatalog();
  if (e) return e;
  for (auto& st : states_) {
    bool found = false;
    for (auto& c : catalog_)
      if (c.second == st->block) found = true;
    if (!found) st->dropped = true;
  }
  return ISAM_OK;
}

inline unsigned CIsamFile::refresh(TableState* st) {
  if (st->dropped) return ISAM_ERR_NO_TABLE;
  if (st->generation == pager_.Generation()) return ISAM_OK;
  return LoadTable(st->block, st);
}

inline unsigned CIsamFile::tableBlock(TableState* st, Block** out) {
  unsigned e = sync();
  if (!e) e = refresh(st);
  if (!e) e = pager_.Get(st->block, kTableUnits, kKindTable, out);
  return e;
}

inline unsigned CIsamFile::recordSlot(TableState* st, uint32_t address, bool mustBeUsed, Block** block,
                                      uint8_t** record) {
  Block* tb = nullptr;
  unsigned e = pager_.Get(st->block, kTableUnits, kKindTable, &tb);
  if (e) return e;
  return recordSlot(st, tb, address, mustBeUsed, block, record);
}

// A table's data block by its number, through the table's own pointer cache.
inline unsigned CIsamFile::dataBlock(TableState* st, uint32_t number, Block** out) {
  if (number < st->dataCache.size() && st->dataCache[number].epoch == pager_.Epoch()) {
    *out = st->dataCache[number].block;
    return ISAM_OK;
  }
  unsigned e = pager_.Get(st->dataBlocks[number], st->dataUnits, kKindData, out);
  if (e) return e;
  if (number >= st->dataCache.size()) st->dataCache.resize(st->dataBlocks.size(), TableState::CachedBlock{nullptr, 0});
  st->dataCache[number] = TableState::CachedBlock{*out, pager_.Epoch()};
  return ISAM_OK;
}

// Asks the processor for a record that an iteration will read soon.
inline void CIsamFile::prefetchRecord(TableState* st, uint32_t address) {
  uint32_t n = address - 1;
  uint32_t bi = n / st->perBlock;
  if (bi >= st->dataCache.size() || st->dataCache[bi].epoch != pager_.Epoch()) return;
  const uint8_t* d = st->dataCache[bi].block->data;
  uint32_t slot = n % st->perBlock;
#if defined(__GNUC__)
  __builtin_prefetch(d + kDataBitmap + slot / 8);
  __builtin_prefetch(d + kDataBitmap + st->bitmapBytes + size_t(slot) * st->recordSize);
#else
  (void)d;
  (void)slot;
#endif
}

inline unsigned CIsamFile::recordSlot(TableState* st, Block* tb, uint32_t address, bool mustBeUsed, Block** block,
                                      uint8_t** record) {
  unsigned e = ISAM_OK;
  if (address == 0 || address > rd32(tb->data + kTbHighWater)) return ISAM_ERR_ADDRESS;
  uint32_t n = address - 1;
  uint32_t bi = n / st->perBlock;
  uint32_t slot = n % st->perBlock;
  if (bi >= st->dataBlocks.size()) return ISAM_ERR_CORRUPT;
  Block* b = nullptr;
  e = dataBlock(st, bi, &b);
  if (e) return e;
  bool used = (b->data[kDataBitmap + slot / 8] >> (slot % 8)) & 1;
  if (mustBeUsed && !used) return ISAM_ERR_ADDRESS;
  *block = b;
  *record = b->data + kDataBitmap + st->bitmapBytes + size_t(slot) * st->recordSize;
  return ISAM_OK;
}

}  // namespace isam
