#include "platform/ui/RtfWriter.h"

#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Utf16.h"

#include <map>
#include <utility>

namespace qor {

namespace {

class TRtfWriter {
public:
    explicit TRtfWriter(const TRichDocument& Doc) : D(Doc) {}

    std::string Run()
    {
        CollectTables();
        Out = "{\\rtf1\\ansi\\ansicpg65001\\uc0\\deftab" + std::to_string(D.DefaultTab());
        WriteFontTable();
        WriteColourTable();
        for (Integer P = 0; P < D.ParagraphCount(); ++P) {
            const TRichParagraph& Para = D.Paragraph(P);
            if (P == 0 || !(Para.Format == D.Paragraph(P - 1).Format))
                ParagraphFormat(Para.Format);
            for (const TRichRun& Run : Para.Runs) {
                CharacterFormat(Run.Format);
                Text(Run.Text);
            }
            // What is in force at the mark (or, for the last paragraph, at the end) is its format.
            CharacterFormat(Para.EndFormat);
            if (Para.HasEnd)
                Out += "\\par\n";
        }
        return Out + "}";
    }

private:
    // The fonts (name and character set) and colours the runs use, numbered in order of use.
    void CollectTables()
    {
        const auto Take = [this](const TRichCharFormat& F) {
            if (!F.FontName.empty() || F.Charset >= 0)
                Fonts.emplace(std::make_pair(F.FontName, F.Charset), static_cast<Integer>(Fonts.size()));
            for (const TColor C : {F.Color, F.BackColor})
                if (C != clDefault && C != clNone)
                    Colours.emplace(C, static_cast<Integer>(Colours.size()) + 1);
        };
        for (Integer P = 0; P < D.ParagraphCount(); ++P) {
            const TRichParagraph& Para = D.Paragraph(P);
            for (const TRichRun& Run : Para.Runs)
                Take(Run.Format);
            Take(Para.EndFormat);
        }
    }

    void WriteFontTable()
    {
        if (Fonts.empty())
            return;
        std::vector<const std::pair<String, Integer>*> ByIndex(Fonts.size());
        for (const auto& [Font, Index] : Fonts)
            ByIndex[static_cast<std::size_t>(Index)] = &Font;
        Out += "{\\fonttbl";
        for (std::size_t I = 0; I < ByIndex.size(); ++I) {
            Out += "{\\f" + std::to_string(I);
            if (ByIndex[I]->second >= 0)
                Out += "\\fcharset" + std::to_string(ByIndex[I]->second);
            Out += "\\cpg65001 ";
            // The name's bytes, each delimiter as a hexadecimal escape.
            for (const char C : ByIndex[I]->first) {
                const auto B = static_cast<unsigned char>(C);
                if (C == ';' || C == '\\' || C == '{' || C == '}' || B < 0x20)
                    Hex(B);
                else
                    Out += C;
            }
            Out += ";}";
        }
        Out += "}";
    }

    void WriteColourTable()
    {
        if (Colours.empty())
            return;
        std::vector<TColor> ByIndex(Colours.size() + 1);
        for (const auto& [Colour, Index] : Colours)
            ByIndex[static_cast<std::size_t>(Index)] = Colour;
        Out += "{\\colortbl ;";
        for (std::size_t I = 1; I < ByIndex.size(); ++I) {
            const auto C = static_cast<COLORREF>(ByIndex[I]);
            Out += "\\red" + std::to_string(GetRValue(C)) + "\\green" + std::to_string(GetGValue(C)) + "\\blue" +
                   std::to_string(GetBValue(C)) + ";";
        }
        Out += "}";
    }

    void Word(const char* Name, Integer Value)
    {
        Out += '\\';
        Out += Name;
        Out += std::to_string(Value);
    }

    void ParagraphFormat(const TRichParaFormat& F)
    {
        Out += "\\pard";
        switch (F.Alignment) {
        case TRichAlignment::Left: break;
        case TRichAlignment::Right: Out += "\\qr"; break;
        case TRichAlignment::Center: Out += "\\qc"; break;
        case TRichAlignment::Justify: Out += "\\qj"; break;
        }
        for (const auto& [Name, Value] : {std::pair{"li", F.LeftIndent}, std::pair{"ri", F.RightIndent},
                                          std::pair{"fi", F.FirstIndent}, std::pair{"sb", F.SpaceBefore},
                                          std::pair{"sa", F.SpaceAfter}, std::pair{"sl", F.LineSpacing}})
            if (Value != 0)
                Word(Name, Value);
        if (F.LineSpacingMultiple)
            Out += "\\slmult1";
        for (const Integer Stop : F.Tabs)
            Word("tx", Stop);
        Out += ' ';
    }

    // Changes the character format in force (Cur) to F: only what differs, unless something set in
    // Cur is to be unset, which only \plain does for styles.
    void CharacterFormat(const TRichCharFormat& F)
    {
        if (F == Cur)
            return;
        if ((Cur.StylesSet & ~F.StylesSet) != 0) {
            Out += "\\plain";
            Cur = TRichCharFormat();
        }
        const bool HasFont = !F.FontName.empty() || F.Charset >= 0;
        if (F.FontName != Cur.FontName || F.Charset != Cur.Charset) {
            if (HasFont)
                Word("f", Fonts.at({F.FontName, F.Charset}));
            else
                Out += "\\f";
        }
        if (F.Size != Cur.Size)
            Word("fs", F.Size / 10);
        static constexpr std::pair<TRichStyle, const char*> Styles[] = {
            {rsBold, "b"}, {rsItalic, "i"}, {rsUnderline, "ul"}, {rsStrikeOut, "strike"}};
        for (const auto& [Style, Name] : Styles)
            if ((F.StylesSet & Style) && (!(Cur.StylesSet & Style) || ((F.Styles ^ Cur.Styles) & Style))) {
                Out += '\\';
                Out += Name;
                if (!(F.Styles & Style))
                    Out += '0';
            }
        if (F.Color != Cur.Color)
            Word("cf", F.Color == clDefault || F.Color == clNone ? 0 : Colours.at(F.Color));
        if (F.BackColor != Cur.BackColor)
            Word("highlight", F.BackColor == clDefault || F.BackColor == clNone ? 0 : Colours.at(F.BackColor));
        Out += ' ';
        Cur = F;
    }

    void Hex(unsigned char B)
    {
        static constexpr char Digits[] = "0123456789abcdef";
        Out += "\\'";
        Out += Digits[B >> 4];
        Out += Digits[B & 15];
    }

    // Plain characters as UTF-8; controls and a surrogate without its partner as \u escapes of the
    // unit; the three delimiters escaped.
    void Text(const WideString& T)
    {
        std::size_t From = 0;
        for (std::size_t I = 0; I < T.size(); ++I) {
            const char16_t U = T[I];
            const bool Paired = (IsHighSurrogate(U) && I + 1 < T.size() && IsLowSurrogate(T[I + 1])) ||
                                (IsLowSurrogate(U) && I > 0 && IsHighSurrogate(T[I - 1]));
            const bool Lone = IsSurrogate(U) && !Paired;
            if (U >= 0x20 && U != '\\' && U != '{' && U != '}' && !Lone)
                continue;
            Out += Utf16ToUtf8(std::u16string_view(T).substr(From, I - From));
            if (U < 0x20 || Lone) {
                Word("u", U >= 0x8000 ? Integer(U) - 65536 : Integer(U));
                Out += ' ';
            } else {
                Out += '\\';
                Out += static_cast<char>(U);
            }
            From = I + 1;
        }
        Out += Utf16ToUtf8(std::u16string_view(T).substr(From));
    }

    const TRichDocument& D;
    std::string Out;
    TRichCharFormat Cur; // in force where the text is written
    std::map<std::pair<String, Integer>, Integer> Fonts;
    std::map<TColor, Integer> Colours;
};

} // namespace

std::string WriteRtf(const TRichDocument& Doc) { return TRtfWriter(Doc).Run(); }

} // namespace qor
