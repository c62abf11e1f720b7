// JSON lines, the input of "ztdesc import --json": any bytes through the line
// parser, each member's value through the conversion to field text and the
// field encoder of a table with every kind of field. The same bytes, read as a
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

#include "field_encoder.h"
#include "json_field_text.h"
#include "json_line_reader.h"
#include "json_writer.h"
#include "value_reader.h"

namespace {

constexpr unsigned kRecordSize = 120;

int BoxSilencer(const ZTBoxRequest*, void*) { return IDNO; }

CZTFieldDesc Field(unsigned offset, unsigned length, unsigned encoding, unsigned content, unsigned display,
                   const char* name) {
  CZTFieldDesc f;
  f.m_uOffset = offset;
  f.m_uLength = length;
  f.m_uEncodeType = encoding;
  f.m_uContentType = content;
  f.m_uDisplayType = display;
  ztStrCopy(f.m_szName, name, sizeof(f.m_szName));
  return f;
}

struct Table {
  std::vector<CZTFieldDesc> fields;
  CZTFieldDescList list;
  Table() {
    fields = {Field(0, 1, ite8INTEGER, 0x0011, 0x0011, "a"),      Field(1, 2, ite16INTEGER, 0x0001, 0x0001, "b"),
              Field(3, 4, ite32INTEGER, 0x2011, 0x0011, "c"),     Field(7, 8, ite64INTEGER, 0x0001, 0x0001, "d"),
              Field(15, 4, ite32FLOATING, 0x0001, 0x2001, "e"),   Field(19, 8, ite64FLOATING, 0x0001, 0x3001, "f"),
              Field(27, 10, ite80FLOATING, 0x0001, 0x0001, "g"),  Field(37, 12, iteASCIITEXT, 0, 0, "h"),
              Field(49, 8, iteASCIITEXT, 0x0021, 0x0021, "i"),    Field(57, 8, iteASCIITEXT, 0x2011, 0x2011, "j"),
              Field(65, 12, iteASCIITEXT, 0x20D3, 0x20C3, "k"),   Field(77, 10, iteASCIITEXT, 0x0102, 0x8102, "l"),
              Field(87, 16, iteASCIITEXT, 0x8302, 0x20302, "m"),  Field(103, 6, iteASCIITEXT, 0x4212, 0x4212, "n"),
              Field(109, 5, iteASCIITEXT, 0x20202, 0x20202, "o"), Field(114, 6, iteUNICODETEXT, 0, 0, "p")};
    list.m_pFields = fields.data();
    list.m_uCount = list.m_uAlloc = static_cast<unsigned>(fields.size());
  }
  ~Table() {
    list.m_pFields = nullptr;
    list.m_uCount = list.m_uAlloc = 0;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool initialised = [] {
    ztSetBoxHandler(&BoxSilencer, nullptr);
    return true;
  }();
  (void)initialised;
  static Table table;

  std::vector<ZTJsonMember> members;
  std::string error, text, name;
  unsigned char record[kRecordSize];
  char reason[160];
  CZTFieldDesc encodeAs;
  if (ZTJsonLineReader::ParseLine(reinterpret_cast<const char*>(data), size, members, error)) {
    for (const ZTJsonMember& member : members) {
      const CZTFieldDesc& field = table.fields[member.key.size() % table.fields.size()];
      if (ztJsonFieldText(field, member, text, encodeAs, reason, sizeof(reason)))
        ztEncodeField(encodeAs, text.c_str(), record, sizeof(record), reason, sizeof(reason));
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
  for (size_t f = 0; f < members.size(); ++f)
    if (ztJsonFieldText(table.fields[f], members[f], text, encodeAs, reason, sizeof(reason)))
      ztEncodeField(encodeAs, text.c_str(), record, sizeof(record), reason, sizeof(reason));
  free(out);
  return 0;
}
