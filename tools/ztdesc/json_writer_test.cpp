#include <math.h>
#include <string.h>

#include <charconv>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "json_writer.h"

namespace {

// The quick path for doubles with few decimals writes what to_chars writes.
TEST(JsonWriter, DoublesAsToCharsWritesThem) {
  std::mt19937_64 random(7);
  const double scales[] = {1, 10, 100, 1000, 1e4, 1e6, 1e9};
  for (int i = 0; i < 200000; ++i) {
    double value;
    switch (i % 4) {
      case 0:  // an amount with a few decimals
        value = static_cast<double>(static_cast<long long>(random() % 2000000000) - 1000000000) / scales[i / 4 % 7];
        break;
      case 1:  // any bits
        do {
          uint64_t bits = random();
          memcpy(&value, &bits, sizeof(value));
        } while (!isfinite(value));
        break;
      case 2:  // whole numbers around the edges
        value = static_cast<double>(static_cast<long long>(random() % 40000) - 20000);
        break;
      default:  // below one and beyond the quick range
        value = std::uniform_real_distribution<double>(-2, 2)(random) * scales[i / 4 % 7] * 1e8;
    }
    char quick[48], plain[48];
    unsigned n = ZTJsonWriter::PutDouble(quick, value);
    char* end = std::to_chars(plain, plain + sizeof(plain), value).ptr;
    ASSERT_EQ(std::string(quick, n), std::string(plain, end)) << value;
  }
  char text[48];
  EXPECT_EQ(std::string(text, ZTJsonWriter::PutDouble(text, 0.1)), "0.1");
  EXPECT_EQ(std::string(text, ZTJsonWriter::PutDouble(text, 1e6)), "1e+06");
  EXPECT_EQ(std::string(text, ZTJsonWriter::PutDouble(text, -0.0)), "-0");
  EXPECT_EQ(std::string(text, ZTJsonWriter::PutDouble(text, -23.543)), "-23.543");
}

// Strings: quotes, backslashes and control characters escaped, UTF-8 as it is.
TEST(JsonWriter, Strings) {
  char text[64];
  const std::string in = "a\"b\\c\nd\x01\xC3\xBC";
  EXPECT_EQ(std::string(text, ZTJsonWriter::PutString(text, in.data(), (unsigned)in.size())),
            "\"a\\\"b\\\\c\\nd\\u0001\xC3\xBC\"");
}

}  // namespace
