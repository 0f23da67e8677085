#include "platform/ui/RichDocument.h"

#include "platform/rtl/Utf16.h"

#include <algorithm>

namespace qor {

void TRichCharFormat::SetStyle(TRichStyle AStyle, bool On)
{
    StylesSet |= AStyle;
    if (On)
        Styles |= AStyle;
    else
        Styles &= static_cast<Byte>(~AStyle);
}

bool TRichCharFormat::Style(TRichStyle AStyle, bool Default) const
{
    if (StylesSet & AStyle)
        return (Styles & AStyle) != 0;
    return Default;
}

void TRichParaFormat::AddTab(Integer Position)
{
    auto It = std::lower_bound(Tabs.begin(), Tabs.end(), Position);
    if (It != Tabs.end() && *It == Position)
        return;
    if (static_cast<Integer>(Tabs.size()) >= RichMaxTabs)
        return;
    Tabs.insert(It, Position);
}

Integer TRichParagraph::TextLength() const
{
    std::size_t N = 0;
    for (const TRichRun& Run : Runs)
        N += Run.Text.size();
    return static_cast<Integer>(N);
}

TRichDocument::TRichDocument()
{
    Clear();
}

void TRichDocument::Clear()
{
    FParagraphs.clear();
    FParagraphs.emplace_back();
    FDefaultTab = 720;
    FIndexValid = false;
}

void TRichDocument::AddText(std::u16string_view Text, const TRichCharFormat& Format)
{
    if (Text.empty())
        return;
    TRichParagraph& Para = FParagraphs.back();
    if (!Para.Runs.empty() && Para.Runs.back().Format == Format)
        Para.Runs.back().Text.append(Text);
    else
        Para.Runs.push_back(TRichRun{WideString(Text), Format});
    FIndexValid = false;
}

void TRichDocument::EndParagraph(const TRichParaFormat& Format, const TRichCharFormat& EndFormat)
{
    TRichParagraph& Para = FParagraphs.back();
    Para.Format = Format;
    Para.EndFormat = EndFormat;
    Para.HasEnd = true;
    FParagraphs.emplace_back();
    FIndexValid = false;
}

void TRichDocument::SetLastParagraphFormat(const TRichParaFormat& Format, const TRichCharFormat& EndFormat)
{
    FParagraphs.back().Format = Format;
    FParagraphs.back().EndFormat = EndFormat;
}

void TRichDocument::Reindex() const
{
    if (FIndexValid)
        return;
    FStarts.resize(FParagraphs.size() + 1);
    Int64 Pos = 0;
    for (std::size_t I = 0; I < FParagraphs.size(); ++I) {
        FStarts[I] = static_cast<Integer>(Pos);
        Pos += FParagraphs[I].Length();
    }
    FStarts[FParagraphs.size()] = static_cast<Integer>(Pos);
    FIndexValid = true;
}

Integer TRichDocument::ParagraphStart(Integer Index) const
{
    Reindex();
    return FStarts.at(static_cast<std::size_t>(Index));
}

Integer TRichDocument::ParagraphAt(Integer Pos) const
{
    Reindex();
    if (Pos <= 0)
        return 0;
    // The last start not after Pos; the end position belongs to the last paragraph.
    auto It = std::upper_bound(FStarts.begin(), FStarts.end() - 1, Pos);
    Integer Index = static_cast<Integer>(It - FStarts.begin()) - 1;
    return std::clamp(Index, 0, ParagraphCount() - 1);
}

Integer TRichDocument::TextLength() const
{
    Reindex();
    return FStarts.back();
}

WideString TRichDocument::Text() const
{
    return TextRange(0, TextLength());
}

WideString TRichDocument::TextRange(Integer Start, Integer Count) const
{
    const Integer Len = TextLength();
    Start = std::clamp(Start, 0, Len);
    Count = std::clamp(Count, 0, Len - Start);
    WideString Result;
    Result.reserve(static_cast<std::size_t>(Count));
    const Integer End = Start + Count;
    for (Integer P = ParagraphAt(Start); P < ParagraphCount() && ParagraphStart(P) < End; ++P) {
        const TRichParagraph& Para = FParagraphs[static_cast<std::size_t>(P)];
        Integer Pos = ParagraphStart(P);
        for (const TRichRun& Run : Para.Runs) {
            const Integer RunEnd = Pos + static_cast<Integer>(Run.Text.size());
            const Integer From = std::max(Pos, Start);
            const Integer To = std::min(RunEnd, End);
            if (From < To)
                Result.append(Run.Text, static_cast<std::size_t>(From - Pos), static_cast<std::size_t>(To - From));
            Pos = RunEnd;
        }
        if (Para.HasEnd && Pos >= Start && Pos < End)
            Result.push_back(RichParagraphEnd);
    }
    return Result;
}

void TRichDocument::SetDefaultTab(Integer Value)
{
    FDefaultTab = Value > 0 ? std::min(Value, RichMaxMeasure) : 720;
}

void TRichDocument::Finish()
{
    for (TRichParagraph& Para : FParagraphs) {
        for (TRichRun& Run : Para.Runs) {
            WideString& T = Run.Text;
            for (std::size_t I = 0; I < T.size();) {
                const std::size_t At = I;
                if (NextCodePoint(T.data(), T.size(), I) == ReplacementChar)
                    T[At] = ReplacementChar; // an unpaired surrogate (or the replacement itself)
            }
        }
    }
    FIndexValid = false;
}

} // namespace qor
