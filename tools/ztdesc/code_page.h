// Windows-1252 and UTF-8. Everything the library stores is Windows-1252; every
// input that brings UTF-8 (arguments, imported files and their header rows,
// JSON lines) and every output that must be UTF-8 (printed texts, JSON lines,
// SQLite databases) converts here, nowhere else. The five bytes Windows-1252
// leaves unassigned stand for the control characters of the same number
// (U+0081, U+008D, U+008F, U+0090, U+009D, as Windows maps them), so that every
// byte reads back as it was.
#pragma once

#include <stddef.h>

#include <string>

// The code point of an error whose bytes are not UTF-8 at all.
constexpr unsigned kNotUtf8 = 0xFFFFFFFFu;

// Where and why a UTF-8 text has no Windows-1252 form.
struct ZTCodePageError {
  size_t offset = 0;              // byte offset of the character in the UTF-8 text
  unsigned codePoint = kNotUtf8;  // the character Windows-1252 lacks; kNotUtf8: bytes that are not UTF-8
};

// Largest UTF-8 length of one Windows-1252 byte.
constexpr unsigned kZTUtf8PerByte = 3;

// UTF-8 to Windows-1252, every character Windows-1252 has to its byte. false at
// the first character it lacks or the first bytes that are not UTF-8; out then
// holds what came before.
bool ztUtf8ToCp1252(const char* text, size_t length, std::string* out, ZTCodePageError* error);
// Windows-1252 to UTF-8; every byte has a character.
std::string ztCp1252ToUtf8(const char* text, size_t length);
inline std::string ztCp1252ToUtf8(const std::string& text) { return ztCp1252ToUtf8(text.data(), text.size()); }
// The same into the caller's buffer (room for length * kZTUtf8PerByte bytes),
// for the outputs that convert every text of every record: the bytes written.
unsigned ztCp1252ToUtf8(const char* text, unsigned length, char* out);
// The UTF-8 bytes of a code point (up to 4) at out: the bytes written.
unsigned ztPutUtf8(unsigned codePoint, char* out);
// What went wrong, in words: "U+4E2D (中) is not in Windows-1252" or "byte
// 0xE4 is not UTF-8".
std::string ztCodePageErrorText(const char* utf8Text, size_t length, const ZTCodePageError& error);
