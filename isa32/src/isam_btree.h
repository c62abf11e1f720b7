// One B+tree index of a table. Entries are the converted key followed by the
// record address in big-endian order, so that memcmp orders them and equal keys
// run in address order. A node takes the table's index node size rounded up to
// whole units and uses every byte of it after the block header.
//
// Leaf:  u16 count, count x (key, address)
// Inner: u16 count, u32 child 0, u32 entries under child 0, count x (key,
//        address, u32 child, u32 entries under it); the separator i is the
//        first entry under child i + 1. The entry counts let a position be
//        found by its number in the index.
#pragma once

#include <stdint.h>

#include <vector>

#include "isam_pager.h"

namespace isam {

constexpr uint32_t kMaxHeight = 64;

// The record address at the end of an index entry, big-endian so that entries
// with equal keys sort by address.
inline void putEntryAddress(uint8_t* p, uint32_t a) {
  p[0] = uint8_t(a >> 24);
  p[1] = uint8_t(a >> 16);
  p[2] = uint8_t(a >> 8);
  p[3] = uint8_t(a);
}
inline uint32_t entryAddress(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

struct TreePos {
  uint32_t addr;
  uint32_t index;  // entry (leaf) or child (inner)
};

// A position in a tree: one TreePos per level, the root first.
struct TreePath {
  std::vector<TreePos> levels;
  bool valid = false;
};

class CIsamBTree {
 public:
  // table: the table block (its key definition holds root, height and counts).
  CIsamBTree(CIsamPager* pager, Block* table, unsigned key, uint32_t nodeSize, uint32_t keyLength);

  static uint32_t NodeUnits(uint32_t nodeSize) { return unitsFor(kBlockHeader + nodeSize); }
  // Bytes of a node after its block header.
  static uint32_t NodeBytes(uint32_t nodeSize) { return NodeUnits(nodeSize) * kUnit - kBlockHeader; }
  static uint32_t LeafCapacity(uint32_t nodeSize, uint32_t keyLength) {
    return (NodeBytes(nodeSize) - 2) / (keyLength + 4);
  }
  static uint32_t InnerCapacity(uint32_t nodeSize, uint32_t keyLength) {
    return (NodeBytes(nodeSize) - 10) / (keyLength + 12);
  }
  // An inner node's separator i, and its child i with the number of entries
  // under it (block data, entry size es).
  static const uint8_t* InnerSeparator(const uint8_t* data, uint32_t i, uint32_t es) {
    return data + kNodeEntries + 8 + size_t(i) * (es + 8);
  }
  static uint32_t InnerChild(const uint8_t* data, uint32_t i, uint32_t es) {
    return rd32(i == 0 ? data + kNodeEntries : InnerSeparator(data, i - 1, es) + es);
  }
  static uint32_t InnerEntries(const uint8_t* data, uint32_t i, uint32_t es) {
    return rd32((i == 0 ? data + kNodeEntries : InnerSeparator(data, i - 1, es) + es) + 4);
  }

  // entry: key and address (keyLength + 4 bytes).
  unsigned Insert(const uint8_t* entry);
  unsigned Erase(const uint8_t* entry);
  // True in *found when an entry with that key (any address) exists; *address gets it.
  unsigned FindKey(const uint8_t* key, bool* found, uint32_t* address);

  // Positions: the first entry >= entry (after: > entry), or the last entry <=
  // entry (before: < entry); path->valid false when there is none.
  unsigned SeekForward(const uint8_t* entry, bool after, TreePath* path);
  unsigned SeekBackward(const uint8_t* entry, bool before, TreePath* path);
  // Positions on the entry number n (from 0) in index order; path->valid false
  // when the index holds no more than n entries.
  unsigned SeekEntry(uint32_t n, TreePath* path);
  // The reverse: the number in index order of an entry (key and address);
  // *found false when the index does not hold it.
  unsigned EntryNumber(const uint8_t* entry, bool* found, uint32_t* n);
  unsigned Next(TreePath* path);
  unsigned Prev(TreePath* path);
  // The entry at a valid path (points into the cached leaf, valid until the next pager call).
  unsigned EntryAt(const TreePath& path, const uint8_t** entry);

  uint32_t EntrySize() const { return keyLength_ + 4; }

 private:
  uint8_t* keyDef();
  uint32_t root();
  uint32_t height();
  unsigned node(uint32_t addr, uint16_t kind, Block** out);
  unsigned descend(uint32_t addr, bool leftmost, uint32_t level, TreePath* path);
  // The one root-to-leaf walk. In each inner node it takes the child where entry
  // belongs or, with entry null, the child holding the entry number *n (which
  // then counts from the first entry of that child). path (room for kMaxHeight)
  // gets one position per level, the leaf last (at its entry 0); *levels the
  // height.
  // *leaf is null for an empty tree or an entry number past the last.
  unsigned walk(const uint8_t* entry, uint32_t* n, TreePos* path, uint32_t* levels, Block** leaf);
  // The leaf where entry belongs, its path (the leaf last, at its entry 0) and the
  // position leafSearch finds there (no leaf: empty tree).
  unsigned SeekLeaf(const uint8_t* entry, bool after, TreePath* path, uint32_t* leafAddr, Block** leaf, uint32_t* pos);
  // Adds sep with its new right child (childEntries under it) after the child
  // path[level - 1].index of the node at level - 1, which keeps leftEntries;
  // level 0 means a new root.
  unsigned insertInto(TreePos* path, uint32_t level, const uint8_t* sep, uint32_t child, uint32_t childEntries,
                      uint32_t leftEntries);
  unsigned removeChild(TreePos* path, uint32_t level);
  // Adds delta to the entry counts of the children path[0 .. levels - 1] lead to.
  unsigned countAlong(const TreePos* path, uint32_t levels, int delta);
  unsigned allocNode(uint16_t kind, Block** out);
  void freeNode(Block* b);
  void addCounter(uint32_t offset, int delta);

  CIsamPager* pager_;
  Block* table_;
  unsigned key_;
  uint32_t keyLength_;
  uint32_t nodeUnits_;
  uint32_t leafCap_;
  uint32_t innerCap_;
};

}  // namespace isam
