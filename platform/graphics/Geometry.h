#pragma once
// Points, sizes and rectangles in integer device or logical units.
// A TRect is Left/Top inclusive and Right/Bottom exclusive, as filled shapes use it; helpers that
// work with rectangles including both edges say so.

#include "platform/rtl/Types.h"

#include <algorithm>

namespace qor {

struct TPoint {
    Integer X = 0;
    Integer Y = 0;

    constexpr TPoint() = default;
    constexpr TPoint(Integer AX, Integer AY) : X(AX), Y(AY) {}

    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
    constexpr TPoint operator+(const TPoint& P) const { return {X + P.X, Y + P.Y}; }
    constexpr TPoint operator-(const TPoint& P) const { return {X - P.X, Y - P.Y}; }
};

struct TSize {
    Integer cx = 0;
    Integer cy = 0;

    constexpr TSize() = default;
    constexpr TSize(Integer ACx, Integer ACy) : cx(ACx), cy(ACy) {}

    friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    Integer Left = 0;
    Integer Top = 0;
    Integer Right = 0;
    Integer Bottom = 0;

    constexpr TRect() = default;
    constexpr TRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom)
        : Left(ALeft), Top(ATop), Right(ARight), Bottom(ABottom) {}
    constexpr TRect(const TPoint& TopLeft, const TPoint& BottomRight)
        : Left(TopLeft.X), Top(TopLeft.Y), Right(BottomRight.X), Bottom(BottomRight.Y) {}

    constexpr Integer Width() const { return Right - Left; }
    constexpr Integer Height() const { return Bottom - Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    // No area: Right <= Left or Bottom <= Top.
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    // Left/Top inclusive, Right/Bottom exclusive.
    constexpr bool Contains(const TPoint& P) const { return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom; }
    // Left <= Right and Top <= Bottom.
    constexpr TRect Normalized() const
    {
        return {std::min(Left, Right), std::min(Top, Bottom), std::max(Left, Right), std::max(Top, Bottom)};
    }

    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

// Windows-style names for the same records.
using POINT = TPoint;
using SIZE = TSize;
using RECT = TRect;

constexpr TPoint Point(Integer X, Integer Y) { return {X, Y}; }
constexpr TRect Rect(Integer Left, Integer Top, Integer Right, Integer Bottom) { return {Left, Top, Right, Bottom}; }
constexpr TRect Bounds(Integer Left, Integer Top, Integer Width, Integer Height)
{
    return {Left, Top, Left + Width, Top + Height};
}

constexpr bool IsRectEmpty(const TRect& R) { return R.IsEmpty(); }
constexpr bool PtInRect(const TRect& R, const TPoint& P) { return R.Contains(P); }
constexpr bool EqualRect(const TRect& A, const TRect& B) { return A == B; }

// The overlap of A and B; false (and an all-zero Dest) when they do not overlap.
constexpr bool IntersectRect(TRect& Dest, const TRect& A, const TRect& B)
{
    TRect R{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
    if (R.IsEmpty()) {
        Dest = TRect();
        return false;
    }
    Dest = R;
    return true;
}

// The smallest rectangle holding A and B (an empty rectangle does not count); false when both are empty.
constexpr bool UnionRect(TRect& Dest, const TRect& A, const TRect& B)
{
    if (A.IsEmpty()) {
        Dest = B.IsEmpty() ? TRect() : B;
        return !B.IsEmpty();
    }
    if (B.IsEmpty()) {
        Dest = A;
        return true;
    }
    Dest = TRect(std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right), std::max(A.Bottom, B.Bottom));
    return true;
}

constexpr void OffsetRect(TRect& R, Integer DX, Integer DY)
{
    R.Left += DX;
    R.Right += DX;
    R.Top += DY;
    R.Bottom += DY;
}

constexpr void InflateRect(TRect& R, Integer DX, Integer DY)
{
    R.Left -= DX;
    R.Right += DX;
    R.Top -= DY;
    R.Bottom += DY;
}

constexpr void SetRect(TRect& R, Integer Left, Integer Top, Integer Right, Integer Bottom)
{
    R = TRect(Left, Top, Right, Bottom);
}

} // namespace qor
