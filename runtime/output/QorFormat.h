#pragma once
// The page-file format: the blocks of a ".qor" file and the drawing records of its record stream,
// each encoded and decoded byte for byte (little-endian, packed). Files of versions up to 5.0 are
// read; version 5.0 is written. A reader checks every count, length and index against what is
// left of its input before using it, so a damaged file gives EQorFileError, never a read out of
// bounds or an allocation larger than the file.

#include "platform/graphics/Geometry.h"
#include "platform/rtl/Exceptions.h"
#include "runtime/output/QorStr.h"
#include "runtime/output/QorTypes.h"

#include <array>
#include <type_traits>
#include <vector>

namespace qor {

// A page file that cannot be read: damaged, cut short, or not a page file at all.
QOR_DECLARE_EXCEPTION(EQorFileError, Exception);

inline constexpr Integer QorFileKey = 101071;
inline constexpr Single QorFileVersion = 5.0f;
inline constexpr Integer QorFileHeaderSize = 217;
inline constexpr Integer QorAnsiFileHeaderSize = 116;
inline constexpr Integer QorFileInfoSize = 10;
inline constexpr Integer QorLogFontSize = 82;
inline constexpr Integer QorAnsiLogFontSize = 50;
inline constexpr Integer QorLogPenSize = 8;
inline constexpr Integer QorLogBrushSize = 5;
// Object indices are stored as SmallInt.
inline constexpr Integer QorMaxObjects = 32767;

// Record codes (22 and 36 are not used).
enum TQorRecordCode : Word {
    rcSelectObject = 4,
    rcPageBegin = 5,
    rcPageEnd = 6,
    rcSetTextAlign = 20,
    rcTextout = 21,
    rcMoveTo = 23,
    rcLineTo = 24,
    rcPTextout = 25,
    rcExtTextout = 26,
    rcTextRect = 27,
    rcFillRect = 28,
    rcRectangle = 29,
    rcRoundRect = 30,
    rcEllipse = 31,
    rcDraw = 32,
    rcStretchDraw = 33,
    rcShadeRect = 34,
    rcSetBkColor = 35,
    rcTextJustify = 37,
    rcDrawBitmap = 38,
    rcStretchDrawBitmap = 39,
    rcRtfDraw = 40,
    rcDrawCheckBox = 41,
    rcDrawShapeType = 42,
    rcPolyDrawType = 43,
    rcPrint3of9Barcode = 44,
    rcPrint2of5Barcode = 45,
    rcPrinterInfo = 100,
    rcPrinterSetup = 101,
};

// The name of a record code ("TextOut", "PrinterSetup"...), or an empty string for an unknown one.
const char* QorRecordName(Word Code);

// ---- blocks --------------------------------------------------------------------------------------

struct TQorFileHeader {
    std::array<char, 3> Name{'Q', 'O', 'R'};
    Integer Key = QorFileKey;
    Single Version = QorFileVersion;
    Integer HeaderLen = 0; // offset of the record stream
    WideString Description; // at most 100 units are stored

    bool operator==(const TQorFileHeader&) const = default;
};

struct TQorFileInfo {
    Integer Pages = 0;
    Word Objects = 0;
    Word PixelsPerInchX = 96;
    Word PixelsPerInchY = 96;

    bool operator==(const TQorFileInfo&) const = default;
};

struct TQorLogFont {
    Integer Color = 0;
    Word Size = 0;
    Byte Italic = 0;
    Byte Underline = 0;
    Byte StrikeOut = 0;
    Word Escapement = 0;
    Word Weight = 0;
    Byte CharSet = 0;
    Byte OutPrecision = 0;
    Byte ClipPrecision = 0;
    Byte Quality = 0;
    Byte PitchAndFamily = 0;
    WideString Name; // at most 31 units are stored

    bool operator==(const TQorLogFont&) const = default;
};

struct TQorLogPen {
    Integer Color = 0;
    Byte Style = 0;
    Word Width = 0;
    Byte Mode = 0;

    bool operator==(const TQorLogPen&) const = default;
};

struct TQorLogBrush {
    Integer Color = 0;
    Byte Style = 0;

    bool operator==(const TQorLogBrush&) const = default;
};

// The kinds of object-table entries in memory (on disk: 1 font, 2 pen, 3 brush).
enum TQorQorFileObjectTypes : Byte { qotNone, qotBrush, qotFont, qotPen };

// One object-table entry as stored: only the record of its type is meaningful.
struct TQorObjectRecord {
    TQorQorFileObjectTypes ObjectType = qotNone;
    TQorLogFont LogFont;
    TQorLogPen LogPen;
    TQorLogBrush LogBrush;

    bool operator==(const TQorObjectRecord&) const = default;
};

// ---- reading and writing the parts of a file -------------------------------------------------------

// Reads and writes the encodings of one page file: numbers, rectangles, counted text and streams.
// Reading is bounded by the end of the input stream (or a smaller End) and follows the file's
// version (String counts: Word below 4; single-byte text below 5, converted from Windows-1252).
class TQorReader {
public:
    explicit TQorReader(TStream& Stream, Single Version = QorFileVersion);

    TStream& Stream() const { return FStream; }
    Single Version() const { return FVersion; }
    void SetVersion(Single Value) { FVersion = Value; }
    // Bytes left before the end of the input.
    Int64 Remaining() const;

    Word ReadType();
    Word ReadWord();
    SmallInt ReadSmallInt();
    Integer ReadLongInt();
    bool ReadBoolean();
    Byte ReadByte();
    TRect ReadRect();
    // A String payload, as UTF-8.
    String ReadString();
    // Counted text of records 25 and 26: Int32 N, then N UTF-16 units (2N bytes).
    String ReadPChar();
    // A Stream payload: Int32 N, then N bytes, appended to Dest.
    void ReadStream(std::vector<Byte>& Dest);
    TQorFilePrinterInfo ReadPrinterInfo(bool WithCollate = true);
    // Exactly Count bytes, or EQorFileError.
    void ReadBytes(void* Buffer, Int64 Count);
    // Raises EQorFileError "The page file is damaged: <What> at offset N".
    [[noreturn]] void Damaged(const String& What) const;

private:
    // A count read from the file, checked against what is left: Unit bytes per counted item.
    Int64 CheckedCount(Int64 Count, Int64 Unit, const char* What);

    TStream& FStream;
    Single FVersion;
};

// Writes the version 5 encodings. Coordinates stored as SmallInt are clamped to its range.
class TQorWriter {
public:
    explicit TQorWriter(TStream& Stream) : FStream(Stream) {}
    // On a record stream, records are encoded in place at its end.
    explicit TQorWriter(TQorStream& Stream) : FStream(Stream), FRecordStream(&Stream) {}

    TStream& Stream() const { return FStream; }

    // Room for Count bytes encoded in place at the stream's end, or nullptr (write them then);
    // Appended says how many were written there, before anything else writes.
    Byte* AppendRoom(Int64 Count) { return FRecordStream ? FRecordStream->AppendRoom(Count) : nullptr; }
    void Appended(Int64 Count) { FRecordStream->Appended(Count); }

    void WriteType(Word Code);
    void WriteWord(Word Value);
    void WriteSmallInt(Integer Value);
    void WriteLongInt(Integer Value);
    void WriteBoolean(bool Value);
    void WriteByte(Byte Value);
    void WriteRect(const TRect& R);
    // UTF-8 text as a String payload of UTF-16 units.
    void WriteString(const String& Text);
    // Counted text of records 25 and 26.
    void WritePChar(std::u16string_view Text);
    void WriteStream(const void* Data, Int64 Count);
    void WritePrinterInfo(const TQorFilePrinterInfo& Info);

private:
    TStream& FStream;
    TQorStream* FRecordStream = nullptr;
};

// Blocks 1, 2 and the object-table entries. ReadQorFileHeader checks the key ("ERROR: not an QOR
// file") and the version ("This QOR File Version is not supported"), raised as Exception before
// anything else is read; a header of a version below 5 is the 116-byte single-byte form.
void WriteQorFileHeader(TStream& Stream, const TQorFileHeader& Header);
TQorFileHeader ReadQorFileHeader(TStream& Stream);
void WriteQorFileInfo(TStream& Stream, const TQorFileInfo& Info);
TQorFileInfo ReadQorFileInfo(TQorReader& Reader);
void WriteQorObject(TStream& Stream, const TQorObjectRecord& Object);
// Kind 1, 2 or 3 with its record (a font below version 5 in its 50-byte single-byte form); any
// other kind gives an empty entry, and nothing more is read.
TQorObjectRecord ReadQorObject(TQorReader& Reader);

// ---- drawing records ---------------------------------------------------------------------------------

// One decoded record of the record stream: the code and the fields its payload carries (the
// others keep their defaults). TransferQorRecord below says which fields a code stores.
struct TQorRecord {
    Word Code = 0;
    // Where it draws.
    Integer X = 0; // the point of a text, a line end, a graphic, a bitmap or a bar code
    Integer Y = 0;
    TRect Rect;                      // the record's rectangle; the shape's corners for 29 to 31
    TRect FullRect;                  // 37: the whole width the line may take
    TPoint Corner;                   // 30: width and height of the rounded corners
    std::array<TPoint, 4> ArcPoints; // 42: the box's two corners, then the start and the end point
    std::vector<TPoint> Points;      // 43
    // What it draws with.
    Integer Index = 0;       // 4: the object-table entry selected
    Word Align = 0;          // 20: text-alignment flags
    Word Options = 0;        // 26: text-out options
    Word GraphicKind = 0;    // 32, 33: 1 bitmap, 0 icon, 2 metafile, 3 another class
    Integer Shade = 0;       // 34: TQorShadePercent
    Integer Color = 0;       // 35: the background colour; 41: the mark's colour
    Integer CheckStyle = 0;  // 41: TQorCheckStyle
    Integer Thickness = 0;   // 41
    Integer Shape = 0;       // 42: TQorDrawType
    Integer PolyType = 0;    // 43: TQorPolyType
    Integer BarWidth = 0;    // 44, 45: the bar code's extent and its elements' widths
    Integer BarHeight = 0;
    Integer NarrowWidth = 0;
    Integer WideWidth = 0;
    bool Inches = false;     // 44, 45: element widths in thousandths of an inch
    bool Vertical = false;   // 44, 45
    bool EndParagraph = false; // 37
    bool SetDefFont = false; // 40
    Integer RangeStart = 0;  // 40: the range of the rich text drawn
    Integer RangeEnd = 0;
    String Text;
    std::vector<Byte> Data; // a graphic, a bitmap, rich text, or the body of a printer setup
    TQorFilePrinterInfo PrinterInfo; // 100

    bool operator==(const TQorRecord&) const = default;
};

// Names the dump gives the values of a field (one by value from 0), and what it gives any other.
struct TQorValueNames {
    std::array<const char*, 3> Names;
    const char* Other;
};
inline constexpr TQorValueNames QorShapeNames{{"arc", "chord", "pie"}, "shape?"};
inline constexpr TQorValueNames QorPolyNames{{"polygon", "polyline", nullptr}, "poly?"};

// The one description of every record's payload: its fields in stored order, each by its encoding
// (the visitor's member called) and the word the dump writes before it (none for nullptr). The
// writer, the reader and the dump each visit it; a new record kind is one case here.
//   Small, Unsigned, Long, Colour, Flag  SmallInt, Word, Int32, Int32, Boolean
//   Point                                x, y (SmallInt)
//   Rect, Corners                        Rect (the dump shows (l,t,r,b) and l t r b)
//   FullRect                             Rect, taken equal to the record's Rect in version 1 files
//   Text, Counted                        String, counted text (Int32 N, N UTF-16 units)
//   Bytes, RtfText                       Stream (the dump shows RtfText's text too)
//   RtfLength                            Int32 the payload's length: the stream's size + 25
//   Arc                                  Int32 x1..x4, then Int32 y1..y4
//   Poly                                 SmallInt n, then n x (Int32 x, Int32 y)
//   PrinterInfo, PrinterSetup            37 bytes; the body of record 101 (length first)
// The code is passed apart from the record: a writer that knows it where it writes passes it as a
// std::integral_constant, and its visit is made of that one case.
template <class V, class R, class TCode>
void TransferQorRecordOf(TCode Code, V& v, R& Rec)
{
    switch (Code) {
    case rcSelectObject: v.Small(Rec.Index); break;
    case rcPageBegin:
    case rcPageEnd: break;
    case rcSetTextAlign: v.Unsigned(Rec.Align); break;
    case rcTextout:
        v.Point(Rec.X, Rec.Y);
        v.Text(Rec.Text);
        break;
    case rcMoveTo:
    case rcLineTo: v.Point(Rec.X, Rec.Y); break;
    case rcPTextout:
        v.Point(Rec.X, Rec.Y);
        v.Counted(Rec.Text);
        break;
    case rcExtTextout:
        v.Point(Rec.X, Rec.Y);
        v.Unsigned(Rec.Options, "options");
        v.Rect(Rec.Rect, "rect");
        v.Counted(Rec.Text);
        break;
    case rcTextRect:
        v.Rect(Rec.Rect, "rect");
        v.Point(Rec.X, Rec.Y);
        v.Text(Rec.Text);
        break;
    case rcFillRect: v.Rect(Rec.Rect); break;
    case rcRectangle:
    case rcEllipse: v.Corners(Rec.Rect); break;
    case rcRoundRect:
        v.Corners(Rec.Rect);
        v.Point(Rec.Corner.X, Rec.Corner.Y, "corner");
        break;
    case rcDraw:
        v.Point(Rec.X, Rec.Y);
        v.Unsigned(Rec.GraphicKind, "kind");
        v.Bytes(Rec.Data);
        break;
    case rcStretchDraw:
        v.Rect(Rec.Rect, "rect");
        v.Unsigned(Rec.GraphicKind, "kind");
        v.Bytes(Rec.Data);
        break;
    case rcShadeRect:
        v.Rect(Rec.Rect, "rect");
        v.Small(Rec.Shade, "shade");
        break;
    case rcSetBkColor: v.Colour(Rec.Color); break;
    case rcTextJustify:
        v.Rect(Rec.Rect, "rect");
        v.Point(Rec.X, Rec.Y);
        v.Text(Rec.Text);
        v.Flag(Rec.EndParagraph, "endparagraph");
        v.FullRect(Rec.FullRect, Rec.Rect, "fullrect");
        break;
    case rcDrawBitmap:
        v.Point(Rec.X, Rec.Y);
        v.Bytes(Rec.Data);
        break;
    case rcStretchDrawBitmap:
        v.Rect(Rec.Rect, "rect");
        v.Bytes(Rec.Data);
        break;
    case rcRtfDraw:
        v.RtfLength(Rec.Data);
        v.Rect(Rec.Rect, "rect");
        v.Flag(Rec.SetDefFont, "setdeffont");
        v.Long(Rec.RangeStart, "start");
        v.Long(Rec.RangeEnd, "end");
        v.RtfText(Rec.Data);
        break;
    case rcDrawCheckBox:
        v.Rect(Rec.Rect, "rect");
        v.Small(Rec.CheckStyle, "style");
        v.Colour(Rec.Color, "color");
        v.Small(Rec.Thickness, "thickness");
        break;
    case rcDrawShapeType:
        v.Small(Rec.Shape, nullptr, &QorShapeNames);
        v.Arc(Rec.ArcPoints);
        break;
    case rcPolyDrawType:
        v.Small(Rec.PolyType, nullptr, &QorPolyNames);
        v.Poly(Rec.Points);
        break;
    case rcPrint3of9Barcode:
    case rcPrint2of5Barcode:
        v.Point(Rec.X, Rec.Y);
        v.Small(Rec.BarWidth, "width");
        v.Small(Rec.BarHeight, "height");
        v.Small(Rec.NarrowWidth, "narrow");
        v.Small(Rec.WideWidth, "wide");
        v.Flag(Rec.Inches, "inches");
        v.Flag(Rec.Vertical, "vertical");
        v.Text(Rec.Text);
        break;
    case rcPrinterInfo: v.PrinterInfo(Rec.PrinterInfo); break;
    case rcPrinterSetup: v.PrinterSetup(Rec.Data); break;
    default: v.Unknown(static_cast<Word>(Code));
    }
}

template <class V, class R>
void TransferQorRecord(V& v, R& Rec)
{
    TransferQorRecordOf(Rec.Code, v, Rec);
}

// Reads the payload of a record whose code Record.Code was just read. An unknown code raises
// EQorFileError (nothing records the length of a payload, so it cannot be skipped).
void ReadQorRecord(TQorReader& Reader, TQorRecord& Record);
// Reads code and payload; false at the end of the input.
bool ReadNextQorRecord(TQorReader& Reader, TQorRecord& Record);
// Writes code and payload in one piece up to its first text or stream. An unknown code raises
// EQorFileError and writes nothing.
void WriteQorRecord(TQorWriter& Writer, const TQorRecord& Record);
// The same for a record of code Code, whatever Record.Code holds: the recorder's writers know the
// code of what they write. Made for the codes the recorder writes.
template <Word Code>
void WriteQorRecordOf(TQorWriter& Writer, const TQorRecord& Record);

} // namespace qor
