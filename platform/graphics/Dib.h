#pragma once
// Device-independent bitmaps: decoding packed DIBs and BMP files into 32-bit pixels, and
// encoding pixels back into DIBs. Every length and count in the data is checked against the
// bytes actually present before it is used; declared dimensions are capped.

#include "platform/rtl/Types.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qor {

// Declared dimensions above these are refused before anything is allocated.
inline constexpr Integer MaxDibDimension = 32768;
inline constexpr Int64 MaxDibPixels = Int64(1) << 28;
// Pixels an image may have beyond what its data pays for. Run-length data fills a whole row
// with two bytes, and a metafile's frame is only a number, so neither bounds the image; both
// are refused above this (64 MB of 32-bit pixels) unless the data is long enough to fill them
// (see MaxRlePixelsPerByte).
inline constexpr Int64 MaxUnbackedPixels = Int64(1) << 24;
// Run-length data of N bytes may describe at most N * this many pixels above MaxUnbackedPixels:
// a run of two bytes paints at most 255 pixels.
inline constexpr Int64 MaxRlePixelsPerByte = 128;

// How the colour table of a DIB is to be read (the ColorUse argument of StretchDIBits).
inline constexpr Cardinal DibRgbColors = 0; // RGBQUAD entries
inline constexpr Cardinal DibPalColors = 1; // 16-bit indices into the device context's palette

// Compression codes of the info header.
inline constexpr Cardinal DibCompressionRgb = 0;
inline constexpr Cardinal DibCompressionRle8 = 1;
inline constexpr Cardinal DibCompressionRle4 = 2;
inline constexpr Cardinal DibCompressionBitfields = 3;
inline constexpr Cardinal DibCompressionJpeg = 4;
inline constexpr Cardinal DibCompressionPng = 5;
inline constexpr Cardinal DibCompressionAlphaBitfields = 6;

// Sizes of the header variants.
inline constexpr Cardinal DibCoreHeaderSize = 12;
inline constexpr Cardinal DibInfoHeaderSize = 40;
inline constexpr Cardinal DibV4HeaderSize = 108;
inline constexpr Cardinal DibV5HeaderSize = 124;

// The decoded header of a DIB, with the layout of what follows it.
struct TDibHeader {
    Cardinal HeaderSize = 0;
    Integer Width = 0;
    Integer Height = 0;     // always positive
    bool TopDown = false;   // the first row in the data is the top row
    Word Planes = 1;
    Word BitCount = 0;
    Cardinal Compression = DibCompressionRgb;
    Cardinal SizeImage = 0;
    Integer XPelsPerMeter = 0;
    Integer YPelsPerMeter = 0;
    Cardinal ClrUsed = 0;
    Cardinal Masks[4] = {0, 0, 0, 0};   // red, green, blue, alpha (bitfields)
    std::size_t ColorTableOffset = 0;   // from the start of the info
    std::size_t ColorTableEntries = 0;  // entries stored in the data
    std::size_t ColorEntrySize = 4;     // 3 (core header), 4 (RGBQUAD) or 2 (palette indices)
    std::size_t InfoSize = 0;           // header + masks + colour table: where packed bits begin
    std::size_t RowStride = 0;          // bytes per row of uncompressed bits (DWORD aligned)
};

// A decoded image: Pixels are 0xAARRGGBB, Width * Height of them, top row first.
struct TDibImage {
    Integer Width = 0;
    Integer Height = 0;
    std::vector<std::uint32_t> Pixels;
    // 1-bit images. Device contexts colour these with their text colour (index 0) and
    // background colour (index 1) when the bitmap is drawn as a device bitmap.
    bool Monochrome = false;
    // Images with a colour table (1, 4 and 8 bits): the index of each pixel (top row first,
    // Width * Height bytes) and the table itself, already resolved to 0xAARRGGBB.
    std::vector<Byte> Indices;
    std::vector<std::uint32_t> Palette;
    // The data carried a real alpha channel (a bitfields alpha mask); otherwise every pixel is opaque.
    bool HasAlpha = false;
    Word BitCount = 0;      // of the source
    Integer XPelsPerMeter = 0;
    Integer YPelsPerMeter = 0;

    bool Empty() const { return Width <= 0 || Height <= 0; }
    std::uint32_t Pixel(Integer X, Integer Y) const { return Pixels[std::size_t(Y) * std::size_t(Width) + std::size_t(X)]; }
};

// Reads and validates the header at the start of Info (and, for bitfields, the masks after it).
// Checks that the colour table is present in Info. Returns false with a reason on bad data.
bool ReadDibHeader(std::span<const Byte> Info, Cardinal ColorUse, TDibHeader& Out, String* Error = nullptr);

// Decodes a DIB. Info starts with the header (core 12 bytes, info 40, V4 108 or V5 124 bytes)
// followed by the masks and colour table. Bits holds the pixel data; when Bits is empty the
// pixel data is taken from Info right after the colour table (a packed DIB).
// Supports 1, 4, 8, 16, 24 and 32 bits per pixel, RGB, RLE8, RLE4 and bitfields, both row orders.
// With DibPalColors the colour table holds palette indices; they are resolved against the
// default 20-colour palette (unknown indices give black).
// Returns false (leaving Out empty) when the data is malformed or truncated; never reads
// outside the given spans.
bool DecodeDib(std::span<const Byte> Info, std::span<const Byte> Bits, Cardinal ColorUse, TDibImage& Out,
               String* Error = nullptr);

// A BMP file: the 14-byte file header ("BM", size, offset of the bits) followed by a packed DIB.
// A file whose bits offset points outside the data, or whose DIB is bad, gives false.
bool DecodeBmpFile(std::span<const Byte> Data, TDibImage& Out, String* Error = nullptr);

// Encodes Image as a packed DIB (BITMAPINFOHEADER, colour table, bottom-up bits).
// BitCount is 1 (needs Indices and a two-entry Palette, or uses black/white by brightness),
// 24 or 32 (alpha kept in the fourth byte). A 32-bit image with HasAlpha gets a V4 header with
// bit-field masks including the alpha mask, so that it reads back with per-pixel alpha.
std::vector<Byte> EncodeDib(const TDibImage& Image, Word BitCount);

// The same as a BMP file (file header + packed DIB).
std::vector<Byte> EncodeBmpFile(const TDibImage& Image, Word BitCount);

// Bytes per uncompressed row of a DIB of the given width and bit count (rows are DWORD aligned).
std::size_t DibRowStride(Integer Width, Word BitCount);

} // namespace qor
