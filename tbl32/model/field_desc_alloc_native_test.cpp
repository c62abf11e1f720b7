// The codec and the selection tests must not touch the heap: count the
// allocations around a loop of calls.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <new>

#include "select_test_table.h"
#include "zt_tbl32/field_desc.h"
#include "zt_tbl32/tbl_sel_desc.h"

namespace {
std::atomic<bool> g_counting{false};
std::atomic<unsigned> g_allocations{0};

void* Allocate(size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
  void* p = malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  return p;
}
}  // namespace

// Replacing the global operators covers every new in the process, including
// the ones the library's code would make.
void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
  return malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { free(p); }

namespace {

CZTFieldDesc Field(unsigned offset, unsigned length, unsigned encoding, unsigned content, unsigned display) {
  CZTFieldDesc f;
  f.m_uOffset = offset;
  f.m_uLength = length;
  f.m_uEncodeType = encoding;
  f.m_uContentType = content;
  f.m_uDisplayType = display;
  return f;
}

TEST(FieldCodecHeap, FormatParseAndCompareNeverAllocate) {
  unsigned char record[64];
  memset(record, ' ', sizeof(record));
  const int32_t i = -1234567;
  const double d = 12345.678;
  memcpy(record, &i, 4);
  memcpy(record + 4, &d, 8);
  memcpy(record + 12, "30.07.2009 14:05:00", 19);
  memcpy(record + 31, "-1.234,56", 9);
  memcpy(record + 40, "  000042", 8);
  const CZTFieldDesc fields[] = {
      Field(0, 4, ite32INTEGER, ztMakeFmt(ZT_KIND_NUMBER, ZT_FMT_SIGNED, 2), ZT_KIND_DECIMAL),
      Field(4, 8, ite64FLOATING, 0, ztMakeFmt(ZT_KIND_NUMBER, 0, 3)),
      Field(12, 19, iteASCIITEXT, ztMakeFmt(ZT_KIND_DATETIME, ZT_FMT_DATE | ZT_FMT_TIME, 0, 0),
            ztMakeFmt(ZT_KIND_DATETIME, 0, 8, 1)),
      Field(31, 9, iteASCIITEXT, ztMakeFmt(ZT_KIND_DECIMAL, 0, 2), ZT_KIND_DECIMAL),
      Field(40, 8, iteASCIITEXT, ZT_KIND_NUMBER, ZT_KIND_NUMBER | ZT_FMT_ZERO_FILL),
      Field(40, 20, iteASCIITEXT, 0, 0),
  };
  // Warm up (lazy bindings, first-use initialisation) before counting.
  char text[64];
  unsigned length;
  numVal value;
  unsigned kind;
  for (const auto& f : fields) f.FormatData(text, sizeof(text), &length, record, sizeof(record));

  g_allocations = 0;
  g_counting = true;
  int checks = 0;
  for (int round = 0; round < 1000; ++round) {
    for (const auto& f : fields) {
      checks += f.FormatData(text, sizeof(text), &length, record, sizeof(record));
      checks += f.ParseData(&value, &kind, record, sizeof(record));
      checks += f.CompareData(record, record) == 0;
    }
  }
  g_counting = false;
  EXPECT_EQ(g_allocations.load(), 0u);
  EXPECT_EQ(checks, 1000 * 6 * 3 - 1000);  // the plain text field has no value to parse

  // The counter works: a new inside the window is seen.
  g_counting = true;
  delete new int(1);
  g_counting = false;
  EXPECT_EQ(g_allocations.load(), 1u);
}

// Every kind of comparison testdata makes, values beyond a field's range and
// between its values included.
TEST(FieldCodecHeap, SelectionTestsNeverAllocate) {
  using namespace select_test;
  CZTTableDesc table;
  MakeCustomerTable(table);
  // Every comparison but the last is false for the record, so that all are made.
  const char text[] =
      "NAME = Mey* ODER NAMEI <> s?h* ODER PLZ >= 50000 ODER NUM > 2147483648 ODER U8 > 99999 ODER "
      "DATUM >= 1.7.09 ODER BETRAG < -99999999999999999999999 ODER DBL > 1e308 ODER CENT = 10,05 ODER NAME < 100 "
      "ODER NUM <> 2,5";
  CZTTblSelDesc sel;
  ASSERT_EQ(1, sel.parse(text, sizeof(text) - 1));
  ASSERT_EQ(1, sel.resolve(&table));
  Record r;
  r.Text(kName, 20, "Schulz").Text(kNameI, 20, "Schulz").Text(kPlz, 5, "04109").Raw<int32_t>(kNum, 2);
  r.Text(kDatum, 10, "30.06.2009").Text(kBetrag, 12, "-99.999,99").Raw<double>(kDbl, 1.0).Raw<uint32_t>(kCent, 1);
  sel.testdata(&table, r.bytes, kRecordSize);
  g_allocations = 0;
  g_counting = true;
  int matches = 0;
  for (int round = 0; round < 1000; ++round) matches += sel.testdata(&table, r.bytes, kRecordSize);
  g_counting = false;
  EXPECT_EQ(g_allocations.load(), 0u);
  EXPECT_EQ(matches, 1000);  // NUM <> 2,5 holds for every record
}

}  // namespace
