// Text on device contexts: every text call builds one run of code points and draws it through one
// routine; measuring; and DrawText's layout (prefixes, lines, word wrap, ellipsis, placement).

#include "platform/graphics/internal/DeviceContext.h"
#include "platform/rtl/Utf16.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace qor {

namespace gdi {

namespace {

// The advances of Cps in device pixels: Dx (one per UTF-16 unit, UnitCount of them) when given,
// else the font's with the character extra.
TTextRun MeasureRun(TDc& Dc, const std::u32string& Cps, const Integer* Dx, Integer UnitCount)
{
    TTextRun run;
    run.Cps = Cps;
    TFontInstance& f = Dc.Font();
    const Integer extra = Dc.S.CharExtra() ? Dc.LengthX(Dc.S.CharExtra()) : 0;
    run.Adv.reserve(run.Cps.size());
    Integer unit = 0;
    for (char32_t c : run.Cps) {
        const Integer units = Integer(Utf16Units(c));
        Integer a = 0;
        if (Dx) {
            for (Integer k = 0; k < units && unit + k < UnitCount; ++k)
                a += Dc.LengthX(Dx[unit + k]);
        } else
            a = f.Advance(c) + extra;
        unit += units;
        run.Adv.push_back(a);
        run.Width += a;
    }
    return run;
}

// Places a run of Width pixels at the reference point by the text alignment and moves the current
// position past it when the alignment asks for that.
TTextPlacement PlaceRun(TDc& Dc, Integer X, Integer Y, Integer Width)
{
    const TEXTMETRIC& tm = Dc.Font().Metrics();
    const Cardinal align = Dc.S.TextAlign();
    const bool updateCp = (align & TA_UPDATECP) != 0;
    const TPoint refLogical = updateCp ? Dc.S.Pos : TPoint(X, Y);
    TTextPlacement at;
    at.Ref = Dc.ToDevice(refLogical.X, refLogical.Y);
    switch (align & TA_CENTER) {
    case TA_RIGHT: at.StartX = -Width; break;
    case TA_CENTER: at.StartX = -(Width / 2); break;
    default: at.StartX = 0; break;
    }
    switch (align & TA_BASELINE) {
    case TA_BASELINE: at.BaseY = 0; break;
    case TA_BOTTOM: at.BaseY = -tm.tmDescent; break;
    default: at.BaseY = tm.tmAscent; break;
    }
    if (updateCp) {
        Integer move = 0;
        if ((align & TA_CENTER) == TA_LEFT)
            move = Width;
        else if ((align & TA_CENTER) == TA_RIGHT)
            move = -Width;
        const Double rad = Dc.S.Font->Log.lfEscapement / 10.0 * std::numbers::pi / 180.0;
        Integer mx = Integer(std::lround(move * std::cos(rad))), my = Integer(std::lround(-move * std::sin(rad)));
        Dc.S.Pos = Dc.ToLogical(at.Ref.X + mx, at.Ref.Y + my);
    }
    return at;
}

} // namespace

bool TDirectCalls::TextOut(TDc& Dc, const TTextCall& Call)
{
    const TTextRun run = MeasureRun(Dc, Call.Cps, Call.Dx, Call.UnitCount);
    TTextPlacement at = PlaceRun(Dc, Call.X, Call.Y, run.Width);
    TRect rect;
    if (Call.Rect) {
        rect = Dc.ToDevice(*Call.Rect);
        at.Rect = &rect;
    }
    at.Options = Call.Options;
    return Dc.Surface->Text(Dc, at, run);
}

} // namespace gdi

using namespace gdi;

namespace {

bool DrawRun(HDC DC, TTextCall Call)
{
    QOR_DC_OR(false);
    return dc->Calls->TextOut(*dc, Call);
}

bool ValidUnits(const WideChar* Text, Integer Count) { return Count >= 0 && (Count == 0 || Text); }

} // namespace

bool ExtTextOut(HDC DC, Integer X, Integer Y, Cardinal Options, const TRect* Rect, const WideChar* Text, Integer Count,
                const Integer* Dx)
{
    if (!ValidUnits(Text, Count))
        return false;
    return DrawRun(DC, TTextCall{true, X, Y, Options, Rect, ToCodePoints(Text, Count), Dx, Count});
}

bool ExtTextOut(HDC DC, Integer X, Integer Y, Cardinal Options, const TRect* Rect, const String& Text,
                const Integer* Dx)
{
    // Through UTF-16, so Dx counts the units a UTF-16 caller would give.
    std::u16string units;
    for (char32_t c : ToCodePoints(Text))
        AppendUtf16(units, c);
    return ExtTextOut(DC, X, Y, Options, Rect, units.data(), Integer(units.size()), Dx);
}

bool TextOut(HDC DC, Integer X, Integer Y, const WideChar* Text, Integer Count)
{
    if (!ValidUnits(Text, Count))
        return false;
    return DrawRun(DC, TTextCall{false, X, Y, 0, nullptr, ToCodePoints(Text, Count), nullptr, 0});
}

bool TextOut(HDC DC, Integer X, Integer Y, const String& Text)
{
    return DrawRun(DC, TTextCall{false, X, Y, 0, nullptr, ToCodePoints(Text), nullptr, 0});
}

// ---- measuring -----------------------------------------------------------------------------------

namespace {

bool ExtentOf(TDc& Dc, const std::u32string& Cps, TSize& Size)
{
    TFontInstance& f = Dc.Font();
    const Integer extra = Dc.S.CharExtra() ? Dc.LengthX(Dc.S.CharExtra()) : 0;
    Integer w = 0;
    for (char32_t c : Cps)
        w += f.Advance(c) + extra;
    Size = TSize(Dc.ToLogicalX(w), Dc.ToLogicalY(f.Metrics().tmHeight));
    return true;
}

} // namespace

bool GetTextExtentPoint32(HDC DC, const String& Text, TSize& Size)
{
    QOR_DC_OR(false);
    return ExtentOf(*dc, ToCodePoints(Text), Size);
}

bool GetTextExtentPoint32(HDC DC, const WideChar* Text, Integer Count, TSize& Size)
{
    QOR_DC_OR(false);
    if (!ValidUnits(Text, Count))
        return false;
    return ExtentOf(*dc, ToCodePoints(Text, Count), Size);
}

bool GetTextExtentExPoint(HDC DC, const WideChar* Text, Integer Count, Integer MaxExtent, Integer* Fit, Integer* Dx,
                          TSize& Size)
{
    QOR_DC_OR(false);
    if (!ValidUnits(Text, Count))
        return false;
    TFontInstance& f = dc->Font();
    const Integer extra = dc->S.CharExtra() ? dc->LengthX(dc->S.CharExtra()) : 0;
    Integer w = 0, fit = 0;
    bool fitting = true;
    for (Integer i = 0; i < Count; ++i) {
        // A pair counts as one character (both units get its extent); a lone surrogate as itself.
        char32_t c = Text[i];
        const bool pair = IsHighSurrogate(c) && i + 1 < Count && IsLowSurrogate(Text[i + 1]);
        if (pair)
            c = CombineSurrogates(c, Text[i + 1]);
        w += f.Advance(c) + extra;
        Integer lw = dc->ToLogicalX(w);
        if (Dx) {
            Dx[i] = lw;
            if (pair)
                Dx[i + 1] = lw;
        }
        if (fitting && (MaxExtent < 0 || lw <= MaxExtent))
            fit = i + 1 + (pair ? 1 : 0);
        else
            fitting = false;
        if (pair)
            ++i;
    }
    if (Fit)
        *Fit = fit;
    Size = TSize(dc->ToLogicalX(w), dc->ToLogicalY(f.Metrics().tmHeight));
    return true;
}

bool GetCharWidth32(HDC DC, Cardinal First, Cardinal Last, Integer* Widths)
{
    QOR_DC_OR(false);
    if (!Widths || Last < First || Last > 0x10FFFF)
        return false;
    TFontInstance& f = dc->Font();
    for (Cardinal c = First; c <= Last; ++c)
        Widths[c - First] = dc->ToLogicalX(f.Advance(char32_t(c)));
    return true;
}

bool GetTextMetrics(HDC DC, TEXTMETRIC& Metrics)
{
    QOR_DC_OR(false);
    Metrics = dc->Font().Metrics();
    if (!dc->Identity()) {
        Metrics.tmHeight = dc->ToLogicalY(Metrics.tmHeight);
        Metrics.tmAscent = dc->ToLogicalY(Metrics.tmAscent);
        Metrics.tmDescent = dc->ToLogicalY(Metrics.tmDescent);
        Metrics.tmInternalLeading = dc->ToLogicalY(Metrics.tmInternalLeading);
        Metrics.tmExternalLeading = dc->ToLogicalY(Metrics.tmExternalLeading);
        Metrics.tmAveCharWidth = dc->ToLogicalX(Metrics.tmAveCharWidth);
        Metrics.tmMaxCharWidth = dc->ToLogicalX(Metrics.tmMaxCharWidth);
    }
    return true;
}

Integer GetTextFace(HDC DC, String& Face)
{
    QOR_DC_OR(0);
    Face = FaceNameOf(dc->S.Font->Log);
    return Integer(Face.size());
}

// ---- DrawText ------------------------------------------------------------------------------------

namespace {

using TWidthOf = std::function<Integer(const String&)>;

// Prefix characters ("&&" is "&", a single "&" is dropped) and, with DT_EXPANDTABS, tab stops
// every eight characters.
String ExpandPrefixes(const String& Text, Cardinal Format)
{
    String text;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (!(Format & DT_NOPREFIX) && Text[i] == '&') {
            if (i + 1 < Text.size() && Text[i + 1] == '&')
                text += '&', ++i;
            continue;
        }
        if (Text[i] == '\t' && (Format & DT_EXPANDTABS))
            text += String(8 - text.size() % 8, ' ');
        else
            text += Text[i];
    }
    return text;
}

// The lines of Text: one line without its breaks for DT_SINGLELINE, else split at CR, LF and CR LF.
std::vector<String> SplitLines(const String& Text, Cardinal Format)
{
    std::vector<String> lines;
    if (Format & DT_SINGLELINE) {
        String s;
        for (char c : Text)
            if (c != '\r' && c != '\n')
                s += c;
        lines.push_back(s);
        return lines;
    }
    String cur;
    for (std::size_t i = 0; i <= Text.size(); ++i) {
        if (i == Text.size() || Text[i] == '\n' || Text[i] == '\r') {
            lines.push_back(cur);
            cur.clear();
            if (i < Text.size() && Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n')
                ++i;
        } else
            cur += Text[i];
    }
    return lines;
}

// Wraps each line at blanks so it fits in MaxWidth (a word wider than that keeps a line of its own).
std::vector<String> WrapWords(const std::vector<String>& Lines, Integer MaxWidth, const TWidthOf& Width)
{
    std::vector<String> wrapped;
    for (const String& l : Lines) {
        String line;
        std::size_t i = 0;
        while (i <= l.size()) {
            std::size_t j = l.find(' ', i);
            String word = l.substr(i, j == String::npos ? String::npos : j - i);
            String candidate = line.empty() ? word : line + " " + word;
            if (!line.empty() && Width(candidate) > MaxWidth) {
                wrapped.push_back(line);
                line = word;
            } else
                line = candidate;
            if (j == String::npos)
                break;
            i = j + 1;
        }
        wrapped.push_back(line);
    }
    return wrapped;
}

// Lines wider than MaxWidth lose characters at the end for "...".
void AddEllipses(std::vector<String>& Lines, Integer MaxWidth, const TWidthOf& Width)
{
    for (String& l : Lines) {
        if (Width(l) <= MaxWidth)
            continue;
        std::u32string cps = ToCodePoints(l);
        String cut;
        while (!cps.empty()) {
            cps.pop_back();
            cut = FromCodePoints(cps);
            if (Width(cut + "...") <= MaxWidth)
                break;
        }
        l = cut + "...";
    }
}

// Draws the lines into R by the horizontal and (single line) vertical alignment of Format.
void PlaceLines(HDC DC, const std::vector<String>& Lines, const TRect& R, Cardinal Format, Integer LineHeight,
                const TWidthOf& Width)
{
    Integer y = R.Top;
    if (Format & DT_SINGLELINE) {
        if (Format & DT_VCENTER)
            y = R.Top + (R.Height() - LineHeight) / 2;
        else if (Format & DT_BOTTOM)
            y = R.Bottom - LineHeight;
    }
    Cardinal oldAlign = SetTextAlign(DC, TA_LEFT | TA_TOP);
    for (const String& l : Lines) {
        Integer w = Width(l);
        Integer x = R.Left;
        if (Format & DT_CENTER)
            x = R.Left + (R.Width() - w) / 2;
        else if (Format & DT_RIGHT)
            x = R.Right - w;
        ExtTextOut(DC, x, y, (Format & DT_NOCLIP) ? 0 : ETO_CLIPPED, &R, l);
        y += LineHeight;
    }
    SetTextAlign(DC, oldAlign);
}

} // namespace

Integer DrawText(HDC DC, const String& Text, TRect& R, Cardinal Format)
{
    QOR_DC_OR(0);
    (void)dc;
    const String text = ExpandPrefixes(Text, Format);
    TEXTMETRIC tm;
    GetTextMetrics(DC, tm);
    const Integer lineHeight = tm.tmHeight;
    const TWidthOf width = [&](const String& S) {
        TSize sz;
        GetTextExtentPoint32(DC, S, sz);
        return sz.cx;
    };
    std::vector<String> lines = SplitLines(text, Format);
    if (!(Format & DT_SINGLELINE) && (Format & DT_WORDBREAK) && R.Width() > 0)
        lines = WrapWords(lines, R.Width(), width);
    if (Format & DT_END_ELLIPSIS)
        AddEllipses(lines, R.Width(), width);
    const Integer total = lineHeight * Integer(lines.size());
    if (Format & DT_CALCRECT) {
        Integer maxW = 0;
        for (const String& l : lines)
            maxW = std::max(maxW, width(l));
        R.Right = R.Left + maxW;
        R.Bottom = R.Top + total;
        return total;
    }
    PlaceLines(DC, lines, R, Format, lineHeight, width);
    return total;
}

} // namespace qor
