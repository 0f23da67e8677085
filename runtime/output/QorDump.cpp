#include "runtime/output/QorDump.h"

#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Streams.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorSetup.h"
#include "runtime/output/QorStr.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qor {

namespace {

String Num(Int64 V) { return std::to_string(V); }

String Real(Double V)
{
    char Buf[40];
    std::snprintf(Buf, sizeof Buf, "%.10g", V);
    return Buf;
}

String Color(Integer V)
{
    char Buf[16];
    std::snprintf(Buf, sizeof Buf, "0x%08x", static_cast<unsigned>(V));
    return Buf;
}

// Text in double quotes; quotes, backslashes and control characters escaped.
String Quoted(std::string_view Text)
{
    String Out = "\"";
    for (const char C : Text) {
        const auto U = static_cast<unsigned char>(C);
        if (C == '"' || C == '\\') {
            Out += '\\';
            Out += C;
        } else if (C == '\n') {
            Out += "\\n";
        } else if (C == '\r') {
            Out += "\\r";
        } else if (C == '\t') {
            Out += "\\t";
        } else if (U < 0x20 || U == 0x7f) {
            char Buf[8];
            std::snprintf(Buf, sizeof Buf, "\\x%02x", U);
            Out += Buf;
        } else {
            Out += C;
        }
    }
    return Out + "\"";
}

String Quoted(const WideString& Text) { return Quoted(Utf16ToUtf8(Text)); }

String Rect(const TRect& R)
{
    return "(" + Num(R.Left) + "," + Num(R.Top) + "," + Num(R.Right) + "," + Num(R.Bottom) + ")";
}

// Size and a 64-bit FNV-1a hash: enough to see that two binary payloads differ.
String Data(const std::vector<Byte>& Bytes)
{
    std::uint64_t H = 14695981039346656037ull;
    for (const Byte B : Bytes) {
        H ^= B;
        H *= 1099511628211ull;
    }
    char Buf[40];
    std::snprintf(Buf, sizeof Buf, "%016llx", static_cast<unsigned long long>(H));
    return "data " + Num(static_cast<Int64>(Bytes.size())) + " bytes fnv " + Buf;
}

const char* const SettingNames[QorPrintSettingsCount] = {
    "Orientation", "PaperSize", "PaperLength", "PaperWidth", "Scale", "Copies", "DefaultSource",
    "PrintQuality", "Color", "Duplex", "YResolution", "TTOption", "Collate", "FormName"};

String PrinterInfo(const TQorFilePrinterInfo& I)
{
    return "orientation " + Num(I.Orientation) + " paper " + Num(I.PaperSize) + " length " + Real(I.Length) +
           " width " + Real(I.Width) + " scale " + Num(I.Scale) + " copies " + Num(I.Copies) + " source " +
           Num(I.Source) + " quality " + Num(I.PrintQuality) + " color " + Num(I.Color) + " duplex " +
           Num(I.Duplex) + " yresolution " + Num(I.YResolution) + " ttoption " + Num(I.TTOption) + " collate " +
           Num(I.CollatedCopies);
}

String ObjectLine(Integer Index, const TQorQorFileObject& O)
{
    String L = "object " + Num(Index) + " ";
    switch (O.ObjectType) {
    case qotFont: {
        const TQorLogFont& F = O.LogFont;
        return L + "font name " + Quoted(F.Name) + " size " + Num(F.Size) + " color " + Color(F.Color) +
               " weight " + Num(F.Weight) + " italic " + Num(F.Italic) + " underline " + Num(F.Underline) +
               " strikeout " + Num(F.StrikeOut) + " escapement " + Num(F.Escapement) + " charset " +
               Num(F.CharSet) + " outprecision " + Num(F.OutPrecision) + " clipprecision " +
               Num(F.ClipPrecision) + " quality " + Num(F.Quality) + " pitchandfamily " + Num(F.PitchAndFamily);
    }
    case qotPen:
        return L + "pen color " + Color(O.LogPen.Color) + " style " + Num(O.LogPen.Style) + " width " +
               Num(O.LogPen.Width) + " mode " + Num(O.LogPen.Mode);
    case qotBrush:
        return L + "brush color " + Color(O.LogBrush.Color) + " style " + Num(O.LogBrush.Style);
    case qotNone:
        break;
    }
    return L + "none";
}

String SetupOfRecord(const TQorRecord& R)
{
    TSpanStream S(R.Data.data(), static_cast<Int64>(R.Data.size()));
    TQorPrinterSetup Setup;
    if (R.Data.size() < 4 || !Setup.ReadFromStream(S))
        return "empty";
    return QorDumpPrinterSetup(Setup);
}

const char* ShapeName(Integer V)
{
    switch (V) {
    case 0: return "arc";
    case 1: return "chord";
    case 2: return "pie";
    default: return "shape?";
    }
}

String RecordLine(const TQorRecord& R)
{
    String L = QorRecordName(R.Code);
    const String XY = " " + Num(R.X) + " " + Num(R.Y);
    switch (R.Code) {
    case rcSelectObject: return L + " " + Num(R.N[0]);
    case rcPageBegin:
    case rcPageEnd: return L;
    case rcSetTextAlign: return L + " " + Num(R.N[0]);
    case rcTextout:
    case rcPTextout: return L + XY + " " + Quoted(R.Text);
    case rcMoveTo:
    case rcLineTo: return L + XY;
    case rcExtTextout:
        return L + XY + " options " + Num(R.N[0]) + " rect " + Rect(R.Rect) + " " + Quoted(R.Text);
    case rcTextRect: return L + " rect " + Rect(R.Rect) + XY + " " + Quoted(R.Text);
    case rcFillRect: return L + " " + Rect(R.Rect);
    case rcRectangle:
    case rcEllipse: return L + " " + Num(R.N[0]) + " " + Num(R.N[1]) + " " + Num(R.N[2]) + " " + Num(R.N[3]);
    case rcRoundRect:
        return L + " " + Num(R.N[0]) + " " + Num(R.N[1]) + " " + Num(R.N[2]) + " " + Num(R.N[3]) + " corner " +
               Num(R.N[4]) + " " + Num(R.N[5]);
    case rcDraw: return L + XY + " kind " + Num(R.N[0]) + " " + Data(R.Data);
    case rcStretchDraw: return L + " rect " + Rect(R.Rect) + " kind " + Num(R.N[0]) + " " + Data(R.Data);
    case rcShadeRect: return L + " rect " + Rect(R.Rect) + " shade " + Num(R.N[0]);
    case rcSetBkColor: return L + " " + Color(R.N[0]);
    case rcTextJustify:
        return L + " rect " + Rect(R.Rect) + XY + " " + Quoted(R.Text) + " endparagraph " + Num(R.Flag) +
               " fullrect " + Rect(R.FullRect);
    case rcDrawBitmap: return L + XY + " " + Data(R.Data);
    case rcStretchDrawBitmap: return L + " rect " + Rect(R.Rect) + " " + Data(R.Data);
    case rcRtfDraw:
        return L + " rect " + Rect(R.Rect) + " setdeffont " + Num(R.Flag) + " start " + Num(R.N[1]) + " end " +
               Num(R.N[2]) + " " + Data(R.Data) + " text " +
               Quoted(std::string_view(reinterpret_cast<const char*>(R.Data.data()), R.Data.size()));
    case rcDrawCheckBox:
        return L + " rect " + Rect(R.Rect) + " style " + Num(R.N[0]) + " color " + Color(R.N[1]) + " thickness " +
               Num(R.N[2]);
    case rcDrawShapeType:
        return L + " " + ShapeName(R.N[0]) + " box (" + Num(R.N[1]) + "," + Num(R.N[5]) + "," + Num(R.N[2]) + "," +
               Num(R.N[6]) + ") start (" + Num(R.N[3]) + "," + Num(R.N[7]) + ") end (" + Num(R.N[4]) + "," +
               Num(R.N[8]) + ")";
    case rcPolyDrawType: {
        L += R.N[0] == 0 ? " polygon " : R.N[0] == 1 ? " polyline " : " poly? ";
        L += Num(static_cast<Int64>(R.Points.size())) + " points";
        for (const TPoint& P : R.Points)
            L += " (" + Num(P.X) + "," + Num(P.Y) + ")";
        return L;
    }
    case rcPrint3of9Barcode:
    case rcPrint2of5Barcode:
        return L + XY + " width " + Num(R.N[0]) + " height " + Num(R.N[1]) + " narrow " + Num(R.N[2]) + " wide " +
               Num(R.N[3]) + " inches " + Num(R.Flag) + " vertical " + Num(R.Flag2) + " " + Quoted(R.Text);
    case rcPrinterInfo: return L + " " + PrinterInfo(R.PrinterInfo);
    case rcPrinterSetup: return L + " " + SetupOfRecord(R);
    default: return "Record " + Num(R.Code);
    }
}

} // namespace

String QorDumpPrinterSetup(const TQorPrinterSetup& S)
{
    String L = "orientation " + Num(S.Orientation()) + " paper " + Num(S.PaperSize()) + " length " +
               Real(S.Length()) + " width " + Real(S.Width()) + " scale " + Num(S.Scale()) + " copies " +
               Num(S.Copies()) + " source " + Num(S.Source()) + " quality " + Num(S.PrintQuality()) + " color " +
               Num(S.Color()) + " duplex " + Num(S.Duplex()) + " yresolution " + Num(S.YResolution()) +
               " ttoption " + Num(S.TTOption()) + " collate " + Num(S.CollatedCopies()) + " form " +
               Quoted(S.FormName()) + " set [";
    bool First = true;
    for (Integer I = 0; I < QorPrintSettingsCount; ++I) {
        if (!S.PrintSet(static_cast<TQorPrintSettings>(I)))
            continue;
        L += (First ? "" : ",") + String(SettingNames[I]);
        First = false;
    }
    return L + "]";
}

String QorDumpQorFile(TQorQorFile& F, Integer FirstPage, Integer LastPage)
{
    String Out;
    const auto Line = [&Out](const String& L) {
        Out += L;
        Out += '\n';
    };
    const TQorFileHeader& H = F.QorFileHeader;
    Line("header name " + Quoted(std::string_view(H.Name.data(), 3)) + " key " + Num(H.Key) + " version " +
         Real(H.Version) + " headerlen " + Num(H.HeaderLen) + " description " + Quoted(H.Description));
    Line("info pages " + Num(F.PageCount()) + " objects " + Num(F.ObjectCount()) + " ppi " +
         Num(F.PixelsPerInchX()) + " " + Num(F.PixelsPerInchY()));
    Line("setup " + QorDumpPrinterSetup(*F.QorPrinterSetup()));
    std::vector<Byte> User(static_cast<size_t>(F.UserStream()->Size()));
    if (!User.empty())
        std::memcpy(User.data(), F.UserStream()->Memory(), User.size());
    Line("userstream " + Data(User));
    const Integer Count = F.PageCount();
    for (Integer P = 1; P <= Count; ++P)
        Line("page " + Num(P) + " at " + Num(F.PagePosition(P)));
    for (Integer I = 0; I < F.ObjectCount(); ++I)
        Line(ObjectLine(I, *F.Objects()[static_cast<size_t>(I)]));

    if (FirstPage == 0 && LastPage == 0) {
        FirstPage = 1;
        LastPage = Count;
    }
    FirstPage = std::max(FirstPage, 1);
    LastPage = std::min(LastPage, Count);
    TQorStream* S = F.Stream();
    if (!S)
        return Out;
    const Int64 Saved = S->Position();
    try {
        for (Integer P = FirstPage; P <= LastPage; ++P) {
            Line("page " + Num(P));
            const Int64 End = P < Count ? F.PagePosition(P + 1) : S->Size();
            S->SetPosition(F.PagePosition(P));
            TQorReader R = F.Reader();
            TQorRecord Rec;
            while (S->Position() < End && ReadNextQorRecord(R, Rec))
                Line("  " + RecordLine(Rec));
        }
    } catch (...) {
        S->SetPosition(Saved);
        throw;
    }
    S->SetPosition(Saved);
    return Out;
}

String QorDumpPageFile(const String& FileName, Integer FirstPage, Integer LastPage)
{
    TQorQorFile F;
    F.LoadFromFile(FileName);
    return QorDumpQorFile(F, FirstPage, LastPage);
}

} // namespace qor
