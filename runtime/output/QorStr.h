#pragma once
// The record stream of a page file: held in memory up to a limit, in a temporary file beyond it,
// and readable and seekable anywhere while it grows (the preview plays early pages while later
// ones are appended).

#include "platform/rtl/Streams.h"

#include <memory>

namespace qor {

// The memory limit of record streams made from now on, in bytes.
extern Integer QorMaximumMemoryUsage;

// A stream whose first part lies in a temporary file and whose rest (at most the limit, plus one
// write) in memory. Appending copies into memory; once the memory part has passed the limit, the
// next write first appends it to the file in one piece. Reads of the file part go through a read
// buffer of at least 10000 bytes, so small sequential reads touch the disk rarely.
//
// The temporary file has no name on disk once made: it goes with the stream, however the program
// ends. Positions stay inside the stream (0 to Size); a read advances by what it read.
class TQorStream : public TStream {
    QOR_CLASS(TQorStream, TStream)
public:
    TQorStream();
    ~TQorStream() override;

    // Room for Count bytes at the end of the memory part, for a writer that encodes in place
    // (bytes gathered elsewhere and copied cost more than the encoding): the caller writes there,
    // then Appended with the count it wrote (at most Count), before anything else uses the stream.
    // nullptr when the position is not at the end: Write then.
    Byte* AppendRoom(Int64 Count)
    {
        if (FStreamPos != FStreamSize || FStreamPos - FFileStreamSize != FMemorySize)
            return nullptr;
        if (FMemorySize > FMaxMemUsage)
            DumpToFile();
        if (FMemorySize + Count > FMemoryCapacity)
            ReserveMemory(FMemorySize + Count);
        return FMemory.get() + FMemorySize;
    }
    void Appended(Int64 Count)
    {
        FMemorySize += Count;
        FStreamPos += Count;
        FStreamSize += Count;
    }

    Int64 Read(void* Buffer, Int64 Count) override;
    Int64 Write(const void* Buffer, Int64 Count) override;
    // Clamps the new position to 0..Size.
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 Size() const override { return FStreamSize; }
    // Only emptying (0) is supported: a record stream grows by appending.
    void SetSize(Int64 NewSize) override;

    // The temporary file, made on first use.
    TFileStream* GetFileStream();
    // Moves the memory part to the file when it has passed the limit.
    void Update();
    // Appends the memory part to the file and empties it.
    void DumpToFile();
    // Empty again: the temporary file is closed and gone.
    void Clear();

    Integer MaxMemUsage() const { return FMaxMemUsage; }
    // Bytes held in the temporary file; the rest is in memory.
    Int64 FileStreamSize() const { return FFileStreamSize; }
    Int64 MemorySize() const { return FMemorySize; }
    bool HasFile() const { return FFileStream != nullptr; }
    // The range of the file part held in the read buffer.
    Int64 BufferStart() const { return FBufferStart; }
    Int64 BufferEnd() const { return FBufferEnd; }

private:
    void WriteMemory(Int64 Offset, const void* Buffer, Int64 Count);
    void ReserveMemory(Int64 Needed);
    Int64 ReadFilePart(void* Buffer, Int64 Count);
    void DropBuffer();

    std::unique_ptr<Byte[]> FMemory; // the memory part: FMemorySize bytes of FMemoryCapacity
    Int64 FMemorySize = 0;
    Int64 FMemoryCapacity = 0;
    std::unique_ptr<TFileStream> FFileStream;
    String FTempFileName;
    Int64 FStreamPos = 0;
    Int64 FStreamSize = 0;
    Int64 FFileStreamSize = 0;
    Integer FMaxMemUsage;
    std::unique_ptr<Byte[]> FBuffer; // read buffer over the file part
    Int64 FBufferCapacity = 0;
    Int64 FBufferStart = 0;
    Int64 FBufferEnd = 0;
};

} // namespace qor
