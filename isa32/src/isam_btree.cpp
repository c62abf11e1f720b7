#include "isam_btree.h"

#include <string.h>

namespace isam {

namespace {

inline uint16_t count(const Block* b) { return rd16(b->data + kNodeCount); }
inline void setCount(Block* b, uint32_t n) { wr16(b->data + kNodeCount, uint16_t(n)); }

}  // namespace

CIsamBTree::CIsamBTree(CIsamPager* pager, Block* table, unsigned key, uint32_t nodeSize, uint32_t keyLength)
    : pager_(pager),
      table_(table),
      key_(key),
      keyLength_(keyLength),
      nodeUnits_(NodeUnits(nodeSize)),
      leafCap_(LeafCapacity(nodeSize, keyLength)),
      innerCap_(InnerCapacity(nodeSize, keyLength)) {}

uint8_t* CIsamBTree::keyDef() { return table_->data + kTbKeys + key_ * kKeyDefSize; }
uint32_t CIsamBTree::root() { return rd32(keyDef() + kKdRoot); }
uint32_t CIsamBTree::height() { return rd32(keyDef() + kKdHeight); }

void CIsamBTree::addCounter(uint32_t offset, int delta) {
  uint8_t* p = keyDef() + offset;
  wr32(p, uint32_t(int64_t(rd32(p)) + delta));
}

unsigned CIsamBTree::node(uint32_t addr, uint16_t kind, Block** out) {
  unsigned e = pager_->Get(addr, nodeUnits_, kind, out);
  if (e) return e;
  uint32_t n = count(*out);
  if (n > (kind == kKindLeaf ? leafCap_ : innerCap_) || (kind == kKindLeaf && n == 0)) return ISAM_ERR_CORRUPT;
  return ISAM_OK;
}

unsigned CIsamBTree::allocNode(uint16_t kind, Block** out) {
  unsigned e = pager_->Allocate(nodeUnits_, kind, table_, table_->data + kTbFreeNode, out);
  if (e) return e;
  pager_->Dirty(table_);
  addCounter(kKdNodes, 1);
  return ISAM_OK;
}

void CIsamBTree::freeNode(Block* b) {
  pager_->Release(b, table_, table_->data + kTbFreeNode);
  addCounter(kKdNodes, -1);
}

// Separators and children of inner nodes: separator i is followed by its child
// slot (child i + 1 and the entries under it); child 0's slot comes first.
static inline uint8_t* sepAt(Block* b, uint32_t i, uint32_t es) {
  return b->data + kNodeEntries + 8 + size_t(i) * (es + 8);
}
static inline uint8_t* slotAt(Block* b, uint32_t i, uint32_t es) {
  return i == 0 ? b->data + kNodeEntries : sepAt(b, i - 1, es) + es;
}
static inline uint32_t childAt(Block* b, uint32_t i, uint32_t es) { return rd32(slotAt(b, i, es)); }
static inline uint32_t entriesAt(Block* b, uint32_t i, uint32_t es) { return rd32(slotAt(b, i, es) + 4); }
static inline uint8_t* leafAt(Block* b, uint32_t i, uint32_t es) { return b->data + kNodeEntries + size_t(i) * es; }

// Number of separators <= entry: the child to descend into.
static uint32_t innerSearch(Block* b, const uint8_t* entry, uint32_t es) {
  uint32_t lo = 0, hi = count(b);
  while (lo < hi) {
    uint32_t mid = (lo + hi) / 2;
    if (memcmp(sepAt(b, mid, es), entry, es) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

// First leaf entry >= entry (upper: > entry).
static uint32_t leafSearch(Block* b, const uint8_t* entry, uint32_t es, bool upper) {
  uint32_t lo = 0, hi = count(b);
  while (lo < hi) {
    uint32_t mid = (lo + hi) / 2;
    int c = memcmp(leafAt(b, mid, es), entry, es);
    if (c < 0 || (upper && c == 0))
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

unsigned CIsamBTree::Insert(const uint8_t* entry) {
  const uint32_t es = EntrySize();
  pager_->Dirty(table_);
  if (root() == 0) {
    Block* leaf = nullptr;
    unsigned e = allocNode(kKindLeaf, &leaf);
    if (e) return e;
    memcpy(leafAt(leaf, 0, es), entry, es);
    setCount(leaf, 1);
    wr32(keyDef() + kKdRoot, leaf->addr);
    wr32(keyDef() + kKdHeight, 1);
    addCounter(kKdEntries, 1);
    return ISAM_OK;
  }
  TreePos path[kMaxHeight];
  uint32_t h = 0;
  Block* b = nullptr;
  unsigned e = walk(entry, nullptr, path, &h, &b);
  if (e) return e;
  if (!b) return ISAM_ERR_CORRUPT;
  uint32_t n = count(b);
  uint32_t pos = leafSearch(b, entry, es, false);
  if (pos < n && memcmp(leafAt(b, pos, es), entry, es) == 0) return ISAM_ERR_CORRUPT;
  pager_->Dirty(b);
  addCounter(kKdEntries, 1);
  if (n < leafCap_) {
    memmove(leafAt(b, pos + 1, es), leafAt(b, pos, es), size_t(n - pos) * es);
    memcpy(leafAt(b, pos, es), entry, es);
    setCount(b, n + 1);
    return countAlong(path, h - 1, 1);
  }
  // Split: entries appended at an end keep the other node full (dense for sorted loads).
  uint32_t total = n + 1;
  std::vector<uint8_t> all(size_t(total) * es);
  memcpy(all.data(), leafAt(b, 0, es), size_t(pos) * es);
  memcpy(all.data() + size_t(pos) * es, entry, es);
  memcpy(all.data() + size_t(pos + 1) * es, leafAt(b, pos, es), size_t(n - pos) * es);
  uint32_t left = pos == n ? total - 1 : pos == 0 ? 1 : total / 2;
  Block* right = nullptr;
  e = allocNode(kKindLeaf, &right);
  if (e) return e;
  memcpy(leafAt(b, 0, es), all.data(), size_t(left) * es);
  setCount(b, left);
  memcpy(leafAt(right, 0, es), all.data() + size_t(left) * es, size_t(total - left) * es);
  setCount(right, total - left);
  std::vector<uint8_t> sep(leafAt(right, 0, es), leafAt(right, 0, es) + es);
  return insertInto(path, h - 1, sep.data(), right->addr, total - left, left);
}

unsigned CIsamBTree::countAlong(const TreePos* path, uint32_t levels, int delta) {
  const uint32_t es = EntrySize();
  for (uint32_t level = 0; level < levels; ++level) {
    Block* b = nullptr;
    unsigned e = node(path[level].addr, kKindInner, &b);
    if (e) return e;
    pager_->Dirty(b);
    uint8_t* slot = slotAt(b, path[level].index, es);
    wr32(slot + 4, uint32_t(int64_t(rd32(slot + 4)) + delta));
  }
  return ISAM_OK;
}

unsigned CIsamBTree::insertInto(TreePos* path, uint32_t level, const uint8_t* sep, uint32_t child,
                                uint32_t childEntries, uint32_t leftEntries) {
  const uint32_t es = EntrySize();
  const uint32_t ss = es + 8;
  if (level == 0) {
    Block* r = nullptr;
    unsigned e = allocNode(kKindInner, &r);
    if (e) return e;
    wr32(r->data + kNodeEntries, root());
    wr32(r->data + kNodeEntries + 4, leftEntries);
    memcpy(sepAt(r, 0, es), sep, es);
    wr32(sepAt(r, 0, es) + es, child);
    wr32(sepAt(r, 0, es) + es + 4, childEntries);
    setCount(r, 1);
    wr32(keyDef() + kKdRoot, r->addr);
    wr32(keyDef() + kKdHeight, height() + 1);
    return ISAM_OK;
  }
  TreePos& at = path[level - 1];
  Block* b = nullptr;
  unsigned e = node(at.addr, kKindInner, &b);
  if (e) return e;
  pager_->Dirty(b);
  uint32_t n = count(b);
  uint32_t j = at.index;  // the new separator goes to slot j, after the child that was split
  if (j > n) return ISAM_ERR_CORRUPT;
  wr32(slotAt(b, j, es) + 4, leftEntries);
  if (n < innerCap_) {
    memmove(sepAt(b, j + 1, es), sepAt(b, j, es), size_t(n - j) * ss);
    memcpy(sepAt(b, j, es), sep, es);
    wr32(sepAt(b, j, es) + es, child);
    wr32(sepAt(b, j, es) + es + 4, childEntries);
    setCount(b, n + 1);
    return countAlong(path, level - 1, 1);
  }
  uint32_t total = n + 1;
  std::vector<uint8_t> seps(size_t(total) * ss);
  memcpy(seps.data(), sepAt(b, 0, es), size_t(j) * ss);
  memcpy(seps.data() + size_t(j) * ss, sep, es);
  wr32(seps.data() + size_t(j) * ss + es, child);
  wr32(seps.data() + size_t(j) * ss + es + 4, childEntries);
  memcpy(seps.data() + size_t(j + 1) * ss, sepAt(b, j, es), size_t(n - j) * ss);
  uint32_t m = j == n ? total - 1 : j == 0 ? 1 : total / 2;
  Block* right = nullptr;
  e = allocNode(kKindInner, &right);
  if (e) return e;
  // Left keeps child 0 and separators [0, m); separator m moves up; right gets
  // its child and the rest.
  uint64_t leftSum = entriesAt(b, 0, es), rightSum = 0;
  for (uint32_t i = 0; i < m; ++i) leftSum += rd32(seps.data() + size_t(i) * ss + es + 4);
  for (uint32_t i = m; i < total; ++i) rightSum += rd32(seps.data() + size_t(i) * ss + es + 4);
  memcpy(sepAt(b, 0, es), seps.data(), size_t(m) * ss);
  setCount(b, m);
  const uint8_t* mid = seps.data() + size_t(m) * ss;
  memcpy(right->data + kNodeEntries, mid + es, 8);
  memcpy(sepAt(right, 0, es), mid + ss, size_t(total - m - 1) * ss);
  setCount(right, total - m - 1);
  std::vector<uint8_t> up(mid, mid + es);
  return insertInto(path, level - 1, up.data(), right->addr, uint32_t(rightSum), uint32_t(leftSum));
}

unsigned CIsamBTree::Erase(const uint8_t* entry) {
  const uint32_t es = EntrySize();
  if (root() == 0) return ISAM_ERR_CORRUPT;
  pager_->Dirty(table_);
  TreePos path[kMaxHeight];
  uint32_t h = 0;
  Block* b = nullptr;
  unsigned e = walk(entry, nullptr, path, &h, &b);
  if (e) return e;
  if (!b) return ISAM_ERR_CORRUPT;
  uint32_t n = count(b);
  uint32_t pos = leafSearch(b, entry, es, false);
  if (pos >= n || memcmp(leafAt(b, pos, es), entry, es) != 0) return ISAM_ERR_CORRUPT;
  pager_->Dirty(b);
  addCounter(kKdEntries, -1);
  memmove(leafAt(b, pos, es), leafAt(b, pos + 1, es), size_t(n - pos - 1) * es);
  setCount(b, n - 1);
  if (n > 1) return countAlong(path, h - 1, -1);
  freeNode(b);
  if (h == 1) {
    wr32(keyDef() + kKdRoot, 0);
    wr32(keyDef() + kKdHeight, 0);
    return ISAM_OK;
  }
  return removeChild(path, h - 2);
}

// The child path[level].index of the node at level is gone (freed).
unsigned CIsamBTree::removeChild(TreePos* path, uint32_t level) {
  const uint32_t es = EntrySize();
  const uint32_t ss = es + 8;
  Block* b = nullptr;
  unsigned e = node(path[level].addr, kKindInner, &b);
  if (e) return e;
  pager_->Dirty(b);
  uint32_t n = count(b);
  uint32_t i = path[level].index;
  if (i > n) return ISAM_ERR_CORRUPT;
  if (n == 0) {
    freeNode(b);
    if (level == 0) {
      wr32(keyDef() + kKdRoot, 0);
      wr32(keyDef() + kKdHeight, 0);
      return ISAM_OK;
    }
    return removeChild(path, level - 1);
  }
  if (i == 0) {
    memcpy(b->data + kNodeEntries, sepAt(b, 0, es) + es, 8);
    memmove(sepAt(b, 0, es), sepAt(b, 1, es), size_t(n - 1) * ss);
  } else {
    memmove(sepAt(b, i - 1, es), sepAt(b, i, es), size_t(n - i) * ss);
  }
  setCount(b, n - 1);
  // A root with a single child gives way to it.
  if (level == 0 && n == 1) {
    wr32(keyDef() + kKdRoot, rd32(b->data + kNodeEntries));
    wr32(keyDef() + kKdHeight, height() - 1);
    freeNode(b);
    return ISAM_OK;
  }
  return countAlong(path, level, -1);
}

unsigned CIsamBTree::descend(uint32_t addr, bool leftmost, uint32_t level, TreePath* path) {
  const uint32_t es = EntrySize();
  uint32_t h = uint32_t(path->levels.size());
  for (; level < h; ++level) {
    Block* b = nullptr;
    bool leaf = level + 1 == h;
    unsigned e = node(addr, leaf ? kKindLeaf : kKindInner, &b);
    if (e) return e;
    uint32_t n = count(b);
    uint32_t idx = leftmost ? 0 : leaf ? n - 1 : n;
    path->levels[level] = TreePos{addr, idx};
    if (!leaf) addr = childAt(b, idx, es);
  }
  return ISAM_OK;
}

unsigned CIsamBTree::Next(TreePath* path) {
  if (!path->valid) return ISAM_OK;
  const uint32_t es = EntrySize();
  uint32_t h = uint32_t(path->levels.size());
  Block* b = nullptr;
  TreePos& leaf = path->levels[h - 1];
  unsigned e = node(leaf.addr, kKindLeaf, &b);
  if (e) return e;
  if (leaf.index + 1 < count(b)) {
    ++leaf.index;
    return ISAM_OK;
  }
  for (uint32_t l = h - 1; l-- > 0;) {
    TreePos& p = path->levels[l];
    e = node(p.addr, kKindInner, &b);
    if (e) return e;
    if (p.index < count(b)) {
      ++p.index;
      return descend(childAt(b, p.index, es), true, l + 1, path);
    }
  }
  path->valid = false;
  return ISAM_OK;
}

unsigned CIsamBTree::Prev(TreePath* path) {
  if (!path->valid) return ISAM_OK;
  const uint32_t es = EntrySize();
  uint32_t h = uint32_t(path->levels.size());
  Block* b = nullptr;
  TreePos& leaf = path->levels[h - 1];
  if (leaf.index > 0) {
    --leaf.index;
    return ISAM_OK;
  }
  for (uint32_t l = h - 1; l-- > 0;) {
    TreePos& p = path->levels[l];
    unsigned e = node(p.addr, kKindInner, &b);
    if (e) return e;
    if (p.index > 0) {
      --p.index;
      return descend(childAt(b, p.index, es), false, l + 1, path);
    }
  }
  path->valid = false;
  return ISAM_OK;
}

unsigned CIsamBTree::walk(const uint8_t* entry, uint32_t* n, TreePos* path, uint32_t* levels, Block** leaf) {
  const uint32_t es = EntrySize();
  *leaf = nullptr;
  *levels = 0;
  uint32_t addr = root();
  if (addr == 0) return ISAM_OK;
  const uint32_t h = height();
  if (h == 0 || h > kMaxHeight) return ISAM_ERR_CORRUPT;
  Block* b = nullptr;
  for (uint32_t level = 0; level + 1 < h; ++level) {
    unsigned e = node(addr, kKindInner, &b);
    if (e) return e;
    uint32_t i = 0;
    if (entry) {
      i = innerSearch(b, entry, es);
    } else {
      const uint32_t children = count(b) + 1u;
      for (; i < children; ++i) {
        const uint32_t under = entriesAt(b, i, es);
        if (*n < under) break;
        *n -= under;
      }
      if (i == children) {
        if (level == 0) return ISAM_OK;  // past the last entry
        return ISAM_ERR_CORRUPT;         // the parent counted more than the node holds
      }
    }
    path[level] = TreePos{addr, i};
    addr = childAt(b, i, es);
  }
  unsigned e = node(addr, kKindLeaf, &b);
  if (e) return e;
  path[h - 1] = TreePos{addr, 0};
  *levels = h;
  *leaf = b;
  return ISAM_OK;
}

unsigned CIsamBTree::SeekLeaf(const uint8_t* entry, bool after, TreePath* path, uint32_t* leafAddr, Block** leaf,
                              uint32_t* pos) {
  path->valid = false;
  TreePos levels[kMaxHeight];
  uint32_t h = 0;
  unsigned e = walk(entry, nullptr, levels, &h, leaf);
  if (e || !*leaf) return e;
  path->levels.assign(levels, levels + h);
  *pos = leafSearch(*leaf, entry, EntrySize(), after);
  *leafAddr = levels[h - 1].addr;
  path->valid = true;
  return ISAM_OK;
}

unsigned CIsamBTree::SeekEntry(uint32_t n, TreePath* path) {
  path->valid = false;
  TreePos levels[kMaxHeight];
  uint32_t h = 0;
  Block* b = nullptr;
  unsigned e = walk(nullptr, &n, levels, &h, &b);
  if (e || !b) return e;
  if (n >= count(b)) return h == 1 ? ISAM_OK : ISAM_ERR_CORRUPT;
  levels[h - 1].index = n;
  path->levels.assign(levels, levels + h);
  path->valid = true;
  return ISAM_OK;
}

unsigned CIsamBTree::EntryNumber(const uint8_t* entry, bool* found, uint32_t* n) {
  const uint32_t es = EntrySize();
  *found = false;
  *n = 0;
  TreePos levels[kMaxHeight];
  uint32_t h = 0;
  Block* b = nullptr;
  unsigned e = walk(entry, nullptr, levels, &h, &b);
  if (e || !b) return e;
  const uint32_t pos = leafSearch(b, entry, es, false);
  if (pos >= count(b) || memcmp(leafAt(b, pos, es), entry, es) != 0) return ISAM_OK;
  // The entries under the children left of the path, level by level.
  uint64_t before = pos;
  for (uint32_t l = 0; l + 1 < h; ++l) {
    if ((e = node(levels[l].addr, kKindInner, &b)) != 0) return e;
    for (uint32_t i = 0; i < levels[l].index; ++i) before += entriesAt(b, i, es);
  }
  if (before > UINT32_MAX) return ISAM_ERR_CORRUPT;
  *n = uint32_t(before);
  *found = true;
  return ISAM_OK;
}

unsigned CIsamBTree::SeekForward(const uint8_t* entry, bool after, TreePath* path) {
  uint32_t addr = 0, pos = 0;
  Block* b = nullptr;
  unsigned e = SeekLeaf(entry, after, path, &addr, &b, &pos);
  if (e || !b) return e;
  const uint32_t last = uint32_t(path->levels.size() - 1);
  if (pos < count(b)) {
    path->levels[last] = TreePos{addr, pos};
    return ISAM_OK;
  }
  path->levels[last] = TreePos{addr, uint32_t(count(b) - 1)};
  return Next(path);
}

unsigned CIsamBTree::SeekBackward(const uint8_t* entry, bool before, TreePath* path) {
  uint32_t addr = 0, pos = 0;
  Block* b = nullptr;
  unsigned e = SeekLeaf(entry, !before, path, &addr, &b, &pos);
  if (e || !b) return e;
  const uint32_t last = uint32_t(path->levels.size() - 1);
  if (pos > 0) {
    path->levels[last] = TreePos{addr, pos - 1};
    return ISAM_OK;
  }
  path->levels[last] = TreePos{addr, 0};
  return Prev(path);
}

unsigned CIsamBTree::EntryAt(const TreePath& path, const uint8_t** entry) {
  const TreePos& leaf = path.levels.back();
  Block* b = nullptr;
  unsigned e = node(leaf.addr, kKindLeaf, &b);
  if (e) return e;
  if (leaf.index >= count(b)) return ISAM_ERR_CORRUPT;
  *entry = leafAt(b, leaf.index, EntrySize());
  return ISAM_OK;
}

unsigned CIsamBTree::FindKey(const uint8_t* key, bool* found, uint32_t* address) {
  *found = false;
  std::vector<uint8_t> probe(EntrySize(), 0);
  memcpy(probe.data(), key, keyLength_);
  TreePath path;
  unsigned e = SeekForward(probe.data(), false, &path);
  if (e || !path.valid) return e;
  const uint8_t* entry = nullptr;
  e = EntryAt(path, &entry);
  if (e) return e;
  if (memcmp(entry, key, keyLength_) == 0) {
    *found = true;
    if (address) *address = entryAddress(entry + keyLength_);
  }
  return ISAM_OK;
}

}  // namespace isam
