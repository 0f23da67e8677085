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

const TOptionTable<TRenderJob>& RenderOptions()
{
    using O = TRenderJob;
    static const TOptionTable<O> Table{
        {
            {"--png", "DIR", "the folder for the pictures (made when missing)",
             TakeText(&O::Dir, "--png wants the folder to write the pictures into")},
            {"--dpi", "N", "pixels per inch, 10 to 2400 (96)",
             TakeNumber(&O::Dpi, 10, 2400, "--dpi wants pixels per inch from 10 to 2400, as in --dpi 150")},
            {"--zoom", "P", "percent, 1 to 1000 (100)",
             TakeNumber(&O::Zoom, 1, 1000, "--zoom wants a percentage from 1 to 1000, as in --zoom 200")},
            {"--pages", "A-B", "only pages A to B", TakeRange(&O::First, &O::Last)},
        },
        TakeOneFile(&O::File, "one page file only"),
    };
    return Table;
}

int Usage(const std::string& Why) { return UsageError("render", Why); }

// The page's size in device pixels, from the printer setup it was recorded with.
bool PageSize(TQorQorFile& F, int Page, const TRenderJob& O, int& Width, int& Height)
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

std::string RenderOptionHelp() { return OptionHelp(RenderOptions()); }

int RunRender(const std::vector<std::string>& Args)
{
    TRenderJob O;
    if (const std::string Why = ReadArgs(Args, RenderOptions(), O); !Why.empty())
        return Usage(Why);
    if (O.File.empty())
        return Usage("which page file?");
    if (O.Dir.empty())
        return Usage("where to? name a folder with --png DIR");
    return RenderPages(O);
}

int RenderPages(const TRenderJob& O)
{
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
