#include "platform/db/SqlDataSet.h"

#include "platform/db/DataSource.h"
#include "platform/db/ValueText.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/QtHost.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <tuple>

namespace qor {

namespace {

QString ToQ(const String& S) { return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size())); }

String FromQ(const QString& S)
{
    const QByteArray B = S.toUtf8();
    return String(B.constData(), static_cast<std::size_t>(B.size()));
}

// One message for a failure: the database's own words when it gave some (the driver's words,
// "Unable to execute statement", only when it did not), on one line.
String OneLineError(const String& DatabaseText, const String& DriverText, const String& WholeText)
{
    String Text = Trim(DatabaseText);
    // SQLite's own text of a statement refused before it ran (several statements at once).
    if (Text == "not an error")
        Text.clear();
    if (Text.empty())
        Text = Trim(DriverText);
    if (Text.empty())
        Text = Trim(WholeText);
    for (char& C : Text)
        if (C == '\n' || C == '\r')
            C = ' ';
    return Text;
}

String ErrorText(const QSqlError& E)
{
    return OneLineError(FromQ(E.databaseText()), FromQ(E.driverText()), FromQ(E.text()));
}

// Report data sets only read: their statements run on a connection that refuses changes (SQLite's
// query_only, PostgreSQL's read-only transactions), which only the explicit ExecSQL calls of the
// application lift, for their own statement.
void SetReadOnly(const QSqlDatabase& Db, bool ReadOnly)
{
    QSqlQuery Q(Db);
    const QString Driver = Db.driverName();
    if (Driver == "QSQLITE")
        Q.exec(ReadOnly ? "PRAGMA query_only = ON" : "PRAGMA query_only = OFF");
    else if (Driver == "QPSQL")
        Q.exec(ReadOnly ? "SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"
                        : "SET SESSION CHARACTERISTICS AS TRANSACTION READ WRITE");
}

struct TWritable {
    explicit TWritable(const QSqlDatabase& ADb) : Db(ADb) { SetReadOnly(Db, false); }
    ~TWritable() { SetReadOnly(Db, true); }
    const QSqlDatabase& Db;
};

// ---- parameters ----------------------------------------------------------------------------

bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Walks a statement: copies it to Out with every ":Name" replaced by '?', and lists the names in
// order of appearance (with repeats).
void ScanSql(const String& Sql, String* Out, std::vector<String>& Names)
{
    const std::size_t n = Sql.size();
    std::size_t i = 0;
    auto Copy = [&](std::size_t From, std::size_t To) {
        if (Out)
            Out->append(Sql, From, To - From);
    };
    while (i < n) {
        const char c = Sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char Close = c == '[' ? ']' : c;
            std::size_t j = i + 1;
            while (j < n) {
                if (Sql[j] == Close) {
                    if (Close != ']' && j + 1 < n && Sql[j + 1] == Close) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = std::min(j + 1, n);
            Copy(i, j);
            i = j;
        } else if (c == '-' && i + 1 < n && Sql[i + 1] == '-') {
            std::size_t j = Sql.find('\n', i);
            j = j == String::npos ? n : j;
            Copy(i, j);
            i = j;
        } else if (c == '/' && i + 1 < n && Sql[i + 1] == '*') {
            std::size_t j = Sql.find("*/", i + 2);
            j = j == String::npos ? n : j + 2;
            Copy(i, j);
            i = j;
        } else if (c == ':' && i + 1 < n && Sql[i + 1] == ':') {
            Copy(i, i + 2);
            i += 2;
        } else if (c == ':' && i + 1 < n && IsIdentChar(Sql[i + 1]) &&
                   !std::isdigit(static_cast<unsigned char>(Sql[i + 1]))) {
            std::size_t j = i + 1;
            while (j < n && IsIdentChar(Sql[j]))
                ++j;
            Names.push_back(Sql.substr(i + 1, j - i - 1));
            if (Out)
                *Out += '?';
            i = j;
        } else {
            Copy(i, i + 1);
            ++i;
        }
    }
}

QVariant ParamToQ(const TFieldValue& V)
{
    switch (V.Kind()) {
    case TValueKind::Null: return QVariant();
    case TValueKind::Boolean: return QVariant(V.IntValue() != 0);
    case TValueKind::Integer: return QVariant(static_cast<qlonglong>(V.IntValue()));
    case TValueKind::Float: return QVariant(V.FloatValue());
    case TValueKind::Currency: return QVariant(ToQ(FormatInvariantCurrency(V.IntValue())));
    case TValueKind::DateTime: {
        const Double D = V.FloatValue();
        return QVariant(ToQ(D == static_cast<Double>(static_cast<Int64>(D)) ? FormatIsoDate(D) : FormatIsoDateTime(D)));
    }
    case TValueKind::String: return QVariant(ToQ(V.Text()));
    case TValueKind::Bytes: return QVariant(QByteArray(V.Text().data(), static_cast<qsizetype>(V.Text().size())));
    }
    return QVariant();
}

// ---- SQLite through its own library -----------------------------------------------------------
// The Qt driver opens SQLite databases and runs the statements that change them; a query's rows
// are read through the library itself, on the driver's connection: a value passes straight into
// the store instead of through a QVariant and UTF-16 and back. What the rows hold, the errors and
// their texts are those the driver gives.

// The driver's connection, or null when Db is not an open SQLite database.
sqlite3* SqliteHandle(const QSqlDatabase& Db)
{
    const QSqlDriver* Driver = Db.driver();
    if (!Driver)
        return nullptr;
    const QVariant H = Driver->handle();
    if (!H.isValid() || qstrcmp(H.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(H.constData());
}

// The library's message for the last failure on H, as ErrorText words the driver's.
String SqliteErrorText(sqlite3* H, const char* DriverText)
{
    return OneLineError(FromQ(QString::fromUtf8(sqlite3_errmsg(H))), DriverText, DriverText);
}

// A parameter bound as the driver binds the QVariant it would be given.
int BindSqliteParam(sqlite3_stmt* Stmt, int Index, const TFieldValue& Value)
{
    const QVariant V = ParamToQ(Value);
    if (V.isNull())
        return sqlite3_bind_null(Stmt, Index);
    switch (V.typeId()) {
    case QMetaType::QByteArray: {
        const QByteArray B = V.toByteArray();
        return sqlite3_bind_blob(Stmt, Index, B.constData(), static_cast<int>(B.size()), SQLITE_TRANSIENT);
    }
    case QMetaType::Bool: return sqlite3_bind_int(Stmt, Index, V.toInt());
    case QMetaType::Double: return sqlite3_bind_double(Stmt, Index, V.toDouble());
    case QMetaType::LongLong: return sqlite3_bind_int64(Stmt, Index, V.toLongLong());
    default: {
        const QString Text = V.toString();
        return sqlite3_bind_text16(Stmt, Index, Text.utf16(), static_cast<int>(Text.size() * sizeof(QChar)),
                                   SQLITE_TRANSIENT);
    }
    }
}

// Column Col of the current row as the driver hands it over.
QVariant SqliteValueAsQt(sqlite3_stmt* Stmt, int Col)
{
    switch (sqlite3_column_type(Stmt, Col)) {
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(Stmt, Col)), sqlite3_column_bytes(Stmt, Col));
    case SQLITE_INTEGER: return QVariant(static_cast<qlonglong>(sqlite3_column_int64(Stmt, Col)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(Stmt, Col));
    case SQLITE_NULL: return QVariant(QMetaType::fromType<QString>());
    default:
        return QString(reinterpret_cast<const QChar*>(sqlite3_column_text16(Stmt, Col)),
                       sqlite3_column_bytes16(Stmt, Col) / static_cast<int>(sizeof(QChar)));
    }
}

// The text reads the same after the round trip through UTF-16 the driver makes: valid UTF-8
// without U+FFFE and U+FFFF (which the library turns into U+FFFD on the way).
bool SurvivesUtf16(std::string_view Text)
{
    // Plain ASCII, the usual case, is seen eight bytes at a time.
    std::size_t i = 0;
    for (; i + 8 <= Text.size(); i += 8) {
        std::uint64_t Word;
        std::memcpy(&Word, Text.data() + i, 8);
        if (Word & 0x8080808080808080u)
            break;
    }
    while (i < Text.size() && static_cast<unsigned char>(Text[i]) < 0x80)
        ++i;
    if (i == Text.size())
        return true;
    return IsValidUtf8(Text) && Text.find("\xEF\xBF\xBE") == std::string_view::npos &&
           Text.find("\xEF\xBF\xBF") == std::string_view::npos;
}

// The field type the driver gives a column whose declared type we do not know: by the declared
// type's name, or, without one, by the first row's storage class.
TFieldType SqliteFallbackType(const char* Declared, int StorageClass)
{
    if (Declared && *Declared) {
        const String T = LowerCase(Declared);
        if (T == "integer" || T == "int")
            return ftInteger;
        if (T == "double" || T == "float" || T == "real" || T.rfind("numeric", 0) == 0)
            return ftFloat;
        if (T == "blob")
            return ftBlob;
        if (T == "boolean" || T == "bool")
            return ftBoolean;
        return ftString;
    }
    switch (StorageClass) {
    case SQLITE_INTEGER: return ftInteger;
    case SQLITE_FLOAT: return ftFloat;
    case SQLITE_BLOB: return ftBlob;
    default: return ftString;
    }
}

TFieldType FieldTypeOfMetaType(const QMetaType& Type)
{
    switch (Type.id()) {
    case QMetaType::Bool: return ftBoolean;
    case QMetaType::Short:
    case QMetaType::UShort: return ftSmallint;
    case QMetaType::Int:
    case QMetaType::UInt: return ftInteger;
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return ftLargeint;
    case QMetaType::Double:
    case QMetaType::Float: return ftFloat;
    case QMetaType::QDate: return ftDate;
    case QMetaType::QTime: return ftTime;
    case QMetaType::QDateTime: return ftDateTime;
    case QMetaType::QByteArray: return ftBlob;
    default: return ftString;
    }
}

std::atomic<int> GConnectionCounter{0};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The settings of a connection string, keys in lower case. Messages name keys, never values (one
// may be a password).
std::vector<std::pair<String, String>> ParseConnectionString(const String& Text, const TComponent* Owner)
{
    std::vector<std::pair<String, String>> Result;
    const std::size_t n = Text.size();
    std::size_t i = 0;
    auto SkipBlanks = [&] {
        while (i < n && IsBlank(Text[i]))
            ++i;
    };
    for (SkipBlanks(); i < n; SkipBlanks()) {
        const std::size_t Start = i;
        while (i < n && !IsBlank(Text[i]) && Text[i] != '=')
            ++i;
        const String Key = Text.substr(Start, i - Start);
        SkipBlanks();
        if (Key.empty() || i >= n || Text[i] != '=')
            DatabaseError("The connection string has no value for '" + Key + "'", Owner);
        ++i;
        SkipBlanks();
        String Value;
        const bool Quoted = i < n && Text[i] == '\'';
        if (Quoted)
            ++i;
        bool Closed = !Quoted;
        while (i < n && (Quoted || !IsBlank(Text[i]))) {
            if (Text[i] == '\\' && i + 1 < n) {
                Value += Text[i + 1];
                i += 2;
            } else if (Quoted && Text[i] == '\'' && i + 1 < n && Text[i + 1] == '\'') {
                Value += '\'';
                i += 2;
            } else if (Quoted && Text[i] == '\'') {
                ++i;
                Closed = true;
                break;
            } else {
                Value += Text[i++];
            }
        }
        if (!Closed)
            DatabaseError("The connection string's value for '" + Key + "' has no closing quote", Owner);
        Result.emplace_back(LowerCase(Key), std::move(Value));
    }
    return Result;
}

// A libpq-style option, quoted so blanks and quotes in its value survive.
QString QuotedOption(const String& Key, const String& Value)
{
    String Quoted;
    for (char C : Value) {
        if (C == '\'' || C == '\\')
            Quoted += '\\';
        Quoted += C;
    }
    return ToQ(Key + "='" + Quoted + "'");
}

} // namespace

std::vector<String> FindSqlParams(const String& Sql)
{
    std::vector<String> All, Unique;
    ScanSql(Sql, nullptr, All);
    for (const String& N : All) {
        bool Seen = false;
        for (const String& U : Unique)
            Seen = Seen || SameText(U, N);
        if (!Seen)
            Unique.push_back(N);
    }
    return Unique;
}

TFieldType FieldTypeOfDeclaredType(const String& Declared, Integer& Size, Integer& Precision)
{
    Size = 0;
    Precision = 0;
    String T = UpperCase(Trim(Declared));
    Integer Args[2] = {-1, -1};
    const std::size_t Open = T.find('(');
    if (Open != String::npos) {
        const std::size_t Close = T.find(')', Open);
        const String Inside = T.substr(Open + 1, Close == String::npos ? String::npos : Close - Open - 1);
        const std::size_t Comma = Inside.find(',');
        TryStrToInt(Trim(Inside.substr(0, Comma)), Args[0]);
        if (Comma != String::npos)
            TryStrToInt(Trim(Inside.substr(Comma + 1)), Args[1]);
        T = Trim(T.substr(0, Open));
    }
    auto Has = [&](const char* Word) { return T.find(Word) != String::npos; };
    auto Is = [&](const char* Word) { return T == Word; };

    if (T.empty())
        return ftUnknown;
    if (Is("BOOLEAN") || Is("BOOL") || Is("BIT"))
        return ftBoolean;
    if (Is("SMALLINT") || Is("TINYINT") || Is("INT2"))
        return ftSmallint;
    if (Is("BIGINT") || Is("INT8") || Is("UNSIGNED BIG INT"))
        return ftLargeint;
    if (Has("INT"))
        return ftInteger;
    if (Is("DATE"))
        return ftDate;
    if (Is("TIME"))
        return ftTime;
    if (Has("DATETIME") || Has("TIMESTAMP"))
        return ftDateTime;
    if (Has("MONEY") || Is("CURRENCY"))
        return ftCurrency;
    if (Has("DEC") || Has("NUMERIC") || Is("NUMBER")) {
        if (Args[0] > 0) {
            Precision = Args[0];
            Size = Args[1] > 0 ? Args[1] : 0;
            return Size <= 4 && Precision <= 18 ? ftBCD : ftFMTBcd;
        }
        return ftFMTBcd;
    }
    if (Has("REAL") || Has("FLOA") || Has("DOUB"))
        return ftFloat;
    if (Has("CLOB") || Is("MEMO") || Is("LONGTEXT") || Is("MEDIUMTEXT"))
        return ftMemo;
    if (Is("IMAGE") || Is("GRAPHIC"))
        return ftGraphic;
    if (Has("BLOB") || Is("BYTEA") || Has("BINARY"))
        return ftBlob;
    if (Is("NCHAR") || Is("NATIONAL CHAR")) {
        Size = Args[0] > 0 ? Args[0] : 1;
        return ftFixedWideChar;
    }
    if (Is("CHAR") || Is("CHARACTER")) {
        Size = Args[0] > 0 ? Args[0] : 1;
        return ftFixedChar;
    }
    if (Has("CHAR") || Has("TEXT") || Has("STRING")) {
        Size = Args[0] > 0 ? Args[0] : 0;
        return Has("NVARCHAR") || Has("NCHAR") ? ftWideString : ftString;
    }
    return ftUnknown;
}

// ---- TDatabase ------------------------------------------------------------------------------------

struct TDatabase::TImpl {
    QString ConnectionName;
    bool Open = false;

    QSqlDatabase Db() const { return QSqlDatabase::database(ConnectionName, false); }
};

TDatabase::TDatabase(TComponent* AOwner) : TComponent(AOwner), FImpl(std::make_unique<TImpl>()) {}

TDatabase::~TDatabase()
{
    for (TQuery* Q : std::vector<TQuery*>(FQueries))
        Q->SetDatabase(nullptr);
    try {
        SetConnected(false);
    } catch (...) {
    }
}

void TDatabase::CheckDisconnected() const
{
    if (Connected())
        DatabaseError("Cannot perform this operation on a connected database", this);
}

void TDatabase::SetDriverName(const String& Value)
{
    CheckDisconnected();
    FDriverName = Value;
}

void TDatabase::SetDatabaseName(const String& Value)
{
    CheckDisconnected();
    FDatabaseName = Value;
}

void TDatabase::SetBaseDirectory(const String& Value)
{
    CheckDisconnected();
    FBaseDirectory = Value;
}

String TDatabase::FullDatabaseName() const
{
    if (FDriverName != "QSQLITE" || FDatabaseName == ":memory:")
        return FDatabaseName;
    return ResolveFileName(FDatabaseName, FBaseDirectory);
}

void TDatabase::SetConnectionString(const String& Value)
{
    CheckDisconnected();
    FConnectionString = Value;
}

void TDatabase::ReadState(TReader& Reader)
{
    if (!Reader.BaseDirectory().empty())
        FBaseDirectory = Reader.BaseDirectory();
    TComponent::ReadState(Reader);
}

void TDatabase::SetHostName(const String& Value)
{
    CheckDisconnected();
    FHostName = Value;
}

void TDatabase::SetUserName(const String& Value)
{
    CheckDisconnected();
    FUserName = Value;
}

void TDatabase::SetPassword(const String& Value)
{
    CheckDisconnected();
    FPassword = Value;
}

bool TDatabase::Connected() const { return FImpl->Open; }

void TDatabase::Loaded()
{
    TComponent::Loaded();
    if (FStreamedConnected) {
        FStreamedConnected = false;
        SetConnected(true);
    }
}

void TDatabase::SetConnected(bool Value)
{
    // A value read from a form file waits for Loaded; once the whole form is read, a query that
    // opens before the database's own Loaded connects it at once.
    if (ComponentState().Contains(csReading)) {
        FStreamedConnected = Value;
        return;
    }
    if (Value == FImpl->Open)
        return;
    if (!Value) {
        for (TQuery* Q : std::vector<TQuery*>(FQueries))
            Q->Close();
        const QString Name = FImpl->ConnectionName;
        {
            QSqlDatabase Db = FImpl->Db();
            if (Db.isValid())
                Db.close();
        }
        QSqlDatabase::removeDatabase(Name);
        FImpl->Open = false;
        FImpl->ConnectionName.clear();
        return;
    }

    EnsureQtApplication();
    if (!QSqlDatabase::isDriverAvailable(ToQ(FDriverName)))
        DatabaseError("The database driver '" + FDriverName + "' is not installed", this);
    const bool Sqlite = FDriverName == "QSQLITE";
    if (Sqlite && FDatabaseName.empty())
        DatabaseError("No database name given", this);
    String DatabaseName = FullDatabaseName(), HostName = FHostName, UserName = FUserName, Password = FPassword;
    Integer Port = -1;
    QStringList Options;
    for (const auto& [Key, Value] : ParseConnectionString(FConnectionString, this)) {
        if (Key == "dbname")
            DatabaseName = Value;
        else if (Key == "host")
            HostName = Value;
        else if (Key == "user")
            UserName = Value;
        else if (Key == "password")
            Password = Value;
        else if (Key == "port" && !(TryStrToInt(Value, Port) && Port > 0 && Port < 65536))
            DatabaseError("The connection string's port is not a port number", this);
        else if (Key != "port")
            Options << QuotedOption(Key, Value);
    }
    // Never create a database file by accident: a missing file is an error.
    if (Sqlite && DatabaseName != ":memory:" && !FileExists(DatabaseName))
        DatabaseError("Cannot connect to '" + DatabaseName + "': the database file does not exist", this);
    if (Sqlite && DatabaseName != ":memory:")
        Options << "QSQLITE_OPEN_READWRITE_IF_EXISTS";
    const QString Name = QString("qor_db_%1").arg(++GConnectionCounter);
    String Failure;
    {
        QSqlDatabase Db = QSqlDatabase::addDatabase(ToQ(FDriverName), Name);
        Db.setDatabaseName(ToQ(DatabaseName));
        if (!HostName.empty())
            Db.setHostName(ToQ(HostName));
        if (!UserName.empty())
            Db.setUserName(ToQ(UserName));
        if (!Password.empty())
            Db.setPassword(ToQ(Password));
        if (Port > 0)
            Db.setPort(Port);
        Db.setConnectOptions(Options.join(';'));
        if (!Db.open())
            Failure = ErrorText(Db.lastError());
    }
    if (!Failure.empty()) {
        QSqlDatabase::removeDatabase(Name);
        DatabaseError("Cannot connect to '" + DatabaseName + "': " + Failure, this);
    }
    FImpl->ConnectionName = Name;
    FImpl->Open = true;
}

Int64 TDatabase::ExecSQL(const String& Sql)
{
    SetConnected(true);
    const QSqlDatabase Db = FImpl->Db();
    TWritable Writable(Db);
    QSqlQuery Q(Db);
    if (!Q.exec(ToQ(Sql)))
        DatabaseError("SQL error: " + ErrorText(Q.lastError()), this);
    return Q.numRowsAffected();
}

void TDatabase::AddQuery(TQuery* Query)
{
    if (std::find(FQueries.begin(), FQueries.end(), Query) == FQueries.end())
        FQueries.push_back(Query);
}

void TDatabase::RemoveQuery(TQuery* Query)
{
    FQueries.erase(std::remove(FQueries.begin(), FQueries.end(), Query), FQueries.end());
}

// ---- TParams --------------------------------------------------------------------------------------

TParam* TParams::Items(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FItems[static_cast<std::size_t>(Index)].get();
}

TParam* TParams::FindParam(const String& Name) const
{
    for (const auto& P : FItems)
        if (SameText(P->Name(), Name))
            return P.get();
    return nullptr;
}

TParam* TParams::ParamByName(const String& Name) const
{
    TParam* P = FindParam(Name);
    if (!P)
        DatabaseError("Parameter '" + Name + "' not found");
    return P;
}

void TParams::Rebuild(const std::vector<String>& Names)
{
    std::vector<std::unique_ptr<TParam>> Items;
    for (const String& N : Names) {
        auto P = std::make_unique<TParam>(N);
        if (TParam* Old = FindParam(N))
            P->SetValue(Old->Value());
        Items.push_back(std::move(P));
    }
    FItems = std::move(Items);
}

// ---- TQuery ---------------------------------------------------------------------------------------

struct TQuery::TCursor {
    // A statement on Db; with OwnConnection on a connection of its own, made like Db's. An SQLite
    // statement is made by Execute, through the library.
    TCursor(const QSqlDatabase& Db, bool OwnConnection)
    {
        Handle = SqliteHandle(Db);
        if (Handle)
            return;
        if (!OwnConnection) {
            Query.emplace(Db);
            return;
        }
        Connection = QString("qor_db_%1").arg(++GConnectionCounter);
        QSqlDatabase Own = QSqlDatabase::cloneDatabase(Db, Connection);
        if (!Own.open())
            Failure = ErrorText(Own.lastError());
        Query.emplace(Own);
    }
    ~TCursor()
    {
        if (Stmt)
            sqlite3_finalize(Stmt);
        Query.reset();
        if (!Connection.isEmpty()) {
            QSqlDatabase::database(Connection, false).close();
            QSqlDatabase::removeDatabase(Connection);
        }
    }
    TCursor(const TCursor&) = delete;
    TCursor& operator=(const TCursor&) = delete;

    Integer ColumnCount() const
    {
        return Query ? static_cast<Integer>(Query->record().count()) : static_cast<Integer>(Columns.size());
    }

    std::optional<QSqlQuery> Query; // the statement, through a Qt driver
    QString Connection;           // the cursor's own connection, when it has one
    String Failure;               // why that connection did not open
    std::vector<String> Declared; // the columns' declared types, where the driver tells them
    Int64 RecNo = 0;              // records read so far

    // SQLite, read through the library.
    struct TColumn {
        String Name;
        TFieldType Fallback; // the type the driver gives when the declared one says nothing known
        Integer Length;      // its text length, when the driver knows it
    };
    sqlite3* Handle = nullptr;
    sqlite3_stmt* Stmt = nullptr;
    std::vector<TColumn> Columns;
    std::vector<std::pair<TFieldType, TStorageKind>> Types; // each column's field type, as the rows are read
    bool RowPending = false; // the statement stands on a row not yet read
    bool Done = false;       // it has no more rows
    String Failed;           // why reading failed (raised again by every later read)

    // Moves the statement to its next row; false at the end or on a failure (then Failed says why).
    bool Step()
    {
        const int Rc = sqlite3_step(Stmt);
        if (Rc == SQLITE_ROW)
            return true;
        Done = true;
        if (Rc != SQLITE_DONE)
            Failed = SqliteErrorText(Handle, "Unable to fetch row");
        sqlite3_reset(Stmt);
        return false;
    }
};

// Follows the master of a detail query.
class TQuery::TMasterLink : public TDataLink {
public:
    explicit TMasterLink(TQuery* Query) : FQuery(Query) {}

protected:
    void ActiveChanged() override { FQuery->MasterChanged(); }
    void RecordChanged(TField*) override { FQuery->MasterChanged(); }

private:
    TQuery* FQuery;
};

TQuery::TQuery(TComponent* AOwner)
    : TDataSet(AOwner), FSQL(std::make_unique<TStringList>()), FParams(std::make_unique<TParams>())
{
    FSQL->OnChanging = [this](TObject*) {
        if (Active())
            Close();
    };
    FSQL->OnChange = [this](TObject*) { SqlChanged(); };
    FMasterLink = std::make_unique<TMasterLink>(this);
}

TQuery::~TQuery()
{
    FMasterLink->SetDataSource(nullptr);
    if (FDatabase) {
        FDatabase->RemoveQuery(this);
        FDatabase->RemoveFreeNotification(this);
    }
}

TStrings* TQuery::SQL() const { return FSQL.get(); }

void TQuery::SqlChanged() { FParams->Rebuild(FindSqlParams(FSQL->Text())); }

void TQuery::SetDatabase(TDatabase* Value)
{
    if (Value == FDatabase)
        return;
    if (Active())
        Close();
    if (FDatabase) {
        FDatabase->RemoveQuery(this);
        FDatabase->RemoveFreeNotification(this);
    }
    FDatabase = Value;
    if (FDatabase) {
        FDatabase->AddQuery(this);
        FDatabase->FreeNotification(this);
    }
}

TDataSource* TQuery::DataSource() const { return FMasterLink->DataSource(); }

void TQuery::SetDataSource(TDataSource* Value)
{
    if (Value == DataSource())
        return;
    // Following the masters' masters must never come back here.
    std::vector<const TQuery*> Seen{this};
    for (TDataSource* S = Value; S;) {
        const TDataSet* Master = S->DataSet();
        if (std::find(Seen.begin(), Seen.end(), Master) != Seen.end()) {
            if (Master == this)
                Error("A query cannot be its own master");
            break;
        }
        const auto* Query = dynamic_cast<const TQuery*>(Master);
        if (!Query)
            break;
        Seen.push_back(Query);
        S = Query->DataSource();
    }
    if (TDataSource* Old = DataSource())
        Old->RemoveFreeNotification(this);
    FMasterLink->SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
    MasterChanged();
}

TFieldValue TQuery::BoundValue(const String& Name) const
{
    const TParam* P = ParamByName(Name);
    if (!P->IsNull())
        return P->Value();
    TDataSet* Master = FMasterLink->Active() ? FMasterLink->DataSet() : nullptr;
    if (!Master || Master == this || (Master->Eof() && Master->Bof()))
        return TFieldValue();
    const TField* F = Master->FindField(Name);
    return F ? F->Value() : TFieldValue();
}

std::vector<TFieldValue> TQuery::MasterValues() const
{
    // The names as Execute binds them, so the two lists compare.
    std::vector<String> Names;
    ScanSql(Trim(FSQL->Text()), nullptr, Names);
    std::vector<TFieldValue> Values;
    for (const String& Name : Names)
        Values.push_back(BoundValue(Name));
    return Values;
}

bool TQuery::MasterHasNoRecord() const
{
    if (!DataSource())
        return false;
    const TDataSet* Master = FMasterLink->Active() ? FMasterLink->DataSet() : nullptr;
    if (Master && Master != this && !(Master->Eof() && Master->Bof()))
        return false;
    for (Integer i = 0; i < FParams->Count(); ++i)
        if (FParams->Items(i)->IsNull())
            return true;
    return false;
}

bool TQuery::MasterMoved() const
{
    return DataSource() && (MasterValues() != FMasterValues || MasterHasNoRecord() != FMasterEmpty);
}

void TQuery::Reread()
{
    FRequerying = true;
    try {
        FCursor.reset();
        std::unique_ptr<TCursor> Cursor = Execute();
        if (Cursor->ColumnCount() != FieldDefs()->Count())
            Error("The statement's columns changed since the query was opened");
        Store().Clear();
        if (FMasterEmpty) {
            // Nothing to read: the cursor is dropped.
        } else if (ForwardOnly()) {
            ReadRow(*Cursor, true);
            FCursor = std::move(Cursor);
        } else {
            while (ReadRow(*Cursor, false)) {
            }
        }
    } catch (...) {
        FRequerying = false;
        // Read again at the next move or First.
        FMasterValues.clear();
        Store().Clear();
        throw;
    }
    FRequerying = false;
}

void TQuery::MasterChanged()
{
    // Only an open detail follows; a chain of queries that comes back here stops.
    if (!Active() || FRequerying || State() != dsBrowse || !MasterMoved())
        return;
    try {
        Reread();
    } catch (...) {
        RowsReloaded();
        throw;
    }
    RowsReloaded();
}

bool TQuery::RefreshRows()
{
    if (FRequerying || !MasterMoved())
        return false;
    Reread();
    return true;
}

void TQuery::Notification(TComponent* AComponent, TOperation Operation)
{
    TDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == DataSource())
        FMasterLink->SetDataSource(nullptr);
    if (Operation == opRemove && AComponent == FDatabase) {
        if (Active())
            Close();
        FDatabase = nullptr;
    }
}

TParam* TQuery::ParamByName(const String& Name) const
{
    TParam* P = FParams->FindParam(Name);
    if (!P)
        Error("Parameter '" + Name + "' not found");
    return P;
}

TDatabase* TQuery::CheckDatabase() const
{
    if (!FDatabase)
        Error("No database given");
    return FDatabase;
}

Int64 TQuery::ExecSQL()
{
    TDatabase* Db = CheckDatabase();
    Db->SetConnected(true);
    String Sql;
    std::vector<String> Names;
    ScanSql(FSQL->Text(), &Sql, Names);
    const QSqlDatabase Connection = Db->Impl()->Db();
    TWritable Writable(Connection);
    QSqlQuery Q(Connection);
    if (!Q.prepare(ToQ(Sql)))
        Error("SQL error: " + ErrorText(Q.lastError()));
    for (std::size_t i = 0; i < Names.size(); ++i)
        Q.bindValue(static_cast<int>(i), ParamToQ(BoundValue(Names[i])));
    if (!Q.exec())
        Error("SQL error: " + ErrorText(Q.lastError()));
    return Q.numRowsAffected();
}

namespace {

[[noreturn]] void BadValue(const TDataSet* DataSet, const TFieldDef* Def, Int64 RecNo, const QVariant& V)
{
    DatabaseError("row " + std::to_string(RecNo) + ": '" + FromQ(V.toString()) + "' is not a valid " +
                      (FieldTypeName(Def->DataType()) + 2) + " value for field '" + Def->Name() + "'",
                  DataSet);
}

// A currency value from its text: exact to four decimals, else a number within range, rounded.
bool StoreCurrencyText(TRecordStore& S, Int64 Row, Integer Col, std::string_view Text)
{
    Int64 C;
    if (ParseInvariantCurrency(Text, C)) {
        S.SetInt(Row, Col, C);
        return true;
    }
    Double D;
    if (ParseInvariantFloat(Text, D) && D > -9.2e14 && D < 9.2e14) {
        S.SetInt(Row, Col, static_cast<Int64>(Round(D * 10000)));
        return true;
    }
    return false;
}

bool IsBinaryFloat(TFieldType Type)
{
    return Type == ftFloat || Type == ftSingle || Type == ftCurrency || Type == ftExtended;
}

// Stores V in row Row of S; RecNo is the record's number in the result, for messages.
void StoreValue(TRecordStore& S, Int64 Row, Integer Col, const TFieldDef* Def, const QVariant& V,
                const TDataSet* DataSet, Int64 RecNo)
{
    if (V.isNull()) {
        S.SetNull(Row, Col);
        return;
    }
    const TFieldType Type = Def->DataType();
    const int Id = V.typeId();
    switch (StorageKindOf(Type)) {
    case TStorageKind::Integer: {
        if (Id == QMetaType::LongLong || Id == QMetaType::Int || Id == QMetaType::Bool || Id == QMetaType::ULongLong ||
            Id == QMetaType::UInt) {
            S.SetInt(Row, Col, V.toLongLong());
            return;
        }
        if (Id == QMetaType::Double) {
            // Whole numbers within the 64-bit range only (converting any other is undefined).
            const Double D = V.toDouble();
            if (D >= -9.2233720368547758e18 && D < 9.2233720368547758e18 && D == std::trunc(D)) {
                S.SetInt(Row, Col, static_cast<Int64>(D));
                return;
            }
        } else if (StoreInvariantText(S, Row, Col, Type, FromQ(V.toString()))) {
            return;
        }
        BadValue(DataSet, Def, RecNo, V);
    }
    case TStorageKind::Float:
        if (IsBinaryFloat(Type)) {
            bool Ok = false;
            const Double D = V.toDouble(&Ok);
            if (Ok) {
                S.SetFloat(Row, Col, D);
                return;
            }
        } else if (Id == QMetaType::QDate) {
            const QDate D = V.toDate();
            TDateTime T;
            // Years outside 1..9999 are refused before they are narrowed (70000 would become 4464).
            if (D.isValid() && D.year() >= 1 && D.year() <= 9999 &&
                TryEncodeDate(static_cast<Word>(D.year()), static_cast<Word>(D.month()), static_cast<Word>(D.day()),
                              T)) {
                S.SetFloat(Row, Col, T);
                return;
            }
        } else if ((Id == QMetaType::QDateTime && V.toDateTime().isValid()) ||
                   (Id == QMetaType::QTime && V.toTime().isValid())) {
            const String Iso = Id == QMetaType::QTime ? FromQ(V.toTime().toString("HH:mm:ss.zzz"))
                                                      : FromQ(V.toDateTime().toString("yyyy-MM-dd HH:mm:ss.zzz"));
            if (StoreInvariantText(S, Row, Col, Type == ftTime && Id != QMetaType::QTime ? ftDateTime : Type, Iso)) {
                if (Type == ftTime)
                    S.SetFloat(Row, Col, TimeOf(S.Float(Row, Col)));
                return;
            }
        } else if (Id == QMetaType::QString || Id == QMetaType::QByteArray) {
            const String Text = FromQ(V.toString());
            if (StoreInvariantText(S, Row, Col, Type, Text))
                return;
            // A time of day stored with its date.
            Double D;
            if (Type == ftDate && ParseIsoDateTime(Text, D)) {
                S.SetFloat(Row, Col, DateOf(D));
                return;
            }
            if (Type == ftTime && ParseIsoDateTime(Text, D)) {
                S.SetFloat(Row, Col, TimeOf(D));
                return;
            }
        }
        BadValue(DataSet, Def, RecNo, V);
    case TStorageKind::Currency:
        if (StoreCurrencyText(S, Row, Col,
                              Id == QMetaType::Double ? FormatInvariantFloat(V.toDouble()) : FromQ(V.toString())))
            return;
        BadValue(DataSet, Def, RecNo, V);
    case TStorageKind::Text:
        if (Id == QMetaType::QByteArray) {
            const QByteArray B = V.toByteArray();
            S.SetText(Row, Col, String(B.constData(), static_cast<std::size_t>(B.size())));
            return;
        }
        if (Type == ftFMTBcd) {
            String D;
            if (Id == QMetaType::Double) {
                char Buf[400];
                auto [p, ec] = std::to_chars(Buf, Buf + sizeof Buf, V.toDouble(), std::chars_format::fixed);
                if (ec == std::errc() &&
                    NormaliseDecimal(std::string_view(Buf, static_cast<std::size_t>(p - Buf)), D)) {
                    S.SetText(Row, Col, std::move(D));
                    return;
                }
            } else if (NormaliseDecimal(FromQ(V.toString()), D)) {
                S.SetText(Row, Col, std::move(D));
                return;
            }
            BadValue(DataSet, Def, RecNo, V);
        }
        S.SetText(Row, Col, FromQ(V.toString()));
        return;
    }
}

// Stores the value V of column Col of the statement's row as StoreValue stores what the driver
// would hand over, for the values that need no QVariant to read so; answers false for the others.
// V is the column's own value, read without the statement's locking: a connection is used from
// the thread that opened it only.
bool StoreSqliteValue(TRecordStore& S, Int64 Row, Integer Col, TFieldType Type, TStorageKind Kind, sqlite3_value* V)
{
    switch (sqlite3_value_type(V)) {
    case SQLITE_NULL:
        S.SetNull(Row, Col);
        return true;
    case SQLITE_INTEGER: {
        const Int64 I = sqlite3_value_int64(V);
        char Buf[24];
        const auto Digits = [&] {
            const auto End = std::to_chars(Buf, Buf + sizeof Buf, I).ptr;
            return std::string_view(Buf, static_cast<std::size_t>(End - Buf));
        };
        switch (Kind) {
        case TStorageKind::Integer:
            S.SetInt(Row, Col, I);
            return true;
        case TStorageKind::Float:
            if (!IsBinaryFloat(Type))
                return false;
            S.SetFloat(Row, Col, static_cast<Double>(I));
            return true;
        case TStorageKind::Currency:
            return StoreCurrencyText(S, Row, Col, Digits());
        case TStorageKind::Text:
            if (Type == ftFMTBcd)
                return false;
            S.AssignText(Row, Col, Digits());
            return true;
        }
        return false;
    }
    case SQLITE_FLOAT: {
        const Double D = sqlite3_value_double(V);
        switch (Kind) {
        case TStorageKind::Integer:
            if (!(D >= -9.2233720368547758e18 && D < 9.2233720368547758e18 && D == std::trunc(D)))
                return false;
            S.SetInt(Row, Col, static_cast<Int64>(D));
            return true;
        case TStorageKind::Float:
            if (!IsBinaryFloat(Type))
                return false;
            S.SetFloat(Row, Col, D);
            return true;
        case TStorageKind::Currency: {
            // A number of whole cents of moderate size (an amount stored as REAL) is that many
            // cents whichever way its shortest text is written: the text is skipped.
            if (std::fabs(D) < 1e9) {
                const Double Cents = std::nearbyint(D * 100);
                if (Cents / 100 == D) {
                    S.SetInt(Row, Col, static_cast<Int64>(Cents) * 100);
                    return true;
                }
            }
            char Buf[64];
            const auto [End, Ec] = std::to_chars(Buf, Buf + sizeof Buf, D);
            return Ec == std::errc() &&
                   StoreCurrencyText(S, Row, Col, std::string_view(Buf, static_cast<std::size_t>(End - Buf)));
        }
        case TStorageKind::Text:
            return false;
        }
        return false;
    }
    case SQLITE_TEXT: {
        const auto* Chars = reinterpret_cast<const char*>(sqlite3_value_text(V));
        const std::string_view Text(Chars ? Chars : "", Chars ? static_cast<std::size_t>(sqlite3_value_bytes(V)) : 0);
        if (!SurvivesUtf16(Text))
            return false;
        switch (Kind) {
        case TStorageKind::Integer:
            return StoreInvariantText(S, Row, Col, Type, Text);
        case TStorageKind::Float:
            return !IsBinaryFloat(Type) && StoreInvariantText(S, Row, Col, Type, Text);
        case TStorageKind::Currency:
            return StoreCurrencyText(S, Row, Col, Text);
        case TStorageKind::Text:
            if (Type == ftFMTBcd)
                return false;
            S.AssignText(Row, Col, Text);
            return true;
        }
        return false;
    }
    case SQLITE_BLOB:
        if (Kind != TStorageKind::Text)
            return false;
        S.AssignText(Row, Col,
                     std::string_view(static_cast<const char*>(sqlite3_value_blob(V)),
                                      static_cast<std::size_t>(sqlite3_value_bytes(V))));
        return true;
    }
    return false;
}

} // namespace

std::unique_ptr<TQuery::TCursor> TQuery::Execute()
{
    TDatabase* Database = CheckDatabase();
    Database->SetConnected(true);
    const String Text = Trim(FSQL->Text());
    if (Text.empty())
        Error("No SQL statement given");
    String Sql;
    std::vector<String> Names;
    ScanSql(Text, &Sql, Names);

    const QSqlDatabase Db = Database->Impl()->Db();
    // A server driver reads a forward-only result row by row and can run nothing else on that
    // connection meanwhile, so such a query takes a connection of its own; SQLite runs any number
    // of statements side by side on one.
    auto Cursor = std::make_unique<TCursor>(Db, ForwardOnly() && Database->DriverName() != "QSQLITE");
    if (!Cursor->Failure.empty())
        Error("Cannot connect to '" + FromQ(Db.databaseName()) + "': " + Cursor->Failure);
    SetReadOnly(Cursor->Connection.isEmpty() ? Db : QSqlDatabase::database(Cursor->Connection, false), true);
    if (!Cursor->Query) {
        ExecuteSqlite(*Cursor, Sql, Names);
        return Cursor;
    }
    QSqlQuery& Q = *Cursor->Query;
    Q.setForwardOnly(true);
    if (!Q.prepare(ToQ(Sql)))
        Error("SQL error: " + ErrorText(Q.lastError()));
    TakeMasterValues(Names);
    for (std::size_t i = 0; i < Names.size(); ++i)
        Q.bindValue(static_cast<int>(i), ParamToQ(FMasterValues[i]));
    if (!Q.exec())
        Error("SQL error: " + ErrorText(Q.lastError()));
    if (!Q.isSelect())
        Error("The statement returns no rows (use ExecSQL)");
    return Cursor;
}

void TQuery::TakeMasterValues(const std::vector<String>& Names)
{
    FMasterValues.clear();
    FMasterEmpty = MasterHasNoRecord();
    for (const String& Name : Names)
        FMasterValues.push_back(BoundValue(Name));
}

void TQuery::ExecuteSqlite(TCursor& Cursor, const String& Sql, const std::vector<String>& Names)
{
    sqlite3* H = Cursor.Handle;
    // The driver hands the library UTF-16: text that is not UTF-8 reaches it with replacements.
    const String Statement = IsValidUtf8(Sql) ? Sql : FromQ(ToQ(Sql));
    const char* Tail = nullptr;
    if (sqlite3_prepare_v2(H, Statement.c_str(), static_cast<int>(Statement.size() + 1), &Cursor.Stmt, &Tail) !=
        SQLITE_OK)
        Error("SQL error: " + SqliteErrorText(H, "Unable to execute statement"));
    if (Tail && !QString::fromUtf8(Tail).trimmed().isEmpty())
        Error("SQL error: " + SqliteErrorText(H, "Unable to execute multiple statements at a time"));
    sqlite3_stmt* Stmt = Cursor.Stmt;
    // Known before running it: a statement that returns no rows must not be run by opening.
    const int Count = Stmt ? sqlite3_column_count(Stmt) : -1;
    if (Count == 0)
        Error("The statement returns no rows (use ExecSQL)");
    for (int i = 0; i < Count; ++i) {
        const char* Declared = sqlite3_column_decltype(Stmt, i);
        Cursor.Declared.push_back(Declared ? Declared : "");
    }
    TakeMasterValues(Names);
    if ((Stmt ? sqlite3_bind_parameter_count(Stmt) : 0) != static_cast<int>(Names.size()))
        Error("SQL error: Parameter count mismatch");
    if (!Stmt)
        Error("SQL error: No query");
    for (std::size_t i = 0; i < Names.size(); ++i)
        if (BindSqliteParam(Stmt, static_cast<int>(i) + 1, FMasterValues[i]) != SQLITE_OK)
            Error("SQL error: " + SqliteErrorText(H, "Unable to bind parameters"));
    Cursor.RowPending = Cursor.Step();
    if (!Cursor.Failed.empty())
        Error("SQL error: " + Cursor.Failed);
    // Names as the driver gives them (without double quotes); a column without a declared type
    // takes the type of its first value.
    for (int i = 0; i < Count; ++i) {
        const auto* Name = static_cast<const QChar*>(sqlite3_column_name16(Stmt, i));
        Cursor.Columns.push_back({FromQ(QString(Name).remove(u'"')),
                                  SqliteFallbackType(sqlite3_column_decltype(Stmt, i),
                                                     Cursor.RowPending ? sqlite3_column_type(Stmt, i) : -1),
                                  0});
    }
}

std::vector<bool> TQuery::DefineFields(const TCursor& Cursor)
{
    std::vector<TCursor::TColumn> Columns = Cursor.Columns;
    if (Cursor.Query) {
        const QSqlRecord Rec = Cursor.Query->record();
        for (int i = 0; i < Rec.count(); ++i) {
            const QSqlField F = Rec.field(i);
            Columns.push_back({FromQ(F.name()), FieldTypeOfMetaType(F.metaType()), static_cast<Integer>(F.length())});
        }
    }
    const std::vector<String>& Declared = Cursor.Declared;
    FieldDefs()->Clear();
    std::vector<bool> SizeFromData;
    for (std::size_t i = 0; i < Columns.size(); ++i) {
        const TCursor::TColumn& C = Columns[i];
        Integer Size = 0, Precision = 0;
        TFieldType Type = ftUnknown;
        if (i < Declared.size())
            Type = FieldTypeOfDeclaredType(Declared[i], Size, Precision);
        if (Type == ftUnknown) {
            Type = C.Fallback;
            if (C.Length > 0 && Type == ftString)
                Size = C.Length;
        }
        String Name = C.Name;
        for (Integer n = 2; FieldDefs()->IndexOf(Name) >= 0; ++n)
            Name = C.Name + "_" + std::to_string(n);
        TFieldDef* D = FieldDefs()->Add(Name, Type, Size);
        D->SetPrecision(Precision);
        if (i < Declared.size())
            D->SetSourceType(Declared[i]);
        SizeFromData.push_back((Type == ftString || Type == ftWideString) && Size == 0);
    }
    return SizeFromData;
}

bool TQuery::ReadRow(TCursor& Cursor, bool Replace)
{
    if (!Cursor.Query)
        return ReadSqliteRow(Cursor, Replace);
    QSqlQuery& Q = *Cursor.Query;
    if (!Q.next()) {
        if (Q.lastError().isValid())
            Error("SQL error: " + ErrorText(Q.lastError()));
        return false;
    }
    TRecordStore& S = Store();
    const Int64 Row = Replace && S.RowCount() > 0 ? 0 : S.AppendRow();
    const Int64 RecNo = ++Cursor.RecNo;
    for (Integer c = 0; c < S.ColumnCount(); ++c) {
        const TFieldDef* Def = FieldDefs()->Items(c);
        const QVariant V = Q.value(c);
        // A value the driver could not convert (a date of year 70000, an infinite timestamp)
        // comes as null although the column holds something: refused, not read as null.
        if (V.isNull() && !Q.isNull(c))
            Error("row " + std::to_string(RecNo) + ": the value of field '" + Def->Name() + "' cannot be read");
        StoreValue(S, Row, c, Def, V, this, RecNo);
    }
    return true;
}

bool TQuery::ReadSqliteRow(TCursor& Cursor, bool Replace)
{
    if (Cursor.RowPending)
        Cursor.RowPending = false;
    else if (Cursor.Done || !Cursor.Step()) {
        if (!Cursor.Failed.empty())
            Error("SQL error: " + Cursor.Failed);
        return false;
    }
    TRecordStore& S = Store();
    const Int64 Row = Replace && S.RowCount() > 0 ? 0 : S.AppendRow();
    const Int64 RecNo = ++Cursor.RecNo;
    // Looked up once a cursor: the field definitions stay while it is open.
    if (Cursor.Types.size() != static_cast<std::size_t>(S.ColumnCount())) {
        Cursor.Types.clear();
        for (Integer c = 0; c < S.ColumnCount(); ++c) {
            const TFieldType Type = FieldDefs()->Items(c)->DataType();
            Cursor.Types.push_back({Type, StorageKindOf(Type)});
        }
    }
    for (Integer c = 0; c < S.ColumnCount(); ++c) {
        const auto [Type, Kind] = Cursor.Types[static_cast<std::size_t>(c)];
        if (!StoreSqliteValue(S, Row, c, Type, Kind, sqlite3_column_value(Cursor.Stmt, c)))
            StoreValue(S, Row, c, FieldDefs()->Items(c), SqliteValueAsQt(Cursor.Stmt, c), this, RecNo);
    }
    return true;
}

void TQuery::FitTextSizes(const std::vector<bool>& SizeFromData, const std::vector<std::size_t>& Longest)
{
    if (std::find(SizeFromData.begin(), SizeFromData.end(), true) == SizeFromData.end())
        return;
    std::vector<std::tuple<String, TFieldType, Integer, Integer, String>> Saved;
    for (Integer c = 0; c < FieldDefs()->Count(); ++c) {
        const TFieldDef* D = FieldDefs()->Items(c);
        const auto i = static_cast<std::size_t>(c);
        const Integer Size = SizeFromData[i] ? std::max<Integer>(1, static_cast<Integer>(Longest[i])) : D->Size();
        Saved.emplace_back(D->Name(), D->DataType(), Size, D->Precision(), D->SourceType());
    }
    FieldDefs()->Clear();
    for (auto& [N, T, Sz, P, Src] : Saved) {
        TFieldDef* D = FieldDefs()->Add(N, T, Sz);
        D->SetPrecision(P);
        D->SetSourceType(Src);
    }
}

void TQuery::InternalOpen()
{
    FCursor.reset();
    std::unique_ptr<TCursor> Cursor = Execute();
    const std::vector<bool> SizeFromData = DefineFields(*Cursor);
    PrepareStore();
    // Without a master record the statement ran only to give the columns.
    if (ForwardOnly()) {
        if (!FMasterEmpty) {
            ReadRow(*Cursor, true);
            FCursor = std::move(Cursor);
        }
        return;
    }
    // Text columns of unknown width take the width of their longest value.
    TRecordStore& S = Store();
    std::vector<std::size_t> Longest(SizeFromData.size(), 0);
    while (!FMasterEmpty && ReadRow(*Cursor, false)) {
        const Int64 Row = S.RowCount() - 1;
        for (Integer c = 0; c < S.ColumnCount(); ++c)
            if (SizeFromData[static_cast<std::size_t>(c)] && !S.IsNull(Row, c))
                Longest[static_cast<std::size_t>(c)] = std::max(Longest[static_cast<std::size_t>(c)],
                                                                S.Text(Row, c).size());
    }
    FitTextSizes(SizeFromData, Longest);
}

bool TQuery::FetchNextRow() { return FCursor && ReadRow(*FCursor, true); }

void TQuery::RestartRows()
{
    FCursor.reset();
    std::unique_ptr<TCursor> Cursor = Execute();
    if (Cursor->ColumnCount() != FieldDefs()->Count())
        Error("The statement's columns changed since the query was opened");
    Store().Clear();
    if (FMasterEmpty)
        return;
    FCursor = std::move(Cursor);
    ReadRow(*FCursor, true);
}

void TQuery::InternalClose()
{
    FCursor.reset();
    Store().Clear();
}

QOR_PUBLISH(TDatabase)
{
    b.Property("Connected", &TDatabase::Connected, &TDatabase::SetConnected).Default(false);
    b.Property("DatabaseName", &TDatabase::DatabaseName, &TDatabase::SetDatabaseName).Default("");
    b.Property("ConnectionString", &TDatabase::ConnectionString, &TDatabase::SetConnectionString).Default("");
    b.Property("DriverName", &TDatabase::DriverName, &TDatabase::SetDriverName).Default("QSQLITE");
    b.Property("HostName", &TDatabase::HostName, &TDatabase::SetHostName).Default("");
    b.Property("UserName", &TDatabase::UserName, &TDatabase::SetUserName).Default("");
    b.Property("Password", &TDatabase::Password, &TDatabase::SetPassword).Default("");
}

QOR_PUBLISH(TQuery)
{
    b.Property("Database", &TQuery::Database, &TQuery::SetDatabase).Default(nullptr);
    b.SubObject("SQL", &TQuery::SQL);
    b.Property("ForwardOnly", &TQuery::ForwardOnly, &TQuery::SetForwardOnly).Default(false);
    b.Property("DataSource", &TQuery::DataSource, &TQuery::SetDataSource).Default(nullptr);
}

} // namespace qor
