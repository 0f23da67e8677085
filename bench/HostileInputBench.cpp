// Work that grows with hostile input, each at two sizes so its growth shows: a wrapping memo that
// stretches over many pages, a rich-text memo over many pages into a page file (time and file
// size), a justified line of many words played back, and a form of many bands read and freed.
// Each must take about twice the time at twice the size.

#include "platform/graphics/Gdi.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorUtil.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

using namespace qor;

namespace {

std::string Words(Int64 Count)
{
    std::string Text;
    for (Int64 I = 0; I < Count; ++I)
        Text += I % 12 == 11 ? "word\n" : "word ";
    return Text;
}

// A form quoting Text as one memo line per line of it.
std::string MemoForm(const std::string& Text)
{
    std::string Lines;
    for (std::size_t At = 0; At < Text.size();) {
        const std::size_t End = Text.find('\n', At);
        Lines += "        '" + Text.substr(At, End - At) + "'\n";
        At = End == std::string::npos ? Text.size() : End + 1;
    }
    return "object F: TForm\n"
           "  object Rows: TMemoryDataSet\n    Columns.Strings = ('N:Integer')\n    Rows.Strings = ('1')\n  end\n"
           "  object Source: TDataSource\n    DataSet = Rows\n  end\n"
           "  object Report: TKivReport\n    object Page1: TKivGrouppage\n      Detail = D\n"
           "      DataSource = Source\n"
           "      object D: TKivBand\n        Height = 20\n        Stretch = True\n        Updatelevel = L\n"
           "        object Memo: TKivTextLabel\n          Width = 600\n          Height = 20\n"
           "          WrapText = True\n          Stretch = True\n          Lines.Strings = (\n" +
           Lines.substr(0, Lines.size() - 1) + ")\n        end\n      end\n"
           "      object L: TKivLevel\n      end\n    end\n  end\nend\n";
}

// The pages made.
Integer RunToPageFile(const std::string& Form, const std::string& PageFile)
{
    std::unique_ptr<TComponent> Root(ReadComponentFromText(Form, nullptr, "bench.qfm"));
    auto* Report = dynamic_cast<TKivReport*>(Root->FindComponent("Report"));
    TKivPage* Page = Report->Pages(0)->AsPage();
    Report->SetPrompt(false);
    Report->SetSuppressStatus(true);
    Page->PageSetup()->SetDestination(destFile);
    Page->SetQorFileName(PageFile);
    Application()->OnException = [](TObject*, const Exception& E) { std::fprintf(stderr, "%s\n", E.Message().c_str()); };
    Report->Run();
    return Page->PageCount();
}

// A memo of Range(0) words that wraps and stretches over its pages.
void BM_StretchingMemoOverPages(benchmark::State& State)
{
    EnsureQtApplication();
    const std::string Form = MemoForm(Words(State.range(0)));
    const std::string PageFile =
        (std::filesystem::temp_directory_path() / ("qor-bench-memo-" + std::to_string(getpid()) + ".qor")).string();
    Integer Pages = 0;
    for (auto _ : State)
        Pages = RunToPageFile(Form, PageFile);
    std::filesystem::remove(PageFile);
    State.counters["pages"] = Pages;
    State.SetComplexityN(State.range(0));
}
BENCHMARK(BM_StretchingMemoOverPages)->Arg(40000)->Arg(80000)->Unit(benchmark::kMillisecond)->Complexity();

// An RTF memo of about Range(0) KB in a stretching rich-text label, into a page file: paragraphs of
// about 200 characters, or (Range(1) = 1) one paragraph of it all. Each page stores the part of the
// memo it draws, so the page file grows with the memo, not memo x pages.
std::string RtfMemo(Int64 KB, bool OneParagraph)
{
    std::string Rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20 ";
    for (Int64 I = 0; Rtf.size() < std::size_t(KB * 1024); ++I)
        Rtf += "{\\b Part " + std::to_string(I) + ".} Words of the memo that run on over the lines of the label, " +
               "with {\\i some in italics} and more words after them to fill the width." +
               (OneParagraph ? " " : "\\par ");
    return Rtf + "}";
}

std::string RtfMemoForm(const std::string& Rtf)
{
    std::string Row = "1,\"" + Rtf + "\"", Lines;
    for (std::size_t At = 0; At < Row.size(); At += 200)
        Lines += (At ? " +\n        '" : "'") + Row.substr(At, 200) + "'";
    return "object F: TForm\n"
           "  object Rows: TMemoryDataSet\n    Columns.Strings = ('N:Integer' 'Doc:Memo')\n    Rows.Strings = (\n        " +
           Lines + ")\n  end\n"
           "  object Source: TDataSource\n    DataSet = Rows\n  end\n"
           "  object Report: TKivReport\n    object Page1: TKivGrouppage\n      Detail = D\n      DataSource = Source\n"
           "      object D: TKivBand\n        Height = 60\n        Stretch = True\n        Updatelevel = L\n"
           "        object Memo: TKivRichTextLabel\n          Width = 600\n          Height = 40\n"
           "          Variable = V\n          Stretch = True\n        end\n      end\n"
           "      object L: TKivLevel\n      end\n"
           "      object V: TKivDBVar\n        DataSource = Source\n        DataField = 'Doc'\n        UpdateLevel = L\n"
           "      end\n    end\n  end\nend\n";
}

void BM_RichTextMemoPageFile(benchmark::State& State)
{
    EnsureQtApplication();
    const std::string Rtf = RtfMemo(State.range(0), State.range(1) != 0);
    const std::string Form = RtfMemoForm(Rtf);
    const std::string PageFile =
        (std::filesystem::temp_directory_path() / ("qor-bench-rtf-" + std::to_string(getpid()) + ".qor")).string();
    Integer Pages = 0;
    for (auto _ : State)
        Pages = RunToPageFile(Form, PageFile);
    const double Size = double(std::filesystem::file_size(PageFile));
    std::filesystem::remove(PageFile);
    State.counters["pages"] = Pages;
    State.counters["file_KB"] = Size / 1024;
    State.counters["file_per_memo"] = Size / double(Rtf.size());
}
BENCHMARK(BM_RichTextMemoPageFile)
    ->Args({100, 0})
    ->Args({200, 0})
    ->Args({100, 1})
    ->Args({200, 1})
    ->Unit(benchmark::kMillisecond);

// One justified line of Range(0) words played onto a printer's information context.
void BM_JustifiedLinePlayback(benchmark::State& State)
{
    EnsureQtApplication();
    std::string Line = Words(State.range(0));
    for (char& C : Line)
        if (C == '\n')
            C = ' ';
    const HDC DC = CreateInformationDC(5100, 6600, 600, true);
    const Integer Width = Integer(State.range(0) * 40);
    for (auto _ : State)
        QorTextJustify(DC, TRect(0, 0, Width, 100), 0, 0, Line, false, TRect(0, 0, Width, 100));
    DeleteDC(DC);
    State.SetComplexityN(State.range(0));
}
BENCHMARK(BM_JustifiedLinePlayback)->Arg(40000)->Arg(80000)->Unit(benchmark::kMillisecond)->Complexity();

// A form of Range(0) bands on one page, read (every name checked against its family, every band
// placed on the page) or freed (every band leaving its owner and its page).
void BM_FormOfManyBands(benchmark::State& State)
{
    EnsureQtApplication();
    std::string Form = "object F: TForm\n  object Report: TKivReport\n    object Page1: TKivGrouppage\n";
    for (Int64 I = 1; I <= State.range(0); ++I)
        Form += "      object B" + std::to_string(I) + ": TKivBand\n        Height = 20\n      end\n";
    Form += "    end\n  end\nend\n";
    const bool Freeing = State.range(1) != 0;
    for (auto _ : State) {
        if (Freeing)
            State.PauseTiming();
        std::unique_ptr<TComponent> Root(ReadComponentFromText(Form, nullptr, "bench.qfm"));
        if (Freeing)
            State.ResumeTiming();
        else
            State.PauseTiming();
        Root.reset();
        if (!Freeing)
            State.ResumeTiming();
    }
    State.SetComplexityN(State.range(0));
}
// Reading (second argument 0) and freeing (1) apart.
BENCHMARK(BM_FormOfManyBands)->Args({4000, 0})->Args({8000, 0})->Args({4000, 1})->Args({8000, 1})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
