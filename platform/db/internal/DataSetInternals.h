#pragma once
// What fields and data sources need of their data set and nobody else may use: the record a field
// reads, the buffer it writes, joining and leaving the data set, and the data events it sends.
// Private to platform/db.

#include "platform/db/DataSet.h"

namespace qor {

class TDataSetInternals {
public:
    // The record fields read: the edit buffer while editing, else the current row (null pointer
    // when there is no current record), and the row within it.
    static const TRecordStore* ActiveStore(const TDataSet& D) { return D.ActiveStore(); }
    static Int64 ActiveRow(const TDataSet& D) { return D.ActiveRow(); }
    static TRecordStore* EditBuffer(TDataSet& D) { return D.EditBuffer(); }
    // Tells the data sources (unless controls are disabled).
    static void DataEvent(TDataSet& D, TDataEvent Event, TField* Field = nullptr) { D.DataEvent(Event, Field); }
    static void AddDataSource(TDataSet& D, TDataSetObserver* Source) { D.AddDataSource(Source); }
    static void RemoveDataSource(TDataSet& D, TDataSetObserver* Source) { D.RemoveDataSource(Source); }
    static void AddField(TDataSet& D, TField* Field) { D.AddField(Field); }
    static void RemoveField(TDataSet& D, TField* Field) { D.RemoveField(Field); }
    static void CheckInactive(const TDataSet& D) { D.CheckInactive(); }
};

} // namespace qor
