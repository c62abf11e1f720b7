// Bounded text helpers shared by every library of the system.
//
// Every copy into a fixed buffer goes through ztStrCopy; every formatted text
// through ztFormat, which understands the wsprintf subset the libraries use and
// gives the same result in both builds.
#pragma once

#include <stdarg.h>

#include "zt_lib32/platform.h"

// Copies at most size-1 characters, always terminates, copies nothing for a
// null source or destination or size 0; returns the number of characters copied.
ZT_LIB32_API unsigned ztStrCopy(char* dest, const char* src, unsigned size);
// Like ztStrCopy but takes at most srcLength characters of the source.
ZT_LIB32_API unsigned ztStrCopyN(char* dest, const char* src, unsigned srcLength, unsigned size);
// Appends within the buffer; returns the new length.
ZT_LIB32_API unsigned ztStrAppend(char* dest, const char* src, unsigned size);

// Windows-1252 case folding (the behaviour of CharUpperA/CharLowerA), by table so
// that both builds agree.
ZT_LIB32_API extern const unsigned char ztUpperTable[256];
ZT_LIB32_API extern const unsigned char ztLowerTable[256];
inline unsigned char ztToUpper(unsigned char c) { return ztUpperTable[c]; }
inline unsigned char ztToLower(unsigned char c) { return ztLowerTable[c]; }
ZT_LIB32_API void ztStrUpper(char* text);
ZT_LIB32_API int ztStrICmp(const char* a, const char* b);
ZT_LIB32_API int ztStrNICmp(const char* a, const char* b, unsigned count);
// Case-insensitive comparison with plain ASCII letter folding (names of tables and fields).
ZT_LIB32_API int ztStrICmpAscii(const char* a, const char* b);

// Formatting with the conversions %d %i %u %x %X %c %s %p %% (flags '-' '0', width,
// precision; 'l' and 'h' accepted and ignored: arguments are 32-bit unless "ll"/"I64").
// The result is always terminated within size. A conversion that cannot be done
// (a null %s, an unknown conversion) puts substitutionMarker in its place (when
// given) and counts in *failures.
ZT_LIB32_API unsigned ztFormatV(char* dest, unsigned size, const char* format, va_list args,
                                const char* substitutionMarker = nullptr, unsigned* failures = nullptr);
ZT_LIB32_API unsigned ztFormat(char* dest, unsigned size, const char* format, ...);

// No '.' in the file-name part of a path.
constexpr unsigned ZT_NO_DOT = 0xFFFFFFFFu;

// Path helpers: start of the file-name part (after the last '\' or '/', 0 when
// none) and position of the last '.' in it (ZT_NO_DOT when none).
ZT_LIB32_API unsigned ztFileNameStart(const char* path);
ZT_LIB32_API unsigned ztFileNameDot(const char* path);
