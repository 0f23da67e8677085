// Printers of a CUPS server: capabilities from the queue's attributes, jobs sent as PDF.

#include "platform/printing/PrinterDriver.h"

#include "platform/rtl/Exceptions.h"

#include <cups/cups.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <vector>
#include <unistd.h>

namespace qor {

namespace {

constexpr int ConnectTimeoutMs = 2000;
constexpr double IoTimeoutSeconds = 5.0;

// A connection to the server in reach, or none. Never waits longer than a few seconds.
class TCupsConnection {
public:
    TCupsConnection()
    {
        cupsSetServer(nullptr); // take CUPS_SERVER and the client configuration as they are now
        FHttp = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, ConnectTimeoutMs,
                             nullptr);
        if (FHttp)
            httpSetTimeout(FHttp, IoTimeoutSeconds, nullptr, nullptr);
    }
    ~TCupsConnection()
    {
        if (FHttp)
            httpClose(FHttp);
    }
    TCupsConnection(const TCupsConnection&) = delete;
    TCupsConnection& operator=(const TCupsConnection&) = delete;
    http_t* get() const { return FHttp; }

private:
    http_t* FHttp = nullptr;
};

Integer BinCodeOfKeyword(const String& K)
{
    static const std::map<String, Integer> Known = {
        {"top", DMBIN_UPPER},         {"upper", DMBIN_UPPER},     {"bottom", DMBIN_LOWER},
        {"lower", DMBIN_LOWER},       {"middle", DMBIN_MIDDLE},   {"manual", DMBIN_MANUAL},
        {"envelope", DMBIN_ENVELOPE}, {"auto", DMBIN_AUTO},       {"tractor", DMBIN_TRACTOR},
        {"large-capacity", DMBIN_LARGECAPACITY},
    };
    auto It = Known.find(K);
    return It == Known.end() ? 0 : It->second;
}

class TCupsPrinterDriver : public TPrinterDriver {
public:
    TCupsPrinterDriver(const String& Queue, const String& DeviceUri)
        : TPrinterDriver(Queue, "cups", DeviceUri.empty() ? String("cups:") + Queue : DeviceUri), FQueue(Queue)
    {
    }

    String FQueue;
    std::map<Integer, String> FMediaNames;  // paper code -> PWG media name
    std::map<Integer, String> FSourceNames; // bin code -> media-source keyword
    Integer FDefaultPaper = 0;
    Integer FDefaultBin = 0;

    std::map<Integer, TPrinterMargins> FMargins; // paper code -> its unprintable border

    void Query(http_t* Http, cups_dest_t* Dest);
    // Adds a paper of the server's media database unless an equal one is listed.
    void AddPaper(http_t* Http, cups_dest_t* Dest, cups_dinfo_t* Info, cups_size_t& Size, Integer& NextOwnCode);

    TDeviceMode DefaultDevMode() const override
    {
        TDeviceMode D = TPrinterDriver::DefaultDevMode();
        if (const TPaperInfo* P = FindPaper(FDefaultPaper)) {
            D.dmPaperSize = static_cast<SmallInt>(P->Code);
            SetDevModeFormName(D, P->Name);
        }
        if (FindBin(FDefaultBin))
            D.dmDefaultSource = static_cast<SmallInt>(FDefaultBin);
        return D;
    }

    std::unique_ptr<TPrintJob> CreateJob(const String& Title, const String& OutputFile,
                                         const TDeviceMode& DevMode) const override;
};

void TCupsPrinterDriver::AddPaper(http_t* Http, cups_dest_t* Dest, cups_dinfo_t* Info, cups_size_t& Size,
                                  Integer& NextOwnCode)
{
    if (Size.width <= 0 || Size.length <= 0)
        return;
    const auto Tenths = [](int Hundredths) { return (std::max(Hundredths, 0) + 5) / 10; };
    const Integer W = Tenths(Size.width), L = Tenths(Size.length);
    for (const auto& P : FCaps.Papers)
        if (P.Width == W && P.Length == L && FMediaNames[P.Code] == Size.media)
            return;
    Integer Code = FindStandardPaper(W, L);
    if (Code == 0 || FindPaper(Code))
        Code = NextOwnCode++;
    const char* Localized = cupsLocalizeDestMedia(Http, Dest, Info, CUPS_MEDIA_FLAGS_DEFAULT, &Size);
    FCaps.Papers.push_back({Code, Localized && *Localized ? String(Localized) : String(Size.media), W, L});
    FMediaNames[Code] = Size.media;
    // Held so that something stays printable.
    TPrinterMargins M{Tenths(Size.left), Tenths(Size.top), Tenths(Size.right), Tenths(Size.bottom)};
    if (M.Left + M.Right >= W || M.Top + M.Bottom >= L)
        M = {};
    FMargins[Code] = M;
}

void TCupsPrinterDriver::Query(http_t* Http, cups_dest_t* Dest)
{
    cups_dinfo_t* Info = cupsCopyDestInfo(Http, Dest);
    if (Info) {
        // Papers, in the order the server lists them ("media-supported"); the sizes and margins
        // come from its media database. A server that lists none gives its database's order.
        const unsigned Flags = CUPS_MEDIA_FLAGS_DEFAULT;
        std::vector<cups_size_t> Sizes;
        if (ipp_attribute_t* A = cupsFindDestSupported(Http, Dest, Info, CUPS_MEDIA)) {
            for (int I = 0; I < ippGetCount(A); ++I) {
                cups_size_t Size{};
                if (const char* Media = ippGetString(A, I, nullptr);
                    Media && cupsGetDestMediaByName(Http, Dest, Info, Media, Flags, &Size))
                    Sizes.push_back(Size);
            }
        }
        if (Sizes.empty()) {
            const int N = cupsGetDestMediaCount(Http, Dest, Info, Flags);
            for (int I = 0; I < N; ++I) {
                cups_size_t Size{};
                if (cupsGetDestMediaByIndex(Http, Dest, Info, I, Flags, &Size))
                    Sizes.push_back(Size);
            }
        }
        Integer NextOwnCode = DMPAPER_USER + 1;
        for (cups_size_t& Size : Sizes)
            AddPaper(Http, Dest, Info, Size, NextOwnCode);
        // The queue's own default; the library's guess (by locale) only when it names none.
        String DefaultMedia;
        if (ipp_attribute_t* A = cupsFindDestDefault(Http, Dest, Info, CUPS_MEDIA); A && ippGetString(A, 0, nullptr))
            DefaultMedia = ippGetString(A, 0, nullptr);
        cups_size_t Default{};
        if (DefaultMedia.empty() && cupsGetDestMediaDefault(Http, Dest, Info, Flags, &Default))
            DefaultMedia = Default.media;
        for (const auto& [Code, Media] : FMediaNames)
            if (Media == DefaultMedia)
                FDefaultPaper = Code;
        // The unprintable border: the default paper's, else the first paper's.
        if (const auto It = FMargins.find(FDefaultPaper); It != FMargins.end())
            FCaps.Margins = It->second;
        else if (!FCaps.Papers.empty())
            FCaps.Margins = FMargins[FCaps.Papers.front().Code];

        // Sources
        if (ipp_attribute_t* A = cupsFindDestSupported(Http, Dest, Info, "media-source")) {
            Integer NextOwnBin = DMBIN_USER;
            for (int I = 0; I < ippGetCount(A); ++I) {
                const char* K = ippGetString(A, I, nullptr);
                if (!K)
                    continue;
                Integer Code = BinCodeOfKeyword(K);
                if (Code == 0 || FindBin(Code))
                    Code = NextOwnBin++;
                const char* Localized = cupsLocalizeDestValue(Http, Dest, Info, "media-source", K);
                FCaps.Bins.push_back({Code, Localized && *Localized ? String(Localized) : String(K)});
                FSourceNames[Code] = K;
            }
        }
        if (ipp_attribute_t* A = cupsFindDestDefault(Http, Dest, Info, "media-source")) {
            if (const char* K = ippGetString(A, 0, nullptr))
                for (const auto& [Code, Keyword] : FSourceNames)
                    if (Keyword == K)
                        FDefaultBin = Code;
        }

        // Resolutions
        if (ipp_attribute_t* A = cupsFindDestSupported(Http, Dest, Info, "printer-resolution")) {
            for (int I = 0; I < ippGetCount(A); ++I) {
                int Y = 0;
                ipp_res_t Units = IPP_RES_PER_INCH;
                int X = ippGetResolution(A, I, &Y, &Units);
                if (Units == IPP_RES_PER_CM) {
                    X = static_cast<int>(X * 2.54 + 0.5);
                    Y = static_cast<int>(Y * 2.54 + 0.5);
                }
                if (X > 0 && Y > 0)
                    FCaps.Resolutions.push_back({X, Y});
            }
        }
        if (ipp_attribute_t* A = cupsFindDestDefault(Http, Dest, Info, "printer-resolution")) {
            int Y = 0;
            ipp_res_t Units = IPP_RES_PER_INCH;
            const int X = ippGetResolution(A, 0, &Y, &Units);
            for (size_t I = 0; I < FCaps.Resolutions.size(); ++I)
                if (Units == IPP_RES_PER_INCH && FCaps.Resolutions[I].X == X && FCaps.Resolutions[I].Y == Y)
                    std::rotate(FCaps.Resolutions.begin(), FCaps.Resolutions.begin() + static_cast<long>(I),
                                FCaps.Resolutions.begin() + static_cast<long>(I) + 1);
        }

        // Copies, duplex, colour
        if (ipp_attribute_t* A = cupsFindDestSupported(Http, Dest, Info, CUPS_COPIES)) {
            int Upper = 1;
            if (ippGetValueTag(A) == IPP_TAG_RANGE)
                ippGetRange(A, 0, &Upper);
            else
                Upper = ippGetInteger(A, 0);
            FCaps.MaxCopies = std::clamp(Upper, 1, 9999);
        }
        FCaps.Duplex = cupsCheckDestSupported(Http, Dest, Info, CUPS_SIDES, CUPS_SIDES_TWO_SIDED_PORTRAIT) != 0;
        FCaps.Color = cupsCheckDestSupported(Http, Dest, Info, "print-color-mode", "color") != 0 ||
                      cupsFindDestSupported(Http, Dest, Info, "print-color-mode") == nullptr;
        cupsFreeDestInfo(Info);
    }

    // A queue that reports nothing still prints on the common papers.
    if (FCaps.Papers.empty()) {
        for (Integer Code : {DMPAPER_A4, DMPAPER_LETTER, DMPAPER_LEGAL, DMPAPER_A5, DMPAPER_A3}) {
            const auto S = *StandardPaperSize(Code);
            FCaps.Papers.push_back({Code, StandardPaperDisplayName(Code), S.Width, S.Length});
        }
        FMediaNames = {{DMPAPER_A4, "iso_a4_210x297mm"},
                       {DMPAPER_LETTER, "na_letter_8.5x11in"},
                       {DMPAPER_LEGAL, "na_legal_8.5x14in"},
                       {DMPAPER_A5, "iso_a5_148x210mm"},
                       {DMPAPER_A3, "iso_a3_297x420mm"}};
    }
    if (FCaps.Resolutions.empty())
        FCaps.Resolutions = {{300, 300}};
}

class TCupsPrintJob : public TPrintJob {
public:
    using TPrintJob::TPrintJob;

    // The job's PDF is a temporary file of its own (made in CreateJob).
    void Cancel() override
    {
        std::error_code Ec;
        std::filesystem::remove(PdfFile(), Ec);
    }

    void Finish() override
    {
        const auto& D = static_cast<const TCupsPrinterDriver&>(FDriver);
        const TDeviceMode& J = JobDevMode();
        cups_option_t* Options = nullptr;
        int N = 0;
        const Integer Copies = std::clamp<Integer>((J.dmFields & DM_COPIES) ? J.dmCopies : 1, 1,
                                                   std::max<Integer>(1, D.Capabilities().MaxCopies));
        const bool Collate = (J.dmFields & DM_COLLATE) && J.dmCollate == DMCOLLATE_TRUE;
        N = cupsAddOption(CUPS_COPIES, std::to_string(Copies).c_str(), N, &Options);
        N = cupsAddOption("collate", Collate ? "true" : "false", N, &Options);
        N = cupsAddOption("multiple-document-handling",
                          Collate ? "separate-documents-collated-copies" : "separate-documents-uncollated-copies", N,
                          &Options);
        const TDeviceMode& First = Pages().empty() ? J : Pages().front().DevMode;
        const char* Sides = CUPS_SIDES_ONE_SIDED;
        if ((First.dmFields & DM_DUPLEX) && D.Capabilities().Duplex) {
            if (First.dmDuplex == DMDUP_VERTICAL)
                Sides = CUPS_SIDES_TWO_SIDED_PORTRAIT;
            else if (First.dmDuplex == DMDUP_HORIZONTAL)
                Sides = CUPS_SIDES_TWO_SIDED_LANDSCAPE;
        }
        N = cupsAddOption(CUPS_SIDES, Sides, N, &Options);
        if (First.dmFields & DM_DEFAULTSOURCE) {
            auto It = D.FSourceNames.find(First.dmDefaultSource);
            if (It != D.FSourceNames.end())
                N = cupsAddOption("media-source", It->second.c_str(), N, &Options);
        }
        if (First.dmFields & DM_PAPERSIZE) {
            auto It = D.FMediaNames.find(First.dmPaperSize);
            if (It != D.FMediaNames.end())
                N = cupsAddOption(CUPS_MEDIA, It->second.c_str(), N, &Options);
        }

        TCupsConnection Http;
        int JobId = 0;
        String Error;
        if (!Http.get()) {
            Error = "the print server cannot be reached";
        } else {
            JobId = cupsPrintFile2(Http.get(), D.FQueue.c_str(), PdfFile().c_str(), Title().c_str(), N, Options);
            if (JobId == 0)
                Error = cupsLastErrorString();
        }
        cupsFreeOptions(N, Options);
        std::error_code Ec;
        std::filesystem::remove(PdfFile(), Ec);
        if (JobId == 0)
            throw EPrinter("Printer " + D.Name() + " did not accept the job: " + Error);
        FDelivery.Queue = D.FQueue;
        FDelivery.JobId = JobId;
    }
};

std::unique_ptr<TPrintJob> TCupsPrinterDriver::CreateJob(const String& Title, const String& OutputFile,
                                                         const TDeviceMode& DevMode) const
{
    String File = OutputFile;
    if (File.empty()) {
        const char* Tmp = std::getenv("TMPDIR");
        String Pattern = String(Tmp && *Tmp ? Tmp : "/tmp") + "/qor-cups-XXXXXX.pdf";
        std::vector<char> Buf(Pattern.begin(), Pattern.end());
        Buf.push_back('\0');
        const int Fd = mkstemps(Buf.data(), 4);
        if (Fd < 0)
            throw EPrinter("Cannot create a temporary file for printer " + Name());
        ::close(Fd);
        File = Buf.data();
    }
    return std::make_unique<TCupsPrintJob>(*this, Title, File, DevMode);
}

} // namespace

std::vector<std::unique_ptr<TPrinterDriver>> EnumerateCupsPrinters(String& DefaultName)
{
    DefaultName.clear();
    std::vector<std::unique_ptr<TPrinterDriver>> Result;
    TCupsConnection Http;
    if (!Http.get())
        return Result;
    cups_dest_t* Dests = nullptr;
    const int N = cupsGetDests2(Http.get(), &Dests);
    std::set<String> Seen;
    for (int I = 0; I < N; ++I) {
        cups_dest_t* Dest = &Dests[I];
        if (Dest->instance != nullptr || !Seen.insert(Dest->name).second)
            continue;
        const char* Uri = cupsGetOption("device-uri", Dest->num_options, Dest->options);
        auto D = std::make_unique<TCupsPrinterDriver>(Dest->name, Uri ? String(Uri) : String());
        D->Query(Http.get(), Dest);
        if (Dest->is_default)
            DefaultName = Dest->name;
        Result.push_back(std::move(D));
    }
    cupsFreeDests(N, Dests);
    return Result;
}

} // namespace qor
