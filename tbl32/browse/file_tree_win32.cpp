// CZTFileTree's tables after the scan: order and counts, lookups, the edits
// that follow the application's file operations, tree view items and marks.
#include <string.h>

#include <algorithm>
#include <memory>
#include <new>

#include "browse_codes.h"
#include "file_tree_order.h"
#include "zt_tbl32/str_cmp.h"

CZTFileTree::CZTFileTree()
    : m_uDirCount(0),
      m_pDirs(nullptr),
      m_uFileCount(0),
      m_uAccepted(0),
      m_pFiles(nullptr),
      m_pszDrivePath(nullptr),
      m_uFileCapacity(0),
      m_bNamesDescending(0),
      m_pDirStart(nullptr) {}

CZTFileTree::~CZTFileTree() { free(); }

void CZTFileTree::free() {
  delete[] m_pDirs;
  delete[] m_pFiles;
  delete[] m_pDirStart;
  m_pDirs = nullptr;
  m_pFiles = nullptr;
  m_pDirStart = nullptr;
  m_uDirCount = m_uFileCount = m_uAccepted = m_uFileCapacity = 0;
}

// ---- order and counts

bool CZTFileTree::FileLess(const SFileEntry& a, const SFileEntry& b) const {
  if (a.bAccepted != b.bAccepted) return a.bAccepted > b.bAccepted;
  if (a.uDir != b.uDir) return a.uDir < b.uDir;
  const int r = ztFoldCompare(a.szPath + a.uNameOffset, b.szPath + b.uNameOffset);
  return m_bNamesDescending ? r > 0 : r < 0;
}

void CZTFileTree::SortFiles() {
  const unsigned count = m_uFileCount;
  std::unique_ptr<SFileEntry*[]> files(new (std::nothrow) SFileEntry*[count]);
  std::unique_ptr<SFileEntry*[]> ordered(new (std::nothrow) SFileEntry*[count]);
  std::unique_ptr<unsigned[]> source(new (std::nothrow) unsigned[count]);
  if (files && ordered && source) {
    for (unsigned i = 0; i < count; ++i) files[i] = &m_pFiles[i];
    if (!ztOrderFiles(files.get(), count, m_uDirCount, m_bNamesDescending != 0, ordered.get())) source.reset();
  }
  if (!files || !ordered || !source) {
    // Without the memory for the quick way: sorted in place.
    std::sort(m_pFiles, m_pFiles + count, [this](const SFileEntry& a, const SFileEntry& b) { return FileLess(a, b); });
    return;
  }
  // Position i takes the record at source[i]: moved along each cycle of the
  // permutation with one record aside, a done position marked by itself.
  for (unsigned i = 0; i < count; ++i) source[i] = static_cast<unsigned>(ordered[i] - m_pFiles);
  for (unsigned i = 0; i < count; ++i) {
    if (source[i] == i) continue;
    const SFileEntry aside = m_pFiles[i];
    unsigned j = i;
    while (source[j] != i) {
      const unsigned from = source[j];
      m_pFiles[j] = m_pFiles[from];
      source[j] = j;
      j = from;
    }
    m_pFiles[j] = aside;
    source[j] = j;
  }
}

void CZTFileTree::CountFiles(bool acceptedOnly) {
  for (unsigned d = 0; d < m_uDirCount; ++d) m_pDirs[d].uFiles = m_pDirs[d].uSubtreeFiles = 0;
  const unsigned count = acceptedOnly ? m_uAccepted : m_uFileCount;
  for (unsigned i = 0; i < count; ++i)
    if (m_pFiles[i].uDir < m_uDirCount) ++m_pDirs[m_pFiles[i].uDir].uFiles;
  // Parents come before their children in the table.
  for (unsigned d = m_uDirCount; d-- > 0;) {
    SDirEntry& dir = m_pDirs[d];
    dir.uSubtreeFiles += dir.uFiles;
    if (dir.uParent < m_uDirCount) m_pDirs[dir.uParent].uSubtreeFiles += dir.uSubtreeFiles;
  }
}

void CZTFileTree::IndexDirs() {
  if (!m_pDirStart) return;
  memset(m_pDirStart, 0, (m_uDirCount + 1) * sizeof(unsigned));
  for (unsigned i = 0; i < m_uAccepted; ++i)
    if (m_pFiles[i].uDir < m_uDirCount) ++m_pDirStart[m_pFiles[i].uDir + 1];
  for (unsigned d = 0; d < m_uDirCount; ++d) m_pDirStart[d + 1] += m_pDirStart[d];
}

void CZTFileTree::reorg() {
  m_bNamesDescending = 0;
  unsigned accepted = 0;
  for (unsigned i = 0; i < m_uFileCount; ++i)
    if (m_pFiles[i].bAccepted) ++accepted;
  m_uAccepted = accepted;
  // The edits keep the table in order, so the sort is mostly skipped.
  for (unsigned i = 1; i < m_uFileCount; ++i) {
    if (FileLess(m_pFiles[i], m_pFiles[i - 1])) {
      SortFiles();
      break;
    }
  }
  CountFiles(true);
  IndexDirs();
}

void CZTFileTree::SortFileItems(unsigned key, unsigned descending) {
  if (m_uFileCount <= 1 || key != ZT_SORT_BY_NAME) return;
  m_bNamesDescending = descending ? 1 : 0;
  SortFiles();
  IndexDirs();
}

// Moves the accepted file at pos to where the order wants it, the other
// accepted files being in order; returns its new position.
unsigned CZTFileTree::PlaceFile(unsigned pos) {
  const SFileEntry moving = m_pFiles[pos];
  unsigned target = pos;
  if (pos > 0 && FileLess(moving, m_pFiles[pos - 1])) {
    unsigned lo = 0, hi = pos;
    while (lo < hi) {
      const unsigned mid = lo + (hi - lo) / 2;
      if (FileLess(moving, m_pFiles[mid]))
        hi = mid;
      else
        lo = mid + 1;
    }
    target = lo;
    memmove(&m_pFiles[target + 1], &m_pFiles[target], (pos - target) * sizeof(SFileEntry));
  } else if (pos + 1 < m_uAccepted && FileLess(m_pFiles[pos + 1], moving)) {
    unsigned lo = pos + 1, hi = m_uAccepted;
    while (lo < hi) {
      const unsigned mid = lo + (hi - lo) / 2;
      if (FileLess(m_pFiles[mid], moving))
        lo = mid + 1;
      else
        hi = mid;
    }
    target = lo - 1;
    memmove(&m_pFiles[pos], &m_pFiles[pos + 1], (target - pos) * sizeof(SFileEntry));
  }
  m_pFiles[target] = moving;
  return target;
}

// ---- lookups

// The directory part of the path picks the directory (by path, as the files
// are ordered by directory), then its accepted files are searched by name.
unsigned CZTFileTree::findFile(const char* path) const {
  if (!path || !m_pDirStart) return kZTNotFound;
  const unsigned dirLength = ztDirPartLength(path);
  const unsigned dir = FindDir(path, dirLength);
  if (dir == kZTNotFound) return kZTNotFound;
  const char* name = path + dirLength;
  unsigned lo = m_pDirStart[dir], hi = m_pDirStart[dir + 1];
  const unsigned end = hi;
  while (lo < hi) {
    const unsigned mid = lo + (hi - lo) / 2;
    const SFileEntry& e = m_pFiles[mid];
    const int r = ztFoldCompare(e.szPath + e.uNameOffset, name);
    if (m_bNamesDescending ? r > 0 : r < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo < end && ztFoldCompare(m_pFiles[lo].szPath + m_pFiles[lo].uNameOffset, name) == 0 ? lo : kZTNotFound;
}

unsigned CZTFileTree::findfile(const char* pattern) const {
  CZTStrCmp matcher;
  if (!pattern || !matcher.SetupString(pattern, 0, 1)) return kZTNotFound;
  for (unsigned i = 0; i < m_uAccepted; ++i)
    if (matcher.CompareiString(m_pFiles[i].szPath + m_pFiles[i].uNameOffset, 0, 0)) return i;
  return kZTNotFound;
}

// The directory whose path is the first length characters of path.
unsigned CZTFileTree::FindDir(const char* path, unsigned length) const {
  if (!m_uDirCount) return kZTNotFound;
  // Record 0 (the root, or the pseudo-root "Workstation") stays first whatever its path.
  if (ztPathCompare(path, length, m_pDirs[0].szPath, m_pDirs[0].uPathLength) == 0) return 0;
  unsigned lo = 1, hi = m_uDirCount;
  while (lo < hi) {
    const unsigned mid = lo + (hi - lo) / 2;
    const int r = ztPathCompare(m_pDirs[mid].szPath, m_pDirs[mid].uPathLength, path, length);
    if (r == 0) return mid;
    if (r < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return kZTNotFound;
}

unsigned CZTFileTree::getDirItem(HTREEITEM item) const {
  for (unsigned d = 0; d < m_uDirCount; ++d)
    if (m_pDirs[d].hItem == item) return d;
  return kZTNotFound;
}

unsigned CZTFileTree::getFirstDirFile(unsigned dir, int withSubdirs) const {
  if (dir >= m_uDirCount || !m_pDirStart) return 0;
  if (m_pDirStart[dir] < m_pDirStart[dir + 1]) return m_pDirStart[dir];
  if (!withSubdirs) return 0;
  // A directory's subtree follows it in the directory table: the next accepted
  // file is the subtree's first if its directory lies below this one.
  const unsigned next = m_pDirStart[dir + 1];
  if (next >= m_uAccepted) return 0;
  unsigned above = m_pFiles[next].uDir;
  for (unsigned steps = 0; above < m_uDirCount && steps < m_uDirCount; ++steps) {
    above = m_pDirs[above].uParent;
    if (above == dir) return next;
  }
  return 0;
}

// ---- edits

void CZTFileTree::delfile(unsigned file) {
  if (file >= m_uAccepted) return;
  unsigned dir = m_pFiles[file].uDir;
  for (unsigned d = dir + 1; d <= m_uDirCount; ++d) --m_pDirStart[d];
  if (dir < m_uDirCount && m_pDirs[dir].uFiles) --m_pDirs[dir].uFiles;
  for (unsigned steps = 0; dir < m_uDirCount && steps < m_uDirCount; ++steps) {
    if (m_pDirs[dir].uSubtreeFiles) --m_pDirs[dir].uSubtreeFiles;
    dir = m_pDirs[dir].uParent;
  }
  // The whole table moves down, so no empty record stays behind among the files.
  memmove(&m_pFiles[file], &m_pFiles[file + 1], (m_uFileCount - file - 1) * sizeof(SFileEntry));
  --m_uFileCount;
  --m_uAccepted;
  memset(&m_pFiles[m_uFileCount], 0, sizeof(SFileEntry));
}

unsigned CZTFileTree::renfile(unsigned file, const char* newPath) {
  if (file >= m_uAccepted || !newPath) return file;
  SFileEntry& entry = m_pFiles[file];
  const unsigned length = static_cast<unsigned>(strnlen(newPath, MAX_PATH));
  const unsigned dirLength = ztDirPartLength(newPath);
  if (length >= MAX_PATH) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcFileTree, "Filename exceeds buffer size");
    return file;
  }
  // The name offset stays: a path in another directory (or without a name) is refused.
  if (dirLength != entry.uNameOffset || dirLength == length || ztFoldCompareN(newPath, entry.szPath, dirLength) != 0) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcFileTree, "New name %s is not a file of the directory of %s", newPath,
                      entry.szPath);
    return file;
  }
  memcpy(entry.szPath, newPath, length + 1);
  entry.uPathLength = length;
  PlaceFile(file);
  return findFile(newPath);
}

unsigned CZTFileTree::movefile(unsigned file, const char* newPath) {
  if (file >= m_uAccepted || !newPath || !*newPath) return kZTNotFound;
  const unsigned length = static_cast<unsigned>(strnlen(newPath, MAX_PATH));
  const unsigned dirLength = ztDirPartLength(newPath);
  unsigned dir = kZTNotFound;
  if (length >= MAX_PATH)
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcFileTree, "Filename exceeds buffer size");
  else if (dirLength < length)
    dir = FindDir(newPath, dirLength);
  if (dir == kZTNotFound) {
    delfile(file);
    return kZTNotFound;
  }
  SFileEntry& entry = m_pFiles[file];
  memcpy(entry.szPath, newPath, length + 1);
  entry.uPathLength = length;
  entry.uNameOffset = m_pDirs[dir].uPathLength;
  entry.uDir = dir;
  PlaceFile(file);
  reorg();
  return findFile(newPath);
}

int CZTFileTree::GrowFiles() {
  if (m_uFileCount < m_uFileCapacity) return 1;
  const unsigned capacity = m_uFileCapacity < 16 ? 16 : m_uFileCapacity + m_uFileCapacity / 2;
  SFileEntry* grown = new (std::nothrow) SFileEntry[capacity];
  if (!grown) return 0;
  if (m_uFileCount) memcpy(grown, m_pFiles, m_uFileCount * sizeof(SFileEntry));
  delete[] m_pFiles;
  m_pFiles = grown;
  m_uFileCapacity = capacity;
  return 1;
}

unsigned CZTFileTree::copyfile(unsigned file, const char* newPath) {
  if (file >= m_uAccepted || !newPath || !*newPath) return kZTNotFound;
  const unsigned length = static_cast<unsigned>(strnlen(newPath, MAX_PATH));
  const unsigned dirLength = ztDirPartLength(newPath);
  if (length >= MAX_PATH || dirLength == length) return kZTNotFound;
  const unsigned dir = FindDir(newPath, dirLength);
  if (dir == kZTNotFound) return kZTNotFound;
  if (!GrowFiles()) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFileTree, "Not enough free memory for the file table available");
    return kZTNotFound;
  }
  SFileEntry copy = {};
  copy.uDir = dir;
  copy.bAccepted = m_pFiles[file].bAccepted;
  copy.uNameOffset = m_pDirs[dir].uPathLength;
  copy.uPathLength = length;
  memcpy(copy.szPath, newPath, length + 1);
  // In at the end of the accepted files, then to its place; reorg then finds
  // the table in order and only counts.
  memmove(&m_pFiles[m_uAccepted + 1], &m_pFiles[m_uAccepted], (m_uFileCount - m_uAccepted) * sizeof(SFileEntry));
  m_pFiles[m_uAccepted] = copy;
  ++m_uFileCount;
  ++m_uAccepted;
  PlaceFile(m_uAccepted - 1);
  reorg();
  return findFile(newPath);
}

// ---- tree view items and marks

int CZTFileTree::setHTVItem(unsigned dir, HTREEITEM item) {
  if (dir >= m_uDirCount) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcFileTree, "Set tree view item of not existing directory record");
    return FALSE;
  }
  SDirEntry& entry = m_pDirs[dir];
  entry.hItem = item;
  entry.hFirstChild = entry.hLastChild = nullptr;
  if (entry.uParent < m_uDirCount) {
    SDirEntry& parent = m_pDirs[entry.uParent];
    parent.hLastChild = item;
    if (!parent.hFirstChild) parent.hFirstChild = item;
  }
  return TRUE;
}

void CZTFileTree::UnmarkAllItems() {
  for (unsigned i = 0; i < m_uAccepted; ++i) m_pFiles[i].bMarked = 0;
}

int CZTFileTree::MarkOnlyItem(unsigned file) {
  if (file >= m_uAccepted) return FALSE;
  UnmarkAllItems();
  m_pFiles[file].bMarked = 1;
  return TRUE;
}

int CZTFileTree::MarkOnlyRange(unsigned first, unsigned last) {
  if (first > last) std::swap(first, last);
  if (first >= m_uAccepted) return FALSE;
  if (last >= m_uAccepted) last = m_uAccepted - 1;
  UnmarkAllItems();
  for (unsigned i = first; i <= last; ++i) m_pFiles[i].bMarked = 1;
  return TRUE;
}
