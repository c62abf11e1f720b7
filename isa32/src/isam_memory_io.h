// An in-memory file system for the engine's tests and fuzz target. It keeps,
// per file, what the disk holds for sure (flushed) and what the program sees,
// can fail every call from a chosen write or flush on (a cut), and can then
// "lose power": unflushed writes are dropped, or a random part of them lands,
// the last one possibly torn, or all but one land.
#pragma once

#include <errno.h>
#include <string.h>

#include <map>
#include <memory>
#include <set>
#include <random>
#include <string>
#include <vector>

#include "isam_io.h"

class CIsamMemoryIo : public CIsamIo {
 public:
  struct PendingWrite {
    uint64_t offset;
    std::vector<uint8_t> data;
  };
  struct File {
    std::vector<uint8_t> current;
    std::vector<uint8_t> durable;
    std::vector<PendingWrite> pending;  // since the last flush, in order
    bool truncated = false;             // a truncation since the last flush
    void* writer = nullptr;
    std::map<void*, bool> lockers[2];  // per lock byte: handle -> exclusive
  };
  struct Handle {
    std::string name;
    bool writable;
  };

  std::map<std::string, std::shared_ptr<File>> files;
  long cutAfter = -1;  // points (writes, flushes, renames) allowed before the cut; -1: never
  long points = 0;     // points seen
  bool cut = false;
  // What calls at or after the cut give. EIO: a dead disk, every call fails;
  // ENOSPC: a full disk, only writes, flushes and renames fail.
  unsigned cutError = EIO;
  // Names that cannot be opened for writing (a read-only file) and names that
  // cannot be made (a file in a read-only folder).
  std::set<std::string> readOnly;
  std::set<std::string> noCreate;
  std::set<std::string> unreadable;  // cannot be opened at all
  bool fullDisk = false;             // writes that would make a file longer fail
  bool truncateFails = false;        // truncations fail, nothing else does
  unsigned pauses = 0;               // waits asked for
  unsigned readFaultEvery = 0;       // every n-th read fails (0: none)
  unsigned long reads = 0;           // reads seen

  void Arm(long allowed) {
    cutAfter = allowed;
    points = 0;
    cut = false;
  }
  void Disarm() {
    cutAfter = -1;
    cut = false;
  }

  // Power loss: unflushed writes vanish; with tornSeed, a random subset of them
  // lands instead (the last one chosen may land only partly).
  void Crash(unsigned tornSeed = 0) {
    std::mt19937 rng(tornSeed);
    for (auto& kv : files) {
      File& f = *kv.second;
      std::vector<uint8_t> next = f.durable;
      if (tornSeed) {
        for (size_t i = 0; i < f.pending.size(); ++i) {
          if (rng() % 2) continue;
          const PendingWrite& w = f.pending[i];
          size_t n = w.data.size();
          if (rng() % 4 == 0) n = rng() % (n + 1);
          land(next, w, n);
        }
      }
      settle(f, next);
    }
    handles_.clear();
    Disarm();
  }

  // Power loss after the disk wrote every unflushed write but one (lost: its
  // number, counting the files in name order): writes reach it out of order.
  void CrashLosing(size_t lost) {
    for (auto& kv : files) {
      File& f = *kv.second;
      std::vector<uint8_t> next = f.durable;
      for (const PendingWrite& w : f.pending)
        if (lost-- != 0) land(next, w, w.data.size());
      settle(f, next);
    }
    handles_.clear();
    Disarm();
  }

  size_t PendingWrites() const {
    size_t n = 0;
    for (auto& kv : files) n += kv.second->pending.size();
    return n;
  }

  // The files as they stand, to go back to after a crash.
  std::map<std::string, File> Snapshot() const {
    std::map<std::string, File> copy;
    for (auto& kv : files) copy[kv.first] = *kv.second;
    return copy;
  }
  void Restore(const std::map<std::string, File>& copy) {
    files.clear();
    for (auto& kv : copy) files[kv.first] = std::make_shared<File>(kv.second);
  }

  unsigned Open(const char* name, OpenMode mode, ZTIoHandle* handle) override {
    if (dead()) return cutError;
    auto it = files.find(name);
    if (mode == kCreateNew && it != files.end()) return EEXIST;
    if ((mode == kOpenRead || mode == kOpenWrite) && it == files.end()) return ENOENT;
    if (mode != kOpenRead && readOnly.count(name)) return EACCES;
    if (unreadable.count(name)) return EACCES;
    if (it == files.end() && noCreate.count(name)) return EACCES;
    if (it == files.end()) files[name] = std::make_shared<File>();
    auto h = std::make_unique<Handle>();
    h->name = name;
    h->writable = mode != kOpenRead;
    *handle = h.get();
    handles_[h.get()] = std::move(h);
    return 0;
  }
  unsigned Close(ZTIoHandle handle) override {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return EBADF;
    auto f = files.find(it->second->name);
    if (f != files.end()) {
      f->second->lockers[0].erase(handle);
      f->second->lockers[1].erase(handle);
    }
    handles_.erase(it);
    return 0;
  }
  unsigned Read(ZTIoHandle handle, uint64_t offset, void* buffer, uint32_t length, uint32_t* done) override {
    *done = 0;
    File* f = file(handle);
    if (!f) return EBADF;
    if (dead()) return cutError;
    if (readFaultEvery && ++reads % readFaultEvery == 0) return EIO;
    if (offset >= f->current.size()) return 0;
    uint64_t n = f->current.size() - offset;
    if (n > length) n = length;
    memcpy(buffer, f->current.data() + offset, size_t(n));
    *done = uint32_t(n);
    return 0;
  }
  unsigned Write(ZTIoHandle handle, uint64_t offset, const void* buffer, uint32_t length) override {
    File* f = file(handle);
    if (!f || !handles_[handle]->writable) return EBADF;
    if (fullDisk && offset + length > f->current.size()) return ENOSPC;
    if (point()) return cutError;
    if (f->current.size() < offset + length) f->current.resize(size_t(offset + length), 0);
    memcpy(f->current.data() + offset, buffer, length);
    const uint8_t* b = static_cast<const uint8_t*>(buffer);
    f->pending.push_back(PendingWrite{offset, std::vector<uint8_t>(b, b + length)});
    return 0;
  }
  unsigned Size(ZTIoHandle handle, uint64_t* size) override {
    File* f = file(handle);
    if (!f) return EBADF;
    if (dead()) return cutError;
    *size = f->current.size();
    return 0;
  }
  unsigned Truncate(ZTIoHandle handle, uint64_t size) override {
    File* f = file(handle);
    if (!f) return EBADF;
    if (truncateFails) return EIO;
    if (point()) return cutError;
    f->current.resize(size_t(size));
    f->truncated = true;
    return 0;
  }
  unsigned Flush(ZTIoHandle handle) override {
    File* f = file(handle);
    if (!f) return EBADF;
    if (point()) return cutError;
    // The disk gets the pending writes (cheaper than copying the whole file).
    if (f->truncated) f->durable.resize(f->current.size());
    for (const PendingWrite& w : f->pending) {
      if (f->durable.size() < w.offset + w.data.size()) f->durable.resize(size_t(w.offset + w.data.size()), 0);
      memcpy(f->durable.data() + w.offset, w.data.data(), w.data.size());
    }
    f->durable.resize(f->current.size());
    f->truncated = false;
    f->pending.clear();
    return 0;
  }
  unsigned Lock(ZTIoHandle handle, LockKind kind, bool exclusive, bool* granted) override {
    File* f = file(handle);
    *granted = false;
    if (!f) return EBADF;
    if (dead()) return cutError;
    for (auto& l : f->lockers[kind])
      if (l.first != handle && (exclusive || l.second)) return 0;
    f->lockers[kind][handle] = exclusive;
    *granted = true;
    return 0;
  }
  unsigned Unlock(ZTIoHandle handle, LockKind kind) override {
    File* f = file(handle);
    if (!f) return EBADF;
    f->lockers[kind].erase(handle);
    return 0;
  }
  unsigned Remove(const char* name) override {
    if (dead()) return cutError;
    return files.erase(name) ? 0 : ENOENT;
  }
  bool Exists(const char* name) override { return files.count(name) != 0; }
  // Open handles follow the file to its new name.
  unsigned Rename(const char* from, const char* to) override {
    auto it = files.find(from);
    if (it == files.end()) return ENOENT;
    if (files.count(to)) return EEXIST;
    if (noCreate.count(to)) return EACCES;
    if (point()) return cutError;
    files[to] = it->second;
    files.erase(it);
    for (auto& h : handles_)
      if (h.second->name == from) h.second->name = to;
    return 0;
  }
  void Pause(unsigned) override { ++pauses; }

 private:
  static void land(std::vector<uint8_t>& image, const PendingWrite& w, size_t n) {
    if (image.size() < w.offset + n) image.resize(size_t(w.offset + n), 0);
    memcpy(image.data() + w.offset, w.data.data(), n);
  }
  static void settle(File& f, const std::vector<uint8_t>& image) {
    f.current = image;
    f.durable = image;
    f.pending.clear();
    f.truncated = false;
    f.lockers[0].clear();
    f.lockers[1].clear();
  }
  bool dead() const { return cut && cutError != ENOSPC; }
  File* file(ZTIoHandle handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) return nullptr;
    auto f = files.find(it->second->name);
    return f == files.end() ? nullptr : f->second.get();
  }
  // Counts a write or flush; true when it falls on or after the cut.
  bool point() {
    if (cut) return true;
    if (cutAfter >= 0 && points >= cutAfter) {
      cut = true;
      return true;
    }
    ++points;
    return false;
  }
  std::map<void*, std::unique_ptr<Handle>> handles_;
};
