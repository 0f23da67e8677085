#include "runtime/output/QorImg.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Dib.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Screen.h"
#include "platform/rtl/Endian.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypeInfo.h"

#include <algorithm>
#include <functional>
#include <limits>

namespace qor {

QOR_PUBLISH(TQorImage) {}
QOR_PUBLISH(TQorBitmap) {}

namespace {

// Up to Count bytes from the stream's position; the position is left where it was.
std::vector<Byte> Peek(TStream& Stream, Int64 Count)
{
    const Int64 At = Stream.Position();
    std::vector<Byte> Bytes(std::size_t(std::clamp<Int64>(Stream.Size() - At, 0, Count)));
    Bytes.resize(std::size_t(Stream.Read(Bytes.data(), Int64(Bytes.size()))));
    Stream.SetPosition(At);
    return Bytes;
}

Int64 Remaining(TStream& Stream) { return Stream.Size() - Stream.Position(); }

TQorPlaceMetaHeader DecodePlaceHeader(std::span<const Byte> D)
{
    TQorPlaceMetaHeader H;
    H.Key = GetLE32(D, 0);
    H.Hmf = GetLE16(D, 4);
    for (int I = 0; I < 4; ++I)
        H.BBox[I] = GetLE16s(D, 6 + 2 * I);
    H.Inch = GetLE16(D, 14);
    H.Reserved = GetLE32(D, 16);
    H.CheckSum = GetLE16(D, 20);
    return H;
}

} // namespace

// ---- placeable metafile header ------------------------------------------------------------------

bool ReadQorPlaceMetaHeader(TStream& Stream, TQorPlaceMetaHeader& Header)
{
    const std::vector<Byte> D = Peek(Stream, QorPlaceMetaHeaderSize);
    if (D.size() < std::size_t(QorPlaceMetaHeaderSize))
        return false;
    Header = DecodePlaceHeader(D);
    Stream.Seek(QorPlaceMetaHeaderSize, soCurrent);
    return true;
}

void WriteQorPlaceMetaHeader(TStream& Stream, const TQorPlaceMetaHeader& Header)
{
    Stream.WriteCardinal(Header.Key);
    Stream.WriteWord(Header.Hmf);
    for (SmallInt V : Header.BBox)
        Stream.WriteSmallInt(V);
    Stream.WriteWord(Header.Inch);
    Stream.WriteCardinal(Header.Reserved);
    Stream.WriteWord(Header.CheckSum);
}

Word QorPlaceHeadCheckSum(const TQorPlaceMetaHeader& Header)
{
    Word Sum = Word(Header.Key) ^ Word(Header.Key >> 16) ^ Header.Hmf;
    for (SmallInt V : Header.BBox)
        Sum ^= Word(V);
    return Sum ^ Header.Inch ^ Word(Header.Reserved) ^ Word(Header.Reserved >> 16);
}

void QorFillPlaceHead(TQorPlaceMetaHeader& Header)
{
    Header.Key = QorPlaceHeadKey;
    Header.Hmf = 0;
    Header.Reserved = 0;
    Header.CheckSum = QorPlaceHeadCheckSum(Header);
}

// ---- recognising pictures -----------------------------------------------------------------------

bool QorIsBlob(TStream& Stream)
{
    Stream.SetPosition(0);
    const std::vector<Byte> D = Peek(Stream, 8);
    if (D.size() == 8 && GetLE16(D, 0) == 1 && GetLE16(D, 2) == 256 && Int64(GetLE32(D, 4)) == Stream.Size() - 8) {
        Stream.SetPosition(8);
        return true;
    }
    return false;
}

bool QorIsBitmap(TStream& Stream)
{
    const std::vector<Byte> D = Peek(Stream, 14);
    return D.size() >= 2 && GetLE16(D, 0) == 0x4D42;
}

bool QorIsEMF(TStream& Stream)
{
    if (Remaining(Stream) <= 108)
        return false;
    const std::vector<Byte> D = Peek(Stream, 108);
    return GetLE32(D, 0) == 1 && GetLE32(D, 40) == 0x464D4520;
}

bool QorIsPlaceWMF(TStream& Stream)
{
    if (Remaining(Stream) <= QorPlaceMetaHeaderSize)
        return false;
    const TQorPlaceMetaHeader H = DecodePlaceHeader(Peek(Stream, QorPlaceMetaHeaderSize));
    return H.Key == QorPlaceHeadKey && H.CheckSum == QorPlaceHeadCheckSum(H);
}

bool QorIsIcon(TStream& Stream)
{
    const std::vector<Byte> D = Peek(Stream, 6);
    return D.size() >= 4 && GetLE16(D, 2) < 2;
}

bool QorIsPlaceableMetaFile(TStream& Stream)
{
    Stream.SetPosition(0);
    const std::vector<Byte> D = Peek(Stream, QorPlaceMetaHeaderSize);
    return D.size() == std::size_t(QorPlaceMetaHeaderSize) && GetLE32(D, 0) == QorPlaceHeadKey;
}

std::unique_ptr<TGraphic> QorGetGraphic(TStream& Stream)
{
    QorIsBlob(Stream);
    const Int64 Start = Stream.Position();
    // Each candidate class loads from Start; a load that raises sends the search on.
    auto Try = [&](std::unique_ptr<TGraphic> Graphic) -> std::unique_ptr<TGraphic> {
        try {
            Graphic->LoadFromStream(&Stream);
            return Graphic;
        } catch (const Exception&) {
        } catch (const std::bad_alloc&) {
        }
        Stream.SetPosition(Start);
        return nullptr;
    };
    std::unique_ptr<TGraphic> Result;
    if (QorIsBitmap(Stream))
        Result = Try(std::make_unique<TBitmap>());
    else if (QorIsEMF(Stream) || QorIsPlaceWMF(Stream))
        Result = Try(std::make_unique<TMetafile>());
    else if (QorIsIcon(Stream))
        Result = Try(std::make_unique<TIcon>());
    if (!Result)
        Result = Try(std::make_unique<TPngImage>());
    if (!Result)
        Result = Try(std::make_unique<TGIFImage>());
    if (!Result)
        Result = Try(std::make_unique<TJPEGImage>());
    if (!Result)
        Result = Try(std::make_unique<TWICImage>());
    return Result;
}

// ---- drawing graphics on a device context -------------------------------------------------------

namespace {

// Runs Draw on a canvas over DC, the context's state saved before and restored after, whatever
// happens.
void OnSavedCanvas(HDC DC, const std::function<void(TCanvas&)>& Draw)
{
    const Integer Saved = SaveDC(DC);
    TCanvas Canvas;
    Canvas.SetHandle(DC);
    struct TRestore {
        HDC DC;
        Integer Saved;
        TCanvas& Canvas;
        ~TRestore()
        {
            Canvas.SetHandle(HDC());
            if (Saved)
                RestoreDC(DC, Saved);
        }
    } Restore{DC, Saved, Canvas};
    Draw(Canvas);
}

} // namespace

void QorDrawBitMap(HDC DC, Integer X, Integer Y, TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    OnSavedCanvas(DC, [&](TCanvas& Canvas) {
        if (dynamic_cast<TMetafile*>(Graphic))
            Canvas.StretchDraw(TRect(X, Y, X + Graphic->Width(), Y + Graphic->Height()), Graphic);
        else
            Canvas.Draw(X, Y, Graphic);
    });
}

void QorDrawMetaFile(HDC, Integer, Integer, TGraphic*) {}

void QorStretchDrawBitMap(HDC DC, const TRect& Rect, TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    // Rect includes its right and bottom edges; the canvas's excludes them.
    const TRect Target(Rect.Left, Rect.Top, Rect.Right + 1, Rect.Bottom + 1);
    OnSavedCanvas(DC, [&](TCanvas& Canvas) { Canvas.StretchDraw(Target, Graphic); });
}

// ---- TQorBitmap ---------------------------------------------------------------------------------

TQorBitmap::TQorBitmap() : FBitmapStream(std::make_unique<TMemoryStream>()), FPixelsPerInch(ScreenPixelsPerInch()) {}

TQorBitmap::~TQorBitmap() { Clear(); }

void TQorBitmap::Clear()
{
    FBitmapStream->Clear();
    FBitmapInfo.clear();
    if (FPalette)
        DeleteObject(FPalette);
    FPalette = HPALETTE();
    FDevice = HDC();
    FBitmapType = qbtNone;
    FMonochrome = false;
    FBitsOffset = 0;
    FColorSize = FColorCount = FBitsSize = 0;
    FWidth = FHeight = FXPelsPerMeter = FYPelsPerMeter = 0;
}

void TQorBitmap::LoadFromStream(TStream* Stream)
{
    Clear();
    if (!Stream || Remaining(*Stream) < 14)
        return;
    const std::vector<Byte> FileHeader = Stream->ReadBytes(14);
    if (GetLE16(FileHeader, 0) != 0x4D42)
        return;
    FBitmapStream->CopyFrom(Stream, Remaining(*Stream));
    FBitmapStream->SetPosition(0);
    if (!Interpret())
        Clear();
    FBitmapStream->SetPosition(0);
}

// Reads the header at the start of FBitmapStream and lays out where the colour table and bits are.
// Sizes that do not fit in the data leave the bitmap empty (false).
bool TQorBitmap::Interpret()
{
    const std::span<const Byte> Data(static_cast<const Byte*>(FBitmapStream->Memory()),
                                     std::size_t(FBitmapStream->Size()));
    if (Data.size() < 4)
        return false;
    const Cardinal HeaderSize = GetLE32(Data, 0);
    if ((HeaderSize != DibCoreHeaderSize && HeaderSize != DibInfoHeaderSize && HeaderSize != DibV4HeaderSize &&
         HeaderSize != DibV5HeaderSize) ||
        Data.size() < HeaderSize)
        return false;

    std::vector<Byte> Header(Data.begin(), Data.begin() + HeaderSize);
    Word BitCount = 0, Planes = 0;
    Int64 ColorSize = 0;
    if (HeaderSize == DibCoreHeaderSize) {
        FBitmapType = qbtPresMan;
        FWidth = GetLE16(Data, 4);
        FHeight = GetLE16(Data, 6);
        Planes = GetLE16(Data, 8);
        BitCount = GetLE16(Data, 10);
        FColorCount = (BitCount == 1 || BitCount == 4 || BitCount == 8) ? 1 << BitCount : 0;
        ColorSize = Int64(FColorCount) * 3;
    } else {
        FBitmapType = qbtWindows;
        FWidth = GetLE32s(Data, 4);
        FHeight = GetLE32s(Data, 8);
        Planes = GetLE16(Data, 12);
        BitCount = GetLE16(Data, 14);
        FXPelsPerMeter = GetLE32s(Data, 24);
        FYPelsPerMeter = GetLE32s(Data, 28);
        Cardinal ColorsUsed = GetLE32(Data, 32);
        if (ColorsUsed == 0) {
            ColorsUsed = (BitCount == 1 || BitCount == 4 || BitCount == 8) ? 1u << BitCount : 0;
            SetLE32(Header, 32, ColorsUsed);
        }
        if (Int64(ColorsUsed) * 4 > Int64(Data.size()))
            return false;
        FColorCount = Integer(ColorsUsed);
        ColorSize = Int64(ColorsUsed) * 4;
        const Cardinal Compression = GetLE32(Data, 16);
        if (HeaderSize == DibInfoHeaderSize && (BitCount == 16 || BitCount == 32) &&
            Compression == DibCompressionBitfields)
            ColorSize += 12; // the three masks follow the 40-byte header
    }
    // Rows stored top first are flagged by a negative height; the size drawn is the same.
    FHeight = FHeight == std::numeric_limits<Integer>::min() ? 0 : std::abs(FHeight);
    if (FWidth <= 0 || FHeight <= 0 || BitCount == 0)
        return false;
    FMonochrome = Planes == 1 && BitCount == 1;

    const Int64 BitsOffset = Int64(HeaderSize) + ColorSize;
    if (BitsOffset > Int64(Data.size()))
        return false;
    FColorSize = Integer(ColorSize);
    FBitsOffset = std::size_t(BitsOffset);
    FBitmapInfo = std::move(Header);
    FBitmapInfo.insert(FBitmapInfo.end(), Data.begin() + HeaderSize, Data.begin() + FBitsOffset);

    // The bits are what follows the colour table, or less when the header says so. A core header
    // gives no size: it is computed from the dimensions and held to what is there.
    Int64 BitsSize = Int64(Data.size()) - BitsOffset;
    if (FBitmapType == qbtPresMan) {
        BitsSize = std::min(BitsSize, (Int64(FWidth) * BitCount + 31) / 32 * 4 * FHeight);
    } else {
        const Cardinal SizeImage = GetLE32(Data, 20);
        if (SizeImage != 0 && SizeImage < BitsSize)
            BitsSize = SizeImage;
    }
    FBitsSize = Integer(std::min<Int64>(BitsSize, std::numeric_limits<Integer>::max()));
    return true;
}

void TQorBitmap::MakePalette(HDC DC)
{
    if (FPalette || FColorCount < 3)
        return;
    auto Entries = std::vector<PALETTEENTRY>(std::size_t(FColorCount));
    const Integer HeaderSize = Integer(FBitmapInfo.size()) - FColorSize;
    if (FBitmapType == qbtWindows && FColorCount == 16 && GetDeviceCaps(DC, SIZEPALETTE) >= 16) {
        // The device's first and last eight system colours.
        GetSystemPaletteEntries(DC, 0, 8, Entries.data());
        GetSystemPaletteEntries(DC, Cardinal(GetDeviceCaps(DC, SIZEPALETTE) - 8), 8, Entries.data() + 8);
    } else {
        const Integer EntrySize = FBitmapType == qbtWindows ? 4 : 3;
        const std::size_t Table = std::size_t(HeaderSize);
        for (Integer I = 0; I < FColorCount; ++I) {
            const std::size_t At = Table + std::size_t(I) * std::size_t(EntrySize);
            if (At + 3 > FBitmapInfo.size())
                break;
            Entries[std::size_t(I)].peBlue = FBitmapInfo[At];
            Entries[std::size_t(I)].peGreen = FBitmapInfo[At + 1];
            Entries[std::size_t(I)].peRed = FBitmapInfo[At + 2];
        }
    }
    LOGPALETTE Log;
    Log.palVersion = 0x300;
    Log.palNumEntries = Word(std::min<Integer>(FColorCount, 0xFFFF));
    Log.palPalEntry = Entries.data();
    FPalette = CreatePalette(Log);
}

void TQorBitmap::StretchDraw(HDC DC, const TRect& Rect)
{
    if (Empty())
        return;
    const Integer Saved = SaveDC(DC);
    if (FDevice != DC && FPalette) {
        // The palette was made for another device.
        DeleteObject(FPalette);
        FPalette = HPALETTE();
    }
    FDevice = DC;
    MakePalette(DC);
    if (!FMonochrome)
        SetStretchBltMode(DC, COLORONCOLOR);
    HPALETTE Previous;
    if (FPalette) {
        Previous = SelectPalette(DC, FPalette, true);
        RealizePalette(DC);
    }
    const Byte* Bits = static_cast<const Byte*>(FBitmapStream->Memory()) + FBitsOffset;
    StretchDIBits(DC, Rect.Left, Rect.Top, Rect.Right - Rect.Left + 1, Rect.Bottom - Rect.Top + 1, 0, 0, FWidth,
                  FHeight, Bits, std::size_t(FBitsSize), FBitmapInfo.data(), FBitmapInfo.size(), DIB_RGB_COLORS,
                  SRCCOPY);
    if (FPalette)
        SelectPalette(DC, Previous, true);
    if (Saved)
        RestoreDC(DC, Saved);
}

void TQorBitmap::Draw(HDC DC, Integer X, Integer Y)
{
    // StretchDraw's rectangle includes both edges.
    StretchDraw(DC, TRect(X, Y, X + GetWidth(DC) - 1, Y + GetHeight(DC) - 1));
}

Integer TQorBitmap::DeviceSize(HDC DC, Integer Pixels, Integer PelsPerMeter, Integer DeviceCap) const
{
    if (Empty())
        return 0;
    Integer Resolution = FBitmapType == qbtWindows ? MulDiv(PelsPerMeter, 254, 10000) : 0;
    if (Resolution <= 0)
        Resolution = FPixelsPerInch > 0 ? FPixelsPerInch : 96;
    return MulDiv(Pixels, GetDeviceCaps(DC, DeviceCap), Resolution);
}

Integer TQorBitmap::GetWidth(HDC DC) const { return DeviceSize(DC, FWidth, FXPelsPerMeter, LOGPIXELSX); }

Integer TQorBitmap::GetHeight(HDC DC) const { return DeviceSize(DC, FHeight, FYPelsPerMeter, LOGPIXELSY); }

} // namespace qor
