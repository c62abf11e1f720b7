#include "zt_tbl32/network.h"

#include <lm.h>
#include <string.h>

#include <new>

#include "browse_codes.h"
#include "browse_platform.h"

namespace {

using NetServerEnumFn = NET_API_STATUS(WINAPI*)(LPCWSTR server, DWORD level, LPBYTE* buffer, DWORD preferredLength,
                                                LPDWORD read, LPDWORD total, DWORD type, LPCWSTR domain,
                                                LPDWORD resume);
using NetApiBufferFreeFn = NET_API_STATUS(WINAPI*)(LPVOID buffer);

constexpr DWORD kServerInfoLevel = 101;
constexpr DWORD kAllServers = 2;
constexpr DWORD kMoreData = 234;

// The server's name in the ANSI code page, cut to the record's size (no more
// wide characters are converted than the record could hold).
void ServerName(const WCHAR* wide, char* name, unsigned size) {
  char converted[4 * kZTServerNameMax];
  const int chars = wide ? static_cast<int>(wcsnlen(wide, kZTServerNameMax)) : 0;
  const int n =
      chars ? WideCharToMultiByte(CP_ACP, 0, wide, chars, converted, sizeof(converted) - 1, nullptr, nullptr) : 0;
  converted[n > 0 ? n : 0] = '\0';
  ztStrCopy(name, converted, size);
}

template <class Fn>
Fn Resolve(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

CZTNetwork::CZTNetwork() : m_hNetApi(nullptr), m_uCount(0), m_pServers(nullptr) {
  m_hNetApi = LoadLibraryA(ztNetworkLibraryName());
  if (!m_hNetApi)
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcNetwork, "Error %u on loading NetApi32.dll",
                      static_cast<unsigned>(GetLastError()));
}

CZTNetwork::~CZTNetwork() {
  delete[] m_pServers;
  if (m_hNetApi) FreeLibrary(m_hNetApi);
}

int CZTNetwork::Browse() {
  if (!m_hNetApi) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcNetwork, "Call of CZTNetwork::Browse while NetApi32.dll is not available.");
    ztTbl32Lib.DispError(ZT_ERR_NET_NO_LIBRARY);
    return 0;
  }
  const auto serverEnum = Resolve<NetServerEnumFn>(m_hNetApi, "NetServerEnum");
  if (!serverEnum) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcNetwork, "Cannot find NetServerEnum in NetApi32.dll.");
    ztTbl32Lib.DispError(ZT_ERR_NET_NO_FUNCTION, "NetServerEnum");
    return 0;
  }
  const auto bufferFree = Resolve<NetApiBufferFreeFn>(m_hNetApi, "NetApiBufferFree");
  if (!bufferFree) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcNetwork, "Cannot find NetApiBufferFree in NetApi32.dll.");
    ztTbl32Lib.DispError(ZT_ERR_NET_NO_FUNCTION, "NetApiBufferFree");
    return 0;
  }
  LPBYTE buffer = nullptr;
  DWORD read = 0, total = 0;
  const NET_API_STATUS status = serverEnum(nullptr, kServerInfoLevel, &buffer, MAX_PREFERRED_LENGTH, &read, &total,
                                           kAllServers, nullptr, nullptr);
  // No servers at all is an empty list, not a failure, whether a buffer came or not.
  const bool answered = status == NERR_Success || status == kMoreData;
  if (!answered || (!buffer && read != 0)) {
    ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcNetwork, "Error 0x%X on call of NetServerEnum",
                      static_cast<unsigned>(status));
    ztTbl32Lib.DispError(ZT_ERR_NET_ENUM, static_cast<unsigned>(status));
    if (buffer) bufferFree(buffer);
    return 0;
  }
  SZTServerRec* table = nullptr;
  if (read) {
    table = new (std::nothrow) SZTServerRec[read]();
    if (!table) {
      ztTbl32Lib.PrtLog(ZT_LOG_FAILURE, kSrcNetwork, "Not enough free memory for the workstation table available.");
      ztTbl32Lib.DispError(ZT_ERR_NET_NO_MEMORY, static_cast<unsigned>(read));
      bufferFree(buffer);
      return 0;
    }
    const auto* info = reinterpret_cast<const SERVER_INFO_101*>(buffer);
    for (DWORD i = 0; i < read; ++i) {
      table[i].uPlatformId = info[i].sv101_platform_id;
      table[i].uVersionMajor = info[i].sv101_version_major;
      table[i].uVersionMinor = info[i].sv101_version_minor;
      ServerName(info[i].sv101_name, table[i].szName, sizeof(table[i].szName));
    }
  }
  if (buffer) bufferFree(buffer);
  delete[] m_pServers;
  m_pServers = table;
  m_uCount = read;
  return 1;
}
