#include "isam_log_scan.h"

#include <map>
#include <vector>

namespace isam {

namespace {

constexpr uint32_t kWindowBytes = 1u << 20;
constexpr int kConcurrentAttempts = 8;

struct Frame {
  uint32_t salt;
  uint32_t serial;
  uint32_t addr;
  uint32_t units;
  uint32_t flags;
  uint32_t frames;
  uint64_t bytes;  // of its block
};

// Reads of the log, with a window for the search beyond a break.
class LogReader {
 public:
  LogReader(CIsamIo* io, ZTIoHandle h, uint64_t size) : io_(io), h_(h), size_(size) {}
  uint64_t Size() const { return size_; }
  unsigned Error() const { return error_; }

  // Exactly n bytes at off; false beyond the end or on a read error.
  bool Read(uint64_t off, void* buffer, uint32_t n) {
    if (off + n > size_) return false;
    uint32_t done = 0;
    unsigned e = io_->Read(h_, off, buffer, n, &done);
    if (e) error_ = e;
    return !e && done == n;
  }

  // n bytes at off from the window (loaded as needed); null beyond the end.
  const uint8_t* Peek(uint64_t off, uint32_t n) {
    if (off + n > size_) return nullptr;
    if (window_.empty() || off < windowAt_ || off + n > windowAt_ + window_.size()) {
      uint64_t left = size_ - off;
      window_.resize(size_t(left < kWindowBytes ? left : kWindowBytes));
      windowAt_ = off;
      if (!Read(off, window_.data(), uint32_t(window_.size()))) {
        window_.clear();
        return nullptr;
      }
    }
    return window_.data() + (off - windowAt_);
  }

  // The frame at pos when its checksum holds (any salt).
  bool FrameAt(uint64_t pos, uint32_t seed, Frame* f) {
    uint8_t fh[kFrameHeader];
    if (!Read(pos, fh, kFrameHeader)) return false;
    f->salt = rd32(fh + kFrSalt);
    f->serial = rd32(fh + kFrSerial);
    f->addr = rd32(fh + kFrAddr);
    f->units = rd32(fh + kFrUnits);
    f->flags = rd32(fh + kFrFlags);
    f->frames = rd32(fh + kFrFrames);
    if (f->units > kFrameMaxUnits) return false;
    f->bytes = uint64_t(f->units) * kUnit;
    if (pos + kFrameHeader + f->bytes > size_) return false;
    uint32_t crc = crc32c(seed, fh, kFrCrc);
    if (f->bytes) {
      data_.resize(size_t(f->bytes));
      if (!Read(pos + kFrameHeader, data_.data(), uint32_t(f->bytes))) return false;
      crc = crc32c(crc, data_.data(), data_.size());
    }
    return crc == rd32(fh + kFrCrc);
  }

 private:
  CIsamIo* io_;
  ZTIoHandle h_;
  uint64_t size_;
  unsigned error_ = 0;
  std::vector<uint8_t> window_;
  uint64_t windowAt_ = 0;
  std::vector<uint8_t> data_;
};

// What the search beyond a break found of one transaction.
struct Found {
  uint32_t frames = 0;
  bool commit = false;
  uint32_t counted = 0;  // frames its commit frame counts
  bool closed = false;
};

// The frames of the chain's salt beyond the break, by serial. Serials up to the
// last commit are old: rolled back transactions and frames written over since.
void searchBeyond(LogReader& r, uint64_t from, uint32_t seed, uint32_t salt, uint32_t committed,
                  std::map<uint32_t, Found>* found, uint32_t* maxSerial) {
  uint64_t pos = from;
  while (pos + kFrameHeader <= r.Size()) {
    const uint8_t* h = r.Peek(pos, kFrameHeader);
    if (!h) return;
    Frame f;
    if (rd32(h + kFrSalt) == salt && rd32(h + kFrSerial) > committed && rd32(h + kFrUnits) <= kFrameMaxUnits &&
        r.FrameAt(pos, seed, &f)) {
      if (f.serial > *maxSerial) *maxSerial = f.serial;
      Found& t = (*found)[f.serial];
      if (f.flags & kFrameCommit) {
        t.commit = true;
        t.counted = f.frames;
      } else if (f.flags & kFrameClosed) {
        t.closed = true;
      } else {
        ++t.frames;
      }
      pos += kFrameHeader + f.bytes;
    } else {
      pos += kFrameHeader;
    }
  }
}

unsigned scanOnce(LogReader& r, uint32_t idLo, uint32_t idHi, uint32_t inFile, LogScan* out) {
  *out = LogScan();
  uint8_t wh[kWalHeader];
  if (r.Size() < kWalHeader) return ISAM_OK;  // nothing written yet
  if (!r.Read(0, wh, kWalHeader)) return r.Error() ? ISAM_ERR_LOG_UNREADABLE : ISAM_OK;
  out->headerOk = rd32(wh + kWhMagic) == kWalMagic && rd32(wh + kWhCrc) == crc32c(0, wh, kWhCrc);
  uint32_t version = kWalVersion;
  uint32_t salt = 0;
  uint32_t seed = 0;
  if (out->headerOk) {
    if (rd32(wh + kWhIdLo) != idLo || rd32(wh + kWhIdHi) != idHi) return ISAM_OK;  // another file's log
    version = rd32(wh + kWhVersion);
    if (version != 1 && version != kWalVersion) return ISAM_ERR_LOG_UNREADABLE;
    salt = rd32(wh + kWhSalt);
    seed = LogFrameSeed(version, idLo, idHi);
  } else {
    // A damaged header: the frames still tell whose they are, their checksums
    // being seeded with the identity; the first one found gives the salt.
    seed = LogFrameSeed(version, idLo, idHi);
    bool found = false;
    for (uint64_t pos = kWalHeader; !found && pos + kFrameHeader <= r.Size(); pos += kFrameHeader) {
      const uint8_t* h = r.Peek(pos, kFrameHeader);
      Frame f;
      if (h && rd32(h + kFrUnits) <= kFrameMaxUnits && r.FrameAt(pos, seed, &f)) {
        salt = f.salt;
        found = true;
      }
    }
    if (r.Error()) return ISAM_ERR_LOG_UNREADABLE;
    if (!found) return ISAM_OK;  // a header torn before anything was committed
  }
  out->salt = salt;
  out->version = version;

  std::unordered_map<uint32_t, LogEntry> pending;
  uint32_t pendingSerial = 0, pendingFrames = 0, lastSerial = 0, committed = 0;
  uint64_t pos = kWalHeader, end = kWalHeader;
  Frame f;
  while (pos + kFrameHeader <= r.Size()) {
    if (!r.FrameAt(pos, seed, &f) || f.salt != salt || f.serial < lastSerial) break;
    if (f.serial != pendingSerial) {
      pending.clear();
      pendingFrames = 0;
      pendingSerial = f.serial;
    }
    // A commit frame that counts more frames than arrived ends the chain: one is missing.
    if ((f.flags & kFrameCommit) && version >= 2 && f.frames != pendingFrames) break;
    lastSerial = f.serial;
    if (f.serial > out->maxSerial) out->maxSerial = f.serial;
    pos += kFrameHeader + f.bytes;
    if (f.flags & (kFrameCommit | kFrameClosed)) {
      if (f.flags & kFrameCommit)
        for (auto& kv : pending) out->blocks[kv.first] = kv.second;
      pending.clear();
      pendingFrames = 0;
      end = pos;
      committed = f.serial;
    } else {
      pending[f.addr] = LogEntry{pos - f.bytes, f.units};
      ++pendingFrames;
    }
  }
  if (r.Error()) return ISAM_ERR_LOG_UNREADABLE;
  out->end = end;
  out->lastSerial = committed;
  if (pos + kFrameHeader > r.Size()) return ISAM_OK;

  // The chain broke inside the log: a torn tail, or damage to committed frames.
  out->breakAt = pos;
  std::map<uint32_t, Found> found;
  // Transactions the file holds already are not lost, wherever their frames are.
  const uint32_t kept = committed > inFile ? committed : inFile;
  if (pendingFrames && pendingSerial > kept) found[pendingSerial].frames = pendingFrames;
  searchBeyond(r, pos + kFrameHeader, seed, salt, kept, &found, &out->maxSerial);
  if (r.Error()) return ISAM_ERR_LOG_UNREADABLE;
  bool certain = false;
  uint32_t commits = 0;
  for (auto& kv : found) {
    const Found& t = kv.second;
    if (t.commit) ++commits;
    if (t.closed || (t.commit && (version < 2 || t.frames == t.counted))) certain = true;
  }
  // The transaction the chain broke in was committed too when later ones were:
  // a writer that gives one up writes the next over its first frame.
  if (certain && pendingFrames && pendingSerial > kept && !found[pendingSerial].commit) ++commits;
  if (certain) out->lostCommits = commits ? commits : 1;
  return ISAM_OK;
}

}  // namespace

uint32_t LogFrameSeed(uint32_t version, uint32_t idLo, uint32_t idHi) {
  if (version < 2) return 0;
  uint8_t id[8];
  wr32(id, idLo);
  wr32(id + 4, idHi);
  return crc32c(0, id, sizeof(id));
}

unsigned ScanLog(CIsamIo* io, ZTIoHandle log, uint32_t idLo, uint32_t idHi, bool concurrent, uint32_t inFile,
                 LogScan* out, unsigned* systemError) {
  *systemError = 0;
  for (int attempt = 0;; ++attempt) {
    uint64_t size = 0;
    unsigned e = io->Size(log, &size);
    if (e) {
      *systemError = e;
      return ISAM_ERR_LOG_UNREADABLE;
    }
    LogReader r(io, log, size);
    e = scanOnce(r, idLo, idHi, inFile, out);
    if (e) {
      *systemError = r.Error();
      return e;
    }
    if (!out->lostCommits || !concurrent || attempt + 1 >= kConcurrentAttempts) return ISAM_OK;
    // A writer appending while the log was read can make its newest frames look
    // damaged: the frame where the chain broke is read again, now that later
    // frames exist; when it holds now, the log is read anew.
    LogReader again(io, log, size);
    Frame f;
    if (!again.FrameAt(out->breakAt, LogFrameSeed(out->version, idLo, idHi), &f) || f.salt != out->salt ||
        f.serial <= out->lastSerial)
      return ISAM_OK;
  }
}

}  // namespace isam
