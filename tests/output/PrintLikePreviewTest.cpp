// A page printed on a 600 dpi printer looks like its preview at the same physical size: hatched
// brushes and styled pens keep their screen size on paper. The print, rendered back at 96 dpi by an
// independent reader (pdftoppm), is laid over the page played at 96 dpi.

#include "common/SoundPdf.h"
#include "output/OutputTestSupport.h"

#include "platform/graphics/Brush.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Pen.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorSetup.h"
#include "common/NeedTool.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace qor {
namespace {

// Hatched boxes and styled lines on an A4 page at 96 pixels per inch.
void RecordStyledPage(TQorQorFile& F)
{
    TQorPrinterSetup Setup;
    Setup.SetPaperSize(9);
    F.SetQorPrinterSetup(&Setup);
    F.SetDescription("Styles");
    F.BeginDoc();
    TBrush Brush;
    Brush.SetColor(clBlack);
    Brush.SetStyle(bsDiagCross);
    F.SetBrush(&Brush);
    F.FillRect(TRect(100, 100, 300, 200));
    Brush.SetStyle(bsHorizontal);
    F.SetBrush(&Brush);
    F.FillRect(TRect(350, 100, 550, 200));
    TPen Pen;
    for (TPenStyle Style : {psDash, psDot, psDashDot}) {
        Pen.SetStyle(Style);
        F.SetPen(&Pen);
        const Integer Y = 260 + 30 * Integer(Style);
        F.MoveTo(100, Y);
        F.LineTo(600, Y);
    }
    F.EndDoc();
}

// Grey levels of a PGM (P5, 8 bits) with its size.
struct TGrey {
    Integer Width = 0, Height = 0;
    std::vector<Byte> Levels;
    Byte At(Integer X, Integer Y) const { return Levels[std::size_t(Y) * std::size_t(Width) + std::size_t(X)]; }
};

TGrey ReadPgm(const std::string& File)
{
    const std::string B = test::ReadWholeFile(File);
    TGrey G;
    std::size_t At = 0;
    auto Token = [&] {
        while (At < B.size() && std::isspace(static_cast<unsigned char>(B[At])))
            ++At;
        std::string T;
        while (At < B.size() && !std::isspace(static_cast<unsigned char>(B[At])))
            T += B[At++];
        return T;
    };
    if (Token() != "P5")
        return G;
    G.Width = std::stoi(Token());
    G.Height = std::stoi(Token());
    Token(); // the largest level
    ++At;
    G.Levels.assign(B.begin() + std::ptrdiff_t(At), B.end());
    return G;
}

TGrey PlayedAt96(TQorQorFile& F, Integer Width, Integer Height)
{
    HDC DC = CreateRasterDC(Width, Height, 96);
    PatBlt(DC, 0, 0, Width, Height, WHITENESS);
    F.PlayPage(DC, 1);
    TGrey G;
    G.Width = Width;
    G.Height = Height;
    for (Integer Y = 0; Y < Height; ++Y)
        for (Integer X = 0; X < Width; ++X) {
            const COLORREF C = GetPixel(DC, X, Y);
            G.Levels.push_back(Byte((GetRValue(C) + GetGValue(C) + GetBValue(C)) / 3));
        }
    DeleteDC(DC);
    return G;
}

// The share of pixels of Area on which the two pictures agree within a third of the grey range,
// B shifted by (DX, DY).
Double Alike(const TGrey& A, const TGrey& B, const TRect& Area, Integer DX = 0, Integer DY = 0)
{
    Integer Same = 0, All = 0;
    for (Integer Y = Area.Top; Y < Area.Bottom; ++Y)
        for (Integer X = Area.Left; X < Area.Right; ++X, ++All)
            Same += std::abs(Integer(A.At(X, Y)) - Integer(B.At(X + DX, Y + DY))) <= 85;
    return All ? Double(Same) / All : 0;
}

// The same for a hatched area, whose pattern is laid from the device's origin: on paper that is
// the printable area's corner, so the pattern may start a few pixels apart. The best of the
// placements within one pattern cell.
Double AlikeHatch(const TGrey& A, const TGrey& B, const TRect& Area)
{
    Double Best = 0;
    for (Integer DY = -4; DY < 4; ++DY)
        for (Integer DX = -4; DX < 4; ++DX)
            Best = std::max(Best, Alike(A, B, Area, DX, DY));
    return Best;
}

class PrintLikePreviewTest : public test::DescribedPrinterTest {};

TEST_F(PrintLikePreviewTest, HatchesAndDashesKeepTheirSizeOnA600DpiPrinter)
{
    if (!test::HaveProgram("pdftoppm"))
        QOR_SKIP_WITHOUT_TOOL("pdftoppm (poppler-utils) is not installed");
    Select("Works Laser"); // 600 dpi
    TQorQorFile F;
    RecordStyledPage(F);
    const std::string Pdf = (Dir / "styles.pdf").string();
    TQorPrinter P;
    P.SetPrintFileName(Pdf);
    P.LoadPages(&F, 1, 1);
    ASSERT_EQ(P.ExceptionText(), "");
    test::ExpectSoundPdf(Pdf);
    const std::string Pgm = (Dir / "printed").string();
    test::RunCommand("pdftoppm -gray -r 96 -singlefile '" + Pdf + "' '" + Pgm + "'");
    const TGrey Printed = ReadPgm(Pgm + ".pgm");
    ASSERT_GT(Printed.Width, 700);
    ASSERT_GT(Printed.Height, 400);
    F.SetHorzScale(100);
    F.SetVertScale(100);
    const TGrey Preview = PlayedAt96(F, Printed.Width, Printed.Height);
    if (const char* Keep = std::getenv("QOR_KEEP_PNG"))
        test::RunCommand("cp '" + Pgm + ".pgm' '" + std::string(Keep) + "/styles-printed.pgm'");
    // Inside the boxes, away from their edges.
    EXPECT_GT(AlikeHatch(Preview, Printed, TRect(110, 110, 290, 190)), 0.9) << "diagonal cross hatch";
    EXPECT_GT(AlikeHatch(Preview, Printed, TRect(360, 110, 540, 190)), 0.9) << "horizontal hatch";
    EXPECT_GT(Alike(Preview, Printed, TRect(100, 288, 600, 293)), 0.9) << "dashed line";
    EXPECT_GT(Alike(Preview, Printed, TRect(100, 318, 600, 323)), 0.9) << "dotted line";
}

} // namespace
} // namespace qor
