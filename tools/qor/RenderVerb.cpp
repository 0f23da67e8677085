#include "tools/qor/RenderVerb.h"

#include "platform/graphics/Gdi.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorSetup.h"
#include "tools/qor/Args.h"
#include "tools/qor/PageRange.h"
#include "tools/qor/Usage.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

namespace qor::tool {

namespace {

constexpr long long MaxPagePixels = 1LL << 28;

struct TRenderOptions {
    std::string File;
    std::string Dir;
    int Dpi = 96;
    int Zoom = 100;
    int First = 0;
    int Last = 0;
};

int Usage(const std::string& Why) { return UsageError("render", Why); }

// Fills Options from the arguments; a non-zero exit code when they are wrong.
int ParseOptions(int argc, char** argv, TRenderOptions& O)
{
    for (int I = 0; I < argc; ++I) {
        const std::string Arg = argv[I];
        const bool HasValue = I + 1 < argc;
        const std::string Value = HasValue ? argv[I + 1] : "";
        if (Arg == "--png") {
            if (!HasValue || Value.empty())
                return Usage("--png wants the folder to write the pictures into");
            O.Dir = Value;
        } else if (Arg == "--dpi") {
            if (!ParseNumber(Value, 10, 2400, O.Dpi))
                return Usage("--dpi wants pixels per inch from 10 to 2400, as in --dpi 150");
        } else if (Arg == "--zoom") {
            if (!ParseNumber(Value, 1, 1000, O.Zoom))
                return Usage("--zoom wants a percentage from 1 to 1000, as in --zoom 200");
        } else if (Arg == "--pages") {
            if (!ParseRange(Value, O.First, O.Last))
                return Usage("--pages wants a range A-B of pages from 1 on, as in --pages 2-5");
        } else if (!Arg.empty() && Arg[0] == '-') {
            return Usage("unknown option '" + Arg + "'");
        } else if (O.File.empty()) {
            O.File = Arg;
            continue;
        } else {
            return Usage("one page file only, got '" + Arg + "' as well");
        }
        ++I; // the option's value
    }
    if (O.File.empty())
        return Usage("which page file?");
    if (O.Dir.empty())
        return Usage("where to? name a folder with --png DIR");
    return 0;
}

// The page's size in device pixels, from the printer setup it was recorded with.
bool PageSize(TQorQorFile& F, int Page, const TRenderOptions& O, int& Width, int& Height)
{
    TQorPrinterSetup Setup;
    F.GetPagePrinterInfo(&Setup, Page);
    double W = 0, H = 0;
    Setup.PageSizeInches(W, H);
    const double Scale = O.Dpi * O.Zoom / 100.0;
    const double Wp = std::ceil(W * Scale), Hp = std::ceil(H * Scale);
    if (Wp < 1 || Hp < 1 || Wp * Hp > double(MaxPagePixels))
        return false;
    Width = int(Wp);
    Height = int(Hp);
    return true;
}

std::string PageFileName(const std::string& Dir, int Page, int Count)
{
    std::string Number = std::to_string(Page);
    Number.insert(0, std::to_string(Count).size() - Number.size(), '0');
    return (std::filesystem::path(Dir) / ("page-" + Number + ".png")).string();
}

} // namespace

int RunRender(int argc, char** argv)
{
    TRenderOptions O;
    if (const int Code = ParseOptions(argc, argv, O))
        return Code;
    try {
        TQorQorFile F;
        const auto [First, Last, Count] = LoadPageFile(F, O.File, O.First, O.Last);
        std::error_code Ec;
        std::filesystem::create_directories(O.Dir, Ec);
        if (!std::filesystem::is_directory(O.Dir))
            throw Exception("cannot make the folder " + O.Dir);
        F.SetHorzScale(O.Zoom);
        F.SetVertScale(O.Zoom);
        for (int Page = First; Page <= Last; ++Page) {
            int Width = 0, Height = 0;
            if (!PageSize(F, Page, O, Width, Height))
                throw Exception("page " + std::to_string(Page) + " is too large at this resolution and zoom");
            HDC DC = CreateRasterDC(Width, Height, O.Dpi);
            if (!DC)
                throw Exception("no memory for a page of " + std::to_string(Width) + " x " + std::to_string(Height) +
                                " pixels");
            struct TFree {
                HDC DC;
                ~TFree() { DeleteDC(DC); }
            } Free{DC};
            PatBlt(DC, 0, 0, Width, Height, WHITENESS);
            F.PlayPage(DC, Page);
            const std::string Png = PageFileName(O.Dir, Page, Count);
            if (!SaveDCToPng(DC, Png))
                throw Exception("cannot write " + Png);
            std::printf("%s\n", Png.c_str());
        }
        return 0;
    } catch (const std::exception& E) {
        FileError("render", O.File, E.what());
        return 1;
    }
}

} // namespace qor::tool
