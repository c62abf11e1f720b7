// The system calls of the drive inquiries, replaceable so that tests reach
// every drive type and every failure, and the name of the network library.
#pragma once

#include "zt_tbl32/frame.h"

struct SZTDriveApi {
  DWORD(WINAPI* pGetLogicalDrives)();
  UINT(WINAPI* pGetDriveTypeA)(LPCSTR root);
  BOOL(WINAPI* pGetVolumeInformationA)
  (LPCSTR root, LPSTR volumeName, DWORD volumeSize, LPDWORD serial, LPDWORD maxComponent, LPDWORD flags,
   LPSTR fileSystem, DWORD fileSystemSize);
  DWORD(WINAPI* pWNetGetConnectionA)(LPCSTR local, LPSTR remote, LPDWORD length);
  HANDLE(WINAPI* pCreateFileA)
  (LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
   HANDLE templateFile);
  BOOL(WINAPI* pDeviceIoControl)
  (HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned,
   LPOVERLAPPED overlapped);
  BOOL(WINAPI* pCloseHandle)(HANDLE handle);
};

// The calls in use (the system's unless replaced).
const SZTDriveApi& ztDriveApi();
// The system's calls, for replacements that pass some calls on.
ZT_TBL32_API const SZTDriveApi* ztSystemDriveApi();
// Replaces the calls (the table must outlive its use); null: the system's again.
ZT_TBL32_API void ztSetDriveApi(const SZTDriveApi* api);
// The file name CZTNetwork loads; null: "NetApi32.dll" again.
ZT_TBL32_API void ztSetNetworkLibraryName(const char* name);
const char* ztNetworkLibraryName();
