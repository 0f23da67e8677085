#include "runtime/engine/KivBandKinds.h"

#include "platform/db/DataSet.h"
#include "platform/rtl/Filer.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/QorDS.h"

namespace qor {

// ---- Attachment ----------------------------------------------------------------------------------

TKivAttachedBand::~TKivAttachedBand()
{
    if (FGroupPage)
        (FGroupPage->*FLeave)(this);
    FGroupPage = nullptr;
}

TKivBand* TKivAttachedBand::GetMainBand()
{
    // An unattached kind, or a chain that comes back to itself, stops at the band itself.
    TKivBand* B = Band();
    for (Integer Depth = 0; B && B != this && Depth < 64; ++Depth) {
        auto* Kind = dynamic_cast<TKivAttachedBand*>(B);
        if (!Kind || dynamic_cast<TKivOverlayBand*>(B))
            return B;
        if (!Kind->Band())
            return Kind;
        B = Kind->Band();
    }
    return this;
}

void TKivAttachedBand::SetAttachedBand(TKivBand* Value)
{
    TKivBand* Attached = Band();
    if (KivSetReference(this, Attached, Value))
        SetBand(Attached);
}

void TKivAttachedBand::SetParent(TWinControl* AParent)
{
    if (AParent == Parent())
        return;
    auto* NewPage = dynamic_cast<IKivGroupPage*>(AParent);
    if (AParent && !(NewPage && NewPage->TakesGroups()))
        Abort();
    if (FGroupPage)
        (FGroupPage->*FLeave)(this);
    FGroupPage = NewPage;
    FLeave = LeaveOp();
    if (FGroupPage) {
        (FGroupPage->*JoinOp())(this);
        SetCaption(" ");
    }
    TKivBand::SetParent(AParent);
}

void TKivAttachedBand::Notification(TComponent* AComponent, TOperation Operation)
{
    TKivBand::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Band())
        SetBand(nullptr);
}

void TKivAttachedBand::Reorder()
{
    auto* P = dynamic_cast<IKivBandPage*>(Page());
    if (P && ComponentState().Contains(csDesigning) && !ComponentState().Contains(csReading)) {
        P->OrderBands();
        P->ArrangeBands();
    }
}

void TKivSubBand::SetAbove(bool Value)
{
    if (Value == FAbove)
        return;
    FAbove = Value;
    Reorder();
}

void TKivOverlayBand::SetFirst(bool Value)
{
    if (Value == FFirst)
        return;
    FFirst = Value;
    Reorder();
}

// ---- Sub-data band -------------------------------------------------------------------------------

TKivSubDataBand::TKivSubDataBand(TComponent* AOwner)
    : TKivAttachedBand(AOwner), FDataLink(std::make_unique<TDataLink>())
{
}

TKivSubDataBand::~TKivSubDataBand() { KivSetLinkSource(FDataLink.get(), this, nullptr); }

void TKivSubDataBand::SetDataSource(TDataSource* Value) { KivSetLinkSource(FDataLink.get(), this, Value); }

void TKivSubDataBand::SetNewPageRepeat(bool Value)
{
    const TComponentState& S = ComponentState();
    if (Value && S.Contains(csDesigning) && !S.Contains(csLoading) && !S.Contains(csReading)) {
        TKivAttachedBand::SetNewPageRepeat(false);
        ShowMessage("Look in the help on how to set repeat on a subdata band.");
        return;
    }
    TKivAttachedBand::SetNewPageRepeat(Value);
}

TDataSet* TKivSubDataBand::DataSet() const { return DataSource() ? DataSource()->DataSet() : nullptr; }

void TKivSubDataBand::SetDataSet(TDataSet* Value)
{
    if (!Value)
        KivSetReference<TDataSet>(this, FDataSet, nullptr);
}

void TKivSubDataBand::Notification(TComponent* AComponent, TOperation Operation)
{
    TKivAttachedBand::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FDataSet)
        FDataSet = nullptr;
    if (AComponent == DataSource()) {
        SetDataSource(nullptr);
        KivSetReference<TDataSet>(this, FDataSet, nullptr);
    }
}

void TKivSubDataBand::DefineProperties(TFiler& Filer)
{
    TKivAttachedBand::DefineProperties(Filer);
    // Older forms named the data set itself; it is read and dropped.
    Filer.DefineProperty(
        "DataSet", [](TReader& R) { R.ReadIdent(); }, nullptr, false);
}

bool TKivSubDataBand::DoOnDataFilter()
{
    bool Result = false;
    OnDataFilter(this, Result);
    return Result;
}

void TKivSubDataBand::AfterDataSkip()
{
    if (OnAfterDataSkip)
        KivReportAndGoOn(this, [this] { OnAfterDataSkip(this); });
}

void TKivSubDataBand::ActivateDataSource()
{
    if (auto* P = dynamic_cast<IKivPage*>(Parent()))
        P->DataSourceManager()->RequireDataSource(DataSource());
}

void TKivSubDataBand::DataStart()
{
    FDataIsFinished = false;
    try {
        TDataSet* DS = DataSet();
        KivSetReference(this, FDataSet, DS);
        if (OnDataStart) {
            OnDataStart(this);
        } else if (DS) {
            ActivateDataSource();
            if (FDataRange == drSingleRecord) {
                FDataIsFinished = DS->Eof();
                if (!FDataIsFinished && OnDataFilter)
                    FDataIsFinished = !DoOnDataFilter();
                if (!FDataIsFinished)
                    AfterDataSkip();
                return;
            }
            DS->First();
            FDataIsFinished = DS->Eof();
        } else {
            FDataIsFinished = true;
            return;
        }
        if (FDataIsFinished)
            return;
        if (!Accepted())
            DataSkip();
        else
            AfterDataSkip();
    } catch (...) {
        FDataIsFinished = true;
        Application()->HandleException(this);
    }
}

void TKivSubDataBand::DataSkip()
{
    try {
        if (OnDataSkip) {
            do
                OnDataSkip(this);
            while (!FDataIsFinished && !Accepted());
            if (!FDataIsFinished)
                AfterDataSkip();
        } else if (TDataSet* DS = DataSet()) {
            if (FDataRange == drSingleRecord) {
                FDataIsFinished = true;
            } else {
                DS->Next();
                while (!DS->Eof() && !Accepted())
                    DS->Next();
                FDataIsFinished = DS->Eof();
                if (!FDataIsFinished)
                    AfterDataSkip();
            }
        } else {
            FDataIsFinished = true;
        }
    } catch (...) {
        Application()->HandleException(this);
    }
    KivPumpMessages();
}

void TKivSubDataBand::DataFinish()
{
    KivReportAndGoOn(this, [this] {
        if (OnDataFinish)
            OnDataFinish(this);
        else if (TDataSet* DS = DataSet(); DS && FCloseDataSet)
            DS->SetActive(false);
    });
}

// ---- Published properties ------------------------------------------------------------------------

QOR_PUBLISH(TKivAttachedBand) { (void)b; }

QOR_PUBLISH(TKivSubBand)
{
    using B = TKivSubBand;
    b.Property("Band", &B::Band, &B::SetAttachedBand).Default(nullptr);
    b.Property("Above", &B::Above, &B::SetAbove).Default(false);
}

QOR_PUBLISH(TKivOverlayBand)
{
    using B = TKivOverlayBand;
    b.Property("First", &B::First, &B::SetFirst).Default(true);
    b.Property("TopOffset", &B::TopOffset, &B::SetTopOffset).Default(0);
    b.Property("LeftOffset", &B::LeftOffset, &B::SetLeftOffset).Default(0);
    b.Property("UseMargins", &B::UseMargins, &B::SetUseMargins).Default(true);
}

QOR_PUBLISH(TKivSubDataBand)
{
    using B = TKivSubDataBand;
    b.Property("Band", &B::Band, &B::SetAttachedBand).Default(nullptr);
    b.Property("DataSource", &B::DataSource, &B::SetDataSource).Default(nullptr);
    b.Property("DataRange", &B::DataRange, &B::SetDataRange).Default(drAllRecords);
    b.Property("CloseDataSet", &B::CloseDataSet, &B::SetCloseDataSet).Default(false);
    b.Property("DataSet", &B::DataSet, &B::SetDataSet).Obsolete();
    b.Event("OnDataStart", &B::OnDataStart);
    b.Event("OnDataSkip", &B::OnDataSkip);
    b.Event("OnDataFinish", &B::OnDataFinish);
    b.Event("OnAfterDataSkip", &B::OnAfterDataSkip);
    b.Event("OnDataFilter", &B::OnDataFilter);
}

QOR_PUBLISH(TKivDataHeadBand)
{
    using B = TKivDataHeadBand;
    b.Property("Band", &B::Band, &B::SetAttachedBand).Default(nullptr);
}

QOR_PUBLISH(TKivDataFootBand) { (void)b; }

} // namespace qor
