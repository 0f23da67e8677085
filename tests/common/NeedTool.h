#pragma once
// Tests that need an outside program (xvfb-run, unrtf, pdftoppm, zbarimg, sqlite3, cupsd,
// PostgreSQL) skip on a machine without it. With QOR_REQUIRE_TOOLS set (.ci/run sets it) such a
// test fails instead, so a run that checks less than it should cannot pass.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace qor::test {

inline bool ToolsRequired()
{
    const char* Value = std::getenv("QOR_REQUIRE_TOOLS");
    return Value && *Value && std::string(Value) != "0";
}

// The program is found on PATH.
inline bool HaveProgram(const std::string& Name)
{
    return std::system(("command -v '" + Name + "' >/dev/null 2>&1").c_str()) == 0;
}

} // namespace qor::test

// Skips the test (or fails it under QOR_REQUIRE_TOOLS) because a tool it needs is missing.
#define QOR_SKIP_WITHOUT_TOOL(Why)                                                                       \
    do {                                                                                                 \
        if (::qor::test::ToolsRequired())                                                                \
            GTEST_FAIL() << "QOR_REQUIRE_TOOLS is set and a tool this test needs is missing: " << (Why); \
        GTEST_SKIP() << (Why);                                                                           \
    } while (0)
