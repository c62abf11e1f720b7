#include "zt_tbl32/workstation.h"

#include <gtest/gtest.h>
#include <string.h>

#include <map>
#include <string>

#include "browse_platform.h"
#include "browse_test_support.h"

namespace {

using zt_test::BoxRecorder;
using zt_test::LogCapture;

// A machine made up by the test: per drive letter its type, the volume
// inquiry's answer (label or error), the connection and the device's answers.
struct FakeDrive {
  UINT type = DRIVE_FIXED;
  DWORD volumeError = 0;  // 0: the inquiry succeeds with the label
  std::string label;
  DWORD connectionError = 0;
  std::string remote;
  bool deviceOpens = true;
  bool deviceAnswers = true;
};

struct FakeMachine {
  std::map<char, FakeDrive> drives;
  int volumeCalls = 0;
  int openHandles = 0;
};
FakeMachine* g_machine = nullptr;

FakeDrive* DriveOf(LPCSTR path) {
  // "X:\", "X:" or "\\.\X:"
  const char letter = path[0] == '\\' ? path[4] : path[0];
  auto it = g_machine->drives.find(letter);
  return it == g_machine->drives.end() ? nullptr : &it->second;
}

DWORD WINAPI FakeLogicalDrives() {
  DWORD mask = 0;
  for (const auto& d : g_machine->drives) mask |= 1u << (d.first - 'A');
  return mask;
}
UINT WINAPI FakeDriveType(LPCSTR root) { return DriveOf(root) ? DriveOf(root)->type : DRIVE_NO_ROOT_DIR; }
BOOL WINAPI FakeVolume(LPCSTR root, LPSTR name, DWORD size, LPDWORD, LPDWORD, LPDWORD, LPSTR fs, DWORD fsSize) {
  ++g_machine->volumeCalls;
  const FakeDrive* d = DriveOf(root);
  if (d->volumeError) {
    SetLastError(d->volumeError);
    return FALSE;
  }
  ztStrCopy(name, d->label.c_str(), size);
  ztStrCopy(fs, "NTFS", fsSize);
  return TRUE;
}
DWORD WINAPI FakeConnection(LPCSTR local, LPSTR remote, LPDWORD length) {
  const FakeDrive* d = DriveOf(local);
  if (d->connectionError) return d->connectionError;
  ztStrCopy(remote, d->remote.c_str(), *length);
  return NO_ERROR;
}
HANDLE WINAPI FakeOpen(LPCSTR name, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
  const FakeDrive* d = DriveOf(name);
  if (!d->deviceOpens) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  ++g_machine->openHandles;
  return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x1000 + name[4]));
}
BOOL WINAPI FakeIoControl(HANDLE device, DWORD code, LPVOID, DWORD, LPVOID out, DWORD outSize, LPDWORD returned,
                          LPOVERLAPPED) {
  const char letter = static_cast<char>(reinterpret_cast<UINT_PTR>(device) - 0x1000);
  if (code != 0x00070020 || outSize < sizeof(DISK_PERFORMANCE) || !g_machine->drives[letter].deviceAnswers) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  DISK_PERFORMANCE* reply = static_cast<DISK_PERFORMANCE*>(out);
  memset(reply, 0xCC, outSize);
  memcpy(reply->StorageManagerName, L"PhysDisk", 8 * sizeof(WCHAR));  // all eight, no terminator
  *returned = sizeof(DISK_PERFORMANCE);
  return TRUE;
}
BOOL WINAPI FakeClose(HANDLE) {
  --g_machine->openHandles;
  return TRUE;
}

// Installs the made-up machine for one test.
class FakeDrives {
 public:
  FakeMachine machine;
  FakeDrives() {
    g_machine = &machine;
    ztSetDriveApi(&kApi);
  }
  ~FakeDrives() {
    ztSetDriveApi(nullptr);
    g_machine = nullptr;
  }

 private:
  static constexpr SZTDriveApi kApi = {FakeLogicalDrives, FakeDriveType, FakeVolume, FakeConnection,
                                       FakeOpen,          FakeIoControl, FakeClose};
};

FakeDrive Drive(UINT type, DWORD volumeError = 0, const char* label = "") {
  FakeDrive d;
  d.type = type;
  d.volumeError = volumeError;
  d.label = label;
  return d;
}

TEST(Workstation, BrowseKeepsUsableDrivesOfEveryKind) {
  LogCapture log("workstation_test.log");
  BoxRecorder boxes;
  FakeDrives fake;
  auto& d = fake.machine.drives;
  d['A'] = Drive(DRIVE_REMOVABLE, ERROR_NOT_READY);  // a floppy drive without a disk
  d['B'] = Drive(DRIVE_UNKNOWN);
  d['C'] = Drive(DRIVE_FIXED, 0, "SYSTEM");
  d['D'] = Drive(DRIVE_CDROM, 0, "CD_ROM");
  d['E'] = Drive(DRIVE_REMOTE, 0, "DATA");
  d['E'].remote = "\\\\SERVER\\DATA\\PROJ";
  d['F'] = Drive(DRIVE_REMOTE, 0, "WEB");
  d['F'].remote = "webdav:http://host/share";        // a provider's own form: all of it is the share path
  d['G'] = Drive(DRIVE_RAMDISK, ERROR_GEN_FAILURE);  // never asked for its volume
  d['H'] = Drive(7);
  d['I'] = Drive(DRIVE_NO_ROOT_DIR);
  d['J'] = Drive(DRIVE_FIXED, ERROR_ACCESS_DENIED);
  d['J'].deviceOpens = false;
  d['K'] = Drive(DRIVE_FIXED, ERROR_PATH_NOT_FOUND);
  d['K'].deviceAnswers = false;
  d['L'] = Drive(DRIVE_FIXED, ERROR_INVALID_PARAMETER);
  d['M'] = Drive(DRIVE_REMOTE, 0, "LOST");
  d['M'].connectionError = ERROR_CONNECTION_UNAVAIL;
  d['N'] = Drive(DRIVE_REMOTE, 0, "LONG");
  d['N'].remote = "\\\\" + std::string(40, 's') + "\\share";

  CZTWorkstation station;
  ASSERT_EQ(station.Browse("\\\\.\\", 0), 1);
  ASSERT_EQ(station.m_uCount, 8u);
  const SDriveRec* r = station.m_pDrives;
  EXPECT_STREQ(r[0].szRoot, "A:\\");
  EXPECT_EQ(r[0].uKind, 0u);
  EXPECT_EQ(r[0].uVolumeData, 0u);
  EXPECT_STREQ(r[1].szRoot, "C:\\");
  EXPECT_EQ(r[1].uKind, 1u);
  EXPECT_EQ(r[1].uVolumeData, 1u);
  EXPECT_STREQ(r[1].szVolumeName, "SYSTEM");
  EXPECT_STREQ(r[2].szRoot, "D:\\");
  EXPECT_EQ(r[2].uKind, 3u);
  EXPECT_STREQ(r[3].szRoot, "E:\\");
  EXPECT_EQ(r[3].uKind, 4u);
  EXPECT_STREQ(r[3].szRemoteName, "\\\\SERVER\\DATA\\PROJ");
  EXPECT_STREQ(r[3].szServer, "SERVER");
  EXPECT_STREQ(r[3].szSharePath, "DATA\\PROJ");
  EXPECT_STREQ(r[4].szServer, "");
  EXPECT_STREQ(r[4].szSharePath, "webdav:http://host/share");
  EXPECT_STREQ(r[5].szRoot, "G:\\");
  EXPECT_EQ(r[5].uKind, 5u);
  EXPECT_EQ(r[5].uVolumeData, 0u);
  // The connection could not be read: kept, with empty network fields (nothing
  // left over from the skipped drives before it in the same slot).
  EXPECT_STREQ(r[6].szRoot, "M:\\");
  EXPECT_EQ(r[6].uKind, 4u);
  EXPECT_STREQ(r[6].szRemoteName, "");
  EXPECT_STREQ(r[6].szSharePath, "");
  EXPECT_STREQ(r[6].szVolumeName, "LOST");
  EXPECT_STREQ(r[7].szServer, std::string(31, 's').c_str());  // cut to the field
  EXPECT_STREQ(r[7].szSharePath, "share");
  EXPECT_EQ(fake.machine.openHandles, 0);

  ASSERT_EQ(boxes.boxes.size(), 3u);
  EXPECT_EQ(boxes.boxes[0].code, 402u);
  EXPECT_NE(boxes.boxes[0].text.find("7"), std::string::npos);
  EXPECT_NE(boxes.boxes[0].text.find("H:\\"), std::string::npos);
  EXPECT_EQ(boxes.boxes[1].code, 410u);
  EXPECT_NE(boxes.boxes[1].text.find("L:\\"), std::string::npos);
  EXPECT_NE(boxes.boxes[1].text.find("87"), std::string::npos);
  EXPECT_EQ(boxes.boxes[2].code, 420u);
  EXPECT_NE(boxes.boxes[2].text.find("M:"), std::string::npos);
  EXPECT_NE(boxes.boxes[2].text.find("1201"), std::string::npos);

  const std::string all = log.All();
  for (const char* line : {
           "4 CZTWorkstation: Removable drive 0: A:\\\n",
           "1 CZTWorkstation: Unknown drive 1: B:\\\n",
           "4 CZTWorkstation: Fixed disk drive: 1: C:\\\n",
           "5 CZTWorkstation: Drive C:\\ has StorageManager PhysDisk\n",
           "4 CZTWorkstation: CD-ROM drive: 2: D:\\\n",
           "4 CZTWorkstation: Network drive 3: E:\\ is \\\\SERVER\\DATA\\PROJ\n",
           "4 CZTWorkstation: RAM disk drive: 5: G:\\\n",
           "4 CZTWorkstation: Unknown drive type 7: 6: H:\\\n",
           "1 CZTWorkstation: Drive no root directory 6: I:\\\n",
           "1 CZTWorkstation: Error on opening \\\\.\\J:, error code = 5\n",
           "1 CZTWorkstation: Access denied on GetVolumeInformation( J:\\ )\n",
           "1 CZTWorkstation: Error on inquiry of \\\\.\\K:, error code = 50\n",
           "1 CZTWorkstation: Error 87 on GetVolumeInformation( L:\\ )\n",
           "0 CZTWorkstation: Error 1201 on call of WNetGetConnection( M: )\n",
           "4 CZTWorkstation: Network drive 6: M:\\ is \n",
       })
    EXPECT_NE(all.find(line), std::string::npos) << line;
  // K's error 3 is left without a line or box.
  EXPECT_EQ(all.find("( K:\\ )"), std::string::npos);
}

TEST(Workstation, NoDrivesAndSingleDrives) {
  LogCapture log("workstation_test.log");
  BoxRecorder boxes;
  FakeDrives fake;
  auto& d = fake.machine.drives;
  CZTWorkstation station;
  EXPECT_EQ(station.Browse("PC-42", 0), 0);
  EXPECT_EQ(boxes.Codes(), std::vector<unsigned>{400});
  EXPECT_NE(boxes.boxes[0].text.find("PC-42"), std::string::npos);
  EXPECT_NE(log.All().find("0 CZTWorkstation: No logical drives found on PC-42"), std::string::npos);
  EXPECT_EQ(station.m_uCount, 0u);

  d['C'] = Drive(DRIVE_FIXED, 0, "SYS");
  d['Q'] = Drive(DRIVE_REMOVABLE, ERROR_NOT_READY);
  d['U'] = Drive(DRIVE_UNKNOWN);
  d['X'] = Drive(9);
  d['Y'] = Drive(DRIVE_CDROM, ERROR_UNRECOGNIZED_VOLUME);
  // A lower-case letter inquires the upper-case drive (and replaces the table).
  ASSERT_EQ(station.Browse("PC-42", 0), 1);
  EXPECT_EQ(station.m_uCount, 2u);  // C and Q; X's type shows 402
  ASSERT_EQ(station.InquDrive('c'), 1);
  ASSERT_EQ(station.m_uCount, 1u);
  EXPECT_STREQ(station.m_pDrives[0].szRoot, "C:\\");
  EXPECT_STREQ(station.m_pDrives[0].szVolumeName, "SYS");
  EXPECT_EQ(fake.machine.openHandles, 0);
  // Failures leave the table as it was.
  const int calls = fake.machine.volumeCalls;
  EXPECT_EQ(station.InquDrive('u'), 0);
  EXPECT_EQ(station.InquDrive('b'), 0);
  EXPECT_EQ(station.InquDrive('Y'), 0);
  EXPECT_EQ(station.InquDrive('x'), 0);
  EXPECT_EQ(fake.machine.volumeCalls, calls + 1);
  EXPECT_EQ(station.m_uCount, 1u);
  EXPECT_STREQ(station.m_pDrives[0].szRoot, "C:\\");
  EXPECT_EQ(boxes.Codes(), (std::vector<unsigned>{400, 402, 402}));
  // A drive that is not ready is still the answer, with kind 0.
  ASSERT_EQ(station.InquDrive('q'), 1);
  EXPECT_STREQ(station.m_pDrives[0].szRoot, "Q:\\");
  EXPECT_EQ(station.m_pDrives[0].uKind, 0u);
  const std::string all = log.All();
  for (const char* line : {"1 CZTWorkstation: Unknown drive U:\\\n", "1 CZTWorkstation: Drive no root directory B:\\\n",
                           "4 CZTWorkstation: Unknown drive type 9: X:\\\n", "4 CZTWorkstation: Removable drive Q:\\\n",
                           "4 CZTWorkstation: Fixed disk drive: C:\\\n", "4 CZTWorkstation: CD-ROM drive: Y:\\\n"})
    EXPECT_NE(all.find(line), std::string::npos) << line;
}

// Drive letters of the Wine prefix mapped to folders of the test.
TEST(Workstation, DrivesOfTheWinePrefix) {
  zt_test::ScratchTree tree("drives");
  ASSERT_TRUE(tree.Dir("fixed") && tree.Dir("cdrom") && tree.Dir("ram") && tree.Dir("net"));
  ASSERT_TRUE(tree.File("fixed\\.windows-label") && tree.File("cdrom\\.windows-label"));
  // Wine reads a drive's label from the file .windows-label in its root.
  for (const auto& [folder, label] : {std::pair<const char*, const char*>{"fixed", "ZTFIXED"}, {"cdrom", "ZTDISC"}}) {
    FILE* f = fopen(tree.Path(std::string(folder) + "\\.windows-label").c_str(), "w");
    ASSERT_NE(f, nullptr);
    fputs(label, f);
    fclose(f);
  }
  zt_test::WineDrives drives;
  if (!drives.Map('M', tree.Path("fixed"), DRIVE_FIXED)) GTEST_SKIP() << "drive letters cannot be mapped here";
  ASSERT_TRUE(drives.Map('N', tree.Path("cdrom"), DRIVE_CDROM));
  ASSERT_TRUE(drives.Map('R', tree.Path("ram"), DRIVE_RAMDISK));
  ASSERT_TRUE(drives.Map('S', tree.Path("net"), DRIVE_REMOTE));

  LogCapture log("workstation_test.log");
  BoxRecorder boxes;
  CZTWorkstation station;
  ASSERT_EQ(station.Browse("\\\\.\\", 0), 1);
  std::map<char, SDriveRec> found;
  for (unsigned i = 0; i < station.m_uCount; ++i) found[station.m_pDrives[i].szRoot[0]] = station.m_pDrives[i];
  ASSERT_EQ(found.count('M') + found.count('N') + found.count('R') + found.count('S'), 4u);
  EXPECT_EQ(found['M'].uKind, 1u);
  EXPECT_EQ(found['M'].uVolumeData, 1u);
  EXPECT_STREQ(found['M'].szVolumeName, "ZTFIXED");
  EXPECT_EQ(found['N'].uKind, 3u);
  EXPECT_STREQ(found['N'].szVolumeName, "ZTDISC");
  EXPECT_EQ(found['R'].uKind, 5u);
  EXPECT_EQ(found['S'].uKind, 4u);
  // Wine has no connection for a drive it maps itself: the box names the drive.
  bool connectionBox = false;
  for (const auto& box : boxes.boxes)
    if (box.code == 420 && box.text.find("S:") != std::string::npos) connectionBox = true;
  EXPECT_TRUE(connectionBox);
  EXPECT_NE(log.All().find("4 CZTWorkstation: Fixed disk drive: "), std::string::npos);

  ASSERT_EQ(station.InquDrive('m'), 1);
  EXPECT_STREQ(station.m_pDrives[0].szRoot, "M:\\");
  EXPECT_STREQ(station.m_pDrives[0].szVolumeName, "ZTFIXED");
}

}  // namespace
