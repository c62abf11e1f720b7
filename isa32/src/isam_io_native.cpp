// POSIX file I/O of the engine: open/pread/pwrite/fdatasync and open-file-
// description locks, which conflict between two handles even inside one process.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "isam_io.h"

namespace {

constexpr off_t kLockBase = off_t(0x7FFFFFFF) << 32;

int fdOf(ZTIoHandle h) { return int(reinterpret_cast<intptr_t>(h)) - 1; }

class CIsamIoPosix : public CIsamIo {
 public:
  unsigned Open(const char* name, OpenMode mode, ZTIoHandle* handle) override {
    int flags = O_CLOEXEC;
    switch (mode) {
      case kOpenRead:
        flags |= O_RDONLY;
        break;
      case kOpenWrite:
        flags |= O_RDWR;
        break;
      case kCreateNew:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
      case kOpenAlways:
        flags |= O_RDWR | O_CREAT;
        break;
    }
    int fd = ::open(name, flags, 0644);
    if (fd < 0) return unsigned(errno ? errno : EIO);
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      return unsigned(EISDIR);
    }
    *handle = reinterpret_cast<ZTIoHandle>(intptr_t(fd) + 1);
    return 0;
  }
  unsigned Close(ZTIoHandle handle) override { return ::close(fdOf(handle)) == 0 ? 0 : unsigned(errno); }
  unsigned Read(ZTIoHandle handle, uint64_t offset, void* buffer, uint32_t length, uint32_t* done) override {
    uint32_t total = 0;
    while (total < length) {
      ssize_t n = ::pread(fdOf(handle), static_cast<char*>(buffer) + total, length - total, off_t(offset + total));
      if (n < 0) {
        if (errno == EINTR) continue;
        *done = total;
        return unsigned(errno);
      }
      if (n == 0) break;
      total += uint32_t(n);
    }
    *done = total;
    return 0;
  }
  unsigned Write(ZTIoHandle handle, uint64_t offset, const void* buffer, uint32_t length) override {
    uint32_t total = 0;
    while (total < length) {
      ssize_t n =
          ::pwrite(fdOf(handle), static_cast<const char*>(buffer) + total, length - total, off_t(offset + total));
      if (n < 0) {
        if (errno == EINTR) continue;
        return unsigned(errno);
      }
      total += uint32_t(n);
    }
    return 0;
  }
  unsigned Size(ZTIoHandle handle, uint64_t* size) override {
    struct stat st;
    if (fstat(fdOf(handle), &st) != 0) return unsigned(errno);
    *size = uint64_t(st.st_size);
    return 0;
  }
  unsigned Truncate(ZTIoHandle handle, uint64_t size) override {
    return ::ftruncate(fdOf(handle), off_t(size)) == 0 ? 0 : unsigned(errno);
  }
  unsigned Flush(ZTIoHandle handle) override { return ::fdatasync(fdOf(handle)) == 0 ? 0 : unsigned(errno); }
  unsigned Lock(ZTIoHandle handle, LockKind kind, bool exclusive, bool* granted) override {
    struct flock fl = {};
    fl.l_type = short(exclusive ? F_WRLCK : F_RDLCK);
    fl.l_whence = SEEK_SET;
    fl.l_start = kLockBase + kind;
    fl.l_len = 1;
    if (::fcntl(fdOf(handle), F_OFD_SETLK, &fl) == 0) {
      *granted = true;
      return 0;
    }
    *granted = false;
    return (errno == EAGAIN || errno == EACCES) ? 0 : unsigned(errno);
  }
  unsigned Unlock(ZTIoHandle handle, LockKind kind) override {
    struct flock fl = {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kLockBase + kind;
    fl.l_len = 1;
    return ::fcntl(fdOf(handle), F_OFD_SETLK, &fl) == 0 ? 0 : unsigned(errno);
  }
  unsigned Remove(const char* name) override { return ::unlink(name) == 0 ? 0 : unsigned(errno); }
  bool Exists(const char* name) override {
    struct stat st;
    return ::stat(name, &st) == 0;
  }
  unsigned Rename(const char* from, const char* to) override {
    int e = renameNoReplace(from, to);
    if (e) return unsigned(e);
    // The new name reaches the disk with the folder.
    std::string folder(to);
    size_t slash = folder.find_last_of('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
    return 0;
  }
  void Pause(unsigned milliseconds) override {
    struct timespec ts;
    ts.tv_sec = time_t(milliseconds / 1000);
    ts.tv_nsec = long(milliseconds % 1000) * 1000000L;
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
  }

 private:
  // renameat2 where the file system has it, else a hard link (which refuses an
  // existing name too), else a check before a plain rename.
  static int renameNoReplace(const char* from, const char* to) {
#if defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
#endif
    if (::link(from, to) == 0) return ::unlink(from) == 0 ? 0 : errno;
    if (errno == EEXIST) return EEXIST;
    struct stat st;
    if (::stat(to, &st) == 0) return EEXIST;
    return ::rename(from, to) == 0 ? 0 : errno;
  }
};

}  // namespace

CIsamIo* ztIsamPlatformIo() {
  static CIsamIoPosix io;
  return &io;
}
