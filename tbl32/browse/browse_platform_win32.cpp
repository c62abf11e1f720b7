#include "browse_platform.h"

#include <winnetwk.h>

#include "browse_codes.h"

namespace {

const SZTDriveApi kSystemDriveApi = {GetLogicalDrives,   GetDriveTypeA, GetVolumeInformationA,
                                     WNetGetConnectionA, CreateFileA,   DeviceIoControl,
                                     CloseHandle};
const SZTDriveApi* g_driveApi = &kSystemDriveApi;
const char* g_netApiName = kNetApiName;

}  // namespace

const SZTDriveApi& ztDriveApi() { return *g_driveApi; }
const SZTDriveApi* ztSystemDriveApi() { return &kSystemDriveApi; }
void ztSetDriveApi(const SZTDriveApi* api) { g_driveApi = api ? api : &kSystemDriveApi; }
void ztSetNetworkLibraryName(const char* name) { g_netApiName = name ? name : kNetApiName; }
const char* ztNetworkLibraryName() { return g_netApiName; }
