// Database variables: the field-type table, and reading every field type a data set offers, with
// values and with nulls.

#include "StandInPage.h"

#include "platform/db/MemoryDataSet.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qor;
using qor::test::TStandInPage;

namespace {

TEST(GetQorDataType, EveryFieldTypeHasItsKind)
{
    const TKivDataTypes Expected[FieldTypeCount] = {
        dtypeUnknown,  // ftUnknown
        dtypeString,   // ftString
        dtypeInteger,  // ftSmallint
        dtypeInteger,  // ftInteger
        dtypeInteger,  // ftWord
        dtypeBoolean,  // ftBoolean
        dtypeFloat,    // ftFloat
        dtypeCurrency, // ftCurrency
        dtypeFloat,    // ftBCD
        dtypeDateTime, // ftDate
        dtypeDateTime, // ftTime
        dtypeDateTime, // ftDateTime
        dtypeBlob,     // ftBytes
        dtypeBlob,     // ftVarBytes
        dtypeInteger,  // ftAutoInc
        dtypeBlob,     // ftBlob
        dtypeMemo,     // ftMemo
        dtypeGraphic,  // ftGraphic
        dtypeBlob,     // ftFmtMemo
        dtypeBlob,     // ftParadoxOle
        dtypeBlob,     // ftDBaseOle
        dtypeBlob,     // ftTypedBinary
        dtypeBlob,     // ftCursor
        dtypeString,   // ftFixedChar
        dtypeString,   // ftWideString
        dtypeInteger,  // ftLargeint
        dtypeBlob,     // ftADT
        dtypeBlob,     // ftArray
        dtypeBlob,     // ftReference
        dtypeBlob,     // ftDataSet
        dtypeBlob,     // ftOraBlob
        dtypeBlob,     // ftOraClob
        dtypeBlob,     // ftVariant
        dtypeBlob,     // ftInterface
        dtypeBlob,     // ftIDispatch
        dtypeBlob,     // ftGuid
        dtypeDateTime, // ftTimeStamp
        dtypeFloat,    // ftFMTBcd
        dtypeString,   // ftFixedWideChar
        dtypeString,   // ftWideMemo
        dtypeDateTime, // ftOraTimeStamp
        dtypeUnknown,  // ftOraInterval
        dtypeInteger,  // ftLongWord
        dtypeInteger,  // ftShortint
        dtypeInteger,  // ftByte
        dtypeUnknown,  // ftExtended
        dtypeBlob,     // ftConnection
        dtypeBlob,     // ftParams
        dtypeBlob,     // ftStream
        dtypeUnknown,  // ftTimeStampOffset
        dtypeBlob,     // ftObject
        dtypeFloat,    // ftSingle
    };
    for (Integer T = 0; T < FieldTypeCount; ++T)
        EXPECT_EQ(GetQorDataType(static_cast<TFieldType>(T)), Expected[T]) << FieldTypeName(static_cast<TFieldType>(T));
    EXPECT_EQ(GetQorDataType(static_cast<TFieldType>(52)), dtypeUnknown);
    EXPECT_EQ(GetQorDataType(static_cast<TFieldType>(128 + ftInteger)), dtypeInteger); // low seven bits
    kivvarFmtBCDUseCurrency = true;
    EXPECT_EQ(GetQorDataType(ftFMTBcd), dtypeCurrency);
    kivvarFmtBCDUseCurrency = false;
}

// One column per field type, the value it is given, and how the variable must read it.
struct TFieldCase {
    const char* Declaration;
    const char* Value; // set through the field's AsString
    TKivDataTypes Kind;
    std::function<void(TKivDBVar*)> Check;
};

void ExpectText(TKivDBVar* V, const String& Text) { EXPECT_EQ(V->AsString(), Text) << V->DataField(); }
void ExpectInt(TKivDBVar* V, Int64 Value) { EXPECT_EQ(V->AsInteger(), Value) << V->DataField(); }
void ExpectBytes(TKivDBVar* V, const String& Bytes)
{
    TStream* S = V->AsStream();
    String Got(static_cast<std::size_t>(S->Size()), '\0');
    if (!Got.empty())
        S->ReadBuffer(Got.data(), S->Size());
    EXPECT_EQ(Got, Bytes) << V->DataField();
}

const String GBinary = String("\x01\x00\xFF" "AB", 5);

const TFieldCase GFields[] = {
    {"FString:String:20", "text", dtypeString, [](TKivDBVar* V) { ExpectText(V, "text"); }},
    {"FFixed:FixedChar:6", "ab", dtypeString, [](TKivDBVar* V) { ExpectText(V, "ab"); }},
    {"FWide:WideString:10", "wïde", dtypeString, [](TKivDBVar* V) { ExpectText(V, "wïde"); }},
    {"FFixedWide:FixedWideChar:4", "xy", dtypeString, [](TKivDBVar* V) { ExpectText(V, "xy"); }},
    {"FWideMemo:WideMemo", "one\ntwo", dtypeString, [](TKivDBVar* V) { ExpectText(V, "one\ntwo"); }},
    {"FSmall:Smallint", "-32768", dtypeInteger, [](TKivDBVar* V) { ExpectInt(V, -32768); }},
    {"FInteger:Integer", "-2147483648", dtypeInteger, [](TKivDBVar* V) { ExpectInt(V, -2147483648LL); }},
    {"FWord:Word", "65535", dtypeInteger, [](TKivDBVar* V) { ExpectInt(V, 65535); }},
    {"FLarge:Largeint", "9007199254740993", dtypeInteger,
     [](TKivDBVar* V) {
         ExpectInt(V, 9007199254740993LL); // beyond 32 bits and beyond a Double
         ExpectText(V, "9007199254740993");
     }},
    {"FLongWord:LongWord", "4000000000", dtypeInteger, [](TKivDBVar* V) { ExpectInt(V, 4000000000LL); }},
    {"FShort:Shortint", "-128", dtypeInteger, [](TKivDBVar* V) { ExpectInt(V, -128); }},
    {"FByte:Byte", "255", dtypeInteger, [](TKivDBVar* V) { ExpectInt(V, 255); }},
    {"FAuto:AutoInc", "7", dtypeInteger, [](TKivDBVar* V) { ExpectInt(V, 7); }},
    {"FBool:Boolean", "True", dtypeBoolean, [](TKivDBVar* V) { EXPECT_TRUE(V->AsBoolean()); }},
    {"FFloat:Float", "2.5", dtypeFloat, [](TKivDBVar* V) { EXPECT_EQ(V->AsFloat(), 2.5); }},
    {"FSingle:Single", "0.25", dtypeFloat, [](TKivDBVar* V) { EXPECT_EQ(V->AsFloat(), 0.25); }},
    {"FBCD:BCD:2", "12.34", dtypeFloat, [](TKivDBVar* V) { EXPECT_DOUBLE_EQ(V->AsFloat(), 12.34); }},
    {"FFmtBcd:FMTBcd:4", "1.0625", dtypeFloat, [](TKivDBVar* V) { EXPECT_EQ(V->AsFloat(), 1.0625); }},
    {"FMoney:Currency", "1234.5678", dtypeCurrency, [](TKivDBVar* V) { EXPECT_EQ(V->AsCurrency().Raw(), 12345678); }},
    {"FDate:Date", "2023-03-15", dtypeDateTime, [](TKivDBVar* V) { EXPECT_EQ(V->AsDateTime(), 45000); }},
    {"FTime:Time", "06:00:00", dtypeDateTime, [](TKivDBVar* V) { EXPECT_EQ(V->AsDateTime(), 0.25); }},
    {"FStamp:DateTime", "2023-03-15 18:00:00", dtypeDateTime,
     [](TKivDBVar* V) { EXPECT_EQ(V->AsDateTime(), 45000.75); }},
    {"FTimeStamp:TimeStamp", "2023-03-15 12:00:00", dtypeDateTime,
     [](TKivDBVar* V) { EXPECT_EQ(V->AsDateTime(), 45000.5); }},
    {"FMemo:Memo", "line one\nline two", dtypeMemo,
     [](TKivDBVar* V) {
         ExpectText(V, "line one\nline two");
         ASSERT_EQ(V->AsStrings()->Count(), 2);
         EXPECT_EQ(V->AsStrings()->Strings(1), "line two");
     }},
    {"FGraphic:Graphic", "", dtypeGraphic, [](TKivDBVar* V) { ExpectBytes(V, GBinary); }},
    {"FBlob:Blob", "", dtypeBlob, [](TKivDBVar* V) { ExpectBytes(V, GBinary); }},
    {"FBytes:Bytes:5", "", dtypeBlob, [](TKivDBVar* V) { ExpectBytes(V, GBinary); }},
    {"FVarBytes:VarBytes:8", "", dtypeBlob, [](TKivDBVar* V) { ExpectBytes(V, GBinary); }},
    {"FFmtMemo:FmtMemo", "rich", dtypeBlob, [](TKivDBVar* V) { ExpectBytes(V, "rich"); }},
    {"FExtended:Extended", "1.5", dtypeUnknown,
     [](TKivDBVar* V) { ExpectText(V, "Unknown type, check to see if field exists."); }},
};

class KivDBVarFields : public ::testing::Test {
protected:
    void SetUp() override
    {
        Data = new TMemoryDataSet(&Root);
        Data->SetName("AllTypes");
        for (const TFieldCase& C : GFields)
            Data->Columns()->Add(C.Declaration);
        Data->Open();
        Data->Append();
        for (Integer I = 0; I < Data->FieldCount(); ++I) {
            TField* F = Data->Fields()->Fields(I);
            const TFieldCase& C = GFields[I];
            if (F->IsBlob() || dynamic_cast<TBinaryField*>(F))
                F->SetAsString(*C.Value ? String(C.Value) : GBinary);
            else
                F->SetAsString(C.Value);
        }
        Data->Post();
        Data->Append(); // every field null
        Data->Post();
        Data->Close();

        Source = new TDataSource(&Root);
        Source->SetDataSet(Data);
        Page = new TStandInPage(&Root);
        Detail = new TKivLevel(&Root);
        Detail->SetParent(Page);
        for (const TFieldCase& C : GFields) {
            auto* V = new TKivDBVar(&Root);
            V->SetDataSource(Source);
            const String Decl = C.Declaration;
            V->SetDataField(Decl.substr(0, Decl.find(':')));
            V->SetParent(Page);
            V->SetUpdateLevel(Detail);
            Vars.push_back(V);
        }
    }

    TComponent Root{nullptr};
    TMemoryDataSet* Data = nullptr;
    TDataSource* Source = nullptr;
    TStandInPage* Page = nullptr;
    TKivLevel* Detail = nullptr;
    std::vector<TKivDBVar*> Vars;
};

TEST_F(KivDBVarFields, EveryFieldTypeIsReadWithItsValueAndItsNull)
{
    Page->StartRun();
    Data->First();
    Page->UpdateDataLevel(Detail);
    for (std::size_t I = 0; I < Vars.size(); ++I) {
        SCOPED_TRACE(GFields[I].Declaration);
        EXPECT_EQ(Vars[I]->DataType(), GFields[I].Kind);
        EXPECT_EQ(Vars[I]->DataNow()->DataType(), GFields[I].Kind);
        EXPECT_FALSE(Vars[I]->IsNull());
        GFields[I].Check(Vars[I]);
    }
    EXPECT_EQ(Vars[0]->DisplayText(), "text");

    Data->Next();
    Page->UpdateDataLevel(Detail);
    for (std::size_t I = 0; I < Vars.size(); ++I) {
        SCOPED_TRACE(GFields[I].Declaration);
        if (GFields[I].Kind == dtypeUnknown) {
            EXPECT_EQ(Vars[I]->UpdateMode(), umNoUpdate); // never refreshed, never null
            continue;
        }
        EXPECT_TRUE(Vars[I]->IsNull());
        if (GFields[I].Kind != dtypeBlob && GFields[I].Kind != dtypeGraphic) {
            EXPECT_EQ(Vars[I]->AsFloat(), 0);
        }
        // the previous record's value is kept for the footers
        EXPECT_FALSE(Vars[I]->DataLast()->IsNull());
    }
    Vars[0]->DataNow(); // no refresh pending
    EXPECT_EQ(Vars[0]->DisplayText(), "");
}

TEST_F(KivDBVarFields, DisplayTextIsTheFieldsTextForTheRefreshedRecord)
{
    TKivDBVar* Money = Vars[18];
    ASSERT_EQ(Money->DataField(), "FMoney");
    Page->StartRun();
    Data->First();
    Page->UpdateDataLevel(Detail);
    Page->ReverseUpdateDataLevel(Detail); // looking back does not change the text
    EXPECT_EQ(Money->DisplayText(), "$1,234.57");
    EXPECT_EQ(Money->DisplayText(), "$1,234.57");
    Data->Next();
    Page->UpdateDataLevel(Detail);
    EXPECT_EQ(Money->DisplayText(), "");
    Page->EndRun();
    EXPECT_EQ(Money->DisplayText(), "");
}

TEST_F(KivDBVarFields, FmtBcdReadsAsCurrencyWhenAsked)
{
    kivvarFmtBCDUseCurrency = true;
    Page->StartRun();
    kivvarFmtBCDUseCurrency = false;
    Data->First();
    Page->UpdateDataLevel(Detail);
    TKivDBVar* V = Vars[17];
    ASSERT_EQ(V->DataField(), "FFmtBcd");
    EXPECT_EQ(V->DataNow()->DataType(), dtypeCurrency);
    EXPECT_EQ(V->AsCurrency().Raw(), 10625);
}

TEST_F(KivDBVarFields, AClosedDataSetOutsideARunLeavesTheVariableInactive)
{
    Vars[0]->Initialize(); // not running: the data set is not opened
    EXPECT_FALSE(Data->Active());
    EXPECT_FALSE(Vars[0]->Active());
    EXPECT_EQ(Vars[0]->FieldDataType(), ftString); // from the field definitions
    EXPECT_EQ(Vars[0]->AsString(), "Unknown type, check to see if field exists.");
}

} // namespace
