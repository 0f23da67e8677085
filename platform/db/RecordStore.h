#pragma once
// Rows of a data set held in memory, column by column: integers (and booleans and currency
// ten-thousandths) in 64-bit integers, floats and date-times in doubles, texts and bytes in strings,
// each column with its own null flags. Every data set kind caches its rows here.

#include "platform/db/FieldTypes.h"
#include "platform/db/FieldValue.h"

#include <string_view>
#include <vector>

namespace qor {

enum class TStorageKind : Byte { Integer, Float, Currency, Text };

// How values of a field type are stored.
TStorageKind StorageKindOf(TFieldType Type);

class TRecordStore {
public:
    // Drops every row and sets up one column per type.
    void Reset(const std::vector<TFieldType>& Types);
    void Clear();                       // drops the rows, keeps the columns
    // No rows, and the columns of Other.
    void ResetColumnsFrom(const TRecordStore& Other);

    Integer ColumnCount() const { return static_cast<Integer>(FColumns.size()); }
    Int64 RowCount() const { return FRowCount; }
    TStorageKind Kind(Integer Col) const { return FColumns[Col].Kind; }

    // Appends a row of nulls and answers its index.
    Int64 AppendRow();
    // Inserts a row of nulls before Row.
    void InsertRow(Int64 Row);
    void DeleteRow(Int64 Row);
    void Reserve(Int64 Rows);
    // Copies one row of another store with the same columns over a row of this one.
    void CopyRow(const TRecordStore& Source, Int64 SourceRow, Int64 DestRow);

    bool IsNull(Int64 Row, Integer Col) const { return FColumns[Col].Nulls[Row] != 0; }
    Int64 Int(Int64 Row, Integer Col) const { return FColumns[Col].Ints[Row]; }
    Double Float(Int64 Row, Integer Col) const { return FColumns[Col].Floats[Row]; }
    const String& Text(Int64 Row, Integer Col) const { return FColumns[Col].Texts[Row]; }

    void SetNull(Int64 Row, Integer Col);
    void SetInt(Int64 Row, Integer Col, Int64 Value);
    void SetFloat(Int64 Row, Integer Col, Double Value);
    void SetText(Int64 Row, Integer Col, String Value);
    // As SetText, reusing the cell's buffer.
    void AssignText(Int64 Row, Integer Col, std::string_view Value);

private:
    struct TColumn {
        TStorageKind Kind = TStorageKind::Text;
        std::vector<Int64> Ints;
        std::vector<Double> Floats;
        std::vector<String> Texts;
        std::vector<Byte> Nulls;
    };
    std::vector<TColumn> FColumns;
    Int64 FRowCount = 0;
};

} // namespace qor
