// The record stream that spills to a temporary file: what goes in comes out, wherever it lies.

#include "platform/rtl/FileUtils.h"
#include "runtime/output/QorStr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <random>
#include <stdexcept>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace qor;

namespace {

// Makes streams with a given memory limit, and puts the global back.
struct TLimit {
    explicit TLimit(Integer Value) : Saved(QorMaximumMemoryUsage) { QorMaximumMemoryUsage = Value; }
    ~TLimit() { QorMaximumMemoryUsage = Saved; }
    Integer Saved;
};

// A private temporary directory for the test, as TMPDIR.
struct TPrivateTemp {
    TPrivateTemp()
    {
        char Pattern[] = "/tmp/qor-spill-XXXXXX";
        Dir = mkdtemp(Pattern);
        const char* Old = std::getenv("TMPDIR");
        HadOld = Old != nullptr;
        if (Old)
            Saved = Old;
        setenv("TMPDIR", Dir.c_str(), 1);
    }
    ~TPrivateTemp()
    {
        if (HadOld)
            setenv("TMPDIR", Saved.c_str(), 1);
        else
            unsetenv("TMPDIR");
        rmdir(Dir.c_str());
    }
    int Entries() const
    {
        int N = 0;
        if (DIR* D = opendir(Dir.c_str())) {
            while (dirent* E = readdir(D))
                if (String(E->d_name) != "." && String(E->d_name) != "..")
                    ++N;
            closedir(D);
        }
        return N;
    }
    String Dir, Saved;
    bool HadOld = false;
};

std::vector<Byte> ReadAll(TStream& S, std::mt19937& Random)
{
    std::vector<Byte> Out(static_cast<size_t>(S.Size()));
    S.SetPosition(0);
    Int64 Done = 0;
    while (Done < S.Size()) {
        const Int64 Want = std::uniform_int_distribution<Int64>(1, 30000)(Random);
        const Int64 Got = S.Read(Out.data() + Done, std::min(Want, S.Size() - Done));
        EXPECT_GT(Got, 0);
        if (Got <= 0)
            break;
        Done += Got;
    }
    return Out;
}

} // namespace

TEST(SpillStream, TheSameBytesComeBackWhateverTheLimit)
{
    TPrivateTemp Temp;
    for (Integer Limit : {16, 1000, 512000}) {
        TLimit L(Limit);
        TQorStream S;
        std::vector<Byte> Expected;
        std::mt19937 Random(42);
        // Records of all sizes appended, every other one encoded in place, with the preview
        // reading earlier ones between them.
        for (int i = 0; i < 250; ++i) { // about 375 KB: spilled only under the small limits
            std::vector<Byte> Record(std::uniform_int_distribution<size_t>(1, 3000)(Random));
            for (Byte& B : Record)
                B = static_cast<Byte>(Random());
            const Int64 Size = static_cast<Int64>(Record.size());
            if (Byte* Room = i % 2 ? S.AppendRoom(Size + 5) : nullptr) {
                std::copy(Record.begin(), Record.end(), Room);
                S.Appended(Size);
            } else {
                S.WriteBuffer(Record.data(), Size);
            }
            Expected.insert(Expected.end(), Record.begin(), Record.end());
            if (i % 7 == 0) {
                const Int64 End = S.Position();
                const Int64 At = std::uniform_int_distribution<Int64>(0, End - 1)(Random);
                std::vector<Byte> Part(static_cast<size_t>(std::min<Int64>(40, End - At)));
                S.SetPosition(At);
                EXPECT_EQ(S.AppendRoom(1), nullptr) << "room only at the end";
                S.ReadBuffer(Part.data(), static_cast<Int64>(Part.size()));
                EXPECT_TRUE(std::equal(Part.begin(), Part.end(), Expected.begin() + At)) << Limit;
                S.SetPosition(End);
            }
        }
        EXPECT_EQ(S.Size(), static_cast<Int64>(Expected.size()));
        EXPECT_EQ(ReadAll(S, Random), Expected) << "limit " << Limit;
        EXPECT_EQ(S.HasFile(), Limit < 512000) << Limit;
        EXPECT_LE(S.MemorySize(), Limit + 3000);
    }
}

TEST(SpillStream, TheMemoryPartSpillsOnlyOnceItHasPassedTheLimit)
{
    TPrivateTemp Temp;
    TLimit L(512000);
    TQorStream S;
    std::vector<Byte> Block(512000, 7);
    S.WriteBuffer(Block.data(), 512000);
    S.WriteBuffer(Block.data(), 1); // exactly at the limit: stays in memory
    EXPECT_FALSE(S.HasFile());
    EXPECT_EQ(S.MemorySize(), 512001);
    S.WriteBuffer(Block.data(), 1); // past it: moved to the file first
    EXPECT_TRUE(S.HasFile());
    EXPECT_EQ(S.FileStreamSize(), 512001);
    EXPECT_EQ(S.MemorySize(), 1);
    EXPECT_EQ(S.Size(), 512002);
}

TEST(SpillStream, SmallReadsOfSpilledDataComeFromTheReadBuffer)
{
    TPrivateTemp Temp;
    TLimit L(16);
    TQorStream S;
    std::vector<Byte> Data(50000);
    for (size_t i = 0; i < Data.size(); ++i)
        Data[i] = static_cast<Byte>(i * 7);
    S.WriteBuffer(Data.data(), 50000);
    S.WriteBuffer(Data.data(), 1); // everything before it went to the file

    S.SetPosition(100);
    Integer V = 0;
    S.ReadBuffer(&V, 4);
    EXPECT_EQ(S.BufferStart(), 100);
    EXPECT_EQ(S.BufferEnd(), 10100);
    S.ReadBuffer(&V, 4); // just behind: no refill
    EXPECT_EQ(S.BufferStart(), 100);
    EXPECT_EQ(S.Position(), 108);

    std::vector<Byte> Big(20000);
    S.ReadBuffer(Big.data(), 20000); // past the buffer: one refill of 20000
    EXPECT_EQ(S.BufferStart(), 108);
    EXPECT_EQ(S.BufferEnd(), 20108);
    EXPECT_TRUE(std::equal(Big.begin(), Big.end(), Data.begin() + 108));

    S.SetPosition(45000); // near the end of the file part: the buffer holds only what is there
    S.ReadBuffer(&V, 4);
    EXPECT_EQ(S.BufferEnd(), 50001);
}

TEST(SpillStream, SeeksStayInsideAndReadsAdvanceByWhatTheyRead)
{
    TPrivateTemp Temp;
    for (Integer Limit : {16, 512000}) {
        TLimit L(Limit);
        TQorStream S;
        const std::vector<Byte> Data(100, 1);
        S.WriteBuffer(Data.data(), 100);
        S.WriteBuffer(Data.data(), 1);
        EXPECT_EQ(S.Seek(-5, TSeekOrigin::soBeginning), 0);
        EXPECT_EQ(S.Seek(10, TSeekOrigin::soEnd), 101);
        EXPECT_EQ(S.Seek(-1000, TSeekOrigin::soCurrent), 0);
        EXPECT_EQ(S.Seek(INT64_MAX, TSeekOrigin::soCurrent), 101);
        EXPECT_EQ(S.Seek(INT64_MIN, TSeekOrigin::soEnd), 0);
        S.SetPosition(95);
        Byte Buffer[50];
        EXPECT_EQ(S.Read(Buffer, 50), 6) << Limit;
        EXPECT_EQ(S.Position(), 101) << Limit;
        EXPECT_EQ(S.Read(Buffer, 50), 0);
        EXPECT_EQ(S.Position(), 101);
    }
}

TEST(SpillStream, AWriteInsideTheFilePartIsReadBackAndTheStreamGrowsOnFromItsEnd)
{
    TPrivateTemp Temp;
    TLimit L(16);
    TQorStream S;
    std::vector<Byte> Data(100, 1);
    S.WriteBuffer(Data.data(), 100);
    S.WriteBuffer(Data.data(), 10);
    Byte B = 0;
    S.SetPosition(5);
    S.ReadBuffer(&B, 1); // fills the read buffer
    const std::vector<Byte> Patch(4, 9);
    S.SetPosition(50);
    S.WriteBuffer(Patch.data(), 4);
    EXPECT_EQ(S.Size(), 110);
    S.SetPosition(48);
    Byte Got[8];
    S.ReadBuffer(Got, 8);
    EXPECT_EQ(std::vector<Byte>(Got, Got + 8), (std::vector<Byte>{1, 1, 9, 9, 9, 9, 1, 1}));
    S.Seek(0, TSeekOrigin::soEnd);
    S.WriteBuffer(Patch.data(), 4);
    EXPECT_EQ(S.Size(), 114);
}

TEST(SpillStream, TheTemporaryFileNeverOutlivesTheStream)
{
    TPrivateTemp Temp;
    TLimit L(16);
    {
        TQorStream S;
        const std::vector<Byte> Data(1000, 3);
        S.WriteBuffer(Data.data(), 1000);
        S.WriteBuffer(Data.data(), 1000);
        ASSERT_TRUE(S.HasFile());
        EXPECT_EQ(Temp.Entries(), 0); // nothing on disk by name, even while it is in use
        S.Clear();
        EXPECT_FALSE(S.HasFile());
        EXPECT_EQ(S.Size(), 0);
        S.WriteBuffer(Data.data(), 1000);
        S.WriteBuffer(Data.data(), 1000);
        EXPECT_TRUE(S.HasFile());
    }
    EXPECT_EQ(Temp.Entries(), 0);

    // A program that ends by an exception nobody catches leaves nothing behind either.
    EXPECT_DEATH(
        {
            std::thread Run([] {
                TQorStream S;
                const std::vector<Byte> Data(1000, 3);
                S.WriteBuffer(Data.data(), 1000);
                S.WriteBuffer(Data.data(), 1000);
                throw std::runtime_error("the run failed"); // escapes the thread: terminate
            });
            Run.join();
        },
        "");
    EXPECT_EQ(Temp.Entries(), 0);
}

TEST(SpillStream, OnlyEmptyingIsASizeChange)
{
    TQorStream S;
    const Byte B[3] = {1, 2, 3};
    S.WriteBuffer(B, 3);
    EXPECT_THROW(S.SetSize(1), EStreamError);
    EXPECT_EQ(S.Size(), 3);
    S.SetSize(0);
    EXPECT_EQ(S.Size(), 0);
    EXPECT_EQ(S.Position(), 0);
}
