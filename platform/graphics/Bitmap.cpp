#include "platform/graphics/Bitmap.h"

#include "platform/graphics/Gdi.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/rtl/Endian.h"
#include "platform/rtl/Streams.h"

#include <algorithm>

namespace qor {

QOR_PUBLISH(TBitmap)
{
}

namespace {

constexpr std::uint32_t Black = 0xFF000000u;
constexpr std::uint32_t White = 0xFFFFFFFFu;

// 0xAARRGGBB to a TColor (0x00BBGGRR) and back (opaque).
TColor PixelToColor(std::uint32_t P)
{
    return TColor(((P >> 16) & 0xFF) | (P & 0xFF00) | ((P & 0xFF) << 16));
}

std::uint32_t ColorToPixel(COLORREF C)
{
    return 0xFF000000u | (GetRValue(C) << 16) | (GetGValue(C) << 8) | GetBValue(C);
}

bool IsBright(std::uint32_t P)
{
    return ((P >> 16) & 0xFF) * 30 + ((P >> 8) & 0xFF) * 59 + (P & 0xFF) * 11 >= 128 * 100;
}

// A black-and-white table: 1-bit images with it draw in the context's text and background colours.
bool IsBlackWhite(const TDibImage& I)
{
    return I.BitCount == 1 && I.Palette.size() == 2 && I.Palette[0] == Black && I.Palette[1] == White;
}

void MakeMonochrome(TDibImage& I)
{
    I.BitCount = 1;
    I.Monochrome = true;
    I.HasAlpha = false;
    I.Palette = {Black, White};
    I.Indices.resize(I.Pixels.size());
    for (std::size_t i = 0; i < I.Pixels.size(); ++i) {
        I.Indices[i] = IsBright(I.Pixels[i]) ? 1 : 0;
        I.Pixels[i] = I.Indices[i] ? White : Black;
    }
}

TPixelFormat FormatOf(const TDibImage& I)
{
    switch (I.BitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return pf16bit;
    case 24: return pf24bit;
    case 32: return pf32bit;
    default: return pfDevice;
    }
}

} // namespace

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    FCanvas.reset();
    if (FCanvasDC)
        DeleteDC(FCanvasDC);
    if (FHandle)
        DeleteObject(FHandle);
}

void TBitmap::FreeHandle()
{
    if (!FHandle)
        return;
    DeleteObject(FHandle);
    FHandle = HBITMAP();
    FHandleDirty = false;
    FImageDirty = false;
}

void TBitmap::SyncFromHandle() const
{
    if (!FHandle || !FHandleDirty)
        return;
    FHandleDirty = false;
    TSize Size;
    std::vector<std::uint32_t> Pixels;
    if (!GetBitmapPixels(FHandle, Size, Pixels) || Size.cx != FImage.Width || Size.cy != FImage.Height)
        return;
    for (auto& P : Pixels)
        P |= 0xFF000000u;
    FImage.Pixels = std::move(Pixels);
    FImage.HasAlpha = false;
    if (FMonochrome) {
        for (std::size_t i = 0; i < FImage.Pixels.size(); ++i) {
            FImage.Indices[i] = IsBright(FImage.Pixels[i]) ? 1 : 0;
            FImage.Pixels[i] = FImage.Indices[i] ? White : Black;
        }
    } else {
        FImage.Indices.clear();
        FImage.Palette.clear();
        if (FImage.BitCount <= 8)
            FImage.BitCount = 24;
    }
}

const TDibImage& TBitmap::Image() const
{
    SyncFromHandle();
    return FImage;
}

void TBitmap::SyncToHandle()
{
    if (!FHandle || !FImageDirty)
        return;
    FImageDirty = false;
    std::vector<std::uint32_t> Pixels = FImage.Pixels;
    for (auto& P : Pixels)
        P &= 0x00FFFFFFu;
    SetBitmapPixels(FHandle, Pixels);
}

void TBitmap::PixelsChanged()
{
    if (FHandle)
        FImageDirty = true;
    Changed(this);
}

void TBitmap::UseImage(TDibImage&& Image)
{
    const bool HadCanvas = bool(FCanvasDC);
    FreeHandle();
    FImage = std::move(Image);
    if (IsBlackWhite(FImage)) {
        FMonochrome = true;
        FImage.Monochrome = true;
    } else {
        FMonochrome = false;
        FImage.Monochrome = false;
    }
    FPixelFormat = FImage.Empty() ? pfDevice : FormatOf(FImage);
    if (HadCanvas && !FImage.Empty())
        Handle(); // the canvas keeps drawing into the bitmap
    Changed(this);
}

void TBitmap::Clear()
{
    UseImage(TDibImage{});
}

bool TBitmap::Empty() const
{
    return FImage.Empty();
}

Integer TBitmap::Width() const
{
    return FImage.Width;
}

Integer TBitmap::Height() const
{
    return FImage.Height;
}

void TBitmap::SetWidth(Integer Value)
{
    SetSize(Value, FImage.Height);
}

void TBitmap::SetHeight(Integer Value)
{
    SetSize(FImage.Width, Value);
}

void TBitmap::SetSize(Integer AWidth, Integer AHeight)
{
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (AWidth == FImage.Width && AHeight == FImage.Height)
        return;
    if (AWidth > MaxDibDimension || AHeight > MaxDibDimension || Int64(AWidth) * AHeight > MaxDibPixels)
        throw EInvalidGraphicOperation("Bitmap dimensions are too large");
    const TDibImage& Old = Image();
    TDibImage New;
    New.Width = AWidth;
    New.Height = AHeight;
    New.BitCount = FMonochrome ? 1 : (Old.BitCount > 8 ? Old.BitCount : 32);
    New.HasAlpha = Old.HasAlpha;
    New.XPelsPerMeter = Old.XPelsPerMeter;
    New.YPelsPerMeter = Old.YPelsPerMeter;
    const std::size_t Count = std::size_t(AWidth) * std::size_t(AHeight);
    New.Pixels.assign(Count, FMonochrome ? White : Black);
    if (FMonochrome) {
        New.Monochrome = true;
        New.Palette = {Black, White};
        New.Indices.assign(Count, 1);
    }
    const Integer W = std::min(AWidth, Old.Width), H = std::min(AHeight, Old.Height);
    for (Integer Y = 0; Y < H; ++Y)
        for (Integer X = 0; X < W; ++X) {
            const std::size_t To = std::size_t(Y) * AWidth + X, From = std::size_t(Y) * Old.Width + X;
            New.Pixels[To] = Old.Pixels[From];
            if (FMonochrome && From < Old.Indices.size())
                New.Indices[To] = Old.Indices[From];
        }
    const TPixelFormat Format = FPixelFormat;
    const bool Mono = FMonochrome;
    UseImage(std::move(New));
    FMonochrome = Mono;
    FImage.Monochrome = Mono;
    FPixelFormat = Format;
}

void TBitmap::LoadFromImage(const TDibImage& Image)
{
    TDibImage Copy = Image;
    if (Copy.Empty())
        Copy = TDibImage{};
    UseImage(std::move(Copy));
}

void TBitmap::LoadFromStream(TStream* Stream)
{
    const Int64 Left = Stream->Size() - Stream->Position();
    if (Left < 14 + 12) {
        Clear();
        throw EInvalidGraphic("Bitmap image is not valid");
    }
    std::vector<Byte> Head = Stream->ReadBytes(14);
    Int64 Take = Left;
    const Int64 Declared = GetLE32(Head, 2);
    if (Declared >= 14 + 12 && Declared <= Left)
        Take = Declared;
    std::vector<Byte> Data = std::move(Head);
    std::vector<Byte> Rest = Stream->ReadBytes(Take - 14);
    Data.insert(Data.end(), Rest.begin(), Rest.end());
    TDibImage Img;
    String Error;
    if (!DecodeBmpFile(Data, Img, &Error)) {
        Clear();
        throw EInvalidGraphic("Bitmap image is not valid: " + Error);
    }
    UseImage(std::move(Img));
}

void TBitmap::SaveToStream(TStream* Stream)
{
    const TDibImage& I = Image();
    if (I.Empty())
        return;
    Word Bits = 24;
    if (FMonochrome)
        Bits = 1;
    else if (FPixelFormat == pf32bit || I.HasAlpha)
        Bits = 32;
    Stream->WriteBytes(EncodeBmpFile(I, Bits));
}

void TBitmap::ReadData(TStream* Stream)
{
    const Integer Size = Stream->ReadInteger();
    const Int64 Left = Stream->Size() - Stream->Position();
    if (Size < 0 || Size > Left)
        throw EInvalidGraphic("Bitmap image is not valid");
    if (Size == 0) {
        Clear();
        return;
    }
    TBytesStream Data(Stream->ReadBytes(Size));
    LoadFromStream(&Data);
}

void TBitmap::WriteData(TStream* Stream)
{
    TBytesStream Data;
    SaveToStream(&Data);
    Stream->WriteInteger(Integer(Data.Size()));
    Stream->WriteBytes(Data.Bytes());
}

void TBitmap::Assign(TPersistent* Source)
{
    if (!Source) {
        Clear();
        return;
    }
    if (auto* B = dynamic_cast<TBitmap*>(Source)) {
        if (B == this)
            return;
        TDibImage Copy = B->Image();
        UseImage(std::move(Copy));
        FMonochrome = B->FMonochrome;
        FImage.Monochrome = B->FMonochrome;
        FPixelFormat = B->FPixelFormat;
        FTransparentColor = B->FTransparentColor;
        FTransparentMode = B->FTransparentMode;
        SetTransparent(B->Transparent());
        return;
    }
    if (auto* C = dynamic_cast<TCodecImage*>(Source)) {
        LoadFromImage(C->Image());
        return;
    }
    if (auto* I = dynamic_cast<TIcon*>(Source)) {
        LoadFromImage(I->Image());
        return;
    }
    if (auto* G = dynamic_cast<TGraphic*>(Source)) {
        // Any other graphic: drawn onto a white bitmap of its size.
        const Integer W = G->Width(), H = G->Height();
        if (G->Empty() || W <= 0 || H <= 0) {
            Clear();
            return;
        }
        // The size is only what the graphic says (a metafile's frame), not data that fills it.
        if (W > MaxDibDimension || H > MaxDibDimension || Int64(W) * H > MaxUnbackedPixels)
            throw EInvalidGraphicOperation("Graphic is too large to convert to a bitmap");
        std::uint32_t* Bits = nullptr;
        HBITMAP Target = CreateDIBSection32(W, H, &Bits);
        HDC DC = CreateCompatibleDC(HDC());
        HGDIOBJ Old = SelectObject(DC, Target);
        std::fill(Bits, Bits + std::size_t(W) * H, 0x00FFFFFFu);
        G->DrawTo(DC, TRect(0, 0, W, H));
        SelectObject(DC, Old);
        DeleteDC(DC);
        TDibImage Img;
        Img.Width = W;
        Img.Height = H;
        Img.BitCount = 24;
        TSize Size;
        GetBitmapPixels(Target, Size, Img.Pixels);
        DeleteObject(Target);
        for (auto& P : Img.Pixels)
            P |= 0xFF000000u;
        UseImage(std::move(Img));
        return;
    }
    TGraphic::Assign(Source);
}

HBITMAP TBitmap::Handle()
{
    if (FHandle) {
        // Whoever asks may draw into it.
        SyncToHandle();
        FHandleDirty = true;
        return FHandle;
    }
    if (FImage.Empty())
        return FHandle;
    if (FMonochrome) {
        // Rows padded to 16 bits, 1 bits white.
        const std::size_t Stride = ((std::size_t(FImage.Width) + 15) / 16) * 2;
        std::vector<Byte> Bits(Stride * std::size_t(FImage.Height), 0);
        for (Integer Y = 0; Y < FImage.Height; ++Y)
            for (Integer X = 0; X < FImage.Width; ++X)
                if (FImage.Indices[std::size_t(Y) * FImage.Width + X])
                    Bits[std::size_t(Y) * Stride + std::size_t(X) / 8] |= Byte(0x80 >> (X % 8));
        FHandle = CreateBitmap(FImage.Width, FImage.Height, 1, 1, Bits.data());
    } else {
        std::uint32_t* Bits = nullptr;
        FHandle = CreateDIBSection32(FImage.Width, FImage.Height, &Bits);
        if (FHandle && Bits)
            for (std::size_t i = 0; i < FImage.Pixels.size(); ++i)
                Bits[i] = FImage.Pixels[i] & 0x00FFFFFFu;
    }
    FHandleDirty = true;
    if (FCanvasDC && FHandle)
        SelectObject(FCanvasDC, FHandle);
    return FHandle;
}

HBITMAP TBitmap::ReleaseHandle()
{
    HBITMAP H = Handle();
    SyncFromHandle();
    FHandle = HBITMAP();
    FHandleDirty = false;
    FImageDirty = false;
    return H;
}

void TBitmap::SetPixelFormat(TPixelFormat Value)
{
    if (Value == FPixelFormat)
        return;
    if (Value == pf1bit) {
        SetMonochrome(true);
        return;
    }
    if (FMonochrome) {
        SetMonochrome(false);
    }
    FPixelFormat = Value;
    switch (Value) {
    case pf24bit: FImage.BitCount = 24; FImage.HasAlpha = false; break;
    case pf32bit: FImage.BitCount = 32; break;
    default: break;
    }
    Changed(this);
}

void TBitmap::SetMonochrome(bool Value)
{
    if (Value == FMonochrome)
        return;
    SyncFromHandle();
    TDibImage Img = FImage;
    if (Value) {
        if (!Img.Empty())
            MakeMonochrome(Img);
        FreeHandle();
        FImage = std::move(Img);
        FMonochrome = true;
        FPixelFormat = pf1bit;
    } else {
        Img.Monochrome = false;
        Img.Indices.clear();
        Img.Palette.clear();
        Img.BitCount = 24;
        FreeHandle();
        FImage = std::move(Img);
        FMonochrome = false;
        FPixelFormat = pfDevice;
    }
    FImage.Monochrome = FMonochrome;
    if (FCanvasDC && !FImage.Empty())
        Handle();
    Changed(this);
}

TColor TBitmap::TransparentColor() const
{
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault)
        return FTransparentColor;
    if (FMonochrome)
        return clWhite;
    const TDibImage& I = Image();
    if (I.Empty())
        return clDefault;
    return PixelToColor(I.Pixel(0, I.Height - 1)) | 0x02000000;
}

void TBitmap::SetTransparentColor(TColor Value)
{
    if (Value == FTransparentColor)
        return;
    FTransparentColor = Value;
    FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
    Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value)
{
    if (Value == FTransparentMode)
        return;
    if (Value == tmAuto)
        SetTransparentColor(clDefault);
    else
        SetTransparentColor(TransparentColor());
}

TColor TBitmap::Pixel(Integer X, Integer Y) const
{
    const TDibImage& I = Image();
    if (X < 0 || Y < 0 || X >= I.Width || Y >= I.Height)
        return clNone;
    return PixelToColor(I.Pixel(X, Y));
}

void TBitmap::SetPixel(Integer X, Integer Y, TColor Color)
{
    SyncFromHandle();
    if (X < 0 || Y < 0 || X >= FImage.Width || Y >= FImage.Height)
        return;
    const std::size_t I = std::size_t(Y) * FImage.Width + X;
    std::uint32_t P = ColorToPixel(COLORREF(ColorToRGB(Color)));
    if (FMonochrome) {
        FImage.Indices[I] = IsBright(P) ? 1 : 0;
        P = FImage.Indices[I] ? White : Black;
    } else if (!FImage.Indices.empty()) {
        FImage.Indices.clear();
        FImage.Palette.clear();
        FImage.BitCount = 24;
    }
    FImage.Pixels[I] = P;
    PixelsChanged();
}

void TBitmap::DrawTo(HDC DC, const TRect& Rect)
{
    const TDibImage& I = Image();
    if (I.Empty() || !DC)
        return;
    const Integer DW = Rect.Right - Rect.Left, DH = Rect.Bottom - Rect.Top;
    if (DW == 0 || DH == 0)
        return;
    if (Transparent() || I.HasAlpha) {
        std::vector<std::uint32_t> Pixels = I.Pixels;
        if (FMonochrome) {
            const std::uint32_t Fore = ColorToPixel(GetTextColor(DC)), Back = ColorToPixel(GetBkColor(DC));
            for (std::size_t i = 0; i < Pixels.size(); ++i)
                Pixels[i] = I.Indices[i] ? Back : Fore;
        }
        if (Transparent()) {
            const std::uint32_t Key =
                FMonochrome ? (I.Indices.empty() ? 0 : 1) : ColorToPixel(COLORREF(ColorToRGB(TransparentColor() & 0xFFFFFF)));
            for (std::size_t i = 0; i < Pixels.size(); ++i) {
                const bool Hit = FMonochrome ? I.Indices[i] == Key : (I.Pixels[i] | 0xFF000000u) == Key;
                if (Hit)
                    Pixels[i] = 0;
            }
        }
        DrawPixels(DC, Rect.Left, Rect.Top, DW, DH, Pixels.data(), I.Width, I.Height);
        return;
    }
    std::vector<Byte> Dib;
    if (FMonochrome) {
        Dib = EncodeDib(I, 1);
        // The colour table takes the context's text (0 bits) and background (1 bits) colours.
        const COLORREF Colors[2] = {GetTextColor(DC), GetBkColor(DC)};
        for (int k = 0; k < 2; ++k) {
            Dib[40 + 4 * k] = GetBValue(Colors[k]);
            Dib[41 + 4 * k] = GetGValue(Colors[k]);
            Dib[42 + 4 * k] = GetRValue(Colors[k]);
        }
    } else {
        Dib = EncodeDib(I, 24);
    }
    TDibHeader H;
    ReadDibHeader(Dib, DIB_RGB_COLORS, H);
    StretchDIBits(DC, Rect.Left, Rect.Top, DW, DH, 0, 0, I.Width, I.Height, Dib.data() + H.InfoSize,
                  Dib.size() - H.InfoSize, Dib.data(), H.InfoSize, DIB_RGB_COLORS, SRCCOPY);
}

} // namespace qor
