// Iterations through an index: setting them up and reading on.
#include "isam_file.h"
#include "isam_file_access.h"

#include <string.h>

namespace isam {

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

// The entry of the record at an address in an index: its key and the address.
// *skipped: the index leaves the record out (a blank key of an index that skips them).
unsigned CIsamFile::recordEntry(TableState* st, unsigned index, unsigned address, std::vector<uint8_t>* entry,
                                bool* skipped) {
  Block* b = nullptr;
  uint8_t* rec = nullptr;
  unsigned e = recordSlot(st, address, true, &b, &rec);
  if (e) return e;
  const KeyDef& def = st->keys[index];
  *skipped = def.Option(ISAM_OPT_SKIP_BLANK) && KeyIsBlank(def, rec);
  entry->resize(def.keyLength + 4);
  KeyFromRecord(def, rec, entry->data());
  putEntryAddress(entry->data() + def.keyLength, address);
  return ISAM_OK;
}

unsigned CIsamFile::SetupAddress(TableHandle* t, unsigned index, unsigned flags, unsigned address) {
  Block* tb = nullptr;
  const bool known = flags == ISAM_ITER_FROM_ADDRESS || flags == ISAM_ITER_BACKWARD_FROM_ADDRESS;
  std::vector<uint8_t> from;
  bool skipped = false;
  unsigned e = checkSetup(t, index, known, &tb);
  if (!e) e = recordEntry(t->state.get(), index, address, &from, &skipped);
  if (e) return e;
  Cursor& c = t->cursors[index];
  restartCursor(c, flags == ISAM_ITER_BACKWARD_FROM_ADDRESS);
  c.inclusive = false;
  c.from.swap(from);
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

unsigned CIsamFile::EntryNumber(TableHandle* t, unsigned index, unsigned address, unsigned* number) {
  TableState* st = t->state.get();
  Block* tb = nullptr;
  std::vector<uint8_t> entry;
  bool skipped = false;
  unsigned e = checkSetup(t, index, true, &tb);
  if (!e) e = recordEntry(st, index, address, &entry, &skipped);
  if (e) return e;
  if (skipped) return ISAM_END_OF_ITERATION;
  CIsamBTree tree(&pager_, tb, index, st->nodeSize, st->keys[index].keyLength);
  bool found = false;
  uint32_t n = 0;
  if ((e = tree.EntryNumber(entry.data(), &found, &n)) != 0) return e;
  // A record that its index does not hold is a damaged file.
  if (!found) return ISAM_ERR_CORRUPT;
  *number = n;
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
      prefetchRecord(st, entryAddress(leaf->data + kNodeEntries + size_t(at.index + kAhead) * es + def.keyLength));
    else if (c.backward && at.index >= kAhead)
      prefetchRecord(st, entryAddress(leaf->data + kNodeEntries + size_t(at.index - kAhead) * es + def.keyLength));
  }
  uint32_t addr = entryAddress(entry + def.keyLength);
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
      uint32_t a = entryAddress(base + size_t(i) * es + def.keyLength);
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

}  // namespace isam
