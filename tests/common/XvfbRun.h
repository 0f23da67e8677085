#pragma once
// Runs one suite of real-window tests of this test program again under a virtual X server, so a
// plain ctest without a display runs them too: they must all pass, none skipped.

#include "common/NeedTool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace qor::test {

inline void ExpectSuitePassesUnderXvfb(const std::string& Suite)
{
    if (std::getenv("QOR_UNDER_XVFB"))
        GTEST_SKIP() << "already under xvfb-run";
    // Also with a display: the tests under it may skip (QT_QPA_PLATFORM=offscreen), never both.
    if (!HaveProgram("xvfb-run"))
        QOR_SKIP_WITHOUT_TOOL("xvfb-run is not installed (scripts/install-deps.sh installs it)");
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = 0;
    const std::filesystem::path log =
        std::filesystem::path(self).parent_path() / ("xvfb-" + Suite + "-" + std::to_string(::getpid()) + ".log");
    const std::string cmd = "xvfb-run -a -s '-screen 0 1280x1024x24' env QOR_UNDER_XVFB=1 QT_QPA_PLATFORM=xcb '" +
                            std::string(self) + "' --gtest_filter='" + Suite + ".*' > '" + log.string() + "' 2>&1";
    const int rc = std::system(cmd.c_str());
    std::ifstream in(log);
    std::stringstream out;
    out << in.rdbuf();
    in.close();
    std::filesystem::remove(log);
    EXPECT_EQ(rc, 0) << out.str();
    // every test of the suite ran and passed
    int expected = 0;
    const auto* unit = ::testing::UnitTest::GetInstance();
    for (int i = 0; i < unit->total_test_suite_count(); ++i)
        if (std::string(unit->GetTestSuite(i)->name()) == Suite)
            expected = unit->GetTestSuite(i)->total_test_count();
    EXPECT_GT(expected, 0);
    EXPECT_NE(out.str().find("[  PASSED  ] " + std::to_string(expected) + " test"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("SKIPPED"), std::string::npos) << out.str();
}

} // namespace qor::test
