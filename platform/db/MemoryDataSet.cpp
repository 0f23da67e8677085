#include "platform/db/MemoryDataSet.h"

#include "platform/db/Csv.h"
#include "platform/db/ValueText.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

namespace qor {

void ParseFieldDeclarations(const TStrings* Lines, TFieldDefs* Defs, const TComponent* Owner)
{
    Defs->Clear();
    for (Integer i = 0; i < Lines->Count(); ++i) {
        const String Line = Trim(Lines->Get(i));
        if (Line.empty())
            continue;
        std::vector<String> Parts;
        std::size_t Start = 0;
        for (;;) {
            const std::size_t Colon = Line.find(':', Start);
            Parts.push_back(Trim(Line.substr(Start, Colon == String::npos ? String::npos : Colon - Start)));
            if (Colon == String::npos)
                break;
            Start = Colon + 1;
        }
        const String Where = "field declaration " + std::to_string(i + 1) + " '" + Line + "': ";
        if (Parts.size() < 2 || Parts.size() > 4 || Parts[0].empty())
            DatabaseError(Where + "expected Name:Type[:Size[:Precision]]", Owner);
        TFieldType Type;
        if (!FieldTypeFromName(Parts[1], Type) || Type == ftUnknown)
            DatabaseError(Where + "unknown field type '" + Parts[1] + "'", Owner);
        Integer Size = 0, Precision = 0;
        if (Parts.size() >= 3 && (!TryStrToInt(Parts[2], Size) || Size < 0))
            DatabaseError(Where + "bad size '" + Parts[2] + "'", Owner);
        if (Parts.size() == 4 && (!TryStrToInt(Parts[3], Precision) || Precision < 0))
            DatabaseError(Where + "bad precision '" + Parts[3] + "'", Owner);
        if (Defs->IndexOf(Parts[0]) >= 0)
            DatabaseError(Where + "duplicate field name", Owner);
        if (Size == 0 && (Type == ftString || Type == ftWideString || Type == ftFixedChar || Type == ftFixedWideChar))
            Size = 20;
        TFieldDef* D = Defs->Add(Parts[0], Type, Size);
        D->SetPrecision(Precision);
    }
}

TMemoryDataSet::TMemoryDataSet(TComponent* AOwner)
    : TDataSet(AOwner), FColumns(std::make_unique<TStringList>()), FRows(std::make_unique<TStringList>())
{
    FRows->OnChange = [this](TObject*) { FRowsChanged = true; };
}

TMemoryDataSet::~TMemoryDataSet() = default;

TStrings* TMemoryDataSet::Columns() const { return FColumns.get(); }

TStrings* TMemoryDataSet::Rows() const { return FRows.get(); }

void TMemoryDataSet::ApplyDeclarations()
{
    if (FColumns->Count() > 0)
        ParseFieldDeclarations(FColumns.get(), FieldDefs(), this);
}

void TMemoryDataSet::InternalInitFieldDefs() { ApplyDeclarations(); }

void TMemoryDataSet::InternalOpen()
{
    ApplyDeclarations();
    if (FieldDefs()->Count() == 0)
        Error("No fields defined");
    std::vector<TFieldType> Types;
    std::vector<String> Names;
    for (Integer i = 0; i < FieldDefs()->Count(); ++i) {
        Types.push_back(FieldDefs()->Items(i)->DataType());
        Names.push_back(FieldDefs()->Items(i)->Name());
    }
    if (Types != FStoreTypes || Names != FStoreNames) {
        PrepareStore();
        FStoreTypes = Types;
        FStoreNames = Names;
        FRowsChanged = FRows->Count() > 0;
    }
    if (FRowsChanged)
        LoadRows();
}

void TMemoryDataSet::LoadRows()
{
    TRecordStore& S = Store();
    S.Clear();
    const String Text = FRows->Text();
    TCsvReader Reader(Text);
    std::vector<String> Values;
    try {
        while (Reader.ReadRecord(Values)) {
            const Integer Line = Reader.RecordLine();
            if (static_cast<Integer>(Values.size()) > FieldDefs()->Count())
                throw ECsvError(Line, "expected " + std::to_string(FieldDefs()->Count()) + " values, found " +
                                          std::to_string(Values.size()));
            const Int64 Row = S.AppendRow();
            for (std::size_t c = 0; c < Values.size(); ++c) {
                const TFieldDef* D = FieldDefs()->Items(static_cast<Integer>(c));
                if (!StoreInvariantText(S, Row, static_cast<Integer>(c), D->DataType(), Values[c]))
                    throw ECsvError(Line, "'" + Values[c] + "' is not a valid " + (FieldTypeName(D->DataType()) + 2) +
                                              " value for field '" + D->Name() + "'");
            }
        }
    } catch (const ECsvError& E) {
        S.Clear();
        Error("Rows, line " + std::to_string(E.Line()) + ": " + E.Cause());
    }
    FRowsChanged = false;
}

void TMemoryDataSet::EmptyDataSet()
{
    // A record being edited or inserted goes with the rest.
    Cancel();
    Store().Clear();
    if (Active())
        First();
}

QOR_PUBLISH(TMemoryDataSet)
{
    b.SubObject("Columns", &TMemoryDataSet::Columns);
    b.SubObject("Rows", &TMemoryDataSet::Rows);
}

} // namespace qor
