#pragma once
// Byte streams: the abstract TStream with little-endian helpers for binary formats, memory
// streams (growing, over a byte vector, over a read-only span), string streams and file streams.

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace qor {

enum class TSeekOrigin : Byte { soBeginning, soCurrent, soEnd };
inline constexpr TSeekOrigin soBeginning = TSeekOrigin::soBeginning;
inline constexpr TSeekOrigin soCurrent = TSeekOrigin::soCurrent;
inline constexpr TSeekOrigin soEnd = TSeekOrigin::soEnd;
inline constexpr TSeekOrigin soFromBeginning = TSeekOrigin::soBeginning;
inline constexpr TSeekOrigin soFromCurrent = TSeekOrigin::soCurrent;
inline constexpr TSeekOrigin soFromEnd = TSeekOrigin::soEnd;

class TStream : public TObject {
    QOR_CLASS(TStream, TObject)
public:
    TStream() = default;
    ~TStream() override;

    // Transfer up to Count bytes; answer how many were transferred (0 at the end, never negative).
    virtual Int64 Read(void* Buffer, Int64 Count) = 0;
    virtual Int64 Write(const void* Buffer, Int64 Count) = 0;
    // Moves the position and answers the new one. Positions past the end are allowed; a negative
    // result raises EStreamError.
    virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;

    Int64 Position() const;
    void SetPosition(Int64 Value) { Seek(Value, TSeekOrigin::soBeginning); }
    virtual Int64 Size() const;
    // Streams that cannot change their size raise EStreamError.
    virtual void SetSize(Int64 NewSize);

    // Exactly Count bytes or EReadError "Stream read error" / EWriteError "Stream write error".
    void ReadBuffer(void* Buffer, Int64 Count);
    void WriteBuffer(const void* Buffer, Int64 Count);

    // Copies Count bytes from Source's position; Count 0 copies the whole of Source from its start.
    // Answers the number of bytes copied; a short source raises EReadError.
    Int64 CopyFrom(TStream* Source, Int64 Count);

    // Little-endian fixed-size values; a short read raises EReadError.
    Byte ReadByte();
    Word ReadWord();
    SmallInt ReadSmallInt();
    Integer ReadInteger();
    Cardinal ReadCardinal();
    Int64 ReadInt64();
    Single ReadSingle();
    Double ReadDouble();
    // Count bytes as they stand.
    std::vector<Byte> ReadBytes(Int64 Count);

    void WriteByte(Byte Value);
    void WriteWord(Word Value);
    void WriteSmallInt(SmallInt Value);
    void WriteInteger(Integer Value);
    void WriteCardinal(Cardinal Value);
    void WriteInt64(Int64 Value);
    void WriteSingle(Single Value);
    void WriteDouble(Double Value);
    void WriteBytes(std::span<const Byte> Bytes);
    // The bytes of Value (UTF-8), no length, no terminator.
    void WriteString(const String& Value);
};

// A stream over a block of memory it does not manage; reads and seeks only. Base of the memory
// streams below.
class TCustomMemoryStream : public TStream {
    QOR_CLASS(TCustomMemoryStream, TStream)
public:
    Int64 Read(void* Buffer, Int64 Count) override;
    Int64 Write(const void* Buffer, Int64 Count) override;   // writes nothing: answers 0
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 Size() const override { return FSize; }

    const void* Memory() const { return FMemory; }

    void SaveToStream(TStream* Stream) const;
    void SaveToFile(const String& FileName) const;

protected:
    void SetPointer(const Byte* Ptr, Int64 Size);

    const Byte* FMemory = nullptr;
    Int64 FSize = 0;
    Int64 FPosition = 0;
};

// A read-only stream over bytes owned by someone else (embedded resources). Writes fail.
class TSpanStream : public TCustomMemoryStream {
    QOR_CLASS(TSpanStream, TCustomMemoryStream)
public:
    explicit TSpanStream(std::span<const Byte> Bytes);
    TSpanStream(const void* Data, Int64 Size);
};

// A growing stream in memory. Writing past the end grows it geometrically; seeking past the end is
// allowed and a later write fills the gap with zeros.
class TMemoryStream : public TCustomMemoryStream {
    QOR_CLASS(TMemoryStream, TCustomMemoryStream)
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;

    Int64 Write(const void* Buffer, Int64 Count) override;
    // Growing fills with zeros; a position beyond the new size moves back to it.
    void SetSize(Int64 NewSize) override;

    void* Memory() { return FData.data(); }
    const void* Memory() const { return FData.data(); }
    Int64 Capacity() const { return static_cast<Int64>(FData.size()); }
    void SetCapacity(Int64 NewCapacity);

    // Empties the stream and releases its memory.
    void Clear();
    // Replaces the contents with the whole of Stream (from its start); the position becomes 0.
    void LoadFromStream(TStream* Stream);
    void LoadFromFile(const String& FileName);

protected:
    // Ensures room for at least Needed bytes, growing geometrically.
    void Reserve(Int64 Needed);
    // Sets the capacity; exhausted memory raises EOutOfResources.
    void Resize(Int64 NewCapacity);
    Int64 MaxCapacity() const;
    std::vector<Byte> FData;   // capacity; FSize bytes of it are in use
};

// A memory stream whose contents are handed over as a byte vector.
class TBytesStream : public TMemoryStream {
    QOR_CLASS(TBytesStream, TMemoryStream)
public:
    TBytesStream() = default;
    explicit TBytesStream(std::vector<Byte> Bytes);
    // A copy of the bytes in use (Size bytes).
    std::vector<Byte> Bytes() const;
};

// A memory stream holding text; DataString is its whole contents.
class TStringStream : public TMemoryStream {
    QOR_CLASS(TStringStream, TMemoryStream)
public:
    TStringStream() = default;
    explicit TStringStream(const String& AString);

    String DataString() const;
    // Up to Count bytes from the position, as a string.
    String ReadString(Int64 Count);
};

// File open modes (the share flags are accepted and ignored on this platform).
inline constexpr Word fmCreate = 0xFF00;
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareCompat = 0x0000;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyRead = 0x0030;
inline constexpr Word fmShareDenyNone = 0x0040;

// A buffered stream over a file. fmCreate creates or empties the file (read and write);
// fmOpenRead, fmOpenWrite and fmOpenReadWrite open an existing file.
// Failures raise EFCreateError `Cannot create file "NAME". reason` or
// EFOpenError `Cannot open file "NAME". reason`.
class TFileStream : public TStream {
    QOR_CLASS(TFileStream, TStream)
public:
    TFileStream(const String& FileName, Word Mode);
    // Flushes; a failure there cannot be reported, so call Flush first when it matters.
    ~TFileStream() override;

    Int64 Read(void* Buffer, Int64 Count) override;
    Int64 Write(const void* Buffer, Int64 Count) override;
    Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
    Int64 Size() const override;
    void SetSize(Int64 NewSize) override;

    // Writes buffered bytes to the file; raises EWriteError when the system refuses them.
    void Flush();
    const String& FileName() const { return FFileName; }
    // Why the last write or flush that fell short did ("No space left on device"); empty before.
    String WriteFailure() const;

private:
    void PrepareFor(bool Writing);
    // Writes what standard I/O holds of earlier writes; raises EWriteError when that fails.
    void FlushWrites() const;
    String FFileName;
    mutable int FWriteErrno = 0;
    std::FILE* FFile = nullptr;
    bool FCanRead = false;
    bool FCanWrite = false;
    Byte FLastOp = 0;   // 0 none/seek, 1 read, 2 write
};

// Writes FileName's new contents through Write into a new file beside it, which then replaces
// FileName. On any failure the new file is removed, FileName is left as it was and the error is
// raised again (a write that fell short as EWriteError naming FileName and the cause); no file
// stays open.
void SaveFileSafely(const String& FileName, const std::function<void(TStream&)>& Write);

} // namespace qor
