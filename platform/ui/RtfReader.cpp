#include "platform/ui/RtfReader.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

namespace qor {

// ---- Code pages ----------------------------------------------------------------------------------

namespace {

// Windows-1252 bytes 0x80..0x9F; the five unassigned ones keep their own value (C1 controls).
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void Decode1252(std::string_view Bytes, WideString& Out)
{
    for (char Ch : Bytes) {
        const Byte B = static_cast<Byte>(Ch);
        Out.push_back(B >= 0x80 && B < 0xA0 ? Cp1252High[B - 0x80] : char16_t(B));
    }
}

std::unique_ptr<QStringDecoder> MakeDecoder(Integer CodePage)
{
    std::vector<std::string> Names;
    switch (CodePage) {
    case 65001: Names = {"UTF-8"}; break;
    case 932: Names = {"windows-31j", "Shift_JIS"}; break;
    case 936: Names = {"GBK", "windows-936"}; break;
    case 949: Names = {"windows-949", "EUC-KR"}; break;
    case 950: Names = {"Big5", "windows-950"}; break;
    case 10000: Names = {"macintosh"}; break;
    default: {
        const std::string N = std::to_string(CodePage);
        Names = {"windows-" + N, "IBM" + N, "cp" + N};
    }
    }
    for (const std::string& Name : Names) {
        auto D = std::make_unique<QStringDecoder>(Name.c_str(), QStringConverter::Flag::Stateless);
        if (D->isValid())
            return D;
    }
    return nullptr;
}

// Decoders by code page, made once per reader.
class TDecoderCache {
public:
    void Decode(std::string_view Bytes, Integer CodePage, WideString& Out)
    {
        if (Bytes.empty())
            return;
        if (CodePage == 1252 || CodePage <= 0) {
            Decode1252(Bytes, Out);
            return;
        }
        auto It = FDecoders.find(CodePage);
        if (It == FDecoders.end())
            It = FDecoders.emplace(CodePage, MakeDecoder(CodePage)).first;
        if (!It->second) {
            Decode1252(Bytes, Out);
            return;
        }
        // A line feed after the bytes is never part of a multibyte character, so a lead byte
        // left without its trail byte is decoded as bad (instead of waiting for more bytes and
        // being dropped); the line feed itself is taken off again.
        FBuffer.assign(Bytes);
        FBuffer.push_back('\n');
        QString S = (*It->second)(QByteArrayView(FBuffer.data(), static_cast<qsizetype>(FBuffer.size())));
        if (S.endsWith(u'\n'))
            S.chop(1);
        const std::size_t From = Out.size();
        Out.append(reinterpret_cast<const char16_t*>(S.utf16()), static_cast<std::size_t>(S.size()));
        // Some converters substitute bad bytes with SUB (0x1A) rather than U+FFFD.
        if (Bytes.find('\x1A') == std::string_view::npos)
            std::replace(Out.begin() + static_cast<std::ptrdiff_t>(From), Out.end(), u'\x1A', u'\xFFFD');
    }

private:
    std::map<Integer, std::unique_ptr<QStringDecoder>> FDecoders;
    std::string FBuffer;
};

bool IsAlpha(Byte C) { return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z'); }
bool IsDigit(Byte C) { return C >= '0' && C <= '9'; }

Integer ClampInt(Int64 V, Integer Lo, Integer Hi)
{
    return static_cast<Integer>(std::clamp<Int64>(V, Lo, Hi));
}

} // namespace

Integer CodePageOfCharset(Integer Charset, Integer Default)
{
    switch (Charset) {
    case 0: return 1252;
    case 2: return 1252;      // symbol fonts: their bytes as they stand
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return Default;
    }
}

WideString DecodeCodePage(std::string_view Bytes, Integer CodePage)
{
    TDecoderCache Cache;
    WideString Out;
    Cache.Decode(Bytes, CodePage, Out);
    return Out;
}

// ---- The RTF reader ------------------------------------------------------------------------------

namespace {

enum class TDest : Byte { Text, Skip, FontTable, ColorTable };

struct TGroupState {
    TDest Dest = TDest::Text;
    TRichCharFormat Char;        // FontName and Charset resolved from Font when text is added
    Integer Font = -1;           // \f number; -1: the document's default font
    TRichParaFormat Para;
    Integer UcSkip = 1;          // fallback characters after \u
};

struct TFontEntry {
    String Name;
    Integer Charset = -1;
    Integer CodePage = 0;        // \cpg; 0: from the character set
};

// Deeper groups are still balanced but share the innermost kept state.
constexpr std::size_t MaxGroupDepth = 1000;

// A font name is copied into every run and paragraph end that uses it, so its length is capped:
// bytes collected from the font table, and characters kept (the longest face name a font can be
// selected by).
constexpr std::size_t MaxFontNameBytes = 256;
constexpr qsizetype MaxFontNameChars = 31;

// Destinations whose text is not part of the document.
bool IsSkippedDestination(std::string_view W)
{
    static const char* const Names[] = {
        "info", "stylesheet", "pict", "object", "objdata", "header", "headerl", "headerr", "headerf",
        "footer", "footerl", "footerr", "footerf", "footnote", "annotation", "atnid", "atnauthor",
        "fldinst", "listtable", "listoverridetable", "revtbl", "rsidtbl", "filetbl", "pgdsctbl",
        "xmlnstbl", "private", "themedata", "colorschememapping", "latentstyles", "datastore",
        "generator", "mmathPr", "template", "nonshppict", "bkmkstart", "bkmkend", "xe", "tc", "txe",
        "userprops", "docvar", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "pn",
        "pnseclvl", "pntxta", "pntxtb", "fldtype", "blipuid", "picprop", "shpinst", "sp", "sn", "sv",
        "formfield", "datafield", "do", "comment", "doccomm", "author", "operator", "title", "subject",
        "keywords", "company", "manager", "category",
    };
    for (const char* N : Names)
        if (W == N)
            return true;
    return false;
}

char16_t NamedCharacter(std::string_view W)
{
    struct TNamed { const char* Name; char16_t Ch; };
    static const TNamed Table[] = {
        {"emdash", 0x2014}, {"endash", 0x2013}, {"bullet", 0x2022}, {"lquote", 0x2018},
        {"rquote", 0x2019}, {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
        {"enspace", 0x2002}, {"qmspace", 0x2005}, {"zwj", 0x200D}, {"zwnj", 0x200C},
        {"ltrmark", 0x200E}, {"rtlmark", 0x200F}, {"tab", RichTab}, {"line", RichLineBreak},
        {"page", RichPageBreak}, {"cell", RichTab}, {"nestcell", RichTab},
    };
    for (const TNamed& N : Table)
        if (W == N.Name)
            return N.Ch;
    return 0;
}

class TRtfReader {
public:
    TRtfReader(std::span<const Byte> Data, TRichDocument& Doc) : FData(Data), FDoc(Doc) {}

    void Run()
    {
        FDoc.Clear();
        FStack.reserve(64);
        FStack.emplace_back();
        const std::size_t N = FData.size();
        while (FPos < N && !FDone) {
            const Byte C = FData[FPos++];
            switch (C) {
            case '{': OpenGroup(); break;
            case '}': CloseGroup(); break;
            case '\\': ReadControl(); break;
            case '\r':
            case '\n': break;
            default: OnTextByte(C); break;
            }
        }
        FlushText();
        FinishFontEntry();
        FDoc.SetLastParagraphFormat(FLastPara ? *FLastPara : Top().Para, FLastChar ? *FLastChar : ResolveChar(Top()));
        FDoc.SetDefaultTab(FDefaultTab);
        FDoc.Finish();
    }

private:
    TGroupState& Top() { return FStack.back(); }

    // ---- tokens

    void ReadControl()
    {
        const std::size_t N = FData.size();
        if (FPos >= N)
            return;   // a lone backslash at the end
        const Byte C = FData[FPos];
        if (IsAlpha(C)) {
            std::string Word;
            while (FPos < N && IsAlpha(FData[FPos])) {
                if (Word.size() < 32)
                    Word.push_back(static_cast<char>(FData[FPos]));
                ++FPos;
            }
            bool HasParam = false;
            bool Negative = false;
            Int64 Param = 0;
            if (FPos + 1 < N && FData[FPos] == '-' && IsDigit(FData[FPos + 1])) {
                Negative = true;
                ++FPos;
            }
            while (FPos < N && IsDigit(FData[FPos])) {
                HasParam = true;
                if (Param < 100000000000LL)
                    Param = Param * 10 + (FData[FPos] - '0');
                ++FPos;
            }
            if (Negative)
                Param = -Param;
            if (FPos < N && FData[FPos] == ' ')
                ++FPos;
            const Integer P = ClampInt(Param, INT32_MIN, INT32_MAX);
            if (Word == "bin") {
                // Binary data: its bytes are not RTF; skip them (never past the end).
                const Int64 Count = std::clamp<Int64>(HasParam ? Param : 0, 0, static_cast<Int64>(N - FPos));
                FPos += static_cast<std::size_t>(Count);
                FGroupStart = false;
                return;
            }
            OnControlWord(Word, HasParam, P);
            return;
        }
        ++FPos;
        if (C == '\'') {
            Integer Value = 0;
            Integer Digits = 0;
            while (Digits < 2 && FPos < N) {
                const Byte H = FData[FPos];
                Integer V;
                if (IsDigit(H))
                    V = H - '0';
                else if (H >= 'a' && H <= 'f')
                    V = H - 'a' + 10;
                else if (H >= 'A' && H <= 'F')
                    V = H - 'A' + 10;
                else
                    break;
                Value = Value * 16 + V;
                ++Digits;
                ++FPos;
            }
            if (Digits > 0)
                OnHexByte(static_cast<Byte>(Value));
            return;
        }
        if (C == '\r' || C == '\n') {
            OnControlWord("par", false, 0);
            return;
        }
        OnControlSymbol(C);
    }

    // True (and one fallback character used up) while characters after \u are being skipped.
    bool SkipFallback()
    {
        if (FFallback > 0) {
            --FFallback;
            return true;
        }
        return false;
    }

    // ---- groups

    void OpenGroup()
    {
        FFallback = 0;
        FlushText();
        if (FStack.size() >= MaxGroupDepth)
            ++FOverflow;
        else
            FStack.push_back(Top());
        FGroupStart = true;
    }

    void CloseGroup()
    {
        FFallback = 0;
        FlushText();
        FGroupStart = false;
        if (FOverflow > 0) {
            --FOverflow;
            return;
        }
        if (FStack.size() <= 2) {
            // The document's own group ends: what follows is not part of it.
            if (FStack.size() == 2) {
                FLastPara = std::make_unique<TRichParaFormat>(Top().Para);
                FLastChar = std::make_unique<TRichCharFormat>(ResolveChar(Top()));
            }
            FDone = true;
            return;
        }
        const TDest Ending = Top().Dest;
        FStack.pop_back();
        if (Ending == TDest::FontTable)
            FinishFontEntry();
    }

    // ---- text

    Integer CurrentCodePage(const TGroupState& S) const
    {
        const TFontEntry* F = FontOf(S);
        if (F) {
            if (F->CodePage > 0)
                return F->CodePage;
            if (F->Charset >= 0)
                return CodePageOfCharset(F->Charset, FCodePage);
        }
        return FCodePage;
    }

    const TFontEntry* FontOf(const TGroupState& S) const
    {
        const Integer Index = S.Font >= 0 ? S.Font : FDefaultFont;
        if (Index < 0)
            return nullptr;
        auto It = FFonts.find(Index);
        return It == FFonts.end() ? nullptr : &It->second;
    }

    TRichCharFormat ResolveChar(const TGroupState& S) const
    {
        TRichCharFormat F = S.Char;
        if (const TFontEntry* Font = FontOf(S)) {
            F.FontName = Font->Name;
            F.Charset = Font->Charset;
        }
        return F;
    }

    void OnTextByte(Byte C)
    {
        if (SkipFallback())
            return;
        FGroupStart = false;
        switch (Top().Dest) {
        case TDest::Skip:
            return;
        case TDest::FontTable:
            if (C == ';')
                FinishFontEntry();
            else
                AddFontNameByte(C);
            return;
        case TDest::ColorTable:
            if (C == ';') {
                FColors.push_back(FColorSeen ? TColor(RGB(FRed, FGreen, FBlue)) : clDefault);
                FRed = FGreen = FBlue = 0;
                FColorSeen = false;
            }
            return;
        case TDest::Text:
            break;
        }
        if (C == '\t') {
            AddChar(RichTab);
            return;
        }
        if (C < 0x20)
            return;
        AddByte(C);
    }

    void OnHexByte(Byte C)
    {
        if (SkipFallback())
            return;
        FGroupStart = false;
        switch (Top().Dest) {
        case TDest::Text: AddByte(C); return;
        case TDest::FontTable: AddFontNameByte(C); return;
        default: return;
        }
    }

    void AddByte(Byte C)
    {
        const Integer CodePage = CurrentCodePage(Top());
        if (!FPending.empty() && CodePage != FPendingCodePage)
            FlushText();
        FPendingCodePage = CodePage;
        FPending.push_back(static_cast<char>(C));
    }

    void AddChar(char16_t Ch)
    {
        FlushText();
        FDoc.AddChar(Ch, ResolveChar(Top()));
    }

    void FlushText()
    {
        if (FPending.empty())
            return;
        FDecoded.clear();
        FDecoders.Decode(FPending, FPendingCodePage, FDecoded);
        FPending.clear();
        FDoc.AddText(FDecoded, ResolveChar(Top()));
    }

    void EndParagraph()
    {
        FlushText();
        FDoc.EndParagraph(Top().Para, ResolveChar(Top()));
    }

    // ---- font table

    void AddFontNameByte(Byte C)
    {
        if (FFontName.size() < MaxFontNameBytes)
            FFontName.push_back(static_cast<char>(C));
    }

    void FinishFontEntry()
    {
        if (FCurrentFont < 0) {
            FFontName.clear();
            return;
        }
        TFontEntry& F = FFonts[FCurrentFont];
        F.Charset = FFontCharset;
        F.CodePage = FFontCodePage;
        const Integer CodePage = FFontCodePage > 0 ? FFontCodePage : CodePageOfCharset(FFontCharset, FCodePage);
        WideString Name = DecodeCodePage(FFontName, CodePage);
        QString Trimmed = QString::fromUtf16(Name.data(), static_cast<qsizetype>(Name.size())).trimmed();
        if (Trimmed.size() > MaxFontNameChars)
            Trimmed.truncate(Trimmed.at(MaxFontNameChars).isLowSurrogate() ? MaxFontNameChars - 1 : MaxFontNameChars);
        F.Name = Trimmed.toStdString();
        FCurrentFont = -1;
        FFontName.clear();
    }

    // ---- control words

    void OnControlSymbol(Byte C)
    {
        if (C == '*') {
            // "Ignore this destination unless you know it": none of them is shown.
            if (FGroupStart)
                Top().Dest = TDest::Skip;
            FGroupStart = false;
            return;
        }
        if (SkipFallback())
            return;
        FGroupStart = false;
        if (Top().Dest != TDest::Text) {
            if (Top().Dest == TDest::FontTable && (C == '\\' || C == '{' || C == '}'))
                AddFontNameByte(C);
            return;
        }
        switch (C) {
        case '\\':
        case '{':
        case '}': AddByte(C); break;
        case '~': AddChar(0x00A0); break;
        case '-': AddChar(0x00AD); break;
        case '_': AddChar(0x2011); break;
        case '\t': AddChar(RichTab); break;
        default: break;   // \| \: and unknown symbols carry nothing to show
        }
    }

    void OnControlWord(std::string_view W, bool HasParam, Integer P)
    {
        const bool AtGroupStart = FGroupStart;
        FGroupStart = false;
        if (W == "u" && HasParam) {
            if (SkipFallback())
                return;
            if (Top().Dest == TDest::Text)
                AddChar(static_cast<char16_t>(P < 0 ? P + 65536 : P));
            FFallback = Top().UcSkip;
            return;
        }
        if (SkipFallback())
            return;
        FlushText();
        TGroupState& S = Top();
        if (S.Dest == TDest::Skip)
            return;
        if (AtGroupStart && IsSkippedDestination(W)) {
            S.Dest = TDest::Skip;
            return;
        }
        if (W == "uc") {
            S.UcSkip = std::max(0, P);
            return;
        }
        if (W == "fonttbl") {
            S.Dest = TDest::FontTable;
            return;
        }
        if (W == "colortbl") {
            S.Dest = TDest::ColorTable;
            FColors.clear();
            return;
        }
        if (S.Dest == TDest::FontTable) {
            FontTableWord(W, HasParam, P);
            return;
        }
        if (S.Dest == TDest::ColorTable) {
            const Integer V = std::clamp(P, 0, 255);
            if (W == "red")
                FRed = static_cast<Byte>(V), FColorSeen = true;
            else if (W == "green")
                FGreen = static_cast<Byte>(V), FColorSeen = true;
            else if (W == "blue")
                FBlue = static_cast<Byte>(V), FColorSeen = true;
            return;
        }
        if (DocumentWord(W, HasParam, P) || CharacterWord(S, W, HasParam, P) || ParagraphWord(S, W, HasParam, P))
            return;
        if (W == "par" || W == "sect" || W == "row" || W == "nestrow") {
            EndParagraph();
            return;
        }
        if (const char16_t Ch = NamedCharacter(W))
            AddChar(Ch);
        // Anything else is formatting this document model does not keep.
    }

    void FontTableWord(std::string_view W, bool HasParam, Integer P)
    {
        if (W == "f" && HasParam) {
            FinishFontEntry();
            FCurrentFont = P;
            FFontCharset = -1;
            FFontCodePage = 0;
        } else if (W == "fcharset") {
            FFontCharset = std::clamp(P, 0, 255);
        } else if (W == "cpg") {
            FFontCodePage = std::max(0, P);
        }
    }

    bool DocumentWord(std::string_view W, bool HasParam, Integer P)
    {
        if (W == "ansicpg") {
            if (HasParam && P > 0)
                FCodePage = P;
        } else if (W == "ansi") {
            FCodePage = 1252;
        } else if (W == "mac") {
            FCodePage = 10000;
        } else if (W == "pc") {
            FCodePage = 437;
        } else if (W == "pca") {
            FCodePage = 850;
        } else if (W == "deff") {
            FDefaultFont = HasParam ? P : -1;
        } else if (W == "deftab") {
            FDefaultTab = P;
        } else {
            return false;
        }
        return true;
    }

    TColor ColorAt(Integer Index, TColor Missing) const
    {
        if (Index < 0 || Index >= static_cast<Integer>(FColors.size()))
            return Missing;
        return FColors[static_cast<std::size_t>(Index)];
    }

    bool CharacterWord(TGroupState& S, std::string_view W, bool HasParam, Integer P)
    {
        const bool On = !HasParam || P != 0;
        TRichCharFormat& C = S.Char;
        if (W == "plain") {
            C = TRichCharFormat();
            S.Font = -1;
        } else if (W == "b") {
            C.SetStyle(rsBold, On);
        } else if (W == "i") {
            C.SetStyle(rsItalic, On);
        } else if (W == "ul" || W == "uld" || W == "uldb" || W == "uldash" || W == "ulw" || W == "ulth"
                   || W == "ulwave" || W == "uldashd" || W == "uldashdd" || W == "ulhwave" || W == "ulthd") {
            C.SetStyle(rsUnderline, On);
        } else if (W == "ulnone") {
            C.SetStyle(rsUnderline, false);
        } else if (W == "strike" || W == "striked") {
            C.SetStyle(rsStrikeOut, On);
        } else if (W == "fs") {
            C.Size = HasParam && P > 0 ? static_cast<Integer>(std::min<Int64>(Int64(P) * 10, RichMaxFontSize)) : 0;
        } else if (W == "f") {
            S.Font = HasParam ? P : -1;
        } else if (W == "cf") {
            C.Color = ColorAt(P, clDefault);
        } else if (W == "cb" || W == "highlight" || W == "chcbpat") {
            const TColor Back = P == 0 ? clNone : ColorAt(P, clNone);
            C.BackColor = Back == clDefault ? clNone : Back;
        } else {
            return false;
        }
        return true;
    }

    bool ParagraphWord(TGroupState& S, std::string_view W, bool HasParam, Integer P)
    {
        TRichParaFormat& F = S.Para;
        const Integer Len = std::clamp(P, -RichMaxMeasure, RichMaxMeasure);
        if (W == "pard") {
            F = TRichParaFormat();
        } else if (W == "ql") {
            F.Alignment = TRichAlignment::Left;
        } else if (W == "qr") {
            F.Alignment = TRichAlignment::Right;
        } else if (W == "qc") {
            F.Alignment = TRichAlignment::Center;
        } else if (W == "qj" || W == "qd") {
            F.Alignment = TRichAlignment::Justify;
        } else if (W == "li") {
            F.LeftIndent = Len;
        } else if (W == "ri") {
            F.RightIndent = Len;
        } else if (W == "fi") {
            F.FirstIndent = Len;
        } else if (W == "sb") {
            F.SpaceBefore = std::max(0, Len);
        } else if (W == "sa") {
            F.SpaceAfter = std::max(0, Len);
        } else if (W == "sl") {
            F.LineSpacing = Len;
        } else if (W == "slmult") {
            F.LineSpacingMultiple = !HasParam || P != 0;
        } else if (W == "tx") {
            if (HasParam && Len > 0)
                F.AddTab(Len);
        } else {
            return false;
        }
        return true;
    }

    std::span<const Byte> FData;
    TRichDocument& FDoc;
    std::size_t FPos = 0;
    bool FDone = false;
    bool FGroupStart = false;
    std::vector<TGroupState> FStack;
    std::size_t FOverflow = 0;
    Integer FFallback = 0;

    std::string FPending;
    Integer FPendingCodePage = 1252;
    WideString FDecoded;
    TDecoderCache FDecoders;

    Integer FCodePage = 1252;
    Integer FDefaultFont = -1;
    Integer FDefaultTab = 720;
    std::map<Integer, TFontEntry> FFonts;
    Integer FCurrentFont = -1;
    Integer FFontCharset = -1;
    Integer FFontCodePage = 0;
    std::string FFontName;

    std::vector<TColor> FColors;
    Byte FRed = 0, FGreen = 0, FBlue = 0;
    bool FColorSeen = false;

    std::unique_ptr<TRichParaFormat> FLastPara;
    std::unique_ptr<TRichCharFormat> FLastChar;
};

} // namespace

bool IsRtf(std::span<const Byte> Data)
{
    std::size_t I = 0;
    while (I < Data.size() && (Data[I] == ' ' || Data[I] == '\t' || Data[I] == '\r' || Data[I] == '\n'))
        ++I;
    static constexpr char Magic[] = "{\\rtf";
    if (Data.size() - I < 5)
        return false;
    return std::equal(Magic, Magic + 5, Data.begin() + static_cast<std::ptrdiff_t>(I));
}

void ReadRtf(std::span<const Byte> Data, TRichDocument& Doc)
{
    TRtfReader Reader(Data, Doc);
    Reader.Run();
}

namespace {

void ReadPlainUtf16(std::u16string_view Text, TRichDocument& Doc)
{
    Doc.Clear();
    const TRichCharFormat Plain;
    const TRichParaFormat Para;
    std::size_t LineStart = 0;
    for (std::size_t I = 0; I < Text.size(); ++I) {
        const char16_t C = Text[I];
        if (C != '\r' && C != '\n')
            continue;
        Doc.AddText(Text.substr(LineStart, I - LineStart), Plain);
        Doc.EndParagraph(Para, Plain);
        if (C == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n')
            ++I;
        LineStart = I + 1;
    }
    Doc.AddText(Text.substr(LineStart), Plain);
    Doc.Finish();
}

} // namespace

void ReadPlainText(std::string_view Text, TRichDocument& Doc)
{
    const QString S = QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
    ReadPlainUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(S.utf16()), static_cast<std::size_t>(S.size())), Doc);
}

void ReadRichText(std::span<const Byte> Data, TRichDocument& Doc)
{
    if (IsRtf(Data)) {
        ReadRtf(Data, Doc);
        return;
    }
    std::string_view Bytes(reinterpret_cast<const char*>(Data.data()), Data.size());
    if (Bytes.size() >= 3 && Bytes.substr(0, 3) == "\xEF\xBB\xBF")
        Bytes.remove_prefix(3);
    QStringDecoder Utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInvalidToNull);
    const QString S = Utf8(QByteArrayView(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
    if (!Utf8.hasError()) {
        ReadPlainUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(S.utf16()), static_cast<std::size_t>(S.size())), Doc);
        return;
    }
    WideString Ansi;
    Decode1252(Bytes, Ansi);
    ReadPlainUtf16(Ansi, Doc);
}

} // namespace qor
