#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace qor;

TEST(DateTime, EncodeKnownSerials)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
    EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    EXPECT_DOUBLE_EQ(EncodeTime(23, 59, 59, 999), 86399999.0 / 86400000.0);
}

TEST(DateTime, InvalidInputRaises)
{
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2024, 0, 1), EConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(10000, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2024, 4, 31), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 60, 0), EConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);
    TDateTime d = 123;
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, d));
    EXPECT_EQ(d, 123);
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, d));
}

TEST(DateTime, LeapYearsAndMonthLengths)
{
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2100, 2), 28);
    EXPECT_EQ(DaysInMonth(2024, 12), 31);
    EXPECT_EQ(DaysInMonth(2024, 13), 0);
    EXPECT_EQ(DaysInMonth(EncodeDate(2024, 4, 10)), 30);
}

TEST(DateTime, DecodeRoundTripsEveryDayOfSeveralCenturies)
{
    for (Integer serial = -40000; serial <= 80000; ++serial) {
        Word y, m, d;
        DecodeDate(serial, y, m, d);
        ASSERT_EQ(EncodeDate(y, m, d), serial) << y << "-" << m << "-" << d;
    }
}

TEST(DateTime, DecodeTimeRoundsToMilliseconds)
{
    Word h, n, s, ms;
    DecodeTime(EncodeTime(13, 45, 30, 250), h, n, s, ms);
    EXPECT_EQ(h, 13);
    EXPECT_EQ(n, 45);
    EXPECT_EQ(s, 30);
    EXPECT_EQ(ms, 250);
    // Every millisecond of a few spread hours survives encode/decode.
    for (Integer t = 0; t < MSecsPerDay; t += 997) {
        const TDateTime v = 45000 + EncodeTime(static_cast<Word>(t / 3600000), static_cast<Word>(t / 60000 % 60),
                                               static_cast<Word>(t / 1000 % 60), static_cast<Word>(t % 1000));
        DecodeTime(v, h, n, s, ms);
        ASSERT_EQ(((h * 60 + n) * 60 + s) * 1000 + ms, t);
    }
}

TEST(DateTime, TimeJustBeforeMidnightCarriesIntoNextDay)
{
    // 23:59:59.9999 rounds to 24:00: it must read as the next day at 00:00, never as hour 24.
    const TDateTime v = EncodeDate(2024, 12, 31) + (MSecsPerDay - 0.1) / MSecsPerDay;
    Word y, m, d, h, n, s, ms;
    DecodeDate(v, y, m, d);
    DecodeTime(v, h, n, s, ms);
    EXPECT_EQ(y, 2025);
    EXPECT_EQ(m, 1);
    EXPECT_EQ(d, 1);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(n, 0);
}

TEST(DateTime, NegativeValuesKeepAPositiveTimeOfDay)
{
    // -1.25 is 1899-12-29 06:00.
    Word y, m, d, h, n, s, ms;
    DecodeDate(-1.25, y, m, d);
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ(y, 1899);
    EXPECT_EQ(m, 12);
    EXPECT_EQ(d, 29);
    EXPECT_EQ(h, 6);
    EXPECT_DOUBLE_EQ(ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0)), -1.25);
    EXPECT_DOUBLE_EQ(ComposeDateTime(EncodeDate(1800, 1, 1), 0.75), EncodeDate(1800, 1, 1) - 0.75);
    EXPECT_DOUBLE_EQ(TimeOf(-1.25), 0.25);
    EXPECT_DOUBLE_EQ(DateOf(-1.25), -1.0);
}

TEST(DateTime, OutOfRangeDecodesAsZeroes)
{
    Word y = 1, m = 1, d = 1;
    DecodeDate(1e12, y, m, d);
    EXPECT_EQ(y, 0);
    DecodeDate(std::numeric_limits<double>::quiet_NaN(), y, m, d);
    EXPECT_EQ(m, 0);
}

TEST(DateTime, DayOfWeekStartsOnSunday)
{
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7); // Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 7)), 1);   // Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 8)), 2);
    EXPECT_EQ(DayOfWeek(EncodeDate(1776, 7, 4)), 5);   // Thursday
    EXPECT_EQ(DayOfWeek(EncodeDate(1776, 7, 4) - 0.5), 5);
}

TEST(DateTime, NowIsConsistent)
{
    const TDateTime now = Now();
    EXPECT_GT(now, EncodeDate(2020, 1, 1));
    EXPECT_LE(Date(), now);
    EXPECT_GE(Time(), 0.0);
    EXPECT_LT(Time(), 1.0);
}

TEST(DateTime, IncMonthClipsTheDay)
{
    EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31), 1), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 15), -3), EncodeDate(2023, 12, 15));
    EXPECT_DOUBLE_EQ(IncMonth(EncodeDate(2024, 1, 1) + 0.5, 12), EncodeDate(2025, 1, 1) + 0.5);
}

// ---- Currency --------------------------------------------------------------------------------

TEST(Currency, WholeTenThousandthsConvertExactlyAtEveryMagnitude)
{
    for (Int64 K : {1LL, -1LL, 3LL, 12500LL, 99999LL, 123456789LL, -987654321012LL, 12345678901234LL,
                    999999999999999LL, -999999999999999LL}) {
        EXPECT_EQ(Currency(static_cast<Double>(K) / 10000).Raw(), K) << K;
    }
    // beyond 15 digits the decimal value to 15 significant digits decides
    EXPECT_EQ(Currency(1234567890123.45678).Raw(), 12345678901234600LL);
    EXPECT_EQ(Currency(0.30000000000000004).Raw(), 3000);
    EXPECT_EQ(Currency(-2.675).Raw(), -26750);
}

TEST(Currency, FromDoubleRoundsHalvesToEvenOnTheDecimalValue)
{
    EXPECT_EQ(Currency(1.5).Raw(), 15000);
    EXPECT_EQ(Currency(0.00005).Raw(), 0);
    EXPECT_EQ(Currency(0.00015).Raw(), 2);
    EXPECT_EQ(Currency(0.00025).Raw(), 2);
    EXPECT_EQ(Currency(-0.00015).Raw(), -2);
    EXPECT_EQ(Currency(0.1).Raw(), 1000);
    EXPECT_EQ(Currency(1.23456).Raw(), 12346);
    EXPECT_EQ(Currency(922337203685477.0).Raw(), 9223372036854770000);
    EXPECT_THROW(Currency(1e16), ECurrencyError);
    EXPECT_THROW(Currency(std::numeric_limits<double>::quiet_NaN()), ECurrencyError);
    EXPECT_DOUBLE_EQ(Currency::FromRaw(12345).ToDouble(), 1.2345);
}

TEST(Currency, Arithmetic)
{
    const Currency a = Currency::FromRaw(15000); // 1.5
    const Currency b(2);
    EXPECT_EQ((a + b).Raw(), 35000);
    EXPECT_EQ((a - b).Raw(), -5000);
    EXPECT_EQ((a * b).Raw(), 30000);
    EXPECT_EQ((b / a).Raw(), 13333);
    EXPECT_EQ((a * 3).Raw(), 45000);
    EXPECT_EQ((Currency(1) / 3).Raw(), 3333);
    // 0.0001 * 0.5 = 0.00005: half to even gives 0; 0.0003 * 0.5 = 0.00015 gives 0.0002.
    EXPECT_EQ((Currency::FromRaw(1) * Currency::FromRaw(5000)).Raw(), 0);
    EXPECT_EQ((Currency::FromRaw(3) * Currency::FromRaw(5000)).Raw(), 2);
    EXPECT_EQ((Currency(-1) / Currency(-4)).Raw(), 2500);
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(b == Currency(2));
    EXPECT_TRUE(Currency(0) == Currency());
    Currency c = a;
    c += b;
    EXPECT_EQ(c.Raw(), 35000);
}

TEST(Currency, OverflowAndDivisionByZeroRaise)
{
    const Currency max = Currency::FromRaw(std::numeric_limits<Int64>::max());
    EXPECT_THROW(max + Currency::FromRaw(1), ECurrencyError);
    EXPECT_THROW(max * Currency(2), ECurrencyError);
    EXPECT_THROW(-Currency::FromRaw(std::numeric_limits<Int64>::min()), ECurrencyError);
    EXPECT_THROW(Currency(1) / Currency(), ECurrencyError);
    EXPECT_THROW(Currency(1) / Int64(0), ECurrencyError);
    EXPECT_THROW(Currency::FromInt64(std::numeric_limits<Int64>::max() / 100), ECurrencyError);
}
