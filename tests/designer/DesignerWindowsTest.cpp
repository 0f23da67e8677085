// The report designer on a real display: the designed report with its tool bar, rulers and
// hair-lines, and the band and group manager's tree, grabbed as the window system shows them.
// Without a display they skip; DesignerXvfbRun runs them under a virtual X server.

#include "common/RealWindows.h"
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
#include "runtime/engine/KivCtrl.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/output/QorView.h"

#include "common/PngColours.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
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
    // Opens a copy of an example form (as Name) in the host and shows the windows; answers its report.
    TKivReport* OpenExample(TDesignEnvironment& Env, const std::string& Example, const char* Name)
    {
        std::filesystem::copy_file(std::string(QOR_SOURCE_DIR) + "/examples/" + Example + ".qfm", dir / Name,
                                   std::filesystem::copy_options::overwrite_existing);
        Env.Open((dir / Name).string());
        Env.ShowAll();
        auto* report = dynamic_cast<TKivReport*>(Env.Host().Root()->FindComponent("Report"));
        EXPECT_NE(report, nullptr);
        return report;
    }
    static TKivReportDesign* Design(TKivReport* R) { return dynamic_cast<TKivReportDesign*>(R->RepDesign()); }
    const std::filesystem::path dir = std::filesystem::path(QOR_BINARY_DIR) / "tests" / "designer-out" / "grabs";
};

TEST_F(DesignerWindow, TheReportShowsItsToolBarRulersAndTheManagerItsTree)
{
    RunCommand("rm -f '" + (dir / "shop.db").string() + "'; sqlite3 '" + (dir / "shop.db").string() + "' < '" +
               QOR_SOURCE_DIR + "/examples/masterdetail/shop.sql'");
    TDesignEnvironment env;
    TKivReport* report = OpenExample(env, "masterdetail/shop", "shop.qfm");
    ASSERT_NE(report, nullptr);
    TCustomForm* form = env.Host().Form();
    form->SetBounds(300, 100, 900, 760);
    report->SetBounds(10, 10, 860, 700);
    auto* design = Design(report);
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
    TDesignEnvironment env;
    TKivReport* report = OpenExample(env, "sales/sales", "sales.qfm");
    ASSERT_NE(report, nullptr);
    Design(report)->DataButton()->Click();
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

// The fast label tool beside the design window: two rows clicked in the tool are dragged with the
// mouse (the window system's pointer, driven by xdotool) across to the design window's detail band,
// where they become labels; the screen is grabbed while the drag runs.
TEST_F(DesignerWindow, FastLabelsAreDraggedFromTheToolOntoTheDesignWindow)
{
    if (!HaveProgram("xdotool") || !HaveProgram("import"))
        QOR_SKIP_WITHOUT_TOOL("xdotool and ImageMagick's import drive and grab the screen (scripts/install-deps.sh)");
    TDesignEnvironment env;
    TKivReport* report = OpenExample(env, "masterdetail/shop", "fast.qfm");
    ASSERT_NE(report, nullptr);
    env.Host().Form()->SetBounds(520, 40, 700, 700);
    report->SetBounds(10, 10, 660, 640);
    Design(report)->AutoLabelButton()->Click(); // "Fast"
    auto* tool = dynamic_cast<TQorDropLabels*>(Design(report)->DropForm());
    ASSERT_NE(tool, nullptr);
    tool->SetBounds(20, 300, tool->Width(), 250);
    tool->sbVert->Click(); // a column: nothing to ask on a display without a person
    Settle();
    const auto xdo = [](const std::string& Args) { RunCommand("xdotool " + Args); };
    // where the window system put a control's client point: its window's place, then the widgets'
    // places down to the control's (each at its Left and Top in its parent's widget)
    const auto onScreen = [](TControl* C, TPoint At) {
        TCustomForm* f = C->GetParentForm();
        const std::string geometry =
            RunCommand("xdotool search --name '^" + f->Caption() + "$' getwindowgeometry | head -2");
        int x = 0, y = 0;
        if (const auto at = geometry.find("Position: "); at != std::string::npos)
            std::sscanf(geometry.c_str() + at, "Position: %d,%d", &x, &y);
        TPoint p = At + C->ClientOffset();
        for (TControl* c = C; c != f; c = c->Parent())
            p = p + c->BoundsRect().TopLeft();
        return TPoint(x + p.X, y + p.Y);
    };
    const auto moveTo = [&](TPoint P) {
        xdo("mousemove " + std::to_string(P.X) + " " + std::to_string(P.Y));
        PumpUntil([] { return true; });
    };
    TListBox* list = tool->QorVariableList;
    const auto row = [&](const char* Name) {
        const TRect r = list->ItemRect(list->Items()->IndexOf(Name));
        return onScreen(list, TPoint(r.Left + 12, (r.Top + r.Bottom) / 2));
    };
    moveTo(row("CustomerNameVar"));
    xdo("click 1");
    Settle();
    moveTo(row("CustomerCityVar"));
    xdo("keydown Control_L click 1 keyup Control_L"); // the second row joins the selection
    Settle();
    ASSERT_EQ(tool->SelectedList.size(), 2u);
    EXPECT_EQ(list->Items()->Strings(tool->SelectedList[0]), "CustomerNameVar");

    // pressed on a selected row, the mouse goes across to the other window and lets go on the band
    auto* band = dynamic_cast<TKivBand*>(env.Host().Root()->FindComponent("CustomerBand"));
    ASSERT_NE(band, nullptr);
    const TPoint from = row("CustomerCityVar"), to = onScreen(band, TPoint(450, 3));
    xdo("mousedown 1");
    for (int step = 1; step <= 8; ++step)
        moveTo(TPoint(from.X + (to.X - from.X) * step / 8, from.Y + (to.Y - from.Y) * step / 8));
    ASSERT_TRUE(PumpUntil([&] { return list->Dragging(); }));
    EXPECT_EQ(tool->SelectedList.size(), 2u); // the press on a selected row kept the others
    Settle();
    const std::string screen = (dir / "fast-drag.png").string();
    RunCommand("import -window root '" + screen + "'");
    EXPECT_GT(PngColours(screen), 4);
    xdo("mouseup 1");
    ASSERT_TRUE(PumpUntil([&] { return !list->Dragging() && tool->VarLabelList.size() == 2; }));
    Settle();
    ASSERT_EQ(tool->VarLabelList.size(), 2u);
    for (TKivLabel* l : tool->VarLabelList) {
        EXPECT_EQ(l->Parent(), band);
        EXPECT_EQ(l->Owner(), env.Host().Root());
    }
    EXPECT_EQ(tool->VarLabelList[0]->Left(), 450);
    EXPECT_EQ(env.Host().Selection().size(), 2u);
    tool->Hide();
}

// Answers a message it posts to itself until Step says it is done: a step taken once a window that
// a message handler shows (from inside its own loop) is ready.
class TStepper : public TForm {
public:
    using TForm::TForm;
    std::function<bool()> Step;
    void Start() { PostMessage(Handle(), WM_USER + 7, 0, 0); }

protected:
    void WndProc(TMessage& M) override
    {
        if (M.Msg != WM_USER + 7) {
            TForm::WndProc(M);
            return;
        }
        if (!Step())
            Start();
    }
};

// "Overview" pressed in the host runs the overview into the viewer, a window of its own; its first
// page, the page setup and the band tree, is grabbed as the window system shows it.
TEST_F(DesignerWindow, TheOverviewShowsItsBandTreeInTheViewer)
{
    TDesignEnvironment env;
    TKivReport* report = OpenExample(env, "masterdetail/shop", "view.qfm");
    ASSERT_NE(report, nullptr);
    TQorViewer* viewer = nullptr;
    QorViewEvent = [&](TQorViewer* V) {
        viewer = V;
        V->SetBounds(60, 20, 820, 980);
    };
    const std::string png = (dir / "overview-viewer.png").string();
    std::filesystem::remove(png);
    String caption;
    bool grabbed = false;
    TStepper stepper(nullptr);
    stepper.Step = [&] {
        if (!viewer || !viewer->Visible() || viewer->Generating())
            return false; // the report is still being made
        Settle();
        caption = viewer->Caption();
        grabbed = GrabWindowToPng(viewer, png);
        viewer->btnCloseClick(nullptr);
        viewer = nullptr;
        return true;
    };
    Design(report)->Rep1Button()->Click(); // "Overview"
    stepper.Start();
    const bool closed = PumpUntil([&] { return !caption.empty(); });
    QorViewEvent = nullptr;
    ASSERT_TRUE(closed);
    EXPECT_TRUE(grabbed);
    EXPECT_NE(caption.find("Overview"), String::npos) << caption;
    EXPECT_GT(PngColours(png), 4);
}

TEST(DesignerXvfbRun, WindowTestsPassUnderAVirtualDisplay) { ExpectSuitePassesUnderXvfb("DesignerWindow"); }

} // namespace
