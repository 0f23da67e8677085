// Drawing through a painter, shared by the raster and PDF surfaces: shapes, outlines, fills, pens,
// brushes and glyph runs, in device pixels.

#include "platform/graphics/internal/PainterSurface.h"
#include "platform/graphics/internal/PdfDocument.h"

#include <QBrush>
#include <QColor>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QRegion>

#include <algorithm>
#include <map>
#include <cmath>
#include <numbers>

namespace qor::gdi {

QColor ToQColor(COLORREF C) { return QColor(GetRValue(C), GetGValue(C), GetBValue(C)); }

TPenInfo PenInfo(const TDc& Dc)
{
    TPenInfo info;
    const TPenObject* p = Dc.S.Pen.get();
    if (!p || p->Log.lopnStyle == PS_NULL)
        return info;
    info.Null = false;
    info.Color = p->UsesDCColor ? Dc.S.DCPenColor() : p->Log.lopnColor;
    info.Width = std::max<Integer>(1, Dc.LengthX(p->Log.lopnWidth.X));
    info.Cosmetic = info.Width <= 1;
    info.Style = p->Log.lopnStyle;
    if (!info.Cosmetic && info.Style != PS_INSIDEFRAME)
        info.Style = PS_SOLID; // styled pens are solid when wider than one pixel
    return info;
}

const std::vector<Integer>& DashPattern(Cardinal Style)
{
    static const std::vector<Integer> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3}, none;
    switch (Style) {
    case PS_DASH: return dash;
    case PS_DOT: return dot;
    case PS_DASHDOT: return dashDot;
    case PS_DASHDOTDOT: return dashDotDot;
    default: return none;
    }
}

Integer DeviceStyleScale(const TDc& Dc)
{
    if (!Dc.Printer && !Dc.Sink)
        return 1;
    return std::max<Integer>(1, (GetDeviceCaps(Dc.Handle, LOGPIXELSX) + 48) / 96);
}

QImage PatternImage(const TDc& Dc, const TBrushObject& B)
{
    QImage img = PatternCell(Dc, B);
    const Integer Scale = DeviceStyleScale(Dc);
    return Scale > 1 ? img.scaled(8 * Scale, 8 * Scale, Qt::IgnoreAspectRatio, Qt::FastTransformation) : img;
}

QImage PatternCell(const TDc& Dc, const TBrushObject& B)
{
    QImage img(8, 8, QImage::Format_ARGB32);
    if (B.Log.lbStyle == BS_HATCHED) {
        img.fill(Dc.S.BkMode() == OPAQUE ? ToPixel(Dc.S.BkColor()) : 0u);
        const std::uint32_t c = ToPixel(B.Log.lbColor);
        for (Integer i = 0; i < 8; ++i) {
            switch (B.Log.lbHatch) {
            case HS_HORIZONTAL: img.setPixel(i, 0, c); break;
            case HS_VERTICAL: img.setPixel(0, i, c); break;
            case HS_FDIAGONAL: img.setPixel(i, i, c); break;
            case HS_BDIAGONAL: img.setPixel(7 - i, i, c); break;
            case HS_CROSS:
                img.setPixel(i, 0, c);
                img.setPixel(0, i, c);
                break;
            case HS_DIAGCROSS:
                img.setPixel(i, i, c);
                img.setPixel(7 - i, i, c);
                break;
            default: break;
            }
        }
    } else if (B.Pattern) {
        for (Integer y = 0; y < 8; ++y)
            for (Integer x = 0; x < 8; ++x) {
                std::uint32_t v = B.Pattern->Pixels[std::size_t(y * 8 + x)];
                if (B.Pattern->Monochrome)
                    v = (v & 0xFFFFFF) ? ToPixel(Dc.S.BkColor()) : ToPixel(Dc.S.TextColor());
                img.setPixel(x, y, 0xFF000000u | v);
            }
    }
    return img;
}

QBrush MakeBrush(const TDc& Dc, const TBrushObject* B)
{
    if (!B || B->Log.lbStyle == BS_NULL)
        return Qt::NoBrush;
    if (B->Log.lbStyle == BS_SOLID)
        return QBrush(ToQColor(B->UsesDCColor ? Dc.S.DCBrushColor() : B->Log.lbColor));
    return QBrush(PatternImage(Dc, *B));
}

namespace {

// The clip ApplyClip set last: setting the same clip again costs a PDF page a new graphics state for
// every text, so it is set only when it changes.
struct TAppliedClip {
    const QPainter* Painter = nullptr;
    QTransform Transform;
    std::vector<TRect> Rects;
    unsigned Generation = 0;
};
TAppliedClip GAppliedClip;
unsigned GClipGeneration = 1;

} // namespace

void ForgetAppliedClip() { ++GClipGeneration; }

void ApplyClip(const TDc& Dc, QPainter& P, const TRect* Extra)
{
    std::vector<TRect> rects = Dc.VisibleRects();
    if (Extra)
        rects = RegionCombine(rects, {*Extra}, RGN_AND);
    TAppliedClip& Last = GAppliedClip;
    if (Last.Painter == &P && Last.Generation == GClipGeneration && P.hasClipping() && Last.Rects == rects &&
        Last.Transform == P.transform())
        return;
    Last.Painter = &P;
    Last.Generation = GClipGeneration;
    Last.Transform = P.transform();
    Last.Rects = rects;
    QRegion region;
    for (const TRect& r : rects)
        region += QRect(r.Left, r.Top, r.Width(), r.Height());
    P.setClipRegion(region);
}

// A shape to draw: Fill (device coordinates, edges as given) with the brush, then Outline with the
// pen. Outline coordinates are pixel-centre paths; OutlinePoints, when set, is the one-pixel outline
// of a polygon (closed or open) for surfaces that draw it pixel by pixel.
struct TShape {
    QPainterPath Fill;
    QPainterPath Outline;
    std::vector<TPoint> OutlinePoints;
    bool ClosedOutline = true;
};

const QPainterPath& ShapeFill(const TShape& S) { return S.Fill; }
const QPainterPath& ShapeOutline(const TShape& S) { return S.Outline; }

namespace {

QPainterPath PolyPath(const TPoint* Pts, Integer Count, Double Offset, bool Close)
{
    QPainterPath path;
    for (Integer i = 0; i < Count; ++i) {
        QPointF q(Pts[i].X + Offset, Pts[i].Y + Offset);
        if (i == 0)
            path.moveTo(q);
        else
            path.lineTo(q);
    }
    if (Close && Count > 0)
        path.closeSubpath();
    return path;
}

// The outline rectangle of a shape drawn in the device box B (pen centred, or inside for PS_INSIDEFRAME).
QRectF OutlineRect(const TRect& B, const TPenInfo& Pen)
{
    Double inset = Pen.Style == PS_INSIDEFRAME ? Pen.Width / 2.0 : 0.5;
    return QRectF(B.Left + inset, B.Top + inset, std::max(0.0, B.Width() - 2 * inset),
                  std::max(0.0, B.Height() - 2 * inset));
}

// Angle in degrees (counter-clockwise, y up) of P around the centre of R.
Double RadialAngle(const QRectF& R, Double X, Double Y)
{
    Double cx = R.center().x(), cy = R.center().y();
    if (X == cx && Y == cy)
        return 0;
    // Stretch to a circle so the angle is the ellipse's parameter angle along that ray.
    Double w = std::max(R.width(), 1e-9), h = std::max(R.height(), 1e-9);
    return std::atan2(-(Y - cy) / h, (X - cx) / w) * 180.0 / std::numbers::pi;
}

// Rectangle: without a pen the filled area is one pixel smaller on the right and at the bottom.
// Returns false when there is nothing to draw.
bool RectangleShape(const TRect& R, const TPenInfo& Pen, TShape& Shape)
{
    if (Pen.Null) {
        Shape.Fill.addRect(QRectF(R.Left, R.Top, std::max(0, R.Width() - 1), std::max(0, R.Height() - 1)));
        return true;
    }
    Shape.Fill.addRect(QRectF(R.Left, R.Top, R.Width(), R.Height()));
    if (R.Width() <= 0 || R.Height() <= 0)
        return false;
    if (Pen.Cosmetic && R.Width() != 1 && R.Height() != 1) // degenerate ones are just filled
        Shape.OutlinePoints = {TPoint(R.Left, R.Top), TPoint(R.Right - 1, R.Top), TPoint(R.Right - 1, R.Bottom - 1),
                               TPoint(R.Left, R.Bottom - 1)};
    Shape.Outline.addRect(OutlineRect(R, Pen));
    return true;
}

void ArcShape(const TShapeCall& Call, const TPenInfo& Pen, TShape& Shape)
{
    const TRect& box = Call.Box;
    QRectF fillR(box.Left, box.Top, box.Width(), box.Height());
    QRectF lineR = OutlineRect(box, Pen);
    Double a1 = RadialAngle(fillR, Call.Start.X, Call.Start.Y), a2 = RadialAngle(fillR, Call.End.X, Call.End.Y);
    Double span = a2 - a1;
    if (span <= 0)
        span += 360;
    auto build = [&](const QRectF& r) {
        QPainterPath path;
        if (Call.Kind == TShapeKind::Pie) {
            path.moveTo(r.center());
            path.arcTo(r, a1, span);
            path.closeSubpath();
        } else {
            path.arcMoveTo(r, a1);
            path.arcTo(r, a1, span);
            if (Call.Kind == TShapeKind::Chord)
                path.closeSubpath();
        }
        return path;
    };
    if (Call.Kind != TShapeKind::Arc)
        Shape.Fill = build(fillR);
    Shape.Outline = build(lineR);
}

} // namespace

void TPainterSurface::SetMix(QPainter& P, Integer Rop2)
{
    (void)Rop2;
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

bool TPainterSurface::ExactOutline(TDc& Dc, const std::vector<TPoint>& Points, bool Closed, const TPenInfo& Pen)
{
    (void)Dc;
    (void)Points;
    (void)Closed;
    (void)Pen;
    return false;
}

bool TPainterSurface::DrawShape(TDc& Dc, const TShape& Shape, bool UseBrush)
{
    QPainter* p = Painter(Dc);
    if (!p)
        return false;
    if (Dc.S.Rop2() == R2_NOP)
        return true;
    TPenInfo pen = PenInfo(Dc);
    ApplyClip(Dc, *p);
    SetMix(*p, Dc.S.Rop2());
    if (UseBrush && !Shape.Fill.isEmpty()) {
        QBrush b = MakeBrush(Dc, Dc.S.Brush.get());
        if (b.style() != Qt::NoBrush) {
            p->setBrushOrigin(0, 0);
            p->fillPath(Shape.Fill, b);
        }
    }
    if (pen.Null)
        return true;
    if (!Shape.OutlinePoints.empty() && ExactOutline(Dc, Shape.OutlinePoints, Shape.ClosedOutline, pen))
        return true;
    QPen qp(ToQColor(pen.Color));
    qp.setWidthF(pen.Width);
    qp.setCosmetic(false);
    if (pen.Cosmetic) {
        qp.setCapStyle(Qt::FlatCap);
        qp.setJoinStyle(Qt::MiterJoin);
        if (!DashPattern(pen.Style).empty()) {
            // Dashes are as long on paper as on a screen, as printer drivers make them.
            const Integer Scale = DeviceStyleScale(Dc);
            QList<qreal> dashes;
            for (Integer v : DashPattern(pen.Style))
                dashes << qreal(v * Scale);
            qp.setDashPattern(dashes);
        }
    } else {
        qp.setCapStyle(Qt::RoundCap);
        qp.setJoinStyle(Qt::RoundJoin);
    }
    p->strokePath(Shape.Outline, qp);
    return true;
}

bool TPainterSurface::Shape(TDc& Dc, const TShapeCall& Call)
{
    const TRect& r = Call.Box;
    const TPenInfo pen = PenInfo(Dc);
    TShape shape;
    switch (Call.Kind) {
    case TShapeKind::Rectangle:
        if (!RectangleShape(r, pen, shape))
            return true;
        break;
    case TShapeKind::RoundRect:
        shape.Fill.addRoundedRect(QRectF(r.Left, r.Top, r.Width(), r.Height()), Call.RadiusX, Call.RadiusY);
        shape.Outline.addRoundedRect(OutlineRect(r, pen), Call.RadiusX, Call.RadiusY);
        break;
    case TShapeKind::Ellipse:
        shape.Fill.addEllipse(QRectF(r.Left, r.Top, r.Width(), r.Height()));
        shape.Outline.addEllipse(OutlineRect(r, pen));
        break;
    case TShapeKind::Arc:
    case TShapeKind::Chord:
    case TShapeKind::Pie: ArcShape(Call, pen, shape); break;
    }
    return DrawShape(Dc, shape, Call.Kind != TShapeKind::Arc);
}

bool TPainterSurface::Polygons(TDc& Dc, const std::vector<TPoint>& Points, const Integer* Counts, Integer Count)
{
    TShape shape;
    shape.Fill.setFillRule(Qt::OddEvenFill);
    Integer at = 0;
    for (Integer i = 0; i < Count; ++i) {
        shape.Fill.addPath(PolyPath(Points.data() + at, Counts[i], 0, true));
        at += Counts[i];
    }
    if (!DrawShape(Dc, shape, true))
        return false;
    at = 0;
    for (Integer i = 0; i < Count; ++i) {
        Polyline(Dc, std::vector<TPoint>(Points.begin() + at, Points.begin() + at + Counts[i]), true);
        at += Counts[i];
    }
    return true;
}

bool TPainterSurface::Polyline(TDc& Dc, const std::vector<TPoint>& Points, bool Close)
{
    if (Points.size() < 2)
        return true;
    TPenInfo pen = PenInfo(Dc);
    if (pen.Null || Dc.S.Rop2() == R2_NOP)
        return true;
    if (!Ready(Dc))
        return false;
    if (ExactOutline(Dc, Points, Close, pen))
        return true;
    TShape shape;
    if (pen.Cosmetic && !Close) {
        // Pixel-centre path that leaves out the end point: shorten the last segment by half a pixel
        // and extend the first backwards by half a pixel.
        std::vector<QPointF> pts;
        for (const TPoint& q : Points)
            pts.emplace_back(q.X + 0.5, q.Y + 0.5);
        auto shift = [](QPointF& A, const QPointF& Towards, Double D) {
            QPointF d = Towards - A;
            Double len = std::hypot(d.x(), d.y());
            if (len > 0)
                A += d * (D / len);
        };
        shift(pts.front(), pts[1], -0.5);
        shift(pts.back(), pts[pts.size() - 2], 0.5);
        shape.Outline.moveTo(pts.front());
        for (std::size_t i = 1; i < pts.size(); ++i)
            shape.Outline.lineTo(pts[i]);
    } else
        shape.Outline = PolyPath(Points.data(), Integer(Points.size()), 0.5, Close);
    return DrawShape(Dc, shape, false);
}

bool TPainterSurface::FillRect(TDc& Dc, const TRect& R, const TBrushObject* B)
{
    if (R.IsEmpty())
        return true;
    QPainter* p = Painter(Dc);
    if (!p)
        return false;
    QBrush qb = MakeBrush(Dc, B);
    if (qb.style() == Qt::NoBrush)
        return true;
    ApplyClip(Dc, *p);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setBrushOrigin(0, 0);
    p->fillRect(QRect(R.Left, R.Top, R.Width(), R.Height()), qb);
    return true;
}

COLORREF TPainterSurface::SetPixel(TDc& Dc, TPoint P, COLORREF Color)
{
    QPainter* p = Painter(Dc);
    if (!p)
        return CLR_INVALID;
    ApplyClip(Dc, *p);
    p->fillRect(QRect(P.X, P.Y, 1, 1), ToQColor(Color));
    return Color & 0xFFFFFF;
}

bool TPainterSurface::Blit(TDc& Dc, const TBlit& B)
{
    TBlit blit = B;
    switch (PrepareBlit(blit)) {
    case TBlitCheck::Fail: return false;
    case TBlitCheck::Empty: return true;
    case TBlitCheck::Draw: break;
    }
    return DrawBlit(Dc, blit);
}

namespace {

// Glyph by glyph at the run's advances: one glyph run per face (the font's own and the fallbacks
// for characters it lacks).
void DrawGlyphs(QPainter& P, QPointF Origin, const TTextPlacement& At, const TTextRun& Run, TFontInstance& font,
                const TDc& Dc)
{
    QPainter* p = &P;
    // One run per face: the font's own and the fallbacks for characters it lacks.
    const std::size_t faces = std::size_t(font.FaceCount());
    std::vector<QList<quint32>> glyphs(faces);
    std::vector<QList<QPointF>> positions(faces);
    glyphs[0].reserve(qsizetype(Run.Cps.size()));
    positions[0].reserve(qsizetype(Run.Cps.size()));
    Integer x = At.StartX;
    for (std::size_t i = 0; i < Run.Cps.size(); ++i) {
        char32_t c = Run.Cps[i];
        if (c != U' ' && c != U'\t' && c >= 0x20) {
            int k = 0;
            std::uint32_t g = font.Glyph(c, &k);
            if (std::size_t(k) >= glyphs.size()) { // a fallback first needed by this run
                glyphs.resize(std::size_t(k) + 1);
                positions.resize(std::size_t(k) + 1);
            }
            glyphs[std::size_t(k)].push_back(g);
            positions[std::size_t(k)].push_back(QPointF(x, At.BaseY));
        }
        x += Run.Adv[i];
    }
    p->setPen(ToQColor(Dc.S.TextColor()));
    for (std::size_t k = 0; k < glyphs.size(); ++k) {
        QRawFont* face = font.Face(int(k));
        if (glyphs[k].isEmpty() || !face)
            continue;
        QGlyphRun gr;
        gr.setRawFont(*face);
        gr.setGlyphIndexes(glyphs[k]);
        gr.setPositions(positions[k]);
        p->drawGlyphRun(Origin, gr);
    }
}

// Right-to-left text and scripts whose letters join or reorder: shaped and ordered as the PDF
// backend does it, from the same faces. False when the run needs none of that (or no face is found).
bool DrawShaped(QPainter& P, QPointF Origin, const TTextPlacement& At, const TTextRun& Run, TFontInstance& Font,
                const TDc& Dc)
{
    if (!pdf::NeedsShaping(Run.Cps))
        return false;
    thread_local pdf::TPdfFonts Faces;
    thread_local std::map<std::pair<int, Integer>, QRawFont> Raw;
    const TEXTMETRIC& tm = Font.Metrics();
    const int face = Faces.FaceFor(Font.Family(), tm.tmWeight, tm.tmItalic != 0);
    if (face < 0)
        return false;
    std::vector<pdf::TPlacedGlyph> glyphs;
    Faces.Layout(face, Font.Em(), Run.Cps, Run.Adv, glyphs);
    std::map<int, std::pair<QList<quint32>, QList<QPointF>>> byFace;
    for (const pdf::TPlacedGlyph& g : glyphs) {
        auto& [ids, at] = byFace[g.Face];
        ids.push_back(g.Glyph);
        at.push_back(QPointF(At.StartX + g.X, At.BaseY + g.Y));
    }
    P.setPen(ToQColor(Dc.S.TextColor()));
    for (const auto& [f, run] : byFace) {
        auto it = Raw.find({f, Font.Em()});
        if (it == Raw.end()) {
            int index = 0;
            const String& file = Faces.File(f, &index);
            QRawFont raw;
            if (index == 0) // Qt loads a file's first face only
                raw = QRawFont(QString::fromStdString(file), Font.Em());
            it = Raw.emplace(std::make_pair(f, Font.Em()), raw).first;
        }
        if (!it->second.isValid())
            continue;
        QGlyphRun gr;
        gr.setRawFont(it->second);
        gr.setGlyphIndexes(run.first);
        gr.setPositions(run.second);
        P.drawGlyphRun(Origin, gr);
    }
    return true;
}

} // namespace

bool TPainterSurface::Text(TDc& Dc, const TTextPlacement& At, const TTextRun& Run)
{
    QPainter* p = Painter(Dc);
    if (!p)
        return false;
    TFontInstance& font = Dc.Font();
    const TEXTMETRIC& tm = font.Metrics();
    const LOGFONT& log = Dc.S.Font->Log;
    const bool clipped = (At.Options & ETO_CLIPPED) && At.Rect;
    ApplyClip(Dc, *p, clipped ? At.Rect : nullptr);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if ((At.Options & ETO_OPAQUE) && At.Rect) {
        // The rectangle is filled without the text clip of ETO_CLIPPED (it is the same rectangle).
        const TRect& r = *At.Rect;
        p->fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), ToQColor(Dc.S.BkColor()));
    }
    // Turned text is drawn in a turned coordinate system; level text is placed directly, which
    // spares the painter a saved and restored state for every text.
    const bool Turned = log.lfEscapement != 0;
    QPointF Origin(0, 0);
    if (Turned) {
        p->save();
        p->translate(At.Ref.X, At.Ref.Y);
        p->rotate(-log.lfEscapement / 10.0);
    } else {
        Origin = QPointF(At.Ref.X, At.Ref.Y);
    }
    p->setRenderHint(QPainter::TextAntialiasing, log.lfQuality != NONANTIALIASED_QUALITY);
    if (Dc.S.BkMode() == OPAQUE && Run.Width > 0)
        p->fillRect(QRectF(QRect(At.StartX, At.BaseY - tm.tmAscent, Run.Width, tm.tmHeight)).translated(Origin),
                    ToQColor(Dc.S.BkColor()));
    if (!Run.Cps.empty() && font.Raw() && !DrawShaped(*p, Origin, At, Run, font, Dc))
        DrawGlyphs(*p, Origin, At, Run, font, Dc);
    const QColor tc = ToQColor(Dc.S.TextColor());
    const Integer thick = font.LineThickness();
    if (log.lfUnderline && Run.Width > 0)
        p->fillRect(QRectF(QRect(At.StartX, At.BaseY + font.UnderlinePosition(), Run.Width, thick)).translated(Origin),
                    tc);
    if (log.lfStrikeOut && Run.Width > 0)
        p->fillRect(QRectF(QRect(At.StartX, At.BaseY - font.StrikeOutPosition() - thick / 2, Run.Width, thick))
                        .translated(Origin),
                    tc);
    if (Turned)
        p->restore();
    return true;
}

} // namespace qor::gdi
