// Windows-1252 (every stored text) to UTF-8 and back, the same in both builds:
// JSON lines and SQLite databases are UTF-8 whatever the system's code page.
// The five bytes that Windows-1252 leaves undefined map to the control
// characters of the same number, so every byte reads back as it was.
#pragma once

#include <string>

// Largest UTF-8 length of one Windows-1252 byte.
constexpr unsigned kZTUtf8PerByte = 3;

// The UTF-8 bytes of a code point (up to 4) at out; the bytes written.
unsigned ztPutUtf8(unsigned codePoint, char* out);

// Appends the UTF-8 form of length bytes of Windows-1252 text to out (room for
// length * kZTUtf8PerByte bytes); the bytes written.
unsigned ztUtf8From1252(const char* text, unsigned length, char* out);
std::string ztUtf8From1252(const char* text);

// The Windows-1252 form of UTF-8 text. int: 1 ok; 0 with the reason for bytes
// that are not UTF-8, a NUL character, or a character Windows-1252 lacks.
int ztUtf8To1252(const char* text, size_t length, std::string& out, char* reason, unsigned reasonSize);
