// The same drawing on the raster and PDF backends; the recording backend; printer driver hooks.

#include "platform/graphics/Gdi.h"
#include "common/NeedTool.h"
#include "common/SoundPdf.h"
#include "platform/graphics/internal/PdfDocument.h"
#include "platform/graphics/internal/PrinterDriverSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

using namespace qor;

namespace {

String Shell(const String& Command)
{
    String out;
    std::unique_ptr<FILE, int (*)(FILE*)> p(popen(Command.c_str(), "r"), pclose);
    if (!p)
        return out;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p.get())) > 0)
        out.append(buf, n);
    // runs of blanks become one, so tool output can be matched simply
    String squeezed;
    for (char c : out)
        if (!(c == ' ' && !squeezed.empty() && squeezed.back() == ' '))
            squeezed += c;
    return squeezed;
}

// Reads a binary PPM written by pdftoppm.
bool ReadPpm(const String& File, Integer& W, Integer& H, std::vector<Byte>& Rgb)
{
    std::ifstream in(File, std::ios::binary);
    String magic;
    Integer maxv = 0;
    in >> magic >> W >> H >> maxv;
    in.get();
    if (magic != "P6" || W <= 0 || H <= 0 || maxv != 255)
        return false;
    Rgb.resize(std::size_t(W) * std::size_t(H) * 3);
    in.read(reinterpret_cast<char*>(Rgb.data()), std::streamsize(Rgb.size()));
    return bool(in);
}

// A small report-like page: a frame, a shaded box, a line and some text.
void DrawSample(HDC DC)
{
    HFONT font = CreateFont(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(DC, font);
    HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
    HGDIOBJ oldBrush = SelectObject(DC, GetStockObject(NULL_BRUSH));
    Rectangle(DC, 20, 20, 380, 280);
    FillRect(DC, TRect(40, 150, 200, 250), grey);
    MoveToEx(DC, 40, 130);
    LineTo(DC, 360, 130);
    SetBkMode(DC, TRANSPARENT);
    SetTextAlign(DC, TA_LEFT | TA_TOP);
    TextOut(DC, 100, 60, "Invoice");
    SelectObject(DC, oldBrush);
    SelectObject(DC, oldFont);
    DeleteObject(grey);
    DeleteObject(font);
}

TEST(PdfBackend, SameTextAndGeometryAsTheRasterBackend)
{
    const String dir = testing::TempDir();
    const String pdfFile = dir + "sample.pdf", pngFile = dir + "sample.png";
    TPdfPageFormat fmt;
    fmt.PaperWidthPoints = 288; // 4 x 3 inches at 100 pixels per inch: 400 x 300
    fmt.PaperHeightPoints = 216;
    fmt.Resolution = 100;
    HDC pdf = CreatePdfDC(pdfFile, fmt);
    ASSERT_TRUE(pdf);
    EXPECT_EQ(GetDeviceCaps(pdf, HORZRES), 400);
    EXPECT_EQ(GetDeviceCaps(pdf, PHYSICALHEIGHT), 300);
    EXPECT_EQ(GetDeviceCaps(pdf, TECHNOLOGY), DT_RASPRINTER);
    DOCINFO di;
    di.lpszDocName = "Sample";
    EXPECT_GT(StartDoc(pdf, di), 0);
    EXPECT_GT(StartPage(pdf), 0);
    DrawSample(pdf);
    EXPECT_GT(EndPage(pdf), 0);
    EXPECT_GT(EndDoc(pdf), 0);
    DeleteDC(pdf);

    HDC ras = CreateRasterDC(400, 300, 100);
    DrawSample(ras);
    ASSERT_TRUE(SaveDCToPng(ras, pngFile));

    qor::test::ExpectSoundPdf(pdfFile);
    String info = Shell("pdfinfo '" + pdfFile + "' 2>&1");
    EXPECT_NE(info.find("Pages: 1"), String::npos) << info;
    EXPECT_NE(info.find("288 x 216 pts"), String::npos) << info;
    String text = Shell("pdftotext -layout '" + pdfFile + "' - 2>&1");
    EXPECT_NE(text.find("Invoice"), String::npos) << text;

    // Rasterize the PDF at the same resolution and compare with the raster backend.
    Shell("pdftoppm -r 100 -aa no -aaVector no -singlefile '" + pdfFile + "' '" + dir + "sample_pdf'");
    Integer w = 0, h = 0;
    std::vector<Byte> rgb;
    ASSERT_TRUE(ReadPpm(dir + "sample_pdf.ppm", w, h, rgb));
    ASSERT_EQ(w, 400);
    ASSERT_EQ(h, 300);
    auto pdfDark = [&](Integer X, Integer Y) { return rgb[(std::size_t(Y) * 400 + X) * 3] < 200; };
    auto rasDark = [&](Integer X, Integer Y) { return (GetPixel(ras, X, Y) & 0xFF) < 200; };
    // geometry: frame edges, the shaded box, the rule
    for (TPoint p : {TPoint(20, 100), TPoint(379, 100), TPoint(200, 20), TPoint(200, 279), TPoint(100, 200),
                     TPoint(41, 151), TPoint(199, 249), TPoint(300, 130)}) {
        EXPECT_TRUE(pdfDark(p.X, p.Y)) << p.X << "," << p.Y;
        EXPECT_TRUE(rasDark(p.X, p.Y)) << p.X << "," << p.Y;
    }
    for (TPoint p : {TPoint(19, 100), TPoint(381, 100), TPoint(100, 260), TPoint(201, 200), TPoint(300, 132)}) {
        EXPECT_FALSE(pdfDark(p.X, p.Y)) << p.X << "," << p.Y;
        EXPECT_FALSE(rasDark(p.X, p.Y)) << p.X << "," << p.Y;
    }
    // text: the ink of the word covers the same box within a pixel or two
    TRect a(1000, 1000, 0, 0), b(1000, 1000, 0, 0);
    for (Integer y = 40; y < 125; ++y)
        for (Integer x = 60; x < 370; ++x) {
            if (pdfDark(x, y))
                a = TRect(std::min(a.Left, x), std::min(a.Top, y), std::max(a.Right, x + 1), std::max(a.Bottom, y + 1));
            if (rasDark(x, y))
                b = TRect(std::min(b.Left, x), std::min(b.Top, y), std::max(b.Right, x + 1), std::max(b.Bottom, y + 1));
        }
    EXPECT_NEAR(a.Left, b.Left, 2);
    EXPECT_NEAR(a.Right, b.Right, 2);
    EXPECT_NEAR(a.Top, b.Top, 2);
    EXPECT_NEAR(a.Bottom, b.Bottom, 2);
    DeleteDC(ras);
}

TEST(PdfBackend, PagesTakeTheFormatInForceWhenTheyBegin)
{
    const String file = testing::TempDir() + "formats.pdf";
    TPdfPageFormat portrait;
    portrait.PaperWidthPoints = 595;
    portrait.PaperHeightPoints = 842;
    portrait.Resolution = 300;
    portrait.OffsetX = 50;
    portrait.OffsetY = 60;
    HDC pdf = CreatePdfDC(file, portrait);
    ASSERT_TRUE(pdf);
    EXPECT_EQ(GetDeviceCaps(pdf, PHYSICALOFFSETX), 50);
    EXPECT_EQ(GetDeviceCaps(pdf, HORZRES), GetDeviceCaps(pdf, PHYSICALWIDTH) - 100);
    StartDoc(pdf, DOCINFO());
    StartPage(pdf);
    TPdfPageFormat landscape = portrait;
    std::swap(landscape.PaperWidthPoints, landscape.PaperHeightPoints);
    landscape.Resolution = 600;
    SetPdfPageFormat(pdf, landscape);
    EXPECT_EQ(GetDeviceCaps(pdf, LOGPIXELSX), 300); // the open page keeps its format
    EndPage(pdf);
    StartPage(pdf);
    EXPECT_EQ(GetDeviceCaps(pdf, LOGPIXELSX), 600);
    EndPage(pdf);
    EndDoc(pdf);
    DeleteDC(pdf);
    qor::test::ExpectSoundPdf(file);
    String info = Shell("pdfinfo -f 1 -l 2 '" + file + "' 2>&1");
    EXPECT_NE(info.find("Page 1 size: 595 x 842"), String::npos) << info;
    EXPECT_NE(info.find("Page 2 size: 842 x 595"), String::npos) << info;
    EXPECT_FALSE(CreatePdfDC("/no/such/dir/x.pdf", portrait));
}

TEST(PdfBackend, MonochromeSourcesTakeTheTextAndBackgroundColours)
{
    const String file = testing::TempDir() + "mono.pdf";
    HDC pdf = CreatePdfDC(file, TPdfPageFormat{200, 100, 72}); // a pixel a point
    ASSERT_TRUE(pdf);
    HDC mem = CreateCompatibleDC(HDC());
    const Byte bits[2] = {0x40, 0}; // black, then white
    HBITMAP mono = CreateBitmap(2, 1, 1, 1, bits);
    SelectObject(mem, mono);
    StartDoc(pdf, DOCINFO());
    StartPage(pdf);
    SetTextColor(pdf, RGB(255, 0, 0));
    SetBkColor(pdf, RGB(0, 0, 255));
    EXPECT_TRUE(StretchBlt(pdf, 0, 0, 200, 100, mem, 0, 0, 2, 1, SRCCOPY));
    EndPage(pdf);
    EndDoc(pdf);
    DeleteDC(pdf);
    DeleteDC(mem);
    DeleteObject(mono);
    qor::test::ExpectSoundPdf(file);
    const String ppm = testing::TempDir() + "mono";
    Shell("pdftoppm -r 72 -singlefile '" + file + "' '" + ppm + "'");
    Integer w = 0, h = 0;
    std::vector<Byte> rgb;
    ASSERT_TRUE(ReadPpm(ppm + ".ppm", w, h, rgb));
    auto near = [&](Integer X, Integer Y, COLORREF C) { // within the rounding of the PDF's colours
        const Byte* p = &rgb[(std::size_t(Y) * std::size_t(w) + std::size_t(X)) * 3];
        return std::abs(p[0] - GetRValue(C)) < 8 && std::abs(p[1] - GetGValue(C)) < 8 && std::abs(p[2] - GetBValue(C)) < 8;
    };
    EXPECT_TRUE(near(50, 50, RGB(255, 0, 0)));
    EXPECT_TRUE(near(150, 50, RGB(0, 0, 255)));
}

TEST(PdfBackend, APictureStretchedFarPastThePageCostsWhatThePageShows)
{
    // 200 x 200 pixels claiming a resolution of about 1 dpi: 120,000 pixels a side on the page.
    const String file = testing::TempDir() + "huge.pdf";
    HDC pdf = CreatePdfDC(file, TPdfPageFormat{200, 100, 72});
    ASSERT_TRUE(pdf);
    std::uint32_t* bits = nullptr;
    HBITMAP red = CreateDIBSection32(200, 200, &bits);
    std::fill(bits, bits + 200 * 200, 0xFFFF0000u);
    HDC mem = CreateCompatibleDC(HDC());
    SelectObject(mem, red);
    StartDoc(pdf, DOCINFO());
    StartPage(pdf);
    EXPECT_TRUE(StretchBlt(pdf, -60000, -60000, 120000, 120000, mem, 0, 0, 200, 200, SRCCOPY));
    EXPECT_EQ(EndDoc(pdf), 1);
    DeleteDC(pdf);
    DeleteDC(mem);
    DeleteObject(red);
    qor::test::ExpectSoundPdf(file);
    const String ppm = testing::TempDir() + "huge";
    Shell("pdftoppm -r 72 -singlefile '" + file + "' '" + ppm + "'");
    Integer w = 0, h = 0;
    std::vector<Byte> rgb;
    ASSERT_TRUE(ReadPpm(ppm + ".ppm", w, h, rgb));
    EXPECT_GT(rgb[(50 * std::size_t(w) + 100) * 3], 240);
    EXPECT_LT(rgb[(50 * std::size_t(w) + 100) * 3 + 1], 16);
}

TEST(PdfBackend, APictureOnEveryPageIsStoredOnceAsItCame)
{
    if (!qor::test::HaveProgram("pdfimages"))
        QOR_SKIP_WITHOUT_TOOL("pdfimages is not installed");
    const String file = testing::TempDir() + "logo.pdf";
    HDC pdf = CreatePdfDC(file, TPdfPageFormat{200, 100, 72});
    ASSERT_TRUE(pdf);
    std::uint32_t* bits = nullptr;
    HBITMAP logo = CreateDIBSection32(16, 8, &bits);
    for (Integer i = 0; i < 16 * 8; ++i)
        bits[i] = 0xFF000000u | std::uint32_t(i * 0x020301);
    HDC mem = CreateCompatibleDC(HDC());
    SelectObject(mem, logo);
    StartDoc(pdf, DOCINFO());
    for (Integer page = 0; page < 3; ++page) {
        StartPage(pdf);
        EXPECT_TRUE(StretchBlt(pdf, 10 + page, 10, 32, 16, mem, 0, 0, 16, 8, SRCCOPY));
        EndPage(pdf);
    }
    EXPECT_EQ(EndDoc(pdf), 1);
    DeleteDC(pdf);
    DeleteDC(mem);
    DeleteObject(logo);
    qor::test::ExpectSoundPdf(file);
    // Three uses of one object, at the picture's own size, compressed without loss (not JPEG).
    std::istringstream rows(Shell("pdfimages -list '" + file + "' 2>&1"));
    std::set<String> objects;
    Integer uses = 0;
    for (String row; std::getline(rows, row);) {
        std::istringstream f(row);
        String page, num, type, width, height, color, comp, bpc, enc, interp, object;
        if (f >> page >> num >> type >> width >> height >> color >> comp >> bpc >> enc >> interp >> object &&
            type == "image") {
            ++uses;
            objects.insert(object);
            EXPECT_EQ(width + "x" + height, "16x8");
            EXPECT_EQ(enc, "image") << row;
        }
    }
    EXPECT_EQ(uses, 3);
    EXPECT_EQ(objects.size(), 1u);
}

TEST(PdfBackend, PicturesWhoseHashesCollideAreToldApartByTheirBytes)
{
    const String file = testing::TempDir() + "collide.pdf";
    gdi::pdf::TPdfDocument doc(std::fopen(file.c_str(), "wb"));
    doc.SetImageHash([](std::string_view) { return std::size_t(7); });
    const std::vector<std::uint32_t> red(4, 0xFFFF0000u), blue(4, 0xFF0000FFu);
    const std::string a = doc.Image(red, 2, 2), b = doc.Image(blue, 2, 2);
    EXPECT_NE(a, b);
    EXPECT_EQ(doc.Image(red, 2, 2), a);
    EXPECT_EQ(doc.Image(blue, 2, 2), b);
    EXPECT_NE(doc.Image(red, 4, 1), a) << "the same bytes in another shape";
    doc.AddPage("q 10 0 0 10 0 0 cm /" + a + " Do Q /" + b + " Do", 100, 100);
    ASSERT_TRUE(doc.Finish()) << doc.Failure();
    qor::test::ExpectSoundPdf(file);
}

TEST(PdfBackend, AFullDiskFailsTheDocumentWithTheSystemsReason)
{
    // ENOSPC (a full file system) as /dev/full gives it; EFBIG under a file size limit is
    // HostileRun's.
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_TRUE(full);
    gdi::pdf::TPdfDocument doc(full);
    doc.AddPage(String(1000, ' '), 100, 100);
    EXPECT_FALSE(doc.Finish());
    EXPECT_EQ(doc.Failure(), "No space left on device");
}

TEST(PdfBackend, AnUnfinishedDocumentNeverTakesTheFilesPlace)
{
    const String file = testing::TempDir() + "earlier.pdf";
    std::ofstream(file) << "earlier";
    HDC pdf = CreatePdfDC(file, TPdfPageFormat{200, 100, 72});
    ASSERT_TRUE(pdf);
    Rectangle(pdf, 10, 10, 50, 50);
    std::stringstream Was;
    Was << std::ifstream(file).rdbuf();
    EXPECT_EQ(Was.str(), "earlier") << "the file is not cut when the document opens";
    EXPECT_EQ(AbortDoc(pdf), 1);
    DeleteDC(pdf);
    std::stringstream After;
    After << std::ifstream(file).rdbuf();
    EXPECT_EQ(After.str(), "earlier") << "an aborted document leaves the file as it was";
}

TEST(PdfBackend, DocumentEndsOnEndDocDeleteOrAbort)
{
    const String kept = testing::TempDir() + "kept.pdf", aborted = testing::TempDir() + "aborted.pdf";
    // Drawing begins a page; a second begin and a second end of it are ignored; deleting the
    // context completes the file.
    HDC pdf = CreatePdfDC(kept, TPdfPageFormat{200, 100, 72});
    ASSERT_TRUE(pdf);
    EXPECT_TRUE(Rectangle(pdf, 10, 10, 50, 50));
    EXPECT_EQ(StartPage(pdf), 1);
    EXPECT_EQ(EndPage(pdf), 1);
    EXPECT_EQ(EndPage(pdf), 1);
    DeleteDC(pdf);
    EXPECT_NE(Shell("pdfinfo '" + kept + "' 2>&1").find("Pages: 1\n"), String::npos);
    qor::test::ExpectSoundPdf(kept);
    // After the end of the document nothing more is drawn.
    pdf = CreatePdfDC(kept, TPdfPageFormat{200, 100, 72});
    StartPage(pdf);
    EndDoc(pdf);
    EXPECT_FALSE(Rectangle(pdf, 10, 10, 50, 50));
    DeleteDC(pdf);
    EXPECT_NE(Shell("pdfinfo '" + kept + "' 2>&1").find("Pages: 1\n"), String::npos);
    // An aborted document leaves no file.
    pdf = CreatePdfDC(aborted, TPdfPageFormat{200, 100, 72});
    StartPage(pdf);
    Rectangle(pdf, 10, 10, 50, 50);
    EXPECT_EQ(AbortDoc(pdf), 1);
    DeleteDC(pdf);
    EXPECT_FALSE(std::ifstream(aborted).good());
}

TEST(PdfBackend, TextOfEveryScriptReadsBackInOrderFromEmbeddedSubsets)
{
    for (const char* tool : {"pdftotext", "pdffonts", "qpdf"})
        if (!qor::test::HaveProgram(tool))
            QOR_SKIP_WITHOUT_TOOL(std::string(tool) + " is not installed");
    const String file = testing::TempDir() + "scripts.pdf";
    HDC pdf = CreatePdfDC(file, TPdfPageFormat{595, 842, 150});
    ASSERT_TRUE(pdf);
    HDC ras = CreateRasterDC(1240, 800, 150);
    PatBlt(ras, 0, 0, 1240, 800, WHITENESS);
    DOCINFO di;
    di.lpszDocName = "Überblick Σ";
    StartDoc(pdf, di);
    StartPage(pdf);
    // Faces named and not: a label's characters its face lacks come from the face fontconfig names.
    const struct {
        const char* Face;
        const char* Text;
    } labels[] = {
        {"Arial", "Invoice total"},   {"", "Σύνολο τιμολογίου"}, {"Arial", "שלום עולם"},
        {"", "مرحبا بالعالم"},        {"Arial", "发票总额"},      {"", "合計 金額"},
        {"Times New Roman", "Total 42 שקל"},
    };
    for (HDC dc : {pdf, ras}) {
        SetBkMode(dc, TRANSPARENT);
        Integer y = 50;
        for (const auto& l : labels) {
            HFONT font = CreateFont(-40, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, l.Face);
            HGDIOBJ old = SelectObject(dc, font);
            TextOut(dc, 50, y, l.Text);
            SelectObject(dc, old);
            DeleteObject(font);
            y += 80;
        }
    }
    EXPECT_EQ(EndDoc(pdf), 1);
    DeleteDC(pdf);
    // The picture of the same labels has the same ink where the PDF has it: shaped, ordered and
    // from the same faces (within a pixel or two of the rasterizers' smoothing).
    const String png = testing::TempDir() + "scripts.png";
    ASSERT_TRUE(SaveDCToPng(ras, png));
    Shell("pdftoppm -r 150 -x 0 -y 0 -W 1240 -H 800 -aa no -singlefile '" + file + "' '" + testing::TempDir() +
          "scripts'");
    Integer w = 0, h = 0;
    std::vector<Byte> rgb;
    ASSERT_TRUE(ReadPpm(testing::TempDir() + "scripts.ppm", w, h, rgb));
    ASSERT_EQ(w, 1240);
    const auto pdfDark = [&](Integer X, Integer Y) { return rgb[(std::size_t(Y) * 1240 + std::size_t(X)) * 3] < 128; };
    const auto rasDark = [&](Integer X, Integer Y) { return (GetPixel(ras, X, Y) & 0xFF) < 128; };
    const auto unmatched = [&](auto&& A, auto&& B) {
        Integer ink = 0, alone = 0;
        for (Integer y = 2; y < 798; ++y)
            for (Integer x = 2; x < 1238; ++x)
                if (A(x, y)) {
                    ++ink;
                    bool near = false;
                    for (Integer dy = -2; dy <= 2 && !near; ++dy)
                        for (Integer dx = -2; dx <= 2 && !near; ++dx)
                            near = B(x + dx, y + dy);
                    alone += !near;
                }
        return ink ? Double(alone) / Double(ink) : 1.0;
    };
    EXPECT_LT(unmatched(pdfDark, rasDark), 0.02);
    EXPECT_LT(unmatched(rasDark, pdfDark), 0.02);
    DeleteDC(ras);
    std::vector<std::string> texts;
    for (const auto& l : labels)
        texts.push_back(l.Text);
    qor::test::ExpectTextsInOrder(file, texts);
    const int faces = qor::test::ExpectSubsetFaces(file);
    EXPECT_GE(faces, 3); // Liberation Sans and Serif, DejaVu Sans and a face for CJK
    EXPECT_NE(Shell("pdfinfo '" + file + "' 2>&1").find("Title: Überblick Σ"), String::npos);
    qor::test::ExpectSoundPdf(file);
}

TEST(RecordingBackend, LogsOneReadableLinePerCall)
{
    HDC rec = CreateRecordingDC(816, 1056, 96, true);
    EXPECT_EQ(GetDeviceCaps(rec, TECHNOLOGY), DT_RASPRINTER);
    HFONT f = CreateFont(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SelectObject(rec, f);
    SetTextAlign(rec, TA_RIGHT | TA_UPDATECP);
    MoveToEx(rec, 100, 10);
    TextOut(rec, 0, 0, "Total");
    TPoint p;
    GetCurrentPositionEx(rec, p);
    EXPECT_EQ(p, TPoint(100 - 5 * 7, 10)); // five characters of half an em (13 / 2 rounded up)
    Rectangle(rec, 0, 0, 10, 10);
    TRect r(1, 2, 3, 4);
    ExtTextOut(rec, 5, 6, ETO_CLIPPED | ETO_OPAQUE, &r, "a\"b");
    std::vector<String> calls = GetRecordedCalls(rec);
    std::vector<String> expected = {
        "SelectObject(Font \"Arial\" h=-13 w=700 esc=0 i=0 u=0 s=0)",
        "SetTextAlign(3)",
        "MoveToEx(100,10)",
        "TextOut(0,0,\"Total\")",
        "Rectangle(0,0,10,10)",
        "ExtTextOut(5,6,6,1,2,3,4,\"a\\\"b\")",
    };
    EXPECT_EQ(calls, expected);
    ClearRecordedCalls(rec);
    EXPECT_TRUE(GetRecordedCalls(rec).empty());
    DeleteDC(rec);
    DeleteObject(f);
}

struct TLogSink : IPrinterDriverSink {
    std::vector<String>* Log;
    bool RefusePage = false;
    explicit TLogSink(std::vector<String>* L) : Log(L) {}
    bool StartDoc(HDC, const DOCINFO& I) override { Log->push_back("StartDoc " + I.lpszDocName); return true; }
    bool StartPage(HDC) override { Log->push_back("StartPage"); return !RefusePage; }
    bool EndPage(HDC) override { Log->push_back("EndPage"); return true; }
    bool EndDoc(HDC) override { Log->push_back("EndDoc"); return true; }
    bool AbortDoc(HDC) override { Log->push_back("AbortDoc"); return true; }
    bool ResetDC(HDC, const TDeviceMode*) override { Log->push_back("ResetDC"); return true; }
    void Detached(HDC) override { Log->push_back("Detached"); }
};

TEST(PrinterSink, DriverSeesEveryPageCall)
{
    std::vector<String> log;
    auto sink = std::make_shared<TLogSink>(&log);
    HDC dc = CreateRasterDC(10, 10);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASDISPLAY);
    SetPrinterDriverSink(dc, sink);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(GetPrinterDriverSink(dc), sink.get());
    DOCINFO di;
    di.lpszDocName = "Job";
    EXPECT_GT(StartDoc(dc, di), 0);
    EXPECT_GT(StartPage(dc), 0);
    EXPECT_GT(EndPage(dc), 0);
    EXPECT_EQ(ResetDC(dc, nullptr), dc);
    sink->RefusePage = true;
    EXPECT_LE(StartPage(dc), 0);
    EXPECT_GT(AbortDoc(dc), 0);
    DeleteDC(dc);
    std::vector<String> expected = {"StartDoc Job", "StartPage", "EndPage", "ResetDC", "StartPage", "AbortDoc",
                                    "Detached"};
    EXPECT_EQ(log, expected);
}

} // namespace
