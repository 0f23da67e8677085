#pragma once
// What a data set tells the data sources that show it (TDataSource, DataSource.h): its data
// events, and that it is going away. The data set knows its sources only as this.

#include "platform/db/FieldTypes.h"

namespace qor {

class TField;

class TDataSetObserver {
public:
    virtual ~TDataSetObserver() = default;
    // A data event of the data set; Field and Info as the event has them (Info: how far a
    // scroll moved).
    virtual void DataEvent(TDataEvent Event, TField* Field, Integer Info) = 0;
    // The data set is being freed: it is forgotten without being touched again.
    virtual void DataSetGone() = 0;
};

} // namespace qor
