// Fonts, pens and brushes: descriptions that make shared GDI objects on demand.

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Brush.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/internal/GdiObjects.h"
#include "platform/graphics/Pen.h"
#include "platform/graphics/Screen.h"

namespace qor {

const TIntIdentMap& ColorIdents()
{
    static const TIntIdentMap map = [] {
        TIntIdentMap m;
        static const TColor colors[] = {
            clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray, clSilver, clRed, clLime,
            clYellow, clBlue, clFuchsia, clAqua, clWhite, clMoneyGreen, clSkyBlue, clCream, clMedGray,
            clScrollBar, clBackground, clActiveCaption, clInactiveCaption, clMenu, clWindow, clWindowFrame,
            clMenuText, clWindowText, clCaptionText, clActiveBorder, clInactiveBorder, clAppWorkSpace,
            clHighlight, clHighlightText, clBtnFace, clBtnShadow, clGrayText, clBtnText, clInactiveCaptionText,
            clBtnHighlight, cl3DDkShadow, cl3DLight, clInfoText, clInfoBk, clHotLight, clGradientActiveCaption,
            clGradientInactiveCaption, clMenuHighlight, clMenuBar, clNone, clDefault};
        static std::vector<String> names;
        names.reserve(std::size(colors));
        for (TColor c : colors) {
            String n;
            ColorToIdent(c, n);
            names.push_back(n);
        }
        for (std::size_t i = 0; i < std::size(colors); ++i)
            m.push_back(TIntIdent{colors[i], names[i].c_str()});
        return m;
    }();
    return map;
}

void TGraphicsObject::Changed()
{
    if (OnChange)
        OnChange(this);
}

QOR_PUBLISH(TGraphicsObject) {}

// ---- TFont -----------------------------------------------------------------------------------------

TFont::TFont() : FPixelsPerInch(ScreenPixelsPerInch()) {}

TFont::~TFont() { ReleaseHandle(); }

void TFont::ReleaseHandle()
{
    if (FHandle && FOwnsHandle)
        DeleteObject(FHandle);
    FHandle = HFONT();
    FOwnsHandle = false;
}

void TFont::Changed()
{
    ReleaseHandle();
    TGraphicsObject::Changed();
}

LOGFONT TFont::LogFont() const
{
    LOGFONT lf;
    lf.lfHeight = FHeight;
    lf.lfEscapement = FOrientation;
    lf.lfOrientation = FOrientation;
    lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic) ? 1 : 0;
    lf.lfUnderline = FStyle.Contains(fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = FCharset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    gdi::SetFaceName(lf, FName);
    return lf;
}

HFONT TFont::Handle()
{
    if (!FHandle) {
        FHandle = CreateFontIndirect(LogFont());
        FOwnsHandle = true;
    }
    return FHandle;
}

void TFont::SetHandle(HFONT Value)
{
    LOGFONT lf;
    if (Value == FHandle || !GetObject(Value, lf))
        return;
    ReleaseHandle();
    // The given object is the handle from now on, also for change handlers that read it.
    FHandle = Value;
    FOwnsHandle = false;
    FName = gdi::FaceNameOf(lf);
    FHeight = lf.lfHeight;
    FOrientation = lf.lfEscapement;
    TFontStyles s;
    if (lf.lfWeight >= 600)
        s.Include(fsBold);
    if (lf.lfItalic)
        s.Include(fsItalic);
    if (lf.lfUnderline)
        s.Include(fsUnderline);
    if (lf.lfStrikeOut)
        s.Include(fsStrikeOut);
    FStyle = s;
    FCharset = lf.lfCharSet;
    Byte pitch = lf.lfPitchAndFamily & 0x03;
    FPitch = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
    TGraphicsObject::Changed();
}

void TFont::Assign(TPersistent* Source)
{
    if (auto* f = dynamic_cast<TFont*>(Source)) {
        if (f == this)
            return;
        FName = f->FName;
        FPixelsPerInch = f->FPixelsPerInch;
        FHeight = f->FHeight;
        FColor = f->FColor;
        FStyle = f->FStyle;
        FPitch = f->FPitch;
        FCharset = f->FCharset;
        FOrientation = f->FOrientation;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TFont::SetName(const String& Value)
{
    if (Value.empty() || Value == FName)
        return;
    FName = Value;
    Changed();
}

Integer TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(Integer Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetHeight(Integer Value)
{
    if (Value == FHeight)
        return;
    FHeight = Value;
    Changed();
}

void TFont::SetPixelsPerInch(Integer Value)
{
    if (Value > 0)
        FPixelsPerInch = Value; // the pixel height stays; Size follows from it
}

void TFont::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    TGraphicsObject::Changed(); // the colour is not part of the font object
}

void TFont::SetStyle(TFontStyles Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    Changed();
}

void TFont::SetPitch(TFontPitch Value)
{
    if (Value == FPitch)
        return;
    FPitch = Value;
    Changed();
}

void TFont::SetCharset(TFontCharset Value)
{
    if (Value == FCharset)
        return;
    FCharset = Value;
    Changed();
}

void TFont::SetOrientation(Integer Value)
{
    if (Value == FOrientation)
        return;
    FOrientation = Value;
    Changed();
}

QOR_PUBLISH(TFont)
{
    b.Property("Charset", &TFont::Charset, &TFont::SetCharset).Default(TFontCharset(DEFAULT_CHARSET));
    b.Property("Color", &TFont::Color, &TFont::SetColor).Default(clWindowText).Idents(ColorIdents());
    b.Property("Height", &TFont::Height, &TFont::SetHeight).NoDefault();
    b.Property("Name", &TFont::Name, &TFont::SetName).NoDefault();
    b.Property("Orientation", &TFont::Orientation, &TFont::SetOrientation).Default(0);
    b.Property("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
    b.Property("Size", &TFont::Size, &TFont::SetSize).Stored(false);
    b.Property("Style", &TFont::Style, &TFont::SetStyle).Default(TFontStyles());
}

// ---- TPen ------------------------------------------------------------------------------------------

Integer PenModeToRop2(TPenMode Mode)
{
    static const Integer rops[] = {R2_BLACK,      R2_WHITE,      R2_NOP,        R2_NOT,
                                   R2_COPYPEN,    R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                   R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,   R2_NOTMERGEPEN,
                                   R2_MASKPEN,    R2_NOTMASKPEN, R2_XORPEN,     R2_NOTXORPEN};
    return Mode <= pmNotXor ? rops[Mode] : R2_COPYPEN;
}

TPen::TPen() = default;

TPen::~TPen() { ReleaseHandle(); }

void TPen::ReleaseHandle()
{
    if (FHandle && FOwnsHandle)
        DeleteObject(FHandle);
    FHandle = HPEN();
    FOwnsHandle = false;
}

void TPen::Changed()
{
    ReleaseHandle();
    TGraphicsObject::Changed();
}

LOGPEN TPen::LogPen() const
{
    LOGPEN lp;
    lp.lopnStyle = FStyle;
    lp.lopnWidth = TPoint(FWidth, 0);
    lp.lopnColor = COLORREF(ColorToRGB(FColor)) & 0xFFFFFF;
    return lp;
}

HPEN TPen::Handle()
{
    if (!FHandle) {
        FHandle = CreatePenIndirect(LogPen());
        FOwnsHandle = true;
    }
    return FHandle;
}

void TPen::SetHandle(HPEN Value)
{
    LOGPEN lp;
    if (Value == FHandle || !GetObject(Value, lp))
        return;
    ReleaseHandle();
    // The given object is the handle from now on, also for change handlers that read it.
    FHandle = Value;
    FOwnsHandle = false;
    FColor = TColor(lp.lopnColor);
    FWidth = lp.lopnWidth.X;
    FStyle = lp.lopnStyle <= PS_INSIDEFRAME ? TPenStyle(lp.lopnStyle) : psSolid;
    TGraphicsObject::Changed();
}

void TPen::Assign(TPersistent* Source)
{
    if (auto* p = dynamic_cast<TPen*>(Source)) {
        if (p == this)
            return;
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        FMode = p->FMode;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TPen::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    Changed();
}

void TPen::SetWidth(Integer Value)
{
    if (Value < 0 || Value == FWidth)
        return;
    FWidth = Value;
    Changed();
}

void TPen::SetStyle(TPenStyle Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    Changed();
}

void TPen::SetMode(TPenMode Value)
{
    if (Value == FMode)
        return;
    FMode = Value;
    TGraphicsObject::Changed(); // the mode is a context setting, not part of the pen object
}

QOR_PUBLISH(TPen)
{
    b.Property("Color", &TPen::Color, &TPen::SetColor).Default(clBlack).Idents(ColorIdents());
    b.Property("Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
    b.Property("Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
    b.Property("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

// ---- TBrush ----------------------------------------------------------------------------------------

TBrush::TBrush() = default;

TBrush::~TBrush() { ReleaseHandle(); }

void TBrush::ReleaseHandle()
{
    if (FHandle && FOwnsHandle)
        DeleteObject(FHandle);
    FHandle = HBRUSH();
    FOwnsHandle = false;
}

void TBrush::Changed()
{
    ReleaseHandle();
    TGraphicsObject::Changed();
}

LOGBRUSH TBrush::LogBrush() const
{
    LOGBRUSH lb;
    lb.lbColor = COLORREF(ColorToRGB(FColor)) & 0xFFFFFF;
    switch (FStyle) {
    case bsSolid: lb.lbStyle = BS_SOLID; break;
    case bsClear: lb.lbStyle = BS_NULL; break;
    default:
        lb.lbStyle = BS_HATCHED;
        lb.lbHatch = Cardinal(FStyle - bsHorizontal); // HS_HORIZONTAL .. HS_DIAGCROSS
        break;
    }
    return lb;
}

HBRUSH TBrush::Handle()
{
    if (!FHandle) {
        if (FBitmap && !FBitmap->Empty())
            FHandle = CreatePatternBrush(FBitmap->Handle());
        if (!FHandle)
            FHandle = CreateBrushIndirect(LogBrush());
        FOwnsHandle = true;
    }
    return FHandle;
}

void TBrush::SetHandle(HBRUSH Value)
{
    LOGBRUSH lb;
    if (Value == FHandle || !GetObject(Value, lb))
        return;
    ReleaseHandle();
    // The given object is the handle from now on, also for change handlers that read it.
    FHandle = Value;
    FOwnsHandle = false;
    FBitmap = nullptr;
    FColor = TColor(lb.lbColor);
    if (lb.lbStyle == BS_NULL)
        FStyle = bsClear;
    else if (lb.lbStyle == BS_HATCHED && lb.lbHatch <= HS_DIAGCROSS)
        FStyle = TBrushStyle(bsHorizontal + lb.lbHatch);
    else
        FStyle = bsSolid;
    TGraphicsObject::Changed();
}

void TBrush::Assign(TPersistent* Source)
{
    if (auto* b = dynamic_cast<TBrush*>(Source)) {
        if (b == this)
            return;
        FColor = b->FColor;
        FStyle = b->FStyle;
        FBitmap = b->FBitmap;
        Changed();
        return;
    }
    TGraphicsObject::Assign(Source);
}

void TBrush::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    Changed();
}

void TBrush::SetBitmap(TBitmap* Value)
{
    if (Value == FBitmap)
        return;
    FBitmap = Value;
    Changed();
}

QOR_PUBLISH(TBrush)
{
    b.Property("Color", &TBrush::Color, &TBrush::SetColor).Default(clWhite).Idents(ColorIdents());
    b.Property("Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

} // namespace qor
