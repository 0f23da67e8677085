// Qt's own warnings stay off the terminal unless QORDEBUG asks for them.

#include "platform/rtl/QtHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Starts Qt in a fresh process without XDG_RUNTIME_DIR, which Qt warns about, then says "started".
void StartQtWithoutRuntimeDir(const char* Debug)
{
    unsetenv("XDG_RUNTIME_DIR");
    if (Debug)
        setenv("QORDEBUG", Debug, 1);
    else
        unsetenv("QORDEBUG");
    qor::EnsureQtApplication();
    std::fprintf(stderr, "started");
    std::fflush(stderr);
    std::_Exit(0);
}

} // namespace

TEST(QtMessages, KeptOffStderr)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(StartQtWithoutRuntimeDir(nullptr), ::testing::ExitedWithCode(0), "^started$");
}

TEST(QtMessages, ShownWithQorDebug)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(StartQtWithoutRuntimeDir("yes"), ::testing::ExitedWithCode(0),
                "^Qt: QStandardPaths: XDG_RUNTIME_DIR not set.*started$");
}

