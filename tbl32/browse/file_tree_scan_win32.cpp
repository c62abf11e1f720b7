// The scan of CZTFileTree: the directories searched breadth-first with
// FindFirstFile, directory and file records gathered in pools, then copied once
// into the sorted tables.
#include <string.h>

#include <algorithm>
#include <memory>
#include <new>

#include "browse_codes.h"
#include "file_tree_order.h"
#include "zt_tbl32/file_type.h"
#include "zt_tbl32/workstation.h"

namespace {

// What tells two paths to the same directory apart: the volume and the file index.
struct DirIdentity {
  DWORD volume, high, low;
  bool operator==(const DirIdentity& o) const { return volume == o.volume && high == o.high && low == o.low; }
};

bool Identify(const char* path, DirIdentity* id) {
  HANDLE handle = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const BOOL ok = GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  if (!ok) return false;
  *id = DirIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

// A directory link, junction or symbolic link is followed only when it leads to
// a directory that is none of the ones being searched down to it (from the
// searched directory up to the first real one); otherwise the scan would loop.
bool FollowLink(CZTBuffPool& dirs, unsigned searched, unsigned firstDir, const char* link) {
  DirIdentity target;
  if (!Identify(link, &target)) return false;
  for (unsigned k = searched; k != kZTNoParent && k >= firstDir;) {
    const auto* dir = static_cast<const SDirEntry*>(dirs.getRec(k));
    DirIdentity above;
    if (Identify(dir->szPath, &above) && above == target) return false;
    k = dir->uParent;
  }
  return true;
}

// A directory record of the roots; null (logged) without memory.
SDirEntry* RootRecord(CZTBuffPool& dirs) {
  auto* dir = static_cast<SDirEntry*>(dirs.alloc());
  if (!dir) ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFileTree, "Error on allocating the first directory record");
  return dir;
}

void FreeTables(SDirEntry* dirs, SFileEntry* files, unsigned* dirStart) {
  delete[] dirs;
  delete[] files;
  delete[] dirStart;
}

}  // namespace

int CZTFileTree::BrowseDrive(const char* root, const CZTFileType* filter) {
  m_pszDrivePath = root;
  ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSrcFileTree, "BrowseDrive for %s", root);
  const unsigned length = root ? static_cast<unsigned>(strlen(root)) : 0;
  const bool slash = length && (root[length - 1] == '\\' || root[length - 1] == '/');
  if (!root || length + (slash ? 0 : 1) >= MAX_PATH) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcFileTree, "Size of name exceeds name buffer: %u + %u to %u", 0u, length,
                      static_cast<unsigned>(MAX_PATH));
    return FALSE;
  }
  CZTBuffPool dirs(sizeof(SDirEntry));
  SDirEntry* first = RootRecord(dirs);
  if (!first) return FALSE;
  memcpy(first->szPath, root, length);
  if (!slash) first->szPath[length] = '\\';
  first->uPathLength = length + (slash ? 0 : 1);
  first->uParent = kZTNoParent;
  return Scan(dirs, 1, 0, filter);
}

int CZTFileTree::BrowseStation(const CZTFileType* filter) {
  ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSrcFileTree, "Initialize the workstation browser");
  CZTWorkstation station;
  if (!station.Browse("\\\\.\\", 0)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFileTree, "Error on browsing the local drives");
    return FALSE;
  }
  CZTBuffPool dirs(sizeof(SDirEntry));
  SDirEntry* top = RootRecord(dirs);
  if (!top) return FALSE;
  top->uPathLength = ztStrCopy(top->szPath, kWorkstationRoot, sizeof(top->szPath));
  top->uParent = kZTNoParent;
  unsigned count = 1;
  for (unsigned d = 0; d < station.m_uCount; ++d) {
    const SDriveRec& drive = station.m_pDrives[d];
    if (!drive.uVolumeData) continue;
    SDirEntry* dir = RootRecord(dirs);
    if (!dir) return FALSE;
    unsigned length = ztStrCopy(dir->szPath, drive.szRoot, sizeof(dir->szPath) - 1);
    if (!length || dir->szPath[length - 1] != '\\') dir->szPath[length++] = '\\';
    dir->uPathLength = length;
    dir->uScanIndex = count++;
    dir->uParent = 0;
  }
  return Scan(dirs, count, 1, filter);
}

int CZTFileTree::Scan(CZTBuffPool& dirs, unsigned dirCount, unsigned firstDir, const CZTFileType* filter) {
  CZTBuffPool files(sizeof(SFileEntry));
  unsigned fileCount = 0, accepted = 0;
  char pattern[MAX_PATH + 4];
  WIN32_FIND_DATAA found;
  for (unsigned i = firstDir; i < dirCount; ++i) {
    const auto* dir = static_cast<const SDirEntry*>(dirs.getRec(i));
    const unsigned dirLength = dir->uPathLength;
    memcpy(pattern, dir->szPath, dirLength);
    memcpy(pattern + dirLength, "*.*", 4);
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
      ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSrcFileTree, "No files found for %s", dir->szPath);
      continue;
    }
    ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSrcFileTree, "Search directory %u of %u, path = %s", i, dirCount, dir->szPath);
    do {
      const char* name = found.cFileName;
      const unsigned nameLength = static_cast<unsigned>(strnlen(name, sizeof(found.cFileName)));
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        if (dirLength + nameLength + 1 >= MAX_PATH) {
          ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcFileTree, "Size of name exceeds name buffer: %u + %u to %u", dirLength,
                            nameLength, static_cast<unsigned>(MAX_PATH));
          continue;
        }
        char path[MAX_PATH];
        memcpy(path, dir->szPath, dirLength);
        memcpy(path + dirLength, name, nameLength);
        path[dirLength + nameLength] = '\\';
        path[dirLength + nameLength + 1] = '\0';
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !FollowLink(dirs, i, firstDir, path)) {
          ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcFileTree, "Directory link not followed (a loop or no target): %s",
                            path);
          continue;
        }
        auto* sub = static_cast<SDirEntry*>(dirs.alloc());
        if (!sub) {
          ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFileTree, "Not enough free memory for a directory record available");
          FindClose(search);
          return FALSE;
        }
        memcpy(sub->szPath, path, dirLength + nameLength + 2);
        sub->uPathLength = dirLength + nameLength + 1;
        sub->uNameOffset = dirLength;
        sub->uParent = i;
        sub->uScanIndex = dirCount++;
        ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSrcFileTree, "iDir = %u in %u, dir found: %s", sub->uScanIndex, i, path);
        continue;
      }
      FILETYPESTATE state = FILETYPE_SELECTED;
      if (filter) {
        state = filter->GetState(name, nameLength);
        if (state == FILETYPE_NONE) continue;
      }
      // A path that does not fit is not recorded at all, so no empty record
      // reaches the tables.
      if (dirLength + nameLength >= MAX_PATH) {
        ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcFileTree, "Filename exceeds buffer size");
        continue;
      }
      auto* file = static_cast<SFileEntry*>(files.alloc());
      if (!file) {
        ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFileTree, "Not enough free memory for a file record available");
        FindClose(search);
        return FALSE;
      }
      file->uDir = i;
      file->bAccepted = state == FILETYPE_SELECTED;
      file->uNameOffset = dirLength;
      file->uPathLength = dirLength + nameLength;
      memcpy(file->szPath, dir->szPath, dirLength);
      memcpy(file->szPath + dirLength, name, nameLength + 1);
      file->ullSize = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
      file->ftLastWrite = found.ftLastWriteTime;
      ++fileCount;
      if (file->bAccepted) ++accepted;
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return BuildTables(dirs, dirCount, files, fileCount, accepted);
}

int CZTFileTree::BuildTables(CZTBuffPool& dirPool, unsigned dirCount, CZTBuffPool& filePool, unsigned fileCount,
                             unsigned accepted) {
  SDirEntry* dirs = new (std::nothrow) SDirEntry[dirCount];
  std::unique_ptr<SDirEntry*[]> dirOrder(new (std::nothrow) SDirEntry*[dirCount]);
  std::unique_ptr<unsigned[]> position(new (std::nothrow) unsigned[dirCount]);
  if (!dirs || !dirOrder || !position) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFileTree, "Not enough free memory for the directory table available");
    FreeTables(dirs, nullptr, nullptr);
    return FALSE;
  }
  // Directories by path (the first one stays first); then the parents' new places.
  for (unsigned i = 0; i < dirCount; ++i) dirOrder[i] = static_cast<SDirEntry*>(dirPool.getRec(i));
  if (dirCount >= 3)
    std::sort(dirOrder.get() + 1, dirOrder.get() + dirCount, [](const SDirEntry* a, const SDirEntry* b) {
      return ztPathCompare(a->szPath, a->uPathLength, b->szPath, b->uPathLength) < 0;
    });
  for (unsigned k = 0; k < dirCount; ++k) position[dirOrder[k]->uScanIndex] = k;
  for (unsigned k = 0; k < dirCount; ++k) {
    dirs[k] = *dirOrder[k];
    if (dirs[k].uParent != kZTNoParent) dirs[k].uParent = position[dirs[k].uParent];
  }
  dirOrder.reset();

  unsigned* dirStart = new (std::nothrow) unsigned[dirCount + 1];
  SFileEntry* files = new (std::nothrow) SFileEntry[fileCount ? fileCount : 1];
  std::unique_ptr<SFileEntry*[]> found(new (std::nothrow) SFileEntry*[fileCount ? fileCount : 1]);
  std::unique_ptr<SFileEntry*[]> ordered(new (std::nothrow) SFileEntry*[fileCount ? fileCount : 1]);
  if (!dirStart || !files || !found || !ordered) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFileTree, "Not enough free memory for the filename table available");
    FreeTables(dirs, files, dirStart);
    return FALSE;
  }
  for (unsigned i = 0; i < fileCount; ++i) {
    found[i] = static_cast<SFileEntry*>(filePool.getRec(i));
    found[i]->uDir = position[found[i]->uDir];
  }
  if (!ztOrderFiles(found.get(), fileCount, dirCount, false, ordered.get())) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcFileTree, "Not enough free memory for the filename table available");
    FreeTables(dirs, files, dirStart);
    return FALSE;
  }
  for (unsigned i = 0; i < fileCount; ++i) files[i] = *ordered[i];

  free();
  m_pDirs = dirs;
  m_uDirCount = dirCount;
  m_pFiles = files;
  m_pDirStart = dirStart;
  m_uFileCount = m_uFileCapacity = fileCount;
  m_uAccepted = accepted;
  m_bNamesDescending = 0;
  CountFiles(false);
  IndexDirs();
  return TRUE;
}
