// Windows types for portable code.
//
// Portable code never includes <windows.h> itself: it gets the Windows types it
// needs for declarations from here. On Windows this is <windows.h>; elsewhere
// same-sized stand-ins are declared so that structures keep their layout.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#else
typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef uint32_t COLORREF;
typedef intptr_t LPARAM;
typedef uintptr_t WPARAM;
typedef intptr_t LRESULT;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef void* HANDLE;
typedef struct ZTNativeWindow* HWND;
typedef struct ZTNativeModuleHandle* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct ZTNativeDC* HDC;
typedef struct ZTNativeFont* HFONT;
typedef struct {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME;
typedef INT_PTR (*DLGPROC)(HWND, UINT, WPARAM, LPARAM);
#define WINAPI
#define CALLBACK
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
#ifndef MAX_PATH
#define MAX_PATH 260
#endif
#define WM_USER 0x0400
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#define MB_OK 0x00000000u
#define MB_YESNO 0x00000004u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONINFORMATION 0x00000040u
#endif

// Export and import of the companion library's classes and functions.
#if defined(_WIN32)
#if defined(ZT_LIB32_BUILD)
#define ZT_LIB32_API __declspec(dllexport)
#else
#define ZT_LIB32_API __declspec(dllimport)
#endif
#else
#define ZT_LIB32_API __attribute__((visibility("default")))
#endif
