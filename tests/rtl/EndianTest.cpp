#include "platform/rtl/Endian.h"

#include <gtest/gtest.h>

#include <array>

using namespace qor;

namespace {

constexpr std::array<Byte, 6> Sample = {0x34, 0x12, 0xFE, 0xFF, 0xFF, 0x80};
static_assert(GetLE16(Sample, 0) == 0x1234);
static_assert(GetLE16s(Sample, 2) == -2);
static_assert(GetLE32(Sample, 2) == 0x80FFFFFEu);
static_assert(GetBE32(Sample, 0) == 0x3412FEFFu);

} // namespace

TEST(Endian, ReadsSignedAndUnsignedAtAnyOffset)
{
    const std::vector<Byte> D = {0x00, 0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x00, 0x80};
    EXPECT_EQ(GetLE32(D, 1), 0x12345678u);
    EXPECT_EQ(GetLE32s(D, 5), Integer(0x80000000u));
    EXPECT_EQ(GetLE16s(D, 7), SmallInt(-32768));
    EXPECT_EQ(GetBE32(D, 1), 0x78563412u);
}

TEST(Endian, AppendedAndOverwrittenValuesReadBack)
{
    std::vector<Byte> D;
    PutLE16(D, 0xBEEF);
    PutLE32(D, 0xDEADBEEFu);
    ASSERT_EQ(D, (std::vector<Byte>{0xEF, 0xBE, 0xEF, 0xBE, 0xAD, 0xDE}));
    SetLE32(D, 2, 0x01020304u);
    SetLE16(D, 0, 0xFFFE);
    EXPECT_EQ(GetLE16(D, 0), 0xFFFE);
    EXPECT_EQ(GetLE32(D, 2), 0x01020304u);
    EXPECT_EQ(D.size(), 6u);
}
