// ztdesc show: the tables of a description file or an ISAM file, their fields
// and keys, as aligned text or JSON.
#include <string.h>

#include <string>

#include "code_page.h"
#include "commands.h"

namespace {

// JSON is UTF-8 on every platform: Windows-1252 texts are converted, others
// (a path given natively) are UTF-8 already.
void PrintJsonString(const char* text, bool windows1252 = true) {
  putchar('"');
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p == '"' || *p == '\\')
      printf("\\%c", *p);
    else if (*p < 0x20)
      printf("\\u%04x", *p);
    else if (*p < 0x80 || !windows1252)
      putchar(*p);
    else
      fputs(ztCp1252ToUtf8(reinterpret_cast<const char*>(p), 1).c_str(), stdout);
  }
  putchar('"');
}

const char* KeyTypeName(unsigned type) {
  if (type == kZTNoKeyType) return "";
  const char* name = ISAMKeyType(type);
  return name ? name : "???";
}

void ShowText(const CZTFileDesc& desc) {
  const CZTTableDescList& tables = desc.m_Tables;
  printf("File: %s (%s)\n", desc.m_szFileName, desc.m_bIsamFile ? "ISAM file" : "description file");
  printf("Tables: %u\n\n", tables.m_uCount);
  if (!tables.m_uCount) return;
  printf("%-31s %6s %4s %11s %9s\n", "Table", "Fields", "Keys", "Record size", "Node size");
  for (unsigned t = 0; t < tables.m_uCount; ++t) {
    const CZTTableDesc& table = tables.m_pTables[t];
    printf("%-31s %6u %4u %11u %9u\n", ztdescToOutput(table.m_szName).c_str(), table.m_Fields.m_uCount,
           table.m_Keys.m_uCount, table.m_Fields.GetRecSize(), table.m_uIndexNodeSize);
  }
  for (unsigned t = 0; t < tables.m_uCount; ++t) {
    const CZTTableDesc& table = tables.m_pTables[t];
    printf("\nTable %s\n", ztdescToOutput(table.m_szName).c_str());
    if (table.m_Fields.m_uCount) {
      printf("  %3s  %-20s %6s %6s  %-14s %-15s %-15s %5s\n", "#", "Field", "Offset", "Length", "Encoding", "Content",
             "Display", "Width");
      for (unsigned i = 0; i < table.m_Fields.m_uCount; ++i) {
        const CZTFieldDesc& f = table.m_Fields.m_pFields[i];
        printf("  %3u  %-20s %6u %6u  %-14s %-7s 0x%05X %-7s 0x%05X %5u\n", i + 1, ztdescToOutput(f.m_szName).c_str(),
               f.m_uOffset, f.m_uLength, ztdescEncodingName(f.m_uEncodeType), ztdescKindName(f.m_uContentType),
               f.m_uContentType, ztdescKindName(f.m_uDisplayType), f.m_uDisplayType, f.m_uDispWidth);
      }
    } else {
      printf("  no fields\n");
    }
    if (table.m_Keys.m_uCount) {
      printf("  %3s  %-9s %4s  %-10s %s\n", "Key", "Options", "Part", "Type", "Field");
      for (unsigned k = 0; k < table.m_Keys.m_uCount; ++k) {
        const CZTKeyDesc& key = table.m_Keys.m_pKeys[k];
        char options[16];
        ztFormat(options, sizeof(options), "%u,%u,%u,%u,%u", key.m_uOption[0], key.m_uOption[1], key.m_uOption[2],
                 key.m_uOption[3], key.m_uOption[4]);
        for (unsigned i = 0; i < key.m_uPartCount && i < kZTMaxKeyParts; ++i) {
          if (i == 0)
            printf("  %3u  %-9s %4u  %-10s %s\n", k + 1, options, i + 1, KeyTypeName(key.m_Part[i].uKeyType),
                   ztdescToOutput(key.m_Part[i].szFieldName).c_str());
          else
            printf("  %3s  %-9s %4u  %-10s %s\n", "", "", i + 1, KeyTypeName(key.m_Part[i].uKeyType),
                   ztdescToOutput(key.m_Part[i].szFieldName).c_str());
        }
      }
    } else {
      printf("  no keys\n");
    }
  }
}

void ShowJson(const CZTFileDesc& desc) {
  const CZTTableDescList& tables = desc.m_Tables;
  printf("{\n  \"file\": ");
#ifdef _WIN32
  PrintJsonString(desc.m_szFileName);  // given in the ANSI code page
#else
  PrintJsonString(desc.m_szFileName, false);  // as given
#endif
  printf(",\n  \"kind\": \"%s\",\n  \"tables\": [", desc.m_bIsamFile ? "isam" : "description");
  for (unsigned t = 0; t < tables.m_uCount; ++t) {
    const CZTTableDesc& table = tables.m_pTables[t];
    printf("%s\n    {\n      \"name\": ", t ? "," : "");
    PrintJsonString(table.m_szName);
    printf(",\n      \"recordSize\": %u,\n      \"indexNodeSize\": %u,\n      \"fields\": [",
           table.m_Fields.GetRecSize(), table.m_uIndexNodeSize);
    for (unsigned i = 0; i < table.m_Fields.m_uCount; ++i) {
      const CZTFieldDesc& f = table.m_Fields.m_pFields[i];
      printf("%s\n        {\"name\": ", i ? "," : "");
      PrintJsonString(f.m_szName);
      printf(
          ", \"offset\": %u, \"length\": %u, \"encoding\": \"%s\", \"content\": %u, \"display\": %u, "
          "\"dataJust\": %u, \"dispJust\": %u, \"width\": %u}",
          f.m_uOffset, f.m_uLength, ztdescEncodingName(f.m_uEncodeType), f.m_uContentType, f.m_uDisplayType,
          f.m_uDataJust, f.m_uDispJust, f.m_uDispWidth);
    }
    printf("%s],\n      \"keys\": [", table.m_Fields.m_uCount ? "\n      " : "");
    for (unsigned k = 0; k < table.m_Keys.m_uCount; ++k) {
      const CZTKeyDesc& key = table.m_Keys.m_pKeys[k];
      printf("%s\n        {\"options\": [%u, %u, %u, %u, %u], \"parts\": [", k ? "," : "", key.m_uOption[0],
             key.m_uOption[1], key.m_uOption[2], key.m_uOption[3], key.m_uOption[4]);
      for (unsigned i = 0; i < key.m_uPartCount && i < kZTMaxKeyParts; ++i) {
        printf("%s{\"type\": ", i ? ", " : "");
        PrintJsonString(KeyTypeName(key.m_Part[i].uKeyType));
        printf(", \"field\": ");
        PrintJsonString(key.m_Part[i].szFieldName);
        printf("}");
      }
      printf("]}");
    }
    printf("%s]\n    }", table.m_Keys.m_uCount ? "\n      " : "");
  }
  printf("%s]\n}\n", tables.m_uCount ? "\n  " : "");
}

}  // namespace

int ztdescShow(int argc, char** argv) {
  if (ztdescWantsHelp("show", argc, argv)) return kExitOk;
  bool json = false;
  const char* file = nullptr;
  for (int i = 0; i < argc; ++i) {
    if (!strcmp(argv[i], "--json"))
      json = true;
    else if (argv[i][0] == '-')
      return ztdescUsage("show", "unknown option '%s'", argv[i]);
    else if (!file)
      file = argv[i];
    else
      return ztdescUsage("show", "too many arguments");
  }
  if (!file) return ztdescUsage("show", "FILE is missing");
  CZTFileDesc desc;
  if (!ztdescLoad(desc, file)) return kExitFailed;
  if (json)
    ShowJson(desc);
  else
    ShowText(desc);
  return kExitOk;
}
