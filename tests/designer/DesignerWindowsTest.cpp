// The report designer on a real display: the designed report with its tool bar, rulers and
// hair-lines, and the band and group manager's tree, grabbed as the window system shows them.
// Without a display they skip; DesignerXvfbRun runs them under a virtual X server.

#include "common/XvfbRun.h"
#include "designer/KIVREG.h"
#include "designer/KivVOpt.h"
#include "designer/Kivrepds.h"
#include "designer/PAGEMAN.h"
#include "designer/QorDrop.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/StdCtrls.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"
#include "platform/ide/DesignWindows.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/Render.h"
#include "printing/PrintTestSupport.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"

#include "common/PngColours.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

using namespace qor;
using namespace qor::test;

namespace {

void Settle()
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < until) {
        Application()->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

class DesignerWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY: this test opens real windows";
        EnsureQtApplication();
        if (!QtCanShowWindows())
            GTEST_SKIP() << "Qt cannot show windows here (QT_QPA_PLATFORM=offscreen?)";
        std::filesystem::create_directories(dir);
        RegisterDesignPackage();
    }
    const std::filesystem::path dir = std::filesystem::path(QOR_BINARY_DIR) / "tests" / "designer-out" / "grabs";
};

TEST_F(DesignerWindow, TheReportShowsItsToolBarRulersAndTheManagerItsTree)
{
    const std::string examples = std::string(QOR_SOURCE_DIR) + "/examples/masterdetail/";
    RunCommand("rm -f '" + (dir / "shop.db").string() + "'; sqlite3 '" + (dir / "shop.db").string() + "' < '" +
               examples + "shop.sql'");
    std::filesystem::copy_file(examples + "shop.qfm", dir / "shop.qfm", std::filesystem::copy_options::overwrite_existing);
    TDesignEnvironment env;
    env.Open((dir / "shop.qfm").string());
    env.ShowAll();
    TCustomForm* form = env.Host().Form();
    form->SetBounds(300, 100, 900, 760);
    auto* report = dynamic_cast<TKivReport*>(env.Host().Root()->FindComponent("Report"));
    ASSERT_NE(report, nullptr);
    report->SetBounds(10, 10, 860, 700);
    auto* design = dynamic_cast<TKivReportDesign*>(report->RepDesign());
    ASSERT_NE(design, nullptr);
    design->PageManButton()->Click();
    auto* manager = dynamic_cast<TKivPageManager*>(report->Page()->AsPage()->PageManager());
    ASSERT_NE(manager, nullptr);
    manager->AddGroup();
    manager->AddGroup();
    manager->AddSubBand(dynamic_cast<TKivBand*>(env.Host().Root()->FindComponent("CustomerBand")), false);
    manager->SetBounds(20, 100, 443, 400);
    Settle();
    // the mouse over the detail band: the hair-lines follow it
    design->RulerXY(180, 120);
    Settle();
    const struct {
        TCustomForm* Window;
        const char* File;
    } grabs[] = {{form, "report.png"}, {manager, "manager.png"}};
    for (const auto& g : grabs) {
        const std::string file = (dir / g.File).string();
        ASSERT_TRUE(GrabWindowToPng(g.Window, file)) << g.File;
        EXPECT_GT(PngColours(file), 4) << g.File;
    }
    EXPECT_EQ(design->TopRuler()->CrossHairPosition(), 180);
    manager->Hide();
}

TEST_F(DesignerWindow, TheDataControlCenterShowsItsListsZoomedAndNot)
{
    const std::string examples = std::string(QOR_SOURCE_DIR) + "/examples/sales/";
    RunCommand("rm -f '" + (dir / "sales.db").string() + "'; sqlite3 -cmd 'CREATE TEMP TABLE sales_rows AS SELECT 50 AS n' '" +
               (dir / "sales.db").string() + "' < '" + examples + "sales.sql'");
    std::filesystem::copy_file(examples + "sales.qfm", dir / "sales.qfm", std::filesystem::copy_options::overwrite_existing);
    TDesignEnvironment env;
    env.Open((dir / "sales.qfm").string());
    env.ShowAll();
    auto* report = dynamic_cast<TKivReport*>(env.Host().Root()->FindComponent("Report"));
    ASSERT_NE(report, nullptr);
    auto* design = dynamic_cast<TKivReportDesign*>(report->RepDesign());
    design->DataButton()->Click();
    Settle();
    auto* manager = dynamic_cast<TKivPageManager*>(report->Page()->AsPage()->PageManager());
    ASSERT_NE(manager, nullptr);
    TKivDSVariableOptions* center = manager->DataControl();
    ASSERT_NE(center, nullptr);
    center->SetBounds(40, 40, 720, 540);
    center->clist->SetSelected(3, true);
    center->ListDragDrop(center->TotalVarList, center->clist, 5, 5);
    center->DataSourceList->SetRow(0);
    Settle();
    const std::string plain = (dir / "datacontrol.png").string();
    ASSERT_TRUE(GrabWindowToPng(center, plain));
    EXPECT_GT(PngColours(plain), 4);
    center->DataSourceZoomClick(center->DbVarZoom);
    center->FieldZoomClick(center->VarZoom);
    Settle();
    const std::string zoomed = (dir / "datacontrol-zoomed.png").string();
    ASSERT_TRUE(GrabWindowToPng(center, zoomed));
    EXPECT_GT(PngColours(zoomed), 4);
    center->Hide();
    manager->Hide();
}

// The fast label tool beside the design window: a row clicked in the tool and one more picked,
// dragged onto the detail band, become labels there; the screen is grabbed during the drag.
TEST_F(DesignerWindow, FastLabelsAreDraggedFromTheToolOntoTheDesignWindow)
{
    if (RunCommand("command -v xdotool import").find("xdotool") == std::string::npos)
        GTEST_SKIP() << "xdotool and ImageMagick's import drive and grab the screen";
    const std::string examples = std::string(QOR_SOURCE_DIR) + "/examples/masterdetail/";
    std::filesystem::copy_file(examples + "shop.qfm", dir / "fast.qfm", std::filesystem::copy_options::overwrite_existing);
    TDesignEnvironment env;
    env.Open((dir / "fast.qfm").string());
    env.ShowAll();
    TCustomForm* form = env.Host().Form();
    form->SetBounds(520, 40, 700, 700);
    auto* report = dynamic_cast<TKivReport*>(env.Host().Root()->FindComponent("Report"));
    report->SetBounds(10, 10, 660, 640);
    auto* design = dynamic_cast<TKivReportDesign*>(report->RepDesign());
    design->AutoLabelButton()->Click(); // "Fast"
    auto* tool = dynamic_cast<TQorDropLabels*>(design->DropForm());
    ASSERT_NE(tool, nullptr);
    tool->SetBounds(20, 300, 465, 250);
    Settle();
    const auto xdo = [](const std::string& Args) { RunCommand("xdotool " + Args); };
    // where the window system put a control: its window's place and its offset in the window
    const auto onScreen = [](TControl* C, TPoint At) {
        TCustomForm* f = C->GetParentForm();
        const std::string geometry =
            RunCommand("xdotool search --name '^" + f->Caption() + "$' getwindowgeometry | head -2");
        int x = 0, y = 0;
        if (const auto at = geometry.find("Position: "); at != std::string::npos)
            std::sscanf(geometry.c_str() + at, "Position: %d,%d", &x, &y);
        const TPoint inForm = C->ClientToScreen(At), formOrigin = f->ClientToScreen(TPoint(0, 0));
        return TPoint(x + inForm.X - formOrigin.X, y + inForm.Y - formOrigin.Y);
    };
    const auto click = [&](TControl* C, TPoint At, bool Ctrl) {
        const TPoint p = onScreen(C, At);
        xdo("mousemove " + std::to_string(p.X) + " " + std::to_string(p.Y));
        if (Ctrl)
            xdo("keydown Control_L");
        xdo("click 1");
        if (Ctrl)
            xdo("keyup Control_L");
        Settle();
    };
    TListBox* list = tool->QorVariableList;
    const auto rowPoint = [&](const char* Name) { return TPoint(20, list->Items()->IndexOf(Name) * 13 + 6); };
    click(list, rowPoint("CustomerNameVar"), false);
    // the second row is added to the selection in the list itself
    list->SetSelected(list->Items()->IndexOf("CustomerCityVar"), true);
    tool->QorVariableListClick(nullptr);
    ASSERT_EQ(tool->SelectedList.size(), 2u);
    auto* band = dynamic_cast<TKivBand*>(env.Host().Root()->FindComponent("CustomerBand"));
    // the list's drag reaches the band through the designer (a drag between two native windows is
    // not carried by the window system layer yet)
    tool->sbVert->Click(); // a column: nothing to ask on a display without a person
    list->BeginDrag(true);
    bool accept = false;
    band->DragOver(list, 360, 2, dsDragMove, accept);
    EXPECT_TRUE(accept);
    Settle();
    const std::string screen = (dir / "fast-drag.png").string();
    RunCommand("import -window root '" + screen + "'");
    EXPECT_GT(PngColours(screen), 4);
    list->EndDrag(false);
    band->DragDrop(list, 360, 2);
    Settle();
    ASSERT_EQ(tool->VarLabelList.size(), 2u);
    EXPECT_EQ(tool->VarLabelList[0]->Parent(), band);
    EXPECT_EQ(env.Host().Selection().size(), 2u);
    tool->Hide();
}

TEST(DesignerXvfbRun, WindowTestsPassUnderAVirtualDisplay) { ExpectSuitePassesUnderXvfb("DesignerWindow"); }

} // namespace
