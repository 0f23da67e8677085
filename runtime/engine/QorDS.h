#pragma once
// The data sets a report run opened: each data source is opened at most once per run, and at the
// end only the data sets the run opened itself are closed again.

#include "platform/rtl/Types.h"

#include <memory>
#include <vector>

namespace qor {

class TComponent;
class TDataLink;
class TDataSet;
class TDataSource;

// Points Link at Value; Owner hears when the data source is freed (its Notification must let
// go of it) and stops hearing of the previous one.
void KivSetLinkSource(TDataLink* Link, TComponent* Owner, TDataSource* Value);

class TQorDataSource {
public:
    explicit TQorDataSource(TDataSource* DS) : DataSource(DS) {}
    ~TQorDataSource();
    TQorDataSource(const TQorDataSource&) = delete;
    TQorDataSource& operator=(const TQorDataSource&) = delete;

    // Opens the data set unless it is open already; true when it is open. A failure to open is
    // recorded in UnableToActivate and answers false.
    bool OpenSource();
    // Closes the data set when the run opened it.
    void CloseSource();

    TDataSource* DataSource;       // not owned
    TDataSet* DataSet = nullptr;   // the data set the run opened, closed by CloseSource
    bool CloseDataSource = false;  // the run opened the data set and closes it
    bool UnableToActivate = false; // opening failed or left it closed
    // What opening raised, when it failed.
    String ActivateError;
};

class TQorDataSourceManager {
public:
    TQorDataSourceManager();
    ~TQorDataSourceManager();
    TQorDataSourceManager(const TQorDataSourceManager&) = delete;
    TQorDataSourceManager& operator=(const TQorDataSourceManager&) = delete;

    // False for none. A data source already in the list answers whether its data set is open;
    // a new one is recorded and opened.
    bool ActivateDataSource(TDataSource* DS);
    // ActivateDataSource for a data set the run cannot do without: when it could not be opened,
    // raises the reason (the database missing, the query failing) instead of going on without it.
    void RequireDataSource(TDataSource* DS);
    // Closes what the run opened and forgets every record.
    void CloseDataSources();

    const std::vector<std::unique_ptr<TQorDataSource>>& DSList() const { return FDSList; }

private:
    class TWatcher;
    // A data source or data set that is freed during the run is forgotten.
    void Forget(TComponent* AComponent);

    std::vector<std::unique_ptr<TQorDataSource>> FDSList;
    std::unique_ptr<TWatcher> FWatcher;
};

} // namespace qor
