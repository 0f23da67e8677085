#include "platform/ui/MemoWrap.h"

#include <algorithm>

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
// appended to Prefix (blanks already on the line). Answers its length in bytes. The search
// gallops from the start, so a very long word costs about the length of the piece taken, not
// the length of the whole word.
size_t FittingPrefix(std::string_view Prefix, std::string_view Word, Integer Width, const TTextWidthFn& TextWidth)
{
    String probe;
    auto fits = [&](size_t End) {
        probe.assign(Prefix);
        probe.append(Word.substr(0, End));
        return TextWidth(probe) <= Width;
    };
    // the end of the n-th character (n from 1), or Word.size() when the word is shorter
    std::vector<size_t> ends; // byte ends of the characters looked at so far
    auto endOf = [&](size_t n) {
        size_t i = ends.empty() ? 0 : ends.back();
        while (ends.size() < n && i < Word.size()) {
            i += CharLength(Word, i);
            ends.push_back(i);
        }
        return ends[std::min(n, ends.size()) - 1];
    };
    size_t good = 0; // characters known to fit
    size_t bad = 0;  // characters known not to fit (0: none found yet)
    for (size_t n = 1;; n *= 2) {
        const size_t end = endOf(n);
        if (!fits(end)) {
            bad = std::min(n, ends.size());
            break;
        }
        good = std::min(n, ends.size());
        if (end == Word.size())
            return end; // the whole word fits
    }
    while (bad - good > 1) {
        const size_t mid = good + (bad - good) / 2;
        if (fits(endOf(mid)))
            good = mid;
        else
            bad = mid;
    }
    return endOf(good == 0 ? 1 : good);
}

void WrapInto(std::string_view P, Integer Width, const TTextWidthFn& TextWidth, std::vector<String>& Out)
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
    size_t w = 0, b = 0; // end of the current word and of the blanks after it
    while (i < P.size()) {
        if (i >= w) {
            w = i;
            while (w < P.size() && !IsBlank(P[w]))
                ++w;
            b = w;
            while (b < P.size() && IsBlank(P[b]))
                ++b;
        }
        std::string_view word = P.substr(i, w - i);
        std::string_view blanks = P.substr(w, b - w);

        if (lineHasWord) {
            String candidate = line + String(word);
            if (TextWidth(candidate) <= Width) {
                line = std::move(candidate);
                line.append(blanks);
                i = b;
                continue;
            }
            // the word goes to the next line
            Out.push_back(line);
            line.clear();
            lineHasWord = false;
            continue;
        }
        // the first word of the line: a word wider than the line is broken between characters
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
        WrapInto(p, Width, TextWidth, out);
    return out;
}

std::vector<String> WrapParagraph(std::string_view Paragraph, Integer Width, const TTextWidthFn& TextWidth)
{
    std::vector<String> out;
    WrapInto(Paragraph, Width, TextWidth, out);
    return out;
}

} // namespace qor
