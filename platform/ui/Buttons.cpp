#include "platform/ui/Buttons.h"

#include "platform/ui/ControlPaint.h"

#include <algorithm>

namespace qor {

QOR_PUBLISH(TBitBtn)
{
    b.SubObject("Glyph", &TBitBtn::Glyph);
    b.Property("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
    b.Property("Kind", &TBitBtn::Kind, &TBitBtn::SetKind).Default(bkCustom);
    b.Property("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft);
    b.Property("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1);
    b.Property("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4);
}

QOR_PUBLISH(TSpeedButton)
{
    b.Property("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
    b.Property("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false);
    b.Property("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(false);
    b.Property("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(false);
    b.SubObject("Glyph", &TSpeedButton::Glyph);
    b.Property("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
    b.Property("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout).Default(blGlyphLeft);
    b.Property("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin).Default(-1);
    b.Property("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing).Default(4);
}

// ---- Glyphs ------------------------------------------------------------------------------------

namespace {

Integer GlyphWidth(TBitmap* Glyph, Integer NumGlyphs)
{
    if (!Glyph || Glyph->Empty())
        return 0;
    return Glyph->Width() / std::max(1, NumGlyphs);
}

} // namespace

void DrawGlyph(TCanvas* Canvas, TBitmap* Glyph, Integer NumGlyphs, Integer Index, Integer X, Integer Y)
{
    const Integer w = GlyphWidth(Glyph, NumGlyphs);
    if (w <= 0)
        return;
    if (Index < 0 || Index >= std::max(1, NumGlyphs))
        Index = 0;
    const Integer h = Glyph->Height();
    const TColor transparent = Glyph->Pixel(0, h - 1);
    for (Integer y = 0; y < h; ++y)
        for (Integer x = 0; x < w; ++x) {
            const TColor c = Glyph->Pixel(Index * w + x, y);
            if (c != transparent && c != clNone)
                Canvas->SetPixel(X + x, Y + y, c);
        }
}

void LayoutGlyphAndCaption(TCanvas* Canvas, const TRect& Client, TBitmap* Glyph, Integer NumGlyphs,
                           const String& Caption, TButtonLayout Layout, Integer Margin, Integer Spacing,
                           TPoint& GlyphPos, TRect& TextRect)
{
    const String text = StripAccelerator(Caption);
    const TSize textSize = text.empty() ? TSize(0, 0) : Canvas->TextExtent(text);
    const Integer gw = GlyphWidth(Glyph, NumGlyphs);
    const Integer gh = gw > 0 ? Glyph->Height() : 0;
    const Integer gap = gw > 0 && !text.empty() ? Spacing : 0;
    const bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    const Integer total = horizontal ? gw + gap + textSize.cx : gh + gap + textSize.cy;
    const Integer room = horizontal ? Client.Width() : Client.Height();
    const Integer start = Margin >= 0 ? Margin : (room - total) / 2;
    const Integer cx = Client.Left + Client.Width() / 2, cy = Client.Top + Client.Height() / 2;
    switch (Layout) {
    case blGlyphLeft:
        GlyphPos = Point(Client.Left + start, cy - gh / 2);
        TextRect = Bounds(Client.Left + start + gw + gap, cy - textSize.cy / 2, textSize.cx, textSize.cy);
        break;
    case blGlyphRight:
        GlyphPos = Point(Client.Right - start - gw, cy - gh / 2);
        TextRect = Bounds(Client.Right - start - gw - gap - textSize.cx, cy - textSize.cy / 2, textSize.cx,
                          textSize.cy);
        break;
    case blGlyphTop:
        GlyphPos = Point(cx - gw / 2, Client.Top + start);
        TextRect = Bounds(cx - textSize.cx / 2, Client.Top + start + gh + gap, textSize.cx, textSize.cy);
        break;
    case blGlyphBottom:
        GlyphPos = Point(cx - gw / 2, Client.Bottom - start - gh);
        TextRect = Bounds(cx - textSize.cx / 2, Client.Bottom - start - gh - gap - textSize.cy, textSize.cx,
                          textSize.cy);
        break;
    }
}

// ---- TBitBtn -----------------------------------------------------------------------------------

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(std::make_unique<TBitmap>())
{
    FGlyph->OnChange = [this](TObject*) {
        Invalidate();
        UpdateNative();
    };
}

TBitBtn::~TBitBtn() { FGlyph->OnChange = nullptr; }

void TBitBtn::SetGlyph(TBitmap* Value)
{
    if (Value)
        FGlyph->Assign(Value);
    else
        FGlyph->Assign(std::make_unique<TBitmap>().get());
}

void TBitBtn::SetNumGlyphs(Integer Value)
{
    FNumGlyphs = std::clamp(Value, 1, 4);
    Invalidate();
}

void TBitBtn::SetKind(TBitBtnKind Value)
{
    FKind = Value;
    struct Stock {
        const char* Caption;
        TModalResult Result;
        bool Default, Cancel;
    };
    static const Stock stock[] = {
        {"", mrNone, false, false},           {"OK", mrOk, true, false},        {"Cancel", mrCancel, false, true},
        {"&Help", mrNone, false, false},      {"&Yes", mrYes, true, false},     {"&No", mrNo, false, true},
        {"&Close", mrNone, false, false},     {"Abort", mrAbort, false, true},  {"&Retry", mrRetry, false, false},
        {"&Ignore", mrIgnore, false, false},  {"&All", mrAll, false, false},
    };
    if (Value == bkCustom)
        return;
    const Stock& s = stock[Value];
    SetCaption(s.Caption);
    SetModalResult(s.Result);
    SetDefault(s.Default);
    SetCancel(s.Cancel);
}

void TBitBtn::SetLayout(TButtonLayout Value) { FLayout = Value; Invalidate(); }
void TBitBtn::SetMargin(Integer Value) { FMargin = std::max(-1, Value); Invalidate(); }
void TBitBtn::SetSpacing(Integer Value) { FSpacing = Value; Invalidate(); }

void TBitBtn::Click()
{
    if (FKind == bkClose) {
        if (TCustomForm* f = GetParentForm()) {
            f->Close();
            TButtonControl::Click();
            return;
        }
    }
    TButton::Click();
}

void TBitBtn::PaintControl(TCanvas* ACanvas)
{
    TRect r = ClientRect();
    DrawButtonFace(ACanvas, r, false, Default());
    TPoint glyphAt;
    TRect textRect;
    LayoutGlyphAndCaption(ACanvas, r, FGlyph.get(), FNumGlyphs, Caption(), FLayout, FMargin, FSpacing, glyphAt,
                          textRect);
    DrawGlyph(ACanvas, FGlyph.get(), FNumGlyphs, Enabled() ? 0 : 1, glyphAt.X, glyphAt.Y);
    if (!Enabled())
        ACanvas->Font()->SetColor(clGrayText);
    DrawCaption(ACanvas, textRect, Caption(), DT_LEFT);
}

// ---- TSpeedButton ------------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>())
{
    SetBounds(0, 0, 23, 22);
    FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    SetParentFont(true);
    FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() { FGlyph->OnChange = nullptr; }

template <class F>
void TSpeedButton::ForGroup(F&& Fn)
{
    if (FGroupIndex == 0 || !Parent())
        return;
    for (Integer i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i)); b && b != this && b->FGroupIndex == FGroupIndex)
            Fn(b);
}

void TSpeedButton::SetGroupIndex(Integer Value)
{
    FGroupIndex = std::max(0, Value);
    if (FGroupIndex == 0)
        FDown = false;
    else if (FDown)
        ForGroup([](TSpeedButton* b) { b->FDown = false; b->Invalidate(); });
    Invalidate();
}

void TSpeedButton::SetDown(bool Value)
{
    if (FGroupIndex == 0)
        Value = false;
    if (Value == FDown)
        return;
    if (!Value && !FAllowAllUp)
        return; // some button of the group stays down
    FDown = Value;
    if (Value)
        ForGroup([](TSpeedButton* b) {
            if (b->FDown) {
                b->FDown = false;
                b->Invalidate();
            }
        });
    Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool Value)
{
    FAllowAllUp = Value;
    ForGroup([Value](TSpeedButton* b) { b->FAllowAllUp = Value; });
}

void TSpeedButton::SetFlat(bool Value) { FFlat = Value; Invalidate(); }

void TSpeedButton::SetGlyph(TBitmap* Value)
{
    if (Value)
        FGlyph->Assign(Value);
    else
        FGlyph->Assign(std::make_unique<TBitmap>().get());
}

void TSpeedButton::SetNumGlyphs(Integer Value) { FNumGlyphs = std::clamp(Value, 1, 4); Invalidate(); }
void TSpeedButton::SetLayout(TButtonLayout Value) { FLayout = Value; Invalidate(); }
void TSpeedButton::SetMargin(Integer Value) { FMargin = std::max(-1, Value); Invalidate(); }
void TSpeedButton::SetSpacing(Integer Value) { FSpacing = Value; Invalidate(); }

void TSpeedButton::Click()
{
    if (FGroupIndex != 0) {
        if (FDown) {
            if (FAllowAllUp)
                SetDown(false);
        } else {
            SetDown(true);
        }
    }
    TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    if (Button == mbLeft && Enabled()) {
        FPressed = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    if (Button == mbLeft && FPressed) {
        FPressed = false;
        Invalidate();
    }
    TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TSpeedButton::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    const bool sunk = FDown || FPressed;
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    if (sunk)
        Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    else if (!FFlat)
        DrawButtonFace(c, r, false);
    if (FDown && !FPressed) {
        c->Brush()->SetColor(cl3DLight);
        c->FillRect(r);
    }
    TPoint glyphAt;
    TRect textRect;
    LayoutGlyphAndCaption(c, r, FGlyph.get(), FNumGlyphs, Caption(), FLayout, FMargin, FSpacing, glyphAt, textRect);
    const Integer offset = sunk ? 1 : 0;
    const Integer index = !Enabled() ? 1 : FPressed ? 2 : FDown ? 3 : 0;
    DrawGlyph(c, FGlyph.get(), FNumGlyphs, index < FNumGlyphs ? index : 0, glyphAt.X + offset, glyphAt.Y + offset);
    if (!Enabled())
        c->Font()->SetColor(clGrayText);
    textRect.Left += offset;
    textRect.Right += offset;
    textRect.Top += offset;
    textRect.Bottom += offset;
    DrawCaption(c, textRect, Caption(), DT_LEFT);
}

} // namespace qor
