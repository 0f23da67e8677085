// Edit masks: placing a value into the positions of a mask the way an edit control shows it.

#include "platform/rtl/StrUtils.h"
#include "platform/rtl/SysUtils.h"

#include <vector>

namespace qor {

namespace {

enum class TCaseMode { None, Upper, Lower };

struct TMaskElem {
    bool Input = false;
    char Kind = 0;           // for inputs: the mask character
    String Literal;          // for literals
    TCaseMode Case = TCaseMode::None;
};

struct TParsedMask {
    std::vector<TMaskElem> Elems;
    bool SaveLiterals = true;
    String Blank = " ";
    bool RightAlign = false;
    int Inputs = 0;
};

bool IsInputChar(char c)
{
    switch (c) {
    case '0': case '9': case '#': case 'L': case 'l': case 'A': case 'a': case 'C': case 'c':
        return true;
    default:
        return false;
    }
}

// Length in bytes of the UTF-8 sequence starting at S[i] (at least 1, clipped to the end).
std::size_t SeqLen(std::string_view S, std::size_t i)
{
    std::size_t n = 1;
    while (i + n < S.size() && (static_cast<unsigned char>(S[i + n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

TParsedMask ParseMask(std::string_view EditMask)
{
    TParsedMask m;
    const TFormatSettings& fs = FormatSettings();
    // The mask proper ends at the first ';' that is not escaped.
    std::size_t end = EditMask.size();
    for (std::size_t i = 0; i < EditMask.size(); ++i) {
        if (EditMask[i] == '\\') {
            ++i;
            continue;
        }
        if (EditMask[i] == ';') {
            end = i;
            break;
        }
    }
    if (end < EditMask.size()) {
        const std::string_view rest = EditMask.substr(end + 1);
        const std::size_t semi = rest.find(';');
        const std::string_view save = rest.substr(0, semi);
        if (!save.empty() && save[0] == '0')
            m.SaveLiterals = false;
        if (semi != std::string_view::npos && semi + 1 < rest.size())
            m.Blank = String(rest.substr(semi + 1, SeqLen(rest, semi + 1)));
    }
    const std::string_view mask = EditMask.substr(0, end);
    TCaseMode mode = TCaseMode::None;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        TMaskElem e;
        e.Case = mode;
        if (c == '!') {
            m.RightAlign = true;
            continue;
        }
        if (c == '>') {
            mode = TCaseMode::Upper;
            continue;
        }
        if (c == '<') {
            if (i + 1 < mask.size() && mask[i + 1] == '>') {
                ++i;
                mode = TCaseMode::None;
            } else {
                mode = TCaseMode::Lower;
            }
            continue;
        }
        if (c == '\\' && i + 1 < mask.size()) {
            const std::size_t n = SeqLen(mask, i + 1);
            e.Literal = String(mask.substr(i + 1, n));
            i += n;
        } else if (IsInputChar(c)) {
            e.Input = true;
            e.Kind = c;
            ++m.Inputs;
        } else if (c == ':') {
            e.Literal = String(1, fs.TimeSeparator);
        } else if (c == '/') {
            e.Literal = String(1, fs.DateSeparator);
        } else if (c == '_') {
            e.Literal = " ";
        } else {
            const std::size_t n = SeqLen(mask, i);
            e.Literal = String(mask.substr(i, n));
            i += n - 1;
        }
        m.Elems.push_back(std::move(e));
    }
    return m;
}

// Whether an input position of mask character Kind takes the code point Ch.
bool Accepts(char Kind, std::string_view Ch)
{
    const bool ascii = Ch.size() == 1;
    const char c = Ch.empty() ? '\0' : Ch[0];
    const bool digit = ascii && c >= '0' && c <= '9';
    // letters: ASCII ones, and every non-ASCII code point (accented and other scripts' letters)
    const bool letter = ascii ? ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) : !Ch.empty();
    switch (Kind) {
    case '0': case '9': return digit;
    case '#': return digit || (ascii && (c == '+' || c == '-'));
    case 'L': case 'l': return letter;
    case 'A': case 'a': return letter || digit;
    default: return !Ch.empty() && !(ascii && static_cast<unsigned char>(c) < 0x20);
    }
}

String ApplyCase(std::string_view Ch, TCaseMode Mode)
{
    switch (Mode) {
    case TCaseMode::Upper: return AnsiUpperCase(Ch);
    case TCaseMode::Lower: return AnsiLowerCase(Ch);
    default: return String(Ch);
    }
}

} // namespace

String FormatMaskText(std::string_view EditMask, std::string_view Value)
{
    const TParsedMask m = ParseMask(EditMask);
    if (m.Elems.empty())
        return String(Value);
    // The value's characters (code points).
    std::vector<std::string_view> chars;
    for (std::size_t i = 0; i < Value.size();) {
        const std::size_t n = SeqLen(Value, i);
        chars.push_back(Value.substr(i, n));
        i += n;
    }
    String out;
    std::size_t vi = 0;
    if (m.SaveLiterals) {
        // The value holds the literals too, at their positions.
        for (const TMaskElem& e : m.Elems) {
            if (!e.Input) {
                out += e.Literal;
                if (vi < chars.size() && chars[vi] == e.Literal)
                    ++vi;
            } else if (vi < chars.size()) {
                out += ApplyCase(chars[vi++], e.Case);
            } else {
                out += m.Blank;
            }
        }
        return out;
    }
    // The value holds only the typed characters; with '!' a short value is aligned to the right.
    std::size_t skip = 0;
    if (m.RightAlign && chars.size() < static_cast<std::size_t>(m.Inputs))
        skip = static_cast<std::size_t>(m.Inputs) - chars.size();
    for (const TMaskElem& e : m.Elems) {
        if (!e.Input) {
            out += e.Literal;
        } else if (skip > 0) {
            out += m.Blank;
            --skip;
        } else if (vi < chars.size()) {
            out += ApplyCase(chars[vi++], e.Case);
        } else {
            out += m.Blank;
        }
    }
    return out;
}

String ConformToMask(std::string_view EditMask, std::string_view Typed)
{
    const TParsedMask m = ParseMask(EditMask);
    if (m.Elems.empty())
        return String(Typed);
    String out, literals; // literals passed since the last kept character
    std::size_t ei = 0;
    for (std::size_t i = 0; i < Typed.size() && ei < m.Elems.size();) {
        const std::size_t n = SeqLen(Typed, i);
        const std::string_view ch = Typed.substr(i, n);
        i += n;
        // literals up to the next input position; one typed where it stands is taken as itself
        bool typedLiteral = false;
        while (ei < m.Elems.size() && !m.Elems[ei].Input) {
            literals += m.Elems[ei].Literal;
            typedLiteral = typedLiteral || m.Elems[ei].Literal == ch;
            ++ei;
            if (typedLiteral)
                break;
        }
        if (typedLiteral || ei >= m.Elems.size())
            continue;
        if (!Accepts(m.Elems[ei].Kind, ch))
            continue; // refused: the position waits for a character it takes
        if (m.SaveLiterals)
            out += literals;
        literals.clear();
        out += ApplyCase(ch, m.Elems[ei].Case);
        ++ei;
    }
    return out;
}

} // namespace qor
