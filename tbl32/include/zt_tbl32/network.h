// The servers of the network, through the network library loaded at run time.
#pragma once

#include "zt_tbl32/frame.h"

constexpr unsigned kZTServerNameMax = 40;

struct SZTServerRec {
  unsigned uPlatformId;
  unsigned uVersionMajor;
  unsigned uVersionMinor;
  unsigned uReserved;
  char szName[kZTServerNameMax];  // in the ANSI code page
};

class ZT_TBL32_API CZTNetwork {
 public:
  HMODULE m_hNetApi;  // null when the library could not be loaded
  unsigned m_uCount;
  SZTServerRec* m_pServers;  // owned; a new Browse replaces it

  CZTNetwork();  // loads the network library
  ~CZTNetwork();
  CZTNetwork(const CZTNetwork&) = delete;
  CZTNetwork& operator=(const CZTNetwork&) = delete;

  // Lists the servers of the network. int: 1 ok.
  int Browse();
};
