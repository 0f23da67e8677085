// Units, naming helpers and rulers (drawn on the raster backend).

#include "StandInPage.h"

#include "platform/graphics/Gdi.h"
#include "platform/rtl/StringTable.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Render.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace qor;
using qor::test::TStandInPage;

namespace {

TEST(KivUnitMaster, ConversionsBothWays)
{
    TKivUnitMaster U;
    struct TCase {
        TKivUnits From, To;
        Double In, Out;
    };
    const TCase Cases[] = {
        {unitInches, unitInches, 2, 2},          {unitInches, unitMiliMeters, 2, 50.8},
        {unitInches, unitCentiMeters, 2, 5.08},  {unitMiliMeters, unitInches, 50.8, 2},
        {unitMiliMeters, unitMiliMeters, 7, 7},  {unitMiliMeters, unitCentiMeters, 35, 3.5},
        {unitCentiMeters, unitInches, 5.08, 2},  {unitCentiMeters, unitMiliMeters, 3.5, 35},
        {unitCentiMeters, unitCentiMeters, 9, 9},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(EnumName(C.From) + " to " + EnumName(C.To));
        EXPECT_DOUBLE_EQ(U.UnitToUnit(C.From, C.To, C.In), C.Out);
        // and back again
        EXPECT_DOUBLE_EQ(U.UnitToUnit(C.To, C.From, C.Out), C.In);
    }
    EXPECT_DOUBLE_EQ(U.ToIn(unitMiliMeters, 25.4), 1);
    EXPECT_DOUBLE_EQ(U.ToIn(unitCentiMeters, 2.54), 1);
    EXPECT_DOUBLE_EQ(U.ToMM(unitInches, 1), 25.4);
    EXPECT_DOUBLE_EQ(U.ToMM(unitCentiMeters, 1), 10);
    EXPECT_DOUBLE_EQ(U.ToCM(unitInches, 1), 2.54);
    EXPECT_DOUBLE_EQ(U.ToCM(unitMiliMeters, 10), 1);
    EXPECT_DOUBLE_EQ(U.InTo(unitMiliMeters, 1), 25.4);
    EXPECT_DOUBLE_EQ(U.MMTo(unitCentiMeters, 10), 1);
    EXPECT_DOUBLE_EQ(U.CMTo(unitInches, 2.54), 1);
    const auto Unknown = static_cast<TKivUnits>(7);
    EXPECT_EQ(U.UnitToUnit(Unknown, unitInches, 3), 0);
    EXPECT_EQ(U.InTo(Unknown, 3), 0);
    EXPECT_EQ(U.ToMM(Unknown, 3), 0);
}

TEST(KivText, BlanksAndTrimming)
{
    EXPECT_TRUE(KivEmpty(""));
    EXPECT_TRUE(KivEmpty("   "));
    EXPECT_FALSE(KivEmpty(" x "));
    const String Long = String(298, 'a');
    EXPECT_EQ(KivRightTrim(Long + "  "), Long);
    EXPECT_EQ(KivRightTrim("  a b  "), "  a b");
    EXPECT_EQ(KivRightTrim("   "), "");
}

TEST(KivText, TheDeleteRefusalsAndTheMinMaxCaptionsComeFromTheStringTable)
{
    const std::pair<Integer, const char*> Texts[] = {
        {56401, "You are not allowed to delete a group outside of the page manager"},
        {56402, "You are not allowed to delete a band outside of the page manager."},
        {56407, "Max"},
        {56408, "Min"},
    };
    for (const auto& [Id, Text] : Texts)
        EXPECT_EQ(LoadStr(Id), Text) << Id;
}

TEST(KivNames, StripFirstAndValidIdentifiers)
{
    EXPECT_EQ(KivStripFirst("TKivBand"), "Band");
    EXPECT_EQ(KivStripFirst("tkivband"), "band");
    EXPECT_EQ(KivStripFirst("Title"), "itle");
    EXPECT_EQ(KivStripFirst("T"), "T");
    EXPECT_EQ(KivStripFirst("Tkiv"), "kiv");
    EXPECT_EQ(KivStripFirst("Band"), "Band");
    EXPECT_EQ(KivMakeValidIDent("2nd page", false), "_nd_page");
    EXPECT_EQ(KivMakeValidIDent("TKivDataSourceGuide", true), "DataSourceGuide");
    EXPECT_EQ(KivMakeValidIDent("Größe-1", false), "Gr__e_1"); // one "_" per character
    EXPECT_EQ(KivMakeValidIDent("_ok9", false), "_ok9");
    EXPECT_EQ(KivMakeValidIDent("", false), "");
}

TEST(KivNames, AutoNamesAreValidAndUnique)
{
    TComponent Form(nullptr);
    auto* A = new TComponent(&Form);
    auto* B = new TComponent(&Form);
    auto* C = new TComponent(&Form);
    auto* D = new TComponent(&Form);
    EXPECT_TRUE(KivAutoSetComponentName(A, "TKivBand", true));
    EXPECT_EQ(A->Name(), "Band");
    EXPECT_TRUE(KivAutoSetComponentName(B, "TKivBand", true));
    EXPECT_EQ(B->Name(), "Band1");
    EXPECT_TRUE(KivAutoSetComponentName(C, "tkivband", true)); // names differ in case only: taken
    EXPECT_EQ(C->Name(), "band2");
    EXPECT_TRUE(KivAutoSetComponentName(D, "Sales 2024 (EUR)", false));
    EXPECT_EQ(D->Name(), "Sales_2024__EUR_");
    auto* E = new TComponent(&Form);
    EXPECT_FALSE(KivAutoSetComponentName(E, "", true));
    EXPECT_EQ(E->Name(), "");
    EXPECT_TRUE(KivAutoSetComponentName(E, "   ", false)); // blanks make underscores
    EXPECT_EQ(E->Name(), "___");
    EXPECT_FALSE(KivSetComponentName(E, "Band"));
    EXPECT_FALSE(KivSetComponentName(E, "1x"));
    EXPECT_TRUE(KivSetComponentName(E, "Free"));
    EXPECT_EQ(E->Name(), "Free");
}

// ---- rulers ------------------------------------------------------------------------------------

const String GOutDir = "engine-rulers";

String OutFile(const String& Name)
{
    std::filesystem::create_directories(GOutDir);
    return GOutDir + "/" + Name;
}

// Black pixels in column X (vertical run) of a rendered control.
bool IsBlack(HDC DC, Integer X, Integer Y) { return GetPixel(DC, X, Y) == clBlack; }

TEST(KivRuler, MillimetreMarksAreTenMillimetresApartInSixParts)
{
    TKivRuler R(nullptr);
    R.SetPixelsPerInch(96);
    R.SetUnits(unitMiliMeters);
    R.SetBounds(0, 0, 400, 24);
    R.SetShowCrossHair(false);
    RenderToPng(&R, OutFile("ruler-mm.png"));
    HDC DC = RenderToDC(&R);
    // full-height marks at 0, 37.8, 75.6 ... pixels; the half mark of each at a third of the way
    const Double P = 96 / 25.4 * 10;
    for (int Mark = 1; Mark <= 9; ++Mark) {
        const Integer X = static_cast<Integer>(std::nearbyint(Mark * P));
        SCOPED_TRACE("mark " + std::to_string(Mark) + " at x " + std::to_string(X));
        EXPECT_TRUE(IsBlack(DC, X, 12)) << "full-height tick";
        EXPECT_FALSE(IsBlack(DC, X + 2, 20)) << "no tick right after a mark";
        const Integer Half = static_cast<Integer>(std::nearbyint(Mark * P + P * 3 / 6));
        EXPECT_TRUE(IsBlack(DC, Half, 14)) << "half tick";
        EXPECT_FALSE(IsBlack(DC, Half, 10)) << "half tick stops half way";
        const Integer Sixth = static_cast<Integer>(std::nearbyint(Mark * P + P / 6));
        EXPECT_TRUE(IsBlack(DC, Sixth, 20)) << "quarter-height tick";
        EXPECT_FALSE(IsBlack(DC, Sixth, 16)) << "quarter-height tick stops early";
    }
    DeleteDC(DC);
}

TEST(KivRuler, InchesHaveEightPartsAndTheCrossHairIsWhite)
{
    TKivRuler R(nullptr);
    R.SetPixelsPerInch(96);
    R.SetBounds(0, 0, 300, 20);
    R.SetStartPixels(-48); // scrolled half an inch
    R.UpdateHair(100);
    EXPECT_EQ(R.CrossHairPosition(), 100);
    RenderToPng(&R, OutFile("ruler-inch.png"));
    HDC DC = RenderToDC(&R);
    for (int Mark = 1; Mark <= 3; ++Mark) {
        const Integer X = Mark * 96 - 48;
        EXPECT_TRUE(IsBlack(DC, X, 8)) << X;
        EXPECT_TRUE(IsBlack(DC, X + 12, 17)) << "an eighth of an inch on";
        EXPECT_FALSE(IsBlack(DC, X + 12, 13)) << "an eighth is a short tick";
    }
    EXPECT_EQ(GetPixel(DC, 100 - 48, 10), clWhite) << "cross-hair at the position plus the start";
    DeleteDC(DC);
}

// Moving the cross-hair repaints its two one-pixel strips, never the whole ruler.
TEST(KivRuler, MovingTheCrossHairLeavesTheRestOfTheRulerAlone)
{
    struct TCountingRuler : TKivRuler {
        using TKivRuler::TKivRuler;
        void Invalidate() override { ++Whole; }
        int Whole = 0;
    } R(nullptr);
    R.SetPixelsPerInch(96);
    R.SetBounds(0, 0, 300, 20);
    R.Whole = 0;
    R.UpdateHair(40);
    R.UpdateHair(41);
    R.UpdateHair(41);
    EXPECT_EQ(R.Whole, 0);
    EXPECT_EQ(R.CrossHairPosition(), 41);
    // Nor does a ruler, its container or a band's design strip rescale with its form.
    TKivRulerContainer Container(nullptr);
    TKivBandHead Head;
    for (TControl* C : std::initializer_list<TControl*>{&R, &Container, &Head}) {
        C->SetBounds(10, 20, 300, 20);
        C->ChangeScale(96, 120);
        EXPECT_EQ(C->BoundsRect(), Bounds(10, 20, 300, 20)) << C->ClassName();
    }
}

TEST(KivRuler, VerticalCentimetreRulers)
{
    TKivRuler R(nullptr);
    R.SetVertical(true);
    R.SetUnits(unitCentiMeters);
    R.SetPixelsPerInch(96);
    R.SetBounds(0, 0, 24, 200);
    R.SetShowCrossHair(false);
    RenderToPng(&R, OutFile("ruler-cm-vertical.png"));
    HDC DC = RenderToDC(&R);
    const Double P = 96 / 2.54;
    for (int Mark = 1; Mark <= 4; ++Mark) {
        const Integer Y = static_cast<Integer>(std::nearbyint(Mark * P));
        EXPECT_TRUE(IsBlack(DC, 12, Y)) << Y;
        const Integer Half = static_cast<Integer>(std::nearbyint(Mark * P + P / 2));
        EXPECT_TRUE(IsBlack(DC, 14, Half)) << Half;
        EXPECT_FALSE(IsBlack(DC, 10, Half)) << Half;
    }
    DeleteDC(DC);
}

// A report stand-in whose first page is a stand-in page.
class TStandInReport : public TWinControl, public IKivReport {
public:
    explicit TStandInReport(TComponent* AOwner) : TWinControl(AOwner) {}
    IKivPage* FirstPage() const override { return Page; }
    void InsertPage(IKivRunPage*) override {}
    void RemovePage(IKivRunPage*) override {}
    Integer ReportPixelsPerInch() const override { return 96; }
    void UpdateStatus(Integer) override {}
    bool CancelPrintJob() const override { return false; }
    void SetExceptionText(const String&) override {}
    TKivRptDsgn* RepDesign() const override { return nullptr; }
    void PositionButtons() override {}
    TStandInPage* Page = nullptr;
};

TEST(KivRulerContainer, OneRulerPerBandBesideThePageAndTheCrossHairMoves)
{
    TComponent Root(nullptr);
    auto* Report = new TStandInReport(&Root);
    Report->SetBounds(0, 0, 400, 300);
    auto* Page = new TStandInPage(&Root);
    Page->SetParent(Report);
    Page->SetBounds(60, 10, 300, 250);
    Report->Page = Page;
    for (Integer Top : {0, 40, 120, 240}) {
        auto* Band = new TWinControl(&Root);
        Band->SetParent(Page);
        Band->SetBounds(0, Top, 300, Top == 120 ? 100 : 30);
        Page->Bands_.push_back(Band);
    }
    Page->Border = true;
    auto* C = new TKivRulerContainer(&Root);
    C->SetParent(Report);
    C->SetBounds(0, 0, 30, 10);
    EXPECT_EQ(C->GetPage(), Page);
    C->UpdateRulers();
    EXPECT_EQ(C->Left(), 30);
    EXPECT_EQ(C->Top(), 10);
    EXPECT_EQ(C->Height(), 250);
    ASSERT_EQ(C->RulerCount(), 4);
    EXPECT_TRUE(C->Rulers(0)->Vertical());
    EXPECT_EQ(C->Rulers(1)->Top(), 42); // the page border
    EXPECT_EQ(C->Rulers(2)->Height(), 100);
    EXPECT_EQ(C->Rulers(3)->Height(), 250 - 242 - 1); // cut at the container's end
    EXPECT_TRUE(C->Rulers(3)->Visible());
    Page->Bands_[3]->SetTop(260);
    C->UpdateRulers();
    EXPECT_FALSE(C->Rulers(3)->Visible());

    C->UpdateHair(50);
    EXPECT_TRUE(C->Rulers(1)->ShowCrossHair());
    EXPECT_EQ(C->Rulers(1)->CrossHairPosition(), 8);
    C->UpdateHair(130);
    EXPECT_FALSE(C->Rulers(1)->ShowCrossHair());
    EXPECT_EQ(C->Rulers(1)->CrossHairPosition(), -1);
    EXPECT_EQ(C->Rulers(2)->CrossHairPosition(), 8);
    EXPECT_EQ(C->CrossHairPosition(), 130);

    C->SetUnits(unitMiliMeters);
    C->SetPixelsPerInch(120);
    EXPECT_EQ(C->Rulers(0)->Units(), unitMiliMeters);
    EXPECT_EQ(C->Rulers(3)->PixelsPerInch(), 120);
    RenderToPng(Report, OutFile("ruler-container.png"));

    Page->Bands_.pop_back();
    Page->Bands_.pop_back();
    C->UpdateRulers();
    EXPECT_EQ(C->RulerCount(), 2);
    Page->BandList = false;
    C->UpdateRulers(); // without a band list nothing changes
    EXPECT_EQ(C->RulerCount(), 2);

    TKivRulerContainer Alone(nullptr);
    EXPECT_EQ(Alone.GetPage(), nullptr);
    Alone.UpdateRulers();
    EXPECT_EQ(Alone.RulerCount(), 0);
}

} // namespace
