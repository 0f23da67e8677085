#include "runtime/engine/KivDSGuide.h"

#include "runtime/engine/KivReference.h"
#include "runtime/engine/KivVarBase.h"
#include "runtime/engine/QorDS.h"

namespace qor {

void TQorDataLink::ActiveChanged()
{
    TDataLink::ActiveChanged();
    if (!FGuide || !FGuide->ComponentState().Contains(csDesigning))
        return;
    if (IKivPage* P = FGuide->Page(); P && !P->PageDestroying())
        P->Redraw();
}

TKivDSGuide::TKivDSGuide(TComponent* AOwner) : TControl(AOwner), FDataLink(std::make_unique<TQorDataLink>())
{
    FDataLink->SetGuide(this);
}

TKivDSGuide::~TKivDSGuide()
{
    FDataLink->SetGuide(nullptr);
    FDataLink->SetDataSource(nullptr);
    if (IKivPage* P = Page())
        P->RemoveDataSourceGuide(this);
}

TDataSource* TKivDSGuide::GetDataSource() const { return FDataLink->DataSource(); }

void TKivDSGuide::SetDataSource(TDataSource* Value) { KivSetLinkSource(FDataLink.get(), this, Value); }

void TKivDSGuide::SetUpdateLevel(TKivLevel* Level)
{
    if (Level == FUpdateLevel)
        return;
    KivSetReference<TKivLevel>(this, FUpdateLevel, nullptr);
    AssignLevel(Level);
}

void TKivDSGuide::AssignLevel(TKivLevel* Level)
{
    IKivPage* P = Page();
    const bool Destroying = !P || P->PageDestroying();
    if (!Level && !Destroying)
        Level = P->DetailLevel();
    KivSetReference(this, FUpdateLevel, Level);
    if (!Destroying) {
        P->PostUpdateVarlist();
        P->VarChanged();
    }
}

void TKivDSGuide::SetCreateVariables(bool Value)
{
    if (Value == FCreateVariables)
        return;
    FCreateVariables = Value;
    if (IKivPage* P = Page(); P && !P->PageDestroying())
        P->VarChanged();
}

void TKivDSGuide::SetParent(TWinControl* AParent)
{
    if (AParent == Parent())
        return;
    IKivPage* NewPage = nullptr;
    if (AParent) {
        NewPage = dynamic_cast<IKivPage*>(AParent);
        if (!NewPage || !NewPage->IsGroupPage())
            Abort();
    }
    if (IKivPage* Old = Page())
        Old->RemoveDataSourceGuide(this);
    if (NewPage)
        NewPage->InsertDataSourceGuide(this);
    TControl::SetParent(AParent);
}

void TKivDSGuide::Notification(TComponent* AComponent, TOperation Operation)
{
    TControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FUpdateLevel) {
        FUpdateLevel = nullptr;
        AssignLevel(nullptr);
    }
    if (FDataLink && AComponent == FDataLink->DataSource())
        FDataLink->SetDataSource(nullptr);
}

QOR_PUBLISH(TQorDataLink) {}

QOR_PUBLISH(TKivDSGuide)
{
    b.Property("DataSource", &TKivDSGuide::DataSource, &TKivDSGuide::SetDataSource).Default(nullptr);
    b.Property("UpdateLevel", &TKivDSGuide::UpdateLevel, &TKivDSGuide::SetUpdateLevel).Default(nullptr);
    b.Property("CreateVariables", &TKivDSGuide::CreateVariables, &TKivDSGuide::SetCreateVariables).Default(true);
}

QOR_PUBLISH(TKivDataSourceGuide) {}

} // namespace qor
