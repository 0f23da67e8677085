#pragma once
// The kinds of band a group page holds besides its main bands: a sub band printed with the band it
// is attached to, an overlay printed at a fixed place on every page, a sub-data band that prints
// once per record of a data set of its own, and that band's data head and data foot.

#include "platform/db/DataSource.h"
#include "runtime/engine/KivBand.h"

#include <memory>

namespace qor {

class TKivSubDataBand;
using TKivBandAfterSkipEvent = TEvent<TKivSubDataBand*>;
using TKivDataFilterEvent = TEvent<TObject*, bool&>;
using TKivSubDataEvent = TEvent<TKivSubDataBand*>;

// What a band kind does in SetParent: only a group page takes it, into the kind's own list.
class TKivAttachedBand : public TKivBand {
    QOR_CLASS(TKivAttachedBand, TKivBand)
public:
    explicit TKivAttachedBand(TComponent* AOwner) : TKivBand(AOwner) {}
    ~TKivAttachedBand() override;
    // The main band the chain of attachments hangs from; the band itself while unattached.
    TKivBand* GetMainBand() override;
    // The band the kind is attached to, published as "Band"; its removal detaches the kind.
    void SetAttachedBand(TKivBand* Value);
    void SetParent(TWinControl* AParent) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The page's insert and remove for this kind's list.
    using TListOp = void (IKivGroupPage::*)(TKivBand*);
    virtual TListOp JoinOp() const = 0;
    virtual TListOp LeaveOp() const = 0;
    // Orders the page's bands again after a change made at design time.
    void Reorder();
    IKivGroupPage* GroupPage() const { return FGroupPage; }

private:
    IKivGroupPage* FGroupPage = nullptr;
    // How the kind leaves the page's list (kept from registration: the destructor of the base
    // cannot ask the kind any more).
    void (IKivGroupPage::*FLeave)(TKivBand*) = nullptr;
};

class TKivSubBand : public TKivAttachedBand {
    QOR_CLASS(TKivSubBand, TKivAttachedBand)
public:
    explicit TKivSubBand(TComponent* AOwner) : TKivAttachedBand(AOwner) {}
    TKivBandKind Kind() const override { return bkSub; }
    bool Above() const { return FAbove; }
    void SetAbove(bool Value);

protected:
    TListOp JoinOp() const override { return &IKivGroupPage::InsertSubBand; }
    TListOp LeaveOp() const override { return &IKivGroupPage::RemoveSubBand; }

private:
    bool FAbove = false;
};

class TKivOverlayBand : public TKivAttachedBand {
    QOR_CLASS(TKivOverlayBand, TKivAttachedBand)
public:
    explicit TKivOverlayBand(TComponent* AOwner) : TKivAttachedBand(AOwner) {}
    TKivBand* GetMainBand() override { return this; }
    TKivBandKind Kind() const override { return bkOverlay; }
    bool First() const { return FFirst; }
    void SetFirst(bool Value);
    Integer TopOffset() const { return FTopOffset; }
    void SetTopOffset(Integer Value) { FTopOffset = Value; }
    Integer LeftOffset() const { return FLeftOffset; }
    void SetLeftOffset(Integer Value) { FLeftOffset = Value; }
    bool UseMargins() const { return FUseMargins; }
    void SetUseMargins(bool Value) { FUseMargins = Value; }

protected:
    TListOp JoinOp() const override { return &IKivGroupPage::InsertOverLayBand; }
    TListOp LeaveOp() const override { return &IKivGroupPage::RemoveOverLayBand; }

private:
    bool FFirst = true;
    Integer FTopOffset = 0;
    Integer FLeftOffset = 0;
    bool FUseMargins = true;
};

class TKivSubDataBand : public TKivAttachedBand {
    QOR_CLASS(TKivSubDataBand, TKivAttachedBand)
public:
    explicit TKivSubDataBand(TComponent* AOwner);
    ~TKivSubDataBand() override;
    TKivBandKind Kind() const override { return bkSubData; }

    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* Value);
    TDataLink* DataLink() const { return FDataLink.get(); }
    // The data source's data set; null without a data source. Published only as the obsolete
    // property of older forms: setting it has no effect but to forget the data set last seen.
    TDataSet* DataSet() const;
    void SetDataSet(TDataSet* Value);
    // While designing, a sub-data band does not repeat: it says where to look instead.
    void SetNewPageRepeat(bool Value) override;
    bool DataIsFinished() const { return FDataIsFinished; }
    void SetDataIsFinished(bool Value) { FDataIsFinished = Value; }
    TKivDataRange DataRange() const { return FDataRange; }
    void SetDataRange(TKivDataRange Value) { FDataRange = Value; }
    bool CloseDataSet() const { return FCloseDataSet; }
    void SetCloseDataSet(bool Value) { FCloseDataSet = Value; }

    // The record loop the page drives: positions on the first accepted record (or finishes),
    // moves on to the next accepted one, and ends the loop.
    void DataStart();
    void DataSkip();
    void DataFinish();
    // True when no filter is set, else the filter's answer for the current record.
    bool DoOnDataFilter();

    void DefineProperties(TFiler& Filer) override;

    TKivSubDataEvent OnDataStart;
    TKivSubDataEvent OnDataSkip;
    TKivSubDataEvent OnDataFinish;
    TKivBandAfterSkipEvent OnAfterDataSkip;
    TKivDataFilterEvent OnDataFilter;

protected:
    TListOp JoinOp() const override { return &IKivGroupPage::InsertSubDataBand; }
    TListOp LeaveOp() const override { return &IKivGroupPage::RemoveSubDataBand; }
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void AfterDataSkip();
    // The filter, when set, passes the current record.
    bool Accepted() { return !OnDataFilter || DoOnDataFilter(); }
    void ActivateDataSource();

    TDataSet* FDataSet = nullptr;
    std::unique_ptr<TDataLink> FDataLink;
    bool FDataIsFinished = false;
    TKivDataRange FDataRange = drAllRecords;
    bool FCloseDataSet = false;
};

class TKivDataHeadBand : public TKivAttachedBand {
    QOR_CLASS(TKivDataHeadBand, TKivAttachedBand)
public:
    explicit TKivDataHeadBand(TComponent* AOwner) : TKivAttachedBand(AOwner) {}
    TKivBandKind Kind() const override { return bkDataHead; }

protected:
    TListOp JoinOp() const override { return &IKivGroupPage::InsertDataHFBand; }
    TListOp LeaveOp() const override { return &IKivGroupPage::RemoveDataHFBand; }
};

class TKivDataFootBand : public TKivDataHeadBand {
    QOR_CLASS(TKivDataFootBand, TKivDataHeadBand)
public:
    explicit TKivDataFootBand(TComponent* AOwner) : TKivDataHeadBand(AOwner) {}
    TKivBandKind Kind() const override { return bkDataFoot; }
};

} // namespace qor
