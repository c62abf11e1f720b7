// The directory tree of a drive (or of every local drive) scanned into two flat
// tables: the directories, sorted by path with parent links and file counts,
// and the files, the accepted ones first, sorted by directory and name.
#pragma once

#include "zt_tbl32/buff_pool.h"
#include "zt_tbl32/frame.h"

class CZTFileType;

// The parent of a root directory, which has none.
constexpr unsigned kZTNoParent = 0xFFFFFFFFu;

struct SDirEntry {
  unsigned uScanIndex;  // position in the scan order
  unsigned uParent;     // table index of the parent; kZTNoParent for a root
  unsigned uReserved;
  unsigned uFiles;         // files directly in the directory
  unsigned uSubtreeFiles;  // files in the directory and all below it
  HTREEITEM hItem;         // set by setHTVItem
  HTREEITEM hFirstChild;   // first child registered with setHTVItem
  HTREEITEM hLastChild;    // last child registered with setHTVItem
  unsigned uNameOffset;    // where the directory's own name starts (its parent's path length)
  unsigned uPathLength;
  char szPath[MAX_PATH];  // full path ending in "\"
};

struct SFileEntry {
  unsigned uDir;            // directory table index
  unsigned char bAccepted;  // passed the filter (always 1 without one)
  unsigned char bMarked;    // selection mark of the application
  unsigned uNameOffset;     // where the file name starts (the directory's path length)
  unsigned uPathLength;
  unsigned long long ullSize;
  FILETIME ftLastWrite;
  char szPath[MAX_PATH];
};

// Sort keys of SortFileItems.
enum : unsigned { ZT_SORT_BY_NAME = 0 };

class ZT_TBL32_API CZTFileTree {
 public:
  unsigned m_uDirCount;
  SDirEntry* m_pDirs;
  unsigned m_uFileCount;
  unsigned m_uAccepted;  // files 0 .. m_uAccepted - 1 passed the filter
  SFileEntry* m_pFiles;
  const char* m_pszDrivePath;  // the root given to BrowseDrive

  CZTFileTree();
  ~CZTFileTree();
  CZTFileTree(const CZTFileTree&) = delete;
  CZTFileTree& operator=(const CZTFileTree&) = delete;

  // Scans one drive or directory tree; int: 1 ok. A failed scan leaves the
  // tables as they were.
  int BrowseDrive(const char* root, const CZTFileType* filter);
  // Scans every local drive with volume data under the pseudo-root "Workstation".
  int BrowseStation(const CZTFileType* filter);
  void free();
  // Accepted count, order and file counts again (the counts then cover the
  // accepted files only).
  void reorg();

  // Position of an accepted file by its full path; kZTNotFound if absent.
  unsigned findFile(const char* path) const;
  // First accepted file whose name matches the pattern ("?", "#" and "*",
  // ignoring case); kZTNotFound if none.
  unsigned findfile(const char* pattern) const;
  // The table follows what the application did to an accepted file on disk.
  void delfile(unsigned file);
  unsigned renfile(unsigned file, const char* newPath);   // new position
  unsigned movefile(unsigned file, const char* newPath);  // kZTNotFound: moved out of the tree
  unsigned copyfile(unsigned file, const char* newPath);  // position of the copy

  int setHTVItem(unsigned dir, HTREEITEM item);
  unsigned getDirItem(HTREEITEM item) const;
  // First accepted file of the directory (or, with withSubdirs, below it); 0 if none.
  unsigned getFirstDirFile(unsigned dir, int withSubdirs) const;
  // Key 0: by directory and name, names descending when descending is non-zero.
  void SortFileItems(unsigned key, unsigned descending);

  void UnmarkAllItems();
  int MarkOnlyItem(unsigned file);
  int MarkOnlyRange(unsigned first, unsigned last);

 private:
  // Searches the pool's directories from firstDir on (appending the ones found
  // to the dirCount it holds) and builds the tables from them.
  int Scan(CZTBuffPool& dirs, unsigned dirCount, unsigned firstDir, const CZTFileType* filter);
  int BuildTables(CZTBuffPool& dirs, unsigned dirCount, CZTBuffPool& files, unsigned fileCount, unsigned accepted);
  void CountFiles(bool acceptedOnly);
  // Puts the accepted file at pos where the order wants it (the others are in order).
  unsigned PlaceFile(unsigned pos);
  bool FileLess(const SFileEntry& a, const SFileEntry& b) const;
  void SortFiles();
  unsigned FindDir(const char* path, unsigned length) const;
  int GrowFiles();
  // Where each directory's accepted files start, from the table.
  void IndexDirs();

  unsigned m_uFileCapacity;
  int m_bNamesDescending;  // the order SortFileItems last set
  // Directory d's accepted files are m_pDirStart[d] .. m_pDirStart[d + 1] - 1.
  unsigned* m_pDirStart;
};
