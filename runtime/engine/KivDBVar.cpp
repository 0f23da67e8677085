#include "runtime/engine/KivDBVar.h"

#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"
#include "runtime/engine/KivCurr.h"
#include "runtime/engine/KivFloat.h"
#include "runtime/engine/QorDS.h"

#include <typeinfo>

namespace qor {

bool kivvarFmtBCDUseCurrency = false;

TKivDataTypes GetQorDataType(TFieldType FieldType)
{
    switch (static_cast<TFieldType>(static_cast<Integer>(FieldType) & 0x7F)) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
    case ftWideMemo:
        return dtypeString;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
    case ftLongWord:
    case ftShortint:
    case ftByte:
    case ftAutoInc:
        return dtypeInteger;
    case ftBoolean:
        return dtypeBoolean;
    case ftFloat:
    case ftBCD:
    case ftSingle:
        return dtypeFloat;
    case ftCurrency:
        return dtypeCurrency;
    case ftFMTBcd:
        return kivvarFmtBCDUseCurrency ? dtypeCurrency : dtypeFloat;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
    case ftOraTimeStamp:
        return dtypeDateTime;
    case ftMemo:
        return dtypeMemo;
    case ftGraphic:
        return dtypeGraphic;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftCursor:
    case ftADT:
    case ftArray:
    case ftReference:
    case ftDataSet:
    case ftOraBlob:
    case ftOraClob:
    case ftVariant:
    case ftInterface:
    case ftIDispatch:
    case ftGuid:
    case ftConnection:
    case ftParams:
    case ftStream:
    case ftObject:
        return dtypeBlob;
    default:
        return dtypeUnknown;
    }
}

TKivDBVar::TKivDBVar(TComponent* AOwner) : TKivVar(AOwner), FDataLink(std::make_unique<TFieldDataLink>())
{
    FId = vidDBVar;
    FActive = false;
    FDataLink->SetControl(this);
    FDataLink->OnActiveChange = [this](TObject* Sender) { ActiveChange(Sender); };
}

TKivDBVar::~TKivDBVar()
{
    FDataLink->OnActiveChange = nullptr;
    FDataLink->SetDataSource(nullptr);
}

void TKivDBVar::SetDataSource(TDataSource* Value) { KivSetLinkSource(FDataLink.get(), this, Value); }

void TKivDBVar::SetDataField(const String& Value)
{
    FDataField = Value;
    FDataLink->SetFieldName(Value);
}

const String& TKivDBVar::DisplayText() const
{
    if (FDisplayPending) {
        FDisplayPending = false;
        try {
            TField* F = Field();
            FDisplayText = F ? F->DisplayText() : String();
        } catch (const Exception&) {
            FDisplayText.clear();
        }
    }
    return FDisplayText;
}

TField* TKivDBVar::Field() const { return FFieldNo < 0 ? nullptr : FDataLink->Field(); }

TFieldType TKivDBVar::GetFieldDataType() const
{
    if (TField* F = Field())
        return F->DataType();
    TDataSet* DataSet = FDataLink->DataSet();
    if (FDataField.empty() || !DataSet)
        return ftUnknown;
    try {
        if (const TFieldDef* Def = DataSet->FieldDefs()->FindDef(FDataField))
            return Def->DataType();
        DataSet->FieldDefs()->Update();
        if (const TFieldDef* Def = DataSet->FieldDefs()->FindDef(FDataField))
            return Def->DataType();
    } catch (const Exception&) {
        // a lookup that fails counts as not found
    }
    return ftUnknown;
}

TKivDataTypes TKivDBVar::GetDataType() const
{
    TField* F = Field();
    return F ? KindOf(F->DataType()) : dtypeUnknown;
}

TKivDataTypes TKivDBVar::KindOf(TFieldType FieldType) const
{
    // Asked for every record, by the variable and its labels: the last answer is kept, but for
    // FMTBcd fields, whose kind follows kivvarFmtBCDUseCurrency.
    if (FieldType != FKindFieldType || (static_cast<Integer>(FieldType) & 0x7F) == ftFMTBcd) {
        FKindFieldType = FieldType;
        FKind = GetQorDataType(FieldType);
    }
    return FKind;
}

void TKivDBVar::Notification(TComponent* AComponent, TOperation Operation)
{
    TKivVar::Notification(AComponent, Operation);
    if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource())
        FDataLink->SetDataSource(nullptr);
}

void TKivDBVar::ActiveChange(TObject*)
{
    // Opening the data set from Initialize reaches here too; Initialize sets the state itself.
    if (FInitializing)
        return;
    const bool Now = FDataLink->Active();
    FActive = Now;
    if (Now)
        Initialize();
    else {
        FFieldNo = -1;
        if (FDataNow)
            FDataNow->Reset();
    }
}

void TKivDBVar::Initialize()
{
    FActive = false;
    FFieldNo = -1;
    TDataSource* DS = FDataLink->DataSource();
    if (DS && DS->DataSet()) {
        FInitializing = true;
        try {
            IKivPage* P = Page();
            if (FRunning && P && P->DataSourceManager())
                FActive = P->DataSourceManager()->ActivateDataSource(DS);
            else
                FActive = DS->DataSet()->Active();
            if (FActive)
                if (TField* F = DS->DataSet()->FindField(FDataField))
                    FFieldNo = DS->DataSet()->Fields()->IndexOf(F);
        } catch (const Exception&) {
            // a data set that cannot be opened leaves the variable inactive
        }
        FInitializing = false;
    }
    TKivVar::Initialize();
}

bool TKivDBVar::IgnoresNulls(const TField* F) const
{
    // An ASCII table reads its empty fields as values.
    const TDataSet* DataSet = F->DataSet();
    if (!DataSet || DataSet->ClassName() != "TTable")
        return false;
    const TPropInfo* Info = DataSet->ClassType()->FindProperty("TableType");
    if (!Info)
        return false;
    const TPropValue V = Info->GetValue(DataSet);
    const Int64* Ordinal = std::get_if<Int64>(&V);
    return Ordinal && *Ordinal == 4;
}

void TKivDBVar::ReadField(TField* F, TKivData* D, bool Null)
{
    const TKivDataTypes Kind = KindOf(F->DataType());
    // The current value is of the kind Initialize made it: set without asking it.
    const bool Own = D == FDataNow.get() && Kind == FValueType;
    switch (Kind) {
    case dtypeString:
        if (Own || typeid(*D) == typeid(TKivString))
            static_cast<TKivString*>(D)->TakeString(F->AsString());
        else
            D->SetAsString(F->AsString());
        break;
    case dtypeInteger:
        if (Own)
            static_cast<TKivInteger*>(D)->TKivInteger::SetAsInteger(F->AsLargeInt());
        else
            D->SetAsInteger(F->AsLargeInt()); // all 64 bits
        break;
    case dtypeBoolean:
        if (Own)
            static_cast<TKivBoolean*>(D)->TKivBoolean::SetAsBoolean(F->AsBoolean());
        else
            D->SetAsBoolean(F->AsBoolean());
        break;
    case dtypeFloat:
    case dtypeCurrency:
        // currency values are taken exactly
        if (Own && Kind == dtypeCurrency)
            static_cast<TKivCurrency*>(D)->TKivCurrency::SetValueCurrency(Null ? Currency() : F->AsCurrency());
        else if (Own)
            static_cast<TKivFloat*>(D)->TKivFloat::SetValueFloat(Null ? 0.0 : F->AsFloat());
        else if (D->DataType() == dtypeCurrency)
            D->SetAsCurrency(Null ? Currency() : F->AsCurrency());
        else
            D->SetAsFloat(Null ? 0.0 : F->AsFloat());
        break;
    case dtypeDateTime:
        if (Own)
            static_cast<TKivDateTime*>(D)->TKivDateTime::SetAsDateTime(Null ? 0.0 : F->AsDateTime());
        else
            D->SetAsDateTime(Null ? 0.0 : F->AsDateTime());
        break;
    case dtypeMemo: {
        D->Reset();
        TStringList Lines;
        Lines.SetText(F->AsString());
        D->SetAsStrings(&Lines);
        break;
    }
    case dtypeBlob:
    case dtypeGraphic: {
        D->Reset();
        TStream* S = D->AsStream();
        if (auto* Blob = dynamic_cast<TBlobField*>(F))
            Blob->SaveToStream(S);
        else if (auto* Binary = dynamic_cast<TBinaryField*>(F))
            Binary->SaveToStream(S);
        else {
            const String Bytes = F->AsString();
            if (!Bytes.empty())
                S->WriteBuffer(Bytes.data(), static_cast<Int64>(Bytes.size()));
        }
        S->SetPosition(0);
        break;
    }
    case dtypeUnknown:
        if (F->DataType() == ftUnknown)
            D->Reset();
        break;
    }
}

void TKivDBVar::UpdateData()
{
    if (FUpdateMode != umNeedUpdate)
        return;
    TKivUpdateScope Scope(FUpdateMode);
    TKivData* D = FDataNow.get();
    if (!D)
        return;
    TField* F = Field();
    FDisplayPending = false;
    FDisplayText.clear();
    if (!F) {
        D->Reset();
        return;
    }
    try {
        FDisplayPending = true;
        const bool Null = F->IsNull();
        if (Null && !IgnoresNulls(F)) {
            D->Reset();
            D->SetIsNull(true);
            return;
        }
        D->SetIsNull(false);
        ReadField(F, D, Null);
    } catch (const Exception&) {
        D->Reset();
    }
}

QOR_PUBLISH(TKivDBVar)
{
    b.Property("DataSource", &TKivDBVar::DataSource, &TKivDBVar::SetDataSource).Default(nullptr);
    b.Property("DataField", &TKivDBVar::DataField, &TKivDBVar::SetDataField).Default("");
}

} // namespace qor
