// What ztview remembers between runs: the language, the folder of the side
// pane and the recently opened files, kept in a small description-style file.
#pragma once

#include "zt_tbl32.h"

class CViewSettings {
 public:
  char m_szFileName[MAX_PATH];  // where the settings live; empty: nothing is kept
  char m_szLanguage[4];         // "D" or "E"
  char m_szFolder[MAX_PATH];    // root of the side pane's file tree; empty: none
  CZTHistory m_Recent;          // most recent first

  CViewSettings();

  // The default place: ztview.cfg in the user's application data folder.
  void UseDefaultFile();
  // Reads the file; a missing or unreadable file leaves the defaults. int: 1 read.
  int Load();
  // Writes the file (atomically). int: 1 ok; 0 not written (nothing to write to,
  // or the file system refused).
  int Save() const;
  // Puts a file on top of the recent files.
  void Remember(const char* fileName);
};
