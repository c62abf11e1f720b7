// The description texts of a table, kept in chained blocks.
#include "isam_file.h"
#include "isam_file_access.h"

#include <string.h>

namespace isam {

unsigned CIsamFile::freeDescChain(TableState*, Block* tb, unsigned slot) {
  Block* hdr = pager_.Header();
  uint32_t addr = rd32(tb->data + kTbDesc + slot * 8);
  uint32_t guard = pager_.FileEnd() / kDescUnits + 1;
  while (addr) {
    if (guard-- == 0) return ISAM_ERR_CORRUPT;
    Block* b = nullptr;
    unsigned e = pager_.Get(addr, kDescUnits, kKindDesc, &b);
    if (e) return e;
    uint32_t next = rd32(b->data + kDescNext);
    pager_.Release(b, hdr, hdr->data + kFhFreeDesc);
    addr = next;
  }
  pager_.Dirty(tb);
  wr32(tb->data + kTbDesc + slot * 8, 0);
  wr32(tb->data + kTbDesc + slot * 8 + 4, 0);
  return ISAM_OK;
}

unsigned CIsamFile::WriteDesc(TableHandle* t, unsigned slot, const char* text, unsigned length) {
  if (slot >= ISAM_DESC_SLOTS) return ISAM_ERR_SLOT;
  if (length && !text) return ISAM_ERR_ARGUMENT;
  TableState* st = t->state.get();
  Block* tb = nullptr;
  unsigned e = writable();
  if (!e) e = tableBlock(st, &tb);
  if (e) return e;
  bool own = false;
  if ((e = writeBegin(&own)) != 0) return e;
  e = freeDescChain(st, tb, slot);
  Block* hdr = pager_.Header();
  Block* prev = nullptr;
  unsigned done = 0;
  while (!e && done < length) {
    Block* b = nullptr;
    e = pager_.AppendChained(kDescUnits, kKindDesc, hdr, hdr->data + kFhFreeDesc, prev, kDescNext, tb,
                             tb->data + kTbDesc + slot * 8, &b);
    if (e) break;
    unsigned n = length - done < kDescCapacity ? length - done : kDescCapacity;
    memcpy(b->data + kDescText, text + done, n);
    wr32(b->data + kDescUsed, n);
    prev = b;
    done += n;
  }
  if (!e) wr32(tb->data + kTbDesc + slot * 8 + 4, length);
  return writeEnd(own, e, true);
}

unsigned CIsamFile::DescSize(TableHandle* t, unsigned slot, unsigned* size) {
  if (slot >= ISAM_DESC_SLOTS) return ISAM_ERR_SLOT;
  Block* tb = nullptr;
  unsigned e = tableBlock(t->state.get(), &tb);
  if (e) return e;
  *size = rd32(tb->data + kTbDesc + slot * 8 + 4);
  return ISAM_OK;
}

unsigned CIsamFile::ReadDesc(TableHandle* t, unsigned slot, char* buffer, unsigned size, unsigned* length) {
  if (length) *length = 0;
  if (slot >= ISAM_DESC_SLOTS) return ISAM_ERR_SLOT;
  if (size && !buffer) return ISAM_ERR_ARGUMENT;
  Block* tb = nullptr;
  unsigned e = tableBlock(t->state.get(), &tb);
  if (e) return e;
  uint32_t total = rd32(tb->data + kTbDesc + slot * 8 + 4);
  uint32_t addr = rd32(tb->data + kTbDesc + slot * 8);
  uint32_t seen = 0, copied = 0;
  uint32_t guard = pager_.FileEnd() / kDescUnits + 1;
  while (addr) {
    if (guard-- == 0) return ISAM_ERR_CORRUPT;
    Block* b = nullptr;
    e = pager_.Get(addr, kDescUnits, kKindDesc, &b);
    if (e) return e;
    uint32_t n = rd32(b->data + kDescUsed);
    if (n > kDescCapacity || n == 0 || uint64_t(seen) + n > total) return ISAM_ERR_CORRUPT;
    if (copied < size) {
      uint32_t c = size - copied < n ? size - copied : n;
      memcpy(buffer + copied, b->data + kDescText, c);
      copied += c;
    }
    seen += n;
    addr = rd32(b->data + kDescNext);
  }
  if (seen != total) return ISAM_ERR_CORRUPT;
  if (length) *length = copied;
  return copied < total ? ISAM_ERR_BUFFER : ISAM_OK;
}

}  // namespace isam
