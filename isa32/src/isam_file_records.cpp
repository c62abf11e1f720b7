// Records of a table: their slots in the data blocks, reading by address,
// and inserting, updating and deleting them with their index entries.
#include "isam_file.h"
#include "isam_file_access.h"

#include <string.h>

namespace isam {

unsigned CIsamFile::ReadByAddress(TableHandle* t, unsigned address, void* buffer, unsigned size) {
  TableState* st = t->state.get();
  Block* tb = nullptr;
  unsigned e = tableBlock(st, &tb);
  if (e) return e;
  if (!buffer) return ISAM_ERR_ARGUMENT;
  Block* b = nullptr;
  uint8_t* rec = nullptr;
  e = recordSlot(st, address, true, &b, &rec);
  if (e) return e;
  memcpy(buffer, rec, size < st->recordSize ? size : st->recordSize);
  return size < st->recordSize ? ISAM_ERR_BUFFER : ISAM_OK;
}

unsigned CIsamFile::allocateRecord(TableState* st, Block* tb, uint32_t* address) {
  pager_.Dirty(tb);
  uint32_t free = rd32(tb->data + kTbFreeRecord);
  if (free) {
    Block* b = nullptr;
    uint8_t* rec = nullptr;
    unsigned e = recordSlot(st, free, false, &b, &rec);
    if (e) return e == ISAM_ERR_ADDRESS ? ISAM_ERR_CORRUPT : e;
    uint32_t slot = (free - 1) % st->perBlock;
    if ((b->data[kDataBitmap + slot / 8] >> (slot % 8)) & 1) return ISAM_ERR_CORRUPT;
    wr32(tb->data + kTbFreeRecord, st->recordSize >= 4 ? rd32(rec) : 0);
    *address = free;
    return ISAM_OK;
  }
  uint32_t hw = rd32(tb->data + kTbHighWater);
  if (hw >= 0xFFFFFFF0u) return ISAM_ERR_FULL;
  if (uint64_t(hw) == uint64_t(st->dataBlocks.size()) * st->perBlock) {
    Block* db = nullptr;
    unsigned e = pager_.Allocate(st->dataUnits, kKindData, nullptr, nullptr, &db);
    if (e) return e;
    uint32_t tail = rd32(tb->data + kTbDirTail);
    Block* dir = nullptr;
    if (tail && (e = pager_.Get(tail, kDirUnits, kKindDirectory, &dir)) != 0) return e;
    if (!dir || rd32(dir->data + kDirCount) >= kDirCapacity) {
      Block* fresh = nullptr;
      e = pager_.AppendChained(kDirUnits, kKindDirectory, nullptr, nullptr, dir, kDirNext, tb, tb->data + kTbDirHead,
                               &fresh);
      if (e) return e;
      wr32(tb->data + kTbDirTail, fresh->addr);
      dir = fresh;
    }
    pager_.Dirty(dir);
    uint32_t n = rd32(dir->data + kDirCount);
    wr32(dir->data + kDirEntries + n * 4, db->addr);
    wr32(dir->data + kDirCount, n + 1);
    wr32(tb->data + kTbDataBlocks, rd32(tb->data + kTbDataBlocks) + 1);
    st->dataBlocks.push_back(db->addr);
  }
  wr32(tb->data + kTbHighWater, hw + 1);
  *address = hw + 1;
  return ISAM_OK;
}

// The checks of an insert (old null) or update before anything changes.
unsigned CIsamFile::checkKeys(TableState* st, const uint8_t* record, uint32_t self, const uint8_t* old) {
  Block* tb = nullptr;
  unsigned e = pager_.Get(st->block, kTableUnits, kKindTable, &tb);
  if (e) return e;
  for (uint32_t k = 0; k < st->keyCount; ++k) {
    const KeyDef& def = st->keys[k];
    bool blank = KeyIsBlank(def, record);
    if (blank && def.Option(ISAM_OPT_REQUIRED)) return ISAM_ERR_BLANK_KEY;
    keyBuf_.resize(def.keyLength + 4);
    KeyFromRecord(def, record, keyBuf_.data());
    bool changed = true;
    if (old) {
      keyBuf2_.resize(def.keyLength + 4);
      KeyFromRecord(def, old, keyBuf2_.data());
      changed = memcmp(keyBuf_.data(), keyBuf2_.data(), def.keyLength) != 0;
      if (changed && def.Option(ISAM_OPT_FIXED)) return ISAM_ERR_KEY_FIXED;
    }
    if (!def.Option(ISAM_OPT_UNIQUE) || (blank && def.Option(ISAM_OPT_SKIP_BLANK))) continue;
    CIsamBTree tree(&pager_, tb, k, st->nodeSize, def.keyLength);
    bool found = false;
    uint32_t at = 0;
    if ((e = tree.FindKey(keyBuf_.data(), &found, &at)) != 0) return e;
    if (found && at != self) return ISAM_ERR_DUPLICATE;
  }
  return ISAM_OK;
}

unsigned CIsamFile::Insert(TableHandle* t, const void* record, unsigned* address) {
  TableState* st = t->state.get();
  Block* tb = nullptr;
  unsigned e = writable();
  if (!e) e = tableBlock(st, &tb);
  if (e) return e;
  if (!record) return ISAM_ERR_ARGUMENT;
  bool own = false;
  if ((e = writeBegin(&own)) != 0) return e;
  const uint8_t* rec = static_cast<const uint8_t*>(record);
  e = checkKeys(st, rec, 0, nullptr);
  if (e) return writeEnd(own, e, false);
  uint32_t addr = 0;
  e = allocateRecord(st, tb, &addr);
  Block* b = nullptr;
  uint8_t* slot = nullptr;
  if (!e) e = recordSlot(st, addr, false, &b, &slot);
  if (!e) {
    pager_.Dirty(b);
    memcpy(slot, rec, st->recordSize);
    uint32_t s = (addr - 1) % st->perBlock;
    b->data[kDataBitmap + s / 8] |= uint8_t(1u << (s % 8));
    wr32(tb->data + kTbRecords, rd32(tb->data + kTbRecords) + 1);
    e = indexRecord(st, tb, rec, addr, true);
  }
  e = writeEnd(own, e, true);
  if (!e && address) *address = addr;
  return e;
}

unsigned CIsamFile::Update(TableHandle* t, unsigned address, const void* record) {
  TableState* st = t->state.get();
  Block* tb = nullptr;
  unsigned e = writable();
  if (!e) e = tableBlock(st, &tb);
  if (e) return e;
  if (!record) return ISAM_ERR_ARGUMENT;
  bool own = false;
  if ((e = writeBegin(&own)) != 0) return e;
  Block* b = nullptr;
  uint8_t* slot = nullptr;
  e = recordSlot(st, address, true, &b, &slot);
  const uint8_t* rec = static_cast<const uint8_t*>(record);
  if (!e) e = checkKeys(st, rec, address, slot);
  if (e) return writeEnd(own, e, false);
  std::vector<uint8_t>& oldEntry = keyBuf2_;
  for (uint32_t k = 0; !e && k < st->keyCount; ++k) {
    const KeyDef& def = st->keys[k];
    bool skip = def.Option(ISAM_OPT_SKIP_BLANK);
    bool oldIn = !(skip && KeyIsBlank(def, slot));
    bool newIn = !(skip && KeyIsBlank(def, rec));
    oldEntry.resize(def.keyLength + 4);
    keyBuf_.resize(def.keyLength + 4);
    KeyFromRecord(def, slot, oldEntry.data());
    KeyFromRecord(def, rec, keyBuf_.data());
    putEntryAddress(oldEntry.data() + def.keyLength, address);
    putEntryAddress(keyBuf_.data() + def.keyLength, address);
    if (oldIn == newIn && (!oldIn || memcmp(oldEntry.data(), keyBuf_.data(), def.keyLength) == 0)) continue;
    CIsamBTree tree(&pager_, tb, k, st->nodeSize, def.keyLength);
    if (oldIn) e = tree.Erase(oldEntry.data());
    if (!e && newIn) e = tree.Insert(keyBuf_.data());
    ++st->versions[k];
  }
  if (!e) {
    pager_.Dirty(b);
    memcpy(slot, rec, st->recordSize);
  }
  return writeEnd(own, e, true);
}

unsigned CIsamFile::indexRecord(TableState* st, Block* tb, const uint8_t* rec, uint32_t address, bool insert) {
  unsigned e = ISAM_OK;
  for (uint32_t k = 0; !e && k < st->keyCount; ++k) {
    const KeyDef& def = st->keys[k];
    if (def.Option(ISAM_OPT_SKIP_BLANK) && KeyIsBlank(def, rec)) continue;
    keyBuf_.resize(def.keyLength + 4);
    KeyFromRecord(def, rec, keyBuf_.data());
    putEntryAddress(keyBuf_.data() + def.keyLength, address);
    CIsamBTree tree(&pager_, tb, k, st->nodeSize, def.keyLength);
    e = insert ? tree.Insert(keyBuf_.data()) : tree.Erase(keyBuf_.data());
    ++st->versions[k];
  }
  return e;
}

unsigned CIsamFile::Delete(TableHandle* t, unsigned address) {
  TableState* st = t->state.get();
  Block* tb = nullptr;
  unsigned e = writable();
  if (!e) e = tableBlock(st, &tb);
  if (e) return e;
  bool own = false;
  if ((e = writeBegin(&own)) != 0) return e;
  Block* b = nullptr;
  uint8_t* slot = nullptr;
  e = recordSlot(st, address, true, &b, &slot);
  if (e) return writeEnd(own, e, false);
  e = indexRecord(st, tb, slot, address, false);
  if (!e) {
    pager_.Dirty(b);
    pager_.Dirty(tb);
    memset(slot, 0, st->recordSize);
    uint32_t s = (address - 1) % st->perBlock;
    b->data[kDataBitmap + s / 8] &= uint8_t(~(1u << (s % 8)));
    // Free slots are chained through their first four bytes (tiny records are not reused).
    if (st->recordSize >= 4) {
      wr32(slot, rd32(tb->data + kTbFreeRecord));
      wr32(tb->data + kTbFreeRecord, address);
    }
    wr32(tb->data + kTbRecords, rd32(tb->data + kTbRecords) - 1);
  }
  return writeEnd(own, e, true);
}

unsigned CIsamFile::ReadRecords(TableHandle* t, unsigned* address, void* buffer, unsigned size, unsigned* count) {
  TableState* st = t->state.get();
  Block* tb = nullptr;
  unsigned e = tableBlock(st, &tb);
  if (e) return e;
  const uint32_t rs = st->recordSize;
  if (size < rs) return ISAM_ERR_BUFFER;
  const uint32_t highWater = rd32(tb->data + kTbHighWater);
  const uint32_t room = size / rs;
  uint8_t* out = static_cast<uint8_t*>(buffer);
  uint32_t n = 0, at = *address;  // slots up to `at` are done
  while (n < room && at < highWater) {
    const uint32_t bi = at / st->perBlock;
    if (bi >= st->dataBlocks.size()) return ISAM_ERR_CORRUPT;
    Block* b = nullptr;
    if ((e = dataBlock(st, bi, &b)) != 0) return e;
    const uint8_t* bitmap = b->data + kDataBitmap;
    const uint8_t* records = bitmap + st->bitmapBytes;
    uint32_t slot = at % st->perBlock;
    const uint32_t end = highWater - bi * st->perBlock < st->perBlock ? highWater - bi * st->perBlock : st->perBlock;
    // No slot of the last block lies in use beyond the high-water mark.
    for (uint32_t s = end; s < st->perBlock; ++s)
      if ((bitmap[s / 8] >> (s % 8)) & 1) return ISAM_ERR_CORRUPT;
    for (; slot < end && n < room; ++slot) {
      if (!((bitmap[slot / 8] >> (slot % 8)) & 1)) continue;
      memcpy(out, records + size_t(slot) * rs, rs);
      out += rs;
      ++n;
    }
    at = bi * st->perBlock + slot;
  }
  *address = at;
  *count = n;
  return n ? ISAM_OK : ISAM_END_OF_ITERATION;
}

}  // namespace isam
