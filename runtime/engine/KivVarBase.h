#pragma once
// Grouping levels and report variables. A variable belongs to one level of its page and is
// refreshed lazily when the page moves that level on; it keeps its current value (DataNow) and
// the one before the last move (DataLast), one record of look-back for group footers.

#include "platform/ui/Controls.h"
#include "runtime/engine/KivData.h"
#include "runtime/engine/KivPageIntf.h"

#include <memory>
#include <typeinfo>
#include <vector>

namespace qor {

enum TKivUpdateMode : Byte { umNeedUpdate, umUpdating, umNoUpdate };
QOR_ENUM_NAMES(TKivUpdateMode, "umNeedUpdate", "umUpdating", "umNoUpdate");

enum TKivVarId : Byte {
    vidAbstract,
    vidDBVar,
    vidExprVar,
    vidTotalVar,
    vidAutoDataVar,
    vidDateTimeVar,
    vidPageVar,
};
QOR_ENUM_NAMES(TKivVarId, "vidAbstract", "vidDBVar", "vidExprVar", "vidTotalVar", "vidAutoDataVar",
               "vidDateTimeVar", "vidPageVar");

// The unit of change of the data: the detail band's level moves on every record, a group's level
// when the group breaks. Placed on a page only.
class TKivLevel : public TControl {
    QOR_CLASS(TKivLevel, TControl)
public:
    explicit TKivLevel(TComponent* AOwner);
    ~TKivLevel() override;

    // The index in the page's level list, numbered by the page at the start of a run.
    Integer Level() const { return FLevel; }
    void SetLevel(Integer Value) { FLevel = Value; }
    // Totals do not accumulate at a header level.
    bool IsHeader() const { return FIsHeader; }
    void SetIsHeader(bool Value) { FIsHeader = Value; }
    virtual IKivPage* GetPage() const;

    // Only a page is accepted; any other parent is refused with a silent abort.
    void SetParent(TWinControl* AParent) override;
    void DefineProperties(TFiler& Filer) override;

private:
    Integer FLevel = 0;
    bool FIsHeader = false;
};

class TKivVar : public TControl {
    QOR_CLASS(TKivVar, TControl)
public:
    explicit TKivVar(TComponent* AOwner);
    ~TKivVar() override;

    TKivData* DataNow() { return GetDataNow(); }
    TKivData* DataLast() const { return FDataLast.get(); }
    TKivData* Data() { return GetData(); }
    bool AutoVar() const { return FAutovar; }
    void SetAutoVar(bool Value) { FAutovar = Value; }
    TKivDataTypes DataType() const { return GetDataType(); }
    void SetDataType(TKivDataTypes Value);
    TKivUpdateMode UpdateMode() const { return FUpdateMode; }
    void SetUpdateMode(TKivUpdateMode Value) { FUpdateMode = Value; }
    TKivLevel* UpdateLevel() const { return FUpdateLevel; }
    void SetUpdateLevel(TKivLevel* Value);
    TKivVarId Id() const { return FId; }
    // The designer marks the variables it makes for a data source's fields with vidAutoDataVar.
    void SetId(TKivVarId Value) { FId = Value; }
    bool Active() const { return GetActive(); }
    void SetActive(bool Value) { FActive = Value; }
    bool Initialized() const { return FInitialized; }
    bool Running() const { return FRunning; }
    // Switching running off initialises the variable again.
    void SetRunning(bool Value);
    IKivPage* Page() const;

    // The current value, refreshed first when stale. Reading a variable that has no value yet
    // raises "Datatype is bad for variable: %s"; reading an expression variable or a total during
    // its own refresh raises "Circular variable reference for variable: %s".
    String AsString() { return GetAsString(); }
    Int64 AsInteger() { return GetAsInteger(); }
    Double AsFloat() { return GetAsFloat(); }
    Currency AsCurrency() { return GetAsCurrency(); }
    TDateTime AsDateTime() { return GetAsDateTime(); }
    bool AsBoolean() { return GetAsBoolean(); }
    TStream* AsStream() { return GetAsStream(); }
    TStrings* AsStrings() { return GetAsStrings(); }
    bool IsNull();
    void SetIsNull(bool Value);

    virtual String GetAsString();
    virtual Int64 GetAsInteger();
    virtual Double GetAsFloat();
    virtual Currency GetAsCurrency();
    virtual TDateTime GetAsDateTime();
    virtual bool GetAsBoolean();
    virtual TStream* GetAsStream();
    virtual TStrings* GetAsStrings();
    virtual void SetAsString(const String& Value);
    virtual void SetAsInteger(Int64 Value);
    virtual void SetAsFloat(Double Value);
    virtual void SetAsCurrency(Currency Value);
    virtual void SetAsDateTime(TDateTime Value);
    virtual void SetAsBoolean(bool Value);
    virtual void SetAsStream(TStream* Value);
    virtual void SetAsStrings(TStrings* Value);
    virtual TKivDataTypes GetDataType() const { return FDataType; }
    virtual TKivData* GetDataNow();
    virtual TKivData* GetData() { return GetDataNow(); }
    virtual bool GetActive() const { return FActive; }
    // Refreshes the value when it is stale; always ends current.
    virtual void UpdateData();
    // DataLast := DataNow (refreshed first when stale).
    virtual void UpdateLast();
    // DataNow := DataLast.
    virtual void ReverseUpdate();
    // New current and previous values of the kind GetDataType names.
    virtual void Initialize();
    virtual void Reset();
    // When stale: the current value is reset and null.
    virtual void ResetData();

    void SetName(const String& NewName) override;
    void SetParent(TWinControl* AParent) override;
    void Loaded() override;
    void DefineProperties(TFiler& Filer) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The current value; raises "Datatype is bad for variable: %s" when there is none.
    TKivData* CheckedData();
    // The current value for a setter: refreshed first when stale, not while being refreshed.
    TKivData* SettableData();
    [[noreturn]] void CircularError() const;
    // To->SetData(From), directly between the variable's own current and previous values.
    void CopyValue(TKivData* To, TKivData* From) const;
    // The level a variable without one takes when loaded on a group page.
    virtual TKivLevel* DefaultLevel(IKivPage* Page) const;

    std::unique_ptr<TKivData> FDataLast;
    std::unique_ptr<TKivData> FDataNow;
    TKivDataTypes FValueType = dtypeUnknown; // the kind KivNewData made both values of
    bool FAutovar = false;
    TKivDataTypes FDataType = dtypeUnknown;
    TKivUpdateMode FUpdateMode = umNoUpdate;
    TKivLevel* FUpdateLevel = nullptr;
    TKivVarId FId = vidAbstract;
    bool FActive = true;
    bool FInitialized = false;
    bool FRunning = false;

private:
    // The parent Page last looked at, its class, and the page it is (totals ask on every record).
    mutable const TWinControl* FPageOf = nullptr;
    mutable const std::type_info* FPageType = nullptr;
    mutable IKivPage* FPage = nullptr;
};

// A new value of the kind that holds Type (TKivUnknown for dtypeUnknown).
std::unique_ptr<TKivData> KivNewData(TKivDataTypes Type);

// Sets a refresh's mode back to umNoUpdate however the refresh ends.
class TKivUpdateScope {
public:
    explicit TKivUpdateScope(TKivUpdateMode& Mode) : FMode(Mode) { FMode = umUpdating; }
    ~TKivUpdateScope() { FMode = umNoUpdate; }
    TKivUpdateScope(const TKivUpdateScope&) = delete;
    TKivUpdateScope& operator=(const TKivUpdateScope&) = delete;

private:
    TKivUpdateMode& FMode;
};

// The page's level operations over its variable list: each acts on the variables whose update
// level is Level.
void KivUpdateVars(const std::vector<TKivVar*>& Vars, TKivLevel* Level);
// A new record or a group break: DataLast takes the current value, then each is marked stale and
// refreshed.
void KivUpdateDataLevel(const std::vector<TKivVar*>& Vars, TKivLevel* Level);
// As KivUpdateDataLevel, leaving each value reset and null.
void KivResetDataLevel(const std::vector<TKivVar*>& Vars, TKivLevel* Level);
// The previous record's values become current again.
void KivReverseUpdateDataLevel(const std::vector<TKivVar*>& Vars, TKivLevel* Level);
// Every variable refreshes.
void KivUpdateAllData(const std::vector<TKivVar*>& Vars);

} // namespace qor
