// ztdesc demo: the main job on the built-in sample. Writes the sample
// description, creates the ISAM file, loads 100,000 generated records, shows the
// file and dumps the first orders of one index forwards and backwards.
#include <string.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "sample_data.h"
#include "commands.h"
#include "field_encoder.h"

namespace {

typedef void (*ValuesFunction)(unsigned, std::vector<std::string>&);

// Inserts count generated records into one table in one transaction. int: 1 ok.
int LoadTable(ISAMFILE file, const CZTTableDesc& table, const char* const* names, unsigned nameCount,
              ValuesFunction values, unsigned count) {
  std::vector<const CZTFieldDesc*> fields(nameCount, nullptr);
  for (unsigned n = 0; n < nameCount; ++n) {
    for (unsigned f = 0; f < table.m_Fields.m_uCount; ++f)
      if (!ztStrICmpAscii(table.m_Fields.m_pFields[f].m_szName, names[n])) fields[n] = &table.m_Fields.m_pFields[f];
    if (!fields[n]) {
      ztdescFail("sample table %s has no field %s", table.m_szName, names[n]);
      return 0;
    }
  }
  ISAMTABLE handle = nullptr;
  unsigned e = ISAMOpenTable(file, table.m_szName, &handle);
  if (e) {
    ztdescFail("table %s: %s", ztdescToOutput(table.m_szName).c_str(), ztdescEngineError(e).c_str());
    return 0;
  }
  unsigned recordSize = table.m_Fields.GetRecSize();
  std::vector<unsigned char> record(recordSize);
  std::vector<std::string> texts;
  char reason[160];
  int ok = 1;
  e = ISAMBeginTransaction(file);
  for (unsigned i = 0; ok && !e && i < count; ++i) {
    values(i, texts);
    for (unsigned n = 0; n < nameCount; ++n) {
      if (!ztEncodeField(*fields[n], texts[n].c_str(), record.data(), recordSize, reason, sizeof(reason))) {
        ztdescFail("record %u of %s: field %s: %s", i, table.m_szName, names[n], reason);
        ok = 0;
        break;
      }
    }
    unsigned address = 0;
    if (ok) e = ISAMInsertRecord(handle, record.data(), &address);
  }
  if (ok && !e) e = ISAMCommitTransaction(file);
  if (!ok || e) ISAMRollbackTransaction(file);
  if (e) {
    ztdescFail("table %s: %s", ztdescToOutput(table.m_szName).c_str(), ztdescEngineError(e).c_str());
    ok = 0;
  }
  ISAMCloseTable(handle);
  return ok;
}

}  // namespace

int ztdescDemo(int argc, char** argv) {
  if (ztdescWantsHelp("demo", argc, argv)) return kExitOk;
  if (argc > 1) return ztdescUsage("demo", "too many arguments");
  std::string dir = argc ? argv[0] : "ztdesc-demo";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir, ec)) return ztdescFail("%s: cannot create the directory", dir.c_str());
  std::string cfg = dir + "/sample.cfg";
  std::string isa = dir + "/sample.isa";
  std::string source = dir + "/sample-source.cfg";

  // The compiled-in sample, read and written back by the library.
  FILE* out = fopen(source.c_str(), "wb");
  if (!out || fputs(kZTSampleDesc, out) < 0) {
    if (out) fclose(out);
    return ztdescFail("%s: cannot be written", source.c_str());
  }
  fclose(out);
  CZTFileDesc desc;
  if (!ztdescLoad(desc, source.c_str())) return kExitFailed;
  std::filesystem::remove(source, ec);
  std::filesystem::remove(cfg, ec);
  ztStrCopy(desc.m_szFileName, cfg.c_str(), sizeof(desc.m_szFileName));
  unsigned bad = 0;
  if (desc.m_Tables.m_uCount != 2 || !desc.VerifyDesc(&bad)) return ztdescFail("the built-in sample is not valid");
  if (!desc.WriteDesc()) return ztdescFail("%s: cannot be written", cfg.c_str());
  printf("Description written: %s\n", cfg.c_str());

  std::filesystem::remove(isa, ec);
  if (!desc.CreateISAMFile(nullptr, isa.c_str())) return ztdescFail("%s: cannot be created", isa.c_str());
  printf("ISAM file created: %s\n", isa.c_str());

  auto start = std::chrono::steady_clock::now();
  ISAMFILE file = nullptr;
  unsigned detail = 0;
  unsigned e = ISAMOpen(&file, isa.c_str(), ISAM_OPEN_READWRITE, &detail);
  if (e) return ztdescFail("%s: %s", isa.c_str(), ztdescEngineError(e).c_str());
  int ok = LoadTable(file, desc.m_Tables.m_pTables[0], kZTSampleCustomerFields, kZTSampleCustomerFieldCount,
                     ztSampleCustomer, kZTSampleCustomers) &&
           LoadTable(file, desc.m_Tables.m_pTables[1], kZTSampleOrderFields, kZTSampleOrderFieldCount, ztSampleOrder,
                     kZTSampleOrders);
  e = ISAMClose(file, &detail);
  if (!ok) return kExitFailed;
  if (e) return ztdescFail("%s: %s", isa.c_str(), ztdescEngineError(e).c_str());
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  printf("Records loaded: %u customers, %u orders\n", kZTSampleCustomers, kZTSampleOrders);
  fprintf(stderr, "ztdesc demo: %u records generated and stored in %.2f s\n", kZTSampleCustomers + kZTSampleOrders,
          seconds);

  printf("\n$ ztdesc show %s\n", isa.c_str());
  if (ztdescRun("show", {isa}) != kExitOk) return kExitFailed;
  printf("\n$ ztdesc check %s\n", isa.c_str());
  if (ztdescRun("check", {isa}) != kExitOk) return kExitFailed;
  printf("\n$ ztdesc dump %s Order --index 2 --limit 20\n", isa.c_str());
  if (ztdescRun("dump", {isa, "Order", "--index", "2", "--limit", "20"}) != kExitOk) return kExitFailed;
  printf("\n$ ztdesc dump %s Order --index 2 --limit 20 --backward\n", isa.c_str());
  if (ztdescRun("dump", {isa, "Order", "--index", "2", "--limit", "20", "--backward"}) != kExitOk) return kExitFailed;
  return kExitOk;
}
