// .ci/run: CI cannot pass while checking less. It sets QOR_REQUIRE_TOOLS, so a test whose outside
// program is missing fails instead of skipping; shown here with sqlite3 hidden from PATH and only
// the test that needs it run.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A folder of links to every program on PATH but Hidden.
fs::path PathWithout(const std::string& Hidden, const fs::path& Dir)
{
    fs::create_directories(Dir);
    std::set<std::string> Seen{Hidden};
    std::stringstream Path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
    for (std::string Folder; std::getline(Path, Folder, ':');) {
        std::error_code Ec;
        for (const auto& E : fs::directory_iterator(Folder, Ec))
            if (Seen.insert(E.path().filename().string()).second)
                fs::create_symlink(E.path(), Dir / E.path().filename(), Ec);
    }
    return Dir;
}

struct TCiRun {
    int Status = -1;
    std::string Log;
};

TCiRun RunCi(const std::string& Path, const fs::path& Log)
{
    // The build tree this test belongs to, as it is configured: nothing is built again.
    const std::string Command = "cd '" QOR_SOURCE_DIR "' && env PATH='" + Path +
                                "' BUILD='" QOR_BINARY_DIR "' BUILD_TYPE='" QOR_BUILD_TYPE
                                "' CLANGXX= JOBS=1 CTEST_ARGS='-R ^SalesScript[.]BuildsTheRowsItIsAskedForTheSameEveryTime$' "
                                "bash .ci/run > '" +
                                Log.string() + "' 2>&1";
    TCiRun R;
    const int Raw = std::system(Command.c_str());
    R.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
    std::ifstream In(Log);
    std::stringstream Text;
    Text << In.rdbuf();
    R.Log = Text.str();
    return R;
}

TEST(CiScript, FailsWhenAProgramATestNeedsIsMissing)
{
    const fs::path Dir = fs::path(QOR_BINARY_DIR) / "test-output" / "ci-script";
    fs::remove_all(Dir);
    fs::create_directories(Dir);

    const TCiRun Hidden = RunCi(PathWithout("sqlite3", Dir / "bin").string(), Dir / "hidden.log");
    EXPECT_NE(Hidden.Status, 0) << Hidden.Log;
    EXPECT_NE(Hidden.Log.find("QOR_REQUIRE_TOOLS is set and a tool this test needs is missing: the sqlite3 program"),
              std::string::npos)
        << Hidden.Log;
    EXPECT_NE(Hidden.Log.find("0% tests passed, 1 tests failed out of 1"), std::string::npos) << Hidden.Log;

    const TCiRun Present = RunCi(std::getenv("PATH"), Dir / "present.log");
    EXPECT_EQ(Present.Status, 0) << Present.Log;
    EXPECT_NE(Present.Log.find("100% tests passed, 0 tests failed out of 1"), std::string::npos) << Present.Log;
    fs::remove_all(Dir);
}

} // namespace
