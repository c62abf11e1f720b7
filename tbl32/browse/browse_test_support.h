// Test helpers of the browsing tests: directory trees built and removed by the
// test, directory links, and drive letters of the Wine prefix mapped to the
// test's own folders.
#pragma once

#include <windows.h>
#include <winioctl.h>

#include <string>
#include <vector>

#include "model_test_support.h"
#include "zt_tbl32.h"

namespace zt_test {

inline std::wstring Widen(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
  wide.resize(n > 0 ? n - 1 : 0);
  return wide;
}

// Paths beyond the ANSI limit are made and removed through the wide calls.
inline std::wstring LongPath(const std::string& path) { return L"\\\\?\\" + Widen(path); }

// Wine's name of a Windows path in the Unix file system; empty outside Wine.
inline std::string UnixPath(const std::string& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return std::string();
  char* unix = toUnix(Widen(path).c_str());
  if (!unix) return std::string();
  std::string result(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

// Starts a program of the Unix side (Wine runs those too, but tells neither
// when they end nor how): callers wait for what it makes.
inline void StartUnix(const char* program, const std::string& arguments) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  std::string line = std::string(program) + " " + arguments;
  if (CreateProcessA(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
}

template <class Done>
bool WaitFor(Done done) {
  for (int i = 0; i < 200 && !done(); ++i) Sleep(10);
  return done();
}

inline bool IsDirLink(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A directory link at link to target (relative targets as the link sees them):
// the system's symbolic link where it makes one, else a Unix one under Wine.
inline bool MakeDirLink(const std::string& link, const std::string& target, const std::string& unixTarget) {
  if (CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | 2) && IsDirLink(link))
    return true;
  const std::string unixLink = UnixPath(link);
  if (unixLink.empty()) return false;
  StartUnix("/bin/ln", "-s " + unixTarget + " " + unixLink);
  return WaitFor([&] { return IsDirLink(link); });
}

// Removes a tree without following its links.
inline void RemoveTree(const std::string& path) {
  const std::wstring wide = LongPath(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    if (!RemoveDirectoryW(wide.c_str()) && !DeleteFileW(wide.c_str())) {
      const std::string unix = UnixPath(path);
      if (!unix.empty()) StartUnix("/bin/rm", "-f " + unix);
      WaitFor([&] { return GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES; });
    }
    return;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(wide.c_str());
    return;
  }
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((wide + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    std::vector<std::string> names;
    do {
      char name[MAX_PATH * 2];
      WideCharToMultiByte(CP_ACP, 0, found.cFileName, -1, name, sizeof(name), nullptr, nullptr);
      if (strcmp(name, ".") && strcmp(name, "..")) names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const auto& name : names) RemoveTree(path + "\\" + name);
  }
  RemoveDirectoryW(wide.c_str());
}

// A directory tree below the working directory, built by the test and removed
// at the end. Paths are full Windows paths; the folder names and files made are
// remembered for direct counts.
class ScratchTree {
 public:
  explicit ScratchTree(const char* name) {
    char full[MAX_PATH];
    GetFullPathNameA((std::string("scratch_") + name).c_str(), sizeof(full), full, nullptr);
    m_root = full;
    RemoveTree(m_root);
    CreateDirectoryW(LongPath(m_root).c_str(), nullptr);
  }
  ~ScratchTree() { RemoveTree(m_root); }
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;

  // The root without a trailing backslash.
  const std::string& Root() const { return m_root; }
  std::string Path(const std::string& relative) const { return relative.empty() ? m_root : m_root + "\\" + relative; }

  bool Dir(const std::string& relative) {
    m_dirs.push_back(relative);
    return CreateDirectoryW(LongPath(Path(relative)).c_str(), nullptr) != 0;
  }
  bool File(const std::string& relative, unsigned size = 0) {
    HANDLE file = CreateFileW(LongPath(Path(relative)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string bytes(size, 'x');
    DWORD written = 0;
    const BOOL ok = !size || WriteFile(file, bytes.data(), size, &written, nullptr);
    CloseHandle(file);
    m_files.push_back(relative);
    return ok;
  }
  const std::vector<std::string>& Files() const { return m_files; }
  const std::vector<std::string>& Dirs() const { return m_dirs; }

 private:
  std::string m_root;
  std::vector<std::string> m_dirs, m_files;
};

// Drive letters of the Wine prefix mapped to folders of the test, through
// Wine's mount manager, and removed again at the end.
class WineDrives {
 public:
  WineDrives() = default;
  ~WineDrives() {
    for (char letter : m_letters) Define(letter, std::string(), 0);
  }
  WineDrives(const WineDrives&) = delete;
  WineDrives& operator=(const WineDrives&) = delete;

  // type: DRIVE_FIXED, DRIVE_CDROM, ...; false where this is not Wine.
  bool Map(char letter, const std::string& folder, unsigned type) {
    const std::string unix = UnixPath(folder);
    if (unix.empty() || !Define(letter, unix, type)) return false;
    m_letters.push_back(letter);
    return true;
  }

 private:
  // The mount manager's request (Wine's layout) with the Unix path behind it.
  struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
  };
  static bool Define(char letter, const std::string& unixPath, unsigned type) {
    std::vector<char> request(sizeof(UnixDrive) + unixPath.size() + 1, '\0');
    auto* drive = reinterpret_cast<UnixDrive*>(request.data());
    drive->size = static_cast<ULONG>(request.size());
    drive->type = type;
    drive->letter = static_cast<WCHAR>(tolower(letter));
    if (!unixPath.empty()) {
      drive->mountPointOffset = sizeof(UnixDrive);
      memcpy(request.data() + sizeof(UnixDrive), unixPath.c_str(), unixPath.size() + 1);
    }
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    const DWORD defineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
    const BOOL ok = DeviceIoControl(manager, defineUnixDrive, request.data(), static_cast<DWORD>(request.size()),
                                    nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return ok != 0;
  }
  std::vector<char> m_letters;
};

}  // namespace zt_test
