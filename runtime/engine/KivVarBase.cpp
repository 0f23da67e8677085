#include "runtime/engine/KivVarBase.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/StringTable.h"
#include "runtime/engine/KivCurr.h"
#include "runtime/engine/KivFloat.h"
#include "runtime/engine/KivReference.h"
#include "runtime/engine/KivStrIds.h"

namespace qor {

// ---- TKivLevel ---------------------------------------------------------------------------------

TKivLevel::TKivLevel(TComponent* AOwner) : TControl(AOwner) {}

TKivLevel::~TKivLevel()
{
    if (IKivPage* P = GetPage())
        P->RemoveLevel(this);
}

IKivPage* TKivLevel::GetPage() const { return dynamic_cast<IKivPage*>(Parent()); }

void TKivLevel::SetParent(TWinControl* AParent)
{
    if (AParent == Parent())
        return;
    IKivPage* NewPage = nullptr;
    if (AParent) {
        NewPage = dynamic_cast<IKivPage*>(AParent);
        if (!NewPage)
            Abort();
    }
    if (IKivPage* Old = GetPage())
        Old->RemoveLevel(this);
    if (NewPage)
        NewPage->InsertLevel(this);
    TControl::SetParent(AParent);
}

void TKivLevel::DefineProperties(TFiler& Filer)
{
    TControl::DefineProperties(Filer);
    Filer.DefineProperty(
        "IsHeader", [this](TReader& R) { FIsHeader = R.ReadBoolean(); },
        [this](TWriter& W) { W.WriteBoolean(FIsHeader); }, FIsHeader);
}

// ---- TKivVar -----------------------------------------------------------------------------------

std::unique_ptr<TKivData> KivNewData(TKivDataTypes Type)
{
    switch (Type) {
    case dtypeString:
        return std::make_unique<TKivString>();
    case dtypeFloat:
        return std::make_unique<TKivFloat>();
    case dtypeInteger:
        return std::make_unique<TKivInteger>();
    case dtypeBoolean:
        return std::make_unique<TKivBoolean>();
    case dtypeDateTime:
        return std::make_unique<TKivDateTime>();
    case dtypeBlob:
        return std::make_unique<TKivBlob>();
    case dtypeMemo:
        return std::make_unique<TKivMemo>();
    case dtypeGraphic:
        return std::make_unique<TKivGraphic>();
    case dtypeCurrency:
        return std::make_unique<TKivCurrency>();
    default:
        return std::make_unique<TKivUnknown>();
    }
}

TKivVar::TKivVar(TComponent* AOwner) : TControl(AOwner) { SetVisible(false); }

TKivVar::~TKivVar()
{
    if (IKivPage* P = Page())
        P->RemoveVar(this);
}

IKivPage* TKivVar::Page() const
{
    TWinControl* P = Parent();
    const std::type_info* Type = P ? &typeid(*P) : nullptr;
    if (P != FPageOf || Type != FPageType) {
        FPageOf = P;
        FPageType = Type;
        FPage = dynamic_cast<IKivPage*>(P);
    }
    return FPage;
}

TKivData* TKivVar::GetDataNow()
{
    // A read during the variable's own refresh enters UpdateData again, so kinds that read other
    // variables report the circle instead of reading a half-made value.
    if (FUpdateMode != umNoUpdate)
        UpdateData();
    return FDataNow.get();
}

TKivData* TKivVar::SettableData()
{
    // Setting during the variable's own refresh (its OnGetData) stores into the value being made.
    if (FUpdateMode == umNeedUpdate)
        UpdateData();
    if (!FDataNow)
        throw Exception(FmtLoadStr(SKivBadDatatype, {Name()}));
    return FDataNow.get();
}

TKivData* TKivVar::CheckedData()
{
    TKivData* D = GetData();
    if (!D)
        throw Exception(FmtLoadStr(SKivBadDatatype, {Name()}));
    return D;
}

void TKivVar::CircularError() const { throw Exception(FmtLoadStr(SKivCircularVariable, {Name()})); }

String TKivVar::GetAsString() { return CheckedData()->AsString(); }
Int64 TKivVar::GetAsInteger() { return CheckedData()->AsInteger(); }
Double TKivVar::GetAsFloat() { return CheckedData()->AsFloat(); }
Currency TKivVar::GetAsCurrency() { return CheckedData()->AsCurrency(); }
TDateTime TKivVar::GetAsDateTime() { return CheckedData()->AsDateTime(); }
bool TKivVar::GetAsBoolean() { return CheckedData()->AsBoolean(); }
TStream* TKivVar::GetAsStream() { return CheckedData()->AsStream(); }
TStrings* TKivVar::GetAsStrings() { return CheckedData()->AsStrings(); }
void TKivVar::SetAsString(const String& Value) { SettableData()->SetAsString(Value); }
void TKivVar::SetAsInteger(Int64 Value) { SettableData()->SetAsInteger(Value); }
void TKivVar::SetAsFloat(Double Value) { SettableData()->SetAsFloat(Value); }
void TKivVar::SetAsCurrency(Currency Value) { SettableData()->SetAsCurrency(Value); }
void TKivVar::SetAsDateTime(TDateTime Value) { SettableData()->SetAsDateTime(Value); }
void TKivVar::SetAsBoolean(bool Value) { SettableData()->SetAsBoolean(Value); }
void TKivVar::SetAsStream(TStream* Value) { SettableData()->SetAsStream(Value); }
void TKivVar::SetAsStrings(TStrings* Value) { SettableData()->SetAsStrings(Value); }
bool TKivVar::IsNull() { return CheckedData()->IsNull(); }
void TKivVar::SetIsNull(bool Value) { SettableData()->SetIsNull(Value); }

void TKivVar::UpdateData()
{
    if (FUpdateMode != umNeedUpdate)
        return;
    TKivUpdateScope Scope(FUpdateMode);
}

namespace {

// To->SetData(From) for two values KivNewData(Type) made, without asking either which kind it is.
void CopySameKind(TKivDataTypes Type, TKivData* To, TKivData* From)
{
    switch (Type) {
    case dtypeString:
        static_cast<TKivString*>(To)->TKivString::SetAsString(static_cast<TKivString*>(From)->Value());
        break;
    case dtypeInteger:
        static_cast<TKivInteger*>(To)->TKivInteger::SetAsInteger(
            static_cast<TKivInteger*>(From)->TKivInteger::GetAsInteger());
        break;
    case dtypeDateTime:
        static_cast<TKivDateTime*>(To)->TKivDateTime::SetAsDateTime(
            static_cast<TKivDateTime*>(From)->TKivDateTime::GetAsDateTime());
        break;
    case dtypeBoolean:
        static_cast<TKivBoolean*>(To)->TKivBoolean::SetAsBoolean(
            static_cast<TKivBoolean*>(From)->TKivBoolean::GetAsBoolean());
        break;
    case dtypeFloat:
        static_cast<TKivFloat*>(To)->Calc()->Assign(*static_cast<TKivFloat*>(From)->Calc());
        break;
    case dtypeCurrency:
        static_cast<TKivCurrency*>(To)->Calc()->Assign(*static_cast<TKivCurrency*>(From)->Calc());
        break;
    default:
        To->SetData(From);
        return;
    }
    To->SetIsNull(From->IsNull());
}

} // namespace

void TKivVar::CopyValue(TKivData* To, TKivData* From) const
{
    // The current and previous values are of the kind Initialize made them, unless GetDataNow
    // answers another value.
    const bool Own = (To == FDataNow.get() && From == FDataLast.get()) ||
                     (To == FDataLast.get() && From == FDataNow.get());
    if (Own)
        CopySameKind(FValueType, To, From);
    else
        To->SetData(From);
}

void TKivVar::UpdateLast()
{
    TKivData* Now = GetDataNow();
    if (Now && FDataLast)
        CopyValue(FDataLast.get(), Now);
}

void TKivVar::ReverseUpdate()
{
    TKivData* Now = GetDataNow();
    if (Now && FDataLast)
        CopyValue(Now, FDataLast.get());
}

void TKivVar::Initialize()
{
    FDataNow.reset();
    FDataLast.reset();
    FInitialized = true;
    const TKivDataTypes Type = GetDataType();
    FDataNow = KivNewData(Type);
    FDataLast = KivNewData(Type);
    FValueType = Type;
    if (Type == dtypeUnknown)
        FInitialized = false;
    if (ComponentState().Contains(csDesigning) && !FRunning)
        FUpdateMode = umNeedUpdate;
}

void TKivVar::Reset()
{
    if (TKivData* D = GetDataNow())
        D->Reset();
}

void TKivVar::ResetData()
{
    if (FUpdateMode != umNeedUpdate)
        return;
    TKivUpdateScope Scope(FUpdateMode);
    if (FDataNow) {
        FDataNow->Reset();
        FDataNow->SetIsNull(true);
    }
}

void TKivVar::SetRunning(bool Value)
{
    if (Value == FRunning)
        return;
    FRunning = Value;
    if (!Value)
        Initialize();
}

void TKivVar::SetUpdateLevel(TKivLevel* Value)
{
    if (!KivSetReference(this, FUpdateLevel, Value))
        return;
    if (IKivPage* P = Page())
        P->VarChanged();
}

void TKivVar::SetDataType(TKivDataTypes Value)
{
    if (Value == FDataType)
        return;
    FDataType = Value;
    if (IKivPage* P = Page())
        P->VarChanged();
}

void TKivVar::SetName(const String& NewName)
{
    TControl::SetName(NewName);
    if (IKivPage* P = Page())
        P->UpdatePageManager();
}

void TKivVar::Notification(TComponent* AComponent, TOperation Operation)
{
    TControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FUpdateLevel)
        FUpdateLevel = nullptr;
}

void TKivVar::SetParent(TWinControl* AParent)
{
    if (AParent == Parent())
        return;
    if (IKivPage* Old = Page())
        Old->RemoveVar(this);
    TControl::SetParent(AParent);
    if (IKivPage* New = Page())
        New->InsertVar(this);
}

TKivLevel* TKivVar::DefaultLevel(IKivPage* P) const { return P->DetailLevel(); }

void TKivVar::Loaded()
{
    IKivPage* P = Page();
    if (!FUpdateLevel && P && P->IsGroupPage())
        SetUpdateLevel(DefaultLevel(P));
    TControl::Loaded();
}

void TKivVar::DefineProperties(TFiler& Filer)
{
    TControl::DefineProperties(Filer);
    Filer.DefineProperty(
        "AutoVar", [this](TReader& R) { FAutovar = R.ReadBoolean(); },
        [this](TWriter& W) { W.WriteBoolean(FAutovar); }, true);
    Filer.DefineProperty(
        "ID",
        [this](TReader& R) {
            const String Ident = R.ReadIdent();
            const Integer V = TEnumTraits<TKivVarId>::Info()->Ordinal(Ident);
            if (V < 0)
                throw Exception("Cannot find " + Ident + " in TKivVarId");
            FId = static_cast<TKivVarId>(V);
        },
        [this](TWriter& W) { W.WriteIdent(EnumName(FId)); }, true);
}

// ---- level operations --------------------------------------------------------------------------

void KivUpdateVars(const std::vector<TKivVar*>& Vars, TKivLevel* Level)
{
    for (TKivVar* V : Vars)
        if (V->UpdateLevel() == Level)
            V->UpdateLast();
}

namespace {

// UpdateLast of each variable of Level, then each is marked stale, then Refresh of each.
void MoveLevelOn(const std::vector<TKivVar*>& Vars, TKivLevel* Level, void (TKivVar::*Refresh)())
{
    KivUpdateVars(Vars, Level);
    for (TKivVar* V : Vars)
        if (V->UpdateLevel() == Level)
            V->SetUpdateMode(umNeedUpdate);
    for (TKivVar* V : Vars)
        if (V->UpdateLevel() == Level)
            (V->*Refresh)();
}

} // namespace

void KivUpdateDataLevel(const std::vector<TKivVar*>& Vars, TKivLevel* Level)
{
    MoveLevelOn(Vars, Level, &TKivVar::UpdateData);
}

void KivResetDataLevel(const std::vector<TKivVar*>& Vars, TKivLevel* Level)
{
    MoveLevelOn(Vars, Level, &TKivVar::ResetData);
}

void KivReverseUpdateDataLevel(const std::vector<TKivVar*>& Vars, TKivLevel* Level)
{
    for (TKivVar* V : Vars)
        if (V->UpdateLevel() == Level)
            V->ReverseUpdate();
}

void KivUpdateAllData(const std::vector<TKivVar*>& Vars)
{
    for (TKivVar* V : Vars)
        V->UpdateData();
}

QOR_PUBLISH(TKivLevel) {}

QOR_PUBLISH(TKivVar)
{
    b.Property("UpdateLevel", &TKivVar::UpdateLevel, &TKivVar::SetUpdateLevel).Default(nullptr);
}

} // namespace qor
