// The values of a table's fields typed by their content, for the tools that
// take data out (SQLite, JSON lines): whole numbers as integers, numbers with
// decimals and floating values as reals (decimal ones with their exact digits),
// dates and times as ISO 8601 text, texts as UTF-8 without trailing blanks.
// A value whose stored text does not read as its content says is kept as text.
#pragma once

#include <stdint.h>

#include <vector>

#include "zt_tbl32.h"

enum class ZTValueType : unsigned char {
  Null,      // an empty date, a blank number, a value that cannot be read
  Integer,   // integer
  Unsigned,  // big: a whole number above the largest signed 64-bit integer
  Real,      // real; text, when set, is its exact decimal form ("-1234.50")
  Text       // text: UTF-8, length bytes, not terminated
};

struct ZTValue {
  ZTValueType type = ZTValueType::Null;
  int64_t integer = 0;
  uint64_t big = 0;
  double real = 0;
  const char* text = nullptr;
  unsigned length = 0;
  bool plain = false;  // a text of digits and separators alone (a date, a time)
};

class ZTValueReader {
 public:
  explicit ZTValueReader(const CZTFieldDescList& fields);
  unsigned FieldCount() const { return static_cast<unsigned>(m_Plans.size()); }
  // The SQLite column type of field f: "INTEGER", "REAL" or "TEXT".
  const char* ColumnType(unsigned f) const;
  // The value of field f of the record, which must hold the field. Texts point
  // into the reader and stay valid until field f is read again.
  void Read(unsigned f, const unsigned char* record, ZTValue& value);
  // "-123.45": a magnitude scaled by 10^decimals as a decimal number, at out
  // (room for 24 + decimals bytes); the bytes written.
  static unsigned PutExact(char* out, bool negative, uint64_t magnitude, unsigned decimals);

 private:
  enum Plan : unsigned char {
    kNone,
    kInteger,
    kFloat32,
    kFloat64,
    kFloat80,
    kUnicode,
    kText,
    kNumberText,
    kDecimalText,
    kDateText
  };
  struct FieldPlan {
    Plan plan;
    bool isSigned;
    bool hasDate, hasTime;
    unsigned offset, length;
    unsigned width;     // integer bytes
    unsigned decimals;  // fixed point and decimal text
    unsigned dateFormat, timeFormat, dateLength;
    size_t scratch;  // where its text goes in m_Scratch
  };
  void ReadNumberText(const FieldPlan& p, const char* text, unsigned length, char* out, ZTValue& value);
  void ReadDateText(const FieldPlan& p, const char* text, unsigned length, char* out, ZTValue& value);
  std::vector<FieldPlan> m_Plans;
  std::vector<char> m_Scratch;
};
