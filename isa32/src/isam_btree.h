// One B+tree index of a table. Entries are the converted key followed by the
// record address in big-endian order, so that memcmp orders them and equal keys
// run in address order. Nodes take exactly the table's index node size.
//
// Leaf:  u16 count, count x (key, address)
// Inner: u16 count, u32 child 0, count x (key, address, u32 child); the
//        separator i is the first entry under child i + 1.
#pragma once

#include <stdint.h>

#include <vector>

#include "isam_pager.h"

namespace isam {

constexpr uint32_t kMaxHeight = 64;

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

  static uint32_t LeafCapacity(uint32_t nodeSize, uint32_t keyLength) { return (nodeSize - 2) / (keyLength + 4); }
  static uint32_t InnerCapacity(uint32_t nodeSize, uint32_t keyLength) { return (nodeSize - 6) / (keyLength + 8); }
  static uint32_t NodeUnits(uint32_t nodeSize) { return unitsFor(kBlockHeader + nodeSize); }

  // entry: key and address (keyLength + 4 bytes).
  unsigned Insert(const uint8_t* entry);
  unsigned Erase(const uint8_t* entry);
  // True in *found when an entry with that key (any address) exists; *address gets it.
  unsigned FindKey(const uint8_t* key, bool* found, uint32_t* address);

  // Positions: the first entry >= entry (after: > entry), or the last entry <=
  // entry (before: < entry); path->valid false when there is none.
  unsigned SeekForward(const uint8_t* entry, bool after, TreePath* path);
  unsigned SeekBackward(const uint8_t* entry, bool before, TreePath* path);
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
  // Walks from the root to the leaf where entry belongs, filling the path's inner
  // levels; gives the leaf and the position leafSearch finds there (no leaf: empty tree).
  unsigned SeekLeaf(const uint8_t* entry, bool after, TreePath* path, uint32_t* leafAddr, Block** leaf, uint32_t* pos);
  unsigned insertInto(TreePos* path, uint32_t level, const uint8_t* sep, uint32_t child);
  unsigned removeChild(TreePos* path, uint32_t level);
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
