#include "platform/graphics/Metafile.h"

#include "platform/graphics/Screen.h"
#include "platform/rtl/Endian.h"
#include "platform/rtl/Streams.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qor {

QOR_PUBLISH(TMetafile)
{
}

namespace {

bool Fail(String* Error, const char* Why)
{
    if (Error)
        *Error = Why;
    return false;
}

bool ReadEmfInfo(std::span<const Byte> D, TMetafileInfo& Info, String* Error)
{
    if (D.size() < 88 || GetLE32(D, 0) != 1 || GetLE32(D, 40) != 0x464D4520)
        return Fail(Error, "Not an enhanced metafile");
    const Cardinal HeaderSize = GetLE32(D, 4);
    if (HeaderSize < 88 || HeaderSize > D.size())
        return Fail(Error, "Enhanced metafile header is damaged");
    std::size_t At = 0;
    bool Ended = false;
    while (At < D.size()) {
        if (D.size() - At < 8)
            return Fail(Error, "Enhanced metafile is truncated");
        const Cardinal Type = GetLE32(D, At), Size = GetLE32(D, At + 4);
        if (Size < 8 || Size > D.size() - At)
            return Fail(Error, "Enhanced metafile record lies outside the data");
        At += Size;
        if (Type == 14) {
            Ended = true;
            break;
        }
    }
    if (!Ended)
        return Fail(Error, "Enhanced metafile is truncated");
    Info.Enhanced = true;
    // Sizes from the header are untrusted: work in 64 bits and keep the results in range.
    const auto Span = [](Integer From, Integer To, Int64 Extra) {
        return std::clamp<Int64>(Int64(To) - From + Extra, 0, INT32_MAX);
    };
    const auto Scaled = [](Int64 Pixels, Integer Millimetres, Integer Devices) {
        const double v = double(Pixels) * Millimetres * 100.0 / Devices;
        return static_cast<Integer>(std::clamp(std::round(v), 0.0, double(INT32_MAX)));
    };
    const Integer FL = GetLE32s(D, 24), FT = GetLE32s(D, 28), FR = GetLE32s(D, 32), FB = GetLE32s(D, 36);
    Info.MMWidth = static_cast<Integer>(Span(FL, FR, 0));
    Info.MMHeight = static_cast<Integer>(Span(FT, FB, 0));
    if (Info.MMWidth == 0 || Info.MMHeight == 0) {
        // No frame: the bounds in reference-device pixels, converted through its size.
        const Integer BL = GetLE32s(D, 8), BT = GetLE32s(D, 12), BR = GetLE32s(D, 16), BB = GetLE32s(D, 20);
        const Integer DevX = GetLE32s(D, 72), DevY = GetLE32s(D, 76), MmX = GetLE32s(D, 80), MmY = GetLE32s(D, 84);
        if (DevX > 0 && DevY > 0 && MmX > 0 && MmY > 0) {
            Info.MMWidth = Scaled(Span(BL, BR, 1), MmX, DevX);
            Info.MMHeight = Scaled(Span(BT, BB, 1), MmY, DevY);
        }
    }
    return true;
}

bool ReadWmfInfo(std::span<const Byte> D, TMetafileInfo& Info, String* Error)
{
    std::size_t At = 0;
    if (D.size() >= 4 && GetLE32(D, 0) == PlaceableMetafileKey) {
        if (D.size() < 22)
            return Fail(Error, "Metafile header is truncated");
        Info.Placeable = true;
        Info.Bounds = TRect(GetLE16s(D, 6), GetLE16s(D, 8), GetLE16s(D, 10), GetLE16s(D, 12));
        Info.Inch = GetLE16(D, 14);
        if (Info.Inch == 0)
            return Fail(Error, "Metafile header gives no units per inch");
        Info.MMWidth = MulDiv(std::abs(Info.Bounds.Right - Info.Bounds.Left), 2540, Info.Inch);
        Info.MMHeight = MulDiv(std::abs(Info.Bounds.Bottom - Info.Bounds.Top), 2540, Info.Inch);
        At = 22;
    }
    if (D.size() - At < 18)
        return Fail(Error, "Metafile header is truncated");
    const Word Type = GetLE16(D, At), HeaderWords = GetLE16(D, At + 2);
    if ((Type != 1 && Type != 2) || HeaderWords != 9)
        return Fail(Error, "Not a metafile");
    At += 18;
    bool Ended = false;
    bool HaveExt = false;
    while (At < D.size()) {
        if (D.size() - At < 6)
            return Fail(Error, "Metafile is truncated");
        const std::size_t Size = std::size_t(GetLE32(D, At)) * 2;
        const Word Function = GetLE16(D, At + 4);
        if (Size < 6 || Size > D.size() - At)
            return Fail(Error, "Metafile record lies outside the data");
        if (Function == 0) {
            Ended = true;
            break;
        }
        if (Function == 0x020C && Size >= 10 && !HaveExt && !Info.Placeable) {
            // A plain metafile's size: its window extent, taken at screen resolution.
            HaveExt = true;
            Info.MMWidth = MulDiv(std::abs(GetLE16s(D, At + 8)), 2540, ScreenPixelsPerInch());
            Info.MMHeight = MulDiv(std::abs(GetLE16s(D, At + 6)), 2540, ScreenPixelsPerInch());
        }
        At += Size;
    }
    if (!Ended)
        return Fail(Error, "Metafile is truncated");
    Info.Enhanced = false;
    return true;
}

} // namespace

bool ReadMetafileInfo(std::span<const Byte> Data, TMetafileInfo& Info, String* Error)
{
    Info = TMetafileInfo{};
    if (Data.size() >= 44 && GetLE32(Data, 0) == 1 && GetLE32(Data, 40) == 0x464D4520)
        return ReadEmfInfo(Data, Info, Error);
    return ReadWmfInfo(Data, Info, Error);
}

void TMetafile::Clear()
{
    FData.clear();
    FInfo = TMetafileInfo{};
    FMMWidth = FMMHeight = 0;
    Changed(this);
}

void TMetafile::Assign(TPersistent* Source)
{
    if (!Source) {
        Clear();
        return;
    }
    if (auto* M = dynamic_cast<TMetafile*>(Source)) {
        if (M != this) {
            FData = M->FData;
            FInfo = M->FInfo;
            FMMWidth = M->FMMWidth;
            FMMHeight = M->FMMHeight;
            Changed(this);
        }
        return;
    }
    TGraphic::Assign(Source);
}

Integer TMetafile::Width() const
{
    return MulDiv(FMMWidth, ScreenPixelsPerInch(), 2540);
}

Integer TMetafile::Height() const
{
    return MulDiv(FMMHeight, ScreenPixelsPerInch(), 2540);
}

void TMetafile::SetWidth(Integer Value)
{
    SetMMWidth(MulDiv(Value, 2540, ScreenPixelsPerInch()));
}

void TMetafile::SetHeight(Integer Value)
{
    SetMMHeight(MulDiv(Value, 2540, ScreenPixelsPerInch()));
}

void TMetafile::SetMMWidth(Integer Value)
{
    Value = std::max(Value, 0);
    if (Value != FMMWidth) {
        FMMWidth = Value;
        Changed(this);
    }
}

void TMetafile::SetMMHeight(Integer Value)
{
    Value = std::max(Value, 0);
    if (Value != FMMHeight) {
        FMMHeight = Value;
        Changed(this);
    }
}

void TMetafile::LoadFromStream(TStream* Stream)
{
    const Int64 Left = Stream->Size() - Stream->Position();
    std::vector<Byte> Data = Stream->ReadBytes(std::max<Int64>(Left, 0));
    TMetafileInfo Info;
    String Error;
    if (!ReadMetafileInfo(Data, Info, &Error)) {
        FData.clear();
        FInfo = TMetafileInfo{};
        FMMWidth = FMMHeight = 0;
        throw EInvalidGraphic("Metafile is not valid: " + Error);
    }
    FData = std::move(Data);
    FInfo = Info;
    FMMWidth = Info.MMWidth;
    FMMHeight = Info.MMHeight;
    Changed(this);
}

void TMetafile::SaveToStream(TStream* Stream)
{
    if (!FData.empty())
        Stream->WriteBytes(FData);
}

void TMetafile::DrawTo(HDC DC, const TRect& Rect)
{
    if (FData.empty() || !DC)
        return;
    PlayMetafileData(DC, FData, Rect);
}

} // namespace qor
