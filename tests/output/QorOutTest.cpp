// The output job and its canvas: the three-page sample document into a page file, onto the PDF
// printer and nowhere; aborting; the preview route with a stand-in viewer; the canvas's printer
// route on a recording device context; golden page files.

#include "common/Golden.h"
#include "examples/SampleDocument.h"
#include "common/SoundPdf.h"
#include "output/OutputTestSupport.h"
#include "output/PageFileTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Gdi.h"
#include "platform/printing/Printers.h"
#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorOut.h"
#include "runtime/output/QorSetup.h"
#include "common/NeedTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

using namespace qor;
using namespace qor::test;

namespace {

// Compares Text with the golden file Name under tests/data/output; QOR_UPDATE_GOLDEN=1 rewrites it.
void ExpectGolden(const std::string& Name, const std::string& Text) { ExpectGoldenFile(OutputDataFile(Name), Text); }

class OutputJobTest : public DescribedPrinterTest {
protected:
    void SetUp() override
    {
        DescribedPrinterTest::SetUp();
        Select("Plain Printer");
        PrintOffsetX = PrintOffsetY = 0;
        OnPrintOffset = nullptr;
        SavedViewer = QorCreateViewer;
    }
    void TearDown() override
    {
        PrintOffsetX = PrintOffsetY = 0;
        OnPrintOffset = nullptr;
        QorCreateViewer = SavedViewer;
        DescribedPrinterTest::TearDown();
    }

    std::function<IQorViewer*()> SavedViewer; // the viewer window's, restored after each test

    void DrawSample(TQorOutput& Job)
    {
        Job.SetDescription("Sample document");
        Job.BeginDoc();
        sample::DrawSampleDocument(Job);
    }
};

TEST_F(OutputJobTest, ThreePagesIntoAPageFileLoadBackUnchanged)
{
    const std::string Name = (Dir / "sample.qor").string();
    TQorOutput Job;
    Job.SetDestination(qdQorFile);
    Job.SetFileName(Name);
    DrawSample(Job);
    EXPECT_FALSE(std::filesystem::exists(Name)) << "the file is written at the end";
    Job.EndDoc();
    ASSERT_TRUE(std::filesystem::exists(Name));

    TQorQorFile* Recorded = Job.QorFile();
    ASSERT_NE(Recorded, nullptr);
    EXPECT_EQ(Recorded->PageCount(), 3);
    EXPECT_FALSE(Recorded->Running());
    EXPECT_EQ(Job.LoadPercent(), 100.0f);

    TQorQorFile Loaded;
    Loaded.LoadFromFile(Name);
    const std::string Dump = QorDumpQorFile(Loaded);
    // Records, pages and objects as recorded; the setup as the setup record stores it (the values
    // chosen, not those merely read back from the printer).
    const auto WithoutSetupLine = [](std::string D) { return D.erase(D.find("\nsetup "), D.find("\nuserstream") - D.find("\nsetup ")); };
    EXPECT_EQ(WithoutSetupLine(Dump), WithoutSetupLine(QorDumpQorFile(*Recorded)));
    TBytesStream Stored;
    Recorded->QorPrinterSetup()->WriteToStream(Stored);
    const std::vector<Byte> FileBytes = ReadBytes(Name);
    const std::vector<Byte> SetupBytes = Stored.Bytes();
    EXPECT_TRUE(std::equal(SetupBytes.begin(), SetupBytes.end(), FileBytes.begin() + 227));
    EXPECT_EQ(SavedBytes(Loaded), ReadBytes(Name));
    ExpectGolden("sample-document.dump", Dump);

    // Every canvas operation left its record.
    for (const char* Kind : {"SetTextAlign", "TextOut", "MoveTo", "LineTo", "PTextOut", "ExtTextOut", "TextRect",
                             "FillRect", "Rectangle", "RoundRect", "Ellipse", "  Draw ", "StretchDraw ", "ShadeRect",
                             "SetBkColor", "TextJustify", "DrawBitmap", "StretchDrawBitmap", "RtfDraw",
                             "DrawCheckBox", "DrawShapeType arc", "DrawShapeType chord", "DrawShapeType pie",
                             "PolyDrawType polygon 3 points", "PolyDrawType polyline 4 points",
                             "Print3of9Barcode", "Print2of5Barcode", "escapement 900"})
        EXPECT_NE(Dump.find(Kind), std::string::npos) << Kind;
}

TEST_F(OutputJobTest, TheFileRecordsTheEffectiveSetupOfTheSelectedPrinter)
{
    Select("Works Laser");
    TQorOutput Job;
    Job.SetDestination(qdQorFile);
    Job.QorPrinterSetup()->SetPaperSize(9); // A4
    Job.BeginDoc();
    Job.QorPrinterSetup()->SetOrientation(2);
    Job.NewPage();
    Job.EndDoc();
    TQorQorFile& F = *Job.QorFile();
    EXPECT_EQ(F.QorPrinterSetup()->PaperSize(), 9);
    EXPECT_NEAR(F.QorPrinterSetup()->Width(), 210 / 25.4, 0.01);
    TQorPrinterSetup Page2;
    ASSERT_TRUE(F.GetPagePrinterInfo(&Page2, 2));
    EXPECT_EQ(Page2.Orientation(), 2) << "a setup changed between pages goes with the new page";
    EXPECT_EQ(F.PageWidth(), static_cast<Integer>(Round(96 * F.QorPrinterSetup()->Width())));
}

TEST_F(OutputJobTest, NoFileNameRecordsButWritesNothing)
{
    TQorOutput Job;
    Job.SetDestination(qdQorFile);
    DrawSample(Job);
    Job.EndDoc();
    EXPECT_EQ(Job.QorFile()->PageCount(), 3);
    EXPECT_FALSE(Job.QorFile()->CreateFile());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir), {}), 0);
}

TEST_F(OutputJobTest, AbortWritesNoFileAndLeavesAnExistingOneAlone)
{
    const std::string Name = (Dir / "kept.qor").string();
    WriteWholeFile(Name, "an earlier report");
    TQorOutput Job;
    Job.SetDestination(qdQorFile);
    Job.SetFileName(Name);
    DrawSample(Job);
    Job.Abort();
    EXPECT_EQ(ReadWholeFile(Name), "an earlier report");
    ASSERT_NE(Job.QorFile(), nullptr);
    EXPECT_EQ(Job.QorFile()->PageCount(), 3) << "the pages drawn so far stay with the job";
    EXPECT_FALSE(Job.QorFile()->Running());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir), {}), 1);
}

TEST_F(OutputJobTest, NoWhereDrawsAndRecordsNothing)
{
    TQorOutput Job;
    Job.SetDestination(qdNoWhere);
    DrawSample(Job);
    Job.NewPage();
    Job.EndDoc();
    EXPECT_EQ(Job.QorFile(), nullptr);
    EXPECT_FALSE(Printer()->Printing());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir), {}), 0);
    const TQorCanvas& C = *Job.QorCanvas();
    EXPECT_EQ(C.LogFont().lfFaceName[0], 0) << "no font was ever taken";
    EXPECT_EQ(C.LogPen().lopnWidth.X, 0);
}

TEST_F(OutputJobTest, DrawingAfterTheDocumentOnAFileRouteIsRefused)
{
    TQorOutput Job;
    Job.SetDestination(qdQorFile);
    EXPECT_THROW(Job.QorCanvas()->Textout(0, 0, "x"), EInvalidOperation);
    Job.BeginDoc();
    Job.EndDoc();
    EXPECT_THROW(Job.QorCanvas()->Rectangle(0, 0, 1, 1), EInvalidOperation);
}

TEST_F(OutputJobTest, FileRouteRecordsEmptyTextButNoEmptyImage)
{
    TQorOutput Job;
    Job.SetDestination(qdQorFile);
    Job.BeginDoc();
    TQorCanvas& C = *Job.QorCanvas();
    C.Textout(5, 6, "");
    TBitmap Empty;
    C.Draw(0, 0, &Empty);
    C.StretchDraw(TRect(0, 0, 5, 5), nullptr);
    TMemoryStream Nothing;
    C.DrawBitmap(0, 0, &Nothing);
    C.StretchDrawBitmap(TRect(0, 0, 5, 5), nullptr);
    C.RtfDraw(TRect(0, 0, 5, 5), &Nothing, 0, -1, false);
    Job.EndDoc();
    const std::string Dump = QorDumpQorFile(*Job.QorFile());
    const std::string Records = Dump.substr(Dump.find("  PageBegin\n"));
    EXPECT_EQ(Records, "  PageBegin\n  TextOut 5 6 \"\"\n  PageEnd\n");
}

TEST_F(OutputJobTest, TheCanvasRecordsWhatItWasGivenLastWhateverChangedBetween)
{
    TQorOutput Job;
    Job.SetDestination(qdQorFile);
    Job.BeginDoc();
    TQorCanvas& C = *Job.QorCanvas();
    TFont Font;
    Font.SetName("Arial");
    Font.SetSize(10);
    C.SetFont(&Font);
    C.SetFont(&Font);
    Font.SetSize(12); // the same font object, changed
    C.SetFont(&Font);
    C.Font()->SetSize(20); // the canvas's own font, changed
    C.SetFont(&Font);
    TBrush Brush;
    Brush.SetColor(clRed);
    C.SetBrush(&Brush);
    C.Brush()->SetStyle(bsClear);
    C.SetBrush(&Brush);
    Job.EndDoc();
    TQorQorFile& F = *Job.QorFile();
    const std::string Dump = QorDumpQorFile(F);
    std::vector<std::string> Selected;
    std::istringstream In(Dump.substr(Dump.find("  PageBegin\n")));
    for (std::string Line; std::getline(In, Line);)
        if (Line.rfind("  SelectObject ", 0) == 0) {
            const auto& O = *F.Objects()[std::stoul(Line.substr(15))];
            Selected.push_back(O.ObjectType == qotFont ? "font " + std::to_string(O.LogFont.Size)
                                                       : "brush " + std::to_string(O.LogBrush.Style));
        }
    EXPECT_EQ(Selected, (std::vector<std::string>{"font 10", "font 10", "font 12", "font 20", "font 12", "brush 0",
                                                  "brush 1", "brush 0"}));
}

// A viewer that logs what the job asks of it and owns the file once it is handed over.
class TStandInViewer : public IQorViewer {
public:
    void SetOutput(TQorOutput* Value) override
    {
        Output = Value;
        Log.push_back(Value ? "job" : "no job");
    }
    void SetGenerating(bool Value) override { Log.push_back(Value ? "generating" : "generated"); }
    void SetQorFile(TQorQorFile* Value) override
    {
        Shown = Value;
        Log.push_back("file");
    }
    void TakeQorFile(std::unique_ptr<TQorQorFile> Value) override
    {
        EXPECT_EQ(Value.get(), Shown) << "the job hands over the file it showed";
        File = std::move(Value);
        Log.push_back("take");
    }
    void Show() override { Log.push_back("show"); }
    std::vector<std::string> Log;
    TQorOutput* Output = nullptr;
    TQorQorFile* Shown = nullptr;
    std::unique_ptr<TQorQorFile> File;
};

TEST_F(OutputJobTest, PreviewHandsTheGrowingFileToTheViewer)
{
    TStandInViewer Viewer;
    QorCreateViewer = [&Viewer] { return &Viewer; };
    {
        TQorOutput Job;
        Job.SetDestination(qdPreview);
        Job.SetFileName((Dir / "never.qor").string());
        DrawSample(Job);
        EXPECT_EQ(Job.QorViewer(), &Viewer);
        EXPECT_EQ(Viewer.Shown, Job.QorFile());
        EXPECT_EQ(Viewer.File, nullptr) << "the job keeps the file while it records";
        EXPECT_TRUE(Viewer.Shown->Running()) << "the viewer sees pages while they are recorded";
        EXPECT_EQ(Viewer.Shown->PageCount(), 3);
        Job.EndDoc();
        EXPECT_EQ(Job.QorFile(), nullptr);
    }
    EXPECT_EQ(Viewer.Log,
              (std::vector<std::string>{"job", "generating", "file", "show", "no job", "take", "generated"}));
    ASSERT_NE(Viewer.File, nullptr);
    EXPECT_EQ(Viewer.File->PageCount(), 3);
    EXPECT_FALSE(Viewer.File->CreateFile());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir), {}), 0);
}

TEST_F(OutputJobTest, PreviewFileOutlivesAJobOrAViewerThatGoesFirst)
{
    TStandInViewer Viewer;
    QorCreateViewer = [&Viewer] { return &Viewer; };
    {
        TQorOutput Job;
        Job.SetDestination(qdPreview);
        Job.BeginDoc();
        Job.QorCanvas()->Textout(1, 1, "x");
    } // the job goes without ending its document: the viewer keeps what was made
    ASSERT_NE(Viewer.File, nullptr);
    EXPECT_EQ(Viewer.File->PageCount(), 1);
    EXPECT_EQ(Viewer.Output, nullptr);

    TStandInViewer Second;
    QorCreateViewer = [&Second] { return &Second; };
    TQorOutput Job;
    Job.SetDestination(qdPreview);
    Job.BeginDoc();
    Job.ViewerGone(&Second); // closed while the report runs
    EXPECT_EQ(Job.QorViewer(), nullptr);
    Job.QorCanvas()->Textout(1, 1, "still recording");
    Job.EndDoc();
    EXPECT_EQ(Second.File, nullptr) << "nothing is handed to a viewer that is gone";
}

TEST_F(OutputJobTest, PreviewWithoutAViewerCannotBegin)
{
    QorCreateViewer = nullptr;
    TQorOutput Job;
    Job.SetDestination(qdPreview);
    EXPECT_THROW(Job.BeginDoc(), EInvalidOperation);
    EXPECT_EQ(Job.QorFile(), nullptr);
}

TEST_F(OutputJobTest, ThreePagesOnThePdfPrinter)
{
    Select("PDF");
    const std::string Pdf = (Dir / "sample.pdf").string();
    TQorOutput Job;
    Job.SetPrintFileName(Pdf);
    Job.SetDestination(qdPrinter);
    DrawSample(Job);
    EXPECT_EQ(Printer()->Title(), "Sample document");
    EXPECT_EQ(Job.QorFile(), nullptr);
    Job.EndDoc();
    EXPECT_EQ(Job.ExceptionText(), "");
    ASSERT_EQ(PdfPageCount(Pdf), 3);
    test::ExpectSoundPdf(Pdf);
    const std::string Text = RunCommand("pdftotext -layout '" + Pdf + "' -");
    for (const char* Line : {"Sample document, page 1", "Counted text from a character buffer",
                             "Text in a rectangle", "Rich text with", "bold", "Images and bar codes"})
        EXPECT_NE(Text.find(Line), std::string::npos) << Line << "\n" << Text;
    if (const char* Keep = std::getenv("QOR_KEEP_PNG"))
        RunCommand("pdftoppm -png -r 120 -W 800 -H 700 '" + Pdf + "' '" + std::string(Keep) + "/sample'");
    // The bar codes of page 3 are printed as bars a reader can decode.
    if (!test::HaveProgram("zbarimg")) {
        QOR_SKIP_WITHOUT_TOOL("zbarimg (zbar-tools) is not installed: the bar codes were not read back");
    } else {
        const std::string Png = (Dir / "bars").string();
        RunCommand("pdftoppm -png -r 300 -f 3 -l 3 -singlefile '" + Pdf + "' '" + Png + "'");
        const std::string Codes = RunCommand("zbarimg --quiet '" + Png + ".png' 2>/dev/null");
        EXPECT_NE(Codes.find("CODE-39:QOR-123"), std::string::npos) << Codes;
        EXPECT_NE(Codes.find("I2/5:1234567890"), std::string::npos) << Codes;
    }
}

TEST_F(OutputJobTest, AnEmptyDescriptionPrintsAsUntitled)
{
    Select("PDF");
    TQorOutput Job;
    Job.SetPrintFileName((Dir / "untitled.pdf").string());
    Job.BeginDoc();
    EXPECT_EQ(Printer()->Title(), "Untitled Report");
    Job.Abort();
    EXPECT_FALSE(Printer()->Printing());
    EXPECT_FALSE(std::filesystem::exists(Dir / "untitled.pdf"));
}

TEST_F(OutputJobTest, PrintOffsetMovesTheOriginOnEveryPage)
{
    Select("Works Laser"); // 600 dpi
    int Calls = 0;
    OnPrintOffset = [&Calls] {
        ++Calls;
        PrintOffsetX = 300;
        PrintOffsetY = 150;
    };
    TQorOutput Job;
    Job.SetPrintFileName((Dir / "offset.pdf").string());
    Job.BeginDoc();
    EXPECT_EQ(Job.PixelsPerInchX(), 600);
    const Double Left = Job.QorPrinterSetup()->LeftPrintArea();
    const Double Top = Job.QorPrinterSetup()->TopPrintArea();
    EXPECT_GT(Left, 0);
    TPoint Origin;
    GetViewportOrgEx(Job.Handle(), Origin);
    EXPECT_EQ(Origin.X, 600 - static_cast<Integer>(Round(600 * Left)));
    EXPECT_EQ(Origin.Y, 300 - static_cast<Integer>(Round(600 * Top)));
    Job.NewPage();
    GetViewportOrgEx(Job.Handle(), Origin);
    EXPECT_EQ(Origin.X, 600 - static_cast<Integer>(Round(600 * Left)));
    EXPECT_EQ(Calls, 2);
    Job.EndDoc();
    test::ExpectSoundPdf((Dir / "offset.pdf").string());
}

// The plain-text line of a one-page print, as pixels: drawn after an italic font of the same face
// and size was used and released, or drawn with the plain font alone.
std::string PlainLinePixels(const std::filesystem::path& Dir, bool ItalicFirst)
{
    const std::string Pdf = (Dir / (ItalicFirst ? "after-italic.pdf" : "plain.pdf")).string();
    TQorOutput Job;
    Job.SetPrintFileName(Pdf);
    Job.BeginDoc();
    TQorCanvas& C = *Job.QorCanvas();
    const Integer Inch = Job.PixelsPerInchY();
    TFont Font;
    Font.SetName("Arial");
    Font.SetSize(12);
    C.SetFont(&Font);
    C.Textout(Inch, Inch / 4, "Heading");
    Font.SetSize(10);
    if (ItalicFirst) {
        Font.SetStyle(TFontStyles{fsItalic});
        C.SetFont(&Font);
        C.Textout(Inch, Inch / 2, "Italic words");
        TBrush Brush;
        Brush.SetColor(clSilver);
        C.SetBrush(&Brush);
        C.TextRect(TRect(Inch, Inch, 3 * Inch, Inch * 5 / 4), Inch, Inch, "More italic words");
        Brush.SetStyle(bsClear);
        C.SetBrush(&Brush);
        Font.SetStyle(TFontStyles{});
    }
    C.SetFont(&Font);
    C.Textout(Inch, 2 * Inch, "Plain words");
    Job.EndDoc();
    test::ExpectSoundPdf(Pdf);
    const std::string Png = (Dir / (ItalicFirst ? "after" : "plain")).string();
    RunCommand("pdftoppm -gray -r 100 -x 0 -y 180 -W 600 -H 60 -singlefile '" + Pdf + "' '" + Png + "'");
    return ReadWholeFile(Png + ".pgm");
}

TEST_F(OutputJobTest, AFontChangeOnThePrinterDrawsWithTheNewFont)
{
    Select("PDF");
    const std::string Plain = PlainLinePixels(Dir, false);
    ASSERT_GT(std::count_if(Plain.begin() + 20, Plain.end(), [](char P) { return static_cast<unsigned char>(P) < 128; }), 50)
        << "the crop holds the line";
    EXPECT_TRUE(Plain == PlainLinePixels(Dir, true)) << "the line is drawn in the font selected for it";
}

// ---- the canvas's printer route, on a recording device context ----

class CanvasPrinterRoute : public ::testing::Test {
protected:
    std::vector<std::string> Calls() { return Rec.Calls(); }
    bool Called(const std::string& Prefix)
    {
        const auto L = Calls();
        return std::any_of(L.begin(), L.end(), [&](const std::string& S) { return S.rfind(Prefix, 0) == 0; });
    }

    TRecordingCanvas Rec{5100, 6600, 600, true};
    HDC DC = Rec.DC;
    TQorCanvas& C = Rec.Canvas;
};

TEST_F(CanvasPrinterRoute, FontHeightFollowsTheResolutionAndAngleIsTenthsOfADegree)
{
    TFont Font;
    Font.SetName("Arial");
    Font.SetSize(10);
    C.SetFont(&Font);
    EXPECT_EQ(C.LogFont().lfHeight, -83);
    C.SetFontAngle(90);
    EXPECT_EQ(C.LogFont().lfEscapement, 900);
    C.SetFont(&Font);
    EXPECT_EQ(C.LogFont().lfEscapement, 0);
    EXPECT_EQ(C.LogFont().lfHeight, -83);
}

TEST_F(CanvasPrinterRoute, AFontTakenFromAnotherObjectIsMadeAfreshFromTheSameDescription)
{
    TFont Font;
    Font.SetName("Arial");
    Font.SetSize(10);
    C.SetFont(&Font);
    ASSERT_EQ(C.LogFont().lfQuality, DEFAULT_QUALITY);
    // An object of the same name, height and style that draws otherwise.
    LOGFONT Other = Font.LogFont();
    Other.lfQuality = NONANTIALIASED_QUALITY;
    const HFONT Foreign = CreateFontIndirect(Other);
    C.Font()->SetHandle(Foreign);
    EXPECT_EQ(C.LogFont().lfQuality, NONANTIALIASED_QUALITY);
    C.SetFont(&Font);
    EXPECT_EQ(C.LogFont().lfQuality, DEFAULT_QUALITY) << "the font's own object, not the one taken in between";
    C.SetHandle(HDC());
    DeleteObject(Foreign);
}

TEST_F(CanvasPrinterRoute, EmptyTextDrawsNothingAndTextRectIsOpaqueUnlessTheBrushIsClear)
{
    Calls();
    C.Textout(10, 10, "");
    EXPECT_FALSE(Called("TextOut"));
    C.Textout(10, 10, "x");
    EXPECT_TRUE(Called("TextOut"));
    TBrush Brush;
    Brush.SetStyle(bsClear);
    C.SetBrush(&Brush);
    Calls();
    C.TextRect(TRect(0, 0, 100, 20), 2, 2, "clear");
    const auto Clear = Calls();
    ASSERT_EQ(Clear.size(), 1u);
    EXPECT_NE(Clear[0].find(",4,"), std::string::npos) << Clear[0];
    Brush.SetStyle(bsSolid);
    C.SetBrush(&Brush);
    Calls();
    C.TextRect(TRect(0, 0, 100, 20), 2, 2, "opaque");
    const auto Opaque = Calls();
    ASSERT_EQ(Opaque.size(), 1u);
    EXPECT_NE(Opaque[0].find(",6,"), std::string::npos) << Opaque[0];
}

TEST_F(CanvasPrinterRoute, ABrushIsDescribedAsTheObjectItMakes)
{
    for (const TColor Colour : {clRed, clBtnFace})
        for (const TBrushStyle Style : {bsSolid, bsClear, bsHorizontal, bsDiagCross}) {
            TBrush Brush;
            Brush.SetColor(Colour);
            Brush.SetStyle(Style);
            C.SetBrush(&Brush);
            LOGBRUSH Made;
            ASSERT_TRUE(GetObject(Brush.Handle(), Made));
            EXPECT_EQ(C.LogBrush().lbStyle, Made.lbStyle) << Style;
            EXPECT_EQ(C.LogBrush().lbColor, Made.lbColor) << Style;
            EXPECT_EQ(C.LogBrush().lbHatch, Made.lbHatch) << Style;
        }
    TBitmap Pattern;
    Pattern.SetSize(8, 8);
    TBrush Brush;
    Brush.SetBitmap(&Pattern);
    C.SetBrush(&Brush);
    EXPECT_EQ(C.LogBrush().lbStyle, BS_PATTERN) << "a pattern is read from its object";
}

TEST_F(CanvasPrinterRoute, ObjectsAreMadeOnceAndReleasedOnDetach)
{
    TPen Pen;
    Pen.SetWidth(3);
    C.SetPen(&Pen);
    const HPEN First = C.SelectPen();
    C.Rectangle(0, 0, 10, 10);
    C.LineTo(5, 5);
    EXPECT_EQ(C.SelectPen(), First) << "a run of calls with the same pen makes no new pen";
    LOGPEN L;
    ASSERT_TRUE(GetObject(First, L));
    EXPECT_EQ(L.lopnWidth.X, 3);
    C.SetHandle(HDC());
    EXPECT_FALSE(GetObject(First, L)) << "detaching deletes the selected pen";
    EXPECT_EQ(C.Pen()->Width(), 0) << "and the canvas pen is the stock black pen again";
    EXPECT_EQ(C.Pen()->Color(), clBlack);
}

TEST_F(CanvasPrinterRoute, EmptyImagesAndStreamsDrawNothing)
{
    Calls();
    TBitmap Empty;
    C.Draw(0, 0, &Empty);
    C.StretchDraw(TRect(0, 0, 10, 10), nullptr);
    TMemoryStream Nothing;
    C.DrawBitmap(0, 0, &Nothing);
    C.RtfDraw(TRect(0, 0, 10, 10), &Nothing, 0, -1, false);
    EXPECT_TRUE(Calls().empty());
}

// ---- golden page files ----

TEST(GoldenPageFile, SmallDocumentBytesAndDump)
{
    TQorQorFile F;
    RecordMixedDocument(F);
    const std::vector<Byte> Bytes = SavedBytes(F);
    const std::string Path = OutputDataFile("mixed-document.qor");
    if (const char* U = std::getenv("QOR_UPDATE_GOLDEN"); U && std::string(U) == "1")
        WriteWholeFile(Path, std::string(Bytes.begin(), Bytes.end()));
    EXPECT_EQ(Bytes, ReadBytes(Path));
    ExpectGoldenPageFile(OutputDataFile("mixed-document.dump"), F);
    EXPECT_EQ(QorDumpPageFile(Path), QorDumpQorFile(F));
}

} // namespace
