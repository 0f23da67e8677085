// Page playback: records drawn on device contexts at several zooms and resolutions, pages outside
// the file, application record kinds, objects released after a page, and export filters fed the
// records in order.

#include "PageFileTestSupport.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Dib.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/StrUtils.h"
#include "runtime/output/QorStr.h"
#include "runtime/output/QorXport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qor {
namespace {

using test::ErrorOf;

std::vector<Byte> TwoByTwoBmp()
{
    TDibImage I;
    I.Width = I.Height = 2;
    I.Pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
    return EncodeBmpFile(I, 24);
}

// One page with every drawing record, at 96 pixels per inch.
void RecordEveryKind(TQorQorFile& F)
{
    F.BeginDoc();
    TFont Font;
    Font.SetName("Arial");
    Font.SetSize(12);
    F.SetFont(&Font);
    TPen Pen;
    Pen.SetWidth(2);
    F.SetPen(&Pen);
    TBrush Brush;
    Brush.SetColor(clBlack);
    F.SetBrush(&Brush);
    F.SetTextAlign(TA_LEFT | TA_TOP);
    F.Textout(10, 20, "Text");
    F.MoveTo(10, 40);
    F.LineTo(100, 40);
    const WideString Units = Utf8ToUtf16("Counted");
    F.PTextout(10, 50, Units.data(), static_cast<Integer>(Units.size()));
    F.ExtTextout(10, 60, ETO_CLIPPED, TRect(10, 60, 90, 76), Units.data(), static_cast<Word>(Units.size()));
    F.TextRect(TRect(10, 80, 90, 96), 12, 80, "Clipped");
    F.FillRect(TRect(10, 100, 30, 120));
    F.Rectangle(10, 10, 30, 30);
    F.RoundRect(40, 10, 80, 30, 8, 6);
    F.Ellipse(90, 10, 110, 30);
    TBitmap Bitmap;
    TBytesStream BmpStream(TwoByTwoBmp());
    Bitmap.LoadFromStream(&BmpStream);
    F.Draw(120, 10, &Bitmap);
    F.StretchDraw(TRect(130, 10, 150, 30), &Bitmap);
    F.ShadeRect(TRect(10, 130, 50, 150), spMedium);
    F.SetBkColor(0x00FFFFFF);
    F.TextJustify(TRect(10, 160, 200, 176), 10, 160, "Justified words here", false, TRect(10, 160, 200, 176));
    TBytesStream Bmp(TwoByTwoBmp());
    F.DrawBitmap(160, 10, &Bmp);
    F.StretchDrawBitmap(TRect(170, 10, 190, 30), &Bmp);
    const std::string RtfText = "{\\rtf1 Rich {\\b text}\\par}";
    TBytesStream Rtf(std::vector<Byte>(RtfText.begin(), RtfText.end()));
    F.RtfDraw(TRect(10, 180, 200, 220), &Rtf, 0, -1, true);
    F.DrawCheckBox(TRect(10, 230, 26, 246), qcsCheck, clRed, 2);
    F.DrawShapeType(dtPie, 40, 230, 80, 270, 80, 250, 60, 230);
    const TPoint Triangle[3] = {TPoint(100, 270), TPoint(120, 230), TPoint(140, 270)};
    F.PolyDrawType(ptPolygon, Triangle, 2);
    F.Print3of9Barcode(10, 280, 0, 20, 1, 3, false, false, "AB");
    F.Print2of5Barcode(10, 310, 0, 20, 1, 3, false, false, "12");
    F.EndDoc();
}

class RecordingDc {
public:
    RecordingDc(Integer Ppi, bool Printer = true) : DC(CreateRecordingDC(8500, 11000, Ppi, Printer)) {}
    ~RecordingDc() { DeleteDC(DC); }
    operator HDC() const { return DC; }
    std::vector<std::string> Calls() const
    {
        std::vector<std::string> Out;
        for (const String& S : GetRecordedCalls(DC))
            Out.push_back(S);
        ClearRecordedCalls(DC);
        return Out;
    }
    HDC DC;
};

bool Has(const std::vector<std::string>& Calls, const std::string& Call)
{
    return std::find(Calls.begin(), Calls.end(), Call) != Calls.end();
}

bool HasPrefix(const std::vector<std::string>& Calls, const std::string& Prefix)
{
    return std::any_of(Calls.begin(), Calls.end(), [&](const std::string& C) { return C.rfind(Prefix, 0) == 0; });
}

std::string Joined(const std::vector<std::string>& Calls)
{
    std::string Out;
    for (const std::string& C : Calls)
        Out += C + "\n";
    return Out;
}

// ---- scaling ------------------------------------------------------------------------------------

TEST(Playback, CoordinatesScaleWithZoomAndResolution)
{
    TQorQorFile F;
    RecordEveryKind(F);
    struct TCase {
        Integer Ppi, Zoom;
        const char* Rectangle;
        const char* Line;
        const char* Round;
    };
    for (const TCase& Case : {TCase{96, 50, "Rectangle(5,5,15,15)", "LineTo(50,20)", "RoundRect(20,5,40,15,4,3)"},
                              TCase{96, 25, "Rectangle(3,3,8,8)", "LineTo(25,10)", "RoundRect(10,3,20,8,2,2)"},
                              TCase{96, 100, "Rectangle(10,10,30,30)", "LineTo(100,40)", "RoundRect(40,10,80,30,8,6)"},
                              TCase{96, 200, "Rectangle(20,20,60,60)", "LineTo(200,80)", "RoundRect(80,20,160,60,16,12)"},
                              TCase{600, 100, "Rectangle(63,63,188,188)", "LineTo(625,250)",
                                    "RoundRect(250,63,500,188,50,38)"}}) {
        SCOPED_TRACE(std::to_string(Case.Ppi) + " ppi at " + std::to_string(Case.Zoom) + "%");
        F.SetHorzScale(Case.Zoom);
        F.SetVertScale(Case.Zoom);
        RecordingDc Dc(Case.Ppi);
        F.PlayPage(Dc, 1);
        const auto Calls = Dc.Calls();
        EXPECT_TRUE(Has(Calls, Case.Rectangle)) << Joined(Calls);
        EXPECT_TRUE(Has(Calls, Case.Line)) << Joined(Calls);
        EXPECT_TRUE(Has(Calls, Case.Round)) << Joined(Calls);
    }
}

TEST(Playback, LargeScaledCoordinatesKeep32Bits)
{
    TQorQorFile F;
    F.BeginDoc();
    F.MoveTo(0, 0);
    F.LineTo(30000, 20000);
    const TPoint Far[2] = {TPoint(0, 0), TPoint(3000000, 2000000)};
    F.PolyDrawType(ptPolyLine, Far, 1);
    F.EndDoc();
    F.SetHorzScale(200);
    F.SetVertScale(200);
    RecordingDc Dc(600);
    F.PlayPage(Dc, 1);
    const auto Calls = Dc.Calls();
    EXPECT_TRUE(Has(Calls, "LineTo(375000,250000)")) << Joined(Calls);
    EXPECT_TRUE(HasPrefix(Calls, "Polyline(0,0;37500000,25000000)")) << Joined(Calls);
}

TEST(Playback, ShapesDrawWithTheScaledPenLinesWithTheStoredOne)
{
    TQorQorFile F;
    F.BeginDoc();
    TPen Pen;
    Pen.SetWidth(3);
    F.SetPen(&Pen);
    F.LineTo(10, 10);
    F.Rectangle(0, 0, 10, 10);
    F.EndDoc();
    RecordingDc Dc(192);
    F.PlayPage(Dc, 1);
    const std::string Log = Joined(Dc.Calls());
    // The pen made for the shape is twice as wide, selected around the rectangle only.
    const auto Line = Log.find("LineTo(20,20)");
    const auto Wide = Log.find("SelectObject(Pen style=0 width=6 ");
    const auto Rect = Log.find("Rectangle(0,0,20,20)");
    ASSERT_NE(Line, std::string::npos) << Log;
    ASSERT_NE(Wide, std::string::npos) << Log;
    ASSERT_NE(Rect, std::string::npos) << Log;
    EXPECT_LT(Line, Wide);
    EXPECT_LT(Wide, Rect);
}

TEST(Playback, EveryRecordKindDrawsOnRasterAtEveryZoom)
{
    TQorQorFile F;
    RecordEveryKind(F);
    for (Integer Ppi : {96, 600}) {
        for (Integer Zoom : {25, 100, 200}) {
            SCOPED_TRACE(std::to_string(Ppi) + " ppi at " + std::to_string(Zoom) + "%");
            F.SetHorzScale(Zoom);
            F.SetVertScale(Zoom);
            const Integer W = MulDiv(340, Ppi * Zoom, 9600), H = MulDiv(340, Ppi * Zoom, 9600);
            HDC DC = CreateRasterDC(W, H, Ppi);
            PatBlt(DC, 0, 0, W, H, WHITENESS);
            F.PlayPage(DC, 1);
            // The filled rectangle (10, 100)-(30, 120) and the bitmap's red corner at (160, 10).
            auto At = [&](Integer X, Integer Y) { return GetPixel(DC, MulDiv(X, Ppi * Zoom, 9600), MulDiv(Y, Ppi * Zoom, 9600)); };
            EXPECT_EQ(At(20, 110), RGB(0, 0, 0));
            EXPECT_EQ(At(30 + 5, 110), RGB(255, 255, 255));
            EXPECT_EQ(At(170, 11), RGB(255, 0, 0)) << "the stretched bitmap's top-left quadrant";
            if (const char* Keep = std::getenv("QOR_KEEP_PNG"))
                SaveDCToPng(DC, std::string(Keep) + "/every-" + std::to_string(Ppi) + "-" + std::to_string(Zoom) + ".png");
            DeleteDC(DC);
        }
    }
}

TEST(Playback, FillRectOfNoWidthShowsOnScreenOnly)
{
    TQorQorFile F;
    F.BeginDoc();
    TBrush Brush;
    F.SetBrush(&Brush);
    F.FillRect(TRect(10, 10, 10, 30));
    F.EndDoc();
    RecordingDc Screen(96, false), Printer(96, true);
    F.PlayPage(Screen, 1);
    F.PlayPage(Printer, 1);
    EXPECT_TRUE(HasPrefix(Screen.Calls(), "FillRect(10,10,11,30")) << "one pixel column on screen";
    EXPECT_TRUE(HasPrefix(Printer.Calls(), "FillRect(10,10,10,30"));
}

TEST(Playback, TextRectIsOpaqueOnlyWithABrush)
{
    TQorQorFile F;
    F.BeginDoc();
    F.TextRect(TRect(0, 0, 50, 20), 2, 2, "none");
    TBrush Brush;
    F.SetBrush(&Brush);
    F.TextRect(TRect(0, 0, 50, 20), 2, 2, "solid");
    Brush.SetStyle(bsClear);
    F.SetBrush(&Brush);
    F.TextRect(TRect(0, 0, 50, 20), 2, 2, "clear");
    F.EndDoc();
    RecordingDc Dc(96);
    F.PlayPage(Dc, 1);
    std::vector<std::string> Text;
    for (const std::string& C : Dc.Calls())
        if (C.rfind("ExtTextOut", 0) == 0)
            Text.push_back(C);
    ASSERT_EQ(Text.size(), 3u);
    EXPECT_NE(Text[0].find(",4,"), std::string::npos) << Text[0];
    EXPECT_NE(Text[1].find(",6,"), std::string::npos) << Text[1];
    EXPECT_NE(Text[2].find(",4,"), std::string::npos) << Text[2];
}

// ---- pages and objects --------------------------------------------------------------------------

TEST(Playback, PagesOutsideTheFileAndTheOneBeingRecordedDrawNothing)
{
    TQorQorFile F;
    F.BeginDoc();
    for (int Page = 1; Page <= 3; ++Page) {
        if (Page > 1)
            F.NewPage();
        F.Rectangle(Page, Page, 10, 10);
    }
    RecordingDc Dc(96);
    const Int64 End = F.Stream()->Position();
    for (Integer Page : {0, 3, 4, -1})
        F.PlayPage(Dc, Page);
    EXPECT_FALSE(HasPrefix(Dc.Calls(), "Rectangle")) << "page 3 is still being recorded";
    F.PlayPage(Dc, 2);
    EXPECT_TRUE(Has(Dc.Calls(), "Rectangle(2,2,10,10)"));
    EXPECT_EQ(F.Stream()->Position(), End) << "recording goes on where it was";
    F.Rectangle(7, 7, 9, 9);
    F.EndDoc();
    F.PlayPage(Dc, 3);
    const auto Calls = Dc.Calls();
    EXPECT_TRUE(Has(Calls, "Rectangle(3,3,10,10)"));
    EXPECT_TRUE(Has(Calls, "Rectangle(7,7,9,9)"));
    F.PlayPage(Dc, 4);
    EXPECT_TRUE(Dc.Calls().empty());
}

TEST(Playback, NoObjectOfTheFileStaysSelectedOrAliveAfterAPage)
{
    TQorQorFile F;
    RecordEveryKind(F);
    RecordingDc Dc(96);
    F.PlayPage(Dc, 1);
    EXPECT_EQ(GetCurrentObject(Dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(GetCurrentObject(Dc, OBJ_BRUSH), GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetCurrentObject(Dc, OBJ_PEN), GetStockObject(BLACK_PEN));
    for (const auto& Object : F.Objects()) {
        EXPECT_FALSE(Object->Font || Object->Pen || Object->Brush);
        EXPECT_FALSE(Object->SelectFont || Object->SelectPen || Object->SelectBrush);
    }
}

TEST(Playback, ASelectionOutsideTheTableAndADamagedRecordRaiseWithThePositionKept)
{
    TQorQorFile F;
    F.BeginDoc();
    F.Rectangle(0, 0, 5, 5);
    TQorWriter W = F.Writer();
    W.WriteType(rcSelectObject);
    W.WriteSmallInt(40);
    F.NewPage();
    W.WriteType(rcTextout);
    W.WriteSmallInt(1);
    F.NewPage();
    const Int64 End = F.Stream()->Position();
    RecordingDc Dc(96);
    EXPECT_NE(ErrorOf([&] { F.PlayPage(Dc, 1); }).find("The page file is damaged: object 40 selected of"),
              std::string::npos);
    EXPECT_EQ(F.Stream()->Position(), End);
    EXPECT_NE(ErrorOf([&] { F.PlayPage(Dc, 2); }).find("The page file is damaged"), std::string::npos);
    EXPECT_EQ(F.Stream()->Position(), End);
    F.AbortDoc();
}

TEST(Playback, ApplicationRecordKindsPlayTheFirstRegisteredHandler)
{
    std::vector<std::string> Heard;
    QorAddRecordType(700, [&](HDC, TQorQorFile& File) {
        Heard.push_back("first " + std::to_string(File.Reader().ReadLongInt()));
    });
    const Integer Second = QorAddRecordType(700, [&](HDC, TQorQorFile&) { Heard.push_back("second"); });
    EXPECT_GE(Second, 1);
    TQorQorFile F;
    F.BeginDoc();
    TQorWriter W = F.Writer();
    W.WriteType(700);
    W.WriteLongInt(1234);
    F.Rectangle(1, 1, 2, 2);
    F.EndDoc();
    RecordingDc Dc(96);
    F.PlayPage(Dc, 1);
    EXPECT_EQ(Heard, std::vector<std::string>{"first 1234"});
    EXPECT_TRUE(Has(Dc.Calls(), "Rectangle(1,1,2,2)")) << "the handler read its payload, playing goes on";
}

TEST(Playback, BarCodesInThousandthsKeepTheirPhysicalWidthAtAnyZoom)
{
    TQorQorFile F;
    F.BeginDoc();
    TBrush Brush;
    Brush.SetColor(clBlack);
    F.SetBrush(&Brush);
    F.Print2of5Barcode(0, 0, 0, 10, 10, 30, true, false, "12");
    F.EndDoc();
    for (Integer Zoom : {100, 50}) {
        F.SetHorzScale(Zoom);
        RecordingDc Dc(300);
        F.PlayPage(Dc, 1);
        // The first bar is narrow: 10 thousandths at 300 dpi, at the zoom.
        const Integer Narrow = MulDiv(3, Zoom, 100);
        EXPECT_TRUE(HasPrefix(Dc.Calls(), "FillRect(0,0," + std::to_string(Narrow) + ",")) << Zoom;
    }
    // On a small view a narrow element keeps a pixel rather than vanishing.
    F.SetHorzScale(25);
    RecordingDc Small(96);
    F.PlayPage(Small, 1);
    EXPECT_TRUE(HasPrefix(Small.Calls(), "FillRect(0,0,1,")) << Joined(Small.Calls());
}

// ---- export filters -----------------------------------------------------------------------------

class LogFilter : public TQorExportFilter {
public:
    std::vector<std::string> Log;
    void Add(std::string S) { Log.push_back(std::move(S)); }
    static std::string R(const TRect& Rc)
    {
        return std::to_string(Rc.Left) + "," + std::to_string(Rc.Top) + "," + std::to_string(Rc.Right) + "," +
               std::to_string(Rc.Bottom);
    }
    void SetLogFont(TFont* Font, const LOGFONT& Lf) override
    {
        Add("SetLogFont " + Font->Name() + " " + std::to_string(Font->Size()) + " " + std::to_string(Lf.lfHeight));
    }
    void SetPen(TPen* Pen) override { Add("SetPen " + std::to_string(Pen->Width())); }
    void SetBrush(TBrush* Brush) override { Add("SetBrush " + std::to_string(Brush->Color())); }
    void SetTextAlign(Word Flags) override { Add("SetTextAlign " + std::to_string(Flags)); }
    void Textout(Integer X, Integer Y, const String& Text) override
    {
        Add("Textout " + std::to_string(X) + "," + std::to_string(Y) + " " + Text);
    }
    void MoveTo(Integer X, Integer Y) override { Add("MoveTo " + std::to_string(X) + "," + std::to_string(Y)); }
    void LineTo(Integer X, Integer Y) override { Add("LineTo " + std::to_string(X) + "," + std::to_string(Y)); }
    void PTextout(Integer X, Integer Y, const WideChar* Text, Integer Count) override
    {
        Add("PTextout " + std::to_string(X) + "," + std::to_string(Y) + " " + Utf16ToUtf8({Text, size_t(Count)}));
    }
    void ExtTextout(Integer X, Integer Y, Word Options, const TRect& Rc, const WideChar* Text, Word Count) override
    {
        Add("ExtTextout " + std::to_string(X) + "," + std::to_string(Y) + " " + std::to_string(Options) + " " + R(Rc) +
            " " + Utf16ToUtf8({Text, size_t(Count)}));
    }
    void TextRect(const TRect& Rc, Integer X, Integer Y, const String& Text) override
    {
        Add("TextRect " + R(Rc) + " " + std::to_string(X) + "," + std::to_string(Y) + " " + Text);
    }
    void FillRect(const TRect& Rc) override { Add("FillRect " + R(Rc)); }
    void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2) override { Add("Rectangle " + R({X1, Y1, X2, Y2})); }
    void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) override
    {
        Add("RoundRect " + R({X1, Y1, X2, Y2}) + " " + std::to_string(X3) + "," + std::to_string(Y3));
    }
    void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2) override { Add("Ellipse " + R({X1, Y1, X2, Y2})); }
    void StretchDraw(const TRect& Rc, TGraphic* Graphic) override
    {
        Add("StretchDraw " + R(Rc) + " " + Graphic->ClassName());
    }
    void DrawBitmap(Integer X, Integer Y, TStream* Stream) override
    {
        Add("DrawBitmap " + std::to_string(X) + "," + std::to_string(Y) + " " + std::to_string(Stream->Size()));
    }
    void StretchDrawBitmap(const TRect& Rc, TStream* Stream) override
    {
        Add("StretchDrawBitmap " + R(Rc) + " " + std::to_string(Stream->Size()));
    }
    void ShadeRect(const TRect& Rc, TQorShadePercent Shade) override
    {
        Add("ShadeRect " + R(Rc) + " " + std::to_string(Shade));
    }
    void SetBkColor(Integer Color) override { Add("SetBkColor " + std::to_string(Color)); }
    void TextJustify(const TRect& Rc, Integer X, Integer Y, const String& Text, bool End, const TRect& Full) override
    {
        Add("TextJustify " + R(Rc) + " " + std::to_string(X) + "," + std::to_string(Y) + " " + Text + " " +
            std::to_string(End) + " " + R(Full));
    }
    void RtfDraw(const TRect& Rc, TStream* Stream, Integer Start, Integer End, bool Def) override
    {
        Add("RtfDraw " + R(Rc) + " " + std::to_string(Stream->Size()) + " " + std::to_string(Start) + "," +
            std::to_string(End) + " " + std::to_string(Def));
    }
    void DrawCheckBox(const TRect& Rc, TQorCheckStyle Style, TColor Color, Integer Thickness) override
    {
        Add("DrawCheckBox " + R(Rc) + " " + std::to_string(Style) + " " + std::to_string(Color) + " " +
            std::to_string(Thickness));
    }
    void DrawShapeType(TQorDrawType Dt, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3,
                       Integer X4, Integer Y4) override
    {
        Add("DrawShapeType " + std::to_string(Dt) + " " + R({X1, Y1, X2, Y2}) + " " + R({X3, Y3, X4, Y4}));
    }
    void PolyDrawType(TQorPolyType Pt, const TPoint* Points, Integer Count) override
    {
        std::string S = "PolyDrawType " + std::to_string(Pt);
        for (Integer I = 0; I < Count; ++I)
            S += " " + std::to_string(Points[I].X) + "," + std::to_string(Points[I].Y);
        Add(S);
    }
    void Print3of9Barcode(Integer L, Integer T, Integer W, Integer H, Integer N, Integer Wd, bool In, bool V,
                          const String& Data) override
    {
        Add("Print3of9Barcode " + R({L, T, W, H}) + " " + std::to_string(N) + "," + std::to_string(Wd) + " " +
            std::to_string(In) + std::to_string(V) + " " + Data);
    }
    void Print2of5Barcode(Integer L, Integer T, Integer W, Integer H, Integer N, Integer Wd, bool In, bool V,
                          const String& Data) override
    {
        Add("Print2of5Barcode " + R({L, T, W, H}) + " " + std::to_string(N) + "," + std::to_string(Wd) + " " +
            std::to_string(In) + std::to_string(V) + " " + Data);
    }
};

TEST(ExportFilter, ReceivesEveryRecordInOrderWithItsParameters)
{
    TQorQorFile F;
    RecordEveryKind(F);
    LogFilter Filter;
    F.SetExporting(true);
    F.SetExportFilter(&Filter);
    RecordingDc Dc(192); // twice the file's resolution: the filter gets device coordinates
    F.PlayPage(Dc, 1);
    const std::vector<std::string> Expected = {
        "SetLogFont Arial 12 -32",
        "SetPen 2",
        "SetBrush 0",
        "SetTextAlign 0",
        "Textout 20,40 Text",
        "MoveTo 20,80",
        "LineTo 200,80",
        "PTextout 20,100 Counted",
        "ExtTextout 20,120 4 20,120,180,152 Counted",
        "TextRect 20,160,180,192 24,160 Clipped",
        "FillRect 20,200,60,240",
        "Rectangle 20,20,60,60",
        "RoundRect 80,20,160,60 16,12",
        "Ellipse 180,20,220,60",
        "StretchDraw 240,20,244,24 TBitmap",
        "StretchDraw 260,20,300,60 TBitmap",
        "ShadeRect 20,260,100,300 4",
        "SetBkColor 16777215",
        "TextJustify 20,320,400,352 20,320 Justified words here 0 20,320,400,352",
        "DrawBitmap 320,20 70",
        "StretchDrawBitmap 340,20,380,60 70",
        "RtfDraw 20,360,400,440 26 0,-1 1",
        "DrawCheckBox 20,460,52,492 1 255 4",
        "DrawShapeType 2 80,460,160,540 160,500,120,460",
        "PolyDrawType 0 200,540 240,460 280,540",
        "Print3of9Barcode 20,560,0,40 1,3 00 AB",
        "Print2of5Barcode 20,620,0,40 1,3 00 12",
    };
    EXPECT_EQ(Filter.Log, Expected) << Joined(Filter.Log);
    EXPECT_TRUE(Dc.Calls().size() <= 4u) << "nothing but the clean-up reaches the device";
    // A graphic export draws on the device as usual.
    Filter.Log.clear();
    Filter.SetIsGraphicExport(true);
    F.PlayPage(Dc, 1);
    EXPECT_TRUE(Filter.Log.empty());
    EXPECT_TRUE(Has(Dc.Calls(), "Rectangle(20,20,60,60)"));
}

TEST(ExportFilter, RegistryListsActiveFiltersOnceAndGoesAwayWithTheLast)
{
    ASSERT_EQ(ExportFiltersList(), nullptr);
    {
        LogFilter A, B;
        ASSERT_NE(ExportFiltersList(), nullptr);
        RegisterQorFilter(&A);
        EXPECT_EQ(*ExportFiltersList(), (std::vector<TQorExportFilter*>{&A, &B}));
        A.SetActive(false);
        EXPECT_EQ(*ExportFiltersList(), (std::vector<TQorExportFilter*>{&B}));
        B.SetActive(false);
        EXPECT_EQ(ExportFiltersList(), nullptr);
        A.SetActive(true);
        EXPECT_EQ(*ExportFiltersList(), (std::vector<TQorExportFilter*>{&A}));
        EXPECT_THROW(A.BeginDoc(), EAbstractError) << "operations not overridden are abstract";
    }
    EXPECT_EQ(ExportFiltersList(), nullptr);
}

} // namespace
} // namespace qor
