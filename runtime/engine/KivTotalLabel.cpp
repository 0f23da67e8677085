#include "runtime/engine/KivTotalLabel.h"

#include "platform/rtl/Filer.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivFormat.h"
#include "runtime/engine/KivTotalvar.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/KivVarBase.h"

namespace qor {

TKivTotalvarLabel::TKivTotalvarLabel(TComponent* AOwner)
    : TKivLabel(AOwner), FDataFormat(std::make_unique<TKivFloatFormat>())
{
    SetHorizontalAlign(laRight);
    FDataFormat->SetKivLabel(this);
}

TKivTotalvarLabel::~TKivTotalvarLabel() = default;

void TKivTotalvarLabel::SetTotalVariable(TKivTotalvar* Value)
{
    if (!KivSetReference(this, FTotalVariable, Value))
        return;
    Invalidate();
}

void TKivTotalvarLabel::SetLevel(TKivLevel* Value)
{
    if (!KivSetReference(this, FLevel, Value))
        return;
    Invalidate();
}

void TKivTotalvarLabel::SetAutoLevel(bool Value)
{
    if (Value == FAutoLevel)
        return;
    FAutoLevel = Value;
    Invalidate();
}

void TKivTotalvarLabel::SetTotalType(TKivTotalType Value)
{
    if (Value == FTotalType)
        return;
    FTotalType = Value;
    Invalidate();
}

TKivLevel* TKivTotalvarLabel::ReadLevel() const
{
    auto* Band = dynamic_cast<TKivBand*>(Parent());
    if (Band && (FAutoLevel || !FLevel))
        return Band->UpdateLevel();
    return FLevel;
}

String TKivTotalvarLabel::GetDisplayText()
{
    return FTotalVariable ? FTotalVariable->Name() : String("Fill in variable.");
}

String TKivTotalvarLabel::GetDataNow()
{
    if (!FTotalVariable)
        return GetDisplayText();
    if (ComponentState().Contains(csDesigning) || !FTotalVariable->Initialized()) {
        if (!FTotalVariable->Initialized())
            FTotalVariable->Initialize();
        if (!FTotalVariable->Active())
            return GetDisplayText();
    }
    const TKivLevel* Level = ReadLevel();
    if (!Level)
        throw Exception("The total label " + Name() + " has no level to read " + FTotalVariable->Name() + " at");
    return FDataFormat->FormatAsString(FTotalVariable->Getlevel(Level->Level(), FTotalType));
}

void TKivTotalvarLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TKivLabel::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FTotalVariable)
        FTotalVariable = nullptr;
    if (AComponent == FLevel)
        FLevel = nullptr;
}

void TKivTotalvarLabel::DefineProperties(TFiler& Filer)
{
    TKivLabel::DefineProperties(Filer);
    DefineLegacyAutoSize(Filer);
}

QOR_PUBLISH(TKivTotalvarLabel)
{
    using L = TKivTotalvarLabel;
    b.Property("TotalVariable", &L::TotalVariable, &L::SetTotalVariable).Default(nullptr);
    b.Property("Level", &L::Level, &L::SetLevel).Default(nullptr);
    b.Property("AutoLevel", &L::AutoLevel, &L::SetAutoLevel).Default(true);
    b.Property("TotalType", &L::TotalType, &L::SetTotalType).Default(ttSum);
    b.SubObject("DataFormat", &L::DataFormat);
    b.Property("Transparent", &L::Transparent, &L::SetTransparent).Default(true);
    b.Property("ClipType", &L::ClipType, &L::SetClipType).Default(ctDefault);
    b.Property("AlignVertical", &L::AlignVertical, &L::SetVerticalAlign).Default(laBottom);
    b.Property("AlignHorizontal", &L::AlignHorizontal, &L::SetHorizontalAlign).Default(laRight);
    b.Property("BorderType", &L::BorderType, &L::SetBorderType).Default(btNone);
    b.Property("RotateFont", &L::RotateFont, &L::SetRotateFont).Default(TKivRotateFont(0));
    b.Property("Shade", &L::Shade, &L::SetShade).Default(spNone);
    b.Property("BorderMargin", &L::BorderMargin, &L::SetBorderMargin).Default(2);
}

} // namespace qor
