// Opening CSV text whose header names very many columns: 100,000 ASCII names, and 20,000
// non-ASCII ones (checked for duplicates case-insensitively, and looked up as field definitions).

#include "platform/db/CsvDataSet.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace qor;

namespace {

String WideCsv(Integer Columns, bool Ascii)
{
    String Header, Row;
    for (Integer i = 0; i < Columns; ++i) {
        if (i > 0) {
            Header += ',';
            Row += ',';
        }
        Header += (Ascii ? "Column" : "Größe") + std::to_string(i);
        Row += std::to_string(i);
    }
    return Header + "\n" + Row + "\n";
}

void OpenWide(benchmark::State& State, bool Ascii)
{
    const String Text = WideCsv(static_cast<Integer>(State.range(0)), Ascii);
    for (auto _ : State) {
        TCsvDataSet DS(nullptr);
        DS.SetCsvText(Text);
        DS.Open();
        benchmark::DoNotOptimize(DS.FieldCount());
    }
}

void BM_CsvAsciiHeader(benchmark::State& State) { OpenWide(State, true); }
void BM_CsvNonAsciiHeader(benchmark::State& State) { OpenWide(State, false); }

} // namespace

BENCHMARK(BM_CsvAsciiHeader)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CsvNonAsciiHeader)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
