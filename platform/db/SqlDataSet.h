#pragma once
// SQL data: TDatabase, a connection through one of the installed drivers (SQLite by default), and
// TQuery, the rows of a SELECT statement with named parameters, read whole when the query opens,
// or one at a time when it is forward-only.

#include "platform/db/DataSet.h"

#include <memory>
#include <vector>

namespace qor {

class TStringList;
class TQuery;

class TDatabase : public TComponent {
    QOR_CLASS(TDatabase, TComponent)
public:
    explicit TDatabase(TComponent* AOwner);
    ~TDatabase() override;

    // "QSQLITE" unless set; other installed drivers by their names ("QPSQL", "QMYSQL", ...).
    const String& DriverName() const { return FDriverName; }
    void SetDriverName(const String& Value);
    // For SQLite the file name (":memory:" for a private database in memory).
    const String& DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const String& Value);
    // The folder a relative SQLite file name is taken from (when empty: the current folder); a
    // database read from a form file takes the form file's folder.
    const String& BaseDirectory() const { return FBaseDirectory; }
    void SetBaseDirectory(const String& Value);
    // DatabaseName as it is opened.
    String FullDatabaseName() const;
    // For server drivers: "key=value" settings separated by blanks, values with blanks in single
    // quotes ('' or \' for a quote), as PostgreSQL writes them: "host=db1 port=5433 dbname=sales
    // user=report". host, port, dbname, user and password take the place of the properties;
    // anything else is passed to the driver as a connect option.
    const String& ConnectionString() const { return FConnectionString; }
    void SetConnectionString(const String& Value);
    const String& HostName() const { return FHostName; }
    void SetHostName(const String& Value);
    const String& UserName() const { return FUserName; }
    void SetUserName(const String& Value);
    const String& Password() const { return FPassword; }
    void SetPassword(const String& Value);

    bool Connected() const;
    // Connecting raises EDatabaseError with the driver's message when it fails.
    void SetConnected(bool Value);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    // Runs a statement that returns no rows; answers the rows affected (-1 when unknown).
    Int64 ExecSQL(const String& Sql);

    void Loaded() override;
    void ReadState(TReader& Reader) override;

    struct TImpl;
    TImpl* Impl() const { return FImpl.get(); }

private:
    friend class TQuery;
    void CheckDisconnected() const;
    void AddQuery(TQuery* Query);
    void RemoveQuery(TQuery* Query);

    std::unique_ptr<TImpl> FImpl;
    String FDriverName = "QSQLITE";
    String FDatabaseName;
    String FBaseDirectory;
    String FConnectionString;
    String FHostName;
    String FUserName;
    String FPassword;
    bool FStreamedConnected = false;
    std::vector<TQuery*> FQueries;
};

// One named parameter of a query (":Name" in its text).
class TParam {
public:
    explicit TParam(String Name) : FName(std::move(Name)) {}
    const String& Name() const { return FName; }
    const TFieldValue& Value() const { return FValue; }
    void SetValue(const TFieldValue& Value) { FValue = Value; }
    bool IsNull() const { return FValue.IsNull(); }
    void Clear() { FValue = TFieldValue(); }
    void SetAsString(const String& Value) { FValue = TFieldValue(Value); }
    void SetAsInteger(Int64 Value) { FValue = TFieldValue(Value); }
    void SetAsFloat(Double Value) { FValue = TFieldValue(Value); }
    void SetAsBoolean(bool Value) { FValue = TFieldValue(Value); }
    void SetAsCurrency(Currency Value) { FValue = TFieldValue::FromCurrency(Value.Raw()); }
    void SetAsDateTime(TDateTime Value) { FValue = TFieldValue::FromDateTime(Value); }

private:
    String FName;
    TFieldValue FValue;
};

class TParams {
public:
    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    TParam* Items(Integer Index) const;
    TParam* operator[](Integer Index) const { return Items(Index); }
    // Case-insensitive; null when absent.
    TParam* FindParam(const String& Name) const;
    // Raises EDatabaseError "Parameter 'X' not found".
    TParam* ParamByName(const String& Name) const;
    // Keeps the values of parameters whose names stay.
    void Rebuild(const std::vector<String>& Names);

private:
    std::vector<std::unique_ptr<TParam>> FItems;
};

class TQuery : public TDataSet {
    QOR_CLASS(TQuery, TDataSet)
public:
    explicit TQuery(TComponent* AOwner);
    ~TQuery() override;

    TDatabase* Database() const { return FDatabase; }
    void SetDatabase(TDatabase* Value);
    // The statement; changing it closes the query and finds its parameters again.
    TStrings* SQL() const;
    TParams* Params() const { return FParams.get(); }
    // Raises EDatabaseError "Parameter 'X' not found", naming the query.
    TParam* ParamByName(const String& Name) const;

    // Runs the statement without reading rows (INSERT, UPDATE, CREATE ...).
    Int64 ExecSQL();

    // The master of a detail query: a parameter the application has given no value takes the
    // value of the master's field of the same name (case-insensitive) on the master's current
    // record. While the master is closed or has no record such a query has no rows. When the
    // master moves to a record with other values the open query runs again and stands on its
    // first row; First runs it again too when the master moved unheard (its controls disabled).
    // A query cannot be its own master, nor the master of its masters.
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);

    // A forward-only query holds only its current row, so a query of any size is read in the same
    // memory: it moves First, Next and Last only, First after moving runs the statement again, and
    // RecordCount answers -1. Text columns without a declared width keep the default width. On a
    // server it reads through a connection of its own, so other queries can run meanwhile.
    // Set while the query is closed.
    bool ForwardOnly() const { return IsUniDirectional(); }
    void SetForwardOnly(bool Value) { SetUniDirectional(Value); }

protected:
    void InternalOpen() override;
    void InternalClose() override;
    bool FetchNextRow() override;
    void RestartRows() override;
    bool RefreshRows() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    struct TCursor;
    class TMasterLink;
    friend class TMasterLink;
    void SqlChanged();
    // The value parameter Index (of the statement's names) is bound to: the application's, else
    // the master's field's.
    TFieldValue BoundValue(const String& Name) const;
    // The master moved or opened: runs the query again when the values it takes changed.
    void MasterChanged();
    std::vector<TFieldValue> MasterValues() const;
    // The values taken from the master differ from those the rows were read with.
    bool MasterMoved() const;
    // Some parameter takes its value from a master that has no current record.
    bool MasterHasNoRecord() const;
    // Runs the open query again into the store; on failure the store is left empty.
    void Reread();
    TDatabase* CheckDatabase() const;
    // Runs the statement for its rows; the cursor stands before the first row.
    std::unique_ptr<TCursor> Execute();
    // Execute on SQLite, through the library.
    void ExecuteSqlite(TCursor& Cursor, const String& Sql, const std::vector<String>& Names);
    // The values the statement's parameters Names are bound to, kept to see when the master moves.
    void TakeMasterValues(const std::vector<String>& Names);
    // Field definitions from the cursor's columns; answers which text columns take their width
    // from the data.
    std::vector<bool> DefineFields(const TCursor& Cursor);
    // Reads the cursor's next row into the store (replacing its one row when Replace); false at the end.
    bool ReadRow(TCursor& Cursor, bool Replace);
    bool ReadSqliteRow(TCursor& Cursor, bool Replace);
    void FitTextSizes(const std::vector<bool>& SizeFromData, const std::vector<std::size_t>& Longest);

    TDatabase* FDatabase = nullptr;
    std::unique_ptr<TStringList> FSQL;
    std::unique_ptr<TParams> FParams;
    std::unique_ptr<TCursor> FCursor; // a forward-only query's open statement
    std::unique_ptr<TMasterLink> FMasterLink;
    std::vector<TFieldValue> FMasterValues; // what the rows held were read with
    bool FMasterEmpty = false;              // they were read without a master record: none kept
    bool FRequerying = false;
};

// The field type for a column's declared SQL type ("INTEGER", "VARCHAR(30)", "DECIMAL(10,2)",
// "DATE", ...), with its size (text length or decimals) and precision; ftUnknown when the
// declaration says nothing known.
TFieldType FieldTypeOfDeclaredType(const String& Declared, Integer& Size, Integer& Precision);

// The names of the ":Name" parameters of a statement, in order of first use; quoted text, quoted
// names and comments are skipped, "::" is not a parameter.
std::vector<String> FindSqlParams(const String& Sql);

} // namespace qor
