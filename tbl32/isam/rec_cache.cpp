#include "zt_tbl32/rec_cache.h"

#include <string.h>

#include <algorithm>
#include <new>
#include <stdint.h>

#include "zt_tbl32/desc_errors.h"

namespace {
const char kSource[] = "CZTRecCache";
}

namespace {
// Lines spread over the chains by a multiplicative hash (11 bits).
inline unsigned LineHash(unsigned line) { return (line * 2654435761u) >> 21; }
}  // namespace

CZTRecCache::CZTRecCache() : m_uUseCounter(0), m_uRecordSize(0), m_uBufferBytes(0), m_pBuffers(nullptr) {
  for (SBufferSlot& slot : m_Slots) slot = SBufferSlot{kZTCacheNone, nullptr};
  for (SCacheRecord& record : m_Records) record = SCacheRecord{0, kZTCacheNone, 0, nullptr};
  Empty();
}

CZTRecCache::~CZTRecCache() { FreeCache(); }

void CZTRecCache::Empty() {
  for (SCacheRecord& record : m_Records) {
    record.uLine = kZTCacheNone;
    record.pData = nullptr;
  }
  for (unsigned short& head : m_LineHead) head = kNoRecord;
  m_uOldest = m_uNewest = kNoRecord;
  m_uFirstFree = 0;
}

void CZTRecCache::FreeCache() {
  delete[] m_pBuffers;
  m_pBuffers = nullptr;
  m_uRecordSize = 0;
  m_uBufferBytes = 0;
  m_uUseCounter = 0;
  for (SBufferSlot& slot : m_Slots) slot = SBufferSlot{kZTCacheNone, nullptr};
  for (SCacheRecord& record : m_Records) record = SCacheRecord{0, kZTCacheNone, 0, nullptr};
  Empty();
}

int CZTRecCache::InitCache(unsigned recordSize) {
  FreeCache();
  m_uRecordSize = recordSize;
  const unsigned long long bytes = static_cast<unsigned long long>(kZTCacheBuffers) * recordSize;
  if (bytes <= UINT32_MAX) m_pBuffers = new (std::nothrow) BYTE[bytes ? size_t(bytes) : 1];
  if (!m_pBuffers) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "Not enough free memory for %u cache recs a %u bytes", kZTCacheBuffers,
                      recordSize);
    ztTbl32Lib.DispError(ZT_ERR_CACHE_MEMORY, kZTCacheBuffers, recordSize);
    m_uBufferBytes = 0;
    return 0;
  }
  m_uBufferBytes = static_cast<unsigned>(bytes);
  for (unsigned k = 0; k < kZTCacheBuffers; ++k) m_Slots[k] = SBufferSlot{kZTCacheNone, m_pBuffers + k * recordSize};
  return 1;
}

void CZTRecCache::InvalidateCache() {
  m_uUseCounter = 0;
  Empty();
  for (SBufferSlot& slot : m_Slots) slot.uOwner = kZTCacheNone;
}

unsigned CZTRecCache::NextUse() {
  if (m_uUseCounter == UINT32_MAX) {
    unsigned order[kZTCacheRecords];
    for (unsigned i = 0; i < kZTCacheRecords; ++i) order[i] = i;
    std::sort(order, order + kZTCacheRecords, [this](unsigned a, unsigned b) {
      return m_Records[a].uLastUse != m_Records[b].uLastUse ? m_Records[a].uLastUse < m_Records[b].uLastUse : a < b;
    });
    for (unsigned rank = 0; rank < kZTCacheRecords; ++rank) m_Records[order[rank]].uLastUse = rank;
    m_uUseCounter = kZTCacheRecords;
  }
  return m_uUseCounter++;
}

unsigned CZTRecCache::Lookup(unsigned line) const {
  for (unsigned i = m_LineHead[LineHash(line)]; i != kNoRecord; i = m_LineNext[i])
    if (m_Records[i].uLine == line) return i;
  return kZTCacheNone;
}

void CZTRecCache::Unlink(unsigned record) {
  unsigned short* link = &m_LineHead[LineHash(m_Records[record].uLine)];
  while (*link != kNoRecord && *link != record) link = &m_LineNext[*link];
  if (*link == record) *link = m_LineNext[record];
  const unsigned short older = m_Older[record], newer = m_Newer[record];
  (older == kNoRecord ? m_uOldest : m_Newer[older]) = newer;
  (newer == kNoRecord ? m_uNewest : m_Older[newer]) = older;
}

void CZTRecCache::Touch(unsigned record) {
  m_Records[record].uLastUse = NextUse();
  if (m_uNewest == record) return;
  const unsigned short older = m_Older[record], newer = m_Newer[record];
  (older == kNoRecord ? m_uOldest : m_Newer[older]) = newer;
  m_Older[newer] = older;  // a record that is not the newest has a newer one
  m_Older[record] = m_uNewest;
  m_Newer[record] = kNoRecord;
  m_Newer[m_uNewest] = static_cast<unsigned short>(record);
  m_uNewest = static_cast<unsigned short>(record);
}

unsigned CZTRecCache::FindFreeRecord() {
  // Records are taken from the first one on and freed all at once, so the free
  // ones follow the used ones; the least recently used one heads the list.
  if (m_uFirstFree < kZTCacheRecords) return m_uFirstFree;
  return m_uOldest == kNoRecord ? 0 : m_uOldest;
}

BYTE* CZTRecCache::FindFreeBuffer(unsigned record) {
  if (!m_pBuffers || record >= kZTCacheRecords) return nullptr;
  unsigned chosen = kZTCacheNone;
  for (unsigned k = 0; k < kZTCacheBuffers; ++k) {
    if (m_Slots[k].uOwner == kZTCacheNone) {
      chosen = k;
      break;
    }
  }
  if (chosen == kZTCacheNone) {
    chosen = 0;
    for (unsigned k = 1; k < kZTCacheBuffers; ++k)
      if (m_Records[m_Slots[k].uOwner].uLastUse < m_Records[m_Slots[chosen].uOwner].uLastUse) chosen = k;
    m_Records[m_Slots[chosen].uOwner].pData = nullptr;
  }
  m_Slots[chosen].uOwner = record;
  return m_Slots[chosen].pBuffer;
}

unsigned CZTRecCache::FindLine(unsigned line) {
  if (line == kZTCacheNone) return kZTCacheNone;
  const unsigned i = Lookup(line);
  if (i != kZTCacheNone) Touch(i);
  return i;
}

int CZTRecCache::FindNearestLine(unsigned line, unsigned* nearestLine, unsigned* record) const {
  // The line itself, else a neighbour (the first in record order of the two),
  // else the nearest of all.
  unsigned best = line == kZTCacheNone ? kZTCacheNone : Lookup(line);
  if (best == kZTCacheNone) {
    const unsigned below = line > 0 ? Lookup(line - 1) : kZTCacheNone;
    const unsigned above = line < kZTCacheNone - 1 ? Lookup(line + 1) : kZTCacheNone;
    best = below < above ? below : above;
  }
  if (best == kZTCacheNone) {
    unsigned bestDistance = 0;
    for (unsigned i = 0; i < kZTCacheRecords; ++i) {
      const unsigned cached = m_Records[i].uLine;
      if (cached == kZTCacheNone) continue;
      const unsigned distance = cached > line ? cached - line : line - cached;
      if (best == kZTCacheNone || distance < bestDistance) {
        best = i;
        bestDistance = distance;
      }
    }
  }
  if (best == kZTCacheNone) return 0;
  if (nearestLine) *nearestLine = m_Records[best].uLine;
  if (record) *record = best;
  return 1;
}

SCacheRecord* CZTRecCache::FindRecord(unsigned line) {
  const unsigned i = FindLine(line);
  return i == kZTCacheNone ? nullptr : &m_Records[i];
}

SCacheRecord* CZTRecCache::GetRecord(unsigned record) {
  return record < kZTCacheRecords ? &m_Records[record] : nullptr;
}

int CZTRecCache::SaveRecord(const BYTE* data, unsigned long address, unsigned line) {
  if (line == kZTCacheNone || !data) return 0;
  if (!m_pBuffers) {
    ztTbl32Lib.DispWarnText("Cannot find a free cache buffer.");
    return 0;
  }
  unsigned i = FindLine(line);
  if (i == kZTCacheNone) {
    i = FindFreeRecord();
    // A record in use gives up its old line.
    if (m_Records[i].uLine != kZTCacheNone) Unlink(i);
    m_Records[i].uLine = line;
    const unsigned hash = LineHash(line);
    m_LineNext[i] = m_LineHead[hash];
    m_LineHead[hash] = static_cast<unsigned short>(i);
    m_Older[i] = m_uNewest;
    m_Newer[i] = kNoRecord;
    (m_uNewest == kNoRecord ? m_uOldest : m_Newer[m_uNewest]) = static_cast<unsigned short>(i);
    m_uNewest = static_cast<unsigned short>(i);
    while (m_uFirstFree < kZTCacheRecords && m_Records[m_uFirstFree].uLine != kZTCacheNone) ++m_uFirstFree;
  }
  SCacheRecord& record = m_Records[i];
  if (!record.pData) record.pData = FindFreeBuffer(i);
  memcpy(record.pData, data, m_uRecordSize);
  record.uLastUse = NextUse();
  record.uAddress = static_cast<unsigned>(address);
  return 1;
}
