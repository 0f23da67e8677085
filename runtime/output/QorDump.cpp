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

String RectText(const TRect& R)
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

String PrinterInfoText(const TQorFilePrinterInfo& I)
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

String SetupOfRecord(const std::vector<Byte>& Body)
{
    TSpanStream S(Body.data(), static_cast<Int64>(Body.size()));
    TQorPrinterSetup Setup;
    if (Body.size() < 4 || !Setup.ReadFromStream(S))
        return "empty";
    return QorDumpPrinterSetup(Setup);
}

// Writes the fields TransferQorRecord names as the dump shows them, each " word value".
class TFieldDump {
public:
    explicit TFieldDump(String& Line) : L(Line) {}

    void Small(Integer V, const char* Label = nullptr, const TQorValueNames* Names = nullptr)
    {
        if (!Names)
            Put(Label, Num(V));
        else if (V >= 0 && V < static_cast<Integer>(Names->Names.size()) && Names->Names[static_cast<size_t>(V)])
            Put(Label, Names->Names[static_cast<size_t>(V)]);
        else
            Put(Label, Names->Other);
    }
    void Unsigned(Word V, const char* Label = nullptr) { Put(Label, Num(V)); }
    void Long(Integer V, const char* Label = nullptr) { Put(Label, Num(V)); }
    void Colour(Integer V, const char* Label = nullptr) { Put(Label, Color(V)); }
    void Flag(bool V, const char* Label = nullptr) { Put(Label, Num(V)); }
    void Point(Integer X, Integer Y, const char* Label = nullptr) { Put(Label, Num(X) + " " + Num(Y)); }
    void Rect(const TRect& V, const char* Label = nullptr) { Put(Label, RectText(V)); }
    void Corners(const TRect& V)
    {
        Put(nullptr, Num(V.Left) + " " + Num(V.Top) + " " + Num(V.Right) + " " + Num(V.Bottom));
    }
    void FullRect(const TRect& V, const TRect&, const char* Label) { Rect(V, Label); }
    void Text(const String& V) { Put(nullptr, Quoted(V)); }
    void Counted(const String& V) { Text(V); }
    void Bytes(const std::vector<Byte>& V) { Put(nullptr, Data(V)); }
    void RtfLength(const std::vector<Byte>&) {}
    void RtfText(const std::vector<Byte>& V)
    {
        Bytes(V);
        Put("text", Quoted(std::string_view(reinterpret_cast<const char*>(V.data()), V.size())));
    }
    void Arc(const std::array<TPoint, 4>& P)
    {
        Put("box", "(" + Num(P[0].X) + "," + Num(P[0].Y) + "," + Num(P[1].X) + "," + Num(P[1].Y) + ")");
        Put("start", "(" + Num(P[2].X) + "," + Num(P[2].Y) + ")");
        Put("end", "(" + Num(P[3].X) + "," + Num(P[3].Y) + ")");
    }
    void Poly(const std::vector<TPoint>& V)
    {
        String S = Num(static_cast<Int64>(V.size())) + " points";
        for (const TPoint& P : V)
            S += " (" + Num(P.X) + "," + Num(P.Y) + ")";
        Put(nullptr, S);
    }
    void PrinterInfo(const TQorFilePrinterInfo& V) { Put(nullptr, PrinterInfoText(V)); }
    void PrinterSetup(const std::vector<Byte>& V) { Put(nullptr, SetupOfRecord(V)); }
    void Unknown(Word Code) { L = "Record " + Num(Code); }

private:
    void Put(const char* Label, const String& Value)
    {
        L += ' ';
        if (Label) {
            L += Label;
            L += ' ';
        }
        L += Value;
    }

    String& L;
};

String RecordLine(const TQorRecord& R)
{
    String L = QorRecordName(R.Code);
    TFieldDump Fields(L);
    TransferQorRecord(Fields, R);
    return L;
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
