#pragma once
// A stand-in for the page bands sit on: keeps its band and label lists, hands out the print
// position, the page's width, margin and print range, and records where the output goes.

#include "engine/StandInBand.h"
#include "runtime/output/QorOut.h"

#include <algorithm>
#include <vector>

namespace qor::test {

class TStandInBandPage : public TStandInPrintPage, public IKivBandPage {
public:
    explicit TStandInBandPage(TQorCanvas* Canvas = nullptr) : TStandInPrintPage(Canvas) {}

    void InsertBand(TKivBand* Band) override { Bands.push_back(Band); }
    void RemoveBand(TKivBand* Band) override
    {
        Bands.erase(std::remove(Bands.begin(), Bands.end(), Band), Bands.end());
    }
    void InsertPageLabel(TKivLabel* Label) override { PageLabels.push_back(Label); }
    void RemovePageLabel(TKivLabel* Label) override
    {
        PageLabels.erase(std::remove(PageLabels.begin(), PageLabels.end(), Label), PageLabels.end());
    }
    void OrderBands() override { ++OrderCount; }
    void ArrangeBands() override { ++ArrangeCount; }
    bool ArrangingBands() const override { return Arranging; }
    Integer PageWidth() const override { return Width_; }
    Double LeftMargin() const override { return Margin; }
    Double PrintWidthInches() const override { return PrintWidth; }
    bool PageInRange() const override { return InRange; }
    bool AtPageTop() const override { return AtTop; }
    bool FirstNewPage() const override { return FirstNew; }
    TQorDestination OutputDest() const override { return Dest; }
    void SetOutputDest(TQorDestination Value) override
    {
        Dest = Value;
        Dests.push_back(Value);
    }

    std::vector<TKivBand*> Bands;
    std::vector<TKivLabel*> PageLabels;
    Integer OrderCount = 0;
    Integer ArrangeCount = 0;
    bool Arranging = false;
    Integer Width_ = 700;
    Double Margin = 0.5;
    Double PrintWidth = 7.5;
    bool InRange = true;
    bool AtTop = false;
    bool FirstNew = false;
    TQorDestination Dest = qdQorFile;
    std::vector<TQorDestination> Dests;
};

} // namespace qor::test
