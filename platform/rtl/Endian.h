#pragma once
// Little-endian (and the odd big-endian) integers inside byte buffers, as file formats store them.
// The caller makes sure the bytes are there: these read and write exactly where they are told.

#include "platform/rtl/Types.h"

#include <cstddef>
#include <span>
#include <vector>

namespace qor {

constexpr Word GetLE16(std::span<const Byte> D, std::size_t At)
{
    return Word(D[At] | (D[At + 1] << 8));
}

constexpr SmallInt GetLE16s(std::span<const Byte> D, std::size_t At)
{
    return SmallInt(GetLE16(D, At));
}

constexpr Cardinal GetLE32(std::span<const Byte> D, std::size_t At)
{
    return Cardinal(D[At]) | (Cardinal(D[At + 1]) << 8) | (Cardinal(D[At + 2]) << 16) | (Cardinal(D[At + 3]) << 24);
}

constexpr Integer GetLE32s(std::span<const Byte> D, std::size_t At)
{
    return Integer(GetLE32(D, At));
}

constexpr Cardinal GetBE32(std::span<const Byte> D, std::size_t At)
{
    return (Cardinal(D[At]) << 24) | (Cardinal(D[At + 1]) << 16) | (Cardinal(D[At + 2]) << 8) | Cardinal(D[At + 3]);
}

// Overwrite bytes already in the buffer.
constexpr void SetLE16(std::span<Byte> D, std::size_t At, Word V)
{
    D[At] = Byte(V);
    D[At + 1] = Byte(V >> 8);
}

constexpr void SetLE32(std::span<Byte> D, std::size_t At, Cardinal V)
{
    for (std::size_t i = 0; i < 4; ++i)
        D[At + i] = Byte(V >> (8 * i));
}

// Append to the end of the buffer.
constexpr void PutLE16(std::vector<Byte>& D, Word V)
{
    D.push_back(Byte(V));
    D.push_back(Byte(V >> 8));
}

constexpr void PutLE32(std::vector<Byte>& D, Cardinal V)
{
    for (int i = 0; i < 4; ++i)
        D.push_back(Byte(V >> (8 * i)));
}

} // namespace qor
