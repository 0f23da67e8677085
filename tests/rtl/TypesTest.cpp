#include "platform/rtl/Types.h"

#include <gtest/gtest.h>

using namespace qor;

TEST(Rounding, RoundGoesToEvenOnHalves)
{
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(3.5), 4);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(-3.5), -4);
    EXPECT_EQ(Round(2.4999), 2);
    EXPECT_EQ(Round(2.5001), 3);
}

TEST(Rounding, TruncAndFracKeepTheSign)
{
    EXPECT_EQ(Trunc(-1.75), -1);
    EXPECT_EQ(Trunc(1.75), 1);
    EXPECT_DOUBLE_EQ(Frac(-1.25), -0.25);
    EXPECT_DOUBLE_EQ(Frac(3.5), 0.5);
}

TEST(Rounding, MulDivRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(5, -1, 2), -3);
    EXPECT_EQ(MulDiv(7, 1, 3), 2);
    EXPECT_EQ(MulDiv(10, 600, 72), 83); // a 10-point font at 600 pixels per inch
    EXPECT_EQ(MulDiv(1, 2, 0), -1);
    EXPECT_EQ(MulDiv(0x7fffffff, 0x7fffffff, 1), -1); // overflow
    EXPECT_EQ(MulDiv(0x7fffffff, 0x7fffffff, 0x7fffffff), 0x7fffffff);
}
