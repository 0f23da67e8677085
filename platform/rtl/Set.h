#pragma once
// TSet<E>: a set of the values of an enumeration with at most 64 members.

#include <cstdint>
#include <initializer_list>

namespace qor {

template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> Items)
    {
        for (E e : Items)
            FBits |= Bit(e);
    }
    static constexpr TSet FromBits(std::uint64_t Bits)
    {
        TSet s;
        s.FBits = Bits;
        return s;
    }

    constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
    constexpr TSet& Include(E e) { FBits |= Bit(e); return *this; }
    constexpr TSet& Exclude(E e) { FBits &= ~Bit(e); return *this; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr std::uint64_t bits() const { return FBits; }

    constexpr TSet operator+(TSet o) const { return FromBits(FBits | o.FBits); }
    constexpr TSet operator-(TSet o) const { return FromBits(FBits & ~o.FBits); }
    constexpr TSet operator*(TSet o) const { return FromBits(FBits & o.FBits); }
    constexpr TSet operator+(E e) const { return FromBits(FBits | Bit(e)); }
    constexpr TSet operator-(E e) const { return FromBits(FBits & ~Bit(e)); }
    constexpr TSet& operator+=(TSet o) { FBits |= o.FBits; return *this; }
    constexpr TSet& operator-=(TSet o) { FBits &= ~o.FBits; return *this; }
    constexpr TSet& operator*=(TSet o) { FBits &= o.FBits; return *this; }
    constexpr TSet& operator+=(E e) { return Include(e); }
    constexpr TSet& operator-=(E e) { return Exclude(e); }
    constexpr bool operator==(const TSet&) const = default;
    // Subset test: every member of this set is in o.
    constexpr bool operator<=(TSet o) const { return (FBits & ~o.FBits) == 0; }

private:
    static constexpr std::uint64_t Bit(E e) { return std::uint64_t(1) << static_cast<unsigned>(e); }
    std::uint64_t FBits = 0;
};

} // namespace qor
