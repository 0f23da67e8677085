#include "platform/rtl/StringTable.h"

#include "platform/rtl/Resources.h"
#include "platform/rtl/StrUtils.h"

#include <charconv>

namespace qor {

namespace {

String Unescape(std::string_view S)
{
    String Result;
    Result.reserve(S.size());
    for (std::size_t i = 0; i < S.size(); ++i) {
        char C = S[i];
        if (C == '\\' && i + 1 < S.size()) {
            char E = S[i + 1];
            if (E == 'n') { Result += '\n'; ++i; continue; }
            if (E == 't') { Result += '\t'; ++i; continue; }
            if (E == '\\') { Result += '\\'; ++i; continue; }
        }
        // Any other backslash stands for itself.
        Result += C;
    }
    return Result;
}

const std::map<Integer, String>& Table()
{
    static const std::map<Integer, String> TheTable = [] {
        auto Bytes = FindResource("strings.txt");
        if (!Bytes)
            return std::map<Integer, String>();
        return ParseStringTable(
            std::string_view(reinterpret_cast<const char*>(Bytes->data()), Bytes->size()));
    }();
    return TheTable;
}

} // namespace

std::map<Integer, String> ParseStringTable(std::string_view Text, std::vector<Integer>* BadLines)
{
    std::map<Integer, String> Result;
    if (Text.size() >= 3 && Text.substr(0, 3) == "\xEF\xBB\xBF")
        Text.remove_prefix(3);
    Integer LineNo = 0;
    std::size_t Start = 0;
    while (Start <= Text.size()) {
        std::size_t End = Text.find('\n', Start);
        if (End == std::string_view::npos)
            End = Text.size();
        std::string_view Line = Text.substr(Start, End - Start);
        Start = End + 1;
        ++LineNo;
        if (!Line.empty() && Line.back() == '\r')
            Line.remove_suffix(1);
        std::string_view Trimmed = TrimBlanks(Line);
        if (Trimmed.empty() || Trimmed.front() == '#') {
            if (End == Text.size())
                break;
            continue;
        }
        bool Good = false;
        auto Eq = Trimmed.find('=');
        if (Eq != std::string_view::npos) {
            std::string_view Num = TrimBlanks(Trimmed.substr(0, Eq));
            Integer Ident = 0;
            auto [Ptr, Ec] = std::from_chars(Num.data(), Num.data() + Num.size(), Ident);
            if (!Num.empty() && Ec == std::errc() && Ptr == Num.data() + Num.size()) {
                // The text is everything after '=' on the untrimmed line: trailing blanks count.
                std::string_view Rest = Line.substr(Line.find('=') + 1);
                Good = Result.emplace(Ident, Unescape(Rest)).second;
            }
        }
        if (!Good && BadLines)
            BadLines->push_back(LineNo);
        if (End == Text.size())
            break;
    }
    return Result;
}

String LoadStr(Integer Ident)
{
    const auto& T = Table();
    auto It = T.find(Ident);
    return It == T.end() ? String() : It->second;
}

String FmtLoadStr(Integer Ident, std::initializer_list<TVarRec> Args)
{
    return Format(LoadStr(Ident), Args);
}

bool HasStr(Integer Ident)
{
    return Table().count(Ident) != 0;
}

} // namespace qor
