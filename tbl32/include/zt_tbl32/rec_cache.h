// The record cache of a table browser: the record addresses of up to 1024 lines
// and the data of up to 64 of them, replaced least recently used first.
#pragma once

#include "zt_tbl32/frame.h"

constexpr unsigned kZTCacheBuffers = 64;    // records whose data is held
constexpr unsigned kZTCacheRecords = 1024;  // lines whose address is remembered
// The line of a free cache record, the owner of a free buffer, and the record
// lookups answer for a line that is not cached.
constexpr unsigned kZTCacheNone = 0xFFFFFFFFu;

// One remembered line.
struct SCacheRecord {
  unsigned uLastUse;  // the use counter when last hit or saved
  unsigned uLine;     // kZTCacheNone: free
  unsigned uAddress;  // ISAM address of the line's record
  BYTE* pData;        // one of the buffers, or null
};

class ZT_TBL32_API CZTRecCache {
 public:
  struct SBufferSlot {
    unsigned uOwner;  // cache record using the buffer; kZTCacheNone: free
    BYTE* pBuffer;    // m_pBuffers + slot * m_uRecordSize
  };

  unsigned m_uUseCounter;  // stamps records on every hit and save
  unsigned m_uRecordSize;
  unsigned m_uBufferBytes;  // 64 x record size; 0 when not initialised
  BYTE* m_pBuffers;
  SBufferSlot m_Slots[kZTCacheBuffers];
  SCacheRecord m_Records[kZTCacheRecords];

  CZTRecCache();
  ~CZTRecCache();
  CZTRecCache(const CZTRecCache&) = delete;
  CZTRecCache& operator=(const CZTRecCache&) = delete;

  // Frees the buffer block and zeroes the sizes; the cache is then empty.
  void FreeCache();
  // Allocates 64 buffers of recordSize bytes and empties the cache. int: 1 ok.
  int InitCache(unsigned recordSize);
  // Forgets every line; the buffers stay allocated.
  void InvalidateCache();
  // The first free cache record, else the least recently used one.
  unsigned FindFreeRecord();
  // A buffer for cache record `record`: the first free one, else the one whose
  // owner was used least recently (that owner keeps its line and address but
  // loses its data). Null when the cache has no buffers.
  BYTE* FindFreeBuffer(unsigned record);
  // The cache record of a line, stamped as used; kZTCacheNone when absent.
  unsigned FindLine(unsigned line);
  // The remembered line nearest to `line` (the first in record order on ties).
  // int: 0 when no line is remembered.
  int FindNearestLine(unsigned line, unsigned* nearestLine, unsigned* record) const;
  SCacheRecord* FindRecord(unsigned line);
  // Null for 1024 and above.
  SCacheRecord* GetRecord(unsigned record);
  // Remembers a line with its address and a copy of its record. int: 1 ok.
  int SaveRecord(const BYTE* data, unsigned long address, unsigned line);

 private:
  enum : unsigned { kLineHashSize = 2048, kNoRecord = 0xFFFF };
  // The next use stamp; before the counter runs over, the stamps are renumbered
  // in their order so that the least recently used record stays the same.
  unsigned NextUse();
  // Stamps a record in use and makes it the most recently used one.
  void Touch(unsigned record);
  void Empty();
  unsigned Lookup(unsigned line) const;
  void Unlink(unsigned record);

  // What the lookups above answer from without searching every record: the
  // records by line (chained), the records in use from the least to the most
  // recently used (stamps rise along it), and the first free record (records
  // fill from the first one and are freed all at once). Kept by the methods
  // alone: the lines and stamps of the records are the cache's to change.
  unsigned short m_LineHead[kLineHashSize];
  unsigned short m_LineNext[kZTCacheRecords];
  unsigned short m_Older[kZTCacheRecords];
  unsigned short m_Newer[kZTCacheRecords];
  unsigned short m_uOldest;
  unsigned short m_uNewest;
  unsigned m_uFirstFree;
};
