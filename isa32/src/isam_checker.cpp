#include "isam_checker.h"

#include <stdarg.h>
#include <string.h>

#include <string>

#include "zt_lib32/strings.h"
#include "zt_lib32/system_error.h"

namespace isam {

namespace {
uint32_t beAddress(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
}  // namespace

CIsamChecker::CIsamChecker(CIsamFile* file)
    : file_(file), pager_(&file->Pager()), report_(nullptr), size_(0), table_("") {}

unsigned CIsamChecker::fault(const char* format, ...) {
  if (report_ && size_) {
    char text[512];
    va_list args;
    va_start(args, format);
    ztFormatV(text, sizeof(text), format, args);
    va_end(args);
    if (*table_)
      ztFormat(report_, size_, "Table %s: %s", table_, text);
    else
      ztStrCopy(report_, text, size_);
  }
  return ISAM_ERR_CHECK;
}

unsigned CIsamChecker::claim(uint32_t addr, uint32_t units, const char* what) {
  if (uint64_t(addr) + units > units_.size()) return fault("%s at %u lies beyond the end of the file", what, addr);
  for (uint32_t i = 0; i < units; ++i) {
    if (units_[addr + i]) return fault("%s at %u overlaps another block", what, addr);
    units_[addr + i] = 1;
  }
  return ISAM_OK;
}

unsigned CIsamChecker::get(uint32_t addr, uint32_t units, uint16_t kind, const char* what, Block** out) {
  unsigned e = pager_->Get(addr, units, kind, out);
  if (e) {
    if (report_ && size_) {
      if (*table_)
        ztFormat(report_, size_, "Table %s: %s at %u cannot be read (error %u)", table_, what, addr, e);
      else
        ztFormat(report_, size_, "%s at %u cannot be read (error %u)", what, addr, e);
    }
    return e;
  }
  return claim(addr, units, what);
}

unsigned CIsamChecker::chain(uint32_t head, uint32_t units, uint16_t kind, uint32_t nextOffset, const char* what,
                             uint64_t* bytes) {
  uint32_t addr = head;
  while (addr) {
    Block* b = nullptr;
    unsigned e = get(addr, units, kind, what, &b);
    if (e) return e;  // a loop shows up as an overlap
    if (bytes) *bytes += rd32(b->data + kDescUsed);
    addr = rd32(b->data + nextOffset);
  }
  return ISAM_OK;
}

unsigned CIsamChecker::Run(char* report, unsigned size) {
  report_ = report;
  size_ = size;
  if (pager_->InTransaction()) return ISAM_ERR_IN_TRANSACTION;
  // A log that lost committed transactions (the file was opened anyway) or could
  // not be read is a fault, whatever the file itself looks like.
  if (pager_->LostCommits())
    return fault("the log %s is damaged: %u committed transactions cannot be replayed", pager_->LogName().c_str(),
                 pager_->LostCommits());
  if (pager_->LogUnreadable()) {
    char system[200] = "unknown format";
    if (pager_->LogError()) ztSystemErrorText(pager_->LogError(), system, sizeof(system));
    return fault("the log %s cannot be read (%s)", pager_->LogName().c_str(), system);
  }
  std::vector<std::pair<std::string, uint32_t>> tables;
  unsigned e = file_->Catalog(&tables);
  if (e) {
    if (report && size) ztFormat(report, size, "The catalogue cannot be read (error %u)", e);
    return e;
  }
  units_.assign(pager_->FileEnd(), 0);
  if ((e = claim(0, kFileHeaderUnits, "file header")) != 0) return e;
  Block* hdr = pager_->Header();
  if ((e = chain(rd32(hdr->data + kFhCatalogHead), kCatalogUnits, kKindCatalog, kCatNext, "catalogue block",
                 nullptr)) != 0)
    return e;
  if ((e = chain(rd32(hdr->data + kFhFreeDesc), kDescUnits, kKindFree, kFreeNext, "free block", nullptr)) != 0)
    return e;
  for (size_t i = 0; i < tables.size(); ++i) {
    for (size_t k = 0; k < i; ++k)
      if (ztStrICmpAscii(tables[i].first.c_str(), tables[k].first.c_str()) == 0)
        return fault("table name %s appears twice", tables[i].first.c_str());
    if ((e = checkTable(tables[i].first.c_str(), tables[i].second)) != 0) return e;
    table_ = "";
  }
  for (size_t i = 0; i < units_.size(); ++i)
    if (!units_[i]) return fault("unit %u belongs to no block", unsigned(i));
  if (report && size)
    ztFormat(report, size, "%u tables, %u units: no faults", unsigned(tables.size()), unsigned(units_.size()));
  return ISAM_OK;
}

unsigned CIsamChecker::checkTable(const char* name, uint32_t block) {
  table_ = name;
  TableState st;
  unsigned e = file_->LoadTable(block, &st);
  if (e) return fault("the table block at %u or its directory is damaged (error %u)", block, e);
  if (ztStrICmpAscii(st.name, name) != 0) return fault("the table block names %s", st.name);
  Block* tb = nullptr;
  if ((e = get(block, kTableUnits, kKindTable, "table block", &tb)) != 0) return e;
  // A copy: the cache is trimmed while the table's blocks are read.
  std::vector<uint8_t> tableCopy(tb->data, tb->data + tb->Bytes());
  Block tcopy = *tb;
  tcopy.data = tableCopy.data();
  tb = &tcopy;
  if ((e = chain(rd32(tb->data + kTbDirHead), kDirUnits, kKindDirectory, kDirNext, "directory block", nullptr)) != 0)
    return e;
  for (unsigned s = 0; s < ISAM_DESC_SLOTS; ++s) {
    uint64_t bytes = 0;
    if ((e = chain(rd32(tb->data + kTbDesc + s * 8), kDescUnits, kKindDesc, kDescNext, "description block", &bytes)) !=
        0)
      return e;
    if (bytes != rd32(tb->data + kTbDesc + s * 8 + 4)) return fault("description %u has the wrong length", s);
  }
  uint32_t nodeUnits = CIsamBTree::NodeUnits(st.nodeSize);
  if ((e = chain(rd32(tb->data + kTbFreeNode), nodeUnits, kKindFree, kFreeNext, "free node", nullptr)) != 0) return e;

  // Records in use, by address.
  uint32_t highWater = rd32(tb->data + kTbHighWater);
  std::vector<uint8_t> used(size_t(highWater) + 1, 0);
  uint64_t inUse = 0;
  for (size_t bi = 0; bi < st.dataBlocks.size(); ++bi) {
    pager_->Trim();
    Block* b = nullptr;
    if ((e = get(st.dataBlocks[bi], st.dataUnits, kKindData, "data block", &b)) != 0) return e;
    for (uint32_t s = 0; s < st.perBlock; ++s) {
      if (!((b->data[kDataBitmap + s / 8] >> (s % 8)) & 1)) continue;
      uint64_t address = uint64_t(bi) * st.perBlock + s + 1;
      if (address > highWater) return fault("record slot %u is in use beyond the last address", unsigned(address));
      used[size_t(address)] = 1;
      ++inUse;
    }
  }
  if (inUse != rd32(tb->data + kTbRecords))
    return fault("%u records are in use, the table says %u", unsigned(inUse), rd32(tb->data + kTbRecords));
  // The free record chain: unused slots, each once.
  std::vector<uint8_t> onChain(used.size(), 0);
  uint32_t free = rd32(tb->data + kTbFreeRecord);
  while (free) {
    if (free > highWater || used[free] || onChain[free]) return fault("the free record chain is broken at %u", free);
    onChain[free] = 1;
    uint32_t bi = (free - 1) / st.perBlock, s = (free - 1) % st.perBlock;
    Block* b = nullptr;
    if ((e = pager_->Get(st.dataBlocks[bi], st.dataUnits, kKindData, &b)) != 0) return e;
    free = st.recordSize >= 4 ? rd32(b->data + kDataBitmap + st.bitmapBytes + size_t(s) * st.recordSize) : 0;
  }
  for (unsigned k = 0; k < st.keyCount; ++k) {
    std::vector<uint8_t> seen(used.size(), 0);
    if ((e = checkTree(st, tableCopy.data(), k, used, seen)) != 0) return e;
  }
  return ISAM_OK;
}

unsigned CIsamChecker::checkTree(TableState& st, const uint8_t* table, unsigned key, const std::vector<uint8_t>& used,
                                 std::vector<uint8_t>& seen) {
  const uint8_t* kd = table + kTbKeys + key * kKeyDefSize;
  uint32_t root = rd32(kd + kKdRoot);
  uint32_t height = rd32(kd + kKdHeight);
  uint64_t entries = 0, nodes = 0;
  if (root == 0) {
    if (height != 0) return fault("index %u is empty but has height %u", key, height);
  } else {
    if (height == 0 || height > 64) return fault("index %u has height %u", key, height);
    unsigned e = walk(st, key, root, 0, height, nullptr, nullptr, &entries, &nodes, used, seen);
    if (e) return e;
  }
  if (entries != rd32(kd + kKdEntries))
    return fault("index %u holds %u entries, it says %u", key, unsigned(entries), rd32(kd + kKdEntries));
  if (nodes != rd32(kd + kKdNodes))
    return fault("index %u has %u nodes, it says %u", key, unsigned(nodes), rd32(kd + kKdNodes));
  // Every record whose key belongs into the index is there.
  const KeyDef& def = st.keys[key];
  for (uint32_t a = 1; a < used.size(); ++a) {
    if (!used[a] || seen[a]) continue;
    Block* b = nullptr;
    uint32_t bi = (a - 1) / st.perBlock, s = (a - 1) % st.perBlock;
    unsigned e = pager_->Get(st.dataBlocks[bi], st.dataUnits, kKindData, &b);
    if (e) return e;
    const uint8_t* rec = b->data + kDataBitmap + st.bitmapBytes + size_t(s) * st.recordSize;
    if (!(def.Option(ISAM_OPT_SKIP_BLANK) && KeyIsBlank(def, rec)))
      return fault("record %u is missing from index %u", a, key);
  }
  return ISAM_OK;
}

unsigned CIsamChecker::walk(TableState& st, unsigned key, uint32_t addr, uint32_t level, uint32_t height,
                            const uint8_t* lo, const uint8_t* hi, uint64_t* entries, uint64_t* nodes,
                            const std::vector<uint8_t>& used, std::vector<uint8_t>& seen) {
  const KeyDef& def = st.keys[key];
  const uint32_t es = def.keyLength + 4;
  bool leaf = level + 1 == height;
  pager_->Trim();
  Block* b = nullptr;
  unsigned e = get(addr, CIsamBTree::NodeUnits(st.nodeSize), leaf ? kKindLeaf : kKindInner, "index node", &b);
  if (e) return e;
  ++*nodes;
  uint32_t n = rd16(b->data + kNodeCount);
  if (leaf) {
    if (n == 0 || n > CIsamBTree::LeafCapacity(st.nodeSize, def.keyLength))
      return fault("index %u: leaf %u holds %u entries", key, addr, n);
    std::vector<uint8_t> expect(es);
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* ent = b->data + kNodeEntries + i * es;
      if ((i > 0 && memcmp(ent - es, ent, es) >= 0) || (lo && memcmp(ent, lo, es) < 0) ||
          (hi && memcmp(ent, hi, es) >= 0))
        return fault("index %u: leaf %u is out of order at entry %u", key, addr, i);
      uint32_t a = beAddress(ent + def.keyLength);
      if (a == 0 || a >= used.size() || !used[a]) return fault("index %u names record %u, which is not in use", key, a);
      if (seen[a]) return fault("index %u holds record %u twice", key, a);
      seen[a] = 1;
      uint32_t bi = (a - 1) / st.perBlock, s = (a - 1) % st.perBlock;
      Block* db = nullptr;
      e = pager_->Get(st.dataBlocks[bi], st.dataUnits, kKindData, &db);
      if (e) return e;
      const uint8_t* rec = db->data + kDataBitmap + st.bitmapBytes + size_t(s) * st.recordSize;
      if (def.Option(ISAM_OPT_SKIP_BLANK) && KeyIsBlank(def, rec))
        return fault("index %u holds record %u, whose key is blank", key, a);
      KeyFromRecord(def, rec, expect.data());
      if (memcmp(expect.data(), ent, def.keyLength) != 0)
        return fault("index %u: the key of record %u differs from the record", key, a);
      // The leaf may move out of the cache while records are read: fetch it again.
      if ((e = pager_->Get(addr, CIsamBTree::NodeUnits(st.nodeSize), kKindLeaf, &b)) != 0) return e;
    }
    *entries += n;
    return ISAM_OK;
  }
  if (n > CIsamBTree::InnerCapacity(st.nodeSize, def.keyLength))
    return fault("index %u: inner node %u holds %u separators", key, addr, n);
  // Copy the node: reading the children may evict it.
  std::vector<uint8_t> copy(b->data, b->data + b->Bytes());
  const uint8_t* d = copy.data();
  for (uint32_t i = 0; i <= n; ++i) {
    const uint8_t* clo = i == 0 ? lo : CIsamBTree::InnerSeparator(d, i - 1, es);
    const uint8_t* chi = i == n ? hi : CIsamBTree::InnerSeparator(d, i, es);
    if (clo && chi && memcmp(clo, chi, es) >= 0) return fault("index %u: inner node %u is out of order", key, addr);
    const uint64_t before = *entries;
    e = walk(st, key, CIsamBTree::InnerChild(d, i, es), level + 1, height, clo, chi, entries, nodes, used, seen);
    if (e) return e;
    // The count by which positions are found must be the entries really there.
    if (*entries - before != CIsamBTree::InnerEntries(d, i, es))
      return fault("index %u: inner node %u counts %u entries under child %u, which holds %u", key, addr,
                   CIsamBTree::InnerEntries(d, i, es), i, unsigned(*entries - before));
  }
  return ISAM_OK;
}

}  // namespace isam
