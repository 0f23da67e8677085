// The report designer on a real display: the designed report with its tool bar, rulers and
// hair-lines, and the band and group manager's tree, grabbed as the window system shows them.
// Without a display they skip; DesignerXvfbRun runs them under a virtual X server.

#include "common/XvfbRun.h"
#include "designer/KIVREG.h"
#include "designer/KivVOpt.h"
#include "designer/Kivrepds.h"
#include "designer/PAGEMAN.h"
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

TEST(DesignerXvfbRun, WindowTestsPassUnderAVirtualDisplay) { ExpectSuitePassesUnderXvfb("DesignerWindow"); }

} // namespace
