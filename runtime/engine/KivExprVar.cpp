#include "runtime/engine/KivExprVar.h"

#include "platform/rtl/StringTable.h"
#include "runtime/engine/KivStrIds.h"

namespace qor {

TKivExprVar::TKivExprVar(TComponent* AOwner) : TKivVar(AOwner)
{
    FId = vidExprVar;
    FActive = !ComponentState().Contains(csDesigning);
}

void TKivExprVar::UpdateData()
{
    if (FUpdateMode == umUpdating)
        CircularError();
    if (FUpdateMode != umNeedUpdate)
        return;
    TKivUpdateScope Scope(FUpdateMode);
    if (!FDataNow)
        throw Exception(FmtLoadStr(SKivBadDatatype, {Name()}));
    if (OnGetData) {
        FDataNow->Reset();
        OnGetData(this);
    }
}

TKivDateTimeVar::TKivDateTimeVar(TComponent* AOwner) : TKivVar(AOwner)
{
    FId = vidDateTimeVar;
    FDataType = dtypeDateTime;
    FActive = true;
}

void TKivDateTimeVar::Initialize()
{
    TKivVar::Initialize();
    FDataNow->SetAsDateTime(Now());
    UpdateLast();
}

TKivLevel* TKivDateTimeVar::DefaultLevel(IKivPage* Page) const { return Page->HeadLevel(); }

TKivPageVar::TKivPageVar(TComponent* AOwner) : TKivVar(AOwner)
{
    FId = vidPageVar;
    FDataType = dtypeInteger;
    FActive = true;
}

void TKivPageVar::UpdateData()
{
    if (FUpdateMode != umNeedUpdate)
        return;
    TKivUpdateScope Scope(FUpdateMode);
    if (FDataNow)
        FDataNow->SetAsInteger(FDataNow->AsInteger() + 1);
}

TKivLevel* TKivPageVar::DefaultLevel(IKivPage* Page) const { return Page->PageHeadLevel(); }

QOR_PUBLISH(TKivExprVar)
{
    b.Property("DataType", &TKivExprVar::DataType, &TKivExprVar::SetDataType).Default(dtypeUnknown);
    b.Event("OnGetData", &TKivExprVar::OnGetData);
}

QOR_PUBLISH(TKivDateTimeVar) {}
QOR_PUBLISH(TKivPageVar) {}

} // namespace qor
