#include "isam_file.h"

#include <string.h>

#include "zt_lib32/strings.h"

namespace isam {

namespace {

inline void putAddress(uint8_t* p, uint32_t a) {
  p[0] = uint8_t(a >> 24);
  p[1] = uint8_t(a >> 16);
  p[2] = uint8_t(a >> 8);
  p[3] = uint8_t(a);
}
inline uint32_t getAddress(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Records per data block and the block's size for a record size.
void dataGeometry(uint32_t recordSize, uint32_t* perBlock, uint32_t* units, uint32_t* bitmapBytes) {
  uint64_t r = (uint64_t(kDataTarget - kDataBitmap) * 8) / (uint64_t(recordSize) * 8 + 1);
  if (r < 1) r = 1;
  if (r > 4096) r = 4096;
  *perBlock = uint32_t(r);
  *bitmapBytes = uint32_t((r + 7) / 8);
  *units = unitsFor(uint32_t(kDataBitmap + *bitmapBytes + r * recordSize));
}

bool validName(const char* name) {
  if (!name || !*name) return false;
  size_t n = strnlen(name, 33);
  return n <= 31;
}

// A table name as the catalogue index keeps it: ASCII letters folded.
std::string foldedName(const char* name) {
  std::string folded(name);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return folded;
}

}  // namespace

unsigned CheckTableDef(const ISAMIDT* idt, unsigned keyCount, unsigned recordSize, unsigned nodeSize, KeyDef* defs,
                       unsigned* key, unsigned* part) {
  *key = *part = 0xFFFFFFFFu;
  if (keyCount > ISAM_MAX_KEYS) return ISAM_ERR_TOO_MANY_KEYS;
  if (keyCount && !idt) return ISAM_ERR_ARGUMENT;
  if (recordSize < 1 || recordSize > ISAM_MAX_RECORD_SIZE) return ISAM_ERR_RECORD_SIZE;
  if (nodeSize < ISAM_MIN_NODE_SIZE || nodeSize > ISAM_MAX_NODE_SIZE) return ISAM_ERR_NODE_SIZE;
  for (unsigned k = 0; k < keyCount; ++k) {
    const ISAMIDT& src = idt[k];
    KeyDef& def = defs[k];
    *key = k;
    for (int i = 0; i < 5; ++i) def.options[i] = src.options[i] ? 1 : 0;
    def.partCount = src.partCount;
    if (def.partCount < 1 || def.partCount > 4) return ISAM_ERR_KEY_DEF;
    for (unsigned i = 0; i < def.partCount; ++i) {
      *part = i;
      def.parts[i].type = src.parts[i].keyType;
      def.parts[i].offset = src.parts[i].offset;
      def.parts[i].length = src.parts[i].length;
      if (def.parts[i].type >= ISAM_KEY_TYPE_COUNT || !KeyTypeLengthOk(def.parts[i].type, def.parts[i].length))
        return ISAM_ERR_KEY_DEF;
      if (uint32_t(def.parts[i].offset) + def.parts[i].length > recordSize) return ISAM_ERR_KEY_OUTSIDE;
    }
    *part = 0xFFFFFFFFu;
    if (!FinishKeyDef(&def)) return ISAM_ERR_KEY_DEF;
    if (def.keyLength > nodeSize || CIsamBTree::LeafCapacity(nodeSize, def.keyLength) < 2 ||
        CIsamBTree::InnerCapacity(nodeSize, def.keyLength) < 2)
      return ISAM_ERR_KEY_TOO_LONG;
  }
  *key = 0xFFFFFFFFu;
  return ISAM_OK;
}

CIsamFile::CIsamFile() : open_(false), generation_(0) {}

CIsamFile::~CIsamFile() {
  unsigned ext = 0;
  if (open_) Close(&ext);
}

unsigned CIsamFile::Create(const char* name, bool namedOnClose, unsigned* ext) {
  unsigned e = pager_.Create(name, namedOnClose, ext);
  if (e) return e;
  name_ = name;
  open_ = true;
  generation_ = pager_.Generation();
  return loadCatalog();
}

unsigned CIsamFile::Open(const char* name, bool readOnly, bool acceptLogLoss, unsigned* ext) {
  unsigned e = pager_.Open(name, readOnly, acceptLogLoss, ext);
  if (e) return e;
  name_ = name;
  open_ = true;
  generation_ = pager_.Generation();
  e = loadCatalog();
  if (e) {
    unsigned x = 0;
    pager_.Close(&x);
    open_ = false;
  }
  return e;
}

void CIsamFile::forget() {
  for (TableHandle* h : handles_) delete h;
  handles_.clear();
  states_.clear();
  catalog_.clear();
  catalogIndex_.clear();
  open_ = false;
}

unsigned CIsamFile::Close(unsigned* ext) {
  forget();
  return pager_.Close(ext);
}

unsigned CIsamFile::Discard(unsigned* ext) {
  forget();
  return pager_.Discard(ext);
}

long CIsamFile::findTable(const char* name) const {
  auto it = catalogIndex_.find(foldedName(name));
  return it == catalogIndex_.end() ? -1 : long(it->second);
}

// ---- catalogue and tables ----

unsigned CIsamFile::loadCatalog() {
  catalog_.clear();
  catalogIndex_.clear();
  Block* hdr = pager_.Header();
  uint32_t count = rd32(hdr->data + kFhTableCount);
  uint32_t addr = rd32(hdr->data + kFhCatalogHead);
  uint32_t guard = pager_.FileEnd() / kCatalogUnits + 1;
  while (addr) {
    if (guard-- == 0) return ISAM_ERR_CORRUPT;
    Block* b = nullptr;
    unsigned e = pager_.Get(addr, kCatalogUnits, kKindCatalog, &b);
    if (e) return e;
    uint32_t n = rd32(b->data + kCatCount);
    if (n > kCatCapacity) return ISAM_ERR_CORRUPT;
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* ent = b->data + kCatEntries + i * kCatEntrySize;
      if (memchr(ent, 0, 32) == nullptr) return ISAM_ERR_CORRUPT;
      catalogIndex_.emplace(foldedName(reinterpret_cast<const char*>(ent)), catalog_.size());
      catalog_.emplace_back(std::string(reinterpret_cast<const char*>(ent)), rd32(ent + 32));
    }
    addr = rd32(b->data + kCatNext);
  }
  if (catalog_.size() != count) return ISAM_ERR_CORRUPT;
  return ISAM_OK;
}

unsigned CIsamFile::Catalog(std::vector<std::pair<std::string, uint32_t>>* tables) {
  unsigned e = sync();
  if (e) return e;
  *tables = catalog_;
  return ISAM_OK;
}

// After a rollback the catalogue and the tables are read again.
unsigned CIsamFile::sync() {
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

unsigned CIsamFile::LoadTable(uint32_t block, TableState* st) {
  Block* b = nullptr;
  unsigned e = pager_.Get(block, kTableUnits, kKindTable, &b);
  if (e) return e;
  const uint8_t* d = b->data;
  st->block = block;
  memcpy(st->name, d + kTbName, 32);
  if (memchr(st->name, 0, 32) == nullptr) return ISAM_ERR_CORRUPT;
  st->recordSize = rd32(d + kTbRecordSize);
  st->nodeSize = rd32(d + kTbNodeSize);
  st->keyCount = rd32(d + kTbKeyCount);
  if (st->recordSize < 1 || st->recordSize > ISAM_MAX_RECORD_SIZE || st->nodeSize < ISAM_MIN_NODE_SIZE ||
      st->nodeSize > ISAM_MAX_NODE_SIZE || st->keyCount > ISAM_MAX_KEYS)
    return ISAM_ERR_CORRUPT;
  // The data block geometry is the table's own; it only has to be consistent.
  st->perBlock = rd32(d + kTbPerBlock);
  st->dataUnits = rd32(d + kTbDataUnits);
  st->bitmapBytes = (st->perBlock + 7) / 8;
  if (st->perBlock < 1 || st->perBlock > 4096 || st->dataUnits > 0x10000u ||
      uint64_t(st->dataUnits) * kUnit < kDataBitmap + st->bitmapBytes + uint64_t(st->perBlock) * st->recordSize)
    return ISAM_ERR_CORRUPT;
  for (uint32_t k = 0; k < st->keyCount; ++k) {
    const uint8_t* kd = d + kTbKeys + k * kKeyDefSize;
    KeyDef& def = st->keys[k];
    memcpy(def.options, kd + kKdOptions, 5);
    def.partCount = kd[kKdPartCount];
    if (def.partCount < 1 || def.partCount > 4) return ISAM_ERR_CORRUPT;
    for (unsigned i = 0; i < def.partCount; ++i) {
      def.parts[i].type = rd16(kd + kKdParts + i * 6);
      def.parts[i].offset = rd16(kd + kKdParts + i * 6 + 2);
      def.parts[i].length = rd16(kd + kKdParts + i * 6 + 4);
      if (uint32_t(def.parts[i].offset) + def.parts[i].length > st->recordSize) return ISAM_ERR_CORRUPT;
    }
    if (!FinishKeyDef(&def) || rd32(kd + kKdKeyLength) != def.keyLength) return ISAM_ERR_CORRUPT;
    if (CIsamBTree::LeafCapacity(st->nodeSize, def.keyLength) < 2 ||
        CIsamBTree::InnerCapacity(st->nodeSize, def.keyLength) < 2)
      return ISAM_ERR_CORRUPT;
  }
  st->dataBlocks.clear();
  // Data blocks are added one at a time as the high-water mark reaches the end of
  // the last one, and records in use lie below the mark: a mark or count that
  // disagrees would make reads stop early or read past the records.
  uint32_t blocks = rd32(d + kTbDataBlocks);
  uint64_t highWater = rd32(d + kTbHighWater);
  if (highWater > uint64_t(blocks) * st->perBlock || (blocks && highWater <= uint64_t(blocks - 1) * st->perBlock) ||
      rd32(d + kTbRecords) > highWater)
    return ISAM_ERR_CORRUPT;
  uint32_t addr = rd32(d + kTbDirHead);
  uint32_t guard = pager_.FileEnd() / kDirUnits + 1;
  while (addr) {
    if (guard-- == 0) return ISAM_ERR_CORRUPT;
    Block* dir = nullptr;
    e = pager_.Get(addr, kDirUnits, kKindDirectory, &dir);
    if (e) return e;
    uint32_t n = rd32(dir->data + kDirCount);
    if (n > kDirCapacity) return ISAM_ERR_CORRUPT;
    for (uint32_t i = 0; i < n; ++i) st->dataBlocks.push_back(rd32(dir->data + kDirEntries + i * 4));
    addr = rd32(dir->data + kDirNext);
  }
  if (st->dataBlocks.size() != blocks) return ISAM_ERR_CORRUPT;
  st->generation = pager_.Generation();
  return ISAM_OK;
}

unsigned CIsamFile::refresh(TableState* st) {
  if (st->dropped) return ISAM_ERR_NO_TABLE;
  if (st->generation == pager_.Generation()) return ISAM_OK;
  return LoadTable(st->block, st);
}

unsigned CIsamFile::tableBlock(TableState* st, Block** out) {
  unsigned e = sync();
  if (!e) e = refresh(st);
  if (!e) e = pager_.Get(st->block, kTableUnits, kKindTable, out);
  return e;
}

unsigned CIsamFile::TableCount(unsigned* count) {
  unsigned e = sync();
  if (e) return e;
  *count = unsigned(catalog_.size());
  return ISAM_OK;
}

unsigned CIsamFile::TableName(unsigned index, char* name, unsigned size) {
  unsigned e = sync();
  if (e) return e;
  if (index >= catalog_.size()) return ISAM_ERR_NO_TABLE;
  const std::string& n = catalog_[index].first;
  if (size == 0) return ISAM_ERR_BUFFER;
  return ztStrCopy(name, n.c_str(), size) == n.size() ? ISAM_OK : ISAM_ERR_BUFFER;
}

unsigned CIsamFile::writeBegin(bool* own) {
  *own = false;
  if (pager_.ReadOnly()) return ISAM_ERR_READ_ONLY;
  if (pager_.Failed()) return ISAM_ERR_FAILED;
  if (pager_.InTransaction()) return ISAM_OK;
  *own = true;
  return pager_.Begin();
}

unsigned CIsamFile::writeEnd(bool own, unsigned result, bool changed) {
  if (result) {
    if (changed) {
      if (own)
        pager_.Rollback();
      else
        pager_.MarkFailed();
    } else if (own) {
      pager_.Commit();  // nothing was changed: only ends the transaction
    }
    return result;
  }
  if (!own) return ISAM_OK;
  unsigned e = pager_.Commit();
  if (e) pager_.Rollback();
  return e;
}

unsigned CIsamFile::CreateTable(const char* name, const ISAMIDT* idt, unsigned keyCount, unsigned recordSize,
                                unsigned nodeSize) {
  unsigned e = writable();
  if (!e) e = sync();
  if (e) return e;
  if (!validName(name)) return ISAM_ERR_TABLE_NAME;
  if (findTable(name) >= 0) return ISAM_ERR_TABLE_EXISTS;
  KeyDef defs[ISAM_MAX_KEYS] = {};
  unsigned key = 0, part = 0;
  if ((e = CheckTableDef(idt, keyCount, recordSize, nodeSize, defs, &key, &part)) != 0) return e;
  bool own = false;
  if ((e = writeBegin(&own)) != 0) return e;
  Block* hdr = pager_.Header();
  Block* tb = nullptr;
  e = pager_.Allocate(kTableUnits, kKindTable, nullptr, nullptr, &tb);
  if (!e) {
    uint8_t* d = tb->data;
    ztStrCopy(reinterpret_cast<char*>(d + kTbName), name, 32);
    wr32(d + kTbRecordSize, recordSize);
    wr32(d + kTbNodeSize, nodeSize);
    wr32(d + kTbKeyCount, keyCount);
    uint32_t perBlock, units, bitmap;
    dataGeometry(recordSize, &perBlock, &units, &bitmap);
    wr32(d + kTbPerBlock, perBlock);
    wr32(d + kTbDataUnits, units);
    for (unsigned k = 0; k < keyCount; ++k) {
      uint8_t* kd = d + kTbKeys + k * kKeyDefSize;
      memcpy(kd + kKdOptions, defs[k].options, 5);
      kd[kKdPartCount] = defs[k].partCount;
      for (unsigned i = 0; i < defs[k].partCount; ++i) {
        wr16(kd + kKdParts + i * 6, defs[k].parts[i].type);
        wr16(kd + kKdParts + i * 6 + 2, defs[k].parts[i].offset);
        wr16(kd + kKdParts + i * 6 + 4, defs[k].parts[i].length);
      }
      wr32(kd + kKdKeyLength, defs[k].keyLength);
    }
    // Into the catalogue: the last catalogue block, or a new one.
    uint32_t tail = rd32(hdr->data + kFhCatalogTail);
    Block* cat = nullptr;
    if (tail) e = pager_.Get(tail, kCatalogUnits, kKindCatalog, &cat);
    if (!e && (!cat || rd32(cat->data + kCatCount) >= kCatCapacity)) {
      Block* fresh = nullptr;
      e = pager_.Allocate(kCatalogUnits, kKindCatalog, nullptr, nullptr, &fresh);
      if (!e) {
        pager_.Dirty(hdr);
        if (cat) {
          pager_.Dirty(cat);
          wr32(cat->data + kCatNext, fresh->addr);
        } else {
          wr32(hdr->data + kFhCatalogHead, fresh->addr);
        }
        wr32(hdr->data + kFhCatalogTail, fresh->addr);
        cat = fresh;
      }
    }
    if (!e) {
      pager_.Dirty(cat);
      pager_.Dirty(hdr);
      uint32_t n = rd32(cat->data + kCatCount);
      uint8_t* ent = cat->data + kCatEntries + n * kCatEntrySize;
      memset(ent, 0, kCatEntrySize);
      ztStrCopy(reinterpret_cast<char*>(ent), name, 32);
      wr32(ent + 32, tb->addr);
      wr32(cat->data + kCatCount, n + 1);
      wr32(hdr->data + kFhTableCount, rd32(hdr->data + kFhTableCount) + 1);
    }
  }
  uint32_t block = tb ? tb->addr : 0;
  e = writeEnd(own, e, true);
  if (!e) {
    catalogIndex_.emplace(foldedName(name), catalog_.size());
    catalog_.emplace_back(std::string(name), block);
  }
  return e;
}

unsigned CIsamFile::OpenTable(const char* name, TableHandle** handle) {
  unsigned e = sync();
  if (e) return e;
  if (!name) return ISAM_ERR_TABLE_NAME;
  long entry = findTable(name);
  if (entry < 0) return ISAM_ERR_NO_TABLE;
  uint32_t block = catalog_[size_t(entry)].second;
  std::shared_ptr<TableState> st;
  for (auto& s : states_)
    if (s->block == block && !s->dropped) st = s;
  if (!st) {
    st = std::make_shared<TableState>();
    e = LoadTable(block, st.get());
    if (e) return e;
    states_.push_back(st);
  }
  TableHandle* h = new TableHandle{this, st, std::vector<Cursor>(st->keyCount)};
  handles_.push_back(h);
  *handle = h;
  return ISAM_OK;
}

unsigned CIsamFile::CloseTable(TableHandle* handle) {
  for (size_t i = 0; i < handles_.size(); ++i) {
    if (handles_[i] == handle) {
      handles_.erase(handles_.begin() + long(i));
      std::shared_ptr<TableState> st = handle->state;
      delete handle;
      if (st.use_count() == 2) {
        for (size_t k = 0; k < states_.size(); ++k)
          if (states_[k] == st) states_.erase(states_.begin() + long(k));
      }
      return ISAM_OK;
    }
  }
  return ISAM_ERR_HANDLE;
}

// ---- descriptions ----

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
    e = pager_.Allocate(kDescUnits, kKindDesc, hdr, hdr->data + kFhFreeDesc, &b);
    if (e) break;
    unsigned n = length - done < kDescCapacity ? length - done : kDescCapacity;
    memcpy(b->data + kDescText, text + done, n);
    wr32(b->data + kDescUsed, n);
    if (prev)
      wr32(prev->data + kDescNext, b->addr);
    else
      wr32(tb->data + kTbDesc + slot * 8, b->addr);
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

unsigned CIsamFile::IndexDesc(TableHandle* t, unsigned index, uint8_t* desc) {
  TableState* st = t->state.get();
  Block* tb = nullptr;
  unsigned e = tableBlock(st, &tb);
  if (e) return e;
  if (index >= st->keyCount) return ISAM_ERR_INDEX;
  const KeyDef& def = st->keys[index];
  const uint8_t* kd = tb->data + kTbKeys + index * kKeyDefSize;
  memset(desc, 0, ISAM_DESC_SIZE);
  memcpy(desc + ISAM_DESC_OPTIONS, def.options, 5);
  desc[ISAM_DESC_PART_COUNT] = def.partCount;
  for (unsigned i = 0; i < def.partCount; ++i) {
    wr16(desc + ISAM_DESC_PARTS + i * 8, def.parts[i].type);
    wr16(desc + ISAM_DESC_PARTS + i * 8 + 2, def.parts[i].offset);
    wr16(desc + ISAM_DESC_PARTS + i * 8 + 4, def.parts[i].length);
  }
  wr32(desc + ISAM_DESC_KEY_LENGTH, def.rawLength);
  wr32(desc + ISAM_DESC_HEIGHT, rd32(kd + kKdHeight));
  wr32(desc + ISAM_DESC_ENTRIES, rd32(kd + kKdEntries));
  wr32(desc + ISAM_DESC_NODE_SIZE, st->nodeSize);
  wr32(desc + ISAM_DESC_NODES, rd32(kd + kKdNodes));
  return ISAM_OK;
}

unsigned CIsamFile::KeyEntrySize(TableHandle* t, unsigned index, unsigned* size) {
  TableState* st = t->state.get();
  Block* tb = nullptr;
  unsigned e = tableBlock(st, &tb);
  if (e) return e;
  if (index >= st->keyCount) return ISAM_ERR_INDEX;
  *size = st->keys[index].keyLength + 4;
  return ISAM_OK;
}

unsigned CIsamFile::RecordCount(TableHandle* t, unsigned* count) {
  Block* tb = nullptr;
  unsigned e = tableBlock(t->state.get(), &tb);
  if (e) return e;
  *count = rd32(tb->data + kTbRecords);
  return ISAM_OK;
}

// ---- records ----

unsigned CIsamFile::recordSlot(TableState* st, uint32_t address, bool mustBeUsed, Block** block, uint8_t** record) {
  Block* tb = nullptr;
  unsigned e = pager_.Get(st->block, kTableUnits, kKindTable, &tb);
  if (e) return e;
  return recordSlot(st, tb, address, mustBeUsed, block, record);
}

// A table's data block by its number, through the table's own pointer cache.
unsigned CIsamFile::dataBlock(TableState* st, uint32_t number, Block** out) {
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
void CIsamFile::prefetchRecord(TableState* st, uint32_t address) {
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

unsigned CIsamFile::recordSlot(TableState* st, Block* tb, uint32_t address, bool mustBeUsed, Block** block,
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
      e = pager_.Allocate(kDirUnits, kKindDirectory, nullptr, nullptr, &fresh);
      if (e) return e;
      if (dir) {
        pager_.Dirty(dir);
        wr32(dir->data + kDirNext, fresh->addr);
      } else {
        wr32(tb->data + kTbDirHead, fresh->addr);
      }
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
    putAddress(oldEntry.data() + def.keyLength, address);
    putAddress(keyBuf_.data() + def.keyLength, address);
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
    putAddress(keyBuf_.data() + def.keyLength, address);
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

unsigned CIsamFile::Begin() {
  unsigned e = writable();
  if (!e) e = sync();
  if (e) return e;
  return pager_.Begin();
}

unsigned CIsamFile::Commit() {
  if (!pager_.InTransaction()) return ISAM_ERR_NO_TRANSACTION;
  unsigned e = pager_.Commit();
  if (e) pager_.Rollback();
  return e;
}

unsigned CIsamFile::Rollback() {
  if (!pager_.InTransaction()) return ISAM_ERR_NO_TRANSACTION;
  pager_.Rollback();
  return pager_.Failed() ? ISAM_ERR_FAILED : ISAM_OK;
}

// ---- iteration ----

// The checks every iteration set-up starts with: the table block, the index
// and the flags.
unsigned CIsamFile::checkSetup(TableHandle* t, unsigned index, bool knownFlags, Block** tb) {
  TableState* st = t->state.get();
  unsigned e = tableBlock(st, tb);
  if (e) return e;
  if (index >= st->keyCount) return ISAM_ERR_INDEX;
  return knownFlags ? ISAM_OK : ISAM_ERR_FLAGS;
}

// A cursor set up anew: ready, over the whole index, its path to be sought.
static void restartCursor(Cursor& c, bool backward) {
  c.state = Cursor::kReady;
  c.backward = backward;
  c.inclusive = true;
  c.pathFresh = false;
  c.hasLow = c.hasHigh = false;
}

unsigned CIsamFile::SetupLimits(TableHandle* t, unsigned index, unsigned flags, const void* low, const void* high) {
  TableState* st = t->state.get();
  Block* tb = nullptr;
  const bool known = flags == ISAM_ITER_FORWARD || flags == ISAM_ITER_BACKWARD;
  unsigned e = checkSetup(t, index, known, &tb);
  if (e) return e;
  const KeyDef& def = st->keys[index];
  Cursor& c = t->cursors[index];
  restartCursor(c, flags == ISAM_ITER_BACKWARD);
  c.hasLow = low != nullptr;
  c.hasHigh = high != nullptr;
  c.low.assign(def.keyLength, 0);
  c.high.assign(def.keyLength, 0);
  if (low) KeyFromRaw(def, static_cast<const uint8_t*>(low), c.low.data());
  if (high) KeyFromRaw(def, static_cast<const uint8_t*>(high), c.high.data());
  if (def.Option(ISAM_OPT_DESCENDING)) {
    std::swap(c.low, c.high);
    std::swap(c.hasLow, c.hasHigh);
  }
  c.from.assign(def.keyLength + 4, c.backward ? 0xFF : 0x00);
  if (!c.backward && c.hasLow) memcpy(c.from.data(), c.low.data(), def.keyLength);
  if (c.backward && c.hasHigh) memcpy(c.from.data(), c.high.data(), def.keyLength);
  return ISAM_OK;
}

unsigned CIsamFile::SetupAddress(TableHandle* t, unsigned index, unsigned flags, unsigned address) {
  TableState* st = t->state.get();
  Block* tb = nullptr;
  const bool known = flags == ISAM_ITER_FROM_ADDRESS || flags == ISAM_ITER_BACKWARD_FROM_ADDRESS;
  Block* b = nullptr;
  uint8_t* rec = nullptr;
  unsigned e = checkSetup(t, index, known, &tb);
  if (!e) e = recordSlot(st, address, true, &b, &rec);
  if (e) return e;
  const KeyDef& def = st->keys[index];
  Cursor& c = t->cursors[index];
  restartCursor(c, flags == ISAM_ITER_BACKWARD_FROM_ADDRESS);
  c.inclusive = false;
  c.from.resize(def.keyLength + 4);
  KeyFromRecord(def, rec, c.from.data());
  putAddress(c.from.data() + def.keyLength, address);
  return ISAM_OK;
}

unsigned CIsamFile::SetupEntry(TableHandle* t, unsigned index, unsigned flags, unsigned entry) {
  TableState* st = t->state.get();
  Block* tb = nullptr;
  const bool known = flags == ISAM_ITER_FORWARD || flags == ISAM_ITER_BACKWARD;
  unsigned e = checkSetup(t, index, known, &tb);
  if (e) return e;
  const KeyDef& def = st->keys[index];
  Cursor& c = t->cursors[index];
  restartCursor(c, flags == ISAM_ITER_BACKWARD);
  c.state = Cursor::kNone;
  CIsamBTree tree(&pager_, tb, index, st->nodeSize, def.keyLength);
  if ((e = tree.SeekEntry(entry, &c.path)) != 0) return e;
  if (!c.path.valid) {
    c.state = Cursor::kEnded;
    return ISAM_OK;
  }
  const uint8_t* at = nullptr;
  if ((e = tree.EntryAt(c.path, &at)) != 0) return e;
  // The path found stands on the entry: the first read returns it.
  c.from.assign(at, at + def.keyLength + 4);
  c.state = Cursor::kReady;
  c.pathFresh = true;
  c.version = st->versions[index];
  c.generation = pager_.Generation();
  c.leaf = nullptr;
  return ISAM_OK;
}

// Brings the cursor's path onto the next entry to return (seeking again after
// the index changed or blocks were dropped) and its leaf into the cache.
// ISAM_END_OF_ITERATION when nothing is left.
unsigned CIsamFile::cursorLeaf(TableState* st, CIsamBTree& tree, unsigned index, Cursor& c, Block** out) {
  unsigned e = ISAM_OK;
  if (!c.pathFresh || c.version != st->versions[index] || c.generation != pager_.Generation()) {
    e = c.backward ? tree.SeekBackward(c.from.data(), !c.inclusive, &c.path)
                   : tree.SeekForward(c.from.data(), !c.inclusive, &c.path);
    if (e) return e;
    c.pathFresh = true;
    c.version = st->versions[index];
    c.generation = pager_.Generation();
  }
  if (!c.path.valid) {
    c.state = Cursor::kEnded;
    return ISAM_END_OF_ITERATION;
  }
  // The leaf of the path, kept between calls while no block left the cache.
  TreePos& at = c.path.levels.back();
  Block* leaf = c.leaf;
  if (!leaf || c.leafEpoch != pager_.Epoch() || leaf->addr != at.addr) {
    const uint8_t* probe = nullptr;
    if ((e = tree.EntryAt(c.path, &probe)) != 0) return e;
    if ((e = pager_.Get(at.addr, CIsamBTree::NodeUnits(st->nodeSize), kKindLeaf, &leaf)) != 0) return e;
    c.leaf = leaf;
    c.leafEpoch = pager_.Epoch();
  }
  if (at.index >= rd16(leaf->data + kNodeCount)) return ISAM_ERR_CORRUPT;
  *out = leaf;
  return ISAM_OK;
}

// Entries must come strictly in order; anything else is a damaged tree (and
// would otherwise let a damaged file iterate forever).
bool CIsamFile::inOrder(const Cursor& c, const uint8_t* entry, uint32_t es) {
  int order = memcmp(entry, c.from.data(), es);
  return c.backward ? (order < 0 || (order == 0 && c.inclusive)) : (order > 0 || (order == 0 && c.inclusive));
}

bool CIsamFile::pastLimit(const Cursor& c, const uint8_t* entry, uint32_t keyLength) {
  return (!c.backward && c.hasHigh && memcmp(entry, c.high.data(), keyLength) > 0) ||
         (c.backward && c.hasLow && memcmp(entry, c.low.data(), keyLength) < 0);
}

// Moves the path past the entry just returned.
unsigned CIsamFile::cursorStep(CIsamBTree& tree, Cursor& c, uint32_t count) {
  TreePos& at = c.path.levels.back();
  c.inclusive = false;
  if (!c.backward && at.index + 1 < count) {
    ++at.index;
  } else if (c.backward && at.index > 0) {
    --at.index;
  } else {
    unsigned e = c.backward ? tree.Prev(&c.path) : tree.Next(&c.path);
    if (e) {
      c.pathFresh = false;
      return e;
    }
  }
  return ISAM_OK;
}

unsigned CIsamFile::ReadNext(TableHandle* t, unsigned index, void* record, unsigned* address) {
  TableState* st = t->state.get();
  Block* tb = nullptr;
  unsigned e = tableBlock(st, &tb);
  if (e) return e;
  if (index >= st->keyCount) return ISAM_ERR_INDEX;
  Cursor& c = t->cursors[index];
  if (c.state == Cursor::kNone) return ISAM_ERR_NO_ITERATION;
  if (c.state == Cursor::kEnded) return ISAM_END_OF_ITERATION;
  const KeyDef& def = st->keys[index];
  CIsamBTree tree(&pager_, tb, index, st->nodeSize, def.keyLength);
  Block* leaf = nullptr;
  if ((e = cursorLeaf(st, tree, index, c, &leaf)) != 0) return e;
  const uint32_t es = def.keyLength + 4;
  const TreePos& at = c.path.levels.back();
  const uint32_t count = rd16(leaf->data + kNodeCount);
  const uint8_t* entry = leaf->data + kNodeEntries + size_t(at.index) * es;
  if (!inOrder(c, entry, es)) {
    c.pathFresh = false;
    return ISAM_ERR_CORRUPT;
  }
  if (pastLimit(c, entry, def.keyLength)) {
    c.state = Cursor::kEnded;
    return ISAM_END_OF_ITERATION;
  }
  // Records a few entries ahead are fetched into the processor's cache meanwhile.
  constexpr uint32_t kAhead = 6;
  if (record) {
    if (!c.backward && at.index + kAhead < count)
      prefetchRecord(st, getAddress(leaf->data + kNodeEntries + size_t(at.index + kAhead) * es + def.keyLength));
    else if (c.backward && at.index >= kAhead)
      prefetchRecord(st, getAddress(leaf->data + kNodeEntries + size_t(at.index - kAhead) * es + def.keyLength));
  }
  uint32_t addr = getAddress(entry + def.keyLength);
  if (record) {
    Block* b = nullptr;
    uint8_t* rec = nullptr;
    e = recordSlot(st, tb, addr, true, &b, &rec);
    if (e) return e == ISAM_ERR_ADDRESS ? ISAM_ERR_CORRUPT : e;
    memcpy(record, rec, st->recordSize);
  }
  memcpy(c.from.data(), entry, es);
  if ((e = cursorStep(tree, c, count)) != 0) return e;
  if (address) *address = addr;
  return ISAM_OK;
}

unsigned CIsamFile::ReadNextKeys(TableHandle* t, unsigned index, void* buffer, unsigned size, unsigned* count) {
  TableState* st = t->state.get();
  Block* tb = nullptr;
  unsigned e = tableBlock(st, &tb);
  if (e) return e;
  if (index >= st->keyCount) return ISAM_ERR_INDEX;
  const KeyDef& def = st->keys[index];
  const uint32_t es = def.keyLength + 4;
  if (size < es) return ISAM_ERR_BUFFER;
  Cursor& c = t->cursors[index];
  if (c.state == Cursor::kNone) return ISAM_ERR_NO_ITERATION;
  if (c.state == Cursor::kEnded) return ISAM_END_OF_ITERATION;
  CIsamBTree tree(&pager_, tb, index, st->nodeSize, def.keyLength);
  uint8_t* out = static_cast<uint8_t*>(buffer);
  const uint32_t room = size / es;
  const uint32_t highWater = rd32(tb->data + kTbHighWater);
  uint32_t n = 0;
  while (n < room) {
    Block* leaf = nullptr;
    e = cursorLeaf(st, tree, index, c, &leaf);
    if (e) break;
    TreePos& at = c.path.levels.back();
    const uint32_t entries = rd16(leaf->data + kNodeCount);
    const uint8_t* base = leaf->data + kNodeEntries;
    // The first entry of a leaf continues from the last one returned; within a
    // leaf the entries follow each other.
    if (!inOrder(c, base + size_t(at.index) * es, es)) {
      c.pathFresh = false;
      e = ISAM_ERR_CORRUPT;
      break;
    }
    bool ended = false;
    // The run of this leaf that fits and lies within the limits, copied at once.
    uint32_t first = at.index, last = at.index;  // inclusive
    for (;;) {
      if (pastLimit(c, base + size_t(last) * es, def.keyLength)) {
        ended = true;
        break;
      }
      ++n;
      if (n == room) break;
      if (c.backward ? last == 0 : last + 1 >= entries) break;
      if (c.backward)
        --last;
      else
        ++last;
    }
    if (ended) {
      // The entry at `last` is past the limit: the run ends before it.
      if (last == first) {
        c.state = Cursor::kEnded;
        break;
      }
      c.backward ? ++last : --last;
    }
    const uint32_t lo = c.backward ? last : first, hi = c.backward ? first : last;
    // Every address handed out names a record slot of the table.
    for (uint32_t i = lo; i <= hi; ++i) {
      uint32_t a = getAddress(base + size_t(i) * es + def.keyLength);
      if (a == 0 || a > highWater) {
        c.pathFresh = false;
        e = ISAM_ERR_CORRUPT;
        break;
      }
    }
    if (e) {
      n -= hi - lo + 1;  // the run is not handed out
      break;
    }
    if (c.backward) {
      for (uint32_t i = hi + 1; i-- > lo;) {
        memcpy(out, base + size_t(i) * es, es);
        out += es;
      }
    } else {
      memcpy(out, base + size_t(lo) * es, size_t(hi - lo + 1) * es);
      out += size_t(hi - lo + 1) * es;
    }
    memcpy(c.from.data(), base + size_t(last) * es, es);
    at.index = last;
    if (ended) {
      c.state = Cursor::kEnded;
      break;
    }
    if ((e = cursorStep(tree, c, entries)) != 0) break;
  }
  *count = n;
  if (n) return ISAM_OK;
  return e ? e : ISAM_END_OF_ITERATION;
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
