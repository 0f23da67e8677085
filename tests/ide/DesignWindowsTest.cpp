// The designer's windows on a real display: the main window, the inspector and the designed form
// grabbed as the window system shows them. Without a display they skip; DesignXvfbRun runs them
// under a virtual X server.

#include "common/XvfbRun.h"
#include "platform/ide/DesignWindows.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/Render.h"

#include "common/PngColours.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace qor;
using namespace qor::test;

namespace {

TEST(DesignWindow, TheWindowsShowOnTheScreenWithTheFormItsHandlesAndTheInspectorRows)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no DISPLAY: this test opens real windows";
    EnsureQtApplication();
    if (!QtCanShowWindows())
        GTEST_SKIP() << "Qt cannot show windows here (QT_QPA_PLATFORM=offscreen?)";
    const std::filesystem::path dir = std::filesystem::path(QOR_BINARY_DIR) / "tests" / "ide-out" / "grabs";
    std::filesystem::create_directories(dir);
    TDesignEnvironment env;
    env.Open(std::string(QOR_SOURCE_DIR) + "/examples/invoice/invoice.qfm");
    env.ShowAll();
    TCustomForm* form = env.Host().Form();
    form->SetBounds(320, 130, 900, 700);
    env.Host().SelectComponent(env.Host().Root()->FindComponent("Title"));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < until) {
        Application()->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const struct {
        TCustomForm* Window;
        const char* File;
    } grabs[] = {{env.MainWindow(), "designer.png"}, {env.Inspector(), "inspector.png"}, {form, "form.png"}};
    for (const auto& g : grabs) {
        const std::string file = (dir / g.File).string();
        ASSERT_TRUE(GrabWindowToPng(g.Window, file)) << g.File;
        EXPECT_GT(PngColours(file), 4) << g.File;
    }
}

// Runs the window test above under a virtual X server, so plain ctest runs it too.
TEST(DesignXvfbRun, WindowTestsPassUnderAVirtualDisplay) { ExpectSuitePassesUnderXvfb("DesignWindow"); }

} // namespace
