#pragma once
// TCsvDataSet: the rows of a comma-separated file, read whole when the data set opens.

#include "platform/db/DataSet.h"

#include <memory>

namespace qor {

class TStringList;

class TCsvDataSet : public TDataSet {
    QOR_CLASS(TCsvDataSet, TDataSet)
public:
    explicit TCsvDataSet(TComponent* AOwner);
    ~TCsvDataSet() override;

    const String& FileName() const { return FFileName; }
    void SetFileName(const String& Value);
    // The folder a relative FileName is taken from (when empty: the current folder); a data set
    // read from a form file takes the form file's folder.
    const String& BaseDirectory() const { return FBaseDirectory; }
    void SetBaseDirectory(const String& Value);
    // FileName as it is opened.
    String FullFileName() const;
    // The first line names the columns.
    bool HasHeader() const { return FHasHeader; }
    void SetHasHeader(bool Value);
    char Separator() const { return FSeparator; }
    void SetSeparator(char Value);
    char QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(char Value);
    // Field declarations ("Name:Type[:Size]"). With a header they are matched to its columns by name,
    // without one by position. Without declarations every column's type is inferred from its values:
    // integer, float, ISO date or date-time, Boolean, else string.
    TStrings* Columns() const;

    // Reads rows from text instead of a file (FileName is then ignored until cleared).
    void SetCsvText(const String& Text);

    void ReadState(TReader& Reader) override;

protected:
    void InternalOpen() override;
    void InternalClose() override;

private:
    String LoadText() const;
    void InferFieldDefs(const std::vector<String>& Names, const std::vector<std::vector<String>>& Rows);

    String FFileName;
    String FBaseDirectory;
    bool FHasHeader = true;
    char FSeparator = ',';
    char FQuoteChar = '"';
    std::unique_ptr<TStringList> FColumns;
    bool FUseText = false;
    String FText;
};

} // namespace qor
