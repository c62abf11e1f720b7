// Numbers and amounts as text, German notation fixed in the code: decimal comma,
// thousands point. Never the system locale; no state, no heap.
//
// A length of 0 given to a text parser means: up to the terminating zero byte.
#pragma once

#include <stdint.h>

#include "zt_tbl32/frame.h"

// Signed scaled integer of a decimal text ("-1.234,56" with 2 decimals: -123456).
// Missing fraction digits are not made up ("12,5" with 2 decimals: 125).
ZT_TBL32_API int64_t ParseDecimalText(const char* text, unsigned length, unsigned decimals);
// "1.234.567,89" for 123456789 with 2 decimals. Returns the length, 0 when it
// does not fit (size must be at least decimals + 3 with decimals).
ZT_TBL32_API unsigned FormatDecimalText(char* text, unsigned size, int64_t value, unsigned decimals);

// All digits of the text; other characters are ignored ("1.234" gives 1234).
ZT_TBL32_API uint64_t ParseUnsignedText(const char* text, unsigned length);
// Like ParseUnsignedText with a '-' after leading blanks and tabs.
ZT_TBL32_API int64_t ParseSignedText(const char* text, unsigned length);
// Leading blanks and tabs, an optional '-', then digits up to the first other character.
ZT_TBL32_API int32_t ParseInt32Text(const char* text, unsigned length);
ZT_TBL32_API int64_t ParseInt64Text(const char* text, unsigned length);
// Leading blanks, tabs and zeros, then digits up to the first other character;
// remaining (when given) receives the count of characters not consumed.
ZT_TBL32_API uint32_t ParseUInt32Text(const char* text, unsigned length, unsigned* remaining = nullptr);
ZT_TBL32_API uint64_t ParseUInt64Text(const char* text, unsigned length);
// Sign, digits and one ',' or '.' as decimal separator; no blanks skipped.
ZT_TBL32_API double ParseDoubleText(const char* text, unsigned length);
// The grid's amount reader: leading blanks, sign before the first digit, ',' as
// decimal separator, '.' skipped before the comma.
ZT_TBL32_API double ParseAmountText(const char* text, unsigned length);

// Decimal digits, '-' for negative values; terminated. Their length, 0 when the
// text does not fit the size.
ZT_TBL32_API unsigned FormatUInt32(char* text, uint32_t value, unsigned size);
ZT_TBL32_API unsigned FormatInt32(char* text, int32_t value, unsigned size);
ZT_TBL32_API unsigned FormatUInt64(char* text, uint64_t value, unsigned size);
ZT_TBL32_API unsigned FormatInt64(char* text, int64_t value, unsigned size);
// "-1.234,57" for -1234.567: the value rounded to hundredths (half away from
// zero), thousands points, comma, two decimals. 0 for a size below 5, a value
// that does not fit 64-bit hundredths, or a text that does not fit.
ZT_TBL32_API unsigned FormatAmount(char* text, unsigned size, double value);
// Inserts a '.' before every group of three digits counted from the right (a
// leading sign stays in front) and terminates; returns the new length. The
// buffer must hold length + length / 3 + 1 characters; given a size that is too
// small it changes nothing and returns the old length (without a size the room
// is taken as given).
ZT_TBL32_API unsigned InsertThousandsPoints(char* text, unsigned length, unsigned size = UINT32_MAX);
// Compares digit texts by value: leading zeros skipped, then longer is greater,
// then the first differing character. -1, 0, 1.
ZT_TBL32_API int CompareDigitText(const char* text1, unsigned length1, const char* text2, unsigned length2);

// printf "%.<decimals>f" of a double, exactly as the C library rounds (to the
// nearest, ties to even, on the exact binary value), always with a '.' and never
// the locale; "inf", "-inf", "nan" for the special values. Returns the length, 0
// when the text does not fit (the buffer is then empty).
ZT_TBL32_API unsigned FormatFixedDouble(char* text, unsigned size, double value, unsigned decimals);
