// Windows-1252 and UTF-8. Everything the library stores is Windows-1252; every
// input format that brings UTF-8 (arguments, imported files, their header rows)
// and every output that must be UTF-8 converts here, nowhere else.
#pragma once

#include <stddef.h>

#include <string>

// Where and why a UTF-8 text has no Windows-1252 form.
struct ZTCodePageError {
  size_t offset = 0;                 // byte offset of the character in the UTF-8 text
  unsigned codePoint = 0xFFFFFFFFu;  // the character Windows-1252 lacks; 0xFFFFFFFF: bytes that are not UTF-8
};

// UTF-8 to Windows-1252, every character Windows-1252 has to its byte (the five
// bytes it leaves unassigned stand for U+0081, U+008D, U+008F, U+0090, U+009D,
// as Windows maps them). false at the first character it lacks or the first
// bytes that are not UTF-8; out then holds what came before.
bool ztUtf8ToCp1252(const char* text, size_t length, std::string* out, ZTCodePageError* error);
// Windows-1252 to UTF-8; every byte has a character.
std::string ztCp1252ToUtf8(const char* text, size_t length);
inline std::string ztCp1252ToUtf8(const std::string& text) { return ztCp1252ToUtf8(text.data(), text.size()); }
// What went wrong, in words: "U+4E2D (中) is not in Windows-1252" or "byte
// 0xE4 is not UTF-8".
std::string ztCodePageErrorText(const char* utf8Text, size_t length, const ZTCodePageError& error);
