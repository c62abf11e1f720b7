#include "zt_tbl32/network.h"

#include <gtest/gtest.h>

#include <string>

#include "browse_platform.h"
#include "browse_test_support.h"

namespace {

using zt_test::BoxRecorder;
using zt_test::LogCapture;

// CZTNetwork loading the given library in place of the system's.
class NetworkLibrary {
 public:
  explicit NetworkLibrary(const char* name) { ztSetNetworkLibraryName(name); }
  ~NetworkLibrary() { ztSetNetworkLibraryName(nullptr); }
};

// The stand-in's controls, found in the library the network object loaded.
struct StandIn {
  void(WINAPI* set)(DWORD status, DWORD count, BOOL noBuffer);
  LONG(WINAPI* outstanding)();
  void(WINAPI* lastCall)(DWORD* call);
  explicit StandIn(HMODULE module)
      : set(reinterpret_cast<decltype(set)>(reinterpret_cast<void*>(GetProcAddress(module, "StandInSet")))),
        outstanding(reinterpret_cast<decltype(outstanding)>(
            reinterpret_cast<void*>(GetProcAddress(module, "StandInOutstanding")))),
        lastCall(
            reinterpret_cast<decltype(lastCall)>(reinterpret_cast<void*>(GetProcAddress(module, "StandInLastCall")))) {}
};

TEST(Network, ListsTheServersTheLibraryReports) {
  NetworkLibrary library("zt_netapi_standin.dll");
  BoxRecorder boxes;
  CZTNetwork network;
  ASSERT_NE(network.m_hNetApi, nullptr);
  StandIn standIn(network.m_hNetApi);
  ASSERT_TRUE(standIn.set && standIn.outstanding && standIn.lastCall);

  standIn.set(0, 3, FALSE);
  ASSERT_EQ(network.Browse(), 1);
  DWORD call[4];
  standIn.lastCall(call);
  EXPECT_EQ(call[0], 101u);         // information level
  EXPECT_EQ(call[1], 0xFFFFFFFFu);  // as much as there is
  EXPECT_EQ(call[2], 2u);           // all servers
  EXPECT_EQ(call[3], 1u);           // this computer, no domain, no resume handle
  EXPECT_EQ(standIn.outstanding(), 0);
  ASSERT_EQ(network.m_uCount, 3u);
  EXPECT_EQ(sizeof(SZTServerRec), 56u);
  EXPECT_EQ(network.m_pServers[0].uPlatformId, 500u);
  EXPECT_EQ(network.m_pServers[0].uVersionMajor, 5u);
  EXPECT_EQ(network.m_pServers[0].uVersionMinor, 0u);
  EXPECT_STREQ(network.m_pServers[0].szName, "ALPHA");
  EXPECT_EQ(network.m_pServers[1].uVersionMajor, 6u);
  EXPECT_STREQ(network.m_pServers[1].szName,
               "B\xe4"
               "ckerei");  // in the ANSI code page
  EXPECT_EQ(std::string(network.m_pServers[2].szName),
            std::string("A-NAME-OF-FORTY-FIVE-CHARACTERS-FOR-THE-RECORD").substr(0, 39));

  // More data than one call gives: what came is listed.
  standIn.set(234, 1, FALSE);
  ASSERT_EQ(network.Browse(), 1);
  EXPECT_EQ(network.m_uCount, 1u);
  // No servers at all: an empty list, also without a buffer.
  standIn.set(0, 0, TRUE);
  ASSERT_EQ(network.Browse(), 1);
  EXPECT_EQ(network.m_uCount, 0u);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(standIn.outstanding(), 0);
}

TEST(Network, FailedCallsKeepTheListAndFreeTheBuffer) {
  NetworkLibrary library("zt_netapi_standin.dll");
  LogCapture log("network_test.log");
  BoxRecorder boxes;
  CZTNetwork network;
  StandIn standIn(network.m_hNetApi);
  ASSERT_TRUE(standIn.set);
  standIn.set(0, 2, FALSE);
  ASSERT_EQ(network.Browse(), 1);

  standIn.set(ERROR_BAD_NETPATH, 1, FALSE);  // an error, with a buffer to give back
  EXPECT_EQ(network.Browse(), 0);
  standIn.set(0, 2, TRUE);  // servers reported, but no buffer
  EXPECT_EQ(network.Browse(), 0);
  EXPECT_EQ(standIn.outstanding(), 0);
  EXPECT_EQ(network.m_uCount, 2u);
  EXPECT_STREQ(network.m_pServers[1].szName,
               "B\xe4"
               "ckerei");
  ASSERT_EQ(boxes.Codes(), (std::vector<unsigned>{302, 302}));
  EXPECT_NE(boxes.boxes[0].text.find("0x35"), std::string::npos);
  const std::string all = log.All();
  EXPECT_NE(all.find("0 CZTNetwork: Error 0x35 on call of NetServerEnum\n"), std::string::npos);
  EXPECT_NE(all.find("0 CZTNetwork: Error 0x0 on call of NetServerEnum\n"), std::string::npos);
}

TEST(Network, MissingLibraryOrFunctions) {
  LogCapture log("network_test.log");
  BoxRecorder boxes;
  {
    NetworkLibrary library("zt_no_such_netapi.dll");
    CZTNetwork network;
    EXPECT_EQ(network.m_hNetApi, nullptr);
    EXPECT_EQ(network.Browse(), 0);
  }
  {
    NetworkLibrary library("zt_netapi_nofree.dll");
    CZTNetwork network;
    ASSERT_NE(network.m_hNetApi, nullptr);
    EXPECT_EQ(network.Browse(), 0);
  }
  {
    NetworkLibrary library("zt_lib32.dll");  // a library without NetServerEnum
    CZTNetwork network;
    ASSERT_NE(network.m_hNetApi, nullptr);
    EXPECT_EQ(network.Browse(), 0);
  }
  ASSERT_EQ(boxes.Codes(), (std::vector<unsigned>{300, 301, 301}));
  EXPECT_NE(boxes.boxes[1].text.find("NetApiBufferFree"), std::string::npos);
  EXPECT_NE(boxes.boxes[2].text.find("NetServerEnum"), std::string::npos);
  const std::string all = log.All();
  EXPECT_NE(all.find("0 CZTNetwork: Error 126 on loading NetApi32.dll\n"), std::string::npos);
  EXPECT_NE(all.find("0 CZTNetwork: Call of CZTNetwork::Browse while NetApi32.dll is not available.\n"),
            std::string::npos);
  EXPECT_NE(all.find("0 CZTNetwork: Cannot find NetApiBufferFree in NetApi32.dll.\n"), std::string::npos);
  EXPECT_NE(all.find("0 CZTNetwork: Cannot find NetServerEnum in NetApi32.dll.\n"), std::string::npos);
}

}  // namespace
