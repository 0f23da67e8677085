#pragma once
// TMemoryDataSet: rows kept in memory, defined from code (FieldDefs, AppendRecord) or in a form file
// (Columns and Rows string lists).

#include "platform/db/DataSet.h"

#include <memory>

namespace qor {

class TStringList;

// Reads field declarations, one a line: "Name:Type[:Size[:Precision]]" with the type named as in
// TFieldType with or without its "ft" prefix ("Name:String:30", "Amount:ftCurrency"). Blank lines
// are skipped. Raises EDatabaseError naming Owner and the line for anything else.
void ParseFieldDeclarations(const TStrings* Lines, TFieldDefs* Defs, const TComponent* Owner);

class TMemoryDataSet : public TDataSet {
    QOR_CLASS(TMemoryDataSet, TDataSet)
public:
    explicit TMemoryDataSet(TComponent* AOwner);
    ~TMemoryDataSet() override;

    // Field declarations; when present they replace FieldDefs on opening.
    TStrings* Columns() const;
    // Rows as comma-separated lines with values written the invariant way (ISO dates, '.'
    // decimals); read into the data set when it opens after they changed.
    TStrings* Rows() const;

    bool CanModify() const override { return true; }
    // Opens with the field definitions as they stand.
    void CreateDataSet() { Open(); }
    // Drops every row (the data set may be open or closed).
    void EmptyDataSet();

protected:
    void InternalOpen() override;
    void InternalInitFieldDefs() override;

private:
    void ApplyDeclarations();
    void LoadRows();

    std::unique_ptr<TStringList> FColumns;
    std::unique_ptr<TStringList> FRows;
    std::vector<TFieldType> FStoreTypes;
    std::vector<String> FStoreNames;
    bool FRowsChanged = false;
};

} // namespace qor
