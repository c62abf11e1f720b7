// The catalogue of an ISAM file and its tables: definitions, creating,
// opening and closing tables, and what a table says of itself.
#include "isam_file.h"
#include "isam_file_access.h"

#include <string.h>

#include "zt_lib32/strings.h"

namespace isam {

namespace {

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
  *key = ISAM_NO_KEY;
  *part = ISAM_NO_PART;
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
    *part = ISAM_NO_PART;
    if (!FinishKeyDef(&def)) return ISAM_ERR_KEY_DEF;
    if (def.keyLength > nodeSize || CIsamBTree::LeafCapacity(nodeSize, def.keyLength) < 2 ||
        CIsamBTree::InnerCapacity(nodeSize, def.keyLength) < 2)
      return ISAM_ERR_KEY_TOO_LONG;
  }
  *key = ISAM_NO_KEY;
  return ISAM_OK;
}

long CIsamFile::findTable(const char* name) const {
  auto it = catalogIndex_.find(foldedName(name));
  return it == catalogIndex_.end() ? -1 : long(it->second);
}

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

}  // namespace isam
