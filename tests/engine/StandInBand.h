#pragma once
// Stand-ins for the band a label sits on and the page it prints on: the band keeps its label list
// and resolution, the page hands out the band's position, its output canvas and settings, and
// records what the label tells the designer's rulers.

#include "platform/ui/Controls.h"
#include "runtime/engine/KivPageIntf.h"

#include <algorithm>
#include <vector>

namespace qor::test {

class TStandInBand : public TWinControl, public IKivBand {
public:
    explicit TStandInBand(TComponent* AOwner = nullptr, Integer PPI = 96) : TWinControl(AOwner), PPI(PPI) {}

    void InsertLabel(TKivLabel* Label) override { Labels.push_back(Label); }
    void RemoveLabel(TKivLabel* Label) override
    {
        Labels.erase(std::remove(Labels.begin(), Labels.end(), Label), Labels.end());
    }
    Integer GetPPI() const override { return PPI; }

    std::vector<TKivLabel*> Labels;
    Integer PPI;
};

class TStandInPrintPage : public TWinControl, public IKivPrintPage {
public:
    explicit TStandInPrintPage(TQorCanvas* Canvas = nullptr) : TWinControl(nullptr), Canvas(Canvas) {}

    Integer XPos() const override { return X; }
    Integer YPos() const override { return Y; }
    TQorCanvas* OutputCanvas() override { return Canvas; }
    bool ClipLabels() const override { return Clip; }
    Integer GetPPI() const override { return PPI; }
    bool Printing() const override { return PrintingNow; }
    void RulerXY(Integer RX, Integer RY) override { Rulers.push_back(TPoint(RX, RY)); }

    TQorCanvas* Canvas;
    Integer X = 0;
    Integer Y = 0;
    bool Clip = false;
    Integer PPI = 96;
    bool PrintingNow = false;
    std::vector<TPoint> Rulers;
};

} // namespace qor::test
