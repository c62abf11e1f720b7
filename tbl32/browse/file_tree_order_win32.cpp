#include <algorithm>
#include <new>

#include "file_tree_order.h"

bool ztOrderFiles(SFileEntry* const* files, unsigned count, unsigned dirCount, bool descending, SFileEntry** out) {
  if (count == 0) return true;
  if (dirCount == 0) dirCount = 1;
  // Bucket b < dirCount: accepted files of directory b; dirCount + b: the others.
  const unsigned buckets = 2 * dirCount;
  unsigned* start = new (std::nothrow) unsigned[buckets + 1]();
  if (!start) return false;
  auto bucketOf = [dirCount](const SFileEntry* f) {
    const unsigned dir = f->uDir < dirCount ? f->uDir : dirCount - 1;
    return (f->bAccepted ? 0 : dirCount) + dir;
  };
  for (unsigned i = 0; i < count; ++i) ++start[bucketOf(files[i]) + 1];
  for (unsigned b = 0; b < buckets; ++b) start[b + 1] += start[b];
  // start[b] runs to the bucket's end as files are placed; then it is the next bucket's start.
  for (unsigned i = 0; i < count; ++i) out[start[bucketOf(files[i])]++] = files[i];
  auto byName = [descending](const SFileEntry* a, const SFileEntry* b) {
    const int r = ztFoldCompare(a->szPath + a->uNameOffset, b->szPath + b->uNameOffset);
    return descending ? r > 0 : r < 0;
  };
  unsigned from = 0;
  for (unsigned b = 0; b < buckets; ++b) {
    if (start[b] - from > 1) std::sort(out + from, out + start[b], byName);
    from = start[b];
  }
  delete[] start;
  return true;
}
