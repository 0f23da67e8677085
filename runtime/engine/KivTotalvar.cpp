#include "runtime/engine/KivTotalvar.h"

#include "platform/rtl/StringTable.h"
#include "runtime/engine/KivCurr.h"
#include "runtime/engine/KivDBVar.h"
#include "runtime/engine/KivFloat.h"
#include "runtime/engine/KivStrIds.h"
#include "runtime/engine/KivUtil.h"

#include <type_traits>
#include <typeinfo>

namespace qor {

namespace {

void SetTotalTypeOf(TKivData* D, TKivTotalType T)
{
    if (auto* F = dynamic_cast<TKivFloat*>(D))
        F->SetTotalType(T);
    else if (auto* C = dynamic_cast<TKivCurrency*>(D))
        C->SetTotalType(T);
}

} // namespace

TKivTotalvar::TKivTotalvar(TComponent* AOwner) : TKivVar(AOwner) { FId = vidTotalVar; }

TKivTotalvar::~TKivTotalvar() = default;

void TKivTotalvar::CopyAccumulator(TKivData* To, const TKivData* From) const
{
    // What SetData does for accumulators of one kind: calculator and null flag.
    if (FCurrencyLists)
        static_cast<TKivCurrency*>(To)->Calc()->Assign(*static_cast<const TKivCurrency*>(From)->Calc());
    else
        static_cast<TKivFloat*>(To)->Calc()->Assign(*static_cast<const TKivFloat*>(From)->Calc());
    To->SetIsNull(From->IsNull());
}

void TKivTotalvar::SetVariable(TKivVar* Value)
{
    if (!KivSetReference(this, FVariable, Value))
        return;
    if (IKivPage* P = Page())
        P->VarChanged();
}

void TKivTotalvar::Notification(TComponent* AComponent, TOperation Operation)
{
    TKivVar::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FVariable)
        SetVariable(nullptr);
}

// Asks the totalled variable with this total marked as asking: a total that reaches itself again
// (its own variable, or totals of each other) is a cycle, refused as variables refuse theirs.
template <typename F>
auto TKivTotalvar::AskVariable(F&& Ask) const
{
    if (FAsking)
        CircularError();
    FAsking = true;
    struct TDone {
        bool& Flag;
        ~TDone() { Flag = false; }
    } Done{FAsking};
    return Ask(*FVariable);
}

TKivDataTypes TKivTotalvar::GetDataType() const
{
    if (!FInitialized && FVariable)
        FIsCurrency = AskVariable([](TKivVar& V) { return V.DataType(); }) == dtypeCurrency;
    return FIsCurrency ? dtypeCurrency : dtypeFloat;
}

bool TKivTotalvar::GetActive() const
{
    return FVariable && AskVariable([](TKivVar& V) { return V.Active(); });
}

TKivData* TKivTotalvar::GetDataNow() { throw Exception(FmtLoadStr(SKivTotalvarAccess, {Name()})); }

std::size_t TKivTotalvar::CheckLevel(Integer Level) const
{
    if (Level < 0 || Level >= LevelCount())
        throw Exception("Total variable " + Name() + " has no level " + IntToStr(Level) +
                        (LevelCount() == 0 ? String(" (it has no levels; is it initialized?)")
                                           : " (levels 0 to " + IntToStr(LevelCount() - 1) + ")"));
    return static_cast<std::size_t>(Level);
}

TKivData* TKivTotalvar::GetLevelNow(Integer Level, TKivTotalType TotalType)
{
    if (FUpdateMode == umNeedUpdate)
        UpdateData();
    TKivData* D = FDataNowList[CheckLevel(Level)].get();
    SetTotalTypeOf(D, TotalType);
    return D;
}

TKivData* TKivTotalvar::GetLevelLast(Integer Level, TKivTotalType TotalType)
{
    TKivData* D = FDataLastList[CheckLevel(Level)].get();
    SetTotalTypeOf(D, TotalType);
    return D;
}

bool TKivTotalvar::LevelMarked(Integer Level) const { return FResetNowList[CheckLevel(Level)] != 0; }

void TKivTotalvar::ResetLevel(Integer Level) { FResetNowList[CheckLevel(Level)] = 1; }

void TKivTotalvar::ResetMarkedLevel(Integer Level)
{
    const std::size_t I = CheckLevel(Level);
    if (FResetNowList[I]) {
        FDataNowList[I]->Reset();
        FResetNowList[I] = 0;
    }
}

void TKivTotalvar::ResetAtlevel(Integer Level) { FDataNowList[CheckLevel(Level)]->Reset(); }

void TKivTotalvar::UpdateAtlevel(Integer Level)
{
    const std::size_t I = CheckLevel(Level);
    CopyAccumulator(FDataLastList[I].get(), FDataNowList[I].get());
}

void TKivTotalvar::UpdateLast() { CopyLevels(FDataLastList, FResetLastList, FDataNowList, FResetNowList); }

void TKivTotalvar::ReverseUpdate() { CopyLevels(FDataNowList, FResetNowList, FDataLastList, FResetLastList); }

void TKivTotalvar::CopyLevels(TLevels& To, std::vector<Byte>& ToReset, const TLevels& From,
                              const std::vector<Byte>& FromReset) const
{
    // Every level on every record: one loop over calculators of the one kind.
    const auto Copy = [&](auto* Kind) {
        using TKind = std::remove_pointer_t<decltype(Kind)>;
        const std::size_t Count = From.size();
        const std::unique_ptr<TKivData>* Source = From.data();
        const std::unique_ptr<TKivData>* Target = To.data();
        const Byte* SourceReset = FromReset.data();
        Byte* TargetReset = ToReset.data();
        for (std::size_t I = 0; I < Count; ++I) {
            auto* T = static_cast<TKind*>(Target[I].get());
            const auto* F = static_cast<const TKind*>(Source[I].get());
            T->Calc()->Assign(*F->Calc());
            T->SetIsNull(F->IsNull());
            TargetReset[I] = SourceReset[I];
        }
    };
    if (FCurrencyLists)
        Copy(static_cast<TKivCurrency*>(nullptr));
    else
        Copy(static_cast<TKivFloat*>(nullptr));
}

void TKivTotalvar::ResetData()
{
    if (FUpdateMode != umNeedUpdate)
        return;
    TKivUpdateScope Scope(FUpdateMode);
    for (std::size_t I = 0; I < FDataNowList.size(); ++I)
        if (FResetNowList[I]) {
            FDataNowList[I]->Reset();
            FResetNowList[I] = 0;
        }
}

void TKivTotalvar::DeleteLevels()
{
    FDataNowList.clear();
    FDataLastList.clear();
    FResetNowList.clear();
    FResetLastList.clear();
    FIsCurrency = false;
}

void TKivTotalvar::AddLevels()
{
    DeleteLevels();
    FIsCurrency = FVariable && AskVariable([](TKivVar& V) { return V.DataType(); }) == dtypeCurrency;
    FCurrencyLists = FIsCurrency;
    IKivPage* P = Page();
    const Integer Count = P ? P->LevelCount() : 0;
    for (Integer I = 0; I < Count; ++I) {
        FDataNowList.push_back(KivNewData(FIsCurrency ? dtypeCurrency : dtypeFloat));
        FDataLastList.push_back(KivNewData(FIsCurrency ? dtypeCurrency : dtypeFloat));
        FResetNowList.push_back(0);
        FResetLastList.push_back(0);
    }
}

void TKivTotalvar::Initialize()
{
    AddLevels();
    for (auto& D : FDataNowList)
        D->Reset();
    for (auto& D : FDataLastList)
        D->Reset();
    if (ComponentState().Contains(csDesigning) && !FRunning)
        FUpdateMode = umNeedUpdate;
    FInitialized = true;
}

void TKivTotalvar::TakeIn(Double F, Currency C, bool Null)
{
    IKivPage* P = Page();
    const std::vector<TKivLevel*>* List = P ? P->LevelsInOrder() : nullptr;
    const Integer PageLevels = List ? static_cast<Integer>(List->size()) : P ? P->LevelCount() : 0;
    const std::size_t Count = FDataNowList.size();
    const bool Skip = FIgnoreNulls && Null;
    for (std::size_t I = 0; I < Count; ++I) {
        TKivData* D = FDataNowList[I].get();
        if (FResetNowList[I]) {
            D->Reset();
            FResetNowList[I] = 0;
        }
        if (Skip)
            continue;
        const Integer Index = static_cast<Integer>(I);
        if (Index < PageLevels) {
            const TKivLevel* Level = List ? (*List)[I] : P->Levels(Index);
            if (Level && Level->IsHeader())
                continue;
        }
        // The accumulators are plain TKivFloat or TKivCurrency values: their calculators take the value.
        if (FCurrencyLists)
            static_cast<TKivCurrency*>(D)->Calc()->NewVal(C);
        else
            static_cast<TKivFloat*>(D)->Calc()->NewVal(F);
    }
}

void TKivTotalvar::UpdateData()
{
    if (FUpdateMode == umUpdating)
        CircularError();
    if (FUpdateMode != umNeedUpdate)
        return;
    TKivUpdateScope Scope(FUpdateMode);
    Double F = 0;
    Currency C;
    bool Null = false;
    bool Read = FVariable != nullptr;
    if (Read && ComponentState().Contains(csDesigning)) {
        if (!FVariable->Initialized())
            FVariable->Initialize();
        Read = FVariable->Active();
    }
    if (TKivData* D = Read ? FVariable->Data() : nullptr) {
        // A database variable's answers are those of its current value: asked directly.
        TKivVar& V = *FVariable;
        const bool Direct = typeid(V) == typeid(TKivDBVar);
        Null = Direct ? D->IsNull() : V.IsNull();
        switch (V.DataType()) {
        case dtypeFloat:
        case dtypeInteger:
        case dtypeCurrency:
            F = Direct ? D->AsFloat() : V.AsFloat();
            C = Direct ? D->AsCurrency() : V.AsCurrency();
            break;
        case dtypeBoolean:
            F = (Direct ? D->AsBoolean() : V.AsBoolean()) ? 1 : 0;
            break;
        default:
            break;
        }
    }
    TakeIn(F, C, Null);
}

void KivResetTotalLevel(const std::vector<TKivTotalvar*>& Totals, TKivLevel* Level)
{
    if (!Level)
        throw Exception("No level given for the totals to reset");
    for (TKivTotalvar* T : Totals)
        T->ResetLevel(Level->Level());
}

QOR_PUBLISH(TKivTotalvar)
{
    b.Property("Variable", &TKivTotalvar::Variable, &TKivTotalvar::SetVariable).Default(nullptr);
    b.Property("IgnoreNulls", &TKivTotalvar::IgnoreNulls, &TKivTotalvar::SetIgnoreNulls).Default(false);
}

} // namespace qor
