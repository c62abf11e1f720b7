// Turns the text of a field, as FormatData shows it (German notation), back into
// the field's raw bytes: the inverse of FormatData for every encoding and kind
// that it can format. Every import format (the ';'-separated lines, and any
// other) encodes its values one by one through it.
#pragma once

#include <stddef.h>

#include <string>

#include "zt_tbl32.h"
#include "zt_tbl32/field_desc.h"

// Writes the field's bytes into record from a Windows-1252 text of the length.
// int: 1 ok; 0 with the reason in reason (the record's field bytes are then
// undefined). A zero byte in the text is an error.
int ztEncodeField(const CZTFieldDesc& field, const char* text, size_t length, unsigned char* record,
                  unsigned recordSize, char* reason, unsigned reasonSize);
// The same for a zero-terminated text.
int ztEncodeField(const CZTFieldDesc& field, const char* text, unsigned char* record, unsigned recordSize, char* reason,
                  unsigned reasonSize);

// One value of an imported file, UTF-8 (utf8) or Windows-1252: converted and
// encoded, the same for every import format. int: 1 ok; 0 with the whole
// message in message: "SOURCE:LINE: field NAME: VALUE: REASON", everything as
// ztdesc prints texts. VALUE is the value in double quotes; a format that
// turns what it reads into the value first passes what it read as written,
// and whether to quote it (JSON numbers stand without quotes).
int ztImportValue(const CZTFieldDesc& field, const std::string& value, bool utf8, unsigned char* record,
                  unsigned recordSize, const char* source, unsigned line, std::string* message,
                  const std::string* written = nullptr, bool quoted = true);
// A value as a message shows it: in double quotes when quoted, cut to 40
// characters so that the reason always shows, as ztdesc prints texts.
std::string ztImportShownValue(const std::string& value, bool utf8, bool quoted = true);
// That message for a reason found elsewhere, with the value as shown.
std::string ztImportMessage(const char* source, unsigned line, const CZTFieldDesc& field, const std::string& shown,
                            const char* reason);
