#pragma once
// The arguments of qor's verbs: each verb describes its options in one table (spelling, value,
// help line and where the value goes), and ReadArgs reads a command line against it.

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace qor::tool {

// "A-B" with 1 <= A <= B, or "A" alone.
inline bool ParseRange(const std::string& Text, int& First, int& Last)
{
    const auto Number = [](const std::string& S, int& Out) {
        if (S.empty() || S.size() > 9 || S.find_first_not_of("0123456789") != std::string::npos)
            return false;
        Out = std::stoi(S);
        return true;
    };
    const size_t Dash = Text.find('-');
    if (Dash == std::string::npos) {
        if (!Number(Text, First))
            return false;
        Last = First;
    } else if (!Number(Text.substr(0, Dash), First) || !Number(Text.substr(Dash + 1), Last)) {
        return false;
    }
    return First >= 1 && Last >= First;
}

// A whole number from Low to High.
inline bool ParseNumber(const std::string& Text, int Low, int High, int& Out)
{
    if (Text.empty() || Text.size() > 9 || Text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    Out = std::stoi(Text);
    return Out >= Low && Out <= High;
}

inline bool IsHelpOption(const std::string& Arg) { return Arg == "--help" || Arg == "-h"; }

// The arguments from argv[From] on, each --name=value written as --name value.
inline std::vector<std::string> SplitArgs(int argc, char** argv, int From)
{
    std::vector<std::string> Args;
    for (int I = From; I < argc; ++I) {
        const std::string Arg = argv[I];
        const size_t Equals = Arg.find('=');
        if (Arg.rfind("--", 0) == 0 && Equals != std::string::npos && Equals > 2) {
            Args.push_back(Arg.substr(0, Equals));
            Args.push_back(Arg.substr(Equals + 1));
        } else {
            Args.push_back(Arg);
        }
    }
    return Args;
}

// Takes an option's value (empty for a flag) or an operand into the verb's options O; answers
// why it is refused, or "" when it was taken.
template <class O>
using TTake = std::function<std::string(O& Options, const std::string& Value)>;

// One option of a verb.
template <class O>
struct TOption {
    const char* Name;      // "--pages"
    const char* ValueName; // the value's name in the help ("A-B"); nullptr: a flag, taking no value
    const char* Help;      // the help line (a '\n' continues it); nullptr: left out of the help
    TTake<O> Take;
    const char* Alias = nullptr; // a short spelling, "-q"
};

// A verb's options and what becomes of its other arguments.
template <class O>
struct TOptionTable {
    std::vector<TOption<O>> Options;
    TTake<O> Operand;
};

// Reads Args in their order into Options: an option takes the next argument as its value (""
// when none is left), an argument starting with '-' that is no option is refused, any other goes
// to the table's Operand. Answers why the first refused argument was refused, or "".
template <class O>
std::string ReadArgs(const std::vector<std::string>& Args, const TOptionTable<O>& Table, O& Options)
{
    for (size_t I = 0; I < Args.size(); ++I) {
        const std::string& Arg = Args[I];
        std::string Why;
        if (Arg.empty() || Arg[0] != '-') {
            Why = Table.Operand(Options, Arg);
        } else {
            const TOption<O>* Found = nullptr;
            for (const TOption<O>& Option : Table.Options)
                if (Arg == Option.Name || (Option.Alias && Arg == Option.Alias))
                    Found = &Option;
            if (!Found)
                return "unknown option '" + Arg + "'";
            std::string Value;
            if (Found->ValueName && ++I < Args.size())
                Value = Args[I];
            Why = Found->Take(Options, Value);
        }
        if (!Why.empty())
            return Why;
    }
    return {};
}

// The options' lines of a verb's help: "  --name VALUE    what it does", one line each.
template <class O>
std::string OptionHelp(const TOptionTable<O>& Table)
{
    auto Spelling = [](const TOption<O>& Option) {
        std::string Spelt = Option.Alias ? std::string(Option.Alias) + ", " + Option.Name : Option.Name;
        return Option.ValueName ? Spelt + " " + Option.ValueName : Spelt;
    };
    // The help texts start in one column, one blank past the longest spelling (at least 16 wide).
    size_t Column = 15;
    for (const TOption<O>& Option : Table.Options)
        if (Option.Help)
            Column = std::max(Column, Spelling(Option).size());
    std::string Text;
    for (const TOption<O>& Option : Table.Options) {
        if (!Option.Help)
            continue;
        std::string Spelt = Spelling(Option);
        Spelt.resize(Column + 1, ' ');
        Text += "  " + Spelt;
        for (const char* C = Option.Help; *C; ++C)
            Text += *C == '\n' ? "\n" + std::string(Column + 3, ' ') : std::string(1, *C);
        Text += '\n';
    }
    return Text;
}

// Takes of the common kinds: a value that may not be empty, a page range, a number in a range,
// a flag.
template <class O>
TTake<O> TakeText(std::string O::*Field, const char* Refusal)
{
    return [Field, Refusal](O& Options, const std::string& Value) -> std::string {
        if (Value.empty())
            return Refusal;
        Options.*Field = Value;
        return {};
    };
}

template <class O>
TTake<O> TakeRange(int O::*First, int O::*Last)
{
    return [First, Last](O& Options, const std::string& Value) -> std::string {
        if (!ParseRange(Value, Options.*First, Options.*Last))
            return "--pages wants a range A-B of pages from 1 on, as in --pages 2-5";
        return {};
    };
}

template <class O>
TTake<O> TakeNumber(int O::*Field, int Low, int High, const char* Refusal)
{
    return [=](O& Options, const std::string& Value) -> std::string {
        if (!ParseNumber(Value, Low, High, Options.*Field))
            return Refusal;
        return {};
    };
}

template <class O>
TTake<O> TakeFlag(bool O::*Field)
{
    return [Field](O& Options, const std::string&) -> std::string {
        Options.*Field = true;
        return {};
    };
}

// The verb's one file: the first operand; any other is refused as "Refusal, got 'X' as well".
template <class O>
TTake<O> TakeOneFile(std::string O::*Field, const char* Refusal)
{
    return [Field, Refusal](O& Options, const std::string& Arg) -> std::string {
        if (!(Options.*Field).empty())
            return Refusal + (", got '" + Arg + "' as well");
        Options.*Field = Arg;
        return {};
    };
}

} // namespace qor::tool
