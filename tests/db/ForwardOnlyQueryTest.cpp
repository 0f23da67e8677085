// Forward-only queries: one row in memory however many the statement returns, First after moving
// runs the statement again, and every move the cursor cannot make is refused.

#include "common/TestErrors.h"
#include "db/PostgresTest.h"
#include "platform/db/SqlDataSet.h"
#include "platform/rtl/StringList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

using namespace qor;
using test::ErrorOf;

namespace {

// A query that shows how many rows it holds.
class TProbeQuery : public TQuery {
public:
    using TQuery::TQuery;
    Int64 StoredRows() const { return Store().RowCount(); }
};

class ForwardOnlyQuery : public ::testing::Test {
protected:
    void SetUp() override
    {
        char Name[] = "/tmp/qor_forward_XXXXXX";
        const int Fd = mkstemp(Name);
        ASSERT_GE(Fd, 0);
        close(Fd);
        FileName = Name;
        Db.SetDatabaseName(FileName);
        Db.ExecSQL("CREATE TABLE t (id INTEGER, name VARCHAR(12))");
        Db.ExecSQL("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
                   "INSERT INTO t SELECT i, 'row ' || i FROM n");
        Q.SetName("Rows");
        Q.SetDatabase(&Db);
        Q.SQL()->SetText("SELECT id, name FROM t ORDER BY id");
        Q.SetForwardOnly(true);
    }
    void TearDown() override
    {
        Q.Close();
        Db.Close();
        std::remove(FileName.c_str());
    }

    String FileName;
    TDatabase Db{nullptr};
    TProbeQuery Q{nullptr};
};

TEST_F(ForwardOnlyQuery, ReadsEveryRowHoldingOneAndStartsAgainOnFirst)
{
    Q.Open();
    EXPECT_EQ(Q.RecordCount(), -1);
    EXPECT_TRUE(Q.Bof());
    Int64 Count = 0, Sum = 0;
    for (; !Q.Eof(); Q.Next()) {
        ++Count;
        Sum += Q.FieldByName("id")->AsInteger();
        ASSERT_EQ(Q.RecNo(), Count);
    }
    EXPECT_EQ(Count, 100000);
    EXPECT_EQ(Sum, 100000LL * 100001 / 2);
    EXPECT_EQ(Q.StoredRows(), 1);
    // At the end the last record stays current, as on any data set.
    EXPECT_EQ(Q.FieldByName("name")->AsString(), "row 100000");
    Q.Next();
    EXPECT_TRUE(Q.Eof());
    EXPECT_EQ(Q.RecNo(), 100000);

    // A second pass runs the statement again and so sees what changed since.
    Db.ExecSQL("DELETE FROM t WHERE id > 3");
    Q.First();
    EXPECT_FALSE(Q.Eof());
    EXPECT_EQ(Q.RecNo(), 1);
    EXPECT_EQ(Q.FieldByName("id")->AsInteger(), 1);
    Q.Last();
    EXPECT_EQ(Q.FieldByName("id")->AsInteger(), 3);
    EXPECT_EQ(Q.RecNo(), 3);
    EXPECT_TRUE(Q.Eof());
    EXPECT_EQ(Q.StoredRows(), 1);
}

TEST_F(ForwardOnlyQuery, RefusesMovesBackAndChangesWhileOpen)
{
    Q.Open();
    Q.First(); // not moved yet: nothing to read again
    EXPECT_EQ(Q.RecNo(), 1);
    Q.MoveBy(4);
    EXPECT_EQ(Q.FieldByName("id")->AsInteger(), 5);
    const String Refused = "Rows: Operation not allowed on a unidirectional dataset";
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Q.Prior(); }), Refused);
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Q.MoveBy(-2); }), Refused);
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Q.SetRecNo(2); }), Refused);
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Q.SetForwardOnly(false); }),
              "Rows: Cannot perform this operation on an open dataset");
    // The refused moves left the record where it was.
    EXPECT_EQ(Q.FieldByName("id")->AsInteger(), 5);
    EXPECT_EQ(Q.RecNo(), 5);

    // Closed, the same query reads whole again and counts its rows.
    Q.Close();
    Q.SetForwardOnly(false);
    Q.SQL()->SetText("SELECT id FROM t WHERE id <= 10");
    Q.Open();
    EXPECT_EQ(Q.RecordCount(), 10);
    EXPECT_EQ(Q.StoredRows(), 10);
}

TEST_F(ForwardOnlyQuery, ABadValueFurtherOnIsReportedWithItsRowAndLeavesNoRecord)
{
    Db.ExecSQL("UPDATE t SET id = 'three' WHERE id = 3");
    Q.SQL()->SetText("SELECT id FROM t WHERE rowid <= 5 ORDER BY rowid");
    Q.Open();
    Q.Next();
    const String Error = ErrorOf<EDatabaseError>([&] { Q.Next(); });
    EXPECT_EQ(Error.rfind("Rows: row 3: 'three' is not a valid Integer value for field 'id'", 0), 0u) << Error;
    EXPECT_TRUE(Q.Eof());
    EXPECT_TRUE(Q.FieldByName("id")->IsNull());
    // First reads again from the top.
    Q.First();
    EXPECT_EQ(Q.FieldByName("id")->AsInteger(), 1);

    // An empty result opens at its end, and First on it stays there.
    Q.Close();
    Q.SQL()->SetText("SELECT id FROM t WHERE id < 0");
    Q.Open();
    EXPECT_TRUE(Q.Eof());
    EXPECT_TRUE(Q.IsEmpty());
    Q.Next();
    Q.First();
    EXPECT_TRUE(Q.Eof());
    EXPECT_EQ(Q.RecNo(), 0);
    EXPECT_EQ(Q.StoredRows(), 0);
}

using ForwardOnlyPostgres = test::PostgresTest;

TEST_F(ForwardOnlyPostgres, ReadsAServerResultRowByRow)
{
    TProbeQuery Q(nullptr);
    Q.SetDatabase(&Db);
    Q.SetForwardOnly(true);
    Q.SQL()->SetText("SELECT i, 'n' || i AS name FROM generate_series(1, :Last) AS i");
    Q.ParamByName("Last")->SetAsInteger(50000);
    for (int Pass = 0; Pass < 2; ++Pass) {
        if (Pass == 0)
            Q.Open();
        else
            Q.First();
        Int64 Count = 0;
        for (; !Q.Eof(); Q.Next())
            ASSERT_EQ(Q.FieldByName("i")->AsInteger(), ++Count);
        EXPECT_EQ(Count, 50000);
        EXPECT_EQ(Q.FieldByName("name")->AsString(), "n50000");
        EXPECT_EQ(Q.StoredRows(), 1);
    }

    // A server reading one result row by row runs nothing else on that connection; other
    // queries of the database still run while this one is half read (a detail of a master).
    Q.First();
    Q.MoveBy(99);
    TQuery Detail(nullptr);
    Detail.SetDatabase(&Db);
    Detail.SQL()->SetText("SELECT count(*) AS n FROM generate_series(1, 7)");
    Detail.Open();
    EXPECT_EQ(Detail.FieldByName("n")->AsInteger(), 7);
    TQuery Other(nullptr);
    Other.SetDatabase(&Db);
    Other.SetForwardOnly(true);
    Other.SQL()->SetText("SELECT 'x' AS v");
    Other.Open();
    EXPECT_EQ(Other.FieldByName("v")->AsString(), "x");
    Int64 Count = 100;
    for (; !Q.Eof(); Q.Next())
        ASSERT_EQ(Q.FieldByName("i")->AsInteger(), Count++);
    EXPECT_EQ(Count, 50001);
}

} // namespace
