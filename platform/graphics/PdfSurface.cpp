// The PDF surface: a context writing a PDF document, one page at a time, each page with the paper
// format in force when it begins. Drawing goes through a painter on the PDF writer; the logical
// raster operations of blits fall back to copies.

#include "platform/graphics/internal/PainterSurface.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/QtHost.h"

#include <QIODevice>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace qor {

namespace gdi {

Integer PaperPixels(Double Points, Integer Res) { return Integer(std::floor(Points * Res / 72.0 + 0.5)); }

namespace {

constexpr Integer PdfWriterResolution = 1200;

// The writer makes and frees a page's compressed stream at the top of the heap for every page. The
// C library's default gives that memory back to the system at once and asks for it again on the
// next page, which costs as much as writing the pages; a padding of the heap's top keeps it. The
// padding is address space, resident only once used.
void PadHeapTop()
{
#if defined(__GLIBC__)
    static const bool Padded = mallopt(M_TOP_PAD, 64 << 20) != 0;
    (void)Padded;
#endif
}

Integer PrintableWidth(const TPdfPageFormat& F)
{
    return F.PrintableWidth > 0 ? F.PrintableWidth
                                : std::max<Integer>(0, PaperPixels(F.PaperWidthPoints, F.Resolution) - 2 * F.OffsetX);
}

Integer PrintableHeight(const TPdfPageFormat& F)
{
    return F.PrintableHeight > 0 ? F.PrintableHeight
                                 : std::max<Integer>(0, PaperPixels(F.PaperHeightPoints, F.Resolution) - 2 * F.OffsetY);
}

// The file a document is written to. Every write is checked, and the first that falls short is
// kept with the system's reason (a full disk), which a file device of Qt does not tell.
class TCheckedFile final : public QIODevice {
public:
    explicit TCheckedFile(const String& Name) : FFile(std::fopen(Name.c_str(), "wb"))
    {
        if (!FFile)
            FErrno = errno;
        else
            open(QIODevice::WriteOnly);
    }
    ~TCheckedFile() override { Finish(); }

    // Flushes and closes; false (with Failure set) when any write fell short.
    bool Finish()
    {
        if (FFile) {
            QIODevice::close();
            if (std::fclose(FFile) != 0 && !FErrno)
                FErrno = errno;
            FFile = nullptr;
        }
        return FErrno == 0;
    }
    String Failure() const { return FErrno ? String(std::strerror(FErrno)) : String(); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* Data, qint64 Size) override
    {
        if (!FFile || FErrno)
            return -1;
        if (std::fwrite(Data, 1, std::size_t(Size), FFile) != std::size_t(Size)) {
            FErrno = errno ? errno : EIO;
            return -1;
        }
        return Size;
    }

private:
    std::FILE* FFile;
    int FErrno = 0;
};

class TPdfSurface final : public TPainterSurface {
public:
    // The document is written into a new file beside FileName, which takes FileName's place only
    // when the document ends complete: a failed or stopped job leaves an earlier file as it was.
    TPdfSurface(const String& FileName, const TPdfPageFormat& Format)
        : FFileName(FileName), FTempName(CreateSiblingTempFile(FileName)), FNextFormat(Format), FPageFormat(Format),
          FFile(std::make_unique<TCheckedFile>(FTempName))
    {
        if (!FFile->isOpen()) {
            const String Why = FFile->Failure();
            FFile.reset();
            DeleteFile(FTempName);
            throw EFCreateError("Cannot create file \"" + FileName + "\". " + Why);
        }
        FWriter = std::make_unique<QPdfWriter>(FFile.get());
        FWriter->setResolution(PdfWriterResolution);
        FWriter->setCreator(QStringLiteral("qor"));
    }
    // A context deleted before its document ended completes it.
    ~TPdfSurface() override
    {
        if (FFile)
            EndDocument(false);
        Release();
    }

    const String& WriteError() const { return FWriteError; }

    // The format of the open page, or of the next one to begin.
    const TPdfPageFormat* PageFormat() const override { return FPageOpen ? &FPageFormat : &FNextFormat; }
    void SetNextFormat(TDc& Dc, const TPdfPageFormat& Format)
    {
        FNextFormat = Format;
        if (!FPageOpen)
            Dc.Ppi = Format.Resolution;
    }

    TSize Size(const TDc& Dc) const override
    {
        (void)Dc;
        const TPdfPageFormat& f = *PageFormat();
        return {PrintableWidth(f), PrintableHeight(f)};
    }

    bool PageIsOpen() const override { return FPageOpen; }
    bool OpenPage() override;
    bool ClosePage() override
    {
        if (!FPageOpen)
            return false;
        FPageOpen = false;
        return true;
    }
    bool EndDocument(bool Discard) override
    {
        FPageOpen = false;
        if (FBegun && FPainter)
            FPainter->end();
        FBegun = false;
        FWriter.reset();
        if (!FFile)
            return Discard;
        // Every write went through FFile, which kept the first failure: a full disk is seen here.
        bool Ok = FFile->Finish() && !Discard;
        if (!Discard && !Ok)
            FWriteError = FFile->Failure();
        FFile.reset();
        if (Ok && std::rename(FTempName.c_str(), FFileName.c_str()) != 0) {
            Ok = false;
            FWriteError = std::strerror(errno);
        }
        if (!Ok)
            DeleteFile(FTempName);
        return Discard || Ok;
    }
    void Release() override
    {
        if (FPainter && FPainter->isActive())
            FPainter->end();
    }

protected:
    bool DrawBlit(TDc& Dc, const TBlit& B) override;
    QPainter* Painter(TDc& Dc) override
    {
        (void)Dc;
        if (!FPageOpen && !OpenPage())
            return nullptr;
        return FPainter.get();
    }

private:
    String FFileName, FTempName, FWriteError;
    TPdfPageFormat FNextFormat, FPageFormat;
    std::unique_ptr<TCheckedFile> FFile; // the new file, until it is renamed into place or dropped
    std::unique_ptr<QPdfWriter> FWriter;
    std::unique_ptr<QPainter> FPainter;
    bool FPageOpen = false;
    bool FBegun = false; // the painter has begun the document
};

bool TPdfSurface::OpenPage()
{
    if (!FWriter)
        return false;
    FPageFormat = FNextFormat;
    QPageSize size(QSizeF(FPageFormat.PaperWidthPoints, FPageFormat.PaperHeightPoints), QPageSize::Point, QString(),
                   QPageSize::ExactMatch);
    FWriter->setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    if (!FBegun) {
        if (!FPainter)
            FPainter = std::make_unique<QPainter>();
        if (!FPainter->begin(FWriter.get()))
            return false;
        FBegun = true;
    } else if (!FWriter->newPage())
        return false;
    FPainter->resetTransform();
    ForgetAppliedClip();
    Double scale = Double(PdfWriterResolution) / Double(std::max<Integer>(1, FPageFormat.Resolution));
    FPainter->scale(scale, scale);
    FPainter->translate(FPageFormat.OffsetX, FPageFormat.OffsetY);
    FPainter->setRenderHint(QPainter::Antialiasing, true);
    FPageOpen = true;
    return true;
}

bool TPdfSurface::DrawBlit(TDc& Dc, const TBlit& B)
{
    QPainter* p = Painter(Dc);
    if (!p)
        return false;
    ApplyClip(Dc, *p);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QRect dest(B.DX, B.DY, B.DW, B.DH);
    if (B.Rop == BLACKNESS || B.Rop == WHITENESS) {
        p->fillRect(dest, B.Rop == BLACKNESS ? Qt::black : Qt::white);
        return true;
    }
    if (RopUsesPattern(B.Rop)) {
        QBrush b = MakeBrush(Dc, Dc.S.Brush.get());
        if (b.style() != Qt::NoBrush) {
            p->setBrushOrigin(0, 0);
            p->fillRect(dest, b);
        }
        return true;
    }
    if (!RopUsesSource(B.Rop))
        return true;
    // Only the visible part of the destination is made, and at no more pixels than the source
    // gives it: a picture stretched far past the page (a bitmap claiming a tiny resolution) costs
    // what the page shows of it.
    const TArea area{B.DX, B.DY, B.DW, B.DH};
    TRect shown;
    for (const TRect& vis : Dc.VisibleRects()) {
        TRect part;
        if (IntersectRect(part, vis, TRect(B.DX, B.DY, area.Right(), area.Bottom())))
            UnionRect(shown, shown, part);
    }
    if (shown.Width() <= 0 || shown.Height() <= 0)
        return true;
    const auto Pixels = [](Integer Shown, Integer Dest, Integer Source) {
        const Int64 spanned = Int64(Shown) * std::abs(Int64(Source)) / Dest + 2;
        return Integer(std::min<Int64>(Shown, spanned));
    };
    const Integer iw = Pixels(shown.Width(), B.DW, B.SW), ih = Pixels(shown.Height(), B.DH, B.SH);
    QImage img(iw, ih, QImage::Format_ARGB32);
    if (img.isNull())
        return false;
    for (Integer y = 0; y < ih; ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
        const Integer dy = Integer(Int64(shown.Top - B.DY) + Int64(y) * shown.Height() / ih);
        for (Integer x = 0; x < iw; ++x) {
            const Integer dx = Integer(Int64(shown.Left - B.DX) + Int64(x) * shown.Width() / iw);
            std::uint32_t s;
            if (!B.SourceAt(Dc, dx, dy, s)) {
                line[x] = 0;
                continue;
            }
            if (B.Rop == NOTSRCCOPY)
                s = 0xFF000000u | (~s & 0xFFFFFF);
            line[x] = B.Src.Alpha ? s : (0xFF000000u | s);
        }
    }
    if (B.Rop == SRCAND)
        p->setCompositionMode(QPainter::CompositionMode_Multiply);
    else if (B.Rop == SRCPAINT)
        p->setCompositionMode(QPainter::CompositionMode_Screen);
    p->drawImage(QRect(shown.Left, shown.Top, shown.Width(), shown.Height()), img);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return true;
}

TPdfSurface* PdfSurfaceOf(HDC DC)
{
    TDc* dc = FindDc(DC);
    return dc ? dynamic_cast<TPdfSurface*>(dc->Surface.get()) : nullptr;
}

} // namespace

} // namespace gdi

using namespace gdi;

HDC CreatePdfDC(const String& FileName, const TPdfPageFormat& Format)
{
    if (FileName.empty() || Format.Resolution <= 0 || Format.PaperWidthPoints <= 0 || Format.PaperHeightPoints <= 0)
        return HDC();
    EnsureQtApplication();
    PadHeapTop();
    std::unique_ptr<TPdfSurface> Surface;
    try {
        Surface = std::make_unique<TPdfSurface>(FileName, Format);
    } catch (const Exception&) {
        return HDC();
    }
    auto dc = std::make_unique<TDc>(std::move(Surface), std::make_unique<TDirectCalls>());
    dc->Printer = true;
    dc->Ppi = Format.Resolution;
    return AddDc(std::move(dc));
}

void SetPdfPageFormat(HDC DC, const TPdfPageFormat& Format)
{
    TPdfSurface* pdf = PdfSurfaceOf(DC);
    if (pdf && Format.Resolution > 0)
        pdf->SetNextFormat(*FindDc(DC), Format);
}

String GetPdfWriteError(HDC DC)
{
    TPdfSurface* pdf = PdfSurfaceOf(DC);
    return pdf ? pdf->WriteError() : String();
}

bool GetPdfPageFormat(HDC DC, TPdfPageFormat& Format)
{
    TPdfSurface* pdf = PdfSurfaceOf(DC);
    if (!pdf)
        return false;
    Format = *pdf->PageFormat();
    return true;
}

} // namespace qor
