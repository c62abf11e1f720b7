// The logical drives of the workstation with their kind, volume data and, for
// network drives, the server and share they are connected to.
#pragma once

#include "zt_tbl32/frame.h"

// Kinds of drive records.
enum : unsigned {
  ZT_DRIVE_NOT_READY = 0,  // the volume inquiry found the drive not ready
  ZT_DRIVE_FIXED = 1,
  ZT_DRIVE_REMOVABLE = 2,
  ZT_DRIVE_CDROM = 3,
  ZT_DRIVE_NETWORK = 4,
  ZT_DRIVE_RAMDISK = 5,
};

constexpr unsigned kZTVolumeNameSize = 256;
constexpr unsigned kZTServerNameSize = 32;

struct SDriveRec {
  unsigned uKind;
  unsigned uVolumeData;   // 1 when the volume inquiry succeeded
  char szRoot[MAX_PATH];  // "X:\"
  char szVolumeName[kZTVolumeNameSize];
  char szServer[kZTServerNameSize];  // network drives: from "\\server\share"
  char szRemoteName[MAX_PATH];       // network drives: what the drive is connected to
  char szSharePath[MAX_PATH];        // the remote name behind the server, or all of it
};

class ZT_TBL32_API CZTWorkstation {
 public:
  unsigned m_uCount;
  SDriveRec* m_pDrives;  // owned; a new Browse or InquDrive replaces it

  CZTWorkstation();
  ~CZTWorkstation();
  CZTWorkstation(const CZTWorkstation&) = delete;
  CZTWorkstation& operator=(const CZTWorkstation&) = delete;

  // Lists every usable drive. The computer name is only shown when there are
  // no drives; the flag is not used. int: 1 ok.
  int Browse(const char* computer, int flag);
  // Makes the table the one given drive (a-z taken as A-Z). int: 1 ok.
  int InquDrive(char letter);
};
