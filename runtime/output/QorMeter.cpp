#include "runtime/output/QorMeter.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypeInfo.h"

namespace qor {

QOR_PUBLISH(TQorMeter)
{
    b.Property("MeterColor", &TQorMeter::MeterColor, &TQorMeter::SetMeterColor).Default(clRed);
    b.Property("BackGroundColor", &TQorMeter::BackGroundColor, &TQorMeter::SetBackGroundColor).Default(clWhite);
    b.Property("BorderStyle", &TQorMeter::BorderStyle, &TQorMeter::SetBorderStyle).Default(bsSingle);
    b.Property("Style", &TQorMeter::Style, &TQorMeter::SetStyle).Default(msHorizontal);
    b.Property("Min", &TQorMeter::Min, &TQorMeter::SetMin).Default(0);
    b.Property("Max", &TQorMeter::Max, &TQorMeter::SetMax).Default(100);
    b.Property("Progress", &TQorMeter::Progress, &TQorMeter::SetProgress).Default(0);
    b.Property("ShowText", &TQorMeter::ShowText, &TQorMeter::SetShowText).Default(true);
}

TQorMeter::TQorMeter(TComponent* AOwner) : TPaintBox(AOwner) {}

template <class T>
void TQorMeter::Change(T& Field, const T& Value)
{
    if (Field == Value)
        return;
    Field = Value;
    Invalidate();
}

void TQorMeter::SetMeterColor(TColor Value) { Change(FMeterColor, Value); }
void TQorMeter::SetBackGroundColor(TColor Value) { Change(FBackGroundColor, Value); }
void TQorMeter::SetBorderStyle(TBorderStyle Value) { Change(FBorderStyle, Value); }
void TQorMeter::SetStyle(TQorMeterStyle Value) { Change(FStyle, Value); }
void TQorMeter::SetMin(Integer Value) { Change(FMin, Value); }
void TQorMeter::SetMax(Integer Value) { Change(FMax, Value); }
void TQorMeter::SetProgress(Integer Value) { Change(FProgress, Value); }
void TQorMeter::SetShowText(bool Value) { Change(FShowText, Value); }

Double TQorMeter::Fraction() const
{
    if (FMin >= FProgress || FMin >= FMax)
        return 0;
    if (FProgress >= FMax)
        return 1;
    return Double(Int64(FProgress) - FMin) / Double(Int64(FMax) - FMin);
}

String TQorMeter::PercentText() const { return FloatToStrF(Fraction() * 100, ffNumber, 3, 1) + "%"; }

void TQorMeter::Paint()
{
    TPaintBox::Paint();
    const Double F = Fraction();
    TCanvas& C = *Canvas();
    C.SetFont(Font());
    C.Brush()->SetColor(FBackGroundColor);
    C.Brush()->SetStyle(bsSolid);
    if (FBorderStyle == bsSingle)
        C.Rectangle(0, 0, Width(), Height());
    else
        C.FillRect(ClientRect());
    const Integer BarRight = Integer(Round(Width() * F)) - 1;
    if (FMin < FProgress && FStyle == msHorizontal && BarRight > 1) {
        C.Brush()->SetColor(FMeterColor);
        C.FillRect(TRect(1, 1, BarRight, Height() - 1));
    }
    if (FShowText) {
        SetTextAlign(C.Handle(), TA_CENTER);
        C.Brush()->SetStyle(bsClear);
        C.TextOut(Width() / 2, (Font()->Height() + Height()) / 2, PercentText());
    }
}

} // namespace qor
