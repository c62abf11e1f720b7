// A stand-in for the network library, loaded by CZTNetwork in the tests in
// place of the system's: its answer to NetServerEnum is set by the test, and it
// counts the buffers it hands out and gets back. Built a second time without
// NetApiBufferFree.
#include <windows.h>
#include <lm.h>

#include <string.h>

namespace {

DWORD g_status = NERR_Success;
DWORD g_count = 0;
bool g_noBuffer = false;
LONG g_outstanding = 0;
// What the last call asked for: level, preferred length, server type, and
// whether server name, domain and resume handle were all null.
DWORD g_lastCall[4];

const WCHAR* const kNames[] = {L"ALPHA", L"B\u00e4ckerei", L"A-NAME-OF-FORTY-FIVE-CHARACTERS-FOR-THE-RECORD"};

}  // namespace

extern "C" {

__declspec(dllexport) void WINAPI StandInSet(DWORD status, DWORD count, BOOL noBuffer) {
  g_status = status;
  g_count = count;
  g_noBuffer = noBuffer != FALSE;
}

__declspec(dllexport) LONG WINAPI StandInOutstanding() { return g_outstanding; }

__declspec(dllexport) void WINAPI StandInLastCall(DWORD* call) { memcpy(call, g_lastCall, sizeof(g_lastCall)); }

__declspec(dllexport) NET_API_STATUS WINAPI
    NetServerEnum(LMCSTR server, DWORD level, LPBYTE* buffer, DWORD preferred, LPDWORD read, LPDWORD total, DWORD type,
                  LMCSTR domain, LPDWORD resume) {
  g_lastCall[0] = level;
  g_lastCall[1] = preferred;
  g_lastCall[2] = type;
  g_lastCall[3] = !server && !domain && !resume;
  *buffer = nullptr;
  *read = *total = 0;
  if (g_noBuffer) {
    *read = *total = g_count;
    return g_status;
  }
  auto* info = static_cast<SERVER_INFO_101*>(
      HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (g_count + 1) * sizeof(SERVER_INFO_101)));
  for (DWORD i = 0; i < g_count; ++i) {
    info[i].sv101_platform_id = 500 + i;
    info[i].sv101_version_major = 5 + i;
    info[i].sv101_version_minor = i;
    info[i].sv101_name = const_cast<LPWSTR>(kNames[i % 3]);
  }
  ++g_outstanding;
  *buffer = reinterpret_cast<LPBYTE>(info);
  *read = g_count;
  *total = g_count;
  return g_status;
}

#if !defined(STANDIN_WITHOUT_FREE)
__declspec(dllexport) NET_API_STATUS WINAPI NetApiBufferFree(LPVOID buffer) {
  if (buffer) {
    HeapFree(GetProcessHeap(), 0, buffer);
    --g_outstanding;
  }
  return NERR_Success;
}
#endif
}
