// The PDF file: objects with their cross-reference table, page streams compressed on worker
// threads and written in page order, pictures stored once, and the document's end (fonts, shared
// resources, page tree, information).

#include "platform/graphics/internal/PdfDocument.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace qor::gdi::pdf {

void AppendInteger(std::string& Out, long long V)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, V);
    Out.append(buf, r.ptr);
}

void AppendNumber(std::string& Out, double V)
{
    const double r = std::round(V * 1000.0);
    if (!std::isfinite(r) || std::abs(r) > 1e15) {
        Out += '0';
        return;
    }
    long long t = (long long)r;
    if (t % 1000 == 0) {
        AppendInteger(Out, t / 1000);
        return;
    }
    if (t < 0) {
        Out += '-';
        t = -t;
    }
    AppendInteger(Out, t / 1000);
    char frac[4] = {char('0' + t % 1000 / 100), char('0' + t % 100 / 10), char('0' + t % 10), 0};
    int n = 3;
    while (n > 0 && frac[n - 1] == '0')
        --n;
    Out += '.';
    Out.append(frac, std::size_t(n));
}

std::string TextString(const String& Utf8)
{
    static const char Hex[] = "0123456789ABCDEF";
    std::string out = "<FEFF";
    auto unit = [&](unsigned U) {
        for (int s = 12; s >= 0; s -= 4)
            out += Hex[(U >> s) & 15];
    };
    for (std::size_t i = 0; i < Utf8.size();) {
        unsigned char c = static_cast<unsigned char>(Utf8[i]);
        char32_t cp = c;
        std::size_t n = 1;
        if (c >= 0xF0)
            cp = c & 7, n = 4;
        else if (c >= 0xE0)
            cp = c & 15, n = 3;
        else if (c >= 0xC0)
            cp = c & 31, n = 2;
        if (i + n > Utf8.size())
            break;
        for (std::size_t k = 1; k < n; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(Utf8[i + k]) & 0x3F);
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(0xD800 + unsigned(cp >> 10));
            unit(0xDC00 + unsigned(cp & 0x3FF));
        } else
            unit(unsigned(cp));
    }
    return out + ">";
}

namespace {

std::string Deflate(std::string_view In, int Level)
{
    uLongf size = compressBound(uLong(In.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(In.data()),
                  uLong(In.size()), Level) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

// Page streams are made at this level: nearly the size of the default at about half the time.
constexpr int PageLevel = 3;
constexpr int PictureLevel = 6;
// The pixels kept of pictures already stored, to tell a repeat from a hash collision.
constexpr std::size_t KeptImageBytes = std::size_t(16) << 20;

} // namespace

// Compresses page streams on worker threads; the results are taken in the order they were given.
class TPageCompressor {
public:
    struct TJob {
        std::string Data;
        int Page = 0, Contents = 0;
        double Width = 0, Height = 0;
        bool Done = false;
    };

    TPageCompressor()
    {
        const unsigned n = std::min(4u, std::max(1u, std::thread::hardware_concurrency()));
        if (n > 1)
            for (unsigned i = 0; i < n; ++i)
                FWorkers.emplace_back([this] { Work(); });
    }
    ~TPageCompressor()
    {
        {
            std::lock_guard<std::mutex> g(FLock);
            FStop = true;
        }
        FWake.notify_all();
        for (std::thread& t : FWorkers)
            t.join();
    }

    // Queues a job; with no workers it is done at once.
    void Add(std::unique_ptr<TJob> Job)
    {
        TJob* j = Job.get();
        std::lock_guard<std::mutex> g(FLock);
        FOrder.push_back(std::move(Job));
        if (FWorkers.empty()) {
            j->Data = Deflate(j->Data, PageLevel);
            j->Done = true;
        } else {
            FQueue.push_back(j);
            FWake.notify_one();
        }
    }
    std::size_t Pending() const { return FOrder.size(); }
    // The oldest job when it is done (waiting for it when Wait), else null.
    std::unique_ptr<TJob> Next(bool Wait)
    {
        std::unique_lock<std::mutex> g(FLock);
        if (FOrder.empty())
            return nullptr;
        if (Wait)
            FDoneSignal.wait(g, [&] { return FOrder.front()->Done; });
        if (!FOrder.front()->Done)
            return nullptr;
        std::unique_ptr<TJob> j = std::move(FOrder.front());
        FOrder.pop_front();
        return j;
    }
    std::size_t Threads() const { return std::max<std::size_t>(1, FWorkers.size()); }

private:
    void Work()
    {
        std::unique_lock<std::mutex> g(FLock);
        for (;;) {
            FWake.wait(g, [&] { return FStop || !FQueue.empty(); });
            if (FQueue.empty())
                return;
            TJob* j = FQueue.front();
            FQueue.pop_front();
            g.unlock();
            std::string packed = Deflate(j->Data, PageLevel);
            g.lock();
            j->Data = std::move(packed);
            j->Done = true;
            FDoneSignal.notify_all();
        }
    }

    std::mutex FLock;
    std::condition_variable FWake, FDoneSignal;
    std::deque<std::unique_ptr<TJob>> FOrder;
    std::deque<TJob*> FQueue;
    std::vector<std::thread> FWorkers;
    bool FStop = false;
};

TPdfDocument::TPdfDocument(std::FILE* File)
    : FFile(File), FOffsets(1, 0), FFonts(std::make_unique<TPdfFonts>()),
      FCompressor(std::make_unique<TPageCompressor>())
{
    Write("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
    FPagesNumber = Reserve();
    FResourcesNumber = Reserve();
    FImageHash = [](std::string_view Bytes) { return std::hash<std::string_view>()(Bytes); };
}

TPdfDocument::~TPdfDocument()
{
    FCompressor.reset();
    if (FFile)
        std::fclose(FFile);
}

void TPdfDocument::Write(std::string_view Bytes)
{
    if (!FFile || !FFailure.empty())
        return;
    if (std::fwrite(Bytes.data(), 1, Bytes.size(), FFile) != Bytes.size())
        FFailure = std::strerror(errno ? errno : EIO);
    FOffset += (long long)Bytes.size();
}

int TPdfDocument::Reserve()
{
    FOffsets.push_back(0);
    return int(FOffsets.size() - 1);
}

void TPdfDocument::Begin(int Number)
{
    FOffsets[std::size_t(Number)] = FOffset;
    std::string head;
    AppendInteger(head, Number);
    head += " 0 obj\n";
    Write(head);
}

void TPdfDocument::WriteObject(int Number, std::string_view Body)
{
    Begin(Number);
    Write(Body);
    Write("\nendobj\n");
}

void TPdfDocument::WriteStream(int Number, std::string_view Dictionary, std::string_view Data, bool Compress)
{
    std::string packed;
    if (Compress) {
        packed = Deflate(Data, PictureLevel);
        Data = packed;
    }
    Begin(Number);
    std::string head = "<<";
    head += Dictionary;
    head += Compress ? " /Filter /FlateDecode /Length " : " /Length ";
    AppendInteger(head, (long long)Data.size());
    head += ">>\nstream\n";
    Write(head);
    Write(Data);
    Write("\nendstream\nendobj\n");
}

void TPdfDocument::AddPage(std::string Content, double WidthPoints, double HeightPoints)
{
    auto job = std::make_unique<TPageCompressor::TJob>();
    job->Data = std::move(Content);
    job->Page = Reserve();
    job->Contents = Reserve();
    job->Width = WidthPoints;
    job->Height = HeightPoints;
    FPageNumbers.push_back(job->Page);
    FCompressor->Add(std::move(job));
    FlushPages(false);
}

void TPdfDocument::FlushPages(bool All)
{
    // A few pages ahead are compressed while the next is drawn; more would only hold memory.
    const std::size_t Ahead = 2 * FCompressor->Threads();
    while (auto job = FCompressor->Next(All || FCompressor->Pending() > Ahead)) {
        std::string page = "<</Type /Page /Parent ";
        AppendInteger(page, FPagesNumber);
        page += " 0 R /MediaBox [0 0 ";
        AppendNumber(page, job->Width);
        page += ' ';
        AppendNumber(page, job->Height);
        page += "] /Resources ";
        AppendInteger(page, FResourcesNumber);
        page += " 0 R /Contents ";
        AppendInteger(page, job->Contents);
        page += " 0 R>>";
        WriteObject(job->Page, page);
        if (job->Data.empty() && FFailure.empty())
            FFailure = "the page could not be compressed";
        WriteStream(job->Contents, " /Filter /FlateDecode", job->Data, false);
    }
}

std::string TPdfDocument::Image(const std::vector<std::uint32_t>& Pixels, Integer Width, Integer Height)
{
    const std::string_view bytes(reinterpret_cast<const char*>(Pixels.data()), Pixels.size() * 4);
    const std::size_t hash = FImageHash(bytes);
    for (auto [it, end] = FImageIndex.equal_range(hash); it != end; ++it)
        if (it->second->Width == Width && it->second->Height == Height && it->second->Pixels == Pixels) {
            FImages.splice(FImages.begin(), FImages, it->second);
            return it->second->Name;
        }
    std::string rgb, alpha;
    rgb.reserve(Pixels.size() * 3);
    bool translucent = false;
    for (std::uint32_t p : Pixels) {
        rgb += char((p >> 16) & 0xFF);
        rgb += char((p >> 8) & 0xFF);
        rgb += char(p & 0xFF);
        translucent |= (p >> 24) != 0xFF;
    }
    std::string size = " /Width ";
    AppendInteger(size, Width);
    size += " /Height ";
    AppendInteger(size, Height);
    size += " /BitsPerComponent 8";
    const int number = Reserve();
    std::string dict = "/Type /XObject /Subtype /Image" + size + " /ColorSpace /DeviceRGB";
    if (translucent) {
        alpha.reserve(Pixels.size());
        for (std::uint32_t p : Pixels)
            alpha += char(p >> 24);
        const int mask = Reserve();
        WriteStream(mask, "/Type /XObject /Subtype /Image" + size + " /ColorSpace /DeviceGray", alpha);
        dict += " /SMask ";
        AppendInteger(dict, mask);
        dict += " 0 R";
    }
    WriteStream(number, dict, rgb);
    std::string name = "Im" + std::to_string(FImageNumbers.size());
    FXObjects += " /" + name + " " + std::to_string(number) + " 0 R";
    FImageNumbers[name] = number;
    FImages.push_front({hash, Width, Height, Pixels, name});
    FImageIndex.emplace(hash, FImages.begin());
    FImageBytes += bytes.size();
    while (FImageBytes > KeptImageBytes && FImages.size() > 1) {
        const auto last = std::prev(FImages.end());
        for (auto [it, end] = FImageIndex.equal_range(last->Hash); it != end; ++it)
            if (it->second == last) {
                FImageIndex.erase(it);
                break;
            }
        FImageBytes -= last->Pixels.size() * 4;
        FImages.pop_back();
    }
    return name;
}

std::string TPdfDocument::Pattern(const std::string& Image, Integer Width, Integer Height, const std::string& Matrix)
{
    const std::string key = Image + '|' + Matrix;
    auto it = FPatternNames.find(key);
    if (it != FPatternNames.end())
        return it->second;
    const std::string w = std::to_string(Width), h = std::to_string(Height);
    const std::string imageRef = std::to_string(FImageNumbers[Image]) + " 0 R";
    const std::string cell = "q " + w + " 0 0 -" + h + " 0 " + h + " cm /" + Image + " Do Q";
    const int number = Reserve();
    WriteStream(number,
                "/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 " + w + " " + h + "] /XStep " +
                    w + " /YStep " + h + " /Matrix [" + Matrix + "] /Resources <</XObject <</" + Image + " " +
                    imageRef + ">>>>",
                cell);
    std::string name = "P" + std::to_string(FPatternNames.size());
    FPatterns += " /" + name + " " + std::to_string(number) + " 0 R";
    FPatternNames.emplace(key, name);
    return name;
}

std::string TPdfDocument::BlendState(const std::string& Mode)
{
    auto it = FStateNames.find(Mode);
    if (it != FStateNames.end())
        return it->second;
    const int number = Reserve();
    WriteObject(number, "<</Type /ExtGState /BM /" + Mode + ">>");
    std::string name = "GS" + std::to_string(FStateNames.size());
    FStates += " /" + name + " " + std::to_string(number) + " 0 R";
    FStateNames.emplace(Mode, name);
    return name;
}

bool TPdfDocument::Finish()
{
    FlushPages(true);
    if (FPageNumbers.empty()) // a document has at least one page, if an empty one
        AddPage("", 612, 792), FlushPages(true);
    const std::string fonts = FFonts->Write(*this);
    std::string res = "<</ProcSet [/PDF /Text /ImageB /ImageC]";
    if (!fonts.empty())
        res += " /Font <<" + fonts + ">>";
    if (!FXObjects.empty())
        res += " /XObject <<" + FXObjects + ">>";
    if (!FPatterns.empty())
        res += " /Pattern <<" + FPatterns + ">>";
    if (!FStates.empty())
        res += " /ExtGState <<" + FStates + ">>";
    WriteObject(FResourcesNumber, res + ">>");
    std::string kids = "<</Type /Pages /Count " + std::to_string(FPageNumbers.size()) + " /Kids [";
    for (int n : FPageNumbers)
        kids += std::to_string(n) + " 0 R ";
    kids.back() = ']';
    WriteObject(FPagesNumber, kids + ">>");
    const int catalog = Reserve();
    WriteObject(catalog, "<</Type /Catalog /Pages " + std::to_string(FPagesNumber) + " 0 R>>");
    const int info = Reserve();
    std::string infoDict = "<</Producer (qor) /Creator (qor)";
    if (!FTitle.empty())
        infoDict += " /Title " + TextString(FTitle);
    WriteObject(info, infoDict + ">>");
    const long long xref = FOffset;
    std::string table = "xref\n0 " + std::to_string(FOffsets.size()) + "\n0000000000 65535 f \n";
    char line[24];
    for (std::size_t i = 1; i < FOffsets.size(); ++i) {
        std::snprintf(line, sizeof line, "%010lld 00000 n \n", FOffsets[i]);
        table += line;
    }
    table += "trailer\n<</Size " + std::to_string(FOffsets.size()) + " /Root " + std::to_string(catalog) +
             " 0 R /Info " + std::to_string(info) + " 0 R>>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    Write(table);
    if (FFile) {
        if (std::fclose(FFile) != 0 && FFailure.empty())
            FFailure = std::strerror(errno ? errno : EIO);
        FFile = nullptr;
    }
    return FFailure.empty();
}

} // namespace qor::gdi::pdf
