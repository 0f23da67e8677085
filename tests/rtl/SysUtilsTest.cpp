#include "common/TestErrors.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <limits>

using namespace qor;
using test::ErrorOf;

namespace {

} // namespace

TEST(SysUtils, IntegersToText)
{
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::min()), "-9223372036854775808");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(-1, 1), "FFFFFFFF");
    EXPECT_EQ(IntToHex(Int64(-1), 1), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(Byte(0xAB), 0), "AB");
    EXPECT_EQ(IntToHex(0, 0), "0");
}

TEST(SysUtils, TextToIntegers)
{
    EXPECT_EQ(StrToInt("123"), 123);
    EXPECT_EQ(StrToInt("  -17"), -17);
    EXPECT_EQ(StrToInt("+5"), 5);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0x1f"), 31);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<Integer>::min());
    EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<Int64>::max());
    EXPECT_EQ(ErrorOf<EConvertError>([] { StrToInt("abc"); }), "'abc' is not a valid integer value");
    EXPECT_THROW(StrToInt("2147483648"), EConvertError);
    EXPECT_THROW(StrToInt("12 "), EConvertError);
    EXPECT_THROW(StrToInt(""), EConvertError);
    EXPECT_THROW(StrToInt("-"), EConvertError);
    EXPECT_THROW(StrToInt("$"), EConvertError);
    EXPECT_THROW(StrToInt("1.5"), EConvertError);
    EXPECT_THROW(StrToInt("99999999999999999999999"), EConvertError);
    EXPECT_EQ(StrToIntDef("x", 7), 7);
    Integer v = 3;
    EXPECT_FALSE(TryStrToInt("1e3", v));
    EXPECT_EQ(v, 3);
    Int64 w;
    EXPECT_TRUE(TryStrToInt64("-9223372036854775808", w));
    EXPECT_EQ(w, std::numeric_limits<Int64>::min());
}

TEST(SysUtils, TextToFloats)
{
    EXPECT_DOUBLE_EQ(StrToFloat("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(StrToFloat(" -2.5e3 "), -2500);
    EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("5."), 5);
    EXPECT_DOUBLE_EQ(StrToFloat("1E-400"), 0);
    EXPECT_EQ(ErrorOf<EConvertError>([] { StrToFloat("x"); }), "'x' is not a valid floating point value");
    EXPECT_THROW(StrToFloat("1,5"), EConvertError);
    EXPECT_THROW(StrToFloat("1e"), EConvertError);
    EXPECT_THROW(StrToFloat("1e999"), EConvertError);
    EXPECT_THROW(StrToFloat("-999e306"), EConvertError);
    EXPECT_DOUBLE_EQ(StrToFloat("0.000123e-320"), 0);
    EXPECT_DOUBLE_EQ(StrToFloat("0e999"), 0);
    // Exponents beyond any integer type: underflow is still zero, overflow still an error.
    EXPECT_DOUBLE_EQ(StrToFloat("1e-99999999999999999999"), 0);
    EXPECT_DOUBLE_EQ(StrToFloat("0e99999999999999999999"), 0);
    EXPECT_THROW(StrToFloat("1e99999999999999999999"), EConvertError);
    EXPECT_THROW(StrToFloat("nan"), EConvertError);
    EXPECT_THROW(StrToFloat("1.2.3"), EConvertError);
    EXPECT_THROW(StrToFloat(""), EConvertError);
    TFormatSettings fs;
    fs.DecimalSeparator = ',';
    EXPECT_DOUBLE_EQ(StrToFloat("1,5", fs), 1.5);
    EXPECT_THROW(StrToFloat("1.5", fs), EConvertError);
    EXPECT_DOUBLE_EQ(StrToFloatDef("zz", 9.5), 9.5);
    // What FloatToStr writes, StrToFloat reads back.
    for (double d : {0.1, 123.456, 1e20, 1e-5, -7.25, 3.14159265358979})
        EXPECT_DOUBLE_EQ(StrToFloat(FloatToStr(d)), d);
}

TEST(SysUtils, TextToCurrencyIsExact)
{
    EXPECT_EQ(StrToCurr("1.2345").Raw(), 12345);
    EXPECT_EQ(StrToCurr("-0.00005").Raw(), 0);
    EXPECT_EQ(StrToCurr("0.00015").Raw(), 2);
    EXPECT_EQ(StrToCurr("1.5e2").Raw(), 1500000);
    EXPECT_EQ(StrToCurr("922337203685477.5807").Raw(), std::numeric_limits<Int64>::max());
    EXPECT_EQ(StrToCurr("-922337203685477.5808").Raw(), std::numeric_limits<Int64>::min());
    EXPECT_THROW(StrToCurr("922337203685477.5808"), EConvertError);
    EXPECT_THROW(StrToCurr("1e30"), EConvertError);
    EXPECT_THROW(StrToCurr("$5"), EConvertError);
    EXPECT_EQ(StrToCurr("0.000000000000000000000000000000000000001").Raw(), 0);
    EXPECT_EQ(StrToCurrDef("bad", Currency(4)), Currency(4));
    EXPECT_EQ(StrToCurr("1e-99999999999").Raw(), 0);
    EXPECT_EQ(StrToCurr("0e99999999999").Raw(), 0);
    EXPECT_THROW(StrToCurr("1e99999999999"), EConvertError);
    EXPECT_EQ(StrToCurr(CurrToStr(Currency::FromRaw(-98765))).Raw(), -98765);
}

TEST(Format, Integers)
{
    EXPECT_EQ(Format("%d items of %s", {3, "x"}), "3 items of x");
    EXPECT_EQ(Format("%5d|%-5d|%.3d", {42, 42, 7}), "   42|42   |007");
    EXPECT_EQ(Format("%d", {Int64(-9000000000)}), "-9000000000");
    EXPECT_EQ(Format("%u", {-1}), "4294967295");
    EXPECT_EQ(Format("%x %.4X", {255, 10}), "FF 000A");
    EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");
    EXPECT_EQ(Format("%*d", {6, 12}), "    12");
    EXPECT_EQ(Format("%.*d", {4, 12}), "0012");
    EXPECT_EQ(Format("100%%", {}), "100%");
}

TEST(Format, LiteralsPercentSignsAndArgumentOrder)
{
    EXPECT_EQ(Format("%%%d%%", {5}), "%5%");
    EXPECT_EQ(Format("%%d", {}), "%d");
    EXPECT_EQ(Format("%S=%D", {"x", 3}), "x=3");
    // An index moves the argument position; '*' takes the next argument.
    EXPECT_EQ(Format("%0:s%0:s|%-*d|", {"ab", 4, 7}), "abab|7   |");
}

TEST(Format, FloatsAndCurrency)
{
    EXPECT_EQ(Format("%f", {1.5}), "1.50");
    EXPECT_EQ(Format("%.3f", {2.0 / 3}), "0.667");
    EXPECT_EQ(Format("%.0f", {2.5}), "3");
    EXPECT_EQ(Format("%n", {1234567.891}), "1,234,567.89");
    EXPECT_EQ(Format("%m", {-5.5}), "($5.50)");
    EXPECT_EQ(Format("%g", {0.1}), "0.1");
    EXPECT_EQ(Format("%e", {1234.5}), "1.23450000000000E+003");
    EXPECT_EQ(Format("%.2e", {1234.5}), "1.2E+003");
    EXPECT_EQ(Format("%m", {Currency::FromRaw(12345)}), "$1.23");
    EXPECT_EQ(Format("%8.1f|", {3.14159}), "     3.1|");
}

TEST(Format, TextPointersAndIndexes)
{
    EXPECT_EQ(Format("%s-%s", {String("a"), std::string_view("b")}), "a-b");
    EXPECT_EQ(Format("[%5s][%-5s][%.2s]", {"ab", "ab", "abcdef"}), "[   ab][ab   ][ab]");
    EXPECT_EQ(Format("%s", {'c'}), "c");
    EXPECT_EQ(Format("%1:s %0:s %s", {"a", "b"}), "b a b");
    EXPECT_EQ(Format("[%.1s]", {"\xC3\xA9t\xC3\xA9"}), "[\xC3\xA9]");      // never splits a character
    EXPECT_EQ(Format("[%3s]", {"\xC3\xA9"}), "[  \xC3\xA9]");
    int x = 0;
    EXPECT_EQ(Format("%p", {static_cast<const void*>(&x)}).size(), 16u);
    EXPECT_EQ(Format("%s", {static_cast<const char*>(nullptr)}), "");
}

TEST(Format, BadFormatsRaiseClearErrors)
{
    EXPECT_EQ(ErrorOf<EConvertError>([] { Format("%d", {"x"}); }), "Format '%d' invalid or incompatible with argument");
    EXPECT_EQ(ErrorOf<EConvertError>([] { Format("%s %s", {"x"}); }), "No argument for format '%s %s'");
    EXPECT_THROW(Format("%f", {3}), EConvertError);
    EXPECT_THROW(Format("%s", {1.5}), EConvertError);
    EXPECT_THROW(Format("%q", {1}), EConvertError);
    EXPECT_THROW(Format("abc %", {1}), EConvertError);
    EXPECT_THROW(Format("%5:d", {1}), EConvertError);
    EXPECT_THROW(Format("%99999999d", {1}), EConvertError);
    EXPECT_THROW(Format("%*d", {"x", 1}), EConvertError);
    // Widths and precisions from the arguments obey the same limit as written ones.
    EXPECT_THROW(Format("%*d", {2000000000, 1}), EConvertError);
    EXPECT_THROW(Format("%*d", {std::numeric_limits<Int64>::min(), 1}), EConvertError);
    EXPECT_THROW(Format("%.*d", {2000000000, 1}), EConvertError);
    EXPECT_EQ(Format("%*d|", {-3, 1}), "1  |");
}

TEST(FormatMaskText, SaveLiteralsAndBlanks)
{
    EXPECT_EQ(FormatMaskText("(999) 000-0000;0;_", "5551234567"), "(555) 123-4567");
    EXPECT_EQ(FormatMaskText("(999) 000-0000;0;_", "555123"), "(555) 123-____");
    EXPECT_EQ(FormatMaskText("(999) 000-0000;1;_", "(555) 123-4567"), "(555) 123-4567");
    EXPECT_EQ(FormatMaskText("000-00-0000;0", "123456789"), "123-45-6789");
    EXPECT_EQ(FormatMaskText("000-00-0000;0", "12345"), "123-45-    ");
    EXPECT_EQ(FormatMaskText("!99/99/00;1;_", "12/31/99"), "12/31/99");
    EXPECT_EQ(FormatMaskText("!999;0;*", "5"), "**5");
}

TEST(ConformToMask, KeepsWhatEachPositionTakesAndNothingPastTheEnd)
{
    EXPECT_EQ(ConformToMask("999999;0", "12a3"), "123");
    EXPECT_EQ(ConformToMask("999999;0", "1234567"), "123456");
    EXPECT_EQ(ConformToMask("999999;0", "-5"), "5");
    EXPECT_EQ(ConformToMask("#99;0", "-5x"), "-5");
    EXPECT_EQ(ConformToMask(">LL<ll;0", "a1bCD"), "ABcd");
    EXPECT_EQ(ConformToMask("AA;0", "\xC3\xA9!7"), "\xC3\xA9" "7");
    // literals: typed where they stand or passed over; saved only when the mask says so
    EXPECT_EQ(ConformToMask("(999) 000;0", "(555) 12"), "55512");
    EXPECT_EQ(ConformToMask("(999) 000;1", "55512"), "(555) 12");
    EXPECT_EQ(ConformToMask("(999) 000;1", "(555) 123"), "(555) 123");
    EXPECT_EQ(ConformToMask("", "as is"), "as is");
    // what the mask keeps it keeps again: the edit settles at once
    for (const char* mask : {"999999;0", "(999) 000;1", ">LL<ll;0"}) {
        const String once = ConformToMask(mask, "(12) ab34CDxyz");
        EXPECT_EQ(ConformToMask(mask, once), once) << mask;
    }
}

TEST(FormatMaskText, CaseAndEscapes)
{
    EXPECT_EQ(FormatMaskText(">LL<ll;0;_", "abCD"), "ABcd");
    EXPECT_EQ(FormatMaskText(">L<>l;0;_", "ab"), "Ab");
    EXPECT_EQ(FormatMaskText("\\A\\999;0;_", "12"), "A912");
    EXPECT_EQ(FormatMaskText(">cc;0", "\xC3\xA9x"), "\xC3\x89X");
    EXPECT_EQ(FormatMaskText("", "as is"), "as is");
    TFormatSettings saved = FormatSettings();
    FormatSettings().DateSeparator = '.';
    EXPECT_EQ(FormatMaskText("00/00;0", "1231"), "12.31");
    FormatSettings() = saved;
}

TEST(FormatSettings, GlobalDefaultsAreUsEnglish)
{
    const TFormatSettings& fs = FormatSettings();
    EXPECT_EQ(fs.DecimalSeparator, '.');
    EXPECT_EQ(fs.ThousandSeparator, ',');
    EXPECT_EQ(fs.CurrencyString, "$");
    EXPECT_EQ(fs.ShortDateFormat, "M/d/yyyy");
    EXPECT_EQ(fs.LongTimeFormat, "h:mm:ss AMPM");
    EXPECT_EQ(fs.LongMonthNames[11], "December");
    EXPECT_EQ(fs.ShortDayNames[0], "Sun");
    // Changing the global changes the default forms; explicit settings are unaffected.
    FormatSettings().DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(1.5), "1,5");
    EXPECT_EQ(FloatToStr(1.5, DefaultFormatSettings()), "1.5");
    FormatSettings() = DefaultFormatSettings();
    EXPECT_EQ(FloatToStr(1.5), "1.5");
}
