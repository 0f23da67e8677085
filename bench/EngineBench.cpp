// The report engine's record step: five database variables and one sum total refreshed for every
// record of a 1,000,000-row memory data set, as the page does on each new record.
//
// And the engine's work for each record of the sales report (examples/sales) at 100,000 rows, set
// against its bound. The engine, as the page drives it for a detail record: the detail level moves
// on (variables and the amount total refreshed), the region group looks back at the previous
// record, the level goes back and moves on again when the detail band prints, and the five detail
// labels make their texts through their display formats. The bound: a direct loop reading the same
// typed values from the same data set, formatting them the same way by hand (the id, two texts,
// "#,##0.00", "yyyy-mm-dd"), seeing the region change and adding the amount into the region and
// grand totals. The engine should need at most twice the bound.
//
// Usage: bench_EngineBench [google benchmark flags]
//        bench_EngineBench --once engine|bound   (one pass over the sales rows, for a profiler)

#include "tests/engine/StandInPage.h"

#include "platform/db/MemoryDataSet.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/StringList.h"
#include "runtime/engine/KivFormat.h"
#include "runtime/engine/KivText.h"

#include <benchmark/benchmark.h>

#include "Timing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace qor;
using qor::bench::Median;
using qor::bench::Seconds;

namespace {

constexpr Integer RowCount = 1000000;

void BM_RecordStep(benchmark::State& State)
{
    TComponent Root(nullptr);
    auto* Data = new TMemoryDataSet(&Root);
    Data->Columns()->SetText("Id:Integer\nName:String:20\nAmount:Currency\nBorn:Date\nActive:Boolean\n");
    Data->Open();
    for (Integer I = 1; I <= RowCount; ++I)
        Data->AppendRecord({Int64(I), "Name " + std::to_string(I), TFieldValue(I * 1.25),
                            TFieldValue::FromDateTime(36526 + I % 3650), I % 2 == 0});
    Data->Close();
    auto* Source = new TDataSource(&Root);
    Source->SetDataSet(Data);
    auto* Page = new test::TStandInPage(&Root);
    auto* Report = new TKivLevel(&Root);
    Report->SetParent(Page);
    auto* Detail = new TKivLevel(&Root);
    Detail->SetParent(Page);
    TKivDBVar* Amount = nullptr;
    for (const char* Field : {"Id", "Name", "Amount", "Born", "Active"}) {
        auto* V = new TKivDBVar(&Root);
        V->SetDataSource(Source);
        V->SetDataField(Field);
        V->SetParent(Page);
        V->SetUpdateLevel(Detail);
        if (String(Field) == "Amount")
            Amount = V;
    }
    auto* Total = new TKivTotalvar(&Root);
    Total->SetParent(Page);
    Total->SetVariable(Amount);
    Total->SetUpdateLevel(Detail);

    Int64 Records = 0;
    bool Exact = true;
    for (auto _ : State) {
        Page->StartRun();
        for (Data->First(); !Data->Eof(); Data->Next()) {
            Page->UpdateDataLevel(Detail);
            ++Records;
        }
        // 1.25 × (1 + 2 + ... + 1,000,000), exactly
        Exact = Exact && Total->GetLevelNow(0, ttSum)->AsCurrency() == Currency::FromInt64(625000625000);
        Page->EndRun();
    }
    if (!Exact)
        State.SkipWithError("the sum is wrong");
    State.counters["records_per_second"] =
        benchmark::Counter(static_cast<double>(Records), benchmark::Counter::kIsRate);
}

// ---- the sales report's detail records against their bound ----------------------------------------

constexpr Integer SalesRows = 100000;

// What a pass made, summed, so the two can be checked against each other.
struct TPassSums {
    Int64 TextBytes = 0;
    Int64 Breaks = 0;
    Int64 GrandCents = 0;
    Int64 Checksum = 0; // of the texts' bytes
    bool operator==(const TPassSums&) const = default;
    void Take(std::string_view Text)
    {
        TextBytes += static_cast<Int64>(Text.size());
        for (char C : Text)
            Checksum = Checksum * 31 + static_cast<unsigned char>(C);
    }
};

// The rows of examples/sales/sales.sql: regions in sorted blocks, customers, amounts and dates from
// the same generators.
void FillSales(TMemoryDataSet* Data, Integer Rows)
{
    Data->Columns()->SetText("id:Integer\nregion:String:9\ncustomer:String:13\namount:BCD\ndate:Date\n");
    Data->Open();
    Int64 C = 20240101, A = 1234567890, D = 987654321;
    const TDateTime First = EncodeDate(2024, 1, 1);
    char Region[16], Customer[24];
    for (Integer Id = 1; Id <= Rows; ++Id) {
        if (Id > 1) {
            C = (C * 1103515245 + 12345) % 2147483648;
            A = (A * 214013 + 2531011) % 2147483648;
            D = (D * 22695477 + 1) % 2147483648;
        }
        std::snprintf(Region, sizeof Region, "Region %02d", static_cast<int>((Id - 1) * Int64(20) / Rows + 1));
        std::snprintf(Customer, sizeof Customer, "Customer %04d", static_cast<int>((C / 65536) % 5000));
        const Int64 Cents = (A / 2048) * 1000000 / 1048576;
        Data->AppendRecord({Int64(Id), String(Region), String(Customer), TFieldValue::FromCurrency(Cents * 100),
                            TFieldValue::FromDateTime(First + static_cast<Double>((D / 65536) % 366))});
    }
}

// The sales report's variables, total and detail labels on a stand-in page.
struct TSalesEngine {
    TComponent Root{nullptr};
    TMemoryDataSet* Data = new TMemoryDataSet(&Root);
    TDataSource* Source = new TDataSource(&Root);
    test::TStandInPage* Page = new test::TStandInPage(&Root);
    TKivLevel* Detail = nullptr;
    TKivDBVar* Region = nullptr;
    TKivTotalvar* Total = nullptr;
    std::vector<TKivvarlabel*> Labels;

    TSalesEngine()
    {
        FillSales(Data, SalesRows);
        Source->SetDataSet(Data);
        // The report's levels in order: report head, page head, region head, detail, region foot,
        // page foot, report foot.
        for (Integer I = 0; I < 7; ++I) {
            auto* L = new TKivLevel(&Root);
            L->SetIsHeader(I < 3);
            L->SetParent(Page);
            if (I == 3)
                Detail = L;
        }
        TKivDBVar* Amount = nullptr;
        const std::pair<const char*, const char*> Fields[] = {
            {"id", ""}, {"region", ""}, {"customer", ""}, {"amount", "#,##0.00"}, {"date", "yyyy-mm-dd"}};
        for (const auto& [Field, Format] : Fields) {
            auto* V = new TKivDBVar(&Root);
            V->SetDataSource(Source);
            V->SetDataField(Field);
            V->SetParent(Page);
            V->SetUpdateLevel(Detail);
            auto* L = new TKivvarlabel(&Root);
            L->SetVariable(V);
            L->DataFormat()->SetDisplayFormat(Format);
            Labels.push_back(L);
            if (String(Field) == "amount")
                Amount = V;
            if (String(Field) == "region")
                Region = V;
        }
        Total = new TKivTotalvar(&Root);
        Total->SetParent(Page);
        Total->SetVariable(Amount);
        Total->SetUpdateLevel(Detail);
    }

    TPassSums Pass()
    {
        TPassSums Sums;
        Page->StartRun();
        for (Data->First(); !Data->Eof(); Data->Next()) {
            // As the page processes a detail record: a look at the next record for group breaks,
            // back, then on again with the detail band.
            Page->UpdateDataLevel(Detail);
            if (!KivSameValue(Region->DataNow(), Region->DataLast()))
                ++Sums.Breaks;
            Page->ReverseUpdateDataLevel(Detail);
            Page->UpdateDataLevel(Detail);
            for (TKivvarlabel* L : Labels)
                if (!L->IsMemo())
                    Sums.Take(L->GetDataNow());
        }
        Sums.GrandCents = static_cast<Int64>(std::llround(Total->GetLevelNow(6, ttSum)->AsFloat() * 100));
        Page->EndRun();
        return Sums;
    }

    // The same work done directly.
    TPassSums Bound()
    {
        TPassSums Sums;
        TField* Id = Data->FieldByName("id");
        TField* RegionField = Data->FieldByName("region");
        TField* Customer = Data->FieldByName("customer");
        TField* Amount = Data->FieldByName("amount");
        TField* Date = Data->FieldByName("date");
        std::string LastRegion, Text;
        Int64 RegionCents = 0, GrandCents = 0;
        char Buf[64];
        for (Data->First(); !Data->Eof(); Data->Next()) {
            const Int64 IdValue = Id->AsLargeInt();
            const String RegionValue = RegionField->AsString();
            const String CustomerValue = Customer->AsString();
            const Int64 Cents = Amount->AsCurrency().Raw() / 100;
            const TDateTime DateValue = Date->AsDateTime();
            if (RegionValue != LastRegion) {
                ++Sums.Breaks;
                RegionCents = 0;
            }
            LastRegion = RegionValue;
            RegionCents += Cents;
            GrandCents += Cents;
            benchmark::DoNotOptimize(RegionCents);
            // The id.
            Sums.Take(std::string_view(Buf, static_cast<std::size_t>(std::to_chars(Buf, Buf + 24, IdValue).ptr - Buf)));
            // The texts.
            Text = RegionValue;
            Sums.Take(Text);
            Text = CustomerValue;
            Sums.Take(Text);
            // "#,##0.00"
            {
                const UInt64 Abs = static_cast<UInt64>(Cents < 0 ? -Cents : Cents);
                char Digits[24];
                const int N = static_cast<int>(std::to_chars(Digits, Digits + 24, Abs / 100).ptr - Digits);
                char* P = Buf;
                if (Cents < 0)
                    *P++ = '-';
                for (int I = 0; I < N; ++I) {
                    *P++ = Digits[I];
                    if ((N - 1 - I) % 3 == 0 && I != N - 1)
                        *P++ = ',';
                }
                *P++ = '.';
                *P++ = static_cast<char>('0' + Abs % 100 / 10);
                *P++ = static_cast<char>('0' + Abs % 10);
                Sums.Take(std::string_view(Buf, static_cast<std::size_t>(P - Buf)));
            }
            // "yyyy-mm-dd" (days since 1899-12-30, the civil calendar)
            {
                const Int64 Z = static_cast<Int64>(DateValue) - 25569 + 719468;
                const Int64 Era = (Z >= 0 ? Z : Z - 146096) / 146097;
                const Int64 Doe = Z - Era * 146097;
                const Int64 Yoe = (Doe - Doe / 1460 + Doe / 36524 - Doe / 146096) / 365;
                const Int64 Doy = Doe - (365 * Yoe + Yoe / 4 - Yoe / 100);
                const Int64 Mp = (5 * Doy + 2) / 153;
                const Int64 Day = Doy - (153 * Mp + 2) / 5 + 1;
                const Int64 Month = Mp < 10 ? Mp + 3 : Mp - 9;
                const Int64 Year = Yoe + Era * 400 + (Month <= 2);
                const auto Put = [&](char* At, Int64 Value, int Width) {
                    for (int I = Width - 1; I >= 0; --I, Value /= 10)
                        At[I] = static_cast<char>('0' + Value % 10);
                };
                Put(Buf, Year, 4);
                Buf[4] = '-';
                Put(Buf + 5, Month, 2);
                Buf[7] = '-';
                Put(Buf + 8, Day, 2);
                Sums.Take(std::string_view(Buf, 10));
            }
        }
        Sums.GrandCents = GrandCents;
        return Sums;
    }
};

// Three interleaved passes of each, medians compared.
bool CompareSalesRecords()
{
    TSalesEngine Sales;
    std::vector<double> Engine, Bound;
    TPassSums EngineSums, BoundSums;
    for (int Run = 0; Run < 3; ++Run) {
        Engine.push_back(Seconds([&] { EngineSums = Sales.Pass(); }));
        Bound.push_back(Seconds([&] { BoundSums = Sales.Bound(); }));
    }
    const bool Same = EngineSums == BoundSums;
    const double Ratio = Median(Engine) / Median(Bound);
    std::printf("Sales report detail records, %d rows, median of 3 interleaved passes:\n", SalesRows);
    std::printf("  bound (direct loop, same values and formats)  %8.3f s\n", Median(Bound));
    std::printf("  engine (variables, totals, label texts)       %8.3f s   ratio %.2f (target <= 2: %s)\n",
                Median(Engine), Ratio, Ratio <= 2 ? "met" : "MISSED");
    if (!Same)
        std::printf("  CHECK FAILED: the engine's texts or totals differ from the direct loop's (bytes %lld/%lld, "
                    "breaks %lld/%lld, cents %lld/%lld)\n",
                    static_cast<long long>(EngineSums.TextBytes), static_cast<long long>(BoundSums.TextBytes),
                    static_cast<long long>(EngineSums.Breaks), static_cast<long long>(BoundSums.Breaks),
                    static_cast<long long>(EngineSums.GrandCents), static_cast<long long>(BoundSums.GrandCents));
    std::fflush(stdout);
    return Same;
}

} // namespace

BENCHMARK(BM_RecordStep)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--once") {
        TSalesEngine Sales;
        const TPassSums Sums = std::string(argv[2]) == "bound" ? Sales.Bound() : Sales.Pass();
        std::printf("%lld bytes of text\n", static_cast<long long>(Sums.TextBytes));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const bool Ok = CompareSalesRecords();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return Ok ? 0 : 1;
}
