#include "resdata/resource_crc.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/resdata/res_fixture.h"

namespace {

TEST(ResourceCrc, KnownValuesIncludingTheShortAndEmptyForms) {
  EXPECT_EQ(0x5978A081u, ResourceCrc("abc", 3));
  EXPECT_EQ(0x61626364u, ResourceCrc("abcd", 4));
  EXPECT_EQ(0x96F31F11u, ResourceCrc(nullptr, 0));
  EXPECT_EQ(0x96F31F11u, ResourceCrc("", 0));
  // Four bytes alone give themselves back, read big-endian.
  EXPECT_EQ(0xDEADBEEFu, ResourceCrc("\xDE\xAD\xBE\xEF", 4));
}

TEST(ResourceCrc, SlicedFormAgreesWithTheByteLoopAtEveryLengthAndAlignment) {
  const std::string data = resfixture::Noise(4096 + 64, 7);
  for (size_t start = 0; start < 16; ++start) {
    for (size_t length = 0; length < 300; ++length) {
      ASSERT_EQ(ResourceCrcBytewise(data.data() + start, length), ResourceCrc(data.data() + start, length))
          << "start " << start << " length " << length;
    }
  }
  EXPECT_EQ(ResourceCrcBytewise(data.data(), data.size()), ResourceCrc(data.data(), data.size()));
}

TEST(ResourceCrc, AnyFlippedBitChangesTheValue) {
  std::string data = resfixture::Noise(100, 3);
  const uint32_t good = ResourceCrc(data.data(), data.size());
  for (size_t bit = 0; bit < data.size() * 8; bit += 13) {
    std::string bad = data;
    bad[bit / 8] = char(bad[bit / 8] ^ (1 << (bit % 8)));
    EXPECT_NE(good, ResourceCrc(bad.data(), bad.size())) << "bit " << bit;
  }
}

}  // namespace
