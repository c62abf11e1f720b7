// File reading and atomic replacement with POSIX calls.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "zt_lib32/file.h"
#include "zt_lib32/strings.h"

unsigned CZTFile::ReadWholeFile(const char* fileName, char** text, unsigned* length) {
  *text = nullptr;
  *length = 0;
  int fd = open(fileName, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return static_cast<unsigned>(errno);
  struct stat st;
  if (fstat(fd, &st) != 0) {
    unsigned error = static_cast<unsigned>(errno);
    close(fd);
    return error;
  }
  if (S_ISDIR(st.st_mode)) {
    close(fd);
    return EISDIR;
  }
  if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > ZT_FILE_MAX_SIZE) {
    close(fd);
    return EFBIG;
  }
  // The size is only a first guess: whatever the file holds up to the limit is read.
  size_t capacity = static_cast<size_t>(st.st_size) + 1;
  char* buffer = static_cast<char*>(malloc(capacity + kTextTail));
  if (!buffer) {
    close(fd);
    return ENOMEM;
  }
  size_t used = 0;
  for (;;) {
    if (used == capacity) {
      if (capacity > ZT_FILE_MAX_SIZE) {
        free(buffer);
        close(fd);
        return EFBIG;
      }
      size_t grown = capacity * 2;
      char* bigger = static_cast<char*>(realloc(buffer, grown + kTextTail));
      if (!bigger) {
        free(buffer);
        close(fd);
        return ENOMEM;
      }
      buffer = bigger;
      capacity = grown;
    }
    ssize_t got = read(fd, buffer + used, capacity - used);
    if (got < 0) {
      if (errno == EINTR) continue;
      unsigned error = static_cast<unsigned>(errno);
      free(buffer);
      close(fd);
      return error;
    }
    if (got == 0) break;
    used += static_cast<size_t>(got);
  }
  close(fd);
  if (used > ZT_FILE_MAX_SIZE) {
    free(buffer);
    return EFBIG;
  }
  memset(buffer + used, 0, kTextTail);
  *text = buffer;
  *length = static_cast<unsigned>(used);
  return 0;
}

namespace {

unsigned WriteAll(int fd, const char* data, unsigned length) {
  while (length) {
    ssize_t put = write(fd, data, length);
    if (put < 0) {
      if (errno == EINTR) continue;
      return static_cast<unsigned>(errno);
    }
    if (put == 0) return ENOSPC;
    data += put;
    length -= static_cast<unsigned>(put);
  }
  return 0;
}

}  // namespace

unsigned CZTFile::ReplaceAtomically(const char* fileName, const char* data, unsigned length, int flush) {
  if (!fileName || !*fileName || (!data && length)) return EINVAL;
  if (strlen(fileName) >= MAX_PATH * 4) return ENAMETOOLONG;
  // The old file must be writable and a plain file; its permissions carry over.
  mode_t mode = 0644;
  struct stat st;
  if (stat(fileName, &st) == 0) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return EACCES;
    mode = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    return static_cast<unsigned>(errno);
  }

  // The new text goes into a file of its own in the same folder, so that the
  // rename cannot cross file systems.
  char dir[MAX_PATH * 4];
  unsigned nameStart = ztFileNameStart(fileName);
  if (nameStart == 0) {
    ztStrCopy(dir, ".", sizeof(dir));
  } else {
    ztStrCopyN(dir, fileName, nameStart, sizeof(dir));
  }
  char temp[MAX_PATH * 4 + 32];
  int fd = -1;
  for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    ztFormat(temp, sizeof(temp), "%s.~zt%u_%u", fileName, static_cast<unsigned>(getpid()), attempt);
    fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) return static_cast<unsigned>(errno);
  }
  if (fd < 0) return EEXIST;

  unsigned error = WriteAll(fd, data, length);
  if (!error && fchmod(fd, mode) != 0) error = static_cast<unsigned>(errno);
  if (!error && flush && fsync(fd) != 0) error = static_cast<unsigned>(errno);
  if (close(fd) != 0 && !error) error = static_cast<unsigned>(errno);
  if (!error && rename(temp, fileName) != 0) error = static_cast<unsigned>(errno);
  if (error) {
    unlink(temp);
    return error;
  }
  if (flush) {
    // Makes the rename itself durable.
    int dirFd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
      fsync(dirFd);
      close(dirFd);
    }
  }
  return 0;
}
