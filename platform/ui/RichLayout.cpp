#include "platform/ui/RichLayout.h"

#include "platform/graphics/Gdi.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Utf16.h"
#include "platform/ui/RtfReader.h"

#include <QString>

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

namespace qor {

namespace {

// The font a character is drawn with, independent of any device.
struct TFontKey {
    String Face;
    Integer Size = 200;   // twips
    Byte Styles = 0;
    Byte Charset = 1;
    auto operator<=>(const TFontKey&) const = default;
};

struct TCharStyle {
    TFontKey Font;
    TColor Color = clDefault;
    TColor Back = clNone;
    auto operator<=>(const TCharStyle&) const = default;
};

// A font created with its em height in twips, so that its metrics read as twips.
struct TMeasureFont {
    HFONT Handle;
    Integer Ascent = 0;
    Integer Descent = 0;
};

// One paragraph's characters with their styles, and their advances (twips) on the target, measured
// a block at a time as lines need them: a line costs what it holds, however long its paragraph.
inline constexpr Integer MeasureBlock = 512;

struct TParaCache {
    WideString Text;
    std::vector<Integer> Style;     // index into TImpl::Styles, per unit
    std::vector<Integer> RunEnds;   // where each run of the paragraph ends
    Integer EndStyle = 0;
    std::unordered_map<Integer, std::vector<Integer>> Advances;  // per unit, by block measured
    UInt64 Used = 0;                // the last period of measurements that used it
};

// One laid-out line. Offsets are within the paragraph; X holds the left edge of every unit from
// Start to End and the right edge of the last, in twips from the rectangle's left edge.
struct TLine {
    Integer Start = 0;
    Integer End = 0;
    bool Last = false;        // the paragraph's last line
    bool PageBreak = false;
    Integer Ascent = 0;
    Integer Descent = 0;
    Integer Height = 0;       // the line itself
    Integer Before = 0;       // paragraph spacing above
    Integer After = 0;        // paragraph spacing below
    std::vector<Integer> X;

    Integer Slot() const { return Before + Height + After; }
};

bool IsZeroWidth(char16_t C)
{
    return C < 0x20 || C == 0x00AD;
}

Integer ClampInt(Int64 V)
{
    return static_cast<Integer>(std::clamp<Int64>(V, INT_MIN, INT_MAX));
}

// Twips to logical units at Dpi, rounding half away from zero.
Integer TwipsTo(Integer Twips, Integer Dpi)
{
    const Int64 N = Int64(Twips) * Dpi;
    const Int64 R = N >= 0 ? (N + 720) / 1440 : -((-N + 720) / 1440);
    return static_cast<Integer>(std::clamp<Int64>(R, INT_MIN / 2, INT_MAX / 2));
}

LOGFONT MakeLogFont(const TFontKey& Key, Integer Height)
{
    LOGFONT Lf;
    Lf.lfHeight = -std::max(1, Height);
    Lf.lfWeight = (Key.Styles & rsBold) ? FW_BOLD : FW_NORMAL;
    Lf.lfItalic = (Key.Styles & rsItalic) ? 1 : 0;
    Lf.lfUnderline = (Key.Styles & rsUnderline) ? 1 : 0;
    Lf.lfStrikeOut = (Key.Styles & rsStrikeOut) ? 1 : 0;
    Lf.lfCharSet = Key.Charset;
    const QString Face = QString::fromStdString(Key.Face);
    const qsizetype N = std::min<qsizetype>(Face.size(), LF_FACESIZE - 1);
    for (qsizetype I = 0; I < N; ++I)
        Lf.lfFaceName[I] = Face.at(I).unicode();
    return Lf;
}

// Measuring happens in MM_TEXT whatever mapping the target context has, so that fonts sized in
// twips report twips; the context's state is given back afterwards.
class TMeasureScope {
public:
    explicit TMeasureScope(HDC DC) : FDC(DC), FLevel(SaveDC(DC))
    {
        SetMapMode(DC, MM_TEXT);
    }
    ~TMeasureScope()
    {
        if (FLevel > 0)
            RestoreDC(FDC, FLevel);
    }
    TMeasureScope(const TMeasureScope&) = delete;
    TMeasureScope& operator=(const TMeasureScope&) = delete;

private:
    HDC FDC;
    Integer FLevel;
};

} // namespace

struct TRichTextEngine::TImpl {
    TRichDocument Doc;
    TRichDefaultFont Default;

    // What the document and the default font give: the styles and the paragraphs' characters.
    std::vector<TCharStyle> Styles;
    std::map<TCharStyle, Integer> StyleIndex;
    std::unordered_map<Integer, TParaCache> Paras;  // by paragraph index
    // Measurements, valid for MeasureDC.
    HDC MeasureDC;
    HDC OwnScreenDC;
    std::map<TFontKey, TMeasureFont> Fonts;
    std::vector<const TMeasureFont*> StyleFonts;   // by style index
    // Dropping the measurements starts a new period; a paragraph no period since the last one
    // used is let go.
    UInt64 Period = 1;
    bool PeriodUsed = false;

    ~TImpl()
    {
        ClearCache();
        if (OwnScreenDC)
            DeleteDC(OwnScreenDC);
    }

    // Everything, for another document or default font.
    void ClearCache()
    {
        ClearMeasurements();
        Paras.clear();
        Styles.clear();
        StyleIndex.clear();
    }

    // What depends on the target. The characters of the paragraphs the last period used stay, so
    // that a long paragraph laid out a page at a time is not gathered again for every page.
    void ClearMeasurements()
    {
        for (auto& [Key, Font] : Fonts)
            DeleteObject(Font.Handle);
        Fonts.clear();
        StyleFonts.clear();
        MeasureDC = HDC();
        if (!PeriodUsed)
            return;
        for (auto It = Paras.begin(); It != Paras.end();) {
            if (It->second.Used != Period) {
                It = Paras.erase(It);
                continue;
            }
            It->second.Advances.clear();
            ++It;
        }
        ++Period;
        PeriodUsed = false;
    }

    // ---- styles and measuring

    Integer StyleOf(const TRichCharFormat& F)
    {
        TCharStyle S;
        S.Font.Face = F.FontName.empty() ? Default.Name : F.FontName;
        S.Font.Size = F.Size > 0 ? F.Size : Default.Size;
        S.Font.Size = std::clamp(S.Font.Size, 1, RichMaxFontSize);
        for (TRichStyle Bit : {rsBold, rsItalic, rsUnderline, rsStrikeOut})
            if (F.Style(Bit, (Default.Styles & Bit) != 0))
                S.Font.Styles |= Bit;
        if (F.Charset >= 0)
            S.Font.Charset = static_cast<Byte>(F.Charset);
        else
            S.Font.Charset = F.FontName.empty() ? Default.Charset : DEFAULT_CHARSET;
        S.Color = F.Color == clDefault ? Default.Color : F.Color;
        S.Back = F.BackColor;
        auto It = StyleIndex.find(S);
        if (It != StyleIndex.end())
            return It->second;
        const Integer Index = static_cast<Integer>(Styles.size());
        Styles.push_back(S);
        StyleIndex.emplace(S, Index);
        return Index;
    }

    const TMeasureFont& MeasureFont(const TFontKey& Key)
    {
        auto It = Fonts.find(Key);
        if (It != Fonts.end())
            return It->second;
        TMeasureScope Scope(MeasureDC);
        TMeasureFont F;
        F.Handle = CreateFontIndirect(MakeLogFont(Key, Key.Size));
        const HGDIOBJ Old = SelectObject(MeasureDC, F.Handle);
        TEXTMETRIC Tm;
        if (GetTextMetrics(MeasureDC, Tm)) {
            F.Ascent = Tm.tmAscent;
            F.Descent = Tm.tmDescent;
        } else {
            F.Ascent = Key.Size * 4 / 5;
            F.Descent = Key.Size - F.Ascent;
        }
        SelectObject(MeasureDC, Old);
        return Fonts.emplace(Key, F).first->second;
    }

    const TMeasureFont& FontOfStyle(Integer Style)
    {
        const std::size_t I = static_cast<std::size_t>(Style);
        if (StyleFonts.size() <= I)
            StyleFonts.resize(I + 1, nullptr);
        if (!StyleFonts[I])
            StyleFonts[I] = &MeasureFont(Styles[I].Font);
        return *StyleFonts[I];
    }

    void UseMeasureDC(HDC DC)
    {
        if (!DC) {
            if (!OwnScreenDC)
                OwnScreenDC = CreateScreenDC();
            DC = OwnScreenDC;
        }
        if (DC != MeasureDC) {
            ClearMeasurements();
            MeasureDC = DC;
        }
    }

    TParaCache& Para(Integer Index)
    {
        PeriodUsed = true;
        auto [It, New] = Paras.try_emplace(Index);
        TParaCache& C = It->second;
        C.Used = Period;
        if (!New)
            return C;
        const TRichParagraph& P = Doc.Paragraph(Index);
        C.EndStyle = StyleOf(P.EndFormat);
        for (const TRichRun& Run : P.Runs) {
            C.Text += Run.Text;
            C.Style.resize(C.Text.size(), StyleOf(Run.Format));
            C.RunEnds.push_back(static_cast<Integer>(C.Text.size()));
        }
        return C;
    }

    // The advance of unit I of C on the target.
    Integer AdvanceOf(TParaCache& C, Integer I)
    {
        const Integer From = I / MeasureBlock * MeasureBlock;
        auto [It, New] = C.Advances.try_emplace(From / MeasureBlock);
        if (New)
            It->second = MeasureUnits(C, From);
        return It->second[static_cast<std::size_t>(I - From)];
    }

    // The advances of the block of units from From, measured run by run as the whole paragraph
    // would be: a character's advance does not depend on its neighbours, and a surrogate pair is
    // one character whose first unit takes its width (a pair the block's end cuts is measured here
    // whole).
    std::vector<Integer> MeasureUnits(const TParaCache& C, Integer From)
    {
        const Integer N = static_cast<Integer>(C.Text.size());
        const Integer To = std::min(N, From + MeasureBlock);
        std::vector<Integer> Advance(static_cast<std::size_t>(To - From), 0);
        auto Run = std::upper_bound(C.RunEnds.begin(), C.RunEnds.end(), From);
        std::vector<Integer> Extents;
        for (Integer S = From; S < To; ++Run) {
            const Integer RunStart = Run == C.RunEnds.begin() ? 0 : *(Run - 1), RunEnd = *Run;
            Integer E = std::min(To, RunEnd);
            const auto Unit = [&C](Integer At) { return C.Text[static_cast<std::size_t>(At)]; };
            if (E < RunEnd && IsHighSurrogate(Unit(E - 1)) && IsLowSurrogate(Unit(E)))
                ++E;
            if (S > RunStart && IsLowSurrogate(Unit(S)) && IsHighSurrogate(Unit(S - 1)))
                ++S; // measured with the block before, no width of its own
            const Integer Count = E - S;
            if (Count > 0) {
                const Integer Style = C.Style[static_cast<std::size_t>(S)];
                const TFontKey& Key = Styles[static_cast<std::size_t>(Style)].Font;
                const TMeasureFont& Font = FontOfStyle(Style);
                Extents.assign(static_cast<std::size_t>(Count), 0);
                TMeasureScope Scope(MeasureDC);
                const HGDIOBJ Old = SelectObject(MeasureDC, Font.Handle);
                TSize Size;
                const bool Ok = GetTextExtentExPoint(MeasureDC, C.Text.data() + S, Count, INT_MAX, nullptr,
                                                     Extents.data(), Size);
                SelectObject(MeasureDC, Old);
                Integer Prev = 0;
                for (Integer I = 0; I < Count; ++I) {
                    Integer W = Ok ? Extents[static_cast<std::size_t>(I)] - Prev : Key.Size / 2;
                    if (Ok)
                        Prev = Extents[static_cast<std::size_t>(I)];
                    if (IsZeroWidth(Unit(S + I)) || W < 0)
                        W = 0;
                    if (S + I < To)
                        Advance[static_cast<std::size_t>(S + I - From)] = W;
                }
            }
            S = E;
        }
        return Advance;
    }

    // ---- line breaking

    Integer NextTab(Integer X, const TRichParaFormat& F) const
    {
        for (Integer Stop : F.Tabs)
            if (Stop > X)
                return Stop;
        if (F.LeftIndent > X)
            return F.LeftIndent;   // a hanging indent is a stop of its own
        const Integer Step = std::max(1, Doc.DefaultTab());
        const Integer Base = F.Tabs.empty() ? 0 : F.Tabs.back();
        if (X < Base)
            return Base;
        return Base + ((X - Base) / Step + 1) * Step;
    }

    // How far a line goes: where it ends, each unit's width, and where its content ends (the
    // blanks it breaks after hang in the margin). Offsets are within the paragraph.
    struct TLineFit {
        Integer End = 0;
        bool Hard = false;          // ended by a line or page break
        bool PageBreak = false;
        Integer ContentRight = 0;   // the right edge of the last unit that is not a trailing blank
        Integer ContentEnd = 0;
        Integer LastTabEnd = 0;     // after the line's last tab (justification starts there)
        std::vector<Integer> W;     // per unit from the line's start
    };

    // The line starting at offset Start of paragraph Index, in a column Width twips wide.
    TLine BreakLine(Integer Index, Integer Start, Integer Width)
    {
        const TRichParaFormat& F = Doc.Paragraph(Index).Format;
        TParaCache& C = Para(Index);
        const Integer N = static_cast<Integer>(C.Text.size());

        const Integer Left = std::max(0, F.LeftIndent + (Start == 0 ? F.FirstIndent : 0));
        const Integer Right = Width - std::max(0, F.RightIndent);
        const TLineFit Fit = FitLine(C, F, Start, Left, Right);

        TLine L;
        L.Start = Start;
        L.End = Fit.End;
        L.PageBreak = Fit.PageBreak;
        // A line break closing the paragraph's text still opens a line, which holds the mark.
        L.Last = Fit.End >= N && !(Fit.Hard && !Fit.PageBreak);
        PlaceUnits(L, Fit, C, F, Left, Right);
        MeasureLineHeight(L, C, F);
        return L;
    }

    // Pass 1: takes units from Start while they fit between Left and Right, breaking after the
    // last blank or tab that fits (or inside a word longer than the line), or at a hard break.
    TLineFit FitLine(TParaCache& C, const TRichParaFormat& F, Integer Start, Integer Left, Integer Right)
    {
        const Integer N = static_cast<Integer>(C.Text.size());
        TLineFit Fit;
        Fit.End = N;
        Fit.ContentRight = Left;
        Fit.ContentEnd = Start;
        Fit.LastTabEnd = Start;
        Integer X = Left;
        Integer I = Start;
        Integer BreakAt = -1, BreakRight = Left, BreakContentEnd = Start;
        while (I < N) {
            const char16_t Ch = C.Text[static_cast<std::size_t>(I)];
            if (Ch == RichLineBreak || Ch == RichPageBreak) {
                Fit.W.push_back(0);
                Fit.End = I + 1;
                Fit.Hard = true;
                Fit.PageBreak = Ch == RichPageBreak;
                break;
            }
            if (Ch == ' ') {
                if (BreakAt != I) {
                    BreakRight = Fit.ContentRight;
                    BreakContentEnd = Fit.ContentEnd;
                }
                const Integer Adv = AdvanceOf(C, I);
                Fit.W.push_back(Adv);
                X += Adv;
                BreakAt = ++I;
                continue;
            }
            Integer Units = 1;
            Integer Adv = Ch == RichTab ? NextTab(X, F) - X : AdvanceOf(C, I);
            if (IsHighSurrogate(Ch) && I + 1 < N && IsLowSurrogate(C.Text[static_cast<std::size_t>(I) + 1])) {
                Units = 2;
                Adv += AdvanceOf(C, I + 1);
            }
            if (X + Adv > Right && I > Start) {
                if (BreakAt > Start) {
                    Fit.End = BreakAt;
                    Fit.ContentRight = BreakRight;
                    Fit.ContentEnd = BreakContentEnd;
                    Fit.W.resize(static_cast<std::size_t>(Fit.End - Start));
                } else {
                    Fit.End = I;
                }
                break;
            }
            Fit.W.push_back(Adv);
            if (Units == 2)
                Fit.W.push_back(0);
            X += Adv;
            I += Units;
            Fit.ContentRight = X;
            Fit.ContentEnd = I;
            if (Ch == RichTab) {
                BreakAt = I;
                BreakRight = X;
                BreakContentEnd = I;
                Fit.LastTabEnd = I;
            }
        }
        return Fit;
    }

    // Pass 2: the left edge of every unit after alignment, with justification spreading the room
    // left over among the blanks after the last tab (not on a paragraph's last line).
    static void PlaceUnits(TLine& L, const TLineFit& Fit, const TParaCache& C, const TRichParaFormat& F,
                           Integer Left, Integer Right)
    {
        const Integer Avail = Right - Left;
        const Integer Used = Fit.ContentRight - Left;
        Integer Shift = 0;
        switch (F.Alignment) {
        case TRichAlignment::Right: Shift = Avail - Used; break;
        case TRichAlignment::Center: Shift = (Avail - Used) / 2; break;
        default: break;
        }
        Shift = std::max(0, Shift);
        Integer Spaces = 0;
        Integer Extra = 0;
        if (F.Alignment == TRichAlignment::Justify && !L.Last && !Fit.Hard && Avail > Used) {
            for (Integer J = std::max(Fit.LastTabEnd, L.Start); J < Fit.ContentEnd; ++J)
                if (C.Text[static_cast<std::size_t>(J)] == ' ')
                    ++Spaces;
            Extra = Avail - Used;
        }
        L.X.resize(static_cast<std::size_t>(L.End - L.Start) + 1);
        Integer X = Left + Shift;
        Integer SpaceNo = 0;
        for (Integer J = L.Start; J < L.End; ++J) {
            L.X[static_cast<std::size_t>(J - L.Start)] = X;
            Integer Adv = Fit.W[static_cast<std::size_t>(J - L.Start)];
            if (Spaces > 0 && J >= Fit.LastTabEnd && J < Fit.ContentEnd && C.Text[static_cast<std::size_t>(J)] == ' ') {
                Adv += Extra / Spaces + (SpaceNo < Extra % Spaces ? 1 : 0);
                ++SpaceNo;
            }
            X += Adv;
        }
        L.X.back() = X;
    }

    // The tallest font on the line (an empty line takes the paragraph mark's), then the
    // paragraph's line spacing and the spacing above its first and below its last line.
    void MeasureLineHeight(TLine& L, const TParaCache& C, const TRichParaFormat& F)
    {
        for (Integer J = L.Start; J < L.End; ++J) {
            const TMeasureFont& Font = FontOfStyle(C.Style[static_cast<std::size_t>(J)]);
            L.Ascent = std::max(L.Ascent, Font.Ascent);
            L.Descent = std::max(L.Descent, Font.Descent);
        }
        if (L.End == L.Start) {
            const TMeasureFont& Font = FontOfStyle(C.EndStyle);
            L.Ascent = Font.Ascent;
            L.Descent = Font.Descent;
        }
        const Integer Natural = L.Ascent + L.Descent;
        if (F.LineSpacingMultiple)
            L.Height = F.LineSpacing > 0 ? static_cast<Integer>(Int64(Natural) * F.LineSpacing / 240) : Natural;
        else if (F.LineSpacing > 0)
            L.Height = std::max(Natural, F.LineSpacing);
        else if (F.LineSpacing < 0)
            L.Height = -F.LineSpacing;
        else
            L.Height = Natural;
        L.Before = L.Start == 0 ? F.SpaceBefore : 0;
        L.After = L.Last ? F.SpaceAfter : 0;
    }

    // ---- drawing

    struct TDrawContext {
        HDC DC;
        Integer DpiX = 96;
        Integer DpiY = 96;
        Integer Left = 0;               // rc.Left, twips
        COLORREF AutoColor = 0;
        std::map<TFontKey, HFONT> Fonts;
    };

    HFONT DrawFont(TDrawContext& D, const TFontKey& Key)
    {
        auto It = D.Fonts.find(Key);
        if (It != D.Fonts.end())
            return It->second;
        const HFONT F = CreateFontIndirect(MakeLogFont(Key, TwipsTo(Key.Size, D.DpiY)));
        D.Fonts.emplace(Key, F);
        return F;
    }

    // Draws units [L.Start, Limit) of the line whose box starts at Top (twips, below the spacing).
    void DrawLine(TDrawContext& D, Integer Index, const TLine& L, Integer Top, Integer Limit)
    {
        const TParaCache& C = Para(Index);
        const Integer Baseline = Top + L.Height - L.Descent;
        const Integer BoxTop = TwipsTo(Top, D.DpiY);
        const Integer BoxBottom = TwipsTo(Top + L.Height, D.DpiY);
        std::vector<Integer> Dx;
        Integer S = L.Start;
        while (S < Limit) {
            const char16_t Ch = C.Text[static_cast<std::size_t>(S)];
            if (IsZeroWidth(Ch)) {
                ++S;
                continue;
            }
            const Integer Style = C.Style[static_cast<std::size_t>(S)];
            Integer E = S + 1;
            while (E < Limit && C.Style[static_cast<std::size_t>(E)] == Style && !IsZeroWidth(C.Text[static_cast<std::size_t>(E)]))
                ++E;
            const TCharStyle& St = Styles[static_cast<std::size_t>(Style)];
            auto XAt = [&](Integer Unit) { return TwipsTo(D.Left + L.X[static_cast<std::size_t>(Unit - L.Start)], D.DpiX); };
            Dx.resize(static_cast<std::size_t>(E - S));
            for (Integer J = S; J < E; ++J)
                Dx[static_cast<std::size_t>(J - S)] = XAt(J + 1) - XAt(J);
            SelectObject(D.DC, DrawFont(D, St.Font));
            const bool Auto = St.Color == clDefault || St.Color == clNone;
            SetTextColor(D.DC, Auto ? D.AutoColor : static_cast<COLORREF>(ColorToRGB(St.Color)));
            Cardinal Options = 0;
            TRect Box(XAt(S), BoxTop, XAt(E), BoxBottom);
            if (St.Back != clNone && St.Back != clDefault) {
                SetBkColor(D.DC, static_cast<COLORREF>(ColorToRGB(St.Back)));
                Options |= ETO_OPAQUE;
            }
            ExtTextOut(D.DC, XAt(S), TwipsTo(Baseline, D.DpiY), Options, Options ? &Box : nullptr,
                       C.Text.data() + S, E - S, Dx.data());
            S = E;
        }
    }

    // ---- the request

    Integer Format(TFormatRange& R, bool Render)
    {
        UseMeasureDC(R.hdcTarget ? R.hdcTarget : R.hdc);
        const Integer Length = Doc.TextLength();
        const Integer CpMin = std::clamp(R.cpMin, 0, Length);
        const Integer CpMax = R.cpMax < 0 ? Length : std::clamp(R.cpMax, CpMin, Length);
        const Integer Top = R.rc.Top;
        const Integer Bottom = R.rc.Bottom;
        const Integer Width = ClampInt(Int64(R.rc.Right) - R.rc.Left);
        // Nothing laid out: the bottom used is the top, but never below the rectangle's own bottom,
        // so that a caller stepping the bottom up until the answer is inside its rectangle stops.
        R.rc.Bottom = std::min(Top, Bottom);
        if (CpMin >= CpMax)
            return CpMin;

        std::optional<TDrawContext> D;
        Integer Saved = 0;
        if (Render && R.hdc) {
            D.emplace();
            D->DC = R.hdc;
            D->DpiX = GetDeviceCaps(R.hdc, LOGPIXELSX);
            D->DpiY = GetDeviceCaps(R.hdc, LOGPIXELSY);
            if (D->DpiX <= 0)
                D->DpiX = 96;
            if (D->DpiY <= 0)
                D->DpiY = 96;
            D->Left = R.rc.Left;
            D->AutoColor = Default.Color == clDefault || Default.Color == clNone
                               ? GetTextColor(R.hdc)
                               : static_cast<COLORREF>(ColorToRGB(Default.Color));
            Saved = SaveDC(R.hdc);
            SetTextAlign(R.hdc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
            SetBkMode(R.hdc, TRANSPARENT);
            IntersectClipRect(R.hdc, TwipsTo(R.rc.Left, D->DpiX), TwipsTo(Top, D->DpiY), TwipsTo(R.rc.Right, D->DpiX),
                              TwipsTo(Bottom, D->DpiY));
        }

        Integer Y = Top;
        Integer Result = CpMin;
        bool Stop = false;
        const Int64 Page = R.rcPage.Bottom > R.rcPage.Top ? Int64(R.rcPage.Bottom) - R.rcPage.Top : Int64(Bottom) - Top;
        for (Integer P = Doc.ParagraphAt(CpMin); P < Doc.ParagraphCount() && !Stop; ++P) {
            const Integer ParaStart = Doc.ParagraphStart(P);
            const TRichParagraph& Para = Doc.Paragraph(P);
            Integer Offset = P == Doc.ParagraphAt(CpMin) ? CpMin - ParaStart : 0;
            const Integer TextLen = Doc.ParagraphStart(P + 1) - ParaStart - (Para.HasEnd ? 1 : 0);
            Offset = std::min(Offset, TextLen);
            do {
                if (ParaStart + Offset >= CpMax) {
                    Stop = true;
                    break;
                }
                TLine L = BreakLine(P, Offset, Width);
                // Spacing that makes a line taller than a whole page would keep it off every page:
                // it is cut to what the page holds (the same whatever part of the page is asked for).
                if (L.Slot() > Page) {
                    L.Before = static_cast<Integer>(std::clamp<Int64>(Page - L.Height, 0, L.Before));
                    L.After = static_cast<Integer>(std::clamp<Int64>(Page - L.Height - L.Before, 0, L.After));
                }
                if (Int64(Y) + L.Slot() > Bottom) {
                    Stop = true;
                    break;
                }
                const Integer LineEnd = ParaStart + L.End + (L.Last && Para.HasEnd ? 1 : 0);
                if (D)
                    DrawLine(*D, P, L, Y + L.Before, std::min(L.End, CpMax - ParaStart));
                Y += L.Slot();
                Result = std::min(LineEnd, CpMax);
                Offset = L.End;
                if (L.PageBreak)
                    Stop = true;
                if (L.Last || Stop)
                    break;
            } while (true);
        }

        if (D) {
            RestoreDC(R.hdc, Saved);
            for (auto& [Key, Font] : D->Fonts)
                DeleteObject(Font);
        }
        if (Result > CpMin)
            R.rc.Bottom = Y;
        return Result;
    }
};

namespace {

// The first offset of Para's text in [From, Before) whose unit matches, or Before.
template <class Pred>
Integer FindUnit(const TRichParagraph& Para, Integer From, Integer Before, Pred Match)
{
    Integer Pos = 0;
    for (const TRichRun& Run : Para.Runs) {
        if (Pos >= Before)
            break;
        const Integer N = static_cast<Integer>(Run.Text.size());
        for (Integer I = std::max(0, From - Pos); I < N && Pos + I < Before; ++I)
            if (Match(Run.Text[static_cast<std::size_t>(I)]))
                return Pos + I;
        Pos += N;
    }
    return Before;
}

// Where the text kept of Para (TextLength units) after offset From ends: one unit after the first
// line or page break from From on, else the paragraph's end; when that is more than Limit units
// on, Lookahead units on (a surrogate pair kept whole). Only Limit units are looked at.
Integer PartEnd(const TRichParagraph& Para, Integer TextLength, Integer From, Integer Lookahead, Int64 Limit)
{
    const Integer Before = static_cast<Integer>(std::min<Int64>(TextLength, From + Limit));
    const Integer Break =
        FindUnit(Para, From, Before, [](char16_t C) { return C == RichLineBreak || C == RichPageBreak; });
    const Integer End = Break < Before ? std::min(TextLength, Break + 2) : TextLength;
    if (End - From <= Limit)
        return End;
    const Integer Cut = From + Lookahead;
    const Integer Low = FindUnit(Para, Cut, Cut + 1, [](char16_t C) { return IsLowSurrogate(C); });
    return std::min(End, Cut + (Low == Cut ? 1 : 0));
}

// Appends units [From, To) of Para's runs to Part's open paragraph.
void AppendRuns(TRichDocument& Part, const TRichParagraph& Para, Integer From, Integer To)
{
    Integer Pos = 0;
    for (const TRichRun& Run : Para.Runs) {
        const Integer RunEnd = Pos + static_cast<Integer>(Run.Text.size());
        const Integer A = std::max(Pos, From), B = std::min(RunEnd, To);
        if (A < B)
            Part.AddText(std::u16string_view(Run.Text).substr(static_cast<std::size_t>(A - Pos),
                                                               static_cast<std::size_t>(B - A)),
                         Run.Format);
        Pos = RunEnd;
    }
}

} // namespace

TRichDocument RichRangePart(const TRichDocument& Doc, Integer& Start, Integer& End)
{
    const Integer Length = Doc.TextLength();
    const Integer S = std::clamp(Start, 0, Length);
    const Integer E = End < 0 ? Length : std::clamp(End, S, Length);
    const Integer First = Doc.ParagraphAt(S);
    const Integer Last = E > S ? Doc.ParagraphAt(E - 1) : First;
    TRichDocument Part;
    Part.SetDefaultTab(Doc.DefaultTab());
    for (Integer P = First; P <= Last; ++P) {
        const TRichParagraph& Para = Doc.Paragraph(P);
        const Integer ParaStart = Doc.ParagraphStart(P);
        const Integer TextLength = Doc.ParagraphStart(P + 1) - ParaStart - (Para.HasEnd ? 1 : 0);
        const Integer From = P == First ? std::min(S - ParaStart, TextLength) : 0;
        Integer To = TextLength;
        bool Whole = true;
        if (P == Last && E < ParaStart + TextLength + (Para.HasEnd ? 1 : 0)) {
            const Integer Lookahead = std::max(RichPartLookahead, E - S);
            To = PartEnd(Para, TextLength, E - ParaStart, Lookahead, 2 * Int64(Lookahead));
            Whole = To >= TextLength;
        }
        AppendRuns(Part, Para, From, To);
        TRichParaFormat Format = Para.Format;
        if (From > 0) {
            Format.FirstIndent = 0;
            Format.SpaceBefore = 0;
        }
        if (Whole && Para.HasEnd)
            Part.EndParagraph(Format, Para.EndFormat);
        else
            Part.SetLastParagraphFormat(Format, Para.EndFormat);
    }
    Part.Finish();
    Start = 0;
    if (End >= 0)
        End = E - S;
    return Part;
}

TRichTextEngine::TRichTextEngine() : FImpl(std::make_unique<TImpl>()) {}

TRichTextEngine::~TRichTextEngine() = default;

void TRichTextEngine::LoadRtf(std::span<const Byte> Data)
{
    FImpl->ClearCache();
    ReadRichText(Data, FImpl->Doc);
}

void TRichTextEngine::LoadText(const String& Text)
{
    FImpl->ClearCache();
    ReadPlainText(Text, FImpl->Doc);
}

void TRichTextEngine::LoadFromStream(TStream& Stream)
{
    std::vector<Byte> Data;
    Stream.Seek(0, TSeekOrigin::soBeginning);
    Byte Buffer[65536];
    for (;;) {
        const Int64 N = Stream.Read(Buffer, sizeof(Buffer));
        if (N <= 0)
            break;
        Data.insert(Data.end(), Buffer, Buffer + N);
    }
    LoadRtf(Data);
}

void TRichTextEngine::Clear()
{
    FImpl->ClearCache();
    FImpl->Doc.Clear();
}

const TRichDocument& TRichTextEngine::Document() const
{
    return FImpl->Doc;
}

Integer TRichTextEngine::TextLength() const
{
    return FImpl->Doc.TextLength();
}

WideString TRichTextEngine::Text() const
{
    return FImpl->Doc.Text();
}

void TRichTextEngine::SetDefaultFont(const TRichDefaultFont& Font)
{
    TRichDefaultFont F = Font;
    F.Size = std::clamp(F.Size, 1, RichMaxFontSize);
    if (F == FImpl->Default)
        return;
    FImpl->ClearCache();
    FImpl->Default = F;
}

void TRichTextEngine::SetDefaultFont(const String& Name, Integer Size, Byte Styles, TColor Color)
{
    TRichDefaultFont F;
    F.Name = Name;
    F.Size = static_cast<Integer>(std::clamp<Int64>(Int64(Size) * 20, 1, RichMaxFontSize));
    F.Styles = Styles;
    F.Color = Color;
    SetDefaultFont(F);
}

const TRichDefaultFont& TRichTextEngine::DefaultFont() const
{
    return FImpl->Default;
}

Integer TRichTextEngine::FormatRange(TFormatRange* Range, bool Render)
{
    if (!Range) {
        FImpl->ClearMeasurements();
        return 0;
    }
    return FImpl->Format(*Range, Render);
}

} // namespace qor
