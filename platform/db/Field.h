#pragma once
// Fields: typed access to one column of a data set's current record, with conversions between
// kinds, display and edit formats, and blob streams.

#include "platform/db/FieldTypes.h"
#include "platform/db/FieldValue.h"
#include "platform/rtl/Alignment.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"

namespace qor {

class TDataSet;
class TRecordStore;
class TStream;

QOR_ENUM_NAMES(TFieldType, "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean",
               "ftFloat", "ftCurrency", "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes",
               "ftAutoInc", "ftBlob", "ftMemo", "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle",
               "ftTypedBinary", "ftCursor", "ftFixedChar", "ftWideString", "ftLargeint", "ftADT", "ftArray",
               "ftReference", "ftDataSet", "ftOraBlob", "ftOraClob", "ftVariant", "ftInterface", "ftIDispatch",
               "ftGuid", "ftTimeStamp", "ftFMTBcd", "ftFixedWideChar", "ftWideMemo", "ftOraTimeStamp",
               "ftOraInterval", "ftLongWord", "ftShortint", "ftByte", "ftExtended", "ftConnection", "ftParams",
               "ftStream", "ftTimeStampOffset", "ftObject", "ftSingle");

class TField : public TComponent {
    QOR_CLASS(TField, TComponent)
public:
    explicit TField(TComponent* AOwner);
    ~TField() override;

    TDataSet* DataSet() const { return FDataSet; }
    // Joins the field to a data set's field list (leaving the previous one). Not while either is open.
    void SetDataSet(TDataSet* Value);

    TFieldType DataType() const { return FDataType; }
    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);
    // 1-based number of the column the field reads while its data set is open; 0 otherwise.
    Integer FieldNo() const { return FColumn + 1; }
    // Position in the data set's field list; -1 without a data set.
    Integer Index() const;
    void SetIndex(Integer Value);

    // DisplayLabel falls back to the field name.
    String DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const String& Value);
    String DisplayName() const { return DisplayLabel(); }
    // Characters a grid column shows; each kind has its own default.
    Integer DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : DefaultDisplayWidth(); }
    void SetDisplayWidth(Integer Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    Integer Size() const { return FSize; }
    virtual void SetSize(Integer Value);
    bool Required() const { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }

    bool IsNull() const;
    bool IsBlob() const { return IsBlobFieldType(FDataType); }
    // Sets the field to null (data set in edit or insert state).
    void Clear();

    String AsString() const { return GetAsString(); }
    void SetAsString(const String& Value) { SetAsStringValue(Value); }
    Integer AsInteger() const;
    void SetAsInteger(Integer Value) { SetAsLargeIntValue(Value); }
    Int64 AsLargeInt() const { return GetAsLargeInt(); }
    void SetAsLargeInt(Int64 Value) { SetAsLargeIntValue(Value); }
    Double AsFloat() const { return GetAsFloat(); }
    void SetAsFloat(Double Value) { SetAsFloatValue(Value); }
    Currency AsCurrency() const { return GetAsCurrency(); }
    void SetAsCurrency(Currency Value) { SetAsCurrencyValue(Value); }
    TDateTime AsDateTime() const { return GetAsDateTime(); }
    void SetAsDateTime(TDateTime Value) { SetAsDateTimeValue(Value); }
    bool AsBoolean() const { return GetAsBoolean(); }
    void SetAsBoolean(bool Value) { SetAsBooleanValue(Value); }
    // The value in its own kind; null for a null field.
    TFieldValue AsVariant() const { return GetAsVariant(); }
    void SetAsVariant(const TFieldValue& Value);
    TFieldValue Value() const { return GetAsVariant(); }

    // The text shown to the user (display format) and the text for editing (edit format).
    String DisplayText() const { return GetText(true); }
    String Text() const { return GetText(false); }
    void SetText(const String& Value) { SetAsStringValue(Value); }

    // ---- for data sets --------------------------------------------------------------------------
    // The store column the field reads; -1 when unbound.
    Integer Column() const { return FColumn; }
    void Bind(Integer Column) { FColumn = Column; }

protected:
    TField(TComponent* AOwner, TFieldType Type);

    virtual String GetAsString() const;
    virtual Int64 GetAsLargeInt() const;
    virtual Double GetAsFloat() const;
    virtual Currency GetAsCurrency() const;
    virtual TDateTime GetAsDateTime() const;
    virtual bool GetAsBoolean() const;
    virtual TFieldValue GetAsVariant() const;
    virtual String GetText(bool Display) const;

    virtual void SetAsStringValue(const String& Value);
    virtual void SetAsLargeIntValue(Int64 Value);
    virtual void SetAsFloatValue(Double Value);
    virtual void SetAsCurrencyValue(Currency Value);
    virtual void SetAsDateTimeValue(TDateTime Value);
    virtual void SetAsBooleanValue(bool Value);

    virtual Integer DefaultDisplayWidth() const { return 10; }

    [[noreturn]] void AccessError(const char* TypeName) const;
    // Raises EDatabaseError, naming the field and its data set.
    [[noreturn]] void FieldError(const String& Message) const;

    // The current record's cell. Reading a field of a closed or empty data set gives null.
    bool RawIsNull() const;
    Int64 RawInt() const;
    Double RawFloat() const;
    const String& RawText() const;
    // Writing goes to the record being edited (raises when the data set is not in edit or insert).
    void RawSetNull();
    void RawSetInt(Int64 Value);
    void RawSetFloat(Double Value);
    void RawSetText(String Value);

    void Changed();
    void SetDataTypeValue(TFieldType Value) { FDataType = Value; }

    TDataSet* FDataSet = nullptr;
    TFieldType FDataType = ftUnknown;
    String FFieldName;
    String FDisplayLabel;
    Integer FDisplayWidth = 0;
    TAlignment FAlignment = taLeftJustify;
    Integer FSize = 0;
    bool FRequired = false;
    bool FReadOnly = false;
    Integer FColumn = -1;

private:
    friend class TDataSet;
    friend TField* CreateFieldOfType(TFieldType Type, TComponent* AOwner);
    TRecordStore* WriteBuffer(Int64& Row);
};

// ---- text fields -----------------------------------------------------------------------------

class TStringField : public TField {
    QOR_CLASS(TStringField, TField)
public:
    explicit TStringField(TComponent* AOwner);
    // Fixed-width text: trailing blanks are dropped when read.
    bool FixedChar() const { return FDataType == ftFixedChar || FDataType == ftFixedWideChar; }
    void SetFixedChar(bool Value);
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value) { FDisplayFormat = Value; Changed(); }

protected:
    TStringField(TComponent* AOwner, TFieldType Type);
    String GetAsString() const override;
    Int64 GetAsLargeInt() const override;
    Double GetAsFloat() const override;
    Currency GetAsCurrency() const override;
    TDateTime GetAsDateTime() const override;
    bool GetAsBoolean() const override;
    TFieldValue GetAsVariant() const override;
    void SetAsStringValue(const String& Value) override;
    void SetAsLargeIntValue(Int64 Value) override;
    void SetAsFloatValue(Double Value) override;
    void SetAsCurrencyValue(Currency Value) override;
    void SetAsDateTimeValue(TDateTime Value) override;
    void SetAsBooleanValue(bool Value) override;
    Integer DefaultDisplayWidth() const override { return FSize; }

    String FDisplayFormat;
};

class TWideStringField : public TStringField {
    QOR_CLASS(TWideStringField, TStringField)
public:
    explicit TWideStringField(TComponent* AOwner);
};

// ---- numeric fields ----------------------------------------------------------------------------

class TNumericField : public TField {
    QOR_CLASS(TNumericField, TField)
public:
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value);
    const String& EditFormat() const { return FEditFormat; }
    void SetEditFormat(const String& Value);

protected:
    TNumericField(TComponent* AOwner, TFieldType Type);
    String FDisplayFormat;
    String FEditFormat;
};

// Smallint, Integer, Word, AutoInc and Largeint columns (and the other whole-number types); the
// allowed range follows the data type.
class TIntegerField : public TNumericField {
    QOR_CLASS(TIntegerField, TNumericField)
public:
    explicit TIntegerField(TComponent* AOwner);
    Int64 MinValue() const { return FMinValue; }
    Int64 MaxValue() const { return FMaxValue; }
    void SetMinValue(Int64 Value) { FMinValue = Value; }
    void SetMaxValue(Int64 Value) { FMaxValue = Value; }

protected:
    TIntegerField(TComponent* AOwner, TFieldType Type);
    String GetAsString() const override;
    Int64 GetAsLargeInt() const override;
    Double GetAsFloat() const override;
    Currency GetAsCurrency() const override;
    bool GetAsBoolean() const override;
    TFieldValue GetAsVariant() const override;
    String GetText(bool Display) const override;
    void SetAsStringValue(const String& Value) override;
    void SetAsLargeIntValue(Int64 Value) override;
    void SetAsFloatValue(Double Value) override;
    void SetAsCurrencyValue(Currency Value) override;
    void SetAsBooleanValue(bool Value) override;
    Integer DefaultDisplayWidth() const override;

    Int64 FMinValue = 0;
    Int64 FMaxValue = 0;
};

class TSmallintField : public TIntegerField {
    QOR_CLASS(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(TComponent* AOwner);
};

class TWordField : public TIntegerField {
    QOR_CLASS(TWordField, TIntegerField)
public:
    explicit TWordField(TComponent* AOwner);
};

class TAutoIncField : public TIntegerField {
    QOR_CLASS(TAutoIncField, TIntegerField)
public:
    explicit TAutoIncField(TComponent* AOwner);
};

class TLargeintField : public TIntegerField {
    QOR_CLASS(TLargeintField, TIntegerField)
public:
    explicit TLargeintField(TComponent* AOwner);
};

class TFloatField : public TNumericField {
    QOR_CLASS(TFloatField, TNumericField)
public:
    explicit TFloatField(TComponent* AOwner);
    // Shown as money (currency format) when no display format is set.
    bool Currency() const { return FCurrency; }
    void SetCurrency(bool Value);
    // Significant digits of the default text.
    Integer Precision() const { return FPrecision; }
    void SetPrecision(Integer Value);

protected:
    TFloatField(TComponent* AOwner, TFieldType Type);
    String GetAsString() const override;
    Int64 GetAsLargeInt() const override;
    Double GetAsFloat() const override;
    qor::Currency GetAsCurrency() const override;
    TFieldValue GetAsVariant() const override;
    String GetText(bool Display) const override;
    void SetAsStringValue(const String& Value) override;
    void SetAsLargeIntValue(Int64 Value) override;
    void SetAsFloatValue(Double Value) override;
    void SetAsCurrencyValue(qor::Currency Value) override;
    Integer DefaultDisplayWidth() const override { return 10; }

    bool FCurrency = false;
    Integer FPrecision = 15;
};

class TSingleField : public TFloatField {
    QOR_CLASS(TSingleField, TFloatField)
public:
    explicit TSingleField(TComponent* AOwner);

protected:
    void SetAsFloatValue(Double Value) override;
};

class TCurrencyField : public TFloatField {
    QOR_CLASS(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(TComponent* AOwner);
};

// Exact decimals: what the BCD kinds share. Currency shows the display text as money; Precision is
// the number of digits the column holds. Size is the number of decimals.
class TDecimalField : public TNumericField {
    QOR_CLASS(TDecimalField, TNumericField)
public:
    bool Currency() const { return FCurrency; }
    void SetCurrency(bool Value);
    Integer Precision() const { return FPrecision; }
    void SetPrecision(Integer Value) { FPrecision = Value; Changed(); }

protected:
    TDecimalField(TComponent* AOwner, TFieldType Type, Integer Size);
    // Empty for null; else the display or edit format when set, money when displayed as currency,
    // else the value's text.
    String GetText(bool Display) const override;
    // Blank text clears the field; other text is trimmed and read as a decimal.
    void SetAsStringValue(const String& Value) override;
    // The value through a format string, and as money.
    virtual String FormattedText(const String& Fmt) const = 0;
    virtual String MoneyText() const = 0;
    virtual void SetDecimalText(const String& Text) = 0;

    bool FCurrency = false;
    Integer FPrecision = 18;
};

// Exact decimals with four places, kept as Currency.
class TBCDField : public TDecimalField {
    QOR_CLASS(TBCDField, TDecimalField)
public:
    explicit TBCDField(TComponent* AOwner);

protected:
    String GetAsString() const override;
    Int64 GetAsLargeInt() const override;
    Double GetAsFloat() const override;
    qor::Currency GetAsCurrency() const override;
    TFieldValue GetAsVariant() const override;
    String FormattedText(const String& Fmt) const override;
    String MoneyText() const override;
    void SetDecimalText(const String& Text) override;
    void SetAsLargeIntValue(Int64 Value) override;
    void SetAsFloatValue(Double Value) override;
    void SetAsCurrencyValue(qor::Currency Value) override;
};

// Exact decimals of any length, kept as their decimal text.
class TFMTBCDField : public TDecimalField {
    QOR_CLASS(TFMTBCDField, TDecimalField)
public:
    explicit TFMTBCDField(TComponent* AOwner);

protected:
    String GetAsString() const override;
    Int64 GetAsLargeInt() const override;
    Double GetAsFloat() const override;
    qor::Currency GetAsCurrency() const override;
    TFieldValue GetAsVariant() const override;
    String FormattedText(const String& Fmt) const override;
    String MoneyText() const override;
    void SetDecimalText(const String& Text) override;
    void SetAsLargeIntValue(Int64 Value) override;
    void SetAsFloatValue(Double Value) override;
    void SetAsCurrencyValue(qor::Currency Value) override;
};

// ---- Booleans ---------------------------------------------------------------------------------

class TBooleanField : public TField {
    QOR_CLASS(TBooleanField, TField)
public:
    explicit TBooleanField(TComponent* AOwner);
    // "True;False": the texts for true and false.
    const String& DisplayValues() const { return FDisplayValues; }
    void SetDisplayValues(const String& Value);

protected:
    String GetAsString() const override;
    Int64 GetAsLargeInt() const override;
    bool GetAsBoolean() const override;
    TFieldValue GetAsVariant() const override;
    void SetAsStringValue(const String& Value) override;
    void SetAsLargeIntValue(Int64 Value) override;
    void SetAsBooleanValue(bool Value) override;
    Integer DefaultDisplayWidth() const override;

    String FDisplayValues = "True;False";
    String FTrueText = "True";
    String FFalseText = "False";
};

// ---- dates and times --------------------------------------------------------------------------

class TDateTimeField : public TField {
    QOR_CLASS(TDateTimeField, TField)
public:
    explicit TDateTimeField(TComponent* AOwner);
    const String& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const String& Value);

protected:
    TDateTimeField(TComponent* AOwner, TFieldType Type);
    String GetAsString() const override;
    Double GetAsFloat() const override;
    TDateTime GetAsDateTime() const override;
    TFieldValue GetAsVariant() const override;
    String GetText(bool Display) const override;
    void SetAsStringValue(const String& Value) override;
    void SetAsFloatValue(Double Value) override;
    void SetAsDateTimeValue(TDateTime Value) override;
    Integer DefaultDisplayWidth() const override { return 18; }
    // The format used when DisplayFormat is empty.
    virtual String DefaultFormat() const;

    String FDisplayFormat;
};

class TDateField : public TDateTimeField {
    QOR_CLASS(TDateField, TDateTimeField)
public:
    explicit TDateField(TComponent* AOwner);

protected:
    String DefaultFormat() const override;
    Integer DefaultDisplayWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {
    QOR_CLASS(TTimeField, TDateTimeField)
public:
    explicit TTimeField(TComponent* AOwner);

protected:
    String DefaultFormat() const override;
    Integer DefaultDisplayWidth() const override { return 10; }
};

class TSQLTimeStampField : public TDateTimeField {
    QOR_CLASS(TSQLTimeStampField, TDateTimeField)
public:
    explicit TSQLTimeStampField(TComponent* AOwner);
};

// ---- binary and blob fields ------------------------------------------------------------------

class TBinaryField : public TField {
    QOR_CLASS(TBinaryField, TField)
public:
    // Writes the value's bytes at the stream's position, as a blob field does.
    void SaveToStream(TStream* Stream) const;

protected:
    TBinaryField(TComponent* AOwner, TFieldType Type);
    String GetAsString() const override;
    TFieldValue GetAsVariant() const override;
    String GetText(bool Display) const override;
    void SetAsStringValue(const String& Value) override;
};

class TBytesField : public TBinaryField {
    QOR_CLASS(TBytesField, TBinaryField)
public:
    explicit TBytesField(TComponent* AOwner);
};

class TVarBytesField : public TBinaryField {
    QOR_CLASS(TVarBytesField, TBinaryField)
public:
    explicit TVarBytesField(TComponent* AOwner);
};

class TBlobField : public TField {
    QOR_CLASS(TBlobField, TField)
public:
    explicit TBlobField(TComponent* AOwner);
    Int64 BlobSize() const { return static_cast<Int64>(RawText().size()); }
    // Writes the value's bytes at the stream's position.
    void SaveToStream(TStream* Stream) const;
    // Replaces the value with the stream's bytes from its position to its end.
    void LoadFromStream(TStream* Stream);
    void SaveToFile(const String& FileName) const;
    void LoadFromFile(const String& FileName);

protected:
    TBlobField(TComponent* AOwner, TFieldType Type);
    String GetAsString() const override;
    TFieldValue GetAsVariant() const override;
    String GetText(bool Display) const override;
    void SetAsStringValue(const String& Value) override;
};

class TMemoField : public TBlobField {
    QOR_CLASS(TMemoField, TBlobField)
public:
    explicit TMemoField(TComponent* AOwner);

protected:
    TMemoField(TComponent* AOwner, TFieldType Type);
};

class TWideMemoField : public TMemoField {
    QOR_CLASS(TWideMemoField, TMemoField)
public:
    explicit TWideMemoField(TComponent* AOwner);
};

class TGraphicField : public TBlobField {
    QOR_CLASS(TGraphicField, TBlobField)
public:
    explicit TGraphicField(TComponent* AOwner);
};

// A new field of the class that serves Type (TStringField for ftString, ...), with DataType Type.
// Types without a field class raise EDatabaseError "Field type X is not supported".
TField* CreateFieldOfType(TFieldType Type, TComponent* AOwner);

} // namespace qor
