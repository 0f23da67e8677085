#pragma once
// A stand-in for a group page: the report page stand-in that also takes bands and groups, keeping
// them in lists in the order they arrive.

#include "engine/StandInPage.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivGroup.h"

namespace qor::test {

class TStandInGroupPage : public TStandInPage, public IKivBandPage, public IKivGroupPage {
public:
    explicit TStandInGroupPage(TComponent* AOwner) : TStandInPage(AOwner) {}

    bool TakesGroups() const override { return true; }

    void InsertGroup(TKivGroup* Group) override { Groups.push_back(Group); }
    void RemoveGroup(TKivGroup* Group) override
    {
        Groups.erase(std::remove(Groups.begin(), Groups.end(), Group), Groups.end());
    }

    void InsertSubBand(TKivBand*) override {}
    void RemoveSubBand(TKivBand*) override {}
    void InsertOverLayBand(TKivBand*) override {}
    void RemoveOverLayBand(TKivBand*) override {}
    void InsertSubDataBand(TKivBand*) override {}
    void RemoveSubDataBand(TKivBand*) override {}
    void InsertDataHFBand(TKivBand*) override {}
    void RemoveDataHFBand(TKivBand*) override {}

    void InsertBand(TKivBand* Band) override { PageBands.push_back(Band); }
    void RemoveBand(TKivBand* Band) override
    {
        PageBands.erase(std::remove(PageBands.begin(), PageBands.end(), Band), PageBands.end());
    }
    void InsertPageLabel(TKivLabel*) override {}
    void RemovePageLabel(TKivLabel*) override {}
    void OrderBands() override {}
    void ArrangeBands() override {}
    bool ArrangingBands() const override { return false; }
    Integer PageWidth() const override { return 700; }
    Double LeftMargin() const override { return 0.5; }
    Double PrintWidthInches() const override { return 7.5; }
    bool PageInRange() const override { return true; }
    bool AtPageTop() const override { return false; }
    bool FirstNewPage() const override { return false; }
    TQorDestination OutputDest() const override { return qdQorFile; }
    void SetOutputDest(TQorDestination) override {}

    std::vector<TKivGroup*> Groups;
    std::vector<TKivBand*> PageBands;
};

} // namespace qor::test
