// Random field descriptions on random record bytes through the field data codec
// and the number and date text parsers.
//
// Input: 24 bytes of field description and parameters, then the record.
#include <stdint.h>
#include <string.h>

#include <vector>

#include "zt_tbl32.h"

namespace {

uint32_t Word(const uint8_t* p) {
  uint32_t v;
  memcpy(&v, p, 4);
  return v;
}

int BoxSilencer(const ZTBoxRequest*, void*) { return IDNO; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool initialised = [] {
    ztSetBoxHandler(&BoxSilencer, nullptr);
    return true;
  }();
  (void)initialised;
  if (size < 25) return 0;
  const uint32_t placement = Word(data), content = Word(data + 4), display = Word(data + 8), misc = Word(data + 12);
  const uint32_t extra = Word(data + 16), extra2 = Word(data + 20);
  // Exactly the record bytes on the heap, so that any read past them is caught.
  const unsigned recordSize = unsigned(size - 24);
  std::vector<unsigned char> record(data + 24, data + size);
  const unsigned char* rec = record.data();

  CZTFieldDesc f;
  f.m_uOffset = (placement & 0xFFFF) % recordSize;
  f.m_uLength = (placement >> 16) % (recordSize - f.m_uOffset + 1);
  f.m_uEncodeType = misc % 11;  // includes the unknown codes 9 and 10
  // Content and display words: kinds 0-6, all flags, formats including unknown ones.
  f.m_uContentType = content & 0xFFFFF;
  f.m_uDisplayType = display & 0xFFFFF;

  char text[600];
  const unsigned textSize = 1 + (misc >> 8) % sizeof(text);
  unsigned length = 0;
  if (f.FormatData(text, textSize, &length, rec, recordSize)) {
    if (length >= textSize || strlen(text) != length) __builtin_trap();
  }
  numVal value;
  unsigned kind;
  if (f.ParseData(&value, &kind, rec, recordSize) && kind > ZT_VAL_DOUBLE) __builtin_trap();

  // CompareData has no record size: only fields whose bytes lie inside the record.
  static const unsigned kWidth[] = {1, 2, 4, 8, 4, 8, 10};
  const unsigned width = f.m_uEncodeType < 7 ? kWidth[f.m_uEncodeType] : f.m_uLength;
  if (f.m_uEncodeType != ite80FLOATING && f.m_uEncodeType != iteUNICODETEXT && f.m_uOffset + width <= recordSize) {
    const int r = f.CompareData(rec, rec);
    if (r < -1 || r > 1) __builtin_trap();
  }

  std::vector<char> filler(1 + (misc >> 20) % 64);
  const unsigned n = f.GetSMaskFiller(misc & 0x80, filler.data(), unsigned(filler.size()));
  if (n > filler.size()) __builtin_trap();

  // The text parsers over the whole record with its exact length.
  const char* raw = reinterpret_cast<const char*>(rec);
  ParseDecimalText(raw, recordSize, extra % 20);
  ParseUnsignedText(raw, recordSize);
  ParseSignedText(raw, recordSize);
  ParseInt32Text(raw, recordSize);
  ParseInt64Text(raw, recordSize);
  unsigned remaining;
  ParseUInt32Text(raw, recordSize, &remaining);
  if (remaining > recordSize) __builtin_trap();
  ParseUInt64Text(raw, recordSize);
  ParseDoubleText(raw, recordSize);
  ParseAmountText(raw, recordSize);
  CompareDigitText(raw, recordSize, raw + recordSize / 2, recordSize - recordSize / 2);

  // Terminated copies for the date and time parsers.
  std::vector<char> terminated(record.begin(), record.end());
  terminated.push_back('\0');
  unsigned d, m, y;
  ParseDateText(&d, &m, &y, terminated.data(), extra % 14);
  ParseTimeText(&d, &m, &y, terminated.data(), extra % 5);

  // Formatters with random values and sizes.
  const unsigned outSize = 1 + extra2 % 48;
  std::vector<char> out(outSize);
  int64_t v64;
  memcpy(&v64, data + 12, 8);
  if (FormatDecimalText(out.data(), outSize, v64, extra % 20) >= outSize) __builtin_trap();
  double dv;
  memcpy(&dv, data + 16, 8);
  if (FormatFixedDouble(out.data(), outSize, dv, extra % 12) >= outSize) __builtin_trap();
  if (FormatAmount(out.data(), outSize, dv) >= outSize) __builtin_trap();
  if (FormatDateText(out.data(), extra & 0xFF, (extra >> 8) & 0xFF, extra2 & 0xFFFF, misc % 14, 1, outSize) >= outSize)
    __builtin_trap();
  if (FormatTimeText(out.data(), extra & 0xFF, (extra >> 8) & 0xFF, extra2 & 0xFF, misc % 5, outSize) >= outSize)
    __builtin_trap();
  std::vector<char> digits(record.begin(), record.end());
  digits.resize(recordSize + recordSize / 3 + 2);
  InsertThousandsPoints(digits.data(), recordSize, unsigned(digits.size()));
  return 0;
}
