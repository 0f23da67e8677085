#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <unistd.h>

using namespace qor;

namespace {

// A fresh scratch folder per test, removed afterwards.
class TempDir {
public:
    TempDir()
    {
        char Tmpl[] = "/tmp/qor-streams-XXXXXX";
        Path = ::mkdtemp(Tmpl);
    }
    ~TempDir() { std::filesystem::remove_all(Path); }
    String File(const String& Name) const { return Path + "/" + Name; }
    String Path;
};

String ReadAll(const String& FileName)
{
    std::ifstream F(FileName, std::ios::binary);
    return String(std::istreambuf_iterator<char>(F), {});
}

// A source that hands out at most two bytes per Read, like a pipe or a socket would.
class TTrickleStream : public TMemoryStream {
public:
    Int64 Read(void* Buffer, Int64 Count) override
    {
        return TMemoryStream::Read(Buffer, std::min<Int64>(Count, 2));
    }
};

} // namespace

TEST(MemoryStream, ShortReadsAnswerWhatThereIsAndReadBufferRaises)
{
    TMemoryStream M;
    M.WriteString("abc");
    M.SetPosition(1);
    char Buf[8] = {};
    EXPECT_EQ(M.Read(Buf, 8), 2);
    EXPECT_EQ(String(Buf, 2), "bc");
    EXPECT_EQ(M.Read(Buf, 8), 0);
    M.SetPosition(1);
    try {
        M.ReadBuffer(Buf, 3);
        FAIL() << "no exception";
    } catch (const EReadError& E) {
        EXPECT_EQ(E.Message(), "Stream read error");
    }
    M.SetPosition(3);
    EXPECT_THROW(M.ReadByte(), EReadError);
}

TEST(MemoryStream, ReadBufferCollectsPartialReads)
{
    TTrickleStream T;
    T.WriteString("hello world");
    T.SetPosition(0);
    char Buf[11];
    T.ReadBuffer(Buf, 11);
    EXPECT_EQ(String(Buf, 11), "hello world");
}

TEST(MemoryStream, SeekingPastTheEndThenWritingZeroFillsTheGap)
{
    TMemoryStream M;
    M.WriteString("abcdef");
    M.SetSize(2);          // leaves stale bytes in the buffer beyond the new end
    EXPECT_EQ(M.Seek(3, soFromEnd), 5);
    EXPECT_EQ(M.Size(), 2);   // seeking alone does not grow the stream
    char Buf[1];
    EXPECT_EQ(M.Read(Buf, 1), 0);
    M.WriteByte('Z');
    ASSERT_EQ(M.Size(), 6);
    const auto* P = static_cast<const Byte*>(M.Memory());
    EXPECT_EQ(String(reinterpret_cast<const char*>(P), 6), String("ab\0\0\0Z", 6));
}

TEST(MemoryStream, SizeChangesZeroFillAndClampThePosition)
{
    TMemoryStream M;
    M.WriteString("xyz");
    M.SetSize(1);
    EXPECT_EQ(M.Position(), 1);
    M.SetSize(4);
    EXPECT_EQ(M.Position(), 1);
    const auto* P = static_cast<const Byte*>(M.Memory());
    EXPECT_EQ(P[1], 0);
    EXPECT_EQ(P[3], 0);
    EXPECT_THROW(M.SetSize(-1), EStreamError);
    EXPECT_THROW(M.Seek(-5, soCurrent), EStreamError);
    M.Clear();
    EXPECT_EQ(M.Size(), 0);
    EXPECT_EQ(M.Position(), 0);
}

TEST(MemoryStream, ImpossibleSizesRaiseOutOfResources)
{
    TMemoryStream M;
    M.WriteString("abc");
    Byte B[4] = {1, 2, 3, 4};
    M.Seek(std::numeric_limits<Int64>::max() - 100, soBeginning);
    EXPECT_THROW(M.Write(B, 4), EOutOfResources);
    EXPECT_THROW(M.SetSize(std::numeric_limits<Int64>::max()), EOutOfResources);
    EXPECT_THROW(M.SetCapacity(std::numeric_limits<Int64>::max()), EOutOfResources);
    EXPECT_EQ(M.Size(), 3);   // nothing lost
    M.SetPosition(0);
    EXPECT_EQ(M.ReadByte(), 'a');
}

TEST(MemoryStream, ManySmallWritesGrowGeometrically)
{
    TMemoryStream M;
    int Reallocations = 0;
    const void* Last = nullptr;
    for (int i = 0; i < 100000; ++i) {
        M.WriteInteger(i);
        if (M.Memory() != Last) {
            ++Reallocations;
            Last = M.Memory();
        }
    }
    EXPECT_EQ(M.Size(), 400000);
    EXPECT_LT(Reallocations, 40);
    M.SetPosition(4 * 777);
    EXPECT_EQ(M.ReadInteger(), 777);
}

TEST(Stream, LittleEndianHelpersRoundTrip)
{
    TMemoryStream M;
    M.WriteByte(0xAB);
    M.WriteWord(0x1234);
    M.WriteSmallInt(-2);
    M.WriteInteger(-123456789);
    M.WriteCardinal(0xDEADBEEF);
    M.WriteInt64(-0x123456789ABCLL);
    M.WriteSingle(1.5f);
    M.WriteDouble(-2.25);
    EXPECT_EQ(M.Size(), 1 + 2 + 2 + 4 + 4 + 8 + 4 + 8);
    const auto* P = static_cast<const Byte*>(M.Memory());
    EXPECT_EQ(P[1], 0x34);   // low byte first
    EXPECT_EQ(P[2], 0x12);
    EXPECT_EQ(P[5], 0xEB);   // -123456789 = 0xF8A432EB
    EXPECT_EQ(P[8], 0xF8);
    M.SetPosition(0);
    EXPECT_EQ(M.ReadByte(), 0xAB);
    EXPECT_EQ(M.ReadWord(), 0x1234);
    EXPECT_EQ(M.ReadSmallInt(), -2);
    EXPECT_EQ(M.ReadInteger(), -123456789);
    EXPECT_EQ(M.ReadCardinal(), 0xDEADBEEFu);
    EXPECT_EQ(M.ReadInt64(), -0x123456789ABCLL);
    EXPECT_EQ(M.ReadSingle(), 1.5f);
    EXPECT_EQ(M.ReadDouble(), -2.25);
}

TEST(Stream, ReadBytesDoesNotTrustAHugeCount)
{
    TMemoryStream M;
    M.WriteString("abc");
    M.SetPosition(0);
    EXPECT_THROW(M.ReadBytes(Int64(1) << 40), EReadError);
    M.SetPosition(0);
    EXPECT_EQ(M.ReadBytes(2), (std::vector<Byte>{'a', 'b'}));
    EXPECT_THROW(M.ReadBytes(-1), EReadError);
}

TEST(Stream, CopyFromWithCountZeroCopiesTheWholeSourceFromItsStart)
{
    TStringStream Src("0123456789");
    Src.SetPosition(7);
    TMemoryStream Dst;
    Dst.WriteString(">");
    EXPECT_EQ(Dst.CopyFrom(&Src, 0), 10);
    TStringStream Check("");
    Check.CopyFrom(&Dst, 0);
    EXPECT_EQ(Check.DataString(), ">0123456789");

    Src.SetPosition(4);
    TStringStream Part("");
    EXPECT_EQ(Part.CopyFrom(&Src, 3), 3);
    EXPECT_EQ(Part.DataString(), "456");
    EXPECT_EQ(Src.Position(), 7);
    EXPECT_THROW(Part.CopyFrom(&Src, 4), EReadError);   // only three bytes are left
}

TEST(Stream, CopyFromLargerThanOneChunk)
{
    TMemoryStream Src;
    for (int i = 0; i < 50000; ++i)
        Src.WriteInteger(i);
    TMemoryStream Dst;
    EXPECT_EQ(Dst.CopyFrom(&Src, 0), 200000);
    Dst.SetPosition(199996);
    EXPECT_EQ(Dst.ReadInteger(), 49999);
}

TEST(SpanStream, ReadsButRefusesWrites)
{
    const Byte Data[] = {1, 2, 3};
    TSpanStream S(Data);
    EXPECT_EQ(S.Size(), 3);
    EXPECT_EQ(S.ReadWord(), 0x0201);
    EXPECT_EQ(S.Write(Data, 1), 0);
    EXPECT_THROW(S.WriteByte(9), EWriteError);
    EXPECT_THROW(S.SetSize(1), EStreamError);
    EXPECT_EQ(Data[0], 1);
}

TEST(StringStream, DataStringAndReadString)
{
    TStringStream S("héllo");
    EXPECT_EQ(S.Position(), 0);
    EXPECT_EQ(S.ReadString(3), "h\xC3\xA9");
    S.Seek(0, soEnd);
    S.WriteString("!");
    EXPECT_EQ(S.DataString(), "héllo!");
    EXPECT_EQ(S.ReadString(5), "");
}

TEST(BytesStream, HandsOverOnlyTheBytesInUse)
{
    TBytesStream B(std::vector<Byte>{9, 8, 7});
    EXPECT_EQ(B.Size(), 3);
    B.Seek(0, soEnd);
    B.WriteByte(6);
    EXPECT_EQ(B.Bytes(), (std::vector<Byte>{9, 8, 7, 6}));
}

TEST(FileStream, CannotCreateNamesTheFileAndTheReason)
{
    TempDir T;
    String Name = T.File("no/such/folder/x.bin");
    try {
        TFileStream F(Name, fmCreate);
        FAIL() << "no exception";
    } catch (const EFCreateError& E) {
        EXPECT_EQ(E.Message(), "Cannot create file \"" + Name + "\". No such file or directory");
    }
}

TEST(FileStream, CannotOpenNamesTheFileAndTheReason)
{
    TempDir T;
    String Name = T.File("missing.bin");
    for (Word Mode : {fmOpenRead, fmOpenWrite, fmOpenReadWrite}) {
        try {
            TFileStream F(Name, Mode);
            FAIL() << "no exception";
        } catch (const EFOpenError& E) {
            EXPECT_EQ(E.Message(), "Cannot open file \"" + Name + "\". No such file or directory");
        }
    }
    // A folder is not a file.
    EXPECT_THROW(TFileStream(T.Path, fmOpenRead), EFOpenError);
    EXPECT_FALSE(std::filesystem::exists(Name));
}

TEST(FileStream, CreateReplacesAndOpenWriteKeepsContents)
{
    TempDir T;
    String Name = T.File("a.bin");
    {
        TFileStream F(Name, fmCreate);
        F.WriteString("0123456789");
    }
    EXPECT_EQ(ReadAll(Name), "0123456789");
    {
        TFileStream F(Name, fmOpenWrite);
        F.Seek(2, soBeginning);
        F.WriteString("ab");
        char C;
        EXPECT_EQ(F.Read(&C, 1), 0);   // write-only
    }
    EXPECT_EQ(ReadAll(Name), "01ab456789");
    {
        TFileStream F(Name, fmOpenRead);
        EXPECT_EQ(F.Write("x", 1), 0);
        EXPECT_THROW(F.WriteByte(1), EWriteError);
        EXPECT_THROW(F.SetSize(0), EStreamError);
    }
    {
        TFileStream F(Name, fmCreate | fmShareExclusive);
        EXPECT_EQ(F.Size(), 0);
    }
    EXPECT_EQ(ReadAll(Name), "");
}

TEST(FileStream, MixedReadsWritesAndSeeksSeeTheSameBytes)
{
    TempDir T;
    TFileStream F(T.File("m.bin"), fmCreate);
    F.WriteInteger(1);
    F.WriteInteger(2);
    EXPECT_EQ(F.Size(), 8);   // buffered bytes count
    F.SetPosition(4);
    EXPECT_EQ(F.ReadInteger(), 2);
    F.WriteInteger(3);       // a write right after a read
    F.SetPosition(0);
    EXPECT_EQ(F.ReadInteger(), 1);
    F.WriteInteger(7);       // overwrites the second value
    EXPECT_EQ(F.ReadInteger(), 3);
    EXPECT_EQ(F.Position(), 12);
    EXPECT_THROW(F.ReadByte(), EReadError);
    F.SetPosition(4);
    EXPECT_EQ(F.ReadInteger(), 7);
}

TEST(FileStream, SeekPastEndThenWriteZeroFillsAndSetSizeTruncates)
{
    TempDir T;
    String Name = T.File("gap.bin");
    {
        TFileStream F(Name, fmCreate);
        F.WriteString("ab");
        EXPECT_EQ(F.Seek(3, soCurrent), 5);
        EXPECT_EQ(F.Size(), 2);
        F.WriteString("Z");
        EXPECT_EQ(F.Size(), 6);
        F.SetSize(4);
        EXPECT_EQ(F.Position(), 4);
        F.SetSize(5);
        F.Flush();
    }
    EXPECT_EQ(ReadAll(Name), String("ab\0\0\0", 5));
}

TEST(FileStream, MemoryStreamFileRoundTrip)
{
    TempDir T;
    String Name = T.File("r.bin");
    TMemoryStream M;
    for (int i = 0; i < 30000; ++i)
        M.WriteInteger(i * 3);
    M.SaveToFile(Name);
    TMemoryStream N;
    N.WriteString("old contents");
    N.LoadFromFile(Name);
    EXPECT_EQ(N.Size(), 120000);
    EXPECT_EQ(N.Position(), 0);
    N.SetPosition(4 * 29999);
    EXPECT_EQ(N.ReadInteger(), 29999 * 3);
    // A failed load leaves the stream as it was.
    EXPECT_THROW(N.LoadFromFile(T.File("missing")), EFOpenError);
    EXPECT_EQ(N.Size(), 120000);
}
