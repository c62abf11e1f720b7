// JSON lines, the input of "ztdesc import --json": any bytes through the line
// parser, each member's value into a field of a table with every kind of field,
// as import converts and encodes it. The same bytes, read as a
// record of that table, go through the typed values and the JSON writer, and
// what it writes must parse again.
//
// Input: the line; the first 120 bytes double as the record.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "json_field_text.h"
#include "json_line_reader.h"
#include "json_writer.h"
#include "test_fields.h"
#include "value_reader.h"

namespace {

constexpr unsigned kRecordSize = 120;

int BoxSilencer(const ZTBoxRequest*, void*) { return IDNO; }

// Every kind of field, in a record of kRecordSize bytes.
const ZTTestFields& Table() {
  static const ZTTestFields table(
      {ztTestField(ite8INTEGER, 1, 0x0011, 0x0011, 0, "a"), ztTestField(ite16INTEGER, 2, 0x0001, 0x0001, 1, "b"),
       ztTestField(ite32INTEGER, 4, 0x2011, 0x0011, 3, "c"), ztTestField(ite64INTEGER, 8, 0x0001, 0x0001, 7, "d"),
       ztTestField(ite32FLOATING, 4, 0x0001, 0x2001, 15, "e"), ztTestField(ite64FLOATING, 8, 0x0001, 0x3001, 19, "f"),
       ztTestField(ite80FLOATING, 10, 0x0001, 0x0001, 27, "g"), ztTestField(iteASCIITEXT, 12, 0, 0, 37, "h"),
       ztTestField(iteASCIITEXT, 8, 0x0021, 0x0021, 49, "i"), ztTestField(iteASCIITEXT, 8, 0x2011, 0x2011, 57, "j"),
       ztTestField(iteASCIITEXT, 12, 0x20D3, 0x20C3, 65, "k"), ztTestField(iteASCIITEXT, 10, 0x0102, 0x8102, 77, "l"),
       ztTestField(iteASCIITEXT, 16, 0x8302, 0x20302, 87, "m"), ztTestField(iteASCIITEXT, 6, 0x4212, 0x4212, 103, "n"),
       ztTestField(iteASCIITEXT, 5, 0x20202, 0x20202, 109, "o"), ztTestField(iteUNICODETEXT, 6, 0, 0, 114, "p")});
  return table;
}

// One value into its field of the record: stored, or refused with a message.
void Import(const CZTFieldDesc& field, const ZTJsonMember& member, unsigned char* record) {
  std::string message;
  if (!ztJsonImportValue(field, member, record, kRecordSize, "f", 1, &message) && message.empty()) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool initialised = [] {
    ztSetBoxHandler(&BoxSilencer, nullptr);
    return true;
  }();
  (void)initialised;
  const ZTTestFields& table = Table();

  std::vector<ZTJsonMember> members;
  std::string error;
  unsigned char record[kRecordSize];
  if (ZTJsonLineReader::ParseLine(reinterpret_cast<const char*>(data), size, members, error)) {
    for (const ZTJsonMember& member : members) {
      const CZTFieldDesc& field = table.fields[member.key.size() % table.fields.size()];
      Import(field, member, record);
    }
  } else if (error.compare(0, 7, "column ")) {
    abort();  // every error names its column
  }

  // The bytes as a record: what the writer makes of it is one line of valid JSON.
  memset(record, 0, sizeof(record));
  memcpy(record, data, size < kRecordSize ? size : kRecordSize);
  char* out = nullptr;
  size_t outSize = 0;
  FILE* stream = open_memstream(&out, &outSize);
  {
    ZTValueReader values(table.list);
    ZTJsonWriter writer(stream, table.list);
    writer.Write(values, record);
  }
  fclose(stream);
  if (!outSize || out[outSize - 1] != '\n' || memchr(out, '\n', outSize - 1)) abort();
  if (!ZTJsonLineReader::ParseLine(out, outSize - 1, members, error) || members.size() != table.fields.size()) abort();
  // And each value goes back into its field, or fails with a reason, never worse.
  for (size_t f = 0; f < members.size(); ++f) Import(table.fields[f], members[f], record);
  free(out);
  return 0;
}
