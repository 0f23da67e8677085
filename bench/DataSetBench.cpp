// Stepping through 1,000,000 rows of 5 fields, reading every field as text; and the sales report's
// query (examples/sales) at 100,000 rows read through a query into typed values, against a plain
// loop over the sqlite3 C API doing the same: the query should cost at most 1.5 times the loop.
//
// Usage: bench_DataSetBench [google benchmark flags]
//        bench_DataSetBench --once api|query|bidirectional   (one reading of the sales rows, for a profiler)

#include "platform/db/MemoryDataSet.h"
#include "platform/db/SqlDataSet.h"
#include "platform/rtl/StringList.h"

#include <benchmark/benchmark.h>

#include "Timing.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

using namespace qor;
using qor::bench::Median;
using qor::bench::Seconds;

namespace {

constexpr Integer RowCount = 1000000;

Int64 ReadAll(TDataSet* DS)
{
    Int64 Rows = 0;
    TField* Fields[5];
    for (Integer i = 0; i < 5; ++i)
        Fields[i] = DS->Fields()->Fields(i);
    for (DS->First(); !DS->Eof(); DS->Next()) {
        for (TField* F : Fields) {
            String S = F->AsString();
            benchmark::DoNotOptimize(S);
        }
        ++Rows;
    }
    return Rows;
}

void BM_MemoryDataSet(benchmark::State& State)
{
    TMemoryDataSet DS(nullptr);
    DS.Columns()->SetText("Id:Integer\nName:String:20\nAmount:Float\nBorn:Date\nActive:Boolean\n");
    DS.Open();
    for (Integer i = 1; i <= RowCount; ++i)
        DS.AppendRecord({Int64(i), "Name " + std::to_string(i), i * 1.5, TFieldValue::FromDateTime(36526 + i % 3650),
                         i % 2 == 0});
    Int64 Rows = 0;
    for (auto _ : State)
        Rows += ReadAll(&DS);
    State.counters["rows_per_second"] = benchmark::Counter(static_cast<double>(Rows), benchmark::Counter::kIsRate);
}

void BM_SqliteQuery(benchmark::State& State)
{
    char Name[] = "/tmp/qor_bench_XXXXXX";
    const int Fd = mkstemp(Name);
    if (Fd >= 0)
        close(Fd);
    std::remove(Name);
    {
        // Created empty first: the connection never creates a database file by itself.
        std::FILE* F = std::fopen(Name, "wb");
        if (F)
            std::fclose(F);
    }
    TDatabase Db(nullptr);
    Db.SetDatabaseName(Name);
    Db.ExecSQL("CREATE TABLE t (Id INTEGER, Name VARCHAR(20), Amount REAL, Born DATE, Active BOOLEAN)");
    Db.ExecSQL("INSERT INTO t WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " +
               std::to_string(RowCount) +
               ") SELECT x, 'Name ' || x, x * 1.5, date('2000-01-01', '+' || (x % 3650) || ' days'), x % 2 FROM c");
    TQuery Q(nullptr);
    Q.SetDatabase(&Db);
    Q.SQL()->SetText("SELECT Id, Name, Amount, Born, Active FROM t");
    Int64 Rows = 0;
    for (auto _ : State) {
        // Opening reads the rows, so it is part of what is measured.
        Q.Open();
        Rows += ReadAll(&Q);
        Q.Close();
    }
    State.counters["rows_per_second"] = benchmark::Counter(static_cast<double>(Rows), benchmark::Counter::kIsRate);
    Db.Close();
    std::remove(Name);
}

// ---- the sales query against the C API -----------------------------------------------------------

constexpr Integer SalesRows = 100000;
const char* const SalesQuery = "SELECT id, region, customer, amount, date FROM sales ORDER BY region, id";

// What a pass read, summed, so the two readers can be checked against each other.
struct TSalesSums {
    Int64 Rows = 0;
    Int64 Ids = 0;
    Int64 TextBytes = 0;
    Int64 Cents = 0;
    Int64 Days = 0;
    bool operator==(const TSalesSums&) const = default;
};

// Days since 1899-12-30 of "YYYY-MM-DD" (the civil calendar, no checks: the data is known good).
Int64 DaysOfIsoDate(const unsigned char* S)
{
    auto Num = [&](int From, int Count) {
        int V = 0;
        for (int i = From; i < From + Count; ++i)
            V = V * 10 + (S[i] - '0');
        return V;
    };
    int Y = Num(0, 4);
    const int M = Num(5, 2), D = Num(8, 2);
    Y -= M <= 2;
    const int Era = Y / 400;
    const int Yoe = Y - Era * 400;
    const int Doy = (153 * (M + (M > 2 ? -3 : 9)) + 2) / 5 + D - 1;
    const int Doe = Yoe * 365 + Yoe / 4 - Yoe / 100 + Doy;
    return static_cast<Int64>(Era) * 146097 + Doe - 719468 + 25569; // 1970-01-01 is day 25569
}

// The query's rows into typed values through the library alone: what any reader must spend.
TSalesSums ReadSalesByApi(const std::string& File)
{
    TSalesSums Sums;
    sqlite3* Db = nullptr;
    sqlite3_stmt* Stmt = nullptr;
    if (sqlite3_open_v2(File.c_str(), &Db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(Db, SalesQuery, -1, &Stmt, nullptr) != SQLITE_OK)
        throw Exception(std::string("sqlite3: ") + sqlite3_errmsg(Db));
    std::string Region, Customer;
    while (sqlite3_step(Stmt) == SQLITE_ROW) {
        const Int64 Id = sqlite3_column_int64(Stmt, 0);
        Region.assign(reinterpret_cast<const char*>(sqlite3_column_text(Stmt, 1)),
                      static_cast<std::size_t>(sqlite3_column_bytes(Stmt, 1)));
        Customer.assign(reinterpret_cast<const char*>(sqlite3_column_text(Stmt, 2)),
                        static_cast<std::size_t>(sqlite3_column_bytes(Stmt, 2)));
        const double Amount = sqlite3_column_double(Stmt, 3);
        const Int64 Day = DaysOfIsoDate(sqlite3_column_text(Stmt, 4));
        ++Sums.Rows;
        Sums.Ids += Id;
        Sums.TextBytes += static_cast<Int64>(Region.size() + Customer.size());
        Sums.Cents += static_cast<Int64>(Amount * 100 + (Amount < 0 ? -0.5 : 0.5));
        Sums.Days += Day;
    }
    sqlite3_finalize(Stmt);
    sqlite3_close(Db);
    return Sums;
}

// The same rows through a query as the report reads them (forward-only unless Bidirectional).
TSalesSums ReadSalesByQuery(const std::string& File, bool Bidirectional)
{
    TSalesSums Sums;
    TDatabase Db(nullptr);
    Db.SetDatabaseName(File);
    TQuery Q(nullptr);
    Q.SetDatabase(&Db);
    Q.SetForwardOnly(!Bidirectional);
    Q.SQL()->SetText(SalesQuery);
    Q.Open();
    TField* Id = Q.Fields()->Fields(0);
    TField* Region = Q.Fields()->Fields(1);
    TField* Customer = Q.Fields()->Fields(2);
    TField* Amount = Q.Fields()->Fields(3);
    TField* Date = Q.Fields()->Fields(4);
    for (Q.First(); !Q.Eof(); Q.Next()) {
        const String R = Region->AsString();
        const String C = Customer->AsString();
        ++Sums.Rows;
        Sums.Ids += Id->AsLargeInt();
        Sums.TextBytes += static_cast<Int64>(R.size() + C.size());
        Sums.Cents += Amount->AsCurrency().Raw() / 100;
        Sums.Days += static_cast<Int64>(Date->AsDateTime());
    }
    Q.Close();
    Db.Close();
    return Sums;
}

// Builds the sales database of examples/sales with Rows rows.
void MakeSalesDatabase(const std::string& File, Integer Rows)
{
    std::ifstream In(std::string(QOR_SOURCE_DIR) + "/examples/sales/sales.sql");
    std::ostringstream Script;
    Script << "CREATE TEMP TABLE sales_rows AS SELECT " << Rows << " AS n;\n" << In.rdbuf();
    std::remove(File.c_str());
    sqlite3* Db = nullptr;
    char* Message = nullptr;
    const bool Ok = sqlite3_open(File.c_str(), &Db) == SQLITE_OK &&
                    sqlite3_exec(Db, Script.str().c_str(), nullptr, nullptr, &Message) == SQLITE_OK;
    const std::string Why = Message ? Message : (Db ? sqlite3_errmsg(Db) : "cannot open");
    sqlite3_free(Message);
    sqlite3_close(Db);
    if (!Ok)
        throw Exception("cannot build the sales database: " + Why);
}

// Three interleaved runs of each reader, medians compared.
bool CompareSalesReading()
{
    char Name[] = "/tmp/qor_sales_XXXXXX";
    const int Fd = mkstemp(Name);
    if (Fd >= 0)
        close(Fd);
    const std::string File = Name;
    MakeSalesDatabase(File, SalesRows);
    std::vector<double> Api, Forward, Both;
    TSalesSums ApiSums, ForwardSums, BothSums;
    for (int Run = 0; Run < 3; ++Run) {
        Api.push_back(Seconds([&] { ApiSums = ReadSalesByApi(File); }));
        Forward.push_back(Seconds([&] { ForwardSums = ReadSalesByQuery(File, false); }));
        Both.push_back(Seconds([&] { BothSums = ReadSalesByQuery(File, true); }));
    }
    std::remove(File.c_str());
    const bool Same = ApiSums == ForwardSums && ApiSums == BothSums && ApiSums.Rows == SalesRows;
    const double Ratio = Median(Forward) / Median(Api);
    std::printf("Sales query, %d rows, median of 3 interleaved runs:\n", SalesRows);
    std::printf("  sqlite3 C API into typed values   %8.3f s\n", Median(Api));
    std::printf("  query, forward-only (the report)  %8.3f s   ratio %.2f (target <= 1.5: %s)\n", Median(Forward),
                Ratio, Ratio <= 1.5 ? "met" : "MISSED");
    std::printf("  query, bidirectional              %8.3f s   ratio %.2f\n", Median(Both), Median(Both) / Median(Api));
    if (!Same)
        std::printf("  CHECK FAILED: the readers read different values\n");
    std::fflush(stdout);
    return Same;
}

} // namespace

BENCHMARK(BM_MemoryDataSet)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SqliteQuery)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--once") {
        const std::string File = "/tmp/qor_sales_once.db";
        MakeSalesDatabase(File, SalesRows);
        const std::string Reader = argv[2];
        const TSalesSums Sums = Reader == "api" ? ReadSalesByApi(File) : ReadSalesByQuery(File, Reader != "query");
        std::remove(File.c_str());
        std::printf("%lld rows\n", static_cast<long long>(Sums.Rows));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const bool Ok = CompareSalesReading();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return Ok ? 0 : 1;
}
