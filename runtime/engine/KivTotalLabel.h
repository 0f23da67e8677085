#pragma once
// The total label: prints what a total variable has gathered at one level (the level of the band it
// sits on, by default): its sum, count, minimum, maximum, average or last value.

#include "runtime/engine/KivCtrl.h"
#include "runtime/engine/KivData.h"

#include <memory>

namespace qor {

class TKivFloatFormat;
class TKivLevel;
class TKivTotalvar;

class TKivTotalvarLabel : public TKivLabel {
    QOR_CLASS(TKivTotalvarLabel, TKivLabel)
public:
    explicit TKivTotalvarLabel(TComponent* AOwner);
    ~TKivTotalvarLabel() override;

    TKivTotalvar* TotalVariable() const { return FTotalVariable; }
    void SetTotalVariable(TKivTotalvar* Value);
    // The level read when AutoLevel is off; the band's update level otherwise (or when unset).
    TKivLevel* Level() const { return FLevel; }
    void SetLevel(TKivLevel* Value);
    bool AutoLevel() const { return FAutoLevel; }
    void SetAutoLevel(bool Value);
    TKivTotalType TotalType() const { return FTotalType; }
    void SetTotalType(TKivTotalType Value);
    TKivFloatFormat* DataFormat() const { return FDataFormat.get(); }

    // The level the label reads: null when there is none to read.
    TKivLevel* ReadLevel() const;
    // The formatted total, or the display text while designing or before the total is active.
    String GetDataNow() override;
    // The total variable's name, or "Fill in variable.".
    String GetDisplayText() override;

    void DefineProperties(TFiler& Filer) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TKivTotalvar* FTotalVariable = nullptr;
    bool FAutoLevel = true;
    TKivLevel* FLevel = nullptr;
    TKivTotalType FTotalType = ttSum;
    std::unique_ptr<TKivFloatFormat> FDataFormat;
};

} // namespace qor
