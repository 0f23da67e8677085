#pragma once
// Tests of real windows (the NativeWindow suites) need a display. Without one they skip, and the
// test program's XvfbRun test runs them again under a virtual X server (common/XvfbRun.h;
// scripts/xvfb-ui-tests.sh does the same by hand).

#include "common/NeedTool.h"
#include "common/XvfbRun.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Application.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

#define REQUIRE_DISPLAY()                                                                              \
    do {                                                                                               \
        if (!std::getenv("DISPLAY"))                                                                   \
            GTEST_SKIP() << "no DISPLAY: this test opens real windows (run scripts/xvfb-ui-tests.sh)"; \
        ::qor::EnsureQtApplication();                                                                  \
        if (!::qor::QtCanShowWindows())                                                                \
            GTEST_SKIP() << "Qt cannot show windows here (QT_QPA_PLATFORM=offscreen?); set it to xcb"; \
    } while (0)

namespace qor::test {

// Lets events run until Done answers true. A window appears and paints when the window system
// gets to it, which on a loaded machine may take many seconds: the wait ends as soon as Done holds,
// and only a long safety limit ends it otherwise.
inline bool PumpUntil(const std::function<bool()>& Done, std::chrono::milliseconds Pause = std::chrono::milliseconds(5))
{
    const auto Limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        Application()->ProcessMessages();
        if (Done())
            return true;
        if (std::chrono::steady_clock::now() > Limit)
            return false;
        std::this_thread::sleep_for(Pause); // leave the display server the processor
    }
}

} // namespace qor::test
