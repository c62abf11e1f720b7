// What a JSON value of a field (as dump --json writes them) becomes on the way
// into the field: the text the import of every format converts and encodes
// (ztImportValue), UTF-8, numbers in German notation, and the field description
// to encode it with (dates are given in the stored formats, so that nothing the
// display formats leave out is lost).
#pragma once

#include <string>

#include "json_line_reader.h"
#include "zt_tbl32.h"

// int: 1 ok; 0 with the reason.
int ztJsonFieldText(const CZTFieldDesc& field, const ZTJsonMember& value, std::string& text, CZTFieldDesc& encodeAs,
                    char* reason, unsigned reasonSize);

// One JSON value into its field of record through ztImportValue, so that it
// gets the checks and the messages of every import format; the message shows
// the value as the line writes it (strings quoted, numbers as they stand). null
// leaves the field as it is. int: 1 ok; 0 with the message.
int ztJsonImportValue(const CZTFieldDesc& field, const ZTJsonMember& value, unsigned char* record, unsigned recordSize,
                      const char* source, unsigned line, std::string* message);
