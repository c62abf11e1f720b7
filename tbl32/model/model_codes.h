// Error codes, string ids and log sources of the description model.
#pragma once

// Log sources.
constexpr const char* kSrcFieldDesc = "CZTFieldDesc";
constexpr const char* kSrcEnum = "CZTEnum";

// CZTFieldDesc errors.
enum : unsigned {
  ZT_ERR_FIELD_READ = 1300,        // (reader error, keyword, index)
  ZT_ERR_FIELD_EMPTY_NAME = 1301,  // (keyword, index)
  ZT_ERR_FIELD_LENGTH = 1310,      // + encoding type: length does not suit the encoding
};

// Resource strings of the field lists and grid texts.
enum : unsigned {
  ZT_STR_ENCODING = 2100,     // + encoding type
  ZT_STR_KIND = 2200,         // + presentation kind
  ZT_STR_JUSTIFY = 2400,      // + justification
  ZT_STR_DATE_FORMAT = 2500,  // + date format
  ZT_STR_TIME_FORMAT = 2600,  // + time format
};
