#include "zt_tbl32/rec_cache.h"

#include <string.h>

#include <algorithm>
#include <new>

#include "zt_tbl32/desc_errors.h"

namespace {
const char kSource[] = "CZTRecCache";
}

CZTRecCache::CZTRecCache() : m_uUseCounter(0), m_uRecordSize(0), m_uBufferBytes(0), m_pBuffers(nullptr) {
  for (SBufferSlot& slot : m_Slots) slot = SBufferSlot{kZTCacheNone, nullptr};
  for (SCacheRecord& record : m_Records) record = SCacheRecord{0, kZTCacheNone, 0, nullptr};
}

CZTRecCache::~CZTRecCache() { FreeCache(); }

void CZTRecCache::FreeCache() {
  delete[] m_pBuffers;
  m_pBuffers = nullptr;
  m_uRecordSize = 0;
  m_uBufferBytes = 0;
  m_uUseCounter = 0;
  for (SBufferSlot& slot : m_Slots) slot = SBufferSlot{kZTCacheNone, nullptr};
  for (SCacheRecord& record : m_Records) record = SCacheRecord{0, kZTCacheNone, 0, nullptr};
}

int CZTRecCache::InitCache(unsigned recordSize) {
  FreeCache();
  m_uRecordSize = recordSize;
  const unsigned long long bytes = static_cast<unsigned long long>(kZTCacheBuffers) * recordSize;
  if (bytes <= 0xFFFFFFFFull) m_pBuffers = new (std::nothrow) BYTE[bytes ? size_t(bytes) : 1];
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
  for (SCacheRecord& record : m_Records) {
    record.uLine = kZTCacheNone;
    record.pData = nullptr;
  }
  for (SBufferSlot& slot : m_Slots) slot.uOwner = kZTCacheNone;
}

unsigned CZTRecCache::NextUse() {
  if (m_uUseCounter == 0xFFFFFFFFu) {
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

unsigned CZTRecCache::FindFreeRecord() {
  unsigned oldest = 0;
  for (unsigned i = 0; i < kZTCacheRecords; ++i) {
    if (m_Records[i].uLine == kZTCacheNone) return i;
    if (m_Records[i].uLastUse < m_Records[oldest].uLastUse) oldest = i;
  }
  return oldest;
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
  for (unsigned i = 0; i < kZTCacheRecords; ++i) {
    if (m_Records[i].uLine == line) {
      m_Records[i].uLastUse = NextUse();
      return i;
    }
  }
  return kZTCacheNone;
}

int CZTRecCache::FindNearestLine(unsigned line, unsigned* nearestLine, unsigned* record) const {
  unsigned best = kZTCacheNone, bestDistance = 0;
  for (unsigned i = 0; i < kZTCacheRecords; ++i) {
    const unsigned cached = m_Records[i].uLine;
    if (cached == kZTCacheNone) continue;
    const unsigned distance = cached > line ? cached - line : line - cached;
    if (best == kZTCacheNone || distance < bestDistance) {
      best = i;
      bestDistance = distance;
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
  unsigned i = FindLine(line);
  if (i == kZTCacheNone) i = FindFreeRecord();
  SCacheRecord& record = m_Records[i];
  if (!record.pData) {
    record.pData = FindFreeBuffer(i);
    if (!record.pData) {
      ztTbl32Lib.DispWarnText("Cannot find a free cache buffer.");
      return 0;
    }
  }
  memcpy(record.pData, data, m_uRecordSize);
  record.uLine = line;
  record.uLastUse = NextUse();
  record.uAddress = static_cast<unsigned>(address);
  return 1;
}
