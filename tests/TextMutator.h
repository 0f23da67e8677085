#pragma once
// Deterministic mutation of text inputs for the seeded fuzz tests: fixed seeds, a list of tokens
// that reach the unusual paths of the reader under test, a few changes per mutant.

#include <cstdint>
#include <iterator>
#include <random>
#include <span>
#include <string>

namespace qor::test {

class TTextMutator {
public:
    // Structured formats keep more mutants readable with fewer changes each (MaxSteps).
    TTextMutator(std::uint32_t Seed, std::span<const char* const> Tokens, std::uint32_t MaxSteps = 8)
        : FRandom(Seed), FTokens(Tokens), FMaxSteps(MaxSteps)
    {
    }

    std::uint32_t Next(std::uint32_t Bound) { return Bound ? FRandom() % Bound : 0; }

    // One to MaxSteps changes: a byte replaced, a token inserted, a stretch deleted or duplicated,
    // the end cut off, or a long run of one character or token inserted.
    std::string Mutate(std::string S)
    {
        const std::uint32_t Steps = 1 + Next(FMaxSteps);
        for (std::uint32_t I = 0; I < Steps; ++I) {
            const std::size_t At = Next(static_cast<std::uint32_t>(S.size() + 1));
            switch (Next(6)) {
            case 0:
                if (!S.empty())
                    S[At % S.size()] = static_cast<char>(Next(256));
                break;
            case 1:
                if (!FTokens.empty())
                    S.insert(At, FTokens[Next(static_cast<std::uint32_t>(FTokens.size()))]);
                break;
            case 2:
                S.erase(At, Next(16));
                break;
            case 3: {
                const std::string Piece = S.substr(At, Next(64));
                S.insert(Next(static_cast<std::uint32_t>(S.size() + 1)), Piece);
                break;
            }
            case 4:
                S.resize(At);
                break;
            default:
                if (Next(2) || FTokens.empty()) {
                    S.insert(At, std::string(Next(300), static_cast<char>(Next(2) ? '{' : '}')));
                } else {
                    const char* Token = FTokens[Next(static_cast<std::uint32_t>(FTokens.size()))];
                    std::string Run;
                    for (std::uint32_t K = Next(200); K > 0; --K)
                        Run += Token;
                    S.insert(At, Run);
                }
                break;
            }
        }
        return S;
    }

private:
    std::mt19937 FRandom;
    std::span<const char* const> FTokens;
    std::uint32_t FMaxSteps;
};

} // namespace qor::test
