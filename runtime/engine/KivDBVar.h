#pragma once
// TKivDBVar: a variable that reads one field of a data set; GetQorDataType maps field types to
// value kinds.

#include "platform/db/DataSource.h"
#include "runtime/engine/KivVarBase.h"

#include <memory>

namespace qor {

// Maps FMTBcd fields to currency instead of float; read when variables are initialised.
extern bool kivvarFmtBCDUseCurrency;

// The value kind of a field type (its low seven bits).
TKivDataTypes GetQorDataType(TFieldType FieldType);

class TKivDBVar : public TKivVar {
    QOR_CLASS(TKivDBVar, TKivVar)
public:
    explicit TKivDBVar(TComponent* AOwner);
    ~TKivDBVar() override;

    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* Value);
    const String& DataField() const { return FDataField; }
    void SetDataField(const String& Value);
    // The field read; null while the field is not found or its data set is closed.
    TField* Field() const;
    TFieldType FieldDataType() const { return GetFieldDataType(); }
    // The field's display text for the record of the last refresh. It is made when first asked
    // for (formatting every field of every record would cost more than reading them); should the
    // data set have moved on since without a refresh, it is the text of the record it is on.
    const String& DisplayText() const;
    Integer FieldNo() const { return FFieldNo; }

    virtual TFieldType GetFieldDataType() const;
    TKivDataTypes GetDataType() const override;
    void UpdateData() override;
    void Initialize() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // The link's data set opened or closed: the variable follows.
    void ActiveChange(TObject* Sender);
    // Null: the field is null (read all the same, as an ASCII table reads its empty fields).
    void ReadField(TField* F, TKivData* D, bool Null);
    bool IgnoresNulls(const TField* F) const;
    // GetQorDataType(FieldType).
    TKivDataTypes KindOf(TFieldType FieldType) const;

    Integer FFieldNo = -1;
    String FDataField;
    std::unique_ptr<TFieldDataLink> FDataLink;
    mutable String FDisplayText;
    mutable bool FDisplayPending = false; // the text is still to be made from the field
    bool FInitializing = false;
    mutable TFieldType FKindFieldType = ftUnknown; // the field type KindOf last answered for
    mutable TKivDataTypes FKind = dtypeUnknown;
};

} // namespace qor
