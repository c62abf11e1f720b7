// Error codes and log sources of the file and drive browsing.
#pragma once

constexpr const char* kSrcFileTree = "CZTFileTree";
constexpr const char* kSrcFileType = "CZTFileType";
constexpr const char* kSrcWorkstation = "CZTWorkstation";
constexpr const char* kSrcNetwork = "CZTNetwork";

enum : unsigned {
  ZT_ERR_NET_NO_LIBRARY = 300,   // the network library is not loaded
  ZT_ERR_NET_NO_FUNCTION = 301,  // (function name)
  ZT_ERR_NET_ENUM = 302,         // (code)
  ZT_ERR_NET_NO_MEMORY = 303,    // (server count)
  ZT_ERR_WS_NO_DRIVES = 400,     // (computer name)
  ZT_ERR_WS_NO_MEMORY = 401,     // (drive count)
  ZT_ERR_WS_DRIVE_TYPE = 402,    // (drive type, root)
  ZT_ERR_WS_VOLUME = 410,        // (root, code)
  ZT_ERR_WS_CONNECTION = 420,    // (drive, code)
};

// The disk performance request of the device inquiry and the size of its reply buffer.
constexpr unsigned kDiskPerformanceRequest = 0x00070020;
constexpr unsigned kDeviceReplySize = 1024;

constexpr const char* kNetApiName = "NetApi32.dll";
constexpr const char* kWorkstationRoot = "Workstation";
