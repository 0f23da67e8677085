#pragma once
// A stand-in for the report page: keeps the levels, variables, totals and guides placed on it,
// runs the level operations the page engine runs, and records what it was told.

#include "platform/ui/Controls.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivVar.h"
#include "runtime/engine/QorDS.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace qor::test {

class TStandInPage : public TWinControl, public IKivPage {
public:
    explicit TStandInPage(TComponent* AOwner, bool GroupPage = true) : TWinControl(AOwner), FGroupPage(GroupPage) {}
    ~TStandInPage() override { FDestroying = true; }

    bool IsGroupPage() const override { return FGroupPage; }
    bool PageDestroying() const override { return FDestroying; }

    void InsertLevel(TKivLevel* Level) override { Add(Levels_, Level); }
    void RemoveLevel(TKivLevel* Level) override { Remove(Levels_, Level); }
    Integer LevelCount() const override { return static_cast<Integer>(Levels_.size()); }
    TKivLevel* Levels(Integer Index) const override { return Levels_.at(static_cast<std::size_t>(Index)); }
    const std::vector<TKivLevel*>* LevelsInOrder() const override { return &Levels_; }

    void InsertVar(TKivVar* Var) override
    {
        Add(Vars, Var);
        if (auto* T = dynamic_cast<TKivTotalvar*>(Var))
            Add(Totals, T);
    }
    void RemoveVar(TKivVar* Var) override
    {
        Remove(Vars, Var);
        Totals.erase(std::remove_if(Totals.begin(), Totals.end(),
                                    [Var](TKivTotalvar* T) { return static_cast<TKivVar*>(T) == Var; }),
                     Totals.end());
    }
    void VarChanged() override { ++VarChangedCount; }
    void UpdatePageManager() override { ++PageManagerCount; }
    void PostUpdateVarlist() override { ++PostUpdateCount; }
    TQorDataSourceManager* DataSourceManager() override { return &Manager; }

    TKivLevel* DetailLevel() const override { return Detail; }
    TKivLevel* HeadLevel() const override { return Head; }
    TKivLevel* PageHeadLevel() const override { return PageHead; }

    void InsertDataSourceGuide(TKivDSGuide* Guide) override { Add(Guides, Guide); }
    void RemoveDataSourceGuide(TKivDSGuide* Guide) override { Remove(Guides, Guide); }
    void Redraw() override { ++RedrawCount; }

    bool HasBandList() const override { return BandList; }
    Integer BandCount() const override { return static_cast<Integer>(Bands_.size()); }
    TControl* Bands(Integer Index) const override { return Bands_.at(static_cast<std::size_t>(Index)); }
    bool HasBorder() const override { return Border; }
    TWinControl* PageControl() override { return this; }

    // The start of a run as the page engine does it: levels numbered, plain variables first, then
    // data-set variables and totals, each running and initialised.
    void StartRun()
    {
        for (std::size_t I = 0; I < Levels_.size(); ++I)
            Levels_[I]->SetLevel(static_cast<Integer>(I));
        for (bool Second : {false, true})
            for (TKivVar* V : Vars)
                if ((dynamic_cast<TKivDBVar*>(V) || dynamic_cast<TKivTotalvar*>(V)) == Second) {
                    V->SetRunning(true);
                    V->Initialize();
                }
    }
    void EndRun()
    {
        for (TKivVar* V : Vars)
            V->SetRunning(false);
        Manager.CloseDataSources();
    }
    void UpdateDataLevel(TKivLevel* L) { KivUpdateDataLevel(Vars, L); }
    void ResetDataLevel(TKivLevel* L) { KivResetDataLevel(Vars, L); }
    void ReverseUpdateDataLevel(TKivLevel* L) { KivReverseUpdateDataLevel(Vars, L); }
    void ResetTotalLevel(TKivLevel* L) { KivResetTotalLevel(Totals, L); }

    std::vector<TKivLevel*> Levels_;
    std::vector<TKivVar*> Vars;
    std::vector<TKivTotalvar*> Totals;
    std::vector<TKivDSGuide*> Guides;
    std::vector<TControl*> Bands_;
    TQorDataSourceManager Manager;
    TKivLevel* Detail = nullptr;
    TKivLevel* Head = nullptr;
    TKivLevel* PageHead = nullptr;
    bool BandList = true;
    bool Border = false;
    Integer VarChangedCount = 0;
    Integer PageManagerCount = 0;
    Integer PostUpdateCount = 0;
    Integer RedrawCount = 0;

private:
    template <class T>
    static void Add(std::vector<T*>& List, T* Item)
    {
        if (std::find(List.begin(), List.end(), Item) == List.end())
            List.push_back(Item);
    }
    template <class T>
    static void Remove(std::vector<T*>& List, T* Item)
    {
        List.erase(std::remove(List.begin(), List.end(), Item), List.end());
    }

    bool FGroupPage;
    bool FDestroying = false;
};

} // namespace qor::test
