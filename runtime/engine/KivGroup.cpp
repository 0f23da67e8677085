#include "runtime/engine/KivGroup.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/SysUtils.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivCtrl.h"
#include "runtime/engine/KivStrIds.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/KivVarBase.h"

namespace qor {

TKivGroup::TKivGroup(TComponent* AOwner) : TControl(AOwner) { TControl::SetBounds(0, 0, 0, 0); }

TKivGroup::~TKivGroup()
{
    if (FDeleteGuard.Deleting())
        DeleteBands();
    if (auto* P = dynamic_cast<IKivGroupPage*>(Parent()))
        P->RemoveGroup(this);
}

// ---- Properties ----------------------------------------------------------------------------------

void TKivGroup::SetVariable(TKivVar* Value)
{
    if (KivSetReference(this, FVariable, Value))
        UpdatePageManager();
}

void TKivGroup::SetLevel(Integer Pos)
{
    FLevel = Pos;
    SetGroupName("Group: " + IntToStr(Pos));
}

void TKivGroup::SetName(const String& NewName)
{
    TControl::SetName(NewName);
    TitleBands();
    UpdatePageManager();
}

void TKivGroup::TitleBands()
{
    if (FHeader)
        FHeader->SetBandName(Name() + " Header");
    if (FFooter)
        FFooter->SetBandName(Name() + " Footer");
}

void TKivGroup::UpdatePageManager()
{
    if (auto* P = dynamic_cast<IKivPage*>(Parent()))
        P->UpdatePageManager();
}

void TKivGroup::DefineProperties(TFiler& Filer)
{
    TControl::DefineProperties(Filer);
    Filer.DefineProperty(
        "Level", [this](TReader& R) { FLevel = R.ReadInteger(); }, [this](TWriter& W) { W.WriteInteger(FLevel); },
        true);
}

// ---- Breaking and printing -----------------------------------------------------------------------

bool TKivGroup::CheckBroken()
{
    FBroken = false;
    if (FVariable) {
        TKivData* Now = FVariable->DataNow();
        TKivData* Last = FVariable->DataLast();
        // A variable the run has not given values to has nothing to compare.
        if (!Now || !Last)
            throw Exception(FmtLoadStr(SKivBadDatatype, {FVariable->Name()}));
        FBroken = !KivSameValue(Now, Last);
    }
    if (OnCheckBroken)
        KivReportAndGoOn(this, [this] { OnCheckBroken(this); });
    return FBroken;
}

void TKivGroup::PrintHead(TComponent* oPage)
{
    if (FShowHead && FHeader)
        FHeader->Print(oPage);
    FBroken = false;
}

void TKivGroup::PrintFoot(TComponent* oPage)
{
    if (FShowFoot && FFooter)
        FFooter->Print(oPage);
}

// ---- Bands ---------------------------------------------------------------------------------------

TKivBand* TKivGroup::NewBand(TWinControl* BandParent, const String& Text, bool IsHeader)
{
    auto* Band = Create<TKivBand>(Owner());
    Band->SetParent(BandParent);
    Band->SetHeight(20);
    KivAutoSetComponentName(Band, Text, false);
    Band->SetCaption(" ");
    auto* Level = Create<TKivLevel>(Band->Owner());
    Level->SetParent(BandParent);
    KivAutoSetComponentName(Level, Band->Name() + "Level", false);
    Level->SetIsHeader(IsHeader);
    Band->SetUpdateLevel(Level);
    return Band;
}

void TKivGroup::SetBand(TKivBand*& Field, TKivBand* Value) { KivSetReference(this, Field, Value); }

void TKivGroup::AddBands(TWinControl* BandParent)
{
    SetBand(FHeader, NewBand(BandParent, Name() + "Header", true));
    SetBand(FFooter, NewBand(BandParent, Name() + "Footer", false));
    SetName(Name());
}

void TKivGroup::DeleteBand(TKivBand* Band)
{
    if (TKivLevel* Level = Band->UpdateLevel()) {
        Level->SetParent(nullptr);
        Free(Level);
    }
    Band->SetParent(nullptr);
    Band->SafeDelete();
}

void TKivGroup::DeleteBands()
{
    for (TKivBand** Field : {&FHeader, &FFooter}) {
        TKivBand* Band = *Field;
        if (!Band)
            continue;
        SetBand(*Field, nullptr);
        DeleteBand(Band);
    }
}

// ---- Page and deletion ---------------------------------------------------------------------------

void TKivGroup::SetParent(TWinControl* AParent)
{
    if (AParent == Parent())
        return;
    auto* NewPage = dynamic_cast<IKivGroupPage*>(AParent);
    if (AParent && !(NewPage && NewPage->TakesGroups()))
        Abort();
    // A group moved from one page to another leaves the first page's list too.
    if (auto* Old = dynamic_cast<IKivGroupPage*>(Parent()))
        Old->RemoveGroup(this);
    if (NewPage)
        NewPage->InsertGroup(this);
    TControl::SetParent(AParent);
}

void TKivGroup::SetBounds(Integer, Integer, Integer, Integer) { TControl::SetBounds(0, 0, 0, 0); }

bool TKivGroup::AllowDelete() const { return FDeleteGuard.Allows(this); }

void TKivGroup::BeforeDestruction()
{
    FDeleteGuard.Check(this, SKivGroupDelete);
    TControl::BeforeDestruction();
}

void TKivGroup::SafeDelete() { FDeleteGuard.SafeDelete(this); }

void TKivGroup::Notification(TComponent* AComponent, TOperation Operation)
{
    TControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FVariable)
        FVariable = nullptr;
    if (AComponent == FHeader)
        FHeader = nullptr;
    if (AComponent == FFooter)
        FFooter = nullptr;
}

QOR_PUBLISH(TKivGroup)
{
    using G = TKivGroup;
    b.Property("Variable", &G::Variable, &G::SetVariable).Default(nullptr);
    b.Property("ShowHead", &G::ShowHead, &G::SetShowHead).Default(true);
    b.Property("ShowFoot", &G::ShowFoot, &G::SetShowFoot).Default(true);
    b.Property("Header", &G::Header, &G::SetHeader).Default(nullptr);
    b.Property("Footer", &G::Footer, &G::SetFooter).Default(nullptr);
    b.Event("OnCheckBroken", &G::OnCheckBroken);
}

} // namespace qor
