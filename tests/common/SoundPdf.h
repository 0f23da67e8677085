#pragma once
// A PDF a test made passes qpdf's check (structure, cross-reference table, every stream decodes).
// Without qpdf the test is marked skipped (failed under QOR_REQUIRE_TOOLS); its other checks still run.

#include "common/NeedTool.h"

#include <cstdio>
#include <string>

namespace qor::test {

inline void ExpectSoundPdf(const std::string& File)
{
    static const bool Have = HaveProgram("qpdf");
    if (!Have)
        QOR_SKIP_WITHOUT_TOOL("qpdf is not installed");
    std::string Out;
    int Status = -1;
    if (FILE* P = popen(("qpdf --check '" + File + "' 2>&1").c_str(), "r")) {
        char Buf[512];
        while (std::size_t N = std::fread(Buf, 1, sizeof Buf, P))
            Out.append(Buf, N);
        Status = pclose(P);
    }
    EXPECT_TRUE(Status == 0 && Out.find("No syntax or stream encoding errors") != std::string::npos)
        << "qpdf --check " << File << ":\n" << Out;
}

} // namespace qor::test
