#pragma once
// Helpers shared by the graphics tests: building little-endian files field by field, and
// mutating seed files for the fuzz tests.

#include "platform/rtl/Endian.h"

#include <algorithm>
#include <random>
#include <vector>

namespace qor::test {

struct TBytes {
    std::vector<Byte> D;
    void U16(Word V) { PutLE16(D, V); }
    void U32(Cardinal V) { PutLE32(D, V); }
    void Put32(std::size_t At, Cardinal V) { SetLE32(D, At, V); }
};

// One random change to a copy of a seed: up to MaxFlips flipped bits, a truncation, or four
// random bytes starting at a multiple of Align.
inline void MutateBytes(std::vector<Byte>& D, std::mt19937& Rng, unsigned MaxFlips, std::size_t Align = 1)
{
    switch (Rng() % 3) {
    case 0:
        for (int k = 0, n = 1 + int(Rng() % MaxFlips); k < n; ++k)
            D[Rng() % D.size()] ^= Byte(1u << (Rng() % 8));
        break;
    case 1:
        D.resize(Rng() % D.size());
        break;
    default: {
        const std::size_t At = (Rng() % (D.size() / Align)) * Align;
        for (std::size_t b = At; b < std::min(D.size(), At + 4); ++b)
            D[b] = Byte(Rng());
    }
    }
}

} // namespace qor::test
