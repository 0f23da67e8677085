// Drawing a typical report page (about 100 text, line and rectangle calls) at 96 pixels per inch
// into a raster context. Target: at least 1000 pages per second on one thread.

#include "platform/graphics/Gdi.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace qor;

namespace {

void DrawReportPage(HDC DC, HFONT Title, HFONT Body, HBRUSH Shade, HPEN Rule, int Page)
{
    PatBlt(DC, 0, 0, 816, 1056, WHITENESS);
    SetBkMode(DC, TRANSPARENT);
    // page header
    SelectObject(DC, Title);
    SetTextAlign(DC, TA_LEFT | TA_TOP);
    TextOut(DC, 48, 40, "Quarterly sales by region");
    SetTextAlign(DC, TA_RIGHT | TA_TOP);
    TextOut(DC, 768, 40, "Page " + std::to_string(Page));
    SelectObject(DC, Rule);
    MoveToEx(DC, 48, 80);
    LineTo(DC, 768, 80);
    // detail band: 22 rows of 3 columns, a rule under each row (22 x 4 = 88 calls)
    SelectObject(DC, Body);
    SelectObject(DC, GetStockObject(BLACK_PEN));
    for (int row = 0; row < 22; ++row) {
        const int y = 100 + row * 36;
        SetTextAlign(DC, TA_LEFT | TA_TOP);
        TextOut(DC, 56, y, "Customer " + std::to_string(row * 7 + Page));
        SetTextAlign(DC, TA_RIGHT | TA_TOP);
        TextOut(DC, 600, y, std::to_string(1000 + row * 37) + ".00");
        MoveToEx(DC, 48, y + 30);
        LineTo(DC, 768, y + 30);
        if (row % 2 == 0)
            FillRect(DC, TRect(620, y, 760, y + 28), Shade);
        else
            Rectangle(DC, 620, y, 760, y + 28);
    }
    // footer
    SelectObject(DC, GetStockObject(NULL_BRUSH));
    Rectangle(DC, 40, 980, 776, 1020);
    SetTextAlign(DC, TA_CENTER | TA_BASELINE);
    TextOut(DC, 408, 1008, "Total 123,456.00");
    SelectObject(DC, GetStockObject(WHITE_BRUSH));
}

void BM_ReportPageRaster96(benchmark::State& State)
{
    HDC dc = CreateRasterDC(816, 1056, 96);
    HFONT title = CreateFont(-21, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HFONT body = CreateFont(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
    HBRUSH shade = CreateHatchBrush(HS_BDIAGONAL, RGB(160, 160, 160));
    HPEN rule = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
    int page = 1;
    for (auto _ : State) {
        DrawReportPage(dc, title, body, shade, rule, page++);
        benchmark::DoNotOptimize(GetPixel(dc, 100, 100));
    }
    State.counters["pages/s"] = benchmark::Counter(double(State.iterations()), benchmark::Counter::kIsRate);
    DeleteDC(dc);
    DeleteObject(title);
    DeleteObject(body);
    DeleteObject(shade);
    DeleteObject(rule);
}
BENCHMARK(BM_ReportPageRaster96)->Unit(benchmark::kMicrosecond);

// A clip region built from a staircase of excluded rectangles, as hostile metafiles make them.
void BM_ClipStaircase(benchmark::State& State)
{
    const Integer Steps = Integer(State.range(0));
    for (auto _ : State) {
        HDC dc = CreateRasterDC(400, 400, 96);
        for (Integer i = 0; i < Steps; ++i)
            ExcludeClipRect(dc, i / 2, i / 2, i / 2 + 1, i / 2 + 2);
        TRect box;
        benchmark::DoNotOptimize(GetClipBox(dc, box));
        DeleteDC(dc);
    }
}
BENCHMARK(BM_ClipStaircase)->Arg(300)->Arg(450)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
