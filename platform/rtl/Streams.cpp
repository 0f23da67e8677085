#include "platform/rtl/Streams.h"

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/TypeInfo.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <new>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace qor {

namespace {

[[noreturn]] void ReadError()
{
    throw EReadError("Stream read error");
}

[[noreturn]] void WriteError()
{
    throw EWriteError("Stream write error");
}

[[noreturn]] void SeekError()
{
    throw EStreamError("Stream seek error");
}

template <class T>
T GetLE(const Byte* P)
{
    using U = std::make_unsigned_t<T>;
    U V = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        V = static_cast<U>(V | (static_cast<U>(P[i]) << (8 * i)));
    return static_cast<T>(V);
}

template <class T>
void PutLE(Byte* P, T Value)
{
    using U = std::make_unsigned_t<T>;
    U V = static_cast<U>(Value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        P[i] = static_cast<Byte>(V >> (8 * i));
}

template <class T>
T ReadLE(TStream& S)
{
    Byte B[sizeof(T)];
    S.ReadBuffer(B, sizeof(T));
    return GetLE<T>(B);
}

template <class T>
void WriteLE(TStream& S, T Value)
{
    Byte B[sizeof(T)];
    PutLE(B, Value);
    S.WriteBuffer(B, sizeof(T));
}

// The position Offset/Origin designates, given the current position and size; raises on a
// negative or overflowing result.
Int64 SeekTarget(Int64 Offset, TSeekOrigin Origin, Int64 Current, Int64 Size)
{
    Int64 Base = 0;
    switch (Origin) {
    case TSeekOrigin::soBeginning: Base = 0; break;
    case TSeekOrigin::soCurrent: Base = Current; break;
    case TSeekOrigin::soEnd: Base = Size; break;
    }
    Int64 Result = 0;
    if (__builtin_add_overflow(Base, Offset, &Result) || Result < 0)
        SeekError();
    return Result;
}

String OsReason(int Err)
{
    return std::strerror(Err);
}

} // namespace

QOR_PUBLISH(TStream) {}
QOR_PUBLISH(TCustomMemoryStream) {}
QOR_PUBLISH(TSpanStream) {}
QOR_PUBLISH(TMemoryStream) {}
QOR_PUBLISH(TBytesStream) {}
QOR_PUBLISH(TStringStream) {}
QOR_PUBLISH(TFileStream) {}

// ---- TStream ------------------------------------------------------------------------------------

TStream::~TStream() = default;

Int64 TStream::Position() const
{
    return const_cast<TStream*>(this)->Seek(0, TSeekOrigin::soCurrent);
}

Int64 TStream::Size() const
{
    auto* Self = const_cast<TStream*>(this);
    Int64 Pos = Self->Seek(0, TSeekOrigin::soCurrent);
    Int64 Result = Self->Seek(0, TSeekOrigin::soEnd);
    Self->Seek(Pos, TSeekOrigin::soBeginning);
    return Result;
}

void TStream::SetSize(Int64)
{
    throw EStreamError("Stream size cannot be changed");
}

void TStream::ReadBuffer(void* Buffer, Int64 Count)
{
    if (Count < 0)
        ReadError();
    auto* P = static_cast<Byte*>(Buffer);
    while (Count > 0) {
        Int64 N = Read(P, Count);
        if (N <= 0)
            ReadError();
        P += N;
        Count -= N;
    }
}

void TStream::WriteBuffer(const void* Buffer, Int64 Count)
{
    if (Count < 0)
        WriteError();
    auto* P = static_cast<const Byte*>(Buffer);
    while (Count > 0) {
        Int64 N = Write(P, Count);
        if (N <= 0)
            WriteError();
        P += N;
        Count -= N;
    }
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count)
{
    if (!Source)
        ReadError();
    if (Count < 0)
        ReadError();
    if (Count == 0) {
        Source->SetPosition(0);
        Count = Source->Size();
    }
    constexpr Int64 ChunkSize = 64 * 1024;
    std::vector<Byte> Chunk(static_cast<std::size_t>(std::min(Count, ChunkSize)));
    Int64 Result = Count;
    while (Count > 0) {
        Int64 N = std::min(Count, ChunkSize);
        Source->ReadBuffer(Chunk.data(), N);
        WriteBuffer(Chunk.data(), N);
        Count -= N;
    }
    return Result;
}

Byte TStream::ReadByte() { return ReadLE<Byte>(*this); }
Word TStream::ReadWord() { return ReadLE<Word>(*this); }
SmallInt TStream::ReadSmallInt() { return ReadLE<SmallInt>(*this); }
Integer TStream::ReadInteger() { return ReadLE<Integer>(*this); }
Cardinal TStream::ReadCardinal() { return ReadLE<Cardinal>(*this); }
Int64 TStream::ReadInt64() { return ReadLE<Int64>(*this); }
Single TStream::ReadSingle() { return std::bit_cast<Single>(ReadLE<std::uint32_t>(*this)); }
Double TStream::ReadDouble() { return std::bit_cast<Double>(ReadLE<std::uint64_t>(*this)); }

std::vector<Byte> TStream::ReadBytes(Int64 Count)
{
    if (Count < 0)
        ReadError();
    // Never trust a count read from a file for the allocation: grow as bytes actually arrive.
    std::vector<Byte> Result;
    constexpr Int64 ChunkSize = 64 * 1024;
    while (Count > 0) {
        Int64 N = std::min(Count, ChunkSize);
        std::size_t Old = Result.size();
        Result.resize(Old + static_cast<std::size_t>(N));
        ReadBuffer(Result.data() + Old, N);
        Count -= N;
    }
    return Result;
}

void TStream::WriteByte(Byte Value) { WriteLE(*this, Value); }
void TStream::WriteWord(Word Value) { WriteLE(*this, Value); }
void TStream::WriteSmallInt(SmallInt Value) { WriteLE(*this, Value); }
void TStream::WriteInteger(Integer Value) { WriteLE(*this, Value); }
void TStream::WriteCardinal(Cardinal Value) { WriteLE(*this, Value); }
void TStream::WriteInt64(Int64 Value) { WriteLE(*this, Value); }
void TStream::WriteSingle(Single Value) { WriteLE(*this, std::bit_cast<std::uint32_t>(Value)); }
void TStream::WriteDouble(Double Value) { WriteLE(*this, std::bit_cast<std::uint64_t>(Value)); }

void TStream::WriteBytes(std::span<const Byte> Bytes)
{
    WriteBuffer(Bytes.data(), static_cast<Int64>(Bytes.size()));
}

void TStream::WriteString(const String& Value)
{
    WriteBuffer(Value.data(), static_cast<Int64>(Value.size()));
}

// ---- TCustomMemoryStream ------------------------------------------------------------------------

Int64 TCustomMemoryStream::Read(void* Buffer, Int64 Count)
{
    if (Count <= 0 || FPosition >= FSize)
        return 0;
    Int64 N = std::min(Count, FSize - FPosition);
    std::memcpy(Buffer, FMemory + FPosition, static_cast<std::size_t>(N));
    FPosition += N;
    return N;
}

Int64 TCustomMemoryStream::Write(const void*, Int64)
{
    return 0;
}

Int64 TCustomMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin)
{
    FPosition = SeekTarget(Offset, Origin, FPosition, FSize);
    return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) const
{
    if (FSize > 0)
        Stream->WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const String& FileName) const
{
    TFileStream F(FileName, fmCreate);
    SaveToStream(&F);
    F.Flush();
}

void TCustomMemoryStream::SetPointer(const Byte* Ptr, Int64 Size)
{
    FMemory = Ptr;
    FSize = Size;
}

// ---- TSpanStream --------------------------------------------------------------------------------

TSpanStream::TSpanStream(std::span<const Byte> Bytes)
{
    SetPointer(Bytes.data(), static_cast<Int64>(Bytes.size()));
}

TSpanStream::TSpanStream(const void* Data, Int64 Size)
{
    SetPointer(static_cast<const Byte*>(Data), Data ? std::max<Int64>(Size, 0) : 0);
}

// ---- TMemoryStream ------------------------------------------------------------------------------

TMemoryStream::~TMemoryStream() = default;

void TMemoryStream::Reserve(Int64 Needed)
{
    if (Needed <= Capacity())
        return;
    // Grow by half again (at least 256 bytes, a multiple of 256) so that many small writes stay
    // amortised O(1); near the largest possible size, exactly what is needed.
    const Int64 Max = MaxCapacity();
    const Int64 Cap = Capacity();
    Int64 NewCap = std::max<Int64>({Needed, Cap <= Max / 3 ? Cap + Cap / 2 : Needed, 256});
    if (NewCap <= Max - 255)
        NewCap = (NewCap + 255) & ~Int64(255);
    Resize(NewCap);
}

Int64 TMemoryStream::MaxCapacity() const
{
    // No allocation beyond the 47-bit user address space can succeed: refuse it without trying.
    return std::min(static_cast<Int64>(FData.max_size()), Int64(1) << 47);
}

void TMemoryStream::Resize(Int64 NewCapacity)
{
    if (NewCapacity > MaxCapacity())
        throw EOutOfResources("Out of memory while expanding memory stream");
    try {
        FData.resize(static_cast<std::size_t>(NewCapacity));
    } catch (const std::bad_alloc&) {
        throw EOutOfResources("Out of memory while expanding memory stream");
    } catch (const std::length_error&) {
        throw EOutOfResources("Out of memory while expanding memory stream");
    }
    FMemory = FData.data();
}

Int64 TMemoryStream::Write(const void* Buffer, Int64 Count)
{
    if (Count <= 0)
        return 0;
    Int64 End = 0;
    if (__builtin_add_overflow(FPosition, Count, &End))
        return 0;
    Reserve(End);
    Byte* Data = FData.data();
    // A write beyond the end (after seeking past it) fills the gap with zeros: the bytes there may
    // hold what an earlier, larger size left behind.
    if (FPosition > FSize)
        std::memset(Data + FSize, 0, static_cast<std::size_t>(FPosition - FSize));
    std::memcpy(Data + FPosition, Buffer, static_cast<std::size_t>(Count));
    FPosition = End;
    if (End > FSize)
        FSize = End;
    return Count;
}

void TMemoryStream::SetSize(Int64 NewSize)
{
    if (NewSize < 0)
        throw EStreamError("Invalid stream size (" + std::to_string(NewSize) + ")");
    Int64 OldSize = FSize;
    Reserve(NewSize);
    if (NewSize > OldSize)
        std::memset(FData.data() + OldSize, 0, static_cast<std::size_t>(NewSize - OldSize));
    FSize = NewSize;
    if (FPosition > FSize)
        FPosition = FSize;
}

void TMemoryStream::SetCapacity(Int64 NewCapacity)
{
    NewCapacity = std::max(NewCapacity, FSize);
    const bool Shrinking = NewCapacity < Capacity();
    Resize(NewCapacity);
    if (Shrinking) {
        FData.shrink_to_fit();
        FMemory = FData.data();
    }
}

void TMemoryStream::Clear()
{
    std::vector<Byte>().swap(FData);
    FMemory = nullptr;
    FSize = 0;
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream)
{
    Stream->SetPosition(0);
    Int64 Count = Stream->Size();
    // Read into a fresh buffer first so a failing source leaves this stream as it was.
    std::vector<Byte> Data(static_cast<std::size_t>(std::max<Int64>(Count, 0)));
    if (Count > 0)
        Stream->ReadBuffer(Data.data(), Count);
    FData = std::move(Data);
    FMemory = FData.data();
    FSize = Count;
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const String& FileName)
{
    TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&F);
}

// ---- TBytesStream -------------------------------------------------------------------------------

TBytesStream::TBytesStream(std::vector<Byte> Bytes)
{
    FSize = static_cast<Int64>(Bytes.size());
    FData = std::move(Bytes);
    FMemory = FData.data();
}

std::vector<Byte> TBytesStream::Bytes() const
{
    return std::vector<Byte>(FData.begin(), FData.begin() + FSize);
}

// ---- TStringStream ------------------------------------------------------------------------------

TStringStream::TStringStream(const String& AString)
{
    WriteString(AString);
    FPosition = 0;
}

String TStringStream::DataString() const
{
    return String(reinterpret_cast<const char*>(FData.data()), static_cast<std::size_t>(FSize));
}

String TStringStream::ReadString(Int64 Count)
{
    if (Count <= 0 || FPosition >= FSize)
        return String();
    Int64 N = std::min(Count, FSize - FPosition);
    String Result(reinterpret_cast<const char*>(FData.data() + FPosition), static_cast<std::size_t>(N));
    FPosition += N;
    return Result;
}

// ---- TFileStream --------------------------------------------------------------------------------

TFileStream::TFileStream(const String& FileName, Word Mode) : FFileName(FileName)
{
    int Flags = 0;
    const char* StdioMode = nullptr;
    bool Create = (Mode & 0xFF00) == fmCreate;
    if (Create) {
        Flags = O_RDWR | O_CREAT | O_TRUNC;
        StdioMode = "w+b";
        FCanRead = FCanWrite = true;
    } else {
        switch (Mode & 0x0003) {
        case fmOpenWrite:
            Flags = O_WRONLY;
            StdioMode = "wb";   // fdopen does not truncate
            FCanWrite = true;
            break;
        case fmOpenReadWrite:
            Flags = O_RDWR;
            StdioMode = "r+b";
            FCanRead = FCanWrite = true;
            break;
        default:
            Flags = O_RDONLY;
            StdioMode = "rb";
            FCanRead = true;
            break;
        }
    }
    int Fd = ::open(FileName.c_str(), Flags | O_CLOEXEC, 0666);
    int Err = errno;
    if (Fd >= 0) {
        struct stat St {};
        if (::fstat(Fd, &St) == 0 && S_ISDIR(St.st_mode)) {
            ::close(Fd);
            Fd = -1;
            Err = EISDIR;
        }
    }
    if (Fd >= 0) {
        FFile = ::fdopen(Fd, StdioMode);
        if (!FFile) {
            Err = errno;
            ::close(Fd);
        }
    }
    if (!FFile) {
        if (Create)
            throw EFCreateError("Cannot create file \"" + FileName + "\". " + OsReason(Err));
        throw EFOpenError("Cannot open file \"" + FileName + "\". " + OsReason(Err));
    }
    std::setvbuf(FFile, nullptr, _IOFBF, 64 * 1024);
}

TFileStream::~TFileStream()
{
    if (FFile)
        std::fclose(FFile);
}

void TFileStream::PrepareFor(bool Writing)
{
    // Standard I/O needs a seek between a write and a read that follows it, and vice versa.
    Byte Op = Writing ? 2 : 1;
    if (FLastOp != 0 && FLastOp != Op) {
        FlushWrites();
        ::fseeko(FFile, 0, SEEK_CUR);
    }
    FLastOp = Op;
}

void TFileStream::FlushWrites() const
{
    // The bytes standard I/O holds are written here: a full disk refuses them here, not in Write.
    if (FLastOp == 2 && std::fflush(FFile) != 0) {
        FWriteErrno = errno;
        std::clearerr(FFile);
        WriteError();
    }
}

Int64 TFileStream::Read(void* Buffer, Int64 Count)
{
    if (Count <= 0 || !FCanRead)
        return 0;
    PrepareFor(false);
    std::size_t N = std::fread(Buffer, 1, static_cast<std::size_t>(Count), FFile);
    if (N < static_cast<std::size_t>(Count))
        std::clearerr(FFile);
    return static_cast<Int64>(N);
}

Int64 TFileStream::Write(const void* Buffer, Int64 Count)
{
    if (Count <= 0 || !FCanWrite)
        return 0;
    PrepareFor(true);
    std::size_t N = std::fwrite(Buffer, 1, static_cast<std::size_t>(Count), FFile);
    if (N < static_cast<std::size_t>(Count)) {
        FWriteErrno = errno;
        std::clearerr(FFile);
    }
    return static_cast<Int64>(N);
}

Int64 TFileStream::Seek(Int64 Offset, TSeekOrigin Origin)
{
    Int64 Current = ::ftello(FFile);
    if (Origin == TSeekOrigin::soCurrent && Offset == 0)
        return Current;
    Int64 Target = SeekTarget(Offset, Origin, Current,
                              Origin == TSeekOrigin::soEnd ? Size() : 0);
    FlushWrites();
    if (::fseeko(FFile, static_cast<off_t>(Target), SEEK_SET) != 0)
        SeekError();
    FLastOp = 0;
    return Target;
}

Int64 TFileStream::Size() const
{
    FlushWrites();
    struct stat St {};
    if (::fstat(::fileno(FFile), &St) != 0)
        return 0;
    // Buffered bytes written past the end are in the file after the flush; the position may be
    // beyond the end only after a seek, which does not change the size.
    return static_cast<Int64>(St.st_size);
}

void TFileStream::SetSize(Int64 NewSize)
{
    if (NewSize < 0 || !FCanWrite)
        throw EStreamError("Invalid stream size (" + std::to_string(NewSize) + ")");
    Int64 Pos = Position();
    Flush();
    if (::ftruncate(::fileno(FFile), static_cast<off_t>(NewSize)) != 0)
        WriteError();
    Seek(std::min(Pos, NewSize), TSeekOrigin::soBeginning);
}

void TFileStream::Flush()
{
    if (std::fflush(FFile) != 0) {
        FWriteErrno = errno;
        std::clearerr(FFile);
        WriteError();
    }
}

String TFileStream::WriteFailure() const { return FWriteErrno ? String(std::strerror(FWriteErrno)) : String(); }

void SaveFileSafely(const String& FileName, const std::function<void(TStream&)>& Write)
{
    const String Temp = CreateSiblingTempFile(FileName);
    try {
        {
            TFileStream File(Temp, fmCreate);
            try {
                Write(File);
                File.Flush();
            } catch (const EWriteError&) {
                if (File.WriteFailure().empty())
                    throw;
                throw EWriteError("Cannot write file \"" + FileName + "\". " + File.WriteFailure());
            }
        }
        if (std::rename(Temp.c_str(), FileName.c_str()) != 0)
            throw EFCreateError("Cannot create file \"" + FileName + "\". " + std::strerror(errno));
    } catch (...) {
        DeleteFile(Temp);
        throw;
    }
}

} // namespace qor
