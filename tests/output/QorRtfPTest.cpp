// Rich-text drawing: measuring what fits in a rectangle, drawing it and moving on.

#include "common/TestOutput.h"
#include "output/OutputTestSupport.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Forms.h"
#include "runtime/output/QorMemoU.h"
#include "runtime/output/QorRtfP.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

using namespace qor;

namespace {

std::unique_ptr<TMemoryStream> StreamOf(const std::string& S)
{
    auto M = std::make_unique<TMemoryStream>();
    M->Write(S.data(), static_cast<Int64>(S.size()));
    return M;
}

const char* const Letter =
    "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
    "{\\colortbl ;\\red200\\green0\\blue0;}"
    "\\pard\\qc\\sa120\\f0\\fs32\\b Notice\\b0\\par"
    "\\pard\\qj\\f1\\fs22 The meeting moves to {\\cf1 Thursday}. Bring the {\\i quarterly} figures and the notes of "
    "the last session; whoever cannot come sends a short note beforehand so that the minutes are complete.\\par"
    "\\pard\\f0\\fs20 Regards\\par}";

// The texts drawn (ExtTextOut) on a recording context, in order.
std::string DrawnText(HDC DC)
{
    std::string R;
    for (const String& C : GetRecordedCalls(DC)) {
        if (C.rfind("ExtTextOut(", 0) != 0)
            continue;
        const size_t Open = C.find('"'), Close = C.rfind('"');
        R += C.substr(Open + 1, Close - Open - 1);
    }
    return R;
}

// A control that reports every layout as running past the bottom it was given.
class TOverrunningRichEdit : public TRichEdit {
public:
    explicit TOverrunningRichEdit(TComponent* AOwner) : TRichEdit(AOwner) {}
    Integer Calls = 0;
    void WndProc(TMessage& M) override
    {
        if (M.Msg == EM_FORMATRANGE && M.LParam) {
            auto* R = reinterpret_cast<TFormatRange*>(M.LParam);
            R->rc.Bottom = R->rcPage.Bottom + 1000;
            M.Result = R->cpMin + 1;
            ++Calls;
            return;
        }
        TRichEdit::WndProc(M);
    }
};

class TTestRtfDraw : public TQorRtfDraw {
public:
    // Puts Edit in place of the own control (which the caller frees).
    TRichEdit* Swap(TRichEdit* Edit)
    {
        TRichEdit* Old = FRichEdit;
        FRichEdit = Edit;
        return Old;
    }
};

class RtfDraw : public test::DescribedPrinterTest {
protected:
    void Load(TQorRtfDraw& D, const std::string& Rtf, Integer Ppi = 96)
    {
        auto S = StreamOf(Rtf);
        D.LoadFromStream(S.get());
        D.SetPixelsPerInchX(Ppi);
        D.SetPixelsPerInchY(Ppi);
    }
};

} // namespace

TEST_F(RtfDraw, AtTheEndNothingIsMeasuredOrDrawn)
{
    TQorRtfDraw D;
    Load(D, Letter);
    D.SetOutRect(TRect(0, 0, 300, 400));
    D.SetPosition(D.TextLength());
    EXPECT_EQ(D.PrintCount(), 0);
    EXPECT_EQ(D.Height(), 0);
    const HDC DC = CreateRecordingDC(816, 1056, 96, true);
    D.SetHandle(DC);
    D.Print();
    EXPECT_TRUE(GetRecordedCalls(DC).empty());
    DeleteDC(DC);
}

TEST_F(RtfDraw, TextThatFitsIsMeasuredOnceAndDrawnWhole)
{
    TQorRtfDraw D;
    Load(D, Letter);
    D.SetOutRect(TRect(10, 10, 300, 400));
    EXPECT_EQ(D.TextLength(), 193);
    EXPECT_EQ(D.PrintCount(), 193);
    const Integer H = D.Height();
    EXPECT_GT(H, 90);
    EXPECT_LT(H, 150);

    // Drawn on a device with the printer's real fonts, as it was measured.
    const HDC DC = CreateInformationDC(816, 1056, 96, true, true);
    D.SetHandle(DC);
    D.Print();
    const std::vector<String> Calls = GetRecordedCalls(DC);
    ASSERT_GE(Calls.size(), 3u);
    // The context is saved first and restored last; a printer gets MM_TEXT.
    EXPECT_EQ(Calls[0], "SaveDC()");
    EXPECT_EQ(Calls[1], "SetMapMode(1)");
    EXPECT_EQ(Calls.back(), "RestoreDC(1)");
    const std::string Text = DrawnText(DC);
    EXPECT_EQ(Text.rfind("Notice", 0), 0u) << Text;
    EXPECT_NE(Text.find("Thursday"), std::string::npos);
    EXPECT_EQ(Text.substr(Text.size() - 7), "Regards");
    // The last line's baseline lies inside the measured height.
    const String Last = Calls[Calls.size() - 3];
    ASSERT_EQ(Last.rfind("ExtTextOut(10,", 0), 0u) << Last;
    EXPECT_LT(std::stoi(Last.substr(14)), 10 + H);
    // Drawing moves past what was drawn and clears the measurements.
    EXPECT_EQ(D.Position(), 193);
    EXPECT_EQ(D.PrintCount(), 0);
    EXPECT_EQ(D.Height(), 0);
    DeleteDC(DC);
}

TEST_F(RtfDraw, TextThatDoesNotFitGoesOverSeveralRectangles)
{
    TQorRtfDraw D;
    Load(D, Letter);
    const TRect Out(10, 10, 300, 60);
    D.SetOutRect(Out);
    std::string All;
    Integer Rects = 0;
    while (D.Position() < D.TextLength()) {
        ASSERT_LT(++Rects, 20);
        D.SetRangeEnd(-1);
        const Integer Count = D.PrintCount();
        ASSERT_GT(Count, 0);
        EXPECT_LE(D.Height(), Out.Bottom - Out.Top - 1);
        EXPECT_GT(D.Height(), 0);
        D.SetRangeEnd(D.Position() + Count);
        const HDC DC = CreateRecordingDC(816, 1056, 96, true);
        D.SetHandle(DC);
        const Integer Before = D.Position();
        D.Print();
        EXPECT_EQ(D.Position(), Before + Count);
        All += DrawnText(DC);
        DeleteDC(DC);
    }
    EXPECT_GE(Rects, 3);
    for (const char* Word : {"Notice", "Thursday", "quarterly", "complete.", "Regards"})
        EXPECT_NE(All.find(Word), std::string::npos) << Word;
    EXPECT_LT(All.find("Notice"), All.find("Regards"));
}

TEST_F(RtfDraw, NothingFitsAndMeasuringStillEnds)
{
    TQorRtfDraw D;
    Load(D, Letter);
    D.SetOutRect(TRect(0, 0, 300, 3));
    EXPECT_EQ(D.PrintCount(), 0);
    EXPECT_EQ(D.Height(), 0);
    // A degenerate rectangle gives no negative height.
    D.SetOutRect(TRect(0, 10, 300, 0));
    D.SetPosition(0);
    EXPECT_EQ(D.Height(), 0);
}

TEST_F(RtfDraw, AControlThatAlwaysOverrunsCannotHangTheMeasuring)
{
    TTestRtfDraw D;
    auto* Edit = Create<TOverrunningRichEdit>(nullptr);
    Edit->SetText("some text");
    Free(D.Swap(Edit));
    D.SetPixelsPerInchX(96);
    D.SetPixelsPerInchY(96);
    D.SetOutRect(TRect(0, 0, 300, 95));
    EXPECT_EQ(D.PrintCount(), 0);
    EXPECT_EQ(D.Height(), 0);
    // From 1440 + 1000 twips down in steps of 140 until below the top: 18 tries for each of the
    // two readings.
    EXPECT_EQ(Edit->Calls, 2 * 18);
}

TEST_F(RtfDraw, ARangeStartBeyondThePositionStartsThere)
{
    TQorRtfDraw D;
    Load(D, "{\\rtf1\\ansi First paragraph\\par Second paragraph\\par}");
    D.SetOutRect(TRect(0, 0, 400, 200));
    D.SetRangeStart(16);
    EXPECT_EQ(D.PrintCount(), D.TextLength() - 16);
    const HDC DC = CreateRecordingDC(816, 1056, 96, true);
    D.SetHandle(DC);
    D.Print();
    EXPECT_EQ(DrawnText(DC), "Second paragraph");
    EXPECT_EQ(D.Position(), D.TextLength());
    DeleteDC(DC);
}

TEST_F(RtfDraw, PixelsToTwips)
{
    TQorRtfDraw D;
    D.SetPixelsPerInchX(96);
    D.SetPixelsPerInchY(96);
    EXPECT_EQ(D.ScaleRect(TRect(0, 0, 95, 47)), TRect(0, 0, 1439, 719));
    EXPECT_EQ(D.ScaleRect(TRect(10, 20, 105, 67)), TRect(150, 300, 1589, 1019));
    D.SetPixelsPerInchX(600);
    D.SetPixelsPerInchY(300);
    EXPECT_EQ(D.ScaleRect(TRect(0, 0, 599, 149)), TRect(0, 0, 1439, 719));
}

TEST_F(RtfDraw, ScreensKeepTheRectangleAndMapOnlyAnotherResolution)
{
    TQorRtfDraw D;
    const HDC DC = CreateRasterDC(200, 100, 96);
    D.SetPixelsPerInchX(96);
    D.SetPixelsPerInchY(96);
    const TRect R(10, 10, 105, 57);
    EXPECT_EQ(D.PScaleRect(R, DC), D.ScaleRect(R));
    EXPECT_EQ(GetMapMode(DC), MM_TEXT);

    D.SetPixelsPerInchX(600);
    D.SetPixelsPerInchY(300);
    EXPECT_EQ(D.PScaleRect(R, DC), D.ScaleRect(R));
    EXPECT_EQ(GetMapMode(DC), MM_ANISOTROPIC);
    TSize Window, Viewport;
    GetWindowExtEx(DC, Window);
    GetViewportExtEx(DC, Viewport);
    EXPECT_EQ(Window, TSize(200, 100));
    EXPECT_EQ(Viewport, TSize(1250, 313));
    DeleteDC(DC);
}

TEST_F(RtfDraw, DefaultFontSizesPlainText)
{
    TQorRtfDraw D;
    Load(D, "plain words without any formatting of their own");
    D.SetOutRect(TRect(0, 0, 600, 600));
    const Integer Plain = D.Height();
    D.Font()->SetName("Times New Roman");
    D.Font()->SetSize(30);
    D.SetDefaultFont = true;
    D.SetPosition(0);
    EXPECT_GT(D.Height(), 2 * Plain);
}

TEST_F(RtfDraw, AParentThatGoesFirstTakesTheControlAlong)
{
    auto D = std::make_unique<TQorRtfDraw>();
    EXPECT_EQ(D->RichEdit()->Parent(), GForm());
    EXPECT_FALSE(D->RichEdit()->Visible());
    TForm* Form = Create<TForm>(nullptr);
    D->RichEdit()->SetParent(Form);
    Free(Form);
    EXPECT_EQ(D->RichEdit(), nullptr);
    D.reset();
}

TEST_F(RtfDraw, LetterRendersToPng)
{
    TQorRtfDraw D;
    Load(D, Letter);
    const TRect Out(20, 20, 379, 279);
    D.SetOutRect(Out);
    const HDC DC = CreateRasterDC(400, 300, 96);
    D.SetHandle(DC);
    D.Print();
    const String File = test::TestOutputFile("rtf_letter.png");
    ASSERT_TRUE(SaveDCToPng(DC, File));
    std::printf("rich text: %s\n", File.c_str());
    Integer Red = 0, Ink = 0;
    for (Integer Y = 0; Y < 300; ++Y)
        for (Integer X = 0; X < 400; ++X) {
            const COLORREF C = GetPixel(DC, X, Y);
            if (C == RGB(255, 255, 255))
                continue;
            ++Ink;
            ASSERT_TRUE(X >= Out.Left && X <= Out.Right && Y >= Out.Top && Y <= Out.Bottom) << X << "," << Y;
            if (GetRValue(C) > 150 && GetGValue(C) < 100)
                ++Red;
        }
    EXPECT_GT(Ink, 1000);
    EXPECT_GT(Red, 20);
    EXPECT_EQ(GetMapMode(DC), MM_TEXT);
    DeleteDC(DC);
}

namespace qor {
namespace {

// Word gaps (runs of at least two blank columns between ink) along the text's line.
Integer WordGaps(HDC DC, Integer Width, Integer Top, Integer Bottom)
{
    Integer Gaps = 0, Blank = 0;
    bool SeenInk = false;
    for (Integer X = 0; X < Width; ++X) {
        bool Ink = false;
        for (Integer Y = Top; Y < Bottom && !Ink; ++Y)
            Ink = GetPixel(DC, X, Y) != RGB(255, 255, 255);
        if (Ink) {
            Gaps += SeenInk && Blank >= 2;
            SeenInk = true;
            Blank = 0;
        } else {
            ++Blank;
        }
    }
    return Gaps;
}

TEST_F(RtfDraw, ZoomedScreensKeepTheSpacesBetweenStyledWords)
{
    // Five words in three styles: four gaps at every zoom of a 96 dpi screen.
    for (Integer Ppi : {77, 82, 96, 115, 134}) {
        SCOPED_TRACE(Ppi);
        TQorRtfDraw D;
        Load(D, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\fs20 with {\\b bold} and {\\i italic} words\\par}");
        D.SetPixelsPerInchX(Ppi);
        D.SetPixelsPerInchY(Ppi);
        D.SetOutRect(TRect(0, 0, MulDiv(600, Ppi, 96), MulDiv(60, Ppi, 96)));
        const HDC DC = CreateRasterDC(700, 100, 96);
        PatBlt(DC, 0, 0, 700, 100, WHITENESS);
        D.SetHandle(DC);
        D.Print();
        EXPECT_EQ(GetDeviceCaps(DC, LOGPIXELSX), 96) << "the screen's own resolution is back";
        EXPECT_EQ(WordGaps(DC, 700, 0, 60), 4);
        DeleteDC(DC);
    }
}

} // namespace
} // namespace qor
