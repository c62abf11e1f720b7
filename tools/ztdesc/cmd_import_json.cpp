// ztdesc import --json: records from JSON lines, one object per line with the
// field names as keys, as dump --json writes them. Values go through the same
// conversion and field encoder as the ';' format, with the same checks and
// messages; nothing is stored unless every line is good.
#include <string>
#include <vector>

#include "code_page.h"
#include "commands.h"
#include "field_encoder.h"
#include "json_field_text.h"
#include "json_line_reader.h"

int ztdescImportJson(ZTOpenTable& open, FILE* data, const char* isamName, const char* dataName) {
  const CZTFieldDescList& fields = open.tableDesc->m_Fields;
  std::vector<unsigned char> blank(open.recordSize, 0);
  for (unsigned f = 0; f < fields.m_uCount; ++f) ztdescBlankField(fields.m_pFields[f], blank.data());

  ZTJsonLineReader reader(data);
  std::vector<ZTJsonMember> members;
  std::vector<unsigned> namedOn(fields.m_uCount, 0);  // the line that last gave each field
  std::vector<unsigned char> records;
  std::vector<unsigned> lines;
  std::string name, message;
  while (reader.Next(members)) {
    const unsigned line = reader.LineNumber();
    if (!reader.Error().empty()) return ztdescFail("%s:%u: %s", dataName, line, reader.Error().c_str());
    const size_t at = records.size();
    records.insert(records.end(), blank.begin(), blank.end());
    for (const ZTJsonMember& member : members) {
      ZTCodePageError error;
      const unsigned f = ztUtf8ToCp1252(member.key.data(), member.key.size(), &name, &error)
                             ? ztdescFindField(fields, name)
                             : fields.m_uCount;
      if (f == fields.m_uCount)
        return ztdescFail("%s:%u: no field %s in table %s", dataName, line,
                          ztImportShownValue(member.key, true).c_str(),
                          ztdescToOutput(open.tableDesc->m_szName).c_str());
      const CZTFieldDesc& field = fields.m_pFields[f];
      if (namedOn[f] == line)
        return ztdescFail("%s:%u: field %s named twice", dataName, line, ztdescToOutput(field.m_szName).c_str());
      namedOn[f] = line;
      if (!ztJsonImportValue(field, member, records.data() + at, open.recordSize, dataName, line, &message)) {
        // Printed whole: a long file name must not push the reason out.
        fprintf(stderr, "ztdesc: %s\n", message.c_str());
        return kExitFailed;
      }
    }
    lines.push_back(line);
  }
  if (ferror(data)) return ztdescFail("%s: read error", dataName);
  return ztdescStoreRecords(open, records, lines, isamName, dataName);
}
