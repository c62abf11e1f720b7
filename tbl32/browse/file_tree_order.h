// The orders of the file tree's tables, shared by the scan and the edits:
// paths and names compared ignoring case (Windows-1252 folding), directories by
// path, files accepted first, then by directory, then by name.
#pragma once

#include <string.h>

#include "zt_tbl32/file_tree.h"

// Compares n characters ignoring case. Paths mostly agree in case, so four
// bytes at a time are compared as they are until two differ.
inline int ztFoldCompareN(const char* a, const char* b, unsigned n) {
  unsigned i = 0;
  for (; i + 4 <= n; i += 4) {
    uint32_t x, y;
    memcpy(&x, a + i, 4);
    memcpy(&y, b + i, 4);
    if (x != y) break;
  }
  for (; i < n; ++i) {
    const unsigned char ca = ztToUpper(static_cast<unsigned char>(a[i]));
    const unsigned char cb = ztToUpper(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return 0;
}

// Terminated texts ignoring case; the shorter of two equal beginnings first.
inline int ztFoldCompare(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const unsigned char ca = ztToUpper(static_cast<unsigned char>(*a));
    const unsigned char cb = ztToUpper(static_cast<unsigned char>(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (!ca) return 0;
  }
}

// Paths: the common length ignoring case, then the shorter one first. A
// directory so comes before everything below it.
inline int ztPathCompare(const char* a, unsigned aLength, const char* b, unsigned bLength) {
  const int r = ztFoldCompareN(a, b, aLength < bLength ? aLength : bLength);
  if (r) return r;
  return aLength < bLength ? -1 : aLength > bLength ? 1 : 0;
}

// Length of the directory part of a path, up to and including its last "\" or "/".
inline unsigned ztDirPartLength(const char* path) {
  unsigned length = 0;
  for (unsigned i = 0; path[i]; ++i)
    if (path[i] == '\\' || path[i] == '/') length = i + 1;
  return length;
}

// Puts the files in table order (accepted first, then by directory index, then
// by name, names reversed when descending): a counting pass by directory, then
// each directory's files sorted by name. out receives the count pointers.
// false without memory.
bool ztOrderFiles(SFileEntry* const* files, unsigned count, unsigned dirCount, bool descending, SFileEntry** out);
