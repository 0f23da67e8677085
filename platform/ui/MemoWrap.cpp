#include "platform/ui/MemoWrap.h"

namespace qor {

namespace {

bool IsBlank(char C) { return C == ' ' || C == '\t'; }

// Length of the UTF-8 sequence that starts at S[I], bounded by the text.
size_t CharLength(std::string_view S, size_t I)
{
    const unsigned char c = static_cast<unsigned char>(S[I]);
    size_t n = 1;
    if (c >= 0xF0)
        n = 4;
    else if (c >= 0xE0)
        n = 3;
    else if (c >= 0xC0)
        n = 2;
    // a lead byte promising more continuation bytes than follow counts as one byte
    size_t k = 1;
    while (k < n && I + k < S.size() && (static_cast<unsigned char>(S[I + k]) & 0xC0) == 0x80)
        ++k;
    return k == n ? n : 1;
}

// The longest prefix of Word (at least one character) that TextWidth keeps within Width,
// appended to Prefix (blanks already on the line). Answers its length in bytes.
size_t FittingPrefix(std::string_view Prefix, std::string_view Word, Integer Width, const TTextWidthFn& TextWidth)
{
    std::vector<size_t> ends; // byte ends of each character
    for (size_t i = 0; i < Word.size(); i += CharLength(Word, i))
        ends.push_back(i + CharLength(Word, i));
    String probe;
    auto fits = [&](size_t End) {
        probe.assign(Prefix);
        probe.append(Word.substr(0, End));
        return TextWidth(probe) <= Width;
    };
    // binary search for the last character end that still fits
    size_t lo = 0, hi = ends.size(); // ends[0..lo) known to fit
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (fits(ends[mid]))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo == 0 ? ends[0] : ends[lo - 1];
}

void WrapParagraph(std::string_view P, Integer Width, const TTextWidthFn& TextWidth, std::vector<String>& Out)
{
    if (P.empty()) {
        Out.emplace_back();
        return;
    }
    String line;        // the current line, trailing blanks included
    size_t i = 0;
    // blanks at the start of the paragraph stay at the start of its first line
    while (i < P.size() && IsBlank(P[i]))
        ++i;
    line.assign(P.substr(0, i));
    bool lineHasWord = false;
    if (i == P.size()) {
        Out.push_back(line); // a line of blanks is a line
        return;
    }
    while (i < P.size()) {
        size_t w = i;
        while (w < P.size() && !IsBlank(P[w]))
            ++w;
        size_t b = w;
        while (b < P.size() && IsBlank(P[b]))
            ++b;
        std::string_view word = P.substr(i, w - i);
        std::string_view blanks = P.substr(w, b - w);

        String candidate = line + String(word);
        if (TextWidth(candidate) <= Width) {
            line = std::move(candidate);
            line.append(blanks);
            lineHasWord = true;
            i = b;
            continue;
        }
        if (lineHasWord) {
            // the word goes to the next line
            Out.push_back(line);
            line.clear();
                    lineHasWord = false;
            continue;
        }
        // the word alone is wider than the line: break it between characters
        const size_t take = FittingPrefix(line, word, Width, TextWidth);
        if (take < word.size()) {
            line.append(word.substr(0, take));
            Out.push_back(line);
            line.clear();
                    i += take;
            continue;
        }
        line.append(word);
        line.append(blanks);
        lineHasWord = true;
        i = b;
    }
    if (!line.empty())
        Out.push_back(line);
}

} // namespace

std::vector<String> SplitLines(std::string_view Text)
{
    std::vector<String> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < Text.size()) {
        if (Text[i] == '\r' || Text[i] == '\n') {
            lines.emplace_back(Text.substr(start, i - start));
            if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n')
                ++i;
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < Text.size())
        lines.emplace_back(Text.substr(start));
    return lines;
}

std::vector<String> WrapText(std::string_view Text, Integer Width, const TTextWidthFn& TextWidth)
{
    std::vector<String> out;
    for (const String& p : SplitLines(Text))
        WrapParagraph(p, Width, TextWidth, out);
    return out;
}

} // namespace qor
