#include "platform/db/CsvDataSet.h"

#include "platform/db/Csv.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/db/ValueText.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <unordered_map>

namespace qor {

TCsvDataSet::TCsvDataSet(TComponent* AOwner) : TDataSet(AOwner), FColumns(std::make_unique<TStringList>()) {}

TCsvDataSet::~TCsvDataSet() = default;

TStrings* TCsvDataSet::Columns() const { return FColumns.get(); }

void TCsvDataSet::SetFileName(const String& Value)
{
    CheckInactive();
    FFileName = Value;
    FUseText = false;
}

void TCsvDataSet::SetBaseDirectory(const String& Value)
{
    CheckInactive();
    FBaseDirectory = Value;
}

String TCsvDataSet::FullFileName() const { return ResolveFileName(FFileName, FBaseDirectory); }

void TCsvDataSet::ReadState(TReader& Reader)
{
    if (!Reader.BaseDirectory().empty())
        FBaseDirectory = Reader.BaseDirectory();
    TDataSet::ReadState(Reader);
}

void TCsvDataSet::SetHasHeader(bool Value)
{
    CheckInactive();
    FHasHeader = Value;
}

void TCsvDataSet::SetSeparator(char Value)
{
    CheckInactive();
    FSeparator = Value;
}

void TCsvDataSet::SetQuoteChar(char Value)
{
    CheckInactive();
    FQuoteChar = Value;
}

void TCsvDataSet::SetCsvText(const String& Text)
{
    CheckInactive();
    FText = Text;
    FUseText = true;
}

String TCsvDataSet::LoadText() const
{
    if (FUseText)
        return FText;
    if (FFileName.empty())
        Error("No file name given");
    const String Name = FullFileName();
    std::ifstream In(Name, std::ios::binary);
    if (!In)
        Error("Cannot open file '" + Name + "': " + std::strerror(errno));
    std::ostringstream Buf;
    Buf << In.rdbuf();
    if (In.bad())
        Error("Cannot read file '" + Name + "'");
    return Buf.str();
}

namespace {

struct TColumnGuess {
    bool Int = true, Float = true, Date = true, DateTime = true, Boolean = true, Any = false;
    bool Large = false;
    std::size_t MaxLength = 0;
};

// Digits with an optional sign.
bool IsWholeNumber(std::string_view V)
{
    if (!V.empty() && (V.front() == '-' || V.front() == '+'))
        V.remove_prefix(1);
    return !V.empty() && std::all_of(V.begin(), V.end(), [](char C) { return C >= '0' && C <= '9'; });
}

void Observe(TColumnGuess& G, const String& V)
{
    if (V.empty())
        return;
    G.Any = true;
    if (V.size() > G.MaxLength)
        G.MaxLength = V.size();
    Int64 I;
    Double D;
    bool B;
    const bool IsInt = ParseInvariantInt(V, I);
    if (G.Int) {
        if (!IsInt)
            G.Int = false;
        else if (I < std::numeric_limits<Integer>::min() || I > std::numeric_limits<Integer>::max())
            G.Large = true;
    }
    // A whole number too long for a 64-bit integer keeps its digits as text: read as a float it
    // would lose them.
    if (G.Float && ((!IsInt && IsWholeNumber(V)) || !ParseInvariantFloat(V, D)))
        G.Float = false;
    if (G.Date && !ParseIsoDate(V, D))
        G.Date = false;
    if (G.DateTime && !ParseIsoDateTime(V, D))
        G.DateTime = false;
    if (G.Boolean && !ParseInvariantBoolean(V, B))
        G.Boolean = false;
}

} // namespace

void TCsvDataSet::InferFieldDefs(const std::vector<String>& Names, const std::vector<std::vector<String>>& Rows)
{
    std::vector<TColumnGuess> Guess(Names.size());
    for (const auto& R : Rows)
        for (std::size_t c = 0; c < R.size() && c < Guess.size(); ++c)
            Observe(Guess[c], R[c]);
    for (std::size_t c = 0; c < Names.size(); ++c) {
        const TColumnGuess& G = Guess[c];
        TFieldType Type = ftString;
        Integer Size = 0;
        if (!G.Any)
            Type = ftString;
        else if (G.Int)
            Type = G.Large ? ftLargeint : ftInteger;
        else if (G.Float)
            Type = ftFloat;
        else if (G.Date)
            Type = ftDate;
        else if (G.DateTime)
            Type = ftDateTime;
        else if (G.Boolean)
            Type = ftBoolean;
        if (Type == ftString)
            Size = G.MaxLength > 0 ? static_cast<Integer>(G.MaxLength) : 1;
        FieldDefs()->Add(Names[c], Type, Size);
    }
}

void TCsvDataSet::InternalOpen()
{
    const String Text = LoadText();
    const String Source = FUseText ? String("CSV text") : "'" + FullFileName() + "'";
    TCsvReader Reader(Text, TCsvOptions{FSeparator, FQuoteChar});
    std::vector<String> Header;
    std::vector<std::vector<String>> Rows;
    std::vector<Integer> Lines;
    try {
        std::vector<String> Values;
        if (FHasHeader && !Reader.ReadRecord(Header))
            Error(Source + " is empty: the header line is missing");
        while (Reader.ReadRecord(Values)) {
            Rows.push_back(Values);
            Lines.push_back(Reader.RecordLine());
        }
    } catch (const ECsvError& E) {
        Error("malformed CSV in " + Source + ", line " + std::to_string(E.Line()) + ": " + E.Cause());
    }

    // Column names and the column of the file each definition reads.
    std::size_t Width = FHasHeader ? Header.size() : (Rows.empty() ? 0 : Rows.front().size());
    std::unordered_map<String, std::size_t> HeaderColumn;   // by AnsiSameTextKey
    for (std::size_t c = 0; c < Header.size(); ++c) {
        if (Header[c].empty())
            Error("column " + std::to_string(c + 1) + " of the header in " + Source + " has no name");
        if (!HeaderColumn.try_emplace(AnsiSameTextKey(Header[c]), c).second)
            Error("the header in " + Source + " names column '" + Header[c] + "' twice");
    }
    for (std::size_t r = 0; r < Rows.size(); ++r)
        if (Rows[r].size() != Width)
            Error("malformed CSV in " + Source + ", line " + std::to_string(Lines[r]) + ": expected " +
                  std::to_string(Width) + " fields, found " + std::to_string(Rows[r].size()));

    std::vector<std::size_t> SourceColumn;
    if (FColumns->Count() > 0) {
        ParseFieldDeclarations(FColumns.get(), FieldDefs(), this);
        for (Integer i = 0; i < FieldDefs()->Count(); ++i) {
            const String& Name = FieldDefs()->Items(i)->Name();
            std::size_t Col = static_cast<std::size_t>(i);
            if (FHasHeader) {
                const auto It = HeaderColumn.find(AnsiSameTextKey(Name));
                if (It == HeaderColumn.end())
                    Error("Field '" + Name + "' not found in the header of " + Source);
                Col = It->second;
            } else if (Col >= Width && !Rows.empty()) {
                Error("Field '" + Name + "' is declared for column " + std::to_string(i + 1) + " but " + Source +
                      " has " + std::to_string(Width) + " columns");
            }
            SourceColumn.push_back(Col);
        }
    } else {
        std::vector<String> Names = Header;
        if (!FHasHeader)
            for (std::size_t c = 0; c < Width; ++c)
                Names.push_back("Field" + std::to_string(c + 1));
        FieldDefs()->Clear();
        InferFieldDefs(Names, Rows);
        for (std::size_t c = 0; c < Names.size(); ++c)
            SourceColumn.push_back(c);
    }

    PrepareStore();
    TRecordStore& S = Store();
    S.Reserve(static_cast<Int64>(Rows.size()));
    for (std::size_t r = 0; r < Rows.size(); ++r) {
        const Int64 Row = S.AppendRow();
        for (Integer i = 0; i < FieldDefs()->Count(); ++i) {
            const TFieldDef* D = FieldDefs()->Items(i);
            const String& V = Rows[r][SourceColumn[static_cast<std::size_t>(i)]];
            if (!StoreInvariantText(S, Row, i, D->DataType(), V))
                Error("bad value in " + Source + ", line " + std::to_string(Lines[r]) + ": '" + V +
                      "' is not a valid " + (FieldTypeName(D->DataType()) + 2) + " value for field '" + D->Name() +
                      "'");
        }
    }
}

void TCsvDataSet::InternalClose() { Store().Clear(); }

QOR_PUBLISH(TCsvDataSet)
{
    b.Property("FileName", &TCsvDataSet::FileName, &TCsvDataSet::SetFileName).Default("");
    b.Property("HasHeader", &TCsvDataSet::HasHeader, &TCsvDataSet::SetHasHeader).Default(true);
    b.Property("Separator", &TCsvDataSet::Separator, &TCsvDataSet::SetSeparator).Default(',');
    b.Property("QuoteChar", &TCsvDataSet::QuoteChar, &TCsvDataSet::SetQuoteChar).Default('"');
    b.SubObject("Columns", &TCsvDataSet::Columns);
}

} // namespace qor
