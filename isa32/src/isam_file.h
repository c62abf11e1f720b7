// An open ISAM file: its catalogue of tables, their records and indexes, the
// table handles, and the iterations of each handle.
#pragma once

#include <stdint.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "isam_btree.h"
#include "isam_key.h"
#include "isam_pager.h"

namespace isam {

// What a table's block says, decoded once, and the addresses of its data blocks.
struct TableState {
  uint32_t block = 0;  // table block address
  char name[32] = {};
  uint32_t recordSize = 0;
  uint32_t nodeSize = 0;
  uint32_t keyCount = 0;
  uint32_t perBlock = 0;
  uint32_t dataUnits = 0;
  uint32_t bitmapBytes = 0;
  KeyDef keys[ISAM_MAX_KEYS] = {};
  uint32_t versions[ISAM_MAX_KEYS] = {};  // bumped by every change of an index
  std::vector<uint32_t> dataBlocks;
  // Data blocks by number as last found in the cache; an entry holds while the
  // pager's epoch is the one it was taken in.
  struct CachedBlock {
    Block* block;
    uint64_t epoch;
  };
  std::vector<CachedBlock> dataCache;
  uint32_t generation = 0;  // pager generation the data block list belongs to
  bool dropped = false;
};

// One iteration of one index through one table handle.
struct Cursor {
  enum State { kNone, kReady, kEnded };
  State state = kNone;
  bool backward = false;
  bool inclusive = false;  // the next read may return the entry equal to `from`
  bool hasLow = false;
  bool hasHigh = false;
  std::vector<uint8_t> from;  // entry to continue from
  std::vector<uint8_t> low;   // converted limits (key only)
  std::vector<uint8_t> high;
  TreePath path;  // positioned on the next entry to return when pathFresh
  bool pathFresh = false;
  Block* leaf = nullptr;  // the leaf of the path, valid in leafEpoch
  uint64_t leafEpoch = 0;
  uint32_t version = 0;
  uint32_t generation = 0;
};

// The checks of a new table's definition; defs gets the keys decoded. On a
// fault *key and *part name the key and part at fault (ISAM_NO_KEY, ISAM_NO_PART: none).
unsigned CheckTableDef(const ISAMIDT* idt, unsigned keyCount, unsigned recordSize, unsigned nodeSize, KeyDef* defs,
                       unsigned* key, unsigned* part);

class CIsamFile;

struct TableHandle {
  CIsamFile* file;
  std::shared_ptr<TableState> state;
  std::vector<Cursor> cursors;
};

class CIsamFile {
 public:
  CIsamFile();
  ~CIsamFile();
  CIsamFile(const CIsamFile&) = delete;
  CIsamFile& operator=(const CIsamFile&) = delete;

  unsigned Create(const char* name, bool namedOnClose, unsigned* ext);
  unsigned Open(const char* name, bool readOnly, bool acceptLogLoss, unsigned* ext);
  unsigned Close(unsigned* ext);
  unsigned Discard(unsigned* ext);
  const std::string& Name() const { return name_; }
  CIsamPager& Pager() { return pager_; }

  unsigned TableCount(unsigned* count);
  unsigned TableName(unsigned index, char* name, unsigned size);
  unsigned CreateTable(const char* name, const ISAMIDT* idt, unsigned keyCount, unsigned recordSize, unsigned nodeSize);
  unsigned OpenTable(const char* name, TableHandle** handle);
  unsigned CloseTable(TableHandle* handle);
  std::vector<TableHandle*>& Handles() { return handles_; }

  unsigned WriteDesc(TableHandle* t, unsigned slot, const char* text, unsigned length);
  unsigned DescSize(TableHandle* t, unsigned slot, unsigned* size);
  unsigned ReadDesc(TableHandle* t, unsigned slot, char* buffer, unsigned size, unsigned* length);
  unsigned IndexDesc(TableHandle* t, unsigned index, uint8_t* desc);
  unsigned RecordCount(TableHandle* t, unsigned* count);
  unsigned KeyEntrySize(TableHandle* t, unsigned index, unsigned* size);

  unsigned SetupLimits(TableHandle* t, unsigned index, unsigned flags, const void* low, const void* high);
  unsigned SetupAddress(TableHandle* t, unsigned index, unsigned flags, unsigned address);
  unsigned SetupEntry(TableHandle* t, unsigned index, unsigned flags, unsigned entry);
  unsigned EntryNumber(TableHandle* t, unsigned index, unsigned address, unsigned* entry);
  unsigned ReadNext(TableHandle* t, unsigned index, void* record, unsigned* address);
  unsigned ReadNextKeys(TableHandle* t, unsigned index, void* buffer, unsigned size, unsigned* count);
  unsigned ReadRecords(TableHandle* t, unsigned* address, void* buffer, unsigned size, unsigned* count);
  unsigned ReadByAddress(TableHandle* t, unsigned address, void* buffer, unsigned size);

  unsigned Insert(TableHandle* t, const void* record, unsigned* address);
  unsigned Update(TableHandle* t, unsigned address, const void* record);
  unsigned Delete(TableHandle* t, unsigned address);
  unsigned Begin();
  unsigned Commit();
  unsigned Rollback();

  // Everything the integrity check needs.
  unsigned Catalog(std::vector<std::pair<std::string, uint32_t>>* tables);
  unsigned LoadTable(uint32_t block, TableState* state);

  // Ends an API call: trims the cache.
  void EndCall() { pager_.Trim(); }

 private:
  // Drops the table handles and what is known of the tables.
  void forget();
  unsigned sync();
  // Before a change: the handle becomes the writer (which may read the file anew).
  unsigned writable() { return pager_.BecomeWriter(); }
  unsigned loadCatalog();
  // The catalogue entry of a table name (ASCII case ignored), or -1.
  long findTable(const char* name) const;
  unsigned refresh(TableState* st);
  unsigned tableBlock(TableState* st, Block** out);
  unsigned checkSetup(TableHandle* t, unsigned index, bool knownFlags, Block** tb);
  unsigned recordSlot(TableState* st, uint32_t address, bool mustBeUsed, Block** block, uint8_t** record);
  unsigned recordEntry(TableState* st, unsigned index, unsigned address, std::vector<uint8_t>* entry, bool* skipped);
  // Adds (insert) or removes the index entries of a record in every key of the table.
  unsigned indexRecord(TableState* st, Block* tb, const uint8_t* rec, uint32_t address, bool insert);
  unsigned recordSlot(TableState* st, Block* tb, uint32_t address, bool mustBeUsed, Block** block, uint8_t** record);
  unsigned dataBlock(TableState* st, uint32_t number, Block** out);
  void prefetchRecord(TableState* st, uint32_t address);
  unsigned writeBegin(bool* own);
  unsigned writeEnd(bool own, unsigned result, bool changed);
  unsigned allocateRecord(TableState* st, Block* tb, uint32_t* address);
  unsigned checkKeys(TableState* st, const uint8_t* record, uint32_t self, const uint8_t* old);
  unsigned freeDescChain(TableState* st, Block* tb, unsigned slot);
  unsigned position(TableHandle* t, unsigned index, Cursor& c);
  unsigned cursorLeaf(TableState* st, CIsamBTree& tree, unsigned index, Cursor& c, Block** leaf);
  unsigned cursorStep(CIsamBTree& tree, Cursor& c, uint32_t count);
  static bool inOrder(const Cursor& c, const uint8_t* entry, uint32_t entrySize);
  static bool pastLimit(const Cursor& c, const uint8_t* entry, uint32_t keyLength);

  CIsamPager pager_;
  std::string name_;
  bool open_;
  uint32_t generation_;
  std::vector<std::pair<std::string, uint32_t>> catalog_;  // name, table block
  std::unordered_map<std::string, size_t> catalogIndex_;   // folded name -> catalog_ entry
  std::vector<std::shared_ptr<TableState>> states_;
  std::vector<TableHandle*> handles_;
  std::vector<uint8_t> keyBuf_;
  std::vector<uint8_t> keyBuf2_;
};

}  // namespace isam
