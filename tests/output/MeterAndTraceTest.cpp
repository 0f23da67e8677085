// The progress meter's bar and percentage, and the debug trace window.

#include "platform/graphics/Color.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Render.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorDeb.h"
#include "runtime/output/QorMeter.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

TColor Rgb(TColor C) { return TColor(ColorToRGB(C)); }

class MeterTest : public ::testing::Test {
protected:
    MeterTest() : Form(nullptr)
    {
        Form.SetBounds(0, 0, 200, 60);
        Meter = Create<TQorMeter>(&Form);
        Meter->SetParent(&Form);
        Meter->SetBounds(0, 0, 97, 25);
        Meter->SetMeterColor(clYellow);
    }
    // The colour of a pixel of the meter, away from the text (its top row inside the border).
    TColor At(Integer X)
    {
        HDC Picture = RenderToDC(Meter);
        const TColor C = TColor(GetPixel(Picture, X, 2));
        DeleteDC(Picture);
        return C;
    }
    TForm Form;
    TQorMeter* Meter;
};

TEST_F(MeterTest, HalfFillsToTheEvenRoundingAndSaysFiftyPercent)
{
    Meter->SetProgress(50);
    EXPECT_EQ(Meter->PercentText(), "50.0%");
    // 97 x 0.5 = 48.5 rounds to 48: the bar ends before x = 47.
    EXPECT_EQ(At(46), Rgb(clYellow));
    EXPECT_EQ(At(48), Rgb(clWhite));
    EXPECT_EQ(At(0), Rgb(clBlack)) << "the single border";
}

TEST_F(MeterTest, EmptyFullAndDegenerateRanges)
{
    Meter->SetProgress(0);
    EXPECT_EQ(Meter->PercentText(), "0.0%");
    EXPECT_EQ(At(5), Rgb(clWhite)) << "progress at the minimum draws no bar";
    Meter->SetProgress(250);
    EXPECT_EQ(Meter->PercentText(), "100.0%");
    EXPECT_EQ(At(94), Rgb(clYellow));
    Meter->SetMin(100);
    EXPECT_EQ(Meter->PercentText(), "0.0%") << "no range, no progress, whatever Progress says";
    EXPECT_EQ(At(5), Rgb(clWhite));
    Meter->SetBorderStyle(bsNone);
    EXPECT_EQ(At(0), Rgb(clWhite));
}

class TraceTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        DisableQorDebug();
        delete QorDebugStatList();
    }
};

TEST_F(TraceTest, OffMakesNoWindowOnShowsEveryLineAgainAfterAClose)
{
    DisableQorDebug();
    DebugStatus("unseen");
    DebugTime("unseen");
    EXPECT_EQ(QorDebugStatList(), nullptr);
    EXPECT_TRUE(ToggleQorDebug());
    DebugStatus("first");
    TStatList* List = QorDebugStatList();
    ASSERT_NE(List, nullptr);
    EXPECT_EQ(List->MyForm->Name(), "QorDebugForm");
    EXPECT_EQ(List->MyList->Name(), "QorDebugList");
    EXPECT_TRUE(List->MyForm->Visible());
    List->MyForm->Close();
    EXPECT_FALSE(List->MyForm->Visible());
    DebugStatus("second");
    EXPECT_TRUE(List->MyForm->Visible());
    EXPECT_EQ(List->MyList->Items()->Count(), 2);
    EXPECT_EQ(List->MyList->Items()->Get(1), "second");
}

TEST_F(TraceTest, TheFirstTimeAfterAResetIsZero)
{
    EnableQorDebug();
    ResetTime();
    DebugTime("start");
    TStrings* Lines = QorDebugStatList()->MyList->Items();
    ASSERT_EQ(Lines->Count(), 2);
    EXPECT_EQ(Lines->Get(0), "   Elapsed: 00:00:00:000");
    EXPECT_EQ(Lines->Get(1).substr(12), "   start");
    EXPECT_EQ(Lines->Get(1)[2], ':');
}

} // namespace
} // namespace qor
