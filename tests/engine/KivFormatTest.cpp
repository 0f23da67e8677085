// Display formats: FormatAsString by kind and mask, letter case, suppressed nulls, hours, and
// FormatAsStream.

#include "platform/rtl/Streams.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Controls.h"
#include "runtime/engine/KivCurr.h"
#include "runtime/engine/KivFloat.h"
#include "runtime/engine/KivFormat.h"
#include "runtime/engine/KivVar.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

struct TFormatCase {
    TKivDataTypes Type;
    const char* Value;  // set through AsString (floats and currency through AsFloat of this text)
    const char* Mask;
    TKivTextCase Case;
    const char* Expected;
};

const TFormatCase GCases[] = {
    // text: plain, edit mask, case
    {dtypeString, "abc", "", tcNone, "abc"},
    {dtypeString, "5551234", "000-0000;0;_", tcNone, "555-1234"},
    {dtypeString, "MixEd é", "", tcUpper, "MIXED é"},
    {dtypeString, "MixEd", "   ", tcLower, "mixed"},
    // numbers: no mask uses FloatFormat/Width/Digits (general, 15)
    {dtypeFloat, "1234.5", "", tcNone, "1234.5"},
    {dtypeInteger, "42", "", tcNone, "42"},
    {dtypeFloat, "1234.567", "#,##0.00", tcNone, "1,234.57"},
    {dtypeInteger, "-3", "0.0;(0.0)", tcNone, "(3.0)"},
    // the hours form counts days; lower case hh:mm is an ordinary float mask
    {dtypeFloat, "0.0625", "HH:MM", tcNone, "01:30"},
    {dtypeFloat, "2", "HH:MM", tcNone, "48:00"},
    {dtypeFloat, "1.5", "HH:MM", tcNone, "36:00"},
    {dtypeFloat, "0.03125", "HH:MM", tcNone, "00:45"},
    {dtypeFloat, "5", "HH:MM", tcNone, "120:00"},
    {dtypeFloat, "-0.0625", "HH:MM", tcNone, "-01:30"},
    {dtypeFloat, "0.0625", "hh:mm", tcNone, "hh:mm"},
    {dtypeCurrency, "0.0625", "HH:MM", tcNone, "01:30"},
    {dtypeCurrency, "-1.5", "HH:MM", tcNone, "-36:00"},
    {dtypeCurrency, "1234.5", "", tcNone, "1234.5"},
    {dtypeCurrency, "1234.5", "#,##0.00", tcNone, "1,234.50"},
    // Booleans: true text; false text
    {dtypeBoolean, "True", "", tcNone, "True"},
    {dtypeBoolean, "True", "Yes;No", tcNone, "Yes"},
    {dtypeBoolean, "False", "Yes;No", tcNone, "No"},
    {dtypeBoolean, "True", "Yes", tcNone, "Yes"},
    {dtypeBoolean, "False", "Yes", tcNone, ""},
    {dtypeBoolean, "True", ";No", tcNone, ""},
    {dtypeBoolean, "False", ";No", tcUpper, "NO"},
    // dates
    {dtypeDateTime, "3/15/2023", "", tcNone, "3/15/2023"},
    {dtypeDateTime, "3/15/2023", "yyyy-mm-dd dddd", tcUpper, "2023-03-15 WEDNESDAY"},
    {dtypeDateTime, "0", "", tcNone, ""},
    // other kinds print their text
    {dtypeUnknown, "", "", tcNone, "Unknown type, check to see if field exists."},
    {dtypeMemo, "line", "##", tcNone, "line"},
};

std::unique_ptr<TKivData> Value(const TFormatCase& C)
{
    auto D = KivNewData(C.Type);
    switch (C.Type) {
    case dtypeFloat:
    case dtypeCurrency:
        D->SetAsFloat(StrToFloat(C.Value));
        break;
    case dtypeDateTime:
        if (String(C.Value) != "0")
            D->SetAsString(C.Value);
        break;
    case dtypeUnknown:
        break;
    default:
        D->SetAsString(C.Value);
    }
    return D;
}

TEST(KivFormat, FormatAsStringByKindAndMask)
{
    for (const TFormatCase& C : GCases) {
        SCOPED_TRACE(EnumName(C.Type) + " '" + C.Value + "' mask '" + C.Mask + "'");
        TKivFormat F;
        F.SetDisplayFormat(C.Mask);
        F.SetTextCase(C.Case);
        auto D = Value(C);
        EXPECT_EQ(F.FormatAsString(D.get()), C.Expected);
        EXPECT_EQ(D->AsFormat(&F), C.Expected);
    }
}

TEST(KivFormat, NumbersWithoutMaskFollowFloatFormatWidthAndDigits)
{
    TKivFormat F;
    TKivFloat V;
    V.SetAsFloat(1234.5678);
    F.SetFloatFormat(ffFixed);
    F.SetDigits(1);
    EXPECT_EQ(F.FormatAsString(&V), "1234.6");
    F.SetFloatFormat(ffNumber);
    F.SetDigits(2);
    EXPECT_EQ(F.FormatAsString(&V), "1,234.57");
    F.SetFloatFormat(ffGeneral);
    F.SetWidth(3);
    EXPECT_EQ(F.FormatAsString(&V), "1.23E03");

    TKivCurrency C;
    C.SetAsFloat(2.5);
    TKivFloatFormat Total; // ffNumber, 2 digits
    EXPECT_EQ(Total.FormatAsString(&C), "2.50");
    Total.SetFloatFormat(ffCurrency);
    Total.SetDigits(0);
    EXPECT_EQ(Total.FormatAsString(&C), "$3"); // Digits 0
    Total.SetUseCurrencyDecimals(true);
    EXPECT_EQ(Total.FormatAsString(&C), "$2.50"); // the locale's two currency decimals
}

TEST(KivFormat, SuppressedNullsPrintNothingWhateverTheCase)
{
    TKivFormat F;
    F.SetTextCase(tcUpper);
    TKivInteger I;
    I.SetIsNull(true);
    EXPECT_EQ(F.FormatAsString(&I), "0"); // a null prints its reset value unless suppressed
    F.SetSuppressNulls(true);
    EXPECT_EQ(F.FormatAsString(&I), "");
    TKivBlob B;
    B.SetIsNull(true);
    EXPECT_EQ(F.FormatAsString(&B), ""); // not even a blob complains
    B.SetIsNull(false);
    EXPECT_THROW(F.FormatAsString(&B), Exception);
}

TEST(KivFormat, FormatAsStreamIsAByteOrderMarkAndUtf16)
{
    TKivFormat F;
    TKivString S;
    TStream* Empty = F.FormatAsStream(&S);
    EXPECT_EQ(Empty->Size(), 2);
    Byte Bytes[8] = {};
    Empty->ReadBuffer(Bytes, 2);
    EXPECT_EQ(Bytes[0], 0xFF);
    EXPECT_EQ(Bytes[1], 0xFE);

    S.SetAsString("Aé");
    F.SetTextCase(tcLower);
    TStream* Out = F.FormatAsStream(&S);
    EXPECT_EQ(Out, Empty); // one stream, owned by the format
    EXPECT_EQ(Out->Position(), 0);
    ASSERT_EQ(Out->Size(), 6);
    Out->ReadBuffer(Bytes, 6);
    const Byte Expected[6] = {0xFF, 0xFE, 'a', 0, 0xE9, 0};
    for (int I = 0; I < 6; ++I)
        EXPECT_EQ(Bytes[I], Expected[I]) << I;
}

// A label stand-in that counts repaints.
class TCountingLabel : public TControl {
public:
    TCountingLabel() : TControl(nullptr) {}
    void Invalidate() override { ++Count; }
    Integer Count = 0;
};

TEST(KivFormat, ChangesRepaintTheLabelOnlyWhenAValueChanges)
{
    TCountingLabel Label;
    TKivFormat F;
    F.SetKivLabel(&Label);
    F.SetDisplayFormat("0.00");
    F.SetDisplayFormat("0.00");
    F.SetTextCase(tcUpper);
    F.SetFloatFormat(ffGeneral); // unchanged
    F.SetWidth(10);
    F.SetDigits(3);
    F.SetSuppressNulls(true);
    F.SetUseCurrencyDecimals(true);
    EXPECT_EQ(Label.Count, 6);
}

TEST(KivFormat, PublishedPropertiesAndDefaults)
{
    TKivFloatFormat Total;
    EXPECT_EQ(Total.FloatFormat(), ffNumber);
    EXPECT_EQ(Total.Digits(), 2);
    EXPECT_EQ(Total.Width(), 15);
    EXPECT_EQ(GetPropText(&Total, "FloatFormat"), "ffNumber");
    SetPropText(&Total, "TextCase", "tcLower");
    EXPECT_EQ(Total.TextCase(), tcLower);
    TKivFormat Plain;
    EXPECT_EQ(GetPropText(&Plain, "Digits"), "0");
    EXPECT_EQ(GetPropText(&Plain, "DisplayFormat"), "");
}

} // namespace
