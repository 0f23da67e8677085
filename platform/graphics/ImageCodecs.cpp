#include "platform/graphics/ImageCodecs.h"

#include "platform/rtl/Endian.h"
#include "platform/rtl/QtHost.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstring>
#include <string_view>

namespace qor {

namespace {

bool Fail(String* Error, const char* Why)
{
    if (Error)
        *Error = Why;
    return false;
}

bool StartsWith(std::span<const Byte> D, const char* Sig, std::size_t N)
{
    return D.size() >= N && std::memcmp(D.data(), Sig, N) == 0;
}

// The chunk structure must be whole, from the header to the end chunk.
bool CheckPng(std::span<const Byte> D, String* Error)
{
    std::size_t At = 8;
    bool First = true;
    while (true) {
        if (D.size() - At < 12)
            return Fail(Error, "PNG data is truncated");
        const Cardinal Len = GetBE32(D, At);
        const bool IsHeader = std::memcmp(D.data() + At + 4, "IHDR", 4) == 0;
        const bool IsEnd = std::memcmp(D.data() + At + 4, "IEND", 4) == 0;
        if (First && !IsHeader)
            return Fail(Error, "PNG data does not start with a header chunk");
        First = false;
        if (Len > D.size() - At - 12)
            return Fail(Error, "PNG data is truncated");
        At += 12 + std::size_t(Len);
        if (IsEnd)
            return true;
    }
}

// A JPEG must end its scan with the end-of-image marker.
bool CheckJpeg(std::span<const Byte> D, String* Error)
{
    const Byte Scan[2] = {0xFF, 0xDA};
    const Byte End[2] = {0xFF, 0xD9};
    auto S = std::search(D.begin(), D.end(), std::begin(Scan), std::end(Scan));
    if (S == D.end())
        return Fail(Error, "JPEG data has no image scan");
    auto E = std::find_end(S, D.end(), std::begin(End), std::end(End));
    if (E == D.end())
        return Fail(Error, "JPEG data is truncated");
    return true;
}

// Walks the blocks of a GIF up to the end of its first image.
bool CheckGif(std::span<const Byte> D, String* Error)
{
    if (D.size() < 13)
        return Fail(Error, "GIF data is truncated");
    std::size_t At = 13;
    const Byte Flags = D[10];
    if (Flags & 0x80)
        At += 3 * (std::size_t(2) << (Flags & 7));
    auto SkipSubBlocks = [&]() {
        while (At < D.size()) {
            const Byte Len = D[At++];
            if (Len == 0)
                return true;
            At += Len;
        }
        return false;
    };
    while (At < D.size()) {
        const Byte Kind = D[At++];
        if (Kind == 0x21) {
            if (At >= D.size())
                break;
            ++At; // label
            if (!SkipSubBlocks())
                break;
        } else if (Kind == 0x2C) {
            if (D.size() - At < 10)
                break;
            const Byte LocalFlags = D[At + 8];
            At += 9;
            if (LocalFlags & 0x80)
                At += 3 * (std::size_t(2) << (LocalFlags & 7));
            ++At; // LZW code size
            if (At > D.size() || !SkipSubBlocks())
                break;
            return true;
        } else {
            return Fail(Error, "GIF data holds an unknown block");
        }
    }
    return Fail(Error, "GIF data is truncated");
}

// An SVG picture may draw only what it holds: a reference to any other file (an image element
// naming a path or a URL) would let a report pull that file into its pages. Only references
// inside the document ("#id") and embedded data ("data:") pass.
bool SvgHoldsAllItDraws(std::span<const Byte> D)
{
    const std::string_view Text(reinterpret_cast<const char*>(D.data()), D.size());
    const auto Lower = [](char C) { return char(std::tolower(static_cast<unsigned char>(C))); };
    for (std::size_t At = 0; At + 4 <= Text.size(); ++At) {
        if (Lower(Text[At]) != 'h' || Lower(Text[At + 1]) != 'r' || Lower(Text[At + 2]) != 'e' ||
            Lower(Text[At + 3]) != 'f')
            continue;
        std::size_t V = At + 4;
        while (V < Text.size() && std::isspace(static_cast<unsigned char>(Text[V])))
            ++V;
        if (V >= Text.size() || Text[V] != '=')
            continue;
        ++V;
        while (V < Text.size() && std::isspace(static_cast<unsigned char>(Text[V])))
            ++V;
        if (V < Text.size() && (Text[V] == '"' || Text[V] == '\''))
            ++V;
        const std::string_view Value = Text.substr(V, 5);
        if (!Value.starts_with("#") && Value != "data:")
            return false;
    }
    return true;
}

// The TIFF plugin's library writes its complaints about damaged files straight to stderr; like
// Qt's own diagnostics they are for whoever debugs the platform (QORDEBUG=YES), not for the user.
void QuietTiffLibrary()
{
    static bool Done = false;
    if (Done || QtMessagesShown())
        return;
    void* Lib = dlopen("libtiff.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!Lib)
        return; // not loaded (yet): no TIFF was read
    Done = true;
    using THandler = void (*)(const char*, const char*, va_list);
    using TSetHandler = THandler (*)(THandler);
    for (const char* Name : {"TIFFSetErrorHandler", "TIFFSetWarningHandler"})
        if (auto Set = reinterpret_cast<TSetHandler>(dlsym(Lib, Name)))
            Set(nullptr);
    dlclose(Lib);
}

const char* QtFormatName(TImageFormat F)
{
    switch (F) {
    case TImageFormat::Png: return "PNG";
    case TImageFormat::Jpeg: return "JPEG";
    case TImageFormat::Gif: return "GIF";
    default: return nullptr;
    }
}

} // namespace

TImageFormat DetectImageFormat(std::span<const Byte> D)
{
    if (StartsWith(D, "BM", 2))
        return TImageFormat::Bmp;
    if (StartsWith(D, "\x89PNG\r\n\x1A\n", 8))
        return TImageFormat::Png;
    if (StartsWith(D, "\xFF\xD8\xFF", 3))
        return TImageFormat::Jpeg;
    if (StartsWith(D, "GIF87a", 6) || StartsWith(D, "GIF89a", 6))
        return TImageFormat::Gif;
    if (D.size() >= 44 && GetLE32(D, 0) == 1 && GetLE32(D, 40) == 0x464D4520)
        return TImageFormat::Emf;
    if (D.size() >= 4 && GetLE32(D, 0) == 0x9AC6CDD7)
        return TImageFormat::Wmf;
    if (D.size() >= 6) {
        const Word Type = GetLE16(D, 0), HeaderWords = GetLE16(D, 2), Version = GetLE16(D, 4);
        if ((Type == 1 || Type == 2) && HeaderWords == 9 && (Version == 0x300 || Version == 0x100))
            return TImageFormat::Wmf;
        if (Type == 0 && (HeaderWords == 1 || HeaderWords == 2) && Version > 0)
            return TImageFormat::Ico;
    }
    return TImageFormat::Unknown;
}

bool DecodeCodecImage(std::span<const Byte> Data, TImageFormat Format, TDibImage& Out, String* Error)
{
    Out = TDibImage{};
    const bool AnyPlugin = Format == TImageFormat::Other;
    const TImageFormat Found = DetectImageFormat(Data);
    if (!AnyPlugin) {
        if (Found != TImageFormat::Png && Found != TImageFormat::Jpeg && Found != TImageFormat::Gif)
            return Fail(Error, "Unknown picture format");
        if (Format != TImageFormat::Unknown && Format != Found)
            return Fail(Error, "The data is not of the expected picture format");
        bool Whole = false;
        switch (Found) {
        case TImageFormat::Png: Whole = CheckPng(Data, Error); break;
        case TImageFormat::Jpeg: Whole = CheckJpeg(Data, Error); break;
        default: Whole = CheckGif(Data, Error); break;
        }
        if (!Whole)
            return false;
    } else if (Data.empty()) {
        return Fail(Error, "Unknown picture format");
    }

    EnsureQtApplication();
    QByteArray Bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(Data.data()), qsizetype(Data.size()));
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::ReadOnly);
    QImageReader Reader(&Buffer, AnyPlugin ? QByteArray() : QByteArray(QtFormatName(Found)));
    Reader.setDecideFormatFromContent(AnyPlugin);
    if (AnyPlugin && Reader.format().isEmpty())
        return Fail(Error, "Unknown picture format");
    if (AnyPlugin && Reader.format() == "tiff")
        QuietTiffLibrary();
    if (AnyPlugin && Reader.format() == "svgz")
        return Fail(Error, "Compressed SVG pictures are not read; store the SVG text");
    if (AnyPlugin && Reader.format() == "svg" && !SvgHoldsAllItDraws(Data))
        return Fail(Error, "SVG picture refers to another file");
    Reader.setAutoTransform(false);
    const QSize Size = Reader.size();
    if (!Size.isValid() || Size.width() <= 0 || Size.height() <= 0)
        return Fail(Error, "Picture data is damaged");
    if (Size.width() > MaxDibDimension || Size.height() > MaxDibDimension ||
        Int64(Size.width()) * Size.height() > MaxDibPixels)
        return Fail(Error, "Picture dimensions are too large");
    QImage Image;
    if (!Reader.read(&Image) || Image.isNull()) {
        if (Error)
            *Error = "Picture data is damaged: " + Reader.errorString().toStdString();
        return false;
    }
    const bool Alpha = Image.hasAlphaChannel();
    Image = Image.convertToFormat(QImage::Format_ARGB32);
    if (Image.isNull())
        return Fail(Error, "Picture is too large to convert");

    TDibImage Img;
    Img.Width = Image.width();
    Img.Height = Image.height();
    Img.BitCount = Alpha ? 32 : 24;
    Img.HasAlpha = Alpha;
    Img.XPelsPerMeter = Image.dotsPerMeterX();
    Img.YPelsPerMeter = Image.dotsPerMeterY();
    Img.Pixels.resize(std::size_t(Img.Width) * std::size_t(Img.Height));
    for (Integer Y = 0; Y < Img.Height; ++Y) {
        const auto* Line = reinterpret_cast<const std::uint32_t*>(Image.constScanLine(Y));
        std::copy(Line, Line + Img.Width, Img.Pixels.begin() + std::ptrdiff_t(Y) * Img.Width);
    }
    Out = std::move(Img);
    return true;
}

std::vector<Byte> EncodeCodecImage(const TDibImage& Image, TImageFormat Format, Integer Quality)
{
    if (Format != TImageFormat::Png && Format != TImageFormat::Jpeg)
        return {};
    if (Image.Empty() || Image.Pixels.size() != std::size_t(Image.Width) * std::size_t(Image.Height))
        return {};
    EnsureQtApplication();
    QImage Q(Image.Width, Image.Height, QImage::Format_ARGB32);
    if (Q.isNull())
        return {};
    for (Integer Y = 0; Y < Image.Height; ++Y)
        std::memcpy(Q.scanLine(Y), Image.Pixels.data() + std::size_t(Y) * std::size_t(Image.Width),
                    std::size_t(Image.Width) * 4);
    if (Format == TImageFormat::Jpeg) {
        QImage Flat(Q.size(), QImage::Format_RGB32);
        Flat.fill(Qt::white);
        for (Integer Y = 0; Y < Image.Height; ++Y) {
            auto* Dst = reinterpret_cast<std::uint32_t*>(Flat.scanLine(Y));
            const auto* Src = reinterpret_cast<const std::uint32_t*>(Q.constScanLine(Y));
            for (Integer X = 0; X < Image.Width; ++X) {
                const std::uint32_t P = Src[X], A = P >> 24;
                auto Mix = [&](int Shift) { return ((((P >> Shift) & 0xFF) * A + 255 * (255 - A) + 127) / 255) << Shift; };
                Dst[X] = 0xFF000000u | Mix(16) | Mix(8) | Mix(0);
            }
        }
        Q = Flat;
    } else if (!Image.HasAlpha) {
        Q = Q.convertToFormat(QImage::Format_RGB32);
    }
    if (Image.XPelsPerMeter > 0 && Image.YPelsPerMeter > 0) {
        Q.setDotsPerMeterX(Image.XPelsPerMeter);
        Q.setDotsPerMeterY(Image.YPelsPerMeter);
    }
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter Writer(&Buffer, QtFormatName(Format));
    if (Format == TImageFormat::Jpeg)
        Writer.setQuality(std::clamp(Quality, 1, 100));
    if (!Writer.write(Q))
        return {};
    return std::vector<Byte>(reinterpret_cast<const Byte*>(Bytes.constData()),
                             reinterpret_cast<const Byte*>(Bytes.constData()) + Bytes.size());
}

} // namespace qor
