#pragma once
// TDataSet: the records of a data source, a current record, navigation, fields and field
// definitions, and notifications to the data sources that show it. Every kind keeps its open rows in
// a TRecordStore; descendants fill it in InternalOpen.

#include "platform/db/DataSetObserver.h"
#include "platform/db/Field.h"
#include "platform/db/RecordStore.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Events.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace qor {

class TDataSet;
class TDataSetInternals;
class TDataSource;
class TStrings;

QOR_ENUM_NAMES(TDataSetState, "dsInactive", "dsBrowse", "dsEdit", "dsInsert", "dsSetKey", "dsCalcFields",
               "dsFilter", "dsNewValue", "dsOldValue", "dsCurValue", "dsBlockRead", "dsInternalCalc",
               "dsOpening");

using TDataSetNotifyEvent = TEvent<TDataSet*>;

// Raises EDatabaseError with Message, prefixed by "Name: " of Component (its class name when it has
// no name), so every message says which data set, field or database it is about.
[[noreturn]] void DatabaseError(const String& Message, const TComponent* Component = nullptr);

// ---- field definitions -----------------------------------------------------------------------

class TFieldDefs;

class TFieldDef {
public:
    TFieldDef(TFieldDefs* Owner, const String& Name, TFieldType DataType, Integer Size, bool Required,
              Integer FieldNo);

    const String& Name() const { return FName; }
    TFieldType DataType() const { return FDataType; }
    Integer Size() const { return FSize; }
    Integer Precision() const { return FPrecision; }
    void SetPrecision(Integer Value) { FPrecision = Value; }
    bool Required() const { return FRequired; }
    Integer FieldNo() const { return FFieldNo; }
    // Where the definition came from, when the source says so (SQL: the declared column type).
    const String& SourceType() const { return FSourceType; }
    void SetSourceType(const String& Value) { FSourceType = Value; }

    // A new field for this definition, joined to the definitions' data set.
    TField* CreateField(TComponent* Owner) const;

private:
    friend class TDataSet;
    TField* MakeField(TComponent* Owner, bool Attach) const;

    TFieldDefs* FOwner;
    String FName;
    TFieldType FDataType;
    Integer FSize;
    Integer FPrecision = 0;
    bool FRequired;
    Integer FFieldNo;
    String FSourceType;
};

class TFieldDefs {
public:
    explicit TFieldDefs(TDataSet* DataSet) : FDataSet(DataSet) {}

    TDataSet* DataSet() const { return FDataSet; }
    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    TFieldDef* Items(Integer Index) const;
    TFieldDef* operator[](Integer Index) const { return Items(Index); }

    TFieldDef* Add(const String& Name, TFieldType DataType, Integer Size = 0, bool Required = false);
    void Clear();
    // Case-insensitive; -1 / null when absent.
    Integer IndexOf(const String& Name) const;
    TFieldDef* FindDef(const String& Name) const;
    // Raises EDatabaseError "Field 'X' not found".
    TFieldDef* Find(const String& Name) const;
    // Reads the definitions from the data source when the data set is closed.
    void Update();
    void GetItemNames(TStrings* List) const;

private:
    TDataSet* FDataSet;
    std::vector<std::unique_ptr<TFieldDef>> FItems;
    std::unordered_map<String, Integer> FIndex;   // AnsiSameTextKey of each name: its index
};

// ---- the field list ---------------------------------------------------------------------------

class TFields {
public:
    explicit TFields(TDataSet* DataSet) : FDataSet(DataSet) {}

    TDataSet* DataSet() const { return FDataSet; }
    Integer Count() const { return static_cast<Integer>(FList.size()); }
    // Raises EListError for a bad index.
    TField* Fields(Integer Index) const;
    TField* operator[](Integer Index) const { return Fields(Index); }
    Integer IndexOf(const TField* Field) const;
    // Case-insensitive; null when absent.
    TField* FindField(const String& Name) const;
    // Raises EDatabaseError "Field 'X' not found".
    TField* FieldByName(const String& Name) const;
    // By 1-based FieldNo; null when none.
    TField* FieldByNumber(Integer FieldNo) const;
    void GetFieldNames(TStrings* List) const;

private:
    friend class TDataSet;
    friend class TField;
    TDataSet* FDataSet;
    std::vector<TField*> FList;
};

// ---- the data set ------------------------------------------------------------------------------

class TDataSet : public TComponent {
    QOR_CLASS(TDataSet, TComponent)
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;
    void BeforeDestruction() override;

    // Opening reads the rows; failures raise EDatabaseError naming the data set, which stays closed.
    void Open();
    void Close();
    bool Active() const { return FState != dsInactive; }
    void SetActive(bool Value);
    TDataSetState State() const { return FState; }

    void First();
    void Last();
    void Next();
    void Prior();
    // Moves by Distance records (negative: back) and answers how far it moved.
    Integer MoveBy(Integer Distance);
    bool Eof() const { return FEof; }
    bool Bof() const { return FBof; }
    bool IsEmpty() const;
    // Raise EDatabaseError on a closed data set. -1 on a unidirectional data set: its count is
    // not known until its rows have been read.
    Integer RecordCount() const;
    // 1-based number of the current record; 0 when there is none.
    Integer RecNo() const;
    void SetRecNo(Integer Value);
    // A unidirectional data set keeps only its current row: it moves First, Next and Last only
    // (anything else raises EDatabaseError), and First after it has moved reads its rows again.
    bool IsUniDirectional() const { return FUniDirectional; }

    TFields* Fields() const { return FFields.get(); }
    Integer FieldCount() const { return FFields->Count(); }
    TField* FieldByName(const String& Name) const;
    TField* FindField(const String& Name) const { return FFields->FindField(Name); }
    TFieldDefs* FieldDefs() const { return FFieldDefs.get(); }
    // The names of the fields when open or when fields exist; else of the field definitions
    // (read from the source when needed).
    void GetFieldNames(TStrings* List);
    // The value of a field by name.
    TFieldValue FieldValues(const String& Name) const { return FieldByName(Name)->AsVariant(); }

    // Editing (only kinds that can change their rows; others raise "Cannot modify a read-only dataset").
    virtual bool CanModify() const { return false; }
    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    // Append, set the fields in order from Values, Post.
    void AppendRecord(const TFieldValues& Values);
    void InsertRecord(const TFieldValues& Values);

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }

    TDataSetNotifyEvent BeforeOpen;
    TDataSetNotifyEvent AfterOpen;
    TDataSetNotifyEvent BeforeClose;
    TDataSetNotifyEvent AfterClose;
    TDataSetNotifyEvent BeforeScroll;
    TDataSetNotifyEvent AfterScroll;
    TDataSetNotifyEvent BeforePost;
    TDataSetNotifyEvent AfterPost;

    void Loaded() override;

protected:
    // Fill FieldDefs (when the kind reads them from its source) and the store with every row.
    virtual void InternalOpen() = 0;
    // Release what InternalOpen took; the rows may be kept by kinds that own them.
    virtual void InternalClose() {}
    // Fill FieldDefs without opening; the default opens the source and closes it again.
    virtual void InternalInitFieldDefs();
    // Called with the edit buffer when a record is posted; Row is where it goes.
    virtual void InternalPost(bool Inserting, Int64 Row);
    virtual void InternalDelete(Int64 Row);

    // Only while closed.
    void SetUniDirectional(bool Value);
    // Unidirectional kinds: InternalOpen fills the store with the first row only; FetchNextRow puts
    // the next record in the store's one row, or answers false at the end (leaving the last row);
    // RestartRows leaves the store holding the first record again (no row when there is none).
    virtual bool FetchNextRow() { return false; }
    virtual void RestartRows() {}
    // First asks this before it goes to the top: a kind whose rows follow something outside the data
    // set (a detail query's master) reads them again when that changed, and answers true when it
    // refilled the store (First then reads nothing more).
    virtual bool RefreshRows() { return false; }
    // The kind refilled the store (its source's rows changed while open): the data set stands on
    // the first row again and tells its sources.
    void RowsReloaded();

    // The rows of the open data set. Descendants fill it.
    TRecordStore& Store() { return FStore; }
    const TRecordStore& Store() const { return FStore; }
    // Sets up the store's columns from FieldDefs.
    void PrepareStore();
    [[noreturn]] void Error(const String& Message) const { DatabaseError(Message, this); }
    // Raise EDatabaseError unless the data set is open / closed.
    void CheckActive() const;
    void CheckInactive() const;

    // Assigned while loading from a form file; opening waits for Loaded.
    bool FStreamedActive = false;

private:
    friend class TFieldDefs;
    friend class TDataSetInternals; // the fields' and data sources' way in (internal/DataSetInternals.h)
    // The record fields read: the edit buffer while editing, else the current row (null pointer
    // when there is no current record).
    const TRecordStore* ActiveStore() const { return FActiveStore; }
    Int64 ActiveRow() const { return FActiveRow; }
    TRecordStore* EditBuffer() { return &FEditBuffer; }
    // Tells the data sources (unless controls are disabled).
    void DataEvent(TDataEvent Event, TField* Field = nullptr, Integer Info = 0);
    void AddDataSource(TDataSetObserver* Source);
    void RemoveDataSource(TDataSetObserver* Source);
    void AddField(TField* Field);
    void RemoveField(TField* Field);
    void CreateFields();
    void BindFields();
    void DestroyDefaultFields();
    void SetCurrent(Int64 Row);
    void SetState(TDataSetState Value);
    void CheckBrowseMode();
    void DoAfterScroll();
    void DoBeforeScroll();
    void SyncActive();
    void CheckBidirectional() const;
    // Moves a unidirectional data set forward by up to Distance records; answers how far it went.
    Int64 FetchForward(Int64 Distance);
    // After a failed read of a unidirectional data set: no current record, and First reads again.
    void DropCurrentRow();

    std::unique_ptr<TFields> FFields;
    std::unique_ptr<TFieldDefs> FFieldDefs;
    TRecordStore FStore;
    TRecordStore FEditBuffer;
    std::vector<TDataSetObserver*> FDataSources; // the data sources
    const TRecordStore* FActiveStore = nullptr;
    Int64 FActiveRow = 0;
    Int64 FCurrent = -1;            // 0-based row; -1 when empty
    Int64 FInsertAt = -1;           // where an inserted record goes
    TDataSetState FState = dsInactive;
    bool FEof = true;
    bool FBof = true;
    bool FDefaultFields = false;
    bool FUniDirectional = false;
    Int64 FSeqRecNo = 0;            // unidirectional: 1-based number of the record in the store
    bool FSeqMoved = false;         // unidirectional: the rows have been read past the first
    Integer FDisableCount = 0;
    bool FChangedWhileDisabled = false;
    TDataSetState FStateWhenDisabled = dsInactive;
};

} // namespace qor
