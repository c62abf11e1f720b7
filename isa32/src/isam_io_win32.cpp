// Win32 file I/O of the engine: CreateFileA, ReadFile/WriteFile at an offset,
// FlushFileBuffers and LockFileEx for the writer and reader locks.
#include "isam_io.h"

namespace {

constexpr DWORD kLockHigh = 0x7FFFFFFF;
// ERROR_DIRECTORY_NOT_SUPPORTED: "An operation is not supported on a directory".
constexpr DWORD kErrorIsFolder = 336;

OVERLAPPED at(uint64_t offset) {
  OVERLAPPED ov = {};
  ov.Offset = DWORD(offset);  // the low half
  ov.OffsetHigh = DWORD(offset >> 32);
  return ov;
}

class CIsamIoWin32 : public CIsamIo {
 public:
  unsigned Open(const char* name, OpenMode mode, ZTIoHandle* handle) override {
    DWORD access = mode == kOpenRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    DWORD disposition = mode == kCreateNew ? CREATE_NEW : mode == kOpenAlways ? OPEN_ALWAYS : OPEN_EXISTING;
    HANDLE h = CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD e = GetLastError();
      // A folder cannot be opened as a file; say so rather than "access denied".
      DWORD attributes = GetFileAttributesA(name);
      if (e == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        e = kErrorIsFolder;
      return e ? unsigned(e) : 1u;
    }
    *handle = h;
    return 0;
  }
  unsigned Close(ZTIoHandle handle) override { return CloseHandle(handle) ? 0 : unsigned(GetLastError()); }
  unsigned Read(ZTIoHandle handle, uint64_t offset, void* buffer, uint32_t length, uint32_t* done) override {
    uint32_t total = 0;
    while (total < length) {
      OVERLAPPED ov = at(offset + total);
      DWORD n = 0;
      if (!ReadFile(handle, static_cast<char*>(buffer) + total, length - total, &n, &ov)) {
        DWORD e = GetLastError();
        if (e == ERROR_HANDLE_EOF) break;
        *done = total;
        return unsigned(e);
      }
      if (n == 0) break;
      total += n;
    }
    *done = total;
    return 0;
  }
  unsigned Write(ZTIoHandle handle, uint64_t offset, const void* buffer, uint32_t length) override {
    uint32_t total = 0;
    while (total < length) {
      OVERLAPPED ov = at(offset + total);
      DWORD n = 0;
      if (!WriteFile(handle, static_cast<const char*>(buffer) + total, length - total, &n, &ov))
        return unsigned(GetLastError());
      if (n == 0) return unsigned(ERROR_WRITE_FAULT);
      total += n;
    }
    return 0;
  }
  unsigned Size(ZTIoHandle handle, uint64_t* size) override {
    LARGE_INTEGER li;
    if (!GetFileSizeEx(handle, &li)) return unsigned(GetLastError());
    *size = uint64_t(li.QuadPart);
    return 0;
  }
  unsigned Truncate(ZTIoHandle handle, uint64_t size) override {
    LARGE_INTEGER li;
    li.QuadPart = LONGLONG(size);
    if (!SetFilePointerEx(handle, li, nullptr, FILE_BEGIN) || !SetEndOfFile(handle)) return unsigned(GetLastError());
    return 0;
  }
  unsigned Flush(ZTIoHandle handle) override { return FlushFileBuffers(handle) ? 0 : unsigned(GetLastError()); }
  unsigned Lock(ZTIoHandle handle, LockKind kind, bool exclusive, bool* granted) override {
    OVERLAPPED ov = {};
    ov.Offset = DWORD(kind);
    ov.OffsetHigh = kLockHigh;
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(handle, flags, 0, 1, 0, &ov)) {
      *granted = true;
      return 0;
    }
    DWORD e = GetLastError();
    *granted = false;
    return (e == ERROR_LOCK_VIOLATION || e == ERROR_IO_PENDING) ? 0 : unsigned(e);
  }
  unsigned Unlock(ZTIoHandle handle, LockKind kind) override {
    OVERLAPPED ov = {};
    ov.Offset = DWORD(kind);
    ov.OffsetHigh = kLockHigh;
    return UnlockFileEx(handle, 0, 1, 0, &ov) ? 0 : unsigned(GetLastError());
  }
  unsigned Remove(const char* name) override { return DeleteFileA(name) ? 0 : unsigned(GetLastError()); }
  bool Exists(const char* name) override { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }
  unsigned Rename(const char* from, const char* to) override {
    return MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH) ? 0 : unsigned(GetLastError());
  }
  void Pause(unsigned milliseconds) override { Sleep(milliseconds); }
};

}  // namespace

CIsamIo* ztIsamPlatformIo() {
  static CIsamIoWin32 io;
  return &io;
}
