#pragma once
// Data-source guides: the designer's record, on a group page, of a data source whose fields get
// variables, and the level at which those variables update.

#include "platform/db/DataSource.h"
#include "platform/ui/Controls.h"
#include "runtime/engine/KivPageIntf.h"

#include <memory>

namespace qor {

class TKivDSGuide;

// The guide's link to its data source; the page repaints when the data set opens or closes at
// design time.
class TQorDataLink : public TDataLink {
    QOR_CLASS(TQorDataLink, TDataLink)
public:
    TQorDataLink() = default;
    TKivDSGuide* Guide() const { return FGuide; }
    void SetGuide(TKivDSGuide* Value) { FGuide = Value; }

protected:
    void ActiveChanged() override;

private:
    TKivDSGuide* FGuide = nullptr;
};

class TKivDSGuide : public TControl {
    QOR_CLASS(TKivDSGuide, TControl)
public:
    explicit TKivDSGuide(TComponent* AOwner);
    ~TKivDSGuide() override;

    TDataSource* DataSource() const { return GetDataSource(); }
    TKivLevel* UpdateLevel() const { return FUpdateLevel; }
    bool CreateVariables() const { return FCreateVariables; }
    TQorDataLink* DataLink() const { return FDataLink.get(); }
    IKivPage* Page() const { return dynamic_cast<IKivPage*>(Parent()); }

    // Null takes the page's detail level (unless the page is being destroyed).
    virtual void SetUpdateLevel(TKivLevel* Level);
    virtual void SetCreateVariables(bool Value);
    virtual void SetDataSource(TDataSource* Value);
    virtual TDataSource* GetDataSource() const;

    // Only a group page is accepted; any other parent is refused with a silent abort.
    void SetParent(TWinControl* AParent) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void AssignLevel(TKivLevel* Level);

    bool FCreateVariables = true;
    TKivLevel* FUpdateLevel = nullptr;
    std::unique_ptr<TQorDataLink> FDataLink;
};

// The guide a group page makes for each of its data sources.
class TKivDataSourceGuide : public TKivDSGuide {
    QOR_CLASS(TKivDataSourceGuide, TKivDSGuide)
public:
    explicit TKivDataSourceGuide(TComponent* AOwner) : TKivDSGuide(AOwner) {}
};

} // namespace qor
