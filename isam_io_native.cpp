// POSIX file I/O of the engine: open/pread/pwrite/fsync and open-file-description
// locks, which conflict between two handles even inside one process.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "isam_io.h"

namespace {

constexpr off_t kLockBase = off_t(0x7FFFFFFF) << 32;

int fdOf(ZTIoHandle h) { return int(reinterpret_cast<intptr_t>(h)) - 1; }

class CIsamIoPosix : public CIsamIo {
 public:
  unsigned Open(const char* name, OpenMode mode, ZTIoHandle* handle) override {
    int flags = O_CLOEXEC;
    switch (mode) {
      case kOpenRead: flags |= O_RDONLY; break;
      case kOpenWrite: flags |= O_RDWR; break;
      case kCreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
      case kOpenAlways: flags |= O_RDWR | O_CREAT; break;
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
};

}  // namespace

CIsamIo* ztIsamPlatformIo() {
  static CIsamIoPosix io;
  return &io;
}
