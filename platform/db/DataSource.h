#pragma once
// TDataSource joins a data set to the controls and report parts that show it; TDataLink is what
// those hold to hear of opening, closing, scrolling and changes; TFieldDataLink follows one field.

#include "platform/db/DataSet.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Events.h"

#include <vector>

namespace qor {

class TDataLink;

using TDataChangeEvent = TEvent<TObject*, TField*>;

class TDataSource : public TComponent, public TDataSetObserver {
    QOR_CLASS(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    // A disabled source tells its links nothing and reads as inactive.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    // The data set's state, dsInactive without one or when disabled.
    TDataSetState State() const { return FState; }

    TDataChangeEvent OnDataChange;
    TNotifyEvent OnStateChange;
    TNotifyEvent OnUpdateData;

    // ---- for data sets and links ---------------------------------------------------------------------
    void DataEvent(TDataEvent Event, TField* Field, Integer Info) override;
    void DataSetGone() override;
    void AddDataLink(TDataLink* Link);
    void RemoveDataLink(TDataLink* Link);
    Integer DataLinkCount() const { return static_cast<Integer>(FDataLinks.size()); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void UpdateState();
    void NotifyLinks(TDataEvent Event, TField* Field, Integer Info);

    TDataSet* FDataSet = nullptr;
    bool FEnabled = true;
    TDataSetState FState = dsInactive;
    std::vector<TDataLink*> FDataLinks;
    std::size_t FLinkRemovals = 0; // links removed so far
};

class TDataLink : public TPersistent {
    QOR_CLASS(TDataLink, TPersistent)
public:
    TDataLink() = default;
    ~TDataLink() override;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }
    // The source is enabled and its data set open.
    bool Active() const { return FActive; }
    bool Editing() const { return FEditing; }

    // ---- for data sources ------------------------------------------------------------------------
    void DataEvent(TDataEvent Event, TField* Field, Integer Info);
    void UpdateActive();

protected:
    virtual void ActiveChanged() {}
    virtual void EditingChanged() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(Integer /*Distance*/) { DataSetChanged(); }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* /*Field*/) {}
    virtual void UpdateData() {}

private:
    void UpdateEditing();

    TDataSource* FDataSource = nullptr;
    bool FActive = false;
    bool FEditing = false;
};

// Follows the field named FieldName of the linked data set. A name the data set does not know
// leaves Field null (no error), so a report part bound to a missing field prints nothing.
class TFieldDataLink : public TDataLink {
    QOR_CLASS(TFieldDataLink, TDataLink)
public:
    TFieldDataLink() = default;

    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);
    TField* Field() const { return FField; }
    // The object the link serves (a control or a report variable).
    TComponent* Control() const { return FControl; }
    void SetControl(TComponent* Value) { FControl = Value; }

    TNotifyEvent OnDataChange;
    TNotifyEvent OnActiveChange;
    TNotifyEvent OnEditingChange;
    TNotifyEvent OnUpdateData;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    void UpdateField();

    String FFieldName;
    TField* FField = nullptr;
    TComponent* FControl = nullptr;
};

} // namespace qor
