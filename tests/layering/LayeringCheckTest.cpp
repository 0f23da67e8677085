// scripts/check-layering.sh: the source tree passes, and each kind of include against the layers is
// reported with its file and line.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TCheckResult {
    int Status = -1;
    std::string Output;
};

TCheckResult RunCheck(const fs::path& Root)
{
    const std::string Command = "bash '" QOR_SOURCE_DIR "/scripts/check-layering.sh' '" + Root.string() + "' 2>&1";
    TCheckResult Result;
    FILE* Pipe = popen(Command.c_str(), "r");
    if (!Pipe)
        return Result;
    std::array<char, 4096> Buffer;
    std::size_t N;
    while ((N = fread(Buffer.data(), 1, Buffer.size(), Pipe)) > 0)
        Result.Output.append(Buffer.data(), N);
    const int Raw = pclose(Pipe);
    Result.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
    return Result;
}

// A scratch source tree, removed afterwards.
class LayeringCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        FRoot = fs::temp_directory_path() / ("qor-layering-" + std::to_string(getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(FRoot);
        fs::create_directories(FRoot);
    }
    void TearDown() override { fs::remove_all(FRoot); }

    // Writes a file whose line 3 is the include (two comment lines first).
    void Write(const std::string& Path, const std::string& Include)
    {
        fs::create_directories((FRoot / Path).parent_path());
        std::ofstream(FRoot / Path) << "// one\n// two\n#include " << Include << "\n";
    }
    // Checks that the scratch tree fails and that Location ("file:line:") is reported.
    void ExpectReported(const std::string& Location, const std::string& Words)
    {
        const TCheckResult R = RunCheck(FRoot);
        EXPECT_EQ(R.Status, 1) << R.Output;
        const std::size_t At = R.Output.find(Location);
        ASSERT_NE(At, std::string::npos) << R.Output;
        const std::string Line = R.Output.substr(At, R.Output.find('\n', At) - At);
        EXPECT_NE(Line.find(Words), std::string::npos) << Line;
    }
    void ExpectClean()
    {
        const TCheckResult R = RunCheck(FRoot);
        EXPECT_EQ(R.Status, 0) << R.Output;
        EXPECT_NE(R.Output.find("layering: ok"), std::string::npos) << R.Output;
    }

    fs::path FRoot;
};

} // namespace

TEST(Layering, TheSourceTreeFollowsTheArchitecture)
{
    const TCheckResult R = RunCheck(QOR_SOURCE_DIR);
    EXPECT_EQ(R.Status, 0) << R.Output;
}

TEST_F(LayeringCheck, IncludesDownTheLayersPass)
{
    Write("runtime/engine/KivA.cpp", "\"runtime/output/QorB.h\"");
    Write("runtime/output/QorB.cpp", "\"platform/rtl/Types.h\"");
    Write("platform/ui/Forms.cpp", "\"platform/printing/Printers.h\"");
    Write("platform/graphics/Canvas.cpp", "<QPainter>");
    Write("tools/qor/Main.cpp", "\"runtime/engine/KivA.h\"");
    Write("platform/db/Field.cpp", "\"platform/db/internal/DataSetInternals.h\"");
    Write("platform/db/internal/More.h", "\"platform/db/internal/DataSetInternals.h\"");
    Write("tests/db/FieldTest.cpp", "\"platform/db/internal/DataSetInternals.h\"");
    Write("platform/printing/Printers.cpp", "\"platform/graphics/internal/PrinterDriverSink.h\"");
    ExpectClean();
}

TEST_F(LayeringCheck, IncludesUpTheLayersAreReportedWithTheirLine)
{
    Write("runtime/output/QorOut.cpp", "\"runtime/engine/KivReport.h\"");
    Write("runtime/engine/KivReport.h", "\"designer/Kivrepds.h\"");
    Write("platform/rtl/Object.cpp", "\"runtime/output/QorTypes.h\"");
    Write("runtime/output/QorView.cpp", "\"../engine/KivReport.h\"");
    ExpectReported("runtime/output/QorOut.cpp:3:", "runtime/output includes runtime/engine");
    ExpectReported("runtime/engine/KivReport.h:3:", "runtime/engine includes designer");
    ExpectReported("platform/rtl/Object.cpp:3:", "platform includes runtime/output");
    ExpectReported("runtime/output/QorView.cpp:3:", "include by the path from the source root");
}

TEST_F(LayeringCheck, UnitsOfOneFolderIncludeEachOtherOneWayOnly)
{
    Write("runtime/output/QorA.cpp", "\"runtime/output/QorA.h\"");
    Write("runtime/output/QorA.h", "\"runtime/output/QorB.h\"");
    Write("runtime/output/QorC.cpp", "\"runtime/output/QorB.h\"");
    ExpectClean();
    Write("runtime/output/QorB.cpp", "\"runtime/output/QorA.h\"");
    ExpectReported("runtime/output/QorA.h:3:", "QorA and QorB include each other (runtime/output/QorB.cpp:3)");
}

TEST_F(LayeringCheck, PlatformFoldersKeepTheirOrder)
{
    Write("platform/db/DataSet.cpp", "\"platform/ui/Controls.h\"");
    Write("platform/rtl/Streams.cpp", "\"platform/graphics/Color.h\"");
    Write("platform/graphics/Canvas.h", "\"platform/printing/Printers.h\"");
    ExpectReported("platform/db/DataSet.cpp:3:", "platform/db includes platform/ui");
    ExpectReported("platform/rtl/Streams.cpp:3:", "platform/rtl includes platform/graphics");
    ExpectReported("platform/graphics/Canvas.h:3:", "platform/graphics includes platform/printing");
}

TEST_F(LayeringCheck, QtOnlyInPlatformSources)
{
    Write("platform/graphics/Canvas.h", "<QPainter>");
    Write("runtime/output/QorView.cpp", "<QImage>");
    Write("tests/ui/FormTest.cpp", "<qglobal.h>");
    ExpectReported("platform/graphics/Canvas.h:3:", "Qt header <QPainter> in a header");
    ExpectReported("runtime/output/QorView.cpp:3:", "Qt header <QImage> outside platform/");
    ExpectReported("tests/ui/FormTest.cpp:3:", "Qt header <qglobal.h> outside platform/");
}

TEST_F(LayeringCheck, InternalHeadersStayWithTheirFolder)
{
    Write("runtime/engine/KivData.cpp", "\"platform/db/internal/DataSetInternals.h\"");
    Write("platform/db/DataSet.h", "\"platform/db/internal/DataSetInternals.h\"");
    Write("platform/ui/Grids.cpp", "\"platform/db/internal/DataSetInternals.h\"");
    Write("tests/ui/GridTest.cpp", "\"platform/db/internal/DataSetInternals.h\"");
    Write("platform/graphics/Canvas.cpp", "\"platform/printing/internal/Spool.h\"");
    ExpectReported("runtime/engine/KivData.cpp:3:", "private to platform/db");
    ExpectReported("platform/db/DataSet.h:3:", "public header includes");
    ExpectReported("platform/ui/Grids.cpp:3:", "private to platform/db");
    ExpectReported("tests/ui/GridTest.cpp:3:", "private to platform/db");
    ExpectReported("platform/graphics/Canvas.cpp:3:", "private to platform/printing");
}
