// The report engine's record step: five database variables and one sum total refreshed for every
// record of a 1,000,000-row memory data set, as the page does on each new record.

#include "tests/engine/StandInPage.h"

#include "platform/db/MemoryDataSet.h"
#include "platform/rtl/StringList.h"

#include <benchmark/benchmark.h>

using namespace qor;

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

} // namespace

BENCHMARK(BM_RecordStep)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
