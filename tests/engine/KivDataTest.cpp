// Typed values: the conversion table of every kind, nulls, and what SetData carries between every
// pair of kinds.

#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"
#include "runtime/engine/KivCurr.h"
#include "runtime/engine/KivFloat.h"
#include "runtime/engine/KivVar.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qor;

namespace {

// The outcome of one conversion as text: the value, "abstract", or the class of what was raised.
String Outcome(const std::function<String()>& F)
{
    try {
        return F();
    } catch (const EAbstractError&) {
        return "abstract";
    } catch (const EConvertError&) {
        return "EConvertError";
    } catch (const Exception& E) {
        return "raise: " + E.Message();
    }
}

String Hex(TStream* S)
{
    static const char* const Digits = "0123456789ABCDEF";
    String R;
    S->SetPosition(0);
    Byte B;
    while (S->Read(&B, 1) == 1) {
        if (!R.empty())
            R += ' ';
        R += Digits[B >> 4];
        R += Digits[B & 15];
    }
    S->SetPosition(0);
    return R;
}

String BytesOf(TKivData* D) { return Hex(D->AsStream()); }

// A value of each kind holding a sample.
std::unique_ptr<TKivData> Sample(TKivDataTypes Type)
{
    std::unique_ptr<TKivData> D = KivNewData(Type);
    switch (Type) {
    case dtypeString:
        D->SetAsString("12");
        break;
    case dtypeInteger:
        D->SetAsInteger(42);
        break;
    case dtypeDateTime:
        D->SetAsDateTime(45000.5);
        break;
    case dtypeBoolean:
        D->SetAsBoolean(true);
        break;
    case dtypeBlob: {
        TMemoryStream S;
        S.WriteBuffer("AB", 2);
        D->SetAsStream(&S);
        break;
    }
    case dtypeMemo:
        D->SetAsString("a");
        break;
    case dtypeGraphic: {
        TMemoryStream S;
        S.WriteBuffer("G", 1);
        D->SetValue(TKivRawValue(static_cast<TStream*>(&S)));
        break;
    }
    case dtypeFloat:
        D->SetAsFloat(2.5);
        break;
    case dtypeCurrency:
        D->SetAsCurrency(Currency(1.25));
        break;
    default:
        break;
    }
    return D;
}

struct TGetRow {
    TKivDataTypes Type;
    const char* AsString;
    const char* AsInteger;
    const char* AsFloat;
    const char* AsCurrency;
    const char* AsDateTime;
    const char* AsBoolean;
};

const char* const BlobText = "raise: I am not allowing blob or graphic value AsString.";

const TGetRow GGetters[] = {
    {dtypeString, "12", "12", "12", "0", "EConvertError", "False"},
    {dtypeInteger, "42", "42", "42", "0", "abstract", "True"},
    {dtypeDateTime, "3/15/2023", "abstract", "45000.5", "0", "45000.5", "False"},
    {dtypeBoolean, "True", "1", "1", "0", "abstract", "True"},
    {dtypeBlob, BlobText, "abstract", "0", "0", "abstract", "False"},
    {dtypeMemo, "a", "abstract", "0", "0", "abstract", "False"},
    {dtypeGraphic, BlobText, "abstract", "0", "0", "abstract", "False"},
    {dtypeUnknown, "Unknown type, check to see if field exists.", "abstract", "0", "0", "abstract", "False"},
    {dtypeFloat, "2.5", "2", "2.5", "0", "abstract", "True"},
    {dtypeCurrency, "1.25", "1", "1.25", "1.25", "abstract", "True"},
};

TEST(KivDataConversions, EveryKindReadsAsEveryType)
{
    for (const TGetRow& R : GGetters) {
        SCOPED_TRACE(EnumName(R.Type));
        auto D = Sample(R.Type);
        EXPECT_EQ(D->DataType(), R.Type);
        EXPECT_EQ(Outcome([&] { return D->AsString(); }), R.AsString);
        EXPECT_EQ(Outcome([&] { return IntToStr(D->AsInteger()); }), R.AsInteger);
        EXPECT_EQ(Outcome([&] { return FloatToStr(D->AsFloat()); }), R.AsFloat);
        EXPECT_EQ(Outcome([&] { return CurrToStr(D->AsCurrency()); }), R.AsCurrency);
        EXPECT_EQ(Outcome([&] { return FloatToStr(D->AsDateTime()); }), R.AsDateTime);
        EXPECT_EQ(Outcome([&] { return String(D->AsBoolean() ? "True" : "False"); }), R.AsBoolean);
    }
}

// What each setter leaves, read back as text (blob kinds: their bytes).
struct TSetRow {
    TKivDataTypes Type;
    const char* SetAsString;   // "1/2/2000"
    const char* SetAsInteger;  // -7
    const char* SetAsFloat;    // -7.9
    const char* SetAsCurrency; // 7.5
    const char* SetAsDateTime; // 45000.25
    const char* SetAsBoolean;  // True
};

const TSetRow GSetters[] = {
    {dtypeString, "1/2/2000", "-7", "-7.9", "abstract", "3/15/2023", "True"},
    {dtypeInteger, "EConvertError", "-7", "-7", "abstract", "abstract", "1"},
    {dtypeDateTime, "36527", "abstract", "-7.9", "abstract", "45000.25", "abstract"},
    {dtypeBoolean, "False", "True", "True", "abstract", "abstract", "True"},
    {dtypeBlob, "FF FE 31 00 2F 00 32 00 2F 00 32 00 30 00 30 00 30 00", "abstract", "abstract", "abstract", "abstract",
     "abstract"},
    {dtypeMemo, "FF FE 31 00 2F 00 32 00 2F 00 32 00 30 00 30 00 30 00", "abstract", "abstract", "abstract",
     "abstract", "abstract"},
    {dtypeGraphic, "FF FE 31 00 2F 00 32 00 2F 00 32 00 30 00 30 00 30 00", "abstract", "abstract", "abstract",
     "abstract", "abstract"},
    {dtypeUnknown, "FF FE 31 00 2F 00 32 00 2F 00 32 00 30 00 30 00 30 00", "abstract", "abstract", "abstract",
     "abstract", "abstract"},
    {dtypeFloat, "EConvertError", "-7", "-7.9", "abstract", "abstract", "1"},
    {dtypeCurrency, "EConvertError", "-7", "-7.9", "7.5", "abstract", "1"},
};

String ReadBack(TKivData* D)
{
    switch (D->DataType()) {
    case dtypeBlob:
    case dtypeMemo:
    case dtypeGraphic:
    case dtypeUnknown:
        return BytesOf(D);
    case dtypeDateTime:
        return FloatToStr(D->AsFloat());
    default:
        return D->AsString();
    }
}

TEST(KivDataConversions, EverySetterStoresOrRefuses)
{
    for (const TSetRow& R : GSetters) {
        SCOPED_TRACE(EnumName(R.Type));
        auto Run = [&](const std::function<void(TKivData*)>& Set) {
            auto D = KivNewData(R.Type);
            return Outcome([&] {
                Set(D.get());
                return ReadBack(D.get());
            });
        };
        EXPECT_EQ(Run([](TKivData* D) { D->SetAsString("1/2/2000"); }), R.SetAsString);
        EXPECT_EQ(Run([](TKivData* D) { D->SetAsInteger(-7); }), R.SetAsInteger);
        EXPECT_EQ(Run([](TKivData* D) { D->SetAsFloat(-7.9); }), R.SetAsFloat);
        EXPECT_EQ(Run([](TKivData* D) { D->SetAsCurrency(Currency(7.5)); }), R.SetAsCurrency);
        EXPECT_EQ(Run([](TKivData* D) { D->SetAsDateTime(45000.25); }), R.SetAsDateTime);
        EXPECT_EQ(Run([](TKivData* D) { D->SetAsBoolean(true); }), R.SetAsBoolean);
    }
}

const TKivDataTypes GAllTypes[] = {dtypeString, dtypeInteger, dtypeDateTime, dtypeBoolean, dtypeBlob,
                                   dtypeMemo,   dtypeGraphic, dtypeUnknown,  dtypeFloat,   dtypeCurrency};

// SetData of target (row) from source (column), in the order of GAllTypes.
const char* const GPairs[10][10] = {
    // from: String, Integer, DateTime, Boolean, Blob, Memo, Graphic, Unknown, Float, Currency
    /* String   */ {"12", "42", "3/15/2023", "True", BlobText, "a", BlobText,
                    "Unknown type, check to see if field exists.", "2.5", "1.25"},
    /* Integer  */ {"12", "42", "abstract", "1", "abstract", "abstract", "abstract", "abstract", "2", "1"},
    /* DateTime */ {"EConvertError", "abstract", "45000.5", "abstract", "abstract", "abstract", "abstract", "abstract",
                    "abstract", "abstract"},
    /* Boolean  */ {"False", "True", "False", "True", "False", "False", "False", "False", "True", "True"},
    /* Blob     */ {"31 00 32 00", "34 00 32 00", "33 00 2F 00 31 00 35 00 2F 00 32 00 30 00 32 00 33 00",
                    "54 00 72 00 75 00 65 00", "41 42", "FF FE 61 00", "47", "", "abstract", "abstract"},
    /* Memo     */ {"31 00 32 00", "34 00 32 00", "33 00 2F 00 31 00 35 00 2F 00 32 00 30 00 32 00 33 00",
                    "54 00 72 00 75 00 65 00", "41 42", "FF FE 61 00", "47", "", "abstract", "abstract"},
    /* Graphic  */ {"31 00 32 00", "34 00 32 00", "33 00 2F 00 31 00 35 00 2F 00 32 00 30 00 32 00 33 00",
                    "54 00 72 00 75 00 65 00", "41 42", "FF FE 61 00", "47", "", "abstract", "abstract"},
    /* Unknown  */ {"31 00 32 00", "34 00 32 00", "33 00 2F 00 31 00 35 00 2F 00 32 00 30 00 32 00 33 00",
                    "54 00 72 00 75 00 65 00", "41 42", "FF FE 61 00", "47", "", "abstract", "abstract"},
    /* Float    */ {"EConvertError", "EConvertError", "EConvertError", "EConvertError", "EConvertError",
                    "EConvertError", "EConvertError", "EConvertError", "2.5", "EConvertError"},
    /* Currency */ {"EConvertError", "EConvertError", "EConvertError", "EConvertError", "EConvertError",
                    "EConvertError", "EConvertError", "EConvertError", "EConvertError", "1.25"},
};

TEST(KivDataConversions, SetDataBetweenEveryPairOfKinds)
{
    for (std::size_t T = 0; T < 10; ++T)
        for (std::size_t S = 0; S < 10; ++S) {
            SCOPED_TRACE(EnumName(GAllTypes[T]) + " from " + EnumName(GAllTypes[S]));
            auto Source = Sample(GAllTypes[S]);
            auto Target = KivNewData(GAllTypes[T]);
            EXPECT_EQ(Outcome([&] {
                          Target->SetData(Source.get());
                          return ReadBack(Target.get());
                      }),
                      GPairs[T][S]);
        }
}

TEST(KivDataConversions, SetDataCarriesTheNullFlagAndResetClearsIt)
{
    for (TKivDataTypes Type : GAllTypes) {
        SCOPED_TRACE(EnumName(Type));
        auto Source = KivNewData(Type);
        auto Target = KivNewData(Type);
        Source->SetIsNull(true);
        Target->SetData(Source.get());
        EXPECT_TRUE(Target->IsNull());
        Target->Reset();
        EXPECT_FALSE(Target->IsNull());
    }
}

TEST(KivDataConversions, ResetGivesEachKindItsEmptyValue)
{
    for (TKivDataTypes Type : {dtypeString, dtypeInteger, dtypeDateTime, dtypeBoolean, dtypeFloat, dtypeCurrency}) {
        auto D = Sample(Type);
        D->Reset();
        EXPECT_EQ(D->AsFloat(), 0) << EnumName(Type);
    }
    auto S = Sample(dtypeString);
    S->Reset();
    EXPECT_EQ(S->AsString(), "");
    auto B = Sample(dtypeBlob);
    B->Reset();
    EXPECT_EQ(B->AsStream()->Size(), 0);
}

TEST(KivDataConversions, StringsReadAsBooleansByTheirFirstLetter)
{
    TKivString S;
    for (auto [Text, Expected] : {std::pair{"yes", true}, {"Truth", true}, {"1", false}, {"", false}, {"no", false},
                                  {"t", true}, {"Y", true}}) {
        S.SetAsString(Text);
        EXPECT_EQ(S.AsBoolean(), Expected) << Text;
    }
    S.SetAsString("not a number");
    EXPECT_EQ(S.AsFloat(), 0);
    EXPECT_THROW(S.AsInteger(), EConvertError);
    TKivBoolean B;
    B.SetAsString("TRUE");
    EXPECT_TRUE(B.AsBoolean());
    B.SetAsString("yes");
    EXPECT_FALSE(B.AsBoolean());
}

TEST(KivDataConversions, DateTimeOfZeroOrNullPrintsEmpty)
{
    TKivDateTime D;
    EXPECT_EQ(D.AsString(), "");
    D.SetAsDateTime(45000.75);
    EXPECT_EQ(D.AsString(), "3/15/2023");
    D.SetIsNull(true);
    EXPECT_EQ(D.AsString(), "");
}

TEST(KivDataConversions, LargeIntegersAreKeptExactly)
{
    TKivInteger I;
    I.SetAsString("9007199254740993"); // 2^53 + 1: not a Double
    EXPECT_EQ(I.AsInteger(), 9007199254740993LL);
    EXPECT_EQ(I.AsString(), "9007199254740993");
    TKivInteger Copy;
    Copy.SetData(&I);
    EXPECT_EQ(Copy.AsInteger(), 9007199254740993LL);
    EXPECT_THROW(I.SetAsFloat(1e300), EConvertError);
}

TEST(KivDataConversions, RawValuesMustMatchTheKind)
{
    TKivInteger I;
    I.SetValue(TKivRawValue(Int64(5)));
    EXPECT_EQ(I.AsInteger(), 5);
    EXPECT_THROW(I.SetValue(TKivRawValue(String("5"))), EConvertError);
    TKivBoolean B;
    B.SetValue(TKivRawValue(true));
    EXPECT_TRUE(B.AsBoolean());
    TKivCurrency C;
    C.SetValue(TKivRawValue(Currency::FromRaw(12345)));
    EXPECT_EQ(C.AsCurrency().Raw(), 12345);
    TKivData Base;
    EXPECT_NO_THROW(Base.SetValue(TKivRawValue(Int64(1)))); // the base takes nothing
}

// ---- streams and string lists ----------------------------------------------------------------

TEST(KivDataStreams, ScalarTextIsPassedWholeAsUtf16)
{
    TKivString S;
    S.SetAsString(String(300, 'x') + "é");
    TStream* Stream = S.AsStream();
    EXPECT_EQ(Stream->Position(), 0);
    EXPECT_EQ(Stream->Size(), 602); // not cut at 256 characters
    TKivInteger I;
    I.SetAsInteger(-5);
    EXPECT_EQ(Hex(I.AsStream()), "2D 00 35 00");
}

TEST(KivDataStreams, BlobTextCarriesAByteOrderMarkUnlessEmpty)
{
    TKivBlob B;
    B.SetAsString("");
    EXPECT_EQ(B.AsStream()->Size(), 0);
    B.SetAsString("Hi");
    EXPECT_EQ(Hex(B.AsStream()), "FF FE 48 00 69 00");
}

TEST(KivDataStreams, MemoReadsBothTheSavedLinesAndItsOwnText)
{
    TKivMemo M;
    TStringList Lines;
    Lines.Add("first");
    Lines.Add("second");
    M.SetAsStrings(&Lines);
    EXPECT_EQ(M.AsString(), "first\nsecond");
    EXPECT_EQ(M.AsStrings()->Count(), 2);
    EXPECT_EQ(M.AsStrings()->Strings(1), "second");
    M.SetAsString("one\r\ntwo é");
    EXPECT_EQ(M.AsString(), "one\ntwo é");
    EXPECT_EQ(M.AsStrings()->Count(), 2);
    TKivMemo Copy;
    Copy.SetData(&M);
    EXPECT_EQ(Copy.AsString(), "one\ntwo é");
}

TEST(KivDataStreams, StringListOfAScalarIsItsOneLine)
{
    TKivInteger I;
    I.SetAsInteger(3);
    ASSERT_EQ(I.AsStrings()->Count(), 1);
    EXPECT_EQ(I.AsStrings()->Strings(0), "3");
    EXPECT_THROW(I.SetAsStrings(I.AsStrings()), EAbstractError);
    EXPECT_THROW(I.SetAsStream(I.AsStream()), EAbstractError);
}

} // namespace
