// Reading the write-ahead log beside an ISAM file: which blocks its committed
// transactions hold, where its usable part ends, and whether damage cost
// committed transactions.
//
// Frames are read in order while their checksum (seeded with the file's
// identity), the log's salt and rising serials hold. Where that chain breaks,
// the rest of the log is searched for frames of the same salt: a complete
// transaction there (its commit frame and as many frames as it counts), or the
// frame a writer leaves when it closes, proves that committed data lay where the
// chain broke. Anything else beyond the break is the torn tail of a crash.
#pragma once

#include <stdint.h>

#include <unordered_map>

#include "isam_format.h"
#include "isam_io.h"

namespace isam {

struct LogEntry {
  uint64_t offset;  // of the block's bytes in the log
  uint32_t units;
};

struct LogScan {
  std::unordered_map<uint32_t, LogEntry> blocks;  // the last committed version of each block
  bool headerOk = false;                          // the header's checksum holds
  uint64_t end = 0;                               // end of the usable part (0: no usable log)
  uint32_t salt = 0;                              // of the usable part
  uint32_t version = 0;                           // of the log's format
  uint32_t lastSerial = 0;                        // serial of the last commit (or close frame) of the usable part
  uint32_t maxSerial = 0;                         // highest serial of any frame of the log, beyond damage too
  uint32_t lostCommits = 0;                       // committed transactions beyond damage (0: none)
  uint64_t breakAt = 0;                           // where the chain broke (0: at the end of the log)
};

// Seed of the frame checksums of a log of that version for a file.
uint32_t LogFrameSeed(uint32_t version, uint32_t idLo, uint32_t idHi);

// Reads the log of the file with that identity. concurrent: a writer may append
// meanwhile, so damage is only believed when the frame where the chain broke is
// still bad after the later frames were read. inFile: the serial of the last
// transaction the file itself holds; commits up to it found beyond a break are
// not lost (the log was copied into the file before its frames were written
// over). ISAM_OK, or ISAM_ERR_LOG_UNREADABLE with the system error (0 for an
// unknown log version).
unsigned ScanLog(CIsamIo* io, ZTIoHandle log, uint32_t idLo, uint32_t idHi, bool concurrent, uint32_t inFile,
                 LogScan* out, unsigned* systemError);

}  // namespace isam
