// Text pattern comparer with three jokers: one character, one digit, and a run of
// characters (also an empty one). Used by the selection expressions.
#pragma once

#include "zt_tbl32/frame.h"

class ZT_TBL32_API CZTStrCmp {
 public:
  enum : unsigned { kMaxSegments = 16, kSegmentSize = 64 };
  struct Segment {
    unsigned uLength;
    char szText[kSegmentSize];
  };

  char m_cSingle;    // matches any one character
  char m_cDigit;     // matches one digit 0-9
  char m_cSequence;  // matches any run of characters
  unsigned m_uSegCount;
  // The pattern cut at every sequence joker: prefix, middle segments, suffix.
  Segment m_Seg[kMaxSegments];

  CZTStrCmp(char single = '?', char digit = '#', char sequence = '*');

  // Compiles the pattern (length 0: up to the terminating zero). With fCase set
  // the segments are kept in upper case for CompareiString. int: 1 ok; 0 for a
  // null or empty pattern or one with more than 15 sequence jokers.
  int SetupString(const char* pattern, unsigned length, int fCase);
  // 1 when the text (length 0: up to the terminating zero) matches, with case.
  // With fTrim leading and trailing blanks and tabs are ignored.
  int CompareStringA(const char* text, unsigned length, int fTrim) const;
  // The same, ignoring case (Windows-1252 folding).
  int CompareiString(const char* text, unsigned length, int fTrim) const;

 private:
  template <bool kIgnoreCase>
  int Match(const char* text, unsigned length, int fTrim) const;
};
