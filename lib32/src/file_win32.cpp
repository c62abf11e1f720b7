// File reading and atomic replacement with Win32 calls.
#include <stdlib.h>
#include <string.h>

#include "zt_lib32/file.h"
#include "zt_lib32/strings.h"

unsigned CZTFile::ReadWholeFile(const char* fileName, char** text, unsigned* length) {
  *text = nullptr;
  *length = 0;
  HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) {
    DWORD error = GetLastError();
    CloseHandle(file);
    return error;
  }
  if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > ZT_FILE_MAX_SIZE) {
    CloseHandle(file);
    return ERROR_FILE_TOO_LARGE;
  }
  // The size is only a first guess: whatever the file holds up to the limit is read.
  size_t capacity = static_cast<size_t>(size.QuadPart) + 1;
  char* buffer = static_cast<char*>(malloc(capacity + kTextTail));
  if (!buffer) {
    CloseHandle(file);
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  size_t used = 0;
  for (;;) {
    if (used == capacity) {
      if (capacity > ZT_FILE_MAX_SIZE) {
        free(buffer);
        CloseHandle(file);
        return ERROR_FILE_TOO_LARGE;
      }
      size_t grown = capacity * 2;
      char* bigger = static_cast<char*>(realloc(buffer, grown + kTextTail));
      if (!bigger) {
        free(buffer);
        CloseHandle(file);
        return ERROR_NOT_ENOUGH_MEMORY;
      }
      buffer = bigger;
      capacity = grown;
    }
    DWORD want = static_cast<DWORD>(capacity - used);
    DWORD got = 0;
    if (!::ReadFile(file, buffer + used, want, &got, nullptr)) {
      DWORD error = GetLastError();
      free(buffer);
      CloseHandle(file);
      return error;
    }
    if (got == 0) break;
    used += got;
  }
  CloseHandle(file);
  if (used > ZT_FILE_MAX_SIZE) {
    free(buffer);
    return ERROR_FILE_TOO_LARGE;
  }
  memset(buffer + used, 0, kTextTail);
  *text = buffer;
  *length = static_cast<unsigned>(used);
  return 0;
}

unsigned CZTFile::ReplaceAtomically(const char* fileName, const char* data, unsigned length, int flush) {
  if (!fileName || !*fileName || (!data && length)) return ERROR_INVALID_PARAMETER;
  if (strlen(fileName) >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
  DWORD attributes = GetFileAttributesA(fileName);
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
    if (attributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
  }

  // The new text goes into a file of its own in the same folder, so that the
  // move cannot cross volumes.
  char temp[MAX_PATH + 32];
  HANDLE file = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    ztFormat(temp, sizeof(temp), "%s.~zt%u_%u", fileName, static_cast<unsigned>(GetCurrentProcessId()), attempt);
    file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
      return GetLastError();
  }
  if (file == INVALID_HANDLE_VALUE) return ERROR_FILE_EXISTS;

  DWORD error = 0;
  const char* p = data;
  unsigned left = length;
  while (!error && left) {
    DWORD put = 0;
    if (!WriteFile(file, p, left, &put, nullptr)) {
      error = GetLastError();
    } else if (put == 0) {
      error = ERROR_DISK_FULL;
    } else {
      p += put;
      left -= put;
    }
  }
  if (!error && flush && !FlushFileBuffers(file)) error = GetLastError();
  if (!CloseHandle(file) && !error) error = GetLastError();
  if (!error && !MoveFileExA(temp, fileName, MOVEFILE_REPLACE_EXISTING | (flush ? MOVEFILE_WRITE_THROUGH : 0)))
    error = GetLastError();
  if (error) {
    DeleteFileA(temp);
    return error;
  }
  return 0;
}
