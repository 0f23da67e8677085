#include "runtime/output/QorStr.h"

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/TypeInfo.h"
#include "runtime/output/QorUtil.h"

#include <algorithm>
#include <cstring>

namespace qor {

QOR_PUBLISH(TQorStream) {}

Integer QorMaximumMemoryUsage = 512000;

namespace {

// The least a refill of the read buffer reads from the file part.
constexpr Int64 ReadBufferSize = 10000;

} // namespace

TQorStream::TQorStream() : FMaxMemUsage(std::max<Integer>(QorMaximumMemoryUsage, 0)) {}

TQorStream::~TQorStream() { Clear(); }

void TQorStream::ReserveMemory(Int64 Needed)
{
    if (Needed <= FMemoryCapacity)
        return;
    Int64 Capacity = std::max<Int64>(FMemoryCapacity * 2, 4096);
    Capacity = std::max(Capacity, Needed);
    auto Grown = std::make_unique<Byte[]>(static_cast<std::size_t>(Capacity));
    if (FMemorySize > 0)
        std::memcpy(Grown.get(), FMemory.get(), static_cast<std::size_t>(FMemorySize));
    FMemory = std::move(Grown);
    FMemoryCapacity = Capacity;
}

void TQorStream::WriteMemory(Int64 Offset, const void* Buffer, Int64 Count)
{
    const Int64 End = Offset + Count;
    ReserveMemory(End);
    std::memcpy(FMemory.get() + Offset, Buffer, static_cast<std::size_t>(Count));
    FMemorySize = std::max(FMemorySize, End);
}

TFileStream* TQorStream::GetFileStream()
{
    if (!FFileStream) {
        FTempFileName = QorGetTempFile("Qor");
        try {
            FFileStream = std::make_unique<TFileStream>(FTempFileName, fmCreate);
        } catch (...) {
            DeleteFile(FTempFileName);
            FTempFileName.clear();
            throw;
        }
        // Open, the file needs no name: without one it cannot be left behind, whatever ends the
        // program.
        DeleteFile(FTempFileName);
    }
    return FFileStream.get();
}

void TQorStream::Update()
{
    if (FMemorySize > FMaxMemUsage)
        DumpToFile();
}

void TQorStream::DumpToFile()
{
    if (FMemorySize == 0)
        return;
    TFileStream* File = GetFileStream();
    File->SetPosition(FFileStreamSize);
    File->WriteBuffer(FMemory.get(), FMemorySize);
    FFileStreamSize += FMemorySize;
    FMemorySize = 0; // the capacity stays for the next round
    FStreamSize = FFileStreamSize;
}

void TQorStream::DropBuffer() { FBufferStart = FBufferEnd = 0; }

void TQorStream::Clear()
{
    FStreamPos = FStreamSize = 0;
    FMemorySize = 0;
    DropBuffer();
    FFileStream.reset();
    FTempFileName.clear();
    FFileStreamSize = 0;
}

void TQorStream::SetSize(Int64 NewSize)
{
    if (NewSize != 0)
        throw EStreamError("A record stream can only be emptied, not resized");
    Clear();
}

Int64 TQorStream::Seek(Int64 Offset, TSeekOrigin Origin)
{
    Int64 Base = 0;
    if (Origin == TSeekOrigin::soCurrent)
        Base = FStreamPos;
    else if (Origin == TSeekOrigin::soEnd)
        Base = FStreamSize;
    // Kept inside the stream, and safe from overflow for any offset.
    if (Offset < 0)
        FStreamPos = Offset < -Base ? 0 : Base + Offset;
    else
        FStreamPos = Offset > FStreamSize - Base ? FStreamSize : Base + Offset;
    return FStreamPos;
}

Int64 TQorStream::Write(const void* Buffer, Int64 Count)
{
    if (Count <= 0)
        return 0;
    // The common case, appending below the limit into memory already there.
    const Int64 Offset = FStreamPos - FFileStreamSize;
    if (Offset == FMemorySize && FMemorySize <= FMaxMemUsage && FMemorySize + Count <= FMemoryCapacity) {
        std::memcpy(FMemory.get() + Offset, Buffer, static_cast<std::size_t>(Count));
        FMemorySize += Count;
        FStreamPos += Count;
        FStreamSize += Count;
        return Count;
    }
    Update();
    if (FStreamPos >= FFileStreamSize) {
        WriteMemory(FStreamPos - FFileStreamSize, Buffer, Count);
        FStreamPos += Count;
        FStreamSize = FFileStreamSize + FMemorySize;
        return Count;
    }
    // Inside the file part: all data goes to the file first, then the bytes are written there.
    DumpToFile();
    TFileStream* File = FFileStream.get();
    File->SetPosition(FStreamPos);
    File->WriteBuffer(Buffer, Count);
    FStreamPos += Count;
    FFileStreamSize = FStreamSize = std::max(FFileStreamSize, FStreamPos);
    DropBuffer(); // it may hold what was just overwritten
    return Count;
}

Int64 TQorStream::ReadFilePart(void* Buffer, Int64 Count)
{
    Count = std::min(Count, FFileStreamSize - FStreamPos);
    if (FBufferEnd <= FBufferStart || FStreamPos < FBufferStart || FStreamPos + Count > FBufferEnd) {
        const Int64 Length = std::min(std::max(Count, ReadBufferSize), FFileStreamSize - FStreamPos);
        if (Length > FBufferCapacity) {
            FBuffer = std::make_unique<Byte[]>(static_cast<std::size_t>(Length));
            FBufferCapacity = Length;
        }
        DropBuffer();
        FFileStream->SetPosition(FStreamPos);
        FFileStream->ReadBuffer(FBuffer.get(), Length);
        FBufferStart = FStreamPos;
        FBufferEnd = FStreamPos + Length;
    }
    std::memcpy(Buffer, FBuffer.get() + (FStreamPos - FBufferStart), static_cast<std::size_t>(Count));
    FStreamPos += Count;
    return Count;
}

Int64 TQorStream::Read(void* Buffer, Int64 Count)
{
    // The common case during playback of spilled pages: the bytes are in the read buffer.
    if (Count > 0 && FStreamPos >= FBufferStart && FStreamPos + Count <= FBufferEnd) {
        std::memcpy(Buffer, FBuffer.get() + (FStreamPos - FBufferStart), static_cast<std::size_t>(Count));
        FStreamPos += Count;
        return Count;
    }
    if (Count <= 0 || FStreamPos >= FStreamSize)
        return 0;
    if (FFileStream && FStreamPos < FFileStreamSize) {
        // All data to the file first, so one read never straddles the two parts.
        DumpToFile();
        return ReadFilePart(Buffer, Count);
    }
    const Int64 Offset = FStreamPos - FFileStreamSize;
    const Int64 N = std::min(Count, FMemorySize - Offset);
    std::memcpy(Buffer, FMemory.get() + Offset, static_cast<std::size_t>(N));
    FStreamPos += N;
    return N;
}

} // namespace qor
