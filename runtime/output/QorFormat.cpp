#include "runtime/output/QorFormat.h"

#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Streams.h"
#include "runtime/output/QorStr.h"

#include <algorithm>
#include <cstring>

namespace qor {


const char* QorRecordName(Word Code)
{
    switch (Code) {
    case rcSelectObject: return "SelectObject";
    case rcPageBegin: return "PageBegin";
    case rcPageEnd: return "PageEnd";
    case rcSetTextAlign: return "SetTextAlign";
    case rcTextout: return "TextOut";
    case rcMoveTo: return "MoveTo";
    case rcLineTo: return "LineTo";
    case rcPTextout: return "PTextOut";
    case rcExtTextout: return "ExtTextOut";
    case rcTextRect: return "TextRect";
    case rcFillRect: return "FillRect";
    case rcRectangle: return "Rectangle";
    case rcRoundRect: return "RoundRect";
    case rcEllipse: return "Ellipse";
    case rcDraw: return "Draw";
    case rcStretchDraw: return "StretchDraw";
    case rcShadeRect: return "ShadeRect";
    case rcSetBkColor: return "SetBkColor";
    case rcTextJustify: return "TextJustify";
    case rcDrawBitmap: return "DrawBitmap";
    case rcStretchDrawBitmap: return "StretchDrawBitmap";
    case rcRtfDraw: return "RtfDraw";
    case rcDrawCheckBox: return "DrawCheckBox";
    case rcDrawShapeType: return "DrawShapeType";
    case rcPolyDrawType: return "PolyDrawType";
    case rcPrint3of9Barcode: return "Print3of9Barcode";
    case rcPrint2of5Barcode: return "Print2of5Barcode";
    case rcPrinterInfo: return "PrinterInfo";
    case rcPrinterSetup: return "PrinterSetup";
    default: return "";
    }
}

// ---- TQorReader ----------------------------------------------------------------------------------

TQorReader::TQorReader(TStream& Stream, Single Version) : FStream(Stream), FVersion(Version) {}

Int64 TQorReader::Remaining() const { return std::max<Int64>(FStream.Size() - FStream.Position(), 0); }

void TQorReader::Damaged(const String& What) const
{
    throw EQorFileError("The page file is damaged: " + What + " at offset " + std::to_string(FStream.Position()));
}

void TQorReader::ReadBytes(void* Buffer, Int64 Count)
{
    if (Count < 0)
        Damaged("it ends in the middle of a record");
    // Read first, asked after: a short read is rare, and the position goes back to where it began.
    if (Count == 0)
        return;
    if (const Int64 Got = FStream.Read(Buffer, Count); Got != Count) {
        FStream.Seek(-std::max<Int64>(Got, 0), TSeekOrigin::soCurrent);
        Damaged("it ends in the middle of a record");
    }
}

Int64 TQorReader::CheckedCount(Int64 Count, Int64 Unit, const char* What)
{
    if (Count < 0)
        Damaged(String("a negative ") + What);
    if (Count > Remaining() / Unit)
        Damaged(String("a ") + What + " longer than the rest of the file");
    return Count;
}

Byte TQorReader::ReadByte()
{
    Byte B = 0;
    ReadBytes(&B, 1);
    return B;
}

Word TQorReader::ReadWord()
{
    Byte B[2];
    ReadBytes(B, 2);
    return static_cast<Word>(B[0] | (B[1] << 8));
}

Word TQorReader::ReadType() { return ReadWord(); }

SmallInt TQorReader::ReadSmallInt() { return static_cast<SmallInt>(ReadWord()); }

Integer TQorReader::ReadLongInt()
{
    Byte B[4];
    ReadBytes(B, 4);
    return static_cast<Integer>(static_cast<Cardinal>(B[0]) | (static_cast<Cardinal>(B[1]) << 8) |
                                (static_cast<Cardinal>(B[2]) << 16) | (static_cast<Cardinal>(B[3]) << 24));
}

bool TQorReader::ReadBoolean() { return ReadByte() != 0; }

TRect TQorReader::ReadRect()
{
    TRect R;
    R.Left = ReadSmallInt();
    R.Top = ReadSmallInt();
    R.Right = ReadSmallInt();
    R.Bottom = ReadSmallInt();
    return R;
}

String TQorReader::ReadString()
{
    if (FVersion < 5) {
        const Int64 Count = CheckedCount(FVersion < 4 ? ReadWord() : ReadLongInt(), 1, "text length");
        std::string Bytes(static_cast<size_t>(Count), '\0');
        ReadBytes(Bytes.data(), Count);
        return AnsiToUtf8(Bytes);
    }
    const Int64 Count = CheckedCount(ReadLongInt(), 1, "text length");
    if (Count % 2 != 0)
        Damaged("a text of an odd number of bytes");
    std::string Bytes(static_cast<size_t>(Count), '\0');
    ReadBytes(Bytes.data(), Count);
    // Plain ASCII, the usual text of a report, is its own UTF-8 unit by unit.
    bool Ascii = true;
    for (size_t i = 0; i < Bytes.size() && Ascii; i += 2)
        Ascii = static_cast<unsigned char>(Bytes[i]) < 0x80 && Bytes[i + 1] == 0;
    if (Ascii) {
        String Text(Bytes.size() / 2, '\0');
        for (size_t i = 0; i < Text.size(); ++i)
            Text[i] = Bytes[2 * i];
        return Text;
    }
    std::u16string Units(Bytes.size() / 2, u'\0');
    for (size_t i = 0; i < Units.size(); ++i)
        Units[i] = static_cast<char16_t>(static_cast<unsigned char>(Bytes[2 * i]) |
                                         (static_cast<unsigned char>(Bytes[2 * i + 1]) << 8));
    return Utf16ToUtf8(Units);
}

String TQorReader::ReadPChar()
{
    const Int64 Count = CheckedCount(ReadLongInt(), 2, "text length");
    std::u16string Units(static_cast<size_t>(Count), u'\0');
    for (char16_t& U : Units)
        U = ReadWord();
    return Utf16ToUtf8(Units);
}

void TQorReader::ReadStream(std::vector<Byte>& Dest)
{
    const Int64 Count = CheckedCount(ReadLongInt(), 1, "stream length");
    const size_t At = Dest.size();
    Dest.resize(At + static_cast<size_t>(Count));
    ReadBytes(Dest.data() + At, Count);
}

TQorFilePrinterInfo TQorReader::ReadPrinterInfo(bool WithCollate)
{
    if (Remaining() < (WithCollate ? QorFilePrinterInfoSize : QorFilePrinterInfoShortSize))
        Damaged("it ends in the middle of the printer information");
    return ReadQorFilePrinterInfo(FStream, WithCollate);
}

// ---- TQorWriter ----------------------------------------------------------------------------------

namespace {

// A small integer's two bytes at At, low byte first; values outside its range are clamped.
void PutSmallInt(Byte*& At, Integer Value)
{
    const Word W = static_cast<Word>(static_cast<SmallInt>(std::clamp<Integer>(Value, -32768, 32767)));
    *At++ = static_cast<Byte>(W);
    *At++ = static_cast<Byte>(W >> 8);
}

} // namespace

void TQorWriter::WriteWord(Word Value)
{
    const Byte B[2] = {static_cast<Byte>(Value), static_cast<Byte>(Value >> 8)};
    FStream.WriteBuffer(B, 2);
}

void TQorWriter::WriteType(Word Code) { WriteWord(Code); }

void TQorWriter::WriteSmallInt(Integer Value)
{
    WriteWord(static_cast<Word>(static_cast<SmallInt>(std::clamp<Integer>(Value, -32768, 32767))));
}

void TQorWriter::WriteLongInt(Integer Value)
{
    const Cardinal V = static_cast<Cardinal>(Value);
    const Byte B[4] = {static_cast<Byte>(V), static_cast<Byte>(V >> 8), static_cast<Byte>(V >> 16),
                       static_cast<Byte>(V >> 24)};
    FStream.WriteBuffer(B, 4);
}

void TQorWriter::WriteByte(Byte Value) { FStream.WriteBuffer(&Value, 1); }

void TQorWriter::WriteBoolean(bool Value) { WriteByte(Value ? 1 : 0); }

void TQorWriter::WriteRect(const TRect& R)
{
    Byte B[8];
    Byte* At = B;
    for (const Integer V : {R.Left, R.Top, R.Right, R.Bottom})
        PutSmallInt(At, V);
    FStream.WriteBuffer(B, sizeof B);
}

namespace {

// UTF-16 units, low byte first, written a buffer at a time (texts are mostly short).
void WriteUnits(TQorWriter& W, std::u16string_view Units)
{
    Byte B[512];
    while (!Units.empty()) {
        const size_t N = std::min(Units.size(), sizeof B / 2);
        for (size_t i = 0; i < N; ++i) {
            B[2 * i] = static_cast<Byte>(Units[i]);
            B[2 * i + 1] = static_cast<Byte>(Units[i] >> 8);
        }
        W.Stream().WriteBuffer(B, static_cast<Int64>(2 * N));
        Units.remove_prefix(N);
    }
}

} // namespace

void TQorWriter::WriteString(const String& Text)
{
    // Plain ASCII, the usual text of a report, is its own UTF-16 unit by unit: widened in one go,
    // and given up (nothing is appended before Appended) at the end if a byte was not ASCII.
    if (Text.size() <= 256) {
        Byte B[4 + 512];
        const Cardinal Size = static_cast<Cardinal>(Text.size() * 2);
        Byte* const Room = AppendRoom(4 + Size);
        Byte* const Out = Room ? Room : B;
        const char* const In = Text.data();
        unsigned char Bits = 0;
        for (size_t i = 0; i < Text.size(); ++i) {
            const unsigned char C = static_cast<unsigned char>(In[i]);
            Bits |= C;
            Out[4 + 2 * i] = C;
            Out[4 + 2 * i + 1] = 0;
        }
        if (Bits < 0x80) {
            for (int i = 0; i < 4; ++i)
                Out[i] = static_cast<Byte>(Size >> (8 * i));
            if (Room)
                Appended(4 + Size);
            else
                FStream.WriteBuffer(B, static_cast<Int64>(4 + Size));
            return;
        }
    }
    const WideString Units = Utf8ToUtf16(Text);
    WriteLongInt(static_cast<Integer>(Units.size() * 2));
    WriteUnits(*this, Units);
}

void TQorWriter::WritePChar(std::u16string_view Text)
{
    WriteLongInt(static_cast<Integer>(Text.size()));
    WriteUnits(*this, Text);
}

void TQorWriter::WriteStream(const void* Data, Int64 Count)
{
    WriteLongInt(static_cast<Integer>(Count));
    if (Count > 0)
        FStream.WriteBuffer(Data, Count);
}

void TQorWriter::WritePrinterInfo(const TQorFilePrinterInfo& Info) { WriteQorFilePrinterInfo(FStream, Info); }

// ---- blocks --------------------------------------------------------------------------------------

namespace {

// Text in a fixed field of Units UTF-16 units: at most Units - 1 of them, then zeros.
void WriteFixedUnits(TQorWriter& W, const WideString& Text, size_t Units)
{
    const size_t N = std::min(Text.size(), Units - 1);
    WriteUnits(W, std::u16string_view(Text).substr(0, N));
    for (size_t i = N; i < Units; ++i)
        W.WriteWord(0);
}

// A fixed field: text up to the first zero.
WideString ReadFixedUnits(TQorReader& R, size_t Units)
{
    WideString Text;
    bool Ended = false;
    for (size_t i = 0; i < Units; ++i) {
        const char16_t U = R.ReadWord();
        Ended = Ended || U == 0;
        if (!Ended)
            Text += U;
    }
    return Text;
}

WideString ReadFixedAnsi(TQorReader& R, size_t Bytes)
{
    std::string Raw(Bytes, '\0');
    R.ReadBytes(Raw.data(), static_cast<Int64>(Bytes));
    Raw.resize(std::strlen(Raw.c_str()));
    return Utf8ToUtf16(AnsiToUtf8(Raw));
}

} // namespace

void WriteQorFileHeader(TStream& Stream, const TQorFileHeader& Header)
{
    TQorWriter W(Stream);
    Stream.WriteBuffer(Header.Name.data(), 3);
    W.WriteLongInt(Header.Key);
    Stream.WriteSingle(Header.Version);
    W.WriteLongInt(Header.HeaderLen);
    WriteFixedUnits(W, Header.Description, 101);
}

TQorFileHeader ReadQorFileHeader(TStream& Stream)
{
    TQorReader R(Stream);
    TQorFileHeader H;
    // Too short to hold the fields every version has: it cannot be a page file.
    if (R.Remaining() < 15)
        throw Exception("ERROR: not an QOR file");
    R.ReadBytes(H.Name.data(), 3);
    H.Key = R.ReadLongInt();
    if (H.Key != QorFileKey)
        throw Exception("ERROR: not an QOR file");
    H.Version = Stream.ReadSingle();
    if (!(H.Version <= QorFileVersion)) // NaN is above every version too
        throw Exception("This QOR File Version is not supported");
    H.HeaderLen = R.ReadLongInt();
    H.Description = H.Version < 5 ? ReadFixedAnsi(R, 101) : ReadFixedUnits(R, 101);
    return H;
}

void WriteQorFileInfo(TStream& Stream, const TQorFileInfo& Info)
{
    TQorWriter W(Stream);
    W.WriteLongInt(Info.Pages);
    W.WriteWord(Info.Objects);
    W.WriteWord(Info.PixelsPerInchX);
    W.WriteWord(Info.PixelsPerInchY);
}

TQorFileInfo ReadQorFileInfo(TQorReader& R)
{
    TQorFileInfo Info;
    Info.Pages = R.ReadLongInt();
    if (Info.Pages < 0)
        R.Damaged("a negative page count");
    Info.Objects = R.ReadWord();
    Info.PixelsPerInchX = R.ReadWord();
    Info.PixelsPerInchY = R.ReadWord();
    return Info;
}

namespace {

constexpr Word DiskFont = 1, DiskPen = 2, DiskBrush = 3;

void WriteLogFont(TQorWriter& W, const TQorLogFont& F)
{
    W.WriteLongInt(F.Color);
    W.WriteWord(F.Size);
    W.WriteByte(F.Italic);
    W.WriteByte(F.Underline);
    W.WriteByte(F.StrikeOut);
    W.WriteWord(F.Escapement);
    W.WriteWord(F.Weight);
    W.WriteByte(F.CharSet);
    W.WriteByte(F.OutPrecision);
    W.WriteByte(F.ClipPrecision);
    W.WriteByte(F.Quality);
    W.WriteByte(F.PitchAndFamily);
    WriteFixedUnits(W, F.Name, 32);
}

TQorLogFont ReadLogFont(TQorReader& R)
{
    TQorLogFont F;
    F.Color = R.ReadLongInt();
    F.Size = R.ReadWord();
    F.Italic = R.ReadByte();
    F.Underline = R.ReadByte();
    F.StrikeOut = R.ReadByte();
    F.Escapement = R.ReadWord();
    F.Weight = R.ReadWord();
    F.CharSet = R.ReadByte();
    F.OutPrecision = R.ReadByte();
    F.ClipPrecision = R.ReadByte();
    F.Quality = R.ReadByte();
    F.PitchAndFamily = R.ReadByte();
    F.Name = R.Version() < 5 ? ReadFixedAnsi(R, 32) : ReadFixedUnits(R, 32);
    return F;
}

} // namespace

void WriteQorObject(TStream& Stream, const TQorObjectRecord& Object)
{
    TQorWriter W(Stream);
    switch (Object.ObjectType) {
    case qotFont:
        W.WriteWord(DiskFont);
        WriteLogFont(W, Object.LogFont);
        break;
    case qotPen:
        W.WriteWord(DiskPen);
        W.WriteLongInt(Object.LogPen.Color);
        W.WriteByte(Object.LogPen.Style);
        W.WriteWord(Object.LogPen.Width);
        W.WriteByte(Object.LogPen.Mode);
        break;
    case qotBrush:
        W.WriteWord(DiskBrush);
        W.WriteLongInt(Object.LogBrush.Color);
        W.WriteByte(Object.LogBrush.Style);
        break;
    case qotNone:
        W.WriteWord(0);
        break;
    }
}

TQorObjectRecord ReadQorObject(TQorReader& R)
{
    TQorObjectRecord O;
    switch (R.ReadWord()) {
    case DiskFont:
        O.ObjectType = qotFont;
        O.LogFont = ReadLogFont(R);
        break;
    case DiskPen:
        O.ObjectType = qotPen;
        O.LogPen.Color = R.ReadLongInt();
        O.LogPen.Style = R.ReadByte();
        O.LogPen.Width = R.ReadWord();
        O.LogPen.Mode = R.ReadByte();
        break;
    case DiskBrush:
        O.ObjectType = qotBrush;
        O.LogBrush.Color = R.ReadLongInt();
        O.LogBrush.Style = R.ReadByte();
        break;
    default:
        break; // kept as an empty entry
    }
    return O;
}

// ---- drawing records -----------------------------------------------------------------------------

namespace {

// The bytes a rich-text record's length field counts besides the text: the field itself, the
// rectangle, the flag, the two positions and the text's own count.
constexpr Integer RtfFixedPart = 25;

// Reads the fields TransferQorRecord names, in its order.
class TFieldReader {
public:
    explicit TFieldReader(TQorReader& Reader) : R(Reader) {}

    void Small(Integer& V, const char* = nullptr, const TQorValueNames* = nullptr) { V = R.ReadSmallInt(); }
    void Unsigned(Word& V, const char* = nullptr) { V = R.ReadWord(); }
    void Long(Integer& V, const char* = nullptr) { V = R.ReadLongInt(); }
    void Colour(Integer& V, const char* = nullptr) { V = R.ReadLongInt(); }
    void Flag(bool& V, const char* = nullptr) { V = R.ReadBoolean(); }
    void Point(Integer& X, Integer& Y, const char* = nullptr)
    {
        X = R.ReadSmallInt();
        Y = R.ReadSmallInt();
    }
    void Rect(TRect& V, const char* = nullptr) { V = R.ReadRect(); }
    void Corners(TRect& V) { V = R.ReadRect(); }
    void FullRect(TRect& V, const TRect& Rect, const char*) { V = R.Version() <= 1 ? Rect : R.ReadRect(); }
    void Text(String& V) { V = R.ReadString(); }
    void Counted(String& V) { V = R.ReadPChar(); }
    void Bytes(std::vector<Byte>& V) { R.ReadStream(V); }
    void RtfLength(std::vector<Byte>&) { FRtfLength = R.ReadLongInt(); }
    void RtfText(std::vector<Byte>& V)
    {
        R.ReadStream(V);
        if (static_cast<Int64>(FRtfLength) != static_cast<Int64>(V.size()) + RtfFixedPart)
            R.Damaged("a rich-text record whose length does not match its text");
    }
    void Arc(std::array<TPoint, 4>& V)
    {
        for (TPoint& P : V)
            P.X = R.ReadLongInt();
        for (TPoint& P : V)
            P.Y = R.ReadLongInt();
    }
    void Poly(std::vector<TPoint>& V)
    {
        const SmallInt Count = R.ReadSmallInt();
        if (Count < 0)
            R.Damaged("a negative point count");
        if (Count > R.Remaining() / 8)
            R.Damaged("a point count longer than the rest of the file");
        V.resize(static_cast<size_t>(Count));
        for (TPoint& P : V) {
            P.X = R.ReadLongInt();
            P.Y = R.ReadLongInt();
        }
    }
    void PrinterInfo(TQorFilePrinterInfo& V) { V = R.ReadPrinterInfo(); }
    // The body of record 101 with its length, kept as it is stored.
    void PrinterSetup(std::vector<Byte>& V)
    {
        const Integer Length = R.ReadLongInt();
        const Cardinal L = static_cast<Cardinal>(Length);
        V = {static_cast<Byte>(L), static_cast<Byte>(L >> 8), static_cast<Byte>(L >> 16), static_cast<Byte>(L >> 24)};
        if (Length <= 0)
            return;
        if (Length > R.Remaining())
            R.Damaged("a printer setup longer than the rest of the file");
        V.resize(4 + static_cast<size_t>(Length));
        R.ReadBytes(V.data() + 4, Length);
    }
    [[noreturn]] void Unknown(Word Code) { R.Damaged("unknown record code " + std::to_string(Code)); }

private:
    TQorReader& R;
    Integer FRtfLength = 0;
};

// Writes the fields TransferQorRecord names, in its order. The fixed ones are gathered and go out
// in one piece with the code, up to the first text or stream: a page is mostly select, alignment
// and text records. On a record stream they are gathered in place at its end.
class TFieldWriter {
public:
    TFieldWriter(TQorWriter& Writer, Word Code) : W(Writer)
    {
        TakeRoom();
        PutWord(Code);
    }

    void Small(Integer V, const char* = nullptr, const TQorValueNames* = nullptr) { PutSmall(V); }
    void Unsigned(Word V, const char* = nullptr) { PutWord(V); }
    void Long(Integer V, const char* = nullptr) { PutLong(V); }
    void Colour(Integer V, const char* = nullptr) { PutLong(V); }
    void Flag(bool V, const char* = nullptr)
    {
        Room(1);
        *At++ = V ? 1 : 0;
    }
    void Point(Integer X, Integer Y, const char* = nullptr)
    {
        PutSmall(X);
        PutSmall(Y);
    }
    void Rect(const TRect& V, const char* = nullptr) { PutRect(V); }
    void Corners(const TRect& V) { PutRect(V); }
    void FullRect(const TRect& V, const TRect&, const char*) { PutRect(V); }
    void Text(const String& V)
    {
        Flush();
        W.WriteString(V);
    }
    void Counted(const String& V)
    {
        Flush();
        W.WritePChar(Utf8ToUtf16(V));
    }
    void Bytes(const std::vector<Byte>& V)
    {
        Flush();
        W.WriteStream(V.data(), static_cast<Int64>(V.size()));
    }
    void RtfLength(const std::vector<Byte>& V) { PutLong(static_cast<Integer>(V.size()) + RtfFixedPart); }
    void RtfText(const std::vector<Byte>& V) { Bytes(V); }
    void Arc(const std::array<TPoint, 4>& V)
    {
        for (const TPoint& P : V)
            PutLong(P.X);
        for (const TPoint& P : V)
            PutLong(P.Y);
    }
    void Poly(const std::vector<TPoint>& V)
    {
        // A count is a SmallInt: more points than it can say are not stored.
        const size_t Count = std::min<size_t>(V.size(), 32767);
        PutSmall(static_cast<Integer>(Count));
        for (size_t i = 0; i < Count; ++i) {
            PutLong(V[i].X);
            PutLong(V[i].Y);
        }
    }
    void PrinterInfo(const TQorFilePrinterInfo& V)
    {
        Flush();
        W.WritePrinterInfo(V);
    }
    void PrinterSetup(const std::vector<Byte>& V)
    {
        if (V.empty()) {
            PutLong(0);
            return;
        }
        Flush();
        W.Stream().WriteBuffer(V.data(), static_cast<Int64>(V.size()));
    }
    [[noreturn]] void Unknown(Word Code)
    {
        throw EQorFileError("Cannot write record code " + std::to_string(Code) + ": it is not a page-file record");
    }

    void Flush()
    {
        if (At != Start) {
            if (Start == Buffer)
                W.Stream().WriteBuffer(Buffer, At - Buffer);
            else
                W.Appended(At - Start);
        }
        Start = At = End = nullptr;
    }

private:
    // Room for a fixed field (at most 8 bytes): the few instructions of the usual case stay where
    // the field is written, the new room is taken apart.
    void Room(size_t Count)
    {
        if (static_cast<size_t>(End - At) < Count)
            NewRoom();
    }
    [[gnu::noinline]] void NewRoom()
    {
        Flush();
        TakeRoom();
    }
    void TakeRoom()
    {
        Start = W.AppendRoom(sizeof Buffer);
        if (!Start)
            Start = Buffer;
        At = Start;
        End = Start + sizeof Buffer;
    }
    // The fixed fields write through a copy of At: a byte written through At itself might be
    // At (to the compiler), which would be read again after every byte.
    void PutSmall(Integer V)
    {
        Room(2);
        Byte* P = At;
        PutSmallInt(P, V);
        At = P;
    }
    void PutWord(Word V)
    {
        Room(2);
        Byte* const P = At;
        P[0] = static_cast<Byte>(V);
        P[1] = static_cast<Byte>(V >> 8);
        At = P + 2;
    }
    void PutLong(Integer V)
    {
        Room(4);
        Byte* const P = At;
        const Cardinal C = static_cast<Cardinal>(V);
        for (int i = 0; i < 4; ++i)
            P[i] = static_cast<Byte>(C >> (8 * i));
        At = P + 4;
    }
    void PutRect(const TRect& R)
    {
        Room(8);
        Byte* P = At;
        for (const Integer V : {R.Left, R.Top, R.Right, R.Bottom})
            PutSmallInt(P, V);
        At = P;
    }

    TQorWriter& W;
    Byte Buffer[64];
    // The bytes gathered, in Buffer or in place on the stream; none yet when At is nullptr.
    Byte* Start = nullptr;
    Byte* At = nullptr;
    Byte* End = nullptr;
};

} // namespace

void ReadQorRecord(TQorReader& R, TQorRecord& Rec)
{
    const Word Code = Rec.Code;
    static const TQorRecord Blank;
    Rec = Blank; // a copy keeps the buffers of the texts and streams for the next record
    Rec.Code = Code;
    TFieldReader Fields(R);
    TransferQorRecord(Fields, Rec);
}

bool ReadNextQorRecord(TQorReader& R, TQorRecord& Rec)
{
    if (R.Remaining() == 0)
        return false;
    Rec.Code = R.ReadType();
    ReadQorRecord(R, Rec);
    return true;
}

void WriteQorRecord(TQorWriter& W, const TQorRecord& Rec)
{
    TFieldWriter Fields(W, Rec.Code);
    TransferQorRecord(Fields, Rec);
    Fields.Flush();
}

template <Word Code>
void WriteQorRecordOf(TQorWriter& W, const TQorRecord& Rec)
{
    TFieldWriter Fields(W, Code);
    TransferQorRecordOf(std::integral_constant<Word, Code>(), Fields, Rec);
    Fields.Flush();
}

template void WriteQorRecordOf<rcSelectObject>(TQorWriter&, const TQorRecord&);
template void WriteQorRecordOf<rcPageBegin>(TQorWriter&, const TQorRecord&);
template void WriteQorRecordOf<rcPageEnd>(TQorWriter&, const TQorRecord&);
template void WriteQorRecordOf<rcSetTextAlign>(TQorWriter&, const TQorRecord&);
template void WriteQorRecordOf<rcTextout>(TQorWriter&, const TQorRecord&);
template void WriteQorRecordOf<rcMoveTo>(TQorWriter&, const TQorRecord&);
template void WriteQorRecordOf<rcLineTo>(TQorWriter&, const TQorRecord&);
template void WriteQorRecordOf<rcTextRect>(TQorWriter&, const TQorRecord&);
template void WriteQorRecordOf<rcFillRect>(TQorWriter&, const TQorRecord&);
template void WriteQorRecordOf<rcRectangle>(TQorWriter&, const TQorRecord&);
template void WriteQorRecordOf<rcEllipse>(TQorWriter&, const TQorRecord&);
template void WriteQorRecordOf<rcShadeRect>(TQorWriter&, const TQorRecord&);

} // namespace qor
