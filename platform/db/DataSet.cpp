#include "platform/db/DataSet.h"

#include "platform/db/internal/Snapshot.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"

#include <algorithm>
#include <cstdint>

namespace qor {

void DatabaseError(const String& Message, const TComponent* Component)
{
    if (Component)
        throw EDatabaseError((Component->Name().empty() ? Component->ClassName() : Component->Name()) + ": " +
                             Message);
    throw EDatabaseError(Message);
}

// ---- TFieldDef / TFieldDefs ------------------------------------------------------------------------

TFieldDef::TFieldDef(TFieldDefs* Owner, const String& Name, TFieldType DataType, Integer Size, bool Required,
                     Integer FieldNo)
    : FOwner(Owner), FName(Name), FDataType(DataType), FSize(Size), FRequired(Required), FFieldNo(FieldNo)
{
}

TField* TFieldDef::CreateField(TComponent* Owner) const { return MakeField(Owner, true); }

TField* TFieldDef::MakeField(TComponent* Owner, bool Attach) const
{
    std::unique_ptr<TField> F(CreateFieldOfType(FDataType, Owner)); // freed (and so leaves Owner) on failure
    F->SetFieldName(FName);
    if (FSize > 0)
        F->SetSize(FSize);
    F->SetRequired(FRequired);
    if (FPrecision > 0) {
        if (auto* Fl = dynamic_cast<TFloatField*>(F.get()))
            Fl->SetPrecision(FPrecision);
        else if (auto* D = dynamic_cast<TDecimalField*>(F.get()))
            D->SetPrecision(FPrecision);
    }
    if (FOwner && FOwner->DataSet() && Attach)
        F->SetDataSet(FOwner->DataSet());
    return F.release();
}

TFieldDef* TFieldDefs::Items(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FItems[static_cast<std::size_t>(Index)].get();
}

TFieldDef* TFieldDefs::Add(const String& Name, TFieldType DataType, Integer Size, bool Required)
{
    if (Name.empty())
        DatabaseError("Field name missing", FDataSet);
    if (!FIndex.try_emplace(AnsiSameTextKey(Name), Count()).second)
        DatabaseError("Duplicate field name '" + Name + "'", FDataSet);
    FItems.push_back(std::make_unique<TFieldDef>(this, Name, DataType, Size, Required, Count() + 1));
    return FItems.back().get();
}

void TFieldDefs::Clear()
{
    FItems.clear();
    FIndex.clear();
}

Integer TFieldDefs::IndexOf(const String& Name) const
{
    const auto It = FIndex.find(AnsiSameTextKey(Name));
    return It == FIndex.end() ? -1 : It->second;
}

TFieldDef* TFieldDefs::FindDef(const String& Name) const
{
    const Integer i = IndexOf(Name);
    return i >= 0 ? FItems[static_cast<std::size_t>(i)].get() : nullptr;
}

TFieldDef* TFieldDefs::Find(const String& Name) const
{
    TFieldDef* D = FindDef(Name);
    if (!D)
        DatabaseError("Field '" + Name + "' not found", FDataSet);
    return D;
}

void TFieldDefs::Update()
{
    if (FDataSet && !FDataSet->Active())
        FDataSet->InternalInitFieldDefs();
}

void TFieldDefs::GetItemNames(TStrings* List) const
{
    List->BeginUpdate();
    List->Clear();
    for (const auto& D : FItems)
        List->Add(D->Name());
    List->EndUpdate();
}

// ---- TFields ---------------------------------------------------------------------------------------

TField* TFields::Fields(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FList[static_cast<std::size_t>(Index)];
}

Integer TFields::IndexOf(const TField* Field) const
{
    auto It = std::find(FList.begin(), FList.end(), Field);
    return It == FList.end() ? -1 : static_cast<Integer>(It - FList.begin());
}

TField* TFields::FindField(const String& Name) const
{
    for (TField* F : FList)
        if (AnsiSameText(F->FieldName(), Name))
            return F;
    return nullptr;
}

TField* TFields::FieldByName(const String& Name) const
{
    TField* F = FindField(Name);
    if (!F)
        DatabaseError("Field '" + Name + "' not found", FDataSet);
    return F;
}

TField* TFields::FieldByNumber(Integer FieldNo) const
{
    for (TField* F : FList)
        if (F->FieldNo() == FieldNo)
            return F;
    return nullptr;
}

void TFields::GetFieldNames(TStrings* List) const
{
    List->BeginUpdate();
    List->Clear();
    for (TField* F : FList)
        List->Add(F->FieldName());
    List->EndUpdate();
}

// ---- TDataSet ---------------------------------------------------------------------------------------

TDataSet::TDataSet(TComponent* AOwner)
    : TComponent(AOwner), FFields(std::make_unique<TFields>(this)), FFieldDefs(std::make_unique<TFieldDefs>(this))
{
}

TDataSet::~TDataSet()
{
    DestroyDefaultFields();
    // Fields not owned by this data set outlive it: let them go.
    for (TField* F : FFields->FList) {
        F->FDataSet = nullptr;
        F->FColumn = -1;
    }
    FFields->FList.clear();
    for (TDataSetObserver* S : std::vector<TDataSetObserver*>(FDataSources))
        S->DataSetGone();
}

void TDataSet::BeforeDestruction()
{
    // Closing quietly: events of a data set that is going away are not fired.
    if (Active()) {
        try {
            InternalClose();
        } catch (...) {
        }
        FState = dsInactive;
        FActiveStore = nullptr;
        SyncActive();
    }
    TComponent::BeforeDestruction();
}

void TDataSet::CheckActive() const
{
    if (!Active())
        Error("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckInactive() const
{
    if (Active())
        Error("Cannot perform this operation on an open dataset");
}

void TDataSet::SetActive(bool Value)
{
    if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading)) {
        FStreamedActive = Value;
        return;
    }
    if (Value)
        Open();
    else
        Close();
}

void TDataSet::Loaded()
{
    TComponent::Loaded();
    if (FStreamedActive) {
        FStreamedActive = false;
        Open();
    }
}

void TDataSet::PrepareStore()
{
    std::vector<TFieldType> Types;
    Types.reserve(static_cast<std::size_t>(FFieldDefs->Count()));
    for (Integer i = 0; i < FFieldDefs->Count(); ++i)
        Types.push_back(FFieldDefs->Items(i)->DataType());
    FStore.Reset(Types);
}

void TDataSet::Open()
{
    if (Active())
        return;
    if (BeforeOpen)
        BeforeOpen(this);
    FState = dsOpening;
    // A failed open leaves the data set as it was before: closed, without the fields it made.
    auto Abandon = [this] {
        FState = dsInactive;
        try {
            InternalClose();
        } catch (...) {
        }
        DestroyDefaultFields();
    };
    try {
        InternalOpen();
        if (FStore.ColumnCount() != FFieldDefs->Count())
            Error("The rows read do not match the field definitions");
        if (FFields->Count() == 0)
            CreateFields();
        else
            BindFields();
    } catch (const EDatabaseError& E) {
        Abandon();
        const String Prefix = Name().empty() ? String() : Name() + ": ";
        if (Prefix.empty() || E.Message().rfind(Prefix, 0) == 0)
            throw;
        throw EDatabaseError(Prefix + E.Message());
    } catch (const Exception& E) {
        Abandon();
        Error(E.Message());
    } catch (...) {
        Abandon();
        throw;
    }
    FState = dsBrowse;
    SetCurrent(FStore.RowCount() > 0 ? 0 : -1);
    FBof = true;
    FEof = FStore.RowCount() == 0;
    FSeqRecNo = FStore.RowCount() > 0 ? 1 : 0;
    FSeqMoved = false;
    DataEvent(deUpdateState);
    if (AfterOpen)
        AfterOpen(this);
    DoAfterScroll();
}

void TDataSet::Close()
{
    if (!Active())
        return;
    if (BeforeClose)
        BeforeClose(this);
    // A record being edited is dropped.
    FState = dsInactive;
    FActiveStore = nullptr;
    FCurrent = -1;
    FEof = FBof = true;
    FSeqRecNo = 0;
    FSeqMoved = false;
    InternalClose();
    DataEvent(deUpdateState);
    DestroyDefaultFields();
    if (AfterClose)
        AfterClose(this);
}

void TDataSet::InternalInitFieldDefs()
{
    // Read the source once for its columns, then let the rows go.
    InternalOpen();
    try {
        InternalClose();
    } catch (...) {
    }
}

void TDataSet::CreateFields()
{
    FDefaultFields = true;
    for (Integer i = 0; i < FFieldDefs->Count(); ++i) {
        // Owned by no component: an owner tells every component it owns of each one that comes
        // and goes, which for a data set of many columns costs the square of their count. The
        // data set frees them itself.
        TField* F = FFieldDefs->Items(i)->MakeField(nullptr, false);
        AddField(F);
        F->Bind(i);
    }
}

void TDataSet::BindFields()
{
    FDefaultFields = false;
    for (TField* F : FFields->FList) {
        const Integer i = FFieldDefs->IndexOf(F->FieldName());
        if (i < 0)
            Error("Field '" + F->FieldName() + "' not found");
        const TFieldType Def = FFieldDefs->Items(i)->DataType();
        if (StorageKindOf(Def) != StorageKindOf(F->DataType()))
            Error(String("Type mismatch for field '") + F->FieldName() + "', expecting: " +
                  (FieldTypeName(F->DataType()) + 2) + " actual: " + (FieldTypeName(Def) + 2));
        F->Bind(i);
    }
}

void TDataSet::DestroyDefaultFields()
{
    if (FDefaultFields) {
        // Detached first, so that each field does not look itself up in the list as it goes.
        std::vector<TField*> List = std::move(FFields->FList);
        FFields->FList.clear();
        for (TField* F : List) {
            F->FDataSet = nullptr;
            F->FColumn = -1;
        }
        for (TField* F : List)
            delete F;
        FDefaultFields = false;
    } else {
        for (TField* F : FFields->FList)
            F->Bind(-1);
    }
}

void TDataSet::AddField(TField* Field)
{
    FFields->FList.push_back(Field);
    Field->FDataSet = this;
}

void TDataSet::RemoveField(TField* Field)
{
    auto& L = FFields->FList;
    L.erase(std::remove(L.begin(), L.end(), Field), L.end());
    Field->FDataSet = nullptr;
    Field->FColumn = -1;
}

TField* TDataSet::FieldByName(const String& Name) const { return FFields->FieldByName(Name); }

void TDataSet::GetFieldNames(TStrings* List)
{
    if (FFields->Count() > 0) {
        FFields->GetFieldNames(List);
        return;
    }
    if (!Active())
        FFieldDefs->Update();
    FFieldDefs->GetItemNames(List);
}

// ---- navigation -------------------------------------------------------------------------------------

void TDataSet::SetCurrent(Int64 Row)
{
    FCurrent = Row;
    if (FState == dsEdit || FState == dsInsert) {
        FActiveStore = &FEditBuffer;
        FActiveRow = 0;
    } else if (Row >= 0 && Row < FStore.RowCount()) {
        FActiveStore = &FStore;
        FActiveRow = Row;
    } else {
        FActiveStore = nullptr;
        FActiveRow = 0;
    }
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    if (FState == dsEdit || FState == dsInsert)
        Post();
}

void TDataSet::DoBeforeScroll()
{
    if (BeforeScroll)
        BeforeScroll(this);
}

void TDataSet::DoAfterScroll()
{
    if (AfterScroll)
        AfterScroll(this);
}

void TDataSet::SetUniDirectional(bool Value)
{
    CheckInactive();
    FUniDirectional = Value;
}

void TDataSet::CheckBidirectional() const
{
    if (FUniDirectional)
        Error("Operation not allowed on a unidirectional dataset");
}

void TDataSet::DropCurrentRow()
{
    SetCurrent(-1);
    FEof = FBof = true;
    FSeqRecNo = 0;
    FSeqMoved = true;
    DataEvent(deDataSetChange);
}

Int64 TDataSet::FetchForward(Int64 Distance)
{
    Int64 Moved = 0;
    try {
        while (Moved < Distance && !FEof) {
            FSeqMoved = true;
            if (!FetchNextRow()) {
                FEof = true;
                break;
            }
            ++FSeqRecNo;
            ++Moved;
        }
    } catch (...) {
        DropCurrentRow();
        throw;
    }
    return Moved;
}

void TDataSet::First()
{
    CheckBrowseMode();
    DoBeforeScroll();
    try {
        // The rows already passed are gone: read them again from the top.
        if (!RefreshRows() && FUniDirectional && FSeqMoved)
            RestartRows();
    } catch (...) {
        DropCurrentRow();
        throw;
    }
    RowsReloaded();
    DoAfterScroll();
}

void TDataSet::RowsReloaded()
{
    FSeqMoved = false;
    FSeqRecNo = FStore.RowCount() > 0 ? 1 : 0;
    SetCurrent(FStore.RowCount() > 0 ? 0 : -1);
    FBof = true;
    FEof = FStore.RowCount() == 0;
    DataEvent(deDataSetChange);
}

void TDataSet::Last()
{
    CheckBrowseMode();
    DoBeforeScroll();
    if (FUniDirectional)
        FetchForward(INT64_MAX);
    SetCurrent(FStore.RowCount() - 1);
    FEof = true;
    FBof = FStore.RowCount() == 0;
    DataEvent(deDataSetChange);
    DoAfterScroll();
}

Integer TDataSet::MoveBy(Integer Distance)
{
    CheckBrowseMode();
    if (Distance == 0)
        return 0;
    if (FUniDirectional) {
        if (Distance < 0)
            CheckBidirectional();
        DoBeforeScroll();
        FBof = false;
        const auto Moved = static_cast<Integer>(FetchForward(Distance));
        SetCurrent(FStore.RowCount() > 0 ? 0 : -1);
        if (Moved != 0)
            DataEvent(deDataSetScroll, nullptr, Moved);
        DoAfterScroll();
        return Moved;
    }
    DoBeforeScroll();
    const Int64 Count = FStore.RowCount();
    Int64 Target = FCurrent + Distance;
    if (Distance > 0) {
        FBof = false;
        if (Target >= Count) {
            Target = Count - 1;
            FEof = true;
        } else {
            FEof = false;
        }
    } else {
        FEof = false;
        if (Target < 0) {
            Target = Count > 0 ? 0 : -1;
            FBof = true;
        } else {
            FBof = false;
        }
    }
    if (Count == 0)
        FEof = FBof = true;
    const Integer Moved = static_cast<Integer>(Target - FCurrent);
    SetCurrent(Target);
    if (Moved != 0)
        DataEvent(deDataSetScroll, nullptr, Moved);
    DoAfterScroll();
    return Moved;
}

void TDataSet::Next() { MoveBy(1); }

void TDataSet::Prior() { MoveBy(-1); }

bool TDataSet::IsEmpty() const { return !Active() || (FStore.RowCount() == 0 && FState != dsInsert); }

Integer TDataSet::RecordCount() const
{
    CheckActive();
    if (FUniDirectional)
        return -1;
    return static_cast<Integer>(FStore.RowCount());
}

Integer TDataSet::RecNo() const
{
    if (!Active() || FState == dsInsert)
        return 0;
    if (FUniDirectional)
        return static_cast<Integer>(FSeqRecNo);
    return static_cast<Integer>(FCurrent + 1);
}

void TDataSet::SetRecNo(Integer Value)
{
    CheckBrowseMode();
    if (FUniDirectional && Value != FSeqRecNo)
        CheckBidirectional();
    const Int64 Count = FStore.RowCount();
    if (Count == 0)
        return;
    Int64 Target = std::clamp<Int64>(Value, 1, Count) - 1;
    if (Target == FCurrent)
        return;
    DoBeforeScroll();
    const Integer Moved = static_cast<Integer>(Target - FCurrent);
    SetCurrent(Target);
    FBof = FEof = false;
    DataEvent(deDataSetScroll, nullptr, Moved);
    DoAfterScroll();
}

// ---- editing -------------------------------------------------------------------------------------

void TDataSet::SetState(TDataSetState Value)
{
    if (FState == Value)
        return;
    FState = Value;
    SetCurrent(FCurrent);
    DataEvent(deUpdateState);
}

void TDataSet::Append()
{
    CheckBrowseMode();
    if (!CanModify())
        Error("Cannot modify a read-only dataset");
    FEditBuffer.ResetColumnsFrom(FStore);
    FEditBuffer.AppendRow();
    FInsertAt = FStore.RowCount();
    FBof = false;
    FEof = true;
    SetState(dsInsert);
}

void TDataSet::Insert()
{
    CheckBrowseMode();
    if (!CanModify())
        Error("Cannot modify a read-only dataset");
    FEditBuffer.ResetColumnsFrom(FStore);
    FEditBuffer.AppendRow();
    FInsertAt = FCurrent < 0 ? 0 : FCurrent;
    SetState(dsInsert);
}

void TDataSet::Edit()
{
    CheckActive();
    if (FState == dsEdit || FState == dsInsert)
        return;
    if (!CanModify())
        Error("Cannot modify a read-only dataset");
    if (FStore.RowCount() == 0) {
        Append();
        return;
    }
    FEditBuffer.ResetColumnsFrom(FStore);
    FEditBuffer.AppendRow();
    FEditBuffer.CopyRow(FStore, FCurrent, 0);
    SetState(dsEdit);
}

void TDataSet::Post()
{
    CheckActive();
    if (FState != dsEdit && FState != dsInsert)
        return;
    for (TField* F : FFields->FList)
        if (F->Required() && F->IsNull())
            Error("Field '" + F->DisplayName() + "' must have a value");
    if (BeforePost)
        BeforePost(this);
    const bool Inserting = FState == dsInsert;
    const Int64 Row = Inserting ? FInsertAt : FCurrent;
    InternalPost(Inserting, Row);
    FState = dsBrowse;
    SetCurrent(Row);
    FEof = FBof = false;
    DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
    if (AfterPost)
        AfterPost(this);
}

void TDataSet::InternalPost(bool Inserting, Int64 Row)
{
    if (Inserting) {
        if (Row >= FStore.RowCount())
            FStore.AppendRow();
        else
            FStore.InsertRow(Row);
    }
    FStore.CopyRow(FEditBuffer, 0, Row);
}

void TDataSet::Cancel()
{
    if (FState != dsEdit && FState != dsInsert)
        return;
    FState = dsBrowse;
    SetCurrent(std::min<Int64>(FCurrent, FStore.RowCount() - 1));
    FEof = FStore.RowCount() == 0;
    DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
}

void TDataSet::Delete()
{
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    if (FStore.RowCount() == 0)
        Error("Cannot perform this operation on an empty dataset");
    if (!CanModify())
        Error("Cannot modify a read-only dataset");
    FState = dsBrowse;
    InternalDelete(FCurrent);
    const Int64 Count = FStore.RowCount();
    SetCurrent(FCurrent >= Count ? Count - 1 : FCurrent);
    FEof = FBof = Count == 0;
    DataEvent(deDataSetChange);
}

void TDataSet::InternalDelete(Int64 Row) { FStore.DeleteRow(Row); }

namespace {

// Fills the record just appended or inserted from Values, in field order, and posts it; any
// failure cancels the new record before it is passed on.
void PostNewRecord(TDataSet* DataSet, TFields* Fields, const TFieldValues& Values)
{
    try {
        if (static_cast<Integer>(Values.size()) > Fields->Count())
            DatabaseError("Too many values: " + std::to_string(Values.size()) + " for " +
                              std::to_string(Fields->Count()) + " fields",
                          DataSet);
        for (std::size_t i = 0; i < Values.size(); ++i)
            Fields->Fields(static_cast<Integer>(i))->SetAsVariant(Values[i]);
        DataSet->Post();
    } catch (...) {
        DataSet->Cancel();
        throw;
    }
}

} // namespace

void TDataSet::AppendRecord(const TFieldValues& Values)
{
    Append();
    PostNewRecord(this, FFields.get(), Values);
}

void TDataSet::InsertRecord(const TFieldValues& Values)
{
    Insert();
    PostNewRecord(this, FFields.get(), Values);
}

// ---- controls and notifications -------------------------------------------------------------------

void TDataSet::DisableControls()
{
    if (FDisableCount == 0) {
        FStateWhenDisabled = FState;
        FChangedWhileDisabled = false;
    }
    ++FDisableCount;
}

void TDataSet::EnableControls()
{
    if (FDisableCount == 0)
        return;
    if (--FDisableCount > 0)
        return;
    if (FState != FStateWhenDisabled)
        DataEvent(deUpdateState);
    if (FState != dsInactive && FChangedWhileDisabled)
        DataEvent(deDataSetChange);
    FChangedWhileDisabled = false;
}

void TDataSet::DataEvent(TDataEvent Event, TField* Field, Integer Info)
{
    if (FDisableCount > 0) {
        // Closing frees the data set's own fields, so the links hear of it at once rather than
        // keeping those fields until controls come back; they hear of the reopening then.
        const bool Closing = Event == deUpdateState && FState == dsInactive && FStateWhenDisabled != dsInactive;
        if (!Closing) {
            FChangedWhileDisabled = true;
            return;
        }
        FStateWhenDisabled = dsInactive;
    }
    for (TDataSetObserver* S : TSnapshot<TDataSetObserver>(FDataSources))
        S->DataEvent(Event, Field, Info);
}

void TDataSet::SyncActive()
{
    for (TDataSetObserver* S : std::vector<TDataSetObserver*>(FDataSources))
        S->DataEvent(deUpdateState, nullptr, 0);
}

void TDataSet::AddDataSource(TDataSetObserver* Source)
{
    if (std::find(FDataSources.begin(), FDataSources.end(), Source) == FDataSources.end())
        FDataSources.push_back(Source);
}

void TDataSet::RemoveDataSource(TDataSetObserver* Source)
{
    FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), Source), FDataSources.end());
}

QOR_PUBLISH(TDataSet)
{
    b.Property("Active", &TDataSet::Active, &TDataSet::SetActive).Default(false);
    b.Event("AfterClose", &TDataSet::AfterClose);
    b.Event("AfterOpen", &TDataSet::AfterOpen);
    b.Event("AfterPost", &TDataSet::AfterPost);
    b.Event("AfterScroll", &TDataSet::AfterScroll);
    b.Event("BeforeClose", &TDataSet::BeforeClose);
    b.Event("BeforeOpen", &TDataSet::BeforeOpen);
    b.Event("BeforePost", &TDataSet::BeforePost);
    b.Event("BeforeScroll", &TDataSet::BeforeScroll);
}

} // namespace qor
