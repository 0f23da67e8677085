#include "runtime/engine/KivUtil.h"

#include "platform/graphics/Screen.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace qor {

void KivPumpMessages()
{
    using Clock = std::chrono::steady_clock;
    static Clock::time_point Last;
    const Clock::time_point Now = Clock::now();
    if (Now - Last < std::chrono::milliseconds(5))
        return;
    Last = Now;
    Application()->ProcessMessages();
}

// ---- text and names ----------------------------------------------------------------------------

void KivReportHandlerError(TObject* Sender) { Application()->HandleException(Sender); }

bool KivEmpty(const String& Text)
{
    return std::all_of(Text.begin(), Text.end(), [](char C) { return C == ' '; });
}

String KivRightTrim(const String& Text)
{
    const std::size_t End = Text.find_last_not_of(' ');
    return End == String::npos ? String() : Text.substr(0, End + 1);
}

String KivStripFirst(const String& Text)
{
    if (Text.size() > 4 && SameText(Text.substr(0, 4), "TKIV"))
        return Text.substr(4);
    if (Text.size() > 1 && (Text[0] == 'T' || Text[0] == 't'))
        return Text.substr(1);
    return Text;
}

String KivMakeValidIDent(const String& Text, bool StripFirst)
{
    const String Source = StripFirst ? KivStripFirst(Text) : Text;
    String Result;
    Result.reserve(Source.size());
    for (std::size_t I = 0; I < Source.size();) {
        const unsigned char C = static_cast<unsigned char>(Source[I]);
        std::size_t Length = 1;
        if (C >= 0x80) // one character of several bytes becomes one "_"
            while (I + Length < Source.size() && (static_cast<unsigned char>(Source[I + Length]) & 0xC0) == 0x80)
                ++Length;
        const bool Letter = (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
        const bool Digit = C >= '0' && C <= '9';
        Result += (Letter || (Digit && !Result.empty())) ? static_cast<char>(C) : '_';
        I += Length;
    }
    return Result;
}

bool KivSetComponentName(TComponent* Component, const String& Ident)
{
    if (KivEmpty(Ident) || !IsValidComponentName(Ident))
        return false;
    try {
        Component->SetName(Ident);
    } catch (const EComponentError&) {
        return false;
    }
    return true;
}

bool KivAutoSetComponentName(TComponent* Component, const String& Text, bool StripFirst)
{
    const String Ident = KivMakeValidIDent(Text, StripFirst);
    if (KivEmpty(Ident) || !IsValidComponentName(Ident))
        return false;
    if (KivSetComponentName(Component, Ident))
        return true;
    for (Int64 N = 1;; ++N)
        if (KivSetComponentName(Component, Ident + IntToStr(N)))
            return true;
}

// ---- units -------------------------------------------------------------------------------------

namespace {

constexpr Double MMPerInch = 25.4;
constexpr Double CMPerInch = 2.54;
constexpr Double MMPerCM = 10.0;

// How many of the unit make an inch; 0 for a value that is no unit.
Double PerInch(TKivUnits Unit)
{
    switch (Unit) {
    case unitInches:
        return 1;
    case unitMiliMeters:
        return MMPerInch;
    case unitCentiMeters:
        return CMPerInch;
    }
    return 0;
}

// A value that is no unit converts to 0, either way.
Double Convert(TKivUnits From, TKivUnits To, Double Value)
{
    if (PerInch(From) == 0 || PerInch(To) == 0)
        return 0;
    if (From == To)
        return Value;
    // between the metric units by their own factor, so whole numbers stay whole
    if (From == unitMiliMeters && To == unitCentiMeters)
        return Value / MMPerCM;
    if (From == unitCentiMeters && To == unitMiliMeters)
        return Value * MMPerCM;
    return Value / PerInch(From) * PerInch(To);
}

} // namespace

Double TKivUnitMaster::ToIn(TKivUnits From, Double Value) const { return Convert(From, unitInches, Value); }
Double TKivUnitMaster::ToMM(TKivUnits From, Double Value) const { return Convert(From, unitMiliMeters, Value); }
Double TKivUnitMaster::ToCM(TKivUnits From, Double Value) const { return Convert(From, unitCentiMeters, Value); }
Double TKivUnitMaster::InTo(TKivUnits UTo, Double Value) const { return Convert(unitInches, UTo, Value); }
Double TKivUnitMaster::MMTo(TKivUnits UTo, Double Value) const { return Convert(unitMiliMeters, UTo, Value); }
Double TKivUnitMaster::CMTo(TKivUnits UTo, Double Value) const { return Convert(unitCentiMeters, UTo, Value); }

Double TKivUnitMaster::UnitToUnit(TKivUnits From, TKivUnits UTo, Double Value) const
{
    return Convert(From, UTo, Value);
}

// ---- rulers ------------------------------------------------------------------------------------

namespace {

Integer RoundInt(Double Value) { return static_cast<Integer>(std::nearbyint(Value)); }

} // namespace

TKivRuler::TKivRuler(TComponent* AOwner)
    : TCustomPanel(AOwner), FPixelsPerInch(ScreenPixelsPerInch()), FUnitMaster(std::make_unique<TKivUnitMaster>())
{
    SetBevelInner(bvLowered);
    SetBevelOuter(bvRaised);
    SetBevelWidth(1);
}

void TKivRuler::SetVertical(bool Value)
{
    if (Value == FVertical)
        return;
    FVertical = Value;
    Invalidate();
}

void TKivRuler::SetPixelsPerInch(Integer Value)
{
    if (Value == FPixelsPerInch)
        return;
    FPixelsPerInch = Value;
    Invalidate();
}

void TKivRuler::SetUnits(TKivUnits Value)
{
    if (Value == FUnits)
        return;
    FUnits = Value;
    Invalidate();
}

void TKivRuler::SetStartPixels(Integer Value)
{
    if (Value == FStartPixels)
        return;
    FStartPixels = Value;
    Invalidate();
}

void TKivRuler::SetShowCrossHair(bool Value)
{
    if (Value == FShowCrossHair)
        return;
    FShowCrossHair = Value;
    Invalidate();
}

TRect TKivRuler::HairRect(Integer Position) const
{
    if (FVertical)
        return Rect(0, Position, Width(), Position + 1);
    const Integer X = Position + FStartPixels;
    return Rect(X, 0, X + 1, Height());
}

void TKivRuler::UpdateHair(Integer Position)
{
    if (Position == FCrossHairPosition)
        return;
    // Only the two one-pixel strips change: the old one is painted over, the new one drawn white.
    InvalidateRect(HairRect(FCrossHairPosition), false);
    FCrossHairPosition = Position;
    if (FShowCrossHair)
        InvalidateRect(HairRect(FCrossHairPosition), false);
}

void TKivRuler::Paint()
{
    TCustomPanel::Paint();
    const Double PerUnit = FUnitMaster->InTo(FUnits, 1.0);
    if (PerUnit <= 0 || FPixelsPerInch <= 0)
        return;
    Double P = FPixelsPerInch / PerUnit;
    Integer Steps = 5;
    switch (FUnits) {
    case unitInches:
        Steps = 8;
        break;
    case unitMiliMeters:
        Steps = 6;
        P *= 10; // a labelled mark every 10 mm
        break;
    case unitCentiMeters:
        Steps = 6;
        break;
    }
    TCanvas* C = Canvas();
    C->Pen()->SetWidth(1);
    C->Pen()->SetColor(clBlack);
    C->Pen()->SetStyle(psSolid);
    C->Font()->SetName("Arial");
    C->Font()->SetSize(7);
    C->Brush()->SetStyle(bsClear);
    const Integer W = Width();
    const Integer H = Height();
    const Integer LabelFactor = FUnits == unitMiliMeters ? 10 : 1;
    if (!FVertical) {
        const Integer N = RoundInt((std::abs(FStartPixels) + W) / P);
        for (Integer R = 0; R <= N; ++R) {
            C->TextOut(RoundInt(R * P + 3 + FStartPixels), 2, IntToStr(R * LabelFactor));
            for (Integer I = 0; I <= Steps; ++I) {
                const Integer X = RoundInt(R * P + FStartPixels + P * I / Steps);
                const Integer Y = I == 0 ? 0 : (I == Steps / 2 ? H / 2 : H - H / 4);
                C->MoveTo(X, H);
                C->LineTo(X, Y);
            }
        }
    } else {
        const Integer N = RoundInt((H + FStartPixels) / P);
        for (Integer R = 0; R <= N; ++R) {
            C->TextOut(4, RoundInt(R * P + 3 + FStartPixels), IntToStr(R * LabelFactor));
            for (Integer I = 0; I <= Steps; ++I) {
                const Integer Y = RoundInt(R * P + FStartPixels + P * I / Steps);
                const Integer X = I == 0 ? 0 : (I == Steps / 2 ? W / 2 : W - W / 4);
                C->MoveTo(W, Y);
                C->LineTo(X, Y);
            }
        }
    }
    if (FShowCrossHair) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(clWhite);
        C->FillRect(HairRect(FCrossHairPosition));
    }
}

TKivRulerContainer::TKivRulerContainer(TComponent* AOwner) : TCustomPanel(AOwner)
{
    SetBevelInner(bvLowered);
    SetBevelOuter(bvRaised);
    SetBevelWidth(1);
}

TKivRulerContainer::~TKivRulerContainer() = default;

void TKivRulerContainer::SetPixelsPerInch(Integer Value)
{
    for (TKivRuler* R : FRulers)
        R->SetPixelsPerInch(Value);
}

void TKivRulerContainer::SetUnits(TKivUnits Value)
{
    for (TKivRuler* R : FRulers)
        R->SetUnits(Value);
}

IKivPage* TKivRulerContainer::GetPage() const
{
    const auto* Report = dynamic_cast<const IKivReport*>(Parent());
    return Report ? Report->FirstPage() : nullptr;
}

void TKivRulerContainer::UpdateRulers()
{
    IKivPage* Page = GetPage();
    if (!Page || !Page->HasBandList())
        return;
    TWinControl* PageControl = Page->PageControl();
    SetBounds(PageControl->Left() - Width(), PageControl->Top(), Width(), PageControl->Height());
    const std::size_t Bands = static_cast<std::size_t>(std::max(0, Page->BandCount()));
    while (FRulers.size() < Bands) {
        auto* R = Create<TKivRuler>(this);
        R->SetParent(this);
        FRulers.push_back(R);
    }
    while (FRulers.size() > Bands) {
        TKivRuler* R = FRulers.back();
        FRulers.pop_back();
        R->SetParent(nullptr);
        Free(R);
    }
    for (std::size_t J = 0; J < Bands; ++J) {
        TKivRuler* R = FRulers[J];
        TControl* Band = Page->Bands(static_cast<Integer>(J));
        R->SetVertical(true);
        const Integer Top = Band->Top() + (Page->HasBorder() ? 2 : 0);
        Integer H = Band->Height();
        if (Top < Height()) {
            if (Top + H >= Height())
                H = Height() - Top - 1;
            R->SetVisible(true);
        } else
            R->SetVisible(false);
        R->SetBounds(0, Top, Width(), std::max(0, H));
        R->Repaint();
    }
}

TKivRuler* TKivRulerContainer::RulerAt(Integer Y) const
{
    TKivRuler* Found = nullptr;
    for (TKivRuler* R : FRulers)
        if (R->Top() <= Y && Y <= R->Top() + R->Height())
            Found = R;
    return Found;
}

void TKivRulerContainer::UpdateHair(Integer Position)
{
    TKivRuler* Old = RulerAt(FCrossHairPosition);
    TKivRuler* New = RulerAt(Position);
    if (Old && Old != New) {
        Old->SetShowCrossHair(false);
        Old->UpdateHair(-1);
    }
    if (New) {
        New->SetShowCrossHair(true);
        New->UpdateHair(Position - New->Top());
    }
    FCrossHairPosition = Position;
}

QOR_PUBLISH(TKivUnitMaster) {}

QOR_PUBLISH(TKivRuler)
{
    b.Property("Vertical", &TKivRuler::Vertical, &TKivRuler::SetVertical).Default(false);
    b.Property("PixelsPerInch", &TKivRuler::PixelsPerInch, &TKivRuler::SetPixelsPerInch);
    b.Property("Units", &TKivRuler::Units, &TKivRuler::SetUnits).Default(unitInches);
    b.Property("StartPixels", &TKivRuler::StartPixels, &TKivRuler::SetStartPixels).Default(0);
    b.Property("ShowCrossHair", &TKivRuler::ShowCrossHair, &TKivRuler::SetShowCrossHair).Default(true);
}

QOR_PUBLISH(TKivRulerContainer) {}
QOR_PUBLISH(TKivNoScaleBtn) {}

} // namespace qor
