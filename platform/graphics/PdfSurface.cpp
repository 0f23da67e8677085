// The PDF surface: a context writing a PDF document, one page at a time, each page with the paper
// format in force when it begins. Drawing goes through a painter on the PDF writer; the logical
// raster operations of blits fall back to copies.

#include "platform/graphics/internal/PainterSurface.h"
#include "platform/rtl/QtHost.h"

#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

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

class TPdfSurface final : public TPainterSurface {
public:
    TPdfSurface(const String& FileName, const TPdfPageFormat& Format)
        : FFileName(FileName), FNextFormat(Format), FPageFormat(Format),
          FWriter(std::make_unique<QPdfWriter>(QString::fromStdString(FileName)))
    {
        FWriter->setResolution(PdfWriterResolution);
        FWriter->setCreator(QStringLiteral("qor"));
    }
    ~TPdfSurface() override { Release(); }

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
    void EndDocument(bool Discard) override
    {
        FPageOpen = false;
        if (FBegun && FPainter)
            FPainter->end();
        FBegun = false;
        FWriter.reset();
        if (Discard)
            QFile::remove(QString::fromStdString(FFileName));
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
    String FFileName;
    TPdfPageFormat FNextFormat, FPageFormat;
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
    QImage img(B.DW, B.DH, QImage::Format_ARGB32);
    for (Integer y = 0; y < B.DH; ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
        for (Integer x = 0; x < B.DW; ++x) {
            std::uint32_t s;
            if (!B.SourceAt(Dc, x, y, s)) {
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
    p->drawImage(dest, img);
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
    {
        QFile probe(QString::fromStdString(FileName));
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return HDC();
    }
    auto dc = std::make_unique<TDc>(std::make_unique<TPdfSurface>(FileName, Format), std::make_unique<TDirectCalls>());
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

bool GetPdfPageFormat(HDC DC, TPdfPageFormat& Format)
{
    TPdfSurface* pdf = PdfSurfaceOf(DC);
    if (!pdf)
        return false;
    Format = *pdf->PageFormat();
    return true;
}

} // namespace qor
