#include "runtime/engine/KivRtf.h"

#include "platform/graphics/GdiTypes.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Utf16.h"
#include "platform/ui/RtfReader.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorSetup.h"
#include "runtime/output/QorUtil.h"

#include <map>
#include <mutex>
#include <unordered_map>

namespace qor {

QOR_PUBLISH(TKivRtfFont) {}
QOR_PUBLISH(TKivRtfFile) {}

// ---- escaping ---------------------------------------------------------------------------------------

namespace {

using TCodePageBytes = std::unordered_map<char16_t, Byte>;

// The bytes above 127 of a code page by the character each stands for alone.
const TCodePageBytes& BytesOfCodePage(Integer CodePage)
{
    static std::mutex Lock;
    static std::map<Integer, TCodePageBytes> Tables;
    const std::lock_guard<std::mutex> Guard(Lock);
    auto [It, Added] = Tables.try_emplace(CodePage);
    if (Added) {
        for (int B = 0x80; B <= 0xFF; ++B) {
            const char Byte1 = static_cast<char>(B);
            const WideString W = DecodeCodePage(std::string_view(&Byte1, 1), CodePage);
            if (W.size() == 1 && W[0] != u'\uFFFD')
                It->second.try_emplace(W[0], static_cast<Byte>(B));
        }
    }
    return It->second;
}

const char HexDigits[] = "0123456789abcdef";

} // namespace

String KivRtfEscape(const String& Text, Integer CodePage)
{
    const WideString W = Utf8ToUtf16(Text);
    const TCodePageBytes& Bytes = BytesOfCodePage(CodePage);
    String Out;
    Out.reserve(Text.size());
    for (std::size_t I = 0; I < W.size(); ++I) {
        const char16_t C = W[I];
        if (C == u'\\' || C == u'{' || C == u'}') {
            Out += '\\';
            Out += static_cast<char>(C);
        } else if (C < 0x80) {
            Out += static_cast<char>(C);
        } else if (auto It = Bytes.find(C); It != Bytes.end()) {
            Out += "\\'";
            Out += HexDigits[It->second >> 4];
            Out += HexDigits[It->second & 0xF];
        } else {
            // One \u per UTF-16 unit, as a signed 16-bit number, then "?" for readers without
            // Unicode, as \'3f: some readers take a literal "?" and the letters after it as one word.
            Out += "\\u" + std::to_string(static_cast<int16_t>(C)) + "\\'3f";
        }
    }
    return Out;
}

// ---- TKivRtfFont ------------------------------------------------------------------------------------

TKivRtfFont::TKivRtfFont() : FFont(std::make_unique<TFont>()) {}

TKivRtfFont::~TKivRtfFont() = default;

void TKivRtfFont::SetFont(TFont* Value)
{
    FFont->Assign(Value);
    LOGFONT Lf;
    QorGetObject(FFont->Handle(), sizeof(LOGFONT), &Lf);
    FPitchAndFamily = Lf.lfPitchAndFamily;
    FCharSet = Lf.lfCharSet;
    FName = FFont->Name();
}

void TKivRtfFont::Assign(const TKivRtfFont& Source)
{
    if (&Source != this)
        SetFont(Source.FFont.get());
}

bool TKivRtfFont::FontSame(TFont* F) const
{
    return F->Style() == FFont->Style() && F->Size() == FFont->Size() && F->Color() == FFont->Color() &&
           F->Pitch() == FFont->Pitch() && F->Name() == FFont->Name();
}

bool TKivRtfFont::DefinitionSame(TFont* F) const
{
    return F->Pitch() == FFont->Pitch() && F->Name() == FFont->Name() && F->Charset() == FFont->Charset();
}

Integer TKivRtfFont::CodePage() const
{
    // Text in a font of the default set is written in the ANSI code page.
    return CodePageOfCharset(FCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : FCharSet);
}

void TKivRtfFont::WriteHeader(TStream& Stream) const
{
    const Integer Family = FPitchAndFamily;
    const char* FamilyName = Family >= 16 && Family <= 31   ? "roman"
                             : Family >= 32 && Family <= 47 ? "swiss"
                             : Family >= 48 && Family <= 63 ? "modern"
                             : Family >= 64 && Family <= 79 ? "script"
                             : Family >= 80 && Family <= 95 ? "decor"
                                                            : "nil";
    const Integer Pitch = FFont->Pitch() == fpVariable ? 2 : FFont->Pitch() == fpFixed ? 1 : 0;
    const Integer CharSet = FCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : FCharSet;
    Stream.WriteString("{\\f" + std::to_string(FNumber) + "\\f" + FamilyName + "\\fcharset" + std::to_string(CharSet) +
                       "\\fprq" + std::to_string(Pitch) + " " + KivRtfEscape(FName, CodePage()) + ";}");
}

void TKivRtfFont::WriteFont(TKivRtfFile& RtfFile) const
{
    String S = "\\f" + std::to_string(FNumber) + "\\fs" + std::to_string(2 * FFont->Size());
    if (FFont->Style().Contains(fsBold))
        S += "\\b";
    if (FFont->Style().Contains(fsItalic))
        S += "\\i";
    if (FFont->Style().Contains(fsUnderline))
        S += "\\ul";
    RtfFile.WriteRaw(S + " ");
}

// ---- TKivRtfFile ------------------------------------------------------------------------------------

TKivRtfFile::TKivRtfFile(const String& FileName)
    : FFileName(FileName), FFont(std::make_unique<TFont>()), FPageSetup(std::make_unique<TKivPageSetup>())
{
    // A folder that takes no file is reported now, not after the whole report has run.
    DeleteFile(CreateSiblingTempFile(FileName));
    AddFont(FFont.get());
    WriteRaw("\\pard\\plain ");
    FRtfFont->WriteFont(*this);
}

TKivRtfFile::~TKivRtfFile()
{
    if (FFinished)
        return;
    try {
        Finish();
    } catch (...) {
        // Destructors do not throw; the old file is untouched and no partial file is left.
    }
}

void TKivRtfFile::Finish()
{
    if (FFinished)
        return;
    FFinished = true;
    while (FBraceCount > 0)
        PopBrace();
    WriteRaw("}");
    SaveFileSafely(FFileName, [this](TStream& Out) { WriteFile(Out); });
}

void TKivRtfFile::SetPageSetup(TKivPageSetup* Value)
{
    if (Value)
        FPageSetup->Assign(Value);
}

void TKivRtfFile::WriteRaw(const String& Rtf) { FStream.WriteString(Rtf); }

void TKivRtfFile::Write(const String& Text) { WriteRaw(KivRtfEscape(Text, FRtfFont->CodePage())); }

void TKivRtfFile::TextOutStream(TStream& S) { FStream.CopyFrom(&S, 0); }

void TKivRtfFile::AddFont(TFont* F)
{
    FFontList.push_back(std::make_unique<TKivRtfFont>());
    FRtfFont = FFontList.back().get();
    FRtfFont->SetNumber(FontCount());
    FRtfFont->SetFont(F);
}

void TKivRtfFile::SetFont(TFont* Value)
{
    if (FRtfFont->FontSame(Value))
        return;
    TKivRtfFont* Found = nullptr;
    for (const auto& Entry : FFontList)
        if (Entry->DefinitionSame(Value)) {
            Found = Entry.get();
            break;
        }
    if (Found)
        FRtfFont = Found;
    else
        AddFont(Value);
    FFont->Assign(Value);
    FRtfFont->SetFont(Value);
    PopBrace();
    PushBrace();
    FRtfFont->WriteFont(*this);
}

void TKivRtfFile::PushBrace()
{
    WriteRaw("{");
    ++FBraceCount;
}

void TKivRtfFile::PopBrace()
{
    if (FBraceCount <= 0)
        return;
    WriteRaw("}");
    --FBraceCount;
}

void TKivRtfFile::ParagraphDefault()
{
    PopBrace();
    WriteRaw("\\pard");
    if (FPageBreak)
        WriteRaw(" \\page");
    if (FBorder)
        WriteRaw(FBorderType == rbtBox ? "\\box\\brdrs " : "\\brdrb\\brdrs ");
    FRtfFont = FFontList.front().get();
    FRtfFont->WriteFont(*this);
}

void TKivRtfFile::NewParagraph() { WriteRaw("\\par "); }

void TKivRtfFile::Tab() { WriteRaw("\\tab "); }

void TKivRtfFile::DefineTab(Integer XPos, TKivTabAlignment Alignment)
{
    if (Alignment == TKivTabAlignment::taCenter)
        WriteRaw("\\tqc");
    else if (Alignment == TKivTabAlignment::taRight)
        WriteRaw("\\tqr");
    WriteRaw("\\tx" + std::to_string(XPos) + " ");
}

void TKivRtfFile::StartBorder() { FBorder = true; }

void TKivRtfFile::EndBorder()
{
    FBorder = false;
    if (FBorderType != rbtBottom) {
        // An unbordered empty paragraph ends the boxed block.
        ParagraphDefault();
        NewParagraph();
    }
}

void TKivRtfFile::StartFrame(Integer X, Integer Y, Integer Height, Integer Width)
{
    ParagraphDefault();
    WriteRaw("\\posyt\\phmrg\\posx" + std::to_string(X) + "\\posy" + std::to_string(Y));
    if (Width > 0)
        WriteRaw("\\absw" + std::to_string(Width));
    if (Height > 0)
        WriteRaw("\\absh" + std::to_string(Height));
    WriteRaw("\\dxfrtext180\\dfrmtxtx180\\dfrmtxty0 ");
}

void TKivRtfFile::EndFrame()
{
    NewParagraph();
    ParagraphDefault();
}

// ---- the file ---------------------------------------------------------------------------------------

namespace {

Integer Twips(Double Inches) { return static_cast<Integer>(Round(Inches * 1440)); }

} // namespace

void TKivRtfFile::WritePaper(TStream& Out) const
{
    const TKivPageSetup& P = *FPageSetup;
    const TKivUnitMaster& UM = *P.UM();
    const String Width = std::to_string(Twips(UM.ToIn(P.Units(), P.Width())));
    const String Height = std::to_string(Twips(UM.ToIn(P.Units(), P.Height())));
    const String Code = std::to_string(P.QorPrinterSetup()->PaperSize());
    if (P.Size() == psCustom)
        Out.WriteString("\\paperw" + Width + "\\paperh" + Height + "\\psz" + Code);
    else if (P.Size() != psUseCurrent)
        Out.WriteString("\\paperh" + Height + "\\paperw" + Width + "\\psz" + Code);
    // Every margin with its number: a bare control word would mean the reader's default margin.
    for (const auto& [Name, Value] : {std::pair{"\\margl", P.LeftMargin()}, std::pair{"\\margr", P.RightMargin()},
                                      std::pair{"\\margt", P.TopMargin()}, std::pair{"\\margb", P.BottomMargin()}})
        Out.WriteString(Name + std::to_string(Twips(UM.ToIn(P.Units(), Value))));
    if (P.Orientation() == poLandscape)
        Out.WriteString("\\landscape");
}

void TKivRtfFile::WriteFile(TStream& Out) const
{
    Out.WriteString("{\\rtf1\\ansi {\\fonttbl");
    for (const auto& Entry : FFontList)
        Entry->WriteHeader(Out);
    Out.WriteString("}");
    WritePaper(Out);
    Out.WriteString(" ");
    Out.WriteBuffer(FStream.Memory(), FStream.Size());
}

} // namespace qor
