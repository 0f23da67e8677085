#pragma once
// A small horizontal progress bar with its percentage written across it: the viewer shows how much
// of a page file has arrived with it, the print status window how far a report has got.

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace qor {

enum TQorMeterStyle : Byte { msHorizontal };
QOR_ENUM_NAMES(TQorMeterStyle, "msHorizontal");

class TQorMeter : public TPaintBox {
    QOR_CLASS(TQorMeter, TPaintBox)
public:
    explicit TQorMeter(TComponent* AOwner);

    // Every setter repaints only when the value changes.
    TColor MeterColor() const { return FMeterColor; }
    void SetMeterColor(TColor Value);
    TColor BackGroundColor() const { return FBackGroundColor; }
    void SetBackGroundColor(TColor Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TQorMeterStyle Style() const { return FStyle; }
    void SetStyle(TQorMeterStyle Value);
    Integer Min() const { return FMin; }
    void SetMin(Integer Value);
    Integer Max() const { return FMax; }
    void SetMax(Integer Value);
    Integer Progress() const { return FProgress; }
    void SetProgress(Integer Value);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool Value);

    // How much of Min..Max Progress covers, 0 to 1.
    Double Fraction() const;
    // The text shown: the fraction in percent with one decimal, "50.0%".
    String PercentText() const;

protected:
    void Paint() override;

private:
    template <class T>
    void Change(T& Field, const T& Value);

    TColor FMeterColor = clRed;
    TColor FBackGroundColor = clWhite;
    TBorderStyle FBorderStyle = bsSingle;
    TQorMeterStyle FStyle = msHorizontal;
    Integer FMin = 0;
    Integer FMax = 100;
    Integer FProgress = 0;
    bool FShowText = true;
};

} // namespace qor
