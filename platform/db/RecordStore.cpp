#include "platform/db/RecordStore.h"

namespace qor {

TStorageKind StorageKindOf(TFieldType Type)
{
    switch (Type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftBoolean:
    case ftAutoInc:
    case ftLargeint:
    case ftLongWord:
    case ftShortint:
    case ftByte:
        return TStorageKind::Integer;
    case ftFloat:
    case ftCurrency:
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
    case ftOraTimeStamp:
    case ftSingle:
    case ftExtended:
        return TStorageKind::Float;
    case ftBCD:
        return TStorageKind::Currency;
    default:
        return TStorageKind::Text;
    }
}

void TRecordStore::Reset(const std::vector<TFieldType>& Types)
{
    FColumns.clear();
    FColumns.resize(Types.size());
    for (std::size_t i = 0; i < Types.size(); ++i)
        FColumns[i].Kind = StorageKindOf(Types[i]);
    FRowCount = 0;
}

void TRecordStore::ResetColumnsFrom(const TRecordStore& Other)
{
    FColumns.clear();
    FColumns.resize(Other.FColumns.size());
    for (std::size_t i = 0; i < FColumns.size(); ++i)
        FColumns[i].Kind = Other.FColumns[i].Kind;
    FRowCount = 0;
}

void TRecordStore::Clear()
{
    for (TColumn& C : FColumns) {
        C.Ints.clear();
        C.Floats.clear();
        C.Texts.clear();
        C.Nulls.clear();
    }
    FRowCount = 0;
}

void TRecordStore::Reserve(Int64 Rows)
{
    for (TColumn& C : FColumns) {
        C.Nulls.reserve(static_cast<std::size_t>(Rows));
        switch (C.Kind) {
        case TStorageKind::Integer:
        case TStorageKind::Currency:
            C.Ints.reserve(static_cast<std::size_t>(Rows));
            break;
        case TStorageKind::Float:
            C.Floats.reserve(static_cast<std::size_t>(Rows));
            break;
        case TStorageKind::Text:
            C.Texts.reserve(static_cast<std::size_t>(Rows));
            break;
        }
    }
}

Int64 TRecordStore::AppendRow()
{
    for (TColumn& C : FColumns) {
        C.Nulls.push_back(1);
        switch (C.Kind) {
        case TStorageKind::Integer:
        case TStorageKind::Currency:
            C.Ints.push_back(0);
            break;
        case TStorageKind::Float:
            C.Floats.push_back(0);
            break;
        case TStorageKind::Text:
            C.Texts.emplace_back();
            break;
        }
    }
    return FRowCount++;
}

void TRecordStore::InsertRow(Int64 Row)
{
    const auto At = static_cast<std::ptrdiff_t>(Row);
    for (TColumn& C : FColumns) {
        C.Nulls.insert(C.Nulls.begin() + At, 1);
        switch (C.Kind) {
        case TStorageKind::Integer:
        case TStorageKind::Currency:
            C.Ints.insert(C.Ints.begin() + At, 0);
            break;
        case TStorageKind::Float:
            C.Floats.insert(C.Floats.begin() + At, 0.0);
            break;
        case TStorageKind::Text:
            C.Texts.insert(C.Texts.begin() + At, String());
            break;
        }
    }
    ++FRowCount;
}

void TRecordStore::DeleteRow(Int64 Row)
{
    const auto At = static_cast<std::ptrdiff_t>(Row);
    for (TColumn& C : FColumns) {
        C.Nulls.erase(C.Nulls.begin() + At);
        switch (C.Kind) {
        case TStorageKind::Integer:
        case TStorageKind::Currency:
            C.Ints.erase(C.Ints.begin() + At);
            break;
        case TStorageKind::Float:
            C.Floats.erase(C.Floats.begin() + At);
            break;
        case TStorageKind::Text:
            C.Texts.erase(C.Texts.begin() + At);
            break;
        }
    }
    --FRowCount;
}

void TRecordStore::CopyRow(const TRecordStore& Source, Int64 SourceRow, Int64 DestRow)
{
    for (std::size_t i = 0; i < FColumns.size(); ++i) {
        TColumn& D = FColumns[i];
        const TColumn& S = Source.FColumns[i];
        D.Nulls[DestRow] = S.Nulls[SourceRow];
        switch (D.Kind) {
        case TStorageKind::Integer:
        case TStorageKind::Currency:
            D.Ints[DestRow] = S.Ints[SourceRow];
            break;
        case TStorageKind::Float:
            D.Floats[DestRow] = S.Floats[SourceRow];
            break;
        case TStorageKind::Text:
            D.Texts[DestRow] = S.Texts[SourceRow];
            break;
        }
    }
}

void TRecordStore::SetNull(Int64 Row, Integer Col)
{
    TColumn& C = FColumns[Col];
    C.Nulls[Row] = 1;
    switch (C.Kind) {
    case TStorageKind::Integer:
    case TStorageKind::Currency:
        C.Ints[Row] = 0;
        break;
    case TStorageKind::Float:
        C.Floats[Row] = 0;
        break;
    case TStorageKind::Text:
        C.Texts[Row].clear();
        break;
    }
}

void TRecordStore::SetInt(Int64 Row, Integer Col, Int64 Value)
{
    TColumn& C = FColumns[Col];
    C.Ints[Row] = Value;
    C.Nulls[Row] = 0;
}

void TRecordStore::SetFloat(Int64 Row, Integer Col, Double Value)
{
    TColumn& C = FColumns[Col];
    C.Floats[Row] = Value;
    C.Nulls[Row] = 0;
}

void TRecordStore::SetText(Int64 Row, Integer Col, String Value)
{
    TColumn& C = FColumns[Col];
    C.Texts[Row] = std::move(Value);
    C.Nulls[Row] = 0;
}

void TRecordStore::AssignText(Int64 Row, Integer Col, std::string_view Value)
{
    TColumn& C = FColumns[Col];
    C.Texts[Row].assign(Value);
    C.Nulls[Row] = 0;
}

} // namespace qor
