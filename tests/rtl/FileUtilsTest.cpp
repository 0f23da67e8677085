#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace qor;

TEST(FileUtils, NameParts)
{
    EXPECT_EQ(ExtractFileName("/a/b.c/name.ext"), "name.ext");
    EXPECT_EQ(ExtractFileName("name"), "name");
    EXPECT_EQ(ExtractFilePath("/a/b.c/name.ext"), "/a/b.c/");
    EXPECT_EQ(ExtractFilePath("name"), "");
    EXPECT_EQ(ExtractFileDir("/a/b/name.ext"), "/a/b");
    EXPECT_EQ(ExtractFileDir("/name"), "/");
    EXPECT_EQ(ExtractFileExt("/a/b.c/name.ext"), ".ext");
    EXPECT_EQ(ExtractFileExt("/a/b.c/name"), "");
    EXPECT_EQ(ExtractFileExt("archive.tar.gz"), ".gz");
    EXPECT_EQ(ChangeFileExt("/a/b.c/name.ext", ".qor"), "/a/b.c/name.qor");
    EXPECT_EQ(ChangeFileExt("/a/b.c/name", ".qor"), "/a/b.c/name.qor");
    EXPECT_EQ(ChangeFileExt("name.ext", ""), "name");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp"), "/tmp/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp/"), "/tmp/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/tmp/"), "/tmp");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
}

TEST(FileUtils, TempFilesAreNewAndUnique)
{
    std::set<String> names;
    for (int i = 0; i < 50; ++i) {
        const String name = CreateTempFile("Qor");
        EXPECT_TRUE(FileExists(name));
        EXPECT_EQ(ExtractFilePath(name), GetTempDir());
        EXPECT_EQ(ExtractFileName(name).rfind("Qor", 0), 0u);
        EXPECT_TRUE(names.insert(name).second);
    }
    for (const String& n : names) {
        EXPECT_TRUE(DeleteFile(n));
        EXPECT_FALSE(FileExists(n));
        EXPECT_FALSE(DeleteFile(n));
    }
    EXPECT_THROW(CreateTempFile("../x/"), EFCreateError);
}

TEST(FileUtils, TempDirFollowsTMPDIR)
{
    const String saved = GetEnvironmentVariable("TMPDIR");
    char dirTemplate[] = "/tmp/qortestXXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    setenv("TMPDIR", dirTemplate, 1);
    EXPECT_EQ(GetTempDir(), String(dirTemplate) + "/");
    const String name = CreateTempFile("Spill");
    EXPECT_EQ(ExtractFilePath(name), String(dirTemplate) + "/");
    EXPECT_TRUE(DeleteFile(name));
    setenv("TMPDIR", "/nonexistent-qor-dir", 1);
    EXPECT_THROW(CreateTempFile("x"), EFCreateError);
    setenv("TMPDIR", "", 1);
    EXPECT_EQ(GetTempDir(), "/tmp/");
    if (saved.empty())
        unsetenv("TMPDIR");
    else
        setenv("TMPDIR", saved.c_str(), 1);
    rmdir(dirTemplate);
}

TEST(FileUtils, ExistenceChecks)
{
    EXPECT_TRUE(DirectoryExists("/tmp"));
    EXPECT_FALSE(FileExists("/tmp"));
    EXPECT_FALSE(DeleteFile("/tmp"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(DirectoryExists("/no/such/dir"));
    EXPECT_EQ(GetEnvironmentVariable("QOR_SURELY_NOT_SET_123"), "");
}

TEST(FileUtils, SaveFileSafelyReplacesTheFileOnlyWhenTheNewContentsAreComplete)
{
    char dirTemplate[] = "/tmp/qorsaveXXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const String dir = dirTemplate;
    const String file = dir + "/report.txt";
    const auto contents = [](const String& name) {
        std::ifstream in(name);
        return String(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const auto entries = [&dir] {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            n += e.is_regular_file() || e.is_directory() ? 1 : 0;
        return n;
    };
    SaveFileSafely(file, [](TStream& s) { s.WriteString("first"); });
    EXPECT_EQ(contents(file), "first");
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    // A failure while writing keeps the old file and leaves no new one.
    EXPECT_THROW(SaveFileSafely(file,
                                [](TStream& s) {
                                    s.WriteString("half");
                                    throw EWriteError("disk full");
                                }),
                 EWriteError);
    EXPECT_EQ(contents(file), "first");
    EXPECT_EQ(entries(), 1);
    // A replacement keeps the mode of the file it replaces.
    SaveFileSafely(file, [](TStream& s) { s.WriteString("second"); });
    EXPECT_EQ(contents(file), "second");
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(entries(), 1);
    EXPECT_THROW(SaveFileSafely(dir + "/missing/x.txt", [](TStream&) {}), EFCreateError);
    std::filesystem::remove_all(dir);
}
