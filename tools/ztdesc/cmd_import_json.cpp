// ztdesc import --json: records from JSON lines, one object per line with the
// field names as keys, as dump --json writes them. Values go through the same
// field encoder as the ';' format, with the same checks; nothing is stored
// unless every line is good.
#include <string.h>

#include <string>
#include <vector>

#include "commands.h"
#include "field_encoder.h"
#include "json_field_text.h"
#include "json_line_reader.h"
#include "text_utf8.h"

namespace {

constexpr size_t kShownValue = 60;  // bytes of a value quoted in a message

// The value as a message shows it.
std::string Shown(const ZTJsonMember& member) {
  switch (member.type) {
    case ZTJsonType::String: {
      size_t n = member.text.size() > kShownValue ? kShownValue : member.text.size();
      while (n < member.text.size() && (member.text[n] & 0xC0) == 0x80) --n;  // a whole character
      return "\"" + member.text.substr(0, n) + (n < member.text.size() ? "...\"" : "\"");
    }
    case ZTJsonType::Number:
      return member.text.substr(0, kShownValue);
    case ZTJsonType::True:
      return "true";
    case ZTJsonType::False:
      return "false";
    case ZTJsonType::Array:
      return "[...]";
    case ZTJsonType::Object:
      return "{...}";
    default:
      return "null";
  }
}

}  // namespace

int ztdescImportJson(ZTOpenTable& open, FILE* data, const char* isamName, const char* dataName) {
  const CZTFieldDescList& fields = open.tableDesc->m_Fields;
  std::vector<unsigned char> blank(open.recordSize, 0);
  for (unsigned f = 0; f < fields.m_uCount; ++f) ztdescBlankField(fields.m_pFields[f], blank.data());

  ZTJsonLineReader reader(data);
  std::vector<ZTJsonMember> members;
  std::vector<unsigned> namedOn(fields.m_uCount, 0);  // the line that last gave each field
  std::vector<unsigned char> records;
  std::vector<unsigned> lines;
  std::string name, text;
  CZTFieldDesc encodeAs;
  char reason[160];
  while (reader.Next(members)) {
    const unsigned line = reader.LineNumber();
    if (!reader.Error().empty()) return ztdescFail("%s:%u: %s", dataName, line, reader.Error().c_str());
    const size_t at = records.size();
    records.insert(records.end(), blank.begin(), blank.end());
    for (const ZTJsonMember& member : members) {
      unsigned f = 0;
      if (ztUtf8To1252(member.key.data(), member.key.size(), name, reason, sizeof(reason)))
        while (f < fields.m_uCount && ztStrICmpAscii(fields.m_pFields[f].m_szName, name.c_str())) ++f;
      else
        f = fields.m_uCount;
      if (f == fields.m_uCount)
        return ztdescFail("%s:%u: no field %s in table %s", dataName, line,
                          Shown({member.key, ZTJsonType::String, member.key}).c_str(), open.tableDesc->m_szName);
      const CZTFieldDesc& field = fields.m_pFields[f];
      if (namedOn[f] == line) return ztdescFail("%s:%u: field %s named twice", dataName, line, field.m_szName);
      namedOn[f] = line;
      if (member.type == ZTJsonType::Null) continue;  // blank or zero, as a field left out
      if (!ztJsonFieldText(field, member, text, encodeAs, reason, sizeof(reason)) ||
          !ztEncodeField(encodeAs, text.c_str(), records.data() + at, open.recordSize, reason, sizeof(reason)))
        return ztdescFail("%s:%u: field %s: %s: %s", dataName, line, field.m_szName, Shown(member).c_str(), reason);
    }
    lines.push_back(line);
  }
  if (ferror(data)) return ztdescFail("%s: read error", dataName);
  return ztdescStoreRecords(open, records, lines, isamName, dataName);
}
