#pragma once
// The page-file format: the blocks of a ".qor" file and the drawing records of its record stream,
// each encoded and decoded byte for byte (little-endian, packed). Files of versions up to 5.0 are
// read; version 5.0 is written. A reader checks every count, length and index against what is
// left of its input before using it, so a damaged file gives EQorFileError, never a read out of
// bounds or an allocation larger than the file.

#include "platform/graphics/Geometry.h"
#include "platform/rtl/Exceptions.h"
#include "runtime/output/QorTypes.h"

#include <array>
#include <vector>

namespace qor {

class TStream;

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

    TStream& Stream() const { return FStream; }

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

// One decoded record of the record stream. Which fields a code uses, in payload order:
//   4 select object      N[0] index              20 text alignment   N[0] flags
//   21 text out          X Y Text                23/24 move/line to  X Y
//   25 text out (count)  X Y Text                26 ext text out     X Y N[0] options, Rect, Text
//   27 text rect         Rect X Y Text           28 fill rect        Rect
//   29 rectangle, 31 ellipse  N[0..3]            30 rounded rect     N[0..5]
//   32 draw graphic      X Y N[0] kind, Data     33 stretch-draw     Rect N[0] kind, Data
//   34 shade             Rect N[0] shade         35 background       N[0] colour
//   37 justified line    Rect X Y Text Flag (end of paragraph) FullRect
//   38 draw bitmap       X Y Data                39 stretch bitmap   Rect Data
//   40 rich text         N[0] payload length, Rect, Flag (default font), N[1] start, N[2] end, Data
//   41 check box         Rect N[0] style, N[1] colour, N[2] thickness
//   42 arc/chord/pie     N[0] shape, N[1..4] x1..x4, N[5..8] y1..y4
//   43 poly              N[0] kind, Points
//   44/45 bar codes      X Y N[0] width, N[1] height, N[2] narrow, N[3] wide, Flag (inches),
//                        Flag2 (vertical), Text
//   100 printer info     PrinterInfo             101 printer setup   Data (the body, length first)
struct TQorRecord {
    Word Code = 0;
    Integer X = 0;
    Integer Y = 0;
    std::array<Integer, 9> N{};
    TRect Rect;
    TRect FullRect;
    bool Flag = false;
    bool Flag2 = false;
    String Text;
    std::vector<Byte> Data;
    std::vector<TPoint> Points;
    TQorFilePrinterInfo PrinterInfo;

    bool operator==(const TQorRecord&) const = default;
};

// Reads the payload of a record whose code Record.Code was just read. An unknown code raises
// EQorFileError (nothing records the length of a payload, so it cannot be skipped).
void ReadQorRecord(TQorReader& Reader, TQorRecord& Record);
// Reads code and payload; false at the end of the input.
bool ReadNextQorRecord(TQorReader& Reader, TQorRecord& Record);
// Writes code and payload.
void WriteQorRecord(TQorWriter& Writer, const TQorRecord& Record);

} // namespace qor
