// Values a database or a file can hold that no well-behaved writer puts there: every declared
// column type against every awkward value, and blob fields loaded from streams that misstate
// their size. Each value is read or refused with an error naming it; nothing else escapes.

#include "db/PostgresTest.h"

#include "platform/db/SqlDataSet.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringList.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qor;

namespace {

const char* const ColumnTypes[] = {"INTEGER", "SMALLINT", "BIGINT", "BOOLEAN", "REAL", "NUMERIC(10,2)",
                                   "DECIMAL(30,10)", "MONEY", "DATE", "TIME", "DATETIME", "TEXT",
                                   "VARCHAR(5)", "BLOB"};

const char* const Values[] = {
    "'abc'", "x'ff00c3'", "1e308", "-1e308", "9e18", "9223372036854775807", "-9223372036854775808",
    "1e999", "-1e999", "''", "'  '", "'2024-02-30'", "'99999-01-01'", "'0000-00-00'", "'-1'", "4.9e-324",
    "'1e999'", "'NaN'", "CAST(x'c328ff' AS TEXT)", "'2024-01-01 25:61:61'", "'12:00'", "65536", "-32769",
    "2147483648", "0.5", "'9999-12-31 23:59:59.999'", "'0001-01-01'", "'-0001-01-01'", "'  12  '",
    "'12345678901234567890123456789012345678901234567890'",
};

// Every reading of the field: each gives a value or raises a qor exception.
void ReadEveryWay(TField* F)
{
    auto Try = [](auto&& Read) {
        try {
            Read();
        } catch (const Exception&) {
        }
    };
    Try([&] { (void)F->AsString(); });
    Try([&] { (void)F->DisplayText(); });
    Try([&] { (void)F->AsInteger(); });
    Try([&] { (void)F->AsLargeInt(); });
    Try([&] { (void)F->AsFloat(); });
    Try([&] { (void)F->AsCurrency(); });
    Try([&] { (void)F->AsDateTime(); });
    Try([&] { (void)F->AsBoolean(); });
    Try([&] { (void)F->AsVariant(); });
}

} // namespace

TEST(HostileValues, EveryColumnTypeReadsOrRefusesEveryValue)
{
    TDatabase Db(nullptr);
    Db.SetDatabaseName(":memory:");
    Integer Opened = 0, Refused = 0;
    for (const char* Type : ColumnTypes) {
        Db.ExecSQL("DROP TABLE IF EXISTS t");
        Db.ExecSQL(String("CREATE TABLE t (c ") + Type + ")");
        for (const char* V : Values) {
            Db.ExecSQL("DELETE FROM t");
            Db.ExecSQL(String("INSERT INTO t VALUES (") + V + ")");
            TQuery Q(nullptr);
            Q.SetDatabase(&Db);
            Q.SQL()->SetText("SELECT c FROM t");
            try {
                Q.Open();
            } catch (const EDatabaseError& E) {
                ++Refused;
                EXPECT_NE(E.Message().find("row 1: "), String::npos) << Type << " " << V << ": " << E.Message();
                continue;
            }
            ++Opened;
            ASSERT_EQ(Q.FieldCount(), 1);
            ReadEveryWay(Q.Fields()->Fields(0));
        }
    }
    EXPECT_GT(Opened, 0);
    EXPECT_GT(Refused, 0);
}

// Dates the database holds beyond the years a date value can carry are refused, not wrapped
// around into another year.
TEST(HostileValues, DatesOutsideTheCalendarAreRefused)
{
    TDatabase Db(nullptr);
    Db.SetDatabaseName(":memory:");
    Db.ExecSQL("CREATE TABLE t (d DATE, s DATETIME)");
    Db.ExecSQL("INSERT INTO t VALUES ('70000-01-01', '70000-01-01 00:00:00')");
    TQuery Q(nullptr);
    Q.SetDatabase(&Db);
    Q.SQL()->SetText("SELECT d FROM t");
    EXPECT_THROW(Q.Open(), EDatabaseError);
    Q.SQL()->SetText("SELECT s FROM t");
    EXPECT_THROW(Q.Open(), EDatabaseError);
}

namespace {

// A stream that says it holds far more than it does.
class TBoastingStream : public TMemoryStream {
public:
    explicit TBoastingStream(Int64 Claimed) : FClaimed(Claimed) {}
    Int64 Size() const override { return FClaimed; }

private:
    Int64 FClaimed;
};

} // namespace

TEST(HostileValues, BlobLoadsTrustOnlyTheBytesThatArrive)
{
    TMemoryDataSet DS(nullptr);
    DS.Columns()->SetText("B:Blob");
    DS.Open();
    DS.Append();
    auto* B = dynamic_cast<TBlobField*>(DS.FieldByName("B"));
    ASSERT_NE(B, nullptr);
    B->SetAsString("kept");
    TBoastingStream S(Int64(1) << 50);   // a petabyte claimed, four bytes there
    S.WriteBuffer("data", 4);
    S.SetPosition(0);
    EXPECT_THROW(B->LoadFromStream(&S), EReadError);
    EXPECT_EQ(B->AsString(), "kept");
    // A file that cannot be read leaves the value as it was.
    EXPECT_THROW(B->LoadFromFile("/nonexistent/qor-blob"), Exception);
    EXPECT_THROW(B->LoadFromFile("/tmp"), Exception);
    EXPECT_EQ(B->AsString(), "kept");
}

// A server with real date, number and binary types hands over values SQLite never does: years
// past 9999, infinities, numerics of a thousand digits.
using HostileValuesPostgres = test::PostgresTest;

TEST_F(HostileValuesPostgres, ValuesAreReadOrRefused)
{
    struct TCase { const char* Expr; bool Readable; };
    const TCase Cases[] = {
        {"DATE '70000-01-01'", false}, {"DATE 'infinity'", false},
        {"TIMESTAMP '70000-01-01 00:00'", false}, {"TIMESTAMP '-infinity'", false},
        {"DATE '2024-02-29'", true}, {"'Infinity'::float8", true}, {"'NaN'::float8", true},
        {"1e1000::numeric", false}, {"(10::numeric ^ 40)::numeric(60,0)", true}, {"'12.5'::numeric(10,2)", true},
        {"'\\xff00'::bytea", true}, {"9223372036854775807::int8", true}, {"'00:00:00'::time", true},
        {"'24:00:00'::time", true}, {"'1 day'::interval", true}, {"repeat('x', 100000)", true},
    };
    for (const TCase& C : Cases) {
        TQuery Q(nullptr);
        Q.SetDatabase(&Db);
        Q.SQL()->SetText(String("SELECT ") + C.Expr + " AS v");
        try {
            Q.Open();
        } catch (const EDatabaseError& E) {
            EXPECT_FALSE(C.Readable) << C.Expr << ": " << E.Message();
            EXPECT_NE(E.Message().find("row 1: "), String::npos) << E.Message();
            continue;
        }
        EXPECT_TRUE(C.Readable) << C.Expr << " read as " << Q.Fields()->Fields(0)->AsString();
        ReadEveryWay(Q.Fields()->Fields(0));
    }
}
