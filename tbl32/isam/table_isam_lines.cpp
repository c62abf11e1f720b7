// Finding the record of a line: from the record cache, by walking the index
// from a nearby line, or through the selection's marks.
#include <string.h>

#include "zt_tbl32/table_desc.h"
#include "zt_tbl32/table_isam.h"
#include "zt_tbl32/tbl_sel_desc.h"

namespace {
const char kSource[] = "CZTTableISAM";
constexpr unsigned kScratchSize = 256;
// Lines further than this from a known one are found by their number rather
// than by passing over the index entries in between.
constexpr unsigned kWalkLimit = 32;
}  // namespace

BOOL CZTTableISAM::CellCallback(UINT row, UINT column, char* buffer, UINT size, UINT* length, UINT_PTR parameter) {
  CZTTableISAM* self = reinterpret_cast<CZTTableISAM*>(parameter);
  if (length) *length = 0;
  if (!self) return FALSE;
  if (row != self->m_uLoadedLine && !self->LoadLine(row)) return FALSE;
  const CZTTableDesc* desc = self->m_pTableDesc;
  if (!desc || !desc->m_Fields.m_pFields || column >= desc->m_Fields.m_uCount) return FALSE;
  return desc->m_Fields.m_pFields[column].FormatData(buffer, size, length, self->m_pRecord, self->m_uRecordSize);
}

unsigned CZTTableISAM::GetDataField(unsigned line, unsigned column, char* buffer, unsigned size) {
  unsigned length = 0;
  return CellCallback(line, column, buffer, size, &length, reinterpret_cast<UINT_PTR>(this)) ? length : kZTNoCellText;
}

unsigned CZTTableISAM::FindRecord(CZTTblSelDesc* selection, unsigned startLine) {
  char scratch[kScratchSize];
  unsigned length = 0;
  for (unsigned line = startLine; line < m_uLineCount; ++line) {
    if (!CellCallback(line, 0, scratch, sizeof(scratch), &length, reinterpret_cast<UINT_PTR>(this))) return kZTNoLine;
    if (!selection || selection->testdata(m_pTableDesc, reinterpret_cast<const char*>(m_pRecord), m_uRecordSize))
      return line;
  }
  return kZTNoLine;
}

int CZTTableISAM::Loaded(unsigned line, unsigned address) {
  m_uRecordAddress = address;
  if (!m_Cache.SaveRecord(m_pRecord, address, line)) return FALSE;
  m_uLoadedLine = line;
  return TRUE;
}

int CZTTableISAM::ReadOn(unsigned address, bool indexForward, unsigned steps, unsigned line) {
  m_uLoadedLine = kZTNoLine;
  m_uIterLine = kZTNoLine;
  if (address != kHere) {
    const unsigned flags = indexForward ? ISAM_ITER_FROM_ADDRESS : ISAM_ITER_BACKWARD_FROM_ADDRESS;
    const unsigned e = ISAMSetupIterationAddress(IterTable(), m_uIndex, flags, address, nullptr);
    if (e) {
      ReportEngine("ISAMSetupIterationAddress", e);
      return FALSE;
    }
  }
  // Every record is a line: the ones in between are passed over by their keys.
  if (!Selecting() && steps > 1) {
    const int skipped = SkipEntries(steps - 1);
    if (skipped == 0) return FALSE;
    if (skipped > 0) steps = 1;
  }
  unsigned at = 0;
  if (!ReadPicked(steps, &at)) return FALSE;
  m_uIterLine = line;
  m_bIterUp = indexForward == (m_uDirection == 0);
  return Loaded(line, at);
}

int CZTTableISAM::ReadPicked(unsigned steps, unsigned* at) {
  while (steps) {
    const unsigned e = ISAMReadNextRecord(IterTable(), m_uIndex, m_pRecord, at, nullptr);
    ++m_uRecordReads;
    if (e == ISAM_END_OF_ITERATION) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "ISAM Error: No More Iteration Records.");
      return FALSE;
    }
    if (e) {
      ReportEngine("ISAMReadNextRecord", e);
      return FALSE;
    }
    if (Passes(m_pRecord)) --steps;
  }
  return TRUE;
}

int CZTTableISAM::SkipEntries(unsigned count) {
  if (!m_uEntrySize && ISAMKeyEntrySize(IterTable(), m_uIndex, &m_uEntrySize) != 0) m_uEntrySize = 0;
  const unsigned room = m_uEntrySize ? kSkipBytes / m_uEntrySize : 0;
  if (!room || !m_pSkipBuffer) return -1;
  while (count) {
    const unsigned batch = count < room ? count : room;
    unsigned got = 0;
    const unsigned e = ISAMReadNextKeys(IterTable(), m_uIndex, m_pSkipBuffer, batch * m_uEntrySize, &got);
    if (e == ISAM_END_OF_ITERATION) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSource, "ISAM Error: No More Iteration Records.");
      return 0;
    }
    if (e) {
      ReportEngine("ISAMReadNextKeys", e);
      return 0;
    }
    count -= got < count ? got : count;
  }
  return 1;
}

int CZTTableISAM::WalkTo(unsigned fromLine, unsigned address, unsigned line) {
  const bool up = line > fromLine;
  // An iteration of our own that stands on fromLine reads on without a new set-up;
  // a caller's handle may have been used in between.
  const bool standing = m_hIter && m_uIterLine == fromLine && (m_bIterUp != 0) == up;
  return ReadOn(standing ? kHere : address, up == (m_uDirection == 0), up ? line - fromLine : fromLine - line, line);
}

int CZTTableISAM::LoadThroughMarks(unsigned line) {
  const unsigned rank = RankOf(line);
  const unsigned j = m_Marks.Find(rank);
  if (j == kZTNotFound) return FALSE;
  const SZTSelMark mark = m_Marks.m_pMarks[j];
  m_uLoadedLine = kZTNoLine;
  m_uIterLine = kZTNoLine;
  const unsigned e = ISAMReadRecordByAddress(m_hTable, mark.uAddress, m_pRecord, m_uRecordSize, nullptr);
  ++m_uRecordReads;
  if (e) {
    ReportEngine("ISAMReadRecordByAddress", e);
    return FALSE;
  }
  const unsigned passes = Passes(m_pRecord) ? 1 : 0;
  if (passes && mark.uBefore == rank) return Loaded(line, mark.uAddress);
  // The picked records after the mark, in index order, up to the one of that rank.
  return ReadOn(mark.uAddress, true, rank - mark.uBefore - passes + 1, line);
}

int CZTTableISAM::LoadByNumber(unsigned line) {
  m_uLoadedLine = kZTNoLine;
  m_uIterLine = kZTNoLine;
  const unsigned e = ISAMSetupIterationEntry(IterTable(), m_uIndex,
                                             m_uDirection ? ISAM_ITER_BACKWARD : ISAM_ITER_FORWARD, RankOf(line));
  if (e) {
    ReportEngine("ISAMSetupIterationEntry", e);
    return FALSE;
  }
  return ReadOn(kHere, m_uDirection == 0, 1, line);
}

int CZTTableISAM::LoadFirstLine() {
  if (m_Marks.m_uCount) return LoadThroughMarks(0);
  m_uLoadedLine = kZTNoLine;
  m_uIterLine = kZTNoLine;
  const unsigned e = ISAMSetupIterationLimits(IterTable(), m_uIndex,
                                              m_uDirection ? ISAM_ITER_BACKWARD : ISAM_ITER_FORWARD, nullptr, nullptr);
  if (e) {
    ReportEngine("ISAMSetupIterationLimits", e);
    return FALSE;
  }
  unsigned at = 0;
  if (!ReadPicked(1, &at)) return FALSE;
  m_uIterLine = 0;
  m_bIterUp = 1;
  return Loaded(0, at);
}

int CZTTableISAM::LoadLine(unsigned line) {
  if (!m_hTable || !m_pRecord || line >= m_uLineCount) return FALSE;
  if (line == m_uLoadedLine) return TRUE;
  const unsigned cached = m_Cache.FindLine(line);
  if (cached != kZTCacheNone) {
    SCacheRecord* record = m_Cache.GetRecord(cached);
    if (!record->pData) {
      BYTE* buffer = m_Cache.FindFreeBuffer(cached);
      if (!buffer) return FALSE;
      const unsigned e = ISAMReadRecordByAddress(m_hTable, record->uAddress, buffer, m_uRecordSize, nullptr);
      ++m_uRecordReads;
      if (e) {
        for (CZTRecCache::SBufferSlot& slot : m_Cache.m_Slots)
          if (slot.pBuffer == buffer) slot.uOwner = kZTCacheNone;
        ReportEngine("ISAMReadRecordByAddress", e);
        return FALSE;
      }
      record->pData = buffer;
    }
    memcpy(m_pRecord, record->pData, m_uRecordSize);
    m_uLoadedLine = line;
    return TRUE;
  }

  unsigned nearest = kZTNoLine, nearestRecord = kZTCacheNone;
  const bool haveNearest = m_Cache.FindNearestLine(line, &nearest, &nearestRecord) != 0;
  const unsigned distance = haveNearest ? (nearest > line ? nearest - line : line - nearest) : UINT32_MAX;
  // The iteration reading on towards the line costs no set-up.
  const bool iterationAhead = m_hIter && m_uIterLine != kZTNoLine &&
                              (m_bIterUp ? m_uIterLine < line : m_uIterLine > line) &&
                              (m_bIterUp ? line - m_uIterLine : m_uIterLine - line) <= distance;
  const unsigned from = iterationAhead ? m_uIterLine : nearest;
  if (m_Marks.m_uCount) {
    // With a selection the picked records may lie far apart in the index: a walk
    // stays between two marks, or starts at a mark.
    if (from == kZTNoLine || m_Marks.Find(RankOf(from)) != m_Marks.Find(RankOf(line))) return LoadThroughMarks(line);
  } else if (!Selecting()) {
    // Every entry is a line: a line far from any known one is found by its number.
    const unsigned walk = iterationAhead ? (m_bIterUp ? line - m_uIterLine : m_uIterLine - line) : distance;
    if (walk > kWalkLimit) return LoadByNumber(line);
  } else if (from == kZTNoLine) {
    ztTbl32Lib.DispWarnText("Cannot find the nearest item in the record cache.");
    return FALSE;
  }
  if (iterationAhead) return WalkTo(m_uIterLine, kHere, line);
  return WalkTo(nearest, m_Cache.GetRecord(nearestRecord)->uAddress, line);
}
