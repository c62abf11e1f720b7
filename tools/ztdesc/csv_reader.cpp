#include "csv_reader.h"

bool CsvReader::Next(std::vector<std::string>& values) {
  values.clear();
  m_badQuote = false;
  std::string line;
  int c;
  bool any = false;
  while ((c = fgetc(m_file)) != EOF) {
    any = true;
    if (c == '\n') break;
    line += static_cast<char>(c);
  }
  if (!any) return false;
  if (++m_line == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    line.erase(0, 3);
    m_byteOrderMark = true;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::string value;
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char ch = line[i];
    if (quoted) {
      if (ch == '"') {
        if (i + 1 < line.size() && line[i + 1] == '"') {
          value += '"';
          ++i;
        } else {
          quoted = false;
        }
      } else {
        value += ch;
      }
    } else if (ch == '"') {
      quoted = true;
    } else if (ch == ';') {
      values.push_back(value);
      value.clear();
    } else {
      value += ch;
    }
  }
  m_badQuote = quoted;
  values.push_back(value);
  return true;
}
