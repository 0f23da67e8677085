#include "platform/rtl/FormText.h"

#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Utf16.h"

#include <charconv>
#include <cmath>

namespace qor {

void FormError(const String& SourceName, Integer Line, const String& Message)
{
    String where = SourceName.empty() ? String() : SourceName + ": ";
    throw EReadError(where + "Line " + std::to_string(Line) + ": " + Message);
}

namespace {

constexpr int kMaxDepth = 256;

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class TParser {
public:
    TParser(const String& Text, const String& Source) : FText(Text), FSource(Source) {}

    TFormObject ParseRoot()
    {
        SkipBlanks();
        TFormObject root = ParseObject(0);
        SkipBlanks();
        if (FPos < FText.size())
            Error("Text after the end of the root object");
        return root;
    }

private:
    [[noreturn]] void Error(const String& Message) const { FormError(FSource, FLine, Message); }

    bool AtEnd() const { return FPos >= FText.size(); }
    char Peek() const { return AtEnd() ? '\0' : FText[FPos]; }

    void SkipBlanks()
    {
        while (!AtEnd()) {
            char c = FText[FPos];
            if (c == '\n') {
                ++FLine;
                ++FPos;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f') {
                ++FPos;
            } else if (c == '/' && FPos + 1 < FText.size() && FText[FPos + 1] == '/') {
                while (!AtEnd() && FText[FPos] != '\n')
                    ++FPos;
            } else {
                break;
            }
        }
    }

    String ReadIdent(bool AllowDots)
    {
        SkipBlanks();
        if (!IsIdentStart(Peek()))
            Error("Identifier expected");
        size_t start = FPos;
        while (!AtEnd() && (IsIdentChar(FText[FPos]) || (AllowDots && FText[FPos] == '.' &&
                                                         FPos + 1 < FText.size() && IsIdentStart(FText[FPos + 1]))))
            ++FPos;
        return FText.substr(start, FPos - start);
    }

    void Expect(char c, const char* What)
    {
        SkipBlanks();
        if (Peek() != c)
            Error(String(What) + " expected");
        ++FPos;
    }

    TFormObject ParseObject(int Depth)
    {
        if (Depth > kMaxDepth)
            Error("Objects nested too deeply");
        TFormObject obj;
        obj.Line = FLine;
        String keyword = ReadIdent(false);
        if (SameText(keyword, "inherited"))
            obj.Inherited = true;
        else if (!SameText(keyword, "object") && !SameText(keyword, "inline"))
            Error("'object' expected but '" + keyword + "' found");
        String first = ReadIdent(false);
        SkipBlanks();
        if (Peek() == ':') {
            ++FPos;
            obj.Name = first;
            obj.ClassName = ReadIdent(false);
        } else {
            obj.ClassName = first;
        }
        for (;;) {
            SkipBlanks();
            if (AtEnd())
                Error("'end' expected for object " + (obj.Name.empty() ? obj.ClassName : obj.Name));
            size_t save = FPos;
            Integer line = FLine;
            String word = ReadIdent(true);
            if (SameText(word, "end"))
                break;
            if (SameText(word, "object") || SameText(word, "inherited") || SameText(word, "inline")) {
                FPos = save;
                FLine = line;
                obj.Children.push_back(ParseObject(Depth + 1));
                continue;
            }
            obj.Properties.push_back(ParseProperty(word, line, Depth));
        }
        return obj;
    }

    TFormProperty ParseProperty(const String& Path, Integer Line, int Depth)
    {
        TFormProperty p;
        p.Path = Path;
        p.Line = Line;
        Expect('=', "'='");
        p.Value = ParseValue(Depth + 1);
        return p;
    }

    TFormValue ParseValue(int Depth)
    {
        if (Depth > kMaxDepth)
            Error("Values nested too deeply");
        SkipBlanks();
        TFormValue v;
        v.Line = FLine;
        char c = Peek();
        if (c == '\'' || c == '#') {
            v.Kind = TValueType::vaString;
            v.Text = ParseString();
        } else if (c == '-' || c == '+' || IsDigit(c) || c == '$') {
            ParseNumber(v);
        } else if (IsIdentStart(c)) {
            v.Kind = TValueType::vaIdent;
            v.Text = ReadIdent(true);
        } else if (c == '[') {
            ++FPos;
            v.Kind = TValueType::vaSet;
            SkipBlanks();
            if (Peek() != ']') {
                for (;;) {
                    v.Names.push_back(ReadIdent(false));
                    SkipBlanks();
                    if (Peek() == ',') {
                        ++FPos;
                        continue;
                    }
                    break;
                }
            }
            Expect(']', "']'");
        } else if (c == '(') {
            ++FPos;
            v.Kind = TValueType::vaList;
            for (;;) {
                SkipBlanks();
                if (AtEnd())
                    Error("')' expected");
                if (Peek() == ')') {
                    ++FPos;
                    break;
                }
                v.Items.push_back(ParseValue(Depth + 1));
            }
        } else if (c == '{') {
            ++FPos;
            v.Kind = TValueType::vaBinary;
            ParseBinary(v.Bytes);
        } else if (c == '<') {
            ++FPos;
            v.Kind = TValueType::vaCollection;
            for (;;) {
                SkipBlanks();
                if (AtEnd())
                    Error("'>' expected");
                if (Peek() == '>') {
                    ++FPos;
                    break;
                }
                String word = ReadIdent(false);
                if (!SameText(word, "item"))
                    Error("'item' expected");
                std::vector<TFormProperty> props;
                for (;;) {
                    SkipBlanks();
                    if (AtEnd())
                        Error("'end' expected for collection item");
                    Integer line = FLine;
                    String path = ReadIdent(true);
                    if (SameText(path, "end"))
                        break;
                    props.push_back(ParseProperty(path, line, Depth + 1));
                }
                v.CollectionItems.push_back(std::move(props));
            }
        } else if (AtEnd()) {
            Error("Property value expected");
        } else {
            Error(String("Invalid property value starting with '") + c + "'");
        }
        return v;
    }

    void ParseNumber(TFormValue& v)
    {
        size_t start = FPos;
        bool neg = false;
        if (Peek() == '-' || Peek() == '+') {
            neg = Peek() == '-';
            ++FPos;
        }
        if (Peek() == '$') {
            ++FPos;
            size_t hs = FPos;
            UInt64 value = 0;
            while (!AtEnd() && HexDigit(FText[FPos]) >= 0) {
                if (FPos - hs >= 16)
                    Error("Hexadecimal number too large");
                value = value * 16 + static_cast<UInt64>(HexDigit(FText[FPos++]));
            }
            if (FPos == hs)
                Error("Hexadecimal digits expected");
            v.Kind = TValueType::vaInteger;
            v.Int = static_cast<Int64>(neg ? UInt64(0) - value : value); // -$8000000000000000 is the least
            v.Text = FText.substr(start, FPos - start);
            return;
        }
        bool isFloat = false;
        while (!AtEnd()) {
            char c = FText[FPos];
            if (IsDigit(c)) {
                ++FPos;
            } else if (c == '.' && FPos + 1 < FText.size() && IsDigit(FText[FPos + 1])) {
                isFloat = true;
                ++FPos;
            } else if ((c == 'e' || c == 'E') && FPos > start) {
                isFloat = true;
                ++FPos;
                if (Peek() == '-' || Peek() == '+')
                    ++FPos;
            } else {
                break;
            }
        }
        v.Text = FText.substr(start, FPos - start);
        const char* b = v.Text.data() + (v.Text[0] == '+' ? 1 : 0);
        const char* e = v.Text.data() + v.Text.size();
        if (isFloat) {
            v.Kind = TValueType::vaFloat;
            auto r = std::from_chars(b, e, v.Float);
            if (r.ec != std::errc() || r.ptr != e || !std::isfinite(v.Float))
                Error("Invalid number '" + v.Text + "'");
        } else {
            v.Kind = TValueType::vaInteger;
            auto r = std::from_chars(b, e, v.Int);
            if (r.ec == std::errc::result_out_of_range && r.ptr == e) {
                // Beyond 64 bits: a float written without a fraction (12345678901234567168).
                v.Kind = TValueType::vaFloat;
                r = std::from_chars(b, e, v.Float);
            }
            if (r.ec != std::errc() || r.ptr != e)
                Error("Invalid number '" + v.Text + "'");
        }
    }

    // Quoted text is taken byte for byte; #nnn is a character code (UTF-16 units in a row, so a
    // surrogate pair written as two codes joins into one character).
    String ParseString()
    {
        String text;
        WideString codes; // #nnn read since the last quoted piece
        auto flushCodes = [&] {
            text += Utf16ToUtf8(codes);
            codes.clear();
        };
        // Pieces join when they touch ('a'#13'b') or across a '+'.
        SkipBlanks();
        for (;;) {
            char c = Peek();
            if (c == '\'') {
                ++FPos;
                flushCodes();
                for (;;) {
                    if (AtEnd() || FText[FPos] == '\n')
                        Error("Unterminated string");
                    char d = FText[FPos++];
                    if (d == '\'') {
                        if (Peek() == '\'') {
                            text += '\'';
                            ++FPos;
                            continue;
                        }
                        break;
                    }
                    text += d;
                }
            } else if (c == '#') {
                ++FPos;
                UInt64 code = 0;
                size_t ds = FPos;
                if (Peek() == '$') {
                    ++FPos;
                    ds = FPos;
                    while (!AtEnd() && HexDigit(FText[FPos]) >= 0 && code <= 0x10FFFF)
                        code = code * 16 + static_cast<UInt64>(HexDigit(FText[FPos++]));
                } else {
                    while (!AtEnd() && IsDigit(FText[FPos]) && code <= 0x10FFFF)
                        code = code * 10 + static_cast<UInt64>(FText[FPos++] - '0');
                }
                if (FPos == ds || code > 0x10FFFF)
                    Error("Invalid character code in string");
                AppendUtf16(codes, static_cast<char32_t>(code));
            } else if (c == '+') {
                // A string continued on the next line: 'abc' + 'def'.
                size_t save = FPos;
                Integer line = FLine;
                ++FPos;
                SkipBlanks();
                if (Peek() != '\'' && Peek() != '#') {
                    FPos = save;
                    FLine = line;
                    break;
                }
            } else if (c == ' ' || c == '\t') {
                // Blanks before a '+' that continues the string.
                size_t save = FPos;
                while (Peek() == ' ' || Peek() == '\t')
                    ++FPos;
                if (Peek() != '+') {
                    FPos = save;
                    break;
                }
            } else {
                break;
            }
        }
        flushCodes();
        return text;
    }

    void ParseBinary(std::vector<Byte>& Out)
    {
        int high = -1;
        for (;;) {
            SkipBlanks();
            if (AtEnd())
                Error("'}' expected");
            char c = FText[FPos++];
            if (c == '}')
                break;
            int d = HexDigit(c);
            if (d < 0)
                Error("Invalid binary data");
            if (high < 0) {
                high = d;
            } else {
                Out.push_back(static_cast<Byte>(high * 16 + d));
                high = -1;
            }
        }
        if (high >= 0)
            Error("Binary data has an odd number of digits");
    }

    const String& FText;
    const String& FSource;
    size_t FPos = 0;
    Integer FLine = 1;
};

// ---------------------------------------------------------------------------------------------
// Printing

String QuoteString(const String& S)
{
    if (S.empty())
        return "''";
    String out;
    bool inQuote = false;
    for (unsigned char c : S) {
        if (c < 32 || c == 127) {
            if (inQuote) {
                out += '\'';
                inQuote = false;
            }
            out += '#' + std::to_string(c);
        } else {
            if (!inQuote) {
                out += '\'';
                inQuote = true;
            }
            if (c == '\'')
                out += "''";
            else
                out += static_cast<char>(c);
        }
    }
    if (inQuote)
        out += '\'';
    return out;
}

class TPrinter {
public:
    String Result;

    void Object(const TFormObject& O, int Level)
    {
        Indent(Level);
        Result += O.Inherited ? "inherited " : "object ";
        if (!O.Name.empty())
            Result += O.Name + ": ";
        Result += O.ClassName + "\n";
        for (const auto& p : O.Properties)
            Property(p, Level + 1);
        for (const auto& c : O.Children)
            Object(c, Level + 1);
        Indent(Level);
        Result += "end\n";
    }

private:
    void Indent(int Level) { Result.append(static_cast<size_t>(Level) * 2, ' '); }

    void Property(const TFormProperty& P, int Level)
    {
        Indent(Level);
        Result += P.Path + " = ";
        Value(P.Value, Level, true);
        Result += "\n";
    }

    void Scalar(const TFormValue& V)
    {
        switch (V.Kind) {
        case TValueType::vaInteger:
            Result += std::to_string(V.Int);
            break;
        case TValueType::vaFloat:
            Result += V.Text;
            break;
        case TValueType::vaString:
            Result += QuoteString(V.Text);
            break;
        case TValueType::vaIdent:
            Result += V.Text.empty() ? "''" : V.Text; // an empty identifier reads back as ''
            break;
        case TValueType::vaSet:
            Result += "[";
            for (size_t i = 0; i < V.Names.size(); ++i)
                Result += (i ? ", " : "") + V.Names[i];
            Result += "]";
            break;
        default:
            break;
        }
    }

    void Value(const TFormValue& V, int Level, bool TopLevel)
    {
        switch (V.Kind) {
        case TValueType::vaList:
            if (V.Items.empty()) {
                Result += "()";
            } else if (!TopLevel) {
                Result += "(";
                for (size_t i = 0; i < V.Items.size(); ++i) {
                    if (i)
                        Result += " ";
                    Value(V.Items[i], Level, false);
                }
                Result += ")";
            } else {
                Result += "(";
                for (const auto& item : V.Items) {
                    Result += "\n";
                    Indent(Level + 1);
                    Value(item, Level + 1, false);
                }
                Result += ")";
            }
            break;
        case TValueType::vaBinary: {
            static const char* hex = "0123456789ABCDEF";
            Result += "{";
            for (size_t i = 0; i < V.Bytes.size(); ++i) {
                if (i % 32 == 0) {
                    Result += "\n";
                    Indent(Level + 1);
                }
                Result += hex[V.Bytes[i] >> 4];
                Result += hex[V.Bytes[i] & 15];
            }
            Result += "}";
            break;
        }
        case TValueType::vaCollection:
            Result += "<";
            for (const auto& item : V.CollectionItems) {
                Result += "\n";
                Indent(Level + 1);
                Result += "item\n";
                for (const auto& p : item)
                    Property(p, Level + 2);
                Indent(Level + 1);
                Result += "end";
            }
            Result += ">";
            break;
        default:
            Scalar(V);
            break;
        }
    }
};

} // namespace

bool IsFormIdent(const String& S)
{
    bool atStart = true;
    for (char c : S) {
        if (atStart ? !IsIdentStart(c) : !(IsIdentChar(c) || c == '.'))
            return false;
        atStart = c == '.';
    }
    return !S.empty() && !atStart;
}

TFormObject ParseFormText(const String& Text, const String& SourceName)
{
    TParser parser(Text, SourceName);
    return parser.ParseRoot();
}

String PrintFormText(const TFormObject& Root)
{
    TPrinter printer;
    printer.Object(Root, 0);
    return printer.Result;
}

} // namespace qor
