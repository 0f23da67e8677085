// Reading RTF, splitting a long document over pages and drawing a page.

#include "platform/graphics/Gdi.h"
#include "platform/ui/RichLayout.h"
#include "platform/ui/RtfReader.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace qor;

namespace {

// About 60 pages of mixed formatting.
const std::string& LongDocument()
{
    static const std::string Doc = [] {
        std::string S = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}"
                        "{\\colortbl ;\\red200\\green0\\blue0;}\\f0\\fs20 ";
        for (int I = 0; I < 600; ++I) {
            S += (I % 4 == 0) ? "\\pard\\qj\\sb120 " : "\\pard ";
            S += "Paragraph " + std::to_string(I) + " with {\\b bold}, {\\cf1 coloured} and {\\f1\\i italic} words, "
                 "caf\\'e9 \\u8364? and enough further text to wrap over two or three lines of a column.\\par ";
        }
        return S + "}";
    }();
    return Doc;
}

std::span<const Byte> Bytes(const std::string& S)
{
    return std::span<const Byte>(reinterpret_cast<const Byte*>(S.data()), S.size());
}

void BM_ReadRtf(benchmark::State& State)
{
    const std::string& Doc = LongDocument();
    for (auto _ : State) {
        TRichDocument D;
        ReadRtf(Bytes(Doc), D);
        benchmark::DoNotOptimize(D.TextLength());
    }
    State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * Doc.size()));
}
BENCHMARK(BM_ReadRtf);

// Every page measured afresh, as a label splitting the text over pages does: the cached layout is
// dropped before each page.
void BM_PaginateColdCache(benchmark::State& State)
{
    TRichTextEngine Engine;
    Engine.LoadRtf(Bytes(LongDocument()));
    const HDC Printer = CreateRasterDC(10, 10, 600);
    for (auto _ : State) {
        Integer Pos = 0;
        while (Pos < Engine.TextLength()) {
            Engine.FormatRange(nullptr, false);
            TFormatRange R{Printer, Printer, TRect(0, 0, 6 * 1440, 9 * 1440), TRect(0, 0, 12240, 15840), Pos, -1};
            Pos = Engine.FormatRange(&R, false);
        }
    }
    DeleteDC(Printer);
}
BENCHMARK(BM_PaginateColdCache)->Unit(benchmark::kMillisecond);

// Many short paragraphs over many pages, each page measured afresh.
void BM_PaginateManyParagraphs(benchmark::State& State)
{
    std::string S = "{\\rtf1 ";
    for (int I = 0; I < 50000; ++I)
        S += "Line " + std::to_string(I) + "\\par ";
    S += "}";
    TRichTextEngine Engine;
    Engine.LoadRtf(Bytes(S));
    const HDC Printer = CreateRasterDC(10, 10, 600);
    for (auto _ : State) {
        Integer Pos = 0;
        while (Pos < Engine.TextLength()) {
            Engine.FormatRange(nullptr, false);
            TFormatRange R{Printer, Printer, TRect(0, 0, 6 * 1440, 9 * 1440), TRect(0, 0, 12240, 15840), Pos, -1};
            Pos = Engine.FormatRange(&R, false);
        }
    }
    DeleteDC(Printer);
}
BENCHMARK(BM_PaginateManyParagraphs)->Unit(benchmark::kMillisecond);

void BM_RenderPage(benchmark::State& State)
{
    TRichTextEngine Engine;
    Engine.LoadRtf(Bytes(LongDocument()));
    const HDC DC = CreateRasterDC(816, 1056, 96);
    for (auto _ : State) {
        TFormatRange R{DC, DC, TRect(1440, 1440, 10800, 14400), TRect(0, 0, 12240, 15840), 0, -1};
        benchmark::DoNotOptimize(Engine.FormatRange(&R, true));
    }
    DeleteDC(DC);
}
BENCHMARK(BM_RenderPage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
