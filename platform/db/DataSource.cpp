#include "platform/db/DataSource.h"

#include "platform/db/internal/DataSetInternals.h"
#include "platform/db/internal/Snapshot.h"

#include <algorithm>

namespace qor {

// ---- TDataSource ------------------------------------------------------------------------------------

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource()
{
    for (TDataLink* L : std::vector<TDataLink*>(FDataLinks))
        L->SetDataSource(nullptr);
    if (FDataSet) {
        TDataSetInternals::RemoveDataSource(*FDataSet, this);
        FDataSet->RemoveFreeNotification(this);
        FDataSet = nullptr;
    }
}

void TDataSource::SetDataSet(TDataSet* Value)
{
    if (Value == FDataSet)
        return;
    if (FDataSet) {
        TDataSetInternals::RemoveDataSource(*FDataSet, this);
        FDataSet->RemoveFreeNotification(this);
    }
    FDataSet = Value;
    if (FDataSet) {
        TDataSetInternals::AddDataSource(*FDataSet, this);
        FDataSet->FreeNotification(this);
    }
    UpdateState();
    NotifyLinks(deUpdateState, nullptr, 0);
    if (FDataSet && FDataSet->Active())
        NotifyLinks(deDataSetChange, nullptr, 0);
}

void TDataSource::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    UpdateState();
    NotifyLinks(deUpdateState, nullptr, 0);
}

void TDataSource::DataSetGone()
{
    FDataSet = nullptr;
    UpdateState();
    NotifyLinks(deUpdateState, nullptr, 0);
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSet)
        SetDataSet(nullptr);
}

void TDataSource::UpdateState()
{
    const TDataSetState NewState = FEnabled && FDataSet ? FDataSet->State() : dsInactive;
    if (NewState == FState)
        return;
    FState = NewState;
    if (OnStateChange)
        OnStateChange(this);
}

void TDataSource::DataEvent(TDataEvent Event, TField* Field, Integer Info)
{
    if (Event == deUpdateState)
        UpdateState();
    if (!FEnabled)
        return;
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange)
            OnDataChange(this, Event == deFieldChange ? Field : nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData)
            OnUpdateData(this);
        break;
    default:
        break;
    }
    NotifyLinks(Event, Field, Info);
}

void TDataSource::NotifyLinks(TDataEvent Event, TField* Field, Integer Info)
{
    // A link that left while the others heard is not told; while none left, none is looked for.
    const std::size_t Removals = FLinkRemovals;
    for (TDataLink* L : TSnapshot<TDataLink>(FDataLinks))
        if (Removals == FLinkRemovals || std::find(FDataLinks.begin(), FDataLinks.end(), L) != FDataLinks.end())
            L->DataEvent(Event, Field, Info);
}

void TDataSource::AddDataLink(TDataLink* Link)
{
    if (std::find(FDataLinks.begin(), FDataLinks.end(), Link) == FDataLinks.end())
        FDataLinks.push_back(Link);
}

void TDataSource::RemoveDataLink(TDataLink* Link)
{
    ++FLinkRemovals;
    FDataLinks.erase(std::remove(FDataLinks.begin(), FDataLinks.end(), Link), FDataLinks.end());
}

// ---- TDataLink --------------------------------------------------------------------------------------

TDataLink::~TDataLink()
{
    if (FDataSource)
        FDataSource->RemoveDataLink(this);
    FDataSource = nullptr;
}

void TDataLink::SetDataSource(TDataSource* Value)
{
    if (Value == FDataSource)
        return;
    if (FDataSource)
        FDataSource->RemoveDataLink(this);
    FDataSource = Value;
    if (FDataSource)
        FDataSource->AddDataLink(this);
    UpdateActive();
    UpdateEditing();
}

void TDataLink::UpdateActive()
{
    const bool NewActive = FDataSource && FDataSource->State() != dsInactive;
    if (NewActive == FActive)
        return;
    FActive = NewActive;
    ActiveChanged();
}

void TDataLink::UpdateEditing()
{
    const bool NewEditing =
        FDataSource && (FDataSource->State() == dsEdit || FDataSource->State() == dsInsert);
    if (NewEditing == FEditing)
        return;
    FEditing = NewEditing;
    EditingChanged();
}

void TDataLink::DataEvent(TDataEvent Event, TField* Field, Integer Info)
{
    switch (Event) {
    case deUpdateState:
        UpdateActive();
        UpdateEditing();
        break;
    case deFieldChange:
    case deRecordChange:
        if (FActive)
            RecordChanged(Field);
        break;
    case deDataSetChange:
        if (FActive)
            DataSetChanged();
        break;
    case deDataSetScroll:
        if (FActive)
            DataSetScrolled(Info);
        break;
    case deLayoutChange:
        if (FActive)
            LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateData();
        break;
    default:
        break;
    }
}

// ---- TFieldDataLink ---------------------------------------------------------------------------------

void TFieldDataLink::SetFieldName(const String& Value)
{
    if (Value == FFieldName)
        return;
    FFieldName = Value;
    UpdateField();
}

void TFieldDataLink::UpdateField()
{
    TField* NewField = nullptr;
    if (Active() && !FFieldName.empty())
        NewField = DataSet()->FindField(FFieldName);
    if (NewField == FField)
        return;
    FField = NewField;
    if (OnDataChange)
        OnDataChange(this);
}

void TFieldDataLink::ActiveChanged()
{
    UpdateField();
    if (OnActiveChange)
        OnActiveChange(this);
}

void TFieldDataLink::EditingChanged()
{
    if (OnEditingChange)
        OnEditingChange(this);
}

void TFieldDataLink::LayoutChanged()
{
    UpdateField();
    TDataLink::LayoutChanged();
}

void TFieldDataLink::RecordChanged(TField* Field)
{
    if (Field == nullptr || Field == FField) {
        if (OnDataChange)
            OnDataChange(this);
    }
}

void TFieldDataLink::UpdateData()
{
    if (OnUpdateData)
        OnUpdateData(this);
}

QOR_PUBLISH(TDataSource)
{
    b.Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet).Default(nullptr);
    b.Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(true);
    b.Event("OnDataChange", &TDataSource::OnDataChange);
    b.Event("OnStateChange", &TDataSource::OnStateChange);
    b.Event("OnUpdateData", &TDataSource::OnUpdateData);
}

QOR_PUBLISH(TDataLink) {}
QOR_PUBLISH(TFieldDataLink) {}

} // namespace qor
