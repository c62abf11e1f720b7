// Blocks of an ISAM file: the page cache, checksums, allocation, and crash-safe
// transactions through a write-ahead log beside the file ("<file>-wal").
//
// A transaction's changed blocks that existed before it go to the log; blocks
// allocated at the end of the file go straight into the file (nothing committed
// can live there). Commit: write the new blocks, flush the file, append the log
// frames and a commit frame, flush the log: at most two flushes. A block that
// leaves the cache during a transaction more than once keeps one frame in the
// log, written over each time; such a transaction flushes its frames before its
// commit frame (one flush more). The log is copied into the file (a checkpoint)
// when a later transaction begins and the log is long, and at close.
//
// Every open handle starts as a reader: it holds a shared lock on the reader
// byte and reads the file as of its opening (the file plus the committed log).
// A handle of mode 4 becomes the writer at its first change: it takes the writer
// byte, reads the newest state and opens the log for writing. A checkpoint needs
// the reader byte exclusively, so it never changes the file under a reader.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "isam_format.h"
#include "isam_io.h"
#include "isam_log_scan.h"

namespace isam {

struct Block {
  uint32_t addr;
  uint32_t units;
  uint16_t kind;
  bool dirty;
  bool referenced;      // used since the cache was last trimmed past it
  uint32_t dirtyIndex;  // position in the pager's dirty list
  Block* prev;          // towards the most recently used
  Block* next;
  uint8_t* data;  // right behind this structure
  uint32_t Bytes() const { return units * kUnit; }
};

class CIsamPager {
 public:
  CIsamPager();
  ~CIsamPager();
  CIsamPager(const CIsamPager&) = delete;
  CIsamPager& operator=(const CIsamPager&) = delete;

  // A new file, opened as its writer. namedOnClose: the file is built under
  // "<name>-new", and Close gives it its name once it is complete.
  unsigned Create(const char* name, bool namedOnClose, unsigned* ext);
  unsigned Open(const char* name, bool readOnly, bool acceptLogLoss, unsigned* ext);
  // Rolls back an open transaction and checkpoints; the pager is closed afterwards
  // whatever the result.
  unsigned Close(unsigned* ext);
  // Closes a file this pager created and removes it with its log.
  unsigned Discard(unsigned* ext);
  // Makes a handle of mode 4 the file's writer (nothing when it is one already).
  unsigned BecomeWriter();

  bool ReadOnly() const { return readOnly_; }
  bool Writer() const { return writer_; }
  // What opening found of the log: committed transactions lost to damage, and
  // the system error of a log that could not be read (both 0 when sound).
  uint32_t LostCommits() const { return lostCommits_; }
  unsigned LogError() const { return logError_; }
  bool LogUnreadable() const { return logUnreadable_; }
  const std::string& LogName() const { return walName_; }
  bool InTransaction() const { return inTx_; }
  bool Failed() const { return failed_; }
  // Changes whenever cached state may differ from what upper layers remember (rollback).
  uint32_t Generation() const { return generation_; }
  // Changes whenever a block leaves the cache: a Block pointer kept across calls
  // is valid while the epoch is the same.
  uint64_t Epoch() const { return epoch_; }
  uint32_t LastDetail() const { return detail_; }
  Block* Header() { return header_; }
  // After a change inside an explicit transaction failed half-way: only a
  // rollback is possible from now on.
  void MarkFailed() {
    if (inTx_) failed_ = true;
  }
  uint32_t FileEnd() const { return rd32(header_->data + kFhFileEnd); }

  // A verified block; kind 0 accepts any block kind.
  unsigned Get(uint32_t addr, uint32_t units, uint16_t kind, Block** out);
  // Marks a block changed; only inside a transaction.
  void Dirty(Block* block);
  // A new zeroed block of a kind, from the free list whose head is the u32 at
  // head (inside owner, which becomes dirty) or from the end of the file.
  unsigned Allocate(uint32_t units, uint16_t kind, Block* owner, uint8_t* head, Block** out);
  // Allocates a block as Allocate does (free list at freeHead inside owner) and
  // appends it to a chained list: its address goes into the u32 at nextOffset
  // of last or, for an empty list (no last), into the u32 at head inside
  // headOwner.
  unsigned AppendChained(uint32_t units, uint16_t kind, Block* owner, uint8_t* freeHead, Block* last,
                         uint32_t nextOffset, Block* headOwner, uint8_t* head, Block** out);
  // Puts a block on the free list whose head is the u32 at head inside owner.
  void Release(Block* block, Block* owner, uint8_t* head);

  unsigned Begin();
  unsigned Commit();
  void Rollback();
  // Evicts blocks beyond the cache budget (between calls only: pointers to
  // blocks are valid until then).
  void Trim();
  void SetCacheBytes(size_t bytes);
  // Bytes of the file and log (for tests and benchmarks).
  uint64_t WalBytes() const { return walEnd_; }
  // The name the file has (or gets when it is closed).
  const std::string& FinalName() const { return finalName_; }

 private:
  typedef LogEntry WalEntry;

  unsigned attach(unsigned* ext);
  unsigned lockReader();
  unsigned openLogForWriting(bool* created);
  unsigned installLog(LogScan& scan);
  unsigned writeHeader();
  unsigned readBlock(uint32_t addr, uint32_t units, uint8_t* data);
  unsigned verify(const uint8_t* data, uint32_t addr, uint32_t units, uint16_t kind) const;
  void seal(Block* b) const;
  Block* newBlock(uint32_t addr, uint32_t units);
  void freeBlock(Block* b);
  void linkFront(Block* b);
  void unlink(Block* b);
  void dropAll();
  unsigned resetWal();
  unsigned appendFrame(uint32_t addr, uint32_t units, uint32_t flags, const uint8_t* data, uint64_t* dataOffset);
  void frameHeader(uint32_t addr, uint32_t units, uint32_t flags, const uint8_t* data, uint8_t* fh) const;
  unsigned rewriteFrame(uint64_t at, const Block* b);
  unsigned flushWalBuffer();
  unsigned writeOut(Block* b, std::unordered_map<uint32_t, WalEntry>* frames);
  unsigned checkpointCopy();
  unsigned checkpoint(bool wait, bool closing, bool* done);
  unsigned flush(ZTIoHandle h);
  unsigned fail(unsigned error, unsigned detail);
  unsigned reloadHeader();
  void closeHandles();

  CIsamIo* io_;
  std::string name_;
  std::string walName_;
  ZTIoHandle db_;
  ZTIoHandle wal_;
  bool readOnly_;       // mode 5: never writes
  bool writer_;         // holds the writer byte and the log for writing
  bool writerLocked_;   // holds the writer byte
  bool acceptLogLoss_;  // opened although its log is damaged or unreadable
  bool namedOnClose_;   // built under a temporary name (name_) until Close
  bool created_;        // made by Create (Discard may remove it)
  std::string finalName_;
  unsigned writeDenied_;  // system error of opening the file for writing (0: it can be)
  uint32_t lostCommits_;
  unsigned logError_;
  bool logUnreadable_;
  uint32_t txFrames_;  // frames the open transaction wrote into the log
  bool txRewritten_;   // it wrote one of them over in the log file
  bool inTx_;
  bool failed_;
  bool dbWritten_;  // file written since its last flush
  bool readerLocked_;
  uint32_t generation_;
  uint64_t epoch_;
  uint32_t detail_;
  uint32_t committedEnd_;  // file end of the last commit: blocks above are new
  uint32_t serial_;        // serial of the current or last transaction
  uint32_t salt_;
  uint32_t walVersion_;  // format of the log frames are appended to
  uint32_t walSeed_;     // their checksum seed
  uint32_t fileIdLo_;
  uint32_t fileIdHi_;
  uint64_t walEnd_;              // end of the committed log
  uint64_t walWrite_;            // end of everything written to the log
  std::vector<uint8_t> walBuf_;  // frames not yet written, starting at walBufStart_
  uint64_t walBufStart_;
  std::vector<uint8_t> frameBuf_;                  // a frame written over in the log file
  std::unordered_map<uint32_t, WalEntry> walMap_;  // committed blocks in the log
  std::unordered_map<uint32_t, WalEntry> txWal_;   // blocks of this transaction in the log
  std::unordered_map<uint32_t, Block*> cache_;
  // Direct-mapped front of cache_: most lookups end here without hashing.
  std::vector<Block*> fast_;
  uint32_t fastMask_;
  std::vector<Block*> dirtyList_;
  Block* lruHead_;
  Block* lruTail_;
  Block* header_;
  size_t cacheBytes_;
  size_t budget_;
};

}  // namespace isam
