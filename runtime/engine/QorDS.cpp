#include "runtime/engine/QorDS.h"

#include "platform/db/DataSource.h"
#include "runtime/engine/KivReference.h"

namespace qor {

void KivSetLinkSource(TDataLink* Link, TComponent* Owner, TDataSource* Value)
{
    TDataSource* Source = Link->DataSource();
    if (KivSetReference(Owner, Source, Value))
        Link->SetDataSource(Value);
}

TQorDataSource::~TQorDataSource()
{
    try {
        CloseSource();
    } catch (...) {
        // a data set that fails to close while the run is taken apart stays as it is
    }
}

bool TQorDataSource::OpenSource()
{
    TDataSet* DS = DataSource ? DataSource->DataSet() : nullptr;
    if (!DS)
        return false;
    if (DS->Active())
        return true;
    try {
        DS->SetActive(true);
    } catch (const Exception& E) {
        UnableToActivate = true;
        ActivateError = E.Message();
        return false;
    }
    CloseDataSource = DS->Active();
    UnableToActivate = !DS->Active();
    if (CloseDataSource)
        DataSet = DS;
    return DS->Active();
}

void TQorDataSource::CloseSource()
{
    if (CloseDataSource && DataSet && DataSet->Active())
        DataSet->SetActive(false);
    CloseDataSource = false;
    DataSet = nullptr;
    UnableToActivate = false;
}

// Hears of data sources and data sets being freed.
class TQorDataSourceManager::TWatcher : public TComponent {
public:
    explicit TWatcher(TQorDataSourceManager* Manager) : TComponent(nullptr), FManager(Manager) {}
    void Watch(TComponent* C)
    {
        if (C)
            C->FreeNotification(this);
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove)
            FManager->Forget(AComponent);
    }

private:
    TQorDataSourceManager* FManager;
};

TQorDataSourceManager::TQorDataSourceManager() : FWatcher(std::make_unique<TWatcher>(this)) {}

TQorDataSourceManager::~TQorDataSourceManager()
{
    try {
        CloseDataSources();
    } catch (...) {
    }
}

void TQorDataSourceManager::Forget(TComponent* AComponent)
{
    for (auto& R : FDSList) {
        if (R->DataSource == AComponent)
            R->DataSource = nullptr;
        if (R->DataSet == AComponent) {
            R->DataSet = nullptr;
            R->CloseDataSource = false;
        }
    }
}

void TQorDataSourceManager::RequireDataSource(TDataSource* DS)
{
    if (ActivateDataSource(DS))
        return;
    for (const auto& R : FDSList)
        if (R->DataSource == DS && !R->ActivateError.empty())
            throw Exception(R->ActivateError);
}

bool TQorDataSourceManager::ActivateDataSource(TDataSource* DS)
{
    if (!DS)
        return false;
    for (const auto& R : FDSList)
        if (R->DataSource == DS)
            return DS->DataSet() && DS->DataSet()->Active();
    FDSList.push_back(std::make_unique<TQorDataSource>(DS));
    TQorDataSource* R = FDSList.back().get();
    FWatcher->Watch(DS);
    const bool Open = R->OpenSource();
    FWatcher->Watch(R->DataSet);
    return Open;
}

void TQorDataSourceManager::CloseDataSources()
{
    std::vector<std::unique_ptr<TQorDataSource>> List;
    List.swap(FDSList);
    for (auto& R : List) {
        if (R->DataSource)
            R->DataSource->RemoveFreeNotification(FWatcher.get());
        if (R->DataSet)
            R->DataSet->RemoveFreeNotification(FWatcher.get());
        R->CloseSource();
    }
}

} // namespace qor
