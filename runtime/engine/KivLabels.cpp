#include "runtime/engine/KivLabels.h"

#include "platform/graphics/Gdi.h"
#include "platform/graphics/GraphicsObject.h"
#include "platform/graphics/Picture.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivRtf.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/KivVarBase.h"
#include "runtime/output/QorCtrl.h"
#include "runtime/output/QorImg.h"
#include "runtime/output/QorOut.h"

#include <algorithm>

namespace qor {

// ---- Labels that show a variable ---------------------------------------------------------------

void TKivVarRefLabel::SetVariable(TKivVar* Value)
{
    if (KivSetReference(this, FVariable, Value))
        Invalidate();
}

void TKivVarRefLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TKivLabel::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FVariable)
        FVariable = nullptr;
}

String TKivVarRefLabel::GetDisplayText() { return FVariable ? FVariable->Name() : String("Fill in variable."); }

TKivVar* TKivVarRefLabel::ActiveVariable() const
{
    if (!FVariable)
        return nullptr;
    if (!FVariable->Initialized())
        FVariable->Initialize();
    return FVariable->Active() ? FVariable : nullptr;
}

void KivEndRtfRow(TKivLabel* Label)
{
    if (Label->PrintOk())
        Label->SetEndPrint(true);
}

// ---- Check label -------------------------------------------------------------------------------

TKivCheckLabel::TKivCheckLabel(TComponent* AOwner) : TKivVarRefLabel(AOwner) { SetBounds(Left(), Top(), 12, 12); }

void TKivCheckLabel::SetCheckStyle(TKivCheckStyle Value)
{
    if (Value != FCheckStyle) {
        FCheckStyle = Value;
        Invalidate();
    }
}

bool TKivCheckLabel::Checked()
{
    if (Painting() || !Variable()) {
        TKivVar* Var = ActiveVariable();
        return Var ? Var->AsBoolean() : true;
    }
    return Variable()->AsBoolean();
}

void TKivCheckLabel::PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer)
{
    const bool Mark = Checked();
    InitPrint(QorCanvas, Rect);
    if (Mark)
        QorCanvas->DrawCheckBox(Rect, FCheckStyle == csCheck ? qcsCheck : qcsCross, Pen()->Color(), Pen()->Width());
    PrintBorder(QorCanvas, Rect);
}

void TKivCheckLabel::PrintTab(TWinControl*, TKivRtfFile*, Integer) {}

void TKivCheckLabel::PrintRtf(TWinControl* oPage, TKivRtfFile* Rtf, Integer PrintRow)
{
    if (!PrintOk())
        return;
    if (!RtfPrint()) {
        SetEndPrint(true);
        return;
    }
    if (PrintRow != Row())
        return;
    BeforePrint();
    // Its own tab stop, then the value; a label without a variable has no value to write.
    TKivLabel::PrintTab(oPage, Rtf, PrintRow);
    WriteRtfText(Rtf, Variable() ? String(Variable()->AsBoolean() ? "Y" : "N") : String());
    AfterPrint();
    SetEndPrint(true);
}

// ---- Line --------------------------------------------------------------------------------------

void TKivLine::SetLineType(TKivLineType Value)
{
    if (Value != FLineType) {
        FLineType = Value;
        Invalidate();
    }
}

void TKivLine::PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer)
{
    InitPrint(QorCanvas, Rect);
    QorCanvas->SetPen(Pen());
    QorCanvas->SetBrush(Brush());
    const Integer L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom, P = Pen()->Width();
    // A level or upright line is a bar of the pen's width, filled in the pen's colour.
    const auto Bar = [&](Integer X, Integer Y, Integer W, Integer H) {
        Brush()->SetColor(Pen()->Color());
        Brush()->SetStyle(bsSolid);
        QorCanvas->SetBrush(Brush());
        QorCanvas->FillRect(TRect(X, Y, X + W, Y + H));
    };
    switch (FLineType) {
    case ltHorizontal: {
        Integer Y = B - P;
        if (AlignVertical() == laTop)
            Y = T;
        else if (AlignVertical() == laMiddle || AlignVertical() == laCenterVert)
            Y = T + Height() / 2;
        Bar(L, Y, R - L + 1, P);
        break;
    }
    case ltVertical: {
        Integer X = R - P;
        if (AlignHorizontal() == laLeft)
            X = L;
        else if (AlignHorizontal() == laCenter)
            X = L + Width() / 2;
        Bar(X, T, P, B - T + 1);
        break;
    }
    case ltDiagonalLeft:
        QorCanvas->MoveTo(L, T);
        QorCanvas->LineTo(R, B);
        break;
    case ltDiagonalRight:
        QorCanvas->MoveTo(R, T);
        QorCanvas->LineTo(L, B);
        break;
    }
    PrintBorder(QorCanvas, Rect);
}

// ---- Shape -------------------------------------------------------------------------------------

void TKivShape::SetShapeType(TKivShapeType Value)
{
    if (Value != FShapeType) {
        FShapeType = Value;
        Invalidate();
    }
}

void TKivShape::PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer)
{
    InitPrint(QorCanvas, Rect);
    QorCanvas->SetBrush(Brush());
    QorCanvas->SetPen(Pen());
    const Integer P = Pen()->Width();
    Integer Ox = P / 2, Oy = P / 2, W = Width() - P + 1, H = Height() - P + 1;
    const Integer M = std::min(W, H);
    if (FShapeType == sstCircle || FShapeType == sstRoundSquare || FShapeType == sstSquare) {
        Ox += (W - M) / 2;
        Oy += (H - M) / 2;
        W = H = M;
    }
    const Integer L = Rect.Left, T = Rect.Top;
    const Integer Shrink = Painting() ? 1 : 0;
    switch (FShapeType) {
    case sstRectangle: QorCanvas->Rectangle(L, T, Rect.Right - Shrink, Rect.Bottom - Shrink); break;
    case sstSquare: QorCanvas->Rectangle(L + Ox, T + Oy, L + Ox + W - Shrink, T + Oy + H - Shrink); break;
    case sstRoundRect:
    case sstRoundSquare: QorCanvas->RoundRect(L + Ox, T + Oy, L + Ox + W, T + Oy + H, M / 4, M / 4); break;
    case sstCircle:
    case sstEllipse: QorCanvas->Ellipse(L + Ox, T + Oy, L + Ox + W, T + Oy + H); break;
    }
}

// ---- Image label -------------------------------------------------------------------------------

TKivImageLabel::TKivImageLabel(TComponent* AOwner)
    : TKivVarRefLabel(AOwner), FPicture(std::make_unique<TPicture>()), FImageStream(std::make_unique<TMemoryStream>())
{
    FPicture->OnChange = [this](TObject*) { Invalidate(); };
}

TKivImageLabel::~TKivImageLabel() = default;

void TKivImageLabel::SetPicture(TPicture* Value)
{
    FPicture->Assign(Value);
    Invalidate();
}

void TKivImageLabel::SetCenter(bool Value)
{
    if (Value != FCenter) {
        FCenter = Value;
        Invalidate();
    }
}

void TKivImageLabel::SetAspect(bool Value)
{
    if (Value != FKeepAspect) {
        FKeepAspect = Value;
        Invalidate();
    }
}

void TKivImageLabel::SetBorderAspect(bool Value)
{
    if (Value != FKeepBorderAspect) {
        FKeepBorderAspect = Value;
        Invalidate();
    }
}

void TKivImageLabel::UpdateImage()
{
    FImageStream->Clear();
    FQorBitmap.reset();
    FData.reset();
    TKivVar* Var = Variable();
    if (Var && Painting() && !Var->Initialized()) {
        Var->Initialize();
        if (!Var->Active())
            return;
    }
    const bool PictureVar = Var && (Var->DataType() == dtypeGraphic || Var->DataType() == dtypeBlob);
    if (!PictureVar) {
        if (TGraphic* G = FPicture->Graphic(); G && !G->Empty())
            G->SaveToStream(FImageStream.get());
    } else if (TStream* S = Var->Data() ? Var->Data()->AsStream() : nullptr) {
        // A picture stored by a data set starts with a prefix of its own.
        S->SetPosition(0);
        QorIsBlob(*S);
        const Int64 Rest = S->Size() - S->Position();
        if (Rest > 0)
            FImageStream->CopyFrom(S, Rest);
    }
    FImageStream->SetPosition(0);
    if (FImageStream->Size() == 0)
        return;
    if (QorIsBitmap(*FImageStream)) {
        FQorBitmap = std::make_unique<TQorBitmap>();
        FQorBitmap->LoadFromStream(FImageStream.get());
        FImageStream->SetPosition(0);
        return;
    }
    if (std::unique_ptr<TGraphic> G = QorGetGraphic(*FImageStream); G && !G->Empty()) {
        FData = std::make_unique<TPicture>();
        FData->SetGraphic(G.get());
    }
    FImageStream->SetPosition(0);
}

Integer TKivImageLabel::ImageWidth() const
{
    if (FQorBitmap)
        return FQorBitmap->Width();
    return FData ? FData->Width() : 0;
}

Integer TKivImageLabel::ImageHeight() const
{
    if (FQorBitmap)
        return FQorBitmap->Height();
    return FData ? FData->Height() : 0;
}

void TKivImageLabel::StartPrint()
{
    SetEndPrint(false);
    SetEndPrint(!PrintOk());
    if (!EndPrint())
        UpdateImage();
}

Integer TKivImageLabel::ImageSpend()
{
    if (Stretch())
        return Top() + Height();
    const bool HasImage = FQorBitmap || FData;
    return Top() + (HasImage ? ImageHeight() : Height());
}

Integer TKivImageLabel::SpendHeight(TComponent*, Integer)
{
    UpdateImage();
    return PrintOk() ? ImageSpend() : 0;
}

Integer TKivImageLabel::PrintHeight(TComponent* oPage, Integer Space, Integer)
{
    Integer H = 0;
    if (PrintOk()) {
        Print(oPage, Space);
        H = ImageSpend();
    }
    SetEndPrint(true);
    return H;
}

void TKivImageLabel::PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer)
{
    UpdateImage();
    InitPrint(QorCanvas, Rect);
    const Integer Iw = ImageWidth(), Ih = ImageHeight();
    const bool HasImage = (FQorBitmap || FData) && Iw > 0 && Ih > 0;
    TRect Border = Rect;
    if (HasImage) {
        FImageStream->SetPosition(0);
        if (Stretch()) {
            TRect Target = Rect;
            if (FKeepAspect) {
                const Integer W = Rect.Right - Rect.Left, H = Rect.Bottom - Rect.Top;
                Integer Dx = 0, Dy = 0;
                if (H > 0 && static_cast<Int64>(Iw) * 1000 / Ih > static_cast<Int64>(W) * 1000 / H)
                    Dy = H - W * Ih / Iw;
                else
                    Dx = W - H * Iw / Ih;
                if (FCenter) {
                    Target.Left += Dx / 2;
                    Target.Top += Dy / 2;
                }
                Target.Right = Target.Left + W - Dx;
                Target.Bottom = Target.Top + H - Dy;
            }
            if (FQorBitmap)
                QorCanvas->StretchDrawBitmap(Target, FImageStream.get());
            else
                QorCanvas->StretchDraw(Target, FData->Graphic());
            if (FKeepBorderAspect)
                Border = Target;
        } else {
            Integer X = Rect.Left, Y = Rect.Top;
            if (FCenter) {
                X += (Width() - Iw) / 2;
                Y += (Height() - Ih) / 2;
            }
            if (FQorBitmap)
                QorCanvas->DrawBitmap(X, Y, FImageStream.get());
            else
                QorCanvas->Draw(X, Y, FData->Graphic());
            Border = TRect(X, Y, X + Iw + 1, Y + Ih + 1);
        }
    }
    PrintBorder(QorCanvas, Painting() ? Rect : Border);
}

// ---- Vertical divider --------------------------------------------------------------------------

TKivVerticalDivider::TKivVerticalDivider(TComponent* AOwner) : TKivLabel(AOwner) { SetBounds(Left(), 1, 2, 1000); }

void TKivVerticalDivider::SetBounds(Integer ALeft, Integer, Integer, Integer)
{
    if (TWinControl* P = Parent())
        TKivLabel::SetBounds(ALeft, 1, FDividerWidth + 1, P->Height() - 1);
    else
        TKivLabel::SetBounds(ALeft, 1, 2, 1000);
    Invalidate();
}

void TKivVerticalDivider::SetDividerWidth(Integer Value)
{
    if (Value == FDividerWidth)
        return;
    FDividerWidth = Value;
    SetWidth(FDividerWidth + 1);
}

void TKivVerticalDivider::SetDividerColor(TColor Value)
{
    if (Value != FDividerColor) {
        FDividerColor = Value;
        Invalidate();
    }
}

void TKivVerticalDivider::Print(TComponent* oPage, Integer Space)
{
    // The print events fire in PrintLabel, once a print (the base would fire them around it too).
    SetEndPrint(false);
    if (PrintOk()) {
        IKivPrintPage* P = PrintPage(oPage);
        PrintLabel(P->OutputCanvas(), Bounds(P->XPos() + Left(), P->YPos() + Top(), Width(), Height()), Space);
    }
    SetEndPrint(true);
}

Integer TKivVerticalDivider::SpendHeight(TComponent*, Integer) { return Height(); }

Integer TKivVerticalDivider::PrintHeight(TComponent* oPage, Integer, Integer Taking)
{
    SetEndPrint(false);
    TKivLabel::PrintHeight(oPage, Taking, Taking);
    SetEndPrint(true);
    return 0;
}

void TKivVerticalDivider::PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space)
{
    SetEndPrint(false);
    if (PrintOk()) {
        BeforePrint();
        if (FDividerWidth > 0) {
            QorCanvas->Brush()->SetColor(FDividerColor);
            QorCanvas->Brush()->SetStyle(bsSolid);
            QorCanvas->FillRect(TRect(Rect.Left, Rect.Top - 1, Rect.Left + FDividerWidth, Rect.Top - 1 + Space));
        } else {
            QorCanvas->Pen()->SetStyle(psSolid);
            QorCanvas->Pen()->SetWidth(0);
            QorCanvas->MoveTo(Rect.Left, Rect.Top - 1);
            QorCanvas->LineTo(Rect.Left, Rect.Top + Space);
        }
        AfterPrint();
    }
    SetEndPrint(true);
}

// ---- Bar-code label ----------------------------------------------------------------------------

TKivBarCodeLabel::TKivBarCodeLabel(TComponent* AOwner)
    : TKivVarRefLabel(AOwner), FBarCodeBrush(std::make_unique<TBrush>())
{
    FBarCodeBrush->SetColor(0);
    FBarCodeBrush->SetStyle(bsSolid);
    FBarCodeBrush->OnChange = [this](TObject*) { Invalidate(); };
}

TKivBarCodeLabel::~TKivBarCodeLabel() = default;

void TKivBarCodeLabel::SetDirection(TKivDirection Value)
{
    if (Value != FDirection) {
        FDirection = Value;
        Invalidate();
    }
}

void TKivBarCodeLabel::SetNarrowWidth(Integer Value)
{
    if (Value != FNarrowWidth) {
        FNarrowWidth = Value;
        Invalidate();
    }
}

void TKivBarCodeLabel::SetWideWidth(Integer Value)
{
    if (Value != FWideWidth) {
        FWideWidth = Value;
        Invalidate();
    }
}

void TKivBarCodeLabel::SetBarCodeBrush(TBrush* Value) { FBarCodeBrush->Assign(Value); }

void TKivBarCodeLabel::SetBarCodeType(TKivBarCodeType Value)
{
    if (Value != FBarCodeType) {
        FBarCodeType = Value;
        Invalidate();
    }
}

void TKivBarCodeLabel::SetWidthInInches_1000(bool Value)
{
    if (Value != FWidthInInches_1000) {
        FWidthInInches_1000 = Value;
        Invalidate();
    }
}

void TKivBarCodeLabel::PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space)
{
    InitPrint(QorCanvas, Rect);
    TKivVar* Var = Variable();
    if (Var && Painting() && !Var->Initialized())
        Var->Initialize();
    if (!Var || !Var->Active()) {
        // Nothing to encode: the label shows its display text.
        TKivLabel::PrintLabel(QorCanvas, Rect, Space);
        return;
    }
    std::unique_ptr<TQorBarCode> Code;
    if (FBarCodeType == bct2of5)
        Code = std::make_unique<TQor2of5BarCode>();
    else
        Code = std::make_unique<TQor3of9BarCode>();
    const bool Vertical = FDirection == bdVertical;
    Code->NarrowWidth = FNarrowWidth;
    Code->WideWidth = FWideWidth;
    Code->Vertical = Vertical;
    Code->WidthInInches_1000 = FWidthInInches_1000;
    const String Text = UpperCase(Var->AsString());
    const Integer Length = Code->BarCodeLength(Canvas()->Handle(), Text);
    const Integer BM = BorderMargin();
    Integer X = BM, Y = BM, W = 0, H = 0;
    if (Vertical) {
        if (AlignVertical() == laMiddle || AlignVertical() == laCenterVert)
            Y = (Height() - Length) / 2;
        else if (AlignVertical() == laBottom)
            Y = Height() - Length - BM;
        W = Width() - 2 * BM;
    } else {
        if (AlignHorizontal() == laCenter)
            X = (Width() - Length) / 2;
        else if (AlignHorizontal() == laRight)
            X = Width() - Length - BM;
        H = Height() - 2 * BM;
    }
    QorCanvas->SetBrush(FBarCodeBrush.get());
    if (FBarCodeType == bct2of5)
        QorCanvas->Print2of5Barcode(Rect.Left + X, Rect.Top + Y, W, H, FNarrowWidth, FWideWidth, FWidthInInches_1000,
                                    Vertical, Text);
    else
        QorCanvas->Print3of9Barcode(Rect.Left + X, Rect.Top + Y, W, H, FNarrowWidth, FWideWidth, FWidthInInches_1000,
                                    Vertical, Text);
    PrintBorder(QorCanvas, Rect);
}

// ---- Custom label ------------------------------------------------------------------------------

void TKivCustomLabel::PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space)
{
    InitPrint(QorCanvas, Rect);
    DrawLabel(QorCanvas, Rect, Space);
    PrintBorder(QorCanvas, Rect);
}

void TKivCustomLabel::DrawLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer)
{
    if (OnDraw)
        OnDraw(this, QorCanvas, Rect);
}

// ---- Published properties ------------------------------------------------------------------------

QOR_PUBLISH(TKivVarRefLabel)
{
    b.Property("Variable", &TKivVarRefLabel::Variable, &TKivVarRefLabel::SetVariable).Default(nullptr);
}

QOR_PUBLISH(TKivCheckLabel)
{
    using L = TKivCheckLabel;
    b.Property("Transparent", &L::Transparent, &L::SetTransparent).Default(true);
    b.SubObject("Pen", &L::Pen);
    b.Property("CheckStyle", &L::CheckStyle, &L::SetCheckStyle).Default(csCross);
    b.Property("BorderType", &L::BorderType, &L::SetBorderType).Default(btNone);
    b.Property("Shade", &L::Shade, &L::SetShade).Default(spNone);
}

QOR_PUBLISH(TKivLine)
{
    using L = TKivLine;
    b.SubObject("Pen", &L::Pen);
    b.Property("AlignVertical", &L::AlignVertical, &L::SetVerticalAlign).Default(laBottom);
    b.Property("AlignHorizontal", &L::AlignHorizontal, &L::SetHorizontalAlign).Default(laLeft);
    b.Property("LineType", &L::LineType, &L::SetLineType).Default(ltHorizontal);
    b.Property("Transparent", &L::Transparent, &L::SetTransparent).Default(true);
}

QOR_PUBLISH(TKivShape)
{
    using L = TKivShape;
    b.SubObject("Brush", &L::Brush);
    b.SubObject("Pen", &L::Pen);
    b.Property("ShapeType", &L::ShapeType, &L::SetShapeType).Default(sstRectangle);
}

QOR_PUBLISH(TKivImageLabel)
{
    using L = TKivImageLabel;
    b.SubObject("Picture", &L::Picture);
    b.Property("Center", &L::Center, &L::SetCenter).Default(false);
    b.Property("KeepAspect", &L::KeepAspect, &L::SetAspect).Default(false);
    b.Property("KeepBorderAspect", &L::KeepBorderAspect, &L::SetBorderAspect).Default(false);
    b.Property("Stretch", &L::Stretch, &L::SetStretch).Default(false);
    b.Property("BorderType", &L::BorderType, &L::SetBorderType).Default(btNone);
}

QOR_PUBLISH(TKivVerticalDivider)
{
    using L = TKivVerticalDivider;
    b.Property("DividerWidth", &L::DividerWidth, &L::SetDividerWidth).Default(1);
    b.Property("DividerColor", &L::DividerColor, &L::SetDividerColor).Default(TColor(0)).Idents(ColorIdents());
}

QOR_PUBLISH(TKivBarCodeLabel)
{
    using L = TKivBarCodeLabel;
    b.Property("Transparent", &L::Transparent, &L::SetTransparent).Default(true);
    b.Property("BorderType", &L::BorderType, &L::SetBorderType).Default(btNone);
    b.Property("Direction", &L::Direction, &L::SetDirection).Default(bdHorizontal);
    b.Property("NarrowWidth", &L::NarrowWidth, &L::SetNarrowWidth).Default(1);
    b.Property("WideWidth", &L::WideWidth, &L::SetWideWidth).Default(3);
    b.SubObject("BarCodeBrush", &L::BarCodeBrush);
    b.Property("AlignVertical", &L::AlignVertical, &L::SetVerticalAlign).Default(laBottom);
    b.Property("AlignHorizontal", &L::AlignHorizontal, &L::SetHorizontalAlign).Default(laLeft);
    b.Property("BorderMargin", &L::BorderMargin, &L::SetBorderMargin).Default(2);
    b.Property("BarCodeType", &L::BarCodeType, &L::SetBarCodeType).Default(bct3of9);
    b.Property("WidthInInches_1000", &L::WidthInInches_1000, &L::SetWidthInInches_1000).Default(false);
}

QOR_PUBLISH(TKivCustomLabel)
{
    using L = TKivCustomLabel;
    b.Event("OnDraw", &L::OnDraw);
    b.Property("Transparent", &L::Transparent, &L::SetTransparent).Default(true);
    b.Property("BorderType", &L::BorderType, &L::SetBorderType).Default(btNone);
    b.Property("Shade", &L::Shade, &L::SetShade).Default(spNone);
}

} // namespace qor
