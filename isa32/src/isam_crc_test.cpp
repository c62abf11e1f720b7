// The block checksum against a bit-by-bit reference, for every length and
// alignment the lanes of the fast path split differently.
#include <stdint.h>

#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "isam_format.h"
#include "isam_test_util.h"

TEST(IsamCrc, EqualsTheBitwiseChecksum) {
  EXPECT_EQ(0xE3069283u, isam::crc32c(0, "123456789", 9));
  std::mt19937 rng(3);
  std::vector<uint8_t> data(70000 + 8);
  for (uint8_t& b : data) b = uint8_t(rng());
  std::vector<size_t> lengths;
  for (size_t n = 0; n <= 2400; ++n) lengths.push_back(n);
  for (size_t n : {4092u, 4096u, 65532u, 70000u}) lengths.push_back(n);
  for (size_t n : lengths) {
    const size_t at = rng() % 8;
    const uint32_t seed = rng() % 2 ? 0 : uint32_t(rng());
    ASSERT_EQ(isamtest::crc32c(seed, data.data() + at, n), isam::crc32c(seed, data.data() + at, n))
        << "length " << n << " at " << at;
  }
  // A checksum carried on over pieces equals the one over the whole.
  const uint32_t whole = isam::crc32c(0, data.data(), 5000);
  EXPECT_EQ(whole, isam::crc32c(isam::crc32c(0, data.data(), 1234), data.data() + 1234, 5000 - 1234));
}
