#include "zt_tbl32/workstation.h"

#include <stddef.h>
#include <string.h>
#include <winioctl.h>

#include <new>

#include "browse_codes.h"
#include "browse_platform.h"

namespace {

// Where the storage manager's name (8 wide characters) lies in the reply to the
// disk performance request.
constexpr unsigned kStorageManagerOffset = offsetof(DISK_PERFORMANCE, StorageManagerName);
constexpr unsigned kStorageManagerChars = 8;

void PrepareRecord(SDriveRec& record, char letter) {
  memset(&record, 0, sizeof(record));
  const char root[] = {letter, ':', '\\', '\0'};
  ztStrCopy(record.szRoot, root, sizeof(record.szRoot));
}

// Diagnostic only: opens the drive's device and logs its storage manager.
void DeviceInquiry(const SDriveRec& record) {
  const SZTDriveApi& api = ztDriveApi();
  char device[8] = "\\\\.\\";
  ztStrCopyN(device + 4, record.szRoot, 2, sizeof(device) - 4);
  HANDLE handle = api.pCreateFileA(device, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcWorkstation, "Error on opening %s, error code = %u", device,
                      static_cast<unsigned>(GetLastError()));
    return;
  }
  unsigned char reply[kDeviceReplySize] = {};
  DWORD returned = 0;
  if (api.pDeviceIoControl(handle, kDiskPerformanceRequest, nullptr, 0, reply, sizeof(reply), &returned, nullptr)) {
    // The name is as long as the reply holds of it, and need not be terminated.
    WCHAR wide[kStorageManagerChars] = {};
    unsigned chars = 0;
    if (returned > kStorageManagerOffset)
      chars = (returned - kStorageManagerOffset) / sizeof(WCHAR) < kStorageManagerChars
                  ? (returned - kStorageManagerOffset) / sizeof(WCHAR)
                  : kStorageManagerChars;
    memcpy(wide, reply + kStorageManagerOffset, chars * sizeof(WCHAR));
    while (chars && wide[chars - 1] == 0) --chars;
    char name[kStorageManagerChars * 2 + 1] = {};
    const int n = chars ? WideCharToMultiByte(CP_ACP, 0, wide, chars, name, sizeof(name) - 1, nullptr, nullptr) : 0;
    name[n > 0 ? n : 0] = '\0';
    ztTbl32Lib.PrtLog(ZT_LOG_TRACE, kSrcWorkstation, "Drive %s has StorageManager %s", record.szRoot, name);
  } else {
    ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcWorkstation, "Error on inquiry of %s, error code = %u", device,
                      static_cast<unsigned>(GetLastError()));
  }
  api.pCloseHandle(handle);
}

// Volume name into the record. 1: the record is kept (also for a drive that is
// not ready: kind 0 and no volume data); 0: it is not.
int VolumeInquiry(SDriveRec& record) {
  char fileSystem[128];
  DWORD serial = 0, maxComponent = 0, flags = 0;
  if (ztDriveApi().pGetVolumeInformationA(record.szRoot, record.szVolumeName, sizeof(record.szVolumeName), &serial,
                                          &maxComponent, &flags, fileSystem, sizeof(fileSystem))) {
    record.szVolumeName[sizeof(record.szVolumeName) - 1] = '\0';
    record.uVolumeData = 1;
    return 1;
  }
  const DWORD error = GetLastError();
  record.uKind = ZT_DRIVE_NOT_READY;
  record.uVolumeData = 0;
  record.szVolumeName[0] = '\0';
  switch (error) {
    case ERROR_NOT_READY:
      return 1;
    case ERROR_INVALID_FUNCTION:
    case ERROR_ACCESS_DENIED:
      ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcWorkstation, "Access denied on GetVolumeInformation( %s )", record.szRoot);
      return 0;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_UNRECOGNIZED_VOLUME:
      return 0;
    default:
      ztTbl32Lib.PrtLog(ZT_LOG_WARNING, kSrcWorkstation, "Error %d on GetVolumeInformation( %s )",
                        static_cast<int>(error), record.szRoot);
      ztTbl32Lib.DispError(ZT_ERR_WS_VOLUME, record.szRoot, static_cast<unsigned>(error));
      return 0;
  }
}

// Network drives: what the drive is connected to, split into server and share.
void ConnectionInquiry(SDriveRec& record) {
  const char drive[] = {record.szRoot[0], ':', '\0'};
  DWORD length = sizeof(record.szRemoteName);
  const DWORD error = ztDriveApi().pWNetGetConnectionA(drive, record.szRemoteName, &length);
  if (error != NO_ERROR) {
    record.szRemoteName[0] = '\0';
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcWorkstation, "Error %u on call of WNetGetConnection( %s )",
                      static_cast<unsigned>(error), drive);
    ztTbl32Lib.DispError(ZT_ERR_WS_CONNECTION, drive, static_cast<unsigned>(error));
    return;
  }
  record.szRemoteName[sizeof(record.szRemoteName) - 1] = '\0';
  const char* remote = record.szRemoteName;
  const char* share = remote[0] == '\\' && remote[1] == '\\' ? strchr(remote + 2, '\\') : nullptr;
  if (share) {
    ztStrCopyN(record.szServer, remote + 2, static_cast<unsigned>(share - remote - 2), sizeof(record.szServer));
    ztStrCopy(record.szSharePath, share + 1, sizeof(record.szSharePath));
  } else {
    ztStrCopy(record.szSharePath, remote, sizeof(record.szSharePath));
  }
}

// What each drive type of GetDriveTypeA gives: the record's kind (0: the drive
// is skipped), the log level and line when all drives are listed (with the
// number kept so far) and when one is inquired, and the inquiries made.
struct DriveType {
  unsigned kind;
  unsigned level;
  const char* listed;  // (kept, root, remote name)
  const char* single;  // (root, remote name)
  bool deviceListed, deviceSingle, volume;
};
const DriveType kDriveTypes[] = {
    {0, ZT_LOG_WARNING, "Unknown drive %u: %s", "Unknown drive %s", false, false, false},
    {0, ZT_LOG_WARNING, "Drive no root directory %u: %s", "Drive no root directory %s", false, false, false},
    {ZT_DRIVE_REMOVABLE, ZT_LOG_INFO, "Removable drive %u: %s", "Removable drive %s", true, true, true},
    {ZT_DRIVE_FIXED, ZT_LOG_INFO, "Fixed disk drive: %u: %s", "Fixed disk drive: %s", true, false, true},
    {ZT_DRIVE_NETWORK, ZT_LOG_INFO, "Network drive %u: %s is %s", "Network drive: %s is %s", false, false, true},
    {ZT_DRIVE_CDROM, ZT_LOG_INFO, "CD-ROM drive: %u: %s", "CD-ROM drive: %s", false, false, true},
    {ZT_DRIVE_RAMDISK, ZT_LOG_INFO, "RAM disk drive: %u: %s", "RAM disk drive: %s", false, false, false},
};

// Fills a prepared record by its drive's type; listing: for Browse, with kept
// drives kept so far. 1: the drive is kept.
int InquireDrive(SDriveRec& record, bool listing, unsigned kept) {
  const char* root = record.szRoot;
  const UINT type = ztDriveApi().pGetDriveTypeA(root);
  if (type >= sizeof(kDriveTypes) / sizeof(kDriveTypes[0])) {
    if (listing)
      ztTbl32Lib.PrtLog(ZT_LOG_INFO, kSrcWorkstation, "Unknown drive type %u: %u: %s", type, kept, root);
    else
      ztTbl32Lib.PrtLog(ZT_LOG_INFO, kSrcWorkstation, "Unknown drive type %u: %s", type, root);
    ztTbl32Lib.DispError(ZT_ERR_WS_DRIVE_TYPE, type, root);
    return 0;
  }
  const DriveType& t = kDriveTypes[type];
  if (t.kind == ZT_DRIVE_NETWORK) ConnectionInquiry(record);
  if (listing)
    ztTbl32Lib.PrtLog(t.level, kSrcWorkstation, t.listed, kept, root, record.szRemoteName);
  else
    ztTbl32Lib.PrtLog(t.level, kSrcWorkstation, t.single, root, record.szRemoteName);
  if (!t.kind) return 0;
  record.uKind = t.kind;
  if (listing ? t.deviceListed : t.deviceSingle) DeviceInquiry(record);
  return t.volume ? VolumeInquiry(record) : 1;
}

}  // namespace

CZTWorkstation::CZTWorkstation() : m_uCount(0), m_pDrives(nullptr) {}

CZTWorkstation::~CZTWorkstation() { delete[] m_pDrives; }

int CZTWorkstation::Browse(const char* computer, int /*flag*/) {
  const DWORD drives = ztDriveApi().pGetLogicalDrives() & 0x03FFFFFFu;
  const unsigned count = static_cast<unsigned>(__builtin_popcount(drives));
  if (count == 0) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcWorkstation, "No logical drives found on %s", computer);
    ztTbl32Lib.DispError(ZT_ERR_WS_NO_DRIVES, computer);
    return 0;
  }
  SDriveRec* table = new (std::nothrow) SDriveRec[count]();
  if (!table) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcWorkstation, "Not enough free memory available for %d instances of SDriveRec",
                      static_cast<int>(count));
    ztTbl32Lib.DispError(ZT_ERR_WS_NO_MEMORY, count);
    return 0;
  }
  unsigned kept = 0;
  for (unsigned bit = 0; bit < 26; ++bit) {
    if (!(drives & (1u << bit))) continue;
    // A skipped drive's slot is taken by the next one: prepared afresh each time.
    PrepareRecord(table[kept], static_cast<char>('A' + bit));
    if (InquireDrive(table[kept], true, kept)) ++kept;
  }
  if (kept < count) memset(&table[kept], 0, sizeof(SDriveRec));
  delete[] m_pDrives;
  m_pDrives = table;
  m_uCount = kept;
  return 1;
}

int CZTWorkstation::InquDrive(char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  SDriveRec* record = new (std::nothrow) SDriveRec[1]();
  if (!record) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcWorkstation, "Not enough free memory available.");
    ztTbl32Lib.DispError(ZT_ERR_WS_NO_MEMORY, 1u);
    return 0;
  }
  PrepareRecord(*record, letter);
  const int ok = InquireDrive(*record, false, 0);
  if (!ok) {
    delete[] record;
    return 0;
  }
  delete[] m_pDrives;
  m_pDrives = record;
  m_uCount = 1;
  return 1;
}
