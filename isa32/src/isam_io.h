// The engine's only way to the file system: one small interface with a Win32
// and a POSIX implementation, replaceable so that tests can inject faults.
#pragma once

#include <stdint.h>

#include "zt_isa32.h"

typedef void* ZTIoHandle;

class ZT_ISA32_API CIsamIo {
 public:
  enum OpenMode { kOpenRead = 0, kOpenWrite = 1, kCreateNew = 2, kOpenAlways = 3 };
  enum LockKind { kLockWriter = 0, kLockReader = 1 };

  virtual ~CIsamIo() {}
  // Every call returns 0 or the system's error code (never 0 on failure).
  virtual unsigned Open(const char* name, OpenMode mode, ZTIoHandle* handle) = 0;
  virtual unsigned Close(ZTIoHandle handle) = 0;
  // Reads up to length bytes; *done gets the bytes read (short at the end of the file).
  virtual unsigned Read(ZTIoHandle handle, uint64_t offset, void* buffer, uint32_t length, uint32_t* done) = 0;
  virtual unsigned Write(ZTIoHandle handle, uint64_t offset, const void* buffer, uint32_t length) = 0;
  virtual unsigned Size(ZTIoHandle handle, uint64_t* size) = 0;
  virtual unsigned Truncate(ZTIoHandle handle, uint64_t size) = 0;
  virtual unsigned Flush(ZTIoHandle handle) = 0;
  // Non-blocking lock of one of two bytes far beyond the data; *granted is false
  // when another handle holds a conflicting lock.
  virtual unsigned Lock(ZTIoHandle handle, LockKind kind, bool exclusive, bool* granted) = 0;
  virtual unsigned Unlock(ZTIoHandle handle, LockKind kind) = 0;
  virtual unsigned Remove(const char* name) = 0;
  virtual bool Exists(const char* name) = 0;
  // Gives a file another name, never replacing an existing one, and makes the
  // change durable (the folder is flushed where the system needs that).
  virtual unsigned Rename(const char* from, const char* to) = 0;
  // Waits a little (while another process holds a lock).
  virtual void Pause(unsigned milliseconds) = 0;
};

// The platform's implementation.
ZT_ISA32_API CIsamIo* ztIsamPlatformIo();
// The layer every file opened from now on uses (null: the platform's); returns the previous.
ZT_ISA32_API CIsamIo* ztIsamSetIo(CIsamIo* io);
ZT_ISA32_API CIsamIo* ztIsamCurrentIo();
// Number of flushes the engine asked of the disk since the program started.
ZT_ISA32_API uint64_t ztIsamFlushCount();
// Log size from which a commit copies the log into the file (default 32 MB);
// returns the previous value. Tests make it small to reach that path often.
ZT_ISA32_API uint64_t ztIsamSetCheckpointBytes(uint64_t bytes);
// Bytes of log frames gathered before they are written to the log (default
// 1 MB); returns the previous value. Tests make it small so that frames reach
// the log file within a short transaction.
ZT_ISA32_API uint64_t ztIsamSetLogBufferBytes(uint64_t bytes);
