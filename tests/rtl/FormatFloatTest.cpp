#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace qor;

TEST(FormatFloat, PinnedOutputs)
{
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1,234.50");
    EXPECT_EQ(FormatFloat("0.00;(0.00)", -1), "(1.00)");
    EXPECT_EQ(FormatFloat("0.00;(0.00)", 1), "1.00");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1,234,567.89");
    EXPECT_EQ(FormatFloat("#,##0.00", -1234567.891), "-1,234,567.89");
    EXPECT_EQ(FormatFloat("0", 0), "0");
    EXPECT_EQ(FormatFloat("#", 0), "");
    EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
    EXPECT_EQ(FormatFloat("0.##", 1), "1");
    EXPECT_EQ(FormatFloat("0.0#", 1.5), "1.5");
    EXPECT_EQ(FormatFloat("0.0#", 1.555), "1.56");
    EXPECT_EQ(FormatFloat("00000", 42), "00042");
    EXPECT_EQ(FormatFloat("#,##0", 999), "999");
    EXPECT_EQ(FormatFloat("#,##0", 1000), "1,000");
    EXPECT_EQ(FormatFloat("###00", 1), "01");
    EXPECT_EQ(FormatFloat("###00", 48), "48");
    EXPECT_EQ(FormatFloat("0", 123456789), "123456789");
}

TEST(FormatFloat, HalvesRoundAwayFromZeroInDecimal)
{
    EXPECT_EQ(FormatFloat("0", 2.5), "3");
    EXPECT_EQ(FormatFloat("0", 3.5), "4");
    EXPECT_EQ(FormatFloat("0", -2.5), "-3");
    EXPECT_EQ(FormatFloat("0.0", 0.25), "0.3");
    EXPECT_EQ(FormatFloat("0.0", 0.35), "0.4");
    EXPECT_EQ(FormatFloat("0.00", 1.005), "1.01");   // binary 1.00499999999999989...
    EXPECT_EQ(FormatFloat("0.00", 2.675), "2.68");   // binary 2.67499999999999982...
    EXPECT_EQ(FormatFloat("0.00", 0.125), "0.13");
    EXPECT_EQ(FormatFloat("0", 0.5), "1");
    EXPECT_EQ(FormatFloat("0", 0.49), "0");
    EXPECT_EQ(FormatFloat("0", 9.5), "10");
    EXPECT_EQ(FormatFloat("0.00", 9.995), "10.00");
    EXPECT_EQ(FormatFloat("0.0", 0.1 + 0.2), "0.3");
}

TEST(FormatFloat, Sections)
{
    // Negative section without its own sign; missing sections fall back to the first.
    EXPECT_EQ(FormatFloat("0.00;-0.00 'neg'", -2), "-2.00 neg");
    EXPECT_EQ(FormatFloat("0.00;;'zero'", -2), "-2.00");
    EXPECT_EQ(FormatFloat("0.00;(0.00);'Nothing'", 0), "Nothing");
    EXPECT_EQ(FormatFloat("0.00;(0.00);'Nothing'", 5), "5.00");
    // A value that rounds to zero takes the zero section, and never shows a minus sign.
    EXPECT_EQ(FormatFloat("0.00;(0.00);'Nothing'", -0.001), "Nothing");
    EXPECT_EQ(FormatFloat("0.00", -0.001), "0.00");
    EXPECT_EQ(FormatFloat("0.00;(0.00)", -0.001), "0.00");
    // ';' inside quotes does not split.
    EXPECT_EQ(FormatFloat("'a;b' 0", 3), "a;b 3");
}

TEST(FormatFloat, LiteralsAndPlaceholdersInterleave)
{
    EXPECT_EQ(FormatFloat("(###) ###-####", 5551234567.0), "(555) 123-4567");
    EXPECT_EQ(FormatFloat("\"$\"#,##0.00", 12.3), "$12.30");
    EXPECT_EQ(FormatFloat("0 'kg'", 7), "7 kg");
    EXPECT_EQ(FormatFloat("0%", 15), "15%");
    // Digits beyond the placeholders go in front.
    EXPECT_EQ(FormatFloat("00", 12345), "12345");
}

TEST(FormatFloat, Scientific)
{
    EXPECT_EQ(FormatFloat("0.00E+00", 1234.5), "1.23E+03");
    EXPECT_EQ(FormatFloat("0.00E+00", 0.00012345), "1.23E-04");
    EXPECT_EQ(FormatFloat("0.00E-00", 1234.5), "1.23E03");
    EXPECT_EQ(FormatFloat("0.00e+0", 1234.5), "1.23e+3");
    EXPECT_EQ(FormatFloat("0.00E+00", 9.999), "1.00E+01");
    EXPECT_EQ(FormatFloat("0.00E+00", 0), "0.00E+00");
}

TEST(FormatFloat, SettingsAndSpecials)
{
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, fs), "1.234,50");
    EXPECT_EQ(FormatFloat("", 1.5), "1.5");
    EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FormatFloat("0.00", -std::numeric_limits<double>::infinity()), "-INF");
    // Huge values do not produce runaway digit strings.
    EXPECT_EQ(FormatFloat("0.00", 1e300), "1E300");
    EXPECT_EQ(FormatFloat("0.00;(0.00)", -1e300), "-1E300");
    // ... but scientific masks show any magnitude.
    EXPECT_EQ(FormatFloat("0.00E+00", 1e300), "1.00E+300");
    EXPECT_EQ(FormatFloat("0.00E+00", 1.7976931348623157e308), "1.80E+308");
    EXPECT_EQ(FormatFloat("0;0.0E+0", -2.5e20), "2.5E+20");
}

TEST(FormatCurr, ExactDecimalDigits)
{
    EXPECT_EQ(FormatCurr("#,##0.00", Currency::FromRaw(12345000)), "1,234.50");
    EXPECT_EQ(FormatCurr("0.00", Currency::FromRaw(10050)), "1.01");  // 1.005 exactly, half up
    EXPECT_EQ(FormatCurr("0.00;(0.00)", Currency(-3)), "(3.00)");
    EXPECT_EQ(FormatCurr("0", Currency::FromRaw(std::numeric_limits<Int64>::max())), "922337203685478");
    EXPECT_EQ(FormatCurr("###00", Currency(1)), "01");
}

TEST(FloatToStr, ShortestGeneralForm)
{
    EXPECT_EQ(FloatToStr(0.1), "0.1");
    EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");
    EXPECT_EQ(FloatToStr(1e20), "1E20");
    EXPECT_EQ(FloatToStr(1e-5), "1E-5");
    EXPECT_EQ(FloatToStr(0.0001), "0.0001");
    EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
    EXPECT_EQ(FloatToStr(1e15), "1E15");
    EXPECT_EQ(FloatToStr(1e14), "100000000000000");
    EXPECT_EQ(FloatToStr(123.456), "123.456");
    EXPECT_EQ(FloatToStr(-2.5), "-2.5");
    EXPECT_EQ(FloatToStr(0), "0");
    EXPECT_EQ(FloatToStr(-0.0), "0");
    EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FloatToStr(2.0 / 3), "0.666666666666667");
}

TEST(FloatToStrF, Formats)
{
    EXPECT_EQ(FloatToStrF(1234.5678, ffNumber, 15, 2), "1,234.57");
    EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 15, 2), "1234.57");
    EXPECT_EQ(FloatToStrF(-0.001, ffFixed, 15, 2), "0.00");
    EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 4, 2), "1.235E+03");
    EXPECT_EQ(FloatToStrF(0.000123, ffExponent, 3, 0), "1.23E-4");
    EXPECT_EQ(FloatToStrF(1234.5678, ffGeneral, 6, 0), "1234.57");
    EXPECT_EQ(FloatToStrF(1234.5678, ffGeneral, 3, 0), "1.23E3");
    EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2), "$1,234.50");
    EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2), "($1,234.50)");
    EXPECT_EQ(FloatToStrF(1e20, ffFixed, 15, 2), "1E20");
    // The percentage text of a progress display.
    EXPECT_EQ(FloatToStrF(0.4567 * 100, ffNumber, 3, 1), "45.7");
}

TEST(FloatToStrF, CurrencyFormatsFromSettings)
{
    TFormatSettings fs;
    fs.CurrencyString = "EUR";
    fs.CurrencyFormat = 3;
    fs.NegCurrFormat = 8;
    EXPECT_EQ(FloatToStrF(5, ffCurrency, 15, 2, fs), "5.00 EUR");
    EXPECT_EQ(FloatToStrF(-5, ffCurrency, 15, 2, fs), "-5.00 EUR");
    fs.NegCurrFormat = 1;
    fs.CurrencyFormat = 0;
    EXPECT_EQ(FloatToStrF(-5, ffCurrency, 15, 0, fs), "-EUR5");
}

TEST(CurrToStr, Forms)
{
    EXPECT_EQ(CurrToStr(Currency::FromRaw(12345)), "1.2345");
    EXPECT_EQ(CurrToStr(Currency(-7)), "-7");
    EXPECT_EQ(CurrToStr(Currency::FromRaw(std::numeric_limits<Int64>::min())), "-922337203685477.5808");
    EXPECT_EQ(CurrToStrF(Currency::FromRaw(12345), ffFixed, 2), "1.23");
    EXPECT_EQ(CurrToStrF(Currency::FromRaw(12355), ffFixed, 3), "1.236");
    EXPECT_EQ(CurrToStrF(Currency(1234567), ffNumber, 2), "1,234,567.00");
    EXPECT_EQ(CurrToStrF(Currency(-12), ffCurrency, 2), "($12.00)");
}

// Fifteen significant digits are those the C library prints for the double, whatever shortcut
// finds them (amounts of cents, whole numbers, and any other value).
TEST(FloatToStrF, FifteenDigitsAreTheCorrectlyRoundedOnes)
{
    std::vector<double> Values = {0.1 + 0.2, 1.005, 2.675, 1e15, 999999999999999.0, 123456789012345.6, 5e-324,
                                  2.2250738585072014e-308, 1.7976931348623157e308, -0.5, 1.0 / 3};
    for (long long C = -200000; C <= 200000; C += 7)
        for (double Scale : {1.0, 10.0, 100.0, 1000.0, 1e8})
            Values.push_back(static_cast<double>(C) / Scale);
    unsigned long long Bits = 88172645463325252ULL;
    for (int i = 0; i < 20000; ++i) {
        Bits ^= Bits << 13, Bits ^= Bits >> 7, Bits ^= Bits << 17;
        double V;
        std::memcpy(&V, &Bits, sizeof V);
        if (std::isfinite(V))
            Values.push_back(V);
    }
    for (double V : Values) {
        char Buf[64];
        std::snprintf(Buf, sizeof Buf, "%.14e", V);
        String Expected(Buf);
        const std::size_t E = Expected.find('e');
        const int Exp = std::atoi(Expected.c_str() + E + 1);
        Expected = Expected.substr(0, E) + "E" + (Exp < 0 ? "-" : "+") + std::to_string(std::abs(Exp) + 1000).substr(1);
        if (V == 0)
            Expected = (std::signbit(V) ? "-" : "") + String("0.00000000000000E+000");
        EXPECT_EQ(FloatToStrF(V, ffExponent, 15, 3), Expected) << V;
    }
}

// A mask read once formats as the mask does each time.
TEST(NumberMask, FormatsAsFormatFloatAndFormatCurr)
{
    TFormatSettings Default = FormatSettings();
    TFormatSettings German;
    German.DecimalSeparator = ',';
    German.ThousandSeparator = '.';
    // Groups, a negative and an empty section, literals in and out of quotes, padding zeros, a
    // second point, a letter E without a sign, and values whose rounding carries into a new digit.
    for (const char* Mask : {"#,##0.00", "0.00;(0.00);zero", "", "0.###E+00", "'x'#\"y\"0", "#", ";;",
                             "#,##0.00;;'none'", "#,##0;-#,##0 'cr'", "000,000.0#", "0.0.0", "0E0", "#.##",
                             "'open 0", "#,#", ".00", "$ #,##0.##;($ #,##0.##)"})
        for (double V : {0.0, -0.0, 1234.5, -1234.567, 0.125, 1e20, -1e-5, 99.995, 999999.999, -0.5, 1e15,
                         123456789012.345})
            for (const TFormatSettings* S : {&Default, &German}) {
                const TNumberMask M(Mask);
                EXPECT_EQ(M.FormatFloat(V, *S), FormatFloat(Mask, V, *S)) << Mask << " " << V;
                const Currency C(V > 1e14 || V < -1e14 ? 1.0 : V);
                EXPECT_EQ(M.FormatCurr(C, *S), FormatCurr(Mask, C, *S)) << Mask << " " << V;
            }
    // Short masks are laid out on the stack, long ones not: empty literals make no difference.
    const String Long = "#,##0.00;(#,##0.00)" + String(40, '\'');
    for (double V : {0.0, 1234.5, -1234567.891, 0.004})
        EXPECT_EQ(FormatFloat(Long, V), FormatFloat("#,##0.00;(#,##0.00)", V)) << V;
}
