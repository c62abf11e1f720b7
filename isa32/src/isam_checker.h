// The integrity check of an ISAM file: every block is read and verified, every
// unit of the file belongs to exactly one block, every tree is ordered with its
// counts right, and every record is indexed exactly once per index.
#pragma once

#include <stdint.h>

#include <vector>

#include "isam_file.h"

namespace isam {

class CIsamChecker {
 public:
  explicit CIsamChecker(CIsamFile* file);
  // ISAM_OK, ISAM_ERR_CHECK or the error of a block that cannot be read; the
  // first problem found is described in report.
  unsigned Run(char* report, unsigned size);

 private:
  unsigned claim(uint32_t addr, uint32_t units, const char* what);
  unsigned get(uint32_t addr, uint32_t units, uint16_t kind, const char* what, Block** out);
  unsigned checkTable(const char* name, uint32_t block);
  unsigned checkTree(TableState& st, const uint8_t* table, unsigned key, const std::vector<uint8_t>& used,
                     std::vector<uint8_t>& seen);
  unsigned walk(TableState& st, unsigned key, uint32_t addr, uint32_t level, uint32_t height, const uint8_t* lo,
                const uint8_t* hi, uint64_t* entries, uint64_t* nodes, const std::vector<uint8_t>& used,
                std::vector<uint8_t>& seen);
  unsigned chain(uint32_t head, uint32_t units, uint16_t kind, uint32_t nextOffset, const char* what, uint64_t* bytes);
  unsigned fault(const char* format, ...);

  CIsamFile* file_;
  CIsamPager* pager_;
  std::vector<uint8_t> units_;
  char* report_;
  unsigned size_;
  const char* table_;
};

}  // namespace isam
