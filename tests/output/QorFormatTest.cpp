// The page-file format byte for byte: blocks, object-table entries and every record code, older
// versions, and damaged input.

#include "common/TestErrors.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Streams.h"
#include "runtime/output/QorFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <functional>
#include <random>

using namespace qor;
using test::ErrorOf;

namespace {

std::string Hex(const TMemoryStream& S)
{
    std::string Out;
    const auto* P = static_cast<const Byte*>(S.Memory());
    for (Int64 i = 0; i < S.Size(); ++i) {
        char B[4];
        std::snprintf(B, sizeof B, i ? " %02x" : "%02x", P[i]);
        Out += B;
    }
    return Out;
}

// A stream of the bytes "0a ff 1 ..." (blanks between bytes), at its start.
struct THexStream : TMemoryStream {
    explicit THexStream(const std::string& HexText);
};

THexStream::THexStream(const std::string& HexText)
{
    TMemoryStream& S = *this;
    size_t i = 0;
    while (i < HexText.size()) {
        if (HexText[i] == ' ') {
            ++i;
            continue;
        }
        size_t Used = 0;
        const Byte B = static_cast<Byte>(std::stoul(HexText.substr(i, 2), &Used, 16));
        S.WriteBuffer(&B, 1);
        i += Used;
    }
    S.SetPosition(0);
}

std::string EncodeRecord(const TQorRecord& R)
{
    TMemoryStream S;
    TQorWriter W(S);
    WriteQorRecord(W, R);
    return Hex(S);
}

TQorRecord DecodeRecord(TMemoryStream& S, Single Version = QorFileVersion)
{
    S.SetPosition(0);
    TQorReader Reader(S, Version);
    TQorRecord R;
    EXPECT_TRUE(ReadNextQorRecord(Reader, R));
    EXPECT_EQ(Reader.Remaining(), 0) << "the whole record is read";
    return R;
}

TQorRecord Rec(Word Code, const std::function<void(TQorRecord&)>& Fill = {})
{
    TQorRecord R;
    R.Code = Code;
    if (Fill)
        Fill(R);
    return R;
}

// One record of every code with its bytes: the golden table of the record stream.
struct TGolden {
    TQorRecord Record;
    std::string Bytes;
};

std::vector<TGolden> GoldenRecords()
{
    const TRect R(1, 2, 300, -4);
    const std::string RB = "01 00 02 00 2c 01 fc ff";
    return {
        {Rec(rcSelectObject, [](auto& r) { r.Index = 3; }), "04 00 03 00"},
        {Rec(rcPageBegin), "05 00"},
        {Rec(rcPageEnd), "06 00"},
        {Rec(rcSetTextAlign, [](auto& r) { r.Align = 0x18; }), "14 00 18 00"},
        {Rec(rcTextout, [](auto& r) { r.X = 10; r.Y = -2; r.Text = "Hi\xE2\x82\xAC"; }),
         "15 00 0a 00 fe ff 06 00 00 00 48 00 69 00 ac 20"},
        {Rec(rcMoveTo, [](auto& r) { r.X = 5; r.Y = 6; }), "17 00 05 00 06 00"},
        {Rec(rcLineTo, [](auto& r) { r.X = 32767; r.Y = -32768; }), "18 00 ff 7f 00 80"},
        {Rec(rcPTextout, [](auto& r) { r.X = 1; r.Y = 2; r.Text = "ab"; }), "19 00 01 00 02 00 02 00 00 00 61 00 62 00"},
        {Rec(rcExtTextout, [&](auto& r) { r.X = 1; r.Y = 2; r.Options = 4; r.Rect = R; r.Text = "a"; }),
         "1a 00 01 00 02 00 04 00 " + RB + " 01 00 00 00 61 00"},
        {Rec(rcTextRect, [&](auto& r) { r.Rect = R; r.X = 7; r.Y = 8; r.Text = ""; }),
         "1b 00 " + RB + " 07 00 08 00 00 00 00 00"},
        {Rec(rcFillRect, [&](auto& r) { r.Rect = R; }), "1c 00 " + RB},
        {Rec(rcRectangle, [](auto& r) { r.Rect = TRect(1, 2, 3, 4); }), "1d 00 01 00 02 00 03 00 04 00"},
        {Rec(rcRoundRect, [](auto& r) { r.Rect = TRect(1, 2, 3, 4); r.Corner = TPoint(5, 6); }), "1e 00 01 00 02 00 03 00 04 00 05 00 06 00"},
        {Rec(rcEllipse, [](auto& r) { r.Rect = TRect(-1, 2, 3, 4); }), "1f 00 ff ff 02 00 03 00 04 00"},
        {Rec(rcDraw, [](auto& r) { r.X = 1; r.Y = 2; r.GraphicKind = 1; r.Data = {0xAB, 0xCD}; }),
         "20 00 01 00 02 00 01 00 02 00 00 00 ab cd"},
        {Rec(rcStretchDraw, [&](auto& r) { r.Rect = R; r.GraphicKind = 2; r.Data = {9}; }),
         "21 00 " + RB + " 02 00 01 00 00 00 09"},
        {Rec(rcShadeRect, [&](auto& r) { r.Rect = R; r.Shade = 5; }), "22 00 " + RB + " 05 00"},
        {Rec(rcSetBkColor, [](auto& r) { r.Color = static_cast<Integer>(0x80000005u); }), "23 00 05 00 00 80"},
        {Rec(rcTextJustify, [&](auto& r) { r.Rect = R; r.X = 3; r.Y = 4; r.Text = "x"; r.EndParagraph = true; r.FullRect = TRect(0, 0, 9, 9); }),
         "25 00 " + RB + " 03 00 04 00 02 00 00 00 78 00 01 00 00 00 00 09 00 09 00"},
        {Rec(rcDrawBitmap, [](auto& r) { r.X = 1; r.Y = 1; r.Data = {'B', 'M'}; }), "26 00 01 00 01 00 02 00 00 00 42 4d"},
        {Rec(rcStretchDrawBitmap, [&](auto& r) { r.Rect = R; r.Data = {}; }), "27 00 " + RB + " 00 00 00 00"},
        {Rec(rcRtfDraw, [&](auto& r) { r.Rect = R; r.SetDefFont = true; r.RangeStart = 0; r.RangeEnd = -1; r.Data = {'{', 'x', '}'}; }),
         "28 00 1c 00 00 00 " + RB + " 01 00 00 00 00 ff ff ff ff 03 00 00 00 7b 78 7d"},
        {Rec(rcDrawCheckBox, [&](auto& r) { r.Rect = R; r.CheckStyle = 1; r.Color = 0xFF; r.Thickness = 2; }),
         "29 00 " + RB + " 01 00 ff 00 00 00 02 00"},
        {Rec(rcDrawShapeType, [](auto& r) { r.Shape = 2; r.ArcPoints = {TPoint(1, 5), TPoint(2, 6), TPoint(3, 7), TPoint(4, 8)}; }),
         "2a 00 02 00 01 00 00 00 02 00 00 00 03 00 00 00 04 00 00 00 05 00 00 00 06 00 00 00 07 00 00 00 08 00 00 00"},
        {Rec(rcPolyDrawType, [](auto& r) { r.PolyType = 1; r.Points = {{1, 2}, {-3, 4}, {5, 70000}}; }),
         "2b 00 01 00 03 00 01 00 00 00 02 00 00 00 fd ff ff ff 04 00 00 00 05 00 00 00 70 11 01 00"},
        {Rec(rcPrint3of9Barcode, [](auto& r) { r.X = 1; r.Y = 2; r.BarWidth = 100; r.BarHeight = 50; r.NarrowWidth = 10; r.WideWidth = 25; r.Inches = true; r.Text = "A1"; }),
         "2c 00 01 00 02 00 64 00 32 00 0a 00 19 00 01 00 04 00 00 00 41 00 31 00"},
        {Rec(rcPrint2of5Barcode, [](auto& r) { r.X = 1; r.Y = 2; r.BarWidth = 100; r.BarHeight = 50; r.NarrowWidth = 2; r.WideWidth = 5; r.Vertical = true; r.Text = "12"; }),
         "2d 00 01 00 02 00 64 00 32 00 02 00 05 00 00 01 04 00 00 00 31 00 32 00"},
        {Rec(rcPrinterInfo, [](auto& r) {
             r.PrinterInfo = {1, 9, 11.0, 8.5, 100, 2, 7, -4, 1, 1, 600, 2, true};
         }),
         "64 00 01 00 09 00 00 00 00 00 00 00 26 40 00 00 00 00 00 00 21 40 64 00 02 00 07 00 fc ff 01 00 01 00 "
         "58 02 02 00 01"},
        {Rec(rcPrinterSetup, [](auto& r) { r.Data = {3, 0, 0, 0, 0xAA, 0xBB, 0xCC}; }), "65 00 03 00 00 00 aa bb cc"},
    };
}

} // namespace

TEST(PageFileFormat, EveryRecordCodeEncodesToItsBytesAndBack)
{
    std::set<Word> Seen;
    for (const TGolden& G : GoldenRecords()) {
        const char* Name = QorRecordName(G.Record.Code);
        EXPECT_EQ(EncodeRecord(G.Record), G.Bytes) << Name;
        THexStream S(G.Bytes);
        EXPECT_EQ(DecodeRecord(S), G.Record) << Name;
        Seen.insert(G.Record.Code);
    }
    for (Word Code = 0; Code < 200; ++Code)
        EXPECT_EQ(Seen.count(Code) == 1, *QorRecordName(Code) != '\0') << Code; // every code covered
}

TEST(PageFileFormat, WritersKeepValuesInsideWhatTheFormatCanHold)
{
    // coordinates are SmallInt: clamped, never wrapped to the other side of the page
    EXPECT_EQ(EncodeRecord(Rec(rcMoveTo, [](auto& r) { r.X = 40000; r.Y = -40000; })), "17 00 ff 7f 00 80");
    EXPECT_EQ(EncodeRecord(Rec(rcTextout, [](auto& r) { r.X = -40000; r.Y = 40000; r.Text = "A"; })),
              "15 00 00 80 ff 7f 02 00 00 00 41 00");
    EXPECT_EQ(EncodeRecord(Rec(rcSelectObject, [](auto& r) { r.Index = 40000; })), "04 00 ff 7f");
    // text-alignment flags are a word, all sixteen bits of it
    EXPECT_EQ(EncodeRecord(Rec(rcSetTextAlign, [](auto& r) { r.Align = 0xFFFF; })), "14 00 ff ff");
    // the rich-text length is the text's size plus the fixed part
    EXPECT_EQ(EncodeRecord(Rec(rcRtfDraw, [](auto& r) { r.Data = {1}; })).substr(6, 11), "1a 00 00 00");
    EXPECT_THROW(EncodeRecord(Rec(22)), EQorFileError);
}

TEST(PageFileFormat, TextsOfAnyLengthAndCharactersComeBackAsTheyWent)
{
    // Plain and not, short and longer than the pieces they are written and read in.
    for (const std::string& Text : {std::string(), std::string(256, 'a'), std::string(257, 'b'), std::string(700, 'c'),
                                    std::string(300, 'd') + "\xE2\x82\xAC" + std::string(300, 'e'),
                                    std::string("\xF0\x9F\x98\x80 x"), std::string("\x7F")}) {
        TQorRecord Out = Rec(rcTextout, [&](auto& r) { r.Text = Text; });
        TMemoryStream S;
        TQorWriter W(S);
        WriteQorRecord(W, Out);
        EXPECT_EQ(S.Size(), 2 + 4 + 4 + 2 * static_cast<Int64>(Utf8ToUtf16(Text).size())) << Text.size();
        S.SetPosition(0);
        TQorReader R(S, QorFileVersion);
        TQorRecord In;
        In.Code = R.ReadType();
        ReadQorRecord(R, In);
        EXPECT_EQ(In.Text, Text);
    }
}

TEST(PageFileFormat, HeaderInformationAndObjectsByteForByte)
{
    TQorFileHeader H;
    H.HeaderLen = 1234;
    H.Description = u"Sales";
    TMemoryStream S;
    WriteQorFileHeader(S, H);
    ASSERT_EQ(S.Size(), QorFileHeaderSize);
    EXPECT_EQ(Hex(S).substr(0, 3 * 20 - 1), "51 4f 52 cf 8a 01 00 00 00 a0 40 d2 04 00 00 53 00 61 00 6c");
    const auto* P = static_cast<const Byte*>(S.Memory());
    EXPECT_EQ(std::count(P + 25, P + 217, 0), 217 - 25); // the rest of the description is zeros
    S.SetPosition(0);
    EXPECT_EQ(ReadQorFileHeader(S), H);

    // a description of 150 characters keeps its first 100, then a zero unit
    H.Description = WideString(150, u'd');
    TMemoryStream Long;
    WriteQorFileHeader(Long, H);
    EXPECT_EQ(Long.Size(), QorFileHeaderSize);
    Long.SetPosition(0);
    EXPECT_EQ(ReadQorFileHeader(Long).Description, WideString(100, u'd'));

    TMemoryStream Info;
    WriteQorFileInfo(Info, TQorFileInfo{3, 2, 96, 600});
    EXPECT_EQ(Hex(Info), "03 00 00 00 02 00 60 00 58 02");
    Info.SetPosition(0);
    TQorReader R(Info);
    EXPECT_EQ(ReadQorFileInfo(R), (TQorFileInfo{3, 2, 96, 600}));

    TQorObjectRecord Font;
    Font.ObjectType = qotFont;
    Font.LogFont = {0x0000FF, 10, 1, 0, 1, 900, 700, 0, 3, 2, 1, 34, WideString(40, u'N')};
    TQorObjectRecord Pen;
    Pen.ObjectType = qotPen;
    Pen.LogPen = {0x00FF00, 2, 3, 13};
    TQorObjectRecord Brush;
    Brush.ObjectType = qotBrush;
    Brush.LogBrush = {-16777201, 1};
    TMemoryStream Objects;
    for (const auto* O : {&Font, &Pen, &Brush})
        WriteQorObject(Objects, *O);
    ASSERT_EQ(Objects.Size(), 2 + 82 + 2 + 8 + 2 + 5);
    const std::string All = Hex(Objects);
    EXPECT_EQ(All.substr(0, 3 * 20 - 1), "01 00 ff 00 00 00 0a 00 01 00 01 84 03 bc 02 00 03 02 01 22");
    EXPECT_EQ(All.substr(3 * (20 + 31 * 2), 3 * 2 - 1), "00 00"); // 31 characters of the 40, then zero
    EXPECT_EQ(All.substr(3 * 84), "02 00 00 ff 00 00 02 03 00 0d 03 00 0f 00 00 ff 01");
    Objects.SetPosition(0);
    TQorReader OR(Objects);
    Font.LogFont.Name.resize(31);
    EXPECT_EQ(ReadQorObject(OR), Font);
    EXPECT_EQ(ReadQorObject(OR), Pen);
    EXPECT_EQ(ReadQorObject(OR), Brush);

    // an entry of another kind is empty and nothing beyond its kind is read
    THexStream Other("07 00 ff ff");
    TQorReader OtherReader(Other);
    EXPECT_EQ(ReadQorObject(OtherReader).ObjectType, qotNone);
    EXPECT_EQ(Other.Position(), 2);
}

TEST(PageFileFormat, OlderVersionsReadAsTheirTableSays)
{
    // below 5: the single-byte header and font records, converted from Windows-1252
    TMemoryStream Old;
    Old.WriteBuffer("QOR", 3);
    Old.WriteInteger(QorFileKey);
    Old.WriteSingle(4.0f);
    Old.WriteInteger(0);
    std::string Desc = "Caf\xE9 report";
    Desc.resize(101, '\0');
    Old.WriteBuffer(Desc.data(), 101);
    ASSERT_EQ(Old.Size(), QorAnsiFileHeaderSize);
    Old.SetPosition(0);
    const TQorFileHeader H = ReadQorFileHeader(Old);
    EXPECT_EQ(H.Version, 4.0f);
    EXPECT_EQ(H.Description, u"Caf\u00e9 report");
    EXPECT_EQ(Old.Position(), QorAnsiFileHeaderSize);

    THexStream OldFont("01 00 00 00 00 00 08 00 00 00 00 00 00 90 01 00 00 00 00 00 41 72 69 61 6c 00 00 00 00 00 00 00 "
                                  "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    TQorReader FontReader(OldFont, 4.5f);
    const TQorObjectRecord F = ReadQorObject(FontReader);
    EXPECT_EQ(F.LogFont.Name, u"Arial");
    EXPECT_EQ(F.LogFont.Size, 8);
    EXPECT_EQ(FontReader.Remaining(), 0);

    // Strings: Int32 count of single bytes below 5, Word count below 4
    THexStream V4("15 00 01 00 02 00 03 00 00 00 e9 74 65");
    EXPECT_EQ(DecodeRecord(V4, 4.0f).Text, "\xC3\xA9te");
    THexStream V35("15 00 01 00 02 00 02 00 68 69");
    EXPECT_EQ(DecodeRecord(V35, 3.5f).Text, "hi");
    // 1 and below: a justified line without FullRect takes its Rect
    THexStream V1("25 00 01 00 02 00 03 00 04 00 05 00 06 00 01 00 78 01");
    const TQorRecord J = DecodeRecord(V1, 1.0f);
    EXPECT_EQ(J.FullRect, TRect(1, 2, 3, 4));
    EXPECT_TRUE(J.EndParagraph);
    // the printer block of files below 3 is 36 bytes, collated copies taken as set
    THexStream Short("01 00 09 00 00 00 00 00 00 00 26 40 00 00 00 00 00 00 21 40 64 00 02 00 07 00 fc ff 01 00 01 00 "
                                "58 02 02 00");
    TQorReader ShortReader(Short, 2.0f);
    EXPECT_TRUE(ShortReader.ReadPrinterInfo(false).CollatedCopies);
}

TEST(PageFileFormat, TheTwoRefusalsAreWordForWord)
{
    TMemoryStream Future;
    Future.WriteBuffer("QOR", 3);
    Future.WriteInteger(QorFileKey);
    Future.WriteSingle(5.5f);
    Future.WriteInteger(0);
    Future.SetPosition(0);
    EXPECT_EQ(ErrorOf([&] { ReadQorFileHeader(Future); }), "This QOR File Version is not supported");

    THexStream Foreign("50 4b 03 04 14 00 00 00 08 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(ErrorOf([&] { ReadQorFileHeader(Foreign); }), "ERROR: not an QOR file");
    THexStream Tiny("51 4f");
    EXPECT_EQ(ErrorOf([&] { ReadQorFileHeader(Tiny); }), "ERROR: not an QOR file");
    THexStream Cut("51 4f 52 cf 8a 01 00 00 00 a0 40 d2 04 00 00 53 00");
    EXPECT_NE(ErrorOf([&] { ReadQorFileHeader(Cut); }).find("damaged"), String::npos);
}

TEST(PageFileFormat, LyingLengthsAreDamageNeverAReadOrAllocationBeyondTheFile)
{
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"15 00 01 00 02 00 ff ff ff 7f 41 00", "text length longer than the rest"},
        {"15 00 01 00 02 00 fe ff ff ff", "negative text length"},
        {"15 00 01 00 02 00 03 00 00 00 41 00 42", "odd number of bytes"},
        {"19 00 01 00 02 00 00 00 00 40 41 00", "text length longer than the rest"},
        {"20 00 01 00 02 00 01 00 ff ff ff 7f", "stream length longer than the rest"},
        {"2b 00 00 00 ff 7f 01 00 00 00", "point count longer than the rest"},
        {"2b 00 00 00 ff ff", "negative point count"},
        {"28 00 99 00 00 00 01 00 02 00 03 00 04 00 00 00 00 00 00 00 00 00 00 01 00 00 00 7b",
         "rich-text record whose length does not match"},
        {"65 00 00 00 00 10 01", "printer setup longer than the rest"},
        {"1d 00 01 00 02", "ends in the middle of a record at offset 4"},
        {"16 00", "unknown record code 22"},
    };
    for (const auto& [Input, Expected] : Cases) {
        THexStream S(Input);
        TQorReader R(S);
        TQorRecord Rec;
        const String Message = ErrorOf([&] { ReadNextQorRecord(R, Rec); });
        EXPECT_NE(Message.find(Expected), String::npos) << Input << " -> " << Message;
        EXPECT_EQ(Message.rfind("The page file is damaged: ", 0), 0u) << Message;
    }
    THexStream Pages("ff ff ff ff 00 00 60 00 60 00");
    TQorReader PR(Pages);
    EXPECT_THROW(ReadQorFileInfo(PR), EQorFileError);
}

TEST(PageFileFormat, MutatedRecordStreamsDecodeOrFailCleanly)
{
    // Every record of the golden table in one stream, then thousands of mutants of it: each is
    // decoded record by record until the end or a clean failure, and what decodes encodes back
    // to bytes that decode to the same record.
    TMemoryStream Seed;
    {
        TQorWriter W(Seed);
        for (const TGolden& G : GoldenRecords())
            WriteQorRecord(W, G.Record);
    }
    const auto* SeedBytes = static_cast<const Byte*>(Seed.Memory());
    const std::vector<Byte> Original(SeedBytes, SeedBytes + Seed.Size());
    std::mt19937 Random(20261209);
    int Decoded = 0, Failed = 0;
    for (int Round = 0; Round < 3000; ++Round) {
        std::vector<Byte> Mutant = Original;
        const int Steps = 1 + static_cast<int>(Random() % 6);
        for (int s = 0; s < Steps; ++s) {
            const size_t At = Random() % Mutant.size();
            switch (Random() % 4) {
            case 0: Mutant[At] = static_cast<Byte>(Random()); break;
            case 1: Mutant[At] = 0xFF; if (At + 1 < Mutant.size()) Mutant[At + 1] = 0x7F; break;
            case 2: Mutant.resize(At + 1); break;
            default: Mutant.erase(Mutant.begin() + static_cast<long>(At)); break;
            }
            if (Mutant.empty())
                Mutant.push_back(4);
        }
        TMemoryStream S;
        S.WriteBuffer(Mutant.data(), static_cast<Int64>(Mutant.size()));
        S.SetPosition(0);
        TQorReader R(S, Random() % 8 == 0 ? 3.5f : QorFileVersion);
        TQorRecord Rec;
        try {
            while (ReadNextQorRecord(R, Rec)) {
                ++Decoded;
                TMemoryStream Again;
                TQorWriter W(Again);
                WriteQorRecord(W, Rec);
                Again.SetPosition(0);
                TQorReader R2(Again);
                TQorRecord Back;
                ASSERT_TRUE(ReadNextQorRecord(R2, Back));
                if (R.Version() == QorFileVersion) {
                    ASSERT_EQ(EncodeRecord(Back), EncodeRecord(Rec)) << QorRecordName(Rec.Code);
                }
            }
        } catch (const EQorFileError&) {
            ++Failed;
        }
    }
    EXPECT_GT(Decoded, 10000);
    EXPECT_GT(Failed, 1000);
}
