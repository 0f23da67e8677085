// Playing a typical report page (about 100 records of text, lines and rectangles) from a page file
// onto a 96 pixels-per-inch raster context. Target: at least 1500 pages per second on one thread
// (the platform draws the same page directly at about 2700 per second: see GraphicsBench).

#include "platform/graphics/Brush.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Pen.h"
#include "runtime/output/QorFile.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace qor;

namespace {

void RecordReportPage(TQorQorFile& F, int Page)
{
    TFont Title, Body;
    Title.SetName("Arial");
    Title.SetSize(16);
    Title.SetStyle(TFontStyles{fsBold});
    Body.SetName("Times New Roman");
    Body.SetSize(10);
    TPen Rule, Thin;
    Rule.SetWidth(2);
    TBrush Shade, Clear;
    Shade.SetColor(clSilver);
    Clear.SetStyle(bsClear);
    F.SetBrush(&Clear);
    F.SetFont(&Title);
    F.SetTextAlign(TA_LEFT | TA_TOP);
    F.Textout(48, 40, "Quarterly sales by region");
    F.SetTextAlign(TA_RIGHT | TA_TOP);
    F.Textout(768, 40, "Page " + std::to_string(Page));
    F.SetPen(&Rule);
    F.MoveTo(48, 80);
    F.LineTo(768, 80);
    F.SetFont(&Body);
    F.SetPen(&Thin);
    // 22 rows of 2 texts, a rule and a box: 22 x 5 = 110 records with the alignments
    for (int Row = 0; Row < 22; ++Row) {
        const int Y = 100 + Row * 36;
        F.SetTextAlign(TA_LEFT | TA_TOP);
        F.Textout(56, Y, "Customer " + std::to_string(Row * 7 + Page));
        F.SetTextAlign(TA_RIGHT | TA_TOP);
        F.Textout(600, Y, std::to_string(1000 + Row * 37) + ".00");
        F.MoveTo(48, Y + 30);
        F.LineTo(768, Y + 30);
        if (Row % 2 == 0) {
            F.SetBrush(&Shade);
            F.FillRect(TRect(620, Y, 760, Y + 28));
            F.SetBrush(&Clear);
        } else {
            F.Rectangle(620, Y, 760, Y + 28);
        }
    }
    F.Rectangle(40, 980, 776, 1020);
    F.SetTextAlign(TA_CENTER | TA_BASELINE);
    F.Textout(408, 1008, "Total 123,456.00");
}

void BM_PlayReportPageRaster96(benchmark::State& State)
{
    TQorQorFile F;
    F.BeginDoc();
    for (int Page = 1; Page <= 10; ++Page) {
        if (Page > 1)
            F.NewPage();
        RecordReportPage(F, Page);
    }
    F.EndDoc();
    HDC DC = CreateRasterDC(816, 1056, 96);
    int Page = 0;
    for (auto _ : State) {
        PatBlt(DC, 0, 0, 816, 1056, WHITENESS);
        F.PlayPage(DC, Page % 10 + 1);
        ++Page;
        benchmark::DoNotOptimize(GetPixel(DC, 100, 100));
    }
    State.counters["pages/s"] = benchmark::Counter(double(State.iterations()), benchmark::Counter::kIsRate);
    DeleteDC(DC);
}
BENCHMARK(BM_PlayReportPageRaster96)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
