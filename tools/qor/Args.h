#pragma once
// Argument helpers shared by the verbs of qor.

#include <string>

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

} // namespace qor::tool
